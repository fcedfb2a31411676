// The search form: pattern, start folder and the two choices; Start opens
// the result page over it.
#include "find.h"
#include "filelist.h"
#include "foldertree.h"
#include "mainwnd.h"
#include "kit.h"
#include "../res/tavel/resource.h"
#include <strsafe.h>
#include <initializer_list>

static HFONT s_hfontForm;

void TrimFolderText(WCHAR *pszFolder)
{
    size_t cch = wcsnlen(pszFolder, MAX_PATH);
    if (cch > 0 && cch < MAX_PATH && pszFolder[cch - 1] == L'\\')
        pszFolder[cch - 1] = 0;
}

// The list's current folder, or the selected tree node's path (the root when none).
static void GetStartFolder(WCHAR *pszFolder, size_t cchFolder)
{
    pszFolder[0] = 0;
    if (!IsTreeMode()) {
        StringCchCopyW(pszFolder, cchFolder, g_szCurrentFolder);
        return;
    }
    HWND hwndTree = GetFolderTreeWindow();
    HTREEITEM hNode = hwndTree ? GetSelectedNode(hwndTree) : nullptr;
    if (hNode)
        GetNodePath(hwndTree, hNode, pszFolder, cchFolder);
}

static void SetText(HWND hdlg, int id, UINT ids)
{
    WCHAR sz[64];
    if (LoadStringW(g_hInst, ids, sz, ARRAYSIZE(sz)))
        SetDlgItemTextW(hdlg, id, sz);
}

static BOOL OnInitDialog(HWND hdlg)
{
    HWND hwndBar = nullptr;
    if (!InitFullScreenDialog(hdlg) || !(hwndBar = CreateSoftKeyBar(hdlg, IDR_BAR_FIND))) {
        EndDialog(hdlg, IDCANCEL);
        return FALSE;
    }
    OverrideBackKey(hwndBar);
    WCHAR sz[MAX_PATH];
    if (LoadStringW(g_hInst, IDS_FIND_TITLE, sz, ARRAYSIZE(sz)))
        SetWindowTextW(hdlg, sz);
    static const UINT kTexts[][2] = {{IDC_FIND_PATTERN_LABEL, IDS_FIND_FILENAME},
                                     {IDC_FIND_FOLDER_LABEL, IDS_FIND_FOLDER},
                                     {IDC_FIND_SUBFOLDERS, IDS_FIND_SUBFOLDERS},
                                     {IDC_FIND_SYSTEM, IDS_FIND_SYSTEM}};
    for (const auto &t : kTexts)
        SetText(hdlg, t[0], t[1]);
    s_hfontForm = CreateSystemFont(-12, FW_THIN);
    for (int id : {IDC_FIND_PATTERN_LABEL, IDC_FIND_FOLDER_LABEL, IDC_FIND_PATTERN, IDC_FIND_FOLDER,
                   IDC_FIND_SUBFOLDERS, IDC_FIND_SYSTEM})
        SendDlgItemMessageW(hdlg, id, WM_SETFONT, (WPARAM)s_hfontForm, FALSE);
    SendDlgItemMessageW(hdlg, IDC_FIND_PATTERN, EM_LIMITTEXT, MAX_PATH - 1, 0);
    SendDlgItemMessageW(hdlg, IDC_FIND_FOLDER, EM_LIMITTEXT, MAX_PATH - 1, 0);
    SetDlgItemTextW(hdlg, IDC_FIND_PATTERN, L"*.*");
    GetStartFolder(sz, ARRAYSIZE(sz));
    SetDlgItemTextW(hdlg, IDC_FIND_FOLDER, sz[0] ? sz : L"\\");
    SetFocus(GetDlgItem(hdlg, IDC_FIND_PATTERN));
    return FALSE;
}

static void OnStart(HWND hdlg)
{
    FindSettings &fs = g_findSettings;
    GetDlgItemTextW(hdlg, IDC_FIND_PATTERN, fs.szPattern, ARRAYSIZE(fs.szPattern));
    GetDlgItemTextW(hdlg, IDC_FIND_FOLDER, fs.szFolder, ARRAYSIZE(fs.szFolder));
    TrimFolderText(fs.szFolder);
    fs.fSubfolders = IsDlgButtonChecked(hdlg, IDC_FIND_SUBFOLDERS) == BST_CHECKED;
    fs.fSystemFiles = IsDlgButtonChecked(hdlg, IDC_FIND_SYSTEM) == BST_CHECKED;
    RunDialogFromTemplate(g_hInst, IDD_FIND_RESULT, hdlg, FindResultProc, 0);
}

static void OnCommand(HWND hdlg, UINT id)
{
    switch (id) {
    case IDM_FIND_START: OnStart(hdlg); break;
    case IDM_FIND_CANCEL: EndDialog(hdlg, IDCANCEL); break;
    case IDCANCEL: EndDialog(hdlg, IDCANCEL); break;
    }
}

INT_PTR CALLBACK FindFormProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog(hdlg);
    case WM_COMMAND:
        OnCommand(hdlg, LOWORD(wp));
        return TRUE;
    case WM_HOTKEY:
        HandleBackHotKey(wp, lp);
        return TRUE;
    case WM_DESTROY:
        if (s_hfontForm)
            DeleteObject(s_hfontForm);
        s_hfontForm = nullptr;
        return FALSE;
    }
    return FALSE;
}

void OnFindCommand(HWND hwndMain)
{
    RunDialogFromTemplate(g_hInst, IDD_FIND, hwndMain, FindFormProc, 0);
}
