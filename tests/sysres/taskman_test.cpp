// The task manager over real windows of helper processes: which windows are
// listed, their icon source and PID text, Kill, Kill All (Except Selected),
// Go To, and the refresh on activation.
#include <commctrl.h>
#include "page.h"
#include "taskman.h"
#include "../res/ostrel/resource.h"
#include <strsafe.h>

namespace {
typedef PROCESS_INFORMATION Helper;

class TaskManager : public OstrelPage {
protected:
    std::deque<Helper> m_helpers;  // references stay valid as helpers are added
    HWND m_hwndList = nullptr;

    void SetUp() override
    {
        OstrelPage::SetUp();
        SetStartMenu("\\Windows\\Start Menu");
    }
    void TearDown() override
    {
        OstrelPage::TearDown();
        for (Helper &h : m_helpers) {
            TerminateProcess(h.hProcess, 1);
            WaitExit(h.hProcess, 3000);
            CloseHandle(h.hProcess);
            CloseHandle(h.hThread);
        }
    }
    void SetStartMenu(const char *psz)
    {
        nlohmann::json j;
        j["system"]["folders"]["startmenu"] = psz;
        ASSERT_TRUE(PlatProfileSave(L"device.json", j));
    }

    // Starts a helper with windows "CLASS|TITLE[|popup|hidden]"; waits for the first class.
    Helper &Start(const std::vector<std::wstring> &specs)
    {
        std::wstring args, first = specs[0].substr(0, specs[0].find(L'|'));
        for (const std::wstring &spec : specs)
            args += L"\"" + spec + L"\" ";
        Helper h = {};
        EXPECT_TRUE(StartProgram(BuildPath(L"tests\\sysres\\taskwnd.exe"), args, &h));
        EXPECT_TRUE(PumpUntil([&] { return !FindTopLevel(first.c_str()).empty(); }, 10000));
        WaitForInputIdle(h.hProcess, 3000);
        m_helpers.push_back(h);
        return m_helpers.back();
    }
    bool Running(const Helper &h) { return WaitForSingleObject(h.hProcess, 0) == WAIT_TIMEOUT; }
    bool Ended(const Helper &h) { return WaitExit(h.hProcess, 5000) != STILL_ACTIVE; }

