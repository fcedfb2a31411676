// Rename dialog of list mode: one edit laid over the selected row; the file
// is moved on disk and the row takes the new name where it stands.
#include "renamedlg.h"
#include "itemname.h"
#include "mainwnd.h"
#include "filelist.h"
#include "foldertree.h"
#include "kit.h"
#include "../res/tavel/resource.h"
#include <strsafe.h>
#include <cwchar>

// The entry chosen, taken when the dialog opens: a card coming or going
// lists the folder again under the open dialog.
static int s_iRenameRow;
static WCHAR s_szFolder[MAX_PATH];
static WCHAR s_szOldName[MAX_PATH];

static BOOL OnInitDialog(HWND hdlg)
{
    HWND hwndBar = CreateSoftKeyBar(hdlg, IDR_BAR_RENAME_DLG);
    if (!hwndBar)
        return FALSE;
    OverrideBackKey(hwndBar);
    WCHAR szTitle[32];
    if (LoadStringW(g_hInst, IDS_RENAME, szTitle, ARRAYSIZE(szTitle)))
        SetWindowTextW(hdlg, szTitle);
    HWND hwndEdit = GetDlgItem(hdlg, IDC_RENAME_EDIT);
    SendMessageW(hwndEdit, EM_LIMITTEXT, MAX_PATH - 1, 0);
    SetWindowTextW(hwndEdit, s_szOldName);
    // Over the row: its top in the list, and the list's place on the screen.
    RECT rcRow = {LVIR_BOUNDS, 0, 0, 0};
    SendMessageW(GetFileListWindow(), LVM_GETITEMRECT, s_iRenameRow, (LPARAM)&rcRow);
    MoveWindow(hdlg, 20, rcRow.top + 40, 120, 20, FALSE);
    MoveWindow(hwndEdit, 0, 0, 120, 20, FALSE);
    SetFocus(hwndEdit);
    SendMessageW(hwndEdit, EM_SETSEL, 0, -1);
    return FALSE;
}

// The row, while the list shows its folder, and the folder's tree node take
// the name the entry has on disk now.
static void ShowRenamed(LPCWSTR pszOnDisk)
{
    int iRow = _wcsicmp(s_szFolder, g_szCurrentFolder) == 0 ? FindListRow(s_szOldName) : -1;
    if (iRow >= 0) {
        StringCchCopyW(g_aFileTable[iRow].fd.cFileName, ARRAYSIZE(g_aFileTable[iRow].fd.cFileName), pszOnDisk);
        SendMessageW(GetFileListWindow(), LVM_REDRAWITEMS, iRow, iRow);
    }
    RenameFolderNode(s_szFolder, s_szOldName, pszOnDisk);
}

static void OnRenameOk(HWND hdlg)
{
    WCHAR szNew[MAX_PATH];
    GetDlgItemTextW(hdlg, IDC_RENAME_EDIT, szNew, ARRAYSIZE(szNew));
    if (!IsUsableItemName(szNew)) {
        ShowResourceMessage(hdlg, MB_ICONHAND, g_hInst, IDS_RENAME, IDS_RENAME_INVALID);
        return;
    }
    WCHAR szOnDisk[MAX_PATH];
    BOOL fMoved = RenameEntry(s_szFolder, s_szOldName, szNew, szOnDisk, ARRAYSIZE(szOnDisk));
    if (fMoved)
        ShowRenamed(szOnDisk);
    else
        ShowResourceMessage(hdlg, MB_ICONHAND, g_hInst, IDS_RENAME, IDS_CANT_RENAME);
    EndDialog(hdlg, fMoved);
}

static INT_PTR CALLBACK RenameProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog(hdlg);
    case WM_HOTKEY:
        HandleBackHotKey(wp, lp);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDM_RENAME_OK: OnRenameOk(hdlg); return TRUE;
        case IDM_RENAME_CANCEL:
        case IDCANCEL: EndDialog(hdlg, FALSE); return TRUE;
        }
        break;
    }
    return FALSE;
}

void OnRenameCommand(HWND hwnd)
{
    int iRow = FirstSelectedRow();
    if (iRow < 0 || IsParentRow(iRow))
        return;
    s_iRenameRow = iRow;
    StringCchCopyW(s_szFolder, ARRAYSIZE(s_szFolder), g_szCurrentFolder);
    StringCchCopyW(s_szOldName, ARRAYSIZE(s_szOldName), g_aFileTable[iRow].fd.cFileName);
    RunDialogFromTemplate(g_hInst, IDD_RENAME, hwnd, RenameProc, 0);
}
