// Stream creation and freeing: files and memory blocks (WAV, Ogg Vorbis, MPEG
// audio) through the core's decoders, user streams fed by a STREAMPROC, and
// the add-ons' decoders.
#include <string>

#include "bass/bass/create_channel.h"
#include "bass/core/addon_decoder.h"
#include "bass/core/file_decoder.h"
#include "bass/core/proc_decoder.h"

using namespace bass_core;
using namespace tavrin_bass;

namespace {

constexpr DWORD kMaxUserChannels = 32;

}  // namespace

HSTREAM WINAPI BASS_StreamCreate(DWORD freq, DWORD chans, DWORD flags, STREAMPROC* proc, void* user) {
  return Guard<&BASS_StreamCreate>([&] {
    HSTREAM handle = 0;
    int error = BASS_OK;
    if (!proc || chans < 1 || chans > kMaxUserChannels) error = BASS_ERROR_ILLPARAM;
    else if (freq < 100 || freq > 200000) error = BASS_ERROR_FREQ;
    if (error == BASS_OK) {
      error = CreateChannel(flags, [&](ChannelSetup& setup, auto&, std::unique_ptr<Decoder>& decoder) {
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
      error = CreateChannel(flags, [&](ChannelSetup& setup, auto&, std::unique_ptr<Decoder>& decoder) {
        std::unique_ptr<ByteSource> source;
        if (int error = OpenSource(mem, file, offset, length, flags, source)) return error;
        return CreateFileDecoder(std::move(source), decoder, setup.ctype);
      }, handle);
    }
    return Answer<&BASS_StreamCreateFile>(error, handle);
  });
}

HSTREAM WINAPI BASS_Internal_StreamCreateDecoder(const BASS_INTERNAL_DECODER* record, void* user, DWORD flags) {
  return Guard<&BASS_Internal_StreamCreateDecoder>([&] {
    HSTREAM handle = 0;
    if (!record || !record->free) return Answer<&BASS_Internal_StreamCreateDecoder>(BASS_ERROR_ILLPARAM, handle);
    // Made first, so that every failure below still releases the add-on's state.
    std::unique_ptr<Decoder> made = CreateAddonDecoder(*record, user);
    int error = made ? BASS_OK : BASS_ERROR_ILLPARAM;
    if (error == BASS_OK) {
      const DWORD ctype = record->ctype;
      error = CreateChannel(flags, [&](ChannelSetup& setup, auto&, std::unique_ptr<Decoder>& decoder) {
        setup.ctype = ctype;
        decoder = std::move(made);
        return BASS_OK;
      }, handle);
    }
    return Answer<&BASS_Internal_StreamCreateDecoder>(error, handle);
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
