// The main window only owns the page; the page is the program. It shows
// power, memory, flash storage and device information.
#include "sysinfo.h"
#include "kit.h"
#include "storage.h"
#include "spacemgr.h"
#include "sysformat.h"
#include "taskman.h"
#include "../res/ostrel/resource.h"
#include <cesystem.h>
#include <strsafe.h>

HWND g_hwndMain;
HWND g_hdlgSysInfo;
WCHAR g_szTitle[32];

namespace {
struct LabelText {
    int idControl;
    UINT ids;
};
const LabelText s_aLabels[] = {
    {IDC_POWER_GROUP, IDS_POWER_STATUS},          {IDC_MAIN_BATTERY_LABEL, IDS_MAIN_BATTERY},
    {IDC_BACKUP_BATTERY_LABEL, IDS_BACKUP_BATTERY}, {IDC_MEMORY_GROUP, IDS_MEMORY_INFO},
    {IDC_TOTAL_MEMORY_LABEL, IDS_TOTAL_MEMORY},   {IDC_PROGRAM_MEMORY_LABEL, IDS_PROGRAM_MEMORY},
    {IDC_PROGRAM_USED_LABEL, IDS_PROGRAM_USED},   {IDC_PROGRAM_FREE_LABEL, IDS_PROGRAM_FREE},
    {IDC_STORAGE_MEMORY_LABEL, IDS_STORAGE_MEMORY}, {IDC_STORAGE_USED_LABEL, IDS_STORAGE_USED},
    {IDC_STORAGE_FREE_LABEL, IDS_STORAGE_FREE},   {IDC_FLASH_GROUP, IDS_FLASH_INFO},
    {IDC_DEVICE_STORAGE_LABEL, IDS_DEVICE_STORAGE}, {IDC_DEVICE_USED_LABEL, IDS_DEVICE_USED},
    {IDC_DEVICE_FREE_LABEL, IDS_DEVICE_FREE},     {IDC_CARD_STORAGE_LABEL, IDS_CARD_STORAGE},
    {IDC_CARD_USED_LABEL, IDS_CARD_USED},         {IDC_CARD_FREE_LABEL, IDS_CARD_FREE},
    {IDC_DEVICE_GROUP, IDS_DEVICE_INFO},          {IDC_MAKER_LABEL, IDS_MAKER},
    {IDC_PROCESSOR_LABEL, IDS_PROCESSOR},         {IDC_OS_LABEL, IDS_OS},
    {IDC_VERSION_LABEL, IDS_VERSION},
};
const int s_aidStorageValues[] = {
    IDC_DEVICE_TOTAL, IDC_DEVICE_USED, IDC_DEVICE_FREE, IDC_CARD_TOTAL, IDC_CARD_USED, IDC_CARD_FREE,
};
const int kScrollStep = 13;  // one row of the page

// The page is taller than the work area; these keep how far it is scrolled.
int s_yScroll;
int s_cyContent;

void ShowBattery(HWND hdlg, int idControl, BYTE bFlag, BYTE bPercent)
{
    WCHAR szFlag[21] = L"";
    WCHAR szText[41];
    LoadStringW(g_hInst, BatteryFlagStringId(bFlag), szFlag, ARRAYSIZE(szFlag));
    FormatBatteryText(szFlag, bPercent, szText, ARRAYSIZE(szText));
    SetDlgItemTextW(hdlg, idControl, szText);
}

void ShowPowerStatus(HWND hdlg)
{
    SYSTEM_POWER_STATUS_EX sps;
    ZeroMemory(&sps, sizeof(sps));
    GetSystemPowerStatusEx(&sps, TRUE);
    ShowBattery(hdlg, IDC_MAIN_BATTERY, sps.BatteryFlag, sps.BatteryLifePercent);
    ShowBattery(hdlg, IDC_BACKUP_BATTERY, sps.BackupBatteryFlag, sps.BackupBatteryLifePercent);
}

void ShowMemory(HWND hdlg)
{
    MEMORYSTATUS ms;
    ZeroMemory(&ms, sizeof(ms));
    ms.dwLength = sizeof(ms);
    GlobalMemoryStatus(&ms);
    STORE_INFORMATION si;
    ZeroMemory(&si, sizeof(si));
    GetStoreInformation(&si);
    double dblProgram = (double)ms.dwTotalPhys;
    double dblProgramFree = (double)ms.dwAvailPhys;
    double dblStore = (double)si.dwStoreSize;
    double dblStoreFree = (double)si.dwFreeSize;
    SetByteCountText(hdlg, IDC_PROGRAM_MEMORY, dblProgram);
    SetByteCountText(hdlg, IDC_PROGRAM_FREE, dblProgramFree);
    SetByteCountText(hdlg, IDC_PROGRAM_USED, dblProgram - dblProgramFree);
    SetByteCountText(hdlg, IDC_STORAGE_MEMORY, dblStore);
    SetByteCountText(hdlg, IDC_STORAGE_FREE, dblStoreFree);
    SetByteCountText(hdlg, IDC_STORAGE_USED, dblStore - dblStoreFree);
    SetByteCountText(hdlg, IDC_TOTAL_MEMORY, dblStore + dblProgram);
}

void SetNameOrUnknown(HWND hdlg, int idControl, LPCWSTR pszName)
{
    if (pszName)
        SetDlgItemTextW(hdlg, idControl, pszName);
    else
        SetStringText(hdlg, idControl, IDS_UNKNOWN);
}

void ShowDeviceInfo(HWND hdlg)
{
    WCHAR szOem[256];
    ZeroMemory(szOem, sizeof(szOem));
    SystemParametersInfoW(SPI_GETOEMINFO, 255, szOem, 0);
    szOem[ARRAYSIZE(szOem) - 1] = 0;
    SetDlgItemTextW(hdlg, IDC_MAKER, szOem);

    SYSTEM_INFO si;
    ZeroMemory(&si, sizeof(si));
    GetSystemInfo(&si);
    SetNameOrUnknown(hdlg, IDC_PROCESSOR, ProcessorName(si.dwProcessorType));

    OSVERSIONINFOW ovi;
    ZeroMemory(&ovi, sizeof(ovi));
    ovi.dwOSVersionInfoSize = sizeof(ovi);
    GetVersionExW(&ovi);
    SetNameOrUnknown(hdlg, IDC_OS, OsName(ovi.dwPlatformId));
    WCHAR szVersion[64];
    FormatVersionText(ovi.dwMajorVersion, ovi.dwMinorVersion, ovi.dwBuildNumber, szVersion, ARRAYSIZE(szVersion));
    SetDlgItemTextW(hdlg, IDC_VERSION, szVersion);
}

// Height of everything on the page, for scrolling.
int ContentHeight(HWND hdlg)
{
    int cy = 0;
    for (HWND hwnd = GetWindow(hdlg, GW_CHILD); hwnd; hwnd = GetWindow(hwnd, GW_HWNDNEXT)) {
        if (!(GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD))
            continue;
        RECT rc;
        GetWindowRect(hwnd, &rc);
        MapWindowPoints(nullptr, hdlg, (POINT *)&rc, 2);
        if (rc.bottom + s_yScroll > cy)
            cy = rc.bottom + s_yScroll;
    }
    return cy;
}

void ScrollPage(HWND hdlg, int dy)
{
    RECT rc;
    GetClientRect(hdlg, &rc);
    int yMax = s_cyContent - rc.bottom + 2;
    int yNew = s_yScroll + dy;
    if (yNew > yMax)
        yNew = yMax;
    if (yNew < 0)
        yNew = 0;
    if (yNew == s_yScroll)
        return;
    ScrollWindowEx(hdlg, 0, s_yScroll - yNew, nullptr, nullptr, nullptr, nullptr,
                   SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
    s_yScroll = yNew;
}

// The value fields are right-aligned statics. Wine draws the last glyph of
// some right-aligned texts up to 3 pixels past the width it measures, and the
// static cuts it off at its edge; these fields end their text 4 pixels
// inside the edge instead (the template gives them that room).
const int kValueMargin = 4;
WNDPROC s_pfnStaticProc;

void PaintValueField(HWND hwnd, HDC hdc)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    HBRUSH hbr = (HBRUSH)SendMessageW(GetParent(hwnd), WM_CTLCOLORSTATIC, (WPARAM)hdc, (LPARAM)hwnd);
    FillRect(hdc, &rc, hbr ? hbr : GetSysColorBrush(COLOR_WINDOW));
    WCHAR sz[64];
    GetWindowTextW(hwnd, sz, ARRAYSIZE(sz));
    HGDIOBJ hfontOld = SelectObject(hdc, (HFONT)SendMessageW(hwnd, WM_GETFONT, 0, 0));
    SetBkMode(hdc, TRANSPARENT);
    rc.right -= kValueMargin;
    DrawTextW(hdc, sz, -1, &rc, DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | DT_NOCLIP);
    SelectObject(hdc, hfontOld);
}

LRESULT CALLBACK ValueFieldProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        PaintValueField(hwnd, BeginPaint(hwnd, &ps));
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        PaintValueField(hwnd, (HDC)wp);
        return 0;
    }
    return CallWindowProcW(s_pfnStaticProc, hwnd, msg, wp, lp);
}

