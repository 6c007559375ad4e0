// Byte streams with 64-bit positions.
//   TStream              Read/Write return the bytes moved (0 on failure or at
//                        the end, never negative); Seek returns the new position,
//                        or -1 when refused (position unchanged). ReadBuffer,
//                        WriteBuffer and CopyFrom raise on short transfers.
//   THandleStream        over a Win32 HANDLE it does not own.
//   TCustomMemoryStream  reads a block set by a derived class; writes nothing.
//   TMemoryStream        a growable block it owns; loads and saves files.
// Positions past the end are allowed: reads there give 0 bytes, and a memory
// stream writing there fills the gap with zeros. Positions before 0 are refused.
#pragma once

#include <cstdint>
#include <string>

#include "framework/object.h"

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream : public TObject {
 public:
  TStream() = default;
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;

  virtual int32_t Read(void* buffer, int32_t count) = 0;
  virtual int32_t Write(const void* buffer, int32_t count) = 0;
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

  int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(int64_t position) { Seek(position, TSeekOrigin::soBeginning); }
  // By seeking to the end and back; -1 when the stream cannot seek.
  virtual int64_t Size();
  // The base cannot resize: EStreamError. Resizing keeps the position unless it
  // lies past the new end, which it then becomes.
  virtual void SetSize(int64_t newSize);

  // EReadError "Stream read error" / EWriteError "Stream write error" unless
  // exactly count bytes move; a negative count is short by definition.
  void ReadBuffer(void* buffer, int32_t count);
  void WriteBuffer(const void* buffer, int32_t count);
  // Copies count bytes from source's position; count <= 0 copies all of source
  // from its start. Returns the bytes copied; EReadError when source runs short.
  int64_t CopyFrom(TStream* source, int64_t count);
};

class THandleStream : public TStream {
 public:
  // handle: a Win32 HANDLE, left open by this stream.
  explicit THandleStream(void* handle) : FHandle(handle) {}

  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  // EStreamError (with the system's text) when the file cannot be resized.
  void SetSize(int64_t newSize) override;
  void* Handle() const { return FHandle; }

 protected:
  void* FHandle;
};

class TCustomMemoryStream : public TStream {
 public:
  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;  // always 0
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return FSize; }
  void* Memory() const { return FMemory; }

  void SaveToStream(TStream* stream);
  // EFCreateError "Cannot create file "%s". %s"; EWriteError when writing fails.
  virtual void SaveToFile(const std::wstring& fileName);

 protected:
  // The block read from; the position is left alone.
  void SetPointer(void* memory, int64_t size);
  int64_t FPosition = 0;

 private:
  void* FMemory = nullptr;
  int64_t FSize = 0;
};

class TMemoryStream : public TCustomMemoryStream {
 public:
  ~TMemoryStream() override;

  // Write and SetSize raise EStreamError "Out of memory while expanding memory
  // stream" when the block cannot grow, leaving the stream unchanged; SetSize
  // also raises EStreamError for a negative size.
  int32_t Write(const void* buffer, int32_t count) override;
  void SetSize(int64_t newSize) override;
  int64_t Capacity() const { return FCapacity; }
  void Clear();

  // Replaces the content with all of stream (from its start) and rewinds. On
  // failure the stream is left empty and the error propagates.
  void LoadFromStream(TStream* stream);
  // EFOpenError "Cannot open file "%s". %s", the content left as it was.
  virtual void LoadFromFile(const std::wstring& fileName);

 private:
  // Never shrinks below the size; raises and changes nothing when out of memory.
  void SetCapacity(int64_t newCapacity);
  void Grow(int64_t needed);

  int64_t FCapacity = 0;
};
