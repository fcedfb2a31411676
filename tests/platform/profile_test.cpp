// The device profile: atomic saves, defaults for missing files, a damaged
// file refused by name and left alone, every damaged member read as its
// default; the trace file.
#include <gtest/gtest.h>
#include "platform.h"
#include "support.h"
#include "cesystem.h"
#include "pimstore.h"
#include "pkfuncs.h"
#include "platsim.h"
#include "projects.h"
#include "simmgr.h"
#include "cemapi.h"
#include "obex.h"
#include "windbase.h"
#include <atomic>
#include <functional>
#include <map>
#include <thread>

BOOL PlatModemRun(const std::string &command, std::string *pReply);  // the built-in modem

// A reader elsewhere holding the file, or a thread of ours loading it, does
// not make a save fail; a save reported done has landed whole, with no
// temporary file left; a missing file reads empty.
TEST(Profile, SaveLandsWhileTheFileIsRead)
{
    std::wstring path = PlatProfilePath(L"irda.json");
    ASSERT_TRUE(PlatProfileSave(L"irda.json", {{"n", 0}}));
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    std::thread holder([h] {
        Sleep(300);
        CloseHandle(h);
    });
    EXPECT_TRUE(PlatProfileSave(L"irda.json", {{"n", 1}}));
    holder.join();
    EXPECT_EQ(1, PlatProfileLoad(L"irda.json")["n"]);

    std::atomic<bool> fStop(false);
    std::thread reader([&] {
        while (!fStop)
            PlatProfileLoad(L"irda.json");
    });
    for (int i = 2; i < 40; ++i) {
        EXPECT_TRUE(PlatProfileSave(L"irda.json", {{"n", i}})) << i;
        EXPECT_EQ(i, PlatProfileLoad(L"irda.json")["n"]) << i;
    }
    fStop = true;
    reader.join();
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(PlatProfilePath(L"irda.json.tmp").c_str()));
    DeleteFileW(path.c_str());
    EXPECT_TRUE(PlatProfileLoad(L"irda.json").empty());
}

TEST_CHILD(LoadDamaged)
{
    // The start-up check stops us before this for the files it knows.
    std::wstring name = argc > 3 ? argv[3] : L"sim.json";
    PlatProfileLoad(name.c_str());
    if (name == L"mail.json")  // the mail program's Send, which appends to it
        PlatProfileSave(name.c_str(), {{"outbox", nlohmann::json::array()}});
    return 0;
}

TEST(Profile, DamagedOrNonObjectFileStopsTheProgramAndIsLeftUntouched)
{
    std::wstring dir = StoreRoot() + L"damaged";
    MakeDir(dir);
    WCHAR szOld[MAX_PATH];
    GetEnvironmentVariableW(L"PHONE_PROFILE", szOld, ARRAYSIZE(szOld));
    SetEnvironmentVariableW(L"PHONE_PROFILE", dir.c_str());
    for (const wchar_t *pszFile : {L"sim.json", L"messages.json", L"irda.json", L"mail.json"}) {
        for (std::string bad : {"{ \"phonebook\": [ 1, 2 ", "[1, 2, 3]"}) {
            ASSERT_TRUE(MakeFile(dir + L"\\" + pszFile, bad));
            EXPECT_EQ(3u, RunChild(L"LoadDamaged", pszFile)) << bad;
            EXPECT_EQ(bad, ReadFileText(dir + L"\\" + pszFile));
        }
        DeleteFileW((dir + L"\\" + pszFile).c_str());
    }
    SetEnvironmentVariableW(L"PHONE_PROFILE", szOld);
}

// A damaged database volume is refused when mounted and left as it is.
TEST(Profile, DamagedVolumeIsRefusedAndLeftUntouched)
{
    ResetStore();
    for (std::string bad : {"{ \"databases\": [ ", "[]", R"({"databases": {}})", R"({"databases": [5]})",
                            R"({"databases": [{"name": 5, "records": []}]})",
                            R"({"databases": [{"name": "speed.db", "records": {}}]})"}) {
        ASSERT_TRUE(MakeFile(L"\\v.vol", bad));
        CEGUID guid;
        EXPECT_FALSE(CeMountDBVol(&guid, (LPWSTR)L"\\v.vol", OPEN_EXISTING)) << bad;
        EXPECT_EQ((DWORD)ERROR_BAD_FORMAT, GetLastError()) << bad;
        EXPECT_EQ(bad, ReadFileText(L"\\v.vol"));
    }
}

