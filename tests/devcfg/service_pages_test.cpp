// The FTP upload, mail alarm and handset video pages over the dialog's
// service and device blocks: fields shown when the block arrives, the
// enabling rule, Save writing the fields back and refusing what the fields
// cannot hold, and nothing sent.
#include <cstring>

#include "page_kit.h"

namespace {

void PutText(Bytes& b, const devcfg::TextField& f, const char* text) {
  std::memset(&b[f.at], 0, f.size);
  std::strncpy(reinterpret_cast<char*>(&b[f.at]), text, f.size - 1);
}
std::string TextAt(const Bytes& b, const devcfg::TextField& f) {
  return devcfg::FieldText(reinterpret_cast<const char*>(&b[f.at]), f.size);
}
Bytes Noise(size_t size) {
  Bytes b(size);
  for (size_t i = 0; i < size; ++i) b[i] = uint8_t(0x30 + i % 40);
  return b;
}
// Enabled controls of a page among ids.
std::vector<int> EnabledOf(HWND page, std::vector<int> ids) {
  std::vector<int> on;
  for (int id : ids)
    if (IsWindowEnabled(gui::Control(page, id))) on.push_back(id);
  return on;
}

}  // namespace

TEST_F(PageTest, FtpFieldsLengthAndPort) {
  Open();
  dlg->ShowPage(kPageFtp);
  HWND page = dlg->FtpPage().GetSafeHwnd();
  Bytes block = Noise(2048);
  block[0] = 0;
  PutText(block, devcfg::kFtpServer, "10.1.2.3");
  devcfg::PutU16(&block[17], 21);
  PutText(block, devcfg::kFtpUser, "ftpuser");
  PutText(block, devcfg::kFtpPassword, "secret");
  devcfg::PutU16(&block[85], 50);
  PutText(block, devcfg::kFtpPath, "Dir1/Dir2");
  DeliverServiceBlock(block);
  EXPECT_TRUE(IsWindowVisible(page));
  EXPECT_EQ(gui::Text(page, IDC_SVC_SERVER), "10.1.2.3");
  EXPECT_EQ(gui::Text(page, IDC_SVC_PORT), "21");
  EXPECT_EQ(gui::Text(page, IDC_SVC_USER), "ftpuser");
  EXPECT_EQ(gui::Text(page, IDC_FTP_FILE_LENGTH), "50");
  const std::vector<int> all = {IDC_FTP_ENABLE, IDC_SVC_SERVER, IDC_SVC_PORT, IDC_SVC_USER, IDC_SVC_PASSWORD,
                                IDC_FTP_FILE_LENGTH, IDC_FTP_PATH, IDC_SVC_SAVE};
  EXPECT_EQ(EnabledOf(page, all), (std::vector<int>{IDC_FTP_ENABLE, IDC_SVC_SAVE}));
  gui::Click(page, IDC_FTP_ENABLE);
  EXPECT_EQ(EnabledOf(page, all), all);
  gui::SaveWindowBitmap(hwnd, gui::OutputPath("frontend_settings_ftp.bmp"));

  struct Case {
    const char *length, *port;
    int stored;  // -1 refused
  } cases[] = {{"3", "21", 10}, {"999", "2121", 999}, {"10", "65535", 10}, {"50", "65536", -1}, {"50", "99999", -1}};
  const size_t sent = SentCount();
  for (const Case& c : cases) {
    gui::MessageBoxScript boxes;
    const Bytes before = ServiceBlockNow();
    gui::SetText(page, IDC_FTP_FILE_LENGTH, c.length);
    gui::SetText(page, IDC_SVC_PORT, c.port);
    gui::Click(page, IDC_SVC_SAVE);
    const Bytes now = ServiceBlockNow();
    if (c.stored < 0) {
      ASSERT_EQ(boxes.Count(), 1u) << c.port;
      EXPECT_EQ(boxes.Boxes()[0].text, "Input data error, please check!");
      EXPECT_EQ(now, before) << c.port;
      continue;
    }
    EXPECT_EQ(boxes.Count(), 0u) << c.length;
    EXPECT_EQ(devcfg::GetU16(&now[85]), c.stored) << c.length;
    EXPECT_EQ(std::to_string(devcfg::GetU16(&now[17])), c.port);
    EXPECT_EQ(now[0], 1);
    EXPECT_EQ(TextAt(now, devcfg::kFtpServer), "10.1.2.3");
    EXPECT_EQ(TextAt(now, devcfg::kFtpPath), "Dir1/Dir2");
    for (size_t i = 152; i < 2048; ++i) ASSERT_EQ(now[i], block[i]) << "byte " << i << " is not the page's";
  }
  EXPECT_EQ(SentCount(), sent);
}

