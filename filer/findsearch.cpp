// The search worker: the recursive search of the start folder, and the
// state it shares with the result page. The running flag and the count are
// atomics: the page clears the flag and reads the count while the worker runs.
#include "find.h"
#include "filelist.h"
#include "mainwnd.h"
#include <shellapi.h>
#include <strsafe.h>
#include <atomic>
#include "../res/tavel/resource.h"
#include <new>
#include <vector>
#include <string>

FindSettings g_findSettings = {L"*.*", L"", FALSE, FALSE};

static std::atomic<LONG> s_lRunning{0};
static std::atomic<int> s_cFound{0};
static std::atomic<BOOL> s_fTruncated{FALSE};
// The rows behind the page's owner-data list, written on the UI thread only.
static FoundRow s_aRows[FIND_RESULT_ROWS];

struct WorkerArgs {
    HWND hwndPage;
    FindSettings fs;
};

void StopFind() { s_lRunning.store(0); }
BOOL IsFindRunning() { return s_lRunning.load() != 0; }
int GetFoundCount() { return s_cFound.load(); }
BOOL IsFindTruncated() { return s_fTruncated.load(); }
void MarkFindTruncated() { s_fTruncated.store(TRUE); }

BOOL RecordFoundRow(const FoundFile &ff, int iImage)
{
    int iRow = s_cFound.load();
    if (iRow >= FIND_RESULT_ROWS)
        return FALSE;
    FoundRow &row = s_aRows[iRow];
    StringCchCopyW(row.szFolder, ARRAYSIZE(row.szFolder), ff.szFolder);
    StringCchCopyW(row.szName, ARRAYSIZE(row.szName), ff.szName);
    FormatFileSize(ff.cbSize, row.szSize, ARRAYSIZE(row.szSize));
    row.iImage = iImage;
    s_cFound.store(iRow + 1);
    return TRUE;
}

const FoundRow *GetFoundRow(int iRow)
{
    if (iRow < 0 || iRow >= s_cFound.load())
        return nullptr;
    return &s_aRows[iRow];
}

LPCWSTR GetFoundFolder(int iRow)
{
    const FoundRow *pRow = GetFoundRow(iRow);
    return pRow ? pRow->szFolder : nullptr;
}

// What one search carries down its recursion: the batch of matches not yet
// handed over, the icons met so far by extension, the last strip paint.
struct SearchState {
    HWND hwndPage;
    const FindSettings *pfs;
    FoundFile aBatch[FIND_BATCH];
    BOOL afOwnIcon[FIND_BATCH];
    int cBatch;
    DWORD dwLastHandOver;
    DWORD dwLastPaint;
    struct {
        WCHAR szExt[16];
        HICON hIcon;
    } aIcons[16];
    int cIcons;
};

// Hands the batch to the page; FALSE when the table filled (the search stops).
static BOOL HandOver(SearchState &ss)
{
    int cGiven = ss.cBatch;
    ss.cBatch = 0;
    ss.dwLastHandOver = GetTickCount();
    if (cGiven == 0)
        return TRUE;
    int cAdded = (int)SendMessageW(ss.hwndPage, WM_FIND_ADDROWS, cGiven, (LPARAM)ss.aBatch);
    for (int i = 0; i < cGiven; ++i)
        if (ss.afOwnIcon[i] && ss.aBatch[i].hIcon)
            DestroyIcon(ss.aBatch[i].hIcon);
    if (cAdded >= cGiven)
        return TRUE;
    MarkFindTruncated();
    StopFind();
    return FALSE;
}

// Icons by file attributes depend on the extension only: one look-up each.
// *pfOwn: the icon is not kept, the hand-over destroys it.
static HICON IconFor(SearchState &ss, const WIN32_FIND_DATAW &fd, BOOL *pfOwn)
{
    LPCWSTR pszDot = wcsrchr(fd.cFileName, L'.');
    LPCWSTR pszExt = pszDot ? pszDot : L"";
    *pfOwn = FALSE;
    for (int i = 0; i < ss.cIcons; ++i)
        if (lstrcmpiW(ss.aIcons[i].szExt, pszExt) == 0)
            return ss.aIcons[i].hIcon;
    SHFILEINFOW sfi = {};
    SHGetFileInfoW(fd.cFileName, fd.dwFileAttributes, &sfi, sizeof(sfi),
                   SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES);
    if (ss.cIcons < (int)ARRAYSIZE(ss.aIcons) && wcslen(pszExt) < ARRAYSIZE(ss.aIcons[0].szExt)) {
        StringCchCopyW(ss.aIcons[ss.cIcons].szExt, ARRAYSIZE(ss.aIcons[0].szExt), pszExt);
        ss.aIcons[ss.cIcons++].hIcon = sfi.hIcon;
    } else {
        *pfOwn = TRUE;
    }
    return sfi.hIcon;
}

// Queues one match; the batch goes over when full or a tenth of a second old,
// so rows appear while the search runs.
static BOOL AddMatch(SearchState &ss, LPCWSTR pszFolder, const WIN32_FIND_DATAW &fd)
{
    FoundFile &ff = ss.aBatch[ss.cBatch++];
    StringCchCopyW(ff.szName, ARRAYSIZE(ff.szName), fd.cFileName);
    StringCchCopyW(ff.szFolder, ARRAYSIZE(ff.szFolder), pszFolder);
    ff.cbSize = FileSizeOf(fd);
    ff.hIcon = IconFor(ss, fd, &ss.afOwnIcon[ss.cBatch - 1]);
    ff.fIconKept = !ss.afOwnIcon[ss.cBatch - 1];
    if (ss.cBatch < FIND_BATCH && GetTickCount() - ss.dwLastHandOver < 100)
        return TRUE;
    return HandOver(ss);
}

