// The options window: what each control does through the host, the devices,
// floating-point output, skins, buffers, the output folder, the file-type
// icons, the page list and the texts of the language file.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "foundation/tnt_ini_files.h"
#include "framework/up_down.h"
#include "globals/program_globals.h"
#include "language_components.h"
#include "options_test_support.h"
#include "settings/settings_xml.h"
#include "skin/slider.h"
#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_check_lst.h"
#include "unicode_controls/tnt_combo_box.h"
#include "unicode_controls/tnt_edits.h"
#include "unicode_controls/tnt_ext_ctrls.h"
#include "unicode_controls/tnt_grids.h"
#include "unicode_controls/tnt_labeled_edit.h"
#include "unicode_controls/tnt_list_box.h"
#include "unicode_controls/tnt_page_control.h"

namespace {

using namespace options_window_test;
using Calls = std::vector<std::string>;

TEST_F(OptionsTest, ItsTextsAreThoseOfTheLanguageFile) {
  using namespace language_test;
  const auto sections = ReadComponentList(ComponentListFile());
  const TListedSection* section = FindSection(sections, L"Options");
  ASSERT_NE(section, nullptr);
  TTntIniFile english(EnglishLanguageFile());
  EXPECT_EQ(CompareFormWithSection(form.get(), *section, english), "");
}

TEST_F(OptionsTest, EncoderStringsFollowTheDefaultsAndTheChosenItems) {
  EXPECT_EQ(LameCommandLine, L"-V 5 -m s");
  EXPECT_EQ(OggEncCommandLine, L"--quality 5");
  EXPECT_EQ(WMAEncBitrate, L"10");
  form->MP3EncModeCB->SetItemIndex(1);
  form->MP3CBRQualityCB->SetItemIndex(11);
  form->MP3StereoModeCB->SetItemIndex(1);
  form->MP3EncModeCBChange();
  EXPECT_EQ(LameCommandLine, L"-b 128 -m j");
  EXPECT_TRUE(form->MP3CBRQualityCB->Visible());
  EXPECT_FALSE(form->MP3VBRQualityCB->Visible());
  form->OGGEncModeCB->SetItemIndex(1);
  form->OGGEncModeCBChange();
  EXPECT_EQ(OggEncCommandLine, L"--bitrate 128");
  form->WMAEncModeCB->SetItemIndex(1);
  form->WMACBRQualityCB->SetItemIndex(5);
  form->WMAEncModeCBChange();
  EXPECT_EQ(WMAEncBitrate, L"128000");
}

TEST_F(OptionsTest, EachControlReachesTheHost) {
  const struct {
    const char* Name;
    std::function<void()> Act;
    Calls Expected;
  } rows[] = {
      {"tray", [&] { form->MinToTrayCB->SetChecked(true); }, {"MinimizeToTray 1"}},
      {"font off",
       [&] {
         form->EnableGlobalFontCB->SetChecked(true);
         TakeCalls();
         form->EnableGlobalFontCB->SetChecked(false);
       },
       {"GlobalFont Tahoma"}},
      {"numbers", [&] { form->PlaylistNumbersCB->SetChecked(true); }, {"Numbers 1"}},
      {"durations", [&] { form->PlaylistDurCB->SetChecked(true); }, {"Duration 1"}},
      {"smooth", [&] { form->SmoothResizeCB->SetChecked(true); }, {"SmoothResize 1"}},
      {"skin font", [&] { form->UseSkinFontCB->SetChecked(true); }, {"LoadSkin Default"}},
      {"font size", [&] { form->PLFontSize->SetPosition(12); }, {"PLFontSize 12"}},
      {"vis kind", [&] { form->VisKind->SetItemIndex(2); }, {"VisKind 2"}},
      {"refresh", [&] { form->RefreshRateSlider->SetValue(3); }, {"VisInterval 33"}},
      {"opacity", [&] { form->OpSlider->SetValue(200); }, {"Opacity 200"}},
      {"hue on", [&] { form->HueOnCB->SetChecked(true); }, {"LoadSkin Default"}},
      {"hue released", [&] { form->HueSliderStopTracking(); }, {"LoadSkin Default"}},
      {"menu icons", [&] { form->IconsInMenusCB->SetChecked(true); }, {"LoadMenuIcons"}},
      {"no menu icons",
       [&] {
         form->IconsInMenusCB->SetChecked(true);
         TakeCalls();
         form->IconsInMenusCB->SetChecked(false);
       },
       {"ClearMenuIcons"}},
      {"proxy", [&] { form->UseProxyCB->SetChecked(true); }, {"UseProxy 1"}},
      {"curve", [&] { form->VolCurveRG->SetItemIndex(1); }, {"VolumeCurve 1"}},
      {"activate", [&] { form->FormActivate(); }, {"Shortcuts 0"}},
      {"deactivate", [&] { form->FormDeactivate(); }, {"Shortcuts 1"}},
      {"language",
       [&] {
         form->GeneralTabSheetShow();
         form->LangComboBox->SetItemIndex(form->LangComboBox->Items()->IndexOf(L"Deutsch"));
         form->LangComboBoxChange();
       },
       {"LoadLanguage Deutsch"}},
      {"other skin",
       [&] {
         form->SkinsTabSheetShow();
         form->SkinListLB->SetItemIndex(1);
         form->SkinListLBClick();
       },
       {"SkinCheck Ember", "LoadSkin Ember"}},
      {"refused skin",
       [&] {
         form->SkinsTabSheetShow();
         form->SkinListLB->SetItemIndex(2);
         form->SkinListLBClick();
       },
       {"SkinCheck Glass"}},
      {"current skin",
       [&] {
         form->SkinsTabSheetShow();
         form->SkinListLB->SetItemIndex(0);
         form->SkinListLBClick();
       },
       {}},
  };
  for (const auto& row : rows) {
    form = std::make_unique<TOptions>(nullptr, &host);
    TakeCalls();
    row.Act();
    EXPECT_EQ(TakeCalls(), row.Expected) << row.Name;
  }
  EXPECT_EQ(form->HueSlider->Enabled(), false);
  form->RefreshRateSlider->SetValue(4);
  EXPECT_EQ(form->RefreshLabel->Text(), L"50");
  form->PLFontSize->SetPosition(30);
  EXPECT_EQ(form->PLFontSizeEdit->Text(), L"30");
}

TEST_F(OptionsTest, ARefusedDeviceShowsWhyAndTheListReturnsToTheDeviceInUse) {
  ASSERT_EQ(form->DeviceCB->Items()->Count(), 3);
  EXPECT_EQ(form->DeviceCB->Items()->Strings(2), L"Line out");
  form->DeviceCB->SetItemIndex(0);
  form->DeviceCBChange();
  const wchar_t* facts[] = {L"Yes", L"No", L"100 Hz", L"200000 Hz", L"Yes",
                            L"n/a", L"0", L"2", L"fake.sys", L"9"};
  for (int32_t row = 0; row < 10; ++row) EXPECT_EQ(form->DeviceInfo->Cells(1, row), facts[row]);
  EXPECT_EQ(form->DeviceInfo->Cells(0, 0), L"Certified driver");

  host.DeviceWorks = false;
  form->DeviceCB->SetItemIndex(2);
  form->DeviceCBChange();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Text, L"bad device");
  EXPECT_EQ(boxes[0].Caption, L"Information");
  EXPECT_EQ(boxes[0].Flags, 64u);
  EXPECT_EQ(form->DeviceCB->ItemIndex(), 0);  // device 1 is still in use
}

