#include "peers/server/http_transport.h"

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>

#include <string>
#include <vector>

#include "peers/server/command_board.h"
#include "peers/server/http_request.h"
#include "peers/server/server_log.h"
#include "peers/server/stream_session.h"
#include "protocol/http_framing.h"

namespace zms {
namespace {

namespace zp = zm::protocol;
using std::chrono::milliseconds;

constexpr std::string_view kStreamHead =
    "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nCache-Control: no-cache\r\n"
    "Pragma: no-cache\r\nTransfer-Encoding: chunked\r\n\r\n";
constexpr std::string_view kLastChunk = "0\r\n\r\n";

std::span<const uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

// A whole answer without a body, then the connection ends.
void Answer(TcpChannel& wire, const char* status) {
  const std::string text = std::string("HTTP/1.1 ") + status + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
  wire.Send(Bytes(text), WireMessage::Reply);
  wire.Finish();
}

// The stream's body: each message one chunk. A reply waits for the next message, so that a
// playlist's string shares its chunk (the client reads the two as one message); anything
// else sends it alone. Commands come from the stream's mailbox, not from its socket.
class HttpChannel : public ByteChannel {
 public:
  // longFirstChunkLine: the long-chunk-line fault pads the first size line with zeros.
  HttpChannel(TcpChannel& wire, CommandMailbox& box, bool longFirstChunkLine)
      : wire_(wire), box_(box), padNextChunkLine_(longFirstChunkLine) {}

  bool Send(std::span<const uint8_t> bytes, WireMessage message) override {
    if (message == WireMessage::String && !heldReply_.empty()) {
      heldReply_.insert(heldReply_.end(), bytes.begin(), bytes.end());
      return SendHeld();
    }
    if (!SendHeld()) return false;
    if (message == WireMessage::Reply) {
      heldReply_.assign(bytes.begin(), bytes.end());
      return true;
    }
    return SendChunk(bytes);
  }

  ChannelWait WaitForCommands(std::string& commands, milliseconds timeout) override {
    if (!SendHeld()) return ChannelWait::Closed;
    if (TakePosted(commands)) return ChannelWait::Data;
    pollfd p[2] = {{wire_.fd(), POLLIN, 0}, {box_.wakeFd(), POLLIN, 0}};
    if (::poll(p, 2, static_cast<int>(timeout.count())) <= 0) return ChannelWait::Timeout;
    if (TakePosted(commands)) return ChannelWait::Data;
    if (p[0].revents == 0) return ChannelWait::Timeout;
    // The client sends nothing on its stream after the GET: only its leaving matters here.
    char ignored[512];
    const ssize_t n = ::recv(wire_.fd(), ignored, sizeof ignored, MSG_DONTWAIT);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) return ChannelWait::Closed;
    return ChannelWait::Timeout;
  }

  void Finish() override {
    if (SendHeld()) wire_.Send(Bytes(kLastChunk), WireMessage::Frame);
    wire_.Finish();
  }

 private:
  bool SendChunk(std::span<const uint8_t> message) {
    std::vector<uint8_t> chunk;
    if (padNextChunkLine_) chunk.assign(zp::kMaxChunkLineBytes, '0');
    padNextChunkLine_ = false;
    zp::AppendHttpChunk(message, chunk);
    return wire_.Send(chunk, WireMessage::Frame);
  }

  bool SendHeld() {
    if (heldReply_.empty()) return true;
    const std::vector<uint8_t> reply = std::move(heldReply_);
    heldReply_.clear();
    return SendChunk(reply);
  }

  bool TakePosted(std::string& commands) {
    std::string posted = box_.Take();
    if (posted.empty()) return false;
    commands += posted;
    return true;
  }

  TcpChannel& wire_;
  CommandMailbox& box_;
  std::vector<uint8_t> heldReply_;
  bool padNextChunkLine_;
};

}  // namespace

void ServeHttpConnection(ServerContext& context, int connectionId, std::string_view head, TcpChannel& wire) {
  std::string error;
  const std::optional<HttpRequest> request = ParseHttpRequest(head, &error);
  if (!request) {
    LogLine("[%d] HTTP request not understood: %s; answering 400", connectionId, error.c_str());
    Answer(wire, "400 Bad Request");
    return;
  }
  if (request->method == HttpMethod::Post) {
    const bool delivered = context.httpCommands.Post(request->clientId, request->command);
    LogLine("[%d] HTTP command for client %s: %s", connectionId, request->clientId.c_str(),
            delivered ? "delivered" : "no such stream");
    Answer(wire, delivered ? "200 OK" : "404 Not Found");
    return;
  }
  const FaultPlan faults = ConnectionFaults(context, request->requestText);
  if (faults.noHttp) {
    LogLine("[%d] HTTP refused (no-http): answering 404", connectionId);
    Answer(wire, "404 Not Found");
    return;
  }
  if (faults.longHttpHead) {
    // A status line the client takes, then a head that never ends within its limit.
    LogLine("[%d] HTTP head without end (long-head)", connectionId);
    const std::string head =
        "HTTP/1.1 200 OK\r\nX-Padding: " + std::string(zp::kMaxHttpHeadRestBytes, 'z') + "\r\n\r\n";
    wire.Send(Bytes(head), WireMessage::Reply);
    wire.Finish();
    return;
  }
  LogLine("[%d] HTTP stream for client %s", connectionId, request->clientId.c_str());
  if (!wire.Send(Bytes(kStreamHead), WireMessage::Reply)) return;
  CommandMailbox box;
  context.httpCommands.Open(request->clientId, &box);
  HttpChannel channel(wire, box, faults.longChunkLine);
  RunStreamSession(context, connectionId, request->requestText, channel);
  context.httpCommands.Close(request->clientId, &box);
}

}  // namespace zms
