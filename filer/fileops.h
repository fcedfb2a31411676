// Move, copy (with its progress window) and delete of files and folders,
// and the destination tree they are chosen in.
#pragma once
#include <windows.h>

#define OP_NONE     0
#define OP_MOVE     1
#define OP_COPY     2
#define OP_SHORTCUT 3

int GetOperationMode();
void EnterDestTree(HWND hwnd, int iMode);
void OnDestDone(HWND hwnd);
void OnDestCancel(HWND hwnd);
// WM_ACTIVATE while the destination tree is shown.
void ShowDestTreeAgain();
// The two header lines as shown.
LPCWSTR GetDestHeaderLine(int iLine);
HWND GetProgressWindow();

void OnDeleteCommand(HWND hwnd);
void OnTreeDeleteCommand(HWND hwnd);

BOOL CopyFolderRecursive(HWND hwndOwner, LPCWSTR pszSource, LPCWSTR pszTarget);
BOOL DeleteFolderRecursive(HWND hwndOwner, LPCWSTR pszFolder);
// The modeless window with its four fixed texts; the caller destroys it.
HWND CreateProgressWindow(HWND hwndOwner);
void UpdateCopyProgress(HWND hdlg, LPCWSTR pszSource, LPCWSTR pszTarget);

// The target is the source itself or lies inside it.
BOOL IsSameOrInside(LPCWSTR pszSource, LPCWSTR pszTarget);
// Whole up to 20 characters, else "..." and the last 17.
void ShortenProgressPath(LPCWSTR pszPath, WCHAR *pszOut, size_t cchOut);
