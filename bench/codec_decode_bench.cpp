// bass.dll decoding compressed files through decoding channels, as fast as it
// can, in 16-bit samples as the player receives them. For each file named on
// the command line as kind=path it prints one line:
//   <kind> <seconds of audio> <seconds taken> <real-time factor>
// A kind starting with "module" opens the file with BASS_MusicLoad and the
// player's flags, any other with BASS_StreamCreateFile.
// With --write-xm <path> it instead writes the benchmark's module: eight
// channels of looped notes changing every eight rows, five minutes long.
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "bass/bass_api.h"
#include "bass_library.h"
#include "bench_clock.h"

namespace {

std::string Le16(uint32_t v) { return {char(v & 0xFF), char((v >> 8) & 0xFF)}; }
std::string Le32(uint32_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }
std::string Text(const std::string& text, size_t size) {
  std::string field = text.substr(0, size);
  field.resize(size, '\0');
  return field;
}

// 40 orders of one 64-row pattern at speed 6, 125 BPM: 307 seconds.
bool WriteXm(const wchar_t* name) {
  constexpr int kChannels = 8, kOrders = 40, kCycle = 64;
  std::string m = "Extended Module: " + Text("bench", 20) + char(0x1A) + Text("tavrin bench", 20) + Le16(0x0104);
  m += Le32(276) + Le16(kOrders) + Le16(0) + Le16(kChannels) + Le16(1) + Le16(1) + Le16(1) + Le16(6) + Le16(125);
  m += std::string(256, '\0');
  std::string rows;
  const int chord[kChannels] = {37, 41, 44, 49, 53, 56, 61, 65};
  for (int row = 0; row < 64; ++row)
    for (int c = 0; c < kChannels; ++c) {
      if (row % 8 == 0) rows += {char(chord[c] + (row / 8) % 3), char(1), char(0x10 + 40), 0, 0};
      else rows += char(0x80);
    }
  m += Le32(9) + char(0) + Le16(64) + Le16(static_cast<uint32_t>(rows.size())) + rows;
  std::string instrument = Text("tone", 22) + char(0) + Le16(1) + Le32(40) + std::string(96 + 96 + 14, '\0');
  instrument += Le16(0) + std::string(22, '\0');
  m += Le32(static_cast<uint32_t>(4 + instrument.size())) + instrument;
  // A 16-bit sample with a few harmonics, delta-encoded.
  m += Le32(kCycle * 2) + Le32(0) + Le32(kCycle * 2) + char(64) + char(0) + char(0x11) + char(128) + char(0) +
       char(0) + Text("tone", 22);
  int16_t previous = 0;
  for (int i = 0; i < kCycle; ++i) {
    double t = 2 * 3.14159265358979 * i / kCycle;
    auto v = static_cast<int16_t>(12000 * (std::sin(t) + 0.5 * std::sin(2 * t) + 0.25 * std::sin(3 * t)));
    m += Le16(static_cast<uint16_t>(static_cast<int16_t>(v - previous)));
    previous = v;
  }
  HANDLE file = CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, m.data(), static_cast<DWORD>(m.size()), &written, nullptr) && written == m.size();
  CloseHandle(file);
  return ok;
}


bool Bench(const Bass& b, const std::wstring& kind, const std::wstring& path) {
  const double start = Now();
  DWORD handle = 0;
  if (kind.rfind(L"module", 0) == 0)
    handle = b.BASS_MusicLoad(FALSE, path.c_str(), 0, 0,
                              BASS_UNICODE | BASS_MUSIC_PRESCAN | BASS_MUSIC_RAMPS | BASS_MUSIC_DECODE, 0);
  else
    handle = b.BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_UNICODE | BASS_STREAM_DECODE);
  if (!handle) {
    std::fprintf(stderr, "%ls: cannot open %ls (error %d)\n", kind.c_str(), path.c_str(), b.BASS_ErrorGetCode());
    return false;
  }
  std::vector<char> block(1 << 16);
  uint64_t bytes = 0;
  for (;;) {
    DWORD got = b.BASS_ChannelGetData(handle, block.data(), static_cast<DWORD>(block.size()));
    if (got == DWORD(-1) || got == 0) break;
    bytes += got;
  }
  const double taken = Now() - start;
  const double audio = b.BASS_ChannelBytes2Seconds(handle, bytes);
  b.BASS_StreamFree(handle);
  std::printf("%ls %.2f %.3f %.1f\n", kind.c_str(), audio, taken, audio / taken);
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wstring(argv[1]) == L"--write-xm") return WriteXm(argv[2]) ? 0 : 1;
  Bass b;
  if (!Load(b)) {
    std::fprintf(stderr, "bass.dll not found\n");
    return 1;
  }
  if (!b.BASS_Init(0, 44100, 0, nullptr, nullptr)) {
    std::fprintf(stderr, "BASS_Init failed: %d\n", b.BASS_ErrorGetCode());
    return 1;
  }
  int failures = 0;
  for (int i = 1; i < argc; ++i) {
    std::wstring arg = argv[i];
    size_t eq = arg.find(L'=');
    if (eq == std::wstring::npos || !Bench(b, arg.substr(0, eq), arg.substr(eq + 1))) ++failures;
  }
  b.BASS_Free();
  return failures == 0 ? 0 : 1;
}
