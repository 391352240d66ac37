// The real zms-server over a socket: start and stop, the flag that lets a request name its
// own faults, a whole request answered without waiting, and the Motion-JPEG card's first frame.
// What a client sees of the sessions themselves is proven by the Wine tests of the control's
// transport and negotiation.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

#include "peers/server/tcp_transport.h"
#include "peers/server/testcard_variants.h"
#include "protocol/media_frame_codec.h"
#include "protocol/reply_codec.h"
#include "protocol/result_codes.h"
#include "protocol/rtp_reassembly.h"
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

namespace zms::test {
namespace {

// A socket of the test, closed however the test ends, with a receive time-out of 5 s.
struct Socket {
  explicit Socket(int type) : fd(::socket(AF_INET, type, 0)) {
    timeval wait{5, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
  }
  ~Socket() { ::close(fd); }
  const int fd;
};

sockaddr_in Loopback(uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

std::string Ask(const Socket& udp, uint16_t port, const std::string& text, sockaddr_in* from = nullptr) {
  const sockaddr_in to = Loopback(port);
  ::sendto(udp.fd, text.data(), text.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
  char answer[256];
  sockaddr_in sender{};
  socklen_t size = sizeof sender;
  const ssize_t n = ::recvfrom(udp.fd, answer, sizeof answer, 0, reinterpret_cast<sockaddr*>(&sender), &size);
  if (from) *from = sender;
  return n > 0 ? std::string(answer, static_cast<size_t>(n)) : std::string();
}

TEST(ServerRtp, AClientMeetsItOverUdpThenGetsTheFileAsDatagramsAndTheTallyOfTheirFaults) {
  ServerProcess server({"--allow-fault-suffix"});
  const std::string id = "{6b29fc40-ca47-1067-b31d-00dd010662da}";
  Socket udp(SOCK_DGRAM);
  sockaddr_in from{};
  const int mediaPort = std::atoi(Ask(udp, server.port(), id, &from).c_str());
  EXPECT_EQ(server.port(), ntohs(from.sin_port));
  ASSERT_GT(mediaPort, 0);
  EXPECT_NE(server.port(), mediaPort) << "the media leave from a port of their own";

  Socket tcp(SOCK_STREAM);
  const sockaddr_in address = Loopback(server.port());
  ASSERT_EQ(0, ::connect(tcp.fd, reinterpret_cast<const sockaddr*>(&address), sizeof address));
  const std::string request = "rtp-unicast:" + id + "/ZAMS80/0000file:testlist\\alpha.zmf#udp-drop=30,udp-seed=5";
  ::send(tcp.fd, request.data(), request.size(), 0);
  uint8_t reply[kRefusalSize];
  ASSERT_EQ(static_cast<ssize_t>(sizeof reply), ::recv(tcp.fd, reply, sizeof reply, MSG_WAITALL)) << server.Log();
  EXPECT_EQ(0x36B1, reply[0] | reply[1] << 8);
  EXPECT_EQ(0, reply[8] | reply[9] | reply[10] | reply[11]) << "accepted";

  zp::RtpLossControl loss;
  zp::RtpFrameAssembler assembler(loss);
  int frames = 0, ends = 0;
  uint8_t datagram[zp::kRtpMaxDatagramBytes];
  while (ends < 2) {
    while (assembler.NeedsDatagram()) {
      sockaddr_in sender{};
      socklen_t size = sizeof sender;
      const ssize_t n = ::recvfrom(udp.fd, datagram, sizeof datagram, 0, reinterpret_cast<sockaddr*>(&sender), &size);
      ASSERT_GT(n, 0) << "the datagrams stopped before the end\n" << server.Log();
      EXPECT_EQ(mediaPort, ntohs(sender.sin_port));
      assembler.Offer({datagram, static_cast<size_t>(n)}, 0);
    }
    if (auto ready = assembler.TakeOldest()) ready->header.length == 0 ? ++ends : ++frames;
  }
  EXPECT_GT(frames, 80) << "a 2-second file has 100 frames; few may lose their header packet";
  const std::string tally = Ask(udp, server.port(), "ZmsUdpTally:" + id);
  const int64_t lost = assembler.reception().Figures().lost;
  EXPECT_GT(lost, 0);
  EXPECT_NE(std::string::npos, tally.find(" dropped=" + std::to_string(lost) + " ")) << tally;
}

}  // namespace
}  // namespace zms::test
