// bass.dll set-up: version, devices, initialisation, configuration, handles
// and opening files.
#include <gtest/gtest.h>

#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include "bass_library.h"
#include "wav_fixtures.h"

using namespace bass_test;

namespace {

class BassSetup : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(b.module, nullptr);
    ASSERT_TRUE(b.BASS_Test_SetOutput(L"null", L"manual"));
  }
  void TearDown() override {
    b.BASS_Free();
    b.BASS_Test_SetOutput(nullptr, nullptr);
  }
  int Error() const { return b.BASS_ErrorGetCode(); }
  const BassLibrary& b = Bass();
};

size_t ThreadsOfThisProcess() {
  size_t count = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    count += entry.th32OwnerProcessID == GetCurrentProcessId();
  CloseHandle(snapshot);
  return count;
}

TEST_F(BassSetup, VersionAndDevices) {
  EXPECT_EQ(b.BASS_GetVersion(), 0x20002u);
  EXPECT_STREQ(b.BASS_GetDeviceDescription(0), "No sound");
  EXPECT_STREQ(b.BASS_GetDeviceDescription(1), "Default sound device");
  EXPECT_EQ(b.BASS_GetDeviceDescription(2), nullptr);
  EXPECT_EQ(Error(), BASS_ERROR_DEVICE);
}

TEST_F(BassSetup, EverythingWaitsForInit) {
  EXPECT_EQ(b.BASS_GetDevice(), DWORD(-1));
  EXPECT_EQ(Error(), BASS_ERROR_INIT);
  EXPECT_EQ(b.BASS_StreamCreateFile(FALSE, "x.wav", 0, 0, 0), 0u);
  EXPECT_EQ(Error(), BASS_ERROR_INIT);
  EXPECT_FALSE(b.BASS_ChannelPlay(1, FALSE));
  EXPECT_EQ(Error(), BASS_ERROR_INIT);
  BASS_INFO info;
  EXPECT_FALSE(b.BASS_GetInfo(&info));
  EXPECT_EQ(b.BASS_GetVolume(), DWORD(-1));
  EXPECT_FALSE(b.BASS_Test_AdvanceClock(100));
  EXPECT_EQ(Error(), BASS_ERROR_INIT);
  EXPECT_FALSE(b.BASS_Free());
  EXPECT_EQ(Error(), BASS_ERROR_INIT);
}

TEST_F(BassSetup, InitialisesOneDevice) {
  EXPECT_FALSE(b.BASS_Init(2, 44100, 0, nullptr, nullptr));
  EXPECT_EQ(Error(), BASS_ERROR_DEVICE);
  EXPECT_FALSE(b.BASS_Init(-2, 44100, 0, nullptr, nullptr));
  EXPECT_EQ(Error(), BASS_ERROR_DEVICE);
  ASSERT_TRUE(b.BASS_Init(-1, 44100, 0x100, nullptr, nullptr));
  EXPECT_EQ(b.BASS_GetDevice(), 1u);
  EXPECT_FALSE(b.BASS_Init(1, 44100, 0, nullptr, nullptr));
  EXPECT_EQ(Error(), BASS_ERROR_ALREADY);
  EXPECT_FALSE(b.BASS_Test_SetOutput(L"null", nullptr));
  EXPECT_EQ(Error(), BASS_ERROR_ALREADY);
  EXPECT_TRUE(b.BASS_SetDevice(1));
  EXPECT_FALSE(b.BASS_SetDevice(0));
  EXPECT_EQ(Error(), BASS_ERROR_INIT);
  EXPECT_FALSE(b.BASS_SetDevice(7));
  EXPECT_EQ(Error(), BASS_ERROR_DEVICE);

  BASS_INFO info{};
  ASSERT_TRUE(b.BASS_GetInfo(&info));
  EXPECT_EQ(info.dsver, 9u);
  EXPECT_EQ(info.speakers, 2u);
  EXPECT_EQ(info.initflags, 0x100u);
  EXPECT_STREQ(info.driver, "Default sound device");
  EXPECT_FALSE(b.BASS_GetInfo(nullptr));
  EXPECT_EQ(Error(), BASS_ERROR_ILLPARAM);

  EXPECT_TRUE(b.BASS_Free());
  EXPECT_FALSE(b.BASS_Free());
  EXPECT_EQ(Error(), BASS_ERROR_INIT);

  ASSERT_TRUE(b.BASS_Init(0, 44100, 0, nullptr, nullptr));
  EXPECT_EQ(b.BASS_GetDevice(), 0u);
  EXPECT_TRUE(b.BASS_SetVolume(40));
  EXPECT_EQ(b.BASS_GetVolume(), 40u);
  EXPECT_FALSE(b.BASS_SetVolume(101));
  EXPECT_EQ(Error(), BASS_ERROR_ILLPARAM);
  EXPECT_TRUE(b.BASS_SetVolume(100));
}

