// Find files over real trees: the result page and its worker driven through
// the page's own messages, the form through its controls.
#include "window_fixture.h"
#include "find.h"
#include <algorithm>

namespace {
class FindFiles : public TavelWindow {
protected:
    HWND hwndPage = nullptr;
    HWND hwndResults = nullptr;

    void TearDown() override
    {
        ClosePage();
        TavelWindow::TearDown();
    }

    // Opens the result page over the settings given and waits for the search to end, if asked.
    void Search(LPCWSTR pszFolder, LPCWSTR pszPattern = L"*.*", BOOL fSub = FALSE, BOOL fSystem = FALSE,
                bool fWait = true)
    {
        FindSettings &fs = g_findSettings;
        StringCchCopyW(fs.szPattern, ARRAYSIZE(fs.szPattern), pszPattern);
        StringCchCopyW(fs.szFolder, ARRAYSIZE(fs.szFolder), pszFolder);
        fs.fSubfolders = fSub;
        fs.fSystemFiles = fSystem;
        hwndPage = CreateDialogParamW(g_hInst, MAKEINTRESOURCEW(IDD_FIND_RESULT), nullptr, FindResultProc, 0);
        ASSERT_NE(nullptr, hwndPage);
        hwndResults = GetDlgItem(hwndPage, IDC_FIND_LIST);
        ASSERT_TRUE(!fWait || PumpUntil([&] { return Bar() == L"Close"; }, 20000));
    }

    void ClosePage()
    {
        if (!hwndPage)
            return;
        SendMessageW(hwndPage, WM_COMMAND, IDM_FIND_CLOSE, 0);
        DestroyWindow(hwndPage);
        hwndPage = nullptr;
    }

    std::wstring Bar()
    {
        WCHAR sz[64] = L"";
        PlatGetSoftKeyLabel(PlatFindSoftKeyBar(hwndPage), 0, sz, ARRAYSIZE(sz));
        return sz;
    }

    std::wstring Cell(int iRow, int iCol) { return ListCell(hwndResults, iRow, iCol); }

    int Rows() { return (int)SendMessageW(hwndResults, LVM_GETITEMCOUNT, 0, 0); }

    // Every row as folder\name, in row order.
    std::vector<std::wstring> Found()
    {
        std::vector<std::wstring> v;
        for (int i = 0; i < Rows(); ++i)
            v.push_back(std::wstring(GetFoundFolder(i)) + L"\\" + Cell(i, 0));
        return v;
    }

    int Selected() { return (int)SendMessageW(hwndResults, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED); }

    void Key(UINT vk)
    {
        SendMessageW(hwndResults, WM_KEYDOWN, vk, 1);
        SendMessageW(hwndResults, WM_KEYUP, vk, 0xC0000001);
    }
};
} // namespace

using Paths = std::vector<std::wstring>;

