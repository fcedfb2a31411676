// The programs' start-up through the kit: one instance, the running one
// brought forward, and the guard giving up on a mutex without a window.
#include <gtest/gtest.h>
#include "support.h"

namespace {
struct Program {
    const wchar_t *pszExe;
    const wchar_t *pszClass;
    const wchar_t *pszTitle;
    const char *pszName;
};
const Program kPrograms[] = {
    {L"filer\\tavel.exe", L"TavelApp", L"File Manager", "Tavel"},
    {L"simprog\\morlin.exe", L"Morlin", L"SIM Phonebook", "Morlin"},
    {L"sysres\\ostrel.exe", L"Ostrel", L"Ostrel", "Ostrel"},
};

class Startup : public testing::TestWithParam<Program> {};
} // namespace

TEST_P(Startup, SecondStartBringsTheFirstForwardAndExitsWithZero)
{
    const Program &prog = GetParam();
    PROCESS_INFORMATION pi1 = {}, pi2 = {};
    ASSERT_TRUE(StartProgram(BuildPath(prog.pszExe), L"", &pi1));
    HWND hwnd = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (hwnd = FindWindowW(prog.pszClass, prog.pszTitle)) != nullptr; }, 10000));
    WaitForInputIdle(pi1.hProcess, 5000);
    Pump(300);
    HWND hwndFront = GetLastActivePopup(hwnd);  // Ostrel's page, the others' main window

    // Something else in front first, so "forward" means something.
    HWND hwndOther = CreateWindowExW(0, L"Static", L"Other", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                                     nullptr, nullptr);
    ShowWindow(hwndOther, SW_SHOW);
    SetForegroundWindow(hwndOther);
    Pump(100);

    ASSERT_TRUE(StartProgram(BuildPath(prog.pszExe), L"", &pi2));
    EXPECT_EQ(0u, WaitExit(pi2.hProcess, 10000));
    EXPECT_EQ(1u, FindTopLevel(prog.pszClass).size());
    EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == hwndFront; }, 3000));
    EXPECT_EQ(STILL_ACTIVE, WaitExit(pi1.hProcess, 0));

    DestroyWindow(hwndOther);
    // Ostrel's window only owns its page: ending the page ends the program.
    if (HWND hwndPopup = GetLastActivePopup(hwnd); hwndPopup && hwndPopup != hwnd)
        PostMessageW(hwndPopup, WM_COMMAND, 40032, 0);
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
    if (WaitExit(pi1.hProcess, 5000) == STILL_ACTIVE)
        TerminateProcess(pi1.hProcess, 1);
    for (HANDLE h : {pi1.hProcess, pi1.hThread, pi2.hProcess, pi2.hThread})
        CloseHandle(h);
}

TEST_P(Startup, MutexWithoutWindowGivesUpAfterFiveAttempts)
{
    const Program &prog = GetParam();
    HANDLE hMutex = CreateMutexW(nullptr, FALSE, prog.pszClass);
    ASSERT_NE(nullptr, hMutex);
    ASSERT_NE((DWORD)ERROR_ALREADY_EXISTS, GetLastError());
    PROCESS_INFORMATION pi = {};
    DWORD dwStart = GetTickCount();
    ASSERT_TRUE(StartProgram(BuildPath(prog.pszExe), L"", &pi));
    EXPECT_EQ(0u, WaitExit(pi.hProcess, 15000));
    DWORD dwElapsed = GetTickCount() - dwStart;
    EXPECT_GE(dwElapsed, 2400u);  // five waits of 500 ms
    EXPECT_TRUE(FindTopLevel(prog.pszClass).empty());
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    CloseHandle(hMutex);
}

INSTANTIATE_TEST_SUITE_P(Programs, Startup, testing::ValuesIn(kPrograms),
                         [](const testing::TestParamInfo<Program> &info) { return std::string(info.param.pszName); });
