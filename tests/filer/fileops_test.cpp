// Move, copy and delete on real trees in the test store, through the
// window's commands and the destination tree.
#include "tree_fixture.h"

namespace {
class FileOps : public TavelTree {};
using Texts = std::vector<std::wstring>;

// The one box of a target that is, or holds, its own source.
Texts Same(const std::wstring &verb, const std::wstring &path)
{
    return {L"Can't " + verb + L" " + path + L": source and destinaiton are the same."};
}
} // namespace

TEST_F(FileOps, CopyLeavesTheSourcesAndMoveTakesTheRowsAndTheFolderNodeAlong)
{
    ASSERT_TRUE(MakeFile(L"\\a.txt", "alpha") && MakeFile(L"\\keep.txt", "k"));
    ASSERT_TRUE(MakeDir(L"\\src") && MakeDir(L"\\src\\sub") && MakeDir(L"\\dst") && MakeDir(L"\\mv"));
    ASSERT_TRUE(MakeFile(L"\\src\\x.txt", "x") && MakeFile(L"\\src\\sub\\y.txt", "why"));
    Open();
    EnterTree();
    Command(IDM_LIST_VIEW);
    SelectRows({L"a.txt", L"src"});
    Command(IDM_COPY_TO);
    EXPECT_STREQ(L"  Copy to - Source Folder :", GetDestHeaderLine(0));
    EXPECT_STREQ(L"  \\", GetDestHeaderLine(1));
    Command(IDM_DEST_CANCEL);
    RunToDestination(IDM_COPY_TO, L"\\dst");
    EXPECT_EQ("alpha", ReadFileText(L"\\dst\\a.txt"));
    EXPECT_EQ("why", ReadFileText(L"\\dst\\src\\sub\\y.txt"));
    EXPECT_EQ("x", ReadFileText(L"\\dst\\src\\x.txt"));
    EXPECT_TRUE(Exists(L"\\a.txt") && Exists(L"\\src\\sub\\y.txt"));
    EXPECT_TRUE(MessageBoxes::calls.empty());
    EXPECT_EQ(nullptr, GetProgressWindow());
    EXPECT_TRUE(IsWindowVisible(hwndList));

    int cBefore = g_cFileRows;
    SelectRows({L"a.txt", L"src"});
    RunToDestination(IDM_MOVE_TO, L"\\mv");
    EXPECT_EQ("alpha", ReadFileText(L"\\mv\\a.txt"));
    EXPECT_EQ("why", ReadFileText(L"\\mv\\src\\sub\\y.txt"));
    EXPECT_FALSE(Exists(L"\\a.txt") || Exists(L"\\src"));
    EXPECT_EQ(cBefore - 2, g_cFileRows);
    EXPECT_EQ(-1, RowOf(L"a.txt"));
    EXPECT_GE(RowOf(L"keep.txt"), 0);
    HWND hwndTree = GetFolderTreeWindow();
    EXPECT_EQ(nullptr, Node(hwndTree, L"\\src"));
    HTREEITEM hMoved = Node(hwndTree, L"\\mv\\src");
    ASSERT_NE(nullptr, hMoved);
    EXPECT_EQ(hMoved, GetSelectedNode(hwndTree));
}

