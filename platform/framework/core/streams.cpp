#include "framework/streams.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "framework/exceptions.h"

namespace {

constexpr int32_t kCopyBufferSize = 64 * 1024;
// Whole-block transfers go in pieces that fit the 32-bit Read/Write counts.
constexpr int64_t kBlockChunk = int64_t{1} << 30;
constexpr int64_t kMemoryDelta = 8 * 1024;

// The system's text without the trailing line break and full stop, so that it
// reads as the end of our own sentence.
std::wstring SysErrorText(DWORD code) {
  std::wstring text = SystemMessageText(code);
  while (!text.empty() && (static_cast<unsigned>(text.back()) <= 32 || text.back() == L'.')) {
    text.pop_back();
  }
  return text;
}

class HandleCloser {
 public:
  explicit HandleCloser(HANDLE handle) : FHandle(handle) {}
  ~HandleCloser() { CloseHandle(FHandle); }
  HandleCloser(const HandleCloser&) = delete;
  HandleCloser& operator=(const HandleCloser&) = delete;

 private:
  HANDLE FHandle;
};

[[noreturn]] void RaiseOutOfMemory() {
  throw EStreamError(L"Out of memory while expanding memory stream");
}

}  // namespace

// ------------------------------------------------------------------- TStream

int64_t TStream::Size() {
  const int64_t position = Seek(0, TSeekOrigin::soCurrent);
  if (position < 0) return -1;
  const int64_t size = Seek(0, TSeekOrigin::soEnd);
  Seek(position, TSeekOrigin::soBeginning);
  return size;
}

void TStream::SetSize(int64_t) { throw EStreamError(L"%s cannot change its size", {ClassName()}); }

void TStream::ReadBuffer(void* buffer, int32_t count) {
  if (count == 0) return;
  if (count < 0 || !buffer) throw EReadError(L"Stream read error");
  // Handles on pipes may deliver less than asked before the end.
  auto* p = static_cast<uint8_t*>(buffer);
  while (count > 0) {
    const int32_t n = Read(p, count);
    if (n <= 0 || n > count) throw EReadError(L"Stream read error");
    p += n;
    count -= n;
  }
}

void TStream::WriteBuffer(const void* buffer, int32_t count) {
  if (count == 0) return;
  if (count < 0 || !buffer) throw EWriteError(L"Stream write error");
  const auto* p = static_cast<const uint8_t*>(buffer);
  while (count > 0) {
    const int32_t n = Write(p, count);
    if (n <= 0 || n > count) throw EWriteError(L"Stream write error");
    p += n;
    count -= n;
  }
}

int64_t TStream::CopyFrom(TStream* source, int64_t count) {
  if (!source) return 0;
  if (count <= 0) {
    source->SetPosition(0);
    count = source->Size();
    if (count < 0) throw EReadError(L"Stream read error");
  }
  const int64_t result = count;
  if (count == 0) return 0;
  std::vector<uint8_t> buffer(static_cast<size_t>(std::min<int64_t>(count, kCopyBufferSize)));
  while (count > 0) {
    const auto n = static_cast<int32_t>(std::min<int64_t>(count, kCopyBufferSize));
    source->ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    count -= n;
  }
  return result;
}

// ------------------------------------------------------------- THandleStream

int32_t THandleStream::Read(void* buffer, int32_t count) {
  if (count <= 0 || !buffer) return 0;
  DWORD done = 0;
  if (!ReadFile(FHandle, buffer, static_cast<DWORD>(count), &done, nullptr)) return 0;
  return static_cast<int32_t>(std::min<DWORD>(done, static_cast<DWORD>(count)));
}

int32_t THandleStream::Write(const void* buffer, int32_t count) {
  if (count <= 0 || !buffer) return 0;
  DWORD done = 0;
  if (!WriteFile(FHandle, buffer, static_cast<DWORD>(count), &done, nullptr)) return 0;
  return static_cast<int32_t>(std::min<DWORD>(done, static_cast<DWORD>(count)));
}

int64_t THandleStream::Seek(int64_t offset, TSeekOrigin origin) {
  DWORD method = FILE_BEGIN;
  if (origin == TSeekOrigin::soCurrent) method = FILE_CURRENT;
  if (origin == TSeekOrigin::soEnd) method = FILE_END;
  LARGE_INTEGER distance;
  distance.QuadPart = offset;
  LARGE_INTEGER position;
  if (!SetFilePointerEx(FHandle, distance, &position, method)) return -1;
  return position.QuadPart;
}

void THandleStream::SetSize(int64_t newSize) {
  if (newSize < 0) throw EStreamError(L"Invalid stream size (%d)", {newSize});
  const int64_t position = Position();
  if (Seek(newSize, TSeekOrigin::soBeginning) != newSize || !SetEndOfFile(FHandle)) {
    const DWORD error = GetLastError();
    if (position >= 0) SetPosition(position);
    throw EStreamError(L"Cannot set the stream size to %d. %s", {newSize, SysErrorText(error)});
  }
  SetPosition(position < 0 ? newSize : std::min(position, newSize));
}

// ------------------------------------------------------- TCustomMemoryStream

