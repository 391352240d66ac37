// The live alias "timeshift": a reply that announces a time-shift window (the control's playback
// mode 3), a seek into the window announced by a stored stream change (mode 4), and back to live.
#include "server_fixture.h"
#include "protocol/stream_change_codec.h"

namespace zms::test {
namespace {

constexpr char kTimeShift80[] = "/ZAMS80/0000live-alias:timeshift";

uint16_t Low16(uint64_t v) { return static_cast<uint16_t>(v & 0xFFFF); }
uint16_t High16(uint32_t v) { return static_cast<uint16_t>(v >> 16); }

class ServerTimeShift : public ServerTest {
 protected:
  void SetUp() override { StartServer(); }

  // Reads frames until a stream-change frame; none when it does not come within 200 frames.
  std::optional<zp::MediaFrame> ReadUntilStreamChange(WireClient& client) {
    for (int i = 0; i < 200; ++i) {
      auto frame = client.ReadFrame();
      if (!frame) return std::nullopt;
      if (zp::IsStreamChangeFrame(frame->header)) return frame;
    }
    return std::nullopt;
  }
};

TEST_F(ServerTimeShift, ReplyAnnouncesTheWindowInServerFlagsAndTheVideoRecord) {
  zp::ServerReply reply;
  auto client = OpenAccepted(kTimeShift80, &reply);
  EXPECT_EQ(1u, reply.status.resourceKind) << "live";
  EXPECT_TRUE(reply.status.serverFlags & 0x4) << "bit 2: a time-shift window";
  EXPECT_TRUE(reply.status.serverFlags & 0x2) << "bit 1: snapshots";
  EXPECT_EQ(30, High16(reply.status.serverFlags)) << "the window's total seconds, not 0";
  const uint32_t w = reply.formats[zp::kVideoFormatIndex].type.temporalCompression;
  // The control takes the window when the length is at least 15 s and the maximum at least 60 s.
  EXPECT_EQ(30, Low16(w));
  EXPECT_EQ(120, High16(w));
  auto frame = client->ReadFrame();
  ASSERT_TRUE(frame.has_value());
  EXPECT_FALSE(zp::IsStreamChangeFrame(frame->header));
}

TEST_F(ServerTimeShift, PlainLiveAliasAnnouncesNoWindow) {
  zp::ServerReply reply;
  OpenAccepted(kLiveAlias80, &reply);
  EXPECT_FALSE(reply.status.serverFlags & 0x4);
  EXPECT_EQ(0u, reply.formats[zp::kVideoFormatIndex].type.temporalCompression);
}

TEST_F(ServerTimeShift, SeekMovesIntoTheWindowWithAStoredStreamChange) {
  auto client = OpenAccepted(kTimeShift80);
  ASSERT_TRUE(client->ReadFrame().has_value());
  ASSERT_TRUE(client->Send("Seek:10"));
  auto change = ReadUntilStreamChange(*client);
  ASSERT_TRUE(change.has_value()) << server_->Log();
  EXPECT_NE(0, change->header.hasNewFormat);
  EXPECT_EQ(0, change->header.flags & 1) << "live can be resumed";
  EXPECT_EQ(10, change->header.itemIndex) << "position: seconds behind the live edge";
  const uint64_t fields = static_cast<uint64_t>(change->header.time);
  EXPECT_EQ(120, Low16(fields)) << "bytes 8..9: maximum";
  EXPECT_GE(Low16(fields >> 16), 30) << "bytes 10..11: length";
  EXPECT_EQ(Low16(fields >> 16), Low16(fields >> 32)) << "bytes 12..13: total seconds";
  auto payload = zp::DecodeStreamChangePayload(change->payload);
  ASSERT_TRUE(payload.ok());
  EXPECT_EQ(0u, payload.value().status.resourceKind) << "stored: playback from the window";
  EXPECT_NE(0u, payload.value().status.seekable);
  EXPECT_TRUE(payload.value().formats[zp::kVideoFormatIndex].IsPresent());
  EXPECT_TRUE(payload.value().formats[zp::kAudioFormatIndex].IsPresent());
  auto next = client->ReadFrame();
  ASSERT_TRUE(next.has_value());
  EXPECT_FALSE(zp::IsStreamChangeFrame(next->header));
}

TEST_F(ServerTimeShift, SeekToZeroReturnsToLiveWithALiveStreamChange) {
  auto client = OpenAccepted(kTimeShift80);
  ASSERT_TRUE(client->Send("Seek:5"));
  ASSERT_TRUE(ReadUntilStreamChange(*client).has_value());
  ASSERT_TRUE(client->Send("Seek:0"));
  auto change = ReadUntilStreamChange(*client);
  ASSERT_TRUE(change.has_value());
  EXPECT_EQ(0, change->header.itemIndex);
  EXPECT_NE(0, change->header.time) << "a nonzero time field announces the window again";
  auto payload = zp::DecodeStreamChangePayload(change->payload);
  ASSERT_TRUE(payload.ok());
  EXPECT_EQ(1u, payload.value().status.resourceKind);
  EXPECT_TRUE(payload.value().status.serverFlags & 0x4);
}

TEST_F(ServerTimeShift, SeekFurtherBackThanTheWindowStopsAtItsStart) {
  auto client = OpenAccepted(kTimeShift80);
  ASSERT_TRUE(client->Send("Seek:5000"));
  auto change = ReadUntilStreamChange(*client);
  ASSERT_TRUE(change.has_value());
  const uint16_t length = Low16(static_cast<uint64_t>(change->header.time) >> 16);
  EXPECT_EQ(length, change->header.itemIndex);
}

}  // namespace
}  // namespace zms::test
