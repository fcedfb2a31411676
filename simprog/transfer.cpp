// Dialog 124's controls, built in code for both transfer directions: the
// check-box list, the number field under it and the free-slot counter.
#include "transfer.h"
#include "morlin.h"
#include "trace.h"
#include "kit.h"
#include "../res/morlin/resource.h"
#include <strsafe.h>

DWORD FreeSlotCount;

static HWND s_hwndNumber;
static HWND s_hwndCounter;
static HFONT s_hfontList;
static HFONT s_hfontNumber;
static HFONT s_hfontCounter;

#define LIST_STYLE (WS_BORDER | WS_VSCROLL | LVS_REPORT | LVS_NOCOLUMNHEADER)
#define NUMBER_FONT_MAX 26
#define NUMBER_FONT_MIN 8
#define COUNTER_FONT 13

static void DeleteFont(HFONT *phfont)
{
    if (*phfont)
        DeleteObject(*phfont);
    *phfont = nullptr;
}

// The fields are narrow: their text may use all of them, and a new font
// would bring its own margins back.
static void SetFieldFont(HWND hwnd, HFONT hfont)
{
    SendMessageW(hwnd, WM_SETFONT, (WPARAM)hfont, FALSE);
    SendMessageW(hwnd, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
}

static HWND CreateField(HWND hdlg, DWORD dwStyle, int x, int y, int cx, int cy, UINT id, HFONT hfont)
{
    HWND hwnd = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | dwStyle, x, y, cx, cy, hdlg,
                                (HMENU)(UINT_PTR)id, g_hInst, nullptr);
    if (hwnd)
        SetFieldFont(hwnd, hfont);
    return hwnd;
}

HWND CreateTransferControls(HWND hdlg, const ListColumn *pCols, int cCols, BOOL fCounter)
{
    ReleaseTransferControls();
    RECT rc;
    GetClientRect(hdlg, &rc);
    RECT rcList = {rc.left, rc.top, rc.right - 9, rc.bottom - 117};
    s_hfontList = CreateBoldSystemFont(0);
    HWND hwndList = CreateKitList(hdlg, L"LISTITEM", LIST_STYLE, rcList, IDC_TRANSFER_LIST, s_hfontList, pCols, cCols,
                                  FALSE);
    if (!hwndList)
        return nullptr;
    ListView_SetExtendedListViewStyleEx(hwndList, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
                                        LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    int yFields = rcList.bottom + 4;
    s_hfontNumber = CreateSystemFontOf(FW_MEDIUM, NUMBER_FONT_MAX);
    s_hwndNumber = CreateField(hdlg, 0, rc.left + 3, yFields, 151, NUMBER_FONT_MAX + 8, IDC_TRANSFER_NUMBER,
                               s_hfontNumber);
    if (fCounter) {
        s_hfontCounter = CreateSystemFontOf(FW_MEDIUM, COUNTER_FONT);
        s_hwndCounter = CreateField(hdlg, WS_BORDER | ES_CENTER, 154, yFields, rc.right - 154, COUNTER_FONT + 6,
                                    IDC_TRANSFER_COUNTER, s_hfontCounter);
    }
    return hwndList;
}

void ReleaseTransferControls()
{
    s_hwndNumber = nullptr;
    s_hwndCounter = nullptr;
    DeleteFont(&s_hfontList);
    DeleteFont(&s_hfontNumber);
    DeleteFont(&s_hfontCounter);
}

static int TextWidthIn(HWND hwnd, HFONT hfont, LPCWSTR psz, size_t cch)
{
    HDC hdc = GetDC(hwnd);
    HGDIOBJ hOld = SelectObject(hdc, hfont);
    SIZE size = {0, 0};
    GetTextExtentPoint32W(hdc, psz, (int)cch, &size);
    SelectObject(hdc, hOld);
    ReleaseDC(hwnd, hdc);
    return size.cx;
}

BOOL ShowSelectedNumber(LPCWSTR pszNumber)
{
    size_t cch = 0;
    if (!pszNumber || FAILED(StringCchLengthW(pszNumber, STRSAFE_MAX_CCH, &cch)) || cch == 0)
        return 0;
    if (!s_hwndNumber)
        return 1;
    LONG lHeight = (LONG)(350 / cch);
    if (lHeight > NUMBER_FONT_MAX)
        lHeight = NUMBER_FONT_MAX;
    HFONT hfont = CreateSystemFontOf(FW_MEDIUM, lHeight);
    // This face is wider than the handset's: a number that would still not
    // show whole gets a smaller font again.
    RECT rc;
    SendMessageW(s_hwndNumber, EM_GETRECT, 0, (LPARAM)&rc);
    while (hfont && lHeight > NUMBER_FONT_MIN && TextWidthIn(s_hwndNumber, hfont, pszNumber, cch) > rc.right - rc.left) {
        DeleteObject(hfont);
        hfont = CreateSystemFontOf(FW_MEDIUM, --lHeight);
    }
    SetFieldFont(s_hwndNumber, hfont);
    DeleteFont(&s_hfontNumber);
    s_hfontNumber = hfont;
    SetWindowTextW(s_hwndNumber, pszNumber);
    return 1;
}

void ShowFreeSlots()
{
    if (!s_hwndCounter)
        return;
    WCHAR szCount[16];
    StringCchPrintfW(szCount, ARRAYSIZE(szCount), L"%d", (int)FreeSlotCount);
    SetWindowTextW(s_hwndCounter, szCount);
    TRACE(L"phonebook entry left: %d, %s\r\n", (int)FreeSlotCount, szCount);
}

BOOL IsRowTicked(HWND hwndList, int iRow)
{
    return ListView_GetItemState(hwndList, iRow, LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(TICK_ON);
}

void TickRow(HWND hwndList, int iRow, BOOL fTicked)
{
    ListView_SetItemState(hwndList, iRow, INDEXTOSTATEIMAGEMASK(fTicked ? TICK_ON : TICK_OFF), LVIS_STATEIMAGEMASK);
}

int CountTickedRows(HWND hwndList)
{
    int cTicked = 0;
    int cRows = ListView_GetItemCount(hwndList);
    for (int i = 0; i < cRows; ++i)
        if (IsRowTicked(hwndList, i))
            ++cTicked;
    return cTicked;
}

int StepSelectionMark(HWND hwndList, int iDelta)
{
    int cRows = ListView_GetItemCount(hwndList);
    int iMark = ListView_GetSelectionMark(hwndList) + iDelta;
    if (iMark > cRows - 1)
        iMark = cRows - 1;
    if (iMark < 0)
        iMark = cRows ? 0 : -1;
    ListView_SetSelectionMark(hwndList, iMark);
    return iMark;
}

void MarkRow(HWND hwndList, int iRow)
{
    if (iRow < 0)
        return;
    // The list allows several selected rows: the highlight leaves the old one.
    ListView_SetItemState(hwndList, -1, 0, LVIS_SELECTED);
    ListView_SetItemState(hwndList, iRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetSelectionMark(hwndList, iRow);
    ListView_EnsureVisible(hwndList, iRow, FALSE);
}

LRESULT TransferListDlgCode(WNDPROC pfnList, HWND hwnd, WPARAM wp, LPARAM lp)
{
    LRESULT lCode = CallWindowProcW(pfnList, hwnd, WM_GETDLGCODE, wp, lp);
    const MSG *pmsg = (const MSG *)lp;
    if (pmsg && pmsg->message == WM_KEYDOWN && pmsg->wParam == VK_RETURN)
        lCode |= DLGC_WANTMESSAGE;
    return lCode;
}
