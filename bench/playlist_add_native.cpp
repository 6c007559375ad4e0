// The native reference of playlist_add_bench, built for Linux with g++ by
// bench/playlist_add_bench.sh: the same work per MP3 file (the "artist -
// title" of the ID3v2 tag, else of the ID3v1 tag, and the length from the
// Xing header or the first frame's bit rate), as a small reader over POSIX
// calls would do it. Latin-1 and UTF-8 text frames only, which is what the
// benchmark's files hold.
// Usage: playlist_add_native <folder>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Entry {
  std::string Title;
  int Duration = -1;
};

uint32_t Be32(const unsigned char* p) { return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }
uint32_t Syncsafe(const unsigned char* p) { return p[0] << 21 | p[1] << 14 | p[2] << 7 | p[3]; }

std::string Trim(std::string s) {
  while (!s.empty() && (s.back() == '\0' || s.back() == ' ')) s.pop_back();
  return s;
}

std::string Join(const std::string& artist, const std::string& title, const std::string& name) {
  if (artist.empty() && title.empty()) return name.substr(0, name.rfind('.'));
  if (artist.empty()) return title;
  if (title.empty()) return artist;
  return artist + " - " + title;
}

Entry Read(const std::string& path, const std::string& name) {
  Entry e;
  const int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) return e;
  struct stat st {};
  fstat(fd, &st);
  unsigned char head[4096];
  const ssize_t got = pread(fd, head, sizeof head, 0);
  std::string artist, title;
  bool v2 = false;
  off_t audio = 0;
  if (got >= 10 && std::memcmp(head, "ID3", 3) == 0) {
    v2 = true;
    const uint32_t size = Syncsafe(head + 6);
    audio = 10 + size;
    std::vector<unsigned char> tag(size);
    if (pread(fd, tag.data(), size, 10) == ssize_t(size)) {
      for (uint32_t at = 0; at + 10 <= size && tag[at] != 0;) {
        const uint32_t len = head[3] == 4 ? Syncsafe(&tag[at + 4]) : Be32(&tag[at + 4]);
        if (at + 10 + len > size || len == 0) break;
        const std::string id(reinterpret_cast<char*>(&tag[at]), 4);
        const std::string text = Trim(std::string(reinterpret_cast<char*>(&tag[at + 11]), len - 1));
        if (id == "TIT2") title = text;
        if (id == "TPE1") artist = text;
        at += 10 + len;
      }
    }
  }
  if (!v2 && st.st_size >= 128) {
    unsigned char v1[128];
    if (pread(fd, v1, 128, st.st_size - 128) == 128 && std::memcmp(v1, "TAG", 3) == 0) {
      title = Trim(std::string(reinterpret_cast<char*>(v1 + 3), 30));
      artist = Trim(std::string(reinterpret_cast<char*>(v1 + 33), 30));
    }
  }
  e.Title = Join(artist, title, name);
  unsigned char block[4096];
  const ssize_t n = pread(fd, block, sizeof block, audio);
  static const int kRates[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
  for (ssize_t i = 0; i + 4 < n; ++i) {
    if (block[i] != 0xFF || (block[i + 1] & 0xFE) != 0xFA) continue;  // MPEG 1 Layer III
    const int rate = kRates[std::min(block[i + 2] >> 4, 14)];
    if (rate == 0) continue;
    if (i + 48 <= n && std::memcmp(block + i + 36, "Xing", 4) == 0 && (Be32(block + i + 40) & 1))
      e.Duration = int(double(Be32(block + i + 44)) * 1152 / 44100);
    else
      e.Duration = int(double(st.st_size - audio - (v2 ? 0 : 128)) * 8 / (rate * 1000));
    break;
  }
  close(fd);
  return e;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: playlist_add_native <folder>\n");
    return 2;
  }
  const std::string folder = argv[1];
  double best = 1e9;
  size_t count = 0;
  long long seconds = 0;
  for (int run = 0; run < 4; ++run) {
    const auto start = std::chrono::steady_clock::now();
    std::vector<Entry> entries;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return 1;
    while (dirent* d = readdir(dir)) {
      const std::string name = d->d_name;
      if (name.size() > 4 && name.compare(name.size() - 4, 4, ".mp3") == 0)
        entries.push_back(Read(folder + "/" + name, name));
    }
    closedir(dir);
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (run > 0) best = std::min(best, s);
    count = entries.size();
    seconds = 0;
    for (const Entry& e : entries) seconds += e.Duration;
  }
  std::printf("native: %zu files, lengths sum %lld s, %.3f s, %.0f files/s (best of 3 warm)\n", count,
              seconds, best, count / best);
  return 0;
}
