// The handset's OBEX COM objects: the OBEX object (device discovery, the
// sink's connection point, binding), the bound device (Connect, Put,
// Disconnect over the link), the put stream, the header collection and the
// devices' property bags. Devices in range are irda.json's "devices"; one
// taken out of the file has left the range.
#include "internal.h"
#include "obex.h"
#include "obexsvc.h"
#include "obexwire.h"
#include <olectl.h>
#include <atomic>
#include <map>
#include <mutex>
#include <vector>

extern "C" {
const CLSID CLSID_Obex = {0x30A7BC00, 0x59B6, 0x40BB, {0xAA, 0x2B, 0x89, 0xEB, 0x49, 0xEF, 0x27, 0x4E}};
const IID IID_IObex = {0x0C5A5B12, 0x2979, 0x42D1, {0x9E, 0x15, 0xA6, 0x3E, 0x34, 0x38, 0x3B, 0x58}};
const CLSID CLSID_HeaderCollection = {0x30A7BC01, 0x59B6, 0x40BB, {0xAA, 0x2B, 0x89, 0xEB, 0x49, 0xEF, 0x27, 0x4E}};
const IID IID_IHeaderCollection = {0x6561D66B, 0x8CC1, 0x49F9, {0x80, 0x71, 0x63, 0x2D, 0x28, 0x8E, 0xDA, 0xF3}};
const IID IID_IObexSink = {0x80DFC5AB, 0xBF07, 0x4612, {0xBA, 0xCE, 0xAE, 0xBC, 0x01, 0x29, 0x59, 0x0A}};
const CLSID CLSID_IrdaTransport = {0x30A7BC03, 0x59B6, 0x40BB, {0xAA, 0x2B, 0x89, 0xEB, 0x49, 0xEF, 0x27, 0x4E}};
const CLSID CLSID_BluetoothTransport = {0x30A7BC02, 0x59B6, 0x40BB, {0xAA, 0x2B, 0x89, 0xEB, 0x49, 0xEF, 0x27, 0x4E}};
}

namespace {
// Hands our own header collection back from its interface.
const IID IID_PlatHeaders = {0x30A7BC7F, 0x59B6, 0x40BB, {0xAA, 0x2B, 0x89, 0xEB, 0x49, 0xEF, 0x27, 0x4E}};

#define OBEX_DEFAULT_HOST "127.0.0.1"

// One reference count, interfaces answered by the class.
template <class T> class RefCounted : public T {
protected:
    std::atomic<ULONG> m_cRef{1};

public:
    virtual ~RefCounted() {}
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_cRef; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        ULONG c = --m_cRef;
        if (c == 0)
            delete this;
        return c;
    }
};

template <class T> HRESULT Answer(T *p, void **ppv)
{
    *ppv = p;
    p->AddRef();
    return S_OK;
}

// ---- devices in range --------------------------------------------------------------

struct DeviceInfo {
    std::wstring name;
    std::wstring transport;   // a GUID in registry form, or any text the profile gives
    bool fDoubleAddress;
    LONG lAddress;
    double dAddress;
    std::string host;
    WORD wPort;
    bool Same(const DeviceInfo &o) const
    {
        return fDoubleAddress == o.fDoubleAddress && (fDoubleAddress ? dAddress == o.dAddress : lAddress == o.lAddress);
    }
};

std::wstring TransportText(const std::wstring &given)
{
    WCHAR sz[40];
    const CLSID *pclsid = nullptr;
    if (_wcsicmp(given.c_str(), L"irda") == 0)
        pclsid = &CLSID_IrdaTransport;
    else if (_wcsicmp(given.c_str(), L"bluetooth") == 0)
        pclsid = &CLSID_BluetoothTransport;
    if (!pclsid || !StringFromGUID2(*pclsid, sz, ARRAYSIZE(sz)))
        return given;
    return sz;
}

// Infrared reaches the few devices within a metre of the handset: a longer
// list in the profile is cut here, so discovery and the beam page that hears
// of each device stay as quick as with a short one.
const size_t kMaxDevicesInRange = 32;

