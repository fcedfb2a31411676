// The New Entry, Edit, SIM Number and SIM Status screens, driven through
// their commands, and the progress box.
#include "screens.h"
#include "kit.h"
#include "../res/morlin/resource.h"

TEST_F(Screens, NewEntryFieldsFollowTheSimAndNeedANumberButNoName)
{
    Load({});
    Open(IDD_NEWENTRY, NewEntryProc);
    EXPECT_EQ(L"New Entry", Title());
    EXPECT_EQ(14, SendDlgItemMessageW(m_hdlg, IDC_NEW_NAME, EM_GETLIMITTEXT, 0, 0));
    EXPECT_EQ(40, SendDlgItemMessageW(m_hdlg, IDC_NEW_NUMBER, EM_GETLIMITTEXT, 0, 0));
    HFONT hfontLabel = (HFONT)SendDlgItemMessageW(m_hdlg, IDC_NEW_NAME_LABEL, WM_GETFONT, 0, 0);
    EXPECT_EQ(HandsetBoldWidth(hfontLabel, L"Phone number:"), TextWidth(hfontLabel, L"Phone number:"));
    SetFocus(GetDlgItem(m_hdlg, IDC_NEW_NAME));
    EXPECT_EQ((UINT)MF_GRAYED, PopupState(IDR_BAR_NEWENTRY, IDM_INSERT_PAUSE) & MF_GRAYED);
    EXPECT_EQ((UINT)MF_GRAYED, PopupState(IDR_BAR_NEWENTRY, IDM_INSERT_WAIT) & MF_GRAYED);
    SetFocus(GetDlgItem(m_hdlg, IDC_NEW_NUMBER));
    EXPECT_EQ(0u, PopupState(IDR_BAR_NEWENTRY, IDM_INSERT_PAUSE) & MF_GRAYED);
    SetText(IDC_NEW_NUMBER, L"0123");
    Command(IDM_INSERT_WAIT);
    EXPECT_EQ(L"0123w", Text(IDC_NEW_NUMBER));
    std::wstring full(40, L'1');  // no room left on the SIM
    SetText(IDC_NEW_NUMBER, full.c_str());
    Command(IDM_INSERT_PAUSE);
    EXPECT_EQ(full, Text(IDC_NEW_NUMBER));

    // A number is needed, a name is not.
    SetText(IDC_NEW_NUMBER, L"");
    SetText(IDC_NEW_NAME, L"Only name");
    Command(IDM_NEWENTRY_DONE);
    ASSERT_EQ(1u, MessageBoxes::calls.size());
    EXPECT_EQ(L"Phone number cannot be empty!", MessageBoxes::calls[0].text);
    EXPECT_EQ((UINT)MB_ICONHAND, MessageBoxes::calls[0].uType);
    EXPECT_EQ(m_hdlg, MessageBoxes::calls[0].hwndOwner);
    EXPECT_FALSE(Closed());
    EXPECT_EQ(0u, Writes());
    // A write the SIM's file cannot take keeps the dialog open and takes no slot.
    SetText(IDC_NEW_NUMBER, L"123");
    BlockSimSave(true);
    Command(IDM_NEWENTRY_DONE);
    EXPECT_EQ(L"Add phone book entry failed!", MessageBoxes::calls.back().text);
    EXPECT_EQ((UINT)MB_ICONHAND, MessageBoxes::calls.back().uType);
    EXPECT_FALSE(Closed());
    EXPECT_EQ(0, MyPhoneBook.wUsed);
    EXPECT_EQ(0u, ReadSim()["phonebook"]["entries"].size());
    BlockSimSave(false);

    SetText(IDC_NEW_NAME, L"");
    SetText(IDC_NEW_NUMBER, L"+4455");
    Command(IDM_NEWENTRY_DONE);
    EXPECT_EQ(L"Successfully added the phone book entry.", MessageBoxes::calls.back().text);
    EXPECT_EQ((UINT)MB_ICONASTERISK, MessageBoxes::calls.back().uType);
    EXPECT_TRUE(Closed());
    ASSERT_NE(nullptr, FindPhoneBookRecord(1));
    EXPECT_STREQ(L"", FindPhoneBookRecord(1)->lpszText);
    EXPECT_STREQ(L"+4455", EntryDisplayText(FindPhoneBookRecord(1)));
    EXPECT_EQ(1, ReadSim()["phonebook"]["entries"][0]["addressType"]);  // international for a leading "+"
}

