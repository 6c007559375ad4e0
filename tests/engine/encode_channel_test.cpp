// EncodeChannel over the real DLLs of the program folder: WAV files written
// by the engine, the external encoders' command lines and input (through fake
// encoders that record them), real conversions read back by bass.dll, and the
// failures that must reach the user.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "engine/bass22_dynamic.h"
#include "engine/bassenc22_dynamic.h"
#include "engine/basswma22_dynamic.h"
#include "engine/encode_channel.h"
#include "engine_test_paths.h"
#include "framework/dialogs.h"
#include "test_support.h"
#include "wav_bytes.h"

namespace {

namespace bass = Bass22_dynamic;
namespace enc = BassEnc22_dynamic;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WavBytes;
using testing_support::WavLayout;

uint32_t Le32(const std::string& b, size_t at) {
  return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8 |
         static_cast<uint8_t>(b[at + 2]) << 16 | uint32_t{static_cast<uint8_t>(b[at + 3])} << 24;
}
uint16_t Le16(const std::string& b, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}

// A PCM WAV file of a sine at half scale.
std::string SineWav(uint16_t channels, uint16_t bits, uint32_t rate, size_t frames, double hz) {
  const WavLayout layout{.channels = channels, .rate = rate, .bits = bits};
  return WavBytes(layout, static_cast<uint32_t>(frames), [&](uint32_t i) {
    double v = 0.5 * std::sin(2 * 3.14159265358979323846 * hz * static_cast<double>(i) / rate);
    return bits == 8 ? std::lround(128 + v * 127) : std::lround(v * 32767);
  });
}

struct Box {
  std::wstring text, caption;
  UINT flags;
};

class EncodeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const std::wstring folder = kProgramFolder;
    ASSERT_TRUE(bass::Load_BASSDLL(folder + L"bass.dll"));
    ASSERT_TRUE(enc::Load_BASSENCDLL(folder + L"bassenc.dll"));
    ASSERT_TRUE(BassWMA22_dynamic::Load_BASSWMADLL(folder + L"basswma.dll"));
  }
  static void TearDownTestSuite() {
    enc::Unload_BASSENCDLL();
    BassWMA22_dynamic::Unload_BASSWMADLL();
    bass::Unload_BASSDLL();
  }
  void SetUp() override {
    ASSERT_TRUE(bass::BASS_Init(0, 44100, 0, nullptr, nullptr)) << bass::BASS_ErrorGetCode();
    GetCurrentDirectoryW(MAX_PATH, FOldDir);
    SetEnvironmentVariableW(L"TAVRIN_FAKE_ENCODER_LOG", dir.Path().c_str());
    FOldSink = SetMessageBoxSink([this](HWND, const std::wstring& text, const std::wstring& caption,
                                        UINT flags) {
      boxes.push_back({text, caption, flags});
      return IDOK;
    });
  }
  void TearDown() override {
    SetMessageBoxSink(FOldSink);
    SetCurrentDirectoryW(FOldDir);
    SetEnvironmentVariableW(L"TAVRIN_FAKE_ENCODER_LOG", nullptr);
    SetEnvironmentVariableW(L"TAVRIN_FAKE_ENCODER_EXIT", nullptr);
    bass::BASS_Free();
  }

  DWORD OpenDecoder(const std::wstring& file, DWORD flags = 0) {
    return bass::BASS_StreamCreateFile(FALSE, file.c_str(), 0, 0,
                                       BASS_UNICODE | BASS_STREAM_DECODE | flags);
  }
  DWORD OpenWav(const std::string& bytes, DWORD flags = 0) {
    return OpenDecoder(dir.WriteFile(L"source " + std::to_wstring(++FSources) + L".wav", bytes), flags);
  }
  // Runs the conversion with the fake encoders found in the current folder.
  void UseFakeEncoders() {
    SetCurrentDirectoryW((std::wstring(kTestFolder) + L"engine_fakes\\encoders").c_str());
  }
  void UseRealEncoders() { SetCurrentDirectoryW(kProgramFolder); }
  // A fake encoder's command line by its full path, for tests of bassenc alone.
  static std::wstring FakeEncoder(const wchar_t* exe, const wchar_t* arguments) {
    return L"\"" + std::wstring(kTestFolder) + L"engine_fakes\\encoders\\" + exe + L"\" " + arguments;
  }
  void Encode(DWORD channel, const std::wstring& out, const std::wstring& options, uint8_t format) {
    bool cancel = false;
    EncodeChannel(channel, out, options, cancel, [&](int32_t p) { progress.push_back(p); }, format);
  }

  TempDir dir;
  std::vector<Box> boxes;
  std::vector<int32_t> progress;

 private:
  wchar_t FOldDir[MAX_PATH] = {};
  MessageBoxSink FOldSink;
  int FSources = 0;
};

