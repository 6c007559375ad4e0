// Hostile files: mutants of the project's own fixtures through every reader,
// writer and decoder, of the program's own files through its windows, and of
// what other programs send a running tavrin.exe; each family in a
// mutant_runner.exe of its own, so that a crash or a hang is a failure naming
// the mutant, and the other mutants still run. TAVRIN_MUTATION_SCALE multiplies the number of mutants,
// TAVRIN_MUTATION_SEED picks another set (scripts/mutation-soak), and
// TAVRIN_MUTATION_FAMILIES ("bmp,ico") runs only the families named.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shlobj.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <thread>

#include "formats/id3v1.h"
#include "framework/bitmaps.h"
#include "module_fixtures.h"
#include "mutator.h"
#include "playlist/comp_list.h"
#include "test_support.h"
#include "wav_bytes.h"

namespace {

using testing_support::ReadFileBytes;
using testing_support::TempDir;

// "A few seconds": far more than any mutant of these small fixtures needs.
constexpr DWORD kSlowMs = 5000;
// A runner that writes nothing for this long is stuck in one mutant.
constexpr DWORD kHangMs = 10000;

std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

std::wstring Folder(const wchar_t* folder, const wchar_t* name) {
  return std::wstring(folder) + L"\\" + name;
}

std::wstring Here() {
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring path = exe;
  return path.substr(0, path.find_last_of(L'\\') + 1);
}

uint64_t EnvNumber(const char* name, uint64_t fallback) {
  const char* text = std::getenv(name);
  return text && *text ? std::strtoull(text, nullptr, 10) : fallback;
}

struct Job {
  std::string Family;
  std::wstring Fixture;
  uint32_t Count;  // mutants, the fixture itself included
};

struct Outcome {
  std::vector<std::string> Problems;
  uint32_t Ran = 0;       // tried, the not tried ones included
  uint32_t NotTried = 0;  // that the family could not try (counted apart from the passed)
  DWORD SlowestMs = 0;
  std::string Slowest;
  DWORD Ms = 0;         // the whole job
  unsigned PeakMB = 0;  // the largest working set of its runners
};

struct LogLine {
  std::string Word;
  uint32_t Index = 0;
  std::string Rest;
};

std::vector<LogLine> ReadLog(const std::wstring& name) {
  std::vector<LogLine> lines;
  std::istringstream in(ReadFileBytes(name));
  for (std::string line; std::getline(in, line);) {
    LogLine l;
    std::istringstream words(line);
    words >> l.Word >> l.Index;
    std::getline(words >> std::ws, l.Rest);
    lines.push_back(l);
  }
  return lines;
}

int64_t FileSize(const std::wstring& name) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &data)) return -1;
  return int64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow;
}

struct Exit {
  bool Started = false;
  bool Hung = false;
  DWORD Code = 0;
};

// Starts the runner and waits for it; a runner whose log stops growing is
// stuck in one mutant and is ended.
Exit RunRunner(std::wstring command, const std::wstring& log) {
  Exit exit;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  // Without a console: under Wine a hidden one costs a round trip for every
  // line a codec prints, and mpg123 prints one for each damaged frame.
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr,
                      &si, &pi))
    return exit;
  exit.Started = true;
  int64_t lastSize = -1;
  DWORD lastChange = GetTickCount();
  while (WaitForSingleObject(pi.hProcess, 50) == WAIT_TIMEOUT) {
    const int64_t size = FileSize(log);
    if (size != lastSize) {
      lastSize = size;
      lastChange = GetTickCount();
    } else if (GetTickCount() - lastChange > kHangMs) {
      TerminateProcess(pi.hProcess, 1);
      WaitForSingleObject(pi.hProcess, INFINITE);
      exit.Hung = true;
    }
  }
  GetExitCodeProcess(pi.hProcess, &exit.Code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return exit;
}

