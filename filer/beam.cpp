// Send by IR: the OBEX object, the beam page with its one device row, the
// event sink that posts the platform's device events to the page, and Beam
// itself, which puts the selected file to the bound device.
#include "beam.h"
#include "mainwnd.h"
#include "filelist.h"
#include "kit.h"
#include "listkit.h"
#include "obex.h"
#include "../res/tavel/resource.h"
#include <commctrl.h>
#include <strsafe.h>
#include <initializer_list>

#define STRIP_TOP_Y0    0
#define STRIP_BOTTOM_Y0 160
#define STRIP_CY        20

enum BeamStripState { STRIP_NO_DEVICE, STRIP_ARRIVAL, STRIP_DEPARTURE, STRIP_SENDING, STRIP_PENDING };

// What Send by IR hands the page, and what the page hands back.
struct BeamRequest {
    IObex *pObex;
    IObexDevice *pDevice;
    WCHAR szName[MAX_PATH];
    WCHAR szPath[MAX_PATH];
};

// ---- the event sink ------------------------------------------------------------------

// Lives as long as its references; forwards events while its page exists.
class BeamSink final : public IObexSink {
    LONG m_cRef = 1;
    HWND m_hwndPage;

public:
    explicit BeamSink(HWND hwndPage) : m_hwndPage(hwndPage) {}
    void Detach() { InterlockedExchangePointer((PVOID *)&m_hwndPage, nullptr); }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IObexSink)) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        *ppv = static_cast<IObexSink *>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return (ULONG)InterlockedIncrement(&m_cRef); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG c = InterlockedDecrement(&m_cRef);
        if (c == 0)
            delete this;
        return (ULONG)c;
    }
    HRESULT STDMETHODCALLTYPE Notify(DWORD dwEvent, IUnknown *pUnk1, IUnknown *) override
    {
        HWND hwnd = (HWND)InterlockedCompareExchangePointer((PVOID *)&m_hwndPage, nullptr, nullptr);
        if (!hwnd || !IsWindow(hwnd) || !pUnk1)
            return S_OK;
        IPropertyBag *pBag = nullptr;
        if (FAILED(pUnk1->QueryInterface(IID_IPropertyBag, (void **)&pBag)))
            return S_OK;
        if (!PostMessageW(hwnd, WM_BEAM_EVENT, dwEvent, (LPARAM)pBag))
            pBag->Release();
        return S_OK;
    }
};

// ---- page state ----------------------------------------------------------------------

static BeamRequest *s_pRequest;
static IConnectionPointContainer *s_pContainer;
static IConnectionPoint *s_pPoint;
static DWORD s_dwCookie;
static BeamSink *s_pSink;
static HWND s_hwndPage;
static HWND s_hwndList;
static HWND s_hwndBar;
static HIMAGELIST s_himl;
static HFONT s_hfontList;
static int s_iStripState;
static ULONGLONG s_cbFile;
static ULONGLONG s_cbSent;
static WCHAR s_szStrip[64];

// ---- strips --------------------------------------------------------------------------

void FormatBeamStrip(int iState, ULONGLONG cbSent, ULONGLONG cbFile, WCHAR *psz, size_t cch)
{
    static const UINT kIds[] = {IDS_BEAM_NO_DEVICE, IDS_BEAM_ARRIVAL, IDS_BEAM_DEPARTURE, IDS_BEAM_SENDING,
                                IDS_BEAM_PENDING};
    WCHAR szState[40] = L"";
    if (iState >= 0 && iState < (int)ARRAYSIZE(kIds))
        LoadStringW(g_hInst, kIds[iState], szState, ARRAYSIZE(szState));
    if (iState != STRIP_SENDING || cbFile == 0) {
        StringCchCopyW(psz, cch, szState);
        return;
    }
    // sent * 100 would overflow 64 bits only past 184 PB; divide first there.
    ULONGLONG ullPercent = cbSent <= ~0ULL / 100 ? cbSent * 100 / cbFile : cbSent / (cbFile / 100 ? cbFile / 100 : 1);
    StringCchPrintfW(psz, cch, L"%s %d%%", szState, (int)(ullPercent > 100 ? 100 : ullPercent));
}

LPCWSTR GetBeamStripText()
{
    return s_szStrip;
}

