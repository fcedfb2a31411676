// Short messages as the air interface carries them (3GPP TS 23.038, 23.040).
#include "smspdu.h"
#include <cstring>
#include <vector>

namespace {
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

const char kHex[] = "0123456789ABCDEF";
const char kBcd[] = "0123456789*#";  // semi-octets 0..11 of an address

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

int BcdOf(char c)
{
    const char *p = strchr(kBcd, c);
    return c && p ? (int)(p - kBcd) : -1;
}

// The address field: length in digits, type of number, swapped semi-octets.
bool EncodeAddress(const std::string &number, bool fCentre, std::string *pOut)
{
    if (!SmsIsPduNumber(number))
        return false;
    bool fIntl = !number.empty() && number[0] == '+';
    std::string digits = fIntl ? number.substr(1) : number;
    size_t cOctets = (digits.size() + 1) / 2;
    // The centre's length counts octets (with its type), a party's counts digits.
    *pOut += (char)(fCentre ? cOctets + 1 : digits.size());
    *pOut += (char)(fIntl ? 0x91 : 0x81);
    for (size_t i = 0; i < digits.size(); i += 2) {
        int lo = BcdOf(digits[i]);
        int hi = i + 1 < digits.size() ? BcdOf(digits[i + 1]) : 0xF;
        *pOut += (char)(lo | (hi << 4));
    }
    return true;
}

// A party's address at *pi; false when it runs past the end or is no number.
bool DecodeAddress(const std::string &o, size_t *pi, std::string *pNumber)
{
    if (*pi + 2 > o.size())
        return false;
    size_t cDigits = (BYTE)o[*pi];
    BYTE bType = (BYTE)o[*pi + 1];
    size_t cOctets = (cDigits + 1) / 2;
    if (cDigits > SMS_MAX_DIGITS || !(bType & 0x80) || *pi + 2 + cOctets > o.size())
        return false;
    int iTon = (bType >> 4) & 7;
    if (iTon == 5)
        return false;  // an alphanumeric sender is no number the SIM keeps
    std::string number = iTon == 1 && cDigits ? "+" : "";
    for (size_t k = 0; k < cDigits; ++k) {
        BYTE b = (BYTE)o[*pi + 2 + k / 2];
        int d = k % 2 ? b >> 4 : b & 0xF;
        if (d >= 12)
            return false;
        number += kBcd[d];
    }
    if (cDigits % 2 && ((BYTE)o[*pi + 2 + cOctets - 1] >> 4) != 0xF)
        return false;
    *pi += 2 + cOctets;
    *pNumber = number;
    return true;
}

int Field(const std::string &t, size_t i)
{
    return (t[i] - '0') * 10 + (t[i + 1] - '0');
}

BYTE SwapBcd(int v)
{
    return (BYTE)((v % 10) << 4 | (v / 10));
}

void EncodeTime(const std::string &t, std::string *pOut)
{
    for (size_t i : {0, 3, 6, 9, 12, 15})
        *pOut += (char)SwapBcd(Field(t, i));
    int q = Field(t, 18);
    if (q > 79)
        q = 0;  // the zone's tens digit has three bits
    *pOut += (char)(SwapBcd(q) | (t[17] == '-' ? 0x08 : 0));
}

bool DecodeTime(const std::string &o, size_t *pi, std::string *pTime)
{
    if (*pi + 7 > o.size())
        return false;
    std::string t;
    for (int k = 0; k < 7; ++k) {
        BYTE b = (BYTE)o[*pi + k];
        int tens = k == 6 ? b & 0x07 : b & 0x0F, units = b >> 4;
        if (tens > 9 || units > 9)
            return false;
        if (k == 6)
            t += b & 0x08 ? '-' : '+';
        else if (k)
            t += k == 3 ? ',' : k < 3 ? '/' : ':';
        t += (char)('0' + tens);
        t += (char)('0' + units);
    }
    if (!SmsIsTimeStamp(t))
        return false;
    *pi += 7;
    *pTime = t;
    return true;
}

size_t HeaderSeptets(size_t cbUdh)
{
    return cbUdh ? ((cbUdh + 1) * 8 + 6) / 7 : 0;
}

// Room for the text beside a header: septets, octets or UTF-16 units.
size_t RoomFor(int iCoding, size_t cbUdh)
{
    size_t cbHeader = cbUdh ? cbUdh + 1 : 0;
    if (iCoding == SMS_CODING_GSM)
        return SMS_MAX_SEPTETS - HeaderSeptets(cbUdh);
    return iCoding == SMS_CODING_UCS2 ? (SMS_MAX_OCTETS - cbHeader) / 2 : SMS_MAX_OCTETS - cbHeader;
}

// User data: length, then header and text of the coding.
bool EncodeUserData(const SmsMessage &m, std::string *pOut)
{
    if (m.udh.size() > SMS_MAX_OCTETS - 2)
        return false;
    std::string header;
    if (!m.udh.empty())
        header = (char)m.udh.size() + m.udh;
    if (m.iCoding == SMS_CODING_GSM) {
        std::string codes;
        for (WCHAR ch : m.text)
            if (!GsmEncodeChar(ch, &codes))
                return false;
        size_t cSkip = HeaderSeptets(m.udh.size());
        if (codes.size() > SMS_MAX_SEPTETS - cSkip)
            return false;
        size_t cSeptets = cSkip + codes.size();
        std::string ud((cSeptets * 7 + 7) / 8, '\0');
        memcpy(&ud[0], header.data(), header.size());
        for (size_t k = 0; k < codes.size(); ++k) {
            size_t bit = (cSkip + k) * 7;
            unsigned v = (BYTE)codes[k] << (bit % 8);
            ud[bit / 8] = (char)((BYTE)ud[bit / 8] | (v & 0xFF));
            if ((v >> 8) && bit / 8 + 1 < ud.size())
                ud[bit / 8 + 1] = (char)((BYTE)ud[bit / 8 + 1] | (v >> 8));
        }
        *pOut += (char)cSeptets;
        *pOut += ud;
        return true;
    }
    std::string body = header;
    for (WCHAR ch : m.text) {
        if (m.iCoding == SMS_CODING_UCS2)
            body += (char)(ch >> 8);
        else if (ch > 0xFF)
            return false;
        body += (char)(ch & 0xFF);
    }
    if (m.iCoding != SMS_CODING_UCS2 && m.iCoding != SMS_CODING_8BIT)
        return false;
    if (body.size() > SMS_MAX_OCTETS)
        return false;
    *pOut += (char)body.size();
    *pOut += body;
    return true;
}

bool DecodeUserData(const std::string &o, size_t i, bool fUdhi, SmsMessage *pm)
{
    if (i >= o.size())
        return false;
    size_t cLength = (BYTE)o[i++];
    bool fGsm = pm->iCoding == SMS_CODING_GSM;
    size_t cbData = fGsm ? (cLength * 7 + 7) / 8 : cLength;
    if (cLength > (fGsm ? SMS_MAX_SEPTETS : SMS_MAX_OCTETS) || i + cbData != o.size())
        return false;
    std::string ud = o.substr(i);
    size_t cbHeader = 0;
    pm->udh.clear();
    if (fUdhi) {
        if (ud.empty() || (size_t)(BYTE)ud[0] + 1 > ud.size())
            return false;
        cbHeader = (BYTE)ud[0] + 1;
        pm->udh = ud.substr(1, cbHeader - 1);
    }
    pm->text.clear();
    if (fGsm) {
        size_t cSkip = HeaderSeptets(pm->udh.size());
        if (fUdhi && cSkip > cLength)
            return false;
        std::string codes;
        for (size_t k = cSkip; k < cLength; ++k) {
            size_t bit = k * 7;
            unsigned v = (BYTE)ud[bit / 8];
            if (bit / 8 + 1 < ud.size())
                v |= (unsigned)(BYTE)ud[bit / 8 + 1] << 8;
            codes += (char)((v >> (bit % 8)) & 0x7F);
        }
        return GsmDecode(codes, &pm->text);
    }
    if (pm->iCoding == SMS_CODING_UCS2 && (cLength - cbHeader) % 2)
        return false;
    for (size_t k = cbHeader; k < cLength; ++k) {
        if (pm->iCoding == SMS_CODING_UCS2) {
            pm->text += (WCHAR)((BYTE)ud[k] << 8 | (BYTE)ud[k + 1]);
            ++k;
        } else {
            pm->text += (WCHAR)(BYTE)ud[k];
        }
    }
    return true;
}

} // namespace

