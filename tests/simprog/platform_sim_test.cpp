// The SIM service stand-in: slots, notifications on the service's thread,
// failures the tests can switch on, the call log and the trace block.
#include "simtest.h"
#include <pkfuncs.h>
#include <strsafe.h>
#include <atomic>
#include <mutex>

namespace {
struct Seen {
    DWORD dwCode;
    DWORD dwEntry;
    DWORD dwThread;
};
std::mutex g_mtxSeen;
std::vector<Seen> g_seen;

void RecordNotice(DWORD dwCode, const void *pv, DWORD cb, DWORD dwParam)
{
    std::lock_guard<std::mutex> lock(g_mtxSeen);
    g_seen.push_back({dwCode, cb >= sizeof(SIMPBECHANGE) ? ((const SIMPBECHANGE *)pv)->dwEntry : 0,
                      GetCurrentThreadId()});
}

class SimService : public SimTest {
protected:
    HSIM m_hSim = nullptr;
    void SetUp() override
    {
        SimTest::SetUp();
        g_seen.clear();
    }
    void TearDown() override
    {
        PlatSimWaitIdle(3000);
        if (m_hSim)
            SimDeinitialize(m_hSim);
        SimTest::TearDown();
    }
};
} // namespace

TEST_F(SimService, ReadsOnlyOccupiedSlotsInTheRange)
{
    WriteSim({{2, "Anna", "+46701234567"}, {7, "", "0123"}}, 10);
    ASSERT_EQ(S_OK, SimInitialize(SIM_INIT_NONE, nullptr, 0, &m_hSim));
    SIMPHONEBOOKENTRY e = {};
    EXPECT_EQ(S_OK, SimReadPhonebookEntry(m_hSim, SIM_PBSTORAGE_SIM, 2, &e));
    EXPECT_STREQ(L"Anna", e.lpszText);
    EXPECT_STREQ(L"+46701234567", e.lpszAddress);
    EXPECT_EQ(sizeof(SIMPHONEBOOKENTRY), e.cbSize);
    EXPECT_TRUE(FAILED(SimReadPhonebookEntry(m_hSim, SIM_PBSTORAGE_SIM, 3, &e)));
    EXPECT_TRUE(FAILED(SimReadPhonebookEntry(m_hSim, SIM_PBSTORAGE_SIM, 0, &e)));
    EXPECT_TRUE(FAILED(SimReadPhonebookEntry(m_hSim, SIM_PBSTORAGE_SIM, 11, &e)));
    EXPECT_TRUE(FAILED(SimReadPhonebookEntry(m_hSim, SIM_PBSTORAGE_SIM, 2, nullptr)));
    DWORD dwUsed = 0, dwTotal = 0;
    EXPECT_EQ(S_OK, SimGetPhonebookStatus(m_hSim, SIM_PBSTORAGE_SIM, &dwUsed, &dwTotal));
    EXPECT_EQ(2u, dwUsed);
    EXPECT_EQ(10u, dwTotal);
    SIMCAPS caps = {};
    EXPECT_EQ(S_OK, SimGetDevCaps(m_hSim, SIM_CAPSTYPE_PBENTRYLENGTH | SIM_CAPSTYPE_PBINDEXRANGE, &caps));
    EXPECT_EQ(1u, caps.dwMinPBIndex);
    EXPECT_EQ(10u, caps.dwMaxPBIndex);
    EXPECT_EQ(14u, caps.dwMaxPBETextLength);
    EXPECT_EQ(40u, caps.dwMaxPBEAddressLength);
}

