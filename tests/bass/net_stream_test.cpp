// Internet streams against a server inside the test process, on 127.0.0.1:
// files with a length, ICY radio with changing titles, and servers that fail
// in every way the client must survive.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "bass/core/net_request.h"
#include "bass_library.h"
#include "codec_fixtures.h"
#include "loopback_server.h"

namespace bass_test {
namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> TagStrings(const char* p) {
  std::vector<std::string> out;
  for (; p && *p; p += std::strlen(p) + 1) out.emplace_back(p);
  return out;
}

bool HasString(const std::vector<std::string>& list, const std::string& s) {
  return std::find(list.begin(), list.end(), s) != list.end();
}

std::string FileReply(const std::string& body) {
  return "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nContent-Type: audio/mpeg\r\nServer: LoopbackTest\r\n\r\n";
}

// A metadata block as a radio sends it: length byte, text padded to 16s.
std::string MetaBlock(const std::string& text) {
  std::string padded = text;
  padded.resize((text.size() + 15) / 16 * 16, '\0');
  return std::string(1, static_cast<char>(padded.size() / 16)) + padded;
}

struct SyncLog {
  std::mutex mutex;
  std::vector<std::string> titles;
  std::vector<std::vector<std::string>> lists;  // every string of each sync's data
  int downloads = 0;
  static void CALLBACK Meta(HSYNC, DWORD, DWORD data, void* user) {
    auto* log = static_cast<SyncLog*>(user);
    std::lock_guard lock(log->mutex);
    const char* text = reinterpret_cast<const char*>(static_cast<uintptr_t>(data));
    log->titles.emplace_back(text ? text : "<null>");
    log->lists.push_back(TagStrings(text));
  }
  static void CALLBACK Download(HSYNC, DWORD, DWORD, void* user) {
    auto* log = static_cast<SyncLog*>(user);
    std::lock_guard lock(log->mutex);
    ++log->downloads;
  }
  int Downloads() {
    std::lock_guard lock(mutex);
    return downloads;
  }
};

bool PollUntil(const std::function<bool()>& done, unsigned ms = 3000) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (Clock::now() > deadline) return false;
    Sleep(1);
  }
  return true;
}

// A server slower than the audio it sends: it may send as much of the body as
// is open, which the test opens further, or the server by itself, `step`
// bytes every few milliseconds up to `until`. Shared with the handler, which
// may outlive a test's case.
struct PacedReply {
  std::string head, body;
  bool stayConnected = false;  // as a radio does after its last byte
  std::atomic<size_t> open{0};
  size_t step = 0, until = 0;
};

LoopbackServer::Handler Paced(std::shared_ptr<PacedReply> reply) {
  return [reply](LoopbackServer::Client& c) {
    if (!c.Send(reply->head)) return;
    for (size_t sent = 0;;) {
      size_t open = reply->open;
      const size_t end = std::min(open, reply->body.size());
      if (sent < end) {
        if (!c.Send(reply->body.substr(sent, end - sent))) return;
        sent = end;
      } else if (sent == reply->body.size() && !reply->stayConnected) {
        return;
      } else {
        if (!c.Wait(2)) return;
        // Unless the test opened it further meanwhile.
        if (reply->step && open < reply->until)
          reply->open.compare_exchange_strong(open, std::min(open + reply->step, reply->until));
      }
    }
  };
}

struct OggPage {
  size_t start, end;
  int64_t granule;
  bool linkStart;
};

std::vector<OggPage> OggPages(const std::string& ogg) {
  std::vector<OggPage> pages;
  for (size_t at = 0; at + 27 <= ogg.size() && ogg.compare(at, 4, "OggS") == 0;) {
    const auto* p = reinterpret_cast<const uint8_t*>(ogg.data() + at);
    size_t end = at + 27 + p[26];
    for (int i = 0; i < p[26]; ++i) end += p[27 + i];
    int64_t granule = 0;
    std::memcpy(&granule, p + 6, 8);
    pages.push_back({at, end, granule, (p[5] & 2) != 0});
    at = end;
  }
  return pages;
}

// An ID3v2.3 tag holding a cover picture of `bytes` bytes, before the audio.
std::string WithCover(const std::string& audio, size_t bytes) {
  std::string picture = std::string(1, '\0') + "image/jpeg" + std::string(1, '\0') + "\x03" + std::string(1, '\0');
  for (size_t i = 0; i < bytes; ++i) picture.push_back(static_cast<char>((i * 7919) >> 3));
  std::string frame = "APIC";
  for (int shift = 24; shift >= 0; shift -= 8) frame.push_back(static_cast<char>(picture.size() >> shift));
  frame += std::string(2, '\0') + picture;
  std::string tag = "ID3\x03";
  tag += std::string(2, '\0');
  for (int shift = 21; shift >= 0; shift -= 7) tag.push_back(static_cast<char>((frame.size() >> shift) & 0x7F));
  return tag + frame + audio;
}

class NetStreams : public BassFixture {
 protected:
  void SetUp() override {
    BassFixture::SetUp();
    mp3 = ReadCodecFixture(L"tone.mp3");
    b.BASS_SetConfig(BASS_CONFIG_NET_TIMEOUT, 1500);
    b.BASS_SetConfig(BASS_CONFIG_NET_NOPROXY, 1);
  }

  // Decodes until the channel stops, waiting out stalls; the activity
  // states seen on the way are counted.
  std::vector<int16_t> Drain(HSTREAM s, int& stalls, unsigned limitMs = 15000) {
    std::vector<int16_t> all, buffer(8192);
    stalls = 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
    while (Clock::now() < deadline) {
      DWORD got = b.BASS_ChannelGetData(s, buffer.data(), buffer.size() * 2);
      if (got == DWORD(-1)) break;
      all.insert(all.end(), buffer.begin(), buffer.begin() + got / 2);
      DWORD active = b.BASS_ChannelIsActive(s);
      if (active == BASS_ACTIVE_STOPPED) break;
      if (got == 0 && active == BASS_ACTIVE_STALLED) {
        ++stalls;
        Sleep(5);
      }
    }
    return all;
  }

