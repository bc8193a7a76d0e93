// Resource ids of the main dialog's side panels and the preset dialog.
#pragma once

#define IDD_SET_PRESET 164
#define IDD_PTZ_PANEL 225
#define IDD_PLAN_PANEL 227
#define IDD_COLOR_PANEL 228

// PTZ panel.
#define IDC_PTZ_ZOOM_LABEL 1048
#define IDC_PTZ_IRIS_LABEL 1040
#define IDC_PTZ_FOCUS_LABEL 1045
#define IDC_PTZ_IRIS_REDUCE 2197
#define IDC_PTZ_IRIS_ADD 2198
#define IDC_PTZ_FOCUS_REDUCE 2199
#define IDC_PTZ_FOCUS_ADD 2200
#define IDC_PTZ_ZOOM_REDUCE 2201
#define IDC_PTZ_ZOOM_ADD 2202
#define IDC_PTZ_UP 2203
#define IDC_PTZ_DOWN 2204
#define IDC_PTZ_LEFT 2205
#define IDC_PTZ_RIGHT 2206
#define IDC_PTZ_LEFT_UP 2207
#define IDC_PTZ_LEFT_DOWN 2208
#define IDC_PTZ_RIGHT_UP 2209
#define IDC_PTZ_RIGHT_DOWN 2210
#define IDC_PTZ_SIT 2232
#define IDC_PTZ_SHOW 2237
#define IDC_COLOR_SHOW 2238
#define IDC_PLAN_SHOW 2239
#define IDC_COLOR_DEFAULT 2240
// The colour panel's sliders and their labels (label ids of our own,
// 2241-2244).
#define IDC_COLOR_SLIDER_1038 1038
#define IDC_COLOR_SLIDER_1039 1039
#define IDC_COLOR_SLIDER_1040 1040
#define IDC_COLOR_SLIDER_1041 1041
#define IDC_COLOR_LABEL_FIRST 2241

// Preset dialog.
#define IDC_PRESET_COMBO 1082
#define IDC_PRESET_SET 1000
#define IDC_PRESET_CALL 1001
#define IDC_PRESET_CLEAR 1002
#define IDC_PRESET_SPEED 1012

// The panels' button notice (wParam 513 press, 514 release; lParam code).
#define WM_PTZ_BUTTON_NOTIFY 5025
// The sliders' release notice (wParam 514).
#define WM_COLOR_SLIDER_NOTIFY 1124
