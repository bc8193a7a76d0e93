#include "login_dlg.h"
#include "app_services.h"
#include "config_store.h"
#include "helpers.h"
#include "language.h"
#include "text_copy.h"
#include "user_rights.h"

BEGIN_MESSAGE_MAP(CLoginDlg, CDialog)
  ON_WM_TIMER()
  ON_WM_PAINT()
  ON_WM_ERASEBKGND()
  ON_WM_CTLCOLOR()
  ON_WM_DESTROY()
  ON_BN_CLICKED(IDC_LOGIN_SAVE_PASSWORD, OnSavePassword)
  ON_BN_CLICKED(IDC_LOGIN_AUTO_LOGIN, OnAutoLogin)
  ON_CBN_SELCHANGE(IDC_LOGIN_LANGUAGE, OnLanguage)
END_MESSAGE_MAP()

CLoginDlg::CLoginDlg(CWnd* parent) : CDialog(IDD, parent), m_image(std::make_unique<shell::SystemConfigImage>()) {
  memset(m_image.get(), 0, sizeof *m_image);
}

CLoginDlg::~CLoginDlg() = default;

namespace {

// Black or white, whichever reads better on `back`.
COLORREF ContrastingText(COLORREF back) {
  int luma = (GetRValue(back) * 299 + GetGValue(back) * 587 + GetBValue(back) * 114) / 1000;
  return luma < 128 ? RGB(255, 255, 255) : RGB(0, 0, 0);
}

// The colour in the middle of a bitmap.
COLORREF CentrePixel(CBitmap& bitmap) {
  BITMAP bm{};
  if (!bitmap.GetSafeHandle() || !bitmap.GetBitmap(&bm)) return CLR_INVALID;
  HDC mem = ::CreateCompatibleDC(nullptr);
  HGDIOBJ old = ::SelectObject(mem, bitmap.m_hObject);
  COLORREF c = ::GetPixel(mem, bm.bmWidth / 2, bm.bmHeight / 2);
  ::SelectObject(mem, old);
  ::DeleteDC(mem);
  return c;
}

}  // namespace

CString CLoginDlg::ProgramDirectory() const {
  return m_programDir.IsEmpty() ? GetModuleDirectory() : m_programDir;
}

void CLoginDlg::ResetConfig(shell::SystemConfigImage& image) {
  shell::ResetSysConfig(image);
  image.savePassword = 0;
  image.autoLogin = 0;
  CopyText(image.savedUser, shell::kDefaultAdminUser);
  CopyText(image.savedPassword, "");
}

BOOL CLoginDlg::LoadConfig() { return shell::LoadSysConfig(*m_image, ProgramDirectory()); }

BOOL CLoginDlg::SaveConfig() { return shell::SaveSysConfig(*m_image, ProgramDirectory()); }

BOOL CLoginDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_language.SubclassDlgItem(IDC_LOGIN_LANGUAGE, this);
  m_user.SubclassDlgItem(IDC_LOGIN_USER, this);
  m_password.SubclassDlgItem(IDC_LOGIN_PASSWORD, this);
  m_savePassword.SubclassDlgItem(IDC_LOGIN_SAVE_PASSWORD, this);
  m_autoLogin.SubclassDlgItem(IDC_LOGIN_AUTO_LOGIN, this);
  m_countdownLabel.SubclassDlgItem(IDC_LOGIN_COUNTDOWN, this);
  m_ok.SubclassDlgItem(IDOK, this);
  m_cancel.SubclassDlgItem(IDCANCEL, this);

  TranslateDialog(this);
  SetWindowText(TranslateString("Login Dravenor"));

  const SolutionEntry* current = GetCurrentSolution();
  const auto& solutions = CInterfaceSolutions::Instance().Solutions();
  for (size_t i = 0; i < solutions.size(); ++i) {
    int item = m_language.AddString(solutions[i].name);
    m_language.SetItemData(item, DWORD_PTR(i));
    if (&solutions[i] == current) m_language.SetCurSel(item);
  }

  m_user.LimitText(kUserTextLimit);
  m_password.LimitText(kUserTextLimit);
  LoadSkin();

  if (!IsCheckOnly() && LoadConfig()) {
    const shell::SystemConfigImage& img = *m_image;
    if (img.savePassword) {
      m_user.SetWindowText(CString(img.savedUser, int(strnlen(img.savedUser, sizeof img.savedUser))));
      m_password.SetWindowText(CString(img.savedPassword, int(strnlen(img.savedPassword, sizeof img.savedPassword))));
      m_savePassword.SetCheck(BST_CHECKED);
    } else {
      m_user.SetWindowText("");
      m_password.SetWindowText("");
      m_savePassword.SetCheck(BST_UNCHECKED);
    }
    if (img.autoLogin) {
      m_autoLogin.SetCheck(BST_CHECKED);
      m_savePassword.SetCheck(BST_CHECKED);
      m_user.SetWindowText(CString(img.savedUser, int(strnlen(img.savedUser, sizeof img.savedUser))));
      m_password.SetWindowText(CString(img.savedPassword, int(strnlen(img.savedPassword, sizeof img.savedPassword))));
      m_countdown = kCountdownSeconds;
      SetTimer(kAutoLoginTimer, 5000);
      SetTimer(kCountdownTimer, 1000);
    }
  }
  return TRUE;
}

