#include <gtest/gtest.h>

#include <atomic>
#include <functional>

#include "engine/bass22_dynamic.h"
#include "framework/timer.h"
#include "loopback_server.h"
#include "player_fixture.h"
#include "test_support.h"

using namespace player_test;
using bass_test::LoopbackServer;
using testing_support::PumpMessagesUntil;
using testing_support::TempDir;
namespace bass = Bass22_dynamic;

namespace {

std::string SilentWav(uint32_t rate, uint32_t frames) {
  std::string wav = CdWav(frames);
  for (int i = 0; i < 4; ++i) {
    wav[24 + i] = static_cast<char>(rate >> (8 * i));
    wav[28 + i] = static_cast<char>((rate * 4) >> (8 * i));
  }
  return wav;
}

struct OpenPlayer {
  TempDir Dir;
  std::unique_ptr<TBASSPlayer> Player = MakePlayer();
  explicit OpenPlayer(uint32_t rate = 44100) {
    EXPECT_TRUE(Player->Open(Dir.WriteFile(L"song.wav", SilentWav(rate, rate))));
  }
};

BASS_FXPARAMEQ EQOf(const TBASSPlayer& player, size_t band) {
  BASS_FXPARAMEQ eq{};
  EXPECT_TRUE(bass::BASS_FXGetParameters(player.EQEffect(band), &eq)) << "band " << band;
  return eq;
}

}  // namespace

TEST(PlayerSound, VolumeAndPanAreClampedSpeedFollowsTheChannelRate) {
  OpenPlayer open;
  TBASSPlayer& player = *open.Player;
  player.SetVolume(250);
  EXPECT_EQ(player.Volume(), 100u);
  EXPECT_EQ(bass::BASS_GetConfig(BASS_CONFIG_GVOL_STREAM), 100u);
  EXPECT_EQ(bass::BASS_GetConfig(BASS_CONFIG_GVOL_MUSIC), 100u);
  player.SetVolume(40);
  EXPECT_EQ(bass::BASS_GetConfig(BASS_CONFIG_GVOL_STREAM), 40u);
  EXPECT_EQ(bass::BASS_GetConfig(BASS_CONFIG_GVOL_MUSIC), 40u);
  player.SetVolumeCurve(1);
  EXPECT_EQ(player.VolumeCurve(), 1);
  EXPECT_EQ(bass::BASS_GetConfig(BASS_CONFIG_CURVE_VOL), 1u);

  player.Play();
  player.SetPan(-300);
  EXPECT_EQ(player.Pan(), -100);
  int pan = 0;
  bass::BASS_ChannelGetAttributes(player.Channel(), nullptr, nullptr, &pan);
  EXPECT_EQ(pan, -100);

  struct Case {
    uint32_t rate;
    uint8_t speed;
    DWORD frequency;
  } cases[] = {{44100, 50, 22050}, {44100, 200, 88200}, {22050, 50, 11000}, {22050, 100, 22000}};
  for (const Case& c : cases) {
    // One player at a time: each loads and frees the libraries.
    std::wstring name = L"rate" + std::to_wstring(c.rate) + L"_" + std::to_wstring(c.speed) + L".wav";
    ASSERT_TRUE(player.Open(open.Dir.WriteFile(name, SilentWav(c.rate, c.rate))));
    player.Play();
    player.SetSpeed(c.speed);
    DWORD frequency = 0;
    bass::BASS_ChannelGetAttributes(player.Channel(), &frequency, nullptr, nullptr);
    EXPECT_EQ(frequency, c.frequency) << c.rate << " Hz at " << int(c.speed) << "%";
    EXPECT_EQ(player.Speed(), c.speed);
  }
}

