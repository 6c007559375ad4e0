// The frames of an ID3v2 tag, versions 2.2 to 2.4: finding them in a tag image,
// reading and encoding their text, and carrying 2.2 frames over into a
// version 2.3 tag.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TID3v2Header {
  bool Valid = false;  // the bytes start with "ID3"
  uint8_t Version = 0, Revision = 0, Flags = 0;
  uint32_t BodySize = 0;  // the syncsafe size: everything between header and footer
  // Header, body and footer.
  int64_t TagSize() const { return BodySize + 10 + ((Flags & 0x10) ? 10 : 0); }
};

// False when Bytes holds fewer than 10 bytes.
bool ReadID3v2Header(std::string_view Bytes, TID3v2Header& Header);

struct TID3v2Frame {
  std::string ID;  // three characters in version 2.2, else four
  uint8_t StatusFlags = 0;
  uint8_t FormatFlags = 0;
  std::string Data;  // as stored, with the tag-wide unsynchronisation of 2.2/2.3 undone
};

// The frames of Tag, the bytes of a whole tag from its header on (fewer when
// the data ends early). The walk stops at padding and at the first frame that
// does not fit; empty frames are skipped.
std::vector<TID3v2Frame> ReadID3v2Frames(const TID3v2Header& Header, std::string_view Tag);

// The frame's content without grouping byte, length field and
// unsynchronisation; false when it is compressed, encrypted or cut short.
bool ID3v2FrameContent(const TID3v2Header& Header, const TID3v2Frame& Frame, std::string& Content);

// Encodings: 0 the system code page, 1 UTF-16 with byte-order mark, 2 UTF-16
// big-endian, 3 UTF-8. The terminator of a text starting at From: one zero
// byte, or for UTF-16 two at an even distance from From; npos when none.
size_t FindID3v2Terminator(uint8_t Encoding, std::string_view Bytes, size_t From);
size_t ID3v2TerminatorSize(uint8_t Encoding);
// The text at the start of Bytes up to its terminator, in the system code
// page; encoding 0 is taken as that code page's bytes, as 8-bit writers meant it.
std::string ID3v2TextToAnsi(uint8_t Encoding, std::string_view Bytes);
// The same text as written. Encoding 0 is read in the system code page, as
// the 8-bit text above: the 8-bit taggers of this platform wrote it so.
std::wstring ID3v2TextToWide(uint8_t Encoding, std::string_view Bytes);
// Text in Encoding (0 the system code page, 1 UTF-16 little-endian with
// byte-order mark, 3 UTF-8), without terminator. Encoding 0 needs text the
// code page holds (ID3v2FitsEncodingZero).
std::string ID3v2TextBytes(uint8_t Encoding, const std::wstring& Text);
bool ID3v2FitsEncodingZero(const std::wstring& Text);

// The frame as a version 2.3 tag holds it: a 2.3 frame as it is, a 2.2 frame
// with its id (and a picture's format) translated. False for a frame of
// another version, or one 2.3 has no counterpart for.
bool ConvertID3v2FrameTo23(const TID3v2Header& Header, const TID3v2Frame& Frame, TID3v2Frame& Out);

// Appends Frame with a header of Version 3 (plain 32-bit size) or 4 (syncsafe size).
void AppendID3v2Frame(std::string& Tag, const TID3v2Frame& Frame, uint8_t Version);
std::string ID3v2SyncsafeBytes(uint32_t Value);
