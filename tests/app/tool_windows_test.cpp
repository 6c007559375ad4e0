// The tool windows hold the components their language sections name; the
// effects window hands the player what it shows, the open-URL dialog offers
// OK only with an address typed, and the stream information window shows
// its buffer only for a stream that plays.
#include <gtest/gtest.h>

#include <memory>

#include "foundation/tnt_ini_files.h"
#include "framework/forms.h"
#include "globals/program_globals.h"
#include "unicode_controls/tnt_grids.h"
#include "language_components.h"
#include "localization/localization.h"
#include "skin/slider.h"
#include "test_forms.h"
#include "text_fit.h"
#include "unicode_controls/tnt_buttons.h"
#include "windows/about/about_form.h"
#include "unicode_controls/tnt_labeled_edit.h"
#include "windows/effects/effects_form.h"
#include "windows/effects/effects_host.h"
#include "windows/lyrics/lyrics_editor.h"
#include "windows/open_url/open_url.h"
#include "windows/playlist_entry/pl_entry_form.h"
#include "windows/stream_info/net_stream_info.h"
#include "windows/stream_info/stream_info_host.h"
#include "window_picture.h"

namespace {

using namespace language_test;

class FakeEffectsHost : public TEffectsHost {
 public:
  uint8_t SoundEffects() override { return Bits; }
  void SetSoundEffects(uint8_t Value) override { Bits = Value; }
  uint16_t EchoLevel() override { return Echo; }
  void SetEchoLevel(uint16_t Level) override { Echo = Level; }
  uint16_t ReverbLevel() override { return Reverb; }
  void SetReverbLevel(uint16_t Level) override { Reverb = Level; }
  uint8_t Speed() override { return SpeedValue; }
  void SetSpeed(uint8_t Percent) override { SpeedValue = Percent; }
  void EffectsWindowClosed() override { Closed = true; }
  std::string OverrideFontName() override { return std::string(); }

  uint8_t Bits = 0, SpeedValue = 100;
  uint16_t Echo = 16, Reverb = 16;
  bool Closed = false;
};

TEST(ToolWindows, HoldTheComponentsOfTheirLanguageSections) {
  const auto sections = ReadComponentList(ComponentListFile());
  TTntIniFile english(EnglishLanguageFile());
  TSEffects effects(Application(), nullptr);
  EXPECT_EQ(CompareFormWithSection(&effects, *FindSection(sections, L"Sound Effects"), english), "");
  TLyricsEditor editor(Application(), nullptr);
  EXPECT_EQ(CompareFormWithSection(&editor, *FindSection(sections, L"Lyrics Editor"), english), "");
  TAbout about(Application(), nullptr);
  EXPECT_EQ(CompareFormWithSection(&about, *FindSection(sections, L"About"), english), "");
  TOpenURL url(Application(), nullptr);
  EXPECT_EQ(CompareFormWithSection(&url, *FindSection(sections, L"OpenURL"), english), "");
  TNetStreamInfo info(Application(), nullptr);
  EXPECT_EQ(CompareFormWithSection(&info, *FindSection(sections, L"NetStreamInfo"), english), "");
  TPLEntryForm entry(Application(), nullptr);
  EXPECT_EQ(CompareFormWithSection(&entry, *FindSection(sections, L"PLEntry"), english), "");
}

TEST(ToolWindows, OpenURLOffersOKOnlyWithAnAddress) {
  TOpenURL dialog(Application(), nullptr);
  EXPECT_FALSE(dialog.OKBut->Enabled());
  dialog.URLString->SetText(L"h");
  EXPECT_TRUE(dialog.OKBut->Enabled());
  dialog.URLString->SetText(L"");
  EXPECT_FALSE(dialog.OKBut->Enabled());
}

class FakeStreamInfoHost : public TStreamInfoHost {
 public:
  TNetStreamFacts StreamFacts() override { return Facts; }
  uint8_t PlayerMode() override { return Mode; }
  float BufferPercent() override { return 42.5f; }
  std::string OverrideFontName() override { return std::string(); }

