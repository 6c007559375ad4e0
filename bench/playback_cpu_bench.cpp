// CPU time of tavrin.exe while it plays a five-minute file through the
// stand-in's silent output: with the main window showing the spectrum at its
// default rate, then with the window minimised, and, for scale, idle with
// nothing playing. The figure is the process's user + kernel time over the
// wall time, in percent of one core: GetProcessTimes on Windows; Wine 8
// answers it for any process with the calling process's own times, so under
// Wine the same two times come from the Unix process's /proc/<pid>/stat,
// found by its command line. Wine's server and the X server work outside the
// process and are not counted.
// Each playing figure is the median of three measurements (other work on the
// machine moves single ones by half a percent).
// Usage: playback_cpu_bench [seconds per measurement [settings file]]
// (default 20 s and the program's default settings)
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "program_runner.h"
#include "test_support.h"

namespace {

// Under Wine: the /proc folder of the Unix process whose command line holds
// Marker (the program folder's unique name), or "".
std::wstring UnixProcessFolder(const std::string& Marker) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &found);
  if (search == INVALID_HANDLE_VALUE) return {};
  std::wstring folder;
  do {
    const std::wstring name = found.cFileName;
    if (name.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
    const std::wstring candidate = L"Z:\\proc\\" + name + L"\\";
    std::string line = testing_support::ReadFileBytes(candidate + L"cmdline");
    for (char& c : line) c = c == '\0' ? ' ' : c;
    if (line.find(Marker) != std::string::npos && line.find("tavrin.exe") != std::string::npos) folder = candidate;
  } while (folder.empty() && FindNextFileW(search, &found));
  FindClose(search);
  return folder;
}

