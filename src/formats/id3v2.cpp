#include "formats/id3v2.h"

#include <algorithm>
#include <array>
#include <map>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "formats/file_rewrite.h"
#include "formats/id3v2_frames.h"
#include "foundation/tnt_classes.h"
#include "foundation/tnt_system.h"
#include "foundation/tnt_sysutils.h"
#include "framework/exceptions.h"
#include "framework/format.h"

namespace {

constexpr size_t kFieldCount = v2Link + 1;

struct TFrameIds {
  const char* Id23;  // also 2.4
  const char* Id22;
};

// The frame of each field, in the order a new tag lists them. A 2.4 tag
// states the year in its recording time, TDRC.
constexpr TFrameIds kFieldFrames[kFieldCount] = {
    {"TIT2", "TT2"}, {"TPE1", "TP1"}, {"TALB", "TAL"}, {"TRCK", "TRK"},
    {"TYER", "TYE"}, {"TCON", "TCO"}, {"COMM", "COM"}, {"TCOM", "TCM"},
    {"TENC", "TEN"}, {"TCOP", "TCR"}, {"TLAN", "TLA"}, {"WXXX", "WXX"}};

// Read when the field's own frame gives no text; never written.
constexpr std::pair<TID3v2Field, TFrameIds> kFallbackFrames[] = {
    {v2Year, {"TDRC", "TOR"}}, {v2Artist, {"TOPE", "TOA"}}, {v2Title, {"TIT1", "TT1"}},
    {v2Album, {"TOAL", "TOT"}}};

constexpr int64_t kDefaultTagSize = 4096;
constexpr int64_t kMaxTagSize = 0x0FFFFFFF + 10;  // what 28 syncsafe bits can state

const char* IdOf(const TFrameIds& ids, uint8_t version) { return version == 2 ? ids.Id22 : ids.Id23; }

template <class S>
S Trim(S s) {
  auto blank = [](auto c) { return static_cast<std::make_unsigned_t<decltype(c)>>(c) < 33u; };
  size_t from = 0, to = s.size();
  while (from < to && blank(s[from])) ++from;
  while (to > from && blank(s[to - 1])) --to;
  return s.substr(from, to - from);
}

// A text both as the older 8-bit callers see it and as written.
struct TText {
  std::string Ansi;
  std::wstring Wide;
};

TText Decoded(uint8_t encoding, std::string_view bytes) {
  return {Trim(ID3v2TextToAnsi(encoding, bytes)), Trim(ID3v2TextToWide(encoding, bytes))};
}

// Content: encoding byte, then the text.
TText PlainText(std::string_view content) {
  return Decoded(static_cast<uint8_t>(content[0]), content.substr(1));
}

// COMM: encoding, language, description, text. WXXX: encoding, description, URL.
// What comes after the description; npos when the content is cut short.
size_t TextStart(std::string_view content, bool withLanguage) {
  const auto encoding = static_cast<uint8_t>(content[0]);
  const size_t start = withLanguage ? 4 : 1;
  if (content.size() < start) return std::string_view::npos;
  const size_t end = FindID3v2Terminator(encoding, content, start);
  return end == std::string_view::npos ? end : end + ID3v2TerminatorSize(encoding);
}

std::wstring Description(std::string_view content, bool withLanguage) {
  const size_t start = withLanguage ? 4 : 1;
  if (content.size() < start) return {};
  return ID3v2TextToWide(static_cast<uint8_t>(content[0]), content.substr(start));
}

TText TextAfterDescription(std::string_view content, bool withLanguage) {
  const size_t start = TextStart(content, withLanguage);
  if (start == std::string_view::npos) return {};
  const std::string_view rest = content.substr(start);
  if (withLanguage) return Decoded(static_cast<uint8_t>(content[0]), rest);
  // A URL is 8-bit whatever the description's encoding, though a few writers
  // encode it like the description.
  const bool utf16 = rest.starts_with("\xFF\xFE") || rest.starts_with("\xFE\xFF");
  return Decoded(utf16 ? 1 : 0, rest);
}

// Of several comments, the song's own has no description and is in English;
// the others are players' data (iTunNORM), notes and translations. Of links,
// the one without description.
int Rank(TID3v2Field field, std::string_view content) {
  if (field != v2Comment && field != v2Link) return 0;
  const bool withLanguage = field == v2Comment;
  const int plain = Description(content, withLanguage).empty() ? 2 : 0;
  return plain + (withLanguage && content.substr(1, 3) == "eng" ? 1 : 0);
}

// "(17)Rock" names genre 17 refined as "Rock"; only such leading references
// go, so a name like "Rock (Live)" survives. "((" escapes a name's own "(".
template <class S>
S GenreName(S text) {
  using C = typename S::value_type;
  while (!text.empty() && text[0] == C('(')) {
    if (text.size() > 1 && text[1] == C('(')) return text.substr(1);
    const size_t close = text.find(C(')'));
    if (close == S::npos) break;
    const S ref = text.substr(1, close - 1);
    const bool number = !ref.empty() && std::all_of(ref.begin(), ref.end(),
                                                    [](C c) { return c >= C('0') && c <= C('9'); });
    const bool isRef = number || ref == S{C('R'), C('X')} || ref == S{C('C'), C('R')};
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
  std::array<TText, kFieldCount> Text;  // v2Track: the track text as read
  uint16_t Track = 0;
  std::array<int, kFieldCount> Source;  // index of the frame, -1 for none
};

TTagValues DeriveValues(const TID3v2Header& header, const std::vector<TID3v2Frame>& frames) {
  TTagValues values;
  values.Source.fill(-1);
  // Of the readable frames of an id the best ranked wins, the last of equals.
  auto find = [&](TID3v2Field field, const char* id, std::string& content) {
    int best = -1, bestRank = -1;
    std::string candidate;
    for (size_t i = 0; i < frames.size(); ++i) {
      if (frames[i].ID != id || !ID3v2FrameContent(header, frames[i], candidate)) continue;
      if (candidate.empty() || static_cast<uint8_t>(candidate[0]) > 3) continue;
      const int rank = Rank(field, candidate);
      if (rank < bestRank) continue;
      best = static_cast<int>(i), bestRank = rank;
      content = std::move(candidate);
    }
    return best;
  };
  for (size_t f = 0; f < kFieldCount; ++f) {
    const auto field = static_cast<TID3v2Field>(f);
    std::string content;
    const int index = find(field, IdOf(kFieldFrames[field], header.Version), content);
    if (index < 0) continue;
    values.Source[field] = index;
    values.Text[field] = field == v2Comment ? TextAfterDescription(content, true)
                         : field == v2Link  ? TextAfterDescription(content, false)
                                            : PlainText(content);
  }
  for (const auto& [field, ids] : kFallbackFrames) {
    if (!values.Text[field].Ansi.empty() || !values.Text[field].Wide.empty()) continue;
    std::string content;
    const int index = find(field, IdOf(ids, header.Version), content);
    if (index < 0) continue;
    TText text = PlainText(content);
    if (text.Wide.empty()) continue;
    values.Source[field] = index;
    // The year alone for the older callers; a 2.4 tag's recording time, a
    // date that may go down to the second, is the year field's own text.
    if (field == v2Year)
      text = {text.Ansi.substr(0, 4), header.Version == 4 ? text.Wide : text.Wide.substr(0, 4)};
    values.Text[field] = std::move(text);
  }
  values.Track = TrackNumber(values.Text[v2Track].Ansi);
  TText& genre = values.Text[v2Genre];
  genre = {GenreName(genre.Ansi), GenreName(genre.Wide)};
  return values;
}

// A link is 8-bit text: characters past Latin-1 go as escaped UTF-8.
std::string UrlBytes(const std::wstring& url) {
  std::string bytes;
  for (size_t i = 0; i < url.size();) {
    if (url[i] < 256) {
      bytes += static_cast<char>(url[i++]);
      continue;
    }
    size_t end = i;
    while (end < url.size() && url[end] >= 256) ++end;
    for (unsigned char c : WideStringToUTF8(url.substr(i, end - i))) {
      bytes += '%';
      bytes += "0123456789ABCDEF"[c >> 4];
      bytes += "0123456789ABCDEF"[c & 15];
    }
    i = end;
  }
  return bytes;
}

// The frame of a changed field for a tag of Version (3 or 4). Replaced: the
// content of the comment or link frame it takes the place of, whose language
// and description it keeps.
TID3v2Frame NewFrame(TID3v2Field field, const std::wstring& value, uint8_t version,
                     std::string_view replaced) {
  const bool described = field == v2Comment || field == v2Link;
  const std::wstring description =
      replaced.empty() ? std::wstring() : Description(replaced, field == v2Comment);
  const bool eightBit =
      ID3v2FitsEncodingZero(description) && (field == v2Link || ID3v2FitsEncodingZero(value));
  const uint8_t encoding = eightBit ? 0 : version == 4 ? 3 : 1;

  TID3v2Frame frame;
  frame.ID = version == 4 && field == v2Year ? "TDRC" : kFieldFrames[field].Id23;
  frame.Data = std::string(1, static_cast<char>(encoding));
  if (field == v2Comment) frame.Data += replaced.size() >= 4 ? std::string(replaced.substr(1, 3)) : "eng";
  if (described) {
    frame.Data += ID3v2TextBytes(encoding, description);
    frame.Data += std::string(ID3v2TerminatorSize(encoding), '\0');
  }
  frame.Data += field == v2Link ? UrlBytes(value) : ID3v2TextBytes(encoding, value);
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

// The frames a save writes, and the version of their tag.
struct TNewTag {
  uint8_t Version = 3;
  std::vector<TID3v2Frame> Frames;
};

// A 2.4 frame as it is; when the tag header declared every frame
// unsynchronised, the frame says so itself, as the header is written anew.
TID3v2Frame Carried24(const TID3v2Header& header, TID3v2Frame frame) {
  if (header.Flags & 0x80) frame.FormatFlags |= 0x02;
  return frame;
}

// The frames of changed fields are replaced (in place when the old one is
// known); every other frame is carried over. A 2.4 tag stays 2.4; any other
// becomes 2.3, a 2.2 one by translating its frames' ids.
TNewTag MergeFrames(const TTagImage& old, const std::array<std::wstring, kFieldCount>& values,
                    const std::array<bool, kFieldCount>& changed) {
  const std::vector<TID3v2Frame>& frames = old.Frames;
  // Without a usable tag the header bytes are the audio's.
  const uint8_t version = old.TagSize > 0 ? old.Header.Version : 3;
  TNewTag tag;
  tag.Version = version == 4 ? 4 : 3;
  const TTagValues found = DeriveValues(old.Header, frames);
  std::vector<bool> removed(frames.size(), false);
  std::map<int, TID3v2Frame> replacements;
  std::vector<TID3v2Frame> appended;

  for (size_t f = 0; f < kFieldCount; ++f) {
    const auto field = static_cast<TID3v2Field>(f);
    const int source = found.Source[field];
    const std::string id = IdOf(kFieldFrames[field], version);
    const bool fromFallback = source >= 0 && frames[source].ID != id;
    if (!changed[field]) {
      // A 2.2 tag's original year becomes TORY, where 2.3 readers do not look
      // for the year.
      if (field == v2Year && fromFallback && version == 2)
        appended.push_back(NewFrame(field, found.Text[field].Wide, tag.Version, {}));
      continue;
    }
    std::string replaced;
    if (field == v2Comment || field == v2Link) {
      // Comments and links come in several frames told apart by language and
      // description; only the one shown is replaced.
      if (source >= 0 && ID3v2FrameContent(old.Header, frames[source], replaced)) removed[source] = true;
    } else {
      for (size_t i = 0; i < frames.size(); ++i) {
        // The recording time stands for the year: keeping it would contradict the new one.
        const bool year =
            field == v2Year && (frames[i].ID == "TDRC" || (version == 4 && frames[i].ID == "TYER"));
        if (frames[i].ID == id || year) removed[i] = true;
      }
      // A field shown from another frame (the title from TIT1, say) and now
      // cleared loses that frame too, or the next read would show it again.
      if (values[field].empty() && fromFallback) removed[source] = true;
    }
    if (values[field].empty()) continue;
    TID3v2Frame frame = NewFrame(field, values[field], tag.Version, replaced);
    if (source >= 0 && removed[source])
      replacements[source] = std::move(frame);
    else
      appended.push_back(std::move(frame));
  }

  for (size_t i = 0; i < frames.size(); ++i) {
    TID3v2Frame carried;
    if (auto it = replacements.find(static_cast<int>(i)); it != replacements.end())
      tag.Frames.push_back(it->second);
    else if (removed[i])
      continue;
    else if (version == 4)
      tag.Frames.push_back(Carried24(old.Header, frames[i]));
    else if (ConvertID3v2FrameTo23(old.Header, frames[i], carried))
      tag.Frames.push_back(std::move(carried));
  }
  tag.Frames.insert(tag.Frames.end(), appended.begin(), appended.end());
  return tag;
}

}  // namespace

void TID3v2::ResetData() {
  FExists = false;
  FVersionID = 0;
  FSize = 0;
  for (auto& text : FText) text.clear();
  for (auto& text : FAnsi) text.clear();
  FChanged.fill(false);
  FTrack = 0;
}

std::wstring TID3v2::Text(TID3v2Field Field) const {
  return Field < kFieldCount ? FText[Field] : std::wstring();
}

void TID3v2::SetText(TID3v2Field Field, const std::wstring& Value) {
  if (Field >= kFieldCount) return;
  std::wstring text = Trim(Value);
  if (text == FText[Field]) return;
  std::string ansi = Trim(WideToAnsi(text));
  Store(Field, std::move(text), std::move(ansi));
}

void TID3v2::SetAnsi(TID3v2Field Field, const std::string& Value) {
  std::string text = Trim(Value);
  if (text == FAnsi[Field]) return;
  std::wstring wide = AnsiToWide(text);
  Store(Field, std::move(wide), std::move(text));
}

void TID3v2::SetTrack(uint16_t Value) {
  if (Value == FTrack) return;
  const std::string text = Value ? std::to_string(Value) : std::string();
  Store(v2Track, AnsiToWide(text), text);
}

void TID3v2::Store(TID3v2Field Field, std::wstring Wide, std::string Ansi) {
  if (Field == v2Track) FTrack = TrackNumber(Ansi);
  FText[Field] = std::move(Wide);
  FAnsi[Field] = std::move(Ansi);
  FChanged[Field] = true;
}

bool TID3v2::ReadFromFile(const std::wstring& FileName) {
  ResetData();
  TTagImage image;
  if (!ReadTagImage(FileName, image) || !image.HeaderRead) return false;
  if (!image.Header.Valid) return true;
  FExists = true;
  FVersionID = image.Header.Version;
  FSize = static_cast<int32_t>(image.TagSize);
  const TTagValues values = DeriveValues(image.Header, image.Frames);
  for (size_t f = 0; f < kFieldCount; ++f) {
    FText[f] = values.Text[f].Wide;
    FAnsi[f] = values.Text[f].Ansi;
  }
  FTrack = values.Track;
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
  Info.Title = values.Text[v2Title].Ansi;
  Info.Artist = values.Text[v2Artist].Ansi;
  Info.Album = values.Text[v2Album].Ansi;
  Info.Track = values.Track;
  Info.Year = values.Text[v2Year].Ansi;
  Info.Genre = values.Text[v2Genre].Ansi;
  Info.Comment = values.Text[v2Comment].Ansi;
  return true;
}

bool TID3v2::SaveToFile(const std::wstring& FileName) {
  TTagImage old;
  if (!WideFileExists(FileName) || !ReadTagImage(FileName, old)) return false;
  const TNewTag merged = MergeFrames(old, FText, FChanged);
  std::string frames;
  for (const TID3v2Frame& frame : merged.Frames) AppendID3v2Frame(frames, frame, merged.Version);

  const int64_t needed = 10 + static_cast<int64_t>(frames.size());
  // An old tag with room is overwritten where it stands, so the audio does not
  // move, unless that would keep more than a default tag's worth of padding.
  const bool inPlace = old.TagSize >= needed &&
                       (old.TagSize <= kDefaultTagSize || old.TagSize - needed <= kDefaultTagSize);
  const int64_t size = inPlace ? old.TagSize : std::max(needed, kDefaultTagSize);
  if (size > kMaxTagSize) return false;
  std::string tag = "ID3";
  tag += static_cast<char>(merged.Version);
  tag += std::string(2, '\0');  // revision; flags: no extended header, no footer, nothing unsynchronised
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
