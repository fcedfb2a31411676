// Contacts -> SIM: every number of every contact is a row; the user ticks
// rows while the counter shows the SIM slots still free, and Start writes
// each ticked row as a new SIM entry.
#include "transfer.h"
#include "morlin.h"
#include "phonebook.h"
#include "trace.h"
#include "kit.h"
#include "../res/morlin/resource.h"

static HWND s_hwndList;
static WNDPROC s_pfnListProc;

static void ShowMarkedNumber(HWND hwndList)
{
    const ContactRecord *pRec = ContactRecordAt(ListView_GetSelectionMark(hwndList));
    if (pRec)
        ShowSelectedNumber(pRec->number);
}

// The action key ticks the marked row while a slot is free, or unticks it.
static BOOL OnActionKey(HWND hwnd)
{
    int iMark = ListView_GetSelectionMark(hwnd);
    TRACE(L"Action Selection mark %d\r\n", iMark);
    if (iMark < 0)
        return FALSE;
    if (!IsRowTicked(hwnd, iMark)) {
        if (FreeSlotCount == 0) {
            ShowMorlinMessage(nullptr, IDS_SIM_PB_FULL_TICK, MB_ICONEXCLAMATION);
            return FALSE;
        }
        --FreeSlotCount;
        TRACE(L"Action: free slot: DEC: %d\r\n", (int)FreeSlotCount);
        TickRow(hwnd, iMark, TRUE);
    } else {
        ++FreeSlotCount;
        TRACE(L"Action: free slot: INC: %d\r\n", (int)FreeSlotCount);
        TickRow(hwnd, iMark, FALSE);
    }
    ShowFreeSlots();
    return TRUE;
}

static LRESULT CALLBACK ContactsListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_GETDLGCODE)
        return TransferListDlgCode(s_pfnListProc, hwnd, wp, lp);
    if (msg != WM_KEYDOWN)
        return CallWindowProcW(s_pfnListProc, hwnd, msg, wp, lp);
    switch (wp) {
    case VK_UP:
    case VK_DOWN:
        TRACE(L"Contact Selection mark %d\r\n", StepSelectionMark(hwnd, wp == VK_UP ? -1 : 1));
        ShowMarkedNumber(hwnd);
        break;
    case VK_LEFT:
    case VK_RIGHT:
        TRACE(L"Action Selection mark %d\r\n", ListView_GetSelectionMark(hwnd));
        return 0;
    case VK_RETURN:
        // The tick is toggled here: the desktop list would only notify its parent.
        OnActionKey(hwnd);
        return 0;
    }
    return CallWindowProcW(s_pfnListProc, hwnd, msg, wp, lp);
}

static BOOL OnInitDialog(HWND hdlg)
{
    DWORD dwUsed = 0, dwTotal = 0;
    SimGetPhonebookStatus(g_hSim, SIM_PBSTORAGE_SIM, &dwUsed, &dwTotal);
    {
        PhoneBookLock lock;
        MyPhoneBook.dwSimUsed = dwUsed;
        MyPhoneBook.dwSimTotal = dwTotal;
    }
    FreeSlotCount = FreeSlotsOf(dwUsed, dwTotal);
    // Full screen first, so the controls are laid out on the handset's work area.
    InitFullScreenDialog(hdlg);
    RECT rc;
    GetClientRect(hdlg, &rc);
    int cxScroll = GetSystemMetrics(SM_CXVSCROLL);
    ListColumn cols[2] = {{rc.right - cxScroll - 34, LVCFMT_LEFT}, {23, LVCFMT_LEFT}};
    s_hwndList = CreateTransferControls(hdlg, cols, 2, TRUE);
    if (!s_hwndList || !FillContactsList(s_hwndList)) {
        EndDialog(hdlg, IDCANCEL);
        return FALSE;
    }
    s_pfnListProc = (WNDPROC)SetWindowLongPtrW(s_hwndList, GWLP_WNDPROC, (LONG_PTR)ContactsListProc);
    ShowFreeSlots();
    if (!InitMorlinScreen(hdlg, IDR_BAR_CONTACTS2SIM, IDS_CONTACTS2SIM_TITLE))
        return FALSE;
    ShowMarkedNumber(s_hwndList);
    SetFocus(s_hwndList);
    return FALSE;
}

static void OnSelectAll()
{
    int cRows = ListView_GetItemCount(s_hwndList);
    int i = 0;
    for (; i < cRows; ++i) {
        if (IsRowTicked(s_hwndList, i))
            continue;
        if (FreeSlotCount == 0)
            break;  // this row no longer fits
        TickRow(s_hwndList, i, TRUE);
        --FreeSlotCount;
    }
    MarkRow(s_hwndList, i < cRows ? i : cRows - 1);
    ShowMarkedNumber(s_hwndList);
    ShowFreeSlots();
}

static void OnUnselectAll()
{
    int cRows = ListView_GetItemCount(s_hwndList);
    for (int i = 0; i < cRows; ++i) {
        if (!IsRowTicked(s_hwndList, i))
            continue;
        TickRow(s_hwndList, i, FALSE);
        ++FreeSlotCount;
    }
    ShowFreeSlots();
}

// Writes one ticked row; FALSE stops the run (after its message).
static BOOL WriteRow(HWND hdlg, const ContactRecord *pRec, BOOL *pfClose)
{
    if (!pRec || !pRec->number[0]) {
        ShowMorlinMessage(hdlg, IDS_NUMBER_EMPTY, MB_ICONHAND);
        return FALSE;
    }
    if (IsPhoneBookFull()) {
        ShowMorlinMessage(hdlg, IDS_PB_FULL, MB_ICONEXCLAMATION);
        *pfClose = TRUE;
        return FALSE;
    }
    if (!WriteNewPhoneBookEntry(pRec->name, pRec->number)) {
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
    HWND hdlgProgress = ProgressDialog(hdlg);
    int cRows = ListView_GetItemCount(s_hwndList);
    BOOL fClose = FALSE;
    BOOL fStopped = FALSE;
    for (int r = 0; r < cRows && !fStopped; ++r) {
        if (!IsRowTicked(s_hwndList, r))
            continue;
        if (!WriteRow(hdlg, ContactRecordAt(r), &fClose)) {
            TRACE(L"SaveContact2SIM fails, break!\r\n");
            fStopped = TRUE;
            break;
        }
        // Written: a second Start after a stop must not write it again. Its
        // slot is taken now, so the counter stays as the tick left it.
        TickRow(s_hwndList, r, FALSE);
        // The row's position, not the count written so far.
        ShowProgress(r, cTicked);
    }
    DestroyProgressDialog(hdlgProgress);
    if (!fStopped) {
        ShowMorlinMessage(hdlg, IDS_ADDED, MB_ICONASTERISK);
        fClose = TRUE;
    }
    DumpPhoneBook();
    if (fClose)
        EndDialog(hdlg, fStopped ? IDCANCEL : IDOK);
}

static void OnCommand(HWND hdlg, UINT id)
{
    switch (id) {
    case IDM_CONTACTS2SIM_START: OnStart(hdlg); break;
    case IDM_CONTACTS2SIM_SELECT_ALL: OnSelectAll(); break;
    case IDM_CONTACTS2SIM_UNSELECT_ALL: OnUnselectAll(); break;
    case IDM_CONTACTS2SIM_CANCEL: EndDialog(hdlg, IDCANCEL); break;
    case IDCANCEL: EndDialog(hdlg, IDCANCEL); break;
    }
}

INT_PTR CALLBACK SaveContact2SIM(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp)
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
