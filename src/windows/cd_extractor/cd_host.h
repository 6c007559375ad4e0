// What the CD extractor needs from outside itself. The main window answers
// it: the player's CD side and its encoder, the CD add-on's drive calls, the
// options window's "Encoding" page, the main menu's check mark and the main
// window's single-key shortcuts. The window only points to its host; whoever
// made the host frees it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TCDDriveLine {
  std::wstring Text;   // "X: description"
  int32_t Number = 0;  // the BASS drive number
};

struct TCDTrackLine {
  std::wstring Title;   // empty when the disc's CD-Text has none
  std::wstring Artist;  // empty when the disc's CD-Text has none
  int32_t Duration = -1;  // whole seconds; -1 unknown
};

// The options window's "Encoding" page, read once when a rip starts.
struct TCDEncodeSettings {
  uint8_t Format = 0;   // 0 WAV, 1 WMA, 2 MP3, 3 Ogg Vorbis
  std::wstring Options;  // lame's or oggenc's options, or the WMA bit rate
  std::wstring Folder;
};

class TCDHost {
 public:
  virtual ~TCDHost() = default;

  // The player's CD and encoder add-ons are loaded.
  virtual bool CDReady() = 0;
  virtual bool EncoderReady() = 0;
  // While set, the player refuses to open CD tracks (it would free the
  // extractor's stream of the same drive).
  virtual void SetCDBusy(bool Busy) = 0;
  virtual std::vector<TCDDriveLine> CDDrives() = 0;
  // The disc's tracks in Drive; empty without a disc.
  virtual std::vector<TCDTrackLine> CDTracks(int32_t Drive) = 0;

  virtual bool DriveReady(int32_t Drive) = 0;
  virtual void LockDoor(int32_t Drive, bool Lock) = 0;
  // A decoding stream of Track (from 0) of its own, which leaves every other
  // stream of the drive (the player's) alone; 0 when none could be made.
  virtual uint32_t OpenTrackStream(int32_t Drive, int32_t Track) = 0;
  // Whether the stream has given all its data (or is gone).
  virtual bool StreamEnded(uint32_t Stream) = 0;
  virtual void FreeTrackStream(uint32_t Stream) = 0;
  // The player's encoder: Stream into OutFile; Progress runs after every
  // block and lets the waiting messages through.
  virtual void EncodeChannel(uint32_t Stream, const std::wstring& OutFile, const std::wstring& Options,
                             bool& Cancel, const std::function<void(int32_t Percent)>& Progress,
                             uint8_t Format) = 0;
  // Another window's conversion runs through the player's encoder.
  virtual bool EncoderBusy() { return false; }
  // The player's error box: Text with the current BASS error.
  virtual void ShowError(const std::wstring& Text) = 0;

  virtual TCDEncodeSettings EncodeSettings() = 0;
  // The options window shown on its "Encoding" page.
  virtual void ShowEncodingOptions() = 0;

  // The window closed: the main menu's item loses its check mark.
  virtual void CDExtractorClosed() = 0;
  // The main window's single-key shortcuts, off while the window is active.
  virtual void DisableShortcuts() = 0;
  virtual void EnableShortcuts() = 0;
  // The face every window takes when the options override fonts; empty when
  // they do not.
  virtual std::string OverrideFontName() = 0;
};
