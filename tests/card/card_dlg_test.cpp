// "Output analogue" with the Mirelle stand-in (two outputs): connecting,
// assigning windows 3 and 7 to positions 1 and 2 of output 1, the pictures
// the card receives from the windows' decoded streams, removing, rotation
// and disconnecting.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "analog_output_dlg.h"
#include "annexb.h"
#include "card_pictures.h"
#include "card_session.h"
#include "ffmpeg_api.h"
#include "gui_kit.h"
#include "shell_fixture.h"

namespace {

using namespace cardtest;

std::vector<std::string> LogLines(const std::string& folder) {
  std::ifstream in(folder + "\\Mirelle.log");
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), {});
}

// The first `count` access units of a clip.
std::vector<std::vector<uint8_t>> Units(const char* clip, size_t count) {
  auto units = testsupport::SplitAccessUnits(testsupport::ReadFileBytes(std::string(SELVANE_TEST_DATA) + "/" + clip));
  if (units.size() > count) units.resize(count);
  return units;
}

// The clip's last picture of those units, decoded apart and scaled to a quarter.
std::vector<uint8_t> ReferenceQuarter(const std::vector<std::vector<uint8_t>>& units) {
  intptr_t h = ffmpeg_h264_init();
  std::vector<uint8_t> quarter;
  for (const auto& u : units) {
    int got = 0;
    FfmpegPicture p{};
    if (ffmpeg_h264_decode(h, u.data(), int(u.size()), &got, &p) >= 0 && got)
      card::ScaleToQuarterPicture(quarter, card::ContiguousPicture(p.y, p.width, p.height));
  }
  ffmpeg_h264_Release(h);
  return quarter;
}

class CardDlgTest : public ::testing::Test {
protected:
  void SetUp() override {
    gui::InitControls();
    folder = std::string(scratch.Path().Left(scratch.Path().GetLength() - 1));
    ::SetEnvironmentVariableA("MIRELLE_FOLDER", folder.c_str());
    ::SetEnvironmentVariableA("MIRELLE_OUTPUTS", "2");
    ::SetEnvironmentVariableA("MIRELLE_DSPS", "4");
    boxes = std::make_unique<gui::MessageBoxScript>(std::vector<int>{}, IDOK);
    dlg = std::make_unique<CAnalogOutputDlg>(TheCardSession());
    dlg->m_windowShowsChannel = [](int w) { return w == 2 || w == 6; };
    ASSERT_TRUE(dlg->Create(CAnalogOutputDlg::IDD, nullptr));
    dlg->ShowWindow(SW_SHOW);
    h = dlg->GetSafeHwnd();
  }
  void TearDown() override {
    gui::Click(h, IDC_CARD_DISCONNECT);
    dlg->DestroyWindow();
    dlg.reset();
    boxes.reset();
    for (int w = 0; w < card::kWindows; ++w) TheCardDecoders().Forget(w);
  }
  HTREEITEM Child(HTREEITEM parent, int index) {
    HTREEITEM c = dlg->m_tree.GetChildItem(parent);
    while (c && index-- > 0) c = dlg->m_tree.GetNextSiblingItem(c);
    return c;
  }
  HTREEITEM Position(int output, int position) { return Child(Child(dlg->m_tree.GetRootItem(), output), position - 1); }
  void SelectRow(int row) {
    dlg->m_list.SetItemState(-1, 0, LVIS_SELECTED);
    dlg->m_list.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
  }
  void AssignRow(int row, int output, int position) {
    SelectRow(row);
    gui::SelectTreeItem(h, IDC_CARD_TREE, Position(output, position));
    gui::Click(h, IDC_CARD_ASSIGN);
  }
  std::vector<std::string> NewLines() {
    std::vector<std::string> all = LogLines(folder);
    std::vector<std::string> fresh(all.begin() + std::min(seen, all.size()), all.end());
    seen = all.size();
    return fresh;
  }

  ScratchDir scratch{"card"};
  std::string folder;
  size_t seen = 0;
  HWND h = nullptr;
  std::unique_ptr<gui::MessageBoxScript> boxes;
  std::unique_ptr<CAnalogOutputDlg> dlg;
};

}  // namespace

