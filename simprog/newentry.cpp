// New Entry: a name and a number written to the first free SIM slot.
#include "morlin.h"
#include "phonebook.h"
#include "trace.h"
#include "kit.h"
#include "../res/morlin/resource.h"
#include <strsafe.h>

static HFONT s_hfontBold;

void AppendDialCharacter(HWND hwndEdit, WCHAR ch)
{
    // The whole number, so nothing beyond a fixed prefix is lost on write-back.
    WCHAR szNumber[MAX_LENGTH_ADDRESS];
    GetWindowTextW(hwndEdit, szNumber, ARRAYSIZE(szNumber));
    size_t cch = 0;
    StringCchLengthW(szNumber, ARRAYSIZE(szNumber), &cch);
    if (cch + 1 > g_dwMaxNumberLength || cch + 1 >= ARRAYSIZE(szNumber)) {
        MessageBeep(MB_OK);  // the SIM cannot hold a longer number
        return;
    }
    szNumber[cch] = ch;
    szNumber[cch + 1] = 0;
    SetWindowTextW(hwndEdit, szNumber);
    SendMessageW(hwndEdit, EM_SETSEL, cch + 1, cch + 1);
}

static void SetLabel(HWND hdlg, int id, UINT ids)
{
    WCHAR sz[64];
    if (LoadStringW(g_hInst, ids, sz, ARRAYSIZE(sz)))
        SetDlgItemTextW(hdlg, id, sz);
    SendDlgItemMessageW(hdlg, id, WM_SETFONT, (WPARAM)s_hfontBold, FALSE);
}

static BOOL OnInitDialog(HWND hdlg)
{
    HWND hwndBar = nullptr;
    if (!InitFullScreenDialog(hdlg) || !(hwndBar = CreateSoftKeyBar(hdlg, IDR_BAR_NEWENTRY))) {
        PostQuitMessage(0);
        return FALSE;
    }
    WCHAR szTitle[64];
    if (LoadStringW(g_hInst, IDS_NEWENTRY_TITLE, szTitle, ARRAYSIZE(szTitle)))
        SetWindowTextW(hdlg, szTitle);
    OverrideBackKey(hwndBar);
    s_hfontBold = CreateBoldSystemFont(0);
    SendDlgItemMessageW(hdlg, IDC_NEW_NAME, EM_LIMITTEXT, g_dwMaxNameLength, 0);
    SendDlgItemMessageW(hdlg, IDC_NEW_NAME, EM_SETINPUTMODE, 0, EIM_TEXT);
    SendDlgItemMessageW(hdlg, IDC_NEW_NUMBER, EM_LIMITTEXT, g_dwMaxNumberLength, 0);
    SendDlgItemMessageW(hdlg, IDC_NEW_NUMBER, EM_SETINPUTMODE, 0, EIM_NUMBERS);
    SetLabel(hdlg, IDC_NEW_NAME_LABEL, IDS_NEW_NAME);
    SetLabel(hdlg, IDC_NEW_NUMBER_LABEL, IDS_NEW_NUMBER);
    SetFocus(GetDlgItem(hdlg, IDC_NEW_NAME));
    return FALSE;
}

static void OnInitMenuPopup(HWND hdlg, HMENU hmenu)
{
    UINT uFlags = MF_BYCOMMAND | (GetFocus() == GetDlgItem(hdlg, IDC_NEW_NUMBER) ? MF_ENABLED : MF_GRAYED);
    EnableMenuItem(hmenu, IDM_INSERT_PAUSE, uFlags);
    EnableMenuItem(hmenu, IDM_INSERT_WAIT, uFlags);
}

static void OnDone(HWND hdlg)
{
    MorlinTrace(TRACE_NEWENTRY_DONE, L"NewEntryProc IDM_NEWENTRY_DONE 1 \r\n");
    WCHAR szNumber[256];
    WCHAR szName[256];
    GetDlgItemTextW(hdlg, IDC_NEW_NUMBER, szNumber, ARRAYSIZE(szNumber));
    if (!szNumber[0]) {
        ShowMorlinMessage(hdlg, IDS_NUMBER_EMPTY, MB_ICONHAND);
        return;
    }
    if (IsPhoneBookFull()) {
        ShowMorlinMessage(hdlg, IDS_PB_FULL, MB_ICONEXCLAMATION);
        EndDialog(hdlg, IDCANCEL);
        return;
    }
    GetDlgItemTextW(hdlg, IDC_NEW_NAME, szName, ARRAYSIZE(szName));
    GetDlgItemTextW(hdlg, IDC_NEW_NUMBER, szNumber, ARRAYSIZE(szNumber));
    if (WriteNewPhoneBookEntry(szName, szNumber)) {
        ShowMorlinMessage(hdlg, IDS_ADDED, MB_ICONASTERISK);
        EndDialog(hdlg, IDOK);
        DumpPhoneBook();
        return;
    }
    ShowMorlinMessage(hdlg, IDS_ADD_FAILED, MB_ICONHAND);
    DumpPhoneBook();
}

static void OnCommand(HWND hdlg, UINT id)
{
    switch (id) {
    case IDM_NEWENTRY_DONE: OnDone(hdlg); break;
    case IDM_INSERT_PAUSE: AppendDialCharacter(GetDlgItem(hdlg, IDC_NEW_NUMBER), L'p'); break;
    case IDM_INSERT_WAIT: AppendDialCharacter(GetDlgItem(hdlg, IDC_NEW_NUMBER), L'w'); break;
    case IDM_NEWENTRY_CANCEL: EndDialog(hdlg, IDCANCEL); break;
    case IDCANCEL: EndDialog(hdlg, IDCANCEL); break;
    }
}

static void OnDestroy()
{
    if (s_hfontBold)
        DeleteObject(s_hfontBold);
    s_hfontBold = nullptr;
}

INT_PTR CALLBACK NewEntryProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog(hdlg);
    case WM_INITMENUPOPUP:
        OnInitMenuPopup(hdlg, (HMENU)wp);
        return TRUE;
    case WM_COMMAND:
        OnCommand(hdlg, LOWORD(wp));
        return TRUE;
    case WM_HOTKEY:
        HandleBackHotKey(wp, lp);
        return TRUE;
    case WM_DESTROY:
        OnDestroy();
        return FALSE;
    }
    return FALSE;
}
