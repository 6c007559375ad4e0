// Shared by the options window's tests: a host that records every call as a
// line of text, and a fixture with the window, a program folder of its own
// (languages and two icon libraries) and message boxes recorded.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "test_support.h"
#include "windows/options/options_form.h"

namespace options_window_test {

struct FakeHost : TOptionsHost {
  std::vector<std::string> Calls;
  uint32_t Buffer = 500, NetBuffer = 1000;
  std::vector<std::wstring> Devices{L"Speakers", L"Headphones", L"Line out"};
  bool DeviceWorks = true;
  int32_t Device = 2;
  bool Float = false;
  TSkinListing Skins{{L"Default", L"Ember", L"Glass"}, 0};

  void Call(const std::string& Line) { Calls.push_back(Line); }
  void SetBufferLength(uint32_t Ms) override { Buffer = Ms; }
  uint32_t BufferLength() override { return Buffer; }
  void SetNetBufferLength(uint32_t Ms) override { NetBuffer = Ms; }
  uint32_t NetBufferLength() override { return NetBuffer; }
  void SetUseProxy(bool V) override { Call("UseProxy " + std::to_string(V)); }
  void SetVolumeCurve(int32_t C) override { Call("VolumeCurve " + std::to_string(C)); }
  std::vector<std::wstring> DeviceNames() override { return Devices; }
  bool SetDevice(int32_t N) override;
  int32_t GetDevice() override { return Device; }
  bool GetDeviceFacts(TDeviceFacts& Facts) override;
  void SetFloatOutput(bool V) override { Call("FloatOutput " + std::to_string(V)); }
  bool FloatOutput() override { return Float; }
  void SetVisRefreshInterval(int32_t Ms) override { Call("VisInterval " + std::to_string(Ms)); }
  void SetVisKind(int32_t K) override { Call("VisKind " + std::to_string(K)); }
  void LoadMenuIcons() override { Call("LoadMenuIcons"); }
  void ClearMenuIcons() override { Call("ClearMenuIcons"); }
  void SetMinimizeToTray(bool V) override { Call("MinimizeToTray " + std::to_string(V)); }
  void SetShortcutsEnabled(bool V) override { Call("Shortcuts " + std::to_string(V)); }
  void ApplyFileTypes() override { Call("ApplyFileTypes"); }
  void ApplyGlobalFont(const std::string& F) override { Call("GlobalFont " + F); }
  void SetSkinnedWindowsOpacity(int32_t V) override { Call("Opacity " + std::to_string(V)); }
  void SetPlaylistShowNumbers(bool V) override { Call("Numbers " + std::to_string(V)); }
  void SetPlaylistShowDuration(bool V) override { Call("Duration " + std::to_string(V)); }
  void SetPlaylistFontName(const std::string& F) override { Call("PLFont " + F); }
  void SetPlaylistFontSize(int32_t S) override { Call("PLFontSize " + std::to_string(S)); }
  void SetPlaylistSmoothResize(bool V) override { Call("SmoothResize " + std::to_string(V)); }
  TSkinListing FindSkins() override { return Skins; }
  bool SkinCheck(const std::wstring& S) override;
  void LoadSkin(const std::wstring& S) override;
  bool DeleteSkin(const std::wstring& S) override;
  void LoadLanguage(const std::wstring& L) override;
};

struct Box {
  std::wstring Text;
  std::wstring Caption;
  UINT Flags;
};

class OptionsTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // The host's calls since the last look, then forgotten.
  std::vector<std::string> TakeCalls();
  // Icons\<Name>.icl in the program folder, a copy of a system module with
  // icons; false when the system has none to copy.
  bool AddIconLibrary(const std::wstring& Name);

  FakeHost host;
  std::unique_ptr<TOptions> form;
  std::vector<Box> boxes;
  std::unique_ptr<testing_support::TempDir> program;

 private:
  std::wstring FSavedAppDir, FSavedSkin, FSavedIconSet, FSavedLanguage, FSavedLanguageFile;
};

std::string U8(const std::wstring& S);

}  // namespace options_window_test
