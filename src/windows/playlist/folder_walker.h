// Listing folders for the playlist's folder adds, and the guard that keeps a
// walk down a folder tree finite.
//   A walk never enters a link or junction (an entry with the reparse-point
//   attribute), and never enters a folder it is already inside or has seen:
//   folders are told apart by their volume and file index, which also catches
//   what the reparse attribute cannot show (Wine presents a Unix symbolic link
//   to a folder as a plain folder).
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

struct TFolderEntry {
  std::wstring Name;  // without folder
  uint32_t Attributes = 0;
  bool IsFolder() const;
  bool IsLink() const;
};

// Volume serial number and file index: the same for every path that leads to
// one folder.
using TFolderId = std::pair<uint32_t, uint64_t>;

class TFolderWalker {
 public:
  virtual ~TFolderWalker() = default;
  // Every entry of Folder (which ends in "\") in the order of the folder
  // search, "." and ".." left out; false when it cannot be listed.
  virtual bool List(const std::wstring& Folder, std::vector<TFolderEntry>& Entries);
  // False when the folder cannot be opened to ask.
  virtual bool Identify(const std::wstring& Folder, TFolderId& Id);
};

// The folders one walk has entered.
class TFolderGuard {
 public:
  // True, and remembered, the first time a folder comes; false for a folder
  // seen before. A folder that cannot be identified is let in while the walk
  // is less than MaxUnknownDepth folders deep, which bounds even a loop that
  // hides its identity.
  bool Enter(TFolderWalker& Walker, const std::wstring& Folder, int32_t Depth);

  static constexpr int32_t MaxUnknownDepth = 64;

 private:
  std::set<TFolderId> FSeen;
};
