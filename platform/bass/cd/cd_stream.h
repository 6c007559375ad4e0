// CD-track streams: a decoder over one track of one drive, played by a
// channel of bass.dll (BASS_Internal_StreamCreateDecoder).
#pragma once

#include <windows.h>

#include "bass/bass_api.h"

namespace tavrin_cd {

// A stream of track (0-based) of drive; 0 with the error code set on failure.
// With BASS_CONFIG_CD_FREEOLD on in bass.dll, the drive's previous stream is
// freed first.
HSTREAM CreateTrackStream(DWORD drive, DWORD track, DWORD flags);
// track | drive << 16 of a live CD stream; false when handle is none.
bool TrackOfStream(HSTREAM handle, DWORD& result);

}  // namespace tavrin_cd
