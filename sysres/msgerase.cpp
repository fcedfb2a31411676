// Message-erase dialog: a store (or "All") and one of the default store's
// five folders (or "All"); Erase empties them after a question.
#include "spacemgr.h"
#include "kit.h"
#include "msgstores.h"
#include "sysinfo.h"
#include "../res/ostrel/resource.h"
#include <commctrl.h>
#include <strsafe.h>

namespace {
// The folder entry's item data is its folder index; "All" is 0.
void AddFolderEntry(HWND hwndList, LPCWSTR pszName, int iFolder)
{
    LRESULT i = SendMessageW(hwndList, LB_ADDSTRING, 0, (LPARAM)pszName);
    if (i >= 0)
        SendMessageW(hwndList, LB_SETITEMDATA, (WPARAM)i, iFolder);
}

// A store's row keeps a copy of the store's entry identifier as its item
// data: Erase empties the store chosen, whatever the list holds by then.
void AddStoreEntry(HWND hwndList, LPCWSTR pszName, const SBinary &store)
{
    SBinary *pbin = (SBinary *)LocalAlloc(LMEM_FIXED, sizeof(SBinary) + store.cb);
    if (!pbin)
        return;  // a row that could not name its store is not offered
    pbin->cb = store.cb;
    pbin->lpb = (LPBYTE)(pbin + 1);
    CopyMemory(pbin->lpb, store.lpb, store.cb);
    LRESULT i = SendMessageW(hwndList, LB_ADDSTRING, 0, (LPARAM)pszName);
    if (i < 0 || SendMessageW(hwndList, LB_SETITEMDATA, (WPARAM)i, (LPARAM)pbin) == LB_ERR) {
        if (i >= 0)
            SendMessageW(hwndList, LB_DELETESTRING, (WPARAM)i, 0);
        LocalFree(pbin);
    }
}

// The entry identifier of a store row; null for "All".
const SBinary *StoreOfEntry(HWND hdlg, LRESULT iEntry)
{
    LRESULT data = SendDlgItemMessageW(hdlg, IDC_STORE_LIST, LB_GETITEMDATA, (WPARAM)iEntry, 0);
    return iEntry > 0 && data != LB_ERR ? (const SBinary *)data : nullptr;
}

void OnDestroy(HWND hdlg)
{
    LRESULT cEntries = SendDlgItemMessageW(hdlg, IDC_STORE_LIST, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 1; i < cEntries; ++i) {
        const SBinary *pbin = StoreOfEntry(hdlg, i);
        if (pbin)
            LocalFree((HLOCAL)pbin);
    }
}

// First entry selected, and the spin control stepping through them all.
void SelectFirst(HWND hdlg, int idList, int idSpin)
{
    HWND hwndList = GetDlgItem(hdlg, idList);
    LRESULT cEntries = SendMessageW(hwndList, LB_GETCOUNT, 0, 0);
    SendMessageW(hwndList, LB_SETCURSEL, 0, 0);
    RECT rc;
    GetClientRect(hwndList, &rc);
    SendMessageW(hwndList, LB_SETITEMHEIGHT, 0, rc.bottom);  // one entry at a time shows
    HWND hwndSpin = GetDlgItem(hdlg, idSpin);
    SendMessageW(hwndSpin, UDM_SETBUDDY, (WPARAM)hwndList, 0);
    SendMessageW(hwndSpin, UDM_SETRANGE32, 0, cEntries > 0 ? cEntries - 1 : 0);
    SendMessageW(hwndSpin, UDM_SETPOS32, 0, 0);
}

BOOL OnInitDialog(HWND hdlg)
{
    if (!CreateSoftKeyBar(hdlg, IDR_BAR_MSGERASE) || !InitFullScreenDialog(hdlg))
        return FALSE;
    LPMAPISESSION pSession = LogOnMessaging(hdlg);
    if (!pSession)
        return FALSE;  // messaging failures are silent: the lists stay empty
    WCHAR szAll[32];
    HWND hwndStores = GetDlgItem(hdlg, IDC_STORE_LIST);
    if (LoadStringW(g_hInst, IDS_ALL_STORES, szAll, ARRAYSIZE(szAll)))
        SendMessageW(hwndStores, LB_ADDSTRING, 0, (LPARAM)szAll);
    ForEachStore(pSession, [hwndStores](LPCWSTR pszName, const SBinary &store) {
        AddStoreEntry(hwndStores, pszName, store);
    });
    HWND hwndFolders = GetDlgItem(hdlg, IDC_FOLDER_LIST);
    if (LoadStringW(g_hInst, IDS_ALL_FOLDERS, szAll, ARRAYSIZE(szAll)))
        AddFolderEntry(hwndFolders, szAll, 0);
    ForEachDefaultFolder(pSession, [hwndFolders](int iFolder, LPCWSTR pszName) {
        AddFolderEntry(hwndFolders, pszName, iFolder);
    });
    SelectFirst(hdlg, IDC_STORE_LIST, IDC_STORE_SPIN);
    SelectFirst(hdlg, IDC_FOLDER_LIST, IDC_FOLDER_SPIN);
    WCHAR szCaption[64];
    if (LoadStringW(g_hInst, IDS_MSGERASE_CAPTION, szCaption, ARRAYSIZE(szCaption)))
        SetWindowTextW(hdlg, szCaption);
    SetStringText(hdlg, IDC_ACCOUNT_LABEL, IDS_ACCOUNT);
    SetStringText(hdlg, IDC_FOLDER_LABEL, IDS_FOLDER);
    LogOffMessaging(pSession);
    return TRUE;
}

void OnErase(HWND hdlg)
{
    if (!ConfirmErase(hdlg, IDS_ASK_MESSAGES))
        return;
    LPMAPISESSION pSession = LogOnMessaging(hdlg);
    if (!pSession)
        return;
    LRESULT iStore = SendDlgItemMessageW(hdlg, IDC_STORE_LIST, LB_GETCURSEL, 0, 0);
    LRESULT iEntry = SendDlgItemMessageW(hdlg, IDC_FOLDER_LIST, LB_GETCURSEL, 0, 0);
    const SBinary *pStore = StoreOfEntry(hdlg, iStore);
    HRESULT hr = S_OK;
    if (iStore != LB_ERR && iEntry != LB_ERR && (iStore == 0 || pStore)) {
        int iFolder = (int)SendDlgItemMessageW(hdlg, IDC_FOLDER_LIST, LB_GETITEMDATA, (WPARAM)iEntry, 0);
        WaitCursor wait;
        if (pStore)
            hr = EraseStoreFolders(hdlg, *pStore, iFolder);
        else  // "All": every store the table lists now
            ForEachStore(pSession, [&](LPCWSTR, const SBinary &store) { EraseStoreFolders(hdlg, store, iFolder); });
    }
    LogOffMessaging(pSession);
    // Gone since the list was filled: nothing else is erased in its place.
    if (hr == MAPI_E_NOT_FOUND)
        ShowResourceMessage(hdlg, MB_OK | MB_ICONHAND, g_hInst, IDS_ERROR, IDS_ACCOUNT_GONE);
}
} // namespace

INT_PTR CALLBACK MessageEraseDlgProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp)
{
    (void)lp;
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog(hdlg);
    case WM_DESTROY:
        OnDestroy(hdlg);
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDM_MSGERASE_ERASE: OnErase(hdlg); return TRUE;
        case IDM_MSGERASE_DONE:
        case IDCANCEL: EndDialog(hdlg, 0); return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}
