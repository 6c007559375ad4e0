#include "engine/bass_errors.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "engine/bass22_dynamic.h"
#include "framework/dialogs.h"

namespace {

TEST(BASSErrorTextTest, EveryCode) {
  const std::map<int, std::string> texts = {
      {-1, "Some other mystery error."},
      {0, "All is OK."},
      {1, "Memory error."},
      {2, "Can't open the file."},
      {3, "Can't find a free sound driver."},
      {4, "The sample buffer was lost."},
      {5, "Invalid handle."},
      {6, "Unsupported sample format."},
      {7, "Invalid playback position."},
      {8, "BASS_Init has not been successfully called."},
      {9, "BASS_Start has not been successfully called."},
      {12, "No CD in drive."},
      {13, "Invalid track number."},
      {14, "Already initialized."},
      {16, "Not paused."},
      {17, "Not an audio track."},
      {18, "Can't get a free channel."},
      {19, "An illegal type was specified."},
      {20, "An illegal parameter was specified."},
      {21, "No 3D support."},
      {22, "No EAX support."},
      {23, "Illegal device number."},
      {24, "Not playing."},
      {25, "Illegal sample rate."},
      {27, "The stream is not a file stream."},
      {29, "No hardware voices available."},
      {31, "The MOD music has no sequence data."},
      {32, "No internet connection could be opened."},
      {33, "Couldn't create the file."},
      {34, "Effects are not enabled."},
      {35, "The channel is playing."},
      {37, "Requested data is not available."},
      {38, "The channel is a \"decoding channel\"."},
      {39, "A sufficient DirectX version is not installed."},
      {40, "Connection timedout."},
      {41, "Unsupported file format."},
      {42, "Unavailable speaker."},
  };
  for (int code = -3; code <= 44; ++code) {
    auto it = texts.find(code);
    EXPECT_EQ(BASSErrorText(code), it == texts.end() ? "" : it->second) << "code " << code;
  }
  EXPECT_EQ(BASSErrorText(INT32_MIN), "");
  EXPECT_EQ(BASSErrorText(INT32_MAX), "");
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
