// The WAV reader: every encoding, the chunk walk, and damaged files.
#include <gtest/gtest.h>

#include <cmath>

#include "bass/core/byte_source.h"
#include "bass/core/wav_decoder.h"
#include "wav_fixtures.h"

using namespace bass_core;
using namespace bass_test;

namespace {

// The source references bytes: keep them alive while the decoder lives.
std::unique_ptr<Decoder> Open(const std::string& bytes) {
  return CreateWavDecoder(MemorySource(bytes.data(), bytes.size()));
}

std::vector<float> ReadAll(Decoder& d) {
  std::vector<float> all, block(1000 * d.Channels());
  while (size_t n = d.Read(block.data(), 1000)) all.insert(all.end(), block.begin(), block.begin() + n * d.Channels());
  return all;
}

const std::vector<float> kRamp = {0.0f, -1.0f, 0.5f, -0.25f, 0.999f, 0.125f, -0.5f, 0.75f};

TEST(WavDecoder, DecodesEveryEncodingItKnows) {
  struct Case {
    const char* name;
    WavLayout layout;
    float tolerance;
  } cases[] = {
      {"pcm8", {1, 2, 8000, 8, false}, 1.0f / 128},
      {"pcm16", {1, 2, 44100, 16, false}, 1.0f / 32768},
      {"pcm24", {1, 1, 48000, 24, false}, 1e-6f},
      {"pcm32", {1, 2, 96000, 32, false}, 1e-6f},
      {"float32", {3, 2, 44100, 32, false}, 0},
      {"float64", {3, 1, 22050, 64, false}, 0},
      {"extensible pcm16", {1, 2, 44100, 16, true}, 1.0f / 32768},
      {"extensible float", {3, 2, 44100, 32, true}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string file = WavBytes(c.layout, kRamp);
    auto d = Open(file);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->Rate(), c.layout.rate);
    EXPECT_EQ(d->Channels(), c.layout.channels);
    EXPECT_EQ(d->OriginalBits(), c.layout.bits);
    EXPECT_EQ(d->LengthFrames(), kRamp.size() / c.layout.channels);
    std::vector<float> got = ReadAll(*d);
    ASSERT_EQ(got.size(), kRamp.size());
    for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], kRamp[i], c.tolerance) << i;
    EXPECT_TRUE(d->AtEnd());
  }
}

TEST(WavDecoder, WalksChunksToDataWithWordPadding) {
  WavLayout layout;
  // An odd-sized chunk (padded), a LIST chunk and an unknown one before "data".
  std::string extra = RiffChunk("junk", "abc") + RiffChunk("LIST", std::string("INFOINAM\x05\0\0\0Song\0", 17)) +
                      RiffChunk("zzzz", "");
  std::string file = WavBytes(layout, kRamp, extra);
  auto d = Open(file);
  ASSERT_TRUE(d);
  EXPECT_EQ(ReadAll(*d).size(), kRamp.size());
  EXPECT_EQ(d->FilePosition(), file.size());
}

TEST(WavDecoder, SizesAreBoundedByTheFile) {
  WavLayout layout;  // 4 bytes a frame
  std::string whole = WavBytes(layout, std::vector<float>(200, 0.25f));  // 100 frames
  struct Case {
    const char* name;
    std::string bytes;
    uint64_t frames;
  } cases[] = {
      {"data size 0xFFFFFFFF", WavBytes(layout, std::vector<float>(200, 0.25f), "", 0xFFFFFFFFu), 100},
      {"data size beyond the file", WavBytes(layout, std::vector<float>(200, 0.25f), "", 100000), 100},
      {"truncated mid-frame", whole.substr(0, whole.size() - 3), 99},
      {"truncated to the header", whole.substr(0, 44), 0},
      {"data size smaller than the bytes", WavBytes(layout, std::vector<float>(200, 0.25f), "", 40), 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto d = Open(c.bytes);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->LengthFrames(), c.frames);
    EXPECT_EQ(ReadAll(*d).size(), c.frames * 2);
  }
}

TEST(WavDecoder, RejectsWhatItCannotDecode) {
  WavLayout layout;
  std::string good = WavBytes(layout, kRamp);
  std::string fmt = FmtChunk(layout);
  std::string data = RiffChunk("data", SampleBytes(layout, kRamp));
  auto riff = [](const std::string& body) { return "RIFF\xff\xff\xff\xff" + body; };
  auto withFmt = [&](std::string f) { return riff("WAVE" + f + data); };
  auto patched = [&](size_t at, std::string bytes) {
    std::string f = fmt;
    f.replace(at, bytes.size(), bytes);
    return withFmt(f);
  };
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"not RIFF", "RIFX" + good.substr(4)},
      {"not WAVE", good.substr(0, 8) + "AVI " + good.substr(12)},
      {"no chunks", riff("WAVE")},
      {"data before fmt", riff("WAVE" + data + fmt)},
      {"fmt too short", withFmt(RiffChunk("fmt ", fmt.substr(8, 14)))},
      {"fmt cut by the end of file", good.substr(0, 30)},
      {"chunk size runs past the file", riff("WAVE" + RiffChunk("LIST", "xy").substr(0, 4) + "\xff\xff\xff\x7f")},
      {"ADPCM", patched(8, std::string("\x02\x00", 2))},
      {"12-bit PCM", patched(22, std::string("\x0c\x00", 2))},
      {"16-bit float", patched(8, std::string("\x03\x00", 2))},
      {"no channels", patched(10, std::string("\x00\x00", 2))},
      {"rate 0", patched(12, std::string("\0\0\0\0", 4))},
      {"block align mismatch", patched(20, std::string("\x03\x00", 2))},
      {"extensible without its extension", patched(8, std::string("\xfe\xff", 2))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(Open(c.bytes));
  }
}

TEST(WavDecoder, SeeksWithinTheLength) {
  std::vector<float> ramp(40);
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = float(i) / 64;
  WavLayout layout{3, 2, 44100, 32, false};
  std::string file = WavBytes(layout, ramp);
  auto d = Open(file);
  ASSERT_TRUE(d);
  float frame[2];
  ASSERT_TRUE(d->Seek(7));
  ASSERT_EQ(d->Read(frame, 1), 1u);
  EXPECT_EQ(frame[0], ramp[14]);
  EXPECT_TRUE(d->Seek(20));  // the end itself
  EXPECT_EQ(d->Read(frame, 1), 0u);
  EXPECT_FALSE(d->Seek(21));
}

TEST(WavDecoder, NonFiniteFloatsBecomeSilence) {
  WavLayout layout{3, 1, 44100, 32, false};
  std::string file = WavBytes(layout, {NAN, INFINITY, 0.5f});
  auto d = Open(file);
  ASSERT_TRUE(d);
  EXPECT_EQ(ReadAll(*d), (std::vector<float>{0, 0, 0.5f}));
}

}  // namespace
