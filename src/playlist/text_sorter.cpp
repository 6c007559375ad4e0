#include "playlist/text_sorter.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string_view>
#include <utility>

namespace {

constexpr DWORD kFlags = LCMAP_SORTKEY | NORM_IGNORECASE;
// Ends the primary section of a sort key; weights never use it.
constexpr char kSectionEnd = '\x01';

int CompareTexts(const std::wstring& A, const std::wstring& B) {
  // Equal keys mostly mean equal texts (duplicates), which need no system call.
  if (A == B) return 0;
  return CompareStringW(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, A.c_str(), -1, B.c_str(), -1) - 2;
}

// The primary section of the sort key of Count characters at Text (-1: up to
// the NUL); false when the system gives no key.
bool SystemPrimary(const wchar_t* Text, int Count, std::string& Primary) {
  char buffer[512];
  int size = LCMapStringW(LOCALE_SYSTEM_DEFAULT, kFlags, Text, Count,
                          reinterpret_cast<LPWSTR>(buffer), sizeof buffer);
  std::string large;
  const char* key = buffer;
  if (size <= 0) {
    size = LCMapStringW(LOCALE_SYSTEM_DEFAULT, kFlags, Text, Count, nullptr, 0);
    if (size <= 0) return false;
    large.resize(static_cast<size_t>(size));
    if (LCMapStringW(LOCALE_SYSTEM_DEFAULT, kFlags, Text, Count,
                     reinterpret_cast<LPWSTR>(large.data()), size) != size)
      return false;
    key = large.data();
  }
  std::string_view view(key, static_cast<size_t>(size));
  size_t end = view.find(kSectionEnd);
  // A zero byte would break the padding rule of SortRecords; no known system
  // makes one.
  if (end == std::string_view::npos || view.substr(0, end).find('\0') != std::string_view::npos)
    return false;
  Primary.assign(key, end);
  return true;
}

// Keys live in blocks that never move, so building them never copies the keys
// made so far.
class TKeyStore {
 public:
  // Room for Size bytes, kept for the store's life once Commit takes it.
  char* Reserve(size_t Size) {
    if (FBlocks.empty() || FLeft < Size) {
      const size_t block = std::max(Size, kBlock);
      FBlocks.push_back(std::make_unique<char[]>(block));
      FNext = FBlocks.back().get();
      FLeft = block;
    }
    return FNext;
  }
  void Commit(size_t Size) {
    FNext += Size;
    FLeft -= Size;
  }