void CLoginDlg::LoadSkin() {
  const SolutionEntry* s = GetCurrentSolution();
  if (!s) {
    m_backBrush.CreateSolidBrush(m_backColor);
    return;
  }
  CString deviceIni = s->folderPath + "device_config.ini";
  m_backColor = ParseColor(ReadIniString("MainSettings", "BackColor", "", deviceIni, 128));
  m_backBrush.CreateSolidBrush(m_backColor);
  LoadButtonSkin(s->configPath, s->folderPath);
  CString picture = ReadIniString("MainSettings", "Log_Image", "", s->configPath, 260);
  CString path = s->folderPath + picture;
  if (picture.IsEmpty() || !LoadDibFile(path, m_picture, TRUE)) {
    CString a, b, text;
    TranslateString(a, "Load background image");
    TranslateString(b, "failed");
    text.Format("%s: %s %s!", a.GetString(), path.GetString(), b.GetString());
    ComposedMessageBox(this, text, "FATAL ERROR", MB_OK | MB_ICONERROR);
    TranslatedMessageBox(this, "Load Login Picture Error0", nullptr, MB_OK | MB_ICONERROR);
  }
}

void CLoginDlg::LoadButtonSkin(const CString& configIni, const CString& folder) {
  enum { kUp, kOver, kDown, kDisable };
  static const char* const kKeys[] = {"BackImage_Up", "BackImage_Over", "BackImage_Down", "BackImage_Disable"};
  CBitmap pictures[4];
  for (int i = 0; i < 4; ++i) {
    CString name = ReadIniString("LoginDlgSettings", kKeys[i], "", configIni, 260);
    if (!name.IsEmpty()) LoadDibFile(folder + name, pictures[i], TRUE);
  }
  if (!pictures[kUp].GetSafeHandle()) return;
  auto have = [&](int i) { return pictures[i].GetSafeHandle() ? &pictures[i] : nullptr; };
  // The caption stays readable on the pictures of dark and light skins.
  COLORREF ink = ContrastingText(CentrePixel(pictures[kUp]));
  for (CSkinButton* b : {&m_ok, &m_cancel}) {
    b->SetBitmaps(have(kUp), have(kDown), have(kOver), have(kDisable), 0, kSkinStretched);
    b->SetTextColor(ink);
  }
}

void CLoginDlg::StopCountdown() {
  KillTimer(kAutoLoginTimer);
  KillTimer(kCountdownTimer);
  m_countdownLabel.SetWindowText("");
  RepaintCountdown();
}

void CLoginDlg::RepaintCountdown() {
  if (!m_countdownLabel.m_hWnd) return;
  CRect r;
  m_countdownLabel.GetWindowRect(&r);
  ScreenToClient(&r);
  InvalidateRect(&r);
}

void CLoginDlg::OnTimer(UINT_PTR id) {
  if (id == kCountdownTimer) {
    if (m_autoLogin.GetCheck() == BST_CHECKED) {
      if (m_countdown > 0) --m_countdown;
      CString text;
      text.Format("%s %d s", TranslateString("From Auto Login").GetString(), m_countdown);
      m_countdownLabel.SetWindowText(text);
      RepaintCountdown();
    } else {
      StopCountdown();
    }
  } else if (id == kAutoLoginTimer) {
    // Both timers stop before the login is tried, so a failing auto-login
    // shows its box once instead of every five seconds.
    StopCountdown();
    if (m_autoLogin.GetCheck() == BST_CHECKED) OnOK();
  } else {
    CDialog::OnTimer(id);
  }
}

