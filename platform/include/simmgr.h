// The handset's SIM functions (cellcore): phone book, own numbers, message
// counters, notifications; and the call request of the phone.
#pragma once
#include <windows.h>

#define SIM_INIT_NONE                   0x00000000
#define SIM_INIT_SIMCARD_NOTIFICATIONS  0x00000001

#define SIM_CAPSTYPE_PBENTRYLENGTH      0x00000001
#define SIM_CAPSTYPE_PBSTORAGES         0x00000002
#define SIM_CAPSTYPE_PBINDEXRANGE       0x00000008
#define SIM_CAPSTYPE_ALL                0x0000003F

#define SIM_PBSTORAGE_EMERGENCY         0x00000001
#define SIM_PBSTORAGE_FIXEDDIALING      0x00000002
#define SIM_PBSTORAGE_LASTDIALING       0x00000004
#define SIM_PBSTORAGE_OWNNUMBERS        0x00000008
#define SIM_PBSTORAGE_SIM               0x00000010

#define SIM_SMSSTORAGE_BROADCAST        0x00000001
#define SIM_SMSSTORAGE_SIM              0x00000002

#define SIM_PBINDEX_FIRSTAVAILABLE      0xFFFFFFFF

#define SIM_PARAM_PBE_ADDRESS           0x00000001
#define SIM_PARAM_PBE_ADDRESS_TYPE      0x00000002
#define SIM_PARAM_PBE_NUMPLAN           0x00000004
#define SIM_PARAM_PBE_TEXT              0x00000008
#define SIM_PARAM_PBE_ALL               0x0000000F

#define SIM_ADDRTYPE_UNKNOWN            0x00000000
#define SIM_ADDRTYPE_INTERNATIONAL      0x00000001
#define SIM_ADDRTYPE_NATIONAL           0x00000002

#define SIM_NUMPLAN_UNKNOWN             0x00000000
#define SIM_NUMPLAN_TELEPHONE           0x00000001

#define SIM_NOTIFY_CARD_REMOVED         0x00000101
#define SIM_NOTIFY_PBE_STORED           0x00000104
#define SIM_NOTIFY_PBE_DELETED          0x00000105

#define MAX_LENGTH_ADDRESS              256
#define MAX_LENGTH_PHONEBOOKENTRYTEXT   256

// Failures of the SIM service (facility 0x200 of the handset's cellcore).
#define SIM_E_SIMFAILURE    ((HRESULT)0x88000001L)
#define SIM_E_NOSIM         ((HRESULT)0x8800002BL)
#define SIM_E_RADIOOFF      ((HRESULT)0x8800002CL)
#define SIM_E_INVALIDINDEX  ((HRESULT)0x88000045L)
#define SIM_E_NOTFOUND      ((HRESULT)0x88000046L)
#define SIM_E_MEMORYFULL    ((HRESULT)0x88000047L)
#define SIM_E_BADHANDLE     ((HRESULT)0x88000048L)

typedef struct simphonebookentry_tag {
    DWORD cbSize;
    DWORD dwParams;
    WCHAR lpszAddress[MAX_LENGTH_ADDRESS];
    DWORD dwAddressType;
    DWORD dwNumPlan;
    WCHAR lpszText[MAX_LENGTH_PHONEBOOKENTRYTEXT];
} SIMPHONEBOOKENTRY, *LPSIMPHONEBOOKENTRY;

#define MAX_LENGTH_HEADER               256
#define MAX_LENGTH_MESSAGE              256

// A short message of the SIM's message storage.
typedef struct simmessage_tag {
    DWORD cbSize;
    DWORD dwParams;
    WCHAR lpszAddress[MAX_LENGTH_ADDRESS];
    DWORD dwAddressType;
    DWORD dwNumPlan;
    SYSTEMTIME stReceiveTime;
    DWORD cbHdrLength;
    BYTE rgbHeader[MAX_LENGTH_HEADER];
    WCHAR lpszMessage[MAX_LENGTH_MESSAGE];
} SIMMESSAGE, *LPSIMMESSAGE;

typedef struct simcaps_tag {
    DWORD cbSize;
    DWORD dwParams;
    DWORD dwPBStorages;
    DWORD dwMinPBIndex;
    DWORD dwMaxPBIndex;
    DWORD dwMaxPBEAddressLength;
    DWORD dwMaxPBETextLength;
    DWORD dwMinLockingPasswordLength;
    DWORD dwMaxLockingPasswordLength;
    DWORD dwLockFacilities;
} SIMCAPS, *LPSIMCAPS;

typedef struct simpbechange_tag {
    DWORD dwEntry;
    DWORD dwStorage;
} SIMPBECHANGE, *LPSIMPBECHANGE;

DECLARE_HANDLE(HSIM);
typedef HSIM *LPHSIM;

// Runs on the SIM service's own thread.
typedef void (*SIMCALLBACK)(DWORD dwNotifyCode, const void *lpData, DWORD dwDataSize, DWORD dwParam);

#ifdef __cplusplus
extern "C" {
#endif
HRESULT WINAPI SimInitialize(DWORD dwFlags, SIMCALLBACK lpfnCallBack, DWORD dwParam, LPHSIM lphSim);
HRESULT WINAPI SimDeinitialize(HSIM hSim);
HRESULT WINAPI SimGetDevCaps(HSIM hSim, DWORD dwCapsType, LPSIMCAPS lpSimCaps);
HRESULT WINAPI SimGetPhonebookStatus(HSIM hSim, DWORD dwLocation, LPDWORD lpdwUsed, LPDWORD lpdwTotal);
HRESULT WINAPI SimReadPhonebookEntry(HSIM hSim, DWORD dwLocation, DWORD dwIndex, LPSIMPHONEBOOKENTRY lpEntry);
HRESULT WINAPI SimWritePhonebookEntry(HSIM hSim, DWORD dwLocation, DWORD dwIndex, LPSIMPHONEBOOKENTRY lpEntry);
HRESULT WINAPI SimDeletePhonebookEntry(HSIM hSim, DWORD dwLocation, DWORD dwIndex);
HRESULT WINAPI SimGetSmsStorageStatus(HSIM hSim, DWORD dwStorage, LPDWORD lpdwUsed, LPDWORD lpdwTotal);
HRESULT WINAPI SimDeleteMessage(HSIM hSim, DWORD dwStorage, DWORD dwIndex);

// The phone's call request: the platform places the call.
LONG WINAPI tapiRequestMakeCall(LPCWSTR pszDestAddress, LPCWSTR pszAppName, LPCWSTR pszCalledParty,
                                LPCWSTR pszComment);
#ifdef __cplusplus
}
#endif
