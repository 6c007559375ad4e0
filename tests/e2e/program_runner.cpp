#include "program_runner.h"

#include <algorithm>
#include <cwctype>
#include <stdexcept>

namespace e2e {
namespace {

bool SameText(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::wstring Widen(const std::string& bytes, UINT codePage, DWORD flags) {
  if (bytes.empty()) return {};
  int n = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()),
                              nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
  return out;
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\') + 1); }

std::wstring ModuleFolder() {
  std::wstring exe(32768, L'\0');
  DWORD n = GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
  exe.resize(n);
  return FolderOf(exe);
}

// Copies a folder's files and subfolders; state left by a developer's run in
// the build's folder (settings, last playlist) would turn a first start into
// a later one, so it stays behind.
void CopyTree(const std::wstring& from, const std::wstring& to, bool top) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((from + L"*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("the program folder cannot be read");
  do {
    std::wstring name = fd.cFileName;
    if (name == L"." || name == L"..") continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      CreateDirectoryW((to + name).c_str(), nullptr);
      CopyTree(from + name + L"\\", to + name + L"\\", false);
    } else if (!(top && (SameText(name, L"Tavrin.xml") || SameText(name, L"tavrin.m3u") ||
                         SameText(name, L"tavrin.m3u.bak")))) {
      if (!CopyFileW((from + name).c_str(), (to + name).c_str(), FALSE)) {
        FindClose(h);
        throw std::runtime_error("a file of the program folder cannot be copied");
      }
    }
  } while (FindNextFileW(h, &fd));
  FindClose(h);
}

std::vector<std::wstring> SplitLines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(start, end - start);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

std::vector<HWND> TopLevel(DWORD pid, const std::wstring& className) {
  struct Search {
    DWORD pid;
    const std::wstring* className;
    std::vector<HWND> found;
  } search{pid, &className, {}};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == s->pid && IsWindowVisible(w) && ClassOf(w) == *s->className) {
          s->found.push_back(w);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Command-line quoting the C runtime undoes: backslashes count only before a quote.
std::wstring Quote(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  size_t slashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++slashes;
    } else if (c == L'"') {
      out.append(slashes * 2 + 1, L'\\');
      slashes = 0;
    } else {
      slashes = 0;
    }
    out += c;
  }
  out.append(slashes, L'\\');
  return out + L"\"";
}

std::vector<wchar_t> EnvironmentBlock(const Environment& extra) {
  std::vector<std::wstring> entries;
  if (LPWCH env = GetEnvironmentStringsW()) {
    for (const wchar_t* p = env; *p; p += wcslen(p) + 1) entries.emplace_back(p);
    FreeEnvironmentStringsW(env);
  }
  auto nameOf = [](const std::wstring& entry) {
    // Entries such as "=C:=C:\" start with '=': the name ends at the next one.
    return entry.substr(0, entry.find(L'=', 1));
  };
  for (const auto& [name, value] : extra) {
    std::erase_if(entries, [&](const std::wstring& e) { return SameText(nameOf(e), name); });
    entries.push_back(name + L"=" + value);
  }
  std::sort(entries.begin(), entries.end(), [&](const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_LESS_THAN;
  });
  std::vector<wchar_t> block;
  for (const auto& e : entries) {
    block.insert(block.end(), e.begin(), e.end());
    block.push_back(L'\0');
  }
  block.push_back(L'\0');
  if (block.size() == 1) block.push_back(L'\0');
  return block;
}

}  // namespace

std::wstring DecodeText(const std::string& bytes) {
  auto startsWith = [&](const char* mark, size_t n) { return bytes.compare(0, n, mark, n) == 0; };
  if (startsWith("\xFF\xFE", 2) || startsWith("\xFE\xFF", 2)) {
    bool big = bytes[0] == '\xFE';
    std::wstring out;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      auto lo = static_cast<unsigned char>(bytes[i + (big ? 1 : 0)]);
      auto hi = static_cast<unsigned char>(bytes[i + (big ? 0 : 1)]);
      out += static_cast<wchar_t>(lo | (hi << 8));
    }
    return out;
  }
  if (startsWith("\xEF\xBB\xBF", 3)) return Widen(bytes.substr(3), CP_UTF8, 0);
  std::wstring utf8 = Widen(bytes, CP_UTF8, MB_ERR_INVALID_CHARS);
  return utf8.empty() ? Widen(bytes, CP_ACP, 0) : utf8;
}

