// The phone-book cache: growth without memory, the slot map and free-slot search,
// the full read and the write of a new entry.
#include "simtest.h"
#include "kit.h"

namespace {
class Cache : public SimTest {};

int g_cAllowed;
void *LimitedMalloc(size_t cb)
{
    return g_cAllowed-- > 0 ? std::malloc(cb) : nullptr;
}
} // namespace

TEST_F(Cache, GrowsBySixWhenAnAddWouldLeaveNoSpareRecordOrStaysAsItWasWithoutMemory)
{
    ASSERT_TRUE(InitMyPhoneBook(0));
    EXPECT_EQ(6, MyPhoneBook.wTotal);
    SIMPHONEBOOKENTRY e = Entry(L"n", L"1");
    for (WORD i = 1; i <= 5; ++i) {
        ASSERT_TRUE(AddPhoneBookRecord(i, &e));
        EXPECT_EQ(6, MyPhoneBook.wTotal) << "after add " << i;
    }
    // Out of memory while growing leaves the cache as it was.
    g_cAllowed = 0;
    g_pfnKitMalloc = LimitedMalloc;
    EXPECT_FALSE(AddPhoneBookRecord(9, &e));
    EXPECT_EQ(6, MyPhoneBook.wTotal);
    EXPECT_EQ((std::vector<WORD>{1, 2, 3, 4, 5}), CachedIndexes());
    g_pfnKitMalloc = std::malloc;
    ASSERT_TRUE(AddPhoneBookRecord(6, &e));
    EXPECT_EQ(12, MyPhoneBook.wTotal);
    EXPECT_EQ(6, MyPhoneBook.wUsed);
    EXPECT_EQ((std::vector<WORD>{1, 2, 3, 4, 5, 6}), CachedIndexes());
    g_pfnKitMalloc = LimitedMalloc;
    EXPECT_FALSE(InitMyPhoneBook(4));
    EXPECT_EQ(0, MyPhoneBook.wUsed);

    g_pfnKitMalloc = std::malloc;
    ASSERT_TRUE(InitMyPhoneBook(3));
    EXPECT_EQ(9, MyPhoneBook.wTotal);
    EXPECT_EQ(0, MyPhoneBook.wUsed);
}

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
    EXPECT_TRUE(IsSlotUsed(11));
    g_pfnKitMalloc = std::malloc;
    ASSERT_TRUE(WriteNewPhoneBookEntry(L"Next", L"3"));
    PlatSimWaitIdle(3000);
    nlohmann::json entries = ReadSim()["phonebook"]["entries"];
    ASSERT_EQ(12u, entries.size());
    EXPECT_EQ("Stored", entries[10]["name"]);
    EXPECT_EQ(12, entries[11]["index"]);
}

TEST_F(Cache, FullReadStopsAtTheUsedCount)
{
    struct Case {
        std::vector<SimSlot> slots;
        DWORD cReads;
    } cases[] = {{{{1, "A", "1"}, {5, "B", "2"}, {9, "C", "3"}}, 9}, {{}, 0}};
    for (const Case &c : cases) {
        ResetMorlin();
        WriteSim(c.slots);
        ASSERT_TRUE(OpenSim());
        PlatSimResetCounters();
        ASSERT_TRUE(ReadAllPhoneBookEntryFromSIM());
        DWORD cReads = 0;
        PlatSimCounters(&cReads, nullptr, nullptr);
        EXPECT_EQ(c.cReads, cReads);
        std::vector<WORD> indexes;
        for (const SimSlot &slot : c.slots) {
            indexes.push_back((WORD)slot.dwIndex);
            EXPECT_TRUE(IsSlotUsed(slot.dwIndex));
        }
        EXPECT_EQ(indexes, CachedIndexes());
        EXPECT_FALSE(IsSlotUsed(2));
        EXPECT_EQ(c.slots.size(), MyPhoneBook.dwSimUsed);
    }
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

TEST_F(Cache, NewEntryGoesToTheFirstFreeSlot)
{
    Load(NumberedSlots(249));
    EXPECT_EQ(250u, FindFreeSlot());
    ASSERT_TRUE(WriteNewPhoneBookEntry(L"Last", L"+4999"));
    EXPECT_EQ(250, CachedIndexes().back());
    EXPECT_TRUE(IsSlotUsed(250));
    EXPECT_EQ(SIM_PBINDEX_FIRSTAVAILABLE, FindFreeSlot());

    // A slot freed behind the program's back: the map still says full, the SIM picks it.
    PlatSimWaitIdle(3000);
    nlohmann::json sim = ReadSim();
    sim["phonebook"]["entries"].erase(sim["phonebook"]["entries"].begin() + 9);  // slot 10
    ASSERT_TRUE(PlatProfileSave(L"sim.json", sim));
    WORD wUsedBefore = MyPhoneBook.wUsed;
    ASSERT_TRUE(WriteNewPhoneBookEntry(L"Chosen", L"5"));
    EXPECT_EQ(wUsedBefore, MyPhoneBook.wUsed);  // the program does not learn the slot
    bool fFound = false;
    nlohmann::json after = ReadSim();
    for (const auto &e : after["phonebook"]["entries"])
        fFound = fFound || (e["index"] == 10 && e["name"] == "Chosen");
    EXPECT_TRUE(fFound);
}

TEST_F(Cache, FreeSlotSearchStartsAtTheMinimumIndex)
{
    Load({{1, "A", "1"}, {2, "B", "2"}, {4, "D", "4"}}, 8);
    EXPECT_EQ(3u, FindFreeSlot());
    MarkSlot(3, TRUE);
    EXPECT_EQ(5u, FindFreeSlot());
    MarkSlot(3, FALSE);
    MarkSlot(99, TRUE);  // outside the range: ignored
    EXPECT_EQ(3u, FindFreeSlot());
}

TEST_F(Cache, AddressTypeFollowsTheLeadingPlusAndAFailedWriteChangesNothing)
{
    Load({}, 10);
    ASSERT_TRUE(WriteNewPhoneBookEntry(L"Intl", L"+441234"));
    ASSERT_TRUE(WriteNewPhoneBookEntry(L"Local", L"01234"));
    nlohmann::json entries = ReadSim()["phonebook"]["entries"];
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ("+441234", entries[0]["number"]);
    EXPECT_EQ(1, entries[0]["addressType"]);
    EXPECT_EQ(0, entries[1]["addressType"]);
    EXPECT_EQ(1, entries[1]["numPlan"]);
    EXPECT_EQ((DWORD)SIM_ADDRTYPE_INTERNATIONAL, FindPhoneBookRecord(1)->dwAddressType);
    // A failed write changes nothing.
    PlatSimSetFailures(PLATSIM_FAIL_WRITE);
    EXPECT_FALSE(WriteNewPhoneBookEntry(L"X", L"1"));
    EXPECT_EQ(2, MyPhoneBook.wUsed);
    EXPECT_FALSE(IsSlotUsed(3));
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
