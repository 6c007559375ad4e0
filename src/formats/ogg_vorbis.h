// Ogg Vorbis files: the stream values of the identification header, the
// length from the last page, and the comment header, which SaveToFile rewrites
// in the file's second page. An ID3v2 tag in front of the stream is skipped.
// The comments are UTF-8; Text gives them as written, the older getters as
// 8-bit strings in the system code page. A save rewrites only the comments of
// fields that were changed.
#pragma once

#include <array>
#include <cstdint>
#include <string>

enum TOggField : uint8_t { ogTitle, ogArtist, ogAlbum, ogTrack, ogDate, ogGenre, ogComment, ogVendor };

class TOggVorbis {
 public:
  TOggVorbis() { ResetData(); }
  void ResetData();

  // True when the file starts (after an ID3v2 tag) with a Vorbis stream.
  bool ReadFromFile(const std::wstring& FileName);
  // Rewrites the comments of the changed fields; every other comment, and the
  // order of all, stays as it was, and so do the other pages' bytes. False,
  // with the file untouched, when the file cannot be read or replaced, or its
  // comment header cannot be rebuilt in the second page.
  bool SaveToFile(const std::wstring& FileName);
  // Empties title, artist, album, track, date, genre and comment, then saves.
  bool RemoveFromFile(const std::wstring& FileName);

  int32_t FileSize() const { return FFileSize; }
  uint8_t ChannelModeID() const { return FChannelModeID; }
  int32_t SampleRate() const { return FSampleRate; }
  uint16_t BitRateNominal() const { return FBitRateNominal; }  // kbit/s
  int32_t Samples() const { return FSamples; }
  int32_t ID3v2Size() const { return FID3v2Size; }

  // The field without characters below 33 at either end: ogArtist is ARTIST,
  // else PERFORMER; ogComment COMMENT, else DESCRIPTION; ogTrack the
  // TRACKNUMBER text as written ("3/12").
  std::wstring Text(TOggField Field) const;
  // Stores Value so trimmed; a value other than the one held marks the field
  // changed. The vendor cannot be set.
  void SetText(TOggField Field, const std::wstring& Value);

  std::string Title() const { return Ansi(ogTitle); }
  std::string Artist() const { return Ansi(ogArtist); }
  std::string Album() const { return Ansi(ogAlbum); }
  uint16_t Track() const { return FTrack; }  // the number before "/", 0 for none
  std::string Date() const { return Ansi(ogDate); }
  std::string Genre() const { return Ansi(ogGenre); }
  std::string Comment() const { return Ansi(ogComment); }
  std::string Vendor() const { return Ansi(ogVendor); }
  // A value equal to what the getter shows changes nothing, so text the code
  // page cannot hold survives being set back through these.
  void SetTitle(const std::string& Value) { SetAnsi(ogTitle, Value); }
  void SetArtist(const std::string& Value) { SetAnsi(ogArtist, Value); }
  void SetAlbum(const std::string& Value) { SetAnsi(ogAlbum, Value); }
  void SetTrack(uint16_t Value);
  void SetDate(const std::string& Value) { SetAnsi(ogDate, Value); }
  void SetGenre(const std::string& Value) { SetAnsi(ogGenre, Value); }
  void SetComment(const std::string& Value) { SetAnsi(ogComment, Value); }

  std::string GetChannelMode() const;
  double GetDuration() const;  // seconds
  uint16_t GetBitRate() const;  // average kbit/s
  bool HasID3v2() const { return FID3v2Size > 0; }
  bool IsValid() const;

 private:
  static constexpr size_t kEditableCount = ogVendor;

  std::string Ansi(TOggField Field) const;
  void SetAnsi(TOggField Field, const std::string& Value);

  int32_t FFileSize;
  uint8_t FChannelModeID;
  int32_t FSampleRate;
  uint16_t FBitRateNominal;
  int32_t FSamples;
  int32_t FID3v2Size;
  std::array<std::wstring, ogVendor + 1> FText;
  std::array<bool, kEditableCount> FChanged;
  uint16_t FTrack;
};
