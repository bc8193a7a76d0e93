// The "Electronic Map" window under Xvfb: a saved map with its icons,
// picking, dropping cameras from the device list, double clicks, the tool
// bar's commands, alarms, and the map picture holder.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "emap_dlg.h"
#include "emap_ini.h"
#include "gui_kit.h"
#include "helpers.h"
#include "shell_fixture.h"
#include "map_dialogs.h"
#include "map_picture.h"

namespace {

std::string Folder() { return GetModuleDirectory().GetString(); }

void WriteBmp(const std::string& path, int w, int h, COLORREF colour) {
  ScratchDir::WriteSolidBmp(path.c_str(), w, h, colour);
}

std::string ReadIni(const std::string& ini, const char* section, const char* key) {
  CPrivateProfileMapIni file(ini);
  return file.Read(section, key, "?");
}

class TestMapDlg : public CEMapDlg {
public:
  CString m_nextPicture;
  int m_nextNumber = 0;
  using CEMapDlg::OnLButtonDown;

protected:
  BOOL ChoosePictureFile(CString& path) override {
    path = m_nextPicture;
    return !m_nextPicture.IsEmpty();
  }
  int ChooseNumber() override { return m_nextNumber; }
};

class EMapDlgTest : public ::testing::Test {
protected:
  void SetUp() override {
    gui::InitControls();
    folder = Folder();
    ini = folder + "emap_dlg_test.ini";
    floor = folder + "emap_test_floor.bmp";
    yard = folder + "emap_test_yard.bmp";
    ::DeleteFileA(ini.c_str());
    WriteBmp(floor, 160, 120, RGB(40, 160, 40));
    WriteBmp(yard, 64, 48, RGB(40, 40, 160));
    CPrivateProfileMapIni file(ini);
    file.Write("EMap0", "id", "0");
    file.Write("EMap0", "name", "Site");
    file.Write("EMap1", "id", "7");
    file.Write("EMap1", "name", "Floor");
    file.Write("EMap1", "picturename", "emap_test_floor.bmp");
    file.Write("EMap1", "camer", "10,20,3,5|120,80,1,5");
    file.Write("EMap1", "probe", "200,100,2");
    file.Write("EMap2", "id", "8");
    file.Write("EMap2", "name", "Yard");
    file.Write("EMap2", "pid", "7");
    file.Write("EMap2", "picturename", yard);  // a full path

    records.reset(new shell::DeviceRecord[36]());
    shell::DeviceRecord& d = records[2];
    d.inUse = 1;
    d.state = 3;
    d.loginId = 5;
    d.channelCount = 4;
    std::strcpy(d.serverName, "Gate");
  }
  void TearDown() override {
    if (dlg && dlg->GetSafeHwnd()) dlg->DestroyWindow();
    dlg.reset();
    boxes.reset();
    ::DeleteFileA(ini.c_str());
    ::DeleteFileA(floor.c_str());
    ::DeleteFileA(yard.c_str());
  }
  // Every box is answered (so none can block a test); a test sets answers.
  gui::MessageBoxScript& Boxes(std::vector<int> answers = {}) {
    boxes.reset();
    boxes = std::make_unique<gui::MessageBoxScript>(answers, IDOK);
    return *boxes;
  }
  HWND Open() {
    Boxes();
    dlg = std::make_unique<TestMapDlg>();
    dlg->m_iniPath = ini.c_str();
    dlg->m_records = records.get();
    dlg->m_openVideo = [this](int login, int channel) { opened.push_back({login, channel}); };
    EXPECT_TRUE(dlg->Create(CEMapDlg::IDD, nullptr));
    dlg->Open();
    gui::PumpFor(100);
    return dlg->GetSafeHwnd();
  }
  // A point of the canvas in the dialog's client coordinates.
  LPARAM At(int x, int y) {
    POINT p{x, y};
    ::MapWindowPoints(gui::Control(dlg->GetSafeHwnd(), IDC_MAP_CANVAS), dlg->GetSafeHwnd(), &p, 1);
    return MAKELPARAM(p.x, p.y);
  }
  void Click(int x, int y) {
    ::SendMessageA(dlg->GetSafeHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
    ::SendMessageA(dlg->GetSafeHwnd(), WM_LBUTTONUP, 0, At(x, y));
  }
  void Command(UINT id) { ::SendMessageA(dlg->GetSafeHwnd(), WM_COMMAND, id, 0); }
  int Live() {
    int n = 0;
    for (const emap::MapIconEntry& e : dlg->m_canvas.icons.work) n += e.Live();
    return n;
  }
  HTREEITEM DeviceChild(HTREEITEM parent, int index) {
    HTREEITEM h = dlg->m_deviceList.GetChildItem(parent);
    while (h && index-- > 0) h = dlg->m_deviceList.GetNextSiblingItem(h);
    return h;
  }
  // A drag of a device-list item ended over canvas point (x, y).
  void Drag(HTREEITEM item, int x, int y) {
    NMTREEVIEWA nm{};
    nm.hdr.hwndFrom = dlg->m_deviceList.GetSafeHwnd();
    nm.hdr.idFrom = IDC_MAP_DEVICE_LIST;
    nm.hdr.code = TVN_BEGINDRAGA;
    nm.itemNew.hItem = item;
    ::SendMessageA(dlg->GetSafeHwnd(), WM_NOTIFY, IDC_MAP_DEVICE_LIST, LPARAM(&nm));
    POINT p{x, y};
    ::MapWindowPoints(gui::Control(dlg->GetSafeHwnd(), IDC_MAP_CANVAS), dlg->m_deviceList.GetSafeHwnd(), &p, 1);
    ::SendMessageA(dlg->m_deviceList.GetSafeHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
  }
  COLORREF CanvasPixel(int x, int y) {
    CRect r;
    ::GetClientRect(gui::Control(dlg->GetSafeHwnd(), IDC_MAP_CANVAS), &r);
    CClientDC screen(nullptr);
    CDC dc;
    dc.CreateCompatibleDC(&screen);
    CBitmap bmp;
    bmp.CreateCompatibleBitmap(&screen, r.Width(), r.Height());
    CBitmap* old = dc.SelectObject(&bmp);
    dlg->DrawCanvas(dc, r);
    COLORREF c = ::GetPixel(dc, x, y);
    dc.SelectObject(old);
    return c;
  }

  std::string folder, ini, floor, yard;
  std::unique_ptr<shell::DeviceRecord[]> records;
  std::unique_ptr<gui::MessageBoxScript> boxes;
  std::unique_ptr<TestMapDlg> dlg;
  std::vector<std::pair<int, int>> opened;
};

}  // namespace

TEST_F(EMapDlgTest, SavedMapShowsItsIconsAndAClickPicksTheRightCamera) {
  HWND h = Open();
  ASSERT_TRUE(h);
  EXPECT_EQ("Electronic Map", gui::Text(h));
  ASSERT_TRUE(dlg->m_hasMap);
  EXPECT_EQ(7u, dlg->m_map.id);
  ASSERT_EQ(3, Live());
  // The canvas size was taken as the map's area: icons where they were saved.
  Click(125, 85);
  EXPECT_EQ(1, dlg->m_canvas.picked);
  EXPECT_EQ(1, dlg->m_canvas.icons.work[1].selected);
  EXPECT_EQ(0, dlg->m_canvas.icons.work[0].selected);
  Click(12, 22);
  EXPECT_EQ(0, dlg->m_canvas.picked);

  // The picture under the icons, the picked camera's bitmap, the device list.
  EXPECT_EQ(RGB(40, 160, 40), CanvasPixel(300, 250));
  EXPECT_NE(RGB(40, 160, 40), CanvasPixel(10 + 10, 20 + 15));
  EXPECT_EQ("Device List", std::string(dlg->m_deviceList.GetItemText(dlg->m_deviceList.GetRoot())));
  HTREEITEM gate = DeviceChild(dlg->m_deviceList.GetRoot(), 0);
  ASSERT_TRUE(gate);
  EXPECT_EQ("Gate", std::string(dlg->m_deviceList.GetItemText(gate)));
  EXPECT_EQ(5u, dlg->m_deviceList.GetItemData(gate));
  EXPECT_EQ(DWORD_PTR(2 << 16 | 3), dlg->m_deviceList.GetItemData(DeviceChild(gate, 3)));
  EXPECT_TRUE(gui::SaveWindowBitmap(h, gui::OutputPath("emap_dlg.bmp")));
}

TEST_F(EMapDlgTest, DroppingAChannelAddsOneCameraAndADeletedOneCanComeBack) {
  Open();
  HTREEITEM gate = DeviceChild(dlg->m_deviceList.GetRoot(), 0);
  HTREEITEM channel2 = DeviceChild(gate, 1);
  ASSERT_TRUE(channel2);
  Drag(channel2, 300, 200);
  ASSERT_EQ(4, Live());
  const emap::MapIconEntry& added = dlg->m_canvas.icons.work[3];
  EXPECT_EQ(2, added.channel);   // one-based, as the channel dialog shows it
  EXPECT_EQ(5, added.device);
  EXPECT_EQ(300, added.left);
  Drag(channel2, 100, 200);
  EXPECT_EQ(4, Live());

  {
    gui::MessageBoxScript& boxes = Boxes();
    Drag(gate, 100, 200);  // a device is not a camera
    ASSERT_EQ(1u, boxes.Count());
    EXPECT_EQ("Please choose the right camera or probe!", boxes.Boxes()[0].text);
  }
  EXPECT_EQ(4, Live());

  Click(305, 205);
  ::SendMessageA(dlg->GetSafeHwnd(), WM_COMMAND, ID_MAP_DELETE_CAMERA, 0);
  EXPECT_EQ(3, Live());
  Drag(channel2, 300, 200);
  EXPECT_EQ(4, Live());

  Command(ID_MAP_SAVE);
  EXPECT_EQ("10,20,3,5|120,80,1,5|300,200,2,5", ReadIni(ini, "EMap1", "camer"));
}

TEST_F(EMapDlgTest, DoubleClickOpensACamerasVideo) {
  Open();
  ::SendMessageA(dlg->GetSafeHwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, At(15, 25));
  ::SendMessageA(dlg->GetSafeHwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, At(205, 105));  // probe
  ::SendMessageA(dlg->GetSafeHwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, At(400, 300));  // nothing
  ASSERT_EQ(1u, opened.size());
  EXPECT_EQ(5, opened[0].first);
  EXPECT_EQ(2, opened[0].second);  // camera channel 3 is the device's channel 2
}

TEST_F(EMapDlgTest, CommandsRefuseWithoutAMapOrAPickedIcon) {
  ::DeleteFileA(floor.c_str());  // the start map cannot be shown
  Open();
  EXPECT_FALSE(dlg->m_hasMap);
  gui::MessageBoxScript& boxes = Boxes();
  Command(ID_MAP_ADD_CAMERA);
  Command(ID_MAP_CONFIG_CAMERA);
  Command(ID_MAP_DELETE_CAMERA);
  Command(ID_MAP_DELETE_MAP);
  ASSERT_EQ(4u, boxes.Count());
  const char kSelectMapNode[] =
      "\xc7\xeb\xcf\xc8\xd1\xa1\xd6\xd0\xd7\xf3\xb1\xdf\xb7\xc7\xb8\xf9\xbd\xda\xb5\xe3\xa3\xa1";
  EXPECT_EQ(kSelectMapNode, boxes.Boxes()[0].text);
  EXPECT_EQ(kSelectMapNode, boxes.Boxes()[1].text);
  EXPECT_EQ("Please choose the camera to be deleted!", boxes.Boxes()[2].text);
  EXPECT_EQ(0, Live());
}

TEST_F(EMapDlgTest, ConfigureAddAndAlarms) {
  Open();
  {
    gui::MessageBoxScript& boxes = Boxes();
    Command(ID_MAP_CONFIG_PROBE);
    ASSERT_EQ(1u, boxes.Count());
    EXPECT_EQ("\xc7\xeb\xd1\xa1\xd4\xf1\xd2\xaa\xc5\xe4\xd6\xc3\xb5\xc4\xcc\xbd\xcd\xb7\xa3\xa1", boxes.Boxes()[0].text);
  }
  Click(205, 105);
  dlg->m_nextNumber = 9;
  Command(ID_MAP_CONFIG_PROBE);
  EXPECT_EQ(9, dlg->m_canvas.icons.work[2].channel);
  Command(ID_MAP_ADD_PROBE);
  EXPECT_EQ(4, Live());

  // Alarms: channel index 0 is camera 1; 16 and above are ignored.
  ::SendMessageA(dlg->GetSafeHwnd(), CEMapDlg::WM_MAP_CHANNEL_ALARM, 0, 1);
  ::SendMessageA(dlg->GetSafeHwnd(), CEMapDlg::WM_MAP_CHANNEL_ALARM, 16, 1);
  EXPECT_EQ(emap::kStateCameraAlarm, dlg->m_canvas.StateOf(1));
  EXPECT_FALSE(dlg->m_canvas.alarm[15]);
  EXPECT_EQ(1, ::SendMessageA(dlg->GetSafeHwnd(), CEMapDlg::WM_MAP_QUERY, 0, 0));
  ::SendMessageA(dlg->GetSafeHwnd(), WM_CLOSE, 0, 0);  // clears the alarms, hides
  EXPECT_EQ(emap::kStateCamera, dlg->m_canvas.StateOf(1));
  EXPECT_FALSE(::IsWindowVisible(dlg->GetSafeHwnd()));
}

TEST_F(EMapDlgTest, CloseAsksToSave) {
  Open();
  Click(205, 105);
  Command(ID_MAP_DELETE_PROBE);
  ASSERT_EQ(2, Live());
  {
    gui::MessageBoxScript& boxes = Boxes({IDCANCEL});
    Command(ID_MAP_CLOSE);
    ASSERT_EQ(1u, boxes.Count());
    EXPECT_EQ("Close the Electronic Map and Save the configuration?", boxes.Boxes()[0].text);
    EXPECT_TRUE(::IsWindowVisible(dlg->GetSafeHwnd()));
    EXPECT_EQ("200,100,2", ReadIni(ini, "EMap1", "probe"));
  }
  EXPECT_EQ(2, Live());
  {
    Boxes({IDYES});
    Command(ID_MAP_CLOSE);
    EXPECT_FALSE(::IsWindowVisible(dlg->GetSafeHwnd()));
    EXPECT_EQ("", ReadIni(ini, "EMap1", "probe"));
  }
  dlg->Open();  // the same window with its icons
  EXPECT_TRUE(::IsWindowVisible(dlg->GetSafeHwnd()));
  EXPECT_EQ(2, Live());
}

TEST_F(EMapDlgTest, DeletingAMapKeepsAPictureGivenByItsFullPath) {
  Open();
  // Show the yard map (its picture is a full path) through the map tree.
  HTREEITEM root = dlg->m_mapTree.GetRootItem();
  HTREEITEM floorNode = dlg->m_mapTree.GetChildItem(root);
  HTREEITEM yardNode = dlg->m_mapTree.GetChildItem(floorNode);
  ASSERT_TRUE(yardNode);
  gui::SelectTreeItem(dlg->GetSafeHwnd(), IDC_MAP_TREE, yardNode);
  EXPECT_EQ(8u, dlg->m_map.id);
  {
    gui::MessageBoxScript& boxes = Boxes({IDYES, IDOK});
    Command(ID_MAP_DELETE_MAP);
    ASSERT_EQ(2u, boxes.Count());
  }
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(yard.c_str()));
  EXPECT_EQ("", ReadIni(ini, "EMap2", "picturename"));

