#include "foundation/tnt_string_list.h"

#include <utility>

#include "framework/exceptions.h"

TTntStringList::~TTntStringList() {
  // Destruction tells nobody.
  FOnChange = nullptr;
  FOnChanging = nullptr;
}

void TTntStringList::CheckIndex(int32_t Index) const {
  if (Index < 0 || Index >= GetCount()) RaiseListError(L"List index out of bounds (%d)", Index);
}

int32_t TTntStringList::Add(const std::wstring& S) { return AddObject(S, nullptr); }

int32_t TTntStringList::AddObject(const std::wstring& S, TObject* AObject) {
  int32_t index = GetCount();
  if (FSorted && Find(S, index)) {
    switch (FDuplicates) {
      case dupIgnore:
        return index;
      case dupError:
        RaiseListError(L"String list does not allow duplicates", 0);
      case dupAccept:
        break;
    }
  }
  InsertItem(index, S, AObject);
  return index;
}

void TTntStringList::Clear() {
  if (FItems.empty()) return;
  Changing();
  std::vector<TItem>().swap(FItems);
  FCapacity = 0;
  Changed();
}

void TTntStringList::Delete(int32_t Index) {
  CheckIndex(Index);
  Changing();
  FItems.erase(FItems.begin() + Index);
  Changed();
}

void TTntStringList::Exchange(int32_t Index1, int32_t Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  Changing();
  ExchangeItems(Index1, Index2);
  Changed();
}

void TTntStringList::ExchangeItems(int32_t Index1, int32_t Index2) {
  std::swap(FItems[Index1], FItems[Index2]);
}

bool TTntStringList::Find(const std::wstring& S, int32_t& Index) const {
  bool found = false;
  int32_t l = 0;
  int32_t h = GetCount() - 1;
  while (l <= h) {
    int32_t i = static_cast<int32_t>((static_cast<uint32_t>(l) + static_cast<uint32_t>(h)) >> 1);
    int32_t c = CompareStrings(FItems[i].FString, S);
    if (c < 0) {
      l = i + 1;
    } else {
      h = i - 1;
      if (c == 0) {
        found = true;
        if (FDuplicates != dupAccept) l = i;
      }
    }
  }
  Index = l;
  return found;
}

int32_t TTntStringList::IndexOf(const std::wstring& S) const {
  if (!FSorted) return TTntStrings::IndexOf(S);
  int32_t index = -1;
  return Find(S, index) ? index : -1;
}

int32_t TTntStringList::IndexOfName(const std::wstring& Name) const {
  if (!FSorted) return TTntStrings::IndexOfName(Name);
  const std::wstring prefix = Name + L"=";
  int32_t index = -1;
  Find(prefix, index);
  if (index < GetCount() && CompareStrings(FItems[index].FString.substr(0, prefix.size()), prefix) == 0)
    return index;
  return -1;
}

void TTntStringList::Insert(int32_t Index, const std::wstring& S) { InsertObject(Index, S, nullptr); }

void TTntStringList::InsertObject(int32_t Index, const std::wstring& S, TObject* AObject) {
  if (FSorted) RaiseListError(L"Operation not allowed on sorted list", 0);
  if (Index < 0 || Index > GetCount()) RaiseListError(L"List index out of bounds (%d)", Index);
  InsertItem(Index, S, AObject);
}

void TTntStringList::InsertItem(int32_t Index, const std::wstring& S, TObject* AObject) {
  Changing();
  if (GetCount() == FCapacity) Grow();
  FItems.insert(FItems.begin() + Index, TItem{S, AObject});
  Changed();
}

void TTntStringList::Grow() {
  int32_t delta = FCapacity > 64 ? FCapacity / 4 : (FCapacity > 8 ? 16 : 4);
  SetCapacity(FCapacity + delta);
}

void TTntStringList::SetCapacity(int32_t NewCapacity) {
  // Below the count the items past the new end would be lost.
  if (NewCapacity < GetCount()) RaiseListError(L"List capacity out of bounds (%d)", NewCapacity);
  if (NewCapacity == FCapacity) return;
  std::vector<TItem> items;
  items.reserve(static_cast<size_t>(NewCapacity));
  for (TItem& item : FItems) items.push_back(std::move(item));
  FItems.swap(items);
  FCapacity = NewCapacity;
}

void TTntStringList::Sort() {
  CustomSort([](TTntStringList& list, int32_t i, int32_t j) {
    return list.CompareStrings(list.FItems[i].FString, list.FItems[j].FString);
  });
}

void TTntStringList::CustomSort(const TWideStringListSortCompare& Compare) {
  if (FSorted || GetCount() < 2) return;
  Changing();
  QuickSort(0, GetCount() - 1, Compare);
  Changed();
}

void TTntStringList::QuickSort(int32_t L, int32_t R, const TWideStringListSortCompare& Compare) {
  int32_t i = 0;
  do {
    i = L;
    int32_t j = R;
    int32_t p = static_cast<int32_t>((static_cast<uint32_t>(L) + static_cast<uint32_t>(R)) >> 1);
    do {
      while (Compare(*this, i, p) < 0) ++i;
      while (Compare(*this, j, p) > 0) --j;
      if (i <= j) {
        ExchangeItems(i, j);
        // The pivot is followed by index, so it must move with its item.
        if (p == i) {
          p = j;
        } else if (p == j) {
          p = i;
        }
        ++i;
        --j;
      }
    } while (i <= j);
    if (L < j) QuickSort(L, j, Compare);
    L = i;
  } while (i < R);
}

void TTntStringList::SetSorted(bool Value) {
  if (FSorted == Value) return;
  if (Value) Sort();
  FSorted = Value;
}

void TTntStringList::SetCaseSensitive(bool Value) {
  if (FCaseSensitive == Value) return;
  FCaseSensitive = Value;
  // A sorted list must follow the new order, or Find would miss lines.
  // Sort() leaves a Sorted list alone, so it is briefly unsorted here.
  if (FSorted) {
    FSorted = false;
    Sort();
    FSorted = true;
  }
}

std::wstring TTntStringList::Get(int32_t Index) const {
  CheckIndex(Index);
  return FItems[Index].FString;
}

int32_t TTntStringList::GetCapacity() const { return FCapacity; }

int32_t TTntStringList::GetCount() const { return static_cast<int32_t>(FItems.size()); }

TObject* TTntStringList::GetObjectAt(int32_t Index) const {
  CheckIndex(Index);
  return FItems[Index].FObject;
}

void TTntStringList::Put(int32_t Index, const std::wstring& S) {
  if (FSorted) RaiseListError(L"Operation not allowed on sorted list", 0);
  CheckIndex(Index);
  Changing();
  FItems[Index].FString = S;
  Changed();
}

void TTntStringList::PutObjectAt(int32_t Index, TObject* AObject) {
  CheckIndex(Index);
  Changing();
  FItems[Index].FObject = AObject;
  Changed();
}

void TTntStringList::SetUpdateState(bool Updating) {
  FUpdating = Updating;
  if (Updating) {
    Changing();
  } else {
    Changed();
  }
}

int32_t TTntStringList::CompareStrings(const std::wstring& S1, const std::wstring& S2) const {
  return FCaseSensitive ? WideCompareStr(S1, S2) : WideCompareText(S1, S2);
}

void TTntStringList::Changed() {
  if (!FUpdating && FOnChange) FOnChange(this);
}

void TTntStringList::Changing() {
  if (!FUpdating && FOnChanging) FOnChanging(this);
}
