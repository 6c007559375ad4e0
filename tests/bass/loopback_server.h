// A small HTTP-like server for the internet stream tests, inside the test
// process: bound to 127.0.0.1 only, on a port of the system's choosing, each
// connection served on a thread of its own by the handler of its request
// path. It serves a bounded number of connections and stops with the object;
// handlers that wait use Wait, which returns early when the server stops.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace bass_test {

class LoopbackServer {
 public:
  // Writes to one client; false once the client has gone or the server stops.
  class Client {
   public:
    bool Send(const std::string& bytes);
    // Waits ms milliseconds; false when the server stopped meanwhile.
    bool Wait(unsigned ms);
    // A line from the client without its CR LF; false after 3 s or at its end.
    bool ReceiveLine(std::string& line);
    // The request's head as it came (empty for a server that reads none).
    const std::string& Request() const { return FRequest; }

   private:
    friend class LoopbackServer;
    Client(LoopbackServer& server, uintptr_t socket) : FServer(server), FSocket(socket) {}
    LoopbackServer& FServer;
    uintptr_t FSocket;
    std::string FPending;
    std::string FRequest;
  };
  using Handler = std::function<void(Client&)>;

  // A server that reads no request: every connection goes to the handler of
  // the path "" at once (a server that speaks first, or a data port).
  explicit LoopbackServer(bool readsRequest = true);
  ~LoopbackServer();

  void Route(const std::string& path, Handler handler);
  // "http://127.0.0.1:<port>" + path.
  std::string Url(const std::string& path) const;
  uint16_t Port() const { return FPort; }
  // Requests seen so far, by path.
  int Requests(const std::string& path);

 private:
  void AcceptLoop();
  void Serve(uintptr_t socket);

  static constexpr int kMaxConnections = 64;
  bool FReadsRequest;
  uintptr_t FListener;
  uint16_t FPort = 0;
  std::atomic<bool> FStopping{false};
  std::mutex FMutex;
  std::condition_variable FStopped;
  std::map<std::string, Handler> FRoutes;
  std::map<std::string, int> FCounts;
  std::vector<std::thread> FClients;
  std::thread FAcceptor;
};

}  // namespace bass_test
