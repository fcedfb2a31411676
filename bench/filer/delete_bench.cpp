// Deleting 999 selected files from the list, through the window's Delete
// command, against a bare DeleteFileW loop over the same files in the same run.
#include "kit.h"
#include "mainwnd.h"
#include "options.h"
#include "../../res/tavel/resource.h"
#include <strsafe.h>
#include <algorithm>
#include <cstring>
#include <cstdio>
#include <string>
#include <vector>
#include "../benchtime.h"

static void MakeFiles(const std::vector<std::wstring> &paths)
{
    for (const std::wstring &path : paths) {
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD cb;
        WriteFile(h, "data", 4, &cb, nullptr);
        CloseHandle(h);
    }
}

int wmain()
{
    g_hInst = GetModuleHandleW(nullptr);
    SetCurrentDirectoryW(L"P:\\");
    CreateDirectoryW(L"\\Del", nullptr);
    std::vector<std::wstring> paths;
    for (int i = 0; i < 999; ++i) {
        WCHAR sz[MAX_PATH];
        StringCchPrintfW(sz, ARRAYSIZE(sz), L"\\Del\\file %03d.dat", i);
        paths.push_back(sz);
    }
    SetOption(OPT_CONFIRM_DELETE, 0);
    StringCchCopyW(g_szTitle, ARRAYSIZE(g_szTitle), L"File Manager");
    RegisterMainClass(TAVEL_CLASS, MainWndProc);
    HWND hwnd = CreateWindowExW(0, TAVEL_CLASS, g_szTitle, WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, g_hInst, nullptr);
    if (!hwnd)
        return 1;
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);

    // Rounds alternate the two loops, so a busy machine weighs on both alike.
    const int kRounds = 7;
    std::vector<double> bare, command, ratio, update;
    BYTE afAll[FILE_TABLE_ROWS];
    memset(afAll, 1, sizeof(afAll));
    for (int r = 0; r < kRounds; ++r) {
        MakeFiles(paths);
        double t0 = Now();
        for (const std::wstring &path : paths)
            DeleteFileW(path.c_str());
        double t1 = Now();
        MakeFiles(paths);
        StringCchCopyW(g_szCurrentFolder, ARRAYSIZE(g_szCurrentFolder), L"\\Del");
        ListFolder();
        if (g_cFileRows != 1000)
            return 2;
        SendMessageW(hwnd, WM_COMMAND, IDM_SELECT_ALL, 0);
        UpdateWindow(hwnd);
        double t2 = Now();
        SendMessageW(hwnd, WM_COMMAND, IDM_DELETE, 0);
        double t3 = Now();
        if (g_cFileRows != 1 || GetFileAttributesW(paths[998].c_str()) != INVALID_FILE_ATTRIBUTES)
            return 3;
        // The list's part alone: the same 999 rows leave a full listing at once.
        MakeFiles(paths);
        ListFolder();
        SendMessageW(hwnd, WM_COMMAND, IDM_SELECT_ALL, 0);
        UpdateWindow(hwnd);
        afAll[0] = 0;  // the parent row stays
        double t4 = Now();
        RemoveListRows(afAll);
        RepaintStrips();
        double t5 = Now();
        bare.push_back(t1 - t0);
        command.push_back(t3 - t2);
        ratio.push_back((t3 - t2) / (t1 - t0));
        update.push_back((t5 - t4) / (t1 - t0));
    }
    wprintf(L"bare DeleteFileW loop %.1f ms, Delete of 999 selected rows %.1f ms (medians)\n", Median(bare) * 1000,
            Median(command) * 1000);
    wprintf(L"list delete of 999 files / bare DeleteFileW loop (median of %d rounds) = %.2f\n", kRounds,
            Median(ratio));
    wprintf(L"list update for 999 rows / bare DeleteFileW loop (median of %d rounds) = %.2f\n", kRounds,
            Median(update));
    DestroyWindow(hwnd);
    return 0;
}
