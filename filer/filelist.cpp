// Folder listing: the file table, its sort, the keypad search, size texts
// and the drawing of one row of the list.
#include "filelist.h"
#include "options.h"
#include <shellapi.h>
#include <strsafe.h>
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

static FileEntry s_feSwap;  // exchanges go through one record, never the stack of the recursion

BOOL IsFolderRow(int iRow)
{
    return iRow >= 0 && iRow < g_cFileRows && (g_aFileTable[iRow].fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

BOOL IsParentRow(int iRow)
{
    return iRow == 0 && !g_fAtRoot && g_cFileRows > 0;
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

static void EnumerateFolder(BOOL fHideHidden, HANDLE hFind)
{
    WIN32_FIND_DATAW fdSpare;  // past the last slot: only tells whether more entries exist
    WIN32_FIND_DATAW *pfd = &g_aFileTable[g_cFileRows].fd;
    for (;;) {
        if (KeepRecord(*pfd, fHideHidden)) {
            if (g_cFileRows == FILE_TABLE_ROWS) {
                g_fListingIncomplete = TRUE;
                break;
            }
            FileEntry &fe = g_aFileTable[g_cFileRows];
            if (!(fe.fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                SetTypeKey(fe);
            fe.iIcon = -1;
            ++g_cFileRows;
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

void ResetFileList()
{
    memset(g_adwMarks, 0, sizeof(g_adwMarks));
    if (!g_hwndFileList)
        return;
    int cPerPage = (int)SendMessageW(g_hwndFileList, LVM_GETCOUNTPERPAGE, 0, 0);
    SendMessageW(g_hwndFileList, LVM_SETCOLUMNWIDTH, 0, cPerPage < g_cFileRows ? 170 : 176);
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

// The file sort's condition: row p goes before the pivot.
static BOOL GoesBefore(const FileEntry &fp, const FileEntry &fePivot, int iSortType, BOOL fAscending)
{
    ++g_cSortCompares;
    int c;
    switch (iSortType) {
    case 1:
        c = _wcsicmp(fePivot.fd.cFileName, fp.fd.cFileName);
        return fAscending ? c > 0 : c < 0;
    case 2:
        return fAscending ? fePivot.fd.nFileSizeLow > fp.fd.nFileSizeLow : fp.fd.nFileSizeLow >= fePivot.fd.nFileSizeLow;
    case 3:
        c = _wcsicmp(fePivot.szTypeKey, fp.szTypeKey);
        return fAscending ? c > 0 : c < 0;
    default:
        c = CompareFileTime(&fePivot.fd.ftLastAccessTime, &fp.fd.ftLastAccessTime);
        return fAscending ? c > 0 : c < 0;
    }
}

static int Partition(int lo, int hi, int iSortType, BOOL fAscending)
{
    int m = lo;
    for (int p = lo + 1; p <= hi; ++p) {
        if (GoesBefore(g_aFileTable[p], g_aFileTable[lo], iSortType, fAscending))
            SwapRows(++m, p);
    }
    SwapRows(m, lo);
    return m;
}

static void QuickSortRows(int lo, int hi, int iSortType, BOOL fAscending)
{
    while (lo < hi) {
        int m = Partition(lo, hi, iSortType, fAscending);
        QuickSortRows(lo, m - 1, iSortType, fAscending);
        lo = m + 1;
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
    for (int i = iFirst; i < b; ++i) {
        for (int j = i + 1; j < b; ++j) {
            ++g_cSortCompares;
            int c = _wcsicmp(g_aFileTable[i].fd.cFileName, g_aFileTable[j].fd.cFileName);
            if (fAscending ? c > 0 : c < 0)
                SwapRows(i, j);
        }
    }
    if (iSortType == 3)
        ExtendTypeKeys(b, n);
    QuickSortRows(b, n - 1, iSortType, fAscending);
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

void FormatFileSize(DWORD cb, WCHAR *psz, size_t cch)
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
    BOOL fScroll = (int)SendMessageW(g_hwndFileList, LVM_GETCOUNTPERPAGE, 0, 0) < g_cFileRows;
    BOOL fMulti = pctx->fMultiSelect;
    int xRight = fScroll ? 169 : 175;
    RECT rcName = {fMulti ? 40 : 20, rcRow.top, fMulti ? xRight : (fScroll ? 134 : 140), rcRow.bottom};
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
    } else if (!(fe.fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        RECT rcSize = {fScroll ? 135 : 141, rcRow.top, xRight, rcRow.bottom};
        WCHAR szSize[16];
        FormatFileSize(fe.fd.nFileSizeLow, szSize, ARRAYSIZE(szSize));
        DrawTextW(hdc, szSize, -1, &rcSize, DT_RIGHT | DT_SINGLELINE | DT_VCENTER);
    }
    if (fHighlighted && pctx->pfnSelectedRowDrawn)
        pctx->pfnSelectedRowDrawn(iRow);
}
