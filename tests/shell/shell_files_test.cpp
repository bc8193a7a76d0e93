// Configuration images, Corvel.ini, interface solutions, the language
// service and the shared helpers.
#include <gtest/gtest.h>

#include "config_image.h"
#include "config_store.h"
#include "helpers.h"
#include "language.h"
#include "settings.h"
#include "shell_fixture.h"

#include "gui_kit.h"

#include <cstring>
#include <memory>

using namespace shell;

namespace {

uint32_t U32(const std::vector<unsigned char>& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

int CountKeptAside(const CString& path) {
  CFileFind ff;
  int n = 0;
  BOOL more = ff.FindFile(path + ".bad*");
  while (more) {
    more = ff.FindNextFile();
    ++n;
  }
  return n;
}

bool HiddenSystem(const char* path) {
  DWORD a = ::GetFileAttributesA(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_HIDDEN) && (a & FILE_ATTRIBUTE_SYSTEM);
}

// ------------------------------------------------------------ SysCfg.dat
TEST(SysConfigImage, DefaultsAndGoldenOffsets) {
  auto img = std::make_unique<SystemConfigImage>();
  ResetSysConfig(*img);
  img->users[1].inUse = 1;
  strcpy(img->users[1].name, "op");
  img->users[1].rightsMask = 0x0A0B0C0D;
  strcpy(img->devices[1].address, "127.0.0.2");
  img->devices[0].streamPort = 36688;
  img->devices[2].channelCount = 16;
  img->channels[2].channel = 7;
  img->windows[1].count = 3;
  img->windows[35].furtherState = 0x11223344;
  img->workPlan.entries[1][2][3].endMinute = 59;
  img->splitLayout = 4;
  const auto* b = reinterpret_cast<const unsigned char*>(img.get());
  std::vector<unsigned char> bytes(b, b + sizeof *img);
  EXPECT_EQ(0, memcmp(bytes.data(), "RIMC", 4));
  EXPECT_EQ(256u, U32(bytes, 4));
  EXPECT_EQ(4u, U32(bytes, 8));
  EXPECT_EQ(1, bytes[52]);
  EXPECT_STREQ("admin", reinterpret_cast<const char*>(&bytes[53]));
  EXPECT_STREQ("tulip", reinterpret_cast<const char*>(&bytes[70]));
  EXPECT_EQ(0xFFFFFFFFu, U32(bytes, 87));
  EXPECT_EQ(0xFFFFFFFFu, U32(bytes, 91));
  EXPECT_STREQ("op", reinterpret_cast<const char*>(&bytes[52 + 64 + 1]));
  EXPECT_EQ(0x0A0B0C0Du, U32(bytes, 52 + 64 + 39));
  EXPECT_EQ(59, bytes[2100 + ((1 * 7 + 2) * 4 + 3) * 8 + 4]);
  EXPECT_STREQ("127.0.0.2", reinterpret_cast<const char*>(&bytes[16436 + 673 + 4]));
  EXPECT_EQ(36688u, unsigned(bytes[16436 + 441] | bytes[16436 + 442] << 8));
  EXPECT_EQ(16, bytes[16436 + 2 * 673 + 231]);
  EXPECT_EQ(7u, U32(bytes, 40664 + 2 * 32 + 4));
  EXPECT_EQ(3u, U32(bytes, 42712 + 284 + 256));
  EXPECT_EQ(0x11223344u, U32(bytes, 52936 - 4));
}

TEST(SysConfigImage, CheckAndRepair) {
  auto img = std::make_unique<SystemConfigImage>();
  ResetSysConfig(*img);
  const auto* b = reinterpret_cast<const uint8_t*>(img.get());
  EXPECT_EQ(ImageCheck::Ok, CheckSysConfigBytes(b, sizeof *img));
  EXPECT_EQ(ImageCheck::WrongSize, CheckSysConfigBytes(b, sizeof *img - 1));
  img->magic[0] = 'X';
  EXPECT_EQ(ImageCheck::BadMagic, CheckSysConfigBytes(b, sizeof *img));
  ResetSysConfig(*img);
  EXPECT_EQ(0, RepairSysConfig(*img));

  memset(img->devices[3].address, 'A', sizeof img->devices[3].address);
  memset(img->users[4].name, 'B', sizeof img->users[4].name);
  memset(img->savedPassword, 'C', sizeof img->savedPassword);
  img->devices[5].state = 4;
  img->devices[5].loginId = 77;
  img->devices[5].channelBlocks = 0x12345678;
  img->devices[6].channelCount = 200;
  img->devices[7].linkType = 9;
  img->channels[1].deviceRef = 37;
  img->windows[2].count = 65;
  img->windows[3].count = 2;
  img->windows[3].slots[1] = 64;
  img->windows[3].position = 5;
  img->splitLayout = 10;
  EXPECT_EQ(10, RepairSysConfig(*img));
  EXPECT_EQ(63u, strlen(img->devices[3].address));
  EXPECT_EQ(16u, strlen(img->users[4].name));
  EXPECT_EQ(16u, strlen(img->savedPassword));
  EXPECT_EQ(0u, img->devices[5].state);
  EXPECT_EQ(0u, img->devices[5].loginId);
  EXPECT_EQ(0u, img->devices[5].channelBlocks);
  EXPECT_EQ(0, img->devices[6].channelCount);
  EXPECT_EQ(0u, img->devices[7].linkType);
  EXPECT_EQ(0u, img->channels[1].deviceRef);
  EXPECT_EQ(0u, img->windows[2].count);
  EXPECT_EQ(0u, img->windows[3].slots[1]);
  EXPECT_EQ(0u, img->windows[3].position);
  EXPECT_EQ(0u, img->splitLayout);
}

class SysConfigFile : public ::testing::Test {
protected:
  ScratchDir dir{"syscfg"};
  CString path = dir / "SysCfg.dat";
  std::unique_ptr<SystemConfigImage> img = std::make_unique<SystemConfigImage>();
  gui::MessageBoxScript boxes;
};

TEST_F(SysConfigFile, MissingFileIsCreatedWithTheDefaultAdmin) {
  memset(img.get(), 0x5A, sizeof *img);
  ASSERT_TRUE(LoadSysConfig(*img, dir.Path()));
  auto bytes = ScratchDir::Read(path);
  ASSERT_EQ(52936u, bytes.size());
  EXPECT_TRUE(HiddenSystem(path));
  auto def = std::make_unique<SystemConfigImage>();
  ResetSysConfig(*def);
  EXPECT_EQ(0, memcmp(bytes.data(), def.get(), sizeof *def));
  EXPECT_EQ(0, memcmp(img.get(), def.get(), sizeof *def));
  EXPECT_EQ(0u, boxes.Count());
}

TEST_F(SysConfigFile, RoundTripIsByteExactAndRunTimeFieldsAreCleared) {
  ResetSysConfig(*img);
  for (size_t i = 0; i < sizeof img->workPlan; ++i) reinterpret_cast<uint8_t*>(&img->workPlan)[i] = uint8_t(i * 7);
  strcpy(img->devices[0].address, "camera.local");
  img->devices[0].inUse = 1;
  img->devices[0].state = 4;
  img->devices[0].loginId = 9;
  img->windows[0].count = 64;
  for (uint32_t i = 0; i < 64; ++i) img->windows[0].slots[i] = i;
  ASSERT_TRUE(SaveSysConfig(*img, dir.Path()));
  auto saved = ScratchDir::Read(path);
  ASSERT_EQ(0, memcmp(saved.data(), img.get(), sizeof *img));   // written as it is
  auto back = std::make_unique<SystemConfigImage>();
  ASSERT_TRUE(LoadSysConfig(*back, dir.Path()));
  EXPECT_EQ(0u, back->devices[0].state);
  EXPECT_EQ(0u, back->devices[0].loginId);
  img->devices[0].state = 0;
  img->devices[0].loginId = 0;
  EXPECT_EQ(0, memcmp(back.get(), img.get(), sizeof *img));
  EXPECT_EQ(saved, ScratchDir::Read(path));   // loading does not rewrite
  EXPECT_EQ(0, CountKeptAside(path));
}

TEST_F(SysConfigFile, RefusedFilesAreKeptAsideNotLost) {
  struct Case {
    const char* what;
    size_t size;
    bool badMagic;
  } cases[] = {{"one byte short", 52935, false}, {"one byte long", 52937, false}, {"bad magic", 52936, true}};
  int kept = 0;
  for (const auto& c : cases) {
    std::vector<unsigned char> junk(c.size, 0x33);
    if (!c.badMagic) memcpy(junk.data(), "RIMC", 4);
    ScratchDir::Write(path, junk.data(), junk.size());
    ASSERT_TRUE(LoadSysConfig(*img, dir.Path())) << c.what;
    ++kept;
    EXPECT_EQ(kept, CountKeptAside(path)) << c.what;
    CString aside = kept == 1 ? path + ".bad" : path + ".bad" + IntToString(kept - 1);
    EXPECT_EQ(junk, ScratchDir::Read(aside)) << c.what;
    auto bytes = ScratchDir::Read(path);
    ASSERT_EQ(52936u, bytes.size()) << c.what;
    EXPECT_STREQ("admin", reinterpret_cast<const char*>(&bytes[53])) << c.what;
    EXPECT_TRUE(HiddenSystem(path)) << c.what;
  }
  EXPECT_EQ(0u, boxes.Count());
}

TEST_F(SysConfigFile, AFileThatCannotBeReadOrMovedIsLeftAlone) {
  ResetSysConfig(*img);
  strcpy(img->users[1].name, "keep me");
  ASSERT_TRUE(SaveSysConfig(*img, dir.Path()));
  auto before = ScratchDir::Read(path);
  HANDLE lock = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, lock);
  auto other = std::make_unique<SystemConfigImage>();
  EXPECT_FALSE(LoadSysConfig(*other, dir.Path()));
  ::CloseHandle(lock);
  EXPECT_EQ(before, ScratchDir::Read(path));
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("FATAL ERROR", boxes.Boxes()[0].caption);
  EXPECT_EQ(0u, boxes.Boxes()[0].text.find("Can not open config file: " + std::string(path.GetString()) + " ! Error Code = "));
  EXPECT_EQ(UINT(MB_ICONERROR), boxes.Boxes()[0].type & MB_ICONMASK);
}

TEST_F(SysConfigFile, AFailedSaveIsReportedAndKeepsTheOldFile) {
  ResetSysConfig(*img);
  ASSERT_TRUE(SaveSysConfig(*img, dir.Path()));
  auto before = ScratchDir::Read(path);
  // The temporary file cannot be made: a folder stands in its place.
  ASSERT_TRUE(::CreateDirectoryA(path + ".tmp", nullptr));
  strcpy(img->users[2].name, "new");
  EXPECT_FALSE(SaveSysConfig(*img, dir.Path()));
  EXPECT_EQ(1u, boxes.Count());
  EXPECT_EQ(before, ScratchDir::Read(path));
  ::RemoveDirectoryA(path + ".tmp");
  // A missing program folder: the same report, nothing half written.
  EXPECT_FALSE(SaveSysConfig(*img, dir / "no such folder\\"));
  EXPECT_EQ(2u, boxes.Count());
}

// ---------------------------------------------------------- LocalPlans.dat
class PlansFile : public ::testing::Test {
protected:
  ScratchDir dir{"plans"};
  CString path = dir / "LocalPlans.dat";
  std::unique_ptr<PlanImage> img = std::make_unique<PlanImage>();
  gui::MessageBoxScript boxes;
};

TEST_F(PlansFile, MissingFileIsCreatedZeroedAndRoundTrips) {
  memset(img.get(), 0, sizeof *img);
  ASSERT_TRUE(LoadLocalPlans(*img, dir.Path()));
  auto bytes = ScratchDir::Read(path);
  ASSERT_EQ(998460u, bytes.size());
  EXPECT_TRUE(HiddenSystem(path));
  for (unsigned char c : bytes) ASSERT_EQ(0, c);

  PlanSlot& last = img->slots[kLastPlayPlanSlot];
  last.used = 1;
  last.layoutKind = 3;
  strcpy(last.name, "Last Play Plan");
  strcpy(last.date, "2026-12-09");
  PlanChannel& ch = img->slots[0].windows[1].channels[2];
  ch.used = 1;
  ch.channel = 5;
  strcpy(ch.address, "10.0.0.9");
  ASSERT_TRUE(SaveLocalPlans(*img, dir.Path()));
  bytes = ScratchDir::Read(path);
  ASSERT_EQ(998460u, bytes.size());
  size_t slot19 = 19 * 49923;
  EXPECT_EQ(1, bytes[slot19]);
  EXPECT_EQ(3u, U32(bytes, slot19 + 1));
  EXPECT_STREQ("2026-12-09", reinterpret_cast<const char*>(&bytes[slot19 + 5]));
  EXPECT_STREQ("Last Play Plan", reinterpret_cast<const char*>(&bytes[slot19 + 34]));
  size_t chAt = 135 + 1383 + 3 + 2 * 69;
  EXPECT_EQ(1, bytes[chAt]);
  EXPECT_EQ(5u, U32(bytes, chAt + 1));
  EXPECT_STREQ("10.0.0.9", reinterpret_cast<const char*>(&bytes[chAt + 5]));
  auto back = std::make_unique<PlanImage>();
  memset(back.get(), 0, sizeof *back);
  ASSERT_TRUE(LoadLocalPlans(*back, dir.Path()));
  EXPECT_EQ(0, memcmp(back.get(), img.get(), sizeof *img));
}

TEST_F(PlansFile, WrongSizeIsKeptAsideAndReplacedByTheCurrentImage) {
  std::vector<unsigned char> junk(998461, 0x44);
  ScratchDir::Write(path, junk.data(), junk.size());
  memset(img.get(), 0, sizeof *img);
  ASSERT_TRUE(LoadLocalPlans(*img, dir.Path()));
  EXPECT_EQ(junk, ScratchDir::Read(path + ".bad"));
  auto bytes = ScratchDir::Read(path);
  ASSERT_EQ(998460u, bytes.size());
  EXPECT_EQ(0, bytes[12345]);
}

TEST_F(PlansFile, UnreadableFileLeavesImageAndFileAlone) {
  std::vector<unsigned char> data(998460, 0x21);
  ScratchDir::Write(path, data.data(), data.size());
  memset(img.get(), 0x7E, sizeof *img);
  HANDLE lock = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, lock);
  EXPECT_TRUE(LoadLocalPlans(*img, dir.Path()));
  ::CloseHandle(lock);
  EXPECT_EQ(0x7E, reinterpret_cast<uint8_t*>(img.get())[500]);
  EXPECT_EQ(data, ScratchDir::Read(path));
  EXPECT_EQ(0, CountKeptAside(path));
  // Once readable, the texts come back NUL-terminated whatever the file holds.
  ASSERT_TRUE(LoadLocalPlans(*img, dir.Path()));
  EXPECT_EQ(100u, strlen(img->slots[0].name));
  EXPECT_EQ(63u, strlen(img->slots[3].windows[2].channels[1].address));
}

