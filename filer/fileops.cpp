// Move, copy and delete on the UI thread, the destination tree flow and the
// copy progress window. Joined paths that would pass 259 characters stop
// their item with the operation's own failure message.
#include "fileops.h"
#include "foldertree.h"
#include "mainwnd.h"
#include "filelist.h"
#include "options.h"
#include "shortcut.h"
#include "treecount.h"
#include "kit.h"
#include "../res/tavel/resource.h"
#include <strsafe.h>
#include <cwchar>
#include <initializer_list>

#define MESSAGE_MAX 1100

enum ItemState { ITEM_KEPT, ITEM_GONE, ITEM_FAILED };

// One item of an operation, taken when the command was given: a message box
// during the operation may see the list read again under it.
struct SourceItem {
    WCHAR szName[MAX_PATH];
    BOOL fFolder;
    int iRow;  // its row when taken; checked by name before use
    ItemState state;
};

static int s_iMode;
static BOOL s_fFromTree;
static HWND s_hwndProgress;
static HWND s_ahwndHeader[2];
static WCHAR s_aszHeader[2][MAX_PATH + 8];
static WCHAR s_szSourceFolder[MAX_PATH];
static SourceItem s_aSources[FILE_TABLE_ROWS];
static int s_cTreeSources;

int GetOperationMode() { return s_iMode; }
HWND GetProgressWindow() { return s_hwndProgress; }
LPCWSTR GetDestHeaderLine(int iLine) { return s_aszHeader[iLine & 1]; }

// ---- texts ---------------------------------------------------------------------

BOOL IsSameOrInside(LPCWSTR pszSource, LPCWSTR pszTarget)
{
    size_t cch = wcslen(pszSource);
    if (_wcsnicmp(pszTarget, pszSource, cch) != 0)
        return FALSE;
    return pszTarget[cch] == 0 || pszTarget[cch] == L'\\';
}

void ShortenProgressPath(LPCWSTR pszPath, WCHAR *pszOut, size_t cchOut)
{
    size_t cch = wcsnlen(pszPath, MAX_PATH);
    if (cch <= 20) {
        StringCchCopyW(pszOut, cchOut, pszPath);
        return;
    }
    StringCchPrintfW(pszOut, cchOut, L"...%s", pszPath + cch - 17);
}

static BOOL CALLBACK UpdateThreadWindow(HWND hwnd, LPARAM lp)
{
    (void)lp;
    RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return TRUE;
}

// A box's page leaves the window and its soft-key bar to repaint; the work
// after it must not keep a half-erased screen up, so the paint is done first.
static void RepaintNow(HWND hwnd)
{
    if (!hwnd)
        return;
    EnumThreadWindows(GetCurrentThreadId(), UpdateThreadWindow, 0);
    // The stand-in screen shows what was painted once the thread looks for a
    // message; this look matches none, so nothing is taken from the queue.
    MSG msg;
    PeekMessageW(&msg, nullptr, WM_APP + 0x3FFF, WM_APP + 0x3FFF, PM_NOREMOVE);
}

// Appends a string-table text; the message buffer is no path, so a cut is harmless.
static void AppendString(WCHAR *psz, UINT ids)
{
    WCHAR sz[128];
    if (LoadStringW(g_hInst, ids, sz, ARRAYSIZE(sz)))
        StringCchCatW(psz, MESSAGE_MAX, sz);
}

// "<ids1><a><ids2><b><ids3>", parts with 0 left out; a and b may be a folder and a name.
static void ShowPathMessage(HWND hwnd, UINT ids1, LPCWSTR pszA, LPCWSTR pszAName, UINT ids2, LPCWSTR pszB,
                            LPCWSTR pszBName, UINT ids3, UINT uType)
{
    WCHAR szText[MESSAGE_MAX] = L"";
    AppendString(szText, ids1);
    StringCchCatW(szText, ARRAYSIZE(szText), pszA);
    if (pszAName) {
        StringCchCatW(szText, ARRAYSIZE(szText), L"\\");
        StringCchCatW(szText, ARRAYSIZE(szText), pszAName);
    }
    if (ids2)
        AppendString(szText, ids2);
    if (pszB) {
        StringCchCatW(szText, ARRAYSIZE(szText), pszB);
        if (pszBName) {
            StringCchCatW(szText, ARRAYSIZE(szText), L"\\");
            StringCchCatW(szText, ARRAYSIZE(szText), pszBName);
        }
    }
    if (ids3)
        AppendString(szText, ids3);
    MessageBoxW(hwnd, szText, g_szTitle, uType);
    RepaintNow(hwnd);
}

