// Texts outside the ANSI code page (Cyrillic and Greek under code page 1252),
// read as the task bar and the window switcher read them: a translated window
// caption and a song's title in the application's task-bar text.
#include "e2e_fixture.h"

namespace e2e {
namespace {

const std::wstring kPlaylistCaption = L"Список · Λίστα";
const std::wstring kSong = L"Песня Ωμέγα";

// What another process sees, without asking the window (no ANSI conversion
// on the way).
std::wstring OutsideText(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

bool FitsAnsiCodePage(const std::wstring& text) {
  BOOL lost = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, nullptr, 0, nullptr, &lost);
  return !lost;
}

class UnicodeTextTest : public E2ETest {
 protected:
  void SetUp() override {
    // Under a code page that holds these letters an ANSI path would pass too.
    ASSERT_FALSE(FitsAnsiCodePage(kPlaylistCaption)) << "code page " << GetACP();
    ASSERT_FALSE(FitsAnsiCodePage(kSong)) << "code page " << GetACP();
    const std::wstring ini = L"\uFEFF[Playlist]\r\nPlaylist=" + kPlaylistCaption + L"\r\n";
    folder.Write(L"Lang\\Polyglot.ini",
                 std::string(reinterpret_cast<const char*>(ini.data()), ini.size() * sizeof(wchar_t)));
    folder.Write(L"Tavrin.xml",
                 Replace(DefaultSettings(), "Language=\"English\"", "Language=\"Polyglot\""));
  }
};

TEST_F(UnicodeTextTest, TranslatedPlaylistCaptionShowsWhole) {
  Program* tavrin = Start();
  ASSERT_NE(tavrin, nullptr);
  auto caption = [&] {
    const std::vector<HWND> playlist = tavrin->Windows(L"TPlaylist");
    return playlist.empty() ? std::wstring(L"<no playlist>") : OutsideText(playlist.front());
  };
  EXPECT_TRUE(runner.WaitUntil([&] { return caption() == kPlaylistCaption; }, 5000))
      << Narrow(caption());
  // The main window keeps the caption and class a second start looks for.
  EXPECT_EQ(OutsideText(tavrin->MainWindow()), L"Tavrin Audio Player");
  ExitByClick(*tavrin);
}

TEST_F(UnicodeTextTest, SongTitleShowsWholeInTheTaskBarText) {
  Program* tavrin = Start({Wav(kSong + L".wav")});
  ASSERT_NE(tavrin, nullptr);
  HWND application = GetWindow(tavrin->MainWindow(), GW_OWNER);
  ASSERT_NE(application, nullptr);
  EXPECT_TRUE(runner.WaitUntil([&] { return OutsideText(application) == kSong + L" - Tavrin"; }, 10000))
      << Narrow(OutsideText(application));
  ExitByClick(*tavrin);
}

}  // namespace
}  // namespace e2e
