// The contacts service: the application object, the Contacts folder and its
// contact items, kept in the profile's contacts.json. The handset registers
// the application with COM; here CoCreateInstance is routed through the
// platform for this class (and for the OBEX classes, obexobjects.cpp).
// contacts.json with "available": false stands for a handset without it.
#include "internal.h"
#include "pimstore.h"
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

using nlohmann::json;

extern "C" {
const CLSID CLSID_Application = {0x05058F23, 0x20BE, 0x11D2, {0x8F, 0x18, 0x00, 0x00, 0xF8, 0x7A, 0x43, 0x35}};
const IID IID_IPOutlookApp = {0x05058F22, 0x20BE, 0x11D2, {0x8F, 0x18, 0x00, 0x00, 0xF8, 0x7A, 0x43, 0x35}};
// The stand-in's own interface ids.
const IID IID_IFolder = {0x05058F24, 0x20BE, 0x11D2, {0x8F, 0x18, 0x00, 0x00, 0xF8, 0x7A, 0x43, 0x35}};
const IID IID_IPOutlookItemCollection = {0x05058F25, 0x20BE, 0x11D2, {0x8F, 0x18, 0x00, 0x00, 0xF8, 0x7A, 0x43, 0x35}};
const IID IID_IContact = {0x05058F26, 0x20BE, 0x11D2, {0x8F, 0x18, 0x00, 0x00, 0xF8, 0x7A, 0x43, 0x35}};
}

namespace {
std::atomic<LONG> g_cLogons(0);
std::mutex g_mtxFile;  // load, change and save of contacts.json

const wchar_t kFile[] = L"contacts.json";
const size_t kMaxText = 1024;  // longer texts read as empty

// The contact properties, in the order of the interface, and their members.
enum Prop {
    PROP_FIRSTNAME, PROP_LASTNAME, PROP_FILEAS, PROP_MOBILE, PROP_HOME, PROP_HOME2, PROP_BUSINESS,
    PROP_BUSINESS2, PROP_PAGER, PROP_CAR, PROP_ASSISTANT, PROP_RADIO, PROP_COUNT
};
const char *const kPropKeys[PROP_COUNT] = {
    "firstName", "lastName", "fileAs", "mobileTelephoneNumber", "homeTelephoneNumber", "home2TelephoneNumber",
    "businessTelephoneNumber", "business2TelephoneNumber", "pagerNumber", "carTelephoneNumber",
    "assistantTelephoneNumber", "radioTelephoneNumber"};

std::string Narrow(const std::wstring &w)
{
    int cb = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string s(cb > 0 ? cb - 1 : 0, '\0');
    if (cb > 1)
        WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, &s[0], cb, nullptr, nullptr);
    return s;
}

// Ids of saved contacts; 0 for one that has none (it cannot be saved over).
ULONGLONG OidOf(const json &c)
{
    return PlatProfileNumber(c, "oid", 1, 0xFFFFFFFFUL, 0);
}

// COM's common part: reference count and the IDispatch this service does not use.
template <class I> class Unknown : public I {
    std::atomic<ULONG> m_cRef{1};

protected:
    virtual ~Unknown() {}
    virtual const IID &Iid() const = 0;

public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, Iid())) {
            *ppv = static_cast<I *>(this);
            this->AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_cRef; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        ULONG c = --m_cRef;
        if (c == 0)
            delete this;
        return c;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *pc) override
    {
        if (pc)
            *pc = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *,
                                     UINT *) override
    {
        return E_NOTIMPL;
    }
};

#define CONTACT_PROPERTY(Name, prop)                                                              \
    HRESULT STDMETHODCALLTYPE get_##Name(BSTR *pbstr) override { return Get(prop, pbstr); }       \
    HRESULT STDMETHODCALLTYPE put_##Name(BSTR bstr) override { return Put(prop, bstr); }

class Contact final : public Unknown<IContact> {
    std::wstring m_props[PROP_COUNT];
    ULONGLONG m_oid;