  size_t LocalFrames() {
    HSTREAM local = b.BASS_StreamCreateFile(FALSE, CodecFixture(L"tone.mp3").c_str(), 0, 0,
                                            BASS_STREAM_DECODE | BASS_UNICODE);
    size_t frames = static_cast<size_t>(b.BASS_ChannelGetLength(local) / 4);
    b.BASS_StreamFree(local);
    return frames;
  }

  // Frames decoded until the stream waits for more or ends.
  size_t DecodeWhatCame(HSTREAM s) {
    std::vector<int16_t> buffer(8192);
    size_t frames = 0;
    for (DWORD got; (got = b.BASS_ChannelGetData(s, buffer.data(), buffer.size() * 2)) != DWORD(-1) && got > 0;)
      frames += got / 4;
    return frames;
  }

  // Opens each edge of a paced reply in turn, waits until it downloaded and
  // decodes what came; the frames decoded at each edge.
  std::vector<size_t> DecodeAtEdges(HSTREAM s, PacedReply& reply, const std::vector<size_t>& edges) {
    std::vector<size_t> decoded;
    size_t total = 0;
    for (size_t edge : edges) {
      reply.open = edge;
      if (!PollUntil([&] { return b.BASS_StreamGetFilePosition(s, BASS_FILEPOS_DOWNLOAD) == edge; })) {
        ADD_FAILURE() << "the download does not reach " << edge;
        break;
      }
      total += DecodeWhatCame(s);
      decoded.push_back(total);
    }
    return decoded;
  }

  std::string mp3;
  LoopbackServer server;
};

TEST_F(NetStreams, FileWithLengthDownloadsDecodesAndSeeksOnceComplete) {
  server.Route("/tone.mp3", [&](LoopbackServer::Client& c) { c.Send(FileReply(mp3) + mp3); });
  HSTREAM s = b.BASS_StreamCreateURL(server.Url("/tone.mp3").c_str(), 0, BASS_STREAM_DECODE, nullptr, nullptr);
  ASSERT_NE(s, 0u) << Error();
  BASS_CHANNELINFO info{};
  ASSERT_TRUE(b.BASS_ChannelGetInfo(s, &info));
  EXPECT_EQ(info.flags & BASS_STREAM_BLOCK, 0u) << "a reply with a length is a file";
  EXPECT_EQ(info.ctype, DWORD{BASS_CTYPE_STREAM_MP3});
  EXPECT_EQ(b.BASS_StreamGetFilePosition(s, BASS_FILEPOS_END), mp3.size());

  // Small enough to be complete before the sync is set: it fires all the same, once.
  SyncLog log;
  ASSERT_NE(b.BASS_ChannelSetSync(s, BASS_SYNC_DOWNLOAD, 0, SyncLog::Download, &log), 0u);
  EXPECT_EQ(log.Downloads(), 1);
  EXPECT_EQ(b.BASS_StreamGetFilePosition(s, BASS_FILEPOS_DOWNLOAD), mp3.size());

  std::vector<std::string> http = TagStrings(b.BASS_StreamGetTags(s, BASS_TAG_HTTP));
  ASSERT_FALSE(http.empty());
  EXPECT_EQ(http.front(), "HTTP/1.0 200 OK");
  EXPECT_TRUE(HasString(http, "Server: LoopbackTest"));
  EXPECT_EQ(b.BASS_StreamGetTags(s, BASS_TAG_ICY), nullptr);
  EXPECT_EQ(b.BASS_StreamGetTags(s, BASS_TAG_META), nullptr);

  const size_t frames = LocalFrames();
  EXPECT_EQ(b.BASS_ChannelGetLength(s), QWORD{frames} * 4) << "the same length as the local file";
  ASSERT_TRUE(b.BASS_ChannelSetPosition(s, QWORD{frames / 2} * 4)) << Error();
  int stalls = 0;
  std::vector<int16_t> rest = Drain(s, stalls);
  EXPECT_EQ(rest.size() / 2, frames - frames / 2);
  EXPECT_EQ(log.Downloads(), 1);
  EXPECT_TRUE(b.BASS_StreamFree(s));
}

TEST_F(NetStreams, SlowFileStallsResumesAndSignalsTheDownloadOnce) {
  b.BASS_SetConfig(BASS_CONFIG_NET_BUFFER, 1000);
  std::string big;
  for (int i = 0; i < 3; ++i) big += mp3;  // three copies: larger than the pre-buffer
  server.Route("/slow.mp3", [&](LoopbackServer::Client& c) {
    if (!c.Send(FileReply(big))) return;
    for (size_t at = 0; at < big.size(); at += 8192) {
      if (!c.Send(big.substr(at, 8192)) || !c.Wait(at == 65536 ? 400 : 20)) return;
    }
  });
  HSTREAM s = b.BASS_StreamCreateURL(server.Url("/slow.mp3").c_str(), 0, BASS_STREAM_DECODE, nullptr, nullptr);
  ASSERT_NE(s, 0u) << Error();
  SyncLog log;
  b.BASS_ChannelSetSync(s, BASS_SYNC_DOWNLOAD, 0, SyncLog::Download, &log);
  EXPECT_EQ(log.Downloads(), 0) << "not complete yet";
  EXPECT_LT(b.BASS_StreamGetFilePosition(s, BASS_FILEPOS_DOWNLOAD), big.size());
  EXPECT_FALSE(b.BASS_ChannelSetPosition(s, 4 * 44100)) << "not seekable while downloading";
  int stalls = 0;
  std::vector<int16_t> all = Drain(s, stalls);
  EXPECT_GT(stalls, 0) << "the pause of the server shows as a stall";
  EXPECT_NEAR(double(all.size() / 2), 3.0 * LocalFrames(), 3 * 2304.0);
  EXPECT_EQ(log.Downloads(), 1);
  EXPECT_TRUE(b.BASS_ChannelSetPosition(s, 4 * 44100)) << Error();
  b.BASS_StreamFree(s);
}

