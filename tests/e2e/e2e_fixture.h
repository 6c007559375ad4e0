// The end-to-end tests' fixture: a copy of the program folder, a folder for the
// test's own files, and a runner whose problems fail the test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "default_skin.h"
#include "program_runner.h"
#include "window_picture.h"

namespace bass_test {
class LoopbackServer;
}

namespace e2e {

// The remote-control message: WParam the command, LParam its argument.
inline constexpr UINT kRemote = 0x89CE;

// UTF-8 of a wide text, for test messages.
std::string Narrow(const std::wstring& text);
// Seconds (three unless given) of white noise at -20 dBFS, 44.1 kHz 16-bit
// stereo, the same in every run and different in the two channels.
std::string NoiseWav(int seconds = 3);
// A second of a 440 Hz sine, 44.1 kHz 16-bit stereo.
std::string SineWav();
// Non-zero samples in the data chunk of a capture file (read to its end: its
// header may lag behind the data while it grows).
size_t NonZeroSamples(const std::string& wav);
// The left channel of a capture file, read to its end.
std::vector<int16_t> LeftSamples(const std::string& wav);
// The file names of a playlist, lower-cased; {"<no playlist>"} when unreadable.
std::vector<std::wstring> FilesOf(const std::optional<std::vector<PlaylistEntry>>& list);
std::wstring Lower(std::wstring text);
// The built-in default settings document, as the program ships it.
std::string DefaultSettings();
// The XML text with attribute of the first <element ...> tag set to value
// (the attribute must be there).
std::string WithAttribute(std::string xml, const std::string& element, const std::string& attribute,
                          const std::string& value);
// The application window's title: "<song> - Tavrin" while a song plays.
std::wstring AppTitle(Program& program);
// The opacity a window is drawn with: 255 when it is not layered.
int LayeredOpacity(HWND window);
// A window's place on the screen.
RECT WindowRect(HWND window);
// Visible or not, the program's top-level windows of the class.
std::vector<HWND> AllWindows(Program& program, const std::wstring& className);
// text with every `from` replaced by `to`.
std::string Replace(std::string text, const std::string& from, const std::string& to);
// A file beside the test executable ("skins\\Ember\\", "lang\\Russian.ini").
std::wstring TestFile(const std::wstring& name);
// A radio at the server's "/radio": a 440 Hz tone as WAV (a header that
// promises more than is ever sent, then the second of tone again and again)
// with its server's fields "Loopback FM", "Test Tones", "http://127.0.0.1/", 128.
void ServeRadio(bass_test::LoopbackServer& server);

class E2ETest : public ::testing::Test {
 protected:
  void TearDown() override { runner.Finish(); }

  // Writes a sine WAV into the test's folder; its full name.
  std::wstring Wav(const std::wstring& name);
  // A subfolder of the test's folder holding sine WAVs of these names.
  std::wstring FolderOfWavs(const std::wstring& name, const std::vector<std::wstring>& files);
  // The environment that sends the program's output to the capture file name.
  Environment CaptureTo(const std::wstring& name) const;
  // Whether the capture file has sound within timeoutMs.
  bool CaptureSounds(const std::wstring& name, unsigned timeoutMs = 10000);

  // The test skin "Ember" (built beside the tests) as the program folder's
  // Skins\<name>, less the file Without.
  void InstallSkin(const std::wstring& name, const std::wstring& without = L"");
  // Starts tavrin.exe in the folder and waits for its main window and for it
  // to answer.
  Program* Start(const std::vector<std::wstring>& args = {}, const Environment& extra = {});
  // Clicks the main window's close button and waits for the process to end.
  void ExitByClick(Program& program);
  // Clicks the middle of the child window the rectangle of main's client area
  // holds; false (reported) when there is none.
  bool ClickChildAt(HWND main, const RECT& rect);
  // The program's first visible window of the class, once there is one;
  // nullptr after ten seconds.
  HWND WaitForWindow(Program& program, const std::wstring& className);
  // Clicks the button of a window whose caption is caption.
  void Press(HWND window, const std::wstring& caption);
  // Ends a program without saving (WM_CLOSE) and waits.
  void CloseWithoutSaving(Program& program);
  // The playlist window's menu button at the skin's place of key
  // ("AddBut", "SelBut", "MiscBut"...) clicked; its menu once open, else
  // nullptr (reported).
  HWND OpenPlaylistMenu(Program& program, HWND playlist, const wchar_t* key);
  // The window's picture, kept as name: painting comes after every other
  // message, so no message says when it is done, and the picture is taken
  // until two in a row agree. False when they never did within timeoutMs
  // (the picture is the last one taken then).
  bool SteadyPicture(HWND window, const std::wstring& name, testing_support::Picture& picture,
                     unsigned timeoutMs = 3000);

  ProgramFolder folder;
  testing_support::DefaultSkin skin;
  testing_support::TempDir data;
  ProgramRunner runner{[](const std::wstring& problem) { ADD_FAILURE() << Narrow(problem); }};
};

}  // namespace e2e
