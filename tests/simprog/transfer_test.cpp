// SIM -> Contacts and Contacts -> SIM against the SIM and Contacts stand-ins:
// the rows, the ticks within the free slots, the copies and their stops, and
// what the profile holds afterwards.
#include "screens.h"
#include "transfer.h"
#include "../res/morlin/resource.h"
#include <pimstore.h>

namespace {
using nlohmann::json;

class Transfer : public Screens {
protected:
    void SetUp() override
    {
        Screens::SetUp();
        InternalStore();
        ASSERT_TRUE(MakeDir(L"\\IPSM"));
    }
    // The internal store (the first flash volume) of 1 MB.
    void InternalStore()
    {
        ASSERT_TRUE(PlatProfileSave(L"device.json", {{"cards", {{{"name", "IPSM"}, {"capacity", 1 << 20}}}}}));
    }
    void TearDown() override
    {
        ClosePOOM();
        Screens::TearDown();
    }
    // contacts.json, and the program's connection to the service opened afresh.
    void ContactsFile(const json &file)
    {
        ASSERT_TRUE(PlatProfileSave(L"contacts.json", file));
        ClosePOOM();
        ASSERT_TRUE(InitPOOM());
    }
    void Contacts(const std::vector<json> &contacts) { ContactsFile({{"contacts", json(contacts)}}); }
    json SavedContacts() { return PlatProfileLoad(L"contacts.json")["contacts"]; }
    json SimEntries() { return ReadSim()["phonebook"]["entries"]; }
    // One member of each item, in order.
    static json Members(const json &items, const char *pszKey)
    {
        json v = json::array();
        for (const json &item : items)
            v.push_back(item[pszKey]);
        return v;
    }
    HWND List() { return GetDlgItem(m_hdlg, IDC_TRANSFER_LIST); }
    std::vector<bool> Ticks() { return ::Ticks(List()); }
    void Key(UINT vk) { SendMessageW(List(), WM_KEYDOWN, vk, 1); }
    std::wstring Counter() { return Text(IDC_TRANSFER_COUNTER); }
    std::wstring Number() { return Text(IDC_TRANSFER_NUMBER); }
    std::wstring LastBox() { return MessageBoxes::calls.empty() ? L"" : MessageBoxes::calls.back().text; }
    std::vector<int> Highlighted() { return SelectedRows(List()); }
};
} // namespace

