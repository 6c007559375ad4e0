// Reads a text stream line by line with the rules of a wide list's load:
// the encoding comes from the byte-order mark (TntDetectStreamCharSet), lines
// end at CR LF, a lone CR or a lone LF, a NUL ends the text, and a final line
// break adds no empty line. Memory stays at one chunk plus the current line,
// whatever the size of the stream.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/tnt_strings.h"

class TStream;

class TTntTextReader {
 public:
  // Reads the mark at the stream's position; the stream is not owned and must
  // outlive the reader.
  explicit TTntTextReader(TStream* Stream);

  TTntStreamCharSet CharSet() const { return FCharSet; }
  // The next line, without its break; false after the last one. EReadError when
  // the stream runs short or a line exceeds MaxLineLength characters.
  bool ReadLine(std::wstring& Line);

  // After the last line: true when a NUL ended the text while something other
  // than NULs follows it, i.e. the text stopped before the stream's end (a
  // damaged file) rather than at a terminating zero. Reads what is left of the
  // stream, in chunks, up to the first byte that is not zero.
  bool StoppedEarly();

  static constexpr size_t MaxLineLength = size_t{1} << 20;

 private:
  bool DecodeNextPiece();

  TStream* FStream;
  TTntStreamCharSet FCharSet;
  int64_t FBytesLeft = 0;
  std::string FRaw;    // bytes read but not yet decoded
  std::wstring FText;  // the decoded piece being cut into lines
  size_t FPos = 0;
  bool FSkipLF = false;     // the last line ended with CR: an LF next belongs to it
  bool FEndOfText = false;  // a NUL was met
  bool FTextAfterNul = false;  // the piece held more than NULs after it
};