std::vector<DeviceInfo> DevicesInRange(DWORD *pdwTimeoutMs)
{
    nlohmann::json irda = PlatProfileLoad(L"irda.json");
    if (pdwTimeoutMs)
        *pdwTimeoutMs = (DWORD)PlatProfileNumber(irda, "timeout", 50, 600000, 10000);
    std::vector<DeviceInfo> devices;
    for (const nlohmann::json &j : PlatProfileArray(irda, "devices")) {
        if (!j.is_object() || !PlatProfileFlag(j, "inRange", true))
            continue;
        DeviceInfo d;
        d.name = PlatProfileText(j, "name", 64, L"");
        d.transport = TransportText(PlatProfileText(j, "transport", 64, L"irda"));
        const nlohmann::json *pAddress = j.contains("address") ? &j["address"] : nullptr;
        d.fDoubleAddress = pAddress && pAddress->is_number_float();
        d.dAddress = d.fDoubleAddress ? pAddress->get<double>() : 0;
        d.lAddress = (LONG)(DWORD)PlatProfileNumber(j, "address", 0, 0xFFFFFFFF, 0);
        std::wstring host = PlatProfileText(j, "host", 15, L"" OBEX_DEFAULT_HOST);
        d.host.assign(host.begin(), host.end());
        d.wPort = (WORD)PlatProfileNumber(j, "port", 1, 65535, OBEX_DEFAULT_PORT);
        if (!d.name.empty())
            devices.push_back(d);
        if (devices.size() >= kMaxDevicesInRange)
            break;
    }
    return devices;
}

// ---- property bag -------------------------------------------------------------------

class PropertyBag final : public RefCounted<IPropertyBag> {
    std::map<std::wstring, VARIANT> m_values;

public:
    explicit PropertyBag(const DeviceInfo &d)
    {
        Set(L"Name", d.name);
        Set(L"Transport", d.transport);
        VARIANT v;
        VariantInit(&v);
        if (d.fDoubleAddress) {
            v.vt = VT_R8;
            v.dblVal = d.dAddress;
        } else {
            v.vt = VT_I4;
            v.lVal = d.lAddress;
        }
        m_values[L"Address"] = v;
    }
    ~PropertyBag() override
    {
        for (auto &kv : m_values)
            VariantClear(&kv.second);
    }
    void Set(const wchar_t *pszName, const std::wstring &text)
    {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_BSTR;
        v.bstrVal = SysAllocStringLen(text.data(), (UINT)text.size());
        m_values[pszName] = v;
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPropertyBag))
            return Answer(this, ppv);
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR pszName, VARIANT *pv, IErrorLog *) override
    {
        if (!pszName || !pv)
            return E_POINTER;
        auto it = m_values.find(pszName);
        if (it == m_values.end())
            return E_INVALIDARG;
        VariantInit(pv);
        return VariantCopy(pv, &it->second);
    }
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR, VARIANT *) override { return E_NOTIMPL; }
};

// ---- header collection -------------------------------------------------------------

class HeaderCollection final : public RefCounted<IHeaderCollection> {
public:
    std::wstring m_name;
    BOOL m_fHasLength = FALSE;
    DWORD m_cbLength = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IHeaderCollection) ||
            IsEqualIID(riid, IID_PlatHeaders))
            return Answer(this, ppv);
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE AddName(LPCWSTR pszName) override
    {
        if (!pszName)
            return E_POINTER;
        size_t cch = wcsnlen(pszName, MAX_PATH);
        if (cch >= MAX_PATH)
            return E_INVALIDARG;
        m_name.assign(pszName, cch);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE AddLength(DWORD cb) override
    {
        m_fHasLength = TRUE;
        m_cbLength = cb;
        return S_OK;
    }
};

HeaderCollection *OwnHeaders(IHeaderCollection *p)
{
    void *pv = nullptr;
    if (!p || FAILED(p->QueryInterface(IID_PlatHeaders, &pv)))
        return nullptr;
    HeaderCollection *ph = static_cast<HeaderCollection *>(static_cast<IHeaderCollection *>(pv));
    ph->Release();  // the caller still holds its own reference
    return ph;
}

// ---- device and its put stream ------------------------------------------------------

class ObexDevice;