TEST_F(SimService, WritesAreSavedAndNotifiedOnTheServiceThread)
{
    WriteSim({{1, "A", "1"}, {2, "B", "2"}}, 3);
    ASSERT_EQ(S_OK, SimInitialize(SIM_INIT_SIMCARD_NOTIFICATIONS, RecordNotice, 0, &m_hSim));
    SIMPHONEBOOKENTRY e = Entry(L"Carl", L"+4433");
    EXPECT_EQ(S_OK, SimWritePhonebookEntry(m_hSim, SIM_PBSTORAGE_SIM, SIM_PBINDEX_FIRSTAVAILABLE, &e));
    EXPECT_EQ(SIM_E_MEMORYFULL, SimWritePhonebookEntry(m_hSim, SIM_PBSTORAGE_SIM, SIM_PBINDEX_FIRSTAVAILABLE, &e));
    EXPECT_EQ(S_OK, SimDeletePhonebookEntry(m_hSim, SIM_PBSTORAGE_SIM, 1));
    EXPECT_TRUE(FAILED(SimDeletePhonebookEntry(m_hSim, SIM_PBSTORAGE_SIM, 1)));
    ASSERT_TRUE(PlatSimWaitIdle(3000));

    nlohmann::json entries = ReadSim()["phonebook"]["entries"];
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ(3, entries[1]["index"]);
    EXPECT_EQ("Carl", entries[1]["name"]);
    std::lock_guard<std::mutex> lock(g_mtxSeen);
    ASSERT_EQ(2u, g_seen.size());
    EXPECT_EQ((DWORD)SIM_NOTIFY_PBE_STORED, g_seen[0].dwCode);
    EXPECT_EQ(3u, g_seen[0].dwEntry);
    EXPECT_EQ((DWORD)SIM_NOTIFY_PBE_DELETED, g_seen[1].dwCode);
    EXPECT_EQ(1u, g_seen[1].dwEntry);
    EXPECT_NE(GetCurrentThreadId(), g_seen[0].dwThread);
}

TEST_F(SimService, ChangesThatCannotBeSavedFailAndAreNotNotified)
{
    WriteSim({{1, "A", "1"}}, 3);
    nlohmann::json before = ReadSim();
    ASSERT_EQ(S_OK, SimInitialize(SIM_INIT_SIMCARD_NOTIFICATIONS, RecordNotice, 0, &m_hSim));
    BlockSimSave(true);
    SIMPHONEBOOKENTRY e = Entry(L"Carl", L"+4433");
    EXPECT_TRUE(FAILED(SimWritePhonebookEntry(m_hSim, SIM_PBSTORAGE_SIM, 2, &e)));
    EXPECT_TRUE(FAILED(SimWritePhonebookEntry(m_hSim, SIM_PBSTORAGE_SIM, 1, &e)));
    EXPECT_TRUE(FAILED(SimDeletePhonebookEntry(m_hSim, SIM_PBSTORAGE_SIM, 1)));
    EXPECT_FALSE(PlatSimStoreFromOutside(3, L"Outside", L"9"));
    ASSERT_TRUE(PlatSimWaitIdle(3000));
    {
        std::lock_guard<std::mutex> lock(g_mtxSeen);
        EXPECT_TRUE(g_seen.empty());
    }
    EXPECT_EQ(before, ReadSim());
    // The card still holds what the file holds.
    SIMPHONEBOOKENTRY r = {};
    EXPECT_EQ(SIM_E_NOTFOUND, SimReadPhonebookEntry(m_hSim, SIM_PBSTORAGE_SIM, 2, &r));
    ASSERT_EQ(S_OK, SimReadPhonebookEntry(m_hSim, SIM_PBSTORAGE_SIM, 1, &r));
    EXPECT_STREQ(L"A", r.lpszText);

    BlockSimSave(false);
    EXPECT_EQ(S_OK, SimWritePhonebookEntry(m_hSim, SIM_PBSTORAGE_SIM, 2, &e));
    EXPECT_EQ(2u, ReadSim()["phonebook"]["entries"].size());
}

TEST_F(SimService, NamesAndNumbersLongerThanTheSimAreCut)
{
    WriteSim({}, 5, 4, 6);
    ASSERT_EQ(S_OK, SimInitialize(SIM_INIT_NONE, nullptr, 0, &m_hSim));
    SIMPHONEBOOKENTRY e = Entry(L"Alexandra", L"0123456789");
    ASSERT_EQ(S_OK, SimWritePhonebookEntry(m_hSim, SIM_PBSTORAGE_SIM, 5, &e));
    SIMPHONEBOOKENTRY r = {};
    ASSERT_EQ(S_OK, SimReadPhonebookEntry(m_hSim, SIM_PBSTORAGE_SIM, 5, &r));
    EXPECT_STREQ(L"Alex", r.lpszText);
    EXPECT_STREQ(L"012345", r.lpszAddress);
    EXPECT_TRUE(FAILED(SimWritePhonebookEntry(m_hSim, SIM_PBSTORAGE_SIM, 6, &e)));
}

