// Playing, as a listener hears it (the capture output) and as the program's
// title and time display show it: order, repeat, shuffle, missing songs,
// seeking, pausing, volume, tags and a radio's titles.
#include <functional>
#include <memory>
#include <regex>
#include <set>

#include "e2e_fixture.h"
#include "loopback_server.h"
#include "memory_bitmap.h"
#include "wav_bytes.h"

namespace e2e {
namespace {

constexpr uint32_t kRate = 44100;
constexpr int kStep = 2000;  // level of song k: k * kStep

std::string SongWav(uint32_t frames, const std::function<int16_t(uint32_t)>& level) {
  return testing_support::WavBytes({.rate = kRate}, frames, level);
}

// Silent MPEG-1 layer III frames, 128 kbit/s at 44.1 kHz, 26 ms each.
std::string Mp3Frames(int n) {
  std::string frames;
  for (int i = 0; i < n; ++i) frames += std::string("\xFF\xFB\x90\x00", 4) + std::string(413, '\0');
  return frames;
}

// The songs heard in order: levels rounded to kStep lasting 10 ms or more,
// silence left out, a level's repeats merged.
std::vector<int> Songs(const std::vector<int16_t>& samples) {
  std::vector<int> songs;
  int value = 0;
  size_t run = 0;
  for (size_t i = 0; i <= samples.size(); ++i) {
    const int v = i < samples.size() ? (samples[i] + kStep / 2) / kStep : -1;
    if (v == value) {
      ++run;
      continue;
    }
    if (value > 0 && run >= kRate / 100 && (songs.empty() || songs.back() != value)) songs.push_back(value);
    value = v, run = 1;
  }
  return songs;
}

// The time display read off the screen: left to right, each place where one
// of the twelve glyphs of the built-in sheet ("0".."9", ":", "-") stands
// pixel for pixel. The sheet is the one in the program's own resources.
class TimeDisplay {
 public:
  TimeDisplay(const std::wstring& exe, const testing_support::DefaultSkin& skin, HWND main)
      : FMain(main), FArea(skin.Main(L"TimeLabel")), FGlyphs(skin.Cell(L"MAIN", L"TimeGlyphs")) {
    HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found = module ? FindResourceW(module, L"MAIN", L"BMP") : nullptr;
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    // The resource is a whole .bmp file; its header is copied out to be aligned.
    BITMAPFILEHEADER file{};
    if (bytes && SizeofResource(module, found) > sizeof file) memcpy(&file, bytes, sizeof file);
    if (file.bfType == 0x4D42 && file.bfOffBits < SizeofResource(module, found)) {
      std::vector<uint32_t> header((file.bfOffBits - sizeof file + 3) / 4);
      memcpy(header.data(), bytes + sizeof file, file.bfOffBits - sizeof file);
      const auto* info = reinterpret_cast<const BITMAPINFO*>(header.data());
      const int w = info->bmiHeader.biWidth, h = std::abs(info->bmiHeader.biHeight);
      FSheet = std::make_unique<testing_support::MemoryBitmap>(w, h);
      StretchDIBits(FSheet->DC(), 0, 0, w, h, 0, 0, w, h, bytes + file.bfOffBits, info,
                    DIB_RGB_COLORS, SRCCOPY);
    }
    if (module) FreeLibrary(module);
    EXPECT_TRUE(FSheet && FSheet->Valid()) << "no MAIN sheet in the program";
  }

  std::string Text() const {
    const SIZE glyph{testing_support::SizeOf(FGlyphs).cx / 12, testing_support::SizeOf(FGlyphs).cy};
    testing_support::MemoryBitmap shot(testing_support::SizeOf(FArea).cx, glyph.cy);
    if (!FSheet || !FSheet->Valid() || !shot.Valid()) return "";
    POINT at{FArea.left, FArea.top};
    ClientToScreen(FMain, &at);
    HDC screen = GetDC(nullptr);
    BitBlt(shot.DC(), 0, 0, shot.Width(), shot.Height(), screen, at.x, at.y, SRCCOPY);
    ReleaseDC(nullptr, screen);
    auto stands = [&](int x, int k) {
      for (int y = 0; y < glyph.cy; ++y) {
        const uint32_t* seen = shot.Row(y) + x;
        const uint32_t* drawn = FSheet->Row(FGlyphs.top + y) + FGlyphs.left + k * glyph.cx;
        for (int i = 0; i < glyph.cx; ++i)
          if ((seen[i] ^ drawn[i]) & 0xFFFFFF) return false;
      }
      return true;
    };
    std::string text;
    for (int x = 0; x + glyph.cx <= shot.Width();) {
      int k = 0;
      while (k < 12 && !stands(x, k)) ++k;
      if (k == 12) {
        ++x;
        continue;
      }
      text += "0123456789:-"[k];
      x += glyph.cx;
    }
    return text;
  }