// -------------------------------------------------------------- Corvel.ini
TEST(CorvelIni, FirstStartWritesEveryKeyWithItsDefault) {
  ScratchDir dir("corvel");
  CString ini = dir / "Corvel.ini";
  CorvelSettings s;
  LoadCorvelSettings(ini, s);
  struct Key {
    const char* section;
    const char* key;
    const char* value;
  } keys[] = {
      {"General", "SubMonRecDisk", "0xffffffff"}, {"General", "SubMonRecTime", "30"},
      {"SubMonAlarmSet", "LostSound", "0"},       {"SubMonAlarmSet", "MotionSound", "0"},
      {"SubMonAlarmSet", "ProbeSound", "0"},      {"SubMonAlarmSet", "Beep", "0"},
      {"SubMonAlarmSet", "AlarmRec", "0"},        {"SubMonAlarmSet", "PreRecord", "0"},
      {"SubMonAlarmSet", "RecDelay", "30"},       {"SubMonAlarmSet", "AlmDelay", "3"},
      {"SubMonAlarmSet", "LostSoundFile", "Alarm.wav"}, {"SubMonAlarmSet", "MotionSoundFile", "Alarm.wav"},
      {"SubMonAlarmSet", "ProbeSoundFile", "Alarm.wav"}, {"LocalMonSet", "PollInterval", "5"},
  };
  for (const auto& k : keys) EXPECT_EQ(k.value, ReadIniString(k.section, k.key, "<none>", ini)) << k.key;
  EXPECT_EQ("<none>", ReadIniString("General", "Language", "<none>", ini));
  EXPECT_EQ("<none>", ReadIniString("SetupSupMonSet", "CheckMC", "<none>", ini));
  EXPECT_EQ(0xFFFFFFFFu, s.recordDiskMask);
  EXPECT_EQ(5, s.pollInterval);
}

