// The built-in test card as a live source (endless, timed from the connection's start)
// and as a stored item ("testcard.zmf": 10 seconds, seekable, ending with end frames).
#pragma once

#include <cstdint>
#include <vector>

#include "peers/server/media_source.h"

namespace zms {

// The video (or audio) frame of picture number `picture` carrying `payload`, timed from
// picture 0, key frame set. A source sends picture k's video, then its audio.
zm::protocol::MediaFrame PictureFrame(int64_t picture, bool video, std::vector<uint8_t> payload);
// The same with the test card's own picture or tone.
zm::protocol::MediaFrame TestcardFrame(int64_t picture, bool video);

// The live test card; its variants (testcard_variants.h) change the descriptions and the payloads,
// and keep its timing.
class LiveTestcardSource : public MediaSource {
 public:
  bool IsLive() const override { return true; }
  zm::protocol::StreamFormatPair Formats() const override;
  zm::protocol::ReplyStatus Status() const override;
  // Nothing (the stream ends) when a variant could not make a payload.
  std::optional<zm::protocol::MediaFrame> NextFrame() override;
  bool Seek(int seconds) override;

 protected:
  // Picture `picture`'s video or audio bytes; empty when they cannot be made.
  virtual std::vector<uint8_t> Payload(int64_t picture, bool video);

 private:
  int64_t next_ = 0;  // video and audio of picture next_/2, video first
};

class StoredTestcardSource : public MediaSource {
 public:
  static constexpr int kDurationSeconds = 10;

  // A playlist entry carries its list's generation in the reply and in every frame's tag.
  explicit StoredTestcardSource(int durationSeconds = kDurationSeconds, uint8_t playlistGeneration = 0)
      : durationSeconds_(durationSeconds), playlistGeneration_(playlistGeneration) {}

  bool IsLive() const override { return false; }
  zm::protocol::StreamFormatPair Formats() const override;
  zm::protocol::ReplyStatus Status() const override;
  std::optional<zm::protocol::MediaFrame> NextFrame() override;
  bool Seek(int seconds) override;

 protected:
  // Picture `picture`'s video or audio bytes, as the live card's.
  virtual std::vector<uint8_t> Payload(int64_t picture, bool video);

 private:
  int64_t Pictures() const;
  zm::protocol::MediaFrame Tagged(zm::protocol::MediaFrame frame) const;

  const int durationSeconds_;
  const uint8_t playlistGeneration_;
  int64_t next_ = 0;          // frames handed out since the start or the last seek
  int64_t firstPicture_ = 0;  // picture where that run began
  bool seekPending_ = false;  // the next frame completes a seek
};

}  // namespace zms
