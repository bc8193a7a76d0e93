// Local users and rights: the slot rules on the image, the editor's checks,
// and the two dialogs driven under Xvfb with their effect on SysCfg.dat.
#include <gtest/gtest.h>

#include "app_services.h"
#include "config_image.h"
#include "gui_kit.h"
#include "local_user_dlg.h"
#include "shell_fixture.h"
#include "text_copy.h"
#include "user_rights.h"

#include <cstring>
#include <functional>
#include <memory>

namespace {

using shell::LocalUserRecord;
using shell::SystemConfigImage;

std::unique_ptr<SystemConfigImage> DefaultImage() {
  auto img = std::make_unique<SystemConfigImage>();
  shell::ResetSysConfig(*img);
  return img;
}

void PutUser(SystemConfigImage& img, int slot, const char* name, const char* password, uint32_t level,
             uint32_t rights) {
  LocalUserRecord& u = img.users[slot];
  memset(&u, 0, sizeof u);
  u.inUse = 1;
  CopyText(u.name, name);
  CopyText(u.password, password);
  u.levelMask = level;
  u.rightsMask = rights;
}

bool SlotIsZero(const LocalUserRecord& u) {
  static const LocalUserRecord zero{};
  return memcmp(&u, &zero, sizeof u) == 0;
}

// ------------------------------------------------------------ pure rules
TEST(UserSlots, AddDeleteAndRightsOnTheImage) {
  auto img = DefaultImage();
  // "Admin" beside "admin": names compare exactly.
  int slot = -1;
  EXPECT_EQ(shell::AddUserResult::Added, shell::AddLocalUser(*img, "Admin", "x", false, 0xFFFFFFFFu, &slot));
  EXPECT_EQ(1, slot);
  EXPECT_EQ(0x37FFFFFFu, img->users[1].rightsMask);   // bits 31, 30 and 27 never held by an Operator
  EXPECT_EQ(0u, img->users[1].levelMask);
  EXPECT_EQ(shell::AddUserResult::Exists, shell::AddLocalUser(*img, "Admin", "y", true, 0));
  // Fill up to 32; the 33rd is refused.
  for (int i = 2; i < 32; ++i) {
    char name[16];
    wsprintfA(name, "user%d", i);
    ASSERT_EQ(shell::AddUserResult::Added, shell::AddLocalUser(*img, name, "pw", i % 2 == 0, 0x1));
  }
  EXPECT_EQ(32, shell::CountUsers(*img));
  EXPECT_EQ(shell::AddUserResult::ListFull, shell::AddLocalUser(*img, "late", "pw", false, 0));
  EXPECT_EQ(0xFFFFFFFFu, img->users[2].levelMask);
  EXPECT_EQ(0xFFFFFFFFu, img->users[2].rightsMask);
  // A deleted slot is all zero and the next add takes it.
  EXPECT_TRUE(shell::DeleteLocalUser(*img, "user7"));
  EXPECT_TRUE(SlotIsZero(img->users[7]));
  EXPECT_FALSE(shell::DeleteLocalUser(*img, "user7"));
  EXPECT_EQ(shell::AddUserResult::Added, shell::AddLocalUser(*img, "late", "pw", false, 0, &slot));
  EXPECT_EQ(7, slot);
  // Names longer than the field are cut, never written past it.
  shell::DeleteLocalUser(*img, "late");
  EXPECT_EQ(shell::AddUserResult::Added,
            shell::AddLocalUser(*img, "a-name-much-longer-than-sixteen", "a-password-longer-than-sixteen", false, 0, &slot));
  EXPECT_EQ(std::string("a-name-much-lon"), std::string(img->users[slot].name).substr(0, 15));
  EXPECT_EQ(16u, strlen(img->users[slot].name));
  EXPECT_EQ(0x1u, img->users[slot].levelMask == 0 ? 0x1u : 0u);
  EXPECT_EQ(0, img->users[slot].reserved[0]);
}

TEST(UserSlots, OperatorPowersLoseTheForbiddenBitsAndAdministratorsNeverChange) {
  auto img = DefaultImage();
  PutUser(*img, 3, "olga", "pw", 0, 0x1);
  EXPECT_TRUE(shell::SetOperatorRights(*img, 3, 0xFFFFFFFFu));
  EXPECT_EQ(0x37FFFFFFu, img->users[3].rightsMask);
  EXPECT_FALSE(shell::SetOperatorRights(*img, 0, 0x1));
  EXPECT_EQ(0xFFFFFFFFu, img->users[0].rightsMask);
  EXPECT_FALSE(shell::SetOperatorRights(*img, 9, 0x1));   // slot not in use
  EXPECT_FALSE(shell::SetOperatorRights(*img, 40, 0x1));
}

TEST(UserSlots, RowsLevelsAndTheEditorsChecks) {
  EXPECT_EQ(0xFE000037u, RightsFromRows(0xFFF));   // twelve rows give the twelve bits
  EXPECT_EQ(0x36000037u, RightsFromRows(kOperatorDefaultRows));
  EXPECT_EQ(0u, RightsFromRows(kOperatorDefaultRows) & ~kOperatorRightsMask);
  EXPECT_STREQ("Administrator", UserLevel(0xFFFFFFFFu));
  EXPECT_STREQ("Operator", UserLevel(0));
  EXPECT_STREQ("Unknown", UserLevel(5));

  struct Case {
    int mode;
    const char *name, *fresh, *repeat, *old;
    int level;
    const char* prompt;
  } cases[] = {
      {kModeAddUser, "", "a", "a", "", 1, "User name can not be empty!"},
      {kModeAddUser, "u", "a", "b", "", 1, "Password is not consistent!"},
      {kModeAddUser, "u", "", "b", "", 1, "Password can not be empty!"},
      {kModeAddUser, "u", "a", "", "", 1, "Password can not be empty!"},
      {kModeAddUser, "u", "a", "a", "", -1, "Please select user level!"},
      {kModeAddUser, "u", "a", "a", "", 0, nullptr},
      {kModeChangePassword, "me", "n", "n", "", 0, "Password can not be empty!"},
      {kModeChangePassword, "me", "n", "n", "bad", 0, "Old password is not right!"},
      {kModeChangePassword, "me", "n", "n", "cur", 0, nullptr},
      {kModeChangePower, "u", "", "", "", 1, nullptr},
      {kModeChangePower, "u", "", "", "", -1, "Please select user level!"},
  };
  for (const Case& c : cases) {
    const char* got = CheckLocalUserInput(c.mode, c.name, c.fresh, c.repeat, c.old, "cur", c.level);
    EXPECT_STREQ(c.prompt, got) << c.mode << " " << c.name << " " << c.fresh << "/" << c.repeat << "/" << c.old;
  }
}

TEST(UserSlots, RightsChecksReadTheCurrentUser) {
  auto img = DefaultImage();
  PutUser(*img, 4, "olga", "pw", 0, kRightLocalWatchVideo | kRightLocalConnect);
  gui::MessageBoxScript boxes;
  SetCurrentUser(img.get(), 4);
  EXPECT_EQ(kRightLocalWatchVideo | kRightLocalConnect, uint32_t(g_userRights));
  EXPECT_EQ(4, GetCurrentUserIndex());
  EXPECT_TRUE(CheckUserRight(kRightLocalWatchVideo, "You have no power to watch video!"));
  EXPECT_EQ(0u, boxes.Count());
  EXPECT_FALSE(CheckUserRight(kRightLocalCloseSystem, "You have no power to close system!"));
  EXPECT_FALSE(CheckAdministrator("You have no power to add user!"));
  auto b = boxes.Boxes();
  ASSERT_EQ(2u, b.size());
  EXPECT_EQ("You have no power to close system!", b[0].text);
  EXPECT_EQ("PROMPT", b[0].caption);
  EXPECT_EQ(UINT(MB_OK | MB_ICONEXCLAMATION), b[0].type);
  EXPECT_EQ("You have no power to add user!", b[1].text);
  SetCurrentUser(img.get(), 0);
  EXPECT_TRUE(CheckUserRight(kRightLocalCloseSystem, "You have no power to close system!"));
  EXPECT_TRUE(CheckAdministrator("You have no power to add user!"));
  EXPECT_EQ(2u, boxes.Count());
  SetCurrentUser(nullptr, -1);
  EXPECT_EQ(0u, uint32_t(g_userRights));
  EXPECT_EQ(nullptr, GetCurrentUser());
}

// ------------------------------------------------------------- the dialogs
class Users : public ::testing::Test {
protected:
  void SetUp() override {
    gui::InitControls();
    image = DefaultImage();
  }
  void TearDown() override { SetCurrentUser(nullptr, -1); }

