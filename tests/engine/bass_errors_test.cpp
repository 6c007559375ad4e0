#include "engine/bass_errors.h"

#include <gtest/gtest.h>

#include <cctype>
#include <vector>

#include "engine/bass22_dynamic.h"
#include "framework/dialogs.h"

namespace {

// What a user reads for the errors a player meets most, a sentence for every
// code the library has, and nothing for a code it has not.
TEST(BASSErrorTextTest, CodesGiveSentencesAndUnknownCodesNothing) {
  EXPECT_EQ(BASSErrorText(2), "Can't open the file.");
  EXPECT_EQ(BASSErrorText(41), "Unsupported file format.");
  EXPECT_EQ(BASSErrorText(-1), "Some other mystery error.");
  int known = 0;
  for (int code = -1; code <= 42; ++code) {
    const std::string text = BASSErrorText(code);
    if (text.empty()) continue;
    ++known;
    EXPECT_TRUE(std::isupper(static_cast<unsigned char>(text.front())) && text.back() == '.') << code << ": " << text;
  }
  EXPECT_GE(known, 30);
  for (int code : {-2, 43, INT32_MIN, INT32_MAX}) EXPECT_EQ(BASSErrorText(code), "") << code;
}

// Makes the table's BASS_ErrorGetCode answer a chosen code, and records the
// boxes shown, for the life of the object.
class ErrorBoxTest : public ::testing::Test {
 protected:
  struct Box {
    HWND owner;
    std::wstring text, caption;
    UINT flags;
  };

  void SetUp() override {
    FSavedGetCode = Bass22_dynamic::BASS_ErrorGetCode;
    Bass22_dynamic::BASS_ErrorGetCode = [] { return s_code; };
    FSavedSink = SetMessageBoxSink(
        [this](HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags) {
          FBoxes.push_back({owner, text, caption, flags});
          return IDOK;
        });
  }
  void TearDown() override {
    Bass22_dynamic::BASS_ErrorGetCode = FSavedGetCode;
    SetMessageBoxSink(FSavedSink);
  }

  static inline int s_code = 0;
  std::vector<Box> FBoxes;

 private:
  decltype(&::BASS_ErrorGetCode) FSavedGetCode = nullptr;
  MessageBoxSink FSavedSink;
};

TEST_F(ErrorBoxTest, GetBASSErrorTextDescribesTheCurrentCode) {
  s_code = 41;
  EXPECT_EQ(GetBASSErrorText(), "Unsupported file format.");
}

TEST_F(ErrorBoxTest, NothingShownWithoutAnError) {
  s_code = 0;
  ShowError(L"Can't play the file");
  EXPECT_TRUE(FBoxes.empty());
}

TEST_F(ErrorBoxTest, CodeWithoutTextGivesAnEmptyDescription) {
  s_code = 11;
  ShowError(L"Can't initialize device");
  ASSERT_EQ(FBoxes.size(), 1u);
  EXPECT_EQ(FBoxes[0].text,
            L"Can't initialize device\r\nError code: 11\r\nError description: ");
  EXPECT_EQ(FBoxes[0].caption, L"Error");
  EXPECT_EQ(FBoxes[0].flags, static_cast<UINT>(MB_ICONERROR));
  EXPECT_EQ(FBoxes[0].owner, ApplicationHandle());
}

TEST_F(ErrorBoxTest, NegativeCodeAndItsDescription) {
  s_code = -1;
  ShowError(L"Text");
  ASSERT_EQ(FBoxes.size(), 1u);
  EXPECT_EQ(FBoxes[0].text,
            L"Text\r\nError code: -1\r\nError description: Some other mystery error.");
}

TEST(ErrorBoxWithoutBassTest, ReportsThatBassIsNotInitialised) {
  ASSERT_EQ(Bass22_dynamic::BASS_Handle, nullptr);
  std::vector<std::wstring> texts;
  MessageBoxSink saved = SetMessageBoxSink(
      [&](HWND, const std::wstring& text, const std::wstring&, UINT) {
        texts.push_back(text);
        return IDOK;
      });
  ShowError(L"Can't play the file");
  SetMessageBoxSink(saved);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0], L"Can't play the file\r\nError code: 8\r\nError description: "
                      L"BASS_Init has not been successfully called.");
}

}  // namespace
