// Start-up read of a full 250-entry SIM against the bare read loop of the
// SIM service over the same slots, and the rebuild of a 250-row list against
// a plain insertion loop. Medians of several rounds; ratios only.
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>
#include "platform.h"
#include "kit.h"
#include "morlin.h"
#include "phonebook.h"

static double Median(const std::function<void()> &fn, int cRounds)
{
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    std::vector<double> v;
    for (int i = 0; i < cRounds; ++i) {
        QueryPerformanceCounter(&a);
        fn();
        QueryPerformanceCounter(&b);
        v.push_back((double)(b.QuadPart - a.QuadPart) / f.QuadPart);
    }
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

static void WriteFullSim()
{
    nlohmann::json entries = nlohmann::json::array();
    for (int i = 1; i <= 250; ++i) {
        char szName[32], szNumber[32];
        snprintf(szName, sizeof(szName), "Contact %03d", (i * 37) % 251);
        snprintf(szNumber, sizeof(szNumber), "+4477009%05d", i);
        entries.push_back({{"index", i}, {"name", szName}, {"number", szNumber}});
    }
    PlatProfileSave(L"sim.json", {{"phonebook", {{"minIndex", 1}, {"maxIndex", 250}, {"maxTextLength", 14},
                                                 {"maxAddressLength", 40}, {"entries", entries}}}});
}

int wmain()
{
    g_hInst = GetModuleHandleW(nullptr);
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    if (!PlatProfileDir()[0]) {
        fwprintf(stderr, L"no profile folder (PHONE_PROFILE)\n");
        return 1;
    }
    WriteFullSim();
    if (FAILED(SimInitialize(SIM_INIT_NONE, nullptr, 0, &g_hSim)) ||
        FAILED(SimGetDevCaps(g_hSim, SIM_CAPSTYPE_PBENTRYLENGTH | SIM_CAPSTYPE_PBINDEXRANGE, &g_SimCaps)) ||
        !AllocUsedSlotMap()) {
        fwprintf(stderr, L"the SIM did not open\n");
        return 1;
    }
    const int cRounds = 15;
    double tBare = Median([] {
        SIMPHONEBOOKENTRY e;
        for (DWORD s = 1; s <= 250; ++s) {
            e.cbSize = sizeof(e);
            SimReadPhonebookEntry(g_hSim, SIM_PBSTORAGE_SIM, s, &e);
        }
    }, cRounds);
    double tReadAll = Median([] { ReadAllPhoneBookEntryFromSIM(); }, cRounds);

    HWND hwndParent = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 20, 176, 180, nullptr, nullptr, g_hInst,
                                      nullptr);
    g_hwndPhoneBookList = CreateWindowExW(0, WC_LISTVIEWW, L"LISTITEM",
                                          WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_SORTASCENDING |
                                              LVS_NOCOLUMNHEADER,
                                          0, 0, 176, 180, hwndParent, (HMENU)105, g_hInst, nullptr);
    HWND hwndPlain = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_NOCOLUMNHEADER,
                                     0, 0, 176, 180, hwndParent, (HMENU)106, g_hInst, nullptr);
    LVCOLUMNW col = {};
    col.mask = LVCF_WIDTH;
    col.cx = 176;
    SendMessageW(g_hwndPhoneBookList, LVM_INSERTCOLUMNW, 0, (LPARAM)&col);
    SendMessageW(hwndPlain, LVM_INSERTCOLUMNW, 0, (LPARAM)&col);
    ShowWindow(hwndParent, SW_SHOWNA);

    double tFill = Median([] { FillPhoneBookList(); }, cRounds);
    double tPlain = Median([&] {
        SendMessageW(hwndPlain, WM_SETREDRAW, FALSE, 0);
        ListView_DeleteAllItems(hwndPlain);
        for (WORD i = 0; i < MyPhoneBook.wUsed; ++i) {
            LVITEMW item = {};
            item.mask = LVIF_TEXT | LVIF_IMAGE;
            item.iItem = i;
            item.pszText = MyPhoneBook.pRecords[i].entry.lpszText;
            item.iImage = MyPhoneBook.pRecords[i].wIndex;
            SendMessageW(hwndPlain, LVM_INSERTITEMW, 0, (LPARAM)&item);
        }
        SendMessageW(hwndPlain, WM_SETREDRAW, TRUE, 0);
    }, cRounds);

    wprintf(L"rows read: %d, list rows: %d\n", MyPhoneBook.wUsed, ListView_GetItemCount(g_hwndPhoneBookList));
    wprintf(L"start-up read of 250 entries / bare read loop of 250 slots: %.2f\n", tReadAll / tBare);
    wprintf(L"FillPhoneBookList of 250 rows / plain insertion of 250 rows: %.2f\n", tFill / tPlain);
    wprintf(L"FillPhoneBookList of 250 rows / bare read loop of 250 slots: %.2f\n", tFill / tBare);
    DestroyWindow(hwndParent);
    return 0;
}
