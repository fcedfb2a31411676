// The trace switch: 32 bytes of kernel memory mapped once at start-up.
#include "trace.h"
#include <pkfuncs.h>
#include <strsafe.h>
#include <cstdarg>

volatile WORD *TraceSwitch;

static DWORD PageSize()
{
    static DWORD s_dwPage;
    if (!s_dwPage) {
        SYSTEM_INFO si;
        GetSystemInfo(&si);
        s_dwPage = si.dwPageSize;
    }
    return s_dwPage;
}

void *MapPhysicalBlock(ULONG_PTR address, DWORD cbSize, DWORD dwProtect)
{
    DWORD dwPage = PageSize();
    ULONG_PTR offset = address % dwPage;
    ULONG_PTR base = address - offset;
    DWORD cbLength = (DWORD)(((offset + cbSize) + dwPage - 1) / dwPage * dwPage);
    BYTE *pReserved = (BYTE *)VirtualAlloc(nullptr, cbLength, MEM_RESERVE, PAGE_NOACCESS);
    if (!pReserved)
        return nullptr;
    BOOL fOk;
    if (base < 0x20000000)
        fOk = VirtualCopy(pReserved, (LPVOID)(base >> 8), cbLength, dwProtect | PAGE_PHYSICAL);
    else
        fOk = VirtualCopy(pReserved, (LPVOID)base, cbLength, dwProtect);
    if (!fOk) {
        VirtualFree(pReserved, 0, MEM_RELEASE);
        return nullptr;
    }
    return pReserved + offset;
}

void UnmapPhysicalBlock(void *pv)
{
    if (!pv)
        return;
    ULONG_PTR p = (ULONG_PTR)pv;
    VirtualFree((LPVOID)(p - p % PageSize()), 0, MEM_RELEASE);
}

BOOL TraceEnabled(WORD wBit)
{
    volatile WORD *pw = TraceSwitch;
    if (!pw)
        return FALSE;
    return (pw[0] & TRACE_MASTER) && (pw[8] & wBit);
}

void MorlinTrace(WORD wBit, LPCWSTR pszFormat, ...)
{
    if (!TraceEnabled(wBit))
        return;
    WCHAR szLine[768];
    va_list args;
    va_start(args, pszFormat);
    HRESULT hr = StringCchVPrintfW(szLine, ARRAYSIZE(szLine), pszFormat, args);
    va_end(args);
    if (FAILED(hr) && hr != STRSAFE_E_INSUFFICIENT_BUFFER)
        return;
    NKDbgPrintfW(L"%s", szLine);
}
