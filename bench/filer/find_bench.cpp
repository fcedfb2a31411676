// Find files with subfolders over 10,000 files in 500 folders, pattern
// "*.txt" matching 800, through the result page and its worker, against a
// bare recursive enumeration of the same tree in the same run; and the time
// from Stop to the Close bar and to the worker's end.
#include "kit.h"
#include "find.h"
#include "../../res/tavel/resource.h"
#include <strsafe.h>
#include <algorithm>
#include <cstdio>
#include <vector>
#include "../benchtime.h"

// Every entry of the tree; returns the files met.
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
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            ++c;
            continue;
        }
        WCHAR szChild[MAX_PATH];
        StringCchPrintfW(szChild, ARRAYSIZE(szChild), L"%s\\%s", pszFolder, fd.cFileName);
        c += BareRecursion(szChild);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return c;
}

// Waits as a message loop does: every send of the worker wakes it, and it
// does not ask the server every millisecond while the worker needs it.
static void PumpWhile(BOOL (*pfn)())
{
    MSG msg;
    while (pfn()) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        else
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT | QS_SENDMESSAGE);
    }
}

static HWND OpenPage()
{
    return CreateDialogParamW(g_hInst, MAKEINTRESOURCEW(IDD_FIND_RESULT), nullptr, FindResultProc, 0);
}

static void ClosePage(HWND hwndPage)
{
    SendMessageW(hwndPage, WM_COMMAND, IDM_FIND_CLOSE, 0);
    DestroyWindow(hwndPage);
}

int wmain()
{
    g_hInst = GetModuleHandleW(nullptr);
    SetCurrentDirectoryW(L"P:\\");
    // 20 folders of 24 = 500 folders, 20 files each; 2 of every 25 files are .txt.
    WCHAR sz[MAX_PATH];
    CreateDirectoryW(L"\\Store", nullptr);
    int iFile = 0;
    for (int a = 0; a < 20; ++a) {
        StringCchPrintfW(sz, ARRAYSIZE(sz), L"\\Store\\Group %02d", a);
        CreateDirectoryW(sz, nullptr);
        for (int b = 0; b <= 24; ++b) {
            if (b < 24) {
                StringCchPrintfW(sz, ARRAYSIZE(sz), L"\\Store\\Group %02d\\Folder %02d", a, b);
                CreateDirectoryW(sz, nullptr);
            }
            for (int c = 0; c < 20 && iFile < 10000; ++c, ++iFile) {
                WCHAR szFile[MAX_PATH];
                StringCchPrintfW(szFile, ARRAYSIZE(szFile), L"%s\\file%05d.%s", sz, iFile,
                                 iFile % 25 < 2 ? L"txt" : L"dat");
                HANDLE h = CreateFileW(szFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
                if (h != INVALID_HANDLE_VALUE)
                    CloseHandle(h);
            }
        }
    }
    FindSettings &fs = g_findSettings;
    StringCchCopyW(fs.szPattern, ARRAYSIZE(fs.szPattern), L"*.txt");
    StringCchCopyW(fs.szFolder, ARRAYSIZE(fs.szFolder), L"\\Store");
    fs.fSubfolders = TRUE;
    fs.fSystemFiles = FALSE;

    const int kRounds = 7;
    std::vector<double> bare, search, toBar, toEnd;
    int cFiles = 0, cFound = 0;
    for (int r = 0; r < kRounds; ++r) {
        double t0 = Now();
        cFiles = BareRecursion(L"\\Store");
        double t1 = Now();
        HWND hwndPage = OpenPage();
        PumpWhile(IsFindRunning);
        double t2 = Now();
        cFound = GetFoundCount();
        ClosePage(hwndPage);
        bare.push_back(t1 - t0);
        search.push_back(t2 - t1);

        // Stop while the worker is at work, then Close as soon as it is offered.
        hwndPage = OpenPage();
        PumpWhile([] { return (BOOL)(GetFoundCount() < 300); });
        double t3 = Now();
        SendMessageW(hwndPage, WM_COMMAND, IDM_FIND_STOP, 0);
        double t4 = Now();
        ClosePage(hwndPage);
        double t5 = Now();
        toBar.push_back(t4 - t3);
        toEnd.push_back(t5 - t3);
    }
    wprintf(L"files enumerated %d, files found %d\n", cFiles, cFound);
    wprintf(L"bare recursion %.1f ms, search %.1f ms\n", Median(bare) * 1000, Median(search) * 1000);
    wprintf(L"search / bare recursive enumeration (median of %d) = %.2f\n", kRounds, Median(search) / Median(bare));
    wprintf(L"Stop to Close bar %.2f ms, Stop to Close done (worker ended) %.2f ms\n", Median(toBar) * 1000,
            Median(toEnd) * 1000);
    return 0;
}