std::optional<std::vector<PlaylistEntry>> ParsePlaylist(const std::string& bytes) {
  std::vector<std::wstring> lines = SplitLines(DecodeText(bytes));
  if (lines.empty() || lines[0] != L"#EXTM3U") return std::nullopt;
  std::vector<PlaylistEntry> entries;
  PlaylistEntry pending;
  for (size_t i = 1; i < lines.size(); ++i) {
    const std::wstring& line = lines[i];
    if (line.empty()) continue;
    if (line.rfind(L"#EXTINF:", 0) == 0) {
      size_t comma = line.find(L',');
      pending.Seconds = _wtoi(line.substr(8, comma == std::wstring::npos ? std::wstring::npos : comma - 8).c_str());
      pending.Title = comma == std::wstring::npos ? L"" : line.substr(comma + 1);
    } else if (line[0] != L'#') {
      pending.File = line;
      entries.push_back(pending);
      pending = {};
    }
  }
  return entries;
}

std::string MakePlaylist(const std::vector<PlaylistEntry>& entries) {
  std::wstring text = L"#EXTM3U\r\n";
  for (const auto& e : entries) {
    if (e.Seconds >= 0) text += L"#EXTINF:" + std::to_wstring(e.Seconds) + L"," + e.Title + L"\r\n";
    text += e.File + L"\r\n";
  }
  std::string bytes = "\xFF\xFE";
  for (wchar_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>((c >> 8) & 0xFF);
  }
  return bytes;
}

std::optional<std::wstring> XmlAttribute(const std::wstring& xml, const std::wstring& element,
                                         const std::wstring& attribute) {
  std::wstring open = L"<" + element;
  for (size_t at = xml.find(open); at != std::wstring::npos; at = xml.find(open, at + 1)) {
    size_t after = at + open.size();
    if (after >= xml.size() || !(std::iswspace(xml[after]) || xml[after] == L'/' || xml[after] == L'>')) {
      continue;
    }
    size_t end = xml.find(L'>', after);
    std::wstring tag = xml.substr(after, end == std::wstring::npos ? std::wstring::npos : end - after);
    for (size_t a = tag.find(attribute); a != std::wstring::npos; a = tag.find(attribute, a + 1)) {
      if (a == 0 || !std::iswspace(tag[a - 1])) continue;
      size_t eq = tag.find_first_not_of(L" \t\r\n", a + attribute.size());
      if (eq == std::wstring::npos || tag[eq] != L'=') continue;
      size_t q = tag.find_first_not_of(L" \t\r\n", eq + 1);
      if (q == std::wstring::npos || (tag[q] != L'"' && tag[q] != L'\'')) continue;
      size_t close = tag.find(tag[q], q + 1);
      if (close == std::wstring::npos) return std::nullopt;
      return tag.substr(q + 1, close - q - 1);
    }
    return std::nullopt;
  }
  return std::nullopt;
}

std::wstring BuiltProgramFolder() {
  std::wstring relative = ModuleFolder() + L"..\\bin\\";
  wchar_t full[MAX_PATH * 4] = {};
  DWORD n = GetFullPathNameW(relative.c_str(), MAX_PATH * 4, full, nullptr);
  return n > 0 && n < MAX_PATH * 4 ? std::wstring(full) : relative;
}

ProgramFolder::ProgramFolder() { CopyTree(BuiltProgramFolder(), FDir.Path(), true); }

