// The handset's system figures: power, memory, object store, maker, processor,
// version and special folders, all from the "system" object of device.json
// (read afresh on each call, so a changed profile shows on the next query).
#include "internal.h"
#include "cesystem.h"
#include "cemapi.h"
#include <shlobj.h>
#include <strsafe.h>
#include <mutex>
#include <string>

namespace {
const ULONGLONG kDefaultTotalPhys = 32ULL << 20;
const ULONGLONG kDefaultAvailPhys = 12ULL << 20;
const ULONGLONG kDefaultStoreSize = 16ULL << 20;
const ULONGLONG kDefaultStoreFree = 6ULL << 20;
const DWORD kDefaultProcessor = PROCESSOR_STRONGARM;
const wchar_t kDefaultOem[] = L"Smartphone";
const wchar_t kDefaultDocuments[] = L"\\My Documents";
const wchar_t kDefaultStartMenu[] = L"\\Windows\\Start Menu";

nlohmann::json SystemObject()
{
    nlohmann::json j = PlatProfileLoad(L"device.json");
    auto it = j.find("system");
    if (it == j.end() || !it->is_object())
        return nlohmann::json::object();
    return *it;
}

nlohmann::json Member(const nlohmann::json &j, const char *pszKey)
{
    auto it = j.find(pszKey);
    return it != j.end() && it->is_object() ? *it : nlohmann::json::object();
}

// A non-negative whole number, or the default for anything else.
ULONGLONG Number(const nlohmann::json &j, const char *pszKey, ULONGLONG ullDefault)
{
    auto it = j.find(pszKey);
    if (it == j.end() || !it->is_number_unsigned())
        return ullDefault;
    return it->get<ULONGLONG>();
}

BYTE Byte(const nlohmann::json &j, const char *pszKey, BYTE bDefault)
{
    ULONGLONG ull = Number(j, pszKey, bDefault);
    return ull > 0xFF ? bDefault : (BYTE)ull;
}

DWORD Dword(ULONGLONG ull)
{
    return ull > 0xFFFFFFFFULL ? 0xFFFFFFFFUL : (DWORD)ull;
}

// A text member; fPresent tells a missing key from an empty text.
std::wstring Text(const nlohmann::json &j, const char *pszKey, const wchar_t *pszDefault)
{
    auto it = j.find(pszKey);
    if (it == j.end() || !it->is_string())
        return pszDefault;
    std::string s = it->get<std::string>();
    if (s.empty())
        return std::wstring();
    int cch = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), (int)s.size(), nullptr, 0);
    std::wstring w(cch > 0 ? cch : 0, L'\0');
    if (cch > 0)
        MultiByteToWideChar(CP_UTF8, 0, s.c_str(), (int)s.size(), &w[0], cch);
    return w;
}

std::mutex g_mtxPower;
bool g_fPowerRead = false;
SYSTEM_POWER_STATUS_EX g_power;

void ReadPower(SYSTEM_POWER_STATUS_EX *ps)
{
    nlohmann::json power = Member(SystemObject(), "power");
    nlohmann::json main = Member(power, "main");
    nlohmann::json backup = Member(power, "backup");
    ZeroMemory(ps, sizeof(*ps));
    ps->ACLineStatus = Byte(power, "ac", 0);
    ps->BatteryFlag = Byte(main, "flag", BATTERY_FLAG_HIGH);
    ps->BatteryLifePercent = Byte(main, "percent", 100);
    ps->BatteryLifeTime = BATTERY_LIFE_UNKNOWN;
    ps->BatteryFullLifeTime = BATTERY_LIFE_UNKNOWN;
    ps->BackupBatteryFlag = Byte(backup, "flag", BATTERY_FLAG_HIGH);
    ps->BackupBatteryLifePercent = Byte(backup, "percent", 100);
    ps->BackupBatteryLifeTime = BATTERY_LIFE_UNKNOWN;
    ps->BackupBatteryFullLifeTime = BATTERY_LIFE_UNKNOWN;
}

LONG g_cMapiSessions;
} // namespace

BOOL WINAPI GetSystemPowerStatusEx(PSYSTEM_POWER_STATUS_EX pstatus, BOOL fUpdate)
{
    if (!pstatus)
        return FALSE;
    std::lock_guard<std::mutex> lock(g_mtxPower);
    // Without fUpdate the driver answers with its last reading.
    if (fUpdate || !g_fPowerRead) {
        ReadPower(&g_power);
        g_fPowerRead = true;
    }
    *pstatus = g_power;
    return TRUE;
}

BOOL WINAPI GetStoreInformation(LPSTORE_INFORMATION lpsi)
{
    if (!lpsi)
        return FALSE;
    nlohmann::json store = Member(SystemObject(), "store");
    ULONGLONG cbSize = Number(store, "size", kDefaultStoreSize);
    ULONGLONG cbFree = Number(store, "free", kDefaultStoreFree);
    lpsi->dwStoreSize = Dword(cbSize);
    lpsi->dwFreeSize = Dword(cbFree > cbSize ? cbSize : cbFree);
    return TRUE;
}

void WINAPI PlatGlobalMemoryStatus(LPMEMORYSTATUS pms)
{
    if (!pms)
        return;
    nlohmann::json memory = Member(SystemObject(), "memory");
    ULONGLONG cbTotal = Number(memory, "total", kDefaultTotalPhys);
    ULONGLONG cbAvail = Number(memory, "available", kDefaultAvailPhys);
    if (cbAvail > cbTotal)
        cbAvail = cbTotal;
    ZeroMemory(pms, sizeof(*pms));
    pms->dwLength = sizeof(*pms);
    pms->dwMemoryLoad = cbTotal ? (DWORD)((cbTotal - cbAvail) * 100 / cbTotal) : 0;
    pms->dwTotalPhys = (SIZE_T)Dword(cbTotal);
    pms->dwAvailPhys = (SIZE_T)Dword(cbAvail);
    pms->dwTotalVirtual = 32U << 20;  // one process slot
    pms->dwAvailVirtual = 24U << 20;
}

