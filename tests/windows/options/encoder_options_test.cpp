// The encoder option strings, every mode and stereo mode in one table.
#include <gtest/gtest.h>

#include <string>

#include "windows/options/encoder_options.h"

namespace {

TEST(EncoderOptions, EveryModeGivesItsOptionString) {
  const struct {
    std::wstring Got;
    const wchar_t* Expected;
  } cases[] = {
      {LameOptions(false, 0, 5, 0), L"-V 5 -m s"},
      {LameOptions(false, 0, 0, 3), L"-V 0 -m m"},
      {LameOptions(true, 128, 5, 1), L"-b 128 -m j"},
      {LameOptions(true, 320, 0, 2), L"-b 320 -m d"},
      {LameOptions(true, 8, 0, -1), L"-b 8"},
      {OggEncOptions(false, 128, 5), L"--quality 5"},
      {OggEncOptions(false, 0, 10), L"--quality 10"},
      {OggEncOptions(true, 128, 5), L"--bitrate 128"},
      {WMAEncSetting(false, 0, 10), L"10"},
      {WMAEncSetting(false, 0, 100), L"100"},
      {WMAEncSetting(true, 128, 10), L"128000"},
      {WMAEncSetting(true, 320, 10), L"320000"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.Got, c.Expected);
}

}  // namespace
