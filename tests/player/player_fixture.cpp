#include "player_fixture.h"

#include <fstream>

#include "engine/bass22_dynamic.h"
#include "framework/dialogs.h"
#include "test_support.h"
#include "wav_bytes.h"

namespace player_test {

BoxRecorder::BoxRecorder() {
  SetMessageBoxSink([this](HWND, const std::wstring& text, const std::wstring& caption, UINT flags) {
    Boxes.push_back({text, caption, flags});
    return IDOK;
  });
}

BoxRecorder::~BoxRecorder() { SetMessageBoxSink(nullptr); }

std::string CdWav(uint32_t frames) {
  return testing_support::WavBytes({}, frames, [](uint32_t i) { return (i / 50) % 2 ? 3000 : -3000; });
}

namespace {

struct FakeDiscs {
  testing_support::TempDir Root;
  FakeDiscs() {
    CreateDirectoryW(Root.File(L"x").c_str(), nullptr);
    CreateDirectoryW(Root.File(L"y").c_str(), nullptr);
    CreateDirectoryW(Root.File(L"z").c_str(), nullptr);
    Root.WriteFile(L"x\\one.wav", CdWav(44100));
    Root.WriteFile(L"x\\three.wav", CdWav(88200));
    Root.WriteFile(L"x\\disc.ini",
                   "[Disc]\r\nDescription=Fake Drive X\r\nTracks=3\r\n"
                   "[Track1]\r\nFile=one.wav\r\n[Track2]\r\nData=1\r\n[Track3]\r\nFile=three.wav\r\n"
                   "[CDText]\r\nTITLE0=The Album\r\nPERFORMER0=The Band\r\nTITLE1=First Song\r\n"
                   "PERFORMER1=Singer One\r\nTITLE3=Third Song\r\n");
    Root.WriteFile(L"y\\half.wav", CdWav(22050));
    std::string y = "[Disc]\r\nTracks=12\r\n";
    for (int i = 1; i <= 12; ++i) y += "[Track" + std::to_string(i) + "]\r\nFile=half.wav\r\n";
    Root.WriteFile(L"y\\disc.ini", y);
    std::wstring setting = L"X=" + Root.File(L"x") + L";Y=" + Root.File(L"y") + L";Z=" + Root.File(L"z");
    SetEnvironmentVariableW(L"TAVRIN_BASSCD_FAKE", setting.c_str());
  }
};

FakeDiscs& Discs() {
  static FakeDiscs discs;
  return discs;
}

}  // namespace

std::wstring FakeDiscFolder(char letter) {
  return Discs().Root.File(std::wstring(1, static_cast<wchar_t>(letter - 'A' + 'a'))) + L"\\";
}

std::wstring CodecFixture(const std::wstring& name) { return std::wstring(TAVRIN_CODEC_FIXTURES) + name; }

std::unique_ptr<TBASSPlayer> MakePlayer() {
  Discs();
  SetEnvironmentVariableW(L"TAVRIN_BASS_OUTPUT", L"null");
  SetEnvironmentVariableW(L"TAVRIN_BASS_CLOCK", L"manual");
  return std::make_unique<TBASSPlayer>(nullptr, TAVRIN_PROGRAM_FOLDER);
}

void Advance(uint32_t frames) {
  using AdvanceProc = decltype(&BASS_Test_AdvanceClock);
  auto advance = reinterpret_cast<AdvanceProc>(
      reinterpret_cast<void*>(GetProcAddress(Bass22_dynamic::BASS_Handle, "BASS_Test_AdvanceClock")));
  if (advance) advance(frames);
  testing_support::PumpPendingMessages();
}

}  // namespace player_test
