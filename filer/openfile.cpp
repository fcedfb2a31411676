// Opening a file: the platform's shell starts what the handset would (a
// shortcut's target, a program, the associated program), never the host's.
#include "openfile.h"
#include "filelist.h"
#include <shellapi.h>

BOOL OpenFileItem(HWND hwndOwner, LPCWSTR pszFolder, LPCWSTR pszName)
{
    WCHAR szPath[MAX_PATH];
    // Cutting a longer path would name another file.
    if (!JoinPath(pszFolder, pszName, szPath, ARRAYSIZE(szPath)))
        return FALSE;
    SHELLEXECUTEINFOW sei = {};
    sei.cbSize = sizeof(sei);
    sei.fMask = SEE_MASK_FLAG_NO_UI;
    sei.hwnd = hwndOwner;
    sei.lpVerb = L"Open";
    sei.lpFile = szPath;
    return ShellExecuteExW(&sei);
}
