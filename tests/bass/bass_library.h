// bass.dll as the program sees it: loaded from the program folder and reached
// only through GetProcAddress, plus a fixture that initialises it on the manual
// clock with a capture file.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bass/bass_api.h"
#include "test_support.h"

namespace bass_test {

struct BassLibrary {
  HMODULE module = nullptr;
#define TAVRIN_BASS_MEMBER(name) decltype(&::name) name = nullptr;
  TAVRIN_BASS_ENTRY_POINTS(TAVRIN_BASS_MEMBER)
  TAVRIN_BASS_TEST_EXPORTS(TAVRIN_BASS_MEMBER)
#undef TAVRIN_BASS_MEMBER
};

// Loaded once per process from ..\bin\bass.dll beside the test executable.
const BassLibrary& Bass();

// BASS_Init(1) on the manual clock, capturing every mixed frame; BASS_Free and
// the default output choice afterwards.
class BassFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A stream over a WAV file written to the temporary folder.
  HSTREAM OpenWav(const std::string& bytes, DWORD flags = 0);
  void Advance(DWORD frames);
  // The 16-bit stereo samples captured so far.
  std::vector<int16_t> Captured() const;
  int Error() const { return b.BASS_ErrorGetCode(); }

  testing_support::TempDir dir;
  const BassLibrary& b = Bass();
  std::wstring capture;
  int files = 0;
};

}  // namespace bass_test