// All bytes a decoding channel delivers, and its sample count per channel.
std::string DecodeAll(DWORD channel) {
  std::string all;
  char buffer[16384];
  for (int guard = 0; guard < 100000; ++guard) {
    DWORD got = bass::BASS_ChannelGetData(channel, buffer, sizeof(buffer));
    if (got == 0 || got == 0xFFFFFFFF) break;
    all.append(buffer, got);
  }
  return all;
}

// The frequency of 16-bit samples of the first channel, by rising zero
// crossings over the middle of the signal (the ends carry encoder delay).
double MeasuredHz(const std::string& pcm, int channels, uint32_t rate) {
  const size_t frames = pcm.size() / (2 * channels);
  auto sample = [&](size_t i) { return static_cast<int16_t>(Le16(pcm, i * 2 * channels)); };
  size_t from = frames / 4, to = frames * 3 / 4, crossings = 0;
  for (size_t i = from + 1; i < to; ++i)
    if (sample(i - 1) < 0 && sample(i) >= 0) ++crossings;
  return to > from ? crossings * static_cast<double>(rate) / (to - from) : 0;
}

TEST(EncodeProgressTest, PercentIsClampedAndNeverDividesByAFailedLength) {
  constexpr QWORD kFailed = ~QWORD{0};
  const struct {
    QWORD position, length;
    int32_t expected;
  } cases[] = {{0, 100, 0}, {50, 100, 50}, {1, 3, 33}, {100, 100, 100}, {150, 100, 100},
               {10, 0, 0},  {10, kFailed, 0}, {kFailed, 100, 0}, {0, 0, 0}};
  for (const auto& c : cases)
    EXPECT_EQ(EncodeProgressPercent(c.position, c.length), c.expected)
        << c.position << " of " << c.length;
}

TEST(EncoderCommandLineTest, LameAndOggencLinesWithDefaultsAndOptions) {
  const struct {
    uint8_t format;
    const wchar_t* options;
    const wchar_t* out;
    const wchar_t* expected;
  } cases[] = {
      {efMP3, L"", L"C:\\m\\a.mp3", L"lame.exe --preset standard - \"C:\\m\\a.mp3\""},
      {efMP3, L"-b 128 -m j", L"C:\\m\\a.mp3", L"lame.exe -b 128 -m j - \"C:\\m\\a.mp3\""},
      {efOGG, L"", L"C:\\m\\a.ogg", L"oggenc.exe --quality 5 -o \"C:\\m\\a.ogg\" -"},
      {efOGG, L"--bitrate 128", L"C:\\my music\\a b.ogg",
       L"oggenc.exe --bitrate 128 -o \"C:\\my music\\a b.ogg\" -"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(EncoderCommandLine(c.format, c.out, c.options), c.expected) << c.options;
}

TEST_F(EncodeTest, WavHasTheHeaderSizesAndTheChannelsSamples) {
  const struct {
    const char* what;
    uint16_t channels, bits;
    DWORD flags;
  } cases[] = {{"stereo 16-bit", 2, 16, 0}, {"mono 8-bit", 1, 8, BASS_SAMPLE_8BITS}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const size_t frames = 22050 + 17;  // not a whole number of blocks
    const std::string source = SineWav(c.channels, c.bits, 22050, frames, 1000);
    DWORD channel = OpenWav(source, c.flags);
    ASSERT_NE(channel, 0u) << bass::BASS_ErrorGetCode();
    const std::wstring out = dir.File(L"out.wav");
    Encode(channel, out, L"", efWAV);
    bass::BASS_StreamFree(channel);
    const std::string wav = ReadFileBytes(out);
    const uint32_t align = c.channels * c.bits / 8;
    ASSERT_EQ(wav.size(), 44 + frames * align);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(Le32(wav, 4), wav.size() - 8);
    EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(Le32(wav, 16), 16u);
    EXPECT_EQ(Le16(wav, 20), 1);
    EXPECT_EQ(Le16(wav, 22), c.channels);
    EXPECT_EQ(Le32(wav, 24), 22050u);
    EXPECT_EQ(Le32(wav, 28), 22050u * align);
    EXPECT_EQ(Le16(wav, 32), align);
    EXPECT_EQ(Le16(wav, 34), c.bits);
    EXPECT_EQ(wav.substr(36, 4), "data");
    EXPECT_EQ(Le32(wav, 40), wav.size() - 44);
    EXPECT_TRUE(wav.substr(44) == source.substr(44)) << "the samples differ";
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), 100);
    progress.clear();
  }
  EXPECT_TRUE(boxes.empty());
}

