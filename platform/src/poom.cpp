// The contacts service's application object. The handset registers it with
// COM; here CoCreateInstance is routed through the platform for this class
// (and for the OBEX classes, obexobjects.cpp).
// contacts.json with "available": false stands for a handset without it.
#include "internal.h"
#include "pimstore.h"
#include <atomic>

extern "C" {
const CLSID CLSID_Application = {0x05058F23, 0x20BE, 0x11D2, {0x8F, 0x18, 0x00, 0x00, 0xF8, 0x7A, 0x43, 0x35}};
const IID IID_IPOutlookApp = {0x05058F22, 0x20BE, 0x11D2, {0x8F, 0x18, 0x00, 0x00, 0xF8, 0x7A, 0x43, 0x35}};
}

namespace {
std::atomic<LONG> g_cLogons(0);

class OutlookApp final : public IPOutlookApp {
    std::atomic<ULONG> m_cRef{1};
    bool m_fLoggedOn = false;

public:
    virtual ~OutlookApp() {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, IID_IPOutlookApp)) {
            *ppv = static_cast<IPOutlookApp *>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_cRef; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        ULONG c = --m_cRef;
        if (c == 0) {
            if (m_fLoggedOn)
                --g_cLogons;
            delete this;
        }
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
    HRESULT STDMETHODCALLTYPE Logon(long) override
    {
        nlohmann::json contacts = PlatProfileLoad(L"contacts.json");
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
    nlohmann::json contacts = PlatProfileLoad(L"contacts.json");
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
