// The SIM card and its service: the phone book, own numbers and message
// counters live in the profile's sim.json and are saved on every change.
// Notifications go out on the service's own thread, as on the handset.
#include "internal.h"
#include "simmgr.h"
#include "platsim.h"
#include "simat.h"
#include <strsafe.h>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <thread>

using nlohmann::json;

namespace {
struct SimHandle {
    SIMCALLBACK pfn;
    DWORD dwParam;
    bool fNotify;
};

struct Notice {
    DWORD dwCode;
    DWORD dwEntry;
};

std::mutex g_mtx;               // state and handles
std::condition_variable g_cvQueue;
std::deque<Notice> g_queue;
bool g_fDelivering = false;
bool g_fThreadStarted = false;
std::set<SimHandle *> g_handles;
json g_sim;
bool g_fLoaded = false;
DWORD g_dwFail = 0;
DWORD g_cReads = 0, g_cWrites = 0, g_cDeletes = 0;

const wchar_t kFile[] = L"sim.json";

std::string Narrow(const wchar_t *psz)
{
    int cb = WideCharToMultiByte(CP_UTF8, 0, psz, -1, nullptr, 0, nullptr, nullptr);
    std::string s(cb > 0 ? cb - 1 : 0, '\0');
    if (cb > 1)
        WideCharToMultiByte(CP_UTF8, 0, psz, -1, &s[0], cb, nullptr, nullptr);
    return s;
}

// Time and size of sim.json: either changing means someone else wrote it.
PlatFileStamp g_stampLoaded;

PlatFileStamp Stamp()
{
    return PlatProfileDir()[0] == 0 ? PlatFileStamp() : PlatStampOf(PlatProfilePath(kFile));
}

// A member of another type than the service keeps there (an object for a
// list, a text for a section) reads as empty and is never written over: the
// change that needed it fails at SaveLocked, and the file keeps what was
// written in it.
bool g_fMisshapen = false;

json &Member(json &parent, const char *pszKey, json::value_t type)
{
    static json s_standIn;
    if (!parent.contains(pszKey))
        parent[pszKey] = json(type);
    if (parent[pszKey].type() == type)
        return parent[pszKey];
    g_fMisshapen = true;
    s_standIn = json(type);
    return s_standIn;
}

// The file may be changed by another program: read it again when it did.
// Null while it is damaged: the card cannot be read, and nothing is saved
// over the file.
json *SimLocked()
{
    g_fMisshapen = false;  // each call meets the members it needs afresh
    PlatFileStamp st = Stamp();
    if (!g_fLoaded || st != g_stampLoaded) {
        json sim;
        if (!PlatProfileRead(kFile, sim)) {
            g_fLoaded = false;
            return nullptr;
        }
        g_sim = std::move(sim);
        g_stampLoaded = st;
        g_fLoaded = true;
    }
    return &g_sim;
}

// A change that did not reach sim.json did not happen: the card is read
// again from the file, and the caller reports the failure.
HRESULT SaveLocked()
{
    if (g_fMisshapen) {
        g_fLoaded = false;
        return SIM_E_SIMFAILURE;  // what changed lay in a stand-in, not the card
    }
    if (PlatProfileDir()[0] == 0)
        return S_OK;  // no profile: the card lives only as long as the process
    if (!PlatProfileSave(kFile, g_sim)) {
        g_fLoaded = false;
        return SIM_E_SIMFAILURE;
    }
    g_stampLoaded = Stamp();
    return S_OK;
}

// No SIM of the handset's time has more phone-book slots; a larger range
// would only have the programs read empty slots without end.
const DWORD kMaxIndex = 1000;
const DWORD kMaxSmsSlots = 255;
const size_t kMaxStoredText = 1024;  // longer entry texts read as empty

DWORD Num(const json &j, const char *pszKey, DWORD dwDefault)
{
    return (DWORD)PlatProfileNumber(j, pszKey, 0, 0xFFFFFFFFUL, dwDefault);
}

// A slot's index; 0 (no slot) when it is none.
DWORD IndexOf(const json &e)
{
    return (DWORD)PlatProfileNumber(e, "index", 1, kMaxIndex, 0);
}

bool Flag(const json &j, const char *pszKey)
{
    return PlatProfileFlag(j, pszKey, true);
}

json &Section(json &sim, const char *pszKey)
{
    return Member(sim, pszKey, json::value_t::object);
}

json &Entries(json &book)
{
    return Member(book, "entries", json::value_t::array);
}

struct Limits {
    DWORD dwMin, dwMax, cchText, cchAddress;
};

Limits LimitsOf(const json &sim)
{
    const json &book = PlatProfileObject(sim, "phonebook");
    Limits l;
    l.dwMin = (DWORD)PlatProfileNumber(book, "minIndex", 1, kMaxIndex, 1);
    l.dwMax = (DWORD)PlatProfileNumber(book, "maxIndex", 1, kMaxIndex, 250);
    l.cchText = (DWORD)PlatProfileNumber(book, "maxTextLength", 1, MAX_LENGTH_PHONEBOOKENTRYTEXT - 1, 14);
    l.cchAddress = (DWORD)PlatProfileNumber(book, "maxAddressLength", 1, MAX_LENGTH_ADDRESS - 1, 40);
    if (l.dwMax < l.dwMin) {  // no range at all: the default one
        l.dwMin = 1;
        l.dwMax = 250;
    }
    return l;
}

// The storage's book: the phone book, or the own numbers (one to four slots).
json &BookOf(json &sim, DWORD dwLocation, Limits *pl)
{
    *pl = LimitsOf(sim);
    if (dwLocation == SIM_PBSTORAGE_OWNNUMBERS) {
        pl->dwMin = 1;
        pl->dwMax = 4;
        return Section(sim, "ownNumbers");
    }
    return Section(sim, "phonebook");
}

json *FindEntry(json &entries, DWORD dwIndex)
{
    for (json &e : entries)
        if (IndexOf(e) == dwIndex)
            return &e;
    return nullptr;
}

// The card, when it can be reached: readable, present, and the radio on.
HRESULT CardLocked(json **ppsim)
{
    *ppsim = SimLocked();
    if (!*ppsim)
        return SIM_E_SIMFAILURE;
    if (!Flag(**ppsim, "present"))
        return SIM_E_NOSIM;
    if (!Flag(**ppsim, "radio"))
        return SIM_E_RADIOOFF;
    return S_OK;
}

HRESULT CheckLocked(HSIM hSim)
{
    if (!g_handles.count(reinterpret_cast<SimHandle *>(hSim)))
        return SIM_E_BADHANDLE;
    json *psim;
    return CardLocked(&psim);
}

// The checks every phone-book call makes: handle, card and radio, a failure
// a test asked for (dwFailBit, or 0), and the storage.
HRESULT CheckPhonebookLocked(HSIM hSim, DWORD dwFailBit, DWORD dwLocation)
{
    HRESULT hr = CheckLocked(hSim);
    if (FAILED(hr))
        return hr;
    if (g_dwFail & dwFailBit)
        return SIM_E_SIMFAILURE;
    if (dwLocation != SIM_PBSTORAGE_SIM && dwLocation != SIM_PBSTORAGE_OWNNUMBERS)
        return E_INVALIDARG;
    return S_OK;
}

void DeliveryThread()
{
    std::unique_lock<std::mutex> lock(g_mtx);
    for (;;) {
        g_cvQueue.wait(lock, [] { return !g_queue.empty(); });
        Notice n = g_queue.front();
        g_queue.pop_front();
        g_fDelivering = true;
        std::set<SimHandle *> handles = g_handles;
        for (SimHandle *p : handles) {
            if (!g_handles.count(p) || !p->fNotify || !p->pfn)
                continue;
            SIMPBECHANGE change = {n.dwEntry, SIM_PBSTORAGE_SIM};
            SIMCALLBACK pfn = p->pfn;
            DWORD dwParam = p->dwParam;
            lock.unlock();  // the callback calls back into the service
            pfn(n.dwCode, &change, sizeof(change), dwParam);
            lock.lock();
        }
        g_fDelivering = false;
        g_cvQueue.notify_all();
    }
}

void QueueLocked(DWORD dwCode, DWORD dwEntry)
{
    if (!g_fThreadStarted) {
        std::thread(DeliveryThread).detach();
        g_fThreadStarted = true;
    }
    g_queue.push_back({dwCode, dwEntry});
    g_cvQueue.notify_all();
}

std::string Cut(const WCHAR *psz, size_t cchMax, size_t cchLimit)
{
    size_t cch = 0;
    while (cch < cchMax && cch < cchLimit && psz[cch])
        ++cch;
    std::wstring w(psz, cch);
    return Narrow(w.c_str());
}

HRESULT StoreLocked(json &sim, DWORD dwLocation, DWORD dwIndex, const SIMPHONEBOOKENTRY &entry, DWORD *pdwStored)
{
    Limits l;
    json &book = BookOf(sim, dwLocation, &l);
    json &entries = Entries(book);
    if (dwIndex == SIM_PBINDEX_FIRSTAVAILABLE) {
        dwIndex = 0;
        for (DWORD s = l.dwMin; s <= l.dwMax && !dwIndex; ++s)
            if (!FindEntry(entries, s))
                dwIndex = s;
        if (!dwIndex)
            return SIM_E_MEMORYFULL;
    }
    if (dwIndex < l.dwMin || dwIndex > l.dwMax)
        return SIM_E_INVALIDINDEX;
    json e = json::object();
    e["index"] = dwIndex;
    // The card holds no more than its own lengths.
    e["name"] = Cut(entry.lpszText, MAX_LENGTH_PHONEBOOKENTRYTEXT, l.cchText);
    e["number"] = Cut(entry.lpszAddress, MAX_LENGTH_ADDRESS, l.cchAddress);
    e["addressType"] = entry.dwAddressType;
    e["numPlan"] = entry.dwNumPlan;
    if (json *pOld = FindEntry(entries, dwIndex))
        *pOld = e;
    else
        entries.push_back(e);
    *pdwStored = dwIndex;
    return S_OK;
}

// With an outside modem the card is the modem's and sim.json only names it:
// the handle is checked here, and the work is done over AT (simat.cpp)
// without the service's lock. dwLocation 0: no phone-book storage.
HRESULT OutsideCheck(HSIM hSim, DWORD dwFailBit, DWORD dwLocation, DWORD *pcCalls)
{
    std::lock_guard<std::mutex> lock(g_mtx);
    if (pcCalls)
        ++*pcCalls;
    if (!g_handles.count(reinterpret_cast<SimHandle *>(hSim)))
        return SIM_E_BADHANDLE;
    if (g_dwFail & dwFailBit)
        return SIM_E_SIMFAILURE;
    if (dwLocation && dwLocation != SIM_PBSTORAGE_SIM && dwLocation != SIM_PBSTORAGE_OWNNUMBERS)
        return E_INVALIDARG;
    return S_OK;
}

void OutsideNotify(DWORD dwLocation, DWORD dwCode, DWORD dwEntry)
{
    std::lock_guard<std::mutex> lock(g_mtx);
    if (dwLocation == SIM_PBSTORAGE_SIM)
        QueueLocked(dwCode, dwEntry);
}
} // namespace

