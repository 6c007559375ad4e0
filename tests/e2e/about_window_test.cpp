// The about window as a user meets it: opened by F1 and closed again, its
// logo translucent on a right press, its links opening the program's text
// files in one viewer at a time, a missing file opening nothing.
#include "e2e_fixture.h"
#include "window_picture.h"

namespace e2e {
namespace {

TEST_F(E2ETest, TheAboutWindowOpensTheProgramsTextsOneAtATime) {
  folder.Remove(L"License.txt");
  Program* program = Start();
  ASSERT_NE(program, nullptr);
  HWND main = program->MainWindow();
  PostMessageW(main, WM_KEYDOWN, VK_F1, 1);
  HWND about = WaitForWindow(*program, L"TAbout");
  ASSERT_NE(about, nullptr) << "F1 opened nothing";
  Sleep(300);
  testing_support::Picture picture;
  EXPECT_TRUE(testing_support::TakeWindowPicture(about, L"e2e_about.png", picture));

  PostMessageW(about, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(60, 60));
  PostMessageW(about, WM_RBUTTONUP, 0, MAKELPARAM(60, 60));
  EXPECT_TRUE(runner.WaitUntil([&] { return LayeredOpacity(about) == 170; }, 5000)) << LayeredOpacity(about);

  // Each link opens its file, one viewer at a time; a link while the viewer
  // is open, or one whose file is missing, opens nothing. A click is handled
  // when SendClick returns, and each "nothing" has its twin that opens.
  auto viewers = [&] { return AllWindows(*program, L"TInfoForm"); };
  auto opens = [&](POINT link, const wchar_t* file) -> HWND {
    SendClick(about, link);
    HWND viewer = WaitForWindow(*program, L"TInfoForm");
    EXPECT_NE(viewer, nullptr) << Narrow(file) << " opened no viewer";
    if (viewer) {
      EXPECT_EQ(WindowText(viewer), file);
    }
    return viewer;
  };
  auto closes = [&](HWND viewer) {
    Press(viewer, L"OK");
    ASSERT_TRUE(runner.WaitUntil([&] { return viewers().empty(); }, 5000)) << "another viewer is open";
  };
  constexpr POINT kHistory{175, 220}, kShortcuts{75, 220}, kLicense{275, 220};
  // A click at the very place of the one before would be a double click.
  auto Aside = [](POINT p) { return POINT{p.x + 10, p.y}; };
  HWND viewer = opens(kHistory, L"History.txt");
  ASSERT_NE(viewer, nullptr);
  const std::vector<HWND> memos = ChildrenOfClass(viewer, L"TTntMemo");
  ASSERT_FALSE(memos.empty());
  EXPECT_EQ(WindowText(memos.front()).rfind(L"Tavrin version history", 0), 0u);
  EXPECT_TRUE(testing_support::TakeWindowPicture(viewer, L"e2e_text_viewer.png", picture));
  SendClick(about, kShortcuts);
  EXPECT_EQ(viewers().size(), 1u) << "a second link opened a second viewer";
  closes(viewer);
  closes(opens(Aside(kShortcuts), L"Shortcuts.txt"));
  SendClick(about, kLicense);
  EXPECT_TRUE(viewers().empty()) << "a missing license opened a viewer";
  folder.Write(L"License.txt", "Licence text\r\n");
  closes(opens(Aside(kLicense), L"License.txt"));

  PostMessageW(main, WM_KEYDOWN, VK_F1, 1);
  EXPECT_TRUE(runner.WaitUntil([&] { return AllWindows(*program, L"TAbout").empty(); }, 5000))
      << "F1 did not close the about window";
  CloseWithoutSaving(*program);
}

}  // namespace
}  // namespace e2e
