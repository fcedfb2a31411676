// The striped background and its painting by clip box (the row rules: the
// file manager's window test, through the painted rows).
#include <gtest/gtest.h>
#include "kit.h"
#include "listkit.h"
#include "support.h"

namespace {
// A 5-6-5 pixel read back as COLORREF: each channel within one step of the source.
::testing::AssertionResult Near565(COLORREF expected, COLORREF actual)
{
    int dr = abs((int)GetRValue(expected) - (int)GetRValue(actual));
    int dg = abs((int)GetGValue(expected) - (int)GetGValue(actual));
    int db = abs((int)GetBValue(expected) - (int)GetBValue(actual));
    if (dr <= 8 && dg <= 4 && db <= 8)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << std::hex << "expected 0x" << expected << " got 0x" << actual;
}

HWND MakeOwner()
{
    [[maybe_unused]] static bool s_fReg = RegisterMainClass(L"ListKitOwner", DefWindowProcW);
    HWND hwnd = CreateWindowExW(0, L"ListKitOwner", L"List owner", WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, g_hInst, nullptr);
    ShowWindow(hwnd, SW_SHOW);
    return hwnd;
}
} // namespace

TEST(ListKit, BackgroundBitmapsHoldTheStripes)
{
    struct Pixel {
        int x, y;
        COLORREF cr;
    };
    const COLORREF crWhite = RGB(255, 255, 255);
    HWND hwnd = MakeOwner();
    // Tavel: white up to column 20, then two rows of each of two blues growing to the right.
    ASSERT_TRUE(BuildListBackground(hwnd, LIST_PATTERN_FILER));
    const Pixel aFiler[] = {{0, 0, crWhite},   {0, 2, crWhite},   {20, 1, crWhite},
                            {98, 1, RGB(230, 234, 250)},          {98, 3, RGB(206, 238, 250)},
                            {175, 0, RGB(206, 215, 247)},         {175, 2, RGB(158, 223, 247)},
                            {175, 177, RGB(206, 215, 247)},       {175, 179, RGB(158, 223, 247)}};
    for (const Pixel &p : aFiler)
        EXPECT_TRUE(Near565(p.cr, GetPixel(g_hdcListBackground, p.x, p.y))) << p.x << "," << p.y;
    DeleteDC(g_hdcListBackground);
    DeleteObject(g_hbmListBackground);

    // Morlin: three rows of reds, each starting at its own column.
    ASSERT_TRUE(BuildListBackground(hwnd, LIST_PATTERN_MORLIN));
    const Pixel aMorlin[] = {{19, 0, 0xFFFFFF},  {59, 0, 0xFFECEC},  {59, 1, 0xFFFFFF},  {60, 0, 0xFFEBEB},
                             {79, 2, 0xFFFFFF},  {90, 2, 0xFFF5F5},  {100, 1, 0xFFD7D7}, {175, 1, 0xFFD7D7},
                             {175, 0, 0xFFA8A8}, {175, 2, 0xFFD7D7}, {175, 178, 0xFFD7D7}, {60, 96, 0xFFEBEB}};
    for (const Pixel &p : aMorlin)
        EXPECT_TRUE(Near565(p.cr, GetPixel(g_hdcListBackground, p.x, p.y))) << p.x << "," << p.y;
    DestroyWindow(hwnd);
}

TEST(ListKit, BackgroundIsPaintedByClipBoxAndStaysWithTheWindow)
{
    HWND hwnd = MakeOwner();
    ASSERT_TRUE(BuildListBackground(hwnd, LIST_PATTERN_FILER));
    RECT rc = {0, 0, LIST_BG_CX, 140};
    ListColumn col = {150, LVCFMT_LEFT};
    HWND hwndList = CreateKitList(hwnd, nullptr, LVS_REPORT | LVS_NOCOLUMNHEADER, rc, 2000, nullptr, &col, 1, TRUE);
    ASSERT_NE(nullptr, hwndList);
    for (int i = 0; i < 60; ++i) {
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = (LPWSTR)L"row";
        SendMessageW(hwndList, LVM_INSERTITEMW, 0, (LPARAM)&item);
    }
    SubclassListBackground(hwndList);

    auto eraseInto = [&](HDC hdc) {
        HRGN hrgn = CreateRectRgn(10, 30, 60, 47);
        SelectClipRgn(hdc, hrgn);
        DeleteObject(hrgn);
        return SendMessageW(hwndList, WM_ERASEBKGND, (WPARAM)hdc, 0);
    };
    HDC hdcWin = GetDC(hwndList);
    HDC hdc = CreateCompatibleDC(hdcWin);
    HBITMAP hbm = CreateCompatibleBitmap(hdcWin, LIST_BG_CX, 140);
    SelectObject(hdc, hbm);
    RECT rcAll = {0, 0, LIST_BG_CX, 140};
    FillRect(hdc, &rcAll, (HBRUSH)GetStockObject(BLACK_BRUSH));
    EXPECT_EQ(1, eraseInto(hdc));
    // Inside the clip box the bitmap at the same coordinates, outside untouched.
    for (int y = 30; y < 47; ++y)
        EXPECT_EQ(GetPixel(g_hdcListBackground, 40, y), GetPixel(hdc, 40, y)) << y;
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(hdc, 70, 35));
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(hdc, 40, 50));

    // After scrolling, the same window coordinates get the same pixels.
    SendMessageW(hwndList, LVM_SCROLL, 0, 90);
    SelectClipRgn(hdc, nullptr);
    FillRect(hdc, &rcAll, (HBRUSH)GetStockObject(BLACK_BRUSH));
    eraseInto(hdc);
    for (int y = 30; y < 47; ++y)
        EXPECT_EQ(GetPixel(g_hdcListBackground, 40, y), GetPixel(hdc, 40, y)) << y;
    DeleteDC(hdc);
    DeleteObject(hbm);
    ReleaseDC(hwndList, hdcWin);
    DestroyWindow(hwnd);
}
