// Opening an internet source: the URL's parts, the proxy choice, and the
// request up to the first byte of the body, HTTP (with bounded redirects) or
// FTP in passive mode. Every header line and every reply is bounded in length
// and count, so a hostile server cannot make the reading run away.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bass/core/net_connection.h"

namespace bass_core {

struct NetUrl {
  std::string scheme;  // "http" or "ftp", in lower case
  std::string user, password;
  std::string host;
  uint16_t port = 0;
  std::string path;  // from the first "/" on, query included; "/" at least
};

// False for anything but a well-formed http:// or ftp:// URL.
bool ParseNetUrl(const std::string& text, NetUrl& url);

// The proxy for a URL under the system's settings: empty host for a direct
// connection. settings is the ProxyServer value ("host:port", or a list like
// "http=host:port;ftp=..."), bypass the ProxyOverride value.
struct NetProxy {
  std::string host;
  uint16_t port = 0;
};
NetProxy ChooseProxy(const NetUrl& url, bool enabled, const std::string& settings, const std::string& bypass);
// The same from HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings.
NetProxy SystemProxy(const NetUrl& url);

struct NetReply {
  std::unique_ptr<NetConnection> connection;
  std::vector<std::string> lines;  // status line, then each header as sent
  bool icy = false;                // "ICY 200 OK" reply
  bool chunked = false;
  bool hasLength = false;
  uint64_t length = 0;             // the body's length when hasLength
  uint32_t metaInterval = 0;       // icy-metaint, 0 without metadata
  // Bytes of the body before the offset asked for: a server that ignores
  // Range answers 200 with the body from its first byte.
  uint64_t skip = 0;
  // For FTP: the control connection, kept open while the data flows.
  std::unique_ptr<NetConnection> control;
};

struct NetOptions {
  uint32_t timeoutMs = 5000;
  bool useProxy = true;
  uint64_t offset = 0;  // first byte wanted
};

constexpr size_t kMaxHeaderLine = 4096;
constexpr size_t kMaxHeaderLines = 100;
constexpr int kMaxRedirects = 5;

// A BASS error code: BASS_ERROR_NONET (no connection), BASS_ERROR_TIMEOUT,
// BASS_ERROR_FILEOPEN (an error status, a malformed reply, too many
// redirects).
int OpenNetSource(const NetUrl& url, const NetOptions& options, NetReply& reply);

// The value of a header (name compared without case), or nullptr.
bool FindHeader(const std::vector<std::string>& lines, const std::string& name, std::string& value);

}  // namespace bass_core
