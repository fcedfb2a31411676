// The contacts service: a session first, items numbered from 1, new contacts
// joining the folder on Save, and what contacts.json then holds.
#include <gtest/gtest.h>
#include "platform.h"
#include "support.h"
#include "pimstore.h"

namespace {
using nlohmann::json;

IPOutlookApp *OpenApp()
{
    IPOutlookApp *p = nullptr;
    if (FAILED(CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp, (void **)&p)))
        return nullptr;
    return p;
}

IPOutlookItemCollection *Items(IPOutlookApp *pApp, int *pcItems)
{
    IFolder *pFolder = nullptr;
    IPOutlookItemCollection *pItems = nullptr;
    *pcItems = -1;
    if (SUCCEEDED(pApp->GetDefaultFolder(olFolderContacts, &pFolder))) {
        pFolder->get_Items(&pItems);
        pFolder->Release();
    }
    if (pItems)
        pItems->get_Count(pcItems);
    return pItems;
}

int Count(IPOutlookApp *pApp)
{
    int cItems = -1;
    IPOutlookItemCollection *pItems = Items(pApp, &cItems);
    if (pItems)
        pItems->Release();
    return cItems;
}

std::wstring Text(IContact *pContact, HRESULT (STDMETHODCALLTYPE IContact::*pfnGet)(BSTR *))
{
    BSTR bstr = nullptr;
    std::wstring s = SUCCEEDED((pContact->*pfnGet)(&bstr)) && bstr ? bstr : L"(none)";
    SysFreeString(bstr);
    return s;
}

IContact *ItemAt(IPOutlookItemCollection *pItems, int i)
{
    IDispatch *pDisp = nullptr;
    IContact *pContact = nullptr;
    if (SUCCEEDED(pItems->Item(i, &pDisp))) {
        pDisp->QueryInterface(IID_IContact, (void **)&pContact);
        pDisp->Release();
    }
    return pContact;
}
} // namespace

TEST(Contacts, ItemsAreOneBasedAndNewContactsJoinTheFolderOnSave)
{
    ASSERT_TRUE(PlatProfileSave(L"contacts.json",
                                {{"contacts",
                                  {{{"oid", 7}, {"firstName", "Lena"}, {"pagerNumber", "0904"}},
                                   "not a contact",
                                   {{"fileAs", "City Taxi"}, {"lastName", std::string(2000, 'x')}}}}}));
    IPOutlookApp *pApp = OpenApp();
    ASSERT_NE(nullptr, pApp);
    IFolder *pFolder = nullptr;
    IDispatch *pDisp = nullptr;
    EXPECT_FALSE(SUCCEEDED(pApp->GetDefaultFolder(olFolderContacts, &pFolder)));  // no session yet
    EXPECT_FALSE(SUCCEEDED(pApp->CreateItem(olContactItem, &pDisp)));
    ASSERT_TRUE(SUCCEEDED(pApp->Logon(0)));

    int cItems = 0;
    IPOutlookItemCollection *pItems = Items(pApp, &cItems);
    ASSERT_NE(nullptr, pItems);
    EXPECT_EQ(2, cItems);
    EXPECT_FALSE(SUCCEEDED(pItems->Item(0, &pDisp)));
    EXPECT_FALSE(SUCCEEDED(pItems->Item(3, &pDisp)));
    IContact *pFirst = ItemAt(pItems, 1), *pSecond = ItemAt(pItems, 2);
    ASSERT_TRUE(pFirst && pSecond);
    EXPECT_EQ(L"Lena", Text(pFirst, &IContact::get_FirstName));
    EXPECT_EQ(L"0904", Text(pFirst, &IContact::get_PagerNumber));
    EXPECT_EQ(L"", Text(pFirst, &IContact::get_MobileTelephoneNumber));
    EXPECT_EQ(L"City Taxi", Text(pSecond, &IContact::get_FileAs));
    EXPECT_EQ(L"", Text(pSecond, &IContact::get_LastName));  // too long to be a name
    pFirst->Release();
    pSecond->Release();

    ASSERT_TRUE(SUCCEEDED(pApp->CreateItem(olContactItem, &pDisp)));
    IContact *pNew = nullptr;
    ASSERT_TRUE(SUCCEEDED(pDisp->QueryInterface(IID_IContact, (void **)&pNew)));
    pDisp->Release();
    BSTR bstr = SysAllocString(L"Bo");
    pNew->put_FirstName(bstr);
    SysFreeString(bstr);
    bstr = SysAllocString(L"+4670");
    pNew->put_MobileTelephoneNumber(bstr);
    SysFreeString(bstr);
    EXPECT_EQ(2, Count(pApp));  // not before Save
    ASSERT_TRUE(SUCCEEDED(pNew->Save()));
    ASSERT_TRUE(SUCCEEDED(pNew->Save()));  // a second Save replaces, never adds
    pNew->Release();
    json contacts = PlatProfileLoad(L"contacts.json")["contacts"];
    ASSERT_EQ(4u, contacts.size());
    EXPECT_EQ(json({{"oid", 8}, {"firstName", "Bo"}, {"mobileTelephoneNumber", "+4670"}}), contacts[3]);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(PlatProfilePath(L"contacts.json.tmp").c_str()));
    // The collection taken before the Save still holds what it held.
    pItems->get_Count(&cItems);
    EXPECT_EQ(2, cItems);
    pItems->Release();
    EXPECT_EQ(3, Count(pApp));
    pApp->Logoff();
    pApp->Release();
    DeleteFileW(PlatProfilePath(L"contacts.json").c_str());
}
