#include "UserManagePage.h"

#include <cstring>

#include "app_services.h"
#include "devcfg_helpers.h"
#include "language.h"
#include "text_copy.h"

namespace {

void FillRights(CCheckListBox& list) {
  list.ResetContent();
  for (int i = 0; i < devcfg::kDeviceRightCount; ++i) list.AddString(TranslateString(devcfg::DeviceRight(i).text));
}

void ShowRights(CCheckListBox& list, uint32_t rights) {
  const uint32_t items = devcfg::ItemsOfRights(rights);
  for (int i = 0; i < devcfg::kDeviceRightCount; ++i) list.SetCheck(i, (items >> i) & 1);
}

CString NameOf(const devcfg::DeviceUserRecord& u) { return devcfg::FieldText(u.name, sizeof u.name).c_str(); }

}  // namespace

// ------------------------------------------------------------ CDeviceUserDlg

BEGIN_MESSAGE_MAP(CDeviceUserDlg, CDialog)
  ON_CBN_SELCHANGE(IDC_DEVUSER_LEVEL, OnLevelChange)
END_MESSAGE_MAP()

CDeviceUserDlg::CDeviceUserDlg(CWnd* parent) : CDialog(IDD, parent) {}

void CDeviceUserDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Text(dx, IDC_DEVUSER_NAME, m_name);
  DDX_Text(dx, IDC_DEVUSER_NEW, m_newPassword);
  DDX_CBIndex(dx, IDC_DEVUSER_LEVEL, m_level);
  DDX_Text(dx, IDC_DEVUSER_REPEAT, m_repeatPassword);
  DDX_Text(dx, IDC_DEVUSER_OLD, m_oldPassword);
}

BOOL CDeviceUserDlg::OnInitDialog() {
  TranslateDialog(this);
  CDialog::OnInitDialog();
  m_rightsList.SubclassDlgItem(IDC_DEVUSERS_RIGHTS, this);
  for (int id : {IDC_DEVUSER_OLD, IDC_DEVUSER_REPEAT, IDC_DEVUSER_NEW, IDC_DEVUSER_NAME})
    SendDlgItemMessage(id, EM_LIMITTEXT, 16);
  SendDlgItemMessage(IDC_DEVUSER_LEVEL, CB_RESETCONTENT);
  for (const char* level : {"Administrator", "Operator"})
    SendDlgItemMessage(IDC_DEVUSER_LEVEL, CB_ADDSTRING, 0, LPARAM((LPCSTR)TranslateString(level)));
  FillRights(m_rightsList);
  auto disable = [this](int id) {
    if (CWnd* c = GetDlgItem(id)) c->EnableWindow(FALSE);
  };
  switch (m_mode) {
    case devcfg::kDeviceUserAdd:
      SetWindowText(TranslateString("Add User"));
      disable(IDC_DEVUSER_OLD);
      break;
    case devcfg::kDeviceUserPassword:
      SetWindowText(TranslateString("Change Login Password"));
      for (int id : {IDC_DEVUSER_NAME, IDC_DEVUSER_LEVEL, IDC_DEVUSERS_RIGHTS}) disable(id);
      break;
    case devcfg::kDeviceUserPower:
      SetWindowText(TranslateString("Change User Power"));
      for (int id : {IDC_DEVUSER_NAME, IDC_DEVUSER_OLD, IDC_DEVUSER_NEW, IDC_DEVUSER_REPEAT, IDC_DEVUSER_LEVEL})
        disable(id);
      if (m_level == 1) {
        for (int i = 0; i < devcfg::kDeviceRightCount; ++i)
          if (devcfg::kOperatorLockedItems >> i & 1) m_rightsList.Enable(i, FALSE);
      } else {
        disable(IDC_DEVUSERS_RIGHTS);
      }
      break;
    default: break;
  }
  ShowRights(m_rightsList, m_rights);
  UpdateData(FALSE);
  return TRUE;
}

void CDeviceUserDlg::OnLevelChange() {
  UpdateData(TRUE);
  const bool operatorLevel = m_level != 0;
  for (int i = 0; i < devcfg::kDeviceRightCount; ++i) {
    const bool locked = operatorLevel && (devcfg::kOperatorLockedItems >> i & 1);
    m_rightsList.SetCheck(i, locked ? 0 : 1);
    m_rightsList.Enable(i, !locked);
  }
  m_rightsList.EnableWindow(operatorLevel);
}

