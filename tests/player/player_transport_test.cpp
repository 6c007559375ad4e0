#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/bass22_dynamic.h"
#include "player_fixture.h"
#include "test_support.h"

using namespace player_test;
using testing_support::PumpMessagesUntil;

namespace {

class PlayerTransport : public ::testing::Test {
 protected:
  void SetUp() override {
    player = MakePlayer();
    ASSERT_TRUE(player->Open(dir.WriteFile(L"two.wav", CdWav(88200))));
  }
  testing_support::TempDir dir;
  std::unique_ptr<TBASSPlayer> player;
};

}  // namespace

TEST_F(PlayerTransport, ModesFollowPlayPauseResumeStop) {
  struct Step {
    const char* action;
    uint8_t mode;
  } steps[] = {
      {"pause", pmOpened},   // nothing plays yet
      {"stop", pmOpened},
      {"play", pmPlaying},
      {"play", pmPlaying},   // play while playing does nothing
      {"pause", pmPaused},
      {"stop", pmPaused},    // a paused channel is not stopped
      {"pause", pmPaused},
      {"play", pmPlaying},   // resumes
      {"resume", pmPlaying},
      {"stop", pmStopped},
      {"pause", pmStopped},  // pause while stopped does nothing
      {"resume", pmStopped},
      {"play", pmPlaying},
  };
  for (const Step& s : steps) {
    std::string a = s.action;
    if (a == "play") player->Play();
    if (a == "pause") player->Pause(true);
    if (a == "resume") player->Pause(false);
    if (a == "stop") player->Stop();
    EXPECT_EQ(player->PlayerMode(), s.mode) << "after " << a;
  }
}

TEST_F(PlayerTransport, PositionSeekAndLength) {
  EXPECT_EQ(player->GetLength(), 2000u);
  player->Play();
  Advance(44100);
  EXPECT_NEAR(static_cast<double>(player->GetPosition()), 1000.0, 50.0);
  player->SetPosition(500);
  EXPECT_NEAR(static_cast<double>(player->GetPosition()), 500.0, 5.0);
  player->SetPosition(2500);  // beyond the length: ignored
  EXPECT_NEAR(static_cast<double>(player->GetPosition()), 500.0, 5.0);
  player->SetPosition(0);
  EXPECT_EQ(player->GetPosition(), 0u);
  // Stop, then play again: from the start.
  Advance(22050);
  player->Stop();
  player->Play();
  EXPECT_LT(player->GetPosition(), 50u);
}

TEST_F(PlayerTransport, TheEndOfTheStreamStopsAndRaisesOnPlayEnd) {
  int ends = 0;
  player->SetOnPlayEnd([&](TObject* sender) {
    EXPECT_EQ(sender, player.get());
    ++ends;
  });
  player->Play();
  Advance(88200 + 4410);
  EXPECT_TRUE(PumpMessagesUntil([&] { return ends == 1; }, 3000));
  EXPECT_EQ(player->PlayerMode(), pmStopped);
  player->Play();  // from 2: back to the start
  EXPECT_EQ(player->PlayerMode(), pmPlaying);
  EXPECT_LT(player->GetPosition(), 50u);
}

TEST_F(PlayerTransport, TheFirstPlayAppliesPanAndSpeedAndReadsTheBaseFrequency) {
  player->SetPan(-300);
  EXPECT_EQ(player->Pan(), -100);
  player->SetPan(-40);
  player->Play();
  EXPECT_EQ(player->BaseFrequency(), 44100u);
  DWORD freq = 0;
  int pan = 0;
  ASSERT_TRUE(Bass22_dynamic::BASS_ChannelGetAttributes(player->Channel(), &freq, nullptr, &pan));
  EXPECT_EQ(pan, -40);
  EXPECT_EQ(freq, 44100u);
}

TEST(PlayerWindow, AnswersTheEndOfSessionQuery) {
  auto player = MakePlayer();
  EXPECT_EQ(SendMessageW(player->MessageWindow(), WM_QUERYENDSESSION, 0, 0), 1);
  EXPECT_EQ(SendMessageW(player->MessageWindow(), WM_USER + 77, 0, 0), 0);
}

TEST(PlayerTeardown, TheAddOnLoaderIsJoinedBeforeTheLibrariesGo) {
  // A program folder of its own, so its Plugins folder holds an add-on for
  // the loader thread to hand to bass.dll while the player is torn down.
  testing_support::TempDir folder;
  for (const wchar_t* dll : {L"bass.dll", L"basswma.dll", L"basscd.dll", L"bassenc.dll"}) {
    ASSERT_TRUE(CopyFileW((std::wstring(TAVRIN_PROGRAM_FOLDER) + dll).c_str(), folder.File(dll).c_str(), FALSE));
  }
  CreateDirectoryW(folder.File(L"Plugins").c_str(), nullptr);
  for (int i = 0; i < 8; ++i) {
    std::wstring name = L"Plugins\\bass_addon" + std::to_wstring(i) + L".dll";
    ASSERT_TRUE(CopyFileW((std::wstring(TAVRIN_PLUGIN_FOLDER) + L"bass_addon_test.dll").c_str(),
                          folder.File(name).c_str(), FALSE));
  }
  SetEnvironmentVariableW(L"TAVRIN_BASS_OUTPUT", L"null");
  for (int round = 0; round < 5; ++round) {
    auto player = std::make_unique<TBASSPlayer>(nullptr, folder.Path());
    ASSERT_TRUE(player->BASSReady());
    player.reset();  // at once, while the loader may still run
    EXPECT_EQ(GetModuleHandleW(folder.File(L"bass.dll").c_str()), nullptr);
  }
}
