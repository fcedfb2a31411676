// The handset's built-in AT modem: the engine that takes a client's bytes
// and answers them, the basic and general commands of V.250 / 3GPP TS
// 27.007, and the dispatch of each command to its handler; the phone book
// and the messages are in atphonebook.cpp and atmessages.cpp. One
// PlatAtModem per client; the radio's session is one of them.
#include "atrun.h"
#include <cstring>
#include <mutex>

using nlohmann::json;
using namespace atrun;

namespace {
const char *const kCharsets[] = {"GSM", "IRA", "UCS2", "HEX"};

struct ErrorText {
    int iCode;
    const char *psz;
};
const ErrorText kCmeTexts[] = {{3, "operation not allowed"}, {4, "operation not supported"},
                               {10, "SIM not inserted"}, {13, "SIM failure"}, {20, "memory full"},
                               {21, "invalid index"}, {22, "not found"}, {24, "text string too long"},
                               {25, "invalid characters in text string"}, {26, "dial string too long"},
                               {27, "invalid characters in dial string"}, {50, "incorrect parameters"},
                               {100, "unknown"}};
const ErrorText kCmsTexts[] = {{302, "operation not allowed"}, {303, "operation not supported"},
                               {304, "invalid PDU mode parameter"}, {305, "invalid text mode parameter"},
                               {310, "SIM not inserted"}, {313, "SIM failure"}, {320, "memory failure"},
                               {321, "invalid memory index"}, {322, "memory full"}, {500, "unknown error"}};

const char *TextOf(const ErrorText *p, size_t c, int iCode)
{
    for (size_t i = 0; i < c; ++i)
        if (p[i].iCode == iCode)
            return p[i].psz;
    return "unknown";
}
} // namespace

namespace atrun {
std::string Upper(std::string s)
{
    for (char &c : s)
        if (c >= 'a' && c <= 'z')
            c = (char)(c - 'a' + 'A');
    return s;
}

std::string Utf8(const std::wstring &w)
{
    int cb = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), (int)w.size(), nullptr, 0, nullptr, nullptr);
    std::string s(cb > 0 ? cb : 0, '\0');
    if (cb > 0)
        WideCharToMultiByte(CP_UTF8, 0, w.c_str(), (int)w.size(), &s[0], cb, nullptr, nullptr);
    return s;
}

// Every high surrogate has its low one and the other way round: only such a
// text is saved, so that it reads back as it was sent.
bool WellFormed(const std::wstring &w)
{
    for (size_t i = 0; i < w.size(); ++i) {
        if (w[i] >= 0xDC00 && w[i] <= 0xDFFF)
            return false;
        if (w[i] >= 0xD800 && w[i] <= 0xDBFF) {
            if (i + 1 >= w.size() || w[i + 1] < 0xDC00 || w[i + 1] > 0xDFFF)
                return false;
            ++i;
        }
    }
    return true;
}

bool ParseUint(const std::string &s, int *pi)
{
    if (s.empty() || s.size() > 6)
        return false;
    int i = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
        i = i * 10 + (c - '0');
    }
    *pi = i;
    return true;
}
// The TE character set: a text as the client reads it, and back.
std::string ToTe(const std::wstring &text, int iCharset)
{
    std::string out;
    switch (iCharset) {
    case CS_GSM:
        return GsmEncode(text);
    case CS_HEX:
        return HexEncode(GsmEncode(text));
    case CS_UCS2:
        return Ucs2HexEncode(text);
    default:
        for (WCHAR ch : text)
            out += ch < 0x80 ? (char)ch : '?';
        return out;
    }
}

bool FromTe(const std::string &te, int iCharset, std::wstring *pText)
{
    pText->clear();
    std::string octets;
    switch (iCharset) {
    case CS_GSM:
        return GsmDecode(te, pText);
    case CS_HEX:
        return HexDecode(te, &octets) && GsmDecode(octets, pText);
    case CS_UCS2:
        return Ucs2HexDecode(te, pText) && WellFormed(*pText);
    default:
        for (char c : te) {
            if ((BYTE)c >= 0x80)
                return false;
            *pText += (WCHAR)c;
        }
        return true;
    }
}