void CDeviceUserDlg::OnOK() {
  UpdateData(TRUE);
  if (const char* refusal =
          devcfg::CheckDeviceUserInput(int(m_mode), m_name, m_newPassword, m_repeatPassword, m_oldPassword, m_level)) {
    TranslatedMessageBox(this, refusal, "PROMPT", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  uint32_t items = 0;
  for (int i = 0; i < devcfg::kDeviceRightCount; ++i)
    if (m_rightsList.GetCheck(i)) items |= 1u << i;
  m_rights = devcfg::RightsOfItems(items);
  CDialog::OnOK();
}

// ------------------------------------------------------------ CUserManagePage

BEGIN_MESSAGE_MAP(CUserManagePage, CConfigPage)
  ON_BN_CLICKED(IDC_DEVUSERS_ADD, OnAdd)
  ON_BN_CLICKED(IDC_DEVUSERS_POWER, OnChangePower)
  ON_BN_CLICKED(IDC_DEVUSERS_DELETE, OnDelete)
  ON_BN_CLICKED(IDC_DEVUSERS_PASSWORD, OnChangePassword)
  ON_NOTIFY(LVN_ITEMCHANGED, IDC_DEVUSERS_LIST, OnUserChanged)
  ON_NOTIFY(NM_DBLCLK, IDC_DEVUSERS_LIST, OnUserDoubleClick)
END_MESSAGE_MAP()

CUserManagePage::CUserManagePage(CSettingsPageHost* owner) : CConfigPage(IDD_USER_MANAGE_PAGE, owner) {
  std::memset(m_table, 0, sizeof m_table);
}

BOOL CUserManagePage::OnInitDialog() {
  CConfigPage::OnInitDialog();
  SetWindowText(TranslateString("User Management"));
  m_rightsList.SubclassDlgItem(IDC_DEVUSERS_RIGHTS, this);
  m_users.SubclassDlgItem(IDC_DEVUSERS_LIST, this);
  m_users.SetExtendedStyle(m_users.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  m_users.InsertColumn(0, TranslateString("User Name"), LVCFMT_LEFT, 115);
  m_users.InsertColumn(1, TranslateString("Password"), LVCFMT_LEFT, 75);
  m_users.InsertColumn(2, TranslateString("Level"), LVCFMT_LEFT, 100);
  FillRights(m_rightsList);
  m_rightsList.EnableWindow(FALSE);
  if (!(g_userRights & kRightFrontEndUsers))
    for (int id : {IDC_DEVUSERS_ADD, IDC_DEVUSERS_POWER, IDC_DEVUSERS_DELETE, IDC_DEVUSERS_PASSWORD})
      if (CWnd* b = GetDlgItem(id)) b->EnableWindow(FALSE);
  return TRUE;
}

void CUserManagePage::SetUserTable(const devcfg::DeviceUserRecord* users, int count) {
  std::memset(m_table, 0, sizeof m_table);
  if (users && count > 0) std::memcpy(m_table, users, sizeof m_table[0] * size_t(std::min(count, devcfg::kDeviceUsers)));
  if (!m_users.GetSafeHwnd()) return;
  m_users.DeleteAllItems();
  int row = 0;
  for (const devcfg::DeviceUserRecord& u : m_table) {
    if (!u.inUse) continue;
    m_users.InsertItem(row, NameOf(u));
    m_users.SetItemText(row, 1, "******");
    m_users.SetItemText(row, 2, TranslateString(UserLevel(u.levelMask)));
    ++row;
  }
  ShowRights(m_rightsList, 0);
}

devcfg::DeviceUserRecord* CUserManagePage::FindUser(const CString& name) {
  for (devcfg::DeviceUserRecord& u : m_table)
    if (u.inUse && NameOf(u) == name) return &u;
  return nullptr;
}

devcfg::DeviceUserRecord* CUserManagePage::SelectedUser(CString* rowName) {
  const int row = m_users.GetSafeHwnd() ? m_users.GetNextItem(-1, LVNI_SELECTED) : -1;
  if (row < 0) return nullptr;
  const CString name = m_users.GetItemText(row, 0);
  if (rowName) *rowName = name;
  return FindUser(name);
}

void CUserManagePage::Prompt(const CString& text) { ComposedMessageBox(this, text, "PROMPT", MB_OK | MB_ICONEXCLAMATION); }

bool CUserManagePage::RefuseUnlessAdministrator(const char* refusal) {
  if (IsCurrentUserAdministrator()) return false;
  Prompt(TranslateString(refusal));
  return true;
}

void CUserManagePage::OnAdd() {
  if (RefuseUnlessAdministrator("You have no power to add user!")) return;
  int slot = -1;
  for (int i = 0; i < devcfg::kDeviceUsers && slot < 0; ++i)
    if (!m_table[i].inUse) slot = i;
  if (slot < 0) {
    Prompt(TranslateString("User list is full!"));
    return;
  }
  CDeviceUserDlg dlg(this);
  dlg.m_mode = devcfg::kDeviceUserAdd;
  if (const shell::LocalUserRecord* me = GetCurrentUser()) dlg.m_callerLevel = me->levelMask;
  dlg.m_rights = 0;
  if (dlg.DoModal() != IDOK) return;
  for (const devcfg::DeviceUserRecord& u : m_table)
    if (NameOf(u) == dlg.m_name) {
      CString text;
      text.Format("%s %s %s", (LPCSTR)TranslateString("User"), (LPCSTR)dlg.m_name,
                  (LPCSTR)TranslateString("is already existent!"));
      Prompt(text);
      return;
    }
  ChosenDevice();
  devcfg::DeviceUserRecord record{};
  record.inUse = 1;
  CopyText(record.name, dlg.m_name);
  CopyText(record.password, dlg.m_newPassword);
  record.levelMask = dlg.m_level == 0 ? kLevelAdministrator : 0;
  record.rightsMask = dlg.m_rights;
  (void)record;  // no request carries it to the device
  TellDeviceNotChanged(this);
}

void CUserManagePage::OnChangePower() {
  if (RefuseUnlessAdministrator("You have no power to modify user power!")) return;
  CString rowName;
  devcfg::DeviceUserRecord* user = SelectedUser(&rowName);
  if (rowName.IsEmpty()) {
    Prompt(TranslateString("Please select a user to modify!"));
    return;
  }
  if (!user) return;
  ChosenDevice();
  CDeviceUserDlg dlg(this);
  dlg.m_mode = devcfg::kDeviceUserPower;
  dlg.m_name = NameOf(*user);
  dlg.m_level = user->levelMask == kLevelAdministrator ? 0 : 1;
  dlg.m_rights = user->rightsMask;
  if (dlg.DoModal() == IDOK) TellDeviceNotChanged(this);
}

void CUserManagePage::OnDelete() {
  if (RefuseUnlessAdministrator("You have no power to delete user!")) return;
  CString rowName;
  SelectedUser(&rowName);
  if (rowName.IsEmpty()) {
    Prompt(TranslateString("Please select a user to delete!"));
    return;
  }
  if (rowName == "admin") {
    Prompt(TranslateString("This user can not be deleted!"));
    return;
  }
  CString question;
  question.Format("%s %s ?", (LPCSTR)TranslateString("Are you sure you want to delete user"), (LPCSTR)rowName);
  if (ComposedMessageBox(this, question, "WARNING", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  ChosenDevice();
  TellDeviceNotChanged(this);
}

void CUserManagePage::OnChangePassword() {
  shell::DeviceRecord* device = ChosenDevice();
  if (!device) return;
  CDeviceUserDlg dlg(this);
  dlg.m_mode = devcfg::kDeviceUserPassword;
  dlg.m_name = devcfg::FieldText(device->userName, sizeof device->userName).c_str();
  dlg.m_level = device->loginWord1 == kLevelAdministrator ? 0 : 1;
  dlg.m_rights = device->loginWord2;
  if (dlg.DoModal() == IDOK) TellDeviceNotChanged(this);
}

void CUserManagePage::OnUserChanged(NMHDR* nm, LRESULT* result) {
  *result = 0;
  const NMLISTVIEW* lv = reinterpret_cast<const NMLISTVIEW*>(nm);
  if (!(lv->uChanged & LVIF_STATE) || !(lv->uNewState & LVIS_SELECTED) || (lv->uOldState & LVIS_SELECTED)) return;
  const devcfg::DeviceUserRecord* user = FindUser(m_users.GetItemText(lv->iItem, 0));
  ShowRights(m_rightsList, user ? user->rightsMask : 0);
}

void CUserManagePage::OnUserDoubleClick(NMHDR*, LRESULT* result) {
  *result = 0;
  if (m_users.GetSafeHwnd()) m_users.GetNextItem(-1, LVNI_SELECTED);
}
