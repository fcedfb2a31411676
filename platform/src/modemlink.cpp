// The radio's modem: the profile's own, or an outside AT modem that sim.json's
// "modem" (or the launcher's PHONE_MODEM) names: "tcp:HOST:PORT" or "COMn:".
// One connection per process, set up once (echo off, verbose results,
// numeric errors) and shared by the radio layer and the SIM service, one
// exchange at a time. Real modems echo, talk out of turn and split replies;
// what reaches the caller is the command's own lines and its final result.
#include "internal.h"
#include "modempipe.h"
#include <atomic>
#include <map>
#include <mutex>

namespace {
std::atomic<bool> g_fServeBuiltin{false};

const size_t kMaxReply = 64 * 1024;  // a longer line is no line
const size_t kMaxTotal = 1024 * 1024;  // nor a longer answer (a full phone book is ~80 KB)
const char kEsc = 0x1B, kSub = 0x1A;
const DWORD kRetryMs = 2000;

ModemTarget CurrentTarget()
{
    if (g_fServeBuiltin)
        return ModemTarget();
    char sz[300];
    DWORD cch = GetEnvironmentVariableA("PHONE_MODEM", sz, sizeof(sz));
    if (cch > 0 && cch < sizeof(sz))
        return ParseTarget(sz);
    return ParseTarget(PlatSimModemName());
}

// fNumeric: the modem may still give numeric results (until ATV1 took).
bool IsFinal(const std::string &line, bool fNumeric, bool *pfOk)
{
    static const char *const apszOk[] = {"OK", "0"};
    static const char *const apszFail[] = {"ERROR", "4", "NO CARRIER", "3", "BUSY", "7", "NO ANSWER", "8",
                                           "NO DIALTONE", "6"};
    for (size_t i = 0; i < ARRAYSIZE(apszOk); i += fNumeric ? 1 : 2)
        if (line == apszOk[i])
            return *pfOk = true;
    *pfOk = false;
    for (size_t i = 0; i < ARRAYSIZE(apszFail); i += fNumeric ? 1 : 2)
        if (line == apszFail[i])
            return true;
    return line.compare(0, 11, "+CME ERROR:") == 0 || line.compare(0, 11, "+CMS ERROR:") == 0;
}

// Lines a modem sends on its own, whatever it was asked.
bool IsUnsolicited(const std::string &line)
{
    static const char *const apsz[] = {"RING", "+CRING:", "+CLIP:", "+CMTI:", "+CMT:", "+CDSI:", "+CDS:",
                                       "+CBM:", "+CREG:", "+CGREG:", "+CEREG:", "+CUSD:", "+CIEV:", "^",
                                       "+PACSP", "+CGEV:", "+CCWA:"};
    for (const char *psz : apsz)
        if (line.compare(0, strlen(psz), psz) == 0)
            return true;
    return false;
}

struct Link {
    std::mutex mtx;
    ModemPipe pipe;
    std::string targetName;               // what the pipe is open to
    std::map<std::string, std::string> settings;  // this connection's settings
    std::string unreachable;              // the modem last said to be out of reach
    ULONGLONG ullRetryAt = 0;             // and when it is tried again
    std::string pending;                  // bytes received and not yet taken
    bool fNumeric = true;                 // until ATV1 took, a bare digit may be a result
};
Link g_link;

void Say(const std::string &text)
{
    PlatRadioLog("!", text);
    fprintf(stderr, "%s\n", text.c_str());
    fflush(stderr);
}

class Exchanger {
public:
    explicit Exchanger(Link &l) : m_l(l) {}
    // One command line (without its CR) and, for +CMGW and +CMGS, its data
    // (without Ctrl-Z): the reply's lines and the final result.
    PlatAtResult Run(const std::string &line, const std::string *pData, ULONGLONG ullDeadline, std::string *pReply);

private:
    enum Got { Line, Prompt, Timeout, Gone };
    Got Next(ULONGLONG ullDeadline, std::string *pLine);
    Link &m_l;
};

Exchanger::Got Exchanger::Next(ULONGLONG ullDeadline, std::string *pLine)
{
    std::string &buf = m_l.pending;
    for (;;) {
        size_t iStart = buf.find_first_not_of("\r\n");
        if (iStart == std::string::npos)
            buf.clear();
        else
            buf.erase(0, iStart);
        if (buf.compare(0, 2, "> ") == 0 || buf == ">") {
            buf.erase(0, buf.size() == 1 ? 1 : 2);
            return Prompt;
        }
        size_t iEnd = buf.find_first_of("\r\n");
        if (iEnd != std::string::npos) {
            pLine->assign(buf, 0, iEnd);
            buf.erase(0, iEnd + 1);
            return Line;
        }
        if (buf.size() > kMaxReply)
            return Gone;
        ULONGLONG ullNow = GetTickCount64();
        if (ullNow >= ullDeadline)
            return Timeout;
        if (!m_l.pipe.Receive(&buf, (DWORD)(ullDeadline - ullNow)))
            return Gone;
    }
}

PlatAtResult Exchanger::Run(const std::string &line, const std::string *pData, ULONGLONG ullDeadline,
                            std::string *pReply)
{
    // Whole lines that came between exchanges were nobody's: logged and
    // dropped. A line still arriving is kept, to be known when it is whole.
    for (size_t cb = (size_t)-1; cb != m_l.pending.size() && m_l.pending.size() <= kMaxReply;) {
        cb = m_l.pending.size();
        if (!m_l.pipe.Receive(&m_l.pending, 0))
            break;
    }
    size_t iLast = m_l.pending.find_last_of("\r\n");
    if (iLast != std::string::npos) {
        if (m_l.pending.find_first_not_of("\r\n") < iLast)
            PlatRadioLog("~", m_l.pending.substr(0, iLast + 1));
        m_l.pending.erase(0, iLast + 1);
    }
    if (GetTickCount64() >= ullDeadline)
        return PLATAT_SILENT;  // too late: the caller has given up
    PlatRadioLog(">", line + "\r" + (pData ? *pData + kSub : std::string()));
    if (!m_l.pipe.Send(line + "\r"))
        return PLATAT_GONE;
    bool fDataSent = !pData;
    bool fSkipNext = false;  // the data line of an unsolicited +CMT:
    std::string got;
    for (;;) {
        std::string l;
        Got g = Next(ullDeadline, &l);
        if (g == Gone)
            return PLATAT_GONE;
        if (g == Timeout) {
            if (!fDataSent)
                m_l.pipe.Send(std::string(1, kEsc));  // no data went: the modem drops the command
            PlatRadioLog("!", got + "(no answer)");
            return PLATAT_SILENT;
        }
        if (g == Prompt) {
            if (!fDataSent) {
                fDataSent = true;
                if (!m_l.pipe.Send(*pData + kSub))
                    return PLATAT_GONE;
            }
            continue;
        }
        got += l + "\r\n";
        if (got.size() > kMaxTotal) {
            PlatRadioLog("!", got.substr(0, 4096) + "(an answer without end)");
            return PLATAT_GONE;
        }
        while (!l.empty() && l.back() == kSub)
            l.pop_back();  // an echoed data line
        bool fOk;
        // Message data is hex here (PDU, or the HEX and UCS2 character sets),
        // so no data line reads as a result code or an unsolicited line.
        if (fSkipNext || l == line || (pData && l == *pData)) {
            fSkipNext = false;  // the modem's echo
            continue;
        }
        if (IsFinal(l, m_l.fNumeric, &fOk)) {
            if (!fDataSent && fOk)
                continue;  // no prompt came, yet OK: not this command's end
            PlatRadioLog(fOk ? "<" : "!", got);
            *pReply += l + "\r\n";
            return fOk ? PLATAT_OK : PLATAT_ERROR;
        }
        if (IsUnsolicited(l)) {
            fSkipNext = l.compare(0, 5, "+CMT:") == 0 || l.compare(0, 5, "+CDS:") == 0 || l.compare(0, 5, "+CBM:") == 0;
            continue;
        }
        *pReply += l + "\r\n";
    }
}

// The connection and its set-up, made when the first exchange needs it.
PlatAtResult ConnectLocked(const ModemTarget &t, ULONGLONG ullDeadline)
{
    // A modem that hung up since the last exchange is connected afresh.
    if (g_link.pipe.IsOpen() && g_link.targetName == t.name && g_link.pipe.Receive(&g_link.pending, 0))
        return PLATAT_OK;
    g_link.pipe.Close();
    g_link.settings.clear();
    g_link.pending.clear();
    g_link.fNumeric = true;
    // A modem just found out of reach is not dialled again at once: every
    // call of a program would otherwise wait out its own time-out.
    if (g_link.unreachable == t.name && GetTickCount64() < g_link.ullRetryAt)
        return PLATAT_GONE;
    std::string why;
    if (t.kind == ModemTarget::Bad)
        why = "not builtin, tcp:HOST:PORT or COMn:";
    else if (g_link.pipe.Open(t, &why, ullDeadline)) {
        // Echo off first (its own reply may come echoed), then verbose
        // results and numbered errors.
        Exchanger x(g_link);
        std::string reply;
        PlatAtResult r = x.Run("ATE0", nullptr, ullDeadline, &reply);
        if (r == PLATAT_OK)
            r = x.Run("ATV1", nullptr, ullDeadline, &reply);
        g_link.fNumeric = r != PLATAT_OK;
        if (r == PLATAT_OK && x.Run("AT+CMEE=1", nullptr, ullDeadline, &reply) == PLATAT_GONE)
            r = PLATAT_GONE;
        if (r == PLATAT_OK) {
            g_link.targetName = t.name;
            g_link.unreachable.clear();
            PlatRadioLog("=", "modem " + t.name + " set up");
            return PLATAT_OK;
        }
        g_link.pipe.Close();
        why = r == PLATAT_ERROR  ? "it refuses AT commands"
              : r == PLATAT_GONE ? "it hung up at once (is the modem held by another program?)"
                                 : "it does not answer AT commands";
    }
    // Said once until the modem is reached, whatever the reason this time.
    if (g_link.unreachable != t.name)
        Say("modem \"" + t.name + "\" (sim.json \"modem\") cannot be reached: " + why);
    g_link.unreachable = t.name;
    g_link.ullRetryAt = GetTickCount64() + kRetryMs;
    return PLATAT_GONE;
}
} // namespace

