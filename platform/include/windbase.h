// CE databases in mounted volumes: mount, open by name, read records one
// after the other, delete them, unmount; CloseHandle closes a database.
// A volume is a file of the object store (format in docs/profile.md).
#pragma once
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef DWORD CEOID, *PCEOID;
typedef DWORD CEPROPID, *PCEPROPID;

typedef struct _CEGUID {
    DWORD Data1;
    DWORD Data2;
    DWORD Data3;
    DWORD Data4;
} CEGUID, *PCEGUID;
#define CREATE_INVALIDGUID(pguid) (memset((pguid), -1, sizeof(CEGUID)))
#define CHECK_INVALIDGUID(pguid) \
    ((pguid)->Data1 == 0xFFFFFFFF && (pguid)->Data2 == 0xFFFFFFFF && (pguid)->Data3 == 0xFFFFFFFF && \
     (pguid)->Data4 == 0xFFFFFFFF)

typedef struct _CEBLOB {
    DWORD dwCount;
    LPBYTE lpb;
} CEBLOB;

typedef union _CEVALUNION {
    short iVal;
    USHORT uiVal;
    long lVal;
    ULONG ulVal;
    FILETIME filetime;
    LPWSTR lpwstr;
    CEBLOB blob;
    BOOL boolVal;
    double dblVal;
} CEVALUNION;

typedef struct _CEPROPVAL {
    CEPROPID propid;
    WORD wLenData;
    WORD wFlags;
    CEVALUNION val;
} CEPROPVAL, *PCEPROPVAL;

// Value types, in the low word of a property id.
#define CEVT_I2       2
#define CEVT_UI2      18
#define CEVT_I4       3
#define CEVT_UI4      19
#define CEVT_FILETIME 64
#define CEVT_LPWSTR   31
#define CEVT_BLOB     65
#define CEVT_BOOL     11
#define CEVT_R8       5
#define TypeFromPropID(propid) LOWORD(propid)

#define CEDB_AUTOINCREMENT 0x00000001   // CeOpenDatabaseEx: each read moves to the next record
#define CEDB_ALLOWREALLOC  0x00000001   // CeReadRecordPropsEx: the buffer may be (re)allocated

typedef struct _CENOTIFYREQUEST {
    DWORD dwSize;
    HWND hwnd;
    DWORD dwFlags;
    HANDLE hHeap;
    DWORD dwParam;
} CENOTIFYREQUEST, *PCENOTIFYREQUEST;

// dwFlags as CreateFileW's creation: only OPEN_EXISTING is served.
BOOL WINAPI CeMountDBVol(PCEGUID pceguid, LPWSTR lpszVol, DWORD dwFlags);
BOOL WINAPI CeUnmountDBVol(PCEGUID pceguid);
// INVALID_HANDLE_VALUE when the volume is not mounted or holds no such database.
HANDLE WINAPI CeOpenDatabaseEx(PCEGUID pceguid, PCEOID poid, LPWSTR lpszName, CEPROPID propid, DWORD dwFlags,
                               CENOTIFYREQUEST *pRequest);
// The record's id, or 0 (ERROR_NO_MORE_ITEMS after the last record). The buffer
// holds the values, then their texts and blobs; without hHeap it is LocalAlloc'ed.
CEOID WINAPI CeReadRecordPropsEx(HANDLE hDbase, DWORD dwFlags, LPWORD lpcPropID, CEPROPID *rgPropID,
                                 LPBYTE *lplpBuffer, LPDWORD lpcbBuffer, HANDLE hHeap);
BOOL WINAPI CeDeleteRecord(HANDLE hDatabase, CEOID oidRecord);

#ifdef __cplusplus
}
#endif
