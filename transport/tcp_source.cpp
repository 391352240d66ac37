#include "transport/tcp_source.h"

#include <mstcpip.h>
#include <ws2tcpip.h>

#include <cstring>

#include "transport/source_error.h"

namespace zm::transport {

using namespace protocol;
namespace {

constexpr ULONG kKeepAliveTimeMs = 15000;
constexpr ULONG kKeepAliveIntervalMs = 2000;
constexpr DWORD kCommandRetryMs = 10;

// Wine passes SO_RCVBUF 0 on to the host, whose minimal buffer then caps the TCP window at ~2 KB.
bool HostShrinksZeroReceiveBuffer() {
  static const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  return wine;
}

void SetIntOption(SOCKET s, int level, int name, int value) {
  setsockopt(s, level, name, reinterpret_cast<const char*>(&value), sizeof value);
}

}  // namespace

in_addr ResolveServerOrRaise(const std::string& host) {
  in_addr address{};
  address.s_addr = inet_addr(host.c_str());
  if (address.s_addr != INADDR_NONE) return address;
  const hostent* entry = gethostbyname(host.c_str());
  if (!entry || !entry->h_addr_list || !entry->h_addr_list[0]) RaiseSourceError(SourceFailure::CannotResolve);
  const size_t size =
      entry->h_length < static_cast<short>(sizeof address) ? static_cast<size_t>(entry->h_length) : sizeof address;
  std::memcpy(&address, entry->h_addr_list[0], size);
  return address;
}

SOCKET NewStreamSocket() {
  const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  SetIntOption(s, IPPROTO_TCP, TCP_NODELAY, 1);
  // No socket buffering: the stack delivers straight into the reader's buffers.
  if (!HostShrinksZeroReceiveBuffer()) SetIntOption(s, SOL_SOCKET, SO_RCVBUF, 0);
  return s;
}

CZTcpMediaFramesSource::CZTcpMediaFramesSource(uint16_t port) : m_nPort(port) {
  WSADATA data;
  m_bWinsockStarted = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

CZTcpMediaFramesSource::~CZTcpMediaFramesSource() {
  if (m_bWinsockStarted) WSACleanup();
}

BOOL CZTcpMediaFramesSource::Connect(std::wstring& errorText) {
  errorText.clear();
  return RunOperation(errorText, [&] {
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(m_nPort);
    server.sin_addr = ResolveServerOrRaise(m_sHost);

    m_readAhead.Clear();
    // A socket left by a failed attempt is not carried into this one.
    if (SOCKET old = m_socket.exchange(INVALID_SOCKET); old != INVALID_SOCKET) closesocket(old);
    const SOCKET s = NewStreamSocket();
    m_socket = s;
    if (m_nKeepAlive != 0) {
      SetIntOption(s, SOL_SOCKET, SO_KEEPALIVE, 1);
      tcp_keepalive values{1, kKeepAliveTimeMs, kKeepAliveIntervalMs};
      DWORD returned = 0;
      WSAIoctl(s, SIO_KEEPALIVE_VALS, &values, sizeof values, nullptr, 0, &returned, nullptr, nullptr);
    }
    if (connect(s, reinterpret_cast<const sockaddr*>(&server), sizeof server) < 0)
      RaiseSourceError(SourceFailure::NoResponse);
    if (send(s, m_sRequest.data(), static_cast<int>(m_sRequest.size()), 0) < 0)
      RaiseSourceError(SourceFailure::WinSockError);
  });
}

BOOL CZTcpMediaFramesSource::Disconnect(std::wstring& errorText) {
  CancelWatchdog();
  errorText.clear();
  // Whoever takes the socket out closes it, so a command sent meanwhile finds it gone. The
  // read-ahead bytes belong to a read that may still run on the grabber thread: Connect
  // clears them.
  const SOCKET s = m_socket.exchange(INVALID_SOCKET);
  if (s != INVALID_SOCKET) {
    shutdown(s, SD_BOTH);
    closesocket(s);
  }
  return TRUE;
}

BOOL CZTcpMediaFramesSource::SendCommand(const std::string& command, std::wstring& errorText) {
  errorText.clear();
  return RunOperation(errorText, [&] {
    const SOCKET s = m_socket.load();
    const int size = static_cast<int>(command.size());
    if (send(s, command.data(), size, 0) != SOCKET_ERROR) return;
    if (WSAGetLastError() != WSAEWOULDBLOCK) RaiseSourceError(SourceFailure::WinSockError);
    Sleep(kCommandRetryMs);
    if (send(s, command.data(), size, 0) == SOCKET_ERROR) RaiseSourceError(SourceFailure::WinSockError);
  });
}

void CZTcpMediaFramesSource::SetPort(uint16_t port) { m_nPort = port; }

void CZTcpMediaFramesSource::SetNonBlocking() {
  u_long on = 1;
  ioctlsocket(m_socket.load(), FIONBIO, &on);
}

BOOL CZTcpMediaFramesSource::ReadExact(void* buffer, uint32_t count) {
  if (count == 0) return TRUE;
  // Noted at the first would-block: a non-blocking recv returns at once, so that is as good
  // as the call's start, and a blocking read never needs the clock.
  uint64_t start = 0;
  bool started = false;
  if (m_readAhead.Size() > 0) m_nAtFrameStart = 0;
  const bool read = m_readAhead.Read(static_cast<char*>(buffer), count, [&](char* into, uint32_t capacity) {
    for (;;) {
      const int received = recv(m_socket.load(), into, static_cast<int>(capacity), 0);
      if (received > 0) {
        m_nAtFrameStart = 0;
        return received;
      }
      if (received == 0 || WSAGetLastError() != WSAEWOULDBLOCK) return 0;
      if (m_nAtFrameStart == 1) {
        m_nStoppedAtFrameStart = 1;
        return 0;
      }
      if (!started) {
        start = m_clock.Now();
        started = true;
      } else if (m_clock.Now() - start >= static_cast<uint64_t>(m_nTimeoutMs)) {
        return 0;
      }
      Sleep(1);
    }
  });
  if (!read) return FALSE;
  CountBytes(count);
  return TRUE;
}

BOOL CZTcpMediaFramesSource::SendRequest() {
  return send(m_socket.load(), m_sRequest.data(), static_cast<int>(m_sRequest.size()), 0) != SOCKET_ERROR;
}

}  // namespace zm::transport