std::string PlatSimModemName()
{
    std::lock_guard<std::mutex> lock(g_mtx);
    json *psim = SimLocked();
    return psim ? Narrow(PlatProfileText(*psim, "modem", 300, L"").c_str()) : std::string();
}

HRESULT PlatSimSmsStorage(const std::function<bool(json &sms, DWORD dwTotal)> &fn)
{
    std::lock_guard<std::mutex> lock(g_mtx);
    json *psim;
    HRESULT hr = CardLocked(&psim);
    if (FAILED(hr))
        return hr;
    json &sms = Section(*psim, "sms");
    Member(sms, "messages", json::value_t::array);
    json standIn = {{"messages", json::array()}};  // for a storage that is misshapen
    if (!fn(g_fMisshapen ? standIn : sms, (DWORD)PlatProfileNumber(sms, "total", 0, kMaxSmsSlots, 20)))
        return S_OK;
    return SaveLocked();
}

BOOL PlatSimRadioOn()
{
    std::lock_guard<std::mutex> lock(g_mtx);
    json *psim = SimLocked();
    return psim && Flag(*psim, "radio");
}

extern "C" {

HRESULT WINAPI SimInitialize(DWORD dwFlags, SIMCALLBACK lpfnCallBack, DWORD dwParam, LPHSIM lphSim)
{
    if (!lphSim)
        return E_INVALIDARG;
    *lphSim = nullptr;
    bool fOutside = PlatModemOutside() != FALSE;  // before the lock: it reads sim.json
    HRESULT hr = fOutside ? SimAtCheckCard() : S_OK;
    std::lock_guard<std::mutex> lock(g_mtx);
    json *psim;
    if (SUCCEEDED(hr) && !fOutside)
        hr = CardLocked(&psim);
    if (FAILED(hr))
        return hr;
    SimHandle *p = new SimHandle{lpfnCallBack, dwParam, (dwFlags & SIM_INIT_SIMCARD_NOTIFICATIONS) != 0};
    g_handles.insert(p);
    if (!g_fThreadStarted) {
        std::thread(DeliveryThread).detach();
        g_fThreadStarted = true;
    }
    *lphSim = reinterpret_cast<HSIM>(p);
    return S_OK;
}

HRESULT WINAPI SimDeinitialize(HSIM hSim)
{
    std::unique_lock<std::mutex> lock(g_mtx);
    SimHandle *p = reinterpret_cast<SimHandle *>(hSim);
    if (!g_handles.erase(p))
        return SIM_E_BADHANDLE;
    delete p;
    return S_OK;
}

HRESULT WINAPI SimGetDevCaps(HSIM hSim, DWORD dwCapsType, LPSIMCAPS lpSimCaps)
{
    if (!lpSimCaps)
        return E_INVALIDARG;
    Limits l;
    bool fOutside = PlatModemOutside() != FALSE;
    if (fOutside) {
        HRESULT hr = OutsideCheck(hSim, 0, 0, nullptr);
        if (SUCCEEDED(hr))
            hr = SimAtCaps(&l.dwMin, &l.dwMax, &l.cchAddress, &l.cchText);
        if (FAILED(hr))
            return hr;
    }
    std::lock_guard<std::mutex> lock(g_mtx);
    if (!fOutside) {
        HRESULT hr = CheckLocked(hSim);
        if (FAILED(hr))
            return hr;
        l = LimitsOf(g_sim);
    }
    ZeroMemory(lpSimCaps, sizeof(*lpSimCaps));
    lpSimCaps->cbSize = sizeof(*lpSimCaps);
    if (dwCapsType & SIM_CAPSTYPE_PBENTRYLENGTH) {
        lpSimCaps->dwMaxPBEAddressLength = l.cchAddress;
        lpSimCaps->dwMaxPBETextLength = l.cchText;
    }
    if (dwCapsType & SIM_CAPSTYPE_PBINDEXRANGE) {
        lpSimCaps->dwMinPBIndex = l.dwMin;
        lpSimCaps->dwMaxPBIndex = l.dwMax;
    }
    if (dwCapsType & SIM_CAPSTYPE_PBSTORAGES)
        lpSimCaps->dwPBStorages = SIM_PBSTORAGE_SIM | SIM_PBSTORAGE_OWNNUMBERS;
    lpSimCaps->dwParams = dwCapsType & SIM_CAPSTYPE_ALL;
    return S_OK;
}

HRESULT WINAPI SimGetPhonebookStatus(HSIM hSim, DWORD dwLocation, LPDWORD lpdwUsed, LPDWORD lpdwTotal)
{
    if (PlatModemOutside()) {
        DWORD dwUsed = 0, dwTotal = 0;
        HRESULT hr = OutsideCheck(hSim, 0, dwLocation, nullptr);
        if (SUCCEEDED(hr))
            hr = SimAtBookStatus(dwLocation, &dwUsed, &dwTotal);
        if (SUCCEEDED(hr) && lpdwUsed)
            *lpdwUsed = dwUsed;
        if (SUCCEEDED(hr) && lpdwTotal)
            *lpdwTotal = dwTotal;
        return hr;
    }
    std::lock_guard<std::mutex> lock(g_mtx);
    HRESULT hr = CheckPhonebookLocked(hSim, 0, dwLocation);
    if (FAILED(hr))
        return hr;
    Limits l;
    json &book = BookOf(g_sim, dwLocation, &l);
    DWORD cUsed = 0;
    for (const json &e : Entries(book)) {
        DWORD dw = IndexOf(e);
        if (dw >= l.dwMin && dw <= l.dwMax)
            ++cUsed;
    }
    // Some cards miscount their own use; "reportsUsed" stands for one.
    if (dwLocation == SIM_PBSTORAGE_SIM)
        cUsed = (DWORD)PlatProfileNumber(book, "reportsUsed", 0, 0xFFFFFFFFUL, cUsed);
    if (lpdwUsed)
        *lpdwUsed = cUsed;
    if (lpdwTotal)
        *lpdwTotal = l.dwMax - l.dwMin + 1;
    return S_OK;
}

HRESULT WINAPI SimReadPhonebookEntry(HSIM hSim, DWORD dwLocation, DWORD dwIndex, LPSIMPHONEBOOKENTRY lpEntry)
{
    if (!lpEntry)
        return E_INVALIDARG;
    if (PlatModemOutside()) {
        HRESULT hr = OutsideCheck(hSim, PLATSIM_FAIL_READ, dwLocation, &g_cReads);
        return SUCCEEDED(hr) ? SimAtRead(dwLocation, dwIndex, lpEntry) : hr;
    }
    std::lock_guard<std::mutex> lock(g_mtx);
    ++g_cReads;
    HRESULT hr = CheckPhonebookLocked(hSim, PLATSIM_FAIL_READ, dwLocation);
    if (FAILED(hr))
        return hr;
    Limits l;
    json &book = BookOf(g_sim, dwLocation, &l);
    if (dwIndex < l.dwMin || dwIndex > l.dwMax)
        return SIM_E_INVALIDINDEX;
    json *pe = FindEntry(Entries(book), dwIndex);
    if (!pe)
        return SIM_E_NOTFOUND;  // an empty slot
    ZeroMemory(lpEntry, sizeof(*lpEntry));
    lpEntry->cbSize = sizeof(*lpEntry);
    lpEntry->dwParams = SIM_PARAM_PBE_ALL;
    std::wstring name = PlatProfileText(*pe, "name", kMaxStoredText, L"");
    std::wstring number = PlatProfileText(*pe, "number", kMaxStoredText, L"");
    if (name.size() > l.cchText)
        name.resize(l.cchText);
    if (number.size() > l.cchAddress)
        number.resize(l.cchAddress);
    StringCchCopyW(lpEntry->lpszText, ARRAYSIZE(lpEntry->lpszText), name.c_str());
    StringCchCopyW(lpEntry->lpszAddress, ARRAYSIZE(lpEntry->lpszAddress), number.c_str());
    lpEntry->dwAddressType = Num(*pe, "addressType", number.size() && number[0] == L'+' ? 1 : 0);
    lpEntry->dwNumPlan = Num(*pe, "numPlan", SIM_NUMPLAN_TELEPHONE);
    return S_OK;
}

HRESULT WINAPI SimWritePhonebookEntry(HSIM hSim, DWORD dwLocation, DWORD dwIndex, LPSIMPHONEBOOKENTRY lpEntry)
{
    if (!lpEntry)
        return E_INVALIDARG;
    if (PlatModemOutside()) {
        DWORD dwStored = 0;
        HRESULT hr = OutsideCheck(hSim, PLATSIM_FAIL_WRITE, dwLocation, &g_cWrites);
        if (SUCCEEDED(hr))
            hr = SimAtWrite(dwLocation, dwIndex, *lpEntry, &dwStored);
        if (SUCCEEDED(hr))
            OutsideNotify(dwLocation, SIM_NOTIFY_PBE_STORED, dwStored);
        return hr;
    }
    std::lock_guard<std::mutex> lock(g_mtx);
    ++g_cWrites;
    HRESULT hr = CheckPhonebookLocked(hSim, PLATSIM_FAIL_WRITE, dwLocation);
    if (FAILED(hr))
        return hr;
    DWORD dwStored = 0;
    hr = StoreLocked(g_sim, dwLocation, dwIndex, *lpEntry, &dwStored);
    if (FAILED(hr))
        return hr;
    hr = SaveLocked();
    if (FAILED(hr))
        return hr;
    if (dwLocation == SIM_PBSTORAGE_SIM)
        QueueLocked(SIM_NOTIFY_PBE_STORED, dwStored);
    return S_OK;
}

HRESULT WINAPI SimDeletePhonebookEntry(HSIM hSim, DWORD dwLocation, DWORD dwIndex)
{
    if (PlatModemOutside()) {
        HRESULT hr = OutsideCheck(hSim, PLATSIM_FAIL_DELETE, dwLocation, &g_cDeletes);
        if (SUCCEEDED(hr))
            hr = SimAtDelete(dwLocation, dwIndex);
        if (SUCCEEDED(hr))
            OutsideNotify(dwLocation, SIM_NOTIFY_PBE_DELETED, dwIndex);
        return hr;
    }
    std::lock_guard<std::mutex> lock(g_mtx);
    ++g_cDeletes;
    HRESULT hr = CheckPhonebookLocked(hSim, PLATSIM_FAIL_DELETE, dwLocation);
    if (FAILED(hr))
        return hr;
    Limits l;
    json &entries = Entries(BookOf(g_sim, dwLocation, &l));
    if (dwIndex < l.dwMin || dwIndex > l.dwMax)
        return SIM_E_INVALIDINDEX;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (IndexOf(entries[i]) != dwIndex)
            continue;
        entries.erase(entries.begin() + i);
        hr = SaveLocked();
        if (FAILED(hr))
            return hr;
        if (dwLocation == SIM_PBSTORAGE_SIM)
            QueueLocked(SIM_NOTIFY_PBE_DELETED, dwIndex);
        return S_OK;
    }
    return SIM_E_NOTFOUND;
}

