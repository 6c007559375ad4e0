// The ID3v2 tag at the start of an audio file: read in versions 2.2 to 2.4,
// written as version 2.3, removed. Texts are 8-bit strings in the system code
// page. A save replaces only the frames of values that changed; every other
// frame is carried over as it was.
#pragma once

#include <cstdint>
#include <string>

#include "formats/id3v1.h"

class TID3v2 {
 public:
  TID3v2() { ResetData(); }
  void ResetData();

  // Reset and read; true when the first 10 bytes could be read, tag or not.
  bool ReadFromFile(const std::wstring& FileName);
  bool SaveToFile(const std::wstring& FileName);
  // True only when a tag was there and is gone.
  bool RemoveFromFile(const std::wstring& FileName);
  // Data: DataSize bytes holding a tag image. True when it starts with "ID3".
  bool ReadFromMemory(const void* Data, int32_t DataSize, TMP3TagInfo& Info);

  bool Exists() const { return FExists; }
  uint8_t VersionID() const { return FVersionID; }
  int32_t Size() const { return FSize; }  // whole tag in bytes, 0 when unusable
  const std::string& Title() const { return FTitle; }
  const std::string& Artist() const { return FArtist; }
  const std::string& Album() const { return FAlbum; }
  uint16_t Track() const { return FTrack; }
  const std::string& TrackString() const { return FTrackString; }
  const std::string& Year() const { return FYear; }
  const std::string& Genre() const { return FGenre; }
  const std::string& Comment() const { return FComment; }
  const std::string& Composer() const { return FComposer; }
  const std::string& Encoder() const { return FEncoder; }
  const std::string& Copyright() const { return FCopyright; }
  const std::string& Language() const { return FLanguage; }
  const std::string& Link() const { return FLink; }
  // Store the value without characters below 33 at either end.
  void SetTitle(const std::string& Value);
  void SetArtist(const std::string& Value);
  void SetAlbum(const std::string& Value);
  void SetYear(const std::string& Value);
  void SetGenre(const std::string& Value);
  void SetComment(const std::string& Value);
  void SetComposer(const std::string& Value);
  void SetEncoder(const std::string& Value);
  void SetCopyright(const std::string& Value);
  void SetLanguage(const std::string& Value);
  void SetLink(const std::string& Value);
  void SetTrack(uint16_t Value) { FTrack = Value; }

 private:
  bool FExists;
  uint8_t FVersionID;
  int32_t FSize;
  std::string FTitle, FArtist, FAlbum;
  uint16_t FTrack;
  std::string FTrackString, FYear, FGenre, FComment, FComposer, FEncoder, FCopyright,
      FLanguage, FLink;
};
