// The space manager: the device storage with its bar, and the erases of voice
// notes, speed dial, call history and the messaging stores' folders.
#pragma once
#include <windows.h>

// Erase All sends the single erases with this second parameter: no question.
#define SPACE_NO_QUESTION 11

// The wait cursor for the length of an erase.
class WaitCursor {
    HCURSOR m_hcurOld;

public:
    WaitCursor() : m_hcurOld(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(m_hcurOld); }
};

// A question of the space manager; only Yes goes on (a box that cannot show answers 0).
BOOL ConfirmErase(HWND hdlg, UINT idsQuestion);

INT_PTR CALLBACK SpaceManagerDlgProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp);
// The message-erase dialog (template 104): a store and a folder, or "All".
INT_PTR CALLBACK MessageEraseDlgProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp);

