// The effects alone: equaliser gains and stability, the echo's impulse
// response, the reverb's tail, and the parameter ranges of all three.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "bass/core/echo.h"
#include "bass/core/param_eq.h"
#include "bass/core/reverb.h"
#include "wav_fixtures.h"

using namespace bass_core;

namespace {

// Root mean square of one channel over frames [from, to).
double Rms(const std::vector<float>& s, uint32_t channels, uint32_t channel, size_t from, size_t to) {
  double sum = 0;
  for (size_t i = from; i < to; ++i) sum += double(s[i * channels + channel]) * s[i * channels + channel];
  return std::sqrt(sum / double(to - from));
}

double Db(double ratio) { return 20 * std::log10(ratio); }

// Deterministic white noise in -amplitude..amplitude.
std::vector<float> Noise(size_t samples, float amplitude, uint32_t seed = 1) {
  std::vector<float> s(samples);
  for (float& v : s) {
    seed = seed * 1664525 + 1013904223;
    v = amplitude * (float(int32_t(seed)) / 2147483648.0f);
  }
  return s;
}

TEST(ParamEqUnit, GainAtAndAwayFromTheCentre) {
  struct Case {
    uint32_t rate;
    BASS_FXPARAMEQ band;
    double toneHz, expectedDb, toleranceDb;
  } cases[] = {
      {44100, {1000, 12, 12}, 1000, 12, 0.05},
      {44100, {1000, 12, 12}, 100, 0, 0.3},
      {44100, {1000, 12, -12}, 1000, -12, 0.05},
      {44100, {1000, 5, 15}, 10000, 0, 0.3},
      {44100, {1000, 12, 0}, 1000, 0, 0},
      // The player's band 10 on a 22.05 kHz file peaks at 0.45 x the rate.
      {22050, {14000, 3, 15}, 0.45 * 22050, 15, 0.05},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rate << " Hz, centre " << c.band.fCenter << ", gain "
                                    << c.band.fGain << ", tone " << c.toneHz);
    ParamEq eq(c.rate, 2);
    ASSERT_TRUE(eq.Set(c.band));
    std::vector<float> in = bass_test::Sine(c.toneHz, 0.1, c.rate, c.rate, 2), out = in;
    eq.Process(out.data(), c.rate);
    for (uint32_t ch = 0; ch < 2; ++ch) {
      double got = Db(Rms(out, 2, ch, c.rate / 2, c.rate) / Rms(in, 2, ch, c.rate / 2, c.rate));
      EXPECT_NEAR(got, c.expectedDb, c.toleranceDb) << "channel " << ch;
    }
  }
}

TEST(ParamEqUnit, ThePlayersTenBandsStayStableAtFullBoostOn22kHz) {
  const float centres[] = {80, 170, 310, 600, 1000, 3000, 6000, 10000, 12000, 14000};
  const float widths[] = {4, 4, 4, 4, 5, 6, 5, 4, 3, 3};
  const uint32_t rate = 22050;
  for (float gain : {15.0f, -15.0f}) {
    SCOPED_TRACE(gain);
    std::vector<ParamEq> bands;
    for (int i = 0; i < 10; ++i) {
      bands.emplace_back(rate, 2);
      ASSERT_TRUE(bands.back().Set({centres[i], widths[i], gain}));
    }
    // Five seconds of noise, then two of silence: a stable chain rings down.
    std::vector<float> s = Noise(size_t{rate} * 2 * 5, 0.01f);
    s.resize(size_t{rate} * 2 * 7, 0.0f);
    for (ParamEq& b : bands) b.Process(s.data(), s.size() / 2);
    EXPECT_TRUE(std::all_of(s.begin(), s.end(), [](float v) { return std::isfinite(v); }));
    float tail = 0;
    for (size_t i = size_t{rate} * 2 * 13 / 2; i < s.size(); ++i) tail = std::max(tail, std::fabs(s[i]));
    EXPECT_LT(tail, 1e-6f);
  }
}