TEST_F(BassSetup, RejectsUnknownOutputChoices) {
  EXPECT_FALSE(b.BASS_Test_SetOutput(L"speakers", nullptr));
  EXPECT_EQ(Error(), BASS_ERROR_ILLPARAM);
  EXPECT_FALSE(b.BASS_Test_SetOutput(L"null", L"sundial"));
  EXPECT_FALSE(b.BASS_Test_SetOutput(L"capture:", nullptr));
  EXPECT_TRUE(b.BASS_Test_SetOutput(L"null", L"real"));
  ASSERT_TRUE(b.BASS_Init(1, 44100, 0, nullptr, nullptr));
  EXPECT_FALSE(b.BASS_Test_AdvanceClock(10));
  EXPECT_EQ(Error(), BASS_ERROR_NOTAVAIL);
}

TEST_F(BassSetup, TheEnvironmentChoosesTheOutputWithoutTheHook) {
  testing_support::TempDir dir;
  std::wstring capture = dir.File(L"env.wav");
  ASSERT_TRUE(b.BASS_Test_SetOutput(nullptr, nullptr));
  SetEnvironmentVariableW(L"TAVRIN_BASS_OUTPUT", (L"capture:" + capture).c_str());
  SetEnvironmentVariableW(L"TAVRIN_BASS_CLOCK", L"manual");
  bool initialised = b.BASS_Init(1, 44100, 0, nullptr, nullptr);
  SetEnvironmentVariableW(L"TAVRIN_BASS_OUTPUT", nullptr);
  SetEnvironmentVariableW(L"TAVRIN_BASS_CLOCK", nullptr);
  ASSERT_TRUE(initialised);
  ASSERT_TRUE(b.BASS_Test_AdvanceClock(1234));
  ASSERT_TRUE(b.BASS_Free());
  EXPECT_EQ(CaptureSamples(testing_support::ReadFileBytes(capture)).size(), 2u * 1234);
}

// An idle player holds no sound card and runs no mixing thread: the default
// output opens (or, without a card, a silent one keeps time) at the first play.
TEST_F(BassSetup, TheDefaultOutputOpensWhenAChannelFirstPlays) {
  ASSERT_TRUE(b.BASS_Test_SetOutput(nullptr, nullptr));
  const size_t idle = ThreadsOfThisProcess();
  ASSERT_TRUE(b.BASS_Init(1, 44100, 0, nullptr, nullptr));
  EXPECT_EQ(ThreadsOfThisProcess(), idle);
  const std::string wav = WavBytes({}, Constant(0.1f, 0.1f, 44100));
  HSTREAM stream = b.BASS_StreamCreateFile(TRUE, wav.data(), 0, wav.size(), 0);
  ASSERT_NE(stream, 0u);
  EXPECT_EQ(ThreadsOfThisProcess(), idle);
  ASSERT_TRUE(b.BASS_ChannelPlay(stream, FALSE));
  EXPECT_GT(ThreadsOfThisProcess(), idle);
  const DWORD deadline = GetTickCount() + 3000;
  while (b.BASS_ChannelGetPosition(stream) == 0 && GetTickCount() < deadline) Sleep(10);
  EXPECT_GT(b.BASS_ChannelGetPosition(stream), 0u);
}