bool ProgramFolder::Exists(const std::wstring& name) const {
  return GetFileAttributesW(File(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool ProgramFolder::Remove(const std::wstring& name) const { return DeleteFileW(File(name).c_str()); }

void ProgramFolder::Write(const std::wstring& name, const std::string& bytes) const {
  FDir.WriteFile(name, bytes);
}

std::string ProgramFolder::Read(const std::wstring& name) const {
  return testing_support::ReadFileBytes(File(name));
}

void ProgramFolder::WritePlaylist(const std::vector<PlaylistEntry>& entries) const {
  Write(L"tavrin.m3u", MakePlaylist(entries));
}

std::optional<std::vector<PlaylistEntry>> ProgramFolder::ReadPlaylist() const {
  return ParsePlaylist(Read(L"tavrin.m3u"));
}

std::wstring ProgramFolder::ReadSettings() const { return DecodeText(Read(L"Tavrin.xml")); }

Program::Program(PROCESS_INFORMATION info, std::wstring mainClass)
    : FInfo(info), FMainClass(std::move(mainClass)) {}

Program::~Program() {
  CloseHandle(FInfo.hThread);
  CloseHandle(FInfo.hProcess);
}

bool Program::Running() const { return WaitForSingleObject(FInfo.hProcess, 0) == WAIT_TIMEOUT; }

DWORD Program::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(FInfo.hProcess, &code);
  return code;
}

std::vector<HWND> Program::Windows(const std::wstring& className) const {
  return TopLevel(Id(), className);
}

HWND Program::MainWindow() const {
  std::vector<HWND> found = Windows(FMainClass);
  return found.empty() ? nullptr : found.front();
}

std::vector<HWND> Program::Dialogs() const { return Windows(L"#32770"); }

ProgramRunner::ProgramRunner(ProblemSink onProblem) : FOnProblem(std::move(onProblem)) {
  // A child that outlives us (Wine's services are such children) must not
  // hold a pipe our reader waits on: none of our standard handles is inherited.
  for (DWORD which : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
    HANDLE h = GetStdHandle(which);
    if (h && h != INVALID_HANDLE_VALUE) SetHandleInformation(h, HANDLE_FLAG_INHERIT, 0);
  }
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  FNul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                     OPEN_EXISTING, 0, nullptr);
  if (FNul == INVALID_HANDLE_VALUE) FNul = nullptr;
}

ProgramRunner::~ProgramRunner() {
  Finish();
  if (FNul) CloseHandle(FNul);
}

void ProgramRunner::Report(const std::wstring& problem) const {
  if (FOnProblem) {
    FOnProblem(problem);
  } else {
    fwprintf(stderr, L"%ls\n", problem.c_str());
  }
}

Program* ProgramRunner::Start(const std::wstring& exe, const std::vector<std::wstring>& args,
                              const Environment& extra, const std::wstring& mainClass) {
  std::wstring commandLine = Quote(exe);
  for (const auto& a : args) commandLine += L" " + Quote(a);
  std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
  line.push_back(L'\0');
  std::vector<wchar_t> env = EnvironmentBlock(extra);

  STARTUPINFOEXW si{};
  si.StartupInfo.cb = sizeof si;
  DWORD flags = CREATE_UNICODE_ENVIRONMENT;
  // Only the NUL handle is passed on, where the system can restrict it so.
  std::vector<char> attributes;
  SIZE_T attributesSize = 0;
  InitializeProcThreadAttributeList(nullptr, 1, 0, &attributesSize);
  if (FNul && attributesSize > 0) {
    attributes.resize(attributesSize);
    auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributes.data());
    if (InitializeProcThreadAttributeList(list, 1, 0, &attributesSize) &&
        UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &FNul, sizeof FNul,
                                  nullptr, nullptr)) {
      si.lpAttributeList = list;
      si.StartupInfo.cb = sizeof(STARTUPINFOEXW);
      flags |= EXTENDED_STARTUPINFO_PRESENT;
    }
  }
  if (FNul) {
    si.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    si.StartupInfo.hStdInput = si.StartupInfo.hStdOutput = si.StartupInfo.hStdError = FNul;
  }
  PROCESS_INFORMATION pi{};
  BOOL ok = CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FNul != nullptr, flags,
                           env.data(), FWorkDir.Path().c_str(), &si.StartupInfo, &pi);
  if (!ok && (flags & EXTENDED_STARTUPINFO_PRESENT)) {
    si.StartupInfo.cb = sizeof(STARTUPINFOW);
    ok = CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FNul != nullptr,
                        CREATE_UNICODE_ENVIRONMENT, env.data(), FWorkDir.Path().c_str(),
                        &si.StartupInfo, &pi);
  }
  if (si.lpAttributeList) DeleteProcThreadAttributeList(si.lpAttributeList);
  if (!ok) {
    Report(L"cannot start " + exe + L" (error " + std::to_wstring(GetLastError()) + L")");
    return nullptr;
  }
  FPrograms.push_back(std::make_unique<Program>(pi, mainClass));
  return FPrograms.back().get();
}

