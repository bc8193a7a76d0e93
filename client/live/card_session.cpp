#include "card_session.h"

#include "Mirelle.h"
#include "ffmpeg_api.h"

int CMirelleCard::InitCards() { return KD27_InitCards(); }
void CMirelleCard::SetVideoStandard(int standard) { KD27_SetVideoStandard(standard); }
int CMirelleCard::GetChannels() { return KD27_GetChannels(); }
int CMirelleCard::GetDSPs() { return KD27_GetDSPs(); }
void CMirelleCard::OpenChannel(int output) { KD27_OpenChannel(output); }
void CMirelleCard::InputData(int output, const uint8_t* picture, int width, int height, int flag) {
  KD27_InputData(output, const_cast<unsigned char*>(picture), width, height, flag);
}
void CMirelleCard::CloseChannel(int output) { KD27_CloseChannel(output); }
void CMirelleCard::ClearVideoOutput(int output) { KD27_ClearVideoOutput(output); }
void CMirelleCard::ReleaseCards() { KD27_ReleaseCards(); }

CCardDecoders::CCardDecoders() = default;

CCardDecoders::~CCardDecoders() {
  for (int w = 0; w < card::kWindows; ++w) Forget(w);
}

bool CCardDecoders::Push(int window, const uint8_t* data, int length) {
  if (window < 0 || window >= card::kWindows || !data || length <= 0) return false;
  Decoder& d = m_decoders[window];
  std::lock_guard<std::mutex> g(d.lock);
  if (!d.handle) d.handle = ffmpeg_h264_init();
  if (!d.handle) return false;
  int got = 0;
  FfmpegPicture picture{};
  if (ffmpeg_h264_decode(d.handle, data, length, &got, &picture) < 0 || !got) return true;
  if (picture.width < 2 || picture.height < 2 || !picture.y) return true;
  // Kept at the quarter's size: the feed only copies it. The decoder's
  // planes lie one after the other without padding.
  card::ScaleToQuarterPicture(d.picture, card::ContiguousPicture(picture.y, picture.width, picture.height));
  return true;
}

void CCardDecoders::Forget(int window) {
  if (window < 0 || window >= card::kWindows) return;
  Decoder& d = m_decoders[window];
  std::lock_guard<std::mutex> g(d.lock);
  if (d.handle) ffmpeg_h264_Release(d.handle);
  d.handle = 0;
  d.picture.clear();
}

bool CCardDecoders::CopyPicture(int window, std::vector<uint8_t>& picture, int& width, int& height) {
  if (window < 0 || window >= card::kWindows) return false;
  Decoder& d = m_decoders[window];
  std::lock_guard<std::mutex> g(d.lock);
  if (d.picture.empty()) return false;
  picture = d.picture;
  width = card::kQuarterWidth;
  height = card::kQuarterHeight;
  return true;
}

card::CCardSession& TheCardSession() {
  static CMirelleCard library;
  static card::CCardSession session(library);
  return session;
}

CCardDecoders& TheCardDecoders() {
  static CCardDecoders decoders;
  return decoders;
}

void ReleaseCardOnShutdown(int outputs) { TheCardSession().Disconnect(outputs); }
