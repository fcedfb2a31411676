// SIM messages over AT commands: the texts, the replies, what reaches the
// radio (its log) and how the exchange copes with a radio that misbehaves.
#include "simtest.h"
#include "simsms.h"
#include "platril.h"
#include <random>

namespace {
std::wstring Decode(LPCWSTR pszHex, BYTE bCoding)
{
    WCHAR sz[256] = {};
    DecodeMessageData(sz, ARRAYSIZE(sz), pszHex, bCoding);
    return sz;
}

// A SIMMESSAGE followed by a guard that nothing may touch.
struct GuardedMessage {
    SIMMESSAGE msg;
    BYTE abGuard[64];
    GuardedMessage()
    {
        ZeroMemory(&msg, sizeof(msg));
        FillMemory(abGuard, sizeof(abGuard), 0xA5);
    }
    bool Intact() const
    {
        for (BYTE b : abGuard)
            if (b != 0xA5)
                return false;
        return msg.lpszMessage[ARRAYSIZE(msg.lpszMessage) - 1] == 0 &&
               msg.lpszAddress[ARRAYSIZE(msg.lpszAddress) - 1] == 0;
    }
};

class SmsAt : public SimTest {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        WriteSim({});
        ASSERT_TRUE(OpenSim());
        WriteSms(nlohmann::json::array());
        g_dwSmsTotal = 20;
    }
    HRESULT Write(LPCWSTR pszNumber, LPCWSTR pszText, DWORD *pdwIndex = nullptr)
    {
        SIMMESSAGE msg = {};
        StringCchCopyW(msg.lpszAddress, ARRAYSIZE(msg.lpszAddress), pszNumber);
        StringCchCopyW(msg.lpszMessage, ARRAYSIZE(msg.lpszMessage), pszText);
        DWORD dwIndex = 0;
        HRESULT hr = KORU_SimWriteMessage(g_hSim, SIM_SMSSTORAGE_SIM, &dwIndex, &msg);
        if (pdwIndex)
            *pdwIndex = dwIndex;
        return hr;
    }
};
} // namespace

// What the text codes are is checked on the radio log and by the read-back of
// every character; these are the data and replies no write produces.
TEST_F(SmsAt, OddMessageDataAndWriteReplies)
{
    EXPECT_EQ(L"Hi", Decode(L"00480069", 24));  // class bits around the UCS2 coding
    EXPECT_EQ(L"A B", Decode(L"41FF42", 0));
    EXPECT_EQ(std::wstring(1, (WCHAR)0x4), Decode(L"004", 8));  // a short last group
    EXPECT_EQ(L"a b", Decode(L"611B1B62", 0));  // the reserved second table reads as a space
    EXPECT_EQ(L"Hi", Decode(L"004800000069", 8));  // a NUL unit does not end the text
    EXPECT_EQ(L"AB", Decode(L"4142G043", 0));  // the data ends at a character that is no digit
    // Only a write reply naming a slot the SIM has counts.
    EXPECT_EQ(7u, IsCMGWOK(L"\r\n+CMGW: 7\r\n0\r"));
    EXPECT_EQ(0xFFFFFFFFu, IsCMGWOK(L"+CMGW: 25\r\n0\r"));
    EXPECT_EQ(0xFFFFFFFFu, IsCMGWOK(L"0\r"));
    EXPECT_EQ(0xFFFFFFFFu, IsCMGWOK(L"+CMGW: 99999999999999999999"));
}

