// A Tavel main window in the test process over the test store, and the
// helpers every window test uses.
#pragma once
#include <gtest/gtest.h>
#include "kit.h"
#include "platform.h"
#include "support.h"
#include "filer_test.h"
#include "mainwnd.h"
#include "options.h"
#include "../../res/tavel/resource.h"
#include <strsafe.h>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

class TavelWindow : public testing::Test {
protected:
    HWND hwnd = nullptr;
    HWND hwndList = nullptr;

    void SetUp() override
    {
        ResetStore();
        ClearTavelRegistry();
        MessageBoxes::Reset();
        for (const char *psz : {OPT_HIDE_HIDDEN, OPT_REMEMBER_FOLDER, OPT_HIDE_EXTENSIONS, OPT_SWITCH_TO_CARD})
            SetOption(psz, 0);
        SetOption(OPT_CONFIRM_OVERWRITE, 1);
        SetOption(OPT_CONFIRM_DELETE, 1);
        g_szCurrentFolder[0] = 0;
    }

    void TearDown() override
    {
        if (hwnd && IsWindow(hwnd))
            DestroyWindow(hwnd);
        Pump(30);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        ClearTavelRegistry();
        ResetStore();
    }

    // Creates the window; on pszFolder when given, else on the current folder as set.
    void OpenWindow(LPCWSTR pszFolder = nullptr)
    {
        static bool s_fRegistered = RegisterMainClass(TAVEL_CLASS, MainWndProc);
        ASSERT_TRUE(s_fRegistered);
        if (pszFolder)
            StringCchCopyW(g_szCurrentFolder, ARRAYSIZE(g_szCurrentFolder), pszFolder);
        StringCchCopyW(g_szTitle, ARRAYSIZE(g_szTitle), L"File Manager");
        hwnd = CreateWindowExW(0, TAVEL_CLASS, g_szTitle, WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, g_hInst, nullptr);
        ASSERT_NE(nullptr, hwnd);
        ShowWindow(hwnd, SW_SHOW);
        SetForegroundWindow(hwnd);
        hwndList = GetDlgItem(hwnd, IDC_FILELIST);
        ASSERT_NE(nullptr, hwndList);
        Pump(50);
    }

    // A key through the queue, as the keyboard sends it, to a window given the focus.
    void PostKey(HWND hwndTo, UINT vk, DWORD ms = 30)
    {
        SetFocus(hwndTo);
        PostMessageW(hwndTo, WM_KEYDOWN, vk, 1);
        PostMessageW(hwndTo, WM_KEYUP, vk, 0xC0000001);
        Pump(ms);
    }

    void Command(UINT id) { SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

    // Runs fn inside the modal dialog that idCommand (sent to hwndTo, else the
    // window) opens, then ends it with idEnd; with idEnd 0 fn must end it, and
    // one left open is ended and fails the test. False when none came up.
    bool InDialog(UINT idCommand, UINT idEnd, std::function<void(HWND)> fn, HWND hwndTo = nullptr)
    {
        static std::function<void(HWND)> s_fn;
        static UINT s_idEnd;
        static bool s_fRan, s_fBusy;
        static HWND s_hwndFrom;
        s_hwndFrom = hwndTo;
        s_fn = std::move(fn);
        s_idEnd = idEnd;
        s_fRan = s_fBusy = false;
        UINT_PTR idTimer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
            HWND hdlg = nullptr;
            for (HWND h : FindTopLevel(L"#32770")) {
                if (!hdlg && h != s_hwndFrom && IsWindowVisible(h) &&
                    GetWindowThreadProcessId(h, nullptr) == GetCurrentThreadId())
                    hdlg = h;
            }
            if (!hdlg || s_fBusy)
                return;
            if (s_fRan) {
                ADD_FAILURE() << "the dialog stayed open";
                EndDialog(hdlg, 0);
                return;
            }
            s_fRan = s_fBusy = true;
            if (s_idEnd)
                KillTimer(nullptr, id);
            s_fn(hdlg);
            if (s_idEnd)
                SendMessageW(hdlg, WM_COMMAND, s_idEnd, 0);
            s_fBusy = false;
        });
        SendMessageW(hwndTo ? hwndTo : hwnd, WM_COMMAND, MAKEWPARAM(idCommand, 0), 0);
        KillTimer(nullptr, idTimer);
        return s_fRan;
    }

    // Opens the page idCommand brings up and presses keys in it one at a time,
    // each sent to the focus and through the page's own loop, as the keypad
    // does. False when a key was left over or the keys left the page open.
    bool KeysInDialog(UINT idCommand, std::vector<UINT> keys)
    {
        static std::vector<UINT> s_keys;
        static size_t s_iNext, s_cIdle;
        s_keys = std::move(keys);
        s_iNext = s_cIdle = 0;
        UINT_PTR idTimer = SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR, DWORD) {
            HWND hwndFocus = GetFocus();
            HWND hdlg = hwndFocus ? GetAncestor(hwndFocus, GA_ROOT) : nullptr;
            WCHAR szClass[16] = L"";
            if (!hdlg || !GetClassNameW(hdlg, szClass, ARRAYSIZE(szClass)) || wcscmp(szClass, L"#32770") != 0)
                return;
            if (s_iNext < s_keys.size()) {
                UINT vk = s_keys[s_iNext++];
                PostMessageW(hwndFocus, WM_KEYDOWN, vk, 1);
                PostMessageW(hwndFocus, WM_KEYUP, vk, 0xC0000001);
            } else if (++s_cIdle > 20) {
                EndDialog(hdlg, 0);
            }
        });
        Command(idCommand);
        KillTimer(nullptr, idTimer);
        return s_iNext == s_keys.size() && s_cIdle <= 20;
    }

    // Row of a name in the file table; -1 when it is not listed.
    static int RowOf(const wchar_t *pszName)
    {
        for (int i = 0; i < g_cFileRows; ++i)
            if (lstrcmpW(g_aFileTable[i].fd.cFileName, pszName) == 0)
                return i;
        return -1;
    }

    // Exactly these rows selected and focused.
    void Select(const std::vector<int> &rows)
    {
        LVITEMW lvi = {};
        lvi.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(hwndList, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&lvi);
        for (int i : rows) {
            lvi.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageW(hwndList, LVM_SETITEMSTATE, i, (LPARAM)&lvi);
        }
    }
};
