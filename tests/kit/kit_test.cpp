// The kit's shell services against real windows, resources and message boxes.
#include <gtest/gtest.h>
#include <commctrl.h>
#include "kit.h"
#include "platform.h"
#include "support.h"

namespace {
struct Recorded {
    UINT msg;
    WPARAM wp;
    LPARAM lp;
};
std::vector<Recorded> g_seen;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_COMMAND || msg == WM_HOTKEY || msg == WM_INITMENUPOPUP)
        g_seen.push_back({msg, wp, lp});
    return DefWindowProcW(hwnd, msg, wp, lp);
}

HWND MakeWindow()
{
    [[maybe_unused]] static bool s_fRegistered = RegisterMainClass(L"KitTestWindow", RecordingProc);
    HWND hwnd = CreateWindowExW(0, L"KitTestWindow", L"Kit window", 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, nullptr, nullptr, g_hInst, nullptr);
    ShowWindow(hwnd, SW_SHOW);
    SetForegroundWindow(hwnd);
    SetActiveWindow(hwnd);
    Pump();
    return hwnd;
}

class Kit : public testing::Test {
protected:
    void SetUp() override
    {
        g_seen.clear();
        MessageBoxes::Reset();
    }
};

// Sends a key the way the keyboard does: through the thread's message queue.
void PressKey(HWND hwndTarget, UINT vk)
{
    PostMessageW(hwndTarget, WM_KEYDOWN, vk, 1);
    PostMessageW(hwndTarget, WM_KEYUP, vk, 0xC0000001);
    Pump();
}
} // namespace

TEST_F(Kit, SoftKeyBarFromResourcesAnswersKeysOpensItsMenusAndBack)
{
    HWND hwnd = MakeWindow();
    EXPECT_EQ(nullptr, CreateSoftKeyBar(hwnd, 201));  // pop-up index past the menu
    EXPECT_EQ(nullptr, CreateSoftKeyBar(hwnd, 777));  // no such bar
    EXPECT_EQ(nullptr, CreateSoftKeyBar(nullptr, 200));
    HWND hwndBar = CreateSoftKeyBar(hwnd, 200);
    ASSERT_NE(nullptr, hwndBar);
    EXPECT_EQ(L"Left|Menu", SoftKeyLabels(hwnd));
    PressKey(hwnd, VK_F1);
    ASSERT_EQ(1u, g_seen.size());
    EXPECT_EQ((UINT)WM_COMMAND, g_seen[0].msg);
    EXPECT_EQ(300u, LOWORD(g_seen[0].wp));

    g_seen.clear();
    SendMessageW(hwndBar, TB_ENABLEBUTTON, 300, FALSE);
    PressKey(hwnd, VK_F1);
    EXPECT_TRUE(g_seen.empty());

    // The drop-down key's pop-up is the menu's first pop-up; the owner sees it open.
    HMENU hSub = (HMENU)SendMessageW(hwndBar, SHCMBM_GETSUBMENU, 0, 310);
    ASSERT_NE(nullptr, hSub);
    EXPECT_EQ(301u, GetMenuItemID(hSub, 0));
    SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        EndMenu();
    });
    PlatPressSoftKey(hwndBar, 1);
    ASSERT_FALSE(g_seen.empty());
    EXPECT_EQ((UINT)WM_INITMENUPOPUP, g_seen[0].msg);
    EXPECT_EQ((WPARAM)hSub, g_seen[0].wp);

    // A sub-menu opens above the bar beside its parent, never over its items.
    static std::vector<RECT> s_popups;
    static int s_iStep;
    s_popups.clear();
    s_iStep = 0;
    // Up to the last item, Right into its sub-menu, then the pop-ups are read.
    SetTimer(nullptr, 0, 150, [](HWND, UINT, UINT_PTR id, DWORD) {
        static const WORD kKeys[] = {VK_UP, VK_RIGHT};
        if (s_iStep < 2) {
            keybd_event((BYTE)kKeys[s_iStep], 0, 0, 0);
            keybd_event((BYTE)kKeys[s_iStep++], 0, KEYEVENTF_KEYUP, 0);
            return;
        }
        KillTimer(nullptr, id);
        for (HWND h = FindWindowW(L"#32768", nullptr); h; h = FindWindowExW(nullptr, h, L"#32768", nullptr)) {
            RECT rc;
            if (IsWindowVisible(h) && GetWindowRect(h, &rc))
                s_popups.push_back(rc);
        }
        EndMenu();
    });
    PlatPressSoftKey(hwndBar, 1);
    ASSERT_EQ(2u, s_popups.size());
    // Either order: the parent touches the screen's right edge.
    const RECT &rcParent = s_popups[0].right == PHONE_CX ? s_popups[0] : s_popups[1];
    const RECT &rcSub = s_popups[0].right == PHONE_CX ? s_popups[1] : s_popups[0];
    RECT rcBar;
    GetWindowRect(hwndBar, &rcBar);
    EXPECT_EQ(rcBar.top, rcParent.bottom);
    EXPECT_EQ(rcBar.top, rcSub.bottom);
    EXPECT_EQ(rcParent.left, rcSub.right);

    // A main window's Back does nothing until the bar overrides it.
    g_seen.clear();
    PressKey(hwnd, VK_ESCAPE);
    EXPECT_TRUE(g_seen.empty());
    ASSERT_TRUE(OverrideBackKey(hwndBar));
    PressKey(hwnd, VK_ESCAPE);
    ASSERT_EQ(1u, g_seen.size());
    EXPECT_EQ((UINT)WM_HOTKEY, g_seen[0].msg);
    EXPECT_EQ(VK_TBACK, HIWORD(g_seen[0].lp));

    // Of two bars only the visible one answers the keys (the first one's key is disabled).
    g_seen.clear();
    HWND hwndB = CreateSoftKeyBar(hwnd, 200);
    ShowWindow(hwndB, SW_HIDE);
    EXPECT_EQ(hwndBar, PlatFindSoftKeyBar(hwnd));
    PressKey(hwnd, VK_F1);
    EXPECT_TRUE(g_seen.empty());
    ShowWindow(hwndBar, SW_HIDE);
    ShowWindow(hwndB, SW_SHOW);
    PressKey(hwnd, VK_F1);
    EXPECT_EQ(1u, g_seen.size());
    DestroyWindow(hwnd);
    EXPECT_FALSE(IsWindow(hwndBar));  // the bar dies with its owner
}

