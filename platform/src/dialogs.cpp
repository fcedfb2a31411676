// Full-screen dialogs, the Back key inside edit controls, and the handset's
// habit of moving between a dialog's fields with UP and DOWN.
#include "internal.h"
#include <commctrl.h>
#include "aygshell.h"

namespace {
const wchar_t kFullScreenProp[] = L"PlatFullScreen";

bool ClassIs(HWND hwnd, const wchar_t *pszClass)
{
    WCHAR sz[64];
    return GetClassNameW(hwnd, sz, ARRAYSIZE(sz)) && lstrcmpiW(sz, pszClass) == 0;
}

// Whether a control still has a use for the arrow key itself.
bool KeepsArrow(HWND hwnd, BOOL fUp)
{
    if (ClassIs(hwnd, L"Edit")) {
        if (!(GetWindowLongW(hwnd, GWL_STYLE) & ES_MULTILINE))
            return false;
        DWORD dwStart = 0;
        SendMessageW(hwnd, EM_GETSEL, (WPARAM)&dwStart, 0);
        LRESULT iLine = SendMessageW(hwnd, EM_LINEFROMCHAR, dwStart, 0);
        LRESULT cLines = SendMessageW(hwnd, EM_GETLINECOUNT, 0, 0);
        // On the first line Up still has the caret's way to the start.
        return fUp ? iLine > 0 || dwStart > 0 : iLine < cLines - 1;
    }
    if (ClassIs(hwnd, L"Button") || ClassIs(hwnd, L"Static"))
        return false;
    if (ClassIs(hwnd, L"ComboBox"))
        return SendMessageW(hwnd, CB_GETDROPPEDSTATE, 0, 0) != 0;
    if (ClassIs(hwnd, L"ListBox")) {
        // A spinner (a one-line list with its spin control beside it) is a field:
        // LEFT and RIGHT step through it, UP and DOWN move on.
        HWND hwndSpin = GetWindow(hwnd, GW_HWNDNEXT);
        return !(hwndSpin && ClassIs(hwndSpin, L"msctls_updown32") &&
                 (HWND)SendMessageW(hwndSpin, UDM_GETBUDDY, 0, 0) == hwnd);
    }
    return true;  // lists, trees and the rest scroll with the arrows
}
} // namespace

BOOL WINAPI SHInitDialog(PSHINITDLGINFO pshidi)
{
    if (!pshidi || !pshidi->hDlg || !IsWindow(pshidi->hDlg))
        return FALSE;
    if (!(pshidi->dwMask & SHIDIM_FLAGS))
        return TRUE;
    if (pshidi->dwFlags & (SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIZEDLG | SHIDIF_FULLSCREENNOMENUBAR)) {
        HWND hdlg = pshidi->hDlg;
        LONG style = GetWindowLongW(hdlg, GWL_STYLE);
        LONG exstyle = GetWindowLongW(hdlg, GWL_EXSTYLE);
        SetWindowLongW(hdlg, GWL_STYLE, style & ~(WS_CAPTION | WS_THICKFRAME | WS_BORDER | WS_SYSMENU | DS_MODALFRAME));
        SetWindowLongW(hdlg, GWL_EXSTYLE, exstyle & ~(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE));
        int cy = (pshidi->dwFlags & SHIDIF_FULLSCREENNOMENUBAR) ? PHONE_CY - PHONE_WORK_Y : PHONE_WORK_CY;
        SetWindowPos(hdlg, nullptr, 0, PHONE_WORK_Y, PHONE_CX, cy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        SetPropW(hdlg, kFullScreenProp, (HANDLE)1);
    }
    return TRUE;
}

void WINAPI SHSendBackToFocusWindow(UINT uMsg, WPARAM wp, LPARAM lp)
{
    (void)wp;
    if (uMsg != WM_HOTKEY || HIWORD(lp) != VK_TBACK || (LOWORD(lp) & MOD_KEYUP))
        return;
    HWND hwndFocus = GetFocus();
    if (hwndFocus && ClassIs(hwndFocus, L"Edit") && GetWindowTextLengthW(hwndFocus) > 0) {
        // Back in a non-empty edit control deletes like the backspace key.
        DWORD dwStart = 0, dwEnd = 0;
        SendMessageW(hwndFocus, EM_GETSEL, (WPARAM)&dwStart, (LPARAM)&dwEnd);
        if (dwStart == dwEnd && dwStart > 0)
            SendMessageW(hwndFocus, EM_SETSEL, dwStart - 1, dwEnd);
        if (dwStart != dwEnd || dwStart > 0)
            SendMessageW(hwndFocus, EM_REPLACESEL, TRUE, (LPARAM)L"");
        return;
    }
    PlatDefaultBack(hwndFocus ? GetAncestor(hwndFocus, GA_ROOT) : GetActiveWindow());
}

void WINAPI SHNavigateBack(void)
{
    // The shell's own Back: on this handset it leaves the program where it is.
}

BOOL PlatDialogArrow(HWND hwndFocus, BOOL fUp)
{
    if (!hwndFocus)
        return FALSE;
    HWND hdlg = GetAncestor(hwndFocus, GA_ROOT);
    if (!hdlg || hdlg == hwndFocus || !GetPropW(hdlg, kFullScreenProp) || KeepsArrow(hwndFocus, fUp))
        return FALSE;
    HWND hwndNext = GetNextDlgTabItem(hdlg, hwndFocus, fUp);
    if (hwndNext && hwndNext != hwndFocus)
        SendMessageW(hdlg, WM_NEXTDLGCTL, (WPARAM)hwndNext, TRUE);
    return TRUE;
}
