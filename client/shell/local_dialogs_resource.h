// Resource ids of the shell's local dialogs: the settings dialogs, the
// server entry, the local work plan, the check-list pickers, the preview
// plans, the alarm video pop-up and the about box. Dialog ids and the
// control ids named for them are the system's own; the other control ids
// lie in 3100-3199.
#pragma once

#define IDD_ABOUTBOX 100
#define IDD_LOCAL_POLLING 147
#define IDD_CHANNEL_SELECT 156
#define IDD_LOCAL_WORK_PLAN 158
#define IDD_WEEKDAY_SELECT 159
#define IDD_LOCAL_CHANNEL_SELECT 160
#define IDD_SERVER_INFO 167
#define IDD_LOCAL_STORAGE 197
#define IDD_LOCAL_ALARM_SET 199
#define IDD_ALARM_VIDEO 200
#define IDD_LANGUAGE 219
#define IDD_PREVIEW_PLAN 541
#define IDD_PLAN_NAME 542

#define IDB_ALARM_BROWSE 183
#define IDB_ALARM_PLAY 184

// Check-list pickers (channel, weekday, local channel): the list; the
// "Select All" button is id 3.
#define IDC_CHECK_LIST 1101
#define IDC_SELECT_ALL 3

// "Local Polling Settings"
#define IDC_POLL_INTERVAL 3100
#define IDC_POLL_SPIN 3101

// "Local Storage Settings"
#define IDC_STORAGE_DISKS 3110
#define IDC_STORAGE_SELECT_ALL 3111
#define IDC_STORAGE_CLEAR_ALL 3112
#define IDC_STORAGE_MINUTES 3113
#define IDC_STORAGE_SPIN 3114
#define IDC_STORAGE_RECORD_DIR 3115
#define IDC_STORAGE_PICTURE_DIR 3116

// "Local Alarm Settings"
#define IDC_ALARM_LOST 3120
#define IDC_ALARM_LOST_FILE 3121
#define IDC_ALARM_LOST_BROWSE 3122
#define IDC_ALARM_LOST_PLAY 3123
#define IDC_ALARM_MOTION 3124
#define IDC_ALARM_MOTION_FILE 3125
#define IDC_ALARM_MOTION_BROWSE 3126
#define IDC_ALARM_MOTION_PLAY 3127
#define IDC_ALARM_PROBE 3128
#define IDC_ALARM_PROBE_FILE 3129
#define IDC_ALARM_PROBE_BROWSE 3130
#define IDC_ALARM_PROBE_PLAY 3131
#define IDC_ALARM_BEEP 3132
#define IDC_ALARM_RECORD 3133
#define IDC_ALARM_PRERECORD 3134
#define IDC_ALARM_REC_DELAY 3135
#define IDC_ALARM_REC_SPIN 3136
#define IDC_ALARM_SOUND_DELAY 3137
#define IDC_ALARM_SOUND_SPIN 3138

// "Select Language"
#define IDC_LANGUAGE_LIST 3140

// "Server Info"
#define IDC_SERVER_ADDRESS 3150
#define IDC_SERVER_NAME 3151
#define IDC_SERVER_USER 3152
#define IDC_SERVER_PASSWORD 3153
#define IDC_SERVER_PORT 3154
#define IDC_SERVER_CHANNELS 3155
#define IDC_SERVER_MODE 3156
#define IDC_SERVER_ONLINE_LIST 3157
#define IDC_SERVER_REFRESH 3158

// "Local Auto Work Plan"
#define IDC_WP_ENABLE 3160
#define IDC_WP_CHANNELS 3161
#define IDC_WP_DAYS 3162
#define IDC_WP_ENTRIES 3163
#define IDC_WP_ADD 3164
#define IDC_WP_MODIFY 3165
#define IDC_WP_DELETE 3166
#define IDC_WP_COPY_WEEK 3167
#define IDC_WP_COPY_CHANNEL 3168

// "About"
#define IDC_ABOUT_VERSION 3170

// "Alarm Video"
#define IDC_ALARM_VIDEO_AREA 1212

// "Preview Plans" and the plan name
#define IDC_PLAN_LIST 1057
#define IDC_PLAN_SAVE 1000
#define IDC_PLAN_OPEN 1001
#define IDC_PLAN_DELETE 1096
#define IDC_PLAN_NAME 1058
