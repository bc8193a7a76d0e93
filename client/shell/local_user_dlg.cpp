#include "local_user_dlg.h"
#include "app_services.h"
#include "config_store.h"
#include "language.h"
#include "report_list.h"
#include "text_copy.h"

namespace {

CString FieldText(const char* field, size_t size) { return CString(field, int(strnlen(field, size))); }

void FillRights(CCheckListBox& list) {
  list.ResetContent();
  for (int i = 0; i < kUserRightCount; ++i) list.AddString(TranslateString(GetUserRightRow(i).text));
}

void TickRights(CCheckListBox& list, uint32_t rights) {
  for (int i = 0; i < kUserRightCount; ++i) list.SetCheck(i, (rights & GetUserRightRow(i).bit) ? 1 : 0);
}

void Prompt(CWnd* owner, const char* text) { TranslatedMessageBox(owner, text, "PROMPT", MB_OK | MB_ICONEXCLAMATION); }

}  // namespace

// ------------------------------------------------------------ CLocalUserDlg
BEGIN_MESSAGE_MAP(CLocalUserDlg, CDialog)
  ON_CBN_SELCHANGE(IDC_USER_LEVEL, OnLevelChange)
END_MESSAGE_MAP()

BOOL CLocalUserDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_name.SubclassDlgItem(IDC_USER_NAME, this);
  m_new.SubclassDlgItem(IDC_USER_NEW_PASSWORD, this);
  m_repeat.SubclassDlgItem(IDC_USER_REPEAT_PASSWORD, this);
  m_old.SubclassDlgItem(IDC_USER_OLD_PASSWORD, this);
  m_levelBox.SubclassDlgItem(IDC_USER_LEVEL, this);
  m_rightsList.SubclassDlgItem(IDC_USER_RIGHTS, this);
  TranslateDialog(this);
  for (CEdit* e : {&m_name, &m_new, &m_repeat, &m_old}) e->LimitText(kUserTextLimit);
  m_levelBox.AddString(TranslateString("Administrator"));
  m_levelBox.AddString(TranslateString("Operator"));
  FillRights(m_rightsList);
  m_name.SetWindowText(m_userName);
  m_new.SetWindowText(m_newPassword);
  m_repeat.SetWindowText(m_repeatPassword);
  m_old.SetWindowText(m_oldPassword);
  if (m_level == 0 || m_level == 1) m_levelBox.SetCurSel(m_level);

  switch (m_mode) {
    case kModeAddUser:
      SetWindowText(TranslateString("Add User"));
      m_old.EnableWindow(FALSE);
      break;
    case kModeChangePassword:
      SetWindowText(TranslateString("Change Login Password"));
      m_name.EnableWindow(FALSE);
      m_levelBox.EnableWindow(FALSE);
      m_rightsList.EnableWindow(FALSE);
      break;
    case kModeChangePower:
      SetWindowText(TranslateString("Change User Power"));
      m_name.EnableWindow(FALSE);
      m_new.EnableWindow(FALSE);
      m_repeat.EnableWindow(FALSE);
      m_old.EnableWindow(FALSE);
      m_levelBox.EnableWindow(FALSE);
      if (m_level == 1) {
        for (int row : {1, 2, 4}) m_rightsList.Enable(row, FALSE);
      } else {
        m_rightsList.EnableWindow(FALSE);
      }
      break;
  }
  TickRights(m_rightsList, m_rights);
  return TRUE;
}

void CLocalUserDlg::ApplyLevel(int level) {
  if (level == 0) {
    for (int i = 0; i < kUserRightCount; ++i) m_rightsList.SetCheck(i, 1);
    m_rightsList.EnableWindow(FALSE);
  } else if (level == 1) {
    for (int i = 0; i < kUserRightCount; ++i) {
      bool locked = (kOperatorLockedRows >> i) & 1;
      m_rightsList.SetCheck(i, locked ? 0 : ((kOperatorDefaultRows >> i) & 1));
      m_rightsList.Enable(i, !locked);
    }
    m_rightsList.EnableWindow(TRUE);
  }
}

