// The SIM message list, the Edit SMS page and the Inbox copy, over the
// radio and messaging stand-ins.
#include "screens.h"
#include "smslist.h"
#include "simsms.h"
#include "transfer.h"
#include "platril.h"
#include "platmapi.h"
#include <array>
#include "../res/morlin/resource.h"

namespace {
std::vector<std::wstring> s_progress;

nlohmann::json Messages(std::initializer_list<int> indexes)
{
    nlohmann::json v = nlohmann::json::array();
    for (int i : indexes)
        v.push_back({{"index", i}, {"number", "+44" + std::to_string(i)}, {"text", "text " + std::to_string(i)}});
    return v;
}

// Inbox messages from {sender name, sender address, subject}.
nlohmann::json Inbox(std::initializer_list<std::array<std::string, 3>> messages)
{
    nlohmann::json v = nlohmann::json::array();
    int id = 0;
    for (const auto &m : messages)
        v.push_back({{"id", ++id}, {"senderName", m[0]}, {"senderAddress", m[1]}, {"subject", m[2]}});
    return v;
}

class SmsScreens : public Screens {
protected:
    HWND m_hdlgEdit = nullptr;

    void TearDown() override
    {
        if (m_hdlgEdit && IsWindow(m_hdlgEdit))
            DestroyWindow(m_hdlgEdit);
        ReleaseSmsRecords();
        Screens::TearDown();
    }
    // The SIM's message list, or the Inbox copy with proc InboxCopyProc.
    void OpenList(const nlohmann::json &messages, DWORD dwTotal = 20, DLGPROC pfn = SmsManagerProc)
    {
        WriteSim({});
        WriteSms(messages, dwTotal);
        ASSERT_TRUE(OpenSim());
        s_progress.clear();
        ProgressWatch watch([](const std::wstring &line) { s_progress.push_back(line); });
        Open(IDD_SMSLIST, pfn);
    }
    void OpenEdit(DWORD dwRow)
    {
        g_dwCurrentIndex = dwRow;
        m_hdlgEdit = CreateDialogParamW(g_hInst, MAKEINTRESOURCEW(IDD_EDITSMS), g_hwndSMS, EditSmsProc, 0);
        ASSERT_NE(nullptr, m_hdlgEdit);
        ShowWindow(m_hdlgEdit, SW_SHOW);
        Pump(20);
    }
    // The default store's Inbox holds these messages (no Inbox for null), the service these flags.
    void WriteInbox(const nlohmann::json &inbox, nlohmann::json service = nlohmann::json::object())
    {
        nlohmann::json folders = nlohmann::json::object();
        if (!inbox.is_null())
            folders["inbox"] = {{"name", "Inbox"}, {"messages", inbox}};
        service["stores"] = {{{"name", "SMS"}, {"default", true}, {"folders", folders}}};
        ASSERT_TRUE(PlatProfileSave(L"messages.json", service));
    }
    void OpenInbox(const nlohmann::json &inbox, const nlohmann::json &simMessages, DWORD dwTotal = 20)
    {
        WriteInbox(inbox);
        OpenList(simMessages, dwTotal, InboxCopyProc);
    }
    std::vector<bool> Ticks() { return ::Ticks(g_hwndSMS); }
    void Action(int iRow)
    {
        SendMessageW(g_hwndSMS, LVM_SETSELECTIONMARK, 0, iRow);
        Key(g_hwndSMS, VK_RETURN);
    }
    std::wstring FreeSlots() { return WindowText(g_hwndSmsFreeSlots); }
    std::vector<std::wstring> Rows() { return Cells(g_hwndSMS); }
    int Mark() { return (int)SendMessageW(g_hwndSMS, LVM_GETSELECTIONMARK, 0, 0); }
    std::wstring Preview() { return WindowText(g_hwndSmsPreview); }
    void Key(HWND hwnd, UINT vk)
    {
        SendMessageW(hwnd, WM_KEYDOWN, vk, 1);
        SendMessageW(hwnd, WM_KEYUP, vk, 0xC0000001);
    }
    void Delete(int iRow)
    {
        SendMessageW(g_hwndSMS, LVM_SETSELECTIONMARK, 0, iRow);
        MessageBoxes::answers.push_back(IDYES);
        Command(IDM_SMS_DELETE);
    }
    UINT MenuState(UINT id) { return PopupState(IDR_BAR_SMSLIST, id); }
};
} // namespace

