// The shuffle play history: the last Limit entries played, with a position for
// stepping back and forward. It holds entry identities only; the entries belong
// to the playlist.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/persistent.h"
#include "playlist/elem.h"

class THistory : public TPersistent {
 public:
  static constexpr int32_t Limit = 32;

  int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
  // Index of the current item; -1 when the history is empty.
  int32_t Position() const { return FPosition; }
  // The item at Index; 0 outside 0..Count-1.
  TElemId Items(int32_t Index) const;

  void Clear();
  // Appends Entry (dropping the oldest item when full) and makes it current;
  // items ahead of the old position stay before it. Returns the new position.
  int32_t Add(TElemId Entry);
  // The item after / before the current one, or 0.
  TElemId PeekNext() const;
  TElemId PeekPrev() const;
  // Move the position by one; nothing when there is no item that way.
  void StepForward();
  void StepBack();
  bool AtStart() const { return FPosition <= 0; }
  bool AtEnd() const { return FPosition == -1 || FPosition == Count() - 1; }

 private:
  std::vector<TElemId> FItems;
  int32_t FPosition = -1;
};
