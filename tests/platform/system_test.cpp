// The handset's system figures from device.json beyond what each member's
// reading already shows: cached power readings, figures kept consistent,
// bounds of the buffers, an empty special folder, process paths.
#include <gtest/gtest.h>
#include "platform.h"
#include "cesystem.h"
#include "cemapi.h"
#include "support.h"
#include <strsafe.h>
#include <string>

namespace {
class SystemFigures : public testing::Test {
protected:
    void TearDown() override { DeleteFileW(PlatProfilePath(L"device.json").c_str()); }
    void SaveSystem(const char *pszJson)
    {
        nlohmann::json j;
        j["system"] = nlohmann::json::parse(pszJson);
        ASSERT_TRUE(PlatProfileSave(L"device.json", j));
    }
};
} // namespace

TEST_F(SystemFigures, PowerIsReadAfreshOnlyWhenAsked)
{
    SaveSystem(R"({"power": {"ac": 1, "main": {"flag": 8, "percent": 40}, "backup": {"flag": 2, "percent": 7}}})");
    SYSTEM_POWER_STATUS_EX sps;
    ASSERT_TRUE(GetSystemPowerStatusEx(&sps, TRUE));
    EXPECT_EQ(40, sps.BatteryLifePercent);
    SaveSystem(R"({"power": {"main": {"flag": 9, "percent": 255}}})");
    ASSERT_TRUE(GetSystemPowerStatusEx(&sps, FALSE));
    EXPECT_EQ(40, sps.BatteryLifePercent);  // the driver's last reading
    ASSERT_TRUE(GetSystemPowerStatusEx(&sps, TRUE));
    EXPECT_EQ(9, sps.BatteryFlag);
    EXPECT_EQ(255, sps.BatteryLifePercent);
    EXPECT_FALSE(GetSystemPowerStatusEx(nullptr, TRUE));
}

TEST_F(SystemFigures, MemoryAndStoreFiguresAreKeptConsistent)
{
    SaveSystem(R"({"memory": {"total": 1000, "available": 5000}, "store": {"size": 2000, "free": 9000}})");
    MEMORYSTATUS ms = {};
    ms.dwLength = sizeof(ms);
    GlobalMemoryStatus(&ms);
    EXPECT_EQ(1000u, ms.dwTotalPhys);
    EXPECT_EQ(1000u, ms.dwAvailPhys);  // never more available than there is
    STORE_INFORMATION si;
    ASSERT_TRUE(GetStoreInformation(&si));
    EXPECT_EQ(2000u, si.dwStoreSize);
    EXPECT_EQ(2000u, si.dwFreeSize);
}

TEST_F(SystemFigures, OemTextMustFitTheCallersBuffer)
{
    SaveSystem(R"({"oem": "Maker"})");
    WCHAR sz[16];
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETOEMINFO, sizeof(sz), sz, 0));
    EXPECT_STREQ(L"Maker", sz);
    WCHAR szSmall[8];
    StringCchCopyW(szSmall, ARRAYSIZE(szSmall), L"keep");
    EXPECT_FALSE(SystemParametersInfoW(SPI_GETOEMINFO, 10, szSmall, 0));  // five characters: no room for the end
    EXPECT_EQ((DWORD)ERROR_INSUFFICIENT_BUFFER, GetLastError());
    EXPECT_STREQ(L"keep", szSmall);
    EXPECT_FALSE(SystemParametersInfoW(SPI_GETOEMINFO, 255, nullptr, 0));
}

TEST_F(SystemFigures, VersionNeedsAWholeRecord)
{
    SaveSystem(R"({"version": {"major": 5, "minor": 2, "build": 42}})");
    OSVERSIONINFOW ovi = {};
    ovi.dwOSVersionInfoSize = sizeof(ovi) - 4;
    EXPECT_FALSE(GetVersionExW(&ovi));
    ovi.dwOSVersionInfoSize = sizeof(ovi);
    ASSERT_TRUE(GetVersionExW(&ovi));
    EXPECT_EQ(276u, sizeof(ovi));
    EXPECT_EQ(3u, ovi.dwPlatformId);
}

TEST_F(SystemFigures, AnEmptyDocumentsFolderIsNone)
{
    WCHAR sz[MAX_PATH];
    SaveSystem(R"({"folders": {"documents": ""}})");
    EXPECT_FALSE(SHGetSpecialFolderPath(nullptr, sz, CSIDL_PERSONAL, FALSE));
}

TEST_F(SystemFigures, ModulePathOfAProcessIdIsBounded)
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

TEST_F(SystemFigures, ProcessOpenedWithoutRightsCanBeEnded)
{
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(StartProgram(SelfPath(), L"--gtest_filter=NoSuchTest --gtest_repeat=-1", &pi));
    HANDLE h = OpenProcess(0, FALSE, pi.dwProcessId);
    ASSERT_NE(nullptr, h);
    EXPECT_TRUE(TerminateProcess(h, 7));
    EXPECT_EQ(7u, WaitExit(pi.hProcess, 5000));
    CloseHandle(h);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    EXPECT_EQ(S_OK, MAPIInitialize(nullptr));
    MAPIUninitialize();
}