namespace {
HWND g_hdlgFields;
int g_cCancels;

INT_PTR CALLBACK FieldsProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_INITDIALOG:
        g_hdlgFields = hdlg;
        if (!CreateSoftKeyBar(hdlg, 200) || !InitFullScreenDialog(hdlg))
            return FALSE;
        OverrideBackKey(PlatFindSoftKeyBar(hdlg));
        return TRUE;
    case WM_HOTKEY:
        HandleBackHotKey(wp, lp);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDCANCEL) {
            ++g_cCancels;
            DestroyWindow(hdlg);
        }
        return TRUE;
    }
    return FALSE;
}
} // namespace

TEST_F(Kit, FullScreenDialogFieldsAndBack)
{
    HWND hwnd = MakeWindow();
    g_cCancels = 0;
    HRSRC hrsrc = FindResourceW(g_hInst, MAKEINTRESOURCEW(400), RT_DIALOG);
    HWND hdlg = CreateDialogIndirectParamW(g_hInst, (LPCDLGTEMPLATEW)LoadResource(g_hInst, hrsrc), hwnd, FieldsProc, 0);
    ASSERT_NE(nullptr, hdlg);
    ShowWindow(hdlg, SW_SHOW);
    Pump();
    HWND hwndEdit = GetDlgItem(hdlg, 401), hwndMulti = GetDlgItem(hdlg, 402), hwndGo = GetDlgItem(hdlg, 403);
    SetFocus(hwndEdit);
    PressKey(hwndEdit, VK_DOWN);
    EXPECT_EQ(hwndMulti, GetFocus());
    // A multi-line edit keeps DOWN while its caret can still move down.
    SetWindowTextW(hwndMulti, L"one\r\ntwo");
    SendMessageW(hwndMulti, EM_SETSEL, 0, 0);
    PressKey(hwndMulti, VK_DOWN);
    EXPECT_EQ(hwndMulti, GetFocus());
    SendMessageW(hwndMulti, EM_SETSEL, 7, 7);
    PressKey(hwndMulti, VK_DOWN);
    EXPECT_EQ(hwndGo, GetFocus());
    PressKey(hwndGo, VK_UP);
    EXPECT_EQ(hwndMulti, GetFocus());

    // Back deletes in a non-empty edit, and leaves the dialog from an empty one.
    SetFocus(hwndEdit);
    SetWindowTextW(hwndEdit, L"ab");
    SendMessageW(hwndEdit, EM_SETSEL, 2, 2);
    PressKey(hwndEdit, VK_ESCAPE);
    EXPECT_EQ(L"a", WindowText(hwndEdit));
    PressKey(hwndEdit, VK_ESCAPE);
    PressKey(hwndEdit, VK_ESCAPE);
    EXPECT_EQ(1, g_cCancels);
    EXPECT_FALSE(IsWindow(hdlg));
    DestroyWindow(hwnd);
}

