// A search pattern matches long names only, as on the handset: the 8.3
// names Wine makes up for long ones are matched neither by a wildcard
// ("*.wav" and "mix.wave") nor by themselves.
#include <gtest/gtest.h>
#include "platform.h"
#include "support.h"
#include <algorithm>
#include <string>
#include <vector>

namespace {
std::vector<std::wstring> Found(const std::wstring &pattern)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    HANDLE h = PlatFindFirstFileW(pattern.c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(fd.cFileName);
    while (PlatFindNextFileW(h, &fd));
    PlatFindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}
} // namespace

TEST(FileCalls, PatternsMatchLongNamesOnly)
{
    ResetStore();
    MakeDir(L"\\Notes");
    std::vector<std::wstring> all = {L"B.WAV", L"a.wav", L"minutes.wavx", L"mix.wave", L"song.WAV2", L"x.wav.txt"};
    for (const std::wstring &name : all)
        ASSERT_TRUE(MakeFile(L"\\Notes\\" + name, "x"));
    EXPECT_EQ((std::vector<std::wstring>{L"B.WAV", L"a.wav"}), Found(L"\\Notes\\*.wav"));
    EXPECT_EQ((std::vector<std::wstring>{L"minutes.wavx", L"mix.wave"}), Found(L"\\Notes\\m?*.WAV?"));
    EXPECT_EQ(all, Found(L"\\Notes\\*.*"));
    EXPECT_EQ(all, Found(L"\\Notes\\*"));
    EXPECT_EQ((std::vector<std::wstring>{L"mix.wave"}), Found(L"\\Notes\\MIX.WAVE"));

    WCHAR szShort[MAX_PATH];
    DWORD cch = GetShortPathNameW((StoreRoot() + L"Notes\\mix.wave").c_str(), szShort, ARRAYSIZE(szShort));
    ASSERT_TRUE(cch > 0 && cch < ARRAYSIZE(szShort));
    std::wstring shortName = wcsrchr(szShort, L'\\') + 1;
    ASSERT_NE(L"mix.wave", shortName);  // Wine made one up
    WIN32_FIND_DATAW fd;
    EXPECT_EQ(INVALID_HANDLE_VALUE, PlatFindFirstFileW((L"\\Notes\\" + shortName).c_str(), &fd));
    EXPECT_EQ((DWORD)ERROR_FILE_NOT_FOUND, GetLastError());
    EXPECT_TRUE(Found(L"\\Notes\\*.wa").empty());
}