  void Start(int currentSlot) {
    SetCurrentUser(image.get(), currentSlot);
    ScratchDir::Write(dir / "SysCfg.dat", image.get(), sizeof *image);
    SystemConfigImage* img = image.get();
    CString path = dir.Path();
    run = std::make_unique<gui::ModalRunner<CLocalUserManageDlg>>(
        [img, path](CLocalUserManageDlg& d) { d.SetImage(img, path); });
    h = run->WaitForWindow(5000);
    ASSERT_NE(nullptr, h);
  }
  void Finish() {
    ::PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(run->Wait(5000));
  }
  std::unique_ptr<SystemConfigImage> FileImage() {
    auto bytes = ScratchDir::Read(dir / "SysCfg.dat");
    auto img = std::make_unique<SystemConfigImage>();
    EXPECT_EQ(sizeof *img, bytes.size());
    if (bytes.size() == sizeof *img) memcpy(img.get(), bytes.data(), sizeof *img);
    return img;
  }
  // A button whose handler runs a nested modal editor: posted, not sent.
  void Press(int id) { ::PostMessageA(h, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(gui::Control(h, id))); }
  HWND Editor(const char* caption) {
    return gui::FindThreadWindow(::GetWindowThreadProcessId(h, nullptr), caption, 5000);
  }
  int ListRows() { return int(::SendMessageA(gui::Control(h, IDC_USERS_LIST), LVM_GETITEMCOUNT, 0, 0)); }
  int RowOf(const char* name) {
    LVFINDINFOA fi{};
    fi.flags = LVFI_STRING;
    fi.psz = name;
    return int(::SendMessageA(gui::Control(h, IDC_USERS_LIST), LVM_FINDITEMA, WPARAM(-1), LPARAM(&fi)));
  }
  // Waits (bounded) for what a posted press leads to.
  static bool WaitFor(const std::function<bool()>& cond, DWORD ms = 15000) {
    DWORD start = ::GetTickCount();
    while (!cond()) {
      if (::GetTickCount() - start >= ms) return false;
      ::Sleep(20);
    }
    return true;
  }
  // The editor closed and the handler went on to save.
  void WaitClosed(HWND editor) { EXPECT_TRUE(WaitFor([&] { return !::IsWindow(editor); })); }