TEST_F(NetStreams, PlayedStreamStallsWhileTheServerPausesAndGoesOnByItself) {
  b.BASS_SetConfig(BASS_CONFIG_NET_BUFFER, 500);
  b.BASS_SetConfig(BASS_CONFIG_NET_TIMEOUT, 3000);
  std::atomic<bool> resume{false};
  server.Route("/pausing.mp3", [&](LoopbackServer::Client& c) {
    if (!c.Send(FileReply(mp3) + mp3.substr(0, 16384))) return;
    for (int waited = 0; !resume && waited < 300; ++waited)
      if (!c.Wait(10)) return;
    c.Send(mp3.substr(16384));
  });
  std::atomic<DWORD> received{0};
  std::atomic<int> ends{0};
  auto proc = [](const void* buffer, DWORD length, void* user) {
    auto* counts = static_cast<std::pair<std::atomic<DWORD>*, std::atomic<int>*>*>(user);
    if (buffer) *counts->first += length;
    else ++*counts->second;
  };
  std::pair<std::atomic<DWORD>*, std::atomic<int>*> counts{&received, &ends};
  HSTREAM s = b.BASS_StreamCreateURL(server.Url("/pausing.mp3").c_str(), 0, 0, proc, &counts);
  ASSERT_NE(s, 0u) << Error();
  SyncLog log;
  b.BASS_ChannelSetSync(s, BASS_SYNC_DOWNLOAD, 0, SyncLog::Download, &log);
  ASSERT_TRUE(b.BASS_ChannelPlay(s, FALSE)) << Error();
  DWORD active = BASS_ACTIVE_PLAYING;
  for (int step = 0; step < 100 && active == BASS_ACTIVE_PLAYING; ++step) {
    Advance(4410);
    active = b.BASS_ChannelIsActive(s);
  }
  EXPECT_EQ(active, DWORD{BASS_ACTIVE_STALLED}) << "out of data while the server waits";
  const QWORD stalledAt = b.BASS_ChannelGetPosition(s);
  resume = true;
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  while (log.Downloads() == 0 && Clock::now() < deadline) Sleep(5);
  EXPECT_EQ(log.Downloads(), 1);
  EXPECT_EQ(received.load(), mp3.size()) << "the download procedure saw every byte";
  Advance(4410);
  EXPECT_EQ(b.BASS_ChannelIsActive(s), DWORD{BASS_ACTIVE_PLAYING}) << "resumed by itself";
  EXPECT_GT(b.BASS_ChannelGetPosition(s), stalledAt);
  for (int step = 0; step < 100 && b.BASS_ChannelIsActive(s) != BASS_ACTIVE_STOPPED; ++step) Advance(4410);
  EXPECT_EQ(b.BASS_ChannelIsActive(s), DWORD{BASS_ACTIVE_STOPPED});
  EXPECT_EQ(ends.load(), 1);
  b.BASS_StreamFree(s);
}

TEST_F(NetStreams, IcyRadioIsABlockStreamWhoseTitlesFireMetaSyncs) {
  // A buffer of a second at 128 kbps: 16000 bytes, the pre-buffer 12000.
  b.BASS_SetConfig(BASS_CONFIG_NET_BUFFER, 1000);
  constexpr uint32_t kInterval = 1024;
  const size_t blocks = mp3.size() / kInterval;
  auto title = [](size_t k) { return "StreamTitle='Song " + std::to_string(k / 3 + 1) + "';"; };
  server.Route("/radio", [&](LoopbackServer::Client& c) {
    if (!c.Send("ICY 200 OK\r\nicy-name: Loopback Radio\r\nicy-br: 128\r\nicy-metaint: " +
                std::to_string(kInterval) + "\r\n\r\n"))
      return;
    for (size_t k = 0; k < blocks; ++k) {
      std::string meta = k % 3 == 0 ? MetaBlock(title(k)) : std::string(1, '\0');
      if (!c.Send(mp3.substr(k * kInterval, kInterval) + meta)) return;
    }
  });
  HSTREAM s = b.BASS_StreamCreateURL(server.Url("/radio").c_str(), 0, BASS_STREAM_DECODE, nullptr, nullptr);
  ASSERT_NE(s, 0u) << Error();
  SyncLog log;
  ASSERT_NE(b.BASS_ChannelSetSync(s, BASS_SYNC_META, 0, SyncLog::Meta, &log), 0u);
  BASS_CHANNELINFO info{};
  b.BASS_ChannelGetInfo(s, &info);
  EXPECT_NE(info.flags & BASS_STREAM_BLOCK, 0u);
  std::vector<std::string> icy = TagStrings(b.BASS_StreamGetTags(s, BASS_TAG_ICY));
  EXPECT_TRUE(HasString(icy, "icy-name: Loopback Radio"));
  EXPECT_TRUE(HasString(icy, "icy-br: 128"));
  EXPECT_EQ(b.BASS_StreamGetTags(s, BASS_TAG_HTTP), nullptr) << "an ICY reply has no HTTP headers";
  EXPECT_EQ(b.BASS_StreamGetTags(s, BASS_TAG_META), nullptr) << "no title is due before its audio";
  EXPECT_EQ(b.BASS_StreamGetFilePosition(s, BASS_FILEPOS_END), 16000u) << "the buffer's size";
  EXPECT_FALSE(b.BASS_ChannelSetPosition(s, 0)) << "a block stream cannot seek";

  // Each title comes due when the audio before it has been decoded, so the
  // sync set after the opening sees every one.
  int stalls = 0;
  std::vector<int16_t> all = Drain(s, stalls);
  EXPECT_GT(all.size() / 2, size_t{44100}) << "the audio between the metadata decodes";
  EXPECT_EQ(b.BASS_StreamGetFilePosition(s, BASS_FILEPOS_DOWNLOAD), blocks * kInterval)
      << "audio bytes, metadata taken out";
  std::vector<std::string> expected;
  for (size_t k = 0; k < blocks; ++k)
    if (k % 3 == 0) expected.push_back(title(k));
  EXPECT_EQ(b.BASS_StreamGetTags(s, BASS_TAG_META), expected.back());
  std::lock_guard lock(log.mutex);
  EXPECT_EQ(log.titles, expected);
  b.BASS_StreamFree(s);
}

