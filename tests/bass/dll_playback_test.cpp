// bass.dll playing through the mixer, on the manual clock with a capture file:
// positions, pause, end syncs, spectra, gain laws and speed.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>

#include "bass_library.h"
#include "wav_fixtures.h"

using namespace bass_test;

namespace {

using BassPlayback = BassFixture;

// A stereo ramp whose every frame is distinct: left i, right -i (in 1/32768).
std::vector<float> Ramp(size_t frames) {
  std::vector<float> s(frames * 2);
  for (size_t i = 0; i < frames; ++i) {
    s[2 * i] = float(i % 30000) / 32768;
    s[2 * i + 1] = -float(i % 30000) / 32768;
  }
  return s;
}

struct SyncLog {
  std::atomic<int> count{0};
  HSYNC lastSync = 0;
  DWORD lastChannel = 0;
  QWORD positionInside = 0;
};

void CALLBACK CountSync(HSYNC sync, DWORD channel, DWORD, void* user) {
  auto* log = static_cast<SyncLog*>(user);
  log->lastSync = sync;
  log->lastChannel = channel;
  // Calling back into the library from a sync must not deadlock.
  log->positionInside = Bass().BASS_ChannelGetPosition(channel);
  ++log->count;
}

TEST_F(BassPlayback, PositionFollowsWhatIsHeardAndPauseKeepsIt) {
  HSTREAM s = OpenWav(WavBytes({}, Ramp(44100)));
  ASSERT_NE(s, 0u);
  EXPECT_EQ(b.BASS_ChannelIsActive(s), BASS_ACTIVE_STOPPED);
  ASSERT_TRUE(b.BASS_ChannelPlay(s, FALSE));
  EXPECT_EQ(b.BASS_ChannelGetPosition(s), 0u);
  Advance(11025);
  EXPECT_EQ(b.BASS_ChannelIsActive(s), BASS_ACTIVE_PLAYING);
  EXPECT_EQ(b.BASS_ChannelGetPosition(s), 44100u);

  ASSERT_TRUE(b.BASS_ChannelPause(s));
  EXPECT_EQ(b.BASS_ChannelIsActive(s), BASS_ACTIVE_PAUSED);
  EXPECT_FALSE(b.BASS_ChannelPause(s));
  EXPECT_EQ(Error(), BASS_ERROR_ALREADY);
  Advance(4410);
  EXPECT_EQ(b.BASS_ChannelGetPosition(s), 44100u);
  ASSERT_TRUE(b.BASS_ChannelPlay(s, FALSE));
  Advance(11025);
  EXPECT_EQ(b.BASS_ChannelGetPosition(s), 88200u);

  // Heard: the first quarter second, silence while paused, then the second.
  std::vector<int16_t> heard = Captured();
  ASSERT_EQ(heard.size(), size_t(2 * (11025 + 4410 + 11025)));
  for (size_t i = 0; i < 11025; ++i) ASSERT_EQ(heard[2 * i], int16_t(i)) << i;
  for (size_t i = 11025; i < 11025 + 4410; ++i) ASSERT_EQ(heard[2 * i], 0) << i;
  for (size_t i = 0; i < 11025; ++i) {
    ASSERT_EQ(heard[2 * (15435 + i)], int16_t(11025 + i)) << i;
    ASSERT_EQ(heard[2 * (15435 + i) + 1], int16_t(-int(11025 + i))) << i;
  }

  // Stop keeps the position too; a restart goes back to the start.
  ASSERT_TRUE(b.BASS_ChannelStop(s));
  EXPECT_EQ(b.BASS_ChannelIsActive(s), BASS_ACTIVE_STOPPED);
  EXPECT_EQ(b.BASS_ChannelGetPosition(s), 88200u);
  ASSERT_TRUE(b.BASS_ChannelPlay(s, TRUE));
  EXPECT_EQ(b.BASS_ChannelGetPosition(s), 0u);
  ASSERT_TRUE(b.BASS_ChannelSetPosition(s, 40000));
  Advance(100);
  EXPECT_EQ(b.BASS_ChannelGetPosition(s), 40400u);
}

TEST_F(BassPlayback, EndSyncFiresOnceWhenTheLastSampleIsHeard) {
  HSTREAM s = OpenWav(WavBytes({}, Ramp(4410)));
  SyncLog log;
  HSYNC sync = b.BASS_ChannelSetSync(s, BASS_SYNC_END, 0, CountSync, &log);
  ASSERT_NE(sync, 0u);
  ASSERT_TRUE(b.BASS_ChannelPlay(s, FALSE));
  Advance(4409);
  EXPECT_EQ(log.count, 0);
  EXPECT_EQ(b.BASS_ChannelIsActive(s), BASS_ACTIVE_PLAYING);
  Advance(1);
  EXPECT_EQ(log.count, 1);
  EXPECT_EQ(log.lastSync, sync);
  EXPECT_EQ(log.lastChannel, s);
  EXPECT_EQ(log.positionInside, 4410u * 4);
  EXPECT_EQ(b.BASS_ChannelIsActive(s), BASS_ACTIVE_STOPPED);
  EXPECT_EQ(b.BASS_ChannelGetPosition(s), 4410u * 4);
  Advance(44100);
  EXPECT_EQ(log.count, 1);
  float fft[256];
  EXPECT_EQ(b.BASS_ChannelGetData(s, fft, BASS_DATA_FFT512), DWORD(-1));
  EXPECT_EQ(Error(), BASS_ERROR_NOPLAY);

  // Played again after the end, it starts over and ends once more.
  ASSERT_TRUE(b.BASS_ChannelPlay(s, FALSE));
  Advance(5000);
  EXPECT_EQ(log.count, 2);
  ASSERT_TRUE(b.BASS_ChannelRemoveSync(s, sync));
  EXPECT_FALSE(b.BASS_ChannelRemoveSync(s, sync));
  EXPECT_EQ(Error(), BASS_ERROR_HANDLE);
  ASSERT_TRUE(b.BASS_ChannelPlay(s, TRUE));
  Advance(5000);
  EXPECT_EQ(log.count, 2);
}

TEST_F(BassPlayback, EndSyncNeverFiresOnStopOrFree) {
  SyncLog log;
  HSTREAM stopped = OpenWav(WavBytes({}, Ramp(4410)));
  HSTREAM freed = OpenWav(WavBytes({}, Ramp(4410)));
  HSTREAM atFree = OpenWav(WavBytes({}, Ramp(4410)));
  for (HSTREAM s : {stopped, freed, atFree}) {
    ASSERT_NE(b.BASS_ChannelSetSync(s, BASS_SYNC_END, 0, CountSync, &log), 0u);
    ASSERT_TRUE(b.BASS_ChannelPlay(s, FALSE));
  }
  Advance(4000);
  ASSERT_TRUE(b.BASS_ChannelStop(stopped));
  ASSERT_TRUE(b.BASS_StreamFree(freed));
  Advance(10000);
  EXPECT_EQ(log.count, 1);  // only atFree reached its end
  ASSERT_TRUE(b.BASS_ChannelPlay(atFree, TRUE));
  Advance(4000);
  ASSERT_TRUE(b.BASS_Free());
  EXPECT_EQ(log.count, 1);
  ASSERT_TRUE(b.BASS_Init(1, 44100, 0, nullptr, nullptr));
}

TEST_F(BassPlayback, LoopingStreamsWrapAndSignalEachEnd) {
  HSTREAM s = OpenWav(WavBytes({}, Ramp(1000)), BASS_SAMPLE_LOOP);
  SyncLog log;
  b.BASS_ChannelSetSync(s, BASS_SYNC_END, 0, CountSync, &log);
  ASSERT_TRUE(b.BASS_ChannelPlay(s, FALSE));
  Advance(2500);
  EXPECT_EQ(log.count, 2);
  EXPECT_EQ(b.BASS_ChannelIsActive(s), BASS_ACTIVE_PLAYING);
  EXPECT_EQ(b.BASS_ChannelGetPosition(s), 500u * 4);
  std::vector<int16_t> heard = Captured();
  EXPECT_EQ(heard[2 * 999], 999);
  EXPECT_EQ(heard[2 * 1000], 0);
  EXPECT_EQ(heard[2 * 2499], 499);
  // Without the flag it runs out at the end of the current pass.
  ASSERT_TRUE(b.BASS_ChannelSetFlags(s, 0));
  Advance(1000);
  EXPECT_EQ(log.count, 3);
  EXPECT_EQ(b.BASS_ChannelIsActive(s), BASS_ACTIVE_STOPPED);
}

TEST_F(BassPlayback, AutoFreeStreamsGoWhenTheyEndOrStop) {
  HSTREAM ends = OpenWav(WavBytes({}, Ramp(1000)), BASS_STREAM_AUTOFREE);
  HSTREAM stops = OpenWav(WavBytes({}, Ramp(1000)), BASS_STREAM_AUTOFREE);
  ASSERT_TRUE(b.BASS_ChannelPlay(ends, FALSE));
  ASSERT_TRUE(b.BASS_ChannelPlay(stops, FALSE));
  ASSERT_TRUE(b.BASS_ChannelStop(stops));
  Advance(2000);
  for (HSTREAM s : {ends, stops}) {
    EXPECT_EQ(b.BASS_ChannelIsActive(s), 0u);
    EXPECT_EQ(Error(), BASS_ERROR_HANDLE);
  }
}

TEST_F(BassPlayback, OneTimeAndMixTimeAndPositionSyncs) {
  HSTREAM s = OpenWav(WavBytes({}, Ramp(4410)));
  SyncLog once, mixed, position;
  ASSERT_NE(b.BASS_ChannelSetSync(s, BASS_SYNC_END | BASS_SYNC_ONETIME, 0, CountSync, &once), 0u);
  ASSERT_NE(b.BASS_ChannelSetSync(s, BASS_SYNC_END | BASS_SYNC_MIXTIME, 0, CountSync, &mixed), 0u);
  ASSERT_NE(b.BASS_ChannelSetSync(s, BASS_SYNC_POS, 2000 * 4, CountSync, &position), 0u);
  EXPECT_NE(b.BASS_ChannelSetSync(s, BASS_SYNC_META, 0, CountSync, &once), 0u);
  EXPECT_EQ(b.BASS_ChannelSetSync(s, BASS_SYNC_SLIDE, 0, CountSync, &once), 0u);
  EXPECT_EQ(Error(), BASS_ERROR_ILLTYPE);
  ASSERT_TRUE(b.BASS_ChannelPlay(s, FALSE));
  Advance(1999);
  EXPECT_EQ(position.count, 0);
  Advance(1);
  EXPECT_EQ(position.count, 1);
  Advance(5000);
  ASSERT_TRUE(b.BASS_ChannelPlay(s, FALSE));
  Advance(5000);
  EXPECT_EQ(once.count, 1);
  EXPECT_EQ(mixed.count, 2);
  EXPECT_EQ(position.count, 2);
}

TEST_F(BassPlayback, SpectrumAndSamplesOfWhatIsHeard) {
  std::vector<float> sine = Sine(1000, 1.0, 44100, 44100, 2);
  HSTREAM s = OpenWav(WavBytes({}, sine));
  ASSERT_TRUE(b.BASS_ChannelPlay(s, FALSE));
  Advance(8192);
  struct Case {
    DWORD flags;
    size_t bins, peak;
  } cases[] = {{BASS_DATA_FFT512, 256, 12}, {BASS_DATA_FFT1024, 512, 23}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bins);
    std::vector<float> fft(c.bins + 1, -1.0f);
    ASSERT_EQ(b.BASS_ChannelGetData(s, fft.data(), c.flags), c.bins * 4);
    EXPECT_EQ(fft[c.bins], -1.0f);  // nothing written past the magnitudes
    size_t peak = size_t(std::max_element(fft.begin(), fft.end()) - fft.begin());
    EXPECT_EQ(peak, c.peak);
    EXPECT_GT(fft[peak], 0.6f);
    EXPECT_LT(fft[peak], 1.05f);
  }
  float samples[512];
  ASSERT_EQ(b.BASS_ChannelGetData(s, samples, 0x40000800), 2048u);
  for (size_t i = 0; i < 256; ++i) {
    float expected = std::nearbyint(sine[2 * (8192 - 256 + i)] * 32768) / 32768;
    ASSERT_FLOAT_EQ(samples[2 * i], std::min(expected, 32767.0f / 32768)) << i;
  }
  DWORD level = b.BASS_ChannelGetLevel(s);
  EXPECT_NEAR(double(LOWORD(level)), 32767, 40);
  EXPECT_NEAR(double(HIWORD(level)), 32767, 40);
  EXPECT_EQ(b.BASS_ChannelGetData(s, samples, 0x80000004), DWORD(-1));
  EXPECT_EQ(Error(), BASS_ERROR_ILLPARAM);
}

