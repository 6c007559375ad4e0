#include "formats/id3v2_frames.h"

#include <algorithm>
#include <utility>

#include "foundation/tnt_system.h"
#include "framework/format.h"

namespace {

uint8_t Byte(std::string_view s, size_t i) { return static_cast<uint8_t>(s[i]); }

uint32_t BigEndian(std::string_view s, size_t count) {
  uint32_t value = 0;
  for (size_t i = 0; i < count; ++i) value = (value << 8) | Byte(s, i);
  return value;
}

uint32_t Syncsafe(std::string_view s) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value = (value << 7) | (Byte(s, i) & 0x7F);
  return value;
}

// Some 2.4 writers store plain sizes; a byte with its top bit set cannot be syncsafe.
uint32_t FrameSize24(std::string_view s) {
  for (size_t i = 0; i < 4; ++i)
    if (Byte(s, i) & 0x80) return BigEndian(s, 4);
  return Syncsafe(s);
}

std::string BigEndianBytes(uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
          static_cast<char>(value >> 8), static_cast<char>(value)};
}

// Undoes unsynchronisation: every $FF $00 stood for a lone $FF.
std::string Resynchronised(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    out += s[i];
    if (Byte(s, i) == 0xFF && i + 1 < s.size() && s[i + 1] == '\0') ++i;
  }
  return out;
}

