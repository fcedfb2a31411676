// The properties and options pages, opened by the window's commands over
// real files and driven from inside their modal loops.
#include "tree_fixture.h"

namespace {
class Pages : public TavelTree {
protected:
    static LONG FontHeight(HWND hwndView)
    {
        LOGFONTW lf = {};
        GetObjectW((HFONT)SendMessageW(hwndView, WM_GETFONT, 0, 0), sizeof(lf), &lf);
        return lf.lfHeight;
    }
};

// 2024-03-05 10:20:30 UTC; the tests run 9 hours east of it.
void SetWriteTime(LPCWSTR pszPath)
{
    SYSTEMTIME st = {2024, 3, 2, 5, 10, 20, 30, 0};
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    HANDLE h = CreateFileW(pszPath, FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                           nullptr);
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
}
} // namespace

TEST_F(Pages, PropertiesShowTheFactsInLocalTimeAndWriteOnlyChangedFlagsOfFilesNotFolders)
{
    ASSERT_TRUE(MakeDir(L"\\Docs") && MakeFile(L"\\Docs\\a.txt", "hello"));
    SetWriteTime(L"\\Docs\\a.txt");
    Open(L"\\Docs");
    SelectRows({L"a.txt"});
    DWORD dwOld = GetFileAttributesW(L"\\Docs\\a.txt");
    EXPECT_TRUE(InDialog(IDM_PROPERTIES, IDM_PROPERTIES_OK, [&](HWND hdlg) {
        EXPECT_EQ(L"a.txt", WindowText(hdlg, IDC_PROP_NAME));
        EXPECT_NE(L"", WindowText(hdlg, IDC_PROP_TYPE));
        EXPECT_EQ(L"\\Docs", WindowText(hdlg, IDC_PROP_LOCATION));
        EXPECT_EQ(L"5 bytes", WindowText(hdlg, IDC_PROP_SIZE));
        std::wstring modified = WindowText(hdlg, IDC_PROP_MODIFIED);
        EXPECT_EQ(L"2024/03/05", modified.substr(0, 10));
        EXPECT_EQ(L"19:20:30", modified.substr(modified.size() - 8)) << modified;
        EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(hdlg, IDC_PROP_READONLY));
        CheckDlgButton(hdlg, IDC_PROP_READONLY, BST_CHECKED);
    }));
    EXPECT_EQ(dwOld | FILE_ATTRIBUTE_READONLY, GetFileAttributesW(L"\\Docs\\a.txt"));
    EXPECT_EQ(dwOld | FILE_ATTRIBUTE_READONLY, g_aFileTable[RowOf(L"a.txt")].fd.dwFileAttributes);
    EXPECT_TRUE(MessageBoxes::calls.empty());

    // A box ticked off and on again is no change: nothing is written, so a
    // file gone meanwhile goes unnoticed; a real change to it is refused.
    SetFileAttributesW(L"\\Docs\\a.txt", dwOld);
    ASSERT_TRUE(DeleteFileW(L"\\Docs\\a.txt"));
    EXPECT_TRUE(InDialog(IDM_PROPERTIES, IDM_PROPERTIES_OK, [](HWND hdlg) {
        CheckDlgButton(hdlg, IDC_PROP_READONLY, BST_UNCHECKED);
        CheckDlgButton(hdlg, IDC_PROP_READONLY, BST_CHECKED);
    }));
    EXPECT_TRUE(MessageBoxes::calls.empty());
    EXPECT_TRUE(InDialog(IDM_PROPERTIES, IDM_PROPERTIES_OK,
                        [](HWND hdlg) { CheckDlgButton(hdlg, IDC_PROP_HIDDEN, BST_CHECKED); }));
    ASSERT_EQ(1u, MessageBoxes::calls.size());
    EXPECT_EQ(L"Can't set the attributes of this file.\"\\Docs\\a.txt\"", MessageBoxes::calls[0].text);
    EXPECT_EQ(L"Error", MessageBoxes::calls[0].caption);
    EXPECT_EQ(dwOld | FILE_ATTRIBUTE_READONLY, g_aFileTable[RowOf(L"a.txt")].fd.dwFileAttributes);

    // A file above 4 GiB, and folders: their type, and no attribute change from the list or the tree.
    ASSERT_TRUE(MakeSparseFile(L"\\big.bin", 5ULL << 30));
    g_szCurrentFolder[0] = 0;
    ListFolder();
    SelectRows({L"big.bin"});
    EXPECT_TRUE(InDialog(IDM_PROPERTIES, IDM_PROPERTIES_OK,
                        [](HWND hdlg) { EXPECT_EQ(L"5368709120 bytes", WindowText(hdlg, IDC_PROP_SIZE)); }));
    SelectRows({L"Docs"});
    dwOld = GetFileAttributesW(L"\\Docs");
    EXPECT_TRUE(InDialog(IDM_PROPERTIES, IDM_PROPERTIES_OK, [](HWND hdlg) {
        EXPECT_EQ(L"Docs", WindowText(hdlg, IDC_PROP_NAME));
        EXPECT_EQ(L"Folder", WindowText(hdlg, IDC_PROP_TYPE));
        EXPECT_EQ(L"\\", WindowText(hdlg, IDC_PROP_LOCATION));
        CheckDlgButton(hdlg, IDC_PROP_READONLY, BST_CHECKED);
    }));
    EXPECT_EQ(dwOld, GetFileAttributesW(L"\\Docs"));
    EnterTree();
    HWND hwndTree = GetFolderTreeWindow();
    SendMessageW(hwndTree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)Node(hwndTree, L"\\Docs"));
    EXPECT_TRUE(InDialog(IDM_TREE_PROPERTIES, IDM_PROPERTIES_OK, [](HWND hdlg) {
        EXPECT_EQ(L"Docs", WindowText(hdlg, IDC_PROP_NAME));
        EXPECT_EQ(L"Folder", WindowText(hdlg, IDC_PROP_TYPE));
        CheckDlgButton(hdlg, IDC_PROP_HIDDEN, BST_CHECKED);
    }));
    EXPECT_EQ(dwOld, GetFileAttributesW(L"\\Docs"));
    // The device root has no entry: no page.
    SendMessageW(hwndTree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)Node(hwndTree, L"\\"));
    EXPECT_FALSE(InDialog(IDM_TREE_PROPERTIES, IDM_PROPERTIES_OK, [](HWND) {}));
}

