// The stand-in platform's own interface: device profile, test hooks, handset
// controls. Programs never call these; tests and the launcher tools do.
#pragma once
#include <windows.h>

// Geometry of the emulated handset.
#define PHONE_CX        176
#define PHONE_CY        220
#define PHONE_STRIP_CY  20      // shell title strip at the top
#define PHONE_BAR_CY    20      // soft-key bar at the bottom
#define PHONE_WORK_Y    PHONE_STRIP_CY
#define PHONE_WORK_CY   (PHONE_CY - PHONE_STRIP_CY - PHONE_BAR_CY)

// The object store's drive: the launcher maps the profile's store/ there
// (STORE_DRIVE in ./phone), and every handset path means a file on it.
#define PLAT_STORE_DRIVE L"P:"

// The handset's HKEY_CLASSES_ROOT (file associations): a key of its own, so
// that Wine's classes, which start host programs, are never among them.
#define PLAT_CLASSES_ROOT HKEY_LOCAL_MACHINE
#define PLAT_CLASSES_KEY  L"Software\\Handset\\Classes"

// Window classes of the shell itself (never a program's window).
#define PLAT_BAR_CLASS   L"menu_worker"
#define PLAT_STRIP_CLASS L"PhoneTitleStrip"

#ifdef __cplusplus
extern "C" {
#endif

// Message boxes: a hook sees every box instead of the user and answers it.
typedef int (CALLBACK *PLATMSGBOXHOOK)(HWND hwnd, LPCWSTR pszText, LPCWSTR pszCaption, UINT uType);
PLATMSGBOXHOOK WINAPI PlatSetMessageBoxHook(PLATMSGBOXHOOK pfn);

// Profile folder (Windows path, no trailing backslash); empty when none.
LPCWSTR WINAPI PlatProfileDir(void);
// Re-reads PHONE_PROFILE and forgets cached profile data (tests).
void WINAPI PlatProfileReset(void);
// Full path of the trace file NKDbgPrintfW appends to.
BOOL WINAPI PlatTraceFilePath(LPWSTR pszPath, DWORD cchPath);

// Soft-key bar of a window: the visible bar owned by hwnd (or NULL).
HWND WINAPI PlatFindSoftKeyBar(HWND hwndParent);
// Presses soft key 0 (left) or 1 (right) of a bar, as the key would.
BOOL WINAPI PlatPressSoftKey(HWND hwndBar, int iKey);
// Label of soft key 0 or 1 as shown; FALSE when the key does not exist.
BOOL WINAPI PlatGetSoftKeyLabel(HWND hwndBar, int iKey, LPWSTR pszLabel, int cchLabel);
// Command id of a soft key and whether it is enabled.
BOOL WINAPI PlatGetSoftKeyInfo(HWND hwndBar, int iKey, UINT *puCmd, BOOL *pfEnabled, BOOL *pfDropDown);

// Storage cards: out of the store into the profile's "removed-cards" and back.
BOOL WINAPI PlatInsertCard(LPCWSTR pszName);
BOOL WINAPI PlatRemoveCard(LPCWSTR pszName);

// CE databases: volumes mounted plus database handles not yet closed.
LONG WINAPI PlatCeDbOpenCount(void);

// OBEX devices bound (BindToDevice) and not yet released.
LONG WINAPI PlatObexDeviceCount(void);

// Message-box soft keys: labels and answers for a box type (tests, drawing).
int WINAPI PlatMessageBoxSoftKeys(UINT uType, int aidAnswer[2], LPCWSTR apszLabel[2]);

// The OBEX receive service's whole run (obexsvc.exe); its exit code.
int WINAPI PlatRunObexService(void);

#ifdef __cplusplus
}

#include <string>
#include <nlohmann/json.hpp>

// One JSON file of the profile ("sim.json", ...). A missing file reads as
// an empty object. A damaged one stops the program at start; met during the
// run it is reported once with a message naming it, reads as false (j an
// empty object) and is not replaced by a save until it reads whole again.
bool PlatProfileRead(const wchar_t *pszName, nlohmann::json &j);
// The same for a reader that takes a damaged file as an empty one.
nlohmann::json PlatProfileLoad(const wchar_t *pszName);
// Atomic save: temp file, then rename over the old one.
BOOL PlatProfileSave(const wchar_t *pszName, const nlohmann::json &j);
// Full path of a profile file.
std::wstring PlatProfilePath(const wchar_t *pszName);

// Typed, bounded reading of a member (profvalue.cpp): missing, of another
// type or out of range, it reads as the default given; none of these throws.
// An object or array member, or a shared empty one.
const nlohmann::json &PlatProfileObject(const nlohmann::json &j, const char *pszKey);
const nlohmann::json &PlatProfileArray(const nlohmann::json &j, const char *pszKey);
// A whole number from ullMin to ullMax (a negative or fractional one is not).
ULONGLONG PlatProfileNumber(const nlohmann::json &j, const char *pszKey, ULONGLONG ullMin, ULONGLONG ullMax,
                            ULONGLONG ullDefault);
bool PlatProfileFlag(const nlohmann::json &j, const char *pszKey, bool fDefault);
// A text of at most cchMax UTF-16 characters; "" stays "".
std::wstring PlatProfileText(const nlohmann::json &j, const char *pszKey, size_t cchMax, const wchar_t *pszDefault);
#endif