TEST_F(BassPlayback, VolumePanAndGlobalVolumesFollowTheirLaws) {
  HSTREAM s = OpenWav(WavBytes({}, Constant(0.5f, 0.5f, 44100)));
  struct Case {
    int volume, pan;
    DWORD streamVolume, curve, outputVolume;
    double left, right;  // gains
  } cases[] = {
      {100, 0, 100, 0, 100, 1, 1},
      {50, 0, 100, 0, 100, 0.5, 0.5},
      {100, 50, 100, 0, 100, 0.5, 1},
      {100, -100, 100, 0, 100, 1, 0},
      {60, -20, 100, 0, 100, 0.6, 0.48},
      {100, 0, 50, 0, 100, 0.5, 0.5},
      {100, 0, 100, 0, 25, 0.25, 0.25},
      {80, 0, 100, 1, 100, 0.316228, 0.316228},   // -10 dB
      {80, 0, 80, 1, 100, 0.1, 0.1},              // the dB add up
      {50, 100, 100, 1, 100, 0, 0.0562341},       // -25 dB on the right only
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.volume << " " << c.pan << " " << c.streamVolume << " " << c.curve);
    b.BASS_SetConfig(BASS_CONFIG_GVOL_STREAM, c.streamVolume);
    b.BASS_SetConfig(BASS_CONFIG_CURVE_VOL, c.curve);
    ASSERT_TRUE(b.BASS_SetVolume(c.outputVolume));
    ASSERT_TRUE(b.BASS_ChannelSetAttributes(s, -1, c.volume, c.pan));
    ASSERT_TRUE(b.BASS_ChannelPlay(s, TRUE));
    Advance(500);
    std::vector<int16_t> heard = Captured();
    ASSERT_GE(heard.size(), 2u);
    EXPECT_NEAR(heard[heard.size() - 2], 16384 * c.left, 1.0);
    EXPECT_NEAR(heard.back(), 16384 * c.right, 1.0);
  }
  b.BASS_SetConfig(BASS_CONFIG_GVOL_STREAM, 100);
  b.BASS_SetConfig(BASS_CONFIG_CURVE_VOL, 0);
  b.BASS_SetVolume(100);
  DWORD freq = 0, volume = 0;
  int pan = 0;
  ASSERT_TRUE(b.BASS_ChannelGetAttributes(s, &freq, &volume, &pan));
  EXPECT_EQ(freq, 44100u);
  EXPECT_EQ(volume, 50u);
  EXPECT_EQ(pan, 100);
  EXPECT_TRUE(b.BASS_ChannelGetAttributes(s, nullptr, nullptr, nullptr));
}

