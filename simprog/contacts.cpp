// Contacts through the Pocket Outlook Object Model: a SIM entry becomes a new
// contact, and every number of every contact becomes a candidate row.
#include "transfer.h"
#include "morlin.h"
#include "trace.h"
#include "kit.h"
#include "../res/morlin/resource.h"
#include <pimstore.h>
#include <strsafe.h>
#include <cstdlib>

static int s_cContactRows;  // rows described by g_pContactRecords

typedef HRESULT (STDMETHODCALLTYPE IContact::*TEXTSETTER)(BSTR);
// The number getters in the order of the rows, with their type letters.
typedef HRESULT (STDMETHODCALLTYPE IContact::*TEXTGETTER)(BSTR *);
static const TEXTGETTER kNumberGetters[NUMBERS_PER_CONTACT] = {
    &IContact::get_MobileTelephoneNumber,    &IContact::get_HomeTelephoneNumber,
    &IContact::get_Home2TelephoneNumber,     &IContact::get_BusinessTelephoneNumber,
    &IContact::get_Business2TelephoneNumber, &IContact::get_PagerNumber,
    &IContact::get_CarTelephoneNumber,       &IContact::get_AssistantTelephoneNumber,
    &IContact::get_RadioTelephoneNumber};
static const WCHAR kNumberTypes[] = L"mhhwwpcar";

// Setters take BSTRs; their results are not needed (Save decides).
static void PutText(IContact *pContact, TEXTSETTER pfnPut, LPCWSTR psz)
{
    BSTR bstr = SysAllocString(psz);
    if (!bstr)
        return;
    (pContact->*pfnPut)(bstr);
    SysFreeString(bstr);
}

BOOL AddEntryToContacts(LPCWSTR pszName, LPCWSTR pszNumber)
{
    if (!g_pPoomApp)
        return 0;
    // A copy: the cached SIM entry keeps its whole name.
    WCHAR szFirst[MAX_LENGTH_PHONEBOOKENTRYTEXT];
    StringCchCopyW(szFirst, ARRAYSIZE(szFirst), pszName ? pszName : L"");
    LPCWSTR pszRest = nullptr;
    for (WCHAR *p = szFirst; *p; ++p) {
        if (*p == L' ') {
            *p = 0;
            pszRest = p + 1;
            break;
        }
    }
    IDispatch *pItem = nullptr;
    if (FAILED(g_pPoomApp->CreateItem(olContactItem, &pItem)) || !pItem)
        return 0;
    IContact *pContact = nullptr;
    HRESULT hr = pItem->QueryInterface(IID_IContact, (void **)&pContact);
    pItem->Release();
    if (FAILED(hr) || !pContact)
        return 0;
    PutText(pContact, &IContact::put_FirstName, szFirst);
    if (pszRest) {
        PutText(pContact, &IContact::put_FileAs, pszName);
        PutText(pContact, &IContact::put_LastName, pszRest);
    }
    PutText(pContact, &IContact::put_MobileTelephoneNumber, pszNumber ? pszNumber : L"");
    // Only a contact that landed counts: a refused save stops the copy.
    hr = pContact->Save();
    pContact->Release();
    return SUCCEEDED(hr);
}

// A property's text into a fixed buffer, cut to fit; empty when unreadable.
static void ReadText(IContact *pContact, TEXTGETTER pfnGet, WCHAR *psz, size_t cch)
{
    psz[0] = 0;
    BSTR bstr = nullptr;
    if (FAILED((pContact->*pfnGet)(&bstr)) || !bstr)
        return;
    StringCchCopyNW(psz, cch, bstr, SysStringLen(bstr));
    SysFreeString(bstr);
}

// "First Last", "First " without a last name, "Last" alone, else FileAs.
static void ContactRowName(IContact *pContact, WCHAR *pszName, size_t cchName)
{
    WCHAR szFirst[CCH_CONTACT_NAME];
    WCHAR szLast[CCH_CONTACT_NAME];
    ReadText(pContact, &IContact::get_FirstName, szFirst, ARRAYSIZE(szFirst));
    ReadText(pContact, &IContact::get_LastName, szLast, ARRAYSIZE(szLast));
    if (szFirst[0]) {
        StringCchCopyW(pszName, cchName, szFirst);
        StringCchCatW(pszName, cchName, L" ");
        StringCchCatW(pszName, cchName, szLast);
    } else if (szLast[0]) {
        StringCchCopyW(pszName, cchName, szLast);
    } else {
        ReadText(pContact, &IContact::get_FileAs, pszName, cchName);
    }
}

