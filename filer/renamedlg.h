// Rename of a list entry (dialog 103 over its row).
#pragma once
#include <windows.h>

// Command 40003 with a row selected.
void OnRenameCommand(HWND hwnd);
