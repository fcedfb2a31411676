// A main window over a real tree in the test store, with the tree threads
// running, and the helpers the tree and file-operation tests share.
#pragma once
#include <gtest/gtest.h>
#include "kit.h"
#include "platform.h"
#include "support.h"
#include "filer_test.h"
#include "mainwnd.h"
#include "foldertree.h"
#include "fileops.h"
#include "options.h"
#include "../../res/tavel/resource.h"
#include <strsafe.h>
#include <string>
#include <vector>

class TavelTree : public testing::Test {
protected:
    HWND hwnd = nullptr;
    HWND hwndList = nullptr;

    void SetUp() override
    {
        ResetStore();
        ClearTavelRegistry();
        MessageBoxes::Reset();
        SetOption(OPT_HIDE_HIDDEN, 0);
        SetOption(OPT_REMEMBER_FOLDER, 0);
        SetOption(OPT_CONFIRM_OVERWRITE, 1);
        SetOption(OPT_CONFIRM_DELETE, 1);
        SetOption(OPT_SWITCH_TO_CARD, 0);
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

    void Open(LPCWSTR pszFolder = L"")
    {
        static bool s_fRegistered = RegisterMainClass(TAVEL_CLASS, MainWndProc);
        ASSERT_TRUE(s_fRegistered);
        StartTreeThreads();
        StringCchCopyW(g_szCurrentFolder, ARRAYSIZE(g_szCurrentFolder), pszFolder);
        StringCchCopyW(g_szTitle, ARRAYSIZE(g_szTitle), L"File Manager");
        hwnd = CreateWindowExW(0, TAVEL_CLASS, g_szTitle, WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, g_hInst, nullptr);
        ASSERT_NE(nullptr, hwnd);
        ShowWindow(hwnd, SW_SHOW);
        SetForegroundWindow(hwnd);
        hwndList = GetDlgItem(hwnd, IDC_FILELIST);
        Pump(30);
    }

    void Command(UINT id) { SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

    static bool WaitFilled(HWND hwndTree)
    {
        return PumpUntil([&] { return !IsTreeFilling(hwndTree); }, 5000);
    }

    void EnterTree()
    {
        Command(IDM_TREE_VIEW);
        ASSERT_TRUE(IsTreeMode());
        ASSERT_TRUE(WaitFilled(GetFolderTreeWindow()));
    }

    int Row(LPCWSTR pszName)
    {
        for (int i = 0; i < g_cFileRows; ++i) {
            if (wcscmp(g_aFileTable[i].fd.cFileName, pszName) == 0)
                return i;
        }
        return -1;
    }

    void SelectRows(std::initializer_list<LPCWSTR> names)
    {
        LVITEMW lvi = {};
        lvi.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(hwndList, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&lvi);
        for (LPCWSTR psz : names) {
            int i = Row(psz);
            ASSERT_GE(i, 0) << "no row";
            lvi.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageW(hwndList, LVM_SETITEMSTATE, i, (LPARAM)&lvi);
        }
    }

    static HTREEITEM Child(HWND hwndTree, HTREEITEM hParent, const std::wstring &text)
    {
        WCHAR sz[MAX_PATH];
        HTREEITEM h = (HTREEITEM)SendMessageW(hwndTree, TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)hParent);
        for (; h; h = (HTREEITEM)SendMessageW(hwndTree, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)h)) {
            GetNodeText(hwndTree, h, sz, ARRAYSIZE(sz));
            if (text == sz)
                return h;
        }
        return nullptr;
    }

    // The node of "\a\b" in a tree; null when some part is missing.
    static HTREEITEM Node(HWND hwndTree, const std::wstring &path)
    {
        HTREEITEM h = (HTREEITEM)SendMessageW(hwndTree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
        size_t pos = 1;
        while (h && pos <= path.size() && path.size() > 1) {
            size_t end = path.find(L'\\', pos);
            std::wstring part = path.substr(pos, end == std::wstring::npos ? std::wstring::npos : end - pos);
            h = Child(hwndTree, h, part);
            if (end == std::wstring::npos)
                break;
            pos = end + 1;
        }
        return h;
    }

    // Copy To / Move To from the current view, into the destination folder.
    void RunToDestination(UINT idCommand, const std::wstring &dest)
    {
        Command(idCommand);
        ASSERT_TRUE(IsDestTreeShown());
        HWND hwndDest = GetDestTreeWindow();
        ASSERT_TRUE(WaitFilled(hwndDest));
        HTREEITEM h = Node(hwndDest, dest);
        ASSERT_NE(nullptr, h) << "no destination node";
        SendMessageW(hwndDest, TVM_SELECTITEM, TVGN_CARET, (LPARAM)h);
        Command(IDM_DEST_DONE);
        EXPECT_FALSE(IsDestTreeShown());
        EXPECT_EQ(0, GetOperationMode());
    }

    static std::vector<std::wstring> Texts()
    {
        std::vector<std::wstring> v;
        for (const BoxCall &c : MessageBoxes::calls)
            v.push_back(c.text);
        return v;
    }

    static bool Exists(const std::wstring &path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
};