TEST(CorvelIni, RangeTableAfterWriteBack) {
  struct Case {
    const char* section;
    const char* key;
    const char* written;
    const char* expected;
  } cases[] = {
      {"LocalMonSet", "PollInterval", "2", "5"},     {"LocalMonSet", "PollInterval", "301", "5"},
      {"LocalMonSet", "PollInterval", "300", "300"}, {"LocalMonSet", "PollInterval", "5", "5"},
      {"LocalMonSet", "PollInterval", "-20", "5"},   {"General", "SubMonRecTime", "0", "30"},
      {"General", "SubMonRecTime", "121", "30"},     {"General", "SubMonRecTime", "120", "120"},
      {"General", "SubMonRecTime", "-1", "30"},      {"SubMonAlarmSet", "RecDelay", "5000", "900"},
      {"SubMonAlarmSet", "RecDelay", "0", "0"},      {"SubMonAlarmSet", "RecDelay", "-5", "30"},
      {"SubMonAlarmSet", "AlmDelay", "901", "900"},  {"SubMonAlarmSet", "AlmDelay", "-1", "3"},
      {"SubMonAlarmSet", "PreRecord", "-3", "0"},    {"SubMonAlarmSet", "PreRecord", "10", "10"},
      {"SubMonAlarmSet", "Beep", "1", "1"},          {"SubMonAlarmSet", "Beep", "-1", "0"},
      {"SubMonAlarmSet", "LostSound", "7", "0"},     {"General", "SubMonRecDisk", "0x4", "0x4"},
      {"General", "SubMonRecDisk", "12", "0xc"},     {"General", "SubMonRecDisk", "-2", "0xffffffff"},
      {"SubMonAlarmSet", "ProbeSoundFile", "C:\\sounds\\probe.wav", "C:\\sounds\\probe.wav"},
  };
  for (const auto& c : cases) {
    ScratchDir dir("range");
    CString ini = dir / "Corvel.ini";
    ::WritePrivateProfileStringA(c.section, c.key, c.written, ini);
    CorvelSettings s;
    LoadCorvelSettings(ini, s);
    EXPECT_EQ(c.expected, ReadIniString(c.section, c.key, "<none>", ini)) << c.key << "=" << c.written;
  }
}

