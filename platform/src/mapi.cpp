// CE messaging stand-in: sessions, the message-store table, stores with their
// five folders, contents tables and messages, all over the profile's
// messages.json. Objects hold what the file said when they were opened;
// DeleteMessages writes the file at once.
#include "internal.h"
#include "cemapi.h"
#include "platmapi.h"
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <tuple>
#include <string>
#include <vector>

using nlohmann::json;

namespace {
LONG g_cInit;
LONG g_cObjects;
LONG g_cSessions;
std::mutex g_mtxFile;  // a delete reads, changes and writes the file whole

const wchar_t kFile[] = L"messages.json";
const size_t kMaxText = 1024;
const DWORD kMaxId = 0x7FFFFFFF;
const HRESULT kNoAccess = E_ACCESSDENIED;
const HRESULT kPartial = (HRESULT)0x00040680L;

// The five folders of a store, by the store property that names each.
struct FolderKind {
    ULONG ulTag;
    const char *pszKey;
};
const FolderKind g_aFolders[] = {
    {PR_CE_IPM_INBOX_ENTRYID, "inbox"},   {PR_IPM_WASTEBASKET_ENTRYID, "deleted"},
    {PR_CE_IPM_DRAFTS_ENTRYID, "drafts"}, {PR_IPM_OUTBOX_ENTRYID, "outbox"},
    {PR_IPM_SENTMAIL_ENTRYID, "sent"},
};
const DWORD kFolderCount = ARRAYSIZE(g_aFolders);

// Entry identifiers: which store, folder and message, behind the flag bytes.
// A store is named by its key as well as its place in the list, so an
// identifier taken before the list changed never names another store.
enum EntryKind : DWORD { kStore = 1, kFolder = 2, kMessage = 3 };
const DWORD kEntryMagic = 0x54534D50;
#pragma pack(push, 1)
struct EntryBytes {
    BYTE abFlags[4];
    DWORD dwMagic;
    DWORD dwKind;
    DWORD iStore;
    DWORD dwStoreKey;
    DWORD iFolder;
    DWORD dwMessage;
};
#pragma pack(pop)

// A store as an entry identifier names it: its place when the identifier
// was made, and its key.
struct StoreRef {
    DWORD iStore;
    DWORD dwKey;
};

std::vector<BYTE> MakeEntry(DWORD dwKind, StoreRef ref, DWORD iFolder, DWORD dwMessage)
{
    EntryBytes eb = {{0, 0, 0, 0}, kEntryMagic, dwKind, ref.iStore, ref.dwKey, iFolder, dwMessage};
    const BYTE *pb = (const BYTE *)&eb;
    return std::vector<BYTE>(pb, pb + sizeof(eb));
}

bool ParseEntry(ULONG cb, LPENTRYID peid, EntryBytes *peb)
{
    if (!peid || cb != sizeof(EntryBytes))
        return false;
    CopyMemory(peb, peid, sizeof(*peb));
    return peb->dwMagic == kEntryMagic && peb->iFolder < kFolderCount;
}

// One property as an object or a table row holds it.
struct Prop {
    ULONG ulTag;
    std::wstring text;
    std::vector<BYTE> bin;
    LONG l;
};
typedef std::vector<Prop> PropList;

Prop TextProp(ULONG ulTag, const std::wstring &text) { return Prop{ulTag, text, {}, 0}; }
Prop BinProp(ULONG ulTag, const std::vector<BYTE> &bin) { return Prop{ulTag, L"", bin, 0}; }
Prop LongProp(ULONG ulTag, LONG l) { return Prop{ulTag, L"", {}, l}; }

// The values of the tags asked for, in one MAPI buffer; a tag the object
// lacks comes back as an error value.
HRESULT BuildValues(const PropList &have, const ULONG *pulTags, ULONG cTags, LPSPropValue *ppv)
{
    LPSPropValue pv = nullptr;
    if (FAILED(MAPIAllocateBuffer((ULONG)(sizeof(SPropValue) * (cTags ? cTags : 1)), (LPVOID *)&pv)))
        return MAPI_E_NOT_ENOUGH_MEMORY;
    bool fErrors = false;
    for (ULONG i = 0; i < cTags; ++i) {
        const Prop *pFound = nullptr;
        for (const Prop &p : have)
            if (p.ulTag == pulTags[i])
                pFound = &p;
        SPropValue &val = pv[i];
        if (!pFound) {
            val.ulPropTag = PROP_TAG(PT_ERROR, PROP_ID(pulTags[i]));
            val.Value.err = MAPI_E_NOT_FOUND;
            fErrors = true;
            continue;
        }
        val.ulPropTag = pFound->ulTag;
        LPVOID pMore = nullptr;
        switch (PROP_TYPE(pFound->ulTag)) {
        case PT_UNICODE:
            if (FAILED(MAPIAllocateMore((ULONG)((pFound->text.size() + 1) * sizeof(WCHAR)), pv, &pMore)))
                break;
            CopyMemory(pMore, pFound->text.c_str(), (pFound->text.size() + 1) * sizeof(WCHAR));
            val.Value.lpszW = (LPWSTR)pMore;
            continue;
        case PT_BINARY:
            if (FAILED(MAPIAllocateMore((ULONG)pFound->bin.size(), pv, &pMore)))
                break;
            CopyMemory(pMore, pFound->bin.data(), pFound->bin.size());
            val.Value.bin.cb = (ULONG)pFound->bin.size();
            val.Value.bin.lpb = (LPBYTE)pMore;
            continue;
        case PT_BOOLEAN:
            val.Value.b = (unsigned short)(pFound->l != 0);
            continue;
        default:
            val.Value.l = pFound->l;
            continue;
        }
        MAPIFreeBuffer(pv);
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
    *ppv = pv;
    return fErrors ? MAPI_W_ERRORS_RETURNED : S_OK;
}

// ---- the file's model --------------------------------------------------

const json *StoreAt(const json &j, DWORD iStore)
{
    const json &stores = PlatProfileArray(j, "stores");
    return iStore < stores.size() && stores[iStore].is_object() ? &stores[iStore] : nullptr;
}

// A store's key: its "id", or without one a hash of its name (high bit set,
// so it is never an id).
DWORD StoreKey(const json &store)
{
    DWORD dwId = (DWORD)PlatProfileNumber(store, "id", 1, kMaxId, 0);
    if (dwId)
        return dwId;
    DWORD dwHash = 2166136261u;  // FNV-1a
    for (wchar_t ch : PlatProfileText(store, "name", kMaxText, L""))
        dwHash = (dwHash ^ (DWORD)ch) * 16777619u;
    return dwHash | 0x80000000u;
}

StoreRef RefOf(const json &j, DWORD iStore)
{
    return StoreRef{iStore, StoreKey(*StoreAt(j, iStore))};
}

// Where the store an identifier named is now: a store with an id wherever it
// went; one without at its old place under its name, else wherever it went
// when it is the only store of that name without an id. Stores that share a
// name are told apart for good only by their ids.
bool FindStore(const json &j, StoreRef ref, DWORD *piStore)
{
    const json &stores = PlatProfileArray(j, "stores");
    DWORD cFound = 0;
    for (DWORD i = 0; i < stores.size(); ++i) {
        if (!StoreAt(j, i) || StoreKey(stores[i]) != ref.dwKey)
            continue;
        if ((ref.dwKey & 0x80000000u) == 0 || i == ref.iStore) {
            *piStore = i;
            return true;
        }
        if (cFound++ == 0)
            *piStore = i;
    }
    return cFound == 1;
}

// A folder the store holds, or null.
const json *FolderAt(const json &store, DWORD iFolder)
{
    auto itFolders = store.find("folders");
    if (itFolders == store.end() || !itFolders->is_object())
        return nullptr;
    auto it = itFolders->find(g_aFolders[iFolder].pszKey);
    return it != itFolders->end() && it->is_object() ? &*it : nullptr;
}

// A message's id; 0 (no entry identifier, never listed) when it has none.
DWORD MessageId(const json &message)
{
    return (DWORD)PlatProfileNumber(message, "id", 1, kMaxId, 0);
}

DWORD DefaultStore(const json &j)
{
    const json &stores = PlatProfileArray(j, "stores");
    for (DWORD i = 0; i < stores.size(); ++i)
        if (PlatProfileFlag(stores[i], "default", false))
            return i;
    return 0;
}

PropList StoreProps(const json &j, DWORD iStore)
{
    const json &store = *StoreAt(j, iStore);
    StoreRef ref = RefOf(j, iStore);
    PropList props = {
        TextProp(PR_DISPLAY_NAME_W, PlatProfileText(store, "name", kMaxText, L"")),
        BinProp(PR_ENTRYID, MakeEntry(kStore, ref, 0, 0)),
        LongProp(PR_DEFAULT_STORE, iStore == DefaultStore(j)),
    };
    for (DWORD i = 0; i < kFolderCount; ++i)
        if (FolderAt(store, i))
            props.push_back(BinProp(g_aFolders[i].ulTag, MakeEntry(kFolder, ref, i, 0)));
    return props;
}

PropList FolderProps(const json &folder, StoreRef ref, DWORD iFolder)
{
    return {TextProp(PR_DISPLAY_NAME_W, PlatProfileText(folder, "name", kMaxText, L"")),
            BinProp(PR_ENTRYID, MakeEntry(kFolder, ref, iFolder, 0))};
}

PropList MessageProps(const json &message, StoreRef ref, DWORD iFolder)
{
    return {BinProp(PR_ENTRYID, MakeEntry(kMessage, ref, iFolder, MessageId(message))),
            LongProp(PR_MESSAGE_FLAGS, PlatProfileFlag(message, "read", false) ? MSGFLAG_READ : 0),
            TextProp(PR_SENDER_NAME_W, PlatProfileText(message, "senderName", kMaxText, L"")),
            TextProp(PR_SENDER_EMAIL_ADDRESS_W, PlatProfileText(message, "senderAddress", kMaxText, L"")),
            TextProp(PR_SUBJECT_W, PlatProfileText(message, "subject", kMaxText, L""))};
}

// ---- the file as last read -------------------------------------------------

LONG g_cReads;  // whole reads of the file, for the tests

// The file as it is now; false, reported by the profile, when it is damaged.
HRESULT ReadMessagesFile(json &j)
{
    InterlockedIncrement(&g_cReads);
    return PlatProfileRead(kFile, j) ? S_OK : MAPI_E_CORRUPT_DATA;
}

// The folder an object was opened on, in the file as read.
HRESULT FolderIn(const json &j, StoreRef ref, DWORD iFolder, DWORD *piStore, const json **ppFolder)
{
    *ppFolder = FindStore(j, ref, piStore) ? FolderAt(*StoreAt(j, *piStore), iFolder) : nullptr;
    return *ppFolder ? S_OK : MAPI_E_NOT_FOUND;
}

// The file as this process last read it, with every folder's messages by id:
// listing a folder opens each of its messages, and a large Inbox must not be
// read whole again for each one. A new write time or size reads it anew.
struct FileView {
    PlatFileStamp stamp;
    json j;
    std::map<std::tuple<DWORD, DWORD, DWORD>, const json *> byId;  // store, folder, id
};
std::mutex g_mtxView;
std::shared_ptr<const FileView> g_pView;

HRESULT CurrentFile(std::shared_ptr<const FileView> *ppView)
{
    std::lock_guard<std::mutex> lock(g_mtxView);
    // Stamped before the read: a write in between only brings one read more.
    PlatFileStamp stamp = PlatStampOf(PlatProfilePath(kFile));
    if (g_pView && !(g_pView->stamp != stamp)) {
        *ppView = g_pView;
        return S_OK;
    }
    auto pView = std::make_shared<FileView>();
    pView->stamp = stamp;
    HRESULT hr = ReadMessagesFile(pView->j);
    if (FAILED(hr))
        return hr;
    const json &stores = PlatProfileArray(pView->j, "stores");
    for (DWORD iStore = 0; iStore < stores.size(); ++iStore) {
        for (DWORD iFolder = 0; stores[iStore].is_object() && iFolder < kFolderCount; ++iFolder) {
            const json *pFolder = FolderAt(stores[iStore], iFolder);
            if (!pFolder)
                continue;
            for (const json &message : PlatProfileArray(*pFolder, "messages"))
                if (DWORD dwId = MessageId(message))
                    pView->byId.emplace(std::make_tuple(iStore, iFolder, dwId), &message);  // the first keeps it
        }
    }
    g_pView = pView;
    *ppView = pView;
    return S_OK;
}

const json *FindMessage(const FileView &view, DWORD iStore, DWORD iFolder, DWORD dwId)
{
    auto it = view.byId.find(std::make_tuple(iStore, iFolder, dwId));
    return it != view.byId.end() ? it->second : nullptr;
}

// ---- objects -------------------------------------------------------------

template <class I>
class Object : public I {
    std::atomic<ULONG> m_cRef{1};

public:
    Object() { InterlockedIncrement(&g_cObjects); }
    virtual ~Object() { InterlockedDecrement(&g_cObjects); }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown))
            return E_NOINTERFACE;
        *ppv = static_cast<IUnknown *>(this);
        this->AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_cRef; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        ULONG c = --m_cRef;
        if (c == 0)
            delete this;
        return c;
    }
};