TEST_F(NetStreams, LyingMetadataNeverOverrunsOrHangs) {
  server.Route("/liar", [&](LoopbackServer::Client& c) {
    // Metadata announced every 1000 bytes, but the server puts length bytes
    // of 255 and binary junk wherever it likes.
    if (!c.Send("ICY 200 OK\r\nicy-metaint: 1000\r\n\r\n")) return;
    std::string junk = mp3;
    for (size_t at = 700; at < junk.size(); at += 1300) junk[at] = '\xFF';
    c.Send(junk);
  });
  server.Route("/huge-interval", [&](LoopbackServer::Client& c) {
    c.Send("ICY 200 OK\r\nicy-metaint: 99999999999\r\n\r\n" + mp3);
  });
  for (const char* path : {"/liar", "/huge-interval"}) {
    const auto start = Clock::now();
    HSTREAM s = b.BASS_StreamCreateURL(server.Url(path).c_str(), 0, BASS_STREAM_DECODE, nullptr, nullptr);
    if (s) {
      int stalls = 0;
      Drain(s, stalls, 6000);
      EXPECT_EQ(b.BASS_ChannelIsActive(s), DWORD{BASS_ACTIVE_STOPPED}) << path;
      const char* meta = b.BASS_StreamGetTags(s, BASS_TAG_META);
      for (const char* p = meta; p && *p; ++p) EXPECT_GE(static_cast<unsigned char>(*p), 0x20) << path;
      b.BASS_StreamFree(s);
    }
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(6)) << path;
  }
}

TEST_F(NetStreams, FailuresComeBackInTimeWithTheirCodes) {
  b.BASS_SetConfig(BASS_CONFIG_NET_TIMEOUT, 500);
  server.Route("/missing", [](LoopbackServer::Client& c) { c.Send("HTTP/1.0 404 Not Found\r\n\r\n"); });
  server.Route("/broken", [](LoopbackServer::Client& c) { c.Send("HTTP/1.1 500 Internal Server Error\r\n\r\n"); });
  server.Route("/loop", [](LoopbackServer::Client& c) { c.Send("HTTP/1.0 302 Found\r\nLocation: /loop\r\n\r\n"); });
  server.Route("/silent", [](LoopbackServer::Client& c) { c.Wait(3000); });
  server.Route("/stall", [&](LoopbackServer::Client& c) {
    if (c.Send(FileReply(mp3))) c.Wait(3000);
  });
  server.Route("/long-line", [](LoopbackServer::Client& c) {
    c.Send("HTTP/1.0 200 OK\r\nX-Filler: " + std::string(20000, 'a') + "\r\n\r\n");
  });
  server.Route("/many-lines", [](LoopbackServer::Client& c) {
    std::string head = "HTTP/1.0 200 OK\r\n";
    for (int i = 0; i < 1000; ++i) head += "X-Line: " + std::to_string(i) + "\r\n";
    c.Send(head + "\r\n");
  });
  server.Route("/garbage", [](LoopbackServer::Client& c) { c.Send("HELLO THERE\r\n\r\n"); });
  server.Route("/trickle", [](LoopbackServer::Client& c) {
    // Each header line in time, but the whole head far too slowly.
    if (!c.Send("HTTP/1.0 200 OK\r\n")) return;
    for (int i = 0; i < 20; ++i)
      if (!c.Wait(200) || !c.Send("X-Line: " + std::to_string(i) + "\r\n")) return;
  });
  server.Route("/not-audio", [](LoopbackServer::Client& c) {
    const std::string text(5000, 'x');
    c.Send(FileReply(text) + text);
  });
  const struct {
    std::string url;
    int code;
  } cases[] = {
      {server.Url("/missing"), BASS_ERROR_FILEOPEN},
      {server.Url("/broken"), BASS_ERROR_FILEOPEN},
      {server.Url("/loop"), BASS_ERROR_FILEOPEN},
      {server.Url("/silent"), BASS_ERROR_TIMEOUT},
      {server.Url("/stall"), BASS_ERROR_TIMEOUT},
      {server.Url("/long-line"), BASS_ERROR_FILEOPEN},
      {server.Url("/many-lines"), BASS_ERROR_FILEOPEN},
      {server.Url("/garbage"), BASS_ERROR_FILEOPEN},
      {server.Url("/trickle"), BASS_ERROR_TIMEOUT},
      {server.Url("/not-audio"), BASS_ERROR_FILEFORM},
      {"http://127.0.0.1:1/refused.mp3", BASS_ERROR_NONET},
      {"http://127.0.0.1:notaport/x", BASS_ERROR_FILEOPEN},
      {"gopher://127.0.0.1/x", BASS_ERROR_FILEOPEN},
  };
  for (const auto& c : cases) {
    const auto start = Clock::now();
    EXPECT_EQ(b.BASS_StreamCreateURL(c.url.c_str(), 0, BASS_STREAM_DECODE, nullptr, nullptr), 0u) << c.url;
    EXPECT_EQ(Error(), c.code) << c.url;
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1500)) << c.url;
  }
  EXPECT_LE(server.Requests("/loop"), 6) << "redirects are bounded";
  EXPECT_EQ(b.BASS_StreamCreateURL(nullptr, 0, 0, nullptr, nullptr), 0u);
  EXPECT_EQ(Error(), BASS_ERROR_ILLPARAM);
}

