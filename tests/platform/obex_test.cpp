// The handset's OBEX side: what a sender names is stored as a plain new file
// of the receive folder, hostile packets break nothing, and the driver's
// service serves real peers (obexftp) on the receive port.
#include <gtest/gtest.h>
#include "platform.h"
#include "support.h"
#include "obex.h"
#include "../../platform/src/obexwire.h"
#include <algorithm>
#include <random>

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
    // The profile is on Wine's Z: drive, the host's root.
    std::wstring unixStore = std::wstring(PlatProfileDir()).substr(2) + L"\\store\\My Documents";
    std::replace(unixStore.begin(), unixStore.end(), L'\\', L'/');
    // obexftp ends with 255 even after a good put: the bytes tell.
    EXPECT_NE(-1, RunHostShell(L"cd '" + unixStore + L"' && obexftp -n 127.0.0.1 -U none -H -S -p sent.bin"));
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