TEST(CorvelIni, CheckMCLivesInTheSameFile) {
  ScratchDir dir("checkmc");
  CString ini = dir / "Corvel.ini";
  EXPECT_FALSE(ReadCheckMC(ini));
  WriteCheckMC(ini, TRUE);
  EXPECT_TRUE(ReadCheckMC(ini));
  EXPECT_EQ("1", ReadIniString("SetupSupMonSet", "CheckMC", "", ini));
  WriteCheckMC(ini, FALSE);
  EXPECT_EQ("0", ReadIniString("SetupSupMonSet", "CheckMC", "", ini));
}

// ---------------------------------------------- solutions and languages
class Solutions : public ::testing::Test {
protected:
  void SetUp() override {
    ::CreateDirectoryA(dir / "Language", nullptr);
    ::CreateDirectoryA(dir / "Language\\English", nullptr);
    ::CreateDirectoryA(dir / "Language\\Deutsch", nullptr);
    std::string english = "[Info]\r\nLanguage=English\r\nImgDir=English\r\nAuthor=Us\r\n"
                          "[String]\r\nPROMPT=Hint\r\nEmpty=\r\nLong=" + std::string(300, 'x') + "\r\n";
    ScratchDir::WriteText(dir / "Language\\English.ini", english.c_str());
    ScratchDir::WriteText(dir / "Language\\English\\Config.ini",
                          "[MainSettings]\r\nBackColor=10, 20, 30\r\n[ToolBarSettings]\r\nBackImage_Up=tb_up.bmp\r\n"
                          "Height=40\r\n[PreviewWndInfo]\r\nPosition=1, 2, 3, 4\r\nLineWidth=2\r\n");
    ScratchDir::WriteText(dir / "Language\\Deutsch.ini", "[Info]\r\nLanguage=Deutsch\r\nImgDir=Deutsch\r\n");
    ScratchDir::WriteText(dir / "Language\\Nameless.ini", "[Info]\r\nImgDir=English\r\n");
    ini = dir / "Corvel.ini";
  }
  void TearDown() override { SetCurrentSolution(nullptr); }
  ScratchDir dir{"solutions"};
  CString ini;
  gui::MessageBoxScript boxes;
};

