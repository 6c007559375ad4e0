// The lines the stream information window shows, made from what the player
// knows of the open stream. Server texts are no trusted input: they are
// matched in any letter case, and whatever their size or content each line
// stays one short line of text.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct TNetStreamFacts {
  bool IsNetRadio = false;
  bool IsNetStream = false;
  // The server's header lines, as the player has them (8-bit text, UTF-8
  // or the system code page).
  std::vector<std::string> ICYTags;
  std::vector<std::string> HTTPTags;
};

// The localised words the lines are made of.
struct TNetStreamWords {
  std::wstring ConnectedToInetRadio;
  std::wstring PlayingInetStream;
  std::wstring Server;
};

// A line longer than this is cut (a server may send a header of any size).
inline constexpr size_t kMaxStreamInfoLine = 256;
// At most this many lines are shown.
inline constexpr size_t kMaxStreamInfoLines = 64;

// A radio: the "connected" line, then "ICY-name : ...", "ICY-genre : ...",
// "ICY-url : ..." and "ICY-br : ..." for the first header of each name there
// is. A stream: the "playing" line, the first "Server:" header as it stands,
// then every ICY header. Neither: no line.
std::vector<std::wstring> NetStreamInfoLines(const TNetStreamFacts& Facts, const TNetStreamWords& Words);
// "<Buffer>: 87.50%".
std::wstring BufferLine(const std::wstring& BufferWord, float Percent);
