#include "wmvcore/asf_file.h"

#include <nserror.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

namespace {

constexpr size_t kHeaderHead = 30;
// Headers carry the tags, cover pictures included, but never the audio.
constexpr uint64_t kMaxHeader = 256u << 20;
constexpr DWORD kCopyChunk = 1u << 20;

class THandle {
 public:
  explicit THandle(HANDLE h) : FHandle(h) {}
  ~THandle() { Close(); }
  THandle(const THandle&) = delete;
  THandle& operator=(const THandle&) = delete;
  bool Valid() const { return FHandle != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return FHandle; }
  void Close() {
    if (Valid()) CloseHandle(FHandle);
    FHandle = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE FHandle;
};

HRESULT LastError() {
  const DWORD error = GetLastError();
  return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

bool ReadExactly(HANDLE file, void* buffer, DWORD size) {
  DWORD done = 0;
  return ReadFile(file, buffer, size, &done, nullptr) && done == size;
}

bool WriteExactly(HANDLE file, const void* buffer, DWORD size) {
  DWORD done = 0;
  return WriteFile(file, buffer, size, &done, nullptr) && done == size;
}

HRESULT ReadHeader(HANDLE file, std::string& header, uint64_t& fileSize) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file, &size)) return LastError();
  fileSize = static_cast<uint64_t>(size.QuadPart);
  char head[kHeaderHead];
  if (fileSize < kHeaderHead || !ReadExactly(file, head, kHeaderHead)) return NS_E_INVALID_INPUT_FORMAT;
  uint64_t headerSize = 0;
  for (int i = 7; i >= 0; --i) headerSize = (headerSize << 8) | static_cast<uint8_t>(head[16 + i]);
  if (headerSize < kHeaderHead || headerSize > fileSize || headerSize > kMaxHeader)
    return NS_E_INVALID_INPUT_FORMAT;
  header.assign(head, kHeaderHead);
  header.resize(headerSize);
  if (!ReadExactly(file, header.data() + kHeaderHead, static_cast<DWORD>(headerSize - kHeaderHead)))
    return NS_E_FILE_READ;
  return S_OK;
}

std::wstring FolderOf(const std::wstring& fileName) {
  const size_t slash = fileName.find_last_of(L"\\/:");
  return slash == std::wstring::npos ? std::wstring() : fileName.substr(0, slash + 1);
}

// A name that exists nowhere yet: CREATE_NEW never opens someone else's file.
HANDLE CreateTempBeside(const std::wstring& fileName, std::wstring& tempName) {
  static std::atomic<uint32_t> counter{0};
  const std::wstring folder = FolderOf(fileName);
  for (int attempt = 0; attempt < 100; ++attempt) {
    wchar_t suffix[40];
    wsprintfW(suffix, L"~wmv%08lx%04x.tmp", GetTickCount() ^ GetCurrentProcessId(),
              static_cast<unsigned>(counter++ & 0xFFFF));
    tempName = folder + suffix;
    HANDLE h = CreateFileW(tempName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) return h;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  tempName.clear();
  return INVALID_HANDLE_VALUE;
}

HRESULT CopyRest(HANDLE source, HANDLE target, uint64_t count) {
  std::vector<char> buffer(static_cast<size_t>(std::min<uint64_t>(count, kCopyChunk)));
  while (count > 0) {
    const DWORD chunk = static_cast<DWORD>(std::min<uint64_t>(count, kCopyChunk));
    if (!ReadExactly(source, buffer.data(), chunk)) return NS_E_FILE_READ;
    if (!WriteExactly(target, buffer.data(), chunk)) return NS_E_FILE_WRITE;
    count -= chunk;
  }
  return S_OK;
}

}  // namespace

HRESULT ReadAsfHeader(const std::wstring& FileName, std::string& Header, uint64_t& FileSize) {
  THandle file(CreateFileW(FileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return NS_E_FILE_OPEN_FAILED;
  return ReadHeader(file.Get(), Header, FileSize);
}

HRESULT ReplaceAsfHeader(const std::wstring& FileName, const std::string& OldHeader, uint64_t FileSize,
                         const std::string& NewHeader) {
  const DWORD attributes = GetFileAttributesW(FileName.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return NS_E_FILE_NOT_FOUND;
  THandle source(CreateFileW(FileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!source.Valid()) return NS_E_FILE_OPEN_FAILED;
  std::string header;
  uint64_t size = 0;
  if (FAILED(ReadHeader(source.Get(), header, size)) || size != FileSize || header != OldHeader)
    return NS_E_INVALID_REQUEST;  // changed by someone else since it was opened

  std::wstring tempName;
  THandle target(CreateTempBeside(FileName, tempName));
  if (!target.Valid()) return NS_E_FILE_WRITE;
  HRESULT hr = WriteExactly(target.Get(), NewHeader.data(), static_cast<DWORD>(NewHeader.size()))
                   ? CopyRest(source.Get(), target.Get(), FileSize - OldHeader.size())
                   : NS_E_FILE_WRITE;
  if (SUCCEEDED(hr) && !FlushFileBuffers(target.Get())) hr = NS_E_FILE_WRITE;
  target.Close();
  source.Close();  // the system moves nothing over an open file
  if (SUCCEEDED(hr) &&
      !MoveFileExW(tempName.c_str(), FileName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    hr = LastError();
  if (FAILED(hr)) {
    DeleteFileW(tempName.c_str());
    return hr;
  }
  SetFileAttributesW(FileName.c_str(), attributes | FILE_ATTRIBUTE_ARCHIVE);
  return S_OK;
}