// A number a message or an entry may hold: dial characters, bounded.
bool IsDialable(const std::string &number, size_t cchMax)
{
    if (number.size() > cchMax)
        return false;
    for (size_t i = 0; i < number.size(); ++i)
        if (!strchr("0123456789*#pw ", number[i]) && !(number[i] == '+' && i == 0))
            return false;
    return true;
}

Outcome CmeOf(HRESULT hr)
{
    switch (hr) {
    case SIM_E_NOSIM: return Cme(10);
    case SIM_E_RADIOOFF: return Cme(3);
    case SIM_E_INVALIDINDEX: return Cme(21);
    case SIM_E_NOTFOUND: return Cme(22);
    case SIM_E_MEMORYFULL: return Cme(20);
    case SIM_E_SIMFAILURE: return Cme(13);
    default: return Cme(100);
    }
}
} // namespace atrun

namespace {
// The arguments after "=": comma-separated, each bare or in double quotes.
bool SplitArgs(const std::string &text, std::vector<Arg> *pArgs)
{
    pArgs->clear();
    size_t i = 0;
    for (;;) {
        Arg a = {false, std::string()};
        if (i < text.size() && text[i] == '"') {
            size_t iClose = text.find('"', i + 1);
            if (iClose == std::string::npos)
                return false;
            a = {true, text.substr(i + 1, iClose - i - 1)};
            i = iClose + 1;
            if (i < text.size() && text[i] != ',')
                return false;
        } else {
            size_t iComma = text.find(',', i);
            size_t iEnd = iComma == std::string::npos ? text.size() : iComma;
            a.s = text.substr(i, iEnd - i);
            if (a.s.find('"') != std::string::npos)
                return false;
            i = iEnd;
        }
        pArgs->push_back(a);
        if (i >= text.size())
            return true;
        ++i;  // the comma
    }
}

// Figures of the handset for the identification commands.
struct Identity {
    std::string maker, model, revision, serial;
};

std::string DigitsOr(const std::wstring &w, size_t cMin, size_t cMax, const char *pszDefault)
{
    std::string s = Utf8(w);
    bool fOk = s.size() >= cMin && s.size() <= cMax;
    for (char c : s)
        fOk = fOk && c >= '0' && c <= '9';
    return fOk ? s : pszDefault;
}

Identity IdentityOf()
{
    json device = PlatProfileLoad(L"device.json");
    const json &system = PlatProfileObject(device, "system");
    std::string oem = Utf8(PlatProfileText(system, "oem", 127, L"Smartphone"));
    for (char &c : oem)
        if ((BYTE)c < 0x20 || (BYTE)c >= 0x7F)
            c = '?';
    Identity id;
    size_t iBlank = oem.find(' ');
    id.maker = iBlank == std::string::npos || iBlank == 0 ? oem : oem.substr(0, iBlank);
    id.model = iBlank == std::string::npos || iBlank + 1 >= oem.size() ? oem : oem.substr(iBlank + 1);
    const json &version = PlatProfileObject(system, "version");
    id.revision = std::to_string(PlatProfileNumber(version, "major", 0, 255, 4)) + "." +
                  std::to_string(PlatProfileNumber(version, "minor", 0, 255, 20)) + "." +
                  std::to_string(PlatProfileNumber(version, "build", 0, 65535, 1081));
    id.serial = DigitsOr(PlatProfileText(system, "imei", 15, L""), 15, 15, "490154203237518");
    return id;
}

const PlatAtModem::Settings kTerminal = {true, true, false, 0, CS_IRA, 0, false, 17, 167, 0, 0, false};
const PlatAtModem::Settings kRadio = {false, false, false, 0, CS_HEX, 0, true, 17, 167, 0, 0, false};
} // namespace

// The information lines so far, framed as V0 or V1 wants.
std::string PlatAtRun::Info()
{
    std::string out;
    for (size_t i = 0; i < info.size(); ++i)
        out += (i || !s.fVerbose ? "" : "\r\n") + info[i] + "\r\n";
    info.clear();
    return out;
}

