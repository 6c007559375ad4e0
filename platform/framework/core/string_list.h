// The framework's ANSI string lists: 8-bit text lines, each with an object
// reference that belongs to the caller.
//   TStrings    abstract: descendants store the lines (Get, GetCount, Insert,
//               Delete, Clear); text, search, update brackets and Assign are here.
//   TStringList lines kept in memory, with change events.
// Index errors raise EStringListError "List index out of bounds (%d)" before
// anything changes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/persistent.h"

class TStream;

using TNotifyEvent = std::function<void(TObject* Sender)>;

enum TDuplicates : uint8_t { dupIgnore = 0, dupAccept = 1, dupError = 2 };

class TStrings : public TPersistent {
 public:
  int32_t Count() const { return GetCount(); }
  std::string Strings(int32_t Index) const { return Get(Index); }
  void SetStrings(int32_t Index, const std::string& S) { Put(Index, S); }
  TObject* Objects(int32_t Index) const { return GetObjectAt(Index); }
  void SetObjects(int32_t Index, TObject* AObject) { PutObjectAt(Index, AObject); }

  // Every line followed by CR LF. Setting clears the list and cuts the text at
  // CR LF, CR and LF; a NUL ends the text.
  std::string Text() const;
  virtual void SetText(const std::string& Value);

  // Nested; the update state is on from the first BeginUpdate to the last EndUpdate.
  void BeginUpdate();
  void EndUpdate();

  virtual int32_t Add(const std::string& S);
  virtual int32_t AddObject(const std::string& S, TObject* AObject);
  void AddStrings(const TStrings& Strings);
  virtual void Clear() = 0;
  virtual void Delete(int32_t Index) = 0;
  virtual void Exchange(int32_t Index1, int32_t Index2);
  virtual int32_t IndexOf(const std::string& S) const;
  virtual void Insert(int32_t Index, const std::string& S) = 0;
  virtual void InsertObject(int32_t Index, const std::string& S, TObject* AObject);
  // Everything from the stream's position is the text; saving writes Text().
  virtual void LoadFromStream(TStream* Stream);
  virtual void SaveToStream(TStream* Stream) const;

  // From another TStrings: its lines and objects replace these.
  void Assign(TPersistent* Source) override;

 protected:
  // Not GetObject/PutObject: <windows.h> defines GetObject as a macro.
  virtual std::string Get(int32_t Index) const = 0;
  virtual int32_t GetCount() const = 0;
  virtual TObject* GetObjectAt(int32_t Index) const;
  virtual void Put(int32_t Index, const std::string& S);
  virtual void PutObjectAt(int32_t Index, TObject* AObject);
  virtual void SetUpdateState(bool Updating);
  // Ignores case, in the user's locale.
  virtual int32_t CompareStrings(const std::string& S1, const std::string& S2) const;
  int32_t UpdateCount() const { return FUpdateCount; }

 private:
  int32_t FUpdateCount = 0;
};

class TStringList : public TStrings {
 public:
  ~TStringList() override;

  void Clear() override;
  void Delete(int32_t Index) override;
  void Exchange(int32_t Index1, int32_t Index2) override;
  void Insert(int32_t Index, const std::string& S) override;
  void InsertObject(int32_t Index, const std::string& S, TObject* AObject) override;

  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool Value) { FCaseSensitive = Value; }
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Value) { FOnChange = std::move(Value); }
  const TNotifyEvent& OnChanging() const { return FOnChanging; }
  void SetOnChanging(TNotifyEvent Value) { FOnChanging = std::move(Value); }

 protected:
  std::string Get(int32_t Index) const override;
  int32_t GetCount() const override;
  TObject* GetObjectAt(int32_t Index) const override;
  void Put(int32_t Index, const std::string& S) override;
  void PutObjectAt(int32_t Index, TObject* AObject) override;
  void SetUpdateState(bool Updating) override;
  int32_t CompareStrings(const std::string& S1, const std::string& S2) const override;
  virtual void Changed();
  virtual void Changing();

 private:
  struct TItem {
    std::string FString;
    TObject* FObject;
  };
  void CheckIndex(int32_t Index) const;

  std::vector<TItem> FItems;
  bool FUpdating = false;
  bool FCaseSensitive = false;
  TNotifyEvent FOnChange;
  TNotifyEvent FOnChanging;
};

// The framework's list errors: EStringListError with the message and value.
[[noreturn]] void RaiseListError(const wchar_t* Msg, int32_t Data);