TEST_F(Pages, OptionsDoneStoresEveryBoxListsAgainAndSwitchesTheFont)
{
    ASSERT_TRUE(MakeFile(L"\\h.txt", "h") && MakeFile(L"\\v.txt", "v"));
    ASSERT_TRUE(MakeDir(L"\\hd"));
    SetFileAttributesW(L"\\h.txt", FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW(L"\\hd", FILE_ATTRIBUTE_HIDDEN);
    SetOption(OPT_SMALL_FONT, 1);
    Open();
    EnterTree();
    Command(IDM_LIST_VIEW);
    ASSERT_GE(RowOf(L"h.txt"), 0);
    const struct {
        int idc;
        const char *psz;
    } kBoxes[] = {{IDC_OPT_CONFIRM_OVERWRITE, OPT_CONFIRM_OVERWRITE}, {IDC_OPT_CONFIRM_DELETE, OPT_CONFIRM_DELETE},
                  {IDC_OPT_REMEMBER_FOLDER, OPT_REMEMBER_FOLDER},     {IDC_OPT_HIDE_HIDDEN, OPT_HIDE_HIDDEN},
                  {IDC_OPT_HIDE_EXTENSIONS, OPT_HIDE_EXTENSIONS},     {IDC_OPT_SWITCH_TO_CARD, OPT_SWITCH_TO_CARD},
                  {IDC_OPT_SMALL_FONT, OPT_SMALL_FONT}};
    // Done without a change still stores every option.
    ClearTavelRegistry();
    EXPECT_TRUE(InDialog(IDM_OPTIONS, IDM_OPTIONS_DONE, [&](HWND hdlg) {
        for (const auto &b : kBoxes)
            EXPECT_EQ(GetOption(b.psz) ? BST_CHECKED : BST_UNCHECKED, IsDlgButtonChecked(hdlg, b.idc)) << b.psz;
    }));
    for (const auto &b : kBoxes) {
        std::wstring name(b.psz, b.psz + strlen(b.psz));
        EXPECT_EQ((DWORD)GetOption(b.psz), GetTavelDword(TAVEL_OPTIONS_KEY, name.c_str(), 9)) << b.psz;
    }

    // Hidden files (not folders) go from the list at once; the font switches in list and tree.
    EXPECT_TRUE(InDialog(IDM_OPTIONS, IDM_OPTIONS_DONE, [](HWND hdlg) {
        CheckDlgButton(hdlg, IDC_OPT_HIDE_HIDDEN, BST_CHECKED);
        CheckDlgButton(hdlg, IDC_OPT_SMALL_FONT, BST_UNCHECKED);
    }));
    EXPECT_EQ(1, GetOption(OPT_HIDE_HIDDEN));
    EXPECT_EQ(-1, RowOf(L"h.txt"));
    EXPECT_GE(RowOf(L"v.txt"), 0);
    EXPECT_GE(RowOf(L"hd"), 0);
    EXPECT_EQ(-14, FontHeight(hwndList));
    EXPECT_EQ(-14, FontHeight(GetFolderTreeWindow()));
    EXPECT_TRUE(InDialog(IDM_OPTIONS, IDM_OPTIONS_DONE,
                        [](HWND hdlg) { CheckDlgButton(hdlg, IDC_OPT_SMALL_FONT, BST_CHECKED); }));
    EXPECT_EQ(-12, FontHeight(hwndList));
    EXPECT_EQ(-12, FontHeight(GetFolderTreeWindow()));

    // Cancel after ticking every box stores nothing.
    ClearTavelRegistry();
    EXPECT_TRUE(InDialog(IDM_OPTIONS, IDM_OPTIONS_CANCEL, [&](HWND hdlg) {
        for (const auto &b : kBoxes)
            CheckDlgButton(hdlg, b.idc, BST_UNCHECKED);
    }));
    EXPECT_EQ(1, GetOption(OPT_HIDE_HIDDEN));
    EXPECT_EQ(1, GetOption(OPT_SMALL_FONT));
    HKEY hk;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, TAVEL_OPTIONS_KEY, 0, KEY_READ, &hk));
}

