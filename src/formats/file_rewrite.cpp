#include "formats/file_rewrite.h"

#include <windows.h>

#include <atomic>
#include <memory>

#include "exceptions.h"
#include "foundation/tnt_classes.h"
#include "foundation/tnt_sysutils.h"
#include "streams.h"

namespace {

uint64_t Mix(uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

std::wstring Hex8(uint32_t value) {
  static const wchar_t kDigits[] = L"0123456789abcdef";
  std::wstring s(8, L'0');
  for (int i = 7; i >= 0; --i, value >>= 4) s[i] = kDigits[value & 15];
  return s;
}

// The name is never one that exists: CREATE_NEW refuses to open an existing
// file, so a stranger's "song.mp3~" or an earlier leftover is never touched.
HANDLE CreateUniqueFile(const std::wstring& folder, std::wstring& name) {
  static std::atomic<uint32_t> counter{0};
  LARGE_INTEGER now = {};
  QueryPerformanceCounter(&now);
  uint64_t seed = static_cast<uint64_t>(now.QuadPart) ^ (uint64_t{GetCurrentProcessId()} << 32);
  for (int attempt = 0; attempt < 100; ++attempt) {
    seed = Mix(seed + counter++);
    name = folder + L"~tavrin-" + Hex8(static_cast<uint32_t>(seed)) + L".tmp";
    HANDLE h = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) return h;
    DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  name.clear();
  return INVALID_HANDLE_VALUE;
}

}  // namespace

TWriteAccess::TWriteAccess(const std::wstring& FileName) : FFileName(FileName) {
  FAttributes = WideFileGetAttr(FileName);
  if (FAttributes == INVALID_FILE_ATTRIBUTES || (FAttributes & FILE_ATTRIBUTE_DIRECTORY)) return;
  if (FAttributes & FILE_ATTRIBUTE_READONLY) {
    if (!WideFileSetAttr(FileName, FAttributes & ~FILE_ATTRIBUTE_READONLY)) return;
    FChanged = true;
  }
  FGranted = true;
}

TWriteAccess::~TWriteAccess() {
  if (FChanged) WideFileSetAttr(FFileName, FAttributes);
}

bool RewriteFile(const std::wstring& FileName,
                 const std::function<bool(TStream& Source, TStream& Target)>& Produce) {
  TWriteAccess access(FileName);
  if (!access.Granted()) return false;
  const uint32_t attributes = WideFileGetAttr(FileName);
  const std::wstring fullName = WideExpandFileName(FileName);

  std::wstring tempName;
  bool produced = false;
  {
    std::unique_ptr<TTntFileStream> source;
    try {
      source = std::make_unique<TTntFileStream>(fullName, fmOpenRead | fmShareDenyWrite);
    } catch (const Exception&) {
      return false;
    }
    HANDLE temp = CreateUniqueFile(WideExtractFilePath(fullName), tempName);
    if (temp == INVALID_HANDLE_VALUE) return false;
    try {
      THandleStream target(temp);
      produced = Produce(*source, target) && FlushFileBuffers(temp);
    } catch (...) {
      produced = false;
    }
    CloseHandle(temp);
  }
  // Both files are closed here: the system will not move a file over one that is open.
  if (produced && MoveFileExW(tempName.c_str(), fullName.c_str(),
                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    // Read-only comes back through the access guard; the rest (hidden, system) here.
    WideFileSetAttr(fullName, attributes | FILE_ATTRIBUTE_ARCHIVE);
    return true;
  }
  WideDeleteFile(tempName);
  return false;
}
