// New Folder: the folder it goes in, a proposed free name, and the list and
// tree updated with the folder made.
#include "newfolderdlg.h"
#include "itemname.h"
#include "mainwnd.h"
#include "filelist.h"
#include "foldertree.h"
#include "kit.h"
#include "../res/tavel/resource.h"
#include <strsafe.h>
#include <cwchar>
#include <initializer_list>

static HFONT s_hfontDialog;

// The path edit's folder as a join takes it: the root's one "\" joins no
// second backslash; any other one character is no folder of the handset.
static LPCWSTR JoinBase(LPCWSTR pszFolder)
{
    return wcscmp(pszFolder, L"\\") == 0 ? L"" : pszFolder;
}

// "New Folder %d" with the smallest number from 1 whose folder is not there yet.
static void ProposeNewFolderName(LPCWSTR pszFolder, WCHAR *pszName, size_t cchName)
{
    WCHAR szFormat[32] = L"";
    LoadStringW(g_hInst, IDS_NEW_FOLDER_FORMAT, szFormat, ARRAYSIZE(szFormat));
    WCHAR szPath[MAX_PATH];
    for (int i = 1; i < 10000; ++i) {
        if (FAILED(StringCchPrintfW(pszName, cchName, szFormat, i)))
            break;
        if (JoinPath(JoinBase(pszFolder), pszName, szPath, ARRAYSIZE(szPath)) &&
            GetFileAttributesW(szPath) == INVALID_FILE_ATTRIBUTES)
            return;
    }
    pszName[0] = 0;
}

static void SetLabel(HWND hdlg, int id, UINT ids)
{
    WCHAR sz[64];
    if (LoadStringW(g_hInst, ids, sz, ARRAYSIZE(sz)))
        SetDlgItemTextW(hdlg, id, sz);
}

static BOOL OnInitDialog(HWND hdlg)
{
    HWND hwndBar = CreateSoftKeyBar(hdlg, IDR_BAR_NEW_FOLDER);
    if (!hwndBar || !InitFullScreenDialog(hdlg))
        return FALSE;
    OverrideBackKey(hwndBar);
    WCHAR szText[MAX_PATH];
    if (LoadStringW(g_hInst, IDS_NEW_FOLDER, szText, ARRAYSIZE(szText)))
        SetWindowTextW(hdlg, szText);
    SetLabel(hdlg, IDC_NEW_FOLDER_PATH_LABEL, IDS_NEW_FOLDER_PATH);
    SetLabel(hdlg, IDC_NEW_FOLDER_NAME_LABEL, IDS_NEW_FOLDER_NAME);
    LOGFONTW lf = {};
    GetObjectW(GetStockObject(SYSTEM_FONT), sizeof(lf), &lf);
    lf.lfHeight = -12;
    lf.lfWidth = 0;
    lf.lfWeight = 100;
    if (!s_hfontDialog)
        s_hfontDialog = CreateFontIndirectW(&lf);
    for (int id : {IDC_NEW_FOLDER_PATH_LABEL, IDC_NEW_FOLDER_NAME_LABEL, IDC_NEW_FOLDER_PATH, IDC_NEW_FOLDER_NAME})
        SendDlgItemMessageW(hdlg, id, WM_SETFONT, (WPARAM)s_hfontDialog, FALSE);
    if (IsTreeMode()) {
        HWND hwndTree = GetFolderTreeWindow();
        GetNodePath(hwndTree, GetSelectedNode(hwndTree), szText, ARRAYSIZE(szText));
    } else {
        StringCchCopyW(szText, ARRAYSIZE(szText), g_szCurrentFolder);
    }
    if (!szText[0])
        StringCchCopyW(szText, ARRAYSIZE(szText), L"\\");
    SetDlgItemTextW(hdlg, IDC_NEW_FOLDER_PATH, szText);
    WCHAR szName[MAX_PATH];
    ProposeNewFolderName(szText, szName, ARRAYSIZE(szName));
    SetDlgItemTextW(hdlg, IDC_NEW_FOLDER_NAME, szName);
    for (int id : {IDC_NEW_FOLDER_PATH, IDC_NEW_FOLDER_NAME})
        SendDlgItemMessageW(hdlg, id, EM_LIMITTEXT, MAX_PATH - 1, 0);
    HWND hwndName = GetDlgItem(hdlg, IDC_NEW_FOLDER_NAME);
    SetFocus(hwndName);
    SendMessageW(hwndName, EM_SETSEL, 0, -1);
    return FALSE;
}

