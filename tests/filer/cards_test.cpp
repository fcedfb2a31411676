// Storage cards in and out while the file manager runs: the list, the tree
// and the SwitchToStorageCard option; the card-set comparison itself.
#include "tree_fixture.h"

namespace {
class Cards : public TavelTree {
protected:
    void SetUp() override
    {
        TavelTree::SetUp();
        ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"System\\StorageManager\\Profiles", L"Folder",
                                                 REG_SZ, L"Storage Card", sizeof(L"Storage Card")));
        ASSERT_TRUE(PlatProfileSave(L"device.json", nlohmann::json::parse(R"({"cards": ["CardA", "CardB"]})")));
        RemoveTree(PlatProfilePath(L"removed-cards"));
        // Both cards start out of the handset, with their files kept outside.
        ASSERT_TRUE(MakeDir(L"\\CardA") && MakeDir(L"\\CardA\\Music") && MakeFile(L"\\CardA\\song.mid", "m"));
        ASSERT_TRUE(MakeDir(L"\\CardB") && MakeFile(L"\\CardB\\b.txt", "b"));
        ASSERT_TRUE(PlatRemoveCard(L"CardA") && PlatRemoveCard(L"CardB"));
        ASSERT_TRUE(MakeDir(L"\\Docs") && MakeDir(L"\\CardAx"));
        StartTreeThreads();
        ASSERT_TRUE(PumpUntil([] { return IsCardWatcherRunning() != FALSE; }));
        // Caught up with the set-up: a set seen late would make the first card look like a swap.
        ASSERT_TRUE(PumpUntil([] { return GetCardsSeenCount() == 0; }));
    }

    void TearDown() override
    {
        TavelTree::TearDown();
        DeleteFileW(PlatProfilePath(L"device.json").c_str());
    }

    // A node's image and selected image.
    static std::pair<int, int> Images(HWND hwndTree, HTREEITEM h)
    {
        TVITEMW tvi = {};
        tvi.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_HANDLE;
        tvi.hItem = h;
        SendMessageW(hwndTree, TVM_GETITEMW, 0, (LPARAM)&tvi);
        return {tvi.iImage, tvi.iSelectedImage};
    }
};
} // namespace

TEST_F(Cards, ACardJoinsAndLeavesTheRootListingAndIsShownWithTheOption)
{
    Open();
    EXPECT_LT(RowOf(L"CardA"), 0);
    ASSERT_TRUE(PlatInsertCard(L"CardA"));
    EXPECT_TRUE(PumpUntil([] { return RowOf(L"CardA") >= 0; }));
    EXPECT_STREQ(L"", g_szCurrentFolder);
    ASSERT_TRUE(PlatRemoveCard(L"CardA"));
    EXPECT_TRUE(PumpUntil([] { return RowOf(L"CardA") < 0; }));
    // Only the card's own row goes, not a folder whose name begins like it.
    EXPECT_GE(RowOf(L"CardAx"), 0);
    EXPECT_GE(RowOf(L"Docs"), 0);

    ASSERT_TRUE(PlatInsertCard(L"CardA"));
    ASSERT_TRUE(PumpUntil([] { return GetCardsSeenCount() == 1; }));
    StringCchCopyW(g_szCurrentFolder, ARRAYSIZE(g_szCurrentFolder), L"\\carda\\Music");  // any case
    ListFolder();
    ASSERT_TRUE(PlatRemoveCard(L"CardA"));
    EXPECT_TRUE(PumpUntil([] { return g_szCurrentFolder[0] == 0; }));
    EXPECT_GE(RowOf(L"Docs"), 0);

    SetOption(OPT_SWITCH_TO_CARD, 1);
    ASSERT_TRUE(PlatInsertCard(L"CardB"));
    EXPECT_TRUE(PumpUntil([] { return wcscmp(g_szCurrentFolder, L"\\CardB") == 0; }));
    EXPECT_GE(RowOf(L"b.txt"), 0);
    EXPECT_STREQ(L"  \\CardB", GetTitleStripText());
}

