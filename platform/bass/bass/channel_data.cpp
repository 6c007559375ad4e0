// Channel entry points of bass.dll for data and callbacks: samples, spectra
// and levels; syncs, DSPs and links.
#include <algorithm>

#include "bass/bass/entry.h"
#include "bass/bass/with_channel.h"
#include "bass/core/engine.h"

using namespace bass_core;
using namespace tavrin_bass;

namespace {

constexpr DWORD kSyncModifiers = BASS_SYNC_MESSAGE | BASS_SYNC_MIXTIME | BASS_SYNC_ONETIME;

}  // namespace

DWORD WINAPI BASS_ChannelGetLevel(DWORD handle) {
  return Guard<&BASS_ChannelGetLevel>([&] {
    uint32_t level = 0;
    int error = WithChannel(handle, [&](Channel& c) { return c.GetLevel(level); });
    return Answer<&BASS_ChannelGetLevel>(error, level);
  });
}

DWORD WINAPI BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length) {
  return Guard<&BASS_ChannelGetData>([&] {
    uint32_t result = 0;
    int error = WithChannel(handle, [&](Channel& c) { return c.GetData(buffer, length, result); });
    return Answer<&BASS_ChannelGetData>(error, result);
  });
}

HSYNC WINAPI BASS_ChannelSetSync(DWORD handle, DWORD type, QWORD param, SYNCPROC* proc, void* user) {
  return Guard<&BASS_ChannelSetSync>([&] {
    HSYNC sync = 0;
    int error = WithChannel(handle, [&](Channel& c) {
      const DWORD base = type & ~kSyncModifiers;
      // Stream titles and download completion never happen for files; they
      // are accepted so that callers can set them on any stream.
      const bool known = base == BASS_SYNC_POS || base == BASS_SYNC_END ||
                         base == BASS_SYNC_META || base == BASS_SYNC_DOWNLOAD;
      if (!known || (type & BASS_SYNC_MESSAGE)) return static_cast<int>(BASS_ERROR_ILLTYPE);
      if (!proc) return static_cast<int>(BASS_ERROR_ILLPARAM);
      SyncEntry entry;
      entry.handle = sync = Engine::NewHandle();
      entry.type = base;
      entry.mixTime = (type & BASS_SYNC_MIXTIME) != 0;
      entry.oneTime = (type & BASS_SYNC_ONETIME) != 0;
      entry.param = param;
      entry.call = [proc, user, sync, channel = handle](uint32_t data) { proc(sync, channel, data, user); };
      c.AddSync(std::move(entry));
      return static_cast<int>(BASS_OK);
    });
    return Answer<&BASS_ChannelSetSync>(error, sync);
  });
}

BOOL WINAPI BASS_ChannelRemoveSync(DWORD handle, HSYNC sync) {
  return Guard<&BASS_ChannelRemoveSync>([&] {
    int error = WithChannel(handle, [&](Channel& c) {
      return static_cast<int>(c.RemoveSync(sync) ? BASS_OK : BASS_ERROR_HANDLE);
    });
    return Answer<&BASS_ChannelRemoveSync>(error, TRUE);
  });
}

HDSP WINAPI BASS_ChannelSetDSP(DWORD handle, DSPPROC* proc, void* user, int priority) {
  return Guard<&BASS_ChannelSetDSP>([&] {
    HDSP dsp = 0;
    int error = WithChannel(handle, [&](Channel& c) {
      if (!proc) return static_cast<int>(BASS_ERROR_ILLPARAM);
      DspEntry entry;
      entry.handle = dsp = Engine::NewHandle();
      entry.priority = priority;
      entry.call = [proc, user, dsp, channel = handle](void* buffer, uint32_t bytes) {
        proc(dsp, channel, buffer, bytes, user);
      };
      c.AddDsp(std::move(entry));
      return static_cast<int>(BASS_OK);
    });
    return Answer<&BASS_ChannelSetDSP>(error, dsp);
  });
}

BOOL WINAPI BASS_ChannelRemoveDSP(DWORD handle, HDSP dsp) {
  return Guard<&BASS_ChannelRemoveDSP>([&] {
    int error = WithChannel(handle, [&](Channel& c) {
      return static_cast<int>(c.RemoveDsp(dsp) ? BASS_OK : BASS_ERROR_HANDLE);
    });
    return Answer<&BASS_ChannelRemoveDSP>(error, TRUE);
  });
}

BOOL WINAPI BASS_ChannelSetLink(DWORD handle, DWORD chan) {
  return Guard<&BASS_ChannelSetLink>([&] {
    std::shared_ptr<Channel> other;
    int error = Engine::Instance().Find(chan, other);
    if (error == BASS_OK) {
      error = WithChannel(handle, [&](Channel& c) {
        if (c.DecodeOnly() || other->DecodeOnly()) return static_cast<int>(BASS_ERROR_DECODE);
        if (handle == chan) return static_cast<int>(BASS_ERROR_ILLPARAM);
        auto links = c.Links();
        if (std::find(links.begin(), links.end(), chan) != links.end())
          return static_cast<int>(BASS_ERROR_ALREADY);
        c.AddLink(chan);
        return static_cast<int>(BASS_OK);
      });
    }
    return Answer<&BASS_ChannelSetLink>(error, TRUE);
  });
}

BOOL WINAPI BASS_ChannelRemoveLink(DWORD handle, DWORD chan) {
  return Guard<&BASS_ChannelRemoveLink>([&] {
    int error = WithChannel(handle, [&](Channel& c) {
      return static_cast<int>(c.RemoveLink(chan) ? BASS_OK : BASS_ERROR_ALREADY);
    });
    return Answer<&BASS_ChannelRemoveLink>(error, TRUE);
  });
}
