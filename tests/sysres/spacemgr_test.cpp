// The space manager against a real object store, database volume and
// messaging stores: each erase, its questions and messages, Erase All, the
// message-erase dialog, and the storage figures after each erase.
#include <commctrl.h>
#include "page.h"
#include "platmapi.h"
#include "spacemgr.h"
#include "../res/ostrel/resource.h"
#include <cemapi.h>

using nlohmann::json;

namespace {
const wchar_t kVolume[] = L"\\Flash\\mxip_initdb.vol";
const wchar_t kNotes[] = L"\\Flash\\My Documents\\Notes";

json Records(std::initializer_list<int> oids, int iInUse = 0)
{
    json records = json::array();
    for (int oid : oids) {
        json r = {{"oid", oid}, {"props", {{{"id", 1}, {"type", "text"}, {"value", "+4912345"}}}}};
        if (oid == iInUse)
            r["inUse"] = true;
        records.push_back(r);
    }
    return records;
}

json Folder(const char *pszName, std::initializer_list<int> ids)
{
    json messages = json::array();
    for (int id : ids)
        messages.push_back({{"id", id}, {"senderName", "Anna"}, {"senderAddress", "+4912345"}, {"subject", "Hi"}});
    return {{"name", pszName}, {"messages", messages}};
}

json Store(const char *pszName, int iBase)
{
    return {{"name", pszName},
            {"folders",
             {{"inbox", Folder("Inbox", {iBase + 1, iBase + 2})}, {"deleted", Folder("Deleted Items", {iBase + 3})},
              {"drafts", Folder("Drafts", {iBase + 4})}, {"outbox", Folder("Outbox", {iBase + 5})},
              {"sent", Folder("Sent Items", {iBase + 6, iBase + 7})}}}};
}

class SpaceManager : public OstrelPage {
protected:
    void SetUp() override
    {
        OstrelPage::SetUp();
        json device;
        device["cards"] = json::parse(R"([{"name": "Flash", "capacity": 1048576}])");
        device["system"]["folders"]["documents"] = "\\Flash\\My Documents";
        ASSERT_TRUE(PlatProfileSave(L"device.json", device));
        MakeDir(L"\\Flash");
        MakeDir(L"\\Flash\\My Documents");
        SaveVolume(Records({1, 2}), Records({11, 12, 13}));
        json messages;
        messages["stores"] = {Store("SMS", 0), Store("Work", 100)};
        messages["stores"][1]["default"] = true;
        messages["stores"][1]["folders"]["drafts"]["name"] = "Work drafts";
        ASSERT_TRUE(PlatProfileSave(L"messages.json", messages));
        ASSERT_EQ(S_OK, MAPIInitialize(nullptr));
    }
    void TearDown() override
    {
        OstrelPage::TearDown();
        MAPIUninitialize();
        // Every volume unmounted, every database closed, every messaging object released.
        EXPECT_EQ(0, PlatCeDbOpenCount() + PlatMapiSessionCount() + PlatMapiObjectCount() + PlatMapiBufferCount());
        DeleteFileW(PlatProfilePath(L"messages.json").c_str());
    }
    void SaveVolume(const json &speed, const json &calls)
    {
        json vol = {{"databases", {{{"name", "speed.db"}, {"records", speed}}, {{"name", "clog.db"}, {"records", calls}}}}};
        ASSERT_TRUE(MakeFile(kVolume, vol.dump()));
    }
    // Record ids left in a database of the volume file.
    std::vector<int> Left(int iDatabase)
    {
        std::vector<int> oids;
        json vol = json::parse(ReadFileText(kVolume));
        for (const json &r : vol["databases"][iDatabase]["records"])
            oids.push_back(r["oid"].get<int>());
        return oids;
    }
    // Message ids left in a folder of a store of messages.json.
    std::vector<int> Messages(int iStore, const char *pszFolder)
    {
        std::vector<int> ids;
        json messages = PlatProfileLoad(L"messages.json");
        for (const json &m : messages["stores"][iStore]["folders"][pszFolder]["messages"])
            ids.push_back(m["id"].get<int>());
        return ids;
    }
    size_t MessageCount()
    {
        size_t c = 0;
        for (int iStore : {0, 1})
            for (const char *psz : {"inbox", "deleted", "drafts", "outbox", "sent"})
                c += Messages(iStore, psz).size();
        return c;
    }
    void Open() { m_hdlg = OpenPage(IDD_SPACE, SpaceManagerDlgProc); }
    std::wstring Used() { return WindowText(m_hdlg, IDC_SPACE_USED); }
    // The figures shown after an erase are those a Refresh shows.
    void ExpectRefreshed(const std::wstring &before)
    {
        std::wstring after = Used();
        EXPECT_NE(before, after);
        Command(IDM_SPACE_REFRESH);
        EXPECT_EQ(after, Used());
    }
    void ExpectBox(size_t i, const wchar_t *pszText, const wchar_t *pszCaption, UINT uType)
    {
        ASSERT_LT(i, MessageBoxes::calls.size());
        EXPECT_EQ(pszText, MessageBoxes::calls[i].text);
        EXPECT_EQ(pszCaption, MessageBoxes::calls[i].caption);
        EXPECT_EQ(uType, MessageBoxes::calls[i].uType);
    }
};
} // namespace

