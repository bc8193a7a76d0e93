// Pages over a part of the channel block, driven as the dialog drives
// them: a block for the current channel delivered with message 0x0B09
// while the page is the current one, the operator's changes, "Save
// Channel", and the mirror's bytes read back.
#pragma once
#include "copy_pickers.h"
#include "settings_fixture.h"

class ChannelPageTest : public FrontEndSettings {
protected:
  // What the fake channel picker was offered and answers.
  std::vector<std::string> offeredNames;
  uint64_t pickedMask = 0;
  bool pickerAnswersOk = true;

  void SetUp() override {
    FrontEndSettings::SetUp();
    devcfg::SetChannelPicker([this](CWnd*, const std::vector<std::string>& names, uint64_t* mask) {
      offeredNames = names;
      *mask = pickedMask;
      return pickerAnswersOk;
    });
  }
  void TearDown() override {
    devcfg::SetChannelPicker(nullptr);
    FrontEndSettings::TearDown();
  }
  // Makes page the current one and hands it channel's block (channel
  // below the two slots in use).
  void Deliver(int page, int channel, const Bytes& block) {
    dlg->SelectPage(page);
    ASSERT_EQ(SendMessageA(hwnd, WM_FES_SET_CHANNEL_BLOCK, WPARAM(channel), LPARAM(block.data())), 0);
  }
  Bytes Mirror(int channel) {
    const uint8_t* b = dlg->MirrorBlock(channel).bytes;
    return Bytes(b, b + 1024);
  }
  // Bytes of a and b that differ, outside [from, from + size).
  static std::vector<size_t> DiffOutside(const Bytes& a, const Bytes& b, size_t from, size_t size) {
    std::vector<size_t> d;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
      if ((i < from || i >= from + size) && a[i] != b[i]) d.push_back(i);
    return d;
  }
};
