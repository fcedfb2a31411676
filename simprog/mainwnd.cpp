// Main window: the phone-book list over Morlin's background, "New" and "Menu".
#include "morlin.h"
#include "phonebook.h"
#include "smslist.h"
#include "trace.h"
#include "kit.h"
#include "listkit.h"
#include "../res/morlin/resource.h"
#include <cstdlib>

HWND g_hwndMain;
HWND g_hwndPhoneBookList;
WCHAR g_szTitle[20];
WCHAR g_szSmsTitle[20];
WORD g_wMarkedIndex;
DWORD g_dwSmsUsed;
DWORD g_dwSmsTotal;
HICON g_hIconPhoneBook;
HICON g_hIconSms;
void *g_pContactRecords;
void *g_pSmsRecords;

static HWND s_hwndBar;
static WNDPROC s_pfnListProc;

// The row last opened from the list; FALSE (and index 0) when none is marked.
static BOOL MarkSelectedRow(HWND hwndList)
{
    int iRow = (int)SendMessageW(hwndList, LVM_GETSELECTIONMARK, 0, 0);
    if (iRow < 0) {
        TRACE(L"WM_Action Key Down, no selection mark!!!\r\n");
        g_wMarkedIndex = 0;
        return FALSE;
    }
    LVITEMW item;
    ZeroMemory(&item, sizeof(item));
    item.mask = LVIF_IMAGE;
    item.iItem = iRow;
    SendMessageW(hwndList, LVM_GETITEMW, 0, (LPARAM)&item);
    g_wMarkedIndex = (WORD)item.iImage;
    TRACE(L"Select Index: %d", g_wMarkedIndex);
    return TRUE;
}

static void OpenMarkedEntry(HWND hwndList)
{
    if (!MarkSelectedRow(hwndList))
        return;
    if (g_wMarkedIndex >= 1 && g_wMarkedIndex <= g_SimCaps.dwMaxPBIndex)
        RunDialogFromTemplate(g_hInst, IDD_EDITENTRY, g_hwndMain, EditEntryProc, 0);
}

void PaintRowIcons(HWND hwnd, int x)
{
    int cRows = ListView_GetItemCount(hwnd);
    if (cRows <= 0 || !g_hIconPhoneBook)
        return;
    RECT rcRow;
    if (!ListView_GetItemRect(hwnd, 0, &rcRow, LVIR_BOUNDS))
        return;
    int cyRow = rcRow.bottom - rcRow.top;
    HDC hdc = GetDC(hwnd);
    for (int i = 0; i < cRows && i < 10; ++i)
        DrawIconEx(hdc, x, i * cyRow, g_hIconPhoneBook, 16, 16, 0, nullptr, DI_NORMAL);
    ReleaseDC(hwnd, hdc);
}

static LRESULT CALLBACK PhoneBookListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_ERASEBKGND: {
        RECT rc;
        GetClipBox((HDC)wp, &rc);
        BitBlt((HDC)wp, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, g_hdcListBackground, rc.left,
               rc.top, SRCCOPY);
        return 1;
    }
    case WM_PAINT:
        CallWindowProcW(s_pfnListProc, hwnd, msg, wp, lp);
        // Without a scroll bar (ten rows or fewer) the icons sit further right.
        PaintRowIcons(hwnd, 152 + (ListView_GetItemCount(hwnd) <= 10 ? GetSystemMetrics(SM_CXVSCROLL) : 0));
        return 1;
    case WM_KEYDOWN:
        if (wp == VK_RETURN)
            OpenMarkedEntry(hwnd);
        break;
    }
    return CallWindowProcW(s_pfnListProc, hwnd, msg, wp, lp);
}

static BOOL OnCreate(HWND hwnd)
{
    g_hwndMain = hwnd;
    if (!InitPOOM())
        TRACE(L"Init POOM fails\r\n");
    s_hwndBar = CreateSoftKeyBar(hwnd, IDR_BAR_MAIN);
    if (!s_hwndBar || !BuildListBackground(hwnd, LIST_PATTERN_MORLIN))
        return FALSE;
    g_hIconPhoneBook = (HICON)LoadImageW(g_hInst, MAKEINTRESOURCEW(IDI_PHONEBOOK), IMAGE_ICON, 16, 16, 0);
    g_hIconSms = (HICON)LoadImageW(g_hInst, MAKEINTRESOURCEW(IDI_SMS), IMAGE_ICON, 16, 16, 0);
    RECT rc;
    GetClientRect(hwnd, &rc);
    ListColumn col = {rc.right, LVCFMT_LEFT};
    g_hwndPhoneBookList = CreateKitList(hwnd, L"LISTITEM",
                                        LVS_REPORT | LVS_SINGLESEL | LVS_SORTASCENDING | LVS_NOCOLUMNHEADER, rc,
                                        IDC_PHONEBOOK_LIST, CreateBoldSystemFont(0), &col, 1, TRUE);
    if (!g_hwndPhoneBookList)
        return FALSE;
    s_pfnListProc = (WNDPROC)SetWindowLongPtrW(g_hwndPhoneBookList, GWLP_WNDPROC, (LONG_PTR)PhoneBookListProc);
    SendMessageW(g_hwndPhoneBookList, WM_KEYDOWN, VK_UP, 1);
    HANDLE hThread = CreateThread(nullptr, 0, SimStartupThread, hwnd, 0, nullptr);
    if (hThread)
        CloseHandle(hThread);
    return TRUE;
}

