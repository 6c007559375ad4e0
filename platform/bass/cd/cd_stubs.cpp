// basscd.dll before it knows any drive: every entry point checks its
// arguments and then fails. With no drives, every drive number is illegal
// (BASS_ERROR_DEVICE), and no CD stream handle was ever given out
// (BASS_ERROR_HANDLE).
#include "bass_api.h"
#include "errors.h"

using namespace tavrin_bass;

const char* WINAPI BASS_CD_GetDriveDescription(DWORD) { return Fail(BASS_ERROR_DEVICE); }

DWORD WINAPI BASS_CD_GetDriveLetter(DWORD) { return FailMinusOne(BASS_ERROR_DEVICE); }

BOOL WINAPI BASS_CD_GetInfo(DWORD, BASS_CD_INFO* info) {
  if (info == nullptr) return Fail(BASS_ERROR_ILLPARAM);
  return Fail(BASS_ERROR_DEVICE);
}

BOOL WINAPI BASS_CD_Door(DWORD, DWORD action) {
  if (action > BASS_CD_DOOR_UNLOCK) return Fail(BASS_ERROR_ILLPARAM);
  return Fail(BASS_ERROR_DEVICE);
}

BOOL WINAPI BASS_CD_DoorIsOpen(DWORD) { return Fail(BASS_ERROR_DEVICE); }

BOOL WINAPI BASS_CD_DoorIsLocked(DWORD) { return Fail(BASS_ERROR_DEVICE); }

BOOL WINAPI BASS_CD_IsReady(DWORD) { return Fail(BASS_ERROR_DEVICE); }

DWORD WINAPI BASS_CD_GetTracks(DWORD) { return FailMinusOne(BASS_ERROR_DEVICE); }

DWORD WINAPI BASS_CD_GetTrackLength(DWORD, DWORD) { return FailMinusOne(BASS_ERROR_DEVICE); }

const char* WINAPI BASS_CD_GetID(DWORD, DWORD id) {
  if (id < BASS_CDID_UPC || id > BASS_CDID_MUSICBRAINZ) return Fail(BASS_ERROR_ILLPARAM);
  return Fail(BASS_ERROR_DEVICE);
}

BOOL WINAPI BASS_CD_Release(DWORD) { return Fail(BASS_ERROR_DEVICE); }

HSTREAM WINAPI BASS_CD_StreamCreate(DWORD, DWORD, DWORD) { return Fail(BASS_ERROR_DEVICE); }

HSTREAM WINAPI BASS_CD_StreamCreateFile(const void* file, DWORD) {
  if (file == nullptr) return Fail(BASS_ERROR_ILLPARAM);
  return Fail(BASS_ERROR_DEVICE);
}

DWORD WINAPI BASS_CD_StreamGetTrack(HSTREAM) { return FailMinusOne(BASS_ERROR_HANDLE); }

BOOL WINAPI BASS_CD_StreamSetTrack(HSTREAM, DWORD) { return Fail(BASS_ERROR_HANDLE); }

BOOL WINAPI BASS_CD_Analog_Play(DWORD, DWORD, DWORD) { return Fail(BASS_ERROR_DEVICE); }

DWORD WINAPI BASS_CD_Analog_PlayFile(const void* file, DWORD) {
  if (file == nullptr) return FailMinusOne(BASS_ERROR_ILLPARAM);
  return FailMinusOne(BASS_ERROR_DEVICE);
}

BOOL WINAPI BASS_CD_Analog_Stop(DWORD) { return Fail(BASS_ERROR_DEVICE); }

DWORD WINAPI BASS_CD_Analog_IsActive(DWORD) { return Fail(BASS_ERROR_DEVICE); }

DWORD WINAPI BASS_CD_Analog_GetPosition(DWORD) { return FailMinusOne(BASS_ERROR_DEVICE); }
