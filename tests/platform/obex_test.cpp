// The handset's OBEX side: what a sender names is stored as a plain new file
// of the receive folder, hostile packets break nothing, and the driver's
// service serves real peers (obexftp) on the receive port.
#include <gtest/gtest.h>
#include "platform.h"
#include "support.h"
#include "obex.h"
#include "../../platform/src/obexwire.h"
#include <tlhelp32.h>
#include <algorithm>
#include <atomic>
#include <random>
#include <thread>

namespace {
const wchar_t kFolder[] = L"\\My Documents";

std::vector<BYTE> Connect()
{
    ObexPacket pkt(OBEX_OP_CONNECT);
    pkt.AddByte(0x10);
    pkt.AddByte(0);
    pkt.AddWord(0x400);
    return pkt.Bytes();
}

std::vector<BYTE> PutFinal(const std::wstring &name, const std::string &body)
{
    ObexPacket pkt(OBEX_OP_PUT_FINAL);
    pkt.AddUnicode(OBEX_HI_NAME, name);
    pkt.AddBytes(OBEX_HI_END_OF_BODY, (const BYTE *)body.data(), body.size());
    return pkt.Bytes();
}

// Every file of the store outside the receive folder, "\"-relative.
void FilesOutside(const std::wstring &dir, std::vector<std::wstring> &found)
{
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((StoreRoot() + dir + L"*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..")
            continue;
        std::wstring rel = dir + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (rel != L"My Documents")
                FilesOutside(rel + L"\\", found);
        } else {
            found.push_back(rel);
        }
    } while (FindNextFileW(h, &fd));
    FindClose(h);
}

// One packet of a put: its opcode and the headers asked for.
std::vector<BYTE> PutPacket(BYTE bOp, const wchar_t *pszName, int iLength, BYTE hiBody, size_t cbBody)
{
    ObexPacket pkt(bOp);
    if (pszName)
        pkt.AddUnicode(OBEX_HI_NAME, pszName);
    if (iLength >= 0)
        pkt.AddDword(OBEX_HI_LENGTH, (DWORD)iLength);
    std::string body(cbBody, 'b');
    pkt.AddBytes(hiBody, (const BYTE *)body.data(), body.size());
    return pkt.Bytes();
}

// The session's answers to the packets, one after another (Connect first).
std::vector<BYTE> Answers(ObexServerSession &session, const std::vector<std::vector<BYTE>> &packets)
{
    std::vector<BYTE> codes, response;
    session.Handle(Connect(), response);
    for (const std::vector<BYTE> &pkt : packets) {
        session.Handle(pkt, response);
        codes.push_back(response[0]);
    }
    return codes;
}

// Where a handset path is on the host (the profile is on Wine's Z: drive, the host's root).
std::wstring HostPath(const std::wstring &path)
{
    std::wstring host = std::wstring(PlatProfileDir()).substr(2) + L"\\store" + path;
    std::replace(host.begin(), host.end(), L'\\', L'/');
    return host;
}

// The files of a store folder (a handset path), by name.
std::vector<std::wstring> FilesIn(const std::wstring &dir)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((StoreRoot() + dir.substr(1) + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(fd.cFileName);
    while (FindNextFileW(h, &fd));
    FindClose(h);
    return names;
}

// Replies scripted by the test instead of a socket.
class ScriptedLink : public ObexLink {
public:
    std::function<bool(std::vector<BYTE> &)> next;
    BOOL Send(const std::vector<BYTE> &) override { return TRUE; }
    BOOL Receive(std::vector<BYTE> &pkt) override { return next(pkt); }
};
} // namespace

