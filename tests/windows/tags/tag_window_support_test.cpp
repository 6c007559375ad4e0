// The track numbers a user types into a tag.
#include <gtest/gtest.h>

#include "windows/tags/tag_window_support.h"

// No number, or one below 1, is no track; a number past what the tag holds
// is refused (nullopt).
TEST(TagWindowSupport, TypedTrackNumbers) {
  struct Case {
    const wchar_t* text;
    std::optional<int32_t> value;
  } cases[] = {{L"7", 7},     {L" 12 ", 12},  {L"+3", 3},   {L"255", 255},
               {L"", 0},      {L"  ", 0},     {L"0", 0},    {L"000", 0},
               {L"abc", 0},   {L"-3", 0},     {L"1 2", 0},  {L"3/12", 0},
               {L"-", 0},     {L"256", std::nullopt},       {L"99999999999", std::nullopt},
               {L"-99999999999", 0}};
  for (const Case& c : cases) EXPECT_EQ(ParseTrackNumber(c.text, 255), c.value) << c.text;
}