TEST_F(OptionsTest, UnavailableFloatOutputIsToldOnceAndTheBoxUnchecked) {
  form->UseSampleFloatCB->SetChecked(true);
  EXPECT_EQ(TakeCalls(), (Calls{"FloatOutput 1", "FloatOutput 0"}));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Text, L"needs float output");
  EXPECT_FALSE(form->UseSampleFloatCB->Checked());

  LoadingOptions = true;
  form->UseSampleFloatCB->SetChecked(true);
  LoadingOptions = false;
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(form->UseSampleFloatCB->Checked());
}

TEST_F(OptionsTest, DeletingASkinNeedsASelectionAndRefillsTheList) {
  form->ShowSkinListing({host.Skins.Names, -1});
  form->DeleteSkinButClick();
  EXPECT_EQ(TakeCalls(), Calls{});
  form->SkinListLB->SetItemIndex(1);
  form->DeleteSkinButClick();
  EXPECT_EQ(TakeCalls(), Calls{"DeleteSkin Ember"});
  ASSERT_EQ(form->SkinListLB->Items()->Count(), 2);
  EXPECT_EQ(form->SkinListLB->Items()->Strings(1), L"Glass");
}

TEST_F(OptionsTest, TheNetBufferStaysLongerThanThePlaybackBuffer) {
  form->NetBufSlider->SetValue(16);
  form->BufSlider->SetValue(4);
  form->BufSlider->SetValue(16);
  EXPECT_EQ(form->NetBufSlider->Value(), 17);
  EXPECT_EQ(host.NetBuffer, 4250u);
  EXPECT_EQ(form->BufferLabel->Text(), L"4000");
  EXPECT_EQ(form->NetBufferLabel->Text(), L"4250");

  form->BufSlider->SetValue(4);
  form->NetBufSlider->SetValue(8);
  form->NetBufSlider->SetValue(4);
  EXPECT_EQ(form->BufSlider->Value(), 3);
  EXPECT_EQ(host.Buffer, 750u);
  EXPECT_EQ(host.NetBuffer, 1000u);
}

