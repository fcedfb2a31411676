// The phone-book cache: a growable record array in SIM-read order, the slot
// bit map and the free-slot search, the full read and the list rebuild.
#include "phonebook.h"
#include "morlin.h"
#include "trace.h"
#include "kit.h"
#include <strsafe.h>
#include <cstring>
#include <atomic>

PhoneBook MyPhoneBook;
BYTE *UsedSlotMap;

static CRITICAL_SECTION s_csPhoneBook;
static struct PhoneBookLockInit {
    PhoneBookLockInit() { InitializeCriticalSection(&s_csPhoneBook); }
} s_lockInit;

void LockPhoneBook()
{
    EnterCriticalSection(&s_csPhoneBook);
}

void UnlockPhoneBook()
{
    LeaveCriticalSection(&s_csPhoneBook);
}

DWORD UsedSlotMapBytes()
{
    return ((g_SimCaps.dwMaxPBIndex - g_SimCaps.dwMinPBIndex) >> 3) + 1;
}

BOOL AllocUsedSlotMap()
{
    PhoneBookLock lock;
    std::free(UsedSlotMap);
    UsedSlotMap = (BYTE *)g_pfnKitMalloc(UsedSlotMapBytes());
    if (!UsedSlotMap)
        return FALSE;
    ZeroMemory(UsedSlotMap, UsedSlotMapBytes());
    return TRUE;
}

static BOOL SlotInRange(DWORD dwIndex)
{
    return UsedSlotMap && dwIndex >= g_SimCaps.dwMinPBIndex && dwIndex <= g_SimCaps.dwMaxPBIndex;
}

BOOL IsSlotUsed(DWORD dwIndex)
{
    if (!SlotInRange(dwIndex))
        return FALSE;
    DWORD k = dwIndex - g_SimCaps.dwMinPBIndex;
    return (UsedSlotMap[k >> 3] & (1 << (k & 7))) != 0;
}

void MarkSlot(DWORD dwIndex, BOOL fUsed)
{
    if (!SlotInRange(dwIndex))
        return;
    DWORD k = dwIndex - g_SimCaps.dwMinPBIndex;
    if (fUsed)
        UsedSlotMap[k >> 3] |= (BYTE)(1 << (k & 7));
    else
        UsedSlotMap[k >> 3] &= (BYTE) ~(1 << (k & 7));
}

DWORD FindFreeSlot()
{
    if (!UsedSlotMap)
        return SIM_PBINDEX_FIRSTAVAILABLE;
    for (DWORD s = g_SimCaps.dwMinPBIndex; s <= g_SimCaps.dwMaxPBIndex; ++s) {
        if (!IsSlotUsed(s))
            return s;
        if (s == 0xFFFFFFFE)
            break;
    }
    return SIM_PBINDEX_FIRSTAVAILABLE;
}

BOOL InitMyPhoneBook(WORD wCount)
{
    PhoneBookLock lock;
    std::free(MyPhoneBook.pRecords);
    MyPhoneBook.pRecords = nullptr;
    MyPhoneBook.wTotal = (WORD)(wCount + PB_GROWTH_STEP);
    MyPhoneBook.wUsed = 0;
    MyPhoneBook.pRecords = (PhoneBookRecord *)g_pfnKitMalloc(MyPhoneBook.wTotal * sizeof(PhoneBookRecord));
    if (!MyPhoneBook.pRecords) {
        MyPhoneBook.wTotal = 0;
        TRACE(L"Error: Allocate PB fails!\r\n");
        return FALSE;
    }
    TRACE(L"Init MyPhoneBook, Total: %d, Used: %d\r\n", MyPhoneBook.wTotal, MyPhoneBook.wUsed);
    return TRUE;
}

BOOL AddExtraPBSpace()
{
    PhoneBookLock lock;
    WORD wNewTotal = (WORD)(MyPhoneBook.wTotal + PB_GROWTH_STEP);
    if (wNewTotal < MyPhoneBook.wTotal) {  // the 16-bit count cannot grow further
        TRACE(L"Error: malloc PB extra space fails!\r\n");
        return FALSE;
    }
    PhoneBookRecord *pNew = (PhoneBookRecord *)g_pfnKitMalloc(wNewTotal * sizeof(PhoneBookRecord));
    if (!pNew) {
        TRACE(L"Error: malloc PB extra space fails!\r\n");
        return FALSE;
    }
    if (MyPhoneBook.wUsed)
        std::memcpy(pNew, MyPhoneBook.pRecords, MyPhoneBook.wUsed * sizeof(PhoneBookRecord));
    MyPhoneBook.wTotal = wNewTotal;
    TRACE(L"AddExtraPBSpace, Total: %d, Used: %d\r\n", MyPhoneBook.wTotal, MyPhoneBook.wUsed);
    std::free(MyPhoneBook.pRecords);
    MyPhoneBook.pRecords = pNew;
    return TRUE;
}

