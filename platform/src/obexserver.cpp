// The receive server's side of OBEX: Connect, Put, Abort and Disconnect
// answered, each received object stored as a plain new file of the receive
// folder once all of it has come. The sender names the file; that name is
// only ever a suggestion.
#include "obexwire.h"
#include "internal.h"
#include <strsafe.h>
#include <set>

// ---- the stored file's name --------------------------------------------------------

namespace {
// The host keeps a file name of at most this many bytes of UTF-8.
const size_t kHostNameBytes = 255;
// Names taken in the folder are listed once; a rename refused as "exists"
// anyway (a file that came meanwhile) is tried at most this often.
const int kMaxRefusedRenames = 100;

bool IsReservedChar(wchar_t ch)
{
    return ch < 0x20 || (ch >= 0x7F && ch <= 0x9F) || wcschr(L"<>:\"/\\|?*", ch) != nullptr;
}

// Invisible marks that reorder or hide what a name shows: "photo<RLO>gpj.exe"
// would read "photoexe.jpg".
bool IsHiddenControl(wchar_t ch)
{
    return ch == 0x061C || ch == 0x180E || (ch >= 0x200B && ch <= 0x200F) || (ch >= 0x202A && ch <= 0x202E) ||
           (ch >= 0x2060 && ch <= 0x2064) || (ch >= 0x2066 && ch <= 0x206F) || ch == 0xFEFF;
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

// The UTF-8 length of the character at text[i] (a pair counts as one), and
// how many UTF-16 units it takes.
size_t Utf8Bytes(const std::wstring &text, size_t i, size_t *pcch)
{
    wchar_t ch = text[i];
    *pcch = 1;
    if (ch < 0x80)
        return 1;
    if (ch < 0x800)
        return 2;
    if (IS_HIGH_SURROGATE(ch) && i + 1 < text.size() && IS_LOW_SURROGATE(text[i + 1])) {
        *pcch = 2;
        return 4;
    }
    return 3;
}

size_t Utf8Length(const std::wstring &text)
{
    size_t cb = 0, cch = 0;
    for (size_t i = 0; i < text.size(); i += cch)
        cb += Utf8Bytes(text, i, &cch);
    return cb;
}

// The longest head of stem that leaves room for tail within cchMax units
// and the host's bytes; never ends inside a pair or on a dot or blank the
// file system would drop.
std::wstring Fit(const std::wstring &stem, const std::wstring &tail, size_t cchMax)
{
    size_t cbTail = Utf8Length(tail);
    if (tail.size() >= cchMax || cbTail >= kHostNameBytes)
        return L"";
    size_t cchRoom = cchMax - tail.size(), cbRoom = kHostNameBytes - cbTail;
    size_t cchHead = 0, cbHead = 0, cch = 0;
    while (cchHead < stem.size()) {
        size_t cb = Utf8Bytes(stem, cchHead, &cch);
        if (cchHead + cch > cchRoom || cbHead + cb > cbRoom)
            break;
        cchHead += cch;
        cbHead += cb;
    }
    std::wstring head = stem.substr(0, cchHead);
    if (tail.empty())
        while (!head.empty() && (head.back() == L'.' || head.back() == L' '))
            head.pop_back();
    return head;
}

std::wstring Upper(std::wstring text)
{
    if (!text.empty())
        CharUpperBuffW(&text[0], (DWORD)text.size());
    return text;
}

// The folder's names, upper-cased (the file system ignores case).
std::set<std::wstring> TakenNames(const std::wstring &folder)
{
    std::set<std::wstring> taken;
    WIN32_FIND_DATAW fd;
    std::wstring host;
    if (!PlatStorePath((folder + L"\\*").c_str(), &host))
        return taken;
    HANDLE h = FindFirstFileW(host.c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return taken;
    do
        taken.insert(Upper(fd.cFileName));
    while (FindNextFileW(h, &fd));
    FindClose(h);
    return taken;
}
} // namespace

std::wstring ObexPlainName(const std::wstring &sent)
{
    size_t iLast = sent.find_last_of(L"\\/:");
    std::wstring given = iLast == std::wstring::npos ? sent : sent.substr(iLast + 1);
    std::wstring name;
    for (size_t i = 0; i < given.size(); ++i) {
        wchar_t ch = given[i];
        if (IsHiddenControl(ch))
            continue;
        if (IS_HIGH_SURROGATE(ch) && i + 1 < given.size() && IS_LOW_SURROGATE(given[i + 1])) {
            name.append(given, i++, 2);
            continue;
        }
        // A surrogate without its other half has no UTF-8 form on the host.
        name.push_back((ch >= 0xD800 && ch <= 0xDFFF) || IsReservedChar(ch) ? L'_' : ch);
    }
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

std::wstring ObexStoreReceivedFile(const std::wstring &folder, const std::wstring &sent, const std::wstring &temp)
{
    std::wstring name = ObexPlainName(sent);
    size_t iDot = name.rfind(L'.');
    std::wstring ext = (iDot != std::wstring::npos && iDot > 0 && name.size() - iDot <= 16) ? name.substr(iDot) : L"";
    std::wstring stem = name.substr(0, name.size() - ext.size());
    // Folder, "\", name and terminator within MAX_PATH, with room for a number.
    size_t cchFolder = folder.size() + 1;
    if (cchFolder + ext.size() + 8 + 1 >= MAX_PATH)
        return L"";
    size_t cchName = MAX_PATH - 1 - cchFolder;
    std::set<std::wstring> taken = TakenNames(folder);
    int cRefused = 0;
    for (unsigned i = 1; cRefused < kMaxRefusedRenames; ++i) {
        WCHAR szSuffix[16] = L"";
        if (i > 1)
            StringCchPrintfW(szSuffix, ARRAYSIZE(szSuffix), L" (%u)", i);
        std::wstring tail = szSuffix + ext;
        std::wstring leaf = Fit(stem, tail, cchName) + tail;
        if (taken.count(Upper(leaf)))
            continue;
        std::wstring path = folder + L"\\" + leaf, host;
        if (!PlatStorePath(path.c_str(), &host))
            return L"";
        // Never over an existing file: the rename fails when the name is taken.
        if (MoveFileExW(temp.c_str(), host.c_str(), 0))
            return path;
        DWORD dwError = GetLastError();
        if (dwError != ERROR_FILE_EXISTS && dwError != ERROR_ALREADY_EXISTS && dwError != ERROR_ACCESS_DENIED &&
            dwError != ERROR_SHARING_VIOLATION)
            return L"";
        taken.insert(Upper(leaf));
        ++cRefused;
    }
    return L"";
}

// ---- the temporaries ----------------------------------------------------------------

std::wstring ObexIncomingFolder()
{
    return PlatProfilePath(L"obex-incoming");
}

void ObexRemoveStaleIncoming()
{
    std::wstring dir = ObexIncomingFolder();
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*.part").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileW((dir + L"\\" + fd.cFileName).c_str());
    while (FindNextFileW(h, &fd));
    FindClose(h);
}

// ---- one connection ------------------------------------------------------------------

ObexServerSession::~ObexServerSession()
{
    Abandon();
}

// A put cut short leaves nothing behind; the next object starts clean.
void ObexServerSession::Abandon()
{
    if (m_in.hFile != INVALID_HANDLE_VALUE) {
        CloseHandle(m_in.hFile);
        DeleteFileW(m_in.tempPath.c_str());
    }
    m_in = Incoming();
}

// The object's first body: the room the receive folder has for it, and its
// temporary.
BYTE ObexServerSession::Begin()
{
    ULARGE_INTEGER uliFree;
    if (!PlatGetDiskFreeSpaceExW(m_folder.empty() ? L"\\" : m_folder.c_str(), &uliFree, nullptr, nullptr))
        return OBEX_RSP_INTERNAL_ERROR;
    m_in.cbRoom = uliFree.QuadPart;
    if (m_in.fHasLength && m_in.cbLength > m_in.cbRoom)
        return OBEX_RSP_DATABASE_FULL;
    std::wstring dir = ObexIncomingFolder();
    CreateDirectoryW(dir.c_str(), nullptr);
    static LONG s_cTemps;
    for (int i = 0; i < 100 && m_in.hFile == INVALID_HANDLE_VALUE; ++i) {
        WCHAR szLeaf[48];
        StringCchPrintfW(szLeaf, ARRAYSIZE(szLeaf), L"\\recv-%lu-%ld.part", GetCurrentProcessId(),
                         InterlockedIncrement(&s_cTemps));
        m_in.tempPath = dir + szLeaf;
        m_in.hFile = CreateFileW(m_in.tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                 nullptr);
        if (m_in.hFile == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    return m_in.hFile == INVALID_HANDLE_VALUE ? OBEX_RSP_INTERNAL_ERROR : OBEX_RSP_CONTINUE;
}

// The final packet answered: the temporary takes its name in the folder.
BYTE ObexServerSession::Finish()
{
    CloseHandle(m_in.hFile);
    m_in.hFile = INVALID_HANDLE_VALUE;
    std::wstring stored = ObexStoreReceivedFile(m_folder, m_in.name, m_in.tempPath);
    if (stored.empty()) {
        DeleteFileW(m_in.tempPath.c_str());
        m_in = Incoming();
        return OBEX_RSP_INTERNAL_ERROR;
    }
    m_lastStored = stored;
    m_in = Incoming();
    return OBEX_RSP_SUCCESS;
}

BYTE ObexServerSession::OnPut(const std::vector<BYTE> &request, BOOL fFinal)
{
    std::vector<ObexHeader> headers;
    if (!ObexReadHeaders(request, 3, [&](const ObexHeader &h) { headers.push_back(h); }))
        return OBEX_RSP_BAD_REQUEST;
    BOOL fNames = FALSE, fBody = FALSE;
    for (const ObexHeader &h : headers) {
        fNames = fNames || h.hi == OBEX_HI_NAME || h.hi == OBEX_HI_LENGTH;
        fBody = fBody || h.hi == OBEX_HI_BODY || h.hi == OBEX_HI_END_OF_BODY;
    }
    // A refused object's further packets are refused too, up to its final
    // one: a client that goes on gets no file of its rest. One that names
    // an object begins the next.
    if (m_in.bRefused && !fNames)
        return m_in.bRefused;
    m_in.bRefused = 0;
    if (m_in.hFile == INVALID_HANDLE_VALUE) {
        for (const ObexHeader &h : headers) {
            if (h.hi == OBEX_HI_NAME)
                m_in.name = ObexHeaderText(h);
            if (h.hi == OBEX_HI_LENGTH) {
                m_in.fHasLength = TRUE;
                m_in.cbLength = h.dw;
            }
        }
        if (!fBody)
            return fFinal ? OBEX_RSP_FORBIDDEN : OBEX_RSP_CONTINUE;  // a put without a body would delete: not here
        BYTE bBegun = Begin();
        if (bBegun != OBEX_RSP_CONTINUE)
            return bBegun;
    }
    for (const ObexHeader &h : headers) {
        if (h.hi != OBEX_HI_BODY && h.hi != OBEX_HI_END_OF_BODY)
            continue;
        m_in.cbReceived += h.cb;
        if (m_in.fHasLength && m_in.cbReceived > m_in.cbLength)
            return OBEX_RSP_BAD_REQUEST;
        if (m_in.cbReceived > m_in.cbRoom)
            return OBEX_RSP_DATABASE_FULL;
        DWORD cbWritten = 0;
        if (h.cb && (!WriteFile(m_in.hFile, h.pb, (DWORD)h.cb, &cbWritten, nullptr) || cbWritten != h.cb)) {
            DWORD dwError = GetLastError();
            return dwError == ERROR_DISK_FULL || dwError == ERROR_HANDLE_DISK_FULL ? OBEX_RSP_DATABASE_FULL
                                                                                    : OBEX_RSP_INTERNAL_ERROR;
        }
    }
    if (!fFinal)
        return OBEX_RSP_CONTINUE;
    // Fewer bytes than it said it had: cut short on the way, not stored.
    if (m_in.fHasLength && m_in.cbReceived != m_in.cbLength)
        return OBEX_RSP_BAD_REQUEST;
    return Finish();
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
        if (bCode != OBEX_RSP_CONTINUE && bCode != OBEX_RSP_SUCCESS) {
            Abandon();
            if (request[0] == OBEX_OP_PUT)
                m_in.bRefused = bCode;  // until the object's final packet
        }
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

void ObexServeConnection(SOCKET s, const std::wstring &folder, DWORD dwTimeoutMs, HANDLE hStop)
{
    ObexSocketLink link(s, dwTimeoutMs, FALSE, hStop);
    ObexServerSession session(folder);
    std::vector<BYTE> request, response;
    while (link.Receive(request)) {
        BOOL fKeep = session.Handle(request, response);
        if (!link.Send(response) || !fKeep)
            break;
    }
}
