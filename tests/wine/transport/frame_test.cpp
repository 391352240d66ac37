// Reading frames: whole payloads in task-allocator blocks, the counters, end-of-stream
// markers, and every broken frame ending in the receive error with nothing left allocated.
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
    EXPECT_TRUE(reply.Read(source, error)) << error;
    auto video = protocol::DecodeVideoInfoHeader({reply.formats[0].pbFormat, reply.formats[0].cbFormat});
    return video.ok() ? video.value().bitmap.sizeImage : 0;
  }
};

TEST_F(FrameReadTest, StoredItemFramesArriveWholeUntilBothEndMarkersAndAreCounted) {
  TestTcpSource source(ServerPort());
  const uint32_t videoSize = StartStream(source, "/ZAMS80/0000file:testcard.zmf");
  ASSERT_GT(videoSize, 0u);
  const LONG bytesBefore = source.BytesNow();
  LONG videoFrames = 0, audioFrames = 0, bytes = 0;
  std::wstring error;
  for (int markers = 0; markers < 2;) {
    FrameRecord f;
    ASSERT_TRUE(source.ReadFrame(f.frame, error)) << error << " after " << videoFrames << " video frames";
    bytes += static_cast<LONG>(protocol::kMediaFrameHeaderSize + f.frame.length);
    if (f.frame.streamType == kStreamTypeVideo) ++videoFrames;
    if (f.frame.length == 0) {
      EXPECT_EQ(f.frame.data, nullptr);
      EXPECT_EQ(f.frame.streamType, markers == 0 ? kStreamTypeVideo : kStreamTypeAudio);
      ++markers;
    } else if (f.frame.streamType == kStreamTypeVideo) {
      EXPECT_EQ(f.frame.length, videoSize);
    } else {
      ++audioFrames;
    }
  }
  // 10 s at 25 frames a second, plus the video end marker.
  EXPECT_EQ(videoFrames, 251);
  EXPECT_EQ(audioFrames, 250);
  EXPECT_EQ(source.VideoFramesNow(), videoFrames);
  EXPECT_EQ(source.BytesNow() - bytesBefore, bytes);
  // The periodic sample moves both counters into the last period.
  const LONG allBytes = source.BytesNow();
  source.SampleCounters();
  EXPECT_EQ(source.VideoFramesLastPeriod(), videoFrames);
  EXPECT_EQ(source.BytesLastPeriod(), allBytes);
  EXPECT_EQ(source.VideoFramesNow(), 0);
  EXPECT_EQ(source.BytesNow(), 0);
  source.Disconnect(error);
}

TEST_F(FrameReadTest, BrokenFrameOrFailedPayloadAllocationFailsWithTheReceiveTextAndFreesThePayload) {
  const struct {
    const char* request;
    int goodFrames;
    bool failPayloadAllocation;
    long allocatedByTheFailedRead;
  } cases[] = {{"/ZAMS80/0000file:testcard.zmf#close-mid-frame=3", 3, false, 1},
               {"/ZAMS80/0000file:testcard.zmf#oversize=frame", 0, false, 0},
               // after a video and an audio frame, so that the next is video and the heap hole is cut
               {"/ZAMS80/0000file:testcard.zmf", 2, true, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.request);
    TestTcpSource source(ServerPort());
    const uint32_t videoSize = StartStream(source, c.request);
    ASSERT_GT(videoSize, 0u);
    std::wstring error;
    for (int i = 0; i < c.goodFrames; ++i) {
      FrameRecord f;
      ASSERT_TRUE(source.ReadFrame(f.frame, error)) << error;
    }
    const LONG videoFrames = source.VideoFramesNow();
    MallocSpy().FailAllocationsOfSize(c.failPayloadAllocation ? videoSize : 0);
    const long allocated = MallocSpy().Allocations(), failed = MallocSpy().FailedAllocations();
    FrameRecord broken;
    EXPECT_FALSE(source.ReadFrame(broken.frame, error));
    EXPECT_EQ(error, L"Error receiving data from Server");
    EXPECT_EQ(MallocSpy().Allocations() - allocated, c.allocatedByTheFailedRead);
    EXPECT_EQ(MallocSpy().FailedAllocations() - failed, c.failPayloadAllocation ? 1 : 0);
    EXPECT_EQ(broken.frame.data, nullptr);
    EXPECT_EQ(broken.frame.length, 0u);
    EXPECT_EQ(source.VideoFramesNow(), videoFrames) << "a failed read is no frame";
    MallocSpy().FailAllocationsOfSize(0);
    source.Disconnect(error);
  }
}

TEST_F(FrameReadTest, BytesSentOneAtATimeAssembleIntoWholeFrames) {
  TestTcpSource source(ServerPort());
  const uint32_t videoSize = StartStream(source, "/ZAMS80/0000live-alias:testcard#drip");
  std::wstring error;
  FrameRecord video, audio;
  ASSERT_TRUE(source.ReadFrame(video.frame, error)) << error;
  ASSERT_TRUE(source.ReadFrame(audio.frame, error)) << error;
  EXPECT_EQ(video.frame.streamType, kStreamTypeVideo);
  EXPECT_EQ(video.frame.length, videoSize);
  EXPECT_EQ(video.frame.keyFrame, 1);
  EXPECT_EQ(audio.frame.streamType, kStreamTypeAudio);
  EXPECT_EQ(audio.frame.time, video.frame.time);
  source.Disconnect(error);
}

}  // namespace
}  // namespace zm::tests
