// Files made by Debian's lame (see make-mpeg-fixtures.sh).
#include <gtest/gtest.h>

#include "formats/mpeg_audio.h"
#include "mpeg_frames.h"
#include "test_support.h"

namespace {

using mpeg_frames::Fixture;
using testing_support::ReadFileBytes;

TEST(MPEGFiles, LameEncodings) {
  const auto truth = mpeg_frames::FixtureTruth();
  const struct {
    const char* file;
    const char* version;
    const char* mode;
    uint16_t sampleRate, samplesPerFrame;
    uint16_t bitRate;  // 0: an average, checked against the file's size
    const char* vbr;
    const char* encoder;
  } cases[] = {
      {"cbr128.mp3", "MPEG 1", "Joint Stereo", 44100, 1152, 128, "", "LAME 3.10"},
      {"vbr_standard.mp3", "MPEG 1", "Joint Stereo", 44100, 1152, 0, "Xing", "LAME 3.10"},
      {"no_tag_frame.mp3", "MPEG 1", "Joint Stereo", 44100, 1152, 128, "", "LAME 3.10"},
      {"mono.mp3", "MPEG 1", "Mono", 44100, 1152, 64, "", "LAME 3.10"},
      {"mpeg2_22k.mp3", "MPEG 2", "Joint Stereo", 22050, 576, 64, "", "LAME 3.10"},
      {"mpeg25_8k.mp3", "MPEG 2.5", "Joint Stereo", 8000, 576, 16, "", "LAME 3.10"},
      {"id3_tagged.mp3", "MPEG 1", "Joint Stereo", 44100, 1152, 128, "", "LAME 3.10"},
  };
  for (const auto& c : cases) {
    TMPEGaudio m;
    ASSERT_TRUE(m.ReadFromFile(Fixture(c.file))) << c.file;
    ASSERT_TRUE(truth.count(c.file)) << c.file;
    EXPECT_TRUE(m.IsValid()) << c.file;
    EXPECT_EQ(m.Version(), c.version) << c.file;
    EXPECT_EQ(m.Layer(), "Layer III") << c.file;
    EXPECT_EQ(m.ChannelMode(), c.mode) << c.file;
    EXPECT_EQ(m.SampleRate(), c.sampleRate) << c.file;
    EXPECT_EQ(m.VBR().ID, c.vbr) << c.file;
    EXPECT_EQ(m.Encoder(), c.encoder) << c.file;
    const double frame = double(c.samplesPerFrame) / c.sampleRate;
    EXPECT_NEAR(m.Duration(), truth.at(c.file), frame + 1e-3) << c.file;
    if (c.bitRate) {
      EXPECT_EQ(m.BitRate(), c.bitRate) << c.file;
    } else {
      const double average = (m.AudioEnd() - m.AudioStart()) * 8 / m.Duration() / 1000;
      EXPECT_NEAR(m.BitRate(), average, 2) << c.file;
    }
  }
}

// What the reader is measured against: lame's VBR files carry a Xing frame
// with a LAME tag, -t files no tag frame at all.
TEST(MPEGFiles, FixturesCarryTheExpectedTagFrames) {
  const std::string vbr = ReadFileBytes(Fixture("vbr_standard.mp3"));
  const std::string cbr = ReadFileBytes(Fixture("cbr128.mp3"));
  const std::string bare = ReadFileBytes(Fixture("no_tag_frame.mp3"));
  ASSERT_GT(vbr.size(), 200u);
  EXPECT_EQ(vbr.substr(36, 4), "Xing");
  EXPECT_EQ(vbr.substr(156, 4), "LAME");
  EXPECT_EQ(cbr.substr(36, 4), "Info");
  EXPECT_EQ(bare.substr(0, 400).find("Xing"), std::string::npos);
  EXPECT_EQ(bare.substr(0, 400).find("Info"), std::string::npos);

  TMPEGaudio m;
  ASSERT_TRUE(m.ReadFromFile(Fixture("vbr_standard.mp3")));
  EXPECT_EQ(m.VBR().VendorID, "LAME3.10");
  EXPECT_EQ(m.Frames(), m.VBR().Frames);
  ASSERT_TRUE(m.ReadFromFile(Fixture("no_tag_frame.mp3")));
  EXPECT_FALSE(m.VBR().Found);
}

TEST(MPEGFiles, TagsAroundTheAudio) {
  TMPEGaudio m;
  ASSERT_TRUE(m.ReadFromFile(Fixture("id3_tagged.mp3")));
  ASSERT_TRUE(m.ID3v2().Exists());
  ASSERT_TRUE(m.ID3v1().Exists());
  EXPECT_EQ(m.AudioStart(), m.ID3v2().Size());
  EXPECT_EQ(m.AudioEnd(), m.FileLength() - 128);
  EXPECT_EQ(m.ID3v2().Title(), "Fixture Title");
  EXPECT_EQ(m.ID3v1().Artist(), "Fixture Artist");
}

}  // namespace