TEST_F(FileOps, OverwriteOfFilesFoldersAndMoves)
{
    ASSERT_TRUE(MakeDir(L"\\src") && MakeFile(L"\\src\\f.txt", "src") && MakeDir(L"\\src\\new-sub"));
    ASSERT_TRUE(MakeDir(L"\\dst") && MakeDir(L"\\dst\\src") && MakeFile(L"\\dst\\src\\old.txt", "old"));
    ASSERT_TRUE(MakeDir(L"\\dst\\src\\old-sub") && MakeFile(L"\\a.txt", "new") && MakeFile(L"\\dst\\a.txt", "old"));
    Open();
    EnterTree();
    Command(IDM_LIST_VIEW);
    HWND hwndTree = GetFolderTreeWindow();
    // Option off: an existing file or folder is kept as it is, unasked.
    SetOption(OPT_CONFIRM_OVERWRITE, 0);
    EXPECT_TRUE(Operate(IDM_COPY_TO, {L"a.txt", L"src"}, L"\\dst").empty());
    EXPECT_EQ("old", ReadFileText(L"\\dst\\a.txt"));
    SetOption(OPT_CONFIRM_OVERWRITE, 1);
    const Texts kAsked = {L"Do you want to overwrite \\dst\\src ?", L"Do you want to overwrite \\dst\\a.txt ?"};
    EXPECT_EQ(kAsked, Operate(IDM_COPY_TO, {L"a.txt", L"src"}, L"\\dst", {IDNO, IDNO}));
    EXPECT_EQ((UINT)(MB_YESNO | MB_ICONQUESTION), MessageBoxes::calls[0].uType);
    EXPECT_EQ("old", ReadFileText(L"\\dst\\a.txt"));
    EXPECT_TRUE(Exists(L"\\dst\\src\\old.txt"));
    EXPECT_FALSE(Exists(L"\\dst\\src\\f.txt") || Exists(L"\\dst\\src\\new-sub"));
    EXPECT_NE(nullptr, Node(hwndTree, L"\\dst\\src\\old-sub"));
    EXPECT_EQ(nullptr, Node(hwndTree, L"\\dst\\src\\new-sub"));
    EXPECT_EQ(kAsked, Operate(IDM_COPY_TO, {L"a.txt", L"src"}, L"\\dst", {IDYES, IDYES}));
    EXPECT_EQ("new", ReadFileText(L"\\dst\\a.txt"));
    EXPECT_FALSE(Exists(L"\\dst\\src\\old.txt"));
    EXPECT_EQ("src", ReadFileText(L"\\dst\\src\\f.txt"));
    EXPECT_EQ(nullptr, Node(hwndTree, L"\\dst\\src\\old-sub"));
    EXPECT_NE(nullptr, Node(hwndTree, L"\\dst\\src\\new-sub"));
    ASSERT_TRUE(MakeFile(L"\\m.txt", "moved") && MakeFile(L"\\dst\\m.txt", "stale"));
    ListFolder();
    Operate(IDM_MOVE_TO, {L"m.txt"}, L"\\dst", {IDYES});
    EXPECT_EQ("moved", ReadFileText(L"\\dst\\m.txt"));
    EXPECT_FALSE(Exists(L"\\m.txt"));
    EXPECT_EQ(-1, RowOf(L"m.txt"));
    ASSERT_TRUE(MakeFile(L"\\n.txt", "n") && MakeFile(L"\\dst\\n.txt", "stays"));
    ListFolder();
    Operate(IDM_MOVE_TO, {L"n.txt"}, L"\\dst", {IDNO});
    EXPECT_EQ("stays", ReadFileText(L"\\dst\\n.txt"));
    EXPECT_TRUE(Exists(L"\\n.txt"));
    EXPECT_GE(RowOf(L"n.txt"), 0);
}