TEST_F(Screens, NewEntryAcceptsThe250thAndRefusesThe251st)
{
    Load(NumberedSlots(249));
    Open(IDD_NEWENTRY, NewEntryProc);
    SetText(IDC_NEW_NUMBER, L"250");
    Command(IDM_NEWENTRY_DONE);
    EXPECT_EQ(L"Successfully added the phone book entry.", MessageBoxes::calls.back().text);
    EXPECT_EQ(250, MyPhoneBook.wUsed);

    Open(IDD_NEWENTRY, NewEntryProc);
    PlatSimResetCounters();
    SetText(IDC_NEW_NUMBER, L"251");
    Command(IDM_NEWENTRY_DONE);
    EXPECT_EQ(L"SIM phone book is full!", MessageBoxes::calls.back().text);
    EXPECT_EQ((UINT)MB_ICONEXCLAMATION, MessageBoxes::calls.back().uType);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(0u, Writes());
    Open(IDD_NEWENTRY, NewEntryProc);
    Command(IDM_NEWENTRY_CANCEL);
    EXPECT_TRUE(Closed());
}

TEST_F(Screens, EditShowsTheMarkedEntryReportsTheAnswerDialsAndDeletes)
{
    Load({{3, "Anna", "+4670"}, {5, "Bo", "1"}});
    g_wMarkedIndex = 3;
    Open(IDD_EDITENTRY, EditEntryProc);
    EXPECT_EQ(L"Edit phone book", Title());
    EXPECT_EQ(L"Key:3#", Text(IDC_EDIT_KEY_LABEL));
    EXPECT_EQ(L"3#", Text(IDC_EDIT_KEY));
    EXPECT_EQ(L"Anna", Text(IDC_EDIT_NAME));
    EXPECT_EQ(L"+4670", Text(IDC_EDIT_NUMBER));

    SetText(IDC_EDIT_NAME, L"Anne");
    Command(IDM_EDITENTRY_DONE);  // the question is answered No
    EXPECT_EQ(L"Changes were not saved!", MessageBoxes::calls.back().text);
    EXPECT_TRUE(Closed());
    EXPECT_STREQ(L"Anna", FindPhoneBookRecord(3)->lpszText);

    Open(IDD_EDITENTRY, EditEntryProc);
    SetText(IDC_EDIT_NUMBER, L"");
    Command(IDM_EDITENTRY_DONE);
    EXPECT_EQ(L"Phone number cannot be empty!", MessageBoxes::calls.back().text);
    EXPECT_FALSE(Closed());
    Command(IDM_DIAL);
    EXPECT_EQ(L"No phone number!", MessageBoxes::calls.back().text);

    // A change of case only is asked about and counts as saved, but writes nothing.
    SetText(IDC_EDIT_NAME, L"ANNA");
    SetText(IDC_EDIT_NUMBER, L"+4670");
    MessageBoxes::answers.push_back(IDYES);
    Command(IDM_EDITENTRY_DONE);
    EXPECT_EQ(L"Successfully saved the phone book entry.", MessageBoxes::calls.back().text);
    const BoxCall &question = MessageBoxes::calls[MessageBoxes::calls.size() - 2];
    EXPECT_EQ(L"Do you want to save the changes to \"ANNA\"?", question.text);
    EXPECT_EQ(L"SIM Phonebook", question.caption);
    EXPECT_EQ((UINT)(MB_YESNO | MB_ICONEXCLAMATION), question.uType);
    EXPECT_EQ(0u, Writes());

    // A change is written to the entry's own slot; its address type stays.
    Open(IDD_EDITENTRY, EditEntryProc);
    SetText(IDC_EDIT_NAME, L"");
    SetText(IDC_EDIT_NUMBER, L"0800");
    MessageBoxes::answers.push_back(IDYES);
    Command(IDM_EDITENTRY_DONE);
    EXPECT_EQ(L"Do you want to save the changes to \"0800\"?", MessageBoxes::calls[MessageBoxes::calls.size() - 2].text);
    EXPECT_EQ(1u, Writes());
    EXPECT_STREQ(L"0800", FindPhoneBookRecord(3)->lpszAddress);
    nlohmann::json e = ReadSim()["phonebook"]["entries"][0];
    EXPECT_EQ(nlohmann::json({3, "", "0800", 1}), nlohmann::json({e["index"], e["name"], e["number"], e["addressType"]}));

    // Dial takes the edited number; Delete closes whatever the answer.
    Open(IDD_EDITENTRY, EditEntryProc);
    SetText(IDC_EDIT_NUMBER, L"+4671w9");
    Command(IDM_DIAL);
    EXPECT_EQ("+4671w9", PlatProfileLoad(L"calllog.json")["calls"][0]["number"]);
    Command(IDM_EDITENTRY_DELETE);  // declined
    EXPECT_TRUE(Closed());
    EXPECT_EQ(L"Do you want to delete \"0800\"?", MessageBoxes::calls.back().text);
    EXPECT_NE(nullptr, FindPhoneBookRecord(3));

    // Refused by the SIM (no message of its own: the entry stays), then done.
    for (bool fRefused : {true, false}) {
        PlatSimSetFailures(fRefused ? PLATSIM_FAIL_DELETE : 0);
        Open(IDD_EDITENTRY, EditEntryProc);
        size_t cBoxes = MessageBoxes::calls.size();
        MessageBoxes::answers.push_back(IDYES);
        Command(IDM_EDITENTRY_DELETE);
        EXPECT_TRUE(Closed());
        EXPECT_EQ(fRefused, FindPhoneBookRecord(3) != nullptr);
        EXPECT_EQ(fRefused, IsSlotUsed(3) != FALSE);
        EXPECT_EQ(cBoxes + (fRefused ? 1 : 2), MessageBoxes::calls.size());
    }
    EXPECT_EQ(L"Phone book entry deleted!", MessageBoxes::calls.back().text);
    EXPECT_EQ((UINT)MB_ICONEXCLAMATION, MessageBoxes::calls.back().uType);
    EXPECT_TRUE(IsSlotUsed(5));
    EXPECT_EQ(1u, ReadSim()["phonebook"]["entries"].size());
}

