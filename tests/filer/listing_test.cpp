// The file table: sort orders, size texts and row texts (the 1,000-row bound,
// keypad search, the parent row and the hide rules: the window's tests).
#include <gtest/gtest.h>
#include "support.h"
#include "filer_test.h"
#include "filelist.h"
#include "mainwnd.h"
#include <strsafe.h>
#include <algorithm>
#include <random>

namespace {
const DWORD F = FILE_ATTRIBUTE_NORMAL;
const DWORD D = FILE_ATTRIBUTE_DIRECTORY;

// A file's type key as the listing makes it: its extension, or three blanks.
void SetPlainTypeKey(FileEntry &fe)
{
    const wchar_t *pszDot = wcsrchr(fe.fd.cFileName, L'.');
    if (!(fe.fd.dwFileAttributes & D))
        StringCchCopyW(fe.szTypeKey, MAX_PATH, pszDot ? pszDot : L"   ");
}

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

void PlainQuickSort(std::vector<FileEntry> &v, int lo, int hi, int iType, bool fAsc)
{
    while (lo < hi) {
        int m = lo;
        for (int p = lo + 1; p <= hi; ++p) {
            int c = PlainKey(v[lo], v[p], iType);  // pivot against row p
            if (fAsc ? c > 0 : (iType == 2 ? c <= 0 : c < 0))
                std::swap(v[++m], v[p]);
        }
        std::swap(v[m], v[lo]);
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
        std::swap(v[i], v[j]);
        ++b;
    }
    for (int i = iFirst; i < b; ++i) {
        for (int j = i + 1; j < b; ++j) {
            int c = PlainKey(v[i], v[j], 1);
            if (fAsc ? c > 0 : c < 0)
                std::swap(v[i], v[j]);
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
    std::vector<FileEntry> v(fAtRoot ? 0 : 1);
    if (!fAtRoot) {
        v[0].fd.dwFileAttributes = D;
        StringCchCopyW(v[0].fd.cFileName, MAX_PATH, L"..");
    }
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
    const std::pair<LPCWSTR, DWORD> kRows[] = {{L"photo.2026.jpg", F}, {L"My.Folder", D}, {L"plain", F}};
    for (g_cFileRows = 0; g_cFileRows < 3; ++g_cFileRows) {
        g_aFileTable[g_cFileRows].fd.dwFileAttributes = kRows[g_cFileRows].second;
        StringCchCopyW(g_aFileTable[g_cFileRows].fd.cFileName, MAX_PATH, kRows[g_cFileRows].first);
    }
    GetRowDisplayName(0, TRUE, sz, ARRAYSIZE(sz));
    EXPECT_STREQ(L"photo.2026", sz);
    GetRowDisplayName(1, TRUE, sz, ARRAYSIZE(sz));
    EXPECT_STREQ(L"My.Folder", sz);  // folders keep their dots
    GetRowDisplayName(2, TRUE, sz, ARRAYSIZE(sz));
    EXPECT_STREQ(L"plain", sz);
    GetRowDisplayName(0, FALSE, sz, ARRAYSIZE(sz));
    EXPECT_STREQ(L"photo.2026.jpg", sz);
}
