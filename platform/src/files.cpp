// The handset's file calls. Only handset paths reach the object store: Wine
// would take a drive ("Z:\tmp"), a "\\server" name or a "\\?\unix\" name to
// the host's files, and the handset has none of them. A handset path always
// means the store, whatever the working folder, and a device name in it
// ("COM1", "nul.txt") is an ordinary file, as on the handset. The object
// store also lists no "." and ".." entries.
#include "internal.h"
#include <cwchar>
#include <map>
#include <mutex>
#include <string>
#include <strsafe.h>

namespace {
bool IsSeparator(WCHAR ch)
{
    return ch == L'\\' || ch == L'/';  // Wine takes either
}

// The same entry under new letters: Wine finds an existing name in any case
// and keeps its old spelling, where the handset stores the one asked for.
// Trailing dots and blanks are no part of a name.
bool IsCaseChangeOnly(LPCWSTR pszFrom, LPCWSTR pszTo)
{
    int cchTo = lstrlenW(pszTo);
    while (cchTo > 0 && (pszTo[cchTo - 1] == L'.' || pszTo[cchTo - 1] == L' '))
        --cchTo;
    return lstrlenW(pszFrom) == cchTo && wcsncmp(pszFrom, pszTo, cchTo) != 0 &&
           CompareStringOrdinal(pszFrom, cchTo, pszTo, cchTo, TRUE) == CSTR_EQUAL;
}

// The entry goes by a free name on its way; a move never replaces what is there.
BOOL MoveChangingCase(LPCWSTR pszFrom, LPCWSTR pszTo)
{
    WCHAR szTemp[MAX_PATH + 16];  // a store path with its drive prefix and the suffix
    for (int i = 0; i < 100; ++i) {
        if (FAILED(StringCchPrintfW(szTemp, ARRAYSIZE(szTemp), L"%s.~%d", pszTo, i)))
            return FALSE;
        if (!MoveFileW(pszFrom, szTemp)) {
            if (GetLastError() == ERROR_ALREADY_EXISTS || GetLastError() == ERROR_FILE_EXISTS)
                continue;
            return FALSE;
        }
        if (MoveFileW(szTemp, pszTo))
            return TRUE;
        DWORD dwError = GetLastError();
        MoveFileW(szTemp, pszFrom);
        SetLastError(dwError);
        return FALSE;
    }
    return FALSE;
}

BOOL IsDotEntry(const WIN32_FIND_DATAW *pfd)
{
    const WCHAR *p = pfd->cFileName;
    return p[0] == L'.' && (p[1] == 0 || (p[1] == L'.' && p[2] == 0));
}
} // namespace

// One "\" first; no drive or stream colon, no "\\" anywhere, and not the
// kernel's own "\??\" prefix, which Wine passes on untouched.
BOOL PlatIsHandsetPath(LPCWSTR pszPath)
{
    if (!pszPath || pszPath[0] != L'\\')
        return FALSE;
    for (const WCHAR *p = pszPath; *p; ++p)
        if (*p == L':' || (IsSeparator(p[0]) && IsSeparator(p[1])))
            return FALSE;
    return !(pszPath[1] == L'?' && pszPath[2] == L'?' && (pszPath[3] == 0 || IsSeparator(pszPath[3])));
}

// Wine reads "\\?\P:\..." as it stands: no working folder, no device name
// ("\\?\P:\x\com1.txt" is a file there, "P:\x\com1.txt" the serial port) and
// no "." or ".." step out of the drive (such a name is invalid).
BOOL PlatStorePath(LPCWSTR pszPath, std::wstring *pHost)
{
    if (!PlatIsHandsetPath(pszPath)) {
        SetLastError(ERROR_BAD_PATHNAME);
        return FALSE;
    }
    *pHost = L"\\\\?\\" PLAT_STORE_DRIVE;
    for (const WCHAR *p = pszPath; *p; ++p)
        *pHost += IsSeparator(*p) ? L'\\' : *p;  // "\\?\" takes no "/"
    // As the handset's file system does, a name's trailing dots and blanks go
    // ("u." is "u"); a name of dots alone stays, for Wine to refuse.
    size_t iName = pHost->find_last_of(L'\\') + 1;
    size_t iEnd = pHost->find_last_not_of(L". ");
    if (iEnd != std::wstring::npos && iEnd >= iName && pHost->find_first_not_of(L'.', iName) != std::wstring::npos)
        pHost->erase(iEnd + 1);
    return TRUE;
}

