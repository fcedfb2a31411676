// Main window: the list between the title strip and the status strip, the
// soft-key bars that follow the mode, and the command table.
#include "mainwnd.h"
#include "filelist.h"
#include "options.h"
#include "openfile.h"
#include "kit.h"
#include "listkit.h"
#include "../res/tavel/resource.h"
#include <shellapi.h>
#include <strsafe.h>
#include <cwchar>

HWND g_hwndMain;
WCHAR g_szTitle[20];
CRITICAL_SECTION g_csTree;
HANDLE g_hShowTreeSelectEvent;

#define STRIP_TEXT_MAX (MAX_PATH + 4)
#define ALL_ITEM_STATES (LVIS_SELECTED | LVIS_FOCUSED | LVIS_CUT | LVIS_DROPHILITED)

static HWND s_hwndList;
static HWND s_hwndTree;      // folder tree, made by the tree module
static HWND s_hwndBarList;
static HWND s_hwndBarTree;
static HWND s_hwndBarMulti;
static HWND s_hwndCurrentBar;
static BOOL s_fTreeMode;
static BOOL s_fMultiSelect;
static BOOL s_fDestTreeShown;
// Set once WM_CREATE has succeeded: a window that failed to build holds no folder to remember.
static BOOL s_fCreated;
static DWORD s_adwSavedStates[FILE_TABLE_ROWS];
static HFONT s_hfontList;
static HFONT s_hfontStrip;
static HBRUSH s_hbrSelection;
static HBRUSH s_hbrTitle;
static HBRUSH s_hbrStatus;
static HIMAGELIST s_himlSystem;
static HIMAGELIST s_himlOwn;
static RowDrawContext s_rdc;
static WCHAR s_szTitleShown[STRIP_TEXT_MAX];
static WCHAR s_szCountsShown[32];
static WCHAR s_szDateShown[64];
static int s_xCountsEnd;   // where the counts' text ends and the date's begins
static int s_xDateStart;

LPCWSTR GetTitleStripText() { return s_szTitleShown; }
LPCWSTR GetStatusStripCounts() { return s_szCountsShown; }
LPCWSTR GetStatusStripDate() { return s_szDateShown; }
int GetStatusStripGap() { return s_xDateStart - s_xCountsEnd; }
BOOL IsMultiSelectMode() { return s_fMultiSelect; }
BOOL IsTreeMode() { return s_fTreeMode; }
void SetTreeMode(BOOL fTree) { s_fTreeMode = fTree; }
BOOL IsDestTreeShown() { return s_fDestTreeShown; }
void SetDestTreeShown(BOOL fShown) { s_fDestTreeShown = fShown; }
HWND GetFileListWindow() { return s_hwndList; }
HWND GetFolderTreeWindow() { return s_hwndTree; }
void SetFolderTreeWindow(HWND hwndTree) { s_hwndTree = hwndTree; }
HWND GetCurrentBar() { return s_hwndCurrentBar; }
void SetCurrentBar(HWND hwndBar) { s_hwndCurrentBar = hwndBar; }
HFONT GetStripFont() { return s_hfontStrip; }

HWND GetModeBar(UINT idBar)
{
    switch (idBar) {
    case IDR_BAR_LIST: return s_hwndBarList;
    case IDR_BAR_TREE: return s_hwndBarTree;
    case IDR_BAR_MULTISELECT: return s_hwndBarMulti;
    }
    return nullptr;
}

// ---- strips ----------------------------------------------------------------

void ShortenStripText(WCHAR *pszText, TEXTWIDTH pfnWidth, void *pv)
{
    size_t cch = wcsnlen(pszText, STRIP_TEXT_MAX);
    if (cch <= 30)
        return;
    BOOL fCut = FALSE;
    while (cch > 3 && pfnWidth(pszText, pv) >= 176) {
        memmove(pszText, pszText + 2, (cch - 1) * sizeof(WCHAR));  // the terminator moves too
        cch -= 2;
        fCut = TRUE;
    }
    if (fCut)
        wmemcpy(pszText, L"...", 3);
}

static int DcTextWidth(LPCWSTR psz, void *pv)
{
    RECT rc = {0, 0, 0, 0};
    DrawTextW((HDC)pv, psz, -1, &rc, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    return rc.right - rc.left;
}

HDC BeginStrip(BOOL fStatus)
{
    HDC hdc = GetDC(g_hwndMain);
    SaveDC(hdc);
    SelectObject(hdc, s_hfontStrip);
    SelectObject(hdc, fStatus ? s_hbrStatus : s_hbrTitle);
    if (fStatus)
        Rectangle(hdc, -1, 160, 177, 181);
    else
        Rectangle(hdc, -1, -1, 177, 20);
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, GetSysColor(COLOR_WINDOWTEXT));
    return hdc;
}

void EndStrip(HDC hdc)
{
    RestoreDC(hdc, -1);
    ReleaseDC(g_hwndMain, hdc);
}

