// SortFileTable's algorithm on 1,000 rows for every key, on random, sorted
// and reverse-sorted input: comparisons and time against std::sort on the
// same rows in the same run.
#include "filelist.h"
#include <strsafe.h>
#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <random>
#include <vector>
#include "../benchtime.h"

// The same order as the program's file sort, ascending.
static bool Less(const FileEntry &a, const FileEntry &b, int iType, unsigned long *pc)
{
    ++*pc;
    switch (iType) {
    case 1: return _wcsicmp(a.fd.cFileName, b.fd.cFileName) < 0;
    case 2: return a.fd.nFileSizeLow < b.fd.nFileSizeLow;
    case 3: return _wcsicmp(a.szTypeKey, b.szTypeKey) < 0;
    default: return CompareFileTime(&a.fd.ftLastAccessTime, &b.fd.ftLastAccessTime) < 0;
    }
}

int wmain()
{
    const int n = FILE_TABLE_ROWS;
    static FileEntry s_rows[FILE_TABLE_ROWS];
    std::mt19937 rng(20261206);
    const wchar_t *kExt[] = {L".txt", L".jpg", L".mid", L".doc", L".wav", L""};
    for (int i = 0; i < n; ++i) {
        FileEntry &fe = s_rows[i];
        memset(&fe, 0, sizeof(fe));
        const wchar_t *pszExt = kExt[rng() % 6];
        StringCchPrintfW(fe.fd.cFileName, MAX_PATH, L"file %06u%s", (unsigned)(rng() % 1000000), pszExt);
        fe.fd.nFileSizeLow = rng() % 5000000;
        fe.fd.ftLastAccessTime.dwLowDateTime = rng();
        fe.fd.ftLastAccessTime.dwHighDateTime = 0x01D00000 + rng() % 4096;
        StringCchPrintfW(fe.szTypeKey, MAX_PATH, L"%s%s", *pszExt ? pszExt : L"   ", fe.fd.cFileName);
        fe.iIcon = -1;
    }
    static const wchar_t *kTypes[] = {L"", L"name", L"size", L"type", L"date"};
    static const wchar_t *kInputs[] = {L"random", L"sorted", L"reversed"};
    wprintf(L"%-5ls %-9ls %10ls %10ls %8ls %10ls\n", L"key", L"input", L"cmp(ours)", L"cmp(std)", L"cmp x", L"time x");
    std::vector<FileEntry> v(s_rows, s_rows + n);
    for (int iType = 1; iType <= 4; ++iType) {
        for (int iInput = 0; iInput < 3; ++iInput) {
            std::vector<FileEntry> input(s_rows, s_rows + n);
            unsigned long cDummy = 0;
            if (iInput > 0)
                std::sort(input.begin(), input.end(),
                          [&](const FileEntry &a, const FileEntry &b) { return Less(a, b, iType, &cDummy); });
            if (iInput == 2)
                std::reverse(input.begin(), input.end());
            const int kRounds = 9;
            double tOurs = 1e9, tStd = 1e9;
            unsigned long cOurs = 0, cStd = 0;
            for (int r = 0; r < kRounds; ++r) {
                std::copy(input.begin(), input.end(), g_aFileTable);
                g_cFileRows = n;
                g_fAtRoot = TRUE;
                g_fTypeKeysExtended = TRUE;  // keys were extended as a listing would
                g_cSortCompares = 0;
                double t0 = Now();
                SortFileRows(iType, TRUE);
                double t1 = Now();
                cOurs = g_cSortCompares;
                v = input;
                cStd = 0;
                double t2 = Now();
                std::sort(v.begin(), v.end(), [&](const FileEntry &a, const FileEntry &b) { return Less(a, b, iType, &cStd); });
                double t3 = Now();
                tOurs = std::min(tOurs, t1 - t0);
                tStd = std::min(tStd, t3 - t2);
            }
            wprintf(L"%-5ls %-9ls %10lu %10lu %8.2f %10.2f\n", kTypes[iType], kInputs[iInput], cOurs, cStd,
                    (double)cOurs / (double)cStd, tOurs / tStd);
        }
    }
    return 0;
}
