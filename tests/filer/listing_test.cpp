// The file table: sort orders, keypad search, size texts, hide rules, the
// parent row and the 1,000-row bound (a vanished folder: the window's tests).
#include <gtest/gtest.h>
#include "support.h"
#include "filer_test.h"
#include "filelist.h"
#include "mainwnd.h"
#include "options.h"
#include <strsafe.h>
#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {
struct Row {
    const wchar_t *pszName;
    DWORD dwAttr;
};
const DWORD F = FILE_ATTRIBUTE_NORMAL;
const DWORD D = FILE_ATTRIBUTE_DIRECTORY;

// A file's type key as the listing makes it: its extension, or three blanks.
void SetPlainTypeKey(FileEntry &fe)
{
    const wchar_t *pszDot = wcsrchr(fe.fd.cFileName, L'.');
    if (!(fe.fd.dwFileAttributes & D))
        StringCchCopyW(fe.szTypeKey, MAX_PATH, pszDot ? pszDot : L"   ");
}

// Fills the table as a listing would (type keys, icons), without files.
void Fill(BOOL fAtRoot, std::initializer_list<Row> rows)
{
    g_cFileRows = 0;
    g_fAtRoot = fAtRoot;
    g_fTypeKeysExtended = FALSE;
    if (!fAtRoot) {
        FileEntry &fe = g_aFileTable[g_cFileRows++];
        memset(&fe, 0, sizeof(fe));
        fe.fd.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
        StringCchCopyW(fe.fd.cFileName, MAX_PATH, L"..");
    }
    for (const Row &r : rows) {
        FileEntry &fe = g_aFileTable[g_cFileRows++];
        memset(&fe, 0, sizeof(fe));
        fe.fd.dwFileAttributes = r.dwAttr;
        StringCchCopyW(fe.fd.cFileName, MAX_PATH, r.pszName);
        SetPlainTypeKey(fe);
        fe.iIcon = -1;
    }
}

std::vector<std::wstring> Names()
{
    std::vector<std::wstring> v;
    for (int i = 0; i < g_cFileRows; ++i)
        v.push_back(g_aFileTable[i].fd.cFileName);
    return v;
}

typedef std::vector<std::wstring> Names_t;
} // namespace

TEST(FileSort, ByTypeThenNameWithTheKeysExtendedOnce)
{
    Fill(TRUE, {{L"b.txt", F}, {L"a.txt", F}, {L"c.doc", F}, {L"noext", F}});
    SortFileRows(3, TRUE);
    EXPECT_EQ((Names_t{L"noext", L"c.doc", L"a.txt", L"b.txt"}), Names());
    EXPECT_TRUE(g_fTypeKeysExtended);
    EXPECT_STREQ(L".txtb.txt", g_aFileTable[3].szTypeKey);
    EXPECT_STREQ(L"   noext", g_aFileTable[0].szTypeKey);
    SortFileRows(3, FALSE);
    EXPECT_EQ((Names_t{L"b.txt", L"a.txt", L"c.doc", L"noext"}), Names());
    EXPECT_STREQ(L".txtb.txt", g_aFileTable[0].szTypeKey);  // not extended a second time
}

