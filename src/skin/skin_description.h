// A skin's description ("Skin.txt") opened for reading: the folder's file, or
// the built-in skin's text from the program's resources. The profile
// functions read only files, so the built-in text is copied to a temporary
// file that goes with this object.
#pragma once

#include <memory>
#include <string>

class TCoolIni;

class TSkinDescription {
 public:
  // Folder (with its "\") + "Skin.txt", or the built-in text when BuiltIn.
  TSkinDescription(const std::wstring& Folder, bool BuiltIn);
  ~TSkinDescription();
  TSkinDescription(const TSkinDescription&) = delete;
  TSkinDescription& operator=(const TSkinDescription&) = delete;

  const TCoolIni& Ini() const { return *FIni; }

 private:
  std::wstring FTempFile;
  std::unique_ptr<TCoolIni> FIni;
};
