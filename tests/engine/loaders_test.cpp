#include <gtest/gtest.h>

#include <string>

#include "engine/bass22_dynamic.h"
#include "engine/basscd22_dynamic.h"
#include "engine/bassenc22_dynamic.h"
#include "engine/basswma22_dynamic.h"
#include "engine/program_folder.h"
#include "engine_test_paths.h"

namespace {

// How many variables of a table hold the library's own addresses, and how
// many hold the stand-ins.
struct TableState {
  HMODULE module = nullptr;
  int total = 0;
  int fetched = 0;
  int standIns = 0;

  template <auto Fn>
  void Visit(decltype(Fn) entry, const char* name) {
    ++total;
    if (module != nullptr && reinterpret_cast<void*>(entry) ==
                                 reinterpret_cast<void*>(GetProcAddress(module, name))) {
      ++fetched;
    }
    if (entry == &tavrin_engine::NotLoaded<Fn>::Call) ++standIns;
  }
};

#define VISIT_ENTRY(name) state.Visit<&::name>(table::name, #name);

TableState BassTable() {
  namespace table = Bass22_dynamic;
  TableState state{.module = table::BASS_Handle};
  TAVRIN_BASS_ENTRY_POINTS(VISIT_ENTRY)
  return state;
}

TableState WmaTable() {
  namespace table = BassWMA22_dynamic;
  TableState state{.module = table::BASSWMA_Handle};
  TAVRIN_BASSWMA_ENTRY_POINTS(VISIT_ENTRY)
  return state;
}

TableState CdTable() {
  namespace table = BassCD22_dynamic;
  TableState state{.module = table::BASSCD_Handle};
  TAVRIN_BASSCD_ENTRY_POINTS(VISIT_ENTRY)
  return state;
}

TableState EncTable() {
  namespace table = BassEnc22_dynamic;
  TableState state{.module = table::BASSENC_Handle};
  TAVRIN_BASSENC_ENTRY_POINTS(VISIT_ENTRY)
  return state;
}

struct Loader {
  const wchar_t* file;
  bool (*load)(const std::wstring&);
  void (*unload)();
  HMODULE* handle;
  TableState (*table)();
  int count;
};

const Loader kLoaders[] = {
    {L"bass.dll", Bass22_dynamic::Load_BASSDLL, Bass22_dynamic::Unload_BASSDLL,
     &Bass22_dynamic::BASS_Handle, BassTable, 94},
    {L"basswma.dll", BassWMA22_dynamic::Load_BASSWMADLL, BassWMA22_dynamic::Unload_BASSWMADLL,
     &BassWMA22_dynamic::BASSWMA_Handle, WmaTable, 14},
    {L"basscd.dll", BassCD22_dynamic::Load_BASSCDDLL, BassCD22_dynamic::Unload_BASSCDDLL,
     &BassCD22_dynamic::BASSCD_Handle, CdTable, 20},
    {L"bassenc.dll", BassEnc22_dynamic::Load_BASSENCDLL, BassEnc22_dynamic::Unload_BASSENCDLL,
     &BassEnc22_dynamic::BASSENC_Handle, EncTable, 5},
};

std::wstring InProgramFolder(const wchar_t* file) { return kProgramFolder + std::wstring(file); }

bool IsLoaded(const std::wstring& path) { return GetModuleHandleW(path.c_str()) != nullptr; }

class LoaderTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const Loader& loader : kLoaders) loader.unload();
  }
};

TEST_F(LoaderTest, TablesHoldStandInsWhileNothingIsLoaded) {
  for (const Loader& loader : kLoaders) {
    SCOPED_TRACE(loader.file);
    loader.unload();  // unloading what is not loaded changes nothing
    EXPECT_EQ(*loader.handle, nullptr);
    TableState state = loader.table();
    EXPECT_EQ(state.total, loader.count);
    EXPECT_EQ(state.standIns, loader.count);
  }
}

TEST_F(LoaderTest, StandInsFailWithInitErrorAndTheFunctionsFailureValue) {
  EXPECT_FALSE(Bass22_dynamic::BASS_Init(1, 44100, 0, nullptr, nullptr));
  EXPECT_EQ(Bass22_dynamic::BASS_ErrorGetCode(), BASS_ERROR_INIT);
  EXPECT_EQ(Bass22_dynamic::BASS_GetDeviceDescription(1), nullptr);
  EXPECT_EQ(Bass22_dynamic::BASS_SetConfig(BASS_CONFIG_BUFFER, 500), 0xFFFFFFFFu);
  EXPECT_EQ(Bass22_dynamic::BASS_ChannelGetLength(1), ~QWORD{0});
  EXPECT_LT(Bass22_dynamic::BASS_ChannelBytes2Seconds(1, 4), 0.0f);
  EXPECT_EQ(Bass22_dynamic::BASS_ChannelIsActive(1), BASS_ACTIVE_STOPPED);
  Bass22_dynamic::BASS_Apply3D();
  EXPECT_EQ(BassWMA22_dynamic::BASS_WMA_EncodeGetRates(44100, 2, 0), nullptr);
  EXPECT_EQ(BassCD22_dynamic::BASS_CD_GetTracks(0), 0xFFFFFFFFu);
  EXPECT_EQ(BassEnc22_dynamic::BASS_Encode_Start(1, L"lame.exe", BASS_UNICODE, nullptr, nullptr),
            0u);
  EXPECT_EQ(Bass22_dynamic::BASS_ErrorGetCode(), BASS_ERROR_INIT);
}

