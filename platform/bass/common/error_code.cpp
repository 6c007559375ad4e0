#include "bass/common/error_code.h"

#include <windows.h>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace tavrin_bass {

namespace {

thread_local int t_error = BASS_OK;

using SetErrorProc = void(WINAPI*)(int);

// bass.dll's setter when this module is an add-on and bass.dll is loaded.
SetErrorProc FamilySetter() noexcept {
  HMODULE bass = GetModuleHandleW(L"bass.dll");
  if (bass == nullptr || bass == reinterpret_cast<HMODULE>(&__ImageBase)) return nullptr;
  FARPROC proc = GetProcAddress(bass, "BASS_Internal_SetError");
  return reinterpret_cast<SetErrorProc>(reinterpret_cast<void*>(proc));
}

}  // namespace

void SetError(int code) noexcept {
  if (SetErrorProc setter = FamilySetter()) {
    setter(code);
  } else {
    t_error = code;
  }
}

int LocalError() noexcept { return t_error; }

void SetLocalError(int code) noexcept { t_error = code; }

}  // namespace tavrin_bass
