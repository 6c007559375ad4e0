// Stream creation and freeing: WAV files and memory blocks through the core's
// reader, and user streams fed by a STREAMPROC.
#include <string>

#include "byte_source.h"
#include "engine.h"
#include "entry.h"
#include "proc_decoder.h"
#include "wav_decoder.h"

using namespace bass_core;
using namespace tavrin_bass;

namespace {

constexpr DWORD kMaxUserChannels = 32;

SampleFormat FormatOf(DWORD flags) {
  if (flags & BASS_SAMPLE_FLOAT) return SampleFormat::kFloat32;
  if (flags & BASS_SAMPLE_8BITS) return SampleFormat::kUnsigned8;
  return SampleFormat::kSigned16;
}

// The flags a stream keeps: its sample format and behaviour, not the way it
// was named.
constexpr DWORD kKeptFlags = BASS_SAMPLE_8BITS | BASS_SAMPLE_MONO | BASS_SAMPLE_LOOP |
                             BASS_SAMPLE_FLOAT | BASS_STREAM_AUTOFREE | BASS_STREAM_DECODE;

std::wstring WideFromAnsi(const char* text) {
  int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), n);
  wide.resize(static_cast<size_t>(n - 1));
  return wide;
}

// Registers a channel over the decoder that make() builds for the new handle;
// make() may also set the channel's type.
template <typename Make>
int CreateChannel(DWORD flags, Make make, HSTREAM& handle) {
  ChannelSetup setup;
  std::shared_ptr<FrameClock> clock;
  Engine& engine = Engine::Instance();
  if (int error = engine.PrepareChannel((flags & BASS_STREAM_DECODE) != 0, setup, clock)) return error;
  setup.flags = flags & kKeptFlags;
  setup.format = FormatOf(flags);
  setup.loop = (flags & BASS_SAMPLE_LOOP) != 0;
  setup.autoFree = (flags & BASS_STREAM_AUTOFREE) != 0;
  setup.ctype = BASS_CTYPE_STREAM;
  std::unique_ptr<Decoder> decoder;
  if (int error = make(setup, decoder)) return error;
  int error = engine.AddChannel(std::make_shared<Channel>(setup, std::move(decoder), clock));
  if (error == BASS_OK) handle = setup.handle;
  return error;
}

}  // namespace

HSTREAM WINAPI BASS_StreamCreate(DWORD freq, DWORD chans, DWORD flags, STREAMPROC* proc, void* user) {
  return Guard<&BASS_StreamCreate>([&] {
    HSTREAM handle = 0;
    int error = BASS_OK;
    if (!proc || chans < 1 || chans > kMaxUserChannels) error = BASS_ERROR_ILLPARAM;
    else if (freq < 100 || freq > 200000) error = BASS_ERROR_FREQ;
    if (error == BASS_OK) {
      error = CreateChannel(flags, [&](ChannelSetup& setup, std::unique_ptr<Decoder>& decoder) {
        const uint32_t self = setup.handle;
        decoder = CreateProcDecoder(freq, chans, FormatOf(flags), BASS_STREAMPROC_END,
                                    [=](void* buffer, uint32_t length) { return proc(self, buffer, length, user); });
        return BASS_OK;
      }, handle);
    }
    return Answer<&BASS_StreamCreate>(error, handle);
  });
}

HSTREAM WINAPI BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags) {
  return Guard<&BASS_StreamCreateFile>([&] {
    HSTREAM handle = 0;
    int error = BASS_OK;
    if (!file || (mem && length == 0)) error = BASS_ERROR_ILLPARAM;
    if (error == BASS_OK) {
      error = CreateChannel(flags, [&](ChannelSetup& setup, std::unique_ptr<Decoder>& decoder) {
        std::unique_ptr<ByteSource> source;
        if (mem) {
          // The block is referenced: the caller keeps it alive while the stream lives.
          source = MemorySource(file, length);
        } else {
          std::wstring name = (flags & BASS_UNICODE) ? std::wstring(static_cast<const wchar_t*>(file))
                                                     : WideFromAnsi(static_cast<const char*>(file));
          source = OpenFileSource(name, offset, length);
          if (!source) return static_cast<int>(BASS_ERROR_FILEOPEN);
        }
        WavFormat format;
        if (!ParseWav(*source, format)) return static_cast<int>(BASS_ERROR_FILEFORM);
        setup.ctype = BASS_CTYPE_STREAM_WAV | BASS_CTYPE_STREAM | format.formatTag;
        decoder = CreateWavDecoder(std::move(source));
        return decoder ? static_cast<int>(BASS_OK) : static_cast<int>(BASS_ERROR_FILEFORM);
      }, handle);
    }
    return Answer<&BASS_StreamCreateFile>(error, handle);
  });
}

BOOL WINAPI BASS_StreamFree(HSTREAM handle) {
  return Guard<&BASS_StreamFree>([&] {
    return Answer<&BASS_StreamFree>(Engine::Instance().FreeChannel(handle), TRUE);
  });
}

DWORD WINAPI BASS_StreamGetFilePosition(HSTREAM handle, DWORD mode) {
  return Guard<&BASS_StreamGetFilePosition>([&] {
    std::shared_ptr<Channel> channel;
    int error = Engine::Instance().Find(handle, channel);
    uint64_t position = 0;
    if (error == BASS_OK && mode > BASS_FILEPOS_END) error = BASS_ERROR_ILLPARAM;
    if (error == BASS_OK) {
      position = channel->FilePosition(mode);
      if (position == Channel::kUnknown) error = BASS_ERROR_NOTFILE;
    }
    return Answer<&BASS_StreamGetFilePosition>(error, static_cast<DWORD>(std::min<uint64_t>(position, 0xFFFFFFFEu)));
  });
}