HRESULT WINAPI SimGetSmsStorageStatus(HSIM hSim, DWORD dwStorage, LPDWORD lpdwUsed, LPDWORD lpdwTotal)
{
    if (PlatModemOutside()) {
        DWORD dwUsed = 0, dwTotal = 0;
        HRESULT hr = OutsideCheck(hSim, 0, 0, nullptr);
        if (SUCCEEDED(hr) && dwStorage != SIM_SMSSTORAGE_SIM)
            hr = E_INVALIDARG;
        if (SUCCEEDED(hr))
            hr = SimAtSmsStatus(&dwUsed, &dwTotal);
        if (SUCCEEDED(hr) && lpdwUsed)
            *lpdwUsed = dwUsed;
        if (SUCCEEDED(hr) && lpdwTotal)
            *lpdwTotal = dwTotal;
        return hr;
    }
    std::lock_guard<std::mutex> lock(g_mtx);
    HRESULT hr = CheckLocked(hSim);
    if (FAILED(hr))
        return hr;
    if (dwStorage != SIM_SMSSTORAGE_SIM)
        return E_INVALIDARG;
    json &sms = Section(g_sim, "sms");
    DWORD cUsed = 0;
    if (sms.contains("messages") && sms["messages"].is_array())
        cUsed = (DWORD)sms["messages"].size();
    if (lpdwUsed)
        *lpdwUsed = cUsed;
    if (lpdwTotal)
        *lpdwTotal = (DWORD)PlatProfileNumber(sms, "total", 0, kMaxSmsSlots, 20);
    return S_OK;
}