// Runs the job's mutants in as many runner processes as crashes and hangs
// take: after one, the next starts with the mutant after it.
Outcome RunJob(const Job& job, uint64_t seed, const std::wstring& work) {
  Outcome out;
  const std::string what = job.Family + " " + Narrow(job.Fixture.substr(job.Fixture.find_last_of(L'\\') + 1));
  auto mutant = [&](uint32_t index, const std::string& description) {
    return what + " #" + std::to_string(index) + " (" + description + ")";
  };
  const DWORD started = GetTickCount();
  uint32_t first = 0;
  for (int launch = 0; first < job.Count; ++launch) {
    const std::wstring log = work + L"log" + std::to_wstring(launch) + L".txt";
    // The work folder goes without its last backslash, which before a quote
    // would escape it.
    const std::wstring command = L"\"" + Here() + L"mutant_runner.exe\" " +
                                 std::wstring(job.Family.begin(), job.Family.end()) + L" \"" + job.Fixture +
                                 L"\" " + std::to_wstring(seed) + L" " + std::to_wstring(first) + L" " +
                                 std::to_wstring(job.Count - first) + L" \"" +
                                 work.substr(0, work.size() - 1) + L"\" \"" + log + L"\"";
    const Exit exit = RunRunner(command, log);
    if (!exit.Started) {
      out.Problems.push_back(what + ": mutant_runner.exe does not start");
      return out;
    }
    bool done = false, open = false;
    uint32_t begun = first;
    std::string description;
    for (const LogLine& l : ReadLog(log)) {
      if (l.Word == "begin") {
        begun = l.Index, description = l.Rest, open = true;
      } else if (l.Word == "fail") {
        out.Problems.push_back(mutant(l.Index, description) + ": " + l.Rest);
      } else if (l.Word == "skip") {
        ++out.NotTried;
      } else if (l.Word == "end") {
        open = false;
        ++out.Ran;
        char* after = nullptr;
        const DWORD ms = static_cast<DWORD>(std::strtoul(l.Rest.c_str(), &after, 10));
        out.PeakMB = std::max(out.PeakMB, static_cast<unsigned>(std::strtoul(after, nullptr, 10)));
        if (ms > out.SlowestMs) out.SlowestMs = ms, out.Slowest = mutant(l.Index, description);
        if (ms > kSlowMs)
          out.Problems.push_back(mutant(l.Index, description) + ": took " + std::to_string(ms) + " ms");
      } else if (l.Word == "done") {
        done = true;
      }
    }
    if (done) break;
    if (!open) {
      out.Problems.push_back(what + ": the runner ended before its first mutant, code " +
                             std::to_string(exit.Code));
      break;
    }
    char code[32];
    std::snprintf(code, sizeof code, "the process died, code 0x%08lX", exit.Code);
    out.Problems.push_back(
        mutant(begun, description) + ": " +
        (exit.Hung ? "still running after " + std::to_string(kHangMs / 1000) + " s" : code));
    ++out.Ran;
    first = begun + 1;
  }
  out.Ms = GetTickCount() - started;
  return out;
}

// Runs the jobs on as many threads as the machine has cores, each job in a
// folder of its own.
std::vector<Outcome> RunJobs(const std::vector<Job>& jobs, uint64_t seed, const TempDir& dir) {
  std::vector<Outcome> outcomes(jobs.size());
  std::atomic<size_t> next{0};
  auto worker = [&] {
    for (size_t i; (i = next++) < jobs.size();) {
      const std::wstring work = dir.File(L"job" + std::to_wstring(i) + L"\\");
      CreateDirectoryW(work.c_str(), nullptr);
      outcomes[i] = RunJob(jobs[i], seed, work);
    }
  };
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  std::vector<std::thread> threads;
  for (DWORD t = 0; t < std::max<DWORD>(1, std::min<DWORD>(info.dwNumberOfProcessors, 4)); ++t)
    threads.emplace_back(worker);
  for (auto& t : threads) t.join();
  return outcomes;
}

void ExpectNoProblems(const std::vector<Outcome>& outcomes) {
  for (const Outcome& o : outcomes)
    for (const std::string& p : o.Problems) ADD_FAILURE() << p;
}

// --- fixtures that are made here ---------------------------------------------

// An MP3 with a Lyrics3 block and an ID3v1 tag, written by our own writer.
std::wstring Lyrics3Fixture(const TempDir& dir) {
  const std::wstring name =
      dir.WriteFile(L"lyrics3.mp3", ReadFileBytes(Folder(TAVRIN_FORMATS_FIXTURES_W, L"cbr128.mp3")));
  TID3v1 tag;
  tag.SetTitle("A title far longer than the thirty characters of ID3v1");
  tag.SetArtist("Artist");
  tag.SetLyrics("[00:01]la la la\r\n[00:02]la la");
  tag.SetAuthor("Author");
  tag.SetTrack(7);
  tag.SetGenreID(17);
  EXPECT_TRUE(tag.SaveToFile(name));
  EXPECT_NE(ReadFileBytes(name).find("LYRICS200"), std::string::npos);
  return name;
}

