// The Vorbis comment packet: 3 and "vorbis", the vendor string, then a counted
// list of "NAME=value" texts in UTF-8, each behind a 32-bit little-endian length.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct TVorbisComments {
  static constexpr size_t kHeaderSize = 7;

  std::string Vendor;               // as stored, UTF-8
  std::vector<std::string> Items;   // as stored, "NAME=value"
  size_t End = 0;                   // packet offset right after the last item read
  bool Complete = false;            // every counted item was there
};

// False when Packet does not start with a comment header and a whole vendor
// string; otherwise reads as many items as the packet really holds.
bool ParseVorbisComments(std::string_view Packet, TVorbisComments& Comments);

// Header, vendor, items, then Tail (the framing byte and whatever followed).
std::string BuildVorbisComments(const std::string& Vendor, const std::vector<std::string>& Items,
                                std::string_view Tail);

// The name of an item ("" without "="), upper-cased in ASCII as names are
// compared without regard to case, and the value after the first "=".
std::string VorbisCommentName(std::string_view Item);
std::string_view VorbisCommentValue(std::string_view Item);
