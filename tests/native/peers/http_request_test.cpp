// The server's reading of an HTTP head: which connections are HTTP, where the head ends, and
// the request text, client id and command it carries.
#include "peers/server/http_request.h"

#include <gtest/gtest.h>

namespace zms {
namespace {

constexpr char kHeaders[] = " HTTP/1.1\r\nUser-Agent: ZMSPlayer\r\nHost: h\r\nCache-Control: no-cache\r\n";

TEST(HttpRequestReading, ConnectionIsHttpFromItsFirstBytesAndItsHeadEndsAtTheBlankLine) {
  for (const char* text : {"G", "GET /ZMSHttp", "POST /x"}) EXPECT_TRUE(IsHttpRequestStart(text)) << text;
  for (const char* text : {"", "GET/", "/ZAMS80/0000file:a", "POSTMAN"}) EXPECT_FALSE(IsHttpRequestStart(text)) << text;
  EXPECT_TRUE(HttpHeadMayGoOn("GET / HTTP/1.1\r\nHost: h\r\n"));
  EXPECT_FALSE(HttpHeadMayGoOn("GET / HTTP/1.1\r\nHost: h\r\n\r\n"));
}

TEST(HttpRequestReading, GetAndPostGiveTheDecodedRequestTextTheClientIdAndTheCommand) {
  std::string error;
  const std::string get = std::string("GET /ZMSHttp/ZAMS80/0000file:a%2Ezmf%23no%2Dtcp%zz/ClientId/9f-3a") + kHeaders +
                          "Pragma: no-cache\r\n\r\n";
  const auto stream = ParseHttpRequest(get, &error);
  ASSERT_TRUE(stream) << error;
  // An escape that is none stays.
  EXPECT_EQ(std::tuple(HttpMethod::Get, "/ZAMS80/0000file:a.zmf#no-tcp%zz", "9f-3a"),
            std::tuple(stream->method, stream->requestText, stream->clientId));
  const std::string post = std::string("POST /ZMSHttplive-alias:x/ClientId/a/ClientId/9f-3a") + kHeaders +
                           "Content-Length: 0\r\nx-zmscommand:  Seek:12 \r\n\r\n";
  const auto command = ParseHttpRequest(post, &error);
  ASSERT_TRUE(command) << error;
  // The last marker names the client.
  EXPECT_EQ(std::tuple(HttpMethod::Post, "live-alias:x/ClientId/a", "9f-3a", "Seek:12"),
            std::tuple(command->method, command->requestText, command->clientId, command->command));
}

TEST(HttpRequestReading, HeadsThatAreNoStreamRequestAreRefusedWithAReason) {
  const std::pair<std::string, const char*> cases[] = {
      {"PUT /ZMSHttpx/ClientId/1 HTTP/1.1\r\n\r\n", "not a GET or POST"},
      {"GET /ZMSHttpx/ClientId/1 HTTP/1.0\r\n\r\n", "not HTTP/1.1"},
      {"GET /index.html HTTP/1.1\r\n\r\n", "not a stream path"},
      {"GET /ZMSHttpfile:a/ClientId/ HTTP/1.1\r\n\r\n", "no client id"},
      {"POST /ZMSHttpfile:a/ClientId/1 HTTP/1.1\r\nX-ZMSCommand: \r\n\r\n", "a POST without a command"},
  };
  for (const auto& [head, reason] : cases) {
    std::string error;
    EXPECT_FALSE(ParseHttpRequest(head, &error)) << head;
    EXPECT_EQ(reason, error) << head;
  }
}

}  // namespace
}  // namespace zms
