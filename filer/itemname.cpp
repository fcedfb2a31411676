// Names typed for rename and new folder, and what a rename leaves on disk.
#include "itemname.h"
#include "cardwatch.h"
#include "filelist.h"
#include <strsafe.h>
#include <cwchar>

BOOL IsUsableItemName(LPCWSTR pszName)
{
    if (!pszName || !pszName[0] || wcspbrk(pszName, L"\\/:*?\"<>|"))
        return FALSE;
    for (LPCWSTR p = pszName; *p; ++p) {
        if (*p != L'.' && *p != L' ')
            return TRUE;
    }
    return FALSE;
}

BOOL ReadEntryOnDisk(LPCWSTR pszPath, WIN32_FIND_DATAW *pfd)
{
    HANDLE hFind = FindFirstFileW(pszPath, pfd);
    if (hFind == INVALID_HANDLE_VALUE)
        return FALSE;
    FindClose(hFind);
    return TRUE;
}

BOOL RenameEntry(LPCWSTR pszFolder, LPCWSTR pszOld, LPCWSTR pszNew, WCHAR *pszOnDisk, size_t cchOnDisk)
{
    WCHAR szFrom[MAX_PATH], szTo[MAX_PATH];
    WIN32_FIND_DATAW fd;
    if (!JoinPath(pszFolder, pszOld, szFrom, ARRAYSIZE(szFrom)) || !JoinPath(pszFolder, pszNew, szTo, ARRAYSIZE(szTo)))
        return FALSE;
    // The card is mounted on its folder: renamed, it could be neither removed nor found.
    if (IsCardFolder(szFrom) || !ReadEntryOnDisk(szFrom, &fd))
        return FALSE;
    BOOL fFolder = IsFolderEntry(fd);
    // Success is what the disk shows: the entry, of its kind, under the new name.
    if (!MoveFileW(szFrom, szTo) || !ReadEntryOnDisk(szTo, &fd) || IsFolderEntry(fd) != fFolder)
        return FALSE;
    return SUCCEEDED(StringCchCopyW(pszOnDisk, cchOnDisk, fd.cFileName));
}
