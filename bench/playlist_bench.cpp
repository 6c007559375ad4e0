// Playlist figures for a 100,000-entry list: extended M3U load (UTF-16LE and
// UTF-8) and save, sort by title, shuffle, and the process's peak memory.
// Usage: playlist_bench [entries]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "foundation/tnt_system.h"
#include "playlist/comp_list.h"

namespace {

constexpr int kRuns = 5;

double MedianMs(const std::function<void()>& Prepare, const std::function<void()>& Work) {
  std::vector<double> times;
  for (int i = 0; i < kRuns; ++i) {
    Prepare();
    auto start = std::chrono::steady_clock::now();
    Work();
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() -
                                                              start).count());
  }
  std::sort(times.begin(), times.end());
  return times[kRuns / 2];
}

int64_t FileSize(const std::wstring& name) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &data);
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Rewrites a UTF-16LE file (with its mark) as UTF-8 with a mark, a block at a
// time so that the conversion does not raise the peak memory being measured.
void ConvertToUtf8(const std::wstring& from, const std::wstring& to) {
  HANDLE in = CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                          nullptr);
  HANDLE out = CreateFileW(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD moved = 0;
  WriteFile(out, "\xEF\xBB\xBF", 3, &moved, nullptr);
  SetFilePointer(in, 2, nullptr, FILE_BEGIN);
  std::wstring block(1 << 18, L'\0');
  std::wstring carry;
  DWORD got = 0;
  while (ReadFile(in, block.data(), static_cast<DWORD>(block.size() * 2), &got, nullptr) && got) {
    std::wstring text = carry + block.substr(0, got / 2);
    carry.clear();
    // A surrogate pair must not be split between two blocks.
    if (!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) {
      carry = text.back();
      text.pop_back();
    }
    std::string utf8 = WideStringToUTF8(text);
    WriteFile(out, utf8.data(), static_cast<DWORD>(utf8.size()), &moved, nullptr);
  }
  CloseHandle(in);
  CloseHandle(out);
}

void Fill(TCompList& list, int count) {
  static const wchar_t* const kWords[] = {L"Nocturne", L"\u00c9t\u00e9",     L"Blue",
                                          L"Morgen",   L"\u6771\u4eac",      L"River",
                                          L"Zephyr",   L"\u0416\u0438\u0437\u043d\u044c", L"echo"};
  std::srand(12345);
  TElem elem;
  for (int i = 0; i < count; ++i) {
    const wchar_t* word = kWords[std::rand() % 9];
    std::wstring n = std::to_wstring(std::rand() % 100000);
    elem.Title = std::wstring(L"Artist ") + n + L" - " + word + L" in the key of " + n;
    elem.FileName = std::wstring(L"C:\\Music\\Artist ") + n + L"\\Album " +
                    std::to_wstring(i % 977) + L"\\" + std::to_wstring(i) + L" " + word + L".mp3";
    elem.Duration = std::rand() % 600 - 1;
    list.Add(elem);
  }
}

double MiB(SIZE_T bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

struct Memory {
  double WorkingSet;
  double Pagefile;
};

Memory PeakMemory() {
  PROCESS_MEMORY_COUNTERS pmc = {};
  pmc.cb = sizeof pmc;
  GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
  return {MiB(pmc.PeakWorkingSetSize), MiB(pmc.PeakPagefileUsage)};
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int count = argc > 1 ? _wtoi(argv[1]) : 100000;
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring dir = std::wstring(temp) + L"tavrin-bench-" +
                           std::to_wstring(GetCurrentProcessId()) + L"\\";
  CreateDirectoryW(dir.c_str(), nullptr);
  const std::wstring utf16 = dir + L"list16.m3u";
  const std::wstring utf8 = dir + L"list8.m3u";

  const Memory base = PeakMemory();
  TCompList list;
  Fill(list, count);
  std::printf("entries: %d\n", list.Count());

  double save = MedianMs([] {}, [&] { list.SaveToFile(utf16); });
  std::printf("UTF-16LE file: %.1f MiB\n", MiB(static_cast<SIZE_T>(FileSize(utf16))));
  ConvertToUtf8(utf16, utf8);
  std::printf("UTF-8 file:    %.1f MiB\n", MiB(static_cast<SIZE_T>(FileSize(utf8))));

  const Memory afterSave = PeakMemory();
  double load16 = MedianMs([&] { list.Clear(); }, [&] { list.LoadFromFile(utf16); });
  double load8 = MedianMs([&] { list.Clear(); }, [&] { list.LoadFromFile(utf8); });
  const Memory afterLoad = PeakMemory();
  double sort = MedianMs([&] { list.Randomize(); }, [&] { list.Sort(skTitle); });
  double shuffle = MedianMs([] {}, [&] { list.Randomize(); });
  const Memory peak = PeakMemory();

  std::printf("median of %d runs, ms:\n", kRuns);
  std::printf("  save (UTF-16LE)     %8.1f   goal < 150\n", save);
  std::printf("  load (UTF-16LE)     %8.1f   goal < 150\n", load16);
  std::printf("  load (UTF-8)        %8.1f   goal < 150\n", load8);
  std::printf("  sort by title       %8.1f   goal < 100\n", sort);
  std::printf("  randomize           %8.1f\n", shuffle);
  std::printf("peak memory, MiB (goal < 60):\n");
  std::printf("                    start   fill+save   +loads   +sort/shuffle\n");
  std::printf("  working set     %8.1f %10.1f %9.1f %10.1f\n", base.WorkingSet,
              afterSave.WorkingSet, afterLoad.WorkingSet, peak.WorkingSet);
  std::printf("  pagefile usage  %8.1f %10.1f %9.1f %10.1f\n", base.Pagefile, afterSave.Pagefile,
              afterLoad.Pagefile, peak.Pagefile);

  DeleteFileW(utf16.c_str());
  DeleteFileW(utf8.c_str());
  RemoveDirectoryW(dir.c_str());
  return 0;
}
