#include "localization/builtin_messages.h"

#include <map>
#include <utility>

namespace {

// The message sections of English.ini, as the build copies them.
constexpr wchar_t kEnglishMessages[] =
#include "english_messages.inc"
    ;

using TSectionMap = std::map<std::pair<std::wstring, std::wstring>, std::wstring>;

// Keys are matched without regard to case, as the profile calls do.
std::wstring Lowered(std::wstring Text) {
  for (wchar_t& c : Text)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  return Text;
}

std::wstring Trimmed(const std::wstring& Text) {
  const size_t first = Text.find_first_not_of(L" \t");
  if (first == std::wstring::npos) return std::wstring();
  return Text.substr(first, Text.find_last_not_of(L" \t") - first + 1);
}

TSectionMap ParseSections() {
  TSectionMap texts;
  std::wstring section;
  const std::wstring all(kEnglishMessages);
  size_t start = 0;
  while (start < all.size()) {
    size_t end = all.find(L'\n', start);
    if (end == std::wstring::npos) end = all.size();
    std::wstring line = all.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    if (line.size() >= 2 && line.front() == L'[' && line.back() == L']') {
      section = Lowered(line.substr(1, line.size() - 2));
      continue;
    }
    const size_t equals = line.find(L'=');
    if (equals == std::wstring::npos || equals == 0 || line.front() == L';') continue;
    // Blanks around, and one pair of quotes, go as the profile calls drop them.
    std::wstring text = Trimmed(line.substr(equals + 1));
    if (text.size() >= 2 && (text.front() == L'"' || text.front() == L'\'') && text.back() == text.front())
      text = text.substr(1, text.size() - 2);
    texts.emplace(std::make_pair(section, Lowered(Trimmed(line.substr(0, equals)))), text);
  }
  return texts;
}

}  // namespace

std::wstring BuiltinLanguageString(const std::wstring& Section, const std::wstring& Key,
                                   const std::wstring& Default) {
  static const TSectionMap texts = ParseSections();
  const auto found = texts.find({Lowered(Section), Lowered(Key)});
  return found == texts.end() ? Default : found->second;
}
