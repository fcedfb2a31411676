// The SIM program's main window.
#pragma once
#include <windows.h>

#define MORLIN_CLASS L"Morlin"

extern HWND g_hwndMain;
extern WCHAR g_szTitle[20];
extern WCHAR g_szSmsTitle[20];

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
