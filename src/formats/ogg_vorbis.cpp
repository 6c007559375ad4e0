#include "formats/ogg_vorbis.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "formats/file_rewrite.h"
#include "formats/ogg_page.h"
#include "formats/vorbis_comment.h"
#include "foundation/tnt_classes.h"
#include "foundation/tnt_system.h"
#include "framework/exceptions.h"
#include "framework/streams.h"

namespace {

// The comment names read, the first seven in the order of TOggField.
enum TField { kTitle, kArtist, kAlbum, kTrackNumber, kDate, kGenre, kComment, kPerformer,
              kDescription, kFieldCount };
constexpr int kWrittenFields = kPerformer;
static_assert(kWrittenFields == int(ogVendor) && int(kComment) == int(ogComment) &&
              int(kTrackNumber) == int(ogTrack));
constexpr std::string_view kFieldNames[kFieldCount] = {
    "TITLE", "ARTIST", "ALBUM", "TRACKNUMBER", "DATE", "GENRE", "COMMENT", "PERFORMER",
    "DESCRIPTION"};

constexpr size_t kIdentificationSize = 30;
constexpr std::string_view kIdentificationMark("\x01vorbis", 7);
// Cover pictures make comment packets of a few megabytes; nothing real comes
// near this, and a damaged file cannot make the reader gather more.
constexpr size_t kMaxCommentPacket = 64u << 20;
// The last page is looked for only this close to the end of the file.
constexpr int64_t kLastPageWindows = 50, kLastPageStep = 241, kLastPageMargin = 10;

struct TOggFileInfo {
  int64_t FileSize = 0;
  int32_t ID3v2Size = 0;
  uint8_t VorbisHeader[kIdentificationSize] = {};
  int64_t SPagePos = 0;
  TOggPage SPage;
  bool HasSPage = false;
  std::string Packet;         // the comment packet, gathered over as many pages as it spans
  size_t PacketSegments = 0;  // lacing values of the packet on the second page, when it ends there
  bool PacketEndsOnSPage = false;
  bool HasComments = false;
  TVorbisComments Comments;
  std::string FieldData[kFieldCount];  // trimmed UTF-8 values, the last of each name
  int32_t Samples = 0;
};

bool IsBlank(char c) { return static_cast<unsigned char>(c) < 33; }

std::string Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return std::string(s);
}

uint32_t LittleEndian32(const uint8_t* p) {
  return p[0] | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

bool ReadAt(TStream& stream, int64_t position, void* buffer, size_t size) {
  if (position < 0) return false;
  stream.SetPosition(position);
  return stream.Read(buffer, static_cast<int32_t>(size)) == static_cast<int32_t>(size);
}

int32_t ID3v2TagSize(TStream& stream, int64_t fileSize) {
  uint8_t h[10];
  if (!ReadAt(stream, 0, h, sizeof h) || std::memcmp(h, "ID3", 3) != 0) return 0;
  int64_t size = ((h[6] & 0x7F) << 21) | ((h[7] & 0x7F) << 14) | ((h[8] & 0x7F) << 7) | (h[9] & 0x7F);
  size += 10;
  if (h[5] & 0x10) size += 10;  // footer
  return size > fileSize ? 0 : static_cast<int32_t>(size);
}

// The number before "/"; 0 when there is none or it does not fit.
uint16_t ParseTrack(std::string_view text) {
  text = text.substr(0, text.find('/'));
  if (text.empty() || text.size() > 5) return 0;
  uint32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
  }
  return value > 0xFFFF ? 0 : static_cast<uint16_t>(value);
}

int FieldIndex(const std::string& upperName) {
  for (int i = 0; i < kFieldCount; ++i)
    if (kFieldNames[i] == upperName) return i;
  return -1;
}

