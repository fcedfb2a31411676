// Opening the SIM behind "Please wait...", and the SIM's notifications.
#include "morlin.h"
#include "phonebook.h"
#include "trace.h"
#include "kit.h"
#include "../res/morlin/resource.h"

HSIM g_hSim;
SIMCAPS g_SimCaps;
DWORD g_dwMaxNameLength;
DWORD g_dwMaxNumberLength;

static DWORD StartupFailed(HWND hwndMain, HWND hdlgProgress)
{
    DestroyProgressDialog(hdlgProgress);
    ShowMorlinMessage(nullptr, IDS_SIM_INIT_FAILED, MB_ICONEXCLAMATION);
    // Only the UI thread may destroy its window.
    PostMessageW(hwndMain, WM_MORLIN_STARTFAILED, 0, 0);
    return 0;
}

DWORD WINAPI SimStartupThread(LPVOID pvMainWindow)
{
    HWND hwndMain = (HWND)pvMainWindow;
    HWND hdlg = ProgressDialog(hwndMain);
    HSIM hSim = nullptr;
    if (FAILED(SimInitialize(SIM_INIT_SIMCARD_NOTIFICATIONS, SimNotifyCallback, 0, &hSim)))
        return StartupFailed(hwndMain, hdlg);
    {
        PhoneBookLock lock;
        g_hSim = hSim;
        DWORD dwUsed = 0, dwTotal = 0;
        SimGetPhonebookStatus(hSim, SIM_PBSTORAGE_SIM, &dwUsed, &dwTotal);
        SIMCAPS caps;
        ZeroMemory(&caps, sizeof(caps));
        caps.cbSize = sizeof(caps);
        BOOL fOk = SUCCEEDED(SimGetDevCaps(hSim, SIM_CAPSTYPE_PBENTRYLENGTH | SIM_CAPSTYPE_PBINDEXRANGE, &caps));
        if (fOk) {
            g_SimCaps = caps;
            fOk = AllocUsedSlotMap();
        }
        if (!fOk) {
            SimDeinitialize(hSim);
            g_hSim = nullptr;
        }
    }
    if (!g_hSim)
        return StartupFailed(hwndMain, hdlg);
    ReadAllPhoneBookEntryFromSIM();
    DestroyProgressDialog(hdlg);
    return 1;
}

void SimNotifyCallback(DWORD dwCode, const void *pvData, DWORD cbData, DWORD dwParam)
{
    (void)dwParam;
    if (dwCode != SIM_NOTIFY_PBE_STORED && dwCode != SIM_NOTIFY_PBE_DELETED)
        return;
    if (dwCode == SIM_NOTIFY_PBE_DELETED) {
        // The marked-row check needs the list: the UI thread does it.
        if (g_hwndMain)
            PostMessageW(g_hwndMain, WM_MORLIN_PBDELETED, 0, 0);
        return;
    }
    if (!pvData || cbData < sizeof(DWORD) || !g_hSim)
        return;
    DWORD dwEntry = ((const SIMPBECHANGE *)pvData)->dwEntry;
    if (dwEntry == SIM_PBINDEX_FIRSTAVAILABLE) {
        ReadAllPhoneBookEntryFromSIM();
        return;
    }
    SIMPHONEBOOKENTRY entry;
    ZeroMemory(&entry, sizeof(entry));
    entry.cbSize = sizeof(entry);
    if (FAILED(SimReadPhonebookEntry(g_hSim, SIM_PBSTORAGE_SIM, dwEntry, &entry)))
        return;
    // The list follows the cache; the stored entry itself waits for the next full read.
    RequestListRebuild();
}
