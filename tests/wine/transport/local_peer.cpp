#include "transport/local_peer.h"

namespace zm::tests {
namespace {

bool WaitReadable(SOCKET s, DWORD timeoutMs) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval wait{static_cast<long>(timeoutMs / 1000), static_cast<long>((timeoutMs % 1000) * 1000)};
  return select(0, &set, nullptr, nullptr, &wait) > 0;
}

}  // namespace

LocalPeer::LocalPeer() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  m_listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int size = sizeof address;
  if (bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && listen(m_listener, 4) == 0 &&
      getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
    m_nPort = ntohs(address.sin_port);
  }
}

LocalPeer::~LocalPeer() {
  Close();
  closesocket(m_listener);
  WSACleanup();
}

bool LocalPeer::Accept(DWORD timeoutMs) {
  if (!WaitReadable(m_listener, timeoutMs)) return false;
  m_client = accept(m_listener, nullptr, nullptr);
  return m_client != INVALID_SOCKET;
}

std::string LocalPeer::Receive(size_t count, DWORD quietMs) {
  std::string bytes;
  char buffer[4096];
  while (bytes.size() < count && WaitReadable(m_client, quietMs)) {
    const size_t want = count - bytes.size() < sizeof buffer ? count - bytes.size() : sizeof buffer;
    const int n = recv(m_client, buffer, static_cast<int>(want), 0);
    if (n <= 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  return bytes;
}

bool LocalPeer::Send(std::span<const uint8_t> bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const int n = send(m_client, reinterpret_cast<const char*>(bytes.data()) + done,
                       static_cast<int>(bytes.size() - done), 0);
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool LocalPeer::Send(const std::string& bytes) {
  return Send(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

void LocalPeer::Close() {
  if (m_client != INVALID_SOCKET) {
    shutdown(m_client, SD_BOTH);
    closesocket(m_client);
    m_client = INVALID_SOCKET;
  }
}

}  // namespace zm::tests