namespace {
// Shows a real handset message box; pfnAct answers it from a timer.
int ShowRealBox(LPCWSTR pszText, UINT uType, TIMERPROC pfnAct)
{
    PLATMSGBOXHOOK pfnOld = PlatSetMessageBoxHook(nullptr);
    SetTimer(nullptr, 0, 300, pfnAct);
    int iResult = MessageBoxW(nullptr, pszText, L"Question", uType);
    PlatSetMessageBoxHook(pfnOld);
    return iResult;
}

HWND g_hwndBox;
std::wstring g_labels;
WCHAR g_szShown[300];
RECT g_rcBox, g_rcText;

// Dark pixels of a text: as a window shows it, or drawn on one line.
int DarkPixels(HDC hdc, int cx, int cy)
{
    int c = 0;
    for (int y = 0; y < cy; ++y)
        for (int x = 0; x < cx; ++x)
            c += GetGValue(GetPixel(hdc, x, y)) < 128;
    return c;
}

int DarkPixelsOnOneLine(LPCWSTR pszText, HFONT hfont)
{
    HDC hdcScreen = GetDC(nullptr);
    HDC hdc = CreateCompatibleDC(hdcScreen);
    HGDIOBJ hfontOld = SelectObject(hdc, hfont);
    SIZE size = {};
    GetTextExtentPoint32W(hdc, pszText, lstrlenW(pszText), &size);
    HBITMAP hbm = CreateCompatibleBitmap(hdcScreen, size.cx, size.cy);
    HGDIOBJ hbmOld = SelectObject(hdc, hbm);
    RECT rc = {0, 0, size.cx, size.cy};
    FillRect(hdc, &rc, (HBRUSH)GetStockObject(WHITE_BRUSH));
    TextOutW(hdc, 0, 0, pszText, lstrlenW(pszText));
    int c = DarkPixels(hdc, size.cx, size.cy);
    SelectObject(hdc, hbmOld);
    SelectObject(hdc, hfontOld);
    DeleteObject(hbm);
    DeleteDC(hdc);
    ReleaseDC(nullptr, hdcScreen);
    return c;
}

double g_dblShown;  // dark pixels of the box's text against the whole text's

void CALLBACK InspectAndPressNo(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    g_hwndBox = FindWindowW(L"#32770", L"Question");
    HWND hwndBar = PlatFindSoftKeyBar(g_hwndBox);
    g_labels = SoftKeyLabels(g_hwndBox);
    GetWindowRect(g_hwndBox, &g_rcBox);
    HWND hwndText = FindWindowExW(g_hwndBox, nullptr, L"Static", nullptr);
    while (hwndText && !(GetWindowTextW(hwndText, g_szShown, ARRAYSIZE(g_szShown)) > 0))
        hwndText = FindWindowExW(g_hwndBox, hwndText, L"Static", nullptr);
    GetWindowRect(hwndText, &g_rcText);
    HDC hdc = GetDC(hwndText);
    int cShown = DarkPixels(hdc, g_rcText.right - g_rcText.left, g_rcText.bottom - g_rcText.top);
    ReleaseDC(hwndText, hdc);
    g_dblShown = (double)cShown / DarkPixelsOnOneLine(g_szShown, (HFONT)SendMessageW(hwndText, WM_GETFONT, 0, 0));
    if (!PlatPressSoftKey(hwndBar, 1) && g_hwndBox)
        EndDialog(g_hwndBox, IDCANCEL);
}

void CALLBACK PressRight(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    if (IsWindow(g_hwndBox))
        PlatPressSoftKey(PlatFindSoftKeyBar(g_hwndBox), 1);
}

// The box's own modal loop must see the key: post it, do not pump here.
template <UINT vk> void CALLBACK PressInBox(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    g_hwndBox = FindWindowW(L"#32770", L"Question");
    PostMessageW(g_hwndBox, WM_KEYDOWN, vk, 1);
    if (vk == VK_ESCAPE)
        SetTimer(nullptr, 0, 300, PressRight);  // where Back has no answer, the right key ends it
}
} // namespace

