// Short-message TPDUs: known octets from the air interface's own examples,
// round trips of every coding, and malformed PDUs refused.
#include <gtest/gtest.h>
#include "../../platform/src/smspdu.h"

namespace {
SmsMessage Deliver(const std::wstring &text, int iCoding, const std::string &number = "+447700900456")
{
    SmsMessage m;
    m.fDeliver = true;
    m.number = number;
    m.iCoding = iCoding;
    m.text = text;
    m.time = "26/12/04,12:00:41-08";
    return m;
}

SmsMessage RoundTrip(const SmsMessage &m)
{
    std::string o;
    EXPECT_TRUE(SmsEncodeTpdu(m, &o));
    SmsMessage back;
    EXPECT_TRUE(SmsDecodeTpdu(o, &back)) << HexEncode(o);
    return back;
}

void ExpectSame(const SmsMessage &a, const SmsMessage &b)
{
    EXPECT_EQ(a.fDeliver, b.fDeliver);
    EXPECT_EQ(a.number, b.number);
    EXPECT_EQ(a.iCoding, b.iCoding);
    EXPECT_EQ(a.text, b.text);
    EXPECT_EQ(a.udh, b.udh);
    if (a.fDeliver) {
        EXPECT_EQ(a.time, b.time);
    }
}
} // namespace

TEST(SmsPdu, SeptetsPackAsTheAirInterfaceDoes)
{
    // "hellohello", the packing example of 23.038.
    SmsMessage m = Deliver(L"hellohello", SMS_CODING_GSM, "123");
    std::string o;
    ASSERT_TRUE(SmsEncodeTpdu(m, &o));
    EXPECT_EQ("E8329BFD4697D9EC37", HexEncode(o.substr(o.size() - 9)));
    EXPECT_EQ("0A", HexEncode(o.substr(o.size() - 10, 1)));  // ten septets
    // An odd count of digits ends with F; "+" is the international type.
    EXPECT_EQ("038121F3", HexEncode(o.substr(1, 4)));
    m.number = "+447700900456";
    ASSERT_TRUE(SmsEncodeTpdu(m, &o));
    EXPECT_EQ("0C91447700094065", HexEncode(o.substr(1, 8)));
    // The zone is in quarters with its sign in bit 3: -08 is 80 with the bit.
    EXPECT_EQ("62214021001488", HexEncode(o.substr(11, 7)));
}

TEST(SmsPdu, EveryCodingComesBackCharacterForCharacter)
{
    // National and extension characters of the GSM alphabet.
    ExpectSame(Deliver(L"é ß Ö ä Ñ ¿ € [ ] ~ { } \\ | ^ @ £ ΔΩ", SMS_CODING_GSM),
               RoundTrip(Deliver(L"é ß Ö ä Ñ ¿ € [ ] ~ { } \\ | ^ @ £ ΔΩ", SMS_CODING_GSM)));
    // Greek, Cyrillic and a character beyond the first plane.
    std::wstring ucs2 = L"Καλημέρα Привет \xD83D\xDE00!";
    ExpectSame(Deliver(ucs2, SMS_CODING_UCS2), RoundTrip(Deliver(ucs2, SMS_CODING_UCS2)));
    std::wstring octets;
    for (int i = 0; i < 140; ++i)
        octets += (WCHAR)((i * 37) & 0xFF);
    ExpectSame(Deliver(octets, SMS_CODING_8BIT), RoundTrip(Deliver(octets, SMS_CODING_8BIT)));
    // A stored one (submission) with the longest text and number.
    SmsMessage s = Deliver(std::wstring(160, L'x'), SMS_CODING_GSM, "+" + std::string(20, '9'));
    s.fDeliver = false;
    ExpectSame(s, RoundTrip(s));
    // A concatenated part keeps its header; the text starts after the fill bits.
    SmsMessage part = Deliver(std::wstring(153, L'€').substr(0, 76) + L"a", SMS_CODING_GSM);
    part.udh = std::string("\x00\x03\x2A\x02\x01", 5);
    ExpectSame(part, RoundTrip(part));
    part.iCoding = SMS_CODING_UCS2;
    part.text = std::wstring(67, L'Ж');
    ExpectSame(part, RoundTrip(part));
}

