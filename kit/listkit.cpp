// Background bitmap, its painting, list creation and the custom-draw frame.
#include "listkit.h"

HDC g_hdcListBackground;
HBITMAP g_hbmListBackground;
static WNDPROC s_pfnListProc;

void FilerStripeColors(int x, COLORREF *pcrA, COLORREF *pcrB)
{
    double v = x <= 20 ? 0.0 : (x - 20) * (1.0 / 155);
    *pcrA = RGB((int)(255 - 49 * v), (int)(255 - 40 * v), (int)(255 - 8 * v));
    *pcrB = RGB((int)(255 - 97 * v), (int)(255 - 32 * v), (int)(255 - 8 * v));
}

void MorlinStripeColors(COLORREF acr[3][LIST_BG_CX])
{
    COLORREF c0 = 0xFFFFFF, c1 = 0xFFFFFF, c2 = 0xFFFFFF;
    for (int x = 0; x < LIST_BG_CX; ++x) {
        long k = 257L * x - 20560;
        if (x <= 19) {
            c0 = c1 = c2 = 0xFFFFFF;
        } else if (x <= 59) {
            c0 = 0xFFFFFF - 257 * ((x - 20) / 2);
        } else if (x <= 100) {
            c0 = (COLORREF)(0xFFFFFF - (k + 10280));
            c1 = (COLORREF)(0x1001413 - (k + 10280));
            if (x >= 80)
                c2 = (COLORREF)(0xFFFFFF - k);
        } else if (x <= 127) {
            c0 = (COLORREF)(0xFFD7D7 - k);
            if (x <= 120)
                c2 = (COLORREF)(0xFFFFFF - k);
        }
        acr[0][x] = c0;
        acr[1][x] = c1;
        acr[2][x] = c2;
    }
}

static void PaintFilerPattern(HDC hdc)
{
    for (int x = 0; x < LIST_BG_CX; ++x) {
        COLORREF crA, crB;
        FilerStripeColors(x, &crA, &crB);
        SetPixel(hdc, x, 0, crA);
        SetPixel(hdc, x, 1, crA);
        SetPixel(hdc, x, 2, crB);
        SetPixel(hdc, x, 3, crB);
    }
    BitBlt(hdc, 0, 4, LIST_BG_CX, 4, hdc, 0, 0, SRCCOPY);
    BitBlt(hdc, 0, 8, LIST_BG_CX, 8, hdc, 0, 0, SRCCOPY);
    BitBlt(hdc, 0, 16, LIST_BG_CX, 16, hdc, 0, 0, SRCCOPY);
    BitBlt(hdc, 0, 32, LIST_BG_CX, 32, hdc, 0, 0, SRCCOPY);
    BitBlt(hdc, 0, 64, LIST_BG_CX, 64, hdc, 0, 0, SRCCOPY);
    BitBlt(hdc, 0, 128, LIST_BG_CX, 52, hdc, 0, 0, SRCCOPY);
}

static void PaintMorlinPattern(HDC hdc)
{
    static COLORREF s_acr[3][LIST_BG_CX];
    MorlinStripeColors(s_acr);
    for (int x = 0; x < LIST_BG_CX; ++x)
        for (int y = 0; y < 6; ++y)
            SetPixel(hdc, x, y, s_acr[y % 3][x]);
    for (int cy = 6; cy < LIST_BG_CY; cy *= 2)
        BitBlt(hdc, 0, cy, LIST_BG_CX, cy, hdc, 0, 0, SRCCOPY);  // the DIB clips past row 179
}

BOOL BuildListBackground(HWND hwnd, ListPattern pattern)
{
    HDC hdcWindow = GetDC(hwnd);
    g_hdcListBackground = CreateCompatibleDC(hdcWindow);
    ReleaseDC(hwnd, hdcWindow);
    if (!g_hdcListBackground)
        return FALSE;
    struct {
        BITMAPINFOHEADER bmih;
        DWORD adwMasks[3];
    } bmi = {};
    bmi.bmih.biSize = sizeof(bmi.bmih);
    bmi.bmih.biWidth = LIST_BG_CX;
    bmi.bmih.biHeight = -LIST_BG_CY;  // top-down, so row 0 is the top
    bmi.bmih.biPlanes = 1;
    bmi.bmih.biBitCount = 16;
    bmi.bmih.biCompression = BI_BITFIELDS;
    bmi.adwMasks[0] = 0xF800;
    bmi.adwMasks[1] = 0x07E0;
    bmi.adwMasks[2] = 0x001F;
    void *pvBits = nullptr;
    g_hbmListBackground = CreateDIBSection(g_hdcListBackground, (BITMAPINFO *)&bmi, DIB_RGB_COLORS, &pvBits, nullptr, 0);
    if (!g_hbmListBackground)
        return FALSE;
    SelectObject(g_hdcListBackground, g_hbmListBackground);
    if (pattern == LIST_PATTERN_FILER)
        PaintFilerPattern(g_hdcListBackground);
    else
        PaintMorlinPattern(g_hdcListBackground);
    GdiFlush();
    return TRUE;
}

