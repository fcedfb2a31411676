// Morlin's copy of the SIM phone book and its map of occupied slots.
#pragma once
#include <windows.h>
#include <simmgr.h>

#define PB_GROWTH_STEP 6

struct PhoneBookRecord {
    WORD wIndex;
    SIMPHONEBOOKENTRY entry;
};

struct PhoneBook {
    WORD wTotal;
    WORD wUsed;
    PhoneBookRecord *pRecords;
    DWORD dwSimUsed;
    DWORD dwSimTotal;
};

extern PhoneBook MyPhoneBook;
extern BYTE *UsedSlotMap;

// One lock serialises the cache and the map between the UI thread, the
// start-up thread and the SIM's notification thread. The list itself is
// only touched on the UI thread (others post WM_MORLIN_FILLLIST).
void LockPhoneBook();
void UnlockPhoneBook();
struct PhoneBookLock {
    PhoneBookLock() { LockPhoneBook(); }
    ~PhoneBookLock() { UnlockPhoneBook(); }
    PhoneBookLock(const PhoneBookLock &) = delete;
    PhoneBookLock &operator=(const PhoneBookLock &) = delete;
};

BOOL AllocUsedSlotMap();
DWORD UsedSlotMapBytes();
BOOL IsSlotUsed(DWORD dwIndex);
void MarkSlot(DWORD dwIndex, BOOL fUsed);
// First clear slot from dwMinPBIndex, or SIM_PBINDEX_FIRSTAVAILABLE.
DWORD FindFreeSlot();

BOOL ReadAllPhoneBookEntryFromSIM();
BOOL InitMyPhoneBook(WORD wCount);
BOOL AddExtraPBSpace();
BOOL AddPhoneBookRecord(WORD wIndex, const SIMPHONEBOOKENTRY *pEntry);
BOOL RemovePhoneBookRecord(WORD wIndex);
SIMPHONEBOOKENTRY *FindPhoneBookRecord(WORD wIndex);
void DumpPhoneBook();
void ReleasePhoneBook();
BOOL WriteNewPhoneBookEntry(LPCWSTR pszName, LPCWSTR pszNumber);
// The cache holds more records than the SIM's index range has slots.
BOOL IsPhoneBookFull();
// Copies at most cchMax characters (and never past the buffer) into a SIM field.
void CopySimText(WCHAR *pszField, size_t cchField, LPCWSTR pszText, DWORD cchMax);
// The row text of an entry: its name, or its number when the name is empty.
LPCWSTR EntryDisplayText(const SIMPHONEBOOKENTRY *pEntry);

BOOL FillPhoneBookList();
// Asks for a list rebuild: at once on the UI thread, else by a posted message.
void RequestListRebuild();