std::wstring PlaylistFixture(const TempDir& dir) {
  TCompList list;
  const struct {
    const wchar_t* title;
    const wchar_t* file;
    int32_t duration;
  } rows[] = {
      {L"First, with a comma", L"C:\\Music\\first.mp3", 215},
      {L"\u00c9t\u00e9 \u6771\u4eac \U0001F3B8", L"D:\\M\u00fcsik\\\u6771\u4eac.ogg", 3},
      {L"Radio", L"http://host.invalid/stream", -1},
      {L"Relative", L"C:\\lists\\relative.wma", 61},
  };
  for (const auto& r : rows) {
    TElem e;
    e.Title = r.title;
    e.FileName = r.file;
    e.Duration = r.duration;
    list.Add(e);
  }
  const std::wstring name = dir.File(L"list.m3u");
  list.SaveToFile(name);
  return name;
}

// The Ogg file of the crash report: three bytes of the codeword lengths of a
// codebook in the setup header changed, so that its lengths no longer make a
// prefix code and the rest of the header is read out of step; cut after the
// third page, which keeps only its first audio packet.
std::string BrokenCodebookOgg() {
  std::string b = ReadFileBytes(Folder(TAVRIN_OGGWMA_FIXTURES, L"plain.ogg"));
  if (b.compare(897, 3, "\x04\x42\x06") != 0) {
    ADD_FAILURE() << "plain.ogg is not the file the report was made with";
    return {};
  }
  b.replace(897, 3, "\x00\xFF\xFF", 3);
  std::string out;
  size_t at = 0;
  for (int page = 0; page < 3 && at + 27 <= b.size(); ++page) {
    const size_t segments = static_cast<uint8_t>(b[at + 26]);
    size_t body = 0;
    for (size_t i = 0; i < segments; ++i) body += static_cast<uint8_t>(b[at + 27 + i]);
    std::string header = b.substr(at, 27 + segments), data = b.substr(at + 27 + segments, body);
    if (page == 2) {
      size_t keep = 0, packet = 0;
      while (keep < segments && static_cast<uint8_t>(header[27 + keep]) == 255) packet += 255, ++keep;
      packet += static_cast<uint8_t>(header[27 + keep++]);
      header.resize(27 + keep);
      header[26] = static_cast<char>(keep);
      data.resize(packet);
    }
    out += header + data;
    at += 27 + segments + body;
  }
  hostile::FixOggChecksums(out);
  return out;
}

// --- pictures, skin descriptions and dropped file lists ----------------------

std::string Le(uint32_t v, int bytes) {
  std::string s;
  for (int i = 0; i < bytes; ++i) s += static_cast<char>(v >> (8 * i));
  return s;
}

std::string Be32(uint32_t v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s += static_cast<char>(v);
  return s;
}

// A small picture with a gradient and the skin's key colours, saved by our
// own writer at one depth; 13 pixels wide, so that its rows carry padding.
std::wstring WrittenBitmap(const TempDir& dir, TPixelFormat format, const std::wstring& name) {
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(13, 7);
  for (int y = 0; y < 7; ++y) {
    auto* row = static_cast<uint8_t*>(b.ScanLine(y));
    for (int x = 0; x < 13; ++x) {
      const COLORREF c = x == 0    ? RGB(0, 255, 0)
                         : x == 12 ? RGB(255, 0, 255)
                                   : RGB(x * 19, y * 36, 255 - x * 19);
      row[3 * x] = GetBValue(c), row[3 * x + 1] = GetGValue(c), row[3 * x + 2] = GetRValue(c);
    }
  }
  b.SetPixelFormat(format);
  const std::wstring file = dir.File(name);
  b.SaveToFile(file);
  return file;
}

// A .bmp the writer never makes, field by field. InHeader follows the first
// 40 bytes of a longer header; After (a palette, masks) follows the header.
std::string BmpFile(uint32_t headerSize, int32_t width, int32_t height, int bits, uint32_t compression,
                    uint32_t colours, const std::string& inHeader, const std::string& after,
                    const std::string& pixels) {
  std::string info = Le(headerSize, 4);
  if (headerSize == 12) {
    info += Le(width, 2) + Le(height, 2) + Le(1, 2) + Le(bits, 2);
  } else {
    info += Le(width, 4) + Le(height, 4) + Le(1, 2) + Le(bits, 2) + Le(compression, 4) +
            Le(static_cast<uint32_t>(pixels.size()), 4) + Le(2835, 4) + Le(2835, 4) + Le(colours, 4) +
            Le(0, 4);
    info += inHeader;
    info.resize(headerSize, '\0');
  }
  info += after;
  const uint32_t offset = static_cast<uint32_t>(14 + info.size());
  return "BM" + Le(offset + static_cast<uint32_t>(pixels.size()), 4) + Le(0, 4) + Le(offset, 4) + info +
         pixels;
}

