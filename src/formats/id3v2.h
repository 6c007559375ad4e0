// The ID3v2 tag at the start of an audio file: read in versions 2.2 to 2.4,
// written back in its own version (2.3 for a new tag or a 2.2 one), removed.
// Each text is held twice: as written (Text) and as an 8-bit string in the
// system code page for the older callers. A save rebuilds only the frames of
// fields that were changed; every other frame is carried over byte for byte.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "formats/id3v1.h"

enum TID3v2Field : uint8_t { v2Title, v2Artist, v2Album, v2Track, v2Year, v2Genre, v2Comment,
                             v2Composer, v2Encoder, v2Copyright, v2Language, v2Link };

class TID3v2 {
 public:
  TID3v2() { ResetData(); }
  void ResetData();

  // Reset and read; true when the first 10 bytes could be read, tag or not.
  bool ReadFromFile(const std::wstring& FileName);
  // Frames of changed fields are rebuilt, ISO-8859-1 when every character
  // fits, else UTF-16 (2.3) or UTF-8 (2.4); the tag keeps its version. The
  // audio after the tag is copied unchanged, or not moved at all when the new
  // tag fits the old one's room.
  bool SaveToFile(const std::wstring& FileName);
  // True only when a tag was there and is gone.
  bool RemoveFromFile(const std::wstring& FileName);
  // Data: DataSize bytes holding a tag image. True when it starts with "ID3".
  bool ReadFromMemory(const void* Data, int32_t DataSize, TMP3TagInfo& Info);

  bool Exists() const { return FExists; }
  uint8_t VersionID() const { return FVersionID; }
  int32_t Size() const { return FSize; }  // whole tag in bytes, 0 when unusable

  // The field decoded from its frame's encoding, without characters below 33
  // at either end; v2Track is the track text as written ("3/12"), v2Year a
  // 2.4 tag's whole recording time ("2005-06-07") where Year() is "2005".
  std::wstring Text(TID3v2Field Field) const;
  // Stores Value so trimmed; a value other than the one held marks the field
  // changed, so the next save rebuilds its frame.
  void SetText(TID3v2Field Field, const std::wstring& Value);

  const std::string& Title() const { return FAnsi[v2Title]; }
  const std::string& Artist() const { return FAnsi[v2Artist]; }
  const std::string& Album() const { return FAnsi[v2Album]; }
  uint16_t Track() const { return FTrack; }  // the number before "/", 0 for none
  const std::string& TrackString() const { return FAnsi[v2Track]; }
  const std::string& Year() const { return FAnsi[v2Year]; }
  const std::string& Genre() const { return FAnsi[v2Genre]; }
  const std::string& Comment() const { return FAnsi[v2Comment]; }
  const std::string& Composer() const { return FAnsi[v2Composer]; }
  const std::string& Encoder() const { return FAnsi[v2Encoder]; }
  const std::string& Copyright() const { return FAnsi[v2Copyright]; }
  const std::string& Language() const { return FAnsi[v2Language]; }
  const std::string& Link() const { return FAnsi[v2Link]; }
  // Store the value without characters below 33 at either end. A value equal
  // to what the getter shows changes nothing, so text the code page cannot
  // hold survives being set back through these.
  void SetTitle(const std::string& Value) { SetAnsi(v2Title, Value); }
  void SetArtist(const std::string& Value) { SetAnsi(v2Artist, Value); }
  void SetAlbum(const std::string& Value) { SetAnsi(v2Album, Value); }
  void SetYear(const std::string& Value) { SetAnsi(v2Year, Value); }
  void SetGenre(const std::string& Value) { SetAnsi(v2Genre, Value); }
  void SetComment(const std::string& Value) { SetAnsi(v2Comment, Value); }
  void SetComposer(const std::string& Value) { SetAnsi(v2Composer, Value); }
  void SetEncoder(const std::string& Value) { SetAnsi(v2Encoder, Value); }
  void SetCopyright(const std::string& Value) { SetAnsi(v2Copyright, Value); }
  void SetLanguage(const std::string& Value) { SetAnsi(v2Language, Value); }
  void SetLink(const std::string& Value) { SetAnsi(v2Link, Value); }
  void SetTrack(uint16_t Value);

 private:
  static constexpr size_t kFieldCount = v2Link + 1;

  void SetAnsi(TID3v2Field Field, const std::string& Value);
  void Store(TID3v2Field Field, std::wstring Wide, std::string Ansi);

  bool FExists;
  uint8_t FVersionID;
  int32_t FSize;
  std::array<std::wstring, kFieldCount> FText;
  std::array<std::string, kFieldCount> FAnsi;
  std::array<bool, kFieldCount> FChanged;
  uint16_t FTrack;
};
