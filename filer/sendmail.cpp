// Send by E-mail: "\Windows\tmail.exe -attach "PATH"", not waited for.
#include "sendmail.h"
#include "mainwnd.h"
#include "filelist.h"
#include "kit.h"
#include "../res/tavel/resource.h"
#include <strsafe.h>

void OnSendEmailCommand(HWND hwnd)
{
    int iRow = FirstSelectedRow();
    if (iRow < 0) {
        ShowResourceMessage(hwnd, MB_ICONHAND, g_hInst, IDS_APP_TITLE, IDS_SELECT_ITEM);
        return;
    }
    WCHAR szPath[MAX_PATH], szCmd[MAX_PATH + 16];
    if (!JoinPath(g_szCurrentFolder, g_aFileTable[iRow].fd.cFileName, szPath, ARRAYSIZE(szPath)) ||
        FAILED(StringCchPrintfW(szCmd, ARRAYSIZE(szCmd), L"-attach \"%s\"", szPath)))
        return;
    PROCESS_INFORMATION pi = {};
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    if (!CreateProcessW(L"\\Windows\\tmail.exe", szCmd, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}