// Gathers the packet that starts the second page, following it onto later
// pages while it goes on.
void ReadCommentPacket(TStream& stream, TOggFileInfo& info) {
  const TOggPage& page = info.SPage;
  size_t offset = 0;
  for (size_t i = 0; i < page.SegmentCount(); ++i) {
    offset += page.Lacing(i);
    if (page.Lacing(i) < 255) {
      info.Packet = page.Data.substr(0, offset);
      info.PacketSegments = i + 1;
      info.PacketEndsOnSPage = true;
      return;
    }
  }
  info.Packet = page.Data;
  int64_t position = info.SPagePos + static_cast<int64_t>(page.Size());
  TOggPage next;
  while (info.Packet.size() <= kMaxCommentPacket && next.ReadFrom(stream, position)) {
    position += static_cast<int64_t>(next.Size());
    size_t used = 0;
    for (size_t i = 0; i < next.SegmentCount(); ++i) {
      used += next.Lacing(i);
      if (next.Lacing(i) < 255) {
        info.Packet += next.Data.substr(0, used);
        return;
      }
    }
    info.Packet += next.Data;
  }
  info.Packet.clear();  // cut short: nothing of it can be trusted
}

// Looks back from the end of the file for the start of the last page.
int32_t LastGranule(TStream& stream, int64_t fileSize) {
  const int64_t start = std::max<int64_t>(0, fileSize - kLastPageWindows * kLastPageStep - kLastPageMargin);
  std::string tail(static_cast<size_t>(fileSize - start), '\0');
  if (tail.size() < TOggPage::kHeaderSize || !ReadAt(stream, start, tail.data(), tail.size())) return 0;
  for (int64_t p = fileSize - kLastPageMargin - start; p >= 0; --p) {
    const size_t at = static_cast<size_t>(p);
    if (at + TOggPage::kHeaderSize > tail.size() || tail.compare(at, 4, "OggS") != 0) continue;
    TOggPage page;
    page.Header = tail.substr(at, TOggPage::kHeaderSize);
    return page.GranuleLow();
  }
  return 0;
}

bool GetInfo(TStream& stream, TOggFileInfo& info) {
  info.FileSize = stream.Size();
  info.ID3v2Size = ID3v2TagSize(stream, info.FileSize);
  uint8_t header[TOggPage::kHeaderSize];
  if (!ReadOggPageHeader(stream, info.ID3v2Size, header)) return false;
  uint8_t lacing[TOggPage::kMaxSegments];
  const int64_t dataPos = info.ID3v2Size + int64_t(TOggPage::kHeaderSize) + header[26];
  if (!ReadAt(stream, info.ID3v2Size + TOggPage::kHeaderSize, lacing, header[26])) return false;
  if (!ReadAt(stream, dataPos, info.VorbisHeader, kIdentificationSize) ||
      std::memcmp(info.VorbisHeader, kIdentificationMark.data(), kIdentificationMark.size()) != 0)
    return false;

  // The second page starts where the first page's data ends, which the lacing
  // values tell: the identification packet need not be alone on its page.
  int64_t firstData = 0;
  for (size_t i = 0; i < header[26]; ++i) firstData += lacing[i];
  info.SPagePos = dataPos + firstData;
  info.HasSPage = info.SPage.ReadFrom(stream, info.SPagePos);
  if (info.HasSPage) {
    ReadCommentPacket(stream, info);
    info.HasComments = ParseVorbisComments(info.Packet, info.Comments);
    for (const auto& item : info.Comments.Items) {
      const int index = FieldIndex(VorbisCommentName(item));
      if (index >= 0) info.FieldData[index] = Trim(VorbisCommentValue(item));
    }
  }
  info.Samples = LastGranule(stream, info.FileSize);
  return true;
}

// The name a field is read from when its own is missing or empty.
int FallbackOf(int field) { return field == kArtist ? kPerformer : field == kComment ? kDescription : -1; }
int OwnerOf(int name) { return name == kPerformer ? kArtist : name == kDescription ? kComment : name; }

