// INI files with UTF-16 file names, sections, keys and values.
//   TTntCustomIniFile  the typed reads and writes over two abstract string
//                      operations, and the section queries.
//   TTntIniFile        all of it over the platform's private-profile calls.
// Reading never raises: a missing, empty or unreadable file, section or key
// gives the default. A file the program creates starts with FF FE, so the
// platform keeps it in UTF-16 and text outside the code page survives.
// Values longer than 4095 characters are cut.
#pragma once

#include <cstdint>
#include <string>

#include "framework/exceptions.h"
#include "framework/object.h"

class TWideStrings;

// "Unable to write to %s": the platform refused a change of the file.
TAVRIN_DECLARE_EXCEPTION(EIniFileException, Exception);

class TTntCustomIniFile : public TObject {
 public:
  // Nothing is read yet.
  explicit TTntCustomIniFile(std::wstring FileName);

  const std::wstring& FileName() const { return FFileName; }

  virtual std::wstring ReadString(const std::wstring& Section, const std::wstring& Ident,
                                  const std::wstring& Default) const = 0;
  virtual void WriteString(const std::wstring& Section, const std::wstring& Ident,
                           const std::wstring& Value) = 0;
  // Decimal, or hexadecimal after "$" or "0x"; Default when the text is no
  // 32-bit number.
  virtual int32_t ReadInteger(const std::wstring& Section, const std::wstring& Ident,
                              int32_t Default) const;
  virtual void WriteInteger(const std::wstring& Section, const std::wstring& Ident, int32_t Value);
  // Any number but 0 is true.
  virtual bool ReadBool(const std::wstring& Section, const std::wstring& Ident, bool Default) const;
  virtual void WriteBool(const std::wstring& Section, const std::wstring& Ident, bool Value);
  // "." is the decimal separator whatever the locale.
  virtual double ReadFloat(const std::wstring& Section, const std::wstring& Ident,
                           double Default) const;
  virtual void WriteFloat(const std::wstring& Section, const std::wstring& Ident, double Value);
  // The key names of a section, in file order.
  virtual void ReadSection(const std::wstring& Section, TWideStrings* Strings) const = 0;
  // The section names, in file order.
  virtual void ReadSections(TWideStrings* Strings) const = 0;
  // The section names that begin with Prefix, case ignored.
  virtual void ReadSectionsStartingWith(const std::wstring& Prefix, TWideStrings* Strings) const;
  // "key=value" lines, in file order.
  virtual void ReadSectionValues(const std::wstring& Section, TWideStrings* Strings) const = 0;
  virtual void EraseSection(const std::wstring& Section) = 0;
  virtual void DeleteKey(const std::wstring& Section, const std::wstring& Ident) = 0;
  // Flushes changes the platform still holds.
  virtual void UpdateFile() = 0;
  // Case ignored.
  virtual bool ValueExists(const std::wstring& Section, const std::wstring& Ident) const;

 private:
  std::wstring FFileName;
};

class TTntIniFile : public TTntCustomIniFile {
 public:
  using TTntCustomIniFile::TTntCustomIniFile;
  // Flushes first.
  ~TTntIniFile() override;

  std::wstring ReadString(const std::wstring& Section, const std::wstring& Ident,
                          const std::wstring& Default) const override;
  // EIniFileException when the file cannot be written.
  void WriteString(const std::wstring& Section, const std::wstring& Ident,
                   const std::wstring& Value) override;
  void ReadSection(const std::wstring& Section, TWideStrings* Strings) const override;
  void ReadSections(TWideStrings* Strings) const override;
  void ReadSectionValues(const std::wstring& Section, TWideStrings* Strings) const override;
  void EraseSection(const std::wstring& Section) override;
  void DeleteKey(const std::wstring& Section, const std::wstring& Ident) override;
  void UpdateFile() override;
};
