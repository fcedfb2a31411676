// Short messages as the air interface carries them: the GSM default alphabet
// with its extension table, and the SMS-DELIVER / SMS-SUBMIT TPDUs of
// 3GPP TS 23.040 (addresses, time stamps, 7-bit packing, user-data headers).
#pragma once
#include <windows.h>
#include <string>

// The message codings the SIM keeps ("coding" in sim.json).
#define SMS_CODING_GSM  0  // GSM 7-bit default alphabet
#define SMS_CODING_8BIT 4  // octets
#define SMS_CODING_UCS2 8  // UTF-16 units

#define SMS_MAX_DIGITS   20   // of a PDU address
#define SMS_MAX_SEPTETS  160
#define SMS_MAX_OCTETS   140  // of the user data

// Appends the GSM codes of one character (two for the extension table);
// false, nothing appended, when the alphabet lacks it.
bool GsmEncodeChar(WCHAR ch, std::string *pCodes);
// A text as GSM codes; a character the alphabet lacks becomes "?" and
// clears *pfExact (when given).
std::string GsmEncode(const std::wstring &text, bool *pfExact = nullptr);
// GSM codes (each below 0x80) as text; an escape with no known code after
// it reads as a space. False when a code is 0x80 or above.
bool GsmDecode(const std::string &codes, std::wstring *pText);

// Octets as upper-case hex, and back (false on an odd length or a non-digit).
std::string HexEncode(const std::string &octets);
bool HexDecode(const std::string &hex, std::string *pOctets);
// A text as UCS2 in hex, four digits per UTF-16 unit (the "UCS2" character
// set of AT commands), and back (false on a length that is no multiple of
// four or a non-digit).
std::string Ucs2HexEncode(const std::wstring &text);
bool Ucs2HexDecode(const std::string &hex, std::wstring *pText);

// A received time stamp "yy/MM/dd,hh:mm:ss+zz" (zz: quarters of an hour,
// or -zz), each field in its range.
bool SmsIsTimeStamp(const std::string &t);
// A stored number that a PDU address can carry: digits, * and #, at most
// SMS_MAX_DIGITS of them, after an optional "+".
bool SmsIsPduNumber(const std::string &number);

// The coding a data coding scheme (TP-DCS) names; -1 for a compressed or
// reserved one.
int SmsCodingOf(BYTE bDcs);

struct SmsMessage {
    bool fDeliver = false;  // SMS-DELIVER (received) or SMS-SUBMIT (to send)
    std::string number;     // originator or destination, "+" first when international
    int iCoding = SMS_CODING_GSM;
    std::wstring text;      // 8-bit: one character per octet (U+0000..U+00FF)
    std::string udh;        // the user-data header's octets, without its length octet
    std::string time;       // SMS-DELIVER's service centre time stamp
};

// The TPDU's octets; false when a member cannot be carried (a number that
// is no PDU number, a time stamp out of shape, a text the coding or the
// length limits cannot hold).
bool SmsEncodeTpdu(const SmsMessage &m, std::string *pOctets);
// A TPDU's octets, checked field by field and to its last octet.
bool SmsDecodeTpdu(const std::string &octets, SmsMessage *pm);
// The longest start of a text that one message of that coding holds
// beside the header (a character pair or escape is never split).
std::wstring SmsFitText(const std::wstring &text, int iCoding, size_t cbUdh);

// The service centre address as the PDU's first octets ("" gives the
// one-octet "none"); false for a number that is no PDU number.
bool SmsEncodeCentre(const std::string &number, std::string *pOctets);
// Splits a PDU as a modem receives it (centre address, then cbTpdu octets of
// TPDU) and decodes the TPDU; false when it is not exactly that.
bool SmsDecodePdu(const std::string &octets, size_t cbTpdu, SmsMessage *pm);
