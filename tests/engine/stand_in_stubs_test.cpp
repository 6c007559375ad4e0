// The entry points of our BASS stand-in that fail until their features come:
// through the program's loaders, each answers its failure value and a code,
// and the add-ons' codes are read through bass.dll.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "engine/bass22_dynamic.h"
#include "engine/basscd22_dynamic.h"
#include "engine/bassenc22_dynamic.h"
#include "engine/basswma22_dynamic.h"
#include "engine_test_paths.h"

namespace {

class StandInTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::wstring folder = kProgramFolder;
    ASSERT_TRUE(Bass22_dynamic::Load_BASSDLL(folder + L"bass.dll"));
    ASSERT_TRUE(BassWMA22_dynamic::Load_BASSWMADLL(folder + L"basswma.dll"));
    ASSERT_TRUE(BassCD22_dynamic::Load_BASSCDDLL(folder + L"basscd.dll"));
    ASSERT_TRUE(BassEnc22_dynamic::Load_BASSENCDLL(folder + L"bassenc.dll"));
    FARPROC proc = GetProcAddress(Bass22_dynamic::BASS_Handle, "BASS_Internal_SetError");
    ASSERT_NE(proc, nullptr);
    FSetError = reinterpret_cast<decltype(&::BASS_Internal_SetError)>(
        reinterpret_cast<void*>(proc));
  }
  void TearDown() override {
    Bass22_dynamic::Unload_BASSDLL();
    BassWMA22_dynamic::Unload_BASSWMADLL();
    BassCD22_dynamic::Unload_BASSCDDLL();
    BassEnc22_dynamic::Unload_BASSENCDLL();
  }

  // The family's code after call, starting from a code no entry point sets.
  int CodeAfter(const std::function<void()>& call) {
    FSetError(-2);
    call();
    return Bass22_dynamic::BASS_ErrorGetCode();
  }

  template <auto Fn, typename R, typename... A>
  void ExpectFailureWithZeros(R(WINAPI* entry)(A...), const char* name) {
    SCOPED_TRACE(name);
    FSetError(-2);
    if constexpr (std::is_void_v<R>) {
      entry(A{}...);
    } else {
      EXPECT_EQ(entry(A{}...), tavrin_bass::FailureResult<Fn>());
    }
    const int code = Bass22_dynamic::BASS_ErrorGetCode();
    EXPECT_NE(code, -2);
    EXPECT_NE(code, BASS_OK);
  }

  decltype(&::BASS_Internal_SetError) FSetError = nullptr;
};

// Names of bass.dll that fail cleanly when every argument is zero: the ones
// not offered at all, and those whose zero arguments name nothing (no URL, no
// plug-in file, no channel or effect).
#define ZERO_FAILING_BASS_ENTRY_POINTS(X)                                                    \
  X(BASS_GetDSoundObject) X(BASS_Update) X(BASS_Set3DFactors) X(BASS_Get3DFactors)     \
  X(BASS_Set3DPosition) X(BASS_Get3DPosition) X(BASS_Apply3D) X(BASS_SetEAXParameters) \
  X(BASS_GetEAXParameters) X(BASS_PluginLoad) X(BASS_SampleLoad)                       \
  X(BASS_SampleCreate) X(BASS_SampleCreateDone) X(BASS_SampleFree)                     \
  X(BASS_SampleGetInfo) X(BASS_SampleSetInfo) X(BASS_SampleGetChannel)                 \
  X(BASS_SampleStop) X(BASS_StreamCreateURL) X(BASS_StreamCreateFileUser)              \
  X(BASS_RecordGetDeviceDescription) X(BASS_RecordInit)                                \
  X(BASS_RecordSetDevice) X(BASS_RecordGetDevice) X(BASS_RecordFree)                   \
  X(BASS_RecordGetInfo) X(BASS_RecordGetInputName) X(BASS_RecordSetInput)              \
  X(BASS_RecordGetInput) X(BASS_RecordStart) X(BASS_ChannelSet3DAttributes)            \
  X(BASS_ChannelGet3DAttributes) X(BASS_ChannelSet3DPosition)                          \
  X(BASS_ChannelGet3DPosition) X(BASS_ChannelSetEAXMix) X(BASS_ChannelGetEAXMix)       \
  X(BASS_ChannelSetFX) X(BASS_ChannelRemoveFX) X(BASS_FXSetParameters)                 \
  X(BASS_FXGetParameters)

