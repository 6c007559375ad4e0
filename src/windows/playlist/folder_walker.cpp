#include "windows/playlist/folder_walker.h"

#include <windows.h>

#include "foundation/tnt_sysutils.h"

bool TFolderEntry::IsFolder() const { return (Attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
bool TFolderEntry::IsLink() const { return (Attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

bool TFolderWalker::List(const std::wstring& Folder, std::vector<TFolderEntry>& Entries) {
  Entries.clear();
  TSearchRecW rec;
  // 0x3F: read-only, hidden, system, volume, folder and archive entries alike.
  if (WideFindFirst(Folder + L"*.*", 0x3F, rec) != 0) return false;
  do {
    if (rec.Name == L"." || rec.Name == L"..") continue;
    // The search record's Attr is masked; the reparse bit lives in the raw data.
    Entries.push_back(TFolderEntry{rec.Name, rec.FindData.dwFileAttributes});
  } while (WideFindNext(rec) == 0);
  WideFindClose(rec);
  return true;
}

bool TFolderWalker::Identify(const std::wstring& Folder, TFolderId& Id) {
  HANDLE h = CreateFileW(Folder.c_str(), FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool ok = GetFileInformationByHandle(h, &info) != FALSE;
  CloseHandle(h);
  if (!ok) return false;
  Id = TFolderId(info.dwVolumeSerialNumber,
                 (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow);
  return true;
}

bool TFolderGuard::Enter(TFolderWalker& Walker, const std::wstring& Folder, int32_t Depth) {
  TFolderId id;
  if (!Walker.Identify(Folder, id)) return Depth < MaxUnknownDepth;
  return FSeen.insert(id).second;
}