TEST(PlayerSound, SettingsOutsideTheirRangeAreIgnored) {
  auto player = MakePlayer();
  struct Case {
    const char* name;
    std::function<void(uint32_t)> set;
    std::function<uint32_t()> get;
    DWORD config;  // the BASS option that follows, or ~0u
    uint32_t accepted, refused;
  } cases[] = {
      {"buffer", [&](uint32_t v) { player->SetBufferLength(v); }, [&] { return player->BufferLength(); },
       BASS_CONFIG_BUFFER, 5000, 5001},
      {"buffer 0", [&](uint32_t v) { player->SetBufferLength(v); }, [&] { return player->BufferLength(); },
       BASS_CONFIG_BUFFER, 100, 0},
      {"net buffer", [&](uint32_t v) { player->SetNetBufferLength(v); }, [&] { return player->NetBufferLength(); },
       BASS_CONFIG_NET_BUFFER, 1000, 999},
      {"net buffer top", [&](uint32_t v) { player->SetNetBufferLength(v); },
       [&] { return player->NetBufferLength(); }, BASS_CONFIG_NET_BUFFER, 10000, 10001},
      {"vis interval", [&](uint32_t v) { player->SetVisRefreshInterval(static_cast<int32_t>(v)); },
       [&] { return static_cast<uint32_t>(player->VisInterval()); }, ~0u, 1000, 5},
      {"echo", [&](uint32_t v) { player->SetEchoLevel(static_cast<uint16_t>(v)); },
       [&] { return uint32_t{player->EchoLevel()}; }, ~0u, 32, 33},
      {"reverb", [&](uint32_t v) { player->SetReverbLevel(static_cast<uint16_t>(v)); },
       [&] { return uint32_t{player->ReverbLevel()}; }, ~0u, 0, 33},
  };
  for (const Case& c : cases) {
    c.set(c.accepted);
    c.set(c.refused);
    EXPECT_EQ(c.get(), c.accepted) << c.name << ": kept after " << c.refused;
    if (c.config != ~0u) {
      EXPECT_EQ(bass::BASS_GetConfig(c.config), c.accepted) << c.name;
    }
  }
  EXPECT_EQ(player->VisTimer()->Interval(), 1000u);
}

TEST(PlayerSound, EqualiserGainsReachTheTenBandEffects) {
  OpenPlayer open;
  TBASSPlayer& player = *open.Player;
  ASSERT_TRUE(player.EffectsAvailable());
  EXPECT_EQ(player.EQEffect(0), 0u);  // nothing made before the bit is set
  player.SetSoundEffects(1);
  const float centres[10] = {80, 170, 310, 600, 1000, 3000, 6000, 10000, 12000, 14000};
  const float widths[10] = {4, 4, 4, 4, 5, 6, 5, 4, 3, 3};
  TEQGains gains = {20, -20, 3.5f, 0, -1, 15, -15, 7, 0.25f, -9};
  const float expected[10] = {15, -15, 3.5f, 0, -1, 15, -15, 7, 0.25f, -9};
  player.SetEQGains(gains);
  for (size_t b = 0; b < 10; ++b) {
    ASSERT_NE(player.EQEffect(b), 0u) << "band " << b;
    BASS_FXPARAMEQ eq = EQOf(player, b);
    EXPECT_FLOAT_EQ(eq.fCenter, centres[b]) << "band " << b;
    EXPECT_FLOAT_EQ(eq.fBandwidth, widths[b]) << "band " << b;
    EXPECT_FLOAT_EQ(eq.fGain, expected[b]) << "band " << b;
    EXPECT_FLOAT_EQ(player.EQBands()[b].fGain, expected[b]) << "band " << b;
  }
  // Off removes the ten effects; on makes them again with the stored gains.
  player.SetSoundEffects(0);
  for (size_t b = 0; b < 10; ++b) EXPECT_EQ(player.EQEffect(b), 0u) << "band " << b;
  player.SetSoundEffects(1);
  for (size_t b = 0; b < 10; ++b) EXPECT_FLOAT_EQ(EQOf(player, b).fGain, expected[b]) << "band " << b;
  // A new channel gets the effects of the bits already set.
  ASSERT_TRUE(player.Open(open.Dir.WriteFile(L"next.wav", SilentWav(44100, 4410))));
  for (size_t b = 0; b < 10; ++b) EXPECT_FLOAT_EQ(EQOf(player, b).fGain, expected[b]) << "band " << b;
}