TEST_F(SmsScreens, ReadingStopsAtTheLastUsedSlotAndOnlyTheMessagesReadAreListed)
{
    OpenList(Messages({2, 5, 9}));
    EXPECT_EQ((std::vector<std::wstring>{L"+442", L"+445", L"+449"}), Rows());
    std::string log = ReadRadioLog();
    EXPECT_NE(std::string::npos, log.find("> AT+CMGR=9 <CR>"));
    EXPECT_EQ(std::string::npos, log.find("> AT+CMGR=10 <CR>"));
    EXPECT_EQ(L"Processing...(3/3)", s_progress.empty() ? L"" : s_progress.back());
    EXPECT_EQ(L"text 2", Preview());
    for (int i = 0; i < 3; ++i)
        Key(g_hwndSMS, VK_DOWN);
    EXPECT_EQ(2, Mark());
    EXPECT_EQ(L"text 9", Preview());
    EXPECT_EQ(0u, MenuState(IDM_SMS_EDIT) & MF_GRAYED);

    // Three used slots, one of them beyond the two the SIM has.
    OpenList(Messages({1, 2, 7}), 2);
    EXPECT_EQ((std::vector<std::wstring>{L"+441", L"+442"}), Rows());
    // Two used slots, one of which cannot be read: one row, no empty one.
    OpenList(Messages({1, 3}), 3);
    nlohmann::json sim = ReadSim();
    sim["sms"]["messages"][1]["index"] = "3";
    ASSERT_TRUE(PlatProfileSave(L"sim.json", sim));
    ReadSMSfromSIM(g_hwndSMS);
    EXPECT_EQ((std::vector<std::wstring>{L"+441"}), Rows());

    // A save after the array filled up adds one record, never writes past it.
    ASSERT_TRUE(AllocSmsRecords(2));
    SIMMESSAGE msg = {};
    EXPECT_TRUE(AddSmsRecord(0, 1, &msg));
    EXPECT_TRUE(AddSmsRecord(1, 2, &msg));
    EXPECT_FALSE(AddSmsRecord(5, 3, &msg));
    EXPECT_EQ(2u, g_cSmsRecords);
    EXPECT_TRUE(AddSmsRecord(2, 3, &msg));
    EXPECT_EQ(3u, g_cSmsRecords);
    EXPECT_EQ(3u, SmsRecords()[2].index);
}

TEST_F(SmsScreens, AnEmptySimSaysSoAndAFullOneTakesNothingNew)
{
    OpenList(nlohmann::json::array());
    EXPECT_EQ((std::vector<std::wstring>{L"No SMS stored in SIM Card."}), BoxTexts());
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ((UINT)MF_GRAYED, MenuState(IDM_SMS_EDIT) & MF_GRAYED);
    EXPECT_EQ((UINT)MF_GRAYED, MenuState(IDM_SMS_DELETE) & MF_GRAYED);

    MessageBoxes::Reset();
    OpenList(Messages({1, 2}), 2);
    Command(IDM_SMS_NEW);
    Command(IDM_SMS_EDIT);
    EXPECT_EQ((std::vector<std::wstring>{L"Cannot add SMS, SMS in SIM is full!",
                                         L"Cannot add SMS, SMS in SIM is full!"}),
              BoxTexts());
}

TEST_F(SmsScreens, DeleteMarksTheRowAboveAndKeepsARefusedOne)
{
    OpenList(Messages({1, 2, 3, 4}));
    Delete(0);
    EXPECT_EQ((std::vector<std::wstring>{L"+442", L"+443", L"+444"}), Rows());
    EXPECT_EQ(0, Mark());
    EXPECT_EQ(L"text 2", Preview());
    Delete(2);
    EXPECT_EQ((std::vector<std::wstring>{L"+442", L"+443"}), Rows());
    EXPECT_EQ(1, Mark());
    EXPECT_EQ(2u, ReadSim()["sms"]["messages"].size());

    PlatSimSetFailures(PLATSIM_FAIL_SMSDELETE);
    Delete(1);
    EXPECT_EQ(2u, Rows().size());
    EXPECT_EQ(L"Cannot delete SMS from SIM!", BoxTexts().back());
    EXPECT_EQ(1, Mark());
    EXPECT_EQ(L"text 3", Preview());
}

