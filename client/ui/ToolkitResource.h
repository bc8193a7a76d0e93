// Resource ids of the UI toolkit. The tree's state pictures carry the state
// codes themselves (513-516, 534, 543, 544). Ids the toolkit picks for itself
// lie in 21500-21699 so that they meet no other folder's resources.
#pragma once
#define IDB_TREE_DEVICE_LIVE 513
#define IDB_TREE_DEVICE_OFF 514
#define IDB_TREE_CHANNEL_SHOWN 515
#define IDB_TREE_CHANNEL_IDLE 516
#define IDB_TREE_DEVICE_TALK 534
#define IDB_TREE_CHANNEL_REC 543
#define IDB_TREE_CHANNEL_SHOWN_REC 544
// The sliders' default pictures.
#define IDB_SLIDER_CHANNEL 21600
#define IDB_SLIDER_CHANNEL_ACTIVE 21601
#define IDB_SLIDER_THUMB 21602
#define IDB_SLIDER_THUMB_ACTIVE 21603
#define IDB_SLIDER_VALUE 21604
// The colour panel's track bars: the groove before and beyond the thumb.
#define IDB_TRACK_FILLED 21605
#define IDB_TRACK_REST 21606
// The switch-mode panel's button strips, one per state.
#define IDB_SWITCH_UP 21610
#define IDB_SWITCH_OVER 21611
#define IDB_SWITCH_DOWN 21612
#define IDB_SWITCH_DISABLE 21613
