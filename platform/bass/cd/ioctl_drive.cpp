// A real CD drive through DeviceIoControl on \\.\X: — the table of contents,
// CD-Text, raw reads of audio sectors, the door and the ready test. The device
// is opened for each request, so a drive never stays held by the program.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <winioctl.h>
#include <ntddcdrm.h>
#include <ntddstor.h>

#include <map>

#include "bass/bass_api.h"
#include "bass/cd/cd_drive.h"
#include "bass/cd/cd_text.h"

namespace tavrin_cd {

namespace {

constexpr DWORD kSectorsPerRead = 20;  // raw reads stay well below the 64 KB that drivers accept

class Device {
 public:
  explicit Device(char letter) {
    char path[] = {'\\', '\\', '.', '\\', letter, ':', 0};
    FHandle = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  }
  ~Device() {
    if (Valid()) CloseHandle(FHandle);
  }
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;
  bool Valid() const { return FHandle != INVALID_HANDLE_VALUE; }
  bool Control(DWORD code, void* in, DWORD inBytes, void* out, DWORD outBytes, DWORD* got = nullptr) const {
    DWORD bytes = 0;
    BOOL ok = Valid() && DeviceIoControl(FHandle, code, in, inBytes, out, outBytes, &bytes, nullptr);
    if (got) *got = bytes;
    return ok != FALSE;
  }

 private:
  HANDLE FHandle;
};

uint32_t AddressToSector(const UCHAR address[4]) {
  uint32_t frames = (address[1] * 60u + address[2]) * 75u + address[3];
  return frames >= 150 ? frames - 150 : 0;
}

struct Toc {
  uint8_t First = 0;
  std::vector<uint32_t> Starts;  // first sector of each track, then the lead-out
  std::vector<bool> Audio;
};

bool ReadToc(const Device& device, Toc& toc) {
  CDROM_TOC raw{};
  DWORD got = 0;
  if (!device.Control(IOCTL_CDROM_READ_TOC, nullptr, 0, &raw, sizeof raw, &got) || got < 4) return false;
  if (raw.LastTrack < raw.FirstTrack || raw.LastTrack > 99) return false;
  int count = raw.LastTrack - raw.FirstTrack + 1;
  if (count + 1 > MAXIMUM_NUMBER_TRACKS) return false;
  toc.First = raw.FirstTrack;
  for (int i = 0; i <= count; ++i) {
    toc.Starts.push_back(AddressToSector(raw.TrackData[i].Address));
    if (i < count) toc.Audio.push_back((raw.TrackData[i].Control & 4) == 0);
  }
  return true;
}

class IoctlDrive : public CdDrive {
 public:
  explicit IoctlDrive(char letter) : CdDrive(letter) {}

  std::string Description() override {
    Device device(Letter());
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    std::vector<unsigned char> buffer(1024);
    DWORD got = 0;
    if (!device.Control(IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, buffer.data(),
                        static_cast<DWORD>(buffer.size()), &got) ||
        got < sizeof(STORAGE_DEVICE_DESCRIPTOR)) {
      return "CD-ROM";
    }
    auto* descriptor = reinterpret_cast<STORAGE_DEVICE_DESCRIPTOR*>(buffer.data());
    std::string text;
    for (DWORD offset : {descriptor->VendorIdOffset, descriptor->ProductIdOffset, descriptor->ProductRevisionOffset}) {
      if (offset == 0 || offset >= got) continue;
      std::string part(reinterpret_cast<const char*>(buffer.data() + offset), strnlen(reinterpret_cast<const char*>(buffer.data() + offset), got - offset));
      while (!part.empty() && part.back() == ' ') part.pop_back();
      while (!part.empty() && part.front() == ' ') part.erase(0, 1);
      if (part.empty()) continue;
      if (!text.empty()) text += ' ';
      text += part;
    }
    return text.empty() ? "CD-ROM" : text;
  }

  int ReadTracks(std::vector<CdTrack>& tracks) override {
    tracks.clear();
    Device device(Letter());
    if (!device.Control(IOCTL_STORAGE_CHECK_VERIFY, nullptr, 0, nullptr, 0)) return BASS_ERROR_NOCD;
    Toc toc;
    if (!ReadToc(device, toc)) return BASS_ERROR_NOCD;
    for (size_t i = 0; i + 1 < toc.Starts.size(); ++i) {
      CdTrack track;
      track.Audio = toc.Audio[i];
      uint32_t sectors = toc.Starts[i + 1] > toc.Starts[i] ? toc.Starts[i + 1] - toc.Starts[i] : 0;
      track.Frames = static_cast<uint64_t>(sectors) * kFramesPerSector;
      tracks.push_back(track);
    }
    return BASS_OK;
  }

