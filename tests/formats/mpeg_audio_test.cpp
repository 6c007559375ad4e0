#include "formats/mpeg_audio.h"

#include <gtest/gtest.h>

#include "mpeg_frames.h"
#include "test_support.h"

namespace {

using namespace mpeg_frames;
using testing_support::TempDir;

struct TRead {
  TempDir dir;
  TMPEGaudio mpeg;
  bool ok;
  explicit TRead(const std::string& bytes) : ok(mpeg.ReadFromFile(dir.WriteFile(L"a.mp3", bytes))) {}
};

TEST(MPEGaudio, InvalidHeadersAreNeverFrames) {
  const struct {
    const char* what;
    std::string header;
    bool found;
  } cases[] = {
      {"valid", Header(), true},
      {"no sync byte", std::string("\xFE") + Header().substr(1), false},
      {"sync bits of byte 1", Header(0xBB), false},
      {"reserved version", Header(0xEB), false},
      {"reserved layer", Header(0xF9), false},
      {"bit-rate index 15", Header(kB1, 0xF0), false},
      {"free format", Header(kB1, 0x00), false},
      {"sample-rate index 3", Header(kB1, 0x9C), false},
      {"emphasis 2", Header(kB1, kB2, 0x66), false},
  };
  for (const auto& c : cases) {
    TRead r(Frames(c.header, 417, 12));
    EXPECT_TRUE(r.ok) << c.what;
    EXPECT_EQ(r.mpeg.Frame().Found, c.found) << c.what;
  }
  // A header whose computed successor is no header is passed over.
  TRead r(Put(Frames(Header(), 417, 12), 417, "\xFE"));
  EXPECT_EQ(r.mpeg.Frame().Position, 834);
}

TEST(MPEGaudio, FrameLengthsAndNames) {
  const struct {
    uint8_t b1, b2, b3;
    uint16_t length;
    const char *version, *layer, *mode, *emphasis;
    uint16_t sampleRate, bitRate;
  } cases[] = {
      {kB1, 0x90, 0x64, 417, "MPEG 1", "Layer III", "Joint Stereo", "None", 44100, 128},
      {kB1, 0x92, 0x65, 418, "MPEG 1", "Layer III", "Joint Stereo", "50/15 ms", 44100, 128},
      {kB1, 0xE4, 0xC7, 960, "MPEG 1", "Layer III", "Mono", "CCIT J.17", 48000, 320},
      {0xFD, 0xE8, 0x84, 1728, "MPEG 1", "Layer II", "Dual Channel", "None", 32000, 384},
      // Layer I counts 4-byte slots: 8 slots here, not 34 bytes.
      {0xFF, 0x10, 0x04, 32, "MPEG 1", "Layer I", "Stereo", "None", 44100, 32},
      {0xFF, 0xE6, 0x04, 452, "MPEG 1", "Layer I", "Stereo", "None", 48000, 448},
      {0xF3, 0x80, 0x64, 208, "MPEG 2", "Layer III", "Joint Stereo", "None", 22050, 64},
      // MPEG 2 Layer I frames hold 384 samples like MPEG 1 ones.
      {0xF7, 0x10, 0x04, 68, "MPEG 2", "Layer I", "Stereo", "None", 22050, 32},
      {0xE3, 0x28, 0x64, 144, "MPEG 2.5", "Layer III", "Joint Stereo", "None", 8000, 16},
      {0xE5, 0xE8, 0x04, 2880, "MPEG 2.5", "Layer II", "Stereo", "None", 8000, 160},
  };
  for (const auto& c : cases) {
    const size_t count = 4000 / c.length + 3;
    TRead r(Frames(Header(c.b1, c.b2, c.b3), c.length, count));
    const TMPEGaudio& m = r.mpeg;
    ASSERT_TRUE(m.Frame().Found) << c.version << " " << c.layer << " " << c.length;
    EXPECT_EQ(m.Frame().Size, c.length) << c.version << " " << c.layer;
    EXPECT_EQ(m.Version(), c.version);
    EXPECT_EQ(m.Layer(), c.layer);
    EXPECT_EQ(m.ChannelMode(), c.mode);
    EXPECT_EQ(m.Emphasis(), c.emphasis);
    EXPECT_EQ(m.SampleRate(), c.sampleRate);
    EXPECT_EQ(m.BitRate(), c.bitRate);
    EXPECT_EQ(m.Frames(), count) << c.version << " " << c.layer;
    EXPECT_NEAR(m.Duration(), count * c.length * 8.0 / c.bitRate / 1000, 1e-9);
  }
}

// The first frame is found wherever it starts, also across the edges of the
// blocks read, but only when its successor's header lies within the file.
TEST(MPEGaudio, FindsTheFirstFrameAnywhere) {
  for (size_t junk : {0, 1, 1729, 1730, 2000, 3454, 3457, 3458, 5000, 10000}) {
    TRead r(Junk(junk) + Frames(Header(), 417, 6));
    EXPECT_EQ(r.mpeg.Frame().Position, int64_t(junk)) << "after " << junk << " bytes";
    EXPECT_EQ(r.mpeg.AudioStart(), int64_t(junk));
    EXPECT_EQ(r.mpeg.Frames(), 6u) << "after " << junk << " bytes";
  }
  const struct {
    const char* what;
    std::string bytes;
    int64_t position;
  } cases[] = {
      {"last frame and a whole header", Junk(3000) + Frames(Header(), 417, 1) + Header(), 3000},
      {"last frame and 3 header bytes", Junk(3000) + Frames(Header(), 417, 1) + "\xFF\xFB\x90", -1},
      {"1728 bytes", Frames(Header(), 417, 4) + Junk(60), -1},
      {"1729 bytes", Frames(Header(), 417, 4) + Junk(61), 0},
      {"1728 bytes after the ID3v2 tag", tag_bytes::Tag(3, 0, "", 100) + Frames(Header(), 417, 4) + Junk(60), -1},
  };
  for (const auto& c : cases) {
    TRead r(c.bytes);
    EXPECT_EQ(r.mpeg.Frame().Found ? r.mpeg.Frame().Position : -1, c.position) << c.what;
  }
}

TEST(MPEGaudio, NothingFoundReadsAsReset) {
  TMPEGaudio fresh;
  TRead junk(Junk(9000) + std::string("TAG") + std::string(125, 'x'));
  for (const TMPEGaudio* m : {&fresh, &junk.mpeg}) {
    EXPECT_FALSE(m->Frame().Found);
    EXPECT_EQ(m->Frames(), 0u);
    EXPECT_EQ(m->Duration(), 0.0);
    EXPECT_EQ(m->BitRate(), 0);
    EXPECT_EQ(m->SampleRate(), 0);
    EXPECT_EQ(m->Version(), "MPEG ?");
    EXPECT_EQ(m->Layer(), "Layer ?");
    EXPECT_EQ(m->ChannelMode(), "Unknown");
    EXPECT_EQ(m->Emphasis(), "Unknown");
    EXPECT_EQ(m->Encoder(), "Unknown");
    EXPECT_FALSE(m->IsValid());
  }
  EXPECT_TRUE(junk.ok);
  EXPECT_FALSE(junk.mpeg.ID3v1().Exists());
  TMPEGaudio missing;
  EXPECT_FALSE(missing.ReadFromFile(L"Z:\\no\\such\\file.mp3"));
}

// A file shorter than the block read for the encoder mark at its end: that
// block starts at the file's start.
TEST(MPEGaudio, ShortFileWithTags) {
  const std::string v1 = "TAG" + std::string("Short") + std::string(120, '\0');
  const std::string v2 = tag_bytes::Tag(3, 0, tag_bytes::Frame23("TIT2", tag_bytes::Latin("T")), 478);
  TRead r(v2 + Put(Frames(Header(), 417, 5), 1200, "LAME3.95") + v1);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.mpeg.AudioStart(), 500);
  EXPECT_EQ(r.mpeg.AudioEnd(), r.mpeg.FileLength() - 128);
  EXPECT_EQ(r.mpeg.Frames(), 5u);
  EXPECT_EQ(r.mpeg.Encoder(), "LAME 3.95");
  EXPECT_EQ(r.mpeg.ID3v1().Title(), "Short");
  EXPECT_EQ(r.mpeg.ID3v2().Title(), "T");
}

