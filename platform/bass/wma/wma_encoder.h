// WMA encoding to an ASF file through ffmpeg's wmav2 encoder and ASF muxer.
// Samples arrive interleaved (16-bit, 8-bit unsigned or float) and are cut
// into the encoder's frames; the last frame is padded with silence.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace tavrin_wma {

class WmaEncoder {
 public:
  // The constant bit rates (bit/s) and the variable-bit-rate qualities
  // (10..100) offered for the format, each list ended by 0; nullptr when the
  // format cannot be encoded.
  static const uint32_t* Rates(uint32_t freq, uint32_t chans, bool vbr);

  // A BASS error code: BASS_OK with encoder set. bitrate: one of Rates' CBR
  // rates, or a VBR quality. Nothing is left on disk when it fails.
  static int OpenFile(uint32_t freq, uint32_t chans, uint32_t flags, uint32_t bitrate,
                      const std::wstring& file, std::unique_ptr<WmaEncoder>& encoder);
  ~WmaEncoder();

  // length bytes of samples in the format given to OpenFile.
  bool Write(const void* buffer, uint32_t length);
  // Encodes what is left and completes the file; false when that failed.
  bool Close();

 private:
  struct State;
  explicit WmaEncoder(std::unique_ptr<State> state);
  bool EncodeFrames(bool flush);
  bool Drain();

  std::unique_ptr<State> FState;
};

}  // namespace tavrin_wma
