#include "formats/id3v1.h"

#include <gtest/gtest.h>

#include "tag_bytes.h"
#include "test_support.h"

namespace {

using tag_bytes::Audio;
using testing_support::ReadFileBytes;
using testing_support::TempDir;

// An ID3v1 block from its fields; comment may carry the 1.1 zero and track.
std::string Block(const std::string& title, const std::string& comment30, uint8_t genre = 17,
                  const std::string& year = "1999") {
  std::string b(128, '\0');
  b.replace(0, 3, "TAG");
  b.replace(3, title.size(), title);
  b.replace(33, 6, "Artist");
  b.replace(63, 5, "Album");
  b.replace(93, year.size(), year);
  b.replace(97, comment30.size(), comment30);
  b[127] = static_cast<char>(genre);
  return b;
}

std::string Lyrics3(const std::string& fields) {
  std::string block = "LYRICSBEGIN" + fields;
  std::string size = std::to_string(block.size());
  return block + std::string(6 - size.size(), '0') + size + "LYRICS200";
}

std::string Field(const std::string& id, const std::string& data) {
  std::string length = std::to_string(data.size());
  return id + std::string(5 - length.size(), '0') + length + data;
}

TEST(ID3v1, GenreTable) {
  ASSERT_EQ(ID3v1GenreNames.size(), 148u);
  const struct {
    uint8_t id;
    const char* name;
  } cases[] = {{0, "Blues"}, {17, "Rock"}, {147, "Synthpop"}, {148, ""}, {255, ""}};
  TID3v1 tag;
  for (const auto& c : cases) {
    tag.SetGenreID(c.id);
    EXPECT_EQ(tag.Genre(), c.name) << int(c.id);
  }
}

// "No genre" asked for by a signed number, as a list's item index gives it,
// is stored as 255 whatever the number; -2 must not wrap to genre 254.
TEST(ID3v1, NoGenreIsStoredAs255) {
  const struct {
    const char* what;
    void (*set)(TID3v1&);
    uint8_t stored;
  } cases[] = {
      {"SetGenreID(-1)", [](TID3v1& t) { t.SetGenreID(-1); }, 255},
      {"SetGenreID(-2)", [](TID3v1& t) { t.SetGenreID(-2); }, 255},
      {"SetGenreID(256)", [](TID3v1& t) { t.SetGenreID(256); }, 255},
      {"SetGenreID(byte 254)", [](TID3v1& t) { t.SetGenreID(uint8_t(254)); }, 254},
      {"SetGenreIndex(-2)", [](TID3v1& t) { t.SetGenreIndex(-2); }, 255},
      {"SetGenreIndex(148)", [](TID3v1& t) { t.SetGenreIndex(148); }, 255},
      {"SetGenreIndex(147)", [](TID3v1& t) { t.SetGenreIndex(147); }, 147},
  };
  TempDir dir;
  for (const auto& c : cases) {
    const std::wstring song = dir.WriteFile(L"a.mp3", Audio() + Block("T", "", 17));
    TID3v1 tag;
    ASSERT_TRUE(tag.ReadFromFile(song));
    c.set(tag);
    ASSERT_TRUE(tag.SaveToFile(song)) << c.what;
    EXPECT_EQ(static_cast<uint8_t>(ReadFileBytes(song).back()), c.stored) << c.what;
  }
}

TEST(ID3v1, ReadsBothVersionsFromFileAndMemory) {
  const struct {
    const char* what;
    std::string block;
    uint8_t version, track;
    std::string title, comment;
  } cases[] = {
      {"1.0", Block("Title", std::string(30, 'c')), 1, 0, "Title", std::string(30, 'c')},
      {"1.1", Block("Title", "Short" + std::string(23, '\0') + std::string("\0\x07", 2)), 2, 7,
       "Title", "Short"},
      {"space before a letter", Block("Title", std::string(28, 'c') + " A"), 2, 'A', "Title",
       std::string(28, 'c')},
      {"junk after the padding", Block(std::string("Ti\0junk  ", 9), "Note  "), 1, 0, "Ti", "Note"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    TID3v1 tag;
    ASSERT_TRUE(tag.ReadFromFile(dir.WriteFile(L"a.mp3", Audio() + c.block)));
    EXPECT_TRUE(tag.Exists());
    EXPECT_EQ(tag.VersionID(), c.version);
    EXPECT_EQ(tag.Track(), c.track);
    EXPECT_EQ(tag.Title(), c.title);
    EXPECT_EQ(tag.Comment(), c.comment);
    EXPECT_EQ(tag.Artist(), "Artist");
    EXPECT_EQ(tag.Year(), "1999");
    EXPECT_EQ(tag.Genre(), "Rock");

    TMP3TagInfo info;
    TID3v1 memory;
    ASSERT_TRUE(memory.ReadFromMemory(c.block.data(), 128, info));
    EXPECT_EQ(info.Title, c.title);
    EXPECT_EQ(info.Comment, c.comment);
    EXPECT_EQ(info.Track, c.track);
    EXPECT_EQ(info.Genre, "Rock");
  }
  TID3v1 tag;
  TMP3TagInfo info;
  info.Title = "kept";
  EXPECT_FALSE(tag.ReadFromMemory(Block("Title", "").data(), 127, info));
  EXPECT_FALSE(tag.ReadFromMemory(std::string(128, 'x').data(), 128, info));
  EXPECT_EQ(info.Title, "kept");
}

TEST(ID3v1, SaveReadRemoveRoundTrip) {
  TempDir dir;
  const std::string audio = Audio();
  const std::wstring song = dir.WriteFile(L"song.mp3", audio);
  TID3v1 tag;
  tag.SetTitle("A title of forty characters, no less....");
  tag.SetArtist("Artist  ");
  tag.SetYear("20245");
  tag.SetTrack(12);
  tag.SetGenreID(147);
  ASSERT_EQ(tag.ExtTitle().size(), 40u);
  ASSERT_TRUE(tag.SaveToFile(song));
  // Long values alone earn no Lyrics3 block: the ID3v1 block holds 30 characters.
  EXPECT_EQ(ReadFileBytes(song).size(), audio.size() + 128);

  TID3v1 back;
  ASSERT_TRUE(back.ReadFromFile(song));
  EXPECT_EQ(back.Title(), "A title of forty characters, n");
  EXPECT_EQ(back.Artist(), "Artist");
  EXPECT_EQ(back.Year(), "2024");
  EXPECT_EQ(back.Track(), 12);
  EXPECT_EQ(back.VersionID(), 2);
  EXPECT_EQ(back.Genre(), "Synthpop");
  EXPECT_FALSE(back.Lyrics3Present());

  ASSERT_TRUE(back.RemoveFromFile(song));
  EXPECT_EQ(ReadFileBytes(song), audio);
}

TEST(ID3v1, Lyrics3BlockIsWrittenReadAndReplaced) {
  TempDir dir;
  const std::string audio = Audio();
  const std::wstring song = dir.WriteFile(L"song.mp3", audio + Lyrics3(Field("LYR", "old")) +
                                                          Block("Old", ""));
  TID3v1 tag;
  ASSERT_TRUE(tag.ReadFromFile(song));
  ASSERT_TRUE(tag.Lyrics3Present());
  tag.SetTitle(std::string(35, 'T'));
  tag.SetLyrics("line 1\r\nline 2");
  tag.SetAuthor("Me");
  ASSERT_TRUE(tag.SaveToFile(song));

  const std::string block = Lyrics3("IND0000210" + Field("ETT", std::string(35, 'T')) +
                                    Field("AUT", "Me") + Field("LYR", "line 1\r\nline 2"));
  const std::string bytes = ReadFileBytes(song);
  ASSERT_EQ(bytes.size(), audio.size() + block.size() + 128);
  EXPECT_EQ(bytes.substr(0, audio.size()), audio);
  EXPECT_EQ(bytes.substr(audio.size(), block.size()), block);
  EXPECT_EQ(tag.TagSize(), static_cast<int32_t>(block.size() + 128));

  TID3v1 back;
  ASSERT_TRUE(back.ReadFromFile(song));
  EXPECT_EQ(back.Title(), std::string(35, 'T'));
  EXPECT_EQ(back.Lyrics(), "line 1\r\nline 2");
  EXPECT_EQ(back.Author(), "Me");
  EXPECT_EQ(back.Lyrics3Size(), static_cast<int32_t>(block.size()));
}

TEST(ID3v1, Lyrics3FieldsAndLineBreaks) {
  TempDir dir;
  const std::wstring song = dir.WriteFile(
      L"a.mp3", Audio() + Lyrics3("IND0000210" + Field("LYR", "a\rb\r\nc\nd") +
                                  Field("INF", "  long comment ") + Field("EAR", "Ext artist") +
                                  Field("IMG", " link ")));
  TID3v1 tag;
  ASSERT_TRUE(tag.ReadFromFile(song));
  EXPECT_FALSE(tag.Exists());
  EXPECT_TRUE(tag.Lyrics3Present());
  EXPECT_EQ(tag.Lyrics(), "a\r\nb\r\nc\nd");
  EXPECT_EQ(tag.Comment(), "long comment");
  EXPECT_EQ(tag.Artist(), "Ext artist");
  EXPECT_EQ(tag.ImageLink(), " link ");
}

// Lying trailers are ignored, their bytes left alone, and no read leaves the file.
TEST(ID3v1, HostileTrailers) {
  const std::string audio = Audio();
  const struct {
    const char* what;
    std::string tail;
    bool lyrics3;
    std::string lyrics;
  } cases[] = {
      {"size past the file", "999999LYRICS200", false, ""},
      {"size not a number", "00x020LYRICS200", false, ""},
      {"start mark missing", std::string(20, 'x') + "000020LYRICS200", false, ""},
      {"field longer than the block", Lyrics3(Field("LYR", "ok") + "LYR99999abc"), true, "ok"},
      {"field length not a number", Lyrics3(Field("LYR", "ok") + "INF0x003abc"), true, "ok"},
      {"unknown field ends the walk", Lyrics3(Field("XYZ", "ab") + Field("LYR", "no")), true, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::wstring song = dir.WriteFile(L"a.mp3", audio + c.tail);
    TID3v1 tag;
    ASSERT_TRUE(tag.ReadFromFile(song));
    EXPECT_EQ(tag.Lyrics3Present(), c.lyrics3);
    EXPECT_EQ(tag.Lyrics(), c.lyrics);
    ASSERT_TRUE(tag.RemoveFromFile(song));
    EXPECT_EQ(ReadFileBytes(song), c.lyrics3 ? audio : audio + c.tail);
  }
}

TEST(ID3v1, MissingAndTinyFiles) {
  TempDir missing;
  TID3v1 none;
  EXPECT_FALSE(none.ReadFromFile(missing.File(L"none.mp3")));
  EXPECT_FALSE(none.SaveToFile(missing.File(L"none.mp3")));
  EXPECT_FALSE(none.RemoveFromFile(missing.File(L"none.mp3")));
  for (const std::string& bytes : {std::string(), std::string("LYRICS200"), std::string(100, 'x')}) {
    TempDir dir;
    TID3v1 tag;
    const std::wstring song = dir.WriteFile(L"a.mp3", bytes);
    EXPECT_TRUE(tag.ReadFromFile(song));
    EXPECT_FALSE(tag.Exists());
    EXPECT_TRUE(tag.RemoveFromFile(song));
    EXPECT_EQ(ReadFileBytes(song), bytes);
  }
}

TEST(ID3v1, ReadOnlyFiles) {
  TempDir dir;
  const std::string audio = Audio();
  const std::wstring song = dir.WriteFile(L"a.mp3", audio);
  ASSERT_TRUE(SetFileAttributesW(song.c_str(), FILE_ATTRIBUTE_READONLY));
  TID3v1 tag;
  // Nothing to remove: the file is not even opened for writing.
  EXPECT_TRUE(tag.RemoveFromFile(song));
  tag.SetTitle("T");
  EXPECT_TRUE(tag.SaveToFile(song));
  EXPECT_EQ(ReadFileBytes(song).size(), audio.size() + 128);
  EXPECT_TRUE(GetFileAttributesW(song.c_str()) & FILE_ATTRIBUTE_READONLY);
}

TEST(ID3v1, RefusesLyricsTheFormatCannotState) {
  TempDir dir;
  const std::string original = Audio() + Block("Title", "");
  const std::wstring song = dir.WriteFile(L"a.mp3", original);
  TID3v1 tag;
  tag.SetLyrics(std::string(100000, 'l'));
  EXPECT_FALSE(tag.SaveToFile(song));
  EXPECT_EQ(ReadFileBytes(song), original);
  tag.SetLyrics(std::string(99999, 'l'));
  EXPECT_TRUE(tag.SaveToFile(song));
  TID3v1 back;
  ASSERT_TRUE(back.ReadFromFile(song));
  EXPECT_EQ(back.Lyrics().size(), 99999u);
}

}  // namespace
