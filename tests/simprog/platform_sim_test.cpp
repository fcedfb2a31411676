// The SIM service stand-in: a change that did not reach sim.json fails and
// is not notified. Reads, writes, notifications and failures are driven
// through Morlin's own tests.
#include "simtest.h"
#include "platmodem.h"
#include <mutex>

namespace {
std::mutex g_mtxSeen;
std::vector<DWORD> g_seen;  // codes, each noticed off the caller's thread

void RecordNotice(DWORD dwCode, const void *, DWORD, DWORD dwParam)
{
    std::lock_guard<std::mutex> lock(g_mtxSeen);
    g_seen.push_back(GetCurrentThreadId() != dwParam ? dwCode : 0);
}
} // namespace

TEST_F(SimTest, ChangesThatCannotBeSavedFailAndAreNotNotified)
{
    WriteSim({{1, "A", "1"}}, 3);
    nlohmann::json before = ReadSim();
    g_seen.clear();
    HSIM hSim = nullptr;
    ASSERT_EQ(S_OK, SimInitialize(SIM_INIT_SIMCARD_NOTIFICATIONS, RecordNotice, GetCurrentThreadId(), &hSim));
    BlockSimSave(true);
    SIMPHONEBOOKENTRY e = {sizeof(e), SIM_PARAM_PBE_ALL, L"+4433", 0, 0, L"Carl"};
    EXPECT_TRUE(FAILED(SimWritePhonebookEntry(hSim, SIM_PBSTORAGE_SIM, 2, &e)));
    EXPECT_TRUE(FAILED(SimWritePhonebookEntry(hSim, SIM_PBSTORAGE_SIM, 1, &e)));
    EXPECT_TRUE(FAILED(SimDeletePhonebookEntry(hSim, SIM_PBSTORAGE_SIM, 1)));
    EXPECT_FALSE(PlatSimStoreFromOutside(3, L"Outside", L"9"));
    ASSERT_TRUE(PlatSimWaitIdle(3000));
    {
        std::lock_guard<std::mutex> lock(g_mtxSeen);
        EXPECT_TRUE(g_seen.empty());
    }
    EXPECT_EQ(before, ReadSim());
    // The card still holds what the file holds.
    SIMPHONEBOOKENTRY r = {};
    EXPECT_EQ(SIM_E_NOTFOUND, SimReadPhonebookEntry(hSim, SIM_PBSTORAGE_SIM, 2, &r));
    ASSERT_EQ(S_OK, SimReadPhonebookEntry(hSim, SIM_PBSTORAGE_SIM, 1, &r));
    EXPECT_STREQ(L"A", r.lpszText);

    BlockSimSave(false);
    EXPECT_EQ(S_OK, SimWritePhonebookEntry(hSim, SIM_PBSTORAGE_SIM, 2, &e));
    ASSERT_TRUE(PlatSimWaitIdle(3000));
    EXPECT_EQ(2u, ReadSim()["phonebook"]["entries"].size());
    EXPECT_EQ(std::vector<DWORD>{(DWORD)SIM_NOTIFY_PBE_STORED}, g_seen);
    SimDeinitialize(hSim);
}

// A list or section of another type in sim.json (a hand edit gone wrong)
// reads as empty and is never written over: the changes that need it fail,
// the radio's message write too, and the file keeps its bytes.
TEST_F(SimTest, MisshapenMembersAreNeverWrittenOver)
{
    WriteSim({});
    nlohmann::json sim = ReadSim();
    sim["phonebook"]["entries"] = {{"1", "Anna"}};
    sim["sms"]["messages"] = "kept by hand";
    sim["ownNumbers"] = 7;
    ASSERT_TRUE(PlatProfileSave(L"sim.json", sim));
    PlatSimReload();
    std::string bytes = ReadFileText(PlatProfilePath(L"sim.json"));
    ASSERT_TRUE(OpenSim());
    SIMPHONEBOOKENTRY e = {sizeof(e), SIM_PARAM_PBE_ALL, L"+4433", 0, 0, L"Carl"};
    EXPECT_EQ(SIM_E_NOTFOUND, SimReadPhonebookEntry(g_hSim, SIM_PBSTORAGE_SIM, 1, &e));
    EXPECT_TRUE(FAILED(SimWritePhonebookEntry(g_hSim, SIM_PBSTORAGE_SIM, 2, &e)));
    EXPECT_TRUE(FAILED(SimWritePhonebookEntry(g_hSim, SIM_PBSTORAGE_OWNNUMBERS, 1, &e)));
    std::string reply;
    EXPECT_FALSE(PlatModemRun("AT+CMGF=1;+CSMP=17,167,0,0\rAT+CMGW=\"+4412\",145\r4869\x1A", &reply));
    PlatModemReset();
    EXPECT_EQ(bytes, ReadFileText(PlatProfilePath(L"sim.json")));
    // A change to a part in good shape still lands, the rest kept as it was.
    ASSERT_TRUE(PlatSimSetPresent(TRUE, TRUE));
    nlohmann::json after = ReadSim();
    EXPECT_EQ(sim["phonebook"], after["phonebook"]);
    EXPECT_EQ(sim["sms"], after["sms"]);
    EXPECT_EQ(sim["ownNumbers"], after["ownNumbers"]);
}
