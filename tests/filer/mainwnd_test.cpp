// The main window through real messages: activation up and down the
// folders, star/pound, page moves, multiple selection, menu state, sort
// commands, the strips and the message boxes.
#include "window_fixture.h"
#include "filelist.h"
#include "listkit.h"

namespace {
class MainWindow : public TavelWindow {
protected:
    void Key(UINT vk) { PostKey(hwndList, vk); }

    // The action key on a row: focus and select it, then activate it.
    void Activate(int iRow)
    {
        Select({iRow});
        Key(VK_RETURN);
    }

    UINT State(int iRow) { return (UINT)SendMessageW(hwndList, LVM_GETITEMSTATE, iRow, LVIS_SELECTED | LVIS_FOCUSED); }

    std::vector<int> SelectedRows()
    {
        std::vector<int> v;
        int i = -1;
        while ((i = (int)SendMessageW(hwndList, LVM_GETNEXTITEM, i, LVNI_SELECTED)) >= 0)
            v.push_back(i);
        return v;
    }

    std::vector<DWORD> Marks() { return std::vector<DWORD>(g_adwMarks, g_adwMarks + g_cFileRows); }

    // A pixel of a row as painted: at x on its middle line, or on its top line.
    COLORREF RowPixel(int iRow, int x, bool fTop = false)
    {
        InvalidateRect(hwndList, nullptr, TRUE);
        UpdateWindow(hwndList);
        RECT rc = {LVIR_BOUNDS, 0, 0, 0};
        SendMessageW(hwndList, LVM_GETITEMRECT, iRow, (LPARAM)&rc);
        HDC hdc = GetDC(hwndList);
        COLORREF cr = GetPixel(hdc, x, fTop ? rc.top : (rc.top + rc.bottom) / 2);
        ReleaseDC(hwndList, hdc);
        return cr;
    }
};
const COLORREF kBar = RGB(0, 0, 255);
} // namespace

TEST_F(MainWindow, ActivationRefusesAPathPastTheLimitAndLeavesTheFolder)
{
    ASSERT_TRUE(MakeDir(L"P:\\Deep"));
    OpenWindow(L"\\Deep");
    // A folder row whose joined path would pass 259 characters.
    std::wstring folder(250, L'd');
    folder = L"\\" + folder;
    StringCchCopyW(g_szCurrentFolder, ARRAYSIZE(g_szCurrentFolder), folder.c_str());
    FileEntry &fe = g_aFileTable[1];
    memset(&fe, 0, sizeof(fe));
    fe.fd.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
    StringCchCopyW(fe.fd.cFileName, ARRAYSIZE(fe.fd.cFileName), L"twelve-chars");
    g_cFileRows = 2;
    SendMessageW(hwndList, LVM_SETITEMCOUNT, 2, 0);
    Activate(1);
    EXPECT_EQ(folder, g_szCurrentFolder);
    EXPECT_EQ(2, g_cFileRows);
    fe.fd.dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
    Activate(1);
    EXPECT_EQ(folder, g_szCurrentFolder);
    // One character less fits exactly 259 and is entered.
    folder.resize(folder.size() - 5);
    StringCchCopyW(g_szCurrentFolder, ARRAYSIZE(g_szCurrentFolder), folder.c_str());
    fe.fd.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
    ASSERT_EQ(259u, folder.size() + 1 + wcslen(fe.fd.cFileName));
    Activate(1);
    EXPECT_STREQ(L"", g_szCurrentFolder);
    EXPECT_EQ(1, g_cFileRows);
}

