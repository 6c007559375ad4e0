#include "bass/core/byte_source.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace bass_core {
namespace {

// Reads go through a cache of a block: decoders ask for a few bytes to a few
// KiB at a time (vorbisfile for 2 KiB, mpg123 a frame's header, then its
// body), and under Wine every ReadFile is a round trip to the server that
// waits longer than decoding those bytes takes. Reads of a block or more go
// straight to the file.
class FileSource final : public ByteSource {
 public:
  FileSource(HANDLE file, uint64_t start, uint64_t size) : file_(file), start_(start), size_(size) {}
  ~FileSource() override { CloseHandle(file_); }

  uint64_t Size() const override { return size_; }

  size_t ReadAt(uint64_t offset, void* buffer, size_t count) override {
    if (offset >= size_) return 0;
    count = static_cast<size_t>(std::min<uint64_t>(count, size_ - offset));
    auto* out = static_cast<char*>(buffer);
    size_t done = 0;
    while (done < count) {
      const uint64_t at = offset + done;
      if (at >= cacheStart_ && at < cacheStart_ + cached_) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(count - done, cacheStart_ + cached_ - at));
        std::memcpy(out + done, cache_.data() + (at - cacheStart_), n);
        done += n;
      } else if (count - done >= kCacheBytes) {
        done += ReadFromFile(at, out + done, count - done);
        break;
      } else {
        cache_.resize(kCacheBytes);
        cacheStart_ = at;
        cached_ = ReadFromFile(at, cache_.data(), static_cast<size_t>(std::min<uint64_t>(kCacheBytes, size_ - at)));
        if (cached_ == 0) break;
      }
    }
    return done;
  }

 private:
  static constexpr size_t kCacheBytes = 1 << 18;

  size_t ReadFromFile(uint64_t offset, char* buffer, size_t count) {
    size_t done = 0;
    while (done < count) {
      // One ReadFile moves at most 4 GB; positioned reads keep no shared file pointer.
      DWORD chunk = static_cast<DWORD>(std::min<size_t>(count - done, 1u << 30));
      OVERLAPPED at{};
      uint64_t pos = start_ + offset + done;
      at.Offset = static_cast<DWORD>(pos);
      at.OffsetHigh = static_cast<DWORD>(pos >> 32);
      DWORD got = 0;
      if (!ReadFile(file_, buffer + done, chunk, &got, &at) || got == 0) break;
      done += got;
    }
    return done;
  }

  HANDLE file_;
  uint64_t start_;
  uint64_t size_;
  std::vector<char> cache_;  // bytes [cacheStart_, cacheStart_ + cached_) of the window
  uint64_t cacheStart_ = 0;
  size_t cached_ = 0;
};

class BlockSource final : public ByteSource {
 public:
  BlockSource(const void* data, uint64_t size) : data_(static_cast<const char*>(data)), size_(size) {}

  uint64_t Size() const override { return size_; }

  size_t ReadAt(uint64_t offset, void* buffer, size_t count) override {
    if (offset >= size_) return 0;
    count = static_cast<size_t>(std::min<uint64_t>(count, size_ - offset));
    std::memcpy(buffer, data_ + offset, count);
    return count;
  }

 private:
  const char* data_;
  uint64_t size_;
};

}  // namespace

std::unique_ptr<ByteSource> OpenFileSource(const std::wstring& fileName, uint64_t offset,
                                           uint64_t length) {
  HANDLE file = CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size)) {
    CloseHandle(file);
    return nullptr;
  }
  uint64_t total = static_cast<uint64_t>(size.QuadPart);
  uint64_t start = std::min(offset, total);
  uint64_t window = total - start;
  if (length != 0) window = std::min(window, length);
  return std::make_unique<FileSource>(file, start, window);
}

std::unique_ptr<ByteSource> MemorySource(const void* data, uint64_t size) {
  return std::make_unique<BlockSource>(data, size);
}

}  // namespace bass_core
