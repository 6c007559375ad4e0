#include <gtest/gtest.h>

#include "engine/bass22_dynamic.h"
#include "module_fixtures.h"
#include "player_fixture.h"
#include "test_support.h"

using namespace player_test;

TEST(PlayerOpen, ConstructionLoadsTheLibrariesFromTheGivenFolder) {
  auto player = MakePlayer();
  EXPECT_TRUE(player->BASSLoaded());
  EXPECT_TRUE(player->BASSReady());
  EXPECT_TRUE(player->WMAReady());
  EXPECT_TRUE(player->CDReady());
  EXPECT_TRUE(player->EncoderReady());
  EXPECT_EQ(player->ComponentVersion(), "1.5");
  EXPECT_EQ(player->BASSVersionText(), "2.2");
  EXPECT_EQ(player->PlayerMode(), pmNone);
  EXPECT_EQ(player->ChannelKind(), ckNone);
  EXPECT_EQ(player->Speed(), 100);
  EXPECT_EQ(player->VisScale(), 512);
  EXPECT_EQ(player->VisInterval(), 33);
  EXPECT_NE(player->MessageWindow(), nullptr);
  EXPECT_TRUE(player->WaitForAddOns(5000));
}

TEST(PlayerOpen, EachKindOfSourceGetsItsChannelKindAndStreamInfo) {
  testing_support::TempDir dir;
  std::wstring wav = dir.WriteFile(L"tone.wav", CdWav(44100));
  std::wstring mod = dir.WriteFile(L"tune.mod", bass_test::MakeMod("tune"));
  struct Case {
    std::wstring file;
    uint8_t kind;
    bool seekable;
  } cases[] = {
      {wav, ckStream, true},
      {CodecFixture(L"tone.mp3"), ckStream, true},
      {CodecFixture(L"tone.ogg"), ckStream, true},
      {mod, ckMusic, false},
      {CodecFixture(L"tone.wma"), ckWMA, true},
      {L"X:\\0\\1", ckCD, true},
  };
  auto player = MakePlayer();
  BoxRecorder boxes;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file.begin(), c.file.end()));
    ASSERT_TRUE(player->Open(c.file));
    EXPECT_EQ(player->ChannelKind(), c.kind);
    EXPECT_EQ(player->PlayerMode(), pmOpened);
    EXPECT_EQ(player->IsSeekable(), c.seekable);
    BASS_CHANNELINFO info{};
    ASSERT_TRUE(Bass22_dynamic::BASS_ChannelGetInfo(player->Channel(), &info));
    const TStreamInfo& si = player->StreamInfo();
    EXPECT_EQ(si.SampleRate, static_cast<int32_t>(info.freq));
    EXPECT_GT(si.SampleRate, 0);
    EXPECT_EQ(si.Channels, info.chans);
    // Local sources and CD tracks fill only the rate and the channel count.
    EXPECT_EQ(si.FileName, "");
    EXPECT_EQ(si.BitRate, 0);
    EXPECT_EQ(si.Duration, 0u);
    EXPECT_EQ(si.Title, "");
    EXPECT_GT(player->GetLength(), 0u);
    EXPECT_EQ(player->CurrentName(), std::string(c.file.begin(), c.file.end()));
  }
  EXPECT_TRUE(boxes.Boxes.empty());
  player->Close();
  EXPECT_EQ(player->PlayerMode(), pmNone);
  EXPECT_EQ(player->ChannelKind(), ckNone);
  EXPECT_EQ(player->StreamInfo().SampleRate, 0);
  EXPECT_EQ(player->CurrentName(), "");
  EXPECT_EQ(player->GetLength(), 0u);
  EXPECT_EQ(player->GetPosition(), 0u);
}

TEST(PlayerOpen, AFailedOpenKeepsTheModeAndShowsWhy) {
  testing_support::TempDir dir;
  std::wstring wav = dir.WriteFile(L"tone.wav", CdWav(44100));
  std::wstring junk = dir.WriteFile(L"junk.mp3", std::string(3000, '\x11'));
  auto player = MakePlayer();
  ASSERT_TRUE(player->Open(wav));
  player->Play();
  ASSERT_EQ(player->PlayerMode(), pmPlaying);
  struct Case {
    std::wstring name;
    std::wstring text;     // start of the box's text; empty: no box
    std::wstring caption;
  } cases[] = {
      {dir.File(L"missing.wav"), L"Can't play the file\r\nError code: ", L"Error"},
      {junk, L"Can't play the file\r\nError code: ", L"Error"},
      // Scheme in upper case: no URL, so a local file that is not there.
      {L"HTTP://127.0.0.1:1/a.mp3", L"Can't play the file", L"Error"},
      {L"http://127.0.0.1:1/a.mp3", L"Can't play URL stream", L"Confirm"},
      {L"X:\\a\\1", L"", L""},  // no drive digit: refused without a word
      {L"X:\\0\\x", L"", L""},  // no track number
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name.begin(), c.name.end()));
    BoxRecorder boxes;
    EXPECT_FALSE(player->Open(c.name));
    EXPECT_EQ(player->PlayerMode(), pmPlaying);
    if (c.text.empty()) {
      EXPECT_TRUE(boxes.Boxes.empty());
      continue;
    }
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text.substr(0, c.text.size()), c.text) << "got: " << std::string(boxes.Boxes[0].Text.begin(), boxes.Boxes[0].Text.end());
    EXPECT_EQ(boxes.Boxes[0].Caption, c.caption);
  }
  // The previous channel is gone: the caller closes.
  EXPECT_EQ(player->ChannelKind(), ckNone);
}

TEST(PlayerOpen, APlayerWithoutBassRefusesToOpen) {
  testing_support::TempDir empty;
  BoxRecorder boxes;
  TBASSPlayer player(nullptr, empty.Path());
  EXPECT_FALSE(player.BASSLoaded());
  EXPECT_FALSE(player.BASSReady());
  EXPECT_FALSE(player.Open(L"C:\\any.wav"));
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_EQ(boxes.Boxes[0].Text, L"Player is not ready !");
  EXPECT_EQ(boxes.Boxes[0].Caption, L"Confirm");
  EXPECT_EQ(player.PlayerMode(), pmNone);
}