// A tree copy's source is the folder the header showed when the destination
// tree was entered, whatever a card does to the tree's selection meanwhile.
TEST_F(Cards, TheTreeShowsCardsByTheirImagesGainsAndLosesTheCardNodeAndACopyKeepsItsSource)
{
    ASSERT_TRUE(MakeDir(L"\\Docs\\src") && MakeFile(L"\\Docs\\src\\s.txt", "s"));
    ASSERT_TRUE(PlatInsertCard(L"CardB"));
    ASSERT_TRUE(PumpUntil([] { return GetCardsSeenCount() == 1; }));
    Open();
    EnterTree();
    HWND hwndTree = GetFolderTreeWindow();
    ASSERT_NE(nullptr, Node(hwndTree, L"\\CardB"));
    EXPECT_EQ(std::make_pair(3, 4), Images(hwndTree, Node(hwndTree, L"\\CardB")));
    EXPECT_EQ(std::make_pair(0, 1), Images(hwndTree, Node(hwndTree, L"\\Docs")));
    SetOption(OPT_SWITCH_TO_CARD, 1);
    SendMessageW(hwndTree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)Node(hwndTree, L"\\Docs\\src"));
    Command(IDM_TREE_COPY_TO);
    HWND hwndDest = GetDestTreeWindow();
    ASSERT_TRUE(WaitFilled(hwndDest));
    ASSERT_TRUE(PlatInsertCard(L"CardA"));
    ASSERT_TRUE(PumpUntil([&] { return Node(hwndTree, L"\\CardA\\Music") != nullptr; }));
    HTREEITEM hCard = Node(hwndTree, L"\\CardA");
    EXPECT_EQ(std::make_pair(3, 4), Images(hwndTree, hCard));
    EXPECT_TRUE(PumpUntil([&] { return GetSelectedNode(hwndTree) == hCard; }));
    EXPECT_STREQ(L"", g_szCurrentFolder);  // the list is left alone in tree mode
    // The count of the selected card is over: its search no longer holds the card's folder.
    ASSERT_TRUE(PumpUntil([] { return wcscmp(GetTreeCountsText(), L"1 Folders/1 Files") == 0; }));
    SendMessageW(hwndDest, TVM_SELECTITEM, TVGN_CARET, (LPARAM)Node(hwndDest, L"\\CardAx"));
    Command(IDM_DEST_DONE);
    EXPECT_TRUE(MessageBoxes::calls.empty());
    EXPECT_EQ("s", ReadFileText(L"\\CardAx\\src\\s.txt"));
    EXPECT_FALSE(Exists(L"\\CardAx\\CardA"));

    ASSERT_TRUE(PlatRemoveCard(L"CardA"));
    EXPECT_TRUE(PumpUntil([&] { return Node(hwndTree, L"\\CardA") == nullptr; }));
    EXPECT_NE(nullptr, Node(hwndTree, L"\\CardAx"));
}

// A card moved while a box is up lists the folder again, which selects its
// row 0: the delete still works only on the rows chosen.
TEST_F(Cards, DeleteWorksOnlyOnTheRowsChosenWhenACardMovesUnderItsBox)
{
    ASSERT_TRUE(MakeFile(L"\\x.txt", "x") && MakeFile(L"\\y.txt", "y"));
    Open();
    SelectRows({L"x.txt", L"y.txt"});
    MessageBoxes::answers = {IDYES};
    WhileBoxUp() = [] {
        ASSERT_TRUE(PlatInsertCard(L"CardA"));
        ASSERT_TRUE(PumpUntil([] { return RowOf(L"CardA") >= 0; }));
    };
    Command(IDM_DELETE);
    EXPECT_EQ(std::vector<std::wstring>{L"Do you want to delete these 2 items ?"}, BoxTexts());
    EXPECT_FALSE(Exists(L"\\x.txt") || Exists(L"\\y.txt"));
    EXPECT_TRUE(Exists(L"\\CardA\\song.mid") && Exists(L"\\CardAx") && Exists(L"\\Docs"));
    EXPECT_TRUE(RowOf(L"CardA") >= 0 && RowOf(L"x.txt") < 0 && RowOf(L"y.txt") < 0);

    // One row on the card, its question up while the card leaves and the root is listed.
    ASSERT_TRUE(MakeFile(L"\\CardA\\c.txt", "c") && MakeFile(L"\\z.txt", "z"));
    StringCchCopyW(g_szCurrentFolder, ARRAYSIZE(g_szCurrentFolder), L"\\CardA");
    ListFolder();
    MessageBoxes::Reset();
    MessageBoxes::answers = {IDYES};
    SelectRows({L"c.txt"});
    WhileBoxUp() = [] {
        ASSERT_TRUE(PlatRemoveCard(L"CardA"));
        ASSERT_TRUE(PumpUntil([] { return g_szCurrentFolder[0] == 0; }));
    };
    Command(IDM_DELETE);
    EXPECT_EQ((std::vector<std::wstring>{L"Do you want to delete \\CardA\\c.txt ?",
                                         L"Fail to delete this file (\\CardA\\c.txt) "}), BoxTexts());
    EXPECT_TRUE(Exists(L"\\CardAx") && Exists(L"\\Docs") && Exists(L"\\z.txt"));
    EXPECT_TRUE(RowOf(L"CardAx") >= 0 && RowOf(L"Docs") >= 0 && RowOf(L"z.txt") >= 0);
}