  TNetStreamFacts Facts;
  uint8_t Mode = 0;
};

TEST(ToolWindows, TheStreamInfoWindowShowsItsBufferOnlyWhileAStreamPlays) {
  FakeStreamInfoHost host;
  host.Facts = {true, false, {"icy-name: Radio"}, {}};
  const std::wstring connected = GetLocalizedMessage(L"ConnectedToInetRadio");
  const std::wstring buffer = GetLocalizedMessage(L"Buffer") + L": 42.50%";
  const struct {
    uint8_t Mode;
    std::vector<std::wstring> Lines;
  } cases[] = {
      {3, {connected, L"ICY-name : Radio", buffer}},
      {4, {connected, L"ICY-name : Radio", buffer}},
      {0, {connected, L"ICY-name : Radio", L""}},
  };
  for (const auto& c : cases) {
    host.Mode = c.Mode;
    TNetStreamInfo info(Application(), &host);
    info.FormShow();
    EXPECT_EQ(info.Lines(), c.Lines) << int(c.Mode);
    EXPECT_EQ(info.BufferTimer != nullptr, c.Mode != 0) << int(c.Mode);
  }
}

// The stream's lines run to the grid's right edge, whether the rows need a
// scroll bar or not: a long line is cut there and not before.
TEST(ToolWindows, TheStreamInfoLinesReachTheGridsEdge) {
  FakeStreamInfoHost host;
  host.Mode = 3;
  const std::string longName = "icy-name: " + std::string(300, 'W');
  // A radio's few lines, and a stream's every header, more than the grid shows.
  for (const size_t extra : {0, 20}) {
    host.Facts = {extra == 0, extra > 0, {longName}, {}};
    for (size_t i = 0; i < extra; ++i) host.Facts.ICYTags.push_back("icy-x" + std::to_string(i) + ": x");
    TNetStreamInfo info(Application(), &host);
    testing_support::ShowPainted(&info);
    ASSERT_EQ(info.InfoGrid->ColWidths(0), info.InfoGrid->ClientWidth()) << extra;
    // The name's row, its last few pixels inside the grid's frame.
    const RECT cell = info.InfoGrid->CellRect(0, 1);
    POINT corner{cell.right, cell.top};
    ClientToScreen(info.InfoGrid->Handle(), &corner);
    RECT window{};
    GetWindowRect(info.Handle(), &window);
    const RECT end{corner.x - window.left - 8, corner.y - window.top + 2, corner.x - window.left - 1,
                   corner.y - window.top + cell.bottom - cell.top - 2};
    testing_support::Picture picture;
    ASSERT_TRUE(testing_support::TakeWindowPicture(
        info.Handle(), L"stream_info_" + std::to_wstring(extra) + L".png", picture));
    EXPECT_GT(testing_support::DarkPixels(picture, end), 0) << extra;
    info.Hide();
  }
}

// Every text drawn and none clipped or crowded, in English and in the tests'
// Russian.
TEST(ToolWindows, TheEntryAndStreamWindowsFitTheirTexts) {
  const std::wstring saved = LanguageFile;
  FakeStreamInfoHost host;
  host.Facts = {true, false, {"icy-name: Radio", "icy-genre: Tones"}, {}};
  host.Mode = 3;
  for (const std::wstring language : {L"english", L"russian"}) {
    LanguageFile = language == L"english" ? EnglishLanguageFile() : RussianLanguageFile();
    TPLEntryForm entry(Application(), nullptr);
    TNetStreamInfo info(Application(), &host);
    for (TForm* w : std::initializer_list<TForm*>{&entry, &info}) {
      testing_support::ShowPainted(w);
      testing_support::Picture picture;
      ASSERT_TRUE(testing_support::TakeWindowPicture(
          w->Handle(), w->Name() + L"_" + language + L".png", picture));
      EXPECT_EQ(testing_support::TextsWithoutInk(w->Handle(), picture), std::vector<std::wstring>{});
      EXPECT_EQ(testing_support::TextsThatDoNotFit(w), std::vector<std::string>{})
          << WideStringToUTF8(w->Name() + L" " + language);
      w->Hide();
    }
  }
  LanguageFile = saved;
}

TEST(ToolWindows, TheEffectsWindowShowsThePlayersValuesAndKeepsTheOtherBits) {
  FakeEffectsHost host;
  host.Bits = 1 | 4;  // equaliser and reverb on, echo off
  host.Echo = 30;
  host.Reverb = 7;
  host.SpeedValue = 150;
  {
    TSEffects effects(Application(), &host);
    // An effect that is off keeps its slider at 16, whatever the player holds.
    EXPECT_EQ(effects.EchoTrack->Value(), 16);
    EXPECT_EQ(effects.ReverbTrack->Value(), 7);
    EXPECT_EQ(effects.Speed->Value(), 150);
    EXPECT_TRUE(effects.ReverbCheck->Checked());
    effects.EchoCheck->SetChecked(true);
    effects.EchoCheckClick();
    EXPECT_EQ(host.Bits, 1 | 2 | 4);
    effects.ReverbCheck->SetChecked(false);
    effects.ReverbCheckClick();
    EXPECT_EQ(host.Bits, 1 | 2);
    effects.Speed->SetValue(10);  // the slider keeps it within 50..200
    EXPECT_EQ(host.SpeedValue, 50);
  }
}

}  // namespace
