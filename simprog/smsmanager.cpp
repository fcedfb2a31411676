// The SIM message list ("SMS manager"): one row per message on the SIM, the
// marked message's text under the list; New, Edit, Delete, SIM Status, Quit.
#include "morlin.h"
#include "smslist.h"
#include "trace.h"
#include "kit.h"
#include "../res/morlin/resource.h"

static void SelectRow(int iRow)
{
    ListView_SetItemState(g_hwndSMS, iRow, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
}

static void CreateListAndPreview(HWND hdlg)
{
    // On the handset's page, not the wider template: the fields are laid out
    // from the width the screen has.
    InitFullScreenDialog(hdlg);
    RECT rc;
    GetClientRect(hdlg, &rc);
    CreateSmsListAndPreview(hdlg, rc.bottom - 153, rc.right - GetSystemMetrics(SM_CXVSCROLL) - rc.left - 34,
                            rc.bottom - 153, rc.right - 14, rc.bottom - 99);
    ReadSMSfromSIM(g_hwndSMS);
    SubclassSmsList(g_hwndSMS);
    SendMessageW(g_hwndSMS, WM_KEYDOWN, VK_UP, 1);
}

static void OnSmsManagerInit(HWND hdlg)
{
    CreateListAndPreview(hdlg);
    InitMorlinScreen(hdlg, IDR_BAR_SMSLIST, IDS_SMS_MANAGER_TITLE);
    ListView_SetExtendedListViewStyle(g_hwndSMS, ListView_GetExtendedListViewStyle(g_hwndSMS) |
                                                     LVS_EX_FULLROWSELECT);
    if (g_dwSmsUsed > 0) {
        SelectRow(0);
        ShowSelectedMessage(0);
    }
}

// New and Edit need a free slot on the SIM.
static BOOL SimHasRoom()
{
    RefreshSmsCounters();
    if (g_dwSmsTotal == 0 || g_dwSmsUsed >= g_dwSmsTotal) {
        ShowSmsMessage(IDS_SMS_FULL, MB_ICONEXCLAMATION);
        return FALSE;
    }
    return TRUE;
}

static void RunEditSms(DWORD dwRow)
{
    g_dwCurrentIndex = dwRow;
    RunDialogFromTemplate(g_hInst, IDD_EDITSMS, g_hwndSMS, EditSmsProc, 0);
    g_dwCurrentIndex = SMS_NO_ROW;
}

static void OnNew()
{
    if (SimHasRoom())
        RunEditSms(SMS_NO_ROW);
}

static void OnEdit()
{
    if (!SimHasRoom())
        return;
    int iRow = (int)SendMessageW(g_hwndSMS, LVM_GETSELECTIONMARK, 0, 0);
    if (iRow < 0 || (DWORD)iRow >= g_cSmsRecords || SmsRecords()[iRow].index == 0)
        return;
    RunEditSms((DWORD)iRow);
}

static void OnDelete()
{
    if (ShowSmsMessage(IDS_ASK_DELETE_SMS, MB_YESNO | MB_ICONQUESTION) == IDYES) {
        int iRow = (int)SendMessageW(g_hwndSMS, LVM_GETSELECTIONMARK, 0, 0);
        if (iRow >= 0 && (DWORD)iRow < g_cSmsRecords && SmsRecords()[iRow].index != 0) {
            DWORD dwIndex = SmsRecords()[iRow].index;
            HRESULT hr = SimDeleteMessage(g_hSim, SIM_SMSSTORAGE_SIM, dwIndex);
            if (SUCCEEDED(hr)) {
                TRACE(L"SimDeleteMessage!! OK  [%x]dwIndex[%x] iPtr[%d]\r\n", 0, (unsigned)dwIndex, iRow);
                RemoveSmsRecord((DWORD)iRow);
                FillSmsList(g_hwndSMS);
                iRow = iRow > 0 ? iRow - 1 : 0;
            } else {
                // The message is still on the SIM: its row stays, and the user is told.
                TRACE(L"SimDeleteMessage!! fail [%x]n[%x] 111\r\n", (unsigned)hr, (unsigned)dwIndex);
                ShowSmsMessage(IDS_SMS_NOT_DELETED, MB_ICONERROR);
            }
            SelectRow(iRow);
            ShowSelectedMessage(iRow);
        }
    }
    RefreshSmsCounters();
}

static void OnInitMenuPopup(HMENU hmenu)
{
    UINT uFlags = MF_BYCOMMAND | (g_dwSmsUsed ? MF_ENABLED : MF_GRAYED);
    EnableMenuItem(hmenu, IDM_SMS_EDIT, uFlags);
    EnableMenuItem(hmenu, IDM_SMS_DELETE, uFlags);
}

static void OnCommand(HWND hdlg, UINT id)
{
    switch (id) {
    case IDM_SMS_NEW: OnNew(); break;
    case IDM_SMS_EDIT: OnEdit(); break;
    case IDM_SMS_DELETE: OnDelete(); break;
    case IDM_SIM_STATUS: RunDialogFromTemplate(g_hInst, IDD_SIMSTATUS, hdlg, SimStatusProc, 0); break;
    case IDM_SMS_QUIT: EndDialog(hdlg, 1); break;
    }
}

INT_PTR CALLBACK SmsManagerProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_INITDIALOG:
        OnSmsManagerInit(hdlg);
        return FALSE;
    case WM_COMMAND:
        OnCommand(hdlg, LOWORD(wp));
        return TRUE;
    case WM_INITMENUPOPUP:
        OnInitMenuPopup((HMENU)wp);
        return TRUE;
    case WM_HOTKEY:
        HandleBackHotKey(wp, lp);
        return TRUE;
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE && g_hwndSMS)
            SetFocus(g_hwndSMS);
        return TRUE;
    case WM_DESTROY:
        ReleaseSmsListAndPreview();
        return FALSE;
    }
    return FALSE;
}
