// Texts of the system-information page: byte counts, battery, processor,
// operating system, version, and the device-storage name.
#include <gtest/gtest.h>
#include "sysformat.h"
#include "../res/ostrel/resource.h"
#include <string>

namespace {
std::wstring Bytes(double dbl)
{
    WCHAR sz[32];
    FormatByteCount(dbl, sz, ARRAYSIZE(sz));
    return sz;
}

std::wstring Battery(LPCWSTR pszFlag, int iPercent)
{
    WCHAR sz[64];
    FormatBatteryText(pszFlag, iPercent, sz, ARRAYSIZE(sz));
    return sz;
}
} // namespace

TEST(ByteCount, BytesKilobytesAndMegabytesAtTheirBoundaries)
{
    EXPECT_EQ(L"0 B", Bytes(0));
    EXPECT_EQ(L"999 B", Bytes(999));
    EXPECT_EQ(L"0.98 KB", Bytes(1000));  // threshold 1000, factor 1024
    EXPECT_EQ(L"1.00 KB", Bytes(1023));
    EXPECT_EQ(L"1.00 KB", Bytes(1024));
    EXPECT_EQ(L"999.99 KB", Bytes(1023994));
    EXPECT_EQ(L"0.98 MB", Bytes(1024000));  // exactly 1000 KB is no longer KB
    EXPECT_EQ(L"1.00 MB", Bytes(1048576));
    EXPECT_EQ(L"48.00 MB", Bytes(48.0 * 1048576));
    EXPECT_EQ(L"4096.00 MB", Bytes(4294967296.0));
}

TEST(ByteCount, ShortBufferIsCutNotOverrun)
{
    WCHAR sz[6];
    sz[5] = L'#';
    FormatByteCount(1048576, sz, 5);
    EXPECT_EQ(L'#', sz[5]);
    EXPECT_EQ(4u, wcslen(sz));
}

TEST(Battery, OnlyASingleFlagHasAName)
{
    EXPECT_EQ((UINT)IDS_BATTERY_HIGH, BatteryFlagStringId(1));
    EXPECT_EQ((UINT)IDS_BATTERY_LOW, BatteryFlagStringId(2));
    EXPECT_EQ((UINT)IDS_BATTERY_CRITICAL, BatteryFlagStringId(4));
    EXPECT_EQ((UINT)IDS_BATTERY_CHARGING, BatteryFlagStringId(8));
    for (int bFlag : {0, 3, 9, 12, 0x80, 0xFF})  // combinations, none, no battery, unknown
        EXPECT_EQ((UINT)IDS_BATTERY_UNKNOWN, BatteryFlagStringId((BYTE)bFlag)) << bFlag;
}

TEST(Battery, PercentFollowsTheNameWithoutABlank)
{
    EXPECT_EQ(L"High(82%)", Battery(L"High", 82));
    EXPECT_EQ(L"Unknown(255%)", Battery(L"Unknown", 255));
    EXPECT_EQ(L"Low(0%)", Battery(L"Low", 0));
    // The name is cut at 20 characters and the whole text at 40.
    EXPECT_EQ(L"ABCDEFGHIJKLMNOPQRST(5%)", Battery(L"ABCDEFGHIJKLMNOPQRSTUVWXYZ", 5));
    WCHAR sz[8];
    FormatBatteryText(L"Charging", 100, sz, ARRAYSIZE(sz));
    EXPECT_STREQ(L"Chargin", sz);
}

TEST(DeviceInfo, ProcessorOsAndVersionTexts)
{
    EXPECT_STREQ(L"ARM720", ProcessorName(1824));
    EXPECT_STREQ(L"StrongARM", ProcessorName(2577));
    EXPECT_EQ(nullptr, ProcessorName(0));
    EXPECT_EQ(nullptr, ProcessorName(586));  // a desktop's Pentium
    EXPECT_STREQ(L"Windows CE", OsName(3));
    EXPECT_EQ(nullptr, OsName(2));
    EXPECT_EQ(nullptr, OsName(0));
    WCHAR sz[64];
    FormatVersionText(4, 20, 1081, sz, ARRAYSIZE(sz));
    EXPECT_STREQ(L"4.200 (Build 1081)", sz);
    FormatVersionText(5, 1, 0, sz, ARRAYSIZE(sz));
    EXPECT_STREQ(L"5.10 (Build 0)", sz);
}

TEST(DeviceStorage, NameIsTheFirstComponentOfTheDocumentsPath)
{
    WCHAR sz[MAX_PATH];
    ASSERT_TRUE(DeviceStorageName(L"\\Storage\\My Documents", sz, ARRAYSIZE(sz)));
    EXPECT_STREQ(L"Storage", sz);
    ASSERT_TRUE(DeviceStorageName(L"\\My Documents", sz, ARRAYSIZE(sz)));  // one component
    EXPECT_STREQ(L"My Documents", sz);
    EXPECT_FALSE(DeviceStorageName(L"", sz, ARRAYSIZE(sz)));
    EXPECT_FALSE(DeviceStorageName(L"\\", sz, ARRAYSIZE(sz)));
    EXPECT_FALSE(DeviceStorageName(L"\\\\x", sz, ARRAYSIZE(sz)));
    std::wstring longName = L"\\" + std::wstring(300, L'a') + L"\\b";
    EXPECT_FALSE(DeviceStorageName(longName.c_str(), sz, ARRAYSIZE(sz)));  // refused, not cut
    WCHAR szSmall[4];
    EXPECT_FALSE(DeviceStorageName(L"\\Storage", szSmall, ARRAYSIZE(szSmall)));
}

TEST(DeviceStorage, CardMatchesOnTheWholeFolderNameWithoutCase)
{
    EXPECT_TRUE(IsDeviceStorage(L"Storage", L"Storage"));
    EXPECT_TRUE(IsDeviceStorage(L"STORAGE", L"storage"));
    EXPECT_FALSE(IsDeviceStorage(L"Storage Card", L"Storage"));  // a card, not the device's flash
    EXPECT_FALSE(IsDeviceStorage(L"Stor", L"Storage"));
    EXPECT_FALSE(IsDeviceStorage(L"Storage", L""));
}

TEST(DeviceStorage, BarPositionIsTheUsedPercentage)
{
    EXPECT_EQ(75, UsagePercent(64ULL << 20, 48ULL << 20));
    EXPECT_EQ(75, UsagePercent(8ULL << 30, 6ULL << 30));  // no overflow past 4 GiB
    EXPECT_EQ(33, UsagePercent(3, 1));                    // integer division
    EXPECT_EQ(0, UsagePercent(0, 0));
    EXPECT_EQ(100, UsagePercent(10, 20));
}
