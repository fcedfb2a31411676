// The handset's OBEX receive service (run by the profile's obexsvc.exe): listens
// on the TCP port that stands for the infrared port and stores what is put
// in the receive folder, one connection at a time, until the driver stops
// it (which ends a connection in progress too) or the profile no longer has
// it on.
#include "internal.h"
#include "obex.h"
#include "obexsvc.h"
#include "obexwire.h"
#include <ws2tcpip.h>

namespace {
struct ServiceSettings {
    WORD wPort;
    std::wstring folder;
    DWORD dwTimeoutMs;
    int iState;
};

ServiceSettings ReadSettings()
{
    nlohmann::json irda = PlatProfileLoad(L"irda.json");
    const nlohmann::json &server = PlatProfileObject(irda, "server");
    ServiceSettings ss;
    ss.wPort = (WORD)PlatProfileNumber(server, "port", 1, 65535, OBEX_DEFAULT_PORT);
    ss.folder = PlatProfileText(server, "folder", 200, L"\\My Documents");
    while (!ss.folder.empty() && ss.folder.back() == L'\\')
        ss.folder.pop_back();
    if (!ss.folder.empty() && !PlatIsHandsetPath(ss.folder.c_str()))
        ss.folder = L"\\My Documents";
    ss.dwTimeoutMs = (DWORD)PlatProfileNumber(irda, "timeout", 50, 600000, 10000);
    ss.iState = (int)PlatProfileNumber(server, "state", 0, SERVICE_STATE_UNINITIALIZED, 0);
    return ss;
}

SOCKET Listen(WORD wPort)
{
    if (!ObexStartSockets())
        return INVALID_SOCKET;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return s;
    BOOL fReuse = TRUE;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, (const char *)&fReuse, sizeof(fReuse));
    sockaddr_in sa = {};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(wPort);
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(s, (sockaddr *)&sa, sizeof(sa)) != 0 || listen(s, 4) != 0) {
        closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}
} // namespace

extern "C" int WINAPI PlatRunObexService(void)
{
    HANDLE hMutex = CreateMutexW(nullptr, TRUE, OBEX_SERVICE_MUTEX);
    if (!hMutex || GetLastError() == ERROR_ALREADY_EXISTS)
        return 0;  // one service per handset
    HANDLE hStop = CreateEventW(nullptr, TRUE, FALSE, OBEX_SERVICE_STOP);
    HANDLE hReady = CreateEventW(nullptr, TRUE, FALSE, OBEX_SERVICE_READY);
    ServiceSettings ss = ReadSettings();
    SOCKET sListen = Listen(ss.wPort);
    if (sListen == INVALID_SOCKET || !hStop || !hReady) {
        PlatStdErr(L"obexsvc: cannot listen on the receive port");
        return 1;
    }
    ObexRemoveStaleIncoming();  // what a service that was ended left half-received
    SetEvent(hReady);
    CloseHandle(hReady);
    ULONGLONG ullChecked = GetTickCount64();
    while (WaitForSingleObject(hStop, 0) != WAIT_OBJECT_0) {
        fd_set fds;
        FD_ZERO(&fds);
        FD_SET(sListen, &fds);
        timeval tv = {0, 200000};
        if (select(0, &fds, nullptr, nullptr, &tv) == 1) {
            SOCKET s = accept(sListen, nullptr, nullptr);
            if (s != INVALID_SOCKET)
                ObexServeConnection(s, ReadSettings().folder, ss.dwTimeoutMs, hStop);
        }
        // Switched off from outside (another program, the launcher).
        if (GetTickCount64() - ullChecked >= 500) {
            ullChecked = GetTickCount64();
            int iState = ReadSettings().iState;
            if (iState == SERVICE_STATE_OFF)
                break;
        }
    }
    closesocket(sListen);
    CloseHandle(hStop);
    CloseHandle(hMutex);
    return 0;
}