// GetProps over the properties an object was opened with.
template <class I>
class PropObject : public Object<I> {
protected:
    PropList m_props;

public:
    explicit PropObject(PropList props) : m_props(std::move(props)) {}
    HRESULT STDMETHODCALLTYPE GetProps(LPSPropTagArray lpTags, ULONG ulFlags, ULONG *lpcValues,
                                       LPSPropValue *lppProps) override
    {
        (void)ulFlags;  // texts are always UTF-16
        if (!lpcValues || !lppProps)
            return MAPI_E_INVALID_PARAMETER;
        *lpcValues = 0;
        *lppProps = nullptr;
        std::vector<ULONG> tags;
        if (lpTags)
            tags.assign(lpTags->aulPropTag, lpTags->aulPropTag + lpTags->cValues);
        else
            for (const Prop &p : m_props)
                tags.push_back(p.ulTag);
        HRESULT hr = BuildValues(m_props, tags.data(), (ULONG)tags.size(), lppProps);
        if (SUCCEEDED(hr))
            *lpcValues = (ULONG)tags.size();
        return hr;
    }
};

class Table final : public Object<IMAPITable> {
    std::vector<PropList> m_rows;
    std::vector<ULONG> m_cols;
    size_t m_iPos = 0;

public:
    Table(std::vector<PropList> rows, std::vector<ULONG> cols) : m_rows(std::move(rows)), m_cols(std::move(cols)) {}
    HRESULT STDMETHODCALLTYPE SetColumns(LPSPropTagArray lpTags, ULONG) override
    {
        if (!lpTags || lpTags->cValues == 0)
            return MAPI_E_INVALID_PARAMETER;
        m_cols.assign(lpTags->aulPropTag, lpTags->aulPropTag + lpTags->cValues);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetRowCount(ULONG, ULONG *lpulCount) override
    {
        if (!lpulCount)
            return MAPI_E_INVALID_PARAMETER;
        *lpulCount = (ULONG)m_rows.size();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SeekRow(BOOKMARK bkOrigin, LONG lRowCount, LONG *lplRowsSought) override
    {
        LONGLONG llBase = bkOrigin == BOOKMARK_BEGINNING ? 0 : bkOrigin == BOOKMARK_CURRENT ? (LONGLONG)m_iPos
                          : bkOrigin == BOOKMARK_END ? (LONGLONG)m_rows.size() : -1;
        if (llBase < 0)
            return MAPI_E_INVALID_PARAMETER;
        LONGLONG llNew = llBase + lRowCount;
        if (llNew < 0)
            llNew = 0;
        if (llNew > (LONGLONG)m_rows.size())
            llNew = (LONGLONG)m_rows.size();
        m_iPos = (size_t)llNew;
        if (lplRowsSought)
            *lplRowsSought = (LONG)(llNew - llBase);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryRows(LONG lRowCount, ULONG, LPSRowSet *lppRows) override
    {
        if (!lppRows || lRowCount <= 0)
            return MAPI_E_INVALID_PARAMETER;
        *lppRows = nullptr;
        size_t cRows = m_rows.size() - m_iPos;
        if (cRows > (size_t)lRowCount)
            cRows = (size_t)lRowCount;
        LPSRowSet prows = nullptr;
        ULONG cb = (ULONG)(offsetof(SRowSet, aRow) + sizeof(SRow) * (cRows ? cRows : 1));
        if (FAILED(MAPIAllocateBuffer(cb, (LPVOID *)&prows)))
            return MAPI_E_NOT_ENOUGH_MEMORY;
        for (size_t i = 0; i < cRows; ++i) {
            SRow &row = prows->aRow[i];
            if (FAILED(BuildValues(m_rows[m_iPos + i], m_cols.data(), (ULONG)m_cols.size(), &row.lpProps))) {
                FreeProws(prows);
                return MAPI_E_NOT_ENOUGH_MEMORY;
            }
            row.cValues = (ULONG)m_cols.size();
            prows->cRows = (ULONG)(i + 1);
        }
        m_iPos += cRows;
        *lppRows = prows;
        return S_OK;
    }
};

class Message final : public PropObject<IMessage> {
public:
    explicit Message(PropList props) : PropObject(std::move(props)) {}
};

HRESULT OpenEntryIn(const EntryBytes &eb, ULONG ulFlags, ULONG *lpulObjType, LPUNKNOWN *lppUnk);

class Folder final : public PropObject<IMAPIFolder> {
    StoreRef m_ref;
    DWORD m_iFolder;
    bool m_fModify;

public:
    Folder(PropList props, StoreRef ref, DWORD iFolder, bool fModify)
        : PropObject(std::move(props)), m_ref(ref), m_iFolder(iFolder), m_fModify(fModify) {}
    HRESULT STDMETHODCALLTYPE GetContentsTable(ULONG, LPMAPITABLE *lppTable) override
    {
        if (!lppTable)
            return MAPI_E_INVALID_PARAMETER;
        *lppTable = nullptr;
        std::shared_ptr<const FileView> pView;
        DWORD iStore = 0;
        const json *pFolder = nullptr;
        HRESULT hr = CurrentFile(&pView);
        if (SUCCEEDED(hr))
            hr = FolderIn(pView->j, m_ref, m_iFolder, &iStore, &pFolder);
        if (FAILED(hr))
            return hr;
        std::vector<PropList> rows;
        for (const json &message : PlatProfileArray(*pFolder, "messages"))
            if (MessageId(message))
                rows.push_back(MessageProps(message, m_ref, m_iFolder));
        *lppTable = new Table(std::move(rows), {PR_ENTRYID, PR_MESSAGE_FLAGS, PR_SENDER_NAME_W,
                                                PR_SENDER_EMAIL_ADDRESS_W, PR_SUBJECT_W});
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OpenEntry(ULONG cb, LPENTRYID peid, const IID *, ULONG ulFlags, ULONG *lpulObjType,
                                        LPUNKNOWN *lppUnk) override
    {
        EntryBytes eb;
        if (!ParseEntry(cb, peid, &eb) || eb.iStore != m_ref.iStore || eb.dwStoreKey != m_ref.dwKey)
            return MAPI_E_INVALID_ENTRYID;
        return OpenEntryIn(eb, ulFlags, lpulObjType, lppUnk);
    }
    HRESULT STDMETHODCALLTYPE DeleteMessages(LPENTRYLIST lpMsgList, ULONG_PTR, LPMAPIPROGRESS, ULONG) override;
};

HRESULT Folder::DeleteMessages(LPENTRYLIST lpMsgList, ULONG_PTR, LPMAPIPROGRESS, ULONG)
{
    if (!lpMsgList || (lpMsgList->cValues && !lpMsgList->lpbin))
        return MAPI_E_INVALID_PARAMETER;
    if (!m_fModify)
        return kNoAccess;
    std::lock_guard<std::mutex> lock(g_mtxFile);
    json j;
    DWORD iStore = 0;
    const json *pFolder = nullptr;
    HRESULT hr = ReadMessagesFile(j);  // read anew under the lock: it is written back
    if (SUCCEEDED(hr))
        hr = FolderIn(j, m_ref, m_iFolder, &iStore, &pFolder);
    if (FAILED(hr))
        return hr;
    if (PlatProfileFlag(*pFolder, "locked", false))
        return kNoAccess;  // another program holds the folder
    json &messages = j["stores"][iStore]["folders"][g_aFolders[m_iFolder].pszKey]["messages"];
    if (!messages.is_array())
        return lpMsgList->cValues ? kPartial : S_OK;
    ULONG cFound = 0;
    for (ULONG i = 0; i < lpMsgList->cValues; ++i) {
        EntryBytes eb;
        const SBinary &bin = lpMsgList->lpbin[i];
        if (!ParseEntry(bin.cb, (LPENTRYID)bin.lpb, &eb) || eb.dwKind != kMessage || eb.iStore != m_ref.iStore ||
            eb.dwStoreKey != m_ref.dwKey || eb.iFolder != m_iFolder || eb.dwMessage == 0)
            continue;
        for (auto it = messages.begin(); it != messages.end(); ++it) {
            if (MessageId(*it) == eb.dwMessage) {
                messages.erase(it);
                ++cFound;
                break;
            }
        }
    }
    if (cFound && !PlatProfileSave(kFile, j))
        return MAPI_E_CALL_FAILED;
    return cFound == lpMsgList->cValues ? S_OK : kPartial;
}

class Store final : public PropObject<IMsgStore> {
    StoreRef m_ref;

public:
    Store(PropList props, StoreRef ref) : PropObject(std::move(props)), m_ref(ref) {}
    HRESULT STDMETHODCALLTYPE OpenEntry(ULONG cb, LPENTRYID peid, const IID *, ULONG ulFlags, ULONG *lpulObjType,
                                        LPUNKNOWN *lppUnk) override
    {
        EntryBytes eb;
        if (!ParseEntry(cb, peid, &eb) || eb.iStore != m_ref.iStore || eb.dwStoreKey != m_ref.dwKey)
            return MAPI_E_INVALID_ENTRYID;
        return OpenEntryIn(eb, ulFlags, lpulObjType, lppUnk);
    }
};

// Opens what an entry identifier names, as the file holds it now.
HRESULT OpenEntryIn(const EntryBytes &eb, ULONG ulFlags, ULONG *lpulObjType, LPUNKNOWN *lppUnk)
{
    if (!lppUnk)
        return MAPI_E_INVALID_PARAMETER;
    *lppUnk = nullptr;
    std::shared_ptr<const FileView> pView;
    HRESULT hr = CurrentFile(&pView);
    if (FAILED(hr))
        return hr;
    const json &j = pView->j;
    StoreRef ref = {eb.iStore, eb.dwStoreKey};
    DWORD iStore = 0;
    if (!FindStore(j, ref, &iStore))
        return MAPI_E_NOT_FOUND;
    const json *pStore = StoreAt(j, iStore);
    if (eb.dwKind == kStore) {
        *lppUnk = new Store(StoreProps(j, iStore), ref);
        if (lpulObjType)
            *lpulObjType = MAPI_STORE;
        return S_OK;
    }
    const json *pFolder = FolderAt(*pStore, eb.iFolder);
    if (!pFolder)
        return MAPI_E_NOT_FOUND;
    if (eb.dwKind == kFolder) {
        *lppUnk = new Folder(FolderProps(*pFolder, ref, eb.iFolder), ref, eb.iFolder,
                             (ulFlags & (MAPI_MODIFY | MAPI_BEST_ACCESS)) != 0);
        if (lpulObjType)
            *lpulObjType = MAPI_FOLDER;
        return S_OK;
    }
    const json *pMessage = eb.dwKind == kMessage ? FindMessage(*pView, iStore, eb.iFolder, eb.dwMessage) : nullptr;
    if (!pMessage)
        return MAPI_E_NOT_FOUND;
    *lppUnk = new Message(MessageProps(*pMessage, ref, eb.iFolder));
    if (lpulObjType)
        *lpulObjType = MAPI_MESSAGE;
    return S_OK;
}

class Session final : public Object<IMAPISession> {
    bool m_fLoggedOn = true;

public:
    Session() { InterlockedIncrement(&g_cSessions); }
    ~Session() override
    {
        if (m_fLoggedOn)
            InterlockedDecrement(&g_cSessions);
    }
    HRESULT STDMETHODCALLTYPE GetMsgStoresTable(ULONG, LPMAPITABLE *lppTable) override
    {
        if (!lppTable)
            return MAPI_E_INVALID_PARAMETER;
        *lppTable = nullptr;
        std::shared_ptr<const FileView> pView;
        HRESULT hr = CurrentFile(&pView);
        if (FAILED(hr))
            return hr;
        const json &j = pView->j;
        std::vector<PropList> rows;
        for (DWORD i = 0; i < PlatProfileArray(j, "stores").size(); ++i)
            if (StoreAt(j, i))  // an entry that is no object is no store
                rows.push_back(StoreProps(j, i));
        *lppTable = new Table(std::move(rows), {PR_DISPLAY_NAME_W, PR_ENTRYID, PR_DEFAULT_STORE});
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OpenMsgStore(ULONG_PTR, ULONG cb, LPENTRYID peid, const IID *, ULONG,
                                           LPMDB *lppMDB) override
    {
        if (!lppMDB)
            return MAPI_E_INVALID_PARAMETER;
        *lppMDB = nullptr;
        std::shared_ptr<const FileView> pView;
        HRESULT hr = CurrentFile(&pView);
        if (FAILED(hr))
            return hr;
        const json &j = pView->j;
        EntryBytes eb;
        DWORD iStore = DefaultStore(j);  // no identifier: the default store
        if (cb != 0 && !(ParseEntry(cb, peid, &eb) && eb.dwKind == kStore))
            return MAPI_E_INVALID_ENTRYID;
        if (cb != 0 && !FindStore(j, StoreRef{eb.iStore, eb.dwStoreKey}, &iStore))
            return MAPI_E_NOT_FOUND;
        if (!StoreAt(j, iStore))
            return MAPI_E_NOT_FOUND;
        *lppMDB = new Store(StoreProps(j, iStore), RefOf(j, iStore));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OpenEntry(ULONG cb, LPENTRYID peid, const IID *, ULONG ulFlags, ULONG *lpulObjType,
                                        LPUNKNOWN *lppUnk) override
    {
        EntryBytes eb;
        if (!ParseEntry(cb, peid, &eb))
            return MAPI_E_INVALID_ENTRYID;
        return OpenEntryIn(eb, ulFlags, lpulObjType, lppUnk);
    }
    HRESULT STDMETHODCALLTYPE Logoff(ULONG_PTR, ULONG, ULONG) override
    {
        if (!m_fLoggedOn)
            return MAPI_E_CALL_FAILED;
        m_fLoggedOn = false;
        InterlockedDecrement(&g_cSessions);
        return S_OK;
    }
};
} // namespace

HRESULT WINAPI MAPIInitialize(LPVOID lpMapiInit)
{
    (void)lpMapiInit;
    std::shared_ptr<const FileView> pView;
    HRESULT hr = CurrentFile(&pView);
    if (FAILED(hr))
        return hr;
    if (!PlatProfileFlag(pView->j, "available", true))
        return MAPI_E_CALL_FAILED;  // a handset without messaging
    InterlockedIncrement(&g_cInit);
    return S_OK;
}

void WINAPI MAPIUninitialize(void)
{
    if (InterlockedDecrement(&g_cInit) < 0)
        InterlockedIncrement(&g_cInit);  // unpaired call: stay at zero
}

HRESULT WINAPI MAPILogonEx(ULONG_PTR ulUIParam, LPWSTR lpszProfileName, LPWSTR lpszPassword, ULONG ulFlags,
                           LPMAPISESSION *lppSession)
{
    (void)ulUIParam, (void)lpszProfileName, (void)lpszPassword, (void)ulFlags;
    if (!lppSession)
        return MAPI_E_INVALID_PARAMETER;
    *lppSession = nullptr;
    if (g_cInit <= 0)
        return MAPI_E_NOT_INITIALIZED;
    std::shared_ptr<const FileView> pView;
    HRESULT hr = CurrentFile(&pView);
    if (FAILED(hr))
        return hr;
    if (PlatProfileFlag(pView->j, "logonFails", false))
        return MAPI_E_LOGON_FAILED;
    *lppSession = new Session;
    return S_OK;
}

LONG WINAPI PlatMapiObjectCount(void)
{
    return g_cObjects;
}

LONG WINAPI PlatMapiSessionCount(void)
{
    return g_cSessions;
}

LONG WINAPI PlatMapiFileReadCount(void)
{
    return g_cReads;
}