bool GsmEncodeChar(WCHAR ch, std::string *pCodes)
{
    for (int c = 0; c < 128; ++c)
        if (kGsm[c] == ch && c != 0x1B) {
            *pCodes += (char)c;
            return true;
        }
    for (const auto &e : kGsmExt)
        if (e.ch == ch) {
            *pCodes += '\x1B';
            *pCodes += (char)e.code;
            return true;
        }
    return false;
}

std::string GsmEncode(const std::wstring &text, bool *pfExact)
{
    std::string codes;
    for (WCHAR ch : text)
        if (!GsmEncodeChar(ch, &codes)) {
            codes += '?';
            if (pfExact)
                *pfExact = false;
        }
    return codes;
}

bool GsmDecode(const std::string &codes, std::wstring *pText)
{
    pText->clear();
    for (size_t i = 0; i < codes.size(); ++i) {
        BYTE b = (BYTE)codes[i];
        if (b >= 0x80)
            return false;
        if (b != 0x1B) {
            *pText += kGsm[b];
            continue;
        }
        WCHAR ch = L' ';  // an escape with no known code after it reads as a space
        if (i + 1 < codes.size()) {
            BYTE c = (BYTE)codes[++i];
            if (c >= 0x80)
                return false;
            ch = kGsm[c] == 0x1B ? L' ' : kGsm[c];
            for (const auto &e : kGsmExt)
                if (e.code == c)
                    ch = e.ch;
        }
        *pText += ch;
    }
    return true;
}

