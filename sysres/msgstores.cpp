// Messaging for the space manager: each operation logs on for its own
// duration and releases every table, row set, value and object it opened.
#include "msgstores.h"
#include "kit.h"
#include <vector>

namespace {
// Store properties of the five folders, by folder index 1 to 5.
const ULONG s_aulFolderTags[SPACE_FOLDER_COUNT] = {
    PR_CE_IPM_INBOX_ENTRYID, PR_IPM_WASTEBASKET_ENTRYID, PR_CE_IPM_DRAFTS_ENTRYID,
    PR_IPM_OUTBOX_ENTRYID,   PR_IPM_SENTMAIL_ENTRYID,
};
// Erase All empties these first: drafts, outbox, inbox, deleted items, sent items.
const int s_aiEraseOrder[SPACE_FOLDER_COUNT] = {3, 4, 1, 2, 5};

typedef std::vector<LPSRowSet, KitAllocator<LPSRowSet>> RowSets;

// One row of the store table: its name and entry identifier, or FALSE at the end.
BOOL NextStoreRow(LPMAPITABLE pTable, LPSRowSet *pprows)
{
    *pprows = nullptr;
    if (FAILED(pTable->QueryRows(1, 0, pprows)) || !*pprows)
        return FALSE;
    if ((*pprows)->cRows == 1 && (*pprows)->aRow[0].cValues == 2)
        return TRUE;
    FreeProws(*pprows);
    *pprows = nullptr;
    return FALSE;
}

// The binary entry identifier a store property holds, or null.
LPSPropValue GetEntryProp(LPMAPIPROP pObject, ULONG ulTag)
{
    SizedSPropTagArray(1, tags) = {1, {ulTag}};
    ULONG cValues = 0;
    LPSPropValue pv = nullptr;
    if (FAILED(pObject->GetProps((LPSPropTagArray)&tags, MAPI_UNICODE, &cValues, &pv)))
        return nullptr;
    if (cValues == 1 && pv && pv->ulPropTag == ulTag)
        return pv;
    MAPIFreeBuffer(pv);
    return nullptr;
}

// Opens the folder a store property names; null when the store has none.
LPMAPIFOLDER OpenStoreFolder(LPMDB pStore, int iFolder)
{
    LPSPropValue pv = GetEntryProp(pStore, s_aulFolderTags[iFolder - 1]);
    if (!pv)
        return nullptr;
    LPUNKNOWN pUnk = nullptr;
    ULONG ulType = 0;
    HRESULT hr = pStore->OpenEntry(pv->Value.bin.cb, (LPENTRYID)pv->Value.bin.lpb, nullptr, MAPI_MODIFY, &ulType,
                                   &pUnk);
    MAPIFreeBuffer(pv);
    return SUCCEEDED(hr) ? (LPMAPIFOLDER)pUnk : nullptr;
}

// Row sets of a contents table, one row each, until the table ends.
void CollectRows(LPMAPITABLE pTable, RowSets *prowsets)
{
    LPSRowSet prows = nullptr;
    while (SUCCEEDED(pTable->QueryRows(1, 0, &prows)) && prows) {
        if (prows->cRows != 1 || prows->aRow[0].cValues != 1 || prows->aRow[0].lpProps[0].ulPropTag != PR_ENTRYID) {
            FreeProws(prows);  // the end of the table
            return;
        }
        prowsets->push_back(prows);
        prows = nullptr;
    }
}

// Deletes every message of one folder in one call; an empty folder is left alone.
void EraseFolder(LPMDB pStore, int iFolder)
{
    LPMAPIFOLDER pFolder = OpenStoreFolder(pStore, iFolder);
    if (!pFolder)
        return;
    LPMAPITABLE pTable = nullptr;
    SizedSPropTagArray(1, cols) = {1, {PR_ENTRYID}};
    RowSets rowsets;
    if (SUCCEEDED(pFolder->GetContentsTable(0, &pTable))) {
        if (SUCCEEDED(pTable->SetColumns((LPSPropTagArray)&cols, 0)))
            CollectRows(pTable, &rowsets);
        pTable->Release();
    }
    SBinary *pbin = nullptr;
    if (!rowsets.empty() && SUCCEEDED(MAPIAllocateBuffer((ULONG)(sizeof(SBinary) * rowsets.size()), (LPVOID *)&pbin))) {
        for (size_t i = 0; i < rowsets.size(); ++i)
            pbin[i] = rowsets[i]->aRow[0].lpProps[0].Value.bin;
        ENTRYLIST list = {(ULONG)rowsets.size(), pbin};
        pFolder->DeleteMessages(&list, 0, nullptr, 0);
        MAPIFreeBuffer(pbin);
    }
    for (LPSRowSet prows : rowsets)
        FreeProws(prows);
    pFolder->Release();
}

} // namespace

