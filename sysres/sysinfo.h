// Ostrel's frame: main window and the system-information page.
#pragma once
#include <windows.h>

#define OSTREL_CLASS L"Ostrel"

extern HWND g_hwndMain;
extern HWND g_hdlgSysInfo;
extern WCHAR g_szTitle[32];

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK SysInfoDlgProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp);

// Every label and group text from the string table; storage values "Unknown".
void FillSysInfoLabels(HWND hdlg);
// Power, memory, storage and device values, read afresh.
void RefreshSysInfo(HWND hdlg);
// A string of the table into a control of a page.
void SetStringText(HWND hdlg, int idControl, UINT ids);
// A byte count as text into a control of a page.
void SetByteCountText(HWND hdlg, int idControl, double dblBytes);