void SubclassValueFields(HWND hdlg)
{
    for (HWND hwnd = GetWindow(hdlg, GW_CHILD); hwnd; hwnd = GetWindow(hwnd, GW_HWNDNEXT)) {
        WCHAR szClass[16] = L"";
        GetClassNameW(hwnd, szClass, ARRAYSIZE(szClass));
        if (lstrcmpiW(szClass, L"Static") != 0 || (GetWindowLongW(hwnd, GWL_STYLE) & SS_TYPEMASK) != SS_RIGHT)
            continue;
        WNDPROC pfn = (WNDPROC)SetWindowLongPtrW(hwnd, GWLP_WNDPROC, (LONG_PTR)ValueFieldProc);
        if (pfn != ValueFieldProc)
            s_pfnStaticProc = pfn;
    }
}

BOOL OnInitDialog(HWND hdlg)
{
    if (!InitFullScreenDialog(hdlg) || !CreateSoftKeyBar(hdlg, IDR_BAR_SYSINFO))
        return FALSE;
    SubclassValueFields(hdlg);
    FillSysInfoLabels(hdlg);
    RefreshSysInfo(hdlg);
    g_hdlgSysInfo = hdlg;
    WCHAR szCaption[64];
    if (LoadStringW(g_hInst, IDS_SYSINFO_CAPTION, szCaption, ARRAYSIZE(szCaption)))
        SetWindowTextW(hdlg, szCaption);
    s_yScroll = 0;
    s_cyContent = ContentHeight(hdlg);
    SetFocus(hdlg);  // no control takes the focus: the page itself gets the arrows
    return FALSE;
}

