// One case of the visualisation CPU benchmark (bench/vis_cpu_bench.sh), run
// on a Wine server and display of its own: brings the measured program into
// its state, says so, and keeps it there until told to stop.
//   spectrum, scope, none  tavrin.exe playing the song with that visualisation
//   minimised              tavrin.exe playing with the spectrum, minimised as
//                          its minimise button does it
//   floor                  vis_floor.exe, the least a 50 fps visualiser does
// The control folder gets "ready" once the state is reached (or "failed" with
// the reason); the script measures meanwhile and then writes "stop" there.
// Usage: vis_cpu_case <case> <song> <control folder>
#include <windows.h>

#include <cstdio>
#include <string>

#include "program_runner.h"
#include "test_support.h"

namespace {

constexpr UINT kRemote = 0x89CE;
constexpr WPARAM kRemoteMinimise = 205;

void WriteText(const std::wstring& path, const std::string& text) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

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

// The program's default settings with the visualisation kind (0 spectrum,
// 1 oscilloscope, 2 none) at the default 50 frames a second.
std::string SettingsWithVisKind(int kind) {
  std::string xml = testing_support::ReadFileBytes(TAVRIN_DEFAULT_SETTINGS);
  const std::string from = "<Visualization Style=\"0\" RefreshRate=\"4\"";
  const size_t at = xml.find(from);
  if (at == std::string::npos) return {};
  xml.replace(at, from.size(), "<Visualization Style=\"" + std::to_string(kind) + "\" RefreshRate=\"4\"");
  return xml;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: vis_cpu_case spectrum|scope|none|minimised|floor <song> <control folder>\n");
    return 2;
  }
  const std::wstring kase = argv[1], song = argv[2], control = std::wstring(argv[3]) + L"\\";
  std::string problems;
  e2e::ProgramRunner runner([&problems](const std::wstring& problem) { problems += Narrow(problem) + "\n"; });
  auto fail = [&](const std::string& why) {
    WriteText(control + L"failed", why + "\n" + problems);
    return 1;
  };

  e2e::ProgramFolder folder;
  e2e::Program* program = nullptr;
  HWND main = nullptr;
  if (kase == L"floor") {
    program = runner.Start(e2e::BuiltProgramFolder() + L"..\\bench\\vis_floor.exe", {}, {}, L"TavrinVisFloor");
    main = program ? runner.WaitForMainWindow(*program) : nullptr;
    if (!main) return fail("the floor program did not show its window");
  } else {
    const int kind = kase == L"scope" ? 1 : kase == L"none" ? 2 : 0;
    if (kase != L"spectrum" && kase != L"scope" && kase != L"none" && kase != L"minimised")
      return fail("no case " + Narrow(kase));
    const std::string settings = SettingsWithVisKind(kind);
    if (settings.empty()) return fail("the default settings have no visualisation element");
    folder.Write(L"Tavrin.xml", settings);
    program = runner.Start(folder.Exe(), {song}, {{L"TAVRIN_BASS_OUTPUT", L"null"}});
    main = program ? runner.WaitForMainWindow(*program) : nullptr;
    if (!main) return fail("tavrin.exe did not show its main window");
    // Playing: the application's title names the song.
    if (!runner.WaitUntil([&] { return ApplicationTitle(program->Id()).ends_with(L" - Tavrin"); }, 20000))
      return fail("tavrin.exe is not playing: \"" + Narrow(ApplicationTitle(program->Id())) + "\"");
    if (kase == L"minimised") {
      PostMessageW(main, kRemote, kRemoteMinimise, 0);
      if (!runner.WaitUntil([&] { return !IsWindowVisible(main) || IsIconic(main); }, 10000))
        return fail("the main window did not go");
    }
  }
  // Start-up work (the playlist's durations, the first pictures) settles first.
  Sleep(3000);
  if (!runner.CheckDialogs()) return fail("a message box came up");
  WriteText(control + L"ready", "");

  while (!Exists(control + L"stop") && program->Running()) Sleep(1000);
  if (!program->Running()) return fail("the measured program ended early");
  PostMessageW(main, WM_CLOSE, 0, 0);
  if (!runner.WaitForExit(*program, 20000)) return fail("the measured program did not end");
  runner.Finish();
  return problems.empty() ? 0 : fail("problems");
}