TEST_F(BassPlayback, AttributesAreCheckedAndMinusOneKeepsThem) {
  HSTREAM s = OpenWav(WavBytes({}, Constant(0.5f, 0.5f, 100)));
  struct Case {
    int freq, volume, pan;
    int error;
  } cases[] = {
      {50, -1, -101, BASS_ERROR_FREQ},   {300000, -1, -101, BASS_ERROR_FREQ},
      {-1, 101, -101, BASS_ERROR_ILLPARAM}, {-1, -2, -101, BASS_ERROR_ILLPARAM},
      {-1, -1, 101, BASS_ERROR_ILLPARAM},  {-1, -1, -102, BASS_ERROR_ILLPARAM},
      {22050, 70, -30, 0},                 {-1, -1, -101, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(b.BASS_ChannelSetAttributes(s, c.freq, c.volume, c.pan), c.error == 0);
    EXPECT_EQ(Error(), c.error);
  }
  DWORD freq, volume;
  int pan;
  ASSERT_TRUE(b.BASS_ChannelGetAttributes(s, &freq, &volume, &pan));
  EXPECT_EQ(freq, 22050u);
  EXPECT_EQ(volume, 70u);
  EXPECT_EQ(pan, -30);
  ASSERT_TRUE(b.BASS_ChannelSetAttributes(s, 0, -1, -101));  // back to the file's rate
  ASSERT_TRUE(b.BASS_ChannelGetAttributes(s, &freq, nullptr, nullptr));
  EXPECT_EQ(freq, 44100u);
}

TEST_F(BassPlayback, FrequencyChangesThePace) {
  struct Case {
    int freq;
    DWORD endsAfter;  // output frames for a one-second file
  } cases[] = {{88200, 22050}, {22050, 88200}, {44100, 44100}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.freq);
    HSTREAM s = OpenWav(WavBytes({}, Ramp(44100)));
    SyncLog log;
    b.BASS_ChannelSetSync(s, BASS_SYNC_END, 0, CountSync, &log);
    ASSERT_TRUE(b.BASS_ChannelSetAttributes(s, c.freq, -1, -101));
    ASSERT_TRUE(b.BASS_ChannelPlay(s, FALSE));
    Advance(c.endsAfter / 2);
    EXPECT_NEAR(double(b.BASS_ChannelGetPosition(s)), 88200.0, 8.0);
    Advance(c.endsAfter / 2 - 1);
    EXPECT_EQ(b.BASS_ChannelIsActive(s), BASS_ACTIVE_PLAYING);
    Advance(1);
    EXPECT_EQ(log.count, 1);
    EXPECT_EQ(b.BASS_ChannelIsActive(s), BASS_ACTIVE_STOPPED);
    b.BASS_StreamFree(s);
  }
}

