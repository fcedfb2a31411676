// The handset on an outside AT modem: the SIM service and the programs' AT
// commands go to a modem on a loopback port that behaves like real ones.
#include "simtest.h"
#include "simsms.h"
#include "scriptedmodem.h"
#include "platril.h"
#include <random>

namespace {
class OutsideModem : public SimTest {
protected:
    void TearDown() override
    {
        std::string log = ReadRadioLog();
        if (HasFailure())
            printf("radio.log ends:\n%s\n", log.substr(log.size() > 4000 ? log.size() - 4000 : 0).c_str());
        SimTest::TearDown();
    }
    void Use(const std::string &modem)
    {
        WriteSim({});
        nlohmann::json sim = ReadSim();
        sim["modem"] = modem;
        ASSERT_TRUE(PlatProfileSave(L"sim.json", sim));
        PlatSimReload();
    }
    static SIMPHONEBOOKENTRY Entry(LPCWSTR pszName, LPCWSTR pszNumber)
    {
        SIMPHONEBOOKENTRY e = {};
        e.cbSize = sizeof(e);
        e.dwParams = SIM_PARAM_PBE_ALL;
        StringCchCopyW(e.lpszText, ARRAYSIZE(e.lpszText), pszName);
        StringCchCopyW(e.lpszAddress, ARRAYSIZE(e.lpszAddress), pszNumber);
        return e;
    }
    static HRESULT WriteMessage(LPCWSTR pszNumber, LPCWSTR pszText, DWORD *pdwIndex)
    {
        SIMMESSAGE msg = {};
        StringCchCopyW(msg.lpszAddress, ARRAYSIZE(msg.lpszAddress), pszNumber);
        StringCchCopyW(msg.lpszMessage, ARRAYSIZE(msg.lpszMessage), pszText);
        return KORU_SimWriteMessage(g_hSim, SIM_SMSSTORAGE_SIM, pdwIndex, &msg);
    }
};
} // namespace

// Echo, numeric results, unsolicited lines around every reply and replies
// in three-byte pieces: the phone book still reads and writes every character.
TEST_F(OutsideModem, PhoneBookOnAnUntidyModemKeepsEveryCharacter)
{
    ScriptedModem m;
    m.fUnsolicited = m.fSplit = true;
    m.book[1] = {"+447700900001", L"Voicemail"};
    m.book[2] = {"0207946000", L"Home"};
    m.ownNumbers.push_back({"447700900321", L"Me"});
    Use(m.Name());
    ASSERT_TRUE(OpenSim()) << ReadRadioLog();

    SIMCAPS caps = {};
    caps.cbSize = sizeof(caps);
    ASSERT_HRESULT_SUCCEEDED(SimGetDevCaps(g_hSim, SIM_CAPSTYPE_ALL, &caps));
    EXPECT_EQ(1u, caps.dwMinPBIndex);
    EXPECT_EQ(20u, caps.dwMaxPBIndex);
    EXPECT_EQ(14u, caps.dwMaxPBETextLength);

    SIMPHONEBOOKENTRY e = Entry(L"Zoë Ñandú €ß", L"+447700900777");
    ASSERT_HRESULT_SUCCEEDED(SimWritePhonebookEntry(g_hSim, SIM_PBSTORAGE_SIM, SIM_PBINDEX_FIRSTAVAILABLE, &e));
    {
        auto lock = m.Lock();
        ASSERT_EQ(1u, m.book.count(3));  // the first free slot
        EXPECT_EQ(L"Zoë Ñandú €ß", m.book[3].name);
    }
    SIMPHONEBOOKENTRY back = {};
    ASSERT_HRESULT_SUCCEEDED(SimReadPhonebookEntry(g_hSim, SIM_PBSTORAGE_SIM, 3, &back));
    EXPECT_STREQ(L"Zoë Ñandú €ß", back.lpszText);
    EXPECT_STREQ(L"+447700900777", back.lpszAddress);
    EXPECT_EQ((DWORD)SIM_E_NOTFOUND, (DWORD)SimReadPhonebookEntry(g_hSim, SIM_PBSTORAGE_SIM, 4, &back));
    ASSERT_HRESULT_SUCCEEDED(SimReadPhonebookEntry(g_hSim, SIM_PBSTORAGE_OWNNUMBERS, 1, &back));
    EXPECT_STREQ(L"+447700900321", back.lpszAddress);  // type 145 without its "+"

    DWORD dwUsed = 0, dwTotal = 0;
    ASSERT_HRESULT_SUCCEEDED(SimGetPhonebookStatus(g_hSim, SIM_PBSTORAGE_SIM, &dwUsed, &dwTotal));
    EXPECT_EQ(3u, dwUsed);
    EXPECT_EQ(20u, dwTotal);
    ASSERT_HRESULT_SUCCEEDED(SimDeletePhonebookEntry(g_hSim, SIM_PBSTORAGE_SIM, 3));
    {
        auto lock = m.Lock();
        EXPECT_EQ(0u, m.book.count(3));
        EXPECT_EQ(1, m.cConnections);
    }
    // Set up once for the connection: echo off, verbose, numbered errors, UCS2.
    EXPECT_EQ(1, m.Count("ATE0"));
    EXPECT_EQ(1, m.Count("AT+CMEE=1"));
    EXPECT_EQ(1, m.Count("AT+CSCS=\"UCS2\""));
}

