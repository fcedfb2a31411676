// MAPI buffers: a block from MAPIAllocateBuffer owns the blocks made with
// MAPIAllocateMore on it, and MAPIFreeBuffer on it frees them all.
#include "internal.h"
#include "cemapi.h"
#include "platmapi.h"
#include <cstdlib>

namespace {
const DWORD kMagic = 0x4655424D;  // "MBUF"

struct BufferHead {
    DWORD dwMagic;
    BufferHead *pMore;  // chain of the blocks allocated "more" on this one
    ULONGLONG ullAlign;
};

LONG g_cBuffers;

BufferHead *HeadOf(LPVOID pv)
{
    if (!pv)
        return nullptr;
    BufferHead *pHead = (BufferHead *)pv - 1;
    return pHead->dwMagic == kMagic ? pHead : nullptr;
}

BufferHead *NewBlock(ULONG cb)
{
    if (cb > 0x7FFFFFF0UL - sizeof(BufferHead))
        return nullptr;
    BufferHead *pHead = (BufferHead *)calloc(1, sizeof(BufferHead) + cb);
    if (pHead)
        pHead->dwMagic = kMagic;
    return pHead;
}
} // namespace

SCODE WINAPI MAPIAllocateBuffer(ULONG cbSize, LPVOID *lppBuffer)
{
    if (!lppBuffer)
        return MAPI_E_INVALID_PARAMETER;
    *lppBuffer = nullptr;
    BufferHead *pHead = NewBlock(cbSize);
    if (!pHead)
        return MAPI_E_NOT_ENOUGH_MEMORY;
    InterlockedIncrement(&g_cBuffers);
    *lppBuffer = pHead + 1;
    return S_OK;
}

SCODE WINAPI MAPIAllocateMore(ULONG cbSize, LPVOID lpObject, LPVOID *lppBuffer)
{
    if (!lppBuffer)
        return MAPI_E_INVALID_PARAMETER;
    *lppBuffer = nullptr;
    BufferHead *pOwner = HeadOf(lpObject);
    if (!pOwner)
        return MAPI_E_INVALID_PARAMETER;
    BufferHead *pHead = NewBlock(cbSize);
    if (!pHead)
        return MAPI_E_NOT_ENOUGH_MEMORY;
    pHead->pMore = pOwner->pMore;
    pOwner->pMore = pHead;
    *lppBuffer = pHead + 1;
    return S_OK;
}

ULONG WINAPI MAPIFreeBuffer(LPVOID lpBuffer)
{
    BufferHead *pHead = HeadOf(lpBuffer);
    if (!pHead)
        return lpBuffer ? (ULONG)MAPI_E_INVALID_PARAMETER : 0;
    InterlockedDecrement(&g_cBuffers);
    while (pHead) {
        BufferHead *pNext = pHead->pMore;
        free(pHead);
        pHead = pNext;
    }
    return 0;
}

void WINAPI FreeProws(LPSRowSet prows)
{
    if (!prows)
        return;
    for (ULONG i = 0; i < prows->cRows; ++i)
        MAPIFreeBuffer(prows->aRow[i].lpProps);
    MAPIFreeBuffer(prows);
}

LONG WINAPI PlatMapiBufferCount(void)
{
    return g_cBuffers;
}