static int AskWithPath(HWND hwnd, UINT ids, LPCWSTR pszPath)
{
    int iAnswer = ShowResourceMessage(hwnd, MB_YESNO | MB_ICONQUESTION, g_hInst, IDS_APP_TITLE, ids, pszPath);
    RepaintNow(hwnd);
    return iAnswer;
}

// "Can't move/copy ... : source and destinaiton are the same."
static void ShowSameMessage(HWND hwnd, UINT ids, LPCWSTR pszSource)
{
    ShowResourceMessage(hwnd, MB_ICONHAND, g_hInst, IDS_APP_TITLE, ids, pszSource);
    RepaintNow(hwnd);
}

static BOOL IsExistsError(DWORD dwErr)
{
    // The desktop reports an existing target as either code.
    return dwErr == ERROR_ALREADY_EXISTS || dwErr == ERROR_FILE_EXISTS;
}

// ---- progress window --------------------------------------------------------------

static INT_PTR CALLBACK ProgressProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp)
{
    (void)wp;
    (void)lp;
    switch (msg) {
    case WM_INITDIALOG: {
        static const UINT kTexts[][2] = {{IDC_PROGRESS_TITLE, IDS_PROGRESS_TITLE},
                                         {IDC_PROGRESS_FROM_LABEL, IDS_PROGRESS_FROM},
                                         {IDC_PROGRESS_TO_LABEL, IDS_PROGRESS_TO},
                                         {IDC_PROGRESS_WAIT, IDS_PROGRESS_WAIT}};
        WCHAR sz[64];
        for (const auto &t : kTexts) {
            if (LoadStringW(g_hInst, t[1], sz, ARRAYSIZE(sz)))
                SetDlgItemTextW(hdlg, t[0], sz);
        }
        return TRUE;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hdlg, &ps);
        Rectangle(hdc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - 1, ps.rcPaint.bottom - 1);
        EndPaint(hdlg, &ps);
        return TRUE;
    }
    }
    return FALSE;
}

HWND CreateProgressWindow(HWND hwndOwner)
{
    HRSRC hrsrc = FindResourceW(g_hInst, MAKEINTRESOURCEW(IDD_PROGRESS), RT_DIALOG);
    HGLOBAL hglob = hrsrc ? LoadResource(g_hInst, hrsrc) : nullptr;
    if (!hglob)
        return nullptr;
    return CreateDialogIndirectParamW(g_hInst, (LPCDLGTEMPLATEW)LockResource(hglob), hwndOwner, ProgressProc, 0);
}

