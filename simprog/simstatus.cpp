// SIM Number and SIM Status screens, and the free space of the internal store.
#include "morlin.h"
#include "trace.h"
#include "kit.h"
#include "../res/morlin/resource.h"
#include <projects.h>
#include <strsafe.h>
#include <initializer_list>

static SIMPHONEBOOKENTRY s_ownNumber;
static HFONT s_hfontLabel;
static HFONT s_hfontNumber;
static HFONT s_hfontStatus;

static const WCHAR kNoOwnNumber[] = L"No own number.";

LONG OwnNumberFontHeight(size_t cch)
{
    if (cch == 0)
        return 24;
    LONG lHeight = (LONG)(272 / cch);
    return lHeight > 24 ? 24 : lHeight;
}

static BOOL SetUpScreen(HWND hdlg, UINT idBar, UINT idsTitle)
{
    HWND hwndBar = nullptr;
    if (!InitFullScreenDialog(hdlg) || !(hwndBar = CreateSoftKeyBar(hdlg, idBar))) {
        PostQuitMessage(0);
        return FALSE;
    }
    WCHAR szTitle[64];
    if (LoadStringW(g_hInst, idsTitle, szTitle, ARRAYSIZE(szTitle)))
        SetWindowTextW(hdlg, szTitle);
    OverrideBackKey(hwndBar);
    return TRUE;
}

static void SetStringText(HWND hdlg, int id, UINT ids)
{
    WCHAR sz[64];
    if (LoadStringW(g_hInst, ids, sz, ARRAYSIZE(sz)))
        SetDlgItemTextW(hdlg, id, sz);
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
    if (!SetUpScreen(hdlg, IDR_BAR_SIMNUMBER, IDS_SIMNUMBER_TITLE))
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
    for (HFONT *phf : {&s_hfontLabel, &s_hfontNumber, &s_hfontStatus}) {
        if (*phf)
            DeleteObject(*phf);
        *phf = nullptr;
    }
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

static void SetCount(HWND hdlg, int id, UINT idsLabel, DWORD dwCount)
{
    WCHAR szLabel[32];
    WCHAR szText[64];
    if (!LoadStringW(g_hInst, idsLabel, szLabel, ARRAYSIZE(szLabel)))
        szLabel[0] = 0;
    StringCchPrintfW(szText, ARRAYSIZE(szText), L"%s%d", szLabel, (int)dwCount);
    SetDlgItemTextW(hdlg, id, szText);
}

static BOOL OnSimStatusInit(HWND hdlg)
{
    if (!SetUpScreen(hdlg, IDR_BAR_SIMSTATUS, IDS_SIMSTATUS_TITLE))
        return FALSE;
    s_hfontStatus = CreateBoldSystemFont(0);
    for (int id : {IDC_PB_TOTAL, IDC_PB_USED, IDC_SMS_TOTAL, IDC_SMS_USED})
        SendDlgItemMessageW(hdlg, id, WM_SETFONT, (WPARAM)s_hfontStatus, FALSE);
    for (int id : {IDC_STATUS_HIDDEN1, IDC_STATUS_HIDDEN2, IDC_STATUS_HIDDEN3, IDC_STATUS_HIDDEN4})
        SetWindowPos(GetDlgItem(hdlg, id), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER);
    DWORD dwPbUsed = 0, dwPbTotal = 0, dwSmsUsed = 0, dwSmsTotal = 0;
    if (FAILED(SimGetPhonebookStatus(g_hSim, SIM_PBSTORAGE_SIM, &dwPbUsed, &dwPbTotal)))
        dwPbUsed = dwPbTotal = 0;
    if (FAILED(SimGetSmsStorageStatus(g_hSim, SIM_SMSSTORAGE_SIM, &dwSmsUsed, &dwSmsTotal)))
        dwSmsUsed = dwSmsTotal = 0;
    SetCount(hdlg, IDC_PB_USED, IDS_PB_USED, dwPbUsed);
    SetCount(hdlg, IDC_PB_TOTAL, IDS_PB_TOTAL, dwPbTotal);
    SetCount(hdlg, IDC_SMS_TOTAL, IDS_SMS_TOTAL, dwSmsTotal);
    SetCount(hdlg, IDC_SMS_USED, IDS_SMS_USED, dwSmsUsed);
    SetStringText(hdlg, IDC_SMS_GROUP, IDS_SMS_STORAGE);
    SetStringText(hdlg, IDC_PB_GROUP, IDS_PB_STORAGE);
    return TRUE;
}

INT_PTR CALLBACK SimStatusProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_INITDIALOG:
        OnSimStatusInit(hdlg);
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDM_SIMSTATUS_DONE || LOWORD(wp) == IDCANCEL)
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

DWORD GetIPSMAvailableSpace()
{
    WIN32_FIND_DATAW fd;
    HANDLE hCard = FindFirstFlashCard(&fd);
    if (hCard == INVALID_HANDLE_VALUE)
        return 0;
    FindClose(hCard);
    ULARGE_INTEGER cbAvailable, cbTotal, cbFree;
    cbFree.QuadPart = 0;
    if (!GetDiskFreeSpaceExW(fd.cFileName, &cbAvailable, &cbTotal, &cbFree))
        cbFree.QuadPart = 0;
    MorlinTrace(TRACE_FREE_SPACE, L"GetIPSMAvailableSpace, free low : %d, free high: %d , free %d \r\n",
                (int)cbFree.LowPart, (int)cbFree.HighPart, (int)cbFree.LowPart);
    return cbFree.LowPart;
}