namespace {
// The sort as first written, row by row: folders gathered by exchanges, an
// exchange sort of the folders by name, then a quicksort of the files with
// the first row as pivot.
ULONGLONG Size(const FileEntry &fe)
{
    return ((ULONGLONG)fe.fd.nFileSizeHigh << 32) | fe.fd.nFileSizeLow;
}

int PlainKey(const FileEntry &a, const FileEntry &b, int iType)
{
    switch (iType) {
    case 1: return _wcsicmp(a.fd.cFileName, b.fd.cFileName);
    case 2: return Size(a) < Size(b) ? -1 : Size(a) > Size(b);
    case 3: return _wcsicmp(a.szTypeKey, b.szTypeKey);
    default: return CompareFileTime(&a.fd.ftLastAccessTime, &b.fd.ftLastAccessTime);
    }
}

void PlainSwap(std::vector<FileEntry> &v, int i, int j)
{
    if (i != j)
        std::swap(v[i], v[j]);
}

void PlainQuickSort(std::vector<FileEntry> &v, int lo, int hi, int iType, bool fAsc)
{
    while (lo < hi) {
        int m = lo;
        for (int p = lo + 1; p <= hi; ++p) {
            int c = PlainKey(v[lo], v[p], iType);  // pivot against row p
            if (fAsc ? c > 0 : (iType == 2 ? c <= 0 : c < 0))
                PlainSwap(v, ++m, p);
        }
        PlainSwap(v, m, lo);
        PlainQuickSort(v, lo, m - 1, iType, fAsc);
        lo = m + 1;
    }
}

void PlainSort(std::vector<FileEntry> &v, int iFirst, int iType, bool fAsc)
{
    int n = (int)v.size(), b = iFirst;
    auto isDir = [&](int i) { return (v[i].fd.dwFileAttributes & D) != 0; };
    for (int i = iFirst; i < n; ++i) {
        int j = i;
        while (j < n && !isDir(j))
            ++j;
        if (j == n)
            break;
        PlainSwap(v, i, j);
        ++b;
    }
    for (int i = iFirst; i < b; ++i) {
        for (int j = i + 1; j < b; ++j) {
            int c = PlainKey(v[i], v[j], 1);
            if (fAsc ? c > 0 : c < 0)
                PlainSwap(v, i, j);
        }
    }
    if (iType == 3) {
        for (int i = b; i < n; ++i)
            StringCchCatW(v[i].szTypeKey, MAX_PATH, v[i].fd.cFileName);
    }
    PlainQuickSort(v, b, n - 1, iType, fAsc);
}

// Distinct names (some past ASCII), a folder in seven, few sizes and dates so that many are equal;
// sizes past 4 GB, and write times that order the rows otherwise than the access times.
std::vector<FileEntry> RandomRows(int n, BOOL fAtRoot, unsigned seed)
{
    std::mt19937 rng(seed);
    Fill(fAtRoot, {});
    std::vector<FileEntry> v(g_aFileTable, g_aFileTable + g_cFileRows);
    const wchar_t *kExt[] = {L".txt", L".JPG", L".mid", L"", L".doc"};
    for (int i = 0; i < n; ++i) {
        FileEntry fe = {};
        bool fDir = rng() % 7 == 0;
        WCHAR chFirst = L"aBcD\u00c9\u00e9"[rng() % 6];
        StringCchPrintfW(fe.fd.cFileName, MAX_PATH, L"%c%05d%s", chFirst, i, fDir ? L"" : kExt[rng() % 5]);
        fe.fd.dwFileAttributes = fDir ? D : F;
        fe.fd.nFileSizeLow = fDir ? 0 : rng() % 40;
        fe.fd.nFileSizeHigh = fDir ? 0 : rng() % 2;
        fe.fd.ftLastAccessTime.dwLowDateTime = rng() % 40;
        fe.fd.ftLastWriteTime.dwLowDateTime = rng() % 40;
        SetPlainTypeKey(fe);
        fe.iIcon = -1;
        v.push_back(fe);
    }
    return v;
}
} // namespace

TEST(FileSort, EveryOrderIsTheOneTheRowByRowSortGives)
{
    for (int iInput = 0; iInput < 3; ++iInput) {
        for (int iType = 1; iType <= 4; ++iType) {
            for (bool fAsc : {true, false}) {
                BOOL fAtRoot = (iType + iInput) % 2;
                std::vector<FileEntry> rows = RandomRows(400, fAtRoot, 7 * iType + iInput);
                int iFirst = fAtRoot ? 0 : 1;
                if (iInput > 0) {  // sorted by the key, or sorted the other way
                    PlainSort(rows, iFirst, iType, true);
                    for (FileEntry &fe : rows)
                        SetPlainTypeKey(fe);
                    if (iInput == 2)
                        std::reverse(rows.begin() + iFirst, rows.end());
                }
                std::vector<FileEntry> expected = rows;
                PlainSort(expected, iFirst, iType, fAsc);
                std::copy(rows.begin(), rows.end(), g_aFileTable);
                g_cFileRows = (int)rows.size();
                g_fAtRoot = fAtRoot;
                g_fTypeKeysExtended = FALSE;
                g_cSortCompares = 0;
                SortFileRows(iType, fAsc);
                for (int i = 0; i < g_cFileRows; ++i)
                    ASSERT_STREQ(expected[i].fd.cFileName, g_aFileTable[i].fd.cFileName)
                        << "input " << iInput << " type " << iType << " ascending " << fAsc << " row " << i;
                // Whatever the key: the parent row, the folders, then the files.
                for (int i = 1; i < g_cFileRows; ++i)
                    ASSERT_FALSE(IsFolderRow(i) && !IsFolderRow(i - 1)) << i;
                // Names and types take about n log n comparisons whatever the input order.
                if (iType == 1 || iType == 3) {
                    EXPECT_LT(g_cSortCompares, 8000ul) << iInput << " " << iType;
                }
            }
        }
    }
}