    const IID &Iid() const override { return IID_IContact; }
    HRESULT Get(Prop prop, BSTR *pbstr)
    {
        if (!pbstr)
            return E_POINTER;
        *pbstr = SysAllocString(m_props[prop].c_str());
        return *pbstr ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT Put(Prop prop, BSTR bstr)
    {
        std::wstring value = bstr ? std::wstring(bstr, SysStringLen(bstr)) : std::wstring();
        value.resize(wcsnlen(value.c_str(), value.size()));
        if (value.size() > kMaxText)
            return E_INVALIDARG;
        m_props[prop] = value;
        return S_OK;
    }

public:
    explicit Contact(const json &c) : m_oid(OidOf(c))
    {
        for (int i = 0; i < PROP_COUNT; ++i)
            m_props[i] = PlatProfileText(c, kPropKeys[i], kMaxText, L"");
    }
    Contact() : m_oid(0) {}

    CONTACT_PROPERTY(FirstName, PROP_FIRSTNAME)
    CONTACT_PROPERTY(LastName, PROP_LASTNAME)
    CONTACT_PROPERTY(FileAs, PROP_FILEAS)
    CONTACT_PROPERTY(MobileTelephoneNumber, PROP_MOBILE)
    CONTACT_PROPERTY(HomeTelephoneNumber, PROP_HOME)
    CONTACT_PROPERTY(Home2TelephoneNumber, PROP_HOME2)
    CONTACT_PROPERTY(BusinessTelephoneNumber, PROP_BUSINESS)
    CONTACT_PROPERTY(Business2TelephoneNumber, PROP_BUSINESS2)
    CONTACT_PROPERTY(PagerNumber, PROP_PAGER)
    CONTACT_PROPERTY(CarTelephoneNumber, PROP_CAR)
    CONTACT_PROPERTY(AssistantTelephoneNumber, PROP_ASSISTANT)
    CONTACT_PROPERTY(RadioTelephoneNumber, PROP_RADIO)

    // A new contact gets the next free id and joins the end of the folder;
    // a saved one replaces its earlier self.
    HRESULT STDMETHODCALLTYPE Save() override
    {
        std::lock_guard<std::mutex> lock(g_mtxFile);
        json file = PlatProfileLoad(kFile);
        // A member that is there but no list is not ours to replace: the
        // user's contacts would be lost with it.
        if (!file.contains("contacts"))
            file["contacts"] = json::array();
        else if (!file["contacts"].is_array())
            return E_FAIL;
        json &contacts = file["contacts"];
        json *pTarget = nullptr;
        ULONGLONG oidMax = 0;
        for (json &c : contacts) {
            ULONGLONG oid = OidOf(c);
            if (oid > oidMax)
                oidMax = oid;
            if (m_oid && oid == m_oid)
                pTarget = &c;
        }
        ULONGLONG oid = m_oid;
        if (!pTarget) {
            if (oid || oidMax >= 0xFFFFFFFFUL)
                return E_FAIL;  // deleted meanwhile, or no id left
            oid = oidMax + 1;
            contacts.push_back(json::object());
            pTarget = &contacts.back();
        }
        json c = pTarget->is_object() ? *pTarget : json::object();
        c["oid"] = oid;
        for (int i = 0; i < PROP_COUNT; ++i) {
            if (m_props[i].empty())
                c.erase(kPropKeys[i]);
            else
                c[kPropKeys[i]] = Narrow(m_props[i]);
        }
        *pTarget = c;
        if (!PlatProfileSave(kFile, file))
            return E_FAIL;
        m_oid = oid;
        return S_OK;
    }
};

class ItemCollection final : public Unknown<IPOutlookItemCollection> {
    std::vector<json> m_items;
    const IID &Iid() const override { return IID_IPOutlookItemCollection; }

public:
    ItemCollection()
    {
        std::lock_guard<std::mutex> lock(g_mtxFile);
        json file = PlatProfileLoad(kFile);
        for (const json &c : PlatProfileArray(file, "contacts"))
            if (c.is_object())
                m_items.push_back(c);
    }
    HRESULT STDMETHODCALLTYPE get_Count(int *pnCount) override
    {
        if (!pnCount)
            return E_POINTER;
        *pnCount = (int)m_items.size();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Item(int iIndex, IDispatch **ppolItem) override
    {
        if (!ppolItem)
            return E_POINTER;
        *ppolItem = nullptr;
        if (iIndex < 1 || (size_t)iIndex > m_items.size())
            return E_INVALIDARG;
        *ppolItem = new Contact(m_items[iIndex - 1]);
        return S_OK;
    }
};

class ContactsFolder final : public Unknown<IFolder> {
    const IID &Iid() const override { return IID_IFolder; }

public:
    HRESULT STDMETHODCALLTYPE get_Items(IPOutlookItemCollection **ppolItems) override
    {
        if (!ppolItems)
            return E_POINTER;
        *ppolItems = new ItemCollection;
        return S_OK;
    }
};

class OutlookApp final : public Unknown<IPOutlookApp> {
    bool m_fLoggedOn = false;
    const IID &Iid() const override { return IID_IPOutlookApp; }

public:
    ~OutlookApp() override
    {
        if (m_fLoggedOn)
            --g_cLogons;
    }
    HRESULT STDMETHODCALLTYPE Logon(long) override
    {
        json contacts = PlatProfileLoad(kFile);
        if (PlatProfileFlag(contacts, "logonFails", false))
            return E_FAIL;
        if (!m_fLoggedOn)
            ++g_cLogons;
        m_fLoggedOn = true;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Logoff() override
    {
        if (!m_fLoggedOn)
            return E_FAIL;
        m_fLoggedOn = false;
        --g_cLogons;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Version(BSTR *pbstr) override
    {
        if (!pbstr)
            return E_POINTER;
        *pbstr = SysAllocString(L"2.0");
        return *pbstr ? S_OK : E_OUTOFMEMORY;
    }
    // Folders and items need a session, as on the handset.
    HRESULT STDMETHODCALLTYPE GetDefaultFolder(int olFolder, IFolder **ppIFolder) override
    {
        if (!ppIFolder)
            return E_POINTER;
        *ppIFolder = nullptr;
        if (!m_fLoggedOn)
            return E_FAIL;
        if (olFolder != olFolderContacts)
            return E_INVALIDARG;
        *ppIFolder = new ContactsFolder;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CreateItem(int olItem, IDispatch **ppPOutlookItem) override
    {
        if (!ppPOutlookItem)
            return E_POINTER;
        *ppPOutlookItem = nullptr;
        if (!m_fLoggedOn)
            return E_FAIL;
        if (olItem != olContactItem)
            return E_INVALIDARG;
        *ppPOutlookItem = new Contact;
        return S_OK;
    }
};
} // namespace

extern "C" HRESULT WINAPI PlatCoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid,
                                               LPVOID *ppv)
{
    if (!ppv)
        return E_POINTER;
    HRESULT hrObex;
    if ((dwClsContext & CLSCTX_INPROC_SERVER) && PlatCreateObexObject(rclsid, pUnkOuter, riid, ppv, &hrObex))
        return hrObex;
    if (!IsEqualCLSID(rclsid, CLSID_Application))
        return CoCreateInstance(rclsid, pUnkOuter, dwClsContext, riid, ppv);
    *ppv = nullptr;
    if (pUnkOuter)
        return CLASS_E_NOAGGREGATION;
    if (!(dwClsContext & CLSCTX_INPROC_SERVER))
        return REGDB_E_CLASSNOTREG;
    json contacts = PlatProfileLoad(kFile);
    if (!PlatProfileFlag(contacts, "available", true))
        return REGDB_E_CLASSNOTREG;
    OutlookApp *p = new OutlookApp;
    HRESULT hr = p->QueryInterface(riid, ppv);
    p->Release();
    return hr;
}

extern "C" LONG WINAPI PlatPoomLogonCount(void)
{
    return g_cLogons;
}
