// The messaging stand-in as the Inbox copy and the space manager call it,
// and the CE database volume as a reader of its records sees it.
#include <gtest/gtest.h>
#include "platform.h"
#include "platmapi.h"
#include "cemapi.h"
#include "windbase.h"
#include "support.h"
#include <string>

using nlohmann::json;

namespace {
class Messaging : public testing::Test {
protected:
    LPMAPISESSION m_pSession = nullptr;

    void SetUp() override
    {
        json j = json::parse(R"({"stores": [
          {"name": "Mail", "folders": {"sent": {"name": "Sent Items", "messages": []}}},
          {"name": "SMS", "default": true, "folders": {
            "inbox": {"name": "Inbox", "messages": [
              {"id": 7, "senderName": "Anna", "senderAddress": "Anna <+4912345>", "subject": "At 8", "read": true},
              {"senderName": "no id, never listed"},
              {"id": 9, "senderName": "Carla", "senderAddress": "carla@example.org", "subject": "Photos"}]},
            "drafts": {"name": "Drafts", "locked": true, "messages": [{"id": 1}]}}}]})");
        ASSERT_TRUE(PlatProfileSave(L"messages.json", j));
        ASSERT_EQ(S_OK, MAPIInitialize(nullptr));
        ASSERT_EQ(S_OK, MAPILogonEx(0, nullptr, nullptr, 0, &m_pSession));
    }
    void TearDown() override
    {
        if (m_pSession) {
            m_pSession->Logoff(0, 0, 0);
            m_pSession->Release();
        }
        MAPIUninitialize();
        EXPECT_EQ(0, PlatMapiObjectCount());
        EXPECT_EQ(0, PlatMapiBufferCount());
        EXPECT_EQ(0, PlatMapiSessionCount());
        DeleteFileW(PlatProfilePath(L"messages.json").c_str());
    }
    // The default store's folder under a store property, opened with these flags.
    LPMAPIFOLDER OpenFolder(ULONG ulTag, ULONG ulFlags, HRESULT *phrProps = nullptr)
    {
        LPMDB pStore = nullptr;
        EXPECT_EQ(S_OK, m_pSession->OpenMsgStore(0, 0, nullptr, nullptr, 0, &pStore));
        SizedSPropTagArray(1, tags) = {1, {ulTag}};
        ULONG c = 0;
        LPSPropValue pv = nullptr;
        HRESULT hr = pStore->GetProps((LPSPropTagArray)&tags, MAPI_UNICODE, &c, &pv);
        if (phrProps)
            *phrProps = hr;
        LPUNKNOWN pUnk = nullptr;
        if (pv && pv->ulPropTag == ulTag)
            EXPECT_EQ(S_OK, pStore->OpenEntry(pv->Value.bin.cb, (LPENTRYID)pv->Value.bin.lpb, nullptr, ulFlags,
                                              nullptr, &pUnk));
        else
            EXPECT_EQ(PROP_TAG(PT_ERROR, PROP_ID(ulTag)), pv->ulPropTag);
        MAPIFreeBuffer(pv);
        pStore->Release();
        return (LPMAPIFOLDER)pUnk;
    }
};
} // namespace

TEST_F(Messaging, TheInboxIsReadOneRowAtATime)
{
    LPMAPIFOLDER pInbox = OpenFolder(PR_CE_IPM_INBOX_ENTRYID, MAPI_MODIFY);
    ASSERT_NE(nullptr, pInbox);
    LPMAPITABLE pTable = nullptr;
    ASSERT_EQ(S_OK, pInbox->GetContentsTable(0, &pTable));
    SizedSPropTagArray(2, cols) = {2, {PR_ENTRYID, PR_MESSAGE_FLAGS}};
    ASSERT_EQ(S_OK, pTable->SetColumns((LPSPropTagArray)&cols, 0));
    for (int iPass = 0; iPass < 2; ++iPass) {  // again after seeking back to the start
        std::wstring seen;
        LPSRowSet prows = nullptr;
        while (SUCCEEDED(pTable->QueryRows(1, 0, &prows)) && prows->cRows == 1) {
            const SPropValue *pCols = prows->aRow[0].lpProps;
            ASSERT_EQ(PR_ENTRYID, pCols[0].ulPropTag);
            LPUNKNOWN pUnk = nullptr;
            ULONG ulType = 0;
            ASSERT_EQ(S_OK, m_pSession->OpenEntry(pCols[0].Value.bin.cb, (LPENTRYID)pCols[0].Value.bin.lpb, nullptr,
                                                  MAPI_BEST_ACCESS, &ulType, &pUnk));
            EXPECT_EQ((ULONG)MAPI_MESSAGE, ulType);
            SizedSPropTagArray(3, tags) = {3, {PR_SENDER_NAME_W, PR_SENDER_EMAIL_ADDRESS_W, PR_SUBJECT_W}};
            ULONG c = 0;
            LPSPropValue pv = nullptr;
            ASSERT_EQ(S_OK, ((LPMESSAGE)pUnk)->GetProps((LPSPropTagArray)&tags, MAPI_UNICODE, &c, &pv));
            ASSERT_EQ(3u, c);
            seen += std::wstring(pv[0].Value.lpszW) + L"/" + pv[1].Value.lpszW + L"/" + pv[2].Value.lpszW + L"/" +
                    std::to_wstring(pCols[1].Value.l) + L";";
            MAPIFreeBuffer(pv);
            pUnk->Release();
            FreeProws(prows);
        }
        EXPECT_EQ(0u, prows->cRows);
        FreeProws(prows);
        EXPECT_EQ(L"Anna/Anna <+4912345>/At 8/1;Carla/carla@example.org/Photos/0;", seen);
        EXPECT_EQ(S_OK, pTable->SeekRow(BOOKMARK_BEGINNING, 0, nullptr));
    }
    pTable->Release();
    pInbox->Release();

    // A store without that folder answers with an error value, not a failure.
    HRESULT hr = S_OK;
    EXPECT_EQ(nullptr, OpenFolder(PR_IPM_SENTMAIL_ENTRYID, MAPI_MODIFY, &hr));
    EXPECT_EQ(MAPI_W_ERRORS_RETURNED, hr);
}

