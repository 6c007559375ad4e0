#include "playlist/history.h"

TElemId THistory::Items(int32_t Index) const {
  return Index >= 0 && Index < Count() ? FItems[Index] : 0;
}

void THistory::Clear() {
  FItems.clear();
  FPosition = -1;
}

int32_t THistory::Add(TElemId Entry) {
  if (Count() >= Limit) FItems.erase(FItems.begin());
  FItems.push_back(Entry);
  FPosition = Count() - 1;
  return FPosition;
}

TElemId THistory::PeekNext() const {
  return FPosition >= 0 && FPosition < Count() - 1 ? FItems[FPosition + 1] : 0;
}

TElemId THistory::PeekPrev() const {
  return FPosition >= 1 && FPosition <= Count() - 1 ? FItems[FPosition - 1] : 0;
}

void THistory::StepForward() {
  if (FPosition < Count() - 1) ++FPosition;
}

void THistory::StepBack() {
  if (FPosition > 0) --FPosition;
}
