// The built-in AT modem's message commands of 3GPP TS 27.005, in PDU and
// text mode, over sim.json's "sms" storage.
#include "atrun.h"
#include <algorithm>
#include <cstring>

using nlohmann::json;
using namespace atrun;

namespace atrun {
// A stored message as the SIM keeps it in sim.json.
struct Stored {
    int iIndex;
    int iStatus;
    SmsMessage m;
};
} // namespace atrun

namespace {
const char kCentre[] = "+447700900000";  // the service centre every message names
const char *const kStatus[] = {"REC UNREAD", "REC READ", "STO UNSENT", "STO SENT", "ALL"};
const size_t kMaxNumber = 40;  // a stored message's number
const size_t kMaxStoredText = 255;

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

// 8-bit data as its octets (one character each).
std::string Octets(const std::wstring &w)
{
    std::string o;
    for (WCHAR ch : w)
        o += (char)(ch & 0xFF);
    return o;
}
} // namespace

// The messages in slot order, and the slot count.
HRESULT PlatAtRun::Messages(std::vector<Stored> *pv, DWORD *pdwTotal)
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

Outcome PlatAtRun::Cpms(Type t, const std::vector<Arg> &a)
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

Outcome PlatAtRun::Cmgf(Type t, const std::vector<Arg> &a)
{
    return Setting(t, a, "+CMGF", "(0,1)", 1, &s.iFormat);
}

Outcome PlatAtRun::Csmp(Type t, const std::vector<Arg> &a)
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

Outcome PlatAtRun::Csdh(Type t, const std::vector<Arg> &a)
{
    int iHeaders = s.fHeaders ? 1 : 0;
    Outcome o = Setting(t, a, "+CSDH", "(0,1)", 1, &iHeaders);
    s.fHeaders = iHeaders == 1;
    return o;
}

// The message data in text mode: the TE character set for 7-bit text,
// hex for octets and UCS2; *pcLength the characters 27.005 counts.
std::string PlatAtRun::TextData(const SmsMessage &m, size_t *pcLength)
{
    if (m.iCoding == SMS_CODING_GSM) {
        *pcLength = GsmEncode(m.text).size();
        return ToTe(m.text, s.iCharset);
    }
    *pcLength = m.text.size();  // UTF-16 units or octets
    return m.iCoding == SMS_CODING_UCS2 ? ToTe(m.text, CS_UCS2) : HexEncode(Octets(m.text));
}

// The header line (without its command name) and data of a message.
void PlatAtRun::Show(const char *pszPrefix, const Stored &st, bool fList)
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

Outcome PlatAtRun::Cmgr(Type t, const std::vector<Arg> &a)
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

Outcome PlatAtRun::Cmgl(Type t, const std::vector<Arg> &a)
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

Outcome PlatAtRun::Cmgd(Type t, const std::vector<Arg> &a)
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
Outcome PlatAtRun::Store(int iStatus, const SmsMessage &m)
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
Outcome PlatAtRun::CmgwLine(Type t, const std::vector<Arg> &a)
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

Outcome PlatAtRun::CmgwData(Type t, const std::vector<Arg> &a, const std::string &data)
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

Outcome PlatAtRun::Csca(Type t)
{
    if (t == TEST)
        return Ok();
    if (t == READ) {
        Add(std::string("+CSCA: \"") + kCentre + "\",145");
        return Ok();
    }
    return Cms(302);  // the centre is the network's
}

Outcome PlatAtRun::Csms(Type t, const std::vector<Arg> &a)
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

Outcome PlatAtRun::Cnmi(Type t, const std::vector<Arg> &a)
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
