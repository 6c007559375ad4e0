#include "bass/core/net_request.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "bass/bass_api.h"

namespace bass_core {

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t");
  if (a == std::string::npos) return {};
  size_t b = s.find_last_not_of(" \t");
  return s.substr(a, b - a + 1);
}

// A whole decimal number without sign; false for anything else or an
// overflow past limit.
bool ParseNumber(const std::string& text, uint64_t limit, uint64_t& value) {
  std::string t = Trim(text);
  if (t.empty() || t.size() > 19) return false;
  value = 0;
  for (char c : t) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  return value <= limit;
}

bool SplitHostPort(const std::string& text, std::string& host, uint16_t& port) {
  size_t colon = text.rfind(':');
  host = text.substr(0, colon);
  if (colon != std::string::npos) {
    uint64_t p = 0;
    if (!ParseNumber(text.substr(colon + 1), 65535, p) || p == 0) return false;
    port = static_cast<uint16_t>(p);
  }
  if (host.empty()) return false;
  for (char c : host)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '_') return false;
  return true;
}

bool IsLoopback(const std::string& host) {
  return host == "localhost" || host.rfind("127.", 0) == 0;
}

// "*.example.com" style patterns of ProxyOverride.
bool MatchesPattern(const std::string& host, const std::string& pattern) {
  if (pattern.empty()) return false;
  if (pattern == "<local>") return host.find('.') == std::string::npos;
  if (pattern.front() == '*') {
    std::string tail = pattern.substr(1);
    return host.size() >= tail.size() && host.compare(host.size() - tail.size(), tail.size(), tail) == 0;
  }
  if (pattern.back() == '*') return host.rfind(pattern.substr(0, pattern.size() - 1), 0) == 0;
  return host == pattern;
}

std::string RegistryText(HKEY key, const char* name) {
  char buffer[1024] = {};
  DWORD type = 0, size = sizeof(buffer) - 1;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return {};
  return std::string(buffer, strnlen(buffer, size));
}

// Reads the status line and headers, all within the timeout; a BASS error
// code.
int ReadReplyHead(NetConnection& c, uint32_t timeoutMs, NetReply& reply) {
  reply.lines.clear();
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  std::string line;
  for (;;) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return BASS_ERROR_TIMEOUT;
    if (!c.ReceiveLine(line, kMaxHeaderLine, static_cast<uint32_t>(deadline - now)))
      return c.TimedOut() ? BASS_ERROR_TIMEOUT : BASS_ERROR_FILEOPEN;
    if (reply.lines.empty()) {
      reply.lines.push_back(line);
      continue;
    }
    if (line.empty()) return BASS_OK;
    if (reply.lines.size() > kMaxHeaderLines || line.find(':') == std::string::npos) return BASS_ERROR_FILEOPEN;
    reply.lines.push_back(line);
  }
}

// The status code of "HTTP/1.x NNN ..." or "ICY NNN ..."; 0 when malformed.
int StatusOf(const std::string& line, bool& icy) {
  icy = line.rfind("ICY ", 0) == 0;
  if (!icy && line.rfind("HTTP/", 0) != 0) return 0;
  size_t space = line.find(' ');
  if (space == std::string::npos || line.size() < space + 4) return 0;
  uint64_t code = 0;
  if (!ParseNumber(line.substr(space + 1, 3), 999, code) || code < 100) return 0;
  return static_cast<int>(code);
}

// Location may be absolute or a path on the same host.
bool ResolveLocation(const NetUrl& base, const std::string& location, NetUrl& next) {
  if (location.find("://") != std::string::npos) return ParseNetUrl(location, next) && next.scheme == "http";
  if (location.empty() || location.front() != '/') return false;
  next = base;
  next.path = location;
  return true;
}

