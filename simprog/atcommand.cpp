// One AT command exchange with the radio: a worker thread opens a radio
// session, hands the command over with RIL_DevSpecific and waits for the
// result callback, which runs on the radio's thread. The caller waits at
// most AT_TIMEOUT_MS.
#include "simsms.h"
#include "trace.h"
#include <strsafe.h>
#include <cstring>
#include <new>

#define AT_COMMAND_CCH   2048
#define AT_TEXT_CCH      4096
#define AT_REQUEST_CODE  900
#define AT_EARLY_SLOTS   4
#define AT_GIVEUP_MS     1000   // how long a worker that was told to give up may take to end

// Answers that came while RIL_DevSpecific had not yet said which command
// is in flight; matched once it has.
struct EarlyAnswer {
    BOOL fUsed;
    HRESULT hrCmdId;
    DWORD dwCode;
    WCHAR szText[AT_TEXT_CCH];
};

// One exchange, shared by the caller and its worker; the last to let go frees it.
struct AtExchange {
    LONG cRef;
    HANDLE hDone;
    HANDLE hResponse;
    HRESULT hrCmdId;
    BOOL fIdKnown;
    BOOL fAnswered;
    BOOL fGiveUp;
    BOOL fNoRadio;  // RIL_Initialize failed: nothing was sent
    EarlyAnswer aEarly[AT_EARLY_SLOTS];
    WCHAR szCommand[AT_COMMAND_CCH];
    WCHAR szReply[AT_TEXT_CCH];
};

static SRWLOCK s_lock = SRWLOCK_INIT;
static AtExchange *s_pExchange;  // the exchange in flight, or null

static void ReleaseExchange(AtExchange *pex)
{
    if (InterlockedDecrement(&pex->cRef) != 0)
        return;
    if (pex->hDone)
        CloseHandle(pex->hDone);
    delete pex;
}

// The command in the ANSI code page; FALSE when it does not fit.
static BOOL ToAnsiText(LPCWSTR psz, char *pszOut, int cbOut)
{
    return WideCharToMultiByte(CP_ACP, 0, psz, -1, pszOut, cbOut, nullptr, nullptr) > 0;
}

// The radio's text, which ends at its NUL or its size, whichever comes first.
static void ToWideText(const void *pv, DWORD cb, LPWSTR pszOut, size_t cchOut)
{
    pszOut[0] = 0;
    if (!pv || !cb)
        return;
    const char *psz = (const char *)pv;
    int cch = (int)strnlen(psz, cb);
    if (cch > (int)cchOut - 1)
        cch = (int)cchOut - 1;
    int cchWide = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, psz, cch, pszOut, (int)cchOut - 1);
    pszOut[cchWide > 0 ? cchWide : 0] = 0;
}

// Under s_lock: the answer becomes the reply of the exchange.
static void TakeAnswer(AtExchange *pex, DWORD dwCode, LPCWSTR pszText)
{
    if (dwCode == RIL_RESULT_ERROR)
        StringCchCopyW(pex->szReply, ARRAYSIZE(pex->szReply), L"ERROR");
    else
        StringCchCopyW(pex->szReply, ARRAYSIZE(pex->szReply), pszText);
    pex->fAnswered = TRUE;
    if (pex->hResponse)
        SetEvent(pex->hResponse);
}

void CALLBACK ATResultCallback(DWORD dwCode, HRESULT hrCmdID, const void *lpData, DWORD cbData, DWORD dwParam)
{
    (void)dwParam;
    if (dwCode != RIL_RESULT_OK && dwCode != RIL_RESULT_ERROR) {
        TRACE(L"KORUTest: result callback not handle\r\n");
        return;
    }
    if (dwCode == RIL_RESULT_ERROR)
        TRACE(L"KORUTest: return error!\r\n");
    static WCHAR s_szText[AT_TEXT_CCH];  // the radio's thread only
    ToWideText(lpData, cbData, s_szText, ARRAYSIZE(s_szText));
    AcquireSRWLockExclusive(&s_lock);
    AtExchange *pex = s_pExchange;
    // A result counts only for the command in flight, error or not.
    if (pex && !pex->fAnswered) {
        if (pex->fIdKnown) {
            if (hrCmdID == pex->hrCmdId)
                TakeAnswer(pex, dwCode, s_szText);
        } else {
            EarlyAnswer *pea = &pex->aEarly[0];
            for (EarlyAnswer &ea : pex->aEarly)
                if (!ea.fUsed) {
                    pea = &ea;
                    break;
                }
            pea->fUsed = TRUE;
            pea->hrCmdId = hrCmdID;
            pea->dwCode = dwCode;
            StringCchCopyW(pea->szText, ARRAYSIZE(pea->szText), s_szText);
        }
    }
    ReleaseSRWLockExclusive(&s_lock);
}

