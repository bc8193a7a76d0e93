// The device panel as the features reach it: null until the panel exists.
#include "device_panel_face.h"

CDevicePanelFace* g_pDeviceDlg = nullptr;
