// What the player knows of the open channel, filled when a source opens.
#pragma once

#include <cstdint>
#include <string>

struct TStreamInfo {
  std::string FileName;   // the URL of an internet source; empty otherwise
  uint32_t FileSize = 0;  // bytes, internet sources
  int32_t SampleRate = 0; // Hz
  int32_t BitRate = 0;    // kbit/s, internet sources
  uint32_t Duration = 0;  // ms, internet files
  uint16_t Channels = 0;
  std::string Title;
  std::string Artist;
  std::string Album;
  std::string Year;
  std::string Genre;
  uint8_t Track = 0;
  std::string Comment;
};
