#include "playlist/m3u.h"

#include <cstdint>

#include "foundation/file_replace.h"
#include "foundation/tnt_classes.h"
#include "foundation/tnt_sysutils.h"
#include "foundation/tnt_text_reader.h"
#include "framework/streams.h"
#include "playlist/comp_list.h"

namespace {

// "#EXTINF:", a 32-bit number, the comma and the title.
static_assert(8 + 11 + 1 + kMaxElemTitle <= TTntTextReader::MaxLineLength);
static_assert(kMaxElemFileName <= TTntTextReader::MaxLineLength);

bool IsBlank(const std::wstring& Line) {
  return Line.find_first_not_of(L" \t") == std::wstring::npos;
}

// Sign and decimal digits only, within 32 bits: no spaces, no hexadecimal.
int32_t StrictStrToInt(const std::wstring& S) {
  size_t i = 0;
  bool negative = false;
  if (i < S.size() && (S[i] == L'-' || S[i] == L'+')) negative = S[i++] == L'-';
  int64_t value = 0;
  bool ok = i < S.size();
  for (; ok && i < S.size(); ++i) {
    if (S[i] < L'0' || S[i] > L'9') {
      ok = false;
    } else {
      value = value * 10 + (S[i] - L'0');
      ok = value <= int64_t{INT32_MAX} + 1;
    }
  }
  if (negative) value = -value;
  if (!ok || value > INT32_MAX || value < INT32_MIN)
    throw EConvertError(L"'%s' is not a valid integer value", {S});
  return static_cast<int32_t>(value);
}

// A line break or NUL inside a field would split its pair or end the text.
bool IsControl(wchar_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029; }

void AppendField(std::wstring& Out, const std::wstring& Field) {
  for (wchar_t c : Field) Out += IsControl(c) ? L' ' : c;
}

// A field read takes the form the writer would give it, so a loaded list
// saves and loads back as it is.
std::wstring ReadField(std::wstring Field) {
  for (wchar_t& c : Field)
    if (IsControl(c)) c = L' ';
  return Field;
}

TElem ParsePair(const std::wstring& Info, const std::wstring& Path, const std::wstring& Playlist) {
  TElem elem;
  const size_t colon = Info.find(L':');
  const size_t comma = Info.find(L',');
  const size_t first = colon == std::wstring::npos ? 0 : colon + 1;
  const size_t last = comma == std::wstring::npos ? 0 : comma;  // one past the number
  elem.Duration = StrictStrToInt(last > first ? Info.substr(first, last - first) : std::wstring());
  elem.Title = ElemTitleCut(ReadField(Info.substr(comma + 1)));
  elem.FileName = ResolvePlaylistPath(Playlist, ReadField(Path));
  return elem;
}

// Lines go out in blocks, so memory stays small whatever the playlist's size.
class LineWriter {
 public:
  explicit LineWriter(TStream& Stream) : FStream(Stream) { FBuffer.reserve(kBlock + 4096); }
  std::wstring& Buffer() { return FBuffer; }
  void EndLine() {
    FBuffer += L"\r\n";
    if (FBuffer.size() >= kBlock) Flush();
  }
  void Flush() {
    // wchar_t is UTF-16LE on this platform: the buffer's memory is the file's body.
    if (!FBuffer.empty())
      FStream.WriteBuffer(FBuffer.data(), static_cast<int32_t>(FBuffer.size() * sizeof(wchar_t)));
    FBuffer.clear();
  }

 private:
  static constexpr size_t kBlock = 32768;
  TStream& FStream;
  std::wstring FBuffer;
};

}  // namespace

std::wstring ResolvePlaylistPath(const std::wstring& PlaylistName, const std::wstring& Line) {
  if (TCompList::IsURL(Line)) return Line;
  if ((Line.size() >= 2 && Line[1] == L':') || Line.starts_with(L"\\\\")) return Line;
  if (Line.starts_with(L'\\')) return WideExtractFileDrive(PlaylistName) + Line;
  return WideExtractFilePath(PlaylistName) + Line;
}

bool ReadExtendedM3U(const std::wstring& FileName, const std::function<void(TElem& Elem)>& Add) {
  const std::wstring playlist = WideExpandFileName(FileName);
  TTntFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  TTntTextReader reader(&stream);
  std::wstring line;
  if (!reader.ReadLine(line))
    throw EPlaylistError(L"\"%s\" is not a playlist: it holds no lines", {playlist});
  if (line.empty())
    throw EPlaylistError(L"\"%s\" is not a playlist: its first line is empty", {playlist});
  if (line[0] != L'#') return false;

  std::wstring info;
  bool haveInfo = false;
  bool blankAfterInfo = false;
  while (reader.ReadLine(line)) {
    if (!haveInfo) {
      if (IsBlank(line)) continue;
      info.swap(line);
      haveInfo = true;
      blankAfterInfo = false;
      continue;
    }
    if (IsBlank(line)) {
      blankAfterInfo = true;
      continue;
    }
    if (blankAfterInfo && line[0] == L'#') {
      // The blank was this pair's path: it has no file, and this line begins
      // the next pair.
      info.swap(line);
      blankAfterInfo = false;
      continue;
    }
    TElem elem = ParsePair(info, line, playlist);
    haveInfo = false;
    if (FileNameFitsElem(elem.FileName)) Add(elem);
  }
  // A zero in the middle is damage (a crash mid-write, a bad sector), not the
  // end of the list: a caller that took it for the end would save the cut.
  if (reader.StoppedEarly())
    throw EPlaylistError(L"\"%s\" is damaged: its text stops before the end of the file", {playlist});
  return true;
}

void WriteExtendedM3U(const std::wstring& FileName, int32_t Count,
                      const std::function<const TElem&(int32_t Index)>& Entry) {
  WideWriteFileReplacing(FileName, [&](TStream& stream) {
    stream.WriteBuffer("\xFF\xFE", 2);
    LineWriter out(stream);
    out.Buffer() += L"#EXTM3U";
    out.EndLine();
    for (int32_t i = 0; i < Count; ++i) {
      const TElem& elem = Entry(i);
      if (!FileNameFitsElem(elem.FileName)) continue;
      out.Buffer() += L"#EXTINF:";
      out.Buffer() += std::to_wstring(elem.Duration);
      out.Buffer() += L',';
      AppendField(out.Buffer(), ElemTitleCut(elem.Title));
      out.EndLine();
      AppendField(out.Buffer(), elem.FileName);
      out.EndLine();
    }
    out.Flush();
  });
}
