#include "bass/core/wav_writer.h"

#include <cstring>

namespace bass_core {
namespace {

constexpr uint64_t kMaxData = 0xFFFFFFFFull - 36;

void Put16(uint8_t* p, uint32_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }
void Put32(uint8_t* p, uint32_t v) { Put16(p, v); Put16(p + 2, v >> 16); }

bool WriteAt(HANDLE file, uint64_t offset, const void* data, DWORD size) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD written = 0;
  return WriteFile(file, data, size, &written, &at) && written == size;
}

}  // namespace

WavWriter::~WavWriter() { Close(); }

bool WavWriter::Create(const std::wstring& fileName, uint32_t rate, uint32_t channels) {
  Close();
  file_ = CreateFileW(fileName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file_ == INVALID_HANDLE_VALUE) return false;
  channels_ = channels;
  dataBytes_ = 0;
  uint8_t h[44];
  std::memcpy(h, "RIFF", 4);
  Put32(h + 4, 36);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  Put32(h + 16, 16);
  Put16(h + 20, 1);
  Put16(h + 22, channels);
  Put32(h + 24, rate);
  Put32(h + 28, rate * channels * 2);
  Put16(h + 32, channels * 2);
  Put16(h + 34, 16);
  std::memcpy(h + 36, "data", 4);
  Put32(h + 40, 0);
  if (!WriteAt(file_, 0, h, sizeof h)) {
    Close();
    return false;
  }
  return true;
}

void WavWriter::Append(const int16_t* samples, size_t count) {
  if (file_ == INVALID_HANDLE_VALUE || count == 0) return;
  uint64_t bytes = uint64_t(count) * 2;
  if (dataBytes_ + bytes > kMaxData) return;
  if (WriteAt(file_, 44 + dataBytes_, samples, static_cast<DWORD>(bytes))) {
    dataBytes_ += bytes;
    PatchSizes();
  }
}

void WavWriter::PatchSizes() {
  uint8_t v[4];
  Put32(v, static_cast<uint32_t>(36 + dataBytes_));
  WriteAt(file_, 4, v, 4);
  Put32(v, static_cast<uint32_t>(dataBytes_));
  WriteAt(file_, 40, v, 4);
}

void WavWriter::Close() {
  if (file_ == INVALID_HANDLE_VALUE) return;
  PatchSizes();
  CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
}

}  // namespace bass_core
