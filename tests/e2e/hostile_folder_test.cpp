// A program folder that fights back: settings the program may read but not
// write, and what a save killed half-way leaves behind.
#include "e2e_fixture.h"

namespace e2e {
namespace {

TEST_F(E2ETest, UnwritableSettingsAreReportedAtStartAndExitAndCostNotThePlaylist) {
  const std::wstring song = Wav(L"song.wav");
  const std::wstring settings = folder.File(L"Tavrin.xml");
  for (bool folderInItsPlace : {false, true}) {
    SCOPED_TRACE(folderInItsPlace ? "a folder named Tavrin.xml" : "Tavrin.xml held open");
    folder.Remove(L"tavrin.m3u");
    // Held open for reading, sharing only reading, it is never written nor
    // replaced (as root under Wine the read-only attribute stops nothing).
    HANDLE lock = INVALID_HANDLE_VALUE;
    if (folderInItsPlace) {
      ASSERT_TRUE(folder.Remove(L"Tavrin.xml") && CreateDirectoryW(settings.c_str(), nullptr));
    } else {
      folder.Write(L"Tavrin.xml", DefaultSettings());
      lock = CreateFileW(settings.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         0, nullptr);
      ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    }
    Program* tavrin = runner.Start(folder.Exe(), {song});
    ASSERT_NE(tavrin, nullptr);
    auto dismissBoxNamingTheSettings = [&] {
      HWND box = runner.WaitForMessageBox(*tavrin);
      ASSERT_NE(box, nullptr);
      const std::wstring text = MessageBoxText(box);
      EXPECT_NE(text.find(L"Tavrin.xml"), std::wstring::npos) << Narrow(text);
      EXPECT_EQ(Lower(text).find(L".tmp"), std::wstring::npos) << Narrow(text);
      PressDialogButton(box, IDOK);
    };
    dismissBoxNamingTheSettings();
    HWND main = runner.WaitForMainWindow(*tavrin);
    ASSERT_NE(main, nullptr) << "the program did not run on";
    EXPECT_TRUE(Answers(main));
    EXPECT_TRUE(runner.CheckDialogs()) << "reported more than once";
    ASSERT_TRUE(ClickChildAt(main, skin.Main(L"CloseBut")));
    dismissBoxNamingTheSettings();
    EXPECT_TRUE(runner.WaitForExit(*tavrin));
    if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
    RemoveDirectoryW(settings.c_str());
    EXPECT_EQ(FilesOf(folder.ReadPlaylist()), std::vector<std::wstring>{Lower(song)});
  }
}

TEST_F(E2ETest, AStartRemovesOnlyItsOwnStaleTemporaryFiles) {
  const struct {
    const wchar_t* name;
    unsigned minutes;
    bool removed;
  } cases[] = {{L"tav1a2b.tmp", 60, true},   {L"TAVBEEF.TMP", 10, true},
               {L"tav12345.tmp", 60, false}, {L"tavrin.tmp", 60, false},
               {L"tav3c.tmp", 0, false},     {L"tav4d.tmp", 60, false} /* held open */};
  auto writeAged = [](const std::wstring& file, unsigned minutes) {
    CloseHandle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    testing_support::SetFileAge(file, minutes * 60);
  };
  for (const auto& c : cases) writeAged(folder.File(c.name), c.minutes);
  HANDLE held = CreateFileW(folder.File(L"tav4d.tmp").c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  // Outside the program folder nothing is touched.
  writeAged(data.File(L"tav5e.tmp"), 60);

  Program* tavrin = Start();
  ASSERT_NE(tavrin, nullptr);
  for (const auto& c : cases) EXPECT_EQ(!folder.Exists(c.name), c.removed) << Narrow(c.name);
  EXPECT_NE(GetFileAttributesW(data.File(L"tav5e.tmp").c_str()), INVALID_FILE_ATTRIBUTES);
  CloseHandle(held);
  CloseWithoutSaving(*tavrin);
}

}  // namespace
}  // namespace e2e
