// CZHttpsMediaFramesSource: the TCP transport's protocol, unchanged, inside a TLS 1.2
// session (wolfSSL's client through its CyaSSL API); no HTTP framing and no certificate
// check. Port 443 unless the host says otherwise.
//
// Threads: Connect and ReadExact run on the grabber thread; SendCommand on the grabber or
// the control's thread while a read may be waiting; Disconnect on either, or in the
// watchdog's APC on the grabber thread (from another thread it only shuts the socket down,
// which ends a handshake or read at once; the grabber thread or the destructor closes it). One TLS session does not
// take a read and a write at once, so every call into it holds m_lock, and the socket is non-blocking after the
// handshake: a read waits for data outside the lock (alertably, so the watchdog can end it)
// and a command never waits behind a read.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atomic>

#include "com/critical_section.h"
#include "com/unique_handle.h"
#include "transport/network_source.h"
#include "transport/read_ahead_buffer.h"

// The library's own structures, which the CyaSSL names stand for.
struct WOLFSSL_CTX;
struct WOLFSSL;

namespace zm::transport {

class CZHttpsMediaFramesSource : public CZNetworkMediaFramesSource {
 public:
  static constexpr uint16_t kDefaultPort = 443;

  explicit CZHttpsMediaFramesSource(uint16_t port = kDefaultPort);
  ~CZHttpsMediaFramesSource() override;

  BOOL Connect(std::wstring& errorText) override;
  BOOL Disconnect(std::wstring& errorText) override;
  BOOL SendCommand(const std::string& command, std::wstring& errorText) override;
  void SetPort(uint16_t port) override;
  void SetNonBlocking() override {}
  BOOL ReadExact(void* buffer, uint32_t count) override;

  uint16_t Port() const { return m_nPort; }

 private:
  // Waits for the socket to become readable or writable (or to close): a slice at most, so
  // that a Disconnect from another thread is noticed; alertable for the watchdog's APC.
  void WaitForSocket(DWORD sliceMs);
  // Repeats a handshake step or the request's write (`call` > 0 when done) until it is done,
  // waiting for the socket between tries; raises `failure` when it fails or is told to stop.
  template <typename Call>
  void RunUntilDone(Call call, protocol::SourceFailure failure);
  // After a call into the session that found the socket not ready: the first time resets the
  // socket's event (the call is then tried again), the next waits for it.
  void AwaitSocket(bool& eventReset);
  // At most `capacity` decrypted bytes into `into`, waiting for them; -1 when the session
  // closed, failed or was disconnected.
  int ReadSome(char* into, uint32_t capacity);
  // The session's receive: serves the ciphertext it asks for from m_cipherReadAhead, which one
  // recv fills with all the socket holds (the library asks for each record's header and body
  // apart, and every recv is a trip through the system). Answers the library's codes.
  static int ReceiveCiphertext(WOLFSSL* session, char* into, int size, void* source);
  // Frees the session and the context; the caller holds m_lock.
  void FreeTls();
  // Takes the socket out and closes it.
  void DropSocket();

  uint16_t m_nPort = kDefaultPort;
  std::atomic<SOCKET> m_socket{INVALID_SOCKET};
  // The thread that connects, reads and closes the socket; others only shut it down.
  std::atomic<DWORD> m_nOwnerThread{0};
  std::atomic<bool> m_bStopping{false};  // a Disconnect from another thread came during Connect
  WOLFSSL_CTX* m_pTlsContext = nullptr;
  WOLFSSL* m_pTlsSession = nullptr;
  // Set once the handshake is done, cleared by Disconnect: only an open session is shut down,
  // read or written from a thread other than Connect's.
  std::atomic<bool> m_bOpen{false};
  com::CriticalSection m_lock;       // every call into the TLS session
  com::UniqueHandle m_hSocketEvent;  // WSAEventSelect's event: readable, writable or closed
  ReadAheadBuffer m_readAhead{ReadAheadBuffer::kRecordCapacity};  // decrypted bytes; grabber thread only
  // Received bytes the session has not taken yet; used inside the session's calls only.
  ReadAheadBuffer m_cipherReadAhead{ReadAheadBuffer::kSocketCapacity};
  bool m_bWinsockStarted = false;
  bool m_bTlsStarted = false;
};

}  // namespace zm::transport
