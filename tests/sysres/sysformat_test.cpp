// Texts of the system-information page at the edges the page tests' profiles
// do not reach: unit boundaries, short buffers, odd flags and paths.
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
} // namespace

TEST(ByteCount, KilobytesAndMegabytesAtTheirBoundariesAndAShortBufferIsCut)
{
    EXPECT_EQ(L"1.00 KB", Bytes(1023));  // threshold 1000, factor 1024
    EXPECT_EQ(L"1.00 KB", Bytes(1024));
    EXPECT_EQ(L"999.99 KB", Bytes(1023994));
    EXPECT_EQ(L"0.98 MB", Bytes(1024000));  // exactly 1000 KB is no longer KB
    EXPECT_EQ(L"4096.00 MB", Bytes(4294967296.0));
    WCHAR sz[6];
    sz[5] = L'#';
    FormatByteCount(1048576, sz, 5);
    EXPECT_EQ(L'#', sz[5]);
    EXPECT_EQ(4u, wcslen(sz));
}

TEST(Battery, OnlyASingleFlagHasANameAndTheTextIsBounded)
{
    EXPECT_EQ((UINT)IDS_BATTERY_LOW, BatteryFlagStringId(2));
    for (int bFlag : {0, 3, 12, 0x80, 0xFF})  // combinations, none, no battery, unknown
        EXPECT_EQ((UINT)IDS_BATTERY_UNKNOWN, BatteryFlagStringId((BYTE)bFlag)) << bFlag;
    WCHAR sz[64];
    FormatBatteryText(L"Low", 0, sz, ARRAYSIZE(sz));
    EXPECT_STREQ(L"Low(0%)", sz);
    // The name is cut at 20 characters and the whole text at the buffer.
    FormatBatteryText(L"ABCDEFGHIJKLMNOPQRSTUVWXYZ", 5, sz, ARRAYSIZE(sz));
    EXPECT_STREQ(L"ABCDEFGHIJKLMNOPQRST(5%)", sz);
    FormatBatteryText(L"Charging", 100, sz, 8);
    EXPECT_STREQ(L"Chargin", sz);
}

TEST(DeviceStorage, NameAndMatchRefuseWhatIsNotAWholeFolderName)
{
    WCHAR sz[MAX_PATH];
    EXPECT_FALSE(DeviceStorageName(L"\\", sz, ARRAYSIZE(sz)));
    EXPECT_FALSE(DeviceStorageName(L"\\\\x", sz, ARRAYSIZE(sz)));
    std::wstring longName = L"\\" + std::wstring(300, L'a') + L"\\b";
    EXPECT_FALSE(DeviceStorageName(longName.c_str(), sz, ARRAYSIZE(sz)));  // refused, not cut
    WCHAR szSmall[4];
    EXPECT_FALSE(DeviceStorageName(L"\\Storage", szSmall, ARRAYSIZE(szSmall)));
    EXPECT_TRUE(IsDeviceStorage(L"STORAGE", L"storage"));
    EXPECT_FALSE(IsDeviceStorage(L"Stor", L"Storage"));
    EXPECT_FALSE(IsDeviceStorage(L"Storage", L""));
    EXPECT_EQ(75, UsagePercent(8ULL << 30, 6ULL << 30));  // no overflow past 4 GiB
    EXPECT_EQ(33, UsagePercent(3, 1));                    // integer division
    EXPECT_EQ(0, UsagePercent(0, 0));
    EXPECT_EQ(100, UsagePercent(10, 20));
}
