// Test hooks of bass.dll, read only by the stand-in; defined by the core.
// They are exported beside the 94 names (TAVRIN_BASS_TEST_EXPORTS) and never
// fetched by the program's loaders.
//
// The same choices can be made through the environment, read at BASS_Init:
//   TAVRIN_BASS_OUTPUT  "auto" (default: waveOut, else a silent output),
//                       "null" (silent, paced by the clock), or
//                       "capture:<Windows path of a WAV file>" (every mixed
//                       16-bit stereo frame is written there; the header is
//                       kept right after every block and at BASS_Free);
//   TAVRIN_BASS_CLOCK   "real" (default) or "manual": nothing plays until
//                       BASS_Test_AdvanceClock.
// and, read when the library loads:
//   TAVRIN_BASS_CHANNEL_LOG  <Windows path of a text file>: "<open> <most>"
//                       after every channel created or freed, the channels
//                       open then and the most open at once; BASS_Free does
//                       not write it, so after an exit it counts the channels
//                       the program left open.
// and, read once when first needed:
//   TAVRIN_BASS_DECODE_COUNT  a Windows path: the number of decoding channels
//                       open is written there (as decimal text) after every
//                       channel made or freed, and at BASS_Free the number
//                       the program left open, so that a test outside the
//                       process sees every decoding channel freed.
#pragma once

#include <windows.h>

extern "C" {
// Chooses the output and the clock for the next BASS_Init, overriding the
// environment; with both nullptr the environment applies again. FALSE with
// BASS_ERROR_ALREADY after BASS_Init, BASS_ERROR_ILLPARAM for other texts.
BOOL WINAPI BASS_Test_SetOutput(const wchar_t* output, const wchar_t* clock);

// Manual clock: mixes exactly `frames` output frames on the calling thread and
// runs the syncs that fell due before returning. FALSE with BASS_ERROR_INIT
// before BASS_Init, BASS_ERROR_NOTAVAIL with the real clock.
BOOL WINAPI BASS_Test_AdvanceClock(DWORD frames);
}
