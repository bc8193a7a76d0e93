// Windows, message maps, reflection, dialogs and threads of the platform
// library, driven by the GUI test kit under Wine's X display.
#include <afxwin.h>
#include <afxcmn.h>
#include <afxmt.h>
#include <gtest/gtest.h>

#include "gui_kit.h"
#include "resource.h"

#include <atomic>
#include <string>
#include <vector>

namespace {

const COLORREF kStaticColour = RGB(0, 128, 255);
const COLORREF kButtonColour = RGB(200, 30, 30);

class COwnerButton : public CButton {
public:
  std::atomic<int> draws{0};
  void DrawItem(LPDRAWITEMSTRUCT dis) override {
    ++draws;
    CDC* dc = CDC::FromHandle(dis->hDC);
    dc->FillSolidRect(&dis->rcItem, kButtonColour);
  }
};

class CColourStatic : public CStatic {
public:
  CColourStatic() : m_brush(kStaticColour) {}
  std::atomic<int> colours{0};
  HBRUSH CtlColor(CDC* dc, UINT ctlColor) {
    ++colours;
    m_lastCtlColor = ctlColor;
    dc->SetBkColor(kStaticColour);
    return m_brush;
  }
  UINT m_lastCtlColor = 99;
private:
  CBrush m_brush;
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CColourStatic, CStatic)
  ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

class CNestedDlg : public CDialog {
public:
  explicit CNestedDlg(CWnd* parent = nullptr) : CDialog(IDD_NESTED, parent) {}
};

class CTestDlg : public CDialog {
public:
  explicit CTestDlg(CWnd* parent = nullptr) : CDialog(IDD_TEST, parent) {}

  int m_number = 5;
  CString m_name = "cam";
  int m_check = 1;
  int m_radio = 1;
  int m_combo = 2;
  CCheckListBox m_checkList;
  COwnerButton m_owner;
  CColourStatic m_static;
  CListCtrl m_list;
  CTreeCtrl m_tree;
  CTabCtrl m_tab;
  CSliderCtrl m_slider;
  CProgressCtrl m_progress;
  CIPAddressCtrl m_ip;
  CDateTimeCtrl m_date;
  HTREEITEM m_treeItems[2] = {};

  std::vector<std::string> log;
  UINT lastRangeId = 0;
  INT_PTR nestedResult = -5;
  int askYes = 0, askNo = 0;
  std::atomic<DWORD> workerSender{0};
  DWORD workerHandledOn = 0;
  int okCalls = 0, cancelCalls = 0;
  int copyDataBytes = -1;
  int lvChanges = 0, tvChanges = 0, tabChanges = 0, sliderReleases = 0, checkListChanges = 0;

  void DoDataExchange(CDataExchange* dx) override {
    DDX_Text(dx, IDC_NUMBER, m_number);
    DDV_MinMaxInt(dx, m_number, 1, 100);
    DDX_Text(dx, IDC_NAME, m_name);
    DDV_MaxChars(dx, m_name, 16);
    DDX_Check(dx, IDC_CHECK, m_check);
    DDX_Radio(dx, IDC_RADIO1, m_radio);
    DDX_CBIndex(dx, IDC_COMBO, m_combo);
    DDX_Control(dx, IDC_CHECKLIST, m_checkList);
    DDX_Control(dx, IDC_OWNERBTN, m_owner);
    DDX_Control(dx, IDC_COLORSTATIC, m_static);
    DDX_Control(dx, IDC_LIST, m_list);
    DDX_Control(dx, IDC_TREE, m_tree);
    DDX_Control(dx, IDC_TAB, m_tab);
    DDX_Control(dx, IDC_SLIDER, m_slider);
    DDX_Control(dx, IDC_PROGRESS, m_progress);
    DDX_Control(dx, IDC_IP, m_ip);
    DDX_Control(dx, IDC_DATE, m_date);
  }

