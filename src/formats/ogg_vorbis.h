// Ogg Vorbis files: the stream values of the identification header, the
// length from the last page, and the comment header, which SaveToFile rewrites
// in the file's second page. An ID3v2 tag in front of the stream is skipped.
// The text values are 8-bit strings in the system code page; the class keeps
// the file's UTF-8 text behind them, so a value set back unchanged is written
// back exactly, characters the code page lacks included.
#pragma once

#include <cstdint>
#include <string>

class TOggVorbis {
 public:
  TOggVorbis() { ResetData(); }
  void ResetData();

  // True when the file starts (after an ID3v2 tag) with a Vorbis stream.
  bool ReadFromFile(const std::wstring& FileName);
  // Rewrites the comment header with the values held; every comment this class
  // does not edit stays as it was. False, with the file untouched, when the
  // file cannot be read or replaced, or its comment header cannot be rebuilt
  // in the second page.
  bool SaveToFile(const std::wstring& FileName);
  // Empties title, artist, album, track, date, genre and comment, then saves.
  bool RemoveFromFile(const std::wstring& FileName);

  int32_t FileSize() const { return FFileSize; }
  uint8_t ChannelModeID() const { return FChannelModeID; }
  int32_t SampleRate() const { return FSampleRate; }
  uint16_t BitRateNominal() const { return FBitRateNominal; }  // kbit/s
  int32_t Samples() const { return FSamples; }
  int32_t ID3v2Size() const { return FID3v2Size; }
  std::string Title() const;
  std::string Artist() const;  // ARTIST, else PERFORMER
  std::string Album() const;
  uint16_t Track() const { return FTrack; }
  std::string Date() const;
  std::string Genre() const;
  std::string Comment() const;  // COMMENT, else DESCRIPTION
  std::string Vendor() const;
  void SetTitle(const std::string& Value);
  void SetArtist(const std::string& Value);
  void SetAlbum(const std::string& Value);
  void SetTrack(uint16_t Value) { FTrack = Value; }
  void SetDate(const std::string& Value);
  void SetGenre(const std::string& Value);
  void SetComment(const std::string& Value);

  std::string GetChannelMode() const;
  double GetDuration() const;  // seconds
  uint16_t GetBitRate() const;  // average kbit/s
  bool HasID3v2() const { return FID3v2Size > 0; }
  bool IsValid() const;

 private:
  int32_t FFileSize;
  uint8_t FChannelModeID;
  int32_t FSampleRate;
  uint16_t FBitRateNominal;
  int32_t FSamples;
  int32_t FID3v2Size;
  // UTF-8, as in the file.
  std::string FTitle, FArtist, FAlbum;
  uint16_t FTrack;
  std::string FDate, FGenre, FComment, FVendor;
};
