// TBASSPlayer: CD drives, the disc's track list, and opening a CD-track name.
#include <cstdio>

#include "engine/bass22_dynamic.h"
#include "engine/bass_player.h"
#include "engine/basscd22_dynamic.h"
#include "foundation/tnt_string_list.h"
#include "foundation/tnt_system.h"
#include "framework/dialogs.h"
#include "playlist/comp_list.h"

namespace basscd = BassCD22_dynamic;

namespace {

constexpr DWORD kMaxDrives = 9;
constexpr DWORD kBytesPerSecond = 176400;  // 44.1 kHz, 16-bit, stereo

const wchar_t kNoDisk[] =
    L"There is no disk in drive or drive is busy or track with this number doesn't exist or you are "
    L"using CD extractor!";

// A whole decimal number of at most nine digits; false for anything else.
bool ParseWholeNumber(const std::wstring& text, int32_t& value) {
  if (text.empty() || text.size() > 9) return false;
  value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return false;
    value = value * 10 + (c - L'0');
  }
  return true;
}

// The value after "<key><track>=" at the start of one of the strings.
bool FindCdText(const char* text, const char* key, DWORD track, std::string& value) {
  std::string prefix = key + std::to_string(track) + "=";
  for (size_t count = 0; text != nullptr && *text != '\0' && count < 4096; ++count) {
    std::string line(text);
    if (line.compare(0, prefix.size(), prefix) == 0) {
      value = line.substr(prefix.size());
      return true;
    }
    text += line.size() + 1;
  }
  return false;
}

}  // namespace

TBASSPlayer::TOpenResult TBASSPlayer::OpenCDTrack(const std::wstring& FileName) {
  // Only a name shaped "X:\<digit>\..." is taken for a CD track; any other
  // name that nothing could open is an ordinary file that failed.
  if (FileName.size() < 5 || FileName[1] != L':' || FileName[2] != L'\\' || FileName[4] != L'\\') return orFailed;
  size_t slash = FileName.rfind(L'\\');
  int32_t drive = 0;
  int32_t track = 0;
  if (!ParseWholeNumber(FileName.substr(3, 1), drive) || !ParseWholeNumber(FileName.substr(slash + 1), track)) {
    return orRefused;
  }
  // The track count of the drive the name points at, whichever drive is
  // selected; a drive without a disc answers -1, which is no count at all.
  DWORD count = basscd::BASS_CD_GetTracks(static_cast<DWORD>(drive));
  if (count == 0xFFFFFFFF) {
    ShowMessageBoxW(FOwnerWindow, kNoDisk, L"Information", MB_OK);
    return orRefused;
  }
  if (track >= 1 && static_cast<DWORD>(track - 1) < count) {
    if (!basscd::BASS_CD_IsReady(static_cast<DWORD>(drive)) || FCDBusy) {
      ShowMessageBoxW(FOwnerWindow, kNoDisk, L"Information", MB_OK);
      return orRefused;
    }
    Bass22_dynamic::BASS_SetConfig(BASS_CONFIG_CD_FREEOLD, 1);
    // Without BASS_STREAM_AUTOFREE: the player frees its channel itself, and
    // an auto-freed handle would be freed again by the next Open.
    FChannel = basscd::BASS_CD_StreamCreate(static_cast<DWORD>(drive), static_cast<DWORD>(track - 1),
                                            FFloatOutput ? DWORD{BASS_SAMPLE_FLOAT} : DWORD{0});
    if (FChannel == 0) return orFailed;
    FChannelKind = ckCD;
    return orOpened;
  }
  ShowMessageBoxW(ApplicationHandle(),
                  L"You are trying to play track #" + std::to_wstring(track) + L" on the CD where there is " +
                      std::to_wstring(count) + L" tracks total",
                  L"Info", MB_OK | MB_ICONINFORMATION);
  return orFailed;
}

TTntStringList* TBASSPlayer::GetCDDrives() {
  FCDDrive = 0;
  auto* list = new TTntStringList();
  for (DWORD n = 0; n < kMaxDrives; ++n) {
    const char* description = basscd::BASS_CD_GetDriveDescription(n);
    if (description == nullptr) break;
    DWORD letter = basscd::BASS_CD_GetDriveLetter(n);
    std::wstring line(1, static_cast<wchar_t>(L'A' + (letter < 26 ? letter : 0)));
    line += L": " + AnsiToWideInCodePage(description, CP_ACP);
    list->AddObject(line, new TDriveNumber(static_cast<int32_t>(n)));
  }
  return list;
}

wchar_t TBASSPlayer::GetCDDriveLetter() {
  return static_cast<wchar_t>(L'A' + basscd::BASS_CD_GetDriveLetter(static_cast<DWORD>(FCDDrive)));
}

std::vector<TCDTrackInfo> TBASSPlayer::CDTrackInfo() {
  std::vector<TCDTrackInfo> tracks;
  DWORD drive = static_cast<DWORD>(FCDDrive);
  DWORD count = basscd::BASS_CD_GetTracks(drive);
  if (count == 0xFFFFFFFF) return tracks;
  const char* text = basscd::BASS_CD_GetID(drive, BASS_CDID_TEXT);
  for (DWORD i = 0; i < count && i < 100; ++i) {
    TCDTrackInfo track;
    DWORD bytes = basscd::BASS_CD_GetTrackLength(drive, i);
    std::string value;
    if (FindCdText(text, "PERFORMER", i + 1, value)) track.Artist = AnsiToWideInCodePage(value, CP_ACP);
    if (FindCdText(text, "TITLE", i + 1, value)) track.Title = AnsiToWideInCodePage(value, CP_ACP);
    track.Duration = bytes == 0xFFFFFFFF ? -1 : static_cast<int32_t>(bytes / kBytesPerSecond);
    tracks.push_back(std::move(track));
  }
  return tracks;
}

TCompList* TBASSPlayer::GetCDTracks() {
  auto* list = new TCompList();
  const std::vector<TCDTrackInfo> tracks = CDTrackInfo();
  for (size_t i = 0; i < tracks.size(); ++i) {
    TElem elem;
    wchar_t title[16];
    swprintf(title, 16, L"Track %.2u", static_cast<unsigned>(i + 1));
    elem.Title = tracks[i].Title.empty() ? std::wstring(title) : tracks[i].Title;
    elem.Artist = tracks[i].Artist;
    elem.Duration = tracks[i].Duration;
    elem.Selected = false;
    list->Add(elem);
  }
  return list;
}
