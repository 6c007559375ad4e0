// Another program drives the player by the remote-control message: every
// command sent and posted, a long random run, and commands that arrive while
// a tag window is up.
#include <random>

#include "e2e_fixture.h"
#include "wav_bytes.h"

namespace e2e {
namespace {

class RemoteControl : public E2ETest {
 protected:
  // Songs "1" .. "5" of levels k * 2000, 20 s each, listed as 10, 20 .. 50 s long.
  void Launch() {
    folder.Remove(L"Tavrin.xml");
    DeleteFileW(data.File(L"out.wav").c_str());
    std::vector<PlaylistEntry> songs;
    for (int k = 1; k <= 5; ++k) {
      const std::wstring name = std::to_wstring(k) + L".wav";
      data.WriteFile(name, testing_support::WavBytes({.rate = 44100}, 882000, [k](uint32_t) { return k * 2000; }));
      songs.push_back({data.File(name), std::to_wstring(k), 10 * k});
    }
    folder.WritePlaylist(songs);
    program = Start({}, CaptureTo(L"out.wav"));
    ASSERT_TRUE(program && (main = program->MainWindow()));
  }
  // A sent command waits at most ms for its answer (a dialog's holds it).
  void Deliver(bool send, WPARAM code, LPARAM arg = 0, unsigned ms = 300) {
    send ? (void)SendMessageTimeoutW(main, kRemote, code, arg, SMTO_NORMAL, ms, nullptr)
         : (void)PostMessageW(main, kRemote, code, arg);
  }
  int Level() {
    const std::string wav = testing_support::ReadFileBytes(data.File(L"out.wav"));
    return wav.size() < 48 ? -1 : int16_t(uint8_t(wav[wav.size() - 4]) | uint8_t(wav[wav.size() - 3]) << 8);
  }
  std::vector<std::wstring> Songs(const std::vector<int>& ks) {
    std::vector<std::wstring> files;
    for (int k : ks) files.push_back(Lower(data.File(std::to_wstring(k) + L".wav")));
    return files;
  }
  bool Showing(const wchar_t* cls) { return !program->Windows(cls).empty(); }
  std::wstring Setting(const wchar_t* name) {
    return XmlAttribute(folder.ReadSettings(), L"Playback", name).value_or(L"<none>");
  }
  // The one window of class cls, once it shows (expected, when a dialog).
  HWND OneWindow(const wchar_t* cls) {
    std::vector<HWND> found;
    runner.WaitUntil([&] { return !(found = program->Windows(cls)).empty(); }, 10000, true);
    for (HWND w : found) runner.ExpectDialog(w);
    return found.size() == 1 ? found.front() : nullptr;
  }
  Program* program = nullptr;
  HWND main = nullptr;
};

TEST_F(RemoteControl, EveryCommandSentAndPosted) {
  for (bool send : {true, false}) {
    SCOPED_TRACE(send ? "sent" : "posted");
    Launch();
    struct Step { WPARAM code; LPARAM arg = 0; int level = -1; const wchar_t* toggles = nullptr; };
    const Step steps[] = {
        {100, 0, 2000}, {103, 0, 4000}, {104, 0, 2000}, {102, 0, 0}, {102, 0, 2000}, {300, 50, 1000},
        {300, 1LL << 40, 2000}, {300, -7, 0}, {300, 50, 1000}, {101, 0, 0}, {301, (1LL << 32) - 30},
        {105}, {106}, {200, 0, -1, L"TPlaylist"}, {200, 0, -1, L"TPlaylist"}, {201, 0, -1, L"TEQ"},
        {400, 0, -1, L"TOptions"}, {205}, {206}, {257, 1}, {257, 99}, {257, -1}, {257, 1LL << 32},
        {263}, {257, 0}, {262}, {261}, {0, -1},
        {202, 0, -1, L"TSEffects"}, {202, 0, -1, L"TSEffects"}, {203, 0, -1, L"TLyricsEditor"},
        {203, 0, -1, L"TLyricsEditor"}, {401, 0, -1, L"TAbout"}, {401, 0, -1, L"TAbout"},
        {204, 0, -1, L"TCDEx"}, {204, 0, -1, L"TCDEx"},
        {999, 1LL << 50}};
    for (const Step& step : steps) {
      const bool was = step.toggles && Showing(step.toggles);
      Deliver(send, step.code, step.arg, 5000);
      EXPECT_TRUE(runner.WaitUntil([&] {
        if (step.level >= 0) return std::abs(Level() - step.level) <= 40;
        if (step.toggles) return Showing(step.toggles) != was;
        if (step.code == 205 || step.code == 206)
          return (IsWindowVisible(main) && !IsIconic(main)) == (step.code == 206);
        return Answers(main);
      }, 5000)) << "command " << step.code << " (" << step.arg << ")";
    }
    for (HWND options : program->Windows(L"TOptions")) PostMessageW(options, WM_CLOSE, 0, 0);
    // A dialog's command while that dialog is up opens no second one.
    for (WPARAM code : {250, 251, 259, 260, 255}) {
      Deliver(send, code);
      HWND dialog = OneWindow(L"#32770");
      Deliver(send, code), Deliver(send, code == 250 ? 251 : 250), Sleep(300);
      EXPECT_TRUE(dialog && program->Dialogs().size() == 1) << "command " << code;
      if (code == 255) break;  // the exit comes over the message box
      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      EXPECT_TRUE(runner.WaitUntil([&] { return program->Dialogs().empty(); }, 5000)) << code;
    }
    Deliver(send, 402);
    ASSERT_TRUE(runner.WaitForExit(*program));
    EXPECT_EQ(Setting(L"Volume") + Setting(L"Pan") + Setting(L"Repeat") + Setting(L"Shuffle"), L"50100TrueTrue");
    // 2 went first, then 5, the longest, once sorted by length; then by title.
    EXPECT_EQ(FilesOf(folder.ReadPlaylist()), Songs({1, 3, 4}));
  }
}

// Commands that cannot touch the list's files, with arguments of every size:
// the program keeps answering, and the exit saves the same songs.
TEST_F(RemoteControl, AThousandRandomCommands) {
  Launch();
  const WPARAM known[] = {100, 101, 102, 103, 104, 105, 106, 200, 201, 205, 206, 257, 261, 262, 263, 300, 301};
  std::mt19937_64 random(20261207);
  LPARAM volume = 100;
  for (int i = 0; i < 1000; ++i) {
    const WPARAM code = random() % 4 ? known[random() % std::size(known)] : WPARAM(random()) | 0x10000;
    LPARAM arg = random() % 2 ? LPARAM(random()) : LPARAM(random() % 400) - 200;
    if (code == 257 && arg >= 0 && arg < 5) arg += 5;
    if (code == 300) volume = std::clamp<LPARAM>(arg, 0, 100);
    // A sent message overtakes the posted ones still waiting: the volume's
    // are all posted, so the last one is the last to run.
    Deliver(random() % 2 && code != 300, code, arg, 5000);
  }
  EXPECT_TRUE(Answers(main, 10000));
  Deliver(false, 402);
  ASSERT_TRUE(runner.WaitForExit(*program));
  EXPECT_EQ(Setting(L"Volume"), std::to_wstring(volume));
  auto files = FilesOf(folder.ReadPlaylist());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, Songs({1, 2, 3, 4, 5}));
}

// Sorting an empty list, by title and by length, leaves the program running
// and its exit saves as ever.
TEST_F(RemoteControl, SortsAnEmptyList) {
  folder.WritePlaylist({});
  program = Start();
  ASSERT_TRUE(program && (main = program->MainWindow()));
  for (WPARAM code : {261, 263}) Deliver(false, code);
  folder.Remove(L"tavrin.m3u");
  Deliver(false, 402);
  ASSERT_TRUE(runner.WaitForExit(*program));
  EXPECT_TRUE(folder.Exists(L"tavrin.m3u"));
}

// Toggles of the on-demand windows posted in bursts, faster than a closed
// window is freed: each burst leaves one window of a kind or none, as its
// count says, without a box; and the exit still saves.
TEST_F(RemoteControl, BurstsOfWindowTogglesKeepTheProgramAndItsExit) {
  Launch();
  Deliver(false, 300, 37);
  const struct { WPARAM code; const wchar_t* cls; } toggles[] = {
      {204, L"TCDEx"}, {202, L"TSEffects"}, {401, L"TAbout"}};
  size_t showing = 0;
  for (int burst : {3, 4, 51}) {
    SCOPED_TRACE(burst);
    showing ^= burst % 2;
    const bool playlist = Showing(L"TPlaylist");
    for (int i = 0; i < burst; ++i)
      for (const auto& t : toggles) Deliver(false, t.code);
    // Posted last, the playlist's toggle shows when the burst is through.
    Deliver(false, 200);
    ASSERT_TRUE(runner.WaitUntil([&] { return Showing(L"TPlaylist") != playlist; }, 60000));
    for (const auto& t : toggles)
      EXPECT_EQ(program->Windows(t.cls).size(), showing) << Narrow(t.cls);
  }
  Deliver(false, 402);
  ASSERT_TRUE(runner.WaitForExit(*program));
  EXPECT_EQ(program->ExitCode(), 0u);
  EXPECT_EQ(Setting(L"Volume"), L"37");
  auto files = FilesOf(folder.ReadPlaylist());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, Songs({1, 2, 3, 4, 5}));
}

