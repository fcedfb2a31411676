// Names typed for rename and new folder.
#include "itemname.h"
#include <cwchar>

BOOL IsUsableItemName(LPCWSTR pszName)
{
    if (!pszName || !pszName[0] || wcspbrk(pszName, L"\\/:*?\"<>|"))
        return FALSE;
    for (LPCWSTR p = pszName; *p; ++p) {
        if (*p != L'.' && *p != L' ')
            return TRUE;
    }
    return FALSE;
}
