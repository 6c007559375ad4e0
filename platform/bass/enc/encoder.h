// One encoder of bassenc.dll: an encoder program started with its standard
// input as a pipe (or a callback taking the data), fed a WAV header and then
// every block its channel delivers.
//
// The channel's data reaches it through a DSP that bass.dll runs last (the
// lowest priority), so it sees the samples after every effect. Blocks queue
// for a writer thread; the queue is bounded, so an encoder slower than the
// decoding holds the fetching thread back instead of filling memory. While
// idle the writer checks that the channel still exists: when it was freed, the
// pipe is closed and the program left to finish.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "bass/bass_api.h"

namespace bass_enc {

class Encoder {
 public:
  // Fails with a BASS error code in error (the object is then unusable).
  Encoder(HENCODE handle, DWORD channel, const std::wstring* commandLine, DWORD flags,
          ENCODEPROC* proc, void* user, int& error);
  ~Encoder();
  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;

  DWORD Channel() const { return FChannel; }
  // BASS_ACTIVE_PLAYING or _PAUSED while it takes data, else _STOPPED.
  DWORD State();
  void SetPaused(bool paused);
  // The bytes queued for the writer, and the most that may wait before a
  // feed blocks.
  size_t Queued();
  static size_t QueueLimit();
  // Queues data as the channel's own; false when the encoder has ended.
  bool Write(const void* data, size_t length);
  // Closes the input and waits (bounded) for the program; false when it could
  // not take all the data or ended with a non-zero exit code.
  bool Stop();

 private:
  static void CALLBACK Tap(HDSP dsp, DWORD channel, void* buffer, DWORD length, void* user);
  static DWORD WINAPI ThreadEntry(void* self);
  bool StartProcess(const std::wstring& commandLine);
  std::vector<uint8_t> WavHeader(const BASS_CHANNELINFO& info) const;
  void Run();
  bool Deliver(const std::vector<uint8_t>& block);
  void FinishProcess();

  HENCODE FHandle;
  DWORD FChannel;
  ENCODEPROC* FProc;
  void* FUser;
  HDSP FDsp = 0;
  HANDLE FPipe = nullptr;
  HANDLE FProcess = nullptr;
  HANDLE FThread = nullptr;

  std::mutex FMutex;
  std::condition_variable FChanged;
  std::deque<std::vector<uint8_t>> FQueue;
  size_t FQueued = 0;
  bool FPaused = false;
  bool FClosing = false;
  bool FEnded = false;
  bool FFailed = false;
};

}  // namespace bass_enc
