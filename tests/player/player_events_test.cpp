#include <gtest/gtest.h>

#include <cmath>

#include "engine/bass22_dynamic.h"
#include "loopback_server.h"
#include "player_fixture.h"
#include "test_support.h"
#include "wav_bytes.h"

using namespace player_test;
using bass_test::LoopbackServer;
using testing_support::PumpMessagesUntil;
using testing_support::PumpPendingMessages;
using testing_support::TempDir;

namespace {

constexpr double kPi = 3.14159265358979323846;

// A 16-bit stereo WAV: toneFrames of a sine at hz (0: silence), then
// silentFrames of silence.
std::string ToneWav(uint32_t rate, double hz, uint32_t toneFrames, uint32_t silentFrames = 0) {
  return testing_support::WavBytes({.rate = rate}, toneFrames + silentFrames, [=](uint32_t i) {
    return std::lround(i < toneFrames ? 16000.0 * std::sin(2 * kPi * hz * i / rate) : 0.0);
  });
}

// Moves the manual clock without handling what the engine posts, so a test
// can act between a callback and its message.
void AdvanceOnly(uint32_t frames) {
  using AdvanceProc = BOOL(WINAPI*)(DWORD);
  auto advance = reinterpret_cast<AdvanceProc>(
      reinterpret_cast<void*>(GetProcAddress(Bass22_dynamic::BASS_Handle, "BASS_Test_AdvanceClock")));
  ASSERT_NE(advance, nullptr);
  advance(frames);
}

bool Pending(HWND window, UINT message) {
  MSG msg;
  return PeekMessageW(&msg, window, message, message, PM_NOREMOVE) != 0;
}

struct EndCounter {
  int Ends = 0;
  explicit EndCounter(TBASSPlayer& player) {
    player.SetOnPlayEnd([this](TObject*) { ++Ends; });
  }
};

}  // namespace

TEST(PlayerEvents, EachTrackEndsExactlyOnce) {
  TempDir dir;
  std::wstring first = dir.WriteFile(L"first.wav", ToneWav(44100, 440, 4410));
  std::wstring second = dir.WriteFile(L"second.wav", ToneWav(44100, 440, 8820));
  auto player = MakePlayer();
  EndCounter counter(*player);
  ASSERT_TRUE(player->Open(first));
  player->Play();
  Advance(2205);
  EXPECT_EQ(counter.Ends, 0);
  for (int i = 0; i < 10; ++i) Advance(4410);
  PumpMessagesUntil([] { return false; }, 100);
  EXPECT_EQ(counter.Ends, 1);
  EXPECT_EQ(player->PlayerMode(), pmStopped);
  // A restart from the stopped state ends once more, and so does a new track.
  player->Play();
  EXPECT_EQ(player->PlayerMode(), pmPlaying);
  for (int i = 0; i < 10; ++i) Advance(4410);
  EXPECT_EQ(counter.Ends, 2);
  ASSERT_TRUE(player->Open(second));
  player->Play();
  for (int i = 0; i < 10; ++i) Advance(4410);
  PumpMessagesUntil([] { return false; }, 100);
  EXPECT_EQ(counter.Ends, 3);
}

TEST(PlayerEvents, AnEndOvertakenByTheUserIsDropped) {
  // The end is already posted when the user acts; its message must then
  // neither report an end nor stop what the user started.
  enum Action { kStop, kStopAndReplay, kClose, kOpenAnother };
  struct Case {
    const char* name;
    Action action;
    uint8_t mode;  // after the stale message
  } cases[] = {{"Stop", kStop, pmStopped},
               {"Stop then Play", kStopAndReplay, pmPlaying},
               {"Close", kClose, pmNone},
               {"a new Open and Play", kOpenAnother, pmPlaying}};
  TempDir dir;
  std::wstring shortFile = dir.WriteFile(L"short.wav", ToneWav(44100, 440, 4410));
  std::wstring longFile = dir.WriteFile(L"long.wav", ToneWav(44100, 440, 441000));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto player = MakePlayer();
    EndCounter counter(*player);
    ASSERT_TRUE(player->Open(shortFile));
    player->Play();
    for (int i = 0; i < 10 && !Pending(player->MessageWindow(), WM_PLAYER_END); ++i) AdvanceOnly(4410);
    ASSERT_TRUE(Pending(player->MessageWindow(), WM_PLAYER_END));
    switch (c.action) {
      case kStop: player->Stop(); break;
      case kStopAndReplay:
        player->Stop();
        player->Play();
        break;
      case kClose: player->Close(); break;
      case kOpenAnother:
        ASSERT_TRUE(player->Open(longFile));
        player->Play();
        break;
    }
    PumpMessagesUntil([] { return false; }, 100);
    EXPECT_EQ(counter.Ends, 0);
    EXPECT_EQ(int{player->PlayerMode()}, int{c.mode});
  }
}