  BOOL OnInitDialog() override {
    for (const char* s : {"TCP", "UDP", "Multicast"}) SendDlgItemMessage(IDC_COMBO, CB_ADDSTRING, 0, LPARAM(s));
    CDialog::OnInitDialog();
    for (const char* s : {"Camera 1", "Camera 2", "Camera 3"}) m_checkList.AddString(s);
    m_checkList.SetCheck(0, 1);
    m_checkList.Enable(2, FALSE);
    m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES);
    m_list.InsertColumn(0, "Device", LVCFMT_LEFT, 120);
    m_list.InsertColumn(1, "Address", LVCFMT_LEFT, 120);
    for (int i = 0; i < 3; ++i) {
      CString s;
      s.Format("DVR %d", i + 1);
      m_list.InsertItem(i, s);
      s.Format("127.0.0.%d", i + 1);
      m_list.SetItemText(i, 1, s);
      m_list.SetItemData(i, DWORD_PTR(100 + i));
    }
    HTREEITEM root = m_tree.InsertItem("Devices");
    m_treeItems[0] = m_tree.InsertItem("DVR 1", root);
    m_treeItems[1] = m_tree.InsertItem("DVR 2", root);
    m_tree.SetItemData(m_treeItems[1], 0x0102);
    m_tree.Expand(root, TVE_EXPAND);
    m_tab.InsertItem(0, "Video");
    m_tab.InsertItem(1, "Audio");
    m_slider.SetRange(0, 100, TRUE);
    m_slider.SetPos(30);
    m_progress.SetRange(0, 100);
    m_progress.SetPos(60);
    m_ip.SetAddress(127, 0, 0, 1);
    log.push_back("init");
    return TRUE;
  }

