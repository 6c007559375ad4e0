#include "formats/id3v2.h"

#include <algorithm>
#include <array>
#include <map>
#include <utility>
#include <vector>

#include "formats/file_rewrite.h"
#include "formats/id3v2_frames.h"
#include "foundation/tnt_classes.h"
#include "foundation/tnt_sysutils.h"
#include "framework/exceptions.h"

namespace {

enum TField { kTitle, kArtist, kAlbum, kTrack, kYear, kGenre, kComment, kComposer, kEncoder,
              kCopyright, kLanguage, kLink, kFieldCount };

struct TFrameIds {
  const char* Id23;  // also 2.4
  const char* Id22;
};

// The frame of each field, in the order a new tag lists them.
constexpr TFrameIds kFieldFrames[kFieldCount] = {
    {"TIT2", "TT2"}, {"TPE1", "TP1"}, {"TALB", "TAL"}, {"TRCK", "TRK"},
    {"TYER", "TYE"}, {"TCON", "TCO"}, {"COMM", "COM"}, {"TCOM", "TCM"},
    {"TENC", "TEN"}, {"TCOP", "TCR"}, {"TLAN", "TLA"}, {"WXXX", "WXX"}};

// Read when the field's own frame gives no text; never written.
constexpr std::pair<TField, TFrameIds> kFallbackFrames[] = {
    {kYear, {"TDRC", "TOR"}}, {kArtist, {"TOPE", "TOA"}}, {kTitle, {"TIT1", "TT1"}},
    {kAlbum, {"TOAL", "TOT"}}};

constexpr int64_t kDefaultTagSize = 4096;
constexpr int64_t kMaxTagSize = 0x0FFFFFFF + 10;  // what 28 syncsafe bits can state

const char* IdOf(const TFrameIds& ids, uint8_t version) { return version == 2 ? ids.Id22 : ids.Id23; }

bool IsBlank(char c) { return static_cast<unsigned char>(c) < 33; }

std::string Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return std::string(s);
}

// Content: encoding byte, then the text.
std::string PlainText(std::string_view content) {
  return Trim(ID3v2TextToAnsi(static_cast<uint8_t>(content[0]), content.substr(1)));
}

// COMM: encoding, language, description, text. WXXX: encoding, description, URL.
std::string TextAfterDescription(std::string_view content, bool withLanguage) {
  const auto encoding = static_cast<uint8_t>(content[0]);
  const size_t start = withLanguage ? 4 : 1;
  if (content.size() < start) return {};
  const size_t end = FindID3v2Terminator(encoding, content, start);
  if (end == std::string_view::npos) return {};
  const std::string_view rest = content.substr(end + ID3v2TerminatorSize(encoding));
  if (withLanguage) return Trim(ID3v2TextToAnsi(encoding, rest));
  // A URL is 8-bit whatever the description's encoding, though a few writers
  // encode it like the description.
  const bool utf16 = rest.starts_with("\xFF\xFE") || rest.starts_with("\xFE\xFF");
  return Trim(ID3v2TextToAnsi(utf16 ? 1 : 0, rest));
}

// "(17)Rock" names genre 17 refined as "Rock"; only such leading references
// go, so a name like "Rock (Live)" survives. "((" escapes a name's own "(".
std::string GenreName(std::string text) {
  while (text.starts_with("(")) {
    if (text.starts_with("((")) return text.substr(1);
    const size_t close = text.find(')');
    if (close == std::string::npos) break;
    const std::string ref = text.substr(1, close - 1);
    const bool isRef = ref == "RX" || ref == "CR" ||
                       (!ref.empty() && ref.find_first_not_of("0123456789") == std::string::npos);
    if (!isRef) break;
    text.erase(0, close + 1);
  }
  return Trim(text);
}

uint16_t TrackNumber(const std::string& text) {
  const std::string number = Trim(text.substr(0, text.find('/')));
  if (number.empty() || number.size() > 5 ||
      number.find_first_not_of("0123456789") != std::string::npos)
    return 0;
  const unsigned long value = std::stoul(number);
  return value > 0xFFFF ? 0 : static_cast<uint16_t>(value);
}

