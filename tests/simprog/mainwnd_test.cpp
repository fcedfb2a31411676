// The main window against the SIM stand-in: start-up, the list, the menu
// state, the notifications (also while the start-up read runs) and Quit.
#include "screens.h"
#include "trace.h"
#include "../res/morlin/resource.h"
#include <atomic>
#include <thread>

namespace {
// The main window is held as the screens hold their dialog.
class MainWindow : public Screens {
protected:
    // Creates the window and waits until the start-up thread is done.
    HWND Start(int cExpectedRows)
    {
        static bool s_fRegistered = RegisterMainClass(MORLIN_CLASS, MainWndProc);
        EXPECT_TRUE(s_fRegistered);
        m_hdlg = CreateWindowExW(0, MORLIN_CLASS, g_szTitle, WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, g_hInst, nullptr);
        EXPECT_NE(nullptr, m_hdlg);
        ShowWindow(m_hdlg, SW_SHOW);
        if (cExpectedRows >= 0) {
            EXPECT_TRUE(PumpUntil([&] { return g_hSim && !g_hwndProgress && Rows() == cExpectedRows; }, 10000))
                << "rows " << Rows();
        }
        return m_hdlg;
    }
    int Rows() { return g_hwndPhoneBookList ? ListView_GetItemCount(g_hwndPhoneBookList) : -1; }
    UINT MenuState(UINT id) { return PopupState(IDR_BAR_MAIN, id); }
};
} // namespace