bool UnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// User + system seconds: from the system, or under Wine from /proc (clock
// ticks of 1/100 s).
double ProcessSeconds(HANDLE process, const std::wstring& unixFolder) {
  FILETIME created, exited, kernel, user;
  auto seconds = [](FILETIME t) {
    return static_cast<double>((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
  };
  if (!UnderWine())
    return GetProcessTimes(process, &created, &exited, &kernel, &user) ? seconds(kernel) + seconds(user) : 0;
  const std::string stat = testing_support::ReadFileBytes(unixFolder + L"stat");
  const size_t close = stat.rfind(')');
  if (close == std::string::npos) return 0;
  // After the name: state, then 10 more fields; utime and stime follow.
  const char* at = stat.c_str() + close + 2;
  for (int field = 3; field < 14 && *at; ++field) at = std::strchr(at, ' ') ? std::strchr(at, ' ') + 1 : "";
  char* end = nullptr;
  const double utime = std::strtod(at, &end);
  const double stime = std::strtod(end, nullptr);
  return (utime + stime) / 100.0;
}

std::wstring ApplicationTitle(DWORD pid) {
  struct Search {
    DWORD pid;
    HWND found;
  } search{pid, nullptr};
  EnumWindows(
      [](HWND w, LPARAM p) {
        auto* s = reinterpret_cast<Search*>(p);
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == s->pid && e2e::ClassOf(w) == L"TApplication") s->found = w;
        return s->found ? FALSE : TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found ? e2e::WindowText(search.found) : L"";
}

struct Figure {
  double Median, Low, High;
};

// Percent of one core the process used over the next Seconds.
double CpuPercent(HANDLE process, const std::wstring& unixFolder, unsigned Seconds) {
  const double cpu = ProcessSeconds(process, unixFolder);
  const ULONGLONG start = GetTickCount64();
  Sleep(Seconds * 1000);
  const double wall = static_cast<double>(GetTickCount64() - start) / 1000.0;
  return (ProcessSeconds(process, unixFolder) - cpu) / wall * 100.0;
}

Figure CpuFigure(HANDLE process, const std::wstring& unixFolder, unsigned Seconds) {
  double runs[3];
  for (double& run : runs) run = CpuPercent(process, unixFolder, Seconds);
  std::sort(std::begin(runs), std::end(runs));
  return {runs[1], runs[0], runs[2]};
}

// Five minutes of 44.1 kHz stereo: a few drifting tones over noise, so every
// part of the spectrum moves.
std::string MusicWav(uint32_t seconds) {
  const uint32_t rate = 44100, frames = rate * seconds, bytes = frames * 4;
  std::string w = "RIFF";
  auto put = [&w](uint32_t v, int n) {
    for (int i = 0; i < n; ++i) w += static_cast<char>(v >> (8 * i));
  };
  put(36 + bytes, 4);
  w += "WAVEfmt ";
  put(16, 4), put(1, 2), put(2, 2), put(rate, 4), put(rate * 4, 4), put(4, 2), put(16, 2);
  w += "data";
  put(bytes, 4);
  w.reserve(w.size() + bytes);
  uint32_t noise = 1;
  for (uint32_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    noise = noise * 1664525u + 1013904223u;
    const double v = 0.25 * std::sin(2 * 3.14159265 * 220 * t) +
                     0.15 * std::sin(2 * 3.14159265 * (880 + 200 * std::sin(t)) * t) +
                     0.08 * std::sin(2 * 3.14159265 * 5000 * t) + 0.1 * ((noise >> 16) / 32768.0 - 1.0);
    const auto s = static_cast<uint16_t>(static_cast<int16_t>(std::lround(v * 32000)));
    put(s | uint32_t{s} << 16, 4);
  }
  return w;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const unsigned seconds = argc > 1 ? static_cast<unsigned>(_wtoi(argv[1])) : 20;
  bool failed = false;
  e2e::ProgramRunner runner([&failed](const std::wstring& problem) {
    failed = true;
    std::fwprintf(stderr, L"problem: %ls\n", problem.c_str());
  });
  e2e::ProgramFolder folder;
  if (argc > 2) {
    // Another settings document, to see what a setting costs.
    HANDLE file = CreateFileW(argv[2], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    std::string bytes(static_cast<size_t>(GetFileSize(file, nullptr)), '\0');
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    folder.Write(L"Tavrin.xml", bytes);
  }
  testing_support::TempDir data;
  const std::wstring song = data.WriteFile(L"five minutes.wav", MusicWav(300));
  const e2e::Environment silent{{L"TAVRIN_BASS_OUTPUT", L"null"}};
  std::wstring path = folder.Path();
  path.pop_back();
  const std::string marker(path.begin() + static_cast<ptrdiff_t>(path.rfind(L'\\') + 1), path.end());

  // Idle: the window shown, nothing playing.
  e2e::Program* idle = runner.Start(folder.Exe(), {}, silent);
  if (!idle || !runner.WaitForMainWindow(*idle)) return 1;
  Sleep(2000);
  const double idlePercent = CpuPercent(idle->Handle(), UnixProcessFolder(marker), seconds);
  PostMessageW(idle->MainWindow(), WM_CLOSE, 0, 0);
  runner.WaitForExit(*idle);

  // The file on the command line plays at once; a moment to settle first.
  e2e::Program* tavrin = runner.Start(folder.Exe(), {song}, silent);
  HWND main = tavrin ? runner.WaitForMainWindow(*tavrin) : nullptr;
  if (!main) return 1;
  // Playing: the application's title names the song.
  if (!runner.WaitUntil([&] { return ApplicationTitle(tavrin->Id()) == L"five minutes - Tavrin"; }, 10000)) {
    std::fwprintf(stderr, L"not playing: \"%ls\"\n", ApplicationTitle(tavrin->Id()).c_str());
    return 1;
  }
  Sleep(2000);
  const std::wstring unixFolder = UnixProcessFolder(marker);
  if (UnderWine() && unixFolder.empty()) {
    std::fprintf(stderr, "the program's Unix process was not found\n");
    return 1;
  }
  const Figure shown = CpuFigure(tavrin->Handle(), unixFolder, seconds);
  // As a window manager or the taskbar does it.
  ShowWindow(main, SW_MINIMIZE);
  Sleep(2000);
  const Figure minimisedCpu = CpuFigure(tavrin->Handle(), unixFolder, seconds);
  const bool minimised = !IsWindowVisible(main) || IsIconic(main);
  PostMessageW(main, WM_CLOSE, 0, 0);
  runner.WaitForExit(*tavrin);

  std::printf("tavrin.exe CPU, median of 3 x %u s, percent of one core (%s):\n", seconds,
              UnderWine() ? "/proc/<pid>/stat under Wine" : "GetProcessTimes");
  std::printf("  playing, spectrum shown at its default rate: %6.2f %%  (%.2f-%.2f; goal < 3 %%)\n",
              shown.Median, shown.Low, shown.High);
  std::printf("  playing, window minimised:                   %6.2f %%  (%.2f-%.2f; goal < 1 %%)%s\n",
              minimisedCpu.Median, minimisedCpu.Low, minimisedCpu.High,
              minimised ? "" : "  [the window did not go]");
  std::printf("  idle, nothing playing (for scale):           %6.2f %%\n", idlePercent);
  return failed ? 1 : 0;
}
