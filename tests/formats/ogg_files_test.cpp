// TOggVorbis on files made by oggenc (see make-ogg-wma-fixtures.sh).
#include <gtest/gtest.h>

#include "formats/ogg_vorbis.h"
#include "foundation/tnt_system.h"
#include "ogg_bytes.h"
#include "test_support.h"

namespace {

using testing_support::ReadFileBytes;
using testing_support::TempDir;

std::wstring Fixture(const std::wstring& name) { return std::wstring(TAVRIN_OGGWMA_FIXTURES) + L"\\" + name; }

std::string Ansi(const std::wstring& s) { return WideToAnsiInCodePage(s, DefaultSystemCodePage); }

// A copy of the fixture in a temporary folder, to write to.
std::wstring CopyOf(const TempDir& dir, const std::wstring& name) {
  return dir.WriteFile(name, ReadFileBytes(Fixture(name)));
}

TEST(OggFiles, OggencStreams) {
  const struct {
    const wchar_t* file;
    uint8_t channels;
    int32_t rate;
    double duration;
    const char* title;
    bool valid;
  } cases[] = {
      {L"tagged.ogg", 2, 44100, 3.0, nullptr, true}, {L"fallback.ogg", 1, 22050, 2.0, "Quiet", true},
      {L"six.ogg", 6, 48000, 1.0, "Six", true},      {L"plain.ogg", 2, 44100, 3.0, "", true},
      {L"spanning.ogg", 2, 44100, 3.0, "Spanning", true}};
  for (const auto& c : cases) {
    const std::string bytes = ReadFileBytes(Fixture(c.file));
    EXPECT_TRUE(ogg_bytes::ChecksumsHold(bytes)) << "our checksum disagrees with oggenc's in " << Ansi(c.file);
    TOggVorbis ogg;
    ASSERT_TRUE(ogg.ReadFromFile(Fixture(c.file))) << Ansi(c.file);
    EXPECT_EQ(ogg.ChannelModeID(), c.channels) << Ansi(c.file);
    EXPECT_EQ(ogg.SampleRate(), c.rate) << Ansi(c.file);
    EXPECT_NEAR(ogg.GetDuration(), c.duration, 0.001) << Ansi(c.file);
    EXPECT_EQ(ogg.FileSize(), static_cast<int32_t>(bytes.size()));
    EXPECT_EQ(ogg.IsValid(), c.valid) << Ansi(c.file);
    EXPECT_EQ(ogg.Vendor().rfind("Xiph.Org libVorbis", 0), 0u) << ogg.Vendor();
    if (c.title) {
      EXPECT_EQ(ogg.Title(), c.title) << Ansi(c.file);
    }
  }
}

TEST(OggFiles, CommentsOfOggenc) {
  TOggVorbis ogg;
  ASSERT_TRUE(ogg.ReadFromFile(Fixture(L"tagged.ogg")));
  EXPECT_EQ(ogg.Title(), Ansi(L"\u00DCn\u00EFc\u00F6d\u00E9 Title"));
  EXPECT_EQ(ogg.Artist(), Ansi(L"\u65E5\u672C\u306E Artist"));
  EXPECT_EQ(ogg.Album(), "Fixture Album");
  EXPECT_EQ(ogg.Track(), 3);
  EXPECT_EQ(ogg.Date(), "2004");
  EXPECT_EQ(ogg.Genre(), "Ambient");
  EXPECT_EQ(ogg.Comment(), std::string(1000, 'c'));

  ASSERT_TRUE(ogg.ReadFromFile(Fixture(L"fallback.ogg")));
  EXPECT_EQ(ogg.Artist(), "The Performer");
  EXPECT_EQ(ogg.Comment(), "The Description");
  EXPECT_EQ(ogg.Track(), 300);
}

TEST(OggFiles, SaveAndReadBack) {
  TempDir dir;
  const std::wstring name = CopyOf(dir, L"tagged.ogg");
  const std::string before = ReadFileBytes(name);
  TOggVorbis ogg;
  ASSERT_TRUE(ogg.ReadFromFile(name));
  ogg.SetTitle(Ansi(L"Caf\u00E9"));
  ogg.SetAlbum("");
  ogg.SetTrack(4);
  ASSERT_TRUE(ogg.SaveToFile(name));
  const std::string after = ReadFileBytes(name);
  EXPECT_TRUE(ogg_bytes::ChecksumsHold(after));
  EXPECT_NE(after.find("TITLE=Caf\xC3\xA9"), std::string::npos);
  EXPECT_NE(after.find("ARTIST=\xE6\x97\xA5\xE6\x9C\xAC\xE3\x81\xAE Artist"), std::string::npos);
  EXPECT_NE(after.find("REPLAYGAIN_TRACK_PEAK=0.99"), std::string::npos);
  EXPECT_EQ(after.find("ALBUM=Fixture"), std::string::npos);
  // From the third page on the file is the same.
  const size_t oldThird = ogg_bytes::PageSize(before, 0) + ogg_bytes::PageSize(before, ogg_bytes::PageSize(before, 0));
  const size_t newThird = ogg_bytes::PageSize(after, 0) + ogg_bytes::PageSize(after, ogg_bytes::PageSize(after, 0));
  EXPECT_EQ(after.substr(newThird), before.substr(oldThird));

  TOggVorbis back;
  ASSERT_TRUE(back.ReadFromFile(name));
  EXPECT_EQ(back.Title(), Ansi(L"Caf\u00E9"));
  EXPECT_EQ(back.Album(), "");
  EXPECT_EQ(back.Track(), 4);
  EXPECT_EQ(back.Comment(), std::string(1000, 'c'));
  EXPECT_NEAR(back.GetDuration(), 3.0, 0.001);
}

TEST(OggFiles, SecondPageLimits) {
  TempDir dir;
  // The comment packet of spanning.ogg goes on past the second page.
  const std::wstring spanning = CopyOf(dir, L"spanning.ogg");
  TOggVorbis ogg;
  ASSERT_TRUE(ogg.ReadFromFile(spanning));
  ogg.SetTitle("Changed");
  EXPECT_FALSE(ogg.SaveToFile(spanning));
  EXPECT_EQ(ReadFileBytes(spanning), ReadFileBytes(Fixture(L"spanning.ogg")));

  // nearly_full.ogg has room for a few hundred bytes more, not for a thousand.
  const std::wstring full = CopyOf(dir, L"nearly_full.ogg");
  ASSERT_TRUE(ogg.ReadFromFile(full));
  ogg.SetComment(std::string(1500, 'x'));
  EXPECT_FALSE(ogg.SaveToFile(full));
  EXPECT_EQ(ReadFileBytes(full), ReadFileBytes(Fixture(L"nearly_full.ogg")));
  ogg.SetComment(std::string(200, 'x'));
  EXPECT_TRUE(ogg.SaveToFile(full));
  EXPECT_TRUE(ogg_bytes::ChecksumsHold(ReadFileBytes(full)));
}

}  // namespace
