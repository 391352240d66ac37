#include "peers/server/testcard_source.h"

#include <algorithm>
#include <utility>

#include "peers/server/testcard_signal.h"

namespace zms {
namespace {

namespace zp = zm::protocol;

// Live streams allow snapshots (server flag bit 1).
constexpr uint32_t kLiveServerFlags = 0x2;

zp::MediaFrame EndOfStream(uint32_t streamType) {
  zp::MediaFrame frame;
  frame.header.streamType = streamType;
  return frame;
}

std::vector<uint8_t> TestcardPayload(int64_t picture, bool video) {
  return video ? DrawTestcardPicture(picture) : MakeTestcardTone(picture);
}

}  // namespace

zp::MediaFrame PictureFrame(int64_t picture, bool video, std::vector<uint8_t> payload) {
  zp::MediaFrame frame;
  frame.header.streamType = video ? zp::kStreamTypeVideo : zp::kStreamTypeAudio;
  frame.header.time = picture * kTestcardFrameTime;
  frame.header.stopTime = (picture + 1) * kTestcardFrameTime;
  frame.header.keyFrame = 1;  // uncompressed or intra-coded: every frame stands alone
  frame.payload = std::move(payload);
  frame.header.length = static_cast<uint32_t>(frame.payload.size());
  return frame;
}

zp::MediaFrame TestcardFrame(int64_t picture, bool video) {
  return PictureFrame(picture, video, TestcardPayload(picture, video));
}

zp::StreamFormatPair LiveTestcardSource::Formats() const { return TestcardFormats(); }

zp::ReplyStatus LiveTestcardSource::Status() const {
  zp::ReplyStatus status;
  status.resourceKind = 1;
  status.serverFlags = kLiveServerFlags;
  return status;
}

std::optional<zp::MediaFrame> LiveTestcardSource::NextFrame() {
  const int64_t n = next_++;
  const int64_t picture = n / 2;
  const bool video = n % 2 == 0;
  std::vector<uint8_t> payload = Payload(picture, video);
  // An empty payload would read as the end of a stream; say so rather than send it.
  if (payload.empty()) return std::nullopt;
  return PictureFrame(picture, video, std::move(payload));
}

std::vector<uint8_t> LiveTestcardSource::Payload(int64_t picture, bool video) {
  return TestcardPayload(picture, video);
}

bool LiveTestcardSource::Seek(int) { return false; }

zp::StreamFormatPair StoredTestcardSource::Formats() const { return TestcardFormats(); }

zp::ReplyStatus StoredTestcardSource::Status() const {
  zp::ReplyStatus status;
  status.resourceKind = 0;
  status.playlistGeneration = playlistGeneration_;
  status.serverFlags = static_cast<uint32_t>(durationSeconds_) * 1000;  // stored media: the duration in ms
  status.seekable = 1;
  return status;
}

int64_t StoredTestcardSource::Pictures() const { return int64_t{durationSeconds_} * kTestcardFps; }

// The client keeps a playlist entry's frames only when (tag >> 8) & 0xFE is the generation.
zp::MediaFrame StoredTestcardSource::Tagged(zp::MediaFrame frame) const {
  frame.header.tag = static_cast<uint16_t>(playlistGeneration_ << 8);
  return frame;
}

std::optional<zp::MediaFrame> StoredTestcardSource::NextFrame() {
  const int64_t storedPictures = Pictures();
  const int64_t picture = firstPicture_ + next_ / 2;
  const bool video = next_ % 2 == 0;
  if (picture >= storedPictures) {
    // A seek at or past the end completes with one empty frame, which also ends the item.
    if (seekPending_) {
      seekPending_ = false;
      next_ = 2 * (storedPictures - firstPicture_) + 2;
      zp::MediaFrame done = Tagged(EndOfStream(zp::kStreamTypeVideo));
      done.header.hasNewFormat = 1;
      return done;
    }
    const int64_t endIndex = next_ - 2 * (storedPictures - firstPicture_);
    if (endIndex >= 2) return std::nullopt;
    ++next_;
    return Tagged(EndOfStream(endIndex == 0 ? zp::kStreamTypeVideo : zp::kStreamTypeAudio));
  }
  zp::MediaFrame frame = Tagged(PictureFrame(picture, video, Payload(picture, video)));
  if (seekPending_) {
    frame.header.hasNewFormat = 1;
    seekPending_ = false;
  }
  ++next_;
  return frame;
}

std::vector<uint8_t> StoredTestcardSource::Payload(int64_t picture, bool video) {
  return TestcardPayload(picture, video);
}

bool StoredTestcardSource::Seek(int seconds) {
  if (seconds < 0) seconds = 0;
  firstPicture_ = std::min<int64_t>(int64_t{seconds} * kTestcardFps, Pictures());
  next_ = 0;
  seekPending_ = true;
  return true;
}

}  // namespace zms
