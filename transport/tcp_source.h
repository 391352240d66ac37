// CZTcpMediaFramesSource: the media server protocol over one plain TCP connection; the
// request goes out on connecting, commands are written on the same connection.
//
// Threads: Connect, ReadExact and Disconnect run on the grabber thread (Disconnect also
// in the watchdog's APC there); SendCommand runs on the grabber or the control's thread,
// possibly while the grabber is blocked in recv. The socket is atomic, not locked.
// ReadExact serves small reads from one read-ahead recv and receives large remainders
// straight into the caller's buffer.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atomic>

#include "transport/network_source.h"
#include "transport/read_ahead_buffer.h"

namespace zm::transport {

// The server's address from a dotted address or a host name; raises CannotResolve.
in_addr ResolveServerOrRaise(const std::string& host);
// A stream socket with TCP_NODELAY on and no receive buffering where the host allows it.
SOCKET NewStreamSocket();

class CZTcpMediaFramesSource : public CZNetworkMediaFramesSource {
 public:
  explicit CZTcpMediaFramesSource(uint16_t port);
  ~CZTcpMediaFramesSource() override;

  BOOL Connect(std::wstring& errorText) override;
  BOOL Disconnect(std::wstring& errorText) override;
  BOOL SendCommand(const std::string& command, std::wstring& errorText) override;
  void SetPort(uint16_t port) override;
  void SetNonBlocking() override;
  BOOL ReadExact(void* buffer, uint32_t count) override;
  virtual BOOL SendRequest();

  uint16_t Port() const { return m_nPort; }
  bool IsConnected() const { return m_socket.load() != INVALID_SOCKET; }

 protected:
  std::atomic<SOCKET> m_socket{INVALID_SOCKET};
  uint16_t m_nPort = 0;
  LONG m_nKeepAlive = 0;  // the multicast transport keeps its control connection alive

 private:
  bool m_bWinsockStarted = false;
  ReadAheadBuffer m_readAhead{ReadAheadBuffer::kSocketCapacity};  // grabber thread only
};

}  // namespace zm::transport
