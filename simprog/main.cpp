// Morlin start-up: trace switch, single instance and the main window.
#include "kit.h"
#include "morlin.h"
#include "trace.h"
#include "../res/morlin/resource.h"

int WINAPI wWinMain(HINSTANCE hinst, HINSTANCE, LPWSTR, int nCmdShow)
{
    g_hInst = hinst;
    if (!LoadStringW(hinst, IDS_APP_TITLE, g_szTitle, ARRAYSIZE(g_szTitle)) ||
        !LoadStringW(hinst, IDS_SMS_TITLE, g_szSmsTitle, ARRAYSIZE(g_szSmsTitle)))
        return 0;
    BOOL fAlreadyRunning = FALSE;
    if (FAILED(ActivateExistingInstance(MORLIN_CLASS, g_szTitle, &fAlreadyRunning)) || fAlreadyRunning)
        return 0;
    // Before the window: its creation may already trace.
    if (!TraceSwitch)
        TraceSwitch = (volatile WORD *)MapPhysicalBlock(TRACE_SWITCH_ADDRESS, TRACE_SWITCH_SIZE, TRACE_SWITCH_PROTECT);
    if (!RegisterMainClass(MORLIN_CLASS, MainWndProc))
        return 0;
    HWND hwnd = CreateWindowExW(0, MORLIN_CLASS, g_szTitle, WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, hinst, nullptr);
    if (!hwnd)
        return 0;
    ShowWindow(hwnd, nCmdShow);
    UpdateWindow(hwnd);
    int iExit = RunMessageLoop();
    UnmapPhysicalBlock((void *)TraceSwitch);
    TraceSwitch = nullptr;
    return iExit;
}
