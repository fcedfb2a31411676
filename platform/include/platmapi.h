// Test side of the messaging stand-in: what is still held, so tests can see
// that every buffer, object and session was released.
#pragma once
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif
// Buffers from MAPIAllocateBuffer not yet freed.
LONG WINAPI PlatMapiBufferCount(void);
// Sessions, stores, folders, messages and tables not yet released.
LONG WINAPI PlatMapiObjectCount(void);
// Sessions logged on and not yet logged off or released.
LONG WINAPI PlatMapiSessionCount(void);
// Whole reads of messages.json so far: a file read again only when it changed.
LONG WINAPI PlatMapiFileReadCount(void);
#ifdef __cplusplus
}
#endif