static BOOL IsSkippedFile(const FindSettings &fs, const WIN32_FIND_DATAW &fd)
{
    return (fd.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) && !fs.fSystemFiles;
}

BOOL MatchesFindPattern(LPCWSTR pszName, LPCWSTR pszPattern)
{
    if (lstrcmpW(pszPattern, L"*.*") == 0)
        return TRUE;
    // Where the last star was met, to try it over one more character.
    LPCWSTR pszStar = nullptr, pszAfterStar = nullptr;
    while (*pszName) {
        if (*pszPattern == L'*') {
            pszStar = ++pszPattern;
            pszAfterStar = pszName;
        } else if (*pszPattern == L'?' || (*pszPattern && towupper(*pszPattern) == towupper(*pszName))) {
            ++pszPattern;
            ++pszName;
        } else if (pszStar) {
            pszPattern = pszStar;
            pszName = ++pszAfterStar;
        } else {
            return FALSE;
        }
    }
    while (*pszPattern == L'*')
        ++pszPattern;
    return *pszPattern == 0;
}

// One enumeration of every entry: the names are matched here, and the
// subfolders the pattern does not name are searched after the matches, the
// order a pattern enumeration and a second one for the subfolders would give
// at half the folder reads.
static int SearchIn(SearchState &ss, LPCWSTR pszFolder)
{
    const FindSettings &fs = *ss.pfs;
    // The folder is shown at most every 50 ms: painting each one costs more than its search.
    if (GetTickCount() - ss.dwLastPaint >= 50) {
        ss.dwLastPaint = GetTickCount();
        PaintFindStrip(ss.hwndPage, pszFolder);
    }
    WCHAR szAll[MAX_PATH];
    if (!JoinPath(pszFolder, L"*.*", szAll, ARRAYSIZE(szAll)))
        return 0;
    std::vector<std::wstring> later;
    int cMatches = 0;
    WIN32_FIND_DATAW fd;
    HANDLE hFind = FindFirstFileW(szAll, &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return 0;
    do {
        WCHAR szPath[MAX_PATH];
        // A path past 259 characters is skipped: cutting it would name another file.
        if (!JoinPath(pszFolder, fd.cFileName, szPath, ARRAYSIZE(szPath)))
            continue;
        BOOL fFolder = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (!MatchesFindPattern(fd.cFileName, fs.szPattern)) {
            if (fFolder && fs.fSubfolders)
                later.push_back(fd.cFileName);
        } else if (fFolder) {
            if (fs.fSubfolders)
                cMatches += SearchIn(ss, szPath);
        } else if (!IsSkippedFile(fs, fd) && AddMatch(ss, pszFolder, fd)) {
            ++cMatches;
        }
    } while (IsFindRunning() && FindNextFileW(hFind, &fd));
    FindClose(hFind);
    for (size_t i = 0; i < later.size() && IsFindRunning(); ++i) {
        WCHAR szPath[MAX_PATH];
        if (JoinPath(pszFolder, later[i].c_str(), szPath, ARRAYSIZE(szPath)))
            cMatches += SearchIn(ss, szPath);
    }
    return cMatches;
}

int SearchFolder(HWND hwndPage, const FindSettings &fs, LPCWSTR pszFolder)
{
    SearchState *pss = new (std::nothrow) SearchState();
    if (!pss)
        return 0;
    pss->hwndPage = hwndPage;
    pss->pfs = &fs;
    pss->dwLastHandOver = GetTickCount();
    pss->dwLastPaint = GetTickCount() - 50;
    int cMatches = SearchIn(*pss, pszFolder);
    // What was queued when the search ended or was stopped is kept.
    HandOver(*pss);
    for (int i = 0; i < pss->cIcons; ++i)
        if (pss->aIcons[i].hIcon)
            DestroyIcon(pss->aIcons[i].hIcon);
    delete pss;
    return cMatches;
}

static DWORD WINAPI FindWorker(LPVOID pv)
{
    WorkerArgs *pwa = (WorkerArgs *)pv;
    SearchFolder(pwa->hwndPage, pwa->fs, pwa->fs.szFolder);
    PaintFindStrip(pwa->hwndPage, nullptr);
    SendMessageW(pwa->hwndPage, WM_COMMAND, MAKEWPARAM(IDM_FIND_STOP, 0), 0);
    delete pwa;
    return 0;
}

HANDLE StartFindWorker(HWND hwndPage, const FindSettings &fs)
{
    WorkerArgs *pwa = new (std::nothrow) WorkerArgs{hwndPage, fs};
    if (!pwa)
        return nullptr;
    s_cFound.store(0);
    s_fTruncated.store(FALSE);
    s_lRunning.store(1);
    HANDLE hThread = CreateThread(nullptr, 0, FindWorker, pwa, 0, nullptr);
    if (!hThread) {
        s_lRunning.store(0);
        delete pwa;
    }
    return hThread;
}
