// A scripted peer on 127.0.0.1 for tests that must see or control the exact bytes on the
// wire: it listens on a free port, accepts one client, and sends and receives on demand.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>

namespace zm::tests {

class LocalPeer {
 public:
  LocalPeer() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    m_listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    auto* any = reinterpret_cast<sockaddr*>(&address);
    if (bind(m_listener, any, size) == 0 && listen(m_listener, 4) == 0 && getsockname(m_listener, any, &size) == 0)
      m_nPort = ntohs(address.sin_port);
  }
  ~LocalPeer() {
    Close();
    closesocket(m_listener);
    WSACleanup();
  }
  LocalPeer(const LocalPeer&) = delete;
  LocalPeer& operator=(const LocalPeer&) = delete;

  uint16_t Port() const { return m_nPort; }
  // Accepts the client that has connected (the connection completes in the backlog).
  bool Accept(DWORD timeoutMs = 5000) {
    if (!WaitReadable(m_listener, timeoutMs)) return false;
    m_client = accept(m_listener, nullptr, nullptr);
    return m_client != INVALID_SOCKET;
  }
  // Receives until `count` bytes have come or nothing more comes within quietMs.
  std::string Receive(size_t count, DWORD quietMs = 1000) {
    std::string bytes;
    char buffer[4096];
    while (bytes.size() < count && WaitReadable(m_client, quietMs)) {
      const int n = recv(m_client, buffer, static_cast<int>(std::min(count - bytes.size(), sizeof buffer)), 0);
      if (n <= 0) break;
      bytes.append(buffer, static_cast<size_t>(n));
    }
    return bytes;
  }
  bool Send(std::span<const uint8_t> bytes) {
    for (size_t done = 0; done < bytes.size();) {
      const int n =
          send(m_client, reinterpret_cast<const char*>(bytes.data()) + done, static_cast<int>(bytes.size() - done), 0);
      if (n <= 0) return false;
      done += static_cast<size_t>(n);
    }
    return true;
  }
  void Close() {
    if (m_client == INVALID_SOCKET) return;
    shutdown(m_client, SD_BOTH);
    closesocket(m_client);
    m_client = INVALID_SOCKET;
  }
  bool IsClientOpen() const { return m_client != INVALID_SOCKET; }
  // The accepted connection, for a peer that speaks through a library of its own.
  SOCKET Client() const { return m_client; }

 private:
  static bool WaitReadable(SOCKET s, DWORD timeoutMs) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval wait{static_cast<long>(timeoutMs / 1000), static_cast<long>((timeoutMs % 1000) * 1000)};
    return select(0, &set, nullptr, nullptr, &wait) > 0;
  }

  SOCKET m_listener = INVALID_SOCKET;
  SOCKET m_client = INVALID_SOCKET;
  uint16_t m_nPort = 0;
};

}  // namespace zm::tests