// Sends the command over an open session; FALSE when no answer can come.
static BOOL HandOver(AtExchange *pex, HRIL hRil)
{
    static char s_szAnsi[AT_TEXT_CCH];  // the worker of the one exchange in flight
    WCHAR szLine[AT_COMMAND_CCH + 1];
    if (FAILED(StringCchCopyW(szLine, ARRAYSIZE(szLine), pex->szCommand)) ||
        FAILED(StringCchCatW(szLine, ARRAYSIZE(szLine), L"\r")) ||
        !ToAnsiText(szLine, s_szAnsi, sizeof(s_szAnsi)))
        return FALSE;
    size_t cb = strlen(s_szAnsi) + 1;
    BYTE *pBlock = new (std::nothrow) BYTE[8 + cb];
    if (!pBlock)
        return FALSE;
    DWORD dwCode = AT_REQUEST_CODE;
    WORD wZero = 0, wLength = (WORD)cb;
    memcpy(pBlock, &dwCode, 4);
    memcpy(pBlock + 4, &wZero, 2);
    memcpy(pBlock + 6, &wLength, 2);
    memcpy(pBlock + 8, s_szAnsi, cb);
    // A caller that has already reported failure must not have its command
    // reach the radio afterwards (a write would land unannounced).
    AcquireSRWLockShared(&s_lock);
    BOOL fGiveUp = pex->fGiveUp;
    ReleaseSRWLockShared(&s_lock);
    HRESULT hr = fGiveUp ? E_ABORT : RIL_DevSpecific(hRil, pBlock, 8);
    delete[] pBlock;
    if (fGiveUp)
        return FALSE;
    AcquireSRWLockExclusive(&s_lock);
    pex->hrCmdId = hr;
    pex->fIdKnown = TRUE;
    for (EarlyAnswer &ea : pex->aEarly)
        if (ea.fUsed && ea.hrCmdId == hr && !pex->fAnswered)
            TakeAnswer(pex, ea.dwCode, ea.szText);
    ReleaseSRWLockExclusive(&s_lock);
    return SUCCEEDED(hr);
}

static DWORD WINAPI ATCommandThread(LPVOID pv)
{
    AtExchange *pex = (AtExchange *)pv;
    HANDLE hResponse = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    AcquireSRWLockExclusive(&s_lock);
    pex->hResponse = hResponse;
    ReleaseSRWLockExclusive(&s_lock);
    HRIL hRil = nullptr;
    HRESULT hrRadio = hResponse ? RIL_Initialize(1, ATResultCallback, nullptr, 0, 0, &hRil) : E_OUTOFMEMORY;
    if (FAILED(hrRadio)) {
        AcquireSRWLockExclusive(&s_lock);
        pex->fNoRadio = hResponse != nullptr;
        ReleaseSRWLockExclusive(&s_lock);
    }
    if (SUCCEEDED(hrRadio) && HandOver(pex, hRil)) {
        // Ends on the answer, or when the caller has given up waiting.
        for (;;) {
            AcquireSRWLockShared(&s_lock);
            BOOL fEnd = pex->fAnswered || pex->fGiveUp;
            ReleaseSRWLockShared(&s_lock);
            if (fEnd)
                break;
            WaitForSingleObject(hResponse, INFINITE);
        }
    }
    if (hRil)
        RIL_Deinitialize(hRil);
    AcquireSRWLockExclusive(&s_lock);
    pex->hResponse = nullptr;
    ReleaseSRWLockExclusive(&s_lock);
    if (hResponse)
        CloseHandle(hResponse);
    SetEvent(pex->hDone);
    ReleaseExchange(pex);
    return 0;
}

BOOL SendATCommand(LPCWSTR pszCommand, LPWSTR pszReply, size_t cchReply, BOOL *pfNoRadio)
{
    if (cchReply)
        pszReply[0] = 0;
    if (pfNoRadio)
        *pfNoRadio = FALSE;
    AtExchange *pex = new (std::nothrow) AtExchange;
    if (!pex)
        return FALSE;
    ZeroMemory(pex, sizeof(*pex));
    pex->cRef = 1;
    if (FAILED(StringCchCopyW(pex->szCommand, AT_COMMAND_CCH - 1, pszCommand)) ||
        !(pex->hDone = CreateEventW(nullptr, FALSE, FALSE, nullptr))) {
        ReleaseExchange(pex);
        return FALSE;
    }
    AcquireSRWLockExclusive(&s_lock);
    s_pExchange = pex;
    ReleaseSRWLockExclusive(&s_lock);
    InterlockedIncrement(&pex->cRef);  // the worker's share
    HANDLE hThread = CreateThread(nullptr, 0, ATCommandThread, pex, 0, nullptr);
    if (!hThread)
        InterlockedDecrement(&pex->cRef);  // no worker to let go
    BOOL fReplied = hThread && WaitForSingleObject(pex->hDone, AT_TIMEOUT_MS) == WAIT_OBJECT_0;
    AcquireSRWLockExclusive(&s_lock);
    if (fReplied && cchReply)
        StringCchCopyW(pszReply, cchReply, pex->szReply);  // a longer reply is cut
    if (fReplied && pfNoRadio)
        *pfNoRadio = pex->fNoRadio;
    if (!fReplied) {
        // The worker gives up by itself and closes its session: a thread
        // killed here could leave a lock of the process held.
        pex->fGiveUp = TRUE;
        if (pex->hResponse)
            SetEvent(pex->hResponse);
    }
    s_pExchange = nullptr;
    ReleaseSRWLockExclusive(&s_lock);
    if (hThread) {
        if (!fReplied)
            WaitForSingleObject(pex->hDone, AT_GIVEUP_MS);
        CloseHandle(hThread);
    }
    ReleaseExchange(pex);
    return fReplied;
}
