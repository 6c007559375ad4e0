// The equaliser window as a user meets it: docked above the player in both
// skins (and its picture in each), and its presets added, replaced, renamed, deleted and applied, kept
// across a restart, and safe while a second start hands files over.
#include "e2e_fixture.h"
#include "window_picture.h"

namespace e2e {
namespace {

constexpr int kRock[] = {5, 3, -4, -5, -3, 3, 6, 7, 7, 7};

// An attribute's text with its one entity the presets use decoded.
std::wstring XmlText(std::wstring text) {
  for (size_t at = text.find(L"&amp;"); at != std::wstring::npos; at = text.find(L"&amp;", at + 1))
    text.replace(at, 5, L"&");
  return text;
}

// The names of the presets in a settings text, in order.
std::vector<std::wstring> PresetNames(const std::wstring& xml) {
  std::vector<std::wstring> names;
  for (size_t at = xml.find(L"<Preset "); at != std::wstring::npos; at = xml.find(L"<Preset ", at + 1))
    names.push_back(XmlText(XmlAttribute(xml.substr(at), L"Preset", L"Name").value_or(L"?")));
  return names;
}

std::wstring ListText(HWND list, LRESULT index) {
  wchar_t text[512] = {};
  if (SendMessageW(list, LB_GETTEXTLEN, index, 0) < 511)
    SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
  return text;
}

class EqualizerWindow : public E2ETest {
 protected:
  // Opens the presets dialog by its button.
  HWND OpenPresets(Program& program) {
    HWND eq = WaitForWindow(program, L"TEQ");
    if (!eq || !ClickChildAt(eq, skin.EQ(L"PresetsBut"))) return nullptr;
    return WaitForWindow(program, L"TEQPresets");
  }
  void TypeName(HWND dialog, const std::wstring& name) {
    const std::vector<HWND> edits = ChildrenOfClass(dialog, L"TTntEdit");
    ASSERT_FALSE(edits.empty()) << "no name box";
    SendMessageW(edits.front(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
  HWND List(HWND dialog) {
    const std::vector<HWND> lists = ChildrenOfClass(dialog, L"TTntListBox");
    return lists.empty() ? nullptr : lists.front();
  }
  std::vector<std::wstring> Listed(HWND dialog) {
    std::vector<std::wstring> names;
    HWND list = List(dialog);
    const LRESULT count = list ? SendMessageW(list, LB_GETCOUNT, 0, 0) : 0;
    for (LRESULT i = 0; i < count && i < 1000; ++i) names.push_back(ListText(list, i));
    return names;
  }
  void Select(HWND dialog, const std::wstring& name) {
    HWND list = List(dialog);
    const LRESULT index = SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(name.c_str()));
    ASSERT_NE(index, LB_ERR) << Narrow(name) << " is not listed";
    SendMessageW(list, LB_SETCURSEL, index, 0);
  }
  bool Gone(HWND window) {
    return runner.WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, 5000);
  }
  void Confirm(Program& program) {
    HWND box = runner.WaitForMessageBox(program);
    ASSERT_NE(box, nullptr) << "no question was asked";
    PressDialogButton(box, IDOK);
  }
};

TEST_F(EqualizerWindow, PresetsAreAddedReplacedRenamedDeletedAppliedAndKept) {
  Program* tavrin = Start();
  ASSERT_NE(tavrin, nullptr);
  HWND dialog = OpenPresets(*tavrin);
  ASSERT_NE(dialog, nullptr) << "the presets button opened nothing";
  TypeName(dialog, L"Evening");
  Press(dialog, L"Save");
  ASSERT_TRUE(Gone(dialog)) << "saving did not close the dialog";

  dialog = OpenPresets(*tavrin);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Listed(dialog).back(), L"Evening") << "a new preset goes last";
  Select(dialog, L"Rock");
  Press(dialog, L"Load");
  ASSERT_TRUE(Gone(dialog));

  // The same name asks, and replaces the preset in place with the sliders.
  dialog = OpenPresets(*tavrin);
  ASSERT_NE(dialog, nullptr);
  TypeName(dialog, L"Evening");
  Press(dialog, L"Save");
  Confirm(*tavrin);
  ASSERT_TRUE(Gone(dialog));

  // Renaming: saved under the new name, the old one deleted.
  dialog = OpenPresets(*tavrin);
  ASSERT_NE(dialog, nullptr);
  TypeName(dialog, L"Night");
  Press(dialog, L"Save");
  ASSERT_TRUE(Gone(dialog));
  dialog = OpenPresets(*tavrin);
  ASSERT_NE(dialog, nullptr);
  for (const wchar_t* name : {L"Evening", L"Bass"}) {
    Select(dialog, name);
    Press(dialog, L"Delete");
    Confirm(*tavrin);
  }
  runner.WaitUntil([&] { return Listed(dialog).size() == 18; }, 3000);
  Press(dialog, L"Close");
  ASSERT_TRUE(Gone(dialog));
  ExitByClick(*tavrin);