TEST_F(Pages, TheKeypadAloneTicksTheBoxesOfOptionsAndProperties)
{
    ASSERT_TRUE(MakeFile(L"\\k.txt", "k"));
    Open();
    // Options: Action clears the first box, two Downs and Action tick the third, Done stores them.
    SetOption(OPT_REMEMBER_FOLDER, 0);
    EXPECT_TRUE(KeysInDialog(IDM_OPTIONS, {VK_RETURN, VK_DOWN, VK_DOWN, VK_RETURN, VK_F1}));
    EXPECT_EQ(0, GetOption(OPT_CONFIRM_OVERWRITE));
    EXPECT_EQ(1, GetOption(OPT_CONFIRM_DELETE));
    EXPECT_EQ(1, GetOption(OPT_REMEMBER_FOLDER));
    // The other keys of the pad leave the boxes alone; Back stores nothing.
    EXPECT_TRUE(KeysInDialog(IDM_OPTIONS, {VK_F8, VK_F9, '5', VK_LEFT, VK_RIGHT, VK_F1}));
    EXPECT_EQ(0, GetOption(OPT_CONFIRM_OVERWRITE));
    EXPECT_EQ(1, GetOption(OPT_REMEMBER_FOLDER));
    EXPECT_TRUE(KeysInDialog(IDM_OPTIONS, {VK_RETURN, VK_ESCAPE}));
    EXPECT_EQ(0, GetOption(OPT_CONFIRM_OVERWRITE));

    // Properties opens on Read-only: tick it, then Hidden two fields on, and OK.
    SelectRows({L"k.txt"});
    DWORD dwOld = GetFileAttributesW(L"\\k.txt");
    EXPECT_TRUE(KeysInDialog(IDM_PROPERTIES, {VK_RETURN, VK_DOWN, VK_DOWN, VK_RETURN, VK_F1}));
    EXPECT_EQ(dwOld | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN, GetFileAttributesW(L"\\k.txt"));
    EXPECT_TRUE(KeysInDialog(IDM_PROPERTIES, {VK_RETURN, VK_F1}));
    EXPECT_EQ(dwOld | FILE_ATTRIBUTE_HIDDEN, GetFileAttributesW(L"\\k.txt"));
    EXPECT_TRUE(MessageBoxes::calls.empty());
}
