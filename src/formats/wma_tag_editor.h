// WMA attributes read and written through the Windows Media Format runtime's
// metadata editor ("WMVCORE.DLL", loaded for each operation and freed after
// it). Failures of any kind come back as False: no message, no exception.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct TTagsData {
  std::wstring EncodedBy, SDKVersion, Genre, Author, Title, AlbumTitle, Composer, URL, TrackNumber, Year,
      Copyright, Description, Lyrics;
  uint32_t BitRate = 0;   // bit/s
  uint32_t FileSize = 0;  // low 32 bits
  uint32_t Duration = 0;  // milliseconds
  bool IsVBR = false;
};

class TWMATagEditor {
 public:
  TWMATagEditor();
  ~TWMATagEditor();

  // Clears the record, then reads every attribute of stream 0 into it.
  bool ReadFromFile(const std::wstring& FileName);
  // Writes those of the twelve text fields that differ from what the last
  // read gave (from empty ones when nothing was read): an emptied field
  // deletes its attribute. An attribute whose field did not change stays as
  // it was, whatever its type, even one the record cannot show.
  bool SaveToFile(const std::wstring& FileName);

  TTagsData& TagsData() { return *FTagsData; }

 private:
  std::unique_ptr<TTagsData> FTagsData;
  TTagsData FRead;  // the record as the last read left it
};

// "m:ss", or "h:mm:ss" from an hour on; with milliseconds ".mmm" follows.
std::wstring FormatDurationMs(uint32_t Milliseconds, bool WithMilliseconds);