TEST(PlayerEvents, HiddenWindowLetsWindowsEndTheSession) {
  auto player = MakePlayer();
  ASSERT_TRUE(IsWindow(player->MessageWindow()));
  EXPECT_EQ(SendMessageW(player->MessageWindow(), WM_QUERYENDSESSION, 0, 0), 1);
  EXPECT_EQ(SendMessageW(player->MessageWindow(), WM_USER + 77, 0, 0), 0);
}

TEST(PlayerEvents, ARadioTitleReachesOnGetMetaOnlyWhileItsChannelIsOpen) {
  std::string mp3 = testing_support::ReadFileBytes(CodecFixture(L"tone.mp3"));
  ASSERT_FALSE(mp3.empty());
  constexpr size_t kInterval = 1024;
  auto metaBlock = [](const std::string& text) {
    std::string padded = text;
    padded.resize((text.size() + 15) / 16 * 16, '\0');
    return std::string(1, static_cast<char>(padded.size() / 16)) + padded;
  };
  LoopbackServer server;
  server.Route("/live", [&](LoopbackServer::Client& client) {
    if (!client.Send("ICY 200 OK\r\nicy-metaint: " + std::to_string(kInterval) + "\r\n\r\n")) return;
    for (size_t k = 0; (k + 1) * kInterval <= mp3.size(); ++k) {
      if (!client.Send(mp3.substr(k * kInterval, kInterval) + metaBlock("StreamTitle='Song " + std::to_string(k) + "';")))
        return;
    }
  });
  std::string url = server.Url("/live");
  std::vector<std::string> titles;
  auto player = MakePlayer();
  player->SetOnGetMeta([&](TObject*, const std::string& title) { titles.push_back(title); });
  ASSERT_TRUE(player->Open(std::wstring(url.begin(), url.end())));
  player->Play();
  ASSERT_TRUE(PumpMessagesUntil(
      [&] {
        Advance(2205);
        return !titles.empty();
      },
      5000));
  EXPECT_EQ(titles.front().rfind("Song ", 0), 0u) << titles.front();
  EXPECT_EQ(player->StreamInfo().Title, titles.back());

  // A title posted for the radio after it was closed reaches nobody.
  ASSERT_TRUE(player->Open(std::wstring(url.begin(), url.end())));
  player->Play();
  titles.clear();
  HWND window = player->MessageWindow();
  ASSERT_TRUE(PumpMessagesUntil(
      [&] {
        if (!Pending(window, WM_PLAYER_META)) AdvanceOnly(2205);
        return Pending(window, WM_PLAYER_META);
      },
      5000));
  player->Close();
  PumpMessagesUntil([] { return false; }, 100);
  EXPECT_TRUE(titles.empty()) << titles.front();
}

TEST(PlayerEvents, BandLevelsRiseInTheToneBandAndFallByTwo) {
  // Bin 40 of a 512-point FFT at 44100 Hz lies in band 9 (bins 37 to 42).
  const double hz = 40 * 44100.0 / 512;
  TempDir dir;
  std::wstring file = dir.WriteFile(L"tone.wav", ToneWav(44100, hz, 44100, 441000));
  auto player = MakePlayer();
  std::vector<TBandOut> seen;
  player->SetOnNewFFTData([&](TObject*, const TBandOut& bands) { seen.push_back(bands); });
  player->SetVisRefreshInterval(10);
  ASSERT_TRUE(player->Open(file));
  player->Play();
  Advance(8820);
  ASSERT_TRUE(PumpMessagesUntil([&] { return seen.size() >= 3; }, 5000));
  const TBandOut peak = seen.back();
  for (size_t b = 0; b < peak.size(); ++b) {
    if (b == 9) continue;
    EXPECT_LT(peak[b] * 4, peak[9]) << "band " << b << " got " << peak[b] << ", tone band " << peak[9];
  }
  ASSERT_GT(peak[9], 20u);

  // Into the silence: every tick takes 2 off until 0.
  Advance(44100);
  seen.clear();
  ASSERT_TRUE(PumpMessagesUntil([&] { return !seen.empty() && seen.back()[9] == 0; }, 10000));
  for (size_t i = 1; i < seen.size(); ++i) {
    uint32_t before = seen[i - 1][9], after = seen[i][9];
    EXPECT_EQ(after, before >= 2 ? before - 2 : 0) << "tick " << i << ": expected the fall from " << before;
  }
  // Paused, the timer stops at its next tick and nothing more is raised.
  player->Pause(true);
  PumpMessagesUntil([] { return false; }, 100);
  size_t count = seen.size();
  PumpMessagesUntil([] { return false; }, 200);
  EXPECT_EQ(seen.size(), count);
}

