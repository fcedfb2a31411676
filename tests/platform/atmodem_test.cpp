// The built-in modem as an AT client drives it: result codes and echo, the
// TE character sets, messages in PDU and text mode, the phone book, and
// 100,000 malformed lines that must change nothing.
#include <gtest/gtest.h>
#include <random>
#include "platform.h"
#include "platmodem.h"
#include "platsim.h"
#include "support.h"
#include "../../platform/src/smspdu.h"

using nlohmann::json;

namespace {
std::string Talk(PlatAtModem &m, const std::string &in)
{
    std::string out;
    m.Feed(in, &out);
    return out;
}

std::string SimBytes()
{
    return ReadFileText(PlatProfilePath(L"sim.json"));
}

json Sim()
{
    return PlatProfileLoad(L"sim.json");
}

class AtModem : public testing::Test {
protected:
    void SetUp() override
    {
        json sim = {
            {"present", true},
            {"radio", true},
            {"phonebook",
             {{"minIndex", 1}, {"maxIndex", 30}, {"maxTextLength", 14}, {"maxAddressLength", 20},
              {"entries", {{{"index", 2}, {"name", "Mum"}, {"number", "01632960123"}},
                           {{"index", 3}, {"name", "Zoë €"}, {"number", "+46701234567"}}}}}},
            {"ownNumbers", {{"entries", {{{"index", 1}, {"name", "Me"}, {"number", "+447700900321"}}}}}},
            {"sms",
             {{"total", 5},
              {"messages",
               {{{"index", 1}, {"status", "REC UNREAD"}, {"number", "+447700900456"},
                 {"time", "26/12/01,09:30:00+04"}, {"coding", 0}, {"text", "Grüße € [x]"}},
                {{"index", 3}, {"status", "STO SENT"}, {"number", "012345"}, {"coding", 8},
                 {"text", "Привет \xF0\x9F\x98\x80"}}}}}},
        };
        ASSERT_TRUE(PlatProfileSave(L"sim.json", sim));
        PlatSimReload();
        PlatModemReset();
    }
    json Message(int iIndex)
    {
        json sim = Sim();
        for (const json &m : sim["sms"]["messages"])
            if (m["index"] == iIndex)
                return m;
        return json();
    }
};
} // namespace

