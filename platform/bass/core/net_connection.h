// One TCP connection over Winsock with every wait bounded: connecting,
// sending and receiving each give up after the timeout, and Abort (from any
// thread) wakes a blocked receive at once.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

namespace bass_core {

class NetConnection {
 public:
  NetConnection();
  ~NetConnection();
  NetConnection(const NetConnection&) = delete;
  NetConnection& operator=(const NetConnection&) = delete;

  // A BASS error code: BASS_ERROR_NONET when the host is unknown or refuses,
  // BASS_ERROR_TIMEOUT when it does not answer in time.
  int Connect(const std::string& host, uint16_t port, uint32_t timeoutMs);
  bool SendAll(const std::string& data, uint32_t timeoutMs);
  // Bytes received (at most count); 0 when the peer closed; -1 on a timeout,
  // an error or after Abort.
  int Receive(void* buffer, size_t count, uint32_t timeoutMs);
  // A line ended by LF (CR LF accepted), without the end. False when the line
  // runs past maxLength, the peer closes first, or a receive fails.
  bool ReceiveLine(std::string& line, size_t maxLength, uint32_t timeoutMs);
  // Receives exactly count bytes; false when fewer came.
  bool ReceiveExactly(void* buffer, size_t count, uint32_t timeoutMs);
  bool TimedOut() const { return FTimedOut; }
  // The dotted address of the connected peer.
  std::string PeerAddress() const;
  void Abort();

 private:
  uintptr_t FSocket;
  bool FStarted = false;
  bool FTimedOut = false;
  std::atomic<bool> FAborted{false};
  // Bytes received ahead of a line's end, handed out first.
  std::string FPending;
};

}  // namespace bass_core