int32_t TCustomMemoryStream::Read(void* buffer, int32_t count) {
  if (count <= 0 || !buffer || FPosition >= FSize) return 0;
  const int64_t n = std::min<int64_t>(count, FSize - FPosition);
  std::memcpy(buffer, static_cast<const uint8_t*>(FMemory) + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return static_cast<int32_t>(n);
}

int32_t TCustomMemoryStream::Write(const void*, int32_t) { return 0; }

int64_t TCustomMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = 0;
  if (origin == TSeekOrigin::soCurrent) base = FPosition;
  if (origin == TSeekOrigin::soEnd) base = FSize;
  int64_t target = 0;
  if (__builtin_add_overflow(base, offset, &target) || target < 0) return -1;
  FPosition = target;
  return target;
}

void TCustomMemoryStream::SaveToStream(TStream* stream) {
  if (!stream) return;
  for (int64_t done = 0; done < FSize;) {
    const auto n = static_cast<int32_t>(std::min(FSize - done, kBlockChunk));
    stream->WriteBuffer(static_cast<const uint8_t*>(FMemory) + done, n);
    done += n;
  }
}

void TCustomMemoryStream::SaveToFile(const std::wstring& fileName) {
  HANDLE handle = CreateFileW(fileName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    throw EFCreateError(L"Cannot create file \"%s\". %s", {fileName, SysErrorText(error)});
  }
  HandleCloser closer(handle);
  THandleStream file(handle);
  SaveToStream(&file);
}

void TCustomMemoryStream::SetPointer(void* memory, int64_t size) {
  FMemory = memory;
  FSize = size < 0 ? 0 : size;
}

// ------------------------------------------------------------- TMemoryStream

TMemoryStream::~TMemoryStream() { std::free(Memory()); }

void TMemoryStream::SetCapacity(int64_t newCapacity) {
  newCapacity = std::max(newCapacity, Size());
  if (newCapacity == FCapacity) return;
  void* memory = nullptr;
  if (newCapacity > 0) {
    if (static_cast<uint64_t>(newCapacity) > std::numeric_limits<size_t>::max()) {
      RaiseOutOfMemory();
    }
    memory = std::realloc(Memory(), static_cast<size_t>(newCapacity));
    if (!memory) RaiseOutOfMemory();
  } else {
    std::free(Memory());
  }
  FCapacity = newCapacity;
  SetPointer(memory, Size());
}

void TMemoryStream::Grow(int64_t needed) {
  if (needed <= FCapacity) return;
  // A quarter more each time keeps many small writes linear overall.
  int64_t capacity = std::max(needed, FCapacity + FCapacity / 4);
  if (capacity > std::numeric_limits<int64_t>::max() - kMemoryDelta) RaiseOutOfMemory();
  capacity = (capacity + kMemoryDelta - 1) & ~(kMemoryDelta - 1);
  SetCapacity(capacity);
}

int32_t TMemoryStream::Write(const void* buffer, int32_t count) {
  if (count <= 0 || !buffer) return 0;
  const int64_t position = FPosition;
  if (position > std::numeric_limits<int64_t>::max() - count) RaiseOutOfMemory();
  const int64_t end = position + count;
  Grow(end);
  auto* memory = static_cast<uint8_t*>(Memory());
  const int64_t oldSize = Size();
  if (position > oldSize) {
    std::memset(memory + oldSize, 0, static_cast<size_t>(position - oldSize));
  }
  std::memcpy(memory + position, buffer, static_cast<size_t>(count));
  if (end > oldSize) SetPointer(memory, end);
  FPosition = end;
  return count;
}

void TMemoryStream::SetSize(int64_t newSize) {
  if (newSize < 0) throw EStreamError(L"Invalid stream size (%d)", {newSize});
  const int64_t oldSize = Size();
  if (newSize > std::numeric_limits<int64_t>::max() - kMemoryDelta) RaiseOutOfMemory();
  const int64_t capacity = (newSize + kMemoryDelta - 1) & ~(kMemoryDelta - 1);
  if (newSize > oldSize) {
    SetCapacity(capacity);
    std::memset(static_cast<uint8_t*>(Memory()) + oldSize, 0,
                static_cast<size_t>(newSize - oldSize));
    SetPointer(Memory(), newSize);
  } else {
    SetPointer(Memory(), newSize);
    SetCapacity(capacity);
  }
  FPosition = std::min(FPosition, newSize);
}

void TMemoryStream::Clear() {
  SetPointer(Memory(), 0);
  SetCapacity(0);
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream* stream) {
  if (stream == this) {
    FPosition = 0;
    return;
  }
  if (!stream) {
    Clear();
    return;
  }
  try {
    stream->SetPosition(0);
    const int64_t count = stream->Size();
    if (count < 0) throw EReadError(L"Stream read error");
    SetSize(count);
    auto* memory = static_cast<uint8_t*>(Memory());
    for (int64_t done = 0; done < count;) {
      const auto n = static_cast<int32_t>(std::min(count - done, kBlockChunk));
      stream->ReadBuffer(memory + done, n);
      done += n;
    }
  } catch (...) {
    Clear();
    throw;
  }
  FPosition = 0;
}

void TMemoryStream::LoadFromFile(const std::wstring& fileName) {
  HANDLE handle = CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    throw EFOpenError(L"Cannot open file \"%s\". %s", {fileName, SysErrorText(error)});
  }
  HandleCloser closer(handle);
  THandleStream file(handle);
  LoadFromStream(&file);
}
