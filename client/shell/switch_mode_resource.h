// Resource and command ids of the switch-mode panel.
#pragma once
#define IDD_SWITCH_MODE 433
#define IDC_SPLIT_1 3224
#define IDC_SPLIT_4 3225
#define IDC_SPLIT_9 3226
#define IDC_SPLIT_16 3227
#define IDC_SPLIT_25 3228
#define IDC_SPLIT_36 3229
#define IDC_SPLIT_6 3231
#define IDC_SPLIT_8 3232
#define IDC_SPLIT_13 3233
#define IDC_SPLIT_20 3234
#define IDC_FULL_SCREEN 3235
#define IDC_RECORD_ALL 3236
#define IDC_CLOSE_ALL_VIDEO 3237
#define IDC_HARD_DECODE 3238
