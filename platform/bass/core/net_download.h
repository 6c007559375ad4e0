// An internet source being downloaded on a thread of its own: the body of the
// reply (chunked transfer decoded, ICY metadata taken out) kept for the
// decoder, which reads it without waiting once it plays. A reply with a length
// is a file, kept whole so that it can be sought once complete; any other is a
// block stream, of which only a window around the reading point is kept and
// whose download pauses while that window is full.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bass/core/net_request.h"

namespace bass_core {

struct NetDownloadOptions {
  NetOptions net;
  uint32_t bufferMs = 5000;  // the network buffer, BASS_CONFIG_NET_BUFFER
  // Each block as it arrives, then (nullptr, 0) when the download ends.
  std::function<void(const void*, uint32_t)> onData;
};

class NetDownload : public std::enable_shared_from_this<NetDownload> {
 public:
  static constexpr uint64_t kUnknown = ~uint64_t{0};
  // A file larger than this is refused rather than kept in memory.
  static constexpr uint64_t kMaxFileBytes = uint64_t{1} << 30;

  // Opens the URL, starts the download and waits for the pre-buffer: about
  // three quarters of the network buffer, or the whole file when smaller. A
  // BASS error code.
  static int Start(const std::string& url, const NetDownloadOptions& options, std::shared_ptr<NetDownload>& out);
  ~NetDownload();

  bool Block() const { return FBlock; }
  // File: its length, or what came of it once the download ended early.
  // Block stream: the size of the buffer.
  uint64_t Total();
  uint64_t Downloaded();
  // Nothing more will arrive: the whole body came, the server closed or
  // stopped sending, or Stop was called.
  bool Ended();
  uint32_t TimeoutMs() const { return FOptions.net.timeoutMs; }
  // Copies what has arrived of [offset, offset + count); never waits.
  size_t ReadAt(uint64_t offset, void* buffer, size_t count);
  // The same without counting as read: a look ahead that must not move a
  // block stream's window.
  size_t PeekAt(uint64_t offset, void* buffer, size_t count);
  // For opening: a read that goes on from the edge of what came waits for
  // the rest until the download ends or the deadline passes (timedOut).
  size_t ReadWaiting(uint64_t offset, void* buffer, size_t count, std::chrono::steady_clock::time_point deadline,
                     bool& timedOut);
  // The decoder cannot go on before the download reaches end: a block
  // stream's download does not pause short of it, however full its window.
  void Want(uint64_t end);
  // Kinds BASS_TAG_HTTP, BASS_TAG_ICY and BASS_TAG_META (the text that came
  // due last); nullptr when absent.
  const std::string* Tags(uint32_t kind);
  // The decoder has read up to position: the metadata texts that arrived
  // before that point of the audio come due, in order, and go to onMeta on
  // the caller's thread.
  void Reach(uint64_t position);
  // A text for onMeta at once, on the caller's thread (the comments of a new
  // link of a chained Ogg stream).
  void Announce(const std::string& text);

  // onMeta: each accepted metadata text as it comes due (see Reach).
  // onComplete: once at the end of a complete file, on the download thread
  // (at once when it already ended complete).
  void SetListener(std::function<void(const std::string&)> onMeta, std::function<void()> onComplete);
  // Ends the download and waits for its thread (unless called on it).
  void Stop();

 private:
  NetDownload() = default;
  void Run();
  bool ReadBody(char* buffer, size_t count, size_t& got);
  void Demux(const char* data, size_t count);
  void Append(const char* data, size_t count);
  void AcceptMeta(const std::string& block);
  void MarkEnded();  // under FMutex
  void Finish();
  size_t Copy(uint64_t offset, void* buffer, size_t count);  // under FMutex

  NetReply FReply;
  NetDownloadOptions FOptions;
  bool FBlock = false;
  uint64_t FLength = 0;
  uint64_t FCapacity = 0;
  std::string FHttpTags, FIcyTags;

  std::mutex FMutex;
  std::condition_variable FChanged;
  std::deque<std::vector<char>> FChunks;
  uint64_t FBase = 0;        // offset of the first byte kept
  uint64_t FDownloaded = 0;  // audio bytes received
  uint64_t FConsumed = 0;    // furthest byte read
  uint64_t FWanted = 0;      // see Want
  bool FEnded = false, FComplete = false, FStopping = false, FNotified = false;
  std::deque<std::string> FMeta;  // recent due texts: pointers handed out stay valid a while
  std::deque<std::pair<uint64_t, std::string>> FArrived;  // texts not yet due, by audio offset
  std::function<void(const std::string&)> FOnMeta;
  std::function<void()> FOnComplete;

  // Download thread only.
  uint64_t FChunkLeft = 0;  // chunked transfer: bytes left in the chunk
  bool FLastChunk = false;
  uint32_t FUntilMeta = 0;
  std::string FMetaBlock;
  size_t FMetaLeft = 0;
  bool FInMeta = false;
  uint64_t FBodyLeft = 0;
  uint64_t FSkip = 0;  // audio bytes before the offset asked for, dropped

  std::thread FThread;
};

}  // namespace bass_core
