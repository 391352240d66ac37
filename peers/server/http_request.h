// The head of an HTTP request on the server's port, taken apart: a GET that opens a stream
// ("GET /ZMSHttp" + request text + "/ClientId/" + id) or a POST that carries one command for
// the stream of that id in its X-ZMSCommand header. Pure functions, called on the
// connection's thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zms {

enum class HttpMethod { Get, Post };

struct HttpRequest {
  HttpMethod method = HttpMethod::Get;
  std::string requestText;  // the media request, its %XX escapes decoded
  std::string clientId;
  std::string command;  // POST only
};

// True while `text` is "GET /" or "POST /", or could still become one: the connection is HTTP.
bool IsHttpRequestStart(std::string_view text);

// True until the head's blank line has arrived.
bool HttpHeadMayGoOn(std::string_view text);

// Parses a whole head; on failure returns nothing and a reason for the log.
std::optional<HttpRequest> ParseHttpRequest(std::string_view head, std::string* error);

}  // namespace zms
