// The messaging stand-in where Morlin's Inbox copy and Ostrel's space manager
// do not reach it: access rights and damaged stores.
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
        EXPECT_EQ(0, PlatMapiObjectCount() + PlatMapiBufferCount() + PlatMapiSessionCount());
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

TEST_F(Messaging, AMessageOpensAsTheFileHoldsItNow)
{
    LPMAPIFOLDER pInbox = OpenFolder(PR_CE_IPM_INBOX_ENTRYID, 0);
    ASSERT_NE(nullptr, pInbox);
    LPMAPITABLE pTable = nullptr;
    ASSERT_EQ(S_OK, pInbox->GetContentsTable(0, &pTable));
    LPSRowSet prows = nullptr;
    ASSERT_EQ(S_OK, pTable->QueryRows(10, 0, &prows));
    ASSERT_EQ(2u, prows->cRows);
    auto subject = [&](ULONG iRow, std::wstring *pText) {
        const SBinary &bin = prows->aRow[iRow].lpProps[0].Value.bin;
        LPUNKNOWN pUnk = nullptr;
        HRESULT hr = m_pSession->OpenEntry(bin.cb, (LPENTRYID)bin.lpb, nullptr, 0, nullptr, &pUnk);
        if (FAILED(hr))
            return hr;
        SizedSPropTagArray(1, tags) = {1, {PR_SUBJECT_W}};
        ULONG c = 0;
        LPSPropValue pv = nullptr;
        hr = ((LPMESSAGE)pUnk)->GetProps((LPSPropTagArray)&tags, MAPI_UNICODE, &c, &pv);
        *pText = SUCCEEDED(hr) ? pv->Value.lpszW : L"";
        MAPIFreeBuffer(pv);
        pUnk->Release();
        return hr;
    };
    std::wstring text;
    LONG cReads = PlatMapiFileReadCount();
    EXPECT_EQ(S_OK, subject(0, &text));
    EXPECT_EQ(L"At 8", text);
    EXPECT_EQ(S_OK, subject(1, &text));
    EXPECT_EQ(cReads, PlatMapiFileReadCount());  // the file has not changed since the table was read

    json j = PlatProfileLoad(L"messages.json");
    json &messages = j["stores"][1]["folders"]["inbox"]["messages"];
    messages.erase(messages.begin());
    messages[1]["subject"] = "Photos, more";
    ASSERT_TRUE(PlatProfileSave(L"messages.json", j));
    EXPECT_EQ(MAPI_E_NOT_FOUND, subject(0, &text));
    EXPECT_EQ(S_OK, subject(1, &text));
    EXPECT_EQ(L"Photos, more", text);
    FreeProws(prows);
    pTable->Release();
    pInbox->Release();
}