TEST_F(Solutions, TablesKeepOnlyNamedLanguagesAndFoldersWithConfig) {
  CInterfaceSolutions& t = CInterfaceSolutions::Instance();
  t.Build(dir.Path());
  ASSERT_EQ(2u, t.Languages().size());   // Nameless.ini adds nothing
  ASSERT_EQ(1u, t.Solutions().size());   // Deutsch has no Config.ini
  EXPECT_EQ("English", t.Solutions()[0].name);
  EXPECT_EQ(dir / "Language\\English\\", t.Solutions()[0].folderPath);
  EXPECT_EQ("Us", t.Solutions()[0].language->author);
}

TEST_F(Solutions, CaseInsensitiveChoice) {
  CInterfaceSolutions& t = CInterfaceSolutions::Instance();
  t.Build(dir.Path());
  ::WritePrivateProfileStringA("General", "Language", "english", ini);
  ASSERT_TRUE(t.Choose(ini));
  ASSERT_NE(nullptr, GetCurrentSolution());
  EXPECT_EQ("English", GetCurrentSolution()->name);
  EXPECT_EQ(0u, boxes.Count());
}

TEST_F(Solutions, LanguageWithoutConfigFallsBackToEnglish) {
  CInterfaceSolutions& t = CInterfaceSolutions::Instance();
  t.Build(dir.Path());
  ::WritePrivateProfileStringA("General", "Language", "Deutsch", ini);
  int dialogRuns = 0;
  ASSERT_TRUE(t.Choose(ini, [&] { ++dialogRuns; }));
  EXPECT_EQ(1, dialogRuns);
  EXPECT_EQ("English", GetCurrentSolution()->name);
  EXPECT_EQ("English", ReadIniString("General", "Language", "", ini));
  auto seen = boxes.Boxes();
  ASSERT_EQ(2u, seen.size());
  EXPECT_EQ("Can not find interface config file: Deutsch", seen[0].text);
  EXPECT_EQ("Using default interface solution: English", seen[1].text);
}