TEST_F(BassSetup, ConfigurationIsStoredAndReturned) {
  struct Case {
    DWORD option, value, answer;
    int error;
  } cases[] = {
      {BASS_CONFIG_BUFFER, 300, 300, 0},
      {BASS_CONFIG_BUFFER, 1, 10, 0},  // capped
      {BASS_CONFIG_BUFFER, 500, 500, 0},
      {BASS_CONFIG_GVOL_STREAM, 60, 60, 0},
      {BASS_CONFIG_GVOL_STREAM, 101, DWORD(-1), BASS_ERROR_ILLPARAM},
      {BASS_CONFIG_GVOL_MUSIC, 30, 30, 0},
      {BASS_CONFIG_CURVE_VOL, 1, 1, 0},
      {BASS_CONFIG_NET_BUFFER, 7000, 7000, 0},
      {BASS_CONFIG_NET_NOPROXY, 1, 1, 0},
      {BASS_CONFIG_CD_FREEOLD, 1, 1, 0},
      {BASS_CONFIG_UPDATEPERIOD, 10, DWORD(-1), BASS_ERROR_ILLPARAM},
      {0xFFFFFFFF, 1, DWORD(-1), BASS_ERROR_ILLPARAM},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.option);
    EXPECT_EQ(b.BASS_SetConfig(c.option, c.value), c.answer);
    EXPECT_EQ(Error(), c.error);
    if (c.error == 0) {
      EXPECT_EQ(b.BASS_GetConfig(c.option), c.answer);
    }
  }
  EXPECT_EQ(b.BASS_GetConfig(BASS_CONFIG_GVOL_STREAM), 60u);
  EXPECT_EQ(b.BASS_GetConfig(12345), DWORD(-1));
  EXPECT_EQ(Error(), BASS_ERROR_ILLPARAM);
  // The rest of the suite expects the defaults.
  for (DWORD option : {BASS_CONFIG_GVOL_STREAM, BASS_CONFIG_GVOL_MUSIC}) b.BASS_SetConfig(option, 100);
  for (DWORD option : {BASS_CONFIG_CURVE_VOL, BASS_CONFIG_NET_NOPROXY, BASS_CONFIG_CD_FREEOLD})
    b.BASS_SetConfig(option, 0);
  b.BASS_SetConfig(BASS_CONFIG_NET_BUFFER, 5000);
}

using BassFiles = BassFixture;

TEST_F(BassFiles, StaleAndZeroHandlesFailWithCode5) {
  HSTREAM stream = OpenWav(WavBytes({}, Constant(0.1f, 0.1f, 100)));
  ASSERT_NE(stream, 0u);
  ASSERT_TRUE(b.BASS_StreamFree(stream));
  for (DWORD handle : {stream, DWORD{0}, DWORD{0x7FFFFFF0}}) {
    SCOPED_TRACE(handle);
    BASS_CHANNELINFO info;
    char buffer[16];
    EXPECT_EQ(b.BASS_ChannelIsActive(handle), 0u);
    EXPECT_EQ(Error(), BASS_ERROR_HANDLE);
    EXPECT_FALSE(b.BASS_ChannelPlay(handle, FALSE));
    EXPECT_EQ(Error(), BASS_ERROR_HANDLE);
    EXPECT_FALSE(b.BASS_ChannelGetInfo(handle, &info));
    EXPECT_EQ(Error(), BASS_ERROR_HANDLE);
    EXPECT_EQ(b.BASS_ChannelGetLength(handle), QWORD(-1));
    EXPECT_EQ(Error(), BASS_ERROR_HANDLE);
    EXPECT_EQ(b.BASS_ChannelGetData(handle, buffer, 16), DWORD(-1));
    EXPECT_EQ(Error(), BASS_ERROR_HANDLE);
    EXPECT_EQ(b.BASS_ChannelSetSync(handle, BASS_SYNC_END, 0, nullptr, nullptr), 0u);
    EXPECT_EQ(Error(), BASS_ERROR_HANDLE);
    EXPECT_LT(b.BASS_ChannelBytes2Seconds(handle, 0), 0.0f);
    EXPECT_FALSE(b.BASS_StreamFree(handle));
    EXPECT_EQ(Error(), BASS_ERROR_HANDLE);
  }
  // Handles outlive neither BASS_Free nor get reused after it.
  HSTREAM before = OpenWav(WavBytes({}, Constant(0.1f, 0.1f, 100)));
  ASSERT_TRUE(b.BASS_Free());
  ASSERT_TRUE(b.BASS_Init(1, 44100, 0, nullptr, nullptr));
  HSTREAM after = OpenWav(WavBytes({}, Constant(0.1f, 0.1f, 100)));
  EXPECT_NE(after, before);
  EXPECT_FALSE(b.BASS_ChannelPlay(before, FALSE));
  EXPECT_EQ(Error(), BASS_ERROR_HANDLE);
}

