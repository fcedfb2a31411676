// The main window only owns the page; the page is the program.
#include "sysinfo.h"
#include "kit.h"
#include "../res/ostrel/resource.h"

HWND g_hwndMain;
HWND g_hdlgSysInfo;
LPCWSTR g_pszTitle;

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

static BOOL OnInitDialog(HWND hdlg)
{
    if (!InitFullScreenDialog(hdlg) || !CreateSoftKeyBar(hdlg, IDR_BAR_SYSINFO))
        return FALSE;
    g_hdlgSysInfo = hdlg;
    WCHAR szCaption[64];
    if (LoadStringW(g_hInst, IDS_SYSINFO_CAPTION, szCaption, ARRAYSIZE(szCaption)))
        SetWindowTextW(hdlg, szCaption);
    return TRUE;
}

INT_PTR CALLBACK SysInfoDlgProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp)
{
    (void)lp;
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog(hdlg);
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDM_QUIT:
            EndDialog(hdlg, 0);
            return TRUE;
        case IDCANCEL:
            SHNavigateBack();  // Back goes to the shell; the page stays
            return TRUE;
        }
        break;
    }
    return FALSE;
}