  const std::wstring saved = folder.ReadSettings();
  const std::vector<std::wstring> names = PresetNames(saved);
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(names.back(), L"Night");
  EXPECT_EQ(std::count(names.begin(), names.end(), L"Bass"), 0);
  EXPECT_EQ(std::count(names.begin(), names.end(), L"Evening"), 0);
  const std::wstring night = saved.substr(saved.find(L"Name=\"Night\"") - 8);
  for (int n = 1; n <= 10; ++n) {
    const std::wstring band = L"B" + std::to_wstring(n);
    EXPECT_EQ(XmlAttribute(saved, L"Bands", band).value_or(L""), std::to_wstring(kRock[n - 1]))
        << "the loaded preset is not on the sliders: " << Narrow(band);
    EXPECT_EQ(XmlAttribute(night, L"Preset", band).value_or(L""), std::to_wstring(kRock[n - 1]));
  }

  // The list after a restart is the one left.
  tavrin = Start();
  ASSERT_NE(tavrin, nullptr);
  dialog = OpenPresets(*tavrin);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Listed(dialog), names);
  Press(dialog, L"Close");
  ASSERT_TRUE(Gone(dialog));
  ExitByClick(*tavrin);
}

TEST_F(EqualizerWindow, AHandOverWhileThePresetsAreOpenIsTakenAndNothingIsLost) {
  Program* tavrin = Start();
  ASSERT_NE(tavrin, nullptr);
  HWND dialog = OpenPresets(*tavrin);
  ASSERT_NE(dialog, nullptr);
  const std::wstring song = Wav(L"handed.wav");
  Program* second = runner.Start(folder.Exe(), {song});
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(runner.WaitForExit(*second, 20000)) << "the second start did not hand over";
  TypeName(dialog, L"During");
  Press(dialog, L"Save");
  ASSERT_TRUE(Gone(dialog));
  ExitByClick(*tavrin);
  EXPECT_EQ(FilesOf(folder.ReadPlaylist()), std::vector<std::wstring>{Lower(song)});
  const std::vector<std::wstring> names = PresetNames(folder.ReadSettings());
  EXPECT_EQ(names.size(), 19u);
  EXPECT_EQ(names.empty() ? L"" : names.back(), L"During");
}

TEST_F(EqualizerWindow, DocksCentredAboveThePlayerInBothSkins) {
  InstallSkin(L"Ember");
  for (const char* name : {"Default", "Ember"}) {
    folder.Write(L"Tavrin.xml", WithAttribute(DefaultSettings(), "Skin", "Name", name));
    Program* tavrin = Start();
    ASSERT_NE(tavrin, nullptr);
    HWND eq = WaitForWindow(*tavrin, L"TEQ");
    HWND main = tavrin->MainWindow();
    ASSERT_NE(eq, nullptr);
    RECT e{}, m{};
    runner.WaitUntil([&] { return GetWindowRect(eq, &e) && GetWindowRect(main, &m) && e.bottom == m.top; }, 3000);
    EXPECT_EQ(e.bottom, m.top) << name;
    EXPECT_LE(std::abs((e.left + e.right) - (m.left + m.right)), 1) << name;
    const std::wstring skinName(name, name + strlen(name));
    if (skinName == L"Default") {
      // Its close button hides it, the main window's button brings it back.
      ASSERT_TRUE(ClickChildAt(eq, skin.EQ(L"CloseBut")));
      EXPECT_TRUE(Gone(eq));
      ASSERT_TRUE(ClickChildAt(main, skin.Main(L"EQToggle")));
      EXPECT_TRUE(runner.WaitUntil([&] { return IsWindowVisible(eq) != FALSE; }, 5000));
    }
    testing_support::Picture picture;
    EXPECT_TRUE(testing_support::TakeWindowPicture(eq, L"e2e_eq_" + skinName + L".png", picture));
    CloseWithoutSaving(*tavrin);
  }
}

// The balance dragged by hand in 2-pixel steps from its centre past the right
// end, then back through the centre past the left end: the windows keep
// answering, and the remote exit saves the balance where it was let go.
TEST_F(EqualizerWindow, TheBalanceIsDraggedEndToEndInSmallSteps) {
  Program* tavrin = Start();
  ASSERT_NE(tavrin, nullptr);
  HWND main = tavrin->MainWindow(), eq = WaitForWindow(*tavrin, L"TEQ");
  ASSERT_NE(eq, nullptr);
  const RECT bar = skin.EQ(L"PanningBar");
  const int length = bar.right - bar.left;
  // The thumb of a centred balance sits in the middle of the bar.
  std::vector<POINT> moves((length / 2 + 10) / 2, POINT{2, 0});
  moves.insert(moves.end(), (length + 20) / 2, POINT{-2, 0});
  EXPECT_TRUE(SendDragAlong(eq, testing_support::Centre(bar), moves)) << "the drag was not let go";
  EXPECT_TRUE(Answers(eq)) << "the equaliser stopped answering during the drag";
  PostMessageW(main, kRemote, 402, 0);
  ASSERT_TRUE(runner.WaitForExit(*tavrin)) << "the remote exit did not end the program";
  EXPECT_EQ(XmlAttribute(folder.ReadSettings(), L"Playback", L"Pan").value_or(L"<not saved>"), L"-100");
}

}  // namespace
}  // namespace e2e
