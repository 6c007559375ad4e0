// The framework's abstract UTF-16 string list, the wide twin of TStrings.
// Descendants store the lines (Get, GetCount, Insert, Delete, Clear) and decide
// how text files look (LoadFrom*/SaveTo*). Contract kept for their users:
//   Text()      every line followed by CR LF, the last one included.
//   SetText()   inside one update bracket: Clear, then the text cut at CR LF,
//               lone CR and lone LF; a NUL ends the text; a final break adds
//               no empty line.
//   IndexOf / IndexOfName  first match by CompareStrings; -1 when none.
#pragma once

#include <cstdint>
#include <string>

#include "framework/persistent.h"

class TStream;
class TStrings;

// The platform's comparisons in the user's locale: negative, 0 or positive.
int32_t WideCompareStr(const std::wstring& S1, const std::wstring& S2);
int32_t WideCompareText(const std::wstring& S1, const std::wstring& S2);

class TWideStrings : public TPersistent {
 public:
  int32_t Count() const { return GetCount(); }
  std::wstring Strings(int32_t Index) const { return Get(Index); }
  void SetStrings(int32_t Index, const std::wstring& S) { Put(Index, S); }
  TObject* Objects(int32_t Index) const { return GetObjectAt(Index); }
  void SetObjects(int32_t Index, TObject* AObject) { PutObjectAt(Index, AObject); }
  int32_t Capacity() const { return GetCapacity(); }
  virtual void SetCapacity(int32_t NewCapacity);

  std::wstring Text() const;
  virtual void SetText(const std::wstring& Value);
  // "name=value" lines: the part before the first "=", and the value of the
  // first line whose name matches (IndexOfName); "" when absent.
  std::wstring Names(int32_t Index) const;
  std::wstring Values(const std::wstring& Name) const;

  void BeginUpdate();
  void EndUpdate();

  virtual int32_t Add(const std::wstring& S);
  virtual int32_t AddObject(const std::wstring& S, TObject* AObject);
  void AddStrings(const TWideStrings& Strings);
  virtual void Clear() = 0;
  virtual void Delete(int32_t Index) = 0;
  virtual void Exchange(int32_t Index1, int32_t Index2);
  virtual int32_t IndexOf(const std::wstring& S) const;
  virtual int32_t IndexOfName(const std::wstring& Name) const;
  int32_t IndexOfObject(const TObject* AObject) const;
  virtual void Insert(int32_t Index, const std::wstring& S) = 0;
  virtual void InsertObject(int32_t Index, const std::wstring& S, TObject* AObject);

  virtual void LoadFromFile(const std::wstring& FileName) = 0;
  virtual void LoadFromStream(TStream* Stream) = 0;
  virtual void SaveToFile(const std::wstring& FileName) = 0;
  virtual void SaveToStream(TStream* Stream) = 0;

  // From a TWideStrings, or from an ANSI TStrings (lines converted from the
  // system code page): its lines and objects replace these.
  void Assign(TPersistent* Source) override;

 protected:
  // Not GetObject/PutObject: <windows.h> defines GetObject as a macro.
  virtual std::wstring Get(int32_t Index) const = 0;
  virtual int32_t GetCount() const = 0;
  virtual int32_t GetCapacity() const;
  virtual TObject* GetObjectAt(int32_t Index) const;
  virtual void Put(int32_t Index, const std::wstring& S);
  virtual void PutObjectAt(int32_t Index, TObject* AObject);
  virtual void SetUpdateState(bool Updating);
  // WideCompareText: case is ignored.
  virtual int32_t CompareStrings(const std::wstring& S1, const std::wstring& S2) const;
  // Into an ANSI TStrings, lines converted to the system code page.
  void AssignTo(TPersistent* Dest) override;
  int32_t UpdateCount() const { return FUpdateCount; }

 private:
  int32_t FUpdateCount = 0;
};