TEST_F(Screens, SimNumberFontFollowsTheNumbersLength)
{
    struct Case {
        const char *pszNumber;
        LONG lHeight;
        const wchar_t *pszShown;
    } cases[] = {{"01234567890", 24, L"01234567890"}, {"+447700900321", 20, L"+447700900321"},
                 {"01234567890123456789", 13, L"01234567890123456789"}, {"", 19, L"No own number."}, {"1", 24, L"1"}};
    for (const Case &c : cases) {
        WriteSim({{1, "A", "1"}});
        nlohmann::json sim = ReadSim();
        if (c.pszNumber[0])
            sim["ownNumbers"] = {{"entries", {{{"index", 1}, {"number", c.pszNumber}}}}};
        ASSERT_TRUE(PlatProfileSave(L"sim.json", sim));
        PlatSimReload();
        if (!g_hSim) {
            ASSERT_TRUE(OpenSim());
        }
        Open(IDD_SIMNUMBER, SimNumberProc);
        EXPECT_EQ(L"SIM Number", Title());
        EXPECT_EQ(c.pszShown, Text(IDC_OWN_NUMBER)) << c.pszNumber;
        EXPECT_EQ(c.lHeight, Font(IDC_OWN_NUMBER).lfHeight) << c.pszNumber;
        EXPECT_TRUE(Fits(IDC_OWN_NUMBER)) << c.pszNumber;
        Command(IDM_SIMNUMBER_DONE);
        EXPECT_TRUE(Closed());
    }
}

