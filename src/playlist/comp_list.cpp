#include "playlist/comp_list.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <unordered_set>

#include "foundation/tnt_sysutils.h"
#include "framework/exceptions.h"
#include "playlist/m3u.h"
#include "playlist/text_sorter.h"

namespace {

[[noreturn]] void RaiseIndexError(int32_t Index) {
  throw EListError(L"List index out of bounds (%d)", {Index});
}

int32_t CompareText(const std::wstring& A, const std::wstring& B) {
  return CompareStringW(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, A.c_str(), -1, B.c_str(), -1) - 2;
}

// An entry's texts block: a byte of flags (bit F set: field F takes two bytes
// a character), the three lengths in characters (uint32, unaligned), then the
// three fields one after the other. A field whose characters are all below
// 0x100 (most names and paths) takes one byte a character.
enum TField : uint8_t { fArtist = 0, fTitle = 1, fFileName = 2 };
constexpr size_t kFields = 3;
constexpr size_t kTextsHeader = 1 + kFields * sizeof(uint32_t);

bool FitsByte(const std::wstring& S) {
  return std::all_of(S.begin(), S.end(), [](wchar_t c) { return static_cast<uint16_t>(c) <= 0xFF; });
}

std::unique_ptr<uint8_t[]> PackTexts(const std::wstring& Artist, const std::wstring& Title,
                                     const std::wstring& FileName) {
  const std::array<const std::wstring*, kFields> texts{&Artist, &Title, &FileName};
  if (Artist.empty() && Title.empty() && FileName.empty()) return nullptr;
  uint8_t flags = 0;
  std::array<uint32_t, kFields> lengths{};
  size_t size = kTextsHeader;
  for (size_t f = 0; f < kFields; ++f) {
    // Only a CD track's artist has no limit of its own; 4 G characters would
    // be 8 GB of text, so the cut is never met in practice.
    lengths[f] = static_cast<uint32_t>(std::min<size_t>(texts[f]->size(), UINT32_MAX));
    const bool wide = !FitsByte(*texts[f]);
    if (wide) flags |= static_cast<uint8_t>(1u << f);
    size += size_t{lengths[f]} * (wide ? 2 : 1);
  }
  auto block = std::make_unique_for_overwrite<uint8_t[]>(size);
  block[0] = flags;
  std::memcpy(&block[1], lengths.data(), sizeof lengths);
  uint8_t* out = &block[kTextsHeader];
  for (size_t f = 0; f < kFields; ++f) {
    const std::wstring& text = *texts[f];
    if (flags & (1u << f)) {
      std::memcpy(out, text.data(), size_t{lengths[f]} * 2);
      out += size_t{lengths[f]} * 2;
    } else {
      for (uint32_t i = 0; i < lengths[f]; ++i) *out++ = static_cast<uint8_t>(text[i]);
    }
  }
  return block;
}

// Field of a texts block into Out, reusing Out's buffer.
void UnpackText(const uint8_t* Block, TField Field, std::wstring& Out) {
  if (Block == nullptr) {
    Out.clear();
    return;
  }
  const uint8_t flags = Block[0];
  std::array<uint32_t, kFields> lengths{};
  std::memcpy(lengths.data(), &Block[1], sizeof lengths);
  const uint8_t* at = &Block[kTextsHeader];
  for (size_t f = 0; f < Field; ++f) at += size_t{lengths[f]} * ((flags & (1u << f)) ? 2 : 1);
  const size_t length = lengths[Field];
  Out.resize(length);
  if (flags & (1u << Field))
    std::memcpy(Out.data(), at, length * 2);
  else
    for (size_t i = 0; i < length; ++i) Out[i] = static_cast<wchar_t>(at[i]);
}

void UnpackElem(const uint8_t* Block, TElem& Elem) {
  UnpackText(Block, fArtist, Elem.Artist);
  UnpackText(Block, fTitle, Elem.Title);
  UnpackText(Block, fFileName, Elem.FileName);
}

}  // namespace

TCompList::TCompList() : FRandom(std::random_device{}()) {}