TEST(Keypad, LettersMapToTheirKeys)
{
    const wchar_t *kKeys[] = {L"", L"", L"abc", L"def", L"ghi", L"jkl", L"mno", L"pqrs", L"tuv", L"wxyz"};
    for (int d = 2; d <= 9; ++d) {
        for (const wchar_t *p = kKeys[d]; *p; ++p) {
            EXPECT_EQ((WCHAR)(L'0' + d), KeypadDigit(*p)) << (char)*p;
            EXPECT_EQ((WCHAR)(L'0' + d), KeypadDigit(towupper(*p))) << (char)*p;
        }
    }
    for (WCHAR ch = L'0'; ch <= L'9'; ++ch)
        EXPECT_EQ(ch, KeypadDigit(ch));
    for (WCHAR ch : {L' ', L'.', L'_', L'-', (WCHAR)0xE9, (WCHAR)0})
        EXPECT_EQ(L'U', KeypadDigit(ch));
}

TEST(Keypad, FindsTheFirstFileFromTheStartRow)
{
    Fill(FALSE, {{L"Cards", D}, {L"2go.txt", F}, {L"apple", F}, {L"Beta", F}, {L"dog", F}, {L"b", F}});
    EXPECT_EQ(2, FindByKeypad(0, L"2"));   // folders are never found
    EXPECT_EQ(3, FindByKeypad(3, L"2"));
    EXPECT_EQ(4, FindByKeypad(4, L"2"));
    EXPECT_EQ(3, FindByKeypad(0, L"27"));  // a-c then p-s: "apple"
    EXPECT_EQ(4, FindByKeypad(0, L"23"));  // "Beta"
    EXPECT_EQ(5, FindByKeypad(0, L"364")); // "dog"
    EXPECT_EQ(1, FindByKeypad(1, L"22")); // "b" is too short: no match, the start row
    EXPECT_EQ(4, FindByKeypad(4, L"9"));
    EXPECT_EQ(0, FindByKeypad(0, L"U"));  // not a key
    EXPECT_EQ(2, FindByKeypad(0, L"246"));  // "2go" by its digit
    Fill(FALSE, {{L"only", D}});
    EXPECT_EQ(0, FindByKeypad(1, L"6"));
    g_cFileRows = 0;
    EXPECT_EQ(0, FindByKeypad(3, L"2"));
}

TEST(Keypad, TheListSearchStartsAtRowZeroForOneCharacter)
{
    Fill(TRUE, {{L"a1", F}, {L"b2", F}, {L"x", F}, {L"c3", F}});
    NMLVFINDITEMW fi = {};
    fi.lvfi.flags = LVFI_PARTIAL | LVFI_WRAP;
    fi.lvfi.psz = L"2";
    fi.iStart = 2;
    EXPECT_EQ(0, OnFindItem(&fi));
    fi.lvfi.psz = L"22";
    EXPECT_EQ(2, OnFindItem(&fi));  // from row 2: nothing, the start row
    fi.iStart = 5;                   // past the end wraps to row 1
    EXPECT_EQ(1, OnFindItem(&fi));
    fi.lvfi.psz = nullptr;
    EXPECT_EQ(-1, OnFindItem(&fi));
}

TEST(SizeText, DecimalThousandsAndThePrecisionSteps)
{
    struct Case {
        ULONGLONG cb;
        const wchar_t *psz;
    } cases[] = {{0, L"0B"},          {999, L"999B"},        {1000, L"1.00K"},       {1234, L"1.23K"},
                 {10000, L"10.0K"},   {99900, L"99.9K"},     {100000, L"100K"},      {123456, L"123K"},
                 {999999, L"999K"},   {1000000, L"1.00M"},   {12345678, L"12.3M"},   {123456789, L"123M"},
                 {4294967295u, L"4294M"}, {5368709120ull, L"5368M"}};
    for (const Case &c : cases) {
        WCHAR sz[16];
        FormatFileSize(c.cb, sz, ARRAYSIZE(sz));
        EXPECT_STREQ(c.psz, sz) << c.cb;
    }
    WCHAR szTiny[3];
    FormatFileSize(123456789, szTiny, ARRAYSIZE(szTiny));  // bounded, terminated
    EXPECT_EQ(2u, wcslen(szTiny));
}

