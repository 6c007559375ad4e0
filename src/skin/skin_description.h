// A skin's description ("Skin.txt"): the folder's file or the built-in
// skin's text from the program's resources, read once into memory and then
// answered from there with the profile functions' rules (sections and keys
// without regard to case, the first of a repeated key wins, blanks around
// names and values dropped, one pair of enclosing quotes removed, lines
// without "=" ignored, values cut to 4095 characters).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "skin/cool_ini.h"

// A TCoolIni over a text held in memory. Only reads: the writing calls
// change nothing. With a hue, every colour ("Colors", a number) and RGB
// value ("r,g,b") of [Colors] comes out shifted by it, a missing key's
// default colour included.
class TCoolIniText : public TCoolIni {
 public:
  explicit TCoolIniText(const std::wstring& Text, std::optional<int32_t> Hue = std::nullopt);

  std::wstring ReadString(const std::wstring& Section, const std::wstring& Ident,
                          const std::wstring& Default) const override;
  int32_t ReadInteger(const std::wstring& Section, const std::wstring& Ident,
                      int32_t Default) const override;
  void ReadSection(const std::wstring& Section, TWideStrings* Strings) const override;
  void ReadSections(TWideStrings* Strings) const override;
  void ReadSectionValues(const std::wstring& Section, TWideStrings* Strings) const override;
  void WriteString(const std::wstring&, const std::wstring&, const std::wstring&) override {}
  void EraseSection(const std::wstring&) override {}
  void DeleteKey(const std::wstring&, const std::wstring&) override {}
  void UpdateFile() override {}

 private:
  struct TKey {
    std::wstring Name;
    std::wstring Value;
  };
  struct TSection {
    std::wstring Name;
    std::vector<TKey> Keys;
  };
  const TKey* Find(const std::wstring& Section, const std::wstring& Ident) const;
  bool ShiftsHue(const std::wstring& Section, const std::wstring& Ident) const;

  std::vector<TSection> FSections;
  std::optional<int32_t> FHue;
};

// Bytes of a text file decoded by its mark (UTF-16LE/BE, UTF-8), else ANSI in
// the system code page; at most MaxSkinDescriptionBytes of it are read.
inline constexpr size_t MaxSkinDescriptionBytes = 1 << 20;
std::wstring DecodeSkinText(const std::string& Bytes);

class TSkinDescription {
 public:
  // Folder (with its "\") + "Skin.txt", or the resource "SKIN" of type "TXT"
  // when BuiltIn. A file or resource that cannot be read reads as all keys
  // missing. Hue: the hue shift of [Colors], when the user wants one.
  TSkinDescription(const std::wstring& Folder, bool BuiltIn,
                   std::optional<int32_t> Hue = std::nullopt);

  const TCoolIni& Ini() const { return *FIni; }

 private:
  std::unique_ptr<TCoolIniText> FIni;
};
