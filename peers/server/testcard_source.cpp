#include "peers/server/testcard_source.h"

#include <algorithm>

#include "peers/server/testcard_signal.h"

namespace zms {
namespace {

namespace zt = zm::transport;

constexpr int64_t kStoredPictures = int64_t{StoredTestcardSource::kDurationSeconds} * kTestcardFps;

// Live streams allow snapshots (server flag bit 1).
constexpr uint32_t kLiveServerFlags = 0x2;

// Frame 2k is picture k's video, frame 2k+1 its audio.
zt::MediaFrame TestcardFrame(int64_t picture, bool video) {
  zt::MediaFrame frame;
  frame.header.streamType = video ? zt::kStreamTypeVideo : zt::kStreamTypeAudio;
  frame.header.time = picture * kTestcardFrameTime;
  frame.header.stopTime = (picture + 1) * kTestcardFrameTime;
  frame.header.keyFrame = 1;  // uncompressed: every frame stands alone
  frame.payload = video ? DrawTestcardPicture(picture) : MakeTestcardTone(picture);
  frame.header.length = static_cast<uint32_t>(frame.payload.size());
  return frame;
}

zt::MediaFrame EndOfStream(uint32_t streamType) {
  zt::MediaFrame frame;
  frame.header.streamType = streamType;
  return frame;
}

}  // namespace

zt::StreamFormatPair LiveTestcardSource::Formats() const { return TestcardFormats(); }

zt::ReplyStatus LiveTestcardSource::Status() const {
  zt::ReplyStatus status;
  status.resourceKind = 1;
  status.serverFlags = kLiveServerFlags;
  return status;
}

std::optional<zt::MediaFrame> LiveTestcardSource::NextFrame() {
  const int64_t n = next_++;
  return TestcardFrame(n / 2, n % 2 == 0);
}

bool LiveTestcardSource::Seek(int) { return false; }

zt::StreamFormatPair StoredTestcardSource::Formats() const { return TestcardFormats(); }

zt::ReplyStatus StoredTestcardSource::Status() const {
  zt::ReplyStatus status;
  status.resourceKind = 0;
  status.serverFlags = kDurationSeconds * 1000;  // stored media: the duration in ms
  status.seekable = 1;
  return status;
}

std::optional<zt::MediaFrame> StoredTestcardSource::NextFrame() {
  const int64_t picture = firstPicture_ + next_ / 2;
  const bool video = next_ % 2 == 0;
  if (picture >= kStoredPictures) {
    // A seek at or past the end completes with one empty frame, which also ends the item.
    if (seekPending_) {
      seekPending_ = false;
      next_ = 2 * (kStoredPictures - firstPicture_) + 2;
      zt::MediaFrame done = EndOfStream(zt::kStreamTypeVideo);
      done.header.hasNewFormat = 1;
      return done;
    }
    const int64_t endIndex = next_ - 2 * (kStoredPictures - firstPicture_);
    if (endIndex >= 2) return std::nullopt;
    ++next_;
    return EndOfStream(endIndex == 0 ? zt::kStreamTypeVideo : zt::kStreamTypeAudio);
  }
  zt::MediaFrame frame = TestcardFrame(picture, video);
  if (seekPending_) {
    frame.header.hasNewFormat = 1;
    seekPending_ = false;
  }
  ++next_;
  return frame;
}

bool StoredTestcardSource::Seek(int seconds) {
  if (seconds < 0) seconds = 0;
  firstPicture_ = std::min<int64_t>(int64_t{seconds} * kTestcardFps, kStoredPictures);
  next_ = 0;
  seekPending_ = true;
  return true;
}

}  // namespace zms
