#include "windows/playlist_entry/list_entry.h"

TListEntry::TListEntry(TCompList* List, int32_t Index) : FList(List), FId(List ? List->IdOf(Index) : 0) {}

int32_t TListEntry::Index() const { return FList && FId != 0 ? FList->IndexOfEntry(FId) : -1; }

bool TListEntry::Read(std::wstring& Title, std::wstring& FileName) const {
  const int32_t index = Index();
  if (index < 0) return false;
  TElem elem;
  FList->GetElem(index, elem);
  Title = elem.Title;
  FileName = elem.FileName;
  return true;
}

bool TListEntry::Change(const std::wstring& Title, const std::wstring& FileName) {
  const int32_t index = Index();
  if (index < 0) return false;
  TElem elem;
  FList->GetElem(index, elem);
  bool changed = false;
  if (!Title.empty() && Title != elem.Title) {
    FList->SetTitle(index, Title);
    changed = true;
  }
  if (FileName != elem.FileName) {
    FList->SetFileName(index, FileName);
    changed = true;
  }
  return changed;
}
