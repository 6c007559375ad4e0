// The files make_codec_fixtures.sh wrote into the build folder, and what the
// codec tests do with decoded audio.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bass_library.h"

namespace bass_test {

constexpr uint32_t kToneFrames = 3 * 44100;  // of every tone.* fixture

// The fixture's full Windows name, and its bytes.
std::wstring CodecFixture(const std::wstring& name);
std::string ReadCodecFixture(const std::wstring& name);

// The 16-bit samples of a PCM WAV file's data chunk; empty when there is none.
std::vector<int16_t> WavSamples16(const std::string& file);

// Everything a decoding channel still gives, fetched in blocks of `block`
// bytes; stops at a failure or after maxBytes.
std::vector<int16_t> DecodeAll16(const BassLibrary& b, DWORD handle, size_t maxBytes = 64u << 20,
                                 DWORD block = 20000);

// basswma.dll's stream creator, loaded once from the program folder.
decltype(&::BASS_WMA_StreamCreateFile) WmaStreamCreateFile();

// The largest difference between a and b over their common length.
int MaxDifference(const std::vector<int16_t>& a, const std::vector<int16_t>& b, size_t offset = 0);

// The tone of interleaved stereo samples (left + right) over [from, from +
// frames), in Hz, by counting rising zero crossings.
double ToneFrequency(const std::vector<int16_t>& stereo, uint32_t rate, size_t from, size_t frames);

// The peak of |sample| over interleaved samples [from, to).
int Peak(const std::vector<int16_t>& samples, size_t from, size_t to);

}  // namespace bass_test