// Every member of every profile file, damaged every way: the platform reads
// each as its default and nothing throws; then each program starts on a
// profile with all members damaged at once.
namespace {
using nlohmann::json;

enum Kind { kNumber, kText, kPath, kFlag, kTimeStamp, kContainer };

const json kMissing = json::object({{"(missing)", true}});
const std::string kHugeText(100000, '9');

// The first four are the classes the programs are started on: wrong type,
// out of range, missing, huge.
std::vector<json> Mutants(Kind kind)
{
    switch (kind) {
    case kNumber:
        return {"big", -5, kMissing, 18446744073709551615ULL, 1e300, 2.5, true, nullptr, json::object()};
    case kText:
        return {5, json::array(), kMissing, kHugeText, true, nullptr};
    case kPath:
        return {5, "Z:\\tmp", kMissing, kHugeText, "\\\\?\\unix\\tmp", "\\??\\unix\\tmp", "relative", nullptr};
    case kFlag:
        return {"yes", 1, kMissing, nullptr};
    case kTimeStamp:  // yy/MM/dd,hh:mm:ss+zz
        return {5, "26/13/32,24:60:60+00", kMissing, kHugeText, "big", "26/1/1,0:0:0+0", " 6/01/01,00:00:00+00",
                "26/01/01,00:00:00*00", nullptr};
    default:
        return {"x", 5, kMissing, nullptr};
    }
}

const char kDevice[] = R"({
  "cards": [{"name": "Storage Card", "capacity": 2048}],
  "system": {
    "power": {"ac": 1, "main": {"flag": 8, "percent": 40}, "backup": {"flag": 2, "percent": 7}},
    "memory": {"total": 16777216, "available": 7340032},
    "store": {"size": 33554432, "free": 20971520},
    "oem": "Maker", "processor": 1824, "version": {"major": 5, "minor": 2, "build": 42},
    "folders": {"documents": "\\Docs", "startmenu": "\\Start"}},
  "traces": {"word0": 256, "word16": "0x0085"}})";
const char kSim[] = R"({"present": true, "radio": true,
  "phonebook": {"minIndex": 2, "maxIndex": 30, "maxTextLength": 10, "maxAddressLength": 20,
    "entries": [{"index": 3, "name": "Anna", "number": "+4670", "addressType": 0, "numPlan": 9},
                {"index": 5, "name": "Bo", "number": "1"}]},
  "ownNumbers": {"entries": [{"index": 1, "number": "+4477"}]},
  "sms": {"total": 30, "messages": [{"index": 1, "status": "REC UNREAD", "number": "+4477",
    "time": "26/12/04,12:00:41+03", "coding": 8, "text": "Hi"}, {"index": 4}]}})";
const char kNoSim[] = R"({"present": false})";
const char kRadioOff[] = R"({"radio": false})";
const char kContacts[] = R"({"available": false, "logonFails": true, "contacts": [{"firstName": "Lena"}]})";
const char kContactsOn[] = R"({"contacts": [{"oid": 1, "firstName": "Lena"}]})";
const char kSimMiscounting[] = R"({"phonebook": {"reportsUsed": 300, "entries": [{"index": 1}]}})";
const char kMessages[] = R"({"stores": [{"name": "Mail", "folders": {}},
  {"name": "SMS", "default": true, "folders": {"inbox": {"name": "Inbox", "messages": [
    {"id": 7, "senderName": "Anna", "senderAddress": "Anna <+4912345>", "subject": "At 8", "read": true}]}}}]})";
const char kNoMessaging[] = R"({"available": false})";
const char kNoLogon[] = R"({"logonFails": true})";
const char kIrda[] = R"({"available": false, "server": {"state": 2}})";
const char kNoDriver[] = R"({"server": {"driver": false}})";
const char kDriverFails[] = R"({"server": {"fails": true}})";
const char kVolume[] = R"({"databases": [{"name": "speed.db", "records": [{"oid": 102, "props": [
    {"id": 1, "type": "ui4", "value": 3}, {"id": 2, "type": "text", "value": "Anna"},
    {"id": 3, "type": "ui2", "value": 7}]}]}]})";
const char kCallLog[] = R"({"calls": [{"number": "1", "time": "2026-12-06T21:30:00Z"}]})";

// One field of what a system call fills in.
void Fill(SYSTEM_POWER_STATUS_EX *p) { GetSystemPowerStatusEx(p, TRUE); }
void Fill(MEMORYSTATUS *p) { p->dwLength = sizeof(*p); GlobalMemoryStatus(p); }
void Fill(STORE_INFORMATION *p) { GetStoreInformation(p); }
void Fill(OSVERSIONINFOW *p) { p->dwOSVersionInfoSize = sizeof(*p); GetVersionExW(p); }
void Fill(SYSTEM_INFO *p) { GetSystemInfo(p); }
template <class T, class M> json Field(M T::*pm)
{
    T t = {};
    Fill(&t);
    return t.*pm;
}