HRESULT WINAPI SimDeleteMessage(HSIM hSim, DWORD dwStorage, DWORD dwIndex)
{
    if (PlatModemOutside()) {
        HRESULT hr = OutsideCheck(hSim, PLATSIM_FAIL_SMSDELETE, 0, nullptr);
        if (SUCCEEDED(hr) && dwStorage != SIM_SMSSTORAGE_SIM)
            hr = E_INVALIDARG;
        return SUCCEEDED(hr) ? SimAtDeleteMessage(dwIndex) : hr;
    }
    std::lock_guard<std::mutex> lock(g_mtx);
    HRESULT hr = CheckLocked(hSim);
    if (FAILED(hr))
        return hr;
    if (dwStorage != SIM_SMSSTORAGE_SIM)
        return E_INVALIDARG;
    if (g_dwFail & PLATSIM_FAIL_SMSDELETE)
        return SIM_E_SIMFAILURE;
    json &msgs = Member(Section(g_sim, "sms"), "messages", json::value_t::array);
    for (size_t i = 0; i < msgs.size(); ++i) {
        if (Num(msgs[i], "index", 0) == dwIndex) {
            msgs.erase(msgs.begin() + i);
            return SaveLocked();
        }
    }
    return SIM_E_NOTFOUND;
}

void WINAPI PlatSimSetFailures(DWORD dwFail)
{
    std::lock_guard<std::mutex> lock(g_mtx);
    g_dwFail = dwFail;
}

