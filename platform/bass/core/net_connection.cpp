#include "bass/core/net_connection.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include "bass/bass_api.h"

namespace bass_core {

namespace {

// Under Wine a shutdown from another thread does not wake a select, so a
// wait goes in slices of this length and looks for an abort between them.
constexpr uint32_t kWaitSliceMs = 50;

// Waits until the socket can be read (or written); false on a timeout, an
// error or an abort.
bool WaitFor(SOCKET s, bool write, uint32_t timeoutMs, const std::atomic<bool>& aborted, bool& timedOut) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    timedOut = false;
    if (aborted) return false;
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline && timeoutMs > 0) {
      timedOut = true;
      return false;
    }
    const uint32_t slice = static_cast<uint32_t>(std::min<ULONGLONG>(kWaitSliceMs, deadline - std::min(deadline, now)));
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    fd_set errors = set;
    timeval tv{0, static_cast<long>(slice * 1000)};
    int n = select(0, write ? nullptr : &set, write ? &set : nullptr, &errors, &tv);
    if (n < 0) return false;
    if (n > 0) return FD_ISSET(s, &set);
    if (timeoutMs == 0) {
      timedOut = true;
      return false;
    }
  }
}

}  // namespace

NetConnection::NetConnection() : FSocket(INVALID_SOCKET) {
  WSADATA data;
  FStarted = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

NetConnection::~NetConnection() {
  if (FSocket != INVALID_SOCKET) closesocket(FSocket);
  if (FStarted) WSACleanup();
}

int NetConnection::Connect(const std::string& host, uint16_t port, uint32_t timeoutMs) {
  if (!FStarted) return BASS_ERROR_NONET;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  if (getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0 || !found) return BASS_ERROR_NONET;
  SOCKET s = socket(found->ai_family, found->ai_socktype, found->ai_protocol);
  if (s == INVALID_SOCKET) {
    freeaddrinfo(found);
    return BASS_ERROR_NONET;
  }
  u_long nonBlocking = 1;
  ioctlsocket(s, FIONBIO, &nonBlocking);
  int rc = connect(s, found->ai_addr, static_cast<int>(found->ai_addrlen));
  freeaddrinfo(found);
  int error = BASS_OK;
  if (rc != 0 && WSAGetLastError() != WSAEWOULDBLOCK) {
    error = BASS_ERROR_NONET;
  } else if (rc != 0) {
    bool timedOut = false;
    if (!WaitFor(s, true, timeoutMs, FAborted, timedOut)) {
      error = timedOut ? BASS_ERROR_TIMEOUT : BASS_ERROR_NONET;
    } else {
      int soError = 0;
      int length = sizeof(soError);
      getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &length);
      if (soError != 0) error = BASS_ERROR_NONET;
    }
  }
  if (error != BASS_OK) {
    closesocket(s);
    return error;
  }
  FSocket = s;
  return BASS_OK;
}

bool NetConnection::SendAll(const std::string& data, uint32_t timeoutMs) {
  size_t sent = 0;
  while (sent < data.size()) {
    if (FSocket == INVALID_SOCKET || !WaitFor(FSocket, true, timeoutMs, FAborted, FTimedOut)) return false;
    int n = send(FSocket, data.data() + sent, static_cast<int>(std::min<size_t>(data.size() - sent, 1 << 16)), 0);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

int NetConnection::Receive(void* buffer, size_t count, uint32_t timeoutMs) {
  if (!FPending.empty()) {
    size_t n = std::min(count, FPending.size());
    std::memcpy(buffer, FPending.data(), n);
    FPending.erase(0, n);
    return static_cast<int>(n);
  }
  SOCKET s = FSocket;
  if (s == INVALID_SOCKET) return -1;
  bool timedOut = false;
  if (!WaitFor(s, false, timeoutMs, FAborted, timedOut)) {
    FTimedOut = timedOut;
    return -1;
  }
  int n = recv(s, static_cast<char*>(buffer), static_cast<int>(std::min<size_t>(count, 1 << 16)), 0);
  return n < 0 ? -1 : n;
}

bool NetConnection::ReceiveLine(std::string& line, size_t maxLength, uint32_t timeoutMs) {
  line.clear();
  // The whole line must come within the timeout: a server trickling a byte
  // at a time cannot stretch the wait.
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  char block[512];
  for (;;) {
    size_t end = FPending.find('\n');
    if (end != std::string::npos) {
      if (end > maxLength) return false;
      line.assign(FPending, 0, end);
      FPending.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return true;
    }
    if (FPending.size() > maxLength) return false;
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) {
      FTimedOut = true;
      return false;
    }
    std::string held;
    held.swap(FPending);
    int n = Receive(block, sizeof(block), static_cast<uint32_t>(deadline - now));
    held.swap(FPending);
    if (n <= 0) return false;
    FPending.append(block, static_cast<size_t>(n));
  }
}

bool NetConnection::ReceiveExactly(void* buffer, size_t count, uint32_t timeoutMs) {
  auto* out = static_cast<char*>(buffer);
  size_t done = 0;
  while (done < count) {
    int n = Receive(out + done, count - done, timeoutMs);
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

std::string NetConnection::PeerAddress() const {
  sockaddr_in address{};
  int length = sizeof(address);
  if (FSocket == INVALID_SOCKET || getpeername(FSocket, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    return {};
  char text[INET_ADDRSTRLEN] = {};
  const uint8_t* b = reinterpret_cast<const uint8_t*>(&address.sin_addr);
  snprintf(text, sizeof(text), "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
  return text;
}

void NetConnection::Abort() {
  // The flag ends a wait of another thread within a slice; the socket itself
  // is closed only by the destructor, so its number cannot be reused meanwhile.
  FAborted = true;
  if (FSocket != INVALID_SOCKET) shutdown(FSocket, SD_BOTH);
}

}  // namespace bass_core
