#include "bass/core/net_download.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "bass/bass_api.h"

namespace bass_core {

namespace {

constexpr size_t kChunkBytes = 1 << 16;
// A block stream keeps this much behind the reading point, for a decoder
// that steps back a little to find its next frame.
constexpr uint64_t kKeepBehind = 1 << 17;
constexpr uint64_t kMinCapacity = 1 << 13, kMaxCapacity = 1 << 23;
constexpr size_t kMetaTextsKept = 8;
constexpr size_t kMaxArrived = 256;

std::string JoinTags(const std::vector<std::string>& lines) {
  std::string block;
  for (const std::string& line : lines) {
    if (line.empty()) continue;
    block += line;
    block.push_back('\0');
  }
  if (!block.empty()) block.push_back('\0');
  return block;
}

bool StartsWithNoCase(const std::string& s, const char* prefix) {
  for (size_t i = 0; prefix[i]; ++i)
    if (i >= s.size() || std::tolower(static_cast<unsigned char>(s[i])) != prefix[i]) return false;
  return true;
}

}  // namespace

int NetDownload::Start(const std::string& text, const NetDownloadOptions& options, std::shared_ptr<NetDownload>& out) {
  NetUrl url;
  if (!ParseNetUrl(text, url)) return BASS_ERROR_FILEOPEN;
  std::shared_ptr<NetDownload> d(new NetDownload);
  d->FOptions = options;
  if (int error = OpenNetSource(url, options.net, d->FReply)) return error;
  const NetReply& reply = d->FReply;
  d->FBlock = !reply.hasLength || reply.metaInterval > 0;
  if (!d->FBlock) {
    if (reply.length > kMaxFileBytes) return BASS_ERROR_MEM;
    if (reply.length == 0) return BASS_ERROR_FILEFORM;
    // The offset asked for lies beyond the end of the whole file sent.
    if (reply.length <= reply.skip) return BASS_ERROR_FILEOPEN;
    d->FBodyLeft = reply.length;
    d->FLength = reply.length - reply.skip;
  }
  d->FSkip = reply.skip;
  std::string value;
  uint64_t kbps = 128;
  if (FindHeader(reply.lines, "icy-br", value)) {
    uint64_t given = std::strtoull(value.c_str(), nullptr, 10);
    if (given >= 8 && given <= 640) kbps = given;
  }
  d->FCapacity = std::clamp<uint64_t>(uint64_t{options.bufferMs} * kbps / 8, kMinCapacity, kMaxCapacity);
  const uint64_t prebuffer = d->FBlock ? d->FCapacity * 3 / 4 : std::min(d->FCapacity * 3 / 4, d->FLength);

  std::vector<std::string> icy;
  for (size_t i = 0; i < reply.lines.size(); ++i)
    if (reply.icy || (i > 0 && StartsWithNoCase(reply.lines[i], "icy-"))) icy.push_back(reply.lines[i]);
  if (!reply.icy && url.scheme == "http") d->FHttpTags = JoinTags(reply.lines);
  d->FIcyTags = JoinTags(icy);
  d->FUntilMeta = reply.metaInterval;

  d->FThread = std::thread([d] { d->Run(); });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(options.net.timeoutMs);
  std::unique_lock lock(d->FMutex);
  d->FChanged.wait_until(lock, deadline, [&] { return d->FDownloaded >= prebuffer || d->FEnded; });
  const bool nothing = d->FDownloaded == 0;
  const bool timedOut = !d->FEnded;
  lock.unlock();
  if (nothing) {
    d->Stop();
    return timedOut || d->FReply.connection->TimedOut() ? BASS_ERROR_TIMEOUT : BASS_ERROR_FILEOPEN;
  }
  out = std::move(d);
  return BASS_OK;
}

NetDownload::~NetDownload() {
  if (FThread.joinable()) {
    if (FThread.get_id() == std::this_thread::get_id()) FThread.detach();
    else FThread.join();
  }
}

void NetDownload::Stop() {
  {
    std::lock_guard lock(FMutex);
    FStopping = true;
    FOnMeta = nullptr;
    FOnComplete = nullptr;
  }
  FChanged.notify_all();
  if (FReply.connection) FReply.connection->Abort();
  if (FThread.joinable()) {
    if (FThread.get_id() == std::this_thread::get_id()) FThread.detach();
    else FThread.join();
  }
}

uint64_t NetDownload::Total() {
  std::lock_guard lock(FMutex);
  return FBlock ? FCapacity : FLength;
}

uint64_t NetDownload::Downloaded() {
  std::lock_guard lock(FMutex);
  return FDownloaded;
}

bool NetDownload::Ended() {
  std::lock_guard lock(FMutex);
  return FEnded;
}

size_t NetDownload::ReadAt(uint64_t offset, void* buffer, size_t count) {
  std::lock_guard lock(FMutex);
  const size_t done = Copy(offset, buffer, count);
  if (done > 0 && offset + done > FConsumed) {
    FConsumed = offset + done;
    FChanged.notify_all();
  }
  return done;
}

size_t NetDownload::PeekAt(uint64_t offset, void* buffer, size_t count) {
  std::lock_guard lock(FMutex);
  return Copy(offset, buffer, count);
}

size_t NetDownload::ReadWaiting(uint64_t offset, void* buffer, size_t count,
                                std::chrono::steady_clock::time_point deadline, bool& timedOut) {
  auto* out = static_cast<char*>(buffer);
  size_t done = ReadAt(offset, out, count);
  while (done < count) {
    const uint64_t at = offset + done;
    {
      std::unique_lock lock(FMutex);
      // Only a read going on from the edge waits: one behind it finds its
      // bytes dropped, one beyond it (a look at the end of a file of
      // unknown size) might wait for bytes that never come.
      if (at != FDownloaded) break;
      if (!FChanged.wait_until(lock, deadline, [&] { return FEnded || FStopping || FDownloaded > at; })) {
        timedOut = true;
        break;
      }
      if (FDownloaded == at) break;
    }
    const size_t n = ReadAt(at, out + done, count - done);
    if (n == 0) break;
    done += n;
  }
  return done;
}

void NetDownload::Want(uint64_t end) {
  {
    std::lock_guard lock(FMutex);
    if (end <= FWanted) return;
    FWanted = end;
  }
  FChanged.notify_all();
}

size_t NetDownload::Copy(uint64_t offset, void* buffer, size_t count) {
  if (offset < FBase || offset >= FDownloaded) return 0;
  auto* out = static_cast<char*>(buffer);
  size_t done = 0;
  uint64_t chunkStart = FBase;
  for (const std::vector<char>& chunk : FChunks) {
    const uint64_t at = offset + done;
    if (done == count) break;
    if (at < chunkStart + chunk.size()) {
      const size_t from = static_cast<size_t>(at - chunkStart);
      const size_t n = std::min(count - done, chunk.size() - from);
      std::memcpy(out + done, chunk.data() + from, n);
      done += n;
    }
    chunkStart += chunk.size();
  }
  return done;
}

const std::string* NetDownload::Tags(uint32_t kind) {
  std::lock_guard lock(FMutex);
  if (kind == BASS_TAG_HTTP) return FHttpTags.empty() ? nullptr : &FHttpTags;
  if (kind == BASS_TAG_ICY) return FIcyTags.empty() ? nullptr : &FIcyTags;
  if (kind == BASS_TAG_META) return FMeta.empty() ? nullptr : &FMeta.back();
  return nullptr;
}

void NetDownload::SetListener(std::function<void(const std::string&)> onMeta, std::function<void()> onComplete) {
  std::function<void()> now;
  {
    std::lock_guard lock(FMutex);
    if (FStopping) return;
    FOnMeta = std::move(onMeta);
    FOnComplete = std::move(onComplete);
    if (FComplete && !FNotified) {
      FNotified = true;
      now = FOnComplete;
    }
  }
  if (now) now();
}

void NetDownload::Run() {
  std::vector<char> buffer(16384);
  size_t got = 0;
  while (ReadBody(buffer.data(), buffer.size(), got)) {
    Demux(buffer.data(), got);
    std::lock_guard lock(FMutex);
    if (FStopping) break;
  }
  Finish();
}

bool NetDownload::ReadBody(char* buffer, size_t count, size_t& got) {
  NetConnection& c = *FReply.connection;
  const uint32_t timeout = FOptions.net.timeoutMs;
  if (!FBlock) {
    if (FBodyLeft == 0) return false;
    count = static_cast<size_t>(std::min<uint64_t>(count, FBodyLeft));
  }
  if (FReply.chunked) {
    if (FLastChunk) return false;
    if (FChunkLeft == 0) {
      std::string line;
      // The CR LF that ends the previous chunk comes first, then the size.
      for (int i = 0; i < 2 && line.empty(); ++i)
        if (!c.ReceiveLine(line, 64, timeout)) return false;
      size_t digits = 0;
      uint64_t size = 0;
      for (; digits < line.size() && std::isxdigit(static_cast<unsigned char>(line[digits])); ++digits) {
        if (digits == 8) return false;
        size = size * 16 + static_cast<uint64_t>(std::stoi(line.substr(digits, 1), nullptr, 16));
      }
      if (digits == 0) return false;
      if (size == 0) {
        FLastChunk = true;
        return false;
      }
      FChunkLeft = size;
    }
    count = static_cast<size_t>(std::min<uint64_t>(count, FChunkLeft));
  }
  int n = c.Receive(buffer, count, timeout);
  if (n <= 0) return false;
  got = static_cast<size_t>(n);
  if (FReply.chunked) FChunkLeft -= got;
  if (!FBlock) FBodyLeft -= got;
  return true;
}

void NetDownload::Demux(const char* data, size_t count) {
  const uint32_t interval = FReply.metaInterval;
  if (interval == 0) {
    Append(data, count);
    return;
  }
  size_t i = 0;
  while (i < count) {
    if (FInMeta) {
      const size_t n = std::min(FMetaLeft, count - i);
      FMetaBlock.append(data + i, n);
      i += n;
      FMetaLeft -= n;
      if (FMetaLeft == 0) {
        FInMeta = false;
        FUntilMeta = interval;
        AcceptMeta(FMetaBlock);
      }
    } else if (FUntilMeta == 0) {
      // The length byte counts 16-byte units, so a lying one costs at most
      // 4080 bytes of audio, never a read past the block.
      FMetaLeft = static_cast<uint8_t>(data[i++]) * size_t{16};
      FMetaBlock.clear();
      if (FMetaLeft == 0) FUntilMeta = interval;
      else FInMeta = true;
    } else {
      const size_t n = std::min<size_t>(FUntilMeta, count - i);
      Append(data + i, n);
      i += n;
      FUntilMeta -= static_cast<uint32_t>(n);
    }
    std::lock_guard lock(FMutex);
    if (FStopping) return;
  }
}

void NetDownload::Append(const char* data, size_t count) {
  if (FSkip > 0) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(FSkip, count));
    FSkip -= n;
    data += n;
    count -= n;
    if (count == 0) return;
  }
  {
    std::unique_lock lock(FMutex);
    // A block stream waits for the listener to catch up instead of piling up.
    while (FBlock && !FStopping && FDownloaded - FConsumed >= FCapacity && FDownloaded >= FWanted)
      FChanged.wait_for(lock, std::chrono::milliseconds(100));
    if (FStopping) return;
    for (size_t done = 0; done < count;) {
      if (FChunks.empty() || FChunks.back().size() == kChunkBytes) {
        FChunks.emplace_back();
        FChunks.back().reserve(kChunkBytes);
      }
      std::vector<char>& last = FChunks.back();
      const size_t n = std::min(count - done, kChunkBytes - last.size());
      last.insert(last.end(), data + done, data + done + n);
      done += n;
    }
    FDownloaded += count;
    // The last byte of a file ends it at once: between the wake-up here and
    // Finish, an opener would find the whole file but not its end, and take
    // it for one still growing.
    if (!FBlock && FDownloaded == FLength) MarkEnded();
    while (FBlock && FChunks.size() > 1 && FBase + FChunks.front().size() + kKeepBehind <= FConsumed) {
      FBase += FChunks.front().size();
      FChunks.pop_front();
    }
  }
  FChanged.notify_all();
  if (FOptions.onData) FOptions.onData(data, static_cast<uint32_t>(count));
}