TEST_F(BassFiles, OpensWavFromFilesAndMemoryOrFailsCleanly) {
  WavLayout layout;
  std::vector<float> samples = Constant(0.25f, -0.25f, 1000);
  std::string good = WavBytes(layout, samples, RiffChunk("LIST", "INFOISFT" + std::string(6, 'x')));
  struct Case {
    const char* name;
    std::string bytes;
    QWORD length;  // bytes of 16-bit output; 0 = must fail
    int error;
  } cases[] = {
      {"LIST before data", good, 4000, 0},
      {"truncated", good.substr(0, good.size() - 1001), 2996, 0},
      {"data size 0xFFFFFFFF", WavBytes(layout, samples, "", 0xFFFFFFFFu), 4000, 0},
      {"float 64", WavBytes({3, 2, 44100, 64, false}, samples), 4000, 0},
      {"mp3 bytes", std::string("ID3\x03\0\0\0\0\0\0", 10) + std::string(500, '\xff'), 0, BASS_ERROR_FILEFORM},
      {"empty file", "", 0, BASS_ERROR_FILEFORM},
      {"riff size lies", "RIFF\xff\xff\xff\xffWAVE", 0, BASS_ERROR_FILEFORM},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HSTREAM s = OpenWav(c.bytes);
    if (c.length == 0) {
      EXPECT_EQ(s, 0u);
      EXPECT_EQ(Error(), c.error);
      continue;
    }
    ASSERT_NE(s, 0u) << Error();
    EXPECT_EQ(b.BASS_ChannelGetLength(s), c.length);
    b.BASS_StreamFree(s);
  }

  // The same bytes from memory, and through an 8-bit file name.
  HSTREAM m = b.BASS_StreamCreateFile(TRUE, good.data(), 0, good.size(), BASS_STREAM_DECODE);
  ASSERT_NE(m, 0u);
  std::vector<int16_t> pcm(2000);
  EXPECT_EQ(b.BASS_ChannelGetData(m, pcm.data(), 4000), 4000u);
  EXPECT_EQ(pcm[0], 8192);
  EXPECT_EQ(pcm[1], -8192);
  std::wstring wide = dir.WriteFile(L"ansi.wav", good);
  std::string narrow(wide.begin(), wide.end());
  EXPECT_NE(b.BASS_StreamCreateFile(FALSE, narrow.c_str(), 0, 0, 0), 0u);
  std::wstring unicode = dir.WriteFile(L"\x0428\x00e9.wav", good);
  EXPECT_NE(b.BASS_StreamCreateFile(FALSE, unicode.c_str(), 0, 0, BASS_UNICODE), 0u);

  EXPECT_EQ(b.BASS_StreamCreateFile(FALSE, dir.File(L"missing.wav").c_str(), 0, 0, BASS_UNICODE), 0u);
  EXPECT_EQ(Error(), BASS_ERROR_FILEOPEN);
  EXPECT_EQ(b.BASS_StreamCreateFile(FALSE, nullptr, 0, 0, 0), 0u);
  EXPECT_EQ(Error(), BASS_ERROR_ILLPARAM);
  EXPECT_EQ(b.BASS_StreamCreateFile(TRUE, good.data(), 0, 0, 0), 0u);
  EXPECT_EQ(Error(), BASS_ERROR_ILLPARAM);
}

