#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "bass/cd/cd_text.h"

using tavrin_cd::ParseCdTextPacks;

namespace {

// A reply of packs made from (type, first track, text) runs, 12 bytes a pack.
std::string Reply(const std::vector<std::tuple<unsigned char, int, std::string, unsigned char>>& runs) {
  std::string packs;
  for (const auto& [type, track, text, flags] : runs) {
    std::string body = text;
    body.resize((body.size() + 11) / 12 * 12, '\0');
    for (size_t at = 0; at < body.size(); at += 12) {
      std::string pack(18, '\0');
      pack[0] = static_cast<char>(type);
      pack[1] = static_cast<char>(track);
      pack[3] = static_cast<char>(flags);
      pack.replace(4, 12, body.substr(at, 12));
      packs += pack;
    }
  }
  size_t length = packs.size() + 2;
  return std::string{static_cast<char>(length >> 8), static_cast<char>(length), 0, 0} + packs;
}

std::vector<std::string> Parse(const std::string& reply, size_t bytes = SIZE_MAX) {
  return ParseCdTextPacks(reinterpret_cast<const unsigned char*>(reply.data()), std::min(bytes, reply.size()));
}

}  // namespace

TEST(CdText, TitlesAndPerformersRunAcrossPacks) {
  using namespace std::string_literals;
  std::string reply = Reply({{0x80, 0, "Album\0A rather long first title\0Two\0\t\0"s, 0},
                             {0x81, 0, "Band\0\0Singer\0"s, 0},
                             {0x80, 0, "Ignored, block 1\0"s, 0x10}});
  std::vector<std::string> expected = {"TITLE0=Album", "TITLE1=A rather long first title", "TITLE2=Two",
                                       "TITLE3=Two",   "PERFORMER0=Band", "PERFORMER1=",
                                       "PERFORMER2=Singer"};
  EXPECT_EQ(Parse(reply), expected);
}

TEST(CdText, ShortAndLyingRepliesAreReadOnlyAsFarAsTheyGo) {
  using namespace std::string_literals;
  std::string reply = Reply({{0x80, 1, "One\0Two\0"s, 0}});
  EXPECT_TRUE(Parse(reply, 3).empty());
  EXPECT_TRUE(ParseCdTextPacks(nullptr, 100).empty());
  std::string lying = reply;
  lying[0] = '\x7F';  // claims far more than there is
  EXPECT_EQ(Parse(lying), (std::vector<std::string>{"TITLE1=One", "TITLE2=Two"}));
  EXPECT_TRUE(Parse(reply, 4 + 17).empty());  // not even one whole pack
}
