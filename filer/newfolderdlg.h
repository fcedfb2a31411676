// New Folder (dialog 116), from list mode (40015) and tree mode (40133).
#pragma once
#include <windows.h>

void OnNewFolderCommand(HWND hwnd);
// "New Folder %d" with the smallest number from 1 whose folder is not there yet.
void ProposeNewFolderName(LPCWSTR pszFolder, WCHAR *pszName, size_t cchName);
