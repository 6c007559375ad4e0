// bass.dll decoding channels, user streams and DSPs, and the real-clock outputs.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>

#include "bass_library.h"
#include "wav_fixtures.h"

using namespace bass_test;

namespace {

using BassDecoding = BassFixture;

void CALLBACK Count(HSYNC, DWORD, DWORD, void* user) { ++*static_cast<std::atomic<int>*>(user); }

TEST_F(BassDecoding, HandsOutTheFileSamplesAndEndsInTheFetchThatReachesTheEnd) {
  std::vector<float> samples = Sine(440, 0.5, 44100, 3000, 2);
  std::string file = WavBytes({}, samples);
  HSTREAM s = OpenWav(file, BASS_STREAM_DECODE);
  ASSERT_NE(s, 0u);
  std::atomic<int> ends{0};
  ASSERT_NE(b.BASS_ChannelSetSync(s, BASS_SYNC_END, 0, Count, &ends), 0u);
  EXPECT_FALSE(b.BASS_ChannelPlay(s, FALSE));
  EXPECT_EQ(Error(), BASS_ERROR_DECODE);
  EXPECT_EQ(b.BASS_ChannelIsActive(s), BASS_ACTIVE_PLAYING);

  std::vector<char> pcm(8000);
  ASSERT_EQ(b.BASS_ChannelGetData(s, pcm.data(), 8000), 8000u);
  EXPECT_EQ(std::memcmp(pcm.data(), file.data() + 44, 8000), 0);
  EXPECT_EQ(b.BASS_ChannelGetPosition(s), 8000u);
  EXPECT_EQ(b.BASS_StreamGetFilePosition(s, BASS_FILEPOS_DECODE), 44u + 8000);
  EXPECT_EQ(b.BASS_StreamGetFilePosition(s, BASS_FILEPOS_DOWNLOAD), file.size());
  EXPECT_EQ(b.BASS_StreamGetFilePosition(s, BASS_FILEPOS_END), file.size());
  EXPECT_EQ(b.BASS_StreamGetFilePosition(s, 3), DWORD(-1));
  EXPECT_EQ(Error(), BASS_ERROR_ILLPARAM);

  // The spectrum is of what was just decoded and leaves the position alone.
  std::vector<float> fft(256);
  ASSERT_EQ(b.BASS_ChannelGetData(s, fft.data(), BASS_DATA_FFT512), 1024u);
  EXPECT_EQ(b.BASS_ChannelGetPosition(s), 8000u);
  EXPECT_GT(fft[5], 0.3f);  // 440 Hz is bin 5.1

  float f[4];
  ASSERT_EQ(b.BASS_ChannelGetData(s, f, 16 | BASS_DATA_FLOAT), 16u);
  int16_t first;
  std::memcpy(&first, file.data() + 44 + 8000, 2);
  EXPECT_FLOAT_EQ(f[0], first / 32768.0f);

  // 3000 frames = 12000 bytes; 8000 taken, then 2 frames as floats. The
  // fetch reaching the end is short.
  EXPECT_EQ(ends, 0);
  ASSERT_EQ(b.BASS_ChannelGetData(s, pcm.data(), 8000), 3992u);
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(b.BASS_ChannelIsActive(s), BASS_ACTIVE_STOPPED);
  EXPECT_EQ(b.BASS_ChannelGetPosition(s), 12000u);
  EXPECT_EQ(b.BASS_ChannelGetData(s, pcm.data(), 8000), DWORD(-1));
  EXPECT_EQ(Error(), BASS_ERROR_NOPLAY);
  EXPECT_EQ(ends, 1);

  // Seeking back makes it decode again.
  ASSERT_TRUE(b.BASS_ChannelSetPosition(s, 11996));
  EXPECT_EQ(b.BASS_ChannelIsActive(s), BASS_ACTIVE_PLAYING);
  EXPECT_EQ(b.BASS_ChannelGetData(s, pcm.data(), 8000), 4u);
  EXPECT_EQ(ends, 2);
}

TEST_F(BassDecoding, AnExactFetchOfTheLastBytesEndsTheChannel) {
  HSTREAM s = OpenWav(WavBytes({}, Constant(0.1f, 0.1f, 100)), BASS_STREAM_DECODE | BASS_SAMPLE_FLOAT);
  std::atomic<int> ends{0};
  b.BASS_ChannelSetSync(s, BASS_SYNC_END, 0, Count, &ends);
  std::vector<float> out(200);
  EXPECT_EQ(b.BASS_ChannelGetLength(s), 800u);
  ASSERT_EQ(b.BASS_ChannelGetData(s, out.data(), 800), 800u);
  EXPECT_NEAR(out[199], 0.1f, 1e-4f);
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(b.BASS_ChannelIsActive(s), BASS_ACTIVE_STOPPED);
}

struct Feed {
  int calls = 0;
  int endAfter = 3;
};

DWORD CALLBACK Fill(HSTREAM, void* buffer, DWORD length, void* user) {
  auto* feed = static_cast<Feed*>(user);
  auto* pcm = static_cast<int16_t*>(buffer);
  for (DWORD i = 0; i < length / 2; ++i) pcm[i] = 1000;
  return ++feed->calls >= feed->endAfter ? length | BASS_STREAMPROC_END : length;
}

TEST_F(BassDecoding, UserStreamsAreFedByTheirProcedure) {
  Feed feed;
  HSTREAM s = b.BASS_StreamCreate(44100, 2, BASS_STREAM_DECODE, Fill, &feed);
  ASSERT_NE(s, 0u) << Error();
  std::vector<int16_t> pcm(1000);
  ASSERT_EQ(b.BASS_ChannelGetData(s, pcm.data(), 2000), 2000u);
  EXPECT_EQ(pcm[999], 1000);
  EXPECT_EQ(b.BASS_ChannelGetLength(s), QWORD(-1));
  EXPECT_EQ(Error(), BASS_ERROR_NOTAVAIL);
  EXPECT_EQ(b.BASS_StreamGetFilePosition(s, BASS_FILEPOS_END), DWORD(-1));
  EXPECT_EQ(Error(), BASS_ERROR_NOTFILE);
  EXPECT_FALSE(b.BASS_ChannelSetPosition(s, 0));
  while (b.BASS_ChannelIsActive(s) != BASS_ACTIVE_STOPPED)
    ASSERT_NE(b.BASS_ChannelGetData(s, pcm.data(), 2000), DWORD(-1));
  EXPECT_EQ(feed.calls, 3);

  Feed played;
  HSTREAM p = b.BASS_StreamCreate(44100, 2, 0, Fill, &played);
  ASSERT_TRUE(b.BASS_ChannelPlay(p, FALSE));
  Advance(100);
  EXPECT_EQ(Captured().back(), 1000);

  EXPECT_EQ(b.BASS_StreamCreate(44100, 2, 0, nullptr, nullptr), 0u);
  EXPECT_EQ(Error(), BASS_ERROR_ILLPARAM);
  EXPECT_EQ(b.BASS_StreamCreate(10, 2, 0, Fill, &feed), 0u);
  EXPECT_EQ(Error(), BASS_ERROR_FREQ);
}

void CALLBACK SilenceLeft(HDSP, DWORD, void* buffer, DWORD length, void* user) {
  ++*static_cast<int*>(user);
  auto* pcm = static_cast<int16_t*>(buffer);
  for (DWORD i = 0; i < length / 2; i += 2) pcm[i] = 0;
}

TEST_F(BassDecoding, DspsSeeAndChangeTheChannelsSamples) {
  HSTREAM s = OpenWav(WavBytes({}, Constant(0.5f, 0.5f, 44100)));
  int calls = 0;
  HDSP dsp = b.BASS_ChannelSetDSP(s, SilenceLeft, &calls, 0);
  ASSERT_NE(dsp, 0u);
  ASSERT_TRUE(b.BASS_ChannelPlay(s, FALSE));
  Advance(3000);
  std::vector<int16_t> heard = Captured();
  EXPECT_GT(calls, 0);
  EXPECT_EQ(heard[heard.size() - 2], 0);
  EXPECT_EQ(heard.back(), 16384);
  ASSERT_TRUE(b.BASS_ChannelRemoveDSP(s, dsp));
  EXPECT_FALSE(b.BASS_ChannelRemoveDSP(s, dsp));
  EXPECT_EQ(Error(), BASS_ERROR_HANDLE);
  ASSERT_TRUE(b.BASS_ChannelSetPosition(s, 0));
  Advance(3000);
  EXPECT_EQ(Captured()[Captured().size() - 2], 16384);
  EXPECT_EQ(b.BASS_ChannelSetDSP(s, nullptr, nullptr, 0), 0u);
}

void CALLBACK FreeItself(HSYNC, DWORD channel, DWORD, void* user) {
  ++*static_cast<std::atomic<int>*>(user);
  Bass().BASS_StreamFree(channel);
}

TEST_F(BassDecoding, ASyncMayFreeItsOwnChannel) {
  HSTREAM s = OpenWav(WavBytes({}, Constant(0.1f, 0.1f, 500)));
  std::atomic<int> calls{0};
  b.BASS_ChannelSetSync(s, BASS_SYNC_END, 0, FreeItself, &calls);
  b.BASS_ChannelSetSync(s, BASS_SYNC_END, 0, Count, &calls);
  ASSERT_TRUE(b.BASS_ChannelPlay(s, FALSE));
  Advance(1000);
  EXPECT_EQ(calls, 1);  // the second sync died with the channel
  EXPECT_EQ(b.BASS_ChannelIsActive(s), 0u);
  EXPECT_EQ(Error(), BASS_ERROR_HANDLE);
}

// The real clock: a silent output paced by time, and the default device
// (waveOut when it opens, the silent output otherwise).
class BassRealClock : public ::testing::TestWithParam<const wchar_t*> {
 protected:
  void TearDown() override {
    b.BASS_Free();
    b.BASS_Test_SetOutput(nullptr, nullptr);
  }
  testing_support::TempDir dir;
  const BassLibrary& b = Bass();
};

void CALLBACK SignalEnd(HSYNC, DWORD, DWORD, void* user) { SetEvent(static_cast<HANDLE>(user)); }

TEST_P(BassRealClock, PlaysToTheEndInRealTime) {
  ASSERT_TRUE(b.BASS_Test_SetOutput(GetParam(), L"real"));
  ASSERT_TRUE(b.BASS_SetConfig(BASS_CONFIG_BUFFER, 200));
  ASSERT_TRUE(b.BASS_Init(1, 44100, 0, nullptr, nullptr));
  std::wstring name = dir.WriteFile(L"short.wav", WavBytes({}, Sine(1000, 0.5, 44100, 13230, 2)));
  HSTREAM s = b.BASS_StreamCreateFile(FALSE, name.c_str(), 0, 0, BASS_UNICODE);
  ASSERT_NE(s, 0u);
  HANDLE ended = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(b.BASS_ChannelSetSync(s, BASS_SYNC_END, 0, SignalEnd, ended), 0u);
  DWORD start = GetTickCount();
  ASSERT_TRUE(b.BASS_ChannelPlay(s, FALSE));
  // The output's lead (at most the buffer length) passes before it is heard.
  QWORD position = 0;
  while (position == 0 && GetTickCount() - start < 2000) {
    Sleep(10);
    position = b.BASS_ChannelGetPosition(s);
  }
  EXPECT_GT(position, 0u);
  EXPECT_LT(position, 13230u * 4);
  EXPECT_EQ(b.BASS_ChannelIsActive(s), BASS_ACTIVE_PLAYING);
  std::vector<float> fft(256);
  EXPECT_EQ(b.BASS_ChannelGetData(s, fft.data(), BASS_DATA_FFT512), 1024u);
  EXPECT_EQ(WaitForSingleObject(ended, 5000), WAIT_OBJECT_0);
  EXPECT_GE(GetTickCount() - start, 250u);  // 0.3 s of sound
  EXPECT_EQ(b.BASS_ChannelIsActive(s), BASS_ACTIVE_STOPPED);
  EXPECT_EQ(b.BASS_ChannelGetPosition(s), 13230u * 4);

  // Freed while playing: no sync after BASS_Free returns.
  ResetEvent(ended);
  ASSERT_TRUE(b.BASS_ChannelPlay(s, TRUE));
  ASSERT_TRUE(b.BASS_Free());
  EXPECT_EQ(WaitForSingleObject(ended, 600), static_cast<DWORD>(WAIT_TIMEOUT));
  CloseHandle(ended);
  b.BASS_SetConfig(BASS_CONFIG_BUFFER, 500);
}

INSTANTIATE_TEST_SUITE_P(Outputs, BassRealClock, ::testing::Values(L"null", L"auto"));

void CALLBACK SlowCount(HDSP, DWORD, void*, DWORD, void* user) {
  Sleep(2);
  ++*static_cast<std::atomic<int>*>(user);
}

TEST(BassRealMixer, NoCallbackRunsAfterStreamFreeReturns) {
  const BassLibrary& b = Bass();
  testing_support::TempDir dir;
  ASSERT_TRUE(b.BASS_Test_SetOutput(L"null", L"real"));
  ASSERT_TRUE(b.BASS_Init(1, 44100, 0, nullptr, nullptr));
  std::wstring name = dir.WriteFile(L"long.wav", WavBytes({}, Constant(0.1f, 0.1f, 44100)));
  std::atomic<int> calls{0};
  for (int round = 0; round < 5; ++round) {
    HSTREAM s = b.BASS_StreamCreateFile(FALSE, name.c_str(), 0, 0, BASS_UNICODE);
    ASSERT_NE(b.BASS_ChannelSetDSP(s, SlowCount, &calls, 0), 0u);
    ASSERT_TRUE(b.BASS_ChannelPlay(s, FALSE));
    Sleep(30 + round * 7);
    ASSERT_TRUE(b.BASS_StreamFree(s));
    int after = calls;
    Sleep(40);
    EXPECT_EQ(calls, after);
  }
  EXPECT_GT(calls, 0);
  ASSERT_TRUE(b.BASS_Free());
  b.BASS_Test_SetOutput(nullptr, nullptr);
}

TEST(BassRealCapture, CapturesInRealTime) {
  const BassLibrary& b = Bass();
  testing_support::TempDir dir;
  std::wstring capture = dir.File(L"real.wav");
  ASSERT_TRUE(b.BASS_Test_SetOutput((L"capture:" + capture).c_str(), nullptr));
  ASSERT_TRUE(b.BASS_Init(1, 44100, 0, nullptr, nullptr));
  Sleep(300);
  ASSERT_TRUE(b.BASS_Free());
  b.BASS_Test_SetOutput(nullptr, nullptr);
  size_t frames = CaptureSamples(testing_support::ReadFileBytes(capture)).size() / 2;
  EXPECT_GT(frames, 44100u / 10);
  EXPECT_LT(frames, 44100u * 2);
}

}  // namespace
