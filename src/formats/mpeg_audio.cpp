#include "formats/mpeg_audio.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>
#include <vector>

#include "foundation/tnt_classes.h"
#include "framework/exceptions.h"

namespace {

constexpr int32_t kBlockSize = 3458;
// Less data than this after the ID3v2 tag is not taken for MPEG audio.
constexpr int32_t kMinAudioData = 1729;
// The encoder mark is looked for backwards from this position of a block.
constexpr int32_t kVendorMarkEnd = 3450;
constexpr int32_t kVBRIOffset = 36;  // 32 bytes after the header, whatever the mode

constexpr std::array<const char*, 4> kVersionNames = {"MPEG 2.5", "MPEG ?", "MPEG 2", "MPEG 1"};
constexpr std::array<const char*, 4> kLayerNames = {"Layer ?", "Layer III", "Layer II", "Layer I"};
constexpr std::array<const char*, 5> kModeNames = {"Stereo", "Joint Stereo", "Dual Channel", "Mono",
                                                   "Unknown"};
constexpr std::array<const char*, 4> kEmphasisNames = {"None", "50/15 ms", "Unknown", "CCIT J.17"};
constexpr std::array<const char*, 8> kEncoderNames = {"Unknown", "Xing",  "FhG",   "LAME",
                                                      "Blade",   "GoGo",  "Shine", "QDesign"};

enum : uint8_t { kMPEG25 = 0, kMPEGReserved = 1, kMPEG2 = 2, kMPEG1 = 3 };
enum : uint8_t { kLayerReserved = 0, kLayer3 = 1, kLayer2 = 2, kLayer1 = 3 };
enum : uint8_t { kModeStereo = 0, kModeDual = 2, kModeMono = 3 };
enum : uint8_t {
  kEncUnknown = 0, kEncXing = 1, kEncFhG = 2, kEncLAME = 3, kEncBlade = 4, kEncGoGo = 5,
  kEncShine = 6, kEncQDesign = 7
};

// kbit/s by version, layer and index (ISO/IEC 11172-3 and 13818-3).
constexpr uint16_t kBitRates[4][4][16] = {
    {{0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0}},
    {{0}, {0}, {0}, {0}},
    {{0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0}},
    {{0},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
     {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0}}};

constexpr uint16_t kSampleRates[4][4] = {
    {11025, 12000, 8000, 0}, {0, 0, 0, 0}, {22050, 24000, 16000, 0}, {44100, 48000, 32000, 0}};

bool IsFrameHeader(const uint8_t* b) {
  return b[0] == 0xFF && (b[1] & 0xE0) == 0xE0 && ((b[1] >> 3) & 3) != kMPEGReserved &&
         ((b[1] >> 1) & 3) != kLayerReserved && (b[2] >> 4) != 15 && (b[2] >> 4) != 0 &&
         ((b[2] >> 2) & 3) != 3 && (b[3] & 3) != 2;
}

FrameData DecodeHeader(const uint8_t* b) {
  FrameData f;
  std::copy(b, b + 4, f.Data.begin());
  f.VersionID = (b[1] >> 3) & 3;
  f.LayerID = (b[1] >> 1) & 3;
  f.ProtectionBit = (b[1] & 1) == 0;
  f.BitRateID = b[2] >> 4;
  f.SampleRateID = (b[2] >> 2) & 3;
  f.PaddingBit = ((b[2] >> 1) & 1) != 0;
  f.PrivateBit = (b[2] & 1) != 0;
  f.ModeID = b[3] >> 6;
  f.ModeExtensionID = (b[3] >> 4) & 3;
  f.CopyrightBit = ((b[3] >> 3) & 1) != 0;
  f.OriginalBit = ((b[3] >> 2) & 1) != 0;
  f.EmphasisID = b[3] & 3;
  return f;
}

uint16_t TableBitRate(const FrameData& f) {
  return kBitRates[f.VersionID & 3][f.LayerID & 3][f.BitRateID & 15];
}

uint16_t TableSampleRate(const FrameData& f) {
  return kSampleRates[f.VersionID & 3][f.SampleRateID & 3];
}

// Bytes per frame for each kbit/s of bit rate, times the sample rate over 1000:
// the samples per frame divided by 8. Layer I has 384 samples in every version.
int32_t Coefficient(const FrameData& f) {
  switch (f.LayerID) {
    case kLayer1: return 48;
    case kLayer2: return 144;
    case kLayer3: return f.VersionID == kMPEG1 ? 144 : 72;
    default: return 0;
  }
}

int32_t Padding(const FrameData& f) {
  if (!f.PaddingBit) return 0;
  return f.LayerID == kLayer1 ? 4 : 1;
}

int32_t FrameLength(const FrameData& f) {
  const int64_t rate = TableSampleRate(f);
  if (rate == 0) return 0;
  const int64_t bitRate = TableBitRate(f) * 1000LL;
  // Layer I counts in 4-byte slots: the slot count is what gets truncated.
  if (f.LayerID == kLayer1) return static_cast<int32_t>(12 * bitRate / rate * 4 + Padding(f));
  return static_cast<int32_t>(Coefficient(f) * bitRate / rate + Padding(f));
}

// The longest frame any valid header can describe (MPEG 2.5 Layer II at
// 160 kbit/s and 8 kHz), plus the next header that confirms it.
constexpr int32_t MaxFrameCheck() {
  int32_t longest = 0;
  for (uint8_t version : {kMPEG25, kMPEG2, kMPEG1})
    for (uint8_t layer : {kLayer3, kLayer2, kLayer1})
      for (uint8_t rateID = 0; rateID < 3; ++rateID) {
        const int64_t rate = kSampleRates[version][rateID];
        const int64_t bitRate = kBitRates[version][layer][14] * 1000LL;
        const int64_t length = layer == kLayer1 ? (12 * bitRate / rate + 1) * 4
                               : layer == kLayer2 || version == kMPEG1 ? 144 * bitRate / rate + 1
                                                                       : 72 * bitRate / rate + 1;
        longest = std::max(longest, static_cast<int32_t>(length));
      }
  return longest + 4;
}
constexpr int32_t kFrameCheckSpan = MaxFrameCheck();
static_assert(kFrameCheckSpan < kBlockSize, "a block must hold a whole frame check");

uint32_t BigEndian32(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

bool Has(const uint8_t* data, size_t size, size_t at, std::string_view mark) {
  return at <= size && mark.size() <= size - at && std::memcmp(data + at, mark.data(), mark.size()) == 0;
}

// Reads until Count bytes or the end of the file; EReadError when the stream
// fails before the end it reports.
int32_t ReadUpTo(TStream& File, uint8_t* Buffer, int32_t Count) {
  const int64_t left = std::max<int64_t>(0, File.Size() - File.Position());
  const int32_t wanted = static_cast<int32_t>(std::min<int64_t>(Count, left));
  File.ReadBuffer(Buffer, wanted);
  return wanted;
}

bool StartsWith(const std::string& s, std::string_view prefix) { return s.starts_with(prefix); }

}  // namespace

void TMPEGaudio::ResetData() {
  FFileLength = 0;
  FVendorID.clear();
  FVBR = VBRData();
  FFrame = FrameData();
  FFrame.VersionID = kMPEGReserved;
  FFrame.SampleRateID = 3;
  FFrame.ModeID = 4;
  FFrame.ModeExtensionID = 4;
  FFrame.EmphasisID = 2;
  FAudioStart = 0;
  FAudioEnd = 0;
  FID3v1.ResetData();
  FID3v2.ResetData();
  FAPEtag.ResetData();
}

bool TMPEGaudio::ReadFromFile(const std::wstring& FileName) {
  ResetData();
  bool result = true;
  try {
    TTntFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
    if (FID3v2.ReadFromFile(FileName) && FID3v1.ReadFromFile(FileName)) {
      FFileLength = file.Size();
      std::vector<uint8_t> block(kBlockSize, 0);
      const int64_t start = std::min<int64_t>(FID3v2.Size(), FFileLength);
      file.SetPosition(start);
      const int32_t got = ReadUpTo(file, block.data(), kBlockSize);
      if (got >= kMinAudioData) FindFirstFrame(file, start, block.data(), got);
      FVendorID = FindVendorMark(block.data());
      if (FFrame.Found) {
        FAudioStart = FFrame.Position;
        FAudioEnd = FFileLength - FID3v1.TagSize();
        if (FVendorID.empty()) {
          std::fill(block.begin(), block.end(), 0);
          const int64_t tail = FFileLength - kBlockSize - (FID3v1.Exists() ? 128 : 0);
          file.SetPosition(std::max<int64_t>(0, tail));
          ReadUpTo(file, block.data(), kBlockSize);
          FVendorID = FindVendorMark(block.data());
        }
      }
    }
  } catch (const Exception&) {
    result = false;
  }
  if (!result || !FFrame.Found) ResetData();
  return result;
}

// Slides over the file from Start on: Block holds its first BlockSize bytes.
// Every position is tried once; a header is taken only when the header its
// length points to lies within the bytes read, so the window keeps the longest
// frame check's worth of bytes from one block to the next.
bool TMPEGaudio::FindFirstFrame(TStream& File, int64_t Start, const uint8_t* Block,
                                int32_t BlockSize) {
  std::vector<uint8_t> window(Block, Block + BlockSize);
  int64_t base = Start;
  bool atEnd = BlockSize < kBlockSize;
  for (;;) {
    const size_t searchEnd = atEnd ? window.size() : window.size() - kFrameCheckSpan + 1;
    for (size_t p = 0; p < searchEnd; ++p) {
      if (TryFrameAt(window.data(), window.size(), p)) {
        FFrame.Position = base + static_cast<int64_t>(p);
        return true;
      }
    }
    if (atEnd) return false;
    window.erase(window.begin(), window.begin() + static_cast<ptrdiff_t>(searchEnd));
    base += static_cast<int64_t>(searchEnd);
    const size_t kept = window.size();
    window.resize(kept + kBlockSize);
    const int32_t got = ReadUpTo(File, window.data() + kept, kBlockSize);
    window.resize(kept + static_cast<size_t>(got));
    atEnd = got < kBlockSize;
  }
}

bool TMPEGaudio::TryFrameAt(const uint8_t* Data, size_t Size, size_t Position) {
  if (Size < 4 || Position > Size - 4 || !IsFrameHeader(Data + Position)) return false;
  const FrameData frame = DecodeHeader(Data + Position);
  const size_t length = static_cast<size_t>(FrameLength(frame));
  if (length == 0 || Size - Position < length + 4 || !IsFrameHeader(Data + Position + length))
    return false;
  FFrame = frame;
  FFrame.Found = true;
  FFrame.Size = static_cast<uint16_t>(length);
  FFrame.Xing = std::all_of(Data + Position + 4, Data + Position + 10, [](uint8_t b) { return b == 0; });
  ReadVBR(Data, Size, Position);
  return true;
}

// Xing fields are present only as their flags say, so each one's place depends
// on those before it; the LAME tag's encoder text follows the last one.
void TMPEGaudio::ReadVBR(const uint8_t* Data, size_t Size, size_t Position) {
  const bool mono = FFrame.ModeID == kModeMono;
  const size_t xing = Position + (FFrame.VersionID == kMPEG1 ? (mono ? 21 : 36) : (mono ? 13 : 21));
  const auto field = [&](size_t at, size_t bytes) { return at <= Size && bytes <= Size - at; };
  if (Has(Data, Size, xing, "Xing")) {
    FVBR.Found = true;
    FVBR.ID = "Xing";
    const uint32_t flags = field(xing + 4, 4) ? BigEndian32(Data + xing + 4) : 0;
    size_t at = xing + 8;
    if (flags & 1) {
      if (field(at, 4)) FVBR.Frames = BigEndian32(Data + at);
      at += 4;
    }
    if (flags & 2) {
      if (field(at, 4)) FVBR.Bytes = BigEndian32(Data + at);
      at += 4;
    }
    if (flags & 4) at += 100;  // seek table
    if (flags & 8) {
      if (field(at, 4)) FVBR.Scale = Data[at + 3];
      at += 4;
    }
    if (field(at, 8)) FVBR.VendorID.assign(reinterpret_cast<const char*>(Data + at), 8);
    return;
  }
  const size_t vbri = Position + kVBRIOffset;
  if (Has(Data, Size, vbri, "VBRI") && field(vbri, 18)) {
    FVBR.Found = true;
    FVBR.ID = "VBRI";
    FVBR.Scale = Data[vbri + 9];
    FVBR.Bytes = BigEndian32(Data + vbri + 10);
    FVBR.Frames = BigEndian32(Data + vbri + 14);
  }
}

// Encoders leave their name in padding and ancillary bytes; the last mark in
// the searched stretch wins.
std::string TMPEGaudio::FindVendorMark(const uint8_t* Block) const {
  const int32_t limit = std::min(5 * int32_t(FFrame.Size), kVendorMarkEnd);
  for (int32_t k = 0; k <= limit; ++k) {
    const uint8_t* at = Block + kVendorMarkEnd - k;
    if (std::memcmp(at, "LAME", 4) == 0) return std::string(reinterpret_cast<const char*>(at), 8);
    if (std::memcmp(at, "GOGO", 4) == 0) return "GOGO";
  }
  return {};
}

bool TMPEGaudio::ReadTagFromMemory(const void* Data, int32_t DataSize, TMP3TagInfo& Info,
                                   uint16_t Kind) {
  if (Kind == 1) return FID3v1.ReadFromMemory(Data, DataSize, Info);
  if (Kind == 2) return FID3v2.ReadFromMemory(Data, DataSize, Info);
  return false;
}

std::string TMPEGaudio::Version() const { return kVersionNames[FFrame.VersionID & 3]; }
std::string TMPEGaudio::Layer() const { return kLayerNames[FFrame.LayerID & 3]; }

std::string TMPEGaudio::ChannelMode() const {
  return kModeNames[std::min<size_t>(FFrame.ModeID, kModeNames.size() - 1)];
}

std::string TMPEGaudio::Emphasis() const { return kEmphasisNames[FFrame.EmphasisID & 3]; }

uint16_t TMPEGaudio::SampleRate() const { return TableSampleRate(FFrame); }

int64_t TMPEGaudio::AudioSize() const { return std::max<int64_t>(0, FAudioEnd - FAudioStart); }

uint16_t TMPEGaudio::BitRate() const {
  const int32_t coefficient = Coefficient(FFrame);
  // A Xing header may leave out the byte count; the header's rate stands then.
  if (FVBR.Found && FVBR.Frames >= 1 && FVBR.Bytes >= 1 && coefficient > 0) {
    const double perFrame = double(FVBR.Bytes) / FVBR.Frames - Padding(FFrame);
    const double kbps = std::round(perFrame * SampleRate() / coefficient / 1000);
    // A corrupt header may state anything; the result has 16 bits.
    return static_cast<uint16_t>(std::clamp(kbps, 0.0, 65535.0));
  }
  return TableBitRate(FFrame);
}

uint32_t TMPEGaudio::Frames() const {
  if (FVBR.Found && FVBR.Frames >= 1) return FVBR.Frames;
  if (FFrame.Size == 0) return 0;
  return static_cast<uint32_t>(std::min<int64_t>(AudioSize() / FFrame.Size, UINT32_MAX));
}

double TMPEGaudio::Duration() const {
  if (!FFrame.Found) return 0;
  const uint16_t rate = SampleRate();
  if (FVBR.Found && FVBR.Frames >= 1 && rate > 0)
    return double(FVBR.Frames) * Coefficient(FFrame) * 8 / rate;
  const uint16_t bitRate = BitRate();
  if (bitRate == 0) return 0;
  return double(AudioSize()) / bitRate / 1000 * 8;
}

uint8_t TMPEGaudio::EncoderID() const {
  if (!FFrame.Found) return kEncUnknown;
  uint8_t result;
  if (!FVBR.Found) {
    result = FFrame.OriginalBit && FFrame.ProtectionBit ? kEncLAME : kEncFhG;
    if (BitRate() < 161 && FFrame.ModeID == kModeStereo) result = kEncBlade;
    if (FFrame.CopyrightBit && FFrame.OriginalBit && !FFrame.ProtectionBit) result = kEncXing;
    if (FFrame.Xing && FFrame.OriginalBit) result = kEncXing;
    if (FFrame.LayerID == kLayer2) result = kEncQDesign;
    if (FFrame.ModeID == kModeDual && FFrame.ProtectionBit) result = kEncShine;
    if (StartsWith(FVendorID, "LAME")) result = kEncLAME;
    if (StartsWith(FVendorID, "GOGO")) result = kEncGoGo;
    return result;
  }
  const std::string& vendor = FVBR.VendorID;
  const bool lame = StartsWith(vendor, "LAME");
  const bool gogo = StartsWith(vendor, "GOGO") || StartsWith(vendor, "MPGE");
  result = kEncUnknown;
  if (lame) result = kEncLAME;
  if (gogo) result = kEncGoGo;
  if (FVBR.ID == "Xing" && !lame && !gogo) result = kEncXing;
  if (FVBR.ID == "VBRI") result = kEncFhG;
  if (StartsWith(FVendorID, "LAME")) result = kEncLAME;
  return result;
}

std::string TMPEGaudio::Encoder() const {
  const uint8_t id = EncoderID();
  std::string name = kEncoderNames[id];
  if (id != kEncLAME) return name;
  const std::string& mark = FVendorID.empty() ? FVBR.VendorID : FVendorID;
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (mark.size() >= 8 && digit(mark[4]) && mark[5] == '.' && digit(mark[6]) && digit(mark[7]))
    name += " " + mark.substr(4, 4);
  return name;
}

bool TMPEGaudio::IsValid() const {
  const uint16_t bitRate = BitRate();
  return FFrame.Found && bitRate >= 8 && bitRate <= 448 && Duration() >= 0.1;
}