void PlatModemServeBuiltin()
{
    g_fServeBuiltin = true;
}

BOOL PlatModemOutside()
{
    return CurrentTarget().kind != ModemTarget::Builtin;
}

PlatAtResult PlatModemExchange(const std::string &command, std::string *pReply, DWORD dwTimeoutMs,
                               const std::vector<std::pair<std::string, std::string>> &needs)
{
    pReply->clear();
    ULONGLONG ullDeadline = GetTickCount64() + dwTimeoutMs;
    ModemTarget t = CurrentTarget();
    std::lock_guard<std::mutex> lock(g_link.mtx);
    PlatAtResult r = ConnectLocked(t, ullDeadline);
    if (r != PLATAT_OK)
        return r;
    Exchanger x(g_link);
    // Settings this exchange relies on, sent only when the connection has
    // another value (refused settings fail the exchange).
    for (const auto &n : needs) {
        if (g_link.settings[n.first] == n.second)
            continue;
        std::string ignored;
        r = x.Run("AT" + n.first + "=" + n.second, nullptr, ullDeadline, &ignored);
        if (r != PLATAT_OK)
            break;
        g_link.settings[n.first] = n.second;
    }
    // A command line ends at CR; the data of +CMGW and +CMGS runs to Ctrl-Z.
    size_t pos = 0;
    while (r == PLATAT_OK && pos < command.size()) {
        size_t iEnd = command.find('\r', pos);
        std::string line = command.substr(pos, iEnd == std::string::npos ? std::string::npos : iEnd - pos);
        pos = iEnd == std::string::npos ? command.size() : iEnd + 1;
        if (line.empty())
            continue;
        std::string upper = line;
        for (char &c : upper)
            c = (char)toupper((unsigned char)c);
        // A program that sets these itself changes what the connection holds.
        for (const char *psz : {"+CSCS", "+CPBS", "+CPMS", "+CMGF"})
            if (upper.find(psz) != std::string::npos)
                g_link.settings.erase(psz);
        std::string data;
        bool fData = upper.find("+CMGW=") != std::string::npos || upper.find("+CMGS=") != std::string::npos;
        if (fData) {
            size_t iSub = command.find(kSub, pos);
            if (iSub == std::string::npos)
                return PLATAT_ERROR;
            data = command.substr(pos, iSub - pos);
            pos = iSub + 1;
        }
        r = x.Run(line, fData ? &data : nullptr, ullDeadline, pReply);
    }
    if (r == PLATAT_GONE || r == PLATAT_SILENT) {
        // A late answer would be taken for the next command's: start afresh.
        g_link.pipe.Close();
        g_link.targetName.clear();
        if (r == PLATAT_GONE)
            PlatRadioLog("!", "modem " + t.name + " went away");
    }
    return r;
}

void PlatModemDisconnect()
{
    std::lock_guard<std::mutex> lock(g_link.mtx);
    g_link.pipe.Close();
    g_link.targetName.clear();
    g_link.unreachable.clear();
}
