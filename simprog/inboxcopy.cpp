// Inbox/SMS -> SIM: the Inbox's short messages in a check-box list; the
// user ticks no more of them than the SIM has free slots, and Start writes
// each ticked one to the SIM.
#include "morlin.h"
#include "smslist.h"
#include "simsms.h"
#include "transfer.h"
#include "kit.h"
#include "../res/morlin/resource.h"
#include <strsafe.h>

HWND CreateInboxList(HWND hdlg, HWND *phwndPreview, HWND *phwndFreeSlots)
{
    // On the handset's page, not the wider template: the fields are laid out
    // from the width the screen has.
    InitFullScreenDialog(hdlg);
    RECT rc;
    GetClientRect(hdlg, &rc);
    CreateSmsListAndPreview(hdlg, rc.bottom - 135, rc.right - GetSystemMetrics(SM_CXVSCROLL) - rc.left - 11,
                            rc.bottom - 135, 151, rc.bottom - 100);
    *phwndPreview = g_hwndSmsPreview;
    // Beside the preview up to the page's edge, without margins: a width of
    // R - 9 from x = 154 would put the count's last digit off the screen.
    *phwndFreeSlots = CreateWindowExW(0, L"EDIT", L"",
                                      WS_CHILD | WS_VISIBLE | WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL, 154,
                                      rc.bottom - 136, rc.right - 154, rc.bottom - 100, hdlg, nullptr, g_hInst, nullptr);
    if (*phwndFreeSlots)
        SendMessageW(*phwndFreeSlots, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    // Check boxes before the rows, so every row gets a clear one.
    ListView_SetExtendedListViewStyleEx(g_hwndSMS, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
                                        LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    if (!LoadInboxMessages(g_hwndSMS))
        return nullptr;
    SubclassSmsList(g_hwndSMS);
    SendMessageW(g_hwndSMS, WM_KEYDOWN, VK_UP, 1);
    return g_hwndSMS;
}

static void OnInboxCopyInit(HWND hdlg)
{
    HWND hwndPreview = nullptr;
    if (!CreateInboxList(hdlg, &hwndPreview, &g_hwndSmsFreeSlots)) {
        EndDialog(hdlg, 1);
        return;
    }
    if (!InitMorlinScreen(hdlg, IDR_BAR_INBOX, IDS_INBOX_TITLE))
        return;
    RefreshSmsCounters();
    SmsFreeSlotCount = FreeSlotsOf(g_dwSmsUsed, g_dwSmsTotal);
    ShowSmsFreeSlots();
}

// Ticks clear rows from the first until the free slots run out; the mark
// goes to the last row ticked (or the last row).
static void OnSelectAll()
{
    SetFocus(g_hwndSMS);
    if (SmsFreeSlotCount == 0) {
        ShowSmsFreeSlots();
        return;
    }
    int cRows = ListView_GetItemCount(g_hwndSMS);
    int iRow = 0;
    for (; iRow < cRows; ++iRow) {
        if (IsRowTicked(g_hwndSMS, iRow))
            continue;
        TickRow(g_hwndSMS, iRow, TRUE);
        if (--SmsFreeSlotCount == 0)
            break;
    }
    if (iRow >= cRows)
        iRow = cRows - 1;
    ListView_EnsureVisible(g_hwndSMS, iRow, FALSE);
    ListView_SetSelectionMark(g_hwndSMS, iRow);
    ShowSmsFreeSlots();
}

static void OnUnselectAll()
{
    SetFocus(g_hwndSMS);
    int cRows = ListView_GetItemCount(g_hwndSMS);
    for (int i = 0; i < cRows; ++i) {
        if (!IsRowTicked(g_hwndSMS, i))
            continue;
        TickRow(g_hwndSMS, i, FALSE);
        ++SmsFreeSlotCount;
    }
    ShowSmsFreeSlots();
}

// Writes one record to the SIM and reads the new message back.
static BOOL CopyRecordToSim(const SmsRecord *pr)
{
    SIMMESSAGE msg;
    ZeroMemory(&msg, sizeof(msg));
    msg.cbSize = sizeof(msg);
    StringCchCopyW(msg.lpszAddress, ARRAYSIZE(msg.lpszAddress), pr->address);
    StringCchCopyW(msg.lpszMessage, ARRAYSIZE(msg.lpszMessage), pr->text);
    DWORD dwIndex = 0;
    if (FAILED(KORU_SimWriteMessage(g_hSim, SIM_SMSSTORAGE_SIM, &dwIndex, &msg)))
        return FALSE;
    SIMMESSAGE msgBack;
    ZeroMemory(&msgBack, sizeof(msgBack));
    KORU_SimReadMessage(g_hSim, SIM_SMSSTORAGE_SIM, dwIndex, &msgBack);
    return TRUE;
}

// Copies the ticked rows in order, unticking each once it is on the SIM;
// the first failure stops the run and leaves the rest of the page as it is.
static void OnStart(HWND hdlg)
{
    int cTicked = CountTickedRows(g_hwndSMS);
    if (cTicked == 0)
        return;
    HWND hdlgProgress = ProgressDialog(hdlg);
    int cRows = ListView_GetItemCount(g_hwndSMS);
    int cCopied = 0;
    BOOL fFailed = FALSE;
    for (int r = 0; r < cRows; ++r) {
        if (!IsRowTicked(g_hwndSMS, r) || (DWORD)r >= g_cSmsRecords)
            continue;
        if (!CopyRecordToSim(&SmsRecords()[r])) {
            ShowSmsMessage(IDS_COPY_TO_SIM_FAILED, MB_ICONERROR);
            fFailed = TRUE;
            break;
        }
        // Copied: a second Start after a failure must not copy it again. Its
        // slot is taken now, so the free count stays as the tick left it.
        TickRow(g_hwndSMS, r, FALSE);
        ShowProgress(++cCopied, cTicked);
    }
    RefreshSmsCounters();
    if (cCopied > 0 && !fFailed) {
        ShowSmsMessage(IDS_INBOX_COPIED, MB_ICONINFORMATION);
        EndDialog(hdlg, 1);
    }
    DestroyProgressDialog(hdlgProgress);
}

static void OnCommand(HWND hdlg, UINT id)
{
    switch (id) {
    case IDM_INBOX_START: OnStart(hdlg); break;
    case IDM_INBOX_SELECT_ALL: OnSelectAll(); break;
    case IDM_INBOX_UNSELECT_ALL: OnUnselectAll(); break;
    case IDM_INBOX_CANCEL: EndDialog(hdlg, 1); break;
    }
}

INT_PTR CALLBACK InboxCopyProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_INITDIALOG:
        OnInboxCopyInit(hdlg);
        return FALSE;
    case WM_COMMAND:
        OnCommand(hdlg, LOWORD(wp));
        return TRUE;
    case WM_HOTKEY:
        HandleBackHotKey(wp, lp);
        return TRUE;
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE && g_hwndSMS)
            SetFocus(g_hwndSMS);
        return TRUE;
    case WM_DESTROY:
        g_hwndSmsFreeSlots = nullptr;
        ReleaseSmsListAndPreview();
        return FALSE;
    }
    return FALSE;
}
