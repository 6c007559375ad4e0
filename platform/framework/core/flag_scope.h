// Sets a flag for the lifetime of a scope and puts the old value back,
// whatever unwinds through it: the guard against re-entry used by controls
// whose own changes bring messages back to them.
#pragma once

class TFlagScope {
 public:
  explicit TFlagScope(bool& Flag) : FFlag(Flag), FOld(Flag) { Flag = true; }
  ~TFlagScope() { FFlag = FOld; }
  TFlagScope(const TFlagScope&) = delete;
  TFlagScope& operator=(const TFlagScope&) = delete;

 private:
  bool& FFlag;
  bool FOld;
};
