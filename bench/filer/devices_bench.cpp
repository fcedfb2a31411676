// Device discovery for the beam page with 20, 200 and 2,000 devices in
// irda.json: from StartDeviceEnum until the arrivals stop, and from
// StopDeviceEnum until it returns (what closing the page waits for), against
// one bare read of irda.json. Both ratios must stay flat as the list grows.
#include <windows.h>
#include <cstdio>
#include <string>
#include <vector>
#include "platform.h"
#include "obex.h"
#include "../benchtime.h"

static const int kSample = 20;

// Counts arrivals; signals when the awaited number has come.
class CountingSink final : public IObexSink {
    LONG m_cRef = 1;

public:
    LONG cArrivals = 0;
    LONG cAwaited = 0;
    HANDLE hDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override
    {
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IObexSink)) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        *ppv = static_cast<IObexSink *>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return (ULONG)InterlockedIncrement(&m_cRef); }
    ULONG STDMETHODCALLTYPE Release() override { return (ULONG)InterlockedDecrement(&m_cRef); }
    HRESULT STDMETHODCALLTYPE Notify(DWORD dwEvent, IUnknown *, IUnknown *) override
    {
        if (dwEvent == OE_DEVICE_ARRIVAL && InterlockedIncrement(&cArrivals) == cAwaited)
            SetEvent(hDone);
        return S_OK;
    }
};

static void WriteDevices(int c)
{
    nlohmann::json devices = nlohmann::json::array();
    for (int i = 1; i <= c; ++i)
        devices.push_back({{"name", "Laptop " + std::to_string(i)}, {"transport", "irda"}, {"address", i}});
    PlatProfileSave(L"irda.json", {{"devices", devices}});
}

int wmain()
{
    if (!PlatProfileDir()[0]) {
        fwprintf(stderr, L"no profile folder (PHONE_PROFILE)\n");
        return 1;
    }
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    IObex *pObex = nullptr;
    if (FAILED(CoCreateInstance(CLSID_Obex, nullptr, CLSCTX_INPROC_SERVER, IID_IObex, (void **)&pObex)) ||
        FAILED(pObex->Initialize())) {
        fwprintf(stderr, L"no OBEX object\n");
        return 1;
    }
    IConnectionPointContainer *pContainer = nullptr;
    IConnectionPoint *pPoint = nullptr;
    DWORD dwCookie = 0;
    CountingSink sink;
    pObex->QueryInterface(IID_IConnectionPointContainer, (void **)&pContainer);
    pContainer->FindConnectionPoint(IID_IObexSink, &pPoint);
    pPoint->Advise(&sink, &dwCookie);
    for (int cScale : {1, 10, 100}) {
        int cDevices = kSample * cScale;
        WriteDevices(cDevices);
        std::vector<double> vSettle, vStop, vRead;
        LONG cArrivals = 0;
        for (int r = 0; r < 5; ++r) {
            double t0 = Now();
            PlatProfileLoad(L"irda.json");
            double t1 = Now();
            // Arrivals come in a burst; the burst is over when none came for 300 ms.
            sink.cArrivals = 0;
            sink.cAwaited = -1;
            pObex->StartDeviceEnum();
            LONG cSeen = -1;
            double tLast = Now();
            while (Now() - tLast < 0.3) {
                if (sink.cArrivals != cSeen) {
                    cSeen = sink.cArrivals;
                    tLast = Now();
                }
                Sleep(5);
            }
            double t2 = Now();
            pObex->StopDeviceEnum();
            double t3 = Now();
            cArrivals = sink.cArrivals;
            vRead.push_back(t1 - t0);
            vSettle.push_back(tLast - t1);
            vStop.push_back(t3 - t2);
        }
        wprintf(L"%5d devices (%ld arrivals): settled / bare read of irda.json: %.2f;"
                L" stop / bare read: %.2f\n",
                cDevices, cArrivals, Median(vSettle) / Median(vRead), Median(vStop) / Median(vRead));
    }
    pPoint->Unadvise(dwCookie);
    pPoint->Release();
    pContainer->Release();
    pObex->Shutdown();
    pObex->Release();
    CoUninitialize();
    return 0;
}
