#include "filer_test.h"
#include "support.h"
#include <strsafe.h>

void ClearTavelRegistry()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, L"ControlPanel\\Tavel");
}

void SetTavelDword(LPCWSTR pszKey, LPCWSTR pszValue, DWORD dw)
{
    RegSetKeyValueW(HKEY_CURRENT_USER, pszKey, pszValue, REG_DWORD, &dw, sizeof(dw));
}

DWORD GetTavelDword(LPCWSTR pszKey, LPCWSTR pszValue, DWORD dwMissing)
{
    DWORD dw = 0, cb = sizeof(dw);
    if (RegGetValueW(HKEY_CURRENT_USER, pszKey, pszValue, RRF_RT_REG_DWORD, nullptr, &dw, &cb) != ERROR_SUCCESS)
        return dwMissing;
    return dw;
}

static FILETIME DayTime(int iDay)
{
    SYSTEMTIME st = {2000, 1, 0, 1, 12, 0, 0, 0};
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    ULARGE_INTEGER u = {{ft.dwLowDateTime, ft.dwHighDateTime}};
    u.QuadPart += (ULONGLONG)iDay * 24 * 3600 * 10000000ULL;
    ft.dwLowDateTime = u.LowPart;
    ft.dwHighDateTime = u.HighPart;
    return ft;
}

bool MakeSizedFile(const std::wstring &path, DWORD cb, int iAccessDay, int iWriteDay)
{
    if (!MakeFile(path, std::string(cb, 'x')))
        return false;
    HANDLE h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    FILETIME ftAccess = DayTime(iAccessDay), ftWrite = DayTime(iWriteDay);
    BOOL ok = SetFileTime(h, nullptr, &ftAccess, &ftWrite);
    CloseHandle(h);
    return ok != FALSE;
}

bool MakeFiles(const std::wstring &dir, LPCWSTR pszFormat, int cFiles)
{
    if (!MakeDir(dir))
        return false;
    for (int i = 0; i < cFiles; ++i) {
        WCHAR sz[MAX_PATH];
        StringCchPrintfW(sz, ARRAYSIZE(sz), pszFormat, i);
        if (!MakeFile(dir + L"\\" + sz, "x"))
            return false;
    }
    return true;
}
