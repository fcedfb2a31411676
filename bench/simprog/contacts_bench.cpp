// Filling the Contacts -> SIM list (FillContactsList) from 100, 1,000 and
// 10,000 contacts, against the bare Contacts calls it makes: the folder, its
// items and count, and each contact with its names and nine numbers. Both
// ratios must stay flat as Contacts grows: the second is the fill's cost per
// contact against the sample's.
#include <windows.h>
#include <commctrl.h>
#include <pimstore.h>
#include <cstdio>
#include <string>
#include "platform.h"
#include "../benchtime.h"
#include "kit.h"
#include "morlin.h"
#include "transfer.h"

static const int kSample = 100;

// Contacts with one or two numbers each.
static void WriteContacts(int c)
{
    nlohmann::json contacts = nlohmann::json::array();
    for (int i = 1; i <= c; ++i) {
        nlohmann::json contact = {{"oid", i}, {"firstName", "Lena"}, {"lastName", "Holm " + std::to_string(i)},
                                  {"mobileTelephoneNumber", "+46701" + std::to_string(100000 + i)}};
        if (i % 2)
            contact["businessTelephoneNumber"] = "08" + std::to_string(500000 + i);
        contacts.push_back(contact);
    }
    PlatProfileSave(L"contacts.json", {{"contacts", contacts}});
}

typedef HRESULT (STDMETHODCALLTYPE IContact::*TEXTGETTER)(BSTR *);
static const TEXTGETTER kGetters[] = {
    &IContact::get_FirstName, &IContact::get_LastName, &IContact::get_FileAs,
    &IContact::get_MobileTelephoneNumber, &IContact::get_HomeTelephoneNumber,
    &IContact::get_Home2TelephoneNumber, &IContact::get_BusinessTelephoneNumber,
    &IContact::get_Business2TelephoneNumber, &IContact::get_PagerNumber, &IContact::get_CarTelephoneNumber,
    &IContact::get_AssistantTelephoneNumber, &IContact::get_RadioTelephoneNumber};

// The Contacts calls of a fill, without the list; the contacts read.
static int BareCalls()
{
    IFolder *pFolder = nullptr;
    IPOutlookItemCollection *pItems = nullptr;
    int cContacts = 0;
    if (FAILED(g_pPoomApp->GetDefaultFolder(olFolderContacts, &pFolder)))
        return 0;
    if (SUCCEEDED(pFolder->get_Items(&pItems)) && SUCCEEDED(pItems->get_Count(&cContacts))) {
        for (int i = 1; i <= cContacts; ++i) {
            IDispatch *pItem = nullptr;
            IContact *pContact = nullptr;
            if (FAILED(pItems->Item(i, &pItem)))
                continue;
            if (SUCCEEDED(pItem->QueryInterface(IID_IContact, (void **)&pContact))) {
                for (TEXTGETTER pfn : kGetters) {
                    BSTR bstr = nullptr;
                    if (SUCCEEDED((pContact->*pfn)(&bstr)))
                        SysFreeString(bstr);
                }
                pContact->Release();
            }
            pItem->Release();
        }
    }
    if (pItems)
        pItems->Release();
    pFolder->Release();
    return cContacts;
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
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    WriteContacts(1);
    if (!InitPOOM()) {
        fwprintf(stderr, L"Contacts did not open\n");
        return 1;
    }
    HWND hwndParent = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 20, 176, 180, nullptr, nullptr, g_hInst,
                                      nullptr);
    int cRows = 0, cRead = 0;
    RunScales(kSample, WriteContacts,
              [&](double *pFill, double *pBare) {
                  // The dialog's own list, made afresh for each fill as the dialog does.
                  ListColumn cols[2] = {{120, LVCFMT_LEFT}, {23, LVCFMT_LEFT}};
                  HWND hwndList = CreateTransferControls(hwndParent, cols, 2, TRUE);
                  double t0 = Now();
                  FillContactsList(hwndList);
                  double t1 = Now();
                  cRead = BareCalls();
                  double t2 = Now();
                  cRows = ListView_GetItemCount(hwndList);
                  DestroyWindow(hwndList);
                  ReleaseTransferControls();
                  *pFill = t1 - t0;
                  *pBare = t2 - t1;
              },
              [&](int cContacts, double ratio, double perContact) {
                  wprintf(L"%6d contacts (%d read, %d rows): fill / bare calls: %.2f; per contact against %d: %.2f\n",
                          cContacts, cRead, cRows, ratio, kSample, perContact);
              });
    DestroyWindow(hwndParent);
    ClosePOOM();
    CoUninitialize();
    return 0;
}
