// The SIM service's work on an outside modem: the phone book over +CPBS,
// +CPBR and +CPBW (names in UCS2, so that every character survives), own
// numbers over +CNUM, message counts over +CPMS, the card over +CPIN? and
// +CFUN?. Every name and number that goes into a command is checked and
// quoted here: a number such as "+44;ATD112;" never reaches the modem.
#include "internal.h"
#include "simat.h"
#include "smspdu.h"
#include <strsafe.h>
#include <algorithm>
#include <mutex>

namespace {
const DWORD kTimeoutMs = 4000;
std::mutex g_mtx;  // a compound operation (find a free slot, then write) is one

const std::pair<std::string, std::string> kUcs2 = {"+CSCS", "\"UCS2\""};
const std::pair<std::string, std::string> kSimBook = {"+CPBS", "\"SM\""};
const std::pair<std::string, std::string> kOwnBook = {"+CPBS", "\"ON\""};
const std::pair<std::string, std::string> kSimMessages = {"+CPMS", "\"SM\""};

// A failed exchange as the SIM service's failure; CME numbers and their
// verbose texts both count.
HRESULT FailureOf(PlatAtResult r, const std::string &reply)
{
    if (r != PLATAT_ERROR)
        return SIM_E_SIMFAILURE;
    static const struct {
        int iCode;
        const char *pszText;
        HRESULT hr;
    } s_map[] = {{10, "SIM NOT INSERTED", SIM_E_NOSIM},     {20, "MEMORY FULL", SIM_E_MEMORYFULL},
                 {21, "INVALID INDEX", SIM_E_INVALIDINDEX}, {22, "NOT FOUND", SIM_E_NOTFOUND},
                 {11, "SIM PIN REQUIRED", SIM_E_SIMFAILURE}};
    size_t i = reply.rfind("+CME ERROR:");
    if (i == std::string::npos)
        return SIM_E_SIMFAILURE;
    std::string what = reply.substr(i + 11, reply.find('\r', i) - i - 11);
    size_t iStart = what.find_first_not_of(' ');
    what = iStart == std::string::npos ? "" : what.substr(iStart);
    for (char &c : what)
        c = (char)toupper((unsigned char)c);
    for (const auto &m : s_map)
        if (what == std::to_string(m.iCode) || what == m.pszText)
            return m.hr;
    return SIM_E_SIMFAILURE;
}

HRESULT Exchange(const std::string &command, std::string *pReply,
                 const std::vector<std::pair<std::string, std::string>> &needs)
{
    PlatAtResult r = PlatModemExchange(command + "\r", pReply, kTimeoutMs, needs);
    return r == PLATAT_OK ? S_OK : FailureOf(r, *pReply);
}

// The fields of each reply line that starts with the prefix; commas inside
// quotes belong to their field, and quotes are taken off.
std::vector<std::vector<std::string>> Lines(const std::string &reply, const char *pszPrefix)
{
    std::vector<std::vector<std::string>> lines;
    size_t cchPrefix = strlen(pszPrefix);
    for (size_t pos = 0; pos < reply.size();) {
        size_t iEnd = reply.find_first_of("\r\n", pos);
        if (iEnd == std::string::npos)
            iEnd = reply.size();
        std::string line = reply.substr(pos, iEnd - pos);
        pos = iEnd + 1;
        if (line.compare(0, cchPrefix, pszPrefix) != 0)
            continue;
        std::vector<std::string> fields(1);
        bool fQuoted = false;
        for (size_t i = cchPrefix; i < line.size(); ++i) {
            char c = line[i];
            if (c == '"')
                fQuoted = !fQuoted;
            else if (c == ',' && !fQuoted)
                fields.emplace_back();
            else if (c != ' ' || fQuoted || !fields.back().empty())
                fields.back() += c;
        }
        lines.push_back(fields);
    }
    return lines;
}

bool Number(const std::string &s, DWORD *pdw)
{
    if (s.empty() || s.size() > 9 || s.find_first_not_of("0123456789") != std::string::npos)
        return false;
    *pdw = (DWORD)strtoul(s.c_str(), nullptr, 10);
    return true;
}

// A name the modem gave in UCS2; a modem that ignored the character set
// gives it as it is.
std::wstring NameOf(const std::string &s)
{
    std::wstring w;
    if (!s.empty() && Ucs2HexDecode(s, &w))
        return w;
    w.clear();
    for (unsigned char c : s)
        w += c < 0x80 ? (WCHAR)c : L'?';
    return w;
}

// A number fit for a command: an optional leading "+", then what a SIM can
// dial (digits, *, #, pauses); blanks, dashes, dots and brackets a user typed
// for reading are left out. Anything else refuses the number.
bool CommandNumber(const WCHAR *psz, size_t cchMax, std::string *pOut)
{
    pOut->clear();
    for (size_t i = 0; i < MAX_LENGTH_ADDRESS && psz[i]; ++i) {
        WCHAR ch = psz[i];
        if (wcschr(L" -.()", ch))
            continue;
        bool fPlus = ch == L'+' && pOut->empty();
        if (!fPlus && !wcschr(L"0123456789*#pPwW", ch))
            return false;
        *pOut += (char)ch;
    }
    size_t cDigits = pOut->size() - (!pOut->empty() && (*pOut)[0] == '+');
    return cDigits > 0 && cDigits <= cchMax;
}

std::vector<std::pair<std::string, std::string>> BookNeeds(DWORD dwLocation)
{
    return {kUcs2, dwLocation == SIM_PBSTORAGE_OWNNUMBERS ? kOwnBook : kSimBook};
}

struct Range {
    DWORD dwMin = 1, dwMax = 0, cchNumber = 0, cchText = 0;
};

// +CPBR=? : (first-last),number length,text length
HRESULT RangeOf(DWORD dwLocation, Range *pr)
{
    std::string reply;
    HRESULT hr = Exchange("AT+CPBR=?", &reply, BookNeeds(dwLocation));
    if (FAILED(hr))
        return hr;
    auto lines = Lines(reply, "+CPBR:");
    if (lines.empty() || lines[0].size() < 3)
        return SIM_E_SIMFAILURE;
    std::string span = lines[0][0];
    size_t iDash = span.find('-');
    if (span.size() < 3 || span.front() != '(' || span.back() != ')' || iDash == std::string::npos ||
        !Number(span.substr(1, iDash - 1), &pr->dwMin) ||
        !Number(span.substr(iDash + 1, span.size() - iDash - 2), &pr->dwMax) || pr->dwMax < pr->dwMin ||
        !Number(lines[0][1], &pr->cchNumber) || !Number(lines[0][2], &pr->cchText))
        return SIM_E_SIMFAILURE;
    // Bounded as the profile's own card is.
    pr->dwMax = std::min<DWORD>(pr->dwMax, pr->dwMin + 999);
    pr->cchNumber = std::min<DWORD>(pr->cchNumber, MAX_LENGTH_ADDRESS - 1);
    pr->cchText = std::min<DWORD>(pr->cchText, MAX_LENGTH_PHONEBOOKENTRYTEXT - 1);
    return S_OK;
}

void FillEntry(const std::vector<std::string> &f, size_t iNumber, LPSIMPHONEBOOKENTRY pe)
{
    std::string number = f[iNumber];
    DWORD dwType = 129;
    Number(f.size() > iNumber + 1 ? f[iNumber + 1] : "", &dwType);
    if (dwType == 145 && (number.empty() || number[0] != '+'))
        number = "+" + number;
    std::wstring wnumber;
    for (unsigned char c : number)
        wnumber += c < 0x80 ? (WCHAR)c : L'?';
    std::wstring name = f.size() > iNumber + 2 ? NameOf(f[iNumber + 2]) : L"";
    ZeroMemory(pe, sizeof(*pe));
    pe->cbSize = sizeof(*pe);
    pe->dwParams = SIM_PARAM_PBE_ALL;
    StringCchCopyW(pe->lpszAddress, ARRAYSIZE(pe->lpszAddress), wnumber.c_str());
    StringCchCopyW(pe->lpszText, ARRAYSIZE(pe->lpszText), name.c_str());
    pe->dwAddressType = number.size() && number[0] == '+' ? SIM_ADDRTYPE_INTERNATIONAL : SIM_ADDRTYPE_UNKNOWN;
    pe->dwNumPlan = SIM_NUMPLAN_TELEPHONE;
}

// Own numbers as +CNUM lists them: slot n is the nth line.
HRESULT OwnNumbers(std::vector<std::vector<std::string>> *pLines)
{
    std::string reply;
    HRESULT hr = Exchange("AT+CNUM", &reply, {kUcs2});
    if (SUCCEEDED(hr))
        *pLines = Lines(reply, "+CNUM:");
    if (pLines->size() > 4)
        pLines->resize(4);
    return hr;
}
} // namespace

