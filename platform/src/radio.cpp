// The radio interface layer: sessions, and the device-specific call that
// hands an AT command to the modem (atmodem.cpp). Answers reach the session's
// result callback on the radio's own thread, as on the handset. Every command
// and every answer is appended to the profile's radio.log.
#include "internal.h"
#include "ril.h"
#include "platril.h"
#include <chrono>
#include <condition_variable>
#include <list>
#include <mutex>
#include <set>
#include <thread>

namespace {
struct Session {
    RILRESULTCALLBACK pfnResult;
    DWORD dwParam;
};

struct Answer {
    std::chrono::steady_clock::time_point due;
    Session *pSession;
    DWORD dwCode;
    HRESULT hrId;
    std::string text;
};

std::mutex g_mtx;
std::condition_variable g_cv;
std::set<Session *> g_sessions;
std::list<Answer> g_pending;
Session *g_pDelivering = nullptr;  // the session whose callback runs now
bool g_fThread = false;
LONG g_idNext = 1;
DWORD g_cCommands = 0;
DWORD g_dwMode = PLATRADIO_NORMAL;
DWORD g_dwDelayMs = 0;
DWORD g_dwOpenDelayMs = 0;  // RIL_Initialize's delay, for tests
DWORD g_cModeLeft = 0;  // commands the mode still applies to; 0: all
std::string g_garbage = "\x7f+CMG?:,,\"\r\n%s%n\xff";

const size_t kMaxCommand = 65535;  // the block's 16-bit length

void RadioThread()
{
    std::unique_lock<std::mutex> lock(g_mtx);
    for (;;) {
        if (g_pending.empty()) {
            g_cv.wait(lock);
            continue;
        }
        auto it = g_pending.begin();
        for (auto i = g_pending.begin(); i != g_pending.end(); ++i)
            if (i->due < it->due)
                it = i;
        if (std::chrono::steady_clock::now() < it->due) {
            g_cv.wait_until(lock, it->due);
            continue;
        }
        Answer a = *it;
        g_pending.erase(it);
        if (!g_sessions.count(a.pSession)) {
            PlatRadioLog("-", a.text);  // its session was closed: nobody to tell
            g_cv.notify_all();
            continue;
        }
        PlatRadioLog(a.dwCode == RIL_RESULT_OK ? "<" : "!", a.text);
        Session s = *a.pSession;
        g_pDelivering = a.pSession;
        lock.unlock();
        s.pfnResult(a.dwCode, a.hrId, a.text.c_str(), (DWORD)a.text.size() + 1, s.dwParam);
        lock.lock();
        g_pDelivering = nullptr;
        g_cv.notify_all();
    }
}

// The command text of an AT request block, or false when it is none.
bool CommandOf(const BYTE *pb, std::string *pText)
{
    DWORD dwCode;
    WORD cch;
    memcpy(&dwCode, pb, sizeof(dwCode));
    memcpy(&cch, pb + 6, sizeof(cch));
    if (dwCode != PLATRADIO_AT_CODE || cch == 0)
        return false;
    const char *psz = (const char *)pb + 8;
    size_t cb = strnlen(psz, cch);
    if (cb == cch || cb > kMaxCommand)
        return false;  // the length holds the terminator
    pText->assign(psz, cb);
    return true;
}

std::mutex g_mtxLog;

// Control characters and bytes above 0x7E as <CR>, <LF>, <SUB> or <xx>.
std::string Printable(const std::string &s)
{
    std::string out;
    for (unsigned char c : s) {
        if (c == '\r')
            out += "<CR>";
        else if (c == '\n')
            out += "<LF>";
        else if (c == 0x1A)
            out += "<SUB>";
        else if (c < 0x20 || c > 0x7E || c == '<') {
            char sz[8];
            snprintf(sz, sizeof(sz), "<%02X>", c);
            out += sz;
        } else
            out += (char)c;
    }
    return out;
}
} // namespace

