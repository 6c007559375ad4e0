#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <iterator>
#include <string>

#include "foundation/wide_copy.h"

namespace {

TEST(WideStrLCopy, CopiesAtMostMaxLenAndAlwaysEndsTheText) {
  struct Case {
    const wchar_t* source;
    uint32_t maxLen;
    const wchar_t* copied;
  } cases[] = {{L"hello", 3, L"hel"}, {L"hi", 10, L"hi"}, {L"hi", 0, L""}, {nullptr, 5, L""}};
  for (const Case& c : cases) {
    wchar_t buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    EXPECT_EQ(WideStrLCopy(buffer, c.source, c.maxLen), buffer);
    EXPECT_STREQ(buffer, c.copied);
    EXPECT_EQ(buffer[wcslen(c.copied) + 1], L'#');  // nothing past the end
  }
  wchar_t buffer[8];
  EXPECT_STREQ(WideStrPLCopy(buffer, std::wstring(L"ab\0cd", 5), 7), L"ab");
  EXPECT_STREQ(WideStrPLCopy(buffer, L"abcdef", 4), L"abcd");
  EXPECT_STREQ(WideStrPCopy(buffer, L"seven!!"), L"seven!!");
  EXPECT_EQ(WideStrLCopy(nullptr, L"x", 1), nullptr);
}

}  // namespace
