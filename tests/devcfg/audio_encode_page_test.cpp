// The audio encode page: byte 0 of the audio part (608) as the check box,
// the two type fields written 0, and "Copy Settings To ...".
#include "local_dialogs_resource.h"
#include "page_kit.h"

namespace {
Bytes Patterned(uint8_t seed) {
  Bytes b(1024);
  for (size_t i = 0; i < b.size(); ++i) b[i] = uint8_t(seed + i * 7);
  b[0] = 'A';
  b[1] = 0;
  return b;
}
}  // namespace

TEST_F(PageTest, AudioByteZeroAsTheCheckBox) {
  Open();
  HWND page = dlg->AudioPage().GetSafeHwnd();
  struct Case {
    uint8_t loaded;
    bool shownEnabled;
    uint8_t saved;
  } cases[] = {{0, true, 0}, {1, false, 1}, {255, false, 1}};
  for (const Case& c : cases) {
    Bytes block = Patterned(c.loaded);
    block[608] = c.loaded;
    Deliver(kPageAudio, 0, block);
    EXPECT_TRUE(IsWindowVisible(page));
    EXPECT_EQ(gui::IsChecked(page, IDC_AUDIO_ENABLE), c.shownEnabled) << int(c.loaded);
    EXPECT_EQ(IsWindowEnabled(gui::Control(page, IDC_AUDIO_TYPE)) != FALSE, c.shownEnabled);
    EXPECT_TRUE(IsWindowEnabled(gui::Control(hwnd, IDC_FES_SAVE_CHANNEL)));
    gui::Click(hwnd, IDC_FES_SAVE_CHANNEL);
    const Bytes saved = Mirror(0);
    EXPECT_EQ(saved[608], c.saved) << int(c.loaded);
    for (size_t i = 609; i < 617; ++i) EXPECT_EQ(saved[i], 0) << "type and rate are written 0";
    EXPECT_TRUE(DiffOutside(saved, block, 608, 9).empty()) << int(c.loaded);
  }
  // The operator's click: the combos follow, the save writes it.
  gui::Click(page, IDC_AUDIO_ENABLE);
  EXPECT_TRUE(gui::IsChecked(page, IDC_AUDIO_ENABLE));
  EXPECT_TRUE(IsWindowEnabled(gui::Control(page, IDC_AUDIO_RATE)));
  gui::Click(hwnd, IDC_FES_SAVE_CHANNEL);
  EXPECT_EQ(Mirror(0)[608], 0);
  gui::SaveWindowBitmap(hwnd, gui::OutputPath("frontend_settings_audio.bmp"));
}

TEST_F(PageTest, AudioCopySkipsTheCurrentChannel) {
  Open();
  HWND page = dlg->AudioPage().GetSafeHwnd();
  Bytes block = Patterned(3);
  block[608] = 0;  // enabled
  Deliver(kPageAudio, 0, block);
  const Bytes before[4] = {Mirror(0), Mirror(1), Mirror(2), Mirror(3)};
  gui::Click(page, IDC_AUDIO_ENABLE);  // now disabled, not saved yet
  pickedMask = 0b1111;                 // 0 (current), 1, and 2 and 3 not offered
  const size_t sent = SentCount();
  gui::Click(page, IDC_AUDIO_COPY);
  // One name per channel slot in use, from the mirror.
  EXPECT_EQ(offeredNames, (std::vector<std::string>{"A", "Yard"}));
  EXPECT_EQ(Mirror(1)[608], 1);
  EXPECT_TRUE(DiffOutside(Mirror(1), before[1], 608, 9).empty()) << "the copy left the audio part's 9 bytes";
  EXPECT_EQ(Mirror(2), before[2]) << "a channel not offered changed";
  EXPECT_EQ(Mirror(3), before[3]) << "a channel not offered changed";
  EXPECT_EQ(SentCount(), sent) << "the page sends nothing";
  // Cancel copies nothing.
  pickerAnswersOk = false;
  Bytes again = block;
  again[608] = 0;
  Deliver(kPageAudio, 1, again);  // not the current channel: mirror only
  const Bytes kept = Mirror(1);
  gui::Click(page, IDC_AUDIO_COPY);
  EXPECT_EQ(Mirror(1), kept);
}

TEST_F(PageTest, AudioCopyThroughTheChannelSelectionDialog) {
  devcfg::SetChannelPicker(nullptr);  // the shell's picker dialog
  Open();
  HWND page = dlg->AudioPage().GetSafeHwnd();
  Bytes block = Patterned(5);
  block[608] = 0;
  Deliver(kPageAudio, 0, block);
  gui::Click(page, IDC_AUDIO_ENABLE);  // disabled on the page
  int rows = -1;
  NestedDialog answer("Channel Selection", [&](HWND d) {
    rows = ListView_GetItemCount(gui::Control(d, IDC_CHECK_LIST));
    gui::Click(d, IDC_SELECT_ALL);
    gui::Click(d, IDOK);
  });
  gui::Click(page, IDC_AUDIO_COPY);
  ASSERT_TRUE(answer.Seen());
  EXPECT_EQ(rows, 2) << "one row per channel slot in use";
  EXPECT_EQ(Mirror(1)[608], 1);
  EXPECT_NE(Mirror(2)[608], 1) << "beyond the channels offered";
}
