// Message texts as the radio carries them: GSM 7-bit codes (3GPP TS 23.038,
// with its Greek capitals and extension table) or UCS2, both in hex digits.
#include "simsms.h"
#include "trace.h"

const BYTE GsmDefaultAlphabet[128] = {
    0x40, 0xA3, 0x24, 0xA5, 0xE8, 0xE9, 0xF9, 0xEC, 0xF2, 0xC7, 0x0A, 0xD8, 0xF8, 0x0D, 0xC5, 0xE5,
    0xAC, 0x5F, 0xAC, 0xAC, 0xAC, 0xAC, 0xAC, 0xAC, 0xAC, 0xAC, 0xAC, 0xAC, 0xC6, 0xE6, 0xDF, 0xC9,
    0x20, 0x21, 0x22, 0x23, 0xA4, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D, 0x2E, 0x2F,
    0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F,
    0xA1, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F,
    0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0xC4, 0xD6, 0xD1, 0xDC, 0xA7,
    0xBF, 0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6A, 0x6B, 0x6C, 0x6D, 0x6E, 0x6F,
    0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0xE4, 0xF6, 0xF1, 0xFC, 0xE0,
};

static const BYTE GSM_ESCAPE = 0x1B;
static const BYTE GSM_PLACEHOLDER = 0xAC;  // the table's value where Latin-1 has no character

// The Greek capitals that stand at the table's placeholders.
static const struct {
    BYTE code;
    WCHAR ch;
} s_aGreek[] = {{0x10, 0x0394}, {0x12, 0x03A6}, {0x13, 0x0393}, {0x14, 0x039B}, {0x15, 0x03A9},
                {0x16, 0x03A0}, {0x17, 0x03A8}, {0x18, 0x03A3}, {0x19, 0x0398}, {0x1A, 0x039E}};

// The extension table: each goes as the escape code and its own code.
static const struct {
    BYTE code;
    WCHAR ch;
} s_aExtension[] = {{0x0A, 0x000C}, {0x14, L'^'}, {0x28, L'{'}, {0x29, L'}'}, {0x2F, L'\\'},
                    {0x3C, L'['},   {0x3D, L'~'}, {0x3E, L']'}, {0x40, L'|'}, {0x65, 0x20AC}};

// The codes of one character: 0 (none), 1 or 2 of them.
static size_t GsmCodesOf(WCHAR ch, BYTE abCodes[2])
{
    if (ch < 0x100 && ch != GSM_PLACEHOLDER) {
        for (BYTE code = 0; code < 128; ++code) {
            if (GsmDefaultAlphabet[code] == ch) {
                abCodes[0] = code;
                return 1;
            }
        }
    }
    for (const auto &g : s_aGreek) {
        if (g.ch == ch) {
            abCodes[0] = g.code;
            return 1;
        }
    }
    for (const auto &e : s_aExtension) {
        if (e.ch == ch) {
            abCodes[0] = GSM_ESCAPE;
            abCodes[1] = e.code;
            return 2;
        }
    }
    return 0;
}

// The character of a default-alphabet code (below 0x80).
static WCHAR GsmCharOf(BYTE code)
{
    for (const auto &g : s_aGreek)
        if (g.code == code)
            return g.ch;
    return GsmDefaultAlphabet[code];
}

BOOL IsStrGsmAlphaOnlyUCS2(LPCWSTR pszText)
{
    BYTE abCodes[2];
    for (LPCWSTR p = pszText; *p; ++p) {
        if (!GsmCodesOf(*p, abCodes)) {
            TRACE(L"IsStrGsmAlphaOnlyUCS2 => ucs2 \r\n");
            return FALSE;
        }
    }
    TRACE(L"IsStrGsmAlphaOnlyUCS2 => GSM \r\n");
    return TRUE;
}

size_t GsmSeptetCount(LPCWSTR pszText)
{
    size_t c = 0;
    BYTE abCodes[2];
    for (LPCWSTR p = pszText; *p; ++p)
        c += GsmCodesOf(*p, abCodes);
    return c;
}

size_t GsmEncodeText(LPCWSTR pszText, BYTE *pbCodes, size_t cbCodes)
{
    size_t c = 0;
    BYTE abCodes[2];
    for (LPCWSTR p = pszText; *p; ++p) {
        size_t n = GsmCodesOf(*p, abCodes);
        if (c + n > cbCodes)
            break;
        for (size_t i = 0; i < n; ++i)
            pbCodes[c++] = abCodes[i];
    }
    return c;
}

size_t BytesToHex(LPWSTR pszOut, size_t cchOut, const BYTE *pb, size_t cb)
{
    static const WCHAR s_szDigits[] = L"0123456789ABCDEF";
    if (!cchOut)
        return 0;
    if (cb > (cchOut - 1) / 2)
        cb = (cchOut - 1) / 2;
    for (size_t i = 0; i < cb; ++i) {
        pszOut[2 * i] = s_szDigits[pb[i] >> 4];
        pszOut[2 * i + 1] = s_szDigits[pb[i] & 0xF];
    }
    pszOut[2 * cb] = 0;
    return 2 * cb;
}

void TCharConvertToChar(BYTE *pb, size_t cb)
{
    for (size_t i = 0; i + 1 < cb; i += 2) {
        BYTE b = pb[i];
        pb[i] = pb[i + 1];
        pb[i + 1] = b;
    }
}

// The value of a hex digit, or -1 for any other character.
static int HexValue(WCHAR ch)
{
    if (ch >= L'0' && ch <= L'9')
        return ch - L'0';
    if (ch >= L'A' && ch <= L'F')
        return ch - L'A' + 10;
    if (ch >= L'a' && ch <= L'f')
        return ch - L'a' + 10;
    return -1;
}

// The next group of up to cDigits hex digits; FALSE at the end of the data,
// which is the first character that is no hex digit.
static BOOL NextGroup(LPCWSTR &p, int cDigits, unsigned *pu)
{
    if (HexValue(*p) < 0)
        return FALSE;
    unsigned u = 0;
    for (int i = 0; i < cDigits && HexValue(*p) >= 0; ++i, ++p)
        u = u * 16 + HexValue(*p);
    *pu = u;
    return TRUE;
}

void DecodeMessageData(LPWSTR pszOut, size_t cchOut, LPCWSTR pszHex, BYTE bCoding)
{
    BOOL fGsm = (bCoding & 0x0C) == 0;
    size_t cch = 0;
    unsigned u;
    LPCWSTR p = pszHex;
    while (cch + 1 < cchOut && NextGroup(p, fGsm ? 2 : 4, &u)) {
        if (!fGsm) {
            if (u != 0)  // a NUL unit would end the text the caller reads
                pszOut[cch++] = (WCHAR)u;
            continue;
        }
        WCHAR ch = L' ';  // codes of 0x80 and above read as a space
        if (u == GSM_ESCAPE) {
            unsigned uNext;
            // Escape twice is the reserved second table: a space until one is defined.
            if (NextGroup(p, 2, &uNext) && uNext < 0x80 && uNext != GSM_ESCAPE) {
                ch = GsmCharOf((BYTE)uNext);  // an unknown extension reads as its own code
                for (const auto &e : s_aExtension)
                    if (e.code == uNext)
                        ch = e.ch;
            }
        } else if (u < 0x80) {
            ch = GsmCharOf((BYTE)u);
        }
        pszOut[cch++] = ch;
    }
}