void ProgramRunner::ExpectDialog(HWND dialog) {
  if (std::find(FExpected.begin(), FExpected.end(), dialog) == FExpected.end()) {
    FExpected.push_back(dialog);
  }
}

bool ProgramRunner::CheckDialogs() {
  bool clean = true;
  for (const auto& p : FPrograms) {
    if (!p->Running()) continue;
    for (HWND d : p->Dialogs()) {
      if (std::find(FExpected.begin(), FExpected.end(), d) != FExpected.end()) continue;
      clean = false;
      if (std::find(FReported.begin(), FReported.end(), d) != FReported.end()) continue;
      FReported.push_back(d);
      Report(L"unexpected message box of process " + std::to_wstring(p->Id()) + L": \"" +
             WindowText(d) + L"\": " + MessageBoxText(d));
    }
  }
  return clean;
}

bool ProgramRunner::WaitUntil(const std::function<bool()>& done, unsigned timeoutMs,
                              bool boxesExpected) {
  bool boxed = false;
  bool held = testing_support::PumpMessagesUntil(
      [&] {
        if (!boxesExpected && !CheckDialogs()) {
          boxed = true;
          return true;
        }
        return done();
      },
      timeoutMs);
  return held && !boxed;
}

HWND ProgramRunner::WaitForMainWindow(Program& program, unsigned timeoutMs) {
  HWND main = nullptr;
  WaitUntil([&] { return (main = program.MainWindow()) != nullptr || !program.Running(); },
            timeoutMs);
  if (main) return main;
  if (!program.Running()) {
    Report(L"the program ended (code " + std::to_wstring(program.ExitCode()) +
           L") without showing its main window");
  } else {
    Report(L"no main window within " + std::to_wstring(timeoutMs) + L" ms");
  }
  return nullptr;
}

HWND ProgramRunner::WaitForMessageBox(Program& program, unsigned timeoutMs) {
  HWND box = nullptr;
  WaitUntil(
      [&] {
        std::vector<HWND> found = program.Dialogs();
        for (HWND d : found) {
          if (std::find(FExpected.begin(), FExpected.end(), d) == FExpected.end()) box = d;
        }
        return box != nullptr || !program.Running();
      },
      timeoutMs, true);
  if (box) {
    ExpectDialog(box);
  } else {
    Report(L"no message box within " + std::to_wstring(timeoutMs) + L" ms");
  }
  return box;
}

bool ProgramRunner::WaitForExit(Program& program, unsigned timeoutMs, DWORD expectedCode) {
  WaitUntil([&] { return !program.Running(); }, timeoutMs);
  if (program.Running()) {
    Report(L"process " + std::to_wstring(program.Id()) + L" still running after " +
           std::to_wstring(timeoutMs) + L" ms");
    return false;
  }
  program.FEndChecked = true;
  if (program.ExitCode() != expectedCode) ReportExitCode(program);
  return true;
}

