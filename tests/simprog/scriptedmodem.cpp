#include "scriptedmodem.h"
#include <ws2tcpip.h>

namespace {
std::string Upper(std::string s)
{
    for (char &c : s)
        c = (char)toupper((unsigned char)c);
    return s;
}

std::string Hex(const std::wstring &w)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string s;
    for (WCHAR ch : w)
        for (int i = 3; i >= 0; --i)
            s += kHex[(ch >> (4 * i)) & 0xF];
    return s;
}

std::wstring Unhex(const std::string &s)
{
    std::wstring w;
    for (size_t i = 0; i + 4 <= s.size(); i += 4)
        w += (WCHAR)strtoul(s.substr(i, 4).c_str(), nullptr, 16);
    return w;
}

// The quoted and plain fields after "=".
std::vector<std::string> Args(const std::string &line)
{
    std::vector<std::string> v(1);
    bool fQuoted = false;
    for (size_t i = line.find('=') + 1; i < line.size(); ++i) {
        if (line[i] == '"')
            fQuoted = !fQuoted;
        else if (line[i] == ',' && !fQuoted)
            v.emplace_back();
        else
            v.back() += line[i];
    }
    return v;
}
} // namespace

ScriptedModem::ScriptedModem()
{
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    m_listen = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in sa = {};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(m_listen, (sockaddr *)&sa, sizeof(sa));
    int cb = sizeof(sa);
    getsockname(m_listen, (sockaddr *)&sa, &cb);
    m_wPort = ntohs(sa.sin_port);
    listen(m_listen, 4);
    m_thread = std::thread([this] { Serve(); });
}

ScriptedModem::~ScriptedModem()
{
    m_fStop = true;
    closesocket(m_listen);
    m_thread.join();
}

std::string ScriptedModem::Name() const
{
    return "tcp:127.0.0.1:" + std::to_string(m_wPort);
}

int ScriptedModem::Count(const std::string &text)
{
    auto lock = Lock();
    int c = 0;
    for (const std::string &l : lines)
        c += l.find(text) != std::string::npos;
    return c;
}

void ScriptedModem::Serve()
{
    while (!m_fStop) {
        fd_set fds;
        FD_ZERO(&fds);
        FD_SET(m_listen, &fds);
        timeval tv = {0, 50000};
        if (select(0, &fds, nullptr, nullptr, &tv) != 1)
            continue;
        SOCKET s = accept(m_listen, nullptr, nullptr);
        if (s == INVALID_SOCKET)
            continue;
        {
            auto lock = Lock();
            ++cConnections;
        }
        BOOL fNoDelay = TRUE;  // a serial line holds nothing back
        setsockopt(s, IPPROTO_TCP, TCP_NODELAY, (const char *)&fNoDelay, sizeof(fNoDelay));
        Talk(s);  // one client at a time, as a serial line has
        closesocket(s);
    }
}

void ScriptedModem::Talk(SOCKET s)
{
    bool fEchoOn = fEcho, fNumericOn = fNumeric, fUcs2 = false;
    std::string bookName = "SM";
    std::string buf;
    auto send_ = [&](const std::string &text) {
        if (!fSplit) {
            send(s, text.data(), (int)text.size(), 0);
            return;
        }
        for (size_t i = 0; i < text.size(); i += 3) {
            send(s, text.data() + i, (int)std::min<size_t>(3, text.size() - i), 0);
            Sleep(1);
        }
    };
    const std::string kNoise = "\r\nRING\r\n\r\n+CMTI: \"SM\",3\r\n^RSSI: 17\r\n";
    while (!m_fStop) {
        size_t iCr = buf.find('\r');
        if (iCr == std::string::npos) {
            fd_set fds;
            FD_ZERO(&fds);
            FD_SET(s, &fds);
            timeval tv = {0, 50000};
            if (select(0, &fds, nullptr, nullptr, &tv) != 1)
                continue;
            char ab[512];
            int cb = recv(s, ab, sizeof(ab), 0);
            if (cb <= 0)
                return;
            buf.append(ab, cb);
            continue;
        }
        std::string line = buf.substr(0, iCr);
        buf.erase(0, iCr + 1);
        while (!line.empty() && (line[0] == '\n' || line[0] == ' '))
            line.erase(0, 1);
        if (line.empty())
            continue;
        {
            auto lock = Lock();
            lines.push_back(line);
        }
        if (fEchoOn)
            send_(line + "\r");
        if (dropOn && dropOn(line))
            return;
        if (silentOn && silentOn(line))
            continue;
        if (floodOn && floodOn(line)) {
            const std::string flood(4096, 'Z');
            while (!m_fStop && send(s, (flood + "\r\n").data(), (int)flood.size() + 2, 0) > 0) {
            }
            return;
        }
        if (Upper(line).find("+CMGW=") != std::string::npos) {
            // The data comes after the prompt, up to Ctrl-Z (ESC drops it).
            send_("\r\n> ");
            size_t iEnd;
            while ((iEnd = buf.find_first_of("\x1A\x1B")) == std::string::npos) {
                char ab[512];
                int cb = recv(s, ab, sizeof(ab), 0);
                if (cb <= 0)
                    return;
                buf.append(ab, cb);
            }
            bool fCancelled = buf[iEnd] == 0x1B;
            {
                auto lock = Lock();
                lines.push_back(buf.substr(0, iEnd) + (fCancelled ? "<ESC>" : "<SUB>"));
            }
            buf.erase(0, iEnd + 1);
            if (fCancelled)
                continue;
        }
        std::string answer = Answer(line, &fEchoOn, &fNumericOn, &fUcs2, &bookName);
        bool fOk = answer.compare(0, 5, "ERROR") != 0 && answer.compare(0, 11, "+CME ERROR:") != 0;
        std::string final_ = fOk ? (fNumericOn ? "0\r" : "\r\nOK\r\n") : "";
        if (!fOk)
            final_ = fNumericOn && answer == "ERROR" ? "4\r" : "\r\n" + answer + "\r\n";
        else if (!answer.empty())
            answer = "\r\n" + answer;
        else
            answer.clear();
        send_((fUnsolicited ? kNoise : "") + (fOk ? answer : "") + final_ + (fUnsolicited ? kNoise : ""));
    }
}

