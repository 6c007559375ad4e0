#include "engine/bass_player_text.h"

#include <cctype>
#include <cstring>

namespace {

constexpr size_t kMaxStrings = 4096;
constexpr size_t kMaxBytes = 1 << 20;

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// The text after key in s, or nullptr-like npos when key is absent.
bool ValueAfter(const std::string& s, const char* key, std::string& value) {
  size_t p = s.find(key);
  if (p == std::string::npos) return false;
  value = s.substr(p + std::strlen(key));
  return true;
}

}  // namespace

std::vector<std::string> TagStrings(const char* list) {
  std::vector<std::string> strings;
  if (list == nullptr) return strings;
  size_t total = 0;
  while (*list != '\0' && strings.size() < kMaxStrings && total < kMaxBytes) {
    size_t n = strnlen(list, kMaxBytes - total);
    strings.emplace_back(list, n);
    total += n + 1;
    list += n + 1;
  }
  return strings;
}

std::string StreamTitleOf(const std::string& s) {
  size_t p = s.find("StreamTitle=");
  if (p == std::string::npos) return std::string();
  size_t start = p + 13;  // past StreamTitle='
  size_t q = s.find(';', p);
  size_t end = q == std::string::npos ? (s.empty() ? 0 : s.size() - 1) : q - 1;  // before the closing quote
  if (end <= start || start > s.size()) return std::string();
  return s.substr(start, end - start);
}

std::string MetaTitleOf(const char* data) {
  if (data == nullptr) return std::string();
  // A stream's metadata is one string; only an Ogg stream's comments are a
  // list, so the list is walked only when the first string is no StreamTitle.
  const std::string first(data, strnlen(data, kMaxBytes));
  if (first.find("StreamTitle=") != std::string::npos) return StreamTitleOf(first);
  return TitleCommentOf(TagStrings(data));
}

std::string TitleCommentOf(const std::vector<std::string>& strings) {
  for (const std::string& s : strings) {
    if (Upper(s.substr(0, 6)) == "TITLE=") return s.substr(6);
  }
  return std::string();
}

std::string TitleFromURL(const std::string& url) {
  int len = static_cast<int>(url.size());
  for (int i = len - 6; i >= 5; --i) {
    if (url[static_cast<size_t>(i)] == '/') return url.substr(static_cast<size_t>(i) + 1, static_cast<size_t>(len - i - 5));
  }
  return std::string();
}

int32_t LeadingNumber(const std::string& s) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  int64_t value = 0;
  for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) {
    value = value * 10 + (s[i] - '0');
    if (value > INT32_MAX) return INT32_MAX;
  }
  return static_cast<int32_t>(value);
}

void ReadWMAAttributes(const std::vector<std::string>& attributes, TStreamInfo& Info) {
  std::string value;
  for (const std::string& s : attributes) {
    if (ValueAfter(s, "FileSize : ", value)) Info.FileSize = static_cast<uint32_t>(LeadingNumber(value));
    if (ValueAfter(s, "Bitrate : ", value)) Info.BitRate = LeadingNumber(value) / 1000;
    if (ValueAfter(s, "Title : ", value)) Info.Title = value;
  }
}