BOOL WINAPI PlatSimSetPresent(BOOL fPresent, BOOL fRadioOn)
{
    std::lock_guard<std::mutex> lock(g_mtx);
    json *psim = SimLocked();
    if (!psim)
        return FALSE;
    (*psim)["present"] = fPresent != FALSE;
    (*psim)["radio"] = fRadioOn != FALSE;
    return SUCCEEDED(SaveLocked());
}

BOOL WINAPI PlatSimStoreFromOutside(DWORD dwIndex, LPCWSTR pszName, LPCWSTR pszNumber)
{
    SIMPHONEBOOKENTRY entry;
    ZeroMemory(&entry, sizeof(entry));
    entry.cbSize = sizeof(entry);
    entry.dwParams = SIM_PARAM_PBE_ALL;
    StringCchCopyW(entry.lpszText, ARRAYSIZE(entry.lpszText), pszName ? pszName : L"");
    StringCchCopyW(entry.lpszAddress, ARRAYSIZE(entry.lpszAddress), pszNumber ? pszNumber : L"");
    entry.dwAddressType = entry.lpszAddress[0] == L'+' ? SIM_ADDRTYPE_INTERNATIONAL : SIM_ADDRTYPE_UNKNOWN;
    entry.dwNumPlan = SIM_NUMPLAN_TELEPHONE;
    std::lock_guard<std::mutex> lock(g_mtx);
    DWORD dwStored = 0;
    json *psim = SimLocked();
    if (!psim || FAILED(StoreLocked(*psim, SIM_PBSTORAGE_SIM, dwIndex, entry, &dwStored)) || FAILED(SaveLocked()))
        return FALSE;
    QueueLocked(SIM_NOTIFY_PBE_STORED, dwStored);
    return TRUE;
}

