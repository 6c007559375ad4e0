// Broken and hostile files: both header readers must answer, quickly, with
// values that make sense, whatever the bytes claim.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>

#include "formats/mpeg_audio.h"
#include "formats/wav_file.h"
#include "mpeg_frames.h"
#include "test_support.h"

namespace {

using namespace mpeg_frames;
using tag_bytes::BigEndian;

std::string Repeat(const std::string& s, size_t times) {
  std::string out;
  for (size_t i = 0; i < times; ++i) out += s;
  return out;
}

std::string Noise(size_t size, uint32_t seed) {
  std::string s(size, '\0');
  for (auto& c : s) c = static_cast<char>((seed = seed * 1103515245 + 12345) >> 16);
  return s;
}

std::string LE(uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
std::string LE16(uint16_t v) { return {char(v), char(v >> 8)}; }

const std::string kPcmFormat =
    "fmt " + LE(16) + LE16(1) + LE16(2) + LE(44100) + LE(176400) + LE16(4) + LE16(16);

TEST(MalformedAudio, ReadersStayCalm) {
  const std::string frames = Frames(Header(), 417, 12);
  // MPEG 2.5 Layer III at 8 kbit/s: 72-byte frames, shorter than a Xing header.
  const std::string tiny = Header(0xE3, 0x18);
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"three bytes", "\xFF\xFB\x90"},
      {"sync bytes only", std::string(100000, '\xFF')},
      {"headers back to back", Repeat(Header(), 5000)},
      {"false sync words in noise", Repeat("\xFF\xE2" + Noise(30, 7), 2000)},
      {"noise", Noise(200000, 1)},
      {"one frame, then the end", Junk(2000) + Frames(Header(), 417, 1)},
      {"second frame cut", Junk(2000) + Frames(Header(), 417, 1) + Header().substr(0, 2)},
      {"frames cut mid-way", frames.substr(0, 1900)},
      {"ID3v2 claiming 256 MB", tag_bytes::Tag(3, 0, "").substr(0, 6) + "\x7F\x7F\x7F\x7F" + frames},
      {"ID3v2 frame claiming 4 GB", tag_bytes::Tag(3, 0, std::string("TIT2\xFF\xFF\xFF\xFF\0\0x", 11), 20) + frames},
      {"Xing with every count at its top", Put(frames, 36, Xing(15, 0xFFFFFFFF, 0xFFFFFFFF, 255, "LAME9.99"))},
      {"Xing of one frame and 4 GB", Put(frames, 36, Xing(3, 1, 0xFFFFFFFF))},
      {"Xing cut by the end of the file", Junk(2000) + Frames(tiny, 72, 1) + Header(0xE3, 0x18) + "Xing"},
      {"Xing in a frame too short for it", Put(Frames(tiny, 72, 40), 21, Xing(15, 7, 7, 0, "LAME"))},
      {"VBRI with huge counts", Put(frames, 36, VBRI(0xFFFFFFFF, 0xFFFFFFFF))},
      {"VBRI of no frames", Put(frames, 36, VBRI(0, 0))},
      {"Lyrics3 claiming more than the file", frames + "999999LYRICS200" + "TAG" + std::string(125, '\0')},
      {"ID3v1 tag alone", "TAG" + std::string(125, 'z')},
      {"RIFF only", "RIFF"},
      {"format chunk claiming 4 GB", "RIFF" + LE(100) + "WAVEfmt " + LE(0xFFFFFFF0) + kPcmFormat.substr(8)},
      {"chunk claiming 4 GB before the data", "RIFF" + LE(100) + "WAVE" + kPcmFormat + "LIST" + LE(0xFFFFFFFF) + "data"},
      {"data claiming 4 GB", "RIFF" + LE(0xFFFFFFFF) + "WAVE" + kPcmFormat + "data" + LE(0xFFFFFFFF) + Noise(100, 3)},
      {"125000 empty chunks", "RIFF" + LE(0) + "WAVE" + Repeat("JUNK" + LE(0), 125000) + kPcmFormat},
      {"odd sizes running off the end", "RIFF" + LE(60) + "WAVE" + kPcmFormat + "abcd" + LE(7) + "xyz"},
      {"format cut short", "RIFF" + LE(36) + "WAVE" + kPcmFormat.substr(0, 20)},
      {"no sample rate or byte rate", "RIFF" + LE(0) + "WAVEfmt " + LE(16) + LE16(1) + LE16(2) + LE(0) + LE(0) +
                                          LE16(4) + LE16(16) + "data" + LE(8) + Noise(8, 5)},
  };
  testing_support::TempDir dir;
  const DWORD started = GetTickCount();
  for (const auto& c : cases) {
    const std::wstring name = dir.WriteFile(L"bad.bin", c.bytes);
    TMPEGaudio mpeg;
    EXPECT_TRUE(mpeg.ReadFromFile(name)) << c.what;
    const double duration = mpeg.Duration();
    EXPECT_TRUE(std::isfinite(duration) && duration >= 0) << c.what << ": " << duration;
    EXPECT_LE(mpeg.Frame().Position + mpeg.Frame().Size, int64_t(c.bytes.size())) << c.what;
    (void)mpeg.Encoder(), (void)mpeg.IsValid(), (void)mpeg.BitRate();

    TWAVfile wav;
    EXPECT_TRUE(wav.ReadFromFile(name)) << c.what;
    EXPECT_TRUE(std::isfinite(wav.Duration()) && wav.Duration() >= 0) << c.what << ": " << wav.Duration();
    EXPECT_LE(wav.HeaderSize(), wav.FileSize()) << c.what;
    EXPECT_LE(wav.FileSize(), c.bytes.size()) << c.what;
    EXPECT_LE(uint64_t(wav.SampleNumber()) * wav.BlockAlign(), c.bytes.size()) << c.what;
  }
  EXPECT_LT(GetTickCount() - started, 20000u) << "the corpus took too long";
}

}  // namespace