BOOL AddPhoneBookRecord(WORD wIndex, const SIMPHONEBOOKENTRY *pEntry)
{
    PhoneBookLock lock;
    if (MyPhoneBook.wUsed + 1 >= MyPhoneBook.wTotal && !AddExtraPBSpace()) {
        TRACE(L"Error: Add extra PB space fails!\r\n");
        return FALSE;
    }
    PhoneBookRecord &rec = MyPhoneBook.pRecords[MyPhoneBook.wUsed];
    rec.wIndex = wIndex;
    std::memcpy(&rec.entry, pEntry, sizeof(SIMPHONEBOOKENTRY));
    ++MyPhoneBook.wUsed;
    return TRUE;
}

BOOL RemovePhoneBookRecord(WORD wIndex)
{
    PhoneBookLock lock;
    for (WORD i = 0; i < MyPhoneBook.wUsed; ++i) {
        if (MyPhoneBook.pRecords[i].wIndex != wIndex)
            continue;
        std::memmove(&MyPhoneBook.pRecords[i], &MyPhoneBook.pRecords[i + 1],
                     (MyPhoneBook.wUsed - i - 1) * sizeof(PhoneBookRecord));
        --MyPhoneBook.wUsed;
        return TRUE;
    }
    return FALSE;
}

SIMPHONEBOOKENTRY *FindPhoneBookRecord(WORD wIndex)
{
    PhoneBookLock lock;
    for (WORD i = 0; i < MyPhoneBook.wUsed; ++i)
        if (MyPhoneBook.pRecords[i].wIndex == wIndex)
            return &MyPhoneBook.pRecords[i].entry;
    return nullptr;
}

void DumpPhoneBook()
{
    if (!TraceEnabled(TRACE_GENERAL))
        return;
    PhoneBookLock lock;
    TRACE(L"PB: Total:%d, Used:%d\r\n", MyPhoneBook.wTotal, MyPhoneBook.wUsed);
    for (WORD i = 0; i < MyPhoneBook.wUsed; ++i) {
        const PhoneBookRecord &rec = MyPhoneBook.pRecords[i];
        TRACE(L"Data:%2d, Index:%2d, Name: %-12s, Addr: %-20s\r\n", i, rec.wIndex, rec.entry.lpszText,
              rec.entry.lpszAddress);
    }
}

void ReleasePhoneBook()
{
    PhoneBookLock lock;
    std::free(MyPhoneBook.pRecords);
    MyPhoneBook.pRecords = nullptr;
    MyPhoneBook.wTotal = 0;
    MyPhoneBook.wUsed = 0;
}

void CopySimText(WCHAR *pszField, size_t cchField, LPCWSTR pszText, DWORD cchMax)
{
    size_t cchLimit = cchMax < cchField - 1 ? cchMax : cchField - 1;
    size_t cch = 0;
    while (pszText && cch < cchLimit && pszText[cch])
        ++cch;
    if (cch)
        StringCchCopyNW(pszField, cchField, pszText, cch);
    else
        pszField[0] = 0;
}

LPCWSTR EntryDisplayText(const SIMPHONEBOOKENTRY *pEntry)
{
    return pEntry->lpszText[0] ? pEntry->lpszText : pEntry->lpszAddress;
}

BOOL ReadAllPhoneBookEntryFromSIM()
{
    TRACE(L"ReadAllPhoneBookEntryFromSIM 1 \r\n");
    DWORD dwUsed = 0, dwTotal = 0;
    {
        PhoneBookLock lock;
        SimGetPhonebookStatus(g_hSim, SIM_PBSTORAGE_SIM, &dwUsed, &dwTotal);
        MyPhoneBook.dwSimUsed = dwUsed;
        MyPhoneBook.dwSimTotal = dwTotal;
        if (UsedSlotMap)
            ZeroMemory(UsedSlotMap, UsedSlotMapBytes());
        TRACE(L"Phonebook Min:%d, Max:%d\r\n", g_SimCaps.dwMinPBIndex, g_SimCaps.dwMaxPBIndex);
        g_dwMaxNameLength = g_SimCaps.dwMaxPBETextLength;
        g_dwMaxNumberLength = g_SimCaps.dwMaxPBEAddressLength;
        TRACE(L"Phonebook Name Len:%d, Addr Len:%d\r\n", g_dwMaxNameLength, g_dwMaxNumberLength);
        if (!InitMyPhoneBook((WORD)dwUsed))
            return FALSE;
        DWORD cRead = 0;
        for (DWORD s = g_SimCaps.dwMinPBIndex; dwUsed && s <= g_SimCaps.dwMaxPBIndex; ++s) {
            SIMPHONEBOOKENTRY entry;
            ZeroMemory(&entry, sizeof(entry));
            entry.cbSize = sizeof(entry);
            if (FAILED(SimReadPhonebookEntry(g_hSim, SIM_PBSTORAGE_SIM, s, &entry)))
                continue;  // an empty slot
            if (!AddPhoneBookRecord((WORD)s, &entry))
                return FALSE;
            ++cRead;
            MarkSlot(s, TRUE);
            if (cRead >= dwUsed)
                break;
            ShowProgress((int)cRead, (int)dwUsed);
        }
    }
    RequestListRebuild();
    DumpPhoneBook();
    return TRUE;
}

