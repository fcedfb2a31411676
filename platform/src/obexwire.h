// OBEX 1.x on the wire: building and reading packets, the link they travel
// on (TCP standing for the infrared port), the client's session and the
// receive server's session. Shared by the OBEX objects, the receive service
// and the tests; nothing here trusts a length the peer sent.
#pragma once
#include <winsock2.h>
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

#define OBEX_OP_CONNECT     0x80
#define OBEX_OP_DISCONNECT  0x81
#define OBEX_OP_PUT         0x02
#define OBEX_OP_PUT_FINAL   0x82
#define OBEX_OP_ABORT       0xFF
#define OBEX_FINAL          0x80
#define OBEX_RSP_CONTINUE   0x90
#define OBEX_RSP_SUCCESS    0xA0
#define OBEX_RSP_BAD_REQUEST 0xC0
#define OBEX_RSP_FORBIDDEN  0xC3
#define OBEX_RSP_NOT_IMPLEMENTED 0xD1
#define OBEX_RSP_INTERNAL_ERROR 0xD0
#define OBEX_RSP_DATABASE_FULL 0xE0

#define OBEX_HI_NAME        0x01
#define OBEX_HI_LENGTH      0xC3
#define OBEX_HI_BODY        0x48
#define OBEX_HI_END_OF_BODY 0x49
#define OBEX_HI_CONNECTION_ID 0xCB

// The largest packet we send or take, and the least a peer may ask for.
#define OBEX_MAX_PACKET     0x2000
#define OBEX_MIN_PACKET     255

// One packet under construction: opcode (or response), length, then fields.
class ObexPacket {
public:
    explicit ObexPacket(BYTE bCode);
    void SetCode(BYTE bCode) { m_bytes[0] = bCode; }
    void AddByte(BYTE b) { m_bytes.push_back(b); }
    void AddWord(WORD w);
    void AddUnicode(BYTE hi, const std::wstring &text);
    void AddBytes(BYTE hi, const BYTE *pb, size_t cb);
    void AddDword(BYTE hi, DWORD dw);
    // Fixes the length field; the bytes to send.
    const std::vector<BYTE> &Bytes();
    size_t Size() const { return m_bytes.size(); }

private:
    std::vector<BYTE> m_bytes;
};

struct ObexHeader {
    BYTE hi;
    const BYTE *pb;    // the value (text and byte sequences without their length)
    size_t cb;
    DWORD dw;          // 1- and 4-byte values
};
// Every header from offset on; FALSE when one runs past the packet or is malformed.
BOOL ObexReadHeaders(const std::vector<BYTE> &pkt, size_t offset, const std::function<void(const ObexHeader &)> &fn);
// A Name header's text (UTF-16 big-endian, its terminator dropped).
std::wstring ObexHeaderText(const ObexHeader &h);

// Where packets come and go: a socket in use, a scripted peer in tests.
class ObexLink {
public:
    virtual ~ObexLink() {}
    virtual BOOL Send(const std::vector<BYTE> &pkt) = 0;
    // One whole packet within the link's time; FALSE on a closed, silent or malformed peer.
    virtual BOOL Receive(std::vector<BYTE> &pkt) = 0;
};

class ObexSocketLink : public ObexLink {
public:
    // A sender's link closes abortively: no TIME_WAIT is left on the
    // receiver's well-known port, which a receiver such as obex_tcp could
    // not listen on again for a minute. hStop, when given, ends any wait
    // as soon as it is set (the service being stopped).
    ObexSocketLink(SOCKET s, DWORD dwTimeoutMs, BOOL fSender = FALSE, HANDLE hStop = nullptr)
        : m_s(s), m_dwTimeoutMs(dwTimeoutMs), m_fSender(fSender), m_hStop(hStop)
    {
    }
    ~ObexSocketLink() override;
    BOOL Send(const std::vector<BYTE> &pkt) override;
    BOOL Receive(std::vector<BYTE> &pkt) override;

private:
    BOOL Wait(BOOL fWrite, ULONGLONG ullDeadline);
    BOOL ReceiveAll(BYTE *pb, size_t cb, ULONGLONG ullDeadline);
    SOCKET m_s;
    DWORD m_dwTimeoutMs;
    BOOL m_fSender;
    HANDLE m_hStop;
};

