// Ostrel as it ships: the page over its main window, Back, the task manager
// opened from the menu and left again, and Quit ending the program.
#include <gtest/gtest.h>
#include "support.h"
#include "../res/ostrel/resource.h"

namespace {
HWND PageOf(HWND hwndMain)
{
    HWND hwnd = GetLastActivePopup(hwndMain);
    return hwnd != hwndMain ? hwnd : nullptr;
}

std::wstring Caption(HWND hwnd)
{
    WCHAR sz[64] = L"";
    GetWindowTextW(hwnd, sz, ARRAYSIZE(sz));
    return sz;
}
} // namespace

TEST(Frame, PagesChainAndQuitEndsTheProgram)
{
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(StartProgram(BuildPath(L"sysres\\ostrel.exe"), L"", &pi));
    HWND hwndMain = nullptr, hwndPage = nullptr;
    ASSERT_TRUE(PumpUntil([&] {
        hwndMain = FindWindowW(L"Ostrel", L"Ostrel");
        hwndPage = hwndMain ? PageOf(hwndMain) : nullptr;
        return hwndPage && Caption(hwndPage) == L"System Information";
    }, 10000));

    PostMessageW(hwndPage, WM_COMMAND, IDCANCEL, 0);  // Back: the page stays
    Pump(200);
    EXPECT_TRUE(IsWindowVisible(hwndPage));
    EXPECT_EQ(STILL_ACTIVE, WaitExit(pi.hProcess, 0));

    PostMessageW(hwndPage, WM_COMMAND, IDM_TASK_MANAGER, 0);
    HWND hwndTasks = nullptr;
    EXPECT_TRUE(PumpUntil([&] {
        hwndTasks = GetLastActivePopup(hwndMain);
        return hwndTasks != hwndPage && Caption(hwndTasks) == L"Task Manager";
    }));
    EXPECT_EQ(hwndPage, GetWindow(hwndTasks, GW_OWNER));
    PostMessageW(hwndTasks, WM_COMMAND, IDM_TASK_QUIT, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(hwndTasks); }));
    EXPECT_TRUE(IsWindow(hwndPage));

    PostMessageW(hwndPage, WM_COMMAND, IDM_QUIT, 0);
    EXPECT_EQ(0u, WaitExit(pi.hProcess, 5000));
    EXPECT_FALSE(IsWindow(hwndMain));
    if (WaitExit(pi.hProcess, 0) == STILL_ACTIVE)
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
}