void CLocalUserDlg::OnLevelChange() { ApplyLevel(m_levelBox.GetCurSel()); }

void CLocalUserDlg::OnOK() {
  CString name, fresh, repeat, old;
  m_name.GetWindowText(name);
  m_new.GetWindowText(fresh);
  m_repeat.GetWindowText(repeat);
  m_old.GetWindowText(old);
  int level = m_levelBox.GetCurSel();
  const shell::LocalUserRecord* current = GetCurrentUser();
  CString currentPassword = current ? FieldText(current->password, sizeof current->password) : CString();
  if (const char* prompt = CheckLocalUserInput(m_mode, name, fresh, repeat, old, currentPassword, level)) {
    Prompt(this, prompt);
    return;
  }
  uint32_t rows = 0;
  for (int i = 0; i < kUserRightCount; ++i)
    if (m_rightsList.GetCheck(i)) rows |= 1u << i;
  m_userName = name;
  m_newPassword = fresh;
  m_repeatPassword = repeat;
  m_oldPassword = old;
  m_level = level;
  m_rights = RightsFromRows(rows);
  EndDialog(IDOK);
}

// ------------------------------------------------------ CLocalUserManageDlg
BEGIN_MESSAGE_MAP(CLocalUserManageDlg, CDialog)
  ON_BN_CLICKED(IDC_USERS_ADD, OnAdd)
  ON_BN_CLICKED(IDC_USERS_CHANGE_POWER, OnChangePower)
  ON_BN_CLICKED(IDC_USERS_DELETE, OnDelete)
  ON_BN_CLICKED(IDC_USERS_CHANGE_PASSWORD, OnChangePassword)
  ON_NOTIFY(LVN_ITEMCHANGED, IDC_USERS_LIST, OnItemChanged)
END_MESSAGE_MAP()

BOOL CLocalUserManageDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_list.SubclassDlgItem(IDC_USERS_LIST, this);
  m_rightsList.SubclassDlgItem(IDC_USERS_RIGHTS, this);
  TranslateDialog(this);
  SetWindowText(TranslateString("Local User Management"));
  static const ListColumn columns[] = {{"User Name", 115}, {"Password", 75}, {"Level", 100}};
  SetupReportList(m_list, columns, 3);
  FillRights(m_rightsList);
  m_rightsList.EnableWindow(FALSE);
  FillList();
  return TRUE;
}

void CLocalUserManageDlg::FillList() {
  m_list.DeleteAllItems();
  if (!m_image) return;
  int row = 0;
  for (const shell::LocalUserRecord& u : m_image->users) {
    if (!u.inUse) continue;
    m_list.InsertItem(row, FieldText(u.name, sizeof u.name));
    m_list.SetItemText(row, 1, "********");
    m_list.SetItemText(row, 2, TranslateString(UserLevel(u.levelMask)));
    ++row;
  }
}

void CLocalUserManageDlg::ShowRights(uint32_t rights) { TickRights(m_rightsList, rights); }

CString CLocalUserManageDlg::SelectedName() const {
  int i = m_list.GetNextItem(-1, LVNI_SELECTED);
  return i < 0 ? CString() : m_list.GetItemText(i, 0);
}

void CLocalUserManageDlg::OnItemChanged(NMHDR* nm, LRESULT* result) {
  *result = 0;
  const NMLISTVIEW* lv = reinterpret_cast<const NMLISTVIEW*>(nm);
  if (!m_image || !(lv->uChanged & LVIF_STATE) || !(lv->uNewState & LVIS_SELECTED)) return;
  int slot = shell::FindUser(*m_image, m_list.GetItemText(lv->iItem, 0));
  if (slot >= 0) ShowRights(m_image->users[slot].rightsMask);
}

void CLocalUserManageDlg::Save() {
  shell::SaveSysConfig(*m_image, m_programDir);
  FillList();
}