class PutStream final : public RefCounted<IStream> {
    ObexDevice *m_pDevice;

public:
    explicit PutStream(ObexDevice *pDevice);
    ~PutStream() override;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ISequentialStream) ||
            IsEqualIID(riid, IID_IStream))
            return Answer(this, ppv);
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE Read(void *, ULONG, ULONG *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Write(const void *pv, ULONG cb, ULONG *pcbWritten) override;
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream *, ULARGE_INTEGER, ULARGE_INTEGER *, ULARGE_INTEGER *) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override;
    HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG *, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IStream **) override { return E_NOTIMPL; }
};

std::atomic<LONG> g_cDevices{0};

class ObexDevice final : public RefCounted<IObexDevice> {
    DeviceInfo m_info;
    DWORD m_dwTimeoutMs;
    ObexClient *m_pClient = nullptr;

public:
    ObexDevice(const DeviceInfo &info, DWORD dwTimeoutMs) : m_info(info), m_dwTimeoutMs(dwTimeoutMs) { ++g_cDevices; }
    ~ObexDevice() override
    {
        delete m_pClient;
        --g_cDevices;
    }
    ObexClient *Client() { return m_pClient; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown))
            return Answer(this, ppv);
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE Connect(LPCWSTR, DWORD, IHeaderCollection *) override
    {
        if (m_pClient)
            return E_UNEXPECTED;
        SOCKET s = ObexDial(m_info.host, m_info.wPort, m_dwTimeoutMs);
        if (s == INVALID_SOCKET)
            return HRESULT_FROM_WIN32(WSAECONNREFUSED);
        m_pClient = new ObexClient(new ObexSocketLink(s, m_dwTimeoutMs, TRUE));
        HRESULT hr = m_pClient->Connect();
        if (FAILED(hr)) {
            delete m_pClient;
            m_pClient = nullptr;
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Put(IHeaderCollection *pHeaders, IStream **ppStream) override
    {
        if (!ppStream)
            return E_POINTER;
        *ppStream = nullptr;
        HeaderCollection *ph = OwnHeaders(pHeaders);
        if (!m_pClient || !ph)
            return E_INVALIDARG;
        HRESULT hr = m_pClient->BeginPut(ph->m_name, ph->m_fHasLength, ph->m_cbLength);
        if (SUCCEEDED(hr))
            *ppStream = new PutStream(this);
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Abort(IHeaderCollection *) override
    {
        if (!m_pClient || !m_pClient->InPut())
            return E_UNEXPECTED;
        return m_pClient->Abort();
    }
    HRESULT STDMETHODCALLTYPE Disconnect(IHeaderCollection *) override
    {
        if (!m_pClient)
            return E_UNEXPECTED;
        if (m_pClient->InPut())
            m_pClient->EndPut();
        HRESULT hrPut = m_pClient->LastPutResult();
        HRESULT hr = m_pClient->Disconnect();
        delete m_pClient;
        m_pClient = nullptr;
        return FAILED(hrPut) ? hrPut : hr;
    }
};

PutStream::PutStream(ObexDevice *pDevice) : m_pDevice(pDevice)
{
    m_pDevice->AddRef();
}

// The last release ends the object: the End-of-Body goes out.
PutStream::~PutStream()
{
    Commit(0);
    m_pDevice->Release();
}

HRESULT PutStream::Write(const void *pv, ULONG cb, ULONG *pcbWritten)
{
    if (pcbWritten)
        *pcbWritten = 0;
    ObexClient *pClient = m_pDevice->Client();
    if (!pClient || (!pv && cb))
        return STG_E_INVALIDPOINTER;
    HRESULT hr = pClient->PutData((const BYTE *)pv, cb);
    if (FAILED(hr))
        return STG_E_WRITEFAULT;
    if (pcbWritten)
        *pcbWritten = cb;
    return S_OK;
}

HRESULT PutStream::Commit(DWORD)
{
    ObexClient *pClient = m_pDevice->Client();
    if (!pClient || !pClient->InPut())
        return pClient ? pClient->LastPutResult() : E_UNEXPECTED;
    return pClient->EndPut();
}

// ---- the OBEX object, its connection point and discovery ------------------------------

class ObexObject;

class SinkPoint final : public IConnectionPoint {
    ObexObject *m_pOwner;

public:
    std::mutex m_lock;
    std::map<DWORD, IObexSink *> m_sinks;
    DWORD m_dwNextCookie = 1;

    explicit SinkPoint(ObexObject *pOwner) : m_pOwner(pOwner) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID *piid) override
    {
        if (!piid)
            return E_POINTER;
        *piid = IID_IObexSink;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer **ppcpc) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown *pUnk, DWORD *pdwCookie) override
    {
        if (!pUnk || !pdwCookie)
            return E_POINTER;
        void *pv = nullptr;
        if (FAILED(pUnk->QueryInterface(IID_IObexSink, &pv)))
            return CONNECT_E_CANNOTCONNECT;
        std::lock_guard<std::mutex> guard(m_lock);
        *pdwCookie = m_dwNextCookie++;
        m_sinks[*pdwCookie] = static_cast<IObexSink *>(pv);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD dwCookie) override
    {
        IObexSink *pSink = nullptr;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            auto it = m_sinks.find(dwCookie);
            if (it == m_sinks.end())
                return CONNECT_E_NOCONNECTION;
            pSink = it->second;
            m_sinks.erase(it);
        }
        pSink->Release();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections **) override { return E_NOTIMPL; }
    void Notify(DWORD dwEvent, IPropertyBag *pBag)
    {
        std::vector<IObexSink *> sinks;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            for (auto &kv : m_sinks) {
                kv.second->AddRef();
                sinks.push_back(kv.second);
            }
        }
        for (IObexSink *pSink : sinks) {
            pSink->Notify(dwEvent, pBag, nullptr);
            pSink->Release();
        }
    }
    void ReleaseAll()
    {
        std::map<DWORD, IObexSink *> sinks;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            sinks.swap(m_sinks);
        }
        for (auto &kv : sinks)
            kv.second->Release();
    }
};

