// Task manager page: the applications with a visible top-level window, their
// icons and process ids; Kill, Kill All, Kill All Except Selected and Go To.
#include "taskman.h"
#include "../res/ostrel/resource.h"
#include <commctrl.h>
#include <shellapi.h>
#include <strsafe.h>
#include <algorithm>
#include <vector>

namespace {
struct Shortcut {
    LPCWSTR pszClass;
    LPCWSTR pszLink;  // below the Start-menu folder
};
const Shortcut s_aShortcuts[] = {
    {L"Calendar", L"\\Calendar.lnk"},
    {L"MSClog", L"\\Call History.lnk"},
    {L"MSContacts", L"\\Contacts.lnk"},
    {L"Inbox.MainWnd", L"\\Inbox.lnk"},
    {L"MSIM_WNDCLASSNAME", L"\\MSN Messenger.lnk"},
    {L"mssolitaire", L"\\Games\\Solitaire.lnk"},
    {L"MSScut", L"\\Speed Dial.lnk"},
    {L"Tasks application", L"\\Tasks.lnk"},
    {L"Notes.MainWnd", L"\\Voice Notes.lnk"},
};
// The shell's windows: never listed, and their processes never ended.
const LPCWSTR s_apszShell[] = {L"Tray", L"MSStart", L"DesktopExplorerWindow"};
const LPCWSTR s_apszHidden[] = {L"ActiveSync", L"MSCprog", L"MSPOutlook", L"Ostrel"};
const int kPidColumnWidth = 75;
const DWORD kKillWaitMs = 1000;

// The page's own state, from opening to closing.
TaskTables *s_ptables;
HWND s_hwndList;
HIMAGELIST s_himl;

struct EnumContext {
    const TaskTables *ptables;
    const std::function<void(const TaskWindow &)> *pfn;
};

BOOL CALLBACK EnumTaskProc(HWND hwnd, LPARAM lp)
{
    EnumContext *pctx = (EnumContext *)lp;
    TaskWindow tw;
    ReadTaskWindow(hwnd, &tw);
    if (IsListedTask(tw, *pctx->ptables))
        (*pctx->pfn)(tw);
    return TRUE;  // always on to the next window
}

struct PidSearch {
    DWORD dwPid;
    HWND hwnd;
};

BOOL CALLBACK FindPidProc(HWND hwnd, LPARAM lp)
{
    PidSearch *ps = (PidSearch *)lp;
    DWORD dwPid = 0;
    GetWindowThreadProcessId(hwnd, &dwPid);
    // Only a window of the kind the list shows: hidden helper windows (IME and
    // the like) and pop-ups cannot come forward in place of the application.
    if (dwPid != ps->dwPid || !IsWindowVisible(hwnd) || (GetWindowLongW(hwnd, GWL_STYLE) & WS_POPUP))
        return TRUE;
    ps->hwnd = hwnd;
    return FALSE;
}

BOOL CALLBACK FindShellProc(HWND hwnd, LPARAM lp)
{
    PidSearch *ps = (PidSearch *)lp;
    DWORD dwPid = 0;
    GetWindowThreadProcessId(hwnd, &dwPid);
    WCHAR szClass[64] = L"";
    if (dwPid != ps->dwPid || !GetClassNameW(hwnd, szClass, ARRAYSIZE(szClass)))
        return TRUE;
    for (LPCWSTR pszShell : s_apszShell) {
        if (lstrcmpW(szClass, pszShell) == 0) {
            ps->hwnd = hwnd;
            return FALSE;
        }
    }
    return TRUE;
}

// This program and the shell (the desktop's process included) stay, whatever
// the list shows: the hidden classes may not have been read.
BOOL IsShellOrOwnProcess(DWORD dwPid)
{
    if (dwPid == GetCurrentProcessId())
        return TRUE;
    for (HWND hwnd : {GetDesktopWindow(), GetShellWindow()}) {
        DWORD dwShellPid = 0;
        if (hwnd && GetWindowThreadProcessId(hwnd, &dwShellPid) && dwShellPid == dwPid)
            return TRUE;
    }
    PidSearch search = {dwPid, nullptr};
    EnumWindows(FindShellProc, (LPARAM)&search);
    return search.hwnd != nullptr;
}

void AddTaskRow(const TaskWindow &tw)
{
    int iImage = I_IMAGENONE;
    SHFILEINFOW sfi;
    ZeroMemory(&sfi, sizeof(sfi));
    if (SHGetFileInfoW(TaskIconSource(tw, *s_ptables), 0, &sfi, sizeof(sfi), SHGFI_ICON | SHGFI_SMALLICON) &&
        sfi.hIcon) {
        int iIcon = ImageList_ReplaceIcon(s_himl, -1, sfi.hIcon);
        DestroyIcon(sfi.hIcon);
        if (iIcon >= 0)
            iImage = iIcon;
    }
    WCHAR szTitle[ARRAYSIZE(tw.szTitle)];
    StringCchCopyW(szTitle, ARRAYSIZE(szTitle), tw.szTitle);
    LVITEMW lvi;
    ZeroMemory(&lvi, sizeof(lvi));
    lvi.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    lvi.iItem = INT_MAX;
    lvi.pszText = szTitle;
    lvi.iImage = iImage;
    lvi.lParam = (LPARAM)tw.dwPid;
    int iItem = (int)SendMessageW(s_hwndList, LVM_INSERTITEMW, 0, (LPARAM)&lvi);
    if (iItem < 0)
        return;
    WCHAR szPid[16];
    StringCchPrintfW(szPid, ARRAYSIZE(szPid), L"0x%08x", tw.dwPid);
    lvi.mask = LVIF_TEXT;
    lvi.iItem = iItem;
    lvi.iSubItem = 1;
    lvi.pszText = szPid;
    SendMessageW(s_hwndList, LVM_SETITEMTEXTW, iItem, (LPARAM)&lvi);
}

DWORD RowPid(int iItem)
{
    LVITEMW lvi;
    ZeroMemory(&lvi, sizeof(lvi));
    lvi.mask = LVIF_PARAM;
    lvi.iItem = iItem;
    SendMessageW(s_hwndList, LVM_GETITEMW, 0, (LPARAM)&lvi);
    return (DWORD)lvi.lParam;
}

int SelectedRow()
{
    return (int)SendMessageW(s_hwndList, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED);
}

void KillOrReport(DWORD dwPid)
{
    if (!KillTaskProcess(dwPid))
        ShowResourceMessage(s_hwndList, MB_ICONHAND, g_hInst, IDS_ERROR, IDS_KILL_ERROR, dwPid);
}

void OnRefresh()
{
    ImageList_Remove(s_himl, -1);
    SendMessageW(s_hwndList, LVM_DELETEALLITEMS, 0, 0);
    if (!EnumTasks(*s_ptables, AddTaskRow))
        return;
    if (SendMessageW(s_hwndList, LVM_GETITEMCOUNT, 0, 0) <= 0)
        return;
    LVITEMW lvi;
    ZeroMemory(&lvi, sizeof(lvi));
    lvi.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    lvi.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(s_hwndList, LVM_SETITEMSTATE, 0, (LPARAM)&lvi);
}

void OnKill(HWND hdlg)
{
    int iItem = SelectedRow();
    if (iItem < 0)
        return;
    KillOrReport(RowPid(iItem));
    SendMessageW(hdlg, WM_COMMAND, IDM_TASK_REFRESH, 0);
}

// The processes of the rows listed when the command was given, in list order
// and once each (fExceptSelected: but the selected row's process, all its
// windows). A failed kill's message box re-activates the page, which lists
// the windows again under the loop: the loop never reads the list.
void OnKillAll(HWND hdlg, BOOL fExceptSelected)
{
    int iSelected = fExceptSelected ? SelectedRow() : -1;
    DWORD dwKeep = iSelected >= 0 ? RowPid(iSelected) : 0;
    std::vector<DWORD, KitAllocator<DWORD>> pids;
    int cItems = (int)SendMessageW(s_hwndList, LVM_GETITEMCOUNT, 0, 0);
    for (int iItem = 0; iItem < cItems; ++iItem) {
        DWORD dwPid = RowPid(iItem);
        if ((iSelected >= 0 && dwPid == dwKeep) || std::find(pids.begin(), pids.end(), dwPid) != pids.end())
            continue;
        pids.push_back(dwPid);
    }
    for (DWORD dwPid : pids)
        KillOrReport(dwPid);
    SendMessageW(hdlg, WM_COMMAND, IDM_TASK_REFRESH, 0);
}

void OnGoTo()
{
    int iItem = SelectedRow();
    if (iItem < 0)
        return;
    HWND hwnd = FindTaskWindow(RowPid(iItem));
    if (hwnd && IsWindow(hwnd))
        SetForegroundWindow((HWND)((ULONG_PTR)hwnd | 1));  // with its open dialog, if any
}

void AddColumn(int iColumn, UINT ids, int fmt, int cx)
{
    WCHAR sz[64] = L"";
    LoadStringW(g_hInst, ids, sz, ARRAYSIZE(sz));
    LVCOLUMNW lvc;
    ZeroMemory(&lvc, sizeof(lvc));
    lvc.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH | LVCF_SUBITEM;
    lvc.fmt = fmt;
    lvc.cx = cx;
    lvc.pszText = sz;
    lvc.iSubItem = iColumn;
    SendMessageW(s_hwndList, LVM_INSERTCOLUMNW, iColumn, (LPARAM)&lvc);
}

BOOL OnInitDialog(HWND hdlg)
{
    if (!InitFullScreenDialog(hdlg)) {
        ShowResourceMessage(hdlg, MB_ICONHAND, g_hInst, IDS_ERROR, IDS_ERR_DIALOG);
        EndDialog(hdlg, -1);
        return FALSE;
    }
    if (!CreateSoftKeyBar(hdlg, IDR_BAR_TASKS)) {
        ShowResourceMessage(hdlg, MB_ICONHAND, g_hInst, IDS_ERROR, IDS_ERR_MENUBAR);
        EndDialog(hdlg, -1);
        return FALSE;
    }
    s_himl = ImageList_Create(16, 16, ILC_MASK | ILC_COLOR32, 0, 0);
    s_hwndList = GetDlgItem(hdlg, IDC_TASK_LIST);
    RECT rc;
    GetClientRect(hdlg, &rc);
    MoveWindow(s_hwndList, 0, 0, rc.right, rc.bottom, FALSE);
    SendMessageW(s_hwndList, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    SendMessageW(s_hwndList, LVM_SETIMAGELIST, LVSIL_SMALL, (LPARAM)s_himl);
    AddColumn(0, IDS_COL_APPLICATION, LVCFMT_LEFT, rc.right - kPidColumnWidth);
    AddColumn(1, IDS_COL_PID, LVCFMT_RIGHT, kPidColumnWidth);
    WCHAR szCaption[64];
    if (LoadStringW(g_hInst, IDS_TASK_MANAGER, szCaption, ARRAYSIZE(szCaption)))
        SetWindowTextW(hdlg, szCaption);
    s_ptables = new (std::nothrow) TaskTables;
    if (s_ptables)
        BuildTaskTables(s_ptables);
    return TRUE;
}

void OnActivate(HWND hdlg, WPARAM wp)
{
    // A click does not count: only the page coming back to the front.
    if (LOWORD(wp) == WA_ACTIVE)
        SendMessageW(hdlg, WM_COMMAND, IDM_TASK_REFRESH, 0);
}

void OnDestroy()
{
    delete s_ptables;
    s_ptables = nullptr;
    s_hwndList = nullptr;
    s_himl = nullptr;  // the list destroys its image list
}

BOOL OnCommand(HWND hdlg, UINT id, HWND hwndCtl)
{
    if (!s_ptables && id != IDM_TASK_QUIT && id != IDCANCEL)
        return TRUE;  // no tables, no list
    switch (id) {
    case IDM_KILL: OnKill(hdlg); return TRUE;
    case IDM_KILL_ALL: OnKillAll(hdlg, FALSE); return TRUE;
    case IDM_KILL_ALL_EXCEPT: OnKillAll(hdlg, TRUE); return TRUE;
    case IDM_GOTO: OnGoTo(); return TRUE;
    case IDM_TASK_REFRESH: OnRefresh(); return TRUE;
    case IDM_TASK_QUIT: EndDialog(hdlg, 0); return TRUE;
    case IDCANCEL: SHNavigateBack(); return TRUE;  // as on the first page
    case IDOK: if (!hwndCtl) OnGoTo(); return TRUE;  // the action key
    }
    return FALSE;
}
} // namespace

void BuildTaskTables(TaskTables *ptables)
{
    WCHAR szStartMenu[MAX_PATH] = L"";
    if (!SHGetSpecialFolderPath(nullptr, szStartMenu, CSIDL_STARTMENU, FALSE) || !szStartMenu[0])
        return;
    for (const Shortcut &sc : s_aShortcuts) {
        WCHAR szPath[MAX_PATH];
        // A link path that would not fit is left out rather than cut.
        if (FAILED(StringCchPrintfW(szPath, ARRAYSIZE(szPath), L"%s%s", szStartMenu, sc.pszLink)))
            continue;
        ptables->mapShortcuts[KitString(sc.pszClass)] = KitString(szPath);
    }
    for (LPCWSTR pszClass : s_apszShell)
        ptables->setHidden.insert(KitString(pszClass));
    for (LPCWSTR pszClass : s_apszHidden)
        ptables->setHidden.insert(KitString(pszClass));
}

void ReadTaskWindow(HWND hwnd, TaskWindow *ptw)
{
    ZeroMemory(ptw, sizeof(*ptw));
    ptw->hwnd = hwnd;
    ptw->lStyle = GetWindowLongW(hwnd, GWL_STYLE);
    GetWindowThreadProcessId(hwnd, &ptw->dwPid);
    // Other programs' texts: each read is bounded by its buffer and ends in a 0.
    GetWindowTextW(hwnd, ptw->szTitle, ARRAYSIZE(ptw->szTitle));
    GetModuleFileNameW((HMODULE)(ULONG_PTR)ptw->dwPid, ptw->szModule, ARRAYSIZE(ptw->szModule));
    GetClassNameW(hwnd, ptw->szClass, ARRAYSIZE(ptw->szClass));
    ptw->szTitle[ARRAYSIZE(ptw->szTitle) - 1] = 0;
    ptw->szModule[ARRAYSIZE(ptw->szModule) - 1] = 0;
    ptw->szClass[ARRAYSIZE(ptw->szClass) - 1] = 0;
    ptw->fVisible = IsWindowVisible(hwnd);
}

BOOL IsListedTask(const TaskWindow &tw, const TaskTables &tables)
{
    if (!tw.fVisible || !tw.szTitle[0] || (tw.lStyle & WS_POPUP))
        return FALSE;
    return tables.setHidden.find(KitString(tw.szClass)) == tables.setHidden.end();
}

LPCWSTR TaskIconSource(const TaskWindow &tw, const TaskTables &tables)
{
    auto it = tables.mapShortcuts.find(KitString(tw.szClass));
    return it != tables.mapShortcuts.end() ? it->second.c_str() : tw.szModule;
}

BOOL EnumTasks(const TaskTables &tables, const std::function<void(const TaskWindow &)> &fn)
{
    EnumContext ctx = {&tables, &fn};
    return EnumWindows(EnumTaskProc, (LPARAM)&ctx);
}

BOOL KillTaskProcess(DWORD dwPid)
{
    if (IsShellOrOwnProcess(dwPid))
        return FALSE;
    HANDLE hProcess = OpenProcess(0, FALSE, dwPid);
    // A process that has already ended cannot be ended again: that is a failure.
    BOOL fOk = hProcess && WaitForSingleObject(hProcess, 0) == WAIT_TIMEOUT && TerminateProcess(hProcess, 0);
    // Let it go before the list is read again, so it is not listed once more.
    if (fOk)
        WaitForSingleObject(hProcess, kKillWaitMs);
    if (hProcess)
        CloseHandle(hProcess);
    return fOk;
}

HWND FindTaskWindow(DWORD dwPid)
{
    PidSearch search = {dwPid, nullptr};
    EnumWindows(FindPidProc, (LPARAM)&search);
    return search.hwnd;
}

INT_PTR CALLBACK TaskManagerDlgProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog(hdlg);
    case WM_ACTIVATE:
        OnActivate(hdlg, wp);
        return FALSE;
    case WM_COMMAND:
        return OnCommand(hdlg, LOWORD(wp), (HWND)lp);
    case WM_DESTROY:
        OnDestroy();
        return FALSE;
    }
    return FALSE;
}
