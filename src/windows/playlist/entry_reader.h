// Playlist entries for files: the kind a file's extension names, and its title
// and length read from its tags and headers.
//   MPEG (.mp3, .mp2, .mp1)  "artist - title" of the ID3v2 tag, else of the
//                            ID3v1 tag; the length from the frames.
//   WAV                      the length from the header.
//   WMA                      "author - title" and the length of the WMA reader.
//   Ogg Vorbis               "artist - title" of the comments and the length.
//   tracker modules          the length BASS gives the loaded module.
// A title that is missing or blank is the file name without folder and
// extension; a length that cannot be read is -1.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "playlist/elem.h"

class TID3v1;
class TID3v2;
class TMPEGaudio;
class TOggVorbis;
class TWAVfile;
class TWMATagEditor;

enum TEntryKind : uint8_t { ekNone, ekMPEG, ekWAV, ekWMA, ekOgg, ekPlaylist, ekModule };

// By the extension, in any case; ekNone for every other.
TEntryKind EntryKindOf(const std::wstring& FileName);
// The file name without folder and extension.
std::wstring TitleFromFileName(const std::wstring& FileName);

// Whole seconds of a tracker module, or -1 when it does not load.
using TModuleLength = std::function<int32_t(const std::wstring& FileName)>;
// Through the loaded bass.dll; -1 while it is not loaded or initialised.
int32_t BassModuleLength(const std::wstring& FileName);

// One reader of each kind, kept for a whole batch of files.
class TEntryReader {
 public:
  TEntryReader();
  ~TEntryReader();
  TEntryReader(const TEntryReader&) = delete;
  TEntryReader& operator=(const TEntryReader&) = delete;

  // Elem for FileName, an existing file of Kind (not ekNone or ekPlaylist).
  TElem Read(const std::wstring& FileName, TEntryKind Kind);

  void SetModuleLength(TModuleLength Value) { FModuleLength = std::move(Value); }

 private:
  void ReadMPEG(const std::wstring& FileName, TElem& Elem);

  std::unique_ptr<TID3v1> FID3v1;
  std::unique_ptr<TID3v2> FID3v2;
  std::unique_ptr<TMPEGaudio> FMPEGaudio;
  std::unique_ptr<TWMATagEditor> FWMA;
  std::unique_ptr<TOggVorbis> FOggVorbis;
  std::unique_ptr<TWAVfile> FWAVfile;
  TModuleLength FModuleLength = BassModuleLength;
};
