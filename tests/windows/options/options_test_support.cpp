#include "options_test_support.h"

#include <shellapi.h>

#include "foundation/tnt_system.h"
#include "framework/dialogs.h"
#include "globals/program_globals.h"
#include "localization/localization.h"
#include "settings/settings_xml.h"

namespace options_window_test {

std::string U8(const std::wstring& S) { return WideStringToUTF8(S); }

bool FakeHost::SetDevice(int32_t N) {
  Call("SetDevice " + std::to_string(N));
  if (DeviceWorks) Device = N;
  return DeviceWorks;
}

bool FakeHost::GetDeviceFacts(TDeviceFacts& Facts) {
  Facts.Flags = 0x40 | 0xF00;
  Facts.MinRate = 100;
  Facts.MaxRate = 200000;
  Facts.Speakers = 2;
  Facts.Driver = L"fake.sys";
  Facts.DirectSoundVersion = 9;
  return true;
}

bool FakeHost::SkinCheck(const std::wstring& S) {
  Call("SkinCheck " + U8(S));
  return S != L"Glass";
}

void FakeHost::LoadSkin(const std::wstring& S) { Call("LoadSkin " + U8(S)); }

bool FakeHost::DeleteSkin(const std::wstring& S) {
  Call("DeleteSkin " + U8(S));
  std::erase(Skins.Names, S);
  return true;
}

void FakeHost::LoadLanguage(const std::wstring& L) { Call("LoadLanguage " + U8(L)); }

void OptionsTest::SetUp() {
  FSavedAppDir = AppDir;
  FSavedSkin = CurrentSkin;
  FSavedIconSet = CurrentIconSet;
  FSavedLanguage = CurrentLanguage;
  FSavedLanguageFile = LanguageFile;
  program = std::make_unique<testing_support::TempDir>();
  CreateDirectoryW(program->File(L"Lang").c_str(), nullptr);
  CreateDirectoryW(program->File(L"Icons").c_str(), nullptr);
  program->WriteFile(L"Lang\\English.ini",
                     "[Messages]\r\nDeviceDriverInvalid=bad device\r\n"
                     "FeatureRequiresDX9=needs float output\r\nChooseFolder=Pick a folder\r\n");
  program->WriteFile(L"Lang\\Deutsch.ini", "[Messages]\r\n");
  AppDir = program->Path();
  CurrentSkin = L"Default";
  CurrentLanguage = L"English";
  LanguageFile = program->File(L"Lang\\English.ini");
  SetSettingsFolder(program->Path());
  SetMessageBoxSink([this](HWND, const std::wstring& Text, const std::wstring& Caption, UINT Flags) {
    boxes.push_back({Text, Caption, Flags});
    return IDOK;
  });
  form = std::make_unique<TOptions>(nullptr, &host);
}

void OptionsTest::TearDown() {
  form.reset();
  testing_support::PumpPendingMessages();
  SetMessageBoxSink(nullptr);
  SetSettingsFolder(L"");
  AppDir = FSavedAppDir;
  CurrentSkin = FSavedSkin;
  CurrentIconSet = FSavedIconSet;
  CurrentLanguage = FSavedLanguage;
  LanguageFile = FSavedLanguageFile;
  program.reset();
}

std::vector<std::string> OptionsTest::TakeCalls() {
  std::vector<std::string> calls;
  calls.swap(host.Calls);
  return calls;
}

bool OptionsTest::AddIconLibrary(const std::wstring& Name) {
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  const std::wstring source = std::wstring(system) + L"\\shell32.dll";
  if (ExtractIconExW(source.c_str(), -1, nullptr, nullptr, 0) == 0) return false;
  return CopyFileW(source.c_str(), program->File(L"Icons\\" + Name + L".icl").c_str(), FALSE);
}

}  // namespace options_window_test
