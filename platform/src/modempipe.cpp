// The byte pipe to an outside AT modem: a TCP connection (the host named
// and dialled with a time limit), a serial port Wine maps to a host device,
// or, for tests, a function that stands for the modem.
#include "internal.h"
#include "modempipe.h"
#include "obexwire.h"
#include "platril.h"
#include <strsafe.h>
#include <ws2tcpip.h>
#include <atomic>

namespace {
std::atomic<PLATMODEMPEER> g_pfnPeer{nullptr};
std::atomic<void *> g_pvPeer{nullptr};

const DWORD kConnectMs = 3000;
const size_t kMaxPeerReply = 64 * 1024;

bool IsDigits(const std::string &s)
{
    if (s.empty() || s.size() > 5)
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

} // namespace

ModemTarget ParseTarget(const std::string &name)
{
    ModemTarget t;
    t.name = name;
    std::string lower;
    for (char c : name)
        lower += (char)tolower((unsigned char)c);
    if (lower.empty() || lower == "builtin")
        return t;
    t.kind = ModemTarget::Bad;
    if (lower.compare(0, 4, "tcp:") == 0) {
        size_t iColon = name.rfind(':');
        std::string host = name.substr(4, iColon > 4 ? iColon - 4 : 0), port = name.substr(iColon + 1);
        bool fHostOk = !host.empty() && host.size() <= 253;
        for (char c : host)
            fHostOk = fHostOk && (isalnum((unsigned char)c) || c == '.' || c == '-');
        if (fHostOk && IsDigits(port) && atoi(port.c_str()) >= 1 && atoi(port.c_str()) <= 65535) {
            t.kind = ModemTarget::Tcp;
            t.host = host;
            t.wPort = (WORD)atoi(port.c_str());
        }
    } else if (lower.compare(0, 3, "com") == 0 && lower.size() >= 5 && lower.back() == ':') {
        std::string n = lower.substr(3, lower.size() - 4);
        if (IsDigits(n) && n.size() <= 3 && atoi(n.c_str()) >= 1 && atoi(n.c_str()) <= 255) {
            t.kind = ModemTarget::Serial;
            t.iCom = atoi(n.c_str());
        }
    }
    return t;
}

bool ModemPipe::Open(const ModemTarget &t, std::string *pWhy, ULONGLONG ullDeadline)
{
    Close();
    if (g_pfnPeer) {
        m_fPeer = true;
        return true;
    }
    if (t.kind == ModemTarget::Tcp) {
        if (!ObexStartSockets()) {
            *pWhy = "no sockets";
            return false;
        }
        addrinfo hints = {}, *pai = nullptr;
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        if (getaddrinfo(t.host.c_str(), nullptr, &hints, &pai) != 0 || !pai) {
            *pWhy = "unknown host";
            return false;
        }
        char szAddr[INET_ADDRSTRLEN] = "";
        inet_ntop(AF_INET, &((sockaddr_in *)pai->ai_addr)->sin_addr, szAddr, sizeof(szAddr));
        freeaddrinfo(pai);
        ULONGLONG ullNow = GetTickCount64();
        DWORD dwMs = ullNow < ullDeadline ? (DWORD)(ullDeadline - ullNow) : 1;
        m_s = ObexDial(szAddr, t.wPort, dwMs < kConnectMs ? dwMs : kConnectMs);
        if (m_s == INVALID_SOCKET) {
            *pWhy = "nothing answers there";
            return false;
        }
        BOOL fNoDelay = TRUE;
        setsockopt(m_s, IPPROTO_TCP, TCP_NODELAY, (const char *)&fNoDelay, sizeof(fNoDelay));
        return true;
    }
    WCHAR szPort[16];
    StringCchPrintfW(szPort, ARRAYSIZE(szPort), L"\\\\.\\COM%d", t.iCom);
    m_h = CreateFileW(szPort, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (m_h == INVALID_HANDLE_VALUE) {
        DWORD dw = GetLastError();
        *pWhy = dw == ERROR_ACCESS_DENIED || dw == ERROR_SHARING_VIOLATION ? "the port is in use by another program"
                                                                           : "no such port";
        return false;
    }
    DCB dcb = {};
    dcb.DCBlength = sizeof(dcb);
    if (GetCommState(m_h, &dcb)) {
        dcb.BaudRate = CBR_115200;
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        SetCommState(m_h, &dcb);
    }
    return true;
}

void ModemPipe::Close()
{
    if (m_s != INVALID_SOCKET)
        closesocket(m_s);
    if (m_h != INVALID_HANDLE_VALUE)
        CloseHandle(m_h);
    m_s = INVALID_SOCKET;
    m_h = INVALID_HANDLE_VALUE;
    m_fPeer = false;
    m_fromPeer.clear();
}

bool ModemPipe::Send(const std::string &bytes)
{
    if (m_fPeer) {
        PLATMODEMPEER pfn = g_pfnPeer;
        std::string reply(kMaxPeerReply, '\0');
        int cb = pfn ? pfn(bytes.data(), (int)bytes.size(), &reply[0], (int)reply.size(), g_pvPeer) : -1;
        if (cb < 0 || cb > (int)reply.size())
            return false;
        m_fromPeer.append(reply, 0, cb);
        return true;
    }
    size_t cbSent = 0;
    while (cbSent < bytes.size()) {
        int cb = 0;
        if (m_s != INVALID_SOCKET) {
            cb = send(m_s, bytes.data() + cbSent, (int)(bytes.size() - cbSent), 0);
        } else {
            DWORD dw = 0;
            cb = WriteFile(m_h, bytes.data() + cbSent, (DWORD)(bytes.size() - cbSent), &dw, nullptr) ? (int)dw : -1;
        }
        if (cb <= 0)
            return false;
        cbSent += cb;
    }
    return true;
}

bool ModemPipe::Receive(std::string *pBuf, DWORD dwMs)
{
    char ab[1024];
    if (m_fPeer) {
        if (!g_pfnPeer)
            return false;
        if (m_fromPeer.empty() && dwMs)
            Sleep(dwMs < 10 ? dwMs : 10);
        pBuf->append(m_fromPeer);
        m_fromPeer.clear();
        return true;
    }
    if (m_s != INVALID_SOCKET) {
        fd_set fds;
        FD_ZERO(&fds);
        FD_SET(m_s, &fds);
        timeval tv = {(long)(dwMs / 1000), (long)(dwMs % 1000) * 1000};
        int iReady = select(0, &fds, nullptr, nullptr, &tv);
        if (iReady == 0)
            return true;
        int cb = iReady > 0 ? recv(m_s, ab, sizeof(ab), 0) : -1;
        if (cb <= 0)
            return false;  // closed by the modem, or broken
        pBuf->append(ab, cb);
        return true;
    }
    // A read that takes what has come and returns at once, asked again every
    // few milliseconds: the waiting read of serial timeouts is not to be
    // relied on (Wine waits out the whole time even when bytes came).
    COMMTIMEOUTS ct = {MAXDWORD, 0, 0, 0, 0};
    SetCommTimeouts(m_h, &ct);
    ULONGLONG ullEnd = GetTickCount64() + dwMs;
    for (;;) {
        DWORD cb = 0;
        if (!ReadFile(m_h, ab, sizeof(ab), &cb, nullptr))
            return false;
        if (cb || GetTickCount64() >= ullEnd) {
            pBuf->append(ab, cb);
            return true;
        }
        Sleep(5);
    }
}

void WINAPI PlatRadioSetPeer(PLATMODEMPEER pfnPeer, void *pv)
{
    g_pvPeer = pv;
    g_pfnPeer = pfnPeer;
    PlatModemDisconnect();
}
