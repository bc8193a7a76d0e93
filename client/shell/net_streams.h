// The SDK's live-stream exports behind the stream-control seam.
#pragma once
#include <windows.h>

#include "core/Orvik.h"
#include "stream_delivery.h"

class CNetStreamControl : public shell::ISdkStreamControl {
public:
  // The callbacks the streams deliver to: main streams and sub streams.
  CNetStreamControl(NET_StreamDataCallback mainCallback, NET_StreamDataCallback subCallback)
      : m_main(mainCallback), m_sub(subCallback) {}
  int StartStream(int loginId, int channel, int kind, void* user) override {
    return kind == 0 ? NET_StartRealPlay(loginId, channel, m_main, user)
                     : NET_StartSubStream(loginId, channel, m_sub, user);
  }
  int StopStream(int loginId, int channel, int kind) override {
    return kind == 0 ? NET_StopRealPlay(loginId, channel) : NET_StopSubStream(loginId, channel);
  }

private:
  NET_StreamDataCallback m_main, m_sub;
};
