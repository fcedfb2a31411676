// Edit phone book: change, delete or dial the marked entry.
#include "morlin.h"
#include "phonebook.h"
#include "trace.h"
#include "kit.h"
#include "../res/morlin/resource.h"
#include <strsafe.h>
#include <cwchar>

static HFONT s_hfontBold;

void DialPhoneBookEntry(LPCWSTR pszNumber)
{
    tapiRequestMakeCall(pszNumber, nullptr, nullptr, nullptr);
}

void DialMarkedEntry()
{
    WCHAR szNumber[MAX_LENGTH_ADDRESS];
    szNumber[0] = 0;
    {
        PhoneBookLock lock;
        const SIMPHONEBOOKENTRY *pEntry = FindPhoneBookRecord(g_wMarkedIndex);
        if (pEntry)
            StringCchCopyW(szNumber, ARRAYSIZE(szNumber), pEntry->lpszAddress);
    }
    if (!szNumber[0]) {
        ShowMorlinMessage(nullptr, IDS_NO_NUMBER, MB_ICONHAND);
        return;
    }
    DialPhoneBookEntry(szNumber);
}

BOOL EditPhoneBook(WORD wIndex, LPCWSTR pszName, LPCWSTR pszNumber)
{
    // Only what the SIM can hold is compared and written.
    WCHAR szName[MAX_LENGTH_PHONEBOOKENTRYTEXT];
    WCHAR szNumber[MAX_LENGTH_ADDRESS];
    CopySimText(szName, ARRAYSIZE(szName), pszName, g_dwMaxNameLength);
    CopySimText(szNumber, ARRAYSIZE(szNumber), pszNumber, g_dwMaxNumberLength);
    if (AskMorlinQuestion(IDS_ASK_SAVE, szName[0] ? szName : szNumber, ARRAYSIZE(g_szMessage),
                          MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return 0;
    TRACE(L"EditPhoneBook 1  !\r\n");
    PhoneBookLock lock;
    SIMPHONEBOOKENTRY *pCached = FindPhoneBookRecord(wIndex);
    if (!pCached)
        return 0;
    TRACE(L"EditPhoneBook 2  !\r\n");
    if (lstrcmpiW(szName, pCached->lpszText) != 0 || lstrcmpiW(szNumber, pCached->lpszAddress) != 0) {
        SIMPHONEBOOKENTRY saved = *pCached;
        SIMPHONEBOOKENTRY copy = *pCached;
        StringCchCopyW(copy.lpszText, ARRAYSIZE(copy.lpszText), szName);
        StringCchCopyW(copy.lpszAddress, ARRAYSIZE(copy.lpszAddress), szNumber);
        *pCached = copy;
        DumpPhoneBook();
        if (FAILED(SimWritePhonebookEntry(g_hSim, SIM_PBSTORAGE_SIM, wIndex, &copy))) {
            *pCached = saved;  // the cache never shows what the SIM does not hold
            TRACE(L"EditPhoneBook 3  !\r\n");
            return 0;
        }
    }
    TRACE(L"EditPhoneBook 4  !\r\n");
    return 1;
}

BOOL DeletePhoneBookEntry(WORD wIndex)
{
    WCHAR szShown[MAX_LENGTH_ADDRESS];
    {
        PhoneBookLock lock;
        const SIMPHONEBOOKENTRY *pEntry = FindPhoneBookRecord(wIndex);
        if (!pEntry)
            return 0;
        StringCchCopyW(szShown, ARRAYSIZE(szShown), EntryDisplayText(pEntry));
    }
    if (AskMorlinQuestion(IDS_ASK_DELETE, szShown, 128, MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return 1;
    {
        PhoneBookLock lock;
        if (FAILED(SimDeletePhonebookEntry(g_hSim, SIM_PBSTORAGE_SIM, wIndex)))
            return 0;
        RemovePhoneBookRecord(wIndex);
        DumpPhoneBook();
        MarkSlot(wIndex, FALSE);
    }
    ShowMorlinMessage(nullptr, IDS_DELETED, MB_ICONEXCLAMATION);
    return 1;
}

static void SetBoldLabel(HWND hdlg, int id, UINT ids, LPCWSTR pszSuffix)
{
    WCHAR sz[64];
    if (LoadStringW(g_hInst, ids, sz, ARRAYSIZE(sz))) {
        if (pszSuffix)
            StringCchCatW(sz, ARRAYSIZE(sz), pszSuffix);
        SetDlgItemTextW(hdlg, id, sz);
    }
    SendDlgItemMessageW(hdlg, id, WM_SETFONT, (WPARAM)s_hfontBold, FALSE);
}

static BOOL OnInitDialog(HWND hdlg)
{
    SendDlgItemMessageW(hdlg, IDC_EDIT_NAME, EM_LIMITTEXT, g_dwMaxNameLength, 0);
    SendDlgItemMessageW(hdlg, IDC_EDIT_NAME, EM_SETINPUTMODE, 0, EIM_TEXT);
    SendDlgItemMessageW(hdlg, IDC_EDIT_NUMBER, EM_LIMITTEXT, g_dwMaxNumberLength, 0);
    SendDlgItemMessageW(hdlg, IDC_EDIT_NUMBER, EM_SETINPUTMODE, 0, EIM_NUMBERS);
    WCHAR szName[MAX_LENGTH_PHONEBOOKENTRYTEXT] = L"";
    WCHAR szNumber[MAX_LENGTH_ADDRESS] = L"";
    {
        PhoneBookLock lock;
        const SIMPHONEBOOKENTRY *pEntry = FindPhoneBookRecord(g_wMarkedIndex);
        if (pEntry) {
            StringCchCopyW(szName, ARRAYSIZE(szName), pEntry->lpszText);
            StringCchCopyW(szNumber, ARRAYSIZE(szNumber), pEntry->lpszAddress);
        }
    }
    WCHAR szKey[16];
    StringCchPrintfW(szKey, ARRAYSIZE(szKey), L"%d#", g_wMarkedIndex);
    SetDlgItemTextW(hdlg, IDC_EDIT_KEY, szKey);
    SetWindowPos(GetDlgItem(hdlg, IDC_EDIT_KEY), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER);
    SetDlgItemTextW(hdlg, IDC_EDIT_NAME, szName);
    SetDlgItemTextW(hdlg, IDC_EDIT_NUMBER, szNumber);
    HWND hwndBar = nullptr;
    if (!InitFullScreenDialog(hdlg) || !(hwndBar = CreateSoftKeyBar(hdlg, IDR_BAR_EDITENTRY))) {
        PostQuitMessage(0);
        return FALSE;
    }
    WCHAR szTitle[64];
    if (LoadStringW(g_hInst, IDS_EDITENTRY_TITLE, szTitle, ARRAYSIZE(szTitle)))
        SetWindowTextW(hdlg, szTitle);
    OverrideBackKey(hwndBar);
    s_hfontBold = CreateBoldSystemFont(0);
    SendDlgItemMessageW(hdlg, IDC_EDIT_KEY, WM_SETFONT, (WPARAM)s_hfontBold, FALSE);
    SetBoldLabel(hdlg, IDC_EDIT_KEY_LABEL, IDS_KEY, szKey);
    SetBoldLabel(hdlg, IDC_EDIT_NAME_LABEL, IDS_EDIT_NAME, nullptr);
    SetBoldLabel(hdlg, IDC_EDIT_NUMBER_LABEL, IDS_EDIT_NUMBER, nullptr);
    SetFocus(GetDlgItem(hdlg, IDC_EDIT_NAME));
    return FALSE;
}

static void OnDone(HWND hdlg)
{
    WCHAR szKey[16];
    WCHAR szName[MAX_LENGTH_PHONEBOOKENTRYTEXT];
    WCHAR szNumber[MAX_LENGTH_ADDRESS];
    GetDlgItemTextW(hdlg, IDC_EDIT_KEY, szKey, ARRAYSIZE(szKey));
    GetDlgItemTextW(hdlg, IDC_EDIT_NAME, szName, ARRAYSIZE(szName));
    GetDlgItemTextW(hdlg, IDC_EDIT_NUMBER, szNumber, ARRAYSIZE(szNumber));
    if (!szNumber[0]) {
        ShowMorlinMessage(hdlg, IDS_NUMBER_EMPTY, MB_ICONHAND);
        return;
    }
    if (EditPhoneBook(g_wMarkedIndex, szName, szNumber))
        ShowMorlinMessage(hdlg, IDS_SAVED, MB_ICONASTERISK);
    else
        ShowMorlinMessage(hdlg, IDS_NOT_SAVED, MB_ICONHAND);
    EndDialog(hdlg, IDOK);
}

static void OnDelete(HWND hdlg)
{
    WCHAR szKey[16];
    GetDlgItemTextW(hdlg, IDC_EDIT_KEY, szKey, ARRAYSIZE(szKey));
    WCHAR *pEnd = nullptr;
    unsigned long ulIndex = wcstoul(szKey, &pEnd, 10);
    if (pEnd != szKey && *pEnd == L'#' && ulIndex <= 0xFFFF)
        DeletePhoneBookEntry((WORD)ulIndex);
    EndDialog(hdlg, IDOK);
}

static void OnDial(HWND hdlg)
{
    WCHAR szNumber[MAX_LENGTH_ADDRESS];
    GetDlgItemTextW(hdlg, IDC_EDIT_NUMBER, szNumber, ARRAYSIZE(szNumber));
    if (szNumber[0])
        DialPhoneBookEntry(szNumber);
    else
        ShowMorlinMessage(hdlg, IDS_NO_NUMBER, MB_ICONHAND);
}

static void OnCommand(HWND hdlg, UINT id)
{
    switch (id) {
    case IDM_EDITENTRY_DONE: OnDone(hdlg); break;
    case IDM_EDITENTRY_DELETE: OnDelete(hdlg); break;
    case IDM_DIAL: OnDial(hdlg); break;
    case IDM_EDITENTRY_CANCEL: EndDialog(hdlg, IDCANCEL); break;
    case IDCANCEL: EndDialog(hdlg, IDCANCEL); break;
    }
}

static void OnDestroy()
{
    if (s_hfontBold)
        DeleteObject(s_hfontBold);
    s_hfontBold = nullptr;
}

INT_PTR CALLBACK EditEntryProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog(hdlg);
    case WM_COMMAND:
        OnCommand(hdlg, LOWORD(wp));
        return TRUE;
    case WM_HOTKEY:
        if (GetFocus() != GetDlgItem(hdlg, IDC_EDIT_KEY))
            HandleBackHotKey(wp, lp);
        return TRUE;
    case WM_DESTROY:
        OnDestroy();
        return FALSE;
    }
    return FALSE;
}