std::string Palette(int entries, int bytesEach) {
  std::string p;
  for (int i = 0; i < entries; ++i) {
    p += Bytes({i * 16, 255 - i * 16, (i * 97) & 255});
    if (bytesEach == 4) p += '\0';
  }
  return p;
}

std::string Masks(std::initializer_list<uint32_t> masks) {
  std::string m;
  for (uint32_t v : masks) m += Le(v, 4);
  return m;
}

std::string Gradient(size_t bytes) {
  std::string s;
  for (size_t i = 0; i < bytes; ++i) s += static_cast<char>(i * 37 + 11);
  return s;
}

struct Seed {
  const wchar_t* Name;
  std::string Bytes;
  uint32_t Count = 150;
};

std::vector<Seed> HandMadeBitmaps() {
  return {
      // Every RLE operation: runs, absolute runs with their padding, moves,
      // ends of line and of the picture.
      {L"rle8.bmp", BmpFile(40, 12, 6, 8, BI_RLE8, 4, "", Palette(4, 4),
                            Bytes({3,  1, 0, 4, 2, 3, 1, 2, 5, 3, 0, 0,  // row 0
                                   0,  2, 2, 1, 4, 1, 0, 0,              // row 1, a move into row 2
                                   0,  3, 1, 2, 3, 0, 9, 2, 0, 0,        // row 3
                                   12, 3, 0, 0, 6, 1, 0, 1}))},
      {L"rle4.bmp", BmpFile(40, 10, 5, 4, BI_RLE4, 16, "", Palette(16, 4),
                            Bytes({4,  0x12, 0, 5, 0x34, 0x56, 0x70, 0,    1, 0xF0, 0, 0,  // row 0
                                   0,  2,    3, 1, 7,    0xAB, 0,    0,                    // row 1, a move
                                   10, 0xCD, 0, 0, 0,    4,    0x12, 0x34, 6, 0x56, 0, 1}))},
      // Ten bits a channel: converted to 24 bits.
      {L"fields10.bmp",
       BmpFile(40, 5, 3, 32, BI_BITFIELDS, 0, "", Masks({0x3FF00000, 0xFFC00, 0x3FF}), Gradient(5 * 3 * 4))},
      {L"alphafields.bmp",
       BmpFile(40, 3, 4, 32, 6, 0, "", Masks({0xFF0000, 0xFF00, 0xFF, 0xFF000000}), Gradient(3 * 4 * 4))},
      // Top-down, 4-4-4-4 fields inside the header.
      {L"v5topdown.bmp",
       BmpFile(124, 6, -4, 16, BI_BITFIELDS, 0, Masks({0xF00, 0xF0, 0xF, 0xF000}), "", Gradient(12 * 4))},
      // Large but short: the RLE moves and ends leave most of 3 million
      // pixels to the zeroed DIB.
      {L"rle8large.bmp",
       BmpFile(40, 2000, 1500, 8, BI_RLE8, 4, "", Palette(4, 4),
               Bytes({200, 1, 0, 3, 1, 2,   3, 0, 0, 0, 0, 2, 255, 255, 100, 2,
                      0,   0, 0, 2, 0, 200, 0, 5, 1, 1, 2, 2, 3,   0,   0,   1})),
       60},
      // The palette's length only told by the pixel offset.
      {L"os2.bmp", BmpFile(12, 7, 3, 4, BI_RGB, 0, "", Palette(16, 3), Gradient(4 * 3))},
  };
}

// The CRC of PNG chunks.
uint32_t Crc32(const std::string& s) {
  uint32_t c = 0xFFFFFFFF;
  for (char ch : s) {
    c ^= static_cast<uint8_t>(ch);
    for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320 ^ (c >> 1) : c >> 1;
  }
  return ~c;
}

// An RGBA PNG whose one IDAT holds its rows uncompressed (a stored deflate
// block), with every checksum right.
std::string Png(uint32_t size) {
  std::string raw;
  for (uint32_t y = 0; y < size; ++y) {
    raw += '\0';
    for (uint32_t x = 0; x < size; ++x) raw += Bytes({int(x * 15), int(y * 15), 128, x == y ? 0 : 255});
  }
  uint32_t a = 1, b = 0;
  for (char ch : raw) a = (a + static_cast<uint8_t>(ch)) % 65521, b = (b + a) % 65521;
  const std::string zlib = Bytes({0x78, 0x01, 0x01}) + Le(static_cast<uint32_t>(raw.size()), 2) +
                           Le(~static_cast<uint32_t>(raw.size()), 2) + raw + Be32(b << 16 | a);
  auto chunk = [](const std::string& type, const std::string& data) {
    return Be32(static_cast<uint32_t>(data.size())) + type + data + Be32(Crc32(type + data));
  };
  return "\x89PNG\r\n\x1a\n" + chunk("IHDR", Be32(size) + Be32(size) + Bytes({8, 6, 0, 0, 0})) +
         chunk("IDAT", zlib) + chunk("IEND", "");
}

