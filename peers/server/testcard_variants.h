// Variants of the test card, same timing and pictures, other descriptions: Motion-JPEG video
// (live alias "mjpeg", stored file "mjpeg.zmf"), and live streams no renderer decodes, to see a renderer refuse one:
// video described as H.264 ("undecodable") or audio described as MP3 ("undecodable-audio"); and the tone without
// pictures ("audio-only").
#pragma once

#include <cstdint>
#include <vector>

#include "peers/server/jpeg_encoder.h"
#include "peers/server/testcard_source.h"

namespace zms {

// The test card's pictures as baseline JPEGs (each a key frame), 320x240 in a VIDEOINFOHEADER of
// FourCC 'MJPG', beside its PCM audio.
class MjpegPictures {
 public:
  static constexpr int kQuality = 80;

  MjpegPictures();
  const zm::protocol::StreamFormatPair& formats() const { return formats_; }
  // Picture `picture`'s JPEG; empty when it cannot be encoded.
  std::vector<uint8_t> Encode(int64_t picture);

 private:
  JpegEncoder encoder_;
  zm::protocol::StreamFormatPair formats_;
};

// Live alias "mjpeg".
class MjpegTestcardSource final : public LiveTestcardSource {
 public:
  zm::protocol::StreamFormatPair Formats() const override { return pictures_.formats(); }

 protected:
  std::vector<uint8_t> Payload(int64_t picture, bool video) override {
    return video ? pictures_.Encode(picture) : LiveTestcardSource::Payload(picture, video);
  }

 private:
  MjpegPictures pictures_;
};

// The stored file "mjpeg.zmf": the stored test card's timing, seeks and end, in Motion-JPEG,
// light enough for RTP on a loaded machine.
class StoredMjpegTestcardSource final : public StoredTestcardSource {
 public:
  zm::protocol::StreamFormatPair Formats() const override { return pictures_.formats(); }

 protected:
  std::vector<uint8_t> Payload(int64_t picture, bool video) override {
    return video ? pictures_.Encode(picture) : StoredTestcardSource::Payload(picture, video);
  }

 private:
  MjpegPictures pictures_;
};

// Video described as H.264 whose frames are a fixed pattern with no H.264 start code in it;
// the test card's PCM audio.
class UndecodableVideoSource final : public LiveTestcardSource {
 public:
  static constexpr size_t kPayloadBytes = 4096;
  static constexpr uint8_t kPatternByte = 0xA5;

  zm::protocol::StreamFormatPair Formats() const override;

 protected:
  std::vector<uint8_t> Payload(int64_t picture, bool video) override;
};

// The test card's tone alone: no video record, no pictures.
class AudioOnlyTestcardSource final : public LiveTestcardSource {
 public:
  zm::protocol::StreamFormatPair Formats() const override;
  std::optional<zm::protocol::MediaFrame> NextFrame() override;

 protected:
  std::vector<uint8_t> Payload(int64_t picture, bool video) override;
};

// The test card's RGB32 video; audio described as MP3 (format tag 0x0055), carrying zero bytes.
class UndecodableAudioSource final : public LiveTestcardSource {
 public:
  static constexpr uint32_t kBytesPerSecond = 16000;  // 128 kbit/s

  zm::protocol::StreamFormatPair Formats() const override;

 protected:
  std::vector<uint8_t> Payload(int64_t picture, bool video) override;
};

}  // namespace zms