TEST_F(SpaceManager, DeviceStorageFiguresAndBar)
{
    json device = PlatProfileLoad(L"device.json");
    device["cards"] = json::parse(
        R"([{"name": "Storage Card", "capacity": 2097152}, {"name": "Flash", "capacity": 67108864}])");
    ASSERT_TRUE(PlatProfileSave(L"device.json", device));
    MakeDir(L"\\Storage Card");
    ASSERT_TRUE(MakeSparseFile(L"\\Flash\\big.bin", 48ULL << 20));
    Open();
    EXPECT_EQ(L"Quit|Menu", SoftKeyLabels(m_hdlg));
    EXPECT_EQ(L"64.00 MB", WindowText(m_hdlg, IDC_SPACE_TOTAL));
    EXPECT_EQ(L"48.00 MB", Used());
    EXPECT_EQ(L"16.00 MB", WindowText(m_hdlg, IDC_SPACE_FREE));
    EXPECT_EQ(75, SendDlgItemMessageW(m_hdlg, IDC_SPACE_BAR, PBM_GETPOS, 0, 0));
    // No volume holds the documents folder: a Refresh leaves the figures.
    device["system"]["folders"]["documents"] = "\\Elsewhere";
    ASSERT_TRUE(PlatProfileSave(L"device.json", device));
    Command(IDM_SPACE_REFRESH);
    EXPECT_EQ(L"48.00 MB", Used());
    EXPECT_EQ(75, SendDlgItemMessageW(m_hdlg, IDC_SPACE_BAR, PBM_GETPOS, 0, 0));
    EXPECT_TRUE(MessageBoxes::calls.empty());
}

TEST_F(SpaceManager, VoiceNotes)
{
    Open();
    // No Notes folder, then no .wav in it: no message and no change.
    MessageBoxes::answers = {IDYES};
    Command(IDM_ERASE_NOTES);
    ASSERT_EQ(1u, MessageBoxes::calls.size());
    ExpectBox(0, L"Do you want to erase voice notes ?", L"Space Manager", MB_YESNO);
    MakeDir(kNotes);
    MakeFile(std::wstring(kNotes) + L"\\memo.txt", "keep");
    Command(IDM_ERASE_NOTES, SPACE_NO_QUESTION);
    EXPECT_EQ(1u, MessageBoxes::calls.size());

    // Answered No: the notes stay.
    MakeFile(std::wstring(kNotes) + L"\\a.wav", std::string(4000, 'a'));
    MakeFile(std::wstring(kNotes) + L"\\b.wav", std::string(4000, 'b'));
    Command(IDM_ERASE_NOTES);
    EXPECT_EQ(2u, MessageBoxes::calls.size());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((std::wstring(kNotes) + L"\\a.wav").c_str()));

    // A note that cannot be deleted stops the erase with the error.
    SetFileAttributesW((std::wstring(kNotes) + L"\\a.wav").c_str(), FILE_ATTRIBUTE_READONLY);
    Command(IDM_ERASE_NOTES, SPACE_NO_QUESTION);
    ASSERT_EQ(3u, MessageBoxes::calls.size());
    ExpectBox(2, L"Some error happened when erasing voice notes !", L"Error", MB_OK | MB_ICONHAND);

    // Both erased, the other files kept (a CE handset has no 8.3 names that
    // "*.wav" could match), and the figures shown afresh.
    SetFileAttributesW((std::wstring(kNotes) + L"\\a.wav").c_str(), FILE_ATTRIBUTE_NORMAL);
    MakeFile(std::wstring(kNotes) + L"\\b.wav", std::string(4000, 'b'));
    for (const wchar_t *psz : {L"\\minutes.wavx", L"\\mix.wave", L"\\song.WAV2"})
        MakeFile(std::wstring(kNotes) + psz, "keep");
    Command(IDM_SPACE_REFRESH);
    std::wstring before = Used();
    Command(IDM_ERASE_NOTES, SPACE_NO_QUESTION);
    ASSERT_EQ(4u, MessageBoxes::calls.size());
    ExpectBox(3, L"Erase voice notes successfully.", L"Space Manager", MB_OK);
    for (const wchar_t *psz : {L"\\a.wav", L"\\b.wav"})
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((std::wstring(kNotes) + psz).c_str()));
    for (const wchar_t *psz : {L"\\memo.txt", L"\\minutes.wavx", L"\\mix.wave", L"\\song.WAV2"})
        EXPECT_EQ("keep", ReadFileText(std::wstring(kNotes) + psz)) << psz;
    ExpectRefreshed(before);

    // Without a documents folder the erase stops at the error: the root's notes are not the user's.
    json device = PlatProfileLoad(L"device.json");
    device["system"]["folders"]["documents"] = "";
    ASSERT_TRUE(PlatProfileSave(L"device.json", device));
    MakeDir(L"\\Notes");
    MakeFile(L"\\Notes\\root.wav", "riff");
    Command(IDM_ERASE_NOTES, SPACE_NO_QUESTION);
    ExpectBox(4, L"Some error happened when erasing voice notes !", L"Error", MB_OK | MB_ICONHAND);
    EXPECT_EQ("riff", ReadFileText(L"\\Notes\\root.wav"));
}

