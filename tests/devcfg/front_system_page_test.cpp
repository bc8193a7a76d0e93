// The front-end system page over the device settings block: ports shown and
// checked, name, standard and disk-full choice saved into the block, the
// update file's size and the local user's level, Reboot reaching devsim and
// the actions that cannot reach the device saying so.
#include <cstring>

#include "page_kit.h"

namespace {

const char kNotChanged[] = "This request is not sent to the front end device: the device was not changed!";

// A file of size bytes in the temporary folder; its path.
std::string MakeFile(const char* name, DWORD size) {
  char dir[MAX_PATH] = "";
  GetTempPathA(sizeof dir, dir);
  const std::string path = std::string(dir) + name;
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return path;
  SetFilePointer(f, LONG(size), nullptr, FILE_BEGIN);
  SetEndOfFile(f);
  CloseHandle(f);
  return path;
}

}  // namespace

TEST_F(PageTest, SystemPortsAsATable) {
  Open();
  dlg->ShowPage(kPageSystem);
  HWND page = dlg->SystemPage().GetSafeHwnd();
  Bytes block(512, 0);
  for (size_t i = 34; i < 512; ++i) block[i] = uint8_t(i * 3);
  std::strcpy(reinterpret_cast<char*>(block.data()), "Yard DVR");
  devcfg::PutU32(&block[33], 0);
  block[293] = 7;                          // cycle recording
  devcfg::PutU16(&block[396], 0);
  devcfg::PutU16(&block[398], 0);
  DeliverDeviceBlock(block);
  EXPECT_TRUE(IsWindowVisible(page));
  EXPECT_EQ(gui::Text(page, IDC_SYS_NAME), "Yard DVR");
  EXPECT_EQ(gui::Text(page, IDC_SYS_TCP_PORT), "36688");
  EXPECT_EQ(gui::Text(page, IDC_SYS_HTTP_PORT), "80");
  EXPECT_TRUE(gui::IsChecked(page, IDC_SYS_PAL));
  EXPECT_TRUE(gui::IsChecked(page, IDC_SYS_CYCLE));
  EXPECT_FALSE(IsWindowEnabled(gui::Control(hwnd, IDC_FES_SAVE_CHANNEL)));
  gui::SaveWindowBitmap(hwnd, gui::OutputPath("frontend_settings_system.bmp"));

  // Saved unchanged: the shown defaults are written.
  gui::Click(page, IDC_SYS_SAVE_PORTS);
  Bytes now = DeviceBlockNow();
  EXPECT_EQ(devcfg::GetU16(&now[396]), 36688);
  EXPECT_EQ(devcfg::GetU16(&now[398]), 80);
  EXPECT_EQ(now[293], 1);

  struct Case {
    const char *tcp, *http;
    bool accepted;
  } cases[] = {
      {"36688", "36688", false}, {"8000", "36881", true}, {"8000", "36681", false}, {"36788", "80", false},
      {"36888", "81", false},    {"0", "80", false},      {"8000", "0", false},     {"65536", "80", false},
      {"99999", "80", false},    {"8000", "70000", false}, {"", "80", false},      {"65535", "1", true},
  };
  const size_t sent = SentCount();
  for (const Case& c : cases) {
    gui::MessageBoxScript boxes;
    const Bytes before = DeviceBlockNow();
    gui::SetText(page, IDC_SYS_TCP_PORT, c.tcp);
    gui::SetText(page, IDC_SYS_HTTP_PORT, c.http);
    gui::Click(page, IDC_SYS_SAVE_PORTS);
    now = DeviceBlockNow();
    if (c.accepted) {
      EXPECT_EQ(boxes.Count(), 0u) << c.tcp << "/" << c.http;
      EXPECT_EQ(std::to_string(devcfg::GetU16(&now[396])), c.tcp);
      EXPECT_EQ(std::to_string(devcfg::GetU16(&now[398])), c.http);
    } else {
      ASSERT_EQ(boxes.Count(), 1u) << c.tcp << "/" << c.http;
      EXPECT_EQ(boxes.Boxes()[0].text, "Invalid port config, please re-config!");
      EXPECT_EQ(boxes.Boxes()[0].caption, "WARNING");
      EXPECT_EQ(now, before) << c.tcp << "/" << c.http;
    }
  }
  EXPECT_EQ(SentCount(), sent) << "saving the block sends nothing";

  // Standard, disk-full choice and name into their fields; the rest kept.
  gui::Click(page, IDC_SYS_NTSC);
  gui::Click(page, IDC_SYS_STOP);
  gui::SetText(page, IDC_SYS_TCP_PORT, "8000");
  gui::SetText(page, IDC_SYS_HTTP_PORT, "8080");
  gui::Click(page, IDC_SYS_SAVE_PORTS);
  gui::SetText(page, IDC_SYS_NAME, "Gate");
  gui::Click(page, IDC_SYS_SAVE_NAME);
  now = DeviceBlockNow();
  EXPECT_EQ(devcfg::GetU32(&now[33]), 1u);
  EXPECT_EQ(now[293], 0);
  EXPECT_STREQ(reinterpret_cast<const char*>(now.data()), "Gate");
  for (size_t i = 5; i < 33; ++i) EXPECT_EQ(now[i], 0) << "the old name's tail at " << i;
  for (size_t i = 37; i < 512; ++i)
    if (i != 293 && (i < 396 || i >= 400)) EXPECT_EQ(now[i], block[i]) << "byte " << i << " is not the page's";
}