static int ContactCount(IPOutlookItemCollection **ppItems)
{
    *ppItems = nullptr;
    IFolder *pFolder = nullptr;
    if (FAILED(g_pPoomApp->GetDefaultFolder(olFolderContacts, &pFolder)) || !pFolder)
        return 0;
    HRESULT hr = pFolder->get_Items(ppItems);
    pFolder->Release();
    int cContacts = 0;
    if (FAILED(hr) || !*ppItems || FAILED((*ppItems)->get_Count(&cContacts)) || cContacts < 0)
        cContacts = 0;
    return cContacts;
}

static IContact *GetContact(IPOutlookItemCollection *pItems, int i)
{
    IDispatch *pItem = nullptr;
    if (FAILED(pItems->Item(i, &pItem)) || !pItem)
        return nullptr;
    IContact *pContact = nullptr;
    if (FAILED(pItem->QueryInterface(IID_IContact, (void **)&pContact)))
        pContact = nullptr;
    pItem->Release();
    return pContact;
}

static BOOL AddContactRow(HWND hwndList, int r, LPCWSTR pszName, LPCWSTR pszNumber, WCHAR chType)
{
    ContactRecord &rec = ((ContactRecord *)g_pContactRecords)[r];
    rec.row = (DWORD)r;
    StringCchCopyW(rec.name, ARRAYSIZE(rec.name), pszName);
    StringCchCopyW(rec.number, ARRAYSIZE(rec.number), pszNumber);
    LVITEMW item;
    ZeroMemory(&item, sizeof(item));
    item.mask = LVIF_TEXT | LVIF_STATE;
    item.iItem = r;
    item.pszText = rec.name;
    item.state = INDEXTOSTATEIMAGEMASK(TICK_OFF);
    item.stateMask = LVIS_STATEIMAGEMASK;
    if (SendMessageW(hwndList, LVM_INSERTITEMW, 0, (LPARAM)&item) < 0)
        return FALSE;
    WCHAR szType[2];
    StringCchPrintfW(szType, ARRAYSIZE(szType), L"%c", chType);
    ListView_SetItemText(hwndList, r, 1, szType);
    return TRUE;
}

static int FillRows(HWND hwndList, IPOutlookItemCollection *pItems, int cContacts)
{
    int r = 0;
    for (int i = 1; i <= cContacts; ++i) {
        ShowProgress(i - 1, cContacts);
        IContact *pContact = GetContact(pItems, i);
        if (!pContact)
            continue;
        WCHAR szName[CCH_CONTACT_NAME];
        ContactRowName(pContact, szName, ARRAYSIZE(szName));
        for (int k = 0; k < NUMBERS_PER_CONTACT; ++k) {
            WCHAR szNumber[CCH_CONTACT_NUMBER];
            ReadText(pContact, kNumberGetters[k], szNumber, ARRAYSIZE(szNumber));
            if (szNumber[0] && AddContactRow(hwndList, r, szName, szNumber, kNumberTypes[k]))
                s_cContactRows = ++r;
        }
        pContact->Release();
    }
    // Marked once: marking clears every row's highlight, and doing it per
    // contact would cost the square of a large Contacts folder.
    SetFocus(hwndList);
    MarkRow(hwndList, 0);
    return r;
}

BOOL FillContactsList(HWND hwndList)
{
    std::free(g_pContactRecords);
    g_pContactRecords = nullptr;
    s_cContactRows = 0;
    int r = 0;
    IPOutlookItemCollection *pItems = nullptr;
    int cContacts = g_pPoomApp ? ContactCount(&pItems) : 0;
    // Nine rows at most per contact; a count beyond what memory can hold is refused.
    if (cContacts > 0 && (size_t)cContacts <= (SIZE_MAX / NUMBERS_PER_CONTACT) / sizeof(ContactRecord))
        g_pContactRecords = g_pfnKitMalloc((size_t)cContacts * NUMBERS_PER_CONTACT * sizeof(ContactRecord));
    if (g_pContactRecords) {
        HWND hdlgProgress = ProgressDialog(hwndList);
        r = FillRows(hwndList, pItems, cContacts);
        DestroyProgressDialog(hdlgProgress);
    }
    if (pItems)
        pItems->Release();
    if (r == 0) {
        ShowResourceMessage(nullptr, MB_ICONASTERISK, g_hInst, IDS_CONTACTS_CAPTION, IDS_NO_CONTACTS);
        return 0;
    }
    return 1;
}

const ContactRecord *ContactRecordAt(int iRow)
{
    if (!g_pContactRecords || iRow < 0 || iRow >= s_cContactRows)
        return nullptr;
    return &((const ContactRecord *)g_pContactRecords)[iRow];
}