namespace {
// Wine also matches a pattern against the 8.3 short name it makes up for a
// long one ("mix.wave" is found by "*.wav"); the handset has no short names.
// Each search keeps the name part of its pattern to check long names by.
std::mutex g_mtxFinds;
std::map<HANDLE, std::wstring> g_finds;

bool SameLetter(WCHAR a, WCHAR b)
{
    return CompareStringOrdinal(&a, 1, &b, 1, TRUE) == CSTR_EQUAL;
}

// "*" any run of characters, "?" any one; letters match in either case.
bool MatchesMask(const WCHAR *pszMask, const WCHAR *pszName)
{
    const WCHAR *pAfterStar = nullptr;
    const WCHAR *pRetry = nullptr;
    while (*pszName) {
        if (*pszMask == L'*') {
            pAfterStar = ++pszMask;
            pRetry = pszName;
        } else if (*pszMask && (*pszMask == L'?' || SameLetter(*pszMask, *pszName))) {
            ++pszMask;
            ++pszName;
        } else if (pAfterStar) {
            pszMask = pAfterStar;
            pszName = ++pRetry;
        } else {
            return false;
        }
    }
    while (*pszMask == L'*')
        ++pszMask;
    return *pszMask == 0;
}

// The name part of a search pattern; "*.*" stands for every name, as "*" does.
std::wstring MaskOf(LPCWSTR pszPattern)
{
    const WCHAR *pszMask = pszPattern;
    for (const WCHAR *p = pszPattern; *p; ++p)
        if (IsSeparator(*p))
            pszMask = p + 1;
    return wcscmp(pszMask, L"*.*") == 0 ? std::wstring(L"*") : std::wstring(pszMask);
}

bool IsListed(const std::wstring &mask, const WIN32_FIND_DATAW *pfd)
{
    return !IsDotEntry(pfd) && (mask.empty() || MatchesMask(mask.c_str(), pfd->cFileName));
}

// Moves on from the current entry to the next one the handset would list.
BOOL NextListed(HANDLE hFind, const std::wstring &mask, LPWIN32_FIND_DATAW pfd)
{
    do {
        if (!FindNextFileW(hFind, pfd))
            return FALSE;
    } while (!IsListed(mask, pfd));
    return TRUE;
}
} // namespace

extern "C" BOOL WINAPI PlatFindNextFileW(HANDLE hFind, LPWIN32_FIND_DATAW pfd)
{
    std::wstring mask;
    {
        std::lock_guard<std::mutex> lock(g_mtxFinds);
        auto it = g_finds.find(hFind);
        if (it != g_finds.end())
            mask = it->second;
    }
    return NextListed(hFind, mask, pfd);
}

extern "C" BOOL WINAPI PlatFindClose(HANDLE hFind)
{
    {
        std::lock_guard<std::mutex> lock(g_mtxFinds);
        g_finds.erase(hFind);
    }
    return FindClose(hFind);
}

extern "C" HANDLE WINAPI PlatFindFirstFileW(LPCWSTR pszPattern, LPWIN32_FIND_DATAW pfd)
{
    std::wstring host;
    if (!PlatStorePath(pszPattern, &host))
        return INVALID_HANDLE_VALUE;
    HANDLE h = FindFirstFileW(host.c_str(), pfd);
    if (h == INVALID_HANDLE_VALUE)
        return h;
    std::wstring mask = MaskOf(host.c_str());  // the name as the store reads it
    if (!IsListed(mask, pfd) && !NextListed(h, mask, pfd)) {
        FindClose(h);
        SetLastError(ERROR_FILE_NOT_FOUND);  // nothing the handset lists: an empty folder
        return INVALID_HANDLE_VALUE;
    }
    std::lock_guard<std::mutex> lock(g_mtxFinds);
    g_finds[h] = mask;
    return h;
}

