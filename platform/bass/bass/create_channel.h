// What the stream and module creators share: the flags a channel keeps, the
// file name in either form, and the registration of a channel over a decoder.
#pragma once

#include <memory>
#include <string>

#include "bass/bass/entry.h"
#include "bass/core/byte_source.h"
#include "bass/core/engine.h"

namespace tavrin_bass {

bass_core::SampleFormat FormatOf(DWORD flags);

// The flags a stream keeps: its sample format and behaviour, not the way it
// was named.
constexpr DWORD kKeptStreamFlags = BASS_SAMPLE_8BITS | BASS_SAMPLE_MONO | BASS_SAMPLE_LOOP |
                                   BASS_SAMPLE_FLOAT | BASS_STREAM_AUTOFREE | BASS_STREAM_DECODE;

std::wstring WideFromAnsi(const char* text);

// The file (UTF-16 with BASS_UNICODE, else 8-bit) or the caller's memory
// block (offset unused), which is referenced and must outlive the stream. A
// BASS error code.
int OpenSource(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags,
               std::unique_ptr<bass_core::ByteSource>& source);

// Registers a channel over the decoder that make(setup, decoder) builds for
// the new handle at the device's clock; make answers an error code and may
// adjust the setup.
template <typename Make>
int CreateChannel(DWORD flags, Make make, HSTREAM& handle) {
  using namespace bass_core;
  ChannelSetup setup;
  std::shared_ptr<FrameClock> clock;
  Engine& engine = Engine::Instance();
  if (int error = engine.PrepareChannel((flags & BASS_STREAM_DECODE) != 0, setup, clock)) return error;
  setup.flags = flags & kKeptStreamFlags;
  setup.format = FormatOf(flags);
  setup.loop = (flags & BASS_SAMPLE_LOOP) != 0;
  setup.autoFree = (flags & BASS_STREAM_AUTOFREE) != 0;
  setup.ctype = BASS_CTYPE_STREAM;
  std::unique_ptr<Decoder> decoder;
  if (int error = make(setup, clock, decoder)) return error;
  int error = engine.AddChannel(std::make_shared<Channel>(setup, std::move(decoder), clock));
  if (error == BASS_OK) handle = setup.handle;
  return error;
}

}  // namespace tavrin_bass
