#include "playlist/elem.h"

bool FileNameFitsElem(const std::wstring& FileName) { return FileName.size() <= kMaxElemFileName; }

std::wstring ElemTitleCut(std::wstring Title) {
  if (Title.size() <= kMaxElemTitle) return Title;
  size_t length = kMaxElemTitle;
  if (Title[length - 1] >= 0xD800 && Title[length - 1] <= 0xDBFF) --length;  // a high surrogate
  Title.resize(length);
  return Title;
}
