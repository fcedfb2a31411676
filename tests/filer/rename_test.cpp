// Rename, new folder, shortcut and e-mail on real files in the test store.
#include "tree_fixture.h"

#include <algorithm>

namespace {
class ItemOps : public TavelTree {
protected:
    // The entries of a folder as the disk spells them, in order.
    static std::vector<std::wstring> DiskNames(const std::wstring &folder)
    {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((L"P:" + folder + L"\\*").c_str(), &fd);
        for (BOOL f = h != INVALID_HANDLE_VALUE; f; f = FindNextFileW(h, &fd)) {
            if (wcscmp(fd.cFileName, L".") && wcscmp(fd.cFileName, L".."))
                names.push_back(fd.cFileName);
        }
        if (h != INVALID_HANDLE_VALUE)
            FindClose(h);
        std::sort(names.begin(), names.end());
        return names;
    }

    // The list's entries (its ".." row left out), in the same order.
    static std::vector<std::wstring> ListedNames()
    {
        std::vector<std::wstring> names;
        for (int i = IsParentRow(0) ? 1 : 0; i < g_cFileRows; ++i)
            names.push_back(g_aFileTable[i].fd.cFileName);
        std::sort(names.begin(), names.end());
        return names;
    }

    void NewFolder(LPCWSTR pszPath, LPCWSTR pszName)
    {
        EXPECT_TRUE(InDialog(IDM_NEW_FOLDER, 0, [&](HWND hdlg) {
            SetDlgItemTextW(hdlg, IDC_NEW_FOLDER_PATH, pszPath);
            Submit(hdlg, IDC_NEW_FOLDER_NAME, pszName, IDM_NEW_FOLDER_DONE);
        }));
    }
};

const LPCWSTR kBadNames[] = {L"",     L"..\\a.txt", L"x/y", L"c:d", L"a*", L"a?",
                             L"\"q\"", L"<a",        L"a>",  L"a|b", L"..", L" . "};
} // namespace

TEST_F(ItemOps, RenameRefusesNamesThatLeadElsewhereAndReportsAFailedMove)
{
    ASSERT_TRUE(MakeDir(L"\\d") && MakeFile(L"\\d\\a.txt", "alpha") && MakeFile(L"\\d\\b.txt", "beta"));
    Open(L"\\d");
    SelectRows({L"a.txt"});
    EXPECT_TRUE(InDialog(IDM_RENAME, 0, [&](HWND hdlg) {
        EXPECT_EQ(L"a.txt", WindowText(hdlg, IDC_RENAME_EDIT));
        for (LPCWSTR psz : kBadNames) {
            Submit(hdlg, IDC_RENAME_EDIT, psz, IDM_RENAME_OK);
            EXPECT_TRUE(IsWindow(hdlg)) << testing::PrintToString(std::wstring(psz));
        }
        Submit(hdlg, IDC_RENAME_EDIT, L"b.txt", IDM_RENAME_OK);
    }));
    ASSERT_EQ(ARRAYSIZE(kBadNames) + 1, MessageBoxes::calls.size());
    for (size_t i = 0; i < ARRAYSIZE(kBadNames); ++i) {
        EXPECT_EQ(L"This is an invalid name.", MessageBoxes::calls[i].text);
        EXPECT_EQ(L"Rename", MessageBoxes::calls[i].caption);
    }
    EXPECT_EQ(L"Can't rename.", MessageBoxes::calls.back().text);
    EXPECT_EQ((UINT)MB_ICONHAND, MessageBoxes::calls.back().uType);
    EXPECT_EQ("alpha", ReadFileText(L"\\d\\a.txt"));
    EXPECT_EQ("beta", ReadFileText(L"\\d\\b.txt"));
    EXPECT_GE(RowOf(L"a.txt"), 0);
    EXPECT_FALSE(Exists(L"\\a.txt"));

    MessageBoxes::Reset();
    int iRow = RowOf(L"a.txt");
    EXPECT_TRUE(InDialog(IDM_RENAME, 0, [&](HWND hdlg) { Submit(hdlg, IDC_RENAME_EDIT, L"c.txt", IDM_RENAME_OK); }));
    EXPECT_TRUE(MessageBoxes::calls.empty());
    EXPECT_EQ("alpha", ReadFileText(L"\\d\\c.txt"));
    EXPECT_FALSE(Exists(L"\\d\\a.txt"));
    EXPECT_EQ(iRow, RowOf(L"c.txt"));  // renamed where it stands
}

