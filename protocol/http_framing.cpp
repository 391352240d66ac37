#include "protocol/http_framing.h"

#include <cstdio>

namespace zm::protocol {
namespace {

constexpr uint32_t kBlankLine = 0x0D0A0D0A;  // CR LF CR LF, the last byte lowest

}  // namespace

std::string BuildHttpGetRequest(std::string_view requestText, std::string_view clientId, std::string_view host) {
  std::string out = "GET ";
  out += kHttpStreamPath;
  out += requestText;
  out += kHttpClientIdMarker;
  out += clientId;
  out += " HTTP/1.1\r\nUser-Agent: ZMSPlayer\r\nHost: ";
  out += host;
  out += "\r\nPragma: no-cache\r\nCache-Control: no-cache\r\n\r\n";
  return out;
}

std::string BuildHttpCommandPost(std::string_view getRequest, std::string_view command) {
  // Without "GET" in front and the blank line's last CR LF, the GET's lines read as a POST's.
  std::string out = "POST";
  if (getRequest.size() >= 5) out += getRequest.substr(3, getRequest.size() - 5);
  out += "Content-Length: 0\r\n";
  out += kHttpCommandHeader;
  out += ": ";
  out += command;
  out += "\r\n\r\n";
  return out;
}

size_t HttpHeadScanner::NextReadSize() const {
  if (step_ != ScanStep::NeedMore) return 0;
  return fed_ < kHttpStatusOk.size() ? kHttpStatusOk.size() - fed_ : 1;
}

ScanStep HttpHeadScanner::Feed(uint8_t byte) {
  if (step_ != ScanStep::NeedMore) return step_;
  if (fed_ < kHttpStatusOk.size()) {
    if (byte != static_cast<uint8_t>(kHttpStatusOk[fed_])) step_ = ScanStep::Failed;
    ++fed_;
    return step_;
  }
  ++fed_;
  last4_ = last4_ << 8 | byte;
  if (last4_ == kBlankLine) {
    step_ = ScanStep::Done;
  } else if (fed_ - kHttpStatusOk.size() >= kMaxHttpHeadRestBytes) {
    step_ = ScanStep::Failed;
  }
  return step_;
}

ScanStep ChunkLineScanner::Feed(uint8_t byte) {
  if (step_ != ScanStep::NeedMore) return step_;
  ++fed_;
  const int digit = byte >= '0' && byte <= '9'   ? byte - '0'
                    : byte >= 'a' && byte <= 'f' ? byte - 'a' + 10
                    : byte >= 'A' && byte <= 'F' ? byte - 'A' + 10
                                                 : -1;
  if (afterCr_) {
    step_ = byte == '\n' && digits_ > 0 ? ScanStep::Done : ScanStep::Failed;
  } else if (fed_ >= kMaxChunkLineBytes) {
    step_ = ScanStep::Failed;
  } else if (byte == '\r' || inExtension_) {
    // The extension, whatever it says, runs to the CR.
  } else if (digit >= 0) {
    size_ = size_ * 16 + static_cast<uint64_t>(digit);
    ++digits_;
    if (size_ > UINT32_MAX) step_ = ScanStep::Failed;
  } else if ((byte == ';' || byte == ' ' || byte == '\t') && digits_ > 0) {
    inExtension_ = true;
  } else {
    step_ = ScanStep::Failed;
  }
  afterCr_ = byte == '\r';
  return step_;
}

void AppendHttpChunk(std::span<const uint8_t> message, std::vector<uint8_t>& out) {
  char line[24];
  const int n = std::snprintf(line, sizeof line, "%zx\r\n", message.size());
  out.insert(out.end(), line, line + n);
  out.insert(out.end(), message.begin(), message.end());
  out.push_back('\r');
  out.push_back('\n');
}

}  // namespace zm::protocol
