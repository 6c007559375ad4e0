// One playlist entry, copied by value into and out of the playlist.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct TElem {
  std::wstring Artist;    // filled only in CD-track lists
  std::wstring Title;     // the text shown in the list
  std::wstring FileName;  // full path of a file, or a URL
  int32_t Duration = -1;  // whole seconds; -1 until measured (streams)
  bool Selected = false;  // selection mark of the list control
};

// What an entry may hold, so that every entry written to a playlist reads
// back: a file name no longer than the system's longest path, and a title of
// a length no list shows whole anyway. A name past the limit gives no entry; a
// title past it is cut.
constexpr size_t kMaxElemFileName = 32767;  // UTF-16 units
constexpr size_t kMaxElemTitle = 4096;      // UTF-16 units

bool FileNameFitsElem(const std::wstring& FileName);
// Title cut to kMaxElemTitle without splitting a surrogate pair.
std::wstring ElemTitleCut(std::wstring Title);

// Names one entry of one playlist for as long as the playlist lives; never
// given to another entry, so a reference to a deleted entry simply finds
// nothing. 0 names no entry.
using TElemId = uint64_t;
