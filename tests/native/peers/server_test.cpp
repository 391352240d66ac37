// The real zms-server over a socket; each case pays for its servers once.
// What a client sees of the sessions themselves is proven by the Wine tests of the control's
// transport and negotiation.
#include <gtest/gtest.h>
#include <signal.h>

#include "peers/server/tcp_transport.h"
#include "peers/server/testcard_variants.h"
#include "protocol/http_framing.h"
#include "protocol/media_frame_codec.h"
#include "protocol/reply_codec.h"
#include "protocol/result_codes.h"
#include "server_process.h"

namespace zms::test {
namespace {

namespace zp = zm::protocol;
using std::chrono::milliseconds;

constexpr size_t kRefusalSize = zp::kReplyPrologueSize + zp::kReplyStatusSize;

struct Answer {
  uint32_t magic = 0;
  uint32_t result = 0;
};

Answer AnswerTo(const ServerProcess& server, const std::string& request, milliseconds* elapsed = nullptr) {
  const std::vector<uint8_t> bytes = Exchange(server.port(), request, kRefusalSize, elapsed);
  if (bytes.size() < kRefusalSize) {
    ADD_FAILURE() << "no reply to \"" << request << "\"\n" << server.Log();
    return {};
  }
  auto u32 = [&](size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t{bytes[at + 3]} << 24;
  };
  return {u32(0), u32(zp::kReplyPrologueSize)};
}

// One plain server: port 0 printed and served, a whole request answered at once while only a
// beginning that could still grow waits for its rest (the margins are wide), the Motion-JPEG
// card's reply and first frame byte for byte as the source makes them, and SIGTERM stops it.
TEST(ServerProcessTest, PlainServerAnswersWholeRequestsAtOnceSendsTheMjpegCardAndStopsOnSigterm) {
  ServerProcess server;
  ASSERT_NE(0, server.port());
  milliseconds whole{}, cut{};
  EXPECT_EQ(0x80070002u, AnswerTo(server, "/ZAMS80/0000file:nosuch.zmf///HASH:" + std::string(40, 'a'), &whole).result);
  EXPECT_EQ(0x80070002u, AnswerTo(server, "/ZAMS80/0000file:nosuch.zmf///HASH:0123", &cut).result);
  EXPECT_LT(whole, kRequestRestWait / 2) << server.Log();
  EXPECT_GE(cut, kRequestRestWait - milliseconds(10));
  MjpegTestcardSource source;
  std::vector<uint8_t> expected =
      zp::EncodeServerReply({zp::kProtocolVersion80, source.Status(), {}, source.Formats()});
  zp::AppendMediaFrame(source.NextFrame().value(), expected);
  EXPECT_EQ(expected, Exchange(server.port(), "/ZAMS80/0000live-alias:mjpeg", expected.size())) << server.Log();
  EXPECT_EQ(0, server.Stop(SIGTERM));
  EXPECT_NE(std::string::npos, server.Log().find("stopped"));
}

// A "#" in a name is a fault list only with --allow-fault-suffix. The HTTP faults break the
// client's two limits: a head without its blank line within 512 bytes after the status line,
// and a chunk-size line of 16 bytes before its CR LF.
TEST(ServerProcessTest, FaultSuffixOnlyWithTheFlagAndTheHttpFaultsRunPastTheClientsLimits) {
  constexpr uint32_t kMagic = zp::kReplyMagic, kNotFound = 0x80070002;
  const struct {
    const char* request;
    Answer plain, withSuffix;
  } cases[] = {
      {"/ZAMS80/0000file:my#1.zmf", {kMagic, kNotFound}, {kMagic, zp::kResultInvalidArg}},
      {"/ZAMS80/0000live-alias:testcard#wrong-magic", {kMagic, kNotFound}, {kMagic + 1, 0}},
      {"live-alias:testcard#result=0x80004005", {kMagic, kNotFound}, {kMagic, zp::kResultFail}},
      {"/ZAMS80/0000live-direct:1@src#explode", {kMagic, 0}, {kMagic, zp::kResultInvalidArg}},
  };
  ServerProcess plain, server({"--allow-fault-suffix"});
  for (const auto& c : cases) {
    const Answer a = AnswerTo(plain, c.request), b = AnswerTo(server, c.request);
    EXPECT_EQ(std::tuple(c.plain.magic, c.plain.result), std::tuple(a.magic, a.result)) << c.request;
    EXPECT_EQ(std::tuple(c.withSuffix.magic, c.withSuffix.result), std::tuple(b.magic, b.result)) << c.request;
  }
  auto get = [&](const std::string& fault) {
    const std::vector<uint8_t> bytes = Exchange(
        server.port(), "GET /ZMSHttp/ZAMS80/0000file:testcard.zmf%23" + fault + "/ClientId/1 HTTP/1.1\r\n\r\n", 1024);
    return std::string(bytes.begin(), bytes.end());
  };
  const std::string status = "HTTP/1.1 200 OK\r\n";
  const std::string longHead = get("long-head");
  ASSERT_EQ(0u, longHead.find(status)) << server.Log();
  EXPECT_GT(longHead.find("\r\n\r\n"), status.size() + zp::kMaxHttpHeadRestBytes);
  const std::string longLine = get("long-chunk-line");
  const size_t line = longLine.find("\r\n\r\n") + 4;
  ASSERT_EQ(0u, longLine.find(status)) << server.Log();
  EXPECT_EQ(longLine.substr(line, zp::kMaxChunkLineBytes), std::string(zp::kMaxChunkLineBytes, '0'));
  EXPECT_GT(longLine.find("\r\n", line), line + zp::kMaxChunkLineBytes);
}

TEST(ServerProcessTest, FaultFlagStillAppliesToEveryConnectionWithoutASuffix) {
  ServerProcess server({"--fault", "result=0x8FFF0544"});
  for (const char* request : {"/ZAMS80/0000live-alias:testcard", "file:testcard.zmf"})
    EXPECT_EQ(zp::kResultCredentialsRefused, AnswerTo(server, request).result) << request;
}

}  // namespace
}  // namespace zms::test