TEST_F(SmsAt, WriteSendsTheseCommandsAndReadsBackUnchanged)
{
    DWORD dwIndex = 0;
    ASSERT_EQ(S_OK, Write(L"+4412345", L"ABCD", &dwIndex));
    EXPECT_EQ(1u, dwIndex);
    EXPECT_EQ("> AT+CMGF=1;+CSMP=17,167,0,0<CR>\n< 0<CR>\n"
              "> AT+CMGW=\"+4412345\",145<CR>41424344<SUB><CR>\n< +CMGW: 1<CR><LF>0<CR>\n"
              "> AT+CMGF=0<CR>\n< 0<CR>\n",
              ReadRadioLog());
    ASSERT_EQ(S_OK, Write(L"012345", L"Ж", &dwIndex));
    ASSERT_EQ(S_OK, Write(L"a <1> Anna <+4412345>", L"x"));
    std::string log = ReadRadioLog();
    EXPECT_NE(std::string::npos, log.find("> AT+CMGF=1;+CSMP=17,167,0,8<CR>"));
    EXPECT_NE(std::string::npos, log.find("> AT+CMGW=\"012345\",129<CR>0416<SUB><CR>"));
    EXPECT_NE(std::string::npos, log.find("> AT+CMGW=\"+4412345\",145<CR>78<SUB><CR>"));

    // Every character comes back as itself, in both codings.
    for (LPCWSTR psz : {L"[x]", L"€5 {~} \\|^", L"ΔΦΓΛΩΠΨΣΘΞ", L"Привет", L"Καλημέρα ő", L"é£¥¿@i¡\n"}) {
        ASSERT_EQ(S_OK, Write(L"+4412345", psz, &dwIndex)) << dwIndex;
        SIMMESSAGE msg = {};
        EXPECT_EQ(S_OK, KORU_SimReadMessage(g_hSim, SIM_SMSSTORAGE_SIM, dwIndex, &msg));
        EXPECT_EQ(psz, std::wstring(msg.lpszMessage));
    }
    EXPECT_EQ("[x]", ReadSim()["sms"]["messages"][3]["text"]);
    SIMMESSAGE msg = {};
    PlatRadioReset();
    EXPECT_EQ(SMS_E_FAIL, KORU_SimReadMessage(g_hSim, SIM_SMSSTORAGE_SIM, 0, &msg));
    EXPECT_EQ(SMS_E_FAIL, KORU_SimReadMessage(g_hSim, SIM_SMSSTORAGE_SIM, 21, &msg));
    EXPECT_EQ(0u, PlatRadioCommandCount());
}

// Real modems put unsolicited lines anywhere and names with commas in the
// header; only the +CMGR: line, its data line and the final result count.
TEST_F(SmsAt, UnsolicitedLinesAndQuotedCommasChangeNothingReadOrWritten)
{
    PlatRadioSetGarbage("\r\nRING\r\n+CMTI: \"SM\",3\r\n"
                        "+CMGR: \"REC READ\",\"+4912345\",\"Doe, J\",\"26/12/01,09:30:00+00\",145,4,0,8,\"+44\",145,2\r\n"
                        "00480069");  // no closing CR, no result: cut short by the radio
    PlatRadioSetMode(PLATRADIO_GARBAGE, 0, 1);
    WCHAR szReply[AT_REPLY_CCH];
    SendATCommand(L"AT+CMGR=1 ", szReply, ARRAYSIZE(szReply));
    GuardedMessage g;
    EXPECT_NE(-1, ParseCMGRReply(szReply, &g.msg));
    EXPECT_STREQ(L"+4912345", g.msg.lpszAddress);
    EXPECT_EQ((DWORD)SIM_ADDRTYPE_INTERNATIONAL, g.msg.dwAddressType);
    EXPECT_STREQ(L"Hi", g.msg.lpszMessage);

    // A mode step answered after an unsolicited line succeeded: the write
    // that +CMGW stored is reported stored, so nobody stores it twice.
    PlatRadioSetGarbage("\r\n+CREG: 1\r\n");
    PlatRadioSetMode(PLATRADIO_PREFIXED, 0, 1);
    DWORD dwIndex = 0;
    EXPECT_EQ(S_OK, Write(L"+4412345", L"once", &dwIndex));
    EXPECT_EQ(1u, ReadSim()["sms"]["messages"].size());
    EXPECT_TRUE(IsFinalResultOk(L"OK\r\nRING\r\n"));
    EXPECT_FALSE(IsFinalResultOk(L"0\r\n+CME ERROR: 10\r\n"));
    EXPECT_FALSE(IsFinalResultOk(L"RING\r\n"));

    // The longest message the SIM holds reads back whole.
    std::string ucs2;
    for (int i = 0; i < 255; ++i)
        ucs2 += "\xD0\x96";  // Ж
    WriteSms({{{"index", 2}, {"coding", 8}, {"text", ucs2}}});
    SIMMESSAGE msg = {};
    EXPECT_EQ(S_OK, KORU_SimReadMessage(g_hSim, SIM_SMSSTORAGE_SIM, 2, &msg));
    EXPECT_EQ(std::wstring(255, L'Ж'), msg.lpszMessage);
}

