#include "foundation/wide_copy.h"

wchar_t* WideStrLCopy(wchar_t* Dest, const wchar_t* Source, uint32_t MaxLen) {
  if (Dest == nullptr) return Dest;
  uint32_t i = 0;
  if (Source != nullptr)
    for (; i < MaxLen && Source[i] != L'\0'; ++i) Dest[i] = Source[i];
  Dest[i] = L'\0';
  return Dest;
}

wchar_t* WideStrPLCopy(wchar_t* Dest, const std::wstring& Source, uint32_t MaxLen) {
  if (Dest == nullptr) return Dest;
  // Bounded by the string's own length as well, never read past its end.
  uint32_t limit = Source.size() < MaxLen ? static_cast<uint32_t>(Source.size()) : MaxLen;
  return WideStrLCopy(Dest, Source.c_str(), limit);
}

wchar_t* WideStrPCopy(wchar_t* Dest, const std::wstring& Source) {
  return WideStrPLCopy(Dest, Source, 0x7FFFFFFF);
}
