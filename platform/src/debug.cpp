// Kernel debug output: the debugger sees every line, and so does the trace
// file in the profile folder, which tests read back.
#include "internal.h"
#include <strsafe.h>
#include <mutex>
#include <string>

namespace {
std::mutex g_mtxTrace;
}

BOOL WINAPI PlatTraceFilePath(LPWSTR pszPath, DWORD cchPath)
{
    LPCWSTR pszDir = PlatProfileDir();
    if (!pszDir[0])
        return FALSE;
    return SUCCEEDED(StringCchPrintfW(pszPath, cchPath, L"%s\\trace.log", pszDir));
}

void NKDbgPrintfW(LPCWSTR pszFormat, ...)
{
    WCHAR szLine[1024];
    va_list args;
    va_start(args, pszFormat);
    HRESULT hr = StringCchVPrintfW(szLine, ARRAYSIZE(szLine), pszFormat, args);
    va_end(args);
    if (FAILED(hr) && hr != STRSAFE_E_INSUFFICIENT_BUFFER)
        return;
    OutputDebugStringW(szLine);
    WCHAR szPath[MAX_PATH];
    if (!PlatTraceFilePath(szPath, ARRAYSIZE(szPath)))
        return;
    char szUtf8[4096];
    int cb = WideCharToMultiByte(CP_UTF8, 0, szLine, -1, szUtf8, sizeof(szUtf8), nullptr, nullptr);
    if (cb <= 1)
        return;
    std::lock_guard<std::mutex> lock(g_mtxTrace);
    HANDLE h = CreateFileW(szPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    DWORD cbWritten = 0;
    WriteFile(h, szUtf8, cb - 1, &cbWritten, nullptr);
    CloseHandle(h);
}
