// The handset's radio interface layer (ril): sessions with the radio and the
// device-specific call that carries AT commands to the radio module.
#pragma once
#include <windows.h>

DECLARE_HANDLE(HRIL);
typedef HRIL *LPHRIL;

// Result codes of the result callback.
#define RIL_RESULT_OK           0x00000001
#define RIL_RESULT_NOCARRIER    0x00000002
#define RIL_RESULT_ERROR        0x00000003

// Runs on the radio layer's own thread; lpData is the reply of command hrCmdID.
typedef void (CALLBACK *RILRESULTCALLBACK)(DWORD dwCode, HRESULT hrCmdID, const void *lpData, DWORD cbData,
                                           DWORD dwParam);
typedef void (CALLBACK *RILNOTIFYCALLBACK)(DWORD dwCode, const void *lpData, DWORD cbData, DWORD dwParam);

#ifdef __cplusplus
extern "C" {
#endif
HRESULT WINAPI RIL_Initialize(DWORD dwIndex, RILRESULTCALLBACK pfnResult, RILNOTIFYCALLBACK pfnNotify,
                              DWORD dwNotificationClasses, DWORD dwParam, HRIL *lphRil);
HRESULT WINAPI RIL_Deinitialize(HRIL hRil);
// Hands lpParams to the radio driver; a positive result identifies the
// command in the result callback, a negative one is a failure.
HRESULT WINAPI RIL_DevSpecific(HRIL hRil, const BYTE *lpbParams, DWORD dwSize);
#ifdef __cplusplus
}
#endif
