// Datagrams back into frames as the RTP source reads them: reordering, duplicates, late and
// missing packets, the first key frame, the loss counts and the reception figures. Strays of
// another source in a multicast group (before the first key frame too, and with no loss counted
// for their far sequence numbers) are proven by the Wine test ALiveStreamComesInOrderWhatever....
#include "protocol/rtp_reassembly.h"

#include <gtest/gtest.h>

#include "tests/native/protocol/rtp_frames.h"

namespace zm::protocol {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint32_t kSsrc = 0x1234;

// A frame of `pieces` pieces, piece i filled with byte (tag + i), the last one 10 bytes.
std::vector<Bytes> Frame(uint16_t firstSequence, uint32_t timestamp, int pieces, uint8_t tag, uint32_t type = 2,
                         uint8_t key = 1) {
  MediaFrame frame;
  frame.header.streamType = type;
  frame.header.keyFrame = key;
  for (int i = 0; i < pieces; ++i)
    frame.payload.insert(frame.payload.end(), i + 1 < pieces ? kRtpPieceBytes : 10, static_cast<uint8_t>(tag + i));
  return PacketiseFrame(frame, {firstSequence, timestamp, kSsrc, false});
}

Bytes Pieces(std::initializer_list<std::pair<uint8_t, uint32_t>> runs) {
  Bytes out;
  for (auto [byte, count] : runs) out.insert(out.end(), count, byte);
  return out;
}

TEST(RtpFrameAssembler, ReordersPiecesAndFramesAndFillsMissingPiecesWithZeros) {
  RtpLossControl loss;
  RtpFrameAssembler assembler(loss);
  auto a = Frame(100, 1000, 3, 0x10), b = Frame(103, 1040, 2, 0x20), c = Frame(105, 1080, 1, 0x30);
  // a's end and b (in reverse) come before a's start; a's middle piece comes only after four
  // frames wait behind a, too late; c is duplicated.
  const std::deque<Bytes> queue = {
      a[2], b[1], b[0], a[0], c[0], c[0], Frame(106, 1090, 1, 0x40)[0], Frame(107, 1100, 1, 0x50)[0], a[1]};
  const auto frames = test::ReadAllFrames(assembler, queue);
  ASSERT_EQ(5u, frames.size());
  EXPECT_EQ(Pieces({{0x10, 1384}, {0, 1384}, {0x12, 10}}), frames[0]);
  EXPECT_EQ(Pieces({{0x20, 1384}, {0x21, 10}}), frames[1]);
  EXPECT_EQ(Pieces({{0x30, 10}}), frames[2]);
  EXPECT_EQ(std::tuple(7, 1), std::tuple(loss.received(), loss.lost()));
}

TEST(RtpFrameAssembler, AFrameLeftIncompleteBeforeAStreamsEndGoesWithoutWaiting) {
  RtpLossControl loss;
  RtpFrameAssembler assembler(loss);
  const auto a = Frame(100, 1000, 3, 0x10);
  assembler.Offer(a[0], 0);
  assembler.Offer(a[1], 0);  // a[2] was lost
  EXPECT_TRUE(assembler.NeedsDatagram());
  assembler.Offer(Frame(103, 1040, 0, 0)[0], 0);  // the video stream's end
  EXPECT_FALSE(assembler.NeedsDatagram()) << "nothing of a comes after the end";
  auto first = assembler.TakeOldest();
  ASSERT_TRUE(first);
  Bytes payload(first->header.length);
  assembler.FillPayload(*first, payload);
  EXPECT_EQ(Pieces({{0x10, 1384}, {0x11, 1384}, {0, 10}}), payload);
  auto end = assembler.TakeOldest();
  ASSERT_TRUE(end);
  EXPECT_EQ(0u, end->header.length);
}

TEST(RtpFrameAssembler, AFrameWithoutItsHeaderIsDroppedAndItsPacketsCountedOnceAsLost) {
  RtpLossControl loss;
  RtpFrameAssembler assembler(loss);
  auto a = Frame(0, 0, 1, 1), b = Frame(1, 40, 3, 2), c = Frame(4, 80, 1, 3);
  const auto frames = test::ReadAllFrames(assembler, {a[0], b[1], b[2], c[0]});
  ASSERT_EQ(2u, frames.size());
  EXPECT_EQ(Pieces({{3, 10}}), frames[1]);
  // Only b's header packet is lost: the other two came, though b is not played.
  EXPECT_EQ(std::tuple(1, 4), std::tuple(loss.lost(), loss.received()));
}

TEST(RtpFrameAssembler, DeliveryStartsAtTheFirstVideoKeyFrame) {
  RtpLossControl loss;
  RtpFrameAssembler assembler(loss);
  const auto audio = Frame(10, 100, 1, 1, 1, 1), delta = Frame(11, 110, 2, 2, 2, 0), key = Frame(13, 120, 2, 3);
  EXPECT_EQ(RtpOffer::Skipped, assembler.OfferWhileSyncing(audio[0], 0));
  EXPECT_EQ(RtpOffer::Skipped, assembler.OfferWhileSyncing(delta[0], 0));
  EXPECT_EQ(RtpOffer::NotRtp, assembler.OfferWhileSyncing(Bytes{0x90, 1, 2}, 0));
  EXPECT_EQ(RtpOffer::Added, assembler.OfferWhileSyncing(key[0], 0));
  const auto frames = test::ReadAllFrames(assembler, {delta[1], key[1]});
  ASSERT_EQ(1u, frames.size());
  EXPECT_EQ(Pieces({{3, 1384}, {4, 10}}), frames[0]);
}

TEST(RtpFrameAssembler, AnotherSsrcMeansTheServerRestartedAndForeignBytesAreIgnored) {
  RtpLossControl loss;
  RtpFrameAssembler assembler(loss);
  EXPECT_EQ(RtpOffer::NotRtp, assembler.Offer(Bytes{'H', 'o', 'l', 'd'}, 0));
  EXPECT_FALSE(assembler.ssrcKnown());
  EXPECT_EQ(RtpOffer::Added, assembler.Offer(Frame(1, 1, 1, 1)[0], 0));
  MediaFrame other;
  EXPECT_EQ(RtpOffer::SsrcChanged, assembler.Offer(PacketiseFrame(other, {2, 2, kSsrc + 1, false})[0], 0));
}

TEST(RtpReceptionStats, FiguresFollowRfc3550) {
  RtpReceptionStats stats;
  // Sequence 10..19 with 13 and 17 lost, 15 twice, 18 only as a redundant copy; packets sent
  // 10 ms apart and arriving 10 ms apart except one 26 ms late.
  const struct {
    uint64_t sequence;
    uint32_t sent, arrived;
    bool copy, counted;
  } packets[] = {{10, 0, 500, false, true},  {11, 10, 510, false, true}, {12, 20, 520, false, true},
                 {14, 40, 566, false, true}, {15, 50, 550, false, true}, {15, 50, 551, true, false},
                 {16, 60, 560, false, true}, {18, 80, 580, true, true},  {19, 90, 590, false, true}};
  for (const auto& p : packets) EXPECT_EQ(p.counted, stats.OnPacket(p.sequence, p.sent, p.arrived, p.copy));
  const RtpReceptionFigures f = stats.Figures();
  // J += (|D| - J) / 16 in the fixed point of appendix A.8: D is 26 then 26, J 2.
  EXPECT_EQ(std::tuple(10u, 8u, 2, 1u, 2u), std::tuple(f.expected, f.received, f.lost, f.recovered, f.jitter));
}

}  // namespace
}  // namespace zm::protocol