TEST_F(FileOps, TargetInsideOrHoldingTheSourceIsRefusedButANamesakePrefixIsNot)
{
    ASSERT_TRUE(MakeDir(L"\\a") && MakeDir(L"\\a\\b") && MakeDir(L"\\ab"));
    ASSERT_TRUE(MakeDir(L"\\notes") && MakeFile(L"\\notes\\n.txt", "n") && MakeDir(L"\\notes2"));
    ASSERT_TRUE(MakeFile(L"\\f.txt", "f"));
    ASSERT_TRUE(MakeDir(L"\\h") && MakeDir(L"\\h\\h") && MakeFile(L"\\h\\h\\in.txt", "in"));
    ASSERT_TRUE(MakeDir(L"\\b") && MakeFile(L"\\b\\b", "file"));
    Open();
    EXPECT_EQ(Same(L"move", L"\\a"), Operate(IDM_MOVE_TO, {L"a"}, L"\\a\\b"));
    EXPECT_EQ(L"File Manager", MessageBoxes::calls[0].caption);
    EXPECT_TRUE(Exists(L"\\a\\b"));
    EXPECT_EQ(Same(L"copy", L"\\notes"), Operate(IDM_COPY_TO, {L"notes"}, L"\\notes"));
    EXPECT_FALSE(Exists(L"\\notes\\notes"));
    // A file into its own folder: copy refused, move does nothing.
    EXPECT_EQ(Same(L"copy", L"\\f.txt"), Operate(IDM_COPY_TO, {L"f.txt"}, L"\\"));
    EXPECT_TRUE(Operate(IDM_MOVE_TO, {L"f.txt"}, L"\\").empty());
    EXPECT_TRUE(Exists(L"\\f.txt"));
    // Names that only begin alike are different folders.
    EXPECT_TRUE(Operate(IDM_COPY_TO, {L"notes"}, L"\\notes2").empty());
    EXPECT_EQ("n", ReadFileText(L"\\notes2\\notes\\n.txt"));
    EXPECT_TRUE(Operate(IDM_MOVE_TO, {L"a"}, L"\\ab").empty());
    EXPECT_TRUE(Exists(L"\\ab\\a\\b"));
    EXPECT_FALSE(Exists(L"\\a"));
    // On Yes to the overwrite, a target holding the source would go with it.
    StringCchCopyW(g_szCurrentFolder, ARRAYSIZE(g_szCurrentFolder), L"\\h");
    ListFolder();
    for (UINT id : {IDM_MOVE_TO, IDM_COPY_TO}) {
        std::wstring verb = id == IDM_MOVE_TO ? L"move" : L"copy";
        EXPECT_EQ(Same(verb, L"\\h\\h"), Operate(id, {L"h"}, L"\\", {IDYES, IDYES}));
        EXPECT_EQ("in", ReadFileText(L"\\h\\h\\in.txt"));
    }
    StringCchCopyW(g_szCurrentFolder, ARRAYSIZE(g_szCurrentFolder), L"\\b");
    ListFolder();
    EXPECT_EQ(Same(L"move", L"\\b\\b"), Operate(IDM_MOVE_TO, {L"b"}, L"\\", {IDYES}));
    EXPECT_EQ("file", ReadFileText(L"\\b\\b"));
}

// A folder whose path passes 259 characters is in the tree but cannot be a target; a
// source gone before Done (its card taken out) fails the copy and leaves no empty folder.
TEST_F(FileOps, OverLongTargetsAndASourceGoneMeanwhileStopTheOperationWithItsMessage)
{
    std::wstring deep = L"\\" + std::wstring(150, L'd'), dest = deep + L"\\" + std::wstring(120, L'e');
    ASSERT_TRUE(MakeDir(deep) && MakeDir(dest) && MakeDir(L"\\dst"));
    ASSERT_TRUE(MakeDir(L"\\s") && MakeFile(L"\\s\\f.txt", "f") && MakeDir(L"\\s\\src"));
    Open(L"\\s");
    ASSERT_TRUE(RemoveDirectoryW(L"\\s\\src"));
    EXPECT_EQ(Texts{L"Can't copy file from \\s\\src to \\dst\\src. Access is denied."},
              Operate(IDM_COPY_TO, {L"src"}, L"\\dst"));
    EXPECT_FALSE(Exists(L"\\dst\\src"));
    for (UINT id : {IDM_COPY_TO, IDM_MOVE_TO}) {
        std::wstring verb = id == IDM_COPY_TO ? L"copy" : L"move";
        EXPECT_EQ(Texts{L"Can't " + verb + L" file from \\s\\f.txt to ...\\" + std::wstring(120, L'e') +
                        L"\\f.txt. Access is denied."},
                  Operate(id, {L"f.txt"}, dest));
        EXPECT_FALSE(Exists(L"\\f.txt"));
        EXPECT_EQ("f", ReadFileText(L"\\s\\f.txt"));
    }
    // A destination of 200 characters and a name of 80: the target would pass 259.
    std::wstring dest2 = L"\\" + std::wstring(99, L'd') + L"\\" + std::wstring(99, L'e');
    ASSERT_TRUE(MakeDir(dest2.substr(0, 100)) && MakeDir(dest2));
    std::wstring name = std::wstring(76, L'n') + L".txt";
    ASSERT_TRUE(MakeFile(L"\\" + name, "long") && MakeDir(L"\\tree") && MakeFile(L"\\tree\\" + name, "inner"));
    g_szCurrentFolder[0] = 0;
    ListFolder();
    EXPECT_EQ(Texts{L"Can't copy file from \\" + name + L" to " + dest2 + L"\\" + name + L". Access is denied."},
              Operate(IDM_COPY_TO, {name.c_str()}, dest2));
    EXPECT_FALSE(Exists(dest2 + L"\\" + name.substr(0, 50)));
    // Inside a folder copy the file's own join fails and the copy stops there.
    std::wstring mid = L"\\" + std::wstring(99, L'd') + L"\\" + std::wstring(75, L'f');
    ASSERT_TRUE(MakeDir(mid));
    Texts texts = Operate(IDM_COPY_TO, {L"tree"}, mid);
    ASSERT_GE(texts.size(), 1u);
    EXPECT_EQ(L"Can't copy file from \\tree\\" + name + L" to " + mid + L"\\tree\\" + name, texts[0]);
    EXPECT_TRUE(Exists(mid + L"\\tree"));
    texts = Operate(IDM_MOVE_TO, {name.c_str()}, dest2);
    ASSERT_EQ(1u, texts.size());
    EXPECT_EQ(0u, texts[0].find(L"Can't move file from \\" + name + L" to "));
    EXPECT_TRUE(Exists(L"\\" + name));
}

