// bassenc.dll's entry points over a table of encoders. A handle names one
// encoder or, where BASS allows it, every encoder of a channel. Handles are
// never reused within the process.
#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "bass/bass_api.h"
#include "bass/common/error_code.h"
#include "bass/common/text.h"
#include "bass/enc/encoder.h"

using namespace tavrin_bass;
using bass_enc::Encoder;

namespace {

struct EncoderTable {
  std::mutex mutex;
  std::map<HENCODE, std::shared_ptr<Encoder>> encoders;
  HENCODE next = 0x7E000001;
};

// Never destroyed: at process exit the writer threads are gone already, and
// nothing is left to stop.
EncoderTable& Table() {
  static auto* table = new EncoderTable;
  return *table;
}

// The encoders that handle names: itself, or all of a channel's.
std::vector<std::pair<HENCODE, std::shared_ptr<Encoder>>> Find(DWORD handle) {
  auto& t = Table();
  std::lock_guard lock(t.mutex);
  std::vector<std::pair<HENCODE, std::shared_ptr<Encoder>>> found;
  if (auto it = t.encoders.find(handle); it != t.encoders.end()) {
    found.emplace_back(*it);
    return found;
  }
  for (auto& entry : t.encoders)
    if (entry.second->Channel() == handle) found.emplace_back(entry);
  return found;
}

void Forget(HENCODE handle) {
  auto& t = Table();
  std::lock_guard lock(t.mutex);
  t.encoders.erase(handle);
}

}  // namespace

HENCODE WINAPI BASS_Encode_Start(DWORD handle, const void* cmdline, DWORD flags, ENCODEPROC* proc,
                                 void* user) {
  return Guarded([&]() -> HENCODE {
    if (handle == 0) return Fail(BASS_ERROR_HANDLE);
    if (cmdline == nullptr && proc == nullptr) return Fail(BASS_ERROR_ILLPARAM);
    std::wstring line;
    if (cmdline != nullptr) {
      line = (flags & BASS_UNICODE) ? std::wstring(static_cast<const wchar_t*>(cmdline))
                                    : WideFromAnsi(static_cast<const char*>(cmdline));
      if (line.empty()) return Fail(BASS_ERROR_ILLPARAM);
    }
    HENCODE id;
    {
      auto& t = Table();
      std::lock_guard lock(t.mutex);
      id = t.next++;
    }
    int error = BASS_OK;
    auto encoder = std::make_shared<Encoder>(id, handle, cmdline ? &line : nullptr, flags, proc,
                                             user, error);
    if (error != BASS_OK) return Fail(error);
    auto& t = Table();
    std::lock_guard lock(t.mutex);
    t.encoders.emplace(id, std::move(encoder));
    return Ok(id);
  });
}

DWORD WINAPI BASS_Encode_IsActive(DWORD handle) {
  return Guarded([&]() -> DWORD {
    auto found = Find(handle);
    if (found.empty()) return Fail(BASS_ERROR_HANDLE);
    DWORD state = BASS_ACTIVE_STOPPED;
    for (auto& [id, encoder] : found) {
      DWORD s = encoder->State();
      if (s == BASS_ACTIVE_PLAYING || state == BASS_ACTIVE_STOPPED) state = s;
    }
    return Ok(state);
  });
}

BOOL WINAPI BASS_Encode_Stop(DWORD handle) {
  return Guarded([&]() -> BOOL {
    auto found = Find(handle);
    if (found.empty()) return Fail(BASS_ERROR_HANDLE);
    bool ok = true;
    for (auto& [id, encoder] : found) {
      ok = encoder->Stop() && ok;
      Forget(id);
    }
    // The program could not take all the data, or ended with an error.
    if (!ok) return Fail(BASS_ERROR_UNKNOWN);
    return Ok(TRUE);
  });
}

BOOL WINAPI BASS_Encode_SetPaused(DWORD handle, BOOL paused) {
  return Guarded([&]() -> BOOL {
    auto found = Find(handle);
    if (found.empty()) return Fail(BASS_ERROR_HANDLE);
    for (auto& entry : found) entry.second->SetPaused(paused != FALSE);
    return Ok(TRUE);
  });
}

// Of every encoder the handle names: the most queued, so a caller waiting for
// room waits for the slowest.
QWORD WINAPI BASS_Encode_GetCount(DWORD handle, DWORD count) {
  return Guarded([&]() -> QWORD {
    if (count != BASS_ENCODE_COUNT_QUEUE && count != BASS_ENCODE_COUNT_QUEUE_LIMIT)
      return FailMinusOne(BASS_ERROR_ILLPARAM);
    auto found = Find(handle);
    if (found.empty()) return FailMinusOne(BASS_ERROR_HANDLE);
    if (count == BASS_ENCODE_COUNT_QUEUE_LIMIT) return Ok(QWORD{Encoder::QueueLimit()});
    size_t most = 0;
    for (auto& entry : found) most = std::max(most, entry.second->Queued());
    return Ok(QWORD{most});
  });
}

BOOL WINAPI BASS_Encode_Write(DWORD handle, const void* buffer, DWORD length) {
  return Guarded([&]() -> BOOL {
    auto found = Find(handle);
    if (found.empty()) return Fail(BASS_ERROR_HANDLE);
    if (buffer == nullptr && length != 0) return Fail(BASS_ERROR_ILLPARAM);
    bool ok = true;
    for (auto& entry : found) ok = entry.second->Write(buffer, length) && ok;
    if (!ok) return Fail(BASS_ERROR_NOTAVAIL);
    return Ok(TRUE);
  });
}