void CLocalUserManageDlg::OnAdd() {
  if (!m_image || !CheckAdministrator("You have no power to add user!")) return;
  if (shell::FirstFreeUserSlot(*m_image) < 0) {
    Prompt(this, "User list is full!");
    return;
  }
  CLocalUserDlg editor(this);
  editor.m_mode = kModeAddUser;
  editor.m_rights = 0;
  if (const shell::LocalUserRecord* me = GetCurrentUser()) editor.m_callerLevel = me->levelMask;
  if (editor.DoModal() != IDOK) return;
  bool admin = editor.m_level == 0;
  shell::AddUserResult r =
      shell::AddLocalUser(*m_image, editor.m_userName, editor.m_newPassword, admin, editor.m_rights);
  if (r == shell::AddUserResult::Exists) {
    CString text;
    text.Format("%s %s %s", TranslateString("User").GetString(), editor.m_userName.GetString(),
                TranslateString("is already existent!").GetString());
    ComposedMessageBox(this, text, "PROMPT", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (r == shell::AddUserResult::ListFull) {
    Prompt(this, "User list is full!");
    return;
  }
  Save();
}

void CLocalUserManageDlg::OnChangePassword() {
  shell::LocalUserRecord* me = GetCurrentUser();
  if (!m_image || !me) return;
  CLocalUserDlg editor(this);
  editor.m_mode = kModeChangePassword;
  editor.m_userName = FieldText(me->name, sizeof me->name);
  editor.m_level = IsAdministratorLevel(me->levelMask) ? 0 : 1;
  editor.m_callerLevel = me->levelMask;
  editor.m_rights = me->rightsMask;
  if (editor.DoModal() != IDOK) return;
  // The logged-in user's own record, and its slot in this image when the
  // record lives in another copy.
  CString name = FieldText(me->name, sizeof me->name);
  CopyText(me->password, editor.m_newPassword);
  int slot = shell::FindUser(*m_image, name);
  if (slot >= 0) CopyText(m_image->users[slot].password, editor.m_newPassword);
  Save();
}

void CLocalUserManageDlg::OnChangePower() {
  if (!m_image || !CheckAdministrator("You have no power to modify user power!")) return;
  CString name = SelectedName();
  if (name.IsEmpty()) {
    Prompt(this, "Please select a user to modify!");
    return;
  }
  int slot = shell::FindUser(*m_image, name);
  if (slot < 0) return;
  const shell::LocalUserRecord& u = m_image->users[slot];
  CLocalUserDlg editor(this);
  editor.m_mode = kModeChangePower;
  editor.m_userName = name;
  editor.m_level = IsAdministratorLevel(u.levelMask) ? 0 : 1;
  editor.m_rights = u.rightsMask;
  if (const shell::LocalUserRecord* me = GetCurrentUser()) editor.m_callerLevel = me->levelMask;
  if (editor.DoModal() != IDOK) return;
  // An Administrator's rights never change.
  if (shell::SetOperatorRights(*m_image, slot, editor.m_rights)) Save();
}

void CLocalUserManageDlg::OnDelete() {
  if (!m_image || !CheckAdministrator("You have no power to delete user!")) return;
  CString name = SelectedName();
  if (name.IsEmpty()) {
    Prompt(this, "Please select a user to delete!");
    return;
  }
  // Neither "admin" nor the logged-in user: a later "Change Login Password"
  // would otherwise write a slot another user has taken.
  const shell::LocalUserRecord* me = GetCurrentUser();
  if (name == shell::kDefaultAdminUser || (me && name == FieldText(me->name, sizeof me->name))) {
    Prompt(this, "This user can not be deleted!");
    return;
  }
  CString question;
  question.Format("%s %s ?", TranslateString("Are you sure you want to delete user").GetString(), name.GetString());
  if (ComposedMessageBox(this, question, "WARNING", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  if (!shell::DeleteLocalUser(*m_image, name)) {
    CString text;
    text.Format("%s : %s", TranslateString("Invalid User").GetString(), name.GetString());
    ComposedMessageBox(this, text, "PROMPT", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  ShowRights(0);
  Save();
}
