// Soft-key menu bars: two labelled keys at the bottom of the screen, built
// from the program's RCDATA bar resource and the RT_MENU of the same id.
#include "internal.h"
#include "aygshell.h"
#include <commctrl.h>
#include <strsafe.h>

namespace {
struct BarData {
    HWND hwndParent;
    HMENU hMenu;
    BOOL fOwnMenu;
    int cKeys;
    PlatSoftKey keys[2];
    DWORD dwBackFlags;  // SHMBOF_* set for VK_TBACK by SHCMBM_OVERRIDEKEY
};

HFONT g_hfontBar;

BarData *GetBar(HWND hwnd)
{
    return (BarData *)GetWindowLongPtrW(hwnd, GWLP_USERDATA);
}

int KeyOfCommand(BarData *pbar, UINT uCmd)
{
    for (int i = 0; i < pbar->cKeys; ++i)
        if (pbar->keys[i].uCmd == uCmd)
            return i;
    return -1;
}

void PaintBar(HWND hwnd, BarData *pbar)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    HBRUSH hbr = CreateSolidBrush(RGB(40, 44, 52));
    FillRect(hdc, &rc, hbr);
    DeleteObject(hbr);
    RECT rcMid = {rc.right / 2, 4, rc.right / 2 + 1, rc.bottom - 4};
    hbr = CreateSolidBrush(RGB(96, 100, 110));
    FillRect(hdc, &rcMid, hbr);
    DeleteObject(hbr);
    SetBkMode(hdc, TRANSPARENT);
    HGDIOBJ hOld = SelectObject(hdc, g_hfontBar);
    for (int i = 0; pbar && i < pbar->cKeys; ++i) {
        const PlatSoftKey &key = pbar->keys[i];
        RECT rcKey = rc;
        if (i == 0)
            rcKey.right = rc.right / 2;
        else
            rcKey.left = rc.right / 2 + 1;
        InflateRect(&rcKey, -4, 0);
        SetTextColor(hdc, key.fEnabled ? RGB(255, 255, 255) : RGB(120, 124, 132));
        UINT uAlign = i == 0 ? DT_LEFT : DT_RIGHT;
        DrawTextW(hdc, key.szLabel, -1, &rcKey, uAlign | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
    SelectObject(hdc, hOld);
    EndPaint(hwnd, &ps);
}

LRESULT SetButtonInfo(HWND hwnd, BarData *pbar, UINT uCmd, const TBBUTTONINFOW *ptbbi)
{
    int i = KeyOfCommand(pbar, uCmd);
    if (i < 0 || !ptbbi)
        return FALSE;
    PlatSoftKey &key = pbar->keys[i];
    if ((ptbbi->dwMask & TBIF_TEXT) && ptbbi->pszText)
        StringCchCopyW(key.szLabel, ARRAYSIZE(key.szLabel), ptbbi->pszText);
    if (ptbbi->dwMask & TBIF_STATE)
        key.fEnabled = (ptbbi->fsState & TBSTATE_ENABLED) != 0;
    if (ptbbi->dwMask & TBIF_COMMAND)
        key.uCmd = ptbbi->idCommand;
    InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
}

LRESULT GetButtonInfo(BarData *pbar, UINT uCmd, TBBUTTONINFOW *ptbbi)
{
    int i = KeyOfCommand(pbar, uCmd);
    if (i < 0 || !ptbbi)
        return -1;
    const PlatSoftKey &key = pbar->keys[i];
    if ((ptbbi->dwMask & TBIF_TEXT) && ptbbi->pszText && ptbbi->cchText > 0)
        StringCchCopyW(ptbbi->pszText, ptbbi->cchText, key.szLabel);
    if (ptbbi->dwMask & TBIF_STATE)
        ptbbi->fsState = key.fEnabled ? TBSTATE_ENABLED : 0;
    if (ptbbi->dwMask & TBIF_COMMAND)
        ptbbi->idCommand = key.uCmd;
    return i;
}

LRESULT CALLBACK BarProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    BarData *pbar = GetBar(hwnd);
    LRESULT lr;
    if (PlatShellWindowActivation(hwnd, msg, wp, &lr))
        return lr;
    switch (msg) {
    case WM_PAINT:
        PaintBar(hwnd, pbar);
        return 0;
    case WM_WINDOWPOSCHANGING:
        // Programs show bars with SW_SHOW; the handset's bar never takes activation.
        ((WINDOWPOS *)lp)->flags |= SWP_NOACTIVATE;
        break;
    case WM_LBUTTONUP: {
        RECT rc;
        GetClientRect(hwnd, &rc);
        PlatPressSoftKey(hwnd, (short)LOWORD(lp) < rc.right / 2 ? 0 : 1);
        return 0;
    }
    case WM_NCDESTROY:
        if (pbar) {
            if (pbar->fOwnMenu && pbar->hMenu)
                DestroyMenu(pbar->hMenu);
            delete pbar;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        }
        break;
    case SHCMBM_GETMENU:
        return pbar ? (LRESULT)pbar->hMenu : 0;
    case SHCMBM_GETSUBMENU: {
        int i = pbar ? KeyOfCommand(pbar, (UINT)lp) : -1;
        if (i < 0 || !pbar->keys[i].fDropDown || !pbar->hMenu)
            return 0;
        return (LRESULT)GetSubMenu(pbar->hMenu, pbar->keys[i].iPopup);
    }
    case SHCMBM_OVERRIDEKEY:
        if (!pbar || wp != VK_TBACK)
            return FALSE;
        // Low word: which flags to change; high word: their new values.
        pbar->dwBackFlags = (pbar->dwBackFlags & ~LOWORD(lp)) | (HIWORD(lp) & LOWORD(lp));
        return TRUE;
    case TB_ENABLEBUTTON: {
        int i = pbar ? KeyOfCommand(pbar, (UINT)wp) : -1;
        if (i < 0)
            return FALSE;
        pbar->keys[i].fEnabled = LOWORD(lp) != 0;
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case TB_ISBUTTONENABLED: {
        int i = pbar ? KeyOfCommand(pbar, (UINT)wp) : -1;
        return i >= 0 && pbar->keys[i].fEnabled;
    }
    case TB_SETBUTTONINFOW:
        return pbar ? SetButtonInfo(hwnd, pbar, (UINT)wp, (const TBBUTTONINFOW *)lp) : FALSE;
    case TB_GETBUTTONINFOW:
        return pbar ? GetButtonInfo(pbar, (UINT)wp, (TBBUTTONINFOW *)lp) : -1;
    case TB_BUTTONCOUNT:
        return pbar ? pbar->cKeys : 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void RegisterBarClass(HINSTANCE hinst)
{
    WNDCLASSW wc = {};
    if (GetClassInfoW(hinst, PLAT_BAR_CLASS, &wc))
        return;
    wc.lpfnWndProc = BarProc;
    wc.hInstance = hinst;
    wc.lpszClassName = PLAT_BAR_CLASS;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    RegisterClassW(&wc);
    if (!g_hfontBar)
        g_hfontBar = CreateFontW(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
}

// Reads the RCDATA bar resource; FALSE when it is missing or malformed.
BOOL ReadBarResource(HINSTANCE hinst, UINT uId, PlatSoftKey keys[2], int *pcKeys)
{
    HRSRC hrsrc = FindResourceW(hinst, MAKEINTRESOURCEW(uId), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    HGLOBAL hglob = hrsrc ? LoadResource(hinst, hrsrc) : nullptr;
    const WORD *pw = hglob ? (const WORD *)LockResource(hglob) : nullptr;
    DWORD cb = hrsrc ? SizeofResource(hinst, hrsrc) : 0;
    if (!pw || cb < 4)
        return FALSE;
    int cKeys = pw[1];
    if (cKeys < 1 || cKeys > 2 || cb < (DWORD)(4 + cKeys * 14))
        return FALSE;
    for (int i = 0; i < cKeys; ++i) {
        const WORD *pk = pw + 2 + i * 7;
        PlatSoftKey &key = keys[i];
        key.uCmd = pk[1];
        key.fEnabled = (pk[2] & TBSTATE_ENABLED) != 0;
        key.fDropDown = (pk[3] & 8) != 0;  // drop-down style
        key.iPopup = pk[6] == 0xFFFF ? -1 : pk[6];
        key.szLabel[0] = 0;
        LoadStringW(hinst, pk[4], key.szLabel, ARRAYSIZE(key.szLabel));
        if (key.fDropDown && key.iPopup < 0)
            return FALSE;
    }
    *pcKeys = cKeys;
    return TRUE;
}

// Where the pop-ups of one soft key open: each above the bar, the first on
// its key's side, each sub-menu beside the pop-up it came from, so it never
// covers its parent's items. Wine sizes and places a pop-up after creating
// it, so its window is subclassed to see where it goes.
struct PopupPlacement {
    HHOOK hhk;
    HMENU hTop;
    int yBottom;  // the bar's top edge
    BOOL fFromRight;
    RECT rcLast;  // the pop-up placed last
} g_place;

const WCHAR kMenuProcProp[] = L"PlatMenuProc";

void PlaceSubmenu(WINDOWPOS *pwp)
{
    int x = g_place.fFromRight ? g_place.rcLast.left - pwp->cx : g_place.rcLast.right;
    x = x < 0 ? 0 : (x + pwp->cx > PHONE_CX ? PHONE_CX - pwp->cx : x);
    int y = g_place.yBottom - pwp->cy;
    pwp->x = x;
    pwp->y = y < 0 ? 0 : y;
}

LRESULT CALLBACK PopupProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    WNDPROC pfn = (WNDPROC)GetPropW(hwnd, kMenuProcProp);
    if (msg == WM_WINDOWPOSCHANGING) {
        WINDOWPOS *pwp = (WINDOWPOS *)lp;
        if (!(pwp->flags & (SWP_NOMOVE | SWP_NOSIZE)) && pwp->cx > 0) {
            HMENU hMenu = (HMENU)SendMessageW(hwnd, MN_GETHMENU, 0, 0);
            if (hMenu && hMenu != g_place.hTop)
                PlaceSubmenu(pwp);
            SetRect(&g_place.rcLast, pwp->x, pwp->y, pwp->x + pwp->cx, pwp->y + pwp->cy);
        }
    } else if (msg == WM_NCDESTROY) {
        RemovePropW(hwnd, kMenuProcProp);
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, (LONG_PTR)pfn);
    }
    return pfn ? CallWindowProcW(pfn, hwnd, msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK PopupHook(int nCode, WPARAM wp, LPARAM lp)
{
    WCHAR szClass[16] = L"";
    if (nCode == HCBT_CREATEWND && GetClassNameW((HWND)wp, szClass, ARRAYSIZE(szClass)) &&
        lstrcmpW(szClass, L"#32768") == 0) {
        HWND hwnd = (HWND)wp;
        SetPropW(hwnd, kMenuProcProp, (HANDLE)GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, (LONG_PTR)PopupProc);
    }
    return CallNextHookEx(g_place.hhk, nCode, wp, lp);
}

void OpenPopup(HWND hwndBar, BarData *pbar, int iKey)
{
    HMENU hSub = pbar->hMenu ? GetSubMenu(pbar->hMenu, pbar->keys[iKey].iPopup) : nullptr;
    if (!hSub)
        return;
    UINT uFlags = TPM_BOTTOMALIGN | TPM_RETURNCMD;
    int x = 0;
    if (iKey == 0) {
        uFlags |= TPM_LEFTALIGN;
    } else {
        uFlags |= TPM_RIGHTALIGN;
        x = PHONE_CX;
    }
    RECT rc;
    GetWindowRect(hwndBar, &rc);
    HWND hwndParent = pbar->hwndParent;
    g_place.hTop = hSub;
    g_place.yBottom = rc.top;
    g_place.fFromRight = iKey != 0;
    g_place.hhk = SetWindowsHookExW(WH_CBT, PopupHook, nullptr, GetCurrentThreadId());
    UINT uCmd = (UINT)TrackPopupMenuEx(hSub, uFlags, x, rc.top, hwndParent, nullptr);
    if (g_place.hhk)
        UnhookWindowsHookEx(g_place.hhk);
    g_place.hhk = nullptr;
    if (uCmd && IsWindow(hwndParent))
        SendMessageW(hwndParent, WM_COMMAND, MAKEWPARAM(uCmd, 0), 0);
}
} // namespace

HWND PlatCreateBar(HWND hwndParent, HINSTANCE hinst, HMENU hMenu, const PlatSoftKey *pKeys, int cKeys)
{
    if (!hwndParent || !IsWindow(hwndParent) || cKeys < 0 || cKeys > 2)
        return nullptr;
    RegisterBarClass(hinst);
    BarData *pbar = new BarData();
    pbar->hwndParent = hwndParent;
    pbar->hMenu = hMenu;
    pbar->fOwnMenu = hMenu != nullptr;
    pbar->cKeys = cKeys;
    for (int i = 0; i < cKeys; ++i)
        pbar->keys[i] = pKeys[i];
    // Owned by the parent so it stays above it and dies with it.
    HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, PLAT_BAR_CLASS, L"", WS_POPUP, 0,
                                PHONE_CY - PHONE_BAR_CY, PHONE_CX, PHONE_BAR_CY, GetAncestor(hwndParent, GA_ROOT),
                                nullptr, hinst, nullptr);
    if (!hwnd) {
        if (hMenu)
            DestroyMenu(hMenu);
        delete pbar;
        return nullptr;
    }
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, (LONG_PTR)pbar);
    SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    return hwnd;
}

BOOL WINAPI SHCreateMenuBar(SHMENUBARINFO *pmbi)
{
    if (!pmbi || pmbi->cbSize < sizeof(SHMENUBARINFO) || !pmbi->hwndParent)
        return FALSE;
    pmbi->hwndMB = nullptr;
    PlatSoftKey keys[2] = {};
    int cKeys = 0;
    if (!ReadBarResource(pmbi->hInstRes, pmbi->nToolBarId, keys, &cKeys))
        return FALSE;
    HMENU hMenu = LoadMenuW(pmbi->hInstRes, MAKEINTRESOURCEW(pmbi->nToolBarId));
    for (int i = 0; i < cKeys; ++i)
        if (keys[i].fDropDown && (!hMenu || !GetSubMenu(hMenu, keys[i].iPopup))) {
            if (hMenu)
                DestroyMenu(hMenu);
            return FALSE;
        }
    HWND hwnd = PlatCreateBar(pmbi->hwndParent, pmbi->hInstRes, hMenu, keys, cKeys);
    if (!hwnd)
        return FALSE;
    if (pmbi->dwFlags & SHCMBF_HIDDEN)
        ShowWindow(hwnd, SW_HIDE);
    pmbi->hwndMB = hwnd;
    return TRUE;
}

namespace {
struct FindBar {
    HWND hwndParent;
    HWND hwndFound;
};

BOOL CALLBACK FindBarProc(HWND hwnd, LPARAM lp)
{
    FindBar *pfind = (FindBar *)lp;
    BarData *pbar = GetBar(hwnd);
    WCHAR sz[32];
    if (GetClassNameW(hwnd, sz, ARRAYSIZE(sz)) && lstrcmpW(sz, PLAT_BAR_CLASS) == 0 && pbar &&
        pbar->hwndParent == pfind->hwndParent && IsWindowVisible(hwnd)) {
        pfind->hwndFound = hwnd;
        return FALSE;
    }
    return TRUE;
}
} // namespace

HWND WINAPI PlatFindSoftKeyBar(HWND hwndParent)
{
    if (!hwndParent)
        return nullptr;
    FindBar find = {hwndParent, nullptr};
    EnumThreadWindows(GetWindowThreadProcessId(hwndParent, nullptr), FindBarProc, (LPARAM)&find);
    return find.hwndFound;
}

BOOL WINAPI PlatPressSoftKey(HWND hwndBar, int iKey)
{
    BarData *pbar = hwndBar ? GetBar(hwndBar) : nullptr;
    if (!pbar || iKey < 0 || iKey >= pbar->cKeys || !pbar->keys[iKey].fEnabled)
        return FALSE;
    if (pbar->keys[iKey].fDropDown)
        OpenPopup(hwndBar, pbar, iKey);
    else
        SendMessageW(pbar->hwndParent, WM_COMMAND, MAKEWPARAM(pbar->keys[iKey].uCmd, 0), 0);
    return TRUE;
}

BOOL WINAPI PlatGetSoftKeyInfo(HWND hwndBar, int iKey, UINT *puCmd, BOOL *pfEnabled, BOOL *pfDropDown)
{
    BarData *pbar = hwndBar ? GetBar(hwndBar) : nullptr;
    if (!pbar || iKey < 0 || iKey >= pbar->cKeys)
        return FALSE;
    if (puCmd)
        *puCmd = pbar->keys[iKey].uCmd;
    if (pfEnabled)
        *pfEnabled = pbar->keys[iKey].fEnabled;
    if (pfDropDown)
        *pfDropDown = pbar->keys[iKey].fDropDown;
    return TRUE;
}

BOOL WINAPI PlatGetSoftKeyLabel(HWND hwndBar, int iKey, LPWSTR pszLabel, int cchLabel)
{
    BarData *pbar = hwndBar ? GetBar(hwndBar) : nullptr;
    if (!pbar || iKey < 0 || iKey >= pbar->cKeys || !pszLabel || cchLabel <= 0)
        return FALSE;
    return SUCCEEDED(StringCchCopyW(pszLabel, cchLabel, pbar->keys[iKey].szLabel));
}

BOOL PlatBarHandleBack(HWND hwndActive)
{
    HWND hwndBar = PlatFindSoftKeyBar(hwndActive);
    BarData *pbar = hwndBar ? GetBar(hwndBar) : nullptr;
    if (pbar && (pbar->dwBackFlags & (SHMBOF_NODEFAULT | SHMBOF_NOTIFY))) {
        if (pbar->dwBackFlags & SHMBOF_NOTIFY)
            SendMessageW(pbar->hwndParent, WM_HOTKEY, 0, MAKELPARAM(0, VK_TBACK));
        if (!(pbar->dwBackFlags & SHMBOF_NODEFAULT))
            PlatDefaultBack(GetAncestor(hwndActive, GA_ROOT));
        return TRUE;
    }
    WCHAR sz[16];
    // A dialog's own Cancel handling is the default Back; elsewhere Back does nothing.
    if (hwndActive && GetClassNameW(hwndActive, sz, ARRAYSIZE(sz)) && lstrcmpW(sz, L"#32770") == 0)
        return FALSE;
    return TRUE;
}
