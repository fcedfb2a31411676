// The folder tree: fill, root text, paths, keys, the count of the selected
// folder, the mode switches and Refresh; storage cards in and out.
#include "tree_fixture.h"

namespace {
class FolderTree : public TavelTree {
protected:
    HWND hwndTree = nullptr;

    void OpenTree(LPCWSTR pszFolder = L"")
    {
        Open(pszFolder);
        EnterTree();
        hwndTree = GetFolderTreeWindow();
    }

    void Select(const std::wstring &path) { SelectPath(hwndTree, path); }

    void Key(UINT vk) { PostKey(hwndTree, vk, 40); }

    std::wstring SelectedPath()
    {
        WCHAR sz[MAX_PATH];
        GetNodePath(hwndTree, GetSelectedNode(hwndTree), sz, ARRAYSIZE(sz));
        return sz;
    }

    std::wstring RootText()
    {
        WCHAR sz[64];
        GetNodeText(hwndTree, (HTREEITEM)SendMessageW(hwndTree, TVM_GETNEXTITEM, TVGN_ROOT, 0), sz, ARRAYSIZE(sz));
        return sz;
    }
};
} // namespace

TEST_F(FolderTree, FillHoldsEveryFolderTheRootTextFollowsExpansionRefreshRefillsAndTheKeysMove)
{
    ASSERT_TRUE(MakeDir(L"\\a") && MakeDir(L"\\a\\b") && MakeDir(L"\\a\\b\\c") && MakeDir(L"\\z"));
    ASSERT_TRUE(MakeFile(L"\\a\\file.txt", "f") && MakeDir(L"\\a\\leaf") && MakeFile(L"\\a\\leaf\\x.txt", "x"));
    for (int i = 0; i < 40; ++i)
        ASSERT_TRUE(MakeDir(L"\\m" + std::to_wstring(100 + i)));
    OpenTree();
    EXPECT_EQ(L"Smartphone[+]", RootText());
    HTREEITEM hRoot = (HTREEITEM)SendMessageW(hwndTree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
    EXPECT_EQ(hRoot, GetSelectedNode(hwndTree));
    Key(VK_RIGHT);
    EXPECT_EQ(L"Smartphone[-]", RootText());
    Key(VK_LEFT);
    EXPECT_EQ(L"Smartphone[+]", RootText());

    HTREEITEM hC = Node(hwndTree, L"\\a\\b\\c");
    ASSERT_NE(nullptr, hC);
    EXPECT_NE(nullptr, Node(hwndTree, L"\\z"));
    EXPECT_EQ(nullptr, Node(hwndTree, L"\\a\\file.txt"));
    EXPECT_EQ(hC, FindFolderNode(L"\\a\\b\\c"));
    // A missing part leaves the deepest match; the case must agree.
    EXPECT_EQ(Node(hwndTree, L"\\a\\b"), FindFolderNode(L"\\a\\b\\nothere"));
    EXPECT_EQ(hRoot, FindFolderNode(L"\\A"));
    EXPECT_EQ(nullptr, FindExactFolderNode(L"\\a\\b\\nothere"));

    // The menu grays what cannot be done to the root; beaming in over IR stays open.
    HMENU hmenu = LoadMenuW(g_hInst, MAKEINTRESOURCEW(IDR_BAR_TREE));
    const UINT kOnNode[] = {IDM_TREE_MOVE_TO, IDM_TREE_COPY_TO, IDM_TREE_RENAME, IDM_TREE_DELETE, IDM_TREE_PROPERTIES};
    for (const wchar_t *pszPath : {L"", L"\\a"}) {
        Select(pszPath);
        SendMessageW(hwnd, WM_INITMENUPOPUP, (WPARAM)GetSubMenu(hmenu, 1), 1);
        for (UINT id : kOnNode)
            EXPECT_EQ(!*pszPath, (GetMenuState(hmenu, id, MF_BYCOMMAND) & MF_GRAYED) != 0) << id;
        EXPECT_TRUE(GetMenuState(hmenu, IDM_TREE_RECEIVE_BT, MF_BYCOMMAND) & MF_GRAYED);
        EXPECT_FALSE(GetMenuState(hmenu, IDM_TREE_RECEIVE_IR, MF_BYCOMMAND) & MF_GRAYED);
    }
    DestroyMenu(hmenu);

    ASSERT_TRUE(MakeDir(L"\\late") && MakeDir(L"\\late\\inner") && RemoveDirectoryW(L"\\z"));
    Command(IDM_TREE_REFRESH);
    ASSERT_TRUE(WaitFilled(hwndTree));
    EXPECT_NE(nullptr, Node(hwndTree, L"\\late\\inner"));
    EXPECT_EQ(nullptr, Node(hwndTree, L"\\z"));
    // Refresh twice in a row: the first fill is dropped, nothing is doubled.
    Command(IDM_TREE_REFRESH);
    Command(IDM_TREE_REFRESH);
    ASSERT_TRUE(WaitFilled(hwndTree));
    EXPECT_EQ(47u, (unsigned)SendMessageW(hwndTree, TVM_GETCOUNT, 0, 0));

    hRoot = (HTREEITEM)SendMessageW(hwndTree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
    SendMessageW(hwndTree, TVM_EXPAND, TVE_EXPAND, (LPARAM)hRoot);
    Select(L"\\a");
    Key(VK_RETURN);
    EXPECT_TRUE(IsTreeMode());
    SendMessageW(hwndTree, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, (LPARAM)hRoot);
    Key('9');
    HTREEITEM hFirst = (HTREEITEM)SendMessageW(hwndTree, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0);
    EXPECT_NE(hRoot, hFirst);
    Key('7');
    EXPECT_EQ(hRoot, (HTREEITEM)SendMessageW(hwndTree, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0));
    // Pound: to the bottom, the first visible node then selected; star: the root again.
    Key(VK_F9);
    HTREEITEM hSel = GetSelectedNode(hwndTree);
    EXPECT_EQ((HTREEITEM)SendMessageW(hwndTree, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0), hSel);
    EXPECT_NE(hRoot, hSel);
    EXPECT_EQ(Node(hwndTree, L"\\m139"), (HTREEITEM)SendMessageW(hwndTree, TVM_GETNEXTITEM, TVGN_LASTVISIBLE, 0));
    Key(VK_F8);
    EXPECT_EQ(hRoot, GetSelectedNode(hwndTree));
    Select(L"\\a\\leaf");
    Key(VK_RETURN);
    EXPECT_FALSE(IsTreeMode());
    EXPECT_STREQ(L"\\a\\leaf", g_szCurrentFolder);
    EXPECT_TRUE(IsWindowVisible(hwndList));
    EXPECT_FALSE(IsWindowVisible(hwndTree));
    EXPECT_GE(RowOf(L"x.txt"), 0);
}

TEST_F(FolderTree, CountsOfTheSelectedNodeAndAbandonedCounts)
{
    ASSERT_TRUE(MakeDir(L"\\small") && MakeDir(L"\\small\\s1") && MakeDir(L"\\small\\s2"));
    ASSERT_TRUE(MakeFile(L"\\small\\1.txt", "") && MakeFile(L"\\small\\2.txt", "") && MakeFile(L"\\small\\3.txt", ""));
    ASSERT_TRUE(MakeFiles(L"\\big", L"f%d", 1500) && MakeDir(L"\\empty"));
    OpenTree();
    Select(L"\\small");
    EXPECT_TRUE(PumpUntil([] { return wcscmp(GetTreeCountsText(), L"2 Folders/3 Files") == 0; }));
    Select(L"\\big");
    EXPECT_TRUE(PumpUntil([] { return wcscmp(GetTreeCountsText(), L"0 Folders/1500 Files") == 0; }, 8000));
    Select(L"\\empty");
    EXPECT_TRUE(PumpUntil([] { return wcscmp(GetTreeCountsText(), L"0 Folders/0 Files") == 0; }));
    // Straight through the big folder to the small one: the small one's count stays.
    Select(L"\\small");
    Select(L"\\big");
    Select(L"\\small");
    bool fBigShown = false;
    PumpUntil([&] {
        fBigShown = fBigShown || wcscmp(GetTreeCountsText(), L"0 Folders/1500 Files") == 0;
        return false;
    }, 800);
    EXPECT_STREQ(L"2 Folders/3 Files", GetTreeCountsText());
    EXPECT_FALSE(fBigShown);
}

TEST_F(FolderTree, TreeViewSelectsTheCurrentFolderAndListViewTakesTheNode)
{
    ASSERT_TRUE(MakeDir(L"\\a") && MakeDir(L"\\a\\b") && MakeDir(L"\\c") && MakeFile(L"\\c\\in.txt", "i"));
    ASSERT_TRUE(MakeFile(L"\\a\\b\\deep.txt", "d") && MakeFile(L"\\f.txt", "f"));
    Open(L"\\a\\b");
    // Back before the fill has inserted a node: still the folder the user was in.
    Command(IDM_TREE_VIEW);
    Command(IDM_LIST_VIEW);
    EXPECT_FALSE(IsTreeMode());
    EXPECT_STREQ(L"\\a\\b", g_szCurrentFolder);
    EXPECT_GE(RowOf(L"deep.txt"), 0);
    // The fill selects the folder's node once it is in, opening the root.
    Command(IDM_TREE_VIEW);
    hwndTree = GetFolderTreeWindow();
    ASSERT_TRUE(WaitFilled(hwndTree));
    EXPECT_TRUE(IsTreeMode());
    EXPECT_EQ(L"\\a\\b", SelectedPath());
    EXPECT_EQ(L"Smartphone[-]", RootText());
    EXPECT_TRUE(IsWindowVisible(hwndTree));
    EXPECT_FALSE(IsWindowVisible(hwndList));
    Select(L"\\c");
    Command(IDM_LIST_VIEW);
    EXPECT_STREQ(L"\\c", g_szCurrentFolder);
    EXPECT_GE(RowOf(L"in.txt"), 0);
    EXPECT_STREQ(L"  \\c", GetTitleStripText());
    Command(IDM_TREE_VIEW);
    EXPECT_EQ(L"\\c", SelectedPath());
    Select(L"");
    Command(IDM_LIST_VIEW);
    EXPECT_STREQ(L"", g_szCurrentFolder);

    // The destination tree is refilled on each use and comes back on activation.
    SelectRows({L"f.txt"});
    Command(IDM_CREATE_SHORTCUT);
    EXPECT_STREQ(L"  Create Shortcut", GetDestHeaderLine(0));
    HWND hwndDest = GetDestTreeWindow();
    ASSERT_TRUE(WaitFilled(hwndDest));
    // Shown: the destination's bar, the list, the list's bar.
    auto shown = [&] {
        return std::vector<bool>{IsWindowVisible(GetDestBar()) != 0, IsWindowVisible(hwndList) != 0,
                                 IsWindowVisible(GetModeBar(IDR_BAR_LIST)) != 0};
    };
    const std::vector<bool> kDest = {true, false, false}, kList = {false, true, true};
    EXPECT_EQ(kDest, shown());
    SendMessageW(hwnd, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(kDest, shown());
    Command(IDM_DEST_CANCEL);
    EXPECT_EQ(kList, shown());

    ASSERT_TRUE(MakeDir(L"\\later"));
    SelectRows({L"f.txt"});
    Command(IDM_COPY_TO);
    EXPECT_EQ(hwndDest, GetDestTreeWindow());
    ASSERT_TRUE(WaitFilled(hwndDest));
    EXPECT_NE(nullptr, Node(hwndDest, L"\\later"));
    EXPECT_EQ(5u, (unsigned)SendMessageW(hwndDest, TVM_GETCOUNT, 0, 0));
    Command(IDM_DEST_CANCEL);
}

namespace {
HWND s_hwndFilling;

INT_PTR CALLBACK WaitFillProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM)
{
    if (msg == WM_INITDIALOG) {
        SetTimer(hdlg, 1, 20, nullptr);
        SetTimer(hdlg, 2, 8000, nullptr);  // given up
    } else if (msg == WM_TIMER && (wp == 2 || !IsTreeFilling(s_hwndFilling))) {
        EndDialog(hdlg, wp == 2 ? 2 : 1);
    }
    return msg == WM_INITDIALOG || msg == WM_TIMER;
}
} // namespace

TEST_F(FolderTree, FillRunsOnWhileTheWindowSitsInAModalLoop)
{
    for (int i = 0; i < 30; ++i)
        ASSERT_TRUE(MakeDir(L"\\d" + std::to_wstring(i)) && MakeDir(L"\\d" + std::to_wstring(i) + L"\\s"));
    Open();
    Command(IDM_TREE_VIEW);
    s_hwndFilling = GetFolderTreeWindow();
    // The fill's sends are answered by the dialog's own loop.
    EXPECT_EQ(1, DialogBoxParamW(g_hInst, MAKEINTRESOURCEW(IDD_PROGRESS), hwnd, WaitFillProc, 0));
    EXPECT_EQ(61u, (unsigned)SendMessageW(s_hwndFilling, TVM_GETCOUNT, 0, 0));
}
