#include "wire_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "protocol/string_codec.h"

namespace zms::test {
namespace {

namespace zp = zm::protocol;
using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

WireClient::~WireClient() {
  if (fd_ >= 0) close(fd_);
}

bool WireClient::Connect(uint16_t port) {
  fd_ = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return fd_ >= 0 && connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
}

bool WireClient::Send(const std::string& bytes) {
  return send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

std::optional<std::vector<uint8_t>> WireClient::ReadExact(size_t n, milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  std::vector<uint8_t> bytes(n);
  size_t done = 0;
  lastReadCalls_ = 0;
  while (done < n) {
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, MillisecondsLeft(deadline)) <= 0) return std::nullopt;
    ssize_t got = recv(fd_, bytes.data() + done, n - done, 0);
    ++lastReadCalls_;
    if (got <= 0) return std::nullopt;
    done += static_cast<size_t>(got);
  }
  return bytes;
}

ReadReplyResult WireClient::ReadReply(milliseconds timeout) {
  ReadReplyResult result;
  zp::ServerReply reply;
  auto fail = [&result](const zp::DecodeFailure& failure) {
    result.failure = failure;
    return result;
  };
  auto lost = [&result] {
    result.connectionFailed = true;
    return result;
  };

  auto prologue = ReadExact(zp::kReplyPrologueSize, timeout);
  if (!prologue) return lost();
  auto version = zp::DecodeReplyPrologue(*prologue);
  if (!version) return fail(version.failure());
  reply.protocolVersion = version.value();

  auto statusBytes = ReadExact(zp::kReplyStatusSize, timeout);
  if (!statusBytes) return lost();
  reply.status = zp::DecodeReplyStatus(*statusBytes).value();
  if (reply.status.result != 0) {
    result.reply = std::move(reply);
    return result;
  }

  if (reply.protocolVersion == zp::kProtocolVersion80) {
    auto head = ReadExact(zp::kReplyExtensionHeaderSize, timeout);
    if (!head) return lost();
    auto extension = ReadExact(zp::DecodeReplyExtensionHeader(*head).value(), timeout);
    if (!extension) return lost();
    reply.extension = *extension;
  }
  for (zp::StreamFormat& format : reply.formats) {
    auto recordBytes = ReadExact(zp::kStreamFormatHeaderSize, timeout);
    if (!recordBytes) return lost();
    auto record = zp::DecodeStreamFormatHeader(*recordBytes);
    if (!record) return fail(record.failure());
    auto block = ReadExact(record.value().formatLength, timeout);
    if (!block) return lost();
    format.type = record.value().type;
    format.formatBlock = *block;
  }
  result.reply = std::move(reply);
  return result;
}

std::optional<std::string> WireClient::ReadString(milliseconds timeout) {
  auto lengthBytes = ReadExact(zp::kWireStringLengthSize, timeout);
  if (!lengthBytes) return std::nullopt;
  auto length = zp::DecodeWireStringLength(*lengthBytes);
  if (!length) return std::nullopt;
  auto bytes = ReadExact(length.value(), timeout);
  if (!bytes) return std::nullopt;
  return std::string(bytes->begin(), bytes->end());
}

std::optional<zp::MediaFrame> WireClient::ReadFrame(milliseconds timeout, zp::DecodeFailure* failure) {
  auto headBytes = ReadExact(zp::kMediaFrameHeaderSize, timeout);
  if (!headBytes) return std::nullopt;
  auto head = zp::DecodeMediaFrameHeader(*headBytes);
  if (!head) {
    if (failure) *failure = head.failure();
    return std::nullopt;
  }
  auto payload = ReadExact(head.value().length, timeout);
  if (!payload) return std::nullopt;
  return zp::MediaFrame{head.value(), std::move(*payload)};
}

bool WireClient::WaitForClose(milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  char buffer[65536];
  for (;;) {
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, MillisecondsLeft(deadline)) <= 0) return false;
    ssize_t got = recv(fd_, buffer, sizeof buffer, 0);
    if (got <= 0) return true;
  }
}

bool WireClient::StaysSilent(milliseconds period) {
  pollfd p{fd_, POLLIN, 0};
  return poll(&p, 1, static_cast<int>(period.count())) == 0;
}

}  // namespace zms::test
