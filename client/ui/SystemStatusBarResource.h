// Resource and control ids of the system status bar. The lamps share one
// id; the kind buttons carry "next kind".
#pragma once
#define IDD_SYSTEM_STATUSBAR 148
#define IDC_STATUS_LAMP 3025
#define IDC_STATUS_NEXT_KIND 3026
#define IDC_STATUS_ALL_OPEN 3027
#define IDC_STATUS_ALL_CLOSE 3028
#define IDC_STATUS_HIDE 3029
#define IDC_STATUS_KIND2 3030
#define IDC_STATUS_KIND4 3031
#define IDC_STATUS_KIND3 3032
#define IDC_STATUS_KIND0 3033
#define IDC_STATUS_KIND1 3034
#define IDC_STATUS_EXCHANGE 3035
#define IDC_STATUS_READ 3036
#define IDC_STATUS_NOTHING 3037
