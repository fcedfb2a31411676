// Resource ids of the system resources program (shared with ostrel.rc).
#pragma once

// Soft-key bars (RCDATA and MENU of the same id)
#define IDR_BAR_SYSINFO     101
#define IDR_BAR_TASKS       102
#define IDR_BAR_SPACE       103
#define IDR_BAR_MSGERASE    109

// Dialogs
#define IDD_SYSINFO         105
#define IDD_TASKS           107
#define IDD_SPACE           108
#define IDD_MSGERASE        104

// System-information page: groups, labels and values
#define IDC_MAIN_BATTERY_LABEL    1003
#define IDC_MAIN_BATTERY          1004
#define IDC_BACKUP_BATTERY_LABEL  1005
#define IDC_BACKUP_BATTERY        1006
#define IDC_POWER_GROUP           1007
#define IDC_TOTAL_MEMORY_LABEL    1008
#define IDC_PROGRAM_MEMORY_LABEL  1009
#define IDC_PROGRAM_USED_LABEL    1010
#define IDC_PROGRAM_FREE_LABEL    1011
#define IDC_STORAGE_MEMORY_LABEL  1012
#define IDC_STORAGE_USED_LABEL    1013
#define IDC_STORAGE_FREE_LABEL    1014
#define IDC_TOTAL_MEMORY          1015
#define IDC_PROGRAM_MEMORY        1016
#define IDC_PROGRAM_USED          1017
#define IDC_PROGRAM_FREE          1018
#define IDC_STORAGE_MEMORY        1019
#define IDC_STORAGE_USED          1020
#define IDC_STORAGE_FREE          1021
#define IDC_MEMORY_GROUP          1022
#define IDC_MAKER_LABEL           1023
#define IDC_PROCESSOR_LABEL       1024
#define IDC_OS_LABEL              1025
#define IDC_VERSION_LABEL         1026
#define IDC_PROCESSOR             1027
#define IDC_VERSION               1028
#define IDC_OS                    1029
#define IDC_MAKER                 1030
#define IDC_DEVICE_GROUP          1031
#define IDC_DEVICE_STORAGE_LABEL  1032
#define IDC_DEVICE_USED_LABEL     1033
#define IDC_DEVICE_FREE_LABEL     1034
#define IDC_DEVICE_TOTAL          1035
#define IDC_DEVICE_USED           1036
#define IDC_DEVICE_FREE           1037
#define IDC_CARD_STORAGE_LABEL    1039
#define IDC_CARD_USED_LABEL       1041
#define IDC_CARD_FREE_LABEL       1042
#define IDC_CARD_TOTAL            1043
#define IDC_CARD_USED             1044
#define IDC_CARD_FREE             1045
#define IDC_FLASH_GROUP           1046

// Space-manager page: device storage with its bar
#define IDC_SPACE_FREE            1038
#define IDC_SPACE_TOTAL           1040
#define IDC_SPACE_BAR             1047
#define IDC_SPACE_USED            1050
#define IDC_SPACE_STORAGE_LABEL   1048
#define IDC_SPACE_FREE_LABEL      1049
#define IDC_SPACE_USED_LABEL      1051

// Message-erase dialog: stores and folders, each a list with a spin control
#define IDC_ACCOUNT_LABEL         1052
#define IDC_FOLDER_LABEL          1053
#define IDC_STORE_LIST            40034
#define IDC_STORE_SPIN            40035
#define IDC_FOLDER_LIST           40036
#define IDC_FOLDER_SPIN           40037

// Task manager
#define IDC_TASK_LIST             1001

// Commands
#define IDM_REFRESH         40001
#define IDM_MENU_KEY        40003
#define IDM_TASK_MANAGER    40005
#define IDM_SPACE_MANAGER   40006
#define IDM_KILL            40007
#define IDM_TASK_MENU_KEY   40009
#define IDM_KILL_ALL        40011
#define IDM_KILL_ALL_EXCEPT 40012
#define IDM_TASK_QUIT       40013
#define IDM_GOTO            40015
#define IDM_QUIT            40032
#define IDM_SPACE_QUIT      40016
#define IDM_SPACE_MENU_KEY  40018
#define IDM_ERASE_INBOX     40020
#define IDM_ERASE_CALLS     40022
#define IDM_ERASE_SPEED     40024
#define IDM_ERASE_NOTES     40026
#define IDM_ERASE_ALL       40028
#define IDM_SPACE_REFRESH   40030
#define IDM_MSGERASE_DONE   40087
#define IDM_MSGERASE_ERASE  40091
#define IDM_TASK_REFRESH    40033

// Strings
#define IDS_REFRESH             40002
#define IDS_MENU                40004
#define IDS_TASK_MENU           40010
#define IDS_QUIT                40014
#define IDS_APP_TITLE           40021
#define IDS_ERR_WINDOW          40023
#define IDS_ERROR               40025
#define IDS_ERR_DIALOG          40027
#define IDS_ERR_MENUBAR         40029
#define IDS_MAIN_BATTERY        40038
#define IDS_BACKUP_BATTERY      40040
#define IDS_POWER_STATUS        40042
#define IDS_TOTAL_MEMORY        40043
#define IDS_PROGRAM_MEMORY      40044
#define IDS_PROGRAM_USED        40045
#define IDS_PROGRAM_FREE        40046
#define IDS_STORAGE_MEMORY      40047
#define IDS_STORAGE_USED        40048
#define IDS_STORAGE_FREE        40049
#define IDS_MEMORY_INFO         40057
#define IDS_MAKER               40058
#define IDS_PROCESSOR           40059
#define IDS_OS                  40060
#define IDS_VERSION             40061
#define IDS_DEVICE_INFO         40066
#define IDS_DEVICE_STORAGE      40067
#define IDS_DEVICE_USED         40068
#define IDS_DEVICE_FREE         40069
#define IDS_CARD_STORAGE        40073
#define IDS_CARD_USED           40074
#define IDS_CARD_FREE           40075
#define IDS_FLASH_INFO          40079
#define IDS_TASK_MANAGER        40080
#define IDS_COL_APPLICATION     40082
#define IDS_COL_PID             40083
#define IDS_BATTERY_HIGH        40086
#define IDS_BATTERY_LOW         40088
#define IDS_BATTERY_CRITICAL    40090
#define IDS_BATTERY_CHARGING    40092
#define IDS_BATTERY_UNKNOWN     40094
#define IDS_UNKNOWN             40095
#define IDS_SYSINFO_CAPTION     40096
#define IDS_KILL_ERROR          40097
#define IDS_SPACE_QUIT          40017
#define IDS_SPACE_MENU          40019
#define IDS_DONE                40089
#define IDS_ERASE               40093
#define IDS_SPACE_STORAGE       40098
#define IDS_SPACE_USED          40099
#define IDS_SPACE_FREE          40100
#define IDS_ALL_STORES          40101
#define IDS_ALL_FOLDERS         40102
#define IDS_ERR_NOTES           40103
#define IDS_SPACE_MANAGER       40105
#define IDS_NOTES_ERASED        40106
#define IDS_ERR_DATABASE        40107
#define IDS_ASK_NOTES           40108
#define IDS_ASK_SPEED           40109
#define IDS_ASK_CALLS           40110
#define IDS_ASK_MESSAGES        40111
#define IDS_MSGERASE_CAPTION    40112
#define IDS_ACCOUNT             40113
#define IDS_FOLDER              40114
#define IDS_ASK_ALL             40115
#define IDS_ACCOUNT_GONE        40116
