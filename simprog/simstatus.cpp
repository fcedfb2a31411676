// SIM Status: phone-book and message storage counts; and the free space of
// the internal store that adding contacts needs.
#include "morlin.h"
#include "trace.h"
#include "kit.h"
#include "../res/morlin/resource.h"
#include <projects.h>
#include <strsafe.h>
#include <initializer_list>

static HFONT s_hfontStatus;

static void DeleteFonts()
{
    if (s_hfontStatus)
        DeleteObject(s_hfontStatus);
    s_hfontStatus = nullptr;
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
    if (!InitMorlinScreen(hdlg, IDR_BAR_SIMSTATUS, IDS_SIMSTATUS_TITLE))
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

DWORD FreeSlotsOf(DWORD dwUsed, DWORD dwTotal)
{
    // Unsigned total - used would offer some four billion slots on such a card.
    return dwUsed < dwTotal ? dwTotal - dwUsed : 0;
}
