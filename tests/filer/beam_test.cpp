// Send by IR and Receive from IR over the real windows: the beam page as
// devices come and go, files beamed to Debian's obex_tcp compared byte for
// byte, peers that refuse, vanish or keep silent, and the receive server's
// states, messages and reminder.
#include "window_fixture.h"
#include "beam.h"
#include "obex.h"
#include "../../platform/src/obexwire.h"
#include <algorithm>
#include <memory>
#include <mutex>
#include <thread>

namespace {
const WORD kPeerPort = 6650;  // the test's own peer, in front of obex_tcp on 650

// A peer of the test's own on kPeerPort: forwards to obex_tcp, or answers
// itself (packets of at most 1 KiB), or misbehaves. It takes one
// connection after another until it goes.
enum class PeerMode { Forward, Answer, RefuseFinal, Vanish, Silent };

class TestPeer {
public:
    explicit TestPeer(PeerMode mode) : m_mode(mode)
    {
        ObexStartSockets();
        m_s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        BOOL fReuse = TRUE;
        setsockopt(m_s, SOL_SOCKET, SO_REUSEADDR, (const char *)&fReuse, sizeof(fReuse));
        sockaddr_in sa = {};
        sa.sin_family = AF_INET;
        sa.sin_port = htons(kPeerPort);
        sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_fListening = bind(m_s, (sockaddr *)&sa, sizeof(sa)) == 0 && listen(m_s, 1) == 0;
        m_thread = std::thread([this] { Run(); });
    }
    ~TestPeer()
    {
        closesocket(m_s);
        m_thread.join();
    }
    bool Listening() const { return m_fListening; }
    // The opcodes that came, in order; 0 where a connection ended.
    std::vector<BYTE> Opcodes()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_opcodes;
    }
    // Strip texts seen as each request came in.
    std::vector<std::wstring> strips;
    // Run as the third request (mid-put) comes in.
    std::function<void()> midPut;

private:
    void Run()
    {
        SOCKET s;
        while ((s = accept(m_s, nullptr, nullptr)) != INVALID_SOCKET) {
            Serve(s);
            std::lock_guard<std::mutex> guard(m_lock);
            m_opcodes.push_back(0);
        }
    }
    std::vector<BYTE> Answer(BYTE bOp)
    {
        BYTE bCode = bOp == OBEX_OP_PUT ? OBEX_RSP_CONTINUE : OBEX_RSP_SUCCESS;
        if (bOp == OBEX_OP_PUT_FINAL && m_mode == PeerMode::RefuseFinal)
            bCode = OBEX_RSP_FORBIDDEN;
        ObexPacket pkt(bCode);
        if (bOp == OBEX_OP_CONNECT) {
            pkt.AddByte(0x10);
            pkt.AddByte(0);
            pkt.AddWord(0x400);
        }
        return pkt.Bytes();
    }
    void Serve(SOCKET s)
    {
        ObexSocketLink from(s, 5000);
        std::vector<BYTE> request, response;
        if (m_mode == PeerMode::Silent) {
            from.Receive(request);
            Sleep(1500);
            return;
        }
        std::unique_ptr<ObexSocketLink> to;
        if (m_mode == PeerMode::Forward) {
            SOCKET sTo = ObexDial("127.0.0.1", 650, 5000);
            if (sTo == INVALID_SOCKET)
                return;
            to.reset(new ObexSocketLink(sTo, 5000, TRUE));
        }
        int cRequests = 0;
        while (from.Receive(request)) {
            strips.push_back(GetBeamStripText());
            {
                std::lock_guard<std::mutex> guard(m_lock);
                m_opcodes.push_back(request[0]);
            }
            if (++cRequests == 3 && midPut)
                midPut();
            if (m_mode == PeerMode::Vanish && cRequests == 3)
                break;  // gone in the middle of the put
            if (!to)
                response = Answer(request[0]);
            else if (!to->Send(request) || !to->Receive(response))
                break;
            if (!from.Send(response) || request[0] == OBEX_OP_DISCONNECT)
                break;
        }
    }
    PeerMode m_mode;
    SOCKET m_s;
    bool m_fListening = false;
    std::thread m_thread;
    std::mutex m_lock;
    std::vector<BYTE> m_opcodes;
};

