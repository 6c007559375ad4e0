// The program folder's bass.dll and bassenc.dll loaded and started as the
// player does, for the encoding benchmarks; the folder becomes the current
// one, where the player finds lame.exe and oggenc.exe beside itself.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

#include "engine/bass22_dynamic.h"
#include "engine/bassenc22_dynamic.h"

// False (said on stderr) when the libraries cannot be loaded or started.
inline bool StartEncodingLibraries(const std::wstring& Folder) {
  if (!Bass22_dynamic::Load_BASSDLL(Folder + L"bass.dll") ||
      !BassEnc22_dynamic::Load_BASSENCDLL(Folder + L"bassenc.dll") ||
      !Bass22_dynamic::BASS_Init(0, 44100, 0, nullptr, nullptr)) {
    fprintf(stderr, "cannot load or start BASS from the program folder\n");
    return false;
  }
  SetCurrentDirectoryW(Folder.c_str());
  return true;
}
