// The tag windows as a user meets them: opened from the playlist's menu for
// the entry clicked, a title and an artist typed and saved, the playlist
// showing the new title and the file holding it; a window closed without
// saving leaves the file as it was.
#include "e2e_fixture.h"

namespace e2e {
namespace {

struct Kind {
  const wchar_t* Fixture;  // folder, file
  const wchar_t* Window;   // the window's class
  std::string Stored;      // the new title as the file stores it
  bool Renames;            // the playlist entry takes "artist - title"
};

std::string Utf16(const std::wstring& text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

const std::wstring kTitle = L"Ny\x00e5 Tittel", kArtist = L"Artist";

class TagWindows : public E2ETest {
 protected:
  // The entry's "File info..." from the list's own menu: a click on the
  // row, a right click, and the menu's third item.
  void OpenFileInfo(Program& program) {
    std::vector<HWND> playlists;
    ASSERT_TRUE(runner.WaitUntil([&] { return !(playlists = program.Windows(L"TPlaylist")).empty(); }, 5000));
    const std::vector<HWND> lists = ChildrenOfClass(playlists.front(), L"TPlayListBox");
    ASSERT_FALSE(lists.empty());
    for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP})
      PostMessageW(lists.front(), message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(30, 6));
    ASSERT_TRUE(runner.WaitUntil([&] { return !program.Windows(L"#32768").empty(); }, 5000));
    HWND menu = program.Windows(L"#32768").front();
    for (WORD key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}) PostMessageW(menu, WM_KEYDOWN, key, 1);
  }
  // A copy of the format tests' MP3 as the list's one entry, the program
  // started on it and the entry's tag window open: the window, or nullptr
  // (reported).
  HWND OpenMp3Window(const std::wstring& mp3, const std::wstring& title, Program*& tavrin) {
    EXPECT_TRUE(CopyFileW((std::wstring(TAVRIN_MPEG_FIXTURES) + L"\\cbr128.mp3").c_str(), mp3.c_str(), FALSE));
    folder.WritePlaylist({{mp3, title, 3}});
    tavrin = Start();
    if (!tavrin) return nullptr;
    OpenFileInfo(*tavrin);
    HWND window = WaitForWindow(*tavrin, L"TID3_Info");
    EXPECT_NE(window, nullptr) << "no tag window";
    return window;
  }
  // The boxes of the window the user can type in, in their order: the ID3
  // window's title, artist, album and track number come first.
  static std::vector<HWND> TypingBoxes(HWND window) {
    std::vector<HWND> boxes;
    for (HWND edit : ChildrenOfClass(window, L"TTnt"))
      if (ClassOf(edit).find(L"Edit") != std::wstring::npos &&
          !(GetWindowLongW(edit, GWL_STYLE) & ES_READONLY))
        boxes.push_back(edit);
    return boxes;
  }
  // The window's first two boxes the user can type in: its title and artist.
  void TypeTitleAndArtist(HWND window, const std::wstring& title = kTitle, const std::wstring& artist = kArtist) {
    const std::vector<HWND> boxes = TypingBoxes(window);
    ASSERT_GE(boxes.size(), 2u);
    SendMessageW(boxes[0], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title.c_str()));
    SendMessageW(boxes[1], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(artist.c_str()));
  }
  // Opens the window for a copy of the fixture; saves what was typed or
  // closes without saving; ends the program. The copy's name.
  std::wstring EditCopy(const Kind& kind, bool save) {
    const std::wstring fixture = kind.Fixture;
    const std::wstring name = fixture.substr(fixture.rfind(L'\\') + 1);
    const std::wstring copy = data.File(name);
    EXPECT_TRUE(CopyFileW(fixture.c_str(), copy.c_str(), FALSE)) << Narrow(fixture);
    folder.WritePlaylist({{copy, L"Before", 3}});
    Program* program = Start();
    if (!program) return copy;
    OpenFileInfo(*program);
    HWND window = WaitForWindow(*program, kind.Window);
    EXPECT_NE(window, nullptr) << "no " << Narrow(kind.Window);
    if (window) {
      TypeTitleAndArtist(window);
      if (save) Press(window, L"Save");
      Press(window, L"Close");
      EXPECT_TRUE(runner.WaitUntil([&] { return !IsWindow(window); }, 5000));
    }
    ExitByClick(*program);
    return copy;
  }
};

TEST_F(TagWindows, ATitleTypedAndSavedIsInTheFileAndThePlaylistAndCancelChangesNothing) {
  const std::wstring mpeg = TAVRIN_MPEG_FIXTURES, oggwma = TAVRIN_OGGWMA_FIXTURES;
  const std::wstring id3 = mpeg + L"\\cbr128.mp3", ogg = oggwma + L"\\plain.ogg", wma = oggwma + L"\\plain.wma";
  const Kind kinds[] = {
      {id3.c_str(), L"TID3_Info", "Ny\xE5 Tittel", true},
      {ogg.c_str(), L"TOGG_Info", "Ny\xC3\xA5 Tittel", true},
      {wma.c_str(), L"TWMA_Info", Utf16(kTitle), false},
  };
  for (const Kind& kind : kinds) {
    SCOPED_TRACE(Narrow(kind.Window));
    const std::string before = testing_support::ReadFileBytes(kind.Fixture);
    const std::wstring kept = EditCopy(kind, false);
    EXPECT_EQ(testing_support::ReadFileBytes(kept), before) << "closing without saving changed the file";

    const std::wstring saved = EditCopy(kind, true);
    EXPECT_NE(testing_support::ReadFileBytes(saved).find(kind.Stored), std::string::npos)
        << "the file does not hold the new title";
    const auto list = folder.ReadPlaylist();
    ASSERT_TRUE(list && list->size() == 1);
    EXPECT_EQ(list->front().Title, kind.Renames ? kArtist + L" - " + kTitle : L"Before");
  }
}