namespace {
int SixPerChar(LPCWSTR psz, void *)
{
    return 6 * (int)wcslen(psz);
}
} // namespace

TEST(RowText, LongNamesEndInDotsAndExtensionsCanHide)
{
    WCHAR sz[MAX_PATH + 4];
    FitTextToColumn(L"short.txt", 60, SixPerChar, nullptr, sz, ARRAYSIZE(sz));
    EXPECT_STREQ(L"short.txt", sz);
    FitTextToColumn(L"0123456789abcdef", 60, SixPerChar, nullptr, sz, ARRAYSIZE(sz));
    EXPECT_STREQ(L"012345...", sz);  // 9 characters = 54 < 60; 10 would be 60
    FitTextToColumn(L"abc", 5, SixPerChar, nullptr, sz, ARRAYSIZE(sz));
    EXPECT_STREQ(L"...", sz);
    Fill(TRUE, {{L"photo.2026.jpg", F}, {L"My.Folder", D}, {L"plain", F}});
    GetRowDisplayName(0, TRUE, sz, ARRAYSIZE(sz));
    EXPECT_STREQ(L"photo.2026", sz);
    GetRowDisplayName(1, TRUE, sz, ARRAYSIZE(sz));
    EXPECT_STREQ(L"My.Folder", sz);  // folders keep their dots
    GetRowDisplayName(2, TRUE, sz, ARRAYSIZE(sz));
    EXPECT_STREQ(L"plain", sz);
    GetRowDisplayName(0, FALSE, sz, ARRAYSIZE(sz));
    EXPECT_STREQ(L"photo.2026.jpg", sz);
}

TEST(RowText, TitleIsCutFromTheLeftTwoAtATime)
{
    WCHAR sz[300];
    StringCchCopyW(sz, ARRAYSIZE(sz), L"  \\short");
    ShortenStripText(sz, SixPerChar, nullptr);
    EXPECT_STREQ(L"  \\short", sz);
    // 40 characters at 6 pixels: cut to 28 (168 < 176), then "..." in front.
    StringCchCopyW(sz, ARRAYSIZE(sz), L"  \\0123456789\\0123456789\\0123456789\\abcd");
    ASSERT_EQ(40u, wcslen(sz));
    ShortenStripText(sz, SixPerChar, nullptr);
    EXPECT_STREQ(L"...123456789\\0123456789\\abcd", sz);
    EXPECT_EQ(28u, wcslen(sz));
    // Over 30 characters but narrow enough: unchanged.
    StringCchCopyW(sz, ARRAYSIZE(sz), L"  \\a\\b\\c\\d\\e\\f\\g\\h\\i\\j\\k\\l\\m\\n");
    std::wstring before = sz;
    ShortenStripText(sz, [](LPCWSTR, void *) { return 100; }, nullptr);
    EXPECT_EQ(before, sz);
}

namespace {
class Listing : public testing::Test {
protected:
    void SetUp() override
    {
        ResetStore();
        ClearTavelRegistry();
        SetOption(OPT_HIDE_HIDDEN, 0);
        g_hwndFileList = nullptr;
        g_iSortType = 1;
        g_szCurrentFolder[0] = 0;
    }
    void TearDown() override
    {
        SetOption(OPT_HIDE_HIDDEN, 0);
        ClearTavelRegistry();
    }
};

void Hide(const std::wstring &path)
{
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
}
} // namespace

