// Start-up of tavrin.exe as a user sees it: the time from creating the process
// to its main window painted with the message loop idle, with an empty last
// playlist and with one of 10,000 entries; and the working set once idle after
// the start. The same for a minimal Win32 program under the same system, for
// scale. Warm: one unmeasured start first; medians of the runs.
// Usage: startup_bench [runs]   (default 10)
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "program_runner.h"

namespace {

using e2e::Program;
using e2e::ProgramRunner;

struct Run {
  double Seconds = 0;
  double WorkingSetMiB = 0;
};

struct Subject {
  const char* Name;
  std::wstring Exe;
  std::wstring MainClass;
};

// Nothing left to paint in the window or any of its children.
bool Painted(HWND window) {
  if (GetUpdateRect(window, nullptr, FALSE)) return false;
  bool clean = true;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM p) -> BOOL {
        if (IsWindowVisible(child) && GetUpdateRect(child, nullptr, FALSE)) {
          *reinterpret_cast<bool*>(p) = false;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&clean));
  return clean;
}


// Polls every millisecond: the runner's waits poll more coarsely than the
// figures need.
bool PollUntil(ProgramRunner& runner, const auto& done, double timeoutSeconds) {
  const double deadline = Now() + timeoutSeconds;
  while (Now() < deadline) {
    if (!runner.CheckDialogs()) return false;
    if (done()) return true;
    Sleep(1);
  }
  return false;
}

bool RunOnce(ProgramRunner& runner, const Subject& subject, Run& run) {
  const double start = Now();
  Program* program = runner.Start(subject.Exe, {}, {}, subject.MainClass);
  if (!program) return false;
  HWND main = nullptr;
  bool shown = PollUntil(
      runner,
      [&] {
        main = program->MainWindow();
        return main && e2e::Answers(main, 5000) && Painted(main);
      },
      15.0);
  run.Seconds = Now() - start;
  if (shown) {
    Sleep(1000);
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    if (GetProcessMemoryInfo(program->Handle(), &pmc, sizeof pmc)) {
      run.WorkingSetMiB = static_cast<double>(pmc.WorkingSetSize) / (1024.0 * 1024.0);
    }
    // WM_CLOSE leaves without saving: every run finds the same last playlist.
    PostMessageW(main, WM_CLOSE, 0, 0);
  } else {
    runner.Report(L"no painted, idle main window within 15 s");
  }
  runner.WaitForExit(*program, 10000);
  runner.Finish();
  return shown;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Median start time and working set of runs after one warm-up start.
bool Measure(const Subject& subject, int runs, Run& median) {
  ProgramRunner runner;
  Run ignored;
  if (!RunOnce(runner, subject, ignored)) return false;
  std::vector<double> seconds, memory;
  for (int i = 0; i < runs; ++i) {
    Run run;
    if (!RunOnce(runner, subject, run)) return false;
    seconds.push_back(run.Seconds);
    memory.push_back(run.WorkingSetMiB);
  }
  median = {Median(seconds), Median(memory)};
  return true;
}

std::vector<e2e::PlaylistEntry> LongPlaylist(int count) {
  std::vector<e2e::PlaylistEntry> entries;
  entries.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    std::wstring artist = L"Artist " + std::to_wstring(i / 120);
    std::wstring album = L"Album " + std::to_wstring(i / 12);
    std::wstring title = L"Song number " + std::to_wstring(i);
    entries.push_back({L"C:\\Music\\" + artist + L"\\" + album + L"\\" + title + L".mp3",
                       artist + L" - " + title, 180 + i % 120});
  }
  return entries;
}

std::wstring BenchFolder() {
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring path = exe;
  return path.substr(0, path.find_last_of(L'\\') + 1);
}

void Print(const char* label, const Run& r, const char* goal) {
  std::printf("%-38s %7.3f s   working set %6.1f MiB   %s\n", label, r.Seconds, r.WorkingSetMiB, goal);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 10;
  e2e::ProgramFolder empty;
  e2e::ProgramFolder full;
  full.WritePlaylist(LongPlaylist(10000));

  const Subject subjects[] = {
      {"tavrin.exe, empty playlist:", empty.Exe(), L"TTavrinMainForm"},
      {"tavrin.exe, 10,000-entry playlist:", full.Exe(), L"TTavrinMainForm"},
      {"minimal_window.exe:", BenchFolder() + L"minimal_window.exe", L"TavrinMinimalWindow"}};
  const char* goals[] = {"(goals: < 0.5 s, < 40 MiB)", "(goal: < 1 s)", "(for scale)"};
  std::printf("start to painted, idle main window; median of %d warm runs\n", runs);
  Run results[3];
  for (int i = 0; i < 3; ++i) {
    if (!Measure(subjects[i], runs, results[i])) {
      std::printf("%-38s failed\n", subjects[i].Name);
      return 1;
    }
    Print(subjects[i].Name, results[i], goals[i]);
  }
  std::printf("ratio to the minimal program: start %.1fx, working set %.1fx\n",
              results[0].Seconds / results[2].Seconds,
              results[0].WorkingSetMiB / results[2].WorkingSetMiB);
  return 0;
}