TEST_F(SmsScreens, SaveChecksKeepThePageOpenThenSavingAddsARow)
{
    OpenList(Messages({1, 2}));
    OpenEdit(1);
    EXPECT_EQ(L"+442", WindowText(m_hdlgEdit, IDC_SMS_NUMBER));
    EXPECT_EQ(L"text 2", WindowText(m_hdlgEdit, IDC_SMS_CONTENT));
    PlatRadioReset();
    struct {
        LPCWSTR pszNumber;
        std::wstring text;
        LPCWSTR pszBox;
    } cases[] = {{L"", L"text 2", L"No destination number !"},
                 {L"+442", L"", L"Content is empty !"},
                 {L"+442", std::wstring(70, L'a') + L"Ж", L"SMS content too large ! No more than 70 words ."},
                 {L"+442", std::wstring(161, L'a'), L"SMS content too large ! No more than 160 words ."},
                 {L"+442", L"[x] €5", L"SMS Stored successfully in the SIM!"}};
    for (const auto &c : cases) {
        EXPECT_TRUE(IsWindowVisible(m_hdlgEdit)) << c.pszBox;
        EXPECT_EQ(0u, PlatRadioCommandCount()) << c.pszBox;  // nothing sent before the checks pass
        SetDlgItemTextW(m_hdlgEdit, IDC_SMS_NUMBER, c.pszNumber);
        SetDlgItemTextW(m_hdlgEdit, IDC_SMS_CONTENT, c.text.c_str());
        SendMessageW(m_hdlgEdit, WM_COMMAND, IDM_SMS_SAVE, 0);
        EXPECT_EQ(c.pszBox, BoxTexts().back());
    }
    EXPECT_FALSE(IsWindowVisible(m_hdlgEdit));
    EXPECT_EQ((std::vector<std::wstring>{L"+441", L"+442", L"+442"}), Rows());
    EXPECT_EQ(2, Mark());
    EXPECT_EQ(L"[x] €5", Preview());
    EXPECT_EQ("[x] €5", ReadSim()["sms"]["messages"][2]["text"]);
}

TEST_F(SmsScreens, ARefusedNumberKeepsThePageAndAFailedWriteShowsTheHighlightedRow)
{
    OpenList(Messages({1, 2, 3}), 3);
    OpenEdit(0);
    PlatRadioReset();
    SetDlgItemTextW(m_hdlgEdit, IDC_SMS_NUMBER, L"12;+CMGD=1");
    SetDlgItemTextW(m_hdlgEdit, IDC_SMS_CONTENT, L"typed text");
    SendMessageW(m_hdlgEdit, WM_COMMAND, IDM_SMS_SAVE, 0);
    EXPECT_EQ((std::vector<std::wstring>{L"Error Write SMS to SIM !"}), BoxTexts());
    EXPECT_TRUE(IsWindowVisible(m_hdlgEdit));
    EXPECT_EQ(GetDlgItem(m_hdlgEdit, IDC_SMS_NUMBER), GetFocus());
    EXPECT_EQ(L"typed text", WindowText(m_hdlgEdit, IDC_SMS_CONTENT));
    EXPECT_EQ(0u, PlatRadioCommandCount());

    // The full SIM refuses the write: the page closes over the list read again.
    SetDlgItemTextW(m_hdlgEdit, IDC_SMS_NUMBER, L"+444");
    SendMessageW(m_hdlgEdit, WM_COMMAND, IDM_SMS_SAVE, 0);
    EXPECT_EQ(L"Error Write SMS to SIM !", BoxTexts().back());
    EXPECT_FALSE(IsWindowVisible(m_hdlgEdit));
    EXPECT_EQ(std::vector<int>{1}, SelectedRows(g_hwndSMS));
    EXPECT_EQ(1, Mark());
    EXPECT_EQ(L"text 2", Preview());
}