BOOL WriteNewPhoneBookEntry(LPCWSTR pszName, LPCWSTR pszNumber)
{
    SIMPHONEBOOKENTRY entry;
    ZeroMemory(&entry, sizeof(entry));
    CopySimText(entry.lpszText, ARRAYSIZE(entry.lpszText), pszName, g_dwMaxNameLength);
    CopySimText(entry.lpszAddress, ARRAYSIZE(entry.lpszAddress), pszNumber, g_dwMaxNumberLength);
    entry.cbSize = sizeof(entry);
    entry.dwParams = SIM_PARAM_PBE_ALL;
    entry.dwAddressType = entry.lpszAddress[0] == L'+' ? SIM_ADDRTYPE_INTERNATIONAL : SIM_ADDRTYPE_UNKNOWN;
    entry.dwNumPlan = SIM_NUMPLAN_TELEPHONE;

    PhoneBookLock lock;
    DWORD dwSlot = FindFreeSlot();
    if (FAILED(SimWritePhonebookEntry(g_hSim, SIM_PBSTORAGE_SIM, dwSlot, &entry)))
        return FALSE;
    if (dwSlot == SIM_PBINDEX_FIRSTAVAILABLE)
        return TRUE;  // the SIM chose the slot; the next full read finds it
    // The SIM holds the entry whether or not the cache has room for it: the
    // slot is taken, or the next New would overwrite it.
    MarkSlot(dwSlot, TRUE);
    AddPhoneBookRecord((WORD)dwSlot, &entry);
    return TRUE;
}

BOOL IsPhoneBookFull()
{
    PhoneBookLock lock;
    return MyPhoneBook.wUsed > g_SimCaps.dwMaxPBIndex - g_SimCaps.dwMinPBIndex;
}

// The window a rebuild is posted to and not yet begun: a run of SIM
// notifications rebuilds the list once, not once each (a rebuild inserts
// every row again).
static std::atomic<HWND> s_hwndRebuildPosted{nullptr};

BOOL FillPhoneBookList()
{
    s_hwndRebuildPosted = nullptr;  // what changes from here on asks again
    HWND hwndList = g_hwndPhoneBookList;
    if (!hwndList || !IsWindow(hwndList))
        return 0;
    PhoneBookLock lock;
    RECT rc;
    GetClientRect(GetParent(hwndList), &rc);
    int cx = rc.right - rc.left;
    if (MyPhoneBook.wUsed > 10)
        cx -= GetSystemMetrics(SM_CXVSCROLL);
    ListView_SetColumnWidth(hwndList, 0, cx);
    SendMessageW(hwndList, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(hwndList);
    BOOL fOk = TRUE;
    for (WORD i = 0; i < MyPhoneBook.wUsed && fOk; ++i) {
        const PhoneBookRecord &rec = MyPhoneBook.pRecords[i];
        WCHAR szText[256];
        StringCchCopyW(szText, ARRAYSIZE(szText), EntryDisplayText(&rec.entry));
        LVITEMW item;
        ZeroMemory(&item, sizeof(item));
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE;
        item.iItem = 0;
        item.pszText = szText;
        item.iImage = rec.wIndex;
        if (SendMessageW(hwndList, LVM_INSERTITEMW, 0, (LPARAM)&item) < 0)
            fOk = FALSE;
        else
            ListView_EnsureVisible(hwndList, 0, FALSE);
    }
    if (fOk)
        ListView_SetItemState(hwndList, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageW(hwndList, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwndList, nullptr, TRUE);
    return fOk;
}

void RequestListRebuild()
{
    HWND hwndMain = g_hwndMain;
    if (!hwndMain)
        return;
    if (GetWindowThreadProcessId(hwndMain, nullptr) == GetCurrentThreadId())
        FillPhoneBookList();
    else if (s_hwndRebuildPosted.exchange(hwndMain) != hwndMain && !PostMessageW(hwndMain, WM_MORLIN_FILLLIST, 0, 0))
        s_hwndRebuildPosted = nullptr;
}