// A Cyrillic title and a 40-character artist in an ID3v1 tag, which holds 30
// characters of the code page (1252 here): the window asks first; called off,
// the file is as it was; gone on with, the playlist names the entry by what
// the file's bytes hold, not by what was typed.
TEST_F(TagWindows, AnID3v1TitleTheTagCannotHoldIsAskedAboutAndTheEntryTakesWhatWasWritten) {
  const std::wstring mp3 = data.File(L"song.mp3");
  Program* tavrin = nullptr;
  HWND window = OpenMp3Window(mp3, L"Before", tavrin);
  ASSERT_NE(window, nullptr);
  const std::string before = testing_support::ReadFileBytes(mp3);
  TypeTitleAndArtist(window, L"\x041F\x0435\x0441\x043D\x044F", std::wstring(40, L'a'));
  Press(window, L"Save");
  HWND question = runner.WaitForMessageBox(*tavrin);
  ASSERT_NE(question, nullptr) << "the save did not ask";
  PressDialogButton(question, IDCANCEL);
  Press(window, L"Save");
  // The second question comes once the first save has wholly run.
  question = runner.WaitForMessageBox(*tavrin);
  ASSERT_NE(question, nullptr);
  EXPECT_TRUE(testing_support::ReadFileBytes(mp3) == before) << "the save called off wrote";
  PressDialogButton(question, IDOK);
  ASSERT_TRUE(runner.WaitUntil([&] { return !IsWindow(question); }, 5000, true));
  Press(window, L"Close");
  EXPECT_TRUE(runner.WaitUntil([&] { return !IsWindow(window); }, 5000));
  ExitByClick(*tavrin);

  const std::string bytes = testing_support::ReadFileBytes(mp3);
  ASSERT_GE(bytes.size(), 128u);
  auto field = [&](size_t offset) {
    const std::string raw = bytes.substr(bytes.size() - 128 + offset, 30);
    const std::string text = raw.substr(0, raw.find('\0'));
    wchar_t wide[31] = {};
    MultiByteToWideChar(1252, 0, text.data(), static_cast<int>(text.size()), wide, 30);
    return std::wstring(wide);
  };
  EXPECT_EQ(bytes.substr(bytes.size() - 128, 3), "TAG");
  EXPECT_EQ(field(3), L"?????");
  EXPECT_EQ(field(33), std::wstring(30, L'a'));
  const auto list = folder.ReadPlaylist();
  ASSERT_TRUE(list && list->size() == 1);
  EXPECT_EQ(list->front().Title, field(33) + L" - " + field(3));
}

// Track 256 in an ID3v1 tag, which keeps a track number in a byte: a message
// says so and nothing is written, the title typed beside it included.
TEST_F(TagWindows, AnID3v1TrackTheTagCannotHoldIsRefusedWithAMessageAndNothingIsWritten) {
  const std::wstring mp3 = data.File(L"song.mp3");
  Program* tavrin = nullptr;
  HWND window = OpenMp3Window(mp3, L"Before", tavrin);
  ASSERT_NE(window, nullptr);
  const std::string before = testing_support::ReadFileBytes(mp3);
  TypeTitleAndArtist(window);
  const std::vector<HWND> boxes = TypingBoxes(window);
  ASSERT_GE(boxes.size(), 4u);
  SendMessageW(boxes[3], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"256"));
  Press(window, L"Save");
  HWND refusal = runner.WaitForMessageBox(*tavrin);
  ASSERT_NE(refusal, nullptr) << "the save was not refused";
  EXPECT_EQ(MessageBoxText(refusal), L"This tag holds track numbers from 1 to 255 only. Nothing was saved.");
  PressDialogButton(refusal, IDOK);
  ASSERT_TRUE(runner.WaitUntil([&] { return !IsWindow(refusal); }, 5000, true));
  Press(window, L"Close");
  EXPECT_TRUE(runner.WaitUntil([&] { return !IsWindow(window); }, 5000));
  ExitByClick(*tavrin);
  EXPECT_TRUE(testing_support::ReadFileBytes(mp3) == before) << "the refused save wrote";
  const auto list = folder.ReadPlaylist();
  ASSERT_TRUE(list && list->size() == 1);
  EXPECT_EQ(list->front().Title, L"Before");
}

// A list replaced while the window is open: the save still goes to the file
// the window was opened for, and no entry of the new list takes its title.
TEST_F(TagWindows, TheWindowKeepsItsFileWhenTheListChangesUnderIt) {
  const std::wstring mp3 = data.File(L"song.mp3");
  Program* tavrin = nullptr;
  HWND window = OpenMp3Window(mp3, L"Song", tavrin);
  ASSERT_NE(window, nullptr);
  const std::wstring other = Wav(L"other.wav");
  Program* second = runner.Start(folder.Exe(), {other});
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(runner.WaitForExit(*second, 20000));
  TypeTitleAndArtist(window);
  Press(window, L"Save");
  Press(window, L"Close");
  EXPECT_TRUE(runner.WaitUntil([&] { return !IsWindow(window); }, 5000));
  ExitByClick(*tavrin);
  EXPECT_NE(testing_support::ReadFileBytes(mp3).find("Ny\xE5 Tittel"), std::string::npos);
  const auto list = folder.ReadPlaylist();
  ASSERT_TRUE(list && list->size() == 1);
  EXPECT_EQ(Lower(list->front().File), Lower(other));
  EXPECT_EQ(list->front().Title, L"other");
}

}  // namespace
}  // namespace e2e