extern "C" HANDLE WINAPI PlatCreateFileW(LPCWSTR pszPath, DWORD dwAccess, DWORD dwShare, LPSECURITY_ATTRIBUTES psa,
                                         DWORD dwCreation, DWORD dwFlags, HANDLE hTemplate)
{
    if (PlatIsObexDriverName(pszPath))
        return PlatOpenObexDriver();
    std::wstring host;
    if (!PlatStorePath(pszPath, &host))
        return INVALID_HANDLE_VALUE;
    return CreateFileW(host.c_str(), dwAccess, dwShare, psa, dwCreation, dwFlags, hTemplate);
}

extern "C" BOOL WINAPI PlatCopyFileW(LPCWSTR pszFrom, LPCWSTR pszTo, BOOL fFailIfExists)
{
    std::wstring from, to;
    return PlatStorePath(pszFrom, &from) && PlatStorePath(pszTo, &to) && CopyFileW(from.c_str(), to.c_str(), fFailIfExists);
}

extern "C" BOOL WINAPI PlatMoveFileW(LPCWSTR pszFrom, LPCWSTR pszTo)
{
    std::wstring from, to;
    if (!PlatStorePath(pszFrom, &from) || !PlatStorePath(pszTo, &to))
        return FALSE;
    if (PlatIsCardRoot(pszFrom)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return IsCaseChangeOnly(pszFrom, pszTo) ? MoveChangingCase(from.c_str(), to.c_str())
                                            : MoveFileW(from.c_str(), to.c_str());
}

extern "C" BOOL WINAPI PlatDeleteFileW(LPCWSTR pszPath)
{
    std::wstring host;
    return PlatStorePath(pszPath, &host) && DeleteFileW(host.c_str());
}

extern "C" BOOL WINAPI PlatCreateDirectoryW(LPCWSTR pszPath, LPSECURITY_ATTRIBUTES psa)
{
    std::wstring host;
    return PlatStorePath(pszPath, &host) && CreateDirectoryW(host.c_str(), psa);
}

extern "C" BOOL WINAPI PlatRemoveDirectoryW(LPCWSTR pszPath)
{
    std::wstring host;
    if (PlatIsCardRoot(pszPath)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return PlatStorePath(pszPath, &host) && RemoveDirectoryW(host.c_str());
}

extern "C" DWORD WINAPI PlatGetFileAttributesW(LPCWSTR pszPath)
{
    std::wstring host;
    return PlatStorePath(pszPath, &host) ? GetFileAttributesW(host.c_str()) : INVALID_FILE_ATTRIBUTES;
}

extern "C" BOOL WINAPI PlatSetFileAttributesW(LPCWSTR pszPath, DWORD dwAttributes)
{
    std::wstring host;
    return PlatStorePath(pszPath, &host) && SetFileAttributesW(host.c_str(), dwAttributes);
}

// Wine's shell parses a path only with its drive: "\Windows\Start Menu\x.lnk"
// gets no icon. The handset's own paths are given the store's; the shell
// looks only at the name (a device name is no device to it).
extern "C" DWORD_PTR WINAPI PlatSHGetFileInfoW(LPCWSTR pszPath, DWORD dwAttributes, SHFILEINFOW *psfi, UINT cbInfo,
                                               UINT uFlags)
{
    std::wstring host;
    if (!(uFlags & SHGFI_PIDL) && PlatStorePath(pszPath, &host)) {
        if (!(uFlags & SHGFI_USEFILEATTRIBUTES)) {
            dwAttributes = GetFileAttributesW(host.c_str());
            if (dwAttributes == INVALID_FILE_ATTRIBUTES)
                return 0;
            uFlags |= SHGFI_USEFILEATTRIBUTES;
        }
        pszPath = host.c_str();
    }
    return SHGetFileInfoW(pszPath, dwAttributes, psfi, cbInfo, uFlags);
}

// A handle of the OBEX driver or of a CE database is a real handle too; its
// table entry goes with it.
extern "C" BOOL WINAPI PlatCloseHandle(HANDLE h)
{
    PlatForgetObexDriverHandle(h);
    PlatForgetDatabaseHandle(h);
    return CloseHandle(h);
}
