// Find files: the search form, the result page and the search worker.
#pragma once
#include <windows.h>

#define FIND_RESULT_ROWS 1000

// What the form hands to the worker; copied by the page before the worker
// starts, so the worker reads its own copy.
struct FindSettings {
    WCHAR szPattern[MAX_PATH];
    WCHAR szFolder[MAX_PATH];  // no trailing "\"; empty is the device root
    BOOL fSubfolders;
    BOOL fSystemFiles;
};
extern FindSettings g_findSettings;

// Menu > Find of the list and of the tree.
void OnFindCommand(HWND hwndMain);
INT_PTR CALLBACK FindFormProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK FindResultProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp);
// The form's Start: folder text without its trailing "\" ("\" becomes the root).
void TrimFolderText(WCHAR *pszFolder);

// ---- the worker and what it shares with the page --------------------------

// Matches the worker hands to the page in batches (sent, so the page adds
// them on its own thread): wp the count, lp the array; the page answers how
// many it added, fewer when the result table is full.
#define WM_FIND_ADDROWS (WM_APP + 40)
#define FIND_BATCH 256
struct FoundFile {
    WCHAR szName[MAX_PATH];
    WCHAR szFolder[MAX_PATH];
    ULONGLONG cbSize;
    HICON hIcon;
    BOOL fIconKept;  // the worker keeps it for the whole search: one image serves every row
};

// Starts the worker over the settings; its handle, for the page to wait on.
HANDLE StartFindWorker(HWND hwndPage, const FindSettings &fs);
// Stop: the worker finishes the entry it is on and unwinds.
void StopFind();
BOOL IsFindRunning();
// Rows added (at most FIND_RESULT_ROWS) and whether more files matched.
int GetFoundCount();
BOOL IsFindTruncated();
// One result row as the list shows it and the action key opens it.
struct FoundRow {
    WCHAR szFolder[MAX_PATH];
    WCHAR szName[MAX_PATH];
    WCHAR szSize[16];
    int iImage;
};
// Called by the page for each row it adds (UI thread only); FALSE when the
// table is full.
BOOL RecordFoundRow(const FoundFile &ff, int iImage);
void MarkFindTruncated();
// A result row, or null past the rows found.
const FoundRow *GetFoundRow(int iRow);
// Folder a result row was found in.
LPCWSTR GetFoundFolder(int iRow);
// Paints the page's status strip from any thread: the folder being searched,
// or the count when pszFolder is null; the text shown last, for tests.
void PaintFindStrip(HWND hwndPage, LPCWSTR pszFolder);
LPCWSTR GetFindStripText();
// A name against the form's pattern: "*" any run of characters, "?" any one,
// letters in either case; "*.*" names everything.
BOOL MatchesFindPattern(LPCWSTR pszName, LPCWSTR pszPattern);
// The search of one folder; returns the matches below it.
int SearchFolder(HWND hwndPage, const FindSettings &fs, LPCWSTR pszFolder);
