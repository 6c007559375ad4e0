// The entry points of bass.dll whose features come later: DirectSound objects,
// 3D and EAX, samples, internet and user streams and recording. Each checks
// what it can and then fails:
// - BASS_ERROR_INIT before BASS_Init (recording: before BASS_RecordInit);
// - BASS_ERROR_HANDLE for a channel the core does not know, and for every
//   sample handle, since none was ever given out;
// - BASS_ERROR_ILLPARAM / BASS_ERROR_ILLTYPE for arguments that are wrong
//   whatever the feature does;
// - BASS_ERROR_NO3D / BASS_ERROR_NOEAX / BASS_ERROR_DEVICE where that is the
//   true answer of this output (no 3D, no EAX, no recording device);
// - BASS_ERROR_NOTAVAIL otherwise.
#include "bass/bass_api.h"
#include "bass/common/error_code.h"

using namespace tavrin_bass;

namespace {

// The core answers -1 until BASS_Init has succeeded.
bool Initialized() { return BASS_GetDevice() != static_cast<DWORD>(-1); }

bool KnownChannel(DWORD handle) {
  BASS_CHANNELINFO info;
  return BASS_ChannelGetInfo(handle, &info) != FALSE;
}

enum : DWORD { kObjectDirectSound = 1, kObjectListener3D = 2 };

}  // namespace

void* WINAPI BASS_GetDSoundObject(DWORD object) {
  if (!Initialized()) return Fail(BASS_ERROR_INIT);
  if (object != kObjectDirectSound && object != kObjectListener3D) {
    return Fail(BASS_ERROR_ILLTYPE);
  }
  // The output goes through waveOut: there is no DirectSound object to hand out.
  return Fail(BASS_ERROR_NOTAVAIL);
}

BOOL WINAPI BASS_Update() {
  if (!Initialized()) return Fail(BASS_ERROR_INIT);
  return Fail(BASS_ERROR_NOTAVAIL);
}

// ---- 3D and EAX: the device is never opened with 3D or EAX support.

BOOL WINAPI BASS_Set3DFactors(float, float, float) {
  return Fail(Initialized() ? BASS_ERROR_NO3D : BASS_ERROR_INIT);
}

BOOL WINAPI BASS_Get3DFactors(float*, float*, float*) {
  return Fail(Initialized() ? BASS_ERROR_NO3D : BASS_ERROR_INIT);
}

BOOL WINAPI BASS_Set3DPosition(const BASS_3DVECTOR*, const BASS_3DVECTOR*,
                               const BASS_3DVECTOR*, const BASS_3DVECTOR*) {
  return Fail(Initialized() ? BASS_ERROR_NO3D : BASS_ERROR_INIT);
}

BOOL WINAPI BASS_Get3DPosition(BASS_3DVECTOR*, BASS_3DVECTOR*, BASS_3DVECTOR*,
                               BASS_3DVECTOR*) {
  return Fail(Initialized() ? BASS_ERROR_NO3D : BASS_ERROR_INIT);
}

void WINAPI BASS_Apply3D() { SetError(Initialized() ? BASS_ERROR_NO3D : BASS_ERROR_INIT); }

BOOL WINAPI BASS_SetEAXParameters(int, float, float, float) {
  return Fail(Initialized() ? BASS_ERROR_NOEAX : BASS_ERROR_INIT);
}

BOOL WINAPI BASS_GetEAXParameters(DWORD*, float*, float*, float*) {
  return Fail(Initialized() ? BASS_ERROR_NOEAX : BASS_ERROR_INIT);
}

// ---- Samples

HSAMPLE WINAPI BASS_SampleLoad(BOOL mem, const void* file, QWORD, DWORD length, DWORD max,
                               DWORD) {
  if (!Initialized()) return Fail(BASS_ERROR_INIT);
  if (file == nullptr || (mem && length == 0) || max < 1 || max > 65535) {
    return Fail(BASS_ERROR_ILLPARAM);
  }
  return Fail(BASS_ERROR_NOTAVAIL);
}

void* WINAPI BASS_SampleCreate(DWORD length, DWORD freq, DWORD chans, DWORD max, DWORD) {
  if (!Initialized()) return Fail(BASS_ERROR_INIT);
  if (length == 0 || freq == 0 || chans == 0 || max < 1 || max > 65535) {
    return Fail(BASS_ERROR_ILLPARAM);
  }
  return Fail(BASS_ERROR_NOTAVAIL);
}

