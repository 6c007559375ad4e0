// bass.dll's add-ons: what is refused (and unloaded again), what is loaded,
// freeing, and loads from two threads while the main thread opens files.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "bass_library.h"
#include "wav_fixtures.h"

using namespace bass_test;

namespace {

class BassPlugins : public BassFixture {
 protected:
  // A copy of one of the test DLLs in the temporary folder, under name.
  std::wstring Copy(const wchar_t* built, const std::wstring& name) {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring source = exe;
    source.resize(source.find_last_of(L'\\') + 1);
    source += L"bass_plugins\\" + std::wstring(built);
    std::wstring target = dir.File(name);
    EXPECT_TRUE(CopyFileW(source.c_str(), target.c_str(), FALSE)) << "missing " << source;
    return target;
  }
  static std::string Ansi(const std::wstring& path) {
    char buffer[MAX_PATH * 2] = {};
    WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, buffer, sizeof buffer, nullptr, nullptr);
    return buffer;
  }
  static bool Loaded(const std::wstring& path) { return GetModuleHandleW(path.c_str()) != nullptr; }

  void TearDown() override {
    if (b.module) b.BASS_PluginFree(0);
    BassFixture::TearDown();
  }
};

TEST_F(BassPlugins, RefusesWhatIsNotOneOfOursAndUnloadsIt) {
  const std::wstring foreign = Copy(L"bass_foreign_test.dll", L"bassforeign.dll");
  const std::wstring old = Copy(L"bass_old_addon_test.dll", L"bassold.dll");
  const std::wstring text = dir.WriteFile(L"bassjunk.dll", "MZ but not really a DLL");
  CreateDirectoryW(dir.File(L"bassdir.dll").c_str(), nullptr);
  struct Case {
    const char* what;
    std::string file;
    int error;
  } cases[] = {
      {"missing file", Ansi(dir.File(L"bassnone.dll")), BASS_ERROR_FILEOPEN},
      {"a folder", Ansi(dir.File(L"bassdir.dll")), BASS_ERROR_FILEOPEN},
      {"not a DLL", Ansi(text), BASS_ERROR_FILEFORM},
      {"a DLL without the marker", Ansi(foreign), BASS_ERROR_FILEFORM},
      {"an add-on of another version", Ansi(old), BASS_ERROR_FILEFORM},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(b.BASS_PluginLoad(c.file.c_str()), 0u) << c.what;
    EXPECT_EQ(Error(), c.error) << c.what;
  }
  EXPECT_FALSE(Loaded(foreign));
  EXPECT_FALSE(Loaded(old));
  EXPECT_EQ(b.BASS_PluginLoad(nullptr), 0u);
  EXPECT_EQ(Error(), BASS_ERROR_ILLPARAM);
  // Unloaded, the copies can be deleted.
  EXPECT_TRUE(DeleteFileW(foreign.c_str()));
  EXPECT_TRUE(DeleteFileW(old.c_str()));
}

TEST_F(BassPlugins, LoadsOurAddOnOnceAndFreesIt) {
  const std::wstring one = Copy(L"bass_addon_test.dll", L"bassone.dll");
  const std::wstring two = Copy(L"bass_addon_test.dll", L"basstwo.dll");
  HPLUGIN h1 = b.BASS_PluginLoad(Ansi(one).c_str());
  ASSERT_NE(h1, 0u) << Error();
  EXPECT_EQ(Error(), BASS_OK);
  EXPECT_TRUE(Loaded(one));
  EXPECT_EQ(b.BASS_PluginLoad(Ansi(one).c_str()), 0u);
  EXPECT_EQ(Error(), BASS_ERROR_ALREADY);

  ASSERT_TRUE(b.BASS_PluginFree(h1));
  EXPECT_FALSE(Loaded(one));
  EXPECT_FALSE(b.BASS_PluginFree(h1));
  EXPECT_EQ(Error(), BASS_ERROR_HANDLE);

  HPLUGIN again = b.BASS_PluginLoad(Ansi(one).c_str());
  HPLUGIN h2 = b.BASS_PluginLoad(Ansi(two).c_str());
  ASSERT_TRUE(again && h2);
  EXPECT_NE(again, h1);
  EXPECT_NE(again, h2);
  ASSERT_TRUE(b.BASS_PluginFree(0));
  EXPECT_FALSE(Loaded(one));
  EXPECT_FALSE(Loaded(two));
  EXPECT_FALSE(b.BASS_PluginFree(h2));
  EXPECT_EQ(Error(), BASS_ERROR_HANDLE);
}

TEST_F(BassPlugins, LoadsFromTwoThreadsWhileTheMainThreadOpensFiles) {
  const std::string shared = Ansi(Copy(L"bass_addon_test.dll", L"bassshared.dll"));
  const std::string own[2] = {Ansi(Copy(L"bass_addon_test.dll", L"bassa.dll")),
                              Ansi(Copy(L"bass_addon_test.dll", L"bassb.dll"))};
  const std::string foreign = Ansi(Copy(L"bass_foreign_test.dll", L"bassforeign.dll"));
  std::atomic<int> sharedLoads{0}, unexpected{0};
  auto worker = [&](int index) {
    for (int i = 0; i < 100; ++i) {
      HPLUGIN h = b.BASS_PluginLoad(own[index].c_str());
      if (h == 0 || !b.BASS_PluginFree(h)) ++unexpected;
      if (b.BASS_PluginLoad(foreign.c_str()) != 0 || b.BASS_ErrorGetCode() != BASS_ERROR_FILEFORM) ++unexpected;
      // Both threads race for the same file: one wins, the other is told
      // it is loaded already.
      if (b.BASS_PluginLoad(shared.c_str()) != 0) ++sharedLoads;
      else if (b.BASS_ErrorGetCode() != BASS_ERROR_ALREADY) ++unexpected;
    }
  };
  std::thread t0(worker, 0), t1(worker, 1);
  std::string wav = WavBytes({}, Constant(0.1f, 0.1f, 441));
  for (int i = 0; i < 50; ++i) {
    HSTREAM s = OpenWav(wav);
    if (s == 0 || !b.BASS_StreamFree(s)) ++unexpected;
  }
  t0.join();
  t1.join();
  EXPECT_EQ(unexpected, 0);
  EXPECT_EQ(sharedLoads, 1);
  ASSERT_TRUE(b.BASS_PluginFree(0));
  for (const wchar_t* name : {L"bassshared.dll", L"bassa.dll", L"bassb.dll", L"bassforeign.dll"})
    EXPECT_FALSE(Loaded(dir.File(name))) << name;
}

}  // namespace