// What a tag says, and which frame said it.
struct TTagValues {
  std::array<std::string, kFieldCount> Text;  // kTrack: the number, empty for 0
  uint16_t Track = 0;
  std::string TrackString;
  std::array<int, kFieldCount> Source;  // index of the frame, -1 for none
};

TTagValues DeriveValues(const TID3v2Header& header, const std::vector<TID3v2Frame>& frames) {
  TTagValues values;
  values.Source.fill(-1);
  // The last frame of an id that can be read wins.
  auto find = [&](const char* id, std::string& content) {
    for (int i = static_cast<int>(frames.size()) - 1; i >= 0; --i) {
      if (frames[i].ID != id || !ID3v2FrameContent(header, frames[i], content)) continue;
      if (!content.empty() && static_cast<uint8_t>(content[0]) <= 3) return i;
    }
    return -1;
  };
  for (int field = 0; field < kFieldCount; ++field) {
    std::string content;
    const int index = find(IdOf(kFieldFrames[field], header.Version), content);
    if (index < 0) continue;
    values.Source[field] = index;
    values.Text[field] = field == kComment ? TextAfterDescription(content, true)
                         : field == kLink  ? TextAfterDescription(content, false)
                                           : PlainText(content);
  }
  for (const auto& [field, ids] : kFallbackFrames) {
    if (!values.Text[field].empty()) continue;
    std::string content;
    const int index = find(IdOf(ids, header.Version), content);
    if (index < 0) continue;
    std::string text = PlainText(content);
    if (text.empty()) continue;
    values.Source[field] = index;
    values.Text[field] = field == kYear ? text.substr(0, 4) : text;
  }
  values.TrackString = values.Text[kTrack];
  values.Track = TrackNumber(values.TrackString);
  values.Text[kTrack] = values.Track ? std::to_string(values.Track) : std::string();
  values.Text[kGenre] = GenreName(values.Text[kGenre]);
  return values;
}

TID3v2Frame NewFrame(int field, const std::string& value) {
  TID3v2Frame frame;
  frame.ID = kFieldFrames[field].Id23;
  frame.Data = std::string(1, '\0');  // the system's 8-bit encoding
  if (field == kComment) frame.Data += std::string("eng\0", 4);
  if (field == kLink) frame.Data += '\0';
  frame.Data += value;
  return frame;
}

// The tag at the start of a file as it stands.
struct TTagImage {
  bool HeaderRead = false;
  int64_t FileSize = 0;
  TID3v2Header Header;
  int64_t TagSize = 0;  // 0: no tag, or one that claims more than the file holds
  std::vector<TID3v2Frame> Frames;
};

bool ReadTagImage(const std::wstring& fileName, TTagImage& image) {
  try {
    TTntFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    image.FileSize = file.Size();
    std::string head(10, '\0');
    image.HeaderRead = file.Read(head.data(), 10) == 10;
    if (!image.HeaderRead || !ReadID3v2Header(head, image.Header) || !image.Header.Valid) return true;
    if (image.Header.TagSize() > image.FileSize) return true;
    image.TagSize = image.Header.TagSize();
    std::string tag(static_cast<size_t>(image.TagSize), '\0');
    file.SetPosition(0);
    file.ReadBuffer(tag.data(), static_cast<int32_t>(tag.size()));
    image.Frames = ReadID3v2Frames(image.Header, tag);
    return true;
  } catch (const Exception&) {
    return false;
  }
}