// Without a sample under creation there is nothing to finish.
HSAMPLE WINAPI BASS_SampleCreateDone() { return Fail(BASS_ERROR_NOTAVAIL); }

BOOL WINAPI BASS_SampleFree(HSAMPLE) { return Fail(BASS_ERROR_HANDLE); }

BOOL WINAPI BASS_SampleGetInfo(HSAMPLE, BASS_SAMPLE*) { return Fail(BASS_ERROR_HANDLE); }

BOOL WINAPI BASS_SampleSetInfo(HSAMPLE, const BASS_SAMPLE*) { return Fail(BASS_ERROR_HANDLE); }

HCHANNEL WINAPI BASS_SampleGetChannel(HSAMPLE, BOOL) { return Fail(BASS_ERROR_HANDLE); }

BOOL WINAPI BASS_SampleStop(HSAMPLE) { return Fail(BASS_ERROR_HANDLE); }

// ---- Internet and user streams

HSTREAM WINAPI BASS_StreamCreateFileUser(BOOL, DWORD, STREAMFILEPROC* proc, void*) {
  if (!Initialized()) return Fail(BASS_ERROR_INIT);
  if (proc == nullptr) return Fail(BASS_ERROR_ILLPARAM);
  return Fail(BASS_ERROR_NOTAVAIL);
}

// ---- Recording: there is no recording device, so recording never starts.

const char* WINAPI BASS_RecordGetDeviceDescription(DWORD) { return Fail(BASS_ERROR_DEVICE); }

BOOL WINAPI BASS_RecordInit(int) { return Fail(BASS_ERROR_DEVICE); }

BOOL WINAPI BASS_RecordSetDevice(DWORD) { return Fail(BASS_ERROR_INIT); }

DWORD WINAPI BASS_RecordGetDevice() { return FailMinusOne(BASS_ERROR_INIT); }

BOOL WINAPI BASS_RecordFree() { return Fail(BASS_ERROR_INIT); }

BOOL WINAPI BASS_RecordGetInfo(BASS_RECORDINFO*) { return Fail(BASS_ERROR_INIT); }

const char* WINAPI BASS_RecordGetInputName(int) { return Fail(BASS_ERROR_INIT); }

BOOL WINAPI BASS_RecordSetInput(int, DWORD) { return Fail(BASS_ERROR_INIT); }

DWORD WINAPI BASS_RecordGetInput(int) { return FailMinusOne(BASS_ERROR_INIT); }

HRECORD WINAPI BASS_RecordStart(DWORD, DWORD, DWORD, RECORDPROC*, void*) {
  return Fail(BASS_ERROR_INIT);
}

// ---- Channel 3D and EAX

BOOL WINAPI BASS_ChannelSet3DAttributes(DWORD handle, int, float, float, int, int, int) {
  return Fail(KnownChannel(handle) ? BASS_ERROR_NO3D : BASS_ERROR_HANDLE);
}

BOOL WINAPI BASS_ChannelGet3DAttributes(DWORD handle, DWORD*, float*, float*, DWORD*, DWORD*,
                                        DWORD*) {
  return Fail(KnownChannel(handle) ? BASS_ERROR_NO3D : BASS_ERROR_HANDLE);
}

BOOL WINAPI BASS_ChannelSet3DPosition(DWORD handle, const BASS_3DVECTOR*,
                                      const BASS_3DVECTOR*, const BASS_3DVECTOR*) {
  return Fail(KnownChannel(handle) ? BASS_ERROR_NO3D : BASS_ERROR_HANDLE);
}

BOOL WINAPI BASS_ChannelGet3DPosition(DWORD handle, BASS_3DVECTOR*, BASS_3DVECTOR*,
                                      BASS_3DVECTOR*) {
  return Fail(KnownChannel(handle) ? BASS_ERROR_NO3D : BASS_ERROR_HANDLE);
}

BOOL WINAPI BASS_ChannelSetEAXMix(DWORD handle, float) {
  return Fail(KnownChannel(handle) ? BASS_ERROR_NOEAX : BASS_ERROR_HANDLE);
}

BOOL WINAPI BASS_ChannelGetEAXMix(DWORD handle, float*) {
  return Fail(KnownChannel(handle) ? BASS_ERROR_NOEAX : BASS_ERROR_HANDLE);
}