TEST(EchoUnit, ImpulseResponseAtTheSetDelays) {
  // At 1 kHz a frame is a millisecond.
  struct Tap {
    size_t frame;
    uint32_t channel;
    float value;
  };
  struct Case {
    const char* what;
    uint32_t channels;
    BASS_FXECHO p;
    std::vector<float> impulse;  // the first frame
    std::vector<Tap> taps;       // every non-zero output sample
  } cases[] = {
      {"stereo, half wet, half feedback", 2, {50, 50, 10, 20, FALSE}, {1, 1},
       {{0, 0, .5f}, {0, 1, .5f}, {10, 0, .5f}, {20, 0, .25f}, {20, 1, .5f}, {30, 0, .125f},
        {40, 0, .0625f}, {40, 1, .25f}}},
      {"all wet, no feedback", 2, {100, 0, 7, 3, FALSE}, {1, -1}, {{7, 0, 1}, {3, 1, -1}}},
      {"all dry", 2, {0, 80, 7, 3, FALSE}, {1, 1}, {{0, 0, 1}, {0, 1, 1}}},
      // The feedback crosses to the other side: echoes alternate.
      {"pan delay", 2, {50, 50, 10, 20, TRUE}, {1, 0}, {{0, 0, .5f}, {10, 0, .5f}, {30, 1, .25f}, {40, 0, .125f}}},
      {"mono takes the left delay", 1, {50, 50, 10, 20, TRUE}, {1},
       {{0, 0, .5f}, {10, 0, .5f}, {20, 0, .25f}, {30, 0, .125f}, {40, 0, .0625f}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Echo echo(1000, c.channels);
    ASSERT_TRUE(echo.Set(c.p));
    const size_t frames = 45;
    std::vector<float> s(frames * c.channels, 0.0f);
    std::copy(c.impulse.begin(), c.impulse.end(), s.begin());
    // In uneven blocks: the line carries over between calls.
    echo.Process(s.data(), 13);
    echo.Process(s.data() + 13 * c.channels, frames - 13);
    std::vector<float> expected(s.size(), 0.0f);
    for (const Tap& t : c.taps)
      if (t.frame < frames) expected[t.frame * c.channels + t.channel] = t.value;
    for (size_t i = 0; i < s.size(); ++i)
      EXPECT_NEAR(s[i], expected[i], 1e-6) << "frame " << i / c.channels << " channel " << i % c.channels;
  }
}

TEST(EchoUnit, FullFeedbackStaysFiniteAndResetSilencesTheLine) {
  Echo echo(8000, 2);
  ASSERT_TRUE(echo.Set({100, 100, 1, 1, FALSE}));
  std::vector<float> s(8000 * 2, 1.0f);
  echo.Process(s.data(), 8000);
  EXPECT_TRUE(std::all_of(s.begin(), s.end(), [](float v) { return std::isfinite(v) && std::fabs(v) <= 8; }));
  echo.Reset();
  std::vector<float> silence(200, 0.0f);
  echo.Process(silence.data(), 100);
  EXPECT_EQ(*std::max_element(silence.begin(), silence.end()), 0.0f);
}

// The tail of an impulse through the reverb, mono at 44.1 kHz, dry part
// removed.
std::vector<float> ReverbTail(const BASS_FXREVERB& p, size_t frames) {
  Reverb reverb(44100, 1);
  EXPECT_TRUE(reverb.Set(p));
  std::vector<float> s(frames, 0.0f);
  s[0] = 1;
  reverb.Process(s.data(), 1000);
  reverb.Process(s.data() + 1000, frames - 1000);
  s[0] -= 1;
  return s;
}

// Level in dB of the 50 ms of tail starting at `ms`.
double TailDb(const std::vector<float>& tail, double ms) {
  size_t from = size_t(ms * 44.1);
  return Db(Rms(tail, 1, 0, from, from + 2205));
}

TEST(ReverbUnit, TailFallsBySixtyDecibelsPerReverbTime) {
  struct Case {
    float timeMs;
    double fromMs, toMs;
  } cases[] = {{1000, 200, 700}, {500, 150, 400}, {2000, 300, 1300}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.timeMs);
    std::vector<float> tail = ReverbTail({0, 0, c.timeMs, 0.999f}, 44100 * 2);
    const double expected = 60 * (c.toMs - c.fromMs) / c.timeMs;
    EXPECT_NEAR(TailDb(tail, c.fromMs) - TailDb(tail, c.toMs), expected, 1.5);
    // And it is really a tail, not silence.
    EXPECT_GT(TailDb(tail, c.fromMs), -80);
  }
}

TEST(ReverbUnit, ShapedByHighFrequencyRatioAndMix) {
  const size_t n = 44100;
  std::vector<float> bright = ReverbTail({0, 0, 1000, 0.999f}, n);
  std::vector<float> dark = ReverbTail({0, 0, 1000, 0.1f}, n);
  EXPECT_LT(TailDb(dark, 500), TailDb(bright, 500) - 6);
  // The same network twice gives the same tail, sample for sample.
  EXPECT_EQ(bright, ReverbTail({0, 0, 1000, 0.999f}, n));
  // The mix is the wet level in dB.
  std::vector<float> quieter = ReverbTail({0, -12, 1000, 0.999f}, n);
  EXPECT_NEAR(TailDb(bright, 100) - TailDb(quieter, 100), 12, 0.01);
}

TEST(EffectUnits, RejectValuesOutOfRangeAndKeepTheOldOnes) {
  const float nan = std::nanf("");
  struct EqCase {
    BASS_FXPARAMEQ p;
    bool ok;
  } eq[] = {{{80, 1, -15}, true},     {{16000, 36, 15}, true}, {{79.9f, 12, 0}, false},
            {{1000, 37, 0}, false},    {{1000, 12, 15.1f}, false}, {{nan, 12, 0}, false}};
  for (const EqCase& c : eq) {
    ParamEq e(44100, 2);
    EXPECT_EQ(e.Set(c.p), c.ok) << c.p.fCenter << " " << c.p.fBandwidth << " " << c.p.fGain;
    BASS_FXPARAMEQ got = e.Parameters(), want = c.ok ? c.p : BASS_FXPARAMEQ{8000, 12, 0};
    EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0);
  }
  struct EchoCase {
    BASS_FXECHO p;
    bool ok;
  } echo[] = {{{0, 0, 1, 1, FALSE}, true},          {{100, 100, 2000, 2000, TRUE}, true},
              {{101, 50, 500, 500, FALSE}, false},   {{50, 50, 0.5f, 500, FALSE}, false},
              {{50, 50, 500, 500, 2}, false},        {{50, nan, 500, 500, FALSE}, false}};
  for (const EchoCase& c : echo) {
    Echo e(44100, 2);
    EXPECT_EQ(e.Set(c.p), c.ok) << c.p.fWetDryMix << " " << c.p.fFeedback << " " << c.p.fLeftDelay
                                << " " << c.p.fRightDelay << " " << c.p.lPanDelay;
    BASS_FXECHO got = e.Parameters(), want = c.ok ? c.p : BASS_FXECHO{50, 50, 500, 500, FALSE};
    EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0);
  }
  struct ReverbCase {
    BASS_FXREVERB p;
    bool ok;
  } reverb[] = {{{-96, -96, 0.001f, 0.001f}, true}, {{0, 0, 3000, 0.999f}, true},
                {{0.1f, 0, 1000, 0.5f}, false},     {{0, 0, 0, 0.5f}, false},
                {{0, 0, 1000, 1}, false},           {{0, 0, 1000, nan}, false}};
  for (const ReverbCase& c : reverb) {
    Reverb e(44100, 2);
    EXPECT_EQ(e.Set(c.p), c.ok) << c.p.fInGain << " " << c.p.fReverbMix << " " << c.p.fReverbTime
                                << " " << c.p.fHighFreqRTRatio;
    BASS_FXREVERB got = e.Parameters(), want = c.ok ? c.p : BASS_FXREVERB{0, 0, 1000, 0.001f};
    EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0);
  }
}

}  // namespace
