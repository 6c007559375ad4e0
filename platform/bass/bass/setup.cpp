// Set-up, configuration and the output device of bass.dll, with the test hooks.
#include <iterator>

#include "bass/bass/entry.h"
#include "bass/core/engine.h"

using bass_core::Engine;
using namespace tavrin_bass;

namespace {

constexpr DWORD kVersion = 0x20002;
const char* const kDeviceNames[] = {"No sound", "Default sound device"};

}  // namespace

DWORD WINAPI BASS_SetConfig(DWORD option, DWORD value) {
  return Guard<&BASS_SetConfig>([&] {
    uint32_t result = 0;
    int error = Engine::Instance().SetConfig(option, value, result);
    return Answer<&BASS_SetConfig>(error, result);
  });
}

DWORD WINAPI BASS_GetConfig(DWORD option) {
  return Guard<&BASS_GetConfig>([&] {
    uint32_t result = 0;
    int error = Engine::Instance().GetConfig(option, result);
    return Answer<&BASS_GetConfig>(error, result);
  });
}

DWORD WINAPI BASS_GetVersion() { return kVersion; }

const char* WINAPI BASS_GetDeviceDescription(DWORD device) {
  if (device >= std::size(kDeviceNames)) return Fail(BASS_ERROR_DEVICE);
  return Ok(kDeviceNames[device]);
}

BOOL WINAPI BASS_Init(int device, DWORD freq, DWORD flags, HWND, const GUID*) {
  return Guard<&BASS_Init>([&] {
    return Answer<&BASS_Init>(Engine::Instance().Init(device, freq, flags), TRUE);
  });
}

BOOL WINAPI BASS_SetDevice(DWORD device) {
  return Guard<&BASS_SetDevice>([&] {
    return Answer<&BASS_SetDevice>(Engine::Instance().SetDevice(device), TRUE);
  });
}

DWORD WINAPI BASS_GetDevice() {
  return Guard<&BASS_GetDevice>([&] {
    Engine::DeviceState state{};
    int error = Engine::Instance().Device(state);
    return Answer<&BASS_GetDevice>(error, static_cast<DWORD>(state.device));
  });
}

BOOL WINAPI BASS_Free() {
  return Guard<&BASS_Free>([&] { return Answer<&BASS_Free>(Engine::Instance().Free(), TRUE); });
}

BOOL WINAPI BASS_GetInfo(BASS_INFO* info) {
  return Guard<&BASS_GetInfo>([&] {
    Engine::DeviceState state{};
    if (int error = Engine::Instance().Device(state)) return Answer<&BASS_GetInfo>(error, FALSE);
    if (!info) return Answer<&BASS_GetInfo>(BASS_ERROR_ILLPARAM, FALSE);
    // A software mixer: any rate, mono and stereo, 8 and 16 bits, no hardware
    // voices; DirectSound 9 so that effects and float output count as present.
    *info = BASS_INFO{};
    info->flags = DSCAPS_CONTINUOUSRATE | DSCAPS_EMULDRIVER | DSCAPS_SECONDARYMONO |
                  DSCAPS_SECONDARYSTEREO | DSCAPS_SECONDARY8BIT | DSCAPS_SECONDARY16BIT;
    info->minrate = 100;
    info->maxrate = 200000;
    info->eax = FALSE;
    info->minbuf = state.blockMs * 2;
    info->dsver = 9;
    info->latency = state.latencyMs;
    info->initflags = state.initFlags;
    info->speakers = 2;
    info->driver = kDeviceNames[state.device];
    return Answer<&BASS_GetInfo>(BASS_OK, TRUE);
  });
}

float WINAPI BASS_GetCPU() { return 0.0f; }

BOOL WINAPI BASS_Start() {
  return Guard<&BASS_Start>([&] { return Answer<&BASS_Start>(Engine::Instance().Start(), TRUE); });
}

BOOL WINAPI BASS_Stop() {
  return Guard<&BASS_Stop>([&] { return Answer<&BASS_Stop>(Engine::Instance().Stop(), TRUE); });
}

BOOL WINAPI BASS_Pause() {
  return Guard<&BASS_Pause>([&] { return Answer<&BASS_Pause>(Engine::Instance().Pause(), TRUE); });
}

BOOL WINAPI BASS_SetVolume(DWORD volume) {
  return Guard<&BASS_SetVolume>([&] {
    return Answer<&BASS_SetVolume>(Engine::Instance().SetVolume(volume), TRUE);
  });
}

DWORD WINAPI BASS_GetVolume() {
  return Guard<&BASS_GetVolume>([&] {
    uint32_t volume = 0;
    int error = Engine::Instance().GetVolume(volume);
    return Answer<&BASS_GetVolume>(error, volume);
  });
}

BOOL WINAPI BASS_Test_SetOutput(const wchar_t* output, const wchar_t* clock) {
  return Guard<&BASS_Test_SetOutput>([&] {
    return Answer<&BASS_Test_SetOutput>(Engine::Instance().ChooseOutput(output, clock), TRUE);
  });
}

BOOL WINAPI BASS_Test_AdvanceClock(DWORD frames) {
  return Guard<&BASS_Test_AdvanceClock>([&] {
    return Answer<&BASS_Test_AdvanceClock>(Engine::Instance().AdvanceClock(frames), TRUE);
  });
}