// The comment list to write: every item kept in its place, except that a
// changed field takes the place of its first item (its other items go). The
// fallback name goes with it when the value was read from there, or when the
// field is emptied, as the fallback would show through otherwise.
std::vector<std::string> MergeComments(const TOggFileInfo& info, const std::wstring* values,
                                       const bool* changed) {
  bool drop[kFieldCount] = {}, placed[kWrittenFields] = {};
  for (int i = 0; i < kWrittenFields; ++i) {
    if (!changed[i]) continue;
    drop[i] = true;
    const int fallback = FallbackOf(i);
    if (fallback >= 0 && (info.FieldData[i].empty() || values[i].empty())) drop[fallback] = true;
  }
  std::vector<std::string> items;
  auto place = [&](int i) {
    if (!placed[i] && !values[i].empty())
      items.push_back(std::string(kFieldNames[i]) + "=" + WideStringToUTF8(values[i]));
    placed[i] = true;
  };
  for (const auto& item : info.Comments.Items) {
    const int name = FieldIndex(VorbisCommentName(item));
    if (name < 0 || !drop[name])
      items.push_back(item);
    else
      place(OwnerOf(name));
  }
  for (int i = 0; i < kWrittenFields; ++i)
    if (changed[i]) place(i);
  return items;
}

std::wstring Trim(std::wstring_view s) {
  while (!s.empty() && s.front() < 33) s.remove_prefix(1);
  while (!s.empty() && s.back() < 33) s.remove_suffix(1);
  return std::wstring(s);
}

std::wstring TrimmedText(const std::string& utf8) { return Trim(UTF8ToWideString(utf8)); }

// The second page with the new comment packet in place of the old one.
bool BuildSecondPage(const TOggFileInfo& info, const std::string& packet, TOggPage& page) {
  const TOggPage& old = info.SPage;
  const size_t segments = packet.size() / 255 + 1 + (old.SegmentCount() - info.PacketSegments);
  if (segments > TOggPage::kMaxSegments) return false;
  page.Header = old.Header.substr(0, TOggPage::kHeaderSize);
  page.Header[26] = static_cast<char>(segments);
  page.Header.append(packet.size() / 255, '\xFF');
  page.Header.push_back(static_cast<char>(packet.size() % 255));
  page.Header.append(old.Header, TOggPage::kHeaderSize + info.PacketSegments, std::string::npos);
  page.Data = packet + old.Data.substr(info.Packet.size());
  page.UpdateChecksum();
  return true;
}

bool CopyRange(TStream& source, TStream& target, int64_t from, int64_t count) {
  if (count <= 0) return count == 0;  // CopyFrom would take a count of 0 as "all"
  source.SetPosition(from);
  return target.CopyFrom(&source, count) == count;
}

}  // namespace

void TOggVorbis::ResetData() {
  FFileSize = 0;
  FChannelModeID = 0;
  FSampleRate = 0;
  FBitRateNominal = 0;
  FSamples = 0;
  FID3v2Size = 0;
  for (auto& text : FText) text.clear();
  FChanged.fill(false);
  FTrack = 0;
}

bool TOggVorbis::ReadFromFile(const std::wstring& FileName) {
  ResetData();
  TOggFileInfo info;
  try {
    TTntFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
    if (!GetInfo(file, info)) return false;
  } catch (const Exception&) {
    return false;
  }
  FFileSize = static_cast<int32_t>(std::min<int64_t>(info.FileSize, INT32_MAX));
  FChannelModeID = info.VorbisHeader[11];
  FSampleRate = static_cast<int32_t>(LittleEndian32(info.VorbisHeader + 12));
  const auto nominal = static_cast<int32_t>(LittleEndian32(info.VorbisHeader + 20));
  FBitRateNominal = static_cast<uint16_t>(std::clamp(nominal / 1000, 0, 0xFFFF));
  FSamples = info.Samples;
  FID3v2Size = info.ID3v2Size;
  const auto& f = info.FieldData;
  for (int i = 0; i < kWrittenFields; ++i) {
    const int fallback = FallbackOf(i);
    FText[i] = TrimmedText(f[i].empty() && fallback >= 0 ? f[fallback] : f[i]);
  }
  FText[ogVendor] = TrimmedText(info.Comments.Vendor);
  FTrack = ParseTrack(f[kTrackNumber]);
  return true;
}