// Winsock started once for the process.
BOOL ObexStartSockets();
// A connected socket to host:port within the time, or INVALID_SOCKET.
SOCKET ObexDial(const std::string &host, WORD wPort, DWORD dwTimeoutMs);

// The sending side: Connect, one Put at a time, Disconnect.
class ObexClient {
public:
    explicit ObexClient(ObexLink *pLink) : m_pLink(pLink) {}
    ~ObexClient() { delete m_pLink; }
    HRESULT Connect();
    HRESULT BeginPut(const std::wstring &name, BOOL fHasLength, DWORD cbLength);
    // Takes all of the bytes or fails; full packets go out as they fill.
    HRESULT PutData(const BYTE *pb, size_t cb);
    HRESULT EndPut();
    // Ends the put in progress without its End-of-Body; the peer is told
    // (OBEX Abort) when any of it went out.
    HRESULT Abort();
    HRESULT Disconnect();
    BOOL InPut() const { return m_fInPut; }
    HRESULT LastPutResult() const { return m_hrPut; }

private:
    HRESULT Exchange(ObexPacket &pkt, BYTE *pbResponse, std::vector<BYTE> *pResponse = nullptr);
    HRESULT SendPutPacket(BOOL fWantFinal, BOOL *pfSentFinal);
    ObexLink *m_pLink;
    size_t m_cbPeerMax = OBEX_MIN_PACKET;
    BOOL m_fConnected = FALSE;
    BOOL m_fHasConnectionId = FALSE;
    DWORD m_dwConnectionId = 0;
    BOOL m_fInPut = FALSE;
    BOOL m_fHeadersSent = FALSE;
    std::wstring m_name;
    BOOL m_fHasLength = FALSE;
    DWORD m_cbLength = 0;
    std::vector<BYTE> m_pending;
    HRESULT m_hrPut = S_OK;
};

// The receiving side of one connection: each request in, its answer out.
// An object is received under a temporary name of the profile's
// "obex-incoming" folder and renamed into the receive folder only when its
// final packet was answered Success, so a put cut short leaves no file.
class ObexServerSession {
public:
    // Received files land in folder (a handset path).
    explicit ObexServerSession(const std::wstring &folder) : m_folder(folder) {}
    ~ObexServerSession();
    // FALSE when the connection is to be closed after the answer.
    BOOL Handle(const std::vector<BYTE> &request, std::vector<BYTE> &response);
    // Where the last object was stored ("" before the first).
    const std::wstring &LastStored() const { return m_lastStored; }

private:
    // What one object has brought so far; every object starts from a new one.
    struct Incoming {
        std::wstring name;
        BOOL fHasLength = FALSE;
        ULONGLONG cbLength = 0;
        ULONGLONG cbReceived = 0;
        ULONGLONG cbRoom = 0;       // free in the receive folder when it began
        HANDLE hFile = INVALID_HANDLE_VALUE;
        std::wstring tempPath;
        BYTE bRefused = 0;          // the answer to each of its further packets
    };
    BYTE OnPut(const std::vector<BYTE> &request, BOOL fFinal);
    BYTE Begin();
    BYTE Finish();
    void Abandon();
    std::wstring m_folder;
    Incoming m_in;
    BOOL m_fConnected = FALSE;
    std::wstring m_lastStored;
};

// Serves one accepted socket until the peer leaves, falls silent or errs,
// or hStop is set.
void ObexServeConnection(SOCKET s, const std::wstring &folder, DWORD dwTimeoutMs, HANDLE hStop);

// Temporaries of objects still being received; what a service that was
// ended left there is removed when the next one starts.
std::wstring ObexIncomingFolder();
void ObexRemoveStaleIncoming();

// A received object's name made a plain name the host can store: no path,
// no reserved characters, controls or unpaired surrogates, no device name.
std::wstring ObexPlainName(const std::wstring &sent);
// Moves the received temporary into folder under the sender's name made
// plain, shortened to the host's limits keeping its extension, and never
// over an existing file (" (2)", " (3)", ... before the extension).
// Returns the stored path, or "" (the temporary is left to the caller).
std::wstring ObexStoreReceivedFile(const std::wstring &folder, const std::wstring &sent, const std::wstring &temp);
