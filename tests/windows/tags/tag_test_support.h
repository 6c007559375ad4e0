// Shared by the tag windows' tests: a host that records the entry titles it
// is given, and a fixture with the English language file, a folder for the
// test's files and the message boxes recorded (each answered OK).
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "framework/dialogs.h"
#include "language_components.h"
#include "localization/localization.h"
#include "test_support.h"
#include "windows/tags/tag_host.h"

namespace tag_window_test {

using Texts = std::vector<std::wstring>;

struct FakeHost : TTagHost {
  Texts titles;
  void SetEntryTitle(const std::wstring& Title) override { titles.push_back(Title); }
  std::string OverrideFontName() override { return ""; }
};

class TagWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    savedLanguage = LanguageFile;
    LanguageFile = language_test::EnglishLanguageFile();
    SetMessageBoxSink([this](HWND, const std::wstring& Text, const std::wstring& Caption, UINT) {
      boxes.push_back(Caption + L": " + Text);
      return IDOK;
    });
  }
  void TearDown() override {
    SetMessageBoxSink(nullptr);
    LanguageFile = savedLanguage;
  }

  testing_support::TempDir dir;
  FakeHost host;
  Texts boxes;
  std::wstring savedLanguage;
};

}  // namespace tag_window_test
