// Adding a folder of tagged MP3 files to the playlist window: files per second
// for the whole add (the window's folder walk, the tag and frame readers, the
// message loop between files) and for the entry reader alone.
// Usage: playlist_add_bench <folder> [files]
//   Makes <files> (default 10,000) MP3 files in <folder> when it has none: an
//   ID3v2.3 tag (artist, title, album, 512 bytes of padding), 24 frames of
//   128 kbit/s, the first a Xing header that states 7,000 to 11,999 frames
//   (three to five minutes), and an ID3v1 tag: about 11 KB each. Then one add
//   to warm the cache and three timed ones; the best is reported, with the sum
//   of the lengths read (to compare with a reference reader).
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "foundation/tnt_system.h"
#include "foundation/tnt_sysutils.h"
#include "playlist/comp_list.h"
#include "windows/playlist/entry_reader.h"
#include "windows/playlist/playlist_form.h"

namespace {

std::string BigEndian(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
          static_cast<char>(v)};
}

std::string Frame(const std::string& id, const std::string& text) {
  return id + BigEndian(static_cast<uint32_t>(text.size() + 1)) + std::string(2, '\0') + '\0' + text;
}

std::string Mp3(int n) {
  const std::string number = std::to_string(n);
  const std::string body = Frame("TPE1", "Artist " + number) + Frame("TIT2", "Title of song " + number) +
                           Frame("TALB", "Album " + std::to_string(n / 12));
  const auto size = static_cast<uint32_t>(body.size() + 512);
  std::string s = "ID3\x03";
  s += '\0';
  s += '\0';
  s += {static_cast<char>((size >> 21) & 0x7F), static_cast<char>((size >> 14) & 0x7F),
        static_cast<char>((size >> 7) & 0x7F), static_cast<char>(size & 0x7F)};
  s += body + std::string(512, '\0');
  std::string frame = "\xFF\xFB\x90\x64";
  for (size_t i = frame.size(); i < 417; ++i) frame += static_cast<char>(0x55 + (i * 7 + n) % 13);
  std::string xing = frame;
  xing.replace(4, 32, std::string(32, '\0'));
  xing.replace(36, 12, "Xing" + BigEndian(1) + BigEndian(7000 + n % 5000));
  s += xing;
  for (int i = 1; i < 24; ++i) s += frame;
  auto field = [](const std::string& t, size_t len) { return (t + std::string(len, '\0')).substr(0, len); };
  return s + "TAG" + field("Title of song " + number, 30) + field("Artist " + number, 30) +
         field("Album", 30) + "2006" + field("", 30) + '\x0C';
}

bool WriteWhole(const std::wstring& name, const std::string& bytes) {
  HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  CloseHandle(h);
  return ok;
}

int CountFiles(const std::wstring& folder) {
  int count = 0;
  TSearchRecW rec;
  if (WideFindFirst(folder + L"*.mp3", 0, rec) != 0) return 0;
  do ++count;
  while (WideFindNext(rec) == 0);
  WideFindClose(rec);
  return count;
}

double Seconds(const std::chrono::steady_clock::time_point& start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: playlist_add_bench <folder> [files]\n");
    return 2;
  }
  const std::wstring folder = WideIncludeTrailingBackslash(argv[1]);
  const int files = argc > 2 ? _wtoi(argv[2]) : 10000;
  CreateDirectoryW(folder.c_str(), nullptr);
  if (CountFiles(folder) == 0) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < files; ++i) {
      wchar_t name[32];
      swprintf(name, 32, L"%05d.mp3", i);
      if (!WriteWhole(folder + name, Mp3(i))) {
        std::fprintf(stderr, "cannot write %ls\n", (folder + name).c_str());
        return 1;
      }
    }
    std::printf("made %d files in %.1f s\n", files, Seconds(start));
  }
  const int present = CountFiles(folder);

  TPlaylist form(nullptr, nullptr, nullptr);
  double bestAdd = 1e9;
  int32_t added = 0;
  for (int run = 0; run < 4; ++run) {
    form.List()->Clear();
    const auto start = std::chrono::steady_clock::now();
    form.RecurseDir(folder);
    const double s = Seconds(start);
    added = form.List()->Count();
    if (run > 0) bestAdd = std::min(bestAdd, s);
  }
  TElem probe;
  form.List()->GetElem(added - 1, probe);
  int64_t seconds = 0;
  for (int32_t i = 0; i < added; ++i) {
    TElem e;
    form.List()->GetElem(i, e);
    seconds += e.Duration;
  }

  // The reader alone, over the same names: what the window adds to it is the
  // folder walk, the entries and the message loop.
  std::vector<std::wstring> names;
  for (int32_t i = 0; i < added; ++i) {
    TElem e;
    form.List()->GetElem(i, e);
    names.push_back(e.FileName);
  }
  double bestRead = 1e9;
  for (int run = 0; run < 3; ++run) {
    TEntryReader reader;
    const auto start = std::chrono::steady_clock::now();
    for (const std::wstring& name : names) reader.Read(name, ekMPEG);
    bestRead = std::min(bestRead, Seconds(start));
  }

  std::printf("files %d, added %d; last: \"%s\" %d s; lengths sum %lld s\n", present, added,
              WideStringToUTF8(probe.Title).c_str(), probe.Duration, static_cast<long long>(seconds));
  std::printf("add folder: %.3f s, %.0f files/s (best of 3 warm)\n", bestAdd, added / bestAdd);
  std::printf("reader only: %.3f s, %.0f files/s\n", bestRead, added / bestRead);
  return added == present ? 0 : 1;
}