std::string PlatAtRun::Final(Outcome o)
{
    std::string code;
    if (o.kind == K_CME && s.iCmee == 0)
        o = Err();
    switch (o.kind) {
    case K_OK: code = s.fVerbose ? "OK" : "0"; break;
    case K_ERROR: code = s.fVerbose ? "ERROR" : "4"; break;
    case K_CME:
        code = "+CME ERROR: " + (s.iCmee == 2 ? TextOf(kCmeTexts, ARRAYSIZE(kCmeTexts), o.iCode)
                                               : std::to_string(o.iCode));
        break;
    case K_CMS:  // 27.005 reports it whatever +CMEE is
        code = "+CMS ERROR: " + (s.iCmee == 2 ? TextOf(kCmsTexts, ARRAYSIZE(kCmsTexts), o.iCode)
                                               : std::to_string(o.iCode));
        break;
    }
    modem.m_fLastOk = o.kind == K_OK;
    if (s.fQuiet)
        return "";
    return s.fVerbose ? "\r\n" + code + "\r\n" : code + "\r";
}

// ---- basic commands ------------------------------------------------------

Outcome PlatAtRun::Basic(char c, bool fAmp, int iValue, bool fHasValue)
{
    if (fAmp) {
        if (c == 'F' && iValue == 0) {
            s = modem.m_kind == PlatAtModem::KIND_RADIO ? kRadio : kTerminal;
            return Ok();
        }
        return (c == 'C' || c == 'D') && iValue <= 2 ? Ok() : Err();
    }
    switch (c) {
    case 'E': if (iValue > 1) return Err(); s.fEcho = iValue == 1; return Ok();
    case 'V': if (iValue > 1) return Err(); s.fVerbose = iValue == 1; return Ok();
    case 'Q': if (iValue > 1) return Err(); s.fQuiet = iValue == 1; return Ok();
    case 'Z':
        if (iValue > 0)
            return Err();
        s = modem.m_kind == PlatAtModem::KIND_RADIO ? kRadio : kTerminal;
        return Ok();
    case 'I': {
        (void)fHasValue;
        Identity id = IdentityOf();
        if (iValue == 0) {
            Add(id.maker + " " + id.model);
            Add("Revision: " + id.revision);
        }
        return iValue <= 9 ? Ok() : Err();
    }
    case 'L': case 'M': case 'X':
        return Ok();
    default:
        return Err();
    }
}

// ---- general commands ----------------------------------------------------

Outcome PlatAtRun::Identify(const std::string &value, Type t)
{
    if (t == TEST)
        return Ok();
    if (t != ACTION)
        return Err();
    Add(value);
    return Ok();
}

Outcome PlatAtRun::Imsi(Type t)
{
    if (t == TEST)
        return Ok();
    if (t != ACTION)
        return Err();
    SimSession sim;
    if (FAILED(sim.hr) && sim.hr != SIM_E_RADIOOFF)
        return CmeOf(sim.hr);
    json card = PlatProfileLoad(L"sim.json");
    Add(DigitsOr(PlatProfileText(card, "imsi", 15, L""), 6, 15, "234150999999999"));
    return Ok();
}

Outcome PlatAtRun::Pin(Type t, const std::vector<Arg> &)
{
    if (t == TEST)
        return Ok();
    SimSession sim;
    if (FAILED(sim.hr) && sim.hr != SIM_E_RADIOOFF)
        return CmeOf(sim.hr);
    if (t != READ)
        return Cme(3);  // no PIN is asked for
    Add("+CPIN: READY");
    return Ok();
}

Outcome PlatAtRun::Fun(Type t, const std::vector<Arg> &a)
{
    int iOn = PlatSimRadioOn() ? 1 : 0, i = 0;
    if (t == TEST)
        Add("+CFUN: (0,1),(0)");
    else if (t == READ)
        Add("+CFUN: " + std::to_string(iOn));
    else if (t == SET) {
        // Switching the radio is the handset's own business, not a client's.
        if (a.empty() || a.size() > 2 || !ParseUint(a[0].s, &i))
            return Err();
        return i == iOn ? Ok() : Cme(3);
    } else
        return Err();
    return Ok();
}

