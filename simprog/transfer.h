// The SIM and Contacts transfer screens: the controls they build in dialog
// 124, the ticks of the list, and the candidate rows taken from Contacts.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include "listkit.h"

#define TICK_OFF 1  // state images of the check-box list
#define TICK_ON  2

// One candidate row of Contacts -> SIM; texts longer than the fields are cut.
#define CCH_CONTACT_NAME   64
#define CCH_CONTACT_NUMBER 128
struct ContactRecord {
    DWORD row;
    WCHAR name[CCH_CONTACT_NAME];
    WCHAR number[CCH_CONTACT_NUMBER];
};

#define NUMBERS_PER_CONTACT 9

// SIM phone-book slots still free while rows are ticked in Contacts -> SIM.
extern DWORD FreeSlotCount;

// Builds the list (with cCols columns), the number field and, when asked,
// the counter field; NULL when the list could not be made.
HWND CreateTransferControls(HWND hdlg, const ListColumn *pCols, int cCols, BOOL fCounter);
// Lets go of the fonts and handles of the controls above.
void ReleaseTransferControls();
// The number field shows the text, in a font that shrinks for long numbers.
BOOL ShowSelectedNumber(LPCWSTR pszNumber);
// The counter field shows FreeSlotCount.
void ShowFreeSlots();

BOOL IsRowTicked(HWND hwndList, int iRow);
void TickRow(HWND hwndList, int iRow, BOOL fTicked);
int CountTickedRows(HWND hwndList);
// Moves the selection mark one row up or down within the list; the new mark.
int StepSelectionMark(HWND hwndList, int iDelta);
// Makes a row the marked, selected and focused one (the only one selected).
void MarkRow(HWND hwndList, int iRow);
// The list takes the action key itself instead of the dialog's default button.
LRESULT TransferListDlgCode(WNDPROC pfnList, HWND hwnd, WPARAM wp, LPARAM lp);

// Fills the list with one row per contact number (ContactRecord r for row r);
// 1 when at least one row was made.
BOOL FillContactsList(HWND hwndList);
// Row r's record, or NULL when there is none.
const ContactRecord *ContactRecordAt(int iRow);
