// Shared by the playlist window's tests: a main window that records what it
// is asked, settings that a test changes, message boxes recorded with the
// texts of a small language file, and MP3 bytes with their tags.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "playlist/elem.h"
#include "test_support.h"
#include "windows/playlist/playlist_form.h"

namespace playlist_window_test {

struct FakeHost : TPlaylistHost {
  int Plays = 0;
  int PlaysOfCurrent = 0;  // of them, plays of the list's current entry
  int Stops = 0;
  uint8_t Mode = 0;
  bool Shortcuts = true;
  std::vector<int32_t> PlayedIndexes;  // the list's current entry at each Play
  TPlaylist* Form = nullptr;

  void Play() override;
  void PlayCurrent() override {
    Play();
    ++PlaysOfCurrent;
  }
  void Stop() override { ++Stops; }
  uint8_t PlayerMode() override { return Mode; }
  bool ShuffleOn() override { return false; }
  void PlayRandomSong() override {}
  void OpenURL() override {}
  void TogglePlaylist() override {}
  bool ShortcutsEnabled() override { return Shortcuts; }
  void SetShortcutsEnabled(bool Value) override { Shortcuts = Value; }
  bool ExecuteOpenDialog(const std::wstring&, std::vector<std::wstring>&) override { return false; }
  void ShowText(const std::wstring&) override {}
};

struct TestSettings : TPlaylistSettings {
  bool Recurse = true;
  bool RecurseSubDirs() override { return Recurse; }
};

struct Box {
  std::wstring Text;
  std::wstring Caption;
  UINT Flags;
};

// A playlist window (hidden) with a recording host; message boxes are
// recorded and answered with Answer; the language file holds the playlist's
// messages as "<key>: %s".
class PlaylistFormTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::vector<TElem> Entries() const;
  std::vector<std::wstring> FileNames() const;

  FakeHost host;
  TestSettings settings;
  std::unique_ptr<TPlaylist> form;
  std::vector<Box> boxes;
  int answer = IDOK;

 private:
  std::unique_ptr<testing_support::TempDir> FLanguageDir;
  std::wstring FSavedLanguage;
};

std::string U8(const std::wstring& S);
// WAV: 8 kHz mono 8-bit, Seconds long.
std::string Wav(double Seconds);
// MPEG 1 Layer III frames, 128 kbit/s, 44100 Hz, 417 bytes each.
std::string Mp3Frames(int Count);
// An ID3v2.3 tag with the artist (when not empty) and the title.
std::string Id3v2(const std::string& Artist, const std::string& Title);
std::string Id3v1(const std::string& Artist, const std::string& Title);

}  // namespace playlist_window_test