    void Open()
    {
        m_hdlg = OpenPage(IDD_TASKS, TaskManagerDlgProc);
        m_hwndList = GetDlgItem(m_hdlg, IDC_TASK_LIST);
    }
    int Count() { return (int)SendMessageW(m_hwndList, LVM_GETITEMCOUNT, 0, 0); }
    std::wstring Cell(int iItem, int iSub) { return ListCell(m_hwndList, iItem, iSub); }
    int Find(const std::wstring &title)
    {
        for (int i = 0; i < Count(); ++i)
            if (Cell(i, 0) == title)
                return i;
        return -1;
    }
    static std::wstring PidText(DWORD dwPid)
    {
        WCHAR sz[16];
        StringCchPrintfW(sz, ARRAYSIZE(sz), L"0x%08x", dwPid);
        return sz;
    }
    bool HasIcon(int iItem)
    {
        LVITEMW lvi = {};
        lvi.mask = LVIF_IMAGE;
        lvi.iItem = iItem;
        return iItem >= 0 && SendMessageW(m_hwndList, LVM_GETITEMW, 0, (LPARAM)&lvi) && lvi.iImage >= 0;
    }
    void Select(int iItem)
    {
        ListView_SetItemState(m_hwndList, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        if (iItem >= 0)
            ListView_SetItemState(m_hwndList, iItem, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    // The command with real message boxes, each answered OK from inside its own
    // modal loop; their texts in order.
    std::vector<std::wstring> CommandWithRealBoxes(UINT id)
    {
        s_texts.clear();
        PLATMSGBOXHOOK pfnOld = PlatSetMessageBoxHook(nullptr);
        UINT_PTR idTimer = SetTimer(nullptr, 0, 100, AnswerBox);
        Command(id);
        KillTimer(nullptr, idTimer);
        PlatSetMessageBoxHook(pfnOld);
        return s_texts;
    }
    static std::vector<std::wstring> s_texts;
    static void CALLBACK AnswerBox(HWND, UINT, UINT_PTR, DWORD)
    {
        HWND hwndBox = FindWindowW(L"#32770", L"Error");
        WCHAR sz[128] = L"";
        for (HWND hwnd = FindWindowExW(hwndBox, nullptr, L"Static", nullptr); hwnd && !sz[0];
             hwnd = FindWindowExW(hwndBox, hwnd, L"Static", nullptr))
            GetWindowTextW(hwnd, sz, ARRAYSIZE(sz));
        if (!hwndBox)
            return;
        s_texts.push_back(sz);
        PostMessageW(hwndBox, WM_KEYDOWN, VK_RETURN, 1);
    }
    static std::wstring KillError(DWORD dwPid) { return L"Kill process(" + PidText(dwPid) + L") error."; }
};
std::vector<std::wstring> TaskManager::s_texts;
} // namespace

TEST_F(TaskManager, ListsVisibleTitledTopLevelWindowsSortedWithTheirPid)
{
    Helper &a = Start({L"Notes.MainWnd|Voice Notes", L"EmptyTitle|", L"Invisible|Invisible|hidden",
                       L"PopupWnd|Popup|popup", L"Tray|Tray", L"MSStart|Start", L"Ostrel|Ostrel", L"LongTitle|*300"});
    Helper &b = Start({L"TwoA|Beta", L"TwoB|Alpha"});
    HWND hwndOwn = CreateWindowExW(0, L"Static", L"Own window", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 10, 10, nullptr,
                                   nullptr, nullptr, nullptr);
    Open();
    EXPECT_EQ(L"Task Manager", WindowText(m_hdlg));
    int iNotes = Find(L"Voice Notes"), iAlpha = Find(L"Alpha"), iBeta = Find(L"Beta");
    ASSERT_TRUE(iNotes >= 0 && iAlpha >= 0 && iBeta >= 0);
    EXPECT_EQ(PidText(a.dwProcessId), Cell(iNotes, 1));
    EXPECT_EQ(PidText(b.dwProcessId), Cell(iAlpha, 1));  // two windows of one process: two rows, one PID
    EXPECT_EQ(PidText(b.dwProcessId), Cell(iBeta, 1));
    EXPECT_LT(iAlpha, iBeta);
    EXPECT_LT(iBeta, iNotes);
    for (const wchar_t *psz : {L"", L"Invisible", L"Popup", L"Tray", L"Start", L"Ostrel", L"Task Manager"})
        EXPECT_EQ(-1, Find(psz)) << psz;
    EXPECT_GE(Find(L"Own window"), 0);
    EXPECT_GE(Find(std::wstring(259, L'x')), 0);  // an overlong title shown cut
    EXPECT_EQ(0, (int)SendMessageW(m_hwndList, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED));
    EXPECT_EQ(1u, FindTopLevel(L"Tray").size());  // listed or not, nothing was ended
    DestroyWindow(hwndOwn);

    // A shortcut class shows its Start menu shortcut's icon (none without one), others their module's.
    EXPECT_FALSE(HasIcon(iNotes));
    EXPECT_TRUE(HasIcon(iAlpha));
    ASSERT_TRUE(MakeDir(L"P:\\Windows") && MakeDir(L"P:\\Windows\\Start Menu"));
    ASSERT_TRUE(MakeFile(L"P:\\Windows\\Start Menu\\Voice Notes.lnk", ""));
    Command(IDM_TASK_REFRESH);
    EXPECT_TRUE(HasIcon(Find(L"Voice Notes")));
}

TEST_F(TaskManager, KillEndsTheSelectedProcessOrReportsItsPidAndRefreshes)
{
    Helper &a = Start({L"KillMe|Kill me"});
    Helper &b = Start({L"KeepMe|Keep me"});
    Helper &gone = Start({L"Gone|Gone soon"});
    Open();
    Select(-1);
    Command(IDM_KILL);  // nothing selected: nothing happens
    EXPECT_TRUE(Running(a));
    Select(Find(L"Kill me"));
    Command(IDM_KILL);
    EXPECT_TRUE(Ended(a));
    EXPECT_TRUE(Running(b));
    EXPECT_EQ(-1, Find(L"Kill me"));
    EXPECT_GE(Find(L"Keep me"), 0);
    EXPECT_TRUE(MessageBoxes::calls.empty());
    // A process that ends on its own before the user picks Kill.
    int iItem = Find(L"Gone soon");
    ASSERT_GE(iItem, 0);
    TerminateProcess(gone.hProcess, 5);
    ASSERT_TRUE(Ended(gone));
    Select(iItem);
    Command(IDM_KILL);
    ASSERT_EQ(1u, MessageBoxes::calls.size());
    EXPECT_EQ(KillError(gone.dwProcessId), MessageBoxes::calls[0].text);
    EXPECT_EQ(L"Error", MessageBoxes::calls[0].caption);
    EXPECT_EQ((UINT)MB_ICONHAND, MessageBoxes::calls[0].uType);
    EXPECT_EQ(m_hwndList, MessageBoxes::calls[0].hwndOwner);
    EXPECT_EQ(-1, Find(L"Gone soon"));  // refreshed all the same
}

TEST_F(TaskManager, KillAllExceptSelectedWorksOnTheRowsListedWhenGiven)
{
    // A failed kill's real box re-activates the page, which lists the windows again under the loop.
    Helper &dead = Start({L"DeadA|A dead"});
    Helper &b = Start({L"EndB|B end"});
    Helper &c = Start({L"EndC|C end"});
    Helper &keep = Start({L"KeepD|D keep", L"KeepE|E keep too"});
    Open();
    TerminateProcess(dead.hProcess, 5);
    ASSERT_TRUE(Ended(dead));
    Select(Find(L"D keep"));
    std::vector<std::wstring> texts = CommandWithRealBoxes(IDM_KILL_ALL_EXCEPT);
    EXPECT_TRUE(Ended(b));
    EXPECT_TRUE(Ended(c));
    EXPECT_TRUE(Running(keep));  // all the selected application's windows stay
    EXPECT_EQ(std::vector<std::wstring>{KillError(dead.dwProcessId)}, texts);
    EXPECT_GE(Find(L"D keep"), 0);
    EXPECT_GE(Find(L"E keep too"), 0);
    for (const wchar_t *psz : {L"A dead", L"B end", L"C end"})
        EXPECT_EQ(-1, Find(psz)) << psz;

    // No selection: every process, and the second row of an ended one is no failure.
    Select(-1);
    Command(IDM_KILL_ALL_EXCEPT);
    EXPECT_TRUE(Ended(keep));
    EXPECT_EQ(-1, Find(L"E keep too"));
    EXPECT_TRUE(MessageBoxes::calls.empty());
}

TEST_F(TaskManager, KillAllGoesOnAfterAFailureAndNeverEndsThisProgramOrTheShell)
{
    SetStartMenu("");  // no hidden classes: this program's and the shell's windows are listed
    Helper &a = Start({L"Dead|Dead"});
    Helper &b = Start({L"Live|Live"});
    Helper &shell = Start({L"Tray|Tray"});
    HWND hwndOwn = CreateWindowExW(0, L"Static", L"Own window", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 10, 10, nullptr,
                                   nullptr, nullptr, nullptr);
    Open();
    ASSERT_GE(Find(L"Own window"), 0);
    ASSERT_GE(Find(L"Tray"), 0);
    EXPECT_TRUE(HasIcon(Find(L"Tray")));  // no Start menu: the module's icon
    TerminateProcess(a.hProcess, 5);
    ASSERT_TRUE(Ended(a));
    Command(IDM_KILL_ALL);
    EXPECT_TRUE(Ended(b));
    EXPECT_TRUE(Running(shell));
    for (DWORD dwPid : {a.dwProcessId, shell.dwProcessId, GetCurrentProcessId()})
        EXPECT_EQ(1, std::count_if(MessageBoxes::calls.begin(), MessageBoxes::calls.end(),
                                   [&](const BoxCall &c) { return c.text == KillError(dwPid); }));
    EXPECT_EQ(-1, Find(L"Live"));
    EXPECT_GE(Find(L"Tray"), 0);
    DestroyWindow(hwndOwn);
}

TEST_F(TaskManager, GoToBringsTheApplicationForwardComingBackRefreshesAndQuitEnds)
{
    Start({L"GoHere|Go here"});
    HWND hwndApp = FindTopLevel(L"GoHere")[0];
    Open();
    SetForegroundWindow(m_hdlg);
    Pump();
    Select(-1);
    Command(IDM_GOTO);  // nothing selected: nothing happens
    EXPECT_NE(hwndApp, GetForegroundWindow());
    Select(Find(L"Go here"));
    EXPECT_EQ(hwndApp, FindTaskWindow(m_helpers[0].dwProcessId));
    Command(IDM_GOTO);
    EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == hwndApp; }, 3000));
    EXPECT_TRUE(IsWindow(m_hdlg));  // the page stays open

    // A window started while away is listed once the page is back, not before.
    Start({L"Later|Later"});
    Pump(100);
    EXPECT_EQ(-1, Find(L"Later"));
    SetForegroundWindow(m_hdlg);
    EXPECT_TRUE(PumpUntil([&] { return Find(L"Later") >= 0; }, 3000));

    // The action key does what Go To does.
    Select(Find(L"Go here"));
    Command(IDOK);
    EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == hwndApp; }, 3000));

    // Back stays on the page; the left soft key, Quit, ends it.
    EXPECT_EQ(L"Quit|Menu", SoftKeyLabels(m_hdlg));
    Command(IDCANCEL);
    EXPECT_TRUE(IsWindowVisible(m_hdlg));
    PlatPressSoftKey(PlatFindSoftKeyBar(m_hdlg), 0);
    Pump();
    EXPECT_FALSE(IsWindowVisible(m_hdlg));
}