TEST_F(SimService, AbsentSimOrRadioOffRefusesToOpen)
{
    WriteSim({{1, "A", "1"}});
    ASSERT_TRUE(PlatSimSetPresent(FALSE, TRUE));
    HSIM h = nullptr;
    EXPECT_EQ(SIM_E_NOSIM, SimInitialize(SIM_INIT_NONE, nullptr, 0, &h));
    EXPECT_EQ(nullptr, h);
    ASSERT_TRUE(PlatSimSetPresent(TRUE, FALSE));
    EXPECT_EQ(SIM_E_RADIOOFF, SimInitialize(SIM_INIT_NONE, nullptr, 0, &h));
    ASSERT_TRUE(PlatSimSetPresent(TRUE, TRUE));
    EXPECT_EQ(S_OK, SimInitialize(SIM_INIT_NONE, nullptr, 0, &m_hSim));
    EXPECT_EQ(SIM_E_BADHANDLE, SimGetPhonebookStatus((HSIM)&h, SIM_PBSTORAGE_SIM, nullptr, nullptr));
}

TEST_F(SimService, TestFailuresAndOutsideStores)
{
    WriteSim({{1, "A", "1"}}, 10);
    ASSERT_EQ(S_OK, SimInitialize(SIM_INIT_SIMCARD_NOTIFICATIONS, RecordNotice, 0, &m_hSim));
    SIMPHONEBOOKENTRY e = Entry(L"B", L"2");
    PlatSimSetFailures(PLATSIM_FAIL_READ | PLATSIM_FAIL_WRITE | PLATSIM_FAIL_DELETE);
    EXPECT_TRUE(FAILED(SimReadPhonebookEntry(m_hSim, SIM_PBSTORAGE_SIM, 1, &e)));
    EXPECT_TRUE(FAILED(SimWritePhonebookEntry(m_hSim, SIM_PBSTORAGE_SIM, 2, &e)));
    EXPECT_TRUE(FAILED(SimDeletePhonebookEntry(m_hSim, SIM_PBSTORAGE_SIM, 1)));
    PlatSimSetFailures(0);
    EXPECT_EQ(1u, ReadSim()["phonebook"]["entries"].size());
    ASSERT_TRUE(PlatSimStoreFromOutside(4, L"Outside", L"+49"));
    ASSERT_TRUE(PlatSimWaitIdle(3000));
    EXPECT_EQ(S_OK, SimReadPhonebookEntry(m_hSim, SIM_PBSTORAGE_SIM, 4, &e));
    EXPECT_STREQ(L"Outside", e.lpszText);
    EXPECT_EQ((DWORD)SIM_ADDRTYPE_INTERNATIONAL, e.dwAddressType);
    std::lock_guard<std::mutex> lock(g_mtxSeen);
    ASSERT_EQ(1u, g_seen.size());
    EXPECT_EQ(4u, g_seen[0].dwEntry);
}

TEST_F(SimService, DeletedMessageIsGoneFromTheCount)
{
    ASSERT_TRUE(PlatProfileSave(L"sim.json", {{"sms", {{"total", 30}, {"messages", {{{"index", 1}}, {{"index", 4}}}}}}}));
    PlatSimReload();
    ASSERT_EQ(S_OK, SimInitialize(SIM_INIT_NONE, nullptr, 0, &m_hSim));
    EXPECT_EQ(S_OK, SimDeleteMessage(m_hSim, SIM_SMSSTORAGE_SIM, 4));
    EXPECT_TRUE(FAILED(SimDeleteMessage(m_hSim, SIM_SMSSTORAGE_SIM, 4)));
    DWORD dwUsed = 0, dwTotal = 0;
    EXPECT_EQ(S_OK, SimGetSmsStorageStatus(m_hSim, SIM_SMSSTORAGE_SIM, &dwUsed, &dwTotal));
    EXPECT_EQ(1u, dwUsed);
}

TEST_F(SimService, CallRequestIsLoggedAndShown)
{
    EXPECT_EQ(0, tapiRequestMakeCall(L"+4412345", nullptr, nullptr, nullptr));
    EXPECT_NE(0, tapiRequestMakeCall(L"", nullptr, nullptr, nullptr));
    EXPECT_NE(0, tapiRequestMakeCall(nullptr, nullptr, nullptr, nullptr));
    nlohmann::json calls = PlatProfileLoad(L"calllog.json")["calls"];
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ("+4412345", calls[0]["number"]);
    EXPECT_EQ(20u, calls[0]["time"].get<std::string>().size());
    ASSERT_EQ(1u, MessageBoxes::calls.size());
    EXPECT_NE(std::wstring::npos, MessageBoxes::calls[0].text.find(L"+4412345"));
}