TEST_F(CardDlgTest, ConnectOnceFillsTheTree) {
  gui::Click(h, IDC_CARD_CONNECT);
  EXPECT_EQ((std::vector<std::string>{"InitCards -> 1", "SetVideoStandard 0", "GetChannels -> 2", "GetDSPs -> 4",
                                      "OpenChannel 0", "OpenChannel 1"}),
            NewLines());
  EXPECT_EQ("Connected", gui::Text(h, IDC_CARD_CONNECT));
  HTREEITEM root = dlg->m_tree.GetRootItem();
  EXPECT_EQ("Analouge Chan", std::string(dlg->m_tree.GetItemText(root)));
  EXPECT_EQ(2, dlg->CountChildItems(root));
  EXPECT_EQ("Channel02", std::string(dlg->m_tree.GetItemText(Child(root, 1))));
  EXPECT_EQ("Output pos04", std::string(dlg->m_tree.GetItemText(Position(1, 4))));
  EXPECT_EQ("Window03", std::string(dlg->m_list.GetItemText(2, 0)));
  EXPECT_TRUE(dlg->m_list.IsRowMarked(6));
  EXPECT_FALSE(dlg->m_list.IsRowMarked(5));

  gui::Click(h, IDC_CARD_CONNECT);
  ASSERT_EQ(1u, boxes->Count());
  EXPECT_EQ("Have connected to card", boxes->Boxes()[0].text);
  EXPECT_TRUE(NewLines().empty());
}

TEST_F(CardDlgTest, FailedInitShowsItsMessage) {
  ::SetEnvironmentVariableA("MIRELLE_OUTPUTS", nullptr);
  gui::Click(h, IDC_CARD_CONNECT);
  ASSERT_EQ(1u, boxes->Count());
  EXPECT_EQ("Cards is running or .img not found!", boxes->Boxes()[0].text);
  EXPECT_EQ("Disconnected", gui::Text(h, IDC_CARD_CONNECT));
  EXPECT_EQ(std::vector<std::string>{"InitCards -> 0"}, NewLines());
  gui::Click(h, IDC_CARD_ASSIGN);
  EXPECT_EQ("Please connect to decard first", boxes->Boxes().back().text);
}

TEST_F(CardDlgTest, WindowsThreeAndSevenOnOutputOneThenRemovedRotatedAndDisconnected) {
  gui::Click(h, IDC_CARD_CONNECT);
  NewLines();
  SelectRow(2);
  gui::SelectTreeItem(h, IDC_CARD_TREE, Child(dlg->m_tree.GetRootItem(), 0));
  gui::Click(h, IDC_CARD_ASSIGN);
  EXPECT_EQ("Please Choose Output Pos", boxes->Boxes().back().text);

  AssignRow(2, 0, 1);  // window 3
  AssignRow(6, 0, 2);  // window 7
  EXPECT_EQ((card::CardAssignment{0, 1, 1}), dlg->Model().Assignment(2));
  EXPECT_EQ((card::CardAssignment{0, 1, 2}), dlg->Model().Assignment(6));
  EXPECT_EQ("01", std::string(dlg->m_list.GetItemText(6, 1)));
  EXPECT_EQ("02", std::string(dlg->m_list.GetItemText(6, 2)));
  EXPECT_EQ(1, dlg->HasMultipleAssignedPositions(Child(dlg->m_tree.GetRootItem(), 0)));
  EXPECT_EQ("Window07", std::string(dlg->m_tree.GetItemText(Child(Position(0, 2), 0))));

  // The windows' streams, decoded for the card: a CIF clip and a D1 clip.
  auto cif = Units("cif_noaud.264", 6), d1 = Units("d1.264", 6);
  for (const auto& u : cif) TheCardDecoders().Push(2, u.data(), int(u.size()));
  for (const auto& u : d1) TheCardDecoders().Push(6, u.data(), int(u.size()));
  TheCardSession().SetFeed(true);
  EXPECT_EQ(1, TheCardSession().RunFeed(TheCardDecoders()));
  std::vector<uint8_t> shown = ReadBytes(folder + "/output0.yuv");
  ASSERT_EQ(size_t(card::kPictureBytes), shown.size());
  EXPECT_LT(QuarterDifference(shown, 0, ReferenceQuarter(cif)), 2.0);
  EXPECT_LT(QuarterDifference(shown, 1, ReferenceQuarter(d1)), 2.0);
  EXPECT_GT(QuarterDifference(shown, 0, ReferenceQuarter(d1)), 10.0);  // the two really differ
  EXPECT_TRUE(QuarterIsBlack(shown, 2));
  EXPECT_TRUE(QuarterIsBlack(shown, 3));
  EXPECT_TRUE(gui::SaveWindowBitmap(h, gui::OutputPath("analog_output_dlg.bmp")));
  SaveCardPicture(shown, gui::OutputPath("card_output0.bmp"));
  NewLines();

  // Window 7 off its position: the output is closed and cleared.
  gui::SelectTreeItem(h, IDC_CARD_TREE, Child(Position(0, 2), 0));
  gui::Click(h, IDC_CARD_REMOVE);
  EXPECT_EQ((std::vector<std::string>{"CloseChannel 0", "ClearVideoOutput 0"}), NewLines());
  EXPECT_EQ((card::CardAssignment{}), dlg->Model().Assignment(6));
  EXPECT_EQ((card::CardAssignment{0, 0, 1}), dlg->Model().Assignment(2));
  EXPECT_EQ("", std::string(dlg->m_list.GetItemText(6, 1)));

  // Rotation: windows 3 and 7 on one position show 3, 7, 3.
  AssignRow(6, 0, 1);
  std::vector<int> rotation;
  for (int i = 0; i < 3; ++i) {
    ::SendMessageA(h, WM_TIMER, CAnalogOutputDlg::kRotationTimer, 0);
    rotation.push_back(dlg->Model().RotationSlot(0) + 1);
  }
  EXPECT_EQ((std::vector<int>{3, 7, 3}), rotation);
  EXPECT_EQ(2, TheCardSession().Model().QuarterWindow(0, 0));

  NewLines();
  gui::Click(h, IDC_CARD_DISCONNECT);
  EXPECT_EQ((std::vector<std::string>{"CloseChannel 0", "ClearVideoOutput 0", "CloseChannel 1", "ClearVideoOutput 1",
                                      "ReleaseCards"}),
            NewLines());
  EXPECT_EQ(0, TheCardSession().RunFeed(TheCardDecoders()));
  EXPECT_TRUE(NewLines().empty());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA((folder + "/output0.yuv").c_str()));
  EXPECT_EQ(0, dlg->CountChildItems(dlg->m_tree.GetRootItem()));  // root only
}

