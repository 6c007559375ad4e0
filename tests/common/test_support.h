// Helpers shared by every test executable.
#pragma once

#include <exception>
#include <functional>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "framework/app_exceptions.h"

namespace testing_support {

// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes away. Tests never write into the checkout.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder, with a trailing backslash.
  const std::wstring& Path() const { return FPath; }
  // Path() + name.
  std::wstring File(const std::wstring& name) const { return FPath + name; }
  // Writes bytes to Path() + name and returns the full name.
  std::wstring WriteFile(const std::wstring& name, const std::string& bytes) const;

 private:
  std::wstring FPath;
};

// The message of the exception of type E that f() raises, or "(nothing raised)".
template <typename E, typename F>
std::wstring MessageOf(F f) {
  try {
    f();
  } catch (const E& e) {
    return e.Message();
  }
  return L"(nothing raised)";
}

// Names of the files (not folders) in a folder given with a trailing backslash.
std::set<std::wstring> FilesIn(const std::wstring& folder);

// Sets an existing file's last-write time seconds back from now, as if it
// was last written then; false when the file cannot be reached.
bool SetFileAge(const std::wstring& fileName, unsigned seconds);

// Reads a whole file; empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& fileName);

// Dispatches the thread's messages until done() holds or timeoutMs passes;
// returns whether done() held. Never waits longer than the timeout.
bool PumpMessagesUntil(const std::function<bool()>& done, unsigned timeoutMs = 5000);

// Dispatches whatever messages are waiting, without blocking.
void PumpPendingMessages();

// Records the messages of what reaches ApplicationHandleException, instead of
// an error box, while it lives; puts the previous sink back after.
class ExceptionRecorder {
 public:
  ExceptionRecorder();
  ~ExceptionRecorder();
  ExceptionRecorder(const ExceptionRecorder&) = delete;
  ExceptionRecorder& operator=(const ExceptionRecorder&) = delete;

  std::vector<std::string> messages;  // what() of each, in order

 private:
  ApplicationExceptionSink FPrevious;
};

// The thread's keyboard state with exactly the given keys down among the
// modifiers (Shift, Ctrl, Alt, either side); the whole state comes back after.
class ScopedKeys {
 public:
  explicit ScopedKeys(std::initializer_list<int> down);
  ~ScopedKeys();
  ScopedKeys(const ScopedKeys&) = delete;
  ScopedKeys& operator=(const ScopedKeys&) = delete;

 private:
  unsigned char FSaved[256];
};

}  // namespace testing_support
