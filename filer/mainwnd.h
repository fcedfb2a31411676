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

BOOL IsMultiSelectMode();

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

// Internal checks of the main window module: report and end the process.
#define TAVEL_ASSERT(expr) ReportAssertion((expr) ? TRUE : FALSE, L"mainwnd.cpp", __LINE__, L## #expr)

// Commands and notifications of the tree, file operations, dialogs, beam and
// mail modules: the one place the main window hands them over.
LRESULT DispatchToOwner(HWND hwnd, UINT uCmd);
LRESULT DispatchTreeNotify(HWND hwnd, NMHDR *pnm);