TEST_F(CardDlgTest, DisconnectWaitsForARunningFeed) {
  gui::Click(h, IDC_CARD_CONNECT);
  AssignRow(0, 1, 3);
  auto cif = Units("cif_noaud.264", 2);
  for (const auto& u : cif) TheCardDecoders().Push(0, u.data(), int(u.size()));
  TheCardSession().SetFeed(true);
  std::atomic<bool> stop{false};
  std::atomic<int> runs{0};
  std::thread feeder([&] {
    for (int i = 0; i < 2000 && !stop; ++i) {
      TheCardSession().RunFeed(TheCardDecoders());
      ++runs;
    }
  });
  gui::PumpUntil([&] { return runs > 3; }, 20000);
  gui::Click(h, IDC_CARD_DISCONNECT);
  stop = true;
  feeder.join();
  for (const std::string& l : LogLines(folder)) EXPECT_EQ(std::string::npos, l.find("ERROR")) << l;
  EXPECT_EQ("ReleaseCards", LogLines(folder).back());
}

TEST_F(CardDlgTest, ClearEmptiesThePositionsAndTheIntervalStaysWithinOneToAHundred) {
  gui::Click(h, IDC_CARD_CONNECT);
  AssignRow(4, 1, 2);
  NewLines();
  gui::Click(h, IDC_CARD_CLEAR);
  EXPECT_EQ((std::vector<std::string>{"CloseChannel 0", "ClearVideoOutput 0", "CloseChannel 1", "ClearVideoOutput 1"}),
            NewLines());
  EXPECT_EQ((card::CardAssignment{}), dlg->Model().Assignment(4));
  EXPECT_EQ("Output Pos02", std::string(dlg->m_tree.GetItemText(Position(1, 2))));
  EXPECT_EQ(0, dlg->CountChildItems(Position(1, 2)));
  EXPECT_EQ("", std::string(dlg->m_list.GetItemText(4, 1)));

  gui::SetText(h, IDC_CARD_INTERVAL, "150");
  EXPECT_EQ("100", gui::Text(h, IDC_CARD_INTERVAL));
  gui::SetText(h, IDC_CARD_INTERVAL, "0");
  gui::Command(h, IDC_CARD_INTERVAL, EN_KILLFOCUS);
  EXPECT_EQ("1", gui::Text(h, IDC_CARD_INTERVAL));
}
