// The OBEX driver "OBX0:": the receive server's state, start and stop. The
// server is the handset's service, the profile's obexsvc.exe, a process of
// its own that outlives the program that started it; its state lives in
// irda.json ("server"), so a later run finds it on and starts it serving
// again. Tests may write the states 2 to 5 there.
#include "internal.h"
#include "obex.h"
#include "obexsvc.h"
#include <strsafe.h>
#include <mutex>
#include <set>

namespace {
std::mutex g_lock;
std::set<HANDLE> g_handles;  // open "OBX0:" handles

int ReadState()
{
    nlohmann::json irda = PlatProfileLoad(L"irda.json");
    return (int)PlatProfileNumber(PlatProfileObject(irda, "server"), "state", 0, SERVICE_STATE_UNINITIALIZED, 0);
}

BOOL WriteState(int iState)
{
    nlohmann::json irda = PlatProfileLoad(L"irda.json");
    if (!irda.contains("server"))
        irda["server"] = nlohmann::json::object();
    if (!irda["server"].is_object())
        return FALSE;  // the user's, never written over
    irda["server"]["state"] = iState;
    return PlatProfileSave(L"irda.json", irda);
}

BOOL IsServiceRunning()
{
    HANDLE h = OpenMutexW(SYNCHRONIZE, FALSE, OBEX_SERVICE_MUTEX);
    if (!h)
        return FALSE;
    CloseHandle(h);
    return TRUE;
}

// Starts the profile's obexsvc.exe with the store's root as its folder and waits
// until it listens (or has given up).
BOOL StartService()
{
    if (IsServiceRunning())
        return TRUE;
    WCHAR szExe[MAX_PATH];
    std::wstring exe = PlatProfilePath(OBEX_SERVICE_EXE);
    if (FAILED(StringCchCopyW(szExe, ARRAYSIZE(szExe), exe.c_str())))
        return FALSE;
    HANDLE hReady = CreateEventW(nullptr, TRUE, FALSE, OBEX_SERVICE_READY);
    if (!hReady)
        return FALSE;
    ResetEvent(hReady);
    WCHAR szCmd[MAX_PATH + 2];
    if (FAILED(StringCchPrintfW(szCmd, ARRAYSIZE(szCmd), L"\"%s\"", szExe))) {
        CloseHandle(hReady);
        return FALSE;
    }
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    BOOL fStarted = CreateProcessW(szExe, szCmd, nullptr, nullptr, FALSE, 0, nullptr, PLAT_STORE_DRIVE L"\\", &si, &pi);
    BOOL fReady = FALSE;
    if (fStarted) {
        HANDLE ah[2] = {hReady, pi.hProcess};
        fReady = WaitForMultipleObjects(2, ah, FALSE, 10000) == WAIT_OBJECT_0;
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    CloseHandle(hReady);
    return fReady;
}

// FALSE when the service is still running after five seconds.
BOOL StopService()
{
    HANDLE hStop = CreateEventW(nullptr, TRUE, FALSE, OBEX_SERVICE_STOP);
    if (hStop)
        SetEvent(hStop);
    for (int i = 0; i < 100 && IsServiceRunning(); ++i)
        Sleep(50);
    if (hStop) {
        ResetEvent(hStop);
        CloseHandle(hStop);
    }
    return !IsServiceRunning();
}

BOOL IsDriverHandle(HANDLE h)
{
    std::lock_guard<std::mutex> guard(g_lock);
    return g_handles.count(h) != 0;
}
} // namespace

BOOL PlatIsObexDriverName(LPCWSTR pszPath)
{
    return pszPath && _wcsicmp(pszPath, L"OBX0:") == 0;
}

HANDLE PlatOpenObexDriver()
{
    nlohmann::json irda = PlatProfileLoad(L"irda.json");
    if (!PlatProfileFlag(PlatProfileObject(irda, "server"), "driver", true)) {
        SetLastError(ERROR_FILE_NOT_FOUND);  // a handset without the driver
        return INVALID_HANDLE_VALUE;
    }
    if (ReadState() == SERVICE_STATE_ON)
        StartService();  // on since an earlier run: serving again
    HANDLE h = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!h)
        return INVALID_HANDLE_VALUE;
    std::lock_guard<std::mutex> guard(g_lock);
    g_handles.insert(h);
    return h;
}

extern "C" BOOL WINAPI PlatDeviceIoControl(HANDLE h, DWORD dwCode, LPVOID pvIn, DWORD cbIn, LPVOID pvOut, DWORD cbOut,
                                           LPDWORD pcbReturned, LPOVERLAPPED pov)
{
    if (!IsDriverHandle(h))
        return DeviceIoControl(h, dwCode, pvIn, cbIn, pvOut, cbOut, pcbReturned, pov);
    nlohmann::json irda = PlatProfileLoad(L"irda.json");
    if (PlatProfileFlag(PlatProfileObject(irda, "server"), "fails", false)) {
        SetLastError(ERROR_GEN_FAILURE);  // tests: a driver that refuses every request
        return FALSE;
    }
    switch (dwCode) {
    case IOCTL_SERVICE_STATUS:
        if (!pvOut || cbOut < sizeof(DWORD)) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        *(DWORD *)pvOut = (DWORD)ReadState();
        if (pcbReturned)
            *pcbReturned = sizeof(DWORD);
        return TRUE;
    case IOCTL_SERVICE_START:
        // On first: a service that finds itself off in the profile ends.
        if (!WriteState(SERVICE_STATE_ON))
            return FALSE;
        if (!StartService()) {
            WriteState(SERVICE_STATE_OFF);
            SetLastError(ERROR_SERVICE_NOT_ACTIVE);
            return FALSE;
        }
        return TRUE;
    case IOCTL_SERVICE_STOP:
        if (!WriteState(SERVICE_STATE_OFF))
            return FALSE;
        if (!StopService()) {
            WriteState(SERVICE_STATE_ON);  // still serving: say so
            SetLastError(ERROR_SERVICE_REQUEST_TIMEOUT);
            return FALSE;
        }
        return TRUE;
    }
    SetLastError(ERROR_INVALID_FUNCTION);
    return FALSE;
}

void PlatForgetObexDriverHandle(HANDLE h)
{
    std::lock_guard<std::mutex> guard(g_lock);
    g_handles.erase(h);
}
