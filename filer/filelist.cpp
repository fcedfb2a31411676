// Folder listing: the file table, its sort, the keypad search, size texts
// and the drawing of one row of the list.
#include "filelist.h"
#include "options.h"
#include <shellapi.h>
#include <strsafe.h>
#include <algorithm>
#include <cstring>
#include <cwchar>

FileEntry g_aFileTable[FILE_TABLE_ROWS];
int g_cFileRows;
BOOL g_fAtRoot = TRUE;
BOOL g_fTypeKeysExtended;
BOOL g_fListingIncomplete;
DWORD g_adwMarks[FILE_TABLE_ROWS];
WCHAR g_szCurrentFolder[MAX_PATH];
int g_iSortType = 1;
HWND g_hwndFileList;
unsigned long g_cSortCompares;

static FileEntry s_feSwap;  // records move through one spare record, never the stack

BOOL IsFolderRow(int iRow)
{
    return iRow >= 0 && iRow < g_cFileRows && (g_aFileTable[iRow].fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

BOOL IsParentRow(int iRow)
{
    return iRow == 0 && !g_fAtRoot && g_cFileRows > 0;
}

int FindListRow(LPCWSTR pszName)
{
    for (int i = g_fAtRoot ? 0 : 1; i < g_cFileRows; ++i) {
        if (_wcsicmp(g_aFileTable[i].fd.cFileName, pszName) == 0)
            return i;
    }
    return -1;
}

BOOL JoinPath(LPCWSTR pszFolder, LPCWSTR pszName, WCHAR *pszOut, size_t cchOut)
{
    size_t cchMax = cchOut < MAX_PATH ? cchOut : MAX_PATH;
    if (SUCCEEDED(StringCchCopyW(pszOut, cchMax, pszFolder)) && SUCCEEDED(StringCchCatW(pszOut, cchMax, L"\\")) &&
        SUCCEEDED(StringCchCatW(pszOut, cchMax, pszName)))
        return TRUE;
    if (cchOut)
        pszOut[0] = 0;
    return FALSE;
}

void SetTypeKey(FileEntry &fe)
{
    const WCHAR *pszDot = wcsrchr(fe.fd.cFileName, L'.');
    StringCchCopyW(fe.szTypeKey, ARRAYSIZE(fe.szTypeKey), pszDot ? pszDot : L"   ");
}

// Folders always stay (hidden ones too); hidden files only when shown.
static BOOL KeepRecord(const WIN32_FIND_DATAW &fd, BOOL fHideHidden)
{
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return TRUE;
    return !(fHideHidden && (fd.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN));
}

// Once the table is full a folder still found takes the slot of the last
// file kept: a full table drops files, so every folder stays reachable.
static void KeepFolderOverFile(const WIN32_FIND_DATAW &fd, int *piLastFile)
{
    int iFirst = g_fAtRoot ? 0 : 1;
    while (*piLastFile >= iFirst && IsFolderRow(*piLastFile))
        --*piLastFile;
    if (*piLastFile < iFirst)
        return;
    FileEntry &fe = g_aFileTable[(*piLastFile)--];
    fe.fd = fd;
    fe.szTypeKey[0] = 0;
    fe.iIcon = -1;
}

static void EnumerateFolder(BOOL fHideHidden, HANDLE hFind)
{
    WIN32_FIND_DATAW fdSpare;  // past the last slot
    WIN32_FIND_DATAW *pfd = &g_aFileTable[g_cFileRows].fd;
    int iLastFile = FILE_TABLE_ROWS - 1;
    for (;;) {
        if (!KeepRecord(*pfd, fHideHidden)) {
            // the next record overwrites this one
        } else if (g_cFileRows < FILE_TABLE_ROWS) {
            FileEntry &fe = g_aFileTable[g_cFileRows];
            if (!(fe.fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                SetTypeKey(fe);
            fe.iIcon = -1;
            ++g_cFileRows;
        } else {
            g_fListingIncomplete = TRUE;
            if (pfd->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                KeepFolderOverFile(*pfd, &iLastFile);
        }
        pfd = g_cFileRows < FILE_TABLE_ROWS ? &g_aFileTable[g_cFileRows].fd : &fdSpare;
        if (!FindNextFileW(hFind, pfd))
            break;
    }
}

void BuildFileTable()
{
    for (;;) {
        g_cFileRows = 0;
        g_fTypeKeysExtended = FALSE;
        g_fListingIncomplete = FALSE;
        WCHAR szPattern[MAX_PATH + 8];
        StringCchCopyW(szPattern, ARRAYSIZE(szPattern), g_szCurrentFolder);
        g_fAtRoot = szPattern[0] == 0;
        if (!g_fAtRoot) {
            FileEntry &fe = g_aFileTable[0];
            memset(&fe, 0, sizeof(fe));  // nothing stale from the last listing in the parent row
            fe.fd.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
            StringCchCopyW(fe.fd.cFileName, ARRAYSIZE(fe.fd.cFileName), L"..");
            fe.iIcon = -1;
            g_cFileRows = 1;
        }
        BOOL fHideHidden = GetOption(OPT_HIDE_HIDDEN);
        if (FAILED(StringCchCatW(szPattern, ARRAYSIZE(szPattern), L"\\*.*")))
            break;
        HANDLE hFind = FindFirstFileW(szPattern, &g_aFileTable[g_cFileRows].fd);
        if (hFind == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_PATH_NOT_FOUND && !g_fAtRoot) {
                g_szCurrentFolder[0] = 0;  // the folder vanished: list the root instead
                continue;
            }
            break;
        }
        EnumerateFolder(fHideHidden, hFind);
        FindClose(hFind);
        break;
    }
    SortFileTable();
}

// The width beside the vertical scroll bar when the rows need one (170 on
// the handset): a column no wider than that never brings a horizontal bar.
int FileListClientWidth()
{
    RECT rc = {0, 0, 176, 0};
    if (g_hwndFileList)
        GetWindowRect(g_hwndFileList, &rc);
    int cx = rc.right - rc.left;
    if (g_hwndFileList && (int)SendMessageW(g_hwndFileList, LVM_GETCOUNTPERPAGE, 0, 0) < g_cFileRows)
        cx -= GetSystemMetrics(SM_CXVSCROLL);
    return cx;
}

void ResetFileList()
{
    memset(g_adwMarks, 0, sizeof(g_adwMarks));
    if (!g_hwndFileList)
        return;
    SendMessageW(g_hwndFileList, LVM_SETCOLUMNWIDTH, 0, FileListClientWidth());
    SendMessageW(g_hwndFileList, LVM_SETITEMCOUNT, g_cFileRows, 0);
}

static void SetRowState(int iRow, UINT uState, UINT uMask)
{
    LVITEMW lvi = {};
    lvi.stateMask = uMask;
    lvi.state = uState;
    SendMessageW(g_hwndFileList, LVM_SETITEMSTATE, iRow, (LPARAM)&lvi);
}

void ListFolder()
{
    if (g_hwndFileList) {
        int i = -1;
        while ((i = (int)SendMessageW(g_hwndFileList, LVM_GETNEXTITEM, i, LVNI_SELECTED)) >= 0)
            SetRowState(i, 0, LVIS_SELECTED);
    }
    BuildFileTable();
    ResetFileList();
    if (!g_hwndFileList || g_cFileRows == 0)
        return;
    // The list only keeps states of rows it has, so row 0 is chosen once counted.
    SetRowState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageW(g_hwndFileList, LVM_ENSUREVISIBLE, 0, FALSE);
}

static void SwapRows(int a, int b)
{
    if (a == b)
        return;
    memcpy(&s_feSwap, &g_aFileTable[a], sizeof(FileEntry));
    memcpy(&g_aFileTable[a], &g_aFileTable[b], sizeof(FileEntry));
    memcpy(&g_aFileTable[b], &s_feSwap, sizeof(FileEntry));
}

// The sorts order row numbers; the records move once, at the end.
static int s_aiOrder[FILE_TABLE_ROWS];

// _wcsicmp's order, the ASCII letters folded here: the library is called
// only from the first character outside ASCII on.
static int CompareNoCase(const WCHAR *a, const WCHAR *b)
{
    for (;; ++a, ++b) {
        WCHAR ca = *a, cb = *b;
        if (ca >= 0x80 || cb >= 0x80)
            return _wcsicmp(a, b);
        if (ca >= L'A' && ca <= L'Z')
            ca += L'a' - L'A';
        if (cb >= L'A' && cb <= L'Z')
            cb += L'a' - L'A';
        if (ca != cb || !ca)
            return (int)ca - (int)cb;
    }
}

// Ascending comparison of two records by the key of the sort type.
static int CompareKeys(const FileEntry &a, const FileEntry &b, int iSortType)
{
    ++g_cSortCompares;
    switch (iSortType) {
    case 1:
        return CompareNoCase(a.fd.cFileName, b.fd.cFileName);
    case 2:
        return FileSizeOf(a.fd) < FileSizeOf(b.fd) ? -1 : FileSizeOf(a.fd) > FileSizeOf(b.fd);
    case 3:
        return CompareNoCase(a.szTypeKey, b.szTypeKey);
    default:
        return CompareFileTime(&a.fd.ftLastAccessTime, &b.fd.ftLastAccessTime);
    }
}

// The quicksort's condition: row p goes before the pivot (descending by
// size, equal sizes go before too).
static BOOL GoesBefore(int iP, int iPivot, int iSortType, BOOL fAscending)
{
    int c = CompareKeys(g_aFileTable[iP], g_aFileTable[iPivot], iSortType);
    if (fAscending)
        return c < 0;
    return iSortType == 2 ? c >= 0 : c > 0;
}

static void SwapOrder(int a, int b)
{
    int i = s_aiOrder[a];
    s_aiOrder[a] = s_aiOrder[b];
    s_aiOrder[b] = i;
}

static int Partition(int lo, int hi, int iSortType, BOOL fAscending)
{
    int m = lo;
    for (int p = lo + 1; p <= hi; ++p) {
        if (GoesBefore(s_aiOrder[p], s_aiOrder[lo], iSortType, fAscending))
            SwapOrder(++m, p);
    }
    SwapOrder(m, lo);
    return m;
}

// First-row pivot, so equal sizes and dates land as they always have; the
// two parts are independent, so taking the smaller one first changes no
// result and keeps the recursion shallow on sorted input.
static void QuickSortOrder(int lo, int hi, int iSortType, BOOL fAscending)
{
    while (lo < hi) {
        int m = Partition(lo, hi, iSortType, fAscending);
        if (m - lo < hi - m) {
            QuickSortOrder(lo, m - 1, iSortType, fAscending);
            lo = m + 1;
        } else {
            QuickSortOrder(m + 1, hi, iSortType, fAscending);
            hi = m - 1;
        }
    }
}

// Names, and type keys with the name appended, differ within a folder, so
// any correct sort gives the one order there is.
static void SortDistinctKeys(int lo, int hiEnd, int iSortType, BOOL fAscending)
{
    std::sort(s_aiOrder + lo, s_aiOrder + hiEnd, [=](int a, int b) {
        int c = CompareKeys(g_aFileTable[a], g_aFileTable[b], iSortType);
        return fAscending ? c < 0 : c > 0;
    });
}

// Moves the records of rows [lo, hiEnd) into the order of s_aiOrder, one
// cycle at a time, each record copied once.
static void ApplyOrder(int lo, int hiEnd)
{
    for (int i = lo; i < hiEnd; ++i) {
        if (s_aiOrder[i] == i)
            continue;
        memcpy(&s_feSwap, &g_aFileTable[i], sizeof(FileEntry));
        int j = i;
        for (;;) {
            int k = s_aiOrder[j];
            s_aiOrder[j] = j;
            if (k == i) {
                memcpy(&g_aFileTable[j], &s_feSwap, sizeof(FileEntry));
                break;
            }
            memcpy(&g_aFileTable[j], &g_aFileTable[k], sizeof(FileEntry));
            j = k;
        }
    }
}

// Rows [first, n) become folders then files; returns the first file row.
static int GroupFoldersFirst(int iFirst, int n)
{
    int b = iFirst;
    int jNext = iFirst + 1;  // the rows between a file and its first later folder are files
    for (int i = iFirst; i < n; ++i) {
        if (g_aFileTable[i].fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ++b;
            continue;
        }
        int j = jNext > i + 1 ? jNext : i + 1;
        while (j < n && !(g_aFileTable[j].fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ++j;
        if (j >= n)
            break;
        SwapRows(i, j);
        ++b;
        jNext = j + 1;
    }
    return b;
}

static void ExtendTypeKeys(int b, int n)
{
    if (g_fTypeKeysExtended)
        return;
    for (int i = b; i < n; ++i)
        StringCchCatW(g_aFileTable[i].szTypeKey, ARRAYSIZE(g_aFileTable[i].szTypeKey), g_aFileTable[i].fd.cFileName);
    g_fTypeKeysExtended = TRUE;
}

void SortFileRows(int iSortType, BOOL fAscending)
{
    int iFirst = g_fAtRoot ? 0 : 1;
    int n = g_cFileRows;
    if (n - iFirst < 1)
        return;
    int b = GroupFoldersFirst(iFirst, n);
    for (int i = iFirst; i < n; ++i)
        s_aiOrder[i] = i;
    SortDistinctKeys(iFirst, b, 1, fAscending);
    if (iSortType == 3)
        ExtendTypeKeys(b, n);
    if (iSortType == 1 || iSortType == 3)
        SortDistinctKeys(b, n, iSortType, fAscending);
    else
        QuickSortOrder(b, n - 1, iSortType, fAscending);
    ApplyOrder(iFirst, n);
}

void SortFileTable()
{
    SortFileRows(g_iSortType, ReadSortOrder());
}

WCHAR KeypadDigit(WCHAR ch)
{
    static const char kLetters[] = "22233344455566677778889999";
    if (ch >= L'0' && ch <= L'9')
        return ch;
    if (ch >= L'A' && ch <= L'Z')
        return (WCHAR)kLetters[ch - L'A'];
    if (ch >= L'a' && ch <= L'z')
        return (WCHAR)kLetters[ch - L'a'];
    return L'U';
}

int FindByKeypad(int iStart, LPCWSTR pszDigits)
{
    int iFirstFile = 0;
    while (iFirstFile < g_cFileRows && IsFolderRow(iFirstFile))
        ++iFirstFile;
    if (iFirstFile >= g_cFileRows)
        return 0;
    size_t cDigits = wcsnlen(pszDigits, MAX_PATH);
    for (int j = iStart > iFirstFile ? iStart : iFirstFile; j < g_cFileRows; ++j) {
        const WCHAR *pszName = g_aFileTable[j].fd.cFileName;
        size_t k = 0;
        // The name's end maps to 'U' like any other non-key character.
        while (k < cDigits && pszName[k] && pszDigits[k] >= L'0' && pszDigits[k] <= L'9' &&
               KeypadDigit(pszName[k]) == pszDigits[k])
            ++k;
        if (k == cDigits)
            return j;
    }
    return iStart;
}

int OnFindItem(const NMLVFINDITEMW *pfi)
{
    LPCWSTR psz = pfi->lvfi.psz;
    if (!psz)
        return -1;
    int iStart = 0;
    if (wcsnlen(psz, 2) > 1 && g_cFileRows > 0 && pfi->iStart > 0)
        iStart = pfi->iStart % g_cFileRows;
    return FindByKeypad(iStart, psz);
}

void FormatFileSize(ULONGLONG cb, WCHAR *psz, size_t cch)
{
    double k = cb * 0.001;
    double m = k * 0.001;
    if (cb < 1000)
        StringCchPrintfW(psz, cch, L"%dB", (int)cb);
    else if (k < 10)
        StringCchPrintfW(psz, cch, L"%.2fK", k);
    else if (k < 100)
        StringCchPrintfW(psz, cch, L"%.1fK", k);
    else if (k < 1000)
        StringCchPrintfW(psz, cch, L"%dK", (int)k);
    else if (m < 10)
        StringCchPrintfW(psz, cch, L"%.2fM", m);
    else if (m < 100)
        StringCchPrintfW(psz, cch, L"%.1fM", m);
    else
        StringCchPrintfW(psz, cch, L"%dM", (int)m);
}

void FitTextToColumn(LPCWSTR pszText, int cxColumn, TEXTWIDTH pfnWidth, void *pv, WCHAR *pszOut, size_t cchOut)
{
    StringCchCopyW(pszOut, cchOut, pszText);
    if (pfnWidth(pszOut, pv) <= cxColumn)
        return;
    size_t cch = wcsnlen(pszOut, cchOut);
    while (cch > 0) {
        --cch;
        WCHAR szTry[MAX_PATH + 4];
        StringCchCopyNW(szTry, ARRAYSIZE(szTry), pszText, cch);
        StringCchCatW(szTry, ARRAYSIZE(szTry), L"...");
        if (pfnWidth(szTry, pv) < cxColumn) {
            StringCchCopyW(pszOut, cchOut, szTry);
            return;
        }
    }
    StringCchCopyW(pszOut, cchOut, L"...");
}

void GetRowDisplayName(int iRow, BOOL fHideExtensions, WCHAR *pszOut, size_t cchOut)
{
    const FileEntry &fe = g_aFileTable[iRow];
    StringCchCopyW(pszOut, cchOut, fe.fd.cFileName);
    if (!fHideExtensions || (fe.fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return;
    WCHAR *pszDot = wcsrchr(pszOut, L'.');
    if (pszDot)
        *pszDot = 0;
}

static int ListStringWidth(LPCWSTR psz, void *pv)
{
    return (int)SendMessageW((HWND)pv, LVM_GETSTRINGWIDTHW, 0, (LPARAM)psz);
}

static void LookUpIcon(FileEntry &fe)
{
    WCHAR szPath[MAX_PATH];
    // A path too long to join still has a name: its extension picks the icon.
    if (!JoinPath(g_szCurrentFolder, fe.fd.cFileName, szPath, ARRAYSIZE(szPath)))
        StringCchCopyW(szPath, ARRAYSIZE(szPath), fe.fd.cFileName);
    SHFILEINFOW sfi = {};
    if (SHGetFileInfoW(szPath, fe.fd.dwFileAttributes, &sfi, sizeof(sfi),
                       SHGFI_SYSICONINDEX | SHGFI_ICON | SHGFI_USEFILEATTRIBUTES | SHGFI_SMALLICON)) {
        fe.iIcon = sfi.iIcon;
        if (sfi.hIcon)
            DestroyIcon(sfi.hIcon);
    } else {
        fe.iIcon = 0;
    }
}

void DrawFileRow(HDC hdc, int iRow, const RECT &rcRow, BOOL fHighlighted, void *pv)
{
    const RowDrawContext *pctx = (const RowDrawContext *)pv;
    if (iRow < 0 || iRow >= g_cFileRows || !pctx)
        return;
    FileEntry &fe = g_aFileTable[iRow];
    BOOL fMulti = pctx->fMultiSelect;
    int xRight = FileListClientWidth() - 1;  // 169 beside a scroll bar, else 175
    RECT rcName = {fMulti ? 40 : 20, rcRow.top, fMulti ? xRight : xRight - 35, rcRow.bottom};
    RECT rcSize = {xRight - 34, rcRow.top, xRight, rcRow.bottom};
    WCHAR szSize[16] = L"";
    if (!fMulti && !(fe.fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        FormatFileSize(FileSizeOf(fe.fd), szSize, ARRAYSIZE(szSize));
        // "5368M" in the large font is wider than the column: the size keeps
        // every digit and the name gives up the room.
        SIZE size = {};
        if (GetTextExtentPoint32W(hdc, szSize, lstrlenW(szSize), &size) && size.cx > rcSize.right - rcSize.left) {
            rcSize.left = rcSize.right - size.cx;
            rcName.right = rcSize.left - 1;
        }
    }
    WCHAR szName[MAX_PATH], szShown[MAX_PATH + 4];
    GetRowDisplayName(iRow, GetOption(OPT_HIDE_EXTENSIONS), szName, ARRAYSIZE(szName));
    FitTextToColumn(szName, rcName.right - rcName.left, ListStringWidth, g_hwndFileList, szShown, ARRAYSIZE(szShown));
    DrawTextW(hdc, szShown, -1, &rcName, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);

    int xIcon = fMulti ? 22 : 2;
    if (IsParentRow(iRow)) {
        ImageList_Draw(pctx->himlOwn, 1, hdc, xIcon, rcRow.top + 2, ILD_TRANSPARENT);
    } else {
        if (fe.iIcon == -1)
            LookUpIcon(fe);
        ImageList_Draw(pctx->himlSystem, fe.iIcon, hdc, xIcon, rcRow.top + 2, ILD_TRANSPARENT);
    }
    if (fMulti) {
        RECT rcCheck = {2, rcRow.top + 2, 18, rcRow.bottom};
        DrawFrameControl(hdc, &rcCheck, DFC_BUTTON, DFCS_BUTTONCHECK | (g_adwMarks[iRow] ? DFCS_CHECKED : 0));
    } else if (szSize[0]) {
        DrawTextW(hdc, szSize, -1, &rcSize, DT_RIGHT | DT_SINGLELINE | DT_VCENTER);
    }
    if (fHighlighted && pctx->pfnSelectedRowDrawn)
        pctx->pfnSelectedRowDrawn(iRow);
}