TEST_F(SpaceManager, SpeedDialAndCallHistoryAreEmptiedInTheVolumeOrTheErrorShows)
{
    Open();
    std::wstring before = Used();
    MessageBoxes::answers = {IDYES, IDYES};
    Command(IDM_ERASE_SPEED);
    EXPECT_TRUE(Left(0).empty());
    EXPECT_EQ(3u, Left(1).size());
    ExpectRefreshed(before);
    Command(IDM_ERASE_CALLS);
    EXPECT_TRUE(Left(1).empty());
    ASSERT_EQ(2u, MessageBoxes::calls.size());  // the two questions, nothing else
    ExpectBox(0, L"Do you want to erase speed dial ?", L"Space Manager", MB_YESNO);
    ExpectBox(1, L"Do you want to erase call history ?", L"Space Manager", MB_YESNO);
    Command(IDM_ERASE_CALLS);  // answered No
    EXPECT_EQ(3u, MessageBoxes::calls.size());

    // A failing call-history erase shows the speed-dial text. A record another
    // program holds stops the erase there, the later ones stay.
    MessageBoxes::Reset();
    const wchar_t kError[] = L"Some error happened when erasing speed dial !";
    SaveVolume(Records({1}), Records({11, 12, 13}, 12));
    Command(IDM_ERASE_CALLS, SPACE_NO_QUESTION);
    EXPECT_EQ((std::vector<int>{12, 13}), Left(1));
    // Missing, damaged and locked volumes.
    DeleteFileW(kVolume);
    Command(IDM_ERASE_CALLS, SPACE_NO_QUESTION);
    MakeFile(kVolume, "{\"databases\": [");
    Command(IDM_ERASE_CALLS, SPACE_NO_QUESTION);
    SaveVolume(Records({1}), Records({11}));
    HANDLE hLock = CreateFileW(kVolume, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    Command(IDM_ERASE_CALLS, SPACE_NO_QUESTION);
    CloseHandle(hLock);
    EXPECT_EQ((std::vector<int>{11}), Left(1));
    ASSERT_EQ(4u, MessageBoxes::calls.size());
    for (size_t i = 0; i < 4; ++i)
        ExpectBox(i, kError, L"Error", MB_OK | MB_ICONHAND);
}

TEST_F(SpaceManager, EraseAllGoesOnOnlyOnYes)
{
    MakeDir(kNotes);
    MakeFile(std::wstring(kNotes) + L"\\a.wav", "riff");
    MakeFile(L"\\Flash\\My Documents\\letter.txt", "keep");
    Open();
    // No, and a question that could not be shown: nothing changes.
    for (int iAnswer : {IDNO, 0}) {
        MessageBoxes::answers = {iAnswer};
        Command(IDM_ERASE_ALL);
        EXPECT_EQ(2u, Left(0).size());
        EXPECT_EQ(14u, MessageCount());
        EXPECT_EQ("riff", ReadFileText(std::wstring(kNotes) + L"\\a.wav"));
    }
    ASSERT_EQ(2u, MessageBoxes::calls.size());
    ExpectBox(0, L"Do you want to erase all ?", L"Space Manager", MB_YESNO);

    // Yes: nothing more is asked; only the voice-note success shows.
    MessageBoxes::Reset();
    MessageBoxes::answers = {IDYES};
    std::wstring before = Used();
    Command(IDM_ERASE_ALL);
    ASSERT_EQ(2u, MessageBoxes::calls.size());
    ExpectBox(1, L"Erase voice notes successfully.", L"Space Manager", MB_OK);
    EXPECT_TRUE(Left(0).empty());
    EXPECT_TRUE(Left(1).empty());
    EXPECT_EQ(0u, MessageCount());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((std::wstring(kNotes) + L"\\a.wav").c_str()));
    EXPECT_EQ("keep", ReadFileText(L"\\Flash\\My Documents\\letter.txt"));
    EXPECT_EQ(2u, PlatProfileLoad(L"messages.json")["stores"].size());  // the stores stay, empty
    ExpectRefreshed(before);
}