BOOL OnKeyDown(HWND hdlg, UINT vk)
{
    if (vk != VK_UP && vk != VK_DOWN)
        return FALSE;
    ScrollPage(hdlg, vk == VK_DOWN ? kScrollStep : -kScrollStep);
    return TRUE;
}

BOOL OnCommand(HWND hdlg, UINT id)
{
    switch (id) {
    case IDM_REFRESH: RefreshSysInfo(g_hdlgSysInfo); return TRUE;
    case IDM_TASK_MANAGER: RunDialogFromTemplate(g_hInst, IDD_TASKS, hdlg, TaskManagerDlgProc, 0); return TRUE;
    case IDM_SPACE_MANAGER: RunDialogFromTemplate(g_hInst, IDD_SPACE, hdlg, SpaceManagerDlgProc, 0); return TRUE;
    case IDM_QUIT: EndDialog(hdlg, 0); return TRUE;
    case IDCANCEL: SHNavigateBack(); return TRUE;  // Back goes to the shell; the page stays
    }
    return FALSE;
}
} // namespace

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void SetStringText(HWND hdlg, int idControl, UINT ids)
{
    WCHAR sz[64];
    if (LoadStringW(g_hInst, ids, sz, ARRAYSIZE(sz)))
        SetDlgItemTextW(hdlg, idControl, sz);
}

void SetByteCountText(HWND hdlg, int idControl, double dblBytes)
{
    WCHAR sz[32];
    FormatByteCount(dblBytes, sz, ARRAYSIZE(sz));
    SetDlgItemTextW(hdlg, idControl, sz);
}

void FillSysInfoLabels(HWND hdlg)
{
    for (const LabelText &label : s_aLabels)
        SetStringText(hdlg, label.idControl, label.ids);
    for (int idControl : s_aidStorageValues)
        SetStringText(hdlg, idControl, IDS_UNKNOWN);
}

void RefreshSysInfo(HWND hdlg)
{
    ShowPowerStatus(hdlg);
    ShowMemory(hdlg);
    ShowFlashStorage(hdlg);
    ShowDeviceInfo(hdlg);
}

INT_PTR CALLBACK SysInfoDlgProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp)
{
    (void)lp;
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog(hdlg);
    case WM_ACTIVATE:
        // The page keeps the focus itself (a group box would take it otherwise).
        if (LOWORD(wp) != WA_INACTIVE)
            SetFocus(hdlg);
        return TRUE;
    case WM_SETFOCUS:
        return TRUE;
    case WM_GETDLGCODE:
        // Nothing on the page takes the focus: the arrows scroll it.
        SetWindowLongPtrW(hdlg, DWLP_MSGRESULT, DLGC_WANTARROWS);
        return TRUE;
    case WM_KEYDOWN:
        return OnKeyDown(hdlg, (UINT)wp);
    case WM_COMMAND:
        return OnCommand(hdlg, LOWORD(wp));
    }
    return FALSE;
}
