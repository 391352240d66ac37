// A scripted peer on 127.0.0.1 for tests that must see or control the exact bytes on the
// wire: it listens on a free port, accepts one client, and sends and receives on demand.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zm::tests {

class LocalPeer {
 public:
  LocalPeer();
  ~LocalPeer();
  LocalPeer(const LocalPeer&) = delete;
  LocalPeer& operator=(const LocalPeer&) = delete;

  uint16_t Port() const { return m_nPort; }
  // Accepts the client that has connected (the connection completes in the backlog).
  bool Accept(DWORD timeoutMs = 5000);
  // Receives until `count` bytes have come or nothing more comes within quietMs.
  std::string Receive(size_t count, DWORD quietMs = 1000);
  bool Send(std::span<const uint8_t> bytes);
  bool Send(const std::string& bytes);
  // Closes the client connection.
  void Close();
  bool IsClientOpen() const { return m_client != INVALID_SOCKET; }

 private:
  SOCKET m_listener = INVALID_SOCKET;
  SOCKET m_client = INVALID_SOCKET;
  uint16_t m_nPort = 0;
};

}  // namespace zm::tests
