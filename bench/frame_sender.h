// A local sender for the benchmark: listens on 127.0.0.1, takes one client's request and
// streams a run of equal frames to it from a prepared buffer, on a thread of its own.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <thread>
#include <vector>

namespace zm::bench {

class FrameSender {
 public:
  FrameSender(uint32_t payloadBytes, uint32_t frames);
  ~FrameSender();
  FrameSender(const FrameSender&) = delete;
  FrameSender& operator=(const FrameSender&) = delete;

  uint16_t Port() const { return m_nPort; }
  uint64_t TotalBytes() const { return static_cast<uint64_t>(m_frameBytes) * m_nFrames; }
  // Starts accepting and sending; the client connects afterwards.
  void Start();
  void Join();

 private:
  void Run();

  SOCKET m_listener = INVALID_SOCKET;
  uint16_t m_nPort = 0;
  uint32_t m_nFrames;
  size_t m_frameBytes;
  std::vector<char> m_chunk;  // whole frames, sent in one call each
  std::thread m_thread;
};

}  // namespace zm::bench
