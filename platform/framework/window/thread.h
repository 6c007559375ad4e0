// TThread: runs Execute on a thread of its own (CreateThread), for short-lived
// work such as loading add-ons. The state the thread touches is shared with
// the object, so a thread that outlives a WaitFor time limit never touches
// freed memory; the object only forgets it then. Execute's exceptions are
// caught and handed to ApplicationHandleException.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

class TThread {
 public:
  // Starts at once unless CreateSuspended; then Start() runs it.
  explicit TThread(std::function<void()> Execute, bool CreateSuspended = false);
  // Waits for the thread without a limit when it still runs; call WaitFor with
  // a limit first to avoid that.
  ~TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  void Start();
  // True when the thread has ended (or never started) within TimeoutMs.
  bool WaitFor(DWORD TimeoutMs);
  bool Finished() const;
  // Forgets a thread that would not end: the destructor then no longer waits.
  void Detach();

 public:
  struct TState;  // shared with the running thread

 private:
  std::shared_ptr<TState> FState;
  HANDLE FHandle = nullptr;
  bool FStarted = false;
};