TEST_F(FindFiles, AllNamesWithoutSubfoldersListsTheFolderFilesWithSizesAndCount)
{
    ASSERT_TRUE(MakeDir(L"P:\\F") && MakeDir(L"P:\\F\\sub") && MakeFile(L"P:\\F\\sub\\c.txt", "c"));
    ASSERT_TRUE(MakeSizedFile(L"P:\\F\\a.txt", 999) && MakeSparseFile(L"P:\\F\\b.doc", 5ULL << 30));
    ASSERT_TRUE(MakeFile(L"P:\\F\\sys.txt", "s") && SetFileAttributesW(L"P:\\F\\sys.txt", FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(MakeFile(L"P:\\F\\hid.txt", "h") && SetFileAttributesW(L"P:\\F\\hid.txt", FILE_ATTRIBUTE_HIDDEN));
    Search(L"\\F");
    std::vector<std::wstring> found = Found();
    std::sort(found.begin(), found.end());
    EXPECT_EQ((Paths{L"\\F\\a.txt", L"\\F\\b.doc", L"\\F\\hid.txt"}), found);  // system files only when asked
    for (int i = 0; i < Rows(); ++i)  // all 64 bits of the size
        EXPECT_EQ(Cell(i, 0) == L"a.txt" ? L"999B" : Cell(i, 0) == L"b.doc" ? L"5368M" : L"1B", Cell(i, 1));
    EXPECT_STREQ(L"3 file(s) found.", GetFindStripText());
    // Each row has its file's icon, held once: one for the .txt files, one for the .doc.
    HIMAGELIST himl = (HIMAGELIST)SendMessageW(hwndResults, LVM_GETIMAGELIST, LVSIL_SMALL, 0);
    EXPECT_EQ(2, ImageList_GetImageCount(himl));
    ClosePage();
    Search(L"\\F", L"*.*", FALSE, TRUE);
    EXPECT_EQ(4, Rows());
}

TEST_F(FindFiles, SubfolderMatchingThePatternIsSearchedOnce)
{
    ASSERT_TRUE(MakeDir(L"P:\\F") && MakeFile(L"P:\\F\\bar.txt", "b") && MakeFile(L"P:\\F\\foo.txt", "f"));
    ASSERT_TRUE(MakeFiles(L"P:\\F\\data", L"alpha%d.txt", 1) && MakeFiles(L"P:\\F\\other", L"gamma%d.txt", 1));
    ASSERT_TRUE(MakeFiles(L"P:\\F\\zeta", L"beta%d.txt", 1));
    Search(L"\\F", L"*a*", TRUE);
    // The folder's matches first, folders the pattern names among them; then the other folders.
    EXPECT_EQ((Paths{L"\\F\\bar.txt", L"\\F\\data\\alpha0.txt", L"\\F\\zeta\\beta0.txt", L"\\F\\other\\gamma0.txt"}),
              Found());
}

TEST_F(FindFiles, FormStartsOnTheListFolderAndTheRootSlashSearchesTheRoot)
{
    ASSERT_TRUE(MakeFile(L"P:\\top.txt", "t") && MakeFiles(L"P:\\F", L"in%d.txt", 1));
    OpenWindow(L"\\F");
    HWND hwndForm = CreateDialogParamW(g_hInst, MAKEINTRESOURCEW(IDD_FIND), hwnd, FindFormProc, 0);
    ASSERT_NE(nullptr, hwndForm);
    EXPECT_EQ(L"*.*", WindowText(hwndForm, IDC_FIND_PATTERN));
    EXPECT_EQ(L"\\F", WindowText(hwndForm, IDC_FIND_FOLDER));
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(hwndForm, IDC_FIND_SUBFOLDERS));
    // The action key ticks the focused box; Start then runs the page over "\".
    PostKey(GetDlgItem(hwndForm, IDC_FIND_SUBFOLDERS), VK_RETURN);
    SetDlgItemTextW(hwndForm, IDC_FIND_FOLDER, L"\\");
    std::vector<std::wstring> rows;
    EXPECT_TRUE(InDialog(IDM_FIND_START, 0, [&](HWND hdlg) {
        hwndPage = hdlg;
        ASSERT_TRUE(PumpUntil([&] { return Bar() == L"Close"; }, 20000));
        for (int i = 0; GetFoundFolder(i); ++i)
            rows.push_back(std::wstring(GetFoundFolder(i)) + L"|");
        SendMessageW(hwndPage, WM_COMMAND, IDM_FIND_CLOSE, 0);
    }, hwndForm));
    hwndPage = nullptr;
    EXPECT_STREQ(L"", g_findSettings.szFolder);
    EXPECT_TRUE(g_findSettings.fSubfolders);
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ((Paths{L"\\F|", L"|"}), rows);
    DestroyWindow(hwndForm);
}

TEST_F(FindFiles, StopInADeepSearchKeepsTheRowsAndCloseWaitsForTheWorker)
{
    std::wstring folder = L"P:";
    for (int i = 0; i < 40; ++i) {
        folder += L"\\d";
        ASSERT_TRUE(MakeFiles(folder, L"f%d.txt", 10));
    }
    Search(L"\\d", L"*.txt", TRUE, FALSE, false);
    // The worker's first hand-over of rows waits, unanswered, mid-search until Close.
    auto fSendWaiting = [] { return (HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) != 0; };
    for (DWORD t0 = GetTickCount(); !fSendWaiting() && GetTickCount() - t0 < 10000;)
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_SENDMESSAGE);
    ASSERT_TRUE(fSendWaiting());
    SendMessageW(hwndPage, WM_COMMAND, IDM_FIND_STOP, 0);
    EXPECT_EQ(L"Close", Bar());
    SendMessageW(hwndPage, WM_COMMAND, IDM_FIND_CLOSE, 0);
    EXPECT_FALSE(fSendWaiting());  // the worker has ended, nothing of it is left
    int cFound = GetFoundCount();
    EXPECT_GT(cFound, 0);
    EXPECT_LT(cFound, 400);
    EXPECT_EQ(cFound, Rows());
    WCHAR szCount[64];
    StringCchPrintfW(szCount, ARRAYSIZE(szCount), L"%d file(s) found.", cFound);
    EXPECT_STREQ(szCount, GetFindStripText());
}