TEST_F(Kit, RealMessageBoxFillsTheScreenWithAnswersOnSoftKeysAndTheKeys)
{
    LPCWSTR pszLong = L"Do you want to overwrite \\My Documents\\Business\\quarterly report.txt ?";
    EXPECT_EQ(IDNO, ShowRealBox(pszLong, MB_YESNO | MB_ICONQUESTION, InspectAndPressNo));
    EXPECT_EQ(L"Yes|No", g_labels);
    EXPECT_EQ(0, g_rcBox.left);
    EXPECT_EQ(PHONE_WORK_Y, g_rcBox.top);
    EXPECT_EQ(PHONE_CX, g_rcBox.right);
    // The whole text is shown, wrapped inside the screen.
    EXPECT_STREQ(pszLong, g_szShown);
    EXPECT_LE(g_rcText.right, PHONE_CX);
    EXPECT_GT(g_dblShown, 0.9);

    // A path of 259 characters has no blank to wrap at: it is broken, and shows whole.
    std::wstring path = L"\\Storage Card";
    while (path.size() < 259)
        path += L"\\Folder" + std::to_wstring(path.size());
    path = L"Cannot delete " + path.substr(0, 259) + L" ?";
    EXPECT_EQ(IDNO, ShowRealBox(path.c_str(), MB_YESNO | MB_ICONQUESTION, InspectAndPressNo));
    EXPECT_EQ(path, g_szShown);
    EXPECT_LE(g_rcText.bottom, PHONE_WORK_Y + PHONE_WORK_CY);
    EXPECT_GT(g_dblShown, 0.9);

    // The action key takes the default answer; Back cancels where it can.
    EXPECT_EQ(IDYES, ShowRealBox(L"Go?", MB_YESNO, PressInBox<VK_RETURN>));
    EXPECT_EQ(IDNO, ShowRealBox(L"Go?", MB_YESNO | MB_DEFBUTTON2, PressInBox<VK_RETURN>));
    EXPECT_EQ(IDCANCEL, ShowRealBox(L"Go?", MB_OKCANCEL, PressInBox<VK_ESCAPE>));
    EXPECT_EQ(IDNO, ShowRealBox(L"Go?", MB_YESNO, PressInBox<VK_ESCAPE>));  // Back has no answer in a Yes/No box
}

namespace {
int g_cFailures;
void *FailingMalloc(size_t cb)
{
    return g_cFailures-- > 0 ? nullptr : std::malloc(cb);
}
int g_cHandlerCalls;
void CountingHandler()
{
    ++g_cHandlerCalls;
}

// A child's message box, written to the file named by KIT_CHILD_OUT, since
// the report ends the process before anything else could look at it.
int CALLBACK RecordBoxToFile(HWND, LPCWSTR pszText, LPCWSTR pszCaption, UINT uType)
{
    WCHAR szPath[MAX_PATH];
    GetEnvironmentVariableW(L"KIT_CHILD_OUT", szPath, ARRAYSIZE(szPath));
    char sz[600];
    WideCharToMultiByte(CP_UTF8, 0, pszText, -1, sz, sizeof(sz), nullptr, nullptr);
    MakeFile(szPath, std::string(pszCaption ? "caption" : "nocaption") + "|" + sz + "|" + std::to_string(uType));
    return IDRETRY;  // for the assertion: retry still ends the process
}
} // namespace