// What goes into a command is checked and quoted: a number that carries a
// command never reaches the modem, a name with quotes and commas travels as
// UCS2 and comes back whole.
TEST_F(OutsideModem, NamesAndNumbersNeverBecomeCommands)
{
    ScriptedModem m;
    Use(m.Name());
    ASSERT_TRUE(OpenSim()) << ReadRadioLog();
    for (LPCWSTR pszBad : {L"+44;ATD112;", L"112\r\nATD112", L"+44\"", L"12+34", L"", L"\x1A"}) {
        SIMPHONEBOOKENTRY e = Entry(L"Help", pszBad);
        EXPECT_TRUE(FAILED(SimWritePhonebookEntry(g_hSim, SIM_PBSTORAGE_SIM, 5, &e)));
    }
    EXPECT_EQ(0, m.Count("ATD"));
    EXPECT_EQ(0, m.Count("+CPBW"));

    SIMPHONEBOOKENTRY e = Entry(L"a\",\"b;\rATD", L"+44 (20) 7946-0000");
    ASSERT_HRESULT_SUCCEEDED(SimWritePhonebookEntry(g_hSim, SIM_PBSTORAGE_SIM, 5, &e));
    SIMPHONEBOOKENTRY back = {};
    ASSERT_HRESULT_SUCCEEDED(SimReadPhonebookEntry(g_hSim, SIM_PBSTORAGE_SIM, 5, &back));
    EXPECT_STREQ(L"a\",\"b;\rATD", back.lpszText);
    EXPECT_STREQ(L"+442079460000", back.lpszAddress);  // the blanks a user typed for reading are left out
}

// A modem that goes silent in a write, hangs up, or answers without end:
// the call fails in time, and the next one connects afresh and works.
TEST_F(OutsideModem, SilenceAndHangUpFailTheCallAndTheNextConnectsAgain)
{
    ScriptedModem m;
    Use(m.Name());
    ASSERT_TRUE(OpenSim()) << ReadRadioLog();
    m.silentOn = [](const std::string &l) { return l.find("+CPBW=6") != std::string::npos; };
    m.dropOn = [](const std::string &l) { return l.find("+CPBW=7") != std::string::npos; };
    SIMPHONEBOOKENTRY e = Entry(L"Late", L"123");
    ULONGLONG ullStart = GetTickCount64();
    EXPECT_TRUE(FAILED(SimWritePhonebookEntry(g_hSim, SIM_PBSTORAGE_SIM, 6, &e)));
    EXPECT_LT(GetTickCount64() - ullStart, (ULONGLONG)AT_TIMEOUT_MS);
    EXPECT_TRUE(FAILED(SimWritePhonebookEntry(g_hSim, SIM_PBSTORAGE_SIM, 7, &e)));
    m.floodOn = [](const std::string &l) { return l == "AT+CPBR=1"; };
    ullStart = GetTickCount64();
    EXPECT_TRUE(FAILED(SimReadPhonebookEntry(g_hSim, SIM_PBSTORAGE_SIM, 1, &e)));
    EXPECT_LT(GetTickCount64() - ullStart, 2000u);  // cut off at its size, not waited out
    ASSERT_HRESULT_SUCCEEDED(SimWritePhonebookEntry(g_hSim, SIM_PBSTORAGE_SIM, 8, &e));
    auto lock = m.Lock();
    EXPECT_EQ(4, m.cConnections);
    EXPECT_EQ(1u, m.book.size());
}

// Morlin's own edit on a modem that stops answering in the write: the
// program's failure path, its list as before, nothing changed on the card.
TEST_F(OutsideModem, AnEditTheModemNeverAnswersChangesNothing)
{
    ScriptedModem m;
    m.book[3] = {"+4670", L"Anna"};
    Use(m.Name());
    ASSERT_TRUE(OpenSim());
    ASSERT_TRUE(ReadAllPhoneBookEntryFromSIM());
    m.silentOn = [](const std::string &l) { return l.find("+CPBW=") != std::string::npos; };
    MessageBoxes::answers.push_back(IDYES);
    EXPECT_FALSE(EditPhoneBook(3, L"Changed", L"999"));
    EXPECT_STREQ(L"Anna", FindPhoneBookRecord(3)->lpszText);
    auto lock = m.Lock();
    EXPECT_EQ(L"Anna", m.book[3].name);
    EXPECT_EQ("+4670", m.book[3].number);
}

