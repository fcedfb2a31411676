// OBEX packets, the TCP link that stands for the infrared port, and the
// client's request / response turns.
#include "obexwire.h"
#include "internal.h"
#include <ws2tcpip.h>

// ---- packets ------------------------------------------------------------------

ObexPacket::ObexPacket(BYTE bCode)
{
    m_bytes = {bCode, 0, 3};
}

void ObexPacket::AddWord(WORD w)
{
    m_bytes.push_back((BYTE)(w >> 8));
    m_bytes.push_back((BYTE)w);
}

void ObexPacket::AddUnicode(BYTE hi, const std::wstring &text)
{
    m_bytes.push_back(hi);
    AddWord((WORD)(3 + (text.size() + 1) * 2));
    for (wchar_t ch : text)
        AddWord((WORD)ch);
    AddWord(0);
}

void ObexPacket::AddBytes(BYTE hi, const BYTE *pb, size_t cb)
{
    m_bytes.push_back(hi);
    AddWord((WORD)(3 + cb));
    m_bytes.insert(m_bytes.end(), pb, pb + cb);
}

void ObexPacket::AddDword(BYTE hi, DWORD dw)
{
    m_bytes.push_back(hi);
    AddWord((WORD)(dw >> 16));
    AddWord((WORD)dw);
}

const std::vector<BYTE> &ObexPacket::Bytes()
{
    m_bytes[1] = (BYTE)(m_bytes.size() >> 8);
    m_bytes[2] = (BYTE)m_bytes.size();
    return m_bytes;
}

// The two high bits of a header id give its form: text, bytes, one byte, four bytes.
BOOL ObexReadHeaders(const std::vector<BYTE> &pkt, size_t offset, const std::function<void(const ObexHeader &)> &fn)
{
    size_t cb = pkt.size();
    while (offset < cb) {
        ObexHeader h = {pkt[offset], nullptr, 0, 0};
        switch (h.hi & 0xC0) {
        case 0x00:
        case 0x40: {
            if (cb - offset < 3)
                return FALSE;
            size_t cbHeader = ((size_t)pkt[offset + 1] << 8) | pkt[offset + 2];
            if (cbHeader < 3 || cbHeader > cb - offset)
                return FALSE;
            h.pb = pkt.data() + offset + 3;
            h.cb = cbHeader - 3;
            if ((h.hi & 0xC0) == 0 && (h.cb & 1))
                return FALSE;
            offset += cbHeader;
            break;
        }
        case 0x80:
            if (cb - offset < 2)
                return FALSE;
            h.dw = pkt[offset + 1];
            offset += 2;
            break;
        default:
            if (cb - offset < 5)
                return FALSE;
            h.dw = ((DWORD)pkt[offset + 1] << 24) | ((DWORD)pkt[offset + 2] << 16) | ((DWORD)pkt[offset + 3] << 8) |
                   pkt[offset + 4];
            offset += 5;
            break;
        }
        fn(h);
    }
    return TRUE;
}

std::wstring ObexHeaderText(const ObexHeader &h)
{
    std::wstring text;
    for (size_t i = 0; i + 1 < h.cb; i += 2) {
        wchar_t ch = (wchar_t)((h.pb[i] << 8) | h.pb[i + 1]);
        if (ch == 0)
            break;
        text.push_back(ch);
    }
    return text;
}

// ---- the TCP link ---------------------------------------------------------------

BOOL ObexStartSockets()
{
    static BOOL s_fStarted = [] {
        WSADATA wsa;
        return WSAStartup(MAKEWORD(2, 2), &wsa) == 0 ? TRUE : FALSE;
    }();
    return s_fStarted;
}

SOCKET ObexDial(const std::string &host, WORD wPort, DWORD dwTimeoutMs)
{
    if (!ObexStartSockets())
        return INVALID_SOCKET;
    sockaddr_in sa = {};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(wPort);
    if (inet_pton(AF_INET, host.c_str(), &sa.sin_addr) != 1)
        return INVALID_SOCKET;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return s;
    u_long ulNonBlocking = 1;
    ioctlsocket(s, FIONBIO, &ulNonBlocking);
    if (connect(s, (sockaddr *)&sa, sizeof(sa)) != 0 && WSAGetLastError() != WSAEWOULDBLOCK) {
        closesocket(s);
        return INVALID_SOCKET;
    }
    fd_set fdsWrite, fdsError;
    FD_ZERO(&fdsWrite);
    FD_ZERO(&fdsError);
    FD_SET(s, &fdsWrite);
    FD_SET(s, &fdsError);
    timeval tv = {(long)(dwTimeoutMs / 1000), (long)(dwTimeoutMs % 1000) * 1000};
    int iError = 0;
    int cbError = sizeof(iError);
    if (select(0, nullptr, &fdsWrite, &fdsError, &tv) != 1 || !FD_ISSET(s, &fdsWrite) ||
        getsockopt(s, SOL_SOCKET, SO_ERROR, (char *)&iError, &cbError) != 0 || iError != 0) {
        closesocket(s);
        return INVALID_SOCKET;
    }
    ulNonBlocking = 0;
    ioctlsocket(s, FIONBIO, &ulNonBlocking);
    return s;
}