// A setting of one number from 0 to iMax: its range, its value, a new value.
Outcome PlatAtRun::Setting(Type t, const std::vector<Arg> &a, const char *pszName, const char *pszRange, int iMax,
                           int *pi)
{
    int i = 0;
    if (t == TEST)
        Add(std::string(pszName) + ": " + pszRange);
    else if (t == READ)
        Add(std::string(pszName) + ": " + std::to_string(*pi));
    else if (t == SET && a.size() == 1 && ParseUint(a[0].s, &i) && i <= iMax)
        *pi = i;
    else
        return Err();
    return Ok();
}

Outcome PlatAtRun::Cmee(Type t, const std::vector<Arg> &a)
{
    return Setting(t, a, "+CMEE", "(0-2)", 2, &s.iCmee);
}

Outcome PlatAtRun::Cscs(Type t, const std::vector<Arg> &a)
{
    if (t == TEST) {
        Add("+CSCS: (\"GSM\",\"IRA\",\"UCS2\",\"HEX\")");
        return Ok();
    }
    if (t == READ) {
        Add(std::string("+CSCS: \"") + kCharsets[s.iCharset] + "\"");
        return Ok();
    }
    if (t != SET || a.size() != 1)
        return Err();
    for (int i = 0; i < 4; ++i)
        if (Upper(a[0].s) == kCharsets[i]) {
            s.iCharset = i;
            return Ok();
        }
    return Err();
}

Outcome PlatAtRun::Registration(Type t)
{
    if (t == TEST)
        Add("+CREG: (0)");
    else if (t == READ)
        Add(PlatSimRadioOn() ? "+CREG: 0,1" : "+CREG: 0,0");
    else
        return t == SET ? Ok() : Err();
    return Ok();
}

Outcome PlatAtRun::Signal(Type t)
{
    if (t == TEST)
        Add("+CSQ: (0-31,99),(0-7,99)");
    else if (t == ACTION)
        Add(PlatSimRadioOn() ? "+CSQ: 20,99" : "+CSQ: 99,99");
    else
        return Err();
    return Ok();
}

// ---- dispatch ------------------------------------------------------------

Outcome PlatAtRun::Extended(const std::string &name, Type t, const std::vector<Arg> &a)
{
    if (name == "CGMI" || name == "GMI")
        return Identify(IdentityOf().maker, t);
    if (name == "CGMM" || name == "GMM")
        return Identify(IdentityOf().model, t);
    if (name == "CGMR" || name == "GMR")
        return Identify(IdentityOf().revision, t);
    if (name == "CGSN" || name == "GSN")
        return Identify(IdentityOf().serial, t);
    if (name == "CIMI")
        return Imsi(t);
    if (name == "CPIN")
        return Pin(t, a);
    if (name == "CFUN")
        return Fun(t, a);
    if (name == "CMEE")
        return Cmee(t, a);
    if (name == "CSCS")
        return Cscs(t, a);
    if (name == "CREG")
        return Registration(t);
    if (name == "CSQ")
        return Signal(t);
    if (name == "CPBS")
        return Cpbs(t, a);
    if (name == "CPBR")
        return Cpbr(t, a);
    if (name == "CPBF")
        return Cpbf(t, a);
    if (name == "CPBW")
        return Cpbw(t, a);
    if (name == "CNUM")
        return Cnum(t);
    if (name == "CPMS")
        return Cpms(t, a);
    if (name == "CMGF")
        return Cmgf(t, a);
    if (name == "CSMP")
        return Csmp(t, a);
    if (name == "CSDH")
        return Csdh(t, a);
    if (name == "CMGR")
        return Cmgr(t, a);
    if (name == "CMGL")
        return Cmgl(t, a);
    if (name == "CMGD")
        return Cmgd(t, a);
    if (name == "CSCA")
        return Csca(t);
    if (name == "CSMS")
        return Csms(t, a);
    if (name == "CNMI")
        return Cnmi(t, a);
    return Err();
}

