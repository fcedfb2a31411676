// The main window through real messages: activation up and down the
// folders, star/pound, page moves, multiple selection, menu state, sort
// commands, the strips and the message boxes.
#include <gtest/gtest.h>
#include "kit.h"
#include "platform.h"
#include "support.h"
#include "filer_test.h"
#include "mainwnd.h"
#include "options.h"
#include "../../res/tavel/resource.h"
#include <strsafe.h>

namespace {
class MainWindow : public testing::Test {
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
        SetOption(OPT_HIDE_EXTENSIONS, 0);
        g_szCurrentFolder[0] = 0;
    }

    void TearDown() override
    {
        if (hwnd && IsWindow(hwnd))
            DestroyWindow(hwnd);
        Pump(20);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        ClearTavelRegistry();
    }

    void Open()
    {
        static bool s_fRegistered = RegisterMainClass(TAVEL_CLASS, MainWndProc);
        ASSERT_TRUE(s_fRegistered);
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

    void Command(UINT id) { SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

    void Key(UINT vk)
    {
        SetFocus(hwndList);
        PostMessageW(hwndList, WM_KEYDOWN, vk, 1);
        PostMessageW(hwndList, WM_KEYUP, vk, 0xC0000001);
        Pump(30);
    }

    // The action key on a row: focus and select it, then activate it.
    void Activate(int iRow)
    {
        Select({iRow});
        Key(VK_RETURN);
    }

    void Select(std::initializer_list<int> rows)
    {
        LVITEMW lvi = {};
        lvi.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(hwndList, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&lvi);
        for (int i : rows) {
            lvi.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageW(hwndList, LVM_SETITEMSTATE, i, (LPARAM)&lvi);
        }
    }

    UINT State(int iRow) { return (UINT)SendMessageW(hwndList, LVM_GETITEMSTATE, iRow, LVIS_SELECTED | LVIS_FOCUSED); }

    std::vector<int> SelectedRows()
    {
        std::vector<int> v;
        int i = -1;
        while ((i = (int)SendMessageW(hwndList, LVM_GETNEXTITEM, i, LVNI_SELECTED)) >= 0)
            v.push_back(i);
        return v;
    }

    int RowOf(const wchar_t *pszName)
    {
        for (int i = 0; i < g_cFileRows; ++i)
            if (lstrcmpW(g_aFileTable[i].fd.cFileName, pszName) == 0)
                return i;
        return -1;
    }

    std::wstring BarLabel(int iKey)
    {
        WCHAR sz[64] = L"";
        PlatGetSoftKeyLabel(PlatFindSoftKeyBar(hwnd), iKey, sz, ARRAYSIZE(sz));
        return sz;
    }
};
} // namespace

TEST_F(MainWindow, ActivationGoesDownAndUpTheFolders)
{
    ASSERT_TRUE(MakeDir(L"P:\\Storage Card"));
    ASSERT_TRUE(MakeDir(L"P:\\Storage Card\\Music"));
    ASSERT_TRUE(MakeFile(L"P:\\Storage Card\\Music\\song.mid", "x"));
    ASSERT_TRUE(MakeFile(L"P:\\top.txt", "x"));
    Open();
    // At the root there is no ".." row: row 0 is the folder itself.
    ASSERT_EQ(2, g_cFileRows);
    EXPECT_STREQ(L"Storage Card", g_aFileTable[0].fd.cFileName);
    EXPECT_STREQ(L"  \\", GetTitleStripText());

    Activate(0);
    EXPECT_STREQ(L"\\Storage Card", g_szCurrentFolder);
    EXPECT_STREQ(L"  \\Storage Card", GetTitleStripText());
    ASSERT_EQ(2, g_cFileRows);
    EXPECT_STREQ(L"..", g_aFileTable[0].fd.cFileName);
    EXPECT_EQ(std::vector<int>{0}, SelectedRows());

    Activate(RowOf(L"Music"));
    EXPECT_STREQ(L"\\Storage Card\\Music", g_szCurrentFolder);
    EXPECT_EQ(2, g_cFileRows);

    Activate(0);
    EXPECT_STREQ(L"\\Storage Card", g_szCurrentFolder);
    Activate(0);
    EXPECT_STREQ(L"", g_szCurrentFolder);
    EXPECT_EQ(2, g_cFileRows);
    EXPECT_STREQ(L"  \\", GetTitleStripText());
}
