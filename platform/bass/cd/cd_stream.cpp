#include "bass/cd/cd_stream.h"

#include <algorithm>

#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "bass/cd/cd_drive.h"
#include "bass/common/error_code.h"

namespace tavrin_cd {

using tavrin_bass::SetError;

namespace {

struct TrackDecoder {
  std::shared_ptr<CdDrive> Drive;
  DWORD DriveNumber = 0;
  DWORD Track = 0;
  uint64_t Frames = 0;
  uint64_t Position = 0;
  std::vector<int16_t> Samples;
};

std::mutex StreamsLock;
std::map<HSTREAM, std::pair<DWORD, DWORD>> LiveStreams;  // handle -> drive, track
std::map<DWORD, HSTREAM> LastStreamOfDrive;

template <typename Proc>
Proc BassProc(const char* name) {
  HMODULE bass = GetModuleHandleW(L"bass.dll");
  if (!bass) return nullptr;
  return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(bass, name)));
}

DWORD CALLBACK ReadFrames(void* user, float* buffer, DWORD frames) {
  try {
    auto& decoder = *static_cast<TrackDecoder*>(user);
    DWORD done = 0;
    while (done < frames) {
      DWORD want = std::min<DWORD>(frames - done, 8 * kFramesPerSector);
      decoder.Samples.resize(static_cast<size_t>(want) * 2);
      int64_t got = decoder.Drive->ReadAudio(decoder.Track, decoder.Position, decoder.Samples.data(), want);
      if (got <= 0) break;  // the end, or a disc that cannot be read: the stream ends
      for (int64_t i = 0; i < got * 2; ++i) buffer[done * 2 + i] = decoder.Samples[static_cast<size_t>(i)] / 32768.0f;
      done += static_cast<DWORD>(got);
      decoder.Position += static_cast<uint64_t>(got);
    }
    return done;
  } catch (...) {
    return 0;
  }
}

BOOL CALLBACK SeekFrame(void* user, QWORD frame) {
  auto& decoder = *static_cast<TrackDecoder*>(user);
  if (frame > decoder.Frames) return FALSE;
  decoder.Position = frame;
  return TRUE;
}

QWORD CALLBACK FilePosition(void* user) {
  return static_cast<TrackDecoder*>(user)->Position * kBytesPerFrame;
}

const char* CALLBACK NoTags(void*, DWORD, DWORD*) { return nullptr; }

void CALLBACK FreeDecoder(void* user) { delete static_cast<TrackDecoder*>(user); }

void FreeOldStream(DWORD drive) {
  auto getConfig = BassProc<decltype(&BASS_GetConfig)>("BASS_GetConfig");
  auto streamFree = BassProc<decltype(&BASS_StreamFree)>("BASS_StreamFree");
  if (!getConfig || !streamFree || getConfig(BASS_CONFIG_CD_FREEOLD) == 0) return;
  HSTREAM old = 0;
  {
    std::lock_guard<std::mutex> guard(StreamsLock);
    auto it = LastStreamOfDrive.find(drive);
    if (it == LastStreamOfDrive.end()) return;
    old = it->second;
    LastStreamOfDrive.erase(it);
  }
  streamFree(old);  // fails harmlessly when the owner freed it already
}

}  // namespace

HSTREAM CreateTrackStream(DWORD drive, DWORD track, DWORD flags) {
  std::shared_ptr<CdDrive> cd = DriveAt(drive);
  if (!cd) return tavrin_bass::Fail(BASS_ERROR_DEVICE);
  std::vector<CdTrack> tracks;
  if (int error = cd->ReadTracks(tracks)) return tavrin_bass::Fail(error);
  if (track >= tracks.size()) return tavrin_bass::Fail(BASS_ERROR_CDTRACK);
  if (!tracks[track].Audio) return tavrin_bass::Fail(BASS_ERROR_NOTAUDIO);
  if (tracks[track].Frames == UINT64_MAX) return tavrin_bass::Fail(BASS_ERROR_FILEOPEN);
  auto create = BassProc<decltype(&BASS_Internal_StreamCreateDecoder)>("BASS_Internal_StreamCreateDecoder");
  if (!create) return tavrin_bass::Fail(BASS_ERROR_INIT);
  FreeOldStream(drive);

  auto decoder = std::make_unique<TrackDecoder>();
  decoder->Drive = cd;
  decoder->DriveNumber = drive;
  decoder->Track = track;
  decoder->Frames = tracks[track].Frames;
  BASS_INTERNAL_DECODER record{};
  record.freq = 44100;
  record.chans = 2;
  record.origres = 16;
  record.ctype = BASS_CTYPE_STREAM_CD;
  record.length = decoder->Frames;
  record.filesize = decoder->Frames * kBytesPerFrame;
  record.read = ReadFrames;
  record.seek = SeekFrame;
  record.filepos = FilePosition;
  record.tags = NoTags;
  record.free = FreeDecoder;
  DWORD kept = BASS_SAMPLE_FLOAT | BASS_STREAM_DECODE | BASS_STREAM_AUTOFREE | BASS_SAMPLE_LOOP;
  HSTREAM handle = create(&record, decoder.release(), flags & kept);  // sets the error code
  if (handle != 0) {
    std::lock_guard<std::mutex> guard(StreamsLock);
    LiveStreams[handle] = {drive, track};
    LastStreamOfDrive[drive] = handle;
  }
  return handle;
}

bool TrackOfStream(HSTREAM handle, DWORD& result) {
  auto getInfo = BassProc<decltype(&BASS_ChannelGetInfo)>("BASS_ChannelGetInfo");
  BASS_CHANNELINFO info{};
  std::lock_guard<std::mutex> guard(StreamsLock);
  auto it = LiveStreams.find(handle);
  if (it == LiveStreams.end()) return false;
  if (!getInfo || !getInfo(handle, &info)) {  // freed meanwhile
    LiveStreams.erase(it);
    return false;
  }
  result = it->second.second | it->second.first << 16;
  return true;
}

}  // namespace tavrin_cd
