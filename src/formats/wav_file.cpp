#include "formats/wav_file.h"

#include <algorithm>
#include <cstring>

#include "foundation/tnt_classes.h"
#include "framework/exceptions.h"

namespace {

constexpr uint32_t kFormatFieldsSize = 16;
// Real files have a handful of chunks; this only stops a file made of empty
// chunks from being read 8 bytes at a time to its end.
constexpr int kMaxChunks = 4096;

uint32_t LittleEndian32(const uint8_t* p) {
  return p[0] | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

uint16_t LittleEndian16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

bool IsID(const uint8_t* p, const char* id) { return std::memcmp(p, id, 4) == 0; }

uint32_t Clamp32(int64_t value) { return static_cast<uint32_t>(std::clamp<int64_t>(value, 0, UINT32_MAX)); }

}  // namespace

void TWAVfile::ResetData() {
  FValid = false;
  FFormatSize = 0;
  FFormatID = 0;
  FChannelNumber = 0;
  FSampleRate = 0;
  FBytesPerSecond = 0;
  FBlockAlign = 0;
  FBitsPerSample = 0;
  FSampleNumber = 0;
  FHeaderSize = 0;
  FFileSize = 0;
  FFileName.clear();
  FBitRate = 0;
}

// The chunks are walked rather than taken at fixed places: writers put "LIST",
// "fact" or "JUNK" chunks before the data, and pad odd-sized chunks to a word.
bool TWAVfile::ReadFromFile(const std::wstring& FileName) {
  ResetData();
  try {
    TTntFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
    const int64_t size = file.Size();
    uint8_t riff[12];
    if (size < 12) return true;
    file.ReadBuffer(riff, 12);
    if (!IsID(riff, "RIFF") || !IsID(riff + 8, "WAVE")) return true;

    uint8_t format[kFormatFieldsSize] = {};
    bool formatFound = false, dataFound = false;
    uint32_t formatSize = 0;
    int64_t dataOffset = 0, dataSize = 0;
    int64_t offset = 12;
    for (int chunks = 0; offset + 8 <= size && chunks < kMaxChunks; ++chunks) {
      uint8_t head[8];
      file.SetPosition(offset);
      file.ReadBuffer(head, 8);
      const uint32_t chunkSize = LittleEndian32(head + 4);
      if (IsID(head, "fmt ") && !formatFound) {
        if (chunkSize < kFormatFieldsSize || offset + 8 + kFormatFieldsSize > size) break;
        file.ReadBuffer(format, kFormatFieldsSize);
        formatFound = true;
        formatSize = chunkSize;
      } else if (IsID(head, "data") && !dataFound) {
        dataFound = true;
        dataOffset = offset + 8;
        dataSize = std::min<int64_t>(chunkSize, size - dataOffset);
      }
      if (formatFound && dataFound) break;
      offset += 8 + int64_t(chunkSize) + (chunkSize & 1);
    }
    const uint16_t channels = LittleEndian16(format + 2);
    if (!formatFound || channels == 0) return true;

    FValid = true;
    FFormatSize = formatSize;
    FFormatID = LittleEndian16(format);
    FChannelNumber = channels;
    FSampleRate = LittleEndian32(format + 4);
    FBytesPerSecond = LittleEndian32(format + 8);
    FBlockAlign = LittleEndian16(format + 12);
    FBitsPerSample = LittleEndian16(format + 14);
    FSampleNumber = FBlockAlign == 0 ? 0 : Clamp32(dataSize / FBlockAlign);
    // The stated sizes may claim more than the file holds (a recording cut
    // short, a header written before its sizes were known).
    FFileSize = Clamp32(std::min<int64_t>(int64_t(LittleEndian32(riff + 4)) + 8, size));
    FHeaderSize = std::min(Clamp32(dataFound ? dataOffset : std::min(offset, size)), FFileSize);
    FFileName = FileName;
    FBitRate = FBytesPerSecond * 8.0 / 1000;
    return true;
  } catch (const Exception&) {
    ResetData();
    return false;
  }
}

std::string TWAVfile::Format() const {
  switch (FFormatID) {
    case 1: return "Windows PCM";
    case 2: return "Microsoft ADPCM";
    case 6: return "A-LAW";
    case 7: return "MU-LAW";
    case 17: return "DVI/IMA ADPCM";
    case 85: return "MPEG Layer III";
    default: return "";
  }
}

std::string TWAVfile::ChannelMode() const {
  switch (FChannelNumber) {
    case 0: return "Unknown";
    case 1: return "Mono";
    case 2: return "Stereo";
    default: return "Multichannel";
  }
}

double TWAVfile::Duration() const {
  if (!FValid) return 0;
  if (FSampleNumber == 0 && FBytesPerSecond > 0)
    return double(FFileSize - FHeaderSize) / FBytesPerSecond;
  if (FSampleNumber != 0 && FSampleRate > 0) return double(FSampleNumber) / FSampleRate;
  return 0;
}
