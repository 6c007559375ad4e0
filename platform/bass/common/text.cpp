#include "bass/common/text.h"

#include "bass/bass_api.h"

namespace tavrin_bass {

std::wstring WideFromAnsi(const char* text) {
  if (text == nullptr) return std::wstring();
  int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (n <= 1) return std::wstring();
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), n);
  wide.resize(static_cast<size_t>(n - 1));
  return wide;
}

std::wstring NameArgument(const void* name, DWORD flags) {
  if (name == nullptr) return std::wstring();
  if (flags & BASS_UNICODE) return static_cast<const wchar_t*>(name);
  return WideFromAnsi(static_cast<const char*>(name));
}

}  // namespace tavrin_bass
