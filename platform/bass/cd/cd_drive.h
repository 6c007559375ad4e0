// One CD drive as basscd.dll sees it, whatever stands behind it: a real drive
// read through DeviceIoControl, or a fake disc described by a folder (tests).
// Every query reads the drive anew, so a changed disc is seen at once.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tavrin_cd {

// 44100 Hz, stereo, 16-bit: 2352 bytes = 588 frames per sector.
constexpr uint32_t kBytesPerFrame = 4;
constexpr uint32_t kFramesPerSector = 588;

struct CdTrack {
  bool Audio = true;
  uint64_t Frames = 0;  // length of the track in 44.1 kHz frames
};

class CdDrive {
 public:
  virtual ~CdDrive() = default;

  char Letter() const { return FLetter; }
  // The text BASS_CD_GetDriveDescription answers.
  virtual std::string Description() = 0;
  // A BASS_ERROR_ code: 0 with the disc's tracks filled, else BASS_ERROR_NOCD.
  virtual int ReadTracks(std::vector<CdTrack>& tracks) = 0;
  // CD-Text as "TITLEn=..." / "PERFORMERn=..." lines (n = 0 for the disc);
  // empty when the disc has none.
  virtual std::vector<std::string> CdText() = 0;
  // Reads up to frames frames of an audio track from frame on; the count read,
  // 0 at the end, -1 on a read error.
  virtual int64_t ReadAudio(uint32_t track, uint64_t frame, int16_t* out, uint32_t frames) = 0;
  // BASS_CD_DOOR_ actions; a BASS_ERROR_ code.
  virtual int Door(uint32_t action) = 0;
  virtual bool DoorIsOpen() = 0;
  bool DoorIsLocked() const { return FLocked; }
  virtual bool ReadCapabilities(bool& cdText) = 0;

 protected:
  explicit CdDrive(char letter) : FLetter(letter) {}
  bool FLocked = false;

 private:
  char FLetter;
};

// The drives, in letter order, made on first use and kept while the DLL
// lives. With TAVRIN_BASSCD_FAKE set ("X=C:\folder;Y=C:\other"), the fake
// discs named there are the only drives; otherwise every letter Windows
// reports as a CD-ROM drive.
const std::vector<std::shared_ptr<CdDrive>>& Drives();
std::shared_ptr<CdDrive> DriveAt(uint32_t drive);

std::shared_ptr<CdDrive> MakeFakeDrive(char letter, const std::wstring& folder);
std::shared_ptr<CdDrive> MakeIoctlDrive(char letter);

}  // namespace tavrin_cd
