// The family's error code lives here; the add-ons write into it.
#include "bass/bass_api.h"
#include "bass/common/error_code.h"

using namespace tavrin_bass;

int WINAPI BASS_ErrorGetCode() { return LocalError(); }

void WINAPI BASS_Internal_SetError(int code) { SetLocalError(code); }
