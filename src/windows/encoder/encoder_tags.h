// The song's title and artist carried from a converted file to its output,
// for the formats that hold them (MP3 and the other MPEG layers, Ogg Vorbis,
// WMA; a WAV has none).
#pragma once

#include <string>

struct TSongNames {
  std::wstring Title, Artist;
  bool Empty() const { return Title.empty() && Artist.empty(); }
};

// From the file's tag, by its extension; empty when it has none or cannot be
// read.
TSongNames ReadSongNames(const std::wstring& FileName);
// Into the file's tag, by its extension; false when the format holds none or
// the tag could not be written (the audio stays as it is either way).
bool WriteSongNames(const std::wstring& FileName, const TSongNames& Names);
