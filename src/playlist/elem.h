// One playlist entry, copied by value into and out of the playlist.
#pragma once

#include <cstdint>
#include <string>

struct TElem {
  std::wstring Artist;    // filled only in CD-track lists
  std::wstring Title;     // the text shown in the list
  std::wstring FileName;  // full path of a file, or a URL
  int32_t Duration = -1;  // whole seconds; -1 until measured (streams)
  bool Selected = false;  // selection mark of the list control
};

// Names one entry of one playlist for as long as the playlist lives; never
// given to another entry, so a reference to a deleted entry simply finds
// nothing. 0 names no entry.
using TElemId = uint64_t;