TEST_F(EncodeTest, CancelStopsAfterThePassAndTheSizesMatchWhatWasWritten) {
  DWORD channel = OpenWav(SineWav(2, 16, 44100, 44100, 440));
  ASSERT_NE(channel, 0u);
  const std::wstring out = dir.File(L"cancelled.wav");
  bool cancel = false;
  int passes = 0;
  EncodeChannel(channel, out, L"", cancel, [&](int32_t) { ++passes; cancel = true; }, efWAV);
  bass::BASS_StreamFree(channel);
  EXPECT_EQ(passes, 1);
  const std::string wav = ReadFileBytes(out);
  ASSERT_EQ(wav.size(), 44u + 10240u);
  EXPECT_EQ(Le32(wav, 4), 36u + 10240u);
  EXPECT_EQ(Le32(wav, 40), 10240u);
}

TEST_F(EncodeTest, WavThatCannotBeCreatedIsReportedAndTheChannelKeepsItsPlace) {
  DWORD channel = OpenWav(SineWav(2, 16, 44100, 4410, 440));
  ASSERT_NE(channel, 0u);
  Encode(channel, dir.File(L"no such folder\\out.wav"), L"", efWAV);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find(L"out.wav"), std::wstring::npos) << boxes[0].text;
  EXPECT_EQ(bass::BASS_ChannelGetPosition(channel), 0u);
  EXPECT_TRUE(progress.empty());
  bass::BASS_StreamFree(channel);
}

TEST_F(EncodeTest, ExternalEncodersGetTheExactCommandLineAndTheWavData) {
  UseFakeEncoders();
  const struct {
    uint8_t format;
    const wchar_t* options;
    const wchar_t* exe;
    const wchar_t* expected;  // %s: the output path
  } cases[] = {
      {efMP3, L"", L"lame.exe", L"lame.exe --preset standard - \"%s\""},
      {efMP3, L"-V 2 -m s", L"lame.exe", L"lame.exe -V 2 -m s - \"%s\""},
      {efOGG, L"", L"oggenc.exe", L"oggenc.exe --quality 5 -o \"%s\" -"},
      {efOGG, L"--bitrate 96", L"oggenc.exe", L"oggenc.exe --bitrate 96 -o \"%s\" -"},
  };
  const std::string source = SineWav(2, 16, 44100, 30000, 440);
  for (const auto& c : cases) {
    SCOPED_TRACE(std::wstring(c.exe) + L" " + c.options);
    DWORD channel = OpenWav(source);
    ASSERT_NE(channel, 0u);
    const std::wstring out = dir.File(L"with blanks in name.out");
    Encode(channel, out, c.options, c.format);
    bass::BASS_StreamFree(channel);
    std::wstring expected = c.expected;
    expected.replace(expected.find(L"%s"), 2, out);
    const std::string args = ReadFileBytes(dir.File(std::wstring(c.exe) + L".args"));
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(args.data()), args.size() / 2), expected);
    const std::string input = ReadFileBytes(dir.File(std::wstring(c.exe) + L".input"));
    ASSERT_EQ(input.size(), source.size());
    EXPECT_EQ(input.substr(0, 4), "RIFF");
    EXPECT_EQ(input.substr(12, 24), source.substr(12, 24)) << "fmt chunk";
    EXPECT_TRUE(input.substr(44) == source.substr(44)) << "the samples differ";
    EXPECT_TRUE(boxes.empty());
  }
}