TEST_F(AtModem, ResultCodesEchoAndErrorFormsFollowTheSettings)
{
    PlatAtModem m(PlatAtModem::KIND_TERMINAL);
    EXPECT_EQ("AT\r\r\nOK\r\n", Talk(m, "AT\r"));
    EXPECT_EQ("ATE0\r\r\nOK\r\n", Talk(m, "ATE0\r"));
    EXPECT_EQ("\r\nERROR\r\n", Talk(m, "AT+NOSUCH\r"));
    // CME errors show only once enabled, numeric or verbose; CMS errors always.
    EXPECT_EQ("\r\nERROR\r\n", Talk(m, "AT+CPBR=31\r"));
    EXPECT_EQ("\r\n+CMS ERROR: 321\r\n", Talk(m, "AT+CMGR=2\r"));
    EXPECT_EQ("\r\nOK\r\n", Talk(m, "AT+CMEE=1\r"));
    EXPECT_EQ("\r\n+CME ERROR: 21\r\n", Talk(m, "AT+CPBR=31\r"));
    Talk(m, "AT+CMEE=2\r");
    EXPECT_EQ("\r\n+CME ERROR: invalid index\r\n", Talk(m, "AT+CPBR=0\r"));
    EXPECT_EQ("\r\n+CMS ERROR: invalid memory index\r\n", Talk(m, "AT+CMGR=2\r"));
    // Numeric codes: information then "0"; quiet: no result at all.
    EXPECT_EQ("0\r", Talk(m, "ATV0\r"));
    EXPECT_EQ("+CMGF: 0\r\n0\r", Talk(m, "AT+CMGF?\r"));
    EXPECT_EQ("4\r", Talk(m, "AT+CMGF=2\r"));
    EXPECT_EQ("+CME ERROR: invalid index\r", Talk(m, "AT+CPBR=99\r"));
    EXPECT_EQ("", Talk(m, "ATQ1\r"));
    EXPECT_EQ("", Talk(m, "AT+CMGF=7\r"));
    // Z brings the start back; "A/" repeats the last line without a CR.
    EXPECT_EQ("\r\nOK\r\n", Talk(m, "ATZ\r"));  // echoed only from the next byte
    EXPECT_EQ("AT+CSCS?\r\r\n+CSCS: \"IRA\"\r\n\r\nOK\r\n", Talk(m, "AT+CSCS?\r"));
    EXPECT_EQ("a/\r\n+CSCS: \"IRA\"\r\n\r\nOK\r\n", Talk(m, "a/"));
    // Several commands on a line stop at the first failure.
    Talk(m, "ATE0\r");
    EXPECT_EQ("\r\nERROR\r\n", Talk(m, "AT+CMGF=1;+CMGF=9;+CSDH=1\r"));
    EXPECT_EQ("\r\n+CMGF: 1\r\n+CSDH: 0\r\n\r\nOK\r\n", Talk(m, "AT+CMGF?;+CSDH?\r"));
    // A single-number setting gives its range and keeps what was set.
    EXPECT_EQ("\r\n+CSDH: (0,1)\r\n+CMEE: (0-2)\r\n\r\nOK\r\n", Talk(m, "AT+CSDH=?;+CMEE=?\r"));
    EXPECT_EQ("\r\n+CSDH: 1\r\n\r\nOK\r\n", Talk(m, "AT+CSDH=1;+CSDH?;+CSDH=0\r"));
    // A line past its bound is answered ERROR, and the modem stays usable.
    std::string out = Talk(m, std::string(PlatAtModem::kMaxLine * 3, 'A') + "\r");
    EXPECT_EQ("\r\nERROR\r\n", out);
    EXPECT_EQ("\r\nOK\r\n", Talk(m, "AT\r"));
    // Without a SIM the PIN state is an error naming it.
    ASSERT_TRUE(PlatSimSetPresent(FALSE, TRUE));
    Talk(m, "AT+CMEE=1\r");
    EXPECT_EQ("\r\n+CME ERROR: 10\r\n", Talk(m, "AT+CPIN?\r"));
    EXPECT_EQ("\r\n+CMS ERROR: 310\r\n", Talk(m, "AT+CPMS?\r"));
    ASSERT_TRUE(PlatSimSetPresent(TRUE, FALSE));
    EXPECT_EQ("\r\n+CPIN: READY\r\n\r\nOK\r\n", Talk(m, "AT+CPIN?\r"));
    EXPECT_EQ("\r\n+CFUN: 0\r\n\r\nOK\r\n", Talk(m, "AT+CFUN?\r"));
}

