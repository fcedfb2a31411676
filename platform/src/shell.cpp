// The handset's shell: places top-level windows in the work area, draws the
// title strip, and routes the soft keys, Back and the dialog arrows.
#include "internal.h"
#include <strsafe.h>
#include <algorithm>
#include <vector>

namespace {
HHOOK g_hhkCallWnd;
HHOOK g_hhkGetMsg;
HWND g_hwndStrip;
HFONT g_hfontStrip;
WCHAR g_szStripText[128];
const UINT_PTR kStripTimer = 1;

// A page or box running modally on this thread, and the closes that reached
// windows below it while it ran.
struct ModalFrame {
    DLGPROC pfnProc;
    HWND hdlg;
    std::vector<HWND> closes;
};
thread_local std::vector<ModalFrame *> t_frames;  // innermost last
const wchar_t kFrameProp[] = L"PlatModalFrame";

bool IsClass(HWND hwnd, const wchar_t *pszClass)
{
    WCHAR sz[64];
    return GetClassNameW(hwnd, sz, ARRAYSIZE(sz)) && lstrcmpiW(sz, pszClass) == 0;
}

bool IsShellWindow(HWND hwnd)
{
    return IsClass(hwnd, PLAT_BAR_CLASS) || IsClass(hwnd, PLAT_STRIP_CLASS);
}

void RefreshStrip()
{
    HWND hwndFg = GetForegroundWindow();
    if (!hwndFg || hwndFg == GetDesktopWindow() || IsShellWindow(hwndFg))
        hwndFg = GetActiveWindow();  // this program's own, when the desktop has none
    WCHAR sz[ARRAYSIZE(g_szStripText)] = L"";

    if (hwndFg && !IsShellWindow(hwndFg))
        GetWindowTextW(hwndFg, sz, ARRAYSIZE(sz));  // bounded: titles of other programs
    if (lstrcmpW(sz, g_szStripText) != 0) {
        StringCchCopyW(g_szStripText, ARRAYSIZE(g_szStripText), sz);
        InvalidateRect(g_hwndStrip, nullptr, TRUE);
    }
}

LRESULT CALLBACK StripProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    LRESULT lr;
    if (PlatShellWindowActivation(hwnd, msg, wp, &lr))
        return lr;
    switch (msg) {
    case WM_TIMER:
        RefreshStrip();
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        HBRUSH hbr = CreateSolidBrush(RGB(16, 40, 88));
        FillRect(hdc, &rc, hbr);
        DeleteObject(hbr);
        SetBkMode(hdc, TRANSPARENT);
        SetTextColor(hdc, RGB(255, 255, 255));
        HGDIOBJ hOld = SelectObject(hdc, g_hfontStrip);
        rc.left += 4;
        rc.right -= 4;
        DrawTextW(hdc, g_szStripText, -1, &rc, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
        SelectObject(hdc, hOld);
        EndPaint(hwnd, &ps);
        return 0;
    }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void EnsureStrip()
{
    if (g_hwndStrip && IsWindow(g_hwndStrip))
        return;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = StripProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = PLAT_STRIP_CLASS;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    RegisterClassW(&wc);
    if (!g_hfontStrip)
        g_hfontStrip = CreateFontW(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    g_hwndStrip = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, PLAT_STRIP_CLASS, L"",
                                  WS_POPUP | WS_VISIBLE, 0, 0, PHONE_CX, PHONE_STRIP_CY, nullptr, nullptr,
                                  wc.hInstance, nullptr);
    SetTimer(g_hwndStrip, kStripTimer, 100, nullptr);
}

// An application's own top-level window: no caption or frame, in the work area.
void PlaceTopLevel(HWND hwnd)
{
    LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    if (style & (WS_CHILD | WS_POPUP))
        return;
    if (IsShellWindow(hwnd) || IsClass(hwnd, L"#32770") || IsClass(hwnd, L"#32768"))
        return;
    SetWindowLongW(hwnd, GWL_STYLE, style & ~(WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    SetWindowPos(hwnd, nullptr, 0, PHONE_WORK_Y, PHONE_CX, PHONE_WORK_CY,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

LRESULT CALLBACK CallWndHook(int code, WPARAM wp, LPARAM lp)
{
    if (code == HC_ACTION) {
        const CWPSTRUCT *p = (const CWPSTRUCT *)lp;
        if (p->message == WM_NCCREATE) {
            // The strip comes with the program's first window: a windowless
            // service (obexsvc) must not put its own strip over the program's.
            const CREATESTRUCTW *pcs = (const CREATESTRUCTW *)p->lParam;
            if (!(pcs->style & WS_CHILD) && pcs->hwndParent != HWND_MESSAGE && !IsShellWindow(p->hwnd))
                EnsureStrip();
            PlaceTopLevel(p->hwnd);
        }
    }
    return CallNextHookEx(g_hhkCallWnd, code, wp, lp);
}

bool InMenuMode()
{
    GUITHREADINFO gti = {};
    gti.cbSize = sizeof(gti);
    return GetGUIThreadInfo(GetCurrentThreadId(), &gti) && (gti.flags & GUI_INMENUMODE);
}

// TRUE when the key was the shell's and must not reach the program.
BOOL RouteKey(const MSG *pmsg)
{
    UINT vk = (UINT)pmsg->wParam;
    bool fDown = pmsg->message == WM_KEYDOWN;
    switch (vk) {
    case VK_F1:
    case VK_F2:
        if (InMenuMode()) {
            if (fDown)
                EndMenu();
            return TRUE;
        }
        if (fDown) {
            HWND hwndBar = PlatFindSoftKeyBar(GetActiveWindow());
            if (hwndBar)
                PlatPressSoftKey(hwndBar, vk == VK_F1 ? 0 : 1);
        }
        return TRUE;
    case VK_ESCAPE:
        if (InMenuMode() || !fDown)
            return FALSE;
        return PlatBarHandleBack(GetActiveWindow());
    case VK_UP:
    case VK_DOWN:
        return fDown && !InMenuMode() && PlatDialogArrow(GetFocus(), vk == VK_UP);
    }
    return FALSE;
}

// A close that reaches a program while a page or box is up would destroy the
// windows under the code still running for them, and the quit that follows
// would be taken by the inner loop, so the program would never end. The
// innermost page ends first; a close for a window below it is held until the
// page has returned, and then goes on to the next one out.
bool HoldClose(const MSG *pmsg)
{
    if (pmsg->message != WM_CLOSE || t_frames.empty())
        return false;
    ModalFrame *pf = t_frames.back();
    if (pmsg->hwnd != pf->hdlg && std::find(pf->closes.begin(), pf->closes.end(), pmsg->hwnd) == pf->closes.end())
        pf->closes.push_back(pmsg->hwnd);
    if (InMenuMode())
        EndMenu();  // a pop-up open on the page holds it until it closes
    if (pf->hdlg)
        EndDialog(pf->hdlg, IDCANCEL);
    return true;
}

LRESULT CALLBACK GetMsgHook(int code, WPARAM wp, LPARAM lp)
{
    if (code == HC_ACTION && wp == PM_REMOVE) {
        MSG *pmsg = (MSG *)lp;
        if (((pmsg->message == WM_KEYDOWN || pmsg->message == WM_KEYUP) && RouteKey(pmsg)) || HoldClose(pmsg))
            pmsg->message = WM_NULL;
    }
    return CallNextHookEx(g_hhkGetMsg, code, wp, lp);
}

// Every modal page passes through here, so the frame learns its window.
INT_PTR CALLBACK FrameProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp)
{
    ModalFrame *pf = (ModalFrame *)GetPropW(hdlg, kFrameProp);
    if (!pf) {
        if (t_frames.empty())
            return FALSE;
        pf = t_frames.back();  // the page being made: its first message
        pf->hdlg = hdlg;
        SetPropW(hdlg, kFrameProp, pf);
    }
    if (msg == WM_NCDESTROY)
        RemovePropW(hdlg, kFrameProp);
    return pf->pfnProc(hdlg, msg, wp, lp);
}

// Programs create every window on the thread that loads them.
struct ShellInit {
    ShellInit()
    {
        g_hhkCallWnd = SetWindowsHookExW(WH_CALLWNDPROC, CallWndHook, nullptr, GetCurrentThreadId());
        g_hhkGetMsg = SetWindowsHookExW(WH_GETMESSAGE, GetMsgHook, nullptr, GetCurrentThreadId());
    }
} g_shellInit;
} // namespace

static void PassActivation()
{
    HWND hwndActive = GetActiveWindow();
    if (hwndActive && !IsShellWindow(hwndActive))
        return;  // a window of the program took the front meanwhile
    // Top-level windows come in z-order: the first of this thread's own that
    // can take keys is the one the user sees, a page over its main window.
    DWORD dwThread = GetCurrentThreadId();
    for (HWND hwnd = GetTopWindow(nullptr); hwnd; hwnd = GetWindow(hwnd, GW_HWNDNEXT)) {
        if (GetWindowThreadProcessId(hwnd, nullptr) == dwThread && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd) &&
            !IsShellWindow(hwnd) && !IsClass(hwnd, L"#32768")) {
            SetForegroundWindow(hwnd);
            return;
        }
    }
}

BOOL PlatShellWindowActivation(HWND hwnd, UINT msg, WPARAM wp, LRESULT *plResult)
{
    switch (msg) {
    case WM_MOUSEACTIVATE:
        *plResult = MA_NOACTIVATE;
        return TRUE;
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE)
            PostMessageW(hwnd, WM_PLAT_PASS_ACTIVATION, 0, 0);
        return FALSE;  // the default handling goes on
    case WM_PLAT_PASS_ACTIVATION:
        PassActivation();
        *plResult = 0;
        return TRUE;
    }
    return FALSE;
}

void PlatDefaultBack(HWND hwndTop)
{
    // In a dialog Back is Cancel; a main window stays where it is.
    if (hwndTop && IsClass(hwndTop, L"#32770"))
        SendMessageW(hwndTop, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
}

BOOL WINAPI PlatSetForegroundWindow(HWND hwnd)
{
    // Low bit set: bring forward what the window last activated (its open dialog).
    if ((ULONG_PTR)hwnd & 1) {
        hwnd = (HWND)((ULONG_PTR)hwnd & ~(ULONG_PTR)1);
        HWND hwndPopup = GetLastActivePopup(hwnd);
        if (hwndPopup)
            hwnd = hwndPopup;
    }
    return SetForegroundWindow(hwnd);
}

INT_PTR WINAPI PlatDialogBoxIndirectParamW(HINSTANCE hinst, LPCDLGTEMPLATEW ptmpl, HWND hwndOwner, DLGPROC pfnProc,
                                           LPARAM lParam)
{
    HWND hwndFrom = GetActiveWindow();
    ModalFrame frame = {pfnProc, nullptr, {}};
    t_frames.push_back(&frame);
    INT_PTR iResult = DialogBoxIndirectParamW(hinst, ptmpl, hwndOwner, FrameProc, lParam);
    t_frames.pop_back();
    // Closes held while the page ran go on now that it is gone.
    for (HWND hwnd : frame.closes)
        if (IsWindow(hwnd))
            PostMessageW(hwnd, WM_CLOSE, 0, 0);
    // A box without an owner (or a page that ends while its bar is active)
    // leaves Wine to activate the next window in line: a soft-key bar, which
    // has no keys of its own. The handset gives them back to the window the
    // user came from; a window of another program keeps the foreground.
    HWND hwndFg = GetForegroundWindow();
    bool fOurs = !hwndFg || hwndFg == GetDesktopWindow() ||
                 GetWindowThreadProcessId(hwndFg, nullptr) == GetCurrentThreadId();
    HWND hwndActive = GetActiveWindow();
    if (fOurs && hwndFrom && hwndActive != hwndFrom && (!hwndActive || IsShellWindow(hwndActive)) &&
        IsWindowVisible(hwndFrom) && IsWindowEnabled(hwndFrom))
        SetForegroundWindow(hwndFrom);
    return iResult;
}