bool IsFrameIdChar(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

std::wstring DecodeUtf16(std::string_view s, bool bigEndian) {
  // A byte-order mark overrides the encoding's own order.
  if (s.starts_with("\xFF\xFE") || s.starts_with("\xFE\xFF")) {
    bigEndian = Byte(s, 0) == 0xFE;
    s.remove_prefix(2);
  }
  std::wstring w;
  w.reserve(s.size() / 2);
  for (size_t i = 0; i + 1 < s.size(); i += 2) {
    const auto unit = static_cast<wchar_t>(bigEndian ? (Byte(s, i) << 8) | Byte(s, i + 1)
                                                     : Byte(s, i) | (Byte(s, i + 1) << 8));
    w += unit;
  }
  return w;
}

// Bytes: one text without its terminator; encodings 1 to 3.
std::wstring DecodeWide(uint8_t encoding, std::string_view bytes) {
  std::wstring w;
  if (encoding == 3) {
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    w = UTF8ToWideString(std::string(bytes));
  } else {
    w = DecodeUtf16(bytes, encoding == 2);
  }
  // Writers that repeat the byte-order mark leave it inside the text.
  std::erase(w, L'\xFEFF');
  return w;
}

std::string Utf16WithMark(const std::wstring& w) {
  std::string out = "\xFF\xFE";
  for (wchar_t c : w) out += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return out;
}

// The 2.2 frames that have a 2.3 counterpart of the same layout (PIC aside).
// Not carried: CRM (encrypted meta frame), LNK (links by three-letter id) and
// ids no standard defines beyond the iTunes sort and compilation frames.
constexpr std::pair<std::string_view, std::string_view> kIds22[] = {
    {"BUF", "RBUF"}, {"CNT", "PCNT"}, {"COM", "COMM"}, {"CRA", "AENC"}, {"ETC", "ETCO"},
    {"EQU", "EQUA"}, {"GEO", "GEOB"}, {"IPL", "IPLS"}, {"MCI", "MCDI"}, {"MLL", "MLLT"},
    {"PIC", "APIC"}, {"POP", "POPM"}, {"REV", "RVRB"}, {"RVA", "RVAD"}, {"SLT", "SYLT"},
    {"STC", "SYTC"}, {"TAL", "TALB"}, {"TBP", "TBPM"}, {"TCM", "TCOM"}, {"TCO", "TCON"},
    {"TCR", "TCOP"}, {"TDA", "TDAT"}, {"TDY", "TDLY"}, {"TEN", "TENC"}, {"TFT", "TFLT"},
    {"TIM", "TIME"}, {"TKE", "TKEY"}, {"TLA", "TLAN"}, {"TLE", "TLEN"}, {"TMT", "TMED"},
    {"TOA", "TOPE"}, {"TOF", "TOFN"}, {"TOL", "TOLY"}, {"TOR", "TORY"}, {"TOT", "TOAL"},
    {"TP1", "TPE1"}, {"TP2", "TPE2"}, {"TP3", "TPE3"}, {"TP4", "TPE4"}, {"TPA", "TPOS"},
    {"TPB", "TPUB"}, {"TRC", "TSRC"}, {"TRD", "TRDA"}, {"TRK", "TRCK"}, {"TSI", "TSIZ"},
    {"TSS", "TSSE"}, {"TT1", "TIT1"}, {"TT2", "TIT2"}, {"TT3", "TIT3"}, {"TXT", "TEXT"},
    {"TXX", "TXXX"}, {"TYE", "TYER"}, {"UFI", "UFID"}, {"ULT", "USLT"}, {"WAF", "WOAF"},
    {"WAR", "WOAR"}, {"WAS", "WOAS"}, {"WCM", "WCOM"}, {"WCP", "WCOP"}, {"WPB", "WPUB"},
    {"WXX", "WXXX"}, {"TCP", "TCMP"}, {"TST", "TSOT"}, {"TSA", "TSOA"}, {"TSP", "TSOP"},
    {"TS2", "TSO2"}, {"TSC", "TSOC"}};

std::string_view Id23Of22(std::string_view id) {
  for (const auto& [old, now] : kIds22)
    if (old == id) return now;
  return {};
}

// PIC names its image format by three letters where APIC wants a MIME type.
bool PictureFrom22(std::string_view data, std::string& out) {
  if (data.size() < 5) return false;
  std::string format(data.substr(1, 3));
  std::string mime;
  if (format == "JPG") {
    mime = "image/jpeg";
  } else if (format == "-->") {
    mime = format;
  } else {
    std::transform(format.begin(), format.end(), format.begin(),
                   [](char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    mime = "image/" + format;
  }
  out = std::string(data.substr(0, 1)) + mime + '\0' + std::string(data.substr(4));
  return true;
}

}  // namespace

bool ReadID3v2Header(std::string_view Bytes, TID3v2Header& Header) {
  Header = TID3v2Header();
  if (Bytes.size() < 10) return false;
  Header.Valid = Bytes.starts_with("ID3");
  Header.Version = Byte(Bytes, 3);
  Header.Revision = Byte(Bytes, 4);
  Header.Flags = Byte(Bytes, 5);
  Header.BodySize = Syncsafe(Bytes.substr(6, 4));
  return true;
}

std::vector<TID3v2Frame> ReadID3v2Frames(const TID3v2Header& Header, std::string_view Tag) {
  std::vector<TID3v2Frame> frames;
  const uint8_t version = Header.Version;
  if (!Header.Valid || version < 2 || version > 4 || Tag.size() < 10) return frames;
  // 2.2 reserved this flag for a compression scheme it never defined.
  if (version == 2 && (Header.Flags & 0x40)) return frames;
  std::string_view body = Tag.substr(10, Header.BodySize);
  std::string resynchronised;
  if (version < 4 && (Header.Flags & 0x80)) {
    resynchronised = Resynchronised(body);
    body = resynchronised;
  }

  size_t pos = 0;
  if (version >= 3 && (Header.Flags & 0x40)) {
    if (body.size() < 6) return frames;
    // 2.3 counts the extended header without its size field, 2.4 with it.
    const uint64_t skip = version == 3 ? 4ull + BigEndian(body, 4) : Syncsafe(body);
    if (skip < 6 || skip > body.size()) return frames;
    pos = static_cast<size_t>(skip);
  }

  const size_t idSize = version == 2 ? 3 : 4;
  const size_t headerSize = version == 2 ? 6 : 10;
  while (body.size() - pos >= headerSize) {
    const std::string_view head = body.substr(pos, headerSize);
    if (!std::all_of(head.begin(), head.begin() + idSize, IsFrameIdChar) || head[0] < 'A') break;
    TID3v2Frame frame;
    frame.ID = std::string(head.substr(0, idSize));
    uint32_t size;
    if (version == 2) {
      size = BigEndian(head.substr(3), 3);
    } else {
      size = version == 3 ? BigEndian(head.substr(4), 4) : FrameSize24(head.substr(4));
      frame.StatusFlags = Byte(head, 8);
      frame.FormatFlags = Byte(head, 9);
    }
    pos += headerSize;
    if (size > body.size() - pos) break;
    if (size > 0) {
      frame.Data = std::string(body.substr(pos, size));
      frames.push_back(std::move(frame));
    }
    pos += size;
  }
  return frames;
}

bool ID3v2FrameContent(const TID3v2Header& Header, const TID3v2Frame& Frame, std::string& Content) {
  std::string_view data = Frame.Data;
  const uint8_t flags = Frame.FormatFlags;
  if (Header.Version == 3) {
    if (flags & 0xC0) return false;
    if (flags & 0x20) {
      if (data.empty()) return false;
      data.remove_prefix(1);
    }
  } else if (Header.Version == 4) {
    if (flags & 0x0C) return false;
    const size_t skip = ((flags & 0x40) ? 1 : 0) + ((flags & 0x01) ? 4 : 0);
    if (data.size() < skip) return false;
    data.remove_prefix(skip);
    if ((flags & 0x02) || (Header.Flags & 0x80)) {
      Content = Resynchronised(data);
      return true;
    }
  }
  Content = std::string(data);
  return true;
}

size_t ID3v2TerminatorSize(uint8_t Encoding) { return Encoding == 1 || Encoding == 2 ? 2 : 1; }

size_t FindID3v2Terminator(uint8_t Encoding, std::string_view Bytes, size_t From) {
  if (ID3v2TerminatorSize(Encoding) == 1) return Bytes.find('\0', From);
  for (size_t i = From; i + 1 < Bytes.size(); i += 2)
    if (Bytes[i] == '\0' && Bytes[i + 1] == '\0') return i;
  return std::string_view::npos;
}

std::string ID3v2TextToAnsi(uint8_t Encoding, std::string_view Bytes) {
  if (Encoding > 3) return {};
  Bytes = Bytes.substr(0, FindID3v2Terminator(Encoding, Bytes, 0));
  if (Encoding == 0) return std::string(Bytes);
  return WideToAnsi(DecodeWide(Encoding, Bytes));
}

std::wstring ID3v2TextToWide(uint8_t Encoding, std::string_view Bytes) {
  if (Encoding > 3) return {};
  Bytes = Bytes.substr(0, FindID3v2Terminator(Encoding, Bytes, 0));
  if (Encoding != 0) return DecodeWide(Encoding, Bytes);
  return AnsiToWide(std::string(Bytes));
}

bool ID3v2FitsEncodingZero(const std::wstring& Text) { return AnsiToWide(WideToAnsi(Text)) == Text; }

std::string ID3v2TextBytes(uint8_t Encoding, const std::wstring& Text) {
  if (Encoding == 1) return Utf16WithMark(Text);
  if (Encoding == 3) return WideStringToUTF8(Text);
  return WideToAnsi(Text);
}

bool ConvertID3v2FrameTo23(const TID3v2Header& Header, const TID3v2Frame& Frame, TID3v2Frame& Out) {
  if (Header.Version == 3) {
    Out = Frame;
    return true;
  }
  if (Header.Version != 2) return false;
  const std::string_view id = Id23Of22(Frame.ID);
  if (id.empty()) return false;
  Out = TID3v2Frame();
  Out.ID = std::string(id);
  if (Frame.ID == "PIC") return PictureFrom22(Frame.Data, Out.Data);
  Out.Data = Frame.Data;
  return true;
}

void AppendID3v2Frame(std::string& Tag, const TID3v2Frame& Frame, uint8_t Version) {
  const auto size = static_cast<uint32_t>(Frame.Data.size());
  Tag += Frame.ID;
  Tag += Version == 4 ? ID3v2SyncsafeBytes(size) : BigEndianBytes(size);
  Tag += static_cast<char>(Frame.StatusFlags);
  Tag += static_cast<char>(Frame.FormatFlags);
  Tag += Frame.Data;
}

std::string ID3v2SyncsafeBytes(uint32_t Value) {
  return {static_cast<char>((Value >> 21) & 0x7F), static_cast<char>((Value >> 14) & 0x7F),
          static_cast<char>((Value >> 7) & 0x7F), static_cast<char>(Value & 0x7F)};
}
