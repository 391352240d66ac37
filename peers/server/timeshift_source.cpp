#include "peers/server/timeshift_source.h"

#include <algorithm>

#include "peers/server/testcard_signal.h"
#include "peers/server/testcard_source.h"
#include "protocol/stream_change_codec.h"

namespace zms {
namespace {

namespace zp = zm::protocol;

}  // namespace

uint16_t TimeShiftTestcardSource::WindowSeconds() const {
  const int64_t seconds = kInitialWindowSeconds + next_ / 2 / kTestcardFps;
  return static_cast<uint16_t>(std::min<int64_t>(seconds, kMaxWindowSeconds));
}

zp::StreamFormatPair TimeShiftTestcardSource::Formats() const {
  zp::StreamFormatPair formats = TestcardFormats();
  formats[zp::kVideoFormatIndex].type.temporalCompression = (uint32_t{kMaxWindowSeconds} << 16) | WindowSeconds();
  return formats;
}

zp::ReplyStatus TimeShiftTestcardSource::Status() const {
  zp::ReplyStatus status;
  status.resourceKind = 1;
  status.serverFlags = (uint32_t{WindowSeconds()} << 16) | kWindowFlags;
  return status;
}

// Bytes 6..7 of the header: seconds behind the live edge; bytes 8..13 (the time field): the
// window's maximum, its length and its total seconds; flags bit 0 clear: live can be resumed
// (set in the window of a broadcast that ends).
zp::MediaFrame TimeShiftTestcardSource::StreamChangeFrame() const {
  const bool shifted = delayPictures_ > 0;
  zp::StreamChange change;
  change.status = shifted ? zp::ReplyStatus{} : Status();
  if (shifted) {
    change.status.resourceKind = 0;
    change.status.serverFlags = uint32_t{WindowSeconds()} * 1000;
    change.status.seekable = 1;
  }
  change.formats = Formats();
  zp::MediaFrame frame;
  frame.payload = zp::EncodeStreamChangePayload(change);
  frame.header.streamType = zp::kStreamTypeVideo;
  frame.header.itemIndex = static_cast<uint16_t>(delayPictures_ / kTestcardFps);
  frame.header.time = int64_t{kMaxWindowSeconds} | (int64_t{WindowSeconds()} << 16) | (int64_t{WindowSeconds()} << 32);
  frame.header.stopTime = zp::kStreamChangeStopTime;
  frame.header.keyFrame = 1;
  frame.header.hasNewFormat = 1;
  frame.header.tag = zp::kStreamChangeTag;
  if (shifted && endPictures_ > 0) frame.header.flags |= 1;
  frame.header.length = static_cast<uint32_t>(frame.payload.size());
  return frame;
}

std::optional<zp::MediaFrame> TimeShiftTestcardSource::NextFrame() {
  if (changePending_) {
    changePending_ = false;
    return StreamChangeFrame();
  }
  const int64_t n = next_++;
  const int64_t picture = std::max<int64_t>(0, n / 2 - delayPictures_);
  if (endPictures_ > 0 && picture >= endPictures_) {
    // The recording's end: an empty video frame, an empty audio frame, then nothing.
    if (endFramesSent_ >= 2) return std::nullopt;
    zp::MediaFrame end;
    end.header.streamType = endFramesSent_++ == 0 ? zp::kStreamTypeVideo : zp::kStreamTypeAudio;
    return end;
  }
  // Frames keep the live timing; what they show lags behind by the delay.
  zp::MediaFrame frame = TestcardFrame(picture, n % 2 == 0);
  frame.header.time = (n / 2) * kTestcardFrameTime;
  frame.header.stopTime = (n / 2 + 1) * kTestcardFrameTime;
  return frame;
}

bool TimeShiftTestcardSource::Seek(int seconds) {
  const int64_t behind = std::clamp<int64_t>(seconds, 0, WindowSeconds());
  delayPictures_ = behind * kTestcardFps;
  changePending_ = true;
  return true;
}

}  // namespace zms
