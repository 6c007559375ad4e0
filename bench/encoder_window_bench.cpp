// A batch through the encoder window's path: each file opened as a decoding
// channel, encoded by EncodeChannel into a temporary file with the options
// page's default command line (MP3: constant 128 kbit/s, stereo; Ogg Vorbis:
// 320 kbit/s), moved to its name, its channel freed. Meanwhile a second
// thread posts a message to a window of the converting thread every 20 ms and
// the delay until it is handled is recorded: the program's windows are
// answered only between the encoder's blocks.
// Prints "<seconds> <longest delay ms> <delays measured> <median ms> <99th
// percentile ms> <delays over 100 ms>".
// Usage: encoder_window_bench.exe <program folder\> mp3|ogg <output folder\> <source.wav>...
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "bench_clock.h"
#include "encoding_library.h"
#include "engine/bass22_dynamic.h"
#include "engine/bassenc22_dynamic.h"
#include "engine/encode_channel.h"
#include "windows/options/encoder_options.h"

namespace {

constexpr UINT kProbe = WM_APP + 1;
std::vector<double> gDelays;

LRESULT CALLBACK ProbeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kProbe) {
    double sent;
    static_assert(sizeof(sent) == sizeof(LPARAM));
    memcpy(&sent, &lParam, sizeof sent);
    gDelays.push_back((Now() - sent) * 1000.0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 5) {
    fprintf(stderr, "usage: encoder_window_bench <program folder\\> mp3|ogg <output folder\\> <source.wav>...\n");
    return 2;
  }
  const std::wstring folder = argv[1], out = argv[3];
  const bool mp3 = std::wstring(argv[2]) == L"mp3";
  if (!StartEncodingLibraries(folder)) return 1;
  const std::wstring options = mp3 ? LameOptions(true, 128, 5, 0) : OggEncOptions(true, 320, 5);

  WNDCLASSW probeClass{};
  probeClass.lpfnWndProc = ProbeProc;
  probeClass.lpszClassName = L"EncoderBenchProbe";
  RegisterClassW(&probeClass);
  HWND probe = CreateWindowW(L"EncoderBenchProbe", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  std::atomic<bool> running{true};
  std::thread poster([&] {
    while (running) {
      const double now = Now();
      LPARAM stamp;
      memcpy(&stamp, &now, sizeof stamp);
      PostMessageW(probe, kProbe, 0, stamp);
      Sleep(20);
    }
  });

  const double start = Now();
  int failures = 0;
  // "idle": the same thread only waiting for its messages for 15 s, for a
  // baseline of what the machine's load alone delays.
  if (std::wstring(argv[2]) == L"idle") {
    while (Now() - start < 15.0) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    argc = 4;
  }
  for (int i = 4; i < argc; ++i) {
    std::wstring name = argv[i];
    name = name.substr(name.find_last_of(L'\\') + 1);
    const std::wstring target = out + name + (mp3 ? L".mp3" : L".ogg");
    const std::wstring temp = out + L"tav" + std::to_wstring(i) + L".tmp";
    DWORD channel = Bass22_dynamic::BASS_StreamCreateFile(FALSE, argv[i], 0, 0, BASS_UNICODE | BASS_STREAM_DECODE);
    bool cancel = false;
    int last = 0;
    if (channel != 0)
      EncodeChannel(channel, temp, options, cancel, [&](int32_t p) { last = p; }, mp3 ? efMP3 : efOGG);
    if (channel == 0 || last != 100 || !MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING))
      ++failures;
    if (channel != 0) Bass22_dynamic::BASS_StreamFree(channel);
  }
  const double seconds = Now() - start;
  running = false;
  poster.join();
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  if (failures) {
    fprintf(stderr, "%d file(s) failed\n", failures);
    return 1;
  }
  if (gDelays.empty()) {
    fprintf(stderr, "no message was handled\n");
    return 1;
  }
  std::sort(gDelays.begin(), gDelays.end());
  const size_t n = gDelays.size();
  const auto over = std::count_if(gDelays.begin(), gDelays.end(), [](double d) { return d > 100.0; });
  printf("%.3f %.1f %zu %.1f %.1f %zu\n", seconds, gDelays.back(), n, gDelays[n / 2], gDelays[n * 99 / 100],
         static_cast<size_t>(over));
  return 0;
}
