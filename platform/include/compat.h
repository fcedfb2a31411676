// Force-included into program code. Maps the few desktop calls that behave
// differently on the handset to the platform's versions. Keep this list short:
//   SetForegroundWindow  low bit set: bring the window's last active pop-up forward
//   DialogBoxIndirectParamW  the keys go back to the window the dialog or box was opened from
//   NKDbgPrintfW         kernel debug output, also appended to the profile's trace file
//   MessageBoxW          handset message box (soft keys); tests can record and answer it
//   GetDiskFreeSpaceExW  a storage card's capacity comes from the profile, its use from its files
//   FindFirstFileW,      the object store lists no "." and ".." entries, and a pattern matches
//   FindNextFileW,       long names only (Wine also matches the 8.3 names it makes up)
//   FindClose
//   the file calls       FindFirstFileW, GetDiskFreeSpaceExW, CreateFileW, CopyFileW, MoveFileW,
//                        DeleteFileW, CreateDirectoryW, RemoveDirectoryW, Get/SetFileAttributesW
//                        take only handset paths ("\..."): a drive, "\\" or "\\?\" would reach
//                        the host through Wine, so they fail with ERROR_BAD_PATHNAME. A handset
//                        path means the store whatever the working folder, and a device name in
//                        it ("COM1", "nul.txt") is an ordinary file. Test code
//                        (PHONE_HOST_FILES) sets up its store and profile with the host's calls.
//   CreateProcessW       as on the handset: a store program (a Windows program file ".exe") and
//                        its arguments only, started in the store's root
//   GlobalMemoryStatus   program memory (total and available) from the profile
//   SystemParametersInfoW  action 258 (SPI_GETOEMINFO): the maker's text from the profile
//   GetSystemInfo        processor type from the profile (the handset's ARM core)
//   GetVersionExW        platform id 3 (Windows CE), 4.20 and the build from the profile
//   SHGetSpecialFolderPathW  documents (5) and Start menu (11) are the handset's folders
//   SHGetFileInfoW       takes handset paths, which Wine's shell parses only with a drive
//   GetModuleFileNameW   also takes a process id in place of a module, as CE does
//   OpenProcess          CE ignores the access rights (it is called with 0)
// CE-only calls (GetSystemPowerStatusEx, GetStoreInformation) are in cesystem.h.
//   SHCreateShortcut     the handset's shortcut file: "LENGTH#TARGET" as text (docs/profile.md)
//   ShellExecuteExW      as the handset's shell: a ".lnk" leads to its target, a store ".exe" runs,
//                        any other file opens with the handset's association (PLAT_CLASSES_KEY)
//                        or fails with ERROR_NO_ASSOCIATION; never with Wine's shell
//   CoCreateInstance     the handset's own classes (the contacts application object, the OBEX
//                        objects) come from the platform
//   DeviceIoControl      the OBEX driver "OBX0:" (CreateFileW opens it) answers its control codes
//   CloseHandle          also closes the OBEX driver and a CE database handle (windbase.h)
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
#include <winsock2.h>  // before windows.h, for the OBEX link's sockets
#include <windows.h>
#include <shlobj.h>
#include <shellapi.h>

#ifdef __cplusplus
extern "C" {
#endif
BOOL WINAPI PlatSetForegroundWindow(HWND hwnd);
INT_PTR WINAPI PlatDialogBoxIndirectParamW(HINSTANCE hinst, LPCDLGTEMPLATEW ptmpl, HWND hwndOwner, DLGPROC pfnProc,
                                           LPARAM lParam);
int  WINAPI PlatMessageBoxW(HWND hwnd, LPCWSTR pszText, LPCWSTR pszCaption, UINT uType);
void NKDbgPrintfW(LPCWSTR pszFormat, ...);
BOOL WINAPI PlatGetDiskFreeSpaceExW(LPCWSTR pszPath, PULARGE_INTEGER pcbFreeToCaller, PULARGE_INTEGER pcbTotal,
                                    PULARGE_INTEGER pcbFree);
HANDLE WINAPI PlatFindFirstFileW(LPCWSTR pszPattern, LPWIN32_FIND_DATAW pfd);
BOOL WINAPI PlatFindNextFileW(HANDLE hFind, LPWIN32_FIND_DATAW pfd);
BOOL WINAPI PlatFindClose(HANDLE hFind);
HANDLE WINAPI PlatCreateFileW(LPCWSTR pszPath, DWORD dwAccess, DWORD dwShare, LPSECURITY_ATTRIBUTES psa,
                              DWORD dwCreation, DWORD dwFlags, HANDLE hTemplate);
BOOL WINAPI PlatCopyFileW(LPCWSTR pszFrom, LPCWSTR pszTo, BOOL fFailIfExists);
BOOL WINAPI PlatMoveFileW(LPCWSTR pszFrom, LPCWSTR pszTo);
BOOL WINAPI PlatDeleteFileW(LPCWSTR pszPath);
BOOL WINAPI PlatCreateDirectoryW(LPCWSTR pszPath, LPSECURITY_ATTRIBUTES psa);
BOOL WINAPI PlatRemoveDirectoryW(LPCWSTR pszPath);
DWORD WINAPI PlatGetFileAttributesW(LPCWSTR pszPath);
BOOL WINAPI PlatSetFileAttributesW(LPCWSTR pszPath, DWORD dwAttributes);
void WINAPI PlatGlobalMemoryStatus(LPMEMORYSTATUS pms);
BOOL WINAPI PlatSystemParametersInfoW(UINT uiAction, UINT uiParam, PVOID pvParam, UINT fWinIni);
void WINAPI PlatGetSystemInfo(LPSYSTEM_INFO psi);
BOOL WINAPI PlatGetVersionExW(LPOSVERSIONINFOW pvi);
BOOL WINAPI PlatSHGetSpecialFolderPathW(HWND hwnd, LPWSTR pszPath, int csidl, BOOL fCreate);
DWORD WINAPI PlatGetModuleFileNameW(HMODULE hmod, LPWSTR pszPath, DWORD cchPath);
HANDLE WINAPI PlatOpenProcess(DWORD dwAccess, BOOL fInherit, DWORD dwPid);
DWORD_PTR WINAPI PlatSHGetFileInfoW(LPCWSTR pszPath, DWORD dwAttributes, SHFILEINFOW *psfi, UINT cbInfo,
                                    UINT uFlags);
BOOL WINAPI PlatSHCreateShortcut(LPWSTR pszShortcut, LPWSTR pszTarget);
BOOL WINAPI PlatShellExecuteExW(LPSHELLEXECUTEINFOW pei);
BOOL WINAPI PlatCreateProcessW(LPCWSTR pszImageName, LPWSTR pszCmdLine, LPSECURITY_ATTRIBUTES psaProcess,
                               LPSECURITY_ATTRIBUTES psaThread, BOOL fInheritHandles, DWORD dwFlags,
                               LPVOID pvEnvironment, LPCWSTR pszCurDir, LPSTARTUPINFOW psi, LPPROCESS_INFORMATION ppi);
BOOL WINAPI PlatCloseHandle(HANDLE h);
HRESULT WINAPI PlatCoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid,
                                    LPVOID *ppv);
