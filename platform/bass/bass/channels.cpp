// Channel entry points of bass.dll: information, transport, attributes,
// lengths and positions.
#include <cmath>

#include "bass/bass/entry.h"
#include "bass/bass/with_channel.h"
#include "bass/core/engine.h"

using namespace bass_core;
using namespace tavrin_bass;

float WINAPI BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos) {
  return Guard<&BASS_ChannelBytes2Seconds>([&] {
    double seconds = 0;
    int error = WithChannel(handle, [&](Channel& c) {
      if (static_cast<int64_t>(pos) < 0) return static_cast<int>(BASS_ERROR_ILLPARAM);
      seconds = static_cast<double>(pos) / (double(c.FrameBytes()) * c.Rate());
      return static_cast<int>(BASS_OK);
    });
    return Answer<&BASS_ChannelBytes2Seconds>(error, static_cast<float>(seconds));
  });
}

QWORD WINAPI BASS_ChannelSeconds2Bytes(DWORD handle, float pos) {
  return Guard<&BASS_ChannelSeconds2Bytes>([&] {
    QWORD bytes = 0;
    int error = WithChannel(handle, [&](Channel& c) {
      if (!(pos >= 0) || !std::isfinite(pos)) return static_cast<int>(BASS_ERROR_ILLPARAM);
      // Whole frames; the allowance absorbs the float's representation error,
      // so that 0.7 s is 30870 frames at 44100 Hz and not 30869.
      double frames = std::floor(double(pos) * c.Rate() + 1e-3);
      bytes = static_cast<QWORD>(frames) * c.FrameBytes();
      return static_cast<int>(BASS_OK);
    });
    return Answer<&BASS_ChannelSeconds2Bytes>(error, bytes);
  });
}

DWORD WINAPI BASS_ChannelGetDevice(DWORD handle) {
  return Guard<&BASS_ChannelGetDevice>([&] {
    DWORD device = 0;
    int error = WithChannel(handle, [&](Channel& c) {
      device = static_cast<DWORD>(c.Device());
      return static_cast<int>(BASS_OK);
    });
    return Answer<&BASS_ChannelGetDevice>(error, device);
  });
}

DWORD WINAPI BASS_ChannelIsActive(DWORD handle) {
  return Guard<&BASS_ChannelIsActive>([&] {
    uint32_t state = BASS_ACTIVE_STOPPED;
    int error = Engine::Instance().IsActive(handle, state);
    return Answer<&BASS_ChannelIsActive>(error, state);
  });
}

BOOL WINAPI BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info) {
  return Guard<&BASS_ChannelGetInfo>([&] {
    int error = WithChannel(handle, [&](Channel& c) {
      if (!info) return static_cast<int>(BASS_ERROR_ILLPARAM);
      ChannelInfoValues v = c.Info();
      *info = BASS_CHANNELINFO{v.freq, v.chans, v.flags, v.ctype, v.origres, 0};
      return static_cast<int>(BASS_OK);
    });
    return Answer<&BASS_ChannelGetInfo>(error, TRUE);
  });
}

BOOL WINAPI BASS_ChannelSetFlags(DWORD handle, DWORD flags) {
  return Guard<&BASS_ChannelSetFlags>([&] {
    int error = WithChannel(handle, [&](Channel& c) {
      c.SetLoop((flags & BASS_SAMPLE_LOOP) != 0);
      return static_cast<int>(BASS_OK);
    });
    return Answer<&BASS_ChannelSetFlags>(error, TRUE);
  });
}

BOOL WINAPI BASS_ChannelPreBuf(DWORD handle, DWORD) {
  return Guard<&BASS_ChannelPreBuf>([&] {
    // Decoding happens block by block as the mixer needs it; there is nothing
    // to fill ahead.
    int error = WithChannel(handle, [&](Channel& c) {
      return static_cast<int>(c.DecodeOnly() ? BASS_ERROR_DECODE : BASS_OK);
    });
    return Answer<&BASS_ChannelPreBuf>(error, TRUE);
  });
}

