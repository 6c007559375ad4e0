// bass.dll effects through the DLL: on decoding and playing channels, their
// handles and parameter checks, their place in the chain; and speed by pitch.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "bass_library.h"
#include "wav_fixtures.h"

using namespace bass_test;

namespace {

using BassEffects = BassFixture;

double Rms(const float* s, size_t frames, uint32_t channels) {
  double sum = 0;
  for (size_t i = 0; i < frames * channels; ++i) sum += double(s[i]) * s[i];
  return std::sqrt(sum / double(frames * channels));
}

std::vector<float> DecodeFloats(const BassLibrary& b, HSTREAM s, size_t frames, uint32_t channels) {
  std::vector<float> out(frames * channels);
  const DWORD bytes = static_cast<DWORD>(out.size() * 4);
  EXPECT_EQ(b.BASS_ChannelGetData(s, out.data(), bytes | BASS_DATA_FLOAT), bytes);
  return out;
}

TEST_F(BassEffects, EqualiserOnADecodingChannelAndRemovalRestoresTheDrySignal) {
  std::vector<float> samples = Sine(1000, 0.1, 44100, 88200, 2);
  HSTREAM s = OpenWav(WavBytes({}, samples), BASS_STREAM_DECODE);
  ASSERT_NE(s, 0u);
  HFX fx = b.BASS_ChannelSetFX(s, BASS_FX_PARAMEQ, 0);
  ASSERT_NE(fx, 0u) << Error();
  BASS_FXPARAMEQ band = {1000, 12, 12};
  ASSERT_TRUE(b.BASS_FXSetParameters(fx, &band)) << Error();

  std::vector<float> wet = DecodeFloats(b, s, 44100, 2);
  double gainDb = 20 * std::log10(Rms(wet.data() + 44100, 22050, 2) / Rms(samples.data() + 44100, 22050, 2));
  EXPECT_NEAR(gainDb, 12.0, 0.1);

  ASSERT_TRUE(b.BASS_ChannelRemoveFX(s, fx)) << Error();
  std::vector<int16_t> dry(44100 * 2);
  ASSERT_EQ(b.BASS_ChannelGetData(s, dry.data(), 44100 * 4), 44100u * 4);
  std::vector<int16_t> file(44100 * 2);
  std::string bytes = WavBytes({}, samples);
  std::memcpy(file.data(), bytes.data() + 44 + 44100 * 4, 44100 * 4);
  EXPECT_EQ(dry, file);

  // A removed effect is gone for good.
  EXPECT_FALSE(b.BASS_FXSetParameters(fx, &band));
  EXPECT_EQ(Error(), BASS_ERROR_HANDLE);
  EXPECT_FALSE(b.BASS_ChannelRemoveFX(s, fx));
  EXPECT_EQ(Error(), BASS_ERROR_HANDLE);
}

TEST_F(BassEffects, EchoOnAPlayingChannelRepeatsAtTheSetDelays) {
  std::vector<float> impulse(44100 * 2, 0.0f);
  impulse[0] = impulse[1] = 0.5f;
  HSTREAM s = OpenWav(WavBytes({}, impulse));
  HFX fx = b.BASS_ChannelSetFX(s, BASS_FX_ECHO, 0);
  ASSERT_NE(fx, 0u) << Error();
  BASS_FXECHO echo = {50, 50, 100, 200, FALSE};
  ASSERT_TRUE(b.BASS_FXSetParameters(fx, &echo));
  ASSERT_TRUE(b.BASS_ChannelPlay(s, FALSE));
  Advance(22050);

  std::vector<int16_t> heard = Captured();
  ASSERT_EQ(heard.size(), 22050u * 2);
  struct Tap {
    size_t frame;
    int channel;
    int value;
  } taps[] = {{0, 0, 8192}, {0, 1, 8192}, {4410, 0, 8192}, {8820, 0, 4096}, {8820, 1, 8192},
              {13230, 0, 2048}, {17640, 0, 1024}, {17640, 1, 4096}};
  std::vector<int> expected(heard.size(), 0);
  for (const Tap& t : taps) expected[t.frame * 2 + t.channel] = t.value;
  for (size_t i = 0; i < heard.size(); ++i)
    ASSERT_NEAR(heard[i], expected[i], 1) << "frame " << i / 2 << " channel " << i % 2;
}

TEST_F(BassEffects, HandlesTypesAndParameterChecks) {
  HSTREAM s = OpenWav(WavBytes({}, Constant(0.1f, 0.1f, 4410)));
  ASSERT_NE(s, 0u);
  struct TypeCase {
    DWORD type;
    int error;
  } types[] = {{BASS_FX_CHORUS, BASS_ERROR_NOTAVAIL}, {BASS_FX_I3DL2REVERB, BASS_ERROR_NOTAVAIL},
               {9, BASS_ERROR_ILLTYPE}, {0xFFFFFFFF, BASS_ERROR_ILLTYPE}};
  for (const TypeCase& c : types) {
    EXPECT_EQ(b.BASS_ChannelSetFX(s, c.type, 0), 0u) << c.type;
    EXPECT_EQ(Error(), c.error) << c.type;
  }
  EXPECT_EQ(b.BASS_ChannelSetFX(s + 1000, BASS_FX_ECHO, 0), 0u);
  EXPECT_EQ(Error(), BASS_ERROR_HANDLE);

  HFX eq = b.BASS_ChannelSetFX(s, BASS_FX_PARAMEQ, 0);
  HFX echo = b.BASS_ChannelSetFX(s, BASS_FX_ECHO, 0);
  ASSERT_TRUE(eq && echo && eq != echo);
  // A value out of range is refused with code 20 and changes nothing.
  BASS_FXPARAMEQ e = {600, 4, -15}, bad = {600, 4, 16}, got{};
  ASSERT_TRUE(b.BASS_FXSetParameters(eq, &e));
  EXPECT_FALSE(b.BASS_FXSetParameters(eq, &bad));
  EXPECT_EQ(Error(), BASS_ERROR_ILLPARAM);
  ASSERT_TRUE(b.BASS_FXGetParameters(eq, &got));
  EXPECT_EQ(std::memcmp(&got, &e, sizeof got), 0);
  EXPECT_FALSE(b.BASS_FXSetParameters(eq, nullptr));
  EXPECT_EQ(Error(), BASS_ERROR_ILLPARAM);

  // An effect belongs to its channel: removing it through another fails,
  // a DSP call does not remove it, and freeing the channel makes it stale.
  HSTREAM other = OpenWav(WavBytes({}, Constant(0, 0, 10)));
  BASS_FXECHO ec{};
  EXPECT_FALSE(b.BASS_ChannelRemoveFX(other, echo));
  EXPECT_EQ(Error(), BASS_ERROR_HANDLE);
  EXPECT_FALSE(b.BASS_ChannelRemoveDSP(s, echo));
  EXPECT_TRUE(b.BASS_FXGetParameters(echo, &ec));
  ASSERT_TRUE(b.BASS_StreamFree(s));
  EXPECT_FALSE(b.BASS_FXGetParameters(echo, &ec));
  EXPECT_EQ(Error(), BASS_ERROR_HANDLE);
  // New handles are never old ones.
  EXPECT_GT(b.BASS_ChannelSetFX(other, BASS_FX_ECHO, 0), echo);
}

// What a probe DSP saw first: records the first float of its first call.
void CALLBACK Probe(HDSP, DWORD, void* buffer, DWORD, void* user) {
  auto* seen = static_cast<float*>(user);
  if (std::isnan(*seen)) *seen = *static_cast<float*>(buffer);
}

TEST_F(BassEffects, HigherPrioritiesRunFirstWithDsps) {
  // An all-wet echo turns the first frames into silence; a DSP above it sees
  // the source, one below it sees the echo's output.
  HSTREAM s = OpenWav(WavBytes({}, Constant(0.5f, 0.5f, 4410)), BASS_STREAM_DECODE | BASS_SAMPLE_FLOAT);
  HFX fx = b.BASS_ChannelSetFX(s, BASS_FX_ECHO, 5);
  BASS_FXECHO echo = {100, 0, 50, 50, FALSE};
  ASSERT_TRUE(b.BASS_FXSetParameters(fx, &echo));
  float above = std::nanf(""), below = std::nanf(""), equal = std::nanf("");
  ASSERT_NE(b.BASS_ChannelSetDSP(s, Probe, &below, 4), 0u);
  ASSERT_NE(b.BASS_ChannelSetDSP(s, Probe, &above, 6), 0u);
  ASSERT_NE(b.BASS_ChannelSetDSP(s, Probe, &equal, 5), 0u);
  DecodeFloats(b, s, 100, 2);
  EXPECT_EQ(above, 0.5f);
  EXPECT_EQ(below, 0.0f);
  EXPECT_EQ(equal, 0.5f);  // a DSP set after an effect of its priority runs before it

  // An effect set after a DSP of the same priority runs after it.
  HSTREAM t = OpenWav(WavBytes({}, Constant(0.5f, 0.5f, 4410)), BASS_STREAM_DECODE | BASS_SAMPLE_FLOAT);
  float first = std::nanf("");
  ASSERT_NE(b.BASS_ChannelSetDSP(t, Probe, &first, 0), 0u);
  fx = b.BASS_ChannelSetFX(t, BASS_FX_ECHO, 0);
  ASSERT_TRUE(b.BASS_FXSetParameters(fx, &echo));
  DecodeFloats(b, t, 100, 2);
  EXPECT_EQ(first, 0.5f);
}

// Zero crossings per second of the left channel of a capture.
double CrossingsPerSecond(const std::vector<int16_t>& stereo, size_t from, size_t frames) {
  int crossings = 0;
  for (size_t i = from + 1; i < from + frames; ++i)
    if ((stereo[2 * (i - 1)] < 0) != (stereo[2 * i] < 0)) ++crossings;
  return crossings * 44100.0 / double(frames);
}

TEST_F(BassEffects, SpeedByFrequencyHalvesAndDoublesThePitch) {
  struct Case {
    int freq;
    double hz;
  } cases[] = {{44100, 1000}, {22050, 500}, {88200, 2000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.freq);
    HSTREAM s = OpenWav(WavBytes({}, Sine(1000, 0.5, 44100, 44100 * 2, 2)));
    ASSERT_TRUE(b.BASS_ChannelSetAttributes(s, c.freq, -1, -101));
    size_t start = Captured().size() / 2;
    ASSERT_TRUE(b.BASS_ChannelPlay(s, FALSE));
    Advance(44100 / 2);
    // Two crossings per period.
    EXPECT_NEAR(CrossingsPerSecond(Captured(), start, 44100 / 2), 2 * c.hz, 4);
    ASSERT_TRUE(b.BASS_StreamFree(s));
  }
}

}  // namespace
