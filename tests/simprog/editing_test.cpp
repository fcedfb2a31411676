// Editing and deleting entries past what the Edit screen sends: missing
// entries, refused writes, overlong texts.
#include "simtest.h"
#include "kit.h"

using Editing = SimTest;

TEST_F(Editing, FailedWriteRestoresTheCachedRecord)
{
    Load({{3, "Anna", "+4670"}});
    MessageBoxes::answers.push_back(IDYES);
    EXPECT_FALSE(EditPhoneBook(8, L"Other", L"1"));  // no such entry: nothing saved
    EXPECT_EQ(0u, Writes());
    // The SIM refuses, or the card's file cannot be saved.
    for (bool fSaveBlocked : {false, true}) {
        PlatSimSetFailures(fSaveBlocked ? 0 : PLATSIM_FAIL_WRITE);
        BlockSimSave(fSaveBlocked);
        MessageBoxes::answers.push_back(IDYES);
        EXPECT_FALSE(EditPhoneBook(3, L"Changed", L"999"));
        EXPECT_STREQ(L"Anna", FindPhoneBookRecord(3)->lpszText);
        EXPECT_STREQ(L"+4670", FindPhoneBookRecord(3)->lpszAddress);
    }
    EXPECT_EQ("Anna", ReadSim()["phonebook"]["entries"][0]["name"]);
}

TEST_F(Editing, OverlongTextsAreBoundedByTheSimLengths)
{
    Load({{3, "Anna", "+4670"}}, 250, 10, 20);
    std::wstring name(47, L'N'), number(511, L'7');
    MessageBoxes::answers.push_back(IDYES);
    EXPECT_TRUE(EditPhoneBook(3, name.c_str(), number.c_str()));
    EXPECT_EQ(std::wstring(10, L'N'), FindPhoneBookRecord(3)->lpszText);
    EXPECT_EQ(std::wstring(20, L'7'), FindPhoneBookRecord(3)->lpszAddress);
    EXPECT_EQ(std::string(20, '7'), ReadSim()["phonebook"]["entries"][0]["number"]);
}

TEST_F(Editing, LongNamesStillGetTheirQuestion)
{
    Load({{3, std::string(200, 'L'), "1"}}, 250, 250);
    MessageBoxes::answers.push_back(IDYES);
    EXPECT_TRUE(DeletePhoneBookEntry(3));
    ASSERT_EQ(2u, MessageBoxes::calls.size());
    EXPECT_GT(128u, MessageBoxes::calls[0].text.size());
    EXPECT_EQ(0u, MessageBoxes::calls[0].text.find(L"Do you want to delete \"LLLL"));
    EXPECT_EQ(nullptr, FindPhoneBookRecord(3));
}
