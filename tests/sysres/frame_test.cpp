// Ostrel as it ships, with one more string in its table: the page over its
// main window, the task manager and the space manager opened from the menu
// and left again, and Quit ending the program.
#include <gtest/gtest.h>
#include "support.h"
#include <vector>
#include "../res/ostrel/resource.h"

namespace {
HWND PageOf(HWND hwndMain)
{
    HWND hwnd = GetLastActivePopup(hwndMain);
    return hwnd != hwndMain ? hwnd : nullptr;
}

// A copy of Ostrel whose string table also holds the string after the title,
// which a title read in place from the table would run into.
std::wstring OstrelWithTheNextString()
{
    std::wstring src = BuildPath(L"sysres\\ostrel.exe"), dst = BuildPath(L"sysres\\ostrel-next.exe");
    const WORD wBlock = IDS_APP_TITLE / 16 + 1, wLang = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    HMODULE hmod = LoadLibraryExW(src.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC hrsrc = hmod ? FindResourceExW(hmod, RT_STRING, MAKEINTRESOURCEW(wBlock), wLang) : nullptr;
    if (!hrsrc || !CopyFileW(src.c_str(), dst.c_str(), FALSE))
        return std::wstring();
    const WORD *pw = (const WORD *)LockResource(LoadResource(hmod, hrsrc));
    std::vector<WORD> block;
    for (UINT i = 0; i < 16; ++i, pw += 1 + *pw) {
        std::wstring text((const wchar_t *)pw + 1, *pw);
        if (i == (IDS_APP_TITLE + 1) % 16)
            text = L"Next";
        block.push_back((WORD)text.size());
        block.insert(block.end(), text.begin(), text.end());
    }
    FreeLibrary(hmod);
    HANDLE hupd = BeginUpdateResourceW(dst.c_str(), FALSE);
    if (!hupd || !UpdateResourceW(hupd, RT_STRING, MAKEINTRESOURCEW(wBlock), wLang, block.data(),
                                  (DWORD)(block.size() * sizeof(WORD))))
        return std::wstring();
    return EndUpdateResourceW(hupd, FALSE) ? dst : std::wstring();
}
} // namespace

TEST(Frame, PagesChainAndQuitEndsTheProgram)
{
    std::wstring exe = OstrelWithTheNextString();
    ASSERT_FALSE(exe.empty());
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(StartProgram(exe, L"", &pi));
    HWND hwndMain = nullptr, hwndPage = nullptr;
    ASSERT_TRUE(PumpUntil([&] {
        hwndMain = FindWindowW(L"Ostrel", L"Ostrel");
        hwndPage = hwndMain ? PageOf(hwndMain) : nullptr;
        return hwndPage && WindowText(hwndPage) == L"System Information";
    }, 10000));

    const struct {
        UINT idOpen, idQuit;
        const wchar_t *pszTitle;
    } pages[] = {{IDM_TASK_MANAGER, IDM_TASK_QUIT, L"Task Manager"},
                 {IDM_SPACE_MANAGER, IDM_SPACE_QUIT, L"Space Manager"}};
    for (const auto &p : pages) {
        PostMessageW(hwndPage, WM_COMMAND, p.idOpen, 0);
        HWND hwnd = nullptr;
        EXPECT_TRUE(PumpUntil([&] {
            hwnd = GetLastActivePopup(hwndMain);
            return hwnd != hwndPage && WindowText(hwnd) == p.pszTitle;
        })) << p.pszTitle;
        EXPECT_EQ(hwndPage, GetWindow(hwnd, GW_OWNER));
        PostMessageW(hwnd, WM_COMMAND, p.idQuit, 0);
        EXPECT_TRUE(PumpUntil([&] { return !IsWindow(hwnd); }));
        EXPECT_TRUE(IsWindow(hwndPage));
    }

    PostMessageW(hwndPage, WM_COMMAND, IDM_QUIT, 0);
    EXPECT_EQ(0u, WaitExit(pi.hProcess, 5000));
    EXPECT_FALSE(IsWindow(hwndMain));
    if (WaitExit(pi.hProcess, 0) == STILL_ACTIVE)
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
}