TEST_F(EncodeTest, FailuresReachTheUser) {
  enum { kFakes, kNone, kReal };
  const struct {
    const char* what;
    int encoders;
    const wchar_t* exitCode;
    const wchar_t* noRead;
    uint16_t channels;
    uint8_t format;
    const wchar_t* options;
    const wchar_t* expected;
  } cases[] = {
      {"encoder exits with an error", kFakes, L"3", nullptr, 2, efMP3, L"", L"The encoder failed"},
      {"encoder quits without reading", kFakes, nullptr, L"1", 2, efOGG, L"", L"The encoder failed"},
      {"encoder not found", kNone, nullptr, nullptr, 2, efOGG, L"", L"Can't start the encoder"},
      {"oggenc refuses its options", kReal, nullptr, nullptr, 2, efOGG, L"--quality 99",
       L"The encoder failed"},
      {"MP3 of more than two channels", kFakes, nullptr, nullptr, 4, efMP3, L"",
       L"Only stereo or mono input files are allowed !"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    boxes.clear();
    if (c.encoders == kFakes) UseFakeEncoders();
    else if (c.encoders == kReal) UseRealEncoders();
    else SetCurrentDirectoryW(dir.Path().c_str());
    SetEnvironmentVariableW(L"TAVRIN_FAKE_ENCODER_EXIT", c.exitCode);
    SetEnvironmentVariableW(L"TAVRIN_FAKE_ENCODER_NOREAD", c.noRead);
    // Far more than the pipe and the queue hold, so writes outlast a quitter.
    DWORD channel = OpenWav(SineWav(c.channels, 16, 44100, 10 * 44100, 440));
    ASSERT_NE(channel, 0u);
    const std::wstring out = dir.File(L"failed.out");
    Encode(channel, out, c.options, c.format);
    bass::BASS_StreamFree(channel);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(c.expected), std::wstring::npos) << boxes[0].text;
    EXPECT_EQ(GetFileAttributesW(out.c_str()), INVALID_FILE_ATTRIBUTES) << "a file was left";
  }
  // A handle that is no channel: nothing to describe, nothing written.
  boxes.clear();
  const std::wstring out = dir.File(L"nothing.wav");
  Encode(0x12345, out, L"", efWAV);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find(L"Can't read the format"), std::wstring::npos) << boxes[0].text;
  EXPECT_EQ(GetFileAttributesW(out.c_str()), INVALID_FILE_ATTRIBUTES);
  SetEnvironmentVariableW(L"TAVRIN_FAKE_ENCODER_NOREAD", nullptr);
}