TEST_F(MainWindow, StarPoundLeftAndRightMoveToTheEndsAndByPages)
{
    ASSERT_TRUE(MakeFiles(L"P:\\Many", L"file%02d.txt", 40));
    OpenWindow(L"\\Many");
    ASSERT_EQ(41, g_cFileRows);
    Key(VK_F9);
    EXPECT_EQ(std::vector<int>{40}, SelectedRows());
    EXPECT_EQ((UINT)(LVIS_SELECTED | LVIS_FOCUSED), State(40));
    EXPECT_GT(SendMessageW(hwndList, LVM_GETTOPINDEX, 0, 0), 0);
    Key(VK_F8);
    EXPECT_EQ(std::vector<int>{0}, SelectedRows());
    EXPECT_EQ((UINT)(LVIS_SELECTED | LVIS_FOCUSED), State(0));
    EXPECT_EQ(0, SendMessageW(hwndList, LVM_GETTOPINDEX, 0, 0));
    // The bar leaves a row whole: not even its first pixel stays blue.
    Key(VK_DOWN);
    ASSERT_EQ(std::vector<int>{1}, SelectedRows());
    EXPECT_EQ(kBar, RowPixel(1, 0));
    EXPECT_NE(kBar, RowPixel(0, 0));

    int cPage = (int)SendMessageW(hwndList, LVM_GETCOUNTPERPAGE, 0, 0);
    ASSERT_GT(cPage, 1);
    ASSERT_LT(cPage * 2, 41);
    Select({2});
    Key(VK_RIGHT);
    EXPECT_EQ(std::vector<int>{2 + cPage}, SelectedRows());
    EXPECT_TRUE(State(2 + cPage) & LVIS_FOCUSED);
    Key(VK_LEFT);
    EXPECT_EQ(std::vector<int>{2}, SelectedRows());
    Key(VK_LEFT);  // within the first page: row 0
    EXPECT_EQ(std::vector<int>{0}, SelectedRows());
    Select({40 - cPage / 2});
    Key(VK_RIGHT);  // less than a page left: the last row
    EXPECT_EQ(std::vector<int>{40}, SelectedRows());
    EXPECT_GT(SendMessageW(hwndList, LVM_GETTOPINDEX, 0, 0), 0);
}

namespace {
void MakeMixedFolder()
{
    ASSERT_TRUE(MakeFiles(L"P:\\Mix", L"f%d.txt", 3) && MakeDir(L"P:\\Mix\\Sub1") && MakeDir(L"P:\\Mix\\Sub2"));
}
} // namespace

