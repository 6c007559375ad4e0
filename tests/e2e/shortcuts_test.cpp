// The main window's keys as a user presses them (real input) with another
// window of the program active: they act from every window, Del included;
// the single keys stay quiet while a window that takes typing is active; and
// no key acts while a modal window is up.
#include <functional>

#include "e2e_fixture.h"
#include "wav_bytes.h"

namespace e2e {
namespace {

// Public: the tests' tables reach the helpers from lambdas.
class Shortcuts : public E2ETest {
 public:
  static constexpr WPARAM kPlay = 100, kTogglePlaylist = 200, kToggleEQ = 201, kToggleEffects = 202,
                          kToggleLyrics = 203, kToggleCDExtractor = 204, kFileInfo = 252, kEntryDialog = 253,
                          kShowTotalTime = 255, kPreferences = 400;
  // The settings' 8-point playlist font gives rows this high.
  static constexpr int kRowHeight = 16;

  // A minute of silence: it plays through every step of a test.
  std::wstring MinuteWav() {
    return data.WriteFile(L"minute.wav", testing_support::WavBytes({.channels = 1, .rate = 8000}, 8000 * 60,
                                                                   [](uint32_t) { return 0; }));
  }
  bool Launch(const std::vector<PlaylistEntry>& entries) {
    folder.WritePlaylist(entries);
    folder.Write(L"Tavrin.xml", WithAttribute(DefaultSettings(), "Appearance", "FadeEffects", "False"));
    // A disc for the CD extractor, which asks for one.
    CreateDirectoryW(data.File(L"disc").c_str(), nullptr);
    data.WriteFile(L"disc\\1.wav", SineWav());
    data.WriteFile(L"disc\\disc.ini", "[Disc]\r\nTracks=1\r\n[Track1]\r\nFile=1.wav\r\n");
    Environment environment = CaptureTo(L"heard.wav");
    environment.push_back({L"TAVRIN_BASSCD_FAKE", L"X=" + data.File(L"disc")});
    program = Start({}, environment);
    main = program ? program->MainWindow() : nullptr;
    playlist = main ? WaitForWindow(*program, L"TPlaylist") : nullptr;
    eq = main ? WaitForWindow(*program, L"TEQ") : nullptr;
    const std::vector<HWND> lists = playlist ? ChildrenOfClass(playlist, L"TPlayListBox") : std::vector<HWND>{};
    list = lists.empty() ? nullptr : lists.front();
    idle = main ? AppTitle(*program) : L"";
    return list && eq;
  }

  void Remote(WPARAM command) { PostMessageW(main, kRemote, command, 0); }
  HWND PlaylistMenu(const wchar_t* key) { return OpenPlaylistMenu(*program, playlist, key); }
  bool Shown(const wchar_t* className) { return !program->Windows(className).empty(); }
  bool Playing() { return AppTitle(*program) != idle; }
  // The window of the class, opened by the remote command when it is not up.
  HWND Open(const wchar_t* className, WPARAM command) {
    if (!Shown(className)) Remote(command);
    return WaitForWindow(*program, className);
  }
  void Close(const wchar_t* className) {
    for (HWND window : program->Windows(className)) PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(runner.WaitUntil([&] { return !Shown(className); }, 5000)) << Narrow(className) << " stays open";
  }
  // The window in front with the keyboard, as the user's click leaves it.
  bool Activate(HWND window) {
    SetForegroundWindow(window);
    return runner.WaitUntil(
        [&] {
          const HWND focus = FocusOf(window);
          return GetForegroundWindow() == window && (focus == window || IsChild(window, focus));
        },
        5000);
  }
  // The playlist's first row clicked: it alone is selected. Each click goes
  // a little further right: two at one place would make a double click,
  // which plays the row.
  void SelectFirstRow() { SendClick(list, POINT{20 + 8 * clicks++, kRowHeight / 2}); }
  // Key pressed in the active window, then Tab: once the focus, or the text
  // of the control that has it, moved, the key has been handled.
  bool PressThenTab(HWND window, WORD key, WORD modifier = 0) {
    const HWND focus = FocusOf(window);
    const std::wstring text = WindowText(focus);
    SendKey(key, modifier);
    SendKey(VK_TAB);
    return runner.WaitUntil([&] { return FocusOf(window) != focus || WindowText(focus) != text; }, 5000);
  }
  // The playlist's length as its "Show total time" box tells it.
  std::wstring TotalTime() {
    Remote(kShowTotalTime);
    HWND box = runner.WaitForMessageBox(*program);
    if (!box) return L"<no box>";
    const std::wstring text = MessageBoxText(box);
    PressDialogButton(box, IDOK);
    runner.WaitUntil([&] { return !IsWindow(box); }, 5000);
    return text;
  }

