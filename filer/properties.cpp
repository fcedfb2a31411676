// The properties page: name, type, location, size, time and attributes of
// one item; a file taken from the list may have its four flags changed.
#include "properties.h"
#include "mainwnd.h"
#include "filelist.h"
#include "foldertree.h"
#include "kit.h"
#include "../res/tavel/resource.h"
#include <strsafe.h>

#define ATTR_FLAGS (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)

static const struct {
    int idc;
    DWORD dwBit;
} kAttrBoxes[] = {{IDC_PROP_READONLY, FILE_ATTRIBUTE_READONLY},
                  {IDC_PROP_ARCHIVE, FILE_ATTRIBUTE_ARCHIVE},
                  {IDC_PROP_HIDDEN, FILE_ATTRIBUTE_HIDDEN},
                  {IDC_PROP_SYSTEM, FILE_ATTRIBUTE_SYSTEM}};

// The item the page was opened on; a copy, as the list may be read again meanwhile.
static BOOL s_fTree;
static int s_iRow;
static WIN32_FIND_DATAW s_fd;
static WCHAR s_szPath[MAX_PATH];

INT_PTR ShowPropertiesPage(HWND hwndOwner, BOOL fTree)
{
    return RunDialogFromTemplate(g_hInst, IDD_PROPERTIES, hwndOwner, PropertiesProc, fTree);
}

static BOOL TakeListItem()
{
    s_iRow = FirstSelectedRow();
    if (s_iRow < 0 || s_iRow >= g_cFileRows || IsParentRow(s_iRow))
        return FALSE;
    s_fd = g_aFileTable[s_iRow].fd;
    return JoinPath(g_szCurrentFolder, s_fd.cFileName, s_szPath, ARRAYSIZE(s_szPath));
}

static BOOL TakeTreeFolder()
{
    HWND hwndTree = GetFolderTreeWindow();
    HTREEITEM hNode = hwndTree ? GetSelectedNode(hwndTree) : nullptr;
    if (!hNode || !GetNodePath(hwndTree, hNode, s_szPath, ARRAYSIZE(s_szPath)) || !s_szPath[0])
        return FALSE;  // the device root has no entry of its own
    HANDLE hFind = FindFirstFileW(s_szPath, &s_fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return FALSE;
    FindClose(hFind);
    return TRUE;
}

// Local time, as the list shows it: "yyyy/MM/dd" and the 24-hour time, unseparated.
static void FormatModified(const FILETIME &ft, WCHAR *psz, size_t cch)
{
    psz[0] = 0;
    FILETIME ftLocal;
    SYSTEMTIME st;
    if (!FileTimeToLocalFileTime(&ft, &ftLocal) || !FileTimeToSystemTime(&ftLocal, &st))
        return;
    WCHAR szDate[32] = L"", szTime[32] = L"";
    GetDateFormatW(LOCALE_USER_DEFAULT, 0, &st, L"yyyy'/'MM'/'dd", szDate, ARRAYSIZE(szDate));
    GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_FORCE24HOURFORMAT, &st, L"tt hh':'mm':'ss", szTime, ARRAYSIZE(szTime));
    StringCchPrintfW(psz, cch, L"%s%s", szDate, szTime);
}

static void SetStringText(HWND hdlg, int idc, UINT ids)
{
    WCHAR sz[64];
    if (LoadStringW(g_hInst, ids, sz, ARRAYSIZE(sz)))
        SetDlgItemTextW(hdlg, idc, sz);
}

