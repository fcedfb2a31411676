// Morlin's message boxes: texts from the string table in one shared buffer,
// the window title as caption.
#include "morlin.h"
#include "kit.h"
#include "../res/morlin/resource.h"
#include <strsafe.h>

WCHAR g_szMessage[256];

int ShowMorlinMessage(HWND hwndOwner, UINT ids, UINT uType)
{
    if (!LoadStringW(g_hInst, ids, g_szMessage, ARRAYSIZE(g_szMessage)))
        return 0;
    return MessageBoxW(hwndOwner, g_szMessage, g_szTitle, uType);
}

int ShowSmsMessage(UINT ids, UINT uType)
{
    if (!LoadStringW(g_hInst, ids, g_szMessage, ARRAYSIZE(g_szMessage)))
        return 0;
    return MessageBoxW(nullptr, g_szMessage, g_szSmsTitle, uType);
}

int AskMorlinQuestion(UINT ids, LPCWSTR pszInsert, size_t cchMax, UINT uType)
{
    WCHAR szFormat[256];
    if (!LoadStringW(g_hInst, ids, szFormat, ARRAYSIZE(szFormat)))
        return 0;
    if (cchMax > ARRAYSIZE(g_szMessage))
        cchMax = ARRAYSIZE(g_szMessage);
    // A long SIM text is cut so the question still fits its buffer.
    size_t cchFormat = 0;
    StringCchLengthW(szFormat, ARRAYSIZE(szFormat), &cchFormat);
    size_t cchRoom = cchMax > cchFormat + 1 ? cchMax - cchFormat - 1 : 0;
    WCHAR szInsert[256];
    StringCchCopyNW(szInsert, ARRAYSIZE(szInsert), pszInsert ? pszInsert : L"", cchRoom);
    // The insert is SIM text: an argument, never part of the format.
    DWORD_PTR args[1] = {(DWORD_PTR)szInsert};
    DWORD cch = FormatMessageW(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY, szFormat, 0, 0,
                               g_szMessage, (DWORD)cchMax, (va_list *)args);
    if (!cch)
        return 0;
    return MessageBoxW(nullptr, g_szMessage, g_szTitle, uType);
}

HFONT CreateSystemFontOf(LONG lWeight, LONG lHeight)
{
    LOGFONTW lf;
    if (!GetObjectW(GetStockObject(SYSTEM_FONT), sizeof(lf), &lf))
        return nullptr;
    // The stock font's LOGFONT carries a fixed character width: the face's own is wanted.
    lf.lfWidth = 0;
    lf.lfWeight = lWeight;
    if (lHeight)
        lf.lfHeight = lHeight;
    return CreateFontIndirectW(&lf);
}

HFONT CreateBoldSystemFont(LONG lHeight)
{
    return CreateSystemFontOf(FW_BOLD, lHeight);
}

HWND InitMorlinScreen(HWND hdlg, UINT idBar, UINT idsTitle)
{
    HWND hwndBar = nullptr;
    if (!InitFullScreenDialog(hdlg) || !(hwndBar = CreateSoftKeyBar(hdlg, idBar))) {
        PostQuitMessage(0);
        return nullptr;
    }
    WCHAR szTitle[64];
    if (LoadStringW(g_hInst, idsTitle, szTitle, ARRAYSIZE(szTitle)))
        SetWindowTextW(hdlg, szTitle);
    OverrideBackKey(hwndBar);
    return hwndBar;
}

void SetStringText(HWND hdlg, int id, UINT ids)
{
    WCHAR sz[64];
    if (LoadStringW(g_hInst, ids, sz, ARRAYSIZE(sz)))
        SetDlgItemTextW(hdlg, id, sz);
}
