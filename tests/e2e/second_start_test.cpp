// A second start of the program in the same folder: it hands over to the
// running one and leaves, unless the settings allow several instances.
#include "e2e_fixture.h"

namespace e2e {
namespace {

// A window of the test's own, brought to the front, so that the program's
// coming to the front is seen.
class FrontWindow {
 public:
  FrontWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TavrinE2EFront";
    RegisterClassW(&wc);
    FWindow = CreateWindowExW(0, wc.lpszClassName, L"front", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100,
                              nullptr, nullptr, wc.hInstance, nullptr);
    SetForegroundWindow(FWindow);
  }
  ~FrontWindow() { DestroyWindow(FWindow); }
  HWND Handle() const { return FWindow; }

 private:
  HWND FWindow;
};

TEST_F(E2ETest, SecondStartWithoutArgumentsBringsTheFirstToTheFront) {
  Program* first = Start();
  ASSERT_NE(first, nullptr);
  HWND main = first->MainWindow();
  FrontWindow front;
  ASSERT_TRUE(runner.WaitUntil([&] { return GetForegroundWindow() == front.Handle(); }, 5000));

  Program* second = runner.Start(folder.Exe());
  ASSERT_NE(second, nullptr);
  bool secondShowedWindow = false;
  EXPECT_TRUE(runner.WaitUntil(
      [&] {
        secondShowedWindow |= second->MainWindow() != nullptr;
        return !second->Running();
      },
      5000))
      << "the second start did not end";
  EXPECT_FALSE(secondShowedWindow);
  EXPECT_TRUE(first->Running());
  EXPECT_TRUE(runner.WaitUntil([&] { return GetForegroundWindow() == main; }, 5000))
      << "the first did not come to the front";
  EXPECT_EQ(first->Windows(L"TTavrinMainForm").size(), 1u);
  CloseWithoutSaving(*first);
}

TEST_F(E2ETest, SecondStartHandsFolderAndFileToTheFirstWhichPlaysTheFile) {
  const std::wstring dir = FolderOfWavs(L"album", {L"a.wav", L"b.wav"});
  const std::wstring song = Wav(L"song.wav");
  Program* first = Start({}, CaptureTo(L"first.wav"));
  ASSERT_NE(first, nullptr);

  Program* second = runner.Start(folder.Exe(), {dir, song}, CaptureTo(L"second.wav"));
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(runner.WaitForExit(*second, 5000));
  EXPECT_TRUE(CaptureSounds(L"first.wav")) << "the first instance did not play the file";
  EXPECT_TRUE(first->Running());
  ExitByClick(*first);
  EXPECT_EQ(FilesOf(folder.ReadPlaylist()), std::vector<std::wstring>{Lower(song)});
}

TEST_F(E2ETest, SecondStartBringsAMinimisedPlayerBack) {
  const std::wstring song = Wav(L"song.wav");
  Program* first = Start({}, CaptureTo(L"first.wav"));
  ASSERT_NE(first, nullptr);
  HWND main = first->MainWindow();
  ASSERT_TRUE(ClickChildAt(main, skin.Main(L"MinimizeBut")));
  ASSERT_TRUE(runner.WaitUntil([&] { return !IsWindowVisible(main); }, 5000));

  Program* second = runner.Start(folder.Exe(), {song});
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(runner.WaitForExit(*second, 5000));
  EXPECT_TRUE(CaptureSounds(L"first.wav"));
  EXPECT_TRUE(runner.WaitUntil([&] { return GetForegroundWindow() == main; }, 5000))
      << "the player did not come to the front";
  EXPECT_TRUE(IsWindowVisible(main) && !IsIconic(GetWindow(main, GW_OWNER)));
  ExitByClick(*first);
}

TEST_F(E2ETest, MultiInstanceSettingGivesTwoRunningPrograms) {
  folder.Write(L"Tavrin.xml",
               Replace(DefaultSettings(), "MultiInstance=\"False\"", "MultiInstance=\"True\""));
  Program* first = Start();
  ASSERT_NE(first, nullptr);
  Program* second = Start();
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first->MainWindow(), second->MainWindow());
  EXPECT_TRUE(first->Running());
  CloseWithoutSaving(*second);
  CloseWithoutSaving(*first);
}

}  // namespace
}  // namespace e2e

namespace e2e {
namespace {

// Several files opened together from a file manager: ten second starts at
// the same moment, each with a folder of one file (folders append). They end
// as one player, which got every one of them.
TEST_F(E2ETest, TenSimultaneousSecondStartsEndAsOnePlayerWithEveryFile) {
  Program* first = Start();
  ASSERT_NE(first, nullptr);
  std::vector<Program*> seconds;
  for (int i = 0; i < 10; ++i) {
    const std::wstring name = L"set" + std::to_wstring(i);
    const std::wstring set = FolderOfWavs(name, {name + L".wav"});
    seconds.push_back(runner.Start(folder.Exe(), {set}));
  }
  for (Program* second : seconds) {
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(runner.WaitForExit(*second, 30000));
  }
  EXPECT_TRUE(first->Running());
  // The folders are read off the message loop: a moment for the ten, then the
  // exit writes the list.
  ASSERT_TRUE(Answers(first->MainWindow()));
  Sleep(2000);
  ExitByClick(*first);
  const auto files = FilesOf(folder.ReadPlaylist());
  EXPECT_EQ(files.size(), 10u);
}

}  // namespace
}  // namespace e2e