 private:
  static constexpr size_t kBlock = size_t{256} << 10;
  std::vector<std::unique_ptr<char[]>> FBlocks;
  char* FNext = nullptr;
  size_t FLeft = 0;
};

struct TSortRecord {
  uint64_t Chunk;  // 8 key bytes from the current depth, big-endian, 0-padded
  const char* Key;
  uint32_t Length;
  uint32_t Index;
};

uint64_t ChunkAt(const TSortRecord& R, size_t Depth) {
  uint64_t chunk = 0;
  for (size_t k = Depth; k < Depth + 8; ++k)
    chunk = (chunk << 8) | (k < R.Length ? static_cast<uint8_t>(R.Key[k]) : 0);
  return chunk;
}

// Sorts by key 8 bytes at a time: each pass compares integers held in the
// records themselves, and only runs that are equal so far go deeper, past the
// prefix that the whole run shares. Keys never hold a zero byte, so the zero
// padding puts a key before every key that it begins. Runs of equal keys are
// ordered by Tie, then by position: the result is what a stable sort would give.
template <typename TieCompare>
void SortRecords(std::vector<TSortRecord>& Records, TieCompare Tie) {
  struct TRun {
    size_t Begin, End, Depth;
  };
  std::vector<TRun> runs{{0, Records.size(), 0}};
  while (!runs.empty()) {
    const TRun run = runs.back();
    runs.pop_back();
    if (run.End - run.Begin < 2) continue;  // nothing to order, and no head to read in an empty list
    const TSortRecord& head = Records[run.Begin];
    size_t depth = head.Length;
    for (size_t i = run.Begin + 1; i < run.End && depth > run.Depth; ++i) {
      const TSortRecord& r = Records[i];
      const size_t limit = std::min<size_t>(depth, r.Length);
      size_t k = run.Depth;
      while (k < limit && r.Key[k] == head.Key[k]) ++k;
      depth = k;
    }
    depth = std::max(depth, run.Depth);
    for (size_t i = run.Begin; i < run.End; ++i) Records[i].Chunk = ChunkAt(Records[i], depth);
    auto first = Records.begin() + static_cast<ptrdiff_t>(run.Begin);
    auto last = Records.begin() + static_cast<ptrdiff_t>(run.End);
    std::sort(first, last,
              [](const TSortRecord& a, const TSortRecord& b) { return a.Chunk < b.Chunk; });
    for (auto it = first; it != last;) {
      auto next = std::find_if(it, last, [&](const TSortRecord& r) { return r.Chunk != it->Chunk; });
      if (next - it > 1) {
        if (it->Length > depth + 8) {
          runs.push_back({static_cast<size_t>(it - Records.begin()),
                          static_cast<size_t>(next - Records.begin()), depth + 8});
        } else {
          std::sort(it, next, [&](const TSortRecord& a, const TSortRecord& b) {
            if (int c = Tie(a.Index, b.Index); c != 0) return c < 0;
            return a.Index < b.Index;
          });
        }
      }
      it = next;
    }
  }
}

// Keys are sequences of two-byte weights. When a sort meets at most 255
// different weights, each is written as its rank among them: the keys keep
// their order and take half the memory.
class TWeightCoder {
 public:
  void Note(std::string_view Key) {
    if (Key.size() % 2 != 0) FUsable = false;
    for (size_t i = 0; FUsable && i + 1 < Key.size(); i += 2) FSeen[Unit(Key, i)] = true;
  }
  void Finish() {
    uint32_t rank = 0;
    for (size_t unit = 0; FUsable && unit < FSeen.size(); ++unit) {
      if (!FSeen[unit]) continue;
      if (++rank > 255) FUsable = false;
      FRank[unit] = static_cast<uint8_t>(rank);
    }
  }
  // Key coded in place when the coder is usable.
  void Code(std::string& Key) const {
    if (!FUsable) return;
    for (size_t i = 0; i + 1 < Key.size(); i += 2) Key[i / 2] = static_cast<char>(FRank[Unit(Key, i)]);
    Key.resize(Key.size() / 2);
  }

 private:
  static size_t Unit(std::string_view Key, size_t At) {
    return (static_cast<size_t>(static_cast<uint8_t>(Key[At])) << 8) | static_cast<uint8_t>(Key[At + 1]);
  }
  bool FUsable = true;
  std::vector<bool> FSeen = std::vector<bool>(0x10000);
  std::vector<uint8_t> FRank = std::vector<uint8_t>(0x10000);
};

// Touches the texts a few steps ahead, so that walking a list whose entries
// lie all over the heap does not wait on memory for every text.
void Prefetch(const TTextSorter::TTextAt& TextAt, uint32_t Index, uint32_t Count) {
  if (Index + 16 < Count) __builtin_prefetch(&TextAt(Index + 16));
  if (Index + 8 < Count) __builtin_prefetch(TextAt(Index + 8).data());
}

}  // namespace

TTextSorter::TTextSorter() : FWeights(0x10000) { FLearnt.reserve(kMaxLearnt); }

bool TTextSorter::Known(wchar_t C) {
  const TWeight& w = FWeights[static_cast<uint16_t>(C)];
  return w.State == wsKnown || (w.State == wsUnknown && Learn(C));
}