// The frames of the new tag: the frames of changed values are replaced (in
// place when the old one is known), every other frame is carried over.
std::vector<TID3v2Frame> MergeFrames(const TTagImage& old,
                                     const std::array<std::string, kFieldCount>& values) {
  const std::vector<TID3v2Frame>& frames = old.Frames;
  const uint8_t version = old.Header.Version;
  const TTagValues found = DeriveValues(old.Header, frames);
  std::vector<bool> removed(frames.size(), false);
  std::map<int, TID3v2Frame> replacements;
  std::vector<TID3v2Frame> appended;

  for (int field = 0; field < kFieldCount; ++field) {
    const int source = found.Source[field];
    const bool fromFallback = source >= 0 && frames[source].ID != IdOf(kFieldFrames[field], version);
    if (values[field] == found.Text[field]) {
      // A year found only in a 2.4 recording time or a 2.2 original year is
      // stated where 2.3 readers look for it.
      if (field == kYear && fromFallback) appended.push_back(NewFrame(field, values[field]));
      continue;
    }
    const std::string id = IdOf(kFieldFrames[field], version);
    // Comments and links may come in several frames told apart by description.
    if (field == kComment || field == kLink) {
      if (source >= 0 && !fromFallback) removed[source] = true;
    } else {
      for (size_t i = 0; i < frames.size(); ++i)
        if (frames[i].ID == id) removed[i] = true;
    }
    // 2.4's recording time stands for the year: keeping it would contradict the new one.
    if (field == kYear && fromFallback && frames[source].ID == "TDRC") removed[source] = true;
    if (values[field].empty()) continue;
    if (source >= 0 && removed[source])
      replacements[source] = NewFrame(field, values[field]);
    else
      appended.push_back(NewFrame(field, values[field]));
  }

  std::vector<TID3v2Frame> merged;
  for (size_t i = 0; i < frames.size(); ++i) {
    TID3v2Frame converted;
    if (auto it = replacements.find(static_cast<int>(i)); it != replacements.end())
      merged.push_back(it->second);
    else if (!removed[i] && ConvertID3v2FrameTo23(old.Header, frames[i], converted))
      merged.push_back(std::move(converted));
  }
  merged.insert(merged.end(), appended.begin(), appended.end());
  return merged;
}

}  // namespace

void TID3v2::ResetData() {
  FExists = false;
  FVersionID = 0;
  FSize = 0;
  FTitle.clear(), FArtist.clear(), FAlbum.clear();
  FTrack = 0;
  FTrackString.clear(), FYear.clear(), FGenre.clear(), FComment.clear(), FComposer.clear();
  FEncoder.clear(), FCopyright.clear(), FLanguage.clear(), FLink.clear();
}

void TID3v2::SetTitle(const std::string& Value) { FTitle = Trim(Value); }
void TID3v2::SetArtist(const std::string& Value) { FArtist = Trim(Value); }
void TID3v2::SetAlbum(const std::string& Value) { FAlbum = Trim(Value); }
void TID3v2::SetYear(const std::string& Value) { FYear = Trim(Value); }
void TID3v2::SetGenre(const std::string& Value) { FGenre = Trim(Value); }
void TID3v2::SetComment(const std::string& Value) { FComment = Trim(Value); }
void TID3v2::SetComposer(const std::string& Value) { FComposer = Trim(Value); }
void TID3v2::SetEncoder(const std::string& Value) { FEncoder = Trim(Value); }
void TID3v2::SetCopyright(const std::string& Value) { FCopyright = Trim(Value); }
void TID3v2::SetLanguage(const std::string& Value) { FLanguage = Trim(Value); }
void TID3v2::SetLink(const std::string& Value) { FLink = Trim(Value); }

bool TID3v2::ReadFromFile(const std::wstring& FileName) {
  ResetData();
  TTagImage image;
  if (!ReadTagImage(FileName, image) || !image.HeaderRead) return false;
  if (!image.Header.Valid) return true;
  FExists = true;
  FVersionID = image.Header.Version;
  FSize = static_cast<int32_t>(image.TagSize);
  const TTagValues values = DeriveValues(image.Header, image.Frames);
  FTitle = values.Text[kTitle];
  FArtist = values.Text[kArtist];
  FAlbum = values.Text[kAlbum];
  FTrack = values.Track;
  FTrackString = values.TrackString;
  FYear = values.Text[kYear];
  FGenre = values.Text[kGenre];
  FComment = values.Text[kComment];
  FComposer = values.Text[kComposer];
  FEncoder = values.Text[kEncoder];
  FCopyright = values.Text[kCopyright];
  FLanguage = values.Text[kLanguage];
  FLink = values.Text[kLink];
  return true;
}

