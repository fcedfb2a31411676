// The storage-card watcher: a thread that watches the device root, compares
// the cards present with the set seen last and hands a change to the UI
// thread, where the list and the folder tree follow it.
#include "cardwatch.h"
#include "foldertree.h"
#include "mainwnd.h"
#include "filelist.h"
#include "options.h"
#include "projects.h"
#include <strsafe.h>
#include <cwchar>

static volatile LONG s_fWatcherRunning;
static volatile LONG s_fWatcherStarted;

BOOL IsCardWatcherRunning() { return s_fWatcherRunning; }

int ReadCards(WCHAR (*pNames)[MAX_PATH], int cMax)
{
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFlashCard(&fd);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    int c = 0;
    do {
        if (c < cMax)
            StringCchCopyW(pNames[c++], MAX_PATH, fd.cFileName);
    } while (FindNextFlashCard(h, &fd));
    FindClose(h);
    return c;
}

static void SortCardNames(WCHAR (*pNames)[MAX_PATH], int c)
{
    WCHAR szTemp[MAX_PATH];
    for (int i = 0; i < c; ++i) {
        for (int j = i + 1; j < c; ++j) {
            if (wcscmp(pNames[i], pNames[j]) <= 0)
                continue;
            wmemcpy(szTemp, pNames[i], MAX_PATH);
            wmemcpy(pNames[i], pNames[j], MAX_PATH);
            wmemcpy(pNames[j], szTemp, MAX_PATH);
        }
    }
}

static BOOL ContainsCard(const WCHAR (*pNames)[MAX_PATH], int c, LPCWSTR pszName)
{
    for (int i = 0; i < c; ++i) {
        if (wcscmp(pNames[i], pszName) == 0)
            return TRUE;
    }
    return FALSE;
}

int CompareCardSets(const WCHAR (*pOld)[MAX_PATH], int cOld, const WCHAR (*pNew)[MAX_PATH], int cNew,
                    WCHAR *pszName, size_t cchName)
{
    pszName[0] = 0;
    if (cNew == cOld)
        return 0;
    BOOL fInserted = cNew > cOld;
    const WCHAR (*pFrom)[MAX_PATH] = fInserted ? pNew : pOld;
    const WCHAR (*pOther)[MAX_PATH] = fInserted ? pOld : pNew;
    int cFrom = fInserted ? cNew : cOld, cOther = fInserted ? cOld : cNew;
    // Both sets are in name order, so the first one missing is the first by name.
    for (int i = 0; i < cFrom; ++i) {
        if (ContainsCard(pOther, cOther, pFrom[i]))
            continue;
        StringCchCopyW(pszName, cchName, pFrom[i]);
        return fInserted ? 1 : -1;
    }
    return 0;
}

BOOL IsOnCard(LPCWSTR pszPath, LPCWSTR pszCard)
{
    size_t cch = wcslen(pszCard);
    if (pszPath[0] != L'\\' || !cch || _wcsnicmp(pszPath + 1, pszCard, cch) != 0)
        return FALSE;
    return pszPath[cch + 1] == 0 || pszPath[cch + 1] == L'\\';
}

BOOL IsCardFolder(LPCWSTR pszPath)
{
    WCHAR aCards[MAX_CARDS][MAX_PATH];
    int cCards = ReadCards(aCards, MAX_CARDS);
    for (int i = 0; i < cCards; ++i) {
        if (pszPath[0] == L'\\' && _wcsicmp(pszPath + 1, aCards[i]) == 0)
            return TRUE;
    }
    return FALSE;
}

static void OnCardInserted(LPCWSTR pszName)
{
    BOOL fSwitch = GetOption(OPT_SWITCH_TO_CARD);
    WCHAR szCard[MAX_PATH];
    if (FAILED(StringCchPrintfW(szCard, ARRAYSIZE(szCard), L"\\%s", pszName)))
        return;
    // While a destination is chosen the list holds the pending sources.
    if (!IsTreeMode() && !IsDestTreeShown()) {
        if (fSwitch)
            StringCchCopyW(g_szCurrentFolder, ARRAYSIZE(g_szCurrentFolder), szCard);
        if (fSwitch || !g_szCurrentFolder[0]) {
            ListFolder();
            PaintTitleStrip();
        }
    }
    AddCardNode(pszName, szCard, IsTreeMode() && fSwitch);
}

