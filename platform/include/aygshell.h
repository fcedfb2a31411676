// Smartphone shell: soft-key menu bars, full-screen dialogs, the Back key.
#pragma once
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifndef VK_TBACK
#define VK_TBACK  VK_ESCAPE
#define VK_TSOFT1 VK_F1
#define VK_TSOFT2 VK_F2
#define VK_TSTAR  VK_F8
#define VK_TPOUND VK_F9
#define VK_TACTION VK_RETURN
#endif
#ifndef MOD_KEYUP
#define MOD_KEYUP 0x1000
#endif

typedef struct tagSHMENUBARINFO {
    DWORD cbSize;
    HWND hwndParent;
    DWORD dwFlags;
    UINT nToolBarId;
    HINSTANCE hInstRes;
    int nBmpId;
    int cBmpImages;
    HWND hwndMB;
    COLORREF clrBk;
} SHMENUBARINFO, *PSHMENUBARINFO;

#define SHCMBF_EMPTYBAR      0x0001
#define SHCMBF_HIDDEN        0x0002
#define SHCMBF_HIDESIPBUTTON 0x0004
#define SHCMBF_COLORBK       0x0008
#define SHCMBF_HMENU         0x0010

#define SHCMBM_SETSUBMENU   (WM_USER + 400)
#define SHCMBM_GETSUBMENU   (WM_USER + 401)
#define SHCMBM_GETMENU      (WM_USER + 402)
#define SHCMBM_OVERRIDEKEY  (WM_USER + 403)
#define SHCMBM_SETBKCOLOR   (WM_USER + 406)

#define SHMBOF_NODEFAULT 0x00000001
#define SHMBOF_NOTIFY    0x00000002

typedef struct tagSHINITDLGINFO {
    DWORD dwMask;
    HWND hDlg;
    DWORD dwFlags;
} SHINITDLGINFO, *PSHINITDLGINFO;

#define SHIDIM_FLAGS 0x0001

#define SHIDIF_DONEBUTTON          0x0001
#define SHIDIF_SIZEDLG             0x0002
#define SHIDIF_SIZEDLGFULLSCREEN   0x0004
#define SHIDIF_SIPDOWN             0x0008
#define SHIDIF_FULLSCREENNOMENUBAR 0x0010

BOOL WINAPI SHCreateMenuBar(SHMENUBARINFO *pmbi);
BOOL WINAPI SHInitDialog(PSHINITDLGINFO pshidi);
void WINAPI SHSendBackToFocusWindow(UINT uMsg, WPARAM wp, LPARAM lp);
// aygshell ordinal 183: hand the Back key to the shell.
void WINAPI SHNavigateBack(void);


// Input mode of an edit control on the phone keypad.
#ifndef EM_SETINPUTMODE
#define EM_SETINPUTMODE 0x00DE
#endif
#define EIM_NUMBERS 2
#define EIM_TEXT    3

#ifdef __cplusplus
}
#endif
