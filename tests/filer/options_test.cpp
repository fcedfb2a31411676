// The options store: the options map built once per process from the
// registry and its defaults, and LastFolder's bounds.
#include <gtest/gtest.h>
#include "support.h"
#include "filer_test.h"
#include "options.h"
#include <string>

namespace {
class Options : public testing::Test {
protected:
    void SetUp() override { ClearTavelRegistry(); }
    void TearDown() override { ClearTavelRegistry(); }
};

void SetLastFolderBytes(const void *pv, DWORD cb)
{
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, TAVEL_KEY, L"LastFolder", REG_SZ, pv, cb));
}
} // namespace

// The options map is built once per process from the registry: these run
// in a child process so the map starts unbuilt.
TEST_CHILD(OptionsMapFromRegistry)
{
    int iFail = 0;
    if (GetOption(OPT_HIDE_HIDDEN) != 1) iFail |= 1;          // stored 5
    if (GetOption(OPT_SMALL_FONT) != 1) iFail |= 2;           // not stored: its default 1
    if (GetOption(OPT_CONFIRM_DELETE) != 0) iFail |= 4;       // stored 0
    if (GetOption(OPT_CONFIRM_OVERWRITE) != 1) iFail |= 8;
    if (GetOption(OPT_REMEMBER_FOLDER) != 0) iFail |= 16;
    if (GetOption(OPT_SWITCH_TO_CARD) != 1) iFail |= 512;      // stored 0xFFFFFFFF
    if (GetOption(OPT_HIDE_EXTENSIONS) != 0) iFail |= 1024;
    // Changed from outside: not seen until the next start.
    SetTavelDword(TAVEL_OPTIONS_KEY, L"HideHiddenFiles", 0);
    if (GetOption(OPT_HIDE_HIDDEN) != 1) iFail |= 32;
    if (GetOption("NoSuchOption") != 0) iFail |= 256;
    return iFail;
}

TEST_F(Options, MapIsBuiltOnceFromTheRegistryAndALastFolderThatFillsOrPassesTheBufferReadsAsTheRoot)
{
    WCHAR sz[MAX_PATH];
    // 259 characters and no terminator stored: still a path.
    std::wstring fits = L"\\" + std::wstring(258, L'f');
    SetLastFolderBytes(fits.data(), (DWORD)(fits.size() * sizeof(WCHAR)));
    ReadLastFolder(sz, ARRAYSIZE(sz));
    EXPECT_EQ(fits, sz);
    // 260 characters fill the buffer: no terminator, so no path.
    std::wstring full = L"\\" + std::wstring(259, L'g');
    SetLastFolderBytes(full.data(), (DWORD)(full.size() * sizeof(WCHAR)));
    wmemset(sz, L'x', ARRAYSIZE(sz));
    ReadLastFolder(sz, ARRAYSIZE(sz));
    EXPECT_STREQ(L"", sz);
    std::wstring longer = L"\\" + std::wstring(400, L'h');
    SetLastFolderBytes(longer.c_str(), (DWORD)((longer.size() + 1) * sizeof(WCHAR)));
    ReadLastFolder(sz, ARRAYSIZE(sz));
    EXPECT_STREQ(L"", sz);
    // A smaller caller buffer is never overrun either.
    WCHAR szSmall[8];
    WriteLastFolder(L"\\A much longer folder");
    ReadLastFolder(szSmall, ARRAYSIZE(szSmall));
    EXPECT_STREQ(L"", szSmall);

    SetTavelDword(TAVEL_OPTIONS_KEY, L"HideHiddenFiles", 5);
    SetTavelDword(TAVEL_OPTIONS_KEY, L"ConfirmDeleteFiles", 0);
    SetTavelDword(TAVEL_OPTIONS_KEY, L"SwitchToStorageCard", 0xFFFFFFFF);
    EXPECT_EQ(0u, RunChild(L"OptionsMapFromRegistry"));
}
