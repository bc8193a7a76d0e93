// Common dialogs.
#pragma once
#include "afxwin.h"
#include <commdlg.h>

// File open/save dialog. Filters are written MFC-style:
// "Bitmap (*.bmp)|*.bmp|All files (*.*)|*.*||".
class CFileDialog : public CObject {
public:
  CFileDialog(BOOL openFileDialog, LPCSTR defExt = nullptr, LPCSTR fileName = nullptr,
              DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR filter = nullptr, CWnd* parent = nullptr);
  virtual INT_PTR DoModal();
  CString GetPathName() const { return m_szFileName; }
  CString GetFileName() const;
  CString GetFileExt() const;
  CString GetFileTitle() const;
  CString GetFolderPath() const;
  // The filter as the system wants it: NUL-separated, double-NUL ended.
  static std::string ConvertFilter(LPCSTR filter);
  OPENFILENAMEA m_ofn{};
  BOOL m_bOpenFileDialog;
private:
  std::string m_filter;
  CString m_defExt;
  char m_szFileName[MAX_PATH] = {};
  char m_szFileTitle[MAX_PATH] = {};
};
