// The HTTP carriage of the media server protocol: the GET that opens a stream and the POST
// that carries a command, both built from the request text; the scanners for the response
// head and the chunk-size lines, fed one byte at a time; the chunk the server wraps each
// message in. Pure: no I/O.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zm::protocol {

// The path every HTTP request of a stream starts with, before the request text.
inline constexpr std::string_view kHttpStreamPath = "/ZMSHttp";
// Between the request text and the client id that ties commands to the stream.
inline constexpr std::string_view kHttpClientIdMarker = "/ClientId/";
// The header that carries a command's text in its POST.
inline constexpr std::string_view kHttpCommandHeader = "X-ZMSCommand";
// The only answer that opens a stream: anything else means the server has no HTTP.
inline constexpr std::string_view kHttpStatusOk = "HTTP/1.1 200";
// How much of the head may follow the status before the blank line, and how long a
// chunk-size line may be with its CR LF: both are read a byte at a time.
inline constexpr size_t kMaxHttpHeadRestBytes = 512;
inline constexpr size_t kMaxChunkLineBytes = 16;

// "GET /ZMSHttp" + request text + "/ClientId/" + id + " HTTP/1.1" and the headers. The
// request text goes in unchanged; the Host header carries the host without a port.
std::string BuildHttpGetRequest(std::string_view requestText, std::string_view clientId, std::string_view host);

// The command's POST: the GET's path, client id and headers, then an empty body's length and
// the command header. A text too short to be a GET gives just the POST's own lines.
std::string BuildHttpCommandPost(std::string_view getRequest, std::string_view command);

enum class ScanStep { NeedMore, Done, Failed };

// The response head: exactly kHttpStatusOk, then at most kMaxHttpHeadRestBytes more bytes, the
// last four of them CR LF CR LF. Once Done or Failed it stays so.
class HttpHeadScanner {
 public:
  // How many bytes the reader may take at once without reading past the head.
  size_t NextReadSize() const;
  ScanStep Feed(uint8_t byte);
  ScanStep step() const { return step_; }

 private:
  ScanStep step_ = ScanStep::NeedMore;
  size_t fed_ = 0;
  uint32_t last4_ = 0;
};

// One chunk-size line: the size in hex, an optional extension after ';' (or blanks), CR LF, at
// most kMaxChunkLineBytes in all. A line without digits, with anything else before its
// extension, or with a size past 32 bits fails.
class ChunkLineScanner {
 public:
  ScanStep Feed(uint8_t byte);
  ScanStep step() const { return step_; }
  uint32_t size() const { return static_cast<uint32_t>(size_); }  // once Done

 private:
  ScanStep step_ = ScanStep::NeedMore;
  size_t fed_ = 0;
  bool afterCr_ = false;
  bool inExtension_ = false;
  size_t digits_ = 0;
  uint64_t size_ = 0;
};

// One message as one chunk: its size in lower-case hex, CR LF, the bytes, CR LF.
void AppendHttpChunk(std::span<const uint8_t> message, std::vector<uint8_t>& out);

}  // namespace zm::protocol
