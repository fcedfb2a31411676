// Reading a 20-slot SIM that holds 20 messages with ReadSMSfromSIM, against
// 60 bare RIL_DevSpecific round trips to the same modem (the reading makes 60
// exchanges), the same exchanges without the list and its progress window,
// and what one AT exchange costs beyond the modem's round trip. Also the two
// costs the reading cannot shed: one thread per exchange, and the progress
// window shown while it reads.
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <string>
#include <vector>
#include "platform.h"
#include "../benchtime.h"
#include "kit.h"
#include "morlin.h"
#include "smslist.h"
#include "simsms.h"

static HANDLE s_hAnswer;

static DWORD WINAPI NoWork(LPVOID)
{
    return 0;
}

static void CALLBACK BareResult(DWORD, HRESULT, const void *, DWORD, DWORD)
{
    SetEvent(s_hAnswer);
}

// One command to the radio and its answer, with nothing of the program around it.
static void BareRoundTrip(HRIL hRil, const char *pszCommand)
{
    BYTE ab[64] = {};
    DWORD dwCode = 900;
    WORD cch = (WORD)(strlen(pszCommand) + 1);
    memcpy(ab, &dwCode, 4);
    memcpy(ab + 6, &cch, 2);
    memcpy(ab + 8, pszCommand, cch);
    RIL_DevSpecific(hRil, ab, 8);
    WaitForSingleObject(s_hAnswer, 6000);
}

int wmain()
{
    g_hInst = GetModuleHandleW(nullptr);
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    if (!PlatProfileDir()[0]) {
        fwprintf(stderr, L"no profile folder (PHONE_PROFILE)\n");
        return 1;
    }
    nlohmann::json msgs = nlohmann::json::array();
    for (int i = 1; i <= 20; ++i)
        msgs.push_back({{"index", i}, {"number", "+4477009000" + std::to_string(10 + i)}, {"coding", i % 2 ? 0 : 8},
                        {"text", i % 2 ? "Running late, see you at the café at 8." : "Привет! Как дела?"}});
    PlatProfileSave(L"sim.json", {{"sms", {{"total", 20}, {"messages", msgs}}}});
    if (FAILED(SimInitialize(SIM_INIT_NONE, nullptr, 0, &g_hSim))) {
        fwprintf(stderr, L"the SIM did not open\n");
        return 1;
    }
    HWND hwndParent = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 20, 176, 180, nullptr, nullptr, g_hInst,
                                      nullptr);
    HWND hwndList = CreateWindowExW(0, WC_LISTVIEWW, L"LISTITEM", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 176, 100,
                                    hwndParent, nullptr, g_hInst, nullptr);
    g_hwndSMS = hwndList;
    s_hAnswer = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HRIL hRil = nullptr;
    if (FAILED(RIL_Initialize(1, BareResult, nullptr, 0, 0, &hRil))) {
        fwprintf(stderr, L"the radio did not open\n");
        return 1;
    }

    const int cRounds = 9;
    std::vector<double> vRead, vReads, vBare, vExchange, vTrip, vThreads, vProgress;
    for (int r = 0; r < cRounds; ++r) {
        double t0 = Now();
        ReadSMSfromSIM(hwndList);
        double t1 = Now();
        for (int i = 1; i <= 20; ++i) {
            char sz[32];
            snprintf(sz, sizeof(sz), "AT+CMGR=%d \r", i);
            BareRoundTrip(hRil, "AT+CMGF=1\r");
            BareRoundTrip(hRil, sz);
            BareRoundTrip(hRil, "AT+CMGF=0\r");
        }
        double t2 = Now();
        for (int i = 1; i <= 20; ++i) {
            SIMMESSAGE m = {};
            KORU_SimReadMessage(g_hSim, SIM_SMSSTORAGE_SIM, i, &m);
        }
        double t3 = Now();
        for (int i = 0; i < 60; ++i) {
            HANDLE h = CreateThread(nullptr, 0, NoWork, nullptr, 0, nullptr);
            WaitForSingleObject(h, INFINITE);
            CloseHandle(h);
        }
        double t4 = Now();
        HWND hdlgProgress = ProgressDialog(hwndList);
        for (int i = 1; i <= 20; ++i)
            ShowProgress(i, 20);
        DestroyProgressDialog(hdlgProgress);
        vProgress.push_back(Now() - t4);
        vThreads.push_back(t4 - t3);
        vReads.push_back(t3 - t2);
        vRead.push_back(t1 - t0);
        vBare.push_back(t2 - t1);
        for (int i = 0; i < 20; ++i) {
            WCHAR szReply[AT_REPLY_CCH];
            double a = Now();
            SendATCommand(L"AT+CMGF=1", szReply, ARRAYSIZE(szReply));
            double b = Now();
            BareRoundTrip(hRil, "AT+CMGF=1\r");
            double c = Now();
            vExchange.push_back(b - a);
            vTrip.push_back(c - b);
        }
    }
    RIL_Deinitialize(hRil);
    wprintf(L"rows read: %d\n", ListView_GetItemCount(hwndList));
    wprintf(L"ReadSMSfromSIM of 20 messages / 60 bare round trips: %.2f\n", Median(vRead) / Median(vBare));
    wprintf(L"the same 60 exchanges alone (20 KORU_SimReadMessage) / 60 bare round trips: %.2f\n",
            Median(vReads) / Median(vBare));
    wprintf(L"60 thread starts and joins / 60 bare round trips: %.2f\n", Median(vThreads) / Median(vBare));
    wprintf(L"progress window with 20 steps / 60 bare round trips: %.2f\n", Median(vProgress) / Median(vBare));
    // What one exchange adds, in time, to the modem's own reply.
    wprintf(L"one SendATCommand / one bare round trip: %.2f (beyond the modem's reply: %.3f ms)\n",
            Median(vExchange) / Median(vTrip), (Median(vExchange) - Median(vTrip)) * 1000);
    DestroyWindow(hwndParent);
    return 0;
}
