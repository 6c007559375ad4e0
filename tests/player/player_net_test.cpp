#include <gtest/gtest.h>

#include <atomic>
#include <cmath>

#include "engine/bass_errors.h"
#include "loopback_server.h"
#include "player_fixture.h"
#include "test_support.h"

using namespace player_test;
using bass_test::LoopbackServer;
using testing_support::PumpMessagesUntil;

namespace {

std::string FileReply(const std::string& body) {
  return "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nContent-Type: audio/mpeg\r\n\r\n";
}

std::string MetaBlock(const std::string& text) {
  std::string padded = text;
  padded.resize((text.size() + 15) / 16 * 16, '\0');
  return std::string(1, static_cast<char>(padded.size() / 16)) + padded;
}

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

}  // namespace

TEST(PlayerNet, AnInternetMp3ReadsItsTagsOnlyOnceDownloaded) {
  // tagged.mp3 starts with a binary ID3v2 image, which must never be taken
  // for a list of strings; tone.mp3 has no tag at all (no list to walk).
  struct Case {
    const wchar_t* fixture;
    const char* title;   // after the download
    const char* artist;
  } cases[] = {{L"tagged.mp3", "Tagged Title", "Tagged Artist"}, {L"tone.mp3", "", ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.title));
    std::string mp3 = testing_support::ReadFileBytes(CodecFixture(c.fixture));
    ASSERT_FALSE(mp3.empty());
    LoopbackServer server;
    server.Route("/song.mp3", [&](LoopbackServer::Client& client) { client.Send(FileReply(mp3) + mp3); });
    auto player = MakePlayer();
    std::vector<std::string> downloaded;
    player->SetOnDownloaded([&](TObject*, const std::string& content) { downloaded.push_back(content); });
    BoxRecorder boxes;
    std::string url = server.Url("/song.mp3");
    ASSERT_TRUE(player->Open(Wide(url))) << GetBASSErrorText();
    EXPECT_TRUE(boxes.Boxes.empty());
    EXPECT_EQ(player->ChannelKind(), ckStream);
    EXPECT_TRUE(player->IsNetStream());
    EXPECT_FALSE(player->IsNetRadio());
    const TStreamInfo& info = player->StreamInfo();
    EXPECT_EQ(info.FileName, url);
    EXPECT_EQ(info.FileSize, mp3.size());
    EXPECT_EQ(info.Title, "");
    EXPECT_GT(info.SampleRate, 0);
    EXPECT_NEAR(info.Duration, 3000.0, 60.0);
    EXPECT_NEAR(info.BitRate, mp3.size() / (125.0 * info.Duration / 1000.0), 1.0);
    ASSERT_TRUE(PumpMessagesUntil([&] { return !downloaded.empty(); }, 5000));
    EXPECT_TRUE(player->DownloadDone());
    EXPECT_TRUE(player->IsSeekable());
    EXPECT_EQ(downloaded.front(), std::to_string(player->StreamInfo().Duration));
    EXPECT_EQ(player->StreamInfo().Title, c.title);
    EXPECT_EQ(player->StreamInfo().Artist, c.artist);
    player->Close();
  }
}

TEST(PlayerNet, InternetRadioTakesItsBitRateAndTitles) {
  std::string mp3 = testing_support::ReadFileBytes(CodecFixture(L"tone.mp3"));
  ASSERT_FALSE(mp3.empty());
  constexpr size_t kInterval = 1024;
  LoopbackServer server;
  std::atomic<bool> opened{false};
  server.Route("/live", [&](LoopbackServer::Client& c) {
    if (!c.Send("ICY 200 OK\r\nicy-br: 96\r\nicy-metaint: " + std::to_string(kInterval) + "\r\n\r\n")) return;
    // The song over and over: longer than what the player's stream buffers
    // before its creation returns.
    std::string audio;
    while (audio.size() < 400 * kInterval) audio += mp3;
    for (size_t k = 0; k < 400; ++k) {
      // Later titles wait for the player's sync, as a live radio's would.
      for (int waited = 0; k == 200 && !opened && waited < 300; ++waited)
        if (!c.Wait(10)) return;
      if (!c.Send(audio.substr(k * kInterval, kInterval) + MetaBlock("StreamTitle='Song " + std::to_string(k) + "';"))) return;
    }
  });
  auto player = MakePlayer();
  std::vector<std::string> titles;
  player->SetOnGetMeta([&](TObject*, const std::string& title) { titles.push_back(title); });
  std::string url = server.Url("/live");
  ASSERT_TRUE(player->Open(Wide(url)));
  opened = true;
  EXPECT_TRUE(player->IsNetRadio());
  EXPECT_FALSE(player->IsNetStream());
  EXPECT_FALSE(player->IsSeekable());
  EXPECT_EQ(player->StreamInfo().BitRate, 96);
  EXPECT_EQ(player->StreamInfo().FileName, url);
  // Titles come due as the audio before them plays.
  player->Play();
  ASSERT_TRUE(PumpMessagesUntil(
      [&] {
        Advance(4410);
        return !titles.empty();
      },
      5000));
  EXPECT_EQ(titles.front().rfind("Song ", 0), 0u) << titles.front();
  EXPECT_EQ(player->StreamInfo().Title, titles.back());
}

TEST(PlayerNet, AChainedOggRadioGivesEachNewSongsTitle) {
  // Icecast sends an Ogg radio as one chained stream, a new link per song.
  std::string ogg = testing_support::ReadFileBytes(CodecFixture(L"chained.ogg"));
  ASSERT_FALSE(ogg.empty());
  LoopbackServer server;
  server.Route("/ogg-radio", [&](LoopbackServer::Client& c) {
    if (c.Send("HTTP/1.0 200 OK\r\nContent-Type: application/ogg\r\nicy-name: Ogg Radio\r\n\r\n" + ogg)) c.Wait(10000);
  });
  auto player = MakePlayer();
  player->SetNetBufferLength(1000);
  std::vector<std::string> titles;
  player->SetOnGetMeta([&](TObject*, const std::string& title) { titles.push_back(title); });
  ASSERT_TRUE(player->Open(Wide(server.Url("/ogg-radio"))));
  EXPECT_TRUE(player->IsNetRadio());
  player->Play();
  ASSERT_TRUE(PumpMessagesUntil(
      [&] {
        Advance(4410);
        return titles.size() >= 2;
      },
      10000));
  EXPECT_EQ(titles, (std::vector<std::string>{"Song 2", "Song 3"}));
  EXPECT_EQ(player->StreamInfo().Title, "Song 3");
  player->Close();
  player->SetNetBufferLength(5000);
}
