// Tiny tracker modules written in code: one instrument holding one looped
// cycle of a sine (32 samples), one note on the first row of channel 1, and a
// pattern break on row 16, so each song lasts 16 rows at speed 6 and 125 BPM:
// 1.92 seconds.
#pragma once

#include <string>

namespace bass_test {

constexpr double kModuleSeconds = 16 * 6 * 2.5 / 125;
// The tone each module plays: the sample's rate at the note, over 32 samples.
constexpr double kModTone = 3546895.0 / 428 / 32;  // period 428 on a PAL Amiga
constexpr double kXmTone = 8363.0 / 32;            // C-4 with no relative note
constexpr double kS3mTone = 8363.0 / 32;           // C-4 at a C2 speed of 8363 Hz

std::string MakeMod(const std::string& title);
std::string MakeXm(const std::string& title);
std::string MakeS3m(const std::string& title);

}  // namespace bass_test