// The text after "AT": basic commands, and extended ones joined with ";".
// *pfData: the line ended with a +CMGW whose data is now awaited.
Outcome PlatAtRun::Body(const std::string &body, bool *pfData)
{
    size_t i = 0;
    while (i < body.size()) {
        char c = body[i];
        if (c == ';') {
            ++i;
            continue;
        }
        if (c == '+' || c == '^' || c == '$') {
            size_t iName = ++i;
            while (i < body.size() && (isalnum((BYTE)body[i]) || strchr("!%-./:_", body[i])))
                ++i;
            std::string name = Upper(body.substr(iName, i - iName));
            if (name.empty() || c != '+')
                return Err();
            Type t = ACTION;
            std::string args;
            if (i < body.size() && body[i] == '?') {
                t = READ;
                ++i;
            } else if (i + 1 < body.size() && body[i] == '=' && body[i + 1] == '?') {
                t = TEST;
                i += 2;
            } else if (i < body.size() && body[i] == '=') {
                t = SET;
                size_t iStart = ++i;
                bool fQuote = false;
                while (i < body.size() && (fQuote || body[i] != ';')) {
                    fQuote = body[i] == '"' ? !fQuote : fQuote;
                    ++i;
                }
                args = body.substr(iStart, i - iStart);
            }
            if (i < body.size() && body[i] != ';')
                return Err();
            std::vector<Arg> a;
            if (t == SET && !SplitArgs(args, &a))
                return Err();
            if (name == "CMGW") {
                Outcome o = CmgwLine(t, a);
                if (o.kind != K_OK)
                    return o;
                if (t == TEST)
                    continue;
                if (i < body.size() && body.find_first_not_of(';', i) != std::string::npos)
                    return Err();  // its data follows the line: nothing may come after it
                modem.m_dataCommand = body.substr(iName - 1, i - iName + 1);
                *pfData = true;
                return Ok();
            }
            Outcome o = Extended(name, t, a);
            if (o.kind != K_OK)
                return o;
            continue;
        }
        bool fAmp = c == '&';
        if (fAmp)
            ++i;
        if (i >= body.size() || !isalpha((BYTE)body[i]))
            return Err();
        char letter = (char)toupper((BYTE)body[i++]);
        size_t iDigits = i;
        while (i < body.size() && isdigit((BYTE)body[i]) && i - iDigits < 3)
            ++i;
        int iValue = 0;
        bool fHasValue = i > iDigits;
        if (fHasValue)
            ParseUint(body.substr(iDigits, i - iDigits), &iValue);
        Outcome o = Basic(letter, fAmp, iValue, fHasValue);
        if (o.kind != K_OK)
            return o;
    }
    return Ok();
}

PlatAtModem::PlatAtModem(Kind kind, bool fLog) : m_kind(kind), m_fLog(fLog)
{
    m_s = kind == KIND_RADIO ? kRadio : kTerminal;
}

void PlatAtModem::Reset()
{
    m_s = m_kind == KIND_RADIO ? kRadio : kTerminal;
    m_line.clear();
    m_last.clear();
    m_fOverflow = m_fData = false;
    m_data.clear();
    m_dataCommand.clear();
    m_fLastOk = true;
}

void PlatAtModem::Abandon(std::string *pOut)
{
    if (!m_fData)
        return;
    m_fData = false;
    m_data.clear();
    PlatAtRun run(*this);
    *pOut += run.Final(Err());
}

namespace {
// The line without blanks outside quotes; the command prefix "AT" found and
// dropped. False when there is no "AT".
bool Prepare(const std::string &line, std::string *pBody)
{
    size_t iAt = 0;
    for (; iAt + 1 < line.size(); ++iAt)
        if ((line[iAt] == 'A' || line[iAt] == 'a') && (line[iAt + 1] == 'T' || line[iAt + 1] == 't'))
            break;
    if (iAt + 1 >= line.size())
        return false;
    pBody->clear();
    bool fQuote = false;
    for (size_t i = iAt + 2; i < line.size(); ++i) {
        if (line[i] == '"')
            fQuote = !fQuote;
        if (fQuote || (line[i] != ' ' && line[i] != '\t'))
            *pBody += line[i];
    }
    return true;
}
} // namespace

