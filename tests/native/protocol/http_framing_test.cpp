// The HTTP carriage: the GET and POST texts byte for byte, where the head and chunk-line
// scanners stop and why, and the chunk the server wraps a message in.
#include "protocol/http_framing.h"

#include <gtest/gtest.h>

#include <string>

namespace zm::protocol {
namespace {

constexpr char kId[] = "0f8fad5b-d9cb-469f-a165-70867728950e";

TEST(HttpRequests, GetAndPostCarryTheRequestTextClientIdAndHostExactly) {
  const std::string get80 = BuildHttpGetRequest("/ZAMS80/0000file:a%2Ezmf///HASH:ab", kId, "media.example");
  EXPECT_EQ(
      "GET /ZMSHttp/ZAMS80/0000file:a%2Ezmf///HASH:ab/ClientId/0f8fad5b-d9cb-469f-a165-70867728950e HTTP/1.1\r\n"
      "User-Agent: ZMSPlayer\r\nHost: media.example\r\nPragma: no-cache\r\nCache-Control: no-cache\r\n\r\n",
      get80);
  // Protocol 25 has no leading separator: the text follows the path directly.
  EXPECT_EQ(0u,
            BuildHttpGetRequest("live-alias:x", "id", "h").find("GET /ZMSHttplive-alias:x/ClientId/id HTTP/1.1\r\n"));
  EXPECT_EQ(
      "POST /ZMSHttp/ZAMS80/0000file:a%2Ezmf///HASH:ab/ClientId/0f8fad5b-d9cb-469f-a165-70867728950e HTTP/1.1\r\n"
      "User-Agent: ZMSPlayer\r\nHost: media.example\r\nPragma: no-cache\r\nCache-Control: no-cache\r\n"
      "Content-Length: 0\r\nX-ZMSCommand: Seek:42\r\n\r\n",
      BuildHttpCommandPost(get80, "Seek:42"));
  EXPECT_EQ("POSTContent-Length: 0\r\nX-ZMSCommand: RTPFilePause\r\n\r\n", BuildHttpCommandPost("GET", "RTPFilePause"));
}

// Feeds bytes until the scanner decides; returns the step and how many bytes it took.
template <class Scanner>
std::pair<ScanStep, size_t> Scan(const std::string& bytes) {
  Scanner scanner;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (scanner.Feed(static_cast<uint8_t>(bytes[i])) != ScanStep::NeedMore) return {scanner.step(), i + 1};
  }
  return {scanner.step(), bytes.size()};
}

TEST(HttpHeadScanner, AcceptsOnlyStatus200AndEndsAtTheBlankLineWithin512Bytes) {
  const std::string ok = "HTTP/1.1 200";
  const std::string pad500(500, 'x'), pad508(508, 'x'), pad509(509, 'x');
  const struct {
    std::string bytes;
    ScanStep step;
    size_t taken;
  } cases[] = {
      {ok + " OK\r\nTransfer-Encoding: chunked\r\n\r\nBODY", ScanStep::Done, 47},
      {ok + "\r\n\r\n", ScanStep::Done, 16},
      {ok + pad508 + "\r\n\r\n", ScanStep::Done, 12 + 512},  // the blank line ends at byte 512
      {ok + pad509 + "\r\n\r\n", ScanStep::Failed, 12 + 512},
      {ok + pad500 + "\r\n", ScanStep::NeedMore, 514},  // connection lost in the head
      {ok + " OK\n\n\r\n\r", ScanStep::NeedMore, 20},
      {"HTTP/1.1 404 Not Found\r\n\r\n", ScanStep::Failed, 10},
      {"HTTP/1.0 200 OK\r\n\r\n", ScanStep::Failed, 8},
      {"http/1.1 200 OK\r\n\r\n", ScanStep::Failed, 1},
      {"\x36\xB1\x00\x00", ScanStep::Failed, 1},  // a plain reply where a head belongs
  };
  for (const auto& c : cases) {
    const auto [step, taken] = Scan<HttpHeadScanner>(c.bytes);
    EXPECT_EQ(c.step, step) << c.bytes.substr(0, 30);
    EXPECT_EQ(c.taken, taken) << c.bytes.substr(0, 30);
  }
  HttpHeadScanner scanner;
  EXPECT_EQ(12u, scanner.NextReadSize());
  for (char c : std::string("HTTP/1.1 2")) scanner.Feed(static_cast<uint8_t>(c));
  EXPECT_EQ(2u, scanner.NextReadSize());
  for (char c : std::string("00 OK\r\n\r\n")) scanner.Feed(static_cast<uint8_t>(c));
  EXPECT_EQ(ScanStep::Done, scanner.step());
  EXPECT_EQ(0u, scanner.NextReadSize());
  EXPECT_EQ(ScanStep::Done, scanner.Feed('x'));
}

TEST(ChunkLineScanner, SkipsAnyLineEndingInCrLfWithin16Bytes) {
  const struct {
    std::string bytes;
    ScanStep step;
    size_t taken;
  } cases[] = {
      {"1c\r\nxx", ScanStep::Done, 4},
      {"\r\n", ScanStep::Done, 2},
      {"zz;ext=1\r\n", ScanStep::Done, 10},  // the size is never read
      {"\r\r\n", ScanStep::Done, 3},
      {"\n\r\n", ScanStep::Done, 3},
      {"0123456789abcd\r\n", ScanStep::Done, 16},
      {"0123456789abcde\r\n", ScanStep::Failed, 16},
      {"0123456789abcdef0", ScanStep::Failed, 16},
      {"12\r", ScanStep::NeedMore, 3},
  };
  for (const auto& c : cases) {
    const auto [step, taken] = Scan<ChunkLineScanner>(c.bytes);
    EXPECT_EQ(c.step, step) << c.bytes;
    EXPECT_EQ(c.taken, taken) << c.bytes;
  }
}

TEST(HttpChunk, SizeInLowerCaseHexThenTheMessageThenCrLf) {
  std::vector<uint8_t> out{'z'};
  const std::vector<uint8_t> message(0x1A5, 7);
  AppendHttpChunk(message, out);
  ASSERT_EQ(1 + 5 + 0x1A5 + 2, out.size());
  EXPECT_EQ("z1a5\r\n", std::string(out.begin(), out.begin() + 6));
  EXPECT_EQ("\r\n", std::string(out.end() - 2, out.end()));
  out.clear();
  AppendHttpChunk({}, out);
  EXPECT_EQ("0\r\n\r\n", std::string(out.begin(), out.end()));
}

}  // namespace
}  // namespace zm::protocol