TEST_F(NetStreams, ServerClosingOrFallingSilentEndsTheStream) {
  b.BASS_SetConfig(BASS_CONFIG_NET_TIMEOUT, 500);
  server.Route("/half", [&](LoopbackServer::Client& c) { c.Send(FileReply(mp3) + mp3.substr(0, mp3.size() / 2)); });
  server.Route("/quiet-radio", [&](LoopbackServer::Client& c) {
    if (c.Send("HTTP/1.0 200 OK\r\nicy-name: Quiet\r\n\r\n" + mp3.substr(0, mp3.size() / 2))) c.Wait(3000);
  });
  for (const char* path : {"/half", "/quiet-radio"}) {
    HSTREAM s = b.BASS_StreamCreateURL(server.Url(path).c_str(), 0, BASS_STREAM_DECODE, nullptr, nullptr);
    ASSERT_NE(s, 0u) << path << " " << Error();
    SyncLog log;
    b.BASS_ChannelSetSync(s, BASS_SYNC_DOWNLOAD, 0, SyncLog::Download, &log);
    const auto start = Clock::now();
    int stalls = 0;
    std::vector<int16_t> all = Drain(s, stalls, 5000);
    EXPECT_EQ(b.BASS_ChannelIsActive(s), DWORD{BASS_ACTIVE_STOPPED}) << path;
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(2500)) << path;
    EXPECT_GT(all.size() / 2, size_t{22050}) << path << ": what came plays";
    EXPECT_EQ(log.Downloads(), 0) << path << ": an incomplete download is not signalled";
    if (std::string(path) == "/half") {
      // The file is what came of it.
      EXPECT_EQ(b.BASS_StreamGetFilePosition(s, BASS_FILEPOS_END), mp3.size() / 2);
      EXPECT_NEAR(double(b.BASS_ChannelGetLength(s) / 4), double(all.size() / 2), 2304.0);
    }
    b.BASS_StreamFree(s);
  }
}

TEST_F(NetStreams, ChunkedReplyAndRedirectReachTheAudio) {
  server.Route("/moved", [&](LoopbackServer::Client& c) {
    c.Send("HTTP/1.1 301 Moved\r\nLocation: " + server.Url("/chunked") + "\r\n\r\n");
  });
  server.Route("/chunked", [&](LoopbackServer::Client& c) {
    std::string body;
    for (size_t at = 0; at < mp3.size(); at += 5000) {
      const std::string part = mp3.substr(at, 5000);
      char size[16];
      snprintf(size, sizeof(size), "%zx", part.size());
      body += std::string(size) + "\r\n" + part + "\r\n";
    }
    c.Send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + body + "0\r\n\r\n");
  });
  HSTREAM s = b.BASS_StreamCreateURL(server.Url("/moved").c_str(), 0, BASS_STREAM_DECODE, nullptr, nullptr);
  ASSERT_NE(s, 0u) << Error();
  int stalls = 0;
  std::vector<int16_t> all = Drain(s, stalls);
  EXPECT_NEAR(double(all.size() / 2), double(LocalFrames()), 2304.0);
  EXPECT_EQ(b.BASS_StreamGetFilePosition(s, BASS_FILEPOS_DOWNLOAD), mp3.size());
  b.BASS_StreamFree(s);
}

TEST_F(NetStreams, WmaOverTheNetworkIsRefusedAsAFormat) {
  auto create = WmaStreamCreateFile();
  ASSERT_NE(create, nullptr);
  const std::wstring url = L"mms://127.0.0.1:" + std::to_wstring(server.Port()) + L"/live.wma";
  EXPECT_EQ(create(FALSE, url.c_str(), 0, 0, BASS_UNICODE), 0u);
  EXPECT_EQ(Error(), BASS_ERROR_FILEFORM);
}

TEST_F(NetStreams, FtpFileInPassiveMode) {
  // With a cover picture larger than the pre-buffer, sent at the server's pace.
  b.BASS_SetConfig(BASS_CONFIG_NET_BUFFER, 5000);
  const std::string covered = WithCover(mp3, 150000);
  LoopbackServer control(false), data(false);
  auto reply = std::make_shared<PacedReply>();
  reply->body = covered;
  reply->step = 16384;
  reply->until = covered.size();
  data.Route("", Paced(reply));
  std::mutex mutex;
  std::vector<std::string> commands;
  control.Route("", [&](LoopbackServer::Client& c) {
    if (!c.Send("220 Loopback FTP\r\n")) return;
    std::string line;
    while (c.ReceiveLine(line)) {
      {
        std::lock_guard lock(mutex);
        commands.push_back(line);
      }
      std::string verb = line.substr(0, line.find(' '));
      std::string answer = "500 What?\r\n";
      if (verb == "USER") answer = "331 Password please\r\n";
      else if (verb == "PASS") answer = "230-Welcome\r\n230 Logged in\r\n";
      else if (verb == "TYPE") answer = "200 Binary\r\n";
      else if (verb == "SIZE") answer = "213 " + std::to_string(covered.size()) + "\r\n";
      else if (verb == "PASV")
        answer = "227 Entering Passive Mode (127,0,0,1," + std::to_string(data.Port() / 256) + "," +
                 std::to_string(data.Port() % 256) + ")\r\n";
      else if (verb == "RETR") answer = "150 Here it comes\r\n";
      if (!c.Send(answer)) return;
    }
  });
  const std::string url = "ftp://127.0.0.1:" + std::to_string(control.Port()) + "/music/tone.mp3";
  HSTREAM s = b.BASS_StreamCreateURL(url.c_str(), 0, BASS_STREAM_DECODE, nullptr, nullptr);
  ASSERT_NE(s, 0u) << Error();
  EXPECT_EQ(b.BASS_StreamGetFilePosition(s, BASS_FILEPOS_END), covered.size());
  EXPECT_EQ(b.BASS_StreamGetTags(s, BASS_TAG_HTTP), nullptr);
  int stalls = 0;
  std::vector<int16_t> all = Drain(s, stalls);
  EXPECT_EQ(all.size() / 2, LocalFrames());
  b.BASS_StreamFree(s);
  std::lock_guard lock(mutex);
  ASSERT_GE(commands.size(), 6u);
  EXPECT_EQ(commands[0], "USER anonymous");
  EXPECT_TRUE(HasString(commands, "RETR music/tone.mp3"));
}

