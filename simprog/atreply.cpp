// The radio's replies to the message commands, and the numbers sent to it.
// Replies come from outside: every field is bounded by its buffer.
#include "morlin.h"
#include "simsms.h"
#include "trace.h"
#include <strsafe.h>
#include <cwchar>
#include <string>

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
    if (iField < 0 || !pszReply[0])
        return SMS_E_FAIL;
    // Field n lies between separator n and separator n + 1; field 0 starts
    // at the reply's second character. A comma between quotes (a time stamp,
    // a name) separates nothing.
    size_t iStart = 1;
    int cSeen = 0;
    BOOL fQuoted = FALSE;
    for (size_t i = 1; pszReply[i] && cSeen < MAX_SEPARATORS; ++i) {
        if (pszReply[i] == L'"')
            fQuoted = !fQuoted;
        if (pszReply[i] != L'\r' && (pszReply[i] != L',' || fQuoted))
            continue;
        fQuoted = FALSE;  // a line ends any quote left open
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
    // Only the +CMGR: line and the data line after it count: unsolicited
    // lines (RING, +CMTI) may come before, the final result after.
    LPCWSTR pszLineEnd = wcschr(pszCmgr, L'\r');
    size_t cchHeader = pszLineEnd ? (size_t)(pszLineEnd - pszCmgr) : wcslen(pszCmgr);
    std::wstring header(pszCmgr, cchHeader);
    // Fields counted from "+CMGR:" with quoted commas kept: received
    // stat,oa,alpha,scts,tooa,fo,pid,dcs; stored stat,da,alpha,toda,fo,pid,dcs.
    static const struct {
        LPCWSTR pszWord;
        int iCoding;
    } s_aStatus[] = {{L"REC READ", 7}, {L"REC UNREAD", 7}, {L"STO UNSENT", 6}, {L"STO SENT", 6}};
    int iStatus = -1;
    for (int i = 0; i < (int)ARRAYSIZE(s_aStatus) && iStatus < 0; ++i)
        if (header.find(s_aStatus[i].pszWord) != std::wstring::npos)
            iStatus = i;
    if (iStatus < 0)
        return iPos;

    header += L'\r';  // the last field of the line ends with it
    WCHAR szField[AT_REPLY_CCH];
    GetReplyField(header.c_str(), 1, szField, ARRAYSIZE(szField));
    size_t cchNumber = wcslen(szField);
    if (cchNumber >= 2)
        StringCchCopyNW(lpMessage->lpszAddress, ARRAYSIZE(lpMessage->lpszAddress), szField + 1, cchNumber - 2);
    else
        lpMessage->lpszAddress[0] = 0;
    lpMessage->dwNumPlan = SIM_NUMPLAN_TELEPHONE;
    lpMessage->dwAddressType = lpMessage->lpszAddress[0] == L'+' ? SIM_ADDRTYPE_INTERNATIONAL : SIM_ADDRTYPE_UNKNOWN;

    GetReplyField(header.c_str(), s_aStatus[iStatus].iCoding, szField, ARRAYSIZE(szField));
    BYTE bCoding = DecimalLowByte(szField);
    // The data line follows the header's CR LF and runs to its CR, or to
    // the end of a reply that lacks it.
    if (!pszLineEnd)
        return iPos;
    LPCWSTR pszData = pszLineEnd + 1;
    if (*pszData == L'\n')
        ++pszData;
    std::wstring data(pszData, wcscspn(pszData, L"\r"));
    DecodeMessageData(lpMessage->lpszMessage, ARRAYSIZE(lpMessage->lpszMessage), data.c_str(), bCoding);
    return iPos;
}

BOOL IsFinalResultOk(LPCWSTR pszReply)
{
    // The last final result code of the reply decides; any other line
    // (an unsolicited RING, +CMTI, +CREG) is not the command's.
    static const LPCWSTR s_apszFinal[] = {L"0", L"OK", L"4", L"ERROR", L"+CME ERROR:", L"+CMS ERROR:"};
    BOOL fOk = FALSE, fSeen = FALSE;
    for (LPCWSTR p = pszReply; *p;) {
        size_t cch = wcscspn(p, L"\r\n");
        for (LPCWSTR pszFinal : s_apszFinal) {
            size_t cchFinal = wcslen(pszFinal);
            BOOL fPrefix = pszFinal[cchFinal - 1] == L':';
            if ((fPrefix ? cch >= cchFinal : cch == cchFinal) && wcsncmp(p, pszFinal, cchFinal) == 0) {
                fOk = pszFinal == s_apszFinal[0] || pszFinal == s_apszFinal[1];
                fSeen = TRUE;
                break;
            }
        }
        p += cch;
        while (*p == L'\r' || *p == L'\n')
            ++p;
    }
    return fSeen && fOk;
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
