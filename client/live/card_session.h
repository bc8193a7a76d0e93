// The process's video-output card: the card library Mirelle.dll behind the
// card session, and the decoders that turn the streams of the windows
// assigned to the card into pictures for its quarters.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "card_feed.h"

class CMirelleCard : public card::ICardLibrary {
public:
  int InitCards() override;
  void SetVideoStandard(int standard) override;
  int GetChannels() override;
  int GetDSPs() override;
  void OpenChannel(int output) override;
  void InputData(int output, const uint8_t* picture, int width, int height, int flag) override;
  void CloseChannel(int output) override;
  void ClearVideoOutput(int output) override;
  void ReleaseCards() override;
};

// One H.264 decoder (ffmpeg_api) per monitor window whose stream feeds the
// card. The stream callbacks push access units on the SDK's threads; the
// feed copies the latest picture, kept at the quarter's 352 x 288.
class CCardDecoders : public card::IWindowPictures {
public:
  CCardDecoders();
  ~CCardDecoders() override;
  CCardDecoders(const CCardDecoders&) = delete;
  CCardDecoders& operator=(const CCardDecoders&) = delete;

  // Decodes one access unit of the window's video stream. FALSE for a
  // window outside 0..35 or a decoder that cannot be made.
  bool Push(int window, const uint8_t* data, int length);
  // Forgets the window's decoder and picture (its stream changed or left
  // the card).
  void Forget(int window);
  bool CopyPicture(int window, std::vector<uint8_t>& picture, int& width, int& height) override;

private:
  struct Decoder {
    std::mutex lock;
    intptr_t handle = 0;
    std::vector<uint8_t> picture;   // 352 x 288, 4:2:0
  };
  Decoder m_decoders[card::kWindows];
};

// The card session of the process, on Mirelle.dll.
card::CCardSession& TheCardSession();
// The decoders of the process.
CCardDecoders& TheCardDecoders();
// The shutdown's part: the feed stops, the card is closed, cleared and
// released when it is connected.
void ReleaseCardOnShutdown(int outputs);
