// The wide list kept in memory: lines with objects (never freed by the list),
// optional sorting, and change events.
//   Events: OnChanging before and OnChange after every change; none while an
//   update bracket is open, and one OnChange when the last bracket closes.
//   Errors (EStringListError), raised before anything changes:
//     "List index out of bounds (%d)"          bad index (Insert: 0..Count)
//     "List capacity out of bounds (%d)"       capacity below Count
//     "Operation not allowed on sorted list"   Put or Insert while Sorted
//     "String list does not allow duplicates"  Add of an equal line, dupError
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "foundation/tnt_strings.h"

class TTntStringList;

// Compares items Index1 and Index2 of List: negative, 0 or positive.
using TWideStringListSortCompare =
    std::function<int32_t(TTntStringList& List, int32_t Index1, int32_t Index2)>;

class TTntStringList : public TTntStrings {
 public:
  ~TTntStringList() override;

  int32_t Add(const std::wstring& S) override;
  int32_t AddObject(const std::wstring& S, TObject* AObject) override;
  void Clear() override;
  void Delete(int32_t Index) override;
  void Exchange(int32_t Index1, int32_t Index2) override;
  int32_t IndexOf(const std::wstring& S) const override;
  int32_t IndexOfName(const std::wstring& Name) const override;
  void Insert(int32_t Index, const std::wstring& S) override;
  void InsertObject(int32_t Index, const std::wstring& S, TObject* AObject) override;
  void SetCapacity(int32_t NewCapacity) override;

  // Bisection over a sorted list: true when found; Index is the match (the
  // leftmost one when duplicates are accepted) or the insertion point.
  virtual bool Find(const std::wstring& S, int32_t& Index) const;
  virtual void Sort();
  // Quicksort in place, not stable; does nothing on a Sorted list.
  virtual void CustomSort(const TWideStringListSortCompare& Compare);

  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool Value);
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Value) { FOnChange = std::move(Value); }
  const TNotifyEvent& OnChanging() const { return FOnChanging; }
  void SetOnChanging(TNotifyEvent Value) { FOnChanging = std::move(Value); }

 protected:
  std::wstring Get(int32_t Index) const override;
  int32_t GetCapacity() const override;
  int32_t GetCount() const override;
  TObject* GetObjectAt(int32_t Index) const override;
  void Put(int32_t Index, const std::wstring& S) override;
  void PutObjectAt(int32_t Index, TObject* AObject) override;
  void SetUpdateState(bool Updating) override;
  // WideCompareStr when CaseSensitive, else WideCompareText.
  int32_t CompareStrings(const std::wstring& S1, const std::wstring& S2) const override;
  virtual void Changed();
  virtual void Changing();
  virtual void InsertItem(int32_t Index, const std::wstring& S, TObject* AObject);

 private:
  struct TItem {
    std::wstring FString;
    TObject* FObject = nullptr;
  };

  void CheckIndex(int32_t Index) const;
  void Grow();
  void QuickSort(int32_t L, int32_t R, const TWideStringListSortCompare& Compare);
  void ExchangeItems(int32_t Index1, int32_t Index2);

  bool FUpdating = false;
  std::vector<TItem> FItems;
  int32_t FCapacity = 0;  // item places allocated; FItems never reallocates on its own
  bool FSorted = false;
  TDuplicates FDuplicates = dupIgnore;
  bool FCaseSensitive = false;
  TNotifyEvent FOnChange;
  TNotifyEvent FOnChanging;
};