TEST_F(LoaderTest, AddOnStandInsReportThroughTheLoadedBass) {
  ASSERT_TRUE(Bass22_dynamic::Load_BASSDLL(InProgramFolder(L"bass.dll")));
  EXPECT_FALSE(Bass22_dynamic::BASS_PluginFree(7));
  ASSERT_EQ(Bass22_dynamic::BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
  EXPECT_EQ(BassCD22_dynamic::BASS_CD_GetTracks(0), 0xFFFFFFFFu);
  EXPECT_EQ(Bass22_dynamic::BASS_ErrorGetCode(), BASS_ERROR_INIT);
}

TEST_F(LoaderTest, ProgramLibrariesLoadWithEveryEntryPoint) {
  for (const Loader& loader : kLoaders) {
    SCOPED_TRACE(loader.file);
    const std::wstring path = InProgramFolder(loader.file);
    ASSERT_TRUE(loader.load(path));
    EXPECT_EQ(*loader.handle, GetModuleHandleW(path.c_str()));
    TableState state = loader.table();
    EXPECT_EQ(state.fetched, loader.count);
    EXPECT_EQ(state.standIns, 0);
  }
  for (const Loader& loader : kLoaders) {
    SCOPED_TRACE(loader.file);
    loader.unload();
    EXPECT_EQ(*loader.handle, nullptr);
    EXPECT_FALSE(IsLoaded(InProgramFolder(loader.file)));
    EXPECT_EQ(loader.table().standIns, loader.count);
  }
}

TEST_F(LoaderTest, SecondLoadDoesNotLoadAgain) {
  for (const Loader& loader : kLoaders) {
    SCOPED_TRACE(loader.file);
    const std::wstring path = InProgramFolder(loader.file);
    ASSERT_TRUE(loader.load(path));
    HMODULE first = *loader.handle;
    ASSERT_TRUE(loader.load(path));
    EXPECT_EQ(*loader.handle, first);
    // One reference only: a single unload takes the library out of the process.
    loader.unload();
    EXPECT_FALSE(IsLoaded(path));
  }
}

TEST_F(LoaderTest, LibraryLackingOneNameIsRefusedAndFreed) {
  const std::wstring path = kIncompleteBassFolder + std::wstring(L"bass.dll");
  SetEnvironmentVariableW(L"TAVRIN_FAKE_BASS_ERROR_MODE", nullptr);
  const UINT before = SetErrorMode(0);

  EXPECT_FALSE(Bass22_dynamic::Load_BASSDLL(path));
  EXPECT_EQ(GetErrorMode(), 0u);
  SetErrorMode(before);

  EXPECT_EQ(Bass22_dynamic::BASS_Handle, nullptr);
  EXPECT_FALSE(IsLoaded(path));
  TableState state = BassTable();
  EXPECT_EQ(state.standIns, 94);
  EXPECT_EQ(Bass22_dynamic::BASS_ErrorGetCode(), BASS_ERROR_INIT);
  // The library was really loaded, with critical-error boxes suppressed.
  wchar_t mode[16] = {};
  ASSERT_GT(GetEnvironmentVariableW(L"TAVRIN_FAKE_BASS_ERROR_MODE", mode, 16), 0u);
  EXPECT_EQ(std::stoul(mode), 0x8001u);
}

TEST_F(LoaderTest, MissingLibraryFailsQuietly) {
  const UINT before = SetErrorMode(SEM_NOGPFAULTERRORBOX);
  for (const Loader& loader : kLoaders) {
    SCOPED_TRACE(loader.file);
    EXPECT_FALSE(loader.load(kTestFolder + std::wstring(L"missing\\") + loader.file));
    EXPECT_EQ(*loader.handle, nullptr);
    EXPECT_EQ(GetErrorMode(), static_cast<UINT>(SEM_NOGPFAULTERRORBOX));
    // A failed load is not remembered: the next one starts from the beginning.
    EXPECT_TRUE(loader.load(InProgramFolder(loader.file)));
    loader.unload();
  }
  SetErrorMode(before);
}

TEST_F(LoaderTest, NameWithoutFolderIsNotSearchedFor) {
  wchar_t saved[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, saved);
  ASSERT_TRUE(SetCurrentDirectoryW(kProgramFolder));
  const bool loaded = Bass22_dynamic::Load_BASSDLL(L"bass.dll");
  SetCurrentDirectoryW(saved);
  EXPECT_FALSE(loaded);
  EXPECT_EQ(Bass22_dynamic::BASS_Handle, nullptr);
}

TEST(ProgramFolderTest, IsTheFolderOfTheRunningExecutable) {
  EXPECT_EQ(ProgramFolder(), kTestFolder);
}

}  // namespace
