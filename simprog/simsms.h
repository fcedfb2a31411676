// SIM messages over AT commands: the exchange with the radio, the message
// write and read, and the GSM / UCS2 texts they carry.
#pragma once
#include <windows.h>
#include <simmgr.h>
#include <ril.h>

#define SMS_E_FAIL        ((HRESULT)0x88000069L)
#define SMS_E_UCS2_LONG   ((HRESULT)0x880000C0L)
#define SMS_E_GSM_LONG    ((HRESULT)0x880000C1L)
// No radio session could be opened for the write: nothing reached the SIM.
#define SMS_E_NORADIO     ((HRESULT)0x8800006AL)

#define SMS_GSM_MAX       160
#define SMS_UCS2_MAX      70
#define AT_TIMEOUT_MS     6000
#define AT_REPLY_CCH      4096   // the callers' reply buffers: the longest reply the exchange carries
#define AT_NUMBER_CCH     128    // a destination number and its terminator

// One AT exchange: TRUE when a reply arrived within AT_TIMEOUT_MS; reply
// gets at most cchReply - 1 characters of it (empty on time-out).
// *pfNoRadio, when given, is TRUE when no radio session could be opened, so
// the command was never sent.
BOOL SendATCommand(LPCWSTR pszCommand, LPWSTR pszReply, size_t cchReply, BOOL *pfNoRadio = nullptr);
void CALLBACK ATResultCallback(DWORD dwCode, HRESULT hrCmdID, const void *lpData, DWORD cbData, DWORD dwParam);

// The number a message to this address (a SIMMESSAGE's, at most
// MAX_LENGTH_ADDRESS characters) is written with: the part between angle
// brackets when there is one. FALSE when the radio may not get it.
BOOL SmsDestinationNumber(LPCWSTR pszAddress, LPWSTR pszNumber, size_t cchNumber);
HRESULT KORU_SimWriteMessage(HSIM hSim, DWORD dwStorage, LPDWORD lpdwIndex, LPSIMMESSAGE lpMessage);
HRESULT KORU_SimReadMessage(HSIM hSim, DWORD dwStorage, DWORD dwIndex, LPSIMMESSAGE lpMessage);

// GSM texts (gsmtext.cpp). The table: code -> Latin-1 value, 0xAC where
// the character has none.
extern const BYTE GsmDefaultAlphabet[128];
// TRUE when every character of the text has a GSM code (default alphabet,
// its Greek capitals or the extension table); an empty text is GSM.
BOOL IsStrGsmAlphaOnlyUCS2(LPCWSTR pszText);
// Septets the text takes as GSM (an extension character counts two).
size_t GsmSeptetCount(LPCWSTR pszText);
// The GSM codes of a GSM text; returns their count (at most cbCodes).
size_t GsmEncodeText(LPCWSTR pszText, BYTE *pbCodes, size_t cbCodes);
// Two upper-case hex digits per byte; returns 2 x count (cchOut >= 2 x count + 1).
size_t BytesToHex(LPWSTR pszOut, size_t cchOut, const BYTE *pb, size_t cb);
// Swaps the two bytes of every 16-bit unit in place.
void TCharConvertToChar(BYTE *pb, size_t cb);
// Hex data of a read as text, by its data coding; at most cchOut - 1
// characters are written, and no terminator.
void DecodeMessageData(LPWSTR pszOut, size_t cchOut, LPCWSTR pszHex, BYTE bCoding);

// Replies (atreply.cpp).
DWORD IsCMGWOK(LPCWSTR pszReply);
int ParseCMGRReply(LPCWSTR pszReply, LPSIMMESSAGE lpMessage);
HRESULT GetReplyField(LPCWSTR pszReply, int iField, LPWSTR pszOut, size_t cchOut);
// TRUE when the reply's final result code is OK ("0" or "OK"), whatever
// unsolicited lines come with it.
BOOL IsFinalResultOk(LPCWSTR pszReply);
BOOL ExtractBracketedNumber(LPWSTR pszText);
// A number the radio may get between quotes: only 0-9 + * # p w and the
// blank, 1 to 127 characters.
BOOL IsSendableNumber(LPCWSTR pszNumber);
