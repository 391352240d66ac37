// The HTTP carriage: where the head and chunk-line scanners stop and why, and the chunk the
// server wraps a message in. The GET and POST bytes are proven through the HTTP source.
#include "protocol/http_framing.h"

#include <gtest/gtest.h>

#include <string>

namespace zm::protocol {
namespace {

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
      {"\x36\xB1\x00\x00", ScanStep::Failed, 1},  // a plain reply where a head belongs
  };
  for (const auto& c : cases) {
    const auto [step, taken] = Scan<HttpHeadScanner>(c.bytes);
    EXPECT_EQ(c.step, step) << c.bytes.substr(0, 30);
    EXPECT_EQ(c.taken, taken) << c.bytes.substr(0, 30);
  }
}

TEST(ChunkLineScanner, ReadsTheHexSizeOfALineEndingInCrLfWithin16Bytes) {
  const struct {
    std::string bytes;
    ScanStep step;
    size_t taken;
    uint32_t size;
  } cases[] = {
      {"1c\r\nxx", ScanStep::Done, 4, 0x1C},
      {"1C;ext=1\r\n", ScanStep::Done, 10, 0x1C},  // an extension is skipped
      {"0\r\n", ScanStep::Done, 3, 0},
      {"0000ffffffff\r\n", ScanStep::Done, 14, 0xFFFFFFFF},
      {"1ffffffff\r\n", ScanStep::Failed, 9, 0},  // past 32 bits
      {"\r\n", ScanStep::Failed, 2, 0},           // no digits
      {"zz\r\n", ScanStep::Failed, 1, 0},
      {"12\rx", ScanStep::Failed, 4, 0},                  // CR without LF
      {"0000000000000001\r\n", ScanStep::Failed, 16, 0},  // leading zeros count too
      {"1;0123456789abcde", ScanStep::Failed, 16, 0},     // too long, extension or not
      {"12\r", ScanStep::NeedMore, 3, 0},
  };
  for (const auto& c : cases) {
    ChunkLineScanner line;
    const auto [step, taken] = Scan<ChunkLineScanner>(c.bytes);
    EXPECT_EQ(c.step, step) << c.bytes;
    EXPECT_EQ(c.taken, taken) << c.bytes;
    for (char b : c.bytes) line.Feed(static_cast<uint8_t>(b));
    if (c.step == ScanStep::Done) EXPECT_EQ(c.size, line.size()) << c.bytes;
  }
}

TEST(HttpChunk, SizeInLowerCaseHexThenTheMessageThenCrLf) {
  std::vector<uint8_t> out;
  AppendHttpChunk(std::vector<uint8_t>(0x1A5, 7), out);
  EXPECT_EQ("1a5\r\n\x07", std::string(out.begin(), out.begin() + 6));
  EXPECT_EQ(5 + 0x1A5 + 2, out.size());
  EXPECT_EQ("\x07\r\n", std::string(out.end() - 3, out.end()));
}

}  // namespace
}  // namespace zm::protocol
