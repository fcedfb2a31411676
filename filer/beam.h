// Beam over IrDA: Send by IR (40057) and its beam page, Receive from IR
// (40166, 40139) and the reminder that offers to switch the server off.
#pragma once
#include <windows.h>

// OBEX events posted to the beam page: event code, the device's property bag.
#define WM_BEAM_EVENT 2025
// Bytes read and written at a time while beaming.
#define BEAM_CHUNK 5000

void OnSendByIrCommand(HWND hwnd);
void OnReceiveFromIrCommand(HWND hwnd);
// Kills a running reminder timer (the main window is going); the server stays as it is.
void KillReceiveReminder();
BOOL IsReceiveReminderRunning();

// The bottom strip's text for a state 0..4; the percentage with state 3
// (none for an empty file), in whole 64-bit arithmetic.
void FormatBeamStrip(int iState, ULONGLONG cbSent, ULONGLONG cbFile, WCHAR *psz, size_t cch);
// What the beam page's bottom strip showed when last painted.
LPCWSTR GetBeamStripText();
