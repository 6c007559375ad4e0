// Samples for the WAV files the tests make (the writer is the shared one), and
// the samples of a capture file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "wav_bytes.h"

namespace bass_test {

// The shared writer, in the namespace every test here opens.
using testing_support::FmtChunk;
using testing_support::RiffChunk;
using testing_support::SampleBytes;
using testing_support::WavBytes;
using testing_support::WavLayout;

// frames frames of a sine on every channel.
std::vector<float> Sine(double hz, double amplitude, uint32_t rate, size_t frames,
                        uint32_t channels);
// frames frames holding `left` and `right` (a stereo constant).
std::vector<float> Constant(float left, float right, size_t frames);

// The 16-bit stereo samples of a capture file; empty when it is not one.
std::vector<int16_t> CaptureSamples(const std::string& file);

}  // namespace bass_test
