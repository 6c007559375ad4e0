#include "framework/wide_strings.h"

#include <windows.h>

#include "framework/format.h"
#include "framework/string_list.h"

namespace {

class UpdateScope {
 public:
  explicit UpdateScope(TWideStrings& list) : FList(list) { FList.BeginUpdate(); }
  ~UpdateScope() { FList.EndUpdate(); }
  UpdateScope(const UpdateScope&) = delete;
  UpdateScope& operator=(const UpdateScope&) = delete;

 private:
  TWideStrings& FList;
};

int32_t CompareWide(DWORD flags, const std::wstring& S1, const std::wstring& S2) {
  return CompareStringW(LOCALE_USER_DEFAULT, flags, S1.data(), static_cast<int>(S1.size()),
                        S2.data(), static_cast<int>(S2.size())) -
         2;
}

}  // namespace

int32_t WideCompareStr(const std::wstring& S1, const std::wstring& S2) {
  return CompareWide(0, S1, S2);
}

int32_t WideCompareText(const std::wstring& S1, const std::wstring& S2) {
  return CompareWide(NORM_IGNORECASE, S1, S2);
}

void TWideStrings::SetCapacity(int32_t) {}

std::wstring TWideStrings::Text() const {
  const int32_t count = GetCount();
  std::wstring result;
  for (int32_t i = 0; i < count; ++i) {
    result += Get(i);
    result += L"\r\n";
  }
  return result;
}

void TWideStrings::SetText(const std::wstring& Value) {
  UpdateScope update(*this);
  Clear();
  const wchar_t* p = Value.c_str();  // the terminating NUL ends the text as an inner one does
  while (*p != L'\0') {
    const wchar_t* start = p;
    while (*p != L'\0' && *p != L'\r' && *p != L'\n') ++p;
    Add(std::wstring(start, p));
    if (*p == L'\r') ++p;
    if (*p == L'\n') ++p;
  }
}

std::wstring TWideStrings::Names(int32_t Index) const {
  std::wstring line = Get(Index);
  size_t eq = line.find(L'=');
  return eq == std::wstring::npos ? std::wstring() : line.substr(0, eq);
}

std::wstring TWideStrings::Values(const std::wstring& Name) const {
  int32_t i = IndexOfName(Name);
  return i < 0 ? std::wstring() : Get(i).substr(Name.size() + 1);
}

void TWideStrings::BeginUpdate() {
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TWideStrings::EndUpdate() {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount == 0) SetUpdateState(false);
}

int32_t TWideStrings::Add(const std::wstring& S) {
  int32_t index = GetCount();
  Insert(index, S);
  return index;
}

int32_t TWideStrings::AddObject(const std::wstring& S, TObject* AObject) {
  int32_t index = Add(S);
  PutObjectAt(index, AObject);
  return index;
}

void TWideStrings::AddStrings(const TWideStrings& Strings) {
  UpdateScope update(*this);
  // Taken first: adding a list to itself must not chase its own new lines.
  const int32_t count = Strings.Count();
  for (int32_t i = 0; i < count; ++i) AddObject(Strings.Get(i), Strings.GetObjectAt(i));
}

void TWideStrings::Exchange(int32_t Index1, int32_t Index2) {
  UpdateScope update(*this);
  std::wstring s = Get(Index1);
  TObject* o = GetObjectAt(Index1);
  Put(Index1, Get(Index2));
  PutObjectAt(Index1, GetObjectAt(Index2));
  Put(Index2, s);
  PutObjectAt(Index2, o);
}

int32_t TWideStrings::IndexOf(const std::wstring& S) const {
  const int32_t count = GetCount();
  for (int32_t i = 0; i < count; ++i)
    if (CompareStrings(Get(i), S) == 0) return i;
  return -1;
}

int32_t TWideStrings::IndexOfName(const std::wstring& Name) const {
  const int32_t count = GetCount();
  for (int32_t i = 0; i < count; ++i) {
    std::wstring line = Get(i);
    size_t eq = line.find(L'=');
    if (eq != std::wstring::npos && CompareStrings(line.substr(0, eq), Name) == 0) return i;
  }
  return -1;
}

int32_t TWideStrings::IndexOfObject(const TObject* AObject) const {
  const int32_t count = GetCount();
  for (int32_t i = 0; i < count; ++i)
    if (GetObjectAt(i) == AObject) return i;
  return -1;
}

void TWideStrings::InsertObject(int32_t Index, const std::wstring& S, TObject* AObject) {
  Insert(Index, S);
  PutObjectAt(Index, AObject);
}

void TWideStrings::Assign(TPersistent* Source) {
  if (auto* wide = dynamic_cast<TWideStrings*>(Source)) {
    if (wide == this) return;
    UpdateScope update(*this);
    Clear();
    AddStrings(*wide);
    return;
  }
  if (auto* ansi = dynamic_cast<TStrings*>(Source)) {
    UpdateScope update(*this);
    Clear();
    for (int32_t i = 0; i < ansi->Count(); ++i)
      AddObject(AnsiToWide(ansi->Strings(i)), ansi->Objects(i));
    return;
  }
  TPersistent::Assign(Source);
}

void TWideStrings::AssignTo(TPersistent* Dest) {
  if (auto* ansi = dynamic_cast<TStrings*>(Dest)) {
    ansi->BeginUpdate();
    try {
      ansi->Clear();
      const int32_t count = GetCount();
      for (int32_t i = 0; i < count; ++i) ansi->AddObject(WideToAnsi(Get(i)), GetObjectAt(i));
    } catch (...) {
      ansi->EndUpdate();
      throw;
    }
    ansi->EndUpdate();
    return;
  }
  TPersistent::AssignTo(Dest);
}

int32_t TWideStrings::GetCapacity() const { return GetCount(); }

TObject* TWideStrings::GetObjectAt(int32_t) const { return nullptr; }

void TWideStrings::Put(int32_t Index, const std::wstring& S) {
  TObject* o = GetObjectAt(Index);
  Delete(Index);
  InsertObject(Index, S, o);
}

void TWideStrings::PutObjectAt(int32_t, TObject*) {}

void TWideStrings::SetUpdateState(bool) {}

int32_t TWideStrings::CompareStrings(const std::wstring& S1, const std::wstring& S2) const {
  return WideCompareText(S1, S2);
}