TEST_F(ItemOps, TreeRenameMovesTheFolderWithItsChildrenOrKeepsTheEditAndNewFolderGoesUnderTheNode)
{
    ASSERT_TRUE(MakeDir(L"\\a") && MakeDir(L"\\a\\b") && MakeFile(L"\\a\\b\\c.txt", "c") && MakeDir(L"\\x"));
    Open();
    EnterTree();
    HWND hwndTree = GetFolderTreeWindow();
    SelectNode(hwndTree, Node(hwndTree, L"\\a"));
    Command(IDM_TREE_RENAME);
    HWND hwndEdit = (HWND)SendMessageW(hwndTree, TVM_GETEDITCONTROL, 0, 0);
    ASSERT_NE(nullptr, hwndEdit);
    EXPECT_TRUE(IsWindowVisible(GetRenameBar()));
    EXPECT_FALSE(IsWindowVisible(GetModeBar(IDR_BAR_TREE)));
    // A path character: refused, and the edit comes back with the text typed.
    SetWindowTextW(hwndEdit, L"..\\z");
    Command(IDM_TREE_RENAME_DONE);
    ASSERT_TRUE(PumpUntil([&] { return SendMessageW(hwndTree, TVM_GETEDITCONTROL, 0, 0) != 0; }, 2000));
    hwndEdit = (HWND)SendMessageW(hwndTree, TVM_GETEDITCONTROL, 0, 0);
    EXPECT_EQ(L"..\\z", WindowText(hwndEdit));
    EXPECT_EQ(std::vector<std::wstring>{L"This is an invalid name."}, BoxTexts());
    EXPECT_TRUE(Exists(L"\\a\\b\\c.txt"));
    SetWindowTextW(hwndEdit, L"x");
    Command(IDM_TREE_RENAME_DONE);
    EXPECT_EQ(L"Can't rename.", MessageBoxes::calls.back().text);
    EXPECT_NE(nullptr, Node(hwndTree, L"\\a\\b"));
    Command(IDM_TREE_RENAME);
    SetWindowTextW((HWND)SendMessageW(hwndTree, TVM_GETEDITCONTROL, 0, 0), L"z");
    Command(IDM_TREE_RENAME_DONE);
    EXPECT_EQ("c", ReadFileText(L"\\z\\b\\c.txt"));
    EXPECT_FALSE(Exists(L"\\a"));
    EXPECT_NE(nullptr, Node(hwndTree, L"\\z\\b"));
    EXPECT_FALSE(IsWindowVisible(GetRenameBar()));
    EXPECT_TRUE(IsWindowVisible(GetModeBar(IDR_BAR_TREE)));
    EXPECT_EQ(2u, MessageBoxes::calls.size());
    SelectNode(hwndTree, Node(hwndTree, L"\\z"));
    EXPECT_TRUE(InDialog(IDM_TREE_NEW_FOLDER, 0, [&](HWND hdlg) {
        EXPECT_EQ(L"\\z", WindowText(hdlg, IDC_NEW_FOLDER_PATH));
        SendMessageW(hdlg, WM_COMMAND, IDM_NEW_FOLDER_DONE, 0);
    }));
    EXPECT_TRUE(Exists(L"\\z\\New Folder 1"));
    HTREEITEM hNew = Node(hwndTree, L"\\z\\New Folder 1");
    ASSERT_NE(nullptr, hNew);
    EXPECT_EQ(hNew, GetSelectedNode(hwndTree));
    EXPECT_EQ(2u, MessageBoxes::calls.size());
}