// A caller that gave up has reported failure: its command never reaches
// the radio afterwards.
TEST_F(SmsAt, ACommandWhoseCallerGaveUpIsNeverSent)
{
    PlatRadioSetOpenDelay(AT_TIMEOUT_MS + 1300);
    WCHAR szReply[AT_REPLY_CCH];
    EXPECT_FALSE(SendATCommand(L"AT+CMGF=1", szReply, ARRAYSIZE(szReply)));
    EXPECT_FALSE(PumpUntil([] { return PlatRadioCommandCount() > 0; }, 2000));
    EXPECT_TRUE(PumpUntil([] { return PlatRadioSessionCount() == 0; }, 2000));
    PlatRadioSetOpenDelay(0);
}

TEST_F(SmsAt, LongTextsAndNumbersThatCouldCarryCommandsAreRefusedBeforeAnythingIsSent)
{
    std::wstring gsm(160, L'a'), ucs2(69, L'a');
    ucs2 += L"Ж";
    EXPECT_EQ(S_OK, Write(L"1", gsm.c_str()));
    EXPECT_EQ(S_OK, Write(L"1", ucs2.c_str()));
    EXPECT_EQ(S_OK, Write(L"+44 12*#p3w4", L"x"));
    EXPECT_TRUE(IsSendableNumber(std::wstring(127, L'1').c_str()));
    PlatRadioReset();
    EXPECT_EQ(SMS_E_GSM_LONG, Write(L"1", (gsm + L"a").c_str()));
    EXPECT_EQ(SMS_E_GSM_LONG, Write(L"1", (gsm.substr(1) + L"€").c_str()));  // € counts two
    EXPECT_EQ(SMS_E_UCS2_LONG, Write(L"1", (ucs2 + L"a").c_str()));
    EXPECT_EQ(SMS_E_FAIL, Write(L"1", L""));
    for (LPCWSTR psz : {L"1\",129\r41\x1A\rAT+CMGD=1;", L"12\r", L"12\x1A", L"12;+CMGD=1", L"Anna", L"12\"",
                        L"Anna <>", L"<+4412345>"})
        EXPECT_EQ(SMS_E_FAIL, Write(psz, L"x")) << psz;
    EXPECT_EQ(SMS_E_FAIL, Write(std::wstring(128, L'1').c_str(), L"x"));
    EXPECT_EQ(0u, PlatRadioCommandCount());
}

TEST_F(SmsAt, AWriteToAFullSimFailsAndStillEndsInPduMode)
{
    WriteSms({{{"index", 1}, {"text", "a"}}}, 1);
    g_dwSmsTotal = 1;
    EXPECT_EQ(SMS_E_FAIL, Write(L"1", L"x"));
    std::string log = ReadRadioLog();
    EXPECT_NE(std::string::npos, log.find("! +CMS ERROR: 322"));
    EXPECT_EQ(log.size() - 24, log.rfind("> AT+CMGF=0<CR>\n< 0<CR>\n"));
}

TEST_F(SmsAt, ASilentRadioFailsAfterThreeTimeOutsAndLeavesNoSessionOpen)
{
    PlatRadioSetMode(PLATRADIO_SILENT, 0, 0);
    DWORD dwStart = GetTickCount();
    EXPECT_EQ(SMS_E_FAIL, Write(L"1", L"x"));
    DWORD dwTook = GetTickCount() - dwStart;
    EXPECT_GE(dwTook, 3u * AT_TIMEOUT_MS - 100);
    EXPECT_LT(dwTook, 3u * AT_TIMEOUT_MS + 3000);
    EXPECT_EQ(3u, PlatRadioCommandCount());
    EXPECT_TRUE(PumpUntil([] { return PlatRadioSessionCount() == 0; }, 2000));
}

TEST_F(SmsAt, OnlyTheAnswerToTheCommandInFlightCounts)
{
    WCHAR szReply[AT_REPLY_CCH];
    // An error answered after the time-out is not the next command's.
    PlatRadioSetMode(PLATRADIO_SLOW, AT_TIMEOUT_MS + 300, 1);
    EXPECT_FALSE(SendATCommand(L"AT+NONE", szReply, ARRAYSIZE(szReply)));
    PlatRadioSetMode(PLATRADIO_SLOW, 1500, 1);
    EXPECT_TRUE(SendATCommand(L"AT+CMGF=1", szReply, ARRAYSIZE(szReply)));
    EXPECT_STREQ(L"0\r", szReply);
    // An answer that comes before RIL_DevSpecific has returned is not lost.
    PlatRadioSetMode(PLATRADIO_EARLY, 0, 1);
    DWORD dwStart = GetTickCount();
    EXPECT_TRUE(SendATCommand(L"AT+CMGF=0", szReply, ARRAYSIZE(szReply)));
    EXPECT_STREQ(L"0\r", szReply);
    EXPECT_LT(GetTickCount() - dwStart, 2000u);
    PlatRadioSetMode(PLATRADIO_ERROR, 0, 1);
    EXPECT_TRUE(SendATCommand(L"AT+CMGF=0", szReply, ARRAYSIZE(szReply)));
    EXPECT_STREQ(L"ERROR", szReply);
}

