// The device profile: a folder of JSON files that holds the handset's state.
#include "internal.h"
#include <strsafe.h>
#include <map>
#include <mutex>
#include <stdexcept>

namespace {
std::mutex g_mtx;
// Held while this process has a profile file open for reading or replaces
// one: the desktop refuses to replace a file that is open anywhere.
std::mutex g_mtxFiles;
WCHAR g_szDir[MAX_PATH];
bool g_fDirRead = false;
// Files found damaged during the run, as they were then: each damage is
// reported once, and a file is not replaced while it stays as it was found.
std::mutex g_mtxDamaged;
std::map<std::wstring, PlatFileStamp> g_damaged;
// Deep enough for every file of the profile and every volume; every later
// walk of a parsed document (copy, compare, write) recurses once per level.
const int kMaxJsonDepth = 64;

// Files whose damage stops a program at start, before it shows anything.
const wchar_t *const g_apszKnown[] = {
    L"device.json", L"sim.json", L"contacts.json", L"messages.json",
    L"irda.json", L"calllog.json", L"registry.json", L"mail.json",
};

void ReadDirLocked()
{
    if (g_fDirRead)
        return;
    g_fDirRead = true;
    g_szDir[0] = 0;
    DWORD cch = GetEnvironmentVariableW(L"PHONE_PROFILE", g_szDir, ARRAYSIZE(g_szDir));
    if (cch == 0 || cch >= ARRAYSIZE(g_szDir)) {
        g_szDir[0] = 0;
        return;
    }
    size_t len = wcslen(g_szDir);
    while (len > 0 && (g_szDir[len - 1] == L'\\' || g_szDir[len - 1] == L'/'))
        g_szDir[--len] = 0;
}

std::string Narrow(const std::wstring &w)
{
    int cb = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string s(cb > 0 ? cb - 1 : 0, '\0');
    if (cb > 1)
        WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, &s[0], cb, nullptr, nullptr);
    return s;
}

// Reads a whole file; false when it does not exist.
bool ReadFileText(const std::wstring &path, std::string &text)
{
    std::lock_guard<std::mutex> lock(g_mtxFiles);
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    text.clear();
    char buf[16384];
    DWORD cb = 0;
    while (ReadFile(h, buf, sizeof(buf), &cb, nullptr) && cb > 0)
        text.append(buf, cb);
    CloseHandle(h);
    return true;
}

