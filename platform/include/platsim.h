// Test controls of the SIM service stand-in (never called by programs).
#pragma once
#include <windows.h>

#define PLATSIM_FAIL_READ    0x1
#define PLATSIM_FAIL_WRITE   0x2
#define PLATSIM_FAIL_DELETE  0x4
#define PLATSIM_FAIL_SMSDELETE 0x8  // SimDeleteMessage

#ifdef __cplusplus
extern "C" {
#endif
// Makes the SIM refuse reads, writes or deletes of the phone book, or
// deletes of messages (0: none).
void WINAPI PlatSimSetFailures(DWORD dwFail);
// SIM in the handset and radio on, as sim.json's "present" and "radio".
BOOL WINAPI PlatSimSetPresent(BOOL fPresent, BOOL fRadioOn);
// Another program stores an entry: written to the profile, then the
// SIM_NOTIFY_PBE_STORED of that slot reaches every open handle.
BOOL WINAPI PlatSimStoreFromOutside(DWORD dwIndex, LPCWSTR pszName, LPCWSTR pszNumber);
// Queues a notification as the service would send it.
void WINAPI PlatSimNotify(DWORD dwCode, DWORD dwEntry);
// Waits until every queued notification has been delivered.
BOOL WINAPI PlatSimWaitIdle(DWORD dwTimeoutMs);
// Calls to the phone book functions since the last reset (reads, writes, deletes).
void WINAPI PlatSimCounters(DWORD *pcReads, DWORD *pcWrites, DWORD *pcDeletes);
void WINAPI PlatSimResetCounters(void);
// Forgets cached SIM state (after a test rewrote sim.json).
void WINAPI PlatSimReload(void);
#ifdef __cplusplus
}
#endif

#ifdef __cplusplus
extern "C" {
#endif
// Contacts application objects logged on now (POOM Logon without Logoff).
LONG WINAPI PlatPoomLogonCount(void);
#ifdef __cplusplus
}
#endif