// sim.json damaged while Edit SMS is open: Save tells the damage, naming the
// file, and the write error; the page stays with what was typed and the file
// as it was. Once the file is whole again, Save stores the message.
TEST_F(SmsScreens, SaveOnADamagedSimFileKeepsTheTypedMessage)
{
    OpenList(Messages({1, 2}));
    OpenEdit(1);
    SetDlgItemTextW(m_hdlgEdit, IDC_SMS_NUMBER, L"+443");
    SetDlgItemTextW(m_hdlgEdit, IDC_SMS_CONTENT, L"typed");
    std::wstring path = PlatProfilePath(L"sim.json");
    std::string whole = ReadFileText(path);
    ASSERT_TRUE(MakeFile(path, "{\"sms\": {"));
    MessageBoxes::Reset();
    SendMessageW(m_hdlgEdit, WM_COMMAND, IDM_SMS_SAVE, 0);
    std::vector<std::wstring> texts = BoxTexts();
    ASSERT_EQ(2u, texts.size());
    EXPECT_NE(std::wstring::npos, texts[0].find(path));
    EXPECT_EQ(L"Error Write SMS to SIM !", texts[1]);
    EXPECT_TRUE(IsWindowVisible(m_hdlgEdit));
    EXPECT_EQ(L"+443", WindowText(m_hdlgEdit, IDC_SMS_NUMBER));
    EXPECT_EQ(L"typed", WindowText(m_hdlgEdit, IDC_SMS_CONTENT));
    EXPECT_EQ("{\"sms\": {", ReadFileText(path));
    EXPECT_EQ((std::vector<std::wstring>{L"+441", L"+442"}), Rows());

    ASSERT_TRUE(MakeFile(path, whole));
    SendMessageW(m_hdlgEdit, WM_COMMAND, IDM_SMS_SAVE, 0);
    EXPECT_EQ(L"SMS Stored successfully in the SIM!", BoxTexts().back());
    EXPECT_FALSE(IsWindowVisible(m_hdlgEdit));
    EXPECT_EQ((std::vector<std::wstring>{L"+441", L"+442", L"+443"}), Rows());
}

namespace {
// A key as the keypad gives it: to whichever window has the keys.
void Press(WORD vk)
{
    keybd_event((BYTE)vk, 0, 0, 0);
    keybd_event((BYTE)vk, 0, KEYEVENTF_KEYUP, 0);
}

// The user in Edit SMS: a message typed, Save, then OK on the real box.
void CALLBACK TypeAndSave(HWND, UINT, UINT_PTR idTimer, DWORD)
{
    HWND hwnd = GetActiveWindow();
    if (WindowText(hwnd) == L"Edit SMS") {
        SetDlgItemTextW(hwnd, IDC_SMS_NUMBER, L"+443");
        SetDlgItemTextW(hwnd, IDC_SMS_CONTENT, L"text 3");
        Press(VK_F1);
    } else if (WindowText(hwnd) == g_szSmsTitle) {
        KillTimer(nullptr, idTimer);
        Press(VK_RETURN);
    }
}
} // namespace

TEST_F(SmsScreens, AfterSaveTheKeysGoBackToTheList)
{
    OpenList(Messages({1, 2}));
    PLATMSGBOXHOOK pfnOld = PlatSetMessageBoxHook(nullptr);
    UINT_PTR idTimer = SetTimer(nullptr, 0, 100, TypeAndSave);
    Command(IDM_SMS_NEW);  // returns when the page ends
    KillTimer(nullptr, idTimer);
    PlatSetMessageBoxHook(pfnOld);
    ASSERT_EQ((std::vector<std::wstring>{L"+441", L"+442", L"+443"}), Rows());
    Press(VK_UP);
    Pump(100);
    EXPECT_EQ(L"text 2", Preview());
}

