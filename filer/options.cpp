// Options store: registry values with their defaults and the options map.
#include "options.h"
#include "kit.h"
#include <map>
#include <string>
#include <cstring>
#include <strsafe.h>

namespace {
struct FlagInfo {
    const char *pszName;
    LPCWSTR pszValue;
    DWORD dwDefault;
};

// Map-building order; the registry defaults are the last column.
const FlagInfo kFlags[] = {
    {OPT_HIDE_EXTENSIONS, L"HideFileExtensions", 0},
    {OPT_REMEMBER_FOLDER, L"RememberLastOpenedFolder", 0},
    {OPT_SMALL_FONT, L"SmallFont", 1},
    {OPT_SWITCH_TO_CARD, L"SwitchToStorageCard", 0},
    {OPT_HIDE_HIDDEN, L"HideHiddenFiles", 0},
    {OPT_CONFIRM_OVERWRITE, L"ConfirmOverwriteFiles", 1},
    {OPT_CONFIRM_DELETE, L"ConfirmDeleteFiles", 1},
};

const FlagInfo *FindFlag(const char *pszName)
{
    for (const FlagInfo &f : kFlags)
        if (strcmp(f.pszName, pszName) == 0)
            return &f;
    return nullptr;
}

typedef std::basic_string<char, std::char_traits<char>, KitAllocator<char>> OptionName;
typedef std::map<OptionName, int, std::less<OptionName>, KitAllocator<std::pair<const OptionName, int>>> OptionsMap;

// Built on first use; the function-local object is destroyed at process exit.
OptionsMap &Options()
{
    static OptionsMap s_map = [] {
        OptionsMap map;
        map[OPT_HIDE_EXTENSIONS] = 0;
        map[OPT_REMEMBER_FOLDER] = 0;
        map[OPT_SMALL_FONT] = 0;
        map[OPT_SWITCH_TO_CARD] = 0;
        map[OPT_HIDE_HIDDEN] = 0;
        map[OPT_CONFIRM_OVERWRITE] = 1;
        map[OPT_CONFIRM_DELETE] = 1;
        for (const FlagInfo &f : kFlags)
            map[f.pszName] = ReadOptionFlag(f.pszName);
        return map;
    }();
    return s_map;
}

// The handset ignores the access mask; the desktop registry needs a real one.
DWORD ReadDword(LPCWSTR pszKey, LPCWSTR pszValue, DWORD dwDefault)
{
    HKEY hk;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, pszKey, 0, KEY_READ, &hk) != ERROR_SUCCESS)
        return dwDefault;
    DWORD dw = 0, cb = sizeof(dw);
    LONG lr = RegQueryValueExW(hk, pszValue, nullptr, nullptr, (BYTE *)&dw, &cb);
    RegCloseKey(hk);
    return lr == ERROR_SUCCESS ? dw : dwDefault;
}

void WriteValue(LPCWSTR pszKey, LPCWSTR pszValue, LPCWSTR pszClass, DWORD dwType, const BYTE *pb, DWORD cb)
{
    HKEY hk;
    DWORD dwDisp;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, pszKey, 0, (LPWSTR)pszClass, 0, KEY_WRITE, nullptr, &hk, &dwDisp) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExW(hk, pszValue, 0, dwType, pb, cb);
    RegCloseKey(hk);
}
} // namespace

int GetOption(const char *pszName)
{
    OptionsMap &map = Options();
    OptionsMap::const_iterator it = map.find(pszName);
    return it == map.end() ? 0 : it->second;
}

void SetOption(const char *pszName, int iValue)
{
    Options()[pszName] = iValue;
    WriteOptionFlag(pszName, iValue);
}

int ReadOptionFlag(const char *pszName)
{
    const FlagInfo *pf = FindFlag(pszName);
    if (!pf)
        return 0;
    return ReadDword(TAVEL_OPTIONS_KEY, pf->pszValue, pf->dwDefault) != 0;
}

void WriteOptionFlag(const char *pszName, int iValue)
{
    const FlagInfo *pf = FindFlag(pszName);
    if (!pf)
        return;
    DWORD dw = (DWORD)iValue;
    WriteValue(TAVEL_OPTIONS_KEY, pf->pszValue, pf->pszValue, REG_DWORD, (const BYTE *)&dw, sizeof(dw));
}

void ReadLastFolder(WCHAR *pszFolder, size_t cchFolder)
{
    if (cchFolder == 0)
        return;
    pszFolder[0] = 0;
    WCHAR szValue[MAX_PATH] = {};
    HKEY hk;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, TAVEL_KEY, 0, KEY_READ, &hk) != ERROR_SUCCESS)
        return;
    DWORD cb = sizeof(szValue);
    LONG lr = RegQueryValueExW(hk, L"LastFolder", nullptr, nullptr, (BYTE *)szValue, &cb);
    RegCloseKey(hk);
    if (lr != ERROR_SUCCESS)
        return;
    // A value that fills the buffer has no terminator: it is no usable path,
    // and cutting it would name a different folder.
    size_t cch = 0;
    if (FAILED(StringCchLengthW(szValue, ARRAYSIZE(szValue), &cch)) || cch == 0)
        return;
    // The file system refuses a path the handset cannot name (a host drive,
    // "\\?\unix\..."), and no `current folder` ends in "\": start at the root.
    if (szValue[cch - 1] == L'\\' ||
        (GetFileAttributesW(szValue) == INVALID_FILE_ATTRIBUTES && GetLastError() == ERROR_BAD_PATHNAME))
        return;
    if (FAILED(StringCchCopyW(pszFolder, cchFolder, szValue)))
        pszFolder[0] = 0;
}

void WriteLastFolder(LPCWSTR pszFolder)
{
    size_t cch = 0;
    if (FAILED(StringCchLengthW(pszFolder, MAX_PATH, &cch)))
        return;
    WriteValue(TAVEL_KEY, L"LastFolder", L"LastFolder", REG_SZ, (const BYTE *)pszFolder, (DWORD)(cch * sizeof(WCHAR)));
}

DWORD ReadSortType()
{
    return ReadDword(TAVEL_KEY, L"SortType", 1);
}

void WriteSortType(DWORD dwType)
{
    WriteValue(TAVEL_KEY, L"SortType", L"Sort", REG_DWORD, (const BYTE *)&dwType, sizeof(dwType));
}

int NormalizeSortType(DWORD dwType)
{
    return dwType == 0 || dwType > 4 ? 1 : (int)dwType;
}

DWORD ReadBeamTimeout()
{
    // Under a second a reminder would come faster than it can be answered.
    DWORD dwMs = ReadDword(TAVEL_KEY L"\\", L"Timeout", 3000000);
    return dwMs < BEAM_TIMEOUT_MIN ? BEAM_TIMEOUT_MIN : dwMs;
}

int ReadSortOrder()
{
    return ReadDword(TAVEL_KEY, L"SortOrder", 1) == 1;
}

void WriteSortOrder(DWORD dwOrder)
{
    WriteValue(TAVEL_KEY, L"SortOrder", L"Sort", REG_DWORD, (const BYTE *)&dwOrder, sizeof(dwOrder));
}