TEST(ObexReceive, HostileNamesLandAsPlainNewFilesOfTheFolder)
{
    ResetStore();
    MakeDir(L"\\My Documents");
    MakeDir(L"\\Windows");
    MakeFile(L"\\My Documents\\x", "earlier");
    const std::wstring kNames[] = {L"..\\..\\Windows\\x", L"\\x", L"C:x", L"../x", L"a<b>c\"d|e?f*g\x01.txt",
                                   L"CON.txt", L"..", L"x. . ", std::wstring(300, L'n') + L".txt", L"x"};
    std::vector<std::wstring> stored;
    for (size_t i = 0; i < ARRAYSIZE(kNames); ++i) {
        SCOPED_TRACE(testing::Message() << "name " << i);
        ObexServerSession session(kFolder);
        std::vector<BYTE> response;
        ASSERT_TRUE(session.Handle(Connect(), response));
        ASSERT_TRUE(session.Handle(PutFinal(kNames[i], "body " + std::to_string(i)), response));
        EXPECT_EQ(OBEX_RSP_SUCCESS, response[0]);
        std::wstring path = session.LastStored();
        ASSERT_EQ(0u, path.find(L"\\My Documents\\"));
        std::wstring name = path.substr(wcslen(L"\\My Documents\\"));
        EXPECT_EQ(std::wstring::npos, name.find_first_of(L"\\/:<>\"|?*\x01"));
        EXPECT_LT(path.size(), (size_t)MAX_PATH);
        EXPECT_EQ(std::find(stored.begin(), stored.end(), path), stored.end());
        stored.push_back(path);
        EXPECT_EQ("body " + std::to_string(i), ReadFileText(path));
    }
    EXPECT_EQ("earlier", ReadFileText(L"\\My Documents\\x"));
    std::vector<std::wstring> outside;
    FilesOutside(L"", outside);
    EXPECT_TRUE(outside.empty()) << outside.size();
}

// Cut short on the way (fewer bytes than its Length), or more than it
// said: refused, and nothing stored.
TEST(ObexReceive, AnObjectWhoseBytesDifferFromItsLengthIsRefusedAndNotStored)
{
    ResetStore();
    MakeDir(kFolder);
    const BYTE F = OBEX_OP_PUT_FINAL, P = OBEX_OP_PUT, E = OBEX_HI_END_OF_BODY, B = OBEX_HI_BODY;
    ObexServerSession session(kFolder);
    EXPECT_EQ((std::vector<BYTE>{OBEX_RSP_BAD_REQUEST, OBEX_RSP_BAD_REQUEST, OBEX_RSP_CONTINUE, OBEX_RSP_BAD_REQUEST,
                                 OBEX_RSP_CONTINUE, OBEX_RSP_SUCCESS}),
              Answers(session, {PutPacket(F, L"short.txt", 1000, E, 3), PutPacket(F, L"long.txt", 3, E, 5),
                                PutPacket(P, L"parts.txt", 2500, B, 1000), PutPacket(F, nullptr, -1, E, 1000),
                                PutPacket(P, L"whole.txt", 2000, B, 1000), PutPacket(F, nullptr, -1, E, 1000)}));
    EXPECT_EQ(std::vector<std::wstring>{L"whole.txt"}, FilesIn(kFolder));
    EXPECT_EQ(2000u, ReadFileText(L"\\My Documents\\whole.txt").size());
}

