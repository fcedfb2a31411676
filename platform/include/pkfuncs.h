// Kernel functions of the handset: mapping physical and kernel memory.
#pragma once
#include <windows.h>

#ifndef PAGE_PHYSICAL
#define PAGE_PHYSICAL 0x400
#endif

#ifdef __cplusplus
extern "C" {
#endif
// Maps cbSize bytes at lpvSrc (a kernel address, or a physical one shifted
// right by 8 with PAGE_PHYSICAL) into memory reserved with VirtualAlloc.
BOOL WINAPI VirtualCopy(LPVOID lpvDest, LPVOID lpvSrc, DWORD cbSize, DWORD fdwProtect);
#ifdef __cplusplus
}
#endif
