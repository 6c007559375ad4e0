#include "bass_library.h"

#include "wav_fixtures.h"

namespace bass_test {

const BassLibrary& Bass() {
  static const BassLibrary library = [] {
    BassLibrary l;
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path = exe;
    path.resize(path.find_last_of(L'\\') + 1);
    path += L"..\\bin\\bass.dll";
    l.module = LoadLibraryW(path.c_str());
    if (l.module) {
#define TAVRIN_BASS_FETCH(name) \
  l.name = reinterpret_cast<decltype(&::name)>(reinterpret_cast<void*>(GetProcAddress(l.module, #name)));
      TAVRIN_BASS_ENTRY_POINTS(TAVRIN_BASS_FETCH)
      TAVRIN_BASS_TEST_EXPORTS(TAVRIN_BASS_FETCH)
#undef TAVRIN_BASS_FETCH
    }
    return l;
  }();
  return library;
}

void BassFixture::SetUp() {
  ASSERT_NE(b.module, nullptr) << "bass.dll not found beside the tests";
  capture = dir.File(L"capture.wav");
  ASSERT_TRUE(b.BASS_Test_SetOutput((L"capture:" + capture).c_str(), L"manual"));
  ASSERT_TRUE(b.BASS_Init(1, 44100, 0, nullptr, nullptr)) << Error();
}

void BassFixture::TearDown() {
  if (!b.module) return;
  b.BASS_Free();
  b.BASS_Test_SetOutput(nullptr, nullptr);
}

HSTREAM BassFixture::OpenWav(const std::string& bytes, DWORD flags) {
  std::wstring name = dir.WriteFile(L"f" + std::to_wstring(files++) + L".wav", bytes);
  return b.BASS_StreamCreateFile(FALSE, name.c_str(), 0, 0, flags | BASS_UNICODE);
}

void BassFixture::Advance(DWORD frames) {
  ASSERT_TRUE(b.BASS_Test_AdvanceClock(frames)) << Error();
}

std::vector<int16_t> BassFixture::Captured() const {
  return CaptureSamples(testing_support::ReadFileBytes(capture));
}

}  // namespace bass_test
