// Pocket Outlook Object Model: the application object that opens the
// handset's contacts, the Contacts folder, its items and contact items.
#pragma once
#include <windows.h>
#include <oaidl.h>

enum OlDefaultFolders {
    olFolderContacts = 10,
};

enum OlItemType {
    olContactItem = 2,
};

#ifdef __cplusplus
extern "C" {
#endif
extern const CLSID CLSID_Application;          // {05058F23-20BE-11D2-8F18-0000F87A4335}
extern const IID IID_IPOutlookApp;             // {05058F22-20BE-11D2-8F18-0000F87A4335}
extern const IID IID_IFolder;
extern const IID IID_IPOutlookItemCollection;
extern const IID IID_IContact;
#ifdef __cplusplus
}

struct IFolder;
struct IPOutlookItemCollection;

struct IPOutlookApp : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Logon(long hWnd) = 0;
    virtual HRESULT STDMETHODCALLTYPE Logoff() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Version(BSTR *pwszVersion) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDefaultFolder(int olFolder, IFolder **ppIFolder) = 0;
    // A new, unsaved item of the kind; it joins its folder on Save.
    virtual HRESULT STDMETHODCALLTYPE CreateItem(int olItem, IDispatch **ppPOutlookItem) = 0;
};

struct IFolder : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Items(IPOutlookItemCollection **ppolItems) = 0;
};

// The folder's items as they were when get_Items was called; Item is 1-based.
struct IPOutlookItemCollection : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Count(int *pnCount) = 0;
    virtual HRESULT STDMETHODCALLTYPE Item(int iIndex, IDispatch **ppolItem) = 0;
};

// Getters hand out a BSTR the caller frees with SysFreeString.
struct IContact : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_FirstName(BSTR *pbstr) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_FirstName(BSTR bstr) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_LastName(BSTR *pbstr) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_LastName(BSTR bstr) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FileAs(BSTR *pbstr) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_FileAs(BSTR bstr) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_MobileTelephoneNumber(BSTR *pbstr) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_MobileTelephoneNumber(BSTR bstr) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_HomeTelephoneNumber(BSTR *pbstr) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_HomeTelephoneNumber(BSTR bstr) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Home2TelephoneNumber(BSTR *pbstr) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Home2TelephoneNumber(BSTR bstr) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_BusinessTelephoneNumber(BSTR *pbstr) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_BusinessTelephoneNumber(BSTR bstr) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Business2TelephoneNumber(BSTR *pbstr) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Business2TelephoneNumber(BSTR bstr) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_PagerNumber(BSTR *pbstr) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_PagerNumber(BSTR bstr) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CarTelephoneNumber(BSTR *pbstr) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_CarTelephoneNumber(BSTR bstr) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AssistantTelephoneNumber(BSTR *pbstr) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AssistantTelephoneNumber(BSTR bstr) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RadioTelephoneNumber(BSTR *pbstr) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_RadioTelephoneNumber(BSTR bstr) = 0;
    // Writes the item into the Contacts folder (a new item is added).
    virtual HRESULT STDMETHODCALLTYPE Save() = 0;
};
#endif
