// The connection to the handset's contacts (only the Contacts transfers need it).
#include "morlin.h"
#include <pimstore.h>

IPOutlookApp *g_pPoomApp;

BOOL InitPOOM()
{
    CoInitializeEx(nullptr, 0);
    IPOutlookApp *pApp = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp, (void **)&pApp);
    if (SUCCEEDED(hr) && pApp) {
        if (pApp->Logon((long)(LONG_PTR)g_hwndMain) >= 0) {
            g_pPoomApp = pApp;
            return 1;
        }
        pApp->Release();
    }
    CoUninitialize();
    return 0;
}

void ClosePOOM()
{
    if (!g_pPoomApp)
        return;
    g_pPoomApp->Logoff();
    g_pPoomApp->Release();
    g_pPoomApp = nullptr;
    CoUninitialize();
}