LRESULT CALLBACK ListBackgroundProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_ERASEBKGND && g_hdcListBackground) {
        HDC hdc = (HDC)wp;
        RECT rc;
        GetClipBox(hdc, &rc);
        BitBlt(hdc, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, g_hdcListBackground, rc.left, rc.top,
               SRCCOPY);
        return 1;
    }
    return CallWindowProcW(s_pfnListProc, hwnd, msg, wp, lp);
}

void SubclassListBackground(HWND hwndList)
{
    WNDPROC pfnOld = (WNDPROC)SetWindowLongPtrW(hwndList, GWLP_WNDPROC, (LONG_PTR)ListBackgroundProc);
    if (pfnOld != ListBackgroundProc)
        s_pfnListProc = pfnOld;
}

HWND CreateKitList(HWND hwndParent, LPCWSTR pszName, DWORD dwStyle, const RECT &rc, UINT id, HFONT hfont,
                   const ListColumn *pCols, int cCols, BOOL fTransparentText)
{
    HWND hwnd = CreateWindowExW(0, WC_LISTVIEWW, pszName, WS_CHILD | WS_VISIBLE | dwStyle, rc.left, rc.top,
                                rc.right - rc.left, rc.bottom - rc.top, hwndParent, (HMENU)(UINT_PTR)id, GetModuleHandleW(nullptr),
                                nullptr);
    if (!hwnd)
        return nullptr;
    if (hfont)
        SendMessageW(hwnd, WM_SETFONT, (WPARAM)hfont, FALSE);
    DWORD dwEx = (DWORD)SendMessageW(hwnd, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    SendMessageW(hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, dwEx | LVS_EX_FULLROWSELECT);
    if (fTransparentText)
        SendMessageW(hwnd, LVM_SETTEXTBKCOLOR, 0, CLR_NONE);
    for (int i = 0; i < cCols; ++i) {
        LVCOLUMNW col = {};
        col.mask = LVCF_FMT | LVCF_WIDTH;
        col.fmt = pCols[i].fmt;
        col.cx = pCols[i].cx;
        if (SendMessageW(hwnd, LVM_INSERTCOLUMNW, i, (LPARAM)&col) < 0) {
            DestroyWindow(hwnd);
            return nullptr;
        }
    }
    return hwnd;
}

BOOL IsRowHighlighted(UINT uItemState, BOOL fMultiSelect)
{
    if (fMultiSelect)
        return (uItemState & (CDIS_SELECTED | CDIS_FOCUS)) == (CDIS_SELECTED | CDIS_FOCUS);
    return (uItemState & CDIS_SELECTED) != 0;
}

BOOL HasFocusFrame(UINT uItemState, BOOL fMultiSelect)
{
    return !fMultiSelect && (uItemState & CDIS_FOCUS);
}

LRESULT ListCustomDraw(NMLVCUSTOMDRAW *pcd, BOOL fMultiSelect, HBRUSH hbrSelection, LISTDRAWROW pfnDraw, void *pv)
{
    switch (pcd->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
        break;
    default:
        return CDRF_DODEFAULT;
    }
    HDC hdc = pcd->nmcd.hdc;
    int iRow = (int)pcd->nmcd.dwItemSpec;
    UINT uState = pcd->nmcd.uItemState;
    RECT rc = {LVIR_BOUNDS, 0, 0, 0};
    if (!SendMessageW(pcd->nmcd.hdr.hwndFrom, LVM_GETITEMRECT, iRow, (LPARAM)&rc))
        rc = pcd->nmcd.rc;
    BOOL fHighlighted = IsRowHighlighted(uState, fMultiSelect);
    if (fHighlighted) {
        SetTextColor(hdc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        RECT rcFill = {0, rc.top, LIST_BG_CX, rc.bottom};
        FillRect(hdc, &rcFill, hbrSelection);
    } else {
        SetTextColor(hdc, GetSysColor(COLOR_WINDOWTEXT));
    }
    if (HasFocusFrame(uState, fMultiSelect)) {
        RECT rcFrame = rc;
        rcFrame.left = 1;
        DrawEdge(hdc, &rcFrame, EDGE_ETCHED, BF_RECT);
    }
    SetBkMode(hdc, TRANSPARENT);
    if (pfnDraw)
        pfnDraw(hdc, iRow, rc, fHighlighted, pv);
    return CDRF_SKIPDEFAULT;
}