TEST_F(SmsAt, LongRepliesAndDataAreCut)
{
    std::string garbage = "+CMGR: \"REC READ\",\"+" + std::string(400, '1') + "\",,\"t,t\",145,4,0,8,\"+44\",145,9\r\n";
    for (int i = 0; i < 1500; ++i)
        garbage += "0041";
    garbage += "\r\n0\r";
    PlatRadioSetGarbage(garbage.c_str());
    PlatRadioSetMode(PLATRADIO_GARBAGE, 0, 0);
    WCHAR szReply[AT_REPLY_CCH + 1];
    szReply[AT_REPLY_CCH] = L'#';
    EXPECT_TRUE(SendATCommand(L"AT+CMGR=1 ", szReply, AT_REPLY_CCH));
    EXPECT_EQ((size_t)AT_REPLY_CCH - 1, wcslen(szReply));
    EXPECT_EQ(L'#', szReply[AT_REPLY_CCH]);
    GuardedMessage g;
    EXPECT_EQ(0, ParseCMGRReply(std::wstring(garbage.begin(), garbage.end()).c_str(), &g.msg));
    EXPECT_TRUE(g.Intact());
    EXPECT_EQ(std::wstring(255, L'A'), g.msg.lpszMessage);
}

TEST_F(SmsAt, RandomAndMutatedRepliesNeverWritePastABuffer)
{
    const std::wstring seeds[] = {
        L"+CMGR: \"REC READ\",\"+4912345\",,\"26/12/01,09:30:00+00\",145,4,0,0,\"+44\",145,3\r\n486940\r\n0\r",
        L"+CMGR: \"STO SENT\",\"012345\",,129,17,0,8,167,\"+44\",145,2\r\n00480069\r\n0\r",
        L"\r\n+CMGW: 7\r\n0\r",
        L"+CMGR: \"REC UNREAD\",\"\",,,,,,,24,,,\r\n1B1B1B\r\n",
    };
    const WCHAR szAlphabet[] = L"+CMGRW:\",\r\n0123456789ABCDEFabcdef RECSTOREADUNSENT\x1A\x1B";
    std::mt19937 rng(20261207);
    const int cCases = 100000;
    int cBad = 0;
    for (int i = 0; i < cCases; ++i) {
        std::wstring s = seeds[rng() % ARRAYSIZE(seeds)];
        if (i % 2) {
            s.assign(rng() % 1200, L' ');
            for (WCHAR &ch : s)
                ch = szAlphabet[rng() % (ARRAYSIZE(szAlphabet) - 1)];
        } else {
            for (int m = rng() % 8; m >= 0; --m) {
                size_t pos = s.empty() ? 0 : rng() % s.size();
                switch (rng() % 3) {
                case 0:
                    s.insert(pos, std::wstring(rng() % 600, szAlphabet[rng() % (ARRAYSIZE(szAlphabet) - 1)]));
                    break;
                case 1:
                    s.erase(pos, rng() % 8);
                    break;
                default:
                    if (!s.empty())
                        s[pos] = (WCHAR)(1 + rng() % 0xFFFE);
                    break;
                }
            }
        }
        GuardedMessage g;
        ParseCMGRReply(s.c_str(), &g.msg);
        IsCMGWOK(s.c_str());
        WCHAR szField[16 + 1];
        szField[16] = L'#';
        GetReplyField(s.c_str(), (int)(rng() % 60), szField, 16);
        WCHAR szText[32 + 1] = {};
        szText[32] = L'#';
        DecodeMessageData(szText, 32, s.c_str(), (BYTE)rng());
        if (!g.Intact() || szField[16] != L'#' || szText[32] != L'#' || szText[31] != 0)
            ++cBad;
    }
    EXPECT_EQ(0, cBad) << "of " << cCases;
}