int OpenHttp(NetUrl url, const NetOptions& options, NetReply& reply) {
  for (int hop = 0; hop <= kMaxRedirects; ++hop) {
    NetProxy proxy = options.useProxy ? SystemProxy(url) : NetProxy{};
    auto c = std::make_unique<NetConnection>();
    const bool viaProxy = !proxy.host.empty();
    if (int error = c->Connect(viaProxy ? proxy.host : url.host, viaProxy ? proxy.port : url.port, options.timeoutMs))
      return error;
    std::string hostField = url.host + (url.port != 80 ? ":" + std::to_string(url.port) : "");
    std::string target = viaProxy ? "http://" + hostField + url.path : url.path;
    std::string request = "GET " + target + " HTTP/1.0\r\nHost: " + hostField +
                          "\r\nUser-Agent: Tavrin\r\nAccept: */*\r\nIcy-MetaData: 1\r\nConnection: close\r\n";
    if (options.offset > 0) request += "Range: bytes=" + std::to_string(options.offset) + "-\r\n";
    request += "\r\n";
    if (!c->SendAll(request, options.timeoutMs)) return c->TimedOut() ? BASS_ERROR_TIMEOUT : BASS_ERROR_NONET;
    if (int error = ReadReplyHead(*c, options.timeoutMs, reply)) return error;
    const int status = StatusOf(reply.lines.front(), reply.icy);
    std::string value;
    if (status >= 300 && status < 400 && FindHeader(reply.lines, "location", value)) {
      NetUrl next;
      if (!ResolveLocation(url, Trim(value), next)) return BASS_ERROR_FILEOPEN;
      url = next;
      continue;
    }
    if (status < 200 || status >= 300) return BASS_ERROR_FILEOPEN;
    uint64_t number = 0;
    if (FindHeader(reply.lines, "content-length", value) && ParseNumber(value, ~uint64_t{0} >> 2, number)) {
      reply.hasLength = true;
      reply.length = number;
    }
    if (FindHeader(reply.lines, "transfer-encoding", value) && Lower(Trim(value)) == "chunked") {
      reply.chunked = true;
      reply.hasLength = false;
    }
    if (options.offset > 0) {
      // 206 names where its body starts; it may start before the offset
      // asked for, never after.
      uint64_t start = 0;
      if (status == 206 && FindHeader(reply.lines, "content-range", value)) {
        const std::string range = Lower(value);
        const size_t digits = range.find_first_of("0123456789");
        if (range.rfind("bytes", 0) != 0 || digits == std::string::npos ||
            !ParseNumber(range.substr(digits, range.find('-', digits) - digits), ~uint64_t{0} >> 2, start) ||
            start > options.offset)
          return BASS_ERROR_FILEOPEN;
      } else if (status == 206) {
        start = options.offset;
      }
      reply.skip = options.offset - start;
    }
    // An interval beyond any real server's is taken for a lie: no metadata.
    if (FindHeader(reply.lines, "icy-metaint", value) && ParseNumber(value, 1 << 20, number))
      reply.metaInterval = static_cast<uint32_t>(number);
    reply.connection = std::move(c);
    return BASS_OK;
  }
  return BASS_ERROR_FILEOPEN;
}

// One FTP reply, multi-line ones included; its code or 0.
int FtpReply(NetConnection& c, uint32_t timeoutMs, std::string& text) {
  std::string line;
  for (size_t count = 0; count < kMaxHeaderLines; ++count) {
    if (!c.ReceiveLine(line, kMaxHeaderLine, timeoutMs)) return 0;
    if (line.size() >= 4 && std::isdigit(static_cast<unsigned char>(line[0])) && line[3] == ' ') {
      text = line;
      return std::atoi(line.substr(0, 3).c_str());
    }
  }
  return 0;
}

int FtpCommand(NetConnection& c, const std::string& command, uint32_t timeoutMs, std::string& text) {
  if (!c.SendAll(command + "\r\n", timeoutMs)) return 0;
  return FtpReply(c, timeoutMs, text);
}

int OpenFtp(const NetUrl& url, const NetOptions& options, NetReply& reply) {
  const uint32_t t = options.timeoutMs;
  // An FTP URL's path is relative to where the login lands.
  const std::string path = url.path.substr(1);
  auto control = std::make_unique<NetConnection>();
  if (int error = control->Connect(url.host, url.port, t)) return error;
  std::string text;
  auto failed = [&] { return control->TimedOut() ? BASS_ERROR_TIMEOUT : BASS_ERROR_FILEOPEN; };
  if (FtpReply(*control, t, text) != 220) return failed();
  int code = FtpCommand(*control, "USER " + (url.user.empty() ? std::string("anonymous") : url.user), t, text);
  if (code == 331) code = FtpCommand(*control, "PASS " + (url.password.empty() ? std::string("tavrin@") : url.password), t, text);
  if (code != 230) return failed();
  if (FtpCommand(*control, "TYPE I", t, text) != 200) return failed();
  uint64_t size = 0;
  if (FtpCommand(*control, "SIZE " + path, t, text) == 213 && ParseNumber(text.substr(4), ~uint64_t{0} >> 2, size)) {
    reply.hasLength = true;
    reply.length = size > options.offset ? size - options.offset : 0;
  }
  if (FtpCommand(*control, "PASV", t, text) != 227) return failed();
  unsigned h[4], p[2];
  size_t open = text.find('(');
  if (open == std::string::npos ||
      std::sscanf(text.c_str() + open, "(%u,%u,%u,%u,%u,%u", &h[0], &h[1], &h[2], &h[3], &p[0], &p[1]) != 6 ||
      p[0] > 255 || p[1] > 255)
    return BASS_ERROR_FILEOPEN;
  // The data connection goes to the control connection's peer, never to
  // another address the reply names.
  auto data = std::make_unique<NetConnection>();
  const uint16_t dataPort = static_cast<uint16_t>(p[0] * 256 + p[1]);
  if (int error = data->Connect(control->PeerAddress(), dataPort, t)) return error;
  if (options.offset > 0 && FtpCommand(*control, "REST " + std::to_string(options.offset), t, text) != 350)
    return failed();
  code = FtpCommand(*control, "RETR " + path, t, text);
  if (code != 150 && code != 125) return failed();
  reply.lines = {text};
  reply.connection = std::move(data);
  reply.control = std::move(control);
  return BASS_OK;
}

}  // namespace

