// Corvel.ini: the client's plain settings.
#pragma once
#include <afxwin.h>

struct CorvelSettings {
  DWORD recordDiskMask = 0xFFFFFFFFu;   // [General] SubMonRecDisk, bit 0 = A:
  int recordMinutes = 30;               // [General] SubMonRecTime
  int lostSound = 0, motionSound = 0, probeSound = 0, beep = 0, alarmRecord = 0;
  int preRecord = 0;
  int recordDelay = 30;                 // seconds
  int alarmDelay = 3;                   // seconds
  CString lostSoundFile = "Alarm.wav", motionSoundFile = "Alarm.wav", probeSoundFile = "Alarm.wav";
  int pollInterval = 5;                 // [LocalMonSet] PollInterval, seconds
};

// The range table: an out-of-range or negative value becomes the default.
int NormalizeRecordMinutes(int v);
int NormalizeFlag(int v);
int NormalizePreRecord(int v);
int NormalizeRecordDelay(int v);
int NormalizeAlarmDelay(int v);
int NormalizePollInterval(int v);

// Reads every key but [General] Language and CheckMC, applies the defaults
// and ranges, and writes each accepted value back at once.
void LoadCorvelSettings(const char* ini, CorvelSettings& s);
void WriteStorageSettings(const char* ini, const CorvelSettings& s);
void WriteAlarmSettings(const char* ini, const CorvelSettings& s);
// [SetupSupMonSet] CheckMC, in the same file as every other key.
BOOL ReadCheckMC(const char* ini);
void WriteCheckMC(const char* ini, BOOL checked);
// The language menu (commands 2074..2084): writes the solution's language
// name and tells the user it applies at the next start. FALSE when the
// command names no solution.
BOOL ChangeLanguageCommand(const char* ini, UINT command);
