// The handset's message box: the desktop box placed in the work area, with
// its answers on the two soft keys. Tests answer it through a hook instead.
#include "internal.h"
#include <strsafe.h>

namespace {
PLATMSGBOXHOOK g_pfnHook;
HHOOK g_hhkCbt;
UINT g_uPendingType;

LRESULT CALLBACK MsgBoxCbt(int code, WPARAM wp, LPARAM lp)
{
    if (code == HCBT_ACTIVATE) {
        HWND hwndBox = (HWND)wp;
        WCHAR sz[16];
        if (GetClassNameW(hwndBox, sz, ARRAYSIZE(sz)) && lstrcmpW(sz, L"#32770") == 0 &&
            !PlatFindSoftKeyBar(hwndBox)) {
            UnhookWindowsHookEx(g_hhkCbt);
            g_hhkCbt = nullptr;
            RECT rc;
            GetWindowRect(hwndBox, &rc);
            int cx = rc.right - rc.left, cy = rc.bottom - rc.top;
            if (cx > PHONE_CX)
                cx = PHONE_CX;
            int y = PHONE_WORK_Y + (PHONE_WORK_CY - cy) / 2;
            if (y < PHONE_WORK_Y)
                y = PHONE_WORK_Y;
            SetWindowPos(hwndBox, nullptr, (PHONE_CX - cx) / 2, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
            int aid[2];
            LPCWSTR apsz[2];
            int cKeys = PlatMessageBoxSoftKeys(g_uPendingType, aid, apsz);
            PlatSoftKey keys[2] = {};
            for (int i = 0; i < cKeys; ++i) {
                keys[i].uCmd = aid[i];
                keys[i].fEnabled = TRUE;
                keys[i].iPopup = -1;
                StringCchCopyW(keys[i].szLabel, ARRAYSIZE(keys[i].szLabel), apsz[i]);
            }
            PlatCreateBar(hwndBox, GetModuleHandleW(nullptr), nullptr, keys, cKeys);
            return 0;
        }
    }
    return CallNextHookEx(g_hhkCbt, code, wp, lp);
}
} // namespace

int WINAPI PlatMessageBoxSoftKeys(UINT uType, int aid[2], LPCWSTR apsz[2])
{
    switch (uType & MB_TYPEMASK) {
    case MB_YESNO:
    case MB_YESNOCANCEL:
        aid[0] = IDYES, apsz[0] = L"Yes";
        aid[1] = IDNO, apsz[1] = L"No";
        return 2;
    case MB_OKCANCEL:
        aid[0] = IDOK, apsz[0] = L"OK";
        aid[1] = IDCANCEL, apsz[1] = L"Cancel";
        return 2;
    case MB_RETRYCANCEL:
        aid[0] = IDRETRY, apsz[0] = L"Retry";
        aid[1] = IDCANCEL, apsz[1] = L"Cancel";
        return 2;
    case MB_ABORTRETRYIGNORE:
        aid[0] = IDRETRY, apsz[0] = L"Retry";
        aid[1] = IDABORT, apsz[1] = L"Abort";
        return 2;
    default:
        aid[0] = IDOK, apsz[0] = L"OK";
        return 1;
    }
}

PLATMSGBOXHOOK WINAPI PlatSetMessageBoxHook(PLATMSGBOXHOOK pfn)
{
    PLATMSGBOXHOOK pfnOld = g_pfnHook;
    g_pfnHook = pfn;
    return pfnOld;
}

int WINAPI PlatMessageBoxW(HWND hwnd, LPCWSTR pszText, LPCWSTR pszCaption, UINT uType)
{
    if (g_pfnHook)
        return g_pfnHook(hwnd, pszText, pszCaption, uType);
    g_uPendingType = uType;
    if (!g_hhkCbt)
        g_hhkCbt = SetWindowsHookExW(WH_CBT, MsgBoxCbt, nullptr, GetCurrentThreadId());
    int iResult = MessageBoxW(hwnd, pszText, pszCaption, uType);
    if (g_hhkCbt) {
        UnhookWindowsHookEx(g_hhkCbt);
        g_hhkCbt = nullptr;
    }
    return iResult;
}
