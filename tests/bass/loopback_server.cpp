#include "loopback_server.h"

#include <winsock2.h>

#include <chrono>

namespace bass_test {

namespace {

// The request line's path, and the whole head; empty when the head does not
// arrive in time or runs past a few kilobytes.
std::string ReadRequestPath(SOCKET s, std::string& head) {
  char block[1024];
  while (head.find("\r\n\r\n") == std::string::npos && head.size() < 8192) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval tv{3, 0};
    if (select(0, &set, nullptr, nullptr, &tv) <= 0) return {};
    int n = recv(s, block, sizeof(block), 0);
    if (n <= 0) return {};
    head.append(block, static_cast<size_t>(n));
  }
  size_t first = head.find(' ');
  size_t second = head.find(' ', first + 1);
  if (first == std::string::npos || second == std::string::npos) return {};
  std::string target = head.substr(first + 1, second - first - 1);
  // A proxy-style absolute target keeps only its path.
  if (size_t scheme = target.find("://"); scheme != std::string::npos) {
    size_t slash = target.find('/', scheme + 3);
    target = slash == std::string::npos ? "/" : target.substr(slash);
  }
  return target;
}

}  // namespace

bool LoopbackServer::Client::Send(const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size() && !FServer.FStopping) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(FSocket, &set);
    timeval tv{0, 200000};
    int ready = select(0, nullptr, &set, nullptr, &tv);
    if (ready < 0) return false;
    if (ready == 0) continue;
    int n = send(FSocket, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return sent == bytes.size();
}

bool LoopbackServer::Client::Wait(unsigned ms) {
  std::unique_lock lock(FServer.FMutex);
  return !FServer.FStopped.wait_for(lock, std::chrono::milliseconds(ms), [&] { return FServer.FStopping.load(); });
}

bool LoopbackServer::Client::ReceiveLine(std::string& line) {
  char block[256];
  while (FPending.find("\r\n") == std::string::npos && FPending.size() < 4096) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(FSocket, &set);
    timeval tv{3, 0};
    if (FServer.FStopping || select(0, &set, nullptr, nullptr, &tv) <= 0) return false;
    int n = recv(FSocket, block, sizeof(block), 0);
    if (n <= 0) return false;
    FPending.append(block, static_cast<size_t>(n));
  }
  size_t end = FPending.find("\r\n");
  if (end == std::string::npos) return false;
  line = FPending.substr(0, end);
  FPending.erase(0, end + 2);
  return true;
}

LoopbackServer::LoopbackServer(bool readsRequest) : FReadsRequest(readsRequest), FListener(INVALID_SOCKET) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  if (s != INVALID_SOCKET && bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
      listen(s, 16) == 0) {
    int length = sizeof(address);
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    FPort = ntohs(address.sin_port);
    FListener = s;
    FAcceptor = std::thread([this] { AcceptLoop(); });
  } else if (s != INVALID_SOCKET) {
    closesocket(s);
  }
}

LoopbackServer::~LoopbackServer() {
  {
    std::lock_guard lock(FMutex);
    FStopping = true;
  }
  FStopped.notify_all();
  if (FAcceptor.joinable()) FAcceptor.join();
  for (std::thread& t : FClients) t.join();
  if (FListener != INVALID_SOCKET) closesocket(FListener);
  WSACleanup();
}

void LoopbackServer::Route(const std::string& path, Handler handler) {
  std::lock_guard lock(FMutex);
  FRoutes[path] = std::move(handler);
}

std::string LoopbackServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(FPort) + path;
}

int LoopbackServer::Requests(const std::string& path) {
  std::lock_guard lock(FMutex);
  return FCounts[path];
}

void LoopbackServer::AcceptLoop() {
  int accepted = 0;
  while (!FStopping && accepted < kMaxConnections) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(FListener, &set);
    timeval tv{0, 100000};
    if (select(0, &set, nullptr, nullptr, &tv) <= 0) continue;
    SOCKET s = accept(FListener, nullptr, nullptr);
    if (s == INVALID_SOCKET) continue;
    ++accepted;
    std::lock_guard lock(FMutex);
    FClients.emplace_back([this, s] { Serve(s); });
  }
}

void LoopbackServer::Serve(uintptr_t s) {
  std::string head;
  std::string path = FReadsRequest ? ReadRequestPath(s, head) : std::string();
  Handler handler;
  {
    std::lock_guard lock(FMutex);
    ++FCounts[path];
    if (auto it = FRoutes.find(path); it != FRoutes.end()) handler = it->second;
  }
  Client client(*this, s);
  client.FRequest = std::move(head);
  if (handler) handler(client);
  else client.Send("HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n");
  shutdown(s, SD_SEND);
  closesocket(s);
}

}  // namespace bass_test
