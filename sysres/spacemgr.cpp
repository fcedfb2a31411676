// Space manager page: frees storage by erasing voice notes, the speed-dial
// and call-history databases and the messages of the messaging stores, and
// shows the device storage again after each erase.
#include "spacemgr.h"
#include "kit.h"
#include "msgstores.h"
#include "storage.h"
#include "sysinfo.h"
#include "../res/ostrel/resource.h"
#include <commctrl.h>
#include <strsafe.h>
#include <windbase.h>

namespace {
const WCHAR kNotesPattern[] = L"\\Notes\\*.wav";
const WCHAR kNotesFolder[] = L"\\Notes\\";
const WCHAR kVolumeName[] = L"mxip_initdb.vol";
const WCHAR kSpeedDial[] = L"speed.db";
const WCHAR kCallHistory[] = L"clog.db";
const int kBarHeight = 15;

struct LabelText {
    int idControl;
    UINT ids;
};
const LabelText s_aLabels[] = {
    {IDC_SPACE_STORAGE_LABEL, IDS_SPACE_STORAGE}, {IDC_SPACE_USED_LABEL, IDS_SPACE_USED},
    {IDC_SPACE_FREE_LABEL, IDS_SPACE_FREE},       {IDC_SPACE_TOTAL, IDS_UNKNOWN},
    {IDC_SPACE_USED, IDS_UNKNOWN},                {IDC_SPACE_FREE, IDS_UNKNOWN},
};

void ShowError(HWND hdlg, UINT idsText)
{
    ShowResourceMessage(hdlg, MB_OK | MB_ICONHAND, g_hInst, IDS_ERROR, idsText);
}

// The documents folder (MAX_PATH characters); FALSE when the handset has none.
BOOL GetDocumentsFolder(LPWSTR pszPath)
{
    if (!SHGetSpecialFolderPath(nullptr, pszPath, CSIDL_PERSONAL, FALSE))
        pszPath[0] = 0;
    return pszPath[0] != 0;
}

// "\" + the device storage name + "\mxip_initdb.vol"; FALSE when it cannot be built.
BOOL BuildVolumePath(LPWSTR pszPath, size_t cchPath)
{
    WCHAR szDevice[MAX_PATH];
    if (!GetDeviceStorageName(szDevice, ARRAYSIZE(szDevice)))
        return FALSE;
    return SUCCEEDED(StringCchPrintfW(pszPath, cchPath, L"\\%s\\%s", szDevice, kVolumeName));
}

// Deletes every found note; FALSE at the first that cannot be deleted.
BOOL DeleteNotes(HANDLE hFind, WIN32_FIND_DATAW *pfd, LPCWSTR pszDocuments)
{
    do {
        WCHAR szPath[MAX_PATH];
        if (FAILED(StringCchPrintfW(szPath, ARRAYSIZE(szPath), L"%s%s%s", pszDocuments, kNotesFolder,
                                    pfd->cFileName)) ||
            !DeleteFileW(szPath))
            return FALSE;
    } while (FindNextFileW(hFind, pfd));
    return TRUE;
}

void EraseVoiceNotes(HWND hdlg, BOOL fAsk)
{
    if (fAsk && !ConfirmErase(hdlg, IDS_ASK_NOTES))
        return;
    WCHAR szDocuments[MAX_PATH];
    WCHAR szPattern[MAX_PATH];
    // Without the documents folder the pattern would search the root: stop here.
    if (!GetDocumentsFolder(szDocuments) ||
        FAILED(StringCchPrintfW(szPattern, ARRAYSIZE(szPattern), L"%s%s", szDocuments, kNotesPattern))) {
        ShowError(hdlg, IDS_ERR_NOTES);
        ShowDeviceStorageWithBar(hdlg);
        return;
    }
    WIN32_FIND_DATAW fd;
    HANDLE hFind = FindFirstFileW(szPattern, &fd);
    if (hFind == INVALID_HANDLE_VALUE) {
        DWORD dwErr = GetLastError();
        // No Notes folder or no note in it: nothing to erase, nothing to say.
        if (dwErr != ERROR_FILE_NOT_FOUND && dwErr != ERROR_PATH_NOT_FOUND)
            ShowError(hdlg, IDS_ERR_NOTES);
        ShowDeviceStorageWithBar(hdlg);
        return;
    }
    BOOL fErased;
    {
        WaitCursor wait;
        fErased = DeleteNotes(hFind, &fd, szDocuments);
        FindClose(hFind);
    }
    if (fErased)
        ShowResourceMessage(hdlg, MB_OK, g_hInst, IDS_SPACE_MANAGER, IDS_NOTES_ERASED);
    else
        ShowError(hdlg, IDS_ERR_NOTES);
    ShowDeviceStorageWithBar(hdlg);
}

// One database erase: the mounted volume and the open database, both closed at the end.
struct DatabaseRecord {
    CEGUID guidVolume;
    HANDLE hDatabase;
    BOOL fFailed;
};

void CloseDatabaseRecord(DatabaseRecord *pdr)
{
    if (pdr->hDatabase != INVALID_HANDLE_VALUE)
        CloseHandle(pdr->hDatabase);
    if (!CHECK_INVALIDGUID(&pdr->guidVolume))
        CeUnmountDBVol(&pdr->guidVolume);
    pdr->hDatabase = INVALID_HANDLE_VALUE;
    CREATE_INVALIDGUID(&pdr->guidVolume);
}

// Reads and deletes records until none is left; stops at the first that will
// not go, which would otherwise be read and tried again, and at one that
// cannot be read: only the end of the records is success.
BOOL DeleteAllRecords(HANDLE hDatabase)
{
    LPBYTE pBuffer = nullptr;
    DWORD cbBuffer = 0;
    BOOL fOk = TRUE;
    for (;;) {
        WORD cProps = 0;
        CEOID oid = CeReadRecordPropsEx(hDatabase, CEDB_ALLOWREALLOC, &cProps, nullptr, &pBuffer, &cbBuffer, nullptr);
        if (!oid) {
            fOk = GetLastError() == ERROR_NO_MORE_ITEMS;
            break;
        }
        if (!CeDeleteRecord(hDatabase, oid)) {
            fOk = FALSE;
            break;
        }
    }
    if (pBuffer)
        LocalFree(pBuffer);
    return fOk;
}

void EraseDatabase(HWND hdlg, LPCWSTR pszDatabase, UINT idsQuestion, BOOL fAsk)
{
    if (fAsk && !ConfirmErase(hdlg, idsQuestion))
        return;
    DatabaseRecord dr;
    CREATE_INVALIDGUID(&dr.guidVolume);
    dr.hDatabase = INVALID_HANDLE_VALUE;
    dr.fFailed = FALSE;
    WCHAR szVolume[MAX_PATH];
    if (!BuildVolumePath(szVolume, ARRAYSIZE(szVolume))) {
        dr.fFailed = TRUE;
    } else {
        WaitCursor wait;
        CEGUID guid;
        CEOID oid = 0;
        if (!CeMountDBVol(&guid, szVolume, OPEN_EXISTING)) {
            dr.fFailed = TRUE;
        } else {
            dr.guidVolume = guid;
            dr.hDatabase = CeOpenDatabaseEx(&dr.guidVolume, &oid, (LPWSTR)pszDatabase, 0, CEDB_AUTOINCREMENT, nullptr);
            dr.fFailed = dr.hDatabase == INVALID_HANDLE_VALUE || !DeleteAllRecords(dr.hDatabase);
        }
    }
    // One text serves both databases.
    if (dr.fFailed)
        ShowError(hdlg, IDS_ERR_DATABASE);
    CloseDatabaseRecord(&dr);
    ShowDeviceStorageWithBar(hdlg);
}

void EraseAll(HWND hdlg)
{
    if (!ConfirmErase(hdlg, IDS_ASK_ALL))
        return;
    LPMAPISESSION pSession = LogOnMessaging(hdlg);
    if (pSession)
        ForEachStore(pSession, [hdlg](LPCWSTR, const SBinary &store) { EraseStoreFolders(hdlg, store, 0); });
    SendMessageW(hdlg, WM_COMMAND, IDM_ERASE_NOTES, SPACE_NO_QUESTION);
    SendMessageW(hdlg, WM_COMMAND, IDM_ERASE_SPEED, SPACE_NO_QUESTION);
    SendMessageW(hdlg, WM_COMMAND, IDM_ERASE_CALLS, SPACE_NO_QUESTION);
    LogOffMessaging(pSession);
}

BOOL OnInitDialog(HWND hdlg)
{
    if (!CreateSoftKeyBar(hdlg, IDR_BAR_SPACE) || !InitFullScreenDialog(hdlg))
        return FALSE;
    RECT rc;
    GetClientRect(hdlg, &rc);
    int cxTenth = (rc.right - rc.left) / 10;
    MoveWindow(GetDlgItem(hdlg, IDC_SPACE_BAR), cxTenth, (rc.bottom - rc.top) / 2, 8 * cxTenth, kBarHeight, FALSE);
    WCHAR szCaption[64];
    if (LoadStringW(g_hInst, IDS_SPACE_MANAGER, szCaption, ARRAYSIZE(szCaption)))
        SetWindowTextW(hdlg, szCaption);
    for (const LabelText &label : s_aLabels)
        SetStringText(hdlg, label.idControl, label.ids);
    ShowDeviceStorageWithBar(hdlg);
    return TRUE;
}

BOOL OnCommand(HWND hdlg, UINT id, LPARAM lp)
{
    BOOL fAsk = lp != SPACE_NO_QUESTION;
    switch (id) {
    case IDM_ERASE_INBOX:
        RunDialogFromTemplate(g_hInst, IDD_MSGERASE, hdlg, MessageEraseDlgProc, 0);
        ShowDeviceStorageWithBar(hdlg);
        return TRUE;
    case IDM_ERASE_CALLS: EraseDatabase(hdlg, kCallHistory, IDS_ASK_CALLS, fAsk); return TRUE;
    case IDM_ERASE_SPEED: EraseDatabase(hdlg, kSpeedDial, IDS_ASK_SPEED, fAsk); return TRUE;
    case IDM_ERASE_NOTES: EraseVoiceNotes(hdlg, fAsk); return TRUE;
    case IDM_ERASE_ALL: EraseAll(hdlg); return TRUE;
    case IDM_SPACE_REFRESH: ShowDeviceStorageWithBar(hdlg); return TRUE;
    case IDM_SPACE_QUIT: EndDialog(hdlg, 0); return TRUE;
    case IDCANCEL: SHNavigateBack(); return TRUE;  // as on the other pages
    }
    return FALSE;
}
} // namespace

BOOL ConfirmErase(HWND hdlg, UINT idsQuestion)
{
    return ShowResourceMessage(hdlg, MB_YESNO, g_hInst, IDS_SPACE_MANAGER, idsQuestion) == IDYES;
}

INT_PTR CALLBACK SpaceManagerDlgProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog(hdlg);
    case WM_COMMAND:
        return OnCommand(hdlg, LOWORD(wp), lp);
    }
    return FALSE;
}
