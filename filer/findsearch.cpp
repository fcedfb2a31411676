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
static WCHAR s_aszFolders[FIND_RESULT_ROWS][MAX_PATH];

struct WorkerArgs {
    HWND hwndPage;
    FindSettings fs;
};

void StopFind() { s_lRunning.store(0); }
BOOL IsFindRunning() { return s_lRunning.load() != 0; }
int GetFoundCount() { return s_cFound.load(); }
BOOL IsFindTruncated() { return s_fTruncated.load(); }
void MarkFindTruncated() { s_fTruncated.store(TRUE); }

void RecordFoundRow(int iRow, LPCWSTR pszFolder)
{
    if (iRow < 0 || iRow >= FIND_RESULT_ROWS)
        return;
    StringCchCopyW(s_aszFolders[iRow], ARRAYSIZE(s_aszFolders[iRow]), pszFolder);
    s_cFound.store(iRow + 1);
}

LPCWSTR GetFoundFolder(int iRow)
{
    if (iRow < 0 || iRow >= s_cFound.load())
        return nullptr;
    return s_aszFolders[iRow];
}

// Hands one match to the page; FALSE when the table is full (the search stops).
static BOOL AddMatch(HWND hwndPage, LPCWSTR pszFolder, const WIN32_FIND_DATAW &fd)
{
    SHFILEINFOW sfi = {};
    SHGetFileInfoW(fd.cFileName, fd.dwFileAttributes, &sfi, sizeof(sfi),
                   SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES);
    FoundFile ff = {&fd, pszFolder, sfi.hIcon};
    BOOL fAdded = (BOOL)SendMessageW(hwndPage, WM_FIND_ADDROW, 0, (LPARAM)&ff);
    if (sfi.hIcon)
        DestroyIcon(sfi.hIcon);
    if (!fAdded) {
        MarkFindTruncated();
        StopFind();
    }
    return fAdded;
}

static BOOL IsSkippedFile(const FindSettings &fs, const WIN32_FIND_DATAW &fd)
{
    return (fd.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) && !fs.fSystemFiles;
}

int SearchFolder(HWND hwndPage, const FindSettings &fs, LPCWSTR pszFolder)
{
    PaintFindStrip(hwndPage, pszFolder);
    WCHAR szPattern[MAX_PATH];
    if (!JoinPath(pszFolder, fs.szPattern, szPattern, ARRAYSIZE(szPattern)))
        return 0;
    BOOL fAllNames = lstrcmpW(fs.szPattern, L"*.*") == 0;
    // Subfolders met by the pattern, so the second pass does not search them again.
    std::vector<std::wstring> searched;
    int cMatches = 0;
    WIN32_FIND_DATAW fd;
    HANDLE hFind = FindFirstFileW(szPattern, &fd);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            WCHAR szPath[MAX_PATH];
            // A path past 259 characters is skipped: cutting it would name another file.
            if (!JoinPath(pszFolder, fd.cFileName, szPath, ARRAYSIZE(szPath)))
                continue;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (!fs.fSubfolders)
                    continue;
                cMatches += SearchFolder(hwndPage, fs, szPath);
                if (!fAllNames)
                    searched.push_back(fd.cFileName);
            } else if (!IsSkippedFile(fs, fd) && AddMatch(hwndPage, pszFolder, fd)) {
                ++cMatches;
            }
        } while (IsFindRunning() && FindNextFileW(hFind, &fd));
        FindClose(hFind);
    }
    if (!fs.fSubfolders || fAllNames || !IsFindRunning())
        return cMatches;
    if (!JoinPath(pszFolder, L"*.*", szPattern, ARRAYSIZE(szPattern)))
        return cMatches;
    hFind = FindFirstFileW(szPattern, &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return cMatches;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        BOOL fDone = FALSE;
        for (const std::wstring &s : searched)
            fDone = fDone || s == fd.cFileName;
        WCHAR szPath[MAX_PATH];
        if (!fDone && JoinPath(pszFolder, fd.cFileName, szPath, ARRAYSIZE(szPath)))
            cMatches += SearchFolder(hwndPage, fs, szPath);
    } while (IsFindRunning() && FindNextFileW(hFind, &fd));
    FindClose(hFind);
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
