#include "bench/frame_sender.h"

// clang-format off
#include <wolfssl/options.h>
#include <cyassl/ssl.h>
#define USE_CERT_BUFFERS_2048
#include <wolfssl/certs_test.h>
// clang-format on

#include <algorithm>

#include "protocol/http_framing.h"
#include "protocol/media_frame_codec.h"
#include "protocol/media_type_guids.h"
#include "protocol/reply_codec.h"
#include "protocol/format_blocks.h"

namespace zm::bench {
namespace {

constexpr size_t kChunkBytes = 256 * 1024;
constexpr char kStreamHead[] = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";

// An accepted reply with one small RGB video stream.
std::vector<uint8_t> VideoReply() {
  protocol::ServerReply reply;
  reply.protocolVersion = protocol::kProtocolVersion80;
  reply.status.resourceKind = 1;
  reply.formats[0].type.majorType = protocol::MEDIATYPE_Video;
  reply.formats[0].type.subType = protocol::MEDIASUBTYPE_RGB32;
  reply.formats[0].type.formatType = protocol::FORMAT_VideoInfo;
  protocol::VideoInfoHeader info;
  info.bitmap.width = 8;
  info.bitmap.height = 6;
  info.bitmap.bitCount = 32;
  reply.formats[0].formatBlock = protocol::EncodeVideoInfoHeader(info);
  return protocol::EncodeServerReply(reply);
}

// The server's side of the HTTPS sessions: one context, the library's test certificate.
CYASSL_CTX* TlsServerContext() {
  static CYASSL_CTX* context = [] {
    CyaSSL_Init();
    CYASSL_CTX* made = CyaSSL_CTX_new(CyaTLSv1_2_server_method());
    CyaSSL_CTX_use_certificate_buffer(made, server_cert_der_2048, sizeof_server_cert_der_2048, SSL_FILETYPE_ASN1);
    CyaSSL_CTX_use_PrivateKey_buffer(made, server_key_der_2048, sizeof_server_key_der_2048, SSL_FILETYPE_ASN1);
    wolfSSL_CTX_SetTmpDH_buffer(made, dh_key_der_2048, sizeof_dh_key_der_2048, SSL_FILETYPE_ASN1);
    return made;
  }();
  return context;
}

void Append(std::vector<char>& to, std::span<const uint8_t> bytes) { to.insert(to.end(), bytes.begin(), bytes.end()); }

}  // namespace

FrameSender::FrameSender(uint32_t payloadBytes, uint32_t frames, Framing framing)
    : m_nFrames(frames), m_framing(framing) {
  protocol::MediaFrame frame;
  frame.header.streamType = protocol::kStreamTypeVideo;
  frame.header.keyFrame = 1;
  frame.payload.assign(payloadBytes, 0x5A);
  std::vector<uint8_t> one;
  protocol::AppendMediaFrame(frame, one);
  std::vector<uint8_t> reply = VideoReply();
  if (framing == Framing::Http) {
    std::vector<uint8_t> chunk;
    protocol::AppendHttpChunk(one, chunk);
    one = std::move(chunk);
    Append(m_prelude, std::span(reinterpret_cast<const uint8_t*>(kStreamHead), sizeof kStreamHead - 1));
    chunk.clear();
    protocol::AppendHttpChunk(reply, chunk);
    reply = std::move(chunk);
  }
  if (framing != Framing::Bare) Append(m_prelude, reply);
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

bool FrameSender::SendAll(SOCKET client, void* tls, const char* at, size_t left) {
  while (left > 0) {
    const int size = static_cast<int>(std::min<size_t>(left, 1 << 30));
    const int n = tls ? CyaSSL_write(static_cast<CYASSL*>(tls), at, size) : send(client, at, size, 0);
    if (n <= 0) return false;
    at += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

void FrameSender::Run() {
  SOCKET client = accept(m_listener, nullptr, nullptr);
  if (client == INVALID_SOCKET) return;
  CYASSL* tls = nullptr;
  char request[1024];
  if (m_framing == Framing::Https) {
    tls = CyaSSL_new(TlsServerContext());
    CyaSSL_set_fd(tls, static_cast<int>(client));
    if (CyaSSL_accept(tls) != SSL_SUCCESS) {
      CyaSSL_free(tls);
      closesocket(client);
      return;
    }
    m_sCipherSuite = wolfSSL_get_cipher_name(tls);
    CyaSSL_read(tls, request, sizeof request);
  } else {
    recv(client, request, sizeof request, 0);
  }
  bool sending = SendAll(client, tls, m_prelude.data(), m_prelude.size());
  const uint32_t perChunk = static_cast<uint32_t>(m_chunk.size() / m_frameBytes);
  for (uint32_t sent = 0; sending && sent < m_nFrames;) {
    const uint32_t now = std::min(perChunk, m_nFrames - sent);
    sending = SendAll(client, tls, m_chunk.data(), now * m_frameBytes);
    sent += now;
  }
  if (tls) {
    CyaSSL_shutdown(tls);
    CyaSSL_free(tls);
  }
  shutdown(client, SD_SEND);
  // Wait for the reader to close, so nothing it has not read is lost to a reset.
  char sink[64];
  while (recv(client, sink, sizeof sink, 0) > 0) {
  }
  closesocket(client);
}

}  // namespace zm::bench
