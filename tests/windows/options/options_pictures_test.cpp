// A picture of each page of the options window, filled as in use (set
// TAVRIN_PICTURE_DIR to keep them).
#include <gtest/gtest.h>

#include <windows.h>

#include "foundation/tnt_ini_files.h"
#include "foundation/tnt_string_list.h"
#include "foundation/tnt_system.h"
#include "globals/program_globals.h"
#include "language_components.h"
#include "localization/localization.h"
#include "options_test_support.h"
#include "test_forms.h"
#include "text_fit.h"
#include "unicode_controls/tnt_check_lst.h"
#include "unicode_controls/tnt_combo_box.h"
#include "unicode_controls/tnt_list_box.h"
#include "unicode_controls/tnt_page_control.h"
#include "unicode_controls/tnt_grids.h"
#include "window_picture.h"

namespace {

using namespace options_window_test;

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
    LanguageFile = language_test::WriteTestLanguage(languages, {L"Options", L"Messages"});
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
    ASSERT_TRUE(testing_support::TakeWindowPicture(
        form->Handle(), std::wstring(L"options_") + names[page] + language + L".png", picture))
        << page;
    EXPECT_EQ(form->OptControl->ActivePageIndex(), page);
    EXPECT_EQ(testing_support::TextsWithoutInk(form->Handle(), picture), std::vector<std::wstring>{}) << page;
  }
  }
  form->Hide();
}

// The skin's facts: every title fits its column with room to spare, in
// English, in the tests' Russian and in a language of longer titles.
TEST_F(OptionsTest, TheSkinFactsFitTheirColumns) {
  program->WriteFile(L"Lang\\Long.ini",
                     "[Options]\r\nAboutSkinLines=Name|Version|Author|E-mail|"
                     "Homepage of the skin's author|Comment|\r\n");
  for (const std::wstring language : {L"english", L"russian", L"long"}) {
    if (language == L"russian") LoadFormLanguage(form.get(), language_test::RussianLanguageFile(), L"Options");
    if (language == L"long") LoadFormLanguage(form.get(), program->File(L"Lang\\Long.ini"), L"Options");
    testing_support::ShowPainted(form.get());
    form->TabList->SetItemIndex(1);
    form->TabListClick();
    form->ShowSkinInfo({L"Default", L"1.0", L"Tavrin", L"", L"", L"The built-in skin"});
    RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    testing_support::Picture picture;
    ASSERT_TRUE(testing_support::TakeWindowPicture(form->Handle(), L"options_skin_facts_" + language + L".png",
                                                   picture));
    EXPECT_EQ(testing_support::TextsWithoutInk(form->Handle(), picture), std::vector<std::wstring>{});
    EXPECT_EQ(testing_support::TextsThatDoNotFit(form->AboutSkin->Parent()), std::vector<std::string>{})
        << WideStringToUTF8(language);
    form->Hide();
  }
}

}  // namespace
