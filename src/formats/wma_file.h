// Holder for WMA file information. Nothing reads it yet: the player creates
// and frees one with the other format readers.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// By channel count, 0 to 6.
extern const std::array<std::string_view, 7> WMAChannelModes;

class TWMAfile {
 public:
  TWMAfile() { ResetData(); }
  void ResetData();

  int32_t FileSize() const { return FFileSize; }
  int32_t SampleRate() const { return FSampleRate; }
  int32_t BitRate() const { return FBitRate; }
  int32_t ChannelModeID() const { return FChannelModeID; }
  double Duration() const { return FDuration; }
  bool Valid() const { return FValid; }
  bool IsVBR() const { return FIsVBR; }
  const std::wstring& Title() const { return FTitle; }
  const std::wstring& Artist() const { return FArtist; }
  const std::wstring& Album() const { return FAlbum; }
  int32_t Track() const { return FTrack; }
  const std::wstring& Year() const { return FYear; }
  const std::wstring& Genre() const { return FGenre; }
  const std::wstring& Comment() const { return FComment; }
  std::string_view ChannelMode() const;

 private:
  int32_t FFileSize, FSampleRate, FBitRate, FChannelModeID;
  double FDuration;
  bool FValid, FIsVBR;
  std::wstring FTitle, FArtist, FAlbum;
  int32_t FTrack;
  std::wstring FYear, FGenre;
  std::wstring FComment;
};
