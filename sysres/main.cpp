// Ostrel start-up: single instance, an owner window, then the page.
#include "kit.h"
#include "sysinfo.h"
#include "../res/ostrel/resource.h"
#include <cemapi.h>
#include <objbase.h>

namespace {
// COM and messaging for the whole run (the space manager erases messages),
// started before anything else and released at exit.
struct ProgramServices {
    BOOL fCom;
    BOOL fMapi;
    ProgramServices()
    {
        fCom = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        fMapi = SUCCEEDED(MAPIInitialize(nullptr));
    }
    ~ProgramServices()
    {
        if (fMapi)
            MAPIUninitialize();
        if (fCom)
            CoUninitialize();
    }
} g_services;
} // namespace

int WINAPI wWinMain(HINSTANCE hinst, HINSTANCE, LPWSTR, int)
{
    g_hInst = hinst;
    // Copied: the string table's texts are not terminated in place.
    LoadStringW(hinst, IDS_APP_TITLE, g_szTitle, ARRAYSIZE(g_szTitle));
    BOOL fAlreadyRunning = FALSE;
    if (FAILED(ActivateExistingInstance(OSTREL_CLASS, g_szTitle, &fAlreadyRunning)) || fAlreadyRunning)
        return 0;
    if (!RegisterMainClass(OSTREL_CLASS, MainWndProc))
        return 0;
    g_hwndMain = CreateWindowExW(0, OSTREL_CLASS, g_szTitle, WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, hinst, nullptr);
    if (!g_hwndMain)
        return 0;
    RunDialogFromTemplate(hinst, IDD_SYSINFO, g_hwndMain, SysInfoDlgProc, 0);
    DestroyWindow(g_hwndMain);
    return RunMessageLoop();
}