// Debian's obex_tcp in a host folder of its own, listening on 650 when made;
// it ends after one session.
class ObexTcp {
public:
    ObexTcp()
    {
        WCHAR szDir[MAX_PATH];
        StringCchPrintfW(szDir, ARRAYSIZE(szDir), L"Z:\\tmp\\beam-test-%lu", GetCurrentProcessId());
        m_dir = szDir;
        CreateDirectoryW(m_dir.c_str(), nullptr);
        std::wstring unix = m_dir.substr(2);
        std::replace(unix.begin(), unix.end(), L'\\', L'/');
        // Started in the background; ready once the port listens (at most 10 s).
        m_fListening = RunHostShell(L"cd " + unix +
                                    L" && rm -f ./* && (timeout 60 obex_tcp & echo $! >../beam-test.pid) && "
                                    L"for i in $(seq 200); do grep -q ':028A [0-9A-F:]* 0A ' /proc/net/tcp "
                                    L"/proc/net/tcp6 && exit 0; sleep 0.05; done; exit 1") == 0;
    }
    // One that never had its session is ended (by its process id).
    ~ObexTcp() { RunHostShell(L"kill $(cat /tmp/beam-test.pid); rm -f /tmp/beam-test.pid"); }
    bool Listening() const { return m_fListening; }
    // The bytes obex_tcp stored under this name.
    std::string Received(const std::wstring &name) { return ReadFileText(m_dir + L"\\" + name); }

private:
    std::wstring m_dir;
    bool m_fListening = false;
};

class Beam : public TavelWindow {
protected:
    void SetUp() override
    {
        TavelWindow::SetUp();
        MakeDir(L"\\My Documents");
        SetDevices(nlohmann::json::array());
    }
    void TearDown() override
    {
        TavelWindow::TearDown();
        DeleteFileW(PlatProfilePath(L"irda.json").c_str());
    }
    static void SetDevices(const nlohmann::json &devices, int iTimeoutMs = 800)
    {
        nlohmann::json irda = PlatProfileLoad(L"irda.json");
        irda["devices"] = devices;
        irda["timeout"] = iTimeoutMs;
        ASSERT_TRUE(PlatProfileSave(L"irda.json", irda));
    }
    static nlohmann::json Device(const char *pszName, const char *pszTransport = "irda", int iAddress = 17)
    {
        return {{"name", pszName}, {"transport", pszTransport}, {"address", iAddress}, {"port", kPeerPort}};
    }
    // Opens the beam page on the file of the store's My Documents and runs fn in it.
    bool OnBeamPage(LPCWSTR pszFile, std::function<void(HWND)> fn)
    {
        OpenWindow(L"\\My Documents");
        int iRow = RowOf(pszFile);
        if (iRow < 0)
            return false;
        Select({iRow});
        return InDialog(IDM_SEND_IR, IDM_BEAM_QUIT, fn);
    }
    static bool BeamEnabled(HWND hdlg)
    {
        UINT uCmd = 0;
        BOOL fEnabled = FALSE;
        PlatGetSoftKeyInfo(PlatFindSoftKeyBar(hdlg), 0, &uCmd, &fEnabled, nullptr);
        return uCmd == IDM_BEAM && fEnabled;
    }
    static std::wstring Row(HWND hdlg, int iColumn) { return ListCell(GetDlgItem(hdlg, IDC_BEAM_LIST), 0, iColumn); }
    // Waits for the device, then presses Beam.
    static void BeamWhenArrived(HWND hdlg)
    {
        ASSERT_TRUE(PumpUntil([&] { return BeamEnabled(hdlg); }, 5000));
        SendMessageW(hdlg, WM_COMMAND, IDM_BEAM, 0);
    }
};
} // namespace

TEST_F(Beam, BeamIsGreyedUntilADeviceArrivesAndAgainAfterItLeaves)
{
    MakeFile(L"\\My Documents\\a.txt", "a");
    ASSERT_TRUE(OnBeamPage(L"a.txt", [&](HWND hdlg) {
        EXPECT_EQ(L"Beam files", WindowText(hdlg));
        EXPECT_EQ(L"Beam|Quit", SoftKeyLabels(hdlg));
        Pump(400);
        EXPECT_FALSE(BeamEnabled(hdlg));
        EXPECT_EQ(L"IR", Row(hdlg, 0));
        EXPECT_EQ(L"Align", Row(hdlg, 1));
        EXPECT_EQ(L"Not finding any device ", std::wstring(GetBeamStripText()));

        SetDevices(nlohmann::json::array({Device("Laptop")}));
        EXPECT_TRUE(PumpUntil([&] { return BeamEnabled(hdlg); }, 3000));
        EXPECT_EQ(L"Laptop (IRDA)", Row(hdlg, 0));
        EXPECT_EQ(L"", Row(hdlg, 1));
        EXPECT_EQ(L"Pending", std::wstring(GetBeamStripText()));

        SetDevices(nlohmann::json::array({Device("Phone", "bluetooth")}));  // same address: an update
        EXPECT_TRUE(PumpUntil([&] { return Row(hdlg, 0) == L"Phone (BT)"; }, 3000));

        SetDevices(nlohmann::json::array());
        EXPECT_TRUE(PumpUntil([&] { return !BeamEnabled(hdlg); }, 3000));
        EXPECT_EQ(L"IR", Row(hdlg, 0));
        EXPECT_EQ(L"Align", Row(hdlg, 1));
        EXPECT_EQ(L"Not finding any device ", std::wstring(GetBeamStripText()));
    }));
    EXPECT_TRUE(MessageBoxes::calls.empty());
}

