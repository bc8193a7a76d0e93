// The device panel as the other features see it: the connection and view
// operations the Connect Server dialog and the preview plans call. The
// panel sets g_pDeviceDlg while it lives; features do nothing of this kind
// while it is null, and their tests give it a fake.
#pragma once

class CDevicePanelFace {
public:
  virtual ~CDevicePanelFace() = default;
  // The device tree again from the configuration image, and the panel redrawn.
  virtual void RebuildDeviceTree() = 0;
  // Ends every stream and login of the device record at this index.
  virtual void DisconnectByRecord(int recordIndex) = 0;
  // Logs in every device record that is in use and not connected.
  virtual void ConnectAll() = 0;
  // Adds the device channel to the window's list and shows it; nothing when
  // no device record has this address.
  virtual void OpenChannelInWindow(const char* address, int channel, int window) = 0;
  // Stops what the window shows and empties its list.
  virtual void CloseWindowView(int window) = 0;
};

extern CDevicePanelFace* g_pDeviceDlg;
