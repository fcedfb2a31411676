// Writing and reading one SIM message: three AT exchanges each (text mode,
// the write or read, back to PDU mode), called like the platform's SIM
// message functions.
#include "morlin.h"
#include "simsms.h"
#include "trace.h"
#include <strsafe.h>

static const WCHAR s_szModeGsm[] = L"AT+CMGF=1;+CSMP=17,167,0,0";
static const WCHAR s_szModeUcs2[] = L"AT+CMGF=1;+CSMP=17,167,0,8";
static const WCHAR s_szTextMode[] = L"AT+CMGF=1";
static const WCHAR s_szPduMode[] = L"AT+CMGF=0";

// A mode step succeeded when the radio's final result is OK.
static BOOL ModeStep(LPCWSTR pszCommand)
{
    WCHAR szReply[AT_REPLY_CCH];
    SendATCommand(pszCommand, szReply, ARRAYSIZE(szReply));
    return IsFinalResultOk(szReply);
}

// The hex data of the text and the mode command of its coding.
static HRESULT BuildData(LPCWSTR pszText, size_t cch, LPWSTR pszData, size_t cchData, LPCWSTR *ppszMode)
{
    if (IsStrGsmAlphaOnlyUCS2(pszText)) {
        TRACE(L" only GsmAlpha dwTCharLen[%d] \r\n", (int)cch);
        if (GsmSeptetCount(pszText) > SMS_GSM_MAX) {
            TRACE(L" length too long > 160 char \r\n");
            return SMS_E_GSM_LONG;
        }
        BYTE abCodes[SMS_GSM_MAX];
        size_t cCodes = GsmEncodeText(pszText, abCodes, ARRAYSIZE(abCodes));
        BytesToHex(pszData, cchData, abCodes, cCodes);
        *ppszMode = s_szModeGsm;
        return S_OK;
    }
    TRACE(L"KORU_SimWriteMessage 3UCS2 \r\n");
    if (cch > SMS_UCS2_MAX) {
        TRACE(L" length too long > 70 char \r\n");
        return SMS_E_UCS2_LONG;
    }
    BYTE abUnits[SMS_UCS2_MAX * 2];
    memcpy(abUnits, pszText, cch * 2);
    TCharConvertToChar(abUnits, cch * 2);
    BytesToHex(pszData, cchData, abUnits, cch * 2);
    *ppszMode = s_szModeUcs2;
    return S_OK;
}

BOOL SmsDestinationNumber(LPCWSTR pszAddress, LPWSTR pszNumber, size_t cchNumber)
{
    StringCchCopyNW(pszNumber, cchNumber, pszAddress, MAX_LENGTH_ADDRESS);
    ExtractBracketedNumber(pszNumber);
    // The number goes between quotes: a quote, CR, Ctrl-Z or ";" in it
    // would end the command and start another.
    return IsSendableNumber(pszNumber);
}

HRESULT KORU_SimWriteMessage(HSIM hSim, DWORD dwStorage, LPDWORD lpdwIndex, LPSIMMESSAGE lpMessage)
{
    (void)hSim;
    *lpdwIndex = 0xFFFFFFFF;
    WCHAR szText[MAX_LENGTH_MESSAGE + 1];
    StringCchCopyNW(szText, ARRAYSIZE(szText), lpMessage->lpszMessage, ARRAYSIZE(lpMessage->lpszMessage));
    size_t cch = wcslen(szText);
    TRACE(L"KORU_SimWriteMessage dwStorage [%d] lpdwIndex [%d] dwTCharLen[%d]\r\n", (int)dwStorage, -1, (int)cch);
    if (cch == 0 || dwStorage != SIM_SMSSTORAGE_SIM)
        return SMS_E_FAIL;

    TRACE(L"KORU_SimWriteMessage 1\r\n");
    WCHAR szNumber[MAX_LENGTH_ADDRESS + 1];
    if (!SmsDestinationNumber(lpMessage->lpszAddress, szNumber, ARRAYSIZE(szNumber)))
        return SMS_E_FAIL;

    TRACE(L"KORU_SimWriteMessage 2\r\n");
    WCHAR szData[SMS_UCS2_MAX * 4 + SMS_GSM_MAX * 2 + 1];
    LPCWSTR pszMode = nullptr;
    HRESULT hr = BuildData(szText, cch, szData, ARRAYSIZE(szData), &pszMode);
    if (SUCCEEDED(hr)) {
        WCHAR szWrite[AT_REPLY_CCH];
        StringCchCopyW(szWrite, ARRAYSIZE(szWrite), L"AT+CMGW=\"");
        StringCchCatW(szWrite, ARRAYSIZE(szWrite), szNumber);
        StringCchCatW(szWrite, ARRAYSIZE(szWrite), szNumber[0] == L'+' ? L"\",145\r" : L"\",129\r");
        StringCchCatW(szWrite, ARRAYSIZE(szWrite), szData);
        StringCchCatW(szWrite, ARRAYSIZE(szWrite), L"\x1A");
        if (!ModeStep(pszMode))
            hr = SMS_E_FAIL;
        WCHAR szReply[AT_REPLY_CCH];
        BOOL fNoRadio = FALSE;
        SendATCommand(szWrite, szReply, ARRAYSIZE(szReply), &fNoRadio);
        DWORD dwIndex = IsCMGWOK(szReply);
        if (dwIndex == 0xFFFFFFFF) {
            hr = fNoRadio ? SMS_E_NORADIO : SMS_E_FAIL;
            TRACE(L" +CMGW fail \r\n");
        } else {
            *lpdwIndex = dwIndex;
        }
        if (!ModeStep(s_szPduMode) && SUCCEEDED(hr))
            hr = SMS_E_FAIL;
    }
    TRACE(L"str tchar len [%d]sizeof tchar[%d]hresult[%x] \r\n", (int)cch, 2, (unsigned)hr);
    return hr;
}

HRESULT KORU_SimReadMessage(HSIM hSim, DWORD dwStorage, DWORD dwIndex, LPSIMMESSAGE lpMessage)
{
    (void)hSim;
    if (dwStorage != SIM_SMSSTORAGE_SIM || dwIndex == 0 || dwIndex > g_dwSmsTotal)
        return SMS_E_FAIL;
    HRESULT hr = S_OK;
    if (!ModeStep(s_szTextMode))
        hr = SMS_E_FAIL;
    WCHAR szCommand[32];
    StringCchPrintfW(szCommand, ARRAYSIZE(szCommand), L"AT+CMGR=%u ", (unsigned)dwIndex);
    WCHAR szReply[AT_REPLY_CCH];
    SendATCommand(szCommand, szReply, ARRAYSIZE(szReply));
    if (ParseCMGRReply(szReply, lpMessage) == -1)
        hr = SMS_E_FAIL;
    if (!ModeStep(s_szPduMode))
        hr = SMS_E_FAIL;
    return hr;
}
