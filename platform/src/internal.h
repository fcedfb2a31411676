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
// A shell window (bar, strip) that Wine activated, because the window above
// it ended, hands the front to the program window on top: the title strip
// and the soft keys are then that window's again.
// Such a window never takes activation from a click. Its procedure hands
// each message here first: TRUE when it was handled, with its result.
#define WM_PLAT_PASS_ACTIVATION (WM_APP + 0x2F1)
BOOL PlatShellWindowActivation(HWND hwnd, UINT msg, WPARAM wp, LRESULT *plResult);
// The path names a storage card's own folder, where the card is mounted
// (cards.cpp): it is neither moved nor removed, as on the handset.
BOOL PlatIsCardRoot(LPCWSTR pszPath);
// Moves the focus for UP/DOWN in a full-screen dialog; TRUE when it moved.
BOOL PlatDialogArrow(HWND hwndFocus, BOOL fUp);
// Writes a file whole or not at all: the temp file tmp (on the same disk,
// replaced if there), renamed over it.
BOOL PlatSaveFileAtomic(const std::wstring &path, const std::string &text, const std::wstring &tmp);
// Parses a JSON text; FALSE, with the reason, when it does not parse or nests
// arrays and objects deeper than the platform reads (profile.cpp).
bool PlatParseJson(const std::string &text, nlohmann::json &j, std::string *pWhy);
// Ends with a message naming the damaged profile file.
void PlatProfileFatal(const std::wstring &path, const char *pszWhy);
// Writes a line to the process's standard error (the launcher shows it).
void PlatStdErr(const wchar_t *psz);
// A handset path: one "\" first, no drive, no "\\" or "\\?\", not "\??\" (files.cpp).
BOOL PlatIsHandsetPath(LPCWSTR pszPath);
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
#include <utility>
#include <vector>
// Time and size of a file (zero when it is missing): either changing means
// it was written again.
struct PlatFileStamp {
    FILETIME ft;
    ULONGLONG cb;
    bool operator!=(const PlatFileStamp &o) const { return CompareFileTime(&ft, &o.ft) != 0 || cb != o.cb; }
};
PlatFileStamp PlatStampOf(const std::wstring &path);
// Where every file call starts: the host's name of a handset path in the
// store (files.cpp); FALSE, with ERROR_BAD_PATHNAME, for a path the handset
// cannot name.
BOOL PlatStorePath(LPCWSTR pszPath, std::wstring *pHost);
// The target of a handset shortcut file (its host name); FALSE when the file
// holds no "LENGTH#TARGET" (shortcut.cpp).
BOOL PlatReadShortcut(LPCWSTR pszHostPath, std::wstring *pTarget);
// "\"file\" args" or "file args" into the file and what follows it.
void PlatSplitCommand(const std::wstring &command, std::wstring *pFile, std::wstring *pArgs);
// The SIM's message storage (the "sms" member of sim.json) under the SIM
// service's lock, for the radio; fn gets the storage and its slot count and
// returns true when it changed it, which is then saved. Fails without a
// SIM or with the radio off, or when the save does not land.
HRESULT PlatSimSmsStorage(const std::function<bool(nlohmann::json &sms, DWORD dwTotal)> &fn);
// The radio is on (sim.json's "radio").
BOOL PlatSimRadioOn();
// The AT modem behind the radio, and serving it (platmodem.h).
#include "platmodem.h"
// sim.json's "modem" as written ("" when missing or no text).
std::string PlatSimModemName();
// An outside modem is named (by sim.json or the launcher) and this process
// does not serve its own.
BOOL PlatModemOutside();
enum PlatAtResult {
    PLATAT_OK,      // final result OK
    PLATAT_ERROR,   // ERROR, +CME ERROR, +CMS ERROR, ...
    PLATAT_SILENT,  // no final result in time
    PLATAT_GONE,    // cannot be reached, or went away
};
// One exchange with the outside modem, connected and set up on first use,
// all of it within dwTimeoutMs (nothing is sent once that has passed).
// command: lines ending in CR, a +CMGW or +CMGS line followed by its data up
// to Ctrl-Z. needs: settings ("+CSCS", "\"UCS2\"") the command relies on,
// sent first when the connection holds another value. The reply holds the
// commands' own lines and their final results, without echo or unsolicited
// lines.
PlatAtResult PlatModemExchange(const std::string &command, std::string *pReply, DWORD dwTimeoutMs,
                               const std::vector<std::pair<std::string, std::string>> &needs = {});
// Drops the connection (the next exchange connects again).
void PlatModemDisconnect();
// Appends one line to the profile's radio.log: the kind (">" received, "<"
// answered OK, "!" answered with an error, "-" dropped) and the text with
// control and non-ASCII bytes written as <CR>, <LF>, <SUB>, <xx> (radio.cpp).
void PlatRadioLog(const char *pszKind, const std::string &text);
#endif