// An icon image as a DIB: its header (twice the height: the mask follows the
// colours), palette, pixels and mask.
std::string IconDib(uint32_t size, int bits, uint32_t colours) {
  const uint32_t row = (size * bits + 31) / 32 * 4, maskRow = (size + 31) / 32 * 4;
  return Le(40, 4) + Le(size, 4) + Le(2 * size, 4) + Le(1, 2) + Le(bits, 2) + Le(0, 4) + Le(0, 4) + Le(0, 4) +
         Le(0, 4) + Le(colours, 4) + Le(0, 4) + Palette(colours, 4) + Gradient(row * size) +
         std::string(maskRow * size, '\x0F');
}

// Three entries: a 32x32 DIB of 8 bits with a short palette, a 16x16 PNG and
// a 48x48 monochrome DIB.
std::string MixedIcon() {
  const struct {
    int Size, Colours, Bits;
    std::string Image;
  } images[] = {{32, 4, 8, IconDib(32, 8, 4)}, {16, 0, 32, Png(16)}, {48, 2, 1, IconDib(48, 1, 2)}};
  std::string file = Le(0, 2) + Le(1, 2) + Le(std::size(images), 2), data;
  for (const auto& i : images) {
    const size_t offset = 6 + 16 * std::size(images) + data.size();
    file += Bytes({i.Size, i.Size, i.Colours, 0}) + Le(1, 2) + Le(i.Bits, 2) +
            Le(static_cast<uint32_t>(i.Image.size()), 4) + Le(static_cast<uint32_t>(offset), 4);
    data += i.Image;
  }
  return file + data;
}

// A DROPFILES block as a shell builds it: the header, the names each with
// its NUL, and the empty name that ends the list.
std::string DropBlock(const std::vector<std::wstring>& names, bool wide) {
  DROPFILES header{};
  header.pFiles = sizeof(DROPFILES);
  header.pt = POINT{12, 34};
  header.fWide = wide;
  std::string block(reinterpret_cast<const char*>(&header), sizeof header);
  for (const std::wstring& name : names) {
    if (wide) {
      block.append(reinterpret_cast<const char*>(name.c_str()), (name.size() + 1) * sizeof(wchar_t));
    } else {
      for (wchar_t c : name) block += static_cast<char>(c);
      block += '\0';
    }
  }
  block.append(wide ? 2 : 1, '\0');
  return block;
}

// The writer's files at every depth and the hand-made ones; the built-in
// skin sheet at 24 bits and at 8; the built-in 32-bit icon and one with a DIB
// and a PNG entry; the default skin description; wide and ANSI drop lists.
// Every picture seed must load, or its mutants would test nothing.
template <typename N>
std::vector<Job> PictureJobs(const TempDir& dir, N n) {
  std::vector<Job> jobs;
  const std::pair<TPixelFormat, const wchar_t*> depths[] = {
      {pf1bit, L"depth1.bmp"},   {pf4bit, L"depth4.bmp"},   {pf8bit, L"depth8.bmp"},
      {pf15bit, L"depth15.bmp"}, {pf16bit, L"depth16.bmp"}, {pf24bit, L"depth24.bmp"},
      {pf32bit, L"depth32.bmp"}};
  for (const auto& [format, name] : depths) jobs.push_back({"bmp", WrittenBitmap(dir, format, name), n(150)});
  for (const Seed& seed : HandMadeBitmaps())
    jobs.push_back({"bmp", dir.WriteFile(seed.Name, seed.Bytes), n(seed.Count)});
  const std::wstring sheet = Folder(TAVRIN_ART, L"PL.bmp");
  TBitmap sheet8;
  sheet8.LoadFromFile(sheet);
  sheet8.SetPixelFormat(pf8bit);
  sheet8.SaveToFile(dir.File(L"sheet8.bmp"));
  jobs.push_back({"skin", sheet, n(200)});
  jobs.push_back({"skin", dir.File(L"sheet8.bmp"), n(200)});
  for (const Job& job : jobs) {
    TBitmap b;
    EXPECT_NO_THROW(b.LoadFromFile(job.Fixture)) << Narrow(job.Fixture);
  }
  // The skin description first: its profile calls make it the longest job.
  jobs.insert(jobs.begin(), Job{"skin-ini", TAVRIN_DEFAULT_SKIN, n(150)});
  const std::wstring icons[] = {Folder(TAVRIN_ART, L"PLAY.ico"), dir.WriteFile(L"mixed.ico", MixedIcon())};
  for (const std::wstring& icon : icons) {
    TIcon i;
    EXPECT_NO_THROW(i.LoadFromFile(icon)) << Narrow(icon);
    jobs.push_back({"ico", icon, n(250)});
  }
  const std::vector<std::wstring> names = {L"C:\\Music\\first.mp3", L"D:\\M\u00fcsik\\\u6771\u4eac.ogg",
                                           L"\\\\server\\share\\a b.wav"};
  jobs.push_back({"dropfiles", dir.WriteFile(L"drop_wide.bin", DropBlock(names, true)), n(1000)});
  const std::string ansi = DropBlock({L"C:\\Music\\first.mp3", L"C:\\x\\\u00e9t\u00e9.mp3"}, false);
  jobs.push_back({"dropfiles", dir.WriteFile(L"drop_ansi.bin", ansi), n(1000)});
  return jobs;
}