TEST_F(SpaceManager, MessageEraseDialogListsAndErases)
{
    HWND hdlg = OpenPage(IDD_MSGERASE, MessageEraseDlgProc);
    auto entries = [&](int id) {
        std::wstring all;
        LRESULT c = SendDlgItemMessageW(hdlg, id, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < c; ++i) {
            WCHAR sz[64] = L"";
            SendDlgItemMessageW(hdlg, id, LB_GETTEXT, (WPARAM)i, (LPARAM)sz);
            all += (i ? L"|" : L"") + std::wstring(sz);
        }
        return all;
    };
    EXPECT_EQ(L"Erase messages in Inbox", WindowText(hdlg));
    EXPECT_EQ(L"Done|Erase", SoftKeyLabels(hdlg));
    EXPECT_EQ(L"All|SMS|Work", entries(IDC_STORE_LIST));
    // The default store's folders, in the table's order.
    EXPECT_EQ(L"All|Inbox|Deleted Items|Work drafts|Outbox|Sent Items", entries(IDC_FOLDER_LIST));
    EXPECT_EQ(0, SendDlgItemMessageW(hdlg, IDC_STORE_LIST, LB_GETCURSEL, 0, 0));
    EXPECT_EQ(0, SendDlgItemMessageW(hdlg, IDC_FOLDER_LIST, LB_GETCURSEL, 0, 0));
    // Each list is a spinner: DOWN goes on to the next field.
    SetForegroundWindow(hdlg);
    SetFocus(GetDlgItem(hdlg, IDC_STORE_LIST));
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_DOWN, 1);
    Pump();
    EXPECT_EQ(GetDlgItem(hdlg, IDC_FOLDER_LIST), GetFocus());
    EXPECT_EQ(0, SendDlgItemMessageW(hdlg, IDC_STORE_LIST, LB_GETCURSEL, 0, 0));

    // One store, all folders: that store's five folders only.
    SendDlgItemMessageW(hdlg, IDC_STORE_LIST, LB_SETCURSEL, 1, 0);
    MessageBoxes::answers = {IDYES};
    SendMessageW(hdlg, WM_COMMAND, IDM_MSGERASE_ERASE, 0);
    for (const char *psz : {"inbox", "deleted", "drafts", "outbox", "sent"}) {
        EXPECT_TRUE(Messages(0, psz).empty()) << psz;
        EXPECT_FALSE(Messages(1, psz).empty()) << psz;
    }
    // All stores, the Inbox: every store's Inbox only.
    SendDlgItemMessageW(hdlg, IDC_STORE_LIST, LB_SETCURSEL, 0, 0);
    SendDlgItemMessageW(hdlg, IDC_FOLDER_LIST, LB_SETCURSEL, 1, 0);
    SendMessageW(hdlg, WM_COMMAND, IDM_MSGERASE_ERASE, 0);  // answered No
    EXPECT_EQ(2u, Messages(1, "inbox").size());
    MessageBoxes::answers = {IDYES};
    SendMessageW(hdlg, WM_COMMAND, IDM_MSGERASE_ERASE, 0);
    EXPECT_TRUE(Messages(1, "inbox").empty());
    EXPECT_EQ(2u, Messages(1, "sent").size());
    ASSERT_EQ(3u, MessageBoxes::calls.size());
    ExpectBox(0, L"Do you want to erase messages in inbox ?", L"Space Manager", MB_YESNO);
    DestroyWindow(hdlg);
}

