#include "playlist/comp_list.h"

#include <windows.h>

#include <algorithm>
#include <unordered_set>

#include "exceptions.h"
#include "foundation/tnt_sysutils.h"
#include "playlist/m3u.h"
#include "playlist/text_sorter.h"

namespace {

[[noreturn]] void RaiseIndexError(int32_t Index) {
  throw EListError(L"List index out of bounds (%d)", {Index});
}

int32_t CompareText(const std::wstring& A, const std::wstring& B) {
  return CompareStringW(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, A.c_str(), -1, B.c_str(), -1) - 2;
}

}  // namespace

TCompList::TCompList() : FRandom(std::random_device{}()) {}

TCompList::~TCompList() {
  FOnChange = nullptr;
  Clear();
}

TCompList::TEntry& TCompList::EntryAt(int32_t Index) {
  if (!IsValidIndex(Index)) RaiseIndexError(Index);
  return *FItems[Index];
}

int32_t TCompList::IndexOfId(TElemId Id) const {
  if (Id == 0) return -1;
  if (FCurrentHint >= 0 && FCurrentHint < Count() && FItems[FCurrentHint]->Id == Id)
    return FCurrentHint;
  for (int32_t i = 0; i < Count(); ++i)
    if (FItems[i]->Id == Id) return i;
  return -1;
}

template <typename Pred>
void TCompList::RemoveWhere(Pred Remove) {
  // One pass that keeps the order: deleting one at a time would move the rest
  // of a large list once per removed entry.
  auto kept = std::stable_partition(FItems.begin(), FItems.end(),
                                    [&](const std::unique_ptr<TEntry>& e) { return !Remove(*e); });
  for (auto it = kept; it != FItems.end(); ++it)
    if ((*it)->Id == FCurrent) FCurrent = 0;
  FItems.erase(kept, FItems.end());
}

int32_t TCompList::Add(const TElem& Elem) { return Append(TElem(Elem)); }

int32_t TCompList::Append(TElem&& Elem) {
  if (!FileNameFitsElem(Elem.FileName)) return -1;
  Elem.Title = ElemTitleCut(std::move(Elem.Title));
  auto entry = std::make_unique<TEntry>(TEntry{std::move(Elem), FNextId++});
  entry->Elem.Selected = false;
  FItems.push_back(std::move(entry));
  return Count() - 1;
}

void TCompList::Delete(int32_t Index, bool Notify) {
  if (EntryAt(Index).Id == FCurrent) FCurrent = 0;
  FItems.erase(FItems.begin() + Index);
  if (Notify) Changed();
}

void TCompList::Clear() {
  FItems.clear();
  FItems.shrink_to_fit();
  FCurrent = 0;
  Changed();
}

void TCompList::GetElem(int32_t Index, TElem& Elem) const {
  if (IsValidIndex(Index)) Elem = FItems[Index]->Elem;
}

void TCompList::SetTitle(int32_t Index, const std::wstring& S) {
  EntryAt(Index).Elem.Title = ElemTitleCut(S);
}

void TCompList::SetFileName(int32_t Index, const std::wstring& S) {
  TEntry& entry = EntryAt(Index);
  if (FileNameFitsElem(S)) entry.Elem.FileName = S;
}

void TCompList::SetDuration(int32_t Index, int32_t Seconds) {
  EntryAt(Index).Elem.Duration = Seconds;
}

bool TCompList::GetSelected(int32_t Index) const {
  return IsValidIndex(Index) && FItems[Index]->Elem.Selected;
}

void TCompList::SetSelected(int32_t Index, bool Value) {
  if (IsValidIndex(Index)) FItems[Index]->Elem.Selected = Value;
}

void TCompList::SelectRange(int32_t From, int32_t To) {
  if (!IsValidIndex(From) || !IsValidIndex(To) || To < From) return;
  for (int32_t i = From; i <= To; ++i) FItems[i]->Elem.Selected = true;
}

int32_t TCompList::FirstSelected() const {
  for (int32_t i = 0; i < Count(); ++i)
    if (FItems[i]->Elem.Selected) return i;
  return -1;
}