// A modem nobody answers for, or a name that is none: the SIM cannot be
// opened, and the log says once where the modem was looked for.
TEST_F(OutsideModem, AnUnreachableModemIsNamedOnce)
{
    std::string gone;
    {
        ScriptedModem m;
        gone = m.Name();
    }
    Use(gone);
    EXPECT_FALSE(OpenSim());
    EXPECT_FALSE(OpenSim());
    std::string log = ReadRadioLog();
    size_t i = log.find("cannot be reached");
    ASSERT_NE(std::string::npos, i);
    EXPECT_NE(std::string::npos, log.find(gone));
    EXPECT_EQ(std::string::npos, log.find("cannot be reached", i + 1));

    Use("tcp:127.0.0.1");
    EXPECT_FALSE(OpenSim());
    EXPECT_NE(std::string::npos, ReadRadioLog().find("not builtin, tcp:HOST:PORT or COMn:"));

    // A port whose modem another program holds: socat takes the call and hangs up.
    ScriptedModem held;
    held.dropOn = [](const std::string &) { return true; };
    Use(held.Name());
    EXPECT_FALSE(OpenSim());
    EXPECT_NE(std::string::npos, ReadRadioLog().find("hung up at once"));
    // Just found out of reach, it is not dialled again for every call.
    EXPECT_FALSE(OpenSim());
    auto lock = held.Lock();
    EXPECT_EQ(1, held.cConnections);
}

// The program's own message commands pass through: the write waits for the
// modem's prompt, the read comes back without echo or unsolicited lines, in
// the character set the program's hex data needs.
TEST_F(OutsideModem, MessagesPassThroughTheRadio)
{
    ScriptedModem m;
    m.fUnsolicited = true;
    Use(m.Name());
    ASSERT_TRUE(OpenSim()) << ReadRadioLog();
    g_dwSmsTotal = 20;
    SIMMESSAGE msg = {};
    ASSERT_HRESULT_SUCCEEDED(KORU_SimReadMessage(g_hSim, SIM_SMSSTORAGE_SIM, 1, &msg));
    EXPECT_STREQ(L"+447700900123", msg.lpszAddress);
    EXPECT_STREQ(L"Hi", msg.lpszMessage);
    DWORD dwIndex = 0;
    ASSERT_HRESULT_SUCCEEDED(WriteMessage(L"+447700900999", L"Hi", &dwIndex));
    EXPECT_EQ(4u, dwIndex);
    EXPECT_EQ(1, m.Count("4869<SUB>"));
    EXPECT_EQ(1, m.Count("AT+CSCS=\"HEX\""));

    DWORD dwUsed = 0, dwTotal = 0;
    ASSERT_HRESULT_SUCCEEDED(SimGetSmsStorageStatus(g_hSim, SIM_SMSSTORAGE_SIM, &dwUsed, &dwTotal));
    EXPECT_EQ(3u, dwUsed);
    EXPECT_EQ(20u, dwTotal);
    EXPECT_HRESULT_SUCCEEDED(SimDeleteMessage(g_hSim, SIM_SMSSTORAGE_SIM, 2));
    EXPECT_EQ(1, m.Count("AT+CMGD=2"));

    // A modem without the HEX set: the program's message commands fail, never sent.
    {
        ScriptedModem plain;
        plain.fHexSet = false;
        Use(plain.Name());
        EXPECT_TRUE(FAILED(KORU_SimReadMessage(g_hSim, SIM_SMSSTORAGE_SIM, 1, &msg)));
        EXPECT_TRUE(FAILED(WriteMessage(L"+447700900999", L"Hi", &dwIndex)));
        EXPECT_EQ(0, plain.Count("+CMGR") + plain.Count("+CMGW"));
    }
    Use(m.Name());

    // No prompt comes: the write is called off, its data never sent.
    m.silentOn = [](const std::string &l) { return l.find("+CMGW=") != std::string::npos; };
    EXPECT_TRUE(FAILED(WriteMessage(L"+447700900999", L"Lost", &dwIndex)));
    EXPECT_EQ(0, m.Count("4C6F7374"));
}

