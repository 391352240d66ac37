// Reading frames: whole payloads in task-allocator blocks, the counters, end-of-stream
// markers, and every broken frame ending in the receive error with nothing left allocated.
#include "protocol/format_blocks.h"
#include "protocol/media_frame_codec.h"
#include "transport/transport_fixture.h"

namespace zm::tests {
namespace {

using protocol::kStreamTypeAudio;
using protocol::kStreamTypeVideo;

class FrameReadTest : public TransportTest {
 protected:
  // Connects to the server with the request and reads its reply; returns the size of an
  // uncompressed video frame as the video format gives it.
  uint32_t StartStream(TestTcpSource& source, const std::string& request) {
    ConnectToServer(source, request, kProtocol80);
    ReplyRecords reply;
    std::wstring error;
    EXPECT_TRUE(source.ReadServerReply(reply.formats, reply.status, error, TRUE)) << Narrow(error);
    auto video = protocol::DecodeVideoInfoHeader({reply.formats[0].pbFormat, reply.formats[0].cbFormat});
    return video.ok() ? video.value().bitmap.sizeImage : 0;
  }
};

TEST_F(FrameReadTest, StoredItemFramesArriveWholeUntilBothEndMarkers) {
  TestTcpSource source(ServerPort());
  const uint32_t videoSize = StartStream(source, "/ZAMS80/0000file:testcard.zmf");
  ASSERT_GT(videoSize, 0u);
  const LONG bytesBefore = source.BytesNow();
  LONG videoFrames = 0, audioFrames = 0, bytes = 0;
  int64_t lastVideoTime = -1;
  std::wstring error;
  for (int markers = 0; markers < 2;) {
    FrameRecord f;
    ASSERT_TRUE(source.ReadFrame(f.frame, error)) << Narrow(error) << " after " << videoFrames << " video frames";
    bytes += static_cast<LONG>(protocol::kMediaFrameHeaderSize + f.frame.length);
    if (f.frame.length == 0) {
      EXPECT_EQ(f.frame.data, nullptr);
      EXPECT_EQ(f.frame.streamType, markers == 0 ? kStreamTypeVideo : kStreamTypeAudio);
      ++markers;
      if (f.frame.streamType == kStreamTypeVideo) ++videoFrames;
      continue;
    }
    ASSERT_NE(f.frame.data, nullptr);
    if (f.frame.streamType == kStreamTypeVideo) {
      ++videoFrames;
      EXPECT_EQ(f.frame.length, videoSize);
      EXPECT_GT(f.frame.time, lastVideoTime);
      lastVideoTime = f.frame.time;
    } else {
      ++audioFrames;
    }
  }
  // 10 s at 25 frames a second, plus the video end marker.
  EXPECT_EQ(videoFrames, 251);
  EXPECT_EQ(audioFrames, 250);
  EXPECT_EQ(source.VideoFramesNow(), videoFrames);
  EXPECT_EQ(source.BytesNow() - bytesBefore, bytes);
  source.Disconnect(error);
}

TEST_F(FrameReadTest, SamplingMovesTheCountersIntoTheLastPeriod) {
  TestTcpSource source(ServerPort());
  StartStream(source, "/ZAMS80/0000file:testcard.zmf");
  std::wstring error;
  LONG video = 0;
  for (int i = 0; i < 6; ++i) {
    FrameRecord f;
    ASSERT_TRUE(source.ReadFrame(f.frame, error)) << Narrow(error);
    if (f.frame.streamType == kStreamTypeVideo) ++video;
  }
  const LONG bytes = source.BytesNow();
  source.SampleCounters();
  EXPECT_EQ(source.VideoFramesLastPeriod(), video);
  EXPECT_EQ(source.BytesLastPeriod(), bytes);
  EXPECT_EQ(source.VideoFramesNow(), 0);
  EXPECT_EQ(source.BytesNow(), 0);
  source.Disconnect(error);
}

TEST_F(FrameReadTest, ConnectionClosedMidFrameFailsAndFreesThePayload) {
  TestTcpSource source(ServerPort());
  StartStream(source, "/ZAMS80/0000file:testcard.zmf#close-mid-frame=3");
  std::wstring error;
  for (int i = 0; i < 3; ++i) {
    FrameRecord f;
    ASSERT_TRUE(source.ReadFrame(f.frame, error)) << Narrow(error);
  }
  const long allocated = MallocSpy().Allocations();
  FrameRecord broken;
  EXPECT_FALSE(source.ReadFrame(broken.frame, error));
  EXPECT_EQ(error, L"Error receiving data from Server");
  EXPECT_EQ(MallocSpy().Allocations(), allocated + 1) << "the payload was allocated before the read failed";
  EXPECT_EQ(broken.frame.data, nullptr);
  EXPECT_EQ(broken.frame.length, 0u);
  source.Disconnect(error);
}

TEST_F(FrameReadTest, OversizeFrameLengthFailsWithoutAllocating) {
  TestTcpSource source(ServerPort());
  StartStream(source, "/ZAMS80/0000file:testcard.zmf#oversize=frame");
  const long allocated = MallocSpy().Allocations();
  std::wstring error;
  FrameRecord f;
  EXPECT_FALSE(source.ReadFrame(f.frame, error));
  EXPECT_EQ(error, L"Error receiving data from Server");
  EXPECT_EQ(MallocSpy().Allocations(), allocated);
  EXPECT_EQ(f.frame.data, nullptr);
  EXPECT_EQ(f.frame.length, 0u);
  source.Disconnect(error);
}

TEST_F(FrameReadTest, FailedPayloadAllocationFailsTheRead) {
  TestTcpSource source(ServerPort());
  const uint32_t videoSize = StartStream(source, "/ZAMS80/0000file:testcard.zmf");
  ASSERT_GT(videoSize, 0u);
  MallocSpy().FailAllocationsOfSize(videoSize);
  std::wstring error;
  FrameRecord f;
  EXPECT_FALSE(source.ReadFrame(f.frame, error));
  EXPECT_EQ(error, L"Error receiving data from Server");
  EXPECT_EQ(MallocSpy().FailedAllocations(), 1);
  EXPECT_EQ(f.frame.data, nullptr);
  EXPECT_EQ(f.frame.length, 0u);
  EXPECT_EQ(source.VideoFramesNow(), 0);
  source.Disconnect(error);
}

TEST_F(FrameReadTest, BytesSentOneAtATimeAssembleIntoWholeFrames) {
  TestTcpSource source(ServerPort());
  const uint32_t videoSize = StartStream(source, "/ZAMS80/0000live-alias:testcard#drip");
  std::wstring error;
  FrameRecord video, audio;
  ASSERT_TRUE(source.ReadFrame(video.frame, error)) << Narrow(error);
  ASSERT_TRUE(source.ReadFrame(audio.frame, error)) << Narrow(error);
  EXPECT_EQ(video.frame.streamType, kStreamTypeVideo);
  EXPECT_EQ(video.frame.length, videoSize);
  EXPECT_EQ(video.frame.keyFrame, 1);
  EXPECT_EQ(audio.frame.streamType, kStreamTypeAudio);
  EXPECT_EQ(audio.frame.time, video.frame.time);
  source.Disconnect(error);
}

}  // namespace
}  // namespace zm::tests