int32_t TCompList::GetCurrentIndex() const {
  FCurrentHint = IndexOfId(FCurrent);
  return FCurrentHint;
}

void TCompList::SetCurrentIndex(int32_t Index) {
  FCurrent = IsValidIndex(Index) ? FItems[Index]->Id : 0;
  FCurrentHint = IsValidIndex(Index) ? Index : -1;
}

void TCompList::Exchange(int32_t I, int32_t J) {
  EntryAt(I);
  EntryAt(J);
  std::swap(FItems[I], FItems[J]);
}

void TCompList::Sort(TSortKey Key) {
  using Ptr = std::unique_ptr<TEntry>;
  std::wstring TElem::*field = nullptr;
  switch (Key) {
    case skArtist:
      field = &TElem::Artist;
      break;
    case skTitle:
      field = &TElem::Title;
      break;
    case skFileName:
      field = &TElem::FileName;
      break;
    case skDuration:
      // Compared, not subtracted: the difference of two 32-bit durations can overflow.
      std::stable_sort(FItems.begin(), FItems.end(), [](const Ptr& a, const Ptr& b) {
        return a->Elem.Duration > b->Elem.Duration;
      });
      break;
    default:
      return;
  }
  if (field) {
    if (!FSorter) FSorter = std::make_unique<TTextSorter>();
    std::vector<uint32_t> order;
    const bool sorted = FSorter->Sort(
        static_cast<uint32_t>(FItems.size()),
        [&](uint32_t i) -> const std::wstring& { return FItems[i]->Elem.*field; }, order);
    if (sorted) {
      std::vector<std::unique_ptr<TEntry>> items;
      items.reserve(order.size());
      for (uint32_t i : order) items.push_back(std::move(FItems[i]));
      FItems.swap(items);
    } else {
      std::stable_sort(FItems.begin(), FItems.end(), [field](const Ptr& a, const Ptr& b) {
        return CompareText(a->Elem.*field, b->Elem.*field) < 0;
      });
    }
  }
  Changed();
}

void TCompList::Randomize() {
  const int32_t count = Count();
  for (int32_t i = 0; i < count; ++i) {
    std::uniform_int_distribution<int32_t> pick(0, count - 1);
    std::swap(FItems[pick(FRandom)], FItems[i]);
  }
  Changed();
}

void TCompList::DeleteMissing() {
  RemoveWhere([](const TEntry& e) {
    return !IsURL(e.Elem.FileName) && !WideFileExists(e.Elem.FileName);
  });
  Changed();
}

void TCompList::DeleteDuplicates() {
  std::unordered_set<std::wstring> seen;
  seen.reserve(FItems.size());
  RemoveWhere([&](const TEntry& e) { return !seen.insert(e.Elem.FileName).second; });
  Changed();
}

bool TCompList::IsURL(const std::wstring& S) {
  return S.starts_with(L"http://") || S.starts_with(L"ftp://") || S.starts_with(L"mms://");
}

bool TCompList::LoadFromFile(const std::wstring& FileName) {
  // Entries are appended as they are read, so a failure part way keeps those
  // and leaves everything that was in the list before.
  if (!ReadExtendedM3U(FileName, [this](TElem& elem) { Append(std::move(elem)); })) return false;
  Changed();
  return true;
}

void TCompList::SaveToFile(const std::wstring& FileName) const {
  WriteExtendedM3U(FileName, Count(), [this](int32_t i) -> const TElem& { return FItems[i]->Elem; });
}

void TCompList::HistoryAdd(int32_t Index) {
  if (IsValidIndex(Index)) FHistory.Add(FItems[Index]->Id);
}

void TCompList::HistoryClear() { FHistory.Clear(); }

int32_t TCompList::HistoryNext() {
  TElemId next = FHistory.PeekNext();
  if (next == 0) return -1;
  int32_t index = IndexOfId(next);
  FHistory.StepForward();
  return index;
}

int32_t TCompList::HistoryPrev() {
  TElemId prev = FHistory.PeekPrev();
  if (prev == 0) return -1;
  int32_t index = IndexOfId(prev);
  FHistory.StepBack();
  return index;
}

void TCompList::Changed() {
  if (FOnChange) FOnChange(this);
}
