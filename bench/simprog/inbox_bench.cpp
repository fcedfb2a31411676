// Listing the Inbox for Inbox/SMS -> SIM (LoadInboxMessages) at 100, 1,000
// and 10,000 messages, against the bare messaging calls it makes: logon,
// store, Inbox folder, its contents table read row by row, and each message
// opened for its three properties. Both ratios must stay flat as the Inbox
// grows: the second is the listing's cost per message against the sample's.
#include <windows.h>
#include <commctrl.h>
#include <cemapi.h>
#include <cstdio>
#include <string>
#include "platform.h"
#include "../benchtime.h"
#include "kit.h"
#include "morlin.h"
#include "smslist.h"

static const int kSample = 100;

// An Inbox of c messages, one in five from an e-mail address.
static void WriteInbox(int c)
{
    nlohmann::json msgs = nlohmann::json::array();
    for (int i = 1; i <= c; ++i) {
        std::string sender = i % 5 ? "Anna <+4477009" + std::to_string(100000 + i) + ">" : "news@example.org";
        msgs.push_back({{"id", i}, {"senderName", "Sender " + std::to_string(i)}, {"senderAddress", sender},
                        {"subject", "Running late, see you at the station at " + std::to_string(i % 24)},
                        {"read", i % 3 == 0}});
    }
    PlatProfileSave(L"messages.json",
                    {{"stores", {{{"name", "SMS"}, {"default", true},
                                  {"folders", {{"inbox", {{"name", "Inbox"}, {"messages", msgs}}}}}}}}});
}

static void OpenMessage(LPMAPISESSION pSession, const SRow &row)
{
    LPUNKNOWN pUnk = nullptr;
    const SBinary &bin = row.lpProps[0].Value.bin;
    if (FAILED(pSession->OpenEntry(bin.cb, (LPENTRYID)bin.lpb, nullptr, MAPI_BEST_ACCESS, nullptr, &pUnk)))
        return;
    for (ULONG ulTag : {PR_SENDER_NAME_W, PR_SENDER_EMAIL_ADDRESS_W, PR_SUBJECT_W}) {
        SizedSPropTagArray(1, tags) = {1, {ulTag}};
        ULONG cValues = 0;
        LPSPropValue pv = nullptr;
        if (SUCCEEDED(((LPMESSAGE)pUnk)->GetProps((LPSPropTagArray)&tags, MAPI_UNICODE, &cValues, &pv)))
            MAPIFreeBuffer(pv);
    }
    pUnk->Release();
}

// The messaging calls of a listing, without the list; the rows read.
static int BareCalls()
{
    int cRows = 0;
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    MAPIInitialize(nullptr);
    LPMAPISESSION pSession = nullptr;
    MAPILogonEx(0, nullptr, nullptr, 0, &pSession);
    LPMDB pStore = nullptr;
    if (pSession && SUCCEEDED(pSession->OpenMsgStore(0, 0, nullptr, nullptr, 0, &pStore))) {
        SizedSPropTagArray(1, tags) = {1, {PR_CE_IPM_INBOX_ENTRYID}};
        ULONG cValues = 0;
        LPSPropValue pv = nullptr;
        LPUNKNOWN pUnk = nullptr;
        if (SUCCEEDED(pStore->GetProps((LPSPropTagArray)&tags, MAPI_UNICODE, &cValues, &pv)) &&
            SUCCEEDED(pStore->OpenEntry(pv->Value.bin.cb, (LPENTRYID)pv->Value.bin.lpb, nullptr, MAPI_MODIFY,
                                        nullptr, &pUnk))) {
            LPMAPIFOLDER pFolder = (LPMAPIFOLDER)pUnk;
            LPMAPITABLE pTable = nullptr;
            if (SUCCEEDED(pFolder->GetContentsTable(0, &pTable))) {
                for (LPSRowSet prows = nullptr; SUCCEEDED(pTable->QueryRows(1, 0, &prows)) && prows;) {
                    ULONG cGot = prows->cRows;
                    if (cGot)
                        OpenMessage(pSession, prows->aRow[0]);
                    FreeProws(prows);
                    if (!cGot)
                        break;
                    ++cRows;
                }
                pTable->Release();
            }
            pFolder->Release();
        }
        if (pv)
            MAPIFreeBuffer(pv);
        pStore->Release();
    }
    if (pSession)
        pSession->Release();
    MAPIUninitialize();
    CoUninitialize();
    return cRows;
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
    HWND hwndParent = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 20, 176, 180, nullptr, nullptr, g_hInst,
                                      nullptr);
    HWND hwndList = CreateWindowExW(0, WC_LISTVIEWW, L"LISTITEM", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 176, 100,
                                    hwndParent, nullptr, g_hInst, nullptr);
    ListView_SetExtendedListViewStyleEx(hwndList, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
                                        LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    g_hwndSMS = hwndList;
    int cRows = 0, cListed = 0;
    RunScales(kSample, WriteInbox,
              [&](double *pList, double *pBare) {
                  ListView_DeleteAllItems(hwndList);
                  double t0 = Now();
                  LoadInboxMessages(hwndList);
                  double t1 = Now();
                  cRows = BareCalls();
                  double t2 = Now();
                  cListed = ListView_GetItemCount(hwndList);
                  *pList = t1 - t0;
                  *pBare = t2 - t1;
              },
              [&](int cMessages, double ratio, double perMessage) {
                  wprintf(L"%6d messages (%d listed, %d table rows): listing / bare calls: %.2f;"
                          L" per message against %d: %.2f\n",
                          cMessages, cListed, cRows, ratio, kSample, perMessage);
              });
    ReleaseSmsRecords();
    DestroyWindow(hwndParent);
    return 0;
}