TEST_F(StandInTest, ZeroArgumentsAnswerTheFailureValueAndACode) {
#define EXPECT_STUB(name) ExpectFailureWithZeros<&::name>(table::name, #name);
  {
    namespace table = Bass22_dynamic;
    ZERO_FAILING_BASS_ENTRY_POINTS(EXPECT_STUB)
  }
  {
    namespace table = BassWMA22_dynamic;
    TAVRIN_BASSWMA_ENTRY_POINTS(EXPECT_STUB)
  }
  {
    namespace table = BassCD22_dynamic;
    TAVRIN_BASSCD_ENTRY_POINTS(EXPECT_STUB)
  }
  {
    namespace table = BassEnc22_dynamic;
    TAVRIN_BASSENC_ENTRY_POINTS(EXPECT_STUB)
  }
#undef EXPECT_STUB
}

TEST_F(StandInTest, FailuresCarryTheCodeThatFits) {
  namespace bass = Bass22_dynamic;
  namespace wma = BassWMA22_dynamic;
  namespace cd = BassCD22_dynamic;
  namespace enc = BassEnc22_dynamic;
  BASS_FXPARAMEQ eq = {1000, 12, 0};
  const struct {
    const char* what;
    std::function<void()> call;
    int code;
  } cases[] = {
      {"module before BASS_Init",
       [] { bass::BASS_MusicLoad(FALSE, L"x.mod", 0, 0, BASS_UNICODE, 0); }, BASS_ERROR_INIT},
      {"plug-in file missing", [] { bass::BASS_PluginLoad("Z:\\no\\such\\bassx.dll"); },
       BASS_ERROR_FILEOPEN},
      {"effect that was never set", [&] { bass::BASS_FXSetParameters(0, &eq); }, BASS_ERROR_HANDLE},
      {"no recording device", [] { bass::BASS_RecordInit(-1); }, BASS_ERROR_DEVICE},
      {"WMA file without a name", [] { wma::BASS_WMA_StreamCreateFile(FALSE, nullptr, 0, 0, 0); },
       BASS_ERROR_ILLPARAM},
      {"missing WMA file", [] { wma::BASS_WMA_StreamCreateFile(FALSE, L"x.wma", 0, 0, BASS_UNICODE); },
       BASS_ERROR_FILEOPEN},
      {"WMA encoder never opened", [] { wma::BASS_WMA_EncodeWrite(1, "", 0); }, BASS_ERROR_HANDLE},
      {"CD drive", [] { cd::BASS_CD_GetDriveDescription(0); }, BASS_ERROR_DEVICE},
      {"CD door action", [] { cd::BASS_CD_Door(0, 4); }, BASS_ERROR_ILLPARAM},
      {"encoder without command line or callback",
       [] { enc::BASS_Encode_Start(1, nullptr, 0, nullptr, nullptr); }, BASS_ERROR_ILLPARAM},
      {"encoder on a channel that does not exist",
       [] { enc::BASS_Encode_Start(1, L"lame.exe -", BASS_UNICODE, nullptr, nullptr); },
       BASS_ERROR_HANDLE},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CodeAfter(c.call), c.code) << c.what;
  }
}

TEST_F(StandInTest, FreeingAllPluginsSucceedsWithNoneLoaded) {
  EXPECT_EQ(CodeAfter([] { EXPECT_TRUE(Bass22_dynamic::BASS_PluginFree(0)); }), BASS_OK);
  EXPECT_EQ(CodeAfter([] { EXPECT_FALSE(Bass22_dynamic::BASS_PluginFree(7)); }),
            BASS_ERROR_HANDLE);
}

TEST_F(StandInTest, AddOnKeepsItsOwnCodeWithoutBass) {
  Bass22_dynamic::Unload_BASSDLL();
  // With bass.dll gone the program reads "not loaded"; the add-on must still
  // fail cleanly rather than call into the freed library.
  EXPECT_EQ(BassCD22_dynamic::BASS_CD_GetTracks(0), 0xFFFFFFFFu);
  EXPECT_EQ(Bass22_dynamic::BASS_ErrorGetCode(), BASS_ERROR_INIT);
}

}  // namespace
