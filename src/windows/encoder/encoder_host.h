// What the encoder window needs from outside itself: the player's encoding,
// the options window's "Encoding" page and the font override. The main
// window answers it; the window only points to its host.
#pragma once

#include <cstdint>
#include <string>

#include "engine/encode_channel.h"

// The "Encoding" page's choice, read when a file's conversion starts.
struct TEncodingChoice {
  uint8_t Format = efWAV;  // efWAV .. efOGG, the page's "Encode to:" index
  std::wstring Folder;     // the output folder as the page holds it
  std::wstring Options;    // lame's or oggenc's options, or the WMA bit rate
};

class TEncoderHost {
 public:
  virtual ~TEncoderHost() = default;

  // The player's EncodeChannel.
  virtual void EncodeChannel(DWORD Channel, const std::wstring& OutFile, const std::wstring& Options,
                             bool& Cancel, const TEncodeProgress& Progress, uint8_t Format) = 0;
  // Whether the player loaded the WMA add-on and the encoder add-on.
  virtual bool WMAReady() = 0;
  virtual bool EncoderReady() = 0;
  virtual TEncodingChoice EncodingChoice() = 0;
  // The options window shown on its "Encoding" page.
  virtual void ShowEncodingOptions() = 0;
  // The face every window takes when the options override fonts; empty when
  // they do not.
  virtual std::string OverrideFontName() = 0;
};