TCompList::~TCompList() {
  FOnChange = nullptr;
  Clear();
}

TCompList::TEntry& TCompList::EntryAt(int32_t Index) {
  if (!IsValidIndex(Index)) RaiseIndexError(Index);
  return FItems[Index];
}

int32_t TCompList::IndexOfId(TElemId Id) const {
  if (Id == 0) return -1;
  if (FCurrentHint >= 0 && FCurrentHint < Count() && FItems[FCurrentHint].Id == Id)
    return FCurrentHint;
  for (int32_t i = 0; i < Count(); ++i)
    if (FItems[i].Id == Id) return i;
  return -1;
}

template <typename Pred>
void TCompList::RemoveWhere(Pred Remove) {
  // One pass that keeps the order: deleting one at a time would move the rest
  // of a large list once per removed entry.
  auto kept = std::stable_partition(FItems.begin(), FItems.end(),
                                    [&](const TEntry& e) { return !Remove(e); });
  for (auto it = kept; it != FItems.end(); ++it)
    if (it->Id == FCurrent) FCurrent = 0;
  FItems.erase(kept, FItems.end());
}

int32_t TCompList::Add(const TElem& Elem) { return Append(TElem(Elem)); }

int32_t TCompList::Append(TElem&& Elem) {
  if (!FileNameFitsElem(Elem.FileName)) return -1;
  Elem.Title = ElemTitleCut(std::move(Elem.Title));
  FItems.push_back(TEntry{PackTexts(Elem.Artist, Elem.Title, Elem.FileName), FNextId++, Elem.Duration, false});
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
  if (!IsValidIndex(Index)) return;
  const TEntry& entry = FItems[Index];
  UnpackElem(entry.Texts.get(), Elem);
  Elem.Duration = entry.Duration;
  Elem.Selected = entry.Selected;
}

void TCompList::SetTitle(int32_t Index, const std::wstring& S) {
  TEntry& entry = EntryAt(Index);
  TElem elem;
  UnpackElem(entry.Texts.get(), elem);
  entry.Texts = PackTexts(elem.Artist, ElemTitleCut(S), elem.FileName);
}

void TCompList::SetFileName(int32_t Index, const std::wstring& S) {
  TEntry& entry = EntryAt(Index);
  if (!FileNameFitsElem(S)) return;
  TElem elem;
  UnpackElem(entry.Texts.get(), elem);
  entry.Texts = PackTexts(elem.Artist, elem.Title, S);
}

void TCompList::SetDuration(int32_t Index, int32_t Seconds) {
  EntryAt(Index).Duration = Seconds;
}

bool TCompList::GetSelected(int32_t Index) const {
  return IsValidIndex(Index) && FItems[Index].Selected;
}

void TCompList::SetSelected(int32_t Index, bool Value) {
  if (IsValidIndex(Index)) FItems[Index].Selected = Value;
}

void TCompList::SelectRange(int32_t From, int32_t To) {
  if (!IsValidIndex(From) || !IsValidIndex(To) || To < From) return;
  for (int32_t i = From; i <= To; ++i) FItems[i].Selected = true;
}

int32_t TCompList::FirstSelected() const {
  for (int32_t i = 0; i < Count(); ++i)
    if (FItems[i].Selected) return i;
  return -1;
}

int32_t TCompList::GetCurrentIndex() const {
  FCurrentHint = IndexOfId(FCurrent);
  return FCurrentHint;
}

void TCompList::SetCurrentIndex(int32_t Index) {
  FCurrent = IsValidIndex(Index) ? FItems[Index].Id : 0;
  FCurrentHint = IsValidIndex(Index) ? Index : -1;
}

void TCompList::Exchange(int32_t I, int32_t J) {
  EntryAt(I);
  EntryAt(J);
  std::swap(FItems[I], FItems[J]);
}