TEST_F(PageTest, MailReceiverRules) {
  Open();
  dlg->ShowPage(kPageMail);
  HWND page = dlg->MailPage().GetSafeHwnd();
  Bytes block = Noise(2048);
  block[152] = 1;
  PutText(block, devcfg::kMailServer, "192.168.1.9");
  devcfg::PutU16(&block[169], 25);
  for (const auto* f : {&devcfg::kMailUser, &devcfg::kMailPassword, &devcfg::kMailSender, &devcfg::kMailSubject})
    PutText(block, *f, "x");
  for (const auto& r : devcfg::kMailReceivers) PutText(block, r, "");
  DeliverServiceBlock(block);
  EXPECT_TRUE(gui::IsChecked(page, IDC_MAIL_ENABLE));
  EXPECT_EQ(gui::Text(page, IDC_SVC_SERVER), "192.168.1.9");

  struct Case {
    const char *sender, *r1, *r2, *r3;
    bool accepted;
  } cases[] = {
      {"me", "", "", "a@b", true},         // only receiver 3, the sender needs no at sign
      {"me", "", "", "", false},           // no receiver
      {"me", "@x", "", "", false},         // two characters
      {"me", "abc", "", "", false},        // no at sign
      {"me", "a@b.c", "bad", "", false},   // every receiver is checked
      {"me", "a@b.c", "", "q@r", true},
      {"", "a@b.c", "", "", false},        // no sender
  };
  for (const Case& c : cases) {
    gui::MessageBoxScript boxes;
    const Bytes before = ServiceBlockNow();
    gui::SetText(page, IDC_MAIL_SENDER, c.sender);
    gui::SetText(page, IDC_MAIL_RECEIVER1, c.r1);
    gui::SetText(page, IDC_MAIL_RECEIVER2, c.r2);
    gui::SetText(page, IDC_MAIL_RECEIVER3, c.r3);
    gui::Click(page, IDC_SVC_SAVE);
    const Bytes now = ServiceBlockNow();
    const std::string what = std::string(c.r1) + "|" + c.r2 + "|" + c.r3;
    if (c.accepted) {
      EXPECT_EQ(boxes.Count(), 0u) << what;
      EXPECT_EQ(TextAt(now, devcfg::kMailReceivers[2]), c.r3) << what;
      EXPECT_EQ(TextAt(now, devcfg::kMailSender), c.sender);
    } else {
      ASSERT_EQ(boxes.Count(), 1u) << what;
      EXPECT_EQ(boxes.Boxes()[0].text, "Input data error, please check!");
      EXPECT_EQ(boxes.Boxes()[0].caption, "PROMPT");
      EXPECT_EQ(now, before) << what;
    }
  }
  // Unchecked, anything is written.
  gui::Click(page, IDC_MAIL_ENABLE);
  gui::SetText(page, IDC_MAIL_RECEIVER1, "zz");
  gui::Click(page, IDC_SVC_SAVE);
  const Bytes now = ServiceBlockNow();
  EXPECT_EQ(now[152], 0);
  EXPECT_EQ(TextAt(now, devcfg::kMailReceivers[0]), "zz");
  for (size_t i = 0; i < 152; ++i) ASSERT_EQ(now[i], block[i]) << "the FTP part changed at " << i;
}

TEST_F(PageTest, HandsetNeedsTheDevicesCapability) {
  Open();
  dlg->ShowPage(kPageHandset);
  HWND page = dlg->HandsetPage().GetSafeHwnd();
  uint8_t* info = main.m_pConfig->devices[0].info;
  Bytes block = Noise(512);
  block[400] = 1;
  devcfg::PutU32(&block[401], 0);
  PutText(block, devcfg::kHandsetServer, "172.16.0.1");
  devcfg::PutU16(&block[421], 7000);
  PutText(block, devcfg::kHandsetUser, "hand");
  PutText(block, devcfg::kHandsetPassword, "pw");
  devcfg::PutU32(&block[471], 123456);

  // Information byte 63 is 0: the page neither shows nor saves.
  info[63] = 0;
  DeliverDeviceBlock(block);
  EXPECT_EQ(gui::Text(page, IDC_SVC_USER), "");
  gui::SetText(page, IDC_SVC_USER, "typed");
  gui::Click(page, IDC_HANDSET_ENABLE);
  gui::Click(page, IDC_SVC_SAVE);
  EXPECT_EQ(DeviceBlockNow(), block);

  info[63] = 1;
  DeliverDeviceBlock(block);
  EXPECT_EQ(gui::Text(page, IDC_SVC_USER), "hand");
  EXPECT_EQ(gui::Text(page, IDC_HANDSET_DEVICE_ID), "123456");
  EXPECT_EQ(gui::Text(page, IDC_HANDSET_STREAM), "Sub Stream");
  // Point to point leaves the switch, Save, the two choices and their labels.
  gui::SelectCombo(page, IDC_HANDSET_MODE, 1);
  EXPECT_EQ(EnabledOf(page, {IDC_HANDSET_ENABLE, IDC_HANDSET_TYPE_LABEL, IDC_HANDSET_STREAM, IDC_HANDSET_MODE_LABEL,
                             IDC_HANDSET_MODE, IDC_SVC_SERVER, IDC_SVC_PORT, IDC_HANDSET_DEVICE_ID, IDC_SVC_SAVE}),
            (std::vector<int>{IDC_HANDSET_ENABLE, IDC_HANDSET_TYPE_LABEL, IDC_HANDSET_STREAM, IDC_HANDSET_MODE_LABEL,
                              IDC_HANDSET_MODE, IDC_SVC_SAVE}));
  gui::SaveWindowBitmap(hwnd, gui::OutputPath("frontend_settings_handset.bmp"));

  struct Case {
    const char* id;
    bool accepted;
  } cases[] = {{"4294967295", true}, {"4294967296", false}, {"9999999999", false}, {"0", true}};
  for (const Case& c : cases) {
    gui::MessageBoxScript boxes;
    const Bytes before = DeviceBlockNow();
    gui::SetText(page, IDC_HANDSET_DEVICE_ID, c.id);
    gui::Click(page, IDC_SVC_SAVE);
    const Bytes now = DeviceBlockNow();
    if (c.accepted) {
      EXPECT_EQ(boxes.Count(), 0u) << c.id;
      EXPECT_EQ(std::to_string(devcfg::GetU32(&now[471])), c.id);
      EXPECT_EQ(devcfg::GetU32(&now[401]), 1u);
    } else {
      EXPECT_EQ(boxes.Count(), 1u) << c.id;
      EXPECT_EQ(now, before) << c.id;
    }
  }
  const Bytes now = DeviceBlockNow();
  for (size_t i = 0; i < 400; ++i) ASSERT_EQ(now[i], block[i]) << "byte " << i << " is not the page's";
}
