// Skins as a user meets them: the keys M and N switch between the built-in
// skin and a second one in the program's Skins folder (its own size, outline
// and playlist), the choice outlives a restart, and a stored skin that
// cannot be loaded is reported once and the built-in one shown instead.
#include "e2e_fixture.h"
#include "window_picture.h"

namespace e2e {
namespace {

// The second skin's main and (fixed) playlist window.
const SIZE kEmberMain{300, 164};
const SIZE kEmberPlaylist{300, 200};

bool operator==(SIZE a, SIZE b) { return a.cx == b.cx && a.cy == b.cy; }

bool HasRegion(HWND window) {
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  const bool has = GetWindowRgn(window, region) != ERROR;
  DeleteObject(region);
  return has;
}

class Skins : public E2ETest {
 protected:
  // Presses key (again after the program's 333 ms guard) until the main
  // window has the size and the program is idle again: the size changes
  // while the skin is still being applied.
  bool PressUntil(HWND main, WORD key, SIZE size) {
    DWORD pressed = GetTickCount() - 1000;
    return runner.WaitUntil(
        [&] {
          if (ClientSize(main) == size) return true;
          if (GetTickCount() - pressed > 500) {
            pressed = GetTickCount();
            PostMessageW(main, WM_KEYDOWN, key, 1);
            PostMessageW(main, WM_KEYUP, key, 0xC0000001);
          }
          return false;
        },
        10000) &&
           Answers(main);
  }
  HWND PlaylistWindow(Program& program) {
    const std::vector<HWND> windows = program.Windows(L"TPlaylist");
    return windows.empty() ? nullptr : windows.front();
  }
  void KeepPicture(HWND window, const std::wstring& name) {
    testing_support::Picture picture;
    EXPECT_TRUE(SteadyPicture(window, name, picture)) << Narrow(name);
  }
  // The close button wherever the skin puts it.
  void ExitAt(Program& program, RECT closeBut) {
    ASSERT_TRUE(ClickChildAt(program.MainWindow(), closeBut));
    EXPECT_TRUE(runner.WaitForExit(program));
  }