  void OnOK() override {
    ++okCalls;
    CDialog::OnOK();
  }
  void OnCancel() override {
    ++cancelCalls;
    CDialog::OnCancel();
  }

protected:
  afx_msg void OnCheckClicked() { log.push_back("check"); }
  afx_msg void OnComboChange() { log.push_back("combo"); }
  afx_msg void OnNameChange() { log.push_back("name-change"); }
  afx_msg void OnNameKillFocus() { log.push_back("name-killfocus"); }
  afx_msg void OnCmdRange(UINT id) { lastRangeId = id; log.push_back("range"); }
  afx_msg void OnNested() {
    CNestedDlg dlg(this);
    nestedResult = dlg.DoModal();
  }
  afx_msg void OnAsk() {
    if (AfxMessageBox("Delete the device?", MB_YESNO | MB_ICONQUESTION) == IDYES) ++askYes;
    else ++askNo;
  }
  afx_msg void OnListChanged(NMHDR* nm, LRESULT* result) {
    auto* lv = reinterpret_cast<NMLISTVIEW*>(nm);
    if ((lv->uNewState & LVIS_SELECTED) && !(lv->uOldState & LVIS_SELECTED)) ++lvChanges;
    *result = 0;
  }
  afx_msg void OnTreeSelChanged(NMHDR*, LRESULT* result) { ++tvChanges; *result = 0; }
  afx_msg void OnTabChange(NMHDR*, LRESULT* result) { ++tabChanges; *result = 0; }
  afx_msg void OnSliderRelease(NMHDR*, LRESULT* result) { ++sliderReleases; *result = 0; }
  afx_msg void OnCheckListChange() { ++checkListChanges; }
  afx_msg LRESULT OnWorkerMessage(WPARAM w, LPARAM) {
    workerHandledOn = ::GetCurrentThreadId();
    workerSender = DWORD(w);
    return 0x1234;
  }
  afx_msg BOOL OnCopyData(CWnd*, COPYDATASTRUCT* cds) {
    copyDataBytes = int(cds->cbData);
    return TRUE;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestDlg, CDialog)
  ON_BN_CLICKED(IDC_CHECK, OnCheckClicked)
  ON_CBN_SELCHANGE(IDC_COMBO, OnComboChange)
  ON_EN_CHANGE(IDC_NAME, OnNameChange)
  ON_EN_KILLFOCUS(IDC_NAME, OnNameKillFocus)
  ON_COMMAND_RANGE(IDC_CMD_FIRST, IDC_CMD_LAST, OnCmdRange)
  ON_BN_CLICKED(IDC_NESTED, OnNested)
  ON_BN_CLICKED(IDC_ASK, OnAsk)
  ON_NOTIFY(LVN_ITEMCHANGED, IDC_LIST, OnListChanged)
  ON_NOTIFY(TVN_SELCHANGED, IDC_TREE, OnTreeSelChanged)
  ON_NOTIFY(TCN_SELCHANGE, IDC_TAB, OnTabChange)
  ON_NOTIFY(NM_RELEASEDCAPTURE, IDC_SLIDER, OnSliderRelease)
  ON_CONTROL(CCheckListBox::CLBN_CHKCHANGE, IDC_CHECKLIST, OnCheckListChange)
  ON_MESSAGE(WM_APP + 5, OnWorkerMessage)
  ON_WM_COPYDATA()
END_MESSAGE_MAP()

bool Has(const std::vector<std::string>& log, const char* what) {
  for (const auto& s : log)
    if (s == what) return true;
  return false;
}

class GuiTest : public ::testing::Test {
protected:
  void SetUp() override { gui::InitControls(); }
  void TearDown() override { AfxDeleteTempMaps(); }
};

// A modeless test dialog on the test thread, shown.
class ModelessDialogTest : public GuiTest {
protected:
  void SetUp() override {
    GuiTest::SetUp();
    ASSERT_TRUE(dlg.Create(IDD_TEST));
    dlg.ShowWindow(SW_SHOW);
    dlg.UpdateWindow();
    h = dlg.m_hWnd;
    gui::PumpFor(50);
  }
  void TearDown() override {
    dlg.DestroyWindow();
    GuiTest::TearDown();
  }
  CTestDlg dlg;
  HWND h = nullptr;
};

TEST_F(ModelessDialogTest, CommandAndControlNotificationsReachTheirHandlers) {
  EXPECT_TRUE(Has(dlg.log, "init"));
  gui::Click(h, IDC_CHECK);
  EXPECT_TRUE(Has(dlg.log, "check"));
  gui::SelectCombo(h, IDC_COMBO, 1);
  EXPECT_TRUE(Has(dlg.log, "combo"));
  gui::SetText(h, IDC_NAME, "changed");
  EXPECT_TRUE(Has(dlg.log, "name-change"));
  gui::Command(h, IDC_NAME, EN_KILLFOCUS);
  EXPECT_TRUE(Has(dlg.log, "name-killfocus"));
  // Range: every id of the range, none outside.
  for (int id : {IDC_CMD_FIRST, 1021, IDC_CMD_LAST}) {
    gui::Click(h, id);
    EXPECT_EQ(UINT(id), dlg.lastRangeId);
  }
  dlg.lastRangeId = 0;
  gui::Click(h, IDC_ASK + 100);   // no such control: nothing
  EXPECT_EQ(0u, dlg.lastRangeId);
}

TEST_F(ModelessDialogTest, NotificationsOfListTreeTabAndSlider) {
  gui::SelectListItem(h, IDC_LIST, 1);
  EXPECT_EQ(1, dlg.lvChanges);
  EXPECT_EQ(1, dlg.m_list.GetNextItem(-1, LVNI_SELECTED));
  EXPECT_EQ(DWORD_PTR(101), dlg.m_list.GetItemData(1));
  EXPECT_EQ("127.0.0.2", dlg.m_list.GetItemText(1, 1));
  POSITION pos = dlg.m_list.GetFirstSelectedItemPosition();
  EXPECT_EQ(1, dlg.m_list.GetNextSelectedItem(pos));
  EXPECT_EQ(nullptr, pos);
  dlg.m_list.SetCheck(2, TRUE);
  EXPECT_TRUE(dlg.m_list.GetCheck(2));
  EXPECT_FALSE(dlg.m_list.GetCheck(0));

  gui::SelectTreeItem(h, IDC_TREE, dlg.m_treeItems[1]);
  EXPECT_EQ(1, dlg.tvChanges);
  EXPECT_EQ(dlg.m_treeItems[1], dlg.m_tree.GetSelectedItem());
  EXPECT_EQ(DWORD_PTR(0x0102), dlg.m_tree.GetItemData(dlg.m_tree.GetSelectedItem()));
  EXPECT_EQ("DVR 2", dlg.m_tree.GetItemText(dlg.m_treeItems[1]));

  gui::SelectTab(h, IDC_TAB, 1);
  EXPECT_EQ(1, dlg.tabChanges);
  EXPECT_EQ(1, dlg.m_tab.GetCurSel());

  gui::Notify(h, IDC_SLIDER, NM_RELEASEDCAPTURE);
  EXPECT_EQ(1, dlg.sliderReleases);
  EXPECT_EQ(30, dlg.m_slider.GetPos());
  EXPECT_EQ(60, dlg.m_progress.GetPos());
  BYTE a, b, c, d;
  dlg.m_ip.GetAddress(a, b, c, d);
  EXPECT_EQ(127, a);
  EXPECT_EQ(1, d);
}

TEST_F(ModelessDialogTest, CheckListBoxTogglesOnlyEnabledRows) {
  ASSERT_EQ(3, dlg.m_checkList.GetCount());
  EXPECT_EQ(1, dlg.m_checkList.GetCheck(0));
  EXPECT_EQ(0, dlg.m_checkList.GetCheck(1));
  CRect r;
  dlg.m_checkList.GetItemRect(1, &r);
  LPARAM at = MAKELPARAM(r.left + 3, r.top + 3);
  dlg.m_checkList.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
  dlg.m_checkList.SendMessage(WM_LBUTTONUP, 0, at);
  EXPECT_EQ(1, dlg.m_checkList.GetCheck(1));
  EXPECT_EQ(1, dlg.checkListChanges);
  dlg.m_checkList.GetItemRect(2, &r);
  at = MAKELPARAM(r.left + 3, r.top + 3);
  dlg.m_checkList.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
  dlg.m_checkList.SendMessage(WM_LBUTTONUP, 0, at);
  EXPECT_EQ(0, dlg.m_checkList.GetCheck(2));   // disabled row
  EXPECT_FALSE(dlg.m_checkList.IsEnabled(2));
  EXPECT_EQ(1, dlg.checkListChanges);
  dlg.m_checkList.DeleteString(0);
  EXPECT_EQ(1, dlg.m_checkList.GetCheck(0));   // row states move with their rows
  EXPECT_FALSE(dlg.m_checkList.IsEnabled(1));
}

TEST_F(ModelessDialogTest, OwnerDrawAndColourReflectToTheControlsOwnClasses) {
  dlg.m_owner.draws = 0;
  dlg.m_static.colours = 0;
  dlg.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  gui::PumpFor(50);
  EXPECT_GT(dlg.m_owner.draws.load(), 0);
  EXPECT_GT(dlg.m_static.colours.load(), 0);
  EXPECT_EQ(UINT(CTLCOLOR_STATIC), dlg.m_static.m_lastCtlColor);
  // What the two controls drew is what their classes chose.
  CClientDC sdc(&dlg.m_static);
  EXPECT_EQ(kStaticColour, sdc.GetPixel(1, 1));
  CClientDC bdc(&dlg.m_owner);
  EXPECT_EQ(kButtonColour, bdc.GetPixel(2, 2));
}

TEST_F(ModelessDialogTest, DataExchangeRoundTripAndValidation) {
  EXPECT_EQ("5", gui::Text(h, IDC_NUMBER));
  EXPECT_EQ("cam", gui::Text(h, IDC_NAME));
  EXPECT_TRUE(gui::IsChecked(h, IDC_CHECK));
  EXPECT_FALSE(gui::IsChecked(h, IDC_RADIO1));
  EXPECT_TRUE(gui::IsChecked(h, IDC_RADIO2));
  EXPECT_EQ(2, int(::SendDlgItemMessageA(h, IDC_COMBO, CB_GETCURSEL, 0, 0)));
  EXPECT_EQ(16u, UINT(::SendDlgItemMessageA(h, IDC_NAME, EM_GETLIMITTEXT, 0, 0)));

  gui::SetText(h, IDC_NUMBER, "42");
  gui::SetText(h, IDC_NAME, "front door");
  gui::Click(h, IDC_CHECK);
  gui::Click(h, IDC_RADIO1);
  gui::SelectCombo(h, IDC_COMBO, 0);
  gui::MessageBoxScript boxes;
  ASSERT_TRUE(dlg.UpdateData(TRUE));
  EXPECT_EQ(0u, boxes.Count());
  EXPECT_EQ(42, dlg.m_number);
  EXPECT_EQ("front door", dlg.m_name);
  EXPECT_EQ(0, dlg.m_check);
  EXPECT_EQ(0, dlg.m_radio);
  EXPECT_EQ(0, dlg.m_combo);

  struct Bad {
    int id;
    const char* text;
    const char* prompt;
  } bad[] = {
      {IDC_NUMBER, "500", "Please enter an integer between 1 and 100."},
      {IDC_NUMBER, "0", "Please enter an integer between 1 and 100."},
      {IDC_NUMBER, "12abc", "Please enter an integer."},
      {IDC_NUMBER, "", "Please enter an integer."},
  };
  for (const auto& b : bad) {
    gui::SetText(h, IDC_NUMBER, "42");
    gui::SetText(h, b.id, b.text);
    size_t before = boxes.Count();
    EXPECT_FALSE(dlg.UpdateData(TRUE)) << b.text;
    ASSERT_EQ(before + 1, boxes.Count());
    EXPECT_EQ(b.prompt, boxes.Boxes().back().text);
  }
  gui::SetText(h, IDC_NUMBER, "42");
  dlg.m_name = "unchanged";
  ::SendDlgItemMessageA(h, IDC_NAME, EM_LIMITTEXT, 100, 0);
  gui::SetText(h, IDC_NAME, "a name much longer than sixteen");
  EXPECT_FALSE(dlg.UpdateData(TRUE));
  EXPECT_EQ("Please enter no more than 16 characters.", boxes.Boxes().back().text);
  // The exchange stops at the first failure: later fields are not read.
  EXPECT_EQ(0, dlg.m_check);
}

TEST_F(ModelessDialogTest, EnterAndEscapeReachOkAndCancel) {
  HWND edit = gui::Control(h, IDC_NUMBER);
  ::SetFocus(edit);
  gui::PostKey(edit, VK_ESCAPE);
  EXPECT_TRUE(gui::PumpUntil([&] { return dlg.cancelCalls == 1; }, 3000));
  EXPECT_FALSE(::IsWindowVisible(h));
  dlg.ShowWindow(SW_SHOW);
  ::SetFocus(edit);
  gui::PostKey(edit, VK_RETURN);
  EXPECT_TRUE(gui::PumpUntil([&] { return dlg.okCalls == 1; }, 3000));
}

TEST_F(ModelessDialogTest, ScriptedMessageBoxAnswers) {
  gui::MessageBoxScript boxes({IDNO, IDYES});
  gui::Click(h, IDC_ASK);
  gui::Click(h, IDC_ASK);
  EXPECT_EQ(1, dlg.askNo);
  EXPECT_EQ(1, dlg.askYes);
  auto seen = boxes.Boxes();
  ASSERT_EQ(2u, seen.size());
  EXPECT_EQ("Delete the device?", seen[0].text);
  EXPECT_EQ(UINT(MB_YESNO | MB_ICONQUESTION), seen[0].type);
}

TEST_F(ModelessDialogTest, WorkerThreadPostsAndCallsWindowMembers) {
  struct Ctx {
    CTestDlg* dlg;
    CEvent done{FALSE, TRUE};
    std::atomic<bool> foundPermanent{false};
  } ctx;
  ctx.dlg = &dlg;
  CWinThread* t = AfxBeginThread([](LPVOID p) -> UINT {
    auto* c = static_cast<Ctx*>(p);
    c->foundPermanent = CWnd::FromHandlePermanent(c->dlg->m_hWnd) == c->dlg;
    c->dlg->SetDlgItemText(IDC_COUNT, "from worker");
    c->dlg->GetDlgItem(IDC_NAME)->SetWindowText("worker name");
    c->dlg->PostMessage(WM_APP + 5, ::GetCurrentThreadId(), 0);
    c->done.SetEvent();
    return 0;
  }, &ctx, THREAD_PRIORITY_ABOVE_NORMAL);
  ASSERT_NE(nullptr, t);
  EXPECT_TRUE(gui::PumpUntil([&] { return dlg.workerSender != 0; }, 5000));
  EXPECT_TRUE(::WaitForSingleObject(ctx.done, 5000) == WAIT_OBJECT_0);
  EXPECT_TRUE(ctx.foundPermanent);
  EXPECT_NE(DWORD(0), dlg.workerSender.load());
  EXPECT_NE(::GetCurrentThreadId(), dlg.workerSender.load());
  EXPECT_EQ(::GetCurrentThreadId(), dlg.workerHandledOn);
  EXPECT_EQ("from worker", gui::Text(h, IDC_COUNT));
  EXPECT_EQ("worker name", gui::Text(h, IDC_NAME));
  // ON_MESSAGE's result goes back to the sender.
  EXPECT_EQ(0x1234, dlg.SendMessage(WM_APP + 5, 1, 0));
  COPYDATASTRUCT cds{1, 7, const_cast<char*>("payload")};
  EXPECT_TRUE(dlg.SendMessage(WM_COPYDATA, 0, LPARAM(&cds)));
  EXPECT_EQ(7, dlg.copyDataBytes);
}

TEST_F(ModelessDialogTest, PictureOfTheDialogIsSaved) {
  gui::PumpFor(100);
  std::string path = gui::OutputPath("platform_test_dialog.bmp");
  ASSERT_TRUE(gui::SaveWindowBitmap(h, path));
  CFileStatus st;
  ASSERT_TRUE(CFile::GetStatus(path.c_str(), st));
  EXPECT_GT(st.m_size, 10000u);
}

TEST_F(GuiTest, ModalDialogEndedByAPostedCommand) {
  int number = 0;
  gui::ModalRunner<CTestDlg> run([](CTestDlg& d) { d.m_number = 77; },
                                 [&](CTestDlg& d) { number = d.m_number; });
  HWND h = run.WaitForWindow(5000);
  ASSERT_NE(nullptr, h);
  EXPECT_EQ("77", gui::Text(h, IDC_NUMBER));
  gui::SetText(h, IDC_NUMBER, "88");
  ::PostMessageA(h, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(run.Wait(5000));
  EXPECT_EQ(IDOK, run.Result());
  EXPECT_EQ(88, number);
  EXPECT_FALSE(::IsWindow(h));
}

TEST_F(GuiTest, NestedModalDialogs) {
  INT_PTR nested = -9;
  gui::ModalRunner<CTestDlg> run(nullptr, [&](CTestDlg& d) { nested = d.nestedResult; });
  HWND outer = run.WaitForWindow(5000);
  ASSERT_NE(nullptr, outer);
  DWORD thread = ::GetWindowThreadProcessId(outer, nullptr);
  ::PostMessageA(outer, WM_COMMAND, MAKEWPARAM(IDC_NESTED, BN_CLICKED), 0);
  HWND inner = gui::FindThreadWindow(thread, "Nested", 5000);
  ASSERT_NE(nullptr, inner);
  EXPECT_FALSE(::IsWindowEnabled(outer));   // the owner is disabled while the inner one runs
  ::PostMessageA(inner, WM_COMMAND, IDCANCEL, 0);
  DWORD start = ::GetTickCount();
  while (::IsWindow(inner) && ::GetTickCount() - start < 5000) ::Sleep(10);
  EXPECT_FALSE(::IsWindow(inner));
  EXPECT_TRUE(::IsWindowEnabled(outer));
  ::PostMessageA(outer, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(run.Wait(5000));
  EXPECT_EQ(IDCANCEL, run.Result());
  EXPECT_EQ(IDCANCEL, nested);
}

// A UI thread of its own with a modeless dialog, ended by WM_QUIT.
class CDialogThread : public CWinThread {
  DECLARE_DYNCREATE(CDialogThread)
public:
  BOOL InitInstance() override {
    if (!m_dlg.Create(IDD_NESTED)) return FALSE;
    m_dlg.ShowWindow(SW_SHOW);
    m_pMainWnd = &m_dlg;
    return TRUE;
  }
  int ExitInstance() override {
    m_dlg.DestroyWindow();
    return CWinThread::ExitInstance();
  }
  CNestedDlg m_dlg;
};
IMPLEMENT_DYNCREATE(CDialogThread, CWinThread)

TEST_F(GuiTest, UserInterfaceThreadRunsItsOwnLoop) {
  CWinThread* t = AfxBeginThread(RUNTIME_CLASS(CDialogThread), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
  ASSERT_NE(nullptr, t);
  t->m_bAutoDelete = FALSE;
  t->ResumeThread();
  HWND h = gui::FindThreadWindow(t->m_nThreadID, "Nested", 5000);
  ASSERT_NE(nullptr, h);
  CWnd* wnd = CWnd::FromHandlePermanent(h);
  EXPECT_EQ(&static_cast<CDialogThread*>(t)->m_dlg, wnd);
  t->PostThreadMessage(WM_QUIT, 3, 0);
  ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(t->m_hThread, 5000));
  DWORD code = 0;
  ::GetExitCodeThread(t->m_hThread, &code);
  EXPECT_EQ(3u, code);
  EXPECT_FALSE(::IsWindow(h));
  delete t;
}

// ---------------------------------------------- plain windows, templates
class CProbeWnd : public CWnd {
public:
  std::vector<std::string> log;
  CPoint lastClick;
  bool* deleted = nullptr;
protected:
  afx_msg int OnCreate(LPCREATESTRUCT cs) {
    log.push_back("create");
    return CWnd::OnCreate(cs);
  }
  afx_msg void OnSize(UINT, int cx, int cy) {
    log.push_back("size " + std::to_string(cx) + "x" + std::to_string(cy));
  }
  afx_msg void OnLButtonDown(UINT, CPoint p) { lastClick = p; }
  afx_msg void OnTimer(UINT_PTR id) {
    log.push_back("timer " + std::to_string(id));
    KillTimer(id);
  }
  afx_msg void OnDestroy() {
    log.push_back("destroy");
    CWnd::OnDestroy();
  }
  void PostNcDestroy() override {
    if (deleted) *deleted = true;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbeWnd, CWnd)
  ON_WM_CREATE()
  ON_WM_SIZE()
  ON_WM_LBUTTONDOWN()
  ON_WM_TIMER()
  ON_WM_DESTROY()
END_MESSAGE_MAP()

template <class T>
class CTemplateWnd : public CProbeWnd {
public:
  T value{};
protected:
  afx_msg LRESULT OnSetValue(WPARAM w, LPARAM) {
    value = T(w);
    return 1;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_TEMPLATE_MESSAGE_MAP(CTemplateWnd, T, CProbeWnd)
  ON_MESSAGE(WM_APP + 1, OnSetValue)
END_MESSAGE_MAP()

TEST_F(GuiTest, PlainWindowMessageMapAndDestruction) {
  bool ncDestroyed = false;
  CTemplateWnd<int> w;
  w.deleted = &ncDestroyed;
  LPCSTR cls = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorA(nullptr, IDC_ARROW));
  ASSERT_NE(nullptr, cls);
  EXPECT_EQ(cls, AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorA(nullptr, IDC_ARROW)));
  ASSERT_TRUE(w.CreateEx(0, cls, "probe", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr, nullptr));
  ASSERT_FALSE(w.log.empty());
  EXPECT_EQ("create", w.log.front());
  w.MoveWindow(0, 0, 300, 200);
  CRect r;
  w.GetClientRect(&r);
  EXPECT_TRUE(Has(w.log, ("size " + std::to_string(r.Width()) + "x" + std::to_string(r.Height())).c_str()));
  w.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 34));
  EXPECT_EQ(CPoint(12, 34), w.lastClick);
  EXPECT_EQ(1, w.SendMessage(WM_APP + 1, 42));   // template class's own entry
  EXPECT_EQ(42, w.value);
  w.SetTimer(7, 10);
  EXPECT_TRUE(gui::PumpUntil([&] { return Has(w.log, "timer 7"); }, 3000));
  // FromHandle: the permanent object, or one temporary wrapper per handle.
  EXPECT_EQ(&w, CWnd::FromHandle(w.m_hWnd));
  HWND desktop = ::GetDesktopWindow();
  EXPECT_EQ(CWnd::FromHandle(desktop), CWnd::FromHandle(desktop));
  EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(desktop));
  HWND h = w.m_hWnd;
  EXPECT_TRUE(w.DestroyWindow());
  EXPECT_TRUE(Has(w.log, "destroy"));
  EXPECT_TRUE(ncDestroyed);
  EXPECT_EQ(nullptr, w.m_hWnd);
  EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(h));
}

