// The live test card with a time-shift window (live alias "timeshift"): its reply announces the
// window, and a seek moves the session into the window and back to live by stream-change frames.
#pragma once

#include <cstdint>
#include <optional>

#include "peers/server/media_source.h"
#include "peers/server/testcard_signal.h"

namespace zms {

class TimeShiftTestcardSource : public MediaSource {
 public:
  // The window is already this long when a client connects, grows with every second sent,
  // and never exceeds its maximum.
  static constexpr uint16_t kInitialWindowSeconds = 30;
  static constexpr uint16_t kMaxWindowSeconds = 120;
  // Reply server flags: bit 1 snapshots allowed, bit 2 a time-shift window; the window's total
  // seconds go in the high 16 bits.
  static constexpr uint32_t kWindowFlags = 0x2 | 0x4;
  // How long the broadcast of the alias "timeshift-ending" lasts from the client's connection.
  static constexpr int kEndingBroadcastSeconds = 6;

  // A broadcast that ends `endSeconds` after the client connected (0: one that never ends):
  // playback in the window then has no live edge to return to and stops at the recording's end.
  explicit TimeShiftTestcardSource(int endSeconds = 0) : endPictures_(int64_t{endSeconds} * kTestcardFps) {}

  bool IsLive() const override { return true; }
  // The video record's temporal-compression field says the window: length in the low 16 bits,
  // maximum in the high 16 bits.
  zm::protocol::StreamFormatPair Formats() const override;
  zm::protocol::ReplyStatus Status() const override;
  // After a seek, first the stream-change frame; then the pictures of the current position.
  std::optional<zm::protocol::MediaFrame> NextFrame() override;
  // N >= 1: play from N seconds behind the live edge (at most the window's length), as stored
  // media; 0: back to the live edge. Always possible.
  bool Seek(int seconds) override;

  uint16_t WindowSeconds() const;

 private:
  zm::protocol::MediaFrame StreamChangeFrame() const;

  int64_t next_ = 0;           // frames sent; picture next_/2 is the live edge's
  int64_t delayPictures_ = 0;  // how far behind the live edge playback is
  bool changePending_ = false;
  int64_t endPictures_ = 0;  // pictures the broadcast lasts; 0: it goes on
  int endFramesSent_ = 0;
};

}  // namespace zms