// Messages posted to the converting thread while the encoder takes nothing
// for a second at a time: each answered well within that second, the waits
// for the encoder letting them through (a busy machine may delay one a
// little; a wait that held them would delay one by the whole second).
TEST_F(EncodeTest, SlowEncoderHoldsTheFetchingBackButNotTheMessages) {
  UseFakeEncoders();
  SetEnvironmentVariableW(L"TAVRIN_FAKE_ENCODER_WAIT", L"1000");
  // Ten seconds of audio, many times what the queue and the pipe hold.
  const std::string source = SineWav(2, 16, 44100, 10 * 44100, 440);
  DWORD channel = OpenWav(source);
  ASSERT_NE(channel, 0u);
  static DWORD longest = 0;
  longest = 0;
  WNDCLASSW probeClass{};
  probeClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (message != WM_APP) return DefWindowProcW(window, message, wParam, lParam);
    longest = std::max<DWORD>(longest, GetTickCount() - static_cast<DWORD>(lParam));
    return 0;
  };
  probeClass.lpszClassName = L"EncodeTestProbe";
  RegisterClassW(&probeClass);
  HWND probe = CreateWindowW(L"EncodeTestProbe", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  std::atomic<bool> running{true};
  std::thread poster([&] {
    for (; running; Sleep(20)) PostMessageW(probe, WM_APP, 0, static_cast<LPARAM>(GetTickCount()));
  });
  const DWORD start = GetTickCount();
  DWORD lastFetch = 0;
  bool cancel = false;
  EncodeChannel(channel, dir.File(L"slow.mp3"), L"", cancel, [&](int32_t) { lastFetch = GetTickCount(); },
                efMP3);
  running = false;
  poster.join();
  testing_support::PumpPendingMessages();
  DestroyWindow(probe);
  SetEnvironmentVariableW(L"TAVRIN_FAKE_ENCODER_WAIT", nullptr);
  bass::BASS_StreamFree(channel);
  // Without back-pressure every block would be fetched at once and queued.
  EXPECT_GE(lastFetch - start, 800u);
  EXPECT_LT(longest, 500u) << "a posted message waited that long (ms)";
  EXPECT_EQ(ReadFileBytes(dir.File(L"lame.exe.input")).size(), source.size());
  EXPECT_TRUE(boxes.empty());
}

