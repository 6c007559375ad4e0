#include "foundation/string_func.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

#include "foundation/tnt_strings.h"
#include "foundation/tnt_sysutils.h"

namespace {

template <class S>
bool IsBlankText(const S& s) {
  return std::all_of(s.begin(), s.end(), [](auto c) { return c == ' '; });
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The platform's integer reading for settings and skin texts: leading blanks,
// an optional sign, then decimal digits or "$"/"0x" with hexadecimal ones.
std::optional<int32_t> AnsiToInt(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  bool negative = false;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  int base = 10;
  if (!s.empty() && s.front() == '$') {
    base = 16;
    s.remove_prefix(1);
  } else if (s.size() > 1 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty()) return std::nullopt;
  int64_t value = 0;
  for (char c : s) {
    int digit = HexDigit(c);
    if (digit < 0 || digit >= base) return std::nullopt;
    value = value * base + digit;
    if (value > int64_t{1} << 32) return std::nullopt;
  }
  if (negative) value = -value;
  // Hexadecimal texts may spell the whole 32-bit pattern ($FFFFFFFF is -1).
  if (base == 16 && !negative && value <= std::numeric_limits<uint32_t>::max())
    return static_cast<int32_t>(static_cast<uint32_t>(value));
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
    return std::nullopt;
  return static_cast<int32_t>(value);
}

// The pieces of a pipe list that end in "|".
std::vector<std::wstring> PipePieces(const std::wstring& Text) {
  std::vector<std::wstring> pieces;
  size_t start = 0;
  for (size_t bar; (bar = Text.find(L'|', start)) != std::wstring::npos; start = bar + 1)
    pieces.push_back(Text.substr(start, bar - start));
  return pieces;
}

std::string TwoDigits(uint32_t n) {
  std::string s = std::to_string(n);
  return s.size() == 1 ? "0" + s : s;
}

}  // namespace

std::wstring IfEqual(const std::wstring& A, const std::wstring& B, const std::wstring& WhenEqual,
                     const std::wstring& WhenDifferent) {
  return A == B ? WhenEqual : WhenDifferent;
}

bool IsBlank(const std::wstring& S) { return IsBlankText(S); }

bool IsBlankAnsi(const std::string& S) { return IsBlankText(S); }

std::wstring JoinWithDash(const std::wstring& A, const std::wstring& B) {
  if (IsBlank(A)) return B;
  if (IsBlank(B)) return A;
  return A + L" - " + B;
}

bool StrToRGBTriple(const std::string& S, RGBTRIPLE& C) {
  C = RGBTRIPLE{};
  RGBTRIPLE parsed{};
  size_t start = 0;
  int index = 0;
  for (size_t comma; (comma = S.find(',', start)) != std::string::npos; start = comma + 1, ++index) {
    std::optional<int32_t> value = AnsiToInt(std::string_view(S).substr(start, comma - start));
    if (!value) return false;
    if (index == 0) parsed.rgbtRed = static_cast<BYTE>(*value);
    if (index == 1) parsed.rgbtGreen = static_cast<BYTE>(*value);
  }
  std::optional<int32_t> blue = AnsiToInt(std::string_view(S).substr(start));
  if (!blue) return false;
  parsed.rgbtBlue = static_cast<BYTE>(*blue);
  C = parsed;
  return true;
}

void StrToPoint(const std::string& S, POINT& P) {
  P = POINT{0, 0};
  size_t comma = S.find(',');
  if (comma == std::string::npos) return;
  std::optional<int32_t> x = AnsiToInt(std::string_view(S).substr(0, comma));
  std::optional<int32_t> y = AnsiToInt(std::string_view(S).substr(comma + 1));
  if (x && y) P = POINT{*x, *y};
}

std::wstring ListColumnsToPipeText(const TListColumnsAccess& Columns) {
  std::wstring text;
  for (int32_t i = 0; i < Columns.Count(); ++i) text += Columns.Caption(i) + L"|";
  return text;
}

void PipeTextToListColumns(const std::wstring& Text, TListColumnsAccess& Columns) {
  if (Columns.Count() == 0) return;
  std::vector<intptr_t> tags;
  for (int32_t i = 0; i < Columns.Count(); ++i) tags.push_back(Columns.Tag(i));
  Columns.Clear();
  std::vector<std::wstring> captions = PipePieces(Text);
  for (size_t i = 0; i < captions.size(); ++i) {
    int32_t width = i == 0 ? 50 : std::max(100, Columns.TextWidth(captions[i]) + 20);
    Columns.Add(captions[i], width);
  }
  for (int32_t i = 0; i < Columns.Count() && i < static_cast<int32_t>(tags.size()); ++i)
    Columns.SetTag(i, tags[i]);
}

std::wstring StringsToPipeText(const TTntStrings& Strings) {
  std::wstring text;
  for (int32_t i = 0; i < Strings.Count(); ++i) text += Strings.Strings(i) + L"|";
  return text;
}

void PipeTextToStrings(const std::wstring& Text, TTntStrings& Strings) {
  // One change for whoever watches the list, not one per line.
  Strings.BeginUpdate();
  try {
    Strings.Clear();
    for (const std::wstring& piece : PipePieces(Text)) Strings.Add(piece);
  } catch (...) {
    Strings.EndUpdate();
    throw;
  }
  Strings.EndUpdate();
}

std::wstring EnsureTrailingBackslash(const std::wstring& Path) {
  return !Path.empty() && Path.back() == L'\\' ? Path : Path + L"\\";
}

int32_t LeadingDigitsToInt(const std::wstring& S) {
  int64_t value = 0;
  for (wchar_t c : S) {
    if (c < L'0' || c > L'9') break;
    value = value * 10 + (c - L'0');
    if (value > std::numeric_limits<int32_t>::max()) return 0;
  }
  return static_cast<int32_t>(value);
}

std::string FormatMinSec(uint32_t Value, int32_t Units) {
  uint32_t minutes = 0, seconds = 0;
  if (Units == 0) {
    minutes = Value / 60;
    seconds = Value % 60;
  } else if (Units == 1) {
    minutes = Value / 60000;
    seconds = Value % 60000 / 1000;
  }
  return TwoDigits(minutes) + ":" + TwoDigits(seconds);
}

bool ConvertRadix(const std::string& Src, int32_t FromBase, std::string& Dest, int32_t& ErrorPos,
                  int32_t ToBase) {
  ErrorPos = 0;
  const int32_t fromBase = FromBase < 0 ? -FromBase : FromBase;
  if (fromBase < 2 || fromBase > 36 || ToBase < 2 || ToBase > 36) return false;
  static constexpr char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  Dest = Src;
  uint64_t value = 0;
  for (size_t i = 0; i < Src.size(); ++i) {
    char c = Src[i] >= 'a' && Src[i] <= 'z' ? static_cast<char>(Src[i] - 'a' + 'A') : Src[i];
    const char* found = std::find(kDigits, kDigits + fromBase, c);
    const uint64_t digit = static_cast<uint64_t>(found - kDigits);
    if (found == kDigits + fromBase || value > (UINT64_MAX - digit) / fromBase) {
      ErrorPos = static_cast<int32_t>(i);
      return false;
    }
    value = value * fromBase + digit;
  }
  if (value == 0) return true;
  std::string digits;
  for (; value > 0; value /= ToBase) digits.insert(digits.begin(), kDigits[value % ToBase]);
  Dest = (FromBase < 0 ? "-" : "") + digits;
  return true;
}

std::string PercentDecode(const std::string& S) {
  std::string result = S;
  // The decoded character is passed over, so "%2541" gives "%41", not "A".
  for (size_t i = 0; i + 2 < result.size(); ++i) {
    if (result[i] != '%') continue;
    int high = HexDigit(result[i + 1]), low = HexDigit(result[i + 2]);
    if (high < 0 || low < 0 || (high | low) == 0) continue;
    result[i] = static_cast<char>(high * 16 + low);
    result.erase(i + 1, 2);
  }
  return result;
}

std::wstring ExtractUrlPath(const std::wstring& URL) {
  size_t last = URL.find_last_of(L"/:");
  return last == std::wstring::npos ? L"" : URL.substr(0, last + 1);
}

std::wstring ExtractUrlFileName(const std::wstring& URL) {
  size_t last = URL.rfind(L'/');
  return last == std::wstring::npos ? URL : URL.substr(last + 1);
}

bool ForceDeleteFile(const std::wstring& FileName) {
  if (WideDeleteFile(FileName)) return true;
  uint32_t attributes = WideFileGetAttr(FileName);
  if (attributes == 0xFFFFFFFF || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  // The read-only bit is cleared even when it does not show: Wine running as
  // root reports a read-only file as writable yet still refuses to delete it.
  attributes &= ~uint32_t{FILE_ATTRIBUTE_READONLY};
  return WideFileSetAttr(FileName, attributes ? attributes : FILE_ATTRIBUTE_NORMAL) &&
         WideDeleteFile(FileName);
}