  Program* program = nullptr;
  HWND main = nullptr, playlist = nullptr, eq = nullptr, list = nullptr;
  std::wstring idle;
  int clicks = 0;
};

// Each of the main window's keys, pressed in the sound effects window (a
// tool window of its own), does what it does in the main window.
TEST_F(Shortcuts, TheMainWindowsKeysActFromAnotherWindow) {
  ASSERT_TRUE(Launch({{MinuteWav(), L"minute", 60}}));
  struct Case {
    const char* Name;
    WORD Key, Modifier;
    std::function<bool(Shortcuts&)> Done;
    std::function<void(Shortcuts&)> Undo;
  };
  const Case cases[] = {
      {"F1 opens the about window", VK_F1, 0, [](Shortcuts& t) { return t.Shown(L"TAbout"); },
       [](Shortcuts& t) { t.Close(L"TAbout"); }},
      {"Ctrl+P opens the options", 'P', VK_CONTROL, [](Shortcuts& t) { return t.Shown(L"TOptions"); },
       [](Shortcuts& t) { t.Close(L"TOptions"); }},
      {"Alt+E hides the playlist", 'E', VK_MENU, [](Shortcuts& t) { return !IsWindowVisible(t.playlist); },
       [](Shortcuts& t) { t.Remote(kTogglePlaylist); }},
      {"Alt+G hides the equaliser", 'G', VK_MENU, [](Shortcuts& t) { return !IsWindowVisible(t.eq); },
       [](Shortcuts& t) { t.Remote(kToggleEQ); }},
      {"Alt+T shows the lyrics editor", 'T', VK_MENU, [](Shortcuts& t) { return t.Shown(L"TLyricsEditor"); },
       [](Shortcuts& t) { t.Remote(kToggleLyrics); }},
      {"Alt+C opens the CD extractor", 'C', VK_MENU, [](Shortcuts& t) { return t.Shown(L"TCDEx"); },
       [](Shortcuts& t) { t.Close(L"TCDEx"); }},
      {"Alt+S closes the sound effects window", 'S', VK_MENU, [](Shortcuts& t) { return !t.Shown(L"TSEffects"); },
       nullptr},
      {"X plays", 'X', 0, [](Shortcuts& t) { return t.Playing(); }, nullptr},
      // Seen in the settings at the exit.
      {"Ctrl+T shows the remaining time", 'T', VK_CONTROL, [](Shortcuts&) { return true; }, nullptr},
      {"V stops", 'V', 0, [](Shortcuts& t) { return !t.Playing(); }, nullptr},
      {"Alt+F4 closes the window it is pressed in, not the program", VK_F4, VK_MENU,
       [](Shortcuts& t) { return !t.Shown(L"TSEffects") && t.program->Running(); }, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    HWND effects = Open(L"TSEffects", kToggleEffects);
    ASSERT_NE(effects, nullptr);
    ASSERT_TRUE(Activate(effects));
    SendKey(c.Key, c.Modifier);
    EXPECT_TRUE(runner.WaitUntil([&] { return c.Done(*this); }, 5000));
    if (c.Undo) c.Undo(*this);
    ASSERT_TRUE(runner.WaitUntil([&] { return IsWindowVisible(playlist) && IsWindowVisible(eq); }, 5000));
  }
  ExitByClick(*program);
  EXPECT_EQ(XmlAttribute(folder.ReadSettings(), L"Playback", L"InvertTime").value_or(L""), L"True");
}

// Del removes the playlist's selected entries whichever of the player's
// windows has the keyboard.
TEST_F(Shortcuts, DelRemovesTheSelectedEntriesFromEveryWindow) {
  const std::wstring song = MinuteWav();
  ASSERT_TRUE(Launch({{song, L"one", 60}, {song, L"two", 120}, {song, L"four", 240}, {song, L"eight", 480}}));
  ASSERT_EQ(TotalTime(), L"15:00");
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"TTavrinMainForm", L"14:00"}, {L"TEQ", L"12:00"}, {L"TSEffects", L"08:00"}};
  for (const auto& [window, total] : cases) {
    SCOPED_TRACE(Narrow(window));
    HWND from = Open(window, kToggleEffects);
    ASSERT_NE(from, nullptr);
    SelectFirstRow();
    ASSERT_TRUE(Activate(from));
    // Alt+G after Del: once the equaliser has gone, the Del was handled.
    SendKey(VK_DELETE);
    SendKey('G', VK_MENU);
    ASSERT_TRUE(runner.WaitUntil([&] { return !IsWindowVisible(eq); }, 5000));
    EXPECT_EQ(Narrow(TotalTime()), Narrow(total));
    Remote(kToggleEQ);
    ASSERT_TRUE(runner.WaitUntil([&] { return IsWindowVisible(eq); }, 5000));
  }
  CloseWithoutSaving(*program);
}

// While a window that takes typing is active, a single key is the window's
// (the song plays on) while F1 still opens the about window; while a modal
// window is up, no key of the main window acts.
TEST_F(Shortcuts, SingleKeysStayQuietWhileAWindowTypesAndNoKeyActsOverAModalWindow) {
  ASSERT_TRUE(Launch({{MinuteWav(), L"minute", 60}}));
  struct Case {
    const char* Name;
    const wchar_t* Class;
    std::function<void(Shortcuts&)> Open;
    bool Modal;
  };
  const Case cases[] = {
      {"options", L"TOptions", [](Shortcuts& t) { t.Remote(kPreferences); }, false},
      {"lyrics editor", L"TLyricsEditor", [](Shortcuts& t) { t.Remote(kToggleLyrics); }, false},
      {"CD extractor", L"TCDEx", [](Shortcuts& t) { t.Remote(kToggleCDExtractor); }, false},
      {"find box", L"TPlaylist",
       [](Shortcuts& t) {
         for (HWND box : ChildrenOfClass(t.playlist, L"TFindBox")) SendClick(box, POINT{5, 5});
       },
       false},
      // The add menu's last item, "Add URL...".
      {"open-URL window", L"TOpenURL",
       [](Shortcuts& t) {
         if (HWND menu = t.PlaylistMenu(L"AddBut"))
           for (WORD key : {VK_UP, VK_RETURN}) PostMessageW(menu, WM_KEYDOWN, key, 1);
       },
       true},
      {"playlist entry dialog", L"TPLEntryForm", [](Shortcuts& t) { t.Remote(kEntryDialog); }, true},
      {"tag window", L"TWAV_Info", [](Shortcuts& t) { t.Remote(kFileInfo); }, true},
  };
  // The song, selected for the entry dialog and the tag window, plays
  // throughout.
  SelectFirstRow();
  Remote(kPlay);
  ASSERT_TRUE(runner.WaitUntil([&] { return Playing(); }, 5000));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    c.Open(*this);
    HWND window = WaitForWindow(*program, c.Class);
    ASSERT_NE(window, nullptr);
    if (!c.Modal && window != playlist) {
      ASSERT_TRUE(Activate(window));
    }
    ASSERT_TRUE(runner.WaitUntil([&] { return GetForegroundWindow() == window; }, 5000));
    EXPECT_TRUE(PressThenTab(window, 'V')) << "the keys did not arrive";
    EXPECT_TRUE(Playing()) << "V stopped the song";
    if (c.Modal) {
      EXPECT_TRUE(PressThenTab(window, VK_F1)) << "the keys did not arrive";
      EXPECT_FALSE(Shown(L"TAbout")) << "F1 acted over a modal window";
    } else {
      SendKey(VK_F1);
      EXPECT_TRUE(runner.WaitUntil([&] { return Shown(L"TAbout"); }, 5000)) << "F1 did not act";
    }
    Close(L"TAbout");
    if (window == playlist)
      Activate(main);
    else
      Close(c.Class);
  }
  CloseWithoutSaving(*program);
}

}  // namespace
}  // namespace e2e