// A delete that arrives while a hand-over adds waits for the add; over the
// modal tag window the list's commands and the exit wait for it, in order, a
// second dialog's command is dropped, and the volume goes at once.
TEST_F(RemoteControl, CommandsWaitForAnAddAndATagWindow) {
  Launch();
  const std::wstring record = CopyDataRecord({Wav(L"a.wav"), Wav(L"b.wav"), Wav(L"c.wav")});
  ASSERT_TRUE(SendCopyData(main, 1, record.c_str(), DWORD(record.size() + 1) * 2));
  Deliver(false, 257, 0);
  // The hand-over plays a.wav once the add is through.
  ASSERT_TRUE(CaptureSounds(L"out.wav"));
  Sleep(200);
  HWND list = ChildrenOfClass(program->Windows(L"TPlaylist").front(), L"TPlayListBox").front();
  PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 6));
  PostMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(30, 6));
  Deliver(false, 252);
  HWND info = OneWindow(L"TWAV_Info");
  ASSERT_NE(info, nullptr);
  for (WPARAM code : {252, 250, 257, 402}) Deliver(false, code, 1);
  Deliver(true, 300, 30);
  Sleep(500);
  EXPECT_TRUE(program->Running() && program->Dialogs().empty() && program->Windows(L"TWAV_Info").size() == 1);
  PostMessageW(info, WM_CLOSE, 0, 0);
  ASSERT_TRUE(runner.WaitForExit(*program));
  EXPECT_EQ(Setting(L"Volume"), L"30");
  EXPECT_EQ(FilesOf(folder.ReadPlaylist()), std::vector<std::wstring>{Lower(data.File(L"b.wav"))});
}

}  // namespace
}  // namespace e2e