TEST_F(NetStreams, OggFileDecodesWhileItDownloads) {
  // A pre-buffer of 6 KiB, well short of the file.
  b.BASS_SetConfig(BASS_CONFIG_NET_BUFFER, 500);
  const std::string ogg = ReadCodecFixture(L"tone.ogg");
  server.Route("/tone.ogg", [&](LoopbackServer::Client& c) {
    if (!c.Send(FileReply(ogg))) return;
    for (size_t at = 0; at < ogg.size(); at += 4096)
      if (!c.Send(ogg.substr(at, 4096)) || !c.Wait(10)) return;
  });
  HSTREAM s = b.BASS_StreamCreateURL(server.Url("/tone.ogg").c_str(), 0, BASS_STREAM_DECODE, nullptr, nullptr);
  ASSERT_NE(s, 0u) << Error();
  BASS_CHANNELINFO info{};
  b.BASS_ChannelGetInfo(s, &info);
  EXPECT_EQ(info.ctype, DWORD{BASS_CTYPE_STREAM_OGG});
  std::vector<std::string> comments = TagStrings(b.BASS_StreamGetTags(s, BASS_TAG_OGG));
  EXPECT_FALSE(comments.empty());
  EXPECT_LT(b.BASS_StreamGetFilePosition(s, BASS_FILEPOS_DOWNLOAD), ogg.size());
  EXPECT_FALSE(b.BASS_ChannelSetPosition(s, QWORD{kToneFrames / 2} * 4)) << "not while downloading";
  int stalls = 0;
  std::vector<int16_t> all = Drain(s, stalls);
  EXPECT_EQ(all.size() / 2, size_t{kToneFrames});
  EXPECT_EQ(b.BASS_ChannelGetLength(s), QWORD{kToneFrames} * 4) << "known once downloaded";
  EXPECT_TRUE(b.BASS_ChannelSetPosition(s, QWORD{kToneFrames / 2} * 4)) << Error();
  b.BASS_StreamFree(s);
}

TEST_F(NetStreams, Mp3WithACoverLargerThanThePreBufferOpensOnceItsAudioCame) {
  b.BASS_SetConfig(BASS_CONFIG_NET_BUFFER, 5000);  // a pre-buffer of 60,000 bytes
  const std::string audio = mp3 + mp3 + mp3;
  const std::string covered = WithCover(audio, 150000);
  // The server sends at its own pace and holds back the last 40 KB.
  auto reply = std::make_shared<PacedReply>();
  reply->body = covered;
  reply->head = FileReply(covered);
  reply->open = 16384;
  reply->step = 16384;
  reply->until = covered.size() - 40000;
  server.Route("/covered.mp3", Paced(reply));
  HSTREAM s = b.BASS_StreamCreateURL(server.Url("/covered.mp3").c_str(), 0, BASS_STREAM_DECODE, nullptr, nullptr);
  ASSERT_NE(s, 0u) << Error();
  BASS_CHANNELINFO info{};
  b.BASS_ChannelGetInfo(s, &info);
  EXPECT_EQ(info.ctype, DWORD{BASS_CTYPE_STREAM_MP3});
  EXPECT_LT(b.BASS_StreamGetFilePosition(s, BASS_FILEPOS_DOWNLOAD), covered.size());
  const QWORD estimate = b.BASS_ChannelGetLength(s);
  ASSERT_NE(estimate, QWORD(-1)) << "an estimate from the first frame after the tag";
  reply->open = covered.size();
  int stalls = 0;
  const std::vector<int16_t> all = Drain(s, stalls);
  EXPECT_NEAR(double(all.size() / 2), 3.0 * LocalFrames(), 3 * 2304.0);
  EXPECT_NEAR(double(estimate), double(b.BASS_ChannelGetLength(s)), 0.03 * double(estimate));
  b.BASS_StreamFree(s);
}

TEST_F(NetStreams, AnMpeg2FileOpensWhetherItsEndCameOrNot) {
  // tagged.mp3 is MPEG-2 (small frames) after an ID3v2 tag. Held: the server
  // keeps back the file's end until the stream is open, so the decoder is made
  // over a download still growing. Otherwise the whole file comes at once
  // but the download procedure holds on to its last block: the opening must
  // still see a file that ended, not one still growing.
  const std::string file = ReadCodecFixture(L"tagged.mp3");
  HSTREAM local = b.BASS_StreamCreateFile(FALSE, CodecFixture(L"tagged.mp3").c_str(), 0, 0,
                                          BASS_STREAM_DECODE | BASS_UNICODE);
  const QWORD length = b.BASS_ChannelGetLength(local);
  b.BASS_StreamFree(local);
  ASSERT_NE(length, QWORD(-1));
  struct Proc {
    std::atomic<size_t> received{0};
    size_t total = 0;
    std::atomic<bool> release{false};
    static void CALLBACK Hold(const void* buffer, DWORD count, void* user) {
      auto* p = static_cast<Proc*>(user);
      if (buffer && (p->received += count) == p->total)
        for (int i = 0; i < 300 && !p->release; ++i) Sleep(10);
    }
  };
  for (const bool held : {true, false}) {
    SCOPED_TRACE(held ? "end held back" : "last block held");
    b.BASS_SetConfig(BASS_CONFIG_NET_BUFFER, held ? 1000 : 5000);  // pre-buffers of 12,000 and 60,000 bytes
    auto reply = std::make_shared<PacedReply>();
    reply->body = file;
    reply->head = FileReply(file);
    reply->open = held ? file.size() - 4000 : file.size();
    server.Route(held ? "/held.mp3" : "/whole.mp3", Paced(reply));
    Proc proc;
    proc.total = file.size();
    HSTREAM s = b.BASS_StreamCreateURL(server.Url(held ? "/held.mp3" : "/whole.mp3").c_str(), 0,
                                       BASS_STREAM_DECODE, held ? nullptr : &Proc::Hold, &proc);
    const bool seekable = s && b.BASS_ChannelSetPosition(s, length / 2);
    proc.release = true;
    ASSERT_NE(s, 0u) << Error();
    EXPECT_EQ(seekable, !held) << "seekable once the whole file came";
    reply->open = file.size();
    int stalls = 0;
    const std::vector<int16_t> all = Drain(s, stalls);
    EXPECT_EQ(all.size() * 2, held ? length : length - length / 2);
    EXPECT_EQ(b.BASS_ChannelGetLength(s), length);
    b.BASS_StreamFree(s);
  }
}