// After an Abort the next object has no name of the last; after a
// refusal (the card is full) a client that goes on gets no file of the
// rest, until an object of its own begins.
TEST(ObexReceive, AfterAnAbortOrARefusalEachObjectStartsClean)
{
    ResetStore();
    MakeDir(kFolder);
    MakeDir(L"\\Storage Card");
    ASSERT_TRUE(PlatProfileSave(L"device.json", {{"cards", {{{"name", "Storage Card"}, {"capacity", 3000}}}}}));
    const BYTE F = OBEX_OP_PUT_FINAL, P = OBEX_OP_PUT, E = OBEX_HI_END_OF_BODY, B = OBEX_HI_BODY;
    const std::vector<BYTE> kAbort = ObexPacket(OBEX_OP_ABORT).Bytes();

    ObexServerSession docs(kFolder);
    EXPECT_EQ((std::vector<BYTE>{OBEX_RSP_CONTINUE, OBEX_RSP_SUCCESS, OBEX_RSP_SUCCESS}),
              Answers(docs, {PutPacket(P, L"old.txt", -1, B, 10), kAbort, PutPacket(F, nullptr, -1, E, 4)}));
    EXPECT_EQ(std::vector<std::wstring>{L"received"}, FilesIn(kFolder));

    ObexServerSession card(L"\\Storage Card");
    EXPECT_EQ((std::vector<BYTE>{OBEX_RSP_DATABASE_FULL, OBEX_RSP_CONTINUE, OBEX_RSP_DATABASE_FULL,
                                 OBEX_RSP_DATABASE_FULL, OBEX_RSP_DATABASE_FULL, OBEX_RSP_SUCCESS}),
              Answers(card, {PutPacket(F, L"declared.bin", 5000, E, 5000), PutPacket(P, L"big.bin", -1, B, 2000),
                             PutPacket(P, nullptr, -1, B, 2000), PutPacket(P, nullptr, -1, B, 500),
                             PutPacket(F, nullptr, -1, E, 10), PutPacket(F, L"small.txt", 20, E, 20)}));
    EXPECT_EQ(std::vector<std::wstring>{L"small.txt"}, FilesIn(L"\\Storage Card"));
    DeleteFileW(PlatProfilePath(L"device.json").c_str());
}

// What the host cannot store or would show otherwise is cleaned; a long
// name of wide characters keeps its extension within the host's 255 bytes.
TEST(ObexReceive, NamesAreCleanedAndShortenedToWhatTheHostStores)
{
    ResetStore();
    MakeDir(kFolder);
    const std::wstring kCjk(200, L'\x4E2D'), kSmiles = [] {
        std::wstring t;
        for (int i = 0; i < 100; ++i)
            t += L"\xD83D\xDE00";
        return t;
    }();
    const std::pair<std::wstring, std::wstring> kCases[] = {
        {L"photo\x202Egpj.exe", L"photogpj.exe"},
        {L"a\x200B" L"b\x200F\x2066" L"c\xFEFF.txt", L"abc.txt"},
        {L"x\xD800y.txt", L"x_y.txt"},
        {L"\xDC00z\xD83D.txt", L"_z_.txt"},
        {L"smile \xD83D\xDE00.txt", L"smile \xD83D\xDE00.txt"},
        {L"del\x7F\x85.txt", L"del__.txt"},
        {kCjk + L".jpeg", kCjk.substr(0, 83) + L".jpeg"},
        {kCjk + L".jpeg", kCjk.substr(0, 82) + L" (2).jpeg"},
        {kSmiles + L".txt", kSmiles.substr(0, 2 * 62) + L".txt"},
    };
    for (const auto &c : kCases) {
        ObexServerSession session(kFolder);
        std::vector<BYTE> response;
        session.Handle(Connect(), response);
        session.Handle(PutFinal(c.first, "x"), response);
        EXPECT_EQ(OBEX_RSP_SUCCESS, response[0]);
        EXPECT_EQ(std::wstring(kFolder) + L"\\" + c.second, session.LastStored());
        EXPECT_EQ("x", ReadFileText(session.LastStored()));
    }

    // Ten thousand taken: the next number, found at once.
    RunHostShell(L"cd '" + HostPath(kFolder) +
                 L"' && touch n.txt && seq -f 'n (%g).txt' 2 10000 | xargs -d '\\n' touch");
    ASSERT_EQ(10000u + ARRAYSIZE(kCases), FilesIn(kFolder).size());
    ObexServerSession session(kFolder);
    std::vector<BYTE> response;
    session.Handle(Connect(), response);
    session.Handle(PutFinal(L"n.txt", "x"), response);
    EXPECT_EQ(OBEX_RSP_SUCCESS, response[0]);
    EXPECT_EQ(L"\\My Documents\\n (10001).txt", session.LastStored());
}

