// BASS_StreamCreateURL: files and radio streams over HTTP, and files over FTP,
// decoded as they download. Stream titles fire the channel's meta syncs, and a
// finished file its download syncs.
#include <windows.h>

#include <memory>
#include <string>

#include "bass/bass/create_channel.h"
#include "bass/bass/with_channel.h"
#include "bass/core/net_decoder.h"

using namespace bass_core;
using namespace tavrin_bass;

namespace {

// The meta sync hands its text over as a DWORD, so the text must lie below
// 4 GB even in a 64-bit process: a few slots in a region placed there, each
// text staying valid until the slots come round again.
class LowTexts {
 public:
  static constexpr size_t kSlot = 4096, kSlots = 16;
  LowTexts() {
    for (uintptr_t at = 0x10000000; at < 0xFFF00000u && !FBase; at += 0x01000000)
      FBase = static_cast<char*>(VirtualAlloc(reinterpret_cast<void*>(at), kSlot * kSlots,
                                              MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  }
  ~LowTexts() {
    if (FBase) VirtualFree(FBase, 0, MEM_RELEASE);
  }
  // The address of a copy of a text or a list of zero-terminated strings;
  // 0 when no low region was found. A string too long for the slot (a cover
  // picture among Ogg comments) is left out, so the rest still fits.
  DWORD Place(const std::string& text) {
    if (!FBase || reinterpret_cast<uintptr_t>(FBase) > 0xFFFFFFFFu - kSlot * kSlots) return 0;
    char* slot = FBase + (FNext++ % kSlots) * kSlot;
    size_t used = 0;
    for (size_t from = 0; from < text.size();) {
      const size_t end = std::min(text.find('\0', from), text.size());
      if (end > from && used + (end - from) + 3 <= kSlot) {
        memcpy(slot + used, text.data() + from, end - from);
        used += end - from;
        slot[used++] = '\0';
      }
      from = end + 1;
    }
    slot[used] = slot[used + 1] = '\0';
    return static_cast<DWORD>(reinterpret_cast<uintptr_t>(slot));
  }

 private:
  char* FBase = nullptr;
  size_t FNext = 0;
};

uint32_t Config(DWORD option) {
  uint32_t value = 0;
  Engine::Instance().GetConfig(option, value);
  return value;
}

}  // namespace

HSTREAM WINAPI BASS_StreamCreateURL(const char* url, DWORD offset, DWORD flags, DOWNLOADPROC* proc, void* user) {
  return Guard<&BASS_StreamCreateURL>([&] {
    HSTREAM handle = 0;
    if (!url || !*url) return Answer<&BASS_StreamCreateURL>(BASS_ERROR_ILLPARAM, handle);
    std::shared_ptr<NetDownload> download;
    int error = CreateChannel(flags, [&](ChannelSetup& setup, auto&, std::unique_ptr<Decoder>& decoder) {
      NetDownloadOptions options;
      options.net.timeoutMs = Config(BASS_CONFIG_NET_TIMEOUT);
      options.net.useProxy = Config(BASS_CONFIG_NET_NOPROXY) == 0;
      options.net.offset = offset;
      options.bufferMs = Config(BASS_CONFIG_NET_BUFFER);
      if (proc) options.onData = [proc, user](const void* data, uint32_t length) { proc(data, length, user); };
      if (int error = NetDownload::Start(url, options, download)) return error;
      if (download->Block()) setup.flags |= BASS_STREAM_BLOCK;
      int error = CreateNetDecoder(download, decoder, setup.ctype);
      if (error != BASS_OK) download->Stop();
      return error;
    }, handle);
    if (error == BASS_OK) {
      std::shared_ptr<Channel> channel;
      Engine::Instance().Find(handle, channel);
      std::weak_ptr<Channel> weak = channel;
      auto texts = std::make_shared<LowTexts>();
      download->SetListener(
          [weak, texts](const std::string& text) {
            if (auto c = weak.lock()) c->Signal(BASS_SYNC_META, texts->Place(text), false);
          },
          [weak] {
            if (auto c = weak.lock()) c->Signal(BASS_SYNC_DOWNLOAD, 0, true);
          });
    }
    return Answer<&BASS_StreamCreateURL>(error, handle);
  });
}
