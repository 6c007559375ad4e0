#include "skin/skin_description.h"

#include <windows.h>

#include "skin/cool_ini.h"
#include "skin/skin_resources.h"

TSkinDescription::TSkinDescription(const std::wstring& Folder, bool BuiltIn) {
  if (!BuiltIn) {
    FIni = std::make_unique<TCoolIni>(Folder + L"Skin.txt");
    return;
  }
  wchar_t folder[MAX_PATH + 1] = {};
  wchar_t file[MAX_PATH + 1] = {};
  if (GetTempPathW(MAX_PATH, folder) != 0 && GetTempFileNameW(folder, L"skn", 0, file) != 0) {
    FTempFile = file;
    SaveResourceToFile(L"SKIN", L"TXT", FTempFile);
  }
  // Without a temporary file every key reads as missing.
  FIni = std::make_unique<TCoolIni>(FTempFile);
}

TSkinDescription::~TSkinDescription() {
  FIni.reset();
  if (!FTempFile.empty()) DeleteFileW(FTempFile.c_str());
}