  // The floor map's picture lies in the program folder: it goes with it.
  gui::SelectTreeItem(dlg->GetSafeHwnd(), IDC_MAP_TREE, floorNode);
  EXPECT_EQ(7u, dlg->m_map.id);
  {
    gui::MessageBoxScript& boxes = Boxes({IDYES, IDOK});
    Command(ID_MAP_DELETE_MAP);
    ASSERT_EQ(2u, boxes.Count());
    EXPECT_EQ("\xb5\xd8\xcd\xbc\xc9\xbe\xb3\xfd\xb3\xc9\xb9\xa6!", boxes.Boxes()[1].text);
  }
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(floor.c_str()));
  EXPECT_EQ("", ReadIni(ini, "EMap1", "camer"));
}

TEST_F(EMapDlgTest, SettingAPictureShowsIt) {
  Open();
  dlg->m_nextPicture = yard.c_str();
  Command(ID_MAP_SET_PICTURE);
  EXPECT_EQ("emap_test_yard.bmp", dlg->m_map.pictureName);
  EXPECT_EQ(RGB(40, 40, 160), CanvasPixel(300, 250));
  EXPECT_EQ(0, Live());  // no map has that picture name yet
  {
    gui::MessageBoxScript& boxes = Boxes();
    dlg->m_nextPicture = (folder + "no_such_picture.bmp").c_str();
    Command(ID_MAP_SET_PICTURE);
    ASSERT_EQ(1u, boxes.Count());
    EXPECT_EQ("Create Source File Fail!", boxes.Boxes()[0].text);
  }
}

