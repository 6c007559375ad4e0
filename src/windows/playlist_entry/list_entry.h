// One entry of a playlist held by its identity, not its place: sorting,
// adding or deleting other entries meanwhile leaves it the same entry, and
// once it is deleted it reads as gone and takes no change.
#pragma once

#include <string>

#include "playlist/comp_list.h"

class TListEntry {
 public:
  // The entry at Index of List (none for a bad index). List must outlive
  // this object.
  TListEntry(TCompList* List, int32_t Index);

  // Its index now; -1 once it is gone.
  int32_t Index() const;
  bool Read(std::wstring& Title, std::wstring& FileName) const;
  // Title and FileName stored, each only when it differs; true when either
  // did. An empty title is kept as it was.
  bool Change(const std::wstring& Title, const std::wstring& FileName);

 private:
  TCompList* FList;
  TElemId FId;
};
