// Hostile files: mutants of the project's own fixtures through every reader,
// writer and decoder, each family in a mutant_runner.exe of its own, so that
// a crash or a hang is a failure naming the mutant, and the other mutants
// still run. TAVRIN_MUTATION_SCALE multiplies the number of mutants and
// TAVRIN_MUTATION_SEED picks another set (scripts/mutation-soak).
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "formats/id3v1.h"
#include "module_fixtures.h"
#include "mutator.h"
#include "playlist/comp_list.h"
#include "test_support.h"

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
  uint32_t Ran = 0;
  DWORD SlowestMs = 0;
  std::string Slowest;
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
      } else if (l.Word == "end") {
        open = false;
        ++out.Ran;
        const DWORD ms = static_cast<DWORD>(std::strtoul(l.Rest.c_str(), nullptr, 10));
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
  const std::vector<Job> jobs = {
      {"id3v1", Lyrics3Fixture(dir), n(600)},
      {"id3v2", Folder(TAVRIN_FORMATS_FIXTURES_W, L"id3_tagged.mp3"), n(600)},
      {"mpeg", Folder(TAVRIN_FORMATS_FIXTURES_W, L"vbr_standard.mp3"), n(500)},
      {"wav", Folder(TAVRIN_FORMATS_FIXTURES_W, L"float_extensible.wav"), n(400)},
      {"ogg", Folder(TAVRIN_OGGWMA_FIXTURES, L"tagged.ogg"), n(600)},
      {"asf", Folder(TAVRIN_OGGWMA_FIXTURES, L"tagged.wma"), n(400)},
      {"m3u", PlaylistFixture(dir), n(600)},
      {"settings", TAVRIN_DEFAULT_SETTINGS, n(400)},
      {"stream", Folder(TAVRIN_CODEC_FIXTURES, L"tone.mp3"), n(500)},
      {"stream", Folder(TAVRIN_OGGWMA_FIXTURES, L"plain.ogg"), n(1000)},
      {"stream", Folder(TAVRIN_FORMATS_FIXTURES_W, L"list_chunk.wav"), n(300)},
      {"music", modFile, n(250)},
      {"music", xmFile, n(250)},
      {"music", s3mFile, n(250)},
      {"wma", Folder(TAVRIN_CODEC_FIXTURES, L"tone.wma"), n(500)},
  };
  const DWORD started = GetTickCount();
  const std::vector<Outcome> outcomes = RunJobs(jobs, seed, dir);
  ExpectNoProblems(outcomes);
  uint32_t ran = 0;
  const Outcome* slowest = &outcomes[0];
  for (const Outcome& o : outcomes) {
    ran += o.Ran;
    if (o.SlowestMs > slowest->SlowestMs) slowest = &o;
  }
  std::printf("%u mutants with seed %llu in %lu ms; slowest %lu ms: %s\n", ran,
              static_cast<unsigned long long>(seed), GetTickCount() - started, slowest->SlowestMs,
              slowest->Slowest.c_str());
}

}  // namespace
