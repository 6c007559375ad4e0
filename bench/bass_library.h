// bass.dll of the build's program folder, loaded by hand the way the player's
// loader does it, for the benchmarks (they live in <build>/bench).
#pragma once

#include <windows.h>

#include <string>

#include "bass/bass_api.h"

struct Bass {
#define TAVRIN_BASS_MEMBER(name) decltype(&::name) name = nullptr;
  TAVRIN_BASS_ENTRY_POINTS(TAVRIN_BASS_MEMBER)
  TAVRIN_BASS_TEST_EXPORTS(TAVRIN_BASS_MEMBER)
#undef TAVRIN_BASS_MEMBER
};

// False when <exe folder>\..\bin\bass.dll cannot be loaded.
inline bool Load(Bass& b) {
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring path = exe;
  path.resize(path.find_last_of(L'\\') + 1);
  HMODULE module = LoadLibraryW((path + L"..\\bin\\bass.dll").c_str());
  if (!module) return false;
#define TAVRIN_BASS_FETCH(name) \
  b.name = reinterpret_cast<decltype(&::name)>(reinterpret_cast<void*>(GetProcAddress(module, #name)));
  TAVRIN_BASS_ENTRY_POINTS(TAVRIN_BASS_FETCH)
  TAVRIN_BASS_TEST_EXPORTS(TAVRIN_BASS_FETCH)
#undef TAVRIN_BASS_FETCH
  return true;
}