// Any end but a clean one is a fault: an exception code (0xC0000005...),
// abort() (3), std::terminate or an exit with an error.
void ProgramRunner::ReportExitCode(const Program& program) const {
  wchar_t code[16];
  swprintf(code, 16, L"%08lX", program.ExitCode());
  Report(L"process " + std::to_wstring(program.Id()) + L" ended with code 0x" + code);
}

void ProgramRunner::Finish() {
  CheckDialogs();
  for (const auto& p : FPrograms) {
    if (!p->Running()) {
      if (!p->FEndChecked && p->ExitCode() != 0) ReportExitCode(*p);
      continue;
    }
    Report(L"process " + std::to_wstring(p->Id()) + L" was still running at the end: terminated");
    TerminateProcess(p->Handle(), 1);
    // Its files must be free before the folder goes.
    WaitForSingleObject(p->Handle(), 10000);
  }
  FPrograms.clear();
  FExpected.clear();
  FReported.clear();
}

std::wstring WindowText(HWND window) {
  wchar_t text[4096] = {};
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text),
                           SMTO_ABORTIFHUNG, 2000, &got)) {
    GetWindowTextW(window, text, 4096);
  }
  text[4095] = L'\0';
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

std::wstring MessageBoxText(HWND box) {
  // 0xFFFF is the text's id in Windows' message boxes; other dialogs (and
  // other systems' boxes) are read by their first static text.
  if (HWND text = GetDlgItem(box, 0xFFFF)) return WindowText(text);
  for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (SameText(ClassOf(c), L"Static")) {
      std::wstring t = WindowText(c);
      if (!t.empty()) return t;
    }
  }
  return {};
}

