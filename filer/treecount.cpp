// The count of the selected folder in tree mode: the tree-selection thread,
// woken by "ShowTreeSelectEvent", counts the folder's entries and has the
// status strip drawn on the UI thread; a selection change abandons a count.
#include "treecount.h"
#include "foldertree.h"
#include "mainwnd.h"
#include "kit.h"
#include "../res/tavel/resource.h"
#include <strsafe.h>

struct TreeCounts {
    int cFolders;
    int cFiles;
};

static volatile LONG s_lAbortCount;
static volatile LONG s_lCounting;  // from the wake to the end of a count
static volatile LONG s_cAbortedCounts;
static WCHAR s_szCountsShown[64];

LONG GetAbortedCountRuns() { return s_cAbortedCounts; }
LPCWSTR GetTreeCountsText() { return s_szCountsShown; }

void AbortTreeCount() { InterlockedExchange(&s_lAbortCount, 1); }

static void PaintCounts(BOOL fText)
{
    if (!IsTreeMode() || IsDestTreeShown())
        return;
    HDC hdc = BeginStrip(TRUE);
    if (fText) {
        RECT rc = {2, 160, 175, 180};
        DrawTextW(hdc, s_szCountsShown, -1, &rc, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    }
    EndStrip(hdc);
}

static LRESULT OnCounts(BOOL fShow, const TreeCounts *ptc)
{
    if (!fShow) {
        PaintCounts(FALSE);
        return 0;
    }
    WCHAR szFormat[64];
    if (!LoadStringW(g_hInst, IDS_TREE_COUNTS, szFormat, ARRAYSIZE(szFormat)))
        return 0;
    StringCchPrintfW(s_szCountsShown, ARRAYSIZE(s_szCountsShown), szFormat, ptc->cFolders, ptc->cFiles);
    PaintCounts(TRUE);
    return 0;
}

static LRESULT OnSelectedPath(WCHAR *pszPath, size_t cchPath)
{
    pszPath[0] = 0;
    HWND hwndTree = GetFolderTreeWindow();
    if (hwndTree)
        GetNodePath(hwndTree, GetSelectedNode(hwndTree), pszPath, cchPath);
    return 0;
}

// Counts every entry of the folder; FALSE when the selection moved on.
static BOOL CountFolder(LPCWSTR pszPath, TreeCounts *ptc)
{
    ptc->cFolders = ptc->cFiles = 0;
    WCHAR szPattern[MAX_PATH];
    if (!JoinPath(pszPath, L"*.*", szPattern, ARRAYSIZE(szPattern)))
        return TRUE;
    WIN32_FIND_DATAW fd;
    HANDLE hFind = FindFirstFileW(szPattern, &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return TRUE;
    BOOL fDone = TRUE;
    do {
        if (s_lAbortCount) {
            fDone = FALSE;
            break;
        }
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ++ptc->cFolders;
        else
            ++ptc->cFiles;
    } while (FindNextFileW(hFind, &fd));
    FindClose(hFind);
    return fDone;
}

static DWORD WINAPI TreeSelectionThread(LPVOID)
{
    for (;;) {
        if (WaitForSingleObject(g_hShowTreeSelectEvent, INFINITE) != WAIT_OBJECT_0)
            return 0;
        InterlockedExchange(&s_lCounting, 1);
        InterlockedExchange(&s_lAbortCount, 0);
        EnterCriticalSection(&g_csTree);
        SendMessageW(g_hwndMain, WM_TAVEL_COUNTS, FALSE, 0);
        WCHAR szPath[MAX_PATH];
        szPath[0] = 0;
        SendMessageW(g_hwndMain, WM_TAVEL_SELPATH, ARRAYSIZE(szPath), (LPARAM)szPath);
        TreeCounts tc;
        // A count cut short would show wrong figures; the new selection's count follows.
        if (CountFolder(szPath, &tc))
            SendMessageW(g_hwndMain, WM_TAVEL_COUNTS, TRUE, (LPARAM)&tc);
        else
            InterlockedIncrement(&s_cAbortedCounts);
        LeaveCriticalSection(&g_csTree);
        InterlockedExchange(&s_lCounting, 0);
    }
}

void StopTreeCount()
{
    AbortTreeCount();
    // The count asks this thread for its path and figures: its sends are
    // answered while it winds down. Bounded, should the thread be stuck.
    DWORD dwStart = GetTickCount();
    while (InterlockedCompareExchange(&s_lCounting, 0, 0) && GetTickCount() - dwStart < 3000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE);
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

void StartTreeCountThread()
{
    HANDLE h = CreateThread(nullptr, 0, TreeSelectionThread, nullptr, 0, nullptr);
    if (h)
        CloseHandle(h);
}

LRESULT OnTreeCountMessage(UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_TAVEL_SELPATH)
        return OnSelectedPath((WCHAR *)lp, (size_t)wp);
    return OnCounts((BOOL)wp, (const TreeCounts *)lp);
}
