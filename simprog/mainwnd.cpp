// Main window: the phone-book list over Morlin's background, "New" and "Menu".
#include "mainwnd.h"
#include "kit.h"
#include "listkit.h"
#include "../res/morlin/resource.h"

HWND g_hwndMain;
WCHAR g_szTitle[20];
WCHAR g_szSmsTitle[20];

static HWND s_hwndList;
static HWND s_hwndBar;

static BOOL OnCreate(HWND hwnd)
{
    g_hwndMain = hwnd;
    s_hwndBar = CreateSoftKeyBar(hwnd, IDR_BAR_MAIN);
    if (!s_hwndBar || !BuildListBackground(hwnd, LIST_PATTERN_MORLIN))
        return FALSE;
    RECT rc;
    GetClientRect(hwnd, &rc);
    ListColumn col = {rc.right, LVCFMT_LEFT};
    s_hwndList = CreateKitList(hwnd, L"LISTITEM", LVS_REPORT | LVS_SINGLESEL | LVS_SORTASCENDING | LVS_NOCOLUMNHEADER,
                               rc, IDC_PHONEBOOK_LIST, (HFONT)GetStockObject(SYSTEM_FONT), &col, 1, TRUE);
    if (!s_hwndList)
        return FALSE;
    SubclassListBackground(s_hwndList);
    return TRUE;
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_CREATE:
        return OnCreate(hwnd) ? 0 : -1;
    case WM_COMMAND:
        if (LOWORD(wp) == IDM_QUIT)
            DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}
