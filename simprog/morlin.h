// Morlin's process-wide state and the functions its screens share.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <simmgr.h>

#define MORLIN_CLASS L"Morlin"

struct IPOutlookApp;

// Private messages to the main window: the SIM's threads hand list work
// to the UI thread, which alone touches the list.
#define WM_MORLIN_FILLLIST     (WM_APP + 1)
#define WM_MORLIN_PBDELETED    (WM_APP + 2)
#define WM_MORLIN_STARTFAILED  (WM_APP + 3)

extern HWND g_hwndMain;
extern HWND g_hwndPhoneBookList;
extern WCHAR g_szTitle[20];
extern WCHAR g_szSmsTitle[20];
extern WCHAR g_szMessage[256];
extern HSIM g_hSim;
extern SIMCAPS g_SimCaps;
extern DWORD g_dwMaxNameLength;
extern DWORD g_dwMaxNumberLength;
extern WORD g_wMarkedIndex;
extern IPOutlookApp *g_pPoomApp;
extern DWORD g_dwSmsUsed;
extern DWORD g_dwSmsTotal;
extern HWND g_hwndProgress;
extern HICON g_hIconPhoneBook;
extern HICON g_hIconSms;
extern void *g_pContactRecords;  // Contacts transfer rows
extern void *g_pSmsRecords;      // SIM message rows

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// Message box with the window title as caption and a string-table text.
int ShowMorlinMessage(HWND hwndOwner, UINT ids, UINT uType);
// The SIM message screens' box: the SMS title as caption, no owner.
int ShowSmsMessage(UINT ids, UINT uType);
// Same, with the text's "%1" replaced by pszInsert (at most cchMax characters).
int AskMorlinQuestion(UINT ids, LPCWSTR pszInsert, size_t cchMax, UINT uType);
// Full-screen dialog with its bar, title and Back override; on failure the
// program ends (PostQuitMessage) and NULL comes back.
HWND InitMorlinScreen(HWND hdlg, UINT idBar, UINT idsTitle);
void SetStringText(HWND hdlg, int id, UINT ids);
// SYSTEM_FONT of a weight in the face's own width, optionally with another height.
HFONT CreateSystemFontOf(LONG lWeight, LONG lHeight);
// The same in bold (weight 700).
HFONT CreateBoldSystemFont(LONG lHeight);

// Start-up thread and SIM notifications.
DWORD WINAPI SimStartupThread(LPVOID pvMainWindow);
void SimNotifyCallback(DWORD dwCode, const void *pvData, DWORD cbData, DWORD dwParam);

// "Please wait..." dialog.
HWND ProgressDialog(HWND hwndOwner);
BOOL ShowProgress(int iDone, int iTotal);
void DestroyProgressDialog(HWND hdlg);

// Contacts connection.
BOOL InitPOOM();
void ClosePOOM();

// Commands of the later screens: routed here, handled elsewhere.
void RouteTransferCommand(HWND hwnd, UINT id);

// Phone-book screens.
INT_PTR CALLBACK NewEntryProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK EditEntryProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp);
BOOL EditPhoneBook(WORD wIndex, LPCWSTR pszName, LPCWSTR pszNumber);
BOOL DeletePhoneBookEntry(WORD wIndex);
void DialPhoneBookEntry(LPCWSTR pszNumber);
void DialMarkedEntry();
// Appends "p" or "w" to a number field and puts the caret at its end.
void AppendDialCharacter(HWND hwndEdit, WCHAR ch);

// Storage screens.
INT_PTR CALLBACK SimNumberProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK SimStatusProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp);
DWORD GetIPSMAvailableSpace();
// Font height of the own number: 272 / length, at most 24.
LONG OwnNumberFontHeight(size_t cch);
#define IPSM_MIN_FREE 102400
// Slots a SIM storage has free; one that reports more used than total is full.
DWORD FreeSlotsOf(DWORD dwUsed, DWORD dwTotal);

// SIM and Contacts transfer (dialog 124 in two roles).
INT_PTR CALLBACK SaveSIM2Contacts(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK SaveContact2SIM(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp);
BOOL AddEntryToContacts(LPCWSTR pszName, LPCWSTR pszNumber);
// Icon 116 at x on the first ten rows of a phone-book list.
void PaintRowIcons(HWND hwndList, int x);
