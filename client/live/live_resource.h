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