// The rename dialog renames the entry it was opened on, whatever a card
// does to the list under it.
TEST_F(Cards, TheListRenameRenamesTheEntryChosenWhileACardComesOrGoes)
{
    ASSERT_TRUE(MakeFile(L"\\a.txt", "a") && MakeFile(L"\\b.txt", "b"));
    ASSERT_TRUE(PlatInsertCard(L"CardA"));
    ASSERT_TRUE(PumpUntil([] { return GetCardsSeenCount() == 1; }));
    Open();
    SelectRows({L"a.txt"});
    EXPECT_TRUE(InDialog(IDM_RENAME, 0, [&](HWND hdlg) {
        EXPECT_TRUE(PlatRemoveCard(L"CardA"));
        EXPECT_TRUE(PumpUntil([] { return RowOf(L"CardA") < 0; }));
        Submit(hdlg, IDC_RENAME_EDIT, L"c.txt", IDM_RENAME_OK);
    }));
    EXPECT_EQ("a", ReadFileText(L"\\c.txt"));
    EXPECT_EQ("b", ReadFileText(L"\\b.txt"));
    EXPECT_TRUE(RowOf(L"c.txt") >= 0 && RowOf(L"b.txt") >= 0 && RowOf(L"a.txt") < 0);

    // The card's folder is listed under the open dialog.
    SetOption(OPT_SWITCH_TO_CARD, 1);
    SelectRows({L"c.txt"});
    EXPECT_TRUE(InDialog(IDM_RENAME, 0, [&](HWND hdlg) {
        EXPECT_TRUE(PlatInsertCard(L"CardA"));
        EXPECT_TRUE(PumpUntil([] { return wcscmp(g_szCurrentFolder, L"\\CardA") == 0; }));
        Submit(hdlg, IDC_RENAME_EDIT, L"d.txt", IDM_RENAME_OK);
    }));
    EXPECT_EQ("a", ReadFileText(L"\\d.txt"));
    EXPECT_EQ("m", ReadFileText(L"\\CardA\\song.mid"));
    EXPECT_GE(RowOf(L"song.mid"), 0);
    EXPECT_TRUE(MessageBoxes::calls.empty());
}

// A refused tree rename starts again on its own folder, whatever a card did
// to the selection meanwhile, and not at all once that folder is gone.
TEST_F(Cards, ARefusedTreeRenameStartsAgainOnlyOnItsOwnFolder)
{
    Open();
    EnterTree();
    HWND hwndTree = GetFolderTreeWindow();
    SetOption(OPT_SWITCH_TO_CARD, 1);
    WhileBoxUp() = [&] {
        EXPECT_TRUE(PlatInsertCard(L"CardA"));
        EXPECT_TRUE(PumpUntil([&] {
            HTREEITEM h = Node(hwndTree, L"\\CardA");
            return h && GetSelectedNode(hwndTree) == h;
        }));
    };
    RenameNode(hwndTree, L"\\Docs", L"a|b");
    ASSERT_TRUE(PumpUntil([&] { return EditOf(hwndTree) != nullptr; }));
    EXPECT_EQ(L"a|b", WindowText(EditOf(hwndTree)));
    SetWindowTextW(EditOf(hwndTree), L"Papers");
    Command(IDM_TREE_RENAME_DONE);
    EXPECT_TRUE(Exists(L"\\Papers") && Exists(L"\\CardA\\song.mid"));
    EXPECT_FALSE(Exists(L"\\Docs"));
    EXPECT_TRUE(Node(hwndTree, L"\\Papers") && Node(hwndTree, L"\\CardA"));

    WhileBoxUp() = [&] {
        EXPECT_TRUE(PlatRemoveCard(L"CardA"));
        EXPECT_TRUE(PumpUntil([&] { return Node(hwndTree, L"\\CardA") == nullptr; }));
    };
    RenameNode(hwndTree, L"\\CardA\\Music", L"x:y");
    Pump(100);
    EXPECT_EQ(nullptr, EditOf(hwndTree));
    SelectPath(hwndTree, L"\\Papers");
    Command(IDM_TREE_RENAME);
    EXPECT_EQ(L"Papers", WindowText(EditOf(hwndTree)));
    Command(IDM_TREE_RENAME_CANCEL);
    EXPECT_EQ((std::vector<std::wstring>{L"This is an invalid name.", L"This is an invalid name."}), BoxTexts());
}