TEST_F(Solutions, NoLanguagesAtAll) {
  ScratchDir empty("nolang");
  CInterfaceSolutions& t = CInterfaceSolutions::Instance();
  t.Build(empty.Path());
  EXPECT_FALSE(t.Choose(empty / "Corvel.ini"));
  EXPECT_EQ(nullptr, GetCurrentSolution());
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Load default interface solution failed, your program is bad, please reinstall!", boxes.Boxes()[0].text);
}

TEST_F(Solutions, TranslateString) {
  CString out;
  EXPECT_EQ("PROMPT", TranslateString(out, "PROMPT"));   // no language: unchanged
  CInterfaceSolutions& t = CInterfaceSolutions::Instance();
  t.Build(dir.Path());
  ::WritePrivateProfileStringA("General", "Language", "English", ini);
  ASSERT_TRUE(t.Choose(ini));
  struct Case {
    const char* english;
    std::string expected;
  } cases[] = {
      {"PROMPT", "Hint"},
      {"prompt", "Hint"},   // profile keys match without regard to case
      {"Empty", "Empty"},   // empty value: the English text
      {"Missing key", "Missing key"},
      {"Long", std::string(255, 'x')},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, TranslateString(out, c.english).GetString()) << c.english;
}

TEST_F(Solutions, TranslateDialogDoesDirectChildrenOnly) {
  ScratchDir::WriteText(dir / "Language\\English.ini",
                        "[Info]\r\nLanguage=English\r\nImgDir=English\r\n[String]\r\nTitle=Titel\r\nChild=Kind\r\n"
                        "Grandchild=Enkel\r\n");
  CInterfaceSolutions& t = CInterfaceSolutions::Instance();
  t.Build(dir.Path());
  ::WritePrivateProfileStringA("General", "Language", "English", ini);
  ASSERT_TRUE(t.Choose(ini));
  CWnd top;
  ASSERT_TRUE(top.CreateEx(0, nullptr, "Title", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr));
  HWND child = ::CreateWindowExA(0, "STATIC", "Child", WS_CHILD, 0, 0, 10, 10, top.m_hWnd, nullptr, nullptr, nullptr);
  HWND page = ::CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 10, 10, top.m_hWnd, nullptr, nullptr, nullptr);
  HWND grand = ::CreateWindowExA(0, "STATIC", "Grandchild", WS_CHILD, 0, 0, 5, 5, page, nullptr, nullptr, nullptr);
  TranslateDialog(&top);
  EXPECT_EQ("Titel", gui::Text(top.m_hWnd));
  EXPECT_EQ("Kind", gui::Text(child));
  EXPECT_EQ("Grandchild", gui::Text(grand));
  top.DestroyWindow();
}

TEST_F(Solutions, MainSkinKeysWithDefaults) {
  CInterfaceSolutions& t = CInterfaceSolutions::Instance();
  t.Build(dir.Path());
  MainSkin k = ReadMainSkin(t.Solutions()[0]);
  EXPECT_EQ(RGB(10, 20, 30), k.backColor);
  EXPECT_EQ(dir / "Language\\English\\tb_up.bmp", k.toolBarImages[0]);
  EXPECT_TRUE(k.toolBarImages[1].IsEmpty());
  EXPECT_EQ(40, k.toolBarHeight);
  EXPECT_EQ(CRect(1, 2, 4, 5), k.previewPosition);
  EXPECT_EQ(2, k.lineWidth);
  EXPECT_EQ(0u, k.monBackColor);   // missing colour: black
  EXPECT_EQ(37, k.leftDlgHeight);
  EXPECT_EQ(169, k.leftDlgWidth);
  EXPECT_EQ(50, k.firstDlgHeight);
  EXPECT_EQ(24, k.switchModeHeight);
}

