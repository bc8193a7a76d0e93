// The device users page and its "User" dialog: the local user's level and
// rights deciding what may be done, the dialog's level rules and checks,
// the rights a selected user shows, and "admin" kept.
#include <cstring>

#include "page_kit.h"

namespace {

const char kNotChanged[] = "This request is not sent to the front end device: the device was not changed!";

// The rights list of a window: ticked and enabled items as masks.
struct RightsState {
  uint32_t ticked = 0, enabled = 0;
  bool listEnabled = false;
};
RightsState Rights(HWND dlg) {
  RightsState s;
  HWND h = gui::Control(dlg, IDC_DEVUSERS_RIGHTS);
  auto* list = static_cast<CCheckListBox*>(CWnd::FromHandlePermanent(h));
  if (!list) return s;
  for (int i = 0; i < 10; ++i) {
    if (list->GetCheck(i)) s.ticked |= 1u << i;
    if (list->IsEnabled(i)) s.enabled |= 1u << i;
  }
  s.listEnabled = IsWindowEnabled(h) != FALSE;
  return s;
}

devcfg::DeviceUserRecord User(const char* name, uint32_t level, uint32_t rights) {
  devcfg::DeviceUserRecord u{};
  u.inUse = 1;
  CopyText(u.name, name);
  CopyText(u.password, "pw");
  u.levelMask = level;
  u.rightsMask = rights;
  return u;
}

}  // namespace

TEST_F(PageTest, UsersOperatorIsRefusedBeforeAnyDialog) {
  LogIn(0, kRightFrontEndUsers);
  Open();
  dlg->ShowPage(kPageUsers);
  HWND page = dlg->UserPage().GetSafeHwnd();
  EXPECT_TRUE(IsWindowVisible(page));
  EXPECT_FALSE(IsWindowEnabled(gui::Control(page, IDC_DEVUSERS_RIGHTS)));
  struct Case {
    int id;
    const char* refusal;
  } cases[] = {{IDC_DEVUSERS_ADD, "You have no power to add user!"},
               {IDC_DEVUSERS_POWER, "You have no power to modify user power!"},
               {IDC_DEVUSERS_DELETE, "You have no power to delete user!"}};
  for (const Case& c : cases) {
    gui::MessageBoxScript boxes;
    NestedDialog never("Add User", [](HWND d) { gui::Click(d, IDCANCEL); });
    gui::Click(page, c.id);
    gui::PumpFor(80);
    EXPECT_FALSE(never.Seen());
    ASSERT_EQ(boxes.Count(), 1u) << c.refusal;
    EXPECT_EQ(boxes.Boxes()[0].text, c.refusal);
    EXPECT_EQ(boxes.Boxes()[0].caption, "PROMPT");
  }
}

TEST_F(PageTest, UsersButtonsNeedTheUserManagementRight) {
  LogIn(kLevelAdministrator, kRightFrontEndSettings);
  Open();
  HWND page = dlg->UserPage().GetSafeHwnd();
  for (int id : {IDC_DEVUSERS_ADD, IDC_DEVUSERS_POWER, IDC_DEVUSERS_DELETE, IDC_DEVUSERS_PASSWORD})
    EXPECT_FALSE(IsWindowEnabled(gui::Control(page, id))) << id;
}