TEST_F(Beam, ALongDeviceListIsCutToTheFirst32AndThePageStaysUsable)
{
    nlohmann::json devices = nlohmann::json::array();
    for (int i = 1; i <= 20000; ++i) {
        std::string name = "Dev" + std::to_string(i);
        devices.push_back(Device(name.c_str(), "irda", i));
    }
    SetDevices(devices);
    MakeFile(L"\\My Documents\\a.txt", "a");
    ASSERT_TRUE(OnBeamPage(L"a.txt", [&](HWND hdlg) {
        // Each of the first 32 arrives in turn; the last of them holds the row.
        EXPECT_TRUE(PumpUntil([&] { return Row(hdlg, 0) == L"Dev32 (IRDA)"; }, 5000));
        Pump(600);
        EXPECT_EQ(L"Dev32 (IRDA)", Row(hdlg, 0));
        EXPECT_TRUE(BeamEnabled(hdlg));
        EXPECT_EQ(L"Pending", std::wstring(GetBeamStripText()));
    }));  // and Quit closes it
}

// An empty file, one of exactly two reads (an empty read and write end
// it), and 1 MB with the percentages the strip showed on the way.
TEST_F(Beam, FilesBeamedToObexTcpArriveByteForByte)
{
    std::string mb(1000000, 0);
    for (size_t i = 0; i < mb.size(); ++i)
        mb[i] = (char)(i * 7 + i / 251);
    const std::pair<const wchar_t *, std::string> kFiles[] = {
        {L"empty.txt", ""}, {L"two reads.bin", std::string(2 * BEAM_CHUNK, 'z')}, {L"big.bin", mb}};
    for (const auto &file : kFiles) {
        SCOPED_TRACE(testing::Message() << file.second.size() << " bytes");
        ASSERT_TRUE(MakeFile(std::wstring(L"\\My Documents\\") + file.first, file.second));
        ObexTcp receiver;
        ASSERT_TRUE(receiver.Listening());
        TestPeer peer(PeerMode::Forward);
        ASSERT_TRUE(peer.Listening());
        SetDevices(nlohmann::json::array({Device("Laptop")}), 5000);
        // Beam pressed again mid-put: grey, and no second put once the first ends.
        bool fGreyMidPut = false;
        ASSERT_TRUE(OnBeamPage(file.first, [&](HWND hdlg) {
            peer.midPut = [&] {
                fGreyMidPut = !BeamEnabled(hdlg);
                PostMessageW(hdlg, WM_COMMAND, IDM_BEAM, 0);
            };
            BeamWhenArrived(hdlg);
            Pump(300);
        }));
        EXPECT_TRUE(fGreyMidPut);
        EXPECT_TRUE(MessageBoxes::calls.empty()) << (BoxTexts().empty() ? L"" : BoxTexts()[0]);
        std::string received = receiver.Received(file.first);
        EXPECT_TRUE(file.second == received) << received.size() << " bytes arrived";
        if (file.second.size() == mb.size()) {
            std::vector<int> percents;
            for (const std::wstring &s : peer.strips)
                if (s.rfind(L"Sending progress ", 0) == 0)
                    percents.push_back(_wtoi(s.c_str() + wcslen(L"Sending progress ")));
            ASSERT_GT(percents.size(), 20u);
            EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
            EXPECT_GE(percents.back(), 99);
            EXPECT_LT(percents.front(), 5);
        }
        DestroyWindow(hwnd);
        hwnd = nullptr;
        MessageBoxes::Reset();
    }
}

