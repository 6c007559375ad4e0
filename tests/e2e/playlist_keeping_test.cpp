// The user's playlist survives bad input: names that do not exist, a list
// file the program cannot read, and a damaged last playlist. Each is reported
// naming the file, and the list saved at exit is the one from before.
#include "e2e_fixture.h"

namespace e2e {
namespace {

class PlaylistKeepingTest : public E2ETest {
 protected:
  // Waits for the program's message box, checks that it names name, and
  // presses OK.
  void ExpectBoxNaming(Program& program, const std::wstring& name) {
    HWND box = runner.WaitForMessageBox(program);
    ASSERT_NE(box, nullptr) << "no message naming " << Narrow(name);
    EXPECT_NE(MessageBoxText(box).find(name), std::wstring::npos) << Narrow(MessageBoxText(box));
    PressDialogButton(box, IDOK);
  }
  std::vector<PlaylistEntry> ThreeSongs() {
    return {{Wav(L"one.wav"), L"One", 1}, {Wav(L"two.wav"), L"Two", 1}, {Wav(L"three.wav"), L"Three", 1}};
  }
};

TEST_F(PlaylistKeepingTest, NamesThatDoNotExistAreReportedAndTheListIsKept) {
  const auto before = ThreeSongs();
  folder.WritePlaylist(before);
  // The box comes once the player shows; an address is no file, and goes
  // without a word.
  const std::wstring noFolder = L"Z:\\no such folder", address = L"http://127.0.0.1/radio.mp3";
  Program* first = runner.Start(folder.Exe(), {noFolder, address});
  ASSERT_NE(first, nullptr);
  HWND box = runner.WaitForMessageBox(*first);
  ASSERT_NE(box, nullptr) << "no message naming " << Narrow(noFolder);
  EXPECT_NE(first->MainWindow(), nullptr) << "the box came before the player showed";
  EXPECT_EQ(MessageBoxText(box).find(address), std::wstring::npos) << Narrow(MessageBoxText(box));
  EXPECT_NE(MessageBoxText(box).find(noFolder), std::wstring::npos) << Narrow(MessageBoxText(box));
  PressDialogButton(box, IDOK);
  ASSERT_NE(runner.WaitForMainWindow(*first), nullptr);

  const std::wstring song = data.File(L"missing.mp3");
  Program* second = runner.Start(folder.Exe(), {song});
  ASSERT_NE(second, nullptr);
  ExpectBoxNaming(*first, song);
  EXPECT_TRUE(runner.WaitForExit(*second, 5000));
  ExitByClick(*first);
  EXPECT_EQ(FilesOf(folder.ReadPlaylist()), FilesOf(before));
}

TEST_F(PlaylistKeepingTest, AListFileThatCannotBeReadIsReportedAndTheListIsKept) {
  const auto before = ThreeSongs();
  folder.WritePlaylist(before);
  Program* first = Start();
  ASSERT_NE(first, nullptr);
  // Path lines only: no information lines, so the program refuses it.
  const std::wstring plain = data.WriteFile(
      L"plain.m3u", "\xEF\xBB\xBF" + Narrow(before[0].File) + "\r\n" + Narrow(before[1].File) + "\r\n");
  Program* second = runner.Start(folder.Exe(), {plain});
  ASSERT_NE(second, nullptr);
  ExpectBoxNaming(*first, L"plain.m3u");
  EXPECT_TRUE(runner.WaitForExit(*second, 5000));
  ExitByClick(*first);
  EXPECT_EQ(FilesOf(folder.ReadPlaylist()), FilesOf(before));
}

TEST_F(PlaylistKeepingTest, ADamagedLastPlaylistIsKeptAsBakAndReported) {
  std::vector<PlaylistEntry> entries;
  for (int i = 0; i < 3000; ++i)
    entries.push_back({L"C:\\music\\song " + std::to_wstring(i) + L".mp3", L"Song", 60});
  std::string damaged = MakePlaylist(entries);
  damaged.insert(damaged.size() / 2 & ~size_t{1}, std::string(4096, '\0'));
  folder.Write(L"tavrin.m3u", damaged);

  Program* tavrin = runner.Start(folder.Exe());
  ASSERT_NE(tavrin, nullptr);
  ExpectBoxNaming(*tavrin, L"tavrin.m3u");
  ASSERT_NE(runner.WaitForMainWindow(*tavrin), nullptr);
  ExitByClick(*tavrin);
  EXPECT_EQ(folder.Read(L"tavrin.m3u.bak"), damaged) << "the damaged playlist was not kept whole";
  auto saved = folder.ReadPlaylist();
  ASSERT_TRUE(saved);
  EXPECT_LT(saved->size(), entries.size());
}

}  // namespace
}  // namespace e2e
