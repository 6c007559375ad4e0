#include "skin/cool_ini.h"

#include "foundation/string_func.h"

namespace {

// Skin values are plain ASCII numbers; anything else is malformed anyway, so
// a character outside ASCII becomes one that no number parser accepts.
std::string AsciiOf(const std::wstring& text) {
  std::string ascii(text.size(), '?');
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] > 0 && text[i] < 0x80) ascii[i] = static_cast<char>(text[i]);
  return ascii;
}

}  // namespace

POINT TCoolIni::ReadPoint(const std::wstring& Section, const std::wstring& Ident) const {
  POINT p{};
  StrToPoint(AsciiOf(ReadString(Section, Ident, L"0,0")), p);
  return p;
}

RGBTRIPLE TCoolIni::ReadRGB(const std::wstring& Section, const std::wstring& Ident) const {
  RGBTRIPLE c{};
  if (!StrToRGBTriple(AsciiOf(ReadString(Section, Ident, L"0,0,0")), c)) c = RGBTRIPLE{};
  return c;
}
