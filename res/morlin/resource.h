// Resource ids of the SIM program (shared with morlin.rc).
#pragma once

// Soft-key bars
#define IDR_BAR_MAIN        105
#define IDR_BAR_NEWENTRY    109
#define IDR_BAR_EDITENTRY   111
#define IDR_BAR_SIMNUMBER   130
#define IDR_BAR_SIMSTATUS   132

// Dialogs
#define IDD_NEWENTRY        107
#define IDD_EDITENTRY       108
#define IDD_PROGRESS        120
#define IDD_SIMNUMBER       129
#define IDD_SIMSTATUS       131

// Icons
#define IDI_PHONEBOOK       116
#define IDI_SMS             137

// Controls
#define IDC_PHONEBOOK_LIST  105
#define IDC_EDIT_NAME       1001
#define IDC_EDIT_NUMBER     1003
#define IDC_NEW_NAME        1005
#define IDC_NEW_NUMBER      1006
#define IDC_NEW_NAME_LABEL  1007
#define IDC_NEW_NUMBER_LABEL 1008
#define IDC_EDIT_KEY_LABEL  1009
#define IDC_EDIT_NAME_LABEL 1010
#define IDC_EDIT_NUMBER_LABEL 1011
#define IDC_EDIT_KEY        1012
#define IDC_OWN_NUMBER      1014
#define IDC_OWN_NUMBER_LABEL 1015
#define IDC_PB_TOTAL        1016
#define IDC_PB_USED         1017
#define IDC_SMS_TOTAL       1019
#define IDC_SMS_USED        1020
#define IDC_STATUS_HIDDEN1  1022
#define IDC_STATUS_HIDDEN2  1023
#define IDC_STATUS_HIDDEN3  1024
#define IDC_STATUS_HIDDEN4  1025
#define IDC_PROGRESS_TEXT   1036
#define IDC_PB_GROUP        1037
#define IDC_PROGRESS_COUNT  1038
#define IDC_SMS_GROUP       1038
#define IDC_OWN_NUMBER_GROUP 1039
#define IDC_PROGRESS_BAR    1043

// Strings
#define IDS_APP_TITLE       106
#define IDS_SMS_TITLE       136
#define IDS_NEW             40008
#define IDS_MENU            40009
#define IDS_NEWENTRY_DONE   40011
#define IDS_NEWENTRY_MENU   40016
#define IDS_NEWENTRY_TITLE  40019
#define IDS_EDITENTRY_TITLE 40020
#define IDS_EDITENTRY_MENU  40021
#define IDS_EDITENTRY_DONE  40025
#define IDS_SAVED           40026
#define IDS_NOT_SAVED       40027
#define IDS_ADDED           40028
#define IDS_ADD_FAILED      40029
#define IDS_ASK_DELETE      40030
#define IDS_ASK_SAVE        40033
#define IDS_SIMNUMBER_TITLE 40034
#define IDS_SIMSTATUS_TITLE 40035
#define IDS_NUMBER_EMPTY    40049
#define IDS_NO_NUMBER       40050
#define IDS_PB_FULL         40052
#define IDS_SIM_INIT_FAILED 40053
#define IDS_SIMNUMBER_DONE  40075
#define IDS_SIMSTATUS_DONE  40079
#define IDS_PB_USED         40120
#define IDS_PB_TOTAL        40121
#define IDS_SMS_TOTAL       40122
#define IDS_SMS_USED        40123
#define IDS_NEW_NAME        40124
#define IDS_NEW_NUMBER      40125
#define IDS_PLEASE_WAIT     40130
#define IDS_SIMNUMBER_LABEL 40131
#define IDS_KEY             40132
#define IDS_EDIT_NAME       40133
#define IDS_EDIT_NUMBER     40134
#define IDS_PB_STORAGE      40135
#define IDS_SMS_STORAGE     40136
#define IDS_SIMNUMBER_GROUP 40137
#define IDS_IPSM_FULL       40140
#define IDS_DELETED         40300
#define IDS_PROCESSING      40523
#define IDS_PROCESSING_OF   40524

// Commands
#define IDM_NEW_ENTRY       40001
#define IDM_EDIT            40003
#define IDM_DELETE          40004
#define IDM_DIAL            40005
#define IDM_QUIT            40007
#define IDM_MENU_KEY        40010
#define IDM_INSERT_PAUSE    40012
#define IDM_INSERT_WAIT     40013
#define IDM_NEWENTRY_CANCEL 40014
#define IDM_EDITENTRY_DELETE 40018
#define IDM_EDITENTRY_DONE  40022
#define IDM_EDITENTRY_CANCEL 40024
#define IDM_SIM_NUMBER      40059
#define IDM_SIM_STATUS      40060
#define IDM_SMS_MANAGER     40070
#define IDM_SIMNUMBER_DONE  40074
#define IDM_SIMSTATUS_DONE  40078
#define IDM_NEWENTRY_DONE   40138
#define IDM_INBOX_TO_SIM    40501
#define IDM_CONTACTS_TO_SIM 40506
#define IDM_SIM_TO_CONTACTS 40507
#define IDM_NEWENTRY_MENU_KEY 40015
#define IDM_EDITENTRY_MENU_KEY 40023