  const SIZE defaultMain = skin.MainSize();
};

TEST_F(Skins, TheKeysSwitchSkinsAndTheChoiceOutlivesARestart) {
  InstallSkin(L"Ember");
  Program* program = Start();
  ASSERT_NE(program, nullptr);
  HWND main = program->MainWindow();
  EXPECT_TRUE(ClientSize(main) == defaultMain);
  EXPECT_FALSE(HasRegion(main));
  KeepPicture(main, L"e2e_default_main.png");

  const DWORD start = GetTickCount();
  ASSERT_TRUE(PressUntil(main, 'M', kEmberMain));
  EXPECT_LT(GetTickCount() - start, 3000u);
  EXPECT_TRUE(HasRegion(main));
  HWND playlist = PlaylistWindow(*program);
  ASSERT_NE(playlist, nullptr);
  EXPECT_TRUE(ClientSize(playlist) == kEmberPlaylist);
  EXPECT_TRUE(HasRegion(playlist));
  RECT mainRect{}, playlistRect{};
  GetWindowRect(main, &mainRect);
  GetWindowRect(playlist, &playlistRect);
  EXPECT_EQ(playlistRect.top, mainRect.bottom);
  EXPECT_EQ(playlistRect.left, mainRect.left);
  KeepPicture(main, L"e2e_ember_main.png");
  KeepPicture(playlist, L"e2e_ember_playlist.png");
  ExitAt(*program, RECT{275, 2, 275 + 17, 2 + 14});
  EXPECT_EQ(XmlAttribute(folder.ReadSettings(), L"Skin", L"Name").value_or(L""), L"Ember");

  program = Start();
  ASSERT_NE(program, nullptr);
  main = program->MainWindow();
  EXPECT_TRUE(ClientSize(main) == kEmberMain);
  ASSERT_TRUE(PressUntil(main, 'N', defaultMain));
  EXPECT_FALSE(HasRegion(main));
  ExitByClick(*program);
  EXPECT_EQ(XmlAttribute(folder.ReadSettings(), L"Skin", L"Name").value_or(L""), L"Default");
}

// The time display (remaining time), the visualisation (its next kind) and
// a button take their clicks in the skin switched to, after the user
// clicked the window's background to give it the keys.
TEST_F(Skins, TheTimeAndTheVisualisationTakeClicksAfterASkinSwitch) {
  InstallSkin(L"Ember");
  folder.WritePlaylist({{data.WriteFile(L"noise.wav", NoiseWav()), L"noise", 3}});
  Program* program = Start({}, CaptureTo(L"out.wav"));
  ASSERT_NE(program, nullptr);
  HWND main = program->MainWindow();
  // Repeat keeps the song playing while the display is clicked.
  PostMessageW(main, WM_KEYDOWN, 'R', 1);
  PostMessageW(main, WM_KEYDOWN, 'X', 1);
  ASSERT_TRUE(CaptureSounds(L"out.wav"));
  SendClick(main, POINT{4, 100});
  ASSERT_TRUE(PressUntil(main, 'M', kEmberMain));
  // Ember's time display, visualisation and shuffle button (its
  // description's places).
  SendClick(main, POINT{36 + 20, 55 + 8});
  SendClick(main, POINT{140 + 70, 51 + 13});
  SendClick(main, POINT{104 + 5, 140 + 5});
  ExitAt(*program, RECT{275, 2, 275 + 17, 2 + 14});
  const std::wstring settings = folder.ReadSettings();
  EXPECT_EQ(XmlAttribute(settings, L"Playback", L"InvertTime").value_or(L""), L"True");
  EXPECT_EQ(XmlAttribute(settings, L"Visualization", L"Style").value_or(L""), L"1");
  EXPECT_EQ(XmlAttribute(settings, L"Playback", L"Shuffle").value_or(L""), L"True");
}

// A start in the skin of fixed playlist size, then the built-in skin: the
// playlist takes the built-in skin's own rule (the stored size, held to its
// smallest playlist), as wide as the main window, and is stored so; the
// fixed size never becomes the user's.
TEST_F(Skins, ThePlaylistTakesEachSkinsSizeAfreshFromAStartInAFixedOne) {
  InstallSkin(L"Ember");
  folder.Write(L"Tavrin.xml", WithAttribute(DefaultSettings(), "Skin", "Name", "Ember"));
  const POINT stored = skin.Point(L"PLSizes", L"PLMinSize");  // the default settings' size
  for (int start = 0; start < 2; ++start) {
    SCOPED_TRACE(start);
    Program* program = Start();
    ASSERT_NE(program, nullptr);
    HWND main = program->MainWindow();
    HWND playlist = PlaylistWindow(*program);
    ASSERT_NE(playlist, nullptr);
    EXPECT_TRUE(ClientSize(playlist) == kEmberPlaylist);
    ASSERT_TRUE(PressUntil(main, 'N', defaultMain));
    EXPECT_TRUE(ClientSize(playlist) == (SIZE{stored.x, stored.y}))
        << ClientSize(playlist).cx << "x" << ClientSize(playlist).cy;
    EXPECT_EQ(WindowRect(playlist).right - WindowRect(playlist).left,
              WindowRect(main).right - WindowRect(main).left);
    // Back in the fixed skin for the next start, which reads what this one
    // stores.
    ASSERT_TRUE(PressUntil(main, 'M', kEmberMain));
    ExitAt(*program, RECT{275, 2, 275 + 17, 2 + 14});
    const std::wstring settings = folder.ReadSettings();
    EXPECT_EQ(XmlAttribute(settings, L"Size", L"Width").value_or(L""), std::to_wstring(stored.x));
    EXPECT_EQ(XmlAttribute(settings, L"Size", L"Height").value_or(L""), std::to_wstring(stored.y));
  }
}

// The playlist's search box stands on the row of the menu buttons beside it,
// its text in the middle of its height, and no edge of it lighter than its
// text (the system's white 3-D edge), in both skins and both languages.
TEST_F(Skins, TheSearchBoxStandsOnTheButtonRowWithItsTextInTheMiddle) {
  InstallSkin(L"Ember");
  folder.Write(L"Lang\\Russian.ini", testing_support::ReadFileBytes(TestFile(L"lang\\Russian.ini")));
  for (const wchar_t* language : {L"English", L"Russian"}) {
    folder.Write(L"Tavrin.xml", WithAttribute(DefaultSettings(), "Appearance", "Language", Narrow(language)));
    Program* program = Start();
    ASSERT_NE(program, nullptr);
    HWND main = program->MainWindow();
    HWND playlist = PlaylistWindow(*program);
    ASSERT_NE(playlist, nullptr);
    const std::wstring prompt = language == std::wstring(L"English") ? L" Search" : L" \x041F\x043E\x0438\x0441\x043A";
    for (const wchar_t* skinName : {L"default", L"ember"}) {
      SCOPED_TRACE(Narrow(std::wstring(skinName) + L" " + language));
      if (skinName == std::wstring(L"ember")) {
        ASSERT_TRUE(PressUntil(main, 'M', kEmberMain));
      }
      HWND box = ChildWithText(playlist, prompt);
      ASSERT_NE(box, nullptr);
      const RECT boxRect = WindowRect(box);
      int buttons = 0;
      for (HWND button : ChildrenOfClass(GetParent(box), L"TImageBut")) {
        const RECT r = WindowRect(button);
        if (GetParent(button) != GetParent(box) || r.right > boxRect.left) continue;
        ++buttons;
        EXPECT_NEAR(boxRect.top + boxRect.bottom, r.top + r.bottom, 1) << "off the buttons' middle";
      }
      EXPECT_EQ(buttons, 4) << "the menu buttons left of the box";

      testing_support::Picture picture;
      ASSERT_TRUE(SteadyPicture(playlist, L"e2e_search_box_" + std::wstring(skinName) + L"_" + language + L".png",
                                picture));
      const RECT frame = WindowRect(playlist);
      const RECT at{boxRect.left - frame.left, boxRect.top - frame.top, boxRect.right - frame.left,
                    boxRect.bottom - frame.top};
      auto luma = [](COLORREF c) { return GetRValue(c) * 299 + GetGValue(c) * 587 + GetBValue(c) * 114; };
      const COLORREF fill = picture.Pixel(at.right - 4, (at.top + at.bottom) / 2);
      // Inside the edges: the rows the text inks, and its lightest pixel.
      int first = -1, last = -1, lightest = 0;
      for (int y = at.top + 3; y < at.bottom - 3; ++y)
        for (int x = at.left + 3; x < at.right - 3; ++x) {
          const COLORREF c = picture.Pixel(x, y);
          lightest = std::max(lightest, luma(c));
          if (std::abs(luma(c) - luma(fill)) < 60000) continue;
          if (first < 0) first = y;
          last = y;
        }
      ASSERT_GE(first, 0) << "no text";
      // Within a pixel of the middle: fonts place their capitals a little
      // differently in their line.
      EXPECT_NEAR(first - at.top, at.bottom - 1 - last, 2) << "rows " << first << ".." << last << " of "
                                                           << at.top << ".." << at.bottom;
      for (int y = at.top; y < at.bottom; ++y)
        for (int x = at.left; x < at.right; ++x) {
          const bool edge = y < at.top + 2 || y >= at.bottom - 2 || x < at.left + 2 || x >= at.right - 2;
          if (edge && luma(picture.Pixel(x, y)) > lightest) {
            ADD_FAILURE() << "an edge lighter than the text at " << x << "," << y;
            y = at.bottom;
            break;
          }
        }
    }
    CloseWithoutSaving(*program);
  }
}

TEST_F(Skins, AStoredSkinLackingAFileIsReportedOnceAndTheBuiltInOneShown) {
  InstallSkin(L"Broken", L"PL.bmp");
  folder.Write(L"Tavrin.xml", Replace(DefaultSettings(), "<Skin Name=\"Default\"/>", "<Skin Name=\"Broken\"/>"));
  Program* program = runner.Start(folder.Exe());
  ASSERT_NE(program, nullptr);
  HWND box = runner.WaitForMessageBox(*program);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box), L"This skin is not valid: one of its files is missing.");
  PressDialogButton(box, IDOK);
  HWND main = runner.WaitForMainWindow(*program);
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(Answers(main));
  EXPECT_TRUE(program->Dialogs().empty());
  EXPECT_TRUE(ClientSize(main) == defaultMain);
  ExitByClick(*program);
  EXPECT_EQ(XmlAttribute(folder.ReadSettings(), L"Skin", L"Name").value_or(L""), L"Default");
}

}  // namespace
}  // namespace e2e