TEST_F(NetStreams, OggPausesAtTheEdgeOfTheDownloadAndGoesOnWithEachPage) {
  b.BASS_SetConfig(BASS_CONFIG_NET_BUFFER, 5000);
  const struct {
    const wchar_t* fixture;
    size_t page;  // the fixture's largest page is at least this large
    bool length;
  } cases[] = {{L"pages20k.ogg", 19000, true},
               {L"pages60k.ogg", 59000, true},
               {L"pages20k.ogg", 19000, false},
               {L"pages60k.ogg", 59000, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.page << (c.length ? " with a length" : " without a length"));
    const std::string ogg = ReadCodecFixture(c.fixture);
    const std::vector<OggPage> pages = OggPages(ogg);
    ASSERT_FALSE(pages.empty());
    ASSERT_EQ(pages.back().end, ogg.size());
    size_t largest = 0;
    for (const OggPage& page : pages) largest = std::max(largest, page.end - page.start);
    ASSERT_GE(largest, c.page);

    // Slower than the audio: the decoder meets the edge inside pages again
    // and again.
    auto reply = std::make_shared<PacedReply>();
    reply->body = ogg;
    reply->head = c.length ? FileReply(ogg) : "HTTP/1.0 200 OK\r\nContent-Type: application/ogg\r\n\r\n";
    reply->stayConnected = !c.length;
    reply->open = 65536;
    server.Route("/paced.ogg", Paced(reply));
    HSTREAM s = b.BASS_StreamCreateURL(server.Url("/paced.ogg").c_str(), 0, BASS_STREAM_DECODE, nullptr, nullptr);
    ASSERT_NE(s, 0u) << Error();
    std::vector<size_t> edges;
    for (size_t edge = 65536; edge < ogg.size(); edge += 16384) edges.push_back(edge);
    edges.push_back(ogg.size());
    const std::vector<size_t> decoded = DecodeAtEdges(s, *reply, edges);
    ASSERT_EQ(decoded.size(), edges.size());
    for (size_t i = 0; i + 1 < edges.size(); ++i) {
      // Every page that came whole decodes at once.
      int64_t expected = 0;
      for (const OggPage& page : pages)
        if (page.end <= edges[i]) expected = std::max(expected, page.granule);
      EXPECT_EQ(decoded[i], size_t(expected)) << "at " << edges[i];
    }
    EXPECT_EQ(decoded.back(), size_t{6 * 44100});
    if (c.length) {
      EXPECT_TRUE(PollUntil([&] {
        DecodeWhatCame(s);
        return b.BASS_ChannelIsActive(s) == BASS_ACTIVE_STOPPED;
      }));
    } else {
      EXPECT_EQ(b.BASS_ChannelIsActive(s), DWORD{BASS_ACTIVE_STALLED}) << "a radio gone quiet has not ended";
    }
    b.BASS_StreamFree(s);
  }
}

TEST_F(NetStreams, ChainedOggAnnouncesEachNewLinkWithItsComments) {
  b.BASS_SetConfig(BASS_CONFIG_NET_BUFFER, 500);  // a pre-buffer of 6000 bytes
  const std::string ogg = ReadCodecFixture(L"chained.ogg");
  const std::vector<OggPage> pages = OggPages(ogg);
  // Edges every few KB, and in each new link's headers: in its first page
  // and in the page after it.
  std::vector<size_t> edges;
  for (size_t edge = 8000; edge < ogg.size(); edge += 2500) edges.push_back(edge);
  for (size_t i = 1; i + 1 < pages.size(); ++i)
    if (pages[i].linkStart) edges.insert(edges.end(), {pages[i].start + 20, pages[i + 1].start + 500});
  edges.push_back(ogg.size());
  std::sort(edges.begin(), edges.end());
  ASSERT_EQ(std::count_if(pages.begin(), pages.end(), [](const OggPage& p) { return p.linkStart; }), 3);

  auto reply = std::make_shared<PacedReply>();
  reply->body = ogg;
  reply->head = "HTTP/1.0 200 OK\r\nContent-Type: application/ogg\r\nicy-name: Chained\r\n\r\n";
  reply->stayConnected = true;
  reply->open = edges.front();
  server.Route("/chained", Paced(reply));
  HSTREAM s = b.BASS_StreamCreateURL(server.Url("/chained").c_str(), 0, BASS_STREAM_DECODE, nullptr, nullptr);
  ASSERT_NE(s, 0u) << Error();
  SyncLog log;
  ASSERT_NE(b.BASS_ChannelSetSync(s, BASS_SYNC_META, 0, SyncLog::Meta, &log), 0u);
  EXPECT_TRUE(HasString(TagStrings(b.BASS_StreamGetTags(s, BASS_TAG_OGG)), "TITLE=Song 1"));
  const std::vector<size_t> decoded = DecodeAtEdges(s, *reply, edges);
  ASSERT_EQ(decoded.size(), edges.size());
  EXPECT_EQ(decoded.back(), size_t{3 * kToneFrames}) << "every link plays whole";
  EXPECT_TRUE(HasString(TagStrings(b.BASS_StreamGetTags(s, BASS_TAG_OGG)), "TITLE=Song 3"));
  std::lock_guard lock(log.mutex);
  ASSERT_EQ(log.lists.size(), 2u);
  for (int i = 0; i < 2; ++i) {
    EXPECT_TRUE(HasString(log.lists[i], "TITLE=Song " + std::to_string(i + 2))) << i;
    EXPECT_TRUE(HasString(log.lists[i], "ARTIST=Chain Artist")) << i;
  }
  b.BASS_StreamFree(s);
}

