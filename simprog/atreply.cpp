// The radio's replies to the message commands, and the numbers sent to it.
// Replies come from outside: every field is bounded by its buffer.
#include "morlin.h"
#include "simsms.h"
#include "trace.h"
#include <strsafe.h>
#include <cwchar>

static const int MAX_SEPARATORS = 49;

DWORD IsCMGWOK(LPCWSTR pszReply)
{
    LPCWSTR pszCmgw = wcsstr(pszReply, L"+CMGW:");
    TRACE(L"IsCMGWOK szPtrIn [%s] ptrCMGW[%x]\r\n", pszReply, (unsigned)(ULONG_PTR)pszCmgw);
    if (!pszCmgw)
        return 0xFFFFFFFF;
    // "+CMGW: %d": blanks, then a decimal number; a value that overflows is none.
    LPCWSTR p = pszCmgw + 6;
    while (*p == L' ' || *p == L'\t' || *p == L'\r' || *p == L'\n')
        ++p;
    DWORD dwIndex = 0xFFFFFFFF;
    if (*p >= L'0' && *p <= L'9') {
        ULONGLONG ull = 0;
        for (; *p >= L'0' && *p <= L'9' && ull <= 0xFFFFFFFFULL; ++p)
            ull = ull * 10 + (*p - L'0');
        dwIndex = ull <= 0xFFFFFFFFULL ? (DWORD)ull : 0xFFFFFFFF;
    }
    if (g_dwSmsTotal == 0 || dwIndex > g_dwSmsTotal)
        return 0xFFFFFFFF;
    return dwIndex;
}

HRESULT GetReplyField(LPCWSTR pszReply, int iField, LPWSTR pszOut, size_t cchOut)
{
    if (cchOut)
        pszOut[0] = 0;
    if (iField < 0)
        return SMS_E_FAIL;
    // Field n lies between separator n and separator n + 1; field 0 starts
    // at the reply's second character.
    size_t iStart = 1;
    int cSeen = 0;
    for (size_t i = 0; pszReply[i] && cSeen < MAX_SEPARATORS; ++i) {
        if (pszReply[i] != L',' && pszReply[i] != L'\r')
            continue;
        ++cSeen;
        if (cSeen == iField)
            iStart = i + 1;
        if (cSeen == iField + 1) {
            size_t cch = i > iStart ? i - iStart : 0;
            if (cchOut)
                StringCchCopyNW(pszOut, cchOut, pszReply + iStart, cch);
            return S_OK;
        }
    }
    return SMS_E_FAIL;
}

static BYTE DecimalLowByte(LPCWSTR psz)
{
    while (*psz == L' ')
        ++psz;
    unsigned u = 0;
    for (; *psz >= L'0' && *psz <= L'9'; ++psz)
        u = u * 10 + (*psz - L'0');
    return (BYTE)u;
}

int ParseCMGRReply(LPCWSTR pszReply, LPSIMMESSAGE lpMessage)
{
    LPCWSTR pszCmgr = wcsstr(pszReply, L"+CMGR:");
    if (!pszCmgr)
        return -1;
    int iPos = (int)(pszCmgr - pszReply);
    static const struct {
        LPCWSTR pszWord;
        int iCoding, iData;
    } s_aStatus[] = {{L"REC READ", 8, 12}, {L"REC UNREAD", 8, 12}, {L"STO UNSENT", 6, 11}, {L"STO SENT", 6, 11}};
    int iStatus = -1;
    for (int i = 0; i < (int)ARRAYSIZE(s_aStatus) && iStatus < 0; ++i)
        if (wcsstr(pszReply, s_aStatus[i].pszWord))
            iStatus = i;
    if (iStatus < 0)
        return iPos;

    WCHAR szField[AT_REPLY_CCH];
    GetReplyField(pszReply, 1, szField, ARRAYSIZE(szField));
    size_t cchNumber = wcslen(szField);
    if (cchNumber >= 2)
        StringCchCopyNW(lpMessage->lpszAddress, ARRAYSIZE(lpMessage->lpszAddress), szField + 1, cchNumber - 2);
    else
        lpMessage->lpszAddress[0] = 0;
    lpMessage->dwNumPlan = SIM_NUMPLAN_TELEPHONE;
    lpMessage->dwAddressType = lpMessage->lpszAddress[0] == L'+' ? SIM_ADDRTYPE_INTERNATIONAL : SIM_ADDRTYPE_UNKNOWN;

    GetReplyField(pszReply, s_aStatus[iStatus].iCoding, szField, ARRAYSIZE(szField));
    BYTE bCoding = DecimalLowByte(szField);
    // The data field starts with the line feed after the header's carriage return.
    if (SUCCEEDED(GetReplyField(pszReply, s_aStatus[iStatus].iData, szField, ARRAYSIZE(szField))) && szField[0])
        DecodeMessageData(lpMessage->lpszMessage, ARRAYSIZE(lpMessage->lpszMessage), szField + 1, bCoding);
    return iPos;
}

BOOL ExtractBracketedNumber(LPWSTR pszText)
{
    size_t cch = wcslen(pszText);
    if (cch < 2)
        return FALSE;
    size_t iOpen = 0, iClose = 0;
    BOOL fOpen = FALSE, fClose = FALSE;
    for (size_t i = cch - 1; i >= 1; --i) {
        if (pszText[i] == L'>') {
            iClose = i;
            fClose = TRUE;
        } else if (pszText[i] == L'<') {
            iOpen = i;
            fOpen = TRUE;
        }
        if (fOpen && fClose && iClose > iOpen)
            break;
    }
    if (!fOpen || !fClose || iClose <= iOpen)
        return FALSE;
    size_t cchNumber = iClose - iOpen - 1;
    memmove(pszText, pszText + iOpen + 1, cchNumber * sizeof(WCHAR));
    pszText[cchNumber] = 0;
    return TRUE;
}

BOOL IsSendableNumber(LPCWSTR pszNumber)
{
    size_t cch = 0;
    for (LPCWSTR p = pszNumber; *p; ++p, ++cch) {
        if (cch >= AT_NUMBER_CCH - 1 || !wcschr(L"0123456789+*#pw ", *p))
            return FALSE;
    }
    return cch > 0;
}