void PaintTitleStrip()
{
    if (!g_hwndMain)
        return;
    WCHAR sz[STRIP_TEXT_MAX];
    StringCchPrintfW(sz, ARRAYSIZE(sz), L"  %s", g_szCurrentFolder[0] ? g_szCurrentFolder : L"\\");
    HDC hdc = BeginStrip(FALSE);
    ShortenStripText(sz, DcTextWidth, hdc);
    RECT rc = {0, 0, 176, 20};
    DrawTextW(hdc, sz, -1, &rc, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    EndStrip(hdc);
    StringCchCopyW(s_szTitleShown, ARRAYSIZE(s_szTitleShown), sz);
}

static int CountMarks()
{
    int c = 0;
    for (int i = 0; i < g_cFileRows; ++i)
        c += g_adwMarks[i] != 0;
    return c;
}

// The row's last-write time as local date and time texts (empty on failure).
static void FormatRowTime(int iRow, WCHAR *pszDate, size_t cchDate, WCHAR *pszTime, size_t cchTime)
{
    pszDate[0] = pszTime[0] = 0;
    FILETIME ftLocal;
    SYSTEMTIME st;
    if (!FileTimeToLocalFileTime(&g_aFileTable[iRow].fd.ftLastWriteTime, &ftLocal) ||
        !FileTimeToSystemTime(&ftLocal, &st))
        return;
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, pszDate, (int)cchDate);
    GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &st, nullptr, pszTime, (int)cchTime);
}

// The date and time where the counts leave room: without the time, or not
// at all, rather than running into the counts.
static void FitStatusDate(HDC hdc, int cxRoom, LPCWSTR pszDate, LPCWSTR pszTime)
{
    StringCchPrintfW(s_szDateShown, ARRAYSIZE(s_szDateShown), pszTime[0] ? L"%s %s" : L"%s", pszDate, pszTime);
    if (DcTextWidth(s_szDateShown, hdc) <= cxRoom)
        return;
    StringCchCopyW(s_szDateShown, ARRAYSIZE(s_szDateShown), pszDate);
    if (DcTextWidth(s_szDateShown, hdc) > cxRoom)
        s_szDateShown[0] = 0;
}

