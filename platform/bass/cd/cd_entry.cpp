// basscd.dll's entry points over the drive list (cd_drive.h). Every one
// validates its arguments, reports failures through the family's error code
// and never throws. Analog playback (the drive's own audio output) is not
// offered: those calls fail with BASS_ERROR_NOTAVAIL on a valid drive.
#include <cstdio>
#include <map>
#include <mutex>

#include "bass/bass_api.h"
#include "bass/cd/cd_drive.h"
#include "bass/cd/cd_stream.h"
#include "bass/common/error_code.h"

using namespace tavrin_bass;
using tavrin_cd::CdDrive;
using tavrin_cd::CdTrack;
using tavrin_cd::DriveAt;

namespace {

// Texts handed out stay valid until the next call for the same drive.
std::mutex TextLock;
std::map<DWORD, std::string> Descriptions;
std::map<DWORD, std::string> IdTexts;

// The disc's tracks, or the error code to fail with.
int TracksOf(DWORD drive, std::vector<CdTrack>& tracks) {
  std::shared_ptr<CdDrive> cd = DriveAt(drive);
  if (!cd) return BASS_ERROR_DEVICE;
  return cd->ReadTracks(tracks);
}

}  // namespace

const char* WINAPI BASS_CD_GetDriveDescription(DWORD drive) {
  return Guarded([&]() -> const char* {
    std::shared_ptr<CdDrive> cd = DriveAt(drive);
    if (!cd) return Fail(BASS_ERROR_DEVICE);
    std::string text = cd->Description();
    std::lock_guard<std::mutex> guard(TextLock);
    return Ok(Descriptions[drive].assign(text).c_str());
  });
}

DWORD WINAPI BASS_CD_GetDriveLetter(DWORD drive) {
  std::shared_ptr<CdDrive> cd = DriveAt(drive);
  if (!cd) return FailMinusOne(BASS_ERROR_DEVICE);
  return Ok(static_cast<DWORD>(cd->Letter() - 'A'));
}

BOOL WINAPI BASS_CD_GetInfo(DWORD drive, BASS_CD_INFO* info) {
  return Guarded([&]() -> BOOL {
    if (info == nullptr) return Fail(BASS_ERROR_ILLPARAM);
    std::shared_ptr<CdDrive> cd = DriveAt(drive);
    if (!cd) return Fail(BASS_ERROR_DEVICE);
    bool cdText = false;
    if (!cd->ReadCapabilities(cdText)) return Fail(BASS_ERROR_DEVICE);
    *info = BASS_CD_INFO{};
    info->maxspeed = 176400;
    info->cdtext = cdText;
    return Ok(TRUE);
  });
}

BOOL WINAPI BASS_CD_Door(DWORD drive, DWORD action) {
  return Guarded([&]() -> BOOL {
    if (action > BASS_CD_DOOR_UNLOCK) return Fail(BASS_ERROR_ILLPARAM);
    std::shared_ptr<CdDrive> cd = DriveAt(drive);
    if (!cd) return Fail(BASS_ERROR_DEVICE);
    if (int error = cd->Door(action)) return Fail(error);
    return Ok(TRUE);
  });
}

BOOL WINAPI BASS_CD_DoorIsOpen(DWORD drive) {
  return Guarded([&]() -> BOOL {
    std::shared_ptr<CdDrive> cd = DriveAt(drive);
    if (!cd) return Fail(BASS_ERROR_DEVICE);
    return Ok(cd->DoorIsOpen() ? TRUE : FALSE);
  });
}

BOOL WINAPI BASS_CD_DoorIsLocked(DWORD drive) {
  std::shared_ptr<CdDrive> cd = DriveAt(drive);
  if (!cd) return Fail(BASS_ERROR_DEVICE);
  return Ok(cd->DoorIsLocked() ? TRUE : FALSE);
}

BOOL WINAPI BASS_CD_IsReady(DWORD drive) {
  return Guarded([&]() -> BOOL {
    std::vector<CdTrack> tracks;
    int error = TracksOf(drive, tracks);
    if (error == BASS_ERROR_DEVICE) return Fail(error);
    return Ok(error == BASS_OK ? TRUE : FALSE);
  });
}

DWORD WINAPI BASS_CD_GetTracks(DWORD drive) {
  return Guarded([&]() -> DWORD {
    std::vector<CdTrack> tracks;
    if (int error = TracksOf(drive, tracks)) return FailMinusOne(error);
    return Ok(static_cast<DWORD>(tracks.size()));
  });
}

DWORD WINAPI BASS_CD_GetTrackLength(DWORD drive, DWORD track) {
  return Guarded([&]() -> DWORD {
    std::vector<CdTrack> tracks;
    if (int error = TracksOf(drive, tracks)) return FailMinusOne(error);
    if (track >= tracks.size()) return FailMinusOne(BASS_ERROR_CDTRACK);
    if (!tracks[track].Audio) return FailMinusOne(BASS_ERROR_NOTAUDIO);
    uint64_t frames = tracks[track].Frames;
    if (frames == UINT64_MAX || frames * tavrin_cd::kBytesPerFrame >= 0xFFFFFFFFull) {
      return FailMinusOne(BASS_ERROR_NOTAVAIL);
    }
    return Ok(static_cast<DWORD>(frames * tavrin_cd::kBytesPerFrame));
  });
}

