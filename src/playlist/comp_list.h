// The playlist model: an ordered list of entries with a current (playing) entry
// held by identity, so that it stays on the same entry through sorting,
// shuffling and exchanges and is lost only when that entry is removed; a play
// history; and extended M3U reading and writing.
//   Change events fire only from Clear, Delete(.., true), Sort, Randomize,
//   DeleteMissing, DeleteDuplicates, a successful LoadFromFile and Changed;
//   callers of the other mutators repaint themselves.
//   Indexes are 0-based. Readers answer a safe default for a bad index;
//   SetTitle, SetFileName, SetDuration, Delete and Exchange raise EListError
//   "List index out of bounds (%d)" and change nothing.
//   Entries keep the limits of elem.h: Add skips an entry whose file name is
//   too long, SetFileName ignores such a name, and titles are cut.
#pragma once

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "framework/persistent.h"
#include "framework/string_list.h"
#include "playlist/elem.h"
#include "playlist/history.h"

class TTextSorter;

enum TSortKey : uint8_t { skArtist = 0, skTitle = 1, skDuration = 2, skFileName = 3 };

class TCompList : public TPersistent {
 public:
  TCompList();
  ~TCompList() override;
  TCompList(const TCompList&) = delete;
  TCompList& operator=(const TCompList&) = delete;

  int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
  bool IsValidIndex(int32_t Index) const { return Index >= 0 && Index < Count(); }

  // Appends a copy, unselected; returns its index, or -1 when the file name
  // is too long for an entry and nothing was added.
  int32_t Add(const TElem& Elem);
  void Delete(int32_t Index, bool Notify);
  void Clear();
  // Copies entry Index into Elem; leaves Elem alone for a bad index.
  void GetElem(int32_t Index, TElem& Elem) const;
  void SetTitle(int32_t Index, const std::wstring& S);
  void SetFileName(int32_t Index, const std::wstring& S);
  void SetDuration(int32_t Index, int32_t Seconds);
  bool GetSelected(int32_t Index) const;            // false for a bad index
  void SetSelected(int32_t Index, bool Value);      // nothing for a bad index
  void SelectRange(int32_t From, int32_t To);       // nothing unless both valid, From <= To
  int32_t FirstSelected() const;                    // -1 when none

  int32_t GetCurrentIndex() const;                  // -1 when there is none
  void SetCurrentIndex(int32_t Index);              // a bad index means none
  // An entry's identity (0 for a bad index), and its index again (-1 once
  // the entry is gone).
  TElemId IdOf(int32_t Index) const { return IsValidIndex(Index) ? FItems[Index].Id : 0; }
  int32_t IndexOfEntry(TElemId Id) const { return IndexOfId(Id); }

  void Exchange(int32_t I, int32_t J);
  // Artist, title and file name ascending ignoring case (system locale);
  // duration longest first.
  void Sort(TSortKey Key);
  void Randomize();
  // Removes the entries whose file is missing; URLs and names on a CD-ROM
  // drive (CD tracks are no files) stay.
  void DeleteMissing();
  // Removes every later entry whose file name equals an earlier one exactly.
  void DeleteDuplicates();
  // Begins with "http://", "ftp://" or "mms://", in that case.
  static bool IsURL(const std::wstring& S);
  // The first three characters are the root of a CD-ROM drive.
  static bool IsOnCDROMDrive(const std::wstring& S);
  // Answers the drive type of a root ("D:\") instead of the system; nullptr
  // puts the system back. Tests stand in for a CD-ROM drive with it.
  using TDriveTypeProbe = unsigned (*)(const wchar_t* Root);
  static void SetDriveTypeProbe(TDriveTypeProbe Probe);

  // Appends the entries of an extended M3U file (see m3u.h); false when the
  // file does not begin with "#". Errors raise after keeping the entries read.
  bool LoadFromFile(const std::wstring& FileName);
  // Writes extended M3U, replacing the file only once it is written whole.
  void SaveToFile(const std::wstring& FileName) const;

  void HistoryAdd(int32_t Index);                   // nothing for a bad index
  void HistoryClear();
  bool HistoryAtStart() const { return FHistory.AtStart(); }
  bool HistoryAtEnd() const { return FHistory.AtEnd(); }
  // Steps through the history; the entry's index, or -1 when there is no item
  // that way (position kept) or its entry has been deleted (position moved).
  int32_t HistoryNext();
  int32_t HistoryPrev();
  const THistory& History() const { return FHistory; }

  void Changed();
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Value) { FOnChange = std::move(Value); }

 private:
  // The texts of an entry live in one block (see comp_list.cpp), not in three
  // std::wstring: with 100,000 entries the strings' own size, their separate
  // heap blocks and two bytes for every plain character came to more than the
  // rest of the program.
  struct TEntry {
    std::unique_ptr<uint8_t[]> Texts;  // nullptr when all three are empty
    TElemId Id = 0;
    int32_t Duration = -1;
    bool Selected = false;
  };

  int32_t Append(TElem&& Elem);
  TEntry& EntryAt(int32_t Index);
  int32_t IndexOfId(TElemId Id) const;
  // Drops the entries marked by Remove, keeping the order of the others.
  template <typename Pred>
  void RemoveWhere(Pred Remove);

  std::vector<TEntry> FItems;
  THistory FHistory;
  TNotifyEvent FOnChange;
  TElemId FCurrent = 0;
  TElemId FNextId = 1;
  mutable int32_t FCurrentHint = -1;  // where the current entry was last seen
  std::mt19937 FRandom;
  std::unique_ptr<TTextSorter> FSorter;  // made at the first sort by a text
};
