// The ends of a run nobody clicks (the Windows session ending, a second start
// whose running instance does not answer), and the program put away and back.
#include <atomic>
#include <thread>

#include "e2e_fixture.h"

namespace e2e {
namespace {

TEST_F(E2ETest, EndingTheWindowsSessionSavesSettingsAndPlaylist) {
  const std::wstring song = Wav(L"song.wav");
  Program* tavrin = Start({song});
  ASSERT_NE(tavrin, nullptr);
  ASSERT_TRUE(runner.WaitUntil([&] { return folder.Exists(L"Tavrin.xml"); }, 5000));
  folder.Remove(L"tavrin.m3u");
  HWND main = tavrin->MainWindow();
  DWORD_PTR answer = 0;
  ASSERT_TRUE(SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, 0, SMTO_BLOCK, 5000, &answer));
  EXPECT_TRUE(answer) << "the program refused the end of the session";
  ASSERT_TRUE(SendMessageTimeoutW(main, WM_ENDSESSION, TRUE, 0, SMTO_BLOCK, 10000, &answer));
  // By the time the message is answered everything is on disk.
  EXPECT_EQ(FilesOf(folder.ReadPlaylist()), std::vector<std::wstring>{Lower(song)});
  EXPECT_NE(folder.ReadSettings().find(L"Tavrin 1.58"), std::wstring::npos);
  EXPECT_TRUE(runner.WaitForExit(*tavrin));
}

TEST_F(E2ETest, MinimisingHidesTheWindowsAndRestoringBringsThemBack) {
  Program* tavrin = Start();
  ASSERT_NE(tavrin, nullptr);
  HWND main = tavrin->MainWindow();
  HWND application = GetWindow(main, GW_OWNER);
  ASSERT_NE(application, nullptr);
  ASSERT_TRUE(ClickChildAt(main, skin.Main(L"MinimizeBut")));
  EXPECT_TRUE(runner.WaitUntil([&] { return !IsWindowVisible(main); }, 5000));
  EXPECT_TRUE(tavrin->Windows(L"TPlaylist").empty()) << "the playlist stayed on screen";
  // The task bar's button stays, to bring the program back.
  EXPECT_TRUE(IsWindowVisible(application));
  EXPECT_TRUE(IsIconic(application));
  PostMessageW(application, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_TRUE(runner.WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 5000));
  EXPECT_EQ(tavrin->Windows(L"TPlaylist").size(), 1u);
  ExitByClick(*tavrin);
}

// Something that looks like a running instance: the semaphore, and (when
// wanted) a main window whose thread never answers.
class FakeRunningInstance {
 public:
  explicit FakeRunningInstance(bool withWindow) {
    FSemaphore = CreateSemaphoreW(nullptr, 0, 1, L"SemaphoreName");
    if (!withWindow) return;
    FThread = std::thread([this] {
      WNDCLASSW cls{};
      cls.lpfnWndProc = DefWindowProcW;
      cls.hInstance = GetModuleHandleW(nullptr);
      cls.lpszClassName = L"TTavrinMainForm";
      RegisterClassW(&cls);
      FWindow = CreateWindowExW(0, L"TTavrinMainForm", L"Tavrin Audio Player", WS_POPUP, 0, 0,
                                10, 10, nullptr, nullptr, cls.hInstance, nullptr);
      FReady = true;
      // Hung: no message is read until the test is over.
      WaitForSingleObject(FRelease, 60000);
      DestroyWindow(FWindow);
      UnregisterClassW(L"TTavrinMainForm", cls.hInstance);
    });
    while (!FReady) Sleep(10);
  }
  ~FakeRunningInstance() {
    SetEvent(FRelease);
    if (FThread.joinable()) FThread.join();
    CloseHandle(FRelease);
    if (FSemaphore) CloseHandle(FSemaphore);
  }

 private:
  HANDLE FSemaphore = nullptr;
  HANDLE FRelease = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> FReady{false};
  HWND FWindow = nullptr;
  std::thread FThread;
};

TEST_F(E2ETest, ASecondStartWhoseRunningInstanceDoesNotAnswerRunsItself) {
  for (bool withWindow : {true, false}) {
    FakeRunningInstance running(withWindow);
    Program* tavrin = runner.Start(folder.Exe());
    ASSERT_NE(tavrin, nullptr);
    EXPECT_NE(runner.WaitForMainWindow(*tavrin, 20000), nullptr)
        << (withWindow ? "hung window" : "no window");
    CloseWithoutSaving(*tavrin);
  }
}

}  // namespace
}  // namespace e2e
