// Resource ids of the live-monitoring dialogs. Dialog ids and the control
// ids named for them are the system's own; the others lie in 3200-3299.
#pragma once

#define IDD_CONNECT_SERVER 165
#define IDD_ALARM_UPLOAD 198
#define IDD_DEVICE_SEARCH 556

// "Connect Server"
#define IDC_CS_ADD 1000
#define IDC_CS_SEARCH 1001
#define IDC_CS_STATIC 1010
#define IDC_CS_LOG 1077
#define IDC_CS_LIST 1137
#define IDC_CS_MODIFY 1138
#define IDC_CS_DELETE 1140
#define IDC_CS_CONNECT 1141
#define IDC_CS_DISCONNECT 1143
#define IDC_CS_PROGRESS 1191
#define IDC_CS_SELECT_ALL 3

// "Device Search"
#define IDC_DS_ADD 1000
#define IDC_DS_LIST 1082
#define IDC_DS_USER 1083
#define IDC_DS_PASSWORD 1084
#define IDC_DS_CHECK_ALL 1085

// "Remote Alarm Upload Info"
#define IDC_AU_CLEAR 1000
#define IDC_AU_WATCH 1001
#define IDC_AU_LIST 1150
#define IDC_AU_AUTO_POPUP 1151
#define IDC_AU_AUTO_SCROLL 1152
#define IDC_AU_SAVE 1153

// The device panel. Its ids are the system's own; a control's id only has
// to be unique within its dialog.
#define IDD_DEVICE_DLG 226
#define IDC_DEVICE_AUTO_CONFIG 1000
#define IDC_DEVICE_CONNECT_ALL 1001
#define IDC_DEVICE_SELECT_ALL 1037
#define IDC_DEVICE_TREE 1203
#define IDC_DEVICE_PANEL_TOGGLE 2240
#define IDC_DEVICE_MANAGE 3824
#define IDC_DEVICE_REBOOT 3827
#define IDC_DEVICE_TALKING 3828
#define IDC_DEVICE_RECORD 3829
#define WM_DEVICE_LIVE_VIEW 3825
// The panel's own: a finished login handed from its worker (6400..6409).
#define WM_DEVICE_LOGIN_DONE 6400
