// The PTZ serial page: the 26-byte part at 512 shown in its combos and
// spin, saved back, and the device's protocol list of message 0x0B0C.
#include <cstring>

#include "page_kit.h"

namespace {
const int kCombos[] = {IDC_PTZ_COM, IDC_PTZ_BAUD, IDC_PTZ_DATA_BITS, IDC_PTZ_STOP_BITS, IDC_PTZ_PARITY, IDC_PTZ_FLOW};

std::string Shown(HWND page) {
  std::string s;
  for (int id : kCombos) s += (s.empty() ? "" : "/") + gui::Text(page, id);
  return s;
}
Bytes ProtocolList(uint8_t count, std::vector<std::string> names, size_t size) {
  Bytes b(size, 0);
  b[12] = count;
  for (size_t k = 0; k < names.size() && 13 + 48 * k < size; ++k)
    std::memcpy(&b[13 + 48 * k], names[k].data(), std::min(names[k].size(), size - 13 - 48 * k));
  return b;
}
std::vector<std::string> ComboItems(HWND page, int id) {
  std::vector<std::string> items;
  const int n = int(SendDlgItemMessageA(page, id, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    char text[128] = "";
    SendDlgItemMessageA(page, id, CB_GETLBTEXT, i, LPARAM(text));
    items.push_back(text);
  }
  return items;
}
}  // namespace

TEST_F(PageTest, PtzSerialRoundTrip) {
  Open();
  HWND page = dlg->PtzPage().GetSafeHwnd();
  // The page's own defaults before any block.
  EXPECT_EQ(Shown(page), "RS485/1800/8/1/NONE/NONE");

  Bytes block(1024, 0);
  std::strcpy(reinterpret_cast<char*>(block.data()), "Gate");
  Deliver(kPagePtz, 0, block);
  EXPECT_TRUE(IsWindowVisible(page));
  EXPECT_EQ(Shown(page), "RS485/110/5/1/NONE/NONE");
  EXPECT_EQ(gui::Text(page, IDC_PTZ_PROTOCOL), "Peloc-P");
  EXPECT_EQ(gui::Text(page, IDC_PTZ_ADDRESS), "0");

  // The operator's choices into the mirror, nothing sent.
  gui::SelectCombo(page, IDC_PTZ_BAUD, 7);    // 9600
  gui::SelectCombo(page, IDC_PTZ_PARITY, 2);  // EVEN
  gui::SelectCombo(page, IDC_PTZ_PROTOCOL, 1);
  SendDlgItemMessageA(page, IDC_PTZ_ADDRESS_SPIN, UDM_SETPOS, 0, MAKELPARAM(300, 0));
  EXPECT_EQ(gui::Text(page, IDC_PTZ_ADDRESS), "255") << "the spin stops at 255";
  const size_t sent = SentCount();
  gui::Click(page, IDOK);
  gui::Click(page, IDC_PAGE_REFRESH);
  gui::Click(hwnd, IDC_FES_SAVE_CHANNEL);
  EXPECT_EQ(SentCount(), sent);
  const Bytes saved = Mirror(0);
  EXPECT_EQ(devcfg::GetU32(&saved[512 + 4]), 7u);
  EXPECT_EQ(devcfg::GetU32(&saved[512 + 16]), 2u);
  EXPECT_EQ(saved[512 + 24], 1);
  EXPECT_EQ(saved[512 + 25], 255);
  EXPECT_TRUE(DiffOutside(saved, block, 512, 26).empty());
  gui::SaveWindowBitmap(hwnd, gui::OutputPath("frontend_settings_ptz_serial.bmp"));
}

TEST_F(PageTest, PtzValuesTheCombosDoNotHoldAreKept) {
  Open();
  HWND page = dlg->PtzPage().GetSafeHwnd();
  Bytes block(1024, 0);
  devcfg::PutU32(&block[512 + 4], 40);          // no such baud rate
  devcfg::PutU32(&block[512 + 16], 0xFFFFFFFF);  // none chosen
  block[512 + 24] = 9;                          // no such protocol
  block[512 + 25] = 17;
  Deliver(kPagePtz, 0, block);
  EXPECT_EQ(SendDlgItemMessageA(page, IDC_PTZ_BAUD, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(SendDlgItemMessageA(page, IDC_PTZ_PROTOCOL, CB_GETCURSEL, 0, 0), CB_ERR);
  gui::Click(hwnd, IDC_FES_SAVE_CHANNEL);
  EXPECT_EQ(Mirror(0), block) << "a value the page did not understand was not saved as loaded";
  // Chosen by the operator, it is the operator's.
  gui::SelectCombo(page, IDC_PTZ_BAUD, 16);
  gui::Click(hwnd, IDC_FES_SAVE_CHANNEL);
  EXPECT_EQ(devcfg::GetU32(&Mirror(0)[512 + 4]), 16u);
}

TEST_F(PageTest, PtzProtocolListFromTheDevice) {
  Open();
  HWND page = dlg->PtzPage().GetSafeHwnd();
  struct Case {
    const char* what;
    Bytes list;
    std::vector<std::string> items;
  } cases[] = {
      {"three names", ProtocolList(3, {"Pelco-D", "Pelco-P", "Samsung"}, 13 + 3 * 48),
       {"Pelco-D", "Pelco-P", "Samsung"}},
      {"count beyond the buffer", ProtocolList(200, {"One", "Two"}, 13 + 2 * 48 + 20), {"One", "Two"}},
      {"a name without its NUL", ProtocolList(1, {std::string(60, 'x')}, 13 + 48), {std::string(47, 'x')}},
      {"count 0", ProtocolList(0, {"Hidden"}, 13 + 48), {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SendMessageA(hwnd, WM_FES_SET_PTZ_BLOCK, c.list.size(), LPARAM(c.list.data())), 0) << c.what;
    EXPECT_EQ(ComboItems(page, IDC_PTZ_PROTOCOL), c.items) << c.what;
  }
  // A sender that gives no size: the list is as long as its count says.
  const Bytes unsized = ProtocolList(2, {"Pelco-D", "Pelco-P"}, 13 + 2 * 48);
  EXPECT_EQ(SendMessageA(hwnd, WM_FES_SET_PTZ_BLOCK, 0, LPARAM(unsized.data())), 0);
  EXPECT_EQ(ComboItems(page, IDC_PTZ_PROTOCOL), (std::vector<std::string>{"Pelco-D", "Pelco-P"}));
  EXPECT_EQ(SendMessageA(hwnd, WM_FES_SET_PTZ_BLOCK, 0, LPARAM(ProtocolList(0, {}, 13).data())), 0);
  EXPECT_TRUE(ComboItems(page, IDC_PTZ_PROTOCOL).empty());
  // A buffer too small to hold the count is refused, the list kept.
  const Bytes tiny(12, 3);
  EXPECT_EQ(SendMessageA(hwnd, WM_FES_SET_PTZ_BLOCK, tiny.size(), LPARAM(tiny.data())), -1);
  EXPECT_TRUE(ComboItems(page, IDC_PTZ_PROTOCOL).empty());
}
