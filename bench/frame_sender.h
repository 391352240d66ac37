// A local sender for the benchmarks: listens on 127.0.0.1, takes one client's request and
// streams a run of equal frames to it from a prepared buffer, on a thread of its own: bare, or
// after a server reply as the TCP, HTTP (one chunk a message) and HTTPS transports carry it.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace zm::bench {

// How the frames travel: the bare frames, or a reply and the frames over TCP, inside one
// chunked HTTP response, or inside a TLS 1.2 session.
enum class Framing { Bare, Tcp, Http, Https };

class FrameSender {
 public:
  FrameSender(uint32_t payloadBytes, uint32_t frames, Framing framing = Framing::Bare);
  ~FrameSender();
  FrameSender(const FrameSender&) = delete;
  FrameSender& operator=(const FrameSender&) = delete;

  uint16_t Port() const { return m_nPort; }
  uint64_t TotalBytes() const { return static_cast<uint64_t>(m_frameBytes) * m_nFrames; }
  // The suite the HTTPS sender's session agreed on, once the handshake is done.
  const std::string& CipherSuite() const { return m_sCipherSuite; }
  // Starts accepting and sending; the client connects afterwards.
  void Start();
  void Join();

 private:
  void Run();
  // Sends everything; false when the client went away.
  bool SendAll(SOCKET client, void* tls, const char* bytes, size_t size);

  SOCKET m_listener = INVALID_SOCKET;
  uint16_t m_nPort = 0;
  uint32_t m_nFrames;
  size_t m_frameBytes;
  Framing m_framing;
  std::vector<char> m_prelude;  // what goes before the frames
  std::vector<char> m_chunk;    // whole frames (each in its HTTP chunk), sent in one call each
  std::string m_sCipherSuite;
  std::thread m_thread;
};

}  // namespace zm::bench
