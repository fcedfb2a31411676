// Tavel start-up: single instance, main window, the tree's shared objects.
#include "kit.h"
#include "mainwnd.h"
#include "foldertree.h"
#include "../res/tavel/resource.h"

int WINAPI wWinMain(HINSTANCE hinst, HINSTANCE, LPWSTR, int nCmdShow)
{
    g_hInst = hinst;
    if (!LoadStringW(hinst, IDS_APP_TITLE, g_szTitle, ARRAYSIZE(g_szTitle)))
        return 0;
    BOOL fAlreadyRunning = FALSE;
    if (FAILED(ActivateExistingInstance(TAVEL_CLASS, g_szTitle, &fAlreadyRunning)) || fAlreadyRunning)
        return 0;
    if (!RegisterMainClass(TAVEL_CLASS, MainWndProc))
        return 0;
    HWND hwnd = CreateWindowExW(0, TAVEL_CLASS, g_szTitle, WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, hinst, nullptr);
    if (!hwnd)
        return 0;
    StartTreeThreads();
    ShowWindow(hwnd, nCmdShow);
    UpdateWindow(hwnd);
    SetForegroundWindow(hwnd);
    int iExit = RunMessageLoop();
    // The tree and card threads run for the program's life: the process ends
    // them before any static they use is destroyed.
    ExitProcess(iExit);
}