// A modem gone wrong, 100,000 replies long: bytes of every value, fields
// cut, doubled or overlong, stray results and prompts, a hang-up in place of
// the final result. Every call ends in time with a result and bounded texts,
// and the link is whole again once the modem is. (The replies come from a
// function in place of a connection: sockets under Wine take milliseconds.)
namespace {
struct Fuzzer {
    std::mt19937 rng{2026};
    int cReplies = 0;
    size_t Pick(size_t n) { return (size_t)(rng() % n); }
    std::string Reply(const std::string &sent)
    {
        static const char *const s_apsz[] = {
            "+CPBR: 3,\"+447700900777\",145,\"005A00EB\"", "+CPBS: \"SM\",3,20", "+CPBR: (1-20),20,14",
            "+CPMS: \"SM\",3,20,\"SM\",3,20", "+CPIN: READY", "+CFUN: 1", "+CNUM: \"004D0065\",\"447700900321\",145",
            "+CME ERROR: 21", "+CMS ERROR: 321", "ERROR", "RING", "> ",
            "+CMGR: \"REC READ\",\"+4477\",,\"26/01/02,10:00:00+00\",145,4,0,8,\"+44\",145,4\r\n00480069"};
        if (sent == "ATE0\r" || sent == "ATV1\r" || sent == "AT+CMEE=1\r")
            return "\r\nOK\r\n";  // a modem that sets up, then goes wrong
        ++cReplies;
        std::string r = "\r\n" + std::string(s_apsz[Pick(ARRAYSIZE(s_apsz))]);
        for (size_t cMutations = Pick(4); cMutations; --cMutations) {
            size_t i = Pick(r.size() + 1);
            switch (Pick(6)) {
            case 0: if (i < r.size()) r[i] = (char)rng(); break;
            case 1: r.insert(i, 1, "\",\r\n>0123456789-()"[Pick(18)]); break;
            case 2: r.insert(i, r.substr(Pick(r.size() + 1))); break;
            case 3: r.resize(i); break;
            case 4: r.insert(i, std::string(Pick(3) ? 40 : 5000, "9A\""[Pick(3)])); break;
            default: r.insert(i, "\r\n+CMTI: \"SM\",3\r\n"); break;
            }
        }
        if (Pick(50) == 0)
            return std::string(1, '\0');  // no final result: the modem hangs up
        return r + (Pick(4) ? "\r\nOK\r\n" : "\r\nERROR\r\n");
    }
    static int CALLBACK Peer(const char *pSent, int cbSent, char *pReply, int cbReply, void *pv)
    {
        std::string r = static_cast<Fuzzer *>(pv)->Reply(std::string(pSent, cbSent));
        if (r == std::string(1, '\0'))
            return -1;
        int cb = (int)std::min<size_t>(r.size(), (size_t)cbReply);
        memcpy(pReply, r.data(), cb);
        return cb;
    }
};
} // namespace

TEST_F(OutsideModem, FuzzedRepliesNeverCrashOrHang)
{
    Fuzzer fuzzer;
    PlatRadioSetPeer(Fuzzer::Peer, &fuzzer);
    Use("tcp:127.0.0.1:9");  // never dialled while the peer stands in
    ULONGLONG ullFuzz = GetTickCount64();
    for (int i = 0; fuzzer.cReplies < 100000; ++i) {
        if (!g_hSim && !OpenSim())
            continue;
        SIMPHONEBOOKENTRY e;
        FillMemory(&e, sizeof(e), 0xA5);
        DWORD dwUsed = 0, dwTotal = 0;
        ULONGLONG ullStart = GetTickCount64();
        switch (i % 4) {
        case 0:
            if (SUCCEEDED(SimReadPhonebookEntry(g_hSim, SIM_PBSTORAGE_SIM, 1 + i % 30, &e))) {
                ASSERT_LT(wcsnlen(e.lpszText, ARRAYSIZE(e.lpszText)), ARRAYSIZE(e.lpszText));
                ASSERT_LT(wcsnlen(e.lpszAddress, ARRAYSIZE(e.lpszAddress)), ARRAYSIZE(e.lpszAddress));
            }
            break;
        case 1:
            SimGetPhonebookStatus(g_hSim, SIM_PBSTORAGE_SIM, &dwUsed, &dwTotal);
            break;
        case 2:
            SimReadPhonebookEntry(g_hSim, SIM_PBSTORAGE_OWNNUMBERS, 1, &e);
            break;
        default:
            SimGetSmsStorageStatus(g_hSim, SIM_SMSSTORAGE_SIM, &dwUsed, &dwTotal);
            break;
        }
        ASSERT_LT(GetTickCount64() - ullStart, (ULONGLONG)AT_TIMEOUT_MS);
    }
    printf("fuzz: %d replies in %llu ms\n", fuzzer.cReplies, GetTickCount64() - ullFuzz);
    PlatRadioSetPeer(nullptr, nullptr);

    // The modem well again: the next call connects and works.
    ScriptedModem m;
    Use(m.Name());
    SIMPHONEBOOKENTRY e = Entry(L"After", L"5");
    EXPECT_HRESULT_SUCCEEDED(SimWritePhonebookEntry(g_hSim, SIM_PBSTORAGE_SIM, 9, &e));
}
