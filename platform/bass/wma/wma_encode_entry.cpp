// basswma.dll's encoding to a file: the rates on offer, open, write, close.
// Handles are never reused within the process.
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>

#include "bass/bass_api.h"
#include "bass/common/error_code.h"
#include "bass/common/text.h"
#include "bass/wma/wma_encoder.h"

using namespace tavrin_bass;
using tavrin_wma::WmaEncoder;

namespace {

struct EncoderTable {
  std::mutex mutex;
  std::map<HWMENCODE, std::shared_ptr<WmaEncoder>> encoders;
  HWMENCODE next = 0x7D000001;
};

// Never destroyed: an encoder still open at process exit is simply dropped.
EncoderTable& Table() {
  static auto* table = new EncoderTable;
  return *table;
}

std::shared_ptr<WmaEncoder> Find(HWMENCODE handle) {
  auto& t = Table();
  std::lock_guard lock(t.mutex);
  auto it = t.encoders.find(handle);
  return it == t.encoders.end() ? nullptr : it->second;
}

}  // namespace

const DWORD* WINAPI BASS_WMA_EncodeGetRates(DWORD freq, DWORD chans, DWORD flags) {
  const uint32_t* rates = WmaEncoder::Rates(freq, chans, (flags & BASS_WMA_ENCODE_RATES_VBR) != 0);
  if (rates == nullptr) return Fail(BASS_ERROR_FORMAT);
  static_assert(sizeof(DWORD) == sizeof(uint32_t));
  return Ok(reinterpret_cast<const DWORD*>(rates));
}

HWMENCODE WINAPI BASS_WMA_EncodeOpenFile(DWORD freq, DWORD chans, DWORD flags, DWORD bitrate,
                                         const void* file) {
  return Guarded([&]() -> HWMENCODE {
    if (freq == 0 || chans == 0 || file == nullptr) return Fail(BASS_ERROR_ILLPARAM);
    const std::wstring name = NameArgument(file, flags);
    if (name.empty()) return Fail(BASS_ERROR_ILLPARAM);
    std::unique_ptr<WmaEncoder> encoder;
    int error = WmaEncoder::OpenFile(freq, chans, flags, bitrate, name, encoder);
    if (error != BASS_OK) return Fail(error);
    auto& t = Table();
    std::lock_guard lock(t.mutex);
    HWMENCODE handle = t.next++;
    t.encoders.emplace(handle, std::move(encoder));
    return Ok(handle);
  });
}

BOOL WINAPI BASS_WMA_EncodeWrite(HWMENCODE handle, const void* buffer, DWORD length) {
  return Guarded([&]() -> BOOL {
    auto encoder = Find(handle);
    if (!encoder) return Fail(BASS_ERROR_HANDLE);
    if (buffer == nullptr && length != 0) return Fail(BASS_ERROR_ILLPARAM);
    if (!encoder->Write(buffer, length)) return Fail(BASS_ERROR_UNKNOWN);
    return Ok(TRUE);
  });
}

BOOL WINAPI BASS_WMA_EncodeClose(HWMENCODE handle) {
  return Guarded([&]() -> BOOL {
    std::shared_ptr<WmaEncoder> encoder;
    {
      auto& t = Table();
      std::lock_guard lock(t.mutex);
      auto it = t.encoders.find(handle);
      if (it == t.encoders.end()) return Fail(BASS_ERROR_HANDLE);
      encoder = std::move(it->second);
      t.encoders.erase(it);
    }
    if (!encoder->Close()) return Fail(BASS_ERROR_UNKNOWN);
    return Ok(TRUE);
  });
}
