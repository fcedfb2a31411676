// The handset's built-in modem served to outside AT clients over TCP on the
// host's loopback: one thread and one modem state per client, every command
// and answer in the profile's radio.log. "--port 0" takes a free port; the
// port is announced on standard output once the service listens.
#include <winsock2.h>
#include <windows.h>
#include <shellapi.h>
#include <thread>
#include "platform.h"
#include "platmodem.h"

namespace {
const int kDefaultPort = 7100;

void WriteStd(DWORD dwWhich, const char *psz)
{
    DWORD cb = 0;
    WriteFile(GetStdHandle(dwWhich), psz, (DWORD)strlen(psz), &cb, nullptr);
}

bool SendAll(SOCKET s, const std::string &bytes)
{
    size_t cbSent = 0;
    while (cbSent < bytes.size()) {
        int cb = send(s, bytes.data() + cbSent, (int)std::min<size_t>(bytes.size() - cbSent, 65536), 0);
        if (cb <= 0)
            return false;
        cbSent += cb;
    }
    return true;
}

// One client until it hangs up: a message whose data had not ended by then
// is dropped with its modem, never stored.
void ServeClient(SOCKET s)
{
    PlatAtModem modem(PlatAtModem::KIND_TERMINAL, true);
    char ab[4096];
    for (;;) {
        int cb = recv(s, ab, sizeof(ab), 0);
        if (cb <= 0)
            break;
        std::string out;
        modem.Feed(ab, cb, &out);
        if (!out.empty() && !SendAll(s, out))
            break;
    }
    closesocket(s);
}

bool ParsePort(LPCWSTR psz, int *piPort)
{
    int i = 0;
    if (!*psz || wcslen(psz) > 5)
        return false;
    for (; *psz; ++psz) {
        if (*psz < L'0' || *psz > L'9')
            return false;
        i = i * 10 + (*psz - L'0');
    }
    *piPort = i;
    return i <= 65535;
}
} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    int iPort = kDefaultPort, cArgs = 0;
    LPWSTR *ppszArgs = CommandLineToArgvW(GetCommandLineW(), &cArgs);
    for (int i = 1; ppszArgs && i < cArgs; ++i) {
        if (wcscmp(ppszArgs[i], L"--port") == 0 && i + 1 < cArgs && ParsePort(ppszArgs[i + 1], &iPort)) {
            ++i;
            continue;
        }
        WriteStd(STD_ERROR_HANDLE, "usage: modemsvc [--port N]\n");
        return 2;
    }
    LocalFree(ppszArgs);
    PlatModemServeBuiltin();
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0)
        return 1;
    SOCKET sListen = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons((u_short)iPort);
    int cbAddr = sizeof(addr);
    if (sListen == INVALID_SOCKET || bind(sListen, (sockaddr *)&addr, sizeof(addr)) != 0 ||
        listen(sListen, SOMAXCONN) != 0 || getsockname(sListen, (sockaddr *)&addr, &cbAddr) != 0) {
        char sz[96];
        snprintf(sz, sizeof(sz), "modemsvc: cannot listen on 127.0.0.1:%d\n", iPort);
        WriteStd(STD_ERROR_HANDLE, sz);
        return 1;
    }
    char sz[64];
    snprintf(sz, sizeof(sz), "listening on 127.0.0.1:%u\n", ntohs(addr.sin_port));
    WriteStd(STD_OUTPUT_HANDLE, sz);
    for (;;) {
        SOCKET s = accept(sListen, nullptr, nullptr);
        if (s == INVALID_SOCKET)
            break;
        BOOL fNoDelay = TRUE;  // a serial line holds no answer back
        setsockopt(s, IPPROTO_TCP, TCP_NODELAY, (const char *)&fNoDelay, sizeof(fNoDelay));
        std::thread(ServeClient, s).detach();
    }
    closesocket(sListen);
    WSACleanup();
    return 0;
}