json Wide(const WCHAR *psz)
{
    char sz[MAX_PATH * 3];
    WideCharToMultiByte(CP_UTF8, 0, psz, -1, sz, sizeof(sz), nullptr, nullptr);
    return sz;
}

json Folder(int csidl)
{
    WCHAR sz[MAX_PATH] = L"";
    SHGetSpecialFolderPath(nullptr, sz, csidl, FALSE);
    return Wide(sz);
}

json TraceWordAt(int iWord)
{
    BYTE *p = (BYTE *)VirtualAlloc(nullptr, 0x1000, MEM_RESERVE, PAGE_NOACCESS);
    json j = VirtualCopy(p, (LPVOID)0x8802E000, 0x1000, PAGE_READWRITE) ? ((WORD *)(p + 0xFE0))[iWord] : -1;
    VirtualFree(p, 0, MEM_RELEASE);
    return j;
}

json Card(bool fCapacity)
{
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFlashCard(&fd);
    if (h == INVALID_HANDLE_VALUE)
        return "";
    FindClose(h);
    ULARGE_INTEGER cbTotal = {};
    PlatGetDiskFreeSpaceExW(fd.cFileName, nullptr, &cbTotal, nullptr);
    return fCapacity ? json(cbTotal.QuadPart) : Wide(fd.cFileName);
}

// What the SIM service reports through a handle of its own.
json Sim(const std::function<json(HSIM)> &fn)
{
    PlatSimReload();
    HSIM h = nullptr;
    if (FAILED(SimInitialize(0, nullptr, 0, &h)))
        return "no SIM";
    json j = fn(h);
    SimDeinitialize(h);
    return j;
}

json Caps(DWORD SIMCAPS::*pdw)
{
    return Sim([&](HSIM h) {
        SIMCAPS caps = {};
        caps.cbSize = sizeof(caps);
        SimGetDevCaps(h, SIM_CAPSTYPE_ALL, &caps);
        return json(caps.*pdw);
    });
}

// A field of a phone-book slot: 'n' name, 'a' number, 't' address type, 'p' plan.
json Slot(DWORD dwLocation, DWORD dwIndex, char chField)
{
    return Sim([&](HSIM h) {
        SIMPHONEBOOKENTRY e = {};
        e.cbSize = sizeof(e);
        if (FAILED(SimReadPhonebookEntry(h, dwLocation, dwIndex, &e)))
            return json("empty");
        if (chField == 'n' || chField == 'a')
            return Wide(chField == 'n' ? e.lpszText : e.lpszAddress);
        return json(chField == 't' ? e.dwAddressType : e.dwNumPlan);
    });
}

json Used(bool fSms)
{
    return Sim([&](HSIM h) {
        DWORD cUsed = 0, cTotal = 0;
        if (fSms)
            SimGetSmsStorageStatus(h, SIM_SMSSTORAGE_SIM, &cUsed, &cTotal);
        else
            SimGetPhonebookStatus(h, SIM_PBSTORAGE_SIM, &cUsed, &cTotal);
        return json::array({cUsed, cTotal});
    });
}

json Contacts(bool fLogon)
{
    IPOutlookApp *p = nullptr;
    if (FAILED(CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp, (void **)&p)))
        return "unavailable";
    json j = fLogon ? json(SUCCEEDED(p->Logon(0))) : json("available");
    p->Release();
    return j;
}

// How many contacts there are, and the first one's first name.
json FirstContact()
{
    IPOutlookApp *p = nullptr;
    IFolder *pFolder = nullptr;
    IPOutlookItemCollection *pItems = nullptr;
    IDispatch *pItem = nullptr;
    IContact *pContact = nullptr;
    int cItems = -1;
    BSTR bstr = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp, (void **)&p)) &&
        SUCCEEDED(p->Logon(0)) && SUCCEEDED(p->GetDefaultFolder(olFolderContacts, &pFolder)) &&
        SUCCEEDED(pFolder->get_Items(&pItems)) && SUCCEEDED(pItems->get_Count(&cItems)) &&
        SUCCEEDED(pItems->Item(1, &pItem)) && SUCCEEDED(pItem->QueryInterface(IID_IContact, (void **)&pContact)))
        pContact->get_FirstName(&bstr);
    json j = json::array({cItems, Wide(bstr ? bstr : L"")});
    SysFreeString(bstr);
    for (IUnknown *pUnk : std::initializer_list<IUnknown *>{pContact, pItem, pItems, pFolder, p})
        if (pUnk)
            pUnk->Release();
    return j;
}

