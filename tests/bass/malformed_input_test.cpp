// Damaged and false files given to every creator: each opens with a clean
// error or plays what is valid, and decoding always ends.
#include <gtest/gtest.h>

#include <random>

#include "codec_fixtures.h"
#include "module_fixtures.h"

using namespace bass_test;

namespace {

using MalformedInput = BassFixture;

enum class Creator { kStream, kMusic, kWma };

std::string Noise(size_t bytes, uint32_t seed) {
  std::mt19937 random(seed);
  std::string s(bytes, '\0');
  for (auto& c : s) c = static_cast<char>(random());
  return s;
}

// MPEG frame headers at irregular distances: syncs that never chain.
std::string FalseSyncs() {
  std::string s = Noise(65536, 7);
  std::mt19937 random(11);
  for (size_t at = 0; at + 4 < s.size(); at += 100 + random() % 700) s.replace(at, 4, "\xFF\xFB\x90\x64");
  return s;
}

std::string Corrupted(std::string s, size_t from, size_t count) {
  for (size_t i = from; i < from + count && i < s.size(); ++i) s[i] = static_cast<char>(~s[i]);
  return s;
}

TEST_F(MalformedInput, OpensWithACleanErrorOrPlaysWhatIsValid) {
  auto wma = WmaStreamCreateFile();
  ASSERT_NE(wma, nullptr);
  const std::string mp3 = ReadCodecFixture(L"tone.mp3"), ogg = ReadCodecFixture(L"tone.ogg"),
                    wmaFile = ReadCodecFixture(L"tone.wma");
  std::string id3Alone = std::string("ID3\x03\x00\x00\x00\x00\x10\x00", 10) + std::string(2048, '\0');
  std::string id3Huge = std::string("ID3\x03\x00\x00\x7F\x7F\x7F\x7F", 10) + Noise(4096, 3);
  const struct {
    const char* what;
    Creator creator;
    std::string bytes;
    bool plays;  // some audio must come out
  } cases[] = {
      {"MP3 cut in half", Creator::kStream, mp3.substr(0, mp3.size() / 2), true},
      {"MP3 cut inside a frame", Creator::kStream, mp3.substr(0, 10001), true},
      {"MP3 damaged in the middle", Creator::kStream, Corrupted(mp3, 20000, 3000), true},
      {"false frame syncs", Creator::kStream, FalseSyncs(), false},
      {"ID3v2 tag with nothing after it", Creator::kStream, id3Alone, false},
      {"ID3v2 tag claiming more than the file", Creator::kStream, id3Huge, false},
      {"Ogg with broken pages", Creator::kStream, Corrupted(ogg, 6000, 500), true},
      {"Ogg cut in the headers", Creator::kStream, ogg.substr(0, 3000), false},
      {"Ogg cut after some pages", Creator::kStream, ogg.substr(0, ogg.size() * 3 / 4), true},
      {"Ogg page mark then noise", Creator::kStream, "OggS" + Noise(8192, 5), false},
      {"empty file", Creator::kStream, "", false},
      {"noise as a module", Creator::kMusic, Noise(4096, 1), false},
      {"XM header then noise", Creator::kMusic, "Extended Module: " + Noise(4096, 2), false},
      {"MOD cut in its pattern", Creator::kMusic, MakeMod("cut").substr(0, 1100), false},
      {"S3M header then noise", Creator::kMusic, MakeS3m("s3m").substr(0, 96) + Noise(2048, 4), false},
      {"WMA header cut short", Creator::kWma, wmaFile.substr(0, 100), false},
      {"WMA cut in the header", Creator::kWma, wmaFile.substr(0, 3000), false},
      {"WMA cut in half", Creator::kWma, wmaFile.substr(0, wmaFile.size() / 2), true},
      {"WMA damaged in the middle", Creator::kWma, Corrupted(wmaFile, 20000, 2000), true},
  };
  int index = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::wstring name = dir.WriteFile(L"bad" + std::to_wstring(index++) + L".bin", c.bytes);
    DWORD handle = 0;
    switch (c.creator) {
      case Creator::kStream:
        handle = b.BASS_StreamCreateFile(FALSE, name.c_str(), 0, 0, BASS_UNICODE | BASS_STREAM_DECODE);
        break;
      case Creator::kMusic:
        handle = b.BASS_MusicLoad(FALSE, name.c_str(), 0, 0, BASS_UNICODE | BASS_MUSIC_DECODE, 0);
        break;
      case Creator::kWma:
        handle = wma(FALSE, name.c_str(), 0, 0, BASS_UNICODE | BASS_STREAM_DECODE);
        break;
    }
    if (handle == 0) {
      EXPECT_FALSE(c.plays) << "refused with code " << Error();
      EXPECT_EQ(Error(), BASS_ERROR_FILEFORM);
      continue;
    }
    // Bounded: far more than any of these files could hold.
    const size_t cap = 16u << 20;
    std::vector<int16_t> pcm = DecodeAll16(b, handle, cap);
    EXPECT_LT(pcm.size() * 2, cap) << "decoding ended";
    if (c.plays) {
      EXPECT_GT(pcm.size(), 44100u) << "plays what is valid";
    }
    EXPECT_EQ(b.BASS_ChannelIsActive(handle), BASS_ACTIVE_STOPPED);
    b.BASS_StreamFree(handle);
  }
}

}  // namespace
