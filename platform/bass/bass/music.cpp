// Tracker modules: BASS_MusicLoad renders a module through the core's module
// decoder on a channel like any stream's, so every BASS_Channel* call works
// on it. Order and attribute control is not offered: those calls check the
// handle and fail with BASS_ERROR_NOTAVAIL.
#include "bass/bass/create_channel.h"
#include "bass/bass/with_channel.h"
#include "bass/core/module_decoder.h"

using namespace bass_core;
using namespace tavrin_bass;

namespace {

// What a module keeps of its creation flags besides a stream's.
constexpr DWORD kKeptMusicFlags = BASS_MUSIC_RAMP | BASS_MUSIC_RAMPS | BASS_MUSIC_NONINTER |
                                  BASS_MUSIC_PRESCAN | BASS_MUSIC_SURROUND | BASS_MUSIC_SURROUND2 |
                                  BASS_MUSIC_FT2MOD | BASS_MUSIC_PT1MOD | BASS_MUSIC_POSRESET |
                                  BASS_MUSIC_POSRESETEX | BASS_MUSIC_STOPBACK;

bool IsMusic(Channel& c) { return (c.Info().ctype & 0xFFFF0000u) == BASS_CTYPE_MUSIC_MOD; }

// The music handle's lookup: BASS_ERROR_HANDLE for a stream's handle too.
template <typename Body>
int WithMusic(DWORD handle, Body body) {
  return WithChannel(handle, [&](Channel& c) {
    return IsMusic(c) ? body(c) : static_cast<int>(BASS_ERROR_HANDLE);
  });
}

}  // namespace

HMUSIC WINAPI BASS_MusicLoad(BOOL mem, const void* file, QWORD offset, DWORD length, DWORD flags, DWORD freq) {
  return Guard<&BASS_MusicLoad>([&] {
    HMUSIC handle = 0;
    int error = BASS_OK;
    if (!file || (mem && length == 0)) error = BASS_ERROR_ILLPARAM;
    else if (freq != 0 && (freq < 1000 || freq > 200000)) error = BASS_ERROR_FREQ;
    if (error == BASS_OK) {
      error = CreateChannel(flags, [&](ChannelSetup& setup, std::shared_ptr<FrameClock>& clock,
                                       std::unique_ptr<Decoder>& decoder) {
        std::unique_ptr<ByteSource> source;
        if (int error = OpenSource(mem, file, offset, length, flags, source)) return error;
        ModuleOptions options;
        options.rate = freq ? freq : clock->Rate();
        options.mono = (flags & BASS_MUSIC_MONO) != 0;
        options.interpolate = (flags & BASS_MUSIC_NONINTER) == 0;
        options.ramping = (flags & (BASS_MUSIC_RAMP | BASS_MUSIC_RAMPS)) ? -1 : 0;
        decoder = CreateModuleDecoder(*source, options, setup.ctype);
        setup.flags |= flags & kKeptMusicFlags;
        setup.music = true;
        return decoder ? static_cast<int>(BASS_OK) : static_cast<int>(BASS_ERROR_FILEFORM);
      }, handle);
    }
    return Answer<&BASS_MusicLoad>(error, handle);
  });
}

BOOL WINAPI BASS_MusicFree(HMUSIC handle) {
  return Guard<&BASS_MusicFree>([&] {
    int error = WithMusic(handle, [](Channel&) { return static_cast<int>(BASS_OK); });
    if (error == BASS_OK) error = Engine::Instance().FreeChannel(handle);
    return Answer<&BASS_MusicFree>(error, TRUE);
  });
}

const char* WINAPI BASS_MusicGetName(HMUSIC handle) {
  return Guard<&BASS_MusicGetName>([&] {
    const char* name = nullptr;
    int error = WithMusic(handle, [&](Channel& c) {
      const std::string* found = c.Tags(kTagMusicName);
      if (!found) return static_cast<int>(BASS_ERROR_NOTAVAIL);
      name = found->c_str();
      return static_cast<int>(BASS_OK);
    });
    return Answer<&BASS_MusicGetName>(error, name);
  });
}

BOOL WINAPI BASS_MusicSetAttribute(HMUSIC handle, DWORD, DWORD) {
  return Guard<&BASS_MusicSetAttribute>([&] {
    int error = WithMusic(handle, [](Channel&) { return static_cast<int>(BASS_ERROR_NOTAVAIL); });
    return Answer<&BASS_MusicSetAttribute>(error, TRUE);
  });
}

DWORD WINAPI BASS_MusicGetAttribute(HMUSIC handle, DWORD) {
  return Guard<&BASS_MusicGetAttribute>([&] {
    int error = WithMusic(handle, [](Channel&) { return static_cast<int>(BASS_ERROR_NOTAVAIL); });
    return Answer<&BASS_MusicGetAttribute>(error, 0);
  });
}

DWORD WINAPI BASS_MusicGetOrders(HMUSIC handle) {
  return Guard<&BASS_MusicGetOrders>([&] {
    int error = WithMusic(handle, [](Channel&) { return static_cast<int>(BASS_ERROR_NOTAVAIL); });
    return Answer<&BASS_MusicGetOrders>(error, 0);
  });
}

DWORD WINAPI BASS_MusicGetOrderPosition(HMUSIC handle) {
  return Guard<&BASS_MusicGetOrderPosition>([&] {
    int error = WithMusic(handle, [](Channel&) { return static_cast<int>(BASS_ERROR_NOTAVAIL); });
    return Answer<&BASS_MusicGetOrderPosition>(error, 0);
  });
}