TEST_F(Solutions, LanguageMenuWritesTheNameOnly) {
  CInterfaceSolutions& t = CInterfaceSolutions::Instance();
  t.Build(dir.Path());
  EXPECT_TRUE(ChangeLanguageCommand(ini, 2074));
  EXPECT_EQ("English", ReadIniString("General", "Language", "", ini));
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Change Language Successfully", boxes.Boxes()[0].caption);
  EXPECT_EQ("Language has been changed to \"English\". \nChange will take effect when you start this program next time!",
            boxes.Boxes()[0].text);
  EXPECT_FALSE(ChangeLanguageCommand(ini, 2080));   // no seventh solution
  EXPECT_EQ(nullptr, GetCurrentSolution());
}

// ------------------------------------------------------------------ helpers
TEST(Helpers, ParseRectAndColor) {
  struct RectCase {
    const char* text;
    CRect expected;
  } rects[] = {
      {"10, 20, 30, 40", CRect(10, 20, 31, 41)},
      {"10,20,30,40", CRect(10, 20, 31, 41)},
      {" 1 , 2 , 3 , 4 ", CRect(1, 2, 4, 5)},
      {"", CRect(0, 0, 0, 0)},
      {"5, 6", CRect(5, 6, 1, 1)},            // missing parts count as 0
      {"a, b, c, d", CRect(0, 0, 1, 1)},
      {"1, 2, 3, 4, 5", CRect(1, 2, 4, 5)},   // extra parts ignored
      {"-5, -6, 7, 8", CRect(-5, -6, 8, 9)},
  };
  for (const auto& c : rects) EXPECT_EQ(c.expected, ParseRect(c.text)) << c.text;
  struct ColorCase {
    const char* text;
    COLORREF expected;
  } colors[] = {
      {"255, 0, 0", 0xFF},
      {"0, 255, 0", 0xFF00},
      {"0,0,255", 0xFF0000},
      {"", 0},
      {"12", 12},
      {"x, 1, 2", 0x020100},
      {" 16 , 32 , 48 ", RGB(16, 32, 48)},
  };
  for (const auto& c : colors) EXPECT_EQ(c.expected, ParseColor(c.text)) << c.text;
}

TEST(Helpers, SmallOnes) {
  CStringArray parts;
  EXPECT_EQ(3, SplitString(",a,,bb,c,", ',', parts));
  ASSERT_EQ(3, parts.GetSize());
  EXPECT_EQ("bb", parts[1]);
  EXPECT_EQ(0, SplitString("", ',', parts));
  EXPECT_EQ("-42", IntToString(-42));
  EXPECT_EQ(3, RoundToInt(2.5));
  EXPECT_EQ(2, RoundToInt(2.49));
  EXPECT_EQ(0, RoundToInt(0.0));
  CString dir = GetModuleDirectory();
  ASSERT_FALSE(dir.IsEmpty());
  EXPECT_EQ('\\', dir[dir.GetLength() - 1]);
  char exe[MAX_PATH];
  ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
  uint32_t size = 0;
  EXPECT_TRUE(FileExists(exe, &size));
  EXPECT_GT(size, 0u);
  EXPECT_FALSE(FileExists(dir));                   // a folder is not a file
  EXPECT_FALSE(FileExists(dir + "no-such-file"));
}