BOOL WINAPI PlatSystemParametersInfoW(UINT uiAction, UINT uiParam, PVOID pvParam, UINT fWinIni)
{
    if (uiAction != SPI_GETOEMINFO)
        return SystemParametersInfoW(uiAction, uiParam, pvParam, fWinIni);
    if (!pvParam) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // uiParam is the buffer's size in bytes, as the handset's callers pass sizeof.
    std::wstring oem = Text(SystemObject(), "oem", kDefaultOem);
    size_t cchBuffer = uiParam / sizeof(WCHAR);
    if (oem.size() + 1 > cchBuffer) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    return SUCCEEDED(StringCchCopyW((LPWSTR)pvParam, cchBuffer, oem.c_str()));
}

void WINAPI PlatGetSystemInfo(LPSYSTEM_INFO psi)
{
    if (!psi)
        return;
    GetSystemInfo(psi);
    psi->wProcessorArchitecture = PROCESSOR_ARCHITECTURE_ARM;
    psi->dwNumberOfProcessors = 1;
    psi->dwProcessorType = Dword(Number(SystemObject(), "processor", kDefaultProcessor));
}

BOOL WINAPI PlatGetVersionExW(LPOSVERSIONINFOW pvi)
{
    if (!pvi || pvi->dwOSVersionInfoSize < sizeof(OSVERSIONINFOW)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    nlohmann::json version = Member(SystemObject(), "version");
    DWORD cbStruct = pvi->dwOSVersionInfoSize;
    ZeroMemory(pvi, cbStruct > sizeof(OSVERSIONINFOEXW) ? sizeof(OSVERSIONINFOEXW) : cbStruct);
    pvi->dwOSVersionInfoSize = cbStruct;
    pvi->dwMajorVersion = Dword(Number(version, "major", 4));
    pvi->dwMinorVersion = Dword(Number(version, "minor", 20));
    pvi->dwBuildNumber = Dword(Number(version, "build", 1081));
    pvi->dwPlatformId = VER_PLATFORM_WIN32_CE;
    return TRUE;
}

BOOL WINAPI PlatSHGetSpecialFolderPathW(HWND hwnd, LPWSTR pszPath, int csidl, BOOL fCreate)
{
    int id = csidl & ~CSIDL_FLAG_MASK;
    if (id != CSIDL_PERSONAL && id != CSIDL_STARTMENU)
        return SHGetSpecialFolderPathW(hwnd, pszPath, csidl, fCreate);
    if (!pszPath)
        return FALSE;
    pszPath[0] = 0;
    nlohmann::json folders = Member(SystemObject(), "folders");
    std::wstring path = id == CSIDL_PERSONAL ? Text(folders, "documents", kDefaultDocuments)
                                             : Text(folders, "startmenu", kDefaultStartMenu);
    // An empty entry: the handset has no such folder.
    if (path.empty() || path.size() >= MAX_PATH)
        return FALSE;
    if (fCreate || (csidl & CSIDL_FLAG_CREATE))
        CreateDirectoryW(path.c_str(), nullptr);
    return SUCCEEDED(StringCchCopyW(pszPath, MAX_PATH, path.c_str()));
}

DWORD WINAPI PlatGetModuleFileNameW(HMODULE hmod, LPWSTR pszPath, DWORD cchPath)
{
    if (!hmod)
        return GetModuleFileNameW(hmod, pszPath, cchPath);
    DWORD cch = GetModuleFileNameW(hmod, pszPath, cchPath);
    if (cch || !pszPath || !cchPath || (ULONG_PTR)hmod > 0xFFFFFFFFUL)
        return cch;
    // Not a module of ours: on the handset the value may be a process id.
    HANDLE hProcess = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, (DWORD)(ULONG_PTR)hmod);
    if (!hProcess)
        return 0;
    std::wstring full(32768, L'\0');
    DWORD cchFull = (DWORD)full.size();
    BOOL fOk = QueryFullProcessImageNameW(hProcess, 0, &full[0], &cchFull);
    CloseHandle(hProcess);
    if (!fOk)
        return 0;
    // Cut to the caller's buffer like GetModuleFileNameW does, never past it.
    if (cchFull >= cchPath) {
        StringCchCopyNW(pszPath, cchPath, full.c_str(), cchPath - 1);
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return cchPath;
    }
    StringCchCopyW(pszPath, cchPath, full.c_str());
    SetLastError(ERROR_SUCCESS);
    return cchFull;
}

HANDLE WINAPI PlatOpenProcess(DWORD dwAccess, BOOL fInherit, DWORD dwPid)
{
    if (dwAccess == 0)
        dwAccess = PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE;
    return OpenProcess(dwAccess, fInherit, dwPid);
}

HRESULT WINAPI MAPIInitialize(LPVOID lpMapiInit)
{
    (void)lpMapiInit;
    InterlockedIncrement(&g_cMapiSessions);
    return S_OK;
}

void WINAPI MAPIUninitialize(void)
{
    if (InterlockedDecrement(&g_cMapiSessions) < 0)
        InterlockedIncrement(&g_cMapiSessions);  // unpaired call: stay at zero
}
