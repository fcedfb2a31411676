// Force-included into program code. Maps the few desktop calls that behave
// differently on the handset to the platform's versions. Keep this list short:
//   SetForegroundWindow  low bit set: bring the window's last active pop-up forward
//   NKDbgPrintfW         kernel debug output, also appended to the profile's trace file
//   MessageBoxW          handset message box (soft keys); tests can record and answer it
//   GetDiskFreeSpaceExW  a storage card's capacity comes from the profile, its use from its files
//   CoCreateInstance     the handset's own classes (the contacts application object) come from the platform
#pragma once
#ifndef RC_INVOKED
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif
BOOL WINAPI PlatSetForegroundWindow(HWND hwnd);
int  WINAPI PlatMessageBoxW(HWND hwnd, LPCWSTR pszText, LPCWSTR pszCaption, UINT uType);
void NKDbgPrintfW(LPCWSTR pszFormat, ...);
BOOL WINAPI PlatGetDiskFreeSpaceExW(LPCWSTR pszPath, PULARGE_INTEGER pcbFreeToCaller, PULARGE_INTEGER pcbTotal,
                                    PULARGE_INTEGER pcbFree);
HRESULT WINAPI PlatCoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid,
                                    LPVOID *ppv);
#ifdef __cplusplus
}
#endif

#ifndef PLATFORM_BUILD
#undef SetForegroundWindow
#define SetForegroundWindow PlatSetForegroundWindow
#undef MessageBoxW
#define MessageBoxW PlatMessageBoxW
#undef MessageBox
#define MessageBox PlatMessageBoxW
#undef GetDiskFreeSpaceExW
#define GetDiskFreeSpaceExW PlatGetDiskFreeSpaceExW
#undef CoCreateInstance
#define CoCreateInstance PlatCoCreateInstance
#endif
#endif