// Xing fields sit where the flags before them put them; a VBRI header sits 32
// bytes after the frame header in every mode.
TEST(MPEGaudio, VBRHeaders) {
  const struct {
    const char* what;
    std::string header;
    size_t length, at;
    std::string vbr;
    const char* id;
    uint32_t frames, bytes;
    uint8_t scale;
    std::string vendor;
    double duration;
    uint16_t bitRate;
  } cases[] = {
      {"MPEG 1 stereo, all fields", Header(), 417, 36, Xing(15, 1000, 417000, 78, "LAME3.99r"), "Xing",
       1000, 417000, 78, "LAME3.99", 1000 * 1152 / 44100.0, 128},
      {"MPEG 1 mono, no table or scale", Header(kB1, kB2, 0xC4), 417, 21, Xing(3, 500, 100000, 0, "GOGO1234"),
       "Xing", 500, 100000, 0, "GOGO1234", 500 * 1152 / 44100.0, 61},
      {"MPEG 2 stereo, frames only", Header(0xF3, 0x80), 208, 21, Xing(1, 300, 0, 0, "ABCDEFGH"), "Xing",
       300, 0, 0, "ABCDEFGH", 300 * 576 / 22050.0, 64},
      {"MPEG 2 mono, no table", Header(0xF3, 0x80, 0xC4), 208, 13, Xing(11, 100, 20000, 9), "Xing", 100,
       20000, 9, "UUUUUUUU", 100 * 576 / 22050.0, 61},
      {"MPEG 2 Layer I", Header(0xF7, 0x10, 0x04), 68, 21, Xing(3, 100, 6800), "Xing", 100, 6800, 0,
       "UUUUUUUU", 100 * 384 / 22050.0, 31},
      {"bytes only", Header(), 417, 36, Xing(2, 0, 5000), "Xing", 0, 5000, 0, "UUUUUUUU", 12 * 417 * 8 / 128000.0,
       128},
      {"Info is no VBR header", Header(), 417, 36, Xing(15, 1000, 417000, 0, "", "Info"), "", 0, 0, 0, "",
       12 * 417 * 8 / 128000.0, 128},
      {"VBRI, MPEG 1 stereo", Header(), 417, 36, VBRI(2000, 900000), "VBRI", 2000, 900000, 75, "",
       2000 * 1152 / 44100.0, 138},
      {"VBRI, MPEG 1 mono", Header(kB1, kB2, 0xC4), 417, 36, VBRI(2000, 900000), "VBRI", 2000, 900000, 75, "",
       2000 * 1152 / 44100.0, 138},
      {"VBRI, MPEG 2 mono", Header(0xF3, 0x80, 0xC4), 208, 36, VBRI(50, 9000), "VBRI", 50, 9000, 75, "",
       50 * 576 / 22050.0, 55},
  };
  for (const auto& c : cases) {
    TRead r(Put(Frames(c.header, c.length, std::max<size_t>(12, 2000 / c.length)), c.at, c.vbr));
    const VBRData& v = r.mpeg.VBR();
    ASSERT_TRUE(r.mpeg.Frame().Found) << c.what;
    EXPECT_EQ(v.ID, c.id) << c.what;
    EXPECT_EQ(v.Found, *c.id != '\0') << c.what;
    EXPECT_EQ(v.Frames, c.frames) << c.what;
    EXPECT_EQ(v.Bytes, c.bytes) << c.what;
    EXPECT_EQ(v.Scale, c.scale) << c.what;
    EXPECT_EQ(v.VendorID, c.vendor) << c.what;
    EXPECT_NEAR(r.mpeg.Duration(), c.duration, 1e-9) << c.what;
    EXPECT_EQ(r.mpeg.BitRate(), c.bitRate) << c.what;
  }
}