// A fixed seed: the same 100,000 packets every run.
TEST(ObexFuzz, RandomAndMutatedPacketsNeitherCrashHangNorStoreOutsideTheFolder)
{
    ResetStore();
    MakeDir(L"\\My Documents");
    MakeDir(L"\\Windows");
    std::mt19937 rng(20251207);
    auto random = [&](size_t n) { return (size_t)(rng() % n); };
    const std::wstring kNames[] = {L"..\\evil", L"C:\\Windows\\x", L"\\\\host\\x", L"ok.txt", L"", L"CON"};
    auto mutate = [&](std::vector<BYTE> pkt) {
        switch (random(4)) {
        case 0: pkt[random(pkt.size())] ^= (BYTE)(1 + random(255)); break;
        case 1: pkt.resize(1 + random(pkt.size())); break;
        case 2: pkt.insert(pkt.begin() + (ptrdiff_t)random(pkt.size()), (BYTE)rng()); break;
        default: for (size_t i = random(8); i < pkt.size(); i += 1 + random(6)) pkt[i] = (BYTE)rng(); break;
        }
        // Mostly with the length field fixed up, so the headers get parsed.
        if (pkt.size() >= 3 && random(4)) {
            pkt[1] = (BYTE)(pkt.size() >> 8);
            pkt[2] = (BYTE)pkt.size();
        }
        return pkt;
    };
    auto valid = [&]() {
        switch (random(5)) {
        case 0: return Connect();
        case 1: {
            ObexPacket pkt(OBEX_OP_PUT);
            pkt.AddUnicode(OBEX_HI_NAME, kNames[random(ARRAYSIZE(kNames))]);
            std::string body(random(40), 'b');
            pkt.AddBytes(OBEX_HI_BODY, (const BYTE *)body.data(), body.size());
            return pkt.Bytes();
        }
        case 2: return PutFinal(kNames[random(ARRAYSIZE(kNames))], std::string(random(20), 'e'));
        case 3: return ObexPacket(OBEX_OP_DISCONNECT).Bytes();
        default: {
            std::vector<BYTE> pkt(3 + random(60));
            for (BYTE &b : pkt)
                b = (BYTE)rng();
            return pkt;
        }
        }
    };
    const int kServerPackets = 50000, kClientReplies = 50000;

    ObexServerSession *pSession = new ObexServerSession(kFolder);
    for (int i = 0; i < kServerPackets; ++i) {
        std::vector<BYTE> request = random(3) ? mutate(valid()) : valid();
        std::vector<BYTE> response;
        BOOL fKeep = pSession->Handle(request, response);
        ASSERT_GE(response.size(), 3u);
        ASSERT_EQ(response.size(), ((size_t)response[1] << 8 | response[2]));
        if (!fKeep) {
            delete pSession;
            pSession = new ObexServerSession(kFolder);
        }
    }
    delete pSession;

    // Replies to the sending side: every call ends with an answer, never waits.
    int cReplies = 0;
    while (cReplies < kClientReplies) {
        ScriptedLink *pLink = new ScriptedLink;
        pLink->next = [&](std::vector<BYTE> &pkt) {
            if (++cReplies > kClientReplies || random(50) == 0)
                return false;  // the peer closes
            std::vector<BYTE> base = ObexPacket((BYTE)(random(2) ? OBEX_RSP_CONTINUE : OBEX_RSP_SUCCESS)).Bytes();
            if (random(3) == 0) {
                ObexPacket connect(OBEX_RSP_SUCCESS);
                connect.AddByte(0x10);
                connect.AddByte(0);
                connect.AddWord((WORD)rng());
                connect.AddDword(OBEX_HI_CONNECTION_ID, rng());
                base = connect.Bytes();
            }
            pkt = random(2) ? mutate(base) : base;
            if (pkt.size() < 3)
                pkt.resize(3);  // a link hands over whole packets only
            return true;
        };
        ObexClient client(pLink);
        if (FAILED(client.Connect()))
            continue;
        if (FAILED(client.BeginPut(L"x", TRUE, 100000)))
            continue;
        std::vector<BYTE> data(1 + random(30000), 'd');
        for (int k = 0; k < 4 && SUCCEEDED(client.PutData(data.data(), data.size())); ++k) {
        }
        client.EndPut();
        client.Disconnect();
    }
    RecordProperty("packets", kServerPackets + kClientReplies);
    std::vector<std::wstring> outside;
    FilesOutside(L"", outside);
    EXPECT_TRUE(outside.empty()) << outside.size();
}