TEST_F(PageTest, UsersAddDialogLevelsAndChecks) {
  LogIn(kLevelAdministrator, 0xFFFFFFFF);
  Open();
  dlg->ShowPage(kPageUsers);
  HWND page = dlg->UserPage().GetSafeHwnd();
  RightsState asOperator, asAdministrator;
  std::vector<gui::MessageBoxScript::Box> seen;
  bool stayedOpen = false, oldPasswordEnabled = true;
  gui::MessageBoxScript boxes;
  NestedDialog answer("Add User", [&](HWND d) {
    oldPasswordEnabled = IsWindowEnabled(gui::Control(d, IDC_DEVUSER_OLD)) != FALSE;
    gui::SelectCombo(d, IDC_DEVUSER_LEVEL, 1);
    asOperator = Rights(d);
    gui::SaveWindowBitmap(d, gui::OutputPath("device_user_dialog.bmp"));
    gui::SelectCombo(d, IDC_DEVUSER_LEVEL, 0);
    asAdministrator = Rights(d);
    gui::Click(d, IDOK);  // no name
    gui::SetText(d, IDC_DEVUSER_NAME, "bob");
    gui::SetText(d, IDC_DEVUSER_NEW, "alpha");
    gui::SetText(d, IDC_DEVUSER_REPEAT, "beta");
    gui::Click(d, IDOK);
    stayedOpen = IsWindow(d) && IsWindowVisible(d);
    gui::SetText(d, IDC_DEVUSER_REPEAT, "alpha");
    gui::Click(d, IDOK);
  });
  const size_t sent = SentCount();
  gui::Click(page, IDC_DEVUSERS_ADD);
  ASSERT_TRUE(answer.Seen());
  EXPECT_FALSE(oldPasswordEnabled);
  EXPECT_EQ(asOperator.ticked, 0x3F9u) << "items 1 and 2 cleared, the rest ticked";
  EXPECT_EQ(asOperator.enabled & 0x6u, 0u) << "items 1 and 2 cannot be ticked";
  EXPECT_TRUE(asOperator.listEnabled);
  EXPECT_EQ(asAdministrator.ticked, 0x3FFu);
  EXPECT_FALSE(asAdministrator.listEnabled);
  EXPECT_TRUE(stayedOpen);
  const auto b = boxes.Boxes();
  ASSERT_EQ(b.size(), 3u);
  EXPECT_EQ(b[0].text, "User name can not be empty!");
  EXPECT_EQ(b[1].text, "Password is not consistent!");
  EXPECT_EQ(b[1].caption, "PROMPT");
  EXPECT_EQ(b[2].text, kNotChanged);
  EXPECT_EQ(SentCount(), sent);
}

TEST_F(PageTest, UsersRowsPowerAndAdminKept) {
  LogIn(kLevelAdministrator, 0xFFFFFFFF);
  Open();
  dlg->ShowPage(kPageUsers);
  HWND page = dlg->UserPage().GetSafeHwnd();
  const devcfg::DeviceUserRecord users[] = {User("admin", kLevelAdministrator, 0xF000003F),
                                            User("bob", 0, 0x20000005)};
  dlg->UserPage().SetUserTable(users, 2);
  HWND list = gui::Control(page, IDC_DEVUSERS_LIST);
  ASSERT_EQ(ListView_GetItemCount(list), 2);
  // A selected row shows its user's rights.
  gui::SelectListItem(page, IDC_DEVUSERS_LIST, 1);
  EXPECT_EQ(Rights(page).ticked, 0x51u) << "items 0, 4 and 6";

  // Change power never asks for a password; an Operator's items 1 and 2
  // stay locked.
  RightsState shown;
  bool passwordsEnabled = true;
  gui::MessageBoxScript boxes({IDNO});
  NestedDialog answer("Change User Power", [&](HWND d) {
    shown = Rights(d);
    passwordsEnabled = IsWindowEnabled(gui::Control(d, IDC_DEVUSER_NEW)) != FALSE;
    gui::Click(d, IDOK);
  });
  gui::Click(page, IDC_DEVUSERS_POWER);
  ASSERT_TRUE(answer.Seen());
  EXPECT_FALSE(passwordsEnabled);
  EXPECT_EQ(shown.ticked, 0x51u);
  EXPECT_EQ(shown.enabled & 0x6u, 0u);
  ASSERT_EQ(boxes.Count(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, kNotChanged);

  // "admin" cannot be deleted; another user is asked about, No keeps it.
  gui::SelectListItem(page, IDC_DEVUSERS_LIST, 0);
  gui::Click(page, IDC_DEVUSERS_DELETE);
  gui::SelectListItem(page, IDC_DEVUSERS_LIST, 1);
  gui::Click(page, IDC_DEVUSERS_DELETE);
  const auto b = boxes.Boxes();
  ASSERT_EQ(b.size(), 3u);
  EXPECT_EQ(b[1].text, "This user can not be deleted!");
  EXPECT_EQ(b[2].text, "Are you sure you want to delete user bob ?");
  EXPECT_EQ(b[2].caption, "WARNING");
  EXPECT_EQ(ListView_GetItemCount(list), 2);
}