static void FillFields(HWND hdlg)
{
    SHFILEINFOW sfi = {};
    SHGetFileInfoW(s_szPath, FILE_ATTRIBUTE_NORMAL, &sfi, sizeof(sfi),
                   SHGFI_DISPLAYNAME | SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES);
    SetDlgItemTextW(hdlg, IDC_PROP_NAME, s_fd.cFileName);
    if (s_fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        SetStringText(hdlg, IDC_PROP_TYPE, IDS_FOLDER_TYPE);
    else
        SetDlgItemTextW(hdlg, IDC_PROP_TYPE, sfi.szTypeName);
    SetDlgItemTextW(hdlg, IDC_PROP_LOCATION, g_szCurrentFolder[0] ? g_szCurrentFolder : L"\\");
    WCHAR sz[64];
    StringCchPrintfW(sz, ARRAYSIZE(sz), L"%I64u bytes", FileSizeOf(s_fd));
    SetDlgItemTextW(hdlg, IDC_PROP_SIZE, sz);
    FormatModified(s_fd.ftLastWriteTime, sz, ARRAYSIZE(sz));
    SetDlgItemTextW(hdlg, IDC_PROP_MODIFIED, sz);
    static const UINT kLabels[][2] = {{IDC_PROP_TYPE_LABEL, IDS_PROP_TYPE},
                                      {IDC_PROP_LOCATION_LABEL, IDS_PROP_LOCATION},
                                      {IDC_PROP_SIZE_LABEL, IDS_PROP_SIZE},
                                      {IDC_PROP_MODIFIED_LABEL, IDS_PROP_MODIFIED},
                                      {IDC_PROP_ATTR_LABEL, IDS_PROP_ATTRIBUTES},
                                      {IDC_PROP_READONLY, IDS_PROP_READONLY},
                                      {IDC_PROP_ARCHIVE, IDS_PROP_ARCHIVE},
                                      {IDC_PROP_HIDDEN, IDS_PROP_HIDDEN},
                                      {IDC_PROP_SYSTEM, IDS_PROP_SYSTEM}};
    for (const auto &l : kLabels)
        SetStringText(hdlg, l[0], l[1]);
    for (const auto &b : kAttrBoxes)
        CheckDlgButton(hdlg, b.idc, (s_fd.dwFileAttributes & b.dwBit) ? BST_CHECKED : BST_UNCHECKED);
}

static void OnInitDialog(HWND hdlg, BOOL fTree)
{
    s_fTree = fTree;
    HWND hwndBar = nullptr;
    if (!InitFullScreenDialog(hdlg) || !(hwndBar = CreateSoftKeyBar(hdlg, IDR_BAR_PROPERTIES))) {
        EndDialog(hdlg, -1);
        return;
    }
    OverrideBackKey(hwndBar);
    if (!(fTree ? TakeTreeFolder() : TakeListItem())) {
        EndDialog(hdlg, -1);
        return;
    }
    WCHAR szCaption[64];
    if (LoadStringW(g_hInst, IDS_PROPERTIES, szCaption, ARRAYSIZE(szCaption)))
        SetWindowTextW(hdlg, szCaption);
    FillFields(hdlg);
    // On the flags: the name is no field to type in.
    SetFocus(GetDlgItem(hdlg, IDC_PROP_READONLY));
}

static void ShowAttributeFailure(HWND hdlg)
{
    WCHAR szText[MAX_PATH + 128] = L"", szTitle[32] = L"";
    LoadStringW(g_hInst, IDS_CANT_SET_ATTRIBUTES, szText, ARRAYSIZE(szText));
    LoadStringW(g_hInst, IDS_ERROR, szTitle, ARRAYSIZE(szTitle));
    StringCchCatW(szText, ARRAYSIZE(szText), L"\"");
    StringCchCatW(szText, ARRAYSIZE(szText), s_szPath);
    StringCchCatW(szText, ARRAYSIZE(szText), L"\"");
    MessageBoxW(hdlg, szText, szTitle, MB_ICONHAND);
}

// Only a file of the list is changed, and only when a box differs from it.
static void OnOk(HWND hdlg)
{
    if (!s_fTree && !(s_fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DWORD dwNew = s_fd.dwFileAttributes & ~ATTR_FLAGS;
        for (const auto &b : kAttrBoxes) {
            if (IsDlgButtonChecked(hdlg, b.idc) == BST_CHECKED)
                dwNew |= b.dwBit;
        }
        if (dwNew != s_fd.dwFileAttributes) {
            if (SetFileAttributesW(s_szPath, dwNew)) {
                // The row is updated only while it still holds this entry.
                if (s_iRow < g_cFileRows && wcscmp(g_aFileTable[s_iRow].fd.cFileName, s_fd.cFileName) == 0)
                    g_aFileTable[s_iRow].fd.dwFileAttributes = dwNew;
            } else {
                ShowAttributeFailure(hdlg);
            }
        }
    }
    EndDialog(hdlg, 0);
}

INT_PTR CALLBACK PropertiesProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_INITDIALOG: OnInitDialog(hdlg, (BOOL)lp); return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDM_PROPERTIES_OK: OnOk(hdlg); break;
        case IDCANCEL: EndDialog(hdlg, 0); break;  // the shell's Back: leave, write nothing
        }
        return TRUE;
    case WM_HOTKEY: return HandleBackHotKey(wp, lp);
    }
    return FALSE;
}
