// The contacts service: a session first, items numbered from 1, new contacts
// joining the folder on Save, and what contacts.json then holds.
#include <gtest/gtest.h>
#include "platform.h"
#include "support.h"
#include "pimstore.h"

namespace {
// The folder's item count now, with the collection when asked for.
int Count(IPOutlookApp *pApp, IPOutlookItemCollection **ppItems = nullptr)
{
    IFolder *pFolder = nullptr;
    IPOutlookItemCollection *pItems = nullptr;
    int cItems = -1;
    if (SUCCEEDED(pApp->GetDefaultFolder(olFolderContacts, &pFolder)) && SUCCEEDED(pFolder->get_Items(&pItems)))
        pItems->get_Count(&cItems);
    if (pFolder)
        pFolder->Release();
    if (ppItems)
        *ppItems = pItems;
    else if (pItems)
        pItems->Release();
    return cItems;
}
} // namespace

TEST(Contacts, ItemsAreOneBasedAndNewContactsJoinTheFolderOnSave)
{
    ASSERT_TRUE(PlatProfileSave(L"contacts.json", {{"contacts", {{{"oid", 7}, {"pagerNumber", "0904"}}, "none"}}}));
    IPOutlookApp *pApp = nullptr;
    ASSERT_TRUE(SUCCEEDED(
        CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp, (void **)&pApp)));
    IDispatch *pDisp = nullptr;
    EXPECT_EQ(-1, Count(pApp));  // no session yet
    EXPECT_FALSE(SUCCEEDED(pApp->CreateItem(olContactItem, &pDisp)));
    ASSERT_TRUE(SUCCEEDED(pApp->Logon(0)));

    IPOutlookItemCollection *pItems = nullptr;
    EXPECT_EQ(1, Count(pApp, &pItems));
    ASSERT_NE(nullptr, pItems);
    EXPECT_FALSE(SUCCEEDED(pItems->Item(0, &pDisp)));
    EXPECT_FALSE(SUCCEEDED(pItems->Item(2, &pDisp)));
    ASSERT_TRUE(SUCCEEDED(pItems->Item(1, &pDisp)));
    pDisp->Release();

    IContact *pContact = nullptr;
    ASSERT_TRUE(SUCCEEDED(pApp->CreateItem(olContactItem, &pDisp)));
    ASSERT_TRUE(SUCCEEDED(pDisp->QueryInterface(IID_IContact, (void **)&pContact)));
    pDisp->Release();
    BSTR bstr = SysAllocString(L"Bo");
    pContact->put_FirstName(bstr);
    SysFreeString(bstr);
    EXPECT_EQ(1, Count(pApp));  // not before Save
    ASSERT_TRUE(SUCCEEDED(pContact->Save()));
    ASSERT_TRUE(SUCCEEDED(pContact->Save()));  // a second Save replaces, never adds
    pContact->Release();
    EXPECT_EQ(nlohmann::json({{"oid", 8}, {"firstName", "Bo"}}), PlatProfileLoad(L"contacts.json")["contacts"][2]);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(PlatProfilePath(L"contacts.json.tmp").c_str()));
    // A collection taken before the Save keeps what it held.
    int cItems = 0;
    pItems->get_Count(&cItems);
    EXPECT_EQ(1, cItems);
    pItems->Release();
    EXPECT_EQ(2, Count(pApp));
    pApp->Logoff();
    pApp->Release();
    DeleteFileW(PlatProfilePath(L"contacts.json").c_str());
}
