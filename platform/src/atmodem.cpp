// The handset's built-in AT modem: the basic and general commands of
// V.250 / 3GPP TS 27.007, the phone book through the SIM service, and the
// message commands of 27.005 in PDU and text mode over sim.json's "sms"
// storage. One PlatAtModem per client; the radio's session is one of them.
#include "internal.h"
#include "platmodem.h"
#include "simmgr.h"
#include "smspdu.h"
#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

using nlohmann::json;

namespace {
const char *const kCharsets[] = {"GSM", "IRA", "UCS2", "HEX"};
enum { CS_GSM, CS_IRA, CS_UCS2, CS_HEX };
const char kCentre[] = "+447700900000";  // the service centre every message names
const char *const kStatus[] = {"REC UNREAD", "REC READ", "STO UNSENT", "STO SENT", "ALL"};
const size_t kMaxNumber = 40;  // a stored message's number
const size_t kMaxStoredText = 255;

enum Kind { K_OK, K_ERROR, K_CME, K_CMS };
struct Outcome {
    Kind kind;
    int iCode;
};
Outcome Ok() { return {K_OK, 0}; }
Outcome Err() { return {K_ERROR, 0}; }
Outcome Cme(int i) { return {K_CME, i}; }
Outcome Cms(int i) { return {K_CMS, i}; }

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

struct Arg {
    bool fQuoted;
    std::string s;
};

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
        for (WCHAR ch : text) {
            const char kHex[] = "0123456789ABCDEF";
            for (int k = 12; k >= 0; k -= 4)
                out += kHex[(ch >> k) & 0xF];
        }
        return out;
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
        if (te.size() % 4 || !HexDecode(te, &octets))
            return false;
        for (size_t i = 0; i < octets.size(); i += 2)
            *pText += (WCHAR)((BYTE)octets[i] << 8 | (BYTE)octets[i + 1]);
        return WellFormed(*pText);
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

// The part of a stored number that a PDU address carries.
std::string PduNumberOf(const std::string &number)
{
    std::string out = !number.empty() && number[0] == '+' ? "+" : "";
    size_t cDigits = 0;
    for (char c : number)
        if (strchr("0123456789*#", c) && c && cDigits < SMS_MAX_DIGITS) {
            out += c;
            ++cDigits;
        }
    return out;
}

const char *TypeOf(const std::string &number)
{
    return !number.empty() && number[0] == '+' ? "145" : "129";
}

int StatusIndex(const std::string &status)
{
    for (int i = 0; i < 5; ++i)
        if (Upper(status) == kStatus[i])
            return i;
    return -1;
}

// A stored message as the SIM keeps it in sim.json.
struct Stored {
    int iIndex;
    int iStatus;
    SmsMessage m;
};

Stored ReadStored(const json &j)
{
    Stored s;
    s.iIndex = (int)PlatProfileNumber(j, "index", 1, 255, 0);
    s.iStatus = StatusIndex(Utf8(PlatProfileText(j, "status", 16, L"REC READ")));
    if (s.iStatus < 0 || s.iStatus > 3)
        s.iStatus = 1;
    s.m.fDeliver = s.iStatus < 2;
    s.m.number = Utf8(PlatProfileText(j, "number", kMaxNumber, L""));
    if (!IsDialable(s.m.number, kMaxNumber))
        s.m.number.clear();
    int iCoding = (int)PlatProfileNumber(j, "coding", 0, 255, 0);
    s.m.iCoding = iCoding == SMS_CODING_UCS2 || iCoding == SMS_CODING_8BIT ? iCoding : SMS_CODING_GSM;
    s.m.text = PlatProfileText(j, "text", kMaxStoredText, L"");
    std::string udh;
    if (HexDecode(Utf8(PlatProfileText(j, "udh", 2 * SMS_MAX_OCTETS, L"")), &udh) && udh.size() <= 137)
        s.m.udh = udh;
    s.m.time = Utf8(PlatProfileText(j, "time", 20, L""));
    if (!SmsIsTimeStamp(s.m.time))
        s.m.time = "26/01/01,00:00:00+00";
    return s;
}

json ToJson(int iIndex, int iStatus, const SmsMessage &m)
{
    // Unsigned, as the file reads them back: the profile's readers take no other.
    json j = {{"index", (unsigned)iIndex}, {"status", kStatus[iStatus]}, {"number", m.number},
              {"coding", (unsigned)m.iCoding}, {"text", Utf8(m.text)}};
    if (m.fDeliver && SmsIsTimeStamp(m.time))
        j["time"] = m.time;
    if (!m.udh.empty())
        j["udh"] = HexEncode(m.udh);
    return j;
}

// The message as a PDU line: the centre, then the TPDU (its octet count given).
std::string PduOf(const Stored &s, size_t *pcbTpdu)
{
    SmsMessage m = s.m;
    m.number = PduNumberOf(m.number);
    m.text = SmsFitText(m.text, m.iCoding, m.udh.size());
    std::string centre, tpdu;
    SmsEncodeCentre(kCentre, &centre);
    if (!SmsEncodeTpdu(m, &tpdu)) {
        m.udh.clear();  // a header that does not fit the text goes
        m.text = SmsFitText(s.m.text, m.iCoding, 0);
        SmsEncodeTpdu(m, &tpdu);
    }
    *pcbTpdu = tpdu.size();
    return HexEncode(centre + tpdu);
}

Outcome CmsOf(HRESULT hr)
{
    if (hr == SIM_E_NOSIM)
        return Cms(310);
    if (hr == SIM_E_RADIOOFF)
        return Cms(302);
    return Cms(313);
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

// An open SIM service handle for the length of one command.
struct SimSession {
    HSIM h = nullptr;
    HRESULT hr;
    SimSession() { hr = SimInitialize(SIM_INIT_NONE, nullptr, 0, &h); }
    ~SimSession()
    {
        if (h)
            SimDeinitialize(h);
    }
};

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

// One command line of one client: its commands run in order until one fails.
struct PlatAtRun {
    PlatAtModem &modem;
    PlatAtModem::Settings &s;
    std::vector<std::string> info;

    explicit PlatAtRun(PlatAtModem &m) : modem(m), s(m.m_s) {}

    void Add(const std::string &line) { info.push_back(line); }

    // The information lines so far, framed as V0 or V1 wants.
    std::string Info()
    {
        std::string out;
        for (size_t i = 0; i < info.size(); ++i)
            out += (i || !s.fVerbose ? "" : "\r\n") + info[i] + "\r\n";
        info.clear();
        return out;
    }

    std::string Final(Outcome o)
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

    // ---- basic commands -------------------------------------------------

    Outcome Basic(char c, bool fAmp, int iValue, bool fHasValue)
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

    // ---- general commands -----------------------------------------------

    enum Type { ACTION, SET, READ, TEST };

    Outcome Identify(const std::string &value, Type t)
    {
        if (t == TEST)
            return Ok();
        if (t != ACTION)
            return Err();
        Add(value);
        return Ok();
    }

    Outcome Imsi(Type t)
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

    Outcome Pin(Type t, const std::vector<Arg> &)
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

    Outcome Fun(Type t, const std::vector<Arg> &a)
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

    Outcome Cmee(Type t, const std::vector<Arg> &a)
    {
        int i = 0;
        if (t == TEST)
            Add("+CMEE: (0-2)");
        else if (t == READ)
            Add("+CMEE: " + std::to_string(s.iCmee));
        else if (t == SET && a.size() == 1 && ParseUint(a[0].s, &i) && i <= 2)
            s.iCmee = i;
        else
            return Err();
        return Ok();
    }

    Outcome Cscs(Type t, const std::vector<Arg> &a)
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

    Outcome Registration(Type t)
    {
        if (t == TEST)
            Add("+CREG: (0)");
        else if (t == READ)
            Add(PlatSimRadioOn() ? "+CREG: 0,1" : "+CREG: 0,0");
        else
            return t == SET ? Ok() : Err();
        return Ok();
    }

    Outcome Signal(Type t)
    {
        if (t == TEST)
            Add("+CSQ: (0-31,99),(0-7,99)");
        else if (t == ACTION)
            Add(PlatSimRadioOn() ? "+CSQ: 20,99" : "+CSQ: 99,99");
        else
            return Err();
        return Ok();
    }

    // ---- phone book -----------------------------------------------------

    DWORD Storage() const { return s.fOwnBook ? SIM_PBSTORAGE_OWNNUMBERS : SIM_PBSTORAGE_SIM; }

    bool Caps(HSIM h, SIMCAPS *pCaps, DWORD *pdwMin, DWORD *pdwMax)
    {
        pCaps->cbSize = sizeof(*pCaps);
        if (FAILED(SimGetDevCaps(h, SIM_CAPSTYPE_ALL, pCaps)))
            return false;
        *pdwMin = s.fOwnBook ? 1 : pCaps->dwMinPBIndex;
        *pdwMax = s.fOwnBook ? 4 : pCaps->dwMaxPBIndex;
        return true;
    }

    std::string EntryLine(const char *pszPrefix, DWORD dwIndex, const SIMPHONEBOOKENTRY &e)
    {
        std::string number = Utf8(e.lpszAddress);
        bool fIntl = e.dwAddressType == SIM_ADDRTYPE_INTERNATIONAL || (!number.empty() && number[0] == '+');
        if (fIntl && (number.empty() || number[0] != '+'))
            number = "+" + number;
        std::string line = pszPrefix;
        if (dwIndex)
            line += std::to_string(dwIndex) + ",";
        else
            line += "\"" + ToTe(e.lpszText, s.iCharset) + "\",";
        line += "\"" + number + "\"," + (fIntl ? "145" : "129");
        if (dwIndex)
            line += ",\"" + ToTe(e.lpszText, s.iCharset) + "\"";
        return line;
    }

    Outcome Cpbs(Type t, const std::vector<Arg> &a)
    {
        if (t == TEST) {
            Add("+CPBS: (\"SM\",\"ON\")");
            return Ok();
        }
        if (t == SET) {
            if (a.size() != 1 || (Upper(a[0].s) != "SM" && Upper(a[0].s) != "ON"))
                return Err();
            s.fOwnBook = Upper(a[0].s) == "ON";
            return Ok();
        }
        if (t != READ)
            return Err();
        SimSession sim;
        if (FAILED(sim.hr))
            return CmeOf(sim.hr);
        DWORD cUsed = 0, cTotal = 0;
        HRESULT hr = SimGetPhonebookStatus(sim.h, Storage(), &cUsed, &cTotal);
        if (FAILED(hr))
            return CmeOf(hr);
        Add(std::string("+CPBS: \"") + (s.fOwnBook ? "ON" : "SM") + "\"," + std::to_string(cUsed) + "," +
            std::to_string(cTotal));
        return Ok();
    }

    Outcome Cpbr(Type t, const std::vector<Arg> &a)
    {
        if (t != TEST && t != SET)
            return Err();
        SimSession sim;
        if (FAILED(sim.hr))
            return CmeOf(sim.hr);
        SIMCAPS caps = {};
        DWORD dwMin, dwMax;
        if (!Caps(sim.h, &caps, &dwMin, &dwMax))
            return Cme(13);
        if (t == TEST) {
            Add("+CPBR: (" + std::to_string(dwMin) + "-" + std::to_string(dwMax) + ")," +
                std::to_string(caps.dwMaxPBEAddressLength) + "," + std::to_string(caps.dwMaxPBETextLength));
            return Ok();
        }
        int iFirst = 0, iLast = 0;
        if (a.empty() || a.size() > 2 || !ParseUint(a[0].s, &iFirst))
            return Err();
        iLast = iFirst;
        if (a.size() == 2 && !ParseUint(a[1].s, &iLast))
            return Err();
        if ((DWORD)iFirst < dwMin || (DWORD)iLast > dwMax || iLast < iFirst)
            return Cme(21);
        for (int i = iFirst; i <= iLast; ++i) {
            SIMPHONEBOOKENTRY e = {};
            e.cbSize = sizeof(e);
            HRESULT hr = SimReadPhonebookEntry(sim.h, Storage(), i, &e);
            if (hr == SIM_E_NOTFOUND)
                continue;
            if (FAILED(hr))
                return CmeOf(hr);
            Add(EntryLine("+CPBR: ", i, e));
        }
        return Ok();
    }

    Outcome Cpbf(Type t, const std::vector<Arg> &a)
    {
        if (t != TEST && t != SET)
            return Err();
        SimSession sim;
        if (FAILED(sim.hr))
            return CmeOf(sim.hr);
        SIMCAPS caps = {};
        DWORD dwMin, dwMax;
        if (!Caps(sim.h, &caps, &dwMin, &dwMax))
            return Cme(13);
        if (t == TEST) {
            Add("+CPBF: " + std::to_string(caps.dwMaxPBEAddressLength) + "," +
                std::to_string(caps.dwMaxPBETextLength));
            return Ok();
        }
        std::wstring find;
        if (a.size() != 1 || !a[0].fQuoted || !FromTe(a[0].s, s.iCharset, &find))
            return Cme(25);
        for (DWORD i = dwMin; i <= dwMax; ++i) {
            SIMPHONEBOOKENTRY e = {};
            e.cbSize = sizeof(e);
            HRESULT hr = SimReadPhonebookEntry(sim.h, Storage(), i, &e);
            if (hr == SIM_E_NOTFOUND)
                continue;
            if (FAILED(hr))
                return CmeOf(hr);
            std::wstring name = e.lpszText;
            if (name.size() >= find.size() &&
                CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, name.c_str(), (int)find.size(), find.c_str(),
                               (int)find.size()) == CSTR_EQUAL)
                Add(EntryLine("+CPBF: ", i, e));
        }
        return Ok();
    }

    Outcome Cpbw(Type t, const std::vector<Arg> &a)
    {
        if (t == TEST || t == SET) {
            SimSession sim;
            if (FAILED(sim.hr))
                return CmeOf(sim.hr);
            SIMCAPS caps = {};
            DWORD dwMin, dwMax;
            if (!Caps(sim.h, &caps, &dwMin, &dwMax))
                return Cme(13);
            if (t == TEST) {
                Add("+CPBW: (" + std::to_string(dwMin) + "-" + std::to_string(dwMax) + ")," +
                    std::to_string(caps.dwMaxPBEAddressLength) + ",(129,145)," +
                    std::to_string(caps.dwMaxPBETextLength));
                return Ok();
            }
            int iIndex = 0;
            bool fIndex = !a.empty() && !a[0].s.empty();
            if (a.empty() || a.size() > 4 || (fIndex && !ParseUint(a[0].s, &iIndex)))
                return Err();
            if (fIndex && ((DWORD)iIndex < dwMin || (DWORD)iIndex > dwMax))
                return Cme(21);
            if (a.size() == 1) {
                if (!fIndex)
                    return Err();
                HRESULT hr = SimDeletePhonebookEntry(sim.h, Storage(), iIndex);
                return hr == SIM_E_NOTFOUND ? Ok() : FAILED(hr) ? CmeOf(hr) : Ok();
            }
            std::string number = a[1].s;
            int iType = number.size() && number[0] == '+' ? 145 : 129;
            if (a.size() >= 3 && !a[2].s.empty() && !ParseUint(a[2].s, &iType))
                return Err();
            if (iType != 129 && iType != 145 && iType != 161)
                return Cme(50);
            if (iType == 145 && (number.empty() || number[0] != '+'))
                number = "+" + number;
            if (!IsDialable(number, 255) || number.find(' ') != std::string::npos)
                return Cme(27);
            if (number.size() > caps.dwMaxPBEAddressLength)
                return Cme(26);
            std::wstring name;
            if (a.size() == 4 && !FromTe(a[3].s, s.iCharset, &name))
                return Cme(25);
            if (name.size() > caps.dwMaxPBETextLength)
                return Cme(24);
            SIMPHONEBOOKENTRY e = {};
            e.cbSize = sizeof(e);
            e.dwParams = SIM_PARAM_PBE_ALL;
            std::wstring wnumber(number.begin(), number.end());
            wcsncpy(e.lpszAddress, wnumber.c_str(), MAX_LENGTH_ADDRESS - 1);
            wcsncpy(e.lpszText, name.c_str(), MAX_LENGTH_PHONEBOOKENTRYTEXT - 1);
            e.dwAddressType = iType == 145 ? SIM_ADDRTYPE_INTERNATIONAL : SIM_ADDRTYPE_UNKNOWN;
            e.dwNumPlan = SIM_NUMPLAN_TELEPHONE;
            HRESULT hr = SimWritePhonebookEntry(sim.h, Storage(), fIndex ? (DWORD)iIndex : SIM_PBINDEX_FIRSTAVAILABLE,
                                                &e);
            return FAILED(hr) ? CmeOf(hr) : Ok();
        }
        return Err();
    }

    Outcome Cnum(Type t)
    {
        if (t == TEST)
            return Ok();
        if (t != ACTION)
            return Err();
        SimSession sim;
        if (FAILED(sim.hr))
            return CmeOf(sim.hr);
        for (DWORD i = 1; i <= 4; ++i) {
            SIMPHONEBOOKENTRY e = {};
            e.cbSize = sizeof(e);
            HRESULT hr = SimReadPhonebookEntry(sim.h, SIM_PBSTORAGE_OWNNUMBERS, i, &e);
            if (hr == SIM_E_NOTFOUND)
                continue;
            if (FAILED(hr))
                return CmeOf(hr);
            Add(EntryLine("+CNUM: ", 0, e));
        }
        return Ok();
    }

    // ---- messages -------------------------------------------------------

    // The messages in slot order, and the slot count.
    HRESULT Messages(std::vector<Stored> *pv, DWORD *pdwTotal)
    {
        pv->clear();
        return PlatSimSmsStorage([&](json &sms, DWORD dwTotal) {
            *pdwTotal = dwTotal;
            for (const json &j : sms["messages"]) {
                Stored st = ReadStored(j);
                if (st.iIndex >= 1 && (DWORD)st.iIndex <= dwTotal &&
                    std::none_of(pv->begin(), pv->end(), [&](const Stored &o) { return o.iIndex == st.iIndex; }))
                    pv->push_back(st);
            }
            std::sort(pv->begin(), pv->end(), [](const Stored &x, const Stored &y) { return x.iIndex < y.iIndex; });
            return false;
        });
    }

    Outcome Cpms(Type t, const std::vector<Arg> &a)
    {
        if (t == TEST) {
            Add("+CPMS: (\"SM\"),(\"SM\"),(\"SM\")");
            return Ok();
        }
        if (t != READ && t != SET)
            return Err();
        if (t == SET) {
            if (a.empty() || a.size() > 3)
                return Err();
            for (const Arg &x : a)
                if (Upper(x.s) != "SM")
                    return Cms(302);
        }
        std::vector<Stored> v;
        DWORD dwTotal = 0;
        HRESULT hr = Messages(&v, &dwTotal);
        if (FAILED(hr))
            return CmsOf(hr);
        std::string counts = std::to_string(v.size()) + "," + std::to_string(dwTotal);
        if (t == READ)
            Add("+CPMS: \"SM\"," + counts + ",\"SM\"," + counts + ",\"SM\"," + counts);
        else
            Add("+CPMS: " + counts + "," + counts + "," + counts);
        return Ok();
    }

    Outcome Cmgf(Type t, const std::vector<Arg> &a)
    {
        int i = 0;
        if (t == TEST)
            Add("+CMGF: (0,1)");
        else if (t == READ)
            Add("+CMGF: " + std::to_string(s.iFormat));
        else if (t == SET && a.size() == 1 && ParseUint(a[0].s, &i) && i <= 1)
            s.iFormat = i;
        else
            return Err();
        return Ok();
    }

    Outcome Csmp(Type t, const std::vector<Arg> &a)
    {
        if (t == TEST)
            return Ok();
        if (t == READ) {
            Add("+CSMP: " + std::to_string(s.iFo) + "," + std::to_string(s.iVp) + "," + std::to_string(s.iPid) +
                "," + std::to_string(s.iDcs));
            return Ok();
        }
        if (t != SET || a.empty() || a.size() > 4)
            return Err();
        int *apField[4] = {&s.iFo, &s.iVp, &s.iPid, &s.iDcs};
        int aiNew[4] = {s.iFo, s.iVp, s.iPid, s.iDcs};
        for (size_t i = 0; i < a.size(); ++i)
            if (!a[i].s.empty() && (!ParseUint(a[i].s, &aiNew[i]) || aiNew[i] > 255))
                return Err();
        if (SmsCodingOf((BYTE)aiNew[3]) < 0)
            return Cms(305);
        for (int i = 0; i < 4; ++i)
            *apField[i] = aiNew[i];
        return Ok();
    }

    Outcome Csdh(Type t, const std::vector<Arg> &a)
    {
        int i = 0;
        if (t == TEST)
            Add("+CSDH: (0,1)");
        else if (t == READ)
            Add(std::string("+CSDH: ") + (s.fHeaders ? "1" : "0"));
        else if (t == SET && a.size() == 1 && ParseUint(a[0].s, &i) && i <= 1)
            s.fHeaders = i == 1;
        else
            return Err();
        return Ok();
    }

    // The message data in text mode: the TE character set for 7-bit text,
    // hex for octets and UCS2; *pcLength the characters 27.005 counts.
    std::string TextData(const SmsMessage &m, size_t *pcLength)
    {
        if (m.iCoding == SMS_CODING_GSM) {
            *pcLength = GsmEncode(m.text).size();
            return ToTe(m.text, s.iCharset);
        }
        *pcLength = m.text.size();  // UTF-16 units or octets
        return m.iCoding == SMS_CODING_UCS2 ? ToTe(m.text, CS_UCS2) : HexEncode(Octets(m.text));
    }

    // 8-bit data as its octets (one character each).
    static std::string Octets(const std::wstring &w)
    {
        std::string o;
        for (WCHAR ch : w)
            o += (char)(ch & 0xFF);
        return o;
    }

    // The header line (without its command name) and data of a message.
    void Show(const char *pszPrefix, const Stored &st, bool fList)
    {
        std::string head = pszPrefix;
        if (fList)
            head += std::to_string(st.iIndex) + ",";
        if (s.iFormat == 0) {
            size_t cb = 0;
            std::string pdu = PduOf(st, &cb);
            Add(head + std::to_string(st.iStatus) + ",," + std::to_string(cb));
            Add(pdu);
            return;
        }
        size_t cLength = 0;
        std::string data = TextData(st.m, &cLength);
        head += std::string("\"") + kStatus[st.iStatus] + "\",\"" + st.m.number + "\",";
        const char *pszType = TypeOf(st.m.number);
        if (fList) {
            head += "," + (st.m.fDeliver ? "\"" + st.m.time + "\"" : std::string());
            if (s.fHeaders)
                head += std::string(",") + pszType + "," + std::to_string(cLength);
        } else if (st.m.fDeliver) {
            head += ",\"" + st.m.time + "\"";
            if (s.fHeaders)
                head += std::string(",") + pszType + ",4,0," + std::to_string(st.m.iCoding) + ",\"" + kCentre +
                        "\",145," + std::to_string(cLength);
        } else if (s.fHeaders) {
            head += std::string(",") + pszType + ",17,0," + std::to_string(st.m.iCoding) + ",167,\"" + kCentre +
                    "\",145," + std::to_string(cLength);
        }
        Add(head);
        Add(data);
    }

    Outcome Cmgr(Type t, const std::vector<Arg> &a)
    {
        int iIndex = 0;
        if (t == TEST)
            return Ok();
        if (t != SET || a.size() != 1 || !ParseUint(a[0].s, &iIndex))
            return Err();
        std::vector<Stored> v;
        DWORD dwTotal = 0;
        HRESULT hr = Messages(&v, &dwTotal);
        if (FAILED(hr))
            return CmsOf(hr);
        for (const Stored &st : v)
            if (st.iIndex == iIndex) {
                Show("+CMGR: ", st, false);
                return Ok();
            }
        return Cms(321);
    }

    Outcome Cmgl(Type t, const std::vector<Arg> &a)
    {
        if (t == TEST) {
            Add(s.iFormat ? "+CMGL: (\"REC UNREAD\",\"REC READ\",\"STO UNSENT\",\"STO SENT\",\"ALL\")"
                          : "+CMGL: (0-4)");
            return Ok();
        }
        int iStat = 0;
        if (t == SET) {
            if (a.size() != 1)
                return Err();
            iStat = s.iFormat ? (a[0].fQuoted ? StatusIndex(a[0].s) : -1)
                              : (ParseUint(a[0].s, &iStat) && iStat <= 4 ? iStat : -1);
            if (iStat < 0)
                return Cms(s.iFormat ? 305 : 304);
        } else if (t != ACTION) {
            return Err();
        }
        std::vector<Stored> v;
        DWORD dwTotal = 0;
        HRESULT hr = Messages(&v, &dwTotal);
        if (FAILED(hr))
            return CmsOf(hr);
        for (const Stored &st : v)
            if (iStat == 4 || st.iStatus == iStat)
                Show("+CMGL: ", st, true);
        return Ok();
    }

    Outcome Cmgd(Type t, const std::vector<Arg> &a)
    {
        std::vector<Stored> v;
        DWORD dwTotal = 0;
        if (t == TEST) {
            HRESULT hr = Messages(&v, &dwTotal);
            if (FAILED(hr))
                return CmsOf(hr);
            std::string list;
            for (const Stored &st : v)
                list += (list.empty() ? "" : ",") + std::to_string(st.iIndex);
            Add("+CMGD: (" + list + "),(0-4)");
            return Ok();
        }
        int iIndex = 0, iFlag = 0;
        if (t != SET || a.empty() || a.size() > 2 || !ParseUint(a[0].s, &iIndex) ||
            (a.size() == 2 && (!ParseUint(a[1].s, &iFlag) || iFlag > 4)))
            return Err();
        bool fFound = false;
        HRESULT hr = PlatSimSmsStorage([&](json &sms, DWORD dwTotal) {
            json &msgs = sms["messages"];
            for (size_t i = msgs.size(); i-- > 0;) {
                Stored st = ReadStored(msgs[i]);
                // Flag 1: read ones; 2: and sent; 3: and unsent; 4: all.
                bool fGo = iFlag == 0 ? st.iIndex == iIndex && iIndex >= 1 && (DWORD)iIndex <= dwTotal
                                      : iFlag == 4 || st.iStatus == 1 || (iFlag >= 2 && st.iStatus == 3) ||
                                            (iFlag >= 3 && st.iStatus == 2);
                if (fGo) {
                    msgs.erase(msgs.begin() + i);
                    fFound = true;
                }
            }
            return fFound;
        });
        if (FAILED(hr))
            return CmsOf(hr);
        return fFound || iFlag ? Ok() : Cms(321);
    }

    // Stores a message in the first free slot; its index, or an outcome.
    Outcome Store(int iStatus, const SmsMessage &m)
    {
        if (m.iCoding == SMS_CODING_UCS2 && !WellFormed(m.text))
            return Cms(s.iFormat ? 305 : 304);
        DWORD dwIndex = 0;
        HRESULT hr = PlatSimSmsStorage([&](json &sms, DWORD dwTotal) {
            json &msgs = sms["messages"];
            std::vector<bool> used(dwTotal + 1, false);
            for (const json &j : msgs) {
                DWORD i = (DWORD)PlatProfileNumber(j, "index", 1, 255, 0);
                if (i && i <= dwTotal)
                    used[i] = true;
            }
            for (DWORD i = 1; i <= dwTotal && !dwIndex; ++i)
                if (!used[i])
                    dwIndex = i;
            if (!dwIndex)
                return false;
            msgs.push_back(ToJson(dwIndex, iStatus, m));
            return true;
        });
        if (FAILED(hr))
            return CmsOf(hr);
        if (!dwIndex)
            return Cms(322);
        Add("+CMGW: " + std::to_string(dwIndex));
        return Ok();
    }

    // +CMGW's line: checked before the data is asked for.
    Outcome CmgwLine(Type t, const std::vector<Arg> &a)
    {
        int i = 0;
        if (t == TEST)
            return Ok();
        if (s.iFormat == 0) {
            if (t != SET || a.empty() || a.size() > 2 || !ParseUint(a[0].s, &i) || i < 1 || i > 164 ||
                (a.size() == 2 && (!ParseUint(a[1].s, &i) || i > 3)))
                return Cms(304);
            return Ok();
        }
        if (t == ACTION)
            return Ok();
        if (t != SET || a.size() > 3 || !a[0].fQuoted || !IsDialable(a[0].s, kMaxNumber) ||
            (a.size() >= 2 && !a[1].s.empty() && (!ParseUint(a[1].s, &i) || (i != 129 && i != 145 && i != 161))) ||
            (a.size() == 3 && (!a[2].fQuoted || StatusIndex(a[2].s) < 0 || StatusIndex(a[2].s) > 3)))
            return Cms(305);
        return Ok();
    }

    Outcome CmgwData(Type t, const std::vector<Arg> &a, const std::string &data)
    {
        SmsMessage m;
        int iStatus = 2, iType = 129, cb = 0;
        std::string clean;
        if (s.iFormat == 0) {
            for (char c : data)
                if (c != '\r' && c != '\n' && c != ' ')
                    clean += c;
            ParseUint(a[0].s, &cb);
            if (a.size() == 2)
                ParseUint(a[1].s, &iStatus);
            std::string octets;
            if (!HexDecode(clean, &octets) || !SmsDecodePdu(octets, cb, &m))
                return Cms(304);
            return Store(iStatus, m);
        }
        if (t == SET) {
            m.number = a[0].s;
            if (a.size() >= 2 && !a[1].s.empty())
                ParseUint(a[1].s, &iType);
            if (iType == 145 && (m.number.empty() || m.number[0] != '+'))
                m.number = "+" + m.number;
            if (m.number.size() > kMaxNumber)
                return Cms(305);
            if (a.size() == 3)
                iStatus = StatusIndex(a[2].s);
        }
        m.fDeliver = iStatus < 2;
        m.iCoding = SmsCodingOf((BYTE)s.iDcs);
        std::wstring text;
        std::string octets;
        if (m.iCoding == SMS_CODING_GSM) {
            std::string codes;
            if (!FromTe(data, s.iCharset, &text))
                return Cms(305);
            for (WCHAR ch : text)
                if (!GsmEncodeChar(ch, &codes))
                    return Cms(305);
            if (codes.size() > SMS_MAX_SEPTETS)
                return Cms(305);
        } else if (m.iCoding == SMS_CODING_UCS2) {
            if (!FromTe(data, CS_UCS2, &text) || text.size() > SMS_MAX_OCTETS / 2)
                return Cms(305);
        } else {
            if (!HexDecode(data, &octets) || octets.size() > SMS_MAX_OCTETS)
                return Cms(305);
            for (char c : octets)
                text += (WCHAR)(BYTE)c;
        }
        m.text = text;
        return Store(iStatus, m);
    }

    Outcome Csca(Type t)
    {
        if (t == TEST)
            return Ok();
        if (t == READ) {
            Add(std::string("+CSCA: \"") + kCentre + "\",145");
            return Ok();
        }
        return Cms(302);  // the centre is the network's
    }

    Outcome Csms(Type t, const std::vector<Arg> &a)
    {
        if (t == TEST)
            Add("+CSMS: (0)");
        else if (t == READ)
            Add("+CSMS: 0,1,1,1");
        else if (t == SET && a.size() == 1 && a[0].s == "0")
            Add("+CSMS: 1,1,1");
        else
            return t == SET ? Cms(303) : Err();
        return Ok();
    }

    Outcome Cnmi(Type t, const std::vector<Arg> &a)
    {
        if (t == TEST)
            Add("+CNMI: (0),(0),(0),(0),(0)");
        else if (t == READ)
            Add("+CNMI: 0,0,0,0,0");
        else if (t == SET && a.size() <= 5) {
            // Nothing arrives on its own here: only "no indications" is taken.
            for (const Arg &x : a)
                if (!x.s.empty() && x.s != "0")
                    return Cms(303);
        } else
            return Err();
        return Ok();
    }

    // ---- dispatch -------------------------------------------------------

    Outcome Extended(const std::string &name, Type t, const std::vector<Arg> &a)
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
    Outcome Body(const std::string &body, bool *pfData)
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
};

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