std::string HexEncode(const std::string &octets)
{
    std::string hex;
    for (char c : octets) {
        hex += kHex[(BYTE)c >> 4];
        hex += kHex[(BYTE)c & 0xF];
    }
    return hex;
}

bool HexDecode(const std::string &hex, std::string *pOctets)
{
    if (hex.size() % 2)
        return false;
    pOctets->clear();
    for (size_t i = 0; i < hex.size(); i += 2) {
        int hi = HexDigit(hex[i]), lo = HexDigit(hex[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        *pOctets += (char)(hi << 4 | lo);
    }
    return true;
}

std::string Ucs2HexEncode(const std::wstring &text)
{
    std::string octets;
    for (WCHAR ch : text) {
        octets += (char)(ch >> 8);
        octets += (char)(ch & 0xFF);
    }
    return HexEncode(octets);
}

bool Ucs2HexDecode(const std::string &hex, std::wstring *pText)
{
    std::string octets;
    if (hex.size() % 4 || !HexDecode(hex, &octets))
        return false;
    pText->clear();
    for (size_t i = 0; i < octets.size(); i += 2)
        *pText += (WCHAR)((BYTE)octets[i] << 8 | (BYTE)octets[i + 1]);
    return true;
}

bool SmsIsTimeStamp(const std::string &t)
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
    return Field(t, 3) >= 1 && Field(t, 3) <= 12 && Field(t, 6) >= 1 && Field(t, 6) <= 31 && Field(t, 9) <= 23 &&
           Field(t, 12) <= 59 && Field(t, 15) <= 59;
}

bool SmsIsPduNumber(const std::string &number)
{
    size_t i = !number.empty() && number[0] == '+' ? 1 : 0;
    if (number.size() - i > SMS_MAX_DIGITS)
        return false;
    for (; i < number.size(); ++i)
        if (BcdOf(number[i]) < 0)
            return false;
    return true;
}

int SmsCodingOf(BYTE bDcs)
{
    switch (bDcs >> 4) {
    case 0x0: case 0x1: case 0x2: case 0x3: case 0x4: case 0x5: case 0x6: case 0x7: {
        if (bDcs & 0x20)
            return -1;
        const int aiAlphabet[4] = {SMS_CODING_GSM, SMS_CODING_8BIT, SMS_CODING_UCS2, -1};
        return aiAlphabet[(bDcs >> 2) & 3];
    }
    case 0xC: case 0xD:
        return SMS_CODING_GSM;
    case 0xE:
        return SMS_CODING_UCS2;
    case 0xF:
        return bDcs & 0x04 ? SMS_CODING_8BIT : SMS_CODING_GSM;
    default:
        return -1;
    }
}
bool SmsEncodeTpdu(const SmsMessage &m, std::string *pOctets)
{
    std::string o;
    bool fUdhi = !m.udh.empty();
    if (m.fDeliver) {
        if (!SmsIsTimeStamp(m.time))
            return false;
        o += (char)(0x04 | (fUdhi ? 0x40 : 0));  // no more messages waiting
    } else {
        o += (char)(0x11 | (fUdhi ? 0x40 : 0));  // relative validity period
        o += '\0';                                // message reference
    }
    if (!EncodeAddress(m.number, false, &o))
        return false;
    o += '\0';  // protocol identifier
    o += (char)m.iCoding;
    if (m.fDeliver)
        EncodeTime(m.time, &o);
    else
        o += '\xA7';  // one day
    if (!EncodeUserData(m, &o))
        return false;
    *pOctets = o;
    return true;
}

bool SmsDecodeTpdu(const std::string &o, SmsMessage *pm)
{
    if (o.empty())
        return false;
    BYTE bFirst = (BYTE)o[0];
    SmsMessage m;
    size_t i = 1;
    int iMti = bFirst & 3;
    if (iMti != 0 && iMti != 1)
        return false;  // neither a delivery nor a submission
    m.fDeliver = iMti == 0;
    if (!m.fDeliver)
        ++i;  // message reference
    if (!DecodeAddress(o, &i, &m.number) || i + 2 > o.size())
        return false;
    ++i;  // protocol identifier
    m.iCoding = SmsCodingOf((BYTE)o[i++]);
    if (m.iCoding < 0)
        return false;
    if (m.fDeliver) {
        if (!DecodeTime(o, &i, &m.time))
            return false;
    } else {
        const size_t acbPeriod[4] = {0, 7, 1, 7};  // none, enhanced, relative, absolute
        i += acbPeriod[(bFirst >> 3) & 3];
    }
    if (!DecodeUserData(o, i, (bFirst & 0x40) != 0, &m))
        return false;
    *pm = m;
    return true;
}

std::wstring SmsFitText(const std::wstring &text, int iCoding, size_t cbUdh)
{
    size_t cRoom = RoomFor(iCoding, cbUdh), cUsed = 0, i = 0;
    for (; i < text.size(); ++i) {
        size_t c = 1;
        if (iCoding == SMS_CODING_GSM) {
            std::string codes;
            c = GsmEncodeChar(text[i], &codes) ? codes.size() : 1;
        } else if (iCoding == SMS_CODING_UCS2 && text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size()) {
            c = 2;
        }
        if (cUsed + c > cRoom)
            break;
        cUsed += c;
        i += c == 2 && iCoding == SMS_CODING_UCS2 ? 1 : 0;
    }
    return text.substr(0, i);
}

bool SmsEncodeCentre(const std::string &number, std::string *pOctets)
{
    pOctets->clear();
    if (number.empty()) {
        *pOctets += '\0';
        return true;
    }
    return EncodeAddress(number, true, pOctets);
}

bool SmsDecodePdu(const std::string &o, size_t cbTpdu, SmsMessage *pm)
{
    if (o.empty())
        return false;
    size_t cbCentre = (BYTE)o[0] + 1;
    if (cbCentre > 12 || cbCentre + cbTpdu != o.size())
        return false;
    return SmsDecodeTpdu(o.substr(cbCentre), pm);
}
