#pragma once
// Resource ids of Talvo: dialogs, controls, menu commands, icons, bitmap and strings.
// The numbers are fixed: the data file, the registry and the program's code rely on them.
// Framework ids (IDOK, IDCANCEL, IDC_STATIC, ID_FILE_OPEN, ID_FILE_SAVE, ID_EDIT_FIND,
// AFX_IDS_APP_TITLE) come from platform/Win32.h.

// Dialog templates.
#define IDD_ABOUTBOX             100
#define IDD_TALVO_DIALOG         102
#define IDD_SETTINGS             134

// System-menu command of the About entry.
#define IDM_ABOUTBOX             0x0010

// Icons and bitmap.
#define IDR_MAINFRAME            128
#define IDB_LISTICONS            129
#define IDI_ABOUT                130
#define IDI_TRAY_ON              138
#define IDI_TRAY_ALARM           139
#define IDI_TRAY_OFF             140

// Menu and accelerators.
#define IDR_MENU                 132
#define IDR_ACCELERATOR          133

// Main window (template 102).
#define IDC_LIST                 1000
#define IDC_DATE                 1003
#define IDC_TIME                 1004
#define IDC_REMIND               1005
#define IDC_TEXT                 1006
#define IDC_STATIC_TEXT          1007
#define IDC_NEW                  1008
#define IDC_ADD                  1009
#define IDC_PUSH                 1039
#define IDC_PUSHTIME             1040
#define IDC_SPIN_PUSHTIME        1044

// Settings dialog (template 134).
#define IDC_DOALARM              1010
#define IDC_DEFAULTTEXT          1011
#define IDC_DEFAULTTIMEADD       1012
#define IDC_SPIN_DEFAULTTIMEADD  1016
#define IDC_DEFAULTREMIND        1017
#define IDC_HOTKEY               1020
#define IDC_WINDOWSKEY           1021
#define IDC_STARTMINIMIZED       1022
#define IDC_DOREMIND             1023
#define IDC_REMINDTIME           1024
#define IDC_SPIN_REMINDTIME      1025
#define IDC_AUTOSTART            1026
#define IDC_BLINKONALARM         1027
#define IDC_PLAYSOUND            1035
#define IDC_SOUNDFILE            1036
#define IDC_BROWSESOUND          1037
#define IDC_TESTSOUND            1038
#define IDC_DEFAULTPUSH          1041
#define IDC_DEFAULTPUSHTIME      1042
#define IDC_PUSHONMINIMIZE       1043
#define IDC_SPIN_DEFAULTPUSHTIME 1044
#define IDC_VIEWPUSHTIME         1047
#define IDC_AUTOSAVE             1048

// About dialog (template 100).
#define IDC_LINK_WEB             1004
#define IDC_LINK_MAIL            1005
#define IDC_LINK_README          1040

// Menu commands (menu 132, accelerators 133).
#define ID_FILE_QUIT             32771
#define ID_HELP_ABOUT            32773
#define ID_HELP_README           32774
#define ID_EDIT_MOVEUP           32775
#define ID_EDIT_MOVEDOWN         32776
#define ID_OPTIONS_CHECKING      32777
#define ID_EDIT_CHECKNOW         32778
#define ID_EDIT_FINDNEXT         32779
#define ID_OPTIONS_SETTINGS      32780
#define ID_GOTO_PREVCURRENT      32781
#define ID_GOTO_NEXTCURRENT      32782
#define ID_FILE_NEWMESSAGE       32783
#define ID_FILE_SAVEAS           32786
#define ID_SORT_DESCENDING       32789
#define ID_SORT_MARKEDFIRST      32791
#define ID_EDIT_SORTBYTIME       32792
#define ID_EDIT_SORTALPHA        32793
#define ID_EDIT_DELETE           32794
#define ID_EDIT_PUSHFORWARD      32795

// String table.
#define IDS_ABOUTBOX             101
#define IDS_ADD                  200
#define IDS_CHANGE               201
#define IDS_URL                  300
#define IDS_MAILTO               301
#define IDS_README               302
#define IDS_ASK_QUIT             60000
#define IDS_ASK_DELETE           60001
#define IDS_TIP_ON               60100
#define IDS_TIP_OFF              60101
#define IDS_TIP_DUE              60102
#define IDS_DEFAULT_EXT          60200
#define IDS_SHORTCUT_NAME        60201
#define IDS_FILE_FILTER          60203
#define IDS_NOT_FOUND            60300
#define IDS_HOTKEY_FAILED        60301
#define IDS_LOAD_FAILED          60302
#define IDS_README_FAILED        60303
#define IDS_TIMER_FAILED         60304
#define IDS_NO_MORE_CURRENT      60305
#define IDS_SAVE_FAILED          60306
#define IDS_SHORTCUT_FAILED      60307
#define IDS_NOT_ANSWERING        60308
#define IDS_CMDLINE_USAGE        60310
#define IDS_CMDLINE_UNKNOWN      60311
#define IDS_CMDLINE_FOLDER       60312
#define IDS_CMDLINE_MANY         60313
#define IDS_VERSION              60314
#define IDS_MERGE_KEPT_BOTH      60315
#define IDS_LIST_HELD            60316
#define IDS_ASK_SHORTCUT         60400
#define IDS_SHORTCUT_CREATED     60401
#define IDS_DEFAULT_SOUND        60500
#define IDS_SOUND_FILTER         60501
#define IDS_SOUND_FAILED         60502
#define IDS_COLUMN_TIME          60600
#define IDS_COLUMN_TEXT          60601
