// The entry points of basswma.dll not built yet (user streams, the reader
// object, encoding to a callback or the network, tags and clients): every one
// checks its arguments and then fails. They know no encoder handle
// (BASS_ERROR_HANDLE); the rest fail with BASS_ERROR_NOTAVAIL.
#include "bass/bass_api.h"
#include "bass/common/error_code.h"

using namespace tavrin_bass;

namespace {

bool ValidFormat(DWORD freq, DWORD chans) { return freq != 0 && (chans == 1 || chans == 2); }

}  // namespace

HSTREAM WINAPI BASS_WMA_StreamCreateFileUser(BOOL, DWORD, STREAMFILEPROC* proc, void*) {
  if (proc == nullptr) return Fail(BASS_ERROR_ILLPARAM);
  return Fail(BASS_ERROR_NOTAVAIL);
}

void* WINAPI BASS_WMA_GetIWMReader(HSTREAM) { return Fail(BASS_ERROR_HANDLE); }

HWMENCODE WINAPI BASS_WMA_EncodeOpen(DWORD freq, DWORD chans, DWORD, DWORD,
                                     WMENCODEPROC* proc, void*) {
  if (!ValidFormat(freq, chans) || proc == nullptr) return Fail(BASS_ERROR_ILLPARAM);
  return Fail(BASS_ERROR_NOTAVAIL);
}

HWMENCODE WINAPI BASS_WMA_EncodeOpenNetwork(DWORD freq, DWORD chans, DWORD, DWORD, DWORD,
                                            DWORD) {
  if (!ValidFormat(freq, chans)) return Fail(BASS_ERROR_ILLPARAM);
  return Fail(BASS_ERROR_NOTAVAIL);
}

HWMENCODE WINAPI BASS_WMA_EncodeOpenPublish(DWORD freq, DWORD chans, DWORD, DWORD,
                                            const char* url, const char*, const char*) {
  if (!ValidFormat(freq, chans) || url == nullptr) return Fail(BASS_ERROR_ILLPARAM);
  return Fail(BASS_ERROR_NOTAVAIL);
}

DWORD WINAPI BASS_WMA_EncodeGetPort(HWMENCODE) { return Fail(BASS_ERROR_HANDLE); }

BOOL WINAPI BASS_WMA_EncodeSetNotify(HWMENCODE, CLIENTPROC*, void*) {
  return Fail(BASS_ERROR_HANDLE);
}

DWORD WINAPI BASS_WMA_EncodeGetClients(HWMENCODE) { return FailMinusOne(BASS_ERROR_HANDLE); }

BOOL WINAPI BASS_WMA_EncodeSetTag(HWMENCODE, const char*, const char*) {
  return Fail(BASS_ERROR_HANDLE);
}
