// The system-information page against the device profile: figures, storage
// groups, Refresh, Back, scrolling.
#include <commctrl.h>
#include "page.h"
#include "sysinfo.h"
#include "../res/ostrel/resource.h"

namespace {
const char kSystem[] = R"({
  "power": {"main": {"flag": 1, "percent": 82}, "backup": {"flag": 8, "percent": 40}},
  "memory": {"total": 16777216, "available": 7340032},
  "store": {"size": 33554432, "free": 20971520},
  "oem": "Test Maker & Co",
  "processor": 2577,
  "version": {"major": 4, "minor": 20, "build": 1081},
  "folders": {"documents": "\\Flash\\My Documents"}
})";

class SysInfo : public OstrelPage {
protected:
    nlohmann::json m_device;

    void SetUp() override
    {
        OstrelPage::SetUp();
        m_device = nlohmann::json::object();
        m_device["system"] = nlohmann::json::parse(kSystem);
        m_device["cards"] = nlohmann::json::parse(
            R"([{"name": "Flash", "capacity": 1048576}, {"name": "Storage Card", "capacity": 2097152}])");
        Save();
    }
    void Save() { ASSERT_TRUE(PlatProfileSave(L"device.json", m_device)); }

    void Open() { m_hdlg = OpenPage(IDD_SYSINFO, SysInfoDlgProc); }
    std::wstring Text(int id) { return WindowText(m_hdlg, id); }
    // The control's whole text fits it, and the control lies within the page's width.
    bool Fits(int id)
    {
        HWND hwnd = GetDlgItem(m_hdlg, id);
        RECT rc, rcPage;
        GetClientRect(hwnd, &rc);
        GetClientRect(m_hdlg, &rcPage);
        MapWindowPoints(hwnd, m_hdlg, (POINT *)&rc, 2);
        return TextFits(hwnd, Text(id)) && rc.right <= rcPage.right;
    }
    // Pixels unlike the top-left one: the ink of a field as it paints itself,
    // or of its text drawn alone with nothing to cut it.
    int Ink(int id, bool fAlone)
    {
        HWND hwnd = GetDlgItem(m_hdlg, id);
        RECT rc;
        GetClientRect(hwnd, &rc);
        if (fAlone)
            rc.right = 400;
        HDC hdcScreen = GetDC(nullptr);
        HDC hdc = CreateCompatibleDC(hdcScreen);
        HGDIOBJ hbmOld = SelectObject(hdc, CreateCompatibleBitmap(hdcScreen, rc.right, rc.bottom));
        ReleaseDC(nullptr, hdcScreen);
        FillRect(hdc, &rc, (HBRUSH)GetStockObject(WHITE_BRUSH));
        if (fAlone) {
            SelectObject(hdc, (HFONT)SendMessageW(hwnd, WM_GETFONT, 0, 0));
            std::wstring text = Text(id);
            RECT rcText = {4, 0, rc.right, rc.bottom};
            DrawTextW(hdc, text.c_str(), -1, &rcText, DT_SINGLELINE | DT_NOPREFIX);
        } else {
            SendMessageW(hwnd, WM_PRINTCLIENT, (WPARAM)hdc, PRF_CLIENT);
        }
        int cInk = 0;
        for (int x = 0; x < rc.right; ++x)
            for (int y = 0; y < rc.bottom; ++y)
                cInk += GetPixel(hdc, x, y) != GetPixel(hdc, 0, 0);
        DeleteObject(SelectObject(hdc, hbmOld));
        DeleteDC(hdc);
        return cInk;
    }
    void Refresh()
    {
        EXPECT_TRUE(PlatPressSoftKey(PlatFindSoftKeyBar(m_hdlg), 0));
        Pump();
    }
};
} // namespace