namespace e2e {
namespace {

// The playlist button's picture follows the window it shows: hidden and shown
// again by the button itself, it lights as it did at the start.
TEST_F(E2ETest, ThePlaylistButtonLightsWhileThePlaylistShows) {
  Program* tavrin = Start();
  ASSERT_NE(tavrin, nullptr);
  HWND main = tavrin->MainWindow();
  const RECT rect = skin.Main(L"PLToggle");
  HWND button = FindChildAt(main, rect);
  ASSERT_NE(button, nullptr);
  auto picture = [&](const wchar_t* name) {
    testing_support::Picture shot, last;
    runner.WaitUntil([&] {
      last = std::move(shot);
      return testing_support::TakeWindowPicture(button, name, shot) && last.Rgb == shot.Rgb;
    }, 3000);
    return shot.Rgb;
  };
  auto playlistShown = [&] { return !tavrin->Windows(L"TPlaylist").empty(); };
  ASSERT_TRUE(runner.WaitUntil(playlistShown, 5000));
  const std::vector<uint8_t> lit = picture(L"e2e_pl_lit.png");
  ASSERT_TRUE(ClickChildAt(main, rect));
  ASSERT_TRUE(runner.WaitUntil([&] { return !playlistShown(); }, 5000));
  EXPECT_NE(picture(L"e2e_pl_dark.png"), lit) << "the button stays lit over a hidden playlist";
  ASSERT_TRUE(ClickChildAt(main, rect));
  ASSERT_TRUE(runner.WaitUntil(playlistShown, 5000));
  // The pointer leaves it, so no hover look remains.
  PostMessageW(button, WM_MOUSELEAVE, 0, 0);
  testing_support::Picture shot;
  EXPECT_TRUE(runner.WaitUntil(
      [&] {
        return testing_support::TakeWindowPicture(button, L"e2e_pl_lit_again.png", shot) &&
               shot.Rgb == lit;
      },
      3000))
      << "the button's light stays off";
  ExitByClick(*tavrin);
}

}  // namespace
}  // namespace e2e