 private:
  HWND FMain;
  RECT FArea;    // in the main window's client area
  RECT FGlyphs;  // in the sheet
  std::unique_ptr<testing_support::MemoryBitmap> FSheet;
};

class Transport : public E2ETest {
 protected:
  // Songs of levels 1..n (0.4 s each) in the last playlist; missing ones listed only.
  void List(int n, std::set<int> missing = {}) {
    std::vector<PlaylistEntry> entries;
    for (int k = 1; k <= n; ++k) {
      const std::wstring name = std::to_wstring(k) + L".wav";
      if (missing.count(k))
        DeleteFileW(data.File(name).c_str());
      else
        data.WriteFile(name, SongWav(kRate * 2 / 5, [k](uint32_t) { return int16_t(k * kStep); }));
      entries.push_back({data.File(name), name, 1});
    }
    folder.WritePlaylist(entries);
  }
  bool Launch(const std::vector<std::wstring>& args = {}) {
    DeleteFileW(data.File(L"out.wav").c_str());
    program = Start(args, CaptureTo(L"out.wav"));
    main = program ? program->MainWindow() : nullptr;
    return main != nullptr;
  }
  void Key(WORD key, int times = 1) {
    for (int i = 0; i < times; ++i) PostMessageW(main, WM_KEYDOWN, key, 1), PostMessageW(main, WM_KEYUP, key, 0xC0000001);
  }
  std::vector<int16_t> Heard() { return LeftSamples(testing_support::ReadFileBytes(data.File(L"out.wav"))); }
  bool HearUntil(const std::function<bool(const std::vector<int16_t>&)>& done) {
    return runner.WaitUntil([&] {
      const std::vector<int16_t> heard = Heard();
      return !heard.empty() && done(heard);
    }, 10000);
  }
  bool TitleBecomes(const std::wstring& title) {
    return runner.WaitUntil([&] { return AppTitle(*program) == title; }, 5000);
  }

