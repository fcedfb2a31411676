// CE database volumes: a volume is a JSON file of the object store holding
// named databases of records. Mounting reads it whole; each delete cuts the
// record's text out of the file and writes it again atomically, so the file
// always holds what the programs see and the records kept stay as written.
#include "internal.h"
#include "windbase.h"
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

using nlohmann::json;

namespace {
const size_t kMaxVolumeBytes = 16u << 20;
const size_t kMaxText = 4096;

struct Volume {
    std::wstring path;
    std::string text;  // the file as read or last written
    json j;
};
struct Database {
    DWORD dwVolume;
    size_t iDatabase;
    size_t iPos;  // the record the next read returns
    bool fAutoIncrement;
};

std::mutex g_mtx;
std::map<DWORD, Volume> g_volumes;  // by the guid's first word
std::map<HANDLE, Database> g_databases;
DWORD g_dwNextVolume = 1;

BOOL Fail(DWORD dwErr)
{
    SetLastError(dwErr);
    return FALSE;
}

Volume *VolumeOf(const CEGUID *pguid)
{
    if (!pguid || pguid->Data2 != 0x564F4C55 || pguid->Data3 != 0 || pguid->Data4 != 0)
        return nullptr;
    auto it = g_volumes.find(pguid->Data1);
    return it != g_volumes.end() ? &it->second : nullptr;
}

json &RecordsOf(Volume &vol, size_t iDatabase)
{
    return vol.j["databases"][iDatabase]["records"];
}

// Reads a volume file; its own error when it is missing, locked or damaged.
DWORD ReadVolume(LPCWSTR pszPath, std::string &text, json &j)
{
    // No sharing of writes: a volume another program has open is locked.
    HANDLE h = CreateFileW(pszPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return GetLastError();
    LARGE_INTEGER li = {};
    if (!GetFileSizeEx(h, &li) || li.QuadPart > (LONGLONG)kMaxVolumeBytes) {
        CloseHandle(h);
        return ERROR_BAD_FORMAT;
    }
    text.resize((size_t)li.QuadPart);
    DWORD cb = 0;
    BOOL fRead = text.empty() || (ReadFile(h, &text[0], (DWORD)text.size(), &cb, nullptr) && cb == text.size());
    CloseHandle(h);
    if (!fRead)
        return ERROR_READ_FAULT;
    if (!PlatParseJson(text, j, nullptr))
        return ERROR_BAD_FORMAT;
    if (!j.is_object() || !j["databases"].is_array())
        return ERROR_BAD_FORMAT;
    for (json &db : j["databases"]) {
        if (!db.is_object() || !db["name"].is_string() || !db["records"].is_array())
            return ERROR_BAD_FORMAT;
    }
    return ERROR_SUCCESS;
}

// Where a volume's new text is written before it replaces the file: the
// profile's own folder, so no file of the store is ever taken for it.
bool VolumeTempPath(std::wstring *pTmp)
{
    if (PlatProfileDir()[0] == 0)
        return false;
    *pTmp = PlatProfilePath((L"volume-" + std::to_wstring(GetCurrentProcessId()) + L".tmp").c_str());
    return true;
}

BOOL SaveVolume(const std::wstring &path, const std::string &text)
{
    DWORD dwAttr = GetFileAttributesW(path.c_str());
    if (dwAttr != INVALID_FILE_ATTRIBUTES && (dwAttr & FILE_ATTRIBUTE_READONLY))
        return Fail(ERROR_ACCESS_DENIED);
    std::wstring tmp;
    if (!VolumeTempPath(&tmp))
        return Fail(ERROR_NOT_SUPPORTED);  // no profile: nothing of the store is changed
    return PlatSaveFileAtomic(path, text, tmp);
}

// ---- the volume's text ----------------------------------------------------
// The text has parsed, so it is well formed; these walk it without building
// anything, to find where a record's bytes lie.

size_t SkipSpace(const std::string &t, size_t i)
{
    while (i < t.size() && (t[i] == ' ' || t[i] == '\t' || t[i] == '\r' || t[i] == '\n'))
        ++i;
    return i;
}

// i on the opening quote; the index after the closing one.
size_t SkipString(const std::string &t, size_t i)
{
    for (++i; i < t.size() && t[i] != '"'; ++i)
        if (t[i] == '\\')
            ++i;
    return i + 1;
}

// i on the first byte of a value; the index after its last.
size_t SkipValue(const std::string &t, size_t i)
{
    if (i >= t.size())
        return i;
    if (t[i] == '"')
        return SkipString(t, i);
    if (t[i] != '{' && t[i] != '[') {
        while (i < t.size() && !strchr(",}] \t\r\n", t[i]))
            ++i;
        return i;
    }
    size_t cDepth = 0;
    while (i < t.size()) {
        char ch = t[i];
        if (ch == '"') {
            i = SkipString(t, i);
            continue;
        }
        ++i;
        if (ch == '{' || ch == '[')
            ++cDepth;
        else if ((ch == '}' || ch == ']') && --cDepth == 0)
            break;
    }
    return i;
}

// i on an object's "{": where the value of its member named key starts, the
// last one when the name repeats (as the parser keeps it); npos without one.
size_t MemberValue(const std::string &t, size_t i, const char *pszKey)
{
    size_t iFound = std::string::npos;
    i = SkipSpace(t, i + 1);
    while (i < t.size() && t[i] == '"') {
        size_t iEnd = SkipString(t, i);
        json name;
        bool fMatch = PlatParseJson(t.substr(i, iEnd - i), name, nullptr) && name == pszKey;
        i = SkipSpace(t, SkipSpace(t, iEnd) + 1);  // past the colon
        if (fMatch)
            iFound = i;
        i = SkipSpace(t, SkipValue(t, i));
        if (i >= t.size() || t[i] != ',')
            break;
        i = SkipSpace(t, i + 1);
    }
    return iFound;
}

// Where element iElement of the array at i starts and ends; false without it.
bool ElementAt(const std::string &t, size_t i, size_t iElement, size_t *piStart, size_t *piEnd)
{
    i = SkipSpace(t, i + 1);
    for (size_t n = 0; i < t.size() && t[i] != ']'; ++n) {
        size_t iEnd = SkipValue(t, i);
        if (n == iElement) {
            *piStart = i;
            *piEnd = iEnd;
            return true;
        }
        i = SkipSpace(t, iEnd);
        if (i < t.size() && t[i] == ',')
            i = SkipSpace(t, i + 1);
    }
    return false;
}

// Cuts record iRecord of database iDatabase out of the text with one comma
// beside it; every other byte stays.
bool CutRecord(std::string &t, size_t iDatabase, size_t iRecord)
{
    size_t iTop = t.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;  // the parser skips a byte-order mark
    size_t iDatabases = MemberValue(t, SkipSpace(t, iTop), "databases");
    size_t iStart = 0, iEnd = 0;
    if (iDatabases == std::string::npos || !ElementAt(t, iDatabases, iDatabase, &iStart, &iEnd))
        return false;
    size_t iRecords = MemberValue(t, iStart, "records");
    if (iRecords == std::string::npos || !ElementAt(t, iRecords, iRecord, &iStart, &iEnd))
        return false;
    size_t iNext = SkipSpace(t, iEnd);
    if (iNext < t.size() && t[iNext] == ',') {
        iEnd = SkipSpace(t, iNext + 1);  // up to the next record
    } else if (iRecord > 0) {
        size_t iPrevStart = 0;
        ElementAt(t, iRecords, iRecord - 1, &iPrevStart, &iStart);  // from the end of the one before
    }
    t.erase(iStart, iEnd - iStart);
    return true;
}

CEOID RecordOid(const json &record)
{
    return (CEOID)PlatProfileNumber(record, "oid", 1, 0xFFFFFFFF, 0);
}

// One value of a record as the handset's reader returns it.
struct Value {
    CEPROPID propid;
    std::wstring text;
    std::vector<BYTE> blob;
    CEVALUNION val;
};

bool ReadValue(const json &prop, Value *pv)
{
    // The largest value of each type, as numbers are never negative.
    static const struct {
        const char *psz;
        WORD wType;
        ULONGLONG ullMax;
    } s_aTypes[] = {{"i2", CEVT_I2, 0x7FFF},         {"ui2", CEVT_UI2, 0xFFFF},  {"i4", CEVT_I4, 0x7FFFFFFF},
                    {"ui4", CEVT_UI4, 0xFFFFFFFF},   {"text", CEVT_LPWSTR, 0},   {"bool", CEVT_BOOL, 1},
                    {"blob", CEVT_BLOB, 0},          {"filetime", CEVT_FILETIME, ~0ULL}};
    std::wstring type = PlatProfileText(prop, "type", 16, L"");
    WORD wType = 0;
    ULONGLONG ullMax = 0;
    for (const auto &t : s_aTypes)
        if (type.size() == strlen(t.psz) && std::equal(type.begin(), type.end(), t.psz))
            wType = t.wType, ullMax = t.ullMax;
    WORD wId = (WORD)PlatProfileNumber(prop, "id", 1, 0xFFFF, 0);
    if (!wType || !wId)
        return false;
    ZeroMemory(&pv->val, sizeof(pv->val));
    pv->propid = MAKELONG(wType, wId);
    ULONGLONG ull = PlatProfileNumber(prop, "value", 0, ullMax, 0);
    switch (wType) {
    case CEVT_LPWSTR: pv->text = PlatProfileText(prop, "value", kMaxText, L""); break;
    case CEVT_BLOB: {
        std::wstring hex = PlatProfileText(prop, "value", kMaxText, L"");
        for (size_t i = 0; i + 1 < hex.size(); i += 2)
            pv->blob.push_back((BYTE)wcstoul(hex.substr(i, 2).c_str(), nullptr, 16));
        break;
    }
    case CEVT_BOOL: pv->val.boolVal = PlatProfileFlag(prop, "value", false); break;
    case CEVT_FILETIME:
        pv->val.filetime.dwLowDateTime = (DWORD)ull;
        pv->val.filetime.dwHighDateTime = (DWORD)(ull >> 32);
        break;
    default: pv->val.ulVal = (ULONG)ull; break;
    }
    return true;
}

// Places the values in a buffer: the CEPROPVAL array first, then the data.
BOOL FillBuffer(const std::vector<Value> &values, DWORD dwFlags, LPBYTE *lplpBuffer, LPDWORD lpcbBuffer,
                HANDLE hHeap)
{
    size_t cb = values.size() * sizeof(CEPROPVAL);
    for (const Value &v : values)
        cb += (v.text.empty() ? 0 : (v.text.size() + 1) * sizeof(WCHAR)) + v.blob.size();
    if (cb == 0)
        cb = sizeof(CEPROPVAL);
    if (!*lplpBuffer || *lpcbBuffer < cb) {
        if (!(dwFlags & CEDB_ALLOWREALLOC))
            return Fail(ERROR_INSUFFICIENT_BUFFER);
        LPBYTE pNew;
        if (hHeap)
            pNew = (LPBYTE)(*lplpBuffer ? HeapReAlloc(hHeap, 0, *lplpBuffer, cb) : HeapAlloc(hHeap, 0, cb));
        else
            pNew = (LPBYTE)(*lplpBuffer ? LocalReAlloc(*lplpBuffer, cb, LMEM_MOVEABLE) : LocalAlloc(LMEM_FIXED, cb));
        if (!pNew)
            return Fail(ERROR_NOT_ENOUGH_MEMORY);
        *lplpBuffer = pNew;
        *lpcbBuffer = (DWORD)cb;
    }
    CEPROPVAL *ppv = (CEPROPVAL *)*lplpBuffer;
    LPBYTE pData = *lplpBuffer + values.size() * sizeof(CEPROPVAL);
    for (size_t i = 0; i < values.size(); ++i) {
        const Value &v = values[i];
        ppv[i].propid = v.propid;
        ppv[i].wLenData = 0;
        ppv[i].wFlags = 0;
        ppv[i].val = v.val;
        if (TypeFromPropID(v.propid) == CEVT_LPWSTR) {
            size_t cbText = (v.text.size() + 1) * sizeof(WCHAR);
            CopyMemory(pData, v.text.c_str(), cbText);
            ppv[i].val.lpwstr = (LPWSTR)pData;
            pData += cbText;
        } else if (TypeFromPropID(v.propid) == CEVT_BLOB) {
            CopyMemory(pData, v.blob.data(), v.blob.size());
            ppv[i].val.blob.dwCount = (DWORD)v.blob.size();
            ppv[i].val.blob.lpb = pData;
            pData += v.blob.size();
        }
    }
    return TRUE;
}
} // namespace

BOOL WINAPI CeMountDBVol(PCEGUID pceguid, LPWSTR lpszVol, DWORD dwFlags)
{
    if (!pceguid || !lpszVol)
        return Fail(ERROR_INVALID_PARAMETER);
    if (dwFlags != OPEN_EXISTING)
        return Fail(ERROR_NOT_SUPPORTED);  // the handset's programs only open volumes that exist
    Volume vol;
    if (!PlatStorePath(lpszVol, &vol.path))
        return FALSE;
    DWORD dwErr = ReadVolume(vol.path.c_str(), vol.text, vol.j);
    if (dwErr != ERROR_SUCCESS)
        return Fail(dwErr);
    std::lock_guard<std::mutex> lock(g_mtx);
    DWORD dwId = g_dwNextVolume++;
    g_volumes[dwId] = std::move(vol);
    pceguid->Data1 = dwId;
    pceguid->Data2 = 0x564F4C55;  // "ULOV": one of ours
    pceguid->Data3 = 0;
    pceguid->Data4 = 0;
    return TRUE;
}

BOOL WINAPI CeUnmountDBVol(PCEGUID pceguid)
{
    std::lock_guard<std::mutex> lock(g_mtx);
    if (!VolumeOf(pceguid))
        return Fail(ERROR_INVALID_PARAMETER);
    // Its databases stay handles until closed, but reach nothing any more.
    for (auto &db : g_databases)
        if (db.second.dwVolume == pceguid->Data1)
            db.second.dwVolume = 0;
    g_volumes.erase(pceguid->Data1);
    return TRUE;
}

HANDLE WINAPI CeOpenDatabaseEx(PCEGUID pceguid, PCEOID poid, LPWSTR lpszName, CEPROPID propid, DWORD dwFlags,
                               CENOTIFYREQUEST *pRequest)
{
    (void)propid, (void)pRequest;
    std::lock_guard<std::mutex> lock(g_mtx);
    Volume *pvol = VolumeOf(pceguid);
    if (!pvol || !lpszName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const json &dbs = pvol->j["databases"];
    for (size_t i = 0; i < dbs.size(); ++i) {
        if (PlatProfileText(dbs[i], "name", kMaxText, L"") != lpszName)
            continue;
        // A real handle, so that the handset's CloseHandle has something to close.
        HANDLE h = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (!h)
            return INVALID_HANDLE_VALUE;
        g_databases[h] = Database{pceguid->Data1, i, 0, (dwFlags & CEDB_AUTOINCREMENT) != 0};
        if (poid)
            *poid = (CEOID)(i + 1);
        return h;
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
}

CEOID WINAPI CeReadRecordPropsEx(HANDLE hDbase, DWORD dwFlags, LPWORD lpcPropID, CEPROPID *rgPropID,
                                 LPBYTE *lplpBuffer, LPDWORD lpcbBuffer, HANDLE hHeap)
{
    std::lock_guard<std::mutex> lock(g_mtx);
    auto it = g_databases.find(hDbase);
    if (it == g_databases.end() || !lpcPropID || !lplpBuffer || !lpcbBuffer)
        return Fail(ERROR_INVALID_PARAMETER);
    Database &db = it->second;
    auto itVol = g_volumes.find(db.dwVolume);
    if (itVol == g_volumes.end())
        return Fail(ERROR_INVALID_HANDLE);
    const json &records = RecordsOf(itVol->second, db.iDatabase);
    if (db.iPos >= records.size())
        return Fail(ERROR_NO_MORE_ITEMS);
    const json &record = records[db.iPos];
    CEOID oid = RecordOid(record);
    if (!oid)
        return Fail(ERROR_INVALID_DATA);  // no object, or no id to delete it by
    std::vector<Value> values;
    for (const json &prop : PlatProfileArray(record, "props")) {
        Value v;
        if (!ReadValue(prop, &v))
            continue;
        bool fWanted = !rgPropID;
        for (WORD i = 0; rgPropID && i < *lpcPropID; ++i)
            fWanted = fWanted || HIWORD(rgPropID[i]) == HIWORD(v.propid);
        if (fWanted)
            values.push_back(v);
    }
    if (!FillBuffer(values, dwFlags, lplpBuffer, lpcbBuffer, hHeap))
        return 0;
    *lpcPropID = (WORD)values.size();
    if (db.fAutoIncrement)
        ++db.iPos;
    SetLastError(ERROR_SUCCESS);
    return oid;
}

BOOL WINAPI CeDeleteRecord(HANDLE hDatabase, CEOID oidRecord)
{
    std::lock_guard<std::mutex> lock(g_mtx);
    auto it = g_databases.find(hDatabase);
    if (it == g_databases.end())
        return Fail(ERROR_INVALID_PARAMETER);
    Database &db = it->second;
    auto itVol = g_volumes.find(db.dwVolume);
    if (itVol == g_volumes.end())
        return Fail(ERROR_INVALID_HANDLE);
    json &records = RecordsOf(itVol->second, db.iDatabase);
    for (size_t i = 0; i < records.size(); ++i) {
        if (!oidRecord || RecordOid(records[i]) != oidRecord)
            continue;
        if (PlatProfileFlag(records[i], "inUse", false))
            return Fail(ERROR_SHARING_VIOLATION);  // the owning application holds it
        std::string text = itVol->second.text;
        if (!CutRecord(text, db.iDatabase, i))
            return Fail(ERROR_BAD_FORMAT);
        if (!SaveVolume(itVol->second.path, text))
            return FALSE;
        itVol->second.text = std::move(text);
        records.erase(records.begin() + (std::ptrdiff_t)i);
        if (i < db.iPos)
            --db.iPos;  // the seek pointer stays on the record after it
        return TRUE;
    }
    return Fail(ERROR_FILE_NOT_FOUND);
}

void PlatForgetDatabaseHandle(HANDLE h)
{
    std::lock_guard<std::mutex> lock(g_mtx);
    g_databases.erase(h);
}

extern "C" LONG WINAPI PlatCeDbOpenCount(void)
{
    std::lock_guard<std::mutex> lock(g_mtx);
    return (LONG)(g_volumes.size() + g_databases.size());
}
