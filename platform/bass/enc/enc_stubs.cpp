// bassenc.dll before it runs encoders: every entry point checks its arguments
// and then fails. Starting fails with BASS_ERROR_NOTAVAIL; no encoder was
// ever started, so every other call finds no encoder (BASS_ERROR_HANDLE).
#include "bass_api.h"
#include "errors.h"

using namespace tavrin_bass;

HENCODE WINAPI BASS_Encode_Start(DWORD handle, const void* cmdline, DWORD, ENCODEPROC* proc,
                                 void*) {
  if (handle == 0) return Fail(BASS_ERROR_HANDLE);
  if (cmdline == nullptr && proc == nullptr) return Fail(BASS_ERROR_ILLPARAM);
  return Fail(BASS_ERROR_NOTAVAIL);
}

DWORD WINAPI BASS_Encode_IsActive(DWORD) { return Fail(BASS_ERROR_HANDLE); }

BOOL WINAPI BASS_Encode_Stop(DWORD) { return Fail(BASS_ERROR_HANDLE); }

BOOL WINAPI BASS_Encode_SetPaused(DWORD, BOOL) { return Fail(BASS_ERROR_HANDLE); }

BOOL WINAPI BASS_Encode_Write(DWORD, const void*, DWORD) { return Fail(BASS_ERROR_HANDLE); }
