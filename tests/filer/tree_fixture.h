// A main window over a real tree in the test store, with the tree threads
// running, and the helpers the tree and file-operation tests share.
#pragma once
#include "window_fixture.h"
#include "foldertree.h"
#include "treecount.h"
#include "cardwatch.h"
#include "fileops.h"
#include <functional>
#include <sstream>
#include <string>
#include <vector>

class TavelTree : public TavelWindow {
protected:
    // Runs inside the next message box before it is answered, as a user or a card could.
    static std::function<void()> &WhileBoxUp()
    {
        static std::function<void()> s_fn;
        return s_fn;
    }

    static PLATMSGBOXHOOK &Recorder()
    {
        static PLATMSGBOXHOOK s_pfn;
        return s_pfn;
    }

    static int CALLBACK BoxWithAction(HWND hwnd, LPCWSTR pszText, LPCWSTR pszCaption, UINT uType)
    {
        std::function<void()> fn;
        fn.swap(WhileBoxUp());
        if (fn)
            fn();
        return Recorder()(hwnd, pszText, pszCaption, uType);
    }

    void SetUp() override
    {
        TavelWindow::SetUp();
        WhileBoxUp() = nullptr;
        if (!Recorder())
            Recorder() = PlatSetMessageBoxHook(BoxWithAction);
    }

    void Open(LPCWSTR pszFolder = L"")
    {
        StartTreeThreads();
        OpenWindow(pszFolder);
    }

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

    // Exactly the rows of these names selected.
    void SelectRows(std::initializer_list<LPCWSTR> names)
    {
        std::vector<int> rows;
        for (LPCWSTR psz : names) {
            rows.push_back(RowOf(psz));
            ASSERT_GE(rows.back(), 0) << "no row";
        }
        Select(rows);
    }

    // The node of "\a\b" in a tree; null when some part is missing.
    static HTREEITEM Node(HWND hwndTree, const std::wstring &path)
    {
        HTREEITEM h = (HTREEITEM)SendMessageW(hwndTree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
        std::wstringstream parts(path.empty() ? path : path.substr(1));
        WCHAR sz[MAX_PATH];
        for (std::wstring part; h && std::getline(parts, part, L'\\');) {
            h = (HTREEITEM)SendMessageW(hwndTree, TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)h);
            while (h && (GetNodeText(hwndTree, h, sz, ARRAYSIZE(sz)), part != sz))
                h = (HTREEITEM)SendMessageW(hwndTree, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)h);
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

    // Rows selected, answers queued, the operation run into dest: the boxes' texts.
    std::vector<std::wstring> Operate(UINT idCommand, std::initializer_list<LPCWSTR> rows, const std::wstring &dest,
                                      std::deque<int> answers = {})
    {
        MessageBoxes::Reset();
        MessageBoxes::answers = answers;
        SelectRows(rows);
        RunToDestination(idCommand, dest);
        return BoxTexts();
    }

    // The node of a path selected in a tree.
    static void SelectPath(HWND hwndTree, const std::wstring &path)
    {
        HTREEITEM h = Node(hwndTree, path);
        ASSERT_NE(nullptr, h) << "no node";
        SelectNode(hwndTree, h);
    }

    // A text typed into a dialog's edit, then the dialog's command.
    static void Submit(HWND hdlg, int idEdit, LPCWSTR pszText, UINT idCmd)
    {
        SetDlgItemTextW(hdlg, idEdit, pszText);
        SendMessageW(hdlg, WM_COMMAND, idCmd, 0);
    }

    // The tree's label edit; null while no label is edited.
    static HWND EditOf(HWND hwndTree) { return (HWND)SendMessageW(hwndTree, TVM_GETEDITCONTROL, 0, 0); }

    // The list's Rename on a row: the text typed, then Rename.
    void RenameRow(LPCWSTR pszRow, LPCWSTR pszNew)
    {
        SelectRows({pszRow});
        EXPECT_TRUE(InDialog(IDM_RENAME, 0, [&](HWND hdlg) { Submit(hdlg, IDC_RENAME_EDIT, pszNew, IDM_RENAME_OK); }));
    }

    // The tree's Rename on a folder's node: the text typed, then Rename.
    void RenameNode(HWND hwndTree, const std::wstring &path, LPCWSTR pszNew)
    {
        SelectPath(hwndTree, path);
        Command(IDM_TREE_RENAME);
        SetWindowTextW(EditOf(hwndTree), pszNew);
        Command(IDM_TREE_RENAME_DONE);
    }

    static bool Exists(const std::wstring &path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
};
