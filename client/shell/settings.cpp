#include "settings.h"
#include "language.h"

int NormalizeRecordMinutes(int v) { return v <= 0 || v > 120 ? 30 : v; }
int NormalizeFlag(int v) { return v == 0 || v == 1 ? v : 0; }
int NormalizePreRecord(int v) { return v < 0 ? 0 : v; }
int NormalizeRecordDelay(int v) { return v < 0 ? 30 : v > 900 ? 900 : v; }
int NormalizeAlarmDelay(int v) { return v < 0 ? 3 : v > 900 ? 900 : v; }
int NormalizePollInterval(int v) { return v < 5 || v > 300 ? 5 : v; }

namespace {

void WriteInt(const char* section, const char* key, int v, const char* ini) {
  char buf[16];
  wsprintfA(buf, "%d", v);
  ::WritePrivateProfileStringA(section, key, buf, ini);
}

int ReadInt(const char* section, const char* key, int def, const char* ini) {
  return int(::GetPrivateProfileIntA(section, key, def, ini));
}

CString ReadText(const char* section, const char* key, const char* def, const char* ini) {
  char buf[128] = {};
  ::GetPrivateProfileStringA(section, key, def, buf, sizeof buf, ini);
  return buf;
}

}  // namespace

void WriteStorageSettings(const char* ini, const CorvelSettings& s) {
  char buf[16];
  wsprintfA(buf, "0x%x", s.recordDiskMask);
  ::WritePrivateProfileStringA("General", "SubMonRecDisk", buf, ini);
  WriteInt("General", "SubMonRecTime", s.recordMinutes, ini);
}

void WriteAlarmSettings(const char* ini, const CorvelSettings& s) {
  const char* sec = "SubMonAlarmSet";
  WriteInt(sec, "LostSound", s.lostSound, ini);
  WriteInt(sec, "MotionSound", s.motionSound, ini);
  WriteInt(sec, "ProbeSound", s.probeSound, ini);
  WriteInt(sec, "Beep", s.beep, ini);
  WriteInt(sec, "AlarmRec", s.alarmRecord, ini);
  WriteInt(sec, "PreRecord", s.preRecord, ini);
  WriteInt(sec, "RecDelay", s.recordDelay, ini);
  WriteInt(sec, "AlmDelay", s.alarmDelay, ini);
  ::WritePrivateProfileStringA(sec, "LostSoundFile", s.lostSoundFile, ini);
  ::WritePrivateProfileStringA(sec, "MotionSoundFile", s.motionSoundFile, ini);
  ::WritePrivateProfileStringA(sec, "ProbeSoundFile", s.probeSoundFile, ini);
}

void LoadCorvelSettings(const char* ini, CorvelSettings& s) {
  // The mask is read as an integer; any negative value (bit 31 set, or a
  // malformed text) means the default: every drive.
  int mask = ReadInt("General", "SubMonRecDisk", -1, ini);
  s.recordDiskMask = mask < 0 ? 0xFFFFFFFFu : DWORD(mask);
  s.recordMinutes = NormalizeRecordMinutes(ReadInt("General", "SubMonRecTime", 30, ini));
  const char* sec = "SubMonAlarmSet";
  s.lostSound = NormalizeFlag(ReadInt(sec, "LostSound", 0, ini));
  s.motionSound = NormalizeFlag(ReadInt(sec, "MotionSound", 0, ini));
  s.probeSound = NormalizeFlag(ReadInt(sec, "ProbeSound", 0, ini));
  s.beep = NormalizeFlag(ReadInt(sec, "Beep", 0, ini));
  s.alarmRecord = NormalizeFlag(ReadInt(sec, "AlarmRec", 0, ini));
  s.preRecord = NormalizePreRecord(ReadInt(sec, "PreRecord", 0, ini));
  s.recordDelay = NormalizeRecordDelay(ReadInt(sec, "RecDelay", 30, ini));
  s.alarmDelay = NormalizeAlarmDelay(ReadInt(sec, "AlmDelay", 3, ini));
  s.lostSoundFile = ReadText(sec, "LostSoundFile", "Alarm.wav", ini);
  s.motionSoundFile = ReadText(sec, "MotionSoundFile", "Alarm.wav", ini);
  s.probeSoundFile = ReadText(sec, "ProbeSoundFile", "Alarm.wav", ini);
  s.pollInterval = NormalizePollInterval(ReadInt("LocalMonSet", "PollInterval", 5, ini));
  WriteStorageSettings(ini, s);
  WriteAlarmSettings(ini, s);
  WriteInt("LocalMonSet", "PollInterval", s.pollInterval, ini);
}

BOOL ReadCheckMC(const char* ini) {
  char buf[80] = {};
  ::GetPrivateProfileStringA("SetupSupMonSet", "CheckMC", "0", buf, sizeof buf, ini);
  return strcmp(buf, "1") == 0;
}

void WriteCheckMC(const char* ini, BOOL checked) {
  ::WritePrivateProfileStringA("SetupSupMonSet", "CheckMC", checked ? "1" : "0", ini);
}

BOOL ChangeLanguageCommand(const char* ini, UINT command) {
  const auto& solutions = CInterfaceSolutions::Instance().Solutions();
  size_t index = command < 2074 ? 0 : command - 2074;
  if (index >= solutions.size()) return FALSE;
  const CString& name = solutions[index].name;
  ::WritePrivateProfileStringA("General", "Language", name, ini);
  CString a, b, text, title;
  TranslateString(a, "Language has been changed to");
  TranslateString(b, "Change will take effect when you start this program next time!");
  text.Format("%s \"%s\". \n%s", a.GetString(), name.GetString(), b.GetString());
  TranslateString(title, "Change Language Successfully");
  AfxShowMessageBox(AfxGetMainWnd()->GetSafeHwnd(), text, title, MB_OK | MB_ICONINFORMATION);
  return TRUE;
}