TEST_F(NetStreams, AnOffsetComesFromTheServerOrIsSkippedWhenItIgnoresTheRange) {
  constexpr size_t kOffset = 20000;
  server.Route("/honours", [&](LoopbackServer::Client& c) {
    const bool ranged = c.Request().find("Range: bytes=" + std::to_string(kOffset) + "-") != std::string::npos;
    const size_t at = ranged ? kOffset : 0;
    const std::string body = mp3.substr(at);
    c.Send("HTTP/1.1 206 Partial Content\r\nContent-Range: bytes " + std::to_string(at) + "-" +
           std::to_string(mp3.size() - 1) + "/" + std::to_string(mp3.size()) +
           "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
  });
  server.Route("/ignores", [&](LoopbackServer::Client& c) { c.Send(FileReply(mp3) + mp3); });
  size_t first = 0;
  for (const char* path : {"/honours", "/ignores"}) {
    SCOPED_TRACE(path);
    std::string received;
    auto proc = [](const void* buffer, DWORD length, void* user) {
      if (buffer) static_cast<std::string*>(user)->append(static_cast<const char*>(buffer), length);
    };
    HSTREAM s = b.BASS_StreamCreateURL(server.Url(path).c_str(), kOffset, BASS_STREAM_DECODE, proc, &received);
    ASSERT_NE(s, 0u) << Error();
    EXPECT_EQ(b.BASS_StreamGetFilePosition(s, BASS_FILEPOS_END), mp3.size() - kOffset);
    int stalls = 0;
    const std::vector<int16_t> all = Drain(s, stalls);
    EXPECT_TRUE(received == mp3.substr(kOffset)) << received.size() << " bytes from the offset on";
    // Frames from the offset on, not the whole file's.
    EXPECT_NEAR(double(all.size() / 2), double(LocalFrames()) * (mp3.size() - kOffset) / mp3.size(), 4608.0);
    if (first == 0) first = all.size() / 2;
    else EXPECT_NEAR(double(all.size() / 2), double(first), 1152.0) << "the same audio either way";
    b.BASS_StreamFree(s);
  }
  EXPECT_EQ(b.BASS_StreamCreateURL(server.Url("/ignores").c_str(), DWORD(mp3.size()), BASS_STREAM_DECODE,
                                   nullptr, nullptr), 0u);
  EXPECT_EQ(Error(), BASS_ERROR_FILEOPEN) << "an offset past the end of the file";
}

TEST(NetProxy, ChoiceFollowsTheSystemSettings) {
  const struct {
    const char* url;
    bool enabled;
    const char* server;
    const char* bypass;
    const char* host;
    uint16_t port;
  } cases[] = {
      {"http://radio.example/live", false, "proxy:8080", "", "", 0},
      {"http://radio.example/live", true, "proxy:8080", "", "proxy", 8080},
      {"http://radio.example/live", true, "proxy", "", "proxy", 80},
      {"http://radio.example/live", true, "ftp=f:21;http=web:3128", "", "web", 3128},
      {"ftp://files.example/a.mp3", true, "http=web:3128", "", "", 0},
      {"http://radio.example/live", true, "proxy:8080", "*.example", "", 0},
      {"http://intranet/live", true, "proxy:8080", "<local>", "", 0},
      {"http://127.0.0.1:8000/live", true, "proxy:8080", "", "", 0},
      {"http://radio.example/live", true, "proxy:notaport", "", "", 0},
  };
  for (const auto& c : cases) {
    bass_core::NetUrl url;
    ASSERT_TRUE(bass_core::ParseNetUrl(c.url, url)) << c.url;
    bass_core::NetProxy proxy = bass_core::ChooseProxy(url, c.enabled, c.server, c.bypass);
    EXPECT_EQ(proxy.host, c.host) << c.url << " via " << c.server;
    if (*c.host) {
      EXPECT_EQ(proxy.port, c.port) << c.url << " via " << c.server;
    }
  }
}

TEST(NetProxy, UrlsAreParsedStrictly) {
  const struct {
    const char* text;
    bool ok;
    const char* host;
    uint16_t port;
    const char* path;
  } cases[] = {
      {"http://host/a.mp3", true, "host", 80, "/a.mp3"},
      {"HTTP://host:8000", true, "host", 8000, "/"},
      {"ftp://user:pw@files:2121/x/y.ogg", true, "files", 2121, "/x/y.ogg"},
      {"http://host:0/", false, "", 0, ""},
      {"http://host:70000/", false, "", 0, ""},
      {"http:///nohost", false, "", 0, ""},
      {"http://ho st/", false, "", 0, ""},
      {"http://host/a b", false, "", 0, ""},
      {"mms://host/x", false, "", 0, ""},
  };
  for (const auto& c : cases) {
    bass_core::NetUrl url;
    EXPECT_EQ(bass_core::ParseNetUrl(c.text, url), c.ok) << c.text;
    if (!c.ok) continue;
    EXPECT_EQ(url.host, c.host) << c.text;
    EXPECT_EQ(url.port, c.port) << c.text;
    EXPECT_EQ(url.path, c.path) << c.text;
  }
}

}  // namespace
}  // namespace bass_test
