#include "DiskManagePage.h"

#include "app_services.h"
#include "devcfg_helpers.h"
#include "language.h"
#include "user_rights.h"

BEGIN_MESSAGE_MAP(CDiskManagePage, CConfigPage)
  ON_WM_DESTROY()
  ON_BN_CLICKED(IDC_DISK_FORMAT_CHECK, OnFormatCheck)
  ON_BN_CLICKED(IDC_DISK_FORMAT, OnFormat)
  ON_BN_CLICKED(IDC_DISK_BROWSE_ROOT, OnBrowseRoot)
  ON_BN_CLICKED(IDC_DISK_UP_LEVEL, OnUpLevel)
  ON_NOTIFY(NM_CLICK, IDC_DISK_LIST, OnDiskClick)
  ON_NOTIFY(LVN_ITEMCHANGED, IDC_DISK_LIST, OnDiskChanged)
  ON_NOTIFY(NM_DBLCLK, IDC_DISK_FILES, OnFileDoubleClick)
END_MESSAGE_MAP()

CDiskManagePage::CDiskManagePage(CSettingsPageHost* owner) : CConfigPage(IDD_DISK_MANAGE_PAGE, owner) {}

BOOL CDiskManagePage::OnInitDialog() {
  m_records = nullptr;
  m_count = 0;
  m_format = FALSE;
  CConfigPage::OnInitDialog();
  m_files.SubclassDlgItem(IDC_DISK_FILES, this);
  m_disks.SubclassDlgItem(IDC_DISK_LIST, this);
  m_images.DeleteImageList();
  if (m_images.Create(IDB_DISK_FILES, 16, 1, RGB(255, 0, 255))) m_files.SetImageList(&m_images, LVSIL_SMALL);
  m_disks.SetExtendedStyle(m_disks.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  m_disks.InsertColumn(0, TranslateString("No."), LVCFMT_LEFT, 50);
  m_disks.InsertColumn(1, TranslateString("Disk Type"), LVCFMT_LEFT, 100);
  m_disks.InsertColumn(2, TranslateString("Total Size"), LVCFMT_LEFT, 120);
  m_disks.InsertColumn(3, TranslateString("Free Size"), LVCFMT_LEFT, 120);
  m_files.SetExtendedStyle(m_files.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  m_files.InsertColumn(0, TranslateString("Name"), LVCFMT_LEFT, 180);
  m_files.InsertColumn(1, TranslateString("Size"), LVCFMT_LEFT, 80);
  m_files.InsertColumn(2, TranslateString("Modify Time"), LVCFMT_LEFT, 140);
  EnableControls(FALSE);
  return TRUE;
}

void CDiskManagePage::OnDestroy() {
  delete[] m_records;
  m_records = nullptr;
  m_count = 0;
  m_images.DeleteImageList();
  CConfigPage::OnDestroy();
}

void CDiskManagePage::EnableControls(BOOL enable) {
  EnableChildControls(this, enable);
  if (CWnd* format = GetDlgItem(IDC_DISK_FORMAT)) format->EnableWindow(FALSE);
}

void CDiskManagePage::Prompt(const char* english, const char* caption) {
  TranslatedMessageBox(this, english, caption, MB_OK | MB_ICONEXCLAMATION);
}

void CDiskManagePage::OnFormatCheck() {
  m_format = IsDlgButtonChecked(IDC_DISK_FORMAT_CHECK) == BST_CHECKED;
  if (CWnd* format = GetDlgItem(IDC_DISK_FORMAT)) format->EnableWindow(m_format);
}

void CDiskManagePage::OnFormat() {
  const int row = m_disks.GetSelectionMark();
  if (row < 0) {
    Prompt("Please select the disk item to format!", "PROMPT");
    return;
  }
  shell::DeviceRecord* device = ChosenDevice();
  if (!device) return;
  if (device->loginWord1 != kLevelAdministrator) {
    Prompt("You have no power to format disk!", "WARNING");
    return;
  }
  CString question;
  question.Format("%s \"%d\" ?", (LPCSTR)TranslateString("Are you sure you want to format disk"), row + 1);
  if (ComposedMessageBox(this, question, "WARNING", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) return;
  std::string name;
  devcfg::DiskRecordName(m_records, m_count, row, &name);  // a row without a record has no name
  TellDeviceNotChanged(this);
}

void CDiskManagePage::OnBrowseRoot() {
  const int row = m_disks.GetSelectionMark();
  std::string name;
  // Rows beyond the records (or with none at all) name no disk.
  if (row < 0 || !devcfg::DiskRecordName(m_records, m_count, row, &name)) {
    CString text;
    text.Format("%s", (LPCSTR)TranslateString("Please select the disk item to browse!"));
    ComposedMessageBox(this, text, "PROMPT", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  ChosenDevice();
  m_files.DeleteAllItems();
  m_browsePath = name;
}

void CDiskManagePage::OnUpLevel() {
  const std::string up = devcfg::BrowseUpLevel(m_browsePath);
  if (up == m_browsePath) return;
  m_browsePath = up;
  ChosenDevice();
  m_files.DeleteAllItems();
}

void CDiskManagePage::OnFileDoubleClick(NMHDR*, LRESULT* result) {
  *result = 0;
  const int row = m_files.GetNextItem(-1, LVNI_SELECTED);
  if (row < 0 || !m_files.GetItemData(row)) return;
  m_browsePath += "/";
  m_browsePath += (LPCSTR)m_files.GetItemText(row, 0);
  m_files.DeleteAllItems();
  ChosenDevice();
}

void CDiskManagePage::TickOnlySelectedDisk() {
  if (m_ticking) return;
  m_ticking = true;
  const int selected = m_disks.GetNextItem(-1, LVNI_SELECTED);
  for (int row = 0; row < m_disks.GetItemCount(); ++row)
    m_disks.SetItemState(row, INDEXTOSTATEIMAGEMASK(row == selected ? 2 : 1), LVIS_STATEIMAGEMASK);
  m_ticking = false;
}

void CDiskManagePage::OnDiskClick(NMHDR*, LRESULT* result) {
  *result = 0;
  TickOnlySelectedDisk();
}

void CDiskManagePage::OnDiskChanged(NMHDR*, LRESULT* result) {
  *result = 0;
  TickOnlySelectedDisk();
}
