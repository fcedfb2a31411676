// The handset's system figures: power, memory, object store, maker, processor,
// version and special folders, all from the "system" object of device.json
// (read afresh on each call, so a changed profile shows on the next query).
#include "internal.h"
#include "cesystem.h"
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
const size_t kMaxOem = 127;
const wchar_t kDefaultDocuments[] = L"\\My Documents";
const wchar_t kDefaultStartMenu[] = L"\\Windows\\Start Menu";

const ULONGLONG kMaxDword = 0xFFFFFFFFULL;

nlohmann::json SystemObject()
{
    return PlatProfileObject(PlatProfileLoad(L"device.json"), "system");
}

// A flag byte (flags may be combined) or a percentage (0..100, 255 unknown).
BYTE Flag(const nlohmann::json &j, const char *pszKey, BYTE bDefault)
{
    return (BYTE)PlatProfileNumber(j, pszKey, 0, 0xFF, bDefault);
}

BYTE Percent(const nlohmann::json &j, const char *pszKey)
{
    BYTE b = Flag(j, pszKey, 100);
    return b > 100 && b != BATTERY_PERCENTAGE_UNKNOWN ? 100 : b;
}

DWORD Dword(const nlohmann::json &j, const char *pszKey, DWORD dwDefault)
{
    return (DWORD)PlatProfileNumber(j, pszKey, 0, kMaxDword, dwDefault);
}

// A special folder: a handset path, or "" for a folder the handset lacks.
std::wstring FolderPath(const nlohmann::json &j, const char *pszKey, const wchar_t *pszDefault)
{
    std::wstring path = PlatProfileText(j, pszKey, MAX_PATH - 1, pszDefault);
    return path.empty() || PlatIsHandsetPath(path.c_str()) ? path : pszDefault;
}

std::mutex g_mtxPower;
bool g_fPowerRead = false;
SYSTEM_POWER_STATUS_EX g_power;

void ReadPower(SYSTEM_POWER_STATUS_EX *ps)
{
    nlohmann::json system = SystemObject();
    const nlohmann::json &power = PlatProfileObject(system, "power");
    const nlohmann::json &main = PlatProfileObject(power, "main");
    const nlohmann::json &backup = PlatProfileObject(power, "backup");
    ZeroMemory(ps, sizeof(*ps));
    ps->ACLineStatus = Flag(power, "ac", 0);
    ps->BatteryFlag = Flag(main, "flag", BATTERY_FLAG_HIGH);
    ps->BatteryLifePercent = Percent(main, "percent");
    ps->BatteryLifeTime = BATTERY_LIFE_UNKNOWN;
    ps->BatteryFullLifeTime = BATTERY_LIFE_UNKNOWN;
    ps->BackupBatteryFlag = Flag(backup, "flag", BATTERY_FLAG_HIGH);
    ps->BackupBatteryLifePercent = Percent(backup, "percent");
    ps->BackupBatteryLifeTime = BATTERY_LIFE_UNKNOWN;
    ps->BackupBatteryFullLifeTime = BATTERY_LIFE_UNKNOWN;
}

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
    nlohmann::json system = SystemObject();
    const nlohmann::json &store = PlatProfileObject(system, "store");
    DWORD cbSize = Dword(store, "size", kDefaultStoreSize);
    DWORD cbFree = Dword(store, "free", kDefaultStoreFree);
    lpsi->dwStoreSize = cbSize;
    lpsi->dwFreeSize = cbFree > cbSize ? cbSize : cbFree;
    return TRUE;
}

void WINAPI PlatGlobalMemoryStatus(LPMEMORYSTATUS pms)
{
    if (!pms)
        return;
    nlohmann::json system = SystemObject();
    const nlohmann::json &memory = PlatProfileObject(system, "memory");
    ULONGLONG cbTotal = Dword(memory, "total", kDefaultTotalPhys);
    ULONGLONG cbAvail = Dword(memory, "available", kDefaultAvailPhys);
    if (cbAvail > cbTotal)
        cbAvail = cbTotal;
    ZeroMemory(pms, sizeof(*pms));
    pms->dwLength = sizeof(*pms);
    pms->dwMemoryLoad = cbTotal ? (DWORD)((cbTotal - cbAvail) * 100 / cbTotal) : 0;
    pms->dwTotalPhys = (SIZE_T)cbTotal;
    pms->dwAvailPhys = (SIZE_T)cbAvail;
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
    std::wstring oem = PlatProfileText(SystemObject(), "oem", kMaxOem, kDefaultOem);
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
    psi->dwProcessorType = Dword(SystemObject(), "processor", kDefaultProcessor);
}

BOOL WINAPI PlatGetVersionExW(LPOSVERSIONINFOW pvi)
{
    if (!pvi || pvi->dwOSVersionInfoSize < sizeof(OSVERSIONINFOW)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    nlohmann::json system = SystemObject();
    const nlohmann::json &version = PlatProfileObject(system, "version");
    DWORD cbStruct = pvi->dwOSVersionInfoSize;
    ZeroMemory(pvi, cbStruct > sizeof(OSVERSIONINFOEXW) ? sizeof(OSVERSIONINFOEXW) : cbStruct);
    pvi->dwOSVersionInfoSize = cbStruct;
    pvi->dwMajorVersion = Dword(version, "major", 4);
    pvi->dwMinorVersion = Dword(version, "minor", 20);
    pvi->dwBuildNumber = Dword(version, "build", 1081);
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
    nlohmann::json system = SystemObject();
    const nlohmann::json &folders = PlatProfileObject(system, "folders");
    std::wstring path = id == CSIDL_PERSONAL ? FolderPath(folders, "documents", kDefaultDocuments)
                                             : FolderPath(folders, "startmenu", kDefaultStartMenu);
    // An empty entry: the handset has no such folder.
    if (path.empty())
        return FALSE;
    std::wstring host;
    if ((fCreate || (csidl & CSIDL_FLAG_CREATE)) && PlatStorePath(path.c_str(), &host))
        CreateDirectoryW(host.c_str(), nullptr);
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
