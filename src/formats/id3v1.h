// The ID3v1 tag (versions 1.0 and 1.1) at the end of an audio file, with the
// Lyrics3 v2.00 block that may stand in front of it, and the genre table.
// Texts are 8-bit strings in the system code page, kept byte for byte.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// Index 0 "Blues" to 147 "Synthpop". Constant-initialised, so it is complete
// before any unit's initialisation runs.
extern const std::array<std::string_view, 148> ID3v1GenreNames;

// The values of an ID3 tag decoded from memory.
struct TMP3TagInfo {
  std::string Title, Artist, Album, Year, Comment;
  int32_t Track = 0;
  std::string Genre;
};

class TID3v1 {
 public:
  TID3v1() { ResetData(); }
  void ResetData();

  // False when the file cannot be opened or read.
  bool ReadFromFile(const std::wstring& FileName);
  // Replaces both tags at the end of the file with the values held.
  bool SaveToFile(const std::wstring& FileName);
  // Whether a save keeps the title, artist, album and comment held now, so
  // that a new read gives them back: false when one is cut to the 30 bytes of
  // its ID3v1 field (28 for a comment beside a track number) because no
  // Lyrics3 block carries it whole.
  bool SavesTextsWhole() const;
  // Cuts both tags off; WriteBack then appends a plain ID3v1 block.
  bool RemoveFromFile(const std::wstring& FileName, bool WriteBack = false);
  // Image: an ID3v1 block of ImageSize (at least 128) bytes. True when it
  // starts with "TAG"; Info is left alone otherwise.
  bool ReadFromMemory(const void* Image, int32_t ImageSize, TMP3TagInfo& Info);

  bool Exists() const { return FExists; }
  uint8_t VersionID() const { return FVersionID; }
  // The extended (Lyrics3) value when there is one, else the ID3v1 value.
  std::string Title() const;
  std::string Artist() const;
  std::string Album() const;
  std::string Comment() const;
  const std::string& Year() const { return FYear; }
  uint8_t Track() const { return FTrack; }
  uint8_t GenreID() const { return FGenreID; }  // 255: no genre
  std::string Genre() const;  // empty for numbers past the table
  // A value of 31 characters or more is also kept whole in the extended field.
  void SetTitle(const std::string& Value);
  void SetArtist(const std::string& Value);
  void SetAlbum(const std::string& Value);
  void SetComment(const std::string& Value);
  void SetYear(const std::string& Value);
  void SetTrack(uint8_t Value) { FTrack = Value; }
  void SetGenreID(uint8_t Value) { FGenreID = Value; }
  // Through the byte overload a signed "none" would wrap, -2 becoming genre
  // 254; here anything outside 0..255 is no genre.
  void SetGenreID(int32_t Value) { FGenreID = Value < 0 || Value > 255 ? 255 : static_cast<uint8_t>(Value); }
  // An index into ID3v1GenreNames (a list's item index); any other is no genre.
  void SetGenreIndex(int32_t Index);

  bool Lyrics3Present() const { return FLyrics3Present; }
  // Bytes of the whole Lyrics3 block on disk (0 when there is none), and of
  // both tags together.
  int32_t Lyrics3Size() const;
  int32_t TagSize() const;
  const std::string& ExtTitle() const { return FExtTitle; }
  const std::string& ExtArtist() const { return FExtArtist; }
  const std::string& ExtAlbum() const { return FExtAlbum; }
  const std::string& Information() const { return FInformation; }
  const std::string& Author() const { return FAuthor; }
  const std::string& Lyrics() const { return FLyrics; }
  const std::string& ImageLink() const { return FImageLink; }
  void SetAuthor(const std::string& Value) { FAuthor = Value; }
  void SetLyrics(const std::string& Value) { FLyrics = Value; }
  void SetImageLink(const std::string& Value) { FImageLink = Value; }

 private:
  bool ReadTag(const std::wstring& FileName, bool ParseFields);
  void ParseID3v1Block(const uint8_t* Block);
  void ParseLyrics3Fields(std::string_view Block);
  bool BuildLyrics3Block(std::string& Block) const;
  std::string BuildID3v1Block() const;
  // Puts Tail where the tags found by the last ReadTag stand.
  bool ReplaceTags(const std::wstring& FileName, const std::string& Tail) const;

  bool FExists;
  uint8_t FVersionID;
  std::string FTitle, FArtist, FAlbum, FYear, FComment;
  uint8_t FTrack;
  uint8_t FGenreID;
  bool FLyrics3Present;
  int32_t FLyrics3Size;  // as the trailer states it: start mark through the last field
  std::string FExtArtist, FExtAlbum, FExtTitle, FInformation, FImageLink, FAuthor, FLyrics;
};