TEST_F(SmsScreens, CounterAndUpKeysOfTheText)
{
    OpenList(Messages({1}));
    OpenEdit(SMS_NO_ROW);
    HWND hwndText = GetDlgItem(m_hdlgEdit, IDC_SMS_CONTENT);
    EXPECT_EQ(L"Content : ", WindowText(m_hdlgEdit, IDC_SMS_COUNTER));
    struct {
        std::wstring text;
        LPCWSTR pszLine;
    } cases[] = {{L"abc", L"Content : 157 char(s) left"},
                 {L"a€{", L"Content : 155 char(s) left"},
                 {std::wstring(70, L'a') + L"Ж", L"Content : -1 char(s) left"},
                 {L"", L"Content : "}};
    for (const auto &c : cases) {
        SetWindowTextW(hwndText, c.text.c_str());
        Key(hwndText, VK_RIGHT);
        EXPECT_EQ(c.pszLine, WindowText(m_hdlgEdit, IDC_SMS_COUNTER));
    }
    SetWindowTextW(hwndText, L"first line\r\nsecond");
    SetFocus(hwndText);
    SendMessageW(hwndText, EM_SETSEL, 4, 4);
    Key(hwndText, VK_UP);
    DWORD dwStart = 99;
    SendMessageW(hwndText, EM_GETSEL, (WPARAM)&dwStart, 0);
    EXPECT_EQ(0u, dwStart);
    EXPECT_EQ(hwndText, GetFocus());
    Key(hwndText, VK_UP);
    EXPECT_EQ(GetDlgItem(m_hdlgEdit, IDC_SMS_NUMBER), GetFocus());
}

TEST_F(SmsScreens, InboxListsShortMessagesAndCopiesTheTickedOne)
{
    std::string longText(300, 'n');
    OpenInbox(Inbox({{"Anna", "Anna <+4912345>", "See you at 8"},
                     {"Carla", "carla@example.org", "Photos"},
                     {"0049 123 45", "0049 123 45", "Code 4711"},
                     {"Pia", "12p34w5", "Pause and wait"},
                     {"Max", "+49 123 x", "Not a number"},
                     {"Upper", "12P3", "Upper-case pause"},
                     {longText, "+4411", longText}}),
              Messages({1, 2}));
    std::wstring wLong(255, L'n');
    EXPECT_EQ((std::vector<std::wstring>{L"Anna", L"0049 123 45", L"Pia", wLong}), Rows());
    EXPECT_EQ(wLong, SmsRecords()[3].text);  // a long subject cut to its record
    EXPECT_EQ(L"Processing...(3)", s_progress.empty() ? L"" : s_progress.back());  // rows before the last one
    EXPECT_EQ(L"See you at 8", Preview());
    EXPECT_EQ(L"18", FreeSlots());
    EXPECT_EQ(0, PlatMapiSessionCount() + PlatMapiObjectCount() + PlatMapiBufferCount());  // all released

    Action(0);
    EXPECT_EQ(L"17", FreeSlots());
    Command(IDM_INBOX_START);
    EXPECT_EQ((std::vector<std::wstring>{L"Message copied to SIM successfully."}), BoxTexts());
    EXPECT_FALSE(IsWindowVisible(m_hdlg));
    EXPECT_NE(std::string::npos, ReadRadioLog().find("> AT+CMGW=\"+4912345\",145<CR>"));
    nlohmann::json stored = ReadSim()["sms"]["messages"];
    ASSERT_EQ(3u, stored.size());
    EXPECT_EQ("+4912345", stored[2]["number"]);
    EXPECT_EQ("See you at 8", stored[2]["text"]);
}

TEST_F(SmsScreens, ALargeInboxIsReadOnceAndCopiesTheTickedMessage)
{
    // 600 messages, every third from an e-mail address.
    nlohmann::json inbox = nlohmann::json::array();
    for (int i = 1; i <= 600; ++i)
        inbox.push_back({{"id", i}, {"senderName", "S" + std::to_string(i)},
                         {"senderAddress", i % 3 ? "+4470" + std::to_string(i) : "x@example.org"},
                         {"subject", "text " + std::to_string(i)}});
    LONG cReads = PlatMapiFileReadCount();
    OpenInbox(inbox, Messages({1}));
    // Opening each message no longer reads the whole file again.
    EXPECT_GE(3, PlatMapiFileReadCount() - cReads);
    std::vector<std::wstring> rows = Rows();
    ASSERT_EQ(400u, rows.size());
    EXPECT_EQ(L"S1", rows[0]);
    EXPECT_EQ(L"S2", rows[1]);
    EXPECT_EQ(L"S599", rows[399]);
    Action(398);
    Command(IDM_INBOX_START);
    EXPECT_EQ((std::vector<std::wstring>{L"Message copied to SIM successfully."}), BoxTexts());
    nlohmann::json stored = ReadSim()["sms"]["messages"];
    ASSERT_EQ(2u, stored.size());
    EXPECT_EQ("+4470598", stored[1]["number"]);
    EXPECT_EQ("text 598", stored[1]["text"]);

}

