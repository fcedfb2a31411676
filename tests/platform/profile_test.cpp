// The device profile: atomic saves, defaults for missing files, a damaged
// file refused by name and left alone; the trace file.
#include <gtest/gtest.h>
#include "platform.h"
#include "support.h"

namespace {
// Runs the start-up check of a child process on a profile folder of its own.
DWORD RunChildOnProfile(const std::wstring &dir)
{
    WCHAR szOld[MAX_PATH];
    GetEnvironmentVariableW(L"PHONE_PROFILE", szOld, ARRAYSIZE(szOld));
    SetEnvironmentVariableW(L"PHONE_PROFILE", dir.c_str());
    DWORD dwCode = RunChild(L"LoadDamaged");
    SetEnvironmentVariableW(L"PHONE_PROFILE", szOld);
    return dwCode;
}
} // namespace

TEST(Profile, MissingFileReadsEmptyAndSaveIsAtomic)
{
    DeleteFileW(PlatProfilePath(L"irda.json").c_str());
    EXPECT_TRUE(PlatProfileLoad(L"irda.json").empty());
    nlohmann::json j = {{"peers", {{{"name", "Nokia 6600"}, {"port", 650}}}}};
    ASSERT_TRUE(PlatProfileSave(L"irda.json", j));
    EXPECT_EQ(j, PlatProfileLoad(L"irda.json"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(PlatProfilePath(L"irda.json.tmp").c_str()));
    // A second save replaces the first completely.
    ASSERT_TRUE(PlatProfileSave(L"irda.json", nlohmann::json::object()));
    EXPECT_TRUE(PlatProfileLoad(L"irda.json").empty());
    DeleteFileW(PlatProfilePath(L"irda.json").c_str());
}

TEST_CHILD(LoadDamaged)
{
    PlatProfileLoad(L"sim.json");  // the start-up check has already stopped us
    return 0;
}

TEST(Profile, DamagedFileStopsTheProgramAndIsLeftUntouched)
{
    std::wstring dir = StoreRoot() + L"damaged";
    MakeDir(dir);
    std::string bad = "{ \"phonebook\": [ 1, 2 ";
    ASSERT_TRUE(MakeFile(dir + L"\\sim.json", bad));
    EXPECT_EQ(3u, RunChildOnProfile(dir));
    EXPECT_EQ(bad, ReadFileText(dir + L"\\sim.json"));
}

TEST(Profile, NonObjectFileIsDamagedToo)
{
    std::wstring dir = StoreRoot() + L"array";
    MakeDir(dir);
    ASSERT_TRUE(MakeFile(dir + L"\\sim.json", "[1, 2, 3]"));
    EXPECT_EQ(3u, RunChildOnProfile(dir));
}

TEST(Trace, LinesGoToTheTraceFile)
{
    WCHAR szPath[MAX_PATH];
    ASSERT_TRUE(PlatTraceFilePath(szPath, ARRAYSIZE(szPath)));
    DeleteFileW(szPath);
    NKDbgPrintfW(L"SimNotifyCallback %d %s\r\n", 7, L"stored");
    NKDbgPrintfW(L"second %%s kept literal: %s\r\n", L"%s");
    EXPECT_EQ("SimNotifyCallback 7 stored\r\nsecond %s kept literal: %s\r\n", ReadFileText(szPath));
}
