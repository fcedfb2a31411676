// The AT modem behind the radio stand-in: the message commands of the text
// mode of 3GPP TS 27.005, with numeric result codes ("0" OK, "4" ERROR).
// Message data travels as hex: GSM 7-bit codes, one per two digits (data
// coding 0), or UTF-16 units, one per four digits (data coding 8). The
// messages live in sim.json's "sms" storage, as readable text.
#include "internal.h"
#include <cstring>
#include <mutex>
#include <vector>

using nlohmann::json;

namespace {
std::mutex g_mtx;
int g_iFormat = 0;   // +CMGF: 0 PDU, 1 text
int g_iCoding = 0;   // +CSMP data coding of the next write

const size_t kMaxNumber = 40;
const size_t kMaxText = 255;

// The GSM default alphabet, code -> UTF-16, and its extension table.
const WCHAR kGsm[128] = {
    L'@', 0xA3, L'$', 0xA5, 0xE8, 0xE9, 0xF9, 0xEC, 0xF2, 0xC7, L'\n', 0xD8, 0xF8, L'\r', 0xC5, 0xE5,
    0x394, L'_', 0x3A6, 0x393, 0x39B, 0x3A9, 0x3A0, 0x3A8, 0x3A3, 0x398, 0x39E, 0x1B, 0xC6, 0xE6, 0xDF, 0xC9,
    L' ', L'!', L'"', L'#', 0xA4, L'%', L'&', L'\'', L'(', L')', L'*', L'+', L',', L'-', L'.', L'/',
    L'0', L'1', L'2', L'3', L'4', L'5', L'6', L'7', L'8', L'9', L':', L';', L'<', L'=', L'>', L'?',
    0xA1, L'A', L'B', L'C', L'D', L'E', L'F', L'G', L'H', L'I', L'J', L'K', L'L', L'M', L'N', L'O',
    L'P', L'Q', L'R', L'S', L'T', L'U', L'V', L'W', L'X', L'Y', L'Z', 0xC4, 0xD6, 0xD1, 0xDC, 0xA7,
    0xBF, L'a', L'b', L'c', L'd', L'e', L'f', L'g', L'h', L'i', L'j', L'k', L'l', L'm', L'n', L'o',
    L'p', L'q', L'r', L's', L't', L'u', L'v', L'w', L'x', L'y', L'z', 0xE4, 0xF6, 0xF1, 0xFC, 0xE0,
};
const struct {
    BYTE code;
    WCHAR ch;
} kGsmExt[] = {{0x0A, 0x0C}, {0x14, L'^'}, {0x28, L'{'}, {0x29, L'}'}, {0x2F, L'\\'},
               {0x3C, L'['}, {0x3D, L'~'}, {0x3E, L']'}, {0x40, L'|'}, {0x65, 0x20AC}};

std::string Utf8(const std::wstring &w)
{
    int cb = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), (int)w.size(), nullptr, 0, nullptr, nullptr);
    std::string s(cb > 0 ? cb : 0, '\0');
    if (cb > 0)
        WideCharToMultiByte(CP_UTF8, 0, w.c_str(), (int)w.size(), &s[0], cb, nullptr, nullptr);
    return s;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Hex data of a write as text; false when it is no data of that coding.
bool DecodeData(const std::string &hex, int iCoding, std::wstring *pText)
{
    size_t cchGroup = iCoding == 8 ? 4 : 2;
    if (hex.size() % cchGroup)
        return false;
    std::vector<unsigned> units;
    for (size_t i = 0; i < hex.size(); i += cchGroup) {
        unsigned u = 0;
        for (size_t k = 0; k < cchGroup; ++k) {
            int d = HexDigit(hex[i + k]);
            if (d < 0)
                return false;
            u = u * 16 + d;
        }
        units.push_back(u);
    }
    pText->clear();
    for (size_t i = 0; i < units.size(); ++i) {
        if (iCoding == 8) {
            *pText += (WCHAR)units[i];
            continue;
        }
        if (units[i] >= 0x80)
            return false;
        if (units[i] != 0x1B) {
            *pText += kGsm[units[i]];
            continue;
        }
        WCHAR ch = L' ';  // an escape with no known code after it reads as a space
        if (i + 1 < units.size()) {
            ++i;
            ch = units[i] < 0x80 ? kGsm[units[i]] : L' ';
            for (const auto &e : kGsmExt)
                if (e.code == units[i])
                    ch = e.ch;
        }
        *pText += ch;
    }
    return pText->size() <= kMaxText;
}

const char kHex[] = "0123456789ABCDEF";

void AppendHex(std::string &s, unsigned u, int cDigits)
{
    for (int i = cDigits - 1; i >= 0; --i)
        s += kHex[(u >> (4 * i)) & 0xF];
}