TEST_F(OptionsTest, TheOutputFolderIsStoredOnlyWhenOneIsChosen) {
  struct Asked {
    std::wstring Title;
    uint32_t Flags;
    HWND Owner;
  };
  std::vector<Asked> asked;
  std::wstring answer;
  program->WriteFile(L"Tavrin.xml", "<?xml version=\"1.0\"?>\r\n<APP><Encoding/></APP>\r\n");
  form->FolderBrowser = [&](const std::wstring& Title, uint32_t Flags, HWND Owner,
                            std::wstring& Folder, const std::wstring&) {
    asked.push_back({Title, Flags, Owner});
    Folder = answer;
  };
  form->HandleNeeded();  // the button is clicked on a window that is there
  form->EncOutputBrowseClick();
  EXPECT_EQ(form->EncOutputBox->Text(), L"C:\\");
  EXPECT_EQ(SettingsDoc, nullptr);

  answer = L"D:\\Music\\";
  form->EncOutputBrowseClick();
  EXPECT_EQ(form->EncOutputBox->Text(), answer);
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[1].Title, L"Pick a folder");
  EXPECT_EQ(asked[1].Flags, 0x41u);
  EXPECT_EQ(asked[1].Owner, form->Handle());
  OpenSettingsXml();
  EXPECT_EQ(SettingsDoc->DocumentElement().ChildNode(L"Encoding").Attribute(L"OutputFolder"),
            answer);
  DiscardSettingsXml();

  answer.clear();
  form->FolderBrowser = [&](const std::wstring&, uint32_t, HWND, std::wstring&,
                            const std::wstring&) { throw std::runtime_error("browser"); };
  EXPECT_THROW(form->EncOutputBrowseClick(), std::runtime_error);
  EXPECT_EQ(SettingsDoc, nullptr);
}

// Icons are made on every showing, every switch of library and every item
// drawn: none may stay behind.
TEST_F(OptionsTest, TheFileTypesPageLeavesNoIconBehind) {
  if (!AddIconLibrary(L"One") || !AddIconLibrary(L"Two")) GTEST_SKIP() << "no icons to copy";
  CurrentIconSet = L"One";
  for (const wchar_t* type : {L"mp3", L"ogg", L"wav", L"wma"}) form->FileTypesLB->Items()->Add(type);
  form->Show();
  testing_support::PumpPendingMessages();
  form->OptControl->SetActivePageIndex(5);
  ASSERT_NE(form->FileTypeIcon, nullptr);
  EXPECT_TRUE(form->IconsComboBox->Enabled());
  ASSERT_EQ(form->IconsComboBox->Items()->Count(), 2);

  auto resources = [] {
    return std::make_pair(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
                          GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
  };
  auto cycle = [&](int i) {
    HICON before = form->FileTypeIcon->Handle();
    form->IconsComboBox->SetItemIndex(i % 2);
    form->IconsComboBoxChange();
    ICONINFO info{};
    // The old icon is gone: its handle is either the new one or no icon.
    if (form->FileTypeIcon->Handle() != before && GetIconInfo(before, &info)) {
      DeleteObject(info.hbmColor);
      DeleteObject(info.hbmMask);
      ADD_FAILURE() << "icon kept after switch " << i;
    }
    form->IconSizeComboBox->SetItemIndex(i % 2);
    form->IconSizeComboBoxChange();
    RedrawWindow(form->FileTypesLB->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    form->OptControl->SetActivePageIndex(0);
    EXPECT_EQ(form->FileTypeIcon, nullptr);
    form->OptControl->SetActivePageIndex(5);
  };
  cycle(0);
  cycle(1);
  const auto start = resources();
  for (int i = 0; i < 20; ++i) cycle(i);  // a leak of one object a switch shows as 20
  const auto end = resources();
  EXPECT_LE(end.first, start.first + 2);
  EXPECT_LE(end.second, start.second + 2);
  EXPECT_EQ(CurrentIconSet, L"Two");
  form->Hide();
  EXPECT_EQ(form->FileTypeIcon, nullptr);
}

TEST_F(OptionsTest, ThePageListFollowsThePagesAndLeadsThem) {
  form->Show();
  testing_support::PumpPendingMessages();
  ASSERT_EQ(form->TabList->Items()->Count(), 8);
  EXPECT_EQ(form->TabList->Items()->Strings(5), L"File types");
  EXPECT_EQ(form->TabList->ItemIndex(), 0);
  EXPECT_EQ(form->SkinListLB->Items()->Count(), 3);  // refilled on showing
  EXPECT_EQ(form->LangComboBox->Text(), L"English");
  form->TabList->SetItemIndex(6);
  form->TabListClick();
  EXPECT_EQ(form->OptControl->ActivePage(), form->EncodingTabSheet);
  form->OptControl->SetActivePageIndex(3);
  form->OptControlChange();
  EXPECT_EQ(form->TabList->ItemIndex(), 3);
  form->Hide();
}

}  // namespace