HRESULT SimAtCheckCard()
{
    std::string reply;
    HRESULT hr = Exchange("AT+CPIN?", &reply, {});
    if (FAILED(hr))
        return hr;
    auto pin = Lines(reply, "+CPIN:");
    if (pin.empty() || pin[0][0] != "READY")
        return SIM_E_SIMFAILURE;  // locked: the handset cannot read it
    // A modem without +CFUN keeps its radio on.
    if (SUCCEEDED(Exchange("AT+CFUN?", &reply, {}))) {
        auto fun = Lines(reply, "+CFUN:");
        if (!fun.empty() && fun[0][0] == "0")
            return SIM_E_RADIOOFF;
    }
    return S_OK;
}

HRESULT SimAtCaps(DWORD *pdwMin, DWORD *pdwMax, DWORD *pcchNumber, DWORD *pcchText)
{
    std::lock_guard<std::mutex> lock(g_mtx);
    Range r;
    HRESULT hr = RangeOf(SIM_PBSTORAGE_SIM, &r);
    if (FAILED(hr))
        return hr;
    *pdwMin = r.dwMin;
    *pdwMax = r.dwMax;
    *pcchNumber = r.cchNumber;
    *pcchText = r.cchText;
    return S_OK;
}

HRESULT SimAtBookStatus(DWORD dwLocation, DWORD *pdwUsed, DWORD *pdwTotal)
{
    std::lock_guard<std::mutex> lock(g_mtx);
    if (dwLocation == SIM_PBSTORAGE_OWNNUMBERS) {
        std::vector<std::vector<std::string>> lines;
        HRESULT hr = OwnNumbers(&lines);
        *pdwUsed = (DWORD)lines.size();
        *pdwTotal = 4;
        return hr;
    }
    std::string reply;
    HRESULT hr = Exchange("AT+CPBS?", &reply, BookNeeds(dwLocation));
    if (FAILED(hr))
        return hr;
    auto lines = Lines(reply, "+CPBS:");
    if (lines.empty() || lines[0].size() < 3 || !Number(lines[0][1], pdwUsed) || !Number(lines[0][2], pdwTotal))
        return SIM_E_SIMFAILURE;
    return S_OK;
}