void UpdateCopyProgress(HWND hdlg, LPCWSTR pszSource, LPCWSTR pszTarget)
{
    if (!hdlg)
        return;
    WCHAR sz[32];
    ShortenProgressPath(pszSource, sz, ARRAYSIZE(sz));
    SetDlgItemTextW(hdlg, IDC_PROGRESS_FROM, sz);
    ShortenProgressPath(pszTarget, sz, ARRAYSIZE(sz));
    SetDlgItemTextW(hdlg, IDC_PROGRESS_TO, sz);
    RedrawWindow(hdlg, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

// ---- recursive copy and delete ---------------------------------------------------------

static BOOL MakeTargetFolder(HWND hwndOwner, LPCWSTR pszTarget, BOOL *pfExisted)
{
    *pfExisted = FALSE;
    if (CreateDirectoryW(pszTarget, nullptr))
        return TRUE;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        *pfExisted = TRUE;
        if (!GetOption(OPT_CONFIRM_OVERWRITE) || AskWithPath(hwndOwner, IDS_OVERWRITE_DIR_ASK, pszTarget) != IDYES)
            return TRUE;
        *pfExisted = FALSE;
        if (DeleteFolderRecursive(hwndOwner, pszTarget) && CreateDirectoryW(pszTarget, nullptr))
            return TRUE;
    }
    ShowPathMessage(hwndOwner, IDS_CANT_CREATE_DIR, pszTarget, nullptr, 0, nullptr, nullptr, 0, MB_ICONHAND);
    return FALSE;
}

BOOL CopyFolderRecursive(HWND hwndOwner, LPCWSTR pszSource, LPCWSTR pszTarget)
{
    // A source gone since it was chosen (its card taken out) is a failure,
    // not an empty folder made in its place.
    DWORD dwAttr = GetFileAttributesW(pszSource);
    if (dwAttr == INVALID_FILE_ATTRIBUTES || !(dwAttr & FILE_ATTRIBUTE_DIRECTORY))
        return FALSE;
    BOOL fExisted;
    if (!MakeTargetFolder(hwndOwner, pszTarget, &fExisted))
        return FALSE;
    if (fExisted)
        return TRUE;  // kept as it is: nothing is copied into it
    WCHAR szPattern[MAX_PATH];
    if (!JoinPath(pszSource, L"*.*", szPattern, ARRAYSIZE(szPattern))) {
        ShowPathMessage(hwndOwner, IDS_CANT_COPY_FILE, pszSource, nullptr, IDS_COPY_TO_SEP, pszTarget, nullptr, 0,
                        MB_ICONHAND);
        return FALSE;
    }
    WIN32_FIND_DATAW fd;
    HANDLE hFind = FindFirstFileW(szPattern, &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_NO_MORE_FILES;  // empty
    BOOL fOk = TRUE;
    do {
        WCHAR szFrom[MAX_PATH], szTo[MAX_PATH];
        BOOL fJoined = JoinPath(pszSource, fd.cFileName, szFrom, ARRAYSIZE(szFrom)) &&
                       JoinPath(pszTarget, fd.cFileName, szTo, ARRAYSIZE(szTo));
        BOOL fFolder = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (fJoined && fFolder) {
            fOk = CopyFolderRecursive(hwndOwner, szFrom, szTo) && fOk;
            continue;
        }
        if (fJoined) {
            UpdateCopyProgress(s_hwndProgress, szFrom, szTo);
            if (CopyFileW(szFrom, szTo, TRUE))
                continue;
        }
        ShowPathMessage(hwndOwner, IDS_CANT_COPY_FILE, pszSource, fd.cFileName, IDS_COPY_TO_SEP, pszTarget,
                        fd.cFileName, 0, MB_ICONHAND);
        FindClose(hFind);
        return FALSE;
    } while (FindNextFileW(hFind, &fd));
    FindClose(hFind);
    return fOk;
}

static BOOL RemoveFolder(HWND hwndOwner, LPCWSTR pszFolder)
{
    if (RemoveDirectoryW(pszFolder))
        return TRUE;
    ShowPathMessage(hwndOwner, IDS_CANT_DELETE_DIR, pszFolder, nullptr, 0, nullptr, nullptr, IDS_ACCESS_DENIED,
                    MB_ICONHAND);
    return FALSE;
}

BOOL DeleteFolderRecursive(HWND hwndOwner, LPCWSTR pszFolder)
{
    WCHAR szPattern[MAX_PATH];
    if (!JoinPath(pszFolder, L"*.*", szPattern, ARRAYSIZE(szPattern)))
        return RemoveFolder(hwndOwner, pszFolder);
    WIN32_FIND_DATAW fd;
    HANDLE hFind = FindFirstFileW(szPattern, &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return RemoveFolder(hwndOwner, pszFolder);
    BOOL fOk = TRUE;
    do {
        WCHAR szPath[MAX_PATH];
        BOOL fJoined = JoinPath(pszFolder, fd.cFileName, szPath, ARRAYSIZE(szPath));
        if (fJoined && (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            fOk = DeleteFolderRecursive(hwndOwner, szPath) && fOk;
            continue;
        }
        if (fJoined && DeleteFileW(szPath))
            continue;
        ShowPathMessage(hwndOwner, IDS_CANT_DELETE_FILE, pszFolder, fd.cFileName, 0, nullptr, nullptr,
                        IDS_ACCESS_DENIED, MB_ICONHAND);
        FindClose(hFind);
        return FALSE;
    } while (FindNextFileW(hFind, &fd));
    FindClose(hFind);
    return RemoveFolder(hwndOwner, pszFolder) && fOk;
}

// ---- tree and list updates ------------------------------------------------------------

static int FindRowByName(LPCWSTR pszName)
{
    for (int i = g_fAtRoot ? 0 : 1; i < g_cFileRows; ++i) {
        if (wcscmp(g_aFileTable[i].fd.cFileName, pszName) == 0)
            return i;
    }
    return -1;
}

// The item's row in the list as it is now; -1 when the list shows another folder or lacks it.
static int RowOfItem(const SourceItem &item)
{
    if (_wcsicmp(g_szCurrentFolder, s_szSourceFolder) != 0)
        return -1;
    int i = item.iRow;
    if (i >= 0 && i < g_cFileRows && !IsParentRow(i) && wcscmp(g_aFileTable[i].fd.cFileName, item.szName) == 0)
        return i;
    return FindRowByName(item.szName);
}

// One update of the list for the whole operation: the rows of items gone
// leave it, failed ones are deselected.
static void UpdateListAfter(int cItems)
{
    BYTE afDrop[FILE_TABLE_ROWS] = {};
    BOOL fDrop = FALSE;
    for (int i = 0; i < cItems; ++i) {
        int iRow = s_aSources[i].state == ITEM_KEPT ? -1 : RowOfItem(s_aSources[i]);
        if (iRow < 0)
            continue;
        if (s_aSources[i].state == ITEM_FAILED) {
            SetRowState(iRow, 0, LVIS_SELECTED);
            continue;
        }
        afDrop[iRow] = 1;
        fDrop = TRUE;
    }
    if (fDrop)
        RemoveListRows(afDrop);
}

static HTREEITEM FolderNodeOf(HWND hwndTree, LPCWSTR pszFolder)
{
    if (pszFolder[0])
        return FindExactFolderNode(pszFolder);
    return (HTREEITEM)SendMessageW(hwndTree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
}

// The folder tree follows a folder moved on disk.
static void MoveFolderInTree(LPCWSTR pszSource, LPCWSTR pszDestFolder)
{
    HWND hwndTree = GetFolderTreeWindow();
    if (!hwndTree)
        return;
    HTREEITEM hSource = FindExactFolderNode(pszSource);
    HTREEITEM hDest = FolderNodeOf(hwndTree, pszDestFolder);
    if (!hSource || !hDest)
        return;
    HTREEITEM hNew = CopyTreeNode(hwndTree, hSource, hDest, TRUE);
    SelectNode(hwndTree, hNew);
}

// After a folder copy the tree shows the target as it is on disk: copied,
// kept as it was, or copied in part.
static void ShowCopiedFolder(LPCWSTR pszDestFolder, LPCWSTR pszName, BOOL fSelect)
{
    HWND hwndTree = GetFolderTreeWindow();
    HTREEITEM hDest = hwndTree ? FolderNodeOf(hwndTree, pszDestFolder) : nullptr;
    if (!hDest)
        return;
    HTREEITEM hNew = ReadFolderNode(hwndTree, hDest, pszDestFolder, pszName);
    if (fSelect)
        SelectNode(hwndTree, hNew);
}

static void DropFolderFromTree(LPCWSTR pszFolder)
{
    HWND hwndTree = GetFolderTreeWindow();
    HTREEITEM hNode = hwndTree ? FindExactFolderNode(pszFolder) : nullptr;
    if (!hNode)
        return;
    HTREEITEM hParent = (HTREEITEM)SendMessageW(hwndTree, TVM_GETNEXTITEM, TVGN_PARENT, (LPARAM)hNode);
    SendMessageW(hwndTree, TVM_DELETEITEM, 0, (LPARAM)hNode);
    SelectNode(hwndTree, hParent);
}

// ---- move and copy ------------------------------------------------------------------------

static BOOL DeleteExisting(HWND hwnd, LPCWSTR pszPath)
{
    DWORD dwAttr = GetFileAttributesW(pszPath);
    if (dwAttr != INVALID_FILE_ATTRIBUTES && (dwAttr & FILE_ATTRIBUTE_DIRECTORY)) {
        if (!DeleteFolderRecursive(hwnd, pszPath))
            return FALSE;
        DropFolderFromTree(pszPath);
        return TRUE;
    }
    return DeleteFileW(pszPath);
}

// The operation's failure for an item whose paths could not be built; the
// destination is given as it can be shown.
static void ShowItemFailure(HWND hwnd, int iMode, const SourceItem &item, LPCWSTR pszDestShown)
{
    UINT idsFail = iMode == OP_COPY ? IDS_CANT_COPY_FILE : item.fFolder ? IDS_CANT_MOVE_DIR : IDS_CANT_MOVE_FILE;
    ShowPathMessage(hwnd, idsFail, s_szSourceFolder, item.szName, iMode == OP_COPY ? IDS_COPY_TO_SEP : IDS_MOVE_TO_SEP,
                    pszDestShown, item.szName, IDS_ACCESS_DENIED, MB_ICONHAND);
}

static void AfterMove(SourceItem &item, LPCWSTR pszSource, LPCWSTR pszDestFolder)
{
    item.state = ITEM_GONE;
    if (item.fFolder)
        MoveFolderInTree(pszSource, pszDestFolder);
}

// FALSE stops the operation.
static BOOL MoveOne(HWND hwnd, SourceItem &item, LPCWSTR pszDestFolder)
{
    WCHAR szSource[MAX_PATH], szTarget[MAX_PATH];
    UINT idsFail = item.fFolder ? IDS_CANT_MOVE_DIR : IDS_CANT_MOVE_FILE;
    if (!JoinPath(s_szSourceFolder, item.szName, szSource, ARRAYSIZE(szSource)) ||
        !JoinPath(pszDestFolder, item.szName, szTarget, ARRAYSIZE(szTarget))) {
        ShowItemFailure(hwnd, OP_MOVE, item, pszDestFolder);
        return FALSE;
    }
    if (item.fFolder && IsSameOrInside(szSource, szTarget)) {
        ShowSameMessage(hwnd, IDS_MOVE_SAME, szSource);
        return FALSE;
    }
    if (_wcsicmp(szSource, szTarget) == 0)
        return TRUE;
    // A target holding the source would be deleted with it by the overwrite.
    if (IsSameOrInside(szTarget, szSource)) {
        ShowSameMessage(hwnd, IDS_MOVE_SAME, szSource);
        return FALSE;
    }
    if (MoveFileW(szSource, szTarget)) {
        AfterMove(item, szSource, pszDestFolder);
        return TRUE;
    }
    if (IsExistsError(GetLastError())) {
        if (!GetOption(OPT_CONFIRM_OVERWRITE) || AskWithPath(hwnd, IDS_OVERWRITE_ASK, szTarget) != IDYES)
            return TRUE;
        // The list entry goes only once the retry has moved it.
        if (DeleteExisting(hwnd, szTarget) && MoveFileW(szSource, szTarget)) {
            AfterMove(item, szSource, pszDestFolder);
            return TRUE;
        }
    }
    ShowPathMessage(hwnd, idsFail, szSource, nullptr, IDS_MOVE_TO_SEP, szTarget, nullptr, IDS_ACCESS_DENIED,
                    MB_ICONHAND);
    return FALSE;
}

static BOOL CopyFileItem(HWND hwnd, LPCWSTR pszSource, LPCWSTR pszTarget)
{
    if (CopyFileW(pszSource, pszTarget, TRUE))
        return TRUE;
    if (!IsExistsError(GetLastError()))
        return FALSE;
    if (!GetOption(OPT_CONFIRM_OVERWRITE) || AskWithPath(hwnd, IDS_OVERWRITE_ASK, pszTarget) != IDYES)
        return TRUE;
    return CopyFileW(pszSource, pszTarget, FALSE);
}

static BOOL CopyOne(HWND hwnd, const SourceItem &item, LPCWSTR pszDestFolder)
{
    WCHAR szSource[MAX_PATH], szTarget[MAX_PATH];
    if (!JoinPath(s_szSourceFolder, item.szName, szSource, ARRAYSIZE(szSource)) ||
        !JoinPath(pszDestFolder, item.szName, szTarget, ARRAYSIZE(szTarget))) {
        ShowItemFailure(hwnd, OP_COPY, item, pszDestFolder);
        return FALSE;
    }
    UpdateCopyProgress(s_hwndProgress, szSource, szTarget);
    // Inside the source, or holding it: an overwrite would delete the source.
    if (IsSameOrInside(szSource, szTarget) || IsSameOrInside(szTarget, szSource)) {
        ShowSameMessage(hwnd, IDS_COPY_SAME, szSource);
        return FALSE;
    }
    BOOL fOk = item.fFolder ? CopyFolderRecursive(hwnd, szSource, szTarget) : CopyFileItem(hwnd, szSource, szTarget);
    if (item.fFolder)
        ShowCopiedFolder(pszDestFolder, item.szName, fOk);
    if (fOk)
        return TRUE;
    ShowPathMessage(hwnd, IDS_CANT_COPY_FILE, szSource, nullptr, IDS_COPY_TO_SEP, szTarget, nullptr,
                    IDS_ACCESS_DENIED, MB_ICONHAND);
    return FALSE;
}

// The selected rows of the list, in list order: the items of a command.
// The parent row is no item; fDeselectParent takes its selection away.
static int TakeListItems(BOOL fDeselectParent)
{
    StringCchCopyW(s_szSourceFolder, ARRAYSIZE(s_szSourceFolder), g_szCurrentFolder);
    int c = 0;
    int i = -1;
    HWND hwndList = GetFileListWindow();
    while ((i = (int)SendMessageW(hwndList, LVM_GETNEXTITEM, i, LVNI_SELECTED)) >= 0 && i < g_cFileRows) {
        if (IsParentRow(i)) {
            if (fDeselectParent)
                SetRowState(i, 0, LVIS_SELECTED);
            continue;
        }
        StringCchCopyW(s_aSources[c].szName, MAX_PATH, g_aFileTable[i].fd.cFileName);
        s_aSources[c].fFolder = IsFolderRow(i);
        s_aSources[c].iRow = i;
        s_aSources[c].state = ITEM_KEPT;
        ++c;
    }
    return c;
}

// The selected node of the folder tree, taken as the destination tree is
// entered; its path (the header's line) goes to pszPath. None for the root.
static int TakeTreeItem(WCHAR *pszPath, size_t cchPath)
{
    HWND hwndTree = GetFolderTreeWindow();
    HTREEITEM hSel = GetSelectedNode(hwndTree);
    HTREEITEM hParent = (HTREEITEM)SendMessageW(hwndTree, TVM_GETNEXTITEM, TVGN_PARENT, (LPARAM)hSel);
    GetNodePath(hwndTree, hSel, pszPath, cchPath);
    if (!hSel || !hParent || !pszPath[0] ||
        !GetNodePath(hwndTree, hParent, s_szSourceFolder, ARRAYSIZE(s_szSourceFolder)))
        return 0;
    GetNodeText(hwndTree, hSel, s_aSources[0].szName, MAX_PATH);
    s_aSources[0].fFolder = TRUE;
    s_aSources[0].iRow = -1;
    s_aSources[0].state = ITEM_KEPT;
    return 1;
}

static void RunMoveOrCopy(HWND hwnd, int iMode)
{
    int cSources = s_fFromTree ? s_cTreeSources : TakeListItems(TRUE);
    if (cSources == 0) {
        ShowPathMessage(hwnd, IDS_SELECT_ITEM, L"", nullptr, 0, nullptr, nullptr, 0, MB_ICONHAND);
        return;
    }
    WCHAR szDest[MAX_PATH];
    HWND hwndDest = GetDestTreeWindow();
    HTREEITEM hDest = GetSelectedNode(hwndDest);
    if (!GetNodePath(hwndDest, hDest, szDest, ARRAYSIZE(szDest))) {
        // A folder too deep for a path of its own: named by what can be shown of it.
        WCHAR szShown[MAX_PATH] = L"...\\";
        GetNodeText(hwndDest, hDest, szShown + 4, ARRAYSIZE(szShown) - 4);
        ShowItemFailure(hwnd, iMode, s_aSources[0], szShown);
        return;
    }
    if (iMode == OP_COPY)
        s_hwndProgress = CreateProgressWindow(hwnd);
    StopTreeCount();
    for (int i = 0; i < cSources; ++i) {
        BOOL fGoOn = iMode == OP_MOVE ? MoveOne(hwnd, s_aSources[i], szDest) : CopyOne(hwnd, s_aSources[i], szDest);
        if (!fGoOn)
            break;
    }
    if (s_hwndProgress) {
        DestroyWindow(s_hwndProgress);
        s_hwndProgress = nullptr;
    }
    if (!s_fFromTree)
        UpdateListAfter(cSources);
}

// ---- destination tree ------------------------------------------------------------------------

static HWND CreateHeaderLine(HWND hwnd, int y)
{
    HWND hwndLine = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, y, 176, 20,
                                    hwnd, nullptr, g_hInst, nullptr);
    if (hwndLine)
        SendMessageW(hwndLine, WM_SETFONT, (WPARAM)GetStripFont(), FALSE);
    return hwndLine;
}

static int HeaderTextWidth(LPCWSTR psz, void *pv)
{
    RECT rc = {0, 0, 0, 0};
    DrawTextW((HDC)pv, psz, -1, &rc, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    return rc.right - rc.left;
}

static void SetHeader(HWND hwnd, int iMode)
{
    for (int i = 0; i < 2; ++i) {
        if (!s_ahwndHeader[i] || !IsWindow(s_ahwndHeader[i]))
            s_ahwndHeader[i] = CreateHeaderLine(hwnd, i * 20);
    }
    UINT ids = iMode == OP_SHORTCUT ? IDS_HEADER_SHORTCUT : iMode == OP_COPY ? IDS_HEADER_COPY : IDS_HEADER_MOVE;
    WCHAR sz[64] = L"";
    LoadStringW(g_hInst, ids, sz, ARRAYSIZE(sz));
    StringCchPrintfW(s_aszHeader[0], ARRAYSIZE(s_aszHeader[0]), L"  %s", sz);
    WCHAR szSource[MAX_PATH];
    StringCchCopyW(szSource, ARRAYSIZE(szSource), g_szCurrentFolder);
    // In tree mode the source is taken now, as the header shows it: a card
    // may move the tree's selection while the destination is chosen.
    s_cTreeSources = s_fFromTree ? TakeTreeItem(szSource, ARRAYSIZE(szSource)) : 0;
    StringCchPrintfW(s_aszHeader[1], ARRAYSIZE(s_aszHeader[1]), L"  %s", szSource[0] ? szSource : L"\\");
    HDC hdc = GetDC(hwnd);
    HGDIOBJ hfontOld = SelectObject(hdc, GetStripFont());
    ShortenStripText(s_aszHeader[1], HeaderTextWidth, hdc);
    SelectObject(hdc, hfontOld);
    ReleaseDC(hwnd, hdc);
    for (int i = 0; i < 2; ++i) {
        SetWindowTextW(s_ahwndHeader[i], s_aszHeader[i]);
        ShowWindow(s_ahwndHeader[i], SW_SHOW);
    }
}

void ShowDestTreeAgain()
{
    ShowWindow(GetDestBar(), SW_SHOW);
    HWND hwndDest = GetDestTreeWindow();
    SetFocus(hwndDest);
    ShowWindow(hwndDest, SW_SHOW);
}

void EnterDestTree(HWND hwnd, int iMode)
{
    if (IsDestTreeShown() || IsMultiSelectMode())
        return;
    s_fFromTree = IsTreeMode();
    HWND hwndDest = PrepareDestTree(hwnd);
    if (!hwndDest)
        return;
    s_iMode = iMode;
    SetDestTreeShown(TRUE);
    for (UINT id : {IDR_BAR_LIST, IDR_BAR_TREE, IDR_BAR_MULTISELECT})
        ShowWindow(GetModeBar(id), SW_HIDE);
    ShowWindow(GetFileListWindow(), SW_HIDE);
    if (GetFolderTreeWindow())
        ShowWindow(GetFolderTreeWindow(), SW_HIDE);
    SetHeader(hwnd, iMode);
    ShowDestTreeAgain();
    InvalidateRect(hwnd, nullptr, TRUE);
}

static void LeaveDestTree(HWND hwnd)
{
    s_iMode = OP_NONE;
    SetDestTreeShown(FALSE);
    ShowWindow(GetDestBar(), SW_HIDE);
    ShowWindow(GetDestTreeWindow(), SW_HIDE);
    for (HWND hwndLine : s_ahwndHeader)
        ShowWindow(hwndLine, SW_HIDE);
    RestoreView();
    InvalidateRect(hwnd, nullptr, TRUE);
    if (!IsTreeMode())
        RepaintStrips();
}

void OnDestDone(HWND hwnd)
{
    if (!IsDestTreeShown())
        return;
    if (s_iMode == OP_MOVE || s_iMode == OP_COPY)
        RunMoveOrCopy(hwnd, s_iMode);
    else if (s_iMode == OP_SHORTCUT)
        RunCreateShortcut(hwnd);
    LeaveDestTree(hwnd);
}

void OnDestCancel(HWND hwnd)
{
    if (IsDestTreeShown())
        LeaveDestTree(hwnd);
}

// ---- delete ------------------------------------------------------------------------------

// The item's path as a message shows it: a cut text names no file.
static void ShownPath(const SourceItem &item, WCHAR *psz, size_t cch)
{
    StringCchPrintfW(psz, cch, L"%s\\%s", s_szSourceFolder, item.szName);
}

// Deletes one item on disk; a failed file says so (a folder's delete shows its own messages).
static void DeleteItem(HWND hwnd, SourceItem &item)
{
    WCHAR szPath[MAX_PATH];
    BOOL fJoined = JoinPath(s_szSourceFolder, item.szName, szPath, ARRAYSIZE(szPath));
    if (fJoined && (item.fFolder ? DeleteFolderRecursive(hwnd, szPath) : DeleteFileW(szPath))) {
        item.state = ITEM_GONE;
        if (item.fFolder)
            DropFolderFromTree(szPath);
        return;
    }
    item.state = ITEM_FAILED;
    if (item.fFolder && fJoined)
        return;
    WCHAR szShown[MAX_PATH];
    ShownPath(item, szShown, ARRAYSIZE(szShown));
    ShowResourceMessage(hwnd, MB_ICONHAND, g_hInst, IDS_APP_TITLE, IDS_DELETE_FAILED, szShown);
    RepaintNow(hwnd);
}

void OnDeleteCommand(HWND hwnd)
{
    int cSelected = (int)SendMessageW(GetFileListWindow(), LVM_GETSELECTEDCOUNT, 0, 0);
    if (cSelected <= 0)
        return;
    BOOL fConfirm = GetOption(OPT_CONFIRM_DELETE);
    // The items are the rows chosen now; a listing read again during a box adds none.
    int cItems = TakeListItems(FALSE);
    if (cSelected == 1 && fConfirm) {
        if (cItems == 0)
            return;  // the parent row
        WCHAR szShown[MAX_PATH];
        ShownPath(s_aSources[0], szShown, ARRAYSIZE(szShown));
        UINT ids = s_aSources[0].fFolder ? IDS_DELETE_FOLDER_ASK : IDS_DELETE_FILE_ASK;
        if (AskWithPath(hwnd, ids, szShown) == IDYES)
            DeleteItem(hwnd, s_aSources[0]);
    } else {
        if (fConfirm) {
            int iAnswer = ShowResourceMessage(hwnd, MB_YESNO | MB_ICONQUESTION, g_hInst, IDS_APP_TITLE,
                                              IDS_DELETE_ITEMS_ASK, cSelected);
            if (iAnswer != IDYES)
                return;
            RepaintNow(hwnd);
        }
        if (!g_fAtRoot && _wcsicmp(g_szCurrentFolder, s_szSourceFolder) == 0)
            SetRowState(0, 0, LVIS_SELECTED);  // the parent row is never deleted
        for (int i = 0; i < cItems; ++i)
            DeleteItem(hwnd, s_aSources[i]);
    }
    UpdateListAfter(cItems);
    RepaintStrips();
}

void OnTreeDeleteCommand(HWND hwnd)
{
    HWND hwndTree = GetFolderTreeWindow();
    HTREEITEM hSel = hwndTree ? GetSelectedNode(hwndTree) : nullptr;
    WCHAR szPath[MAX_PATH];
    if (!hSel || !GetNodePath(hwndTree, hSel, szPath, ARRAYSIZE(szPath)) || !szPath[0])
        return;
    WCHAR szText[MESSAGE_MAX] = L"";
    AppendString(szText, IDS_DELETE_DIR_ASK);
    StringCchCatW(szText, ARRAYSIZE(szText), szPath);
    AppendString(szText, IDS_DELETE_DIR_END);
    if (MessageBoxW(hwnd, szText, g_szTitle, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    StopTreeCount();
    RepaintNow(hwnd);
    // By its path: a card may have changed the tree while the question was up.
    if (DeleteFolderRecursive(hwnd, szPath))
        DropFolderFromTree(szPath);
}
