// CE messaging (cemapi.dll): sessions, the message-store table, stores with
// their folders, contents tables, messages and their properties, and the
// MAPI buffers. Only what the handset's programs call is declared; the
// objects live in the profile's messages.json (docs/profile.md).
#pragma once
#include <windows.h>
#include <objbase.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef ULONG BOOKMARK;
#define BOOKMARK_BEGINNING ((BOOKMARK)0)
#define BOOKMARK_CURRENT   ((BOOKMARK)1)
#define BOOKMARK_END       ((BOOKMARK)2)

// Property tags: type in the low word, id in the high word.
#define PROP_TYPE(ulPropTag) ((ULONG)(ulPropTag) & 0xFFFF)
#define PROP_ID(ulPropTag)   ((ULONG)(ulPropTag) >> 16)
#define PROP_TAG(ulType, ulId) (((ULONG)(ulId) << 16) | (ULONG)(ulType))
#define PT_LONG     0x0003
#define PT_BOOLEAN  0x000B
#define PT_ERROR    0x000A
#define PT_UNICODE  0x001F
#define PT_BINARY   0x0102

#define PR_ENTRYID                 PROP_TAG(PT_BINARY, 0x0FFF)
#define PR_MESSAGE_FLAGS           PROP_TAG(PT_LONG, 0x0E07)
#define PR_SUBJECT_W               PROP_TAG(PT_UNICODE, 0x0037)
#define PR_SENDER_NAME_W           PROP_TAG(PT_UNICODE, 0x0C1A)
#define PR_SENDER_EMAIL_ADDRESS_W  PROP_TAG(PT_UNICODE, 0x0C1F)
#define PR_DISPLAY_NAME_W          PROP_TAG(PT_UNICODE, 0x3001)
#define PR_DEFAULT_STORE           PROP_TAG(PT_BOOLEAN, 0x3400)
// The store's folders, each an entry identifier of the store.
#define PR_IPM_OUTBOX_ENTRYID      PROP_TAG(PT_BINARY, 0x35E2)
#define PR_IPM_WASTEBASKET_ENTRYID PROP_TAG(PT_BINARY, 0x35E3)
#define PR_IPM_SENTMAIL_ENTRYID    PROP_TAG(PT_BINARY, 0x35E4)
#define PR_CE_IPM_DRAFTS_ENTRYID   PROP_TAG(PT_BINARY, 0x8104)
#define PR_CE_IPM_INBOX_ENTRYID    PROP_TAG(PT_BINARY, 0x8106)

#define MSGFLAG_READ 0x00000001

// Flags
#define MAPI_MODIFY       0x00000001
#define MAPI_BEST_ACCESS  0x00000010
#define MAPI_UNICODE      0x80000000
#define MAPI_STORE        0x00000001
#define MAPI_FOLDER       0x00000003
#define MAPI_MESSAGE      0x00000005

// Results
#define MAPI_E_CALL_FAILED      E_FAIL
#define MAPI_E_NOT_ENOUGH_MEMORY E_OUTOFMEMORY
#define MAPI_E_INVALID_PARAMETER E_INVALIDARG
#define MAPI_E_NO_SUPPORT       ((HRESULT)0x80040102L)
#define MAPI_E_NOT_FOUND        ((HRESULT)0x8004010FL)
#define MAPI_E_LOGON_FAILED     ((HRESULT)0x80040111L)
#define MAPI_E_INVALID_ENTRYID  ((HRESULT)0x80040107L)
#define MAPI_E_CORRUPT_DATA     ((HRESULT)0x8004011BL)
#define MAPI_E_NOT_INITIALIZED  ((HRESULT)0x80040605L)
#define MAPI_W_ERRORS_RETURNED  ((HRESULT)0x00040380L)

typedef struct _SBinary {
    ULONG cb;
    LPBYTE lpb;
} SBinary, *LPSBinary;

typedef struct _SBinaryArray {
    ULONG cValues;
    SBinary *lpbin;
} SBinaryArray, ENTRYLIST, *LPENTRYLIST;

typedef struct _ENTRYID {
    BYTE abFlags[4];
    BYTE ab[1];
} ENTRYID, *LPENTRYID;

typedef union _PV {
    short int i;
    LONG l;
    ULONG ul;
    unsigned short int b;
    LPWSTR lpszW;
    SBinary bin;
    SCODE err;
    LONGLONG li;
} __UPV;

typedef struct _SPropValue {
    ULONG ulPropTag;
    ULONG dwAlignPad;
    union _PV Value;
} SPropValue, *LPSPropValue;

