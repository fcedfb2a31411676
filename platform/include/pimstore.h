// Pocket Outlook Object Model: the application object that opens the
// handset's contacts. Contact folders and items come with the Contacts work.
#pragma once
#include <windows.h>
#include <oaidl.h>

#ifdef __cplusplus
extern "C" {
#endif
extern const CLSID CLSID_Application;   // {05058F23-20BE-11D2-8F18-0000F87A4335}
extern const IID IID_IPOutlookApp;      // {05058F22-20BE-11D2-8F18-0000F87A4335}
#ifdef __cplusplus
}

struct IPOutlookApp : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Logon(long hWnd) = 0;
    virtual HRESULT STDMETHODCALLTYPE Logoff() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Version(BSTR *pwszVersion) = 0;
};
#endif