BOOL WINAPI PlatDeviceIoControl(HANDLE h, DWORD dwCode, LPVOID pvIn, DWORD cbIn, LPVOID pvOut, DWORD cbOut,
                                LPDWORD pcbReturned, LPOVERLAPPED pov);
#ifdef __cplusplus
}
#endif

#ifndef PLATFORM_BUILD
#undef SetForegroundWindow
#define SetForegroundWindow PlatSetForegroundWindow
#undef DialogBoxIndirectParamW
#define DialogBoxIndirectParamW PlatDialogBoxIndirectParamW
#undef DialogBoxIndirectParam
#define DialogBoxIndirectParam PlatDialogBoxIndirectParamW
#undef MessageBoxW
#define MessageBoxW PlatMessageBoxW
#undef MessageBox
#define MessageBox PlatMessageBoxW
#undef GlobalMemoryStatus
#define GlobalMemoryStatus PlatGlobalMemoryStatus
#undef SystemParametersInfoW
#define SystemParametersInfoW PlatSystemParametersInfoW
#undef SystemParametersInfo
#define SystemParametersInfo PlatSystemParametersInfoW
#undef GetSystemInfo
#define GetSystemInfo PlatGetSystemInfo
#undef GetVersionExW
#define GetVersionExW PlatGetVersionExW
#undef GetVersionEx
#define GetVersionEx PlatGetVersionExW
#undef SHGetSpecialFolderPathW
#define SHGetSpecialFolderPathW PlatSHGetSpecialFolderPathW
#undef SHGetSpecialFolderPath
#define SHGetSpecialFolderPath PlatSHGetSpecialFolderPathW
#undef SHGetFileInfoW
#define SHGetFileInfoW PlatSHGetFileInfoW
#undef SHGetFileInfo
#define SHGetFileInfo PlatSHGetFileInfoW
#undef GetModuleFileNameW
#define GetModuleFileNameW PlatGetModuleFileNameW
#undef GetModuleFileName
#define GetModuleFileName PlatGetModuleFileNameW
#undef OpenProcess
#define OpenProcess PlatOpenProcess
#undef CoCreateInstance
#define CoCreateInstance PlatCoCreateInstance
#undef DeviceIoControl
#define DeviceIoControl PlatDeviceIoControl
#undef CloseHandle
#define CloseHandle PlatCloseHandle
#define SHCreateShortcut PlatSHCreateShortcut
#undef ShellExecuteExW
#define ShellExecuteExW PlatShellExecuteExW
#undef ShellExecuteEx
#define ShellExecuteEx PlatShellExecuteExW
#ifndef PHONE_HOST_FILES
#undef GetDiskFreeSpaceExW
#define GetDiskFreeSpaceExW PlatGetDiskFreeSpaceExW
#undef FindFirstFileW
#define FindFirstFileW PlatFindFirstFileW
#undef FindNextFileW
#define FindNextFileW PlatFindNextFileW
#define FindClose PlatFindClose
#undef CreateFileW
#define CreateFileW PlatCreateFileW
#undef CopyFileW
#define CopyFileW PlatCopyFileW
#undef MoveFileW
#define MoveFileW PlatMoveFileW
#undef DeleteFileW
#define DeleteFileW PlatDeleteFileW
#undef CreateDirectoryW
#define CreateDirectoryW PlatCreateDirectoryW
#undef RemoveDirectoryW
#define RemoveDirectoryW PlatRemoveDirectoryW
#undef GetFileAttributesW
#define GetFileAttributesW PlatGetFileAttributesW
#undef SetFileAttributesW
#define SetFileAttributesW PlatSetFileAttributesW
#undef CreateProcessW
#define CreateProcessW PlatCreateProcessW
#endif
#endif
#endif