TEST_F(BassFiles, ChannelInformation) {
  struct Case {
    WavLayout layout;
    DWORD flags, ctype;
  } cases[] = {
      {{1, 2, 44100, 16, false}, 0, BASS_CTYPE_STREAM_WAV_PCM},
      {{1, 1, 22050, 24, true}, BASS_SAMPLE_FLOAT, BASS_CTYPE_STREAM_WAV_PCM},
      {{3, 2, 48000, 32, false}, BASS_STREAM_DECODE | BASS_SAMPLE_LOOP, BASS_CTYPE_STREAM_WAV_FLOAT},
  };
  for (const Case& c : cases) {
    HSTREAM s = OpenWav(WavBytes(c.layout, std::vector<float>(c.layout.channels * 10, 0.0f)), c.flags);
    ASSERT_NE(s, 0u);
    BASS_CHANNELINFO info{};
    ASSERT_TRUE(b.BASS_ChannelGetInfo(s, &info));
    EXPECT_EQ(info.freq, c.layout.rate);
    EXPECT_EQ(info.chans, c.layout.channels);
    EXPECT_EQ(info.flags, c.flags);
    EXPECT_EQ(info.ctype, c.ctype);
    EXPECT_EQ(info.origres, c.layout.bits);
    EXPECT_EQ(b.BASS_ChannelGetDevice(s), 1u);
  }
}

TEST_F(BassFiles, LengthsPositionsAndConversionsAgree) {
  struct Case {
    WavLayout layout;
    DWORD flags;
    DWORD frameBytes;
  } cases[] = {
      {{1, 2, 44100, 16, false}, 0, 4},
      {{1, 2, 44100, 16, false}, BASS_SAMPLE_FLOAT, 8},
      {{1, 1, 22050, 8, false}, BASS_SAMPLE_8BITS, 1},
      {{3, 1, 48000, 32, false}, 0, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.frameBytes);
    const QWORD frames = c.layout.rate;  // one second
    HSTREAM s = OpenWav(WavBytes(c.layout, std::vector<float>(frames * c.layout.channels, 0.0f)), c.flags);
    ASSERT_NE(s, 0u);
    const QWORD length = frames * c.frameBytes;
    EXPECT_EQ(b.BASS_ChannelGetLength(s), length);
    EXPECT_FLOAT_EQ(b.BASS_ChannelBytes2Seconds(s, length), 1.0f);
    EXPECT_EQ(b.BASS_ChannelSeconds2Bytes(s, 0.5f), length / 2);
    EXPECT_EQ(b.BASS_ChannelSeconds2Bytes(s, 0.7f), QWORD(c.layout.rate * 7 / 10) * c.frameBytes);
    EXPECT_EQ(b.BASS_ChannelSeconds2Bytes(s, -1.0f), QWORD(-1));
    EXPECT_EQ(Error(), BASS_ERROR_ILLPARAM);
    EXPECT_LT(b.BASS_ChannelBytes2Seconds(s, QWORD(-1)), 0.0f);

    EXPECT_TRUE(b.BASS_ChannelSetPosition(s, length / 4 + 1));  // rounded down to a frame
    EXPECT_EQ(b.BASS_ChannelGetPosition(s), (length / 4 + 1) / c.frameBytes * c.frameBytes);
    EXPECT_TRUE(b.BASS_ChannelSetPosition(s, length));
    EXPECT_FALSE(b.BASS_ChannelSetPosition(s, length + c.frameBytes));
    EXPECT_EQ(Error(), BASS_ERROR_POSITION);
    EXPECT_EQ(b.BASS_ChannelGetPosition(s), length);
  }
}

}  // namespace