class ObexObject final : public RefCounted<IObex>, public IConnectionPointContainer {
    SinkPoint m_point{this};
    BOOL m_fInitialized = FALSE;
    HANDLE m_hStop = nullptr;
    HANDLE m_hThread = nullptr;

    static DWORD WINAPI EnumThread(void *pv)
    {
        static_cast<ObexObject *>(pv)->Discover();
        return 0;
    }

    // Arrivals, departures and updates of the devices in range, checked
    // every quarter of a second until stopped.
    void Discover()
    {
        std::vector<DeviceInfo> known;
        PlatFileStamp stampRead = {};
        bool fRead = false;
        do {
            // An unchanged file holds the same devices: a large one is not parsed again.
            PlatFileStamp stamp = PlatStampOf(PlatProfilePath(L"irda.json"));
            if (fRead && !(stamp != stampRead))
                continue;
            fRead = true;
            stampRead = stamp;
            std::vector<DeviceInfo> now = DevicesInRange(nullptr);
            for (const DeviceInfo &d : known) {
                bool fStill = false;
                for (const DeviceInfo &n : now)
                    fStill = fStill || n.Same(d);
                if (!fStill)
                    Announce(OE_DEVICE_DEPARTURE, d);
            }
            for (const DeviceInfo &n : now) {
                const DeviceInfo *pOld = nullptr;
                for (const DeviceInfo &d : known)
                    if (d.Same(n))
                        pOld = &d;
                if (!pOld)
                    Announce(OE_DEVICE_ARRIVAL, n);
                else if (pOld->name != n.name || pOld->transport != n.transport)
                    Announce(OE_DEVICE_UPDATE, n);
            }
            known.swap(now);
        } while (WaitForSingleObject(m_hStop, 250) == WAIT_TIMEOUT);
    }