void PaintStatusStrip(int iRow)
{
    if (!g_hwndMain)
        return;
    int cSelected = s_fMultiSelect ? CountMarks() : (int)SendMessageW(s_hwndList, LVM_GETSELECTEDCOUNT, 0, 0);
    // A folder larger than the table is listed in part; the "+" says so.
    StringCchPrintfW(s_szCountsShown, ARRAYSIZE(s_szCountsShown), g_fListingIncomplete ? L"%d/%d+" : L"%d/%d",
                     cSelected, g_cFileRows);
    WCHAR szDate[32] = L"", szTime[32] = L"";
    // The parent row is no entry of the folder: it has no date.
    if (iRow >= 0 && iRow < g_cFileRows && !IsParentRow(iRow))
        FormatRowTime(iRow, szDate, ARRAYSIZE(szDate), szTime, ARRAYSIZE(szTime));
    HDC hdc = BeginStrip(TRUE);
    // The counts keep their whole text; a few pixels always part them from the date.
    int xCountsEnd = 2 + DcTextWidth(s_szCountsShown, hdc);
    int xDateMin = xCountsEnd + 6;
    FitStatusDate(hdc, 175 - xDateMin, szDate, szTime);
    RECT rcLeft = {2, 160, xCountsEnd > 57 ? xCountsEnd : 57, 180};
    DrawTextW(hdc, s_szCountsShown, -1, &rcLeft, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    RECT rcRight = {xDateMin, 160, 175, 180};
    DrawTextW(hdc, s_szDateShown, -1, &rcRight, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
    s_xCountsEnd = xCountsEnd;
    s_xDateStart = 175 - DcTextWidth(s_szDateShown, hdc);
    EndStrip(hdc);
}

int FirstSelectedRow()
{
    return (int)SendMessageW(s_hwndList, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED);
}

void RepaintStrips()
{
    PaintStatusStrip(FirstSelectedRow());
    PaintTitleStrip();
}

static void OnSelectedRowDrawn(int iRow)
{
    (void)iRow;
    RepaintStrips();
}

// ---- list rows ---------------------------------------------------------------

void SetRowState(int iRow, UINT uState, UINT uMask)
{
    LVITEMW lvi = {};
    lvi.stateMask = uMask;
    lvi.state = uState;
    SendMessageW(s_hwndList, LVM_SETITEMSTATE, iRow, (LPARAM)&lvi);
}

void RemoveListRow(int iRow)
{
    if (iRow < 0 || iRow >= g_cFileRows)
        return;
    BYTE afDrop[FILE_TABLE_ROWS] = {};
    afDrop[iRow] = 1;
    RemoveListRows(afDrop);
}

// One pass and one new count however many rows go: a row at a time costs
// the list a count, a scroll bar and a repaint each.
void RemoveListRows(const BYTE *pfDrop)
{
    int cDrop = 0;
    for (int i = 0; i < g_cFileRows; ++i)
        cDrop += pfDrop[i] != 0;
    if (cDrop == 0)
        return;
    // Which rows that stay are selected: asked of the fewer, the rows that stay or the selected ones.
    BYTE afSelected[FILE_TABLE_ROWS] = {};
    if (cDrop > g_cFileRows - cDrop) {
        for (int i = 0; i < g_cFileRows; ++i)
            afSelected[i] = !pfDrop[i] && SendMessageW(s_hwndList, LVM_GETITEMSTATE, i, LVIS_SELECTED) != 0;
    } else {
        int i = -1;
        while ((i = (int)SendMessageW(s_hwndList, LVM_GETNEXTITEM, i, LVNI_SELECTED)) >= 0 && i < g_cFileRows)
            afSelected[i] = !pfDrop[i];
    }
    int iFocus = (int)SendMessageW(s_hwndList, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED);
    int iNewFocus = -1, cKept = 0;
    for (int i = 0; i < g_cFileRows; ++i) {
        // A focused row that goes hands the focus to the row taking its place.
        if (i == iFocus)
            iNewFocus = cKept;
        if (pfDrop[i])
            continue;
        if (i != cKept) {
            g_aFileTable[cKept] = g_aFileTable[i];
            g_adwMarks[cKept] = g_adwMarks[i];
            afSelected[cKept] = afSelected[i];
        }
        ++cKept;
    }
    g_cFileRows = cKept;
    // The new count drops the states past the end without a notification each.
    SendMessageW(s_hwndList, LVM_SETITEMCOUNT, g_cFileRows, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    int i = -1;
    while ((i = (int)SendMessageW(s_hwndList, LVM_GETNEXTITEM, i, LVNI_SELECTED)) >= 0 && i < g_cFileRows) {
        if (!afSelected[i])
            SetRowState(i, 0, LVIS_SELECTED);
    }
    for (i = 0; i < g_cFileRows; ++i) {
        if (afSelected[i])
            SetRowState(i, LVIS_SELECTED, LVIS_SELECTED);
    }
    if (iNewFocus >= g_cFileRows)
        iNewFocus = g_cFileRows - 1;
    if (iNewFocus >= 0)
        SetRowState(iNewFocus, LVIS_FOCUSED, LVIS_FOCUSED);
    InvalidateRect(s_hwndList, nullptr, TRUE);
}

int AppendListRow(LPCWSTR pszName)
{
    WCHAR szPath[MAX_PATH];
    if (g_cFileRows >= FILE_TABLE_ROWS || !JoinPath(g_szCurrentFolder, pszName, szPath, ARRAYSIZE(szPath)))
        return -1;
    FileEntry &fe = g_aFileTable[g_cFileRows];
    HANDLE hFind = FindFirstFileW(szPath, &fe.fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return -1;
    FindClose(hFind);
    SetTypeKey(fe);
    fe.iIcon = -1;
    g_adwMarks[g_cFileRows] = 0;
    ++g_cFileRows;
    SendMessageW(s_hwndList, LVM_SETITEMCOUNT, g_cFileRows, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    InvalidateRect(s_hwndList, nullptr, TRUE);
    return g_cFileRows - 1;
}

static void DeselectAll()
{
    int i = -1;
    while ((i = (int)SendMessageW(s_hwndList, LVM_GETNEXTITEM, i, LVNI_SELECTED)) >= 0)
        SetRowState(i, 0, LVIS_SELECTED);
}

// The bar follows the row: the target row alone is selected and focused.
void MoveSelectionTo(int iRow)
{
    if (iRow < 0 || iRow >= g_cFileRows)
        return;
    DeselectAll();
    SetRowState(iRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageW(s_hwndList, LVM_ENSUREVISIBLE, iRow, FALSE);
}

static void OnPageMove(BOOL fDown)
{
    int iFrom = FirstSelectedRow();
    if (iFrom < 0)
        iFrom = (int)SendMessageW(s_hwndList, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED);
    if (iFrom < 0 || g_cFileRows == 0)
        return;
    int cPage = (int)SendMessageW(s_hwndList, LVM_GETCOUNTPERPAGE, 0, 0);
    int iTo = fDown ? iFrom + cPage : iFrom - cPage;
    if (iTo < 0)
        iTo = 0;
    if (iTo > g_cFileRows - 1)
        iTo = g_cFileRows - 1;
    MoveSelectionTo(iTo);
}

static void OnListKeyDown(WORD wVKey)
{
    switch (wVKey) {
    case VK_LEFT:
        OnPageMove(FALSE);
        break;
    case VK_RIGHT:
        OnPageMove(TRUE);
        break;
    case VK_F8:
        MoveSelectionTo(0);
        break;
    case VK_F9:
        MoveSelectionTo(g_cFileRows - 1);
        break;
    }
}

static void GoUp()
{
    WCHAR *pszCut = g_szCurrentFolder[0] ? wcsrchr(g_szCurrentFolder + 1, L'\\') : nullptr;
    if (pszCut)
        *pszCut = 0;
    else
        g_szCurrentFolder[0] = 0;
    PaintTitleStrip();
    ListFolder();
}

static void OnActivateRow(int iRow)
{
    if (s_fMultiSelect) {
        if (iRow >= 0 && iRow < g_cFileRows) {
            g_adwMarks[iRow] = g_adwMarks[iRow] == 0 ? 1 : 0;
            SendMessageW(s_hwndList, LVM_REDRAWITEMS, iRow, iRow);
        }
        return;
    }
    if (iRow < 0 || iRow >= g_cFileRows)
        return;
    if (IsParentRow(iRow)) {
        GoUp();
        return;
    }
    WCHAR szPath[MAX_PATH];
    // A path past 259 characters is refused: cutting it would name another file.
    if (!JoinPath(g_szCurrentFolder, g_aFileTable[iRow].fd.cFileName, szPath, ARRAYSIZE(szPath)))
        return;
    if (IsFolderRow(iRow)) {
        StringCchCopyW(g_szCurrentFolder, ARRAYSIZE(g_szCurrentFolder), szPath);
        PaintTitleStrip();
        ListFolder();
        return;
    }
    OpenFileItem(s_hwndList, g_szCurrentFolder, g_aFileTable[iRow].fd.cFileName);
}

// A row leaving the selection is repainted over the whole width the bar
// was filled, from x = 0; the list itself would leave the bar's first pixel.
static void OnRowStateChanged(const NMLISTVIEW *pnmlv)
{
    if (!(pnmlv->uChanged & LVIF_STATE) || !((pnmlv->uOldState ^ pnmlv->uNewState) & (LVIS_SELECTED | LVIS_FOCUSED)))
        return;
    RECT rc = {LVIR_BOUNDS, 0, 0, 0};
    if (pnmlv->iItem < 0 || !SendMessageW(s_hwndList, LVM_GETITEMRECT, pnmlv->iItem, (LPARAM)&rc)) {
        InvalidateRect(s_hwndList, nullptr, TRUE);
        return;
    }
    rc.left = 0;
    rc.right = LIST_BG_CX;
    InvalidateRect(s_hwndList, &rc, TRUE);
}

static LRESULT OnListNotify(NMHDR *pnm)
{
    switch (pnm->code) {
    case NM_CUSTOMDRAW:
        return ListCustomDraw((NMLVCUSTOMDRAW *)pnm, s_fMultiSelect, s_hbrSelection, DrawFileRow, &s_rdc);
    case LVN_ODFINDITEMW:
        return OnFindItem((NMLVFINDITEMW *)pnm);
    case LVN_ODCACHEHINT:
        RepaintStrips();
        return 0;
    case LVN_ITEMCHANGED:
        OnRowStateChanged((NMLISTVIEW *)pnm);
        return 0;
    case LVN_KEYDOWN:
        OnListKeyDown(((NMLVKEYDOWN *)pnm)->wVKey);
        return 0;
    case LVN_ITEMACTIVATE:
        // The action key activates the focused row; the desktop list's
        // notification does not always say which row that is.
        OnActivateRow((int)SendMessageW(s_hwndList, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED));
        return 0;
    }
    return 0;
}

// ---- bars and modes --------------------------------------------------------

static void ShowBar(HWND hwndBar, BOOL fShow)
{
    if (hwndBar)
        ShowWindow(hwndBar, fShow ? SW_SHOW : SW_HIDE);
}

static void OnActivate(HWND hwnd)
{
    if (s_fDestTreeShown) {
        DispatchToOwner(hwnd, IDM_DEST_ACTIVATE);
        return;
    }
    RestoreView();
}

void RestoreView()
{
    ShowBar(s_hwndBarTree, FALSE);
    ShowBar(s_hwndBarList, FALSE);
    // Multiple selection keeps its own bar over the current one.
    ShowBar(s_fMultiSelect ? s_hwndBarMulti : s_hwndCurrentBar, TRUE);
    if (s_fTreeMode && s_hwndTree) {
        SetFocus(s_hwndTree);
        ShowWindow(s_hwndTree, SW_SHOW);
        ShowWindow(s_hwndList, SW_HIDE);
        return;
    }
    SetFocus(s_hwndList);
    ShowWindow(s_hwndList, SW_SHOW);
    if (s_hwndTree)
        ShowWindow(s_hwndTree, SW_HIDE);
}

static void SetMultiSelect(BOOL fOn)
{
    s_fMultiSelect = fOn;
    s_rdc.fMultiSelect = fOn;
}

static void OnSelectMultiple()
{
    SetMultiSelect(TRUE);
    for (int i = 0; i < g_cFileRows; ++i) {
        s_adwSavedStates[i] = (DWORD)SendMessageW(s_hwndList, LVM_GETITEMSTATE, i, LVIS_SELECTED | LVIS_FOCUSED);
        g_adwMarks[i] = s_adwSavedStates[i] != 0;
    }
    InvalidateRect(s_hwndList, nullptr, TRUE);
    ShowBar(s_hwndBarMulti, TRUE);
    ShowBar(s_hwndBarList, FALSE);
    ShowBar(s_hwndBarTree, FALSE);
    PaintStatusStrip(FirstSelectedRow());
}

static void OnMultiDone()
{
    SetMultiSelect(FALSE);
    for (int i = 0; i < g_cFileRows; ++i)
        SetRowState(i, g_adwMarks[i] ? LVIS_SELECTED : 0, ALL_ITEM_STATES);
    InvalidateRect(s_hwndList, nullptr, TRUE);
    ShowBar(s_hwndBarMulti, FALSE);
    ShowBar(s_hwndBarList, TRUE);
    ShowBar(s_hwndBarTree, FALSE);
    RepaintStrips();
}

static void OnMultiCancel()
{
    SetMultiSelect(FALSE);
    for (int i = 0; i < g_cFileRows; ++i)
        SetRowState(i, s_adwSavedStates[i], ALL_ITEM_STATES);
    InvalidateRect(s_hwndList, nullptr, TRUE);
    ShowBar(s_hwndBarList, TRUE);
    ShowBar(s_hwndBarMulti, FALSE);
    ShowBar(s_hwndBarTree, FALSE);
    RepaintStrips();
}

enum MarkRule { MARK_ALL, MARK_NONE, MARK_FILES, MARK_FOLDERS, MARK_INVERT };

static void SetMarks(MarkRule rule)
{
    for (int i = 0; i < g_cFileRows; ++i) {
        switch (rule) {
        case MARK_ALL: g_adwMarks[i] = 1; break;
        case MARK_NONE: g_adwMarks[i] = 0; break;
        case MARK_FILES: g_adwMarks[i] = !IsFolderRow(i); break;
        case MARK_FOLDERS: g_adwMarks[i] = IsFolderRow(i); break;
        case MARK_INVERT: g_adwMarks[i] = g_adwMarks[i] == 0; break;
        }
    }
    InvalidateRect(s_hwndList, nullptr, TRUE);
}

static void OnSelectAll()
{
    SetRowState(-1, LVIS_SELECTED, LVIS_SELECTED);
}

static void OnSelectNone()
{
    SetRowState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    PaintTitleStrip();
    PaintStatusStrip(-1);
}

static void OnInvertSelect()
{
    for (int i = 0; i < g_cFileRows; ++i) {
        UINT uState = (UINT)SendMessageW(s_hwndList, LVM_GETITEMSTATE, i, LVIS_SELECTED);
        SetRowState(i, (uState & LVIS_SELECTED) ? 0 : LVIS_SELECTED, LVIS_SELECTED);
    }
    RepaintStrips();
}

static void ResortList()
{
    SortFileTable();
    ResetFileList();
    InvalidateRect(s_hwndList, nullptr, TRUE);
}

static void OnSortType(int iType)
{
    if (iType == g_iSortType)
        return;
    g_iSortType = iType;
    WriteSortType((DWORD)iType);
    ResortList();
}

static void OnSortOrder(DWORD dwOrder)
{
    WriteSortOrder(dwOrder);
    ResortList();
}

// ---- menus -----------------------------------------------------------------

BOOL IsListCommandGrayed(UINT uCmd, const SelectionFacts &sf)
{
    BOOL fNothing = sf.cSelected <= 0;
    switch (uCmd) {
    case IDM_MOVE_TO:
    case IDM_COPY_TO:
    case IDM_DELETE:
        return fNothing || (sf.cSelected == 1 && sf.fFirstIsParent);
    case IDM_RENAME:
        return fNothing || sf.fFirstIsParent || sf.cSelected > 1;
    case IDM_CREATE_SHORTCUT:
    case IDM_SEND_EMAIL:
    case IDM_SEND_IR:
        return fNothing || sf.fFirstIsFolder;
    case IDM_SEND_MMS:
    case IDM_SEND_BT:
    case IDM_RECEIVE_BT:
        return TRUE;
    case IDM_PROPERTIES:
        return fNothing || sf.fFirstIsParent;
    }
    return FALSE;
}

static void GrayItem(HMENU hmenu, UINT uCmd, BOOL fGrayed)
{
    EnableMenuItem(hmenu, uCmd, MF_BYCOMMAND | (fGrayed ? MF_GRAYED : MF_ENABLED));
}

static void CheckItem(HMENU hmenu, UINT uCmd, BOOL fChecked)
{
    CheckMenuItem(hmenu, uCmd, MF_BYCOMMAND | (fChecked ? MF_CHECKED : MF_UNCHECKED));
}

static void InitListMenu(HMENU hmenu)
{
    static const UINT kGrayable[] = {IDM_MOVE_TO, IDM_COPY_TO, IDM_DELETE, IDM_RENAME, IDM_CREATE_SHORTCUT,
                                     IDM_SEND_EMAIL, IDM_SEND_IR, IDM_SEND_MMS, IDM_SEND_BT, IDM_RECEIVE_BT,
                                     IDM_PROPERTIES};
    SelectionFacts sf = {};
    int iFirst = FirstSelectedRow();
    sf.cSelected = iFirst < 0 ? 0 : (int)SendMessageW(s_hwndList, LVM_GETSELECTEDCOUNT, 0, 0);
    sf.fFirstIsParent = IsParentRow(iFirst);
    sf.fFirstIsFolder = IsFolderRow(iFirst);
    for (UINT uCmd : kGrayable)
        GrayItem(hmenu, uCmd, IsListCommandGrayed(uCmd, sf));
    CheckItem(hmenu, IDM_SORT_NAME, g_iSortType == 1);
    CheckItem(hmenu, IDM_SORT_SIZE, g_iSortType == 2);
    CheckItem(hmenu, IDM_SORT_TYPE, g_iSortType == 3);
    CheckItem(hmenu, IDM_SORT_DATE, g_iSortType == 4);
    BOOL fAscending = ReadSortOrder();
    CheckItem(hmenu, IDM_SORT_ASCENDING, fAscending);
    CheckItem(hmenu, IDM_SORT_DESCENDING, !fAscending);
}

static void InitTreeMenu(HMENU hmenu)
{
    static const UINT kNodeCommands[] = {IDM_TREE_MOVE_TO, IDM_TREE_COPY_TO, IDM_TREE_RENAME, IDM_TREE_DELETE,
                                         IDM_TREE_PROPERTIES};
    HTREEITEM hSel = (HTREEITEM)SendMessageW(s_hwndTree, TVM_GETNEXTITEM, TVGN_CARET, 0);
    HTREEITEM hRoot = (HTREEITEM)SendMessageW(s_hwndTree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
    for (UINT uCmd : kNodeCommands)
        GrayItem(hmenu, uCmd, hSel == hRoot);
    GrayItem(hmenu, IDM_TREE_RECEIVE_BT, TRUE);
}

static void OnInitMenuPopup(HMENU hmenu)
{
    if (s_fTreeMode)
        InitTreeMenu(hmenu);
    else
        InitListMenu(hmenu);
}

// ---- commands --------------------------------------------------------------

static void ShowNotImplemented(LPCWSTR pszText)
{
    MessageBoxW(nullptr, pszText, L"send & receive", MB_OK);
}

static void OnAbout(HWND hwnd)
{
    WCHAR szText[256], szCaption[32];
    if (!LoadStringW(g_hInst, IDS_ABOUT_TEXT, szText, ARRAYSIZE(szText)) ||
        !LoadStringW(g_hInst, IDS_ABOUT, szCaption, ARRAYSIZE(szCaption)))
        return;
    MessageBoxW(hwnd, szText, szCaption, MB_ICONINFORMATION);
}

static void OnRename(HWND hwnd)
{
    if (s_fTreeMode || FirstSelectedRow() >= 0) {
        DispatchToOwner(hwnd, IDM_RENAME);
        return;
    }
    WCHAR szText[64];
    if (LoadStringW(g_hInst, IDS_SELECT_ITEM, szText, ARRAYSIZE(szText)))
        MessageBoxW(hwnd, szText, g_szTitle, MB_ICONHAND);
}

static void OnRefresh(HWND hwnd)
{
    if (s_fTreeMode) {
        DispatchToOwner(hwnd, IDM_TREE_REFRESH);
        return;
    }
    ListFolder();
    PaintTitleStrip();
}

// An operation that emptied a listing cut at the table's size leaves
// entries the table had no room for: read the folder again.
static void RelistIfEmptied()
{
    if (s_fTreeMode || !g_fListingIncomplete || g_cFileRows > (g_fAtRoot ? 0 : 1))
        return;
    ListFolder();
    RepaintStrips();
}

static BOOL OnCommand(HWND hwnd, UINT uCmd)
{
    switch (uCmd) {
    case IDM_EXIT:
    case IDM_TREE_EXIT: DestroyWindow(hwnd); return TRUE;
    case IDM_SELECT_MULTIPLE: OnSelectMultiple(); return TRUE;
    case IDM_MULTI_DONE: OnMultiDone(); return TRUE;
    case IDM_MULTI_CANCEL: OnMultiCancel(); return TRUE;
    case IDM_MULTI_SELECT_ALL: SetMarks(MARK_ALL); return TRUE;
    case IDM_MULTI_SELECT_NONE: SetMarks(MARK_NONE); return TRUE;
    case IDM_MULTI_SELECT_FILES: SetMarks(MARK_FILES); return TRUE;
    case IDM_MULTI_SELECT_FOLDERS: SetMarks(MARK_FOLDERS); return TRUE;
    case IDM_MULTI_INVERT: SetMarks(MARK_INVERT); return TRUE;
    case IDM_SELECT_ALL: OnSelectAll(); return TRUE;
    case IDM_SELECT_NONE: OnSelectNone(); return TRUE;
    case IDM_INVERT_SELECT: OnInvertSelect(); return TRUE;
    case IDM_SORT_NAME: OnSortType(1); return TRUE;
    case IDM_SORT_SIZE: OnSortType(2); return TRUE;
    case IDM_SORT_TYPE: OnSortType(3); return TRUE;
    case IDM_SORT_DATE: OnSortType(4); return TRUE;
    case IDM_SORT_ASCENDING: OnSortOrder(1); return TRUE;
    case IDM_SORT_DESCENDING: OnSortOrder(0); return TRUE;
    case IDM_RENAME: OnRename(hwnd); return TRUE;
    case IDM_REFRESH: OnRefresh(hwnd); return TRUE;
    case IDM_ABOUT:
    case IDM_TREE_ABOUT: OnAbout(hwnd); return TRUE;
    case IDM_SEND_MMS: ShowNotImplemented(L"send by MMS not implemented"); return TRUE;
    case IDM_SEND_BT: ShowNotImplemented(L"send by Bluetooth not implemented"); return TRUE;
    case IDM_RECEIVE_BT:
    case IDM_TREE_RECEIVE_BT: ShowNotImplemented(L"recevie from Bluetooth not implemented"); return TRUE;
    case IDM_TREE_VIEW:
    case IDM_LIST_VIEW:
    case IDM_TREE_REFRESH:
    case IDM_NEW_FOLDER:
    case IDM_TREE_NEW_FOLDER:
    case IDM_MOVE_TO:
    case IDM_TREE_MOVE_TO:
    case IDM_COPY_TO:
    case IDM_TREE_COPY_TO:
    case IDM_CREATE_SHORTCUT:
    case IDM_DEST_DONE:
    case IDM_DEST_CANCEL:
    case IDM_DELETE:
    case IDM_TREE_DELETE:
    case IDM_TREE_RENAME:
    case IDM_TREE_RENAME_CANCEL:
    case IDM_TREE_RENAME_DONE:
    case IDM_PROPERTIES:
    case IDM_TREE_PROPERTIES:
    case IDM_FIND:
    case IDM_TREE_FIND:
    case IDM_SEND_EMAIL:
    case IDM_SEND_IR:
    case IDM_RECEIVE_IR:
    case IDM_TREE_RECEIVE_IR:
    case IDM_OPTIONS:
    case IDM_TREE_OPTIONS:
        DispatchToOwner(hwnd, uCmd);
        RelistIfEmptied();
        return TRUE;
    }
    return FALSE;
}

// ---- creation and destruction ----------------------------------------------

HFONT CreateSystemFont(int iHeight, int iWeight)
{
    LOGFONTW lf = {};
    GetObjectW(GetStockObject(SYSTEM_FONT), sizeof(lf), &lf);
    lf.lfHeight = iHeight;
    lf.lfWidth = 0;
    lf.lfWeight = iWeight;
    return CreateFontIndirectW(&lf);
}

static BOOL CreateBars(HWND hwnd)
{
    s_hwndBarMulti = CreateSoftKeyBar(hwnd, IDR_BAR_MULTISELECT);
    if (!s_hwndBarMulti)
        return FALSE;
    ShowBar(s_hwndBarMulti, FALSE);
    s_hwndBarTree = CreateSoftKeyBar(hwnd, IDR_BAR_TREE);
    s_hwndBarList = CreateSoftKeyBar(hwnd, IDR_BAR_LIST);
    if (!s_hwndBarTree || !s_hwndBarList)
        return FALSE;
    ShowBar(s_hwndBarTree, FALSE);
    ShowBar(s_hwndBarList, TRUE);
    s_hwndCurrentBar = s_hwndBarList;
    return TRUE;
}

static BOOL CreateOwnImageList()
{
    s_himlOwn = ImageList_Create(16, 16, ILC_MASK, 0, 3);
    if (!s_himlOwn)
        return FALSE;
    static const UINT kIcons[] = {IDI_FOLDER, IDI_PARENT_FOLDER, IDI_FILE};
    for (UINT id : kIcons) {
        HICON hicon = (HICON)LoadImageW(g_hInst, MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, 0);
        if (!hicon || ImageList_AddIcon(s_himlOwn, hicon) < 0)
            return FALSE;
        DestroyIcon(hicon);
    }
    return TRUE;
}

static BOOL OnCreate(HWND hwnd)
{
    s_fCreated = FALSE;
    g_hwndMain = hwnd;
    s_fTreeMode = s_fDestTreeShown = FALSE;
    DispatchToOwner(hwnd, IDM_WINDOW_CREATED);
    SetMultiSelect(FALSE);
    if (!g_hdcListBackground && !BuildListBackground(hwnd, LIST_PATTERN_FILER))
        return FALSE;
    if (!s_hbrSelection) {
        s_hbrSelection = CreateSolidBrush(0x00FF0000);
        s_hbrTitle = CreateSolidBrush(0x0096FFFF);
        s_hbrStatus = CreateSolidBrush(0x0064FFFF);
    }
    if (!CreateBars(hwnd))
        return FALSE;
    SHFILEINFOW sfi = {};
    s_himlSystem = (HIMAGELIST)SHGetFileInfoW(L"\\", FILE_ATTRIBUTE_DIRECTORY, &sfi, sizeof(sfi),
                                              SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | SHGFI_SMALLICON);
    s_hfontList = CreateSystemFont(GetOption(OPT_SMALL_FONT) ? -12 : -14, FW_NORMAL);
    s_hfontStrip = CreateSystemFont(-12, FW_THIN);
    RECT rc;
    GetClientRect(hwnd, &rc);
    ListColumn col = {rc.right - GetSystemMetrics(SM_CXVSCROLL), LVCFMT_LEFT};
    rc.top += 20;
    rc.bottom -= 20;
    s_hwndList = CreateKitList(hwnd, nullptr, LVS_REPORT | LVS_OWNERDATA | LVS_NOCOLUMNHEADER, rc, IDC_FILELIST,
                               s_hfontList, &col, 1, TRUE);
    if (!s_hwndList || !CreateOwnImageList())
        return FALSE;
    SendMessageW(s_hwndList, LVM_SETIMAGELIST, LVSIL_SMALL, (LPARAM)s_himlOwn);
    g_hwndFileList = s_hwndList;
    s_rdc.himlOwn = s_himlOwn;
    s_rdc.himlSystem = s_himlSystem;
    s_rdc.pfnSelectedRowDrawn = OnSelectedRowDrawn;
    g_iSortType = NormalizeSortType(ReadSortType());
    if (GetOption(OPT_REMEMBER_FOLDER))
        ReadLastFolder(g_szCurrentFolder, ARRAYSIZE(g_szCurrentFolder));
    ListFolder();
    PaintTitleStrip();
    SubclassListBackground(s_hwndList);
    s_fCreated = TRUE;
    return TRUE;
}

static void OnDestroy()
{
    DispatchToOwner(g_hwndMain, IDM_WINDOW_DESTROYED);
    if (s_fCreated && GetOption(OPT_REMEMBER_FOLDER))
        WriteLastFolder(g_szCurrentFolder);
    s_fCreated = FALSE;
    g_hwndFileList = nullptr;
    s_hwndList = nullptr;
    g_hwndMain = nullptr;
    DeleteObject(s_hfontList);
    DeleteObject(s_hfontStrip);
    if (s_himlOwn)
        ImageList_Destroy(s_himlOwn);
    s_hfontList = s_hfontStrip = nullptr;
    s_himlOwn = nullptr;
    PostQuitMessage(0);
}

static LRESULT OnNotify(HWND hwnd, NMHDR *pnm)
{
    if (pnm->idFrom == IDC_FILELIST)
        return OnListNotify(pnm);
    if (pnm->idFrom == IDC_FOLDERTREE || pnm->idFrom == IDC_DESTTREE)
        return DispatchTreeNotify(hwnd, pnm);
    return 0;
}

static void OnEraseBackground(HWND hwnd)
{
    if (s_fDestTreeShown)
        return;
    (void)hwnd;
    if (s_fTreeMode) {
        if (g_hShowTreeSelectEvent)
            SetEvent(g_hShowTreeSelectEvent);  // the tree thread repaints its strips
        return;
    }
    RepaintStrips();
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_CREATE:
        return OnCreate(hwnd) ? 0 : -1;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) == WA_INACTIVE)
            break;
        OnActivate(hwnd);
        return 0;
    case WM_ERASEBKGND:
        OnEraseBackground(hwnd);
        return 1;
    case WM_NOTIFY:
        return OnNotify(hwnd, (NMHDR *)lp);
    case WM_COMMAND:
        if (OnCommand(hwnd, LOWORD(wp)))
            return 0;
        break;
    case WM_INITMENUPOPUP:
        OnInitMenuPopup((HMENU)wp);
        break;
    case WM_HOTKEY:
        HandleBackHotKey(wp, lp);
        return 0;
    }
    if (msg >= WM_TAVEL_FIRST && msg <= WM_TAVEL_LAST)
        return OnTavelMessage(hwnd, msg, wp, lp);
    return DefWindowProcW(hwnd, msg, wp, lp);
}