// Puts the written temp file in place. A reader in another process holds the
// file only for its read, so a refused replace is tried again for a while.
BOOL ReplaceWithTemp(const std::wstring &tmp, const std::wstring &path)
{
    for (int iTry = 0;; ++iTry) {
        DWORD dwErr;
        {
            std::lock_guard<std::mutex> lock(g_mtxFiles);
            if (MoveFileExW(tmp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
                return TRUE;
            dwErr = GetLastError();
        }
        if ((dwErr != ERROR_ACCESS_DENIED && dwErr != ERROR_SHARING_VIOLATION) || iTry >= 100)
            return FALSE;
        Sleep(20);
    }
}

// Builds the message naming a damaged file and shows it: on standard error,
// and in a box. A headless run stopped at start has only the first: nobody
// would answer the box.
void ReportDamaged(const std::wstring &path, const std::string &why, bool fAtStart)
{
    std::wstring wWhy;
    for (char ch : why)
        wWhy += (wchar_t)(unsigned char)ch;
    WCHAR szMsg[1024];
    StringCchPrintfW(szMsg, ARRAYSIZE(szMsg), L"The device profile file %s is damaged and was left untouched: %s",
                     path.c_str(), wWhy.c_str());
    PlatStdErr(szMsg);
    WCHAR szHeadless[8];
    if (!fAtStart || !GetEnvironmentVariableW(L"PHONE_HEADLESS", szHeadless, ARRAYSIZE(szHeadless)))
        PlatMessageBoxW(nullptr, szMsg, L"Device profile", MB_OK | MB_ICONHAND);
}

bool IsKnownDamaged(const std::wstring &path)
{
    std::lock_guard<std::mutex> lock(g_mtxDamaged);
    auto it = g_damaged.find(path);
    return it != g_damaged.end() && !(it->second != PlatStampOf(path));
}

// Reads one profile file; a missing one is an empty object. A damaged one
// stops the program at start; later it is reported the first time it is met
// and the read fails.
bool Parse(const std::wstring &path, nlohmann::json &j, bool fAtStart)
{
    std::string text;
    std::string why;
    bool fWhole = false;
    try {  // a file too large to hold is damaged too
        if (!ReadFileText(path, text)) {
            j = nlohmann::json::object();
            fWhole = true;
        } else if (PlatParseJson(text, j, &why)) {
            fWhole = j.is_object();
            if (!fWhole)
                why = "the file must hold one JSON object";
        }
    } catch (const std::exception &e) {
        why = e.what();
    }
    if (fAtStart && !fWhole)
        PlatProfileFatal(path, why.c_str());
    bool fReport;
    {
        std::lock_guard<std::mutex> lock(g_mtxDamaged);
        if (fWhole) {
            g_damaged.erase(path);
            return true;
        }
        PlatFileStamp st = PlatStampOf(path);
        auto it = g_damaged.find(path);
        fReport = it == g_damaged.end() || it->second != st;
        g_damaged[path] = st;
    }
    if (fReport)
        ReportDamaged(path, why, false);
    j = nlohmann::json::object();
    return false;
}

// Runs before WinMain: a damaged profile stops the program before any window.
struct ProfileCheck {
    ProfileCheck()
    {
        if (PlatProfileDir()[0] == 0)
            return;
        for (const wchar_t *psz : g_apszKnown) {
            nlohmann::json j;
            Parse(PlatProfilePath(psz), j, true);
        }
    }
} g_check;
} // namespace

LPCWSTR WINAPI PlatProfileDir(void)
{
    std::lock_guard<std::mutex> lock(g_mtx);
    ReadDirLocked();
    return g_szDir;
}

void WINAPI PlatProfileReset(void)
{
    std::lock_guard<std::mutex> lock(g_mtx);
    g_fDirRead = false;
    ReadDirLocked();
}

std::wstring PlatProfilePath(const wchar_t *pszName)
{
    std::wstring path = PlatProfileDir();
    path += L"\\";
    path += pszName;
    return path;
}

bool PlatProfileRead(const wchar_t *pszName, nlohmann::json &j)
{
    j = nlohmann::json::object();
    return PlatProfileDir()[0] == 0 || Parse(PlatProfilePath(pszName), j, false);
}

nlohmann::json PlatProfileLoad(const wchar_t *pszName)
{
    nlohmann::json j;
    PlatProfileRead(pszName, j);
    return j;
}

bool PlatParseJson(const std::string &text, nlohmann::json &j, std::string *pWhy)
{
    using nlohmann::json;
    try {
        j = json::parse(text, [](int iDepth, json::parse_event_t event, json &) {
            if ((event == json::parse_event_t::object_start || event == json::parse_event_t::array_start) &&
                iDepth >= kMaxJsonDepth)
                throw std::length_error("arrays and objects nested deeper than 64");
            return true;
        });
    } catch (const std::exception &e) {
        if (pWhy)
            *pWhy = e.what();
        return false;
    }
    return true;
}

BOOL PlatProfileSave(const wchar_t *pszName, const nlohmann::json &j)
{
    if (PlatProfileDir()[0] == 0)
        return FALSE;  // no profile: state lives only as long as the process
    std::wstring path = PlatProfilePath(pszName);
    if (IsKnownDamaged(path)) {
        SetLastError(ERROR_FILE_CORRUPT);  // the user's file stays as they left it
        return FALSE;
    }
    std::string text;
    try {
        text = j.dump(2) + "\n";
    } catch (const std::exception &) {
        return FALSE;  // a text that is no UTF-8: nothing is written
    }
    return PlatSaveFileAtomic(path, text, path + L".tmp");
}

PlatFileStamp PlatStampOf(const std::wstring &path)
{
    PlatFileStamp st = {};
    WIN32_FILE_ATTRIBUTE_DATA fad;
    if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &fad)) {
        st.ft = fad.ftLastWriteTime;
        st.cb = ((ULONGLONG)fad.nFileSizeHigh << 32) | fad.nFileSizeLow;
    }
    return st;
}

BOOL PlatSaveFileAtomic(const std::wstring &path, const std::string &text, const std::wstring &tmp)
{
    HANDLE h = CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return FALSE;
    DWORD cb = 0;
    BOOL fOk = WriteFile(h, text.data(), (DWORD)text.size(), &cb, nullptr) && cb == text.size();
    fOk = FlushFileBuffers(h) && fOk;
    CloseHandle(h);
    if (fOk)
        fOk = ReplaceWithTemp(tmp, path);
    if (!fOk) {
        DWORD dwErr = GetLastError();
        DeleteFileW(tmp.c_str());
        SetLastError(dwErr);
    }
    return fOk;
}

void PlatStdErr(const wchar_t *psz)
{
    std::string s = Narrow(psz);
    s += "\n";
    HANDLE h = GetStdHandle(STD_ERROR_HANDLE);
    DWORD cb = 0;
    if (h && h != INVALID_HANDLE_VALUE)
        WriteFile(h, s.data(), (DWORD)s.size(), &cb, nullptr);
}

void PlatProfileFatal(const std::wstring &path, const char *pszWhy)
{
    ReportDamaged(path, pszWhy, true);
    ExitProcess(3);
}
