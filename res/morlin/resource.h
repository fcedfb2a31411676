// Resource ids of the SIM program (shared with morlin.rc).
#pragma once

#define IDR_BAR_MAIN        105
#define IDC_PHONEBOOK_LIST  105

#define IDS_APP_TITLE       106
#define IDS_SMS_TITLE       136
#define IDS_NEW             40008
#define IDS_MENU            40009

#define IDM_NEW_ENTRY       40001
#define IDM_EDIT            40003
#define IDM_DELETE          40004
#define IDM_DIAL            40005
#define IDM_QUIT            40007
#define IDM_SIM_NUMBER      40059
#define IDM_SIM_STATUS      40060
#define IDM_SMS_MANAGER     40070
#define IDM_INBOX_TO_SIM    40501
#define IDM_CONTACTS_TO_SIM 40506
#define IDM_SIM_TO_CONTACTS 40507
#define IDM_MENU_KEY        40010