TEST_F(SmsScreens, InboxTicksStayWithinTheFreeSlots)
{
    auto five = Inbox({{"A", "1", "a"}, {"B", "2", "b"}, {"C", "3", "c"}, {"D", "4", "d"}, {"E", "5", "e"}});
    OpenInbox(five, Messages({1, 2}), 5);
    Command(IDM_INBOX_SELECT_ALL);
    EXPECT_EQ((std::vector<bool>{true, true, true, false, false}), Ticks());
    EXPECT_EQ(L"0", FreeSlots());
    EXPECT_EQ(2, Mark());
    Action(3);
    EXPECT_EQ((std::vector<std::wstring>{L"Copy from Inbox/SMS to SIM failed!"}), BoxTexts());
    EXPECT_FALSE(IsRowTicked(g_hwndSMS, 3));
    Command(IDM_INBOX_UNSELECT_ALL);
    EXPECT_EQ(L"3", FreeSlots());
    Action(4);
    EXPECT_EQ((std::vector<bool>{false, false, false, false, true}), Ticks());
    EXPECT_EQ(L"2", FreeSlots());
    Action(4);
    EXPECT_EQ(L"3", FreeSlots());
    PlatRadioReset();
    Command(IDM_INBOX_START);  // nothing ticked: nothing happens
    EXPECT_EQ(0u, PlatRadioCommandCount());
    EXPECT_EQ(1u, BoxTexts().size());

    // A SIM that reports more used slots than it has is full.
    MessageBoxes::Reset();
    OpenInbox(five, Messages({1, 2, 3}), 2);
    EXPECT_EQ(L"0", FreeSlots());
    Action(0);
    EXPECT_EQ((std::vector<std::wstring>{L"Copy from Inbox/SMS to SIM failed!"}), BoxTexts());
    EXPECT_FALSE(IsRowTicked(g_hwndSMS, 0));
}

TEST_F(SmsScreens, InboxCopyStopsAtTheFirstFailedWrite)
{
    OpenInbox(Inbox({{"A", "+441", "first"}, {"B", "+442", std::string(200, 'x')}, {"C", "+443", "third"}}),
              Messages({1}));
    Command(IDM_INBOX_SELECT_ALL);
    Command(IDM_INBOX_START);
    EXPECT_EQ((std::vector<std::wstring>{L"Copy from Inbox/SMS to SIM failed!"}), BoxTexts());
    EXPECT_TRUE(IsWindowVisible(m_hdlg));
    EXPECT_EQ((std::vector<bool>{false, true, true}), Ticks());  // the copied one is no longer ticked
    EXPECT_EQ(L"16", FreeSlots());  // its slot is taken
    nlohmann::json stored = ReadSim()["sms"]["messages"];
    ASSERT_EQ(2u, stored.size());
    EXPECT_EQ("first", stored[1]["text"]);

    // Without the one too long, Start copies the rest, the first not again.
    Action(1);
    Command(IDM_INBOX_START);
    EXPECT_EQ(L"Message copied to SIM successfully.", BoxTexts().back());
    stored = ReadSim()["sms"]["messages"];
    ASSERT_EQ(3u, stored.size());
    EXPECT_EQ("third", stored[2]["text"]);
}