namespace {
BOOL Control(HANDLE h, DWORD dwCode)
{
    DWORD cb = 0;
    return DeviceIoControl(h, dwCode, nullptr, 0, nullptr, 0, &cb, nullptr);
}

bool Serving()
{
    SOCKET s = ObexDial("127.0.0.1", 650, 2000);
    if (s == INVALID_SOCKET)
        return false;
    closesocket(s);
    return true;
}

// The driver opened as programs open it, with the service started.
HANDLE StartService()
{
    MakeDir(kFolder);
    if (!PlatProfileSave(L"irda.json", {{"server", {{"state", 0}}}}))
        return INVALID_HANDLE_VALUE;
    HANDLE h = PlatCreateFileW(L"OBX0:", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE && !Control(h, IOCTL_SERVICE_START)) {
        CloseHandle(h);
        return INVALID_HANDLE_VALUE;
    }
    return h;
}

void StopService(HANDLE h)
{
    Control(h, IOCTL_SERVICE_STOP);
    CloseHandle(h);
    DeleteFileW(PlatProfilePath(L"irda.json").c_str());
}

// Ends the service this process started, as the launcher ends it after a run.
bool KillService()
{
    HANDLE hSnap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W pe = {};
    pe.dwSize = sizeof(pe);
    bool fKilled = false;
    for (BOOL f = Process32FirstW(hSnap, &pe); f; f = Process32NextW(hSnap, &pe)) {
        if (_wcsicmp(pe.szExeFile, L"obexsvc.exe") != 0 || pe.th32ParentProcessID != GetCurrentProcessId())
            continue;
        HANDLE hProcess = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pe.th32ProcessID);
        if (hProcess) {
            fKilled = TerminateProcess(hProcess, 9) && WaitForSingleObject(hProcess, 5000) == WAIT_OBJECT_0;
            CloseHandle(hProcess);
        }
    }
    CloseHandle(hSnap);
    return fKilled;
}

// Temporaries of objects being received.
size_t PartsReceiving()
{
    size_t c = 0;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(PlatProfilePath(L"obex-incoming\\*.part").c_str(), &fd);
    for (BOOL f = h != INVALID_HANDLE_VALUE; f; f = FindNextFileW(h, &fd))
        ++c;
    if (h != INVALID_HANDLE_VALUE)
        FindClose(h);
    return c;
}
} // namespace

