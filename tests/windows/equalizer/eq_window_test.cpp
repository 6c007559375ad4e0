// The equaliser window and its presets dialog: the band and balance texts,
// the gains and effect bits reaching the host, the presets in the settings
// file, the settings bracket however the dialog ends, and the dialog's picture.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/tnt_ini_files.h"
#include "framework/dialogs.h"
#include "globals/program_globals.h"
#include "language_components.h"
#include "localization/localization.h"
#include "settings/settings_xml.h"
#include "skin/image_but.h"
#include "skin/slider.h"
#include "test_support.h"
#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_edits.h"
#include "unicode_controls/tnt_list_box.h"
#include "window_picture.h"
#include "windows/equalizer/eq_form.h"
#include "windows/equalizer/eq_presets.h"

namespace {

using Calls = std::vector<std::wstring>;

struct FakeHost : TEQHost {
  Calls calls;
  uint8_t bits = 0;
  bool throwOnLoad = false;
  void Add(const std::wstring& Call) { calls.push_back(Call); }
  uint8_t SoundEffects() override { return bits; }
  void SetSoundEffects(uint8_t Bits) override { Add(L"Effects " + std::to_wstring(Bits)); }
  void SetEQGains(const std::array<float, 10>& G) override {
    Add(L"Gains " + std::to_wstring(int(G[0])) + L" " + std::to_wstring(int(G[9])));
  }
  void SetPan(int32_t V) override { Add(L"Pan " + std::to_wstring(V)); }
  void ShowInfoText(const std::wstring& T) override { Add(T); }
  void RestoreInfoText() override { Add(L"Restore"); }
  void ToggleEQ() override { Add(L"Toggle"); }
  void PopupMainMenu(int32_t, int32_t) override { Add(L"Menu"); }
  void LoadEQPreset(const TXMLNode& N) override {
    if (throwOnLoad) throw std::runtime_error("no player");
    Add(L"Load " + N.Attribute(L"Name"));
  }
  // As the main window: the bands written, into a new preset when named.
  void SaveEQPreset(TXMLNode N, const std::wstring& Name) override {
    if (!Name.empty()) (N = N.AddChild(L"Preset")).SetAttribute(L"Name", Name);
    N.WriteInteger(L"B1", 9);
  }
  std::string OverrideFontName() override { return ""; }
  Calls Take() { return std::exchange(calls, {}); }
};

const std::string kPresets =
    "<APP><Equalizer><Presets><Preset Name=\"Rock\"/><Preset Name=\"Pop\"/>"
    "<Preset Name=\"Jazz\"/><Preset Name=\"Rock\"/></Presets></Equalizer></APP>";

class EQTest : public testing::Test {
 protected:
  void SetUp() override {
    SetSettingsFolder(dir.Path());
    dir.WriteFile(L"Tavrin.xml", kPresets);
    savedLanguage = LanguageFile;
    LanguageFile = dir.WriteFile(
        L"Test.ini",
        "[Messages]\r\nEQInputPresetName=EQInputPresetName\r\nCantSaveSettings=CantSaveSettings\r\n"
        "EQPresetAlreadyExists=EQPresetAlreadyExists %s\r\nEQConfirmPresetDelete=Delete %s\r\n");
    SetMessageBoxSink([this](HWND, const std::wstring& Text, const std::wstring& Caption, UINT) {
      boxes.push_back(Caption + L": " + Text);
      return answer;
    });
    form = std::make_unique<TEQ>(nullptr, &host);
  }
  void TearDown() override {
    form.reset();
    SetMessageBoxSink(nullptr);
    SetSettingsFolder(L"");
    LanguageFile = savedLanguage;
  }

  // Shows the presets dialog and runs Steps inside its modal loop; the
  // dialog is closed after them when they leave it open.
  void RunDialog(std::function<void(TEQPresets&)> Steps) {
    static std::function<void()> pending;
    pending = [&] {
      if (!EQPresets) return ADD_FAILURE() << "no dialog";
      Steps(*EQPresets);
      if (EQPresets) EQPresets->Close();
    };
    SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR Id, DWORD) {
      KillTimer(nullptr, Id);
      if (auto steps = std::exchange(pending, nullptr)) steps();
    });
    form->PresetsButClick();
    EXPECT_EQ(EQPresets, nullptr);
    EXPECT_EQ(SettingsDoc, nullptr) << "the settings bracket is left open";
  }

  // Each preset in the file as "name=B1 " ("-" without B1).
  std::wstring Stored() {
    OpenSettingsXml();
    std::wstring names;
    const TXMLNode all =
        SettingsDoc->DocumentElement().ChildNode(L"Equalizer").ChildNode(L"Presets");
    for (int32_t i = 0; i < all.ChildCount(); ++i)
      names += all.Child(i).Attribute(L"Name") + L"=" + all.Child(i).ReadString(L"B1", L"-") + L" ";
    DiscardSettingsXml();
    return names;
  }

  testing_support::TempDir dir;
  FakeHost host;
  std::unique_ptr<TEQ> form;
  std::vector<std::wstring> boxes;
  int answer = IDOK;
  std::wstring savedLanguage;
};

