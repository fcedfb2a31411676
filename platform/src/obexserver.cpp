// The receive server's side of OBEX: Connect, Put and Disconnect answered,
// each received object stored as a plain new file of the receive folder.
// The sender names the file; that name is only ever a suggestion.
#include "obexwire.h"
#include "internal.h"
#include <strsafe.h>

// ---- the stored file's name --------------------------------------------------------

namespace {
bool IsReservedChar(wchar_t ch)
{
    return ch < 0x20 || wcschr(L"<>:\"/\\|?*", ch) != nullptr;
}

// CON, PRN, AUX, NUL, COM1..9, LPT1..9 name devices whatever the extension.
bool IsDeviceName(const std::wstring &name)
{
    std::wstring base = name.substr(0, name.find(L'.'));
    while (!base.empty() && base.back() == L' ')
        base.pop_back();
    static const wchar_t *const kNames[] = {L"CON", L"PRN", L"AUX", L"NUL"};
    for (const wchar_t *psz : kNames)
        if (_wcsicmp(base.c_str(), psz) == 0)
            return true;
    return base.size() == 4 && (_wcsnicmp(base.c_str(), L"COM", 3) == 0 || _wcsnicmp(base.c_str(), L"LPT", 3) == 0) &&
           base[3] >= L'1' && base[3] <= L'9';
}

std::wstring PlainName(const std::wstring &sent)
{
    size_t iLast = sent.find_last_of(L"\\/:");
    std::wstring name = iLast == std::wstring::npos ? sent : sent.substr(iLast + 1);
    for (wchar_t &ch : name)
        if (IsReservedChar(ch))
            ch = L'_';
    // The file system drops trailing dots and blanks: "x." would be "x".
    while (!name.empty() && (name.back() == L'.' || name.back() == L' '))
        name.pop_back();
    while (!name.empty() && name.front() == L' ')
        name.erase(0, 1);
    if (name.empty())
        name = L"received";
    if (IsDeviceName(name))
        name.insert(0, L"_");
    return name;
}

// At most cch characters, never ending inside a surrogate pair.
std::wstring Cut(const std::wstring &text, size_t cch)
{
    if (text.size() <= cch)
        return text;
    if (cch > 0 && text[cch - 1] >= 0xD800 && text[cch - 1] <= 0xDBFF)
        --cch;
    return text.substr(0, cch);
}
} // namespace

HANDLE ObexCreateReceivedFile(const std::wstring &folder, const std::wstring &sent, std::wstring *pPath)
{
    std::wstring name = PlainName(sent);
    size_t iDot = name.rfind(L'.');
    std::wstring ext = (iDot != std::wstring::npos && iDot > 0 && name.size() - iDot <= 16) ? name.substr(iDot) : L"";
    std::wstring stem = name.substr(0, name.size() - ext.size());
    // Folder, "\", name and terminator within MAX_PATH, with room for " (9999)".
    size_t cchFolder = folder.size() + 1;
    if (cchFolder + ext.size() + 8 + 1 >= MAX_PATH)
        return INVALID_HANDLE_VALUE;
    size_t cchName = MAX_PATH - 1 - cchFolder;
    for (int i = 1; i <= 9999; ++i) {
        WCHAR szSuffix[16] = L"";
        if (i > 1)
            StringCchPrintfW(szSuffix, ARRAYSIZE(szSuffix), L" (%d)", i);
        size_t cchStem = cchName - ext.size() - wcslen(szSuffix);
        std::wstring path = folder + L"\\" + Cut(stem, cchStem) + szSuffix + ext, host;
        if (!PlatStorePath(path.c_str(), &host))
            return INVALID_HANDLE_VALUE;
        // Taken names are passed over before opening: a file open elsewhere
        // can answer a sharing error rather than "exists".
        if (GetFileAttributesW(host.c_str()) != INVALID_FILE_ATTRIBUTES)
            continue;
        HANDLE h = CreateFileW(host.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            *pPath = path;
            return h;
        }
        DWORD dwError = GetLastError();
        if (dwError != ERROR_FILE_EXISTS && dwError != ERROR_ALREADY_EXISTS && dwError != ERROR_ACCESS_DENIED &&
            dwError != ERROR_SHARING_VIOLATION)
            return INVALID_HANDLE_VALUE;
    }
    return INVALID_HANDLE_VALUE;
}

// ---- one connection ------------------------------------------------------------------

ObexServerSession::~ObexServerSession()
{
    Abandon();
}

// A put cut short leaves nothing behind.
void ObexServerSession::Abandon()
{
    if (m_hFile == INVALID_HANDLE_VALUE)
        return;
    CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    std::wstring host;
    if (PlatStorePath(m_path.c_str(), &host))
        DeleteFileW(host.c_str());
    m_path.clear();
}