// The call is the one recorded in a list of calls, or a "calls" that is no
// list is left as the user wrote it.
json CallsAfterOneCall()
{
    tapiRequestMakeCall(L"5550100", nullptr, nullptr, nullptr);
    json log = PlatProfileLoad(L"calllog.json");
    return !log["calls"].is_array() || log["calls"].size() == 1;
}

// What messaging reports: 's' the default store's name, 'f' its Inbox's name,
// 'n' how many messages the Inbox lists, 'p' a property of the first.
json PropOf(const SPropValue *pv, ULONG c, ULONG ulTag)
{
    for (ULONG i = 0; i < c; ++i)
        if (pv[i].ulPropTag == ulTag)
            return PROP_TYPE(ulTag) == PT_LONG ? json(pv[i].Value.ul) : Wide(pv[i].Value.lpszW);
    return "none";
}

json InboxOf(LPMDB pStore, char chWhat, ULONG ulTag)
{
    SizedSPropTagArray(1, tags) = {1, {chWhat == 's' ? (ULONG)PR_DISPLAY_NAME_W : (ULONG)PR_CE_IPM_INBOX_ENTRYID}};
    ULONG c = 0;
    LPSPropValue pv = nullptr;
    pStore->GetProps((LPSPropTagArray)&tags, MAPI_UNICODE, &c, &pv);
    json j = "no inbox";
    LPUNKNOWN pUnk = nullptr;
    if (chWhat == 's')
        j = PropOf(pv, c, PR_DISPLAY_NAME_W);
    else if (pv && pv->ulPropTag == PR_CE_IPM_INBOX_ENTRYID &&
             SUCCEEDED(pStore->OpenEntry(pv->Value.bin.cb, (LPENTRYID)pv->Value.bin.lpb, nullptr, 0, nullptr, &pUnk))) {
        LPMAPIFOLDER pFolder = (LPMAPIFOLDER)pUnk;
        SizedSPropTagArray(1, name) = {1, {PR_DISPLAY_NAME_W}};
        ULONG cName = 0;
        LPSPropValue pvName = nullptr;
        LPMAPITABLE pTable = nullptr;
        LPSRowSet prows = nullptr;
        if (chWhat == 'f' && SUCCEEDED(pFolder->GetProps((LPSPropTagArray)&name, MAPI_UNICODE, &cName, &pvName)))
            j = PropOf(pvName, cName, PR_DISPLAY_NAME_W);
        else if (chWhat != 'f' && SUCCEEDED(pFolder->GetContentsTable(0, &pTable)) &&
                 SUCCEEDED(pTable->QueryRows(10, 0, &prows)))
            j = chWhat == 'n' ? json(prows->cRows)
                : prows->cRows ? PropOf(prows->aRow[0].lpProps, prows->aRow[0].cValues, ulTag) : json("empty");
        if (prows)
            FreeProws(prows);
        if (pTable)
            pTable->Release();
        MAPIFreeBuffer(pvName);
        pFolder->Release();
    }
    MAPIFreeBuffer(pv);
    return j;
}

json Messaging(char chWhat, ULONG ulTag = 0)
{
    if (FAILED(MAPIInitialize(nullptr)))
        return "no messaging";
    LPMAPISESSION pSession = nullptr;
    LPMDB pStore = nullptr;
    json j = "no logon";
    if (SUCCEEDED(MAPILogonEx(0, nullptr, nullptr, 0, &pSession))) {
        j = chWhat == 'l' ? json("logged on") : json("no store");
        if (chWhat != 'l' && SUCCEEDED(pSession->OpenMsgStore(0, 0, nullptr, nullptr, 0, &pStore))) {
            j = InboxOf(pStore, chWhat, ulTag);
            pStore->Release();
        }
        pSession->Logoff(0, 0, 0);
        pSession->Release();
    }
    MAPIUninitialize();
    return j;
}

// SIM message 1 as the modem reads it: the iQuoted'th quoted value of its
// header (0 status, 1 number, 2 time), or with -1 its data line.
json SmsRead(int iQuoted)
{
    PlatSimReload();
    std::string reply;
    if (!PlatModemRun("AT+CMGF=1\r", &reply) || !PlatModemRun("AT+CMGR=1\r", &reply))
        return "error";
    size_t iEnd = reply.find("\r\n");
    if (iEnd == std::string::npos)
        return "no header";
    if (iQuoted < 0)
        return reply.substr(iEnd + 2, reply.find("\r\n", iEnd + 2) - iEnd - 2);
    std::vector<std::string> quoted;
    for (size_t i = reply.find('"'); i < iEnd; i = reply.find('"', reply.find('"', i + 1) + 1))
        quoted.push_back(reply.substr(i + 1, reply.find('"', i + 1) - i - 1));
    return iQuoted < (int)quoted.size() ? json(quoted[iQuoted]) : json("none");
}

