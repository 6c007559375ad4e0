// The bodies of TListBoxItemsOf (list_box.h), for the files that instantiate
// it: the framework's items and the Unicode layer's; nothing else includes this.
#pragma once

#include <algorithm>

#include "framework/exceptions.h"
#include "framework/list_box.h"

namespace list_box_detail {

// Ends the update bracket however the block it guards is left.
template <class TItems>
class TUpdateScope {
 public:
  explicit TUpdateScope(TItems& List) : FList(List) { FList.BeginUpdate(); }
  ~TUpdateScope() { FList.EndUpdate(); }
  TUpdateScope(const TUpdateScope&) = delete;
  TUpdateScope& operator=(const TUpdateScope&) = delete;

 private:
  TItems& FList;
};

// The item index a message carries in WParam, when it names one of Count items.
inline bool ItemIndexOf(WPARAM WParam, int32_t Count, int32_t& Index) {
  const auto value = static_cast<int64_t>(WParam);
  if (value < 0 || value >= Count) return false;
  Index = static_cast<int32_t>(value);
  return true;
}

}  // namespace list_box_detail

template <class TBase, class TString>
void TListBoxItemsOf<TBase, TString>::Put(int32_t Index, const TString& S) {
  if (FListBox->IsVirtualStyle()) return;
  FListBox->CarryItem(Index, Index, [&] {
    this->Delete(Index);
    this->Insert(Index, S);
  });
}

template <class TBase, class TString>
void TListBoxItemsOf<TBase, TString>::Move(int32_t CurIndex, int32_t NewIndex) {
  if (FListBox->IsVirtualStyle()) return;
  const TString text = this->Get(CurIndex);
  if (NewIndex < 0 || NewIndex >= this->GetCount()) {
    RaiseListError(L"List index out of bounds (%d)", NewIndex);
  }
  if (CurIndex == NewIndex) return;
  list_box_detail::TUpdateScope<TBase> update(*this);
  FListBox->CarryItem(CurIndex, NewIndex, [&] {
    this->Delete(CurIndex);
    this->Insert(NewIndex, text);
  });
}

template <class TBase, class TString>
void TListBoxItemsOf<TBase, TString>::Exchange(int32_t Index1, int32_t Index2) {
  if (FListBox->IsVirtualStyle()) return;
  this->Get(Index1);
  this->Get(Index2);
  if (Index1 == Index2) return;
  // Two moves swap the items with everything that goes with them.
  list_box_detail::TUpdateScope<TBase> update(*this);
  const int32_t low = std::min(Index1, Index2), high = std::max(Index1, Index2);
  Move(low, high);
  Move(high - 1, low);
}
