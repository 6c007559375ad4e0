// The families of mutant_runner.exe that go through the program's own windows
// (program_families.cpp) or through a running tavrin.exe
// (running_program.cpp), and the runner's helpers they share
// (runner_main.cpp). Each check gives the failure, empty when the mutant
// passed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace hostile {

std::string ReadBytes(const std::wstring& name);
void WriteBytes(const std::wstring& name, const std::string& bytes);
// Non-ASCII as "?", for log lines.
std::string Narrow(const std::wstring& s);
// The mutant being checked, for names of its own.
extern uint32_t CurrentIndex;
// Set by a check that took its refusal path for the mutant (a reader or
// decoder that turned it down), which the file as it is must never take.
extern bool Refused;
// Set by a family that could not try the mutant at all (a hand-over naming
// places beyond the songs): the mutant is counted apart, not as passed.
extern bool NotTried;

// A language file through the reader into the windows and messages.
std::string CheckLanguage(const std::wstring& work, const std::string& bytes);
// An icon library as the options window shows it.
std::string CheckIconLibrary(const std::wstring& work, const std::string& bytes);
// A settings document's equaliser: the bands at the start and every preset
// loaded, one deleted and one saved through the presets dialog.
std::string CheckPresets(const std::wstring& work, const std::string& bytes);

// One tavrin.exe for the whole run of a family, in a copy of the program
// folder: the mutants are sent to it, and at the end it must exit cleanly and
// leave its playlist and settings whole. Songs: a folder of WAVs the
// hand-overs may name and the playlist holds.
class RunningProgram {
 public:
  static std::unique_ptr<RunningProgram> Start(const std::wstring& work, const std::wstring& songs,
                                               std::string& failure);
  virtual ~RunningProgram() = default;
  // A hand-over record, or a batch of messages; after either the program
  // must live and answer.
  virtual std::string HandOver(const std::string& record) = 0;
  virtual std::string Remote(const std::string& batch) = 0;
  virtual std::string Finish() = 0;
};

}  // namespace hostile