const char* WINAPI BASS_CD_GetID(DWORD drive, DWORD id) {
  return Guarded([&]() -> const char* {
    if (id < BASS_CDID_UPC || id > BASS_CDID_MUSICBRAINZ) return Fail(BASS_ERROR_ILLPARAM);
    std::shared_ptr<CdDrive> cd = DriveAt(drive);
    if (!cd) return Fail(BASS_ERROR_DEVICE);
    std::vector<CdTrack> tracks;
    if (int error = cd->ReadTracks(tracks)) return Fail(error);
    if (id != BASS_CDID_TEXT) return Fail(BASS_ERROR_NOTAVAIL);
    std::vector<std::string> lines = cd->CdText();
    if (lines.empty()) return Fail(BASS_ERROR_NOTAVAIL);
    std::string block;
    for (const std::string& line : lines) {
      block += line;
      block += '\0';
    }
    block += '\0';
    std::lock_guard<std::mutex> guard(TextLock);
    return Ok(IdTexts[drive].assign(block).c_str());
  });
}

BOOL WINAPI BASS_CD_Release(DWORD drive) {
  if (!DriveAt(drive)) return Fail(BASS_ERROR_DEVICE);
  return Ok(TRUE);  // drives are opened per request: nothing is held
}

HSTREAM WINAPI BASS_CD_StreamCreate(DWORD drive, DWORD track, DWORD flags) {
  return Guarded([&]() -> HSTREAM { return tavrin_cd::CreateTrackStream(drive, track, flags); });
}

// A "Track##.cda" file of a CD drive's root, as Windows shows audio tracks.
HSTREAM WINAPI BASS_CD_StreamCreateFile(const void* file, DWORD flags) {
  return Guarded([&]() -> HSTREAM {
    if (file == nullptr) return Fail(BASS_ERROR_ILLPARAM);
    std::wstring name;
    if (flags & BASS_UNICODE) {
      name = static_cast<const wchar_t*>(file);
    } else {
      for (const char* p = static_cast<const char*>(file); *p; ++p) name += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    }
    unsigned number = 0;
    wchar_t letter = 0;
    if (name.size() < 3 || swscanf(name.c_str(), L"%lc:\\Track%u.cda", &letter, &number) != 2 || number == 0) {
      return Fail(BASS_ERROR_FILEOPEN);
    }
    letter = static_cast<wchar_t>(towupper(letter));
    for (DWORD drive = 0; auto cd = DriveAt(drive); ++drive) {
      if (cd->Letter() == letter) {
        return tavrin_cd::CreateTrackStream(drive, number - 1, flags & ~DWORD{BASS_UNICODE});
      }
    }
    return Fail(BASS_ERROR_FILEOPEN);
  });
}

DWORD WINAPI BASS_CD_StreamGetTrack(HSTREAM handle) {
  return Guarded([&]() -> DWORD {
    DWORD result = 0;
    if (!tavrin_cd::TrackOfStream(handle, result)) return FailMinusOne(BASS_ERROR_HANDLE);
    return Ok(result);
  });
}

// Moving a stream to another track would change its length under bass.dll:
// not offered.
BOOL WINAPI BASS_CD_StreamSetTrack(HSTREAM handle, DWORD) {
  DWORD result = 0;
  if (!tavrin_cd::TrackOfStream(handle, result)) return Fail(BASS_ERROR_HANDLE);
  return Fail(BASS_ERROR_NOTAVAIL);
}

BOOL WINAPI BASS_CD_Analog_Play(DWORD drive, DWORD, DWORD) {
  if (!DriveAt(drive)) return Fail(BASS_ERROR_DEVICE);
  return Fail(BASS_ERROR_NOTAVAIL);
}

DWORD WINAPI BASS_CD_Analog_PlayFile(const void* file, DWORD) {
  if (file == nullptr) return FailMinusOne(BASS_ERROR_ILLPARAM);
  return FailMinusOne(BASS_ERROR_NOTAVAIL);
}

BOOL WINAPI BASS_CD_Analog_Stop(DWORD drive) {
  if (!DriveAt(drive)) return Fail(BASS_ERROR_DEVICE);
  return Fail(BASS_ERROR_NOTAVAIL);
}

DWORD WINAPI BASS_CD_Analog_IsActive(DWORD drive) {
  if (!DriveAt(drive)) return Fail(BASS_ERROR_DEVICE);
  return Ok(DWORD{BASS_ACTIVE_STOPPED});
}

DWORD WINAPI BASS_CD_Analog_GetPosition(DWORD drive) {
  if (!DriveAt(drive)) return FailMinusOne(BASS_ERROR_DEVICE);
  return FailMinusOne(BASS_ERROR_NOTAVAIL);
}