TEST_F(Beam, APeerThatRefusesVanishesOrKeepsSilentEndsTheAttemptWithItsMessage)
{
    MakeFile(L"\\My Documents\\f.bin", std::string(30000, 'f'));
    struct Case {
        int iPeer;  // -1: nobody listens
        const wchar_t *pszMessage;
    } kCases[] = {{-1, L"Fail to connect."},
                  {(int)PeerMode::Silent, L"Fail to connect."},
                  {(int)PeerMode::Vanish, L"Fail to beam file."}};
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.iPeer);
        MessageBoxes::Reset();
        std::unique_ptr<TestPeer> peer(c.iPeer < 0 ? nullptr : new TestPeer((PeerMode)c.iPeer));
        SetDevices(nlohmann::json::array({Device("Laptop")}), 400);
        ASSERT_TRUE(OnBeamPage(L"f.bin", [&](HWND hdlg) {
            BeamWhenArrived(hdlg);
            EXPECT_EQ(L"IR", Row(hdlg, 0));  // the page stays, at its opening row
            EXPECT_TRUE(IsWindow(hdlg));
        }));
        EXPECT_EQ(std::vector<std::wstring>{c.pszMessage}, BoxTexts());
        EXPECT_EQ(L"IRDA", MessageBoxes::calls.empty() ? L"" : MessageBoxes::calls[0].caption);
        DestroyWindow(hwnd);
        hwnd = nullptr;
    }
}

namespace {
// The handle a beam reads the file through (opened unshared, it is the only one).
HANDLE HandleOf(const std::wstring &leaf)
{
    for (ULONG_PTR v = 4; v < 0x4000; v += 4) {
        WCHAR sz[MAX_PATH];
        HANDLE h = (HANDLE)v;
        if (GetFileType(h) != FILE_TYPE_DISK)
            continue;
        DWORD cch = GetFinalPathNameByHandleW(h, sz, ARRAYSIZE(sz), 0);
        std::wstring path(sz, cch < ARRAYSIZE(sz) ? cch : 0);
        if (path.size() > leaf.size() && path.compare(path.size() - leaf.size() - 1, std::wstring::npos, L"\\" + leaf) == 0)
            return h;
    }
    return nullptr;
}

// The peer's opcodes as letters: C connect, p put (a run of them), F the
// final put, A abort, D disconnect, . the connection closed.
std::string Story(const std::vector<BYTE> &opcodes)
{
    std::string story;
    for (BYTE b : opcodes) {
        char ch = b == OBEX_OP_CONNECT ? 'C' : b == OBEX_OP_PUT ? 'p' : b == OBEX_OP_PUT_FINAL ? 'F' :
                  b == OBEX_OP_ABORT ? 'A' : b == OBEX_OP_DISCONNECT ? 'D' : b == 0 ? '.' : '?';
        if (ch != 'p' || story.empty() || story.back() != 'p')
            story += ch;
    }
    return story;
}
} // namespace

// A read error mid-file aborts the put; a receiver that refuses the object
// fails the beam; a file gone since it was chosen cannot be opened. Each
// ends the connection (Disconnect) and says what failed.
TEST_F(Beam, EveryFailureAfterConnectEndsTheConnectionAndSaysWhatFailed)
{
    struct Case {
        PeerMode mode;
        const wchar_t *pszFile;
        const char *pszStory;
        const wchar_t *pszMessage;
    } kCases[] = {{PeerMode::Answer, L"unread.bin", "CpAD.", L"Fail to beam file."},
                  {PeerMode::RefuseFinal, L"refused.bin", "CpFD.", L"Fail to beam file."},
                  {PeerMode::Answer, L"gone.bin", "CD.", L"Fail to open \\My Documents\\gone.bin "}};
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.pszStory);
        MessageBoxes::Reset();
        ASSERT_TRUE(MakeFile(std::wstring(L"\\My Documents\\") + c.pszFile, std::string(30000, 'u')));
        TestPeer peer(c.mode);
        ASSERT_TRUE(peer.Listening());
        SetDevices(nlohmann::json::array({Device("Laptop")}), 2000);
        HANDLE hClosed = nullptr, hInItsPlace = nullptr;
        if (std::wstring(c.pszFile) == L"unread.bin") {
            // Its handle closed under it, the next read fails.
            peer.midPut = [&] {
                hClosed = HandleOf(c.pszFile);
                if (hClosed && CloseHandle(hClosed))
                    hInItsPlace = CreateEventW(nullptr, TRUE, FALSE, nullptr);
            };
        }
        ASSERT_TRUE(OnBeamPage(c.pszFile, [&](HWND hdlg) {
            if (std::wstring(c.pszFile) == L"gone.bin")
                DeleteFileW(L"\\My Documents\\gone.bin");
            BeamWhenArrived(hdlg);
            // Ended while the page is still up.
            EXPECT_TRUE(PumpUntil([&] { return Story(peer.Opcodes()) == c.pszStory; }, 3000));
        }));
        EXPECT_EQ(c.pszStory, Story(peer.Opcodes()));
        EXPECT_EQ(std::vector<std::wstring>{c.pszMessage}, BoxTexts());
        if (hInItsPlace && hInItsPlace != hClosed)
            CloseHandle(hInItsPlace);
        DestroyWindow(hwnd);
        hwnd = nullptr;
    }
}

