// The handset's file calls. Only handset paths reach the object store: Wine
// would take a drive ("Z:\tmp"), a "\\server" name or a "\\?\unix\" name to
// the host's files, and the handset has none of them. A handset path always
// means the store, whatever the working folder, and a device name in it
// ("COM1", "nul.txt") is an ordinary file, as on the handset. The object
// store also lists no "." and ".." entries.
#include "internal.h"

namespace {
bool IsSeparator(WCHAR ch)
{
    return ch == L'\\' || ch == L'/';  // Wine takes either
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
    return TRUE;
}

extern "C" BOOL WINAPI PlatFindNextFileW(HANDLE hFind, LPWIN32_FIND_DATAW pfd)
{
    do {
        if (!FindNextFileW(hFind, pfd))
            return FALSE;
    } while (IsDotEntry(pfd));
    return TRUE;
}

extern "C" HANDLE WINAPI PlatFindFirstFileW(LPCWSTR pszPattern, LPWIN32_FIND_DATAW pfd)
{
    std::wstring host;
    if (!PlatStorePath(pszPattern, &host))
        return INVALID_HANDLE_VALUE;
    HANDLE h = FindFirstFileW(host.c_str(), pfd);
    if (h == INVALID_HANDLE_VALUE || !IsDotEntry(pfd))
        return h;
    if (PlatFindNextFileW(h, pfd))
        return h;
    FindClose(h);
    SetLastError(ERROR_FILE_NOT_FOUND);  // only the dot entries: an empty folder
    return INVALID_HANDLE_VALUE;
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
    return PlatStorePath(pszFrom, &from) && PlatStorePath(pszTo, &to) && MoveFileW(from.c_str(), to.c_str());
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
