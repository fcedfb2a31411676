// Main window: the list between the title strip and the status strip, and
// the soft-key bars that follow the mode.
#include "mainwnd.h"
#include "kit.h"
#include "listkit.h"
#include "../res/tavel/resource.h"

HWND g_hwndMain;
WCHAR g_szTitle[20];
CRITICAL_SECTION g_csTree;
HANDLE g_hShowTreeSelectEvent;

static HWND s_hwndList;
static HWND s_hwndBarList;
static HFONT s_hfontList;

static BOOL OnCreate(HWND hwnd)
{
    g_hwndMain = hwnd;
    s_hwndBarList = CreateSoftKeyBar(hwnd, IDR_BAR_LIST);
    if (!s_hwndBarList)
        return FALSE;
    if (!BuildListBackground(hwnd, LIST_PATTERN_FILER))
        return FALSE;
    RECT rc;
    GetClientRect(hwnd, &rc);
    rc.top += 20;
    rc.bottom -= 20;
    s_hfontList = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    ListColumn col = {rc.right - GetSystemMetrics(SM_CXVSCROLL), LVCFMT_LEFT};
    s_hwndList = CreateKitList(hwnd, nullptr, LVS_REPORT | LVS_OWNERDATA | LVS_NOCOLUMNHEADER, rc, IDC_FILELIST,
                               s_hfontList, &col, 1, TRUE);
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
        if (LOWORD(wp) == IDM_EXIT)
            DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}
