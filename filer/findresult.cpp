// The result page: the list the worker fills while it searches, the status
// strip, Stop and Close, the page keys and opening a found file. The page
// never goes away while its worker runs: Close and destroy wait for it.
#include "find.h"
#include "filelist.h"
#include "mainwnd.h"
#include "openfile.h"
#include "kit.h"
#include "listkit.h"
#include "../res/tavel/resource.h"
#include <commctrl.h>
#include <shellapi.h>
#include <strsafe.h>
#include <initializer_list>

#define STRIP_TOP 160

static HWND s_hwndList;
static HWND s_hwndStopBar;
static HWND s_hwndCloseBar;
static HIMAGELIST s_himl;
static HFONT s_hfontList;
static HANDLE s_hWorker;
static CRITICAL_SECTION s_csStrip;
static WCHAR s_szStrip[MAX_PATH + 2];
// Images of the icons the worker keeps, so each is copied into the list once.
static struct {
    HICON hIcon;
    int iImage;
} s_aImages[16];
static int s_cImages;

// ---- status strip -------------------------------------------------------------

// Sends nothing to the page: the worker draws here while the page may be
// waiting for it.
static void DrawStrip(HDC hdc, LPCWSTR pszText)
{
    Rectangle(hdc, -1, STRIP_TOP, 177, STRIP_TOP + 21);
    RECT rc = {2, STRIP_TOP, 175, STRIP_TOP + 20};
    HGDIOBJ hfontOld = SelectObject(hdc, s_hfontList);
    SetBkMode(hdc, TRANSPARENT);
    DrawTextW(hdc, pszText, -1, &rc, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(hdc, hfontOld);
}

static void FormatCount(WCHAR *psz, size_t cch)
{
    WCHAR szFormat[64];
    UINT ids = IsFindTruncated() ? IDS_FIND_FOUND_MORE : IDS_FIND_FOUND;
    if (!LoadStringW(g_hInst, ids, szFormat, ARRAYSIZE(szFormat)))
        szFormat[0] = 0;
    StringCchPrintfW(psz, cch, szFormat, GetFoundCount());
}

// The lock only guards the remembered text, never a message or a wait.
static void PaintStripOn(HDC hdc, LPCWSTR pszFolder)
{
    static bool s_fInit = (InitializeCriticalSection(&s_csStrip), true);
    (void)s_fInit;
    WCHAR szText[ARRAYSIZE(s_szStrip)];
    if (pszFolder)
        StringCchPrintfW(szText, ARRAYSIZE(szText), L"%s\\", pszFolder);
    else
        FormatCount(szText, ARRAYSIZE(szText));
    EnterCriticalSection(&s_csStrip);
    StringCchCopyW(s_szStrip, ARRAYSIZE(s_szStrip), szText);
    LeaveCriticalSection(&s_csStrip);
    DrawStrip(hdc, szText);
}

void PaintFindStrip(HWND hwndPage, LPCWSTR pszFolder)
{
    HDC hdc = GetDC(hwndPage);
    if (!hdc)
        return;
    PaintStripOn(hdc, pszFolder);
    ReleaseDC(hwndPage, hdc);
}

LPCWSTR GetFindStripText() { return s_szStrip; }

// ---- the worker's rows --------------------------------------------------------

static int ImageOf(const FoundFile &ff)
{
    for (int i = 0; ff.fIconKept && i < s_cImages; ++i)
        if (s_aImages[i].hIcon == ff.hIcon)
            return s_aImages[i].iImage;
    ImageList_ReplaceIcon(s_himl, -1, ff.hIcon);
    int iImage = ImageList_GetImageCount(s_himl) - 1;
    if (ff.fIconKept && s_cImages < (int)ARRAYSIZE(s_aImages))
        s_aImages[s_cImages++] = {ff.hIcon, iImage};
    return iImage;
}

// The rows added of a batch; fewer than given when the table is full. The
// list holds no rows of its own (owner data): one count change shows the
// whole batch, where inserting row by row cost about a millisecond a row.
static int OnAddRows(int cFiles, const FoundFile *pFiles)
{
    int i = 0;
    while (i < cFiles && GetFoundCount() < FIND_RESULT_ROWS && RecordFoundRow(pFiles[i], ImageOf(pFiles[i])))
        ++i;
    SendMessageW(s_hwndList, LVM_SETITEMCOUNT, GetFoundCount(), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    return i;
}

// The list asks for what it shows of a row.
static void OnGetDispInfo(NMLVDISPINFOW *pdi)
{
    LVITEMW &lvi = pdi->item;
    const FoundRow *pRow = GetFoundRow(lvi.iItem);
    if (!pRow)
        return;
    if ((lvi.mask & LVIF_TEXT) && lvi.pszText && lvi.cchTextMax > 0)
        StringCchCopyW(lvi.pszText, lvi.cchTextMax, lvi.iSubItem == 1 ? pRow->szSize : pRow->szName);
    if (lvi.mask & LVIF_IMAGE)
        lvi.iImage = pRow->iImage;
}

// ---- keys -------------------------------------------------------------------------

static int SelectedRow() { return (int)SendMessageW(s_hwndList, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED); }

// The row gets the focused state alone (its other state bits cleared).
static void FocusRowOnly(int iRow, UINT uExtra)
{
    LVITEMW lvi = {};
    lvi.stateMask = (UINT)-1;
    lvi.state = LVIS_FOCUSED | uExtra;
    SendMessageW(s_hwndList, LVM_SETITEMSTATE, iRow, (LPARAM)&lvi);
}

static void PressKey(BYTE vk)
{
    keybd_event(vk, 0, 0, 0);
    keybd_event(vk, 0, KEYEVENTF_KEYUP, 0);
}

static void OnPageKey(int iDirection)
{
    int cRows = (int)SendMessageW(s_hwndList, LVM_GETITEMCOUNT, 0, 0);
    if (cRows == 0)
        return;
    int cPage = (int)SendMessageW(s_hwndList, LVM_GETCOUNTPERPAGE, 0, 0);
    int iRow = SelectedRow() + iDirection * (cPage > 0 ? cPage : 1);
    iRow = iRow < 0 ? 0 : (iRow >= cRows ? cRows - 1 : iRow);
    // The old selection goes, so the page jump is where the user stands.
    LVITEMW lvi = {};
    lvi.stateMask = LVIS_SELECTED;
    SendMessageW(s_hwndList, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&lvi);
    FocusRowOnly(iRow, LVIS_SELECTED);
    SendMessageW(s_hwndList, LVM_ENSUREVISIBLE, iRow, FALSE);
}

static void OnEndKey(BOOL fLast)
{
    int cRows = (int)SendMessageW(s_hwndList, LVM_GETITEMCOUNT, 0, 0);
    if (cRows == 0)
        return;
    FocusRowOnly(fLast ? cRows - 1 : 0, 0);
    // The list moves its selection onto the focused row itself.
    PressKey(fLast ? VK_UP : VK_DOWN);
    PressKey(fLast ? VK_DOWN : VK_UP);
}

static LRESULT OnListKeyDown(const NMLVKEYDOWN *pkd)
{
    switch (pkd->wVKey) {
    case VK_LEFT: OnPageKey(-1); return TRUE;
    case VK_RIGHT: OnPageKey(1); return TRUE;
    case VK_F8: OnEndKey(FALSE); return TRUE;
    case VK_F9: OnEndKey(TRUE); return TRUE;
    }
    return FALSE;
}

static void OnAction()
{
    const FoundRow *pRow = GetFoundRow(SelectedRow());
    if (pRow)
        OpenFileItem(s_hwndList, pRow->szFolder, pRow->szName);
}

// ---- opening, Stop, Close -------------------------------------------------------

static BOOL CreateResultList(HWND hdlg)
{
    RECT rc;
    GetClientRect(hdlg, &rc);
    rc.bottom -= 20;
    int cxName = rc.right - GetSystemMetrics(SM_CXVSCROLL) - 50;
    ListColumn aCols[2] = {{cxName, LVCFMT_LEFT}, {50, LVCFMT_RIGHT}};
    s_hfontList = CreateSystemFont(-12, FW_NORMAL);
    s_cImages = 0;
    s_hwndList = CreateKitList(hdlg, L"LISTITEM", LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA,
                               rc, IDC_FIND_LIST, s_hfontList, aCols, 2, FALSE);
    s_himl = ImageList_Create(16, 16, ILC_MASK | ILC_COLOR32, 16, 16);
    if (!s_hwndList || !s_himl)
        return FALSE;
    SendMessageW(s_hwndList, LVM_SETIMAGELIST, LVSIL_SMALL, (LPARAM)s_himl);
    return TRUE;
}

static BOOL OnInitDialog(HWND hdlg)
{
    if (!InitFullScreenDialog(hdlg) || !(s_hwndStopBar = CreateSoftKeyBar(hdlg, IDR_BAR_FIND_STOP)) ||
        !(s_hwndCloseBar = CreateSoftKeyBar(hdlg, IDR_BAR_FIND_CLOSE)) || !CreateResultList(hdlg)) {
        EndDialog(hdlg, IDCANCEL);
        return FALSE;
    }
    ShowWindow(s_hwndCloseBar, SW_HIDE);
    ShowWindow(s_hwndStopBar, SW_SHOW);
    WCHAR sz[32];
    if (LoadStringW(g_hInst, IDS_FIND_RESULT, sz, ARRAYSIZE(sz)))
        SetWindowTextW(hdlg, sz);
    SetFocus(s_hwndList);
    OverrideBackKey(s_hwndStopBar);
    OverrideBackKey(s_hwndCloseBar);
    // The handle is kept, not released at once: Close waits on it.
    s_hWorker = StartFindWorker(hdlg, g_findSettings);
    if (!s_hWorker)
        SendMessageW(hdlg, WM_COMMAND, IDM_FIND_STOP, 0);
    return FALSE;
}

static void OnStop(HWND hdlg)
{
    StopFind();
    ShowWindow(s_hwndStopBar, SW_HIDE);
    ShowWindow(s_hwndCloseBar, SW_SHOW);
    PaintFindStrip(hdlg, nullptr);
}

// Stops the worker and waits for it, answering the rows and the Stop it
// sends meanwhile so it can never block on this thread. A send already
// waiting counts too (MWMO_INPUTAVAILABLE): one this thread has looked at
// but not answered would otherwise never wake the wait.
static void WaitForWorker()
{
    if (!s_hWorker)
        return;
    StopFind();
    while (MsgWaitForMultipleObjectsEx(1, &s_hWorker, INFINITE, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE) ==
           WAIT_OBJECT_0 + 1) {
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    CloseHandle(s_hWorker);
    s_hWorker = nullptr;
}

static void OnClose(HWND hdlg)
{
    WaitForWorker();
    EndDialog(hdlg, IDOK);
}

static void OnDestroy()
{
    WaitForWorker();
    if (s_himl)
        ImageList_Destroy(s_himl);
    if (s_hwndList)
        DestroyWindow(s_hwndList);
    for (HWND hwndBar : {s_hwndStopBar, s_hwndCloseBar})
        if (hwndBar)
            DestroyWindow(hwndBar);
    if (s_hfontList)
        DeleteObject(s_hfontList);
    s_himl = nullptr;
    s_hwndList = s_hwndStopBar = s_hwndCloseBar = nullptr;
    s_hfontList = nullptr;
}

static BOOL OnEraseBackground(HWND hdlg, HDC hdc)
{
    RECT rc;
    GetClientRect(hdlg, &rc);
    FillRect(hdc, &rc, GetSysColorBrush(COLOR_WINDOW));
    PaintStripOn(hdc, nullptr);
    return TRUE;
}

static void OnCommand(HWND hdlg, UINT id)
{
    switch (id) {
    case IDM_FIND_STOP: OnStop(hdlg); break;
    case IDM_FIND_CLOSE: OnClose(hdlg); break;
    case IDOK: OnAction(); break;
    }
}

static INT_PTR Answer(HWND hdlg, LRESULT lr)
{
    SetWindowLongPtrW(hdlg, DWLP_MSGRESULT, lr);
    return TRUE;
}

static INT_PTR OnNotify(HWND hdlg, NMHDR *pnm)
{
    if (pnm->idFrom != IDC_FIND_LIST)
        return FALSE;
    switch (pnm->code) {
    case LVN_KEYDOWN:
        return Answer(hdlg, OnListKeyDown((NMLVKEYDOWN *)pnm));
    case LVN_GETDISPINFOW:
        OnGetDispInfo((NMLVDISPINFOW *)pnm);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK FindResultProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog(hdlg);
    case WM_COMMAND:
        OnCommand(hdlg, LOWORD(wp));
        return TRUE;
    case WM_NOTIFY:
        return OnNotify(hdlg, (NMHDR *)lp);
    case WM_FIND_ADDROWS:
        return Answer(hdlg, OnAddRows((int)wp, (const FoundFile *)lp));
    case WM_ERASEBKGND:
        return Answer(hdlg, OnEraseBackground(hdlg, (HDC)wp));
    case WM_HOTKEY:
        HandleBackHotKey(wp, lp);
        return TRUE;
    case WM_DESTROY:
        OnDestroy();
        return FALSE;
    }
    return FALSE;
}