TEST_F(GuiTest, SubclassAndDetachAnExistingWindow) {
  HWND h = ::CreateWindowExA(0, "STATIC", "plain", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, h);
  WNDPROC original = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(h, GWLP_WNDPROC));
  {
    CProbeWnd w;
    ASSERT_TRUE(w.SubclassWindow(h));
    w.SendMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(3, 4));
    EXPECT_EQ(CPoint(3, 4), w.lastClick);
    CString text;
    w.GetWindowText(text);
    EXPECT_EQ("plain", text);   // unhandled messages reach the original procedure
    EXPECT_EQ(h, w.UnsubclassWindow());
  }
  EXPECT_TRUE(::IsWindow(h));
  EXPECT_EQ(original, reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(h, GWLP_WNDPROC)));
  ::DestroyWindow(h);
}

// Owner-drawn menu items reach the CMenu wrapper through the menu map.
class COwnerMenu : public CMenu {
public:
  int measured = 0;
  void MeasureItem(LPMEASUREITEMSTRUCT mis) override {
    ++measured;
    mis->itemWidth = 80;
    mis->itemHeight = 20;
  }
};

TEST_F(GuiTest, OwnerDrawnMenuItemsFindTheirWrapper) {
  CProbeWnd w;
  ASSERT_TRUE(w.CreateEx(0, nullptr, "menu", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr));
  COwnerMenu menu;
  ASSERT_TRUE(menu.CreatePopupMenu());
  menu.AppendMenu(MF_OWNERDRAW, 3001, reinterpret_cast<LPCSTR>(1));
  EXPECT_EQ(&menu, CMenu::FromHandlePermanent(menu.m_hMenu));
  MEASUREITEMSTRUCT mis{ODT_MENU, 0, 3001, 0, 0, 1};
  w.SendMessage(WM_MEASUREITEM, 0, LPARAM(&mis));
  EXPECT_EQ(1, menu.measured);
  EXPECT_EQ(80u, mis.itemWidth);
  HMENU hm = menu.m_hMenu;
  menu.DestroyMenu();
  EXPECT_EQ(nullptr, CMenu::FromHandlePermanent(hm));
  w.DestroyWindow();
}

}  // namespace
