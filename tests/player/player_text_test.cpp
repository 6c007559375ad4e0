#include <gtest/gtest.h>

#include "engine/bass_player_text.h"

TEST(PlayerText, TagListsAreWalkedSafely) {
  EXPECT_TRUE(TagStrings(nullptr).empty());
  const char list[] = "a=1\0b=2\0\0c=3\0";
  std::vector<std::string> strings = TagStrings(list);
  ASSERT_EQ(strings.size(), 2u);
  EXPECT_EQ(strings[1], "b=2");
}

TEST(PlayerText, StreamTitles) {
  struct Case {
    const char* data;
    size_t size;  // of data, for lists with inner zeros
    const char* title;
  } cases[] = {
      {"StreamTitle='Song';", 0, "Song"},
      {"StreamTitle='Song'", 0, "Song"},
      {"StreamTitle='Artist - Song';StreamUrl='x';", 0, "Artist - Song"},
      {"StreamTitle='';", 0, ""},
      {"StreamTitle=", 0, ""},
      {"artist=Band\0title=Song\0\0", 24, "Song"},
      {"ARTIST=Band\0TITLE=Loud\0\0", 24, "Loud"},
      {"nothing here\0\0", 14, ""},
      {"ALBUMTITLE=Disc\0Title=Real\0\0", 28, "Real"},
  };
  for (const Case& c : cases) {
    std::string data = c.size ? std::string(c.data, c.size) : std::string(c.data) + std::string(2, '\0');
    EXPECT_EQ(MetaTitleOf(data.c_str()), c.title) << "data: " << c.data;
  }
  EXPECT_EQ(MetaTitleOf(nullptr), "");
  // Vorbis comment names are case-insensitive: oggenc writes "title=".
  EXPECT_EQ(TitleCommentOf({"ALBUMTITLE=Disc", "title=Song"}), "Song");
  EXPECT_EQ(TitleCommentOf({"ARTIST=Band"}), "");
}

TEST(PlayerText, UrlTitlesNumbersAndWmaAttributes) {
  EXPECT_EQ(TitleFromURL("http://host/music/song.ogg"), "song");
  EXPECT_EQ(TitleFromURL("http://h/a.ogg"), "a");
  EXPECT_EQ(TitleFromURL("http://x"), "");
  EXPECT_EQ(LeadingNumber(" 128"), 128);
  EXPECT_EQ(LeadingNumber("abc"), 0);
  EXPECT_EQ(LeadingNumber("99999999999"), INT32_MAX);
  TStreamInfo info;
  ReadWMAAttributes({"FileSize : 123456", "Bitrate : 128000", "Title : Tune", "Author : Someone"}, info);
  EXPECT_EQ(info.FileSize, 123456u);
  EXPECT_EQ(info.BitRate, 128);
  EXPECT_EQ(info.Title, "Tune");
}