TEST(PlayerSound, EchoAndReverbLevelsMapToTheirMixes) {
  OpenPlayer open;
  TBASSPlayer& player = *open.Player;
  player.SetSoundEffects(2 | 4);
  ASSERT_NE(player.EchoEffect(), 0u);
  ASSERT_NE(player.ReverbEffect(), 0u);
  struct Case {
    uint16_t level;
    float wetDry, reverbMix;
  } cases[] = {{0, 0, -16}, {16, 19.2f, -8}, {32, 38.4f, 0}};
  for (const Case& c : cases) {
    player.SetEchoLevel(c.level);
    player.SetReverbLevel(c.level);
    BASS_FXECHO echo{};
    BASS_FXREVERB reverb{};
    ASSERT_TRUE(bass::BASS_FXGetParameters(player.EchoEffect(), &echo));
    ASSERT_TRUE(bass::BASS_FXGetParameters(player.ReverbEffect(), &reverb));
    EXPECT_NEAR(echo.fWetDryMix, c.wetDry, 1e-4) << "level " << c.level;
    EXPECT_FLOAT_EQ(echo.fFeedback, 30) << "level " << c.level;
    EXPECT_FLOAT_EQ(reverb.fReverbMix, c.reverbMix) << "level " << c.level;
    EXPECT_FLOAT_EQ(reverb.fInGain, 0);
    EXPECT_FLOAT_EQ(reverb.fReverbTime, 1000);
    EXPECT_FLOAT_EQ(reverb.fHighFreqRTRatio, 0.1f);
  }
  player.SetSoundEffects(1);
  EXPECT_EQ(player.EchoEffect(), 0u);
  EXPECT_EQ(player.ReverbEffect(), 0u);
}

TEST(PlayerSound, BufferPercentOfADownload) {
  std::string mp3 = testing_support::ReadFileBytes(CodecFixture(L"tone.mp3"));
  ASSERT_FALSE(mp3.empty());
  LoopbackServer server;
  // Half the file, then the rest once the test has looked.
  std::atomic<bool> more{false};
  server.Route("/song.mp3", [&](LoopbackServer::Client& client) {
    std::string head = "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(mp3.size()) + "\r\n\r\n";
    if (!client.Send(head + mp3.substr(0, mp3.size() / 2))) return;
    while (!more) {
      if (!client.Wait(10)) return;
    }
    client.Send(mp3.substr(mp3.size() / 2));
  });
  auto player = MakePlayer();
  EXPECT_EQ(player->GetBufferPercent(), 0.0f);  // no channel: no length
  // A small buffer, so the open returns before the whole file is in.
  player->SetNetBufferLength(1000);
  std::string url = server.Url("/song.mp3");
  ASSERT_TRUE(player->Open(std::wstring(url.begin(), url.end())));
  float half = player->GetBufferPercent();
  EXPECT_GT(half, 0.0f);
  EXPECT_LE(half, 50.1f);
  more = true;
  ASSERT_TRUE(PumpMessagesUntil([&] { return player->GetBufferPercent() == 100.0f; }, 5000))
      << player->GetBufferPercent();
}

TEST(PlayerSound, ProxyDeviceAndFloatOutput) {
  auto player = MakePlayer();
  BoxRecorder boxes;
  player->SetUseProxy(false);
  EXPECT_EQ(bass::BASS_GetConfig(BASS_CONFIG_NET_NOPROXY), 1u);
  player->SetUseProxy(true);
  EXPECT_EQ(bass::BASS_GetConfig(BASS_CONFIG_NET_NOPROXY), 0u);
  EXPECT_EQ(player->GetDevice(), 1);
  EXPECT_FALSE(player->SetDevice(99));
  EXPECT_TRUE(boxes.Boxes.empty());

  // Only channels opened afterwards take floating-point samples.
  TempDir dir;
  std::wstring file = dir.WriteFile(L"song.wav", SilentWav(44100, 4410));
  for (bool floating : {true, false}) {
    player->SetFloatOutput(floating);
    EXPECT_EQ(player->FloatOutput(), floating);
    ASSERT_TRUE(player->Open(file));
    BASS_CHANNELINFO info{};
    ASSERT_TRUE(bass::BASS_ChannelGetInfo(player->Channel(), &info));
    EXPECT_EQ((info.flags & BASS_SAMPLE_FLOAT) != 0, floating) << "flags " << info.flags;
    player->Close();
  }
}
