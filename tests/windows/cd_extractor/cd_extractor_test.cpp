// The CD extractor over a host that stands in for the player: names made
// from the rows (safe, numbered, in any script, inside the chosen folder), a
// track whose file cannot be made reported on its row while the rip goes on,
// a cancel in mid-track, every stream the window opened freed, and the rows
// of a disc without CD-Text.
#include "windows/cd_extractor/cd_extractor.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "foundation/string_func.h"
#include "foundation/tnt_ini_files.h"
#include "framework/dialogs.h"
#include "language_components.h"
#include "localization/localization.h"
#include "test_support.h"
#include "unicode_controls/tnt_list_view.h"
#include "windows/cd_extractor/cd_host.h"

namespace {

class TFakeCD : public TCDHost {
 public:
  bool CDReady() override { return true; }
  bool EncoderReady() override { return true; }
  void SetCDBusy(bool Busy) override { this->Busy = Busy; }
  std::vector<TCDDriveLine> CDDrives() override { return {{L"X: Fake", 0}}; }
  std::vector<TCDTrackLine> CDTracks(int32_t) override { return Tracks; }
  bool DriveReady(int32_t) override { return true; }
  void LockDoor(int32_t, bool Lock) override { Locked = Lock; }
  uint32_t OpenTrackStream(int32_t, int32_t Track) override {
    ++Open;
    return static_cast<uint32_t>(Track + 100);
  }
  bool StreamEnded(uint32_t) override { return true; }
  void FreeTrackStream(uint32_t) override { --Open; }
  void EncodeChannel(uint32_t, const std::wstring& OutFile, const std::wstring&, bool&,
                     const std::function<void(int32_t)>& Progress, uint8_t) override {
    HANDLE file = CreateFileW(OutFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, "RIFF", 4, &written, nullptr);
    CloseHandle(file);
    Progress(50);
    Progress(100);
  }
  void ShowError(const std::wstring&) override {}
  TCDEncodeSettings EncodeSettings() override { return {0, L"", Folder}; }
  void ShowEncodingOptions() override {}
  void CDExtractorClosed() override {}
  void DisableShortcuts() override {}
  void EnableShortcuts() override {}
  std::string OverrideFontName() override { return std::string(); }

  std::vector<TCDTrackLine> Tracks;
  std::wstring Folder;
  int Open = 0;
  bool Busy = false, Locked = false;
};

class CDExTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LanguageFile = language_test::EnglishLanguageFile();
    host.Folder = dir.File(L"out");
    SetMessageBoxSink([this](HWND, const std::wstring& text, const std::wstring&, UINT) {
      Boxes.push_back(text);
      return IDYES;
    });
  }
  void TearDown() override {
    SetMessageBoxSink(nullptr);
    delete window;
  }
  void Rip(const std::vector<TCDTrackLine>& tracks) {
    host.Tracks = tracks;
    window = new TCDEx(nullptr, &host);
    window->Show();
    for (int32_t i = 0; i < window->TrackList->Items()->Count(); ++i) window->TrackList->Items()->Item(i)->SetChecked(true);
    window->ExtractMIClick();
  }
  std::wstring State(int32_t row) { return window->TrackList->Items()->Item(row)->SubItems()->Strings(2); }

  testing_support::TempDir dir;
  TFakeCD host;
  TCDEx* window = nullptr;
  std::vector<std::wstring> Boxes;
};

TEST_F(CDExTest, EveryTickedTrackGetsItsOwnSafeFileAndAFailedOneDoesNotStopTheRip) {
  // A file in use where track 4 goes: the user lets it be replaced, the
  // system does not.
  CreateDirectoryW(host.Folder.c_str(), nullptr);
  const std::wstring locked = dir.WriteFile(L"out\\Band - Locked.wav", "old");
  HANDLE inUse = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  const std::wstring mixed = L"\x0416\x0443\x043A \x03A9\x03BC\x03AD\x03B3\x03B1 \x97F3\x697D";
  Rip({{L"AC/DC: Live?", L"", 60}, {mixed, L"Band", 60}, {mixed, L"Band", 60}, {L"Locked", L"Band", 60},
       {L"..\\..\\CON", L"", 60}});
  CloseHandle(inUse);
  const std::set<std::wstring> expected = {L"Band - " + mixed + L" (2).wav", L"Band - " + mixed + L".wav",
                                           L"Band - Locked.wav", L"Unknown artist - AC_DC_ Live_.wav",
                                           L"Unknown artist - .._.._CON.wav"};
  EXPECT_EQ(testing_support::FilesIn(dir.File(L"out\\")), expected);
  const wchar_t* states[] = {L"Done", L"Done", L"Done", L"Failed", L"Done"};
  for (int32_t row = 0; row < 5; ++row) EXPECT_EQ(State(row), states[row]) << row;
  EXPECT_EQ(testing_support::ReadFileBytes(locked), "old");
  ASSERT_EQ(Boxes.size(), 1u);  // the question about the existing file
  EXPECT_NE(Boxes[0].find(locked), std::wstring::npos);
  EXPECT_EQ(host.Open, 0);
  EXPECT_FALSE(host.Locked);
  EXPECT_TRUE(host.Busy);
  window->Close();
  EXPECT_FALSE(host.Busy);
}

// A disc without CD-Text, with a data track between two audio ones: rows
// named by the Track word, no time for the data track, and a second rip
// (of the last track only) that starts from clear states.
TEST_F(CDExTest, RowsOfADiscWithoutCdTextAndTheStatesOfASecondRip) {
  Rip({{L"", L"", 61}, {L"", L"", -1}, {L"", L"", 5}});
  for (int32_t row = 0; row < 2; ++row) window->TrackList->Items()->Item(row)->SetChecked(false);
  window->ExtractMIClick();
  const struct {
    const wchar_t *Title, *Time, *State;
  } rows[] = {{L"Track 1", L"61 sec", L""}, {L"Track 2", L"", L""}, {L"Track 3", L"5 sec", L"Done"}};
  for (int32_t row = 0; row < 3; ++row) {
    TWideSubItems* cells = window->TrackList->Items()->Item(row)->SubItems();
    EXPECT_EQ(cells->Strings(0), rows[row].Title) << row;
    EXPECT_EQ(cells->Strings(1), rows[row].Time) << row;
    EXPECT_EQ(IsBlank(State(row)) ? L"" : State(row), rows[row].State) << row;
  }
}

TEST_F(CDExTest, TheWindowHoldsToItsLanguageSection) {
  using namespace language_test;
  window = new TCDEx(nullptr, &host);
  const TTntIniFile english(EnglishLanguageFile());
  EXPECT_EQ(CompareFormWithSection(window, *FindSection(ReadComponentList(ComponentListFile()), L"CD Extractor"),
                                   english),
            "");
}

}  // namespace
