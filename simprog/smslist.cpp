// The SMS record array and what both message lists share: reading the SIM
// into it, the rows, the preview of the marked row, the list's keys and
// icons, and the free-slot counter of the Inbox copy.
#include "morlin.h"
#include "smslist.h"
#include "simsms.h"
#include "transfer.h"
#include "trace.h"
#include "kit.h"
#include "../res/morlin/resource.h"
#include <strsafe.h>
#include <cstdlib>
#include <initializer_list>

DWORD g_cSmsRecords;
HWND g_hwndSMS;
HWND g_hwndSmsPreview;
DWORD g_dwCurrentIndex = SMS_NO_ROW;
DWORD SmsFreeSlotCount;
HWND g_hwndSmsFreeSlots;

static WNDPROC s_pfnListProc;
static HFONT s_hfontList;
static HFONT s_hfontPreview;

void ReleaseSmsRecords()
{
    std::free(g_pSmsRecords);
    g_pSmsRecords = nullptr;
    g_cSmsRecords = 0;
}

BOOL AllocSmsRecords(DWORD cRecords)
{
    ReleaseSmsRecords();
    if (!cRecords)
        return TRUE;
    g_pSmsRecords = std::calloc(cRecords, sizeof(SmsRecord));
    if (!g_pSmsRecords)
        return FALSE;
    g_cSmsRecords = cRecords;
    return TRUE;
}

void RefreshSmsCounters()
{
    HRESULT hr = SimGetSmsStorageStatus(g_hSim, SIM_SMSSTORAGE_SIM, &g_dwSmsUsed, &g_dwSmsTotal);
    TRACE(L"SimGetSmsStorageStatus:  hresult[%x]total: %d, used %d\r\n", (unsigned)hr, (int)g_dwSmsTotal,
          (int)g_dwSmsUsed);
}

void CreateSmsListAndPreview(HWND hdlg, int cyList, int cxColumn, int yPreview, int cxPreview, int cyPreview)
{
    RECT rc;
    GetClientRect(hdlg, &rc);
    s_hfontList = CreateBoldSystemFont(0);
    s_hfontPreview = CreateSystemFontOf(FW_MEDIUM, 0);
    g_hwndSMS = CreateWindowExW(0, WC_LISTVIEWW, L"LISTITEM",
                                WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_NOCOLUMNHEADER, rc.left, rc.top,
                                rc.right - 9, cyList, hdlg, nullptr, g_hInst, nullptr);
    SendMessageW(g_hwndSMS, WM_SETFONT, (WPARAM)s_hfontList, FALSE);
    LVCOLUMNW col;
    ZeroMemory(&col, sizeof(col));
    col.mask = LVCF_WIDTH;
    col.cx = cxColumn;
    SendMessageW(g_hwndSMS, LVM_INSERTCOLUMNW, 0, (LPARAM)&col);
    g_hwndSmsPreview = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL,
                                       rc.left + 3, yPreview, cxPreview, cyPreview, hdlg, nullptr, g_hInst, nullptr);
    SendMessageW(g_hwndSmsPreview, WM_SETFONT, (WPARAM)s_hfontPreview, FALSE);
}

void ReleaseSmsListAndPreview()
{
    g_hwndSMS = nullptr;
    g_hwndSmsPreview = nullptr;
    for (HFONT *phfont : {&s_hfontList, &s_hfontPreview}) {
        if (*phfont)
            DeleteObject(*phfont);
        *phfont = nullptr;
    }
}

BOOL ReadSMSfromSIM(HWND hwndList)
{
    RefreshSmsCounters();
    if (g_dwSmsUsed == 0)
        ShowSmsMessage(IDS_NO_SMS, MB_ICONINFORMATION);
    ReleaseSmsRecords();
    SendMessageW(hwndList, LVM_DELETEALLITEMS, 0, 0);
    HWND hdlgProgress = ProgressDialog(hwndList);
    AllocSmsRecords(g_dwSmsTotal);
    DWORD cFound = 0;
    if (g_dwSmsUsed > 0 && g_cSmsRecords > 0) {
        // Every probe is three exchanges: stop as soon as every used slot was found.
        for (DWORD i = 1; i <= g_dwSmsTotal && cFound < g_dwSmsUsed; ++i) {
            SIMMESSAGE msg;
            ZeroMemory(&msg, sizeof(msg));
            if (FAILED(KORU_SimReadMessage(g_hSim, SIM_SMSSTORAGE_SIM, i, &msg)))
                continue;
            TRACE(L"SimGetSmsStorageStatus:  index[%d] address[%s] \r\n", (int)i, msg.lpszAddress);
            AddSmsRecord(cFound, i, &msg);
            ++cFound;
            ShowProgress((int)cFound, (int)g_dwSmsUsed);
        }
    }
    DestroyProgressDialog(hdlgProgress);
    FillSmsList(hwndList);
    TRACE(L"ReadSMSfromSIM COUNT [%d] \r\n", (int)g_dwSmsUsed);
    return 1;
}

