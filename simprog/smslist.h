// The message lists' shared pieces: the SMS record array, the list subclass,
// the preview and the free-slot counter of the Inbox copy.
#pragma once
#include <windows.h>
#include <simmgr.h>

#define SMS_NO_ROW 0xFFFFFFFF

// One row of a message list.
struct SmsRecord {
    DWORD index;         // SIM index (1 .. SMS total), 0 for a free record; Inbox copy: row number
    WCHAR name[256];
    WCHAR address[256];  // the row's text
    WCHAR text[256];
};

// The SMS record array is g_pSmsRecords (morlin.h), g_cSmsRecords records long.
extern DWORD g_cSmsRecords;
extern HWND g_hwndSMS;          // the list of the open message dialog
extern HWND g_hwndSmsPreview;   // the field under it that shows the marked text
extern DWORD g_dwCurrentIndex;  // row open in Edit SMS, SMS_NO_ROW otherwise
extern DWORD SmsFreeSlotCount;
extern HWND g_hwndSmsFreeSlots; // the Inbox copy's free-slot field, or null

inline SmsRecord *SmsRecords() { return (SmsRecord *)g_pSmsRecords; }
// Releases the array, then allocates cRecords cleared records (none for 0).
BOOL AllocSmsRecords(DWORD cRecords);
void ReleaseSmsRecords();
// SMS used and SMS total from the SIM (traced).
void RefreshSmsCounters();

// The list g_hwndSMS (cyList high, one column cxColumn wide) at the dialog's
// top left and the preview field g_hwndSmsPreview under it, in the fonts of
// both message dialogs; the release lets go of them when the dialog ends.
void CreateSmsListAndPreview(HWND hdlg, int cyList, int cxColumn, int yPreview, int cxPreview, int cyPreview);
void ReleaseSmsListAndPreview();

BOOL ReadSMSfromSIM(HWND hwndList);
// Stores a read message in the first free record, else at dwPosition; the
// array grows by one for a position just past its end. FALSE: not stored.
BOOL AddSmsRecord(DWORD dwPosition, DWORD dwIndex, const SIMMESSAGE *pMessage);
void RemoveSmsRecord(DWORD dwRow);
// One row per message read, in the array's order.
void FillSmsList(HWND hwndList);
BOOL ShowSelectedMessage(int iRow);
void ShowSmsFreeSlots();
LRESULT CALLBACK smslistviewproc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
// Subclasses a message list with smslistviewproc.
void SubclassSmsList(HWND hwndList);

INT_PTR CALLBACK SmsManagerProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK EditSmsProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK SmsContentEditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
void UpdateCharCounter();

// Inbox/SMS -> SIM (dialog 126 with bar 128).
INT_PTR CALLBACK InboxCopyProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp);
// The check-box list of the Inbox's short messages, the preview and the
// free-slot field; NULL when the Inbox gave no short message.
HWND CreateInboxList(HWND hdlg, HWND *phwndPreview, HWND *phwndFreeSlots);
// Lists the Inbox's short messages into the list and the SMS record array;
// TRUE when at least one was listed.
BOOL LoadInboxMessages(HWND hwndList);
// A sender's number that a short message can come from: digits, "+", "p",
// "w" and blanks only (an empty one too); an e-mail address is not.
BOOL IsSmsSenderNumber(LPCWSTR pszNumber);
