// The outputs of the program's encoders (the encoder window's conversions and
// the CD extractor's rips): numbered names for collisions, telling whether two
// names are one file, and the temporary file each output is written under
// before it takes its name.
#pragma once

#include <cstdint>
#include <string>

// Folder + Stem + Extension for N 1, else Folder + Stem + " (N)" + Extension.
std::wstring NumberedOutputName(const std::wstring& Folder, const std::wstring& Stem,
                                const std::wstring& Extension, int N);
// Whether A and B name the same file: the same full path in any letter case,
// or, when both exist, the same file on the same volume (a short name, a
// second link or another way to the folder).
bool SameFile(const std::wstring& A, const std::wstring& B);
// A new empty file of a unique temporary name ("tavXXXX.tmp") in Folder, for
// an output to be written under; empty when Folder takes no file, with the
// system's reason in Error.
std::wstring NewTemporaryOutput(const std::wstring& Folder, std::wstring& Error);
// A name of File that a program reading its command line in the system's
// code page (lame.exe does) can open: File itself when every character fits
// that code page, else its short name when that fits; empty when neither does.
std::wstring CodePageSafeName(const std::wstring& File);
// Whether an output may take the place of the existing File: not when it is
// read-only (the user's word that it stays, which some systems' moves pass
// over) or open elsewhere without sharing; the system's reason in Error.
// File is left as it is.
bool OutputReplaceable(const std::wstring& File, std::wstring& Error);
// One output while it is written: under a temporary name of the program's own
// in the output's folder (NewTemporaryOutput's, the name the program's other
// rewrites use too, so a file a killed run left is known for its own), moved
// over the output's name only once complete. Whatever was not moved into
// place is removed when the object goes: a cancel, a failure or the exit
// leave an existing output as it was.
class TTemporaryOutput {
 public:
  TTemporaryOutput() = default;
  ~TTemporaryOutput();
  TTemporaryOutput(const TTemporaryOutput&) = delete;
  TTemporaryOutput& operator=(const TTemporaryOutput&) = delete;

  // Makes the temporary file in Folder. ForCodePage: the name to write to
  // must also be one a program reading its command line in the system's code
  // page can open (the external encoders): the temporary's short name when
  // the folder's is not, else a temporary file in the system's temporary
  // folder. False, with the system's reason in Error, when there is none.
  bool Create(const std::wstring& Folder, bool ForCodePage, std::wstring& Error);
  // The name the encoder writes to.
  const std::wstring& WriteName() const { return FWriteName; }
  // The bytes written so far; -1 when the file is gone.
  int64_t Size() const;
  // The written file takes Output's name, over an existing file only when
  // Replace. False, with the system's reason in Error, when it cannot (the
  // temporary file is then removed with the object).
  bool MoveTo(const std::wstring& Output, bool Replace, std::wstring& Error);

 private:
  std::wstring FBeside;     // the temporary file in the output's folder
  std::wstring FElsewhere;  // the one in the system's temporary folder, when used
  std::wstring FWriteName;
};