static void OnCardRemoved(LPCWSTR pszName)
{
    if (!IsTreeMode() && !IsDestTreeShown()) {
        if (!g_szCurrentFolder[0]) {
            RemoveListRow(FindListRow(pszName));
            ResetFileList();
            RepaintStrips();
        } else if (IsOnCard(g_szCurrentFolder, pszName)) {
            g_szCurrentFolder[0] = 0;
            ListFolder();
            PaintTitleStrip();
        }
    }
    RemoveCardNode(pszName);
}

void OnCardChanged(BOOL fInserted, LPCWSTR pszName)
{
    if (fInserted)
        OnCardInserted(pszName);
    else
        OnCardRemoved(pszName);
}

static BOOL StorageProfilesSet()
{
    WCHAR szFolder[MAX_PATH];
    DWORD cb = sizeof(szFolder);
    return RegGetValueW(HKEY_LOCAL_MACHINE, L"System\\StorageManager\\Profiles", L"Folder", RRF_RT_REG_SZ, nullptr,
                        szFolder, &cb) == ERROR_SUCCESS;
}

static WCHAR s_aCardsSeen[MAX_CARDS][MAX_PATH];
static volatile int s_cCardsSeen;

int GetCardsSeenCount() { return s_cCardsSeen; }

static void RunCardCheck()
{
    WCHAR aNow[MAX_CARDS][MAX_PATH];
    int cNow = ReadCards(aNow, MAX_CARDS);
    SortCardNames(aNow, cNow);
    WCHAR szName[MAX_PATH];
    int iChange = CompareCardSets(s_aCardsSeen, s_cCardsSeen, aNow, cNow, szName, ARRAYSIZE(szName));
    memcpy(s_aCardsSeen, aNow, sizeof(aNow));
    s_cCardsSeen = cNow;
    if (iChange != 0)
        SendMessageW(g_hwndMain, WM_TAVEL_CARD, iChange > 0, (LPARAM)szName);
}

static DWORD WINAPI CardWatcherThread(LPVOID)
{
    if (!StorageProfilesSet()) {
        InterlockedExchange(&s_fWatcherStarted, 0);
        return 0;
    }
    // The watch is armed before each look at the cards: a change made while
    // the cards are read or handled signals again instead of going unseen.
    HANDLE hChange = FindFirstChangeNotificationW(L"\\", FALSE, FILE_NOTIFY_CHANGE_DIR_NAME);
    if (hChange == INVALID_HANDLE_VALUE) {
        InterlockedExchange(&s_fWatcherStarted, 0);
        return 0;
    }
    s_cCardsSeen = ReadCards(s_aCardsSeen, MAX_CARDS);
    SortCardNames(s_aCardsSeen, s_cCardsSeen);
    InterlockedExchange(&s_fWatcherRunning, 1);
    while (WaitForSingleObject(hChange, INFINITE) == WAIT_OBJECT_0) {
        if (!FindNextChangeNotification(hChange))
            break;
        EnterCriticalSection(&g_csTree);
        RunCardCheck();
        LeaveCriticalSection(&g_csTree);
    }
    FindCloseChangeNotification(hChange);
    InterlockedExchange(&s_fWatcherRunning, 0);
    InterlockedExchange(&s_fWatcherStarted, 0);
    return 0;
}

void StartCardWatcher()
{
    // The watcher gives up when card tracking is off; a later start may find it on.
    if (InterlockedExchange(&s_fWatcherStarted, 1))
        return;
    HANDLE h = CreateThread(nullptr, 0, CardWatcherThread, nullptr, 0, nullptr);
    if (h)
        CloseHandle(h);
    else
        InterlockedExchange(&s_fWatcherStarted, 0);
}
