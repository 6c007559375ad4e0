#include "engine/cd_rip_stream.h"

#include "engine/bass22_dynamic.h"
#include "engine/basscd22_dynamic.h"

HSTREAM OpenCDRipStream(DWORD Drive, DWORD Track) {
  const DWORD freeOld = Bass22_dynamic::BASS_GetConfig(BASS_CONFIG_CD_FREEOLD);
  Bass22_dynamic::BASS_SetConfig(BASS_CONFIG_CD_FREEOLD, 0);
  const HSTREAM stream =
      BassCD22_dynamic::BASS_CD_StreamCreate(Drive, Track, BASS_STREAM_DECODE | BASS_STREAM_AUTOFREE);
  if (freeOld != 0xFFFFFFFF) Bass22_dynamic::BASS_SetConfig(BASS_CONFIG_CD_FREEOLD, freeOld);
  return stream;
}