TEST(MapPicture, BmpLoadsAndATextFileFails) {
  std::string dir = Folder();
  std::string bmp = dir + "map_picture_test.bmp", text = dir + "map_picture_test.txt";
  WriteBmp(bmp, 50, 30, RGB(200, 10, 10));
  ScratchDir::WriteText(text.c_str(), "not a picture\n");
  CMapPicture picture;
  ASSERT_TRUE(picture.Load(bmp.c_str()));
  EXPECT_TRUE(picture.GetBitmap() != nullptr);
  EXPECT_EQ(50, picture.GetSize().cx);
  EXPECT_EQ(30, picture.GetSize().cy);
  EXPECT_FALSE(picture.Load(text.c_str()));
  EXPECT_FALSE(picture.IsLoaded());
  EXPECT_TRUE(picture.GetBitmap() == nullptr);
  EXPECT_FALSE(picture.Load((dir + "missing.bmp").c_str()));
  ::DeleteFileA(bmp.c_str());
  ::DeleteFileA(text.c_str());
}

TEST(MapChannelDlg, OffersTheNumbersOneToSixteen) {
  gui::InitControls();
  std::atomic<int> chosen{-1};
  gui::ModalRunner<CMapChannelDlg> run(nullptr, [&](CMapChannelDlg& d) { chosen = d.m_chosen; });
  HWND h = run.WaitForWindow(5000);
  ASSERT_TRUE(h);
  HWND tree = gui::Control(h, IDC_MAP_CHANNEL_TREE);
  HTREEITEM root = TreeView_GetRoot(tree);
  int count = 0;
  HTREEITEM last = nullptr;
  for (HTREEITEM c = TreeView_GetChild(tree, root); c; c = TreeView_GetNextSibling(tree, c)) ++count, last = c;
  EXPECT_EQ(16, count);
  gui::SelectTreeItem(h, IDC_MAP_CHANNEL_TREE, last);
  EXPECT_TRUE(gui::SaveWindowBitmap(h, gui::OutputPath("map_channel_dlg.bmp")));
  gui::Click(h, IDOK);
  ASSERT_TRUE(run.Wait(5000));
  EXPECT_EQ(IDOK, run.Result());
  EXPECT_EQ(16, chosen.load());
}

