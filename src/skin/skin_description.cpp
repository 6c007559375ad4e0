#include "skin/skin_description.h"

#include <windows.h>

#include <algorithm>

#include "foundation/string_func.h"
#include "foundation/tnt_strings.h"
#include "framework/wide_strings.h"
#include "skin/hue_shift.h"

namespace {

constexpr size_t kMaxValueLength = 4095;

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring Trim(const std::wstring& Text) {
  size_t begin = 0, end = Text.size();
  while (begin < end && IsBlank(Text[begin])) ++begin;
  while (end > begin && IsBlank(Text[end - 1])) --end;
  return Text.substr(begin, end - begin);
}

bool SameName(const std::wstring& A, const std::wstring& B) {
  return A.size() == B.size() &&
         CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, A.data(), static_cast<int>(A.size()),
                        B.data(), static_cast<int>(B.size())) == CSTR_EQUAL;
}

void Fill(TWideStrings* Strings, const std::vector<std::wstring>& Lines) {
  if (!Strings) return;
  Strings->BeginUpdate();
  Strings->Clear();
  for (const std::wstring& line : Lines) Strings->Add(line);
  Strings->EndUpdate();
}

std::string ReadBounded(const std::wstring& FileName) {
  HANDLE file = CreateFileW(FileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes(MaxSkinDescriptionBytes, '\0');
  DWORD read = 0;
  if (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) read = 0;
  CloseHandle(file);
  bytes.resize(read);
  return bytes;
}

std::string BuiltInText() {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, L"SKIN", L"TXT");
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return {};
  const DWORD size = std::min<DWORD>(SizeofResource(module, found), MaxSkinDescriptionBytes);
  return std::string(static_cast<const char*>(data), size);
}

}  // namespace

std::wstring DecodeSkinText(const std::string& Bytes) {
  const std::string_view all(Bytes.data(), std::min(Bytes.size(), MaxSkinDescriptionBytes));
  auto startsWith = [&](std::string_view mark) { return all.substr(0, mark.size()) == mark; };
  if (startsWith("\xFF\xFE")) return TntDecodeText(all.substr(2), csUnicode);
  if (startsWith("\xFE\xFF")) return TntDecodeText(all.substr(2), csUnicodeSwapped);
  if (startsWith("\xEF\xBB\xBF")) return TntDecodeText(all.substr(3), csUtf8);
  return TntDecodeText(all, csAnsi);
}

TCoolIniText::TCoolIniText(const std::wstring& Text, std::optional<int32_t> Hue)
    : TCoolIni(std::wstring()), FHue(Hue) {
  // As the profile functions read it, a NUL ends the text.
  const std::wstring text = Text.substr(0, Text.find(L'\0'));
  TSection* section = nullptr;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of(L"\r\n", pos);
    if (end == std::wstring::npos) end = text.size();
    const std::wstring line = Trim(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line[0] == L';') continue;
    if (line[0] == L'[') {
      const size_t close = line.find(L']');
      FSections.push_back(
          TSection{Trim(close == std::wstring::npos ? line.substr(1) : line.substr(1, close - 1)), {}});
      section = &FSections.back();
      continue;
    }
    const size_t equals = line.find(L'=');
    if (!section || equals == std::wstring::npos) continue;
    std::wstring value = Trim(line.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') &&
        value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    if (value.size() > kMaxValueLength) value.resize(kMaxValueLength);
    section->Keys.push_back(TKey{Trim(line.substr(0, equals)), std::move(value)});
  }
}

const TCoolIniText::TKey* TCoolIniText::Find(const std::wstring& Section,
                                             const std::wstring& Ident) const {
  for (const TSection& section : FSections) {
    if (!SameName(section.Name, Section)) continue;
    for (const TKey& key : section.Keys)
      if (SameName(key.Name, Ident)) return &key;
  }
  return nullptr;
}

// The picture's name is text that may look like anything.
bool TCoolIniText::ShiftsHue(const std::wstring& Section, const std::wstring& Ident) const {
  return FHue && SameName(Section, L"Colors") && !SameName(Ident, L"PLBGPic");
}

std::wstring TCoolIniText::ReadString(const std::wstring& Section, const std::wstring& Ident,
                                      const std::wstring& Default) const {
  const TKey* key = Find(Section, Ident);
  const std::wstring value = key ? key->Value : Default;
  RGBTRIPLE rgb{};
  // Only "r,g,b" here: plain colours are shifted once, by ReadInteger.
  if (!ShiftsHue(Section, Ident) || value.find(L',') == std::wstring::npos ||
      !StrToRGBTriple(SkinValueAscii(value), rgb))
    return value;
  ShiftHueRGB(*FHue, rgb);
  return std::to_wstring(rgb.rgbtRed) + L"," + std::to_wstring(rgb.rgbtGreen) + L"," +
         std::to_wstring(rgb.rgbtBlue);
}

int32_t TCoolIniText::ReadInteger(const std::wstring& Section, const std::wstring& Ident,
                                  int32_t Default) const {
  const int32_t value = TCoolIni::ReadInteger(Section, Ident, Default);
  if (!ShiftsHue(Section, Ident)) return value;
  return static_cast<int32_t>(ShiftHueColor(static_cast<TColor>(value), *FHue));
}

void TCoolIniText::ReadSection(const std::wstring& Section, TWideStrings* Strings) const {
  std::vector<std::wstring> names;
  for (const TSection& section : FSections)
    if (SameName(section.Name, Section))
      for (const TKey& key : section.Keys) names.push_back(key.Name);
  Fill(Strings, names);
}

void TCoolIniText::ReadSections(TWideStrings* Strings) const {
  std::vector<std::wstring> names;
  for (const TSection& section : FSections) names.push_back(section.Name);
  Fill(Strings, names);
}

void TCoolIniText::ReadSectionValues(const std::wstring& Section, TWideStrings* Strings) const {
  std::vector<std::wstring> lines;
  for (const TSection& section : FSections)
    if (SameName(section.Name, Section))
      for (const TKey& key : section.Keys) lines.push_back(key.Name + L"=" + key.Value);
  Fill(Strings, lines);
}

TSkinDescription::TSkinDescription(const std::wstring& Folder, bool BuiltIn,
                                   std::optional<int32_t> Hue) {
  const std::string bytes = BuiltIn ? BuiltInText() : ReadBounded(Folder + L"Skin.txt");
  FIni = std::make_unique<TCoolIniText>(DecodeSkinText(bytes), Hue);
}