TEST(SmsPdu, WhatOneMessageCannotHoldIsRefused)
{
    std::string o;
    EXPECT_FALSE(SmsEncodeTpdu(Deliver(std::wstring(161, L'a'), SMS_CODING_GSM), &o));
    EXPECT_FALSE(SmsEncodeTpdu(Deliver(std::wstring(80, L'€') + L"a", SMS_CODING_GSM), &o));  // two septets each
    EXPECT_FALSE(SmsEncodeTpdu(Deliver(std::wstring(71, L'Ж'), SMS_CODING_UCS2), &o));
    EXPECT_FALSE(SmsEncodeTpdu(Deliver(L"Ж", SMS_CODING_GSM), &o));
    EXPECT_FALSE(SmsEncodeTpdu(Deliver(L"a", SMS_CODING_GSM, std::string(21, '1')), &o));
    EXPECT_FALSE(SmsEncodeTpdu(Deliver(L"a", SMS_CODING_GSM, "12p3"), &o));
    SmsMessage bad = Deliver(L"a", SMS_CODING_GSM);
    bad.time = "26/13/04,12:00:41+00";
    EXPECT_FALSE(SmsEncodeTpdu(bad, &o));
    // Fitting cuts before an escape pair or a surrogate pair, never inside.
    EXPECT_EQ(std::wstring(159, L'a'), SmsFitText(std::wstring(159, L'a') + L"€", SMS_CODING_GSM, 0));
    EXPECT_EQ(std::wstring(69, L'a'), SmsFitText(std::wstring(69, L'a') + L"\xD83D\xDE00", SMS_CODING_UCS2, 0));
    EXPECT_EQ(std::wstring(153, L'a'), SmsFitText(std::wstring(200, L'a'), SMS_CODING_GSM, 5));
}

TEST(SmsPdu, MalformedPdusAreRefusedWhereverTheyBreak)
{
    SmsMessage m = Deliver(L"Grüße € [x]", SMS_CODING_GSM);
    m.udh = std::string("\x00\x03\x01\x02\x01", 5);
    std::string o;
    ASSERT_TRUE(SmsEncodeTpdu(m, &o));
    SmsMessage back;
    for (size_t cb = 0; cb < o.size(); ++cb)
        EXPECT_FALSE(SmsDecodeTpdu(o.substr(0, cb), &back)) << cb;
    EXPECT_FALSE(SmsDecodeTpdu(o + std::string(1, '\0'), &back));
    std::string bad = o;
    bad[0] = (char)(bad[0] | 0x02);  // a status report
    EXPECT_FALSE(SmsDecodeTpdu(bad, &back));
    bad = o;
    bad[10] = '\x24';  // compressed text
    EXPECT_FALSE(SmsDecodeTpdu(bad, &back));
    bad = o;
    bad[2] = '\xD0';  // an alphanumeric sender is no number
    EXPECT_FALSE(SmsDecodeTpdu(bad, &back));
    bad = o;
    bad[18] = (char)0xA1;  // more septets than one message
    EXPECT_FALSE(SmsDecodeTpdu(bad, &back));
    // With the centre in front: its length and the TPDU's must add up.
    std::string centre;
    ASSERT_TRUE(SmsEncodeCentre("+447700900000", &centre));
    EXPECT_EQ("0791447700090000", HexEncode(centre));
    EXPECT_TRUE(SmsDecodePdu(centre + o, o.size(), &back));
    EXPECT_FALSE(SmsDecodePdu(centre + o, o.size() - 1, &back));
    EXPECT_FALSE(SmsDecodePdu(std::string("\x0F") + o, o.size(), &back));
}