TEST_F(AtModem, PduModeListsReadsAndStoresMessagesOfEveryCoding)
{
    PlatAtModem m(PlatAtModem::KIND_TERMINAL);
    Talk(m, "ATE0\r");
    EXPECT_EQ("\r\n+CPMS: \"SM\",2,5,\"SM\",2,5,\"SM\",2,5\r\n\r\nOK\r\n", Talk(m, "AT+CPMS?\r"));
    std::string list = Talk(m, "AT+CMGL=4\r");
    // Each entry: the header line, then centre and TPDU in hex, decoded back whole.
    std::vector<std::string> lines;
    for (size_t i = 2; i < list.size();) {
        size_t iEnd = list.find("\r\n", i);
        lines.push_back(list.substr(i, iEnd - i));
        i = iEnd + 2;
    }
    ASSERT_EQ(6u, lines.size()) << list;
    EXPECT_EQ("+CMGL: 1,0,,", lines[0].substr(0, 12));
    SmsMessage a, b;
    std::string octets;
    ASSERT_TRUE(HexDecode(lines[1], &octets));
    ASSERT_TRUE(SmsDecodePdu(octets, std::stoi(lines[0].substr(12)), &a));
    EXPECT_EQ(L"Grüße € [x]", a.text);
    EXPECT_TRUE(a.fDeliver);
    EXPECT_EQ("+447700900456", a.number);
    EXPECT_EQ("26/12/01,09:30:00+04", a.time);
    ASSERT_TRUE(HexDecode(lines[3], &octets));
    ASSERT_TRUE(SmsDecodePdu(octets, std::stoi(lines[2].substr(12)), &b));
    EXPECT_EQ(L"Привет \xD83D\xDE00", b.text);
    EXPECT_FALSE(b.fDeliver);
    EXPECT_EQ("+CMGL: 3,3,,", lines[2].substr(0, 12));
    EXPECT_EQ("\r\nOK\r\n", list.substr(list.size() - 6));
    EXPECT_EQ("\r\nOK\r\n", Talk(m, "AT+CMGL=2\r"));  // no unsent one

    // A stored write lands in the first free slot with its coding and header.
    SmsMessage w;
    w.number = "+4912345";
    w.iCoding = SMS_CODING_UCS2;
    w.text = L"Γειά \xD83D\xDE00";
    w.udh = std::string("\x00\x03\x07\x02\x02", 5);
    std::string tpdu, centre;
    ASSERT_TRUE(SmsEncodeTpdu(w, &tpdu));
    ASSERT_TRUE(SmsEncodeCentre("", &centre));
    std::string cmd = "AT+CMGW=" + std::to_string(tpdu.size()) + ",3\r";
    EXPECT_EQ("\r\n> ", Talk(m, cmd));
    EXPECT_EQ("\r\n+CMGW: 2\r\n\r\nOK\r\n", Talk(m, HexEncode(centre + tpdu) + "\x1A"));
    json stored = Message(2);
    EXPECT_EQ("STO SENT", stored["status"]);
    EXPECT_EQ("+4912345", stored["number"]);
    EXPECT_EQ(8, stored["coding"]);
    EXPECT_EQ("Γειά \xF0\x9F\x98\x80", stored["text"]);
    EXPECT_EQ("0003070202", stored["udh"]);
    // A wrong length, a cancelled write and a hang-up mid-data store nothing.
    std::string before = SimBytes();
    Talk(m, "AT+CMGW=" + std::to_string(tpdu.size() + 1) + "\r");
    EXPECT_EQ("\r\n+CMS ERROR: 304\r\n", Talk(m, HexEncode(centre + tpdu) + "\x1A"));
    Talk(m, cmd);
    EXPECT_EQ("\r\nOK\r\n", Talk(m, HexEncode(centre + tpdu) + "\x1B"));
    {
        PlatAtModem gone(PlatAtModem::KIND_TERMINAL);
        Talk(gone, cmd + HexEncode(centre + tpdu));
    }
    EXPECT_EQ(before, SimBytes());
    // Deleting: one slot, then everything read or sent.
    EXPECT_EQ("\r\nOK\r\n", Talk(m, "AT+CMGD=2\r"));
    EXPECT_EQ("\r\n+CMS ERROR: 321\r\n", Talk(m, "AT+CMGD=2\r"));
    EXPECT_EQ("\r\nOK\r\n", Talk(m, "AT+CMGD=0,2\r"));
    ASSERT_EQ(1u, Sim()["sms"]["messages"].size());
    EXPECT_EQ("REC UNREAD", Message(1)["status"]);
}