TEST_F(ItemOps, NewFolderAtTheRootProposesAFreeNameAndShowsTheFolder)
{
    ASSERT_TRUE(MakeDir(L"\\New Folder 1"));
    Open();
    EnterTree();
    Command(IDM_LIST_VIEW);
    EXPECT_TRUE(InDialog(IDM_NEW_FOLDER, 0, [&](HWND hdlg) {
        EXPECT_EQ(L"\\", WindowText(hdlg, IDC_NEW_FOLDER_PATH));
        EXPECT_EQ(L"New Folder 2", WindowText(hdlg, IDC_NEW_FOLDER_NAME));
        Submit(hdlg, IDC_NEW_FOLDER_NAME, L"a|b", IDM_NEW_FOLDER_DONE);  // the rename's rule, tested there
        EXPECT_TRUE(IsWindow(hdlg));
        Submit(hdlg, IDC_NEW_FOLDER_NAME, L"New Folder 2", IDM_NEW_FOLDER_DONE);
    }));
    ASSERT_EQ(1u, MessageBoxes::calls.size());
    EXPECT_EQ(L"This is an invalid name.", MessageBoxes::calls[0].text);
    EXPECT_EQ(L"Error", MessageBoxes::calls[0].caption);
    EXPECT_TRUE(Exists(L"\\New Folder 2"));
    int iRow = RowOf(L"New Folder 2");
    ASSERT_GE(iRow, 0);
    EXPECT_EQ(iRow, FirstSelectedRow());
    EXPECT_EQ(1, (int)SendMessageW(hwndList, LVM_GETSELECTEDCOUNT, 0, 0));
    EXPECT_NE(nullptr, Node(GetFolderTreeWindow(), L"\\New Folder 2"));
    MessageBoxes::Reset();
    EXPECT_TRUE(InDialog(IDM_NEW_FOLDER, 0, [&](HWND hdlg) {
        EXPECT_EQ(L"New Folder 3", WindowText(hdlg, IDC_NEW_FOLDER_NAME));
        Submit(hdlg, IDC_NEW_FOLDER_NAME, L"New Folder 1", IDM_NEW_FOLDER_DONE);
    }));
    EXPECT_EQ(std::vector<std::wstring>{L"This folder already exists."}, BoxTexts());
}

TEST_F(ItemOps, ShortcutNamesContentAndTheListRowOnlyForTheCurrentFolderAndEmailHandsThePathOn)
{
    ASSERT_TRUE(MakeDir(L"\\My Documents") && MakeDir(L"\\other") && MakeDir(L"\\Windows"));
    ASSERT_TRUE(MakeFile(L"\\My Documents\\a", "") && MakeFile(L"\\My Documents\\report.final.txt", "r"));
    ASSERT_TRUE(MakeFile(L"\\My Documents\\x y.txt", "x"));
    ASSERT_TRUE(CopyFileW(BuildPath(L"tools\\tmail.exe").c_str(), L"P:\\Windows\\tmail.exe", FALSE));
    Open(L"\\My Documents");
    SelectRows({L"a"});
    RunToDestination(IDM_CREATE_SHORTCUT, L"\\My Documents");
    EXPECT_EQ("17#\"\\My Documents\\a\"", ReadFileText(L"\\My Documents\\a.lnk"));
    EXPECT_GE(RowOf(L"a.lnk"), 0);
    int cRows = g_cFileRows;
    SelectRows({L"report.final.txt"});
    RunToDestination(IDM_CREATE_SHORTCUT, L"\\other");
    EXPECT_TRUE(Exists(L"\\other\\report.final.lnk"));
    EXPECT_EQ(cRows, g_cFileRows);
    EXPECT_TRUE(MessageBoxes::calls.empty());

    Select({});
    Command(IDM_SEND_EMAIL);
    EXPECT_EQ(std::vector<std::wstring>{L"You must select an item."}, BoxTexts());
    SelectRows({L"x y.txt"});
    Command(IDM_SEND_EMAIL);
    EXPECT_EQ("\\My Documents\\x y.txt", SentAttachment());
}

