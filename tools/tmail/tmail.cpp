// Stand-in for the handset's mail program "\Windows\tmail.exe": a compose
// screen for "-attach "file"", whose Send records the message in the
// profile's outbox ("mail.json"), so a test or a person can see what left.
#include <windows.h>
#include <strsafe.h>
#include <string>
#include "aygshell.h"
#include "platform.h"

namespace {
const UINT kSend = 1001, kCancel = 1002;
WCHAR g_szAttachment[MAX_PATH];
HFONT g_hfont;

// The file after -attach, with or without its double quotes.
void ParseCommandLine(LPCWSTR pszCmd)
{
    g_szAttachment[0] = 0;
    LPCWSTR p = wcsstr(pszCmd, L"-attach");
    if (!p)
        return;
    p += 7;
    while (*p == L' ')
        ++p;
    bool fQuoted = *p == L'"';
    if (fQuoted)
        ++p;
    size_t cch = 0;
    while (p[cch] && (fQuoted ? p[cch] != L'"' : p[cch] != L' '))
        ++cch;
    StringCchCopyNW(g_szAttachment, ARRAYSIZE(g_szAttachment), p, cch);
}

std::string Utf8(LPCWSTR psz)
{
    char sz[MAX_PATH * 3];
    WideCharToMultiByte(CP_UTF8, 0, psz, -1, sz, sizeof(sz), nullptr, nullptr);
    return sz;
}

void RecordSent()
{
    nlohmann::json j = PlatProfileLoad(L"mail.json");
    SYSTEMTIME st;
    GetLocalTime(&st);
    WCHAR szTime[32];
    StringCchPrintfW(szTime, ARRAYSIZE(szTime), L"%04d-%02d-%02d %02d:%02d:%02d", st.wYear, st.wMonth, st.wDay,
                     st.wHour, st.wMinute, st.wSecond);
    if (!j["outbox"].is_array())
        j["outbox"] = nlohmann::json::array();  // a damaged member starts a new outbox
    j["outbox"].push_back({{"attachment", Utf8(g_szAttachment)}, {"time", Utf8(szTime)}});
    PlatProfileSave(L"mail.json", j);
}

void Paint(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    HGDIOBJ hOld = SelectObject(hdc, g_hfont);
    WCHAR szText[400];
    LPCWSTR pszName = wcsrchr(g_szAttachment, L'\\');
    DWORD dwAttr = GetFileAttributesW(g_szAttachment);
    StringCchPrintfW(szText, ARRAYSIZE(szText), L"To:\n\nSubject: %s\n\nAttachment:\n%s%s",
                     pszName ? pszName + 1 : g_szAttachment, g_szAttachment[0] ? g_szAttachment : L"(none)",
                     g_szAttachment[0] && dwAttr == INVALID_FILE_ATTRIBUTES ? L"\n(file not found)" : L"");
    InflateRect(&rc, -4, -4);
    DrawTextW(hdc, szText, -1, &rc, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(hdc, hOld);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK MailProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_CREATE: {
        SHMENUBARINFO mbi = {};
        mbi.cbSize = sizeof(mbi);
        mbi.hwndParent = hwnd;
        mbi.nToolBarId = 100;
        mbi.hInstRes = GetModuleHandleW(nullptr);
        return SHCreateMenuBar(&mbi) ? 0 : -1;
    }
    case WM_PAINT:
        Paint(hwnd);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wp) == kSend)
            RecordSent();
        if (LOWORD(wp) == kSend || LOWORD(wp) == kCancel)
            DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}
} // namespace

int WINAPI wWinMain(HINSTANCE hinst, HINSTANCE, LPWSTR, int nCmdShow)
{
    // The whole line: a handset program gets its arguments without its own
    // name first, so the desktop's split would take "-attach" for the name.
    ParseCommandLine(GetCommandLineW());
    WCHAR szTitle[32];
    LoadStringW(hinst, 1, szTitle, ARRAYSIZE(szTitle));
    g_hfont = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    WNDCLASSW wc = {};
    wc.lpfnWndProc = MailProc;
    wc.hInstance = hinst;
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    wc.lpszClassName = L"tmail";
    if (!RegisterClassW(&wc))
        return 0;
    HWND hwnd = CreateWindowExW(0, L"tmail", szTitle, 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                nullptr, nullptr, hinst, nullptr);
    if (!hwnd)
        return 0;
    ShowWindow(hwnd, nCmdShow);
    UpdateWindow(hwnd);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
