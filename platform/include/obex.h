// The handset's OBEX objects as the programs see them: the OBEX object that
// finds devices and binds to one, the device's Connect / Put / Abort / Disconnect,
// the header collection, the event sink, and the receive server's driver
// "OBX0:". Our own declarations of what the programs call, no more.
#pragma once
#include <windows.h>
#include <objbase.h>
#include <ocidl.h>

#ifdef __cplusplus
extern "C" {
#endif
extern const CLSID CLSID_Obex;
extern const IID IID_IObex;
extern const CLSID CLSID_HeaderCollection;
extern const IID IID_IHeaderCollection;
extern const IID IID_IObexSink;
// Compared with a device's "Transport" property.
extern const CLSID CLSID_IrdaTransport;
extern const CLSID CLSID_BluetoothTransport;
#ifdef __cplusplus
}
#endif

// Events the sink receives; the first IUnknown is the device's property
// bag ("Name", "Transport", "Address").
#define OE_DEVICE_ARRIVAL   5
#define OE_DEVICE_DEPARTURE 6
#define OE_DEVICE_UPDATE    7

// The receive server's driver: "OBX0:" opened for reading and writing.
#define IOCTL_SERVICE_STATUS 0x01040020  // out: a 32-bit state
#define IOCTL_SERVICE_START  0x01040004
#define IOCTL_SERVICE_STOP   0x01040008
#define SERVICE_STATE_OFF            0
#define SERVICE_STATE_ON             1
#define SERVICE_STATE_STARTING_UP    2
#define SERVICE_STATE_SHUTTING_DOWN  3
#define SERVICE_STATE_UNLOADING      4
#define SERVICE_STATE_UNINITIALIZED  5

struct IHeaderCollection : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE AddName(LPCWSTR pszName) = 0;
    // The object's size in bytes; left out, the peer learns it at the end.
    virtual HRESULT STDMETHODCALLTYPE AddLength(DWORD cb) = 0;
};

struct IObexDevice : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Connect(LPCWSTR pszPassword, DWORD dwCapability,
                                              IHeaderCollection *pHeaders) = 0;
    // The stream's writes go out as Body packets; its Commit (or else its
    // final release) sends the End-of-Body and gives the receiver's answer,
    // which Disconnect also reports when it failed.
    virtual HRESULT STDMETHODCALLTYPE Put(IHeaderCollection *pHeaders, IStream **ppStream) = 0;
    virtual HRESULT STDMETHODCALLTYPE Disconnect(IHeaderCollection *pHeaders) = 0;
    // Ends the put in progress without its End-of-Body (OBEX Abort): the
    // receiver keeps nothing of it.
    virtual HRESULT STDMETHODCALLTYPE Abort(IHeaderCollection *pHeaders) = 0;
};

struct IObex : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Initialize() = 0;
    virtual HRESULT STDMETHODCALLTYPE Shutdown() = 0;
    virtual HRESULT STDMETHODCALLTYPE StartDeviceEnum() = 0;
    virtual HRESULT STDMETHODCALLTYPE StopDeviceEnum() = 0;
    virtual HRESULT STDMETHODCALLTYPE BindToDevice(IPropertyBag *pProps, IObexDevice **ppDevice) = 0;
};

// Advised on the OBEX object's connection point; called on the platform's threads.
struct IObexSink : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Notify(DWORD dwEvent, IUnknown *pUnk1, IUnknown *pUnk2) = 0;
};
