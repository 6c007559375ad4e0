// Where the mixer's frames go: 16-bit stereo at the output rate. An output also
// says how many of the frames written have been heard, which is what playing
// positions, end syncs and the visualisation follow.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace bass_core {

class Output {
 public:
  virtual ~Output() = default;
  // Blocks until another block of frames may be written (true), or until stop
  // is signalled (false).
  virtual bool WaitForRoom(HANDLE stop) = 0;
  virtual void Write(const int16_t* frames, size_t count) = 0;
  virtual uint64_t HeardFrames() = 0;
  virtual void SetPaused(bool paused) = 0;
  // Ends the output; a capture file is complete afterwards. Idempotent.
  virtual void Close() = 0;
};

// The output selection of the test hooks: "auto" (waveOut, else silent), "null"
// (silent), "capture:<path>" (a WAV file); the clock is real or manual.
struct OutputChoice {
  enum class Kind { kAuto, kNull, kCapture };
  Kind kind = Kind::kAuto;
  std::wstring capturePath;
  bool manualClock = false;
};
// Empty or null text means the default; nullopt for text that is not a choice.
std::optional<OutputChoice> ParseOutputChoice(const wchar_t* output, const wchar_t* clock);

// The default device through waveOut in blockCount buffers of blockFrames;
// nullptr when no device can be opened.
std::unique_ptr<Output> OpenWaveOutOutput(uint32_t rate, size_t blockFrames, size_t blockCount);

// A silent or capturing output. With the real clock, frames count as heard as
// time passes and writing waits while leadFrames are not yet heard; with the
// manual clock every frame counts as heard when written. capturePath empty:
// nothing is kept. nullptr when the capture file cannot be created.
std::unique_ptr<Output> OpenClockOutput(uint32_t rate, size_t leadFrames, bool manualClock,
                                        const std::wstring& capturePath);

}  // namespace bass_core
