// The file manager's main window.
#pragma once
#include <windows.h>

#define TAVEL_CLASS L"TavelApp"

extern HWND g_hwndMain;
extern WCHAR g_szTitle[20];
extern CRITICAL_SECTION g_csTree;
extern HANDLE g_hShowTreeSelectEvent;

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
