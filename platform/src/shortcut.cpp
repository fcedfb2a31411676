// The handset's shortcut files: a text file holding the target's length in
// decimal, "#", and the target (often a quoted path, maybe with arguments
// after it). Opening one (launch.cpp) starts or opens its target.
#include "internal.h"
#include <strsafe.h>
#include <cwchar>
#include <string>

namespace {
std::string Utf8(LPCWSTR psz)
{
    int cb = WideCharToMultiByte(CP_UTF8, 0, psz, -1, nullptr, 0, nullptr, nullptr);
    std::string s(cb > 0 ? cb - 1 : 0, '\0');
    if (cb > 1)
        WideCharToMultiByte(CP_UTF8, 0, psz, -1, &s[0], cb, nullptr, nullptr);
    return s;
}
} // namespace

BOOL PlatReadShortcut(LPCWSTR pszPath, std::wstring *pTarget)
{
    HANDLE h = CreateFileW(pszPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return FALSE;
    char ach[MAX_PATH * 4 + 16];
    DWORD cb = 0;
    BOOL fRead = ReadFile(h, ach, sizeof(ach) - 1, &cb, nullptr);
    CloseHandle(h);
    if (!fRead)
        return FALSE;
    ach[cb] = 0;
    char *pHash = strchr(ach, '#');
    if (!pHash || pHash == ach)
        return FALSE;
    size_t cchSaid = 0;
    for (const char *p = ach; p < pHash; ++p) {
        if (*p < '0' || *p > '9' || cchSaid > MAX_PATH * 2)
            return FALSE;
        cchSaid = cchSaid * 10 + (size_t)(*p - '0');
    }
    WCHAR szTarget[MAX_PATH * 2];
    int cch = MultiByteToWideChar(CP_UTF8, 0, pHash + 1, -1, szTarget, ARRAYSIZE(szTarget));
    if (cch <= 1)
        return FALSE;
    // The length said first bounds the target; a line end after it is no part of it.
    if (cchSaid < (size_t)cch - 1)
        szTarget[cchSaid] = 0;
    pTarget->assign(szTarget);
    while (!pTarget->empty() && (pTarget->back() == L'\r' || pTarget->back() == L'\n'))
        pTarget->pop_back();
    return !pTarget->empty();
}

void PlatSplitCommand(const std::wstring &target, std::wstring *pFile, std::wstring *pArgs)
{
    size_t end;
    if (!target.empty() && target[0] == L'"') {
        end = target.find(L'"', 1);
        *pFile = target.substr(1, end == std::wstring::npos ? std::wstring::npos : end - 1);
        end = end == std::wstring::npos ? target.size() : end + 1;
    } else {
        end = target.find(L' ');
        if (end == std::wstring::npos)
            end = target.size();
        *pFile = target.substr(0, end);
    }
    size_t args = target.find_first_not_of(L' ', end);
    *pArgs = args == std::wstring::npos ? L"" : target.substr(args);
}

extern "C" BOOL WINAPI PlatSHCreateShortcut(LPWSTR pszShortcut, LPWSTR pszTarget)
{
    std::wstring host;
    if (!pszTarget || !PlatStorePath(pszShortcut, &host))
        return FALSE;
    size_t cchTarget = 0;
    if (FAILED(StringCchLengthW(pszTarget, MAX_PATH * 2, &cchTarget)))
        return FALSE;
    std::string text = std::to_string(cchTarget) + "#" + Utf8(pszTarget);
    // An existing file is never replaced: the caller's list would show it twice.
    HANDLE h = CreateFileW(host.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return FALSE;
    DWORD cbWritten = 0;
    BOOL fOk = WriteFile(h, text.data(), (DWORD)text.size(), &cbWritten, nullptr) && cbWritten == text.size();
    CloseHandle(h);
    if (!fOk)
        DeleteFileW(host.c_str());
    return fOk;
}
