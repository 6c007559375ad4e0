// TOggVorbis on files built byte by byte.
#include "formats/ogg_vorbis.h"

#include <gtest/gtest.h>

#include <cmath>

#include "formats/ogg_page.h"
#include "foundation/tnt_system.h"
#include "ogg_bytes.h"
#include "tag_bytes.h"
#include "test_support.h"

namespace {

using namespace ogg_bytes;
using testing_support::FilesIn;
using testing_support::ReadFileBytes;
using testing_support::TempDir;

std::string Ansi(const std::wstring& s) { return WideToAnsiInCodePage(s, DefaultSystemCodePage); }

// The comments of the second page of a file, as stored.
std::vector<std::string> StoredComments(const std::string& file) {
  const size_t page2 = PageSize(file, 0);
  const size_t data = page2 + 27 + static_cast<uint8_t>(file[page2 + 26]);
  auto get = [&](size_t at) { return uint32_t(uint8_t(file[at])) | uint32_t(uint8_t(file[at + 1])) << 8 |
                                     uint32_t(uint8_t(file[at + 2])) << 16 | uint32_t(uint8_t(file[at + 3])) << 24; };
  size_t at = data + 7;
  at += 4 + get(at);
  std::vector<std::string> comments(get(at));
  at += 4;
  for (auto& c : comments) {
    c = file.substr(at + 4, get(at));
    at += 4 + c.size();
  }
  return comments;
}

size_t AfterSecondPage(const std::string& file) { return PageSize(file, 0) + PageSize(file, PageSize(file, 0)); }

TEST(OggVorbis, TextIsUtf8BothWays) {
  const std::wstring greek = L"\u0395\u03BB\u03BB\u03AC\u03B4\u03B1";
  const std::wstring cyrillic = L"\u041C\u043E\u0441\u043A\u0432\u0430";
  File f;
  f.comments = {"TITLE=" + WideStringToUTF8(greek), "X_NOTE=\xE6\x97\xA5 kept", "ARTIST=Old", "TRACKNUMBER=3/12"};
  const std::string original = Make(f);
  TempDir dir;
  const std::wstring name = dir.WriteFile(L"a.ogg", original);
  TOggVorbis ogg;
  ASSERT_TRUE(ogg.ReadFromFile(name));
  EXPECT_EQ(ogg.Text(ogTitle), greek);
  EXPECT_EQ(ogg.Text(ogTrack), L"3/12");
  EXPECT_EQ(ogg.Text(ogVendor), L"Test vendor");
  ogg.SetText(ogTitle, greek + L" ");  // the same once trimmed: not a change
  ogg.SetText(ogVendor, L"Mine");     // read-only
  ogg.SetText(ogArtist, cyrillic);
  ASSERT_TRUE(ogg.SaveToFile(name));

  const std::string saved = ReadFileBytes(name);
  EXPECT_EQ(StoredComments(saved),
            (std::vector<std::string>{"TITLE=" + WideStringToUTF8(greek), "X_NOTE=\xE6\x97\xA5 kept",
                                      "ARTIST=" + WideStringToUTF8(cyrillic), "TRACKNUMBER=3/12"}));
  EXPECT_NE(saved.find("Test vendor"), std::string::npos);
  EXPECT_EQ(saved.substr(AfterSecondPage(saved)), original.substr(AfterSecondPage(original)));
  TOggVorbis back;
  ASSERT_TRUE(back.ReadFromFile(name));
  EXPECT_EQ(back.Text(ogArtist), cyrillic);
}

TEST(OggVorbis, ChecksumOfTheCheckString) {
  EXPECT_EQ(OggChecksum("123456789", 9), 0x89A1897Fu);  // CRC-32/POSIX before its final inversion
  const std::string page = Make({});
  EXPECT_TRUE(ChecksumsHold(page));
}

TEST(OggVorbis, ReadsCommentsByName) {
  const std::string longValue(1000, 'L');
  const struct {
    std::vector<std::string> comments;
    std::string title, artist, comment;
    uint16_t track;
  } cases[] = {
      {{"TITLE=T", "ARTIST=A", "COMMENT=C", "TRACKNUMBER=3/12"}, "T", "A", "C", 3},
      {{"title=t", "Artist=a", "comment=c", "tracknumber=300"}, "t", "a", "c", 300},
      {{"PERFORMER=P", "DESCRIPTION=D"}, "", "P", "D", 0},
      {{"PERFORMER=P", "ARTIST=A", "DESCRIPTION=D", "COMMENT=C"}, "", "A", "C", 0},
      {{"TITLE=first", "TITLE=second", "TRACKNUMBER=abc"}, "second", "", "", 0},
      {{"TITLE=  padded \t", "TRACKNUMBER=70000"}, "padded", "", "", 0},
      {{"COMMENT=" + longValue, "NOEQUALSIGN", "=empty name"}, "", "", longValue, 0},
      {{"TITLE=\xC3\xA9t\xC3\xA9"}, Ansi(L"\u00E9t\u00E9"), "", "", 0},
  };
  TempDir dir;
  for (const auto& c : cases) {
    File f;
    f.comments = c.comments;
    TOggVorbis ogg;
    ASSERT_TRUE(ogg.ReadFromFile(dir.WriteFile(L"a.ogg", Make(f)))) << c.comments[0];
    EXPECT_EQ(ogg.Title(), c.title) << c.comments[0];
    EXPECT_EQ(ogg.Artist(), c.artist) << c.comments[0];
    EXPECT_EQ(ogg.Comment(), c.comment) << c.comments[0];
    EXPECT_EQ(ogg.Track(), c.track) << c.comments[0];
    EXPECT_EQ(ogg.Vendor(), "Test vendor");
  }
}

TEST(OggVorbis, StreamValuesAndValidity) {
  const struct {
    uint8_t channels;
    uint32_t rate;
    uint64_t samples;
    const char* mode;
    bool valid;
  } cases[] = {{1, 22050, 44100, "Mono", true},         {2, 44100, 88200, "Stereo", true},
               {3, 44100, 88200, "Multichannel", false}, {5, 44100, 88200, "Multichannel", false},
               {6, 48000, 96000, "Multichannel", true},  {2, 44100, 2205, "Stereo", false},
               {0, 44100, 88200, "Unknown", false}};
  TempDir dir;
  for (const auto& c : cases) {
    File f;
    f.channels = c.channels, f.rate = c.rate, f.samples = c.samples;
    const std::string bytes = Make(f);
    TOggVorbis ogg;
    ASSERT_TRUE(ogg.ReadFromFile(dir.WriteFile(L"a.ogg", bytes)));
    const double duration = double(c.samples) / c.rate;
    EXPECT_EQ(ogg.GetChannelMode(), c.mode) << int(c.channels);
    EXPECT_EQ(ogg.BitRateNominal(), 128);
    EXPECT_DOUBLE_EQ(ogg.GetDuration(), duration) << int(c.channels);
    EXPECT_EQ(ogg.GetBitRate(), static_cast<uint16_t>(std::nearbyint(bytes.size() / duration / 125)));
    EXPECT_EQ(ogg.IsValid(), c.valid) << int(c.channels) << " channels, " << duration << " s";
  }
}

TEST(OggVorbis, ID3v2InFrontAndLastPageOutOfReach) {
  TempDir dir;
  const std::string id3 = tag_bytes::Tag(3, 0, "", 500);
  const std::string ogg = Make({});
  TOggVorbis a;
  ASSERT_TRUE(a.ReadFromFile(dir.WriteFile(L"id3.ogg", id3 + ogg)));
  EXPECT_TRUE(a.HasID3v2());
  EXPECT_EQ(a.ID3v2Size(), 510);
  EXPECT_EQ(a.Samples(), 88200);
  a.SetTitle("With ID3");
  ASSERT_TRUE(a.SaveToFile(dir.File(L"id3.ogg")));
  const std::string saved = ReadFileBytes(dir.File(L"id3.ogg"));
  EXPECT_EQ(saved.substr(0, id3.size()), id3);
  EXPECT_TRUE(ChecksumsHold(saved, id3.size()));

  // More than 50 windows of 241 bytes after the last page: the length comes
  // from the nominal bit rate instead.
  const std::string padded = ogg + std::string(13000, '\0');
  TOggVorbis b;
  ASSERT_TRUE(b.ReadFromFile(dir.WriteFile(L"far.ogg", padded)));
  EXPECT_EQ(b.Samples(), 0);
  EXPECT_DOUBLE_EQ(b.GetDuration(), double(padded.size()) / 128 / 2 / 125 * 2);
}

TEST(OggVorbis, SaveKeepsWhatItDoesNotEdit) {
  TempDir dir;
  File f;
  f.comments = {"REPLAYGAIN_TRACK_GAIN=-3 dB", "title=Old", "ALBUMARTIST=Various", "PERFORMER=P",
                "TRACKNUMBER=3/12",           "ARTIST=\xE6\x97\xA5\xE6\x9C\xAC",   "DESCRIPTION=D",
                "METADATA_BLOCK_PICTURE=AAAA", "TITLE=Old too", "GENRE=Rock"};
  const std::string original = Make(f);
  const std::wstring name = dir.WriteFile(L"a.ogg", original);
  TOggVorbis ogg;
  ASSERT_TRUE(ogg.ReadFromFile(name));
  ogg.SetArtist(ogg.Artist());  // through the code page and back: must not lose the text
  ogg.SetTitle("New");
  ogg.SetGenre("");
  ogg.SetDate("1999");
  ASSERT_TRUE(ogg.SaveToFile(name));

  const std::string saved = ReadFileBytes(name);
  EXPECT_TRUE(ChecksumsHold(saved));
  // PERFORMER and DESCRIPTION stand in for artist and comment, which did not change.
  const std::vector<std::string> expected = {
      "REPLAYGAIN_TRACK_GAIN=-3 dB", "TITLE=New", "ALBUMARTIST=Various", "PERFORMER=P", "TRACKNUMBER=3/12",
      "ARTIST=\xE6\x97\xA5\xE6\x9C\xAC", "DESCRIPTION=D", "METADATA_BLOCK_PICTURE=AAAA", "DATE=1999"};
  EXPECT_EQ(StoredComments(saved), expected);
  // Vendor, framing byte, setup packet and the audio page are untouched.
  EXPECT_EQ(saved.substr(AfterSecondPage(saved)), original.substr(AfterSecondPage(original)));
  EXPECT_NE(saved.find("Test vendor"), std::string::npos);
  EXPECT_NE(saved.find("\x01\x05vorbis" + std::string(40, '\x42')), std::string::npos);

  TOggVorbis back;
  ASSERT_TRUE(back.ReadFromFile(name));
  EXPECT_EQ(back.Title(), "New");
  EXPECT_EQ(back.Track(), 3);
  EXPECT_EQ(back.Genre(), "");
  EXPECT_EQ(back.Comment(), "D");

  // A track number set to another value replaces "3/12"; removal empties all.
  back.SetTrack(300);
  ASSERT_TRUE(back.SaveToFile(name));
  ASSERT_TRUE(back.ReadFromFile(name));
  EXPECT_EQ(back.Track(), 300);
  ASSERT_TRUE(back.RemoveFromFile(name));
  EXPECT_EQ(StoredComments(ReadFileBytes(name)),
            (std::vector<std::string>{"REPLAYGAIN_TRACK_GAIN=-3 dB", "ALBUMARTIST=Various",
                                      "METADATA_BLOCK_PICTURE=AAAA"}));
  EXPECT_EQ(FilesIn(dir.Path()), std::set<std::wstring>{L"a.ogg"});
}

TEST(OggVorbis, WriterRefusesWhatItCannotRebuild) {
  const std::string id = Page({Identification(2, 44100, 128000)}, 0, 0, 2);
  const std::string audio = Page({std::string(3000, '\x55')}, 88200, 3, 4);
  const std::string comments = CommentPacket({"TITLE=x", "PAD=" + std::string(600, 'p')});
  std::string notOggS = Make({});
  notOggS.replace(id.size(), 4, "OggX");
  std::string truncatedCount = id + Page({"\x03vorbis" + LittleEndian(1) + "v" + LittleEndian(5) +
                                          LittleEndian(3) + "A=1", SetupPacket()}, 0, 1) + audio;
  const std::string big(70000, 'b');
  const struct {
    const char* what;
    std::string file;
  } cases[] = {
      {"second page not starting with OggS", notOggS},
      {"no comment header", id + Page({SetupPacket()}, 0, 1) + audio},
      {"comment packet going on past the second page",
       id + Page({comments.substr(0, 510)}, 0, 1, 0, true) + Page({comments.substr(510), SetupPacket()}, 0, 2, 1) +
           audio},
      {"comment count larger than the packet holds", truncatedCount},
      {"new packet needing more than 255 lacing values",
       id + Page({CommentPacket({"TITLE=x", "BIG=" + std::string(64000, 'a')}), SetupPacket()}, 0, 1) + audio},
  };
  TempDir dir;
  for (const auto& c : cases) {
    const std::wstring name = dir.WriteFile(L"a.ogg", c.file);
    TOggVorbis ogg;
    ASSERT_TRUE(ogg.ReadFromFile(name)) << c.what;
    ogg.SetTitle("A longer title than before, long enough to need " + std::string(1200, 'x'));
    EXPECT_FALSE(ogg.SaveToFile(name)) << c.what;
    EXPECT_EQ(ReadFileBytes(name), c.file) << c.what;
    EXPECT_EQ(FilesIn(dir.Path()), std::set<std::wstring>{L"a.ogg"}) << c.what;
  }
}

TEST(OggVorbis, DamagedFilesNeitherCrashNorHang) {
  File f;
  f.comments = {"TITLE=T", "ARTIST=A", "TRACKNUMBER=1"};
  const std::string good = tag_bytes::Tag(3, 0, "", 20) + Make(f);
  TempDir dir;
  const std::wstring name = dir.File(L"a.ogg");
  std::vector<std::string> corpus = {"", "OggS", "ID3", std::string(300, '\0'),
                                     std::string("ID3\x03\0\0", 6) + tag_bytes::Syncsafe(0x0FFFFFFF) + Make(f)};
  for (size_t cut = 0; cut < good.size(); cut += 13) corpus.push_back(good.substr(0, cut));
  uint32_t seed = 12345;
  for (int i = 0; i < 100; ++i) {
    std::string damaged = good;
    for (int flips = 0; flips < 4; ++flips) {
      seed = seed * 1103515245 + 12345;
      damaged[(seed >> 8) % damaged.size()] = static_cast<char>(seed >> 24);
    }
    corpus.push_back(damaged);
  }
  for (const auto& bytes : corpus) {
    dir.WriteFile(L"a.ogg", bytes);
    TOggVorbis ogg;
    if (!ogg.ReadFromFile(name)) {
      EXPECT_EQ(ogg.Title(), "");
      EXPECT_EQ(ogg.SampleRate(), 0);
      continue;
    }
    ogg.SetTitle("Changed");
    if (ogg.SaveToFile(name)) {
      EXPECT_TRUE(ogg.ReadFromFile(name));
      EXPECT_EQ(ogg.Title(), "Changed");
    } else {
      EXPECT_EQ(ReadFileBytes(name), bytes);
    }
  }
  EXPECT_FALSE(TOggVorbis().ReadFromFile(dir.File(L"missing.ogg")));
  EXPECT_FALSE(TOggVorbis().SaveToFile(dir.File(L"missing.ogg")));
}

}  // namespace
