// Converts a WAV file to MP3 through EncodeChannel (bass.dll decoding,
// bassenc.dll feeding the program folder's lame.exe with default options),
// best of three, and prints the seconds taken. bench/encode_bench.sh runs it
// beside native lame.
// Usage: encode_bench.exe <program folder\> <source.wav> <output.mp3>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "encoding_library.h"
#include "engine/bass22_dynamic.h"
#include "engine/encode_channel.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: encode_bench <program folder\\> <source.wav> <output.mp3>\n");
    return 2;
  }
  const std::wstring folder = argv[1];
  if (!StartEncodingLibraries(folder)) return 1;
  double best = 1e9;
  for (int run = 0; run < 3; ++run) {
    DWORD channel = Bass22_dynamic::BASS_StreamCreateFile(FALSE, argv[2], 0, 0,
                                                          BASS_UNICODE | BASS_STREAM_DECODE);
    if (channel == 0) {
      fprintf(stderr, "cannot open the source (%d)\n", Bass22_dynamic::BASS_ErrorGetCode());
      return 1;
    }
    bool cancel = false;
    int last = 0;
    auto start = std::chrono::steady_clock::now();
    EncodeChannel(channel, argv[3], L"", cancel, [&](int32_t p) { last = p; }, efMP3);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    Bass22_dynamic::BASS_StreamFree(channel);
    if (last != 100) {
      fprintf(stderr, "the conversion stopped at %d %%\n", last);
      return 1;
    }
    if (seconds < best) best = seconds;
  }
  printf("%.3f\n", best);
  return 0;
}