BOOL AddSmsRecord(DWORD dwPosition, DWORD dwIndex, const SIMMESSAGE *pMessage)
{
    DWORD dwSlot = SMS_NO_ROW;
    for (DWORD i = 0; i < g_cSmsRecords && dwSlot == SMS_NO_ROW; ++i)
        if (SmsRecords()[i].index == 0)
            dwSlot = i;
    if (dwSlot == SMS_NO_ROW && dwPosition < g_cSmsRecords)
        dwSlot = dwPosition;
    if (dwSlot == SMS_NO_ROW) {
        // A message saved on a SIM that was full when it was read: one more record.
        if (dwPosition != g_cSmsRecords)
            return FALSE;
        void *pv = std::realloc(g_pSmsRecords, (g_cSmsRecords + 1) * sizeof(SmsRecord));
        if (!pv)
            return FALSE;
        g_pSmsRecords = pv;
        dwSlot = g_cSmsRecords++;
    }
    SmsRecord *pr = &SmsRecords()[dwSlot];
    ZeroMemory(pr, sizeof(*pr));
    pr->index = dwIndex;
    StringCchCopyNW(pr->name, ARRAYSIZE(pr->name), pMessage->lpszAddress, ARRAYSIZE(pMessage->lpszAddress));
    StringCchCopyNW(pr->address, ARRAYSIZE(pr->address), pMessage->lpszAddress, ARRAYSIZE(pMessage->lpszAddress));
    StringCchCopyNW(pr->text, ARRAYSIZE(pr->text), pMessage->lpszMessage, ARRAYSIZE(pMessage->lpszMessage));
    return TRUE;
}

void RemoveSmsRecord(DWORD dwRow)
{
    if (dwRow >= g_cSmsRecords)
        return;
    SmsRecord *pr = SmsRecords();
    MoveMemory(&pr[dwRow], &pr[dwRow + 1], (g_cSmsRecords - dwRow - 1) * sizeof(SmsRecord));
    ZeroMemory(&pr[g_cSmsRecords - 1], sizeof(SmsRecord));
}