void NetDownload::AcceptMeta(const std::string& block) {
  std::string text = block.substr(0, block.find('\0'));
  // Metadata is text: a block with control bytes came from a stream whose
  // interval or length byte lied, and is dropped.
  if (text.empty() || block.find_first_not_of('\0', text.size()) != std::string::npos) return;
  for (unsigned char c : text)
    if (c < 0x20) return;
  std::lock_guard lock(FMutex);
  // The buffer holds at most a few dozen intervals; a stream sending titles
  // far more often loses the oldest.
  if (FArrived.size() >= kMaxArrived) FArrived.pop_front();
  FArrived.emplace_back(FDownloaded, std::move(text));
}

void NetDownload::Reach(uint64_t position) {
  std::vector<std::string> due;
  std::function<void(const std::string&)> notify;
  {
    std::lock_guard lock(FMutex);
    while (!FArrived.empty() && FArrived.front().first <= position) {
      due.push_back(FArrived.front().second);
      FMeta.push_back(FArrived.front().second + std::string(2, '\0'));
      if (FMeta.size() > kMetaTextsKept) FMeta.pop_front();
      FArrived.pop_front();
    }
    notify = FOnMeta;
  }
  if (notify)
    for (const std::string& text : due) notify(text);
}

void NetDownload::Announce(const std::string& text) {
  std::function<void(const std::string&)> notify;
  {
    std::lock_guard lock(FMutex);
    notify = FOnMeta;
  }
  if (notify) notify(text);
}

void NetDownload::MarkEnded() {
  FEnded = true;
  FComplete = !FBlock && FDownloaded == FLength;
  // A file cut short is the file of what came: its length follows.
  if (!FBlock) FLength = FDownloaded;
}

void NetDownload::Finish() {
  std::function<void()> notify;
  bool stopping;
  {
    std::lock_guard lock(FMutex);
    stopping = FStopping;
    MarkEnded();
    if (FComplete && FOnComplete && !FNotified) {
      FNotified = true;
      notify = FOnComplete;
    }
  }
  FChanged.notify_all();
  if (notify) notify();
  // After Stop the stream is gone: its caller's procedure is not called again.
  if (FOptions.onData && !stopping) FOptions.onData(nullptr, 0);
}

}  // namespace bass_core