TEST_F(SmsScreens, AnInboxWithoutShortMessagesClosesThePage)
{
    WriteSim({});
    ASSERT_TRUE(OpenSim());
    struct {
        nlohmann::json inbox;
        nlohmann::json service;
        std::vector<std::wstring> boxes;
    } cases[] = {{Inbox({{"News", "news@example.com", "Digest"}}), {}, {L"No SMS stored in Inbox."}},
                 {Inbox({{"A", "+441", "a"}}), {{"available", false}}, {L"No SMS stored in Inbox."}},
                 {Inbox({{"A", "+441", "a"}}), {{"logonFails", true}}, {L"No SMS stored in Inbox."}},
                 {nullptr, {}, {}}};
    for (const auto &c : cases) {
        MessageBoxes::Reset();
        WriteInbox(c.inbox, c.service.is_null() ? nlohmann::json::object() : c.service);
        EXPECT_EQ(1, RunDialogFromTemplate(g_hInst, IDD_SMSLIST, nullptr, InboxCopyProc, 0));
        EXPECT_EQ(c.boxes, BoxTexts());
        EXPECT_EQ(0, PlatMapiObjectCount());
    }
}

namespace {
// The ink an edit field paints as far as the page shows it, against its
// lines drawn alone: equal when no line runs off the field or the page.
void ExpectWhole(HWND hwndEdit, const char *pszWhat)
{
    HWND hwndPage = GetAncestor(hwndEdit, GA_ROOT);
    RECT rcPage, rcField, rcClient;
    GetClientRect(hwndPage, &rcPage);
    GetWindowRect(hwndEdit, &rcField);
    MapWindowPoints(nullptr, hwndPage, (POINT *)&rcField, 2);
    EXPECT_LE(rcField.right, rcPage.right) << pszWhat << ": its right border is off the page";
    GetClientRect(hwndEdit, &rcClient);
    POINT pt = {0, 0};
    MapWindowPoints(hwndEdit, hwndPage, &pt, 1);
    // What the text adds to the field as it paints itself empty (a frame, say).
    auto painted = [&] {
        return Ink(rcClient.right, rcClient.bottom, [&](HDC hdc) {
            SendMessageW(hwndEdit, WM_PRINTCLIENT, (WPARAM)hdc, PRF_CLIENT);
        }, 0, rcPage.right - pt.x);
    };
    HFONT hfont = (HFONT)SendMessageW(hwndEdit, WM_GETFONT, 0, 0);
    int cAlone = 0;
    int cLines = (int)SendMessageW(hwndEdit, EM_GETLINECOUNT, 0, 0);
    for (int i = 0; i < cLines; ++i) {
        WCHAR sz[300] = {};
        *(WORD *)sz = ARRAYSIZE(sz) - 1;
        LRESULT cch = SendMessageW(hwndEdit, EM_GETLINE, i, (LPARAM)sz);
        sz[cch] = 0;
        cAlone += TextInk(hfont, sz);
    }
    std::wstring text = WindowText(hwndEdit);
    int cShown = painted();
    SetWindowTextW(hwndEdit, L"");
    cShown -= painted();
    SetWindowTextW(hwndEdit, text.c_str());
    EXPECT_GT(cAlone, 0) << pszWhat;
    EXPECT_EQ(cAlone, cShown) << pszWhat;
}
} // namespace

TEST_F(SmsScreens, TextsOfTheMessagePagesStayOnTheScreen)
{
    // The preview of a text that wraps, and the Edit SMS fields filled to the page's width.
    nlohmann::json messages = Messages({1, 2});
    messages[1]["text"] = "Hej! Skål för i går, det var så kul. Åka skidor på lördag?";
    OpenList(messages);
    SendMessageW(g_hwndSMS, LVM_SETSELECTIONMARK, 0, 1);
    ShowSelectedMessage(1);
    ExpectWhole(g_hwndSmsPreview, "preview");
    OpenEdit(1);
    SetDlgItemTextW(m_hdlgEdit, IDC_SMS_NUMBER, L"+441234567890123");
    ExpectWhole(GetDlgItem(m_hdlgEdit, IDC_SMS_NUMBER), "destination");
    ExpectWhole(GetDlgItem(m_hdlgEdit, IDC_SMS_CONTENT), "content");
    DestroyWindow(m_hdlgEdit);

    // The Inbox copy's free-slot count, two and three digits.
    for (DWORD dwTotal : {17u, 252u}) {
        OpenInbox(Inbox({{"A", "1", "a"}}), Messages({1, 2}), dwTotal);
        EXPECT_EQ(std::to_wstring(dwTotal - 2), FreeSlots());
        ExpectWhole(g_hwndSmsFreeSlots, "free slots");
    }
}