TEST_F(FindFiles, PathsPastTheLimitAreSkippedNotCut)
{
    // Folder of 247 characters on the handset: names up to 11 characters fit.
    std::wstring folder = L"\\D\\" + std::wstring(200, L'd') + L"\\" + std::wstring(43, L'e');
    ASSERT_EQ(247u, folder.size());
    const std::wstring in = L"\\\\?\\P:" + folder + L"\\";
    ASSERT_TRUE(MakeDir(L"\\\\?\\P:\\D") && MakeDir(L"\\\\?\\P:" + folder.substr(0, 204)) && MakeDir(in));
    ASSERT_TRUE(MakeFile(in + L"fits123.txt", "x") && MakeFile(in + L"toolong1234.txt", "x"));
    // The long names alone are matched: no short name makes "*.TXT" name "x.txtx".
    ASSERT_TRUE(MakeFile(in + L"x.txtx", "x"));
    Search(L"\\D", L"*.TXT", TRUE);
    EXPECT_EQ((Paths{folder + L"\\fits123.txt"}), Found());
}

TEST_F(FindFiles, AFullTableStopsTheSearchPageKeysJumpAndActionOpensTheFoundFileOnlyWithAHandsetProgram)
{
    ASSERT_TRUE(MakeFiles(L"P:\\K", L"f%04d.txt", 1005));
    ASSERT_TRUE(MakeFile(L"P:\\K\\open.bat", HostScript()) && MakeFile(L"P:\\K\\open.txt", "o"));
    Search(L"\\K", L"*.txt");
    EXPECT_EQ(1000, Rows());  // a full table stops the search
    EXPECT_EQ(nullptr, GetFoundFolder(1000));
    EXPECT_STREQ(L"1000+ file(s) found.", GetFindStripText());
    SetForegroundWindow(hwndPage);
    SetFocus(hwndResults);
    int cPage = (int)SendMessageW(hwndResults, LVM_GETCOUNTPERPAGE, 0, 0);
    ASSERT_GT(cPage, 1);
    ASSERT_LT(cPage, 15);
    Key(VK_RIGHT);
    EXPECT_EQ(cPage - 1, Selected());  // from no selection (-1)
    Key(VK_RIGHT);
    EXPECT_EQ(2 * cPage - 1, Selected());
    Key(VK_LEFT);
    Key(VK_LEFT);
    Key(VK_LEFT);
    EXPECT_EQ(0, Selected());
    Key(VK_F9);
    EXPECT_TRUE(PumpUntil([&] { return Selected() == 999; }));
    Key(VK_F8);
    EXPECT_TRUE(PumpUntil([&] { return Selected() == 0; }));
    ClosePage();

    // The found .bat has no handset program: nothing opens it; the .txt opens with its association.
    ClearHandsetClasses();
    DeleteFileW(HostProbe().c_str());
    ASSERT_TRUE(MakeDir(L"P:\\Windows"));
    ASSERT_TRUE(CopyFileW(BuildPath(L"tools\\tmail.exe").c_str(), L"P:\\Windows\\tmail.exe", FALSE));
    SetHandsetAssociation(L".txt", L"\\Windows\\tmail.exe -attach \"%1\"");
    Search(L"\\K", L"OPEN.*");
    ASSERT_EQ(2, Rows());
    SetForegroundWindow(hwndPage);
    for (int i = 0; i < 2; ++i) {
        SetFocus(hwndResults);
        Key(i == 0 ? VK_F8 : VK_F9);
        ASSERT_TRUE(PumpUntil([&] { return Selected() == i; }));
        SendMessageW(hwndPage, WM_COMMAND, IDOK, 0);
    }
    EXPECT_EQ("\\K\\open.txt", SentAttachment());
    EXPECT_FALSE(PumpUntil([] { return GetFileAttributesW(HostProbe().c_str()) != INVALID_FILE_ATTRIBUTES; }, 1000));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(L"P:\\hostname"));
    ClearHandsetClasses();
}
