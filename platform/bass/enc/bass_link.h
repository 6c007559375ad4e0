// The few bass.dll calls bassenc needs, looked up in the loaded bass.dll at
// each call: the program may unload bass.dll before its add-ons, so no address
// is kept. Each answers failure when bass.dll is not loaded.
#pragma once

#include "bass/bass_api.h"

namespace bass_enc {

bool ChannelInfo(DWORD channel, BASS_CHANNELINFO& info);
HDSP ChannelSetDsp(DWORD channel, DSPPROC* proc, void* user, int priority);
void ChannelRemoveDsp(DWORD channel, HDSP dsp);

}  // namespace bass_enc