BYTE ObexServerSession::OnPut(const std::vector<BYTE> &request, BOOL fFinal)
{
    BOOL fBody = FALSE, fWriteFailed = FALSE, fEnd = FALSE;
    std::vector<const ObexHeader *> bodies;
    std::vector<ObexHeader> headers;
    if (!ObexReadHeaders(request, 3, [&](const ObexHeader &h) { headers.push_back(h); }))
        return OBEX_RSP_BAD_REQUEST;
    for (const ObexHeader &h : headers) {
        if (h.hi == OBEX_HI_NAME && m_hFile == INVALID_HANDLE_VALUE)
            m_name = ObexHeaderText(h);
        if (h.hi == OBEX_HI_BODY || h.hi == OBEX_HI_END_OF_BODY) {
            fBody = TRUE;
            fEnd = fEnd || h.hi == OBEX_HI_END_OF_BODY;
            bodies.push_back(&h);
        }
    }
    if (fBody && m_hFile == INVALID_HANDLE_VALUE) {
        m_hFile = ObexCreateReceivedFile(m_folder, m_name, &m_path);
        if (m_hFile == INVALID_HANDLE_VALUE)
            return OBEX_RSP_INTERNAL_ERROR;
    }
    for (const ObexHeader *ph : bodies) {
        DWORD cbWritten = 0;
        if (ph->cb && (!WriteFile(m_hFile, ph->pb, (DWORD)ph->cb, &cbWritten, nullptr) || cbWritten != ph->cb))
            fWriteFailed = TRUE;
    }
    if (fWriteFailed) {
        Abandon();
        return OBEX_RSP_INTERNAL_ERROR;
    }
    if (!fFinal)
        return OBEX_RSP_CONTINUE;
    if (m_hFile == INVALID_HANDLE_VALUE)
        return OBEX_RSP_FORBIDDEN;  // a put without a body would delete: not here
    (void)fEnd;
    CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    m_lastStored = m_path;
    m_path.clear();
    m_name.clear();
    return OBEX_RSP_SUCCESS;
}

BOOL ObexServerSession::Handle(const std::vector<BYTE> &request, std::vector<BYTE> &response)
{
    BYTE bCode = OBEX_RSP_BAD_REQUEST;
    BOOL fKeep = TRUE;
    size_t cbDeclared = request.size() >= 3 ? (((size_t)request[1] << 8) | request[2]) : 0;
    if (request.size() < 3 || cbDeclared != request.size()) {
        response = ObexPacket(OBEX_RSP_BAD_REQUEST).Bytes();
        Abandon();
        return FALSE;
    }
    switch (request[0]) {
    case OBEX_OP_CONNECT: {
        if (request.size() < 7) {
            Abandon();
            response = ObexPacket(OBEX_RSP_BAD_REQUEST).Bytes();
            return FALSE;
        }
        m_fConnected = TRUE;
        ObexPacket pkt(OBEX_RSP_SUCCESS);
        pkt.AddByte(0x10);
        pkt.AddByte(0);
        pkt.AddWord(OBEX_MAX_PACKET);
        response = pkt.Bytes();
        return TRUE;
    }
    case OBEX_OP_DISCONNECT:
        Abandon();
        response = ObexPacket(OBEX_RSP_SUCCESS).Bytes();
        return FALSE;
    case OBEX_OP_PUT:
    case OBEX_OP_PUT_FINAL:
        bCode = m_fConnected ? OnPut(request, request[0] == OBEX_OP_PUT_FINAL) : OBEX_RSP_BAD_REQUEST;
        if (bCode != OBEX_RSP_CONTINUE && bCode != OBEX_RSP_SUCCESS)
            Abandon();
        break;
    case OBEX_OP_ABORT:
        Abandon();
        bCode = OBEX_RSP_SUCCESS;
        break;
    default:
        bCode = (request[0] & OBEX_FINAL) ? OBEX_RSP_NOT_IMPLEMENTED : OBEX_RSP_BAD_REQUEST;
        break;
    }
    response = ObexPacket(bCode).Bytes();
    return fKeep;
}

void ObexServeConnection(SOCKET s, const std::wstring &folder, DWORD dwTimeoutMs)
{
    ObexSocketLink link(s, dwTimeoutMs);
    ObexServerSession session(folder);
    std::vector<BYTE> request, response;
    while (link.Receive(request)) {
        BOOL fKeep = session.Handle(request, response);
        if (!link.Send(response) || !fKeep)
            break;
    }
}
