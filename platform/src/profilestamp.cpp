// When a profile file last changed: readers that keep what they parsed read
// a large file again only when its stamp moves.
#include "internal.h"

PlatFileStamp PlatProfileStamp(const wchar_t *pszName)
{
    WIN32_FILE_ATTRIBUTE_DATA fad;
    PlatFileStamp stamp = {};
    if (GetFileAttributesExW(PlatProfilePath(pszName).c_str(), GetFileExInfoStandard, &fad)) {
        stamp.ullWrite = ((ULONGLONG)fad.ftLastWriteTime.dwHighDateTime << 32) | fad.ftLastWriteTime.dwLowDateTime;
        stamp.ullSize = ((ULONGLONG)fad.nFileSizeHigh << 32) | fad.nFileSizeLow;
        stamp.fExists = true;
    }
    return stamp;
}
