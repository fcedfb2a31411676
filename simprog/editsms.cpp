// Edit SMS: a destination and a text stored on the SIM as a new message,
// with the characters left under the text's label.
#include "morlin.h"
#include "smslist.h"
#include "simsms.h"
#include "trace.h"
#include "kit.h"
#include "../res/morlin/resource.h"
#include <strsafe.h>
#include <initializer_list>

static HWND s_hdlgEdit;
static WNDPROC s_pfnContentProc;
static BOOL s_fLeaveUp;

void UpdateCharCounter()
{
    WCHAR szText[500];
    GetDlgItemTextW(s_hdlgEdit, IDC_SMS_CONTENT, szText, ARRAYSIZE(szText));
    // An extension character takes two of the 160.
    BOOL fGsm = IsStrGsmAlphaOnlyUCS2(szText);
    int cch = fGsm ? (int)GsmSeptetCount(szText) : GetWindowTextLengthW(GetDlgItem(s_hdlgEdit, IDC_SMS_CONTENT));
    int cLimit = fGsm ? SMS_GSM_MAX : SMS_UCS2_MAX;
    WCHAR szLine[50];
    WCHAR szFormat[32];
    WCHAR szLeft[32];
    if (!LoadStringW(g_hInst, IDS_SMS_CONTENT, szLine, ARRAYSIZE(szLine)))
        szLine[0] = 0;
    if (cch > 0 && LoadStringW(g_hInst, IDS_SMS_CHARS_LEFT, szFormat, ARRAYSIZE(szFormat)) &&
        SUCCEEDED(StringCchPrintfW(szLeft, ARRAYSIZE(szLeft), szFormat, cLimit - cch)))
        StringCchCatW(szLine, ARRAYSIZE(szLine), szLeft);
    SetDlgItemTextW(s_hdlgEdit, IDC_SMS_COUNTER, szLine);
}

LRESULT CALLBACK SmsContentEditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_SETFOCUS:
        SendMessageW(hwnd, EM_SETSEL, 0, 0);
        break;
    case WM_KEYDOWN: {
        LRESULT iLineStart = SendMessageW(hwnd, EM_LINEINDEX, (WPARAM)-1, 0);
        DWORD dwStart = 0;
        SendMessageW(hwnd, EM_GETSEL, (WPARAM)&dwStart, 0);
        // On the first line one Up goes to the start of the text, the next to the number.
        if (wp == VK_UP && iLineStart == 0) {
            if (dwStart == 0) {
                s_fLeaveUp = TRUE;
                UpdateCharCounter();
            } else {
                SendMessageW(hwnd, EM_SETSEL, 0, 0);
            }
        }
        UpdateCharCounter();
        break;
    }
    case WM_KEYUP:
        if (wp == VK_UP && s_fLeaveUp) {
            s_fLeaveUp = FALSE;
            SetFocus(GetDlgItem(GetParent(hwnd), IDC_SMS_NUMBER));
        }
        break;
    }
    return CallWindowProcW(s_pfnContentProc, hwnd, msg, wp, lp);
}

static HFONT s_hfontCounter;

