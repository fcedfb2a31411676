// A stand-in application for the task manager's tests and the demo: one
// top-level window per argument "CLASS|TITLE[|popup|hidden]" (a title of
// "*N" is N letters), then a message loop until it is ended.
#include <windows.h>
#include <shellapi.h>
#include <string>

namespace {
LRESULT CALLBACK HelperProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void CreateFromSpec(HINSTANCE hinst, const std::wstring &spec)
{
    size_t iBar = spec.find(L'|');
    std::wstring cls = spec.substr(0, iBar), title = iBar == std::wstring::npos ? L"" : spec.substr(iBar + 1);
    iBar = title.find(L'|');
    std::wstring flags = iBar == std::wstring::npos ? L"" : title.substr(iBar);
    title = title.substr(0, iBar);
    if (title.size() > 1 && title[0] == L'*')
        title = std::wstring((size_t)_wtoi(title.c_str() + 1), L'x');
    WNDCLASSW wc = {};
    wc.lpfnWndProc = HelperProc;
    wc.hInstance = hinst;
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.lpszClassName = cls.c_str();
    RegisterClassW(&wc);
    DWORD dwStyle = flags.find(L"popup") != std::wstring::npos ? WS_POPUP : WS_OVERLAPPEDWINDOW;
    HWND hwnd = CreateWindowExW(0, cls.c_str(), title.c_str(), dwStyle, 0, 0, 100, 100, nullptr, nullptr, hinst,
                                nullptr);
    if (hwnd && flags.find(L"hidden") == std::wstring::npos)
        ShowWindow(hwnd, SW_SHOW);
}
} // namespace

int WINAPI wWinMain(HINSTANCE hinst, HINSTANCE, LPWSTR, int)
{
    int cArgs = 0;
    LPWSTR *ppszArgs = CommandLineToArgvW(GetCommandLineW(), &cArgs);
    for (int i = 1; ppszArgs && i < cArgs; ++i)
        CreateFromSpec(hinst, ppszArgs[i]);
    LocalFree(ppszArgs);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
