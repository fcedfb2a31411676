// The byte pipe to an outside AT modem (modempipe.cpp): where sim.json's
// "modem" says it is, and the bytes to and from it over a socket, a serial
// port, or a test's function standing in for the modem.
#pragma once
#include <winsock2.h>
#include <windows.h>
#include <string>

struct ModemTarget {
    enum Kind { Builtin, Tcp, Serial, Bad } kind = Builtin;
    std::string name;  // as written, for messages
    std::string host;
    WORD wPort = 0;
    int iCom = 0;
};

// "builtin" (or empty), "tcp:HOST:PORT" or "COMn:"; anything else is Bad.
ModemTarget ParseTarget(const std::string &name);

// The bytes to and from the modem.
class ModemPipe {
public:
    ~ModemPipe() { Close(); }
    bool Open(const ModemTarget &t, std::string *pWhy, ULONGLONG ullDeadline);
    void Close();
    bool IsOpen() const { return m_s != INVALID_SOCKET || m_h != INVALID_HANDLE_VALUE || m_fPeer; }
    bool Send(const std::string &bytes);
    // Appends what arrives within dwMs (at least one byte, or none on time-out);
    // false when the modem went away.
    bool Receive(std::string *pBuf, DWORD dwMs);

private:
    SOCKET m_s = INVALID_SOCKET;
    HANDLE m_h = INVALID_HANDLE_VALUE;
    bool m_fPeer = false;  // a test's function stands for the modem
    std::string m_fromPeer;
};