  ScratchDir dir{"users"};
  std::unique_ptr<SystemConfigImage> image;
  std::unique_ptr<gui::ModalRunner<CLocalUserManageDlg>> run;
  HWND h = nullptr;
};

CCheckListBox* RightsList(HWND editor) {
  return static_cast<CCheckListBox*>(CWnd::FromHandlePermanent(gui::Control(editor, IDC_USER_RIGHTS)));
}

// A click on the check box of a row, as the mouse would give it.
void ClickRow(HWND editor, int row) {
  HWND list = gui::Control(editor, IDC_USER_RIGHTS);
  RECT r{};
  ::SendMessageA(list, LB_GETITEMRECT, WPARAM(row), LPARAM(&r));
  LPARAM at = MAKELPARAM(r.left + 3, (r.top + r.bottom) / 2);
  ::SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::SendMessageA(list, WM_LBUTTONUP, 0, at);
}

TEST_F(Users, AddThroughTheEditorAsOperator) {
  Start(0);
  EXPECT_EQ(1, ListRows());
  EXPECT_TRUE(gui::SaveWindowBitmap(h, gui::OutputPath("shell_users.bmp")));
  Press(IDC_USERS_ADD);
  HWND e = Editor("Add User");
  ASSERT_NE(nullptr, e);
  EXPECT_FALSE(::IsWindowEnabled(gui::Control(e, IDC_USER_OLD_PASSWORD)));
  gui::SetText(e, IDC_USER_NAME, "Admin");
  gui::SetText(e, IDC_USER_NEW_PASSWORD, "p1");
  gui::SetText(e, IDC_USER_REPEAT_PASSWORD, "p1");
  gui::SelectCombo(e, IDC_USER_LEVEL, 1);
  CCheckListBox* rights = RightsList(e);
  ASSERT_NE(nullptr, rights);
  for (int row = 0; row < kUserRightCount; ++row) {
    bool locked = row == 1 || row == 2 || row == 4;
    EXPECT_EQ(locked ? 0 : 1, rights->GetCheck(row)) << row;
    EXPECT_EQ(!locked, bool(rights->IsEnabled(row))) << row;
  }
  EXPECT_TRUE(gui::SaveWindowBitmap(e, gui::OutputPath("shell_user_editor.bmp")));
  ClickRow(e, 1);   // "Front End User Management" cannot be ticked
  ClickRow(e, 0);   // "Front End System Settings" can be cleared
  EXPECT_EQ(0, rights->GetCheck(1));
  EXPECT_EQ(0, rights->GetCheck(0));
  ::PostMessageA(e, WM_COMMAND, IDOK, 0);
  WaitClosed(e);
  EXPECT_TRUE(WaitFor([&] { return ListRows() == 2; }));
  auto file = FileImage();
  const LocalUserRecord& u = file->users[1];
  EXPECT_EQ(1, u.inUse);
  EXPECT_STREQ("Admin", u.name);
  EXPECT_STREQ("p1", u.password);
  EXPECT_EQ(0u, u.levelMask);
  EXPECT_EQ(RightsFromRows(kOperatorDefaultRows & ~1u), u.rightsMask);
  EXPECT_STREQ("admin", file->users[0].name);
  Finish();
}

TEST_F(Users, TheThirtyThirdUserIsRefused) {
  for (int i = 1; i < 32; ++i) {
    char name[16];
    wsprintfA(name, "u%d", i);
    PutUser(*image, i, name, "pw", 0, 1);
  }
  gui::MessageBoxScript boxes;
  Start(0);
  EXPECT_EQ(32, ListRows());
  auto before = ScratchDir::Read(dir / "SysCfg.dat");
  gui::Click(h, IDC_USERS_ADD);
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("User list is full!", boxes.Boxes()[0].text);
  EXPECT_EQ(before, ScratchDir::Read(dir / "SysCfg.dat"));
  Finish();
}

TEST_F(Users, AnOperatorIsRefusedBeforeAnythingElse) {
  PutUser(*image, 1, "olga", "pw", 0, 0x37FFFFFF);
  gui::MessageBoxScript boxes;
  Start(1);
  auto before = ScratchDir::Read(dir / "SysCfg.dat");
  struct Case {
    int button;
    const char* prompt;
  } cases[] = {{IDC_USERS_CHANGE_POWER, "You have no power to modify user power!"},
               {IDC_USERS_ADD, "You have no power to add user!"},
               {IDC_USERS_DELETE, "You have no power to delete user!"}};
  for (const Case& c : cases) {
    size_t n = boxes.Count();
    gui::Click(h, c.button);   // no row selected: the right is looked at first
    ASSERT_EQ(n + 1, boxes.Count());
    EXPECT_EQ(c.prompt, boxes.Boxes().back().text);
    EXPECT_EQ("PROMPT", boxes.Boxes().back().caption);
  }
  EXPECT_EQ(before, ScratchDir::Read(dir / "SysCfg.dat"));
  Finish();
}

TEST_F(Users, ChangePowerOfAnOperator) {
  PutUser(*image, 1, "olga", "pw", 0, kRightLocalWatchVideo);
  Start(0);
  gui::SelectListItem(h, IDC_USERS_LIST, RowOf("olga"));
  CCheckListBox* shown = static_cast<CCheckListBox*>(CWnd::FromHandlePermanent(gui::Control(h, IDC_USERS_RIGHTS)));
  ASSERT_NE(nullptr, shown);
  EXPECT_EQ(1, shown->GetCheck(7));
  EXPECT_EQ(0, shown->GetCheck(0));
  Press(IDC_USERS_CHANGE_POWER);
  HWND e = Editor("Change User Power");
  ASSERT_NE(nullptr, e);
  for (int id : {IDC_USER_NAME, IDC_USER_NEW_PASSWORD, IDC_USER_REPEAT_PASSWORD, IDC_USER_OLD_PASSWORD, IDC_USER_LEVEL})
    EXPECT_FALSE(::IsWindowEnabled(gui::Control(e, id))) << id;
  EXPECT_EQ("olga", gui::Text(e, IDC_USER_NAME));
  ClickRow(e, 3);   // PTZ control
  ClickRow(e, 4);   // local user management: locked for an Operator
  ::PostMessageA(e, WM_COMMAND, IDOK, 0);
  WaitClosed(e);
  EXPECT_TRUE(WaitFor([&] { return FileImage()->users[1].rightsMask != kRightLocalWatchVideo; }));
  EXPECT_EQ(kRightLocalWatchVideo | kRightFrontEndPtz, FileImage()->users[1].rightsMask);
  Finish();
}

TEST_F(Users, DeleteRefusesAdminAndYourselfAndZeroesTheSlot) {
  PutUser(*image, 1, "olga", "pw", 0, 1);
  PutUser(*image, 2, "boss", "pw", 0xFFFFFFFF, 0xFFFFFFFF);
  gui::MessageBoxScript boxes({IDOK, IDOK, IDOK, IDNO, IDYES});
  Start(2);
  auto before = ScratchDir::Read(dir / "SysCfg.dat");
  gui::Click(h, IDC_USERS_DELETE);
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Please select a user to delete!", boxes.Boxes()[0].text);
  for (const char* name : {"admin", "boss"}) {
    gui::SelectListItem(h, IDC_USERS_LIST, RowOf(name));
    size_t n = boxes.Count();
    gui::Click(h, IDC_USERS_DELETE);
    ASSERT_EQ(n + 1, boxes.Count());
    EXPECT_EQ("This user can not be deleted!", boxes.Boxes().back().text) << name;
  }
  EXPECT_EQ(before, ScratchDir::Read(dir / "SysCfg.dat"));
  gui::SelectListItem(h, IDC_USERS_LIST, RowOf("olga"));
  gui::Click(h, IDC_USERS_DELETE);   // answered No
  EXPECT_EQ("Are you sure you want to delete user olga ?", boxes.Boxes().back().text);
  EXPECT_EQ("WARNING", boxes.Boxes().back().caption);
  EXPECT_EQ(before, ScratchDir::Read(dir / "SysCfg.dat"));
  gui::Click(h, IDC_USERS_DELETE);   // answered Yes
  EXPECT_TRUE(SlotIsZero(FileImage()->users[1]));
  EXPECT_EQ(2, ListRows());
  EXPECT_EQ(-1, RowOf("olga"));
  Finish();
}

TEST_F(Users, ChangeLoginPasswordChangesTheLoggedInUserOnly) {
  PutUser(*image, 1, "olga", "old-olga", 0, 1);
  PutUser(*image, 2, "boss", "old-boss", 0xFFFFFFFF, 0xFFFFFFFF);
  gui::MessageBoxScript boxes;
  Start(2);
  gui::SelectListItem(h, IDC_USERS_LIST, RowOf("olga"));
  Press(IDC_USERS_CHANGE_PASSWORD);
  HWND e = Editor("Change Login Password");
  ASSERT_NE(nullptr, e);
  EXPECT_EQ("boss", gui::Text(e, IDC_USER_NAME));
  EXPECT_FALSE(::IsWindowEnabled(gui::Control(e, IDC_USER_NAME)));
  EXPECT_FALSE(::IsWindowEnabled(gui::Control(e, IDC_USER_LEVEL)));
  EXPECT_FALSE(::IsWindowEnabled(gui::Control(e, IDC_USER_RIGHTS)));
  gui::SetText(e, IDC_USER_NEW_PASSWORD, "n1");
  gui::SetText(e, IDC_USER_REPEAT_PASSWORD, "n1");
  gui::SetText(e, IDC_USER_OLD_PASSWORD, "old-olga");
  gui::Click(e, IDOK);
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Old password is not right!", boxes.Boxes()[0].text);
  gui::SetText(e, IDC_USER_OLD_PASSWORD, "old-boss");
  ::PostMessageA(e, WM_COMMAND, IDOK, 0);
  WaitClosed(e);
  EXPECT_TRUE(WaitFor([&] { return strcmp(FileImage()->users[2].password, "n1") == 0; }));
  auto file = FileImage();
  EXPECT_STREQ("n1", file->users[2].password);
  EXPECT_STREQ("old-olga", file->users[1].password);
  Finish();
}

TEST(UserEditor, EnabledControlsByModeAndLevel) {
  gui::InitControls();
  struct Case {
    int mode, level;
    const char* caption;
    bool name, fresh, old, level_, list;
    uint32_t disabledRows;
  } cases[] = {
      {kModeAddUser, -1, "Add User", true, true, false, true, true, 0},
      {kModeChangePassword, 0, "Change Login Password", false, true, true, false, false, 0},
      {kModeChangePower, 1, "Change User Power", false, false, false, false, true, kOperatorLockedRows},
      {kModeChangePower, 0, "Change User Power", false, false, false, false, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    gui::ModalRunner<CLocalUserDlg> run([&](CLocalUserDlg& d) {
      d.m_mode = c.mode;
      d.m_level = c.level;
      d.m_userName = "someone";
      d.m_rights = kRightLocalRecord;
    });
    HWND e = run.WaitForWindow(5000);
    ASSERT_NE(nullptr, e);
    EXPECT_EQ(c.caption, gui::Text(e));
    EXPECT_EQ(c.name, bool(::IsWindowEnabled(gui::Control(e, IDC_USER_NAME))));
    EXPECT_EQ(c.fresh, bool(::IsWindowEnabled(gui::Control(e, IDC_USER_NEW_PASSWORD))));
    EXPECT_EQ(c.fresh, bool(::IsWindowEnabled(gui::Control(e, IDC_USER_REPEAT_PASSWORD))));
    EXPECT_EQ(c.old, bool(::IsWindowEnabled(gui::Control(e, IDC_USER_OLD_PASSWORD))));
    EXPECT_EQ(c.level_, bool(::IsWindowEnabled(gui::Control(e, IDC_USER_LEVEL))));
    EXPECT_EQ(c.list, bool(::IsWindowEnabled(gui::Control(e, IDC_USER_RIGHTS))));
    for (int id : {IDC_USER_NAME, IDC_USER_NEW_PASSWORD, IDC_USER_REPEAT_PASSWORD, IDC_USER_OLD_PASSWORD})
      EXPECT_EQ(16, int(::SendMessageA(gui::Control(e, id), EM_GETLIMITTEXT, 0, 0))) << id;
    CCheckListBox* rights = RightsList(e);
    ASSERT_NE(nullptr, rights);
    for (int row = 0; row < kUserRightCount; ++row) {
      EXPECT_EQ(!((c.disabledRows >> row) & 1), bool(rights->IsEnabled(row))) << row;
      EXPECT_EQ(row == 8 ? 1 : 0, rights->GetCheck(row)) << row;
    }
    ::PostMessageA(e, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(run.Wait(5000));
  }
}

}  // namespace