TEST_F(MainWindow, SelectionCommandsAndMultipleSelectionMarksEndedByDoneOrCancel)
{
    MakeMixedFolder();
    OpenWindow(L"\\Mix");
    ASSERT_EQ(6, g_cFileRows);  // .., Sub1, Sub2, f0, f1, f2
    Select({3});
    Command(IDM_SELECT_MULTIPLE);
    EXPECT_TRUE(IsMultiSelectMode());
    EXPECT_EQ(L"Done|Menu", SoftKeyLabels(hwnd));
    // Another window in front and back again keeps the mode's bar.
    SendMessageW(hwnd, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(L"Done|Menu", SoftKeyLabels(hwnd));
    EXPECT_EQ((std::vector<DWORD>{0, 0, 0, 1, 0, 0}), Marks());
    EXPECT_STREQ(L"1/6", GetStatusStripCounts());
    Select({5});
    Key(VK_RETURN);
    EXPECT_EQ(1u, g_adwMarks[5]);
    EXPECT_STREQ(L"\\Mix", g_szCurrentFolder);
    Key(VK_RETURN);
    EXPECT_EQ(0u, g_adwMarks[5]);
    Key(VK_RETURN);
    // In the mode only a row with the focus has the bar, and no frame over it.
    Select({3, 5});
    EXPECT_NE(kBar, RowPixel(3, 90));
    EXPECT_EQ(kBar, RowPixel(5, 1));
    EXPECT_EQ(kBar, RowPixel(5, 90, true));
    Command(IDM_MULTI_DONE);
    EXPECT_FALSE(IsMultiSelectMode());
    EXPECT_EQ((std::vector<int>{3, 5}), SelectedRows());
    EXPECT_EQ((UINT)LVIS_SELECTED, State(5));  // focus cleared with the other bits
    EXPECT_EQ(L"Tree View|Menu", SoftKeyLabels(hwnd));

    Select({});
    Command(IDM_SELECT_MULTIPLE);
    Command(IDM_MULTI_SELECT_FOLDERS);
    EXPECT_EQ((std::vector<DWORD>{1, 1, 1, 0, 0, 0}), Marks());
    Command(IDM_MULTI_INVERT);
    EXPECT_EQ((std::vector<DWORD>{0, 0, 0, 1, 1, 1}), Marks());
    Command(IDM_MULTI_SELECT_NONE);
    Command(IDM_MULTI_SELECT_FILES);
    EXPECT_EQ((std::vector<DWORD>{0, 0, 0, 1, 1, 1}), Marks());
    Command(IDM_MULTI_SELECT_FOLDERS);
    Command(IDM_MULTI_DONE);
    EXPECT_EQ((std::vector<int>{0, 1, 2}), SelectedRows());  // the ".." row is part of it

    Select({1, 4});
    UINT uBefore1 = State(1), uBefore4 = State(4);
    Command(IDM_SELECT_MULTIPLE);
    Command(IDM_MULTI_SELECT_ALL);
    EXPECT_EQ(std::vector<DWORD>(6, 1), Marks());
    Pump(50);
    EXPECT_STREQ(L"6/6", GetStatusStripCounts());
    Command(IDM_MULTI_CANCEL);
    EXPECT_FALSE(IsMultiSelectMode());
    EXPECT_EQ((std::vector<int>{1, 4}), SelectedRows());
    EXPECT_EQ(uBefore1, State(1));
    EXPECT_EQ(uBefore4, State(4));
    SendMessageW(hwnd, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(L"Tree View|Menu", SoftKeyLabels(hwnd));
    EXPECT_EQ(hwndList, GetFocus());

    Command(IDM_SELECT_ALL);
    EXPECT_EQ(6u, SelectedRows().size());
    Select({1, 2});
    Command(IDM_INVERT_SELECT);
    EXPECT_EQ((std::vector<int>{0, 3, 4, 5}), SelectedRows());
    EXPECT_STREQ(L"4/6", GetStatusStripCounts());
    Command(IDM_SELECT_NONE);
    EXPECT_TRUE(SelectedRows().empty());
    EXPECT_EQ(-1, (int)SendMessageW(hwndList, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED));
    EXPECT_STREQ(L"0/6", GetStatusStripCounts());
    EXPECT_STREQ(L"", GetStatusStripDate());
    // The focus alone: an etched frame from x = 1, no bar.
    LVITEMW lvi = {};
    lvi.state = lvi.stateMask = LVIS_FOCUSED;
    SendMessageW(hwndList, LVM_SETITEMSTATE, 2, (LPARAM)&lvi);
    COLORREF crFramed = RowPixel(2, 1), crPlain = RowPixel(2, 0);
    EXPECT_NE(kBar, RowPixel(2, 90));
    Select({});
    EXPECT_NE(crFramed, RowPixel(2, 1));
    EXPECT_EQ(crPlain, RowPixel(2, 0));
}

namespace {
struct MenuProbe {
    HMENU hmenu;
    explicit MenuProbe(HWND hwnd) : hmenu(LoadMenuW(g_hInst, MAKEINTRESOURCEW(IDR_BAR_LIST)))
    {
        HMENU hPopup = GetSubMenu(hmenu, 1);
        SendMessageW(hwnd, WM_INITMENUPOPUP, (WPARAM)hPopup, 1);
    }
    ~MenuProbe() { DestroyMenu(hmenu); }
    bool Grayed(UINT id) { return (GetMenuState(hmenu, id, MF_BYCOMMAND) & MF_GRAYED) != 0; }
    bool Checked(UINT id) { return (GetMenuState(hmenu, id, MF_BYCOMMAND) & MF_CHECKED) != 0; }
};
} // namespace

TEST_F(MainWindow, MenuGrayingFollowsTheSelectionAndUnfinishedCommandsSaySo)
{
    MakeMixedFolder();
    OpenWindow(L"\\Mix");
    const std::vector<UINT> kAlways = {IDM_SEND_MMS, IDM_SEND_BT, IDM_RECEIVE_BT};
    const std::vector<UINT> kOnOne = {IDM_MOVE_TO, IDM_COPY_TO, IDM_DELETE, IDM_RENAME, IDM_PROPERTIES};
    const std::vector<UINT> kOnAFile = {IDM_MOVE_TO,         IDM_COPY_TO,    IDM_DELETE,  IDM_RENAME,
                                        IDM_CREATE_SHORTCUT, IDM_SEND_EMAIL, IDM_SEND_IR, IDM_PROPERTIES};
    const struct {
        std::vector<int> rows;  // .., Sub1, Sub2, f0, f1, f2
        std::vector<UINT> grayed, enabled;
    } cases[] = {
        {{}, kOnAFile, {IDM_NEW_FOLDER, IDM_FIND, IDM_RECEIVE_IR}},
        {{0}, kOnAFile, {}},
        {{1}, {IDM_CREATE_SHORTCUT, IDM_SEND_EMAIL, IDM_SEND_IR}, kOnOne},
        {{3}, {}, kOnAFile},
        {{0, 4}, {IDM_RENAME, IDM_PROPERTIES, IDM_CREATE_SHORTCUT}, {IDM_MOVE_TO, IDM_COPY_TO, IDM_DELETE}},
        {{3, 4}, {IDM_RENAME}, {IDM_PROPERTIES, IDM_DELETE}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.rows));
        Select(c.rows);
        MenuProbe m(hwnd);
        for (UINT id : c.grayed)
            EXPECT_TRUE(m.Grayed(id)) << id;
        for (UINT id : kAlways)
            EXPECT_TRUE(m.Grayed(id)) << id;
        for (UINT id : c.enabled)
            EXPECT_FALSE(m.Grayed(id)) << id;
    }
    // The commands grayed on no selection still answer when sent.
    Select({});
    for (UINT id : {IDM_RENAME, IDM_SEND_MMS, IDM_SEND_BT, IDM_RECEIVE_BT, IDM_ABOUT})
        Command(id);
    ASSERT_EQ(5u, MessageBoxes::calls.size());
    EXPECT_EQ((UINT)MB_ICONHAND, MessageBoxes::calls[0].uType);
    EXPECT_EQ(nullptr, MessageBoxes::calls[1].hwndOwner);
    EXPECT_EQ(L"send & receive", MessageBoxes::calls[1].caption);
    EXPECT_EQ(L"About", MessageBoxes::calls[4].caption);
    MessageBoxes::calls.pop_back();
    EXPECT_EQ((std::vector<std::wstring>{L"You must select an item.", L"send by MMS not implemented",
                                         L"send by Bluetooth not implemented",
                                         L"recevie from Bluetooth not implemented"}),
              BoxTexts());
}

TEST_F(MainWindow, SortCommandsWriteTheRegistryAndCheckTheMenu)
{
    ASSERT_TRUE(MakeDir(L"P:\\Sort") && MakeSizedFile(L"P:\\Sort\\a.doc", 300));
    ASSERT_TRUE(MakeSizedFile(L"P:\\Sort\\b.txt", 100) && MakeSizedFile(L"P:\\Sort\\c.bmp", 200));
    // Stored values out of range: a type read as by name, an order other than 1 as descending.
    SetTavelDword(L"ControlPanel\\Tavel", L"SortType", 7);
    SetTavelDword(L"ControlPanel\\Tavel", L"SortOrder", 2);
    OpenWindow(L"\\Sort");
    ASSERT_EQ(4, g_cFileRows);
    auto checked = [&] {
        MenuProbe m(hwnd);
        std::vector<UINT> v;
        for (UINT id :
             {IDM_SORT_NAME, IDM_SORT_SIZE, IDM_SORT_TYPE, IDM_SORT_DATE, IDM_SORT_ASCENDING, IDM_SORT_DESCENDING})
            if (m.Checked(id))
                v.push_back(id);
        return v;
    };
    EXPECT_EQ((std::vector<UINT>{IDM_SORT_NAME, IDM_SORT_DESCENDING}), checked());
    EXPECT_STREQ(L"c.bmp", g_aFileTable[1].fd.cFileName);
    Command(IDM_SORT_SIZE);
    EXPECT_EQ(2u, GetTavelDword(L"ControlPanel\\Tavel", L"SortType", 0));
    EXPECT_STREQ(L"a.doc", g_aFileTable[1].fd.cFileName);
    EXPECT_STREQ(L"b.txt", g_aFileTable[3].fd.cFileName);
    EXPECT_EQ((std::vector<UINT>{IDM_SORT_SIZE, IDM_SORT_DESCENDING}), checked());
    // The type already in force does not sort again; Ascending sorts again even when it already is.
    std::swap(g_aFileTable[1], g_aFileTable[3]);
    Command(IDM_SORT_SIZE);
    EXPECT_STREQ(L"b.txt", g_aFileTable[1].fd.cFileName);
    Command(IDM_SORT_ASCENDING);
    EXPECT_EQ(1u, GetTavelDword(L"ControlPanel\\Tavel", L"SortOrder", 7));
    std::swap(g_aFileTable[1], g_aFileTable[3]);
    Command(IDM_SORT_ASCENDING);
    EXPECT_STREQ(L"b.txt", g_aFileTable[1].fd.cFileName);
    Command(IDM_SORT_DESCENDING);
    EXPECT_EQ(0u, GetTavelDword(L"ControlPanel\\Tavel", L"SortOrder", 7));
    EXPECT_STREQ(L"a.doc", g_aFileTable[1].fd.cFileName);
    EXPECT_STREQ(L"..", g_aFileTable[0].fd.cFileName);
    Command(IDM_SORT_TYPE);
    EXPECT_EQ(3u, GetTavelDword(L"ControlPanel\\Tavel", L"SortType", 0));
    EXPECT_STREQ(L"b.txt", g_aFileTable[1].fd.cFileName);  // descending: .txt, .doc, .bmp
    EXPECT_STREQ(L"c.bmp", g_aFileTable[3].fd.cFileName);
    EXPECT_EQ((std::vector<UINT>{IDM_SORT_TYPE, IDM_SORT_DESCENDING}), checked());
}

// The main window as the handset runs it: a failed WM_CREATE is followed by WM_DESTROY.
static LRESULT CALLBACK HandsetCreateOrder(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    LRESULT lr = MainWndProc(hwnd, msg, wp, lp);
    if (msg == WM_CREATE && lr == -1)
        MainWndProc(hwnd, WM_DESTROY, 0, 0);
    return lr;
}

TEST_F(MainWindow, ExitRemembersTheFolderOnlyWhenAsked)
{
    MakeMixedFolder();
    OpenWindow(L"\\Mix\\Sub1");
    Command(IDM_EXIT);
    EXPECT_FALSE(IsWindow(hwnd));
    WCHAR sz[MAX_PATH];
    ReadLastFolder(sz, ARRAYSIZE(sz));
    EXPECT_STREQ(L"", sz);

    SetOption(OPT_REMEMBER_FOLDER, 1);
    g_szCurrentFolder[0] = 0;
    OpenWindow();
    Activate(0);
    Activate(2);
    ASSERT_STREQ(L"\\Mix\\Sub2", g_szCurrentFolder);
    Command(IDM_EXIT);
    ReadLastFolder(sz, ARRAYSIZE(sz));
    EXPECT_STREQ(L"\\Mix\\Sub2", sz);
    g_szCurrentFolder[0] = 0;
    OpenWindow();
    EXPECT_STREQ(L"\\Mix\\Sub2", g_szCurrentFolder);
    EXPECT_STREQ(L"..", g_aFileTable[0].fd.cFileName);
    DestroyWindow(hwnd);

    // A remembered folder that is gone, or no folder of the handset, shows the root.
    ASSERT_TRUE(MakeDir(L"P:\\Kept"));
    for (std::wstring path : {std::wstring(L"\\Gone\\Away"), std::wstring(PlatProfileDir()),
                              std::wstring(L"\\\\?\\unix\\tmp"), std::wstring(L"\\Kept\\"), std::wstring(L"Kept")}) {
        WriteLastFolder(path.c_str());
        OpenWindow();
        EXPECT_STREQ(L"", g_szCurrentFolder) << std::string(path.begin(), path.end());
        EXPECT_EQ(-1, RowOf(L".."));
        DestroyWindow(hwnd);
    }

    // A window that fails to build (no bars in the module) stores nothing, though WM_DESTROY follows.
    static bool s_fRegistered = RegisterMainClass(L"TavelHandsetOrder", HandsetCreateOrder);
    ASSERT_TRUE(s_fRegistered);
    WriteLastFolder(L"\\Mix\\Sub1");
    g_szCurrentFolder[0] = 0;
    HINSTANCE hinst = g_hInst;
    g_hInst = GetModuleHandleW(L"kernel32.dll");
    HWND hwndFailed = CreateWindowExW(0, L"TavelHandsetOrder", g_szTitle, 0, 0, 0, 176, 220, nullptr, nullptr, hinst,
                                      nullptr);
    g_hInst = hinst;
    EXPECT_EQ(nullptr, hwndFailed);
    ReadLastFolder(sz, ARRAYSIZE(sz));
    EXPECT_STREQ(L"\\Mix\\Sub1", sz);
    SetOption(OPT_REMEMBER_FOLDER, 0);
}

TEST_F(MainWindow, AFolderPastTheTableIsListedInPartAndSaysSo)
{
    ASSERT_TRUE(MakeFiles(L"P:\\Big", L"n%04d", 999));
    OpenWindow(L"\\Big");
    EXPECT_EQ(FILE_TABLE_ROWS, g_cFileRows);  // the ".." row and 999 files fit exactly
    EXPECT_FALSE(g_fListingIncomplete);
    // One hidden file more is no more rows while hidden files are left out.
    ASSERT_TRUE(MakeFile(L"P:\\Big\\hidden", "") && SetFileAttributesW(L"P:\\Big\\hidden", FILE_ATTRIBUTE_HIDDEN));
    SetOption(OPT_HIDE_HIDDEN, 1);
    ListFolder();
    EXPECT_FALSE(g_fListingIncomplete);
    SetOption(OPT_HIDE_HIDDEN, 0);
    // Folders found after the table is full take the places of the files found last.
    ASSERT_TRUE(MakeDir(L"P:\\Big\\zz-one") && MakeDir(L"P:\\Big\\zz-two"));
    ListFolder();
    EXPECT_EQ(FILE_TABLE_ROWS, g_cFileRows);
    EXPECT_TRUE(g_fListingIncomplete);
    EXPECT_EQ(FILE_TABLE_ROWS, (int)SendMessageW(hwndList, LVM_GETITEMCOUNT, 0, 0));
    EXPECT_EQ(1, RowOf(L"zz-one"));
    EXPECT_EQ(2, RowOf(L"zz-two"));
    EXPECT_STREQ(L"n0995", g_aFileTable[FILE_TABLE_ROWS - 1].fd.cFileName);
    Select({0});
    Pump(50);
    EXPECT_STREQ(L"1/1000+", GetStatusStripCounts());
    Select({3});
    InvalidateRect(hwndList, nullptr, TRUE);
    Pump(50);
    EXPECT_STRNE(L"", GetStatusStripDate());
    EXPECT_GE(GetStatusStripGap(), 4);
    Key(VK_F9);
    EXPECT_EQ(std::vector<int>{999}, SelectedRows());
    // Deleting every row listed leaves what the table had no room for: read again.
    SetOption(OPT_CONFIRM_DELETE, 0);
    Command(IDM_SELECT_ALL);
    Command(IDM_DELETE);
    EXPECT_FALSE(g_fListingIncomplete);
    EXPECT_EQ(4, g_cFileRows);
    EXPECT_EQ(4, (int)SendMessageW(hwndList, LVM_GETITEMCOUNT, 0, 0));
    EXPECT_STREQ(L"1/4", GetStatusStripCounts());
    Activate(0);
    Pump(50);
    EXPECT_STREQ(L"1/1", GetStatusStripCounts());
}

TEST_F(MainWindow, DigitsColumnWidthIconsAndDatesFollowTheListing)
{
    ASSERT_TRUE(MakeDir(L"P:\\Few") && MakeSizedFile(L"P:\\Few\\one.txt", 10, 0, 100));
    ASSERT_TRUE(MakeFiles(L"P:\\Lots", L"doc%02d.txt", 40));
    ASSERT_TRUE(MakeDir(L"P:\\Tunes") && MakeFile(L"P:\\todo.txt", "t") && MakeFile(L"P:\\tune.mid", "t"));
    OpenWindow();
    // A digit finds a file (never "Tunes") from row 0 whatever the focus; two soon after: "tu".
    Select({RowOf(L"tune.mid")});
    SetFocus(hwndList);
    for (LPCWSTR psz : {L"todo.txt", L"tune.mid"}) {
        PostMessageW(hwndList, WM_CHAR, L'8', 1);
        Pump(50);
        EXPECT_EQ(std::vector<int>{RowOf(psz)}, SelectedRows());
    }
    EXPECT_STREQ(L"  \\", GetTitleStripText());
    Activate(RowOf(L"Few"));
    Pump(50);
    EXPECT_STREQ(L"  \\Few", GetTitleStripText());
    EXPECT_EQ(std::vector<int>{0}, SelectedRows());
    EXPECT_EQ(176, SendMessageW(hwndList, LVM_GETCOLUMNWIDTH, 0, 0));
    EXPECT_FALSE(GetWindowLongW(hwndList, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL));
    EXPECT_STREQ(L"", GetStatusStripDate());
    EXPECT_STREQ(L"1/2", GetStatusStripCounts());
    Select({1});
    InvalidateRect(hwndList, nullptr, TRUE);
    Pump(50);
    EXPECT_NE(std::wstring::npos, std::wstring(GetStatusStripDate()).find(L"2000"));
    Activate(0);
    EXPECT_STREQ(L"", g_szCurrentFolder);
    Activate(RowOf(L"Lots"));
    Pump(50);
    // The column fits beside the vertical bar: no horizontal bar over the last row.
    RECT rc;
    GetClientRect(hwndList, &rc);
    EXPECT_EQ(rc.right, SendMessageW(hwndList, LVM_GETCOLUMNWIDTH, 0, 0));
    EXPECT_EQ(WS_VSCROLL, GetWindowLongW(hwndList, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL));
    // Icons are looked up for the rows drawn, not for the rest.
    EXPECT_NE(-1, g_aFileTable[1].iIcon);
    EXPECT_EQ(-1, g_aFileTable[40].iIcon);
}

TEST_F(MainWindow, EverySizeShowsWholeInBothFontsBesideAScrollBarOrNot)
{
    ASSERT_TRUE(MakeDir(L"P:\\S") && MakeSparseFile(L"P:\\S\\a", 5368ULL * 1000 * 1000));
    ASSERT_TRUE(MakeFile(L"P:\\S\\b", std::string(3570, 'b')));
    // A row as the list draws it, against its size text drawn alone.
    auto check = [&](const wchar_t *pszName, const wchar_t *pszSize) {
        int iRow = RowOf(pszName);
        ASSERT_GE(iRow, 0);
        WCHAR szSize[16];
        FormatFileSize(FileSizeOf(g_aFileTable[iRow].fd), szSize, ARRAYSIZE(szSize));
        ASSERT_STREQ(pszSize, szSize);
        HFONT hfont = (HFONT)SendMessageW(hwndList, WM_GETFONT, 0, 0);
        RowDrawContext ctx = {};
        int cInk = Ink(LIST_BG_CX, 20, [&](HDC hdc) {
            SelectObject(hdc, hfont);
            SetBkMode(hdc, TRANSPARENT);
            DrawFileRow(hdc, iRow, RECT{0, 0, LIST_BG_CX, 20}, FALSE, &ctx);
        }, 40, FileListClientWidth());
        EXPECT_EQ(TextInk(hfont, pszSize), cInk) << pszSize << " beside a list " << FileListClientWidth() << " wide";
    };
    for (int fSmall : {0, 1}) {
        SetOption(OPT_SMALL_FONT, fSmall);
        OpenWindow(L"\\S");
        check(L"a", L"5368M");
        check(L"b", L"3.57K");
        DestroyWindow(hwnd);
    }
    ASSERT_TRUE(MakeFiles(L"P:\\S", L"z%02d", 30));
    OpenWindow(L"\\S");
    ASSERT_EQ(WS_VSCROLL, GetWindowLongW(hwndList, GWL_STYLE) & WS_VSCROLL);
    check(L"a", L"5368M");
    check(L"b", L"3.57K");
}

// The action key opens a file only with a handset program, silently when
// there is none; the store is the root whatever the working folder.
TEST_F(MainWindow, TheActionKeyOpensFilesOnlyWithHandsetProgramsFromAnyWorkingFolder)
{
    ClearHandsetClasses();
    DeleteFileW(HostProbe().c_str());
    ASSERT_TRUE(MakeDir(L"P:\\Open") && MakeDir(L"P:\\Windows"));
    ASSERT_TRUE(CopyFileW(BuildPath(L"tools\\tmail.exe").c_str(), L"P:\\Windows\\tmail.exe", FALSE));
    ASSERT_TRUE(MakeFile(L"P:\\Open\\run.bat", HostScript()) && MakeFile(L"P:\\Open\\note.txt", "n"));
    ASSERT_TRUE(MakeFile(L"P:\\Open\\go.lnk", "13#\\Open\\run.bat"));
    SetHandsetAssociation(L".txt", L"\\Windows\\tmail.exe -attach \"%1\"");
    ASSERT_TRUE(SetCurrentDirectoryW(L"Z:\\"));  // started from the host's root
    OpenWindow(L"");
    EXPECT_GE(RowOf(L"Open"), 0);
    EXPECT_LT(RowOf(L"etc"), 0);
    Activate(RowOf(L"Open"));
    ASSERT_STREQ(L"\\Open", g_szCurrentFolder);
    Activate(RowOf(L"run.bat"));
    Activate(RowOf(L"go.lnk"));
    EXPECT_TRUE(MessageBoxes::calls.empty());
    Activate(RowOf(L"note.txt"));
    EXPECT_EQ("\\Open\\note.txt", SentAttachment());
    SetCurrentDirectoryW(StoreRoot().c_str());
    EXPECT_FALSE(PumpUntil([] { return GetFileAttributesW(HostProbe().c_str()) != INVALID_FILE_ATTRIBUTES; }, 1000));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(L"P:\\hostname"));
    ClearHandsetClasses();
}