TEST(MapIniFile, LongValuesAreReadWholeAndSurviveASave) {
  ScratchDir dir("emap_ini");
  const std::string path(dir / "EMAP.INI");
  CPrivateProfileMapIni ini(path);
  ini.Write("EMap0", "id", "0");
  ini.Write("EMap1", "id", "7");
  ini.Write("EMap1", "picturename", "floor.bmp");
  for (size_t length : {size_t(9999), size_t(10000), size_t(10001), size_t(30000)}) {
    std::string many;
    for (int i = 0; many.size() < length; ++i) many += (i ? "|" : "") + std::to_string(i % 1000) + ",20,3,5";
    many.resize(length);
    while (many.back() == '|' || many.back() == ',') many.pop_back();
    ini.Write("EMap1", "camer", many);
    EXPECT_EQ(many, ini.Read("EMap1", "camer", "")) << length;
    emap::MapIcons icons;
    emap::LoadMaps(ini, "floor.bmp", icons);
    emap::SaveMaps(ini, dir.Path().GetString(), emap::MapEntry{7, "floor.bmp", 0}, icons, nullptr);
    EXPECT_EQ(emap::FormatIconList(icons, emap::kIconCamera), ini.Read("EMap1", "camer", "")) << length;
    EXPECT_GT(icons.Size(), int(length / 12));
  }
  EXPECT_EQ("dflt", ini.Read("EMap9", "camer", "dflt"));
  // Too long for the platform's writer: the file keeps its value.
  const std::string before = ini.Read("EMap1", "camer", "");
  ini.Write("EMap1", "camer", std::string(CPrivateProfileMapIni::kMaxValue, '1'));
  EXPECT_EQ(before, ini.Read("EMap1", "camer", ""));
}

TEST_F(EMapDlgTest, DeleteKeyDeletesThePickedCamera) {
  Open();
  Click(125, 85);
  ASSERT_EQ(1, dlg->m_canvas.Picked(emap::kIconCamera));
  gui::PostKey(dlg->m_deviceList.GetSafeHwnd(), VK_DELETE);
  ASSERT_TRUE(gui::PumpUntil([&] { return Live() == 2; }, 3000));
  EXPECT_FALSE(dlg->m_canvas.icons.work[1].Live());
}
