// Shared inside the platform stand-in only.
#pragma once
#include <windows.h>
#include "platform.h"

struct PlatSoftKey {
    UINT uCmd;
    BOOL fDropDown;
    BOOL fEnabled;
    int iPopup;
    WCHAR szLabel[32];
};

// Creates a soft-key bar for hwndParent from a ready key table (message boxes).
HWND PlatCreateBar(HWND hwndParent, HINSTANCE hinst, HMENU hMenu, const PlatSoftKey *pKeys, int cKeys);
// Back key on the active window: TRUE when the bar consumed it.
BOOL PlatBarHandleBack(HWND hwndActive);
// The handset's default Back on a top-level window.
void PlatDefaultBack(HWND hwndTop);
// Moves the focus for UP/DOWN in a full-screen dialog; TRUE when it moved.
BOOL PlatDialogArrow(HWND hwndFocus, BOOL fUp);
// Writes a file whole or not at all: a temp file beside it, renamed over it.
BOOL PlatSaveFileAtomic(const std::wstring &path, const std::string &text);
// A profile file's write time and size (all zero when it is missing); a
// stamp taken before a read that still matches means the file is unchanged.
struct PlatFileStamp {
    ULONGLONG ullWrite;
    ULONGLONG ullSize;
    bool fExists;
    bool operator==(const PlatFileStamp &o) const
    {
        return ullWrite == o.ullWrite && ullSize == o.ullSize && fExists == o.fExists;
    }
};
PlatFileStamp PlatProfileStamp(const wchar_t *pszName);
// Ends with a message naming the damaged profile file.
void PlatProfileFatal(const std::wstring &path, const char *pszWhy);
// Writes a line to the process's standard error (the launcher shows it).
void PlatStdErr(const wchar_t *psz);
// A handset path: one "\" first, no drive, no "\\" or "\\?\", not "\??\" (files.cpp).
BOOL PlatIsHandsetPath(LPCWSTR pszPath);
// Where every file call starts: FALSE, with ERROR_BAD_PATHNAME, for a path
// the handset cannot name.
BOOL PlatAdmitPath(LPCWSTR pszPath);
// "OBX0:", the OBEX driver's device name, and opening it (obexdriver.cpp).
BOOL PlatIsObexDriverName(LPCWSTR pszPath);
HANDLE PlatOpenObexDriver();
// The OBEX classes for CoCreateInstance; FALSE for any other class (obexobjects.cpp).
BOOL PlatCreateObexObject(REFCLSID rclsid, LPUNKNOWN pUnkOuter, REFIID riid, LPVOID *ppv, HRESULT *phr);
// CloseHandle forgets a handle in the driver's and the databases' tables.
void PlatForgetObexDriverHandle(HANDLE h);
void PlatForgetDatabaseHandle(HANDLE h);

#ifdef __cplusplus
#include <functional>
#include <string>
// The SIM's message storage (the "sms" member of sim.json) under the SIM
// service's lock, for the radio; fn gets the storage and its slot count and
// returns true when it changed it, which is then saved. Fails without a
// SIM or with the radio off, or when the save does not land.
HRESULT PlatSimSmsStorage(const std::function<bool(nlohmann::json &sms, DWORD dwTotal)> &fn);
// The radio is on (sim.json's "radio").
BOOL PlatSimRadioOn();
// The AT modem behind the radio: runs a command text as received and gives
// the whole reply; FALSE when its final result is an error (atmodem.cpp).
BOOL PlatModemRun(const std::string &command, std::string *pReply);
void PlatModemReset();
#endif
