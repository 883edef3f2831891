// Identifiers shared by the resource script, the code and the tests.
#pragma once

// Icon, dialogs
#define IDR_MAINFRAME               100
#define IDD_MAINDLG                 101
#define IDD_ABOUTBOX                102

// Strings
#define IDS_MAKER_NAME              110
#define IDS_PRODUCT_NAME            111
#define IDS_CAPTION_ERROR           112
#define IDS_CAPTION_CONFIRM         113
#define IDS_SELECT_FOLDER           114
#define IDS_CONFIRM_OVERWRITE       120
#define IDS_CAPTURE_ENDED           121
#define IDS_CAPTURE_SHORT_OF_RATE   122
#define IDS_ERR_PREPARE_CAPTURE     130
#define IDS_ERR_COPY_CLIPBOARD      131
#define IDS_ERR_SAVE_IMAGE          132
#define IDS_ERR_SAVE_SETTINGS       134
#define IDS_ERR_CREATE_FOLDER       135
#define IDS_ERR_ACCESS_FOLDER       136
#define IDS_ERR_REGEX_INVALID       137
#define IDS_ERR_REGEX_SEARCH        138
#define IDS_ERR_OPEN_FOLDER         139
#define IDS_ERR_SEQ_WIDTH           140
#define IDS_ERR_FOLDER_EMPTY        141
#define IDS_ERR_DELETE_FILES        142
#define IDS_ERR_COMBO_VALUE         143
#define IDS_ERR_SAVE_RATE           146
#define IDS_ERR_FILENAME_CHARS      147
#define IDS_ERR_DEVICE_NAME         148
#define IDS_ERR_PATH_TOO_LONG       149
#define IDS_ERR_NO_NEW_PICTURE      151
#define IDS_ERR_DISK_NEARLY_FULL    152
#define IDS_ERR_DISK_TOO_FULL       153
#define IDS_ERR_SCREEN_UNREADABLE   154
#define IDS_ERR_SCREEN_RESIZED      155
#define IDS_ERR_FOLDER_NOT_WRITABLE 156
#define IDS_ERR_FOLDER_GUARDED      157
#define IDS_ERR_SOURCE_MISSING      158
#define IDS_ERR_SOURCE_SHARE_ENDED  159
#define IDS_ERR_SOURCE_DISPLAY_GONE 160
#define IDS_ERR_SOURCE_STOPPED      161
#define IDS_ERR_SOURCE_FAILED       162

// Main dialog controls
#define IDC_FOLDER                  1000
#define IDC_FILENAME                1001
#define IDC_SEQ_WIDTH               1002
#define IDC_FOLDER_GROUP            1003
#define IDC_EXTENSION               1004
#define IDC_START_NUMBER            1005
#define IDC_SAVE_RATE               1006
#define IDC_FILENAME_GROUP          1007
#define IDC_OTHER_GROUP             1008

// Commands
#define ID_APP_ABOUT                57664   // 0xE140
#define ID_OPEN_FOLDER              57665   // 0xE141
#define ID_SELECT_FOLDER            57666   // 0xE142

// The size grip that the dialog-resize code creates
#define IDC_SIZE_GRIP               0xE801

// About dialog controls
#define IDC_HOMEPAGE_LINK           1000

#ifndef IDC_STATIC
#define IDC_STATIC                  (-1)
#endif
