// Check boxes on the handset: the action key ticks or clears the box that
// has the focus. Without this a dialog turns the key into IDOK and no box
// could ever change from the keypad.
#include "kit.h"

static const WCHAR kOldProcProp[] = L"KitCheckBoxProc";

static BOOL IsActionKey(UINT msg, WPARAM wp)
{
    return (msg == WM_KEYDOWN && wp == VK_RETURN) || (msg == WM_CHAR && wp == L'\r');
}

static LRESULT CALLBACK CheckBoxKeyProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    WNDPROC pfnOld = (WNDPROC)GetPropW(hwnd, kOldProcProp);
    if (!pfnOld)
        return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_GETDLGCODE: {
        LRESULT code = CallWindowProcW(pfnOld, hwnd, msg, wp, lp);
        const MSG *pmsg = (const MSG *)lp;
        if (pmsg && IsActionKey(pmsg->message, pmsg->wParam))
            code |= DLGC_WANTMESSAGE;  // the dialog hands the key to the box, not to IDOK
        return code;
    }
    case WM_KEYDOWN:
        if (wp != VK_RETURN)
            break;
        if (!(lp & 0x40000000))  // a held key ticks once
            SendMessageW(hwnd, BM_CLICK, 0, 0);
        return 0;
    case WM_CHAR:
        if (wp == L'\r')
            return 0;
        break;
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, (LONG_PTR)pfnOld);
        RemovePropW(hwnd, kOldProcProp);
        break;
    }
    return CallWindowProcW(pfnOld, hwnd, msg, wp, lp);
}

static BOOL IsCheckBox(HWND hwnd)
{
    WCHAR szClass[16];
    if (!GetClassNameW(hwnd, szClass, ARRAYSIZE(szClass)) || lstrcmpiW(szClass, L"Button") != 0)
        return FALSE;
    switch (GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE: return TRUE;
    }
    return FALSE;
}

void AnswerCheckBoxKeys(HWND hdlg)
{
    for (HWND hwnd = GetWindow(hdlg, GW_CHILD); hwnd; hwnd = GetWindow(hwnd, GW_HWNDNEXT)) {
        if (!IsCheckBox(hwnd) || GetPropW(hwnd, kOldProcProp))
            continue;
        WNDPROC pfnOld = (WNDPROC)GetWindowLongPtrW(hwnd, GWLP_WNDPROC);
        if (pfnOld && SetPropW(hwnd, kOldProcProp, (HANDLE)pfnOld))
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, (LONG_PTR)CheckBoxKeyProc);
    }
}