HRESULT SimAtRead(DWORD dwLocation, DWORD dwIndex, LPSIMPHONEBOOKENTRY pe)
{
    std::lock_guard<std::mutex> lock(g_mtx);
    if (dwLocation == SIM_PBSTORAGE_OWNNUMBERS) {
        std::vector<std::vector<std::string>> lines;
        HRESULT hr = OwnNumbers(&lines);
        if (FAILED(hr))
            return hr;
        if (dwIndex < 1 || dwIndex > 4)
            return SIM_E_INVALIDINDEX;
        if (dwIndex > lines.size() || lines[dwIndex - 1].size() < 2)
            return SIM_E_NOTFOUND;
        std::vector<std::string> f = lines[dwIndex - 1];  // alpha,number,type
        FillEntry({f[1], f.size() > 2 ? f[2] : "", f[0]}, 0, pe);
        return S_OK;
    }
    std::string reply;
    HRESULT hr = Exchange("AT+CPBR=" + std::to_string(dwIndex), &reply, BookNeeds(dwLocation));
    if (FAILED(hr))
        return hr;
    for (const auto &f : Lines(reply, "+CPBR:")) {
        DWORD dw;
        if (f.size() >= 2 && Number(f[0], &dw) && dw == dwIndex) {
            FillEntry(f, 1, pe);
            return S_OK;
        }
    }
    return SIM_E_NOTFOUND;  // an empty slot answers OK alone
}

