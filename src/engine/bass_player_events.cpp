// TBASSPlayer: the hidden window on which BASS's callbacks arrive as posted
// messages, and the band-level timer, which raises OnNewFFTData itself.
#include <algorithm>
#include <cmath>
#include <memory>

#include "engine/bass22_dynamic.h"
#include "engine/bass_player.h"
#include "formats/id3v1.h"
#include "formats/mpeg_audio.h"
#include "foundation/tnt_system.h"
#include "foundation/tnt_sysutils.h"
#include "framework/timer.h"

namespace bass = Bass22_dynamic;

namespace {

constexpr uint16_t kBandEdges[25] = {1,  2,  3,  6,  12, 18, 24, 30, 36,  42,  48,  54,  60,
                                     66, 72, 78, 84, 90, 96, 102, 108, 120, 132, 156, 180};

// The byte size of a tag image BASS holds: 128 for ID3v1, the size its
// header gives for ID3v2, so the parser never reads past BASS's block. Only
// version 4 defines the footer flag; an image is never longer than the file
// it came from, whatever a damaged header claims.
int32_t TagImageSize(const char* tag, uint16_t kind, uint32_t fileSize) {
  int64_t size = 0;
  if (kind == 1) {
    size = 128;
  } else {
    const auto* h = reinterpret_cast<const unsigned char*>(tag);
    if (h[0] != 'I' || h[1] != 'D' || h[2] != '3') return 0;
    size = 10 + ((h[6] & 0x7F) << 21 | (h[7] & 0x7F) << 14 | (h[8] & 0x7F) << 7 | (h[9] & 0x7F));
    if (h[3] >= 4 && (h[5] & 0x10)) size += 10;
  }
  if (fileSize != 0xFFFFFFFF) size = std::min<int64_t>(size, fileSize);
  return static_cast<int32_t>(size);
}

}  // namespace

void TBASSPlayer::PlayerWndProc(TMessage& Message) {
  Message.Result = 0;
  switch (Message.Msg) {
    case WM_PLAYER_END:
      if (!IsCurrentEnd(Message.WParam)) break;
      FPlayerMode = pmStopped;
      if (FOnPlayEnd) FOnPlayEnd(this);
      break;
    case WM_PLAYER_FFT:
      if (FOnNewFFTData) FOnNewFFTData(this, FBandLevels);
      break;
    case WM_PLAYER_META: {
      std::unique_ptr<std::string> title(reinterpret_cast<std::string*>(Message.LParam));
      if (!IsCurrentChannel(Message.WParam)) break;
      FStreamInfo.Title = title ? *title : std::string();
      if (FOnGetMeta) FOnGetMeta(this, FStreamInfo.Title);
      break;
    }
    case WM_PLAYER_DOWNLOADED: {
      if (!IsCurrentChannel(Message.WParam)) break;
      FDownloadDone = true;
      std::wstring ext = TntWideUpperCase(WideExtractFileExt(AnsiToWideInCodePage(FCurrentName, CP_ACP)));
      const char* tag = nullptr;
      uint16_t kind = 0;
      if (ext == L".MP3" || ext == L".MP2" || ext == L".MP1") {
        tag = bass::BASS_StreamGetTags(FChannel, BASS_TAG_ID3);
        kind = 1;
        if (tag == nullptr) {
          tag = bass::BASS_StreamGetTags(FChannel, BASS_TAG_ID3V2);
          kind = 2;
        }
      }
      FStreamInfo.FileSize = bass::BASS_StreamGetFilePosition(FChannel, BASS_FILEPOS_END);
      TMP3TagInfo tagInfo;
      int32_t size = tag ? TagImageSize(tag, kind, FStreamInfo.FileSize) : 0;
      if (size > 0 && FMPEGaudio && FMPEGaudio->ReadTagFromMemory(tag, size, tagInfo, kind)) {
        FStreamInfo.Title = tagInfo.Title;
        FStreamInfo.Artist = tagInfo.Artist;
        FStreamInfo.Album = tagInfo.Album;
        FStreamInfo.Year = tagInfo.Year;
        FStreamInfo.Genre = tagInfo.Genre;
        FStreamInfo.Comment = tagInfo.Comment;
        FStreamInfo.Track = static_cast<uint8_t>(tagInfo.Track & 0xFF);
      }
      QWORD bytes = bass::BASS_ChannelGetLength(FChannel);
      double seconds = static_cast<int64_t>(bytes) < 0 ? 0.0 : bass::BASS_ChannelBytes2Seconds(FChannel, bytes);
      FStreamInfo.Duration = seconds > 0 ? static_cast<uint32_t>(std::nearbyint(seconds * 1000.0)) : 0;
      if (FOnDownloaded) FOnDownloaded(this, std::to_string(FStreamInfo.Duration));
      break;
    }
    case WM_QUERYENDSESSION:
      Message.Result = 1;
      break;
    default:
      break;
  }
}

bool TBASSPlayer::IsCurrentChannel(WPARAM Channel) const {
  return FChannelKind != ckNone && Channel == FChannel;
}

// An end is real only while this channel plays and BASS has really stopped
// it: one posted just before Stop, or before a restart from the stopped
// state, must neither advance the playlist nor stop the restarted play.
bool TBASSPlayer::IsCurrentEnd(WPARAM Channel) const {
  return IsCurrentChannel(Channel) && FPlayerMode == pmPlaying &&
         bass::BASS_ChannelIsActive(FChannel) == BASS_ACTIVE_STOPPED;
}

void TBASSPlayer::VisTimerTick(TObject*) {
  DWORD active = bass::BASS_ChannelIsActive(FChannel);
  if (active != BASS_ACTIVE_PLAYING && active != BASS_ACTIVE_STALLED) {
    FVisTimer->SetEnabled(false);
    return;
  }
  if (FBandLevelsWanted && !UpdateBandLevels()) return;
  // Raised here, on the timer's tick, rather than through a message to the
  // hidden window: a second message a frame would double the message loop's
  // work for every frame. After the timer is on again, so that a handler
  // may stop it.
  if (FOnNewFFTData) {
    TNotifyNewFFTDataEvent handler = FOnNewFFTData;
    handler(this, FBandLevels);
  }
}

bool TBASSPlayer::UpdateBandLevels() {
  float fft[256];
  if (bass::BASS_ChannelGetData(FChannel, fft, BASS_DATA_FFT512) == 0xFFFFFFFF) {
    FBandLevels.fill(0);
    return false;
  }
  FVisTimer->SetEnabled(false);
  int first = 1;
  for (int b = 0; b < 25; ++b) {
    float peak = 0;
    for (int bin = first; bin <= kBandEdges[b]; ++bin) peak = std::max(peak, fft[bin]);
    first = kBandEdges[b] + 1;
    uint32_t level = static_cast<uint32_t>(std::nearbyint((b * 0.15 + 1.0) * peak * 80));
    uint32_t& stored = FBandLevels[static_cast<size_t>(b)];
    if (stored < level) {
      stored = level;
    } else {
      stored = stored >= 2 ? stored - 2 : 0;
      if (stored < level) stored = level;
    }
  }
  FVisTimer->SetEnabled(true);
  return true;
}
