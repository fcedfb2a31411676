// New Folder (dialog 116), from list mode (40015) and tree mode (40133).
#pragma once
#include <windows.h>

void OnNewFolderCommand(HWND hwnd);
