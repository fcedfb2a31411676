// Flash storage volumes from the storage-card enumeration; the device storage
// is the one that holds the documents folder.
#include "storage.h"
#include "sysinfo.h"
#include "sysformat.h"
#include "../res/ostrel/resource.h"
#include <commctrl.h>
#include <projects.h>

namespace {
struct VolumeSizes {
    ULONGLONG cbTotal;
    ULONGLONG cbFree;
};

BOOL ReadVolumeSizes(LPCWSTR pszCard, VolumeSizes *pvs)
{
    ULARGE_INTEGER uliTotal, uliFree;
    // Whole 64-bit figures: a card of 4 GiB must not read as empty.
    if (!GetDiskFreeSpaceExW(pszCard, nullptr, &uliTotal, &uliFree))
        return FALSE;
    pvs->cbTotal = uliTotal.QuadPart;
    pvs->cbFree = uliFree.QuadPart > uliTotal.QuadPart ? uliTotal.QuadPart : uliFree.QuadPart;
    return TRUE;
}

void ShowVolume(HWND hdlg, LPCWSTR pszCard, LPCWSTR pszDevice)
{
    VolumeSizes vs;
    if (!ReadVolumeSizes(pszCard, &vs))
        return;  // the card went out since the enumeration
    BOOL fDevice = IsDeviceStorage(pszCard, pszDevice);
    SetByteCountText(hdlg, fDevice ? IDC_DEVICE_TOTAL : IDC_CARD_TOTAL, (double)vs.cbTotal);
    SetByteCountText(hdlg, fDevice ? IDC_DEVICE_USED : IDC_CARD_USED, (double)(vs.cbTotal - vs.cbFree));
    SetByteCountText(hdlg, fDevice ? IDC_DEVICE_FREE : IDC_CARD_FREE, (double)vs.cbFree);
}
} // namespace

BOOL GetDeviceStorageName(LPWSTR pszName, size_t cchName)
{
    WCHAR szDocuments[MAX_PATH] = L"";
    if (!SHGetSpecialFolderPath(nullptr, szDocuments, CSIDL_PERSONAL, FALSE))
        szDocuments[0] = 0;
    return DeviceStorageName(szDocuments, pszName, cchName);
}

void ShowFlashStorage(HWND hdlg)
{
    WCHAR szDevice[MAX_PATH];
    if (!GetDeviceStorageName(szDevice, ARRAYSIZE(szDevice)))
        return;
    WIN32_FIND_DATAW fd;
    HANDLE hFind = FindFirstFlashCard(&fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return;
    ShowVolume(hdlg, fd.cFileName, szDevice);
    // The page has room for two volumes: the device storage and one card.
    if (FindNextFlashCard(hFind, &fd))
        ShowVolume(hdlg, fd.cFileName, szDevice);
    FindClose(hFind);
}

void ShowDeviceStorageWithBar(HWND hdlg)
{
    WCHAR szDevice[MAX_PATH];
    if (!GetDeviceStorageName(szDevice, ARRAYSIZE(szDevice)))
        return;
    WIN32_FIND_DATAW fd;
    HANDLE hFind = FindFirstFlashCard(&fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return;
    BOOL fFound = FALSE;
    do {
        fFound = IsDeviceStorage(fd.cFileName, szDevice);
    } while (!fFound && FindNextFlashCard(hFind, &fd));
    FindClose(hFind);
    VolumeSizes vs;
    if (!fFound || !ReadVolumeSizes(fd.cFileName, &vs))
        return;
    ULONGLONG cbUsed = vs.cbTotal - vs.cbFree;
    SetByteCountText(hdlg, IDC_SPACE_TOTAL, (double)vs.cbTotal);
    SetByteCountText(hdlg, IDC_SPACE_USED, (double)cbUsed);
    SetByteCountText(hdlg, IDC_SPACE_FREE, (double)vs.cbFree);
    HWND hwndBar = GetDlgItem(hdlg, IDC_SPACE_BAR);
    SendMessageW(hwndBar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    SendMessageW(hwndBar, PBM_SETPOS, UsagePercent(vs.cbTotal, cbUsed), 0);
}