TEST_F(Messaging, DeleteMessagesNeedsModifyAccessAndAFreeFolder)
{
    auto deleteAll = [](LPMAPIFOLDER pFolder) {
        LPMAPITABLE pTable = nullptr;
        pFolder->GetContentsTable(0, &pTable);
        LPSRowSet prows = nullptr;
        pTable->QueryRows(10, 0, &prows);
        std::vector<SBinary> bins;
        for (ULONG i = 0; i < prows->cRows; ++i)
            bins.push_back(prows->aRow[i].lpProps[0].Value.bin);
        ENTRYLIST list = {(ULONG)bins.size(), bins.data()};
        HRESULT hr = pFolder->DeleteMessages(&list, 0, nullptr, 0);
        FreeProws(prows);
        pTable->Release();
        pFolder->Release();
        return hr;
    };
    EXPECT_TRUE(FAILED(deleteAll(OpenFolder(PR_CE_IPM_INBOX_ENTRYID, 0))));
    EXPECT_TRUE(FAILED(deleteAll(OpenFolder(PR_CE_IPM_DRAFTS_ENTRYID, MAPI_MODIFY))));
    json stores = PlatProfileLoad(L"messages.json")["stores"];
    EXPECT_EQ(3u, stores[1]["folders"]["inbox"]["messages"].size());
    EXPECT_EQ(S_OK, deleteAll(OpenFolder(PR_CE_IPM_INBOX_ENTRYID, MAPI_BEST_ACCESS)));
    json after = PlatProfileLoad(L"messages.json");
    ASSERT_EQ(1u, after["stores"][1]["folders"]["inbox"]["messages"].size());  // the one without an id
    EXPECT_EQ(1u, after["stores"][1]["folders"]["drafts"]["messages"].size());
}

TEST_F(Messaging, LogonNeedsMessagingAndAWorkingService)
{
    json j = PlatProfileLoad(L"messages.json");
    j["logonFails"] = true;
    ASSERT_TRUE(PlatProfileSave(L"messages.json", j));
    LPMAPISESSION pSession = nullptr;
    EXPECT_EQ(MAPI_E_LOGON_FAILED, MAPILogonEx(0, nullptr, nullptr, 0, &pSession));
    j["available"] = false;
    ASSERT_TRUE(PlatProfileSave(L"messages.json", j));
    EXPECT_TRUE(FAILED(MAPIInitialize(nullptr)));
    MAPIUninitialize();  // the program's own pairing
    EXPECT_EQ(MAPI_E_NOT_INITIALIZED, MAPILogonEx(0, nullptr, nullptr, 0, &pSession));
    EXPECT_EQ(nullptr, pSession);
    MAPIInitialize(nullptr);  // undone by TearDown
    j["available"] = true;
    ASSERT_TRUE(PlatProfileSave(L"messages.json", j));
    EXPECT_EQ(S_OK, MAPIInitialize(nullptr));
}