TEST_F(PageTest, SystemUpdateFileAndLevel) {
  LogIn(kLevelAdministrator, 0xFFFFFFFF);
  Open();
  dlg->ShowPage(kPageSystem);
  HWND page = dlg->SystemPage().GetSafeHwnd();
  EXPECT_FALSE(IsWindowEnabled(gui::Control(page, IDC_SYS_UPDATE)));
  gui::Click(page, IDC_SYS_UPDATE_CHECK);
  EXPECT_TRUE(IsWindowEnabled(gui::Control(page, IDC_SYS_UPDATE)));
  EXPECT_TRUE(IsWindowEnabled(gui::Control(page, IDC_SYS_FILE)));

  struct Case {
    const char* name;
    DWORD size;
    bool accepted;
  } cases[] = {{"sel_empty.bin", 0, false}, {"sel_big.bin", 0x200001, false}, {"sel_ok.bin", 0x200000, true}};
  for (const Case& c : cases) {
    const std::string path = MakeFile(c.name, c.size);
    gui::MessageBoxScript boxes;
    gui::SetText(page, IDC_SYS_FILE, path.c_str());
    gui::Click(page, IDC_SYS_UPDATE);
    ASSERT_EQ(boxes.Count(), 1u) << c.name;
    if (c.accepted) {
      EXPECT_EQ(boxes.Boxes()[0].text, kNotChanged);
      EXPECT_FALSE(IsWindowEnabled(gui::Control(page, IDC_SYS_UPDATE)));
      EXPECT_FALSE(IsWindowEnabled(gui::Control(page, IDC_SYS_UPDATE_CHECK)));
    } else {
      EXPECT_EQ(boxes.Boxes()[0].text, "Invalid BIOS File : " + path);
      EXPECT_EQ(boxes.Boxes()[0].caption, "ERROR");
      EXPECT_EQ(boxes.Boxes()[0].type & MB_ICONMASK, UINT(MB_ICONSTOP));
    }
    DeleteFileA(path.c_str());
  }

  // An Operator is refused whatever the file; without the update right the
  // button stays disabled.
  LogIn(0, kRightFrontEndUpdate);
  gui::MessageBoxScript boxes;
  SendMessageA(page, WM_COMMAND, IDC_SYS_UPDATE, 0);
  ASSERT_EQ(boxes.Count(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, "You have no power to update software!");
  EXPECT_EQ(boxes.Boxes()[0].caption, "WARNING");
  LogIn(kLevelAdministrator, 0);
  gui::Click(page, IDC_SYS_UPDATE_CHECK);
  gui::Click(page, IDC_SYS_UPDATE_CHECK);
  EXPECT_FALSE(IsWindowEnabled(gui::Control(page, IDC_SYS_UPDATE)));
}

TEST_F(PageTest, SystemRebootReachesTheDeviceTheOthersSaySo) {
  Open();
  dlg->ShowPage(kPageSystem);
  HWND page = dlg->SystemPage().GetSafeHwnd();
  ASSERT_EQ(devnet::Control(dev0, "clear"), "ok");

  // No: nothing at all.
  {
    gui::MessageBoxScript boxes({IDNO});
    const size_t sent = SentCount();
    gui::Click(page, IDC_SYS_REBOOT);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Are you sure you want to reboot the front end device?");
    EXPECT_EQ(boxes.Boxes()[0].type & MB_TYPEMASK, UINT(MB_YESNO));
    EXPECT_EQ(SentCount(), sent);
  }
  // Yes: one 16-byte reboot request, logged by the device.
  {
    gui::MessageBoxScript boxes({IDYES});
    gui::Click(page, IDC_SYS_REBOOT);
    EXPECT_EQ(boxes.Count(), 1u) << "a sent reboot says nothing more";
  }
  std::vector<std::string> log;
  ASSERT_TRUE(gui::PumpUntil([&] { log = devnet::Log(dev0); return !log.empty(); }, 5000));
  gui::PumpFor(200);
  log = devnet::Log(dev0);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].substr(log[0].rfind(' ') + 1), "01c1fe" + std::string(26, '0'));
  EXPECT_EQ(log[0].find(net.client + ":"), dev0.size() + 1) << log[0];

  // Restore and Save time reach nothing: the operator is told.
  struct Action {
    int id;
    std::vector<int> answers;
    size_t boxes;
  } actions[] = {{IDC_SYS_RESTORE, {IDYES}, 2}, {IDC_SYS_SAVE_TIME, {}, 1}};
  for (const Action& a : actions) {
    gui::MessageBoxScript boxes(a.answers);
    SendMessageA(page, WM_COMMAND, a.id, 0);
    ASSERT_EQ(boxes.Count(), a.boxes) << a.id;
    EXPECT_EQ(boxes.Boxes().back().text, kNotChanged) << a.id;
  }
  gui::PumpFor(200);
  EXPECT_EQ(devnet::Log(dev0).size(), 1u);
  // Sync with PC locks the pickers; the restore check unlocks its button.
  gui::Click(page, IDC_SYS_SYNC_PC);
  EXPECT_FALSE(IsWindowEnabled(gui::Control(page, IDC_SYS_DATE)));
  EXPECT_FALSE(IsWindowEnabled(gui::Control(page, IDC_SYS_RESTORE)));
  gui::Click(page, IDC_SYS_RESTORE_CHECK);
  EXPECT_TRUE(IsWindowEnabled(gui::Control(page, IDC_SYS_RESTORE)));
}
