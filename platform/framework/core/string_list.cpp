#include "framework/string_list.h"

#include <windows.h>

#include <utility>

#include "framework/exceptions.h"
#include "framework/streams.h"

namespace {

// Ends the update bracket however the block it guards is left.
class UpdateScope {
 public:
  explicit UpdateScope(TStrings& list) : FList(list) { FList.BeginUpdate(); }
  ~UpdateScope() { FList.EndUpdate(); }
  UpdateScope(const UpdateScope&) = delete;
  UpdateScope& operator=(const UpdateScope&) = delete;

 private:
  TStrings& FList;
};

}  // namespace

void RaiseListError(const wchar_t* Msg, int32_t Data) { throw EStringListError(Msg, {Data}); }

// --- TStrings ---

std::string TStrings::Text() const {
  std::string result;
  const int32_t count = GetCount();
  for (int32_t i = 0; i < count; ++i) {
    result += Get(i);
    result += "\r\n";
  }
  return result;
}

void TStrings::SetText(const std::string& Value) {
  UpdateScope update(*this);
  Clear();
  const char* p = Value.c_str();  // the terminating NUL ends the text as an inner one does
  while (*p != '\0') {
    const char* start = p;
    while (*p != '\0' && *p != '\r' && *p != '\n') ++p;
    Add(std::string(start, p));
    if (*p == '\r') ++p;
    if (*p == '\n') ++p;
  }
}

void TStrings::BeginUpdate() {
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TStrings::EndUpdate() {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount == 0) SetUpdateState(false);
}

int32_t TStrings::Add(const std::string& S) {
  int32_t index = GetCount();
  Insert(index, S);
  return index;
}

int32_t TStrings::AddObject(const std::string& S, TObject* AObject) {
  int32_t index = Add(S);
  PutObjectAt(index, AObject);
  return index;
}

void TStrings::AddStrings(const TStrings& Strings) {
  UpdateScope update(*this);
  // Taken first: adding a list to itself must not chase its own new lines.
  const int32_t count = Strings.Count();
  for (int32_t i = 0; i < count; ++i) AddObject(Strings.Get(i), Strings.GetObjectAt(i));
}

void TStrings::Exchange(int32_t Index1, int32_t Index2) {
  UpdateScope update(*this);
  std::string s = Get(Index1);
  TObject* o = GetObjectAt(Index1);
  Put(Index1, Get(Index2));
  PutObjectAt(Index1, GetObjectAt(Index2));
  Put(Index2, s);
  PutObjectAt(Index2, o);
}

int32_t TStrings::IndexOf(const std::string& S) const {
  const int32_t count = GetCount();
  for (int32_t i = 0; i < count; ++i)
    if (CompareStrings(Get(i), S) == 0) return i;
  return -1;
}

void TStrings::InsertObject(int32_t Index, const std::string& S, TObject* AObject) {
  Insert(Index, S);
  PutObjectAt(Index, AObject);
}

void TStrings::LoadFromStream(TStream* Stream) {
  UpdateScope update(*this);
  int64_t size = Stream->Size() - Stream->Position();
  if (size > INT32_MAX) throw EReadError(L"Stream read error");
  std::string text(size > 0 ? static_cast<size_t>(size) : 0, '\0');
  if (!text.empty()) Stream->ReadBuffer(text.data(), static_cast<int32_t>(text.size()));
  SetText(text);
}

void TStrings::SaveToStream(TStream* Stream) const {
  std::string text = Text();
  if (!text.empty()) Stream->WriteBuffer(text.data(), static_cast<int32_t>(text.size()));
}

void TStrings::Assign(TPersistent* Source) {
  if (auto* strings = dynamic_cast<TStrings*>(Source)) {
    if (strings == this) return;
    UpdateScope update(*this);
    Clear();
    AddStrings(*strings);
    return;
  }
  TPersistent::Assign(Source);
}

TObject* TStrings::GetObjectAt(int32_t) const { return nullptr; }

void TStrings::Put(int32_t Index, const std::string& S) {
  TObject* o = GetObjectAt(Index);
  Delete(Index);
  InsertObject(Index, S, o);
}

void TStrings::PutObjectAt(int32_t, TObject*) {}

void TStrings::SetUpdateState(bool) {}

int32_t TStrings::CompareStrings(const std::string& S1, const std::string& S2) const {
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, S1.data(),
                        static_cast<int>(S1.size()), S2.data(), static_cast<int>(S2.size())) -
         2;
}

// --- TStringList ---

TStringList::~TStringList() {
  // Destruction tells nobody.
  FOnChange = nullptr;
  FOnChanging = nullptr;
}

void TStringList::CheckIndex(int32_t Index) const {
  if (Index < 0 || Index >= GetCount()) RaiseListError(L"List index out of bounds (%d)", Index);
}

void TStringList::Clear() {
  if (FItems.empty()) return;
  Changing();
  std::vector<TItem>().swap(FItems);
  Changed();
}

void TStringList::Delete(int32_t Index) {
  CheckIndex(Index);
  Changing();
  FItems.erase(FItems.begin() + Index);
  Changed();
}

void TStringList::Exchange(int32_t Index1, int32_t Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  Changing();
  std::swap(FItems[Index1], FItems[Index2]);
  Changed();
}

void TStringList::Insert(int32_t Index, const std::string& S) { InsertObject(Index, S, nullptr); }

void TStringList::InsertObject(int32_t Index, const std::string& S, TObject* AObject) {
  if (Index < 0 || Index > GetCount()) RaiseListError(L"List index out of bounds (%d)", Index);
  Changing();
  FItems.insert(FItems.begin() + Index, TItem{S, AObject});
  Changed();
}

std::string TStringList::Get(int32_t Index) const {
  CheckIndex(Index);
  return FItems[Index].FString;
}

int32_t TStringList::GetCount() const { return static_cast<int32_t>(FItems.size()); }

TObject* TStringList::GetObjectAt(int32_t Index) const {
  CheckIndex(Index);
  return FItems[Index].FObject;
}

void TStringList::Put(int32_t Index, const std::string& S) {
  CheckIndex(Index);
  Changing();
  FItems[Index].FString = S;
  Changed();
}

void TStringList::PutObjectAt(int32_t Index, TObject* AObject) {
  CheckIndex(Index);
  Changing();
  FItems[Index].FObject = AObject;
  Changed();
}

void TStringList::SetUpdateState(bool Updating) {
  FUpdating = Updating;
  if (Updating) {
    Changing();
  } else {
    Changed();
  }
}

int32_t TStringList::CompareStrings(const std::string& S1, const std::string& S2) const {
  if (!FCaseSensitive) return TStrings::CompareStrings(S1, S2);
  return CompareStringA(LOCALE_USER_DEFAULT, 0, S1.data(), static_cast<int>(S1.size()),
                        S2.data(), static_cast<int>(S2.size())) -
         2;
}

void TStringList::Changed() {
  if (!FUpdating && FOnChange) FOnChange(this);
}

void TStringList::Changing() {
  if (!FUpdating && FOnChanging) FOnChanging(this);
}