TEST_F(Listing, HiddenFilesGoWhenAskedHiddenFoldersStay)
{
    ASSERT_TRUE(MakeDir(L"P:\\H"));
    ASSERT_TRUE(MakeDir(L"P:\\H\\secret"));
    ASSERT_TRUE(MakeFile(L"P:\\H\\seen.txt", "x"));
    ASSERT_TRUE(MakeFile(L"P:\\H\\unseen.txt", "x"));
    Hide(L"P:\\H\\secret");
    Hide(L"P:\\H\\unseen.txt");
    StringCchCopyW(g_szCurrentFolder, MAX_PATH, L"\\H");
    BuildFileTable();
    EXPECT_EQ((Names_t{L"..", L"secret", L"seen.txt", L"unseen.txt"}), Names());
    SetOption(OPT_HIDE_HIDDEN, 1);
    BuildFileTable();
    EXPECT_EQ((Names_t{L"..", L"secret", L"seen.txt"}), Names());
    EXPECT_FALSE(g_fAtRoot);
    EXPECT_STREQ(L".txt", g_aFileTable[2].szTypeKey);
    EXPECT_EQ(-1, g_aFileTable[2].iIcon);
}

TEST_F(Listing, RootHasNoParentRowAndEmptyFoldersOnlyIt)
{
    ASSERT_TRUE(MakeDir(L"P:\\Empty"));
    ASSERT_TRUE(MakeFile(L"P:\\file", "x"));
    BuildFileTable();
    EXPECT_TRUE(g_fAtRoot);
    EXPECT_EQ((Names_t{L"Empty", L"file"}), Names());
    EXPECT_STREQ(L"   ", g_aFileTable[1].szTypeKey);
    StringCchCopyW(g_szCurrentFolder, MAX_PATH, L"\\Empty");
    BuildFileTable();
    EXPECT_EQ((Names_t{L".."}), Names());
    EXPECT_STREQ(L"\\Empty", g_szCurrentFolder);
}

TEST_F(Listing, TheTableHoldsAThousandRowsAndMarksTheRest)
{
    ASSERT_TRUE(MakeFiles(L"P:\\T", L"%03d.dat", 999));
    StringCchCopyW(g_szCurrentFolder, MAX_PATH, L"\\T");
    BuildFileTable();
    EXPECT_EQ(1000, g_cFileRows);  // the ".." row and 999 files fit exactly
    EXPECT_FALSE(g_fListingIncomplete);
    // One hidden file more, hidden files left out: still complete.
    ASSERT_TRUE(MakeFile(L"P:\\T\\zz-hidden", ""));
    Hide(L"P:\\T\\zz-hidden");
    SetOption(OPT_HIDE_HIDDEN, 1);
    BuildFileTable();
    EXPECT_EQ(1000, g_cFileRows);
    EXPECT_FALSE(g_fListingIncomplete);
    SetOption(OPT_HIDE_HIDDEN, 0);
    BuildFileTable();
    EXPECT_EQ(1000, g_cFileRows);
    EXPECT_TRUE(g_fListingIncomplete);
    EXPECT_STREQ(L"..", g_aFileTable[0].fd.cFileName);
    EXPECT_EQ(-1, g_aFileTable[FILE_TABLE_ROWS - 1].iIcon);
    EXPECT_NE(0, g_aFileTable[FILE_TABLE_ROWS - 1].fd.cFileName[0]);
    // Folders found after the table is full take the places of files, so
    // every folder can be walked into; the files found last are left out.
    for (const wchar_t *psz : {L"P:\\T\\zz-one", L"P:\\T\\zz-two"})
        ASSERT_TRUE(MakeDir(psz));
    BuildFileTable();
    EXPECT_EQ(1000, g_cFileRows);
    EXPECT_TRUE(g_fListingIncomplete);
    Names_t v = Names();
    EXPECT_EQ((Names_t{L"..", L"zz-one", L"zz-two", L"000.dat"}), Names_t(v.begin(), v.begin() + 4));
    EXPECT_EQ(L"996.dat", v.back());
    EXPECT_EQ(-1, g_aFileTable[1].iIcon);
}

TEST_F(Listing, JoinedPathsPastTheLimitAreRefused)
{
    WCHAR sz[MAX_PATH];
    std::wstring folder = L"\\" + std::wstring(250, L'x');
    EXPECT_TRUE(JoinPath(folder.c_str(), L"1234567", sz, ARRAYSIZE(sz)));  // 259 characters
    EXPECT_EQ(259u, wcslen(sz));
    EXPECT_FALSE(JoinPath(folder.c_str(), L"12345678", sz, ARRAYSIZE(sz)));
    EXPECT_STREQ(L"", sz);
    EXPECT_TRUE(JoinPath(L"", L"My Documents", sz, ARRAYSIZE(sz)));
    EXPECT_STREQ(L"\\My Documents", sz);
}
