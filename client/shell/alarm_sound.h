// The alarm sound: one at a time across the whole program, on a short-lived
// thread of its own.
#pragma once
#include <afxwin.h>

// Longest sound of one request: seconds of 0xFFFFFFFF ("until stopped")
// and anything above are cut here, so a later alarm can sound again.
constexpr DWORD kMaxAlarmSoundMs = 900u * 1000u;

// TRUE when a sound was started; FALSE when the file is missing (and beep
// is off) or another alarm sound is playing.
BOOL PlayAlarmSound(const char* wavPath, UINT seconds, BOOL beep);
// Plays the wave file again and again until ms have passed; returns at
// once when the file cannot be played.
void PlaySoundFor(const char* wavPath, DWORD ms);
int AlarmSoundsPlaying();
