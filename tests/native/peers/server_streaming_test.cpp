#include <chrono>

#include "server_fixture.h"

namespace zms::test {
namespace {

constexpr size_t kPictureBytes = 320 * 240 * 4;
constexpr size_t kToneBytes = 1764 * 4;

class ServerStreaming : public ServerTest {
 protected:
  void SetUp() override { StartServer(); }
};

TEST_F(ServerStreaming, LiveFramesAlternateVideoThenAudioTimedFromTheSessionStart) {
  auto client = OpenAccepted(kLiveAlias80);
  for (int picture = 0; picture < 5; ++picture) {
    auto video = client->ReadFrame();
    ASSERT_TRUE(video.has_value()) << picture;
    EXPECT_EQ(zp::kStreamTypeVideo, video->header.streamType);
    EXPECT_EQ(picture * kFrameTime, video->header.time);
    EXPECT_EQ((picture + 1) * kFrameTime, video->header.stopTime);
    EXPECT_EQ(1, video->header.keyFrame);
    EXPECT_EQ(kPictureBytes, video->payload.size());
    auto audio = client->ReadFrame();
    ASSERT_TRUE(audio.has_value()) << picture;
    EXPECT_EQ(zp::kStreamTypeAudio, audio->header.streamType);
    EXPECT_EQ(picture * kFrameTime, audio->header.time);
    EXPECT_EQ(kToneBytes, audio->payload.size());
    EXPECT_FALSE(zp::IsStreamChangeFrame(video->header));
  }
}

TEST_F(ServerStreaming, LivePictureChangesFromFrameToFrame) {
  auto client = OpenAccepted(kLiveAlias80);
  auto first = client->ReadFrame();
  client->ReadFrame();
  auto second = client->ReadFrame();
  ASSERT_TRUE(first && second);
  EXPECT_NE(first->payload, second->payload);
}

TEST_F(ServerStreaming, LiveFramesAreSentInRealTime) {
  auto client = OpenAccepted(kLiveAlias80);
  ASSERT_TRUE(client->ReadFrame().has_value());
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 2 * 25; ++i) ASSERT_TRUE(client->ReadFrame().has_value());
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, std::chrono::milliseconds(850));
  EXPECT_LE(elapsed, std::chrono::milliseconds(3000));
}

TEST_F(ServerStreaming, AudioIsAStereoToneNotSilence) {
  auto client = OpenAccepted(kLiveAlias80);
  client->ReadFrame();
  auto audio = client->ReadFrame();
  ASSERT_TRUE(audio.has_value());
  int nonzero = 0;
  for (size_t i = 0; i + 3 < audio->payload.size(); i += 4) {
    const int16_t left = static_cast<int16_t>(audio->payload[i] | audio->payload[i + 1] << 8);
    const int16_t right = static_cast<int16_t>(audio->payload[i + 2] | audio->payload[i + 3] << 8);
    EXPECT_EQ(left, right);
    if (left != 0) ++nonzero;
  }
  EXPECT_GT(nonzero, 1000);
}

TEST_F(ServerStreaming, StoredFileHasTenSecondsThenEndOfStreamFramesForVideoAndAudio) {
  auto client = OpenAccepted(kStoredFile80);
  int video = 0, audio = 0;
  int64_t lastTime = -1;
  for (;;) {
    auto frame = client->ReadFrame();
    ASSERT_TRUE(frame.has_value()) << "after " << video << " pictures";
    if (frame->header.length == 0) {
      EXPECT_EQ(zp::kStreamTypeVideo, frame->header.streamType);
      break;
    }
    if (frame->header.streamType == zp::kStreamTypeVideo) {
      EXPECT_EQ(video * kFrameTime, frame->header.time);
      ++video;
    } else {
      ++audio;
    }
    lastTime = frame->header.time;
  }
  auto audioEnd = client->ReadFrame();
  ASSERT_TRUE(audioEnd.has_value());
  EXPECT_EQ(0u, audioEnd->header.length);
  EXPECT_EQ(zp::kStreamTypeAudio, audioEnd->header.streamType);
  EXPECT_EQ(250, video);
  EXPECT_EQ(250, audio);
  EXPECT_EQ(249 * kFrameTime, lastTime);
  EXPECT_TRUE(client->StaysSilent(milliseconds(300)));
}

}  // namespace
}  // namespace zms::test
