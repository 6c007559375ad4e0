#include "e2e_fixture.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cwctype>

#include "loopback_server.h"
#include "wav_bytes.h"

namespace e2e {
namespace {

uint32_t Get32(const std::string& s, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(s[at + i]);
  return v;
}

}  // namespace

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

std::string SineWav() {
  const uint32_t rate = 44100;
  return testing_support::WavBytes({.rate = rate}, rate, [](uint32_t i) {
    return std::lround(16000.0 * std::sin(2 * 3.14159265358979 * 440.0 * i / rate));
  });
}

std::vector<int16_t> LeftSamples(const std::string& wav) {
  std::vector<int16_t> out;
  const size_t data = wav.find("data", 12);
  for (size_t at = data + 8; data != std::string::npos && at + 4 <= wav.size(); at += 4)
    out.push_back(static_cast<int16_t>(uint8_t(wav[at]) | uint8_t(wav[at + 1]) << 8));
  return out;
}

size_t NonZeroSamples(const std::string& wav) {
  if (wav.size() < 12 || wav.compare(0, 4, "RIFF") != 0 || wav.compare(8, 4, "WAVE") != 0) return 0;
  size_t at = 12;
  while (at + 8 <= wav.size()) {
    uint32_t size = Get32(wav, at + 4);
    if (wav.compare(at, 4, "data") == 0) {
      size_t count = 0;
      for (size_t i = at + 8; i + 1 < wav.size(); i += 2) count += wav[i] != 0 || wav[i + 1] != 0;
      return count;
    }
    at += 8 + size + (size & 1);
  }
  return 0;
}

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

std::vector<std::wstring> FilesOf(const std::optional<std::vector<PlaylistEntry>>& list) {
  if (!list) return {L"<no playlist>"};
  std::vector<std::wstring> files;
  for (const auto& e : *list) files.push_back(Lower(e.File));
  return files;
}

std::vector<HWND> AllWindows(Program& program, const std::wstring& className) {
  struct Search {
    DWORD Id;
    const std::wstring& Class;
    std::vector<HWND> Found;
  } search{program.Id(), className, {}};
  EnumWindows(
      [](HWND w, LPARAM p) {
        auto* s = reinterpret_cast<Search*>(p);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == s->Id && ClassOf(w) == s->Class) s->Found.push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

int LayeredOpacity(HWND window) {
  if (!(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED)) return 255;
  BYTE alpha = 255;
  DWORD flags = 0;
  if (!GetLayeredWindowAttributes(window, nullptr, &alpha, &flags)) return 255;
  return (flags & LWA_ALPHA) ? alpha : 255;
}

RECT WindowRect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

std::wstring AppTitle(Program& program) {
  const std::vector<HWND> windows = AllWindows(program, L"TApplication");
  return windows.empty() ? L"" : WindowText(windows.front());
}

std::string DefaultSettings() { return testing_support::ReadFileBytes(TAVRIN_DEFAULT_SETTINGS); }

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// White noise, the same in every run and different in the two channels,
// peaking at -20 dBFS so that a band raised by 12 dB is far from clipping.
std::string NoiseWav(int seconds) {
  std::vector<float> samples(2 * static_cast<size_t>(std::max(seconds, 0)) * 44100);
  uint32_t state = 20240601;
  for (float& s : samples) {
    state = state * 1664525u + 1013904223u;
    s = 0.1f * (static_cast<float>(state >> 8) / float(1 << 23) - 1);
  }
  return testing_support::WavBytes({.rate = 44100}, samples);
}

std::string WithAttribute(std::string xml, const std::string& element, const std::string& attribute,
                          const std::string& value) {
  const size_t tag = xml.find("<" + element + " ");
  const size_t end = xml.find('>', tag);
  const size_t at = xml.find(" " + attribute + "=\"", tag);
  if (tag == std::string::npos || at == std::string::npos || at > end) {
    ADD_FAILURE() << "no " << attribute << " in <" << element << ">";
    return xml;
  }
  const size_t from = at + attribute.size() + 3;
  xml.replace(from, xml.find('"', from) - from, value);
  return xml;
}

std::wstring TestFile(const std::wstring& name) {
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  const std::wstring tests = exe;
  return tests.substr(0, tests.rfind(L'\\') + 1) + name;
}

void ServeRadio(bass_test::LoopbackServer& server) {
  server.Route("/radio", [](bass_test::LoopbackServer::Client& c) {
    std::string wav = SineWav();
    const size_t data = wav.find("data");
    const std::string pcm = wav.substr(data + 8);
    std::string head = wav.substr(0, data + 8);
    for (size_t at : {size_t{4}, data + 4}) head.replace(at, 4, "\xF0\xFF\xFF\x7F", 4);
    if (!c.Send("ICY 200 OK\r\nICY-Name: Loopback FM\r\nicy-genre: Test Tones\r\nIcy-Url: http://127.0.0.1/\r\n"
                "icy-br: 128\r\n\r\n" + head))
      return;
    for (int second = 0; second < 60; ++second)
      if (!c.Send(pcm)) return;
  });
}

std::wstring E2ETest::Wav(const std::wstring& name) { return data.WriteFile(name, SineWav()); }

std::wstring E2ETest::FolderOfWavs(const std::wstring& name, const std::vector<std::wstring>& files) {
  CreateDirectoryW(data.File(name).c_str(), nullptr);
  for (const auto& f : files) Wav(name + L"\\" + f);
  return data.File(name);
}

void E2ETest::InstallSkin(const std::wstring& name, const std::wstring& without) {
  const std::wstring from = TestFile(L"skins\\Ember\\");
  CreateDirectoryW(folder.File(L"Skins").c_str(), nullptr);
  const std::wstring to = folder.File(L"Skins\\" + name + L"\\");
  CreateDirectoryW(to.c_str(), nullptr);
  for (const std::wstring& file : testing_support::FilesIn(from))
    if (file != without) CopyFileW((from + file).c_str(), (to + file).c_str(), FALSE);
}

Environment E2ETest::CaptureTo(const std::wstring& name) const {
  return {{L"TAVRIN_BASS_OUTPUT", L"capture:" + data.File(name)}};
}

bool E2ETest::CaptureSounds(const std::wstring& name, unsigned timeoutMs) {
  return runner.WaitUntil(
      [&] { return NonZeroSamples(testing_support::ReadFileBytes(data.File(name))) > 0; }, timeoutMs);
}

Program* E2ETest::Start(const std::vector<std::wstring>& args, const Environment& extra) {
  Program* program = runner.Start(folder.Exe(), args, extra);
  HWND main = program ? runner.WaitForMainWindow(*program) : nullptr;
  if (!main) return nullptr;
  // The program finishes its start-up (it comes to the front, among other
  // things) only after its window shows; a test goes on once it is idle.
  if (!Answers(main)) {
    runner.Report(L"the main window does not answer after the start");
    return nullptr;
  }
  return program;
}

void E2ETest::ExitByClick(Program& program) {
  HWND main = program.MainWindow();
  ASSERT_NE(main, nullptr) << "no main window to click";
  ASSERT_TRUE(ClickChildAt(main, skin.Main(L"CloseBut"))) << "no close button";
  EXPECT_TRUE(runner.WaitForExit(program));
}

HWND E2ETest::WaitForWindow(Program& program, const std::wstring& className) {
  HWND found = nullptr;
  runner.WaitUntil(
      [&] {
        const std::vector<HWND> windows = program.Windows(className);
        return (found = windows.empty() ? nullptr : windows.front()) != nullptr;
      },
      10000);
  return found;
}

void E2ETest::Press(HWND window, const std::wstring& caption) {
  HWND button = ChildWithText(window, caption);
  ASSERT_NE(button, nullptr) << "no button " << Narrow(caption);
  PostMessageW(button, BM_CLICK, 0, 0);
}

bool E2ETest::ClickChildAt(HWND main, const RECT& rect) {
  HWND child = FindChildAt(main, rect);
  if (!child) {
    ADD_FAILURE() << "no child window at " << rect.left << "," << rect.top << " - " << rect.right
                  << "," << rect.bottom;
    return false;
  }
  PostClick(child, testing_support::Centre(testing_support::Own(rect)));
  return true;
}

void E2ETest::CloseWithoutSaving(Program& program) {
  if (HWND main = program.MainWindow()) PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(runner.WaitForExit(program));
}

HWND E2ETest::OpenPlaylistMenu(Program& program, HWND playlist, const wchar_t* key) {
  const int left = skin.Point(L"PLPositions", key).x;
  HWND button = nullptr;
  for (HWND b : ChildrenOfClass(playlist, L"TImageBut")) {
    RECT r;
    GetWindowRect(b, &r);
    MapWindowPoints(nullptr, GetParent(b), reinterpret_cast<POINT*>(&r), 2);
    if (r.left == left) button = b;
  }
  if (!button || !Answers(playlist)) return ADD_FAILURE() << "no button " << Narrow(key), nullptr;
  PostClick(button, POINT{4, 4});
  HWND menu = nullptr;
  runner.WaitUntil([&] {
    const std::vector<HWND> menus = program.Windows(L"#32768");
    return (menu = menus.empty() ? nullptr : menus.front()) != nullptr;
  }, 5000);
  if (!menu) ADD_FAILURE() << "no menu of " << Narrow(key);
  return menu;
}

bool E2ETest::SteadyPicture(HWND window, const std::wstring& name, testing_support::Picture& picture,
                            unsigned timeoutMs) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  testing_support::Picture last;
  picture = {};
  return runner.WaitUntil(
      [&] {
        last = std::move(picture);
        return testing_support::TakeWindowPicture(window, name, picture) && !last.Rgb.empty() &&
               last.Rgb == picture.Rgb;
      },
      timeoutMs);
}

}  // namespace e2e