bool PressDialogButton(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

HWND FindChildAt(HWND top, const RECT& rect) {
  struct Search {
    HWND top;
    RECT rect;
    HWND found;
  } search{top, rect, nullptr};
  // Descendants come parent first: the last match is the deepest.
  EnumChildWindows(
      top,
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        RECT r;
        if (!IsWindowVisible(w) || !GetWindowRect(w, &r)) return TRUE;
        MapWindowPoints(HWND_DESKTOP, s->top, reinterpret_cast<POINT*>(&r), 2);
        if (EqualRect(&r, &s->rect)) s->found = w;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void PostClick(HWND window, POINT clientPoint) {
  LPARAM at = MAKELPARAM(clientPoint.x, clientPoint.y);
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(window, WM_LBUTTONUP, 0, at);
}

void SendKey(WORD key, WORD modifier) {
  std::vector<INPUT> input;
  auto add = [&](WORD k, DWORD flags) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = k;
    i.ki.dwFlags = flags;
    input.push_back(i);
  };
  if (modifier) add(modifier, 0);
  add(key, 0);
  add(key, KEYEVENTF_KEYUP);
  if (modifier) add(modifier, KEYEVENTF_KEYUP);
  SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
}

namespace {

bool SameOrChild(HWND parent, HWND window) {
  return window && (window == parent || IsChild(parent, window));
}

// The pointer put at a client point of window, brought to the front, once
// the point shows that window (a window still moving into place, or one
// above it, would take the press).
bool PointAt(HWND window, POINT clientPoint) {
  SetForegroundWindow(window);
  return testing_support::PumpMessagesUntil([&] {
    POINT at = clientPoint;
    ClientToScreen(window, &at);
    SetCursorPos(at.x, at.y);
    POINT now{};
    return GetCursorPos(&now) && now.x == at.x && now.y == at.y && SameOrChild(window, WindowFromPoint(at));
  });
}

// A button or move at a screen point. Every input carries its own place:
// the program's display driver turns each move of the X pointer (ours
// included) back into input of its own, late on a busy machine, so an input
// without a place lands wherever such an echo last put the pointer.
void SendMouseAt(DWORD flags, POINT at) {
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  INPUT i{};
  i.type = INPUT_MOUSE;
  i.mi.dx = (at.x * 65536 + width - 1) / width;
  i.mi.dy = (at.y * 65536 + height - 1) / height;
  i.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags;
  SendInput(1, &i, sizeof i);
}

// Whether the thread of window holds the pointer: a control that captured
// it, or the system's move loop of a window dragged by its background.
bool Holding(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) &&
         (info.hwndCapture != nullptr || (info.flags & GUI_INMOVESIZE) != 0);
}

}  // namespace

void SendClick(HWND window, POINT clientPoint) {
  PointAt(window, clientPoint);
  POINT at = clientPoint;
  ClientToScreen(window, &at);
  SendMouseAt(MOUSEEVENTF_LEFTDOWN, at);
  // Controls take the pointer while pressed: once it is let go and the
  // window answers again, the click has been handled.
  testing_support::PumpMessagesUntil([&] { return Holding(window); }, 2000);
  SendMouseAt(MOUSEEVENTF_LEFTUP, at);
  testing_support::PumpMessagesUntil([&] { return !Holding(window); });
  Answers(window);
}

bool SendDrag(HWND window, POINT clientPoint, int dx, int dy, int steps) {
  std::vector<POINT> moves;
  for (int k = 1; k <= steps; ++k)
    moves.push_back({dx * k / steps - dx * (k - 1) / steps, dy * k / steps - dy * (k - 1) / steps});
  return SendDragAlong(window, clientPoint, moves);
}

bool SendDragAlong(HWND window, POINT clientPoint, const std::vector<POINT>& moves) {
  if (!PointAt(window, clientPoint)) return false;
  POINT at = clientPoint;
  ClientToScreen(window, &at);
  SendMouseAt(MOUSEEVENTF_LEFTDOWN, at);
  // The moves go only once the press holds the pointer: a move loop started
  // after the moves were handled would start from where they ended.
  const bool held = testing_support::PumpMessagesUntil([&] { return Holding(window); });
  // Absolute steps: relative ones go through the pointer's acceleration.
  for (const POINT& move : moves) {
    at.x += move.x, at.y += move.y;
    SendMouseAt(0, at);
  }
  // The release moves to the end once more, past any late echo of a step.
  SendMouseAt(MOUSEEVENTF_LEFTUP, at);
  const bool released = held && testing_support::PumpMessagesUntil([&] { return !Holding(window); });
  return released && Answers(window);
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

SIZE ClientSize(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return {r.right - r.left, r.bottom - r.top};
}

bool Answers(HWND window, unsigned timeoutMs) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

bool SendCopyData(HWND target, ULONG_PTR kind, const void* data, DWORD size, unsigned timeoutMs) {
  COPYDATASTRUCT cds{kind, size, const_cast<void*>(data)};
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(target, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds),
                             SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

std::wstring CopyDataRecord(const std::vector<std::wstring>& items) {
  std::wstring record;
  for (const auto& item : items) record += item + L"|";
  return record;
}

namespace {

struct FoundChild {
  std::wstring Text;
  HWND Window = nullptr;
};

BOOL CALLBACK MatchText(HWND window, LPARAM param) {
  auto* found = reinterpret_cast<FoundChild*>(param);
  if (!IsWindowVisible(window) ||
      (WindowText(window) != found->Text && ClassOf(window).rfind(found->Text, 0) != 0))
    return TRUE;
  found->Window = window;
  return FALSE;
}

BOOL CALLBACK CollectClass(HWND window, LPARAM param) {
  auto* found = reinterpret_cast<std::pair<std::wstring, std::vector<HWND>>*>(param);
  if (IsWindowVisible(window) && ClassOf(window).rfind(found->first, 0) == 0)
    found->second.push_back(window);
  return TRUE;
}

}  // namespace

std::vector<HWND> ChildrenOfClass(HWND top, const std::wstring& prefix) {
  std::pair<std::wstring, std::vector<HWND>> found{prefix, {}};
  EnumChildWindows(top, &CollectClass, reinterpret_cast<LPARAM>(&found));
  return found.second;
}

HWND ChildWithText(HWND top, const std::wstring& text) {
  FoundChild found{text};
  EnumChildWindows(top, &MatchText, reinterpret_cast<LPARAM>(&found));
  return found.Window;
}

}  // namespace e2e
