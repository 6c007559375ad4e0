// The numbers a user types into a tag.
#include <gtest/gtest.h>

#include "windows/tags/tag_window_support.h"

TEST(TagWindowSupport, TypedNumbersAreTakenOnlyWhenTheTagCanHoldThem) {
  struct Case {
    const wchar_t* text;
    std::optional<int32_t> value;
  } cases[] = {{L"7", 7},         {L" 12 ", 12},          {L"", 0},          {L"  ", 0},
               {L"0", 0}, {L"000", 0}, {L"abc", std::nullopt}, {L"-3", std::nullopt},
               {L"256", std::nullopt}, {L"99999999999", std::nullopt}, {L"1 2", std::nullopt}};
  for (const Case& c : cases) EXPECT_EQ(ParseTagNumber(c.text, 1, 255), c.value) << c.text;
}
