// Shared set-up of the player tests: the program folder's DLLs with a manual
// clock and silent output, fake CD discs, recorded message boxes.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/bass_player.h"

namespace player_test {

struct Box {
  std::wstring Text;
  std::wstring Caption;
  UINT Flags;
};

// Records every message box while it lives, instead of showing it.
class BoxRecorder {
 public:
  BoxRecorder();
  ~BoxRecorder();
  std::vector<Box> Boxes;
};

// A 44100 Hz stereo 16-bit WAV of frames frames of a quiet tone.
std::string CdWav(uint32_t frames);

// The fake discs, made once for the process (basscd reads the variable at
// its first use): X: 3 tracks (audio 1 s, data, audio 2 s) with CD-Text,
// Y: 12 tracks of 0.5 s without CD-Text, Z: no disc.
std::wstring FakeDiscFolder(char letter);

// A codec fixture made by tests/bass/make_codec_fixtures.sh.
std::wstring CodecFixture(const std::wstring& name);

// A player on the build's program folder, its output silent and its clock
// manual.
std::unique_ptr<TBASSPlayer> MakePlayer();

// Plays frames output frames (manual clock) and handles what was posted.
void Advance(uint32_t frames);

}  // namespace player_test
