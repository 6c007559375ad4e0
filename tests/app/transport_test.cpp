// The main window's transport on the real player with a manual clock and a
// silent output: what follows the end of a track, missing entries, URLs, the
// display's texts and the visualisation's input.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "app/main_form.h"
#include "app/transport.h"
#include "default_skin.h"
#include "engine/bass22_dynamic.h"
#include "engine/bass_player.h"
#include "framework/bitmaps.h"
#include "framework/dialogs.h"
#include "framework/timer.h"
#include "globals/program_globals.h"
#include "localization/localization.h"
#include "loopback_server.h"
#include "playlist/comp_list.h"
#include "settings/settings_xml.h"
#include "skin/image_but.h"
#include "skin/slider.h"
#include "skin/vis_drawers.h"
#include "test_support.h"
#include "unicode_controls/tnt_actions.h"
#include "unicode_controls/tnt_labels.h"
#include "unicode_controls/tnt_menus.h"
#include "wav_bytes.h"
#include "windows/playlist/play_list_box.h"
#include "windows/playlist/playlist_form.h"

namespace {

constexpr uint32_t kSecond = 44100;

// Frames of one constant level.
std::string Wav(uint32_t frames, uint16_t channels = 2, int16_t level = 8000) {
  return testing_support::WavBytes({.channels = channels, .rate = kSecond}, frames,
                                   [level](uint32_t) { return level; });
}

void Advance(uint32_t frames) {
  auto advance = reinterpret_cast<decltype(&BASS_Test_AdvanceClock)>(reinterpret_cast<void*>(
      GetProcAddress(Bass22_dynamic::BASS_Handle, "BASS_Test_AdvanceClock")));
  if (advance) advance(frames);
  testing_support::PumpPendingMessages();
}

void ServeWav(bass_test::LoopbackServer& Server, const std::string& Path, const std::string& Wav) {
  Server.Route(Path, [Wav](bass_test::LoopbackServer::Client& c) {
    c.Send("HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(Wav.size()) + "\r\n\r\n" + Wav);
  });
}

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// Drive Q: is a CD-ROM drive.
unsigned FakeCDROM(const wchar_t* Root) { return Root[0] == L'Q' ? DRIVE_CDROM : DRIVE_NO_ROOT_DIR; }

class Transport : public testing::Test {
 protected:
  void SetUp() override {
    SetEnvironmentVariableW(L"TAVRIN_BASS_OUTPUT", L"null");
    SetEnvironmentVariableW(L"TAVRIN_BASS_CLOCK", L"manual");
    SetSettingsFolder(dir.Path());
    LanguageFile = std::wstring(TAVRIN_PROGRAM_DIR) + L"Lang\\English.ini";
    TCompList::SetDriveTypeProbe(FakeCDROM);
    SetMessageBoxSink([this](HWND, const std::wstring& text, const std::wstring&, UINT) {
      boxes.push_back(text + L" | " + form->SongInfoLabel->Text());
      return IDOK;
    });
    form = new TTavrinMainForm(nullptr);
    Playlist = new TPlaylist(nullptr, form, nullptr);
    AudioPlayer = new TBASSPlayer(form, TAVRIN_PROGRAM_DIR);
    VisBackground = new TBitmap();
    const SIZE vis = testing_support::SizeOf(testing_support::DefaultSkin().Main(L"VisWindow"));
    SpectrumVis = new TSpectrum(vis.cx, vis.cy);
    ScopeVis = new TOscilloScope(vis.cx, vis.cy);
    form->InitTransport();
  }
  void TearDown() override {
    form->StopSongExecute();
    delete Playlist;
    delete form;  // and the player it owns
    delete SpectrumVis;
    delete ScopeVis;
    delete VisBackground;
    Playlist = nullptr, AudioPlayer = nullptr, SpectrumVis = nullptr, ScopeVis = nullptr;
    VisBackground = nullptr;
    SetMessageBoxSink(nullptr);
    TCompList::SetDriveTypeProbe(nullptr);
    SetSettingsFolder(L"");
    LanguageFile.clear();
    testing_support::PumpPendingMessages();
  }

  // One-second songs "0".."n-1"; the missing ones are listed only.
  void Songs(int n, std::set<int> missing = {}) {
    for (int i = 0; i < n; ++i) {
      const std::wstring name = std::to_wstring(i) + L".wav";
      if (!missing.count(i)) dir.WriteFile(name, Wav(kSecond));
      Add(dir.File(name), std::to_wstring(i));
    }
  }
  void Add(const std::wstring& file, const std::wstring& title) {
    TElem e;
    e.FileName = file;
    e.Title = title;
    List()->Add(e);
  }
  // The first showing takes the test program's command line for files to
  // play: the list is filled after it.
  void ShowForm() {
    form->Show();
    testing_support::PumpPendingMessages();
    List()->Clear();
  }
  TCompList* List() { return Playlist->List(); }
  int32_t Current() { return Playlist->FileList->ItemIndex(); }
  bool Playing() { return AudioPlayer->PlayerMode() == pmPlaying; }

  testing_support::TempDir dir;
  TTavrinMainForm* form = nullptr;
  std::vector<std::wstring> boxes;  // text | the song line at that moment
};

TEST_F(Transport, TheEndOfATrackFollowsRepeatAndManualAdvance) {
  enum Repeat { Off, Track, All };
  struct Manual : TTransportSettings {
    bool ManualAdvance() override { return true; }
  } manual;
  const struct {
    const char* what;
    Repeat repeat;
    bool manual;
    int start, expected;  // -1: stopped
  } cases[] = {{"next", Off, false, 1, 2},          {"last stops", Off, false, 2, -1},
               {"all wraps", All, false, 2, 0},      {"all goes on", All, false, 0, 1},
               {"one again", Track, false, 1, 1},    {"manual advance", All, true, 0, -1}};
  Songs(3);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    form->SetTransportSettings(c.manual ? &manual : nullptr);
    form->RepeatToggle->SetChecked(c.repeat != Off);
    (c.repeat == Track ? form->RepeatTrackMI : form->RepeatPlaylistMI)->SetChecked(true);
    form->PlayTheSong(c.start);
    Advance(kSecond + 2048);
    EXPECT_EQ(Playing() ? Current() : -1, c.expected);
    EXPECT_EQ(form->StateControl->PlayState(), c.expected == -1 ? psStop : psPlay);
  }
}

TEST_F(Transport, AMissingEntryGoesWithTheOthersAndTheOneAfterItPlays) {
  Songs(5, {1, 2, 4});
  Add(L"Q:\\0\\1", L"CD track");
  Add(L"http://127.0.0.1:1/stream", L"URL");
  form->PlayTheSong(1);
  std::vector<std::wstring> files;
  for (int32_t i = 0; i < List()->Count(); ++i) {
    TElem e;
    List()->GetElem(i, e);
    files.push_back(e.FileName);
  }
  EXPECT_EQ(files, (std::vector<std::wstring>{dir.File(L"0.wav"), dir.File(L"3.wav"), L"Q:\\0\\1",
                                               L"http://127.0.0.1:1/stream"}));
  EXPECT_EQ(Current(), 1);
  EXPECT_TRUE(Playing());
}

TEST_F(Transport, ShuffleDrawsAnyOtherEntryAndAlwaysEnds) {
  std::mt19937 random(7);
  // Every other entry comes up, the playing one never; repeats are allowed.
  std::vector<int> seen(5);
  for (int i = 0; i < 400; ++i) ++seen[static_cast<size_t>(DrawShuffleEntry(5, 2, random))];
  EXPECT_EQ(seen[2], 0);
  for (int i : {0, 1, 3, 4}) EXPECT_GT(seen[static_cast<size_t>(i)], 60) << i;
  EXPECT_EQ(DrawShuffleEntry(1, 0, random), 0);
  EXPECT_EQ(DrawShuffleEntry(0, -1, random), -1);
  EXPECT_LT(DrawShuffleEntry(3, -1, random), 3);

  Songs(1);
  form->ToggleShuffleExecute();
  form->PlayTheSong(0);
  Advance(kSecond + 2048);
  EXPECT_TRUE(Playing() && Current() == 0) << "one entry in shuffle plays again";
}

TEST_F(Transport, AURLIsDecodedOnceAndConnectingShowsOnlyForAnAttempt) {
  const struct {
    const wchar_t *in, *out;
  } cases[] = {{L"a%2541b", L"a%41b"},        {L"%C3%A9t%C3%A9", L"\u00e9t\u00e9"},
               {L"%E9", L"\u00e9"},            {L"%00x%4", L"%00x%4"},
               {L"%zz%20\u00fc", L"%zz \u00fc"}};
  for (const auto& c : cases) EXPECT_EQ(DecodeURLText(c.in), c.out);

  bass_test::LoopbackServer server;
  ServeWav(server, "/my%2541song.wav", Wav(kSecond));
  const std::wstring url = Wide(server.Url("/my%2541song.wav"));
  Add(url, L"net");
  Add(L"http://127.0.0.1:1/nobody", L"refused");
  form->PlayTheSong(0);
  ASSERT_TRUE(Playing());
  EXPECT_EQ(form->SongInfoLabel->Text(), L"my%41song");
  EXPECT_EQ(CurrentFileName, url.substr(0, url.size() - 15) + L"my%41song.wav");
  form->PlayTheSong(7);  // no such entry: no attempt
  EXPECT_EQ(form->SongInfoLabel->Text(), L"my%41song");
  form->PlayTheSong(1);
  EXPECT_EQ(boxes, std::vector<std::wstring>{L"Can't play URL stream | Connecting..."});
  EXPECT_EQ(form->SongInfoLabel->Text(), L"Tavrin 1.58");
}

// A downloaded internet file's length arrives late; its entry may be gone.
TEST_F(Transport, ADurationIsStoredOnlyForAnEntryThatIsThere) {
  bass_test::LoopbackServer server;
  ServeWav(server, "/song.wav", Wav(3 * kSecond));
  for (bool deleted : {false, true}) {
    List()->Clear();
    Add(Wide(server.Url("/song.wav")), L"net");
    form->PlayTheSong(0);
    ASSERT_TRUE(testing_support::PumpMessagesUntil([] { return AudioPlayer->IsSeekable(); }));
    if (deleted) List()->Delete(0, true);
    testing_support::ExceptionRecorder errors;
    form->PosTimerTimer();
    EXPECT_TRUE(errors.messages.empty());
    EXPECT_TRUE(form->SeekingBar->ThumbVisible());
    TElem e;
    List()->GetElem(0, e);
    EXPECT_EQ(e.Duration, deleted ? -1 : 3);
  }
}

// A track that ends while a menu or a message box runs its own message loop
// advances once, there and then.
TEST_F(Transport, ATrackEndingUnderAModalLoopAdvancesOnce) {
  ShowForm();
  Songs(4);
  static int step;
  static bool menu;
  for (bool inMenu : {true, false}) {
    SCOPED_TRACE(inMenu ? "menu" : "message box");
    form->PlayTheSong(0);
    Advance(kSecond - 1000);
    step = 0, menu = inMenu;
    UINT_PTR timer = SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR, DWORD) {
      try {
        if (step++ == 0) return Advance(4096);
        if (menu) EndMenu();
        if (HWND box = FindWindowW(L"#32770", L"modal")) PostMessageW(box, WM_COMMAND, IDOK, 0);
      } catch (...) {
      }
    });
    if (inMenu)
      form->MainMenu->Popup(10, 10);
    else
      MessageBoxW(form->Handle(), L"end", L"modal", MB_OK);
    KillTimer(nullptr, timer);
    testing_support::PumpPendingMessages();
    EXPECT_TRUE(Playing() && Current() == 1) << Current();
  }
}