void TCompList::Sort(TSortKey Key) {
  TField field = fArtist;
  switch (Key) {
    case skArtist:
      field = fArtist;
      break;
    case skTitle:
      field = fTitle;
      break;
    case skFileName:
      field = fFileName;
      break;
    case skDuration:
      // Compared, not subtracted: the difference of two 32-bit durations can overflow.
      std::stable_sort(FItems.begin(), FItems.end(),
                       [](const TEntry& a, const TEntry& b) { return a.Duration > b.Duration; });
      Changed();
      return;
    default:
      return;
  }
  if (!FSorter) FSorter = std::make_unique<TTextSorter>();
  // The sorter holds more than one text at a time (two in a comparison) and
  // asks for most texts three times (it looks 8 and 16 texts ahead), so the
  // unpacked texts stay in a ring: each is unpacked once while it is there,
  // and a text handed out stays valid for as many further asks as the ring
  // has buffers.
  constexpr size_t kRing = 32;
  std::array<std::wstring, kRing> ring;
  std::array<uint32_t, kRing> held;
  held.fill(UINT32_MAX);  // no index: a list never holds that many entries
  size_t next = 0;
  std::vector<uint32_t> order;
  const bool sorted = FSorter->Sort(
      static_cast<uint32_t>(FItems.size()),
      [&](uint32_t i) -> const std::wstring& {
        for (size_t k = 0; k < kRing; ++k)
          if (held[k] == i) return ring[k];
        const size_t k = next++ % kRing;
        held[k] = i;
        UnpackText(FItems[i].Texts.get(), field, ring[k]);
        return ring[k];
      },
      order);
  if (sorted) {
    std::vector<TEntry> items;
    items.reserve(order.size());
    for (uint32_t i : order) items.push_back(std::move(FItems[i]));
    FItems.swap(items);
  } else {
    std::stable_sort(FItems.begin(), FItems.end(), [&](const TEntry& a, const TEntry& b) {
      UnpackText(a.Texts.get(), field, ring[0]);
      UnpackText(b.Texts.get(), field, ring[1]);
      return CompareText(ring[0], ring[1]) < 0;
    });
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
  std::wstring name;
  RemoveWhere([&](const TEntry& e) {
    UnpackText(e.Texts.get(), fFileName, name);
    return !IsURL(name) && !IsOnCDROMDrive(name) && !WideFileExists(name);
  });
  Changed();
}

void TCompList::DeleteDuplicates() {
  std::unordered_set<std::wstring> seen;
  seen.reserve(FItems.size());
  std::wstring name;
  RemoveWhere([&](const TEntry& e) {
    UnpackText(e.Texts.get(), fFileName, name);
    return !seen.insert(name).second;
  });
  Changed();
}

bool TCompList::IsURL(const std::wstring& S) {
  return S.starts_with(L"http://") || S.starts_with(L"ftp://") || S.starts_with(L"mms://");
}

namespace {
TCompList::TDriveTypeProbe DriveTypeProbe = nullptr;
}

bool TCompList::IsOnCDROMDrive(const std::wstring& S) {
  if (S.size() < 3 || S[1] != L':' || S[2] != L'\\') return false;
  const std::wstring root = S.substr(0, 3);
  const unsigned type = DriveTypeProbe ? DriveTypeProbe(root.c_str()) : GetDriveTypeW(root.c_str());
  return type == DRIVE_CDROM;
}

void TCompList::SetDriveTypeProbe(TDriveTypeProbe Probe) { DriveTypeProbe = Probe; }

bool TCompList::LoadFromFile(const std::wstring& FileName) {
  // Entries are appended as they are read, so a failure part way keeps those
  // and leaves everything that was in the list before.
  if (!ReadExtendedM3U(FileName, [this](TElem& elem) { Append(std::move(elem)); })) return false;
  Changed();
  return true;
}

void TCompList::SaveToFile(const std::wstring& FileName) const {
  TElem elem;
  WriteExtendedM3U(FileName, Count(), [&](int32_t i) -> const TElem& {
    GetElem(i, elem);
    return elem;
  });
}

void TCompList::HistoryAdd(int32_t Index) {
  if (IsValidIndex(Index)) FHistory.Add(FItems[Index].Id);
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
