// bass.dll decoding MP3, MP2 and Ogg Vorbis files made by Debian's encoders,
// and basswma.dll decoding WMA, compared with the native decoders; their tags;
// seeking; and the refusal that lets the player try its next creator.
#include <gtest/gtest.h>
#include <mpg123.h>
#include <vorbis/vorbisfile.h>

#include <cmath>
#include <cstring>

#include "bass/core/samples.h"
#include "codec_fixtures.h"
#include "module_fixtures.h"

using namespace bass_test;

namespace {

using CodecStreams = BassFixture;

HSTREAM OpenFixture(const BassLibrary& b, const std::wstring& name, DWORD flags = BASS_STREAM_DECODE) {
  return b.BASS_StreamCreateFile(FALSE, CodecFixture(name).c_str(), 0, 0, flags | BASS_UNICODE);
}

// The strings of a text tag list, up to the empty one.
std::vector<std::string> TagStrings(const char* list) {
  std::vector<std::string> strings;
  for (const char* p = list; p && *p; p += std::strlen(p) + 1) strings.push_back(p);
  return strings;
}

bool Contains(const std::vector<std::string>& strings, const std::string& wanted) {
  return std::find(strings.begin(), strings.end(), wanted) != strings.end();
}

TEST_F(CodecStreams, DecodeToTheNativeDecodersSamplesWithTheirExactLength) {
  const struct {
    const wchar_t* file;
    const wchar_t* reference;
    DWORD ctype;
  } cases[] = {
      {L"tone.mp3", L"tone_mp3_ref.wav", BASS_CTYPE_STREAM_MP3},
      {L"tone.mp2", L"tone_mp2_ref.wav", BASS_CTYPE_STREAM_MP2},
      {L"tone.ogg", L"tone_ogg_ref.wav", BASS_CTYPE_STREAM_OGG},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "file " << std::string(c.file, c.file + wcslen(c.file)));
    std::vector<int16_t> reference = WavSamples16(ReadCodecFixture(c.reference));
    ASSERT_FALSE(reference.empty());
    HSTREAM s = OpenFixture(b, c.file);
    ASSERT_NE(s, 0u) << Error();
    BASS_CHANNELINFO info{};
    ASSERT_TRUE(b.BASS_ChannelGetInfo(s, &info));
    EXPECT_EQ(info.ctype, c.ctype);
    EXPECT_EQ(info.freq, 44100u);
    EXPECT_EQ(info.chans, 2u);
    EXPECT_EQ(b.BASS_ChannelGetLength(s), reference.size() * 2) << "expected the native decode's length";
    std::vector<int16_t> ours = DecodeAll16(b, s);
    EXPECT_EQ(ours.size(), reference.size());
    // The same library or the same algorithm in float; only the last
    // rounding to 16 bits may differ.
    EXPECT_LE(MaxDifference(ours, reference), 2);
    EXPECT_EQ(b.BASS_ChannelIsActive(s), BASS_ACTIVE_STOPPED);
    EXPECT_TRUE(b.BASS_StreamFree(s));
  }
}

// A file decoded by the library itself, interleaved floats as it gives them.
std::vector<float> LibraryFloats(const std::wstring& file) {
  const std::wstring wide = CodecFixture(file);
  const std::string path(wide.begin(), wide.end());
  std::vector<float> out;
  if (file.ends_with(L".ogg")) {
    OggVorbis_File vf;
    if (ov_fopen(path.c_str(), &vf) != 0) return out;
    const int channels = ov_info(&vf, -1)->channels;
    float** pcm = nullptr;
    int section = 0;
    for (long n; (n = ov_read_float(&vf, &pcm, 4096, &section)) > 0;)
      for (long i = 0; i < n; ++i)
        for (int c = 0; c < channels; ++c) out.push_back(pcm[c][i]);
    ov_clear(&vf);
    return out;
  }
  mpg123_handle* h = mpg123_new(nullptr, nullptr);
  mpg123_param(h, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_FORCE_FLOAT | MPG123_GAPLESS, 0);
  if (mpg123_open(h, path.c_str()) == MPG123_OK) {
    float block[4096];
    size_t bytes = 0;
    int rc;
    do {
      rc = mpg123_read(h, block, sizeof(block), &bytes);
      out.insert(out.end(), block, block + bytes / sizeof(float));
    } while (rc == MPG123_OK || rc == MPG123_NEW_FORMAT);
  }
  mpg123_delete(h);
  return out;
}