TEST_F(MainWindow, StartupListsTheEntriesSortedAndQuitEnds)
{
    WriteSim({{3, "Zed", "1"}, {1, "Anna", "2"}, {7, "", "+3361"}}, 250);
    Start(3);
    EXPECT_EQ((std::vector<std::wstring>{L"+3361", L"Anna", L"Zed"}), Cells(g_hwndPhoneBookList));
    EXPECT_EQ(LVIS_SELECTED, ListView_GetItemState(g_hwndPhoneBookList, 0, LVIS_SELECTED));
    RECT rc;
    GetClientRect(m_hdlg, &rc);
    EXPECT_EQ(rc.right, ListView_GetColumnWidth(g_hwndPhoneBookList, 0));
    // Names show in the handset's face, neither squeezed nor spread out.
    HFONT hfontList = (HFONT)SendMessageW(g_hwndPhoneBookList, WM_GETFONT, 0, 0);
    EXPECT_EQ(HandsetBoldWidth(hfontList, L"Anna"), TextWidth(hfontList, L"Anna"));
    EXPECT_EQ((UINT)MF_ENABLED, MenuState(IDM_EDIT) & MF_GRAYED);

    Command(IDM_QUIT);
    EXPECT_FALSE(IsWindow(m_hdlg));
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(MainWindow, EmptyPhoneBookGraysEditDeleteAndDial)
{
    WriteSim({}, 250);
    Start(0);
    DWORD cReads = 1;
    PlatSimCounters(&cReads, nullptr, nullptr);
    EXPECT_EQ(0u, cReads);  // the read stops at the used count
    for (UINT id : {IDM_EDIT, IDM_DELETE, IDM_DIAL})
        EXPECT_EQ((UINT)MF_GRAYED, MenuState(id) & MF_GRAYED) << id;
    EXPECT_EQ(0u, MenuState(IDM_SIM_STATUS) & MF_GRAYED);
    g_wMarkedIndex = 5;
    SendMessageW(g_hwndPhoneBookList, WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_EQ(0, g_wMarkedIndex);  // and no Edit dialog held the key up
}

TEST_F(MainWindow, NoSimOrRadioOffEndsWithTheMessage)
{
    for (BOOL fPresent : {FALSE, TRUE}) {
        MessageBoxes::Reset();
        WriteSim({{1, "A", "1"}});
        ASSERT_TRUE(PlatSimSetPresent(fPresent, !fPresent));
        HWND hwnd = Start(-1);
        EXPECT_TRUE(PumpUntil([&] { return !IsWindow(hwnd); }, 10000));
        ASSERT_EQ(1u, MessageBoxes::calls.size());
        EXPECT_EQ(L"Fail to initialize SIM, possible Radio Off or SIM failure.", MessageBoxes::calls[0].text);
        EXPECT_EQ(L"SIM Phonebook", MessageBoxes::calls[0].caption);
        EXPECT_EQ((UINT)MB_ICONEXCLAMATION, MessageBoxes::calls[0].uType);
        EXPECT_EQ(nullptr, MessageBoxes::calls[0].hwndOwner);
        EXPECT_EQ(nullptr, g_hSim);
    }
}

TEST_F(MainWindow, NotificationsRebuildTheListFromTheCacheOnly)
{
    WriteSim({{1, "A", "1"}, {2, "B", "2"}, {3, "C", "3"}}, 250);
    Start(3);
    ASSERT_TRUE(RemovePhoneBookRecord(2));  // the cache changed, the list not yet
    ASSERT_EQ(3, Rows());
    ASSERT_TRUE(PlatSimStoreFromOutside(9, L"Outside", L"99"));
    EXPECT_TRUE(PumpUntil([&] { return Rows() == 2; }));
    EXPECT_EQ(nullptr, FindPhoneBookRecord(9));  // not read into the cache

    PlatSimResetCounters();
    PlatSimNotify(SIM_NOTIFY_PBE_STORED, SIM_PBINDEX_FIRSTAVAILABLE);
    EXPECT_TRUE(PumpUntil([&] { return Rows() == 4; }));
    EXPECT_EQ((std::vector<WORD>{1, 2, 3, 9}), CachedIndexes());
    DWORD cReads = 0;
    PlatSimCounters(&cReads, nullptr, nullptr);
    EXPECT_EQ(9u, cReads);

    // A deletion rebuilds the list only while a row is marked.
    ASSERT_TRUE(RemovePhoneBookRecord(3));
    ListView_SetSelectionMark(g_hwndPhoneBookList, -1);
    PlatSimNotify(SIM_NOTIFY_PBE_DELETED, 3);
    ASSERT_TRUE(PlatSimWaitIdle(3000));
    Pump(100);
    EXPECT_EQ(4, Rows());
    ListView_SetSelectionMark(g_hwndPhoneBookList, 1);
    PlatSimNotify(SIM_NOTIFY_PBE_DELETED, 3);
    EXPECT_TRUE(PumpUntil([&] { return Rows() == 3; }));
    EXPECT_EQ(LVIS_SELECTED, ListView_GetItemState(g_hwndPhoneBookList, 0, LVIS_SELECTED));
    PlatSimNotify(0x999, 1);  // other codes are ignored
    ASSERT_TRUE(PlatSimWaitIdle(3000));
}

TEST_F(MainWindow, NotificationsWhileTheStartupReadRuns)
{
    WriteSim(NumberedSlots(240), 250);
    std::atomic<bool> fStop(false);
    std::atomic<int> cDuringRead(0);
    std::thread noisy([&] {
        for (int i = 0; !fStop && i < 400; ++i) {
            if (g_hwndProgress)
                ++cDuringRead;
            if (i % 40 == 0)
                PlatSimStoreFromOutside(241 + (i / 40) % 8, L"Outside", L"12345");
            PlatSimNotify(SIM_NOTIFY_PBE_STORED, i % 7 == 0 ? SIM_PBINDEX_FIRSTAVAILABLE : 1 + i % 240);
            if (i % 5 == 0)
                PlatSimNotify(SIM_NOTIFY_PBE_DELETED, 1 + i % 240);
            Sleep(1);  // paces the notifications across the start-up read
        }
    });
    Start(-1);
    // Each rebuild empties the list first: count them.
    static int s_cRebuilds;
    static WNDPROC s_pfnList;
    s_cRebuilds = 0;
    s_pfnList = (WNDPROC)SetWindowLongPtrW(g_hwndPhoneBookList, GWLP_WNDPROC, (LONG_PTR)+[](HWND h, UINT m, WPARAM w, LPARAM l) {
        s_cRebuilds += m == LVM_DELETEALLITEMS;
        return CallWindowProcW(s_pfnList, h, m, w, l);
    });
    noisy.join();
    EXPECT_GT(cDuringRead, 0);
    ASSERT_TRUE(PlatSimWaitIdle(20000));
    PlatSimNotify(SIM_NOTIFY_PBE_STORED, SIM_PBINDEX_FIRSTAVAILABLE);  // settle on a last full read
    ASSERT_TRUE(PlatSimWaitIdle(20000));
    DWORD dwUsed = 0;
    SimGetPhonebookStatus(g_hSim, SIM_PBSTORAGE_SIM, &dwUsed, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return !g_hwndProgress && Rows() == (int)dwUsed; }, 20000)) << Rows();
    std::vector<WORD> v = CachedIndexes();
    ASSERT_EQ(dwUsed, v.size());
    for (size_t i = 1; i < v.size(); ++i)
        ASSERT_LT(v[i - 1], v[i]);
    for (WORD w : v)
        EXPECT_TRUE(IsSlotUsed(w)) << w;
    EXPECT_EQ(SIM_PBINDEX_FIRSTAVAILABLE == FindFreeSlot(), dwUsed == 250);
    RECT rc;  // more than ten rows narrow the column by the scroll bar
    GetClientRect(m_hdlg, &rc);
    EXPECT_EQ(rc.right - GetSystemMetrics(SM_CXVSCROLL), ListView_GetColumnWidth(g_hwndPhoneBookList, 0));
    // Stored entries waiting in the queue rebuild the list once, not once each
    // (about 500 notifications; over 300 rebuilds when each asked for its own).
    EXPECT_LT(s_cRebuilds, 120);
}

