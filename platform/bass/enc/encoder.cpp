#include "bass/enc/encoder.h"

#include <chrono>
#include <climits>
#include <cstring>

#include "bass/enc/bass_link.h"

namespace bass_enc {
namespace {

// About a second and a half of CD audio: enough to ride out an encoder's
// pauses, small enough that a stalled one is felt at once.
constexpr size_t kQueueLimit = 256 * 1024;
// Under Wine a read from a pipe is a round trip to the server and takes at
// most what the pipe holds: with 64 KiB, lame.exe spent a few percent of its
// time in reads. It reads through a 1 MiB buffer (scripts/build-deps).
constexpr DWORD kPipeBytes = 1 << 20;
// A program that takes no data for this long is taken for hung.
constexpr auto kPushTimeout = std::chrono::seconds(30);
// How often an idle writer checks that its channel still exists.
constexpr auto kIdleCheck = std::chrono::milliseconds(250);
// What an encoder may take to finish its output after its input is closed.
constexpr DWORD kExitWait = 60000;

void Put16(uint8_t* at, uint32_t v) {
  at[0] = static_cast<uint8_t>(v);
  at[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* at, uint32_t v) {
  Put16(at, v & 0xFFFF);
  Put16(at + 2, v >> 16);
}

}  // namespace

Encoder::Encoder(HENCODE handle, DWORD channel, const std::wstring* commandLine, DWORD flags,
                 ENCODEPROC* proc, void* user, int& error)
    : FHandle(handle), FChannel(channel), FProc(proc), FUser(user) {
  error = BASS_OK;
  BASS_CHANNELINFO info{};
  if (!ChannelInfo(channel, info)) {
    error = BASS_ERROR_HANDLE;
    return;
  }
  if (commandLine != nullptr && !StartProcess(*commandLine)) {
    error = BASS_ERROR_FILEOPEN;
    return;
  }
  FPaused = (flags & BASS_ENCODE_PAUSE) != 0;
  if ((flags & BASS_ENCODE_NOHEAD) == 0) {
    FQueue.push_back(WavHeader(info));
    FQueued = FQueue.back().size();
  }
  // The thread holds a reference to this DLL, so unloading bassenc while an
  // encoder still runs cannot pull the code from under it.
  HMODULE self = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                     reinterpret_cast<LPCWSTR>(&Encoder::ThreadEntry), &self);
  FThread = CreateThread(nullptr, 0, &Encoder::ThreadEntry, this, 0, nullptr);
  if (FThread == nullptr) {
    if (self != nullptr) FreeLibrary(self);
    error = BASS_ERROR_MEM;
    FinishProcess();
    return;
  }
  FDsp = ChannelSetDsp(channel, &Encoder::Tap, this, INT_MIN);
  if (FDsp == 0) {
    error = BASS_ERROR_HANDLE;
    Stop();
  }
}

Encoder::~Encoder() {
  Stop();
  if (FThread != nullptr) CloseHandle(FThread);
  if (FProcess != nullptr) CloseHandle(FProcess);
}

bool Encoder::StartProcess(const std::wstring& commandLine) {
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE readEnd = nullptr;
  if (!CreatePipe(&readEnd, &FPipe, &inherit, kPipeBytes)) return false;
  // Only the program's end is inherited: a copy of ours in the child would
  // keep its input open forever.
  SetHandleInformation(FPipe, HANDLE_FLAG_INHERIT, 0);
  HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           OPEN_EXISTING, 0, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = readEnd;
  startup.hStdOutput = nul;
  startup.hStdError = nul;
  PROCESS_INFORMATION process{};
  std::wstring mutableLine = commandLine;  // CreateProcessW may write into it
  BOOL started = CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, TRUE,
                                CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
  CloseHandle(readEnd);
  if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
  if (!started) {
    CloseHandle(FPipe);
    FPipe = nullptr;
    return false;
  }
  CloseHandle(process.hThread);
  FProcess = process.hProcess;
  return true;
}

// The length is unknown while the data flows: both sizes say "as much as
// there is", which lame and oggenc take as reading to the end of the input.
std::vector<uint8_t> Encoder::WavHeader(const BASS_CHANNELINFO& info) const {
  const bool isFloat = (info.flags & BASS_SAMPLE_FLOAT) != 0;
  const uint32_t bits = isFloat ? 32 : (info.flags & BASS_SAMPLE_8BITS) ? 8 : 16;
  const uint32_t align = info.chans * bits / 8;
  std::vector<uint8_t> h(44);
  memcpy(h.data(), "RIFF", 4);
  Put32(&h[4], 0xFFFFFFFF);
  memcpy(&h[8], "WAVEfmt ", 8);
  Put32(&h[16], 16);
  Put16(&h[20], isFloat ? 3 : 1);
  Put16(&h[22], info.chans);
  Put32(&h[24], info.freq);
  Put32(&h[28], info.freq * align);
  Put16(&h[32], align);
  Put16(&h[34], bits);
  memcpy(&h[36], "data", 4);
  Put32(&h[40], 0xFFFFFFFF);
  return h;
}

void CALLBACK Encoder::Tap(HDSP, DWORD, void* buffer, DWORD length, void* user) {
  auto* self = static_cast<Encoder*>(user);
  {
    std::lock_guard lock(self->FMutex);
    if (self->FPaused) return;
  }
  self->Write(buffer, length);
}

DWORD Encoder::State() {
  std::lock_guard lock(FMutex);
  if (FEnded || FClosing) return BASS_ACTIVE_STOPPED;
  return FPaused ? BASS_ACTIVE_PAUSED : BASS_ACTIVE_PLAYING;
}

void Encoder::SetPaused(bool paused) {
  std::lock_guard lock(FMutex);
  FPaused = paused;
}

size_t Encoder::Queued() {
  std::lock_guard lock(FMutex);
  return FQueued;
}

size_t Encoder::QueueLimit() { return kQueueLimit; }

bool Encoder::Write(const void* data, size_t length) {
  if (length == 0) return true;
  std::unique_lock lock(FMutex);
  bool room = FChanged.wait_for(lock, kPushTimeout, [&] {
    return FClosing || FEnded || FQueued < kQueueLimit;
  });
  if (FClosing || FEnded) return false;
  if (!room) {
    // The program stopped reading: give up on it rather than hold the
    // channel's thread forever.
    FFailed = true;
    FClosing = true;
    FChanged.notify_all();
    return false;
  }
  const auto* bytes = static_cast<const uint8_t*>(data);
  FQueue.emplace_back(bytes, bytes + length);
  FQueued += length;
  FChanged.notify_all();
  return true;
}

DWORD WINAPI Encoder::ThreadEntry(void* self) {
  static_cast<Encoder*>(self)->Run();
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&Encoder::ThreadEntry), &module);
  FreeLibraryAndExitThread(module, 0);
}

