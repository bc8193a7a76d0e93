// Resource ids of the client shell.
#pragma once
#define IDD_STARTLOGO 130
#define IDC_STARTLOGO_PROGRESS 1004
