// A CD track's own decoding stream, for ripping beside the player.
#pragma once

#include "bass/bass_api.h"

// A decoding stream of Track (from 0) of Drive that frees itself at its end;
// 0 when none could be made. The CD add-on's free-old setting is off while it
// is made (it would free the drive's newest stream, which may be the one the
// player is playing, the very track even) and is restored afterwards for the
// player's own opens. Each stream keeps its own position: reading it never
// moves the player's.
HSTREAM OpenCDRipStream(DWORD Drive, DWORD Track);