// A stored text as the hex data of its coding; a character the GSM
// alphabet lacks reads as "?". cUnits: the length the reply shows.
std::string EncodeData(const std::wstring &text, int iCoding, size_t *pcUnits)
{
    std::string hex;
    *pcUnits = 0;
    for (WCHAR ch : text) {
        if (iCoding == 8) {
            AppendHex(hex, ch, 4);
            ++*pcUnits;
            continue;
        }
        int code = -1;
        for (int c = 0; c < 128 && code < 0; ++c)
            if (kGsm[c] == ch && c != 0x1B)
                code = c;
        for (const auto &e : kGsmExt)
            if (code < 0 && e.ch == ch) {
                AppendHex(hex, 0x1B, 2);
                ++*pcUnits;
                code = e.code;
            }
        AppendHex(hex, code < 0 ? '?' : code, 2);
        ++*pcUnits;
    }
    return hex;
}

bool IsDialable(const std::string &number)
{
    if (number.empty() || number.size() > kMaxNumber)
        return false;
    for (char c : number)
        if (!strchr("0123456789+*#pw ", c))
            return false;
    return true;
}

// A received time stamp "yy/MM/dd,hh:mm:ss+zz" (or -zz), each field in its range.
bool IsTimeStamp(const std::string &t)
{
    const char kShape[] = "99/99/99,99:99:99+99";
    if (t.size() != sizeof(kShape) - 1)
        return false;
    for (size_t i = 0; i < t.size(); ++i) {
        bool fOk = kShape[i] == '9' ? t[i] >= '0' && t[i] <= '9' : kShape[i] == '+' ? t[i] == '+' || t[i] == '-'
                                                                                    : t[i] == kShape[i];
        if (!fOk)
            return false;
    }
    auto field = [&](size_t i) { return (t[i] - '0') * 10 + (t[i + 1] - '0'); };
    return field(3) >= 1 && field(3) <= 12 && field(6) >= 1 && field(6) <= 31 && field(9) <= 23 &&
           field(12) <= 59 && field(15) <= 59;
}

std::string Upper(std::string s)
{
    for (char &c : s)
        if (c >= 'a' && c <= 'z')
            c = (char)(c - 'a' + 'A');
    return s;
}

bool ParseNumberArg(const std::string &s, int *pi)
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

std::vector<std::string> Split(const std::string &s, char chSep)
{
    std::vector<std::string> v(1);
    for (char c : s) {
        if (c == chSep)
            v.emplace_back();
        else
            v.back() += c;
    }
    return v;
}

const json *FindMessage(const json &msgs, DWORD dwIndex)
{
    for (const json &m : msgs)
        if (PlatProfileNumber(m, "index", 1, 255, 0) == dwIndex)
            return &m;
    return nullptr;
}

// +CMGR=index: the message with its header values shown.
bool ReadMessage(int iIndex, std::string *pOut)
{
    if (g_iFormat != 1)
        return false;
    std::string line;
    bool fFound = false;
    HRESULT hr = PlatSimSmsStorage([&](json &sms, DWORD dwTotal) {
        const json *pm = iIndex >= 1 && (DWORD)iIndex <= dwTotal ? FindMessage(sms["messages"], iIndex) : nullptr;
        if (!pm)
            return false;
        fFound = true;
        std::wstring text = PlatProfileText(*pm, "text", kMaxText, L"");
        std::wstring wnumber = PlatProfileText(*pm, "number", kMaxNumber, L"");
        std::string number = Utf8(wnumber);
        if (!IsDialable(number))
            number.clear();
        int iCoding = PlatProfileNumber(*pm, "coding", 0, 255, 0) == 8 ? 8 : 0;
        std::string status = Utf8(PlatProfileText(*pm, "status", 16, L"REC READ"));
        const char *const apszStatus[] = {"REC UNREAD", "REC READ", "STO UNSENT", "STO SENT"};
        bool fKnown = false;
        for (const char *psz : apszStatus)
            fKnown = fKnown || status == psz;
        if (!fKnown)
            status = "REC READ";
        std::string time = Utf8(PlatProfileText(*pm, "time", 20, L""));
        if (!IsTimeStamp(time))
            time = "26/01/01,00:00:00+00";
        size_t cUnits = 0;
        std::string data = EncodeData(text, iCoding, &cUnits);
        const char *pszType = !number.empty() && number[0] == '+' ? "145" : "129";
        line = "+CMGR: \"" + status + "\",\"" + number + "\",,";
        if (status.compare(0, 3, "REC") == 0)
            line += "\"" + time + "\"," + pszType + ",4,0," + std::to_string(iCoding);
        else
            line += std::string(pszType) + ",17,0," + std::to_string(iCoding) + ",167";
        line += ",\"+447700900000\",145," + std::to_string(cUnits) + "\r\n" + data + "\r\n";
        return false;
    });
    if (FAILED(hr) || !fFound)
        return false;
    *pOut += line;
    return true;
}