TEST_F(EQTest, BandsShowTheirValueAndApplyItWhenReleased) {
  struct Case {
    int band, value;
    std::wstring text, gains;
  } cases[] = {{5, 3, L"EQ (1 KHz)  +3 db", L"Gains 0 0"},
               {1, -7, L"EQ (80 Hz)  -7 db", L"Gains -7 0"},
               {10, 0, L"EQ (14 KHz)  +0 db", L"Gains -7 0"}};
  EQGains = {};
  form->Band(10)->SetValue(4);
  for (const Case& c : cases) {
    host.Take();
    form->Band(c.band)->SetValue(c.value);
    form->EQSliderChange(form->Band(c.band));
    EXPECT_EQ(host.Take(), Calls(2, c.text));  // the value's change, then the handler's own run
    form->EQSliderStopTracking(form->Band(c.band));
    EXPECT_EQ(EQGains[c.band - 1], c.value);
    EXPECT_EQ(host.Take(), (Calls{c.gains, L"Restore"}));
  }
  EXPECT_EQ(form->Band(11), nullptr);
}

TEST_F(EQTest, BalanceSnapsOnAnOddWidthAndSpeaksOnlyWhileDragged) {
  struct Case {
    int width, value, stored;
    Calls pressed;  // the host's calls when the thumb is then pressed and let go
  } cases[] = {{55, 7, 0, {L"Pan 0", L"Balance: Center", L"Restore"}},
               {56, 7, 7, {L"Pan 7", L"Balance: 7 % right", L"Restore"}},
               {55, 50, 50, {L"Pan 50", L"Balance: 50 % right", L"Restore"}},
               {56, -40, -40, {L"Pan -40", L"Balance: 40 % left", L"Restore"}}};
  for (const Case& c : cases) {
    TSlider* bar = form->PanningBar;
    bar->SetValue(c.value == 7 ? 20 : 0);
    bar->SetWidth(c.width);
    host.Take();
    bar->SetValue(c.value);
    EXPECT_EQ(bar->Value(), c.stored) << c.width << " " << c.value;
    EXPECT_EQ(host.Take(), Calls{}) << "a value set from code reaches the player from here";
    const int x = bar->Thumb()->Left() + bar->Thumb()->Width() / 2, y = bar->Height() / 2;
    PostMessageW(bar->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(bar->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    testing_support::PumpPendingMessages();
    EXPECT_EQ(host.Take(), c.pressed) << c.width << " " << c.value;
  }
}

TEST_F(EQTest, TheSwitchTurnsOnlyTheEqualiserBit) {
  // Echo (2) and reverb (4) stay as the player has them; the button follows bit 1.
  const std::pair<uint8_t, uint8_t> clicks[] = {{6, 7}, {7, 6}, {4, 5}, {5, 4}};
  for (const auto& [bits, set] : clicks) {
    host.bits = bits;
    form->EQONClick();
    EXPECT_EQ(form->EQON->Checked(), (set & 1) != 0);
    EXPECT_EQ(host.Take(), Calls{L"Effects " + std::to_wstring(set)});
  }
}

TEST_F(EQTest, PresetsAreSavedLoadedAndDeletedInTheSettingsFile) {
  enum Action { Save, Type, Load, Delete, Again };
  const std::wstring same = L"Rock=- Pop=- Jazz=- Rock=- ",
                     exists = L"Question: EQPresetAlreadyExists Rock";
  struct Case {
    Action action;
    std::wstring name;  // put in the box (Type: key by key), or the item selected (empty: none) for Load and Delete
    int answer;
    std::wstring stored, box;
  } cases[] = {
      {Save, L"Techno", IDOK, same + L"Techno=9 ", L""},
      {Save, L" Ro\tck  ", IDOK, L"Rock=- Pop=- Jazz=- Rock=9 ", exists},  // the last one
      {Save, L"Rock", IDCANCEL, same, exists},
      {Save, L"rock", IDOK, same + L"rock=9 ", L""},
      {Save, L" \x7f\t\xA0", IDOK, same, L"Information: EQInputPresetName"},
      // Typed: the box takes no more than its limit, and what it shows is saved.
      {Type, L"Bass | Treble" + std::wstring(70, L'+'), IDOK,
       same + L"Bass | Treble" + std::wstring(MaxPresetNameLength - 13, L'+') + L"=9 ", L""},
      {Delete, L"Pop", IDOK, L"Rock=- Jazz=- Rock=- ", L"Question: Delete Pop"},
      {Delete, L"Pop", IDCANCEL, same, L"Question: Delete Pop"},
      {Delete, L"", IDOK, same, L""},
      {Load, L"Jazz", IDOK, same, L""},
      {Load, L"", IDOK, same, L""},
      {Again, L"", IDOK, same, L""},
  };
  for (const Case& c : cases) {
    dir.WriteFile(L"Tavrin.xml", kPresets);
    boxes.clear();
    answer = c.answer;
    RunDialog([&](TEQPresets& d) {
      EXPECT_EQ(d.PresetList->ItemIndex(), 0);
      d.PresetList->SetItemIndex(c.name.empty() ? -1 : d.PresetList->Items()->IndexOf(c.name));
      d.PresetName->SetText(c.action == Type ? L"" : c.name);
      if (c.action == Type)
        for (wchar_t ch : c.name) SendMessageW(d.PresetName->Handle(), WM_CHAR, ch, 1);
      if (c.action == Save || c.action == Type) d.SaveButClick();
      if (c.action == Load) d.LoadButClick();
      if (c.action == Delete) d.DeleteButClick();
      if (c.action == Again) ShowEQPresets(&host);
      EXPECT_EQ(EQPresets, &d);
    });
    const std::wstring what = std::to_wstring(c.action) + L" \"" + c.name + L"\"";
    EXPECT_EQ(Stored(), c.stored) << what;
    EXPECT_EQ(boxes, c.box.empty() ? std::vector<std::wstring>{} : std::vector{c.box}) << what;
    EXPECT_EQ(host.Take(), c.action == Load && !c.name.empty() ? Calls{L"Load Jazz"} : Calls{})
        << what;
  }
}

TEST_F(EQTest, TheBracketClosesWhenAHandlerRaisesAndTheSaveFails) {
  testing_support::ExceptionRecorder recorder;
  host.throwOnLoad = true;
  RunDialog([&](TEQPresets& d) {
    SendMessageW(d.LoadBut->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(EQPresets, &d);
    DeleteFileW(dir.File(L"Tavrin.xml").c_str());
    CreateDirectoryW(dir.File(L"Tavrin.xml").c_str(), nullptr);  // no file can replace it
    SendMessageW(d.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  });
  RemoveDirectoryW(dir.File(L"Tavrin.xml").c_str());
  EXPECT_EQ(recorder.messages, std::vector<std::string>{"no player"});
  EXPECT_EQ(boxes, std::vector<std::wstring>{L"Error: CantSaveSettings"});
}

TEST_F(EQTest, PresetNamesKeepWhatTheSettingsCanHold) {
  const std::wstring a80(80, L'a'), note = L"\xD83C\xDFB5";
  struct Case {
    std::wstring in, out;
  } cases[] = {{L"  Rock  ", L"Rock"},
               {L"Bass\t& |Treble\x7f", L"Bass& |Treble"},
               {L"|\r\n", L"|"},
               {L"\x3000 x \xA0", L"x"},
               {a80, a80},
               {L"a" + note + L"b", L"a" + note + L"b"},
               {L"a\xD83C" L"b\xDFB5\xFFFF" L"c\xDFB5\xD83C", L"abc"}};
  for (const Case& c : cases) EXPECT_EQ(CleanPresetName(c.in), c.out) << c.in.size();
}

TEST_F(EQTest, TheWindowsHoldToTheirLanguageSections) {
  using namespace language_test;
  const auto sections = ReadComponentList(ComponentListFile());
  const TTntIniFile english(EnglishLanguageFile());
  EXPECT_EQ(CompareFormWithSection(form.get(), *FindSection(sections, L"Equalizer"), english), "");
  TEQPresets presets(nullptr, &host);
  EXPECT_EQ(CompareFormWithSection(&presets, *FindSection(sections, L"EQPresets"), english), "");
}

TEST_F(EQTest, PictureOfThePresetsDialog) {
  testing_support::Picture picture;
  RunDialog([&](TEQPresets& d) {
    testing_support::PumpPendingMessages();
    ASSERT_TRUE(testing_support::TakeWindowPicture(d.Handle(), L"eq_presets.png", picture));
    EXPECT_EQ(testing_support::TextsWithoutInk(d.Handle(), picture), std::vector<std::wstring>{});
  });
}

}  // namespace