ObexSocketLink::~ObexSocketLink()
{
    if (m_s == INVALID_SOCKET)
        return;
    if (m_fSender) {
        linger l = {1, 0};
        setsockopt(m_s, SOL_SOCKET, SO_LINGER, (const char *)&l, sizeof(l));
    } else if (!m_hStop || WaitForSingleObject(m_hStop, 0) != WAIT_OBJECT_0) {
        // The receiver lets the sender close first (at most a second).
        fd_set fds;
        FD_ZERO(&fds);
        FD_SET(m_s, &fds);
        timeval tv = {1, 0};
        char ch;
        if (select(0, &fds, nullptr, nullptr, &tv) == 1)
            recv(m_s, &ch, 1, 0);
    }
    closesocket(m_s);
}

// Until the socket is ready or the deadline passes; a set stop event ends
// the wait at once (checked every tenth of a second).
BOOL ObexSocketLink::Wait(BOOL fWrite, ULONGLONG ullDeadline)
{
    for (;;) {
        if (m_hStop && WaitForSingleObject(m_hStop, 0) == WAIT_OBJECT_0)
            return FALSE;
        ULONGLONG ullNow = GetTickCount64();
        if (ullNow >= ullDeadline)
            return FALSE;
        DWORD dwLeft = (DWORD)(ullDeadline - ullNow);
        if (m_hStop && dwLeft > 100)
            dwLeft = 100;
        fd_set fds;
        FD_ZERO(&fds);
        FD_SET(m_s, &fds);
        timeval tv = {(long)(dwLeft / 1000), (long)(dwLeft % 1000) * 1000};
        int iReady = select(0, fWrite ? nullptr : &fds, fWrite ? &fds : nullptr, nullptr, &tv);
        if (iReady == 1)
            return TRUE;
        if (iReady < 0)
            return FALSE;
    }
}

BOOL ObexSocketLink::Send(const std::vector<BYTE> &pkt)
{
    size_t cbSent = 0;
    while (cbSent < pkt.size()) {
        if (!Wait(TRUE, GetTickCount64() + m_dwTimeoutMs))
            return FALSE;
        int cb = send(m_s, (const char *)pkt.data() + cbSent, (int)(pkt.size() - cbSent), 0);
        if (cb <= 0)
            return FALSE;
        cbSent += (size_t)cb;
    }
    return TRUE;
}

BOOL ObexSocketLink::ReceiveAll(BYTE *pb, size_t cb, ULONGLONG ullDeadline)
{
    while (cb > 0) {
        if (!Wait(FALSE, ullDeadline))
            return FALSE;
        int cbGot = recv(m_s, (char *)pb, (int)cb, 0);
        if (cbGot <= 0)
            return FALSE;
        pb += cbGot;
        cb -= (size_t)cbGot;
    }
    return TRUE;
}

BOOL ObexSocketLink::Receive(std::vector<BYTE> &pkt)
{
    ULONGLONG ullDeadline = GetTickCount64() + m_dwTimeoutMs;
    BYTE abHead[3];
    if (!ReceiveAll(abHead, sizeof(abHead), ullDeadline))
        return FALSE;
    size_t cb = ((size_t)abHead[1] << 8) | abHead[2];
    if (cb < 3)
        return FALSE;
    pkt.assign(abHead, abHead + 3);
    pkt.resize(cb);
    return ReceiveAll(pkt.data() + 3, cb - 3, ullDeadline);
}

// ---- the client -------------------------------------------------------------------

// One request, its whole answer; the response code in *pbResponse.
HRESULT ObexClient::Exchange(ObexPacket &pkt, BYTE *pbResponse, std::vector<BYTE> *pResponse)
{
    std::vector<BYTE> response;
    if (!m_pLink->Send(pkt.Bytes()))
        return HRESULT_FROM_WIN32(ERROR_NOT_CONNECTED);
    if (!m_pLink->Receive(response) || response.size() < 3)
        return HRESULT_FROM_WIN32(ERROR_TIMEOUT);
    *pbResponse = response[0];
    if (pResponse)
        pResponse->swap(response);
    return S_OK;
}

HRESULT ObexClient::Connect()
{
    if (m_fConnected)
        return E_UNEXPECTED;
    ObexPacket pkt(OBEX_OP_CONNECT);
    pkt.AddByte(0x10);  // OBEX 1.0
    pkt.AddByte(0);
    pkt.AddWord(OBEX_MAX_PACKET);
    std::vector<BYTE> response;
    BYTE bResponse = 0;
    HRESULT hr = Exchange(pkt, &bResponse, &response);
    if (FAILED(hr))
        return hr;
    if (bResponse != OBEX_RSP_SUCCESS || response.size() < 7)
        return E_FAIL;
    size_t cbPeer = ((size_t)response[5] << 8) | response[6];
    if (cbPeer < OBEX_MIN_PACKET)
        return E_FAIL;
    m_cbPeerMax = cbPeer < OBEX_MAX_PACKET ? cbPeer : OBEX_MAX_PACKET;
    BOOL fWellFormed = ObexReadHeaders(response, 7, [this](const ObexHeader &h) {
        if (h.hi == OBEX_HI_CONNECTION_ID) {
            m_fHasConnectionId = TRUE;
            m_dwConnectionId = h.dw;
        }
    });
    if (!fWellFormed)
        return E_FAIL;
    m_fConnected = TRUE;
    return S_OK;
}

