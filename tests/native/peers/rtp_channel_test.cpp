// The server's RTP channel: frames become datagrams that the client's reassembly puts back,
// redundancy copies, datagram faults counted and repeatable, the spared start and end.
#include "peers/server/rtp_channel.h"

#include <gtest/gtest.h>

#include "protocol/rtp_reassembly.h"
#include "tests/native/protocol/rtp_frames.h"

namespace zms {
namespace {

namespace zp = zm::protocol;
using Bytes = std::vector<uint8_t>;

class ControlChannel : public ByteChannel {
 public:
  bool Send(std::span<const uint8_t>, WireMessage) override { return true; }
  ChannelWait WaitForCommands(std::string&, std::chrono::milliseconds) override { return ChannelWait::Timeout; }
  void Finish() override {}
};

struct Sent {
  std::vector<Bytes> datagrams;
  std::shared_ptr<DatagramTally> tally = std::make_shared<DatagramTally>();
};

// `frames` frames of 3000 bytes (3 datagrams each), then the end of both streams.
Sent Stream(const std::string& faults, int frames, const char* level = nullptr) {
  FaultPlan plan;
  std::string error;
  EXPECT_TRUE(ParseFaults(faults, &plan, &error)) << error;
  ControlChannel control;
  Sent run;
  RtpChannel channel(
      control, [&](std::span<const uint8_t> d) { run.datagrams.emplace_back(d.begin(), d.end()); }, plan, 0xABCD,
      run.tally, 1);
  if (level) EXPECT_TRUE(channel.TakeCommand(level));
  for (int i = 0; i < frames + 2; ++i) {
    zp::MediaFrame frame;
    frame.header.streamType = i == frames + 1 ? 1 : 2;
    frame.header.keyFrame = 1;
    if (i < frames) frame.payload.assign(3000, static_cast<uint8_t>(i));
    Bytes bytes;
    zp::AppendMediaFrame(frame, bytes);
    EXPECT_TRUE(channel.Send(bytes, WireMessage::Frame));
  }
  channel.Finish();
  return run;
}

std::vector<uint16_t> Sequences(const std::vector<Bytes>& datagrams) {
  std::vector<uint16_t> numbers;
  for (const Bytes& d : datagrams) numbers.push_back(zp::DecodeRtpDatagram(d).value().sequence);
  return numbers;
}

// The client's side: every frame it would deliver, as its first payload byte (or -1 when empty).
std::vector<int> Reassemble(const std::vector<Bytes>& datagrams, zp::RtpReceptionFigures* figures = nullptr) {
  zp::RtpLossControl loss;
  zp::RtpFrameAssembler assembler(loss);
  std::vector<int> frames;
  for (const Bytes& payload : zp::test::ReadAllFrames(assembler, {datagrams.begin(), datagrams.end()}))
    frames.push_back(payload.empty() ? -1 : payload[0]);
  if (figures) *figures = assembler.reception().Figures();
  return frames;
}

TEST(RtpChannel, FramesGoAsDatagramsAndRedundancyCopiesEverySecondOrEveryPacket) {
  const std::pair<const char*, uint32_t> cases[] = {
      {nullptr, 0}, {"QC_RedundancyMin", 0}, {"QC_RedundancyHalf", 16}, {"QC_RedundancyFull", 32}};
  for (auto [level, copies] : cases) {
    const Sent run = Stream("", 10, level);
    SCOPED_TRACE(level ? level : "none");
    EXPECT_EQ(std::tuple(32u + copies, copies), std::tuple(run.datagrams.size(), run.tally->copies.load()));
    zp::RtpReceptionFigures figures;
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, -1, -1}), Reassemble(run.datagrams, &figures));
    EXPECT_EQ(std::tuple(32u, 0), std::tuple(figures.received, figures.lost));
  }
}

TEST(RtpChannel, DatagramFaultsAreRepeatableCountedAndSpareTheStartAndTheEnd) {
  const std::string faults = "udp-drop=100,udp-duplicate=100,udp-reorder=100,udp-seed=9";
  const Sent run = Stream(faults, 200);
  const DatagramTally& t = *run.tally;
  EXPECT_GT(t.dropped.load(), 30u);
  EXPECT_GT(t.duplicated.load(), 30u);
  EXPECT_GT(t.reordered.load(), 30u);
  EXPECT_EQ(602u - t.dropped + t.duplicated, t.sent.load());
  EXPECT_EQ(run.datagrams.size(), t.sent.load());
  EXPECT_TRUE(Sequences(run.datagrams) == Sequences(Stream(faults, 200).datagrams))
      << "the same seed spoils the same datagrams";
  zp::RtpReceptionFigures figures;
  const std::vector<int> frames = Reassemble(run.datagrams, &figures);
  EXPECT_EQ(static_cast<int64_t>(t.dropped.load()), figures.lost) << "the client counts exactly the drops";
  ASSERT_GE(frames.size(), 8u);
  EXPECT_EQ((std::vector<int>{0, 1}), std::vector<int>(frames.begin(), frames.begin() + 2));
  EXPECT_EQ((std::vector<int>{196, 197, 198, 199, -1, -1}), std::vector<int>(frames.end() - 6, frames.end()));
  EXPECT_TRUE(std::is_sorted(frames.begin(), frames.end() - 2));
}

}  // namespace
}  // namespace zms