// The dialog erases the store the user chose by its entry identifier: a
// shared display name or a store list changed meanwhile never sends the
// erase to another store, and a store that is gone is named so.
TEST_F(SpaceManager, MessageEraseEmptiesTheChosenStoreOnly)
{
    json messages = PlatProfileLoad(L"messages.json");
    messages["stores"][1]["name"] = "SMS";  // two stores of one name
    ASSERT_TRUE(PlatProfileSave(L"messages.json", messages));
    HWND hdlg = OpenPage(IDD_MSGERASE, MessageEraseDlgProc);
    auto erase = [&](int iStore) {
        SendDlgItemMessageW(hdlg, IDC_STORE_LIST, LB_SETCURSEL, iStore, 0);
        MessageBoxes::answers = {IDYES};
        SendMessageW(hdlg, WM_COMMAND, IDM_MSGERASE_ERASE, 0);
    };
    erase(2);
    EXPECT_EQ(7u, MessageCount());
    EXPECT_TRUE(Messages(1, "sent").empty());
    EXPECT_EQ(2u, Messages(0, "sent").size());
    DestroyWindow(hdlg);

    // Chosen, then taken out of messages.json: nothing else is erased.
    ASSERT_TRUE(PlatProfileSave(L"messages.json", {{"stores", {Store("SMS", 0), Store("Work", 100)}}}));
    hdlg = OpenPage(IDD_MSGERASE, MessageEraseDlgProc);
    SendDlgItemMessageW(hdlg, IDC_STORE_LIST, LB_SETCURSEL, 1, 0);
    ASSERT_TRUE(PlatProfileSave(L"messages.json", {{"stores", {Store("Work", 100)}}}));
    MessageBoxes::Reset();
    MessageBoxes::answers = {IDYES};
    SendMessageW(hdlg, WM_COMMAND, IDM_MSGERASE_ERASE, 0);
    EXPECT_EQ(2u, Messages(0, "inbox").size());
    ASSERT_EQ(2u, MessageBoxes::calls.size());
    ExpectBox(1, L"This account is no longer there. Nothing was erased.", L"Error", MB_OK | MB_ICONHAND);
    // A store that stays is erased at its new place.
    erase(2);
    EXPECT_TRUE(Messages(0, "inbox").empty());
    DestroyWindow(hdlg);

    // Stores of one name with ids: the one chosen, wherever it went.
    json a = Store("SMS", 0), b = Store("SMS", 100);
    a["id"] = 7;
    b["id"] = 9;
    ASSERT_TRUE(PlatProfileSave(L"messages.json", {{"stores", {a, b}}}));
    hdlg = OpenPage(IDD_MSGERASE, MessageEraseDlgProc);
    SendDlgItemMessageW(hdlg, IDC_STORE_LIST, LB_SETCURSEL, 1, 0);
    ASSERT_TRUE(PlatProfileSave(L"messages.json", {{"stores", {Store("New", 200), b, a}}}));
    MessageBoxes::answers = {IDYES};
    SendMessageW(hdlg, WM_COMMAND, IDM_MSGERASE_ERASE, 0);
    EXPECT_EQ(2u, Messages(0, "sent").size());
    EXPECT_EQ(2u, Messages(1, "sent").size());
    EXPECT_TRUE(Messages(2, "sent").empty());
    DestroyWindow(hdlg);
}

// Erase All empties every store, also two that share a name.
TEST_F(SpaceManager, EraseAllEmptiesStoresOfOneName)
{
    json messages = PlatProfileLoad(L"messages.json");
    messages["stores"][1]["name"] = "SMS";
    ASSERT_TRUE(PlatProfileSave(L"messages.json", messages));
    Open();
    MessageBoxes::answers = {IDYES};
    Command(IDM_ERASE_ALL);
    EXPECT_EQ(0u, MessageCount());
}