TEST(MPEGaudio, EncoderGuess) {
  const std::string plain = Frames(Header(), 417, 12);
  const std::string zeroAfterHeader = Put(plain, 4, std::string(6, '\0'));
  const auto vbr = [&](const std::string& vendor) { return Put(plain, 36, Xing(15, 100, 41700, 0, vendor)); };
  const struct {
    const char* what;
    std::string bytes;
    const char* encoder;
  } cases[] = {
      {"original with CRC", Frames(Header(0xFA), 417, 12), "LAME"},
      {"original without CRC", plain, "FhG"},
      {"stereo below 161 kbit/s", Frames(Header(kB1, kB2, 0x04), 417, 12), "Blade"},
      {"stereo at 192 kbit/s", Frames(Header(kB1, 0xB0, 0x04), 626, 12), "FhG"},
      {"copyright and original without CRC", Frames(Header(kB1, kB2, 0x6C), 417, 12), "Xing"},
      {"zeros after the header", zeroAfterHeader, "Xing"},
      {"Layer II", Frames(Header(0xFD, 0x90), 522, 12), "QDesign"},
      {"dual channel with CRC", Frames(Header(0xFA, kB2, 0x84), 417, 12), "Shine"},
      {"LAME mark in the first block", Put(plain, 2000, "LAME3.97"), "LAME 3.97"},
      {"GOGO mark in the first block", Put(plain, 2000, "GOGO"), "GoGo"},
      {"LAME mark near the end", Put(Frames(Header(), 417, 40), 40 * 417 - 100, "LAME3.98"), "LAME 3.98"},
      {"Xing from LAME", vbr("LAME3.90"), "LAME 3.90"},
      {"Xing from LAME, odd version", vbr("LAME3.9x"), "LAME"},
      {"Xing from GOGO", vbr("GOGO"), "GoGo"},
      {"Xing from MPGE", vbr("MPGE"), "GoGo"},
      {"Xing alone", vbr(""), "Xing"},
      {"Xing from GOGO, LAME mark in the audio", Put(vbr("GOGO"), 2000, "LAME3.96"), "LAME 3.96"},
      {"VBRI", Put(plain, 36, VBRI(100, 41700)), "FhG"},
  };
  for (const auto& c : cases) {
    TRead r(c.bytes);
    EXPECT_EQ(r.mpeg.Encoder(), c.encoder) << c.what;
  }
}

