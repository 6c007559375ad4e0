#include "formats/wav_file.h"

#include <gtest/gtest.h>

#include "mpeg_frames.h"
#include "test_support.h"

namespace {

using testing_support::TempDir;

std::string LittleEndian(uint32_t v, int bytes = 4) {
  std::string s;
  for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
  return s;
}

// A chunk; Stated replaces the size field when given. Odd sizes get their pad byte.
std::string Chunk(const std::string& id, const std::string& body, int64_t stated = -1) {
  const std::string pad = body.size() % 2 ? std::string(1, '\0') : "";
  return id + LittleEndian(stated < 0 ? uint32_t(body.size()) : uint32_t(stated)) + body + pad;
}

std::string Fmt(uint16_t tag, uint16_t channels, uint32_t rate = 44100, uint16_t bits = 16,
                const std::string& extra = "") {
  const uint16_t align = static_cast<uint16_t>(channels * bits / 8);
  return Chunk("fmt ", LittleEndian(tag, 2) + LittleEndian(channels, 2) + LittleEndian(rate) +
                           LittleEndian(rate * align) + LittleEndian(align, 2) + LittleEndian(bits, 2) + extra);
}

std::string Riff(const std::string& chunks, int64_t stated = -1) {
  return "RIFF" + LittleEndian(stated < 0 ? uint32_t(chunks.size() + 4) : uint32_t(stated)) + "WAVE" + chunks;
}

TEST(WAVfile, Headers) {
  const std::string second(176400, '\x11');
  const std::string pcm = Fmt(1, 2);
  const struct {
    const char* what;
    std::string bytes;
    bool valid;
    uint32_t sampleNumber, headerSize;
    double duration;
  } cases[] = {
      {"plain 44-byte header", Riff(pcm + Chunk("data", second)), true, 44100, 44, 1.0},
      {"18-byte format chunk", Riff(Fmt(1, 2, 44100, 16, std::string(2, '\0')) + Chunk("data", second)), true, 44100, 46, 1.0},
      {"LIST before the data", Riff(pcm + Chunk("LIST", "INFOISFT" + std::string(18, 'x')) + Chunk("data", second)),
       true, 44100, 78, 1.0},
      {"fact before the data", Riff(Fmt(3, 2, 44100, 32, std::string(2, '\0')) + Chunk("fact", LittleEndian(22050)) +
                                    Chunk("data", second)),
       true, 22050, 58, 0.5},
      {"odd chunk padded to a word", Riff(pcm + Chunk("junk", "abc") + Chunk("data", second)), true, 44100, 56, 1.0},
      {"JUNK before the format", Riff(Chunk("JUNK", std::string(28, '\0')) + pcm + Chunk("data", second)), true,
       44100, 80, 1.0},
      {"data after its stated end", Riff(pcm + Chunk("data", second.substr(0, 1000), 0xFFFFFFFF)), true, 250, 44,
       250 / 44100.0},
      {"RIFF and data sizes unknown", Riff(pcm + Chunk("data", second.substr(0, 17640), 0), 0xFFFFFFFF), true, 0, 44,
       0.1},
      {"cut before the data chunk", Riff(pcm, 176436), true, 0, 36, 0.0},
      {"block align 0", Riff(Chunk("fmt ", LittleEndian(1, 2) + LittleEndian(2, 2) + LittleEndian(44100) +
                                            LittleEndian(176400) + LittleEndian(0, 4)) +
                             Chunk("data", second)),
       true, 0, 44, 1.0},
      {"no channels", Riff(Fmt(1, 0) + Chunk("data", second)), false, 0, 0, 0.0},
      {"format chunk of 14 bytes", Riff(Chunk("fmt ", pcm.substr(8, 14)) + Chunk("data", second)), false, 0, 0, 0.0},
      {"not RIFF", "RIFX" + Riff(pcm).substr(4), false, 0, 0, 0.0},
      {"11 bytes", std::string("RIFF\0\0\0\0WAV", 11), false, 0, 0, 0.0},
  };
  TempDir dir;
  for (const auto& c : cases) {
    TWAVfile wav;
    const std::wstring name = dir.WriteFile(L"a.wav", c.bytes);
    ASSERT_TRUE(wav.ReadFromFile(name)) << c.what;
    EXPECT_EQ(wav.Valid(), c.valid) << c.what;
    EXPECT_EQ(wav.SampleNumber(), c.sampleNumber) << c.what;
    EXPECT_EQ(wav.HeaderSize(), c.headerSize) << c.what;
    EXPECT_NEAR(wav.Duration(), c.duration, 1e-9) << c.what;
    EXPECT_LE(wav.FileSize(), c.bytes.size()) << c.what;
    EXPECT_EQ(wav.FileName(), c.valid ? name : L"") << c.what;
  }
  TWAVfile wav;
  EXPECT_FALSE(wav.ReadFromFile(dir.File(L"missing.wav")));
}

TEST(WAVfile, FormatAndChannelNames) {
  const struct {
    uint16_t tag, channels;
    const char *format, *mode;
  } cases[] = {{1, 2, "Windows PCM", "Stereo"}, {2, 1, "Microsoft ADPCM", "Mono"}, {6, 6, "A-LAW", "Multichannel"},
               {7, 3, "MU-LAW", "Multichannel"}, {17, 1, "DVI/IMA ADPCM", "Mono"}, {85, 2, "MPEG Layer III", "Stereo"},
               {3, 2, "", "Stereo"}, {0xFFFE, 2, "", "Stereo"}};
  TempDir dir;
  for (const auto& c : cases) {
    TWAVfile wav;
    ASSERT_TRUE(wav.ReadFromFile(dir.WriteFile(L"a.wav", Riff(Fmt(c.tag, c.channels) + Chunk("data", "")))));
    EXPECT_EQ(wav.Format(), c.format) << c.tag;
    EXPECT_EQ(wav.ChannelMode(), c.mode) << c.channels;
    EXPECT_NEAR(wav.BitRate(), c.channels * 705.6, 1e-9) << c.channels;
  }
  TWAVfile none;
  EXPECT_EQ(none.ChannelMode(), "Unknown");
}

TEST(WAVfile, FilesFromFfmpegAndSox) {
  const auto truth = mpeg_frames::FixtureTruth();
  const struct {
    const char* file;
    uint16_t formatID, channels, bits;
    uint32_t rate, formatSize;
    const char* mode;
  } cases[] = {
      {"list_chunk.wav", 1, 2, 16, 44100, 16, "Stereo"},
      {"float_extensible.wav", 0xFFFE, 2, 32, 44100, 40, "Stereo"},
      {"float_plain.wav", 3, 2, 32, 44100, 18, "Stereo"},
      {"six_channels.wav", 0xFFFE, 6, 16, 48000, 40, "Multichannel"},
  };
  for (const auto& c : cases) {
    TWAVfile wav;
    ASSERT_TRUE(wav.ReadFromFile(mpeg_frames::Fixture(c.file))) << c.file;
    ASSERT_TRUE(truth.count(c.file)) << c.file;
    EXPECT_TRUE(wav.Valid()) << c.file;
    EXPECT_EQ(wav.FormatID(), c.formatID) << c.file;
    EXPECT_EQ(wav.FormatSize(), c.formatSize) << c.file;
    EXPECT_EQ(wav.ChannelNumber(), c.channels) << c.file;
    EXPECT_EQ(wav.BitsPerSample(), c.bits) << c.file;
    EXPECT_EQ(wav.SampleRate(), c.rate) << c.file;
    EXPECT_EQ(wav.ChannelMode(), c.mode) << c.file;
    EXPECT_NEAR(wav.Duration(), truth.at(c.file), 1e-3) << c.file;
  }
}

}  // namespace
