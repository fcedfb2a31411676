// Create Shortcut: a ".lnk" to the selected file, in the folder chosen in
// the destination tree; the list shows it only when that is its own folder.
#include "shortcut.h"
#include "mainwnd.h"
#include "filelist.h"
#include "foldertree.h"
#include "../res/tavel/resource.h"
#include <strsafe.h>
#include <cwchar>

BOOL MakeShortcutName(LPCWSTR pszName, WCHAR *pszOut, size_t cchOut)
{
    LPCWSTR pszDot = wcsrchr(pszName, L'.');
    size_t cchStem = pszDot ? (size_t)(pszDot - pszName) : wcslen(pszName);
    if (FAILED(StringCchCopyNW(pszOut, cchOut, pszName, cchStem)) || FAILED(StringCchCatW(pszOut, cchOut, L".lnk"))) {
        pszOut[0] = 0;
        return FALSE;
    }
    return TRUE;
}

// The new row is the focused one; an Up and a Down move the list's own
// selection onto it, as a user's keys would.
static void ShowShortcutRow(LPCWSTR pszName)
{
    int iRow = AppendListRow(pszName);
    if (iRow < 0)
        return;
    SetRowState(iRow, LVIS_FOCUSED, LVIS_FOCUSED);
    keybd_event(VK_UP, 0, 0, 0);
    keybd_event(VK_UP, 0, KEYEVENTF_KEYUP, 0);
    keybd_event(VK_DOWN, 0, 0, 0);
    keybd_event(VK_DOWN, 0, KEYEVENTF_KEYUP, 0);
}

void RunCreateShortcut(HWND hwnd)
{
    (void)hwnd;
    int iRow = FirstSelectedRow();
    if (iRow < 0 || IsFolderRow(iRow))
        return;
    HWND hwndDest = GetDestTreeWindow();
    WCHAR szDest[MAX_PATH], szSource[MAX_PATH], szName[MAX_PATH], szLink[MAX_PATH], szTarget[MAX_PATH + 2];
    LPCWSTR pszFile = g_aFileTable[iRow].fd.cFileName;
    // A failure is silent: the list simply gets no row.
    if (!GetNodePath(hwndDest, GetSelectedNode(hwndDest), szDest, ARRAYSIZE(szDest)) ||
        !JoinPath(g_szCurrentFolder, pszFile, szSource, ARRAYSIZE(szSource)) ||
        !MakeShortcutName(pszFile, szName, ARRAYSIZE(szName)) ||
        !JoinPath(szDest, szName, szLink, ARRAYSIZE(szLink)) ||
        FAILED(StringCchPrintfW(szTarget, ARRAYSIZE(szTarget), L"\"%s\"", szSource)) ||
        !SHCreateShortcut(szLink, szTarget))
        return;
    if (_wcsicmp(szDest, g_szCurrentFolder) == 0)
        ShowShortcutRow(szName);
}