// Trailing dots and blanks fall off on disk, and a change of case alone is kept:
// the list and the tree show the names the disk holds, and a folder is never
// shown made when nothing was made.
TEST_F(ItemOps, TheListAndTheTreeShowTheNamesTheDiskKeeps)
{
    ASSERT_TRUE(MakeDir(L"\\d") && MakeFile(L"\\d\\a.txt", "a") && MakeFile(L"\\d\\b.txt", "b"));
    ASSERT_TRUE(MakeFile(L"\\d\\c.txt", "c") && MakeDir(L"\\d\\f"));
    Open(L"\\d");
    RenameRow(L"a.txt", L"A.TXT");
    RenameRow(L"b.txt", L"u.");
    RenameRow(L"c.txt", L"v ");
    EXPECT_TRUE(MessageBoxes::calls.empty());
    EXPECT_EQ((std::vector<std::wstring>{L"A.TXT", L"f", L"u", L"v"}), DiskNames(L"\\d"));
    EXPECT_EQ(DiskNames(L"\\d"), ListedNames());
    EXPECT_EQ("b", ReadFileText(L"\\d\\u"));

    EnterTree();
    HWND hwndTree = GetFolderTreeWindow();
    RenameNode(hwndTree, L"\\d\\f", L"F.");
    EXPECT_EQ((std::vector<std::wstring>{L"A.TXT", L"F", L"u", L"v"}), DiskNames(L"\\d"));
    EXPECT_NE(nullptr, Node(hwndTree, L"\\d\\F"));
    Command(IDM_LIST_VIEW);
    EXPECT_STREQ(L"\\d\\F", g_szCurrentFolder);
    EXPECT_TRUE(MessageBoxes::calls.empty());

    // A device's name: told of a failure, or a folder that is really there.
    NewFolder(L"\\d\\F", L"NUL");
    std::vector<std::wstring> disk = DiskNames(L"\\d\\F");
    EXPECT_TRUE(!MessageBoxes::calls.empty() || std::count(disk.begin(), disk.end(), L"NUL") == 1);
    EXPECT_EQ(disk, ListedNames());
}

// The tree follows a folder renamed in the list, its sub-folders with it.
TEST_F(ItemOps, AFolderRenamedInTheListIsFoundInTheTreeByItsNewName)
{
    ASSERT_TRUE(MakeDir(L"\\a") && MakeDir(L"\\a\\b") && MakeFile(L"\\a\\b\\c.txt", "c"));
    Open();
    EnterTree();
    Command(IDM_LIST_VIEW);
    RenameRow(L"a", L"z");
    HWND hwndTree = GetFolderTreeWindow();
    EXPECT_EQ(nullptr, Node(hwndTree, L"\\a"));
    ASSERT_NE(nullptr, Node(hwndTree, L"\\z\\b"));
    Command(IDM_TREE_VIEW);
    SelectPath(hwndTree, L"\\z\\b");
    Command(IDM_LIST_VIEW);
    EXPECT_STREQ(L"\\z\\b", g_szCurrentFolder);
    EXPECT_GE(RowOf(L"c.txt"), 0);
    EXPECT_TRUE(MessageBoxes::calls.empty());
}

// New Folder takes "\d\" as "\d", and a path that leads nowhere is named as such.
TEST_F(ItemOps, NewFolderSaysWhatWentWrongWithItsPath)
{
    ASSERT_TRUE(MakeDir(L"\\d") && MakeFile(L"\\d\\file", "f"));
    Open(L"\\d");
    NewFolder(L"\\d\\", L"n1");
    EXPECT_TRUE(MessageBoxes::calls.empty());
    EXPECT_TRUE(Exists(L"\\d\\n1"));
    EXPECT_GE(RowOf(L"n1"), 0);
    NewFolder(L"\\q\\r", L"n2");
    NewFolder(L"\\d\\file", L"n3");
    NewFolder(L"q", L"n4");
    NewFolder(L"\\d", L"n1");
    const std::wstring kNoPath = L"This folder path does not exist.";
    EXPECT_EQ((std::vector<std::wstring>{kNoPath, kNoPath, kNoPath, L"This folder already exists."}), BoxTexts());
    EXPECT_FALSE(Exists(L"\\q") || Exists(L"\\n4"));
    EXPECT_EQ(DiskNames(L"\\d"), ListedNames());
}