// +CMGW="number",type then the data up to Ctrl-Z: stored in the first free slot.
bool WriteMessage(const std::string &args, const std::string &data, std::string *pOut)
{
    if (g_iFormat != 1 || args.size() < 2 || args[0] != '"')
        return false;
    size_t iClose = args.find('"', 1);
    if (iClose == std::string::npos)
        return false;
    std::string number = args.substr(1, iClose - 1);
    std::string rest = args.substr(iClose + 1);
    if (!IsDialable(number) || (!rest.empty() && rest != ",129" && rest != ",145"))
        return false;
    std::wstring text;
    if ((g_iCoding != 0 && g_iCoding != 8) || !DecodeData(data, g_iCoding, &text) || text.empty())
        return false;
    std::wstring wnumber(number.begin(), number.end());
    DWORD dwIndex = 0;
    HRESULT hr = PlatSimSmsStorage([&](json &sms, DWORD dwTotal) {
        json &msgs = sms["messages"];
        for (DWORD i = 1; i <= dwTotal && !dwIndex; ++i)
            if (!FindMessage(msgs, i))
                dwIndex = i;
        if (!dwIndex)
            return false;
        msgs.push_back({{"index", dwIndex}, {"status", "STO UNSENT"}, {"number", number},
                        {"coding", (unsigned)g_iCoding}, {"text", Utf8(text)}});
        return true;
    });
    if (FAILED(hr) || !dwIndex) {
        *pOut += "+CMS ERROR: 322\r\n";
        return false;
    }
    *pOut += "+CMGW: " + std::to_string(dwIndex) + "\r\n";
    return true;
}

bool DeleteMessage(int iIndex)
{
    bool fDeleted = false;
    HRESULT hr = PlatSimSmsStorage([&](json &sms, DWORD) {
        json &msgs = sms["messages"];
        for (size_t i = 0; i < msgs.size(); ++i)
            if (PlatProfileNumber(msgs[i], "index", 1, 255, 0) == (ULONGLONG)iIndex) {
                msgs.erase(msgs.begin() + i);
                fDeleted = true;
                return true;
            }
        return false;
    });
    return SUCCEEDED(hr) && fDeleted;
}

// One command of a line, without its "+"; data is the text after a +CMGW line.
bool RunOne(const std::string &cmd, const std::string &data, std::string *pOut)
{
    std::string upper = Upper(cmd);
    int i = 0;
    if (upper.compare(0, 5, "CMGF=") == 0 && ParseNumberArg(cmd.substr(5), &i) && i <= 1) {
        g_iFormat = i;
        return true;
    }
    if (upper.compare(0, 5, "CSMP=") == 0) {
        std::vector<std::string> v = Split(cmd.substr(5), ',');
        if (v.size() != 4 || !ParseNumberArg(v[3], &i) || i > 255)
            return false;
        g_iCoding = i;
        return true;
    }
    if (upper.compare(0, 5, "CMGR=") == 0) {
        std::string arg = cmd.substr(5);
        while (!arg.empty() && arg.back() == ' ')
            arg.pop_back();
        return ParseNumberArg(arg, &i) && ReadMessage(i, pOut);
    }
    if (upper.compare(0, 5, "CMGD=") == 0)
        return ParseNumberArg(cmd.substr(5), &i) && DeleteMessage(i);
    if (upper.compare(0, 5, "CMGW=") == 0)
        return WriteMessage(cmd.substr(5), data, pOut);
    return false;
}
} // namespace

BOOL PlatModemRun(const std::string &command, std::string *pReply)
{
    std::lock_guard<std::mutex> lock(g_mtx);
    pReply->clear();
    size_t pos = 0;
    bool fOk = true;
    // A command line ends at CR; a +CMGW line is followed by its data up to Ctrl-Z.
    while (fOk && pos < command.size()) {
        size_t iEnd = command.find('\r', pos);
        if (iEnd == std::string::npos)
            iEnd = command.size();
        std::string line = command.substr(pos, iEnd - pos);
        pos = iEnd + 1;
        if (line.empty())
            continue;
        std::string data;
        if (Upper(line).find("+CMGW=") != std::string::npos) {
            size_t iZ = command.find('\x1A', pos);
            if (iZ == std::string::npos) {
                fOk = false;
                break;
            }
            data = command.substr(pos, iZ - pos);
            pos = iZ + 1;
        }
        if (Upper(line.substr(0, 2)) != "AT") {
            fOk = false;
            break;
        }
        std::vector<std::string> cmds = Split(line.substr(2), ';');
        for (size_t i = 0; fOk && i < cmds.size(); ++i) {
            if (cmds[i].empty() && cmds.size() == 1)
                continue;  // a bare "AT"
            fOk = cmds[i].size() > 1 && cmds[i][0] == '+' && RunOne(cmds[i].substr(1), data, pReply);
        }
    }
    if (!fOk && pReply->find("+CMS ERROR") == std::string::npos)
        *pReply += "4\r";
    else if (fOk)
        *pReply += "0\r";
    return fOk;
}

void PlatModemReset()
{
    std::lock_guard<std::mutex> lock(g_mtx);
    g_iFormat = 0;
    g_iCoding = 0;
}
