// A fake disc for tests: a folder whose "disc.ini" describes the disc.
//   [Disc]
//   Description=Tavrin Fake CD    ; optional; the drive's description
//   Tracks=3                      ; no disc.ini, or Tracks=0: no disc in the drive
//   [Track1]
//   File=one.wav                  ; audio: 44100 Hz stereo 16-bit PCM WAV in the folder
//   [Track2]
//   Data=1                        ; a data track
//   [CDText]                      ; optional: the disc's CD-Text, one KEY=value a line
//   TITLE0=Album
//   PERFORMER1=Someone
//   TITLE1=First song
// An audio track whose file is missing or not in that format has no known
// length and cannot be played. The door and its lock live in memory; an open
// door hides the disc.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include <mutex>

#include "bass/bass_api.h"
#include "bass/cd/cd_drive.h"

namespace tavrin_cd {

namespace {

struct WavData {
  uint64_t Offset = 0;
  uint64_t Frames = 0;
};

bool ReadExact(HANDLE file, uint64_t offset, void* buffer, DWORD bytes) {
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(offset);
  DWORD got = 0;
  return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && ReadFile(file, buffer, bytes, &got, nullptr) &&
         got == bytes;
}

uint32_t Le32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// Walks the chunks of a RIFF WAVE file for CD-format PCM data.
bool ParseCdWav(HANDLE file, WavData& wav) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file, &size)) return false;
  uint64_t fileSize = static_cast<uint64_t>(size.QuadPart);
  unsigned char header[12];
  if (!ReadExact(file, 0, header, 12) || memcmp(header, "RIFF", 4) != 0 || memcmp(header + 8, "WAVE", 4) != 0) {
    return false;
  }
  bool format = false;
  uint64_t at = 12;
  while (at + 8 <= fileSize) {
    unsigned char chunk[8];
    if (!ReadExact(file, at, chunk, 8)) return false;
    uint64_t length = Le32(chunk + 4);
    if (memcmp(chunk, "fmt ", 4) == 0) {
      unsigned char fmt[16];
      if (length < 16 || !ReadExact(file, at + 8, fmt, 16)) return false;
      format = Le16(fmt) == 1 && Le16(fmt + 2) == 2 && Le32(fmt + 4) == 44100 && Le16(fmt + 14) == 16;
      if (!format) return false;
    } else if (memcmp(chunk, "data", 4) == 0) {
      if (!format) return false;
      uint64_t available = fileSize - (at + 8);
      wav.Offset = at + 8;
      wav.Frames = std::min(length, available) / kBytesPerFrame;
      return true;
    }
    at += 8 + length + (length & 1);
  }
  return false;
}

class FakeDrive : public CdDrive {
 public:
  FakeDrive(char letter, std::wstring folder) : CdDrive(letter), FFolder(std::move(folder)) {
    if (!FFolder.empty() && FFolder.back() != L'\\') FFolder += L'\\';
  }

  std::string Description() override {
    char text[128] = {};
    GetPrivateProfileStringA("Disc", "Description", "Tavrin Fake CD", text, sizeof text, IniA().c_str());
    return text;
  }

  int ReadTracks(std::vector<CdTrack>& tracks) override {
    tracks.clear();
    std::lock_guard<std::mutex> guard(FLock);
    if (FDoorOpen || GetFileAttributesW(Ini().c_str()) == INVALID_FILE_ATTRIBUTES) return BASS_ERROR_NOCD;
    UINT count = GetPrivateProfileIntW(L"Disc", L"Tracks", 0, Ini().c_str());
    if (count == 0 || count > 99) return BASS_ERROR_NOCD;
    for (UINT i = 1; i <= count; ++i) {
      CdTrack track;
      std::wstring section = L"Track" + std::to_wstring(i);
      if (GetPrivateProfileIntW(section.c_str(), L"Data", 0, Ini().c_str()) != 0) {
        track.Audio = false;
      } else {
        WavData wav;
        track.Frames = OpenTrack(i, wav) ? wav.Frames : UINT64_MAX;
      }
      tracks.push_back(track);
    }
    return BASS_OK;
  }

  std::vector<std::string> CdText() override {
    std::vector<std::string> lines;
    std::vector<char> buffer(32768);
    DWORD n = GetPrivateProfileSectionA("CDText", buffer.data(), static_cast<DWORD>(buffer.size()), IniA().c_str());
    for (DWORD i = 0; i < n;) {
      std::string line(buffer.data() + i);
      if (line.empty()) break;
      i += static_cast<DWORD>(line.size()) + 1;
      lines.push_back(std::move(line));
    }
    return lines;
  }

  int64_t ReadAudio(uint32_t track, uint64_t frame, int16_t* out, uint32_t frames) override {
    WavData wav;
    HANDLE file = OpenTrack(track + 1, wav);
    if (file == nullptr) return -1;
    int64_t result = 0;
    if (frame < wav.Frames) {
      uint64_t count = std::min<uint64_t>(frames, wav.Frames - frame);
      result = ReadExact(file, wav.Offset + frame * kBytesPerFrame, out, static_cast<DWORD>(count * kBytesPerFrame))
                   ? static_cast<int64_t>(count)
                   : -1;
    }
    CloseHandle(file);
    return result;
  }

  int Door(uint32_t action) override {
    std::lock_guard<std::mutex> guard(FLock);
    switch (action) {
      case BASS_CD_DOOR_CLOSE: FDoorOpen = false; return BASS_OK;
      case BASS_CD_DOOR_OPEN:
        if (FLocked) return BASS_ERROR_NOTAVAIL;
        FDoorOpen = true;
        return BASS_OK;
      case BASS_CD_DOOR_LOCK: FLocked = true; return BASS_OK;
      case BASS_CD_DOOR_UNLOCK: FLocked = false; return BASS_OK;
      default: return BASS_ERROR_ILLPARAM;
    }
  }

  bool DoorIsOpen() override { return FDoorOpen; }

  bool ReadCapabilities(bool& cdText) override {
    cdText = true;
    return true;
  }

 private:
  std::wstring Ini() const { return FFolder + L"disc.ini"; }
  std::string IniA() const {
    std::wstring wide = Ini();
    int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(n > 0 ? n : 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, text.data(), n, nullptr, nullptr);
    text.resize(text.size() - 1);
    return text;
  }

  // The track's WAV file opened and parsed; nullptr when it cannot be.
  HANDLE OpenTrack(uint32_t number, WavData& wav) const {
    std::wstring section = L"Track" + std::to_wstring(number);
    wchar_t name[MAX_PATH] = {};
    GetPrivateProfileStringW(section.c_str(), L"File", L"", name, MAX_PATH, Ini().c_str());
    if (name[0] == 0) return nullptr;
    HANDLE file = CreateFileW((FFolder + name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    if (!ParseCdWav(file, wav)) {
      CloseHandle(file);
      return nullptr;
    }
    return file;
  }

  std::wstring FFolder;
  std::mutex FLock;
  bool FDoorOpen = false;
};

}  // namespace

std::shared_ptr<CdDrive> MakeFakeDrive(char letter, const std::wstring& folder) {
  return std::make_shared<FakeDrive>(letter, folder);
}

}  // namespace tavrin_cd