// A handler that draws from data of its own spares the ticks their spectrum:
// they still raise the event, with the levels left as they were, until the
// levels are wanted again.
TEST(PlayerEvents, TicksWithoutBandLevelsStillRaiseTheEvent) {
  TempDir dir;
  std::wstring file = dir.WriteFile(L"tone.wav", ToneWav(44100, 40 * 44100.0 / 512, 441000));
  auto player = MakePlayer();
  std::vector<TBandOut> seen;
  player->SetOnNewFFTData([&](TObject*, const TBandOut& bands) { seen.push_back(bands); });
  player->SetBandLevelsWanted(false);
  player->SetVisRefreshInterval(10);
  ASSERT_TRUE(player->Open(file));
  player->Play();
  Advance(8820);
  ASSERT_TRUE(PumpMessagesUntil([&] { return seen.size() >= 3; }, 5000));
  for (const TBandOut& bands : seen) EXPECT_EQ(bands, TBandOut{});
  player->SetBandLevelsWanted(true);
  EXPECT_TRUE(PumpMessagesUntil([&] { return seen.back()[9] > 20; }, 5000));
}

namespace {

std::string Padded(const std::string& s, size_t n) {
  std::string out = s;
  out.resize(n, '\0');
  return out;
}

std::string Id3v1(const std::string& title, const std::string& artist) {
  return "TAG" + Padded(title, 30) + Padded(artist, 30) + Padded("", 30) + "2001" + Padded("", 28) +
         std::string(1, '\0') + std::string(1, '\x07') + std::string(1, '\x0C');
}

std::string Syncsafe(uint32_t v) {
  std::string s;
  for (int shift = 21; shift >= 0; shift -= 7) s += static_cast<char>((v >> shift) & 0x7F);
  return s;
}

// Version 2.4 with a footer, whose length the header leaves out.
std::string Id3v24WithFooter(const std::string& title, const std::string& artist) {
  auto frame = [](const std::string& id, const std::string& text) {
    return id + Syncsafe(static_cast<uint32_t>(text.size() + 1)) + std::string(2, '\0') + std::string(1, '\0') + text;
  };
  std::string body = frame("TIT2", title) + frame("TPE1", artist);
  std::string size = Syncsafe(static_cast<uint32_t>(body.size()));
  return "ID3" + std::string("\x04\x00\x10", 3) + size + body + "3DI" + std::string("\x04\x00\x10", 3) + size;
}

std::string HttpFile(const std::string& body) {
  return "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

}  // namespace

TEST(PlayerEvents, ADownloadedMp3ReadsTheTagOfItsOwnImage) {
  std::string mp3 = testing_support::ReadFileBytes(CodecFixture(L"tone.mp3"));
  ASSERT_FALSE(mp3.empty());
  struct Case {
    const char* name;
    std::string file;
  } cases[] = {{"ID3v1 at the end", mp3 + Id3v1("End Title", "End Artist")},
               {"ID3v2.4 with a footer", Id3v24WithFooter("Front Title", "Front Artist") + mp3}};
  const char* titles[] = {"End Title", "Front Title"};
  const char* artists[] = {"End Artist", "Front Artist"};
  for (size_t i = 0; i < 2; ++i) {
    SCOPED_TRACE(cases[i].name);
    LoopbackServer server;
    server.Route("/song.mp3", [&](LoopbackServer::Client& client) { client.Send(HttpFile(cases[i].file)); });
    auto player = MakePlayer();
    std::vector<std::string> downloaded;
    player->SetOnDownloaded([&](TObject*, const std::string& content) { downloaded.push_back(content); });
    std::string url = server.Url("/song.mp3");
    ASSERT_TRUE(player->Open(std::wstring(url.begin(), url.end())));
    ASSERT_TRUE(PumpMessagesUntil([&] { return !downloaded.empty(); }, 5000));
    EXPECT_EQ(downloaded.size(), 1u);
    EXPECT_EQ(player->StreamInfo().Title, titles[i]);
    EXPECT_EQ(player->StreamInfo().Artist, artists[i]);
    EXPECT_EQ(player->StreamInfo().FileSize, cases[i].file.size());
  }
}

TEST(PlayerEvents, ADownloadOfAClosedStreamIsDropped) {
  std::string mp3 = testing_support::ReadFileBytes(CodecFixture(L"tone.mp3"));
  ASSERT_FALSE(mp3.empty());
  LoopbackServer server;
  server.Route("/song.mp3", [&](LoopbackServer::Client& client) { client.Send(HttpFile(mp3)); });
  auto player = MakePlayer();
  int downloads = 0;
  player->SetOnDownloaded([&](TObject*, const std::string&) { ++downloads; });
  std::string url = server.Url("/song.mp3");
  ASSERT_TRUE(player->Open(std::wstring(url.begin(), url.end())));
  for (int i = 0; i < 500 && !Pending(player->MessageWindow(), WM_PLAYER_DOWNLOADED); ++i) Sleep(10);
  ASSERT_TRUE(Pending(player->MessageWindow(), WM_PLAYER_DOWNLOADED));
  player->Close();
  PumpMessagesUntil([] { return false; }, 100);
  EXPECT_EQ(downloads, 0);
  EXPECT_FALSE(player->DownloadDone());
}
