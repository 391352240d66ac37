#include "bench/frame_sender.h"

#include <algorithm>

#include "protocol/media_frame_codec.h"

namespace zm::bench {
namespace {

constexpr size_t kChunkBytes = 256 * 1024;

}  // namespace

FrameSender::FrameSender(uint32_t payloadBytes, uint32_t frames) : m_nFrames(frames) {
  protocol::MediaFrame frame;
  frame.header.streamType = protocol::kStreamTypeVideo;
  frame.header.keyFrame = 1;
  frame.payload.assign(payloadBytes, 0x5A);
  std::vector<uint8_t> one;
  protocol::AppendMediaFrame(frame, one);
  m_frameBytes = one.size();
  const size_t perChunk = std::max<size_t>(1, kChunkBytes / m_frameBytes);
  for (size_t i = 0; i < perChunk; ++i) m_chunk.insert(m_chunk.end(), one.begin(), one.end());

  m_listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int size = sizeof address;
  bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
  listen(m_listener, 1);
  getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size);
  m_nPort = ntohs(address.sin_port);
}

FrameSender::~FrameSender() {
  Join();
  closesocket(m_listener);
}

void FrameSender::Start() {
  m_thread = std::thread([this] { Run(); });
}

void FrameSender::Join() {
  if (m_thread.joinable()) m_thread.join();
}

void FrameSender::Run() {
  SOCKET client = accept(m_listener, nullptr, nullptr);
  if (client == INVALID_SOCKET) return;
  char request[256];
  recv(client, request, sizeof request, 0);
  const uint32_t perChunk = static_cast<uint32_t>(m_chunk.size() / m_frameBytes);
  for (uint32_t sent = 0; sent < m_nFrames;) {
    const uint32_t now = std::min(perChunk, m_nFrames - sent);
    const char* at = m_chunk.data();
    size_t left = now * m_frameBytes;
    while (left > 0) {
      const int n = send(client, at, static_cast<int>(std::min<size_t>(left, 1 << 30)), 0);
      if (n <= 0) {
        closesocket(client);
        return;
      }
      at += n;
      left -= static_cast<size_t>(n);
    }
    sent += now;
  }
  shutdown(client, SD_SEND);
  // Wait for the reader to close, so nothing it has not read is lost to a reset.
  char sink[64];
  while (recv(client, sink, sizeof sink, 0) > 0) {
  }
  closesocket(client);
}

}  // namespace zm::bench
