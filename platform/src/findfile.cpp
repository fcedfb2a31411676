// File search as the handset's object store answers it: the desktop's "."
// and ".." entries do not exist there.
#include "internal.h"

static BOOL IsDotEntry(const WIN32_FIND_DATAW *pfd)
{
    const WCHAR *p = pfd->cFileName;
    return p[0] == L'.' && (p[1] == 0 || (p[1] == L'.' && p[2] == 0));
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
    HANDLE h = FindFirstFileW(pszPattern, pfd);
    if (h == INVALID_HANDLE_VALUE || !IsDotEntry(pfd))
        return h;
    if (PlatFindNextFileW(h, pfd))
        return h;
    FindClose(h);
    SetLastError(ERROR_FILE_NOT_FOUND);  // only the dot entries: an empty folder
    return INVALID_HANDLE_VALUE;
}