TEST_F(AtModem, TextModeDataFollowsTheCharacterSet)
{
    PlatAtModem m(PlatAtModem::KIND_TERMINAL);
    Talk(m, "ATE0;+CMGF=1;+CSDH=1\r");
    // One 7-bit text written in each TE character set lands as the same text.
    struct {
        const char *pszCharset;
        std::string data;
    } const aWrites[] = {
        {"HEX", "476F1E1B653C"},                 // "Goß€<"
        {"UCS2", "0047006F00DF20AC003C"},
        {"GSM", std::string("Go\x1E", 3) + "<"},  // the escape would cancel: no €
        {"IRA", "Go<"},
    };
    for (const auto &w : aWrites) {
        Talk(m, std::string("AT+CSCS=\"") + w.pszCharset + "\"\r");
        std::string out = Talk(m, "AT+CMGW=\"+4412\",145\r");
        ASSERT_EQ("\r\n> ", out) << w.pszCharset;
        out = Talk(m, w.data + "\x1A");
        ASSERT_EQ("\r\n+CMGW: 2\r\n\r\nOK\r\n", out) << w.pszCharset;
        json stored = Message(2);
        std::string expected = w.pszCharset == std::string("HEX") || w.pszCharset == std::string("UCS2")
                                   ? "Goß€<" : w.pszCharset == std::string("GSM") ? "Goß<" : "Go<";
        EXPECT_EQ(expected, stored["text"]) << w.pszCharset;
        EXPECT_EQ(0, stored["coding"]);
        EXPECT_EQ("STO UNSENT", stored["status"]);
        Talk(m, "AT+CMGD=2\r");
    }
    // Reading a received 7-bit message in each set.
    Talk(m, "AT+CSCS=\"UCS2\"\r");
    std::string ucs2 = Talk(m, "AT+CMGR=1\r");
    EXPECT_NE(std::string::npos,
              ucs2.find("+CMGR: \"REC UNREAD\",\"+447700900456\",,\"26/12/01,09:30:00+04\",145,4,0,0,"
                        "\"+447700900000\",145,14\r\n0047007200FC00DF0065002020AC0020005B0078005D\r\n"))
        << ucs2;
    Talk(m, "AT+CSCS=\"HEX\"\r");
    EXPECT_NE(std::string::npos, Talk(m, "AT+CMGR=1\r").find(",14\r\n47727E1E65201B65201B3C781B3E\r\n"));
    Talk(m, "AT+CSCS=\"IRA\"\r");
    EXPECT_NE(std::string::npos, Talk(m, "AT+CMGR=1\r").find("\r\nGr??e ? [x]\r\n"));
    // 8-bit and UCS2 data are hex whatever the set; the stored one shows its header values.
    std::string sto = Talk(m, "AT+CMGR=3\r");
    EXPECT_NE(std::string::npos,
              sto.find("+CMGR: \"STO SENT\",\"012345\",,129,17,0,8,167,\"+447700900000\",145,9\r\n"
                       "041F044004380432043504420020D83DDE00\r\n"))
        << sto;
    Talk(m, "AT+CSMP=17,167,0,4\r");
    Talk(m, "AT+CMGW=\"5\"\r");
    EXPECT_EQ("\r\n+CMGW: 2\r\n\r\nOK\r\n", Talk(m, "00FF41\x1A"));
    EXPECT_EQ(std::string("\0\xC3\xBF" "A", 4), Message(2)["text"].get<std::string>());
    EXPECT_EQ(4, Message(2)["coding"]);
    // Text that the coding cannot carry, or too long, is refused unstored.
    std::string before = SimBytes();
    Talk(m, "AT+CSMP=17,167,0,0;+CSCS=\"UCS2\"\r");
    Talk(m, "AT+CMGW=\"5\"\r");
    EXPECT_EQ("\r\n+CMS ERROR: 305\r\n", Talk(m, "0416\x1A"));  // Ж is no GSM character
    Talk(m, "AT+CSCS=\"IRA\";+CMGW=\"5\"\r");
    EXPECT_EQ("\r\n+CMS ERROR: 305\r\n", Talk(m, std::string(161, 'a') + "\x1A"));
    Talk(m, "AT+CSMP=17,167,0,8;+CMGW=\"5\"\r");
    EXPECT_EQ("\r\n+CMS ERROR: 305\r\n", Talk(m, "D83D\x1A"));  // half a pair
    EXPECT_EQ("\r\n+CMS ERROR: 305\r\n", Talk(m, "AT+CMGW=\"12a\"\r"));
    EXPECT_EQ(before, SimBytes());
}