    void Announce(DWORD dwEvent, const DeviceInfo &d)
    {
        PropertyBag *pBag = new PropertyBag(d);
        m_point.Notify(dwEvent, pBag);
        pBag->Release();
    }

public:
    ~ObexObject() override
    {
        StopDeviceEnum();
        m_point.ReleaseAll();
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IObex))
            return Answer(static_cast<IObex *>(this), ppv);
        if (IsEqualIID(riid, IID_IConnectionPointContainer))
            return Answer(static_cast<IConnectionPointContainer *>(this), ppv);
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return RefCounted<IObex>::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return RefCounted<IObex>::Release(); }

    HRESULT STDMETHODCALLTYPE Initialize() override
    {
        if (m_fInitialized)
            return E_UNEXPECTED;
        nlohmann::json irda = PlatProfileLoad(L"irda.json");
        if (!PlatProfileFlag(irda, "available", true) || !ObexStartSockets())
            return E_FAIL;
        m_fInitialized = TRUE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Shutdown() override
    {
        if (!m_fInitialized)
            return E_UNEXPECTED;
        StopDeviceEnum();
        m_fInitialized = FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE StartDeviceEnum() override
    {
        if (!m_fInitialized)
            return E_UNEXPECTED;
        if (m_hThread)
            return S_OK;
        m_hStop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        m_hThread = m_hStop ? CreateThread(nullptr, 0, EnumThread, this, 0, nullptr) : nullptr;
        if (!m_hThread) {
            if (m_hStop)
                CloseHandle(m_hStop);
            m_hStop = nullptr;
            return E_FAIL;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE StopDeviceEnum() override
    {
        if (!m_hThread)
            return S_OK;
        SetEvent(m_hStop);
        WaitForSingleObject(m_hThread, INFINITE);
        CloseHandle(m_hThread);
        CloseHandle(m_hStop);
        m_hThread = m_hStop = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE BindToDevice(IPropertyBag *pProps, IObexDevice **ppDevice) override
    {
        if (!pProps || !ppDevice)
            return E_POINTER;
        *ppDevice = nullptr;
        if (!m_fInitialized)
            return E_UNEXPECTED;
        VARIANT v;
        VariantInit(&v);
        if (FAILED(pProps->Read(L"Address", &v, nullptr)))
            return E_INVALIDARG;
        DeviceInfo wanted = {};
        wanted.fDoubleAddress = v.vt == VT_R8;
        wanted.dAddress = v.vt == VT_R8 ? v.dblVal : 0;
        wanted.lAddress = v.vt == VT_I4 ? v.lVal : 0;
        BOOL fKnownType = v.vt == VT_R8 || v.vt == VT_I4;
        VariantClear(&v);
        DWORD dwTimeoutMs = 0;
        for (const DeviceInfo &d : DevicesInRange(&dwTimeoutMs)) {
            if (fKnownType && d.Same(wanted)) {
                *ppDevice = new ObexDevice(d, dwTimeoutMs);
                return S_OK;
            }
        }
        return HRESULT_FROM_WIN32(ERROR_DEV_NOT_EXIST);  // gone out of range
    }

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint **ppcp) override
    {
        if (!ppcp)
            return E_POINTER;
        *ppcp = nullptr;
        if (!IsEqualIID(riid, IID_IObexSink))
            return CONNECT_E_NOCONNECTION;
        return Answer(static_cast<IConnectionPoint *>(&m_point), (void **)ppcp);
    }
};

HRESULT SinkPoint::QueryInterface(REFIID riid, void **ppv)
{
    if (!ppv)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IConnectionPoint))
        return Answer(static_cast<IConnectionPoint *>(this), ppv);
    *ppv = nullptr;
    return E_NOINTERFACE;
}

// The point lives inside the OBEX object and shares its count.
ULONG SinkPoint::AddRef()
{
    return static_cast<IObex *>(m_pOwner)->AddRef();
}

ULONG SinkPoint::Release()
{
    return static_cast<IObex *>(m_pOwner)->Release();
}

HRESULT SinkPoint::GetConnectionPointContainer(IConnectionPointContainer **ppcpc)
{
    if (!ppcpc)
        return E_POINTER;
    return m_pOwner->QueryInterface(IID_IConnectionPointContainer, (void **)ppcpc);
}
} // namespace

extern "C" LONG WINAPI PlatObexDeviceCount(void)
{
    return g_cDevices;
}

// The OBEX classes, as CoCreateInstance hands them out; FALSE for another class.
BOOL PlatCreateObexObject(REFCLSID rclsid, LPUNKNOWN pUnkOuter, REFIID riid, LPVOID *ppv, HRESULT *phr)
{
    IUnknown *p = nullptr;
    if (IsEqualCLSID(rclsid, CLSID_Obex))
        p = static_cast<IObex *>(new ObexObject);
    else if (IsEqualCLSID(rclsid, CLSID_HeaderCollection))
        p = new HeaderCollection;
    else
        return FALSE;
    if (pUnkOuter) {
        p->Release();
        *phr = CLASS_E_NOAGGREGATION;
        return TRUE;
    }
    *phr = p->QueryInterface(riid, ppv);
    p->Release();
    return TRUE;
}