TEST_F(SysInfo, PageShowsTheProfilesFiguresAndRefreshShowsTheirChanges)
{
    MakeDir(L"\\Flash");
    Open();
    EXPECT_EQ(L"System Information", WindowText(m_hdlg));
    EXPECT_EQ(L"High(82%)", Text(IDC_MAIN_BATTERY));
    EXPECT_EQ(L"Charging(40%)", Text(IDC_BACKUP_BATTERY));
    EXPECT_EQ(L"16.00 MB", Text(IDC_PROGRAM_MEMORY));
    EXPECT_EQ(L"7.00 MB", Text(IDC_PROGRAM_FREE));
    EXPECT_EQ(L"9.00 MB", Text(IDC_PROGRAM_USED));
    EXPECT_EQ(L"32.00 MB", Text(IDC_STORAGE_MEMORY));
    EXPECT_EQ(L"20.00 MB", Text(IDC_STORAGE_FREE));
    EXPECT_EQ(L"12.00 MB", Text(IDC_STORAGE_USED));
    EXPECT_EQ(L"48.00 MB", Text(IDC_TOTAL_MEMORY));
    EXPECT_EQ(L"Test Maker & Co", Text(IDC_MAKER));
    EXPECT_EQ(L"StrongARM", Text(IDC_PROCESSOR));
    EXPECT_EQ(L"Windows CE", Text(IDC_OS));
    EXPECT_EQ(L"4.200 (Build 1081)", Text(IDC_VERSION));
    EXPECT_EQ(L"Refresh|Menu", SoftKeyLabels(m_hdlg));

    m_device["system"]["power"]["main"] = {{"flag", 9}, {"percent", 255}};  // charging and high at once
    m_device["system"]["power"]["backup"] = {{"flag", 4}, {"percent", 3}};
    m_device["system"]["memory"] = {{"total", 999}, {"available", 5000}};  // never more free than there is
    m_device["system"]["store"] = {{"size", 1000}, {"free", 9000}};
    m_device["system"]["processor"] = 586;
    m_device["system"]["oem"] = "Other";
    m_device["system"]["version"] = {{"major", 5}, {"minor", 2}, {"build", 7}};
    Save();
    MakeDir(L"\\Storage Card");
    EXPECT_EQ(L"High(82%)", Text(IDC_MAIN_BATTERY));  // nothing changes before Refresh
    EXPECT_EQ(L"Unknown", Text(IDC_CARD_TOTAL));
    Refresh();
    EXPECT_EQ(L"2.00 MB", Text(IDC_CARD_TOTAL));  // a card found by the Refresh
    EXPECT_EQ(L"Unknown(255%)", Text(IDC_MAIN_BATTERY));
    EXPECT_EQ(L"Critical(3%)", Text(IDC_BACKUP_BATTERY));
    EXPECT_EQ(L"999 B", Text(IDC_PROGRAM_MEMORY));
    EXPECT_EQ(L"0 B", Text(IDC_PROGRAM_USED));
    EXPECT_EQ(L"999 B", Text(IDC_PROGRAM_FREE));
    EXPECT_EQ(L"0.98 KB", Text(IDC_STORAGE_MEMORY));
    EXPECT_EQ(L"0 B", Text(IDC_STORAGE_USED));
    EXPECT_EQ(L"0.98 KB", Text(IDC_STORAGE_FREE));
    EXPECT_EQ(L"1.95 KB", Text(IDC_TOTAL_MEMORY));
    EXPECT_EQ(L"Unknown", Text(IDC_PROCESSOR));
    EXPECT_EQ(L"Other", Text(IDC_MAKER));
    EXPECT_EQ(L"5.20 (Build 7)", Text(IDC_VERSION));
    EXPECT_TRUE(IsWindow(m_hdlg));  // the same page, not a new one

    // The longest texts still show whole.
    m_device["system"]["power"]["backup"] = {{"flag", 8}, {"percent", 100}};
    m_device["system"]["memory"] = {{"total", 999u * 1024 * 1024}, {"available", 1023u * 1024 * 1023}};
    m_device["system"]["version"] = {{"major", 4}, {"minor", 21}, {"build", 14053}};
    Save();
    Refresh();
    EXPECT_EQ(L"Charging(100%)", Text(IDC_BACKUP_BATTERY));
    // Every pixel of every value shows: Wine draws the last glyph of some
    // right-aligned texts past the width it measures.
    for (int id : {IDC_MAIN_BATTERY, IDC_BACKUP_BATTERY, IDC_TOTAL_MEMORY, IDC_PROGRAM_MEMORY, IDC_PROGRAM_USED,
                   IDC_PROGRAM_FREE, IDC_STORAGE_MEMORY, IDC_STORAGE_USED, IDC_STORAGE_FREE, IDC_MAKER, IDC_PROCESSOR,
                   IDC_OS, IDC_VERSION}) {
        EXPECT_TRUE(id == IDC_MAKER || Fits(id)) << id;
        EXPECT_EQ(Ink(id, true), Ink(id, false)) << id;
    }
    for (int id : {IDC_MAIN_BATTERY_LABEL, IDC_BACKUP_BATTERY_LABEL, IDC_TOTAL_MEMORY_LABEL, IDC_PROGRAM_MEMORY_LABEL,
                   IDC_STORAGE_MEMORY_LABEL, IDC_DEVICE_STORAGE_LABEL, IDC_CARD_STORAGE_LABEL, IDC_PROCESSOR_LABEL,
                   IDC_VERSION_LABEL, IDC_POWER_GROUP, IDC_MEMORY_GROUP, IDC_FLASH_GROUP, IDC_DEVICE_GROUP})
        EXPECT_TRUE(Fits(id)) << id;
}