TEST_F(FileOps, DeleteAsksForOneRowOrSeveralAndSkipsTheParentRow)
{
    ASSERT_TRUE(MakeDir(L"\\f") && MakeFile(L"\\f\\a.txt", "a") && MakeFile(L"\\f\\b.txt", "b"));
    ASSERT_TRUE(MakeDir(L"\\f\\sub") && MakeFile(L"\\f\\sub\\c.txt", "c") && MakeFile(L"\\f\\keep.txt", "k"));
    ASSERT_TRUE(MakeFile(L"\\f\\one.txt", "1"));
    Open(L"\\f");
    SelectRows({L"one.txt"});
    MessageBoxes::answers = {IDNO, IDYES};
    Command(IDM_DELETE);
    EXPECT_TRUE(Exists(L"\\f\\one.txt"));
    Command(IDM_DELETE);
    EXPECT_EQ((Texts{L"Do you want to delete \\f\\one.txt ?", L"Do you want to delete \\f\\one.txt ?"}), BoxTexts());
    EXPECT_FALSE(Exists(L"\\f\\one.txt"));
    EXPECT_EQ(-1, RowOf(L"one.txt"));
    MessageBoxes::Reset();
    SelectRows({L"..", L"a.txt", L"b.txt", L"sub"});
    MessageBoxes::answers = {IDYES};
    Command(IDM_DELETE);
    EXPECT_EQ(Texts{L"Do you want to delete these 4 items ?"}, BoxTexts());
    EXPECT_FALSE(Exists(L"\\f\\a.txt") || Exists(L"\\f\\b.txt") || Exists(L"\\f\\sub"));
    EXPECT_TRUE(Exists(L"\\f\\keep.txt"));
    EXPECT_EQ(2, g_cFileRows);
    EXPECT_TRUE(IsParentRow(0));
    EXPECT_STREQ(L"0/2", GetStatusStripCounts());

    SetOption(OPT_CONFIRM_DELETE, 0);
    MessageBoxes::Reset();
    SelectRows({L"keep.txt"});
    Command(IDM_DELETE);
    EXPECT_TRUE(MessageBoxes::calls.empty());
    EXPECT_FALSE(Exists(L"\\f\\keep.txt"));

    SetOption(OPT_CONFIRM_DELETE, 1);
    ASSERT_TRUE(MakeFile(L"\\f\\x.txt", "x") && MakeFile(L"\\f\\y.txt", "y"));
    ListFolder();
    MessageBoxes::Reset();
    SelectRows({L"x.txt", L"y.txt"});
    MessageBoxes::answers = {IDNO};
    Command(IDM_DELETE);
    EXPECT_TRUE(Exists(L"\\f\\x.txt") && Exists(L"\\f\\y.txt"));
}