TEST_F(AtModem, PhoneBookWritesAndReadsNamesInEveryCharacterSet)
{
    PlatAtModem m(PlatAtModem::KIND_TERMINAL);
    Talk(m, "ATE0;+CMEE=1;+CSCS=\"UCS2\"\r");
    EXPECT_EQ("\r\n+CPBS: (\"SM\",\"ON\")\r\n\r\nOK\r\n", Talk(m, "AT+CPBS=?\r"));
    EXPECT_EQ("\r\n+CPBS: \"SM\",2,30\r\n\r\nOK\r\n", Talk(m, "AT+CPBS?\r"));
    EXPECT_EQ("\r\n+CPBR: (1-30),20,14\r\n\r\nOK\r\n", Talk(m, "AT+CPBR=?\r"));
    // A name with Greek and a pair beyond the first plane, in the first free slot.
    EXPECT_EQ("\r\nOK\r\n", Talk(m, "AT+CPBW=,\"4412\",145,\"03A903BC0020D83DDE00\"\r"));
    json e = Sim()["phonebook"]["entries"][2];
    EXPECT_EQ(1, e["index"]);
    EXPECT_EQ("Ωμ \xF0\x9F\x98\x80", e["name"]);
    EXPECT_EQ("+4412", e["number"]);
    EXPECT_EQ("\r\n+CPBR: 1,\"+4412\",145,\"03A903BC0020D83DDE00\"\r\n"
              "+CPBR: 2,\"01632960123\",129,\"004D0075006D\"\r\n"
              "+CPBR: 3,\"+46701234567\",145,\"005A006F00EB002020AC\"\r\n\r\nOK\r\n",
              Talk(m, "AT+CPBR=1,3\r"));
    Talk(m, "AT+CSCS=\"HEX\"\r");
    EXPECT_EQ("\r\n+CPBR: 3,\"+46701234567\",145,\"5A6F3F201B65\"\r\n\r\nOK\r\n", Talk(m, "AT+CPBR=3\r"));
    EXPECT_EQ("\r\nOK\r\n", Talk(m, "AT+CPBW=30,\"0123\",129,\"1B3C4F1B3E\"\r"));
    Talk(m, "AT+CSCS=\"IRA\"\r");
    EXPECT_EQ("\r\n+CPBR: 30,\"0123\",129,\"[O]\"\r\n\r\nOK\r\n", Talk(m, "AT+CPBR=30\r"));
    EXPECT_EQ("\r\n+CPBF: 2,\"01632960123\",129,\"Mum\"\r\n\r\nOK\r\n", Talk(m, "AT+CPBF=\"mu\"\r"));
    EXPECT_EQ("\r\n+CNUM: \"Me\",\"+447700900321\",145\r\n\r\nOK\r\n", Talk(m, "AT+CNUM\r"));
    // Too long, bad characters, out of range: refused, nothing written.
    std::string before = SimBytes();
    EXPECT_EQ("\r\n+CME ERROR: 24\r\n", Talk(m, "AT+CPBW=5,\"1\",129,\"abcdefghijklmno\"\r"));
    EXPECT_EQ("\r\n+CME ERROR: 26\r\n", Talk(m, "AT+CPBW=5,\"" + std::string(21, '1') + "\",129,\"a\"\r"));
    EXPECT_EQ("\r\n+CME ERROR: 27\r\n", Talk(m, "AT+CPBW=5,\"12;3\",129,\"a\"\r"));
    EXPECT_EQ("\r\n+CME ERROR: 21\r\n", Talk(m, "AT+CPBW=31,\"1\",129,\"a\"\r"));
    EXPECT_EQ("\r\n+CME ERROR: 25\r\n", Talk(m, "AT+CPBW=5,\"1\",129,\"\xC3\xA9\"\r"));
    EXPECT_EQ(before, SimBytes());
    // Only an index deletes the slot.
    EXPECT_EQ("\r\nOK\r\n", Talk(m, "AT+CPBW=30\r"));
    EXPECT_EQ("\r\nOK\r\n", Talk(m, "AT+CPBR=30\r"));
    EXPECT_EQ(3u, Sim()["phonebook"]["entries"].size());
}

// Morlin's own session: numeric codes, HEX data, full text headers.
TEST_F(AtModem, TheRadiosSessionKeepsItsOwnSettings)
{
    std::string reply;
    PlatAtModem client(PlatAtModem::KIND_TERMINAL);
    Talk(client, "AT+CMGF=1;+CSCS=\"UCS2\"\r");  // another client's settings are its own
    EXPECT_TRUE(PlatModemRun("AT+CMGF=1;+CSMP=17,167,0,0\r", &reply));
    EXPECT_EQ("0\r", reply);
    EXPECT_TRUE(PlatModemRun("AT+CMGW=\"+4412345\",145\r1B3C781B3E1B6535\x1A\r", &reply));
    EXPECT_EQ("+CMGW: 2\r\n0\r", reply);
    EXPECT_TRUE(PlatModemRun("AT+CMGR=2 \r", &reply));
    EXPECT_EQ("+CMGR: \"STO UNSENT\",\"+4412345\",,145,17,0,0,167,\"+447700900000\",145,8\r\n1B3C781B3E1B6535\r\n0\r",
              reply);
    EXPECT_FALSE(PlatModemRun("AT+CMGW=\"1\",129\r41", &reply));  // its data never ended
    EXPECT_EQ("4\r", reply);
    EXPECT_FALSE(PlatModemRun("AT+CMGR=4\r", &reply));
    EXPECT_EQ("+CMS ERROR: 321\r", reply);
    PlatModemReset();
    EXPECT_TRUE(PlatModemRun("AT+CMGF?\r", &reply));
    EXPECT_EQ("+CMGF: 0\r\n0\r", reply);
}

