// A 16-bit PCM WAV file written as frames arrive, with its sizes kept right
// after every append so that the file is readable at any moment.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace bass_core {

class WavWriter {
 public:
  WavWriter() = default;
  ~WavWriter();
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;

  bool Create(const std::wstring& fileName, uint32_t rate, uint32_t channels);
  // Appends whole frames while the file stays below the 4 GB a WAV can describe.
  void Append(const int16_t* samples, size_t count);
  void Close();

 private:
  void PatchSizes();
  HANDLE file_ = INVALID_HANDLE_VALUE;
  uint32_t channels_ = 0;
  uint64_t dataBytes_ = 0;
};

}  // namespace bass_core