namespace {
HWND g_hwndEditSeen;
WCHAR g_szEditName[64];
void CALLBACK CloseEditDialog(HWND, UINT, UINT_PTR idTimer, DWORD)
{
    HWND hdlg = GetLastActivePopup(g_hwndMain);
    if (WindowText(hdlg) != L"Edit phone book")
        return;
    KillTimer(nullptr, idTimer);
    g_hwndEditSeen = hdlg;
    GetDlgItemTextW(hdlg, IDC_EDIT_NAME, g_szEditName, ARRAYSIZE(g_szEditName));
    PostMessageW(hdlg, WM_COMMAND, IDM_EDITENTRY_CANCEL, 0);
}
} // namespace

// The rows keep their entries' SIM indexes through the sort.
TEST_F(MainWindow, ActionKeyOpensTheMarkedRowsEntry)
{
    WriteSim({{4, "Bo", "1"}, {2, "Al", "2"}}, 250);
    Start(2);
    ListView_SetItemState(g_hwndPhoneBookList, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetSelectionMark(g_hwndPhoneBookList, 1);
    g_hwndEditSeen = nullptr;
    UINT_PTR idTimer = SetTimer(nullptr, 0, 50, CloseEditDialog);
    SendMessageW(g_hwndPhoneBookList, WM_KEYDOWN, VK_RETURN, 1);  // returns when the dialog ends
    KillTimer(nullptr, idTimer);
    EXPECT_NE(nullptr, g_hwndEditSeen);
    EXPECT_EQ(4, g_wMarkedIndex);
    EXPECT_STREQ(L"Bo", g_szEditName);
}

TEST_F(MainWindow, WithoutContactsTheProgramStartsAndTracesNeedTheMasterBitAndTheirOwn)
{
    WriteSim({{1, "A", "1"}});
    ASSERT_TRUE(PlatProfileSave(L"contacts.json", {{"available", false}}));
    const int aCases[][2] = {{-1, 0}, {0x0000, 0x00FF}, {0x0100, 0x0005}, {0x0100, 0x0080}};
    for (const auto &c : aCases) {
        WriteTraceWords(c[0], c[1]);
        ClearTrace();
        Start(1);
        EXPECT_EQ(nullptr, g_pPoomApp);
        std::string trace = ReadTrace();
        EXPECT_EQ(c[1] == 0x0080, !trace.empty()) << c[0] << " " << c[1];
        EXPECT_EQ(c[1] == 0x0080,
                  trace.find("Data: 0, Index: 1, Name: A" + std::string(11, ' ') + ", Addr: 1") != std::string::npos);
        DestroyWindow(m_hdlg);
        Pump(50);
        ResetMorlin();
    }
}
