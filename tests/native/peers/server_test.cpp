// The real zms-server over a socket: start and stop, the flag that lets a request name its
// own faults, a whole request answered without waiting, and the Motion-JPEG card's first frame.
// What a client sees of the sessions themselves is proven by the Wine tests of the control's
// transport and negotiation.
#include <gtest/gtest.h>
#include <signal.h>

#include "peers/server/tcp_transport.h"
#include "peers/server/testcard_variants.h"
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

TEST(ServerStartup, PortZeroIsPrintedAndServedAndSigtermStopsCleanly) {
  ServerProcess server;
  ASSERT_NE(0, server.port());
  EXPECT_FALSE(Exchange(server.port(), "/ZAMS80/0000live-alias:testcard", 64 * 1024).empty());
  EXPECT_EQ(0, server.Stop(SIGTERM));
  EXPECT_NE(std::string::npos, server.Log().find("stopped"));
}

TEST(ServerFaultSuffix, HashInANameIsAFaultListOnlyWithTheFlag) {
  struct Case {
    const char* request;
    Answer plain;       // without --allow-fault-suffix
    Answer withSuffix;  // with it
  };
  constexpr uint32_t kMagic = zp::kReplyMagic, kNotFound = 0x80070002;
  const Case cases[] = {
      {"/ZAMS80/0000file:my#1.zmf", {kMagic, kNotFound}, {kMagic, zp::kResultInvalidArg}},
      {"/ZAMS80/0000live-alias:testcard#wrong-magic", {kMagic, kNotFound}, {kMagic + 1, 0}},
      {"live-alias:testcard#result=0x80004005", {kMagic, kNotFound}, {kMagic, zp::kResultFail}},
      {"/ZAMS80/0000live-direct:1@src#explode", {kMagic, 0}, {kMagic, zp::kResultInvalidArg}},
  };
  ServerProcess plain, withSuffix({"--allow-fault-suffix"});
  for (const Case& c : cases) {
    const Answer a = AnswerTo(plain, c.request), b = AnswerTo(withSuffix, c.request);
    EXPECT_EQ(c.plain.magic, a.magic) << c.request;
    EXPECT_EQ(c.plain.result, a.result) << c.request;
    EXPECT_EQ(c.withSuffix.magic, b.magic) << c.request;
    EXPECT_EQ(c.withSuffix.result, b.result) << c.request;
  }
}

TEST(ServerFaultSuffix, FaultFlagStillAppliesToEveryConnectionWithoutIt) {
  ServerProcess server({"--fault", "result=0x8FFF0544"});
  for (const char* request : {"/ZAMS80/0000live-alias:testcard", "file:testcard.zmf"}) {
    EXPECT_EQ(zp::kResultCredentialsRefused, AnswerTo(server, request).result) << request;
  }
}

// A whole request is answered at once; only a beginning that could still grow waits for
// its rest. The margins are wide: the whole request must beat half the wait by far.
TEST(ServerRequestReading, WholeRequestIsAnsweredWithoutTheWaitForARest) {
  ServerProcess server;
  milliseconds whole{}, cut{};
  EXPECT_EQ(0x80070002u, AnswerTo(server, "/ZAMS80/0000file:nosuch.zmf///HASH:" + std::string(40, 'a'), &whole).result);
  EXPECT_EQ(0x80070002u, AnswerTo(server, "/ZAMS80/0000file:nosuch.zmf///HASH:0123", &cut).result);
  EXPECT_LT(whole, kRequestRestWait / 2) << server.Log();
  EXPECT_GE(cut, kRequestRestWait - milliseconds(10));
}

// The reply and the first frame over the connection are what the source makes, byte for byte
// (what those bytes mean: testcard_variants_test.cpp and the protocol's codec tests).
TEST(ServerLiveVariants, MjpegAliasSendsItsDescriptionsThenPictureZeroAsJpeg) {
  MjpegTestcardSource source;
  std::vector<uint8_t> expected =
      zp::EncodeServerReply({zp::kProtocolVersion80, source.Status(), {}, source.Formats()});
  zp::AppendMediaFrame(source.NextFrame().value(), expected);
  ServerProcess server;
  EXPECT_EQ(expected, Exchange(server.port(), "/ZAMS80/0000live-alias:mjpeg", expected.size())) << server.Log();
}

}  // namespace
}  // namespace zms::test
