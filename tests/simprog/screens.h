// Morlin's screens opened as modeless dialogs in the test, driven through
// their commands, with their texts, fonts and menu states read back.
#pragma once
#include "simtest.h"
#include "kit.h"
#include "transfer.h"
#include <functional>

// A list view's texts in one column, and its rows' ticks.
inline std::vector<std::wstring> Cells(HWND hwndList, int iCol = 0)
{
    std::vector<std::wstring> v;
    for (int i = 0; i < ListView_GetItemCount(hwndList); ++i)
        v.push_back(ListCell(hwndList, i, iCol));
    return v;
}
inline std::vector<bool> Ticks(HWND hwndList)
{
    std::vector<bool> v;
    for (int i = 0; i < ListView_GetItemCount(hwndList); ++i)
        v.push_back(IsRowTicked(hwndList, i));
    return v;
}
// The rows drawn highlighted.
inline std::vector<int> SelectedRows(HWND hwndList)
{
    std::vector<int> v;
    for (int i = 0; i < ListView_GetItemCount(hwndList); ++i)
        if (ListView_GetItemState(hwndList, i, LVIS_SELECTED))
            v.push_back(i);
    return v;
}
// The state of an item of the bar's popup once the window has set it up.
inline UINT PopupState(HWND hwnd, UINT idBar, UINT id)
{
    HMENU hmenu = LoadMenuW(g_hInst, MAKEINTRESOURCEW(idBar));
    HMENU hsub = GetSubMenu(hmenu, 0);
    SendMessageW(hwnd, WM_INITMENUPOPUP, (WPARAM)hsub, 0);
    UINT u = GetMenuState(hsub, id, MF_BYCOMMAND);
    DestroyMenu(hmenu);
    return u;
}

// Calls fn with each line ("Processing...") the progress dialog shows while it lives.
class ProgressWatch {
    static inline std::function<void(const std::wstring &)> s_fn;
    HHOOK m_hhook;

    static LRESULT CALLBACK Hook(int code, WPARAM wp, LPARAM lp)
    {
        const CWPSTRUCT *p = (const CWPSTRUCT *)lp;
        if (code == HC_ACTION && p->message == WM_SETTEXT && p->lParam &&
            wcsncmp((LPCWSTR)p->lParam, L"Processing", 10) == 0 && s_fn)
            s_fn((LPCWSTR)p->lParam);
        return CallNextHookEx(nullptr, code, wp, lp);
    }

public:
    explicit ProgressWatch(std::function<void(const std::wstring &)> fn)
    {
        s_fn = std::move(fn);
        m_hhook = SetWindowsHookExW(WH_CALLWNDPROC, Hook, nullptr, GetCurrentThreadId());
    }
    ~ProgressWatch()
    {
        UnhookWindowsHookEx(m_hhook);
        s_fn = nullptr;
    }
};

class Screens : public SimTest {
protected:
    HWND m_hdlg = nullptr;

    void TearDown() override
    {
        if (m_hdlg && IsWindow(m_hdlg))
            DestroyWindow(m_hdlg);
        Pump(30);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        SimTest::TearDown();
    }
    // fShow false leaves a dialog that ends while it starts hidden, so Closed() tells.
    HWND Open(UINT idd, DLGPROC pfn, bool fShow = true)
    {
        if (m_hdlg && IsWindow(m_hdlg))
            DestroyWindow(m_hdlg);
        m_hdlg = CreateDialogParamW(g_hInst, MAKEINTRESOURCEW(idd), nullptr, pfn, 0);
        EXPECT_NE(nullptr, m_hdlg);
        if (fShow)
            ShowWindow(m_hdlg, SW_SHOW);
        Pump(20);
        return m_hdlg;
    }
    bool Closed() { return !IsWindow(m_hdlg) || !IsWindowVisible(m_hdlg); }
    void Command(UINT id) { SendMessageW(m_hdlg, WM_COMMAND, id, 0); }
    void SetText(int id, const wchar_t *psz) { SetDlgItemTextW(m_hdlg, id, psz); }
    std::wstring Text(int id) { return WindowText(m_hdlg, id); }
    std::wstring Title() { return WindowText(m_hdlg); }
    LOGFONTW Font(int id)
    {
        LOGFONTW lf = {};
        GetObjectW((HFONT)SendDlgItemMessageW(m_hdlg, id, WM_GETFONT, 0, 0), sizeof(lf), &lf);
        return lf;
    }
    UINT PopupState(UINT idBar, UINT id) { return ::PopupState(m_hdlg, idBar, id); }
    // The edit field's text shows whole in its font: nothing scrolled out.
    bool Fits(int id)
    {
        RECT rc = {};
        SendDlgItemMessageW(m_hdlg, id, EM_GETRECT, 0, (LPARAM)&rc);
        HFONT hfont = (HFONT)SendDlgItemMessageW(m_hdlg, id, WM_GETFONT, 0, 0);
        return TextWidth(hfont, Text(id).c_str()) <= rc.right - rc.left;
    }
};