TEST_F(Screens, SimStatusShowsTheStorageCounts)
{
    Load({{1, "A", "1"}, {2, "B", "2"}, {9, "C", "3"}});
    nlohmann::json sim = ReadSim();
    sim["sms"] = {{"total", 20}, {"messages", {{{"index", 1}}, {{"index", 2}}, {{"index", 3}}, {{"index", 7}},
                                               {{"index", 8}}}}};
    ASSERT_TRUE(PlatProfileSave(L"sim.json", sim));
    Open(IDD_SIMSTATUS, SimStatusProc);
    EXPECT_EQ(L"SIM Status", Title());
    EXPECT_EQ(L"Total:250", Text(IDC_PB_TOTAL));
    EXPECT_EQ(L"Used:3", Text(IDC_PB_USED));
    EXPECT_EQ(L"Total:20", Text(IDC_SMS_TOTAL));
    EXPECT_EQ(L"Used:5", Text(IDC_SMS_USED));
    // The counts stand clear of their group's icon.
    std::vector<RECT> icons;
    for (HWND hwnd = GetWindow(m_hdlg, GW_CHILD); hwnd; hwnd = GetWindow(hwnd, GW_HWNDNEXT)) {
        RECT rc;
        GetWindowRect(hwnd, &rc);
        if ((GetWindowLongW(hwnd, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            icons.push_back(rc);
    }
    ASSERT_EQ(2u, icons.size());
    for (int id : {IDC_PB_TOTAL, IDC_PB_USED, IDC_SMS_TOTAL, IDC_SMS_USED}) {
        RECT rc, rcOverlap;
        GetWindowRect(GetDlgItem(m_hdlg, id), &rc);
        for (const RECT &rcIcon : icons)
            EXPECT_FALSE(IntersectRect(&rcOverlap, &rc, &rcIcon)) << id;
    }
    Command(IDM_SIMSTATUS_DONE);
    EXPECT_TRUE(Closed());

    // Counts the SIM does not report show as 0.
    ASSERT_TRUE(PlatSimSetPresent(FALSE, TRUE));
    Open(IDD_SIMSTATUS, SimStatusProc);
    EXPECT_EQ(L"Total:0", Text(IDC_PB_TOTAL));
    EXPECT_EQ(L"Used:0", Text(IDC_SMS_USED));
}

// The counter's texts are checked as the SIM and Inbox lists are read.
TEST_F(Screens, ProgressBarAndItsLongestCounter)
{
    EXPECT_FALSE(ShowProgress(1, 2));  // no dialog open
    HWND hdlg = ProgressDialog(nullptr);
    ASSERT_NE(nullptr, hdlg);
    EXPECT_TRUE(ShowProgress(3, 10));
    EXPECT_TRUE(ShowProgress(5, 0));  // no total: the bar stays
    EXPECT_EQ(3, SendDlgItemMessageW(hdlg, IDC_PROGRESS_BAR, PBM_GETPOS, 0, 0));
    EXPECT_EQ(10, SendDlgItemMessageW(hdlg, IDC_PROGRESS_BAR, PBM_GETRANGE, FALSE, 0));
    EXPECT_TRUE(ShowProgress(250, 250));
    EXPECT_EQ(L"Processing...(250/250)", WindowText(hdlg, IDC_PROGRESS_COUNT));
    EXPECT_TRUE(TextFits(GetDlgItem(hdlg, IDC_PROGRESS_COUNT), L"Processing...(250/250)"));
    DestroyWindow(hdlg);
    g_hwndProgress = nullptr;
}