TEST(Helpers, LoadDibFile) {
  ScratchDir dir("dib");
  auto good24 = ScratchDir::MakeBmp(13, 7, 24, 0);
  auto good8 = ScratchDir::MakeBmp(8, 4, 8, 2);
  auto shortPixels = good24;
  shortPixels.resize(shortPixels.size() - 10);
  auto shortHeader = std::vector<unsigned char>(good24.begin(), good24.begin() + 10);
  auto badMagic = good24;
  badMagic[0] = 'X';
  auto hugeTable = ScratchDir::MakeBmp(4, 4, 8, 0);
  reinterpret_cast<BITMAPINFOHEADER*>(hugeTable.data() + sizeof(BITMAPFILEHEADER))->biClrUsed = 100000;
  auto zeroWidth = good24;
  reinterpret_cast<BITMAPINFOHEADER*>(zeroWidth.data() + sizeof(BITMAPFILEHEADER))->biWidth = 0;
  // biClrUsed x 4 wraps to 0 in 32 bits: the table would pass for empty.
  auto wrapTable = good24;
  reinterpret_cast<BITMAPINFOHEADER*>(wrapTable.data() + sizeof(BITMAPFILEHEADER))->biClrUsed = 0x40000000;
  // Run-length bitmaps: rows of four pixels of index 1, then the end.
  auto rle8 = ScratchDir::MakeBmp(4, 4, 8, 2);
  {
    const unsigned char runs[] = {4, 1, 0, 0, 4, 1, 0, 0, 4, 1, 0, 0, 4, 1, 0, 1};
    const size_t bits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + 8;
    rle8.resize(bits + sizeof runs);
    memcpy(rle8.data() + bits, runs, sizeof runs);
    auto* bi = reinterpret_cast<BITMAPINFOHEADER*>(rle8.data() + sizeof(BITMAPFILEHEADER));
    bi->biCompression = BI_RLE8;
    bi->biSizeImage = sizeof runs;
  }
  auto rleBeyond = rle8;  // its runs said to go on past the file
  reinterpret_cast<BITMAPINFOHEADER*>(rleBeyond.data() + sizeof(BITMAPFILEHEADER))->biSizeImage = 4096;
  struct Case {
    const char* name;
    const std::vector<unsigned char>* bytes;
    BOOL palette;
    BOOL ok;
    int w, h;
    COLORREF pixel;
  } cases[] = {
      {"good24.bmp", &good24, FALSE, TRUE, 13, 7, RGB(0x10, 0x20, 0x30)},
      {"good8.bmp", &good8, TRUE, TRUE, 8, 4, RGB(255, 0, 0)},
      {"shortpx.bmp", &shortPixels, FALSE, FALSE, 0, 0, 0},
      {"shorthdr.bmp", &shortHeader, FALSE, FALSE, 0, 0, 0},
      {"magic.bmp", &badMagic, FALSE, FALSE, 0, 0, 0},
      {"table.bmp", &hugeTable, TRUE, FALSE, 0, 0, 0},
      {"width.bmp", &zeroWidth, FALSE, FALSE, 0, 0, 0},
      {"wrap.bmp", &wrapTable, FALSE, FALSE, 0, 0, 0},
      {"rle8.bmp", &rle8, FALSE, TRUE, 4, 4, RGB(255, 0, 0)},
      {"rlebeyond.bmp", &rleBeyond, FALSE, FALSE, 0, 0, 0},
      {"missing.bmp", nullptr, FALSE, FALSE, 0, 0, 0},
  };
  for (const auto& c : cases) {
    CString path = dir / c.name;
    if (c.bytes) ScratchDir::Write(path, c.bytes->data(), c.bytes->size());
    CBitmap bmp;
    EXPECT_EQ(c.ok, LoadDibFile(path, bmp, c.palette)) << c.name;
    if (!c.ok) continue;
    BITMAP bm{};
    ASSERT_TRUE(bmp.GetBitmap(&bm));
    EXPECT_EQ(c.w, bm.bmWidth) << c.name;
    EXPECT_EQ(c.h, bm.bmHeight) << c.name;
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap* old = dc.SelectObject(&bmp);
    EXPECT_EQ(c.pixel, dc.GetPixel(1, 1)) << c.name;
    dc.SelectObject(old);
  }
}

}  // namespace

namespace {

// The solution generated beside the program: every picture any of its ini
// files names loads, and so does the splash logo.
TEST(DefaultSolution, EveryNamedPictureLoads) {
  CString bin = GetModuleDirectory();
  if (!FileExists(bin + "Language\\English.ini")) GTEST_SKIP() << "no generated solution";
  CInterfaceSolutions& t = CInterfaceSolutions::Instance();
  t.Build(bin);
  const SolutionEntry* s = t.Find("english");
  ASSERT_NE(nullptr, s);
  int pictures = 0;
  for (const char* file : {"Config.ini", "top_config.ini", "device_config.ini", "color_config.ini", "Plan_config.ini",
                           "PTZ_config.ini", "player_config.ini"}) {
    CString ini = s->folderPath + file;
    ASSERT_TRUE(FileExists(ini)) << file;
    char sections[4096] = {};
    ::GetPrivateProfileSectionNamesA(sections, sizeof sections, ini);
    for (const char* sec = sections; *sec; sec += strlen(sec) + 1) {
      char keys[8192] = {};
      ::GetPrivateProfileSectionA(sec, keys, sizeof keys, ini);
      for (const char* kv = keys; *kv; kv += strlen(kv) + 1) {
        CString line = kv;
        if (line.Right(4).CompareNoCase(".bmp") != 0) continue;
        CString name = line.Mid(line.Find('=') + 1);
        CBitmap bmp;
        EXPECT_TRUE(LoadDibFile(s->folderPath + name, bmp, TRUE)) << file << " [" << sec << "] " << kv;
        ++pictures;
      }
    }
  }
  EXPECT_GT(pictures, 20);
  CBitmap logo;
  EXPECT_TRUE(LoadDibFile(s->folderPath + "StartLogo.bmp", logo, TRUE));
  MainSkin k = ReadMainSkin(*s);
  EXPECT_EQ(40, k.toolBarHeight);
  EXPECT_FALSE(k.titleImage.IsEmpty());
}

}  // namespace
