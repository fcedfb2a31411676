// Handset-only system calls: power status, object-store figures, and the
// constants CE adds to the desktop's system-information calls.
#pragma once
#include <windows.h>

#ifndef SPI_GETOEMINFO
#define SPI_GETOEMINFO 258
#endif
#ifndef VER_PLATFORM_WIN32_CE
#define VER_PLATFORM_WIN32_CE 3
#endif
#ifndef PROCESSOR_STRONGARM
#define PROCESSOR_STRONGARM 2577
#endif
#ifndef PROCESSOR_ARM720
#define PROCESSOR_ARM720 1824
#endif

#ifndef BATTERY_PERCENTAGE_UNKNOWN
#define BATTERY_PERCENTAGE_UNKNOWN 0xFF
#endif
#ifndef BATTERY_FLAG_NO_BATTERY
#define BATTERY_FLAG_HIGH       0x01
#define BATTERY_FLAG_LOW        0x02
#define BATTERY_FLAG_CRITICAL   0x04
#define BATTERY_FLAG_CHARGING   0x08
#define BATTERY_FLAG_NO_BATTERY 0x80
#define BATTERY_FLAG_UNKNOWN    0xFF
#endif
#ifndef BATTERY_LIFE_UNKNOWN
#define BATTERY_LIFE_UNKNOWN 0xFFFFFFFF
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct _SYSTEM_POWER_STATUS_EX {
    BYTE ACLineStatus;
    BYTE BatteryFlag;
    BYTE BatteryLifePercent;
    BYTE Reserved1;
    DWORD BatteryLifeTime;
    DWORD BatteryFullLifeTime;
    BYTE Reserved2;
    BYTE BackupBatteryFlag;
    BYTE BackupBatteryLifePercent;
    BYTE Reserved3;
    DWORD BackupBatteryLifeTime;
    DWORD BackupBatteryFullLifeTime;
} SYSTEM_POWER_STATUS_EX, *PSYSTEM_POWER_STATUS_EX, *LPSYSTEM_POWER_STATUS_EX;

// fUpdate: take a fresh reading instead of the driver's last one.
BOOL WINAPI GetSystemPowerStatusEx(PSYSTEM_POWER_STATUS_EX pstatus, BOOL fUpdate);

typedef struct STORE_INFORMATION {
    DWORD dwStoreSize;
    DWORD dwFreeSize;
} STORE_INFORMATION, *LPSTORE_INFORMATION;

// Size and free space of the object store.
BOOL WINAPI GetStoreInformation(LPSTORE_INFORMATION lpsi);

#ifdef __cplusplus
}
#endif