void CLoginDlg::OnSavePassword() {
  if (m_savePassword.GetCheck() != BST_CHECKED) m_autoLogin.SetCheck(BST_UNCHECKED);
}

void CLoginDlg::OnAutoLogin() {
  if (m_autoLogin.GetCheck() == BST_CHECKED) m_savePassword.SetCheck(BST_CHECKED);
}

void CLoginDlg::OnLanguage() {
  int item = m_language.GetCurSel();
  if (item < 0) return;
  const auto& solutions = CInterfaceSolutions::Instance().Solutions();
  size_t index = size_t(m_language.GetItemData(item));
  if (index >= solutions.size()) return;
  SetCurrentSolution(&solutions[index]);
  CString ini = ProgramDirectory() + "Corvel.ini";
  ::WritePrivateProfileStringA("General", "Language", solutions[index].name, ini);
}

void CLoginDlg::OnOK() {
  CString user, password;
  m_user.GetWindowText(user);
  m_password.GetWindowText(password);
  if (user.IsEmpty()) {
    TranslatedMessageBox(this, "Please input user name!", "PROMPT", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (password.IsEmpty()) {
    TranslatedMessageBox(this, "Please input password!", "PROMPT", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  // Change of user checks against the users of the running system.
  const shell::SystemConfigImage& users = IsCheckOnly() ? *m_checkUsers : *m_image;
  int slot = shell::FindUser(users, user);
  if (slot < 0) {
    TranslatedMessageBox(this, "Invalid user name!", "ERROR", MB_OK | MB_ICONSTOP);
    return;
  }
  const shell::LocalUserRecord& u = users.users[slot];
  if (strncmp(u.password, password, sizeof u.password) != 0 || password.GetLength() >= int(sizeof u.password)) {
    TranslatedMessageBox(this, "Password is not correct!", "ERROR", MB_OK | MB_ICONSTOP);
    return;
  }
  if (IsCheckOnly()) {
    m_userIndex = slot;
    EndDialog(IDOK);
    return;
  }
  shell::SystemConfigImage& img = *m_image;
  bool save = m_savePassword.GetCheck() == BST_CHECKED;
  img.savePassword = save ? 1 : 0;
  img.autoLogin = m_autoLogin.GetCheck() == BST_CHECKED ? 1 : 0;
  CopyText(img.savedUser, user);
  // The password is kept only when the operator asked for it.
  CopyText(img.savedPassword, save ? password.GetString() : "");
  SaveConfig();
  m_userIndex = slot;
  EndDialog(IDOK);
}

BOOL CLoginDlg::OnEraseBkgnd(CDC* dc) {
  CRect r;
  GetClientRect(&r);
  dc->FillSolidRect(&r, m_backColor);
  return TRUE;
}

void CLoginDlg::OnPaint() {
  CPaintDC dc(this);
  CRect r;
  GetClientRect(&r);
  dc.FillSolidRect(&r, m_backColor);
  DrawBitmap(dc, m_picture, 0, 0);
}

HBRUSH CLoginDlg::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
  HBRUSH brush = CDialog::OnCtlColor(dc, wnd, ctlColor);
  int id = wnd ? ::GetDlgCtrlID(wnd->m_hWnd) : 0;
  if (id == IDC_LOGIN_COUNTDOWN) {
    dc->SetTextColor(RGB(255, 0, 0));
    dc->SetBkMode(TRANSPARENT);
    return m_backBrush;
  }
  if (ctlColor == CTLCOLOR_STATIC || ctlColor == CTLCOLOR_DLG || id == IDC_LOGIN_SAVE_PASSWORD ||
      id == IDC_LOGIN_AUTO_LOGIN) {
    dc->SetBkMode(TRANSPARENT);
    // Labels stay readable on dark and light skins alike.
    dc->SetTextColor(ContrastingText(m_backColor));
    if (m_backBrush.m_hObject) return m_backBrush;
  }
  return brush;
}

void CLoginDlg::OnDestroy() {
  KillTimer(kAutoLoginTimer);
  KillTimer(kCountdownTimer);
  CDialog::OnDestroy();
}