void PlatAtModem::Feed(const char *pb, size_t cb, std::string *pOut)
{
    for (size_t k = 0; k < cb; ++k) {
        char c = pb[k];
        if (m_s.fEcho)
            *pOut += c;
        if (m_fData) {
            if (c == 0x1A || c == 0x1B) {
                m_fData = false;
                PlatAtRun run(*this);
                std::string reply;
                bool fOverflow = m_fOverflow;
                m_fOverflow = false;
                std::string body;
                std::vector<Arg> a;
                PlatAtRun::Type t = PlatAtRun::ACTION;
                std::string args;
                size_t iEq = m_dataCommand.find('=');
                if (iEq != std::string::npos) {
                    t = PlatAtRun::SET;
                    args = m_dataCommand.substr(iEq + 1);
                }
                Outcome o = Ok();
                if (c == 0x1B)
                    o = Ok();  // cancelled: nothing stored
                else if (fOverflow || (t == PlatAtRun::SET && !SplitArgs(args, &a)))
                    o = Cms(m_s.iFormat ? 305 : 304);
                else
                    o = run.CmgwData(t, a, m_data);
                reply = run.Info() + run.Final(o);
                if (m_fLog) {
                    PlatRadioLog(">", m_last + "\r" + m_data + std::string(1, c));
                    PlatRadioLog(o.kind == K_OK ? "<" : "!", reply);
                }
                *pOut += reply;
                m_data.clear();
                continue;
            }
            if (m_data.size() >= kMaxData)
                m_fOverflow = true;
            else
                m_data += c;
            if (c == '\r' && m_kind == KIND_TERMINAL)
                *pOut += "\r\n> ";
            continue;
        }
        if (c == '\n' || c == 0)
            continue;
        if (c == 0x08) {
            if (!m_line.empty())
                m_line.pop_back();
            continue;
        }
        if (c != '\r') {
            if (m_line.size() >= kMaxLine)
                m_fOverflow = true;
            else
                m_line += c;
            if (m_line.size() == 2 && Upper(m_line) == "A/" && !m_last.empty()) {
                m_line = m_last;  // repeats the last line
                c = '\r';
            } else {
                continue;
            }
        }
        std::string line;
        line.swap(m_line);
        PlatAtRun run(*this);
        if (m_fOverflow) {
            m_fOverflow = false;
            std::string reply = run.Final(Err());
            if (m_fLog)
                PlatRadioLog("!", reply);
            *pOut += reply;
            continue;
        }
        std::string body;
        if (!Prepare(line, &body)) {
            if (m_kind == KIND_RADIO && !line.empty())
                *pOut += run.Final(Err());
            continue;  // no command here: a modem says nothing
        }
        m_last = line;
        bool fData = false;
        Outcome o = run.Body(body, &fData);
        if (fData && o.kind == K_OK) {
            m_fData = true;
            std::string info = run.Info();
            *pOut += info;
            if (m_kind == KIND_TERMINAL)
                *pOut += "\r\n> ";
            continue;
        }
        std::string reply = run.Info() + run.Final(o);
        if (m_fLog) {
            PlatRadioLog(">", line + "\r");
            PlatRadioLog(o.kind == K_OK ? "<" : "!", reply);
        }
        *pOut += reply;
    }
}

// ---- the radio's own session ---------------------------------------------

namespace {
std::mutex g_mtx;
PlatAtModem g_radio(PlatAtModem::KIND_RADIO);
} // namespace

BOOL PlatModemRun(const std::string &command, std::string *pReply)
{
    std::lock_guard<std::mutex> lock(g_mtx);
    pReply->clear();
    std::string text = command;
    if (text.empty() || (text.back() != '\r' && text.back() != '\x1A'))
        text += '\r';
    g_radio.Feed(text, pReply);
    // A message whose data never came to its Ctrl-Z is not stored.
    g_radio.Abandon(pReply);
    if (pReply->empty()) {
        PlatAtRun run(g_radio);
        *pReply = run.Final(Ok());
    }
    return g_radio.LastOk();
}

void PlatModemReset()
{
    std::lock_guard<std::mutex> lock(g_mtx);
    g_radio.Reset();
}
