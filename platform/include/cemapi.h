// CE messaging (cemapi.dll): session start and end. The message stores
// themselves come with the programs that use them.
#pragma once
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif
// Counted: each successful MAPIInitialize is paired with one MAPIUninitialize.
HRESULT WINAPI MAPIInitialize(LPVOID lpMapiInit);
void WINAPI MAPIUninitialize(void);
#ifdef __cplusplus
}
#endif