TEST_F(Messaging, DamagedMembersReadAsMissing)
{
    ASSERT_TRUE(PlatProfileSave(L"messages.json", json::parse(R"({"stores": [5, {"name": 3, "default": true,
        "folders": {"inbox": [], "sent": {"name": "Sent", "messages": "x"}}}]})")));
    LPMAPITABLE pTable = nullptr;
    ASSERT_EQ(S_OK, m_pSession->GetMsgStoresTable(0, &pTable));
    ULONG cRows = 0;
    pTable->GetRowCount(0, &cRows);
    EXPECT_EQ(1u, cRows);  // the number is no store
    pTable->Release();
    EXPECT_EQ(nullptr, OpenFolder(PR_CE_IPM_INBOX_ENTRYID, MAPI_MODIFY));  // a list is no folder
    LPMAPIFOLDER pSent = OpenFolder(PR_IPM_SENTMAIL_ENTRYID, MAPI_MODIFY);
    ASSERT_NE(nullptr, pSent);
    ASSERT_EQ(S_OK, pSent->GetContentsTable(0, &pTable));
    pTable->GetRowCount(0, &cRows);
    EXPECT_EQ(0u, cRows);
    pTable->Release();
    pSent->Release();
}

TEST(DatabaseVolume, RecordsAreReadInOrderAndMissingDamagedOrLockedVolumesFail)
{
    ResetStore();
    const char kVolume[] = R"({"databases": [{"name": "speed.db", "records": [
        {"oid": 5, "props": [{"id": 2, "type": "text", "value": "Anna"}, {"id": 3, "type": "ui4", "value": 7}]},
        {"oid": 6, "props": [{"id": 4, "type": "blob", "value": "0aff"}, {"id": 1, "type": "nonsense"}]}]}]})";
    ASSERT_TRUE(MakeFile(L"\\v.vol", kVolume));
    CEGUID guid;
    ASSERT_TRUE(CeMountDBVol(&guid, (LPWSTR)L"\\v.vol", OPEN_EXISTING));
    CEOID oidDb = 0;
    HANDLE h = CeOpenDatabaseEx(&guid, &oidDb, (LPWSTR)L"speed.db", 0, CEDB_AUTOINCREMENT, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ(INVALID_HANDLE_VALUE, CeOpenDatabaseEx(&guid, &oidDb, (LPWSTR)L"clog.db", 0, 0, nullptr));
    LPBYTE pb = nullptr;
    DWORD cb = 0;
    WORD c = 0;
    ASSERT_EQ(5u, CeReadRecordPropsEx(h, CEDB_ALLOWREALLOC, &c, nullptr, &pb, &cb, nullptr));
    ASSERT_EQ(2, c);
    const CEPROPVAL *pv = (const CEPROPVAL *)pb;
    EXPECT_EQ((CEPROPID)MAKELONG(CEVT_LPWSTR, 2), pv[0].propid);
    EXPECT_STREQ(L"Anna", pv[0].val.lpwstr);
    EXPECT_EQ(7u, pv[1].val.ulVal);
    ASSERT_EQ(6u, CeReadRecordPropsEx(h, CEDB_ALLOWREALLOC, &c, nullptr, &pb, &cb, nullptr));
    ASSERT_EQ(1, c);  // a value of no known type is left out
    ASSERT_EQ(2u, pv[0].val.blob.dwCount);
    EXPECT_EQ(0xFF, pv[0].val.blob.lpb[1]);
    EXPECT_EQ(0u, CeReadRecordPropsEx(h, CEDB_ALLOWREALLOC, &c, nullptr, &pb, &cb, nullptr));
    EXPECT_EQ((DWORD)ERROR_NO_MORE_ITEMS, GetLastError());
    LocalFree(pb);
    // A read-only volume keeps its records.
    SetFileAttributesW(L"\\v.vol", FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(CeDeleteRecord(h, 5));
    SetFileAttributesW(L"\\v.vol", FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(CeDeleteRecord(h, 5));
    EXPECT_EQ(1u, json::parse(ReadFileText(L"\\v.vol"))["databases"][0]["records"].size());
    CloseHandle(h);
    EXPECT_TRUE(CeUnmountDBVol(&guid));
    EXPECT_EQ(0, PlatCeDbOpenCount());

    HANDLE hLock = CreateFileW(L"\\v.vol", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_FALSE(CeMountDBVol(&guid, (LPWSTR)L"\\v.vol", OPEN_EXISTING));
    EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, GetLastError());
    CloseHandle(hLock);
    EXPECT_FALSE(CeMountDBVol(&guid, (LPWSTR)L"\\none.vol", OPEN_EXISTING));
    EXPECT_EQ((DWORD)ERROR_FILE_NOT_FOUND, GetLastError());
    ASSERT_TRUE(MakeFile(L"\\v.vol", R"({"databases": {}})"));
    EXPECT_FALSE(CeMountDBVol(&guid, (LPWSTR)L"\\v.vol", OPEN_EXISTING));
    EXPECT_EQ((DWORD)ERROR_BAD_FORMAT, GetLastError());
}
