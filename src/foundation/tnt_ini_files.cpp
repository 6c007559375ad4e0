#include "foundation/tnt_ini_files.h"

#include <windows.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

#include "foundation/tnt_string_list.h"
#include "foundation/tnt_sysutils.h"
#include "framework/wide_strings.h"

namespace {

constexpr DWORD kValueBufferLength = 4096;  // characters, with the terminating NUL
constexpr DWORD kNameListBufferLength = 32768;

// The profile calls strip trailing blanks from the default they are handed, so
// a caption such as "Language " would come back as "Language" for a missing
// key. They get this instead, and a missing key is told by it.
constexpr wchar_t kNoValue[] = L"\uE000\uE001\uE002";

// Decimal, or hexadecimal after "$", with blanks before the sign; a
// hexadecimal text may spell a negative number as its 32-bit pattern.
std::optional<int32_t> ParseInteger(const std::wstring& Text) {
  size_t i = 0;
  while (i < Text.size() && Text[i] == L' ') ++i;
  bool negative = false;
  if (i < Text.size() && (Text[i] == L'-' || Text[i] == L'+')) negative = Text[i++] == L'-';
  int base = 10;
  if (i < Text.size() && Text[i] == L'$') {
    base = 16;
    ++i;
  }
  if (i == Text.size()) return std::nullopt;
  uint64_t value = 0;
  for (; i < Text.size(); ++i) {
    const wchar_t c = Text[i];
    const int digit = c >= L'0' && c <= L'9'   ? c - L'0'
                      : c >= L'a' && c <= L'f' ? c - L'a' + 10
                      : c >= L'A' && c <= L'F' ? c - L'A' + 10
                                               : 99;
    if (digit >= base) return std::nullopt;
    value = value * base + digit;
    if (value > 0xFFFFFFFFull) return std::nullopt;
  }
  if (base == 16) {
    const auto pattern = static_cast<int32_t>(static_cast<uint32_t>(value));
    return negative ? static_cast<int32_t>(0u - static_cast<uint32_t>(pattern)) : pattern;
  }
  if (value > (negative ? 0x80000000ull : 0x7FFFFFFFull)) return std::nullopt;
  return negative ? static_cast<int32_t>(-static_cast<int64_t>(value))
                  : static_cast<int32_t>(value);
}

std::optional<double> ParseFloat(const std::wstring& Text) {
  std::string ascii;
  for (wchar_t c : Text) {
    if (c <= 0 || c >= 0x80) return std::nullopt;
    ascii += static_cast<char>(c);
  }
  double value = 0;
  const char* end = ascii.data() + ascii.size();
  auto [stop, error] = std::from_chars(ascii.data(), end, value);
  if (ascii.empty() || error != std::errc() || stop != end || !std::isfinite(value))
    return std::nullopt;
  return value;
}

// The NUL-separated names the profile call copies, ended by an empty one.
std::vector<std::wstring> ReadNames(const std::wstring& FileName, const wchar_t* Section) {
  std::vector<wchar_t> buffer(kNameListBufferLength, L'\0');
  const DWORD copied = GetPrivateProfileStringW(Section, nullptr, L"", buffer.data(),
                                                kNameListBufferLength, FileName.c_str());
  std::vector<std::wstring> names;
  size_t start = 0;
  for (size_t i = 0; i < copied && i < buffer.size(); ++i) {
    if (buffer[i] != L'\0') continue;
    if (i == start) break;
    names.emplace_back(buffer.data() + start, i - start);
    start = i + 1;
  }
  return names;
}

void FillStrings(TWideStrings* Strings, const std::vector<std::wstring>& Lines) {
  Strings->BeginUpdate();
  try {
    Strings->Clear();
    for (const std::wstring& line : Lines) Strings->Add(line);
  } catch (...) {
    Strings->EndUpdate();
    throw;
  }
  Strings->EndUpdate();
}

// A file the profile calls create themselves is written in the code page and
// loses everything outside it; one that starts with FF FE stays UTF-16. The
// mark goes into a temporary file first, so no half-made file ever carries
// the name. A bare name is left alone: the profile calls look for it in the
// Windows folder, not the current one.
void EnsureUnicodeFile(const std::wstring& FileName) {
  if (WideExtractFilePath(FileName).empty()) return;
  if (GetFileAttributesW(FileName.c_str()) != INVALID_FILE_ATTRIBUTES) return;
  const std::wstring folder = WideExtractFilePath(WideExpandFileName(FileName));
  wchar_t tempName[MAX_PATH + 1] = {};
  if (!GetTempFileNameW(folder.c_str(), L"ini", 0, tempName)) return;
  HANDLE h = CreateFileW(tempName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  bool written = false;
  if (h != INVALID_HANDLE_VALUE) {
    static constexpr BYTE kMark[2] = {0xFF, 0xFE};
    DWORD count = 0;
    written = WriteFile(h, kMark, sizeof kMark, &count, nullptr) && count == sizeof kMark;
    CloseHandle(h);
  }
  // No replacing: a file that appeared meanwhile is kept as it is.
  if (!written || !MoveFileExW(tempName, FileName.c_str(), MOVEFILE_WRITE_THROUGH))
    DeleteFileW(tempName);
}

}  // namespace

// ------------------------------------------------------------ TTntCustomIniFile

TTntCustomIniFile::TTntCustomIniFile(std::wstring FileName) : FFileName(std::move(FileName)) {}

int32_t TTntCustomIniFile::ReadInteger(const std::wstring& Section, const std::wstring& Ident,
                                       int32_t Default) const {
  std::wstring text = ReadString(Section, Ident, L"");
  if (text.size() >= 3 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X'))
    text.replace(0, 2, L"$");
  return ParseInteger(text).value_or(Default);
}

void TTntCustomIniFile::WriteInteger(const std::wstring& Section, const std::wstring& Ident,
                                     int32_t Value) {
  WriteString(Section, Ident, std::to_wstring(Value));
}

bool TTntCustomIniFile::ReadBool(const std::wstring& Section, const std::wstring& Ident,
                                 bool Default) const {
  return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TTntCustomIniFile::WriteBool(const std::wstring& Section, const std::wstring& Ident,
                                  bool Value) {
  WriteString(Section, Ident, Value ? L"1" : L"0");
}

double TTntCustomIniFile::ReadFloat(const std::wstring& Section, const std::wstring& Ident,
                                    double Default) const {
  return ParseFloat(ReadString(Section, Ident, L"")).value_or(Default);
}

void TTntCustomIniFile::WriteFloat(const std::wstring& Section, const std::wstring& Ident,
                                   double Value) {
  char text[64];
  auto [end, error] = std::to_chars(text, text + sizeof text, Value);
  if (error != std::errc()) end = text;
  WriteString(Section, Ident, std::wstring(text, end));
}

void TTntCustomIniFile::ReadSectionsStartingWith(const std::wstring& Prefix,
                                                 TWideStrings* Strings) const {
  ReadSections(Strings);
  for (int32_t i = Strings->Count() - 1; i >= 0; --i) {
    if (WideCompareText(Strings->Strings(i).substr(0, Prefix.size()), Prefix) != 0)
      Strings->Delete(i);
  }
}

bool TTntCustomIniFile::ValueExists(const std::wstring& Section, const std::wstring& Ident) const {
  TTntStringList keys;
  ReadSection(Section, &keys);
  return keys.IndexOf(Ident) >= 0;
}

// ------------------------------------------------------------ TTntIniFile

TTntIniFile::~TTntIniFile() { UpdateFile(); }

std::wstring TTntIniFile::ReadString(const std::wstring& Section, const std::wstring& Ident,
                                     const std::wstring& Default) const {
  std::vector<wchar_t> buffer(kValueBufferLength, L'\0');
  const DWORD copied =
      GetPrivateProfileStringW(Section.c_str(), Ident.c_str(), kNoValue, buffer.data(),
                               kValueBufferLength, FileName().c_str());
  std::wstring value(buffer.data(), std::min<DWORD>(copied, kValueBufferLength - 1));
  return value == kNoValue ? Default : value;
}

void TTntIniFile::WriteString(const std::wstring& Section, const std::wstring& Ident,
                              const std::wstring& Value) {
  EnsureUnicodeFile(FileName());
  if (!WritePrivateProfileStringW(Section.c_str(), Ident.c_str(), Value.c_str(),
                                  FileName().c_str()))
    throw EIniFileException(L"Unable to write to %s", {FileName()});
}

void TTntIniFile::ReadSection(const std::wstring& Section, TWideStrings* Strings) const {
  FillStrings(Strings, ReadNames(FileName(), Section.c_str()));
}

void TTntIniFile::ReadSections(TWideStrings* Strings) const {
  FillStrings(Strings, ReadNames(FileName(), nullptr));
}

void TTntIniFile::ReadSectionValues(const std::wstring& Section, TWideStrings* Strings) const {
  std::vector<std::wstring> lines;
  for (const std::wstring& key : ReadNames(FileName(), Section.c_str()))
    lines.push_back(key + L"=" + ReadString(Section, key, L""));
  FillStrings(Strings, lines);
}

// Removing what is not there is no failure, so neither of these raises; the
// profile call would report a missing section as one.
void TTntIniFile::EraseSection(const std::wstring& Section) {
  if (GetFileAttributesW(FileName().c_str()) == INVALID_FILE_ATTRIBUTES) return;
  WritePrivateProfileStringW(Section.c_str(), nullptr, nullptr, FileName().c_str());
}

void TTntIniFile::DeleteKey(const std::wstring& Section, const std::wstring& Ident) {
  if (GetFileAttributesW(FileName().c_str()) == INVALID_FILE_ATTRIBUTES) return;
  WritePrivateProfileStringW(Section.c_str(), Ident.c_str(), nullptr, FileName().c_str());
}

void TTntIniFile::UpdateFile() {
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, FileName().c_str());
}
