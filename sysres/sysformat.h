// Texts and figures of the system-information pages, as plain functions.
#pragma once
#include <windows.h>

// "%d B" below 1000 bytes, else "%.2f KB" below 1000 KB, else "%.2f MB" (factors of 1024).
void FormatByteCount(double dblBytes, LPWSTR pszText, size_t cchText);
// String id of a battery flag: one flag alone has a name, anything else is unknown.
UINT BatteryFlagStringId(BYTE bFlag);
// The flag's name (at most 20 characters) followed by "(NN%)", at most 40 characters.
void FormatBatteryText(LPCWSTR pszFlag, int iPercent, LPWSTR pszText, size_t cchText);
// Name of a processor type, or null when the page shows "Unknown".
LPCWSTR ProcessorName(DWORD dwProcessorType);
// Name of an operating-system platform id, or null for "Unknown".
LPCWSTR OsName(DWORD dwPlatformId);
// "4.200 (Build 1081)" for 4, 20, 1081.
void FormatVersionText(DWORD dwMajor, DWORD dwMinor, DWORD dwBuild, LPWSTR pszText, size_t cchText);

// The top-level folder that holds the documents folder ("\Storage\My Documents"
// gives "Storage"); FALSE when the path is empty or too long.
BOOL DeviceStorageName(LPCWSTR pszDocuments, LPWSTR pszName, size_t cchName);
// Whether a flash card's folder name is the device storage.
BOOL IsDeviceStorage(LPCWSTR pszCard, LPCWSTR pszDevice);
// Position of a 0..100 usage bar.
int UsagePercent(ULONGLONG cbTotal, ULONGLONG cbUsed);