// "Content : 153 char(s) left" is wider than the template's field in the
// handset's face: the line takes the rest of the row without margins, and
// a smaller face when its longest form still does not fit.
static void FitCounterLine(HWND hdlg)
{
    HWND hwnd = GetDlgItem(hdlg, IDC_SMS_COUNTER);
    RECT rcField, rcClient;
    GetWindowRect(hwnd, &rcField);
    MapWindowPoints(nullptr, hdlg, (POINT *)&rcField, 2);
    GetClientRect(hdlg, &rcClient);
    const int cxField = rcClient.right - rcField.left;
    SetWindowPos(hwnd, nullptr, 0, 0, cxField, rcField.bottom - rcField.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(hwnd, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);

    WCHAR szLine[50], szFormat[32], szLeft[32];
    if (!LoadStringW(g_hInst, IDS_SMS_CONTENT, szLine, ARRAYSIZE(szLine)) ||
        !LoadStringW(g_hInst, IDS_SMS_CHARS_LEFT, szFormat, ARRAYSIZE(szFormat)) ||
        FAILED(StringCchPrintfW(szLeft, ARRAYSIZE(szLeft), szFormat, -159)) ||
        FAILED(StringCchCatW(szLine, ARRAYSIZE(szLine), szLeft)))
        return;
    LOGFONTW lf;
    if (!GetObjectW((HFONT)SendMessageW(hwnd, WM_GETFONT, 0, 0), sizeof(lf), &lf))
        return;
    HDC hdc = GetDC(hwnd);
    for (LONG lHeight = -labs(lf.lfHeight); lHeight <= -8; ++lHeight) {
        HFONT hfont = CreateSystemFontOf(FW_NORMAL, lHeight);
        if (!hfont)
            break;
        SIZE size = {};
        HGDIOBJ hOld = SelectObject(hdc, hfont);
        GetTextExtentPoint32W(hdc, szLine, lstrlenW(szLine), &size);
        SelectObject(hdc, hOld);
        if (size.cx < cxField || lHeight == -8) {
            SendMessageW(hwnd, WM_SETFONT, (WPARAM)hfont, FALSE);
            SendMessageW(hwnd, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
            s_hfontCounter = hfont;
            break;
        }
        DeleteObject(hfont);
    }
    ReleaseDC(hwnd, hdc);
}

// The template's fields are wider than the handset's page in its face: each
// ends where the page does, less the margin it keeps on the left, so its
// right border shows and its lines wrap on the screen.
static void FitFieldsToPage(HWND hdlg)
{
    RECT rcClient;
    GetClientRect(hdlg, &rcClient);
    for (int id : {IDC_SMS_NUMBER, IDC_SMS_CONTENT}) {
        HWND hwnd = GetDlgItem(hdlg, id);
        RECT rc;
        GetWindowRect(hwnd, &rc);
        MapWindowPoints(nullptr, hdlg, (POINT *)&rc, 2);
        if (rc.right > rcClient.right - rc.left)
            SetWindowPos(hwnd, nullptr, 0, 0, rcClient.right - 2 * rc.left, rc.bottom - rc.top,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

static void OnEditSmsInit(HWND hdlg)
{
    s_hdlgEdit = hdlg;
    s_fLeaveUp = FALSE;
    InitMorlinScreen(hdlg, IDR_BAR_EDITSMS, 0);  // no title string: the template's "Edit SMS" stays
    SetStringText(hdlg, IDC_SMS_DEST_LABEL, IDS_SMS_DESTINATION);
    SetStringText(hdlg, IDC_SMS_INDEX_LABEL, IDS_SMS_INDEX);
    SetStringText(hdlg, IDC_SMS_COUNTER, IDS_SMS_CONTENT);
    FitCounterLine(hdlg);
    FitFieldsToPage(hdlg);
    SendDlgItemMessageW(hdlg, IDC_SMS_NUMBER, EM_LIMITTEXT, g_dwMaxNumberLength, 0);
    SendDlgItemMessageW(hdlg, IDC_SMS_CONTENT, EM_LIMITTEXT, 256, 0);
    SendDlgItemMessageW(hdlg, IDC_SMS_NUMBER, EM_SETINPUTMODE, 0, EIM_NUMBERS);
    SendDlgItemMessageW(hdlg, IDC_SMS_CONTENT, EM_SETINPUTMODE, 0, EIM_TEXT);
    s_pfnContentProc = (WNDPROC)SetWindowLongPtrW(GetDlgItem(hdlg, IDC_SMS_CONTENT), GWLP_WNDPROC,
                                                  (LONG_PTR)SmsContentEditProc);
    TRACE(L"g_dwCurrentIndex [%d]\r\n", (int)g_dwCurrentIndex);
    SetDlgItemTextW(hdlg, IDC_SMS_HIDDEN1, L"");
    SetDlgItemTextW(hdlg, IDC_SMS_HIDDEN3, L"");
    if (g_dwCurrentIndex < g_cSmsRecords) {
        SetDlgItemTextW(hdlg, IDC_SMS_NUMBER, SmsRecords()[g_dwCurrentIndex].name);
        SetDlgItemTextW(hdlg, IDC_SMS_CONTENT, SmsRecords()[g_dwCurrentIndex].text);
    } else {
        SetDlgItemTextW(hdlg, IDC_SMS_NUMBER, L"");
        SetDlgItemTextW(hdlg, IDC_SMS_CONTENT, L"");
    }
}

static void SelectLastRow(int iRow)
{
    ListView_SetItemState(g_hwndSMS, iRow, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
}

// The stored message read back into the list; the list itself is refilled after any other failure.
static void OnSave(HWND hdlg)
{
    SIMMESSAGE msg;
    ZeroMemory(&msg, sizeof(msg));
    DWORD dwIndex = 0;
    WCHAR szText[512];
    GetDlgItemTextW(hdlg, IDC_SMS_NUMBER, msg.lpszAddress, ARRAYSIZE(msg.lpszAddress));
    GetDlgItemTextW(hdlg, IDC_SMS_CONTENT, szText, ARRAYSIZE(szText));
    if (!msg.lpszAddress[0]) {
        ShowSmsMessage(IDS_NO_DESTINATION, MB_ICONEXCLAMATION);
        return;
    }
    if (!szText[0]) {
        ShowSmsMessage(IDS_CONTENT_EMPTY, MB_ICONEXCLAMATION);
        return;
    }
    WCHAR szNumber[MAX_LENGTH_ADDRESS + 1];
    if (!SmsDestinationNumber(msg.lpszAddress, szNumber, ARRAYSIZE(szNumber))) {
        // Refused before anything is sent: the typed text stays for another number.
        ShowSmsMessage(IDS_SMS_WRITE_ERROR, MB_ICONERROR);
        SendMessageW(hdlg, WM_NEXTDLGCTL, (WPARAM)GetDlgItem(hdlg, IDC_SMS_NUMBER), TRUE);
        return;
    }
    StringCchCopyW(msg.lpszMessage, ARRAYSIZE(msg.lpszMessage), szText);
    HRESULT hr = KORU_SimWriteMessage(g_hSim, SIM_SMSSTORAGE_SIM, &dwIndex, &msg);
    if (hr == SMS_E_UCS2_LONG || hr == SMS_E_GSM_LONG) {
        ShowSmsMessage(hr == SMS_E_UCS2_LONG ? IDS_SMS_UCS2_LONG : IDS_SMS_GSM_LONG, MB_ICONERROR);
        return;
    }
    if (hr == SMS_E_NORADIO) {
        // Nothing reached the SIM: the list is as it was, and the typed
        // message stays to be saved again.
        ShowSmsMessage(IDS_SMS_WRITE_ERROR, MB_ICONERROR);
        return;
    }
    if (FAILED(hr)) {
        ShowSmsMessage(IDS_SMS_WRITE_ERROR, MB_ICONERROR);
        ReadSMSfromSIM(g_hwndSMS);
        // Row 1, or the only row; the preview follows the highlight.
        int iRow = ListView_GetItemCount(g_hwndSMS) > 1 ? 1 : 0;
        SelectLastRow(iRow);
        ShowSelectedMessage(iRow);
        EndDialog(hdlg, 1);
        return;
    }
    ShowSmsMessage(IDS_SMS_STORED, MB_ICONINFORMATION);
    SIMMESSAGE readBack;
    ZeroMemory(&readBack, sizeof(readBack));
    if (SUCCEEDED(KORU_SimReadMessage(g_hSim, SIM_SMSSTORAGE_SIM, dwIndex, &readBack))) {
        int cRows = ListView_GetItemCount(g_hwndSMS);
        AddSmsRecord((DWORD)cRows, dwIndex, &readBack);
        FillSmsList(g_hwndSMS);
        int iLast = ListView_GetItemCount(g_hwndSMS) - 1;
        SelectLastRow(iLast);
        ShowSelectedMessage(iLast);
        TRACE(L"ListView_GetItemCount(g_hwndSMS) [%d] \r\n\r\n", iLast + 1);
    }
    EndDialog(hdlg, 1);
}

INT_PTR CALLBACK EditSmsProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_INITDIALOG:
        OnEditSmsInit(hdlg);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDM_SMS_SAVE)
            OnSave(hdlg);
        else if (LOWORD(wp) == IDM_SMS_CANCEL || LOWORD(wp) == IDCANCEL)
            EndDialog(hdlg, 1);
        return TRUE;
    case WM_HOTKEY:
        HandleBackHotKey(wp, lp);
        UpdateCharCounter();
        return TRUE;
    case WM_KEYDOWN:
        if (wp == VK_UP || wp == VK_DOWN)
            TRACE(wp == VK_UP ? L"VK_TUP ListView_GetItemCount(g_hwndSMS) [%d] \r\n"
                              : L"VK_TDOWN ListView_GetItemCount(g_hwndSMS) [%d] \r\n",
                  ListView_GetItemCount(g_hwndSMS));
        return TRUE;
    case WM_DESTROY:
        s_hdlgEdit = nullptr;
        if (s_hfontCounter)
            DeleteObject(s_hfontCounter);
        s_hfontCounter = nullptr;
        return FALSE;
    }
    return FALSE;
}
