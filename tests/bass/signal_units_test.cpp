// The signal units: spectrum, resampler, history, gain laws and conversions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "bass/core/fft_magnitudes.h"
#include "bass/core/history.h"
#include "bass/core/mix.h"
#include "bass/core/resampler.h"
#include "bass/core/samples.h"
#include "wav_fixtures.h"

using namespace bass_core;

namespace {

size_t PeakBin(const std::vector<float>& bins) {
  return static_cast<size_t>(std::max_element(bins.begin(), bins.end()) - bins.begin());
}

TEST(Spectrum, SinePeaksInItsBinNearFullScale) {
  struct Case {
    size_t n;
    double hz;
    size_t bin;
    float lo, hi;
  } cases[] = {
      {512, 1000, 12, 0.80f, 1.01f},                // 11.6 bins: between two
      {1024, 1000, 23, 0.80f, 1.01f},               // 23.2 bins
      {512, 44100.0 * 20 / 512, 20, 0.99f, 1.01f},  // centred on bin 20
      {1024, 44100.0 * 100 / 1024, 100, 0.99f, 1.01f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.n);
    std::vector<float> s = bass_test::Sine(c.hz, 1.0, 44100, c.n, 1), bins(c.n / 2);
    ASSERT_TRUE(MagnitudeSpectrum(s.data(), c.n, true, bins.data()));
    EXPECT_EQ(PeakBin(bins), c.bin);
    EXPECT_GE(bins[c.bin], c.lo);
    EXPECT_LE(bins[c.bin], c.hi);
    // The Hann window keeps the leakage far from the peak low.
    EXPECT_LT(bins[(c.bin + c.n / 4) % (c.n / 2)], 0.01f);
  }
}

TEST(Spectrum, MatchesADirectTransform) {
  const size_t n = 64;
  std::vector<float> x(n), bins(n / 2);
  uint32_t seed = 7;
  for (float& v : x) v = float(int32_t(seed = seed * 1664525 + 1013904223)) / 2147483648.0f;
  for (bool hann : {false, true}) {
    ASSERT_TRUE(MagnitudeSpectrum(x.data(), n, hann, bins.data()));
    double sumWindow = 0;
    for (size_t i = 0; i < n; ++i) sumWindow += hann ? 0.5 - 0.5 * std::cos(2 * std::numbers::pi * double(i) / n) : 1;
    for (size_t k = 0; k < n / 2; ++k) {
      double re = 0, im = 0;
      for (size_t i = 0; i < n; ++i) {
        double w = hann ? 0.5 - 0.5 * std::cos(2 * std::numbers::pi * double(i) / n) : 1;
        re += x[i] * w * std::cos(2 * std::numbers::pi * double(k * i) / n);
        im -= x[i] * w * std::sin(2 * std::numbers::pi * double(k * i) / n);
      }
      EXPECT_NEAR(bins[k], std::hypot(re, im) * 2 / sumWindow, 1e-4) << k << " " << hann;
    }
  }
}

TEST(Spectrum, ScalesWithAmplitudeAndRejectsOddSizes) {
  std::vector<float> s = bass_test::Sine(44100.0 * 8 / 512, 0.25, 44100, 512, 1), bins(256);
  ASSERT_TRUE(MagnitudeSpectrum(s.data(), 512, false, bins.data()));
  EXPECT_NEAR(bins[8], 0.25f, 1e-4f);
  std::vector<float> silence(512, 0.0f);
  ASSERT_TRUE(MagnitudeSpectrum(silence.data(), 512, true, bins.data()));
  EXPECT_EQ(*std::max_element(bins.begin(), bins.end()), 0.0f);
  EXPECT_FALSE(MagnitudeSpectrum(s.data(), 500, true, bins.data()));
  EXPECT_FALSE(MagnitudeSpectrum(s.data(), 16384, true, bins.data()));
}

// A source of the frame numbers 0, 1, 2, ... (mono), n frames long.
struct Counter {
  size_t next = 0, total;
  explicit Counter(size_t n) : total(n) {}
  size_t operator()(float* out, size_t frames) {
    size_t n = std::min(frames, total - next);
    for (size_t i = 0; i < n; ++i) out[i] = float(next + i);
    next += n;
    return n;
  }
};

TEST(Resampler, StepsThroughTheSource) {
  struct Case {
    double step;
    size_t source, produced;
    std::vector<float> first;
  } cases[] = {
      {1.0, 3000, 3000, {0, 1, 2, 3}},
      {2.0, 3000, 1500, {0, 2, 4, 6}},
      {0.5, 3000, 6000, {0, 0.5f, 1, 1.5f}},
      {1.5, 3000, 2000, {0, 1.5f, 3, 4.5f}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.step);
    Resampler r(1);
    Counter source(c.source);
    Resampler::Pull pull = std::ref(source);
    std::vector<float> out(10000);
    size_t total = 0;
    while (size_t n = r.Produce(out.data() + total, 700, c.step, pull)) total += n;
    EXPECT_NEAR(double(total), double(c.produced), 1.0);
    for (size_t i = 0; i < c.first.size(); ++i) EXPECT_FLOAT_EQ(out[i], c.first[i]);
    EXPECT_GE(r.Position(), double(c.source) - 1);
  }
}

TEST(Resampler, GoesOnAfterAStall) {
  Resampler r(1);
  Counter source(100);
  size_t allowed = 0;
  Resampler::Pull pull = [&](float* out, size_t n) { return source(out, std::min(n, allowed)); };
  std::vector<float> out(200);
  EXPECT_EQ(r.Produce(out.data(), 50, 1.0, pull), 0u);
  allowed = 1000;
  EXPECT_EQ(r.Produce(out.data(), 50, 1.0, pull), 50u);
  EXPECT_EQ(out[49], 49.0f);
}

TEST(History, KeepsTheLatestFramesByIndex) {
  History h(2, 8);
  std::vector<float> frames;
  for (int i = 0; i < 12; ++i) frames.insert(frames.end(), {float(i), float(-i)});
  h.Append(frames.data(), 12);  // keeps frames 4..11
  std::vector<float> out(2 * 4);
  h.CopyBefore(10, 4, out.data());
  EXPECT_EQ(out, (std::vector<float>{6, -6, 7, -7, 8, -8, 9, -9}));
  h.CopyBefore(6, 4, out.data());  // 2 and 3 are gone
  EXPECT_EQ(out, (std::vector<float>{0, 0, 0, 0, 4, -4, 5, -5}));
  h.CopyBefore(2, 4, out.data());  // before the start
  EXPECT_EQ(out, (std::vector<float>(8, 0)));
  h.Clear(100);
  h.Append(frames.data(), 1);
  h.CopyBefore(101, 2, out.data());
  EXPECT_EQ(out[2], 0.0f);
  EXPECT_EQ(h.End(), 101u);
}

TEST(GainLaws, VolumeCurves) {
  struct Case {
    uint32_t volume;
    bool log;
    float gain;
  } cases[] = {
      {100, false, 1.0f}, {50, false, 0.5f},  {0, false, 0.0f},     {150, false, 1.0f},
      {100, true, 1.0f},  {80, true, 0.316228f}, {60, true, 0.1f}, {0, true, 0.0f},
  };
  for (const Case& c : cases) EXPECT_NEAR(VolumeGain(c.volume, c.log), c.gain, 1e-5f) << c.volume << " " << c.log;
}

TEST(GainLaws, PanIsABalance) {
  struct Case {
    int pan;
    float left, right;
  } cases[] = {{0, 1, 1}, {100, 0, 1}, {-100, 1, 0}, {50, 0.5f, 1}, {-25, 1, 0.75f}, {300, 0, 1}};
  for (const Case& c : cases) {
    StereoGain g = PanGains(c.pan);
    EXPECT_FLOAT_EQ(g.left, c.left) << c.pan;
    EXPECT_FLOAT_EQ(g.right, c.right) << c.pan;
  }
}

TEST(Mixing, SourcesOfAnyWidthLandOnTwoSides) {
  struct Case {
    uint32_t channels;
    std::vector<float> frame;
    float left, right;
  } cases[] = {
      {1, {0.5f}, 0.5f, 0.5f},
      {2, {0.5f, -0.25f}, 0.5f, -0.25f},
      {4, {0.2f, 0.4f, 0.6f, 0.8f}, 0.4f, 0.6f},
  };
  for (const Case& c : cases) {
    float stereo[2] = {0.1f, 0.1f};
    MixIntoStereo(c.frame.data(), 1, c.channels, {1, 1}, {1, 1}, stereo);
    EXPECT_FLOAT_EQ(stereo[0], 0.1f + c.left) << c.channels;
    EXPECT_FLOAT_EQ(stereo[1], 0.1f + c.right) << c.channels;
  }
  // Gains ramp across the block from `from` to `to`.
  std::vector<float> ones(4, 1.0f), out(8, 0.0f);
  MixIntoStereo(ones.data(), 4, 1, {0, 0}, {1, 1}, out.data());
  EXPECT_EQ(out, (std::vector<float>{0, 0, 0.25f, 0.25f, 0.5f, 0.5f, 0.75f, 0.75f}));
}

TEST(Samples, ConversionsRoundAndClip) {
  const float in[] = {0.0f, 0.5f, -1.0f, 1.0f, 2.0f, -3.0f, 1.0f / 32768, NAN};
  int16_t s16[8];
  EncodeSamples(in, 8, SampleFormat::kSigned16, s16);
  EXPECT_EQ(std::vector<int16_t>(s16, s16 + 8),
            (std::vector<int16_t>{0, 16384, -32768, 32767, 32767, -32768, 1, -32768}));
  uint8_t u8[8];
  EncodeSamples(in, 8, SampleFormat::kUnsigned8, u8);
  EXPECT_EQ(std::vector<uint8_t>(u8, u8 + 6), (std::vector<uint8_t>{128, 192, 0, 255, 255, 0}));
  float back[8];
  SamplesToFloat(s16, 8, SampleFormat::kSigned16, back);
  EXPECT_EQ(back[1], 0.5f);
  EXPECT_EQ(back[6], 1.0f / 32768);
}

// Conversions run eight samples at a time with a tail one at a time; both
// must give what the rule gives for every value: 16-bit samples are the float
// times 32768, plus a half away from zero in single precision, truncated and
// clipped; back to floats each is divided by 32768, exactly.
TEST(Samples, BlocksAndTailsConvertAlike) {
  auto rule = [](float v) -> int16_t {
    const float x = v * 32768;
    if (!(x > -32768.0f)) return -32768;
    if (x >= 32767.0f) return 32767;
    return static_cast<int16_t>(x < 0 ? x - 0.5f : x + 0.5f);
  };
  std::vector<float> in = {-0.0f, INFINITY, -INFINITY, NAN, -NAN, 32767.5f / 32768, 32766.5f / 32768,
                           -32767.5f / 32768, -32768.5f / 32768, 0.5f / 32768, -0.5f / 32768,
                           1.5f / 32768, -1.5f / 32768, std::nextafter(0.5f, 0.0f) / 32768,
                           std::nextafter(-0.5f, 0.0f) / 32768, 1e-30f, -1e-30f, 3e38f, -3e38f};
  uint32_t seed = 1;
  for (int i = 0; i < 4001; ++i) {  // an odd count leaves a tail
    seed = seed * 1664525 + 1013904223;
    in.push_back((static_cast<int32_t>(seed) / 2147483648.0f) * 1.25f);
  }
  std::vector<int16_t> out(in.size());
  for (size_t from : {size_t{0}, size_t{3}}) {  // misaligned starts too
    EncodeSamples(in.data() + from, in.size() - from, SampleFormat::kSigned16, out.data());
    for (size_t i = from; i < in.size(); ++i)
      ASSERT_EQ(out[i - from], rule(in[i])) << "sample " << i << " = " << in[i];
  }

  std::vector<int16_t> all(65536 + 5);
  for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<int16_t>(i - 32768);
  std::vector<float> floats(all.size());
  SamplesToFloat(all.data(), all.size(), SampleFormat::kSigned16, floats.data());
  for (size_t i = 0; i < all.size(); ++i) ASSERT_EQ(floats[i], all[i] / 32768.0f) << all[i];
  std::vector<int16_t> again(all.size());
  EncodeSamples(floats.data(), floats.size(), SampleFormat::kSigned16, again.data());
  EXPECT_EQ(again, all);
}

}  // namespace
