// Ostrel's frame: main window and the system-information page.
#pragma once
#include <windows.h>

#define OSTREL_CLASS L"Ostrel"

extern HWND g_hwndMain;
extern HWND g_hdlgSysInfo;
extern LPCWSTR g_pszTitle;

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK SysInfoDlgProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp);
