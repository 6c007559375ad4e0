#include "skin/cool_ini.h"

#include "foundation/string_func.h"

std::string SkinValueAscii(const std::wstring& Text) {
  std::string ascii(Text.size(), '?');
  for (size_t i = 0; i < Text.size(); ++i)
    if (Text[i] > 0 && Text[i] < 0x80) ascii[i] = static_cast<char>(Text[i]);
  return ascii;
}

POINT TCoolIni::ReadPoint(const std::wstring& Section, const std::wstring& Ident) const {
  POINT p{};
  StrToPoint(SkinValueAscii(ReadString(Section, Ident, L"0,0")), p);
  return p;
}

RGBTRIPLE TCoolIni::ReadRGB(const std::wstring& Section, const std::wstring& Ident) const {
  RGBTRIPLE c{};
  if (!StrToRGBTriple(SkinValueAscii(ReadString(Section, Ident, L"0,0,0")), c)) c = RGBTRIPLE{};
  return c;
}

TColor TCoolIni::ReadColor(const std::wstring& Ident, TColor Missing) const {
  return static_cast<TColor>(ReadInteger(L"Colors", Ident, static_cast<int32_t>(Missing)));
}
