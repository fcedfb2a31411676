// SIM -> Contacts: the SIM entries, last cached first; each ticked one
// becomes a new contact on Start.
#include "transfer.h"
#include "morlin.h"
#include "phonebook.h"
#include "trace.h"
#include "kit.h"
#include "../res/morlin/resource.h"
#include <strsafe.h>

static HWND s_hwndList;
static WNDPROC s_pfnListProc;

static int RowSimIndex(HWND hwndList, int iRow)
{
    LVITEMW item;
    ZeroMemory(&item, sizeof(item));
    item.mask = LVIF_IMAGE;
    item.iItem = iRow;
    if (!SendMessageW(hwndList, LVM_GETITEMW, 0, (LPARAM)&item))
        return -1;
    return item.iImage;
}

static void ShowMarkedEntry(HWND hwndList, int iMark)
{
    TRACE(L"SIMPBListviewProc SelectMark: %d\r\n", iMark);
    int iImage = RowSimIndex(hwndList, iMark);
    WCHAR szNumber[MAX_LENGTH_ADDRESS];
    szNumber[0] = 0;
    const SIMPHONEBOOKENTRY *pEntry;
    {
        PhoneBookLock lock;
        pEntry = iImage >= 0 ? FindPhoneBookRecord((WORD)iImage) : nullptr;
        if (pEntry)
            StringCchCopyW(szNumber, ARRAYSIZE(szNumber), pEntry->lpszAddress);
    }
    TRACE(L"SIMPBListviewProc SelectMark2: spbe: %d, iImage: %d, Mark: %d\r\n", (int)(INT_PTR)pEntry, iImage, iMark);
    ShowSelectedNumber(szNumber);
}

static void PaintListIcons(HWND hwnd)
{
    TRACE(L"SIMPBListviewProc WM_PAINT\r\n");
    TRACE(L"SIMPBListviewProc WM_PAINT, wCount: %d\r\n", ListView_GetItemCount(hwnd));
    // At the right end of the rows, clear of the list's scroll bar.
    RECT rc;
    GetClientRect(hwnd, &rc);
    PaintRowIcons(hwnd, rc.right - 16);
}

static LRESULT CALLBACK SIMPBListviewProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_GETDLGCODE:
        return TransferListDlgCode(s_pfnListProc, hwnd, wp, lp);
    case WM_PAINT:
        CallWindowProcW(s_pfnListProc, hwnd, msg, wp, lp);
        PaintListIcons(hwnd);
        return 0;
    case WM_KEYDOWN:
        break;
    default:
        return CallWindowProcW(s_pfnListProc, hwnd, msg, wp, lp);
    }
    switch (wp) {
    case VK_UP:
    case VK_DOWN: {
        int iMark = StepSelectionMark(hwnd, wp == VK_UP ? -1 : 1);
        TRACE(L"SIMPBListviewProc: Selection mark %d\r\n", iMark);
        ShowMarkedEntry(hwnd, iMark);
        break;
    }
    case VK_LEFT:
    case VK_RIGHT:
        return 0;
    case VK_RETURN: {
        // The tick is toggled here: the desktop list would only notify its parent.
        int iMark = ListView_GetSelectionMark(hwnd);
        if (iMark >= 0)
            TickRow(hwnd, iMark, !IsRowTicked(hwnd, iMark));
        return 0;
    }
    }
    return CallWindowProcW(s_pfnListProc, hwnd, msg, wp, lp);
}

// One row per cached entry, each put on top, so the last cached comes first.
static BOOL FillSimList(HWND hwndList)
{
    PhoneBookLock lock;
    WORD wUsed = MyPhoneBook.wUsed;
    if (!wUsed)
        return FALSE;
    HWND hdlgProgress = ProgressDialog(hwndList);
    for (WORD i = 0; i < wUsed; ++i) {
        const PhoneBookRecord &rec = MyPhoneBook.pRecords[i];
        WCHAR szText[MAX_LENGTH_PHONEBOOKENTRYTEXT];
        StringCchCopyW(szText, ARRAYSIZE(szText), EntryDisplayText(&rec.entry));
        LVITEMW item;
        ZeroMemory(&item, sizeof(item));
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE;
        item.iItem = 0;
        item.pszText = szText;
        item.iImage = rec.wIndex;
        item.state = INDEXTOSTATEIMAGEMASK(TICK_OFF);
        item.stateMask = LVIS_STATEIMAGEMASK;
        SendMessageW(hwndList, LVM_INSERTITEMW, 0, (LPARAM)&item);
        ShowProgress(i + 1, wUsed);
    }
    MarkRow(hwndList, 0);
    DestroyProgressDialog(hdlgProgress);
    return TRUE;
}

