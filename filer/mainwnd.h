// The file manager's main window.
#pragma once
#include <windows.h>
#include "filelist.h"

#define TAVEL_CLASS L"TavelApp"

extern HWND g_hwndMain;
extern WCHAR g_szTitle[20];
extern CRITICAL_SECTION g_csTree;
extern HANDLE g_hShowTreeSelectEvent;

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

void PaintTitleStrip();
// Row index whose date is shown, -1 for none.
void PaintStatusStrip(int iRow);
// What the strips showed when last painted.
LPCWSTR GetTitleStripText();
LPCWSTR GetStatusStripCounts();
LPCWSTR GetStatusStripDate();
// Pixels between the end of the counts and the start of the date.
int GetStatusStripGap();

BOOL IsMultiSelectMode();
void RepaintStrips();
// Bars, list or tree as the current mode wants them.
void RestoreView();

// Mode and windows shared with the tree and file-operation modules.
BOOL IsTreeMode();
void SetTreeMode(BOOL fTree);
BOOL IsDestTreeShown();
void SetDestTreeShown(BOOL fShown);
HWND GetFileListWindow();
HWND GetFolderTreeWindow();
void SetFolderTreeWindow(HWND hwndTree);
// Bars 105, 114, 126 by id; the bar in force for list or tree mode.
HWND GetModeBar(UINT idBar);
HWND GetCurrentBar();
void SetCurrentBar(HWND hwndBar);
HFONT GetStripFont();
// A font of the stock system font's face with this height and weight.
HFONT CreateSystemFont(int iHeight, int iWeight);
// The main window's DC with a strip painted (title strip, or status strip
// when fStatus), ready for its texts; EndStrip releases it.
HDC BeginStrip(BOOL fStatus);
void EndStrip(HDC hdc);
// Selection helpers of the list.
int FirstSelectedRow();
void SetRowState(int iRow, UINT uState, UINT uMask);
// Removes row iRow from the table and the list (records behind it move down).
void RemoveListRow(int iRow);
// Removes the rows flagged in pfDrop (one flag a row) at once; the others
// keep their selection and the focus stays at its place.
void RemoveListRows(const BYTE *pfDrop);
// Appends the entry pszName of the current folder as read from disk, after
// the sorted rows; its row, or -1 when it cannot be read or the table is full.
int AppendListRow(LPCWSTR pszName);
// The row alone selected and focused, scrolled into view.
void MoveSelectionTo(int iRow);

// Private messages the worker threads send to the main window.
#define WM_TAVEL_FIRST      (WM_APP + 1)
#define WM_TAVEL_LAST       (WM_APP + 15)
LRESULT OnTavelMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// Title text: shortened from the left, two characters at a time, until it
// is narrower than the strip, then led by "...".
void ShortenStripText(WCHAR *pszText, TEXTWIDTH pfnWidth, void *pv);

// What the menu state depends on in list mode.
struct SelectionFacts {
    int cSelected;
    BOOL fFirstIsParent;
    BOOL fFirstIsFolder;
};
BOOL IsListCommandGrayed(UINT uCmd, const SelectionFacts &sf);

// Internal checks: report with the checking file's name and line, and end the process.
#define TAVEL_ASSERT(file, expr) ReportAssertion((expr) ? TRUE : FALSE, file, __LINE__, L## #expr)

// Commands and notifications of the tree, file operations, dialogs, beam and
// mail modules: the one place the main window hands them over.
LRESULT DispatchToOwner(HWND hwnd, UINT uCmd);
// Window events handed over the same way (no menu command has these ids).
#define IDM_WINDOW_CREATED  0xF001
#define IDM_DEST_ACTIVATE   0xF002
#define IDM_WINDOW_DESTROYED 0xF003
LRESULT DispatchTreeNotify(HWND hwnd, NMHDR *pnm);