// Each Beam binds afresh: the device of the attempt before is let go.
TEST_F(Beam, EachAttemptLetsTheDeviceOfTheLastGo)
{
    MakeFile(L"\\My Documents\\r.bin", std::string(3000, 'r'));
    TestPeer peer(PeerMode::Answer);
    ASSERT_TRUE(peer.Listening());
    SetDevices(nlohmann::json::array({Device("Laptop")}), 2000);
    std::vector<LONG> bound;
    ASSERT_TRUE(OnBeamPage(L"r.bin", [&](HWND hdlg) {
        for (int i = 0; i < 3; ++i) {
            BeamWhenArrived(hdlg);
            bound.push_back(PlatObexDeviceCount());
        }
    }));
    EXPECT_EQ((std::vector<LONG>{1, 1, 1}), bound);
    EXPECT_EQ(0, PlatObexDeviceCount());
    EXPECT_EQ("CpFD.CpFD.CpFD.", Story(peer.Opcodes()));
    EXPECT_TRUE(MessageBoxes::calls.empty());
}

TEST_F(Beam, StripPercentageUsesTheWhole64BitSize)
{
    const ULONGLONG k6GiB = 6ULL << 30;
    WCHAR sz[64];
    FormatBeamStrip(3, 3ULL << 30, k6GiB, sz, ARRAYSIZE(sz));
    EXPECT_STREQ(L"Sending progress 50%", sz);
    FormatBeamStrip(3, k6GiB, k6GiB, sz, ARRAYSIZE(sz));
    EXPECT_STREQ(L"Sending progress 100%", sz);
    FormatBeamStrip(3, 0, 0, sz, ARRAYSIZE(sz));
    EXPECT_STREQ(L"Sending progress", sz);
}