static void OnDestroy()
{
    ReleasePhoneBook();
    ClosePOOM();
    g_hwndPhoneBookList = nullptr;
    g_hwndMain = nullptr;
    PostQuitMessage(0);
}

static void OnInitMenuPopup(HMENU hmenu)
{
    WORD wUsed;
    {
        PhoneBookLock lock;
        wUsed = MyPhoneBook.wUsed;
    }
    UINT uFlags = MF_BYCOMMAND | (wUsed ? MF_ENABLED : MF_GRAYED);
    EnableMenuItem(hmenu, IDM_EDIT, uFlags);
    EnableMenuItem(hmenu, IDM_DELETE, uFlags);
    EnableMenuItem(hmenu, IDM_DIAL, uFlags);
}

static void OnQuit(HWND hwnd)
{
    std::free(g_pContactRecords);
    g_pContactRecords = nullptr;
    ReleaseSmsRecords();
    DestroyWindow(hwnd);
}

static void OnEdit()
{
    OpenMarkedEntry(g_hwndPhoneBookList);
}

static void OnDelete()
{
    if (MarkSelectedRow(g_hwndPhoneBookList))
        DeletePhoneBookEntry(g_wMarkedIndex);
}

static void OnDial()
{
    if (MarkSelectedRow(g_hwndPhoneBookList))
        DialMarkedEntry();
}

static void OnPhoneBookDeleted()
{
    if (SendMessageW(g_hwndPhoneBookList, LVM_GETSELECTIONMARK, 0, 0) >= 0)
        FillPhoneBookList();
}

static void OnSmsManager(HWND hwnd)
{
    RunDialogFromTemplate(g_hInst, IDD_SMSLIST, hwnd, SmsManagerProc, 0);
    SetFocus(g_hwndPhoneBookList);
}

static LRESULT OnCommand(HWND hwnd, UINT id, WPARAM wp, LPARAM lp)
{
    switch (id) {
    case IDM_NEW_ENTRY: RunDialogFromTemplate(g_hInst, IDD_NEWENTRY, hwnd, NewEntryProc, 0); return 0;
    case IDM_EDIT: OnEdit(); return 0;
    case IDM_DELETE: OnDelete(); return 0;
    case IDM_DIAL: OnDial(); return 0;
    case IDM_CONTACTS_TO_SIM: RouteTransferCommand(hwnd, id); return 0;
    case IDM_INBOX_TO_SIM: RouteTransferCommand(hwnd, id); return 0;
    case IDM_SIM_TO_CONTACTS: RouteTransferCommand(hwnd, id); return 0;
    case IDM_SMS_MANAGER: OnSmsManager(hwnd); return 0;
    case IDM_SIM_NUMBER: RunDialogFromTemplate(g_hInst, IDD_SIMNUMBER, hwnd, SimNumberProc, 0); return 0;
    case IDM_SIM_STATUS: RunDialogFromTemplate(g_hInst, IDD_SIMSTATUS, hwnd, SimStatusProc, 0); return 0;
    case IDM_QUIT: OnQuit(hwnd); return 0;
    }
    return DefWindowProcW(hwnd, WM_COMMAND, wp, lp);
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
        if (LOWORD(wp) != WA_INACTIVE && g_hwndPhoneBookList)
            SetFocus(g_hwndPhoneBookList);
        return 0;
    case WM_PAINT:
        break;
    case WM_ERASEBKGND:
    case WM_DRAWITEM:
        return 1;
    case WM_INITMENUPOPUP:
        OnInitMenuPopup((HMENU)wp);
        return 0;
    case WM_COMMAND:
        return OnCommand(hwnd, LOWORD(wp), wp, lp);
    case WM_MORLIN_FILLLIST:
        FillPhoneBookList();
        return 0;
    case WM_MORLIN_PBDELETED:
        OnPhoneBookDeleted();
        return 0;
    case WM_MORLIN_STARTFAILED:
        DestroyWindow(hwnd);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}
