// A channel effect: a pure signal processor on interleaved float frames at the
// channel's own rate, with its parameters in the caller's BASS record. Effects
// are used from one thread at a time (the channel's lock serialises them).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace bass_core {

class Effect {
 public:
  virtual ~Effect() = default;
  // Works on count frames in place.
  virtual void Process(float* frames, size_t count) = 0;
  // Forgets the signal heard so far (filter memory, delay lines, tails).
  virtual void Reset() = 0;
  // record is the BASS_FX... record of the effect's type. False, and nothing
  // changed, when a value is out of its range.
  virtual bool SetParameters(const void* record) = 0;
  virtual void GetParameters(void* record) const = 0;
};

// An effect whose parameters are one Record; copies go through memcpy since
// the caller's record need not be aligned.
template <typename Record>
class EffectOf : public Effect {
 public:
  virtual bool Set(const Record& parameters) = 0;
  virtual Record Parameters() const = 0;

  bool SetParameters(const void* record) final {
    Record r;
    std::memcpy(&r, record, sizeof r);
    return Set(r);
  }
  void GetParameters(void* record) const final {
    Record r = Parameters();
    std::memcpy(record, &r, sizeof r);
  }
};

// The effect of BASS type `type` (BASS_FX_ECHO, _PARAMEQ, _REVERB) with its
// default parameters; nullptr for the types we do not have.
std::unique_ptr<Effect> MakeEffect(uint32_t type, uint32_t rate, uint32_t channels);

}  // namespace bass_core
