// Reading the Inbox through CE messaging: each message whose sender is a
// phone number becomes a row of the list and a record of the SMS record
// array; e-mails are left out.
#include "morlin.h"
#include "smslist.h"
#include "simsms.h"
#include "trace.h"
#include "../res/morlin/resource.h"
#include <cemapi.h>
#include <strsafe.h>

// IMAPIProp::GetProps of one tag; the caller frees *ppv.
static HRESULT GetOneProp(LPMAPIPROP pObject, ULONG ulTag, LPSPropValue *ppv)
{
    SizedSPropTagArray(1, tags) = {1, {ulTag}};
    ULONG cValues = 0;
    *ppv = nullptr;
    return pObject->GetProps((LPSPropTagArray)&tags, MAPI_UNICODE, &cValues, ppv);
}

// A text property's value; a missing one reads as empty.
static LPCWSTR PropText(const SPropValue *pv, ULONG ulTag)
{
    return pv && pv->ulPropTag == ulTag && pv->Value.lpszW ? pv->Value.lpszW : L"";
}

static void FreeProp(LPSPropValue pv)
{
    if (pv)
        MAPIFreeBuffer(pv);
}

BOOL IsSmsSenderNumber(LPCWSTR pszNumber)
{
    for (LPCWSTR p = pszNumber; *p; ++p)
        if (!wcschr(L"0123456789+pw ", *p))
            return FALSE;
    return TRUE;
}

// The next row of the table, or NULL at its end or on a failure.
static LPSRowSet NextRow(LPMAPITABLE pTable)
{
    LPSRowSet prows = nullptr;
    if (FAILED(pTable->QueryRows(1, 0, &prows)) || !prows)
        return nullptr;
    if (prows->cRows == 0) {
        FreeProws(prows);
        return nullptr;
    }
    return prows;
}

// Record and row iRow for a message whose sender passes as a phone number.
static BOOL AddInboxRow(HWND hwndList, DWORD iRow, LPCWSTR pszName, LPCWSTR pszAddress, LPCWSTR pszSubject)
{
    // A long sender is cut to the record's size; the number is looked for in what is kept.
    WCHAR szNumber[ARRAYSIZE(SmsRecord::address)];
    StringCchCopyW(szNumber, ARRAYSIZE(szNumber), pszAddress);
    ExtractBracketedNumber(szNumber);
    TRACE(L"Inbox2SIM, ORIGIAL szphone: [%s] phone[%s]\r\n", pszAddress, szNumber);
    if (!IsSmsSenderNumber(szNumber)) {
        TRACE(L"Inbox2SIM, not sms\r\n");
        return FALSE;
    }
    if (iRow >= g_cSmsRecords)
        return FALSE;  // the table grew after it was counted
    SmsRecord *pr = &SmsRecords()[iRow];
    pr->index = iRow;
    StringCchCopyW(pr->name, ARRAYSIZE(pr->name), pszName);
    StringCchCopyW(pr->address, ARRAYSIZE(pr->address), pszAddress);
    StringCchCopyW(pr->text, ARRAYSIZE(pr->text), pszSubject);
    LVITEMW item;
    ZeroMemory(&item, sizeof(item));
    item.mask = LVIF_TEXT | LVIF_STATE;
    item.iItem = (int)iRow;
    item.pszText = pr->name;
    SendMessageW(hwndList, LVM_INSERTITEMW, 0, (LPARAM)&item);
    SetFocus(hwndList);
    ListView_SetItemState(hwndList, 0, LVIS_FOCUSED | LVIS_SELECTED, 0x000F);
    return TRUE;
}

// Opens the message of one contents-table row and lists it when it is a
// short message; TRUE when it was listed.
static BOOL ListMessage(HWND hwndList, LPMAPISESSION pSession, const SRow &row, DWORD iRow)
{
    const SPropValue *pEntry = nullptr;
    for (ULONG i = 0; i < row.cValues && !pEntry; ++i)
        if (row.lpProps[i].ulPropTag == PR_ENTRYID)
            pEntry = &row.lpProps[i];
    ULONG ulType = 0;
    LPUNKNOWN pUnk = nullptr;
    if (!pEntry || FAILED(pSession->OpenEntry(pEntry->Value.bin.cb, (LPENTRYID)pEntry->Value.bin.lpb, nullptr,
                                              MAPI_BEST_ACCESS, &ulType, &pUnk)) || !pUnk)
        return FALSE;
    LPMESSAGE pMessage = (LPMESSAGE)pUnk;
    LPSPropValue pvFrom = nullptr, pvFromEmail = nullptr, pvSubject = nullptr;
    GetOneProp(pMessage, PR_SENDER_NAME_W, &pvFrom);
    GetOneProp(pMessage, PR_SENDER_EMAIL_ADDRESS_W, &pvFromEmail);
    GetOneProp(pMessage, PR_SUBJECT_W, &pvSubject);
    LPCWSTR pszFrom = PropText(pvFrom, PR_SENDER_NAME_W);
    LPCWSTR pszFromEmail = PropText(pvFromEmail, PR_SENDER_EMAIL_ADDRESS_W);
    LPCWSTR pszSubject = PropText(pvSubject, PR_SUBJECT_W);
    TRACE(L"InitMAPI 3-4 propFrom[%x] propFromEmail[%x] propSubject[%x] .. \r\n", (unsigned)(UINT_PTR)pszFrom,
          (unsigned)(UINT_PTR)pszFromEmail, (unsigned)(UINT_PTR)pszSubject);
    BOOL fListed = AddInboxRow(hwndList, iRow, pszFrom, pszFromEmail, pszSubject);
    FreeProp(pvFrom);
    FreeProp(pvFromEmail);
    FreeProp(pvSubject);
    pMessage->Release();
    return fListed;
}