// Port 650 (the ctest lock keeps its other users away). The driver is opened as
// programs open it; its states' messages are checked by Tavel's Receive test.
TEST(ObexDriver, TheServiceStoresWhatObexftpPutsAndAServiceFoundOnServes)
{
    ResetStore();
    MakeDir(L"\\My Documents");
    // The launcher puts the service in the test profile.
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(PlatProfilePath(L"obexsvc.exe").c_str()));
    ASSERT_TRUE(PlatProfileSave(L"irda.json", {{"server", {{"state", 0}}}}));
    HANDLE h = PlatCreateFileW(L"obx0:", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    ASSERT_TRUE(Control(h, IOCTL_SERVICE_START));
    ASSERT_TRUE(Serving());

    // A real sender: obexftp puts a file of random bytes.
    std::string bytes(70000, 0);
    std::mt19937 rng(7);
    for (char &c : bytes)
        c = (char)rng();
    ASSERT_TRUE(MakeFile(L"\\My Documents\\sent.bin", bytes));  // taken by the put: kept, the new one beside it
    // obexftp ends with 255 even after a good put: the bytes tell.
    EXPECT_NE(-1, RunHostShell(L"cd '" + HostPath(kFolder) + L"' && obexftp -n 127.0.0.1 -U none -H -S -p sent.bin"));
    EXPECT_TRUE(bytes == ReadFileText(L"\\My Documents\\sent (2).bin"));
    EXPECT_TRUE(bytes == ReadFileText(L"\\My Documents\\sent.bin"));

    // Off, and a later run that finds it on serves again.
    ASSERT_TRUE(Control(h, IOCTL_SERVICE_STOP));
    DWORD dwState = 99, cb = 0;
    EXPECT_TRUE(DeviceIoControl(h, IOCTL_SERVICE_STATUS, nullptr, 0, &dwState, sizeof(dwState), &cb, nullptr));
    EXPECT_EQ(0u, dwState);
    CloseHandle(h);
    EXPECT_FALSE(Serving());
    ASSERT_TRUE(PlatProfileSave(L"irda.json", {{"server", {{"state", 1}}}}));
    h = PlatCreateFileW(L"OBX0:", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_TRUE(Serving());
    EXPECT_TRUE(Control(h, IOCTL_SERVICE_STOP));
    CloseHandle(h);
    DeleteFileW(PlatProfilePath(L"irda.json").c_str());
}

// 5,000 bytes of a 100,000-byte put, then the service is ended: no file,
// and the next start removes what it left.
TEST(ObexDriver, APutCutShortByTheServicesEndLeavesNoFile)
{
    ResetStore();
    HANDLE h = StartService();
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    {
        SOCKET s = ObexDial("127.0.0.1", 650, 2000);
        ASSERT_NE(INVALID_SOCKET, s);
        ObexSocketLink link(s, 5000, TRUE);
        std::vector<BYTE> response;
        ASSERT_TRUE(link.Send(Connect()) && link.Receive(response));
        ASSERT_TRUE(link.Send(PutPacket(OBEX_OP_PUT, L"big.bin", 100000, OBEX_HI_BODY, 5000)) &&
                    link.Receive(response));
        EXPECT_EQ(OBEX_RSP_CONTINUE, response[0]);
        EXPECT_EQ(1u, PartsReceiving());
        ASSERT_TRUE(KillService());
    }
    EXPECT_TRUE(FilesIn(kFolder).empty());
    EXPECT_TRUE(Control(h, IOCTL_SERVICE_START));
    EXPECT_EQ(0u, PartsReceiving());
    StopService(h);
}

// A peer that keeps talking does not hold the service: the stop ends its
// connection and the put in progress, and what it sends later is not stored.
TEST(ObexDriver, StoppingEndsTheConnectionInProgress)
{
    ResetStore();
    HANDLE h = StartService();
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    SOCKET s = ObexDial("127.0.0.1", 650, 2000);
    ASSERT_NE(INVALID_SOCKET, s);
    ObexSocketLink link(s, 5000, TRUE);
    std::vector<BYTE> response;
    ASSERT_TRUE(link.Send(Connect()) && link.Receive(response));
    ASSERT_TRUE(link.Send(PutPacket(OBEX_OP_PUT, L"held.bin", -1, OBEX_HI_BODY, 100)) && link.Receive(response));
    std::atomic<int> cPackets{0};
    std::atomic<bool> fStopped{false};
    std::atomic<bool> fCut{false};
    BYTE bLast = 0;
    std::thread talker([&] {
        std::vector<BYTE> r;
        while (!fStopped) {
            if (!link.Send(PutPacket(OBEX_OP_PUT, nullptr, -1, OBEX_HI_BODY, 100)) || !link.Receive(r)) {
                fCut = true;
                return;
            }
            ++cPackets;
        }
        if (link.Send(PutPacket(OBEX_OP_PUT_FINAL, nullptr, -1, OBEX_HI_END_OF_BODY, 10)) && link.Receive(r))
            bLast = r[0];
    });
    EXPECT_TRUE(PumpUntil([&] { return cPackets >= 3; }, 5000));
    EXPECT_TRUE(Control(h, IOCTL_SERVICE_STOP));
    fStopped = true;
    talker.join();
    EXPECT_TRUE(fCut);
    EXPECT_NE(OBEX_RSP_SUCCESS, bLast);
    EXPECT_TRUE(FilesIn(kFolder).empty());
    EXPECT_FALSE(Serving());
    StopService(h);
}
