// Texts and figures of the system-information pages.
#include "sysformat.h"
#include "../res/ostrel/resource.h"
#include "cesystem.h"
#include <strsafe.h>
#include <wchar.h>

void FormatByteCount(double dblBytes, LPWSTR pszText, size_t cchText)
{
    // The thresholds are 1000 while the factor is 1024, so 1000 B reads 0.98 KB.
    if (dblBytes < 1000) {
        StringCchPrintfW(pszText, cchText, L"%d B", (int)dblBytes);
        return;
    }
    double dblKb = dblBytes * 0.0009765625;
    if (dblKb < 1000) {
        StringCchPrintfW(pszText, cchText, L"%.2f KB", dblKb);
        return;
    }
    StringCchPrintfW(pszText, cchText, L"%.2f MB", dblKb / 1024);
}

UINT BatteryFlagStringId(BYTE bFlag)
{
    switch (bFlag) {
    case BATTERY_FLAG_HIGH:
        return IDS_BATTERY_HIGH;
    case BATTERY_FLAG_LOW:
        return IDS_BATTERY_LOW;
    case BATTERY_FLAG_CRITICAL:
        return IDS_BATTERY_CRITICAL;
    case BATTERY_FLAG_CHARGING:
        return IDS_BATTERY_CHARGING;
    }
    return IDS_BATTERY_UNKNOWN;
}

void FormatBatteryText(LPCWSTR pszFlag, int iPercent, LPWSTR pszText, size_t cchText)
{
    WCHAR szFlag[21];
    WCHAR szText[41];
    StringCchCopyW(szFlag, ARRAYSIZE(szFlag), pszFlag);  // cut, not refused
    StringCchPrintfW(szText, ARRAYSIZE(szText), L"%s(%d%%)", szFlag, iPercent);
    StringCchCopyW(pszText, cchText, szText);
}

LPCWSTR ProcessorName(DWORD dwProcessorType)
{
    switch (dwProcessorType) {
    case PROCESSOR_ARM720:
        return L"ARM720";
    case PROCESSOR_STRONGARM:
        return L"StrongARM";
    }
    return nullptr;
}

LPCWSTR OsName(DWORD dwPlatformId)
{
    return dwPlatformId == VER_PLATFORM_WIN32_CE ? L"Windows CE" : nullptr;
}

void FormatVersionText(DWORD dwMajor, DWORD dwMinor, DWORD dwBuild, LPWSTR pszText, size_t cchText)
{
    // The trailing 0 is the platform's habit: minor version 20 reads "4.200".
    StringCchPrintfW(pszText, cchText, L"%d.%d0 (Build %d)", (int)dwMajor, (int)dwMinor, (int)dwBuild);
}

BOOL DeviceStorageName(LPCWSTR pszDocuments, LPWSTR pszName, size_t cchName)
{
    if (!pszDocuments || !cchName)
        return FALSE;
    pszName[0] = 0;
    LPCWSTR psz = pszDocuments[0] == L'\\' ? pszDocuments + 1 : pszDocuments;
    LPCWSTR pszEnd = wcschr(psz, L'\\');
    size_t cch = pszEnd ? (size_t)(pszEnd - psz) : wcslen(psz);
    if (cch == 0 || cch >= cchName || cch >= MAX_PATH)
        return FALSE;
    return SUCCEEDED(StringCchCopyNW(pszName, cchName, psz, cch));
}

BOOL IsDeviceStorage(LPCWSTR pszCard, LPCWSTR pszDevice)
{
    size_t cch = wcslen(pszDevice);
    if (cch == 0 || _wcsnicmp(pszCard, pszDevice, cch) != 0)
        return FALSE;
    // A whole folder name only: "Storage" is not the card "Storage Card".
    return pszCard[cch] == 0 || pszCard[cch] == L'\\';
}

int UsagePercent(ULONGLONG cbTotal, ULONGLONG cbUsed)
{
    if (cbTotal == 0)
        return 0;
    if (cbUsed > cbTotal)
        cbUsed = cbTotal;
    // Two steps so that used * 100 cannot overflow for any size.
    return (int)(cbUsed / cbTotal * 100 + (cbUsed % cbTotal) * 100 / cbTotal);
}