// A read-only file fails, then each folder around it; the window is repainted after the
// question and before the deletes, so a box during them finds nothing left to paint.
TEST_F(FileOps, ReadOnlyFilesFailOneMessageEachAfterTheListIsRepainted)
{
    ASSERT_TRUE(MakeDir(L"\\top") && MakeDir(L"\\top\\mid") && MakeDir(L"\\top\\mid\\deep"));
    ASSERT_TRUE(MakeFile(L"\\top\\mid\\deep\\ro.txt", "r") && MakeFile(L"\\top\\a.txt", "a"));
    ASSERT_TRUE(MakeFile(L"\\a.txt", "a") && MakeFile(L"\\b.txt", "b") && MakeFile(L"\\ro.txt", "r"));
    for (LPCWSTR psz : {L"\\ro.txt", L"\\top\\mid\\deep\\ro.txt"})
        ASSERT_TRUE(SetFileAttributesW(psz, FILE_ATTRIBUTE_READONLY));
    Open();
    SelectRows({L"top", L"a.txt", L"b.txt", L"ro.txt"});
    MessageBoxes::answers = {IDYES};
    bool fLeftToPaint = true;
    WhileBoxUp() = [&] {
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        WhileBoxUp() = [&] {
            fLeftToPaint = GetUpdateRect(hwnd, nullptr, FALSE) || GetUpdateRect(hwndList, nullptr, FALSE);
        };
    };
    Command(IDM_DELETE);
    EXPECT_EQ((Texts{L"Do you want to delete these 4 items ?",
                     L"Can't delete file \\top\\mid\\deep\\ro.txt. Access is denied.",
                     L"Can't delete directory \\top\\mid. Access is denied.",
                     L"Can't delete directory \\top. Access is denied.", L"Fail to delete this file (\\ro.txt) "}),
              BoxTexts());
    EXPECT_EQ(MB_ICONHAND, (int)MessageBoxes::calls.back().uType);
    EXPECT_FALSE(fLeftToPaint);
    EXPECT_FALSE(Exists(L"\\a.txt") || Exists(L"\\b.txt"));
    EXPECT_TRUE(Exists(L"\\top\\mid\\deep\\ro.txt"));
    EXPECT_TRUE(RowOf(L"top") >= 0 && RowOf(L"ro.txt") >= 0);
    EXPECT_EQ(0, (int)SendMessageW(hwndList, LVM_GETSELECTEDCOUNT, 0, 0));
    for (LPCWSTR psz : {L"\\ro.txt", L"\\top\\mid\\deep\\ro.txt"})
        SetFileAttributesW(psz, FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileOps, TreeModeDeleteAlwaysAsksAndDropsTheNodeCopyTakesTheSelectedFolder)
{
    ASSERT_TRUE(MakeDir(L"\\p") && MakeDir(L"\\p\\gone") && MakeFile(L"\\p\\gone\\g.txt", "g"));
    ASSERT_TRUE(MakeDir(L"\\p\\src") && MakeFile(L"\\p\\src\\s.txt", "s") && MakeDir(L"\\d"));
    SetOption(OPT_CONFIRM_DELETE, 0);
    Open();
    EnterTree();
    HWND hwndTree = GetFolderTreeWindow();
    SelectPath(hwndTree, L"\\p\\gone");
    MessageBoxes::answers = {IDNO};
    Command(IDM_TREE_DELETE);
    EXPECT_EQ(Texts{L"Do you want to delete this directory (\\p\\gone)?"}, BoxTexts());
    EXPECT_TRUE(Exists(L"\\p\\gone\\g.txt"));
    MessageBoxes::answers = {IDYES};
    Command(IDM_TREE_DELETE);
    EXPECT_FALSE(Exists(L"\\p\\gone"));
    EXPECT_EQ(nullptr, Node(hwndTree, L"\\p\\gone"));
    EXPECT_EQ(Node(hwndTree, L"\\p"), GetSelectedNode(hwndTree));

    SendMessageW(hwndTree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)Node(hwndTree, L"\\p\\src"));
    Command(IDM_TREE_COPY_TO);
    EXPECT_STREQ(L"  \\p\\src", GetDestHeaderLine(1));
    Command(IDM_DEST_CANCEL);
    EXPECT_TRUE(IsTreeMode());
    EXPECT_TRUE(IsWindowVisible(hwndTree));
    RunToDestination(IDM_TREE_COPY_TO, L"\\d");
    EXPECT_EQ("s", ReadFileText(L"\\d\\src\\s.txt"));
    EXPECT_NE(nullptr, Node(hwndTree, L"\\d\\src"));
    EXPECT_NE(nullptr, Node(hwndTree, L"\\p\\src"));
}