// Counts the table's rows, makes a record for each, then lists them from
// the first; the number listed.
static DWORD ListRows(HWND hwndList, LPMAPISESSION pSession, LPMAPITABLE pTable)
{
    DWORD cRows = 0;
    for (LPSRowSet prows; (prows = NextRow(pTable)) != nullptr; ++cRows)
        FreeProws(prows);
    if (!AllocSmsRecords(cRows))
        return 0;
    pTable->SeekRow(BOOKMARK_BEGINNING, 0, nullptr);
    DWORD cListed = 0;
    for (LPSRowSet prows; (prows = NextRow(pTable)) != nullptr;) {
        ShowProgress((int)cListed, 0);
        if (ListMessage(hwndList, pSession, prows->aRow[0], cListed))
            ++cListed;
        FreeProws(prows);
    }
    return cListed;
}

static DWORD ListFolder(HWND hwndList, LPMAPISESSION pSession, LPMDB pStore, const SBinary &entry)
{
    LPUNKNOWN pUnk = nullptr;
    if (FAILED(pStore->OpenEntry(entry.cb, (LPENTRYID)entry.lpb, nullptr, MAPI_MODIFY, nullptr, &pUnk)) || !pUnk)
        return 0;
    LPMAPIFOLDER pFolder = (LPMAPIFOLDER)pUnk;
    SizedSPropTagArray(2, columns) = {2, {PR_ENTRYID, PR_MESSAGE_FLAGS}};
    LPMAPITABLE pTable = nullptr;
    DWORD cListed = 0;
    if (SUCCEEDED(pFolder->GetContentsTable(0, &pTable)) && pTable &&
        SUCCEEDED(pTable->SetColumns((LPSPropTagArray)&columns, 0)))
        cListed = ListRows(hwndList, pSession, pTable);
    if (pTable)
        pTable->Release();
    pFolder->Release();
    return cListed;
}

// Lists the default store's Inbox; FALSE when the store names no Inbox,
// which nobody is told of.
static BOOL ListInbox(HWND hwndList, DWORD *pcListed)
{
    LPMAPISESSION pSession = nullptr;
    MAPILogonEx((ULONG_PTR)hwndList, nullptr, nullptr, 0, &pSession);
    if (!pSession)
        return TRUE;
    LPMAPITABLE pStores = nullptr;
    pSession->GetMsgStoresTable(0, &pStores);
    LPMDB pStore = nullptr;
    LPSPropValue pvInbox = nullptr;
    BOOL fInbox = TRUE;
    if (SUCCEEDED(pSession->OpenMsgStore(0, 0, nullptr, nullptr, 0, &pStore)) && pStore) {
        GetOneProp(pStore, PR_CE_IPM_INBOX_ENTRYID, &pvInbox);
        fInbox = pvInbox && pvInbox->ulPropTag == PR_CE_IPM_INBOX_ENTRYID;
        if (fInbox)
            *pcListed = ListFolder(hwndList, pSession, pStore, pvInbox->Value.bin);
    }
    FreeProp(pvInbox);
    if (pStore)
        pStore->Release();
    if (pStores)
        pStores->Release();
    pSession->Release();
    return fInbox;
}

BOOL LoadInboxMessages(HWND hwndList)
{
    HWND hdlgProgress = ProgressDialog(hwndList);
    HRESULT hrCom = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    BOOL fMapi = SUCCEEDED(MAPIInitialize(nullptr));
    DWORD cListed = 0;
    if (!fMapi || ListInbox(hwndList, &cListed)) {
        if (cListed > 0)
            ShowSelectedMessage(0);
        else
            ShowSmsMessage(IDS_NO_INBOX_SMS, MB_ICONINFORMATION);
    }
    if (fMapi)
        MAPIUninitialize();
    // A thread already in another apartment keeps it: only a call that took must be paired.
    if (SUCCEEDED(hrCom))
        CoUninitialize();
    DestroyProgressDialog(hdlgProgress);
    return cListed > 0;
}
