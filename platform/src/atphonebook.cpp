// The built-in AT modem's phone book commands (+CPBS, +CPBR, +CPBF, +CPBW,
// +CNUM) through the SIM service: the SIM's entries or its own numbers.
#include "atrun.h"

using namespace atrun;

namespace {
// Hands fn each entry from dwFirst to dwLast, passing over empty ones; stops
// at the first that cannot be read.
Outcome EachEntry(HSIM h, DWORD dwStorage, DWORD dwFirst, DWORD dwLast,
                  const std::function<void(DWORD, const SIMPHONEBOOKENTRY &)> &fn)
{
    for (DWORD i = dwFirst; i <= dwLast; ++i) {
        SIMPHONEBOOKENTRY e = {};
        e.cbSize = sizeof(e);
        HRESULT hr = SimReadPhonebookEntry(h, dwStorage, i, &e);
        if (hr == SIM_E_NOTFOUND)
            continue;
        if (FAILED(hr))
            return CmeOf(hr);
        fn(i, e);
    }
    return Ok();
}
} // namespace

DWORD PlatAtRun::Storage() const { return s.fOwnBook ? SIM_PBSTORAGE_OWNNUMBERS : SIM_PBSTORAGE_SIM; }

// The SIM's limits and the index range of the chosen book; an outcome when
// the SIM or its limits cannot be had.
Outcome PlatAtRun::Caps(const SimSession &sim, SIMCAPS *pCaps, DWORD *pdwMin, DWORD *pdwMax)
{
    if (FAILED(sim.hr))
        return CmeOf(sim.hr);
    pCaps->cbSize = sizeof(*pCaps);
    if (FAILED(SimGetDevCaps(sim.h, SIM_CAPSTYPE_ALL, pCaps)))
        return Cme(13);
    *pdwMin = s.fOwnBook ? 1 : pCaps->dwMinPBIndex;
    *pdwMax = s.fOwnBook ? 4 : pCaps->dwMaxPBIndex;
    return Ok();
}

std::string PlatAtRun::EntryLine(const char *pszPrefix, DWORD dwIndex, const SIMPHONEBOOKENTRY &e)
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

Outcome PlatAtRun::Cpbs(Type t, const std::vector<Arg> &a)
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

Outcome PlatAtRun::Cpbr(Type t, const std::vector<Arg> &a)
{
    if (t != TEST && t != SET)
        return Err();
    SimSession sim;
    SIMCAPS caps = {};
    DWORD dwMin, dwMax;
    Outcome o = Caps(sim, &caps, &dwMin, &dwMax);
    if (o.kind != K_OK)
        return o;
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
    return EachEntry(sim.h, Storage(), iFirst, iLast,
                     [&](DWORD i, const SIMPHONEBOOKENTRY &e) { Add(EntryLine("+CPBR: ", i, e)); });
}

Outcome PlatAtRun::Cpbf(Type t, const std::vector<Arg> &a)
{
    if (t != TEST && t != SET)
        return Err();
    SimSession sim;
    SIMCAPS caps = {};
    DWORD dwMin, dwMax;
    Outcome o = Caps(sim, &caps, &dwMin, &dwMax);
    if (o.kind != K_OK)
        return o;
    if (t == TEST) {
        Add("+CPBF: " + std::to_string(caps.dwMaxPBEAddressLength) + "," +
            std::to_string(caps.dwMaxPBETextLength));
        return Ok();
    }
    std::wstring find;
    if (a.size() != 1 || !a[0].fQuoted || !FromTe(a[0].s, s.iCharset, &find))
        return Cme(25);
    return EachEntry(sim.h, Storage(), dwMin, dwMax, [&](DWORD i, const SIMPHONEBOOKENTRY &e) {
        std::wstring name = e.lpszText;
        if (name.size() >= find.size() &&
            CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, name.c_str(), (int)find.size(), find.c_str(),
                           (int)find.size()) == CSTR_EQUAL)
            Add(EntryLine("+CPBF: ", i, e));
    });
}

Outcome PlatAtRun::Cpbw(Type t, const std::vector<Arg> &a)
{
    if (t == TEST || t == SET) {
        SimSession sim;
        SIMCAPS caps = {};
        DWORD dwMin, dwMax;
        Outcome o = Caps(sim, &caps, &dwMin, &dwMax);
        if (o.kind != K_OK)
            return o;
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

Outcome PlatAtRun::Cnum(Type t)
{
    if (t == TEST)
        return Ok();
    if (t != ACTION)
        return Err();
    SimSession sim;
    if (FAILED(sim.hr))
        return CmeOf(sim.hr);
    return EachEntry(sim.h, SIM_PBSTORAGE_OWNNUMBERS, 1, 4,
                     [&](DWORD, const SIMPHONEBOOKENTRY &e) { Add(EntryLine("+CNUM: ", 0, e)); });
}
