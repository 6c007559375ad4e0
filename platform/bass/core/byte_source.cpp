#include "byte_source.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace bass_core {
namespace {

class FileSource final : public ByteSource {
 public:
  FileSource(HANDLE file, uint64_t start, uint64_t size) : file_(file), start_(start), size_(size) {}
  ~FileSource() override { CloseHandle(file_); }

  uint64_t Size() const override { return size_; }

  size_t ReadAt(uint64_t offset, void* buffer, size_t count) override {
    if (offset >= size_) return 0;
    count = static_cast<size_t>(std::min<uint64_t>(count, size_ - offset));
    size_t done = 0;
    while (done < count) {
      // One ReadFile moves at most 4 GB; positioned reads keep no shared file pointer.
      DWORD chunk = static_cast<DWORD>(std::min<size_t>(count - done, 1u << 30));
      OVERLAPPED at{};
      uint64_t pos = start_ + offset + done;
      at.Offset = static_cast<DWORD>(pos);
      at.OffsetHigh = static_cast<DWORD>(pos >> 32);
      DWORD got = 0;
      if (!ReadFile(file_, static_cast<char*>(buffer) + done, chunk, &got, &at) || got == 0) break;
      done += got;
    }
    return done;
  }

 private:
  HANDLE file_;
  uint64_t start_;
  uint64_t size_;
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
