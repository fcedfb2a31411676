// Create Shortcut (Done of the destination tree in mode 3) and the name it gives.
#pragma once
#include <windows.h>

// The name up to its last "." (or whole), then ".lnk"; FALSE when it does not fit.
BOOL MakeShortcutName(LPCWSTR pszName, WCHAR *pszOut, size_t cchOut);
// A shortcut to the first selected row in the destination tree's folder.
void RunCreateShortcut(HWND hwnd);
