// Resource ids of the system resources program (shared with ostrel.rc).
#pragma once

#define IDR_BAR_SYSINFO     101
#define IDD_SYSINFO         105

#define IDS_REFRESH         40002
#define IDS_MENU            40004
#define IDS_APP_TITLE       40021
#define IDS_SYSINFO_CAPTION 40096

#define IDM_REFRESH         40001
#define IDM_MENU_KEY        40003
#define IDM_TASK_MANAGER    40005
#define IDM_SPACE_MANAGER   40006
#define IDM_QUIT            40032