HRESULT SimAtWrite(DWORD dwLocation, DWORD dwIndex, const SIMPHONEBOOKENTRY &entry, DWORD *pdwStored)
{
    std::lock_guard<std::mutex> lock(g_mtx);
    Range r;
    HRESULT hr = dwLocation == SIM_PBSTORAGE_OWNNUMBERS ? S_OK : RangeOf(dwLocation, &r);
    if (FAILED(hr))
        return hr;
    if (dwLocation == SIM_PBSTORAGE_OWNNUMBERS) {
        r.dwMin = 1;
        r.dwMax = 4;
        r.cchNumber = MAX_LENGTH_ADDRESS - 1;
        r.cchText = MAX_LENGTH_PHONEBOOKENTRYTEXT - 1;
    }
    std::string number;
    if (!CommandNumber(entry.lpszAddress, r.cchNumber, &number))
        return E_INVALIDARG;
    if (dwIndex == SIM_PBINDEX_FIRSTAVAILABLE) {
        std::string reply;
        hr = Exchange("AT+CPBR=" + std::to_string(r.dwMin) + "," + std::to_string(r.dwMax), &reply,
                      BookNeeds(dwLocation));
        if (FAILED(hr) && hr != SIM_E_NOTFOUND)
            return hr;
        std::vector<bool> used(r.dwMax - r.dwMin + 1);
        for (const auto &f : Lines(reply, "+CPBR:")) {
            DWORD dw;
            if (Number(f[0], &dw) && dw >= r.dwMin && dw <= r.dwMax)
                used[dw - r.dwMin] = true;
        }
        dwIndex = 0;
        for (DWORD i = 0; i < used.size() && !dwIndex; ++i)
            if (!used[i])
                dwIndex = r.dwMin + i;
        if (!dwIndex)
            return SIM_E_MEMORYFULL;
    }
    if (dwIndex < r.dwMin || dwIndex > r.dwMax)
        return SIM_E_INVALIDINDEX;
    // The card holds no more than its own lengths, as the profile's does.
    size_t cchName = 0;
    while (cchName < r.cchText && cchName < MAX_LENGTH_PHONEBOOKENTRYTEXT && entry.lpszText[cchName])
        ++cchName;
    std::string command = "AT+CPBW=" + std::to_string(dwIndex) + ",\"" + number + "\"," +
                          (number[0] == '+' ? "145" : "129") + ",\"" +
                          Ucs2HexEncode(std::wstring(entry.lpszText, cchName)) + "\"";
    std::string reply;
    hr = Exchange(command, &reply, BookNeeds(dwLocation));
    if (SUCCEEDED(hr))
        *pdwStored = dwIndex;
    return hr;
}

HRESULT SimAtDelete(DWORD dwLocation, DWORD dwIndex)
{
    std::lock_guard<std::mutex> lock(g_mtx);
    std::string reply;
    return Exchange("AT+CPBW=" + std::to_string(dwIndex), &reply, BookNeeds(dwLocation));
}

HRESULT SimAtSmsStatus(DWORD *pdwUsed, DWORD *pdwTotal)
{
    std::lock_guard<std::mutex> lock(g_mtx);
    std::string reply;
    HRESULT hr = Exchange("AT+CPMS?", &reply, {kSimMessages});
    if (FAILED(hr))
        return hr;
    auto lines = Lines(reply, "+CPMS:");
    if (lines.empty() || lines[0].size() < 3 || !Number(lines[0][1], pdwUsed) || !Number(lines[0][2], pdwTotal))
        return SIM_E_SIMFAILURE;
    return S_OK;
}

HRESULT SimAtDeleteMessage(DWORD dwIndex)
{
    std::lock_guard<std::mutex> lock(g_mtx);
    std::string reply;
    return Exchange("AT+CMGD=" + std::to_string(dwIndex), &reply, {kSimMessages});
}
