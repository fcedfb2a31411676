// Filling the folder tree of a store with 2,000 folders, through the fill
// thread and the main window, against a bare recursive enumeration of the
// same folders in the same run.
#include "kit.h"
#include "mainwnd.h"
#include "foldertree.h"
#include "options.h"
#include "../../res/tavel/resource.h"
#include <strsafe.h>
#include <algorithm>
#include <cstdio>
#include <vector>
#include "../benchtime.h"

static int BareRecursion(LPCWSTR pszFolder)
{
    WCHAR szPattern[MAX_PATH];
    StringCchPrintfW(szPattern, ARRAYSIZE(szPattern), L"%s\\*.*", pszFolder);
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(szPattern, &fd);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    int c = 0;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        WCHAR szChild[MAX_PATH];
        StringCchPrintfW(szChild, ARRAYSIZE(szChild), L"%s\\%s", pszFolder, fd.cFileName);
        c += 1 + BareRecursion(szChild);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return c;
}

static void PumpUntilFilled(HWND hwndTree)
{
    MSG msg;
    while (IsTreeFilling(hwndTree)) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        else
            // The fill's sends wake the wait; polling every millisecond would
            // crowd the fill thread out of the server.
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT | QS_SENDMESSAGE);
    }
}

int wmain()
{
    g_hInst = GetModuleHandleW(nullptr);
    SetCurrentDirectoryW(L"P:\\");
    // 20 top folders, each with 9 folders of 10: 20 + 180 + 1,800 = 2,000.
    WCHAR sz[MAX_PATH];
    CreateDirectoryW(L"\\Tree", nullptr);
    for (int a = 0; a < 20; ++a) {
        StringCchPrintfW(sz, ARRAYSIZE(sz), L"\\Tree\\Album %02d", a);
        CreateDirectoryW(sz, nullptr);
        for (int b = 0; b < 9; ++b) {
            StringCchPrintfW(sz, ARRAYSIZE(sz), L"\\Tree\\Album %02d\\Disc %d", a, b);
            CreateDirectoryW(sz, nullptr);
            for (int c = 0; c < 10; ++c) {
                StringCchPrintfW(sz, ARRAYSIZE(sz), L"\\Tree\\Album %02d\\Disc %d\\Track %02d", a, b, c);
                CreateDirectoryW(sz, nullptr);
            }
        }
    }
    GetOption(OPT_SMALL_FONT);
    StartTreeThreads();
    StringCchCopyW(g_szTitle, ARRAYSIZE(g_szTitle), L"File Manager");
    RegisterMainClass(TAVEL_CLASS, MainWndProc);
    HWND hwnd = CreateWindowExW(0, TAVEL_CLASS, g_szTitle, WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, g_hInst, nullptr);
    if (!hwnd)
        return 1;
    ShowWindow(hwnd, SW_SHOW);
    SendMessageW(hwnd, WM_COMMAND, IDM_TREE_VIEW, 0);
    HWND hwndTree = GetFolderTreeWindow();
    PumpUntilFilled(hwndTree);

    // Each round: the bare enumeration, the emptying of the tree (its 2,000
    // deletions), then the fill of the empty tree by the fill thread.
    const int kRounds = 15;
    std::vector<double> bare, empty, fill;
    int cBare = 0;
    for (int r = 0; r < kRounds; ++r) {
        double t0 = Now();
        cBare = BareRecursion(L"");
        double t1 = Now();
        SendMessageW(hwndTree, TVM_DELETEITEM, 0, (LPARAM)TVI_ROOT);
        double t2 = Now();
        SendMessageW(hwnd, WM_COMMAND, IDM_TREE_REFRESH, 0);
        PumpUntilFilled(hwndTree);
        double t3 = Now();
        bare.push_back(t1 - t0);
        empty.push_back(t2 - t1);
        fill.push_back(t3 - t2);
    }
    unsigned cNodes = (unsigned)SendMessageW(hwndTree, TVM_GETCOUNT, 0, 0);
    wprintf(L"folders found %d, tree nodes %u (root included)\n", cBare, cNodes);
    wprintf(L"bare recursion %.1f ms, emptying %.1f ms, tree fill %.1f ms (medians of %d)\n", Median(bare) * 1000,
            Median(empty) * 1000, Median(fill) * 1000, kRounds);
    wprintf(L"tree fill / bare recursive enumeration = %.2f (goal <= 1.5)\n", Median(fill) / Median(bare));
    wprintf(L"refresh (emptying + fill) / bare recursive enumeration = %.2f\n",
            (Median(empty) + Median(fill)) / Median(bare));
    DestroyWindow(hwnd);
    return 0;
}