TEST(MPEGaudio, IsValidBounds) {
  const struct {
    uint32_t frames, bytes;
    bool valid;
  } cases[] = {{1000, 1462857, true}, {1000, 1466122, false}, {1000, 26123, true},
               {1000, 22857, false},  {4, 4 * 417, true},      {3, 3 * 417, false}};
  for (const auto& c : cases) {
    TRead r(Put(Frames(Header(), 417, 12), 36, Xing(3, c.frames, c.bytes)));
    EXPECT_EQ(r.mpeg.IsValid(), c.valid) << c.frames << " frames, " << c.bytes << " bytes: "
                                         << r.mpeg.BitRate() << " kbit/s, " << r.mpeg.Duration() << " s";
  }
}

TEST(MPEGaudio, TagsFromMemory) {
  TMPEGaudio m;
  TMP3TagInfo info;
  const std::string v1 = "TAG" + std::string("One") + std::string(122, '\0');
  const std::string v2 = tag_bytes::Tag(3, 0, tag_bytes::Frame23("TIT2", tag_bytes::Latin("Two")));
  EXPECT_TRUE(m.ReadTagFromMemory(v1.data(), int32_t(v1.size()), info, 1));
  EXPECT_EQ(info.Title, "One");
  EXPECT_TRUE(m.ReadTagFromMemory(v2.data(), int32_t(v2.size()), info, 2));
  EXPECT_EQ(info.Title, "Two");
  EXPECT_FALSE(m.ReadTagFromMemory(v2.data(), int32_t(v2.size()), info, 3));
  EXPECT_FALSE(m.ReadTagFromMemory(nullptr, 0, info, 1));
}

}  // namespace