// The list (when it shows the folder) and the tree take the new folder, by
// the name it has on disk.
static void ShowNewFolder(LPCWSTR pszBase, LPCWSTR pszName)
{
    if (!IsTreeMode() && _wcsicmp(pszBase, g_szCurrentFolder) == 0)
        MoveSelectionTo(AppendListRow(pszName));
    HWND hwndTree = GetFolderTreeWindow();
    if (!hwndTree)
        return;
    HTREEITEM hParent = pszBase[0] ? FindExactFolderNode(pszBase)
                                   : (HTREEITEM)SendMessageW(hwndTree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
    if (hParent)
        SelectNode(hwndTree, ReadFolderNode(hwndTree, hParent, pszBase, pszName));
}

static void ShowCantCreate(HWND hdlg, LPCWSTR pszPath)
{
    WCHAR szText[MAX_PATH + 64] = L"", szCaption[32] = L"";
    LoadStringW(g_hInst, IDS_CANT_CREATE_DIR, szText, ARRAYSIZE(szText));
    LoadStringW(g_hInst, IDS_ERROR, szCaption, ARRAYSIZE(szCaption));
    StringCchCatW(szText, ARRAYSIZE(szText), pszPath);
    MessageBoxW(hdlg, szText, szCaption, MB_ICONHAND);
}

// Makes the folder; on failure says why, else returns its record as on disk.
static BOOL MakeFolder(HWND hdlg, LPCWSTR pszBase, LPCWSTR pszName, WIN32_FIND_DATAW *pfd)
{
    WCHAR szPath[MAX_PATH];
    UINT idsWhy = 0;
    DWORD dwBase = pszBase[0] ? GetFileAttributesW(pszBase) : FILE_ATTRIBUTE_DIRECTORY;
    if (dwBase == INVALID_FILE_ATTRIBUTES || !(dwBase & FILE_ATTRIBUTE_DIRECTORY))
        idsWhy = IDS_NO_FOLDER_PATH;
    else if (!JoinPath(pszBase, pszName, szPath, ARRAYSIZE(szPath)))
        idsWhy = IDS_NEW_FOLDER_INVALID;  // too long for a path
    else if (!CreateDirectoryW(szPath, nullptr))
        idsWhy = GetLastError() == ERROR_ALREADY_EXISTS   ? IDS_FOLDER_EXISTS
                 : GetLastError() == ERROR_INVALID_NAME ? IDS_NEW_FOLDER_INVALID
                                                          : 0;
    else if (ReadEntryOnDisk(szPath, pfd) && IsFolderEntry(*pfd))
        return TRUE;
    // Made and not there (a name the file system takes for a device) is no success.
    if (idsWhy)
        ShowResourceMessage(hdlg, MB_ICONHAND, g_hInst, IDS_ERROR, idsWhy);
    else
        ShowCantCreate(hdlg, szPath);
    return FALSE;
}

// "\d\" is the folder "\d": a second backslash would join to no place at all.
static void TrimTrailingBackslashes(WCHAR *pszFolder)
{
    size_t cch = wcslen(pszFolder);
    while (cch > 1 && pszFolder[cch - 1] == L'\\')
        pszFolder[--cch] = 0;
}

static void OnDone(HWND hdlg)
{
    WCHAR szFolder[MAX_PATH], szName[MAX_PATH];
    GetDlgItemTextW(hdlg, IDC_NEW_FOLDER_PATH, szFolder, ARRAYSIZE(szFolder));
    GetDlgItemTextW(hdlg, IDC_NEW_FOLDER_NAME, szName, ARRAYSIZE(szName));
    if (!IsUsableItemName(szName)) {
        ShowResourceMessage(hdlg, MB_ICONHAND, g_hInst, IDS_ERROR, IDS_NEW_FOLDER_INVALID);
        return;
    }
    TrimTrailingBackslashes(szFolder);
    LPCWSTR pszBase = JoinBase(szFolder);
    WIN32_FIND_DATAW fd;
    if (MakeFolder(hdlg, pszBase, szName, &fd))
        ShowNewFolder(pszBase, fd.cFileName);
    EndDialog(hdlg, TRUE);
}

static INT_PTR CALLBACK NewFolderProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog(hdlg);
    case WM_HOTKEY:
        HandleBackHotKey(wp, lp);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDM_NEW_FOLDER_DONE: OnDone(hdlg); return TRUE;
        case IDM_NEW_FOLDER_CANCEL:
        case IDCANCEL: EndDialog(hdlg, FALSE); return TRUE;
        }
        break;
    }
    return FALSE;
}

void OnNewFolderCommand(HWND hwnd)
{
    RunDialogFromTemplate(g_hInst, IDD_NEW_FOLDER, hwnd, NewFolderProc, 0);
}
