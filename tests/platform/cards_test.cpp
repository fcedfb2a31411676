// Storage cards: enumeration from the profile and the store, capacity and
// use, insertion and removal.
#include <gtest/gtest.h>
#include "platform.h"
#include "projects.h"
#include "support.h"

namespace {
class Cards : public testing::Test {
protected:
    void SetUp() override
    {
        ResetStore();
        ASSERT_TRUE(PlatProfileSave(L"device.json", nlohmann::json::parse(R"({"cards": [
            {"name": "Storage Card", "capacity": 1048576}, {"name": "SD2", "capacity": 2048}]})")));
    }
    void TearDown() override { DeleteFileW(PlatProfilePath(L"device.json").c_str()); }

    std::vector<std::wstring> Enumerate()
    {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFlashCard(&fd);
        if (h == INVALID_HANDLE_VALUE)
            return names;
        do {
            EXPECT_TRUE(fd.dwFileAttributes & FILE_ATTRIBUTE_TEMPORARY);
            names.push_back(fd.cFileName);
        } while (FindNextFlashCard(h, &fd));
        EXPECT_TRUE(FindClose(h));
        return names;
    }
};
} // namespace

TEST_F(Cards, OnlyProfileCardsPresentInTheStoreAreCards)
{
    EXPECT_TRUE(Enumerate().empty());
    MakeDir(L"\\Storage Card");
    MakeDir(L"\\My Documents");
    EXPECT_EQ(std::vector<std::wstring>{L"Storage Card"}, Enumerate());
    MakeDir(L"\\SD2");
    EXPECT_EQ((std::vector<std::wstring>{L"Storage Card", L"SD2"}), Enumerate());
}

TEST_F(Cards, FreeSpaceIsCapacityLessTheCardsFiles)
{
    MakeDir(L"\\SD2");
    MakeDir(L"\\SD2\\deep");
    MakeFile(L"\\SD2\\a.bin", std::string(1000, 'a'));
    MakeFile(L"\\SD2\\deep\\b.bin", std::string(500, 'b'));
    ULARGE_INTEGER total, free;
    ASSERT_TRUE(PlatGetDiskFreeSpaceExW(L"SD2", nullptr, &total, &free));
    EXPECT_EQ(2048u, total.QuadPart);
    EXPECT_EQ(548u, free.QuadPart);
    ASSERT_TRUE(PlatGetDiskFreeSpaceExW(L"\\SD2\\", nullptr, &total, &free));
    MakeFile(L"\\SD2\\big.bin", std::string(4000, 'c'));
    ASSERT_TRUE(PlatGetDiskFreeSpaceExW(L"SD2", nullptr, &total, &free));
    EXPECT_EQ(0u, free.QuadPart);  // over-full never wraps round
    EXPECT_FALSE(PlatGetDiskFreeSpaceExW(L"Storage Card", nullptr, &total, &free));  // not inserted
}

TEST_F(Cards, RemovedCardKeepsItsFilesUntilInserted)
{
    MakeDir(L"\\Storage Card");
    MakeFile(L"\\Storage Card\\song.mid", "MThd");
    ASSERT_TRUE(PlatRemoveCard(L"Storage Card"));
    EXPECT_TRUE(Enumerate().empty());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(L"\\Storage Card"));
    ASSERT_TRUE(PlatInsertCard(L"Storage Card"));
    EXPECT_EQ(std::vector<std::wstring>{L"Storage Card"}, Enumerate());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(L"\\Storage Card\\song.mid"));
    EXPECT_FALSE(PlatInsertCard(L"Storage Card"));  // already in
}