template <typename T>
bool SameBits(const std::vector<T>& a, const std::vector<T>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0;
}

TEST_F(CodecStreams, HandOutTheLibrariesOwnSamplesBitForBit) {
  for (const wchar_t* file : {L"tone.mp3", L"tone.ogg"}) {
    SCOPED_TRACE(testing::Message() << "file " << std::string(file, file + wcslen(file)));
    const std::vector<float> library = LibraryFloats(file);
    ASSERT_EQ(library.size(), kToneFrames * 2);
    HSTREAM s = OpenFixture(b, file);
    ASSERT_NE(s, 0u) << Error();
    std::vector<float> floats(library.size() + 1000);
    size_t got = 0;
    while (got < floats.size()) {
      const size_t room = std::min<size_t>(30000, (floats.size() - got) * sizeof(float));
      const DWORD n = b.BASS_ChannelGetData(s, &floats[got], static_cast<DWORD>(room) | BASS_DATA_FLOAT);
      if (n == 0 || n == DWORD(-1)) break;
      got += n / sizeof(float);
    }
    floats.resize(got);
    EXPECT_TRUE(SameBits(floats, library));
    b.BASS_StreamFree(s);
    // The 16-bit samples are those floats rounded, as the conversion's own
    // test pins down.
    std::vector<int16_t> expected(library.size());
    bass_core::EncodeSamples(library.data(), library.size(), bass_core::SampleFormat::kSigned16, expected.data());
    s = OpenFixture(b, file);
    ASSERT_NE(s, 0u) << Error();
    EXPECT_TRUE(SameBits(DecodeAll16(b, s), expected));
    b.BASS_StreamFree(s);
  }
}

TEST_F(CodecStreams, SeekingLandsOnTheRequestedSample) {
  const struct {
    const wchar_t* file;
    const wchar_t* reference;
  } cases[] = {{L"tone.mp3", L"tone_mp3_ref.wav"}, {L"tone.ogg", L"tone_ogg_ref.wav"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "file " << std::string(c.file, c.file + wcslen(c.file)));
    std::vector<int16_t> reference = WavSamples16(ReadCodecFixture(c.reference));
    HSTREAM s = OpenFixture(b, c.file);
    ASSERT_NE(s, 0u) << Error();
    for (QWORD frame : {QWORD{100000}, QWORD{1000}, QWORD{66150}, QWORD{0}}) {
      ASSERT_TRUE(b.BASS_ChannelSetPosition(s, frame * 4)) << frame << " code " << Error();
      EXPECT_EQ(b.BASS_ChannelGetPosition(s), frame * 4);
      std::vector<int16_t> block(4096);
      ASSERT_EQ(b.BASS_ChannelGetData(s, block.data(), 8192), 8192u);
      EXPECT_LE(MaxDifference(block, reference, frame * 2), 2) << "after seeking to frame " << frame;
    }
    EXPECT_FALSE(b.BASS_ChannelSetPosition(s, (kToneFrames + 1) * 4));
    EXPECT_EQ(Error(), BASS_ERROR_POSITION);
  }
}

TEST_F(CodecStreams, PlayThroughTheMixerAtTheDeviceRate) {
  HSTREAM s = OpenFixture(b, L"tone.ogg", 0);
  ASSERT_NE(s, 0u) << Error();
  ASSERT_TRUE(b.BASS_ChannelPlay(s, FALSE));
  Advance(44100);
  std::vector<int16_t> heard = Captured();
  ASSERT_GE(heard.size(), 2u * 44100);
  // 440 Hz on the left and 1000 Hz on the right, both at -6 dB.
  EXPECT_GT(Peak(heard, 2 * 4410, 2 * 44100), 15000);
  EXPECT_NEAR(b.BASS_ChannelBytes2Seconds(s, b.BASS_ChannelGetPosition(s)), 1.0, 0.05);
}

