// The "Please wait..." window of every long operation, with its counter.
#include "morlin.h"
#include "kit.h"
#include "../res/morlin/resource.h"
#include <strsafe.h>
#include <vector>

HWND g_hwndProgress;
static DWORD s_dwPainted;  // tick of the dialog's last repaint

// A step paints at once only when a frame's time has passed since the last
// paint, and the last step always does: faster steps would only be drawn
// over before the screen shows them, and each paint costs a step's time.
#define PROGRESS_FRAME_MS 20

HWND ProgressDialog(HWND hwndOwner)
{
    HRSRC hrsrc = FindResourceW(g_hInst, MAKEINTRESOURCEW(IDD_PROGRESS), RT_DIALOG);
    HGLOBAL hglob = hrsrc ? LoadResource(g_hInst, hrsrc) : nullptr;
    if (!hglob)
        return nullptr;
    // The wait window has no keys of its own: shown without taking the front,
    // so a key pressed meanwhile (the first one after the start, while the
    // start-up thread reads a large SIM) stays with the window below it
    // instead of dying with this one.
    DWORD cb = SizeofResource(g_hInst, hrsrc);
    const void *pv = LockResource(hglob);
    if (!pv || cb < sizeof(DLGTEMPLATE))
        return nullptr;
    std::vector<BYTE> tmpl((const BYTE *)pv, (const BYTE *)pv + cb);
    ((DLGTEMPLATE *)tmpl.data())->style &= ~WS_VISIBLE;
    HWND hdlg = CreateDialogIndirectParamW(g_hInst, (LPCDLGTEMPLATEW)tmpl.data(), hwndOwner, nullptr, 0);
    if (!hdlg)
        return nullptr;
    ShowWindow(hdlg, SW_SHOWNOACTIVATE);
    WCHAR sz[64];
    if (LoadStringW(g_hInst, IDS_PLEASE_WAIT, sz, ARRAYSIZE(sz)))
        SetDlgItemTextW(hdlg, IDC_PROGRESS_TEXT, sz);
    g_hwndProgress = hdlg;
    UpdateWindow(hdlg);
    s_dwPainted = GetTickCount();
    return hdlg;
}

BOOL ShowProgress(int iDone, int iTotal)
{
    HWND hdlg = g_hwndProgress;
    // Only the thread that opened the dialog drives it.
    if (!hdlg || GetWindowThreadProcessId(hdlg, nullptr) != GetCurrentThreadId())
        return 0;
    WCHAR szFormat[64];
    WCHAR szText[64];
    szText[0] = 0;
    if (LoadStringW(g_hInst, iTotal ? IDS_PROCESSING_OF : IDS_PROCESSING, szFormat, ARRAYSIZE(szFormat))) {
        if (iTotal)
            StringCchPrintfW(szText, ARRAYSIZE(szText), szFormat, iDone, iTotal);
        else
            StringCchPrintfW(szText, ARRAYSIZE(szText), szFormat, iDone);
    }
    SetDlgItemTextW(hdlg, IDC_PROGRESS_COUNT, szText);
    if (iTotal) {
        SendDlgItemMessageW(hdlg, IDC_PROGRESS_BAR, PBM_SETRANGE, 0, MAKELPARAM(0, iTotal));
        SendDlgItemMessageW(hdlg, IDC_PROGRESS_BAR, PBM_SETPOS, iDone, 0);
    }
    DWORD dwNow = GetTickCount();
    if (iDone == iTotal || dwNow - s_dwPainted >= PROGRESS_FRAME_MS) {
        UpdateWindow(hdlg);
        s_dwPainted = GetTickCount();
    }
    return 1;
}

void DestroyProgressDialog(HWND hdlg)
{
    if (!hdlg)
        return;
    if (g_hwndProgress == hdlg)
        g_hwndProgress = nullptr;
    DestroyWindow(hdlg);
}