// A character is taken into the table only when its weight stays the same
// beside every character already there and beside itself. That keeps out the
// letters of the locale's contractions ("ch" in Czech, "aa" in Danish): texts
// holding them always get their keys from the system.
bool TTextSorter::Learn(wchar_t C) {
  TWeight& w = FWeights[static_cast<uint16_t>(C)];
  w.State = wsSystem;
  if (FLearnt.size() >= kMaxLearnt || (C >= 0xD800 && C <= 0xDFFF)) return false;
  std::string own;
  if (!SystemPrimary(&C, 1, own) || own.size() > kMaxWeight) return false;
  std::string pair;
  auto holds = [&](wchar_t a, wchar_t b, const std::string& expected) {
    const wchar_t text[2] = {a, b};
    return SystemPrimary(text, 2, pair) && pair == expected;
  };
  if (!holds(C, C, own + own)) return false;
  for (wchar_t other : FLearnt) {
    const TWeight& o = FWeights[static_cast<uint16_t>(other)];
    const std::string theirs(o.Bytes, o.Length);
    if (!holds(C, other, own + theirs) || !holds(other, C, theirs + own)) return false;
  }
  w.State = wsKnown;
  w.Length = static_cast<uint8_t>(own.size());
  own.copy(w.Bytes, own.size());
  FLearnt += C;
  return true;
}

bool TTextSorter::Sort(uint32_t Count, const TTextAt& TextAt, std::vector<uint32_t>& Order) {
  Order.clear();
  // First pass: learn the characters; a text that the table cannot serve gets
  // its key from the system now.
  std::vector<std::pair<uint32_t, std::string>> systemKeys;
  TWeightCoder coder;
  for (uint32_t i = 0; i < Count; ++i) {
    Prefetch(TextAt, i, Count);
    const std::wstring& text = TextAt(i);
    const wchar_t* p = text.c_str();
    while (*p != L'\0' && Known(*p)) ++p;
    if (*p == L'\0') continue;
    std::string key;
    if (!SystemPrimary(text.c_str(), -1, key)) return false;
    coder.Note(key);
    systemKeys.emplace_back(i, std::move(key));
  }
  for (wchar_t c : FLearnt) {
    const TWeight& w = FWeights[static_cast<uint16_t>(c)];
    coder.Note(std::string_view(w.Bytes, w.Length));
  }
  coder.Finish();

  // The learnt characters' weights as this sort writes them.
  struct TCoded {
    uint8_t Length;
    char Bytes[kMaxWeight];
  };
  std::vector<TCoded> coded(0x10000);
  for (wchar_t c : FLearnt) {
    const TWeight& w = FWeights[static_cast<uint16_t>(c)];
    std::string bytes(w.Bytes, w.Length);
    coder.Code(bytes);
    TCoded& out = coded[static_cast<uint16_t>(c)];
    out.Length = static_cast<uint8_t>(bytes.size());
    bytes.copy(out.Bytes, bytes.size());
  }

  TKeyStore store;
  std::vector<TSortRecord> records;
  records.reserve(Count);
  size_t nextSystem = 0;
  for (uint32_t i = 0; i < Count; ++i) {
    Prefetch(TextAt, i, Count);
    size_t length = 0;
    char* at = nullptr;
    if (nextSystem < systemKeys.size() && systemKeys[nextSystem].first == i) {
      std::string& key = systemKeys[nextSystem++].second;
      coder.Code(key);
      length = key.size();
      at = store.Reserve(length);
      key.copy(at, length);
      std::string().swap(key);
    } else {
      const wchar_t* text = TextAt(i).c_str();
      for (const wchar_t* p = text; *p != L'\0'; ++p) length += coded[static_cast<uint16_t>(*p)].Length;
      at = store.Reserve(length);
      char* out = at;
      for (const wchar_t* p = text; *p != L'\0'; ++p) {
        const TCoded& w = coded[static_cast<uint16_t>(*p)];
        for (uint8_t k = 0; k < w.Length; ++k) *out++ = w.Bytes[k];
      }
    }
    if (length > UINT32_MAX) return false;
    store.Commit(length);
    records.push_back({0, at, static_cast<uint32_t>(length), i});
  }
  SortRecords(records, [&](uint32_t a, uint32_t b) { return CompareTexts(TextAt(a), TextAt(b)); });
  Order.reserve(Count);
  for (const TSortRecord& r : records) Order.push_back(r.Index);
  return true;
}