TEST_F(EncodeTest, PausedEncoderSkipsTheChannelsDataButTakesWrites) {
  const std::string source = SineWav(1, 16, 8000, 3000, 440);
  DWORD channel = OpenWav(source);
  ASSERT_NE(channel, 0u);
  // An 8-bit command line, as BASS takes it without BASS_UNICODE.
  const std::wstring line = FakeEncoder(L"oggenc.exe", L"-");
  const std::string narrow(line.begin(), line.end());
  HENCODE encoder = enc::BASS_Encode_Start(channel, narrow.c_str(), BASS_ENCODE_NOHEAD | BASS_ENCODE_PAUSE,
                                           nullptr, nullptr);
  ASSERT_NE(encoder, 0u) << bass::BASS_ErrorGetCode();
  EXPECT_EQ(enc::BASS_Encode_IsActive(channel), BASS_ACTIVE_PAUSED);
  char block[1000];
  ASSERT_EQ(bass::BASS_ChannelGetData(channel, block, sizeof(block)), sizeof(block));  // skipped
  EXPECT_TRUE(enc::BASS_Encode_Write(encoder, "written", 7));
  EXPECT_TRUE(enc::BASS_Encode_SetPaused(channel, FALSE));
  EXPECT_EQ(enc::BASS_Encode_IsActive(encoder), BASS_ACTIVE_PLAYING);
  ASSERT_EQ(bass::BASS_ChannelGetData(channel, block, sizeof(block)), sizeof(block));
  EXPECT_TRUE(enc::BASS_Encode_Stop(channel));
  EXPECT_FALSE(enc::BASS_Encode_IsActive(encoder));
  EXPECT_EQ(bass::BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
  bass::BASS_StreamFree(channel);
  EXPECT_TRUE(ReadFileBytes(dir.File(L"oggenc.exe.input")) == "written" + source.substr(44 + 1000, 1000));
}

TEST_F(EncodeTest, WmaRateThatCannotBeUsedShowsTheRatesAndLeavesNoFile) {
  for (const wchar_t* options : {L"12345", L"fast", L""}) {
    SCOPED_TRACE(options);
    boxes.clear();
    DWORD channel = OpenWav(SineWav(2, 16, 44100, 20000, 440));
    ASSERT_NE(channel, 0u);
    const std::wstring out = dir.File(L"refused.wma");
    Encode(channel, out, options, efWMA);
    EXPECT_EQ(bass::BASS_ChannelGetPosition(channel), 0u);
    bass::BASS_StreamFree(channel);
    EXPECT_EQ(GetFileAttributesW(out.c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text.find(L"Can't initialize WMA encoding to a file"), 0u) << boxes[0].text;
    EXPECT_EQ(boxes[1].caption, L"Information");
    EXPECT_EQ(boxes[1].text,
              L"Only following constant bitrates are available:\r\n320000 bps, 256000 bps, "
              L"192000 bps, 160000 bps, 128000 bps, 96000 bps, 80000 bps, 64000 bps, 48000 bps, "
              L"32000 bps\r\nOnly following variable bitrate quality settings are available:\r\n"
              L"10, 25, 50, 75, 90, 100");
  }
}

TEST_F(EncodeTest, FreeingTheChannelStopsItsEncoder) {
  DWORD channel = OpenWav(SineWav(2, 16, 44100, 44100, 440));
  ASSERT_NE(channel, 0u);
  HENCODE encoder = enc::BASS_Encode_Start(channel, FakeEncoder(L"lame.exe", L"-").c_str(),
                                           BASS_UNICODE, nullptr, nullptr);
  ASSERT_NE(encoder, 0u) << bass::BASS_ErrorGetCode();
  char buffer[4000];
  EXPECT_EQ(bass::BASS_ChannelGetData(channel, buffer, sizeof(buffer)), sizeof(buffer));
  EXPECT_EQ(enc::BASS_Encode_IsActive(encoder), BASS_ACTIVE_PLAYING);
  bass::BASS_StreamFree(channel);
  EXPECT_TRUE(testing_support::PumpMessagesUntil(
      [&] { return enc::BASS_Encode_IsActive(encoder) == BASS_ACTIVE_STOPPED; }, 10000));
  // Stop waits for the encoder program, which may still be writing what it read.
  EXPECT_TRUE(enc::BASS_Encode_Stop(encoder));
  EXPECT_EQ(ReadFileBytes(dir.File(L"lame.exe.input")).size(), 44u + sizeof(buffer));
}

TEST_F(EncodeTest, RealConversionsDecodeToTheSourcesLengthAndFrequency) {
  UseRealEncoders();
  const uint32_t frames = 2 * 44100;
  const std::string source = SineWav(2, 16, 44100, frames, 440);
  const struct {
    uint8_t format;
    const wchar_t* options;
    const wchar_t* file;
    double slack;  // seconds: encoders pad to whole frames
  } cases[] = {{efMP3, L"", L"sine.mp3", 0.06},
               {efOGG, L"--quality 3", L"sine.ogg", 0.06},
               {efOGG, L"--bitrate 96", L"sine abr.ogg", 0.06},
               {efWMA, L"128000", L"sine.wma", 0.1},
               {efWMA, L"50", L"sine vbr.wma", 0.1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    DWORD channel = OpenWav(source);
    ASSERT_NE(channel, 0u);
    const std::wstring out = dir.File(c.file);
    Encode(channel, out, c.options, c.format);
    bass::BASS_StreamFree(channel);
    EXPECT_TRUE(boxes.empty()) << (boxes.empty() ? L"" : boxes[0].text);
    DWORD decoded = c.format == efWMA
                        ? BassWMA22_dynamic::BASS_WMA_StreamCreateFile(FALSE, out.c_str(), 0, 0,
                                                                       BASS_UNICODE | BASS_STREAM_DECODE)
                        : OpenDecoder(out);
    ASSERT_NE(decoded, 0u) << bass::BASS_ErrorGetCode();
    const std::string pcm = DecodeAll(decoded);
    bass::BASS_StreamFree(decoded);
    const double seconds = pcm.size() / 4.0 / 44100;
    EXPECT_NEAR(seconds, 2.0, c.slack);
    EXPECT_NEAR(MeasuredHz(pcm, 2, 44100), 440.0, 3.0);
    boxes.clear();
  }
}

}  // namespace