HRESULT ObexClient::BeginPut(const std::wstring &name, BOOL fHasLength, DWORD cbLength)
{
    if (!m_fConnected || m_fInPut)
        return E_UNEXPECTED;
    m_name = name;
    m_fHasLength = fHasLength;
    m_cbLength = cbLength;
    m_pending.clear();
    m_fInPut = TRUE;
    m_fHeadersSent = FALSE;
    m_hrPut = S_OK;
    return S_OK;
}

// The headers go with the first packet; Body (or End-of-Body) carries as
// much of the pending bytes as the peer's packet length leaves room for.
// A final packet is sent only when all that waits fits in it.
HRESULT ObexClient::SendPutPacket(BOOL fWantFinal, BOOL *pfSentFinal)
{
    ObexPacket pkt(OBEX_OP_PUT);
    if (m_fHasConnectionId)
        pkt.AddDword(OBEX_HI_CONNECTION_ID, m_dwConnectionId);
    if (!m_fHeadersSent) {
        if (!m_name.empty())
            pkt.AddUnicode(OBEX_HI_NAME, m_name);
        if (m_fHasLength)
            pkt.AddDword(OBEX_HI_LENGTH, m_cbLength);
    }
    if (pkt.Size() + 3 > m_cbPeerMax)
        return E_FAIL;  // a name too long for the peer's packets
    size_t cbRoom = m_cbPeerMax - pkt.Size() - 3;
    size_t cbBody = m_pending.size() < cbRoom ? m_pending.size() : cbRoom;
    BOOL fLast = fWantFinal && cbBody == m_pending.size();
    if (fLast)
        pkt.SetCode(OBEX_OP_PUT_FINAL);
    pkt.AddBytes(fLast ? OBEX_HI_END_OF_BODY : OBEX_HI_BODY, m_pending.data(), cbBody);
    BYTE bResponse = 0;
    HRESULT hr = Exchange(pkt, &bResponse);
    if (FAILED(hr))
        return hr;
    m_fHeadersSent = TRUE;
    m_pending.erase(m_pending.begin(), m_pending.begin() + (ptrdiff_t)cbBody);
    if (bResponse != (fLast ? OBEX_RSP_SUCCESS : OBEX_RSP_CONTINUE))
        return E_FAIL;
    if (pfSentFinal)
        *pfSentFinal = fLast;
    return S_OK;
}

HRESULT ObexClient::PutData(const BYTE *pb, size_t cb)
{
    if (!m_fInPut || FAILED(m_hrPut))
        return E_UNEXPECTED;
    m_pending.insert(m_pending.end(), pb, pb + cb);
    while (m_pending.size() >= m_cbPeerMax) {
        HRESULT hr = SendPutPacket(FALSE, nullptr);
        if (FAILED(hr)) {
            m_hrPut = hr;
            return hr;
        }
    }
    return S_OK;
}

HRESULT ObexClient::EndPut()
{
    if (!m_fInPut)
        return E_UNEXPECTED;
    m_fInPut = FALSE;
    BOOL fDone = FALSE;
    while (SUCCEEDED(m_hrPut) && !fDone)
        m_hrPut = SendPutPacket(TRUE, &fDone);
    m_pending.clear();
    return m_hrPut;
}

HRESULT ObexClient::Abort()
{
    if (!m_fInPut)
        return E_UNEXPECTED;
    m_fInPut = FALSE;
    m_pending.clear();
    m_hrPut = E_ABORT;
    if (!m_fHeadersSent)
        return S_OK;  // nothing of it reached the peer
    ObexPacket pkt(OBEX_OP_ABORT);
    if (m_fHasConnectionId)
        pkt.AddDword(OBEX_HI_CONNECTION_ID, m_dwConnectionId);
    BYTE bResponse = 0;
    HRESULT hr = Exchange(pkt, &bResponse);
    if (FAILED(hr))
        return hr;
    return bResponse == OBEX_RSP_SUCCESS ? S_OK : E_FAIL;
}

HRESULT ObexClient::Disconnect()
{
    if (!m_fConnected)
        return E_UNEXPECTED;
    m_fConnected = FALSE;
    ObexPacket pkt(OBEX_OP_DISCONNECT);
    if (m_fHasConnectionId)
        pkt.AddDword(OBEX_HI_CONNECTION_ID, m_dwConnectionId);
    BYTE bResponse = 0;
    HRESULT hr = Exchange(pkt, &bResponse);
    if (FAILED(hr))
        return hr;
    return bResponse == OBEX_RSP_SUCCESS ? S_OK : E_FAIL;
}
