#include <gtest/gtest.h>

#include "framework/exceptions.h"
#include "framework/format.h"

TEST(Format, DirectivesAndMissingArguments) {
  EXPECT_EQ(Format(L"Cannot open file \"%s\". %s", {L"C:\\a.mp3", "gone"}),
            L"Cannot open file \"C:\\a.mp3\". gone");
  EXPECT_EQ(Format(L"%d%% of %u, %x", {-5, 7u, 255}), L"-5% of 7, ff");
  EXPECT_EQ(Format(L"%s and %s", {L"one"}), L"one and ");
}

TEST(Exception, MessageAndClassName) {
  try {
    throw EFOpenError(L"Cannot open file \"%s\". %s", {L"x", L"y"});
  } catch (const EStreamError& e) {
    EXPECT_EQ(e.Message(), L"Cannot open file \"x\". y");
    EXPECT_STREQ(e.what(), "Cannot open file \"x\". y");
    EXPECT_EQ(e.ClassName(), L"EFOpenError");
  }
}

TEST(Exception, RaiseLastOSErrorCarriesCodeAndText) {
  try {
    RaiseLastOSError(2);
    FAIL();
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode(), 2u);
    EXPECT_EQ(e.Message().rfind(L"System Error.  Code: 2.\n", 0), 0u) << e.what();
    EXPECT_GT(e.Message().size(), 25u);
  }
  EXPECT_THROW(RaiseLastOSError(0), EOSError);
}