TEST_F(CodecStreams, HandOutTheirTagsInTheDocumentedForms) {
  HSTREAM tagged = OpenFixture(b, L"tagged.mp3");
  ASSERT_NE(tagged, 0u) << Error();
  const char* v1 = b.BASS_StreamGetTags(tagged, BASS_TAG_ID3);
  ASSERT_NE(v1, nullptr) << Error();
  EXPECT_EQ(std::string(v1, 3), "TAG");
  EXPECT_EQ(std::string(v1 + 3), "Tagged Title");
  EXPECT_EQ(v1[128], 0);
  EXPECT_EQ(v1[129], 0);
  const char* v2 = b.BASS_StreamGetTags(tagged, BASS_TAG_ID3V2);
  ASSERT_NE(v2, nullptr) << Error();
  EXPECT_EQ(std::string(v2, 3), "ID3");
  const size_t v2Size = 10 + ((v2[6] & 0x7F) << 21 | (v2[7] & 0x7F) << 14 | (v2[8] & 0x7F) << 7 | (v2[9] & 0x7F));
  const std::string file = ReadCodecFixture(L"tagged.mp3");
  EXPECT_EQ(std::memcmp(v2, file.data(), v2Size), 0);
  EXPECT_EQ(v2[v2Size], 0);
  EXPECT_EQ(v2[v2Size + 1], 0);
  EXPECT_NE(std::string(v2, v2Size).find("TPE1"), std::string::npos) << "the artist's frame";

  HSTREAM plain = OpenFixture(b, L"tone.mp3");
  EXPECT_EQ(b.BASS_StreamGetTags(plain, BASS_TAG_ID3), nullptr);
  EXPECT_EQ(Error(), BASS_ERROR_NOTAVAIL);
  EXPECT_EQ(b.BASS_StreamGetTags(plain, BASS_TAG_OGG), nullptr);
  EXPECT_EQ(Error(), BASS_ERROR_NOTAVAIL);

  HSTREAM ogg = OpenFixture(b, L"tone.ogg");
  std::vector<std::string> comments = TagStrings(b.BASS_StreamGetTags(ogg, BASS_TAG_OGG));
  // As the file holds them: oggenc writes lower-case names.
  EXPECT_TRUE(Contains(comments, "title=Ogg Title"));
  EXPECT_TRUE(Contains(comments, "artist=Ogg Artist"));
  EXPECT_TRUE(Contains(comments, "COMMENT=\xC3\xBCn\xC3\xAF" "code")) << "comments stay UTF-8";
  EXPECT_EQ(b.BASS_StreamGetTags(ogg, BASS_TAG_ID3V2), nullptr);
  EXPECT_EQ(Error(), BASS_ERROR_NOTAVAIL);
  EXPECT_EQ(b.BASS_StreamGetTags(ogg, 6), nullptr);
  EXPECT_EQ(b.BASS_StreamGetTags(0, BASS_TAG_OGG), nullptr);
  EXPECT_EQ(Error(), BASS_ERROR_HANDLE);
}

TEST_F(CodecStreams, WmaFilesAndModulesAreLeftToTheOtherCreators) {
  const std::string mod = MakeMod("not a stream");
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"WMA", ReadCodecFixture(L"tone.wma")},
      {"MOD", mod},
      {"XM", MakeXm("not a stream")},
      {"S3M", MakeS3m("not a stream")},
  };
  for (const auto& c : cases) {
    std::wstring name = dir.WriteFile(L"refused.bin", c.bytes);
    EXPECT_EQ(b.BASS_StreamCreateFile(FALSE, name.c_str(), 0, 0, BASS_UNICODE), 0u) << c.what;
    EXPECT_EQ(Error(), BASS_ERROR_FILEFORM) << c.what;
  }
}

