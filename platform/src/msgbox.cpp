// The handset's message box: a full-screen page in the work area with the
// icon and the word-wrapped text, its answers on the two soft keys, ACTION for
// the default answer. Tests answer boxes through a hook instead.
#include "internal.h"
#include <strsafe.h>

namespace {
PLATMSGBOXHOOK g_pfnHook;
const UINT kSoftKeyBase = 0x100;  // soft keys send answer + base, apart from IDOK/IDCANCEL
const int kIdText = 100, kIdIcon = 101;
// Words longer than a line (paths) are broken too, so the whole text shows.
const UINT kTextFormat = DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX;
const int kFontHeight = 12, kSmallestFontHeight = 8;

struct BoxArgs {
    LPCWSTR pszText;
    LPCWSTR pszCaption;
    UINT uType;
    HFONT hfont;
};

// The desktop box's buttons, in order, for a type.
int Buttons(UINT uType, int aid[3])
{
    switch (uType & MB_TYPEMASK) {
    case MB_OKCANCEL: aid[0] = IDOK, aid[1] = IDCANCEL; return 2;
    case MB_ABORTRETRYIGNORE: aid[0] = IDABORT, aid[1] = IDRETRY, aid[2] = IDIGNORE; return 3;
    case MB_YESNOCANCEL: aid[0] = IDYES, aid[1] = IDNO, aid[2] = IDCANCEL; return 3;
    case MB_YESNO: aid[0] = IDYES, aid[1] = IDNO; return 2;
    case MB_RETRYCANCEL: aid[0] = IDRETRY, aid[1] = IDCANCEL; return 2;
    default: aid[0] = IDOK; return 1;
    }
}

int DefaultAnswer(UINT uType)
{
    int aid[3];
    int c = Buttons(uType, aid);
    int i = (int)((uType & MB_DEFMASK) >> 8);
    return aid[i < c ? i : 0];
}

// Back answers as Escape does on the desktop: Cancel where there is one, OK alone.
int BackAnswer(UINT uType)
{
    int aid[3];
    int c = Buttons(uType, aid);
    for (int i = 0; i < c; ++i)
        if (aid[i] == IDCANCEL)
            return IDCANCEL;
    return c == 1 ? IDOK : 0;
}

LPCWSTR IconOf(UINT uType)
{
    switch (uType & MB_ICONMASK) {
    case MB_ICONHAND: return IDI_HAND;
    case MB_ICONQUESTION: return IDI_QUESTION;
    case MB_ICONEXCLAMATION: return IDI_EXCLAMATION;
    case MB_ICONASTERISK: return IDI_ASTERISK;
    default: return nullptr;
    }
}

// The box's face at its usual size, or smaller for a text that would not
// fit the work area at it.
HFONT CreateFittingFont(HWND hwnd, LPCWSTR pszText, int cx, int cy)
{
    HDC hdc = GetDC(hwnd);
    HFONT hfont = nullptr;
    for (int iHeight = kFontHeight; iHeight >= kSmallestFontHeight; --iHeight) {
        if (hfont)
            DeleteObject(hfont);
        hfont = CreateFontW(-iHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
        HGDIOBJ hfontOld = SelectObject(hdc, hfont);
        RECT rc = {0, 0, cx, 0};
        DrawTextW(hdc, pszText, -1, &rc, kTextFormat | DT_CALCRECT);
        SelectObject(hdc, hfontOld);
        if (rc.bottom <= cy)
            break;
    }
    ReleaseDC(hwnd, hdc);
    return hfont;
}

void DrawBoxText(const DRAWITEMSTRUCT *pdis, const BoxArgs *pargs)
{
    FillRect(pdis->hDC, &pdis->rcItem, (HBRUSH)GetStockObject(WHITE_BRUSH));
    SetBkMode(pdis->hDC, TRANSPARENT);
    HGDIOBJ hfontOld = SelectObject(pdis->hDC, pargs->hfont);
    RECT rc = pdis->rcItem;
    DrawTextW(pdis->hDC, pargs->pszText, -1, &rc, kTextFormat);
    SelectObject(pdis->hDC, hfontOld);
}

void OnInitBox(HWND hdlg, BoxArgs *pargs)
{
    SetWindowLongPtrW(hdlg, DWLP_USER, (LONG_PTR)pargs);
    SetWindowTextW(hdlg, pargs->pszCaption ? pargs->pszCaption : L"Error");
    SetWindowPos(hdlg, HWND_TOP, 0, PHONE_WORK_Y, PHONE_CX, PHONE_WORK_CY, SWP_NOACTIVATE);
    HINSTANCE hinst = GetModuleHandleW(nullptr);
    int xText = 6;
    if (LPCWSTR pszIcon = IconOf(pargs->uType)) {
        HWND hwndIcon = CreateWindowExW(0, L"Static", nullptr, WS_CHILD | WS_VISIBLE | SS_ICON, 6, 8, 32, 32, hdlg,
                                        (HMENU)(UINT_PTR)kIdIcon, hinst, nullptr);
        SendMessageW(hwndIcon, STM_SETICON, (WPARAM)LoadIconW(nullptr, pszIcon), 0);
        xText = 44;
    }
    int cxText = PHONE_CX - xText - 6, cyText = PHONE_WORK_CY - 16;
    HWND hwndText = CreateWindowExW(0, L"Static", pargs->pszText, WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, xText, 8,
                                    cxText, cyText, hdlg, (HMENU)(UINT_PTR)kIdText, hinst, nullptr);
    pargs->hfont = CreateFittingFont(hwndText, pargs->pszText, cxText, cyText);
    SendMessageW(hwndText, WM_SETFONT, (WPARAM)pargs->hfont, FALSE);
    int aid[2];
    LPCWSTR apsz[2];
    int cKeys = PlatMessageBoxSoftKeys(pargs->uType, aid, apsz);
    PlatSoftKey keys[2] = {};
    for (int i = 0; i < cKeys; ++i) {
        keys[i].uCmd = kSoftKeyBase + aid[i];
        keys[i].fEnabled = TRUE;
        keys[i].iPopup = -1;
        StringCchCopyW(keys[i].szLabel, ARRAYSIZE(keys[i].szLabel), apsz[i]);
    }
    PlatCreateBar(hdlg, hinst, nullptr, keys, cKeys);
}

INT_PTR CALLBACK BoxProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp)
{
    BoxArgs *pargs = (BoxArgs *)GetWindowLongPtrW(hdlg, DWLP_USER);
    switch (msg) {
    case WM_INITDIALOG:
        OnInitBox(hdlg, (BoxArgs *)lp);
        return TRUE;
    case WM_DRAWITEM:
        if (wp == kIdText && pargs)
            DrawBoxText((const DRAWITEMSTRUCT *)lp, pargs);
        return TRUE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
        SetBkColor((HDC)wp, RGB(255, 255, 255));
        return (INT_PTR)GetStockObject(WHITE_BRUSH);
    case WM_COMMAND: {
        UINT id = LOWORD(wp);
        int iAnswer = id > kSoftKeyBase ? (int)(id - kSoftKeyBase)
                      : id == IDOK      ? DefaultAnswer(pargs->uType)  // ACTION
                      : id == IDCANCEL  ? BackAnswer(pargs->uType)
                                        : 0;
        if (iAnswer)
            EndDialog(hdlg, iAnswer);
        return TRUE;
    }
    }
    return FALSE;
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
    struct {
        DLGTEMPLATE dt;
        WORD wMenu, wClass, wTitle;
    } tmpl = {};
    tmpl.dt.style = WS_POPUP | WS_VISIBLE;
    BoxArgs args = {pszText ? pszText : L"", pszCaption, uType, nullptr};
    INT_PTR iResult = PlatDialogBoxIndirectParamW(GetModuleHandleW(nullptr), &tmpl.dt, hwnd, BoxProc, (LPARAM)&args);
    if (args.hfont)
        DeleteObject(args.hfont);
    return iResult > 0 ? (int)iResult : 0;
}