static void DrawStrip(HDC hdc, int y0, LPCWSTR pszText)
{
    Rectangle(hdc, -1, y0, 177, y0 + STRIP_CY);
    RECT rc = {0, y0, 176, y0 + STRIP_CY};
    HGDIOBJ hfontOld = SelectObject(hdc, s_hfontList);
    SetBkMode(hdc, TRANSPARENT);
    DrawTextW(hdc, pszText, -1, &rc, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(hdc, hfontOld);
}

static void PaintStripsOn(HDC hdc)
{
    WCHAR szHint[64];
    if (!LoadStringW(g_hInst, IDS_BEAM_HINT, szHint, ARRAYSIZE(szHint)))
        szHint[0] = 0;
    DrawStrip(hdc, STRIP_TOP_Y0, szHint);
    FormatBeamStrip(s_iStripState, s_cbSent, s_cbFile, s_szStrip, ARRAYSIZE(s_szStrip));
    DrawStrip(hdc, STRIP_BOTTOM_Y0, s_szStrip);
}

static void SetStripState(int iState)
{
    s_iStripState = iState;
    HDC hdc = GetDC(s_hwndPage);
    if (!hdc)
        return;
    PaintStripsOn(hdc);
    ReleaseDC(s_hwndPage, hdc);
}

// ---- the device row --------------------------------------------------------------------

static BOOL s_fBeamEnabled;

static void EnableBeamKey(BOOL fEnable)
{
    s_fBeamEnabled = fEnable;
    SendMessageW(s_hwndBar, TB_ENABLEBUTTON, IDM_BEAM, MAKELONG(fEnable, 0));
}

static void SetRowText(int iColumn, LPCWSTR pszText)
{
    LVITEMW lvi = {};
    lvi.iSubItem = iColumn;
    lvi.pszText = (LPWSTR)pszText;
    SendMessageW(s_hwndList, LVM_SETITEMTEXTW, 0, (LPARAM)&lvi);
}

static IPropertyBag *RowBag()
{
    LVITEMW lvi = {};
    lvi.mask = LVIF_PARAM;
    if (!SendMessageW(s_hwndList, LVM_GETITEMW, 0, (LPARAM)&lvi))
        return nullptr;
    return (IPropertyBag *)lvi.lParam;
}

static void SetRowImageAndBag(int iImage, IPropertyBag *pBag)
{
    LVITEMW lvi = {};
    lvi.mask = LVIF_IMAGE | LVIF_PARAM;
    lvi.iImage = iImage;
    lvi.lParam = (LPARAM)pBag;
    SendMessageW(s_hwndList, LVM_SETITEMW, 0, (LPARAM)&lvi);
}

static void SetRowFromString(int iColumn, UINT ids)
{
    WCHAR sz[32];
    if (!LoadStringW(g_hInst, ids, sz, ARRAYSIZE(sz)))
        sz[0] = 0;
    SetRowText(iColumn, sz);
}

// "IR" / "Align" with the port's icon; the row's bag, if any, released.
static void ResetDeviceRow()
{
    IPropertyBag *pBag = RowBag();
    if (pBag)
        pBag->Release();
    SetRowImageAndBag(1, nullptr);
    SetRowFromString(0, IDS_BEAM_IR);
    SetRowFromString(1, IDS_BEAM_ALIGN);
}

// A text property; FALSE when missing or not a text.
static BOOL ReadText(IPropertyBag *pBag, LPCWSTR pszName, WCHAR *psz, size_t cch)
{
    VARIANT v;
    VariantInit(&v);
    BOOL fText = SUCCEEDED(pBag->Read(pszName, &v, nullptr)) && v.vt == VT_BSTR && v.bstrVal &&
                 SUCCEEDED(StringCchCopyNW(psz, cch, v.bstrVal, SysStringLen(v.bstrVal)));
    VariantClear(&v);
    return fText;
}

// The address as its type and value; FALSE when it is neither integer nor double.
static BOOL ReadAddress(IPropertyBag *pBag, VARIANT *pv)
{
    VariantInit(pv);
    if (!pBag || FAILED(pBag->Read(L"Address", pv, nullptr)))
        return FALSE;
    if (pv->vt == VT_I4 || pv->vt == VT_R8)
        return TRUE;
    VariantClear(pv);
    return FALSE;
}

static BOOL SameAddress(const VARIANT &a, const VARIANT &b)
{
    return a.vt == b.vt && (a.vt == VT_I4 ? a.lVal == b.lVal : a.dblVal == b.dblVal);
}

// Row 0 as "NAME (IRDA)" or "NAME (BT)"; FALSE when the bag lacks a
// name or a transport that is a GUID.
static BOOL SetDeviceText(IPropertyBag *pBag)
{
    WCHAR szName[128], szTransport[64], szRow[160];
    CLSID clsid;
    if (!ReadText(pBag, L"Name", szName, ARRAYSIZE(szName)) ||
        !ReadText(pBag, L"Transport", szTransport, ARRAYSIZE(szTransport)) ||
        FAILED(CLSIDFromString(szTransport, &clsid)))
        return FALSE;
    LPCWSTR pszKind = IsEqualCLSID(clsid, CLSID_IrdaTransport) ? L"IRDA" : L"BT";
    if (FAILED(StringCchPrintfW(szRow, ARRAYSIZE(szRow), L"%s (%s)", szName, pszKind)))
        return FALSE;
    SetRowText(0, szRow);
    SetRowText(1, L"");
    return TRUE;
}

static void OnArrival(IPropertyBag *pBag)
{
    SetStripState(STRIP_ARRIVAL);
    EnableBeamKey(TRUE);
    if (SetDeviceText(pBag)) {
        IPropertyBag *pOld = RowBag();
        if (pOld)
            pOld->Release();
        pBag->AddRef();
        SetRowImageAndBag(0, pBag);
    }
    SetStripState(STRIP_PENDING);
}

static void OnDeparture(IPropertyBag *pBag)
{
    SetStripState(STRIP_DEPARTURE);
    VARIANT vGone, vRow;
    if (ReadAddress(pBag, &vGone)) {
        EnableBeamKey(FALSE);
        if (ReadAddress(RowBag(), &vRow)) {
            if (SameAddress(vGone, vRow))
                ResetDeviceRow();
            VariantClear(&vRow);
        }
        VariantClear(&vGone);
    }
    SetStripState(STRIP_NO_DEVICE);
}

static void OnUpdate(IPropertyBag *pBag)
{
    VARIANT vEvent, vRow;
    if (!ReadAddress(pBag, &vEvent))
        return;
    if (ReadAddress(RowBag(), &vRow)) {
        if (SameAddress(vEvent, vRow))
            SetDeviceText(pBag);
        VariantClear(&vRow);
    }
    VariantClear(&vEvent);
}

static void OnDeviceEvent(DWORD dwEvent, IPropertyBag *pBag)
{
    if (!pBag)
        return;
    switch (dwEvent) {
    case OE_DEVICE_ARRIVAL: OnArrival(pBag); break;
    case OE_DEVICE_DEPARTURE: OnDeparture(pBag); break;
    case OE_DEVICE_UPDATE: OnUpdate(pBag); break;
    }
    pBag->Release();
}

// ---- Beam ------------------------------------------------------------------------------

static void ShowBeamMessage(UINT ids, LPCWSTR pszInsert = nullptr)
{
    ShowResourceMessage(nullptr, MB_ICONHAND, g_hInst, IDS_IRDA, ids, pszInsert);
}

static void ReleaseDevice()
{
    if (s_pRequest->pDevice)
        s_pRequest->pDevice->Release();
    s_pRequest->pDevice = nullptr;
}

static HRESULT CreateHeaders(IHeaderCollection **ppHeaders)
{
    return CoCreateInstance(CLSID_HeaderCollection, nullptr, CLSCTX_INPROC_SERVER, IID_IHeaderCollection,
                            (void **)ppHeaders);
}

// Ends the connection after a failure: the put in progress (if any)
// aborted, so the receiver keeps nothing of it, then Disconnect. Without a
// header collection the device is let go, which closes it as well.
static void EndConnection(BOOL fInPut)
{
    IHeaderCollection *pHeaders = nullptr;
    if (FAILED(CreateHeaders(&pHeaders))) {
        ReleaseDevice();
        return;
    }
    if (fInPut)
        s_pRequest->pDevice->Abort(pHeaders);
    s_pRequest->pDevice->Disconnect(pHeaders);
    pHeaders->Release();
}

// Steps 2 and 3: bind to the row's device and connect; the bag is used up.
// The device of an earlier attempt is let go first.
static BOOL BindAndConnect(IPropertyBag *pBag)
{
    ReleaseDevice();
    HRESULT hr = pBag ? s_pRequest->pObex->BindToDevice(pBag, &s_pRequest->pDevice) : E_INVALIDARG;
    if (pBag)
        pBag->Release();
    if (FAILED(hr) || !s_pRequest->pDevice) {
        s_pRequest->pDevice = nullptr;
        ShowBeamMessage(IDS_BEAM_CANT_BIND);
        return FALSE;
    }
    IHeaderCollection *pHeaders = nullptr;
    if (FAILED(CreateHeaders(&pHeaders))) {
        ReleaseDevice();
        ShowBeamMessage(IDS_BEAM_UNKNOWN_ERROR);
        return FALSE;
    }
    hr = s_pRequest->pDevice->Connect(nullptr, 0, pHeaders);
    pHeaders->Release();
    if (FAILED(hr)) {
        ReleaseDevice();
        ShowBeamMessage(IDS_BEAM_CANT_CONNECT);
        return FALSE;
    }
    return TRUE;
}

// Step 5: the put's stream, with the name (and length when it fits).
static IStream *StartPut(HANDLE hFile)
{
    BY_HANDLE_FILE_INFORMATION bhfi;
    IHeaderCollection *pHeaders = nullptr;
    IStream *pStream = nullptr;
    if (!GetFileInformationByHandle(hFile, &bhfi) || FAILED(CreateHeaders(&pHeaders)))
        return nullptr;
    s_cbFile = ((ULONGLONG)bhfi.nFileSizeHigh << 32) | bhfi.nFileSizeLow;
    HRESULT hr = pHeaders->AddName(s_pRequest->szName);
    if (SUCCEEDED(hr) && bhfi.nFileSizeHigh == 0)
        hr = pHeaders->AddLength(bhfi.nFileSizeLow);
    if (SUCCEEDED(hr))
        hr = s_pRequest->pDevice->Put(pHeaders, &pStream);
    pHeaders->Release();
    return SUCCEEDED(hr) ? pStream : nullptr;
}

// Step 6: the file in pieces of 5,000 bytes, the strip after each; TRUE
// when every piece was read, written whole, and the receiver took the
// whole object.
static BOOL SendBody(HANDLE hFile, IStream *pStream)
{
    static BYTE s_abChunk[BEAM_CHUNK];
    s_cbSent = 0;
    SetStripState(STRIP_SENDING);
    DWORD cbRead = 0;
    do {
        // A read that fails is no end of the file: the peer would keep a cut one.
        if (!ReadFile(hFile, s_abChunk, sizeof(s_abChunk), &cbRead, nullptr))
            return FALSE;
        ULONG cbWritten = 0;
        HRESULT hr = pStream->Write(s_abChunk, cbRead, &cbWritten);
        s_cbSent += cbWritten;
        SetStripState(STRIP_SENDING);
        if (FAILED(hr) || cbWritten != cbRead)
            return FALSE;
    } while (cbRead == sizeof(s_abChunk));
    // The End-of-Body now: a receiver that refuses the object fails the beam.
    return SUCCEEDED(pStream->Commit(STGC_DEFAULT));
}

static void SendFile()
{
    HANDLE hFile = CreateFileW(s_pRequest->szPath, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        EndConnection(FALSE);
        ShowBeamMessage(IDS_BEAM_CANT_OPEN, s_pRequest->szPath);
        return;
    }
    IStream *pStream = StartPut(hFile);
    if (!pStream) {
        CloseHandle(hFile);
        EndConnection(FALSE);
        ShowBeamMessage(IDS_BEAM_UNKNOWN_ERROR);
        return;
    }
    BOOL fSent = SendBody(hFile, pStream);
    // Aborted before the stream's release could end the put as if whole.
    if (!fSent)
        EndConnection(TRUE);
    pStream->Release();
    CloseHandle(hFile);
    if (!fSent) {
        ShowBeamMessage(IDS_BEAM_FAILED);
        return;
    }
    IHeaderCollection *pHeaders = nullptr;
    HRESULT hr = CreateHeaders(&pHeaders);
    if (SUCCEEDED(hr)) {
        hr = s_pRequest->pDevice->Disconnect(pHeaders);
        pHeaders->Release();
    }
    if (FAILED(hr)) {
        ShowBeamMessage(IDS_BEAM_CANT_DISCONNECT);
        return;
    }
    SetStripState(STRIP_PENDING);
    s_pRequest->pObex->StartDeviceEnum();
}

static void OnBeam()
{
    // A Beam that reaches the page while the key is grey (queued during a
    // put) would start a second put with no device.
    if (!s_fBeamEnabled)
        return;
    // Grey for the whole put, shown now: the page takes no messages until it ends.
    EnableBeamKey(FALSE);
    UpdateWindow(s_hwndBar);
    // The row gives its bag up to the attempt.
    IPropertyBag *pBag = RowBag();
    SetRowImageAndBag(1, nullptr);
    if (FAILED(s_pRequest->pObex->StopDeviceEnum()))
        ResetDeviceRow();
    if (BindAndConnect(pBag))
        SendFile();
    ResetDeviceRow();
    // A message box above may have let an arrival enable it again.
    EnableBeamKey(FALSE);
    // Keys pressed during the put act now, while Beam is still grey: a
    // device arriving first must not turn them into a second put.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    // Discovery goes on after a failure too, so the user can try again.
    s_pRequest->pObex->StartDeviceEnum();
}

// ---- opening and closing -----------------------------------------------------------------

static BOOL CreateDeviceList(HWND hdlg)
{
    RECT rc;
    GetClientRect(hdlg, &rc);
    ListColumn aCols[2] = {{rc.right - 50, LVCFMT_LEFT}, {50, LVCFMT_RIGHT}};
    rc.top += STRIP_CY;
    rc.bottom -= STRIP_CY;
    s_hfontList = CreateSystemFont(-12, FW_NORMAL);
    s_hwndList = CreateKitList(hdlg, L"LISTITEM", LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                               rc, IDC_BEAM_LIST, s_hfontList, aCols, 2, FALSE);
    s_himl = ImageList_Create(16, 16, ILC_MASK | ILC_COLOR32, 2, 0);
    if (!s_hwndList || !s_himl)
        return FALSE;
    for (UINT id : {IDI_BEAM_DEVICE, IDI_BEAM_PORT}) {
        HICON hicon = (HICON)LoadImageW(g_hInst, MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, 0);
        if (!hicon || ImageList_AddIcon(s_himl, hicon) < 0)
            return FALSE;
        DestroyIcon(hicon);
    }
    SendMessageW(s_hwndList, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    SendMessageW(s_hwndList, LVM_SETIMAGELIST, LVSIL_SMALL, (LPARAM)s_himl);
    LVITEMW lvi = {};
    lvi.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    lvi.pszText = (LPWSTR)L"";
    lvi.iImage = 1;
    if (SendMessageW(s_hwndList, LVM_INSERTITEMW, 0, (LPARAM)&lvi) != 0)
        return FALSE;
    ResetDeviceRow();
    return TRUE;
}

static BOOL AdviseSink(HWND hdlg)
{
    s_pSink = new (std::nothrow) BeamSink(hdlg);
    if (!s_pSink)
        return FALSE;
    IObex *pObex = s_pRequest->pObex;
    if (FAILED(pObex->QueryInterface(IID_IConnectionPointContainer, (void **)&s_pContainer)) ||
        FAILED(s_pContainer->FindConnectionPoint(IID_IObexSink, &s_pPoint)) ||
        FAILED(s_pPoint->Advise(static_cast<IObexSink *>(s_pSink), &s_dwCookie)))
        return FALSE;
    return SUCCEEDED(pObex->StartDeviceEnum());
}

static BOOL OnInitDialog(HWND hdlg, BeamRequest *pRequest)
{
    s_hwndPage = hdlg;
    if (!InitFullScreenDialog(hdlg) || !(s_hwndBar = CreateSoftKeyBar(hdlg, IDR_BAR_BEAM)))
        return FALSE;
    WCHAR sz[32];
    if (LoadStringW(g_hInst, IDS_BEAM_TITLE, sz, ARRAYSIZE(sz)))
        SetWindowTextW(hdlg, sz);
    s_pRequest = pRequest;
    pRequest->pObex->AddRef();
    pRequest->pDevice = nullptr;
    s_iStripState = STRIP_NO_DEVICE;
    s_cbFile = s_cbSent = 0;
    if (!CreateDeviceList(hdlg)) {
        EndDialog(hdlg, IDCANCEL);
        return FALSE;
    }
    EnableBeamKey(FALSE);
    OverrideBackKey(s_hwndBar);
    SetFocus(s_hwndList);
    if (!AdviseSink(hdlg))
        EndDialog(hdlg, IDCANCEL);
    return FALSE;
}

// Events still queued for the page carry a bag reference each.
static void DropQueuedEvents(HWND hdlg)
{
    MSG msg;
    while (PeekMessageW(&msg, hdlg, WM_BEAM_EVENT, WM_BEAM_EVENT, PM_REMOVE))
        if (msg.lParam)
            ((IPropertyBag *)msg.lParam)->Release();
}

static void OnDestroy(HWND hdlg)
{
    if (s_hwndBar) {
        ShowWindow(s_hwndBar, SW_HIDE);
        DestroyWindow(s_hwndBar);
    }
    if (s_pSink)
        s_pSink->Detach();
    if (s_pRequest) {
        s_pRequest->pObex->StopDeviceEnum();
        if (s_pPoint && s_dwCookie)
            s_pPoint->Unadvise(s_dwCookie);
    }
    if (s_pPoint)
        s_pPoint->Release();
    if (s_pContainer)
        s_pContainer->Release();
    if (s_pSink)
        s_pSink->Release();
    DropQueuedEvents(hdlg);
    if (s_hwndList) {
        IPropertyBag *pBag = RowBag();
        if (pBag)
            pBag->Release();
        DestroyWindow(s_hwndList);
    }
    if (s_pRequest)
        s_pRequest->pObex->Release();
    if (s_himl)
        ImageList_Destroy(s_himl);
    if (s_hfontList)
        DeleteObject(s_hfontList);
    s_pRequest = nullptr;
    s_pPoint = nullptr;
    s_pContainer = nullptr;
    s_pSink = nullptr;
    s_dwCookie = 0;
    s_hwndBar = s_hwndList = s_hwndPage = nullptr;
    s_himl = nullptr;
    s_hfontList = nullptr;
}

static BOOL OnEraseBackground(HWND hdlg, HDC hdc)
{
    RECT rc;
    GetClientRect(hdlg, &rc);
    FillRect(hdc, &rc, GetSysColorBrush(COLOR_WINDOW));
    PaintStripsOn(hdc);
    return TRUE;
}

static void OnCommand(HWND hdlg, UINT id)
{
    switch (id) {
    case IDM_BEAM: OnBeam(); break;
    case IDM_BEAM_QUIT: EndDialog(hdlg, IDOK); break;
    }
}

static INT_PTR CALLBACK BeamPageProc(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog(hdlg, (BeamRequest *)lp);
    case WM_COMMAND:
        OnCommand(hdlg, LOWORD(wp));
        return TRUE;
    case WM_BEAM_EVENT:
        OnDeviceEvent((DWORD)wp, (IPropertyBag *)lp);
        return TRUE;
    case WM_ERASEBKGND:
        SetWindowLongPtrW(hdlg, DWLP_MSGRESULT, OnEraseBackground(hdlg, (HDC)wp));
        return TRUE;
    case WM_HOTKEY:
        HandleBackHotKey(wp, lp);
        return TRUE;
    case WM_DESTROY:
        OnDestroy(hdlg);
        return FALSE;
    }
    return FALSE;
}

// ---- Send by IR --------------------------------------------------------------------------

void OnSendByIrCommand(HWND hwnd)
{
    int iRow = FirstSelectedRow();
    if (iRow < 0)
        return;
    static BeamRequest s_request;
    BeamRequest &br = s_request;
    br = BeamRequest();
    if (FAILED(StringCchCopyW(br.szName, ARRAYSIZE(br.szName), g_aFileTable[iRow].fd.cFileName)) ||
        !JoinPath(g_szCurrentFolder, br.szName, br.szPath, ARRAYSIZE(br.szPath)))
        return;
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)))
        return;
    if (SUCCEEDED(CoCreateInstance(CLSID_Obex, nullptr, CLSCTX_INPROC_SERVER, IID_IObex, (void **)&br.pObex))) {
        if (SUCCEEDED(br.pObex->Initialize())) {
            RunDialogFromTemplate(g_hInst, IDD_BEAM, hwnd, BeamPageProc, (LPARAM)&br);
            if (br.pDevice)
                br.pDevice->Release();
            br.pObex->Shutdown();
        }
        br.pObex->Release();
    }
    br = BeamRequest();
    CoUninitialize();
}
