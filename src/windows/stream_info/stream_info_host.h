// What the stream information window needs from outside itself: what the
// player knows of the open stream, its mode and buffer, and the font
// override. The window only points to its host; whoever made the host frees
// it.
#pragma once

#include <cstdint>
#include <string>

#include "windows/stream_info/stream_info_lines.h"

class TStreamInfoHost {
 public:
  virtual ~TStreamInfoHost() = default;

  virtual TNetStreamFacts StreamFacts() = 0;
  // The player's mode (pmNone .. pmPaused of the engine: 3 playing, 4 paused).
  virtual uint8_t PlayerMode() = 0;
  // The share of the stream's buffer that is filled, 0..100.
  virtual float BufferPercent() = 0;
  // The face every window takes when the options override fonts; empty when
  // they do not.
  virtual std::string OverrideFontName() = 0;
};