void Encoder::Run() {
  for (;;) {
    std::vector<uint8_t> block;
    {
      std::unique_lock lock(FMutex);
      bool woke = FChanged.wait_for(lock, kIdleCheck, [&] { return FClosing || !FQueue.empty(); });
      if (!woke) {
        lock.unlock();
        BASS_CHANNELINFO info{};
        if (ChannelInfo(FChannel, info)) continue;
        // The channel was freed: its encoders end with it.
        lock.lock();
        FClosing = true;
        continue;
      }
      if (FQueue.empty()) break;  // closing, and everything written
      block = std::move(FQueue.front());
      FQueue.pop_front();
      FQueued -= block.size();
      FChanged.notify_all();
    }
    if (!Deliver(block)) {
      std::lock_guard lock(FMutex);
      FFailed = true;
      FClosing = true;
      FQueue.clear();
      FQueued = 0;
      FChanged.notify_all();
    }
  }
  FinishProcess();
  std::lock_guard lock(FMutex);
  FEnded = true;
  FChanged.notify_all();
}

bool Encoder::Deliver(const std::vector<uint8_t>& block) {
  if (FProc != nullptr) {
    FProc(FHandle, FChannel, block.data(), static_cast<DWORD>(block.size()), FUser);
    return true;
  }
  size_t done = 0;
  while (done < block.size()) {
    DWORD wrote = 0;
    if (!WriteFile(FPipe, block.data() + done, static_cast<DWORD>(block.size() - done), &wrote,
                   nullptr) || wrote == 0)
      return false;
    done += wrote;
  }
  return true;
}

// The process handle stays open until the object goes: Stop may still have
// to end a program that hangs.
void Encoder::FinishProcess() {
  if (FPipe != nullptr) {
    CloseHandle(FPipe);
    FPipe = nullptr;
  }
  if (FProcess == nullptr) return;
  DWORD code = 1;
  if (WaitForSingleObject(FProcess, kExitWait) != WAIT_OBJECT_0) {
    TerminateProcess(FProcess, 1);
    WaitForSingleObject(FProcess, 5000);
  } else {
    GetExitCodeProcess(FProcess, &code);
  }
  if (code != 0) {
    std::lock_guard lock(FMutex);
    FFailed = true;
  }
}

bool Encoder::Stop() {
  {
    std::lock_guard lock(FMutex);
    FClosing = true;
    FChanged.notify_all();
  }
  // After the removal no tap call is running: bass.dll calls DSPs under the
  // channel's lock, and a blocked one was released by the closing flag.
  if (FDsp != 0) {
    ChannelRemoveDsp(FChannel, FDsp);
    FDsp = 0;
  }
  if (FThread != nullptr) {
    // The writer may sit in a write to a program that no longer reads.
    if (WaitForSingleObject(FThread, kExitWait + 10000) != WAIT_OBJECT_0 && FProcess != nullptr) {
      TerminateProcess(FProcess, 1);
      WaitForSingleObject(FThread, INFINITE);
    }
  } else {
    FinishProcess();
  }
  std::lock_guard lock(FMutex);
  FEnded = true;
  return !FFailed;
}

}  // namespace bass_enc