// Random and mutated lines to a modem: nothing crashes or hangs, the
// commands that write nothing leave sim.json as it was, and a +CMGW with a
// mutated PDU stores only what decodes back to that same message.
TEST_F(AtModem, MalformedInputChangesNothingButWhatWellFormedWritesStore)
{
    std::mt19937 rng(20261207);
    const char *const apszSeeds[] = {
        "AT+CPBR=1,5", "AT+CPBR=?", "AT+CPBF=\"M\"", "AT+CPBS?", "AT+CMGL=4", "AT+CMGL=\"ALL\"", "AT+CMGR=1",
        "AT+CPMS=\"SM\",\"SM\"", "AT+CSCS=\"UCS2\"", "AT+CMGF=1", "AT+CSMP=17,167,0,8", "AT+CNUM", "ATE0V0Q0",
        "AT+CMEE=2;+CPIN?;+CFUN?", "AT+CGMI;+CGMM;+CGMR;+CGSN;+CIMI", "AT+CSDH=1", "AT&F", "ATI", "A/",
    };
    const std::string alphabet = "AT+CMGRLPBWSF=?,;\"0123456789\r\x1A\x1B\x08 \xFF\x80\n";
    std::string before = SimBytes();
    PlatAtModem m(PlatAtModem::KIND_TERMINAL);
    std::string out;
    for (int i = 0; i < 100000; ++i) {
        std::string line = apszSeeds[rng() % ARRAYSIZE(apszSeeds)];
        int cMutations = rng() % 4;
        for (int k = 0; k < cMutations; ++k) {
            size_t at = line.empty() ? 0 : rng() % line.size();
            char c = rng() % 3 ? alphabet[rng() % alphabet.size()] : (char)(rng() & 0xFF);
            switch (rng() % 3) {
            case 0: line.insert(at, 1, c); break;
            case 1: if (!line.empty()) line[at] = c; break;
            default: if (!line.empty()) line.erase(at, 1); break;
            }
        }
        // Writes need "W" or "D" after "+CMG"/"+CPB": a line that could be one is left out.
        std::string upper = line;
        for (char &c : upper)
            c = (char)toupper((BYTE)c);
        if (upper.find('W') != std::string::npos || upper.find('D') != std::string::npos)
            continue;
        out.clear();
        m.Feed(line + "\r", &out);
        ASSERT_LT(out.size(), 20000u) << line;
        if (i % 1000 == 0)
            m.Feed("\x1B\rATZ\r", &out);  // out of any message data, back to the start
    }
    EXPECT_EQ(before, SimBytes());

    // Mutated PDUs: stored means it reads back as the message that was sent.
    SmsMessage w;
    w.number = "+4912345";
    w.text = L"é ß Ö € [ ~";
    std::string tpdu, centre;
    ASSERT_TRUE(SmsEncodeTpdu(w, &tpdu));
    ASSERT_TRUE(SmsEncodeCentre("+447700900000", &centre));
    int cStored = 0;
    for (int i = 0; i < 300; ++i) {
        std::string pdu = centre + tpdu;
        for (int k = 1 + rng() % 3; k > 0; --k)
            pdu[rng() % pdu.size()] = (char)(rng() & 0xFF);
        size_t cb = pdu.size() - centre.size();
        SmsMessage sent;
        bool fValid = SmsDecodePdu(pdu, cb, &sent);
        PlatAtModem p(PlatAtModem::KIND_TERMINAL);
        std::string reply = Talk(p, "ATE0;+CMGF=0\rAT+CMGW=" + std::to_string(cb) + "\r" + HexEncode(pdu) + "\x1A");
        size_t iAt = reply.find("+CMGW: ");
        if (iAt == std::string::npos) {
            // Only a broken pair of UTF-16 units is refused of what decodes.
            EXPECT_TRUE(!fValid || sent.iCoding == SMS_CODING_UCS2) << reply;
            continue;
        }
        ASSERT_TRUE(fValid) << reply;
        ++cStored;
        int iIndex = atoi(reply.c_str() + iAt + 7);
        std::string read = Talk(p, "AT+CMGR=" + std::to_string(iIndex) + "\r");
        size_t iData = read.find("\r\n", 2);
        std::string octets;
        SmsMessage back;
        ASSERT_TRUE(HexDecode(read.substr(iData + 2, read.find("\r\n", iData + 2) - iData - 2), &octets)) << read;
        ASSERT_TRUE(SmsDecodePdu(octets, octets.size() - (BYTE)octets[0] - 1, &back));
        EXPECT_EQ(sent.text, back.text);
        EXPECT_EQ(sent.number, back.number);
        EXPECT_EQ(sent.iCoding, back.iCoding);
        EXPECT_EQ(sent.udh, back.udh);
        Talk(p, "AT+CMGD=" + std::to_string(iIndex) + "\r");
    }
    EXPECT_GT(cStored, 10);
    EXPECT_EQ(before, SimBytes());
}
