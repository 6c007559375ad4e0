// The options window as a user meets it: opened from the main menu or by
// Ctrl+P, each page's choice seen at once on the player's windows, and the
// single-key commands quiet while it has the keyboard.
#include <algorithm>

#include "e2e_fixture.h"
#include "window_picture.h"

namespace e2e {
namespace {

std::vector<std::wstring> ComboItems(HWND box) {
  std::vector<std::wstring> items;
  const LRESULT count = SendMessageW(box, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count && i < 100; ++i) {
    wchar_t text[256] = {};
    if (SendMessageW(box, CB_GETLBTEXTLEN, i, 0) < 255) SendMessageW(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    items.push_back(text);
  }
  return items;
}

class Options : public E2ETest {
 protected:
  bool Launch(const std::vector<std::wstring>& args = {}) {
    program = Start(args, CaptureTo(L"out.wav"));
    main = program ? program->MainWindow() : nullptr;
    return main != nullptr;
  }
  HWND OptionsWindow() {
    for (HWND window : program->Windows(L"TOptions"))
      if (IsWindowVisible(window)) return window;
    return nullptr;
  }
  // The main menu's "Preferences..." item: the third from the bottom.
  HWND OpenFromMenu() {
    if (!ClickChildAt(main, skin.Main(L"MenuBut"))) return nullptr;
    if (!runner.WaitUntil([&] { return !program->Windows(L"#32768").empty(); }, 5000)) return nullptr;
    HWND menu = program->Windows(L"#32768").front();
    for (WORD key : {VK_UP, VK_UP, VK_UP, VK_RETURN}) PostMessageW(menu, WM_KEYDOWN, key, 1);
    return WaitForOptions();
  }
  HWND WaitForOptions() {
    HWND window = nullptr;
    runner.WaitUntil([&] { return (window = OptionsWindow()) != nullptr; }, 5000);
    return window;
  }
  // A click on the page list's item Index.
  void ShowPage(HWND options, int Index) {
    HWND list = ChildWithText(options, L"TTntListBox");
    ASSERT_NE(list, nullptr);
    PostClick(list, POINT{20, Index * 20 + 10});
    ASSERT_TRUE(Answers(main));
  }
  // The control of that text (or class), once its page shows it: a page's
  // controls show once the page list has taken the click.
  HWND WaitForChild(HWND options, const std::wstring& text) {
    HWND control = nullptr;
    runner.WaitUntil([&] { return (control = ChildWithText(options, text)) != nullptr; }, 3000);
    return control;
  }
  // A click on a check box or radio button, as the mouse gives it.
  void Click(HWND options, const std::wstring& text) {
    HWND control = WaitForChild(options, text);
    ASSERT_NE(control, nullptr) << Narrow(text);
    SendMessageW(control, BM_CLICK, 0, 0);
    ASSERT_TRUE(Answers(main));
  }
  // The visualisation area of the main window's picture.
  std::vector<COLORREF> Visualisation(const std::wstring& name) {
    const RECT area = skin.Main(L"VisWindow");
    testing_support::Picture picture;
    std::vector<COLORREF> pixels;
    if (!testing_support::TakeWindowPicture(main, name, picture)) return pixels;
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x) pixels.push_back(picture.Pixel(x, y));
    return pixels;
  }
  Program* program = nullptr;
  HWND main = nullptr;
};

TEST_F(Options, OpensFromTheMenuAndByCtrlPAndQuietsTheSingleKeys) {
  folder.WritePlaylist({{Wav(L"one.wav"), L"one", 1}});
  ASSERT_TRUE(Launch());
  HWND options = OpenFromMenu();
  ASSERT_NE(options, nullptr);
  EXPECT_EQ(WindowText(options), L"Options");
  // "X" plays, but not while the options window has the keyboard. The Tab
  // after it moves the focus: once it has, the X was handled before it.
  SetForegroundWindow(options);
  ASSERT_TRUE(runner.WaitUntil([&] { return GetForegroundWindow() == options && FocusOf(options); }, 5000));
  const HWND focused = FocusOf(options);
  SendKey('X');
  SendKey(VK_TAB);
  ASSERT_TRUE(runner.WaitUntil([&] { return FocusOf(options) != focused; }, 5000)) << "the keys did not arrive";
  // Playing would have named the song in the title at once.
  EXPECT_EQ(AppTitle(*program), L"Tavrin 1.58") << "X played";

  PostMessageW(options, WM_CLOSE, 0, 0);
  ASSERT_TRUE(runner.WaitUntil([&] { return OptionsWindow() == nullptr; }, 5000));
  SetForegroundWindow(main);
  ASSERT_TRUE(runner.WaitUntil([&] { return GetForegroundWindow() == main; }, 5000));
  SendKey('X');
  EXPECT_TRUE(runner.WaitUntil([&] { return AppTitle(*program) == L"one - Tavrin"; }, 5000))
      << "X did not play from the main window";
  SendKey('P', VK_CONTROL);
  EXPECT_NE(WaitForOptions(), nullptr) << "Ctrl+P";
  CloseWithoutSaving(*program);
}

TEST_F(Options, EachPageActsAtOnceAndIsKeptForTheNextStart) {
  folder.WritePlaylist({{Wav(L"one.wav"), L"one", 1}});
  // A second language ("Settings" in Greek) and a second skin.
  const std::wstring greek =
      L"\xFEFF[Options]\r\nOptions=Ρυθμίσεις\r\n[Lyrics Editor]\r\nLyricsEditor=Στίχοι\r\n";
  folder.Write(L"Lang\\Polyglot.ini",
               std::string(reinterpret_cast<const char*>(greek.data()), greek.size() * sizeof(wchar_t)));
  InstallSkin(L"Ember");
  ASSERT_TRUE(Launch());
  // Playing (the repeat keeps it going) before the window takes the keys.
  PostMessageW(main, WM_KEYDOWN, 'R', 1);
  PostMessageW(main, WM_KEYDOWN, 'X', 1);
  ASSERT_TRUE(CaptureSounds(L"out.wav"));
  HWND options = OpenFromMenu();
  ASSERT_NE(options, nullptr);
  // Aside, as the user drags it: it opens over the main window.
  RECT mainRect{};
  GetWindowRect(main, &mainRect);
  SetWindowPos(options, nullptr, mainRect.right + 10, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

  // General: another language names the window at once, and every open one.
  PostMessageW(main, kRemote, 203, 0);
  HWND lyrics = WaitForWindow(*program, L"TLyricsEditor");
  ASSERT_NE(lyrics, nullptr);
  HWND languages = WaitForChild(options, L"English");
  ASSERT_NE(languages, nullptr);
  PostMessageW(languages, WM_KEYDOWN, VK_DOWN, 1);
  EXPECT_TRUE(runner.WaitUntil([&] { return WindowText(options) == L"Ρυθμίσεις"; }, 5000));
  EXPECT_EQ(WindowText(lyrics), L"Στίχοι");

  // Encoding: the MP3 mode shows its own quality list.
  ShowPage(options, 6);
  HWND mode = WaitForChild(options, L"Constant Bitrate (CBR)");
  ASSERT_NE(mode, nullptr);
  EXPECT_NE(ChildWithText(options, L"128 kbps"), nullptr) << "the bit rate, stored";
  PostMessageW(mode, WM_KEYDOWN, VK_UP, 1);
  EXPECT_TRUE(runner.WaitUntil([&] { return ChildWithText(options, L"5 (medium)") != nullptr; }, 3000))
      << "the quality, stored";
  EXPECT_EQ(ChildWithText(options, L"128 kbps"), nullptr);

  // Sound: the devices the audio library reports.
  ShowPage(options, 4);
  HWND devices = WaitForChild(options, L"Default sound device");
  ASSERT_NE(devices, nullptr);
  EXPECT_EQ(ComboItems(devices), std::vector<std::wstring>{L"Default sound device"});

  // File types: the settings' types with the icon libraries the program has.
  ShowPage(options, 5);
  HWND types = WaitForChild(options, L"TTntCheckListBox");
  ASSERT_NE(types, nullptr);
  EXPECT_EQ(SendMessageW(types, LB_GETCOUNT, 0, 0), 14);
  HWND sets = ChildWithText(options, L"Crystal");
  ASSERT_NE(sets, nullptr);
  EXPECT_EQ(ComboItems(sets), (std::vector<std::wstring>{L"Classic", L"Crystal"}));
  testing_support::Picture page;
  EXPECT_TRUE(testing_support::TakeWindowPicture(options, L"e2e_options_file_types.png", page));

  // Visualization: none leaves the bare background, which stays; each
  // painter draws over it.
  ShowPage(options, 3);
  Click(options, L"No visualization");
  Sleep(300);
  const std::vector<COLORREF> bare = Visualisation(L"e2e_options_vis_none.png");
  Sleep(300);
  EXPECT_EQ(Visualisation(L"e2e_options_vis_none.png"), bare);
  for (const wchar_t* painter : {L"Spectrum analyzer", L"Oscilloscope"}) {
    Click(options, painter);
    EXPECT_TRUE(runner.WaitUntil([&] { return Visualisation(L"e2e_options_vis.png") != bare; }, 5000))
        << Narrow(painter);
  }

  // Appearance: the hue recolours the main window.
  testing_support::Picture before, after;
  ASSERT_TRUE(testing_support::TakeWindowPicture(main, L"e2e_options_hue_before.png", before));
  ShowPage(options, 7);
  Click(options, L"On");
  ASSERT_TRUE(runner.WaitUntil(
      [&] {
        return testing_support::TakeWindowPicture(main, L"e2e_options_hue_after.png", after) &&
               after.Pixel(5, 40) != before.Pixel(5, 40);
      },
      5000));

  // Skins: a click on a skin puts it on.
  ShowPage(options, 1);
  std::vector<HWND> lists;
  runner.WaitUntil([&] { return (lists = ChildrenOfClass(options, L"TTntListBox")).size() == 2; }, 3000);
  ASSERT_EQ(lists.size(), 2u);
  const int row = static_cast<int>(SendMessageW(lists[1], LB_GETITEMHEIGHT, 0, 0));
  PostClick(lists[1], POINT{20, row + row / 2});  // "Ember", after the built-in skin
  EXPECT_TRUE(runner.WaitUntil([&] { return ClientSize(main).cx == 300; }, 5000));

  // Playlist: numbers off; the choices are written at exit.
  ShowPage(options, 2);
  Click(options, L"Show item numbers");
  Click(options, L"Recurse subdirectories when adding a folder to playlist");
  PostMessageW(options, WM_CLOSE, 0, 0);
  ASSERT_TRUE(ClickChildAt(main, RECT{275, 2, 275 + 17, 2 + 14})) << "Ember's close button";
  EXPECT_TRUE(runner.WaitForExit(*program));
  const std::wstring settings = folder.ReadSettings();
  EXPECT_EQ(XmlAttribute(settings, L"Playlist", L"ShowNumbers").value_or(L""), L"False");
  EXPECT_EQ(XmlAttribute(settings, L"Playlist", L"RecurseSubdirs").value_or(L""), L"False");
  EXPECT_EQ(XmlAttribute(settings, L"Visualization", L"Style").value_or(L""), L"1");
  EXPECT_EQ(XmlAttribute(settings, L"SkinHue", L"On").value_or(L""), L"True");
  EXPECT_EQ(XmlAttribute(settings, L"Appearance", L"Language").value_or(L""), L"Polyglot");
  EXPECT_EQ(XmlAttribute(settings, L"Skin", L"Name").value_or(L""), L"Ember");
  EXPECT_EQ(XmlAttribute(settings, L"MP3", L"EncMode").value_or(L""), L"0");

  // The next start adds a folder without its sub-folders.
  const std::wstring top = FolderOfWavs(L"top", {L"a.wav"});
  CreateDirectoryW((top + L"\\sub").c_str(), nullptr);
  CopyFileW((top + L"\\a.wav").c_str(), (top + L"\\sub\\b.wav").c_str(), FALSE);
  ASSERT_TRUE(Launch({top}));
  ASSERT_TRUE(ClickChildAt(main, RECT{275, 2, 275 + 17, 2 + 14})) << "Ember's close button";
  EXPECT_TRUE(runner.WaitForExit(*program));
  const auto files = FilesOf(folder.ReadPlaylist());
  auto listed = [&](const wchar_t* name) {
    return std::count_if(files.begin(), files.end(),
                         [&](const std::wstring& f) { return f.find(name) != std::wstring::npos; });
  };
  EXPECT_EQ(listed(L"a.wav"), 1);
  EXPECT_EQ(listed(L"b.wav"), 0);
}

// The application font override is on the song line from the start, as the
// box puts it there when ticked.
TEST_F(Options, TheFontOverrideIsOnTheSongLineFromTheStart) {
  std::string settings = WithAttribute(DefaultSettings(), "Appearance", "OverrideFonts", "True");
  folder.Write(L"Tavrin.xml", WithAttribute(settings, "Appearance", "GlobalFont", "DejaVu Sans Mono"));
  ASSERT_TRUE(Launch());
  auto songLine = [&](const std::wstring& name) {
    const RECT area = skin.Main(L"SongLabel");
    std::vector<COLORREF> pixels;
    testing_support::Picture picture;
    if (!SteadyPicture(main, name, picture)) return pixels;
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x) pixels.push_back(picture.Pixel(x, y));
    return pixels;
  };
  const std::vector<COLORREF> atStart = songLine(L"e2e_override_start.png");
  SendKey('P', VK_CONTROL);
  HWND options = WaitForOptions();
  ASSERT_NE(options, nullptr);
  // Aside: it opens over the main window.
  const RECT mainRect = WindowRect(main);
  SetWindowPos(options, nullptr, mainRect.right + 10, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  Click(options, L"Enable");
  ASSERT_NE(songLine(L"e2e_override_off.png"), atStart) << "the override made no difference";
  Click(options, L"Enable");
  EXPECT_EQ(songLine(L"e2e_override_ticked.png"), atStart);
  CloseWithoutSaving(*program);
}

// The skins page's list marks the skin in use after each pick and each
// reload, "Delete skin" asks about the pick, and the options window stays in
// front once a question is answered.
TEST_F(Options, TheSkinListMarksTheSkinInUseAndDeleteAsksAboutThePick) {
  InstallSkin(L"Ember");
  InstallSkin(L"Broken", L"PL.bmp");
  folder.Write(L"Tavrin.xml", WithAttribute(DefaultSettings(), "Skin", "Name", "Ember"));
  ASSERT_TRUE(Launch());
  SendKey('P', VK_CONTROL);
  HWND options = WaitForOptions();
  ASSERT_NE(options, nullptr);
  ShowPage(options, 1);
  std::vector<HWND> lists;
  runner.WaitUntil([&] { return (lists = ChildrenOfClass(options, L"TTntListBox")).size() == 2; }, 3000);
  ASSERT_EQ(lists.size(), 2u);
  HWND skins = lists[1];
  HWND remove = WaitForChild(options, L"Delete skin");
  ASSERT_NE(remove, nullptr);
  auto row = [&](const wchar_t* name) {
    return static_cast<int>(SendMessageW(skins, LB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(name)));
  };
  auto marked = [&] { return static_cast<int>(SendMessageW(skins, LB_GETCURSEL, 0, 0)); };
  EXPECT_EQ(marked(), row(L"Ember"));
  auto answer = [&](const std::wstring& question, int button) {
    HWND box = runner.WaitForMessageBox(*program);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), question);
    PressDialogButton(box, button);
    ASSERT_TRUE(runner.WaitUntil([&] { return program->Dialogs().empty(); }, 5000));
    ASSERT_TRUE(Answers(main));
    EXPECT_EQ(GetForegroundWindow(), options);
  };
  auto pick = [&](const wchar_t* name, LONG mainWidth) {
    const int height = static_cast<int>(SendMessageW(skins, LB_GETITEMHEIGHT, 0, 0));
    SendClick(skins, POINT{20, row(name) * height + height / 2});
    EXPECT_TRUE(runner.WaitUntil([&] { return ClientSize(main).cx == mainWidth; }, 5000));
    EXPECT_TRUE(Answers(main));
    EXPECT_EQ(marked(), row(name));
  };
  auto askToDelete = [&](const std::wstring& question, int button) {
    PostMessageW(remove, BM_CLICK, 0, 0);
    answer(question, button);
  };

  pick(L"Default", skin.MainSize().cx);
  // A new hue loads the skin in use again.
  ShowPage(options, 7);
  Click(options, L"On");
  EXPECT_EQ(marked(), row(L"Default"));
  ShowPage(options, 1);
  askToDelete(L"The default skin cannot be deleted.", IDOK);
  pick(L"Ember", 300);

  // A skin that cannot be loaded leaves the mark where it was, and is the
  // one Delete asks about.
  const int height = static_cast<int>(SendMessageW(skins, LB_GETITEMHEIGHT, 0, 0));
  PostClick(skins, POINT{20, row(L"Broken") * height + height / 2});
  answer(L"This skin is not valid: one of its files is missing.", IDOK);
  EXPECT_EQ(marked(), row(L"Ember"));
  askToDelete(L"Delete the skin \"Broken\"?", IDCANCEL);
  EXPECT_TRUE(folder.Exists(L"Skins\\Broken\\Skin.txt"));
  CloseWithoutSaving(*program);
}

}  // namespace
}  // namespace e2e