// --- the program's own files, and what other programs send it ----------------

std::string Utf16(const std::wstring& text, bool bigEndian) {
  std::string bytes;
  for (wchar_t c : text) bytes += bigEndian ? Be32(c).substr(2) : Le(c, 2);
  return bytes;
}

// English.ini as it ships (ANSI) and as a translator saves it (UTF-16 with
// its mark); the lyrics of a song as UTF-16LE and BE with their marks, UTF-8
// without one, and ANSI.
std::vector<Job> TextJobs(const TempDir& dir, const std::function<uint32_t(uint32_t)>& n) {
  const std::string english = ReadFileBytes(TAVRIN_ENGLISH);
  const std::wstring lyrics =
      L"[00:01.00]First line\r\n[00:02.50]Zweite Zeile "
      L"\u00e4\u00f6\u00fc\r\n\r\n\t[00:04]\u041f\u0435\u0441\u043d\u044f "
      L"\u6b4c \U0001F3B5\nLast line\r\n";
  const std::wstring latin = L"[00:01]Premi\u00e8re ligne\r\n[00:02]Stra\u00dfe \u00e9t\u00e9\r\n";
  return {
      {"language", TAVRIN_ENGLISH, n(40)},
      {"language",
       dir.WriteFile(L"English16.ini",
                     "\xFF\xFE" + Utf16(std::wstring(english.begin(), english.end()), false)),
       n(40)},
      {"lyrics", dir.WriteFile(L"utf16le.txt", "\xFF\xFE" + Utf16(lyrics, false)), n(300)},
      {"lyrics", dir.WriteFile(L"utf16be.txt", "\xFE\xFF" + Utf16(lyrics, true)), n(300)},
      {"lyrics", dir.WriteFile(L"utf8.txt", WideToUtf8(lyrics)), n(300)},
      {"lyrics", dir.WriteFile(L"ansi.txt", WideToAnsi(latin)), n(300)},
  };
}

// The default settings with presets the program never writes: values past a
// band's range and past 32 bits, signs, blanks and other bases, no bands, no
// name, a name twice, one far too long, one of what a name may not hold, and
// an element that is no preset.
std::string PresetsDocument() {
  std::string xml = ReadFileBytes(TAVRIN_DEFAULT_SETTINGS);
  const std::string extra =
      "<Preset Name=\"Loud\" B1=\"15\" B2=\"16\" B3=\"-16\" B4=\"2147483647\" B5=\"-2147483648\" "
      "B6=\"4294967296\" B7=\"+3\" B8=\" 4\" B9=\"0x10\" B10=\"1e3\"/><Preset Name=\"\"/><Preset B1=\"3\"/>"
      "<Preset Name=\"Rock\" B1=\"-15\"/><Preset Name=\"" +
      std::string(300, 'n') +
      "\" B2=\"2\"/>"
      "<Preset Name=\"a&#9;|b&#127;&#xD83C;\">text<Bands B1=\"9\"/></Preset><Other Name=\"x\" B1=\"-9\"/>";
  const size_t end = xml.find("</Presets>");
  if (end == std::string::npos) ADD_FAILURE() << "the default settings have no presets";
  return end == std::string::npos ? xml : xml.insert(end, extra);
}

