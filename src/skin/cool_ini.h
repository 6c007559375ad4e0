// TCoolIni: the reader of a skin description ("Skin.txt"), the wide INI file
// with points ("x,y") and colours ("red,green,blue") added to the usual values.
#pragma once

#include <windows.h>

#include "foundation/tnt_ini_files.h"

class TCoolIni : public TTntIniFile {
 public:
  using TTntIniFile::TTntIniFile;

  // (0, 0) when missing or malformed.
  POINT ReadPoint(const std::wstring& Section, const std::wstring& Ident) const;
  // Black when missing or malformed: a bad colour in a skin never stops loading it.
  RGBTRIPLE ReadRGB(const std::wstring& Section, const std::wstring& Ident) const;
};