typedef struct _SPropTagArray {
    ULONG cValues;
    ULONG aulPropTag[1];
} SPropTagArray, *LPSPropTagArray;
#define SizedSPropTagArray(n, name) struct _SPropTagArray_##name { ULONG cValues; ULONG aulPropTag[n]; } name

typedef struct _SRow {
    ULONG ulAdrEntryPad;
    ULONG cValues;
    LPSPropValue lpProps;
} SRow, *LPSRow;

typedef struct _SRowSet {
    ULONG cRows;
    SRow aRow[1];
} SRowSet, *LPSRowSet;

// Buffers: one allocation, with the ones made "more" on it freed together.
SCODE WINAPI MAPIAllocateBuffer(ULONG cbSize, LPVOID *lppBuffer);
SCODE WINAPI MAPIAllocateMore(ULONG cbSize, LPVOID lpObject, LPVOID *lppBuffer);
ULONG WINAPI MAPIFreeBuffer(LPVOID lpBuffer);
// A row set from QueryRows: each row's values, then the set.
void WINAPI FreeProws(LPSRowSet prows);

// Counted: each successful MAPIInitialize is paired with one MAPIUninitialize.
HRESULT WINAPI MAPIInitialize(LPVOID lpMapiInit);
void WINAPI MAPIUninitialize(void);

#ifdef __cplusplus
}

struct IMAPITable : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetColumns(LPSPropTagArray lpPropTagArray, ULONG ulFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRowCount(ULONG ulFlags, ULONG *lpulCount) = 0;
    virtual HRESULT STDMETHODCALLTYPE SeekRow(BOOKMARK bkOrigin, LONG lRowCount, LONG *lplRowsSought) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryRows(LONG lRowCount, ULONG ulFlags, LPSRowSet *lppRows) = 0;
};
typedef IMAPITable *LPMAPITABLE;

struct IMAPIProp : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetProps(LPSPropTagArray lpPropTagArray, ULONG ulFlags, ULONG *lpcValues,
                                               LPSPropValue *lppPropArray) = 0;
};
typedef IMAPIProp *LPMAPIPROP;

struct IMAPIContainer : public IMAPIProp {
    virtual HRESULT STDMETHODCALLTYPE GetContentsTable(ULONG ulFlags, LPMAPITABLE *lppTable) = 0;
    virtual HRESULT STDMETHODCALLTYPE OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, const IID *lpInterface,
                                                ULONG ulFlags, ULONG *lpulObjType, LPUNKNOWN *lppUnk) = 0;
};

struct IMAPIProgress;
typedef IMAPIProgress *LPMAPIPROGRESS;

struct IMAPIFolder : public IMAPIContainer {
    virtual HRESULT STDMETHODCALLTYPE DeleteMessages(LPENTRYLIST lpMsgList, ULONG_PTR ulUIParam,
                                                     LPMAPIPROGRESS lpProgress, ULONG ulFlags) = 0;
};
typedef IMAPIFolder *LPMAPIFOLDER;

struct IMessage : public IMAPIProp {};
typedef IMessage *LPMESSAGE;

struct IMsgStore : public IMAPIProp {
    virtual HRESULT STDMETHODCALLTYPE OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, const IID *lpInterface,
                                                ULONG ulFlags, ULONG *lpulObjType, LPUNKNOWN *lppUnk) = 0;
};
typedef IMsgStore *LPMDB;

struct IMAPISession : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetMsgStoresTable(ULONG ulFlags, LPMAPITABLE *lppTable) = 0;
    virtual HRESULT STDMETHODCALLTYPE OpenMsgStore(ULONG_PTR ulUIParam, ULONG cbEntryID, LPENTRYID lpEntryID,
                                                   const IID *lpInterface, ULONG ulFlags, LPMDB *lppMDB) = 0;
    virtual HRESULT STDMETHODCALLTYPE OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, const IID *lpInterface,
                                                ULONG ulFlags, ULONG *lpulObjType, LPUNKNOWN *lppUnk) = 0;
    virtual HRESULT STDMETHODCALLTYPE Logoff(ULONG_PTR ulUIParam, ULONG ulFlags, ULONG ulReserved) = 0;
};
typedef IMAPISession *LPMAPISESSION;

extern "C" HRESULT WINAPI MAPILogonEx(ULONG_PTR ulUIParam, LPWSTR lpszProfileName, LPWSTR lpszPassword,
                                      ULONG ulFlags, LPMAPISESSION *lppSession);
#endif