bool ParseNetUrl(const std::string& text, NetUrl& url) {
  size_t scheme = text.find("://");
  if (scheme == std::string::npos || text.size() > 2048) return false;
  url = NetUrl{};
  url.scheme = Lower(text.substr(0, scheme));
  if (url.scheme == "http") url.port = 80;
  else if (url.scheme == "ftp") url.port = 21;
  else return false;
  std::string rest = text.substr(scheme + 3);
  size_t slash = rest.find('/');
  std::string authority = rest.substr(0, slash);
  url.path = slash == std::string::npos ? "/" : rest.substr(slash);
  for (char c : url.path)
    if (static_cast<unsigned char>(c) <= ' ') return false;  // would break the request line
  size_t at = authority.rfind('@');
  if (at != std::string::npos) {
    std::string credentials = authority.substr(0, at);
    authority = authority.substr(at + 1);
    size_t colon = credentials.find(':');
    url.user = credentials.substr(0, colon);
    if (colon != std::string::npos) url.password = credentials.substr(colon + 1);
  }
  return SplitHostPort(authority, url.host, url.port);
}

bool FindHeader(const std::vector<std::string>& lines, const std::string& name, std::string& value) {
  for (size_t i = 1; i < lines.size(); ++i) {
    size_t colon = lines[i].find(':');
    if (colon != std::string::npos && Lower(Trim(lines[i].substr(0, colon))) == name) {
      value = Trim(lines[i].substr(colon + 1));
      return true;
    }
  }
  return false;
}

NetProxy ChooseProxy(const NetUrl& url, bool enabled, const std::string& settings, const std::string& bypass) {
  NetProxy none;
  if (!enabled || settings.empty() || IsLoopback(url.host)) return none;
  size_t from = 0;
  while (from <= bypass.size()) {
    size_t end = bypass.find(';', from);
    if (end == std::string::npos) end = bypass.size();
    if (MatchesPattern(Lower(url.host), Lower(Trim(bypass.substr(from, end - from))))) return none;
    from = end + 1;
  }
  std::string entry = settings;
  if (settings.find('=') != std::string::npos) {
    entry.clear();
    const std::string key = url.scheme + "=";
    size_t at = Lower(settings).find(key);
    if (at == std::string::npos) return none;
    size_t end = settings.find(';', at);
    entry = settings.substr(at + key.size(), end == std::string::npos ? std::string::npos : end - at - key.size());
  }
  NetProxy proxy;
  proxy.port = 80;
  if (!SplitHostPort(Trim(entry), proxy.host, proxy.port)) return none;
  return proxy;
}

NetProxy SystemProxy(const NetUrl& url) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", 0,
                    KEY_READ, &key) != ERROR_SUCCESS)
    return {};
  DWORD enabled = 0, type = 0, size = sizeof(enabled);
  if (RegQueryValueExA(key, "ProxyEnable", nullptr, &type, reinterpret_cast<BYTE*>(&enabled), &size) != ERROR_SUCCESS ||
      type != REG_DWORD)
    enabled = 0;
  std::string server = RegistryText(key, "ProxyServer");
  std::string bypass = RegistryText(key, "ProxyOverride");
  RegCloseKey(key);
  // Only HTTP goes through a proxy: FTP through an HTTP proxy is not spoken.
  if (url.scheme != "http") return {};
  return ChooseProxy(url, enabled != 0, server, bypass);
}

int OpenNetSource(const NetUrl& url, const NetOptions& options, NetReply& reply) {
  reply = NetReply{};
  return url.scheme == "ftp" ? OpenFtp(url, options, reply) : OpenHttp(url, options, reply);
}

}  // namespace bass_core