// A record the erase cannot read, and a record nested past what the platform
// reads (the volume is damaged then), end the erase with the error text; what
// was read before is erased, the rest stays.
TEST_F(SpaceManager, UnreadableRecordsAndDeepVolumesStopTheEraseWithItsError)
{
    Open();
    json speed = Records({1, 2});
    speed.insert(speed.begin() + 1, json{{"props", json::array()}});  // no oid
    SaveVolume(speed, Records({11}));
    Command(IDM_ERASE_SPEED, SPACE_NO_QUESTION);
    EXPECT_EQ(json::array({speed[1], speed[2]}), json::parse(ReadFileText(kVolume))["databases"][0]["records"]);
    json calls = Records({11, 12});
    calls[1] = "no record";
    SaveVolume(Records({1}), calls);
    Command(IDM_ERASE_CALLS, SPACE_NO_QUESTION);
    EXPECT_EQ(json::array({"no record"}), json::parse(ReadFileText(kVolume))["databases"][1]["records"]);
    ASSERT_EQ(2u, MessageBoxes::calls.size());

    std::string deep = "{\"databases\": [{\"name\": \"speed.db\", \"records\": [{\"oid\": 1, \"props\": [], \"x\": " +
                       std::string(300000, '[') + std::string(300000, ']') + "}]}]}";
    ASSERT_TRUE(MakeFile(kVolume, deep));
    Command(IDM_ERASE_SPEED, SPACE_NO_QUESTION);
    EXPECT_EQ(deep, ReadFileText(kVolume));
    ASSERT_EQ(3u, MessageBoxes::calls.size());
    for (size_t i = 0; i < 3; ++i)
        ExpectBox(i, L"Some error happened when erasing speed dial !", L"Error", MB_OK | MB_ICONHAND);
}

// A record delete takes out that record's text only: the others come back
// byte for byte, whatever numbers or repeated names they hold, and no file of
// the store is used to write the volume.
TEST_F(SpaceManager, RecordsKeptStayByteForByte)
{
    const std::string kHead = "{\"databases\": [\n  {\"name\": \"speed.db\", \"records\": [\n    ";
    const std::string kSpeed = "{\"oid\": 1, \"props\": []},\n    {\"oid\": 2, \"props\": []}";
    const std::string kMiddle = "\n  ]},\n  {\"name\": \"clog.db\", \"records\": [\n    ";
    const std::string k11 = "{\"oid\": 11, \"props\": [{\"id\": 1, \"type\": \"ui4\", \"value\": 18446744073709551617}]}";
    const std::string k12 = "{\"oid\": 12, \"note\": \"a\", \"note\": \"b\", \"inUse\": true, \"props\": []}";
    const std::string k13 = "{ \"oid\":13,\"props\":[ ] , \"big\": 1.50E+10 }";
    const std::string kTail = "\n  ]}\n]}\n";
    ASSERT_TRUE(MakeFile(kVolume, kHead + kSpeed + kMiddle + k11 + ",\n    " + k12 + ",\n    " + k13 + kTail));
    ASSERT_TRUE(MakeFile(std::wstring(kVolume) + L".tmp", "mine"));
    Open();
    Command(IDM_ERASE_SPEED, SPACE_NO_QUESTION);
    EXPECT_EQ(kHead + kMiddle + k11 + ",\n    " + k12 + ",\n    " + k13 + kTail, ReadFileText(kVolume));
    Command(IDM_ERASE_CALLS, SPACE_NO_QUESTION);  // stops at the record in use
    EXPECT_EQ(kHead + kMiddle + k12 + ",\n    " + k13 + kTail, ReadFileText(kVolume));
    EXPECT_EQ("mine", ReadFileText(std::wstring(kVolume) + L".tmp"));
    ASSERT_EQ(1u, MessageBoxes::calls.size());
}

// messages.json damaged during Erase All: the damage is told once, naming the
// file, which stays as it is; the other erases still run.
TEST_F(SpaceManager, EraseAllGoesOnPastADamagedMessagesFile)
{
    MakeDir(kNotes);
    MakeFile(std::wstring(kNotes) + L"\\a.wav", "riff");
    Open();
    for (std::string bad : {std::string("{\"stores\": ["), "{\"stores\": " + std::string(100, '[') + std::string(100, ']') + "}"}) {
        ASSERT_TRUE(MakeFile(PlatProfilePath(L"messages.json"), bad));
        MessageBoxes::Reset();
        MessageBoxes::answers = {IDYES};
        Command(IDM_ERASE_ALL);
        ASSERT_LE(2u, MessageBoxes::calls.size());
        EXPECT_NE(std::wstring::npos, MessageBoxes::calls[1].text.find(PlatProfilePath(L"messages.json")));
        EXPECT_EQ(bad, ReadFileText(PlatProfilePath(L"messages.json")));
        EXPECT_TRUE(Left(0).empty());
        EXPECT_TRUE(Left(1).empty());
        SaveVolume(Records({1}), Records({11}));
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((std::wstring(kNotes) + L"\\a.wav").c_str()));
    DeleteFileW(PlatProfilePath(L"messages.json").c_str());
}
