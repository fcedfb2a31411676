// The phone-book cache: no memory to grow, unreadable slots, a new entry
// when the map says full, bounded copies.
#include "simtest.h"
#include "kit.h"

using Cache = SimTest;
namespace {
int g_cAllowed;
void *LimitedMalloc(size_t cb)
{
    return g_cAllowed-- > 0 ? std::malloc(cb) : nullptr;
}
} // namespace

TEST_F(Cache, SlotStoredOnTheSimIsMarkedEvenWhenTheCacheCannotGrow)
{
    Load(NumberedSlots(5), 20);  // Total 11: the sixth add fills it up to 10
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(WriteNewPhoneBookEntry(L"More", L"1"));
    ASSERT_EQ(10, MyPhoneBook.wUsed);
    g_cAllowed = 0;
    g_pfnKitMalloc = LimitedMalloc;
    EXPECT_TRUE(WriteNewPhoneBookEntry(L"Stored", L"2"));  // on the SIM, not in the cache
    EXPECT_EQ(10, MyPhoneBook.wUsed);
    EXPECT_EQ(10u, CachedIndexes().back());  // the cache as it was
    EXPECT_TRUE(IsSlotUsed(11));
    g_pfnKitMalloc = std::malloc;
    ASSERT_TRUE(WriteNewPhoneBookEntry(L"Next", L"3"));
    PlatSimWaitIdle(3000);
    nlohmann::json entries = ReadSim()["phonebook"]["entries"];
    ASSERT_EQ(12u, entries.size());
    EXPECT_EQ("Stored", entries[10]["name"]);
    EXPECT_EQ(12, entries[11]["index"]);
    // Without memory for a new cache there is no cache, not a broken one.
    g_pfnKitMalloc = LimitedMalloc;
    EXPECT_FALSE(InitMyPhoneBook(4));
    EXPECT_EQ(0, MyPhoneBook.wUsed);
}

TEST_F(Cache, UnreadableSlotsCountAsEmpty)
{
    WriteSim({{1, "A", "1"}, {2, "B", "2"}}, 20);
    ASSERT_TRUE(OpenSim());
    PlatSimSetFailures(PLATSIM_FAIL_READ);
    ASSERT_TRUE(ReadAllPhoneBookEntryFromSIM());
    EXPECT_EQ(0, MyPhoneBook.wUsed);
    DWORD cReads = 0;
    PlatSimCounters(&cReads, nullptr, nullptr);
    EXPECT_GE(cReads, 20u);  // every slot was tried
}

// A slot freed behind the program's back: the map still says full, the SIM picks it.
TEST_F(Cache, WithEverySlotMarkedTheSimChoosesTheSlot)
{
    Load(NumberedSlots(250));
    EXPECT_EQ(SIM_PBINDEX_FIRSTAVAILABLE, FindFreeSlot());
    nlohmann::json sim = ReadSim();
    sim["phonebook"]["entries"].erase(sim["phonebook"]["entries"].begin() + 9);  // slot 10
    ASSERT_TRUE(PlatProfileSave(L"sim.json", sim));
    PlatSimReload();
    ASSERT_TRUE(WriteNewPhoneBookEntry(L"Chosen", L"5"));
    EXPECT_EQ(250, MyPhoneBook.wUsed);  // the program does not learn the slot
    nlohmann::json after = ReadSim();
    bool fFound = false;
    for (const auto &e : after["phonebook"]["entries"])
        fFound = fFound || (e["index"] == 10 && e["name"] == "Chosen");
    EXPECT_TRUE(fFound);
}

TEST_F(Cache, SimTextCopiesAreBounded)
{
    WCHAR szField[8];
    std::wstring longText(600, L'9');
    CopySimText(szField, ARRAYSIZE(szField), longText.c_str(), 40);
    EXPECT_EQ(7u, wcslen(szField));
    CopySimText(szField, ARRAYSIZE(szField), L"abcdef", 3);
    EXPECT_STREQ(L"abc", szField);
    CopySimText(szField, ARRAYSIZE(szField), nullptr, 3);
    EXPECT_STREQ(L"", szField);
}
