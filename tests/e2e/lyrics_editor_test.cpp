// The lyrics editor as a user meets it: a song's side file shown whatever its
// encoding, typed into and saved as UTF-16LE, each song with its own text,
// deleted, a side file that cannot be written said so and left whole, and one
// that cannot be shown said so in the editor.
#include "e2e_fixture.h"
#include "window_picture.h"

namespace e2e {
namespace {

constexpr WPARAM kPlay = 100, kNext = 103, kPrevious = 104, kToggleEditor = 203;

std::string Utf16Le(const std::wstring& text) {
  std::string bytes = "\xFF\xFE";
  for (wchar_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return bytes;
}

class LyricsEditor : public E2ETest {
 protected:
  HWND Memo() {
    const std::vector<HWND> memos = ChildrenOfClass(editor, L"TTntMemo");
    return memos.empty() ? nullptr : memos.front();
  }
  bool Shows(const std::wstring& text) {
    return runner.WaitUntil([&] { return WindowText(Memo()) == text; }, 5000);
  }
  void Send(WPARAM command) { SendMessageW(main, kRemote, command, 0); }

  HWND main = nullptr, editor = nullptr;
};

TEST_F(LyricsEditor, SideFilesAreShownEditedSavedAndDeletedAndAFailedSaveKeepsTheFile) {
  const std::wstring first = Wav(L"Песня.wav"), second = Wav(L"second.wav");
  const std::wstring firstText = data.File(L"Песня.txt"), secondText = data.File(L"second.txt");
  // UTF-8 without a mark, and ANSI with a line of plain ASCII.
  data.WriteFile(L"Песня.txt", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82\nline two");
  data.WriteFile(L"second.txt", "read only\r\n");
  SetFileAttributesW(secondText.c_str(), FILE_ATTRIBUTE_READONLY);
  folder.WritePlaylist({{first, L"first", 1}, {second, L"second", 1}});
  folder.Write(L"Tavrin.xml", WithAttribute(DefaultSettings(), "Playlist", "ManualAndvance", "True"));
  Program* program = Start();
  ASSERT_NE(program, nullptr);
  main = program->MainWindow();
  Send(kToggleEditor);
  editor = WaitForWindow(*program, L"TLyricsEditor");
  ASSERT_NE(editor, nullptr) << "remote 203 showed no editor";

  Send(kPlay);
  EXPECT_TRUE(Shows(L"Привет\r\nline two")) << Narrow(WindowText(Memo()));
  testing_support::Picture picture;
  Sleep(300);  // painted
  EXPECT_TRUE(testing_support::TakeWindowPicture(editor, L"e2e_lyrics_editor.png", picture));

  // Typed and saved: UTF-16LE with its mark, each line ended.
  Press(editor, L"Edit");
  ASSERT_TRUE(runner.WaitUntil([&] { return ChildWithText(editor, L"Save") != nullptr; }, 5000));
  SendMessageW(Memo(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Строка один\r\nΓραμμή 二"));
  Press(editor, L"Save");
  EXPECT_TRUE(runner.WaitUntil(
      [&] { return testing_support::ReadFileBytes(firstText) == Utf16Le(L"Строка один\r\nΓραμμή 二\r\n"); },
      5000));
  Sleep(300);
  EXPECT_TRUE(testing_support::TakeWindowPicture(editor, L"e2e_lyrics_editor_saved.png", picture));

  // The next song shows its own text; a save that cannot write says so and
  // leaves the file, and the typed text, as they were.
  Send(kNext);
  EXPECT_TRUE(Shows(L"read only\r\n"));
  Press(editor, L"Edit");
  ASSERT_TRUE(runner.WaitUntil([&] { return ChildWithText(editor, L"Save") != nullptr; }, 5000));
  SendMessageW(Memo(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"changed"));
  Press(editor, L"Save");
  HWND box = runner.WaitForMessageBox(*program);
  ASSERT_NE(box, nullptr) << "the failed save was not reported";
  EXPECT_NE(MessageBoxText(box).find(L"second.txt"), std::wstring::npos) << Narrow(MessageBoxText(box));
  PressDialogButton(box, IDOK);
  EXPECT_EQ(testing_support::ReadFileBytes(secondText), "read only\r\n");
  // The click ends the box in the program's own time: the memo is waited for.
  EXPECT_TRUE(Shows(L"changed")) << Narrow(WindowText(Memo()));
  Press(editor, L"Cancel");
  EXPECT_TRUE(Shows(L"read only\r\n"));

  // Back to the first song: its saved text; Delete removes the file.
  Send(kPrevious);
  EXPECT_TRUE(Shows(L"Строка один\r\nΓραμμή 二\r\n"));
  Press(editor, L"Delete");
  EXPECT_TRUE(runner.WaitUntil([&] { return GetFileAttributesW(firstText.c_str()) == INVALID_FILE_ATTRIBUTES; },
                               5000));
  EXPECT_TRUE(Shows(L""));
  SetFileAttributesW(secondText.c_str(), FILE_ATTRIBUTE_NORMAL);
  CloseWithoutSaving(*program);
}

// A side file the program refuses says so in the editor, whenever it is
// shown, and is not offered for editing: no message box at the song's start.
TEST_F(LyricsEditor, ARefusedSideFileIsToldInTheEditorWhichCannotEditIt) {
  const struct {
    const wchar_t* Song;
    std::string Text;
  } refused[] = {{L"control", "la\x01la\r\n"}, {L"large", std::string(1024 * 1024 + 1, 'a')}};
  std::vector<PlaylistEntry> songs;
  for (const auto& r : refused) {
    songs.push_back({Wav(r.Song + std::wstring(L".wav")), r.Song, 1});
    data.WriteFile(r.Song + std::wstring(L".txt"), r.Text);
  }
  folder.WritePlaylist(songs);
  folder.Write(L"Tavrin.xml", WithAttribute(DefaultSettings(), "Playlist", "ManualAndvance", "True"));
  Program* program = Start();
  ASSERT_NE(program, nullptr);
  main = program->MainWindow();
  for (const auto& r : refused) {
    SCOPED_TRACE(Narrow(r.Song));
    // Posted: a box at the song's start would hold a sent command.
    PostMessageW(main, kRemote, &r == refused ? kPlay : kNext, 0);
    ASSERT_TRUE(runner.WaitUntil([&] { return AppTitle(*program) == r.Song + std::wstring(L" - Tavrin"); }, 10000))
        << Narrow(AppTitle(*program));
    Send(kToggleEditor);
    editor = WaitForWindow(*program, L"TLyricsEditor");
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(Shows(data.File(r.Song + std::wstring(L".txt")) +
                      L" is not a text file, or it is larger than 1 MB; it is not shown."))
        << Narrow(WindowText(Memo()));
    EXPECT_FALSE(IsWindowEnabled(ChildWithText(editor, L"Edit")));
    testing_support::Picture picture;
    EXPECT_TRUE(SteadyPicture(editor, L"e2e_lyrics_editor_refused_" + std::wstring(r.Song) + L".png", picture));
    Send(kToggleEditor);
    ASSERT_TRUE(runner.WaitUntil([&] { return !IsWindowVisible(editor); }, 5000));
  }
  CloseWithoutSaving(*program);
}

}  // namespace
}  // namespace e2e
