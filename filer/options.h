// The file manager's options, last folder and sort choice in the registry.
#pragma once
#include <windows.h>

// The seven option flags, by their registry value names.
#define OPT_CONFIRM_OVERWRITE   "ConfirmOverwriteFiles"
#define OPT_CONFIRM_DELETE      "ConfirmDeleteFiles"
#define OPT_REMEMBER_FOLDER     "RememberLastOpenedFolder"
#define OPT_HIDE_HIDDEN         "HideHiddenFiles"
#define OPT_HIDE_EXTENSIONS     "HideFileExtensions"
#define OPT_SWITCH_TO_CARD      "SwitchToStorageCard"
#define OPT_SMALL_FONT          "SmallFont"

#define TAVEL_KEY         L"ControlPanel\\Tavel"
#define TAVEL_OPTIONS_KEY L"ControlPanel\\Tavel\\Options"

// The options map: built from the registry on first use, one per process.
int GetOption(const char *pszName);
// Stores the value in the map and in the registry at once.
void SetOption(const char *pszName, int iValue);

// Direct registry access for one flag: 0 or 1, the flag's default when missing.
int ReadOptionFlag(const char *pszName);
void WriteOptionFlag(const char *pszName, int iValue);

// LastFolder: empty string when missing or unusable.
void ReadLastFolder(WCHAR *pszFolder, size_t cchFolder);
void WriteLastFolder(LPCWSTR pszFolder);

// SortType as stored (default 1); NormalizeSortType maps 0 and above 4 to 1.
DWORD ReadSortType();
void WriteSortType(DWORD dwType);
int NormalizeSortType(DWORD dwType);
// Reminder period of the receive server (its key is spelled with a trailing
// backslash), in milliseconds, never under BEAM_TIMEOUT_MIN.
#define BEAM_TIMEOUT_MIN 1000
DWORD ReadBeamTimeout();

// SortOrder: 1 when stored as 1 or missing, else 0.
int ReadSortOrder();
void WriteSortOrder(DWORD dwOrder);
