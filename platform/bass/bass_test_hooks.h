// Test hooks of bass.dll, read only by the stand-in; defined by the core.
// They are exported beside the 94 names (TAVRIN_BASS_TEST_EXPORTS) and never
// fetched by the program's loaders.
#pragma once

#include <windows.h>

extern "C" BOOL WINAPI BASS_Test_AdvanceClock(DWORD frames);
extern "C" BOOL WINAPI BASS_Test_SetOutput(const char* spec);
