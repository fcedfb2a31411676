// Flash storage: the device storage (the volume of the documents folder) and a card.
#pragma once
#include <windows.h>

// Name of the device storage; FALSE when the documents folder cannot be read.
BOOL GetDeviceStorageName(LPWSTR pszName, size_t cchName);
// System-information page: the device and card groups (values keep their text when no card).
void ShowFlashStorage(HWND hdlg);
// Space-manager page: the device storage's total, used and free, and its usage bar.
void ShowDeviceStorageWithBar(HWND hdlg);
