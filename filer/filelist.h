// The listing of the current folder: file table, sort, keypad search, size
// texts and the drawing of one row.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <cstddef>

#define FILE_TABLE_ROWS 1000

// One row: the platform's find record first, so the find calls write
// straight into a table slot.
struct FileEntry {
    WIN32_FIND_DATAW fd;
    WCHAR szTypeKey[MAX_PATH];
    int iIcon;
};
static_assert(offsetof(FileEntry, fd) == 0, "the find record opens the row");
static_assert(offsetof(FileEntry, szTypeKey) == sizeof(WIN32_FIND_DATAW), "type key follows the find record");
static_assert(offsetof(FileEntry, iIcon) == sizeof(WIN32_FIND_DATAW) + MAX_PATH * sizeof(WCHAR),
              "icon index follows the type key");
static_assert(sizeof(FileEntry) == offsetof(FileEntry, iIcon) + sizeof(int), "nothing after the icon index");

extern FileEntry g_aFileTable[FILE_TABLE_ROWS];
extern int g_cFileRows;
extern BOOL g_fAtRoot;
extern BOOL g_fTypeKeysExtended;
// Set when the folder held more entries than the table: the listing is incomplete.
extern BOOL g_fListingIncomplete;
extern DWORD g_adwMarks[FILE_TABLE_ROWS];
// Wide path without a trailing backslash; empty is the device root.
extern WCHAR g_szCurrentFolder[MAX_PATH];
// Sort type in force: 1 name, 2 size, 3 type, 4 date.
extern int g_iSortType;
// The list window the listing resets (none while testing the table alone).
extern HWND g_hwndFileList;
// Comparisons made by the file sort since the counter was last cleared.
extern unsigned long g_cSortCompares;

// The name's text from its last ".", three blanks when it has none.
void SetTypeKey(FileEntry &fe);

BOOL IsFolderRow(int iRow);
BOOL IsParentRow(int iRow);
// Row of an entry by its name (any case, as the file system sees names); -1 when not listed.
int FindListRow(LPCWSTR pszName);

// Joins folder + "\" + name; FALSE (and an empty result) when it would not fit
// a 260-character path.
BOOL JoinPath(LPCWSTR pszFolder, LPCWSTR pszName, WCHAR *pszOut, size_t cchOut);

// Rebuilds the table from the current folder and sorts it (no window work).
void BuildFileTable();
// BuildFileTable plus the list window: selection, column width, marks, count.
void ListFolder();
// After a sort: column width, marks cleared, item count.
void ResetFileList();
// The list's width less its vertical scroll bar when the rows need one.
int FileListClientWidth();
// Sorts by the sort type in memory and the order stored in the registry.
void SortFileTable();
// The sort itself, with the order given.
void SortFileRows(int iSortType, BOOL fAscending);

WCHAR KeypadDigit(WCHAR ch);
int FindByKeypad(int iStart, LPCWSTR pszDigits);
// Answers LVN_ODFINDITEMW with the found row.
int OnFindItem(const NMLVFINDITEMW *pfi);

// The whole size of an entry: a card may hold files above 4 GiB.
inline ULONGLONG FileSizeOf(const WIN32_FIND_DATAW &fd)
{
    return ((ULONGLONG)fd.nFileSizeHigh << 32) | fd.nFileSizeLow;
}
void FormatFileSize(ULONGLONG cb, WCHAR *psz, size_t cch);

// Text of a name column: the longest prefix that with "..." fits cxColumn.
typedef int (*TEXTWIDTH)(LPCWSTR psz, void *pv);
void FitTextToColumn(LPCWSTR pszText, int cxColumn, TEXTWIDTH pfnWidth, void *pv, WCHAR *pszOut, size_t cchOut);
// The name shown for a row (extension hidden when the option says so).
void GetRowDisplayName(int iRow, BOOL fHideExtensions, WCHAR *pszOut, size_t cchOut);

struct RowDrawContext {
    BOOL fMultiSelect;
    HIMAGELIST himlOwn;
    HIMAGELIST himlSystem;
    void (*pfnSelectedRowDrawn)(int iRow);
};
// Row callback of the list's custom draw (pv is a RowDrawContext).
void DrawFileRow(HDC hdc, int iRow, const RECT &rcRow, BOOL fHighlighted, void *pv);
