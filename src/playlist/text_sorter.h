// Orders texts as a stable sort by CompareStringW(LOCALE_SYSTEM_DEFAULT,
// NORM_IGNORECASE, ...) would, at a fraction of the cost: that call takes about
// a microsecond under Wine, and sorting 100,000 texts needs some 1.7 million
// comparisons.
//   Each text gets its primary sort key (the weights CompareStringW looks at
//   first). Texts whose primary keys differ compare as their keys do, byte by
//   byte; only texts with equal keys are compared by CompareStringW itself.
//   Weights of characters are learnt from the system once per character, so
//   most texts need no system call at all.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TTextSorter {
 public:
  using TTextAt = std::function<const std::wstring&(uint32_t Index)>;

  TTextSorter();

  // Order receives 0..Count-1 in sorted order. False (Order left empty) when
  // the system cannot give a sort key for some text.
  bool Sort(uint32_t Count, const TTextAt& TextAt, std::vector<uint32_t>& Order);

 private:
  static constexpr size_t kMaxLearnt = 1024;
  static constexpr uint8_t kMaxWeight = 8;

  enum : uint8_t { wsUnknown, wsKnown, wsSystem };
  struct TWeight {
    uint8_t State = wsUnknown;
    uint8_t Length = 0;  // 0: ignored at this level (word sort's hyphen, apostrophe)
    char Bytes[kMaxWeight] = {};
  };

  bool Known(wchar_t C);
  bool Learn(wchar_t C);

  std::vector<TWeight> FWeights;  // by UTF-16 code unit
  std::wstring FLearnt;           // the characters now wsKnown
};