void FillSmsList(HWND hwndList)
{
    RefreshSmsCounters();
    // One repaint for the whole list rather than one per row; a hidden list
    // is left as it is, since turning redraw back on would show it.
    BOOL fRedraw = (GetWindowLongW(hwndList, GWL_STYLE) & WS_VISIBLE) != 0;
    if (fRedraw)
        SendMessageW(hwndList, WM_SETREDRAW, FALSE, 0);
    SendMessageW(hwndList, LVM_DELETEALLITEMS, 0, 0);
    // The read messages fill the array from its start: a free record ends them.
    for (DWORD r = 0; r < g_cSmsRecords && SmsRecords()[r].index != 0; ++r) {
        LVITEMW item;
        ZeroMemory(&item, sizeof(item));
        item.mask = LVIF_TEXT | LVIF_STATE;
        item.iItem = (int)r;
        item.pszText = SmsRecords()[r].address;
        SendMessageW(hwndList, LVM_INSERTITEMW, 0, (LPARAM)&item);
    }
    if (fRedraw) {
        SendMessageW(hwndList, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(hwndList, nullptr, TRUE);
    }
    SetFocus(hwndList);
}

BOOL ShowSelectedMessage(int iRow)
{
    SendMessageW(g_hwndSMS, LVM_SETSELECTIONMARK, 0, iRow);
    SetWindowTextW(g_hwndSmsPreview, L"");
    BOOL fText = iRow >= 0 && (DWORD)iRow < g_cSmsRecords && SmsRecords()[iRow].text[0];
    if (fText)
        SetWindowTextW(g_hwndSmsPreview, SmsRecords()[iRow].text);
    SendMessageW(g_hwndSMS, LVM_ENSUREVISIBLE, iRow, TRUE);
    return fText;
}

void ShowSmsFreeSlots()
{
    if (!g_hwndSmsFreeSlots)
        return;
    WCHAR sz[16];
    StringCchPrintfW(sz, ARRAYSIZE(sz), L"%d", (int)SmsFreeSlotCount);
    SetWindowTextW(g_hwndSmsFreeSlots, sz);
    TRACE(L"sms entry left: %d, %s\r\n", (int)SmsFreeSlotCount, sz);
}

static void PaintSmsIcons(HWND hwnd)
{
    int cRows = (int)SendMessageW(hwnd, LVM_GETITEMCOUNT, 0, 0);
    RECT rcRow;
    if (!g_hIconSms || cRows <= 0 || !ListView_GetItemRect(hwnd, 0, &rcRow, LVIR_BOUNDS))
        return;
    int cyRow = rcRow.bottom - rcRow.top;
    HDC hdc = GetDC(hwnd);
    for (int i = 0; i < cRows && i < 10; ++i) {
        DrawIconEx(hdc, 152, i * cyRow, g_hIconSms, 0, 0, 0, nullptr, DI_NORMAL);
        TRACE(L"smslistviewproc DrawIcon i[%d] wCount[%d]\r\n", i, cRows);
    }
    ReleaseDC(hwnd, hdc);
}

// The action key ticks or clears a row of the Inbox copy: no more ticks than
// free slots. TRUE when the key is used up here.
static BOOL OnActionKey(HWND hwnd, int iMark)
{
    TRACE(L"Action Selection mark %d\r\n", iMark);
    UINT uImage = (ListView_GetItemState(hwnd, iMark, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) >> 12;
    if (uImage == TICK_OFF) {
        if (SmsFreeSlotCount == 0) {
            ShowSmsMessage(IDS_COPY_TO_SIM_FAILED, MB_ICONERROR);
            return TRUE;
        }
        --SmsFreeSlotCount;
        TRACE(L"Action: free slot: DEC: %d\r\n", (int)SmsFreeSlotCount);
    } else {
        ++SmsFreeSlotCount;
        TRACE(L"Action: free slot: INC: %d\r\n", (int)SmsFreeSlotCount);
    }
    ShowSmsFreeSlots();
    if (uImage != TICK_OFF && uImage != TICK_ON)
        return FALSE;  // a row without a check box: the list has the key
    // The tick is toggled here: the desktop list would only notify its parent.
    TickRow(hwnd, iMark, uImage == TICK_OFF);
    return TRUE;
}

LRESULT CALLBACK smslistviewproc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_PAINT) {
        CallWindowProcW(s_pfnListProc, hwnd, msg, wp, lp);
        if (g_dwSmsUsed > 0)
            PaintSmsIcons(hwnd);
        return 1;
    }
    if (msg == WM_GETDLGCODE)
        return TransferListDlgCode(s_pfnListProc, hwnd, wp, lp);
    if (msg != WM_KEYDOWN)
        return CallWindowProcW(s_pfnListProc, hwnd, msg, wp, lp);
    int iMark = (int)SendMessageW(hwnd, LVM_GETSELECTIONMARK, 0, 0);
    int cRows = (int)SendMessageW(hwnd, LVM_GETITEMCOUNT, 0, 0);
    switch (wp) {
    case VK_UP:
    case VK_DOWN:
        if (wp == VK_UP && iMark > 0)
            --iMark;
        else if (wp == VK_DOWN && iMark + 1 < cRows)
            ++iMark;
        SendMessageW(hwnd, LVM_SETSELECTIONMARK, 0, iMark);
        ShowSelectedMessage(iMark);
        ShowSmsFreeSlots();
        break;
    case VK_LEFT:
    case VK_RIGHT:
        TRACE(L"Action Selection mark %d\r\n", iMark);
        return 1;
    case VK_RETURN:
        if (OnActionKey(hwnd, iMark))
            return 1;
        break;
    }
    return CallWindowProcW(s_pfnListProc, hwnd, msg, wp, lp);
}

void SubclassSmsList(HWND hwndList)
{
    WNDPROC pfn = (WNDPROC)SetWindowLongPtrW(hwndList, GWLP_WNDPROC, (LONG_PTR)smslistviewproc);
    if (pfn != smslistviewproc)
        s_pfnListProc = pfn;
}
