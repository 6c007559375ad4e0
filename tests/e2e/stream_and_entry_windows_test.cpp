// The open-URL dialog, the stream information window and the playlist-entry
// dialog as a user meets them: a radio's address typed (a bad one first)
// plays and its window shows what the server said and the buffer filling; an
// entry renamed and its moved file found with the file dialog is what the
// playlist shows, plays and saves.
#include "e2e_fixture.h"
#include "loopback_server.h"
#include "window_picture.h"

namespace e2e {
namespace {

class StreamAndEntryWindows : public E2ETest {
 protected:
  bool Launch() {
    program = Start({}, CaptureTo(L"out.wav"));
    main = program ? program->MainWindow() : nullptr;
    return main != nullptr;
  }
  void Key(WORD key) { PostMessageW(main, WM_KEYDOWN, key, 1), PostMessageW(main, WM_KEYUP, key, 0xC0000001); }
  // The first edit box of the window whose text is Text, or that can be
  // typed in when Text is null.
  HWND Edit(HWND window, const wchar_t* Text) {
    for (HWND edit : ChildrenOfClass(window, L"TTnt"))
      if (ClassOf(edit).find(L"Edit") != std::wstring::npos &&
          (Text ? WindowText(edit) == Text : !(GetWindowLongW(edit, GWL_STYLE) & ES_READONLY)))
        return edit;
    return nullptr;
  }
  static void Type(HWND edit, const std::wstring& text) {
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  void Picture(HWND window, const wchar_t* name) {
    testing_support::Picture picture;
    EXPECT_TRUE(testing_support::TakeWindowPicture(window, name, picture)) << Narrow(name);
  }

  // "Playlist entry..." for the first entry, by the remote control.
  HWND OpenEntryDialog() {
    std::vector<HWND> playlists;
    if (!runner.WaitUntil([&] { return !(playlists = program->Windows(L"TPlaylist")).empty(); }, 5000)) return nullptr;
    const std::vector<HWND> lists = ChildrenOfClass(playlists.front(), L"TPlayListBox");
    if (lists.empty()) return nullptr;
    PostMessageW(lists.front(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 6));
    PostMessageW(lists.front(), WM_LBUTTONUP, 0, MAKELPARAM(30, 6));
    if (!Answers(main)) return nullptr;
    PostMessageW(main, kRemote, 253, 0);
    return WaitForWindow(*program, L"TPLEntryForm");
  }

  Program* program = nullptr;
  HWND main = nullptr;
};

TEST_F(StreamAndEntryWindows, ARadioTypedInTheOpenURLDialogPlaysAndItsInfoWindowShowsTheServerAndTheBuffer) {
  bass_test::LoopbackServer server;
  ServeRadio(server);
  const std::string url = server.Url("/radio");
  folder.WritePlaylist({});
  ASSERT_TRUE(Launch());

  // Play > URL... in the main menu.
  ASSERT_TRUE(ClickChildAt(main, skin.Main(L"MenuBut")));
  ASSERT_TRUE(runner.WaitUntil([&] { return !program->Windows(L"#32768").empty(); }, 5000));
  HWND menu = program->Windows(L"#32768").front();
  for (WORD key : {VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN}) PostMessageW(menu, WM_KEYDOWN, key, 1);
  HWND dialog = WaitForWindow(*program, L"TOpenURL");
  ASSERT_NE(dialog, nullptr);
  HWND address = Edit(dialog, nullptr);
  ASSERT_NE(address, nullptr);

  // An address of 2,000 characters is refused with a message and goes nowhere.
  Type(address, L"http://127.0.0.1/" + std::wstring(1983, L'a'));
  Press(dialog, L"OK");
  HWND box = runner.WaitForMessageBox(*program);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(MessageBoxText(box).find(L"1024"), std::wstring::npos) << Narrow(MessageBoxText(box));
  PressDialogButton(box, IDOK);
  ASSERT_TRUE(runner.WaitUntil([&] { return program->Dialogs().empty(); }, 5000));
  ASSERT_TRUE(IsWindow(dialog));

  Type(address, L"  " + std::wstring(url.begin(), url.end()) + L" ");
  std::vector<HWND> edits = ChildrenOfClass(dialog, L"TTnt");
  HWND comment = nullptr;
  for (HWND edit : edits)
    if (edit != address && ClassOf(edit).find(L"Edit") != std::wstring::npos) comment = edit;
  ASSERT_NE(comment, nullptr);
  Type(comment, L"Loopback FM");
  Picture(dialog, L"e2e_open_url.png");
  Press(dialog, L"OK");
  ASSERT_TRUE(runner.WaitUntil([&] { return !IsWindow(dialog); }, 5000));

  // The entry plays from the keyboard: the dialog gave the shortcuts back.
  Key('X');
  EXPECT_TRUE(CaptureSounds(L"out.wav"));

  const POINT song = testing_support::Centre(skin.Main(L"SongLabel"));
  const LPARAM at = MAKELPARAM(song.x, song.y);
  PostMessageW(main, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  PostMessageW(main, WM_LBUTTONUP, 0, at);
  HWND info = WaitForWindow(*program, L"TNetStreamInfo");
  ASSERT_NE(info, nullptr);
  const std::vector<HWND> grids = ChildrenOfClass(info, L"TTntStringGrid");
  ASSERT_EQ(grids.size(), 1u);
  std::wstring lines;
  double fill = 0;
  EXPECT_TRUE(runner.WaitUntil([&] {
    lines = WindowText(grids.front());
    const size_t buffer = lines.find(L"Buffer: ");
    fill = buffer == std::wstring::npos ? 0 : _wtof(lines.c_str() + buffer + 8);
    return fill > 10;
  }, 5000)) << Narrow(lines);
  for (const wchar_t* line : {L"Connected to internet radio\r\n", L"ICY-name : Loopback FM\r\n",
                              L"ICY-genre : Test Tones\r\n", L"ICY-url : http://127.0.0.1/\r\n", L"ICY-br : 128\r\n"})
    EXPECT_NE(lines.find(line), std::wstring::npos) << Narrow(line) << " in " << Narrow(lines);
  Sleep(500);
  Picture(info, L"e2e_net_stream_info.png");
  Press(info, L"Close");
  ASSERT_TRUE(runner.WaitUntil([&] { return !IsWindow(info); }, 5000));

  ExitByClick(*program);
  const auto saved = folder.ReadPlaylist();
  ASSERT_TRUE(saved && saved->size() == 1);
  EXPECT_EQ(saved->front().File, std::wstring(url.begin(), url.end()));
  EXPECT_EQ(saved->front().Title, L"Loopback FM");
}

TEST_F(StreamAndEntryWindows, AnEntryRenamedAndItsMovedFileFoundIsWhatThePlaylistShowsPlaysAndSaves) {
  CreateDirectoryW(data.File(L"moved").c_str(), nullptr);
  const std::wstring moved = Wav(L"moved\\song.wav");
  folder.WritePlaylist({{data.File(L"song.wav"), L"Old title", 1}});
  ASSERT_TRUE(Launch());
  HWND dialog = OpenEntryDialog();
  ASSERT_NE(dialog, nullptr);
  HWND title = Edit(dialog, L"Old title"), newEntry = nullptr;
  for (HWND edit : ChildrenOfClass(dialog, L"TTnt"))
    if (WindowText(edit) == data.File(L"song.wav") && !(GetWindowLongW(edit, GWL_STYLE) & ES_READONLY)) newEntry = edit;
  ASSERT_TRUE(title && newEntry);
  Type(title, L"Renamed \x266A");

  // "..." beside the new entry: the file dialog finds the moved file.
  RECT box{};
  GetWindowRect(newEntry, &box);
  POINT find{box.right + 4 + 11, box.top + 10};
  ScreenToClient(dialog, &find);
  PostClick(dialog, find);
  HWND files = runner.WaitForMessageBox(*program);
  ASSERT_NE(files, nullptr);
  HWND name = nullptr;
  for (HWND edit : ChildrenOfClass(files, L"Edit")) name = name ? name : edit;
  ASSERT_NE(name, nullptr);
  Type(name, moved);
  PressDialogButton(files, IDOK);
  EXPECT_TRUE(runner.WaitUntil([&] { return WindowText(newEntry) == moved; }, 5000)) << Narrow(WindowText(newEntry));
  Picture(dialog, L"e2e_playlist_entry.png");
  Press(dialog, L"Change");
  ASSERT_TRUE(runner.WaitUntil([&] { return !IsWindow(dialog); }, 5000));
  Picture(program->Windows(L"TPlaylist").front(), L"e2e_playlist_entry_renamed.png");

  Key('X');
  EXPECT_TRUE(CaptureSounds(L"out.wav")) << "the moved file plays";
  ExitByClick(*program);
  const auto saved = folder.ReadPlaylist();
  ASSERT_TRUE(saved && saved->size() == 1);
  EXPECT_EQ(Lower(saved->front().File), Lower(moved));
  EXPECT_EQ(saved->front().Title, L"Renamed \x266A");
}

// A second start replaces the list while the dialog is open: the change goes
// to the entry the dialog was opened for, which is gone, not to the one that
// took its place.
TEST_F(StreamAndEntryWindows, TheEntryDialogKeepsToItsEntryWhenTheListIsReplaced) {
  folder.WritePlaylist({{Wav(L"song.wav"), L"Old title", 1}});
  ASSERT_TRUE(Launch());
  HWND dialog = OpenEntryDialog();
  ASSERT_NE(dialog, nullptr);
  const std::wstring other = Wav(L"other.wav");
  Program* second = runner.Start(folder.Exe(), {other});
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(runner.WaitForExit(*second, 20000));
  HWND title = Edit(dialog, L"Old title");
  ASSERT_NE(title, nullptr);
  Type(title, L"Renamed");
  Press(dialog, L"Change");
  ASSERT_TRUE(runner.WaitUntil([&] { return !IsWindow(dialog); }, 5000));
  ExitByClick(*program);
  const auto saved = folder.ReadPlaylist();
  ASSERT_TRUE(saved && saved->size() == 1);
  EXPECT_EQ(Lower(saved->front().File), Lower(other));
  EXPECT_EQ(saved->front().Title, L"other");
}

}  // namespace
}  // namespace e2e
