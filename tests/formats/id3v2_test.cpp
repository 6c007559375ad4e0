#include "formats/id3v2.h"

#include <gtest/gtest.h>

#include <cstring>

#include "foundation/tnt_system.h"
#include "tag_bytes.h"
#include "test_support.h"

namespace {

using namespace tag_bytes;
using testing_support::FilesIn;
using testing_support::ReadFileBytes;
using testing_support::TempDir;

// Bytes that end exactly where readable memory ends: any read past them faults.
class FencedBytes {
 public:
  explicit FencedBytes(const std::string& bytes) {
    const size_t pages = bytes.size() / 4096 + 2;
    FBase = static_cast<char*>(VirtualAlloc(nullptr, pages * 4096, MEM_COMMIT, PAGE_READWRITE));
    DWORD old;
    VirtualProtect(FBase + (pages - 1) * 4096, 4096, PAGE_NOACCESS, &old);
    FData = FBase + (pages - 1) * 4096 - bytes.size();
    std::memcpy(FData, bytes.data(), bytes.size());
  }
  ~FencedBytes() { VirtualFree(FBase, 0, MEM_RELEASE); }
  const char* Data() const { return FData; }

 private:
  char* FBase;
  char* FData;
};

struct Expected {
  std::string title, artist, album, year, genre, comment, link;
  uint16_t track = 0;
};

void ExpectValues(const TID3v2& tag, const Expected& e) {
  EXPECT_EQ(tag.Title(), e.title);
  EXPECT_EQ(tag.Artist(), e.artist);
  EXPECT_EQ(tag.Album(), e.album);
  EXPECT_EQ(tag.Year(), e.year);
  EXPECT_EQ(tag.Genre(), e.genre);
  EXPECT_EQ(tag.Comment(), e.comment);
  EXPECT_EQ(tag.Link(), e.link);
  EXPECT_EQ(tag.Track(), e.track);
}

// Reads the tag from a file and from fenced memory; both must agree.
void ExpectTag(const std::string& tag, const Expected& e) {
  TempDir dir;
  TID3v2 fromFile;
  ASSERT_TRUE(fromFile.ReadFromFile(dir.WriteFile(L"a.mp3", tag + Audio())));
  ExpectValues(fromFile, e);
  FencedBytes fenced(tag);
  TID3v2 fromMemory;
  TMP3TagInfo info;
  ASSERT_TRUE(fromMemory.ReadFromMemory(fenced.Data(), static_cast<int32_t>(tag.size()), info));
  EXPECT_EQ(info.Title, e.title);
  EXPECT_EQ(info.Artist, e.artist);
  EXPECT_EQ(info.Comment, e.comment);
  EXPECT_EQ(info.Track, e.track);
}

TEST(ID3v2, ReadsTextInEveryVersionAndEncoding) {
  const std::wstring ydiaeresis = L"caf\u00FF";  // low byte $FF
  const struct {
    const char* what;
    std::string tag;
    Expected e;
  } cases[] = {
      {"2.3 all fields",
       Tag(3, 0,
           Frame23("TIT2", Latin("Title")) + Frame23("TPE1", Latin(" Artist ")) +
               Frame23("TALB", Latin("Album")) + Frame23("TRCK", Latin("3/12")) +
               Frame23("TYER", Latin("1999")) + Frame23("TCON", Latin("(17)Rock")) +
               Frame23("COMM", std::string("\0eng\0Nice", 9)) +
               Frame23("WXXX", std::string("\0\0http://x", 10)),
           100),
       {"Title", "Artist", "Album", "1999", "Rock", "Nice", "http://x", 3}},
      {"2.2 ids", Tag(2, 0, Frame22("TT2", Latin("T")) + Frame22("TP1", Latin("A")) +
                                Frame22("TRK", Latin("7")) + Frame22("COM", std::string("\0eng\0C", 6))),
       {"T", "A", "", "", "", "C", "", 7}},
      {"2.4 UTF-8, UTF-16BE, syncsafe sizes, recording time",
       Tag(4, 0,
           Frame24("TIT2", "\x03" "caf\xC3\xBF") + Frame24("TPE1", "\x02" + Utf16(L"BE", true, false)) +
               Frame24("TALB", Latin(std::string(200, 'a'))) + Frame24("TDRC", Latin("2004-05-06"))),
       {"caf\xFF", "BE", std::string(200, 'a'), "2004", "", "", ""}},
      {"UTF-16 both byte orders, no character lost to its low byte",
       Tag(3, 0, Frame23("TIT2", "\x01" + Utf16(ydiaeresis)) +
                     Frame23("TPE1", "\x01" + Utf16(ydiaeresis, true))),
       {"caf\xFF", "caf\xFF", "", "", "", "", ""}},
      // "A" then U+0100: the bytes 41 00 00 01 hold 00 00 at an odd offset.
      {"UTF-16 terminators on even offsets",
       Tag(3, 0, Frame23("COMM", "\x01" "eng" + Utf16(L"A\u0100") + std::string(2, '\0') +
                                     Utf16(L"text")) +
                     Frame23("WXXX", "\x01" + Utf16(L"d") + std::string(2, '\0') + "http://u")),
       {"", "", "", "", "", "text", "http://u"}},
      {"fallbacks, the last frame wins, unreadable frames skipped",
       Tag(3, 0, Frame23("TIT1", Latin("Group")) + Frame23("TPE1", Latin("First")) +
                     Frame23("TPE1", Latin("Second")) + Frame23("TALB", "\x04odd") +
                     Frame23("TOAL", Latin("Original")) +
                     Frame23("TCON", Latin("Rock (Live)")) +
                     Frame23("TRCK", Latin("x1"), 0, 0x80) + Frame23("TRCK", Latin("abc"))),
       {"Group", "Second", "Original", "", "Rock (Live)", "", ""}},
      {"genre reference alone", Tag(3, 0, Frame23("TCON", Latin("(17)"))), {}},
      {"frames longer than 500 bytes are read whole",
       Tag(3, 0, Frame23("COMM", std::string("\0eng\0", 5) + std::string(600, 'c'))),
       {"", "", "", "", "", std::string(600, 'c'), ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ExpectTag(c.tag, c.e);
  }
}

// Blocks that lie about their sizes are read as far as they can be trusted,
// never past the data, and the walk always ends.
TEST(ID3v2, HostileBlocks) {
  const std::string title = Frame23("TIT2", Latin("Title"));
  const struct {
    const char* what;
    std::string tag;
    std::string title, artist;
  } cases[] = {
      {"truncated tag", Tag(3, 0, title + Frame23("TPE1", Latin("A")), 5000).substr(0, 40), "", ""},
      {"frame past the tag", Tag(3, 0, title + "TPE1" + BigEndian(5000) + std::string(2, '\0') + Latin("A")),
       "Title", ""},
      {"zero-size frames", Tag(3, 0, Frame23("TIT2", "") + Frame23("TPE1", Latin("A"))), "", "A"},
      {"size $FFFFFFFF (2.3)", Tag(3, 0, title + "TPE1" + BigEndian(~0u) + std::string(2, '\0') + Latin("A")),
       "Title", ""},
      {"size $FFFFFFFF (2.4)", Tag(4, 0, title + "TPE1" + BigEndian(~0u) + std::string(2, '\0') + Latin("A")),
       "Title", ""},
      {"lowercase id ends the walk", Tag(3, 0, title + Frame23("tpe1", Latin("A"))), "Title", ""},
      // FF FE becomes FF 00 FE, and the $FF of U+00FF gains a zero too.
      {"2.3 unsynchronisation",
       Tag(3, 0x80, std::string("TIT2\0\0\0\x05\0\0\x01\xFF\0\xFE\xFF\0\0", 17)),
       "\xFF", ""},
      {"2.4 frame unsynchronisation with length field",
       Tag(4, 0, Frame24("TIT2", std::string("\0\0\0\x05\x01\xFF\0\xFE\x41\0", 10), 0, 0x03)), "A", ""},
      {"2.3 extended header", Tag(3, 0x40, std::string("\0\0\0\x06", 4) + std::string(6, '\0') + title),
       "Title", ""},
      {"2.4 extended header", Tag(4, 0x40, std::string("\0\0\0\x06\x01\0", 6) + title), "Title", ""},
      {"extended header past the tag", Tag(3, 0x40, std::string("\x7F\0\0\0", 4) + title), "", ""},
      {"2.2 compressed tag", Tag(2, 0x40, Frame22("TT2", Latin("T"))), "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    TID3v2 tag;
    ASSERT_TRUE(tag.ReadFromFile(dir.WriteFile(L"a.mp3", c.tag)));
    EXPECT_TRUE(tag.Exists());
    EXPECT_EQ(tag.Title(), c.title);
    EXPECT_EQ(tag.Artist(), c.artist);
    FencedBytes fenced(c.tag);
    TMP3TagInfo info;
    ASSERT_TRUE(tag.ReadFromMemory(fenced.Data(), static_cast<int32_t>(c.tag.size()), info));
    EXPECT_EQ(info.Title, c.title);
  }
  TMP3TagInfo info;
  TID3v2 tag;
  EXPECT_FALSE(tag.ReadFromMemory("ID3\3\0\0\0\0", 9, info));
}

TEST(ID3v2, FooterBelongsToTheTag) {
  TempDir dir;
  const std::string body = Frame24("TIT2", Latin("T"));
  const std::string tag = Tag(4, 0x10, body) + std::string("3DI\x04\0\x10", 6) + Syncsafe(body.size());
  const std::wstring song = dir.WriteFile(L"a.mp3", tag + Audio());
  TID3v2 id3;
  ASSERT_TRUE(id3.ReadFromFile(song));
  EXPECT_EQ(id3.Size(), static_cast<int32_t>(tag.size()));
  EXPECT_EQ(id3.Title(), "T");
  ASSERT_TRUE(id3.RemoveFromFile(song));
  EXPECT_EQ(ReadFileBytes(song), Audio());
}

TEST(ID3v2, SaveReadRemoveRoundTrip) {
  TempDir dir;
  const std::string audio = Audio();
  const std::wstring song = dir.WriteFile(L"song.mp3", audio);
  TID3v2 tag;
  EXPECT_FALSE(tag.RemoveFromFile(song));
  tag.SetTitle("  Title ");
  tag.SetArtist("Artist");
  tag.SetTrack(5);
  tag.SetYear("2001");
  tag.SetGenre("Jazz");
  tag.SetComment("Comment");
  tag.SetComposer("Composer");
  tag.SetLink("http://l");
  ASSERT_TRUE(tag.SaveToFile(song));

  std::string bytes = ReadFileBytes(song);
  ASSERT_EQ(bytes.size(), 4096 + audio.size());
  EXPECT_EQ(bytes.substr(0, 10), std::string("ID3\3\0\0", 6) + Syncsafe(4086));
  EXPECT_EQ(bytes.substr(10, 16), Frame23("TIT2", Latin("Title")));
  EXPECT_EQ(bytes.substr(4096), audio);
  TID3v2 back;
  ASSERT_TRUE(back.ReadFromFile(song));
  ExpectValues(back, {"Title", "Artist", "", "2001", "Jazz", "Comment", "http://l", 5});
  EXPECT_EQ(back.Composer(), "Composer");

  ASSERT_TRUE(back.RemoveFromFile(song));
  EXPECT_EQ(ReadFileBytes(song), audio);
  EXPECT_EQ(FilesIn(dir.Path()), std::set<std::wstring>{L"song.mp3"});
}

TEST(ID3v2, TagSizeOnSave) {
  const struct {
    const char* what;
    size_t oldTag;  // 0: none
    size_t valueSize;
    size_t newTag;
  } cases[] = {
      {"room in the old tag: overwritten in place", 2048, 10, 2048},
      {"no tag: default size", 0, 10, 4096},
      {"too much padding: rebuilt", 5000, 10, 4096},
      {"old tag too small: rebuilt", 100, 200, 4096},
      {"values beyond the default: no padding", 0, 5000, 10 + 10 + 5001},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string audio = Audio();
    const std::string old = c.oldTag ? Tag(3, 0, Frame23("TIT2", Latin("Old")), c.oldTag - 24) : "";
    const std::wstring song = dir.WriteFile(L"a.mp3", old + audio);
    TID3v2 tag;
    tag.SetTitle(std::string(c.valueSize, 't'));
    ASSERT_TRUE(tag.SaveToFile(song));
    const std::string bytes = ReadFileBytes(song);
    EXPECT_EQ(bytes.size(), c.newTag + audio.size());
    EXPECT_EQ(bytes.substr(c.newTag), audio);
    TID3v2 back;
    ASSERT_TRUE(back.ReadFromFile(song));
    EXPECT_EQ(back.Title(), std::string(c.valueSize, 't'));
  }
}

const std::wstring kGreek = L"\u0395\u03BB\u03BB\u03AC\u03B4\u03B1";
const std::wstring kCyrillic = L"\u041C\u043E\u0441\u043A\u0432\u0430";
const std::wstring kCjk = L"\u65E5\u672C\u8A9E";

TEST(ID3v2, TextIsDecodedFromTheFramesOwnEncoding) {
  const std::string noDescription = Utf16(L"") + std::string(2, '\0');
  const struct {
    const char* what;
    std::string tag;
    TID3v2Field field;
    std::wstring text;
  } cases[] = {
      {"UTF-16 with mark", Tag(3, 0, Frame23("TIT2", "\x01" + Utf16(kGreek))), v2Title, kGreek},
      {"UTF-16BE", Tag(4, 0, Frame24("TPE1", "\x02" + Utf16(kCyrillic, true, false))), v2Artist, kCyrillic},
      {"UTF-8", Tag(4, 0, Frame24("TALB", "\x03" + WideStringToUTF8(kCjk))), v2Album, kCjk},
      {"ISO-8859-1", Tag(3, 0, Frame23("TIT2", Latin(" caf\xE9 "))), v2Title, L"caf\u00E9"},
      {"2.2 UTF-16", Tag(2, 0, Frame22("TT2", "\x01" + Utf16(kCjk))), v2Title, kCjk},
      {"genre reference", Tag(3, 0, Frame23("TCON", "\x01" + Utf16(L"(17)" + kCyrillic))), v2Genre, kCyrillic},
      {"track text as written", Tag(3, 0, Frame23("TRCK", Latin("3/12"))), v2Track, L"3/12"},
      {"the plain comment, not a later player's one",
       Tag(3, 0, Frame23("COMM", "\x01" "eng" + noDescription + Utf16(kGreek)) +
                     Frame23("COMM", std::string("\0engiTunNORM\0 0000 0001", 23))),
       v2Comment, kGreek},
  };
  TempDir dir;
  for (const auto& c : cases) {
    TID3v2 tag;
    ASSERT_TRUE(tag.ReadFromFile(dir.WriteFile(L"a.mp3", c.tag + Audio()))) << c.what;
    EXPECT_EQ(tag.Text(c.field), c.text) << c.what;
  }
}

// Frames the class does not edit, and fields not changed, survive a save byte
// for byte; changed fields get ISO-8859-1 when it holds them, else UTF-16.
TEST(ID3v2, SaveRebuildsOnlyChangedFields) {
  TempDir dir;
  const std::string picture = Frame23("APIC", std::string("\0image/png\0\x03\0", 13) + std::string(300, '\x89'));
  const std::string kept = picture + Frame23("USLT", std::string("\0eng\0words", 10)) +
                           Frame23("TXXX", Latin(std::string("key\0value", 9))) +
                           Frame23("TPOS", Latin("1/2"), 0x40, 0) +
                           Frame23("COMM", std::string("\0deuNotiz\0Hallo", 15));
  const std::string greekTitle = Frame23("TIT2", "\x01" + Utf16(kGreek));
  const std::string longComment = Frame23("COMM", std::string("\0eng\0", 5) + std::string(700, 'c'));
  const std::string otherComment = Frame23("COMM", std::string("\0eng\0", 5) + "first");
  const std::string audio = Audio();
  const std::wstring song = dir.WriteFile(
      L"a.mp3", Tag(3, 0, otherComment + greekTitle + kept + longComment + Frame23("TPE1", Latin("Old"))) + audio);

  TID3v2 tag;
  ASSERT_TRUE(tag.ReadFromFile(song));
  EXPECT_EQ(tag.Text(v2Title), kGreek);
  EXPECT_NE(tag.Title().find('?'), std::string::npos);  // the code page cannot hold it
  tag.SetTitle(tag.Title());                              // and setting that back changes nothing
  tag.SetText(v2Album, L" ");
  tag.SetText(v2Artist, kCyrillic);
  ASSERT_TRUE(tag.SaveToFile(song));
  std::string bytes = ReadFileBytes(song);
  for (const std::string& frame : {picture, kept, greekTitle, longComment, otherComment})
    EXPECT_NE(bytes.find(frame), std::string::npos);
  EXPECT_NE(bytes.find(Frame23("TPE1", "\x01" + Utf16(kCyrillic))), std::string::npos);
  EXPECT_EQ(bytes.find("Old"), std::string::npos);
  EXPECT_EQ(bytes.find("TALB"), std::string::npos);
  EXPECT_EQ(bytes.substr(bytes.size() - audio.size()), audio);

  TID3v2 back;
  ASSERT_TRUE(back.ReadFromFile(song));
  EXPECT_EQ(bytes.size(), back.Size() + audio.size());
  EXPECT_EQ(back.Text(v2Artist), kCyrillic);
  EXPECT_EQ(back.Text(v2Title), kGreek);
  back.SetComment("changed");
  back.SetText(v2Title, L"caf\u00E9");
  ASSERT_TRUE(back.SaveToFile(song));
  bytes = ReadFileBytes(song);
  EXPECT_EQ(bytes.find(longComment), std::string::npos);
  for (const std::string& frame : {kept, otherComment, Frame23("TIT2", Latin("caf\xE9"))})
    EXPECT_NE(bytes.find(frame), std::string::npos);
  ASSERT_TRUE(back.ReadFromFile(song));
  EXPECT_EQ(back.Comment(), "changed");

  // An artist shown from the original-artist frame stays cleared when cleared.
  const std::wstring other = dir.WriteFile(L"b.mp3", Tag(3, 0, Frame23("TOPE", Latin("Orig"))) + audio);
  ASSERT_TRUE(back.ReadFromFile(other));
  EXPECT_EQ(back.Artist(), "Orig");
  back.SetText(v2Artist, L"");
  ASSERT_TRUE(back.SaveToFile(other));
  ASSERT_TRUE(back.ReadFromFile(other));
  EXPECT_EQ(back.Artist(), "");
}

TEST(ID3v2, Version24TagKeepsItsVersionAndFrames) {
  TempDir dir;
  const std::string kept =
      Frame24("APIC", std::string("\0image/png\0\x03\0", 13) + std::string(300, '\x89'), 0x40, 0) +
      Frame24("TXXX", std::string("\x03k\0v\xC3\xA9", 6)) +
      // Grouping byte, then a length field, then unsynchronised text.
      Frame24("TPE2", std::string("\x07\0\0\0\x04\0\xFF\0\x41", 9), 0, 0x43) +
      Frame24("TCOP", std::string("\x78\x9C", 2), 0, 0x08);  // compressed, no length field
  const std::string audio = Audio();
  const std::wstring song = dir.WriteFile(
      L"a.mp3", Tag(4, 0, Frame24("TIT2", Latin("Old")) + kept + Frame24("TDRC", Latin("2004-05-06"))) + audio);
  TID3v2 tag;
  ASSERT_TRUE(tag.ReadFromFile(song));
  tag.SetText(v2Title, kGreek);
  ASSERT_TRUE(tag.SaveToFile(song));
  std::string bytes = ReadFileBytes(song);
  EXPECT_EQ(bytes.substr(0, 6), std::string("ID3\4\0\0", 6));
  EXPECT_NE(bytes.find(Frame24("TIT2", "\x03" + WideStringToUTF8(kGreek)) + kept), std::string::npos);
  EXPECT_EQ(bytes.find("TYER"), std::string::npos);
  EXPECT_EQ(bytes.substr(bytes.size() - audio.size()), audio);
  TID3v2 back;
  ASSERT_TRUE(back.ReadFromFile(song));
  EXPECT_EQ(back.Text(v2Title), kGreek);
  EXPECT_EQ(back.Year(), "2004");

  // The year is the recording time's; unsynchronisation the header declared
  // moves into each frame, as the header is written anew.
  dir.WriteFile(L"a.mp3", Tag(4, 0x80, Frame24("TPE1", Latin("A")) + Frame24("TDRC", Latin("2004-05-06"))) + audio);
  ASSERT_TRUE(tag.ReadFromFile(song));
  tag.SetYear("2010");
  ASSERT_TRUE(tag.SaveToFile(song));
  bytes = ReadFileBytes(song);
  EXPECT_EQ(bytes.substr(0, 6), std::string("ID3\4\0\0", 6));
  EXPECT_NE(bytes.find(Frame24("TPE1", Latin("A"), 0, 0x02) + Frame24("TDRC", Latin("2010"))), std::string::npos);
}

TEST(ID3v2, Version22FramesAreCarriedOverOrDropped) {
  TempDir dir;
  const std::string tag22 = Tag(
      2, 0,
      Frame22("TT2", Latin("Title")) + Frame22("PIC", std::string("\0PNG\x03\0", 6) + "pixels") +
          Frame22("TP2", Latin("Band")) + Frame22("CRM", "secret") + Frame22("XYZ", "odd") +
          Frame22("TOR", Latin("1970")));
  const std::wstring song = dir.WriteFile(L"a.mp3", tag22 + Audio());
  TID3v2 tag;
  ASSERT_TRUE(tag.ReadFromFile(song));
  EXPECT_EQ(tag.Year(), "1970");
  tag.SetArtist("Artist");
  ASSERT_TRUE(tag.SaveToFile(song));

  const std::string bytes = ReadFileBytes(song);
  EXPECT_NE(bytes.find(Frame23("TIT2", Latin("Title"))), std::string::npos);
  EXPECT_NE(bytes.find(Frame23("APIC", std::string("\0image/png\0\x03\0", 13) + "pixels")),
            std::string::npos);
  EXPECT_NE(bytes.find(Frame23("TPE2", Latin("Band"))), std::string::npos);
  EXPECT_NE(bytes.find(Frame23("TORY", Latin("1970"))), std::string::npos);
  EXPECT_EQ(bytes.find("secret"), std::string::npos);
  EXPECT_EQ(bytes.find("odd"), std::string::npos);
  TID3v2 back;
  ASSERT_TRUE(back.ReadFromFile(song));
  ExpectValues(back, {"Title", "Artist", "", "1970", "", "", "", 0});
}

// The old "name~" buffer name is never used, and a failed swap leaves the
// file and its folder as they were.
TEST(ID3v2, RebuildIsSafe) {
  TempDir dir;
  const std::string original = Tag(3, 0, Frame23("TIT2", Latin("Old"))) + Audio();
  const std::wstring song = dir.WriteFile(L"a.mp3", original);
  dir.WriteFile(L"a.mp3~", "not ours");
  TID3v2 tag;
  tag.SetTitle(std::string(100, 'n'));

  HANDLE holder = CreateFileW(song.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
  EXPECT_FALSE(tag.SaveToFile(song));
  EXPECT_FALSE(tag.RemoveFromFile(song));
  CloseHandle(holder);
  EXPECT_EQ(ReadFileBytes(song), original);
  EXPECT_EQ(FilesIn(dir.Path()), (std::set<std::wstring>{L"a.mp3", L"a.mp3~"}));

  ASSERT_TRUE(SetFileAttributesW(song.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(tag.SaveToFile(song));
  EXPECT_TRUE(GetFileAttributesW(song.c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(ReadFileBytes(dir.File(L"a.mp3~")), "not ours");
  EXPECT_EQ(FilesIn(dir.Path()), (std::set<std::wstring>{L"a.mp3", L"a.mp3~"}));
}

TEST(ID3v2, MissingAndTinyFiles) {
  TempDir dir;
  TID3v2 tag;
  EXPECT_FALSE(tag.ReadFromFile(dir.File(L"none.mp3")));
  EXPECT_FALSE(tag.SaveToFile(dir.File(L"none.mp3")));
  EXPECT_FALSE(tag.ReadFromFile(dir.WriteFile(L"tiny.mp3", "ID3")));
  EXPECT_TRUE(tag.ReadFromFile(dir.WriteFile(L"plain.mp3", Audio())));
  EXPECT_FALSE(tag.Exists());
}

}  // namespace
