// MPEG audio (versions 1, 2 and 2.5, layers I to III): the first frame header
// after the ID3v2 tag, the Xing or VBRI header in that frame, and what follows
// from them (bit rate, frames, duration, a guess at the encoder). Reading a
// file also reads its ID3v1 and ID3v2 tags.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "formats/ape_tag.h"
#include "formats/id3v1.h"
#include "formats/id3v2.h"

class TStream;

struct VBRData {
  bool Found = false;
  std::string ID;  // "Xing" or "VBRI"
  uint32_t Frames = 0;
  uint32_t Bytes = 0;
  uint8_t Scale = 0;
  std::string VendorID;
};

struct FrameData {
  bool Found = false;
  int64_t Position = 0;
  uint16_t Size = 0;  // frame length in bytes
  bool Xing = false;  // the six bytes after the header are zero
  std::array<uint8_t, 4> Data{};
  uint8_t VersionID = 0;  // 0 MPEG 2.5, 1 reserved, 2 MPEG 2, 3 MPEG 1
  uint8_t LayerID = 0;    // 0 reserved, 1 Layer III, 2 Layer II, 3 Layer I
  bool ProtectionBit = false;  // a CRC follows the header
  uint16_t BitRateID = 0;
  uint8_t SampleRateID = 0;
  bool PaddingBit = false;
  bool PrivateBit = false;
  uint8_t ModeID = 0;  // 0 Stereo, 1 Joint Stereo, 2 Dual Channel, 3 Mono
  uint8_t ModeExtensionID = 0;
  bool CopyrightBit = false;
  bool OriginalBit = false;
  uint8_t EmphasisID = 0;
};

class TMPEGaudio {
 public:
  TMPEGaudio() { ResetData(); }
  void ResetData();

  // False only when the file cannot be opened or read. A file without a valid
  // frame reads as reset, its tags included.
  bool ReadFromFile(const std::wstring& FileName);
  // Kind 1: an ID3v1 image, Kind 2: an ID3v2 image; other kinds give false.
  bool ReadTagFromMemory(const void* Data, int32_t DataSize, TMP3TagInfo& Info, uint16_t Kind);

  int64_t FileLength() const { return FFileLength; }
  const std::string& VendorID() const { return FVendorID; }
  const VBRData& VBR() const { return FVBR; }
  const FrameData& Frame() const { return FFrame; }
  int64_t AudioStart() const { return FAudioStart; }
  int64_t AudioEnd() const { return FAudioEnd; }
  TID3v1& ID3v1() { return FID3v1; }
  TID3v2& ID3v2() { return FID3v2; }
  TAPEtag& APEtag() { return FAPEtag; }

  std::string Version() const;
  std::string Layer() const;
  std::string ChannelMode() const;
  std::string Emphasis() const;
  uint16_t BitRate() const;     // kbit/s; the average one of a VBR file
  uint16_t SampleRate() const;  // Hz
  uint32_t Frames() const;
  double Duration() const;  // seconds
  uint8_t EncoderID() const;
  std::string Encoder() const;
  bool IsValid() const;

 private:
  bool FindFirstFrame(TStream& File, int64_t Start, const uint8_t* Block, int32_t BlockSize);
  bool TryFrameAt(const uint8_t* Data, size_t Size, size_t Position);
  void ReadVBR(const uint8_t* Data, size_t Size, size_t Position);
  std::string FindVendorMark(const uint8_t* Block) const;
  int64_t AudioSize() const;

  int64_t FFileLength;
  std::string FVendorID;
  VBRData FVBR;
  FrameData FFrame;
  int64_t FAudioStart;
  int64_t FAudioEnd;
  TID3v1 FID3v1;
  TID3v2 FID3v2;
  TAPEtag FAPEtag;
};