TEST_F(SysInfo, StorageGroupsFollowTheDocumentsFolderAndTheCards)
{
    const char *kTwo = R"([{"name": "Flash", "capacity": 1048576}, {"name": "Storage Card", "capacity": 2097152}])";
    struct Case {
        const char *pszCards, *pszDocuments;
        std::vector<const wchar_t *> dirs;
        std::vector<std::pair<const wchar_t *, size_t>> files;
        const wchar_t *apszShown[6];  // device total, used, free; card total, used, free ("": not looked at)
    } cases[] = {
        // Device storage first, then the card; 1 046 528 B is past 1000 KB.
        {kTwo, "\\Flash\\My Documents", {L"\\Flash", L"\\Storage Card"},
         {{L"\\Flash\\a.bin", 2048}, {L"\\Storage Card\\b.bin", 1048576}},
         {L"1.00 MB", L"2.00 KB", L"1.00 MB", L"2.00 MB", L"1.00 MB", L"1.00 MB"}},
        // The card listed before the device storage still fills the card group.
        {R"([{"name": "Storage Card", "capacity": 2097152}, {"name": "Flash", "capacity": 1048576}])",
         "\\Flash\\My Documents", {L"\\Flash", L"\\Storage Card"}, {{L"\\Storage Card\\b.bin", 500}},
         {L"1.00 MB", L"0 B", L"", L"2.00 MB", L"500 B", L""}},
        // A one-component documents path names the device storage; Flash is then the card.
        {kTwo, "\\Storage Card", {L"\\Flash", L"\\Storage Card"}, {}, {L"2.00 MB", L"", L"", L"1.00 MB", L"", L""}},
        // A card named like the device storage plus more is a card.
        {R"([{"name": "Storage", "capacity": 1048576}, {"name": "Storage Card", "capacity": 2097152}])",
         "\\Storage\\My Documents", {L"\\Storage", L"\\Storage Card"}, {}, {L"1.00 MB", L"", L"", L"2.00 MB", L"", L""}},
        // No documents folder: no storage at all.
        {kTwo, "", {L"\\Flash", L"\\Storage Card"}, {},
         {L"Unknown", L"Unknown", L"Unknown", L"Unknown", L"Unknown", L"Unknown"}},
        // An over-full card has nothing free, never a wrapped-round figure.
        {R"([{"name": "Flash", "capacity": 2048}])", "\\Flash\\My Documents", {L"\\Flash"},
         {{L"\\Flash\\a.bin", 4000}}, {L"2.00 KB", L"2.00 KB", L"0 B", L"", L"", L""}},
        // More than 4 GiB is not cut to its low word.
        {R"([{"name": "Flash", "capacity": 4296015872}])", "\\Flash\\My Documents", {L"\\Flash"}, {},
         {L"4097.00 MB", L"", L"4097.00 MB", L"", L"", L""}},
    };
    const int aid[] = {IDC_DEVICE_TOTAL, IDC_DEVICE_USED, IDC_DEVICE_FREE, IDC_CARD_TOTAL, IDC_CARD_USED, IDC_CARD_FREE};
    for (const Case &c : cases) {
        ResetStore();
        m_device["cards"] = nlohmann::json::parse(c.pszCards);
        m_device["system"]["folders"]["documents"] = c.pszDocuments;
        Save();
        for (const wchar_t *pszDir : c.dirs)
            MakeDir(pszDir);
        for (const auto &f : c.files)
            MakeFile(f.first, std::string(f.second, 'x'));
        Open();
        for (int i = 0; i < 6; ++i) {
            if (c.apszShown[i][0]) {
                EXPECT_EQ(c.apszShown[i], Text(aid[i])) << c.pszCards << " " << c.pszDocuments << " " << i;
            }
        }
        EXPECT_EQ(L"16.00 MB", Text(IDC_PROGRAM_MEMORY));  // the rest of the page is filled
        DestroyWindow(m_hdlg);
        m_hdlg = nullptr;
    }
}

TEST_F(SysInfo, BackStaysOnThePageAndArrowsScrollIt)
{
    Open();
    SetForegroundWindow(m_hdlg);
    Pump();
    Command(IDCANCEL);
    EXPECT_TRUE(IsWindowVisible(m_hdlg));

    RECT rcClient, rcVersion;
    GetClientRect(m_hdlg, &rcClient);
    auto versionTop = [&] {
        GetWindowRect(GetDlgItem(m_hdlg, IDC_VERSION), &rcVersion);
        MapWindowPoints(nullptr, m_hdlg, (POINT *)&rcVersion, 2);
        return rcVersion.top;
    };
    auto press40 = [](UINT vk) {
        for (int i = 0; i < 40; ++i) {
            PostMessageW(GetFocus(), WM_KEYDOWN, vk, 1);
            Pump(5);
        }
        Pump();
    };
    int yStart = versionTop();
    ASSERT_GT(yStart, rcClient.bottom);  // the last row starts out of sight
    press40(VK_DOWN);
    EXPECT_LT(versionTop(), yStart);
    EXPECT_LE(rcVersion.bottom, rcClient.bottom);  // scrolled to the end, and no further
    EXPECT_GE(rcVersion.top, 0);
    press40(VK_UP);
    EXPECT_EQ(yStart, versionTop());
}
