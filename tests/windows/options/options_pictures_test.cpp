// A picture of each page of the options window, filled as in use (set
// TAVRIN_PICTURE_DIR to keep them).
#include <gtest/gtest.h>

#include <windows.h>

#include "foundation/tnt_ini_files.h"
#include "foundation/tnt_string_list.h"
#include "globals/program_globals.h"
#include "language_components.h"
#include "localization/localization.h"
#include "options_test_support.h"
#include "test_forms.h"
#include "unicode_controls/tnt_check_lst.h"
#include "unicode_controls/tnt_combo_box.h"
#include "unicode_controls/tnt_list_box.h"
#include "unicode_controls/tnt_page_control.h"
#include "window_picture.h"

namespace {

using namespace options_window_test;

// A language of Cyrillic and Greek letters in place of the Latin ones that
// look alike, each text a letter longer than English: a text that is clipped
// or runs into its neighbour in another language shows here.
std::wstring TestLanguageText(const std::wstring& English) {
  static const std::wstring latin = L"aceopxyABEHKMOPTXaeiou";
  static const std::wstring other = L"асеорхуΑΒΕΗΚΜΟΡΤΧαειου";
  std::wstring text;
  for (wchar_t c : English) {
    const size_t at = latin.find(c);
    text += at == std::wstring::npos || at >= other.size() ? c : other[at];
  }
  if (text.empty() || text.find(L'|') != std::wstring::npos) return text;
  return text + L"Ж";
}

// The window's section and the messages of English.ini in the test
// language, as a UTF-16 file.
std::wstring WriteTestLanguage(const testing_support::TempDir& Folder) {
  TTntIniFile english(language_test::EnglishLanguageFile());
  TTntStringList lines;
  for (const wchar_t* section : {L"Options", L"Messages"}) {
    TTntStringList keys;
    english.ReadSection(section, &keys);
    lines.Add(std::wstring(L"[") + section + L"]");
    for (int32_t i = 0; i < keys.Count(); ++i) {
      const std::wstring value = english.ReadString(section, keys.Strings(i), L"");
      std::wstring translated;
      // Pipe lists keep their items apart.
      size_t from = 0;
      for (size_t bar; (bar = value.find(L'|', from)) != std::wstring::npos; from = bar + 1)
        translated += TestLanguageText(value.substr(from, bar - from)) + L"|";
      translated += TestLanguageText(value.substr(from));
      lines.Add(keys.Strings(i) + L"=" + translated);
    }
  }
  const std::wstring file = Folder.File(L"Polyglot.ini");
  lines.SaveToFile(file);
  return file;
}

TEST_F(OptionsTest, PicturesOfEveryPage) {
  AddIconLibrary(L"Classic");
  CurrentIconSet = L"Classic";
  for (const wchar_t* type : {L"mp3", L"ogg", L"wav", L"wma", L"mod", L"it", L"xm", L"m3u"})
    form->FileTypesLB->Items()->Add(type);
  form->FileTypesLB->SetChecked(0, true);
  form->FileTypesLB->SetChecked(2, true);
  form->DeviceCB->SetItemIndex(0);
  form->DeviceCBChange();
  form->ShowSkinInfo({L"Default", L"1.0", L"Tavrin", L"", L"", L"The built-in skin"});
  testing_support::ShowPainted(form.get());
  const wchar_t* names[] = {L"general", L"skins", L"playlist", L"visualization",
                            L"sound", L"file_types", L"encoding", L"appearance"};
  testing_support::TempDir languages;
  for (const std::wstring language : {L"", L"_test_language"}) {
  if (!language.empty()) {
    LanguageFile = WriteTestLanguage(languages);
    LoadFormLanguage(form.get(), LanguageFile, L"Options");
    form->MakeTabList();
    form->GetDeviceInfo();
  }
  for (int32_t page = 0; page < 8; ++page) {
    form->TabList->SetItemIndex(page);
    form->TabListClick();
    RedrawWindow(form->Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    testing_support::Picture picture;
    EXPECT_TRUE(testing_support::TakeWindowPicture(
        form->Handle(), std::wstring(L"options_") + names[page] + language + L".png", picture))
        << page;
    EXPECT_GE(picture.Width, 538);
    EXPECT_EQ(form->ClientWidth(), 538);
    EXPECT_EQ(form->ClientHeight(), 351);
  }
  }
  form->Hide();
}

}  // namespace
