// The names a user may give a file or folder here, and a rename on disk.
#pragma once
#include <windows.h>

// FALSE for an empty name, one holding a path character (\ / : * ? " < > |)
// or one made only of dots and blanks: each would name another place than
// the folder the user sees.
BOOL IsUsableItemName(LPCWSTR pszName);

// The entry at pszPath as it is on disk, its name spelt as stored; FALSE
// when nothing is there.
BOOL ReadEntryOnDisk(LPCWSTR pszPath, WIN32_FIND_DATAW *pfd);
inline BOOL IsFolderEntry(const WIN32_FIND_DATAW &fd)
{
    return (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Renames pszOld in pszFolder to pszNew. The name the entry has on disk
// afterwards (the file system may drop trailing dots and blanks) goes to
// pszOnDisk. A card's own folder is never renamed.
BOOL RenameEntry(LPCWSTR pszFolder, LPCWSTR pszOld, LPCWSTR pszNew, WCHAR *pszOnDisk, size_t cchOnDisk);
