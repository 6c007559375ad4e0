// A WAV stream read from a FILE (a file or standard input), chunk by chunk
// and without seeking, so a pipe works. Sizes of all ones (an encoder feed
// whose length is unknown) mean "up to the end of the input".
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

class WavInput {
 public:
  // Reads up to the start of the samples; false with a message in error.
  bool Open(FILE* file, std::string& error);
  int Channels() const { return FChannels; }
  int Rate() const { return FRate; }
  // Reads up to frames frames as floats in -1..1, one array per channel;
  // answers the frames read, 0 at the end.
  size_t Read(float** out, size_t frames);

 private:
  FILE* FFile = nullptr;
  int FChannels = 0;
  int FRate = 0;
  int FBits = 0;
  bool FFloat = false;
  uint64_t FLeft = 0;  // bytes of samples still to read
  std::string FBuffer;
};
