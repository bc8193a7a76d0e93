// Interface solutions (language file + skin folder) and the language service.
#pragma once
#include <afxwin.h>

#include <functional>
#include <vector>

struct LanguageEntry {
  CString path;     // the language file
  CString name;     // [Info] Language
  CString folder;   // [Info] ImgDir
  CString author;   // [Info] Author
};

struct SolutionEntry {
  CString configPath;          // Config.ini of the solution folder
  CString name;                // the language name
  CString folderPath;          // solution folder, trailing backslash
  const LanguageEntry* language;
};

// The process-wide tables, built once at start-up.
class CInterfaceSolutions {
public:
  static CInterfaceSolutions& Instance();
  // Lists "<dir>Language\*.ini" and keeps the solutions whose folder has a
  // Config.ini. Replaces earlier tables (the current solution is cleared).
  void Build(const char* programDir);
  const std::vector<LanguageEntry>& Languages() const { return m_languages; }
  const std::vector<SolutionEntry>& Solutions() const { return m_solutions; }
  const SolutionEntry* Find(const char* languageName) const;   // case-insensitive
  // The start-up choice. runLanguageDialog, when given, lets the user pick
  // and writes [General] Language. FALSE when no solution could be chosen.
  BOOL Choose(const char* corvelIni, const std::function<void()>& runLanguageDialog = nullptr);
private:
  std::vector<LanguageEntry> m_languages;
  std::vector<SolutionEntry> m_solutions;
};

// The current solution; null means English without any file access.
const SolutionEntry* GetCurrentSolution();
void SetCurrentSolution(const SolutionEntry* solution);

CString& TranslateString(CString& out, const char* english);
CString TranslateString(const char* english);
void TranslateDialog(CWnd* dialog);

// Keys of the main window's skin, read from the current Config.ini.
struct MainSkin {
  COLORREF backColor = 0;
  CString toolBarImages[4];   // up, over, down, disable (full paths)
  int toolBarHeight = 0, toolBarWidth = 0;
  CString titleImage, logoImage;
  int marginTop = 0, marginLeft = 0, marginBottom = 0, marginRight = 0;
  COLORREF monBackColor = 0;
  CRect previewPosition;
  COLORREF previewBackColor = 0, overlayColor = 0, lineColor = 0, lineFocusColor = 0;
  int lineWidth = 1;
  int leftDlgHeight = 37, leftDlgWidth = 169, firstDlgHeight = 50;
  CRect deviceRegion;
  int switchModeHeight = 24;
};
MainSkin ReadMainSkin(const SolutionEntry& solution);

// A private-profile string with a buffer of `size` bytes.
CString ReadIniString(const char* section, const char* key, const char* def, const char* ini, int size = 10000);
