// Random-access reads over a window of a file or of a memory block. Every read
// is bounded by the window, so no size found inside the data can make a reader
// run past it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace bass_core {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual uint64_t Size() const = 0;
  // Copies up to count bytes from offset; the result is the count copied, 0 at
  // or past the end and on a read error.
  virtual size_t ReadAt(uint64_t offset, void* buffer, size_t count) = 0;
  // True while more bytes may still come after the last one (a download):
  // a read that comes up short is then a pause, not the end.
  virtual bool Growing() const { return false; }
};

// The window [offset, offset + length) of a file, length 0 meaning to the end;
// a window beyond the end is empty. nullptr when the file cannot be opened.
std::unique_ptr<ByteSource> OpenFileSource(const std::wstring& fileName, uint64_t offset,
                                           uint64_t length);

// The caller's block, referenced and not copied: it must outlive the source.
std::unique_ptr<ByteSource> MemorySource(const void* data, uint64_t size);

}  // namespace bass_core
