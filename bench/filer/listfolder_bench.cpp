// Listing a 1,000-entry folder into the file table, with its sort, against
// a bare find loop over the same folder in the same run.
#include "filelist.h"
#include "options.h"
#include <strsafe.h>
#include <algorithm>
#include <cstdio>
#include <vector>
#include "../benchtime.h"

static int BareLoop(LPCWSTR pszPattern)
{
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(pszPattern, &fd);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    int c = 1;
    while (FindNextFileW(h, &fd))
        ++c;
    FindClose(h);
    return c;
}

int wmain()
{
    SetCurrentDirectoryW(L"P:\\");  // the store, before "\Bench" is made
    CreateDirectoryW(L"\\Bench", nullptr);
    for (int i = 0; i < 999; ++i) {  // with the ".." row: 1,000 rows
        WCHAR sz[64];
        StringCchPrintfW(sz, ARRAYSIZE(sz), L"\\Bench\\photo %04d.%s", (i * 7919) % 10007,
                         i % 3 == 0 ? L"jpg" : i % 3 == 1 ? L"txt" : L"mid");
        HANDLE h = CreateFileW(sz, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD cb;
        WriteFile(h, sz, (DWORD)(i % 500), &cb, nullptr);
        CloseHandle(h);
    }
    StringCchCopyW(g_szCurrentFolder, ARRAYSIZE(g_szCurrentFolder), L"\\Bench");
    GetOption(OPT_HIDE_HIDDEN);  // the options map is built once, outside the timing

    const int kRounds = 41;
    std::vector<double> bare, list;
    int cFound = 0;
    for (int r = 0; r < kRounds; ++r) {
        double t0 = Now();
        cFound = BareLoop(L"\\Bench\\*.*");
        double t1 = Now();
        BuildFileTable();
        double t2 = Now();
        bare.push_back(t1 - t0);
        list.push_back(t2 - t1);
    }
    for (int iType = 1; iType <= 4; ++iType) {
        g_iSortType = iType;
        std::vector<double> bareT, listT;
        for (int r = 0; r < 41; ++r) {
            double t0 = Now();
            BareLoop(L"\\Bench\\*.*");
            double t1 = Now();
            BuildFileTable();
            double t2 = Now();
            bareT.push_back(t1 - t0);
            listT.push_back(t2 - t1);
        }
        wprintf(L"sort type %d: find loop %.2f ms, ListFolder %.2f ms, ListFolder / find loop = %.2f\n", iType,
                Median(bareT) * 1000, Median(listT) * 1000, Median(listT) / Median(bareT));
    }
    wprintf(L"entries found %d, rows listed %d\n", cFound, g_cFileRows);
    wprintf(L"ListFolder + sort by name / bare find loop (median of %d) = %.2f (goal <= 1.5)\n", kRounds,
            Median(list) / Median(bare));
    return 0;
}