bool TID3v2::ReadFromMemory(const void* Data, int32_t DataSize, TMP3TagInfo& Info) {
  if (!Data || DataSize < 10) return false;
  const std::string_view data(static_cast<const char*>(Data), static_cast<size_t>(DataSize));
  TID3v2Header header;
  if (!ReadID3v2Header(data, header) || !header.Valid) return false;
  FVersionID = header.Version;
  FSize = header.TagSize() > DataSize ? 0 : static_cast<int32_t>(header.TagSize());
  std::vector<TID3v2Frame> frames;
  if (FSize > 0) frames = ReadID3v2Frames(header, data.substr(0, static_cast<size_t>(FSize)));
  const TTagValues values = DeriveValues(header, frames);
  Info.Title = values.Text[kTitle];
  Info.Artist = values.Text[kArtist];
  Info.Album = values.Text[kAlbum];
  Info.Track = values.Track;
  Info.Year = values.Text[kYear];
  Info.Genre = values.Text[kGenre];
  Info.Comment = values.Text[kComment];
  return true;
}

bool TID3v2::SaveToFile(const std::wstring& FileName) {
  TTagImage old;
  if (!WideFileExists(FileName) || !ReadTagImage(FileName, old)) return false;
  const std::array<std::string, kFieldCount> values = {
      FTitle, FArtist, FAlbum, FTrack ? std::to_string(FTrack) : std::string(), FYear, FGenre,
      FComment, FComposer, FEncoder, FCopyright, FLanguage, FLink};
  std::string frames;
  for (const TID3v2Frame& frame : MergeFrames(old, values)) AppendID3v2Frame23(frames, frame);

  const int64_t needed = 10 + static_cast<int64_t>(frames.size());
  // An old tag with room is overwritten where it stands, so the audio does not
  // move, unless that would keep more than a default tag's worth of padding.
  const bool inPlace = old.TagSize >= needed &&
                       (old.TagSize <= kDefaultTagSize || old.TagSize - needed <= kDefaultTagSize);
  const int64_t size = inPlace ? old.TagSize : std::max(needed, kDefaultTagSize);
  if (size > kMaxTagSize) return false;
  std::string tag("ID3\x03\x00\x00", 6);
  tag += ID3v2SyncsafeBytes(static_cast<uint32_t>(size - 10));
  tag += frames;
  tag.resize(static_cast<size_t>(size), '\0');

  if (!inPlace) {
    return RewriteFile(FileName, [&](TStream& source, TStream& target) {
      target.WriteBuffer(tag.data(), static_cast<int32_t>(tag.size()));
      const int64_t rest = source.Size() - old.TagSize;
      source.SetPosition(old.TagSize);
      if (rest > 0) target.CopyFrom(&source, rest);
      return true;
    });
  }
  TWriteAccess access(FileName);
  if (!access.Granted()) return false;
  try {
    TTntFileStream file(FileName, fmOpenReadWrite | fmShareDenyWrite);
    file.WriteBuffer(tag.data(), static_cast<int32_t>(tag.size()));
    return true;
  } catch (const Exception&) {
    return false;
  }
}

bool TID3v2::RemoveFromFile(const std::wstring& FileName) {
  TTagImage old;
  if (!ReadTagImage(FileName, old) || old.TagSize == 0) return false;
  return RewriteFile(FileName, [&](TStream& source, TStream& target) {
    const int64_t rest = source.Size() - old.TagSize;
    source.SetPosition(old.TagSize);
    if (rest > 0) target.CopyFrom(&source, rest);
    return true;
  });
}