BOOL WINAPI BASS_ChannelPlay(DWORD handle, BOOL restart) {
  return Guard<&BASS_ChannelPlay>([&] {
    return Answer<&BASS_ChannelPlay>(Engine::Instance().Play(handle, restart != FALSE), TRUE);
  });
}

BOOL WINAPI BASS_ChannelStop(DWORD handle) {
  return Guard<&BASS_ChannelStop>([&] {
    return Answer<&BASS_ChannelStop>(Engine::Instance().Stop(handle), TRUE);
  });
}

BOOL WINAPI BASS_ChannelPause(DWORD handle) {
  return Guard<&BASS_ChannelPause>([&] {
    return Answer<&BASS_ChannelPause>(Engine::Instance().Pause(handle), TRUE);
  });
}

BOOL WINAPI BASS_ChannelSetAttributes(DWORD handle, int freq, int volume, int pan) {
  return Guard<&BASS_ChannelSetAttributes>([&] {
    int error = WithChannel(handle, [&](Channel& c) { return c.SetAttributes(freq, volume, pan); });
    return Answer<&BASS_ChannelSetAttributes>(error, TRUE);
  });
}

BOOL WINAPI BASS_ChannelGetAttributes(DWORD handle, DWORD* freq, DWORD* volume, int* pan) {
  return Guard<&BASS_ChannelGetAttributes>([&] {
    int error = WithChannel(handle, [&](Channel& c) {
      uint32_t f = 0, v = 0;
      int p = 0;
      c.GetAttributes(f, v, p);
      if (freq) *freq = f;
      if (volume) *volume = v;
      if (pan) *pan = p;
      return static_cast<int>(BASS_OK);
    });
    return Answer<&BASS_ChannelGetAttributes>(error, TRUE);
  });
}

BOOL WINAPI BASS_ChannelSlideAttributes(DWORD handle, int freq, int volume, int pan, DWORD time) {
  return Guard<&BASS_ChannelSlideAttributes>([&] {
    int error = WithChannel(handle, [&](Channel& c) { return c.SlideAttributes(freq, volume, pan, time); });
    return Answer<&BASS_ChannelSlideAttributes>(error, TRUE);
  });
}

DWORD WINAPI BASS_ChannelIsSliding(DWORD handle) {
  return Guard<&BASS_ChannelIsSliding>([&] {
    DWORD sliding = 0;
    int error = WithChannel(handle, [&](Channel& c) {
      sliding = c.Sliding();
      return static_cast<int>(BASS_OK);
    });
    return Answer<&BASS_ChannelIsSliding>(error, sliding);
  });
}

QWORD WINAPI BASS_ChannelGetLength(DWORD handle) {
  return Guard<&BASS_ChannelGetLength>([&] {
    QWORD length = 0;
    int error = WithChannel(handle, [&](Channel& c) {
      length = c.LengthBytes();
      return static_cast<int>(length == Channel::kUnknown ? BASS_ERROR_NOTAVAIL : BASS_OK);
    });
    return Answer<&BASS_ChannelGetLength>(error, length);
  });
}

BOOL WINAPI BASS_ChannelSetPosition(DWORD handle, QWORD pos) {
  return Guard<&BASS_ChannelSetPosition>([&] {
    int error = WithChannel(handle, [&](Channel& c) { return c.SetPosition(pos); });
    return Answer<&BASS_ChannelSetPosition>(error, TRUE);
  });
}

QWORD WINAPI BASS_ChannelGetPosition(DWORD handle) {
  return Guard<&BASS_ChannelGetPosition>([&] {
    QWORD position = 0;
    int error = WithChannel(handle, [&](Channel& c) {
      position = c.PositionBytes();
      return static_cast<int>(BASS_OK);
    });
    return Answer<&BASS_ChannelGetPosition>(error, position);
  });
}
