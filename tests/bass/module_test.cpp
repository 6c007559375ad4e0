// bass.dll's tracker modules: tiny MOD, XM and S3M songs written in code play
// their note, report their names, types and lengths, seek, and follow the
// music volume.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "codec_fixtures.h"
#include "module_fixtures.h"

using namespace bass_test;

namespace {

using Modules = BassFixture;

// The flags the player passes for a module, with a decoding channel.
constexpr DWORD kPlayerFlags = BASS_UNICODE | BASS_MUSIC_PRESCAN | BASS_MUSIC_RAMPS;

struct ModuleCase {
  const char* format;
  std::string (*make)(const std::string&);
  DWORD ctype;
  double tone;
};

const ModuleCase kModules[] = {
    {"MOD", MakeMod, BASS_CTYPE_MUSIC_MOD, kModTone},
    {"XM", MakeXm, BASS_CTYPE_MUSIC_XM, kXmTone},
    {"S3M", MakeS3m, BASS_CTYPE_MUSIC_S3M, kS3mTone},
};

TEST_F(Modules, PlayTheirNoteAndReportNameTypeAndLength) {
  for (const auto& m : kModules) {
    SCOPED_TRACE(m.format);
    const std::string title = std::string("Tavrin ") + m.format;
    std::wstring name = dir.WriteFile(L"song.bin", m.make(title));
    HMUSIC music = b.BASS_MusicLoad(FALSE, name.c_str(), 0, 0, kPlayerFlags | BASS_MUSIC_DECODE, 0);
    ASSERT_NE(music, 0u) << Error();
    const char* got = b.BASS_MusicGetName(music);
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(std::string(got), title);
    BASS_CHANNELINFO info{};
    ASSERT_TRUE(b.BASS_ChannelGetInfo(music, &info));
    EXPECT_EQ(info.ctype, m.ctype);
    EXPECT_EQ(info.freq, 44100u) << "frequency 0 is the device's rate";
    EXPECT_EQ(info.chans, 2u);
    const QWORD length = b.BASS_ChannelGetLength(music);
    EXPECT_EQ(length, QWORD(std::llround(kModuleSeconds * 44100)) * 4);
    // What the playlist does to measure a module.
    EXPECT_EQ(std::trunc(b.BASS_ChannelBytes2Seconds(music, length)), 1.0);

    std::vector<int16_t> pcm = DecodeAll16(b, music);
    EXPECT_EQ(pcm.size() * 2, length) << "decodes exactly its length";
    EXPECT_NEAR(ToneFrequency(pcm, 44100, 4410, 44100), m.tone, m.tone * 0.01);
    EXPECT_GT(Peak(pcm, 2 * 4410, 2 * 8820), 1000);
    EXPECT_TRUE(b.BASS_MusicFree(music));
    EXPECT_FALSE(b.BASS_MusicFree(music));
    EXPECT_EQ(Error(), BASS_ERROR_HANDLE);
  }
}

TEST_F(Modules, LoadFromMemoryAtAChosenRateInMono) {
  const std::string song = MakeXm("memory");
  HMUSIC music = b.BASS_MusicLoad(TRUE, song.data(), 0, static_cast<DWORD>(song.size()),
                                  BASS_MUSIC_DECODE | BASS_MUSIC_MONO | BASS_MUSIC_FLOAT, 22050);
  ASSERT_NE(music, 0u) << Error();
  BASS_CHANNELINFO info{};
  ASSERT_TRUE(b.BASS_ChannelGetInfo(music, &info));
  EXPECT_EQ(info.freq, 22050u);
  EXPECT_EQ(info.chans, 1u);
  EXPECT_EQ(b.BASS_ChannelGetLength(music), QWORD(std::llround(kModuleSeconds * 22050)) * 4);
  EXPECT_NEAR(b.BASS_ChannelBytes2Seconds(music, b.BASS_ChannelGetLength(music)), kModuleSeconds, 1e-3);
  EXPECT_EQ(std::string(b.BASS_MusicGetName(music)), "memory");
}

TEST_F(Modules, SeekToABytePositionAndPlayOnFromThere) {
  std::wstring name = dir.WriteFile(L"song.s3m", MakeS3m("seek"));
  HMUSIC music = b.BASS_MusicLoad(FALSE, name.c_str(), 0, 0, kPlayerFlags | BASS_MUSIC_DECODE, 0);
  ASSERT_NE(music, 0u) << Error();
  const QWORD target = 44100 * 4;  // one second in
  ASSERT_TRUE(b.BASS_ChannelSetPosition(music, target)) << Error();
  EXPECT_EQ(b.BASS_ChannelGetPosition(music), target);
  std::vector<int16_t> rest = DecodeAll16(b, music);
  EXPECT_EQ(rest.size() * 2, b.BASS_ChannelGetLength(music) - target);
  // The note started before the target still sounds after the seek.
  EXPECT_NEAR(ToneFrequency(rest, 44100, 0, 22050), kS3mTone, kS3mTone * 0.01);
  EXPECT_FALSE(b.BASS_ChannelSetPosition(music, b.BASS_ChannelGetLength(music) + 4));
  EXPECT_EQ(Error(), BASS_ERROR_POSITION);
}

TEST_F(Modules, FollowTheMusicVolumeAndNotTheStreamVolume) {
  std::wstring name = dir.WriteFile(L"song.mod", MakeMod("volume"));
  auto playPeak = [&](size_t from) {
    HMUSIC music = b.BASS_MusicLoad(FALSE, name.c_str(), 0, 0, kPlayerFlags, 0);
    EXPECT_TRUE(b.BASS_ChannelPlay(music, FALSE)) << Error();
    Advance(8820);
    b.BASS_MusicFree(music);
    return Peak(Captured(), from + 2 * 2205, from + 2 * 8820);
  };
  const int full = playPeak(0);
  ASSERT_GT(full, 1000);
  ASSERT_NE(b.BASS_SetConfig(BASS_CONFIG_GVOL_MUSIC, 50), DWORD(-1));
  ASSERT_NE(b.BASS_SetConfig(BASS_CONFIG_GVOL_STREAM, 0), DWORD(-1));
  const int half = playPeak(2 * 8820);
  EXPECT_NEAR(half, full / 2, full / 50) << "full " << full;
  b.BASS_SetConfig(BASS_CONFIG_GVOL_MUSIC, 100);
  b.BASS_SetConfig(BASS_CONFIG_GVOL_STREAM, 100);
}

TEST_F(Modules, MusicCallsRefuseStreamsAndBadArguments) {
  HSTREAM stream = b.BASS_StreamCreateFile(FALSE, CodecFixture(L"tone.ogg").c_str(), 0, 0,
                                           BASS_UNICODE | BASS_STREAM_DECODE);
  ASSERT_NE(stream, 0u);
  const std::string song = MakeMod("args");
  const struct {
    const char* what;
    std::function<bool()> failed;
    int code;
  } cases[] = {
      {"name of a stream", [&] { return b.BASS_MusicGetName(stream) == nullptr; }, BASS_ERROR_HANDLE},
      {"free of a stream", [&] { return !b.BASS_MusicFree(stream); }, BASS_ERROR_HANDLE},
      {"an MP3 file as a module",
       [&] { return !b.BASS_MusicLoad(FALSE, CodecFixture(L"tone.mp3").c_str(), 0, 0, BASS_UNICODE, 0); },
       BASS_ERROR_FILEFORM},
      {"missing file",
       [&] { return !b.BASS_MusicLoad(FALSE, dir.File(L"none.mod").c_str(), 0, 0, BASS_UNICODE, 0); },
       BASS_ERROR_FILEOPEN},
      {"empty memory block", [&] { return !b.BASS_MusicLoad(TRUE, song.data(), 0, 0, 0, 0); }, BASS_ERROR_ILLPARAM},
      {"rate too low",
       [&] { return !b.BASS_MusicLoad(TRUE, song.data(), 0, DWORD(song.size()), 0, 50); }, BASS_ERROR_FREQ},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(c.failed()) << c.what;
    EXPECT_EQ(Error(), c.code) << c.what;
  }
  HMUSIC music = b.BASS_MusicLoad(TRUE, song.data(), 0, DWORD(song.size()), BASS_MUSIC_DECODE, 0);
  ASSERT_NE(music, 0u);
  EXPECT_EQ(b.BASS_MusicGetOrders(music), DWORD(-1));
  EXPECT_EQ(Error(), BASS_ERROR_NOTAVAIL);
  EXPECT_FALSE(b.BASS_MusicSetAttribute(music, 0, 50));
  EXPECT_EQ(Error(), BASS_ERROR_NOTAVAIL);
}

}  // namespace
