// Morlin's traces, switched by the handset's trace-switch block.
#pragma once
#include <windows.h>

#define TRACE_SWITCH_ADDRESS   0x8802EFE0
#define TRACE_SWITCH_SIZE      32
#define TRACE_SWITCH_PROTECT   0x204

#define TRACE_MASTER           0x0100  // word 0
#define TRACE_GENERAL          0x0080  // word 16 (byte offset)
#define TRACE_NEWENTRY_DONE    0x0001
#define TRACE_FREE_SPACE       0x0004

extern volatile WORD *TraceSwitch;

void *MapPhysicalBlock(ULONG_PTR address, DWORD cbSize, DWORD dwProtect);
void UnmapPhysicalBlock(void *pv);

BOOL TraceEnabled(WORD wBit);
// Writes the line only when the master bit and wBit are both set.
void MorlinTrace(WORD wBit, LPCWSTR pszFormat, ...);
#define TRACE(...) MorlinTrace(TRACE_GENERAL, __VA_ARGS__)
