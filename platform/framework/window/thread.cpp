#include "framework/thread.h"

#include <atomic>

#include "framework/app_exceptions.h"
#include "framework/exceptions.h"

struct TThread::TState {
  std::function<void()> Execute;
  std::atomic<bool> Finished{false};
};

namespace {

DWORD WINAPI ThreadEntry(LPVOID parameter) {
  auto* held = static_cast<std::shared_ptr<TThread::TState>*>(parameter);
  std::shared_ptr<TThread::TState> state = std::move(*held);
  delete held;
  try {
    state->Execute();
  } catch (...) {
    ApplicationHandleException(std::current_exception());
  }
  state->Finished = true;
  return 0;
}

}  // namespace

TThread::TThread(std::function<void()> Execute, bool CreateSuspended) : FState(std::make_shared<TState>()) {
  FState->Execute = std::move(Execute);
  if (!CreateSuspended) Start();
}

TThread::~TThread() {
  if (FHandle != nullptr) {
    WaitForSingleObject(FHandle, INFINITE);
    CloseHandle(FHandle);
  }
}

void TThread::Start() {
  if (FStarted) return;
  auto* held = new std::shared_ptr<TState>(FState);
  FHandle = CreateThread(nullptr, 0, ThreadEntry, held, 0, nullptr);
  if (FHandle == nullptr) {
    delete held;
    throw Exception(L"Thread creation error");
  }
  FStarted = true;
}

bool TThread::WaitFor(DWORD TimeoutMs) {
  if (FHandle == nullptr) return true;
  return WaitForSingleObject(FHandle, TimeoutMs) == WAIT_OBJECT_0;
}

bool TThread::Finished() const { return !FStarted || FState->Finished; }

void TThread::Detach() {
  if (FHandle != nullptr) CloseHandle(FHandle);
  FHandle = nullptr;
}
