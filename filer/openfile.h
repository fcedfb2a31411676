// The action key on a file, in the list and in the Find results.
#pragma once
#include <windows.h>

// Opens folder + "\" + name with the handset's shell (verb "Open", no error
// user interface, owner hwndOwner). A failure, an unassociated file among
// them, is the caller's to keep quiet; a path past 259 characters is refused.
BOOL OpenFileItem(HWND hwndOwner, LPCWSTR pszFolder, LPCWSTR pszName);
