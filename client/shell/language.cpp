#include "language.h"
#include "helpers.h"

#include <vector>

namespace {
volatile LONG g_current = 0;
}

const SolutionEntry* GetCurrentSolution() {
  return reinterpret_cast<const SolutionEntry*>(LONG_PTR(g_current));
}

void SetCurrentSolution(const SolutionEntry* s) {
  ::InterlockedExchange(&g_current, LONG(reinterpret_cast<LONG_PTR>(s)));
}

CString ReadIniString(const char* section, const char* key, const char* def, const char* ini, int size) {
  std::vector<char> buf(size_t(size > 1 ? size : 2));
  ::GetPrivateProfileStringA(section, key, def, buf.data(), DWORD(buf.size()), ini);
  return CString(buf.data());
}

CString& TranslateString(CString& out, const char* english) {
  const SolutionEntry* s = GetCurrentSolution();
  if (!s || !s->language || !english) {
    out = english;
    return out;
  }
  char buf[256] = {};
  DWORD n = ::GetPrivateProfileStringA("String", english, "", buf, sizeof buf, s->language->path);
  if (n == 0) out = english;
  else out = buf;
  return out;
}

CString TranslateString(const char* english) {
  CString s;
  TranslateString(s, english);
  return s;
}

void TranslateDialog(CWnd* dialog) {
  if (!dialog || !dialog->m_hWnd) return;
  CString text, translated;
  dialog->GetWindowText(text);
  if (!text.IsEmpty()) dialog->SetWindowText(TranslateString(translated, text));
  for (HWND child = ::GetWindow(dialog->m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    CWnd(child).GetWindowText(text);
    ::SetWindowTextA(child, TranslateString(translated, text));
  }
}

CInterfaceSolutions& CInterfaceSolutions::Instance() {
  static CInterfaceSolutions tables;
  return tables;
}

void CInterfaceSolutions::Build(const char* programDir) {
  SetCurrentSolution(nullptr);
  m_solutions.clear();
  m_languages.clear();
  CString dir = programDir;
  CString pattern;
  pattern.Format("%s%s\\*.ini", dir.GetString(), "Language");
  CFileFind ff;
  BOOL more = ff.FindFile(pattern);
  while (more) {
    more = ff.FindNextFile();
    if (ff.IsDirectory()) continue;
    LanguageEntry e;
    e.path = ff.GetFilePath();
    e.name = ReadIniString("Info", "Language", "", e.path, 64);
    if (e.name.IsEmpty()) continue;
    e.folder = ReadIniString("Info", "ImgDir", "", e.path, 64);
    e.author = ReadIniString("Info", "Author", "", e.path, 64);
    m_languages.push_back(e);
  }
  // Entries point into the language table: fill it completely first.
  for (const LanguageEntry& lang : m_languages) {
    SolutionEntry s;
    s.folderPath.Format("%sLanguage\\%s\\", dir.GetString(), lang.folder.GetString());
    s.configPath = s.folderPath + "Config.ini";
    s.name = lang.name;
    s.language = &lang;
    if (lang.folder.IsEmpty() || !FileExists(s.configPath)) continue;
    m_solutions.push_back(s);
  }
}

const SolutionEntry* CInterfaceSolutions::Find(const char* name) const {
  for (const SolutionEntry& s : m_solutions)
    if (s.name.CompareNoCase(name) == 0) return &s;
  return nullptr;
}

BOOL CInterfaceSolutions::Choose(const char* corvelIni, const std::function<void()>& runLanguageDialog) {
  static const char kReinstall[] = "Load default interface solution failed, your program is bad, please reinstall!";
  CString wanted = ReadIniString("General", "Language", "", corvelIni, 128);
  if (const SolutionEntry* s = Find(wanted)) {
    SetCurrentSolution(s);
    return TRUE;
  }
  if (m_languages.empty()) {
    AfxMessageBox(kReinstall);
    return FALSE;
  }
  if (runLanguageDialog) {
    runLanguageDialog();
    CString chosen = ReadIniString("General", "Language", "", corvelIni, 128);
    if (const SolutionEntry* s = Find(chosen)) {
      SetCurrentSolution(s);
      return TRUE;
    }
  }
  CString text;
  text.Format("Can not find interface config file: %s", wanted.GetString());
  AfxMessageBox(text);
  text.Format("Using default interface solution: %s", "English");
  AfxMessageBox(text);
  if (const SolutionEntry* s = Find("English")) {
    SetCurrentSolution(s);
    ::WritePrivateProfileStringA("General", "Language", "English", corvelIni);
    return TRUE;
  }
  AfxMessageBox(kReinstall);
  return FALSE;
}

MainSkin ReadMainSkin(const SolutionEntry& s) {
  MainSkin k;
  const char* ini = s.configPath;
  auto str = [&](const char* section, const char* key) { return ReadIniString(section, key, "", ini, 128); };
  auto num = [&](const char* section, const char* key, int def) {
    return int(::GetPrivateProfileIntA(section, key, def, ini));
  };
  auto pic = [&](const char* section, const char* key) {
    CString name = str(section, key);
    return name.IsEmpty() ? CString() : s.folderPath + name;
  };
  k.backColor = ParseColor(str("MainSettings", "BackColor"));
  const char* states[4] = {"BackImage_Up", "BackImage_Over", "BackImage_Down", "BackImage_Disable"};
  for (int i = 0; i < 4; ++i) k.toolBarImages[i] = pic("ToolBarSettings", states[i]);
  k.toolBarHeight = num("ToolBarSettings", "Height", 0);
  k.toolBarWidth = num("ToolBarSettings", "Width", 0);
  k.titleImage = pic("TopLogSettings", "Image");
  k.logoImage = pic("TopLogSettings", "Logo");
  k.marginTop = num("MarginSettings", "Top", 0);
  k.marginLeft = num("MarginSettings", "Left", 0);
  k.marginBottom = num("MarginSettings", "Bottom", 0);
  k.marginRight = num("MarginSettings", "Right", 0);
  k.monBackColor = ParseColor(str("MainSettings", "MonBackColor"));
  k.previewPosition = ParseRect(str("PreviewWndInfo", "Position"));
  k.previewBackColor = ParseColor(str("PreviewWndInfo", "BackColor"));
  k.overlayColor = ParseColor(str("PreviewWndInfo", "OverlayColor"));
  k.lineColor = ParseColor(str("PreviewWndInfo", "LineColor"));
  k.lineFocusColor = ParseColor(str("PreviewWndInfo", "LineFocusColor"));
  k.lineWidth = num("PreviewWndInfo", "LineWidth", 1);
  k.leftDlgHeight = num("LeftDlgs", "Height", 37);
  k.leftDlgWidth = num("LeftDlgs", "Width", 169);
  k.firstDlgHeight = num("LeftDlgs", "FirstDlgHeight", 50);
  k.deviceRegion = ParseRect(str("DeviceDlg", "InMainWnd_Region"));
  k.switchModeHeight = num("SwitchModeDlgSettings", "Height", 24);
  return k;
}