  std::vector<std::string> CdText() override {
    Device device(Letter());
    CDROM_READ_TOC_EX request{};
    request.Format = CDROM_READ_TOC_EX_FORMAT_CDTEXT;
    std::vector<unsigned char> buffer(65536);
    DWORD got = 0;
    if (!device.Control(IOCTL_CDROM_READ_TOC_EX, &request, sizeof request, buffer.data(),
                        static_cast<DWORD>(buffer.size()), &got) ||
        got < 4) {
      return {};
    }
    return ParseCdTextPacks(buffer.data(), got);
  }

  int64_t ReadAudio(uint32_t track, uint64_t frame, int16_t* out, uint32_t frames) override {
    Device device(Letter());
    Toc toc;
    if (!ReadToc(device, toc) || track + 1 >= toc.Starts.size()) return -1;
    uint64_t trackFrames = static_cast<uint64_t>(toc.Starts[track + 1] - toc.Starts[track]) * kFramesPerSector;
    if (frame >= trackFrames) return 0;
    frames = static_cast<uint32_t>(std::min<uint64_t>(frames, trackFrames - frame));
    uint32_t sector = toc.Starts[track] + static_cast<uint32_t>(frame / kFramesPerSector);
    uint32_t skip = static_cast<uint32_t>(frame % kFramesPerSector);
    std::vector<int16_t> raw(kSectorsPerRead * kFramesPerSector * 2);
    uint32_t done = 0;
    while (done < frames) {
      RAW_READ_INFO info{};
      info.DiskOffset.QuadPart = static_cast<LONGLONG>(sector) * 2048;
      info.SectorCount = kSectorsPerRead;
      info.TrackMode = CDDA;
      uint32_t lastSector = toc.Starts[track + 1];
      if (sector + info.SectorCount > lastSector) info.SectorCount = lastSector - sector;
      if (info.SectorCount == 0) break;
      DWORD got = 0;
      if (!device.Control(IOCTL_CDROM_RAW_READ, &info, sizeof info, raw.data(),
                          static_cast<DWORD>(raw.size() * sizeof(int16_t)), &got)) {
        return done > 0 ? done : -1;
      }
      uint32_t available = got / kBytesPerFrame;
      if (available <= skip) break;
      uint32_t take = std::min(available - skip, frames - done);
      memcpy(out + done * 2, raw.data() + skip * 2, take * kBytesPerFrame);
      done += take;
      skip = 0;
      sector += info.SectorCount;
    }
    return done;
  }

  int Door(uint32_t action) override {
    Device device(Letter());
    if (!device.Valid()) return BASS_ERROR_DEVICE;
    bool ok = false;
    switch (action) {
      case BASS_CD_DOOR_CLOSE: ok = device.Control(IOCTL_STORAGE_LOAD_MEDIA, nullptr, 0, nullptr, 0); break;
      case BASS_CD_DOOR_OPEN: ok = device.Control(IOCTL_STORAGE_EJECT_MEDIA, nullptr, 0, nullptr, 0); break;
      case BASS_CD_DOOR_LOCK:
      case BASS_CD_DOOR_UNLOCK: {
        PREVENT_MEDIA_REMOVAL prevent{};
        prevent.PreventMediaRemoval = action == BASS_CD_DOOR_LOCK;
        ok = device.Control(IOCTL_STORAGE_MEDIA_REMOVAL, &prevent, sizeof prevent, nullptr, 0);
        if (ok) FLocked = action == BASS_CD_DOOR_LOCK;
        break;
      }
      default: return BASS_ERROR_ILLPARAM;
    }
    return ok ? BASS_OK : BASS_ERROR_NOTAVAIL;
  }

  bool DoorIsOpen() override {
    // Windows tells no more than "no medium"; an empty closed drive reads as open.
    Device device(Letter());
    return device.Valid() && !device.Control(IOCTL_STORAGE_CHECK_VERIFY, nullptr, 0, nullptr, 0) &&
           GetLastError() != ERROR_NOT_READY;
  }

  bool ReadCapabilities(bool& cdText) override {
    cdText = true;
    return Device(Letter()).Valid();
  }

};

}  // namespace

std::shared_ptr<CdDrive> MakeIoctlDrive(char letter) { return std::make_shared<IoctlDrive>(letter); }

}  // namespace tavrin_cd