TEST_F(Transfer, SimToContactsListsTheEntriesReversedAndSplitsNamesAtTheFirstBlank)
{
    Load({{1, "Anna Maria Berg", "+4670"}, {4, "Bo", "123"}, {7, "", "555"}}, 250, 20);
    Contacts({});
    Open(IDD_TRANSFER, SaveSIM2Contacts);
    EXPECT_EQ(L"SIM -> Contacts", Title());
    EXPECT_EQ(L"Start|Menu", SoftKeyLabels(m_hdlg));
    // The column fits beside the vertical scroll bar: no horizontal one hides a row.
    RECT rc;
    GetWindowRect(List(), &rc);
    EXPECT_LE(ListView_GetColumnWidth(List(), 0),
              rc.right - rc.left - 2 * GetSystemMetrics(SM_CXBORDER) - GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_EQ((std::vector<std::wstring>{L"555", L"Bo", L"Anna Maria Berg"}), Cells(List()));
    EXPECT_EQ((std::vector<bool>{false, false, false}), Ticks());
    EXPECT_EQ(L"555", Number());  // the marked row's number, before any key
    Key(VK_DOWN);
    EXPECT_EQ(L"123", Number());
    Key(VK_DOWN);
    EXPECT_EQ(L"+4670", Number());

    Command(IDM_SIM2CONTACTS_SELECT_ALL);
    Key(VK_RETURN);  // the action key unticks the marked row
    EXPECT_EQ((std::vector<bool>{true, true, false}), Ticks());
    Command(IDM_SIM2CONTACTS_UNSELECT_ALL);
    EXPECT_EQ((std::vector<bool>{false, false, false}), Ticks());
    Command(IDM_SIM2CONTACTS_START);  // nothing ticked: nothing happens
    EXPECT_TRUE(MessageBoxes::calls.empty());
    Command(IDM_SIM2CONTACTS_SELECT_ALL);
    Command(IDM_SIM2CONTACTS_START);
    EXPECT_EQ(L"Phone book entry added to Outlook.", LastBox());
    EXPECT_EQ((UINT)MB_ICONASTERISK, MessageBoxes::calls.back().uType);
    EXPECT_TRUE(Closed());

    json saved = SavedContacts();
    ASSERT_EQ(3u, saved.size());
    EXPECT_EQ(json({{"oid", 2}, {"firstName", "Bo"}, {"mobileTelephoneNumber", "123"}}), saved[1]);
    EXPECT_EQ(json({{"oid", 3},
                    {"firstName", "Anna"},
                    {"lastName", "Maria Berg"},
                    {"fileAs", "Anna Maria Berg"},
                    {"mobileTelephoneNumber", "+4670"}}),
              saved[2]);
    EXPECT_STREQ(L"Anna Maria Berg", FindPhoneBookRecord(1)->lpszText);
}

TEST_F(Transfer, SimToContactsStopsAtTheFirstRowItCannotCopyAndSaysWhy)
{
    Load({{1, "Bo", "123"}, {2, "Cy", "456"}, {3, "Dee", ""}, {5, "Al", "789"}});
    Contacts({});
    Open(IDD_TRANSFER, SaveSIM2Contacts);
    Command(IDM_SIM2CONTACTS_SELECT_ALL);
    Command(IDM_SIM2CONTACTS_START);  // Al is copied, then Dee has no number
    EXPECT_EQ(L"Phone number cannot be empty!", LastBox());
    EXPECT_EQ((UINT)MB_ICONHAND, MessageBoxes::calls.back().uType);
    EXPECT_FALSE(Closed());
    EXPECT_EQ((std::vector<bool>{false, true, true, true}), Ticks());  // Al is copied: no longer ticked
    ASSERT_EQ(1u, SavedContacts().size());
    EXPECT_EQ("Al", SavedContacts()[0]["firstName"]);

    // A full internal store stops the run with its message, not silently.
    TickRow(List(), 1, FALSE);
    ASSERT_TRUE(MakeFile(L"\\IPSM\\big.bin", std::string((1 << 20) - 102399, 'x')));
    Command(IDM_SIM2CONTACTS_START);
    EXPECT_EQ(0u, LastBox().find(L"You have exceeded the storage limit on your internal memory (IPSM)"));
    EXPECT_FALSE(Closed());
    EXPECT_EQ(1u, SavedContacts().size());

    // Exactly the room needed is enough; without the Contacts service the first row then fails.
    ASSERT_TRUE(MakeFile(L"\\IPSM\\big.bin", std::string((1 << 20) - 102400, 'x')));
    ClosePOOM();
    Command(IDM_SIM2CONTACTS_START);
    EXPECT_EQ(L"Add phone book entry failed!", LastBox());
    EXPECT_FALSE(Closed());
    // Without an internal store there is no room at all.
    ASSERT_TRUE(PlatProfileSave(L"device.json", json::object()));
    Command(IDM_SIM2CONTACTS_START);
    EXPECT_EQ(0u, LastBox().find(L"You have exceeded the storage limit"));

    // With room and the service back, the rows still ticked are copied, Al not again.
    InternalStore();
    ASSERT_TRUE(InitPOOM());
    Command(IDM_SIM2CONTACTS_START);
    EXPECT_EQ(L"Phone book entry added to Outlook.", LastBox());
    EXPECT_EQ(json({"Al", "Cy", "Bo"}), Members(SavedContacts(), "firstName"));
}

TEST_F(Transfer, SimToContactsStopsWhenTheContactIsNotSavedAndLeavesTheFileAsItWas)
{
    Load({{1, "Bo", "123"}});
    // A "contacts" member that is no list, then a file that cannot be replaced.
    for (bool fBlocked : {false, true}) {
        json file = {{"contacts", {{"oid", 1}, {"firstName", "Lena"}}}, {"owner", "Lena"}};
        if (fBlocked)
            file["contacts"] = json::array({file["contacts"]});
        ContactsFile(file);
        BlockSave(L"contacts.json", fBlocked);
        std::string before = ReadFileText(PlatProfilePath(L"contacts.json"));
        MessageBoxes::Reset();
        Open(IDD_TRANSFER, SaveSIM2Contacts);
        Command(IDM_SIM2CONTACTS_SELECT_ALL);
        Command(IDM_SIM2CONTACTS_START);
        EXPECT_EQ((std::vector<std::wstring>{L"Add phone book entry failed!"}), BoxTexts()) << fBlocked;
        EXPECT_FALSE(Closed()) << fBlocked;
        EXPECT_EQ((std::vector<bool>{true}), Ticks()) << fBlocked;
        EXPECT_EQ(before, ReadFileText(PlatProfilePath(L"contacts.json"))) << fBlocked;
    }
}

TEST_F(Transfer, ContactsToSimMakesARowPerNumberUnderTheContactsName)
{
    Load({{1, "A", "1"}});
    Contacts({json({{"firstName", "Lena"}, {"lastName", "Holm"}, {"mobileTelephoneNumber", "0701"},
                       {"businessTelephoneNumber", "0802"}, {"business2TelephoneNumber", "0803"}}),
              json({{"fileAs", "City Taxi"}, {"pagerNumber", "0904"}}),
              json({{"firstName", "Jon"}, {"radioTelephoneNumber", "01234567890123456789"}}),
              json({{"lastName", "Shah"}, {"home2TelephoneNumber", "06"}, {"fileAs", "Shah, P"}}),
              json({{"firstName", "Nobody"}, {"fileAs", "Numbers"}})});
    Open(IDD_TRANSFER, SaveContact2SIM);
    EXPECT_EQ(L"Contacts->SIM", Title());
    EXPECT_EQ(L"Start|Menu", SoftKeyLabels(m_hdlg));
    EXPECT_EQ((std::vector<std::wstring>{L"Lena Holm", L"Lena Holm", L"Lena Holm", L"City Taxi", L"Jon ", L"Shah"}),
              Cells(List()));
    EXPECT_EQ((std::vector<std::wstring>{L"m", L"w", L"w", L"p", L"r", L"h"}), Cells(List(), 1));
    EXPECT_EQ(L"249", Counter());
    EXPECT_EQ(L"0701", Number());
    EXPECT_EQ(26, Font(IDC_TRANSFER_NUMBER).lfHeight);
    for (int i = 0; i < 4; ++i)
        Key(VK_DOWN);
    EXPECT_EQ(L"01234567890123456789", Number());
    EXPECT_GE(17, Font(IDC_TRANSFER_NUMBER).lfHeight);  // 350 / 20, or less to fit
    EXPECT_TRUE(Fits(IDC_TRANSFER_NUMBER));
    EXPECT_TRUE(Fits(IDC_TRANSFER_COUNTER));
}

// Counts the messages that change a state of every row of a list at once.
class AllRowsWatch {
    static inline int s_c;
    HHOOK m_hhook;
    static LRESULT CALLBACK Hook(int code, WPARAM wp, LPARAM lp)
    {
        const CWPSTRUCT *p = (const CWPSTRUCT *)lp;
        if (code == HC_ACTION && p->message == LVM_SETITEMSTATE && p->wParam == (WPARAM)-1)
            ++s_c;
        return CallNextHookEx(nullptr, code, wp, lp);
    }

public:
    AllRowsWatch() : m_hhook(SetWindowsHookExW(WH_CALLWNDPROC, Hook, nullptr, GetCurrentThreadId())) { s_c = 0; }
    ~AllRowsWatch() { UnhookWindowsHookEx(m_hhook); }
    int Count() const { return s_c; }
};

TEST_F(Transfer, ContactsToSimListsALargeFolderSweepingItsRowsOnce)
{
    Load(NumberedSlots(240));
    std::vector<json> contacts;
    for (int i = 1; i <= 600; ++i)
        contacts.push_back({{"firstName", "C" + std::to_string(i)}, {"mobileTelephoneNumber", std::to_string(i)},
                            {"carTelephoneNumber", i % 2 ? "" : "07" + std::to_string(i)}});
    Contacts(contacts);
    AllRowsWatch watch;
    Open(IDD_TRANSFER, SaveContact2SIM);
    // Marking row 0 once per contact swept the whole list each time.
    EXPECT_GE(2, watch.Count());
    std::vector<std::wstring> names = Cells(List());
    ASSERT_EQ(900u, names.size());
    EXPECT_EQ(L"C1 ", names[0]);
    EXPECT_EQ(L"C600 ", names[899]);
    EXPECT_EQ(L"c", Cells(List(), 1)[899]);
    EXPECT_EQ(std::vector<int>{0}, Highlighted());
    EXPECT_EQ(L"1", Number());

    // The last row ticked is the one written.
    SendMessageW(List(), LVM_SETSELECTIONMARK, 0, 899);
    Key(VK_RETURN);
    EXPECT_EQ(L"9", Counter());
    Command(IDM_CONTACTS2SIM_START);
    EXPECT_EQ(L"Successfully added the phone book entry.", LastBox());
    json entries = SimEntries();
    ASSERT_EQ(241u, entries.size());
    EXPECT_EQ(json({"C600 ", "07600"}), json({entries[240]["name"], entries[240]["number"]}));
}

TEST_F(Transfer, ContactsToSimTicksNoMoreRowsThanTheSimHasFreeSlots)
{
    Load(NumberedSlots(248));
    Contacts({json({{"firstName", "Ann"}, {"mobileTelephoneNumber", "+4611"}, {"homeTelephoneNumber", "0812"}}),
              json({{"firstName", "Bo"}, {"lastName", "Ek"}, {"carTelephoneNumber", "0713"}})});
    Open(IDD_TRANSFER, SaveContact2SIM);
    EXPECT_EQ(L"2", Counter());
    Key(VK_RETURN);
    EXPECT_EQ(L"1", Counter());
    Key(VK_RETURN);
    EXPECT_EQ(L"2", Counter());
    Command(IDM_CONTACTS2SIM_SELECT_ALL);
    EXPECT_EQ((std::vector<bool>{true, true, false}), Ticks());
    EXPECT_EQ(L"0", Counter());
    EXPECT_EQ(2, ListView_GetSelectionMark(List()));  // the row that did not fit
    EXPECT_EQ(std::vector<int>{2}, Highlighted());     // and only that one, with its number
    EXPECT_EQ(L"0713", Number());
    Key(VK_RETURN);
    EXPECT_EQ(L"SIM Phonebook storage is full !", LastBox());
    EXPECT_EQ((UINT)MB_ICONEXCLAMATION, MessageBoxes::calls.back().uType);
    EXPECT_EQ((std::vector<bool>{true, true, false}), Ticks());
    Key(VK_UP);
    EXPECT_EQ(std::vector<int>{1}, Highlighted());
    EXPECT_EQ(L"0812", Number());
    Key(VK_RETURN);
    EXPECT_EQ(L"1", Counter());
    EXPECT_EQ((std::vector<bool>{true, false, false}), Ticks());
    Key(VK_RETURN);
    EXPECT_EQ(L"0", Counter());
    Command(IDM_CONTACTS2SIM_UNSELECT_ALL);
    EXPECT_EQ(L"2", Counter());
    EXPECT_EQ((std::vector<bool>{false, false, false}), Ticks());

    // Start writes the ticked rows as new SIM entries.
    Key(VK_RETURN);
    Key(VK_DOWN);
    Key(VK_RETURN);
    EXPECT_EQ((std::vector<bool>{false, true, true}), Ticks());
    MessageBoxes::Reset();
    Command(IDM_CONTACTS2SIM_START);
    EXPECT_EQ(L"Successfully added the phone book entry.", LastBox());
    EXPECT_TRUE(Closed());
    json entries = SimEntries();
    ASSERT_EQ(250u, entries.size());
    EXPECT_EQ(json({"Ann ", "0812", 249, 0, 1}), json({entries[248]["name"], entries[248]["number"],
                                                       entries[248]["index"], entries[248]["addressType"],
                                                       entries[248]["numPlan"]}));
    EXPECT_EQ(json({"Bo Ek", "0713", 250}),
              json({entries[249]["name"], entries[249]["number"], entries[249]["index"]}));
}

TEST_F(Transfer, ContactsToSimCutsLongContactTextsToItsRecordsAndStopsWhenAWriteFails)
{
    Load({});
    std::string name(100, 'n'), number = "+" + std::string(199, '7');
    Contacts({json({{"firstName", name}, {"lastName", "Last"}, {"mobileTelephoneNumber", number}, {"homeTelephoneNumber", "22"}})});
    Open(IDD_TRANSFER, SaveContact2SIM);
    ASSERT_EQ(2u, Cells(List()).size());
    EXPECT_EQ(std::wstring(63, L'n'), Cells(List())[0]);
    EXPECT_EQ(L"+" + std::wstring(126, L'7'), Number());
    EXPECT_EQ(nullptr, ContactRecordAt(2));
    Key(VK_RETURN);
    BlockSimSave(true);  // a write that fails stops the copy, the page stays
    Command(IDM_CONTACTS2SIM_START);
    EXPECT_EQ(L"Add phone book entry failed!", LastBox());
    EXPECT_FALSE(Closed());
    EXPECT_TRUE(SimEntries().empty());
    BlockSimSave(false);
    Command(IDM_CONTACTS2SIM_START);
    EXPECT_EQ(json({{"index", 1}, {"name", std::string(14, 'n')}, {"number", "+" + std::string(39, '7')},
                    {"addressType", 1}, {"numPlan", 1}}),
              SimEntries()[0]);
}

TEST_F(Transfer, ContactsToSimUnticksEachRowOnceWritten)
{
    Load({});
    Contacts({json({{"firstName", "Ann"}, {"mobileTelephoneNumber", "+4611"}, {"homeTelephoneNumber", "0812"}}),
              json({{"firstName", "Bo"}, {"carTelephoneNumber", "0713"}})});
    Open(IDD_TRANSFER, SaveContact2SIM);
    Command(IDM_CONTACTS2SIM_SELECT_ALL);
    EXPECT_EQ(L"247", Counter());
    {
        // The SIM refuses writes once the first row is on it.
        ProgressWatch watch([](const std::wstring &) { PlatSimSetFailures(PLATSIM_FAIL_WRITE); });
        Command(IDM_CONTACTS2SIM_START);
    }
    EXPECT_EQ(L"Add phone book entry failed!", LastBox());
    EXPECT_FALSE(Closed());
    EXPECT_EQ((std::vector<bool>{false, true, true}), Ticks());
    EXPECT_EQ(L"247", Counter());  // the written row's slot is taken
    EXPECT_EQ(1u, SimEntries().size());
    PlatSimSetFailures(0);
    Command(IDM_CONTACTS2SIM_START);
    EXPECT_EQ(L"Successfully added the phone book entry.", LastBox());
    EXPECT_EQ(json({"+4611", "0812", "0713"}), Members(SimEntries(), "number"));
}

TEST_F(Transfer, ContactsToSimTrustsNoSimCountBeyondItsSlots)
{
    Load(NumberedSlots(250));
    Contacts({json({{"firstName", "Ann"}, {"mobileTelephoneNumber", "+4611"}})});
    for (int iReported : {300, 249}) {  // more used than total, then one too few
        json sim = ReadSim();
        sim["phonebook"]["reportsUsed"] = iReported;
        ASSERT_TRUE(PlatProfileSave(L"sim.json", sim));
        PlatSimReload();
        Open(IDD_TRANSFER, SaveContact2SIM);
        Key(VK_RETURN);
    }
    ASSERT_EQ(1u, MessageBoxes::calls.size());
    EXPECT_EQ(L"SIM Phonebook storage is full !", MessageBoxes::calls[0].text);
    EXPECT_EQ(L"0", Counter());  // the second SIM's one slot, ticked
    Command(IDM_CONTACTS2SIM_START);
    EXPECT_EQ(L"SIM phone book is full!", LastBox());
    EXPECT_TRUE(Closed());
    EXPECT_EQ(250u, SimEntries().size());
}

TEST_F(Transfer, NothingToListClosesEitherDirectionWithItsMessage)
{
    Load({});
    Open(IDD_TRANSFER, SaveSIM2Contacts, false);
    EXPECT_TRUE(Closed());
    ASSERT_EQ(1u, MessageBoxes::calls.size());
    EXPECT_EQ((UINT)MB_ICONHAND, MessageBoxes::calls[0].uType);
    for (bool fService : {true, false}) {
        MessageBoxes::Reset();
        fService ? Contacts({json({{"firstName", "Priya"}, {"lastName", "Shah"}})}) : ClosePOOM();
        Open(IDD_TRANSFER, SaveContact2SIM, false);
        EXPECT_TRUE(Closed()) << fService;
        ASSERT_EQ(1u, MessageBoxes::calls.size()) << fService;
        EXPECT_EQ(L"No entry found in Contacts.", MessageBoxes::calls[0].text);
        EXPECT_EQ(L"Contacts", MessageBoxes::calls[0].caption);
        EXPECT_EQ((UINT)MB_ICONASTERISK, MessageBoxes::calls[0].uType);
        EXPECT_EQ(nullptr, MessageBoxes::calls[0].hwndOwner);
    }
}
