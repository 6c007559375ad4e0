// TBASSPlayer: BASS's buffers, proxy use, output device, floating-point
// output and the download state of an internet stream.
#include <algorithm>

#include "engine/bass22_dynamic.h"
#include "engine/bass_errors.h"
#include "engine/bass_player.h"
#include "foundation/tnt_system.h"

namespace bass = Bass22_dynamic;

namespace {

constexpr DWORD kFailed = 0xFFFFFFFF;

void ShowErrorDescription() { ShowError(AnsiToWideInCodePage(GetBASSErrorText(), CP_ACP)); }

}  // namespace

void TBASSPlayer::SetBufferLength(uint32_t Value) {
  if (Value < 1 || Value > 5000) return;
  FBufferLength = Value;
  bass::BASS_SetConfig(BASS_CONFIG_BUFFER, Value);
}

void TBASSPlayer::SetNetBufferLength(uint32_t Value) {
  if (Value < 1000 || Value > 10000) return;
  FNetBufferLength = Value;
  bass::BASS_SetConfig(BASS_CONFIG_NET_BUFFER, Value);
}

float TBASSPlayer::GetBufferPercent() {
  DWORD total = bass::BASS_StreamGetFilePosition(FChannel, BASS_FILEPOS_END);
  DWORD downloaded = bass::BASS_StreamGetFilePosition(FChannel, BASS_FILEPOS_DOWNLOAD);
  // A length of 0 (nothing known yet) or a failed call has no share to tell.
  if (total == 0 || total == kFailed || downloaded == kFailed) return 0;
  double percent;
  BASS_CHANNELINFO info{};
  bass::BASS_ChannelGetInfo(FChannel, &info);
  if (info.flags & BASS_STREAM_BLOCK) {
    DWORD current = bass::BASS_StreamGetFilePosition(FChannel, BASS_FILEPOS_DECODE);
    if (current == kFailed) return 0;
    percent = (static_cast<double>(downloaded) - current) * 100.0 / total;
  } else {
    percent = static_cast<double>(downloaded) * 100.0 / total;
  }
  return static_cast<float>(std::clamp(percent, 0.0, 100.0));
}

void TBASSPlayer::SetUseProxy(bool Value) {
  if (bass::BASS_SetConfig(BASS_CONFIG_NET_NOPROXY, Value ? 0 : 1) == kFailed) ShowErrorDescription();
}

bool TBASSPlayer::SetDevice(int32_t Number) { return bass::BASS_SetDevice(static_cast<DWORD>(Number)) != 0; }

int32_t TBASSPlayer::GetDevice() {
  auto number = static_cast<int32_t>(bass::BASS_GetDevice());
  if (number == -1) ShowErrorDescription();
  return number;
}

void TBASSPlayer::SetFloatOutput(bool Value) {
  if (!Value) {
    FFloatOutput = false;
    return;
  }
  bass::BASS_GetInfo(&FBASSInfo);
  FFloatOutput = FBASSInfo.dsver >= 9;
}
