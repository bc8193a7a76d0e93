// Resource ids of the menu skin's tests: 20700-20799, apart from the ids of
// the client and of the other toolkit tests.
#pragma once
#define IDD_SKINNED_DIALOG 20700
#define IDR_SKINNED_MENU 20701
#define IDC_SKINNED_LABEL 20702
#define ID_OPEN 20710
#define ID_EXIT 20711
#define ID_DEEP 20712
#define ID_RECORD 20713
#define ID_PLAY 20714
#define ID_ABOUT 20715
#define ID_LOG_LOCAL 20716
#define ID_ADDED 20717
#define IDR_SKINNED_TOOLBAR 20730
#define IDR_MISSING_TOOLBAR 20731