TEST_CHILD(OutOfMemory)
{
    g_pfnKitMalloc = FailingMalloc;
    g_cFailures = 1000000;
    PlatSetMessageBoxHook(RecordBoxToFile);
    std::vector<int, KitAllocator<int>> v;
    v.push_back(1);
    return 0;  // not reached
}

TEST_CHILD(Assertion)
{
    PlatSetMessageBoxHook(RecordBoxToFile);
    ReportAssertion(TRUE, L"mainwnd.cpp", 10, L"never shown");
    ReportAssertion(FALSE, L"mainwnd.cpp", 42, L"iItem < 1000");
    return 7;  // not reached
}

TEST_F(Kit, OutOfMemoryIsRetriedThroughTheHandlerElseReportedLikeAnAssertionAndEndsTheProcess)
{
    g_pfnKitMalloc = FailingMalloc;
    g_cFailures = 2;
    g_cHandlerCalls = 0;
    KitSetOutOfMemoryHandler(CountingHandler);
    void *p = KitAllocate(64);
    KitSetOutOfMemoryHandler(nullptr);
    g_pfnKitMalloc = std::malloc;
    EXPECT_NE(nullptr, p);
    EXPECT_EQ(2, g_cHandlerCalls);
    std::free(p);
    struct Case {
        const wchar_t *pszChild;
        DWORD dwExit;
        const char *pszBox;
    } cases[] = {{L"OutOfMemory", 1, "nocaption|out of memory|0"},
                 {L"Assertion", 0, "nocaption|mainwnd.cpp:42 assertion failure:\niItem < 1000|5"}};
    std::wstring out = StoreRoot() + L"report.txt";
    SetEnvironmentVariableW(L"KIT_CHILD_OUT", out.c_str());
    for (const Case &c : cases) {
        DeleteFileW(out.c_str());
        EXPECT_EQ(c.dwExit, RunChild(c.pszChild, out));
        EXPECT_EQ(c.pszBox, ReadFileText(out));
    }
}

TEST_F(Kit, AProgramThatComesAndGoesTakesTheFrontAndTheKeysAndGivesThemBack)
{
    HWND hwnd = MakeWindow();
    ASSERT_NE(nullptr, CreateSoftKeyBar(hwnd, 200));
    // The mail program through a shortcut, as a user opens it from a list.
    ResetStore();
    MakeDir(L"\\Windows");
    ASSERT_TRUE(CopyFileW(BuildPath(L"tools\\tmail.exe").c_str(), L"\\Windows\\tmail.exe", FALSE));
    WCHAR szTarget[] = L"\\Windows\\tmail.exe";
    WCHAR szLink[] = L"\\mail.lnk";
    ASSERT_TRUE(SHCreateShortcut(szLink, szTarget));
    SHELLEXECUTEINFOW sei = {};
    sei.cbSize = sizeof(sei);
    sei.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    sei.hwnd = hwnd;
    sei.lpVerb = L"Open";
    sei.lpFile = szLink;
    ASSERT_TRUE(ShellExecuteExW(&sei));
    HWND hwndMail = nullptr;
    EXPECT_TRUE(PumpUntil([&] {
        hwndMail = FindWindowW(L"tmail", nullptr);
        return hwndMail && IsWindowVisible(hwndMail) && GetForegroundWindow() == hwndMail;
    }, 10000)) << "the compose screen is not in front";

    // Cancel ends it: the front (whose title the strip shows) and the soft keys
    // are the window's below again.
    if (hwndMail)
        PostMessageW(hwndMail, WM_COMMAND, 1002, 0);
    EXPECT_EQ(0u, WaitExit(sei.hProcess, 10000));
    CloseHandle(sei.hProcess);
    EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == hwnd && GetActiveWindow() == hwnd; }));
    g_seen.clear();
    PressKey(GetFocus() ? GetFocus() : hwnd, VK_F1);
    ASSERT_EQ(1u, g_seen.size());
    EXPECT_EQ(300u, LOWORD(g_seen[0].wp));
    DestroyWindow(hwnd);
    ResetStore();
}