TEST_F(BassPlayback, SlidesMoveAttributesOverTime) {
  HSTREAM s = OpenWav(WavBytes({}, Constant(0.5f, 0.5f, 44100)));
  ASSERT_TRUE(b.BASS_ChannelPlay(s, FALSE));
  ASSERT_TRUE(b.BASS_ChannelSlideAttributes(s, -1, 0, 100, 100));
  EXPECT_EQ(b.BASS_ChannelIsSliding(s), 6u);
  Advance(2205);
  DWORD volume;
  int pan;
  ASSERT_TRUE(b.BASS_ChannelGetAttributes(s, nullptr, &volume, &pan));
  EXPECT_NEAR(double(volume), 50, 1);
  EXPECT_NEAR(double(pan), 50, 1);
  Advance(2205);
  EXPECT_EQ(b.BASS_ChannelIsSliding(s), 0u);
  Advance(100);
  std::vector<int16_t> heard = Captured();
  EXPECT_EQ(heard.back(), 0);
}

TEST_F(BassPlayback, LinkedChannelsStartAndStopTogether) {
  HSTREAM a = OpenWav(WavBytes({}, Ramp(4410)));
  HSTREAM c = OpenWav(WavBytes({}, Ramp(4410)));
  HSTREAM d = OpenWav(WavBytes({}, Ramp(4410)), BASS_STREAM_DECODE);
  ASSERT_TRUE(b.BASS_ChannelSetLink(a, c));
  EXPECT_FALSE(b.BASS_ChannelSetLink(a, c));
  EXPECT_EQ(Error(), BASS_ERROR_ALREADY);
  EXPECT_FALSE(b.BASS_ChannelSetLink(a, d));
  EXPECT_EQ(Error(), BASS_ERROR_DECODE);
  ASSERT_TRUE(b.BASS_ChannelPlay(a, FALSE));
  EXPECT_EQ(b.BASS_ChannelIsActive(c), BASS_ACTIVE_PLAYING);
  ASSERT_TRUE(b.BASS_ChannelStop(a));
  EXPECT_EQ(b.BASS_ChannelIsActive(c), BASS_ACTIVE_STOPPED);
  ASSERT_TRUE(b.BASS_ChannelRemoveLink(a, c));
  ASSERT_TRUE(b.BASS_ChannelPlay(a, FALSE));
  EXPECT_EQ(b.BASS_ChannelIsActive(c), BASS_ACTIVE_STOPPED);
}

TEST_F(BassPlayback, OutputPauseAndStop) {
  HSTREAM s = OpenWav(WavBytes({}, Ramp(44100)));
  ASSERT_TRUE(b.BASS_ChannelPlay(s, FALSE));
  Advance(1000);
  ASSERT_TRUE(b.BASS_Pause());
  EXPECT_EQ(b.BASS_ChannelIsActive(s), BASS_ACTIVE_PAUSED);
  Advance(1000);
  EXPECT_EQ(b.BASS_ChannelGetPosition(s), 4000u);
  EXPECT_FALSE(b.BASS_ChannelPlay(s, TRUE));
  EXPECT_EQ(Error(), BASS_ERROR_START);
  ASSERT_TRUE(b.BASS_Start());
  Advance(1000);
  EXPECT_EQ(b.BASS_ChannelGetPosition(s), 8000u);
  ASSERT_TRUE(b.BASS_Stop());
  EXPECT_EQ(b.BASS_ChannelIsActive(s), BASS_ACTIVE_STOPPED);
  ASSERT_TRUE(b.BASS_Start());
}

}  // namespace