LPMAPISESSION LogOnMessaging(HWND hwnd)
{
    LPMAPISESSION pSession = nullptr;
    if (FAILED(MAPILogonEx((ULONG_PTR)hwnd, nullptr, nullptr, 0, &pSession)))
        return nullptr;
    return pSession;
}

void LogOffMessaging(LPMAPISESSION pSession)
{
    if (!pSession)
        return;
    pSession->Logoff(0, 0, 0);
    pSession->Release();
}

void ForEachStore(LPMAPISESSION pSession, const std::function<void(LPCWSTR, const SBinary &)> &fn)
{
    LPMAPITABLE pTable = nullptr;
    if (!pSession || FAILED(pSession->GetMsgStoresTable(0, &pTable)))
        return;
    SizedSPropTagArray(2, cols) = {2, {PR_DISPLAY_NAME_W, PR_ENTRYID}};
    if (SUCCEEDED(pTable->SetColumns((LPSPropTagArray)&cols, 0))) {
        LPSRowSet prows;
        while (NextStoreRow(pTable, &prows)) {
            const SPropValue *pProps = prows->aRow[0].lpProps;
            if (pProps[0].ulPropTag == PR_DISPLAY_NAME_W && pProps[1].ulPropTag == PR_ENTRYID)
                fn(pProps[0].Value.lpszW, pProps[1].Value.bin);
            FreeProws(prows);
        }
    }
    pTable->Release();
}

void ForEachDefaultFolder(LPMAPISESSION pSession, const std::function<void(int, LPCWSTR)> &fn)
{
    LPMDB pStore = nullptr;
    if (!pSession || FAILED(pSession->OpenMsgStore(0, 0, nullptr, nullptr, MAPI_BEST_ACCESS, &pStore)))
        return;
    for (int iFolder = 1; iFolder <= SPACE_FOLDER_COUNT; ++iFolder) {
        LPMAPIFOLDER pFolder = OpenStoreFolder(pStore, iFolder);
        if (!pFolder)
            continue;
        SizedSPropTagArray(1, tags) = {1, {PR_DISPLAY_NAME_W}};
        ULONG cValues = 0;
        LPSPropValue pv = nullptr;
        if (SUCCEEDED(pFolder->GetProps((LPSPropTagArray)&tags, MAPI_UNICODE, &cValues, &pv)) && cValues == 1 &&
            pv->ulPropTag == PR_DISPLAY_NAME_W)
            fn(iFolder, pv->Value.lpszW);
        MAPIFreeBuffer(pv);
        pFolder->Release();
    }
    pStore->Release();
}

HRESULT EraseStoreFolders(HWND hwnd, const SBinary &store, int iFolder)
{
    if (!store.cb || !store.lpb || iFolder < 0 || iFolder > SPACE_FOLDER_COUNT)
        return E_INVALIDARG;
    LPMAPISESSION pSession = LogOnMessaging(hwnd);
    if (!pSession)
        return MAPI_E_LOGON_FAILED;
    // The store by its entry identifier: a name may be shared, and a row
    // number may name another store once the list has changed.
    LPMDB pStore = nullptr;
    HRESULT hr = pSession->OpenMsgStore(0, store.cb, (LPENTRYID)store.lpb, nullptr, MAPI_BEST_ACCESS, &pStore);
    if (SUCCEEDED(hr) && pStore) {
        if (iFolder == 0) {
            for (int iNext : s_aiEraseOrder)
                EraseFolder(pStore, iNext);
        } else {
            EraseFolder(pStore, iFolder);
        }
        pStore->Release();
    }
    LogOffMessaging(pSession);
    return hr;
}
