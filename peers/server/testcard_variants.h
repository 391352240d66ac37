// Live variants of the test card, same timing and pictures, other descriptions: Motion-JPEG video
// (live alias "mjpeg"), and streams no renderer decodes, to see a renderer refuse one: video
// described as H.264 ("undecodable") or audio described as MP3 ("undecodable-audio"); and the
// tone without pictures ("audio-only").
#pragma once

#include <cstdint>
#include <vector>

#include "peers/server/jpeg_encoder.h"
#include "peers/server/testcard_source.h"

namespace zms {

// Each picture a baseline JPEG (a key frame), 320x240 in a VIDEOINFOHEADER of FourCC 'MJPG';
// the test card's PCM audio.
class MjpegTestcardSource final : public LiveTestcardSource {
 public:
  static constexpr int kQuality = 80;

  MjpegTestcardSource();
  zm::protocol::StreamFormatPair Formats() const override { return formats_; }

 protected:
  std::vector<uint8_t> Payload(int64_t picture, bool video) override;

 private:
  std::vector<uint8_t> EncodePicture(int64_t picture);

  JpegEncoder encoder_;
  zm::protocol::StreamFormatPair formats_;
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