namespace {
class ReceiveFromIr : public Beam {
protected:
    void TearDown() override
    {
        KillReceiveReminder();
        HANDLE h = CreateFileW(L"OBX0:", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        DWORD cb = 0;
        if (h != INVALID_HANDLE_VALUE) {
            DeviceIoControl(h, IOCTL_SERVICE_STOP, nullptr, 0, nullptr, 0, &cb, nullptr);
            CloseHandle(h);
        }
        Beam::TearDown();
    }
    static void SetServer(const nlohmann::json &server) { ASSERT_TRUE(PlatProfileSave(L"irda.json", {{"server", server}})); }
};
} // namespace

TEST_F(ReceiveFromIr, EachServerStateHasItsMessage)
{
    OpenWindow(L"\\My Documents");
    const std::pair<nlohmann::json, const wchar_t *> kCases[] = {
        {{{"state", 1}}, L"The OBEX server is already started. You can receive data from other devices."},
        {{{"state", 2}}, L"The OBEX server is starting up. Wait a moment. You can receive data from other devices."},
        {{{"state", 3}}, L"The OBEX server is shutting down. You need to retry to active the OBEX server."},
        {{{"state", 4}}, L"The OBEX server is unloading. You need to retry to active the OBEX server."},
        {{{"state", 5}}, L"The OBEX server is not uninitialized. You need to retry to active the OBEX server."},
        {{{"state", 1}, {"fails", true}}, L"The OBEX server status is unkonwn."},
        {{{"driver", false}}, L"Fail to start the OBEX server."},
    };
    for (const auto &c : kCases) {
        SCOPED_TRACE(c.first.dump());
        SetServer(c.first);
        MessageBoxes::Reset();
        Command(IDM_RECEIVE_IR);
        ASSERT_EQ(1u, MessageBoxes::calls.size());
        EXPECT_EQ(L"IRDA", MessageBoxes::calls[0].caption);
        EXPECT_EQ(c.second, MessageBoxes::calls[0].text);
        EXPECT_EQ(c.first.contains("driver") ? MB_ICONHAND : MB_ICONINFORMATION,
                  MessageBoxes::calls[0].uType & MB_ICONMASK);
        EXPECT_FALSE(IsReceiveReminderRunning());
    }
}

// Started from off: the service serves, and the reminder asks until Yes.
TEST_F(ReceiveFromIr, StartingTheServerRemindsUntilAnsweredYes)
{
    SetServer({{"state", 0}});
    SetTavelDword(L"ControlPanel\\Tavel\\", L"Timeout", BEAM_TIMEOUT_MIN);
    OpenWindow(L"\\My Documents");
    MessageBoxes::answers = {IDOK, IDNO, IDYES};
    Command(IDM_RECEIVE_IR);
    ASSERT_FALSE(MessageBoxes::calls.empty());
    EXPECT_EQ(L"The OBEX server is started. You can receive data from other devices.", MessageBoxes::calls[0].text);
    EXPECT_TRUE(IsReceiveReminderRunning());
    SOCKET s = ObexDial("127.0.0.1", 650, 3000);
    EXPECT_NE(INVALID_SOCKET, s);
    closesocket(s);
    for (HWND h : FindTopLevel(PLAT_STRIP_CLASS)) {  // the service shows no title strip over Tavel's
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        EXPECT_EQ(GetCurrentProcessId(), pid);
    }

    ASSERT_TRUE(PumpUntil([] { return !IsReceiveReminderRunning(); }, 10000));
    const std::wstring kAsk =
        L"If you finished receiving files via IrDA, you can turn off OBEX service. Do you want to turn off it now ?";
    ASSERT_EQ(3u, MessageBoxes::calls.size());
    EXPECT_EQ(kAsk, MessageBoxes::calls[1].text);
    EXPECT_EQ(kAsk, MessageBoxes::calls[2].text);
    EXPECT_EQ((UINT)(MB_YESNO | MB_ICONINFORMATION), MessageBoxes::calls[2].uType);
    EXPECT_EQ(0, PlatProfileLoad(L"irda.json")["server"]["state"].get<int>());

    // Started again, the timer dies with the window and the server stays on.
    MessageBoxes::Reset();
    SetTavelDword(L"ControlPanel\\Tavel\\", L"Timeout", 3000000);
    Command(IDM_RECEIVE_IR);
    EXPECT_TRUE(IsReceiveReminderRunning());
    DestroyWindow(hwnd);
    hwnd = nullptr;
    EXPECT_FALSE(IsReceiveReminderRunning());
    EXPECT_EQ(1, PlatProfileLoad(L"irda.json")["server"]["state"].get<int>());
}

namespace {
// A box that stays up a while, as a user reading it would, counting how
// many are up at once.
int g_cBoxesUp, g_cMostBoxesUp;
PLATMSGBOXHOOK g_pfnRecord;
int CALLBACK SlowBox(HWND hwnd, LPCWSTR pszText, LPCWSTR pszCaption, UINT uType)
{
    g_cMostBoxesUp = std::max(g_cMostBoxesUp, ++g_cBoxesUp);
    if ((uType & MB_TYPEMASK) == MB_YESNO && g_cBoxesUp == 1)
        Pump(BEAM_TIMEOUT_MIN * 3 / 2);  // the timer comes round while it is up
    int iAnswer = g_pfnRecord(hwnd, pszText, pszCaption, uType);
    --g_cBoxesUp;
    return iAnswer;
}
} // namespace

// A Timeout of 0 reads as the least period, and a reminder still up when
// the next is due is not stacked with another.
TEST_F(ReceiveFromIr, AZeroTimeoutRemindsOneBoxAtATime)
{
    SetServer({{"state", 0}});
    SetTavelDword(L"ControlPanel\\Tavel\\", L"Timeout", 0);
    EXPECT_EQ((DWORD)BEAM_TIMEOUT_MIN, ReadBeamTimeout());
    OpenWindow(L"\\My Documents");
    g_cBoxesUp = g_cMostBoxesUp = 0;
    g_pfnRecord = PlatSetMessageBoxHook(SlowBox);
    MessageBoxes::answers = {IDOK, IDNO, IDYES};
    Command(IDM_RECEIVE_IR);
    bool fEnded = PumpUntil([] { return !IsReceiveReminderRunning(); }, 15000);
    PlatSetMessageBoxHook(g_pfnRecord);
    EXPECT_TRUE(fEnded);
    EXPECT_EQ(1, g_cMostBoxesUp);
    EXPECT_EQ(3u, MessageBoxes::calls.size());
}
