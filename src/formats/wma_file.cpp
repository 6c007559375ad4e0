#include "formats/wma_file.h"

constexpr std::array<std::string_view, 7> WMAChannelModes = {
    "Unknown", "Mono", "Stereo", "3 Channels", "4 Channels", "5 Channels", "6 Channels"};

void TWMAfile::ResetData() {
  FFileSize = 0, FSampleRate = 0, FBitRate = 0, FChannelModeID = 0;
  FDuration = 0;
  FValid = false, FIsVBR = false;
  FTitle.clear(), FArtist.clear(), FAlbum.clear();
  FTrack = 0;
  FYear.clear(), FGenre.clear();
  FComment.clear();
}

std::string_view TWMAfile::ChannelMode() const {
  return FChannelModeID >= 0 && FChannelModeID < static_cast<int32_t>(WMAChannelModes.size())
             ? WMAChannelModes[FChannelModeID]
             : WMAChannelModes[0];
}
