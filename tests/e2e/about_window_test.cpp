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

  // "Version history" opens its file; "License" (missing) and a second link
  // while the viewer is open open nothing.
  SendClick(about, POINT{175, 220});
  HWND viewer = WaitForWindow(*program, L"TInfoForm");
  ASSERT_NE(viewer, nullptr) << "the history link opened no viewer";
  EXPECT_EQ(WindowText(viewer), L"History.txt");
  const std::vector<HWND> memos = ChildrenOfClass(viewer, L"TTntMemo");
  ASSERT_FALSE(memos.empty());
  EXPECT_EQ(WindowText(memos.front()).rfind(L"Tavrin version history", 0), 0u);
  EXPECT_TRUE(testing_support::TakeWindowPicture(viewer, L"e2e_text_viewer.png", picture));
  SendClick(about, POINT{75, 220});
  ASSERT_TRUE(Answers(main));
  EXPECT_EQ(AllWindows(*program, L"TInfoForm").size(), 1u);
  Press(viewer, L"OK");
  ASSERT_TRUE(runner.WaitUntil([&] { return AllWindows(*program, L"TInfoForm").empty(); }, 5000));
  SendClick(about, POINT{275, 220});
  ASSERT_TRUE(Answers(main));
  EXPECT_TRUE(AllWindows(*program, L"TInfoForm").empty()) << "a missing license opened a viewer";

  PostMessageW(main, WM_KEYDOWN, VK_F1, 1);
  EXPECT_TRUE(runner.WaitUntil([&] { return AllWindows(*program, L"TAbout").empty(); }, 5000))
      << "F1 did not close the about window";
  CloseWithoutSaving(*program);
}

}  // namespace
}  // namespace e2e
