#include "foundation/safe_file_name.h"

#include <cwctype>
#include <string_view>

namespace {

bool Forbidden(wchar_t C) {
  return C < 32 || std::wstring_view(L"<>:\"/\\|?*").find(C) != std::wstring_view::npos;
}

bool Trimmed(wchar_t C) { return C == L' ' || C == L'.'; }

// Windows takes these for devices whatever extension follows ("con.mp3").
bool IsDeviceName(const std::wstring& Name) {
  std::wstring stem = Name.substr(0, Name.find(L'.'));
  while (!stem.empty() && stem.back() == L' ') stem.pop_back();
  for (wchar_t& c : stem) c = static_cast<wchar_t>(std::towupper(c));
  if (stem == L"CON" || stem == L"PRN" || stem == L"AUX" || stem == L"NUL" || stem == L"CONIN$" ||
      stem == L"CONOUT$")
    return true;
  return stem.size() == 4 && (stem.starts_with(L"COM") || stem.starts_with(L"LPT")) && stem[3] >= L'1' &&
         stem[3] <= L'9';
}

void DropTrailing(std::wstring& Name) {
  while (!Name.empty() && Trimmed(Name.back())) Name.pop_back();
}

}  // namespace

std::wstring MakeSafeFileName(const std::wstring& Name) {
  std::wstring safe;
  safe.reserve(Name.size());
  for (wchar_t c : Name) safe += Forbidden(c) ? L'_' : c;
  const size_t first = safe.find_first_not_of(L' ');
  safe.erase(0, first == std::wstring::npos ? safe.size() : first);
  if (safe.size() > kMaxSafeFileNameLength) {
    size_t cut = kMaxSafeFileNameLength;
    // A high surrogate left without its partner would be no character.
    if (safe[cut - 1] >= 0xD800 && safe[cut - 1] <= 0xDBFF) --cut;
    safe.resize(cut);
  }
  DropTrailing(safe);
  if (safe.empty()) return L"_";
  if (IsDeviceName(safe)) safe.insert(0, 1, L'_');
  return safe;
}
