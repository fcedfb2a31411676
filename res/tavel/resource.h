// Resource ids of the file manager (shared with tavel.rc).
#pragma once

// Soft-key bars and their menus (one id for the RCDATA bar and its RT_MENU)
#define IDR_BAR_LIST        105
#define IDR_BAR_TREE        114
#define IDR_BAR_RENAME      124
#define IDR_BAR_DESTINATION 125
#define IDR_BAR_MULTISELECT 126

// Controls
#define IDC_FILELIST        2000
#define IDC_FOLDERTREE      2001
#define IDC_DESTTREE        2002

// Icons of the list's own image list (images 0, 1, 2)
#define IDI_FOLDER          107
#define IDI_PARENT_FOLDER   108
#define IDI_FILE            109
// Tree images 3, 4, 5: card, selected card, the card holding My Documents
#define IDI_CARD            130
#define IDI_CARD_SELECTED   131
#define IDI_CARD_DOCUMENTS  132

// Copy progress window and its statics
#define IDD_PROGRESS        115
#define IDC_PROGRESS_FROM   1010
#define IDC_PROGRESS_TO     1011
#define IDC_PROGRESS_TITLE  1033
#define IDC_PROGRESS_FROM_LABEL 1034
#define IDC_PROGRESS_TO_LABEL   1035
#define IDC_PROGRESS_WAIT   1036

// Strings
#define IDS_APP_TITLE       40004
#define IDS_ABOUT_TEXT      40035
#define IDS_ABOUT           40036
#define IDS_LIST_VIEW       40041
#define IDS_MENU            40048
#define IDS_TREE_VIEW       40050
#define IDS_DONE            40062
#define IDS_CANCEL          40064
#define IDS_SELECT_ITEM     40100
#define IDS_CANT_CREATE_DIR 40032
#define IDS_DELETE_DIR_ASK  40034
#define IDS_RENAME_CANCEL   40054
#define IDS_RENAME_DONE     40056
#define IDS_TREE_COUNTS     40089
#define IDS_CANT_COPY_FILE  40092
#define IDS_COPY_TO_SEP     40093
#define IDS_CANT_DELETE_FILE 40094
#define IDS_ACCESS_DENIED   40095
#define IDS_CANT_DELETE_DIR 40096
#define IDS_HEADER_SHORTCUT 40097
#define IDS_HEADER_COPY     40098
#define IDS_HEADER_MOVE     40099
#define IDS_CANT_MOVE_FILE  40101
#define IDS_CANT_MOVE_DIR   40102
#define IDS_MOVE_TO_SEP     40103
#define IDS_DELETE_DIR_END  40104
#define IDS_PROGRESS_TITLE  40105
#define IDS_PROGRESS_FROM   40106
#define IDS_PROGRESS_TO     40107
#define IDS_PROGRESS_WAIT   40108
#define IDS_DELETE_FILE_ASK 40123
#define IDS_DELETE_FOLDER_ASK 40124
#define IDS_DELETE_ITEMS_ASK 40125
#define IDS_OVERWRITE_ASK   40151
#define IDS_OVERWRITE_DIR_ASK 40153
#define IDS_COPY_SAME       40155
#define IDS_MOVE_SAME       40157
#define IDS_DELETE_FAILED   40163

// Commands: list-mode menu
#define IDM_DELETE          40002
#define IDM_RENAME          40003
#define IDM_SORT_NAME       40005
#define IDM_SORT_SIZE       40006
#define IDM_SORT_TYPE       40007
#define IDM_PROPERTIES      40010
#define IDM_REFRESH         40012
#define IDM_EXIT            40013
#define IDM_NEW_FOLDER      40015
#define IDM_TREE_VIEW       40051
#define IDM_LIST_VIEW       40052
#define IDM_SEND_IR         40057
#define IDM_SEND_EMAIL      40058
#define IDM_MOVE_TO         40059
#define IDM_COPY_TO         40060
#define IDM_DEST_DONE       40061
#define IDM_DEST_CANCEL     40063
#define IDM_CREATE_SHORTCUT 40065
#define IDM_SELECT_ALL      40066
#define IDM_SELECT_MULTIPLE 40067
#define IDM_MULTI_DONE      40068
#define IDM_MULTI_SELECT_ALL 40071
#define IDM_MULTI_CANCEL    40072
#define IDM_MULTI_SELECT_NONE 40073
#define IDM_MULTI_SELECT_FILES 40074
#define IDM_MULTI_SELECT_FOLDERS 40075
#define IDM_MULTI_INVERT    40076
#define IDM_SELECT_NONE     40131
#define IDM_INVERT_SELECT   40132
#define IDM_SEND_MMS        40143
#define IDM_SEND_BT         40144
#define IDM_RECEIVE_BT      40145
#define IDM_OPTIONS         40146
#define IDM_SORT_ASCENDING  40149
#define IDM_SORT_DESCENDING 40150
#define IDM_ABOUT           40164
#define IDM_FIND            40165
#define IDM_RECEIVE_IR      40166
#define IDM_SORT_DATE       40167
#define IDM_MENU_KEY        40180

// Commands: tree-mode menu
#define IDM_TREE_EXIT       40001
#define IDM_TREE_NEW_FOLDER 40133
#define IDM_TREE_MOVE_TO    40134
#define IDM_TREE_COPY_TO    40135
#define IDM_TREE_DELETE     40136
#define IDM_TREE_RENAME     40137
#define IDM_TREE_FIND       40138
#define IDM_TREE_RECEIVE_IR 40139
#define IDM_TREE_REFRESH    40140
#define IDM_TREE_PROPERTIES 40141
#define IDM_TREE_ABOUT      40142
#define IDM_TREE_RECEIVE_BT 40147
#define IDM_TREE_OPTIONS    40148
#define IDM_TREE_RENAME_CANCEL 40053
#define IDM_TREE_RENAME_DONE   40055

// Find files: the form, its bar, the result page and its two bars
#define IDD_FIND            118
#define IDR_BAR_FIND        119
#define IDD_FIND_RESULT     120
#define IDR_BAR_FIND_CLOSE  121
#define IDR_BAR_FIND_STOP   122
#define IDC_FIND_PATTERN    1021
#define IDC_FIND_FOLDER     1022
#define IDC_FIND_PATTERN_LABEL 1026
#define IDC_FIND_FOLDER_LABEL  1027
#define IDC_FIND_SUBFOLDERS 1037
#define IDC_FIND_SYSTEM     1038
#define IDC_FIND_LIST       2000
#define IDS_FIND_START      40037
#define IDS_FIND_CANCEL     40039
#define IDS_FIND_RESULT     40043
#define IDS_FIND_CLOSE      40044
#define IDS_FIND_TITLE      40045
#define IDS_FIND_FOUND      40090
#define IDS_FIND_FOUND_MORE 40091
#define IDS_FIND_FILENAME   40116
#define IDS_FIND_FOLDER     40117
#define IDS_FIND_STOP       40160
#define IDS_FIND_SUBFOLDERS 40189
#define IDS_FIND_SYSTEM     40190
#define IDM_FIND_START      40038
#define IDM_FIND_CANCEL     40040
#define IDM_FIND_CLOSE      40042
#define IDM_FIND_STOP       40046