TEST_F(FileOps, LongFolderIsShortenedInTheHeaderAndTitleAndDoneWithoutASelectionSaysSo)
{
    std::wstring deep = L"\\" + std::wstring(20, L'a') + L"\\" + std::wstring(20, L'b') + L"\\tail-of-path";
    ASSERT_TRUE(MakeDir(deep.substr(0, 21)) && MakeDir(deep.substr(0, 42)) && MakeDir(deep));
    ASSERT_TRUE(MakeFile(deep + L"\\f.txt", "f"));
    Open(deep.c_str());
    SelectRows({L"f.txt"});
    Command(IDM_MOVE_TO);
    std::wstring line = GetDestHeaderLine(1);
    EXPECT_STREQ(L"  Move to - Source Folder :", GetDestHeaderLine(0));
    EXPECT_EQ(0u, line.find(L"..."));
    EXPECT_LT(line.size(), deep.size());
    EXPECT_EQ(line.substr(line.size() - 13), L"\\tail-of-path");
    Select({});
    ASSERT_TRUE(WaitFilled(GetDestTreeWindow()));
    Command(IDM_DEST_DONE);
    EXPECT_EQ(Texts{L"You must select an item."}, BoxTexts());
    Command(IDM_DEST_CANCEL);
    EXPECT_TRUE(Exists(deep + L"\\f.txt"));
    // The title strip is cut the same way; after the "..." the path's end, unchanged.
    std::wstring title = GetTitleStripText(), full = L"  " + deep;
    ASSERT_LT(title.size(), full.size());
    EXPECT_EQ(L"..." + full.substr(full.size() - (title.size() - 3)), title);
}

TEST_F(FileOps, ProgressWindowShowsPathsPastTwentyCharactersByTheirLast17)
{
    Open();
    HWND hdlg = CreateProgressWindow(hwnd);
    ASSERT_NE(nullptr, hdlg);
    EXPECT_EQ(hwnd, GetWindow(hdlg, GW_OWNER));
    UpdateCopyProgress(hdlg, L"\\abcd\\efghijklmnopqrs", L"\\123456789012345678x");
    EXPECT_EQ(L"...d\\efghijklmnopqrs", WindowText(hdlg, IDC_PROGRESS_FROM));
    EXPECT_EQ(L"\\123456789012345678x", WindowText(hdlg, IDC_PROGRESS_TO));
    std::wstring longPath = (L"\\" + std::wstring(250, L'p') + L"\\end-of-it.txt").substr(0, 259);
    UpdateCopyProgress(hdlg, longPath.c_str(), L"");
    EXPECT_EQ(L"..." + longPath.substr(259 - 17), WindowText(hdlg, IDC_PROGRESS_FROM));
    EXPECT_EQ(L"", WindowText(hdlg, IDC_PROGRESS_TO));
    DestroyWindow(hdlg);
}
