// The bounds of the callers' buffers in the handset's system calls; the
// figures themselves are checked on Ostrel's pages.
#include <gtest/gtest.h>
#include "platform.h"
#include "cesystem.h"
#include "support.h"
#include <strsafe.h>
#include <string>

TEST(SystemCalls, OemTextMustFitTheCallersBuffer)
{
    ASSERT_TRUE(PlatProfileSave(L"device.json", {{"system", {{"oem", "Maker"}}}}));
    WCHAR sz[16];
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETOEMINFO, sizeof(sz), sz, 0));
    EXPECT_STREQ(L"Maker", sz);
    WCHAR szSmall[8];
    StringCchCopyW(szSmall, ARRAYSIZE(szSmall), L"keep");
    EXPECT_FALSE(SystemParametersInfoW(SPI_GETOEMINFO, 10, szSmall, 0));  // five characters: no room for the end
    EXPECT_EQ((DWORD)ERROR_INSUFFICIENT_BUFFER, GetLastError());
    EXPECT_STREQ(L"keep", szSmall);
    EXPECT_FALSE(SystemParametersInfoW(SPI_GETOEMINFO, 255, nullptr, 0));
    DeleteFileW(PlatProfilePath(L"device.json").c_str());
}

TEST(SystemCalls, ModulePathOfAProcessIdIsBounded)
{
    std::wstring self = SelfPath();
    WCHAR sz[MAX_PATH];
    DWORD dwPid = GetCurrentProcessId();
    ASSERT_EQ(self.size(), GetModuleFileNameW((HMODULE)(ULONG_PTR)dwPid, sz, ARRAYSIZE(sz)));
    EXPECT_EQ(self, sz);
    WCHAR szSmall[6];
    szSmall[5] = L'#';
    EXPECT_EQ(5u, GetModuleFileNameW((HMODULE)(ULONG_PTR)dwPid, szSmall, 5));
    EXPECT_EQ(self.substr(0, 4), szSmall);
    EXPECT_EQ(L'#', szSmall[5]);
    EXPECT_EQ(0u, GetModuleFileNameW((HMODULE)(ULONG_PTR)0x7FFFFFF0, sz, ARRAYSIZE(sz)));  // no such process
}
