#include "windows/playlist/entry_reader.h"

#include <cmath>
#include <limits>

#include "engine/bass22_dynamic.h"
#include "formats/id3v1.h"
#include "formats/id3v2.h"
#include "formats/mpeg_audio.h"
#include "formats/ogg_vorbis.h"
#include "formats/wav_file.h"
#include "formats/wma_tag_editor.h"
#include "foundation/string_func.h"
#include "foundation/tnt_sysutils.h"
#include "framework/format.h"

namespace {

// Whole seconds, truncated, within the entry's 32 bits; -1 for what is no
// length at all.
int32_t WholeSeconds(double Seconds) {
  if (!(Seconds >= 0)) return -1;
  if (Seconds >= static_cast<double>(std::numeric_limits<int32_t>::max()))
    return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(Seconds);
}

// "artist - title", or the file name when both are blank.
std::wstring JoinedTitle(const std::wstring& Artist, const std::wstring& Title,
                         const std::wstring& FileName) {
  if (IsBlank(Artist) && IsBlank(Title)) return TitleFromFileName(FileName);
  return JoinWithDash(Artist, Title);
}

// ID3v1 text is 8-bit in the system code page by definition.
std::wstring TagTitle(const std::string& Artist, const std::string& Title,
                      const std::wstring& FileName) {
  return JoinedTitle(AnsiToWide(Artist), AnsiToWide(Title), FileName);
}

}  // namespace

TEntryKind EntryKindOf(const std::wstring& FileName) {
  std::wstring ext = WideExtractFileExt(FileName);
  // Every extension we know is ASCII; anything else simply matches none.
  for (wchar_t& c : ext)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  if (ext == L".mp3" || ext == L".mp2" || ext == L".mp1") return ekMPEG;
  if (ext == L".wav") return ekWAV;
  if (ext == L".wma") return ekWMA;
  if (ext == L".ogg") return ekOgg;
  if (ext == L".m3u") return ekPlaylist;
  if (ext == L".mo3" || ext == L".it" || ext == L".xm" || ext == L".s3m" || ext == L".mtm" ||
      ext == L".mod" || ext == L".umx")
    return ekModule;
  return ekNone;
}

std::wstring TitleFromFileName(const std::wstring& FileName) {
  std::wstring name = WideExtractFileName(FileName);
  const std::wstring ext = WideExtractFileExt(name);
  return name.substr(0, name.size() - ext.size());
}

int32_t BassModuleLength(const std::wstring& FileName) {
  namespace bass = Bass22_dynamic;
  const HMUSIC music =
      bass::BASS_MusicLoad(FALSE, FileName.c_str(), 0, 0,
                           BASS_UNICODE | BASS_MUSIC_PRESCAN | BASS_MUSIC_RAMPS, 0);
  if (music == 0) return -1;
  const QWORD bytes = bass::BASS_ChannelGetLength(music);
  const double seconds =
      bytes == static_cast<QWORD>(-1) ? -1.0 : bass::BASS_ChannelBytes2Seconds(music, bytes);
  bass::BASS_MusicFree(music);
  return WholeSeconds(seconds);
}

TEntryReader::TEntryReader()
    : FID3v1(std::make_unique<TID3v1>()),
      FID3v2(std::make_unique<TID3v2>()),
      FMPEGaudio(std::make_unique<TMPEGaudio>()),
      FWMA(std::make_unique<TWMATagEditor>()),
      FOggVorbis(std::make_unique<TOggVorbis>()),
      FWAVfile(std::make_unique<TWAVfile>()) {}

TEntryReader::~TEntryReader() = default;

TElem TEntryReader::Read(const std::wstring& FileName, TEntryKind Kind) {
  TElem elem;
  elem.FileName = FileName;
  switch (Kind) {
    case ekMPEG:
      ReadMPEG(FileName, elem);
      break;
    case ekWAV:
      elem.Title = TitleFromFileName(FileName);
      FWAVfile->ReadFromFile(FileName);
      elem.Duration = WholeSeconds(FWAVfile->Duration());
      break;
    case ekWMA:
      if (FWMA->ReadFromFile(FileName)) {
        const TTagsData& tags = FWMA->TagsData();
        elem.Title = JoinedTitle(tags.Author, tags.Title, FileName);
        elem.Duration = static_cast<int32_t>(tags.Duration / 1000);
      } else {
        elem.Title = TitleFromFileName(FileName);
      }
      break;
    case ekOgg:
      if (FOggVorbis->ReadFromFile(FileName)) {
        elem.Title = JoinedTitle(FOggVorbis->Text(ogArtist), FOggVorbis->Text(ogTitle), FileName);
        elem.Duration = WholeSeconds(FOggVorbis->GetDuration());
      } else {
        elem.Title = TitleFromFileName(FileName);
      }
      break;
    case ekModule:
      elem.Title = TitleFromFileName(FileName);
      elem.Duration = FModuleLength ? FModuleLength(FileName) : -1;
      break;
    case ekNone:
    case ekPlaylist:
      elem.Title = TitleFromFileName(FileName);
      break;
  }
  return elem;
}

// The MPEG reader reads both tags on its way to the frames, so one pass over
// the file gives title and length; only a file without frames, whose tags the
// reader then forgets, has its tags read again on their own.
void TEntryReader::ReadMPEG(const std::wstring& FileName, TElem& Elem) {
  FMPEGaudio->ReadFromFile(FileName);
  Elem.Duration = WholeSeconds(FMPEGaudio->Duration());
  TID3v2* v2 = &FMPEGaudio->ID3v2();
  TID3v1* v1 = &FMPEGaudio->ID3v1();
  if (!FMPEGaudio->Frame().Found) {
    v2 = FID3v2.get();
    v1 = FID3v1.get();
    v2->ReadFromFile(FileName);
    if (!v2->Exists()) v1->ReadFromFile(FileName);
  }
  if (v2->Exists())
    Elem.Title = JoinedTitle(v2->Text(v2Artist), v2->Text(v2Title), FileName);
  else if (v1->Exists())
    Elem.Title = TagTitle(v1->Artist(), v1->Title(), FileName);
  else
    Elem.Title = TitleFromFileName(FileName);
}
