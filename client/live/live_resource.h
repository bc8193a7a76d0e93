// Resource and control ids of the device panel.
#pragma once
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
