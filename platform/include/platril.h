// Test controls of the radio stand-in (never called by programs).
#pragma once
#include <windows.h>

// How the radio answers the next commands.
#define PLATRADIO_NORMAL   0  // at once, from the modem
#define PLATRADIO_SILENT   1  // never
#define PLATRADIO_SLOW     2  // the modem's answer after dwDelayMs (late when past the caller's limit)
#define PLATRADIO_ERROR    3  // RIL_RESULT_ERROR, the modem not asked
#define PLATRADIO_GARBAGE  4  // RIL_RESULT_OK with a text that is no reply
#define PLATRADIO_EARLY    5  // the modem's answer before RIL_DevSpecific has returned
#define PLATRADIO_PREFIXED 6  // the modem's answer after the garbage text (unsolicited lines)

// The code that the AT request block carries for an AT command.
#define PLATRADIO_AT_CODE  900

#ifdef __cplusplus
extern "C" {
#endif
// The next cCommands commands (0: every command from now on) get dwMode;
// the ones after them are answered normally.
void WINAPI PlatRadioSetMode(DWORD dwMode, DWORD dwDelayMs, DWORD cCommands);
// The text PLATRADIO_GARBAGE answers with (a default one until set).
void WINAPI PlatRadioSetGarbage(const char *pszText);
// RIL_Initialize takes dwDelayMs before it opens a session (0: at once).
void WINAPI PlatRadioSetOpenDelay(DWORD dwDelayMs);
// Waits until no answer is pending; FALSE on time-out.
BOOL WINAPI PlatRadioWaitIdle(DWORD dwTimeoutMs);
// Sessions open now; commands received since the last reset.
LONG WINAPI PlatRadioSessionCount(void);
DWORD WINAPI PlatRadioCommandCount(void);
// Normal answers, counters cleared, the modem back in PDU mode.
void WINAPI PlatRadioReset(void);
// While set, an outside modem is this function rather than a connection:
// it gets the bytes the handset sends and puts the modem's answer in pReply
// (at most cbReply bytes), returning its length, or -1 to hang up. Null
// ends it. Lets tests put many replies through without sockets.
typedef int (CALLBACK *PLATMODEMPEER)(const char *pSent, int cbSent, char *pReply, int cbReply, void *pv);
void WINAPI PlatRadioSetPeer(PLATMODEMPEER pfnPeer, void *pv);
#ifdef __cplusplus
}
#endif
