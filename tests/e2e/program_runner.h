// Drives tavrin.exe from outside, as a user or another program can: a copy of
// the program folder, started processes, their windows, message boxes, clicks
// and WM_COPYDATA records. Used by the end-to-end tests and the start-up
// benchmark; reports problems through a sink so it needs no test framework.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "test_support.h"

namespace e2e {

struct PlaylistEntry {
  std::wstring File;
  std::wstring Title;
  int Seconds = -1;  // -1: no information line
};

// The entries of an extended M3U file; nullopt when its first line is not "#EXTM3U".
std::optional<std::vector<PlaylistEntry>> ParsePlaylist(const std::string& bytes);
// An extended M3U file as the program writes it: UTF-16LE with its mark, CR LF.
std::string MakePlaylist(const std::vector<PlaylistEntry>& entries);
// Text decoded by its byte-order mark (UTF-16LE/BE, UTF-8), else as UTF-8 or ANSI.
std::wstring DecodeText(const std::string& bytes);
// The value of attribute in the first <element ...> tag of an XML text.
std::optional<std::wstring> XmlAttribute(const std::wstring& xml, const std::wstring& element,
                                         const std::wstring& attribute);

// The build's program folder, "..\bin\" beside the running executable's folder.
std::wstring BuiltProgramFolder();

// A copy of the built program folder (every file and subfolder, except the
// settings and last playlist a developer's run may have left there), removed
// with everything in it at the end.
class ProgramFolder {
 public:
  ProgramFolder();
  const std::wstring& Path() const { return FDir.Path(); }
  std::wstring File(const std::wstring& name) const { return FDir.File(name); }
  std::wstring Exe() const { return File(L"tavrin.exe"); }

  bool Exists(const std::wstring& name) const;
  bool Remove(const std::wstring& name) const;
  void Write(const std::wstring& name, const std::string& bytes) const;
  std::string Read(const std::wstring& name) const;
  void WritePlaylist(const std::vector<PlaylistEntry>& entries) const;
  std::optional<std::vector<PlaylistEntry>> ReadPlaylist() const;
  // Tavrin.xml decoded; empty when missing.
  std::wstring ReadSettings() const;

 private:
  testing_support::TempDir FDir;
};

// A process the runner started. The runner owns it.
class Program {
 public:
  Program(PROCESS_INFORMATION info, std::wstring mainClass);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  DWORD Id() const { return FInfo.dwProcessId; }
  HANDLE Handle() const { return FInfo.hProcess; }
  bool Running() const;
  DWORD ExitCode() const;  // STILL_ACTIVE while running
  // Visible top-level windows of this process with the class.
  std::vector<HWND> Windows(const std::wstring& className) const;
  // The visible main window, or nullptr.
  HWND MainWindow() const;
  // Visible dialogs ("#32770") of this process.
  std::vector<HWND> Dialogs() const;

 private:
  friend class ProgramRunner;
  PROCESS_INFORMATION FInfo;
  std::wstring FMainClass;
  bool FEndChecked = false;  // its exit code was held against an expected one
};

using Environment = std::vector<std::pair<std::wstring, std::wstring>>;
using ProblemSink = std::function<void(const std::wstring&)>;

// Starts programs and waits for them. Every wait also looks for dialogs of the
// started processes: one nobody expected is reported with its text and ends
// the wait. Finish (also run by the destructor) reports and ends every process
// still running, and reports every one that ended with a code other than 0
// that no WaitForExit expected.
class ProgramRunner {
 public:
  explicit ProgramRunner(ProblemSink onProblem = {});
  ~ProgramRunner();
  ProgramRunner(const ProgramRunner&) = delete;
  ProgramRunner& operator=(const ProgramRunner&) = delete;

  // Starts exe with arguments and extra environment variables; nullptr (reported)
  // when it cannot be started.
  Program* Start(const std::wstring& exe, const std::vector<std::wstring>& args = {},
                 const Environment& extra = {}, const std::wstring& mainClass = L"TTavrinMainForm");

  // Polls done() until it holds (true) or timeoutMs passes; with boxesExpected
  // the dialogs met meanwhile are not reported.
  bool WaitUntil(const std::function<bool()>& done, unsigned timeoutMs, bool boxesExpected = false);
  // The main window once visible; nullptr (reported) on time-out or exit.
  HWND WaitForMainWindow(Program& program, unsigned timeoutMs = 10000);
  // A dialog of the program, which is then expected; nullptr (reported) on time-out.
  HWND WaitForMessageBox(Program& program, unsigned timeoutMs = 10000);
  // Whether the program ended in time; reported when not, or when it ended
  // with another code than expectedCode (a crash, abort() or terminate()).
  bool WaitForExit(Program& program, unsigned timeoutMs = 10000, DWORD expectedCode = 0);
  // Marks a dialog as expected, so waits do not report it.
  void ExpectDialog(HWND dialog);
  // Reports dialogs nobody expected; false when there is one.
  bool CheckDialogs();

  void Finish();
  void Report(const std::wstring& problem) const;

 private:
  void ReportExitCode(const Program& program) const;
  ProblemSink FOnProblem;
  testing_support::TempDir FWorkDir;  // the children's current folder
  HANDLE FNul = nullptr;
  std::vector<std::unique_ptr<Program>> FPrograms;
  std::vector<HWND> FExpected;
  std::vector<HWND> FReported;
};

// Text of a window of any process.
std::wstring WindowText(HWND window);
std::wstring ClassOf(HWND window);
// The text of a message box (its static text).
std::wstring MessageBoxText(HWND box);
// Presses a dialog's button by its id (IDOK...), as a click would.
bool PressDialogButton(HWND dialog, int id);
// The deepest visible descendant of top whose rectangle, in top's client
// coordinates, is exactly rect; nullptr when none.
HWND FindChildAt(HWND top, const RECT& rect);
// The visible descendants of top whose class name begins with prefix.
std::vector<HWND> ChildrenOfClass(HWND top, const std::wstring& prefix);
// The first visible descendant of top whose text is text (a check box, a
// button...) or whose class name begins with it.
HWND ChildWithText(HWND top, const std::wstring& text);
// Posts a left click (button down with MK_LBUTTON, then up) at a client point.
void PostClick(HWND window, POINT clientPoint);
// Input through the system, as the user's own keyboard and mouse give it, to
// whatever has the focus or lies under the pointer: Key with Modifier held
// (0: none); a left click at a client point of window, handled on return.
void SendKey(WORD key, WORD modifier = 0);
void SendClick(HWND window, POINT clientPoint);
// A left press at the client point, moved by dx, dy in steps, or by each of
// moves in turn, and let go; false when the press never took the pointer or
// never let it go.
bool SendDrag(HWND window, POINT clientPoint, int dx, int dy, int steps = 3);
bool SendDragAlong(HWND window, POINT clientPoint, const std::vector<POINT>& moves);
// The window's client size.
SIZE ClientSize(HWND window);
// The window that has the keyboard focus in window's thread, or nullptr.
HWND FocusOf(HWND window);
// Whether the window's thread answers WM_NULL in time.
bool Answers(HWND window, unsigned timeoutMs = 5000);
// Sends WM_COPYDATA with size bytes at data (data may be null); whether it
// was answered in time.
bool SendCopyData(HWND target, ULONG_PTR kind, const void* data, DWORD size,
                  unsigned timeoutMs = 5000);
// The arguments record another program sends: "item|item|...|", sent with
// its terminating zero.
std::wstring CopyDataRecord(const std::vector<std::wstring>& items);

}  // namespace e2e
