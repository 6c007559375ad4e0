// The main window carrying the docked windows: they follow its moves (also
// while hidden, and never off the screen), their toggles fade them in without
// leaving them half transparent, the keys work from the docked windows but
// not while the find box types, T makes the windows translucent, and the
// tray icon brings a player minimised to the tray back.
#include "e2e_fixture.h"
#include "window_picture.h"

namespace e2e {
namespace {

constexpr UINT kTrayNotify = WM_USER + 1024;

void PressKey(HWND window, WORD key) {
  PostMessageW(window, WM_KEYDOWN, key, 1);
  PostMessageW(window, WM_KEYUP, key, 0xC0000001);
}

class WindowManagement : public E2ETest {
 protected:
  bool Launch(const std::string& settings = DefaultSettings()) {
    folder.Write(L"Tavrin.xml", settings);
    program = Start({}, CaptureTo(L"out.wav"));
    if (!program) return false;
    main = program->MainWindow();
    playlist = WaitForWindow(*program, L"TPlaylist");
    eq = WaitForWindow(*program, L"TEQ");
    return main && playlist && eq;
  }
  // Whether the playlist and the equaliser sit where the docking puts them.
  bool Docked() {
    const RECT m = WindowRect(main), p = WindowRect(playlist), e = WindowRect(eq);
    const int eqWidth = e.right - e.left, mainWidth = m.right - m.left;
    return p.left == m.left && p.top == m.bottom && e.bottom == m.top &&
           e.left == m.left - (eqWidth - mainWidth) / 2;
  }
  std::string Where() {
    std::string text;
    for (HWND w : {main, playlist, eq}) {
      const RECT r = WindowRect(w);
      text += Narrow(ClassOf(w)) + " " + std::to_string(r.left) + "," + std::to_string(r.top) + "-" +
              std::to_string(r.right) + "," + std::to_string(r.bottom) + "; ";
    }
    return text;
  }
  void MoveMain(int x, int y) {
    SetWindowPos(main, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  void ClickPlaylistButton() { ClickChildAt(main, skin.Main(L"PLToggle")); }

  Program* program = nullptr;
  HWND main = nullptr, playlist = nullptr, eq = nullptr;
};

TEST_F(WindowManagement, DockedWindowsFollowEveryMoveAndStayOnTheScreen) {
  ASSERT_TRUE(Launch());
  // Dragged by its background, as a user does.
  const RECT before = WindowRect(main);
  POINT grip = testing_support::Centre(skin.Main(L"VisWindow"));
  grip.y += 30;
  ASSERT_TRUE(SendDrag(main, grip, 60, 45)) << "the press did not take the pointer: " << Where();
  EXPECT_TRUE(runner.WaitUntil([&] { return WindowRect(main).left > before.left; }, 5000))
      << "not dragged from " << before.left << "," << before.top << ": " << Where();
  EXPECT_TRUE(runner.WaitUntil([&] { return Docked(); }, 5000)) << "after a drag: " << Where();
  MoveMain(420, 330);
  EXPECT_TRUE(runner.WaitUntil([&] { return Docked(); }, 5000)) << "after a move: " << Where();
  testing_support::Picture picture;
  Sleep(300);  // the moved windows repaint
  for (auto [window, name] : {std::pair{main, L"e2e_docked_main.png"}, std::pair{playlist, L"e2e_docked_playlist.png"},
                              std::pair{eq, L"e2e_docked_eq.png"}})
    EXPECT_TRUE(testing_support::TakeWindowPicture(window, name, picture)) << Narrow(name);

  // Hidden, the playlist still follows, so it shows up docked.
  ClickPlaylistButton();
  ASSERT_TRUE(runner.WaitUntil([&] { return !IsWindowVisible(playlist); }, 5000));
  MoveMain(300, 200);
  Sleep(400);  // past the fade guard
  ClickPlaylistButton();
  ASSERT_TRUE(runner.WaitUntil([&] { return IsWindowVisible(playlist) && Docked(); }, 5000));

  // Dragged to the screen's edges and corners, the docked windows keep a
  // strip on it where it can be seen and grabbed: not under the main window.
  const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  for (POINT at : {POINT{300, screen.bottom - 40}, POINT{300, 0}, POINT{screen.right - 20, 300},
                   POINT{-250, 300}, POINT{screen.right - 20, 0}, POINT{-250, screen.bottom - 40}}) {
    MoveMain(at.x, at.y);
    ASSERT_TRUE(Answers(main));
    const RECT m = WindowRect(main);
    for (HWND docked : {playlist, eq}) {
      RECT shown{}, covered{};
      const RECT r = WindowRect(docked);
      EXPECT_TRUE(IntersectRect(&shown, &r, &screen) && shown.bottom - shown.top >= 32 &&
                  shown.right - shown.left >= 32 && !IntersectRect(&covered, &shown, &m))
          << "main at " << at.x << "," << at.y << ": " << Narrow(ClassOf(docked)) << " at " << r.left
          << "," << r.top;
    }
  }
  CloseWithoutSaving(*program);
}

// A stored place stands while some of the window's title area is on a
// monitor, however much of the rest is off it; a window whose title is off
// every monitor comes back with some of its title on the nearest one. Either
// way the place is saved as the window stands. (The playlist and the
// equaliser are docked to the main window once it shows.)
TEST_F(WindowManagement, StoredPlacesStandWhileSomeOfTheTitleIsOnAMonitor) {
  const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  const struct {
    const char* name;
    int x, y;
    bool kept;
  } cases[] = {{"past the right edge", screen.right - 100, 300, true},
               {"above the top", 200, -10, true},
               {"off every monitor, below right", screen.right + 500, screen.bottom + 500, false},
               {"off every monitor, above left", -5000, -5000, false}};
  const RECT titleBar = skin.Cell(L"MAIN", L"TitleActive");
  // The main window's title bar is the skin's; the lyrics editor's is the
  // system's caption, down to its client area.
  auto titleOf = [&](HWND window) {
    RECT title = WindowRect(window);
    POINT client{0, 0};
    ClientToScreen(window, &client);
    title.bottom = window == main ? title.top + titleBar.bottom - titleBar.top : client.y;
    return title;
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string x = std::to_string(c.x), y = std::to_string(c.y);
    // The lyrics editor's place is the first "Pos".
    std::string xml = WithAttribute(DefaultSettings(), "VisibleWindows", "TE", "True");
    for (const char* element : {"Main", "Pos"})
      xml = WithAttribute(WithAttribute(xml, element, "X", x), element, "Y", y);
    ASSERT_TRUE(Launch(xml));
    HWND editor = WaitForWindow(*program, L"TLyricsEditor");
    ASSERT_NE(editor, nullptr);
    const std::pair<const wchar_t*, HWND> windows[] = {{L"Main", main}, {L"Pos", editor}};
    std::vector<POINT> places;
    for (auto [element, window] : windows) {
      const RECT r = WindowRect(window), title = titleOf(window);
      RECT shown{};
      places.push_back({r.left, r.top});
      if (c.kept)
        EXPECT_TRUE(r.left == c.x && r.top == c.y) << Narrow(element) << " at " << r.left << "," << r.top;
      else
        EXPECT_TRUE(IntersectRect(&shown, &title, &screen))
            << Narrow(element) << "'s title off the screen at " << r.left << "," << r.top;
    }
    ExitByClick(*program);
    const std::wstring saved = folder.ReadSettings();
    for (size_t i = 0; i < places.size(); ++i) {
      const wchar_t* element = windows[i].first;
      EXPECT_EQ(XmlAttribute(saved, element, L"X").value_or(L"<none>") + L"," +
                    XmlAttribute(saved, element, L"Y").value_or(L"<none>"),
                std::to_wstring(places[i].x) + L"," + std::to_wstring(places[i].y))
          << Narrow(element) << " saved otherwise";
    }
  }
}

TEST_F(WindowManagement, FadesEndOpaqueAndQuickTogglesShowAtOnce) {
  ASSERT_TRUE(Launch());
  Sleep(400);
  // Faded in: layered and translucent on the way, opaque at the end.
  ClickPlaylistButton();
  ASSERT_TRUE(runner.WaitUntil([&] { return !IsWindowVisible(playlist); }, 5000));
  Sleep(400);
  ClickPlaylistButton();
  bool seenFading = false;
  runner.WaitUntil([&] { return (seenFading = seenFading || LayeredOpacity(playlist) < 200), seenFading; }, 2000);
  EXPECT_TRUE(seenFading) << "no fade was seen";
  EXPECT_TRUE(runner.WaitUntil([&] { return LayeredOpacity(playlist) == 255; }, 5000)) << LayeredOpacity(playlist);

  // Hidden half-way through its fade, then shown at once within the guard:
  // no half-transparent window is left.
  Sleep(400);
  ClickPlaylistButton();
  ASSERT_TRUE(runner.WaitUntil([&] { return !IsWindowVisible(playlist); }, 5000));
  Sleep(400);
  ClickPlaylistButton();
  ClickPlaylistButton();
  ClickPlaylistButton();
  ASSERT_TRUE(runner.WaitUntil([&] { return IsWindowVisible(playlist); }, 5000));
  EXPECT_TRUE(runner.WaitUntil([&] { return LayeredOpacity(playlist) == 255; }, 5000)) << LayeredOpacity(playlist);

  // Without fades the window shows opaque at once.
  CloseWithoutSaving(*program);
  ASSERT_TRUE(Launch(WithAttribute(DefaultSettings(), "Appearance", "FadeEffects", "False")));
  Sleep(400);
  ClickPlaylistButton();
  ASSERT_TRUE(runner.WaitUntil([&] { return !IsWindowVisible(playlist); }, 5000));
  ClickPlaylistButton();
  ASSERT_TRUE(runner.WaitUntil([&] { return IsWindowVisible(playlist); }, 5000));
  EXPECT_EQ(LayeredOpacity(playlist), 255);
  CloseWithoutSaving(*program);
}

TEST_F(WindowManagement, KeysWorkFromEveryWindowButNotWhileTheFindBoxTypes) {
  folder.WritePlaylist({{Wav(L"one.wav"), L"one", 1}, {Wav(L"two.wav"), L"two", 1}});
  ASSERT_TRUE(Launch(WithAttribute(DefaultSettings(), "Playback", "Repeat", "True")));
  const std::wstring idle = AppTitle(*program);
  auto playing = [&] { return AppTitle(*program) != idle; };
  // X plays and V stops, from each of the three windows.
  for (HWND window : {main, playlist, eq}) {
    PressKey(window, 'X');
    EXPECT_TRUE(runner.WaitUntil(playing, 5000)) << "X in " << Narrow(ClassOf(window));
    PressKey(window, 'V');
    EXPECT_TRUE(runner.WaitUntil([&] { return !playing(); }, 5000)) << "V in " << Narrow(ClassOf(window));
  }
  // T: translucent, a second T within the guard changes nothing, the next
  // one makes the windows opaque again.
  PressKey(eq, 'T');
  PressKey(eq, 'T');
  EXPECT_TRUE(runner.WaitUntil([&] { return LayeredOpacity(main) == 150 && LayeredOpacity(playlist) == 150; }, 5000))
      << LayeredOpacity(main);
  Sleep(400);
  PressKey(playlist, 'T');
  EXPECT_TRUE(runner.WaitUntil([&] { return LayeredOpacity(main) == 255 && LayeredOpacity(eq) == 255; }, 5000))
      << LayeredOpacity(main);

  // The find box takes the letter; nothing plays.
  const std::vector<HWND> edits = ChildrenOfClass(playlist, L"TFindBox");
  ASSERT_FALSE(edits.empty()) << "no find box";
  HWND find = edits.front();
  PostClick(find, POINT{5, 5});
  ASSERT_TRUE(runner.WaitUntil([&] { return WindowText(find).empty(); }, 5000));
  PostMessageW(find, WM_KEYDOWN, 'X', 1);
  PostMessageW(find, WM_KEYUP, 'X', 0xC0000001);
  EXPECT_TRUE(runner.WaitUntil([&] { return WindowText(find) == L"x"; }, 5000)) << Narrow(WindowText(find));
  Sleep(500);
  EXPECT_FALSE(playing()) << "X in the find box played";
  CloseWithoutSaving(*program);
}

TEST_F(WindowManagement, MinimisedToTheTrayEveryWindowHidesAndTheIconBringsThemBack) {
  ASSERT_TRUE(Launch(WithAttribute(DefaultSettings(), "Appearance", "MinToTray", "True")));
  ClickChildAt(main, skin.Main(L"MinimizeBut"));
  ASSERT_TRUE(runner.WaitUntil(
      [&] { return !IsWindowVisible(main) && !IsWindowVisible(playlist) && !IsWindowVisible(eq); }, 5000))
      << "still showing after the minimise";
  // The shell's click on the icon, as it reaches the program's tray window.
  const std::vector<HWND> all = AllWindows(*program, L"TPUtilWindow");
  ASSERT_FALSE(all.empty()) << "no tray window";
  for (HWND tray : all) {
    PostMessageW(tray, kTrayNotify, 1, WM_LBUTTONDOWN);
    PostMessageW(tray, kTrayNotify, 1, WM_LBUTTONUP);
  }
  EXPECT_TRUE(runner.WaitUntil(
      [&] { return IsWindowVisible(main) && IsWindowVisible(playlist) && IsWindowVisible(eq); }, 5000))
      << "the icon's click did not bring the windows back";
  CloseWithoutSaving(*program);
}

}  // namespace
}  // namespace e2e