TEST_F(CodecStreams, WmaDecodesThroughBassChannelsWithItsLengthSpectrumAndAttributes) {
  auto create = WmaStreamCreateFile();
  ASSERT_NE(create, nullptr) << "basswma.dll not found beside the tests";
  const std::wstring wma = CodecFixture(L"tone.wma");
  // The flags the player passes for WMA: BASS_SAMPLE_LOOP's bit must not loop.
  HSTREAM s = create(FALSE, wma.c_str(), 0, 0, BASS_UNICODE | BASS_SAMPLE_LOOP | BASS_STREAM_DECODE);
  ASSERT_NE(s, 0u) << Error();
  EXPECT_EQ(Error(), BASS_OK);
  BASS_CHANNELINFO info{};
  ASSERT_TRUE(b.BASS_ChannelGetInfo(s, &info));
  EXPECT_EQ(info.ctype, DWORD{BASS_CTYPE_STREAM_WMA});
  EXPECT_EQ(info.freq, 44100u);
  EXPECT_EQ(info.chans, 2u);
  EXPECT_EQ(info.flags & BASS_SAMPLE_LOOP, 0u);
  const QWORD length = b.BASS_ChannelGetLength(s);
  EXPECT_NEAR(static_cast<double>(length) / 4, kToneFrames, 2048.0) << "within one WMA frame";

  std::vector<std::string> attributes = TagStrings(b.BASS_StreamGetTags(s, BASS_TAG_ID3V2));
  EXPECT_TRUE(Contains(attributes, "FileSize : " + std::to_string(ReadCodecFixture(L"tone.wma").size())));
  EXPECT_TRUE(Contains(attributes, "Bitrate : 128000"));
  EXPECT_TRUE(Contains(attributes, "Title : WMA Title"));
  EXPECT_TRUE(Contains(attributes, "Author : WMA Artist"));

  // The spectrum one second in matches the original's: the same peaks.
  HSTREAM original = OpenFixture(b, L"tone.wav");
  std::vector<int16_t> skip(44100 * 2);
  for (HSTREAM h : {s, original}) ASSERT_EQ(b.BASS_ChannelGetData(h, skip.data(), 44100 * 4), 44100u * 4);
  std::vector<float> ours(1024), theirs(1024);
  ASSERT_NE(b.BASS_ChannelGetData(s, ours.data(), BASS_DATA_FFT2048), DWORD(-1));
  ASSERT_NE(b.BASS_ChannelGetData(original, theirs.data(), BASS_DATA_FFT2048), DWORD(-1));
  for (int bin : {20, 46}) {  // 440 Hz and 1000 Hz at 21.5 Hz a bin
    float peakOurs = std::max({ours[bin - 1], ours[bin], ours[bin + 1]});
    float peakTheirs = std::max({theirs[bin - 1], theirs[bin], theirs[bin + 1]});
    EXPECT_NEAR(20 * std::log10(peakOurs / peakTheirs), 0.0, 1.0) << "bin " << bin;
  }
  for (int bin : {10, 33, 80, 200}) EXPECT_LT(ours[bin], 0.01f) << "bin " << bin;

  // The header's length holds the encoder's padding; ffmpeg's encoder leaves
  // out the last partial frame. Both stay within a frame of the source.
  std::vector<int16_t> rest = DecodeAll16(b, s);
  EXPECT_NEAR(44100.0 + rest.size() / 2, kToneFrames, 2048.0) << "decodes it once, without looping";
  EXPECT_EQ(b.BASS_ChannelIsActive(s), BASS_ACTIVE_STOPPED);
  EXPECT_TRUE(b.BASS_StreamFree(s));
}

TEST_F(CodecStreams, WmaCreationFailsWithDefinedCodes) {
  auto create = WmaStreamCreateFile();
  ASSERT_NE(create, nullptr);
  const struct {
    const char* what;
    std::wstring name;
    int code;
  } cases[] = {
      {"URL", L"mms://example.invalid/stream", BASS_ERROR_FILEFORM},
      {"missing file", dir.File(L"missing.wma"), BASS_ERROR_FILEOPEN},
      {"MP3 file", CodecFixture(L"tone.mp3"), BASS_ERROR_FILEFORM},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(create(FALSE, c.name.c_str(), 0, 0, BASS_UNICODE), 0u) << c.what;
    EXPECT_EQ(Error(), c.code) << c.what;
  }
  const std::string bytes = ReadCodecFixture(L"tone.wma");
  HSTREAM fromMemory = create(TRUE, bytes.data(), 0, bytes.size(), BASS_STREAM_DECODE);
  EXPECT_NE(fromMemory, 0u) << Error();
  b.BASS_Free();
  EXPECT_EQ(create(FALSE, CodecFixture(L"tone.wma").c_str(), 0, 0, BASS_UNICODE), 0u);
  EXPECT_EQ(Error(), BASS_ERROR_INIT);
}

}  // namespace
