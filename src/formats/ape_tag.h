// Holder for an APE tag. Nothing reads or writes APE tags yet: the holder is
// created and reset with the MPEG reader that owns it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// The item keys of the tag's standard fields.
extern const std::array<std::string_view, 8> APEFieldNames;

class TAPEtag {
 public:
  TAPEtag() { ResetData(); }
  void ResetData();

  bool Exists() const { return FExists; }
  int32_t Version() const { return FVersion; }
  int32_t Size() const { return FSize; }
  const std::string& Title() const { return FTitle; }
  const std::string& Artist() const { return FArtist; }
  const std::string& Album() const { return FAlbum; }
  int32_t Track() const { return FTrack; }
  const std::string& Year() const { return FYear; }
  const std::string& Genre() const { return FGenre; }
  const std::string& Comment() const { return FComment; }
  const std::string& Copyright() const { return FCopyright; }

 private:
  bool FExists;
  int32_t FVersion;
  int32_t FSize;
  std::string FTitle, FArtist, FAlbum;
  int32_t FTrack;
  std::string FYear, FGenre, FComment, FCopyright;
};
