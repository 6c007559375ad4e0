// COM on the calling thread for as long as an object lives. Objects that keep
// COM interfaces share one of these so that COM outlives their last Release.
#pragma once

class TComApartment {
 public:
  // Joins or starts an apartment-threaded COM on this thread. A thread already
  // in the multithreaded apartment is used as it is.
  TComApartment();
  // Must run on the thread that made the object.
  ~TComApartment();
  TComApartment(const TComApartment&) = delete;
  TComApartment& operator=(const TComApartment&) = delete;

 private:
  bool FMustUninitialize;
};
