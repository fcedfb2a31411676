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
