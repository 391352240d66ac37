// What the transport tests share: a TCP source that shows its inner state, owners for the
// records a read fills, fixtures that fail a test which leaves a task-allocator block behind
// and connect to the reference server or a scripted peer, and the bytes such a peer sends.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "protocol/format_blocks.h"
#include "protocol/media_frame_codec.h"
#include "protocol/media_type_guids.h"
#include "protocol/reply_codec.h"
#include "protocol/string_codec.h"
#include "transport/local_peer.h"
#include "malloc_spy.h"
#include "transport/tcp_source.h"

namespace zm::tests {

using transport::CZTcpMediaFramesSource;
using transport::StreamFormatRecord;

inline constexpr int kProtocol80 = 80;
inline constexpr int kProtocol25 = 25;

// Set by scripts/with-zms-server.
inline uint16_t ServerPort() {
  const char* port = std::getenv("ZMS_PORT");
  return port ? static_cast<uint16_t>(std::atoi(port)) : 0;
}

// A source of any transport that shows its inner state and takes a short watchdog time-out.
template <class Source>
class Exposed : public Source {
 public:
  using Source::Source;
  void SetTimeoutMs(int ms) { this->m_nTimeoutMs = ms; }
  LONG StoppedAtFrameStart() const { return this->m_nStoppedAtFrameStart; }
  LONG VideoFramesNow() const { return this->m_nVideoFrameCount.load(); }
  LONG BytesNow() const { return this->m_nByteCount.load(); }
  void AskForKeepAlive() { this->m_nKeepAlive = 1; }
  // A Boolean option of the connection's socket, as the system reports it.
  int SocketOption(int level, int name) const {
    int value = 0;  // Wine writes a single byte for Boolean options
    int size = sizeof value;
    getsockopt(this->m_socket.load(), level, name, reinterpret_cast<char*>(&value), &size);
    return value;
  }
};
using TestTcpSource = Exposed<CZTcpMediaFramesSource>;

// Points `source` at `host`:`port` with the request, connects, and returns the error text:
// empty on success, never on failure.
template <class Source>
std::wstring Connect(Source& source, uint16_t port, const std::string& request, int protocol = kProtocol80,
                     const std::string& host = "127.0.0.1") {
  source.SetHost(host);
  source.SetPort(port);
  source.SetRequest(request, protocol);
  std::wstring error = L"stale";
  if (!source.Connect(error) && error.empty()) error = L"failed without a text";
  return error;
}

struct ReplyRecords : transport::StreamFormatRecordPair {
  StreamFormatRecord (&formats)[2] = records;
  protocol::ReplyStatus status;
  BOOL Read(transport::CZNetworkMediaFramesSource& source, std::wstring& error, BOOL readTrailer = TRUE) {
    return source.ReadServerReply(formats, status, error, readTrailer);
  }
};

// Reads the reply and says that streaming has begun, as the session does before its first frame.
inline bool StartStreaming(transport::CZNetworkMediaFramesSource& source, std::wstring& error) {
  ReplyRecords reply;
  if (!reply.Read(source, error)) return false;
  source.OnStreamingStarted();
  return true;
}

struct FrameRecord {
  zm::MediaFrame frame{};
  ~FrameRecord() { CoTaskMemFree(frame.data); }
};

class TransportTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(MallocSpy().Register()); }
  void TearDown() override {
    EXPECT_EQ(MallocSpy().Outstanding(), 0) << "task-allocator blocks left behind";
    MallocSpy().Revoke();
  }

  // Connects to 127.0.0.1 at `port` with the request sent.
  static void ConnectTo(CZTcpMediaFramesSource& source, uint16_t port, const std::string& request, int protocol) {
    ASSERT_NE(port, 0) << "no port: the server's ZMS_PORT is set by scripts/with-zms-server";
    ASSERT_EQ(Connect(source, port, request, protocol), L"");
  }
  static void ConnectToServer(CZTcpMediaFramesSource& source, const std::string& request, int protocol) {
    ConnectTo(source, ServerPort(), request, protocol);
  }
};

// Tests that script the server's side byte by byte.
class PeerTest : public TransportTest {
 protected:
  // Connects to the peer and lets it take the request; returns the request as received.
  std::string ConnectToPeer(CZTcpMediaFramesSource& source, const std::string& request = "r",
                            int protocol = kProtocol80) {
    ConnectTo(source, peer.Port(), request, protocol);
    EXPECT_TRUE(peer.Accept());
    return peer.Receive(request.size());
  }
  LocalPeer peer;
};

// An accepted reply with a video stream (a VIDEOINFOHEADER) and no audio stream.
inline std::vector<uint8_t> VideoOnlyReply(uint32_t version, size_t extensionBytes = 0) {
  protocol::ServerReply reply;
  reply.protocolVersion = version;
  reply.status.resourceKind = 1;
  reply.extension.assign(extensionBytes, 0x5A);
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

inline std::vector<uint8_t> FrameBytes(uint32_t streamType, const std::string& payload, int64_t time = 0) {
  protocol::MediaFrame frame;
  frame.header.streamType = streamType;
  frame.header.time = time;
  frame.header.keyFrame = 1;
  frame.payload.assign(payload.begin(), payload.end());
  std::vector<uint8_t> out;
  protocol::AppendMediaFrame(frame, out);
  return out;
}

inline std::vector<uint8_t> StringBytes(const std::string& bytes) {
  std::vector<uint8_t> out;
  protocol::AppendWireString(bytes, out);
  return out;
}

}  // namespace zm::tests
