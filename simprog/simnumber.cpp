// SIM Number: the subscriber's own number as the SIM stores it.
#include "morlin.h"
#include "trace.h"
#include "kit.h"
#include "../res/morlin/resource.h"
#include <strsafe.h>

static SIMPHONEBOOKENTRY s_ownNumber;
static HFONT s_hfontLabel;
static HFONT s_hfontNumber;

static const WCHAR kNoOwnNumber[] = L"No own number.";

LONG OwnNumberFontHeight(size_t cch)
{
    if (cch == 0)
        return 24;
    LONG lHeight = (LONG)(272 / cch);
    return lHeight > 24 ? 24 : lHeight;
}

static void ShowOwnNumber(HWND hdlg)
{
    HWND hwndEdit = GetDlgItem(hdlg, IDC_OWN_NUMBER);
    size_t cch = 0;
    StringCchLengthW(s_ownNumber.lpszAddress, ARRAYSIZE(s_ownNumber.lpszAddress), &cch);
    LPCWSTR pszShown = cch ? s_ownNumber.lpszAddress : kNoOwnNumber;
    if (!cch)
        cch = ARRAYSIZE(kNoOwnNumber) - 1;
    if (s_hfontNumber)
        DeleteObject(s_hfontNumber);
    s_hfontNumber = CreateBoldSystemFont(OwnNumberFontHeight(cch));
    SendMessageW(hwndEdit, WM_SETFONT, (WPARAM)s_hfontNumber, TRUE);
    SetWindowTextW(hwndEdit, pszShown);
}

static BOOL OnSimNumberInit(HWND hdlg)
{
    SendDlgItemMessageW(hdlg, IDC_OWN_NUMBER, EM_LIMITTEXT, g_dwMaxNumberLength, 0);
    SendDlgItemMessageW(hdlg, IDC_OWN_NUMBER, EM_SETINPUTMODE, 0, EIM_NUMBERS);
    if (!InitMorlinScreen(hdlg, IDR_BAR_SIMNUMBER, IDS_SIMNUMBER_TITLE))
        return FALSE;
    s_hfontLabel = CreateBoldSystemFont(22);
    SendDlgItemMessageW(hdlg, IDC_OWN_NUMBER_LABEL, WM_SETFONT, (WPARAM)s_hfontLabel, FALSE);
    SetStringText(hdlg, IDC_OWN_NUMBER_LABEL, IDS_SIMNUMBER_LABEL);
    SetDlgItemTextW(hdlg, IDC_OWN_NUMBER, s_ownNumber.lpszAddress);
    SetStringText(hdlg, IDC_OWN_NUMBER_GROUP, IDS_SIMNUMBER_GROUP);

    SIMPHONEBOOKENTRY first;
    ZeroMemory(&first, sizeof(first));
    first.cbSize = sizeof(first);
    SimReadPhonebookEntry(g_hSim, SIM_PBSTORAGE_SIM, 1, &first);
    TRACE(L"SimReadPhonebookEntry: %s dwAddressType[%x] dwNumPlan[%x]\r\n", first.lpszText, first.dwAddressType,
          first.dwNumPlan);

    ZeroMemory(&s_ownNumber, sizeof(s_ownNumber));
    s_ownNumber.cbSize = sizeof(s_ownNumber);
    if (FAILED(SimReadPhonebookEntry(g_hSim, SIM_PBSTORAGE_OWNNUMBERS, 1, &s_ownNumber)))
        ZeroMemory(&s_ownNumber, sizeof(s_ownNumber));
    ShowOwnNumber(hdlg);
    SetFocus(GetDlgItem(hdlg, IDC_OWN_NUMBER));
    SendDlgItemMessageW(hdlg, IDC_OWN_NUMBER, EM_SETSEL, 0x7FFF, 0x7FFF);
    return TRUE;
}

static void DeleteFonts()
{
    if (s_hfontLabel)
        DeleteObject(s_hfontLabel);
    if (s_hfontNumber)
        DeleteObject(s_hfontNumber);
    s_hfontLabel = s_hfontNumber = nullptr;
}

INT_PTR CALLBACK SimNumberProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_INITDIALOG:
        OnSimNumberInit(hdlg);
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDM_SIMNUMBER_DONE || LOWORD(wp) == IDCANCEL)
            EndDialog(hdlg, IDOK);
        return TRUE;
    case WM_HOTKEY:
        HandleBackHotKey(wp, lp);
        return TRUE;
    case WM_DESTROY:
        DeleteFonts();
        return FALSE;
    }
    return FALSE;
}