bool TOggVorbis::SaveToFile(const std::wstring& FileName) {
  return RewriteFile(FileName, [&](TStream& source, TStream& target) {
    TOggFileInfo info;
    if (!GetInfo(source, info) || !info.HasSPage || !info.HasComments ||
        !info.Comments.Complete || !info.PacketEndsOnSPage)
      return false;
    const std::string tail = info.Packet.substr(info.Comments.End);
    const std::string packet = BuildVorbisComments(
        info.Comments.Vendor, MergeComments(info, FText.data(), FChanged.data()), tail);
    TOggPage page;
    if (!BuildSecondPage(info, packet, page)) return false;
    const int64_t after = info.SPagePos + static_cast<int64_t>(info.SPage.Size());
    if (!CopyRange(source, target, 0, info.SPagePos)) return false;
    target.WriteBuffer(page.Header.data(), static_cast<int32_t>(page.Header.size()));
    target.WriteBuffer(page.Data.data(), static_cast<int32_t>(page.Data.size()));
    return CopyRange(source, target, after, info.FileSize - after);
  });
}

bool TOggVorbis::RemoveFromFile(const std::wstring& FileName) {
  for (size_t i = 0; i < kEditableCount; ++i) FText[i].clear();
  FChanged.fill(true);
  FTrack = 0;
  return SaveToFile(FileName);
}

std::wstring TOggVorbis::Text(TOggField Field) const {
  return Field <= ogVendor ? FText[Field] : std::wstring();
}

void TOggVorbis::SetText(TOggField Field, const std::wstring& Value) {
  if (Field >= kEditableCount) return;
  std::wstring text = Trim(Value);
  if (text == FText[Field]) return;
  if (Field == ogTrack) FTrack = ParseTrack(WideStringToUTF8(text));
  FText[Field] = std::move(text);
  FChanged[Field] = true;
}

void TOggVorbis::SetTrack(uint16_t Value) {
  if (Value != FTrack) SetText(ogTrack, Value ? std::to_wstring(Value) : std::wstring());
}

std::string TOggVorbis::Ansi(TOggField Field) const {
  return WideToAnsiInCodePage(FText[Field], DefaultSystemCodePage);
}

void TOggVorbis::SetAnsi(TOggField Field, const std::string& Value) {
  if (Value != Ansi(Field)) SetText(Field, AnsiToWideInCodePage(Value, DefaultSystemCodePage));
}

std::string TOggVorbis::GetChannelMode() const {
  switch (FChannelModeID) {
    case 0: return "Unknown";
    case 1: return "Mono";
    case 2: return "Stereo";
    default: return "Multichannel";
  }
}

double TOggVorbis::GetDuration() const {
  if (FSamples >= 1) return FSampleRate > 0 ? double(FSamples) / FSampleRate : 0;
  if (FBitRateNominal != 0 && FChannelModeID > 0)
    return double(FFileSize - FID3v2Size) / FBitRateNominal / FChannelModeID / 125 * 2;
  return 0;
}

uint16_t TOggVorbis::GetBitRate() const {
  const double duration = GetDuration();
  if (duration <= 0) return 0;
  const double rate = std::nearbyint(double(FFileSize - FID3v2Size) / duration / 125);
  return static_cast<uint16_t>(std::clamp(rate, 0.0, 65535.0));
}

bool TOggVorbis::IsValid() const {
  const bool channels = FChannelModeID == 1 || FChannelModeID == 2 || FChannelModeID == 6;
  return channels && FSampleRate >= 1 && GetDuration() > 0.1 && GetBitRate() != 0;
}
