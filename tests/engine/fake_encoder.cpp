// Stands in for lame.exe and oggenc.exe in the encoding tests: writes its own
// command line and everything it reads from standard input into the folder
// named by TAVRIN_FAKE_ENCODER_LOG (as <exe name>.args and <exe name>.input),
// then exits with the code in TAVRIN_FAKE_ENCODER_EXIT (default 0). With
// TAVRIN_FAKE_ENCODER_NOREAD set it exits without reading; with
// TAVRIN_FAKE_ENCODER_WAIT (ms) it waits that long before it reads.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::wstring Env(const wchar_t* name) {
  wchar_t value[1024];
  DWORD n = GetEnvironmentVariableW(name, value, 1024);
  return n > 0 && n < 1024 ? std::wstring(value, n) : std::wstring();
}

void WriteAll(const std::wstring& path, const void* data, size_t size) {
  if (FILE* f = _wfopen(path.c_str(), L"wb")) {
    fwrite(data, 1, size, f);
    fclose(f);
  }
}

}  // namespace

int wmain() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring name = self;
  name = name.substr(name.find_last_of(L'\\') + 1);
  const std::wstring log = Env(L"TAVRIN_FAKE_ENCODER_LOG") + name;

  const std::wstring line = GetCommandLineW();
  WriteAll(log + L".args", line.data(), line.size() * sizeof(wchar_t));
  // An encoder that quits at once, leaving its input unread.
  if (!Env(L"TAVRIN_FAKE_ENCODER_NOREAD").empty()) return 0;

  // A slow encoder: takes nothing for a while.
  const std::wstring wait = Env(L"TAVRIN_FAKE_ENCODER_WAIT");
  if (!wait.empty()) Sleep(static_cast<DWORD>(_wtoi(wait.c_str())));

  _setmode(_fileno(stdin), _O_BINARY);
  std::string input;
  char buffer[65536];
  size_t got;
  while ((got = fread(buffer, 1, sizeof(buffer), stdin)) > 0) input.append(buffer, got);
  WriteAll(log + L".input", input.data(), input.size());

  const std::wstring code = Env(L"TAVRIN_FAKE_ENCODER_EXIT");
  return code.empty() ? 0 : _wtoi(code.c_str());
}
