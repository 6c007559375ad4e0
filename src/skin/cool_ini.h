// TCoolIni: the reader of a skin description ("Skin.txt"), the wide INI file
// with points ("x,y") and colours ("red,green,blue") added to the usual values.
#pragma once

#include <windows.h>

#include <string>

#include "foundation/tnt_ini_files.h"
#include "framework/graphics.h"

// Skin values are plain ASCII numbers: any other character becomes "?",
// which no number reader accepts.
std::string SkinValueAscii(const std::wstring& Text);

class TCoolIni : public TTntIniFile {
 public:
  using TTntIniFile::TTntIniFile;

  // (0, 0) when missing or malformed.
  POINT ReadPoint(const std::wstring& Section, const std::wstring& Ident) const;
  // Black when missing or malformed: a bad colour in a skin never stops loading it.
  RGBTRIPLE ReadRGB(const std::wstring& Section, const std::wstring& Ident) const;
  // A platform colour of [Colors]; Missing when missing or malformed.
  TColor ReadColor(const std::wstring& Ident, TColor Missing) const;
};