// The OBEX object's start, and what the driver "OBX0:" reports (-1: it fails).
json ObexInitializes()
{
    IObex *pObex = nullptr;
    if (FAILED(CoCreateInstance(CLSID_Obex, nullptr, CLSCTX_INPROC_SERVER, IID_IObex, (void **)&pObex)))
        return "no object";
    HRESULT hr = pObex->Initialize();
    if (SUCCEEDED(hr))
        pObex->Shutdown();
    pObex->Release();
    return SUCCEEDED(hr);
}

json DriverState()
{
    HANDLE h = PlatCreateFileW(L"OBX0:", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return "no driver";
    DWORD dwState = 0, cb = 0;
    json j = DeviceIoControl(h, IOCTL_SERVICE_STATUS, nullptr, 0, &dwState, sizeof(dwState), &cb, nullptr)
                 ? json(dwState) : json(-1);
    CloseHandle(h);
    return j;
}

// The first record of the volume's speed.db: its props as [id, value].
json FirstRecord()
{
    std::wstring vol = L"\\My Documents\\mxip_initdb.vol";
    CEGUID guid;
    if (!CeMountDBVol(&guid, &vol[0], OPEN_EXISTING))
        return "not mounted";
    CEOID oidDb = 0;
    HANDLE hDb = CeOpenDatabaseEx(&guid, &oidDb, (LPWSTR)L"speed.db", 0, CEDB_AUTOINCREMENT, nullptr);
    json j = "no database";
    if (hDb != INVALID_HANDLE_VALUE) {
        LPBYTE pBuf = nullptr;
        DWORD cbBuf = 0;
        WORD cProps = 0;
        j = json::array();
        if (CeReadRecordPropsEx(hDb, CEDB_ALLOWREALLOC, &cProps, nullptr, &pBuf, &cbBuf, nullptr)) {
            for (WORD i = 0; i < cProps; ++i) {
                const CEPROPVAL &v = ((const CEPROPVAL *)pBuf)[i];
                json value = TypeFromPropID(v.propid) == CEVT_LPWSTR ? Wide(v.val.lpwstr) : json(v.val.ulVal);
                j.push_back({HIWORD(v.propid), value});
            }
        }
        if (pBuf)
            LocalFree(pBuf);
        CloseHandle(hDb);
    }
    CeUnmountDBVol(&guid);
    return j;
}

typedef std::function<json()> Reader;

// The sample's volume, beside the documents folder; saved like a profile file.
const wchar_t kVolumeFile[] = L"store\\My Documents\\mxip_initdb.vol";

struct Member {
    const wchar_t *pszFile;
    const char *pszPointer;
    Kind kind;
    json expected;  // what the damaged member reads as
    Reader read;
    const char *pszBase = nullptr;  // the file the member is damaged in, when not the base
};

std::map<std::wstring, json> BaseFiles()
{
    return {{L"device.json", json::parse(kDevice)},         {L"sim.json", json::parse(kSim)},
            {L"contacts.json", json::parse(kContacts)},     {L"calllog.json", json::parse(kCallLog)},
            {L"messages.json", json::parse(kMessages)},     {L"irda.json", json::parse(kIrda)},
            {kVolumeFile, json::parse(kVolume)}};
}

std::vector<Member> Members()
{
    typedef SYSTEM_POWER_STATUS_EX P;
    const DWORD MB = 1 << 20;
    const wchar_t *D = L"device.json", *S = L"sim.json", *C = L"contacts.json", *M = L"messages.json",
                  *I = L"irda.json", *V = kVolumeFile;
    Reader card = [] { return Card(false); }, capacity = [] { return Card(true); };
    Reader flag = [] { return Field(&P::BatteryFlag); }, percent = [] { return Field(&P::BatteryLifePercent); };
    Reader total = [] { return Field(&MEMORYSTATUS::dwTotalPhys); };
    Reader size = [] { return Field(&STORE_INFORMATION::dwStoreSize); };
    Reader major = [] { return Field(&OSVERSIONINFOW::dwMajorVersion); };
    Reader docs = [] { return Folder(CSIDL_PERSONAL); }, word0 = [] { return TraceWordAt(0); };
    Reader maxIndex = [] { return Caps(&SIMCAPS::dwMaxPBIndex); };
    Reader book = [] { return Used(false); }, sms = [] { return Used(true); };
    Reader name = [] { return Slot(SIM_PBSTORAGE_SIM, 3, 'n'); };
    Reader own = [] { return Slot(SIM_PBSTORAGE_OWNNUMBERS, 1, 'a'); };
    return {
        {D, "/cards", kContainer, "", card},
        {D, "/cards/0", kContainer, "", card},
        {D, "/cards/0/name", kText, "", card},
        {D, "/cards/0/capacity", kNumber, 64 * MB, capacity},
        {D, "/system", kContainer, 100, percent},
        {D, "/system/power", kContainer, 1, flag},
        {D, "/system/power/ac", kNumber, 0, [] { return Field(&P::ACLineStatus); }},
        {D, "/system/power/main", kContainer, 1, flag},
        {D, "/system/power/main/flag", kNumber, 1, flag},
        {D, "/system/power/main/percent", kNumber, 100, percent},
        {D, "/system/power/backup/flag", kNumber, 1, [] { return Field(&P::BackupBatteryFlag); }},
        {D, "/system/power/backup/percent", kNumber, 100, [] { return Field(&P::BackupBatteryLifePercent); }},
        {D, "/system/memory", kContainer, 32 * MB, total},
        {D, "/system/memory/total", kNumber, 32 * MB, total},
        {D, "/system/memory/available", kNumber, 12 * MB, [] { return Field(&MEMORYSTATUS::dwAvailPhys); }},
        {D, "/system/store", kContainer, 16 * MB, size},
        {D, "/system/store/size", kNumber, 16 * MB, size},
        {D, "/system/store/free", kNumber, 6 * MB, [] { return Field(&STORE_INFORMATION::dwFreeSize); }},
        {D, "/system/oem", kText, "Smartphone", [] {
             WCHAR sz[128] = L"";
             SystemParametersInfoW(SPI_GETOEMINFO, sizeof(sz), sz, 0);
             return Wide(sz);
         }},
        {D, "/system/processor", kNumber, 2577, [] { return Field(&SYSTEM_INFO::dwProcessorType); }},
        {D, "/system/version", kContainer, 4, major},
        {D, "/system/version/major", kNumber, 4, major},
        {D, "/system/version/minor", kNumber, 20, [] { return Field(&OSVERSIONINFOW::dwMinorVersion); }},
        {D, "/system/version/build", kNumber, 1081, [] { return Field(&OSVERSIONINFOW::dwBuildNumber); }},
        {D, "/system/folders", kContainer, "\\My Documents", docs},
        {D, "/system/folders/documents", kPath, "\\My Documents", docs},
        {D, "/system/folders/startmenu", kPath, "\\Windows\\Start Menu", [] { return Folder(CSIDL_STARTMENU); }},
        {D, "/traces", kContainer, 0, word0},
        {D, "/traces/word0", kNumber, 0, word0},
        {D, "/traces/word16", kNumber, 0, [] { return TraceWordAt(8); }},
        {S, "/present", kFlag, json::array({0, 20}), sms, kNoSim},
        {S, "/radio", kFlag, json::array({0, 20}), sms, kRadioOff},
        {S, "/phonebook", kContainer, 250, maxIndex},
        {S, "/phonebook/minIndex", kNumber, 1, [] { return Caps(&SIMCAPS::dwMinPBIndex); }},
        {S, "/phonebook/maxIndex", kNumber, 250, maxIndex},
        {S, "/phonebook/maxTextLength", kNumber, 14, [] { return Caps(&SIMCAPS::dwMaxPBETextLength); }},
        {S, "/phonebook/maxAddressLength", kNumber, 40, [] { return Caps(&SIMCAPS::dwMaxPBEAddressLength); }},
        {S, "/phonebook/entries", kContainer, json::array({0, 29}), book},
        {S, "/phonebook/entries/0", kContainer, json::array({1, 29}), book},
        {S, "/phonebook/entries/0/index", kNumber, "empty", name},
        {S, "/phonebook/entries/0/name", kText, "", name},
        {S, "/phonebook/entries/0/number", kText, "", [] { return Slot(SIM_PBSTORAGE_SIM, 3, 'a'); }},
        {S, "/phonebook/entries/0/addressType", kNumber, 1, [] { return Slot(SIM_PBSTORAGE_SIM, 3, 't'); }},
        {S, "/phonebook/entries/0/numPlan", kNumber, 1, [] { return Slot(SIM_PBSTORAGE_SIM, 3, 'p'); }},
        {S, "/ownNumbers", kContainer, "empty", own},
        {S, "/ownNumbers/entries/0/number", kText, "", own},
        {S, "/sms", kContainer, json::array({0, 20}), sms},
        {S, "/sms/total", kNumber, json::array({2, 20}), sms},
        {S, "/sms/messages", kContainer, json::array({0, 30}), sms},
        {S, "/sms/messages/0/index", kNumber, false, [] {
             return Sim([](HSIM h) { return json(SUCCEEDED(SimDeleteMessage(h, SIM_SMSSTORAGE_SIM, 1))); });
         }},
        {C, "/available", kFlag, "available", [] { return Contacts(false); }},
        {C, "/logonFails", kFlag, true, [] { return Contacts(true); }, R"({"logonFails": true})"},
        {S, "/phonebook/reportsUsed", kNumber, json::array({1, 250}), book, kSimMiscounting},
        {C, "/contacts", kContainer, json::array({0, ""}), [] { return FirstContact(); }, kContactsOn},
        {C, "/contacts/0", kContainer, json::array({0, ""}), [] { return FirstContact(); }, kContactsOn},
        {C, "/contacts/0/firstName", kText, json::array({1, ""}), [] { return FirstContact(); }, kContactsOn},
        {L"calllog.json", "/calls", kContainer, true, CallsAfterOneCall},
        {S, "/sms/messages/0/status", kText, "REC READ", [] { return SmsRead(0); }},
        {S, "/sms/messages/0/number", kText, "", [] { return SmsRead(1); }},
        {S, "/sms/messages/0/time", kTimeStamp, "26/01/01,00:00:00+00", [] { return SmsRead(2); }},
        {S, "/sms/messages/0/coding", kNumber, "4869", [] { return SmsRead(-1); }},
        {S, "/sms/messages/0/text", kText, "", [] { return SmsRead(-1); }},
        {M, "/available", kFlag, "logged on", [] { return Messaging('l'); }, kNoMessaging},
        {M, "/logonFails", kFlag, "logged on", [] { return Messaging('l'); }, kNoLogon},
        {M, "/stores", kContainer, "no store", [] { return Messaging('s'); }},
        {M, "/stores/1", kContainer, "Mail", [] { return Messaging('s'); }},
        {M, "/stores/1/name", kText, "", [] { return Messaging('s'); }},
        {M, "/stores/1/default", kFlag, "Mail", [] { return Messaging('s'); }},
        {M, "/stores/1/folders", kContainer, "no inbox", [] { return Messaging('f'); }},
        {M, "/stores/1/folders/inbox", kContainer, "no inbox", [] { return Messaging('f'); }},
        {M, "/stores/1/folders/inbox/name", kText, "", [] { return Messaging('f'); }},
        {M, "/stores/1/folders/inbox/messages", kContainer, 0, [] { return Messaging('n'); }},
        {M, "/stores/1/folders/inbox/messages/0/id", kNumber, 0, [] { return Messaging('n'); }},
        {M, "/stores/1/folders/inbox/messages/0/senderName", kText, "",
         [] { return Messaging('p', PR_SENDER_NAME_W); }},
        {M, "/stores/1/folders/inbox/messages/0/senderAddress", kText, "",
         [] { return Messaging('p', PR_SENDER_EMAIL_ADDRESS_W); }},
        {M, "/stores/1/folders/inbox/messages/0/subject", kText, "", [] { return Messaging('p', PR_SUBJECT_W); }},
        {M, "/stores/1/folders/inbox/messages/0/read", kFlag, 0, [] { return Messaging('p', PR_MESSAGE_FLAGS); }},
        {I, "/available", kFlag, true, ObexInitializes},
        {I, "/server/state", kNumber, 0, DriverState},
        {I, "/server/driver", kFlag, 0, DriverState, kNoDriver},
        {I, "/server/fails", kFlag, 0, DriverState, kDriverFails},
        {V, "/databases/0/records/0/props/0/value", kNumber, json::parse(R"([[1, 0], [2, "Anna"], [3, 7]])"),
         FirstRecord},
        {V, "/databases/0/records/0/props/2/value", kNumber, json::parse(R"([[1, 3], [2, "Anna"], [3, 0]])"),
         FirstRecord},
        {V, "/databases/0/records/0/props/1/value", kText, json::parse(R"([[1, 3], [2, ""], [3, 7]])"), FirstRecord},
        {V, "/databases/0/records/0/props/0/id", kNumber, json::parse(R"([[2, "Anna"], [3, 7]])"), FirstRecord},
        {V, "/databases/0/records/0/props/0/type", kText, json::parse(R"([[2, "Anna"], [3, 7]])"), FirstRecord},
    };
}

// One member of doc replaced by the mutant, or taken out.
void Damage(json &doc, const char *pszPointer, const json &mutant)
{
    json::json_pointer ptr(pszPointer);
    if (mutant != kMissing) {
        doc[ptr] = mutant;
        return;
    }
    json &parent = doc[ptr.parent_pointer()];
    if (parent.is_array())
        parent.erase(std::stoul(ptr.back()));
    else
        parent.erase(ptr.back());
}

void SaveFiles(const std::map<std::wstring, json> &files)
{
    for (const auto &f : files)
        ASSERT_TRUE(PlatProfileSave(f.first.c_str(), f.second));
}

void DeleteFiles()
{
    for (const auto &f : BaseFiles())
        DeleteFileW(PlatProfilePath(f.first.c_str()).c_str());
    PlatSimReload();
}

// Starts a program on the profile as it is: the files parse, so it must
// show its window and answer (no crash, no spin); it is then ended.
void ExpectStarts(const wchar_t *pszExe, const wchar_t *pszClass, const std::string &what)
{
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(StartProgram(BuildPath(pszExe), L"", &pi)) << what;
    HWND hwnd = nullptr;
    PumpUntil([&] {
        DWORD dwPid = 0;
        hwnd = FindWindowW(pszClass, nullptr);
        return (hwnd && GetWindowThreadProcessId(hwnd, &dwPid) && dwPid == pi.dwProcessId) ||
               WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0;
    }, 15000);
    Pump(300);  // start-up threads have read the profile by now
    DWORD_PTR dwResult = 0;
    EXPECT_TRUE(hwnd && SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 3000, &dwResult))
        << what << ": no answering window, exit code " << WaitExit(pi.hProcess, 0);
    TerminateProcess(pi.hProcess, 0);
    WaitExit(pi.hProcess, 5000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
}
} // namespace