// The default settings grown by presets whose names hold quotes to just
// under what the reader takes: a quote is written back as six bytes, so
// mutants of it are read within the bound and may be written past it.
std::string LargeSettingsDocument() {
  std::string xml = ReadFileBytes(TAVRIN_DEFAULT_SETTINGS);
  std::string presets;
  for (int i = 0; xml.size() + presets.size() < 1000000; ++i)
    presets += "<Preset Name='" + std::to_string(i) + std::string(100, '"') + "' B1=\"1\"/>";
  const size_t end = xml.find("</Presets>");
  if (end == std::string::npos) ADD_FAILURE() << "the default settings have no presets";
  return end == std::string::npos ? xml : xml.insert(end, presets);
}

// A folder of songs, and beside it a hand-over record naming two of them, a
// folder of them, a song that is not there and a relative name, in UTF-16 as
// the program sends it and as UTF-8 (a sender that got it wrong); and a
// batch of remote messages: every command with arguments of every size, some
// sent and some posted, and the program's other messages of its range.
std::vector<Job> RunningProgramJobs(const TempDir& dir, const std::function<uint32_t(uint32_t)>& n) {
  const std::wstring songs = dir.File(L"program\\songs\\");
  CreateDirectoryW(dir.File(L"program").c_str(), nullptr);
  CreateDirectoryW(songs.c_str(), nullptr);
  CreateDirectoryW((songs + L"more").c_str(), nullptr);
  const std::string wav =
      testing_support::WavBytes({}, 22050, [](uint32_t i) { return int32_t(i % 100) * 200 - 10000; });
  for (const wchar_t* name : {L"1.wav", L"2.wav", L"3.wav", L"more\\4.wav"})
    dir.WriteFile(L"program\\songs\\" + std::wstring(name), wav);
  const std::wstring text =
      songs + L"1.wav|" + songs + L"more|" + songs + L"missing.wav|relative name.ogg|" + songs + L"2.wav|";
  // The remote control's message, and the program's own that it posts itself.
  constexpr uint32_t kRemote = 0x89CE, kRunQueue = WM_APP + 0x120, kRunHandOvers = WM_APP + 0x101,
                     kComeToFront = WM_APP + 0x102;
  struct Message {
    uint32_t Id, Flags;
    uint64_t WParam, LParam;
  };
  const uint64_t big = uint64_t{1} << 40;
  const Message messages[] = {
      {kRemote, 0, 100, 0},     {kRemote, 1, 103, 0},   {kRemote, 0, 102, 0},     {kRemote, 1, 102, 0},
      {kRemote, 0, 104, 0},     {kRemote, 1, 105, 0},   {kRemote, 0, 106, 0},     {kRemote, 0, 200, 0},
      {kRemote, 1, 201, 0},     {kRemote, 0, 202, 0},   {kRemote, 1, 203, 0},     {kRemote, 0, 205, 0},
      {kRemote, 1, 206, 0},     {kRemote, 0, 254, 0},   {kRemote, 1, 256, 0},     {kRemote, 0, 257, big},
      {kRemote, 1, 257, ~0ull}, {kRemote, 0, 261, 0},   {kRemote, 1, 262, 0},     {kRemote, 0, 263, 0},
      {kRemote, 0, 300, 50},    {kRemote, 1, 300, big}, {kRemote, 0, 301, ~0ull}, {kRemote, 0, 400, 0},
      {kRemote, 1, 401, 0},     {kRemote, 0, 101, 0},   {kRemote, 0, ~0ull, big}, {kRemote - 1, 0, 100, 0},
      {kRemote + 1, 1, 100, 0}, {kRunQueue, 1, 0, 0},   {kRunHandOvers, 1, 0, 0}, {kComeToFront, 0, 0, 0},
      {WM_APP, 0, big, big},
  };
  return {
      {"remote",
       dir.WriteFile(L"program\\remote.bin",
                     std::string(reinterpret_cast<const char*>(messages), sizeof messages)),
       n(30)},
      {"handover", dir.WriteFile(L"program\\record16.bin", Utf16(text + L'\0', false)), n(150)},
      {"handover", dir.WriteFile(L"program\\record8.bin", WideToUtf8(text) + '\0'), n(40)},
  };
}

TEST(HostileFiles, OggWhoseSetupHeaderCannotBeBuiltIsRefused) {
  TempDir dir;
  const std::string bytes = BrokenCodebookOgg();
  ASSERT_FALSE(bytes.empty());
  const std::wstring file = dir.WriteFile(L"broken_codebook.ogg", bytes);
  const std::wstring work = dir.File(L"work\\");
  CreateDirectoryW(work.c_str(), nullptr);
  for (const std::string& p : RunJob({"stream-refused", file, 1}, 0, work).Problems) ADD_FAILURE() << p;
}