// Leaves the stack below the caller full of a level, so a sample slot that
// nobody filled reads as sound, not as a lucky zero.
[[gnu::noinline]] void PoisonStack() {
  volatile float junk[8192];
  for (volatile float& v : junk) v = 0.5f;
}

// A six-channel song gives 85 frames (510 values) for the 2048 bytes the
// oscilloscope asks: value 510 did not come and must lie on the zero line.
TEST_F(Transport, TheOscilloscopeDrawsOnlyTheSamplesTheEngineGave) {
  ShowForm();
  Add(dir.WriteFile(L"six.wav", Wav(kSecond, 6, 16384)), L"six");
  delete ScopeVis;
  ScopeVis = new TOscilloScope(300, 40);
  ScopeVis->DrawMode = 2;  // dots: one per value
  ScopeVis->LineColor = 0xFFFFFF;
  form->PlayTheSong(0);
  Advance(4410);
  PoisonStack();
  form->DrawOsc();
  auto lit = [&](int x, int y) {
    return GetPixel(ScopeVis->BackBuffer()->Canvas()->Handle(), x, y) == RGB(255, 255, 255);
  };
  EXPECT_FALSE(lit(254, 14)) << "value 508 is the song's level";
  EXPECT_TRUE(lit(255, 14)) << "value 510";
}

