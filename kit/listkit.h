// The highlight list: a header-less report list view over a painted,
// striped background, with rows the program draws itself.
#pragma once
#include <windows.h>
#include <commctrl.h>

#define LIST_BG_CX 176
#define LIST_BG_CY 180

enum ListPattern {
    LIST_PATTERN_FILER,   // two-pixel stripes fading from white to blue
    LIST_PATTERN_MORLIN,  // three-colour rows, six-row repeat
};

// The colours of one pixel column (COLORREF).
void FilerStripeColors(int x, COLORREF *pcrA, COLORREF *pcrB);
void MorlinStripeColors(COLORREF acr[3][LIST_BG_CX]);

// Memory context holding the background bitmap; source of every repaint.
extern HDC g_hdcListBackground;
extern HBITMAP g_hbmListBackground;

BOOL BuildListBackground(HWND hwnd, ListPattern pattern);
// Subclasses a list so its background comes from the bitmap.
void SubclassListBackground(HWND hwndList);
LRESULT CALLBACK ListBackgroundProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

struct ListColumn {
    int cx;
    int fmt;
};

// Creates and dresses a kit list: styles beyond WS_CHILD | WS_VISIBLE, one or
// two columns, full-row select, optional transparent text background.
HWND CreateKitList(HWND hwndParent, LPCWSTR pszName, DWORD dwStyle, const RECT &rc, UINT id, HFONT hfont,
                   const ListColumn *pCols, int cCols, BOOL fTransparentText);

// Custom-draw rules of the file manager list.
BOOL IsRowHighlighted(UINT uItemState, BOOL fMultiSelect);
BOOL HasFocusFrame(UINT uItemState, BOOL fMultiSelect);

typedef void (*LISTDRAWROW)(HDC hdc, int iRow, const RECT &rcRow, BOOL fHighlighted, void *pv);
// Answers NM_CUSTOMDRAW: rows are drawn by pfnDraw over the background.
LRESULT ListCustomDraw(NMLVCUSTOMDRAW *pcd, BOOL fMultiSelect, HBRUSH hbrSelection, LISTDRAWROW pfnDraw, void *pv);
