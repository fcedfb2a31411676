// Storage-card enumeration of the handset (Note_prj.dll).
#pragma once
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif
// First card present; INVALID_HANDLE_VALUE when there is none. The search
// ends with FindClose, like any find handle.
HANDLE WINAPI FindFirstFlashCard(LPWIN32_FIND_DATAW pfd);
BOOL WINAPI FindNextFlashCard(HANDLE hFlashCard, LPWIN32_FIND_DATAW pfd);
#ifdef __cplusplus
}
#endif