void PlatRadioLog(const char *pszKind, const std::string &text)
{
    if (!PlatProfileDir()[0])
        return;
    std::string line = std::string(pszKind) + " " + Printable(text) + "\n";
    std::lock_guard<std::mutex> lock(g_mtxLog);
    HANDLE h = CreateFileW(PlatProfilePath(L"radio.log").c_str(), FILE_APPEND_DATA,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    DWORD cb = 0;
    WriteFile(h, line.data(), (DWORD)line.size(), &cb, nullptr);
    CloseHandle(h);
}

extern "C" {

HRESULT WINAPI RIL_Initialize(DWORD dwIndex, RILRESULTCALLBACK pfnResult, RILNOTIFYCALLBACK pfnNotify,
                              DWORD dwNotificationClasses, DWORD dwParam, HRIL *lphRil)
{
    (void)pfnNotify;
    (void)dwNotificationClasses;
    if (!lphRil)
        return E_INVALIDARG;
    *lphRil = nullptr;
    if (dwIndex != 1 || !pfnResult)
        return E_INVALIDARG;
    if (!PlatSimRadioOn())
        return E_FAIL;
    DWORD dwOpenDelayMs;
    {
        std::lock_guard<std::mutex> lock(g_mtx);
        dwOpenDelayMs = g_dwOpenDelayMs;
    }
    if (dwOpenDelayMs)
        std::this_thread::sleep_for(std::chrono::milliseconds(dwOpenDelayMs));
    std::lock_guard<std::mutex> lock(g_mtx);
    if (!g_fThread) {
        std::thread(RadioThread).detach();
        g_fThread = true;
    }
    Session *p = new Session{pfnResult, dwParam};
    g_sessions.insert(p);
    *lphRil = reinterpret_cast<HRIL>(p);
    return S_OK;
}

HRESULT WINAPI RIL_Deinitialize(HRIL hRil)
{
    Session *p = reinterpret_cast<Session *>(hRil);
    std::unique_lock<std::mutex> lock(g_mtx);
    if (!g_sessions.erase(p))
        return E_INVALIDARG;
    // A callback of this session that runs now ends before the session goes.
    g_cv.wait(lock, [p] { return g_pDelivering != p; });
    delete p;
    return S_OK;
}

HRESULT WINAPI RIL_DevSpecific(HRIL hRil, const BYTE *lpbParams, DWORD dwSize)
{
    Session *p = reinterpret_cast<Session *>(hRil);
    std::string command;
    {
        std::lock_guard<std::mutex> lock(g_mtx);
        if (!g_sessions.count(p))
            return E_INVALIDARG;
    }
    if (!lpbParams || dwSize < 8 || !CommandOf(lpbParams, &command))
        return E_INVALIDARG;
    PlatRadioLog(">", command);
    DWORD dwMode;
    DWORD dwDelayMs;
    std::string garbage;
    HRESULT hrId;
    {
        std::lock_guard<std::mutex> lock(g_mtx);
        ++g_cCommands;
        dwMode = g_dwMode;
        dwDelayMs = g_dwDelayMs;
        garbage = g_garbage;
        if (g_cModeLeft && --g_cModeLeft == 0)
            g_dwMode = PLATRADIO_NORMAL;
        hrId = g_idNext++;
        if (g_idNext > 0x7FFFFFFF)
            g_idNext = 1;
    }
    if (dwMode == PLATRADIO_SILENT)
        return hrId;
    Answer a = {std::chrono::steady_clock::now(), p, RIL_RESULT_OK, hrId, std::string()};
    if (dwMode == PLATRADIO_ERROR) {
        a.dwCode = RIL_RESULT_ERROR;
        a.text = "4\r";
    } else if (dwMode == PLATRADIO_GARBAGE) {
        a.text = garbage;
    } else if (!PlatModemRun(command, &a.text)) {
        a.dwCode = RIL_RESULT_ERROR;
    }
    if (dwMode == PLATRADIO_PREFIXED)
        a.text = garbage + a.text;
    if (dwMode == PLATRADIO_SLOW)
        a.due += std::chrono::milliseconds(dwDelayMs);
    std::unique_lock<std::mutex> lock(g_mtx);
    g_pending.push_back(a);
    g_cv.notify_all();
    if (dwMode == PLATRADIO_EARLY) {
        // Returns only once the answer has been delivered.
        g_cv.wait(lock, [hrId] {
            for (const Answer &x : g_pending)
                if (x.hrId == hrId)
                    return false;
            return g_pDelivering == nullptr;
        });
    }
    return hrId;
}

void WINAPI PlatRadioSetMode(DWORD dwMode, DWORD dwDelayMs, DWORD cCommands)
{
    std::lock_guard<std::mutex> lock(g_mtx);
    g_dwMode = dwMode;
    g_dwDelayMs = dwDelayMs;
    g_cModeLeft = cCommands;
}

void WINAPI PlatRadioSetOpenDelay(DWORD dwDelayMs)
{
    std::lock_guard<std::mutex> lock(g_mtx);
    g_dwOpenDelayMs = dwDelayMs;
}

void WINAPI PlatRadioSetGarbage(const char *pszText)
{
    std::lock_guard<std::mutex> lock(g_mtx);
    g_garbage = pszText ? pszText : "";
}

BOOL WINAPI PlatRadioWaitIdle(DWORD dwTimeoutMs)
{
    std::unique_lock<std::mutex> lock(g_mtx);
    return g_cv.wait_for(lock, std::chrono::milliseconds(dwTimeoutMs),
                         [] { return g_pending.empty() && !g_pDelivering; });
}

LONG WINAPI PlatRadioSessionCount(void)
{
    std::lock_guard<std::mutex> lock(g_mtx);
    return (LONG)g_sessions.size();
}

DWORD WINAPI PlatRadioCommandCount(void)
{
    std::lock_guard<std::mutex> lock(g_mtx);
    return g_cCommands;
}

void WINAPI PlatRadioReset(void)
{
    {
        std::lock_guard<std::mutex> lock(g_mtx);
        g_pending.clear();
        g_dwMode = PLATRADIO_NORMAL;
        g_cModeLeft = 0;
        g_dwOpenDelayMs = 0;
        g_cCommands = 0;
        g_garbage = "\x7f+CMG?:,,\"\r\n%s%n\xff";
        g_cv.notify_all();
    }
    PlatModemReset();
}

} // extern "C"