TEST(Profile, EveryDamagedMemberReadsAsItsDefaultAndEveryProgramStarts)
{
    ResetStore();
    MakeDir(L"\\Storage Card");
    MakeDir(L"\\My Documents");
    std::vector<Member> members = Members();
    for (const Member &m : members) {
        std::string where = Wide(m.pszFile).get<std::string>() + m.pszPointer;
        json base = m.pszBase ? json::parse(m.pszBase) : BaseFiles()[m.pszFile];
        SaveFiles({{m.pszFile, base}});
        ASSERT_NE(m.expected, m.read()) << where << " is not read from the file";
        for (const json &mutant : Mutants(m.kind)) {
            json doc = base;
            Damage(doc, m.pszPointer, mutant);
            SaveFiles({{m.pszFile, doc}});
            EXPECT_EQ(m.expected, m.read()) << where << " = " << mutant.dump().substr(0, 40);
        }
        DeleteFiles();
    }

    // Every leaf damaged at once, one class of damage at a time.
    HKEY hk;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"System\\StorageManager\\Profiles", 0, nullptr, 0,
                                             KEY_WRITE, nullptr, &hk, nullptr));
    static const WCHAR kFolder[] = L"Storage Card";  // the card watcher reads the cards too
    RegSetValueExW(hk, L"Folder", 0, REG_SZ, (const BYTE *)kFolder, sizeof(kFolder));
    for (int iClass = 0; iClass < 4; ++iClass) {
        std::map<std::wstring, json> files = BaseFiles();
        for (const Member &m : members)
            if (m.kind != kContainer)
                Damage(files[m.pszFile], m.pszPointer, Mutants(m.kind)[iClass]);
        SaveFiles(files);
        std::string what = "damage class " + std::to_string(iClass);
        ExpectStarts(L"filer\\tavel.exe", L"TavelApp", what);
        ExpectStarts(L"simprog\\morlin.exe", L"Morlin", what);
        ExpectStarts(L"sysres\\ostrel.exe", L"Ostrel", what);
    }
    RegDeleteValueW(hk, L"Folder");
    RegCloseKey(hk);
    DeleteFiles();
}

TEST(Trace, LinesGoToTheTraceFileWithTheirArgumentsKeptLiteral)
{
    WCHAR szPath[MAX_PATH];
    ASSERT_TRUE(PlatTraceFilePath(szPath, ARRAYSIZE(szPath)));
    DeleteFileW(szPath);
    NKDbgPrintfW(L"SimNotifyCallback %d %s\r\n", 7, L"stored");
    NKDbgPrintfW(L"second %%s kept literal: %s\r\n", L"%s");
    EXPECT_EQ("SimNotifyCallback 7 stored\r\nsecond %s kept literal: %s\r\n", ReadFileText(szPath));
}