// Nobody sees a minimised, hidden or covered display: its frames stop (the
// player's frame timer rests, so nothing is fetched or drawn; a cover is
// found by the position timer's look), a repaint or that look does not wake
// them, and they come back when the display can be seen again.
TEST_F(Transport, TheFramesRestWhileNobodySeesTheDisplay) {
  ShowForm();
  Songs(1);
  form->PlayTheSong(0);
  TTimer* frames = AudioPlayer->VisTimer();
  ASSERT_TRUE(frames->Enabled());
  const POINT at = form->ClientToScreen(POINT{form->PaintBox->Left(), form->PaintBox->Top()});
  HWND cover = nullptr;
  const struct {
    const char* Name;
    std::function<void()> Hide, Show;
  } cases[] = {
      {"minimised", [this] { ShowWindow(form->Handle(), SW_MINIMIZE); },
       [this] { ShowWindow(form->Handle(), SW_RESTORE); }},
      {"hidden", [this] { form->Hide(); }, [this] { form->Show(); }},
      {"covered",
       [&] {
         cover = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE, at.x - 5, at.y - 5,
                                 form->PaintBox->Width() + 10, form->PaintBox->Height() + 10, nullptr,
                                 nullptr, nullptr, nullptr);
       },
       [&] { DestroyWindow(cover); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    c.Hide();
    EXPECT_TRUE(testing_support::PumpMessagesUntil([&] { return !frames->Enabled(); }));
    form->PaintBox->Repaint();
    form->PosTimerTimer();
    testing_support::PumpPendingMessages();
    EXPECT_FALSE(frames->Enabled());
    c.Show();
    EXPECT_TRUE(testing_support::PumpMessagesUntil([&] { return frames->Enabled(); }));
  }
}

TEST_F(Transport, TheDisplayTexts) {
  EXPECT_EQ(SeekText(65000, "03:00", 180000), L"Seek to: 01:05/03:00 (36%)");
  EXPECT_EQ(SeekText(0, "00:00", 0), L"Seek to: 00:00/00:00 (0%)");
  const struct {
    const wchar_t* file;
    const char* bytes;  // nullptr: not written
    const wchar_t* line;
  } rates[] = {{L"a.xm", "x", L"XM file"}, {L"a.txt", "x", L"old"}, {L"b.mp3", nullptr, L"old"}};
  for (const auto& r : rates) {
    const std::wstring name = r.bytes ? dir.WriteFile(r.file, r.bytes) : dir.File(r.file);
    EXPECT_EQ(FileRateInfo(name, 0, L"old"), r.line);
  }
  EXPECT_EQ(FileRateInfo(L"Q:\\0\\3", 44100, L"old"), L"Audio CD 44 khz");
  TStreamInfo radio;
  EXPECT_EQ(StreamRateInfo(radio), L"n/a");
  radio.BitRate = 128, radio.SampleRate = 44100;
  EXPECT_EQ(StreamRateInfo(radio), L"128 kbps 44 khz");

  Songs(1);
  form->PlayTheSong(0);
  EXPECT_EQ(form->SongInfoLabel->Text(), L"0 (00:01)");
  EXPECT_EQ(Application()->Title(), "0 - Tavrin");
  EXPECT_EQ(form->BitRateLabel->Caption(), L"1411 kbps 44 khz");
  form->InvertTimeExecute();
  EXPECT_EQ(form->TimeLabel->Text(), "-00:01");
  form->VolumeBar->SetValue(98);
  form->VolumeUpExecute();
  EXPECT_EQ(AudioPlayer->Volume(), 100u);
  EXPECT_EQ(form->SongInfoLabel->Text(), L"0 (00:01)") << "volume keys show no text";
  form->SetShortcutsEnabled(false);
  EXPECT_EQ(form->PlaySong->ShortCut(), 0);
  EXPECT_NE(form->InvertTime->ShortCut(), 0);
  form->SetShortcutsEnabled(true);
  EXPECT_EQ(form->PlaySong->ShortCut(), 'X');
  form->StopSongExecute();
  EXPECT_EQ(form->SongInfoLabel->Text(), L"Tavrin 1.58");
  EXPECT_EQ(form->BitRateLabel->Caption(), L"");
}

}  // namespace
