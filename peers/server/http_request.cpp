#include "peers/server/http_request.h"

#include <algorithm>
#include <cctype>

#include "protocol/http_framing.h"

namespace zms {
namespace {

namespace zp = zm::protocol;

constexpr std::string_view kGet = "GET ", kPost = "POST ", kVersion = " HTTP/1.1";

bool BeginsOrIsBeginningOf(std::string_view text, std::string_view start) {
  const size_t n = std::min(text.size(), start.size());
  return text.substr(0, n) == start.substr(0, n);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The client escapes every byte of a name but letters and digits; anything else stays.
std::string PercentDecode(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) << 4 | HexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// The value of the header `name` among the head's lines after the first, trimmed.
std::optional<std::string_view> HeaderValue(std::string_view headers, std::string_view name) {
  while (!headers.empty()) {
    const size_t end = headers.find("\r\n");
    const std::string_view line = headers.substr(0, end);
    headers = end == std::string_view::npos ? std::string_view() : headers.substr(end + 2);
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos || !EqualsIgnoringCase(line.substr(0, colon), name)) continue;
    std::string_view value = line.substr(colon + 1);
    while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
    while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
    return value;
  }
  return std::nullopt;
}

}  // namespace

bool IsHttpRequestStart(std::string_view text) {
  return !text.empty() && (BeginsOrIsBeginningOf(text, "GET /") || BeginsOrIsBeginningOf(text, "POST /"));
}

bool HttpHeadMayGoOn(std::string_view text) { return text.find("\r\n\r\n") == std::string_view::npos; }

std::optional<HttpRequest> ParseHttpRequest(std::string_view head, std::string* error) {
  const size_t lineEnd = head.find("\r\n");
  std::string_view line = head.substr(0, lineEnd);
  HttpRequest request;
  if (line.starts_with(kGet)) {
    line.remove_prefix(kGet.size());
  } else if (line.starts_with(kPost)) {
    request.method = HttpMethod::Post;
    line.remove_prefix(kPost.size());
  } else {
    *error = "not a GET or POST";
    return std::nullopt;
  }
  if (!line.ends_with(kVersion)) {
    *error = "not HTTP/1.1";
    return std::nullopt;
  }
  line.remove_suffix(kVersion.size());
  if (!line.starts_with(zp::kHttpStreamPath)) {
    *error = "not a stream path";
    return std::nullopt;
  }
  line.remove_prefix(zp::kHttpStreamPath.size());
  const size_t marker = line.rfind(zp::kHttpClientIdMarker);
  if (marker == std::string_view::npos || marker + zp::kHttpClientIdMarker.size() == line.size()) {
    *error = "no client id";
    return std::nullopt;
  }
  request.clientId = line.substr(marker + zp::kHttpClientIdMarker.size());
  request.requestText = PercentDecode(line.substr(0, marker));
  // A name's "&" reaches a plain connection as "*"; decoded here it is "&" again. Read both
  // alike, so that one name opens over either transport.
  std::replace(request.requestText.begin(), request.requestText.end(), '&', '*');
  if (request.method == HttpMethod::Post) {
    const std::string_view headers = lineEnd == std::string_view::npos ? std::string_view() : head.substr(lineEnd + 2);
    const auto command = HeaderValue(headers, zp::kHttpCommandHeader);
    if (!command || command->empty()) {
      *error = "a POST without a command";
      return std::nullopt;
    }
    request.command = *command;
  }
  return request;
}

}  // namespace zms