TEST(Mutation, EveryReaderWriterAndDecoderSurvivesMutants) {
  TempDir dir;
  const uint64_t seed = EnvNumber("TAVRIN_MUTATION_SEED", 1);
  const uint64_t scale = std::max<uint64_t>(1, EnvNumber("TAVRIN_MUTATION_SCALE", 1));
  auto n = [&](uint32_t count) { return static_cast<uint32_t>(count * scale); };
  const std::wstring modFile = dir.WriteFile(L"tune.mod", bass_test::MakeMod("mod"));
  const std::wstring xmFile = dir.WriteFile(L"tune.xm", bass_test::MakeXm("xm"));
  const std::wstring s3mFile = dir.WriteFile(L"tune.s3m", bass_test::MakeS3m("s3m"));
  const std::vector<Job> pictureJobs = PictureJobs(dir, n);
  std::vector<Job> jobs = {
      {"eq-presets", dir.WriteFile(L"presets.xml", PresetsDocument()), n(50)},
      {"icl", TAVRIN_ICON_LIBRARY, n(80)},
      {"id3v1", Lyrics3Fixture(dir), n(600)},
      {"id3v2", Folder(TAVRIN_FORMATS_FIXTURES_W, L"id3_tagged.mp3"), n(600)},
      {"mpeg", Folder(TAVRIN_FORMATS_FIXTURES_W, L"vbr_standard.mp3"), n(500)},
      {"wav", Folder(TAVRIN_FORMATS_FIXTURES_W, L"float_extensible.wav"), n(400)},
      {"ogg", Folder(TAVRIN_OGGWMA_FIXTURES, L"tagged.ogg"), n(600)},
      {"asf", Folder(TAVRIN_OGGWMA_FIXTURES, L"tagged.wma"), n(400)},
      {"m3u", PlaylistFixture(dir), n(600)},
      {"settings", TAVRIN_DEFAULT_SETTINGS, n(400)},
      {"settings", dir.WriteFile(L"large_settings.xml", LargeSettingsDocument()), n(10)},
      {"stream", Folder(TAVRIN_CODEC_FIXTURES, L"tone.mp3"), n(500)},
      {"stream", Folder(TAVRIN_OGGWMA_FIXTURES, L"plain.ogg"), n(1000)},
      {"stream", Folder(TAVRIN_FORMATS_FIXTURES_W, L"list_chunk.wav"), n(300)},
      {"music", modFile, n(250)},
      {"music", xmFile, n(250)},
      {"music", s3mFile, n(250)},
      {"wma", Folder(TAVRIN_CODEC_FIXTURES, L"tone.wma"), n(500)},
  };
  // The longest first: the running program's families, then the texts.
  for (const std::vector<Job>& front : {TextJobs(dir, n), RunningProgramJobs(dir, n)})
    jobs.insert(jobs.begin(), front.begin(), front.end());
  jobs.insert(jobs.end(), pictureJobs.begin(), pictureJobs.end());
  if (const char* only = std::getenv("TAVRIN_MUTATION_FAMILIES"); only && *only) {
    const std::string list = "," + std::string(only) + ",";
    std::erase_if(jobs,
                  [&](const Job& job) { return list.find("," + job.Family + ",") == std::string::npos; });
  }
  ASSERT_FALSE(jobs.empty()) << "TAVRIN_MUTATION_FAMILIES names no family";
  const DWORD started = GetTickCount();
  const std::vector<Outcome> outcomes = RunJobs(jobs, seed, dir);
  ExpectNoProblems(outcomes);
  uint32_t ran = 0;
  const Outcome* slowest = &outcomes[0];
  for (const Outcome& o : outcomes) {
    ran += o.Ran - o.NotTried;
    if (o.SlowestMs > slowest->SlowestMs) slowest = &o;
  }
  std::printf("%u mutants with seed %llu in %lu ms; slowest %lu ms: %s\n", ran,
              static_cast<unsigned long long>(seed), GetTickCount() - started, slowest->SlowestMs,
              slowest->Slowest.c_str());
  // How the jobs share the time, for choosing their counts.
  for (size_t i = 0; i < jobs.size(); ++i)
    std::printf("  %-10s %-22s %6u mutants %7lu ms, peak %u MB, %u not tried\n", jobs[i].Family.c_str(),
                Narrow(jobs[i].Fixture.substr(jobs[i].Fixture.find_last_of(L'\\') + 1)).c_str(),
                outcomes[i].Ran - outcomes[i].NotTried, outcomes[i].Ms, outcomes[i].PeakMB, outcomes[i].NotTried);
}

}  // namespace
