// Changing audio files without ever losing them. A writer that changes a file's
// length builds the new file beside the old one and swaps it in with one move;
// a writer that patches a file in place only needs write access for a while.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class TStream;

// Lifts a file's read-only attribute for as long as it lives, then gives the
// file back the attributes it had.
class TWriteAccess {
 public:
  explicit TWriteAccess(const std::wstring& FileName);
  ~TWriteAccess();
  TWriteAccess(const TWriteAccess&) = delete;
  TWriteAccess& operator=(const TWriteAccess&) = delete;

  // False when the file is missing or stays read-only.
  bool Granted() const { return FGranted; }

 private:
  std::wstring FFileName;
  uint32_t FAttributes = 0;
  bool FGranted = false;
  bool FChanged = false;
};

// Produce reads the file's current content from Source and writes the new
// content to Target, a fresh file of a unique name in the same folder, which
// then replaces FileName in one step and takes its attributes. False when the
// file is missing, Produce returns false or throws, or the swap fails; the file
// is then as it was and the temporary file is gone.
bool RewriteFile(const std::wstring& FileName,
                 const std::function<bool(TStream& Source, TStream& Target)>& Produce);
