// Shared set-up of the SIM program's tests.
#include "simtest.h"
#include "kit.h"
#include "trace.h"
#include "platril.h"
#include "../res/morlin/resource.h"
#include <cstdio>

void WriteSim(const std::vector<SimSlot> &slots, DWORD dwMax, DWORD cchText, DWORD cchAddress)
{
    nlohmann::json entries = nlohmann::json::array();
    for (const SimSlot &s : slots)
        entries.push_back({{"index", s.dwIndex}, {"name", s.name}, {"number", s.number}});
    nlohmann::json sim = {
        {"present", true},
        {"radio", true},
        {"phonebook",
         {{"minIndex", 1}, {"maxIndex", dwMax}, {"maxTextLength", cchText}, {"maxAddressLength", cchAddress},
          {"entries", entries}}},
        {"sms", {{"total", 20}, {"messages", nlohmann::json::array()}}},
    };
    ASSERT_TRUE(PlatProfileSave(L"sim.json", sim));
    PlatSimReload();
}

nlohmann::json ReadSim()
{
    return PlatProfileLoad(L"sim.json");
}

void WriteSms(const nlohmann::json &messages, DWORD dwTotal)
{
    nlohmann::json sim = ReadSim();
    sim["sms"] = {{"total", dwTotal}, {"messages", messages}};
    ASSERT_TRUE(PlatProfileSave(L"sim.json", sim));
    PlatSimReload();
}

std::string ReadRadioLog()
{
    return ReadFileText(PlatProfilePath(L"radio.log"));
}

void BlockSimSave(bool fBlocked)
{
    BlockSave(L"sim.json", fBlocked);
}

void BlockSave(const wchar_t *pszFile, bool fBlocked)
{
    std::wstring tmp = PlatProfilePath(pszFile) + L".tmp";
    if (fBlocked)
        ASSERT_TRUE(CreateDirectoryW(tmp.c_str(), nullptr));
    else
        RemoveDirectoryW(tmp.c_str());
}

std::vector<SimSlot> NumberedSlots(DWORD n)
{
    std::vector<SimSlot> slots;
    for (DWORD i = 1; i <= n; ++i) {
        char szName[32], szNumber[32];
        snprintf(szName, sizeof(szName), "Name %03u", (unsigned)i);
        snprintf(szNumber, sizeof(szNumber), "01%08u", (unsigned)i);
        slots.push_back({i, szName, szNumber});
    }
    return slots;
}

bool OpenSim()
{
    if (FAILED(SimInitialize(SIM_INIT_NONE, nullptr, 0, &g_hSim)))
        return false;
    g_SimCaps.cbSize = sizeof(g_SimCaps);
    if (FAILED(SimGetDevCaps(g_hSim, SIM_CAPSTYPE_PBENTRYLENGTH | SIM_CAPSTYPE_PBINDEXRANGE, &g_SimCaps)))
        return false;
    g_dwMaxNameLength = g_SimCaps.dwMaxPBETextLength;
    g_dwMaxNumberLength = g_SimCaps.dwMaxPBEAddressLength;
    return AllocUsedSlotMap() != FALSE;
}

void ResetMorlin()
{
    PlatSimWaitIdle(3000);
    ReleasePhoneBook();
    std::free(UsedSlotMap);
    UsedSlotMap = nullptr;
    if (g_hSim)
        SimDeinitialize(g_hSim);
    g_hSim = nullptr;
    ZeroMemory(&g_SimCaps, sizeof(g_SimCaps));
    g_wMarkedIndex = 0;
    PlatSimSetFailures(0);
    PlatSimResetCounters();
    PlatRadioReset();
    g_pfnKitMalloc = std::malloc;
}

std::vector<WORD> CachedIndexes()
{
    PhoneBookLock lock;
    std::vector<WORD> v;
    for (WORD i = 0; i < MyPhoneBook.wUsed; ++i)
        v.push_back(MyPhoneBook.pRecords[i].wIndex);
    return v;
}

int HandsetBoldWidth(HFONT hfont, LPCWSTR psz)
{
    LOGFONTW lf = {};
    GetObjectW(hfont, sizeof(lf), &lf);
    HFONT hfontTahoma = CreateFontW(lf.lfHeight, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                                    L"Tahoma");
    int cx = TextWidth(hfontTahoma, psz);
    DeleteObject(hfontTahoma);
    return cx;
}

std::string ReadTrace()
{
    WCHAR szPath[MAX_PATH];
    return PlatTraceFilePath(szPath, ARRAYSIZE(szPath)) ? ReadFileText(szPath) : std::string();
}

void ClearTrace()
{
    WCHAR szPath[MAX_PATH];
    if (PlatTraceFilePath(szPath, ARRAYSIZE(szPath)))
        DeleteFileW(szPath);
}

void WriteTraceWords(int iWord0, int iWord16)
{
    UnmapPhysicalBlock((void *)TraceSwitch);
    TraceSwitch = nullptr;
    if (iWord0 < 0) {
        DeleteFileW(PlatProfilePath(L"device.json").c_str());
        return;
    }
    ASSERT_TRUE(PlatProfileSave(L"device.json", {{"traces", {{"word0", iWord0}, {"word16", iWord16}}}}));
    TraceSwitch = (volatile WORD *)MapPhysicalBlock(TRACE_SWITCH_ADDRESS, TRACE_SWITCH_SIZE, TRACE_SWITCH_PROTECT);
}

void SimTest::Load(const std::vector<SimSlot> &slots, DWORD dwMax, DWORD cchText, DWORD cchAddress)
{
    WriteSim(slots, dwMax, cchText, cchAddress);
    ASSERT_TRUE(OpenSim());
    ASSERT_TRUE(ReadAllPhoneBookEntryFromSIM());
    PlatSimResetCounters();
}

DWORD SimTest::Writes()
{
    DWORD c = 0;
    PlatSimCounters(nullptr, &c, nullptr);
    return c;
}

void SimTest::SetUp()
{
    ResetStore();
    MessageBoxes::Reset();
    LoadStringW(g_hInst, IDS_APP_TITLE, g_szTitle, ARRAYSIZE(g_szTitle));
    LoadStringW(g_hInst, IDS_SMS_TITLE, g_szSmsTitle, ARRAYSIZE(g_szSmsTitle));
    ResetMorlin();
}

void SimTest::TearDown()
{
    ResetMorlin();
    BlockSimSave(false);
    BlockSave(L"contacts.json", false);
    UnmapPhysicalBlock((void *)TraceSwitch);
    TraceSwitch = nullptr;
    for (const wchar_t *psz :
         {L"sim.json", L"calllog.json", L"device.json", L"contacts.json", L"messages.json", L"radio.log"})
        DeleteFileW(PlatProfilePath(psz).c_str());
    PlatSimReload();
    ClearTrace();
}