void WINAPI PlatSimNotify(DWORD dwCode, DWORD dwEntry)
{
    std::lock_guard<std::mutex> lock(g_mtx);
    QueueLocked(dwCode, dwEntry);
}

BOOL WINAPI PlatSimWaitIdle(DWORD dwTimeoutMs)
{
    std::unique_lock<std::mutex> lock(g_mtx);
    return g_cvQueue.wait_for(lock, std::chrono::milliseconds(dwTimeoutMs),
                              [] { return g_queue.empty() && !g_fDelivering; });
}

void WINAPI PlatSimCounters(DWORD *pcReads, DWORD *pcWrites, DWORD *pcDeletes)
{
    std::lock_guard<std::mutex> lock(g_mtx);
    if (pcReads)
        *pcReads = g_cReads;
    if (pcWrites)
        *pcWrites = g_cWrites;
    if (pcDeletes)
        *pcDeletes = g_cDeletes;
}

void WINAPI PlatSimResetCounters(void)
{
    std::lock_guard<std::mutex> lock(g_mtx);
    g_cReads = g_cWrites = g_cDeletes = 0;
}

void WINAPI PlatSimReload(void)
{
    std::lock_guard<std::mutex> lock(g_mtx);
    g_fLoaded = false;
}

} // extern "C"
