// The wide list that reads text files by their byte-order mark and writes
// UTF-16LE with FF FE, and its ANSI view.
//   Reading: FF FE UTF-16LE, FE FF UTF-16BE, EF BB BF UTF-8, anything else is
//   ANSI in the system code page. Writing: FF FE, then every line followed by
//   CR LF in UTF-16LE.
//   SaveToFile writes a temporary file beside the target and then moves it into
//   place, so a failed save leaves the old file whole.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "framework/string_list.h"
#include "framework/wide_strings.h"

enum TTntStreamCharSet : uint8_t { csAnsi = 0, csUnicode = 1, csUnicodeSwapped = 2, csUtf8 = 3 };

// Reads a mark at the stream's position: a UTF-16 or UTF-8 mark stays consumed;
// without one the position is unchanged and the answer is csAnsi.
TTntStreamCharSet TntDetectStreamCharSet(TStream* Stream);
// Decodes a body that follows its mark. UTF-16 bodies use whole characters:
// a last odd byte is ignored.
std::wstring TntDecodeText(std::string_view Bytes, TTntStreamCharSet CharSet);

class TAnsiStringsForWideStringsAdapter;

class TTntStrings : public TWideStrings {
 public:
  TTntStrings();
  ~TTntStrings() override;

  // The encoding found by the last LoadFromFile; csUnicode before any.
  TTntStreamCharSet LoadedCharSet() const { return FLoadedCharSet; }
  // The lines seen as ANSI text in the system code page; owned by this list.
  TStrings* AnsiStrings() const;
  // Replaces the lines with Value's, converted from the system code page.
  void SetAnsiStrings(TStrings* Value);

  // EFOpenError when the file cannot be opened; the list is then unchanged.
  void LoadFromFile(const std::wstring& FileName) override;
  void LoadFromStream(TStream* Stream) override;
  // Replaces the lines with the rest of the stream, decoded by its mark (or
  // as UTF-16LE without looking for one). EReadError for a text above 256 MiB.
  virtual void LoadFromStream_BOM(TStream* Stream, bool WithBOM);
  // EFCreateError "Cannot create file "%s". %s" when the file cannot be written.
  void SaveToFile(const std::wstring& FileName) override;
  void SaveToStream(TStream* Stream) override;
  virtual void SaveToStream_BOM(TStream* Stream, bool WithBOM);

 private:
  TTntStreamCharSet FLoadedCharSet = csUnicode;
  std::unique_ptr<TAnsiStringsForWideStringsAdapter> FAnsiStrings;
};

// An ANSI TStrings over a wide list it does not own: every call goes through
// to the wide list, converting in the given code page (0: the system's).
class TAnsiStringsForWideStringsAdapter : public TStrings {
 public:
  explicit TAnsiStringsForWideStringsAdapter(TWideStrings* AWideStrings,
                                             uint32_t AAdapterCodePage = 0);

  void Clear() override;
  void Delete(int32_t Index) override;
  void Insert(int32_t Index, const std::string& S) override;
  // The rest of the stream is ANSI text; no mark is read or written.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) const override;

 protected:
  std::string Get(int32_t Index) const override;
  int32_t GetCount() const override;
  TObject* GetObjectAt(int32_t Index) const override;
  void Put(int32_t Index, const std::string& S) override;
  void PutObjectAt(int32_t Index, TObject* AObject) override;
  void SetUpdateState(bool Updating) override;

 private:
  uint32_t AdapterCodePage() const;

  TWideStrings* FWideStrings;
  uint32_t FAdapterCodePage;
};