static BOOL OnInitDialog(HWND hdlg)
{
    // Full screen first, so the controls are laid out on the handset's work area.
    InitFullScreenDialog(hdlg);
    RECT rc;
    GetClientRect(hdlg, &rc);
    // The list is 9 narrower than the dialog; its border takes 2 more, or a
    // horizontal scroll bar would cover a row.
    ListColumn col = {rc.right - GetSystemMetrics(SM_CXVSCROLL) - 9 - 2, LVCFMT_LEFT};
    s_hwndList = CreateTransferControls(hdlg, &col, 1, FALSE);
    if (!s_hwndList || !FillSimList(s_hwndList)) {
        ShowMorlinMessage(hdlg, IDS_SIM_PB_EMPTY, MB_ICONHAND);
        EndDialog(hdlg, IDCANCEL);
        return FALSE;
    }
    s_pfnListProc = (WNDPROC)SetWindowLongPtrW(s_hwndList, GWLP_WNDPROC, (LONG_PTR)SIMPBListviewProc);
    if (!InitMorlinScreen(hdlg, IDR_BAR_SIM2CONTACTS, IDS_SIM2CONTACTS_TITLE))
        return FALSE;
    // The row marked at the start shows its number before any key.
    ShowMarkedEntry(s_hwndList, ListView_GetSelectionMark(s_hwndList));
    SetFocus(s_hwndList);
    return FALSE;
}

static void TickAll(BOOL fTicked)
{
    int cRows = ListView_GetItemCount(s_hwndList);
    for (int i = 0; i < cRows; ++i)
        TickRow(s_hwndList, i, fTicked);
}

// Copies one ticked row; FALSE stops the run.
static BOOL CopyRow(HWND hdlg, int iRow)
{
    int iImage = RowSimIndex(s_hwndList, iRow);
    WCHAR szName[MAX_LENGTH_PHONEBOOKENTRYTEXT];
    WCHAR szNumber[MAX_LENGTH_ADDRESS];
    const SIMPHONEBOOKENTRY *pEntry;
    {
        PhoneBookLock lock;
        pEntry = iImage >= 0 ? FindPhoneBookRecord((WORD)iImage) : nullptr;
        if (pEntry) {
            StringCchCopyW(szName, ARRAYSIZE(szName), pEntry->lpszText);
            StringCchCopyW(szNumber, ARRAYSIZE(szNumber), pEntry->lpszAddress);
        }
    }
    if (!pEntry) {
        TRACE(L"SaveSIM2Contacts failed, break! id:%d Imgae:%d spbe:%d\r\n", iRow, iImage, 0);
        return FALSE;
    }
    if (!szNumber[0]) {
        ShowMorlinMessage(hdlg, IDS_NUMBER_EMPTY, MB_ICONHAND);
        return FALSE;
    }
    if (GetIPSMAvailableSpace() < IPSM_MIN_FREE) {
        // Say why nothing more is copied.
        ShowMorlinMessage(hdlg, IDS_IPSM_FULL, MB_ICONEXCLAMATION);
        return FALSE;
    }
    if (!AddEntryToContacts(szName, szNumber)) {
        ShowMorlinMessage(hdlg, IDS_ADD_FAILED, MB_ICONHAND);
        return FALSE;
    }
    return TRUE;
}

static void OnStart(HWND hdlg)
{
    int cTicked = CountTickedRows(s_hwndList);
    if (cTicked == 0)
        return;
    HWND hdlgProgress = ProgressDialog(s_hwndList);
    int cRows = ListView_GetItemCount(s_hwndList);
    int cCopied = 0;
    BOOL fStopped = FALSE;
    for (int i = 0; i < cRows; ++i) {
        if (!IsRowTicked(s_hwndList, i))
            continue;
        if (!CopyRow(hdlg, i)) {
            TRACE(L"SaveSIM2Contacts failed2, break!\r\n");
            fStopped = TRUE;
            break;
        }
        // Copied: a second Start after a stop must not copy it again.
        TickRow(s_hwndList, i, FALSE);
        ShowProgress(++cCopied, cTicked);
    }
    DestroyProgressDialog(hdlgProgress);
    if (fStopped)
        return;  // the rows not copied keep their ticks
    ShowMorlinMessage(hdlg, IDS_ADDED_TO_OUTLOOK, MB_ICONASTERISK);
    EndDialog(hdlg, IDOK);
}

static void OnCommand(HWND hdlg, UINT id)
{
    switch (id) {
    case IDM_SIM2CONTACTS_START: OnStart(hdlg); break;
    case IDM_SIM2CONTACTS_SELECT_ALL: TickAll(TRUE); break;
    case IDM_SIM2CONTACTS_UNSELECT_ALL: TickAll(FALSE); break;
    case IDM_SIM2CONTACTS_CANCEL: EndDialog(hdlg, IDCANCEL); break;
    case IDCANCEL: EndDialog(hdlg, IDCANCEL); break;
    }
}

INT_PTR CALLBACK SaveSIM2Contacts(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog(hdlg);
    case WM_COMMAND:
        OnCommand(hdlg, LOWORD(wp));
        return TRUE;
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE && s_hwndList)
            SetFocus(s_hwndList);
        return TRUE;
    case WM_HOTKEY:
        HandleBackHotKey(wp, lp);
        return TRUE;
    case WM_DESTROY:
        ReleaseTransferControls();
        s_hwndList = nullptr;
        return FALSE;
    }
    return FALSE;
}