// The card is mounted on its folder: renamed, it could be neither taken out
// nor put back. A folder merely named like it is renamed as any other.
TEST_F(Cards, ACardsOwnFolderKeepsItsNameInTheListAndTheTree)
{
    ASSERT_TRUE(PlatInsertCard(L"CardA"));
    ASSERT_TRUE(PumpUntil([] { return GetCardsSeenCount() == 1; }));
    Open();
    RenameRow(L"CardA", L"Mine");
    RenameRow(L"CardAx", L"Other");
    EnterTree();
    HWND hwndTree = GetFolderTreeWindow();
    RenameNode(hwndTree, L"\\CardA", L"Mine");
    EXPECT_EQ((std::vector<std::wstring>{L"Can't rename.", L"Can't rename."}), BoxTexts());
    EXPECT_TRUE(Node(hwndTree, L"\\CardA") && Node(hwndTree, L"\\Other"));
    EXPECT_TRUE(Exists(L"\\CardA\\song.mid") && Exists(L"\\Other"));
    EXPECT_FALSE(Exists(L"\\Mine"));
    Command(IDM_LIST_VIEW);
    ASSERT_TRUE(PlatRemoveCard(L"CardA"));
    EXPECT_TRUE(PumpUntil([] { return RowOf(L"CardA") < 0; }));
}

// A card's own folder is where the card is mounted: a delete takes what is
// on it but leaves the card, and a move cannot carry the card away.
TEST_F(Cards, ACardsOwnFolderIsNeitherRemovedNorMoved)
{
    ASSERT_TRUE(PlatInsertCard(L"CardA"));
    ASSERT_TRUE(PumpUntil([] { return GetCardsSeenCount() == 1; }));
    EXPECT_FALSE(PlatMoveFileW(L"\\CardA", L"\\Docs\\CardA"));
    EXPECT_EQ((DWORD)ERROR_ACCESS_DENIED, GetLastError());
    EXPECT_TRUE(Exists(L"\\CardA\\song.mid") && !Exists(L"\\Docs\\CardA"));
    Open();
    SelectRows({L"CardA"});
    MessageBoxes::answers = {IDYES};
    Command(IDM_DELETE);
    EXPECT_EQ((std::vector<std::wstring>{L"Do you want to delete \\CardA ?",
                                         L"Can't delete directory \\CardA. Access is denied."}),
              BoxTexts());
    EXPECT_FALSE(Exists(L"\\CardA\\song.mid") || Exists(L"\\CardA\\Music"));
    EXPECT_TRUE(Exists(L"\\CardA"));
    EXPECT_TRUE(PumpUntil([] { return RowOf(L"CardA") >= 0; }));
    EXPECT_TRUE(PlatMoveFileW(L"\\CardAx", L"\\Docs\\CardAx") && PlatRemoveDirectoryW(L"\\Docs\\CardAx"));
}

// A card coming and one going are the window tests'; here the first of two by name and a swap.
TEST(CardSets, ChangesAreTheFirstCardByNameAndASwapIsNoChange)
{
    WCHAR aOld[2][MAX_PATH] = {L"A", L"C"};
    WCHAR aTwoMore[4][MAX_PATH] = {L"A", L"B", L"C", L"D"};
    WCHAR aSwapped[2][MAX_PATH] = {L"A", L"D"};
    WCHAR szName[MAX_PATH];
    EXPECT_EQ(1, CompareCardSets(aOld, 2, aTwoMore, 4, szName, ARRAYSIZE(szName)));
    EXPECT_STREQ(L"B", szName);
    EXPECT_EQ(0, CompareCardSets(aOld, 2, aSwapped, 2, szName, ARRAYSIZE(szName)));
    EXPECT_STREQ(L"", szName);
}