// The information lines of a command (without the final OK), or its error.
std::string ScriptedModem::Answer(const std::string &line, bool *pfEcho, bool *pfNumeric, bool *pfUcs2,
                                  std::string *pBook)
{
    std::string u = Upper(line);
    if (u.compare(0, 2, "AT") != 0)
        return "ERROR";
    std::string cmd = u.substr(2);
    std::vector<std::string> a = Args(line);
    auto lock = Lock();
    auto name = [&](const std::wstring &w) {
        if (*pfUcs2)
            return Hex(w);
        return std::string(w.begin(), w.end());
    };
    if (cmd.empty() || cmd == "+CMEE=1" || cmd.compare(0, 5, "+CMGF") == 0 || cmd.compare(0, 5, "+CSMP") == 0)
        return "";
    if (cmd == "E0" || cmd == "E1") {
        *pfEcho = cmd == "E1";
        return "";
    }
    if (cmd == "V0" || cmd == "V1") {
        *pfNumeric = cmd == "V0";
        return "";
    }
    if (cmd.compare(0, 6, "+CSCS=") == 0) {
        *pfUcs2 = a[0] == "UCS2";
        return a[0] == "UCS2" || a[0] == "GSM" || (a[0] == "HEX" && fHexSet) || a[0] == "IRA" ? "" : "ERROR";
    }
    if (cmd == "+CPIN?")
        return "+CPIN: READY";
    if (cmd == "+CFUN?")
        return "+CFUN: 1";
    if (cmd.compare(0, 6, "+CPBS=") == 0) {
        *pBook = a[0];
        return a[0] == "SM" || a[0] == "ON" ? "" : "+CME ERROR: 3";
    }
    if (cmd == "+CPBS?")
        return "+CPBS: \"SM\"," + std::to_string(book.size()) + "," + std::to_string(iMaxIndex);
    if (cmd == "+CPBR=?")
        return "+CPBR: (1-" + std::to_string(iMaxIndex) + ")," + std::to_string(cchNumber) + "," +
               std::to_string(cchText);
    if (cmd.compare(0, 6, "+CPBR=") == 0) {
        int iFirst = atoi(a[0].c_str()), iLast = a.size() > 1 ? atoi(a[1].c_str()) : iFirst;
        if (iFirst < 1 || iLast > iMaxIndex || iLast < iFirst)
            return "+CME ERROR: 21";
        std::string out;
        for (const auto &e : book)
            if (e.first >= iFirst && e.first <= iLast)
                out += (out.empty() ? "" : "\r\n") + std::string("+CPBR: ") + std::to_string(e.first) + ",\"" +
                       e.second.number + "\"," + (e.second.number[0] == '+' ? "145" : "129") + ",\"" +
                       name(e.second.name) + "\"";
        return out;
    }
    if (cmd.compare(0, 6, "+CPBW=") == 0) {
        int i = atoi(a[0].c_str());
        if (i < 1 || i > iMaxIndex)
            return "+CME ERROR: 21";
        if (a.size() == 1) {
            book.erase(i);
            return "";
        }
        if (a.size() < 4)
            return "ERROR";
        book[i] = {a[1], *pfUcs2 ? Unhex(a[3]) : std::wstring(a[3].begin(), a[3].end())};
        return "";
    }
    if (cmd == "+CNUM") {
        std::string out;
        for (const Entry &e : ownNumbers)
            out += (out.empty() ? "" : "\r\n") + std::string("+CNUM: \"") + name(e.name) + "\",\"" + e.number +
                   "\",145";
        return out;
    }
    if (cmd == "+CPMS?")
        return "+CPMS: \"SM\",3,20,\"SM\",3,20,\"SM\",3,20";
    if (cmd.compare(0, 6, "+CPMS=") == 0)
        return "+CPMS: 3,20,3,20,3,20";
    if (cmd.compare(0, 6, "+CMGD=") == 0)
        return atoi(a[0].c_str()) >= 1 && atoi(a[0].c_str()) <= 20 ? "" : "+CMS ERROR: 321";
    if (cmd.compare(0, 6, "+CMGR=") == 0)
        return cmgrReply.substr(0, cmgrReply.size() - 2);
    if (cmd.compare(0, 6, "+CMGW=") == 0)
        return "+CMGW: 4";
    return "ERROR";
}
