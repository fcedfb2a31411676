// Storage cards: folders in the root of the object store that the profile
// names as cards. A removed card's folder waits in the profile's
// "removed-cards" folder, so inserting it again brings its files back.
#include "internal.h"
#include "projects.h"
#include <strsafe.h>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace {
std::mutex g_mtxFind;
std::map<HANDLE, std::vector<WIN32_FIND_DATAW>> g_searches;

struct CardInfo {
    std::wstring name;
    ULONGLONG cbCapacity;
};

const ULONGLONG kDefaultCapacity = 64ULL << 20;
const ULONGLONG kMaxCapacity = 1ULL << 40;

// A card is one folder of the root: a name that would lead anywhere else is
// no card.
bool IsCardName(const std::wstring &name)
{
    return !name.empty() && name != L"." && name != L".." &&
           name.find_first_of(L"\\/:*?\"<>|") == std::wstring::npos;
}

std::vector<CardInfo> ProfileCards()
{
    std::vector<CardInfo> cards;
    nlohmann::json j = PlatProfileLoad(L"device.json");
    for (const auto &c : PlatProfileArray(j, "cards")) {
        // A plain string is a card's name with the default capacity.
        nlohmann::json card = c.is_string() ? nlohmann::json{{"name", c}} : c;
        std::wstring name = PlatProfileText(card, "name", MAX_PATH - 2, L"");
        if (IsCardName(name))
            cards.push_back({name, PlatProfileNumber(card, "capacity", 1, kMaxCapacity, kDefaultCapacity)});
    }
    return cards;
}

// The host's name of a card's folder or of the root's "*" (card names are
// checked, so they always name one).
std::wstring StoreName(const std::wstring &name)
{
    std::wstring host;
    PlatStorePath((L"\\" + name).c_str(), &host);
    return host;
}

// The card folders present now, as the root's find records.
std::vector<WIN32_FIND_DATAW> PresentCards()
{
    std::vector<WIN32_FIND_DATAW> found;
    for (const CardInfo &card : ProfileCards()) {
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW(StoreName(card.name).c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE)
            continue;
        FindClose(h);
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        fd.dwFileAttributes |= FILE_ATTRIBUTE_TEMPORARY;  // how the handset marks a card
        found.push_back(fd);
    }
    return found;
}

ULONGLONG FolderBytes(const std::wstring &dir)
{
    ULONGLONG cb = 0;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    do {
        if (!lstrcmpW(fd.cFileName, L".") || !lstrcmpW(fd.cFileName, L".."))
            continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            cb += FolderBytes(dir + L"\\" + fd.cFileName);
        else
            cb += ((ULONGLONG)fd.nFileSizeHigh << 32) | fd.nFileSizeLow;
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return cb;
}

// "\Storage Card", "Storage Card\" and the like name the card itself.
const CardInfo *CardOfPath(const std::vector<CardInfo> &cards, LPCWSTR pszPath)
{
    if (!pszPath)
        return nullptr;
    std::wstring path = pszPath;
    while (!path.empty() && (path[0] == L'\\' || path[0] == L'/'))
        path.erase(0, 1);
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/'))
        path.pop_back();
    for (const CardInfo &card : cards)
        if (lstrcmpiW(card.name.c_str(), path.c_str()) == 0)
            return &card;
    return nullptr;
}
} // namespace

HANDLE WINAPI FindFirstFlashCard(LPWIN32_FIND_DATAW pfd)
{
    std::vector<WIN32_FIND_DATAW> cards = PresentCards();
    if (!pfd || cards.empty()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return INVALID_HANDLE_VALUE;
    }
    // A real find handle, so that FindClose ends the search as on the handset.
    WIN32_FIND_DATAW fdRoot;
    HANDLE h = FindFirstFileW(StoreName(L"*").c_str(), &fdRoot);
    if (h == INVALID_HANDLE_VALUE)
        return INVALID_HANDLE_VALUE;
    *pfd = cards[0];
    cards.erase(cards.begin());
    std::lock_guard<std::mutex> lock(g_mtxFind);
    g_searches[h] = cards;
    return h;
}

BOOL WINAPI FindNextFlashCard(HANDLE hFlashCard, LPWIN32_FIND_DATAW pfd)
{
    std::lock_guard<std::mutex> lock(g_mtxFind);
    auto it = g_searches.find(hFlashCard);
    if (it == g_searches.end() || it->second.empty() || !pfd) {
        if (it != g_searches.end())
            g_searches.erase(it);
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    *pfd = it->second.front();
    it->second.erase(it->second.begin());
    return TRUE;
}

BOOL WINAPI PlatGetDiskFreeSpaceExW(LPCWSTR pszPath, PULARGE_INTEGER pcbFreeToCaller, PULARGE_INTEGER pcbTotal,
                                    PULARGE_INTEGER pcbFree)
{
    std::vector<CardInfo> cards = ProfileCards();
    const CardInfo *pcard = CardOfPath(cards, pszPath);
    std::wstring host;
    if (!pcard)
        return PlatStorePath(pszPath, &host) && GetDiskFreeSpaceExW(host.c_str(), pcbFreeToCaller, pcbTotal, pcbFree);
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(StoreName(pcard->name).c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) {
        SetLastError(ERROR_PATH_NOT_FOUND);  // the card is out
        return FALSE;
    }
    FindClose(h);
    ULONGLONG cbUsed = FolderBytes(StoreName(pcard->name));
    ULONGLONG cbFree = cbUsed >= pcard->cbCapacity ? 0 : pcard->cbCapacity - cbUsed;
    if (pcbFreeToCaller)
        pcbFreeToCaller->QuadPart = cbFree;
    if (pcbTotal)
        pcbTotal->QuadPart = pcard->cbCapacity;
    if (pcbFree)
        pcbFree->QuadPart = cbFree;
    return TRUE;
}

namespace {
BOOL MoveCard(LPCWSTR pszName, bool fInsert)
{
    std::wstring removed = PlatProfilePath(L"removed-cards");
    std::wstring inStore;
    if (!pszName || !PlatStorePath((std::wstring(L"\\") + pszName).c_str(), &inStore))
        return FALSE;
    std::wstring outside = removed + L"\\" + pszName;
    if (!fInsert)
        CreateDirectoryW(removed.c_str(), nullptr);
    return fInsert ? MoveFileW(outside.c_str(), inStore.c_str()) : MoveFileW(inStore.c_str(), outside.c_str());
}
} // namespace

BOOL PlatIsCardRoot(LPCWSTR pszPath)
{
    std::wstring host;
    if (!pszPath || !PlatStorePath(pszPath, &host))
        return FALSE;
    while (!host.empty() && host.back() == L'\\')
        host.pop_back();
    for (const CardInfo &card : ProfileCards())
        if (lstrcmpiW(StoreName(card.name).c_str(), host.c_str()) == 0)
            return TRUE;
    return FALSE;
}

BOOL WINAPI PlatInsertCard(LPCWSTR pszName)
{
    return MoveCard(pszName, true);
}

BOOL WINAPI PlatRemoveCard(LPCWSTR pszName)
{
    return MoveCard(pszName, false);
}