  Program* program = nullptr;
  HWND main = nullptr;
};

TEST_F(Transport, TheEndOfASongFollowsRepeatAndShuffle) {
  using Order = std::vector<int>;
  const struct {
    const char* what;
    WORD key;             // pressed before Play
    std::set<int> missing;
    std::function<bool(const Order&)> done;
    bool stops;
    int songs = 3;
  } cases[] = {
      {"repeat off: each once", 0, {}, [](const Order& h) { return h == Order{1, 2, 3}; }, true},
      {"a missing song goes, the next plays", 0, {2}, [](const Order& h) { return h == Order{1, 3}; }, true},
      {"repeat all loops", 'R', {},
       [](const Order& h) { return h.size() >= 5 && Order(h.begin(), h.begin() + 5) == Order{1, 2, 3, 1, 2}; }, false},
      // In order, each of six songs is followed by the next one: six steps
      // in a row that do so happen to a shuffle once in 5^6 runs.
      {"shuffle plays on, out of the list's order", 'S', {},
       [](const Order& h) {
         if (h.size() < 7) return false;
         for (size_t i = 0; i + 1 < 7; ++i)
           if (h[i + 1] != h[i] % 6 + 1) return true;
         return false;
       },
       false, 6}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    List(c.songs, c.missing);
    ASSERT_TRUE(Launch());
    if (c.key) Key(c.key);
    Key('X');
    EXPECT_TRUE(HearUntil([&](const auto& s) { return c.done(Songs(s)); }));
    if (c.stops) {
      EXPECT_TRUE(TitleBecomes(L"Tavrin 1.58"));
      EXPECT_TRUE(c.done(Songs(Heard())));
    }
    CloseWithoutSaving(*program);
  }
}

TEST_F(Transport, RepeatTrackFromTheRepeatMenuPlaysOneSongAgain) {
  List(2);
  ASSERT_TRUE(Launch());
  const RECT toggle = skin.Main(L"RepeatToggle");
  HWND repeat = FindChildAt(main, toggle);
  ASSERT_NE(repeat, nullptr);
  const POINT middle = testing_support::Centre(testing_support::Own(toggle));
  PostMessageW(repeat, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(middle.x, middle.y));
  PostMessageW(repeat, WM_RBUTTONUP, 0, MAKELPARAM(middle.x, middle.y));
  ASSERT_TRUE(runner.WaitUntil([&] { return !program->Windows(L"#32768").empty(); }, 5000));
  HWND menu = program->Windows(L"#32768").front();
  for (WORD key : {VK_DOWN, VK_RETURN}) PostMessageW(menu, WM_KEYDOWN, key, 1);  // "Repeat track"
  ASSERT_TRUE(runner.WaitUntil([&] { return program->Windows(L"#32768").empty(); }, 5000));
  Key('X');
  EXPECT_TRUE(HearUntil([](const auto& s) { return std::count(s.begin(), s.end(), int16_t(kStep)) > 3 * 0.4 * kRate; }))
      << "three times the first song";
  EXPECT_EQ(Songs(Heard()), std::vector<int>{1});
  CloseWithoutSaving(*program);
}

// The first song's level tells where it plays: 1000 + 100 a tenth of a second.
TEST_F(Transport, SeekingPausingAndVolumeAsHeard) {
  data.WriteFile(L"pos.wav", SongWav(20 * kRate, [](uint32_t i) { return int16_t(1000 + 100 * (i / 4410)); }));
  data.WriteFile(L"level.wav", SongWav(10 * kRate, [](uint32_t) { return int16_t(10000); }));
  folder.WritePlaylist({{data.File(L"pos.wav"), L"pos", 20}, {data.File(L"level.wav"), L"level", 10}});
  ASSERT_TRUE(Launch());
  Key('X');
  auto at = [](const std::vector<int16_t>& s) { return s.empty() ? -1 : (s.back() - 1000) / 100; };
  auto reaches = [&](int tenths) { return HearUntil([&](const auto& s) { return at(s) >= tenths; }); };
  ASSERT_TRUE(reaches(2));
  Key(VK_RIGHT);
  EXPECT_TRUE(reaches(50)) << "5 s forward";
  Key(VK_LEFT);
  EXPECT_TRUE(HearUntil([&](const auto& s) { return at(s) >= 0 && at(s) < 40; })) << "5 s back";
  const RECT seekingBar = skin.Main(L"SeekingBar");
  const SIZE bar = testing_support::SizeOf(seekingBar);
  HWND seek = FindChildAt(main, seekingBar);
  ASSERT_NE(seek, nullptr);
  const LPARAM x = MAKELPARAM(bar.cx * 3 / 4, bar.cy / 2);
  for (UINT m : {WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP})
    PostMessageW(seek, m, m == WM_LBUTTONUP ? 0 : MK_LBUTTON, m == WM_MOUSEMOVE ? x + 1 : x);
  EXPECT_TRUE(reaches(140)) << "the slider at three quarters";

  Key('C');
  ASSERT_TRUE(HearUntil([](const auto& s) { return s.back() == 0; })) << "paused";
  std::vector<int16_t> before = Heard();
  while (!before.empty() && before.back() == 0) before.pop_back();
  Key('C');
  ASSERT_TRUE(HearUntil([&](const auto& s) { return s.back() != 0; })) << "resumed";
  const std::vector<int16_t> after = Heard();
  const auto resumed = std::find_if(after.begin() + ptrdiff_t(before.size()), after.end(), [](int16_t v) { return v; });
  ASSERT_NE(resumed, after.end());
  EXPECT_LE(std::abs(*resumed - before.back()), 100) << "where it paused";

  // The next song is one level: nothing at volume 0, 40 % of it at 40.
  Key('B');
  ASSERT_TRUE(HearUntil([](const auto& s) { return s.back() == 10000; }));
  Key(VK_DOWN, 25);
  const size_t loud = Heard().size();
  EXPECT_TRUE(HearUntil([&](const auto& s) { return s.size() > loud + kRate / 4 && s.back() == 0; }));
  Key(VK_UP, 10);
  EXPECT_TRUE(HearUntil([](const auto& s) { return std::abs(s.back() - 4000) <= 40; })) << "volume 40";
  EXPECT_EQ(AppTitle(*program), L"level - Tavrin");
  CloseWithoutSaving(*program);
}

// Seconds of a time display's text, "mm:ss" or (remaining) "-mm:ss"; -1 for
// anything else.
int Seconds(const std::string& text, bool remaining) {
  std::smatch clock;
  const std::regex form(remaining ? "-(\\d\\d):(\\d\\d)" : "(\\d\\d):(\\d\\d)");
  if (!std::regex_match(text, clock, form)) return -1;
  return std::stoi(clock[1]) * 60 + std::stoi(clock[2]);
}

// Paused past 7 s of a 20 s song, so that the two texts show many digits.
TEST_F(Transport, TheTimeDisplayShowsElapsedOrRemaining) {
  // The level tells where the song plays: 1000 + 100 a tenth of a second.
  data.WriteFile(L"long.wav",
                 SongWav(20 * kRate, [](uint32_t i) { return int16_t(1000 + 100 * (i / 4410)); }));
  ASSERT_TRUE(Launch({data.File(L"long.wav")}));
  auto tenths = [](std::vector<int16_t> s) {
    while (!s.empty() && s.back() == 0) s.pop_back();
    return s.empty() ? -1 : (s.back() - 1000) / 100;
  };
  ASSERT_TRUE(HearUntil([&](const auto& s) { return tenths(s) >= 0; }));
  const TimeDisplay display(folder.Exe(), skin, main);
  // Painting comes last: a text counts once two readings agree.
  auto shows = [&](const std::function<bool(const std::string&)>& wanted) {
    std::string text;
    const bool done = runner.WaitUntil(
        [&] { return wanted(text = display.Text()) && text == display.Text(); }, 5000);
    return done ? text : "<not shown: \"" + text + "\">";
  };
  Key(VK_RIGHT);
  ASSERT_GE(Seconds(shows([](const std::string& t) { return Seconds(t, false) >= 7; }), false), 7);
  Key('C');
  ASSERT_TRUE(HearUntil([](const auto& s) { return s.back() == 0; })) << "paused";
  const double played = tenths(Heard()) / 10.0;
  // The display shows the position of its last update, made once a second,
  // and the capture runs ahead of the position by the output's lead.
  const std::string elapsed = shows([](const std::string& t) { return Seconds(t, false) >= 0; });
  EXPECT_LE(Seconds(elapsed, false), played) << elapsed;
  EXPECT_GE(Seconds(elapsed, false), played - 3) << elapsed;
  const RECT clock = skin.Main(L"TimeLabel");
  PostClick(main, testing_support::Centre(clock));  // a click on the display inverts it
  const std::string remaining = shows([](const std::string& t) { return Seconds(t, true) >= 0; });
  // Whole seconds of both, cut: together one short of the 20 s unless the
  // last update fell on a whole second.
  const int sum = Seconds(elapsed, false) + Seconds(remaining, true);
  EXPECT_TRUE(sum == 19 || sum == 20) << elapsed << " and " << remaining;
  PostClick(main, testing_support::Centre(clock));
  EXPECT_EQ(shows([&](const std::string& t) { return t == elapsed; }), elapsed);
  CloseWithoutSaving(*program);
}

TEST_F(Transport, TheSongLineShowsArtistAndTitleFromTheTags) {
  auto frame = [](const char* id, const std::string& text) {
    return std::string(id) + std::string{0, 0, 0, char(text.size() + 1), 0, 0, 0} + text;
  };
  const std::string tag = frame("TPE1", "The Artist") + frame("TIT2", "The Title");
  const std::string head = std::string("ID3\3\0\0\0\0\0", 9) + char(tag.size());
  ASSERT_TRUE(Launch({data.WriteFile(L"tagged.mp3", head + tag + Mp3Frames(80))}));
  EXPECT_TRUE(TitleBecomes(L"The Artist - The Title - Tavrin")) << Narrow(AppTitle(*program));
  CloseWithoutSaving(*program);
}

TEST_F(Transport, ARadioShowsEachNewSongTitle) {
  bass_test::LoopbackServer server;
  server.Route("/live", [](bass_test::LoopbackServer::Client& c) {
    const std::string audio = Mp3Frames(20);  // 8340 bytes: more than a block
    if (!c.Send("ICY 200 OK\r\nicy-br: 128\r\nicy-metaint: 8192\r\n\r\n")) return;
    for (int k = 0; k < 400; ++k) {
      std::string meta = "StreamTitle='Song " + std::to_string(k) + "';";
      meta.resize((meta.size() + 15) / 16 * 16, '\0');
      const size_t from = k * 8192 % audio.size();
      if (!c.Send((audio + audio).substr(from, 8192) + char(meta.size() / 16) + meta)) return;
    }
  });
  const std::string url = server.Url("/live");
  folder.WritePlaylist({{std::wstring(url.begin(), url.end()), L"Radio", 0}});
  ASSERT_TRUE(Launch());
  Key('X');
  std::set<std::wstring> titles;
  EXPECT_TRUE(runner.WaitUntil(
      [&] {
        if (const std::wstring t = AppTitle(*program); t.starts_with(L"Song ")) titles.insert(t);
        return titles.size() >= 3;
      },
      15000));
  CloseWithoutSaving(*program);
}

}  // namespace
}  // namespace e2e
